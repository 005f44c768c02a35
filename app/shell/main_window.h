// The least main window: the corrected frame and the OK and Cancel buttons.
// The full main window with its panes and tabs replaces it.
#pragma once

#include "platform/status.h"

struct UIWindow;

QVStatus UIBuildMainWindow();
void UIShowMainWindow(bool shown);
void UIMainWindowRedraw(bool drawNow);
UIWindow* UIMainWindow();
void UIDisposeMainWindow();
