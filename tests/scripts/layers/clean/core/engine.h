#pragma once
#include <cstdint>
#include "core/engine_parts.h"
#include "platform/status.h"
