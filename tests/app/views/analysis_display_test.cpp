// The analysis display in a headless window: the selector's kinds drawing
// into the shared scope picture, the central update's hook and the zoom
// wheels of the combo and vectorscope panes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/views/analysis_panes.h"
#include "app/views/transport_bar.h"
#include "pane_fixture.h"
#include "scope_test_frames.h"
#include "platform/prefs_store.h"
#include "platform/ui/ui_menu.h"
#include "settings/prefs.h"
#include "tests/scratch_folder.h"

namespace {

class AnalysisDisplay : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    PFLoadDefaultPreferences(&gPrefsSettings);
    gScopePicture = TKImageCreate(500, 400);
    for (int32_t kind : {int32_t(kAnalysisCombo), int32_t(kAnalysisVectorscope)}) {
      ASSERT_EQ(CreateImagePane(window, TKMakeRect(0, 0, 500, 400), &gAnalysisPanes[kind]), kQVNoErr);
      EXPECT_EQ(kQVNoErr, SetImagePaneImage(gAnalysisPanes[kind], gScopePicture));
    }
    InstallAnalysisPanes();
  }
  void TearDown() override {
    for (TKControl*& pane : gAnalysisPanes) pane = nullptr;
    TKImageDispose(gScopePicture);
    gScopePicture = nullptr;
    gVectorscopeZoom = gComboVectorscopeZoom = 1;
    PaneTest::TearDown();
  }

  int64_t LitPixels() {
    int64_t lit = 0;
    for (int32_t y = 0; y < TKImageHeight(gScopePicture); ++y)
      for (int32_t x = 0; x < TKImageWidth(gScopePicture); ++x) lit += (TKImageGetPixel(gScopePicture, x, y) & 0xFFFFFFu) != 0;
    return lit;
  }
};

TEST_F(AnalysisDisplay, EachSelectorKindDrawsAndReferenceAndGalleryLeaveThePictureBlack) {
  for (int32_t kind = kAnalysisCombo; kind <= kAnalysisGallery; ++kind) {
    gAnalysisPaneKind = AnalysisPaneKind(kind);
    ViewsHooksInForce().drawAnalysisPanes(true);
    if (kind == kAnalysisReference || kind == kAnalysisGallery)
      EXPECT_EQ(LitPixels(), 0) << kind;
    else
      EXPECT_GT(LitPixels(), 0) << kind;
    // Drawn after a lit kind, so the erase is what leaves these black.
    if (kind == kAnalysisReference) {
      gAnalysisPaneKind = kAnalysisCombo;
      ViewsHooksInForce().drawAnalysisPanes(true);
    }
  }
}

// Every kind leaves the same picture whatever the scope picture held before,
// those that fill it themselves included: nothing old shows through.
TEST_F(AnalysisDisplay, EveryKindDrawsTheSamePictureOverAnyOldPicture) {
  for (int32_t y = 0; y < TKImageHeight(gResultGWorld); ++y)
    for (int32_t x = 0; x < TKImageWidth(gResultGWorld); ++x)
      SetPixel(gResultGWorld, x, y, uint8_t(x * 3), uint8_t(y * 2), uint8_t(x + y));
  auto drawOver = [&](uint32_t old) {
    const int32_t width = TKImageWidth(gScopePicture), height = TKImageHeight(gScopePicture);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x)
        std::memcpy(TKImagePixels(gScopePicture) + size_t(y) * size_t(TKImageRowBytes(gScopePicture)) + size_t(x) * 4,
                    &old, 4);
    TKImageMarkDirty(gScopePicture);
    ViewsHooksInForce().drawAnalysisPanes(true);
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) pixels.push_back(TKImageGetPixel(gScopePicture, x, y));
    return pixels;
  };
  for (int32_t kind = kAnalysisCombo; kind <= kAnalysisGallery; ++kind) {
    gAnalysisPaneKind = AnalysisPaneKind(kind);
    const std::vector<uint32_t> overBlack = drawOver(0xFF000000u);
    const std::vector<uint32_t> overOld = drawOver(0xFF2A7F3Cu);
    size_t differing = 0;
    for (size_t i = 0; i < overBlack.size(); ++i) differing += overBlack[i] != overOld[i];
    EXPECT_EQ(differing, 0u) << "kind " << kind;
  }
}

