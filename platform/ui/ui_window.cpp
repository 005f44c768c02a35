// Windows: creation, order, bounds, focus, default and cancel buttons,
// modal loops and rendering.
#include <algorithm>
#include <cmath>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_services.h"

namespace {

bool IsOrdinary(const TKWindow* w) { return w->kind != kTKWindowFloating && w->kind != kTKWindowPopup; }

void SendWindowEvent(TKWindow* w, TKEventKind kind) {
  TKEvent e;
  e.kind = kind;
  e.window = w;
  // A notice: nothing follows from whether anyone handled it.
  QVIgnoreStatus(TKSendEvent(e));
}

// The key window takes the platform's keyboard focus too, so that keys
// reach the program without a click first.
void FocusKeyWindow() {
  TKToolkitState& st = TKState();
  if (st.keyWindow && st.keyWindow->visible && TKBackendPtr()) TKBackendPtr()->FocusWindow(st.keyWindow);
}

void SetKeyWindow(TKWindow* w) {
  TKToolkitState& st = TKState();
  if (st.keyWindow == w) return;
  TKWindow* old = st.keyWindow;
  st.keyWindow = w;
  if (old) {
    SendWindowEvent(old, kTKEventWindowDeactivated);
    TKInvalidateWindow(old);
  }
  if (w) {
    FocusKeyWindow();
    SendWindowEvent(w, kTKEventWindowActivated);
    TKInvalidateWindow(w);
  }
}

void PickNewKeyWindow() {
  TKToolkitState& st = TKState();
  TKWindow* next = nullptr;
  if (!st.modalStack.empty()) next = st.modalStack.back();
  for (auto& w : st.windows)
    if (!next && w->visible && IsOrdinary(w.get())) next = w.get();
  SetKeyWindow(next);
}

// The window's place in the front-to-back list, or the list's end.
std::vector<std::unique_ptr<TKWindow>>::iterator Find(TKWindow* w) {
  auto& ws = TKState().windows;
  return std::find_if(ws.begin(), ws.end(), [w](const std::unique_ptr<TKWindow>& p) { return p.get() == w; });
}

}  // namespace

bool TKWindowAlive(TKWindow* w) { return w && Find(w) != TKState().windows.end(); }
bool TKWindowExists(TKWindow* w) { return TKWindowAlive(w); }

TKWindow* TKCreateWindow(TKWindowKind kind, const TKRect& bounds, const char* title) {
  if (TKRectEmpty(bounds)) return nullptr;
  TKToolkitState& st = TKState();
  st.windows.push_back(std::make_unique<TKWindow>());  // new windows start behind until shown
  TKWindow* w = st.windows.back().get();
  w->kind = kind;
  w->bounds = bounds;
  w->title = title ? title : "";
  w->root = std::make_unique<TKControl>();
  w->root->kind = kTKControlRoot;
  w->root->window = w;
  w->root->bounds = TKGetWindowContentRect(w);
  if (kind == kTKWindowModal) TKCenterWindow(w, nullptr);
  if (TKBackendPtr()) TKBackendPtr()->OpenWindow(w);
  return w;
}

TKWindow* TKCreateFullScreenWindow(int32_t display) {
  TKRect r = TKGetDisplayBounds(display);
  if (TKRectEmpty(r)) return nullptr;
  TKWindow* w = TKCreateWindow(kTKWindowFullScreen, r, "");
  if (w) w->contentColor = TKColor{0, 0, 0, 1};
  return w;
}

void TKDisposeWindow(TKWindow* window) {
  if (!window) return;
  TKToolkitState& st = TKState();
  auto it = Find(window);
  if (it == st.windows.end()) return;
  if (TKBackendPtr()) TKBackendPtr()->CloseWindow(window);
  std::unique_ptr<TKWindow> owned = std::move(*it);
  st.windows.erase(it);
  st.modalStack.erase(std::remove(st.modalStack.begin(), st.modalStack.end(), window), st.modalStack.end());
  for (auto& e : st.input)
    if (e.window == window) e.window = nullptr;
  if (st.mouseWindow == window) st.mouseWindow = nullptr;
  if (st.helpTagWindow == window) st.helpTagWindow = nullptr;
  // Controls go first, then the window's own handlers.
  std::unique_ptr<TKControl> root = std::move(window->root);
  window->focus = window->defaultButton = window->cancelButton = nullptr;
  TKDisposeControl(root.get());
  if (st.keyWindow == window) {
    st.keyWindow = nullptr;
    PickNewKeyWindow();
  }
  // A closed menu, pop-up or dialog hands the keyboard back to the key window.
  FocusKeyWindow();
}

