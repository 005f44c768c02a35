// Automatic exposure and colour from frame histograms.
#include "core/auto_levels.h"

#include <memory>
#include <new>

#include "core/histogram.h"

namespace {

struct Histograms {
  uint32_t luma[kVLHistogramBins];
  uint32_t red[kVLHistogramBins];
  uint32_t green[kVLHistogramBins];
  uint32_t blue[kVLHistogramBins];
};

// The four histograms of the frame in a new zero-filled block, or null.
std::unique_ptr<Histograms> Measure(FBFrameStruct* frame) {
  std::unique_ptr<Histograms> h(new (std::nothrow) Histograms());
  if (!h) return h;
  VLHistogramContext context;
  VLHistogramContextInit(&context, kVLHistogramBins, h->luma, h->red, h->green, h->blue);
  FBIterateFrame(frame, VL_HistogramPixelProc, &context);
  return h;
}

uint64_t TrimCount(const FBFrameStruct* frame, float share) {
  if (!frame) return 0;
  return uint64_t(float(uint64_t(frame->width) * frame->height) * share);
}

}  // namespace

void HistogramEqualizationLuma(FBFrameStruct* frame, VL_SettingsStruct* settings, float lumaTrim) {
  if (!frame || !settings) return;
  uint64_t trim = lumaTrim > 0.0f ? TrimCount(frame, lumaTrim) : 0;
  std::unique_ptr<Histograms> h = Measure(frame);
  if (!h) return;
  VL_LevelControls& master = settings->levels[kVLLevelsMaster];
  if (trim == 0) {
    master.inblackpt = 0.0f;
    master.inwhitept = 1.0f;
  } else {
    master.inblackpt = VL_TrimBlackPoint(h->luma, trim);
    master.inwhitept = VL_TrimWhitePoint(h->luma, trim);
  }
}

void HistogramEqualizationRGB(FBFrameStruct* frame, VL_SettingsStruct* settings) {
  if (!frame || !settings) return;
  uint64_t trim = TrimCount(frame, kVLAutoColorTrim);
  std::unique_ptr<Histograms> h = Measure(frame);
  if (!h) return;
  const uint32_t* channels[3] = {h->red, h->green, h->blue};
  for (int c = 0; c < 3; ++c) {
    VL_LevelControls& level = settings->levels[kVLLevelsRed + c];
    level.inblackpt = trim == 0 ? 0.0f : VL_TrimBlackPoint(channels[c], trim);
    level.ingraypt = 0.5f;
    level.inwhitept = trim == 0 ? 1.0f : VL_TrimWhitePoint(channels[c], trim);
  }
}

float VL_MeanMatchedGrayPoint(float black, float gray, float white, double factor) {
  double range = double(white) - double(black);
  if (range == 0.0 || !(factor > 0.0)) return gray;
  double g = (double(gray) - black) / range;
  double e = g > 0.5 ? 1.0 / (2.0 - 2.0 * g) : g < 0.5 ? 1.0 / ((0.5 - g) * 10.0 + 1.0) : 1.0;
  e /= factor;
  double moved = e > 1.0 ? 1.0 - 0.5 / e : e == 1.0 ? 0.5 : (6.0 - 1.0 / e) * 0.1;
  return float(moved * range + black);
}

void HistogramMeanMatchRGB(FBFrameStruct* frame, VL_SettingsStruct* settings) {
  if (!frame || !settings) return;
  std::unique_ptr<Histograms> h = Measure(frame);
  if (!h) return;
  const uint32_t* channels[3] = {h->red, h->green, h->blue};
  uint64_t mean[3];
  for (int c = 0; c < 3; ++c) {
    uint64_t weighted = 0, count = 0;
    for (uint32_t bin = 0; bin < kVLHistogramBins; ++bin) {
      weighted += uint64_t(channels[c][bin]) * bin;
      count += channels[c][bin];
    }
    if (count == 0) return;
    mean[c] = weighted / count;
    if (mean[c] == 0) return;
  }
  int reference = -1;
  for (int c = 0; c < 3; ++c)
    if (mean[c] > mean[(c + 1) % 3] && mean[c] > mean[(c + 2) % 3]) reference = c;
  if (reference < 0) return;
  for (int c = 0; c < 3; ++c) {
    double factor = c == reference ? 1.0 : double(mean[reference]) / double(mean[c]);
    VL_LevelControls& level = settings->levels[kVLLevelsRed + c];
    level.ingraypt = VL_MeanMatchedGrayPoint(level.inblackpt, level.ingraypt, level.inwhitept, factor);
  }
}
