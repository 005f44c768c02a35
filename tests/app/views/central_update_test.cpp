// The central update: processing by the working record, Caps Lock
// suspension, conversion by view mode, the order of the outputs, and the
// colour sample.
#include <cstring>

#include "core/process_image.h"
#include "core/processing_tables.h"
#include "core/task_pool.h"
#include "core/tonal_preview.h"
#include "tests/app/views/pane_fixture.h"

namespace {

// A correction that plainly changes the picture: the master RGB gain.
void brighten(VL_SettingsStruct* s, float gain) {
  s->rgbEnable = 1;
  s->rgb[0].enable = 1;
  s->rgb[0].gain = gain;
}

using CentralUpdateTest = PaneTest;

TEST_F(CentralUpdateTest, AnEditIsProcessedAsTheEngineSaysAndTheResultPictureFollows) {
  brighten(&gUISettings, 1.5f);
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  EXPECT_FALSE(gUpdatesSuspended);
  EXPECT_TRUE(VL_ProcessingTablesBuiltFrom(&gUISettings));
  for (auto [x, y] : {std::pair{10, 5}, {32, 24}, {60, 40}}) {
    float r = *Plane(gSourceFrame, 0, x, y), g = *Plane(gSourceFrame, 1, x, y), b = *Plane(gSourceFrame, 2, x, y);
    float luma = 0;
    ProcessColorSample(&r, &g, &b, &luma, &gUISettings);
    // The sample goes through the very pass the frame went through.
    EXPECT_EQ(r, *Plane(gResultFrame, 0, x, y));
    EXPECT_EQ(g, *Plane(gResultFrame, 1, x, y));
    EXPECT_EQ(b, *Plane(gResultFrame, 2, x, y));
    EXPECT_EQ(luma, *Plane(gResultFrame, 3, x, y));
    EXPECT_GT(r, *Plane(gSourceFrame, 0, x, y));
    int pr, pg, pb;
    RGB8(gResultGWorld, x, y, &pr, &pg, &pb);
    EXPECT_NEAR(pr, std::min(1.0f, r) * 255, 1.0);
    EXPECT_NEAR(pg, std::min(1.0f, g) * 255, 1.0);
    EXPECT_NEAR(pb, std::min(1.0f, b) * 255, 1.0);
  }
}

TEST_F(CentralUpdateTest, CapsLockSuspendsProcessingUntilReleased) {
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  const VL_SettingsStruct before = gUISettings;
  std::vector<float> resultBefore(gResultFrame->planeBytes / 4);
  std::memcpy(resultBefore.data(), gResultFrame->baseAddr, gResultFrame->planeBytes);

  CapsLock(true);
  brighten(&gUISettings, 2.0f);
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  EXPECT_TRUE(gUpdatesSuspended);
  EXPECT_TRUE(VL_ProcessingTablesBuiltFrom(&before)) << "the tables were rebuilt";
  EXPECT_EQ(std::memcmp(resultBefore.data(), gResultFrame->baseAddr, gResultFrame->planeBytes), 0);
  // The result picture is black inside a red frame a tenth in from the edges.
  int r, g, b;
  RGB8(gResultGWorld, kW / 2, kH / 2, &r, &g, &b);
  EXPECT_EQ(r + g + b, 0);
  RGB8(gResultGWorld, kW / 10 + 1, kH / 2, &r, &g, &b);
  EXPECT_EQ(r, 48000 * 255 / 65535 + 1);
  EXPECT_EQ(g + b, 0);

  CapsLock(false);
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  EXPECT_FALSE(gUpdatesSuspended);
  EXPECT_TRUE(VL_ProcessingTablesBuiltFrom(&gUISettings));
  EXPECT_GT(*Plane(gResultFrame, 0, 20, 20), resultBefore[20 * gResultFrame->rowBytes / 4 + 20]);
}

TEST_F(CentralUpdateTest, CapsLockInTheSplitSourceViewKeepsTheSourceSideLive) {
  SetImageViewMode(kImageViewSplitSource);
  CapsLock(true);
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  int r, g, b, sr, sg, sb;
  // Left of the middle: the source picture; right: the suspended picture.
  RGB8(gSplitGWorld, 12, 30, &r, &g, &b);
  RGB8(gSourceGWorld, 12, 30, &sr, &sg, &sb);
  EXPECT_EQ(std::tie(r, g, b), std::tie(sr, sg, sb));
  EXPECT_GT(r + g + b, 0);
  RGB8(gSplitGWorld, 40, kH / 2, &r, &g, &b);
  EXPECT_EQ(r + g + b, 0);
  EXPECT_EQ(gCurrentImagePane, GetViewPane(kPaneSplitSource));
}

// Which pictures a redraw converts in each view mode: the result always,
// the source only where it shows, the split picture only in the split and
// luma-range views; the reference picture is never touched.
TEST_F(CentralUpdateTest, EachViewModeConvertsOnlyWhatItShows) {
  struct Case {
    ImageViewMode mode;
    bool source, split;
  };
  const Case cases[] = {
      {kImageViewResult, false, false},    {kImageViewSource, true, false},  {kImageViewReference, false, false},
      {kImageViewSplitSource, true, true}, {kImageViewSplitRef, false, true}, {kImageViewLumaRanges, false, true},
  };
  brighten(&gUISettings, 1.2f);
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&gUISettings));
  EXPECT_EQ(kQVNoErr, ProcessImage(gSourceFrame, gResultFrame, 0, 0));
  const TKColor magenta{1, 0, 1, 1};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.mode));
    for (TKImage* p : {gResultGWorld, gSourceGWorld, gSplitGWorld, gReferenceGWorld}) EraseGWorldRect(p, nullptr, &magenta);
    gImageViewMode = c.mode;
    RedrawImagePanes(true);
    // Right of the split line, where the split views show the result.
    auto touched = [](TKImage* p) { return TKImageGetPixel(p, 50, 3) != 0xFFFF00FFu; };
    EXPECT_TRUE(touched(gResultGWorld));
    EXPECT_EQ(touched(gSourceGWorld), c.source);
    EXPECT_EQ(touched(gSplitGWorld), c.split);
    EXPECT_FALSE(touched(gReferenceGWorld));
  }
  // The luma-range view colours the source by tonal range, not the result.
  std::vector<uint8_t> expected(size_t(kW) * kH * 4);
  ProcessHMSPreview(gSourceFrame, expected.data(), kW * 4, kFBPixFormat32ARGB, 1, nullptr);
  std::vector<uint8_t> shown(expected.size());
  EXPECT_EQ(kQVNoErr, TKImageExport(gSplitGWorld, shown.data(), kW * 4, kTKPixelFormatBGRA));
  EXPECT_EQ(shown, expected);
}

