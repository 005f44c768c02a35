// The main window's layout at the sizes of three screens (less the menu
// bar): 1024 x 768, the smallest the application accepts; 1920 x 1200, where
// the panes get their full height; and 1920 x 1080, too low for them, where
// the pane area gives way and the correction tabs keep their height.
#include <gtest/gtest.h>

#include "app/window/main_window_geometry.h"

namespace {

struct GeometryCase {
  int32_t width, height;
  int32_t paneWidth, paneHeight, paneArea;
  TKRect tabs;
  int32_t contentHeight;
  TKRect lumaRange;
  int32_t column;
  TKRect colorMatch;
  TKRect colorMatchInner;
  int32_t buttonTop;
  int32_t shownPaneHeight;
};

const GeometryCase kCases[] = {
    // 1024 x 746: w = (503 - 106) to a multiple of 8 = 392, h = 294, A = 322.
    {1024, 746, 392, 294, 322, TKRect{334, 6, 700, 873}, 362, TKRect{358, 114, 660, 632}, 330,
     TKRect{334, 785, 700, 1018}, TKRect{344, 883, 690, 1014}, 713, 294},
    // 1920 x 1178: w = 840, h = 630, A = 658; the tabs are W - 157 wide.
    {1920, 1178, 840, 630, 658, TKRect{670, 6, 1132, 1769}, 458, TKRect{694, 114, 1092, 888}, 330,
     TKRect{670, 1681, 1132, 1914}, TKRect{680, 1779, 1122, 1910}, 1145, 630},
    // 1920 x 1058 is lower than h + 439 = 1069: A = H - 427 = 631, and the
    // panes lose height instead of the tabs.
    {1920, 1058, 840, 630, 631, TKRect{643, 6, 1012, 1769}, 365, TKRect{667, 114, 972, 632}, 330,
     TKRect{643, 1681, 1012, 1914}, TKRect{653, 1779, 1002, 1910}, 1025, 603},
};

void ExpectRect(const TKRect& got, const TKRect& want, const char* what) {
  EXPECT_EQ(got.top, want.top) << what;
  EXPECT_EQ(got.left, want.left) << what;
  EXPECT_EQ(got.bottom, want.bottom) << what;
  EXPECT_EQ(got.right, want.right) << what;
}

TEST(MainWindowGeometry, WorkedSizes) {
  for (const GeometryCase& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const MainWindowGeometry g = MainWindowGeometryFor(c.width, c.height);
    EXPECT_EQ(g.paneWidth, c.paneWidth);
    EXPECT_EQ(g.paneHeight, c.paneHeight);
    EXPECT_EQ(g.paneArea, c.paneArea);
    ExpectRect(g.correctionTabs, c.tabs, "correction tabs");
    EXPECT_GE(TKRectHeight(g.correctionTabs), 326);
    // R and R' are 98 px right and 4 px down, twice.
    ExpectRect(g.content, TKRect{c.tabs.top + 4, c.tabs.left + 98, c.tabs.bottom, c.tabs.right}, "content");
    ExpectRect(g.inner, TKRect{c.tabs.top + 8, c.tabs.left + 196, c.tabs.bottom, c.tabs.right}, "inner");
    EXPECT_EQ(TKRectHeight(g.content), c.contentHeight);
    ExpectRect(g.lumaRange, c.lumaRange, "luma range");
    EXPECT_EQ((TKRectWidth(g.lumaRange) - 6) % 256, 0);
    EXPECT_EQ(g.limitingColumn, c.column);
    ExpectRect(g.limitingFirst, TKRect{c.tabs.top + 10, c.tabs.left + 104, c.tabs.top + 30, c.tabs.left + 104 + c.column},
               "limiting column 1");
    EXPECT_EQ(g.limitingSecond.left, g.limitingFirst.left + c.column + 35);
    ExpectRect(g.colorMatchFrame, c.colorMatch, "colour-match frame");
    EXPECT_EQ(g.colorMatchFrame.left, c.tabs.right - 88);
    ExpectRect(g.colorMatchInner, c.colorMatchInner, "colour-match column");
    // The buttons: OK 13 px in from the right, then 83, 96 (4 px wider each
    // side), 96 and 83 px further left.
    const int32_t lefts[kMainButtonCount] = {c.width - 83, c.width - 166, c.width - 266, c.width - 358,
                                             c.width - 441};
    const int32_t widths[kMainButtonCount] = {70, 70, 78, 70, 70};
    for (int32_t i = 0; i < kMainButtonCount; ++i) {
      EXPECT_EQ(g.buttons[i].left, lefts[i]) << "button " << i;
      EXPECT_EQ(TKRectWidth(g.buttons[i]), widths[i]) << "button " << i;
      EXPECT_EQ(g.buttons[i].top, c.buttonTop) << "button " << i;
      EXPECT_EQ(TKRectHeight(g.buttons[i]), 20) << "button " << i;
    }
    EXPECT_LT(g.correctionTabs.bottom, c.buttonTop);
    // The image panes: w wide, as high as the pane area lets them be, with
    // their transport bars above the correction tabs.
    for (const TKRect* pane : {&g.imagePane, &g.analysisPane}) {
      EXPECT_EQ(TKRectWidth(*pane), c.paneWidth);
      EXPECT_EQ(TKRectHeight(*pane), c.shownPaneHeight);
    }
    EXPECT_LE(g.imageTransport.bottom, c.tabs.top);
    EXPECT_LE(g.imageSelector.bottom, c.tabs.top);
    EXPECT_LE(g.imagePane.right, g.imageSelector.right);
    EXPECT_LE(g.analysisSelector.right, c.width);
    // The large view: 10 px in, down to A - 14.
    ExpectRect(g.largePane, TKRect{10, 10, c.paneArea - 14, c.width - 10}, "large pane");
    EXPECT_EQ(TKRectHeight(g.largeTransport), 16);
  }
}

}  // namespace