void TKShowWindow(TKWindow* window) {
  if (!window || window->visible) return;
  window->visible = true;
  window->invalid = true;
  if (TKBackendPtr()) TKBackendPtr()->ShowWindow(window, true);
  // Pop-ups and floating windows come up in front as well, without the keyboard.
  TKSelectWindow(window);
}

void TKHideWindow(TKWindow* window) {
  if (!window || !window->visible) return;
  window->visible = false;
  if (TKBackendPtr()) TKBackendPtr()->ShowWindow(window, false);
  if (TKState().keyWindow == window) {
    TKState().keyWindow = nullptr;
    SendWindowEvent(window, kTKEventWindowDeactivated);
    PickNewKeyWindow();
  }
  FocusKeyWindow();
}

bool TKIsWindowVisible(TKWindow* window) { return window && window->visible; }
TKWindowKind TKGetWindowKind(TKWindow* window) { return window ? window->kind : kTKWindowPlain; }

void TKSelectWindow(TKWindow* window) {
  if (!window) return;
  TKToolkitState& st = TKState();
  auto it = Find(window);
  if (it == st.windows.end()) return;
  std::unique_ptr<TKWindow> owned = std::move(*it);
  st.windows.erase(it);
  // Ordinary windows go in front of every ordinary window, behind the
  // floating ones; the others in front of all.
  auto pos = st.windows.begin();
  if (IsOrdinary(window))
    pos = std::find_if(st.windows.begin(), st.windows.end(), [](auto& w) { return IsOrdinary(w.get()); });
  st.windows.insert(pos, std::move(owned));
  if (TKBackendPtr()) {
    TKBackendPtr()->RaiseWindow(window);
    // Without a window manager a raised window covers everything, open menus
    // included: the visible pop-ups and floating windows go back on top, in
    // their order.
    if (IsOrdinary(window))
      for (auto w = st.windows.rbegin(); w != st.windows.rend(); ++w)
        if (!IsOrdinary(w->get()) && (*w)->visible) TKBackendPtr()->RaiseWindow(w->get());
  }
  if (IsOrdinary(window) && window->visible && (st.modalStack.empty() || st.modalStack.back() == window))
    SetKeyWindow(window);
}

TKWindow* TKFrontWindow() {
  for (auto& w : TKState().windows)
    if (w->visible && IsOrdinary(w.get())) return w.get();
  return nullptr;
}

std::string TKGetWindowTitle(TKWindow* window) { return window ? window->title : std::string(); }

void TKSetWindowBounds(TKWindow* window, const TKRect& bounds) {
  if (!window || TKRectEmpty(bounds)) return;
  bool resized = TKRectWidth(bounds) != TKRectWidth(window->bounds) ||
                 TKRectHeight(bounds) != TKRectHeight(window->bounds);
  window->bounds = bounds;
  if (resized) {
    window->root->bounds = TKGetWindowContentRect(window);
    window->image.reset();
    window->invalid = true;
  }
  if (TKBackendPtr()) TKBackendPtr()->UpdateWindowFrame(window);
}

TKRect TKGetWindowBounds(TKWindow* window) { return window ? window->bounds : TKRect{}; }

TKRect TKGetWindowContentRect(TKWindow* window) {
  if (!window) return TKRect{};
  return TKMakeRect(0, 0, TKRectWidth(window->bounds), TKRectHeight(window->bounds));
}

void TKCenterWindow(TKWindow* window, TKWindow* parent) {
  if (!window) return;
  int32_t display = parent ? TKDisplayForRect(parent->bounds) : TKGetMainDisplay();
  TKRect d = TKGetDisplayBounds(display);
  if (TKRectEmpty(d)) return;
  int32_t w = TKRectWidth(window->bounds), h = TKRectHeight(window->bounds);
  int32_t left = d.left + (TKRectWidth(d) - w) / 2;
  int32_t top = d.top + std::max(0, (TKRectHeight(d) - h) / 3);
  TKSetWindowBounds(window, TKMakeRect(left, top, w, h));
}

void TKSetWindowRefCon(TKWindow* window, intptr_t refCon) {
  if (window) window->refCon = refCon;
}
intptr_t TKGetWindowRefCon(TKWindow* window) { return window ? window->refCon : 0; }

void TKInvalidateWindow(TKWindow* window) {
  if (window) window->invalid = true;
}
void TKInvalidateRect(TKWindow* window, const TKRect&) { TKInvalidateWindow(window); }
bool TKWindowNeedsRedraw(TKWindow* window) { return window && window->invalid; }

