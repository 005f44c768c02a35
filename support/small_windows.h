// Two small kinds of window over the toolkit: a borderless window (clear
// background, may take keyboard focus, moved by dragging its background)
// and a splash view that shows one image from a file at its origin.
#pragma once

#include <functional>

#include "platform/ui/ui_control.h"
#include "platform/ui/ui_window.h"

// The window with the content rectangle, whatever style a caller would
// want: always borderless, transparent, at the normal level. Null when the
// toolkit cannot make it.
TKWindow* QVBorderlessWindowCreate(const TKRect& contentRect);

// A view filling the window's content that draws the image at its origin
// (the image keeps its own size; nothing is drawn when the file cannot be
// read). A press inside it runs `mouseDown` when given, and otherwise moves
// the window with the drag.
TKControl* QVSplashViewCreate(TKWindow* window, const char* imagePath,
                              std::function<void(TKControl*)> mouseDown = nullptr);
