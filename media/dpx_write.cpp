// DPX writing: a 2,048-byte big-endian header (SMPTE 268M version 2.0)
// followed by one 32-bit word per pixel, R << 22 | G << 12 | B << 2
// (10-bit codes, filled), rows one after another.
//
// Header fields written (all others zero):
//   0 "SDPX", 4 image offset 2048, 8 "V2.0", 16 file size, 20 ditto key,
//   24 generic and 28 industry header sizes (all ones), 32 user data size 0,
//   36 file name, 136 creation time, 160 creator, 260 project, 460 rights,
//   660 encryption key (all ones), 768 orientation 0, 770 element count,
//   772 width, 776 height, 780 data sign 0, 784/788 low code and quantity 0,
//   792 high code 2^bits - 1, 796 high quantity (bytes 00 00 00 4C),
//   800 descriptor 50, 801/802 transfer and colorimetric (1 log, 6 linear),
//   803 bit size, 804 packing 1, 806 encoding 0, 808 data offset 2048,
//   1408-1431 offsets, centres and original size (all ones),
//   1532 input creation time, 1556 input device, 1620 border (all ones),
//   1628 pixel aspect (all ones), 1724 film frame rate, 1728 shutter angle
//   (all ones), 1920 timecode (BCD), 1924 user bits, 1928-1931 255 each,
//   1932-1971 television rates and levels 0.0.
//
// The file goes to a temporary name beside the final one and is renamed
// over it only when every byte is written, synced and closed.
#include "media/dpx_header.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <memory>
#include <new>

#include "platform/byte_order.h"
#include "platform/file_contents.h"
#include "platform/file_ref.h"

namespace {

constexpr QVStatus kBadName = -37;
constexpr size_t kHeaderBytes = 2048;

void PutText(uint8_t* at, const char* text, size_t size) {
  if (!text) return;
  const size_t n = strnlen(text, size);
  std::memcpy(at, text, n < size ? n : size);
  if (n >= size) at[size - 1] = 0;
}

void PutAllOnes(uint8_t* at, size_t size) { std::memset(at, 0xFF, size); }

// The code of one component; x is 1.0 for white.
struct CodeMap {
  double black, white, gamma, logOffset;
  bool logarithmic;
  uint32_t operator()(float value) const {
    double x = value;
    double code;
    if (logarithmic) {
      code = white + 300.0 * gamma * std::log10(std::max(x, 0.0) * (1.0 - logOffset) + logOffset);
    } else if (gamma == 1.0) {
      code = black + (white - black) * x;
    } else {
      x = std::min(std::max(x, 0.0), 1.0);
      code = black + (white - black) * std::pow(x, gamma);
    }
    if (!(code > 0)) return 0;  // NaN and negative codes
    if (code >= 1023) return 1023;
    return uint32_t(code + 0.5);
  }
};

}  // namespace

void DPXFillHeader(uint8_t h[2048], const DPXHeaderInfo* info, const char* fileName, uint32_t bits,
                   bool logarithmic) {
  std::memset(h, 0, kHeaderBytes);
  std::memcpy(h, "SDPX", 4);
  QVWriteBE32(h + 4, kHeaderBytes);
  std::memcpy(h + 8, "V2.0", 4);
  QVWriteBE32(h + 16, uint32_t(uint64_t(info->width) * info->height * 4 + kHeaderBytes));
  PutAllOnes(h + 20, 12);
  PutText(h + 36, fileName, 100);
  PutText(h + 136, info->creationTime, 24);
  PutText(h + 160, info->creator, 100);
  PutText(h + 260, info->projectName, 200);
  PutText(h + 460, info->rights, 200);
  PutAllOnes(h + 660, 4);
  QVWriteBE16(h + 770, uint16_t(info->elementCount));
  QVWriteBE32(h + 772, info->width);
  QVWriteBE32(h + 776, info->height);
  QVWriteBE32(h + 792, bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1);
  h[799] = 0x4C;
  h[800] = 50;
  h[801] = h[802] = logarithmic ? 1 : 6;
  h[803] = uint8_t(bits);
  QVWriteBE16(h + 804, 1);
  QVWriteBE32(h + 808, kHeaderBytes);
  PutAllOnes(h + 1408, 24);
  PutText(h + 1532, info->sourceDate, 24);
  PutText(h + 1556, info->creator, 32);
  PutAllOnes(h + 1620, 16);
  QVWriteBEFloat(h + 1724, info->frameRate);
  PutAllOnes(h + 1728, 4);
  QVWriteBE32(h + 1920, info->timecode);
  QVWriteBE32(h + 1924, info->userBits);
  std::memset(h + 1928, 255, 4);
}