TEST_F(CentralUpdateTest, ARedrawFeedsTheOutputsInOrderAndTouchesTheSelectedTabsControls) {
  gCorrectionTab = kCorrectionTabLevels;
  gLevelsChannel = kLevelsChannelGreen;
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  EXPECT_EQ(HookCalls(), (std::vector<std::string>{"levels 3", "colour match", "external", "video", "secondary"}));

  HookCalls().clear();
  gCorrectionTab = kCorrectionTabLumaRange;
  gPaneLayout = 2;
  RedrawImagePanes(true);
  EXPECT_EQ(HookCalls(),
            (std::vector<std::string>{"luma range", "colour match", "analysis", "external", "video", "secondary"}));

  HookCalls().clear();
  CapsLock(true);
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  EXPECT_EQ(HookCalls(), (std::vector<std::string>{"external", "video", "secondary", "analysis"}));
}

TEST_F(CentralUpdateTest, ProcessingIntoAPictureRebuildsTablesWhenTheSameRecordChanged) {
  VL_SettingsStruct record = gUISettings;
  ASSERT_EQ(ProcessFrameIntoGWorld(gSourceFrame, gResultFrame, gReferenceGWorld, &record, true), kQVNoErr);
  const float plain = *Plane(gResultFrame, 0, 30, 30);
  // Same address, other contents: the tables must follow the contents.
  brighten(&record, 1.5f);
  ASSERT_EQ(ProcessFrameIntoGWorld(gSourceFrame, gResultFrame, gReferenceGWorld, &record, true), kQVNoErr);
  EXPECT_GT(*Plane(gResultFrame, 0, 30, 30), plain);
  int r, g, b;
  RGB8(gReferenceGWorld, 30, 30, &r, &g, &b);
  EXPECT_NEAR(r, std::min(1.0f, *Plane(gResultFrame, 0, 30, 30)) * 255, 1.0);
  EXPECT_EQ(ProcessFrameIntoGWorld(nullptr, gResultFrame, gReferenceGWorld, &record, true), kQVErrParam);
}

}  // namespace
