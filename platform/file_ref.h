// File references: a reference names an existing file or folder by its
// absolute native path (UTF-8, POSIX style). References are plain records,
// copied by value and compared by path.
#pragma once

#include <cstddef>

#include "platform/status.h"

constexpr size_t kQVMaxPath = 1024;  // bytes of a path, NUL included

struct QVFileRef {
  char path[kQVMaxPath];  // absolute, no trailing "/" except for the root
};

// Makes a reference to an existing item: kQVNoErr, kQVErrFileNotFound when
// nothing exists at the path, kQVErrParam for a null or too long path.
// A relative path is taken from the current directory; "." and ".."
// components and repeated slashes are resolved textually.
QVStatus PLFileRefFromPath(const char* path, QVFileRef* out);

// Joins a folder path and one name into out (size bytes); false when the
// name is empty, contains "/" or is "." or "..", or the result does not fit.
bool PLJoinPath(const char* folder, const char* name, char* out, size_t size);

// The item's kind; false when it does not exist (symbolic links followed).
bool PLPathExists(const char* path);
bool PLPathIsFolder(const char* path);

// Creates the folder and every missing folder above it (mode 0755).
QVStatus PLCreateFolders(const char* path);

// Maps a POSIX errno value to the nearest status code.
QVStatus PLStatusFromErrno(int err);
