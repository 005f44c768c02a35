// The luma-range graph through the window: dragging either point writes it
// (pinned to the graph), ticks the Luma Range tab and leaves the picture
// the engine gives; a click away from the points only ticks and refreshes;
// hovering a point asks for its cursor; a wide graph draws every column.
#include <cmath>

#include "app/controls/luma_range_weights.h"
#include "app/views/image_pane.h"
#include "tests/app/controls/levels_window.h"

namespace {

class LumaRangeTest : public LevelsWindowTest {
 protected:
  void SetUp() override {
    LevelsWindowTest::SetUp();
    if (HasFatalFailure()) return;
    TabGroupSelect(tabs, kCorrectionTabLumaRange);
    gCorrectionTab = kCorrectionTabLumaRange;
    TKRunPending();
    reprocessCount = 0;
  }
  LumaRangeControl* Record() const { return LumaRangeRecordOf(graph); }
  // The window point of a unit point of the graph.
  TKPoint At(double x, double y) const {
    const TKRect& g = Record()->graph;
    return TKPoint{g.left + int32_t(std::lround(x * (TKRectWidth(g) - 1))),
                   g.top + int32_t(std::lround((1 - y) * (TKRectHeight(g) - 1)))};
  }
  // The unit point of a window point.
  double UnitX(int32_t h) const {
    const TKRect& g = Record()->graph;
    return double(h - g.left) / (TKRectWidth(g) - 1);
  }
  double UnitY(int32_t v) const {
    const TKRect& g = Record()->graph;
    return 1.0 - double(v - g.top) / (TKRectHeight(g) - 1);
  }
};

constexpr uint32_t kShadowX = kOff(offsetof(VL_SettingsStruct, lumaRanges.lumarange_shadowx));
constexpr uint32_t kShadowY = kShadowX + 4;
constexpr uint32_t kHighlightX = kShadowX + 8;
constexpr uint32_t kHighlightY = kShadowX + 12;
constexpr uint32_t kEnable = kOff(offsetof(VL_SettingsStruct, lumaRangesEnable));

}  // namespace