TEST_F(AnalysisDisplay, WhileThePreviewPlaysOrRendersTheResultScopesShowNoTrace) {
  gAnalysisPaneKind = kAnalysisVectorscope;
  // Colours all round the scope.
  for (int32_t y = 0; y < TKImageHeight(gResultGWorld); ++y)
    for (int32_t x = 0; x < TKImageWidth(gResultGWorld); ++x)
      SetPixel(gResultGWorld, x, y, uint8_t(x * 4), uint8_t(y * 5), 96);
  ViewsHooksInForce().drawAnalysisPanes(true);
  const int64_t withTrace = LitPixels();
  gPrefsSettings.videoWhiteLevel = gPrefsSettings.videoBlackLevel;  // no trace at all: the graticule's own count
  ViewsHooksInForce().drawAnalysisPanes(true);
  const int64_t graticule = LitPixels();
  PFLoadDefaultPreferences(&gPrefsSettings);
  ASSERT_GT(withTrace, graticule);
  for (bool* flag : {&gPreviewPlaying, &gRapidPreviewRendering}) {
    *flag = true;
    ViewsHooksInForce().drawAnalysisPanes(true);
    EXPECT_EQ(LitPixels(), graticule);
    // The source view still reads its own picture.
    SetImageViewMode(kImageViewSource);
    ViewsHooksInForce().drawAnalysisPanes(true);
    EXPECT_GT(LitPixels(), graticule);
    SetImageViewMode(kImageViewResult);
    *flag = false;
  }
}

TEST_F(AnalysisDisplay, WheelZoomsOnlyOverAVectorscopeAndOnlyOnTheFirstAxis) {
  gAnalysisPaneKind = kAnalysisCombo;
  gPrefsSettings.comboQuadrant[0] = kScopeHistograms;
  gPrefsSettings.comboQuadrant[1] = kScopeVectorscope;
  TKControl* combo = gAnalysisPanes[kAnalysisCombo];
  EXPECT_EQ(ComboWheelZoom(combo, 20, 20, 1, 1, 0), kQVNoErr);  // over the histograms
  EXPECT_EQ(gComboVectorscopeZoom, 1);
  EXPECT_EQ(ComboWheelZoom(combo, 400, 20, 1, 1, 0), kQVNoErr);  // over the vectorscope
  EXPECT_EQ(gComboVectorscopeZoom, 2);
  EXPECT_EQ(ComboWheelZoom(combo, 400, 20, 2, 1, 0), kQVErrNotHandled);
  EXPECT_EQ(gComboVectorscopeZoom, 2);
  EXPECT_EQ(gVectorscopeZoom, 1);

  TKControl* vectorscope = gAnalysisPanes[kAnalysisVectorscope];
  EXPECT_EQ(VectorscopeWheelZoom(vectorscope, 5, 5, 1, -1, 0), kQVNoErr);
  EXPECT_EQ(gVectorscopeZoom, 1);
  EXPECT_EQ(VectorscopeWheelZoom(vectorscope, 5, 5, 1, 3, 0), kQVNoErr);
  EXPECT_EQ(gVectorscopeZoom, 2);
  EXPECT_EQ(gComboVectorscopeZoom, 2);
}

