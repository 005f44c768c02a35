// The least main window: the corrected frame and the OK and Cancel buttons.
// The full main window with its panes and tabs replaces it: its builder,
// installed through the hooks, hands its window over with UIAdoptMainWindow.
#pragma once

#include "platform/status.h"

struct TKWindow;

QVStatus UIBuildMainWindow();
void UIShowMainWindow(bool shown);
TKWindow* UIMainWindow();
void UIDisposeMainWindow();
// Makes window the main window (when none is there yet); forget runs when
// UIDisposeMainWindow disposes it, before the window goes.
void UIAdoptMainWindow(TKWindow* window, void (*forget)());
