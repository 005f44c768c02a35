// Broadcast WAVE files. Little-endian RIFF:
//   "RIFF", u32 size (of what follows), "WAVE", then chunks:
//   4-character id, u32 size, size bytes, one pad byte when size is odd.
// 'fmt ': u16 format tag, u16 channels, u32 sample rate, u32 byte rate,
//         u16 block alignment, u16 bits per sample, [u16 extra size].
// 'bext': the broadcast extension; its first 606 bytes are kept (the
//         sample count since midnight at 338, low word first).
// 'data': the samples; its start and size are recorded.
// A chunk that claims more than the RIFF size has left ends the walk; a
// short 'fmt ' or 'bext' reads zeros past its end.
#include <unistd.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "media/media_internal.h"

namespace media {

namespace {

struct WaveSource {
  const uint8_t* bytes;
  int fd;
  uint64_t size;

  bool ReadAt(uint64_t offset, uint8_t* out, size_t n) const {
    if (offset > size || n > size - offset) return false;
    if (bytes) {
      std::memcpy(out, bytes + offset, n);
      return true;
    }
    size_t got = 0;
    while (got < n) {
      const ssize_t r = ::pread(fd, out + got, n - got, off_t(offset + got));
      if (r <= 0) return false;
      got += size_t(r);
    }
    return true;
  }
};

uint32_t LE32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t LE16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

bool Walk(const WaveSource& src, QVMediaFileRef* ref) {
  uint8_t head[12];
  if (!src.ReadAt(0, head, sizeof head) || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
    return false;
  const uint32_t riffSize = LE32(head + 4);
  if (riffSize < 4) return false;
  uint64_t remaining = std::min<uint64_t>(riffSize - 4, src.size - 12);
  uint64_t position = 12;
  bool haveFormat = false, haveExtension = false, haveData = false;
  uint32_t dataStart = 0, dataLength = 0;
  QVWaveFormat format{};
  uint8_t extension[606] = {};
  while (remaining >= 8) {
    uint8_t chunk[8];
    if (!src.ReadAt(position, chunk, sizeof chunk)) break;
    const uint32_t size = LE32(chunk + 4);
    remaining -= 8;
    position += 8;
    if (size > remaining) break;
    if (std::memcmp(chunk, "data", 4) == 0) {
      if (position > 0xFFFFFFFFu) break;
      dataStart = uint32_t(position);
      dataLength = size;
      haveData = true;
    } else if (std::memcmp(chunk, "bext", 4) == 0) {
      std::memset(extension, 0, sizeof extension);
      if (!src.ReadAt(position, extension, std::min<size_t>(size, sizeof extension))) break;
      haveExtension = true;
    } else if (std::memcmp(chunk, "fmt ", 4) == 0) {
      uint8_t f[18] = {};
      if (!src.ReadAt(position, f, std::min<size_t>(size, sizeof f))) break;
      format = {LE16(f), LE16(f + 2), LE32(f + 4), LE32(f + 8), LE16(f + 12), LE16(f + 14), LE16(f + 16)};
      haveFormat = true;
    }
    const uint64_t skip = uint64_t(size) + (size & 1);
    if (skip >= remaining) break;
    remaining -= skip;
    position += skip;
  }
  // A block alignment of 0 would make every sample position a division by zero.
  if (!haveFormat || !haveExtension || !haveData || format.blockAlign == 0) return false;
  ref->waveFormat = format;
  std::memcpy(ref->broadcastExtension, extension, sizeof extension);
  ref->audioDataStart = dataStart;
  ref->audioDataLength = dataLength;
  return true;
}

}  // namespace

bool ReadWaveChunks(int fd, QVMediaFileRef* ref) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  return Walk(WaveSource{nullptr, fd, uint64_t(st.st_size)}, ref);
}

bool ParseWaveChunks(const uint8_t* bytes, size_t size, QVMediaFileRef* ref) {
  return bytes && Walk(WaveSource{bytes, -1, size}, ref);
}

}  // namespace media
