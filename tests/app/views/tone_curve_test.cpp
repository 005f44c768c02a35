// The tone curve: the identity on the diagonal, a correction bending the
// curve of its channel only in the result view, and no curves while updates
// are suspended.
#include "app/views/tone_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "app/views/scope_colors.h"
#include "app/views/scope_inputs.h"
#include "core/processing_tables.h"
#include "core/settings_record.h"
#include "scope_test_frames.h"
#include "tests/scratch_folder.h"

namespace {

using Picture = std::unique_ptr<TKImage, TKImageDisposer>;

// Builds the processing tables from a default record changed by edit.
void BuildTables(void (*edit)(VL_SettingsStruct*)) {
  auto s = std::make_unique<VL_SettingsStruct>();
  std::memset(s.get(), 0, sizeof *s);
  VL_SetDefaultControlValues(s.get(), kVLMaskAll);
  if (edit) edit(s.get());
  ASSERT_EQ(VL_UpdateProcessingTables(s.get()), kQVNoErr);
}

void HalveRedOutput(VL_SettingsStruct* s) {
  s->levelsEnable = 1;
  s->levels[1].enable = 1;
  s->levels[1].outwhitept = 0.5f;
}

// The row at which the curve of value v is drawn in column i of the plot.
int32_t RowOf(const TKRect& plot, double v) { return plot.bottom - 1 - int32_t(std::lround(v * (TKRectHeight(plot) - 1))); }

class ToneCurve : public ::testing::Test {
 protected:
  void TearDown() override { BuildTables(nullptr); }
  Picture picture{MakeColourBars(64, 36)};
  const TKRect area = TKMakeRect(0, 0, 400, 300);
  const TKRect plot = ToneCurvePlotRect(area);
};

TEST_F(ToneCurve, PlotIsASquareOnTheHeightCentredAcross) {
  EXPECT_EQ(plot.top, 9);
  EXPECT_EQ(TKRectHeight(plot), 282);
  EXPECT_EQ(TKRectWidth(plot), 282);
  EXPECT_EQ(plot.left, (400 - 282) / 2);
}

TEST_F(ToneCurve, CurvesLieOnTheDiagonalUnlessTheResultIsCorrected) {
  struct Case {
    const char* name;
    void (*edit)(VL_SettingsStruct*);
    bool result;
    double red;           // the red curve's slope
    int32_t onDiagonal;   // the accent seen on the diagonal: the last curve drawn there
  } cases[] = {{"empty correction", nullptr, true, 1.0, kScopeAccentLuma},
               {"source view of a correction", HalveRedOutput, false, 1.0, kScopeAccentLuma},
               {"result of a correction", HalveRedOutput, true, 0.5, kScopeAccentBlue}};
  const int32_t w = TKRectWidth(plot);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BuildTables(c.edit);
    Picture target(TKImageCreate(400, 300));
    DrawToneCurvePane(target.get(), &area, picture.get(), c.result);
    for (int32_t i : {w / 3, w / 2, w - 1}) {
      double v = double(i) / (w - 1);
      EXPECT_EQ(TKImageGetPixel(target.get(), plot.left + i, RowOf(plot, v)), ScopeAccentPixel(c.onDiagonal)) << i;
      if (c.red < 1) {
        EXPECT_EQ(TKImageGetPixel(target.get(), plot.left + i, RowOf(plot, v * c.red)), ScopeAccentPixel(kScopeAccentRed))
            << i;
      }
    }
    EXPECT_EQ(TKImageGetPixel(target.get(), plot.left, plot.bottom - 1), ScopeAccentPixel(kScopeAccentLuma));
    if (c.red < 1) {
      std::string dir = ScratchDir("scope-pictures");
      EXPECT_EQ(TKImageWritePNG(target.get(), (dir + "/tone-curve-red-halved.png").c_str()), kQVNoErr);
    }
  }
}

TEST_F(ToneCurve, NoCurvesWithoutAPictureOrWhileSuspended) {
  BuildTables(HalveRedOutput);
  Picture bare(TKImageCreate(400, 300)), suspended(TKImageCreate(400, 300)), live(TKImageCreate(400, 300));
  DrawToneCurvePane(bare.get(), nullptr, nullptr, true);
  ScopeSetUpdatesSuspendedQuery([] { return true; });
  DrawToneCurvePane(suspended.get(), nullptr, picture.get(), true);
  ScopeSetUpdatesSuspendedQuery(nullptr);
  DrawToneCurvePane(live.get(), nullptr, picture.get(), true);
  int64_t same = 0, differ = 0;
  for (int32_t y = 0; y < 300; ++y)
    for (int32_t x = 0; x < 400; ++x) {
      same += TKImageGetPixel(bare.get(), x, y) == TKImageGetPixel(suspended.get(), x, y);
      differ += TKImageGetPixel(bare.get(), x, y) != TKImageGetPixel(live.get(), x, y);
    }
  EXPECT_EQ(same, 400 * 300);
  EXPECT_GT(differ, 400);
  // Frame and grid are drawn in any case.
  EXPECT_EQ(TKImageGetPixel(bare.get(), plot.left, plot.top + 10), ScopeAccentPixel(kScopeAccentFrame));
}

}  // namespace
