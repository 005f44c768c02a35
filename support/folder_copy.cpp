// Copying files and folder trees, and deleting a folder's contents.
#include "support/folder_copy.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <climits>
#include <cstring>
#include <new>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_attributes.h"

namespace {

constexpr size_t kDefaultBuffer = 256 * 1024;

QVStatus ErrnoStatus() { return PLStatusFromErrno(errno); }

std::vector<std::string> EntryNames(const std::string& folder, QVStatus* status) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) {
    *status = ErrnoStatus();
    return names;
  }
  while (dirent* e = readdir(dir))
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
  closedir(dir);
  std::sort(names.begin(), names.end());
  *status = kQVNoErr;
  return names;
}

// Removes one item of any kind, a folder with everything in it.
QVStatus RemoveItem(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return errno == ENOENT ? kQVNoErr : ErrnoStatus();
  if (S_ISDIR(st.st_mode)) {
    QVFileRef folder;
    if (path.size() >= sizeof folder.path) return kQVErrParam;
    std::memcpy(folder.path, path.c_str(), path.size() + 1);
    QVStatus status = DeleteFolderContents(&folder);
    if (status != kQVNoErr) return status;
    return rmdir(path.c_str()) == 0 ? kQVNoErr : ErrnoStatus();
  }
  return unlink(path.c_str()) == 0 ? kQVNoErr : ErrnoStatus();
}

void SetTimes(const char* path, const struct stat& st, bool link) {
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  utimensat(AT_FDCWD, path, times, link ? AT_SYMLINK_NOFOLLOW : 0);
}

// A link copied as a link to the same place.
QVStatus CopyLink(const char* source, const char* destination, const struct stat& st) {
  std::vector<char> target(size_t(st.st_size > 0 ? st.st_size : 255) + 2);
  ssize_t n = readlink(source, target.data(), target.size() - 1);
  if (n < 0) return ErrnoStatus();
  target[size_t(n)] = '\0';
  if (symlink(target.data(), destination) != 0) return ErrnoStatus();
  SetTimes(destination, st, true);
  return kQVNoErr;
}

struct FolderJob {
  std::string source, destination;
  uint32_t depth;  // of the folder's entries
};
void DisposeJob(void* data) { delete static_cast<FolderJob*>(data); }

struct MadeFolder {
  std::string source, destination;
  struct stat st;
};

// The folder tree below source copied into the new folder destination.
QVStatus CopyFolderTree(const std::string& source, const std::string& destination, uint32_t maxDepth,
                        size_t bufferSize, const struct stat& top) {
  if (mkdir(destination.c_str(), 0700) != 0) return ErrnoStatus();
  std::vector<MadeFolder> made{{source, destination, top}};
  CopyList pending;
  CopyListInit(&pending, DisposeJob);
  QVStatus status = CopyListAppend(&pending, new (std::nothrow) FolderJob{source, destination, 1});
  while (status == kQVNoErr && pending.head) {
    // Take the first job off the list: its sub-folders go in front of the rest.
    CopyListNode* node = pending.head;
    pending.head = node->next;
    if (!pending.head) pending.tail = nullptr;
    --pending.count;
    std::unique_ptr<FolderJob> job(static_cast<FolderJob*>(node->data));
    delete node;

    CopyList inner;
    CopyListInit(&inner, DisposeJob);
    std::vector<std::string> names = EntryNames(job->source, &status);
    for (size_t i = 0; status == kQVNoErr && i < names.size(); ++i) {
      std::string from = job->source + "/" + names[i];
      std::string to = job->destination + "/" + names[i];
      struct stat st;
      if (lstat(from.c_str(), &st) != 0) continue;  // gone since the folder was read
      if (S_ISDIR(st.st_mode)) {
        if (mkdir(to.c_str(), 0700) != 0) {
          status = ErrnoStatus();
          break;
        }
        made.push_back({from, to, st});
        if (maxDepth == 0 || job->depth < maxDepth)
          status = CopyListAppend(&inner, new (std::nothrow) FolderJob{from, to, job->depth + 1});
      } else if (S_ISLNK(st.st_mode)) {
        status = CopyLink(from.c_str(), to.c_str(), st);
      } else if (S_ISREG(st.st_mode)) {
        status = CreateFileCopy(from.c_str(), to.c_str(), bufferSize);
      }  // devices, pipes and sockets are not copied
    }
    if (status == kQVNoErr) status = CopyListSplice(&pending, &inner, nullptr);
    CopyListDispose(&inner);
  }
  CopyListDispose(&pending);
  if (status != kQVNoErr) return status;
  // Folders get their permissions and dates after their contents, the top last.
  for (auto it = made.rbegin(); it != made.rend(); ++it) {
    // Attributes are kept where the file system holds them; the copy stands without.
    QVIgnoreStatus(PLCopyUserAttributes(it->source.c_str(), it->destination.c_str()));
    chmod(it->destination.c_str(), it->st.st_mode & 07777);
    SetTimes(it->destination.c_str(), it->st, false);
  }
  return kQVNoErr;
}

size_t TransferSize(const char* folder) {
  struct statvfs vfs;
  if (!folder || statvfs(folder, &vfs) != 0 || vfs.f_bsize == 0) return kDefaultBuffer;
  size_t size = (size_t(vfs.f_bsize) / 4) / 512 * 512;
  return std::clamp<size_t>(size, 1024, 2 * 1024 * 1024);
}

std::string ParentOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// A free hidden name beside the item for the old one while a copy replaces it.
std::string AsideName(const char* folder, const std::string& name) {
  for (unsigned n = 0; n < 1000; ++n) {
    std::string path = std::string(folder) + "/." + name + ".aside-" + std::to_string(getpid()) + "-" + std::to_string(n);
    struct stat st;
    if (path.size() >= kQVMaxPath) return "";
    if (lstat(path.c_str(), &st) != 0 && errno == ENOENT) return path;
  }
  return "";
}

}  // namespace

