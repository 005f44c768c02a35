// Unpacking DPX and Cineon samples and storing them as 16-bit pixels.
//
// A row of samples lies in whole 32-bit words. 10-bit filled data (the
// common case) holds one pixel per word, R in bits 31-22, G in 21-12, B in
// 11-2, the word in the file's byte order. 8- and 16-bit samples are bytes
// and 16-bit values in file order; 12-bit filled data is one sample per
// 16-bit value, in its top 12 bits. Filled data of other sizes reads from
// the top of each word down. Packed 10-bit data runs from the top of each
// word down across word boundaries; packed data of every other size from
// the bottom of each word up (12-bit R0 in bits 0-11, G0 in 12-23, B0 in
// 24-31 and on in bits 0-3 of the next word).
#include "media/dpx_internal.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_ref.h"

namespace dpxio {

uint32_t SamplesPerPixel(uint32_t descriptor) {
  switch (descriptor) {
    case 50: return 3;
    case 51: case 52: return 4;
    case 100: return 2;  // Cb, Y, Cr, Y per two pixels
    default: return 0;
  }
}

namespace {

bool FileOrderBits(uint32_t bits, uint32_t packing) { return bits == 8 || bits == 16 || (bits == 12 && packing == 1); }

}  // namespace

uint64_t RowBytes(uint32_t bits, uint32_t packing, uint64_t count) {
  uint64_t words;
  if (FileOrderBits(bits, packing) || packing == 1) {
    const uint64_t perWord = bits == 12 ? 2 : std::max<uint64_t>(1, 32 / bits);
    words = (count + perWord - 1) / perWord;
  } else {
    words = (count * bits + 31) / 32;
  }
  return words * 4;
}

void UnpackRow(const uint8_t* row, bool bigEndian, uint32_t bits, uint32_t packing, uint32_t count,
               uint32_t* samples) {
  if (bits == 8) {
    for (uint32_t i = 0; i < count; ++i) samples[i] = row[i];
    return;
  }
  if (bits == 16) {
    for (uint32_t i = 0; i < count; ++i) samples[i] = Field16(row + 2 * size_t(i), bigEndian);
    return;
  }
  if (bits == 12 && packing == 1) {
    for (uint32_t i = 0; i < count; ++i) samples[i] = Field16(row + 2 * size_t(i), bigEndian) >> 4;
    return;
  }
  const uint32_t mask = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  if (bits == 10 && packing == 1) {
    uint32_t i = 0;
    for (; i + 3 <= count; i += 3, row += 4) {
      const uint32_t w = Field32(row, bigEndian);
      samples[i] = w >> 22;
      samples[i + 1] = (w >> 12) & 0x3FF;
      samples[i + 2] = (w >> 2) & 0x3FF;
    }
    if (i < count) {
      const uint32_t w = Field32(row, bigEndian);
      for (uint32_t k = 0; i < count; ++i, ++k) samples[i] = (w >> (22 - 10 * k)) & 0x3FF;
    }
    return;
  }
  if (packing == 1) {
    const uint32_t perWord = std::max<uint32_t>(1, 32 / bits);
    for (uint32_t i = 0; i < count; row += 4) {
      const uint32_t w = Field32(row, bigEndian);
      for (uint32_t k = 0; k < perWord && i < count; ++k, ++i)
        samples[i] = uint32_t((uint64_t(w) >> (32 - bits * (k + 1))) & mask);
    }
    return;
  }
  uint64_t window = 0;
  uint32_t have = 0;
  if (bits == 10) {
    // Packed 10-bit data runs from the top of each word down into the next.
    for (uint32_t i = 0; i < count; ++i) {
      if (have < bits) {
        window |= uint64_t(Field32(row, bigEndian)) << (32 - have);
        row += 4;
        have += 32;
      }
      samples[i] = uint32_t(window >> (64 - bits)) & mask;
      window <<= bits;
      have -= bits;
    }
    return;
  }
  // Other packed sizes run from the bottom of each word up into the next,
  // as the files of other tools have them.
  for (uint32_t i = 0; i < count; ++i) {
    if (have < bits) {
      window |= uint64_t(Field32(row, bigEndian)) << have;
      row += 4;
      have += 32;
    }
    samples[i] = uint32_t(window) & mask;
    window >>= bits;
    have -= bits;
  }
}

BlockReader::BlockReader(int fd, uint64_t size) : fd_(fd), size_(size), block_(kBlockBytes) {}

bool BlockReader::Fill() {
  blockStart_ = position_;
  const uint64_t want = std::min<uint64_t>(kBlockBytes, size_ - position_);
  size_t got = 0;
  while (got < want) {
    const ssize_t n = ::pread(fd_, block_.data() + got, size_t(want - got), off_t(position_ + got));
    if (n <= 0) break;
    got += size_t(n);
  }
  blockEnd_ = blockStart_ + got;
  return got > 0;
}

bool BlockReader::Read(uint8_t* out, size_t n) {
  if (position_ > size_ || n > size_ - position_) return false;
  if (bytes_) {
    std::memcpy(out, bytes_ + position_, n);
    position_ += n;
    return true;
  }
  while (n > 0) {
    if (position_ < blockStart_ || position_ >= blockEnd_) {
      if (!Fill()) return false;
    }
    const size_t take = size_t(std::min<uint64_t>(n, blockEnd_ - position_));
    std::memcpy(out, block_.data() + (position_ - blockStart_), take);
    out += take;
    n -= take;
    position_ += take;
  }
  return true;
}

void SampleScale::Prepare(uint32_t bits, uint32_t lowCode, uint32_t highCode) {
  const uint64_t full = bits >= 32 ? 0xFFFFFFFFull : (uint64_t(1) << bits) - 1;
  low = lowCode == kUndefined32 ? 0 : lowCode;
  high = highCode == kUndefined32 ? uint32_t(full) : highCode;
  // Files that leave both codes 0 (or give them upside down) mean the full range.
  if (high <= low) {
    low = 0;
    high = uint32_t(full);
  }
  table.clear();
  if (bits <= 16) {
    const uint32_t l = low, h = high;
    table.resize(size_t(full) + 1);
    for (uint64_t s = 0; s <= full; ++s)
      table[s] = s <= l ? 0 : s >= h ? 32768 : uint16_t(uint64_t(32768) * (s - l) / (h - l));
  }
}

namespace {

uint16_t Clamp16(double v) {
  if (!(v > 0)) return 0;
  if (v >= 32768) return 32768;
  return uint16_t(std::lround(v));
}

void StoreLumaChroma(uint32_t bits, const uint32_t* s, uint32_t width, uint16_t* out) {
  const double black = double(16u << (bits - 8));
  const double mid = double(128u << (bits - 8));
  // Exact for 10-bit codes; other sizes are brought to the 10-bit scale.
  const double depthScale = std::ldexp(1.0, 10 - int(bits));
  const double kS = 8192.0;
  for (uint32_t x = 0; x < width; x += 2, s += 4) {
    const double cb = (double(s[0]) - mid) * depthScale, cr = (double(s[2]) - mid) * depthScale;
    for (uint32_t k = 0; k < 2 && x + k < width; ++k) {
      const double y = (double(s[1 + 2 * k]) - black) * depthScale * 0.00456621;
      uint16_t* p = out + 4 * size_t(x + k);
      p[0] = 32768;
      p[1] = Clamp16((y + 0.00625893 * cr) * kS);
      p[2] = Clamp16((y - 0.00153396 * cb - 0.00318811 * cr) * kS);
      p[3] = Clamp16((y + 0.00791071 * cb) * kS);
    }
  }
}

}  // namespace

void StoreRow(uint32_t descriptor, uint32_t bits, const uint32_t* s, const SampleScale& scale, uint32_t width,
              uint16_t* out) {
  switch (descriptor) {
    case 50:
      for (uint32_t x = 0; x < width; ++x, s += 3, out += 4) {
        out[0] = 32768;
        out[1] = scale(s[0]);
        out[2] = scale(s[1]);
        out[3] = scale(s[2]);
      }
      return;
    case 51:
      for (uint32_t x = 0; x < width; ++x, s += 4, out += 4) {
        out[0] = scale(s[3]);
        out[1] = scale(s[0]);
        out[2] = scale(s[1]);
        out[3] = scale(s[2]);
      }
      return;
    case 52:
      for (uint32_t x = 0; x < width; ++x, s += 4, out += 4) {
        out[0] = scale(s[0]);
        out[1] = scale(s[3]);
        out[2] = scale(s[2]);
        out[3] = scale(s[1]);
      }
      return;
    case 100:
      StoreLumaChroma(bits, s, width, out);
      return;
    default:
      return;
  }
}

QVStatus ReadFileHead(const char* path, uint8_t* head, size_t n, QVStatus shortStatus, int* openFd, uint64_t* size) {
  int local = -1;
  int* fd = openFd ? openFd : &local;
  *fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (*fd < 0) return errno == ENOENT ? kQVErrFileNotFound : PLStatusFromErrno(errno);
  struct stat st;
  size_t got = 0;
  if (::fstat(*fd, &st) == 0) {
    *size = uint64_t(st.st_size);
    while (got < n) {
      const ssize_t r = ::pread(*fd, head + got, n - got, off_t(got));
      if (r <= 0) break;
      got += size_t(r);
    }
  }
  if (got < n) {
    ::close(*fd);
    *fd = -1;
    return shortStatus;
  }
  if (!openFd) ::close(local);
  return kQVNoErr;
}

QVStatus DecodeElements(BlockReader& reader, const Layout& layout, void* out, uint32_t rowBytes, uint32_t width,
                        uint32_t height) {
  if (width != layout.width || height != layout.height || uint64_t(rowBytes) < uint64_t(width) * 8)
    return kQVErrParam;
  uint8_t* buffer = static_cast<uint8_t*>(out);
  std::vector<uint8_t> row;
  std::vector<uint32_t> samples;
  SampleScale scale;
  for (uint32_t e = 0; e < layout.elementCount; ++e) {
    const Element& el = layout.elements[e];
    if (el.samplesPerPixel == 0) continue;
    // 4:2:2 rows hold whole pairs.
    const uint64_t count = el.descriptor == 100 ? uint64_t((layout.width + 1) / 2) * 4
                                                : uint64_t(layout.width) * el.samplesPerPixel;
    const uint64_t fileRow = RowBytes(el.bits, el.packing, count);
    row.resize(size_t(fileRow) + 4);
    samples.resize(size_t(count));
    scale.Prepare(el.bits, el.low, el.high);
    reader.Seek(el.dataOffset);
    for (uint32_t y = 0; y < layout.height; ++y) {
      if (!reader.Read(row.data(), size_t(fileRow))) return kQVNoErr;  // short data: the rest stays as it was
      UnpackRow(row.data(), layout.bigEndian, el.bits, el.packing, uint32_t(count), samples.data());
      StoreRow(el.descriptor, el.bits, samples.data(), scale, layout.width,
               reinterpret_cast<uint16_t*>(buffer + size_t(y) * rowBytes));
      if (el.eolPadding) reader.Seek(el.dataOffset + (y + 1) * (fileRow + el.eolPadding));
    }
  }
  return kQVNoErr;
}

QVStatus ReadImageFile(const char* path, size_t headBytes, QVStatus shortStatus, LayoutParser parse, void* buffer,
                       uint32_t rowBytes, uint32_t width, uint32_t height) {
  if (!path || !buffer) return kQVErrParam;
  std::vector<uint8_t> head(headBytes);
  uint64_t fileSize = 0;
  int fd = -1;
  if (QVStatus err = ReadFileHead(path, head.data(), headBytes, shortStatus, &fd, &fileSize)) return err;
  Layout layout;
  QVStatus err = parse(head.data(), fileSize, &layout);
  if (err == kQVNoErr) {
    BlockReader reader(fd, fileSize);
    err = DecodeElements(reader, layout, buffer, rowBytes, width, height);
  }
  ::close(fd);
  return err;
}

QVStatus DecodeImageBytes(const uint8_t* bytes, size_t size, size_t headBytes, QVStatus shortStatus,
                          LayoutParser parse, void* buffer, uint32_t rowBytes, uint32_t width, uint32_t height) {
  if (!bytes || !buffer) return kQVErrParam;
  if (size < headBytes) return shortStatus;
  Layout layout;
  if (QVStatus err = parse(bytes, size, &layout)) return err;
  BlockReader reader(bytes, size);
  return DecodeElements(reader, layout, buffer, rowBytes, width, height);
}

}  // namespace dpxio
