// DPX reading.
//
// The 2,048-byte header's fields in the file's byte order: "SDPX" at 0 for a
// big-endian file, "XPDS" for a little-endian one.
//   0 magic, 4 offset to image data, 28 industry header size,
//   136 creation time (24), 260 project name (200),
//   770 element count (u16), 772 pixels per line, 776 lines per element,
//   780 + 72 e: element e: data sign, low code (784), low quantity,
//       high code (792), high quantity, descriptor (800), transfer,
//       colorimetric, bit size (803), packing (804, u16), encoding,
//       offset to data (808), end-of-line padding (812), ...
//   1724 film frame rate (float), 1920 television timecode (BCD),
//   1940 television frame rate (float).
// An industry header size of 256 takes the film rate and no timecode, 128
// or more than 256 the television timecode and rate, anything else neither.
// When the chosen rate is 0 or undefined the other header's rate is used.
#include "media/dpx_header.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "media/dpx_internal.h"
#include "platform/file_ref.h"
#include "support/alerts.h"

using namespace dpxio;

namespace {

constexpr size_t kHeaderBytes = 2048;

void MagicAlert() { QVErrorAlert("Velmora 3 UI", "Could not read file -- magic numbers do not match.", 1); }

float FieldFloat(const uint8_t* p, bool bigEndian) {
  const uint32_t bits = Field32(p, bigEndian);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

bool UsableRate(float f) { return std::isfinite(f) && f > 0; }

void CopyText(char* to, const uint8_t* from, size_t size) {
  std::memcpy(to, from, size);
  to[size - 1] = 0;
}

// Checks the header against the file's size and fills the layout. The magic
// has been checked by the caller.
QVStatus ParseLayout(const uint8_t* h, uint64_t fileSize, Layout* layout) {
  const bool be = h[0] == 'S';
  layout->bigEndian = be;
  layout->elementCount = Field16(h + 770, be);
  layout->width = Field32(h + 772, be);
  layout->height = Field32(h + 776, be);
  if (layout->elementCount < 1 || layout->elementCount > kMaxElements) return kDPXErrBadFile;
  if (layout->width < 1 || layout->height < 1 || layout->width > kDPXMaxDimension ||
      layout->height > kDPXMaxDimension || uint64_t(layout->width) * layout->height > kMaxPixels)
    return kDPXErrBadFile;
  // Every picture stores at least one bit a pixel, whatever its elements.
  if (uint64_t(layout->width) * layout->height > fileSize * 8) return kDPXErrBadFile;
  const uint32_t imageOffset = Field32(h + 4, be);
  for (uint32_t e = 0; e < layout->elementCount; ++e) {
    const uint8_t* p = h + 780 + 72 * e;
    Element& el = layout->elements[e];
    el.low = Field32(p + 4, be);
    el.high = Field32(p + 12, be);
    el.descriptor = p[20];
    el.bits = p[23];
    el.packing = Field16(p + 24, be);
    el.dataOffset = Field32(p + 28, be);
    el.eolPadding = Field32(p + 32, be);
    if (el.dataOffset == 0 || el.dataOffset == kUndefined32) el.dataOffset = imageOffset;
    if (el.eolPadding == kUndefined32) el.eolPadding = 0;
    el.samplesPerPixel = SamplesPerPixel(el.descriptor);
    if (el.bits < 1 || el.bits > 32 || el.packing > 1 || (el.descriptor == 100 && el.bits < 8))
      el.samplesPerPixel = 0;
    if (el.samplesPerPixel == 0) continue;
    // The element's rows must lie within the file.
    const uint64_t count = el.descriptor == 100 ? uint64_t((layout->width + 1) / 2) * 4
                                                : uint64_t(layout->width) * el.samplesPerPixel;
    const uint64_t rows = (RowBytes(el.bits, el.packing, count) + el.eolPadding) * layout->height;
    if (el.dataOffset > fileSize || rows > fileSize - el.dataOffset) return kDPXErrBadFile;
  }
  return kQVNoErr;
}

QVStatus ParseInfo(const uint8_t* h, uint64_t fileSize, DPXHeaderInfo* info, Layout* layout) {
  if (fileSize < kHeaderBytes) return kDPXErrBadFile;
  if (std::memcmp(h, "SDPX", 4) != 0 && std::memcmp(h, "XPDS", 4) != 0) {
    MagicAlert();
    return kDPXErrBadFile;
  }
  if (QVStatus err = ParseLayout(h, fileSize, layout)) return err;
  const bool be = layout->bigEndian;
  std::memset(info, 0, sizeof *info);
  info->width = layout->width;
  info->height = layout->height;
  info->elementCount = layout->elementCount;
  CopyText(info->creationTime, h + 136, sizeof info->creationTime);
  CopyText(info->projectName, h + 260, sizeof info->projectName);
  const uint32_t industry = Field32(h + 28, be);
  const float film = FieldFloat(h + 1724, be), television = FieldFloat(h + 1940, be);
  const uint32_t timecode = Field32(h + 1920, be);
  float chosen = 0, other = 0;
  if (industry == 256) {
    chosen = film;
    other = television;
  } else if (industry == 128 || industry > 256) {
    info->timecode = timecode == kUndefined32 ? 0 : timecode;
    chosen = television;
    other = film;
  }
  if (industry == 128 || industry >= 256) info->frameRate = UsableRate(chosen) ? chosen : UsableRate(other) ? other : 0;
  return kQVNoErr;
}

QVStatus ParseImageLayout(const uint8_t* h, uint64_t fileSize, Layout* layout) {
  DPXHeaderInfo info;
  return ParseInfo(h, fileSize, &info, layout);
}

}  // namespace

QVStatus DPXParseHeaderInfo(const uint8_t* bytes, size_t size, DPXHeaderInfo* info) {
  if (!bytes || !info) return kQVErrParam;
  if (size < kHeaderBytes) return kDPXErrBadFile;
  Layout layout;
  return ParseInfo(bytes, size, info, &layout);
}

QVStatus DPXDecodeImage(const uint8_t* bytes, size_t size, void* buffer, uint32_t rowBytes, uint32_t width,
                        uint32_t height) {
  return DecodeImageBytes(bytes, size, kHeaderBytes, kDPXErrBadFile, ParseImageLayout, buffer, rowBytes, width,
                          height);
}

QVStatus DPXReadHeaderInfo(const char* path, DPXHeaderInfo* info) {
  if (!path || !info) return kQVErrParam;
  uint8_t h[kHeaderBytes];
  uint64_t fileSize = 0;
  Layout layout;
  QVStatus err = ReadFileHead(path, h, kHeaderBytes, kDPXErrBadFile, nullptr, &fileSize);
  return err ? err : ParseInfo(h, fileSize, info, &layout);
}

QVStatus DPXReadImage(const char* path, void* buffer, uint32_t rowBytes, uint32_t width, uint32_t height,
                      uint32_t depth, bool planar) {
  if (depth != 16 || planar) return kQVErrParam;
  return ReadImageFile(path, kHeaderBytes, kDPXErrBadFile, ParseImageLayout, buffer, rowBytes, width, height);
}
