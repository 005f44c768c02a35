// An image pane's own floating window: the pane drawn over its place in its
// window, with the same mouse tools, wheel and cursors as the control.
#include "app/views/image_pane_internal.h"
#include "platform/input_state.h"
#include "platform/ui/ui_window.h"

namespace {

const TKColor kPaneBackground{0.16, 0.16, 0.17, 1};
const TKColor kFrameColour{0.45, 0.45, 0.48, 1};

QVStatus floatingEvent(ImagePaneRecord* r, TKEvent& e) {
  TKControl* pane = r->control;
  if (!TKIsControlAlive(pane)) return kQVErrNotHandled;
  switch (e.kind) {
    case kTKEventWindowDraw:
      // Two frames round the pane, then the pane itself.
      TKSetStrokeColor(e.ctx, kFrameColour);
      TKSetLineWidth(e.ctx, 1);
      TKFrameRect(e.ctx, r->bounds);
      TKFrameRect(e.ctx, TKRectInset(r->bounds, 1, 1));
      ImagePaneDrawInto(r, e.ctx);
      return kQVNoErr;
    case kTKEventMouseDown:
      if (!PLIsFrontProcess()) {
        TKSelectWindow(r->window);
        return kQVNoErr;
      }
      if (e.button == kTKButtonLeft && TKRectContains(r->viewRect, e.where)) ImagePaneTrackProc(pane, e.where, e.modifiers);
      return kQVNoErr;
    case kTKEventContextClick:
      // A context click is consumed whether or not the pane had a menu for it.
      QVIgnoreStatus(ImagePaneControlEventHandler(pane, e));
      return kQVNoErr;
    case kTKEventMouseMoved:
    case kTKEventModifiersChanged:
      ImagePaneTimerFire(pane);
      return kQVErrNotHandled;
    case kTKEventMouseExited:
      for (int32_t& c : r->cursors) c = 0;
      r->currentCursor = 0;
      return kQVErrNotHandled;
    case kTKEventMouseWheel:
      return ImagePaneControlEventHandler(pane, e);
    default:
      return kQVErrNotHandled;
  }
}

}  // namespace

QVStatus OpenImagePaneFloatingWindow(ImagePaneRecord* r) {
  const TKRect owner = TKGetWindowBounds(r->window);
  const TKRect place = TKRectOffset(r->bounds, owner.left, owner.top);
  TKWindow* w = TKCreateWindow(kTKWindowFloating, place, "");
  if (!w) return kQVErrMemory;
  TKSetWindowContentColor(w, kPaneBackground);
  // From here on the pane's geometry is the floating window's own.
  const int32_t inset = r->viewRect.left - r->bounds.left;
  r->bounds = TKMakeRect(0, 0, TKRectWidth(place), TKRectHeight(place));
  r->viewRect = TKRectInset(r->bounds, inset, inset);
  r->floatingWindow = w;
  TKAddTrackingRegion(w, r->viewRect, 1);
  // The window's handler keeps the record while the window lasts.
  std::shared_ptr<ImagePaneRecord> self = r->shared_from_this();
  TKInstallWindowHandler(w, [self](TKEvent& e) { return floatingEvent(self.get(), e); });
  if (TKIsControlVisible(r->control) && TKIsWindowVisible(r->window)) TKShowWindow(w);
  return kQVNoErr;
}
