// The levels control's input and output histograms: counting a frame (with
// the highlight recovery the engine applies on input or output) and drawing
// the bins of the control's channel.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/controls/bound_controls.h"
#include "app/controls/levels_control.h"
#include "app/controls/levels_control_internal.h"
#include "app/state/interface_colors.h"
#include "app/state/view_state.h"
#include "app/views/histogram.h"
#include "app/views/image_pane.h"
#include "core/histogram.h"
#include "platform/ui/toolkit.h"
#include "support/colors.h"

namespace {

constexpr uint32_t kLevelsSections = offsetof(VL_SettingsStruct, levels);
constexpr uint32_t kLevelsSectionBytes = sizeof(VL_LevelControls);

// What the pixel visitor counts into: one array per channel (luma, red,
// green, blue), binCount bins each.
struct Counting {
  int32_t binCount;
  float recovery;  // 0: none
  const uint8_t* lumaTables;  // 8-bit frames: red, green and blue tables of 256
  std::vector<uint32_t> bins[4];
};

void Count(Counting* c, int32_t channel, float value) {
  // A NaN has no level; it would otherwise index far outside the bins.
  if (std::isnan(value)) return;
  const float scaled = std::clamp(value * 255.0f, 0.0f, 255.0f);
  const int32_t level = int32_t(scaled);
  uint32_t* bins = c->bins[channel].data();
  if (c->binCount == 512) {
    ++bins[2 * level];
    ++bins[2 * level + 1];
  } else if (c->binCount == 128) {
    ++bins[level / 2];
  } else {
    ++bins[level];
  }
}

void CountPixel(Counting* c, float luma, float red, float green, float blue) {
  // An infinite luma has no finite knee factor; it is counted as it is.
  if (c->recovery != 0.0f && std::isfinite(luma)) {
    // Above the knee, luma and the three components are pulled down together.
    const float knee = 1.0f - 0.4f * c->recovery;
    if (luma > knee) {
      const float factor = ((luma - knee) * 0.5f + knee) / luma;
      luma *= factor;
      red *= factor;
      green *= factor;
      blue *= factor;
    }
  }
  Count(c, 0, luma);
  Count(c, 1, red);
  Count(c, 2, green);
  Count(c, 3, blue);
}

void PixelProc(void* pixel, FBFrameStruct* frame, void* refCon) {
  auto* c = static_cast<Counting*>(refCon);
  switch (frame->pixelFormat) {
    case kFBPixFormatPlanarFloat: {
      const uint8_t* p = static_cast<const uint8_t*>(pixel);
      float f[3];
      for (int k = 0; k < 3; ++k) std::memcpy(&f[k], p + size_t(k) * frame->planeBytes, 4);
      CountPixel(c, 0.299f * f[0] + 0.587f * f[1] + 0.114f * f[2], f[0], f[1], f[2]);
      return;
    }
    case kFBPixFormat32ARGB:
    case kFBPixFormatBGRA: {
      uint32_t v;
      std::memcpy(&v, pixel, 4);
      const bool argb = frame->pixelFormat == kFBPixFormat32ARGB;
      const uint32_t r = argb ? (v >> 16) & 255 : (v >> 8) & 255;
      const uint32_t g = argb ? (v >> 8) & 255 : (v >> 16) & 255;
      const uint32_t b = argb ? v & 255 : v >> 24;
      const uint32_t y = std::min(255u, uint32_t(c->lumaTables[r]) + c->lumaTables[256 + g] + c->lumaTables[512 + b]);
      CountPixel(c, float(y) / 255.0f, float(r) / 255.0f, float(g) / 255.0f, float(b) / 255.0f);
      return;
    }
    default:
      return;
  }
}

uint32_t AccentPixel(int32_t channel) {
  const int32_t accent = channel == 1 ? 5 : std::clamp(channel, 2, 4);
  return QVPackPixelARGB(gInterfaceAccentColors[accent]);
}

}  // namespace

void BuildLevelsHistogram(TKImage* image, FBFrameStruct* frame, int32_t channel, bool inputRecovery,
                          bool outputRecovery) {
  if (!image) return;
  const int32_t width = TKImageWidth(image), height = TKImageHeight(image);
  uint8_t* pixels = TKImagePixels(image);
  const int32_t rowBytes = TKImageRowBytes(image);
  if (!pixels || width <= 0 || height <= 0) return;
  const uint32_t black = 0xFF000000u;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) std::memcpy(pixels + size_t(y) * size_t(rowBytes) + size_t(x) * 4, &black, 4);

  if (frame && frame->width > 0 && frame->height > 0 && channel >= 1 && channel <= 4) {
    Counting c;
    c.binCount = width >= 512 ? 512 : width >= 256 ? 256 : 128;
    c.recovery = inputRecovery    ? gUISettings.input.inputControls_highlight_recovery
                 : outputRecovery ? gUISettings.input.outputControls_highlight_recovery
                                  : 0.0f;
    c.lumaTables = GetRGBtoY(kVLLumaRec709);
    for (std::vector<uint32_t>& b : c.bins) b.assign(size_t(c.binCount), 0);
    FBIterateFrame(frame, PixelProc, &c);

    // 2 % of the pixels reach the top; narrow pictures need twice as many.
    const uint64_t pixelCount = uint64_t(frame->width) * frame->height;
    double full = double(std::max<uint64_t>(pixelCount / 50, 50));
    if (width < 256) full *= 2;
    const uint32_t ink = AccentPixel(channel);
    const std::vector<uint32_t>& bins = c.bins[channel - 1];
    for (int32_t bin = 0; bin < std::min(width, c.binCount); ++bin) {
      if (!bins[size_t(bin)]) continue;
      const int32_t bar = int32_t(std::min(double(height), double(bins[size_t(bin)]) * height / full));
      for (int32_t y = std::max(0, height - 1 - bar); y < height; ++y)
        std::memcpy(pixels + size_t(y) * size_t(rowBytes) + size_t(bin) * 4, &ink, 4);
    }
  }
  TKImageMarkDirty(image);
}

void UpdateLevelsHistograms(TKControl* levels, int32_t channel, bool input, bool redraw) {
  LevelsControl* r = LevelsRecordOf(levels);
  if (!r) return;
  if (input) BuildLevelsHistogram(r->inputHistogram, gSourceFrame, channel, true, false);
  BuildLevelsHistogram(r->outputHistogram, gResultFrame, channel, false, true);
  if (!redraw) return;
  if (input) DrawOrInvalidateImagePane(r->inputPane, true);
  DrawOrInvalidateImagePane(r->outputPane, true);
}

void LevelsRefreshChannelHistograms(int32_t channel, bool input, bool redraw) {
  if (channel < 1 || channel > 4) return;
  TKControl* levels = VFControlAtOffset(kLevelsSections + kLevelsSectionBytes * uint32_t(channel - 1));
  UpdateLevelsHistograms(levels, channel, input, redraw);
}
