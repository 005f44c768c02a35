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
void IdlePanes(TKControl* c) {
  if (!c->visible) return;
  std::vector<TKControl*> children = TKChildList(c);
  if (c->kind == kTKControlUserPane && c->pane.idle) c->pane.idle(c);
  for (TKControl* child : children)
    if (TKControlAlive(child)) IdlePanes(child);
}

void ShowHelpTag(TKControl* c) {
  TKToolkitState& st = TKState();
  TKFont font = TKSmallFont();
  int32_t textWidth = std::min(kHelpMaxWidth, int32_t(TKMeasureText(font, c->helpTag.c_str()).width) + 2);
  int32_t textHeight = TKMeasureWrappedHeight(font, c->helpTag.c_str(), textWidth);
  TKWindow* owner = c->window;
  TKPoint at{owner->bounds.left + st.lastMouse.x + 8, owner->bounds.top + st.lastMouse.y + 20};
  TKWindow* tag = TKNewPopupWindow(TKMakeRect(at.x, at.y, textWidth + 12, textHeight + 8));
  if (!tag) return;
  tag->contentColor = TKColor{1.0, 0.98, 0.82, 1};
  std::string text = c->helpTag;
  tag->drawOverlay = [text, font](TKWindow* w, TKContext* ctx) {
    TKRect r = TKGetWindowContentRect(w);
    TKSetStrokeColor(ctx, TKColor{0.6, 0.6, 0.5, 1});
    TKFrameRect(ctx, r);
    TKSetFillColor(ctx, TKColor{0.1, 0.1, 0.1, 1});
    TKDrawTextWrapped(ctx, font, text.c_str(), TKRectInset(r, 6, 4));
  };
  TKShowWindow(tag);
  TKSelectWindow(tag);
  st.helpTagWindow = tag;
}

void Idle(TKTimer*) {
  TKToolkitState& st = TKState();
  for (TKWindow* w : TKWindowList())
    if (TKWindowAlive(w) && w->visible) IdlePanes(w->root.get());
  TKControl* c = st.hoverControl;
  if (!st.helpTagWindow && st.helpTagsEnabled && c && !c->helpTag.empty() && st.buttons == 0 &&
      TKIsControlVisible(c) && TKNow() - st.hoverSince >= kHelpDelay)
    ShowHelpTag(c);
}

}  // namespace

void TKStartIdle() {
  TKToolkitState& st = TKState();
  if (!st.idleTimer) st.idleTimer = TKInstallTimer(kIdleInterval, kIdleInterval, Idle);
}

void TKHideHelpTag() {
  TKToolkitState& st = TKState();
  if (!st.helpTagWindow) return;
  TKWindow* tag = st.helpTagWindow;
  st.helpTagWindow = nullptr;
  TKDisposeWindow(tag);
}

void TKSetHelpTagsEnabled(bool enabled) {
  TKState().helpTagsEnabled = enabled;
  if (!enabled) TKHideHelpTag();
}

TKWindow* TKGetShownHelpTag() { return TKState().helpTagWindow; }
