// Histograms: counts and sampling, statistics, the display's layout and
// scale, bars that stay inside their strips, the luma histogram and the
// levels refresh.
#include "app/views/histogram.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "app/views/picture_utils.h"
#include "app/views/scope_colors.h"
#include "app/views/scope_inputs.h"
#include "scope_test_frames.h"
#include "tests/scratch_folder.h"

namespace {

using Picture = std::unique_ptr<TKImage, TKImageDisposer>;

Picture Uniform(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b) {
  Picture p(TKImageCreate(width, height));
  FillPicture(p.get(), r, g, b);
  return p;
}

struct Counts {
  std::vector<uint32_t> bins[4];
  HistogramRequest request{};
  explicit Counts(int32_t binCount) {
    request.binCount = binCount;
    for (int i = 0; i < 4; ++i) {
      bins[i].assign(size_t(binCount), 0);
      request.counts[i] = bins[i].data();
    }
  }
  uint64_t Total(int channel) const { return std::accumulate(bins[channel].begin(), bins[channel].end(), uint64_t(0)); }
};

TEST(Histogram, UniformPictureFillsTheBinsOfItsValues) {
  // Rec. 709 luma of (200, 100, 50): 43 + 72 + 4 = 119.
  const int32_t kLuma = 119;
  const uint32_t pixels = 100 * 80;
  for (int32_t bins : {128, 256, 512, 768, 1024}) {
    SCOPED_TRACE(bins);
    Picture p = Uniform(100, 80, 200, 100, 50);
    Counts c(bins);
    ComputeHistograms(p.get(), &c.request);
    const int32_t values[4] = {kLuma, 200, 100, 50};
    for (int ch = 0; ch < 4; ++ch) {
      const int32_t per = bins == 128 ? 1 : bins / 256;
      const int32_t first = bins == 128 ? values[ch] / 2 : values[ch] * per;
      for (int32_t k = 0; k < per; ++k) EXPECT_EQ(c.bins[ch][size_t(first + k)], pixels) << ch;
      EXPECT_EQ(c.Total(ch), uint64_t(pixels) * per) << ch;
    }
  }
  // Other bin counts count nothing; a null array is skipped.
  Picture p = Uniform(10, 10, 255, 255, 255);
  Counts odd(300);
  ComputeHistograms(p.get(), &odd.request);
  EXPECT_EQ(odd.Total(0), 0u);
  Counts some(256);
  some.request.counts[kHistogramGreen] = nullptr;
  ComputeHistograms(p.get(), &some.request);
  EXPECT_EQ(some.bins[kHistogramRed][255], 100u);
  EXPECT_EQ(some.Total(kHistogramGreen), 0u);
}

TEST(Histogram, LargePicturesAreSampledEverySecondColumnAndRow) {
  struct Case {
    int32_t width, height;
    uint64_t samples;
  } cases[] = {{720, 576, 720 * 576}, {721, 576, 360 * 576}, {720, 577, 720 * 288}, {1920, 1080, 960 * 540},
               {1, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    Picture p = Uniform(c.width, c.height, 10, 20, 30);
    Counts counts(256);
    ComputeHistograms(p.get(), &counts.request);
    for (int ch = 0; ch < 4; ++ch) EXPECT_EQ(counts.Total(ch), c.samples);
  }
  // The sampled columns are the even ones: an odd column in another colour is never counted.
  Picture p = Uniform(1000, 10, 0, 0, 0);
  for (int32_t y = 0; y < 10; ++y) SetPixel(p.get(), 1, y, 255, 255, 255);
  Counts counts(256);
  ComputeHistograms(p.get(), &counts.request);
  EXPECT_EQ(counts.bins[kHistogramRed][255], 0u);
}

TEST(Histogram, EveryPixelCountsAsTheWalkWithTheCallbackDoes) {
  // Large enough to be sampled by ComputeHistograms, and of odd sizes.
  Picture ramps(MakeRamps(1001, 601));
  for (int32_t bins : {128, 256, 512, 768, 1024}) {
    SCOPED_TRACE(bins);
    Counts walked(bins), counted(bins);
    IterateGWorldPixels(ramps.get(), HistogramPixelCallback, &walked.request);
    ComputeHistogramsOfEveryPixel(ramps.get(), &counted.request);
    for (int ch = 0; ch < 4; ++ch) EXPECT_EQ(counted.bins[ch], walked.bins[ch]) << ch;
    EXPECT_EQ(counted.Total(kHistogramRed), uint64_t(1001) * 601 * (bins == 128 ? 1 : bins / 256));
  }
  Counts odd(300);
  ComputeHistogramsOfEveryPixel(ramps.get(), &odd.request);
  EXPECT_EQ(odd.Total(0), 0u);
  ComputeHistogramsOfEveryPixel(nullptr, &odd.request);
}

TEST(Histogram, PixelCallbackReadsBothLayoutsAndIgnoresOthers) {
  Counts c(256);
  uint8_t bgra[4] = {30, 20, 10, 255};  // B, G, R, A
  uint8_t argb[4] = {255, 40, 50, 60};  // A, R, G, B
  HistogramPixelCallback(bgra, kTKPixelFormatBGRA, &c.request);
  HistogramPixelCallback(argb, kTKPixelFormatARGB, &c.request);
  HistogramPixelCallback(argb, 201, &c.request);
  EXPECT_EQ(c.bins[kHistogramRed][10], 1u);
  EXPECT_EQ(c.bins[kHistogramBlue][30], 1u);
  EXPECT_EQ(c.bins[kHistogramRed][40], 1u);
  EXPECT_EQ(c.bins[kHistogramBlue][60], 1u);
  EXPECT_EQ(c.Total(kHistogramLuma), 2u);
}

TEST(Histogram, StatisticsInBins) {
  std::vector<uint32_t> h(256, 0);
  EXPECT_EQ(HistogramStatisticsOf(h.data(), 256).total, 0u);
  h[2] = 1;
  h[5] = 3;
  h[7] = 3;  // ties with bin 5: the first largest is the peak
  HistogramStatistics s = HistogramStatisticsOf(h.data(), 256);
  EXPECT_EQ(s.minimum, 2);
  EXPECT_EQ(s.maximum, 7);
  EXPECT_EQ(s.peak, 5);
  EXPECT_EQ(s.mean, (2 + 15 + 21) / 7);
  // Sums that pass 32 bits still give the right mean.
  std::vector<uint32_t> big(256, 0);
  big[255] = 4000000000u;
  big[1] = 4000000000u;
  s = HistogramStatisticsOf(big.data(), 256);
  EXPECT_EQ(s.mean, 128);
  EXPECT_EQ(s.total, 8000000000ull);
  // An all-black picture: everything at 0.
  Picture black = Uniform(50, 50, 0, 0, 0);
  Counts c(256);
  ComputeHistograms(black.get(), &c.request);
  for (int ch = 0; ch < 4; ++ch) {
    s = HistogramStatisticsOf(c.bins[ch].data(), 256);
    EXPECT_EQ(s.minimum + s.maximum + s.mean + s.peak, 0);
    EXPECT_EQ(s.total, 2500u);
  }
}

TEST(Histogram, LayoutPicksTheWidestHistogramThatFits) {
  // Height 200: margin 6; readouts 50 wide.
  struct Case {
    int32_t width;
    double fontSize;
    int32_t histogramWidth;
    bool statistics;
  } cases[] = {
      {600, 11, 514, true},   // 538 available
      {400, 11, 258, true},   // 338
      {300, 11, 130, true},   // 238: the readouts stay beside 128 bins
      {200, 11, 130, true},   // 138, 188 without readouts
      {150, 11, 130, false},  // 88: too narrow for readouts
      {300, 8, 130, true},    // the combo quadrant's font on the smallest screens
      {300, 6, 258, false},   // font too small for readouts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    TKRect rect = TKMakeRect(10, 20, c.width, 200);
    HistogramPaneLayout l = HistogramLayoutFor(rect, true, c.fontSize, 50);
    EXPECT_EQ(l.margin, 6);
    EXPECT_EQ(l.histogramWidth, c.histogramWidth);
    EXPECT_EQ(l.statistics, c.statistics);
    const int32_t column = c.histogramWidth + (c.statistics ? 50 : 0);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(l.strips[i].left, 10 + (c.width - column) / 2);
      EXPECT_EQ(TKRectWidth(l.strips[i]), c.histogramWidth);
      EXPECT_EQ(l.strips[i].top, 26 + i * 47);  // (200 - 12) / 4
      EXPECT_EQ(TKRectHeight(l.strips[i]), 47);
    }
  }
  EXPECT_FALSE(HistogramLayoutFor(TKMakeRect(0, 0, 600, 200), false, 11, 50).statistics);
}

TEST(Histogram, ScaleFollowsTheSamplesCounted) {
  EXPECT_DOUBLE_EQ(HistogramScaleDivisor(1920, 1080, false), 1920.0 * 1080 / 200);
  EXPECT_DOUBLE_EQ(HistogramScaleDivisor(1920, 1080, true), 1920.0 * 1080 / 100);
  EXPECT_DOUBLE_EQ(HistogramScaleDivisor(720, 576, false), 720 * 576 / 50);
  EXPECT_DOUBLE_EQ(HistogramScaleDivisor(10, 10, false), 50);
  EXPECT_DOUBLE_EQ(HistogramScaleDivisor(10, 10, true), 100);
}

// Pixels outside rect that differ from the fill.
int64_t WritesOutside(TKImage* image, const TKRect& rect, uint32_t fill) {
  int64_t n = 0;
  for (int32_t y = 0; y < TKImageHeight(image); ++y)
    for (int32_t x = 0; x < TKImageWidth(image); ++x)
      if (!TKRectContains(rect, TKPoint{x, y}) && TKImageGetPixel(image, x, y) != fill) ++n;
  return n;
}

TEST(Histogram, BarsStayInsideTheirStrip) {
  // Huge counts, a huge scale, and more bins than the strip is wide, with the
  // strip hanging over the picture's edge.
  std::vector<uint32_t> counts(1024, 0xFFFFFFFFu);
  struct Case {
    const char* name;
    TKRect strip;
  } cases[] = {{"inside", TKMakeRect(20, 20, 130, 40)}, {"over the right edge", TKMakeRect(150, 10, 130, 40)},
               {"over the top left", TKMakeRect(-5, -5, 60, 30)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Picture target = Uniform(200, 100, 0, 0, 255);
    const uint32_t fill = TKImageGetPixel(target.get(), 0, 50);
    const TKRect pane = TKMakeRect(0, 0, 200, 100);
    DrawHistogramStatistics(target.get(), pane, counts.data(), 1024, c.strip, false, 1e9, kScopeAccentRed);
    EXPECT_EQ(WritesOutside(target.get(), TKRectInset(c.strip, 1, 1), fill), 0);
    EXPECT_GT(WritesOutside(target.get(), TKMakeRect(0, 0, 0, 0), fill), 0);  // the bars are there
  }
}

TEST(Histogram, PaneDrawsBarsOnlyWithAPictureAndLiveUpdates) {
  Picture bars(MakeColourBars(640, 360));
  Picture empty(TKImageCreate(600, 400)), drawn(TKImageCreate(600, 400)), suspended(TKImageCreate(600, 400));
  DrawHistogramPane(empty.get(), nullptr, nullptr, true);
  DrawHistogramPane(drawn.get(), nullptr, bars.get(), true);
  ScopeSetUpdatesSuspendedQuery([] { return true; });
  DrawHistogramPane(suspended.get(), nullptr, bars.get(), true);
  ScopeSetUpdatesSuspendedQuery(nullptr);
  int64_t differ = 0, same = 0;
  for (int32_t y = 0; y < 400; ++y)
    for (int32_t x = 0; x < 600; ++x) {
      differ += TKImageGetPixel(empty.get(), x, y) != TKImageGetPixel(drawn.get(), x, y);
      same += TKImageGetPixel(empty.get(), x, y) == TKImageGetPixel(suspended.get(), x, y);
    }
  EXPECT_GT(differ, 1000);
  EXPECT_EQ(same, 600 * 400);
  // Drawn into a rect, nothing lands outside it.
  Picture framed = Uniform(600, 400, 0, 0, 255);
  const uint32_t fill = TKImageGetPixel(framed.get(), 0, 0);
  const TKRect rect = TKMakeRect(100, 50, 300, 250);
  DrawHistogramPane(framed.get(), &rect, bars.get(), true);
  EXPECT_EQ(WritesOutside(framed.get(), rect, fill), 0);
  std::string dir = ScratchDir("scope-pictures");
  EXPECT_EQ(TKImageWritePNG(drawn.get(), (dir + "/bars-histograms.png").c_str()), kQVNoErr);
}

TEST(Histogram, LumaHistogramFitsItsBinsToTheWidthAndStaysInside) {
  struct Case {
    int32_t width, bins;
  } cases[] = {{1024, 1024}, {1023, 768}, {768, 768}, {767, 512}, {512, 512}, {511, 256}, {256, 256}, {255, 128}};
  for (const Case& c : cases) EXPECT_EQ(LumaHistogramBinsForWidth(c.width), c.bins) << c.width;

  Picture ramps(MakeRamps(512, 64));
  for (int32_t width : {1024, 600, 200}) {
    SCOPED_TRACE(width);
    Picture target = Uniform(width + 40, 120, 0, 0, 255);
    const uint32_t fill = TKImageGetPixel(target.get(), 0, 0);
    const TKRect rect = TKMakeRect(20, 10, width, 100);
    DrawLumaHistogram(target.get(), &rect, ramps.get());
    EXPECT_EQ(WritesOutside(target.get(), rect, fill), 0);
    // The grey band's ramp puts something in most columns of the graph.
    int32_t columns = 0;
    for (int32_t x = rect.left; x < rect.right; ++x) columns += TKImageGetPixel(target.get(), x, rect.bottom - 2) != 0xFF000000u;
    EXPECT_GT(columns, width / 2);
    if (width == 1024) {
      std::string dir = ScratchDir("scope-pictures");
      EXPECT_EQ(TKImageWritePNG(target.get(), (dir + "/ramps-luma-histogram.png").c_str()), kQVNoErr);
    }
  }
}

TEST(Histogram, LevelsRefreshReachesChannelsOneToFour) {
  static std::vector<std::tuple<int32_t, bool, bool>> calls;
  calls.clear();
  RefreshLevelsHistograms(1, true, true);  // nothing installed yet
  SetLevelsHistogramRefresher([](int32_t channel, bool input, bool redraw) { calls.emplace_back(channel, input, redraw); });
  for (int32_t channel : {0, 1, 4, 5, -1}) RefreshLevelsHistograms(channel, channel == 1, false);
  SetLevelsHistogramRefresher(nullptr);
  EXPECT_EQ(calls, (std::vector<std::tuple<int32_t, bool, bool>>{{1, true, false}, {4, false, false}}));
}

}  // namespace
