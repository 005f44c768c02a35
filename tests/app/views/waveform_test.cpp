// The waveform monitor: scale ends and units, layout, where levels land in
// each panel, what is sampled and the extra graticule lines.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/views/waveform.h"
#include "app/views/waveform_internal.h"
#include "scope_test_frames.h"

namespace {

WaveformParams Params(TKImage* target, TKImage* source, int32_t mode, uint32_t flags) {
  WaveformParams p{};
  p.target = target;
  p.pixels = source ? TKImagePixels(source) : nullptr;
  p.width = source ? TKImageWidth(source) : 720;
  p.height = source ? TKImageHeight(source) : 486;
  p.rowBytes = source ? TKImageRowBytes(source) : 0;
  p.flags = flags | kWFMFlagLittleEndian | (source ? uint32_t(kWFMFlagTrace) : 0u);
  p.traceMode = mode;
  p.videoSystem = kWFMSystemHD;
  p.matrix = 0;
  p.lineStep = 1;
  p.whiteLevel = 255;
  p.blackLevel = 0;
  p.scale = 0x10000;
  p.brightness = 0x10000;
  return p;
}

// Draws with and without the source; the trace is what differs.
struct Render {
  TKImage* traced;
  TKImage* bare;
  WaveformScale scale;
  WaveformLayout layout;

  explicit Render(WaveformParams p) {
    traced = TKImageCreate(TKImageWidth(p.target), TKImageHeight(p.target));
    bare = TKImageCreate(TKImageWidth(p.target), TKImageHeight(p.target));
    scale = WaveformComputeScale(p);
    layout = WaveformComputeLayout(TKMakeRect(0, 0, TKImageWidth(traced), TKImageHeight(traced)), p.traceMode);
    WaveformParams none = p;
    none.target = bare;
    none.flags &= ~kWFMFlagTrace;
    DrawWaveformMonitor(&none);
    p.target = traced;
    DrawWaveformMonitor(&p);
  }
  ~Render() {
    TKImageDispose(traced);
    TKImageDispose(bare);
  }
  // Rows of column x that the trace changed.
  std::vector<int32_t> TraceRows(int32_t x) const {
    std::vector<int32_t> rows;
    for (int32_t y = 0; y < TKImageHeight(traced); ++y)
      if (TKImageGetPixel(traced, x, y) != TKImageGetPixel(bare, x, y)) rows.push_back(y);
    return rows;
  }
  int64_t TracePixels() const {
    int64_t n = 0;
    for (int32_t x = 0; x < TKImageWidth(traced); ++x) n += int64_t(TraceRows(x).size());
    return n;
  }
  // The IRE value of the brightest trace row in column x (NAN when none).
  double TraceIRE(int32_t x) const {
    int32_t best = -1, bestSum = -1;
    for (int32_t y : TraceRows(x)) {
      uint32_t v = TKImageGetPixel(traced, x, y);
      int32_t sum = int32_t((v >> 16 & 0xFF) + (v >> 8 & 0xFF) + (v & 0xFF));
      if (sum > bestSum) bestSum = sum, best = y;
    }
    if (best < 0) return NAN;
    double height = layout.trace.bottom - 1 - best;
    return scale.bottomIRE + height / (TKRectHeight(layout.trace) - 1) * (scale.topIRE - scale.bottomIRE);
  }
  int32_t PanelMiddle(int32_t panel) const { return WaveformPanelLeft(layout, panel) + layout.panelWidth / 2; }
};

}  // namespace

