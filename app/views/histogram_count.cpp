// Histogram counting and statistics.
#include <cstring>

#include "app/views/histogram.h"
#include "app/views/scope_tables.h"

namespace {

// Bytes of red, green and blue within a 4-byte pixel of each format.
struct Layout {
  int red, green, blue;
};
constexpr Layout kBGRA{2, 1, 0};
constexpr Layout kARGB{1, 2, 3};

bool ValidBins(int32_t bins) { return bins == 128 || bins == 256 || bins == 512 || bins == 768 || bins == 1024; }

inline void CountValue(uint32_t* counts, int32_t bins, uint32_t v) {
  if (!counts) return;
  if (bins == 128) {
    ++counts[v >> 1];
    return;
  }
  const uint32_t per = uint32_t(bins) / 256;
  uint32_t* at = counts + v * per;
  for (uint32_t k = 0; k < per; ++k) ++at[k];
}

inline void CountPixel(const uint8_t* px, const Layout& l, const uint8_t* luma, const HistogramRequest& r) {
  const uint32_t red = px[l.red], green = px[l.green], blue = px[l.blue];
  // The rounded table entries can add up past 255 for some colours.
  uint32_t y = uint32_t(luma[red]) + luma[256 + green] + luma[512 + blue];
  if (y > 255) y = 255;
  CountValue(r.counts[kHistogramLuma], r.binCount, y);
  CountValue(r.counts[kHistogramRed], r.binCount, red);
  CountValue(r.counts[kHistogramGreen], r.binCount, green);
  CountValue(r.counts[kHistogramBlue], r.binCount, blue);
}

}  // namespace

void ComputeHistograms(UIImage* picture, HistogramRequest* request) {
  if (!picture || !request || !ValidBins(request->binCount)) return;
  const int32_t width = UIImageWidth(picture), height = UIImageHeight(picture);
  const int32_t columnStep = width > 720 ? 2 : 1, rowStep = height > 576 ? 2 : 1;
  const int32_t columns = width / columnStep, rows = height / rowStep;
  const uint8_t* luma = ScopeLumaTables(kScopeMatrix709);
  const uint8_t* base = UIImagePixels(picture);
  const size_t rowBytes = size_t(UIImageRowBytes(picture));
  for (int32_t y = 0; y < rows; ++y) {
    const uint8_t* px = base + size_t(y) * rowStep * rowBytes;
    for (int32_t x = 0; x < columns; ++x, px += 4 * columnStep) CountPixel(px, kBGRA, luma, *request);
  }
}

void HistogramPixelCallback(void* pixel, uint32_t pixelFormat, void* refCon) {
  auto* request = static_cast<HistogramRequest*>(refCon);
  if (!pixel || !request || !ValidBins(request->binCount)) return;
  const Layout* layout = pixelFormat == kUIPixelFormatBGRA ? &kBGRA : pixelFormat == kUIPixelFormatARGB ? &kARGB : nullptr;
  if (!layout) return;
  CountPixel(static_cast<const uint8_t*>(pixel), *layout, ScopeLumaTables(kScopeMatrix709), *request);
}

HistogramStatistics HistogramStatisticsOf(const uint32_t* counts, int32_t binCount) {
  HistogramStatistics s{};
  if (!counts) return s;
  uint64_t weighted = 0;
  uint32_t largest = 0;
  bool any = false;
  for (int32_t bin = 0; bin < binCount; ++bin) {
    const uint32_t n = counts[bin];
    if (!n) continue;
    if (!any) s.minimum = bin;
    any = true;
    s.maximum = bin;
    if (n > largest) {
      largest = n;
      s.peak = bin;
    }
    s.total += n;
    weighted += uint64_t(n) * uint64_t(bin);
  }
  if (s.total) s.mean = int32_t(weighted / s.total);
  return s;
}

namespace {
LevelsHistogramRefresher gLevelsRefresher = nullptr;
}  // namespace

void SetLevelsHistogramRefresher(LevelsHistogramRefresher refresher) { gLevelsRefresher = refresher; }

void RefreshLevelsHistograms(int32_t channel, bool inputHistogram, bool redraw) {
  if (channel < 1 || channel > 4 || !gLevelsRefresher) return;
  gLevelsRefresher(channel, inputHistogram, redraw);
}
