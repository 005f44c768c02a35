// Timecode text. A timecode is 11 characters "hh:mm:ss:ff" (';' in every
// separator place for drop-frame counting) plus its terminator.
//
// Non-drop counting divides the frame by the frames of ten hours, an hour,
// ten minutes, a minute, ten seconds and a second in turn. The families of
// 29.97, 23.976 and 59.94 (with their whole twins 30, 24 and 60) count at
// their whole rate; any other rate r (times 100) uses r x 360, r x 36, r x 6,
// r x 60 / 100, r / 10 and r / 100 frames for those digits.
//
// Drop-frame counting skips frame numbers at the start of every minute
// except each tenth: two at 29.97 and 23.976, four at 59.94. The frame is
// first turned into the count of frame numbers that would have been used at
// the whole rate, then written as non-drop at that rate; frame 1,798 at 29.97
// is "00;00;59;28" and frame 1,800 is "00;01;00;02".
#include "media/timecode_text.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

struct RateFamily {
  int32_t rateA, rateB;  // the fractional rate and its whole twin
  int64_t wholeRate;     // frames per second counted
  int64_t dropPerMinute; // frame numbers skipped per minute in drop-frame counting
};

const RateFamily kFamilies[] = {
    {2997, 3000, 30, 2},
    {2398, 2400, 24, 2},
    {5994, 6000, 60, 4},
};

const RateFamily* FamilyOf(int32_t rate) {
  for (const RateFamily& f : kFamilies)
    if (rate == f.rateA || rate == f.rateB) return &f;
  return nullptr;
}

// The frame numbers a drop-frame count skips up to frame.
int64_t DroppedNumbers(const RateFamily& f, int64_t frame) {
  const int64_t minute = 60 * f.wholeRate - f.dropPerMinute;
  const int64_t tenMinutes = 600 * f.wholeRate - 9 * f.dropPerMinute;
  const int64_t blocks = frame / tenMinutes;
  const int64_t rest = frame % tenMinutes;
  int64_t dropped = 9 * f.dropPerMinute * blocks;
  if (rest >= f.dropPerMinute) dropped += f.dropPerMinute * ((rest - f.dropPerMinute) / minute);
  return dropped;
}

