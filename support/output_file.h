// Files written through a stream without ever losing the file they
// replace. The text goes into memory through an ordinary C stream; only
// when the whole text is there is it written to a temporary file beside the
// destination, synchronised, closed and renamed over it. A failure at any
// step leaves the old file whole and no temporary file behind, and gives
// the status of the failing call's error number (QVStatusFromWriteErrno).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "platform/status.h"

// The platform status of a C library error number met while writing:
//   ENOENT -43, EIO -36, ENOMEM -108, EACCES -54, EBUSY and ETXTBSY -47,
//   EEXIST -48, ENODEV -21, ENOTDIR -1407, EISDIR -1302, EINVAL -57,
//   ENFILE -42, EFBIG -1310, ENOSPC -34, EROFS -46; any other -50.
QVStatus QVStatusFromWriteErrno(int err);

// "Cannot save "<path>": <reason> (error <status>)" for a failed write.
std::string QVWriteFailureText(const char* path, QVStatus status);
// Shows that text in an error alert with the title.
void QVWriteFailureAlert(const char* title, const char* path, QVStatus status);

struct QVOutputFile {
  FILE* stream = nullptr;  // write the contents here
  std::string path;        // the destination
  char* bytes = nullptr;   // the stream's memory
  size_t size = 0;
};

// Opens the memory stream for a file at path. kQVErrParam for an empty
// path, kQVErrMemory when no stream can be had.
QVStatus QVOutputFileOpen(const char* path, QVOutputFile* file);
// Puts what was written in place of the destination (mode 0644) and frees
// the stream: 0, or the status of the first failure.
QVStatus QVOutputFileCommit(QVOutputFile* file);
// Frees the stream; nothing is written.
void QVOutputFileAbandon(QVOutputFile* file);