namespace {

// Rows of pixels into big-endian words through the code map; the pixel
// loop is the same for every encoding, the map chosen once per frame. The
// channels are step floats apart (1 in the planar layout, 4 interleaved).
template <size_t step, typename Map>
void WriteRowsOf(const FBFrameStruct* frame, uint8_t* out, const Map& map) {
  const size_t plane = step == 1 ? frame->planeBytes / sizeof(float) : 1;
  for (uint32_t y = 0; y < frame->height; ++y) {
    const float* r = reinterpret_cast<const float*>(frame->baseAddr + size_t(y) * frame->rowBytes);
    const float* g = r + plane;
    const float* b = g + plane;
    uint8_t* o = out + size_t(y) * frame->width * 4;
    for (uint32_t x = 0; x < frame->width; ++x) {
      const uint32_t word = map(r[x * step]) << 22 | map(g[x * step]) << 12 | map(b[x * step]) << 2;
      QVWriteBE32(o + size_t(x) * 4, word);
    }
  }
}

template <typename Map>
void WriteRows(const FBFrameStruct* frame, uint8_t* out, const Map& map) {
  if (frame->pixelFormat == kFBPixFormatPlanarFloat) WriteRowsOf<1>(frame, out, map);
  else WriteRowsOf<4>(frame, out, map);
}

}  // namespace

bool DPXWritePixels(const FBFrameStruct* frame, uint8_t* out, const DPXWriteParams* params) {
  if (!frame || !out || !params || params->descriptor != 50 || !frame->baseAddr) return false;
  if (frame->pixelFormat != kFBPixFormatPlanarFloat && frame->pixelFormat != kFBPixFormatFloatRGBA) return false;
  const double white = params->whiteCode, black = params->blackCode, g = params->gamma;
  if (!params->logarithmic && g == 1.0) {
    // The common linear case without a power per sample; the same codes as CodeMap.
    const float base = float(black), span = float(white - black);
    WriteRows(frame, out, [base, span](float value) -> uint32_t {
      float code = base + span * value;
      code = code > 0.0f ? code : 0.0f;  // NaN too
      code = code < 1023.0f ? code : 1023.0f;
      return uint32_t(code + 0.5f);
    });
    return true;
  }
  CodeMap map{black, white, g, 0.0, params->logarithmic};
  if (params->logarithmic) map.logOffset = std::pow(10.0, (black - white) / (300.0 * g)) - params->offset;
  WriteRows(frame, out, map);
  return true;
}

QVStatus DPXCreateFile(const char* folder, const char* name, const DPXHeaderInfo* info, const FBFrameStruct* frame,
                       const DPXWriteParams* params) {
  if (!info || !frame || !params) return kQVErrParam;
  char path[kQVMaxPath];
  if (!folder || !name || !PLJoinPath(folder, name, path, sizeof path)) return kBadName;
  // Only 10-bit RGB words are written.
  if (params->bits != 10 || params->descriptor != 50 || frame->width != info->width ||
      frame->height != info->height || info->width == 0 || info->height == 0 ||
      uint64_t(info->width) * info->height * 4 + kHeaderBytes > 0xFFFFFFFFull)
    return kQVErrParam;
  const size_t size = kHeaderBytes + size_t(info->width) * info->height * 4;
  std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[size]);
  if (!bytes) return kQVErrMemory;
  DPXFillHeader(bytes.get(), info, name, params->bits, params->logarithmic);
  if (!DPXWritePixels(frame, bytes.get() + kHeaderBytes, params)) return kQVErrParam;

  const QVStatus err = PLReplaceFileContents(path, bytes.get(), size, 0664);
  return err == kQVErrFileNotFound ? kBadName : err;
}
