// Whole-file reading and replacing for the small files the programs keep:
// presets, curves, LUTs, preference domains. A replaced file is never left
// half written: the new contents go to a temporary file beside it, every
// write, the fsync and the close are checked, and only then is the temporary
// file renamed over the old one (and the folder synchronised).
#pragma once

#include <cstddef>
#include <string>

#include "platform/status.h"

// Temporary files are named "<file>.tmp-XXXXXX" beside the file they replace.
constexpr const char* kPLTempFileMark = ".tmp-";

// The whole file in out. kQVErrFileNotFound when it does not exist,
// kQVErrParam when it is larger than maxBytes or not a regular file,
// another status when it cannot be read; out is then empty.
QVStatus PLReadFileContents(const char* path, size_t maxBytes, std::string* out);

// Puts the bytes in place of the file at path, which then has the given mode
// (0644 unless said; 0600 for a file private to the user). On failure the
// old file is untouched and no temporary file remains.
QVStatus PLReplaceFileContents(const char* path, const void* bytes, size_t length, unsigned mode = 0644);
// The same, with the error number of the call that failed in *err (0 when
// none did), for callers that map it their own way.
QVStatus PLReplaceFileContentsReportingErrno(const char* path, const void* bytes, size_t length, unsigned mode,
                                             int* err);
