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
  TKRect buttons[kMainButtonCount];
  // Pane selectors: the image views on the left, the analysis displays on
  // the right; in each, the pane and the transport bar below it.
  TKRect imageSelector, analysisSelector;
  TKRect imagePane, imageTransport;
  TKRect analysisPane, analysisTransport;
  // The nine-tab correction group, the content rectangle R its tabs' groups
  // take (98 px right, 4 px down) and the inner rectangle R' of the
  // secondary groups (another 98 px right and 4 px down).
  TKRect correctionTabs;
  TKRect content;
  TKRect inner;
  // The luma-range graph in R.
  TKRect lumaRange;
  // Limiting: the column width and the first control of each column.
  int32_t limitingColumn = 0;
  TKRect limitingFirst;
  TKRect limitingSecond;
  // The colour-match frame (an empty tab group: its frame starts 94 px into
  // these bounds) and the column its controls fill.
  TKRect colorMatchFrame;
  TKRect colorMatchInner;
  // The large image view of pane layout 1: its frame bounds, the pane and
  // its transport bar.
  TKRect largeFrame;
  TKRect largePane;
  TKRect largeTransport;
};

// W and H are the window's content size.
MainWindowGeometry MainWindowGeometryFor(int32_t width, int32_t height);
