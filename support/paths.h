// Conversions between file references, strings and native (POSIX) paths.
// A folder reference plus a name stands for the item of that name in the
// folder. Functions that return a string return an empty one on failure.
#pragma once

#include <cstddef>
#include <string>

#include "platform/file_ref.h"
#include "platform/status.h"

// The native path in the buffer: 0, or a status with the buffer emptied.
QVStatus QVFSRefToNativePathCString(const QVFileRef* ref, char* buffer, size_t size);
QVStatus QVFSRefStringToNativePathCString(const QVFileRef* folder, const char* name, char* buffer, size_t size);
std::string QVFSRefToNativePathCFString(const QVFileRef* ref);
std::string QVFSRefStringToNativePathCFString(const QVFileRef* folder, const std::string& name);

// 0, or kQVErrFileNotFound when the item does not exist.
QVStatus QVNativePathCFStringToFSRef(const std::string& path, QVFileRef* out);
QVStatus QVNativePathCStringToFSRef(const char* path, QVFileRef* out);
QVStatus QVGetFSRefFromFSRefCFString(const QVFileRef* folder, const std::string& name, QVFileRef* out);
QVStatus QVGetFSRefFromFSRefCString(const QVFileRef* folder, const char* name, QVFileRef* out);

// The last path component, and its extension (without the "."; empty when
// there is none). The C-string forms write as much as the buffer allows.
std::string GetFilenameFromFSRefCFString(const QVFileRef* ref);
void GetFilenameFromFSRefCStr(const QVFileRef* ref, char* buffer, size_t size);
std::string GetExtensionFromFSRefCFString(const QVFileRef* ref);
void GetExtensionFromFSRefCStr(const QVFileRef* ref, char* buffer, size_t size);

// The running program's file, and the folder that holds it: 0 or -43.
QVStatus GetApplicationPackageFSRefFromBundle(QVFileRef* out);
QVStatus GetApplicationPackageDirFSRefFromBundle(QVFileRef* out);

// Copies text into buffer (size bytes), cut at a UTF-8 character boundary
// when it does not fit; false when it was cut.
bool QVCopyCString(const std::string& text, char* buffer, size_t size);
