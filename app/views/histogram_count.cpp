// Histogram counting and statistics.
#include <algorithm>
#include <cstring>
#include <vector>

#include "app/views/histogram.h"
#include "app/views/scope_tables.h"
#include "core/task_pool.h"

namespace {

// Bytes of red, green and blue within a 4-byte pixel of each format.
struct Layout {
  int red, green, blue;
};
constexpr Layout kBGRA{2, 1, 0};
constexpr Layout kARGB{1, 2, 3};

bool ValidBins(int32_t bins) { return bins == 128 || bins == 256 || bins == 512 || bins == 768 || bins == 1024; }

// Adds n hits of code value v to its bins.
inline void CountValue(uint32_t* counts, int32_t bins, uint32_t v, uint32_t n = 1) {
  if (!counts) return;
  if (bins == 128) {
    counts[v >> 1] += n;
    return;
  }
  const uint32_t per = uint32_t(bins) / 256;
  uint32_t* at = counts + v * per;
  for (uint32_t k = 0; k < per; ++k) at[k] += n;
}

// The 8-bit luma of a colour from the scope's luma tables.
inline uint32_t LumaOf(const uint8_t* luma, uint32_t red, uint32_t green, uint32_t blue) {
  // The rounded table entries can add up past 255 for some colours.
  const uint32_t y = uint32_t(luma[red]) + luma[256 + green] + luma[512 + blue];
  return y > 255 ? 255 : y;
}

inline void CountPixel(const uint8_t* px, const Layout& l, const uint8_t* luma, const HistogramRequest& r) {
  const uint32_t red = px[l.red], green = px[l.green], blue = px[l.blue];
  const uint32_t y = LumaOf(luma, red, green, blue);
  CountValue(r.counts[kHistogramLuma], r.binCount, y);
  CountValue(r.counts[kHistogramRed], r.binCount, red);
  CountValue(r.counts[kHistogramGreen], r.binCount, green);
  CountValue(r.counts[kHistogramBlue], r.binCount, blue);
}

// Counts by code value of luma, red, green and blue. Two sets take
// alternate pixels, so runs of one colour do not wait on their own counts.
struct ValueCounts {
  uint32_t value[2][4][256];
};

// Rows counted at a time; the caller and the tasks take runs of them from a
// counter (shared work), each part into counts of its own.
constexpr int32_t kCountRun = 16;

struct CountJob {
  const uint8_t* base;
  size_t rowBytes;
  int32_t rows, columns, rowStep, columnStep;
  const uint8_t* luma;
};

void CountRun(const CountJob& job, ValueCounts& c, int32_t first, int32_t end) {
  const uint8_t* luma = job.luma;
  for (int32_t y = first; y < end; ++y) {
    const uint8_t* px = job.base + size_t(y) * size_t(job.rowStep) * job.rowBytes;
    for (int32_t x = 0; x < job.columns; ++x, px += 4 * job.columnStep) {
      const uint32_t red = px[kBGRA.red], green = px[kBGRA.green], blue = px[kBGRA.blue];
      const uint32_t y8 = LumaOf(luma, red, green, blue);
      uint32_t (&set)[4][256] = c.value[x & 1];
      ++set[kHistogramLuma][y8];
      ++set[kHistogramRed][red];
      ++set[kHistogramGreen][green];
      ++set[kHistogramBlue][blue];
    }
  }
}

// Counts every columnStep-th pixel of every rowStep-th row.
void CountPicture(TKImage* picture, HistogramRequest* request, int32_t columnStep, int32_t rowStep) {
  if (!picture || !request || !ValidBins(request->binCount)) return;
  const int32_t width = TKImageWidth(picture), height = TKImageHeight(picture);
  CountJob job;
  job.columnStep = columnStep;
  job.rowStep = rowStep;
  job.columns = width / job.columnStep;
  job.rows = height / job.rowStep;
  job.luma = ScopeLumaTables(kScopeMatrix709);
  job.base = TKImagePixels(picture);
  job.rowBytes = size_t(TKImageRowBytes(picture));
  // Rows are counted in parts on the task pool, each part by code value;
  // the parts' counts then go into the bins (a part that did not run counted
  // nothing).
  const uint32_t wanted = uint32_t(std::clamp(job.rows / 64, 1, int32_t(gNumProcessors)));
  std::vector<ValueCounts> parts(wanted);
  const uint32_t used = VLMPShareRuns(uint32_t(job.rows), kCountRun, wanted, &gVLMPMaster,
                                      [&](uint32_t part, uint32_t first, uint32_t end) {
                                        CountRun(job, parts[part], int32_t(first), int32_t(end));
                                      });
  for (int channel = 0; channel < 4; ++channel) {
    uint32_t* counts = request->counts[channel];
    if (!counts) continue;
    for (uint32_t v = 0; v < 256; ++v) {
      uint32_t n = 0;
      for (uint32_t part = 0; part < used; ++part) n += parts[part].value[0][channel][v] + parts[part].value[1][channel][v];
      if (n) CountValue(counts, request->binCount, v, n);
    }
  }
}

}  // namespace

void ComputeHistograms(TKImage* picture, HistogramRequest* request) {
  if (!picture) return;
  CountPicture(picture, request, TKImageWidth(picture) > 720 ? 2 : 1, TKImageHeight(picture) > 576 ? 2 : 1);
}

void ComputeHistogramsOfEveryPixel(TKImage* picture, HistogramRequest* request) {
  CountPicture(picture, request, 1, 1);
}

void HistogramPixelCallback(void* pixel, uint32_t pixelFormat, void* refCon) {
  auto* request = static_cast<HistogramRequest*>(refCon);
  if (!pixel || !request || !ValidBins(request->binCount)) return;
  const Layout* layout = pixelFormat == kTKPixelFormatBGRA ? &kBGRA : pixelFormat == kTKPixelFormatARGB ? &kARGB : nullptr;
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