TEST_F(LumaRangeTest, DraggingAPointWritesItPinnedToTheGraph) {
  const VL_SettingsStruct start = gUISettings;
  ASSERT_EQ(Record()->shadow, &gUISettings.lumaRanges.lumarange_shadowx);
  struct Case {
    const char* name;
    bool shadow;          // which point is dragged
    int32_t dx, dy;       // pixels
    double x, y;          // where it ends; < 0 or > 1 means pinned at that edge
  } cases[] = {
      {"shadow up and left", true, -40, -60, -1, -1},
      {"highlight down and right", false, 50, 30, -1, -1},
      {"shadow past the bottom-left corner", true, -600, 600, 0.0, 0.0},
      {"highlight past the top-right corner", false, 600, -600, 1.0, 1.0},
      {"shadow right of the highlight", true, 240, 0, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetRecord(start);
    const LumaRangeControl* r = Record();
    const float* point = c.shadow ? r->shadow : r->highlight;
    const TKPoint from = At(point[0], point[1]);
    Drag(from, c.dx, c.dy);
    const double x = c.x >= 0 ? c.x : UnitX(from.x + c.dx);
    const double y = c.y >= 0 ? c.y : UnitY(from.y + c.dy);
    EXPECT_FLOAT_EQ(point[0], float(x));
    EXPECT_FLOAT_EQ(point[1], float(y));
    std::vector<uint32_t> expected = {kEnable};
    for (uint32_t word : c.shadow ? std::vector<uint32_t>{kShadowX, kShadowY}
                                  : std::vector<uint32_t>{kHighlightX, kHighlightY})
      expected.push_back(word);
    EXPECT_EQ(ChangedWords(start, gUISettings), expected) << "the point and the tab's enable word";
    EXPECT_EQ(TabGroupGetItemCheck(tabs, kCorrectionTabLumaRange), 1);
    EXPECT_EQ(reprocessCount, 1);
    EXPECT_EQ(Pixels(gResultFrame), Expected());
  }
  // The last drag is one undo step, and the graph stays on the working record.
  EXPECT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_TRUE(ChangedWords(start, gUISettings).empty());
  EXPECT_EQ(Record()->highlight, &gUISettings.lumaRanges.lumarange_highlightx);
}

TEST_F(LumaRangeTest, AClickAwayFromThePointsOnlyTicksTheTabAndRefreshesOnce) {
  const VL_SettingsStruct start = gUISettings;
  TKInjectClick(big, At(0.5, 0.95));
  TKRunPending();
  EXPECT_EQ(ChangedWords(start, gUISettings), std::vector<uint32_t>{kEnable});
  EXPECT_EQ(reprocessCount, 1);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
}

TEST_F(LumaRangeTest, APauseDuringADragRefreshesThePreview) {
  const LumaRangeControl* r = Record();
  const TKPoint from = At(r->shadow[0], r->shadow[1]);
  const double t = TKNow();
  TKInjectMouseDown(big, from, 0, t);
  TKInjectMouseDrag(big, TKPoint{from.x + 10, from.y}, 0, t);
  TKInjectMouseDrag(big, TKPoint{from.x + 20, from.y}, 0, t + 0.5);
  TKInjectMouseUp(big, TKPoint{from.x + 20, from.y}, 0, t + 0.5);
  TKRunFor(0.7);
  EXPECT_EQ(reprocessCount, 2) << "once in the pause, once at the end";
  EXPECT_FLOAT_EQ(r->shadow[0], float(UnitX(from.x + 20)));
  EXPECT_EQ(Pixels(gResultFrame), Expected());
}

TEST_F(LumaRangeTest, HoveringAPointAsksForItsCursor) {
  const LumaRangeControl* r = Record();
  struct Case {
    TKPoint where;
    int32_t picked, cursor;
  } cases[] = {
      {At(r->shadow[0], r->shadow[1]), 0, kLumaRangePointCursor},
      {At(r->highlight[0] + 0.01, r->highlight[1]), 1, kLumaRangePointCursor},
      {At(0.5, 0.95), -1, 0},
  };
  for (const Case& c : cases) {
    TKInjectMouseMove(big, c.where);
    TKRunFor(0.25);
    EXPECT_EQ(r->picked, c.picked);
    EXPECT_EQ(gRequestedCursor, c.cursor);
  }
  TKInjectMouseMove(big, At(r->shadow[0], r->shadow[1]));
  TKRunFor(0.25);
  ASSERT_EQ(gRequestedCursor, kLumaRangePointCursor);
  TKInjectMouseMove(big, TKPoint{Record()->bounds.right + 40, Record()->bounds.bottom + 40});
  TKRunFor(0.25);
  EXPECT_EQ(gRequestedCursor, 0) << "leaving the graph gives the arrow back";
}

TEST_F(LumaRangeTest, TheSynchroniserRebindsThePoints) {
  float shadow[2] = {0.1f, 0.2f}, highlight[2] = {0.8f, 0.9f};
  LumaRangeBindPoints(graph, shadow, highlight, true);
  EXPECT_EQ(Record()->shadow, shadow);
  EXPECT_EQ(LumaRangePickAt(Record(), At(0.1, 0.2)), 0);
  SyncControlsWithSettings(&gUISettings, 0x40000000u, 0, nullptr, 0);
  EXPECT_EQ(Record()->shadow, &gUISettings.lumaRanges.lumarange_shadowx);
  EXPECT_EQ(Record()->highlight, &gUISettings.lumaRanges.lumarange_highlightx);
}

namespace {

int32_t RowOf(float weight, int32_t h) {
  return (h - 1) - int32_t(std::lround(double(std::clamp(weight, 0.0f, 1.0f)) * (h - 1)));
}

uint32_t Grey(uint16_t g) { return uint32_t(g >> 8) * 0x010101u; }

}  // namespace

TEST(LumaRangeGraph, EveryColumnOfAWideGraphIsDrawnFromTheWeights) {
  // Wider than the curves have samples, so most columns are stepped over by
  // the curves and must take the value before them.
  for (int32_t width : {3000, 4500}) {
    SCOPED_TRACE(width);
    const int32_t height = 120;
    TKImagePtr image(TKImageCreate(width, height));
    const float shadow[2] = {0.3f, 0.3831f}, highlight[2] = {0.7f, 0.3831f};
    LumaRangeDrawGraph(image.get(), shadow, highlight, nullptr);
    std::vector<float> s(static_cast<size_t>(width)), m(s.size()), h(s.size());
    LumaRangeWeights(shadow[0], shadow[1], highlight[0], highlight[1], width, s.data(), m.data(), h.data());
    const QVRGBColor& a = gInterfaceAccentColors[6];
    const uint32_t accent = uint32_t(a.red >> 8) << 16 | uint32_t(a.green >> 8) << 8 | uint32_t(a.blue >> 8);
    const uint32_t curves[] = {Grey(24000), Grey(60000), Grey(35000), accent};
    int32_t wrong = 0;
    for (int32_t c = 0; c < width; ++c) {
      const uint32_t mid = TKImageGetPixel(image.get(), c, RowOf(m[size_t(c)], height)) & 0xFFFFFF;
      const uint32_t low = TKImageGetPixel(image.get(), c, RowOf(s[size_t(c)], height)) & 0xFFFFFF;
      if (mid != Grey(35000) && mid != accent) ++wrong;
      if (std::find(std::begin(curves), std::end(curves), low) == std::end(curves)) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
  }
}
