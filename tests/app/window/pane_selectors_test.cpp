// The pane selectors and the switch procedures of the main window's tab
// groups: each image view shows its own pane, leaving Source brings the
// result up to date, the gallery window follows the analysis selector,
// leaving the Secondary tab turns the previews off, and the selections kept
// in the preferences are restored only when they name an item.
#include <cmath>

#include "app/views/image_pane_internal.h"
#include "app/views/pictures.h"
#include "app/views/transport_bar.h"

#include "app/window/correction_tabs.h"
#include "main_window_fixture.h"

namespace {

TEST_F(MainWindowTest, EachImageViewShowsItsOwnPane) {
  Build();
  const ImagePaneMask panes[6] = {kPaneResult,      kPaneSource,   kPaneReference,
                                  kPaneSplitSource, kPaneSplitRef, kPaneLumaRanges};
  for (int32_t i : {1, 2, 3, 4, 5, 0}) {
    TabGroupSelect(gImagePaneTabs, i);
    TKRunPending();
    EXPECT_EQ(gImageViewMode, i);
    EXPECT_EQ(gCurrentImagePane, GetViewPane(panes[i]));
    for (int32_t j = 0; j < 6; ++j) EXPECT_EQ(TKIsControlVisible(GetViewPane(panes[j])), i == j) << i << " " << j;
  }
}

// Each image view's pane: the parts of its transport bar, the frame its
// readouts sample, its role, the preview LUT and the custom cursors; every
// one follows the clip when dragged. The two reference panes draw together.
TEST_F(MainWindowTest, EachImageViewHasItsBarRoleFrameAndLUT) {
  Build();
  struct View {
    ImagePaneMask pane;
    uint32_t parts;
    FBFrameStruct** frame;  // null: none
    int32_t role;
    bool lut, cursors;
  } views[6] = {
      {kPaneResult, 31, &gResultFrame, 1, true, true},     {kPaneSource, 31, &gSourceFrame, 1, true, false},
      {kPaneReference, 15, nullptr, 0, true, false},       {kPaneSplitSource, 14, &gResultFrame, 1, true, false},
      {kPaneSplitRef, 14, &gResultFrame, 1, true, false},  {kPaneLumaRanges, 31, &gResultFrame, 1, false, false},
  };
  for (int32_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    const View& v = views[i];
    TKControl* pane = GetViewPane(v.pane);
    const ImagePaneRecord* r = ImagePaneRecordOf(pane);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(TransportGetParts(gImageTransportBars[i]), v.parts);
    EXPECT_EQ(TransportGetPane(gImageTransportBars[i]), pane);
    EXPECT_EQ(r->readoutFrame, v.frame ? *v.frame : nullptr);
    EXPECT_EQ(r->role, v.role);
    EXPECT_EQ(r->lut != nullptr, v.lut);
    EXPECT_EQ(r->customCursors, v.cursors);
    EXPECT_TRUE(r->clipTracking);
  }
  TKControl* reference = GetViewPane(kPaneReferenceAnalysis);
  const ImagePaneRecord* r = ImagePaneRecordOf(reference);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(TransportGetParts(gReferenceTransportBar), 15u);
  EXPECT_EQ(TransportGetPane(gReferenceTransportBar), reference);
  EXPECT_TRUE(r->clipTracking);
  EXPECT_NE(r->lut, nullptr);
  EXPECT_EQ(r->secondLinkedControl, GetViewPane(kPaneReference));
  EXPECT_EQ(ImagePaneRecordOf(GetViewPane(kPaneReference))->secondLinkedControl, reference);
}

TEST_F(MainWindowTest, LeavingSourceBringsTheResultUpToDate) {
  Build();
  HalveMasterGain();
  TabGroupSelect(gImagePaneTabs, kImageViewSource);
  // While Source shows, the result is left behind.
  for (int32_t y = 0; y < 24; ++y)
    for (int32_t x = 0; x < 32; ++x) FBSetRGBPixel(gResultFrame, x, y, 0, 0, 0, 1);
  TabGroupSelect(gImagePaneTabs, kImageViewResult);
  float in[4], out[4];
  FBGetRGBPixel(gSourceFrame, 31, 0, in);
  FBGetRGBPixel(gResultFrame, 31, 0, out);
  EXPECT_GT(out[0], 0.05f);
  EXPECT_LT(out[0], in[0]);
}

TEST_F(MainWindowTest, GalleryWindowFollowsTheAnalysisSelector) {
  Build();
  TabGroupSelect(gAnalysisPaneTabs, kAnalysisVectorscope);
  EXPECT_EQ(gAnalysisPaneKind, kAnalysisVectorscope);
  EXPECT_EQ(galleryShown, -1);
  TabGroupSelect(gAnalysisPaneTabs, kAnalysisGallery);
  EXPECT_EQ(galleryShown, 1);
  // The gallery's pane lives in the selector's "Gallery" pane.
  ASSERT_NE(gGalleryControl, nullptr);
  EXPECT_EQ(TKGetControlID(gGalleryControl).signature, QVFourCC("VFgl"));
  EXPECT_TRUE(TKIsControlVisible(gGalleryControl));
  EXPECT_EQ(gAnalysisPaneKind, kAnalysisGallery);
  TabGroupSelect(gAnalysisPaneTabs, kAnalysisYCWFM);
  EXPECT_EQ(galleryShown, 0);
  EXPECT_TRUE(TKIsControlVisible(gAnalysisPanes[kAnalysisYCWFM]));
  EXPECT_FALSE(TKIsControlVisible(gAnalysisPanes[kAnalysisVectorscope]));
}

TEST_F(MainWindowTest, LeavingTheSecondaryTabTurnsEveryPreviewOff) {
  Build();
  TabGroupSelect(gCorrectionTabs, kCorrectionTabSecondary);
  EXPECT_EQ(gCorrectionTab, kCorrectionTabSecondary);
  gUISettings.secondary[1].preview = 1;
  gUISettings.secondary[4].preview = 1;
  gUISettings.secondaryGeometry[2].head[2] = 1;
  gUISettings.secondary[0].enable = 1;  // untouched
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
  TKControl* showPreview = VFControlAtOffset(offsetof(VL_SettingsStruct, secondary[1].preview));
  ASSERT_NE(showPreview, nullptr);
  EXPECT_EQ(TKGetControlValue(showPreview), 1);
  // Each preview turned off reprocesses and feeds the preview outputs once.
  static int32_t feeds = 0;
  feeds = 0;
  ViewsHooksInForce().updateSecondaryPreview = [](bool) { ++feeds; };
  TabGroupSelect(gCorrectionTabs, kCorrectionTabLevels);
  EXPECT_EQ(feeds, 3);
  EXPECT_EQ(TKGetControlValue(showPreview), 0);
  for (int32_t n = 0; n < 6; ++n) {
    EXPECT_EQ(gUISettings.secondary[n].preview, 0u) << n;
    EXPECT_EQ(gUISettings.secondaryGeometry[n].head[2], 0u) << n;
  }
  EXPECT_EQ(gUISettings.secondary[0].enable, 1u);
  EXPECT_EQ(gCorrectionTab, kCorrectionTabLevels);
}

TEST_F(MainWindowTest, LevelsChannelFollowsItsTab) {
  Build();
  struct Step {
    int32_t index, channel;
  };
  for (const Step& s : {Step{2, kLevelsChannelGreen}, Step{0, kLevelsChannelMaster}, Step{3, kLevelsChannelBlue},
                        Step{7, kLevelsChannelBlue}, Step{-1, kLevelsChannelBlue}}) {
    LevelsChannelSwitchProc(0, s.index);
    EXPECT_EQ(gLevelsChannel, s.channel) << s.index;
  }
}

TEST_F(MainWindowTest, InactiveCorrectionTabsIgnoreSelection) {
  Build();
  SetCorrectionTabsEnabled(false);
  TabGroupSelect(gCorrectionTabs, kCorrectionTabRGB);
  EXPECT_EQ(TabGroupGetCurrent(gCorrectionTabs), kCorrectionTabHSL);
  SetCorrectionTabsEnabled(true);
  TabGroupSelect(gCorrectionTabs, kCorrectionTabRGB);
  EXPECT_EQ(TabGroupGetCurrent(gCorrectionTabs), kCorrectionTabRGB);
}

// The kept selections are 1-based; anything outside the items (a damaged or
// foreign preference) leaves the first item selected instead of selecting
// an item that is not there.
TEST_F(MainWindowTest, RestoresKeptSelectionsOnlyWhenTheyNameAnItem) {
  struct Kept {
    int32_t image, analysis, tab;
    int32_t wantImage, wantAnalysis, wantTab;
  };
  const Kept cases[] = {
      {2, 10, 6, kImageViewSource, kAnalysisVectorscope, kCorrectionTabLevels},
      {6, 12, 9, kImageViewLumaRanges, kAnalysisToneCurve, kCorrectionTabLimiting},
      {1, 13, 1, kImageViewResult, kAnalysisCombo, kCorrectionTabHSL},  // the gallery is not restored
      {7, 14, 10, kImageViewResult, kAnalysisCombo, kCorrectionTabHSL},
      {0, 0, 0, kImageViewResult, kAnalysisCombo, kCorrectionTabHSL},
      {-5, -1, -2, kImageViewResult, kAnalysisCombo, kCorrectionTabHSL},
      {1 << 30, 1 << 30, 1 << 30, kImageViewResult, kAnalysisCombo, kCorrectionTabHSL},
  };
  for (const Kept& c : cases) {
    SCOPED_TRACE(testing::Message() << c.image << " " << c.analysis << " " << c.tab);
    gPrefsSettings.rightPaneDefault = c.image;
    gPrefsSettings.leftPaneDefault = c.analysis;
    gPrefsSettings.settingsPaneDefault = c.tab;
    galleryShown = -1;
    Build();
    EXPECT_EQ(TabGroupGetCurrent(gImagePaneTabs), c.wantImage);
    EXPECT_EQ(gImageViewMode, c.wantImage);
    EXPECT_TRUE(TKIsControlVisible(gCurrentImagePane));
    EXPECT_EQ(TabGroupGetCurrent(gAnalysisPaneTabs), c.wantAnalysis);
    EXPECT_EQ(gAnalysisPaneKind, c.wantAnalysis);
    EXPECT_EQ(TabGroupGetCurrent(gCorrectionTabs), c.wantTab);
    EXPECT_EQ(gCorrectionTab, c.wantTab);
    EXPECT_EQ(galleryShown, -1);
    DisposeMainWindow();
  }
}

TEST_F(MainWindowTest, ControlNumbersRunInBuildingOrder) {
  Build();
  // The image views' bars take the first numbers, then the reference bar.
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(TKGetControlID(gImageTransportBars[i]).id, i + 1) << i;
  EXPECT_EQ(TKGetControlID(gReferenceTransportBar).id, 7);
  // The Limiting controls take one each, in their order down the columns.
  const size_t* order = kLimitingFields;
  const int32_t first = TKGetControlID(VFControlAtOffset(uint32_t(order[0]))).id;
  EXPECT_GT(first, 7);
  for (size_t i = 0; i < std::size(kLimitingFields); ++i)
    EXPECT_EQ(TKGetControlID(VFControlAtOffset(uint32_t(order[i]))).id, first + int32_t(i)) << i;
  EXPECT_GT(gNextValueControlID, first + 10);
}

}  // namespace

namespace {

// Split Source shows the source left of the split line and the result right
// of it, from the first time it is chosen.
TEST_F(MainWindowTest, SplitSourceShowsBothSidesOfTheLine) {
  Build();
  HalveMasterGain();
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  EXPECT_EQ(kQVNoErr, ConvertFrameToPicture(gSourceFrame, gSourceGWorld));
  TabGroupSelect(gImagePaneTabs, kImageViewSplitSource);
  TKRunPending();
  TKRenderWindow(UIMainWindow());
  EXPECT_EQ(TKImageGetPixel(gSplitGWorld, 1, 12), TKImageGetPixel(gSourceGWorld, 1, 12));
  EXPECT_EQ(TKImageGetPixel(gSplitGWorld, 30, 12), TKImageGetPixel(gResultGWorld, 30, 12));
  EXPECT_NE(TKImageGetPixel(gSplitGWorld, 30, 12), TKImageGetPixel(gSourceGWorld, 30, 12));
}

}  // namespace
