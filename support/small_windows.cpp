#include "support/small_windows.h"

#include <algorithm>
#include <memory>

namespace {

struct SplashState {
  TKImagePtr image;
};

// Moves the window with the mouse until the button goes up.
void DragWindow(TKWindow* window, TKPoint start) {
  TKRect bounds = TKGetWindowBounds(window);
  for (;;) {
    TKPoint where;
    uint32_t modifiers = 0;
    TKTrackResult r = TKTrackMouse(window, 5.0, &where, &modifiers);
    if (r == kTKTrackTimedOut) return;
    const int32_t dx = where.x - start.x, dy = where.y - start.y;
    TKSetWindowBounds(window, TKRect{bounds.top + dy, bounds.left + dx, bounds.bottom + dy, bounds.right + dx});
    if (r == kTKTrackMouseUp) return;
  }
}

}  // namespace

TKWindow* QVBorderlessWindowCreate(const TKRect& contentRect) {
  TKWindow* window = TKCreateWindow(kTKWindowBorderless, contentRect, "");
  if (!window) return nullptr;
  TKSetWindowContentColor(window, TKColor{0, 0, 0, 0});
  return window;
}

TKControl* QVSplashViewCreate(TKWindow* window, const char* imagePath, std::function<void(TKControl*)> mouseDown) {
  if (!window) return nullptr;
  auto state = std::make_shared<SplashState>();
  if (imagePath) state->image.reset(TKImageReadPNG(imagePath));
  TKUserPaneProcs procs;
  procs.draw = [state](TKControl* view, TKContext* ctx) {
    if (!state->image) return;
    TKRect frame = TKGetControlBounds(view);
    TKRect source = TKMakeRect(0, 0, TKRectWidth(frame), TKRectHeight(frame));
    source.right = std::min(source.right, TKImageWidth(state->image.get()));
    source.bottom = std::min(source.bottom, TKImageHeight(state->image.get()));
    TKSetBlendMode(ctx, kTKBlendCopy);
    TKDrawImage(ctx, state->image.get(), &source,
                TKMakeRect(frame.left, frame.top, TKRectWidth(source), TKRectHeight(source)), false);
    TKSetBlendMode(ctx, kTKBlendNormal);
  };
  procs.hitTest = [](TKControl*, TKPoint) -> int16_t { return 1; };
  procs.track = [mouseDown](TKControl* view, TKPoint where, uint32_t) -> int16_t {
    if (mouseDown) {
      mouseDown(view);
    } else {
      DragWindow(TKGetControlWindow(view), where);
    }
    return 1;
  };
  TKControl* view = TKNewUserPane(window, TKGetWindowContentRect(window), procs);
  if (view) TKSetControlRefCon(view, reinterpret_cast<intptr_t>(state.get()));
  TKInvalidateWindow(window);
  return view;
}
