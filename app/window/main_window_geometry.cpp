#include "app/window/main_window_geometry.h"

#include <algorithm>

#include "app/controls/tab_group.h"

namespace {

constexpr int32_t kTransportHeight = 16;
constexpr int32_t kSelectorTop = 6;

// The pane of a selector sits in its item's content (3 px inside the
// group's frame, right of the tab column) with its transport bar below.
void PlacePane(const MainWindowGeometry& g, const TKRect& selector, TKRect* pane, TKRect* transport) {
  const int32_t left = selector.left + kVFTabColumnWidth + 6;
  const int32_t top = selector.top + 6;
  const int32_t height = std::max(0, std::min(g.paneHeight, g.paneArea - 28));
  *pane = TKMakeRect(left, top, g.paneWidth, height);
  *transport = TKMakeRect(left, pane->bottom, g.paneWidth, kTransportHeight);
}

}  // namespace

MainWindowGeometry MainWindowGeometryFor(int32_t width, int32_t height) {
  MainWindowGeometry g;
  g.width = width;
  g.height = height;

  // Bottom row: 20 px high, 13 px above the bottom edge, OK 13 px from the
  // right edge; "Reset All" is 4 px wider on each side than its step.
  const int32_t top = height - 13 - 20;
  int32_t left = width - 13 - 70;
  g.buttons[kMainButtonOK] = TKMakeRect(left, top, 70, 20);
  left -= 83;
  g.buttons[kMainButtonCancel] = TKMakeRect(left, top, 70, 20);
  left -= 96;
  g.buttons[kMainButtonResetAll] = TKMakeRect(left - 4, top, 78, 20);
  left -= 96;
  g.buttons[kMainButtonSave] = TKMakeRect(left, top, 70, 20);
  left -= 83;
  g.buttons[kMainButtonLoad] = TKMakeRect(left, top, 70, 20);

  // Pane size and pane area.
  g.paneWidth = ((width - 18) / 2 - 106) / 8 * 8;
  g.paneHeight = 3 * g.paneWidth / 4;
  g.paneArea = g.paneHeight + 28;
  if (height < g.paneHeight + 439) g.paneArea = height - 427;

  const int32_t half = (width - 18) / 2;
  g.imageSelector = TKMakeRect(6, kSelectorTop, half, g.paneArea);
  g.analysisSelector = TKMakeRect(6 + half + 6, kSelectorTop, half, g.paneArea);
  PlacePane(g, g.imageSelector, &g.imagePane, &g.imageTransport);
  PlacePane(g, g.analysisSelector, &g.analysisPane, &g.analysisTransport);

  // Correction tabs and the rectangles their contents take.
  g.correctionTabs = TKMakeRect(6, g.paneArea + 12, std::max(855, width - 157),
                                std::max(height - 18 - g.paneArea, 366) - 40);
  g.content = g.correctionTabs;
  g.content.left += 98;
  g.content.top += 4;
  g.inner = g.content;
  g.inner.left += 98;
  g.inner.top += 4;

  // Luma Range: H - 60 high, a multiple of 256 plus 6 wide.
  const int32_t contentHeight = TKRectHeight(g.content);
  g.lumaRange = TKMakeRect(g.content.left + 10, g.content.top + 20, 256 * ((2 * contentHeight + 8) / 256) + 6,
                           contentHeight - 60);

  // Limiting: two columns, the second C + 35 px right of the first.
  const int32_t tabsWidth = TKRectWidth(g.correctionTabs);
  g.limitingColumn = std::clamp((tabsWidth - 60) / 2, 220, 330);
  g.limitingFirst = TKMakeRect(g.correctionTabs.left + 104, g.correctionTabs.top + 10, g.limitingColumn, 20);
  g.limitingSecond = TKRectOffset(g.limitingFirst, g.limitingColumn + 35, 0);

  // Colour match: the tab group's top and bottom, 233 px wide, 88 px left of
  // the group's right edge; its controls fill the frame's inside.
  g.colorMatchFrame = TKRect{g.correctionTabs.top, tabsWidth - 82, g.correctionTabs.bottom, tabsWidth - 82 + 233};
  TKRect shown = g.colorMatchFrame;
  shown.left += kVFTabColumnWidth;
  g.colorMatchInner = TKRectInset(shown, 4, 10);

  // Large view: a pane across the pane area and its transport bar; the
  // frame's own rectangle starts at the window's left edge.
  g.largeFrame = TKRect{0, -kVFTabColumnWidth, g.paneArea + 4, width};
  g.largePane = TKRect{10, 10, g.paneArea - 14, width - 10};
  g.largeTransport = TKRect{g.largePane.bottom, g.largePane.left, g.largePane.bottom + kTransportHeight,
                            g.largePane.right};
  return g;
}
