// Image sequences: numbered files of one name pattern. The frame number is
// the run of digits that ends the file name before its last dot, or ends the
// path when the name has no dot; neighbours are looked for one number at a
// time, downwards and upwards, written with as many digits as the run has.
#include <cstdio>
#include <cstring>

#include "media/media_internal.h"
#include "support/alerts.h"

namespace media {

namespace {

constexpr uint32_t kMaxDigits = 16;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool FrameExists(const char* path, uint32_t position, uint32_t count, int64_t number) {
  char candidate[1024];
  SequenceFramePath(path, position, count, number, candidate, sizeof candidate);
  return PLPathExists(candidate) && !PLPathIsFolder(candidate);
}

}  // namespace

bool FindDigitRun(const char* path, uint32_t* position, uint32_t* count, int64_t* value) {
  const size_t length = std::strlen(path);
  const char* slash = std::strrchr(path, '/');
  const size_t nameStart = slash ? size_t(slash - path) + 1 : 0;
  const char* dot = std::strrchr(path + nameStart, '.');
  size_t end = dot ? size_t(dot - path) : length;  // one past the run's last digit
  size_t start = end;
  while (start > nameStart && IsDigit(path[start - 1])) --start;
  const size_t n = end - start;
  if (n == 0 || n > kMaxDigits) return false;
  int64_t v = 0;
  for (size_t i = start; i < end; ++i) v = v * 10 + (path[i] - '0');
  *position = uint32_t(start);
  *count = uint32_t(n);
  *value = v;
  return true;
}

void SequenceFramePath(const char* path, uint32_t position, uint32_t count, int64_t number, char* out, size_t size) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%016lld", static_cast<long long>(number));
  const size_t have = std::strlen(digits);
  std::snprintf(out, size, "%.*s%s%s", int(position), path, digits + (have - count), path + position + count);
}

void SearchSequence(QVMediaFileRef* ref, uint8_t openFlags) {
  uint32_t position, count;
  int64_t number;
  if (!FindDigitRun(ref->path, &position, &count, &number)) return;
  int64_t first = number;
  while (first > 0 && FrameExists(ref->path, position, count, first - 1)) --first;
  // Numbers past the run's width would need more digits than it has.
  int64_t limit = 1;
  for (uint32_t i = 0; i < count; ++i) limit *= 10;
  int64_t last = number;
  while (last + 1 < limit && FrameExists(ref->path, position, count, last + 1)) ++last;
  if (last - first < 1) return;
  if ((openFlags & kQVMediaOpenAskSequence) &&
      !QVAlternativesAlert("Velmora 3 UI", "Do you wish to import this file as part of an image sequence?", "", 1,
                           "Yes", "No"))
    return;
  ref->flags |= kQVMediaSequence;
  // A DPX sequence keeps the rate its header gives; others play at 24.
  if (!((ref->flags & kQVMediaDPX) && ref->rate != 0)) {
    ref->rate = 24;
    ref->dropRate = 0;
  }
  ref->lastFrame = last - first;
  ref->firstSequenceNumber = first;
  ref->digitPosition = position;
  ref->digitCount = count;
  char path[1024];
  SequenceFramePath(ref->path, position, count, first, path, sizeof path);
  std::memcpy(ref->path, path, sizeof path);
}

}  // namespace media