size_t CopyBufferSize(const char* sourceFolder, const char* destinationFolder) {
  return std::min(TransferSize(sourceFolder), TransferSize(destinationFolder));
}

QVStatus DeleteFolderContents(const QVFileRef* folder) {
  if (!folder) return kQVErrParam;
  struct stat st;
  if (lstat(folder->path, &st) != 0) return ErrnoStatus();
  if (!S_ISDIR(st.st_mode)) return -1302;
  if (!(st.st_mode & S_IWUSR)) chmod(folder->path, (st.st_mode & 07777) | S_IWUSR | S_IXUSR);
  QVStatus status;
  std::vector<std::string> names = EntryNames(folder->path, &status);
  for (const std::string& name : names) {
    if (status != kQVNoErr) break;
    std::string path = std::string(folder->path) + (std::strcmp(folder->path, "/") == 0 ? "" : "/") + name;
    struct stat item;
    if (lstat(path.c_str(), &item) == 0 && !S_ISLNK(item.st_mode) && !(item.st_mode & S_IWUSR))
      chmod(path.c_str(), (item.st_mode & 07777) | S_IWUSR | (S_ISDIR(item.st_mode) ? S_IXUSR : 0));
    status = RemoveItem(path);
  }
  return status;
}

QVStatus CreateFileCopy(const char* source, const char* destination, size_t bufferSize) {
  int in = open(source, O_RDONLY | O_CLOEXEC);
  if (in < 0) return ErrnoStatus();
  struct stat st;
  if (fstat(in, &st) != 0) {
    QVStatus status = ErrnoStatus();
    close(in);
    return status;
  }
  int out = open(destination, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    QVStatus status = ErrnoStatus();
    close(in);
    return status;
  }
  QVStatus status = kQVNoErr;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[bufferSize ? bufferSize : kDefaultBuffer]);
  if (!buffer) status = kQVErrMemory;
  while (status == kQVNoErr) {
    ssize_t n = read(in, buffer.get(), bufferSize);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) status = ErrnoStatus();
    if (n <= 0) break;
    for (ssize_t done = 0; done < n && status == kQVNoErr;) {
      ssize_t w = write(out, buffer.get() + done, size_t(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) status = w < 0 ? ErrnoStatus() : kQVErrIO;
      else done += w;
    }
  }
  close(in);
  if (status == kQVNoErr) status = PLCopyUserAttributes(source, destination);
  if (status == kQVNoErr && fchmod(out, st.st_mode & 07777) != 0) status = ErrnoStatus();
  if (close(out) != 0 && status == kQVNoErr) status = ErrnoStatus();
  if (status == kQVNoErr)
    SetTimes(destination, st, false);
  else
    unlink(destination);
  return status;
}

QVStatus CopyFileSystemObject(const QVFileRef* source, const QVFileRef* destinationFolder, uint32_t maxDepth,
                              QVDuplicateAction duplicateAction, const char* newName, QVFileRef* out) {
  if (!source || !destinationFolder) return kQVErrParam;
  struct stat st, dst;
  if (lstat(source->path, &st) != 0) return ErrnoStatus();
  if (stat(destinationFolder->path, &dst) != 0) return ErrnoStatus();
  if (!S_ISDIR(dst.st_mode)) return -1302;

  // The destination and each folder above it against the source.
  if (S_ISDIR(st.st_mode)) {
    char realSource[PATH_MAX], realDestination[PATH_MAX];
    if (!realpath(source->path, realSource) || !realpath(destinationFolder->path, realDestination))
      return ErrnoStatus();
    for (std::string folder = realDestination;; folder = ParentOf(folder)) {
      if (folder == realSource) return kQVErrIntoOwnFolder;
      if (folder == "/") break;
    }
  }

  const char* slash = std::strrchr(source->path, '/');
  std::string name = newName && *newName ? newName : (slash ? slash + 1 : source->path);
  char target[kQVMaxPath];
  if (!PLJoinPath(destinationFolder->path, name.c_str(), target, sizeof target)) return kQVErrParam;

  std::string aside;
  struct stat existing;
  if (lstat(target, &existing) == 0) {
    if (duplicateAction == kQVDuplicateSkip) return out ? PLFileRefFromPath(target, out) : kQVNoErr;
    if (duplicateAction != kQVDuplicateReplace) return kQVErrDuplicate;
    aside = AsideName(destinationFolder->path, name);
    if (aside.empty()) return kQVErrParam;
    if (rename(target, aside.c_str()) != 0) return ErrnoStatus();
  }

  size_t buffer = CopyBufferSize(ParentOf(source->path).c_str(), destinationFolder->path);
  QVStatus status;
  if (S_ISDIR(st.st_mode))
    status = CopyFolderTree(source->path, target, maxDepth, buffer, st);
  else if (S_ISLNK(st.st_mode))
    status = CopyLink(source->path, target, st);
  else if (S_ISREG(st.st_mode))
    status = CreateFileCopy(source->path, target, buffer);
  else
    status = kQVErrParam;

  if (status != kQVNoErr) {
    // Clearing up after a failed copy: the copy's own failure is what is reported.
    QVIgnoreStatus(RemoveItem(target));
    if (!aside.empty()) rename(aside.c_str(), target);
    return status;
  }
  // The copy is in place; a replaced item that will not go is left beside it under its aside name.
  if (!aside.empty()) QVIgnoreStatus(RemoveItem(aside));
  return out ? PLFileRefFromPath(target, out) : kQVNoErr;
}
