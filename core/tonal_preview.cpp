#include "core/tonal_preview.h"

#include "core/processing_tables.h"
#include "core/task_pool.h"

#include <cstring>

namespace {

int32_t tableIndex(float v) {
  if (!(v > 0.0f)) return 0;  // NaN too
  if (v >= 1.0f) return kVLTableLastIndex;
  return int32_t(v * 16384.0f);
}

enum Range { kShadows, kMidtones, kHighlights };

Range dominant(float wS, float wM, float wH) {
  if (wH > wM && wH > wS) return kHighlights;
  if (wH <= wM && wM > wS) return kMidtones;
  return wH >= wS ? kMidtones : kShadows;
}

// Pixel values by range for format 32 and for 'BGRA'.
const uint32_t kColours[2][3] = {
    {0xFF000000u, 0xFF7D7D7Du, 0xFFEBEBEBu},
    {0x000000FFu, 0x7D7D7DFFu, 0xEBEBEBFFu},
};

}  // namespace

void ProcessHMSPreviewWork(const FBFrameStruct* frame, void* pixels, uint32_t rowBytes, FBPixFormat format) {
  if (!frame || !pixels || !frame->baseAddr) return;
  if (format != kFBPixFormat32ARGB && format != kFBPixFormatBGRA) return;
  if (frame->pixelFormat != kFBPixFormatPlanarFloat || frame->height == 0) return;
  const VLTablePointers& t = gFrameSettings.tables;
  // Only the 32 layout goes through the input linearization first.
  const bool linearize = format == kFBPixFormat32ARGB && gFrameSettings.gates.inputLinearization;
  const uint32_t* colours = kColours[format == kFBPixFormatBGRA ? 1 : 0];
  const uint8_t* luma = frame->baseAddr + size_t(3) * frame->planeBytes;
  for (uint32_t y = 0; y < frame->height; ++y) {
    const float* in = reinterpret_cast<const float*>(luma + size_t(y) * frame->rowBytes);
    uint8_t* out = static_cast<uint8_t*>(pixels) + size_t(y) * rowBytes;
    for (uint32_t x = 0; x < frame->width; ++x) {
      int32_t i = tableIndex(in[x]);
      if (linearize) i = tableIndex(t.linGamma[i]);
      uint32_t v = colours[dominant(t.yToShadow[i], t.yToMidtone[i], t.yToHighlight[i])];
      std::memcpy(out + size_t(x) * 4, &v, 4);
    }
  }
}

void ProcessHMSPreview(const FBFrameStruct* frame, void* pixels, uint32_t rowBytes, FBPixFormat format,
                       uint32_t processorCount, VLMPMaster* master) {
  if (processorCount <= 1) return ProcessHMSPreviewWork(frame, pixels, rowBytes, format);
  VLMPProcessHMSPreview(frame, pixels, rowBytes, format, processorCount, master);
}
