// The analysis displays: the combo split and its hit test, every scope kind
// drawing something (or nothing outside the range), the vectorscope zoom of
// a combo quadrant, the menu choices and the wheel.
#include "app/views/analysis_panes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/ui/ui_draw.h"
#include "app/views/vectorscope.h"
#include "scope_test_frames.h"
#include "settings/prefs.h"

namespace {

using Picture = std::unique_ptr<TKImage, TKImageDisposer>;

TKRect Bounds(int32_t w, int32_t h) { return TKMakeRect(0, 0, w, h); }

// Counts pixels in the picture that are not black.
int64_t LitPixels(TKImage* image) {
  int64_t lit = 0;
  const auto* base = static_cast<const uint8_t*>(TKImagePixels(image));
  for (int32_t y = 0; y < TKImageHeight(image); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(base + int64_t(y) * TKImageRowBytes(image));
    for (int32_t x = 0; x < TKImageWidth(image); ++x)
      if (row[x] & 0x00FFFFFFu) ++lit;
  }
  return lit;
}

TEST(ComboLayout, ColumnsWidenANarrowRightColumnAndHitTestFollowsTheDrawnSplit) {
  struct Case {
    int32_t width, left, right;
  } cases[] = {{500, 230, 270}, {600, 300, 300}, {482, 241, 241}, {538, 269, 269}, {400, 200, 200}};
  for (const Case& c : cases) {
    const ComboLayout l = ComboLayoutForRect(Bounds(c.width, 400));
    EXPECT_EQ(l.leftWidth, c.left) << c.width;
    EXPECT_EQ(l.rightWidth, c.right) << c.width;
    // A click just right of the drawn divider is in the right column.
    EXPECT_EQ(ComboQuadrantAt(Bounds(c.width, 400), c.left, 10), 1) << c.width;
    EXPECT_EQ(ComboQuadrantAt(Bounds(c.width, 400), c.left - 1, 390), 2) << c.width;
  }
  // Quadrants are inset by 1.2% of half the height: 500 * 0.012 = 6.
  const ComboLayout l = ComboLayoutForRect(Bounds(500, 1000));
  EXPECT_EQ(l.quadrant[0].left, 6);
  EXPECT_EQ(l.quadrant[0].right, 230 - 6);
  EXPECT_EQ(l.quadrant[3].top, 500 + 6);
  EXPECT_EQ(l.quadrant[3].bottom, 1000 - 6);
}

// Scopes draw with the default preferences; each test starts from them.
class AnalysisPanes : public ::testing::Test {
 protected:
  void SetUp() override { PFLoadDefaultPreferences(&gPrefsSettings); }
  void TearDown() override { gVectorscopeZoom = gComboVectorscopeZoom = 1; }
};

TEST_F(AnalysisPanes, EveryScopeKindDrawsAndOthersDrawNothing) {
  Picture target(TKImageCreate(320, 240)), bars(MakeColourBars(160, 120));
  for (int32_t kind = 0; kind <= 11; ++kind) {
    TKContext* ctx = TKBeginDrawing(target.get());
    TKClear(ctx, TKColor{0, 0, 0, 1});
    TKEndDrawing(ctx);
    DrawScopeByKind(kind, target.get(), nullptr, bars.get());
    if (kind >= 1 && kind <= 10)
      EXPECT_GT(LitPixels(target.get()), 0) << kind;
    else
      EXPECT_EQ(LitPixels(target.get()), 0) << kind;
  }
}

TEST_F(AnalysisPanes, CombosVectorscopeUsesItsOwnZoomAndLeavesThePanesZoom) {
  Picture a(TKImageCreate(300, 300)), b(TKImageCreate(300, 300));
  gVectorscopeZoom = 1;
  gComboVectorscopeZoom = 5;
  DrawScopeByKind(kScopeVectorscope, a.get(), nullptr, nullptr);
  EXPECT_EQ(gVectorscopeZoom, 1);
  DrawVectorscopePane(b.get(), nullptr, nullptr, 5);
  EXPECT_EQ(std::memcmp(TKImagePixels(a.get()), TKImagePixels(b.get()), size_t(TKImageRowBytes(a.get())) * 300), 0);
}

TEST_F(AnalysisPanes, ComboMenuScriptedChoicesMarkAndChangeKindsAndZooms) {
  gPrefsSettings.comboQuadrant[1] = kScopeVectorscope;
  gPrefsSettings.comboQuadrant[2] = kScopeToneCurve;
  gComboVectorscopeZoom = 2;
  int32_t kindItem = 0, zoomItem = 0;
  ComboQuadrantMarkedItems(1, &kindItem, &zoomItem);
  EXPECT_EQ(kindItem, kScopeVectorscope);
  EXPECT_EQ(zoomItem, 13);
  ComboQuadrantMarkedItems(2, &kindItem, &zoomItem);
  EXPECT_EQ(kindItem, kScopeToneCurve);
  EXPECT_EQ(zoomItem, 0);

  EXPECT_TRUE(ComboQuadrantChoose(1, 15));  // zoom 10 on the vectorscope quadrant
  EXPECT_EQ(gComboVectorscopeZoom, 10);
  EXPECT_EQ(gPrefsSettings.comboQuadrant[1], kScopeVectorscope);
  EXPECT_FALSE(ComboQuadrantChoose(2, 13));  // a zoom item means nothing to a tone curve
  EXPECT_EQ(gPrefsSettings.comboQuadrant[2], kScopeToneCurve);
  EXPECT_TRUE(ComboQuadrantChoose(2, kScopeRGBWFM));
  EXPECT_EQ(gPrefsSettings.comboQuadrant[2], kScopeRGBWFM);

  gVectorscopeZoom = 5;
  EXPECT_EQ(VectorscopeZoomMarkedItem(), 3);
  EXPECT_TRUE(VectorscopeZoomChoose(2));
  EXPECT_EQ(gVectorscopeZoom, 2);
  EXPECT_FALSE(VectorscopeZoomChoose(5));
  gVectorscopeZoom = 7;  // set by the wheel: no menu item matches
  EXPECT_EQ(VectorscopeZoomMarkedItem(), 0);
}

TEST_F(AnalysisPanes, ComboPaneDrawsDividersAndItsQuadrantScopes) {
  Picture target(TKImageCreate(500, 400)), bars(MakeColourBars(160, 120));
  DrawComboPane(target.get(), nullptr, bars.get());
  const ComboLayout l = ComboLayoutForRect(Bounds(500, 400));
  // The divider lines, in their grey.
  EXPECT_EQ(TKImageGetPixel(target.get(), 2, l.rowSplit - 1) & 0xFFFFFFu, TKImageGetPixel(target.get(), l.leftWidth, 2) & 0xFFFFFFu);
  EXPECT_NE(TKImageGetPixel(target.get(), l.leftWidth, 2) & 0xFFFFFFu, 0u);
  // Each quadrant has something drawn in it.
  for (const TKRect& q : l.quadrant) {
    int64_t lit = 0;
    for (int32_t y = q.top; y < q.bottom; ++y)
      for (int32_t x = q.left; x < q.right; ++x) lit += (TKImageGetPixel(target.get(), x, y) & 0xFFFFFFu) != 0;
    EXPECT_GT(lit, 0);
  }
}

TEST(WheelZoom, StepsOneAtATimeWithinOneToTen) {
  struct Case {
    int32_t zoom, delta, expected;
  } cases[] = {{1, -3, 1}, {2, 0, 1}, {5, 1, 6}, {10, 4, 10}, {9, 1, 10}};
  for (const Case& c : cases) EXPECT_EQ(WheelZoomStep(c.zoom, c.delta), c.expected) << c.zoom << " " << c.delta;
}

}  // namespace
