// Where everything of the main window goes, as a pure function of the
// window's content size: the bottom buttons, the two pane selectors with
// their image panes, the correction tab group and the rectangles its tabs
// are built in, the Luma Range and Limiting layouts, the colour-match frame
// and the hidden large image view.
#pragma once

#include <cstdint>

#include "platform/ui/ui_types.h"

// The bottom row, right to left.
enum : int32_t { kMainButtonOK = 0, kMainButtonCancel, kMainButtonResetAll, kMainButtonSave, kMainButtonLoad };
constexpr int32_t kMainButtonCount = 5;

struct MainWindowGeometry {
  int32_t width = 0;   // W
  int32_t height = 0;  // H
  // Image pane size (w, a multiple of 8, and h = 3w / 4) and the height of
  // the pane area A (h + 28, or H - 427 on a low screen).
  int32_t paneWidth = 0;
  int32_t paneHeight = 0;
  int32_t paneArea = 0;
  UIRect buttons[kMainButtonCount];
  // Pane selectors: the image views on the left, the analysis displays on
  // the right; in each, the pane and the transport bar below it.
  UIRect imageSelector, analysisSelector;
  UIRect imagePane, imageTransport;
  UIRect analysisPane, analysisTransport;
  // The nine-tab correction group, the content rectangle R its tabs' groups
  // take (98 px right, 4 px down) and the inner rectangle R' of the
  // secondary groups (another 98 px right and 4 px down).
  UIRect correctionTabs;
  UIRect content;
  UIRect inner;
  // The luma-range graph in R.
  UIRect lumaRange;
  // Limiting: the column width and the first control of each column.
  int32_t limitingColumn = 0;
  UIRect limitingFirst;
  UIRect limitingSecond;
  // The colour-match frame (an empty tab group: its frame starts 94 px into
  // these bounds) and the column its controls fill.
  UIRect colorMatchFrame;
  UIRect colorMatchInner;
  // The large image view of pane layout 1: its frame bounds, the pane and
  // its transport bar.
  UIRect largeFrame;
  UIRect largePane;
  UIRect largeTransport;
};

// W and H are the window's content size.
MainWindowGeometry MainWindowGeometryFor(int32_t width, int32_t height);