void TKSetWindowContentColor(TKWindow* window, TKColor color) {
  if (!window) return;
  window->contentColor = color;
  TKInvalidateWindow(window);
}

void TKSetWindowShowsMenuBar(TKWindow* window, bool shows) {
  if (!window) return;
  window->showsMenuBar = shows;
  TKInvalidateWindow(window);
}
int32_t TKMenuBarHeight() { return 22; }

void TKSetDefaultButton(TKWindow* window, TKControl* button) {
  if (!window) return;
  window->defaultButton = button;
  TKInvalidateWindow(window);
}
TKControl* TKGetDefaultButton(TKWindow* window) { return window ? window->defaultButton : nullptr; }
void TKSetCancelButton(TKWindow* window, TKControl* button) {
  if (window) window->cancelButton = button;
}
TKControl* TKGetCancelButton(TKWindow* window) { return window ? window->cancelButton : nullptr; }

QVStatus TKSetKeyboardFocus(TKWindow* window, TKControl* control) {
  if (!window) return kQVErrParam;
  if (control && (control->window != window || !TKControlTakesFocus(control))) return kQVErrParam;
  if (window->focus == control) return kQVNoErr;
  TKControl* old = window->focus;
  window->focus = control;
  if (old) {
    if (old->kind == kTKControlUserPane && old->pane.focus) old->pane.focus(old, kTKPartNone);
    if (old->list) old->list->editRow = -1;
    TKEvent e = TKControlEvent(kTKEventFocusChanged, old, kTKPartNone);
    // A notice: nothing follows from whether anyone handled it.
    QVIgnoreStatus(TKSendEvent(e));
  }
  if (control) {
    if (control->kind == kTKControlEditText) {
      control->selStart = 0;
      control->selEnd = int32_t(control->title.size());
    }
    if (control->kind == kTKControlUserPane && control->pane.focus) control->pane.focus(control, kTKPartFocusNext);
    TKEvent e = TKControlEvent(kTKEventFocusChanged, control, 1);
    // A notice: nothing follows from whether anyone handled it.
    QVIgnoreStatus(TKSendEvent(e));
  }
  TKInvalidateWindow(window);
  return kQVNoErr;
}

TKControl* TKGetKeyboardFocus(TKWindow* window) { return window ? window->focus : nullptr; }

namespace {
void CollectFocusable(TKControl* c, std::vector<TKControl*>& out) {
  if (!c || !c->visible || !c->enabled) return;
  if (c->kind != kTKControlRoot && TKControlTakesFocus(c)) out.push_back(c);
  for (auto& child : c->children) CollectFocusable(child.get(), out);
}
}  // namespace

void TKAdvanceKeyboardFocus(TKWindow* window, bool backwards) {
  if (!window) return;
  std::vector<TKControl*> chain;
  CollectFocusable(window->root.get(), chain);
  if (chain.empty()) return;
  auto it = std::find(chain.begin(), chain.end(), window->focus);
  size_t n = chain.size();
  size_t next;
  if (it == chain.end()) {
    next = backwards ? n - 1 : 0;
  } else {
    size_t i = size_t(it - chain.begin());
    next = backwards ? (i + n - 1) % n : (i + 1) % n;
  }
  // A control that refuses the focus leaves it where it was.
  QVIgnoreStatus(TKSetKeyboardFocus(window, chain[next]));
}

int32_t TKRunModal(TKWindow* window) {
  if (!window) return 0;
  TKToolkitState& st = TKState();
  window->modalDone = false;
  window->modalResult = 0;
  st.modalStack.push_back(window);
  TKShowWindow(window);
  TKSelectWindow(window);
  while (!window->modalDone && !TKQuitRequested()) {
    // A headless run whose script has run out would wait for ever.
    if (TKNoInputCanArrive()) break;
    TKRunOnce(0.25);
    if (!TKWindowAlive(window)) return 0;
  }
  st.modalStack.erase(std::remove(st.modalStack.begin(), st.modalStack.end(), window), st.modalStack.end());
  int32_t result = window->modalResult;
  TKHideWindow(window);
  PickNewKeyWindow();
  return result;
}

void TKEndModal(TKWindow* window, int32_t result) {
  if (!window) return;
  window->modalDone = true;
  window->modalResult = result;
  TKWakeLoop();
}

