// The main window as start-up builds it: every tab, selector, pane, button
// and group in place where the layout puts it, the Limiting and Luma Range
// tabs bound to their fields, and the shell's main window being this one.
#include <string>
#include <vector>

#include "app/controls/color_swatch.h"
#include "app/controls/curve_editor.h"
#include "app/window/correction_tabs.h"
#include "app/window/main_window_geometry.h"
#include "app/window/main_window_tabs.h"
#include "app/window/secondary_tab.h"
#include "main_window_fixture.h"

namespace {

std::vector<std::string> ItemNames(TKControl* group) {
  std::vector<std::string> names;
  VFTabGroup* g = TabGroupRecord(group);
  for (int32_t i = 0; g && i < g->count; ++i) names.push_back(g->items[i]->name);
  return names;
}

// The first control in the window with this title.
TKControl* FindTitled(TKControl* control, const std::string& title) {
  for (int32_t i = 0, n = TKCountChildren(control); i < n; ++i) {
    TKControl* child = TKGetChild(control, i);
    if (TKGetControlTitle(child) == title) return child;
    if (TKControl* found = FindTitled(child, title)) return found;
  }
  return nullptr;
}

TEST_F(MainWindowTest, BuildsEveryTabGroupAndPane) {
  Build();
  TKWindow* window = UIMainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(TKGetWindowTitle(window), "Velmora");
  // The window covers the display below the menu bar.
  const TKRect bounds = TKGetWindowBounds(window);
  EXPECT_EQ(bounds.top, TKMenuBarHeight());
  EXPECT_EQ(TKRectWidth(bounds), 1600);
  EXPECT_EQ(TKRectHeight(bounds), 1000 - TKMenuBarHeight());
  const MainWindowGeometry g = MainWindowGeometryFor(1600, 1000 - TKMenuBarHeight());

  EXPECT_EQ(ItemNames(gCorrectionTabs), (std::vector<std::string>{"HSL", "RGB", "CMY", "YCbCr", "Curves", "Levels",
                                                                  "Luma Range", "Secondary", "Limiting"}));
  EXPECT_EQ(gVFTabGroups.correction, gCorrectionTabs);
  const TKRect tabs = TKGetControlBounds(gCorrectionTabs);
  EXPECT_EQ(tabs.top, g.correctionTabs.top);
  EXPECT_EQ(tabs.bottom, g.correctionTabs.bottom);
  EXPECT_EQ(tabs.right, g.correctionTabs.right);
  EXPECT_EQ(ItemNames(gImagePaneTabs), (std::vector<std::string>{"Result", "Source", "Reference", "Split Source",
                                                                  "Split Ref", "Luma Ranges"}));
  EXPECT_EQ(ItemNames(gAnalysisPaneTabs),
            (std::vector<std::string>{"Combo", "Reference", "Luma WFM", "YC WFM", "RGB WFM", "GBR WFM", "YRGB WFM",
                                      "YCbCr WFM", "Overlay WFM", "Vectorscope", "Histograms", "Tone Curve",
                                      "Gallery"}));

  // Each image view has its pane with a transport bar of its parts.
  const ImagePaneMask views[6] = {kPaneResult,      kPaneSource,   kPaneReference,
                                  kPaneSplitSource, kPaneSplitRef, kPaneLumaRanges};
  for (int32_t i = 0; i < 6; ++i) {
    TKControl* pane = GetViewPane(views[i]);
    ASSERT_NE(pane, nullptr) << i;
    EXPECT_EQ(TKGetParentControl(pane), TabGroupGetPane(gImagePaneTabs, i));
    const TKRect r = TKGetControlBounds(pane);
    EXPECT_EQ(TKRectWidth(r), g.paneWidth);
    EXPECT_EQ(ImagePaneGetLinkedControl(pane), gImageTransportBars[i]);
    EXPECT_EQ(ImagePaneGetSplitLineShown(pane), i == 3 || i == 4) << i;
  }
  EXPECT_EQ(gCurrentImagePane, GetViewPane(kPaneResult));
  EXPECT_TRUE(TKIsControlVisible(gCurrentImagePane));
  // The analysis displays share the scope picture; the reference pane has its own.
  ASSERT_NE(gScopePicture, nullptr);
  for (int32_t kind : {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}) {
    ASSERT_NE(gAnalysisPanes[kind], nullptr) << kind;
    EXPECT_EQ(ImagePaneGetImage(gAnalysisPanes[kind]), gScopePicture) << kind;
  }
  ASSERT_NE(GetViewPane(kPaneReferenceAnalysis), nullptr);
  EXPECT_EQ(ImagePaneGetImage(GetViewPane(kPaneReferenceAnalysis)), gReferenceGWorld);
  EXPECT_NE(gReferenceTransportBar, nullptr);
  // The large view is there, hidden.
  ASSERT_NE(gLargeImagePane, nullptr);
  EXPECT_FALSE(TKIsControlVisible(gLargeImagePane));
  EXPECT_EQ(GetLayoutImagePane(1), gLargeImagePane);
  EXPECT_NE(gPicturePane, nullptr);

  // The bottom row.
  TKControl* root = TKGetRootControl(window);
  for (const char* title : {"OK", "Cancel", "Reset All", "Save...", "Load..."})
    EXPECT_NE(FindTitled(root, title), nullptr) << title;
  EXPECT_EQ(TKGetDefaultButton(window), FindTitled(root, "OK"));
  EXPECT_EQ(TKGetCancelButton(window), FindTitled(root, "Cancel"));
  EXPECT_EQ(TKGetControlBounds(FindTitled(root, "OK")).left, g.buttons[kMainButtonOK].left);
}

TEST_F(MainWindowTest, LimitingAndLumaRangeTabsAreBoundToTheirFields) {
  Build();
  // Every Limiting control is entered at its field.
  for (size_t offset : kLimitingFields) {
    TKControl* control = VFControlAtOffset(uint32_t(offset));
    ASSERT_NE(control, nullptr) << offset;
    EXPECT_TRUE(TKGetParentControl(control) == TabGroupGetPane(gCorrectionTabs, kCorrectionTabLimiting) ||
                TKGetParentControl(TKGetParentControl(control)) ==
                    TabGroupGetPane(gCorrectionTabs, kCorrectionTabLimiting))
        << offset;
  }
  // The enable boxes of the two tabs write their words.
  TabGroupSetItemCheck(gCorrectionTabs, kCorrectionTabLimiting, 1);
  EXPECT_EQ(gUISettings.limiter_enable, 1u);
  TabGroupSetItemCheck(gCorrectionTabs, kCorrectionTabLumaRange, 1);
  EXPECT_EQ(gUISettings.lumaRangesEnable, 1u);
  TabGroupSetItemCheck(gCorrectionTabs, kCorrectionTabHSL, 0);
  EXPECT_EQ(gUISettings.hslEnable, 0u);
}

TEST_F(MainWindowTest, SoftClipLevelSwitchesSoftClipOnAndPopupTicksTheTab) {
  Build();
  gUISettings.limiter.limiter_softclip_enable = 0;
  gUISettings.limiter_enable = 0;
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
  TKControl* box = VFControlAtOffset(offsetof(VL_SettingsStruct, limiter.limiter_softclip_enable));
  TKControl* knee = VFControlAtOffset(offsetof(VL_SettingsStruct, limiter.limiter_softclip_knee));
  ASSERT_NE(box, nullptr);
  ASSERT_NE(knee, nullptr);
  EXPECT_EQ(TKGetControlValue(box), 0);
  VFWriteControlValue(knee, 75 * 65536, false);
  EXPECT_FLOAT_EQ(gUISettings.limiter.limiter_softclip_knee, 75.0f);
  EXPECT_EQ(gUISettings.limiter.limiter_softclip_enable, 1u);
  EXPECT_EQ(TKGetControlValue(box), 1);

  TKControl* method = VFControlAtOffset(offsetof(VL_SettingsStruct, limiter.limiter_clip_method));
  EXPECT_EQ(CorrectionPopupChangeProc(method, 1, 3, false), 3);
  EXPECT_EQ(gUISettings.limiter_enable, 1u);
  EXPECT_EQ(TabGroupGetItemCheck(gCorrectionTabs, kCorrectionTabLimiting), 1);
}

TEST_F(MainWindowTest, IsTheShellsMainWindowUntilDisposed) {
  Build();
  TKWindow* window = UIMainWindow();
  ASSERT_NE(window, nullptr);
  // The sub-tab groups are kept where the drawing and switching code finds them.
  EXPECT_NE(gLevelsChannelTabs, nullptr);
  EXPECT_EQ(gLevelsChannelTabs, gVFTabGroups.levelsChannels);
  EXPECT_EQ(gSecondaryTabs, gVFTabGroups.secondaries);
  EXPECT_EQ(gCurveSetTabs, gVFTabGroups.curvesSubTabs);
  // Building again keeps the one window.
  ASSERT_EQ(BuildMainWindow(), kQVNoErr);
  EXPECT_EQ(UIMainWindow(), window);
  UIDisposeMainWindow();
  EXPECT_EQ(UIMainWindow(), nullptr);
  EXPECT_EQ(gCorrectionTabs, nullptr);
  EXPECT_EQ(gImagePaneTabs, nullptr);
  EXPECT_EQ(gLevelsChannelTabs, nullptr);
  EXPECT_EQ(gSecondaryTabs, nullptr);
  EXPECT_EQ(gCurveSetTabs, nullptr);
  EXPECT_EQ(GetViewPane(kPaneResult), nullptr);
  // A new window can be built after.
  Build();
  EXPECT_NE(UIMainWindow(), nullptr);
  EXPECT_NE(gCorrectionTabs, nullptr);
}

}  // namespace

