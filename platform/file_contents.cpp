// Whole-file reading and replacing.
#include "platform/file_contents.h"

#include <fcntl.h>
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
  std::string temp = std::string(path) + kPLTempFileMark + "XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) {
    *err = errno;
    return PLStatusFromErrno(errno);
  }
  QVStatus st = WriteAll(fd, static_cast<const char*>(bytes), length, err);
  auto fail = [&](int e) {
    *err = e;
    st = PLStatusFromErrno(e);
  };
  if (st == kQVNoErr && fchmod(fd, mode_t(mode)) != 0) fail(errno);
  if (st == kQVNoErr && fsync(fd) != 0) fail(errno);
  if (close(fd) != 0 && st == kQVNoErr) fail(errno);
  if (st == kQVNoErr && rename(temp.c_str(), path) != 0) fail(errno);
  if (st != kQVNoErr) {
    unlink(temp.c_str());
    return st;
  }
  int dir = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return kQVNoErr;
}
