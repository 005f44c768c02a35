// Aliases: the stored form of a file reference that the preferences keep
// (recent files, cache and run-time folders). Here an alias holds the item's
// native path as UTF-8 bytes, without a terminating NUL.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/file_ref.h"
#include "platform/status.h"

std::vector<uint8_t> QVNewAlias(const QVFileRef* ref);
