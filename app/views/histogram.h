// Histograms: four stacked histograms (luma, red, green, blue) of a picture
// with minimum, maximum, mean and peak readouts; the luma histogram drawn
// behind the luma-range control; and the one entry point that refreshes the
// levels controls' histograms. Counting is integer work over 32-bit pictures,
// kept cheap by sampling large ones. Main thread only.
#pragma once

#include <cstdint>

#include "platform/ui/ui_draw.h"

enum : int32_t { kHistogramLuma = 0, kHistogramRed = 1, kHistogramGreen = 2, kHistogramBlue = 3 };

// What to count: binCount is 128, 256, 512, 768 or 1024; a null array (of
// binCount counters, cleared by the caller) is skipped.
struct HistogramRequest {
  int32_t binCount;
  uint32_t* counts[4];  // luma, red, green, blue
};

// Counts the picture. Pictures wider than 720 are sampled every second
// column (width / 2 samples a row), taller than 576 every second row. Luma
// is the Rec. 709 sum of three byte tables. A value v lands in bin v / 2 of
// 128 bins, otherwise in the binCount / 256 bins from v x binCount / 256 on.
// A request with another bin count counts nothing.
void ComputeHistograms(TKImage* picture, HistogramRequest* request);
// The same counts over every pixel, however large the picture: what walking
// the picture with HistogramPixelCallback gives, counted in parts on the
// task pool.
void ComputeHistogramsOfEveryPixel(TKImage* picture, HistogramRequest* request);

// The same for one pixel, as a picture-walk procedure (refCon is the
// request): pixels in format 32 (bytes A, R, G, B) or 'BGRA'; other formats
// are ignored.
void HistogramPixelCallback(void* pixel, uint32_t pixelFormat, void* refCon);

// Minimum and maximum are the first and last non-empty bins, peak the first
// bin with the largest count, mean the count-weighted mean bin (integer
// division). All zero when nothing was counted.
struct HistogramStatistics {
  int32_t minimum, maximum, mean, peak;
  uint64_t total;  // pixels counted
};
HistogramStatistics HistogramStatisticsOf(const uint32_t* counts, int32_t binCount);

// Where the Histograms display puts things in a rect, given the font size
// and the width of the statistics column ("Mean: 255"). Readouts need a font
// of at least this size and room for 128 bins beside them.
constexpr double kHistogramReadoutMinFont = 7;
struct HistogramPaneLayout {
  int32_t margin;            // rect height x 0.03
  int32_t histogramWidth;    // 130, 258 or 514: bins + 2
  bool statistics;           // readouts shown
  int32_t statisticsWidth;   // 0 without readouts
  TKRect strips[4];          // luma, red, green, blue, top to bottom
};
HistogramPaneLayout HistogramLayoutFor(const TKRect& rect, bool statistics, double fontSize,
                                       int32_t statisticsWidth);

// The divisor of the bar heights for a picture: width x height / 50, halved
// for each sampled direction, at least 50, doubled with readouts.
double HistogramScaleDivisor(int32_t pictureWidth, int32_t pictureHeight, bool statistics);

// The Histograms display in rect of target (null: all of it): strips,
// labels and, with a picture and while updates are not suspended, the four
// histograms (readouts when asked and they fit).
void DrawHistogramPane(TKImage* target, const TKRect* rect, TKImage* picture, bool statistics);

// One histogram in rect (its strip): a bar per non-empty bin from the bottom
// up, count x scale high, drawn only inside the strip's frame; with
// statistics and something counted, the mean marker under the strip and the
// readouts to its right, kept inside pane. accent is the bars' colour.
void DrawHistogramStatistics(TKImage* target, const TKRect& pane, const uint32_t* counts, int32_t binCount,
                             const TKRect& rect, bool statistics, double scale, int32_t accent);

// The luma histogram of source in rect of target (null: all of it), on
// black, with as many bins as the width allows (128 to 1024).
void DrawLumaHistogram(TKImage* target, const TKRect* rect, TKImage* source);
int32_t LumaHistogramBinsForWidth(int32_t width);

// Asks the levels control of channel 1 to 4 (master, red, green, blue) to
// refresh its input or output histograms, through the refresher the levels
// controls install; other channels, or no refresher, do nothing.
using LevelsHistogramRefresher = void (*)(int32_t channel, bool inputHistogram, bool redraw);
void SetLevelsHistogramRefresher(LevelsHistogramRefresher refresher);
void RefreshLevelsHistograms(int32_t channel, bool inputHistogram, bool redraw);
