// An image pane's own floating window: the pane drawn over its place in its
// window, with the same mouse tools, wheel and cursors as the control.
#include "app/views/image_pane_internal.h"
#include "platform/input_state.h"
#include "platform/ui/ui_window.h"

namespace {

const UIColor kPaneBackground{0.16, 0.16, 0.17, 1};
const UIColor kFrameColour{0.45, 0.45, 0.48, 1};

QVStatus floatingEvent(ImagePaneRecord* r, UIEvent& e) {
  UIControl* pane = r->control;
  if (!UIIsControlAlive(pane)) return kQVErrNotHandled;
  switch (e.kind) {
    case kUIEventWindowDraw:
      // Two frames round the pane, then the pane itself.
      UISetStrokeColor(e.ctx, kFrameColour);
      UISetLineWidth(e.ctx, 1);
      UIFrameRect(e.ctx, r->bounds);
      UIFrameRect(e.ctx, UIRectInset(r->bounds, 1, 1));
      ImagePaneDrawInto(r, e.ctx);
      return kQVNoErr;
    case kUIEventMouseDown:
      if (!PLIsFrontProcess()) {
        UISelectWindow(r->window);
        return kQVNoErr;
      }
      if (e.button == kUIButtonLeft && UIRectContains(r->viewRect, e.where)) ImagePaneTrackProc(pane, e.where, e.modifiers);
      return kQVNoErr;
    case kUIEventContextClick:
      ImagePaneControlEventHandler(pane, e);
      return kQVNoErr;
    case kUIEventMouseMoved:
    case kUIEventModifiersChanged:
      ImagePaneTimerFire(pane);
      return kQVErrNotHandled;
    case kUIEventMouseExited:
      for (int32_t& c : r->cursors) c = 0;
      r->currentCursor = 0;
      return kQVErrNotHandled;
    case kUIEventMouseWheel:
      return ImagePaneControlEventHandler(pane, e);
    default:
      return kQVErrNotHandled;
  }
}

}  // namespace

QVStatus OpenImagePaneFloatingWindow(ImagePaneRecord* r) {
  const UIRect owner = UIGetWindowBounds(r->window);
  const UIRect place = UIRectOffset(r->bounds, owner.left, owner.top);
  UIWindow* w = UICreateWindow(kUIWindowFloating, place, "");
  if (!w) return kQVErrMemory;
  UISetWindowContentColor(w, kPaneBackground);
  // From here on the pane's geometry is the floating window's own.
  const int32_t inset = r->viewRect.left - r->bounds.left;
  r->bounds = UIMakeRect(0, 0, UIRectWidth(place), UIRectHeight(place));
  r->viewRect = UIRectInset(r->bounds, inset, inset);
  r->floatingWindow = w;
  UIAddTrackingRegion(w, r->viewRect, 1);
  // The window's handler keeps the record while the window lasts.
  std::shared_ptr<ImagePaneRecord> self = r->shared_from_this();
  UIInstallWindowHandler(w, [self](UIEvent& e) { return floatingEvent(self.get(), e); });
  if (UIIsControlVisible(r->control) && UIIsWindowVisible(r->window)) UIShowWindow(w);
  return kQVNoErr;
}
