#include "platform/file_ref.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Resolves "." and ".." and repeated slashes of an absolute path.
std::string NormalisePath(const std::string& abs) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < abs.size()) {
    size_t j = abs.find('/', i);
    if (j == std::string::npos) j = abs.size();
    std::string part = abs.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out;
  for (const std::string& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

}  // namespace

QVStatus PLStatusFromErrno(int err) {
  switch (err) {
    case 0: return kQVNoErr;
    case ENOENT:
    case ENOTDIR: return kQVErrFileNotFound;
    case EBUSY:
    case ETXTBSY: return kQVErrBusy;
    case EEXIST:
    case ENOTEMPTY: return kQVErrDuplicate;
    case ENOMEM: return kQVErrMemory;
    case EINVAL:
    case ENAMETOOLONG: return kQVErrParam;
    default: return kQVErrIO;
  }
}

QVStatus PLFileRefFromPath(const char* path, QVFileRef* out) {
  if (path == nullptr || out == nullptr || path[0] == '\0') return kQVErrParam;
  std::string abs = path;
  if (abs[0] != '/') {
    char cwd[kQVMaxPath];
    if (getcwd(cwd, sizeof cwd) == nullptr) return kQVErrIO;
    abs = std::string(cwd) + "/" + abs;
  }
  abs = NormalisePath(abs);
  if (abs.size() >= kQVMaxPath) return kQVErrParam;
  if (!PLPathExists(abs.c_str())) return kQVErrFileNotFound;
  std::memcpy(out->path, abs.c_str(), abs.size() + 1);
  return kQVNoErr;
}

bool PLJoinPath(const char* folder, const char* name, char* out, size_t size) {
  if (folder == nullptr || name == nullptr || out == nullptr || size == 0) return false;
  if (name[0] == '\0' || std::strchr(name, '/') != nullptr || std::strcmp(name, ".") == 0 ||
      std::strcmp(name, "..") == 0)
    return false;
  size_t flen = std::strlen(folder);
  bool slash = flen > 0 && folder[flen - 1] == '/';
  size_t need = flen + (slash ? 0 : 1) + std::strlen(name) + 1;
  if (need > size) return false;
  std::snprintf(out, size, "%s%s%s", folder, slash ? "" : "/", name);
  return true;
}

bool PLPathExists(const char* path) {
  struct stat st;
  return path != nullptr && stat(path, &st) == 0;
}

bool PLPathIsFolder(const char* path) {
  struct stat st;
  return path != nullptr && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

QVStatus PLCreateFolders(const char* path) {
  if (path == nullptr || path[0] == '\0') return kQVErrParam;
  std::string p = path;
  for (size_t i = 1; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '/') {
      std::string part = p.substr(0, i);
      if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return PLStatusFromErrno(errno);
    }
  }
  return PLPathIsFolder(path) ? kQVNoErr : kQVErrDuplicate;
}
