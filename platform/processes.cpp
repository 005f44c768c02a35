#include "platform/processes.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <climits>

#include <dirent.h>
#include <dlfcn.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// State character and start time from /proc/<pid>/stat. The command name
// in parentheses may hold spaces and parentheses, so fields are counted from
// the last ')'.
bool readStat(int32_t pid, char* state, uint64_t* startTime) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return false;
  size_t close = line.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream rest(line.substr(close + 1));
  std::string field;
  // Fields after the name: 3 state, then 4..21, 22 start time.
  if (!(rest >> field) || field.empty()) return false;
  *state = field[0];
  for (int i = 4; i < 22; ++i)
    if (!(rest >> field)) return false;
  uint64_t start = 0;
  if (!(rest >> start)) return false;
  *startTime = start;
  return true;
}

PLProcessSerial serialOf(int32_t pid, uint64_t startTime) {
  return (uint64_t(uint32_t(startTime)) << 32) | uint32_t(pid);
}

std::string environmentValue(int32_t pid, const char* name, bool* present) {
  *present = false;
  std::ifstream in("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
  std::string entry;
  const std::string prefix = std::string(name) + "=";
  while (std::getline(in, entry, '\0')) {
    if (entry.compare(0, prefix.size(), prefix) == 0) {
      *present = true;
      return entry.substr(prefix.size());
    }
  }
  return {};
}

std::string executableName(int32_t pid) {
  char buffer[4096];
  std::string link = "/proc/" + std::to_string(pid) + "/exe";
  ssize_t n = readlink(link.c_str(), buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  std::string path(buffer, size_t(n));
  const std::string deleted = " (deleted)";
  if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
    path.resize(path.size() - deleted.size());
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

PLProcessSerial PLProcessSerialOf(int32_t pid) {
  char state = 0;
  uint64_t start = 0;
  if (pid <= 0 || !readStat(pid, &state, &start) || state == 'Z' || state == 'X') return 0;
  return serialOf(pid, start);
}

PLProcessSerial PLCurrentProcessSerial() { return PLProcessSerialOf(int32_t(getpid())); }

bool PLProcessIsAlive(PLProcessSerial serial) {
  const int32_t pid = PLProcessIDOf(serial);
  if (pid <= 0) return false;
  int status = 0;
  if (waitpid(pid_t(pid), &status, WNOHANG) == pid) return false;
  char state = 0;
  uint64_t start = 0;
  if (!readStat(pid, &state, &start) || state == 'Z' || state == 'X') return false;
  const uint32_t wanted = uint32_t(serial >> 32);
  return wanted == 0 || wanted == uint32_t(start);
}

bool PLProcessStartedAfter(int32_t pid, int64_t unixSeconds) {
  char state = 0;
  uint64_t start = 0;
  if (pid <= 0 || !readStat(pid, &state, &start)) return false;
  // The start time counts clock ticks since boot; the boot time is in /proc/stat.
  std::ifstream in("/proc/stat");
  int64_t boot = -1;
  for (std::string key; in >> key;) {
    if (key == "btime") {
      in >> boot;
      break;
    }
    std::string rest;
    std::getline(in, rest);
  }
  const long ticks = sysconf(_SC_CLK_TCK);
  if (boot < 0 || ticks <= 0) return false;
  const int64_t started = boot + int64_t(start / uint64_t(ticks));
  return started > unixSeconds + 1;
}

QVStatus PLLaunchProgram(const std::string& path, const std::vector<std::string>& arguments,
                         PLProcessSerial* serial) {
  if (serial) *serial = 0;
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(path.c_str(), X_OK) != 0)
    return kQVErrFileNotFound;
  std::vector<char*> argv;
  std::vector<std::string> copy = arguments.empty() ? std::vector<std::string>{path} : arguments;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return kQVErrIO;
  // The start time is read back at once; a child that ended already still
  // gets a number naming it by id.
  PLProcessSerial s = PLProcessSerialOf(int32_t(pid));
  if (serial) *serial = s ? s : uint64_t(uint32_t(pid));
  return kQVNoErr;
}

PLProcessSerial PLFindProcess(const char* programName, const char* sameVariable) {
  if (!programName || !*programName) return 0;
  DIR* dir = opendir("/proc");
  if (!dir) return 0;
  const int32_t self = int32_t(getpid());
  const uid_t uid = getuid();
  const char* ours = sameVariable ? std::getenv(sameVariable) : nullptr;
  PLProcessSerial found = 0;
  while (dirent* entry = readdir(dir)) {
    char* end = nullptr;
    long pid = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || pid <= 0 || pid == self) continue;
    struct stat st {};
    std::string folder = std::string("/proc/") + entry->d_name;
    if (stat(folder.c_str(), &st) != 0 || st.st_uid != uid) continue;
    if (executableName(int32_t(pid)) != programName) continue;
    if (sameVariable) {
      bool present = false;
      std::string value = environmentValue(int32_t(pid), sameVariable, &present);
      if (present != (ours != nullptr) || (ours && value != ours)) continue;
    }
    found = PLProcessSerialOf(int32_t(pid));
    if (found) break;
  }
  closedir(dir);
  return found;
}

std::string PLExecutablePath() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

std::string PLModulePathOf(const void* address) {
  Dl_info info{};
  if (!address || dladdr(address, &info) == 0 || !info.dli_fname) return {};
  char resolved[PATH_MAX];
  if (realpath(info.dli_fname, resolved)) return resolved;
  return info.dli_fname;
}
