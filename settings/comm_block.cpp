#include "settings/comm_block.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "core/frame_buffer.h"
#include "platform/byte_order.h"

namespace {

struct FormatSize {
  uint32_t format;
  int32_t bytesPerPixel;
};

// The pixel formats a host frame travels in, and their pixel sizes.
const FormatSize kFrameFormats[] = {
    {kFBPixFormat32ARGB, 4},     {kFBPixFormatBGRA, 4},          {kFBPixFormat16ARGB, 8},
    {kFBPixFormatFloatARGB, 16}, {kFBPixFormatFloatRGBA, 16},    {kFBPixFormatYCbCr8, 4},
    {kFBPixFormatYCbCrFloat, 16}, {kFBPixFormatFloatBGRA, 16},   {kFBPixFormatCV32ARGB, 4},
};

int32_t bytesPerPixel(uint32_t format) {
  for (const FormatSize& f : kFrameFormats)
    if (f.format == format) return f.bytesPerPixel;
  return 0;
}

uint32_t* wordAt(const CCView& v, size_t offset) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(v.block) + offset);
}

}  // namespace

int32_t CCExchangeKey() {
  const char* text = std::getenv(kCCKeyVariable);
  if (!text || !*text) return int32_t(kCCSignature);
  const size_t length = std::strlen(text);
  const char* end = text + length;
  int64_t value = 0;
  std::from_chars_result r{};
  if (length > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    r = std::from_chars(text + 2, end, value, 16);
  } else {
    r = std::from_chars(text, end, value, 10);
  }
  if (r.ec == std::errc() && r.ptr == end && value > 0 && value <= INT32_MAX) return int32_t(value);
  if (length == 4) {
    const char code[5] = {text[0], text[1], text[2], text[3], '\0'};
    return int32_t(QVFourCC(code));
  }
  return int32_t(kCCSignature);
}

uint32_t CCGet32(const CCView& v, size_t offset) {
  uint32_t word = __atomic_load_n(wordAt(v, offset), __ATOMIC_ACQUIRE);
  return v.swapped ? QVByteSwap32(word) : word;
}

void CCSet32(const CCView& v, size_t offset, uint32_t value) {
  __atomic_store_n(wordAt(v, offset), v.swapped ? QVByteSwap32(value) : value, __ATOMIC_RELEASE);
}

void CCTurnWords(void* buffer, size_t byteCount) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  for (size_t i = 0; i + 4 <= byteCount; i += 4) {
    uint32_t w;
    std::memcpy(&w, bytes + i, 4);
    w = QVByteSwap32(w);
    std::memcpy(bytes + i, &w, 4);
  }
}

QVStatus CCReadGeometry(const CCView& v, CCGeometry* g) {
  if (!v.block || !g || v.segmentBytes < kCCAttachBytes) return kQVErrParam;
  CCGeometry out;
  out.width = int32_t(CCGet32(v, CC_OFFSET(width)));
  out.height = int32_t(CCGet32(v, CC_OFFSET(height)));
  out.rowBytes = int32_t(CCGet32(v, CC_OFFSET(rowBytes)));
  out.pixelFormat = CCGet32(v, CC_OFFSET(pixelFormat));
  out.chunkSize = CCGet32(v, CC_OFFSET(chunkSize));
  if (out.width <= 0 || out.height <= 0 || out.rowBytes <= 0) return kQVErrParam;
  const int32_t pixelBytes = bytesPerPixel(out.pixelFormat);
  if (pixelBytes == 0 || int64_t(out.width) * pixelBytes > out.rowBytes) return kQVErrParam;
  const uint64_t frameBytes = uint64_t(out.rowBytes) * uint64_t(out.height);
  if (frameBytes > uint64_t(INT32_MAX)) return kQVErrParam;
  out.frameBytes = size_t(frameBytes);
  out.dataCapacity = v.segmentBytes - kCCFrameDataOffset;
  if (out.chunkSize == 0 || out.chunkSize % uint32_t(out.rowBytes) != 0 || out.chunkSize > out.dataCapacity ||
      out.chunkSize > out.frameBytes)
    return kQVErrParam;
  *g = out;
  return kQVNoErr;
}

QVStatus CCBytesNow(const CCView& v, const CCGeometry& g, size_t limit, size_t* bytes) {
  const size_t now = CCGet32(v, CC_OFFSET(bytesNow));
  if (now > g.dataCapacity || now > limit || now > g.chunkSize) return kQVErrParam;
  *bytes = now;
  return kQVNoErr;
}

void CCReadSettings(const CCView& v, VL_SettingsStruct* out) {
  std::memcpy(out, &v.block->settings, sizeof *out);
  if (v.swapped) CCTurnWords(out, sizeof *out);
}

void CCWriteSettings(const CCView& v, const VL_SettingsStruct* in) {
  std::memcpy(&v.block->settings, in, sizeof *in);
  if (v.swapped) CCTurnWords(&v.block->settings, sizeof *in);
}
