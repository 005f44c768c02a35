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

// A replacement being written: a new file with a unique name beside the file
// it will replace ("<file>.tmp-XXXXXX"), made exclusively, so a link planted
// under any name is never followed, and locked while it is written, so that
// PLRemoveLeftReplacements tells a live writer's file from one left by a
// writer that was killed.
struct PLReplacement {
  int fd = -1;        // write the new contents here
  std::string temp;   // the temporary file's path
  std::string path;   // the file it replaces
  unsigned mode = 0644;
};
// Makes the temporary file for `path`; the new file will have `mode`. On
// failure of this and of PLCommitReplacement, errno tells the system's reason.
QVStatus PLBeginReplacement(const char* path, unsigned mode, PLReplacement* r);
// Gives the temporary file its mode, syncs and closes it and renames it over
// the file (then syncs the folder). On failure the temporary file is removed
// and the old file is untouched.
QVStatus PLCommitReplacement(PLReplacement* r);
// Closes and removes the temporary file.
void PLAbandonReplacement(PLReplacement* r);
// Removes the temporary files beside `path` that writers which were killed
// left behind; a live writer's stays.
void PLRemoveLeftReplacements(const char* path);

// Puts the bytes in place of the file at path, which then has the given mode
// (0644 unless said; 0600 for a file private to the user). On failure the
// old file is untouched and no temporary file remains.
QVStatus PLReplaceFileContents(const char* path, const void* bytes, size_t length, unsigned mode = 0644);
// The same, with the error number of the call that failed in *err (0 when
// none did), for callers that map it their own way.
QVStatus PLReplaceFileContentsReportingErrno(const char* path, const void* bytes, size_t length, unsigned mode,
                                             int* err);
