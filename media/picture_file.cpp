// The picture-file still ('zrx'): a length word in the writing machine's
// order (little-endian here) and the picture after it; or all ones, a
// big-endian offset H, and at H + 512 the big-endian length with the
// picture after it. Only where the picture lies is worked out here.
#include <unistd.h>

#include <cstring>

#include "media/media_internal.h"

namespace media {

namespace {

template <typename ReadAt>
bool Locate(ReadAt readAt, uint64_t size, uint64_t* start, uint64_t* length) {
  uint8_t w[8];
  if (!readAt(0, w, 4)) return false;
  const uint32_t first = uint32_t(w[0]) | uint32_t(w[1]) << 8 | uint32_t(w[2]) << 16 | uint32_t(w[3]) << 24;
  uint64_t at = 4, n = first;
  if (first == 0xFFFFFFFFu) {
    if (!readAt(4, w + 4, 4)) return false;
    const uint64_t h = uint64_t(w[4]) << 24 | uint64_t(w[5]) << 16 | uint64_t(w[6]) << 8 | w[7];
    if (!readAt(h + 512, w, 4)) return false;
    n = uint64_t(w[0]) << 24 | uint64_t(w[1]) << 16 | uint64_t(w[2]) << 8 | w[3];
    at = h + 516;
  }
  if (n == 0 || at > size || n > size - at) return false;
  *start = at;
  *length = n;
  return true;
}

}  // namespace

bool PictureFileLocate(int fd, uint64_t fileSize, uint64_t* start, uint64_t* length) {
  auto readAt = [fd, fileSize](uint64_t offset, uint8_t* out, size_t n) {
    if (offset > fileSize || n > fileSize - offset) return false;
    return ::pread(fd, out, n, off_t(offset)) == ssize_t(n);
  };
  return Locate(readAt, fileSize, start, length);
}

bool PictureFileLocateBytes(const uint8_t* bytes, size_t size, uint64_t* start, uint64_t* length) {
  auto readAt = [bytes, size](uint64_t offset, uint8_t* out, size_t n) {
    if (!bytes || offset > size || n > size - offset) return false;
    std::memcpy(out, bytes + offset, n);
    return true;
  };
  return Locate(readAt, size, start, length);
}

}  // namespace media
