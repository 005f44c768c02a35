#include "support/small_windows.h"

#include <algorithm>
#include <memory>

namespace {

struct SplashState {
  UIImagePtr image;
};

// Moves the window with the mouse until the button goes up.
void DragWindow(UIWindow* window, UIPoint start) {
  UIRect bounds = UIGetWindowBounds(window);
  for (;;) {
    UIPoint where;
    uint32_t modifiers = 0;
    UITrackResult r = UITrackMouse(window, 5.0, &where, &modifiers);
    if (r == kUITrackTimedOut) return;
    const int32_t dx = where.x - start.x, dy = where.y - start.y;
    UISetWindowBounds(window, UIRect{bounds.top + dy, bounds.left + dx, bounds.bottom + dy, bounds.right + dx});
    if (r == kUITrackMouseUp) return;
  }
}

}  // namespace

UIWindow* QVBorderlessWindowCreate(const UIRect& contentRect) {
  UIWindow* window = UICreateWindow(kUIWindowBorderless, contentRect, "");
  if (!window) return nullptr;
  UISetWindowContentColor(window, UIColor{0, 0, 0, 0});
  return window;
}

UIControl* QVSplashViewCreate(UIWindow* window, const char* imagePath, std::function<void(UIControl*)> mouseDown) {
  if (!window) return nullptr;
  auto state = std::make_shared<SplashState>();
  if (imagePath) state->image.reset(UIImageReadPNG(imagePath));
  UIUserPaneProcs procs;
  procs.draw = [state](UIControl* view, UIContext* ctx) {
    if (!state->image) return;
    UIRect frame = UIGetControlBounds(view);
    UIRect source = UIMakeRect(0, 0, UIRectWidth(frame), UIRectHeight(frame));
    source.right = std::min(source.right, UIImageWidth(state->image.get()));
    source.bottom = std::min(source.bottom, UIImageHeight(state->image.get()));
    UISetBlendMode(ctx, kUIBlendCopy);
    UIDrawImage(ctx, state->image.get(), &source,
                UIMakeRect(frame.left, frame.top, UIRectWidth(source), UIRectHeight(source)), false);
    UISetBlendMode(ctx, kUIBlendNormal);
  };
  procs.hitTest = [](UIControl*, UIPoint) -> int16_t { return 1; };
  procs.track = [mouseDown](UIControl* view, UIPoint where, uint32_t) -> int16_t {
    if (mouseDown) {
      mouseDown(view);
    } else {
      DragWindow(UIGetControlWindow(view), where);
    }
    return 1;
  };
  UIControl* view = UINewUserPane(window, UIGetWindowContentRect(window), procs);
  if (view) UISetControlRefCon(view, reinterpret_cast<intptr_t>(state.get()));
  UIInvalidateWindow(window);
  return view;
}
