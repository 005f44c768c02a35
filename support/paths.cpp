#include "support/paths.h"

#include <unistd.h>

#include <cstring>

#include "support/strings.h"

bool QVCopyCString(const std::string& text, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return false;
  size_t n = text.size();
  bool whole = n < size;
  if (!whole) {
    n = size - 1;
    while (n > 0 && ((unsigned char)text[n] & 0xC0) == 0x80) --n;  // not inside a character
  }
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return whole;
}

QVStatus QVFSRefToNativePathCString(const QVFileRef* ref, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return kQVErrParam;
  buffer[0] = '\0';
  if (ref == nullptr || ref->path[0] != '/') return kQVErrParam;
  if (std::strlen(ref->path) >= size) return kQVErrParam;
  std::strcpy(buffer, ref->path);
  return kQVNoErr;
}

QVStatus QVFSRefStringToNativePathCString(const QVFileRef* folder, const char* name, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return kQVErrParam;
  buffer[0] = '\0';
  if (folder == nullptr || folder->path[0] != '/') return kQVErrParam;
  if (!PLJoinPath(folder->path, name, buffer, size)) {
    buffer[0] = '\0';
    return kQVErrParam;
  }
  return kQVNoErr;
}

std::string QVFSRefToNativePathCFString(const QVFileRef* ref) {
  char path[kQVMaxPath];
  return QVFSRefToNativePathCString(ref, path, sizeof path) == kQVNoErr ? path : "";
}

std::string QVFSRefStringToNativePathCFString(const QVFileRef* folder, const std::string& name) {
  char path[kQVMaxPath];
  return QVFSRefStringToNativePathCString(folder, name.c_str(), path, sizeof path) == kQVNoErr ? path : "";
}

QVStatus QVNativePathCStringToFSRef(const char* path, QVFileRef* out) {
  QVStatus st = PLFileRefFromPath(path, out);
  return st == kQVErrParam ? kQVErrFileNotFound : st;
}

QVStatus QVNativePathCFStringToFSRef(const std::string& path, QVFileRef* out) {
  return QVNativePathCStringToFSRef(path.c_str(), out);
}

QVStatus QVGetFSRefFromFSRefCString(const QVFileRef* folder, const char* name, QVFileRef* out) {
  if (folder == nullptr || name == nullptr || out == nullptr) return kQVErrParam;
  char path[kQVMaxPath];
  if (!PLJoinPath(folder->path, name, path, sizeof path)) return kQVErrParam;
  return PLFileRefFromPath(path, out);
}

QVStatus QVGetFSRefFromFSRefCFString(const QVFileRef* folder, const std::string& name, QVFileRef* out) {
  return QVGetFSRefFromFSRefCString(folder, name.c_str(), out);
}

std::string GetFilenameFromFSRefCFString(const QVFileRef* ref) {
  if (ref == nullptr || ref->path[0] != '/') return "";
  const char* slash = std::strrchr(ref->path, '/');
  return slash + 1;
}

void GetFilenameFromFSRefCStr(const QVFileRef* ref, char* buffer, size_t size) {
  QVCopyCString(GetFilenameFromFSRefCFString(ref), buffer, size);
}

std::string GetExtensionFromFSRefCFString(const QVFileRef* ref) {
  std::string name = GetFilenameFromFSRefCFString(ref);
  const char* dot = GetFileExtensionCStr(name.c_str());
  return dot ? dot + 1 : "";
}

void GetExtensionFromFSRefCStr(const QVFileRef* ref, char* buffer, size_t size) {
  QVCopyCString(GetExtensionFromFSRefCFString(ref), buffer, size);
}

QVStatus GetApplicationPackageFSRefFromBundle(QVFileRef* out) {
  char path[kQVMaxPath];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return kQVErrFileNotFound;
  path[n] = '\0';
  return QVNativePathCStringToFSRef(path, out);
}

QVStatus GetApplicationPackageDirFSRefFromBundle(QVFileRef* out) {
  QVFileRef program;
  QVStatus st = GetApplicationPackageFSRefFromBundle(&program);
  if (st != kQVNoErr) return st;
  char* slash = std::strrchr(program.path, '/');
  if (slash == program.path) slash[1] = '\0';
  else *slash = '\0';
  return QVNativePathCStringToFSRef(program.path, out);
}
