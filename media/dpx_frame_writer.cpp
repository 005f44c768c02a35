// The DPX frame writer of output jobs.
#include "media/dpx_frame_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "media/movie_timing.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when format has exactly one conversion, an integer one (d, i or u
// with flags, width and the l, ll or j length only), and no other '%' but "%%".
bool OneIntegerConversion(const char* format) {
  int conversions = 0;
  for (const char* p = format; *p; ++p) {
    if (*p != '%') continue;
    if (p[1] == '%') {
      ++p;
      continue;
    }
    ++p;
    while (*p == '0' || *p == '-' || *p == '+' || *p == ' ') ++p;
    while (IsDigit(*p)) ++p;
    int longs = 0;
    while (*p == 'l') {
      ++p;
      ++longs;
    }
    if (longs > 2 || !(*p == 'd' || *p == 'i' || *p == 'u')) return false;
    ++conversions;
  }
  return conversions == 1;
}

// Formats the one integer conversion with a long long argument, whatever
// length the format gives it.
bool FormatName(const char* format, int64_t number, char* out, size_t size) {
  if (!OneIntegerConversion(format)) return false;
  char normalized[512];
  size_t o = 0;
  for (const char* p = format; *p && o + 4 < sizeof normalized; ++p) {
    normalized[o++] = *p;
    if (*p != '%') continue;
    if (p[1] == '%') {
      normalized[o++] = *++p;
      continue;
    }
    while (p[1] && !(p[1] == 'd' || p[1] == 'i' || p[1] == 'u' || p[1] == 'l')) normalized[o++] = *++p;
    while (p[1] == 'l') ++p;
    normalized[o++] = 'l';
    normalized[o++] = 'l';
  }
  normalized[o] = 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  const int n = std::snprintf(out, size, normalized, static_cast<long long>(number));
#pragma GCC diagnostic pop
  return n > 0 && size_t(n) < size;
}

}  // namespace

void DPXTimeZoneDesignator(long offsetSeconds, char* out, size_t size) {
  const char sign = offsetSeconds < 0 ? '-' : '+';
  const long magnitude = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
  const long hours = magnitude / 3600, minutes = magnitude % 3600 / 60;
  if (minutes == 0) std::snprintf(out, size, "%c%.2ld", sign, hours);
  else std::snprintf(out, size, "%c%.2ld%.2ld", sign, hours, minutes);
}

void DPXFormatDateTime(int64_t unixSeconds, char* out, size_t size) {
  const time_t t = time_t(unixSeconds);
  struct tm local;
  if (!localtime_r(&t, &local)) {
    if (size) out[0] = 0;
    return;
  }
  char zone[16];
  DPXTimeZoneDesignator(local.tm_gmtoff, zone, sizeof zone);
  std::snprintf(out, size, "%04ld-%02d-%02dT%02d:%02d:%02ld%s", long(local.tm_year) + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, long(local.tm_sec), zone);
}

uint32_t DPXTimecodeToBCD(const char* text) {
  if (!text || std::strlen(text) < 11) return 0;
  static const int kDigitAt[8] = {0, 1, 3, 4, 6, 7, 9, 10};
  uint32_t bcd = 0;
  for (int at : kDigitAt) {
    if (!IsDigit(text[at])) return 0;
    bcd = bcd << 4 | uint32_t(text[at] - '0');
  }
  return bcd;
}

QVStatus QVMediaWriteDPXFrame(int64_t frameNumber, QVMediaFileRef* source, const FBFrameStruct* frame,
                              const char* folder, const char* nameFormat, const QVDPXWriteSettings* settings) {
  if (!frame || !folder || !nameFormat || !settings) return kQVErrParam;
  char name[256];
  if (!FormatName(nameFormat, frameNumber, name, sizeof name)) return kQVErrParam;
  DPXHeaderInfo* info = static_cast<DPXHeaderInfo*>(std::calloc(1, sizeof(DPXHeaderInfo)));
  if (!info) return kQVNoErr;
  info->width = frame->width;
  info->height = frame->height;
  info->elementCount = 1;
  std::snprintf(info->creator, sizeof info->creator, "Quorvane Velmora");
  std::snprintf(info->projectName, sizeof info->projectName, "%s", settings->projectName);
  std::snprintf(info->rights, sizeof info->rights, "%s", settings->rights);
  DPXFormatDateTime(int64_t(std::time(nullptr)), info->creationTime, sizeof info->creationTime);
  if (QVMediaIsValidRef(source)) {
    double created = 0;
    if (QVMediaGetFileDates(source, &created) == QVMediaErr_NoErr)
      DPXFormatDateTime(int64_t(created + 978307200.0), info->sourceDate, sizeof info->sourceDate);
    char timecode[32];
    if (QVMediaGetTimecodeText(source, timecode, sizeof timecode, 0) == QVMediaErr_NoErr)
      info->timecode = DPXTimecodeToBCD(timecode);
    uint32_t rate = 0;
    uint8_t drop = 0;
    if (QVMediaGetFrameRate(source, &rate, &drop) == QVMediaErr_NoErr)
      info->frameRate = drop ? float(rate / 1.001) : float(rate);
  }
  const QVStatus err = DPXCreateFile(folder, name, info, frame, &settings->pixels);
  std::free(info);
  return err;
}
