// What the DPX and Cineon readers share: the element layout taken
// from a header, the block reader over a file or memory, and the unpacking
// of one row of samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/status.h"

namespace dpxio {

constexpr size_t kBlockBytes = 256 * 1024;
constexpr uint64_t kMaxPixels = uint64_t(1) << 28;  // 2 GiB of 16-bit output
constexpr uint32_t kMaxElements = 8;
constexpr uint32_t kUndefined32 = 0xFFFFFFFFu;

struct Element {
  uint32_t descriptor;
  uint32_t bits;     // 1 to 32
  uint32_t packing;  // 0 packed, 1 filled
  uint32_t low, high;
  uint32_t dataOffset;
  uint32_t eolPadding;
  uint32_t samplesPerPixel;  // 0: a descriptor the readers leave unread
};

struct Layout {
  bool bigEndian;
  uint32_t width, height;
  uint32_t elementCount;
  Element elements[kMaxElements];
};

// Reads 16- and 32-bit fields in the file's order.
inline uint32_t Field32(const uint8_t* p, bool bigEndian) {
  return bigEndian ? (uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3])
                   : (uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
}
inline uint16_t Field16(const uint8_t* p, bool bigEndian) {
  return bigEndian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
}

// Samples per pixel of a descriptor the readers decode (50, 51, 52, 100), else 0.
uint32_t SamplesPerPixel(uint32_t descriptor);

// Bytes one row of count samples takes in the file: whole 32-bit words, plus
// the element's end-of-line padding.
uint64_t RowBytes(uint32_t bits, uint32_t packing, uint64_t count);

// Unpacks count samples of one row. Samples of 8 and 16 bits, and 12-bit
// filled samples (one in each 16-bit half of a word, in the top 12 bits),
// follow each other in file order; every other size is taken from the most
// significant end of 32-bit words read in the file's byte order, starting
// afresh in each word (packing 1); packed 10-bit data (packing 0) runs from
// the top of each word into the next, other packed sizes from the bottom.
void UnpackRow(const uint8_t* row, bool bigEndian, uint32_t bits, uint32_t packing, uint32_t count,
               uint32_t* samples);

// Sequential reads over a file (through a 256 KB block) or bytes in memory.
class BlockReader {
 public:
  BlockReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
  explicit BlockReader(int fd, uint64_t size);
  // Positions the next read at offset.
  void Seek(uint64_t offset) { position_ = offset; }
  // Copies n bytes; false (nothing promised about out) when fewer remain.
  bool Read(uint8_t* out, size_t n);
  uint64_t Size() const { return size_; }

 private:
  bool Fill();
  const uint8_t* bytes_ = nullptr;
  int fd_ = -1;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
  uint64_t blockStart_ = 0, blockEnd_ = 0;
  std::vector<uint8_t> block_;
};

// Scales samples of an element into 16-bit values, full scale 32768.
struct SampleScale {
  uint32_t low, high;      // high > low after the fallback to 0 and full code
  std::vector<uint16_t> table;  // bits up to 16
  void Prepare(uint32_t bits, uint32_t lowCode, uint32_t highCode);
  uint16_t operator()(uint32_t s) const {
    if (!table.empty()) return table[s];
    if (s <= low) return 0;
    if (s >= high) return 32768;
    return uint16_t(uint64_t(32768) * (s - low) / (high - low));
  }
};

// Writes one row of decoded samples as 16-bit A, R, G, B pixels.
void StoreRow(uint32_t descriptor, uint32_t bits, const uint32_t* samples, const SampleScale& scale,
              uint32_t width, uint16_t* out);

// Reads the elements' rows from reader into the 16-bit buffer, once the
// caller's width, height and row bytes are found to match the layout.
QVStatus DecodeElements(BlockReader& reader, const Layout& layout, void* buffer, uint32_t rowBytes, uint32_t width,
                        uint32_t height);

// The whole image of a file or of bytes in memory: the header of headBytes
// (shortStatus when there are fewer) is turned into a layout by parse, and
// the elements decoded into the buffer.
using LayoutParser = QVStatus (*)(const uint8_t* head, uint64_t fileSize, Layout* layout);
QVStatus ReadImageFile(const char* path, size_t headBytes, QVStatus shortStatus, LayoutParser parse, void* buffer,
                       uint32_t rowBytes, uint32_t width, uint32_t height);
QVStatus DecodeImageBytes(const uint8_t* bytes, size_t size, size_t headBytes, QVStatus shortStatus,
                          LayoutParser parse, void* buffer, uint32_t rowBytes, uint32_t width, uint32_t height);

// Opens the file and reads its first n bytes: the file stays open in *fd
// (closed by the caller) when the result is 0 and fd is given. shortStatus when the file
// is shorter than n; the open error when it cannot be opened.
QVStatus ReadFileHead(const char* path, uint8_t* head, size_t n, QVStatus shortStatus, int* fd, uint64_t* size);

}  // namespace dpxio
