// The Histograms display, one histogram with its readouts, and the luma
// histogram behind the luma-range control. Frames, labels and text are
// drawn through a context; bars and the mean marker are written straight
// into the target's pixels, each clipped to its strip and the target.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/views/histogram.h"
#include "app/views/scope_backdrop.h"
#include "app/views/scope_colors.h"
#include "app/views/scope_inputs.h"
#include "app/views/scope_labels.h"

namespace {

const char* const kStripLabels[4] = {"Luma", "Red", "Green", "Blue"};
const int32_t kStripAccents[4] = {kScopeAccentLuma, kScopeAccentRed, kScopeAccentGreen, kScopeAccentBlue};

TKRect Whole(TKImage* image) { return TKMakeRect(0, 0, TKImageWidth(image), TKImageHeight(image)); }

// The scopes' label font for a rect.
TKFont ScopeFont(const TKRect& rect) {
  TKFont font;
  SetScopeFont(rect, &font);
  return font;
}

// Pixel writes into one picture, limited to a clip rectangle within it.
struct PixelPen {
  uint8_t* base;
  size_t rowBytes;
  TKRect clip;

  PixelPen(TKImage* target, const TKRect& limit)
      : base(TKImagePixels(target)), rowBytes(size_t(TKImageRowBytes(target))),
        clip(TKRectIntersect(limit, Whole(target))) {}

  // Rows top to bottom inclusive of column x.
  void Column(int32_t x, int32_t top, int32_t bottom, uint32_t pixel) const {
    if (x < clip.left || x >= clip.right) return;
    top = std::max(top, clip.top);
    bottom = std::min(bottom, clip.bottom - 1);
    for (int32_t y = top; y <= bottom; ++y) reinterpret_cast<uint32_t*>(base + size_t(y) * rowBytes)[x] = pixel;
  }
  void Row(int32_t y, int32_t left, int32_t right, uint32_t pixel) const {
    for (int32_t x = left; x <= right; ++x) Column(x, y, y, pixel);
  }
};

// A bar's top row: count x scale above the bottom row, never above floor.
int32_t BarTop(uint32_t count, double scale, int32_t bottomRow, int32_t floorRow) {
  double height = double(count) * scale;
  if (!(height < double(bottomRow - floorRow))) return floorRow;
  return std::max(floorRow, bottomRow - int32_t(height));
}

void DrawReadouts(TKImage* target, const TKRect& pane, const TKRect& rect, const HistogramStatistics& s) {
  TKContext* ctx = TKBeginDrawing(target);
  if (!ctx) return;
  TKClipRect(ctx, pane);
  TKFont font = ScopeFont(pane);
  TKSetFillColor(ctx, ScopeAccentColor(kScopeAccentFrame));
  TKTextMetrics probe = TKMeasureText(font, "Mean:    255");
  const double lineHeight = probe.ascent + probe.descent;
  const char* labels[4] = {"Min:", "Max:", "Mean:", "Peak:"};
  const long values[4] = {s.minimum, s.maximum, s.mean, s.peak};
  const double labelX = rect.right + 5;
  for (int i = 0; i < 4; ++i) {
    const double baseline = rect.top + probe.ascent + i * lineHeight;
    TKDrawText(ctx, font, labels[i], labelX, baseline, kTKAlignLeft);
    char text[24];
    std::snprintf(text, sizeof text, "%ld", values[i]);
    double valueX = rect.right + probe.width + 5;
    double width = TKMeasureText(font, text).width;
    if (valueX + width > pane.right - 2) valueX = pane.right - 2 - width;
    TKDrawText(ctx, font, text, valueX, baseline, kTKAlignLeft);
  }
  TKEndDrawing(ctx);
}

}  // namespace

HistogramPaneLayout HistogramLayoutFor(const TKRect& rect, bool statistics, double fontSize, int32_t statisticsWidth) {
  HistogramPaneLayout l{};
  l.margin = int32_t(TKRectHeight(rect) * 0.03);
  // The readouts stay down to the small font of the combo display's
  // quadrant on the smallest screens, even where they leave room for only
  // 128 bins beside them.
  l.statistics = statistics && fontSize >= kHistogramReadoutMinFont;
  int32_t wanted = l.statistics ? statisticsWidth : 0;
  int32_t available = TKRectWidth(rect) - 2 * l.margin - wanted;
  if (available >= 512) {
    l.histogramWidth = 514;
  } else if (available >= 256) {
    l.histogramWidth = 258;
  } else {
    l.histogramWidth = 130;
  }
  if (available <= 127) l.statistics = false;
  l.statisticsWidth = l.statistics ? statisticsWidth : 0;

  const int32_t column = l.histogramWidth + l.statisticsWidth;
  const int32_t left = rect.left + (TKRectWidth(rect) - column) / 2;
  const int32_t top = rect.top + l.margin, bottom = rect.bottom - l.margin;
  const int32_t stripHeight = std::max(0, (bottom - top) / 4);
  for (int i = 0; i < 4; ++i)
    l.strips[i] = TKMakeRect(left, top + i * stripHeight, l.histogramWidth, stripHeight);
  return l;
}

double HistogramScaleDivisor(int32_t pictureWidth, int32_t pictureHeight, bool statistics) {
  double n = double(int64_t(pictureWidth) * pictureHeight / 50);
  if (pictureWidth > 720) n /= 2;
  if (pictureHeight > 576) n /= 2;
  n = std::max(n, 50.0);
  return statistics ? 2 * n : n;
}