TKImage* TKRenderWindow(TKWindow* window) {
  if (!window) return nullptr;
  int32_t w = TKRectWidth(window->bounds), h = TKRectHeight(window->bounds);
  if (!window->image || TKImageWidth(window->image.get()) != w || TKImageHeight(window->image.get()) != h) {
    window->image.reset(TKImageCreate(w, h));
    if (!window->image) return nullptr;
  }
  TKContext* ctx = TKBeginDrawing(window->image.get());
  TKClear(ctx, window->contentColor);
  TKEvent draw;
  draw.kind = kTKEventWindowDraw;
  draw.window = window;
  draw.ctx = ctx;
  TKSave(ctx);
  // Drawing is a notice; an undrawn control shows its background.
  QVIgnoreStatus(TKSendThroughChains(draw, false));
  TKRestore(ctx);
  TKDrawControlTree(window->root.get(), ctx);
  if (window->showsMenuBar) TKDrawMenuBar(window, ctx);
  if (window->drawOverlay) window->drawOverlay(window, ctx);
  TKEndDrawing(ctx);
  window->invalid = false;
  return window->image.get();
}

QVStatus TKWriteWindowPNG(TKWindow* window, const char* path) {
  TKImage* image = TKRenderWindow(window);
  if (!image) return kQVErrParam;
  return TKImageWritePNG(image, path);
}

TKImage* TKCaptureWindow(TKWindow* window) {
  if (!window) return nullptr;
  if (TKGetBackendKind() == kTKBackendSDL) return TKSDLCaptureWindow(window);
  TKImage* rendered = TKRenderWindow(window);
  if (!rendered) return nullptr;
  TKImage* copy = TKImageCreate(TKImageWidth(rendered), TKImageHeight(rendered));
  // Cannot fail: same size, both BGRA.
  if (copy) QVIgnoreStatus(TKImageImport(copy, TKImagePixels(rendered), TKImageRowBytes(rendered), kTKPixelFormatBGRA));
  return copy;
}

void TKRedrawInvalidWindows() {
  TKBackend* backend = TKBackendPtr();
  if (!backend || !backend->NeedsPresent()) return;
  for (TKWindow* w : TKWindowList()) {
    if (!TKWindowAlive(w) || !w->visible || !w->invalid) continue;
    if (TKRenderWindow(w)) backend->Present(w);
  }
}

TKWindow* TKNewPopupWindow(const TKRect& bounds) {
  TKWindow* w = TKCreateWindow(kTKWindowPopup, bounds, "");
  if (w) w->contentColor = TKColor{0.98, 0.98, 0.98, 1};
  return w;
}

int32_t TKAddTrackingRegion(TKWindow* window, const TKRect& r, int32_t regionID) {
  if (!window) return kQVErrParam;
  TKRemoveTrackingRegion(window, regionID);
  window->regions.push_back(TKTrackingRegion{regionID, r, false});
  return kQVNoErr;
}

void TKRemoveTrackingRegion(TKWindow* window, int32_t regionID) {
  if (!window) return;
  auto& v = window->regions;
  v.erase(std::remove_if(v.begin(), v.end(), [&](const TKTrackingRegion& t) { return t.id == regionID; }), v.end());
}

void TKUpdateTrackingRegions(TKWindow* w, TKPoint where) {
  if (!w) return;
  std::vector<TKTrackingRegion> regions = w->regions;
  for (TKTrackingRegion& r : regions) {
    bool inside = TKRectContains(r.rect, where);
    if (inside == r.inside) continue;
    for (auto& live : w->regions)
      if (live.id == r.id) live.inside = inside;
    TKEvent e;
    e.kind = inside ? kTKEventMouseEntered : kTKEventMouseExited;
    e.window = w;
    e.where = where;
    e.regionID = r.id;
    // A notice: nothing follows from whether anyone handled it.
    QVIgnoreStatus(TKSendEvent(e));
  }
}

QVStatus TKDefineCursor(int32_t cursorID, int32_t pictureID, TKPoint hotSpot) {
  if (cursorID < 128) return kQVErrParam;
  TKImage* picture = TKGetPicture(pictureID);
  if (!picture) return kQVErrFileNotFound;
  if (hotSpot.x < 0 || hotSpot.y < 0 || hotSpot.x >= TKImageWidth(picture) || hotSpot.y >= TKImageHeight(picture))
    return kQVErrParam;
  TKState().customCursors[cursorID] = TKCursorDefinition{pictureID, hotSpot};
  return kQVNoErr;
}

bool TKCursorDefined(int32_t cursorID) { return TKState().customCursors.count(cursorID) != 0; }

void TKSetCursor(int32_t cursorID) {
  TKToolkitState& st = TKState();
  if (st.cursor == cursorID) return;
  st.cursor = cursorID;
  if (TKBackendPtr()) TKBackendPtr()->SetCursor(cursorID);
}
int32_t TKGetCursor() { return TKState().cursor; }