TEST(WaveformScale, EndsSpanBothUnitsAndLinesFallOnRoundValues) {
  struct Case {
    const char* name;
    int32_t black, white, setup;
    uint32_t flags;
    double bottom, top;
    int32_t first, last;
  } cases[] = {
      {"full range IRE", 0, 255, 0, kWFMFlagIRE, -100 / 7.0, 800 / 7.0, -10, 110},
      {"full range mV", 0, 255, 0, 0, -100 / 7.0, 800 / 7.0, -100, 800},
      {"YC IRE", 0, 255, 0, kWFMFlagIRE | kWFMFlagChroma, -300 / 7.0, 800 / 7.0, -40, 110},
      {"setup IRE", 0, 255, 200, kWFMFlagIRE, -100 / 7.0, 800 / 7.0, -10, 110},
      {"video levels IRE", 16, 235, 0, kWFMFlagIRE, -200 / 7.0, 900 / 7.0, -20, 120},
      {"video levels mV", 16, 235, 0, 0, -200 / 7.0, 900 / 7.0, -200, 900},
  };
  for (const Case& c : cases) {
    WaveformParams p = Params(nullptr, nullptr, kWFMTraceLuma, c.flags);
    p.blackLevel = c.black;
    p.whiteLevel = c.white;
    p.setupOffset = c.setup;
    WaveformScale s = WaveformComputeScale(p);
    EXPECT_NEAR(s.bottomIRE, c.bottom, 1e-9) << c.name;
    EXPECT_NEAR(s.topIRE, c.top, 1e-9) << c.name;
    EXPECT_EQ(s.firstLine, c.first) << c.name;
    EXPECT_EQ(s.lastLine, c.last) << c.name;
  }
}

TEST(WaveformLayout, EleventhsPanelsAndGaps) {
  struct Case {
    int32_t width, mode, panelWidth, gap;
  } cases[] = {
      {1100, kWFMTraceLuma, 967, 0},      {1100, kWFMTraceRGBOverlay, 967, 0},
      {1100, kWFMTraceRGBParade, 309, 20}, {1100, kWFMTraceGBRParade, 309, 20},
      {1100, kWFMTraceYCbCrParade, 309, 20}, {1100, kWFMTraceYRGBParade, 229, 16},
      {8, kWFMTraceYRGBParade, 2, 0},     {5, kWFMTraceRGBParade, 1, 0},
      {3, kWFMTraceYRGBParade, 0, 0},
  };
  for (const Case& c : cases) {
    WaveformLayout l = WaveformComputeLayout(TKMakeRect(0, 0, c.width, 400), c.mode);
    EXPECT_EQ(l.labelRight, c.width / 11);
    EXPECT_EQ(l.trace.right, c.width - c.width / 33);
    EXPECT_EQ(l.panelWidth, c.panelWidth) << c.width << " mode " << c.mode;
    EXPECT_EQ(l.gap, c.gap) << c.width << " mode " << c.mode;
  }
  // Too low for a trace area: nothing to draw into.
  EXPECT_EQ(WaveformComputeLayout(TKMakeRect(0, 0, 1100, 3), kWFMTraceLuma).panelWidth, 0);
}