// The menus save the preferences: into a scratch folder of the test's own.
class AnalysisMenus : public AnalysisDisplay {
 protected:
  void SetUp() override {
    folder = MakeScratchFolder("prefs");
    setenv("VELMORA_PREFERENCES", folder.c_str(), 1);
    PLPrefsDiscard(kPFDomain);
    AnalysisDisplay::SetUp();
    gAnalysisPaneKind = kAnalysisCombo;
    // The window shows one pane at a time: the combo pane to start with.
    TKSetControlVisible(gAnalysisPanes[kAnalysisVectorscope], false);
  }
  void TearDown() override {
    AnalysisDisplay::TearDown();
    PLPrefsDiscard(kPFDomain);
    unsetenv("VELMORA_PREFERENCES");
  }
  // The saved file's text, empty when nothing was saved.
  std::string Saved() const {
    std::ifstream in(folder + "/" + kPFDomain + ".plist");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The integer saved under the key, "" when none.
  std::string SavedInteger(const std::string& key) const {
    const std::string text = Saved();
    const size_t at = text.find("<key>" + key + "</key>");
    if (at == std::string::npos) return "";
    const size_t open = text.find("<integer>", at), close = text.find("</integer>", at);
    if (open == std::string::npos || close == std::string::npos || close < open) return "";
    return text.substr(open + 9, close - open - 9);
  }
  // A contextual click at a point of the window, then the keys, run.
  void ContextClick(TKPoint where, std::initializer_list<uint32_t> keys) {
    TKInjectRightClick(window, where);
    for (uint32_t key : keys) TKInjectKey(key);
    TKRunPending();
  }
  std::string folder;
};

TEST_F(AnalysisMenus, QuadrantMenuChangesTheKindUnderTheMouseAndSavesIt) {
  gPrefsSettings.comboQuadrant[1] = kScopeVectorscope;
  // Only contextual clicks open a menu.
  EXPECT_EQ(ShowComboQuadrantMenu(gAnalysisPanes[kAnalysisCombo], 400, 20, 0, 1), kQVErrNotHandled);
  EXPECT_EQ(ShowVectorscopeZoomMenu(gAnalysisPanes[kAnalysisVectorscope], 40, 20, 0, 1), kQVErrNotHandled);

  // Escape chooses nothing: no change, nothing saved.
  ContextClick(TKPoint{350, 20}, {kTKKeyEscape});
  EXPECT_EQ(gPrefsSettings.comboQuadrant[1], kScopeVectorscope);
  EXPECT_EQ(Saved(), "");
  // A vectorscope quadrant gets menu 203: the kinds, a separator, the zooms;
  // its kind and zoom were marked before it opened.
  TKMenu* vectorscopeMenu = TKGetMenu(203);
  ASSERT_NE(vectorscopeMenu, nullptr);
  EXPECT_EQ(TKCountMenuItems(vectorscopeMenu), 15);
  EXPECT_TRUE(TKIsMenuItemChecked(vectorscopeMenu, kScopeVectorscope));
  EXPECT_TRUE(TKIsMenuItemChecked(vectorscopeMenu, 12));
  EXPECT_FALSE(TKIsMenuItemChecked(vectorscopeMenu, 13));

  // The menu opens with the current kind under the mouse: one item down is
  // the histograms.
  ContextClick(TKPoint{350, 20}, {kTKKeyDown, kTKKeyReturn});
  EXPECT_EQ(gPrefsSettings.comboQuadrant[1], kScopeHistograms);
  EXPECT_EQ(gPrefsSettings.comboQuadrant[0], kScopeLumaWFM) << "the quadrant left of the split is untouched";
  EXPECT_EQ(SavedInteger("Combo Upper Right"), "9");

  // Now a histogram quadrant: menu 202, the ten kinds, Histograms marked.
  ContextClick(TKPoint{350, 20}, {kTKKeyEscape});
  TKMenu* kindMenu = TKGetMenu(202);
  ASSERT_NE(kindMenu, nullptr);
  EXPECT_EQ(TKCountMenuItems(kindMenu), 10);
  EXPECT_TRUE(TKIsMenuItemChecked(kindMenu, kScopeHistograms));
  EXPECT_FALSE(TKIsMenuItemChecked(kindMenu, kScopeVectorscope));

  // A click in the lower left quadrant reaches quadrant 2 (the tone curve):
  // one item up is the histograms.
  ContextClick(TKPoint{40, 250}, {kTKKeyUp, kTKKeyReturn});
  EXPECT_EQ(gPrefsSettings.comboQuadrant[2], kScopeHistograms);
  EXPECT_EQ(SavedInteger("Combo Lower Left"), "9");
}

TEST_F(AnalysisMenus, ZoomItemsSetTheZoomOfTheirOwnPane) {
  gPrefsSettings.comboQuadrant[1] = kScopeVectorscope;
  // Kind 1 marks; kind 2 applies, a zoom only on a vectorscope quadrant.
  TKMenu* menu = TKCreateMenu(999, "");
  for (int32_t i = 0; i < 15; ++i) TKAppendMenuItem(menu, "x", 0);
  ComboQuadrantMenuCommand(2, 14, menu, 1);
  EXPECT_EQ(gComboVectorscopeZoom, 5);
  ComboQuadrantMenuCommand(1, 0, menu, 1);
  for (int32_t item = 1; item <= 15; ++item)
    EXPECT_EQ(TKIsMenuItemChecked(menu, item), item == kScopeVectorscope || item == 14) << item;
  ComboQuadrantMenuCommand(2, 0, menu, 1);  // nothing chosen
  ComboQuadrantMenuCommand(2, 13, menu, 0);  // a luma quadrant has no zooms
  EXPECT_EQ(gComboVectorscopeZoom, 5);
  EXPECT_EQ(gPrefsSettings.comboQuadrant[0], kScopeLumaWFM);
  EXPECT_EQ(gVectorscopeZoom, 1);
  TKDisposeMenu(menu);

  // The vectorscope pane's own menu: the current zoom under the mouse, one
  // item down is zoom 2; the combo's zoom stays.
  TKSetControlVisible(gAnalysisPanes[kAnalysisCombo], false);
  TKSetControlVisible(gAnalysisPanes[kAnalysisVectorscope], true);
  ContextClick(TKPoint{100, 100}, {kTKKeyDown, kTKKeyReturn});
  TKMenu* zoomMenu = TKGetMenu(204);
  ASSERT_NE(zoomMenu, nullptr);
  EXPECT_EQ(TKCountMenuItems(zoomMenu), 4);
  EXPECT_EQ(gVectorscopeZoom, 2);
  EXPECT_EQ(gComboVectorscopeZoom, 5);
  VectorscopeZoomMenuCommand(1, 0, zoomMenu, 0);
  EXPECT_TRUE(TKIsMenuItemChecked(zoomMenu, 2));
  EXPECT_FALSE(TKIsMenuItemChecked(zoomMenu, 1));
  VectorscopeZoomMenuCommand(2, 4, zoomMenu, 0);
  EXPECT_EQ(gVectorscopeZoom, 10);
}

}  // namespace
