// The clipboard record: one whole correction in a file of the user's own,
// so that Copy in one running application and Paste in another meet.
//
// The file lives in $XDG_RUNTIME_DIR (private to the user) or, without one,
// in the temporary folder under a name that carries the user id. It is
// written to a private temporary file beside it and renamed into place, so a
// reader sees the old record or the new one, never half of one. A reader
// trusts nothing: the file must be a regular file of this user, exactly one
// record long, and start with the byte-order flag.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/commands/app_commands.h"
#include "platform/file_contents.h"
#include "platform/folders.h"
#include "settings/preset_file.h"

namespace {

std::string runtimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st;
  if (runtime && runtime[0] == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) return runtime;
  return {};
}

// Reads up to capacity bytes; the count read, or -1 on an error.
ssize_t readUpTo(int fd, uint8_t* bytes, size_t capacity) {
  size_t done = 0;
  while (done < capacity) {
    const ssize_t n = ::read(fd, bytes + done, capacity - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += size_t(n);
  }
  return ssize_t(done);
}

}  // namespace

std::string AppScrapPath() {
  std::string folder = runtimeFolder();
  if (!folder.empty()) return folder + "/" + kAppScrapName;
  QVFileRef temp;
  if (PLFolderPath(kPLFolderTemporary, &temp) != kQVNoErr) return {};
  return std::string(temp.path) + "/" + kAppScrapName + "-" + std::to_string(unsigned(::geteuid()));
}

bool AppScrapPut(const VL_SettingsStruct* settings) {
  const std::string path = AppScrapPath();
  if (!settings || path.empty()) return false;
  // The temporary folder may not be there yet.
  // A folder that cannot be made makes the write below fail, which is answered.
  QVIgnoreStatus(PLCreateFolders(path.substr(0, path.rfind('/')).c_str()));
  return PLReplaceFileContents(path.c_str(), settings, sizeof *settings, 0600) == kQVNoErr;
}

bool AppScrapGet(VL_SettingsStruct* settings) {
  const std::string path = AppScrapPath();
  if (path.empty()) return false;
  // No following links and no waiting on a pipe someone put there.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  VL_SettingsStruct record;
  // One byte more than a record tells a longer file from an exact one.
  uint8_t buffer[sizeof record + 1];
  bool good = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
              st.st_size == off_t(sizeof record) && readUpTo(fd, buffer, sizeof buffer) == ssize_t(sizeof record);
  ::close(fd);
  if (!good) return false;
  std::memcpy(&record, buffer, sizeof record);
  if (record.byteOrderFlag != kVLSettingsByteOrderFlag) {
    if (__builtin_bswap32(record.byteOrderFlag) != kVLSettingsByteOrderFlag) return false;
    SwapSettingsAsNeeded(&record);
    if (record.byteOrderFlag != kVLSettingsByteOrderFlag) return false;
  }
  if (settings) std::memcpy(settings, &record, sizeof record);
  return true;
}