// A pure red field in every trace mode: each panel's trace lies at the
// level of its channel.
TEST(WaveformMonitor, PanelsShowTheirChannelsInOrder) {
  const double luma = 29.9, cb = 50 - 0.5 * 0.299 / 0.886 * 100, cr = 100;
  struct Case {
    int32_t mode;
    std::vector<double> levels;  // IRE per panel, left to right
  } cases[] = {
      {kWFMTraceLuma, {luma}},          {kWFMTraceYCbCrParade, {luma, cb, cr}}, {kWFMTraceRGBParade, {100, 0, 0}},
      {kWFMTraceYRGBParade, {luma, 100, 0, 0}}, {kWFMTraceGBRParade, {0, 0, 100}},
  };
  TKImage* source = TKImageCreate(64, 48);
  FillPicture(source, 255, 0, 0);
  TKImage* target = TKImageCreate(880, 500);
  for (const Case& c : cases) {
    Render r(Params(target, source, c.mode, kWFMFlagIRE));
    ASSERT_EQ(r.layout.panelCount, int32_t(c.levels.size()));
    for (size_t i = 0; i < c.levels.size(); ++i)
      EXPECT_NEAR(r.TraceIRE(r.PanelMiddle(int32_t(i))), c.levels[i], 0.6) << "mode " << c.mode << " panel " << i;
  }
  // Overlay: red at 100 and green and blue at 0 in one panel, each in its colour.
  Render overlay(Params(target, source, kWFMTraceRGBOverlay, kWFMFlagIRE));
  std::vector<int32_t> rows = overlay.TraceRows(overlay.PanelMiddle(0));
  ASSERT_FALSE(rows.empty());
  // What the trace added to the graticule at the top and bottom rows.
  auto added = [&](int32_t y) {
    uint32_t t = TKImageGetPixel(overlay.traced, overlay.PanelMiddle(0), y);
    uint32_t b = TKImageGetPixel(overlay.bare, overlay.PanelMiddle(0), y);
    return std::vector<int32_t>{int32_t(t >> 16 & 0xFF) - int32_t(b >> 16 & 0xFF),
                                int32_t(t >> 8 & 0xFF) - int32_t(b >> 8 & 0xFF), int32_t(t & 0xFF) - int32_t(b & 0xFF)};
  };
  std::vector<int32_t> top = added(rows.front()), bottom = added(rows.back());
  EXPECT_GT(top[0], 0);
  EXPECT_EQ(top[1], 0);
  EXPECT_EQ(top[2], 0);
  EXPECT_EQ(bottom[0], 0);
  EXPECT_GT(bottom[1], 0);
  EXPECT_GT(bottom[2], 0);
  TKImageDispose(target);
  TKImageDispose(source);
}

// Black and white land on the 0 and 100 IRE lines, and at the same rows
// in millivolts (0 and 700 mV); each level lights at most two adjacent rows.
TEST(WaveformMonitor, BlackAndWhiteStayPutWhenTheUnitsChange) {
  TKImage* source = TKImageCreate(40, 20);
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 40; ++x) x < 20 ? SetPixel(source, x, y, 0, 0, 0) : SetPixel(source, x, y, 255, 255, 255);
  TKImage* target = TKImageCreate(660, 420);
  std::vector<int32_t> rowsByUnit[2];
  for (uint32_t units : {uint32_t(kWFMFlagIRE), 0u}) {
    Render r(Params(target, source, kWFMTraceLuma, units));
    for (int32_t x : {r.layout.trace.left + 20, r.layout.trace.right - 20}) {
      std::vector<int32_t> rows = r.TraceRows(x);
      ASSERT_GE(rows.size(), 1u);
      ASSERT_LE(rows.size(), 2u);
      if (rows.size() == 2) {
        EXPECT_EQ(rows[1], rows[0] + 1);
      }
      rowsByUnit[units ? 0 : 1].insert(rowsByUnit[units ? 0 : 1].end(), rows.begin(), rows.end());
      // The graticule line of the level: drawn across the label column's edge.
      double level = x < r.layout.trace.left + 100 ? 0 : 100;
      int32_t lineRow = r.layout.trace.bottom - 1 - int32_t(std::lround(WaveformHeightOfIRE(r.scale, r.layout, level)));
      EXPECT_NE(TKImageGetPixel(r.bare, r.layout.labelRight + 1, lineRow) & 0xFFFFFF, 0u) << "line at " << level;
      EXPECT_NEAR(rows[0], lineRow, 1) << "level " << level;
    }
  }
  EXPECT_EQ(rowsByUnit[0], rowsByUnit[1]);
  TKImageDispose(target);
  TKImageDispose(source);
}

TEST(WaveformMonitor, NoTraceWithoutSourceOrWithEqualLevelsOrTooSmall) {
  TKImage* bars = MakeColourBars(70, 30);
  TKImage* target = TKImageCreate(500, 300);
  WaveformParams p = Params(target, bars, kWFMTraceRGBParade, kWFMFlagIRE);
  EXPECT_GT(Render(p).TracePixels(), 0);
  p.whiteLevel = p.blackLevel = 100;
  EXPECT_EQ(Render(p).TracePixels(), 0);
  TKImage* narrow = TKImageCreate(3, 300);  // four panels cannot fit
  p = Params(narrow, bars, kWFMTraceYRGBParade, kWFMFlagIRE);
  EXPECT_EQ(Render(p).TracePixels(), 0);
  TKImageDispose(narrow);
  TKImageDispose(target);
  TKImageDispose(bars);
}