void DrawHistogramStatistics(TKImage* target, const TKRect& pane, const uint32_t* counts, int32_t binCount,
                             const TKRect& rect, bool statistics, double scale, int32_t accent) {
  if (!target || !counts || binCount <= 0) return;
  const uint32_t ink = ScopeAccentPixel(accent);
  // Inside the strip's frame, and inside the pane.
  PixelPen bars(target, TKRectIntersect(TKRectInset(rect, 1, 1), pane));
  const int32_t bottomRow = rect.bottom - 2, floorRow = rect.top + 1;
  for (int32_t bin = 0; bin < binCount; ++bin)
    if (counts[bin]) bars.Column(rect.left + 1 + bin, BarTop(counts[bin], scale, bottomRow, floorRow), bottomRow, ink);

  const HistogramStatistics s = HistogramStatisticsOf(counts, binCount);
  if (!statistics || !s.total) return;
  // The mean marker: rows of 1, 3 and 5 pixels under the strip.
  PixelPen marker(target, pane);
  const int32_t x = rect.left + 1 + s.mean;
  for (int32_t row = 0; row < 3; ++row) marker.Row(rect.bottom + row, x - row, x + row, ink);
  DrawReadouts(target, pane, rect, s);
}

void DrawHistogramPane(TKImage* target, const TKRect* rect, TKImage* picture, bool statistics) {
  if (!target) return;
  const TKRect pane = rect ? *rect : Whole(target);
  const TKFont font = ScopeFont(pane);
  const int32_t statisticsWidth = int32_t(std::ceil(TKMeasureText(font, "Mean: 255").width));
  const HistogramPaneLayout layout = HistogramLayoutFor(pane, statistics, font.size, statisticsWidth);

  ScopeFillRect(target, pane, kScopeBlackPixel);
  TKContext* ctx = TKBeginDrawing(target);
  if (!ctx) return;
  TKClipRect(ctx, pane);
  TKSetStrokeColor(ctx, ScopeAccentColor(kScopeAccentFrame));
  for (const TKRect& strip : layout.strips) TKFrameRect(ctx, strip);
  const TKFont labelFont{"Helvetica", double(kScopeInterfaceFontSize), false, false};
  const double ascent = TKMeasureText(labelFont, "Luma").ascent;
  for (int i = 0; i < 4; ++i) {
    const TKRect& strip = layout.strips[i];
    if (TKRectHeight(strip) <= 45) continue;
    TKSetFillColor(ctx, ScopeAccentColor(kScopeAccentFrame));
    TKDrawText(ctx, labelFont, kStripLabels[i], strip.left + 4, strip.top + 3 + ascent, kTKAlignLeft);
  }
  TKEndDrawing(ctx);

  if (!picture || ScopeUpdatesSuspended()) return;
  const int32_t bins = layout.histogramWidth - 2;
  std::vector<uint32_t> counts(size_t(bins) * 4, 0);
  HistogramRequest request{bins, {}};
  for (int i = 0; i < 4; ++i) request.counts[i] = counts.data() + size_t(i) * bins;
  ComputeHistograms(picture, &request);
  const double scale = (TKRectHeight(layout.strips[0]) - 2) /
                       HistogramScaleDivisor(TKImageWidth(picture), TKImageHeight(picture), layout.statistics);
  for (int i = 0; i < 4; ++i)
    DrawHistogramStatistics(target, pane, request.counts[i], bins, layout.strips[i], layout.statistics, scale,
                            kStripAccents[i]);
}

int32_t LumaHistogramBinsForWidth(int32_t width) {
  if (width > 1023) return 1024;
  if (width > 767) return 768;
  if (width > 511) return 512;
  if (width >= 256) return 256;
  return 128;
}

void DrawLumaHistogram(TKImage* target, const TKRect* rect, TKImage* source) {
  if (!target) return;
  const TKRect area = rect ? *rect : Whole(target);
  ScopeFillRect(target, area, kScopeBlackPixel);
  if (!source) return;

  const int32_t bins = LumaHistogramBinsForWidth(TKRectWidth(area));
  std::vector<uint32_t> luma(size_t(bins), 0);
  HistogramRequest request{bins, {luma.data(), nullptr, nullptr, nullptr}};
  ComputeHistogramsOfEveryPixel(source, &request);

  const double n = std::max(50.0, double(int64_t(TKImageWidth(source)) * TKImageHeight(source) / 50));
  const double scale = (TKRectHeight(area) - 2) / n;
  const uint32_t ink = ScopeAccentPixel(kScopeAccentLuma);
  const PixelPen pen(target, area);
  const int32_t bottomRow = area.bottom - 2, floorRow = area.top + 1;
  // Where a code value has several bins (512 or more), its first bin is
  // drawn as wide as all of them and the others are stepped over.
  const int32_t per = std::max(1, bins / 256);
  for (int32_t bin = 0; bin < bins; bin += per) {
    if (!luma[bin]) continue;
    const int32_t top = BarTop(luma[bin], scale, bottomRow, floorRow);
    for (int32_t k = 0; k < per; ++k) pen.Column(area.left + 1 + bin + k, top, bottomRow, ink);
  }
}
