#include "support/time_text.h"

#include <locale.h>
#include <sys/random.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/file_ref.h"
#include "platform/folders.h"
#include "support/paths.h"
#include "support/time_text_internal.h"

namespace {

constexpr int64_t kUnixToAbsolute = 978307200;  // 1970 -> 2001
constexpr int64_t kAbsoluteTo1904 = 3061094400;

int64_t AbsoluteSeconds() {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::seconds>(now).count() - kUnixToAbsolute;
}

// Four random bytes read as a little-endian number; the time when none.
uint32_t DrawNumber() {
  unsigned char b[4];
  if (getrandom(b, sizeof b, 0) == ssize_t(sizeof b))
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  return uint32_t(AbsoluteSeconds());
}

QVTempNumberSource gNumberSource = nullptr;

}  // namespace

void QVSetTempNumberSource(QVTempNumberSource source) { gNumberSource = source; }

uint32_t QVGetDateTime(uint32_t* out) {
  uint32_t v = uint32_t(AbsoluteSeconds() + kAbsoluteTo1904);
  if (out) *out = v;
  return v;
}

uint64_t QVGetCurrentTime() { return uint64_t(AbsoluteSeconds()); }

void QVGetCurrentDateTimeAsCString(char* buffer, size_t size, bool withTime, bool withDate) {
  if (buffer == nullptr || size == 0) return;
  buffer[0] = '\0';
  const char* format = withDate ? (withTime ? "%e %b %Y %H:%M" : "%e %b %Y") : (withTime ? "%H:%M" : "");
  if (format[0] == '\0') return;
  std::time_t t = std::time(nullptr);
  std::tm local;
  localtime_r(&t, &local);
  char text[128];
  locale_t loc = newlocale(LC_TIME_MASK, "", locale_t(0));
  if (loc == locale_t(0)) loc = newlocale(LC_TIME_MASK, "C", locale_t(0));
  size_t n = loc ? strftime_l(text, sizeof text, format, &local, loc) : std::strftime(text, sizeof text, format, &local);
  if (loc) freelocale(loc);
  text[n] = '\0';
  const char* start = text[0] == ' ' ? text + 1 : text;  // %e pads single-digit days
  QVCopyCString(start, buffer, size);  // a localised name is never cut inside a character
}

std::string QVGetTempFilenameWithTemplate(const char* format) {
  if (format == nullptr) return "";
  QVFileRef temp;
  bool haveTemp = PLFindFolder(kPLFolderTemporary, false, &temp) == kQVNoErr;
  std::string name;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char text[kQVMaxPath];
    std::snprintf(text, sizeof text, format, (unsigned long)(gNumberSource ? gNumberSource() : DrawNumber()));
    name = text;
    std::string where = name;
    if (name.empty() || name[0] != '/') {
      if (!haveTemp) break;
      where = std::string(temp.path) + "/" + name;
    }
    if (!PLPathExists(where.c_str())) break;
  }
  return name;
}