void PutTwoDigits(char* at, int64_t value) {
  at[0] = char('0' + (value / 10) % 10);
  at[1] = char('0' + value % 10);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void FormatTimecodeText(int64_t frame, int32_t rate, int32_t mode, int32_t counting, int64_t offset,
                        int32_t framesPerFoot, char* buffer, size_t length) {
  if (!buffer || length == 0) return;
  buffer[0] = 0;
  switch (mode) {
    case kTimecodeModeFrameNumber: {
      int64_t shown;
      if (__builtin_add_overflow(frame, offset, &shown)) return;
      std::snprintf(buffer, length, "%05lld", static_cast<long long>(shown));
      return;
    }
    case kTimecodeModeTimecode:
    case kTimecodeModeTimecode1: {
      if (length < 12 || rate < 100 || frame < 0) return;
      const RateFamily* family = FamilyOf(rate);
      const bool drop = family && counting == kTimecodeDropFrame;
      // Frames per second, ten seconds, minute, ten minutes and hour.
      int64_t second, tenSeconds, minute, tenMinutes, hour;
      int64_t count = frame;
      if (family) {
        if (drop && __builtin_add_overflow(count, DroppedNumbers(*family, frame), &count)) return;
        second = family->wholeRate;
        tenSeconds = 10 * second;
        minute = 60 * second;
        tenMinutes = 600 * second;
        hour = 3600 * second;
      } else {
        second = rate / 100;
        tenSeconds = rate / 10;
        minute = int64_t(rate) * 60 / 100;
        tenMinutes = int64_t(rate) * 6;
        hour = int64_t(rate) * 36;
      }
      const int64_t hours = count / hour;
      count %= hour;
      const int64_t minutes = (count / tenMinutes) * 10 + (count % tenMinutes) / minute;
      count = (count % tenMinutes) % minute;
      const int64_t seconds = (count / tenSeconds) * 10 + (count % tenSeconds) / second;
      const int64_t frames = (count % tenSeconds) % second;
      const char separator = drop ? ';' : ':';
      PutTwoDigits(buffer + 0, hours);
      PutTwoDigits(buffer + 3, minutes);
      PutTwoDigits(buffer + 6, seconds);
      PutTwoDigits(buffer + 9, frames);
      buffer[2] = buffer[5] = buffer[8] = separator;
      buffer[11] = 0;
      return;
    }
    case kTimecodeModeFeetAndFrames: {
      int64_t shown;
      if (framesPerFoot <= 0 || __builtin_add_overflow(frame, offset, &shown)) return;
      std::snprintf(buffer, length, "%04lld+%02lld", static_cast<long long>(shown / framesPerFoot),
                    static_cast<long long>(shown % framesPerFoot));
      return;
    }
    default:
      return;
  }
}

namespace {

// Reads an optionally signed whole number after leading blanks; the text
// from there on is returned through end. False when no digits come.
bool ReadNumber(const char* text, const char* limit, int64_t* value, const char** end) {
  while (text < limit && (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r')) ++text;
  if (text < limit && *text == '+') ++text;
  auto [p, ec] = std::from_chars(text, limit, *value);
  if (ec != std::errc()) return false;
  *end = p;
  return true;
}

}  // namespace

int64_t ParseTimecodeText(const char* text, int32_t rate, int32_t mode, int32_t counting, int32_t framesPerFoot,
                          int64_t base) {
  if (!text) return base;
  const char* limit = text + std::strlen(text);
  switch (mode) {
    case kTimecodeModeFrameNumber: {
      int64_t frames = 0;
      const char* end = nullptr;
      int64_t total;
      if (!ReadNumber(text, limit, &frames, &end) || __builtin_add_overflow(base, frames, &total)) return base;
      return total;
    }
    case kTimecodeModeTimecode:
    case kTimecodeModeTimecode1: {
      if (rate <= 99) return 0;
      if (limit - text < 11) return base;
      static const int kDigitAt[8] = {0, 1, 3, 4, 6, 7, 9, 10};
      int64_t d[11] = {};
      for (int at : kDigitAt) {
        if (!IsDigit(text[at])) return base;
        d[at] = text[at] - '0';
      }
      int64_t frames;
      if (rate == 2997 && counting == kTimecodeDropFrame) {
        frames = d[0] * 1078920 + d[1] * 107892 + d[3] * 17982 + d[4] * 1798 + d[6] * 300 + d[7] * 30 + d[9] * 10 +
                 d[10];
      } else {
        const int64_t seconds = d[0] * 36000 + d[1] * 3600 + d[3] * 600 + d[4] * 60 + d[6] * 10 + d[7];
        const double perSecond = (rate == 2397 || rate == 2398) ? 23.976023976 : rate / 100.0;
        frames = d[9] * 10 + d[10] + int64_t(double(seconds) * perSecond);
      }
      int64_t total;
      return __builtin_add_overflow(base, frames, &total) ? base : total;
    }
    case kTimecodeModeFeetAndFrames: {
      if (framesPerFoot <= 0) return base;
      int64_t feet = 0, frames = 0, total = 0;
      const char* end = nullptr;
      if (!ReadNumber(text, limit, &feet, &end) || end >= limit || *end != '+') return base;
      if (!ReadNumber(end + 1, limit, &frames, &end)) return base;
      if (__builtin_mul_overflow(feet, int64_t(framesPerFoot), &total) || __builtin_add_overflow(total, frames, &total) ||
          __builtin_add_overflow(total, base, &total))
        return base;
      return total;
    }
    default:
      return base;
  }
}