// Even rows dark grey, odd rows light grey: a tall picture read every
// second row shows only the dark level.
TEST(WaveformMonitor, FieldSkipReadsEverySecondRow) {
  TKImage* target = TKImageCreate(500, 300);
  for (int32_t rows : {1080, 486}) {
    TKImage* source = TKImageCreate(16, rows);
    for (int32_t y = 0; y < rows; ++y)
      for (int32_t x = 0; x < 16; ++x) y % 2 ? SetPixel(source, x, y, 200, 200, 200) : SetPixel(source, x, y, 60, 60, 60);
    WaveformParams p = Params(target, source, kWFMTraceLuma, kWFMFlagIRE);
    p.fieldSkip = rows > 576 ? rows / 2 : 0;
    Render r(p);
    int32_t x = r.PanelMiddle(0);
    EXPECT_EQ(r.TraceRows(x).size() > 2, rows <= 576) << rows << " rows";
    TKImageDispose(source);
  }
  TKImageDispose(target);
}

// The setup line at 7.5 IRE (NTSC, IRE units) and the 350 mV line (YCbCr
// parade, millivolts) are drawn across the trace area in the darker colour.
TEST(WaveformMonitor, ExtraLinesForNTSCSetupAndTheColourDifferenceZero) {
  struct Case {
    int32_t system, mode;
    uint32_t flags;
    double ire;
    bool drawn;
  } cases[] = {
      {kWFMSystemNTSC, kWFMTraceLuma, kWFMFlagIRE, 7.5, true},
      {kWFMSystemPAL, kWFMTraceLuma, kWFMFlagIRE, 7.5, false},
      {kWFMSystemHD, kWFMTraceYCbCrParade, 0, 50, true},
      {kWFMSystemHD, kWFMTraceRGBParade, 0, 50, false},
  };
  TKImage* target = TKImageCreate(660, 420);
  for (const Case& c : cases) {
    WaveformParams p = Params(target, nullptr, c.mode, c.flags);
    p.videoSystem = c.system;
    Render r(p);
    int32_t row = r.layout.trace.bottom - 1 - int32_t(std::lround(WaveformHeightOfIRE(r.scale, r.layout, c.ire)));
    uint32_t pixel = TKImageGetPixel(r.bare, (r.layout.trace.left + r.layout.trace.right) / 2, row);
    EXPECT_EQ(pixel == 0xFF984900u, c.drawn) << "system " << c.system << " mode " << c.mode << std::hex << " " << pixel;
  }
  TKImageDispose(target);
}

// With the colour flag the trace takes the picture's own colour.
TEST(WaveformMonitor, TraceInPictureColour) {
  TKImage* source = TKImageCreate(32, 32);
  FillPicture(source, 0, 180, 90);
  TKImage* target = TKImageCreate(500, 300);
  for (uint32_t colour : {0u, uint32_t(kWFMFlagColor)}) {
    Render r(Params(target, source, kWFMTraceLuma, kWFMFlagIRE | colour));
    std::vector<int32_t> rows = r.TraceRows(r.PanelMiddle(0));
    ASSERT_FALSE(rows.empty());
    for (int32_t y : rows) {
      uint32_t v = TKImageGetPixel(r.traced, r.PanelMiddle(0), y);
      uint32_t red = v >> 16 & 0xFF, green = v >> 8 & 0xFF, blue = v & 0xFF;
      if (colour) {
        EXPECT_EQ(red, 0u);
        EXPECT_LE(green, 180u);
        EXPECT_LE(blue, 90u);
      } else {
        EXPECT_TRUE(red == green && green == blue) << std::hex << v;  // white trace
      }
    }
  }
  TKImageDispose(target);
  TKImageDispose(source);
}
