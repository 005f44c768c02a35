// Cineon reading.
//
// The 1,964-byte header is big-endian by the format; a file whose magic
// reads 0xD75F2A80 has every field swapped. Fields used:
//   0 magic 0x802A5FD7, 4 offset to image data (u32),
//   193 channel count (u8), 198 bit depth of channel 1 (u8),
//   200 pixels per line (u32), 204 lines (u32).
// The image is three samples per pixel, filled into 32-bit words from the
// top (10-bit: bits 31-22, 21-12, 11-2), each row starting a new word;
// a sample s of b bits becomes 32768 x s / (2^b - 1).
#include "media/dpx_header.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "media/dpx_internal.h"
#include "platform/file_ref.h"
#include "support/alerts.h"

using namespace dpxio;

namespace {

constexpr size_t kHeaderBytes = 1964;
constexpr uint32_t kMagic = 0x802A5FD7u;

QVStatus ParseCineon(const uint8_t* h, uint64_t fileSize, CineonHeaderInfo* info, Layout* layout) {
  bool be;
  if (Field32(h, true) == kMagic) {
    be = true;
  } else if (Field32(h, false) == kMagic) {
    be = false;
  } else {
    QVErrorAlert("Velmora 3 UI", "Could not read file -- magic numbers do not match.", 1);
    return kDPXErrBadFile;
  }
  info->width = Field32(h + 200, be);
  info->height = Field32(h + 204, be);
  info->channelCount = h[193];
  const uint32_t bits = h[198];
  const uint32_t offset = Field32(h + 4, be);
  if (info->width < 1 || info->height < 1 || info->width > kDPXMaxDimension || info->height > kDPXMaxDimension ||
      uint64_t(info->width) * info->height > kMaxPixels || info->channelCount < 1 || info->channelCount > 8 ||
      bits < 1 || bits > 16 || offset < kHeaderBytes)
    return kDPXErrBadFile;
  layout->bigEndian = be;
  layout->width = info->width;
  layout->height = info->height;
  layout->elementCount = 1;
  Element& el = layout->elements[0];
  el = Element{50, bits, 1, 0, (1u << bits) - 1, offset, 0, 3};
  const uint64_t rows = RowBytes(bits, 1, uint64_t(info->width) * 3) * info->height;
  if (offset > fileSize || rows > fileSize - offset) return kDPXErrBadFile;
  return kQVNoErr;
}

QVStatus ParseImageLayout(const uint8_t* h, uint64_t fileSize, Layout* layout) {
  CineonHeaderInfo info;
  return ParseCineon(h, fileSize, &info, layout);
}

}  // namespace

QVStatus CineonParseHeaderInfo(const uint8_t* bytes, size_t size, CineonHeaderInfo* info) {
  if (!bytes || !info) return kQVErrParam;
  if (size < kHeaderBytes) return kQVErrEndOfFile;
  Layout layout;
  return ParseCineon(bytes, size, info, &layout);
}

QVStatus CineonDecodeImage(const uint8_t* bytes, size_t size, void* buffer, uint32_t rowBytes, uint32_t width,
                           uint32_t height) {
  return DecodeImageBytes(bytes, size, kHeaderBytes, kQVErrEndOfFile, ParseImageLayout, buffer, rowBytes, width,
                          height);
}

QVStatus CineonReadHeaderInfo(const char* path, CineonHeaderInfo* info) {
  if (!path || !info) return kQVErrParam;
  uint8_t h[kHeaderBytes];
  uint64_t fileSize = 0;
  Layout layout;
  QVStatus err = ReadFileHead(path, h, kHeaderBytes, kQVErrEndOfFile, nullptr, &fileSize);
  return err ? err : ParseCineon(h, fileSize, info, &layout);
}

QVStatus CineonReadImage(const char* path, void* buffer, uint32_t rowBytes, uint32_t width, uint32_t height,
                         uint32_t depth, bool planar) {
  if (depth != 16 || planar) return kQVErrParam;
  return ReadImageFile(path, kHeaderBytes, kQVErrEndOfFile, ParseImageLayout, buffer, rowBytes, width, height);
}
