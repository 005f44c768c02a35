#include "platform/prefs_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <optional>

#include "platform/alerts.h"
#include "platform/file_contents.h"
#include "platform/file_ref.h"
#include "platform/folders.h"
#include "platform/log.h"
#include "platform/prefs_plist.h"

namespace {

constexpr const char* kTempMark = kPLTempFileMark;

struct Domain {
  bool loaded = false;
  PLPrefDictionary values;                                 // as last read from the file
  std::map<std::string, std::optional<PLPrefValue>> pending;  // changes not yet written; nullopt removes
};

struct Store {
  std::mutex lock;
  std::map<std::string, Domain> domains;
  std::vector<std::string> reports;  // damaged files found, shown once the lock is released
};

Store& TheStore() {
  static Store store;
  return store;
}

std::string FileName(const std::string& domain) {
  const std::string ext = ".plist";
  bool has = domain.size() >= ext.size() && domain.compare(domain.size() - ext.size(), ext.size(), ext) == 0;
  std::string name = has ? domain : domain + ext;
  for (char& c : name)
    if (c == '/') c = ':';
  return name;
}

std::string FolderPath(bool create) {
  QVFileRef ref;
  if (PLFindFolder(kPLFolderPreferences, create, &ref) != kQVNoErr) return "";
  return ref.path;
}

// Holds the domain's lock file locked for as long as it lives.
class FileLock {
 public:
  explicit FileLock(const std::string& path) {
    fd_ = open((path + ".lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
    if (fd_ < 0) return;
    int rc;
    while ((rc = flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {  // not locked: say so rather than write unprotected
      int err = errno;
      close(fd_);
      fd_ = -1;
      errno = err;
    }
  }
  ~FileLock() {
    if (fd_ >= 0) close(fd_);  // closing releases the lock
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Renames a damaged file aside and queues its report; the caller reads the
// domain as empty.
void KeepAside(const std::string& path, const std::string& why) {
  std::string aside;
  for (int n = 1; n < 1000; ++n) {
    aside = path + ".corrupt";
    if (n > 1) {  // appended bit by bit: GCC 12 at -O3 misreads "-" + to_string(n) as an overlapping copy
      aside += '-';
      aside += std::to_string(n);
    }
    if (access(aside.c_str(), F_OK) != 0) break;
  }
  if (rename(path.c_str(), aside.c_str()) != 0) return;  // another process moved it first
  char message[2048];
  std::snprintf(message, sizeof message,
                "The preferences file \"%s\" could not be read (%s). It was kept as \"%s\" and the "
                "default preferences are used.",
                path.c_str(), why.c_str(), aside.c_str());
  TheStore().reports.push_back(message);
}

// Shows the queued reports; called without the store's lock held, since an
// alert may run an event loop that reads preferences again.
void ShowReports() {
  std::vector<std::string> reports;
  {
    std::lock_guard<std::mutex> g(TheStore().lock);
    reports.swap(TheStore().reports);
  }
  for (const std::string& message : reports) {
    PLLogWrite("prefs", message.c_str());
    PLAlertRequest r{kPLAlertError, 1, "Preferences", message.c_str(), nullptr, "OK", nullptr};
    PLShowAlert(r);
  }
}

// Reads the domain's file under its lock into values.
void LoadFile(const std::string& path, PLPrefDictionary* values) {
  values->clear();
  std::string text;
  QVStatus r = PLReadFileContents(path.c_str(), kPLPrefMaxFileBytes, &text);
  if (r == kQVErrFileNotFound) return;
  std::string why = "too large or not readable";
  if (r == kQVNoErr && PLPlistParse(text, values, &why)) return;
  KeepAside(path, why);
}

// Removes the temporaries that writers of the file left when they were
// killed mid-write. Called with the domain's lock held: a writer makes and
// renames its temporary under that lock, so no live writer has one now.
void RemoveLeftTemporaries(const std::string& folder, const std::string& path) {
  const std::string prefix = path.substr(folder.size() + 1) + kTempMark;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
      std::string temp = folder + "/" + name;
      if (unlink(temp.c_str()) == 0) PLLogWrite("prefs", ("removed a temporary left by a killed save: " + temp).c_str());
    }
  }
  closedir(dir);
}

Domain& Loaded(Store& s, const std::string& name) {
  Domain& d = s.domains[name];
  if (!d.loaded) {
    std::string folder = FolderPath(false);
    if (!folder.empty()) {
      std::string path = folder + "/" + FileName(name);
      FileLock lock(path);
      if (lock.held()) RemoveLeftTemporaries(folder, path);
      LoadFile(path, &d.values);
    }
    d.loaded = true;
  }
  return d;
}

QVStatus Set(const char* domain, const char* key, PLPrefValue value) {
  if (domain == nullptr || key == nullptr) return kQVErrParam;
  if (std::strlen(key) > kPLPrefMaxValueBytes || value.text.size() > kPLPrefMaxValueBytes ||
      value.data.size() > kPLPrefMaxValueBytes)
    return kQVErrParam;
  Store& s = TheStore();
  std::lock_guard<std::mutex> g(s.lock);
  s.domains[domain].pending[key] = std::move(value);
  return kQVNoErr;
}

}  // namespace

std::string PLPrefsDomainPath(const char* domain) {
  QVFileRef folder;
  if (domain == nullptr || PLFolderPath(kPLFolderPreferences, &folder) != kQVNoErr) return "";
  return std::string(folder.path) + "/" + FileName(domain);
}

QVStatus PLPrefsSetInt32(const char* domain, const char* key, int32_t value) {
  PLPrefValue v;
  v.type = kPLPrefInt32;
  v.i32 = value;
  return Set(domain, key, std::move(v));
}

QVStatus PLPrefsSetInt64(const char* domain, const char* key, int64_t value) {
  if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max())
    return PLPrefsSetInt32(domain, key, int32_t(value));
  PLPrefValue v;
  v.type = kPLPrefInt64;
  v.i64 = value;
  v.i32 = value < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
  return Set(domain, key, std::move(v));
}

QVStatus PLPrefsSetFloat32(const char* domain, const char* key, float value) {
  PLPrefValue v;
  v.type = kPLPrefFloat32;
  v.f32 = value;
  return Set(domain, key, std::move(v));
}

QVStatus PLPrefsSetString(const char* domain, const char* key, const std::string& value) {
  PLPrefValue v;
  v.type = kPLPrefString;
  v.text = PLPlistCleanText(value.substr(0, value.find('\0')));
  return Set(domain, key, std::move(v));
}

QVStatus PLPrefsSetData(const char* domain, const char* key, const void* bytes, size_t length) {
  PLPrefValue v;
  v.type = kPLPrefData;
  if (length > kPLPrefMaxValueBytes) return kQVErrParam;
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  if (p != nullptr) v.data.assign(p, p + length);
  return Set(domain, key, std::move(v));
}

QVStatus PLPrefsSetBool(const char* domain, const char* key, bool value) {
  PLPrefValue v;
  v.type = kPLPrefBool;
  v.boolean = value;
  return Set(domain, key, std::move(v));
}

void PLPrefsRemove(const char* domain, const char* key) {
  if (domain == nullptr || key == nullptr) return;
  Store& s = TheStore();
  std::lock_guard<std::mutex> g(s.lock);
  s.domains[domain].pending[key] = std::nullopt;
}

namespace {

bool GetLocked(const char* domain, const char* key, PLPrefValue* out) {
  Store& s = TheStore();
  std::lock_guard<std::mutex> g(s.lock);
  Domain& d = Loaded(s, domain);
  auto p = d.pending.find(key);
  if (p != d.pending.end()) {
    if (!p->second) return false;
    if (out) *out = *p->second;
    return true;
  }
  auto v = d.values.find(key);
  if (v == d.values.end()) return false;
  if (out) *out = v->second;
  return true;
}

QVStatus SynchronizeLocked(const char* domain);

}  // namespace

bool PLPrefsGetValue(const char* domain, const char* key, PLPrefValue* out) {
  if (domain == nullptr || key == nullptr) return false;
  bool found = GetLocked(domain, key, out);
  ShowReports();
  return found;
}

bool PLPrefsGetInt32(const char* domain, const char* key, int32_t* out) {
  PLPrefValue v;
  if (!PLPrefsGetValue(domain, key, &v)) return false;
  int32_t r;
  switch (v.type) {
    case kPLPrefInt32:
    case kPLPrefInt64: r = v.i32; break;  // a 64-bit value clamped
    case kPLPrefBool: r = v.boolean ? 1 : 0; break;
    case kPLPrefFloat32:
      if (std::isnan(v.f32)) r = 0;
      else if (v.f32 >= 2147483647.0f) r = std::numeric_limits<int32_t>::max();
      else if (v.f32 <= -2147483648.0f) r = std::numeric_limits<int32_t>::min();
      else r = int32_t(v.f32);
      break;
    default: return false;
  }
  if (out) *out = r;
  return true;
}

bool PLPrefsGetInt64(const char* domain, const char* key, int64_t* out) {
  PLPrefValue v;
  if (!PLPrefsGetValue(domain, key, &v)) return false;
  int64_t r;
  switch (v.type) {
    case kPLPrefInt32: r = v.i32; break;
    case kPLPrefInt64: r = v.i64; break;
    case kPLPrefBool: r = v.boolean ? 1 : 0; break;
    default: return false;
  }
  if (out) *out = r;
  return true;
}

bool PLPrefsGetFloat32(const char* domain, const char* key, float* out) {
  PLPrefValue v;
  if (!PLPrefsGetValue(domain, key, &v)) return false;
  float r;
  switch (v.type) {
    case kPLPrefFloat32: r = v.f32; break;
    case kPLPrefInt32: r = float(v.i32); break;
    case kPLPrefInt64: r = float(v.i64); break;
    case kPLPrefBool: r = v.boolean ? 1.0f : 0.0f; break;
    default: return false;
  }
  if (out) *out = r;
  return true;
}

bool PLPrefsGetString(const char* domain, const char* key, std::string* out) {
  PLPrefValue v;
  if (!PLPrefsGetValue(domain, key, &v) || v.type != kPLPrefString) return false;
  if (out) *out = v.text;
  return true;
}

bool PLPrefsGetData(const char* domain, const char* key, std::vector<uint8_t>* out) {
  PLPrefValue v;
  if (!PLPrefsGetValue(domain, key, &v) || v.type != kPLPrefData) return false;
  if (out) *out = std::move(v.data);
  return true;
}

bool PLPrefsGetBool(const char* domain, const char* key, bool* out) {
  PLPrefValue v;
  if (!PLPrefsGetValue(domain, key, &v)) return false;
  bool r;
  switch (v.type) {
    case kPLPrefBool: r = v.boolean; break;
    case kPLPrefInt32: r = v.i32 != 0; break;
    case kPLPrefInt64: r = v.i64 != 0; break;
    default: return false;
  }
  if (out) *out = r;
  return true;
}

QVStatus PLPrefsSynchronize(const char* domain) {
  if (domain == nullptr) return kQVErrParam;
  QVStatus st = SynchronizeLocked(domain);
  ShowReports();
  return st;
}

namespace {

QVStatus SynchronizeLocked(const char* domain) {
  Store& s = TheStore();
  std::lock_guard<std::mutex> g(s.lock);
  Domain& d = s.domains[domain];
  std::string folder = FolderPath(!d.pending.empty());
  if (folder.empty()) {
    if (!d.pending.empty()) return kQVErrFileNotFound;
    d.values.clear();  // no folder, no file: an empty domain
    d.loaded = true;
    return kQVNoErr;
  }
  std::string path = folder + "/" + FileName(domain);
  FileLock lock(path);
  if (!lock.held() && !d.pending.empty()) return PLStatusFromErrno(errno);
  if (lock.held()) RemoveLeftTemporaries(folder, path);
  PLPrefDictionary merged;
  LoadFile(path, &merged);
  QVStatus st = kQVNoErr;
  if (!d.pending.empty()) {
    for (const auto& [key, change] : d.pending) {
      if (change)
        merged[key] = *change;
      else
        merged.erase(key);
    }
    std::string text = PLPlistWrite(merged);
    // Never write a file that the next read would refuse.
    st = text.size() > kPLPrefMaxFileBytes ? kQVErrParam : PLReplaceFileContents(path.c_str(), text.data(), text.size());
    if (st != kQVNoErr) {
      PLLogWrite("prefs", ("could not write " + path).c_str());
      d.values = merged;  // this process still sees its changes; they stay pending
      d.loaded = true;
      return st;
    }
    d.pending.clear();
    LoadFile(path, &merged);  // read back what is now on disk
  }
  d.values = std::move(merged);
  d.loaded = true;
  return st;
}

}  // namespace

void PLPrefsDiscard(const char* domain) {
  if (domain == nullptr) return;
  Store& s = TheStore();
  std::lock_guard<std::mutex> g(s.lock);
  s.domains.erase(domain);
}
