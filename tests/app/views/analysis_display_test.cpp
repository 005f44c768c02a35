// The analysis display in a headless window: the selector's kinds drawing
// into the shared scope picture, the central update's hook and the zoom
// wheels of the combo and vectorscope panes.
#include <gtest/gtest.h>

#include "app/views/analysis_panes.h"
#include "pane_fixture.h"
#include "settings/prefs.h"

namespace {

class AnalysisDisplay : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    PFLoadDefaultPreferences(&gPrefsSettings);
    gScopePicture = UIImageCreate(500, 400);
    for (int32_t kind : {int32_t(kAnalysisCombo), int32_t(kAnalysisVectorscope)}) {
      ASSERT_EQ(CreateImagePane(window, UIMakeRect(0, 0, 500, 400), &gAnalysisPanes[kind]), kQVNoErr);
      SetImagePaneImage(gAnalysisPanes[kind], gScopePicture);
    }
    InstallAnalysisPanes();
  }
  void TearDown() override {
    for (UIControl*& pane : gAnalysisPanes) pane = nullptr;
    UIImageDispose(gScopePicture);
    gScopePicture = nullptr;
    gVectorscopeZoom = gComboVectorscopeZoom = 1;
    PaneTest::TearDown();
  }

  int64_t LitPixels() {
    int64_t lit = 0;
    for (int32_t y = 0; y < UIImageHeight(gScopePicture); ++y)
      for (int32_t x = 0; x < UIImageWidth(gScopePicture); ++x) lit += (UIImageGetPixel(gScopePicture, x, y) & 0xFFFFFFu) != 0;
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

TEST_F(AnalysisDisplay, WheelZoomsOnlyOverAVectorscopeAndOnlyOnTheFirstAxis) {
  gAnalysisPaneKind = kAnalysisCombo;
  gPrefsSettings.comboQuadrant[0] = kScopeHistograms;
  gPrefsSettings.comboQuadrant[1] = kScopeVectorscope;
  UIControl* combo = gAnalysisPanes[kAnalysisCombo];
  EXPECT_EQ(ComboWheelZoom(combo, 20, 20, 1, 1, 0), kQVNoErr);  // over the histograms
  EXPECT_EQ(gComboVectorscopeZoom, 1);
  EXPECT_EQ(ComboWheelZoom(combo, 400, 20, 1, 1, 0), kQVNoErr);  // over the vectorscope
  EXPECT_EQ(gComboVectorscopeZoom, 2);
  EXPECT_EQ(ComboWheelZoom(combo, 400, 20, 2, 1, 0), kQVErrNotHandled);
  EXPECT_EQ(gComboVectorscopeZoom, 2);
  EXPECT_EQ(gVectorscopeZoom, 1);

  UIControl* vectorscope = gAnalysisPanes[kAnalysisVectorscope];
  EXPECT_EQ(VectorscopeWheelZoom(vectorscope, 5, 5, 1, -1, 0), kQVNoErr);
  EXPECT_EQ(gVectorscopeZoom, 1);
  EXPECT_EQ(VectorscopeWheelZoom(vectorscope, 5, 5, 1, 3, 0), kQVNoErr);
  EXPECT_EQ(gVectorscopeZoom, 2);
  EXPECT_EQ(gComboVectorscopeZoom, 2);
}

}  // namespace
