// Idle work of the loop: user panes' idle procedures and help tags, which
// appear after the mouse rests on a control for a moment.
#include <algorithm>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"

namespace {

constexpr double kIdleInterval = 0.1;
constexpr double kHelpDelay = 1.0;
constexpr int32_t kHelpMaxWidth = 280;

// An idle procedure may dispose controls, its own included: the children are
// listed before it runs and each is checked before its turn.
void IdlePanes(UIControl* c) {
  if (!c->visible) return;
  std::vector<UIControl*> children = UIChildList(c);
  if (c->kind == kUIControlUserPane && c->pane.idle) c->pane.idle(c);
  for (UIControl* child : children)
    if (UIControlAlive(child)) IdlePanes(child);
}

void ShowHelpTag(UIControl* c) {
  UIToolkitState& st = UIState();
  UIFont font = UISmallFont();
  int32_t textWidth = std::min(kHelpMaxWidth, int32_t(UIMeasureText(font, c->helpTag.c_str()).width) + 2);
  int32_t textHeight = UIMeasureWrappedHeight(font, c->helpTag.c_str(), textWidth);
  UIWindow* owner = c->window;
  UIPoint at{owner->bounds.left + st.lastMouse.x + 8, owner->bounds.top + st.lastMouse.y + 20};
  UIWindow* tag = UINewPopupWindow(UIMakeRect(at.x, at.y, textWidth + 12, textHeight + 8));
  if (!tag) return;
  tag->contentColor = UIColor{1.0, 0.98, 0.82, 1};
  std::string text = c->helpTag;
  tag->drawOverlay = [text, font](UIWindow* w, UIContext* ctx) {
    UIRect r = UIGetWindowContentRect(w);
    UISetStrokeColor(ctx, UIColor{0.6, 0.6, 0.5, 1});
    UIFrameRect(ctx, r);
    UISetFillColor(ctx, UIColor{0.1, 0.1, 0.1, 1});
    UIDrawTextWrapped(ctx, font, text.c_str(), UIRectInset(r, 6, 4));
  };
  UIShowWindow(tag);
  UISelectWindow(tag);
  st.helpTagWindow = tag;
}

void Idle(UITimer*) {
  UIToolkitState& st = UIState();
  for (UIWindow* w : UIWindowList())
    if (UIWindowAlive(w) && w->visible) IdlePanes(w->root.get());
  UIControl* c = st.hoverControl;
  if (!st.helpTagWindow && st.helpTagsEnabled && c && !c->helpTag.empty() && st.buttons == 0 &&
      UIIsControlVisible(c) && UINow() - st.hoverSince >= kHelpDelay)
    ShowHelpTag(c);
}

}  // namespace

void UIStartIdle() {
  UIToolkitState& st = UIState();
  if (!st.idleTimer) st.idleTimer = UIInstallTimer(kIdleInterval, kIdleInterval, Idle);
}

void UIHideHelpTag() {
  UIToolkitState& st = UIState();
  if (!st.helpTagWindow) return;
  UIWindow* tag = st.helpTagWindow;
  st.helpTagWindow = nullptr;
  UIDisposeWindow(tag);
}

void UISetHelpTagsEnabled(bool enabled) {
  UIState().helpTagsEnabled = enabled;
  if (!enabled) UIHideHelpTag();
}

UIWindow* UIGetShownHelpTag() { return UIState().helpTagWindow; }
