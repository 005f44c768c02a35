// Whole-file reading and replacing.
#include "platform/file_contents.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_ref.h"

namespace {

QVStatus WriteAll(int fd, const char* bytes, size_t length, int* err) {
  size_t done = 0;
  while (done < length) {
    ssize_t n = write(fd, bytes + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *err = n < 0 ? errno : EIO;
      return PLStatusFromErrno(*err);
    }
    done += size_t(n);
  }
  return kQVNoErr;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

QVStatus PLReadFileContents(const char* path, size_t maxBytes, std::string* out) {
  if (!path || !out) return kQVErrParam;
  out->clear();
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? kQVErrFileNotFound : PLStatusFromErrno(errno);
  struct stat st;
  QVStatus status = kQVNoErr;
  if (fstat(fd, &st) != 0) {
    status = PLStatusFromErrno(errno);
  } else if (!S_ISREG(st.st_mode) || uint64_t(st.st_size) > maxBytes) {
    status = kQVErrParam;
  } else {
    out->resize(size_t(st.st_size));
    size_t done = 0;
    while (done < out->size()) {
      ssize_t n = read(fd, out->data() + done, out->size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) status = PLStatusFromErrno(errno);
      if (n <= 0) break;
      done += size_t(n);
    }
    out->resize(done);  // a file that shrank while read is taken as it was read
  }
  close(fd);
  if (status != kQVNoErr) out->clear();
  return status;
}

QVStatus PLBeginReplacement(const char* path, unsigned mode, PLReplacement* r) {
  if (!path || !*path || !r) return kQVErrParam;
  r->path = path;
  r->temp = r->path + kPLTempFileMark + "XXXXXX";
  r->mode = mode;
  r->fd = mkostemp(r->temp.data(), O_CLOEXEC);
  if (r->fd < 0) {
    r->temp.clear();
    return PLStatusFromErrno(errno);
  }
  // Held until the file is renamed or removed, and let go by the system
  // when the writer dies.
  flock(r->fd, LOCK_EX);
  return kQVNoErr;
}

void PLAbandonReplacement(PLReplacement* r) {
  if (!r) return;
  if (r->fd >= 0) close(r->fd);
  if (!r->temp.empty()) unlink(r->temp.c_str());
  r->fd = -1;
  r->temp.clear();
}

QVStatus PLCommitReplacement(PLReplacement* r) {
  if (!r || r->fd < 0) return kQVErrParam;
  QVStatus st = kQVNoErr;
  if (fchmod(r->fd, mode_t(r->mode)) != 0) st = PLStatusFromErrno(errno);
  if (st == kQVNoErr && fsync(r->fd) != 0) st = PLStatusFromErrno(errno);
  if (st == kQVNoErr && rename(r->temp.c_str(), r->path.c_str()) != 0) st = PLStatusFromErrno(errno);
  if (st != kQVNoErr) {
    const int why = errno;  // kept for the caller's message
    PLAbandonReplacement(r);
    errno = why;
    return st;
  }
  const int fd = r->fd;
  r->fd = -1;
  r->temp.clear();
  if (close(fd) != 0) return PLStatusFromErrno(errno);
  int dir = open(FolderOf(r->path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return kQVNoErr;
}

void PLRemoveLeftReplacements(const char* path) {
  if (!path || !*path) return;
  const std::string file = path;
  const std::string folder = FolderOf(file);
  const size_t slash = file.find_last_of('/');
  const std::string prefix = (slash == std::string::npos ? file : file.substr(slash + 1)) + kPLTempFileMark;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string temp = folder + "/" + name;
    // A link under such a name is removed itself, never what it points to.
    const int fd = open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      if (errno == ELOOP) unlink(temp.c_str());
      continue;
    }
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0) unlink(temp.c_str());
    close(fd);
  }
  closedir(dir);
}

QVStatus PLReplaceFileContents(const char* path, const void* bytes, size_t length, unsigned mode) {
  int err = 0;
  return PLReplaceFileContentsReportingErrno(path, bytes, length, mode, &err);
}

QVStatus PLReplaceFileContentsReportingErrno(const char* path, const void* bytes, size_t length, unsigned mode,
                                             int* err) {
  *err = 0;
  if (!path || !*path || (!bytes && length)) {
    *err = EINVAL;
    return kQVErrParam;
  }
  PLReplacement r;
  QVStatus st = PLBeginReplacement(path, mode, &r);
  if (st == kQVNoErr) {
    st = WriteAll(r.fd, static_cast<const char*>(bytes), length, err);
    if (st != kQVNoErr) {
      PLAbandonReplacement(&r);
      return st;
    }
    st = PLCommitReplacement(&r);
  }
  if (st != kQVNoErr) *err = errno;
  return st;
}
