// The folder walker and catalog information of single items.
#include "support/folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/file_attributes.h"
#include "platform/byte_order.h"

namespace {

struct Walk {
  uint32_t maxDepth;
  uint32_t wanted;
  bool wantName;
  QVIterateFilterProc callback;
  void* data;
  uint32_t depth = 0;
  bool quit = false;
};

void FillInfo(const char* path, const struct stat& st, uint32_t wanted, QVCatalogInfo* info) {
  *info = QVCatalogInfo{};
  if (S_ISDIR(st.st_mode)) info->nodeFlags |= kQVNodeIsFolder;
  if (!(st.st_mode & S_IWUSR)) info->nodeFlags |= kQVNodeLocked;
  const char* slash = std::strrchr(path, '/');
  if (QVIsHiddenName(slash ? slash + 1 : path)) info->nodeFlags |= kQVNodeInvisible;
  if (wanted & kQVCatInfoFinderInfo) {
    uint8_t both[kPLFinderInfoBytes];
    // It gives zeros where it cannot read the attribute, which is what is wanted.
    QVIgnoreStatus(PLGetFinderInfo(path, both));
    std::memcpy(info->finderInfo, both, 16);
    std::memcpy(info->extFinderInfo, both + 16, 16);
  }
  if (wanted & kQVCatInfoDataSizes) info->dataLogicalSize = S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
  if (wanted & kQVCatInfoContentMod) info->contentModSeconds = int64_t(st.st_mtim.tv_sec);
  if (wanted & kQVCatInfoPermissions) info->permissions = uint32_t(st.st_mode & 07777);
}

QVStatus WalkFolder(Walk& walk, const std::string& folder) {
  if (walk.maxDepth != 0 && walk.depth >= walk.maxDepth) return kQVNoErr;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return PLStatusFromErrno(errno);
  std::vector<std::string> names;
  while (dirent* e = readdir(dir))
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
  closedir(dir);
  std::sort(names.begin(), names.end());
  ++walk.depth;
  QVStatus status = kQVNoErr;
  for (const std::string& name : names) {
    QVFileRef ref;
    if (!PLJoinPath(folder.c_str(), name.c_str(), ref.path, sizeof ref.path)) continue;  // too long to name
    struct stat st;
    if (lstat(ref.path, &st) != 0) continue;  // gone since the folder was read
    QVCatalogInfo info;
    FillInfo(ref.path, st, walk.wanted, &info);
    walk.quit = walk.callback(false, walk.depth, &info, &ref, nullptr, walk.wantName ? name.c_str() : nullptr,
                              walk.data);
    if (!walk.quit && S_ISDIR(st.st_mode)) status = WalkFolder(walk, ref.path);
    if (walk.quit || status != kQVNoErr) break;
  }
  --walk.depth;
  return status;
}

}  // namespace

bool QVIsHiddenName(const char* name) { return name && name[0] == '.'; }

QVStatus QVGetCatalogInfo(const QVFileRef* ref, uint32_t wanted, QVCatalogInfo* info) {
  if (!ref || !info) return kQVErrParam;
  struct stat st;
  if (lstat(ref->path, &st) != 0) return PLStatusFromErrno(errno);
  FillInfo(ref->path, st, wanted, info);
  return kQVNoErr;
}

QVStatus IterateFolderContents(const QVFileRef* container, uint32_t maxDepth, uint32_t wanted, bool,
                               bool wantName, QVIterateFilterProc callback, void* data) {
  if (!callback || !container) return kQVErrParam;
  Walk walk{maxDepth, wanted | kQVCatInfoNodeFlags, wantName, callback, data};
  return WalkFolder(walk, container->path);
}

QVStatus GetFSRefNodeInfo(const QVFileRef* ref, uint8_t finderInfo[16], uint8_t extFinderInfo[16], bool* isFolder) {
  if (!ref) return kQVErrParam;
  QVCatalogInfo info;
  QVStatus status = QVGetCatalogInfo(ref, (finderInfo || extFinderInfo) ? uint32_t(kQVCatInfoFinderInfo) : 0u, &info);
  if (status != kQVNoErr) return status;
  if (finderInfo) std::memcpy(finderInfo, info.finderInfo, 16);
  if (extFinderInfo) std::memcpy(extFinderInfo, info.extFinderInfo, 16);
  if (isFolder) *isFolder = (info.nodeFlags & kQVNodeIsFolder) != 0;
  return kQVNoErr;
}

QVStatus GetFSRefTypeAndCreator(const QVFileRef* ref, uint32_t* type, uint32_t* creator) {
  uint8_t finder[16];
  QVStatus status = GetFSRefNodeInfo(ref, finder, nullptr, nullptr);
  if (status != kQVNoErr) return status;
  if (type) *type = QVReadBE32(finder);
  if (creator) *creator = QVReadBE32(finder + 4);
  return kQVNoErr;
}

QVStatus SetFSRefTypeAndCreator(const QVFileRef* ref, uint32_t creator, uint32_t type) {
  if (!ref) return kQVErrParam;
  uint8_t both[kPLFinderInfoBytes];
  struct stat st;
  if (stat(ref->path, &st) != 0) return PLStatusFromErrno(errno);
  if (S_ISDIR(st.st_mode)) return kQVErrNotAFile;
  QVStatus status = PLGetFinderInfo(ref->path, both);
  if (status != kQVNoErr) return status;
  if (type) QVWriteBE32(both, type);
  if (creator) QVWriteBE32(both + 4, creator);
  status = PLSetFinderInfo(ref->path, both);
  if (status != kQVNoErr) return status;
  std::string parent = ref->path;
  size_t slash = parent.find_last_of('/');
  parent = slash == 0 ? "/" : parent.substr(0, slash);
  QVFileRef folder;
  // Telling the folder it changed is a courtesy; the item's own change stands.
  if (PLFileRefFromPath(parent.c_str(), &folder) == kQVNoErr) QVIgnoreStatus(TouchFSRefModificationDate(&folder));
  return kQVNoErr;
}

QVStatus TouchFSRefModificationDate(const QVFileRef* ref) {
  if (!ref) return kQVNoErr;
  struct stat st;
  if (stat(ref->path, &st) != 0) return kQVNoErr;
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  // Readers that compare whole seconds must see a change too.
  if (now.tv_sec <= st.st_mtim.tv_sec) {
    now.tv_sec = st.st_mtim.tv_sec + 1;
    now.tv_nsec = 0;
  }
  struct timespec times[2] = {{0, UTIME_OMIT}, now};
  utimensat(AT_FDCWD, ref->path, times, 0);
  return kQVNoErr;
}

QVStatus MakeFSRefFromDirAndName(const QVFileRef* folder, const char* name, QVFileRef* out) {
  if (!out || !folder || !name) return kQVErrParam;
  char path[kQVMaxPath];
  if (!PLJoinPath(folder->path, name, path, sizeof path)) return kQVErrParam;
  return PLFileRefFromPath(path, out);
}