namespace {

// New pictures (a frame of another size) reach every pane of the window.
TEST_F(MainWindowTest, NewPicturesReachEveryPane) {
  Build();
  for (TKImage** p : {&gResultGWorld, &gSourceGWorld, &gSplitGWorld, &gReferenceGWorld}) {
    TKImageDispose(*p);
    *p = TKImageCreate(48, 20);
  }
  UIHooks().setPaneImages();
  struct Shown {
    TKControl* pane;
    TKImage* picture;
  };
  const Shown shown[] = {{GetViewPane(kPaneResult), gResultGWorld},          {GetViewPane(kPaneSource), gSourceGWorld},
                         {GetViewPane(kPaneReference), gReferenceGWorld},    {GetViewPane(kPaneSplitSource), gSplitGWorld},
                         {GetViewPane(kPaneSplitRef), gSplitGWorld},         {GetViewPane(kPaneLumaRanges), gSplitGWorld},
                         {GetViewPane(kPaneReferenceAnalysis), gReferenceGWorld}, {gLargeImagePane, gResultGWorld},
                         {gAnalysisPanes[kAnalysisCombo], gScopePicture}};
  for (const Shown& s : shown) EXPECT_EQ(ImagePaneGetImage(s.pane), s.picture);
}

}  // namespace

namespace {

// The colour-match group's eyedropper also feeds the match-colour panel,
// whose number comes right after the group's.
TEST_F(MainWindowTest, ColourMatchEyedropperAlsoFeedsTheMatchPanel) {
  Build();
  TKControl* eyedropper = nullptr;
  for (int32_t id = 1; id < gNextValueControlID && !eyedropper; ++id) {
    TKControl* c = VFFindPart(UIMainWindow(), kVFSigEyedropper, id);
    if (c && TKHasControlProperty(c, kVFCreator, kVFPropSecondTarget)) eyedropper = c;
  }
  ASSERT_NE(eyedropper, nullptr);
  int32_t second = 0;
  ASSERT_EQ(TKGetControlProperty(eyedropper, kVFCreator, kVFPropSecondTarget, &second, sizeof second, nullptr),
            kQVNoErr);
  EXPECT_EQ(second, TKGetControlID(eyedropper).id + 1);
}

}  // namespace
