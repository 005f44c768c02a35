// Finder information in an extended attribute.
#include "platform/file_attributes.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_ref.h"

namespace {

bool Unsupported(int err) { return err == ENOTSUP || err == EOPNOTSUPP || err == EPERM; }

}  // namespace

QVStatus PLGetFinderInfo(const char* path, uint8_t out[kPLFinderInfoBytes]) {
  if (!path || !out) return kQVErrParam;
  std::memset(out, 0, kPLFinderInfoBytes);
  struct stat st;
  if (lstat(path, &st) != 0) return PLStatusFromErrno(errno);
  uint8_t stored[kPLFinderInfoBytes + 1];
  ssize_t n = lgetxattr(path, kPLFinderInfoAttribute, stored, sizeof stored);
  if (n == kPLFinderInfoBytes) std::memcpy(out, stored, kPLFinderInfoBytes);
  return kQVNoErr;  // missing, damaged or unsupported: zeros
}

QVStatus PLSetFinderInfo(const char* path, const uint8_t info[kPLFinderInfoBytes]) {
  if (!path || !info) return kQVErrParam;
  static const uint8_t kZeros[kPLFinderInfoBytes] = {};
  int rc = std::memcmp(info, kZeros, kPLFinderInfoBytes) == 0
               ? lremovexattr(path, kPLFinderInfoAttribute)
               : lsetxattr(path, kPLFinderInfoAttribute, info, kPLFinderInfoBytes, 0);
  if (rc == 0 || errno == ENODATA || Unsupported(errno)) return kQVNoErr;
  return PLStatusFromErrno(errno);
}

QVStatus PLCopyUserAttributes(const char* from, const char* to) {
  if (!from || !to) return kQVErrParam;
  ssize_t size = llistxattr(from, nullptr, 0);
  if (size <= 0) return size == 0 || Unsupported(errno) ? kQVNoErr : PLStatusFromErrno(errno);
  std::vector<char> names(size_t(size) + 1, '\0');
  size = llistxattr(from, names.data(), names.size() - 1);
  if (size < 0) return Unsupported(errno) ? kQVNoErr : PLStatusFromErrno(errno);
  std::vector<char> value;
  for (ssize_t i = 0; i < size; i += ssize_t(std::strlen(names.data() + i)) + 1) {
    const char* name = names.data() + i;
    if (std::strncmp(name, "user.", 5) != 0) continue;
    ssize_t length = lgetxattr(from, name, nullptr, 0);
    if (length < 0) continue;
    value.resize(size_t(length) + 1);
    length = lgetxattr(from, name, value.data(), value.size());
    if (length < 0) continue;
    if (lsetxattr(to, name, value.data(), size_t(length), 0) != 0 && !Unsupported(errno))
      return PLStatusFromErrno(errno);
  }
  return kQVNoErr;
}
