// The Histograms display's bars in numbers: a grey ramp 256 wide and 36
// high has 36 pixels of every code value in each colour, so in a pane wide
// enough for 512 bins value v fills bins 2v and 2v + 1, and every bar is
// 36 x (strip height - 2) / (256 x 36 / 50, doubled with readouts) high.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/views/histogram.h"
#include "app/views/scope_colors.h"
#include "app/views/scope_labels.h"
#include "scope_test_frames.h"

namespace {

using Picture = std::unique_ptr<TKImage, TKImageDisposer>;

TEST(HistogramBars, AGreyRampGivesEqualBarsAtTheBinsOfEachValue) {
  Picture ramp(TKImageCreate(256, 36));
  for (int32_t y = 0; y < 36; ++y)
    for (int32_t x = 0; x < 256; ++x) SetPixel(ramp.get(), x, y, uint8_t(x), uint8_t(x), uint8_t(x));

  for (bool statistics : {false, true}) {
    SCOPED_TRACE(statistics ? "with readouts" : "without readouts");
    const TKRect pane = TKMakeRect(0, 0, 800, 200);
    Picture target(TKImageCreate(800, 200));
    DrawHistogramPane(target.get(), &pane, ramp.get(), statistics);

    TKFont font;
    SetScopeFont(pane, &font);
    const int32_t readoutWidth = int32_t(std::ceil(TKMeasureText(font, "Mean: 255").width));
    const HistogramPaneLayout layout = HistogramLayoutFor(pane, statistics, font.size, readoutWidth);
    ASSERT_EQ(layout.histogramWidth, 514);
    ASSERT_EQ(layout.statistics, statistics);
    ASSERT_EQ(TKRectHeight(layout.strips[0]), 47);  // (200 - 2 x 6) / 4
    // 9216 pixels / 50 = 184, doubled with readouts: 36 x 45 / 184 = 8.8 and
    // 36 x 45 / 368 = 4.4 rows above the bottom row.
    const int32_t rise = layout.statistics ? 4 : 8;

    const int32_t accents[3] = {kScopeAccentRed, kScopeAccentGreen, kScopeAccentBlue};
    for (int32_t channel = 1; channel <= 3; ++channel) {
      const TKRect& strip = layout.strips[channel];
      const uint32_t ink = ScopeAccentPixel(accents[channel - 1]);
      const int32_t bottom = strip.bottom - 2;
      for (int32_t v : {0, 1, 100, 254, 255}) {
        for (int32_t bin : {2 * v, 2 * v + 1}) {
          SCOPED_TRACE(testing::Message() << "channel " << channel << " bin " << bin);
          const int32_t x = strip.left + 1 + bin;
          EXPECT_EQ(TKImageGetPixel(target.get(), x, bottom), ink);
          EXPECT_EQ(TKImageGetPixel(target.get(), x, bottom - rise), ink);
          EXPECT_NE(TKImageGetPixel(target.get(), x, bottom - rise - 1), ink);
        }
      }
    }
  }
}

}  // namespace
