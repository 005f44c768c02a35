#include "support/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "support/folder_walk.h"
#include "support/paths.h"

namespace {

// The native path of folder + name, or false.
bool ItemPath(const QVFileRef* folder, const std::string& name, char* path, size_t size) {
  return folder != nullptr && PLJoinPath(folder->path, name.c_str(), path, size);
}

}  // namespace

QVStatus QVCreateDirFromFSRefCFString(const QVFileRef* folder, const std::string& name, QVFileRef* out) {
  char path[kQVMaxPath];
  if (name.size() > 255 || !ItemPath(folder, name, path, sizeof path)) return kQVErrParam;
  if (!PLPathIsFolder(folder->path)) return kQVErrFileNotFound;
  if (mkdir(path, 0755) != 0) return PLStatusFromErrno(errno);
  return out ? PLFileRefFromPath(path, out) : kQVNoErr;
}

QVStatus QVRenameFileFromFSRefCFString(const QVFileRef* folder, const std::string& oldName,
                                       const std::string& newName, QVFileRef* out) {
  QVFileRef old;
  QVStatus st = QVGetFSRefFromFSRefCFString(folder, oldName, &old);
  if (st != kQVNoErr) return st;
  char to[kQVMaxPath];
  if (!ItemPath(folder, newName, to, sizeof to)) return kQVErrParam;
  struct stat st2;
  if (lstat(to, &st2) == 0) return kQVErrDuplicate;
  if (rename(old.path, to) != 0) return PLStatusFromErrno(errno);
  return out ? PLFileRefFromPath(to, out) : kQVNoErr;
}

QVStatus QVDeleteFileFromFSRefCFString(const QVFileRef* folder, const std::string& name) {
  QVFileRef item;
  QVStatus st = QVGetFSRefFromFSRefCFString(folder, name, &item);
  if (st == kQVNoErr) {
    int rc = PLPathIsFolder(item.path) ? rmdir(item.path) : unlink(item.path);
    st = rc == 0 ? kQVNoErr : PLStatusFromErrno(errno);
  }
  if (st == kQVErrBusy) {
    char path[kQVMaxPath];
    if (ItemPath(folder, name, path, sizeof path)) unlink(path);
  }
  return st;
}

QVStatus QVChangeTypeAndCreatorFromPath(const char* path, uint32_t creator, uint32_t type) {
  QVFileRef ref;
  if (!path || PLFileRefFromPath(path, &ref) != kQVNoErr) return kQVErrFileNotFound;
  return SetFSRefTypeAndCreator(&ref, creator, type);
}

QVStatus QVIterateOverDirectoryPath(const std::string& folder, QVDirectoryCallback callback, int depth,
                                    void* argument) {
  if (depth < 1 || callback == nullptr) return kQVNoErr;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return kQVNoErr;
  std::vector<std::string> names;
  while (dirent* e = readdir(dir)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  std::string base = folder;
  if (base.empty() || base.back() != '/') base += '/';
  for (const std::string& n : names) {
    std::string path = base + n;
    struct stat ls, fs;
    if (lstat(path.c_str(), &ls) != 0) continue;
    bool isLink = S_ISLNK(ls.st_mode);
    bool isFolder = isLink ? (stat(path.c_str(), &fs) == 0 && S_ISDIR(fs.st_mode)) : S_ISDIR(ls.st_mode);
    if (callback(path.c_str(), isFolder, isLink, 0, 0, argument)) break;
    // The walk answers no error at any depth.
    if (isFolder && !isLink) QVIgnoreStatus(QVIterateOverDirectoryPath(path, callback, depth - 1, argument));
  }
  return kQVNoErr;
}

QVStatus QVIterateOverDirectoryPathFromCarbon(const std::string& folder, QVDirectoryCallback callback, int depth,
                                              void* argument) {
  return QVIterateOverDirectoryPath(folder, callback, depth, argument);
}
