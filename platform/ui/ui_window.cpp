// Windows: creation, order, bounds, focus, default and cancel buttons,
// modal loops and rendering.
#include <algorithm>
#include <cmath>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_services.h"

namespace {

bool IsOrdinary(const UIWindow* w) { return w->kind != kUIWindowFloating && w->kind != kUIWindowPopup; }

void SendWindowEvent(UIWindow* w, UIEventKind kind) {
  UIEvent e;
  e.kind = kind;
  e.window = w;
  UISendEvent(e);
}

// The key window takes the platform's keyboard focus too, so that keys
// reach the program without a click first.
void FocusKeyWindow() {
  UIToolkitState& st = UIState();
  if (st.keyWindow && st.keyWindow->visible && UIBackendPtr()) UIBackendPtr()->FocusWindow(st.keyWindow);
}

void SetKeyWindow(UIWindow* w) {
  UIToolkitState& st = UIState();
  if (st.keyWindow == w) return;
  UIWindow* old = st.keyWindow;
  st.keyWindow = w;
  if (old) {
    SendWindowEvent(old, kUIEventWindowDeactivated);
    UIInvalidateWindow(old);
  }
  if (w) {
    FocusKeyWindow();
    SendWindowEvent(w, kUIEventWindowActivated);
    UIInvalidateWindow(w);
  }
}

void PickNewKeyWindow() {
  UIToolkitState& st = UIState();
  UIWindow* next = nullptr;
  if (!st.modalStack.empty()) next = st.modalStack.back();
  for (auto& w : st.windows)
    if (!next && w->visible && IsOrdinary(w.get())) next = w.get();
  SetKeyWindow(next);
}

// The window's place in the front-to-back list, or the list's end.
std::vector<std::unique_ptr<UIWindow>>::iterator Find(UIWindow* w) {
  auto& ws = UIState().windows;
  return std::find_if(ws.begin(), ws.end(), [w](const std::unique_ptr<UIWindow>& p) { return p.get() == w; });
}

}  // namespace

bool UIWindowAlive(UIWindow* w) { return w && Find(w) != UIState().windows.end(); }
bool UIWindowExists(UIWindow* w) { return UIWindowAlive(w); }

UIWindow* UICreateWindow(UIWindowKind kind, const UIRect& bounds, const char* title) {
  if (UIRectEmpty(bounds)) return nullptr;
  UIToolkitState& st = UIState();
  st.windows.push_back(std::make_unique<UIWindow>());  // new windows start behind until shown
  UIWindow* w = st.windows.back().get();
  w->kind = kind;
  w->bounds = bounds;
  w->title = title ? title : "";
  w->root = std::make_unique<UIControl>();
  w->root->kind = kUIControlRoot;
  w->root->window = w;
  w->root->bounds = UIGetWindowContentRect(w);
  if (kind == kUIWindowModal) UICenterWindow(w, nullptr);
  if (UIBackendPtr()) UIBackendPtr()->OpenWindow(w);
  return w;
}

UIWindow* UICreateFullScreenWindow(int32_t display) {
  UIRect r = UIGetDisplayBounds(display);
  if (UIRectEmpty(r)) return nullptr;
  UIWindow* w = UICreateWindow(kUIWindowFullScreen, r, "");
  if (w) w->contentColor = UIColor{0, 0, 0, 1};
  return w;
}

void UIDisposeWindow(UIWindow* window) {
  if (!window) return;
  UIToolkitState& st = UIState();
  auto it = Find(window);
  if (it == st.windows.end()) return;
  if (UIBackendPtr()) UIBackendPtr()->CloseWindow(window);
  std::unique_ptr<UIWindow> owned = std::move(*it);
  st.windows.erase(it);
  st.modalStack.erase(std::remove(st.modalStack.begin(), st.modalStack.end(), window), st.modalStack.end());
  for (auto& e : st.input)
    if (e.window == window) e.window = nullptr;
  if (st.mouseWindow == window) st.mouseWindow = nullptr;
  if (st.helpTagWindow == window) st.helpTagWindow = nullptr;
  // Controls go first, then the window's own handlers.
  std::unique_ptr<UIControl> root = std::move(window->root);
  window->focus = window->defaultButton = window->cancelButton = nullptr;
  UIDisposeControl(root.get());
  if (st.keyWindow == window) {
    st.keyWindow = nullptr;
    PickNewKeyWindow();
  }
  // A closed menu, pop-up or dialog hands the keyboard back to the key window.
  FocusKeyWindow();
}

void UIShowWindow(UIWindow* window) {
  if (!window || window->visible) return;
  window->visible = true;
  window->invalid = true;
  if (UIBackendPtr()) UIBackendPtr()->ShowWindow(window, true);
  // Pop-ups and floating windows come up in front as well, without the keyboard.
  UISelectWindow(window);
}

void UIHideWindow(UIWindow* window) {
  if (!window || !window->visible) return;
  window->visible = false;
  if (UIBackendPtr()) UIBackendPtr()->ShowWindow(window, false);
  if (UIState().keyWindow == window) {
    UIState().keyWindow = nullptr;
    SendWindowEvent(window, kUIEventWindowDeactivated);
    PickNewKeyWindow();
  }
  FocusKeyWindow();
}

bool UIIsWindowVisible(UIWindow* window) { return window && window->visible; }
UIWindowKind UIGetWindowKind(UIWindow* window) { return window ? window->kind : kUIWindowPlain; }

void UISelectWindow(UIWindow* window) {
  if (!window) return;
  UIToolkitState& st = UIState();
  auto it = Find(window);
  if (it == st.windows.end()) return;
  std::unique_ptr<UIWindow> owned = std::move(*it);
  st.windows.erase(it);
  // Ordinary windows go in front of every ordinary window, behind the
  // floating ones; the others in front of all.
  auto pos = st.windows.begin();
  if (IsOrdinary(window))
    pos = std::find_if(st.windows.begin(), st.windows.end(), [](auto& w) { return IsOrdinary(w.get()); });
  st.windows.insert(pos, std::move(owned));
  if (UIBackendPtr()) {
    UIBackendPtr()->RaiseWindow(window);
    // Without a window manager a raised window covers everything, open menus
    // included: the visible pop-ups and floating windows go back on top, in
    // their order.
    if (IsOrdinary(window))
      for (auto w = st.windows.rbegin(); w != st.windows.rend(); ++w)
        if (!IsOrdinary(w->get()) && (*w)->visible) UIBackendPtr()->RaiseWindow(w->get());
  }
  if (IsOrdinary(window) && window->visible && (st.modalStack.empty() || st.modalStack.back() == window))
    SetKeyWindow(window);
}

UIWindow* UIFrontWindow() {
  for (auto& w : UIState().windows)
    if (w->visible && IsOrdinary(w.get())) return w.get();
  return nullptr;
}

std::string UIGetWindowTitle(UIWindow* window) { return window ? window->title : std::string(); }

void UISetWindowBounds(UIWindow* window, const UIRect& bounds) {
  if (!window || UIRectEmpty(bounds)) return;
  bool resized = UIRectWidth(bounds) != UIRectWidth(window->bounds) ||
                 UIRectHeight(bounds) != UIRectHeight(window->bounds);
  window->bounds = bounds;
  if (resized) {
    window->root->bounds = UIGetWindowContentRect(window);
    window->image.reset();
    window->invalid = true;
  }
  if (UIBackendPtr()) UIBackendPtr()->UpdateWindowFrame(window);
}

UIRect UIGetWindowBounds(UIWindow* window) { return window ? window->bounds : UIRect{}; }

UIRect UIGetWindowContentRect(UIWindow* window) {
  if (!window) return UIRect{};
  return UIMakeRect(0, 0, UIRectWidth(window->bounds), UIRectHeight(window->bounds));
}

void UICenterWindow(UIWindow* window, UIWindow* parent) {
  if (!window) return;
  int32_t display = parent ? UIDisplayForRect(parent->bounds) : UIGetMainDisplay();
  UIRect d = UIGetDisplayBounds(display);
  if (UIRectEmpty(d)) return;
  int32_t w = UIRectWidth(window->bounds), h = UIRectHeight(window->bounds);
  int32_t left = d.left + (UIRectWidth(d) - w) / 2;
  int32_t top = d.top + std::max(0, (UIRectHeight(d) - h) / 3);
  UISetWindowBounds(window, UIMakeRect(left, top, w, h));
}

void UISetWindowRefCon(UIWindow* window, intptr_t refCon) {
  if (window) window->refCon = refCon;
}
intptr_t UIGetWindowRefCon(UIWindow* window) { return window ? window->refCon : 0; }

void UIInvalidateWindow(UIWindow* window) {
  if (window) window->invalid = true;
}
void UIInvalidateRect(UIWindow* window, const UIRect&) { UIInvalidateWindow(window); }
bool UIWindowNeedsRedraw(UIWindow* window) { return window && window->invalid; }

void UISetWindowContentColor(UIWindow* window, UIColor color) {
  if (!window) return;
  window->contentColor = color;
  UIInvalidateWindow(window);
}

void UISetWindowShowsMenuBar(UIWindow* window, bool shows) {
  if (!window) return;
  window->showsMenuBar = shows;
  UIInvalidateWindow(window);
}
int32_t UIMenuBarHeight() { return 22; }

void UISetDefaultButton(UIWindow* window, UIControl* button) {
  if (!window) return;
  window->defaultButton = button;
  UIInvalidateWindow(window);
}
UIControl* UIGetDefaultButton(UIWindow* window) { return window ? window->defaultButton : nullptr; }
void UISetCancelButton(UIWindow* window, UIControl* button) {
  if (window) window->cancelButton = button;
}
UIControl* UIGetCancelButton(UIWindow* window) { return window ? window->cancelButton : nullptr; }

QVStatus UISetKeyboardFocus(UIWindow* window, UIControl* control) {
  if (!window) return kQVErrParam;
  if (control && (control->window != window || !UIControlTakesFocus(control))) return kQVErrParam;
  if (window->focus == control) return kQVNoErr;
  UIControl* old = window->focus;
  window->focus = control;
  if (old) {
    if (old->kind == kUIControlUserPane && old->pane.focus) old->pane.focus(old, kUIPartNone);
    if (old->list) old->list->editRow = -1;
    UIEvent e = UIControlEvent(kUIEventFocusChanged, old, kUIPartNone);
    UISendEvent(e);
  }
  if (control) {
    if (control->kind == kUIControlEditText) {
      control->selStart = 0;
      control->selEnd = int32_t(control->title.size());
    }
    if (control->kind == kUIControlUserPane && control->pane.focus) control->pane.focus(control, kUIPartFocusNext);
    UIEvent e = UIControlEvent(kUIEventFocusChanged, control, 1);
    UISendEvent(e);
  }
  UIInvalidateWindow(window);
  return kQVNoErr;
}

UIControl* UIGetKeyboardFocus(UIWindow* window) { return window ? window->focus : nullptr; }

namespace {
void CollectFocusable(UIControl* c, std::vector<UIControl*>& out) {
  if (!c || !c->visible || !c->enabled) return;
  if (c->kind != kUIControlRoot && UIControlTakesFocus(c)) out.push_back(c);
  for (auto& child : c->children) CollectFocusable(child.get(), out);
}
}  // namespace

void UIAdvanceKeyboardFocus(UIWindow* window, bool backwards) {
  if (!window) return;
  std::vector<UIControl*> chain;
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
  UISetKeyboardFocus(window, chain[next]);
}

int32_t UIRunModal(UIWindow* window) {
  if (!window) return 0;
  UIToolkitState& st = UIState();
  window->modalDone = false;
  window->modalResult = 0;
  st.modalStack.push_back(window);
  UIShowWindow(window);
  UISelectWindow(window);
  while (!window->modalDone && !UIQuitRequested()) {
    // A headless run whose script has run out would wait for ever.
    if (UINoInputCanArrive()) break;
    UIRunOnce(0.25);
    if (!UIWindowAlive(window)) return 0;
  }
  st.modalStack.erase(std::remove(st.modalStack.begin(), st.modalStack.end(), window), st.modalStack.end());
  int32_t result = window->modalResult;
  UIHideWindow(window);
  PickNewKeyWindow();
  return result;
}

void UIEndModal(UIWindow* window, int32_t result) {
  if (!window) return;
  window->modalDone = true;
  window->modalResult = result;
  UIWakeLoop();
}

UIImage* UIRenderWindow(UIWindow* window) {
  if (!window) return nullptr;
  int32_t w = UIRectWidth(window->bounds), h = UIRectHeight(window->bounds);
  if (!window->image || UIImageWidth(window->image.get()) != w || UIImageHeight(window->image.get()) != h) {
    window->image.reset(UIImageCreate(w, h));
    if (!window->image) return nullptr;
  }
  UIContext* ctx = UIBeginDrawing(window->image.get());
  UIClear(ctx, window->contentColor);
  UIEvent draw;
  draw.kind = kUIEventWindowDraw;
  draw.window = window;
  draw.ctx = ctx;
  UISave(ctx);
  UISendThroughChains(draw, false);
  UIRestore(ctx);
  UIDrawControlTree(window->root.get(), ctx);
  if (window->showsMenuBar) UIDrawMenuBar(window, ctx);
  if (window->drawOverlay) window->drawOverlay(window, ctx);
  UIEndDrawing(ctx);
  window->invalid = false;
  return window->image.get();
}

QVStatus UIWriteWindowPNG(UIWindow* window, const char* path) {
  UIImage* image = UIRenderWindow(window);
  if (!image) return kQVErrParam;
  return UIImageWritePNG(image, path);
}

UIImage* UICaptureWindow(UIWindow* window) {
  if (!window) return nullptr;
  if (UIGetBackendKind() == kUIBackendSDL) return UISDLCaptureWindow(window);
  UIImage* rendered = UIRenderWindow(window);
  if (!rendered) return nullptr;
  UIImage* copy = UIImageCreate(UIImageWidth(rendered), UIImageHeight(rendered));
  if (copy) UIImageImport(copy, UIImagePixels(rendered), UIImageRowBytes(rendered), kUIPixelFormatBGRA);
  return copy;
}

void UIRedrawInvalidWindows() {
  UIBackend* backend = UIBackendPtr();
  if (!backend || !backend->NeedsPresent()) return;
  for (UIWindow* w : UIWindowList()) {
    if (!UIWindowAlive(w) || !w->visible || !w->invalid) continue;
    if (UIRenderWindow(w)) backend->Present(w);
  }
}

UIWindow* UINewPopupWindow(const UIRect& bounds) {
  UIWindow* w = UICreateWindow(kUIWindowPopup, bounds, "");
  if (w) w->contentColor = UIColor{0.98, 0.98, 0.98, 1};
  return w;
}

int32_t UIAddTrackingRegion(UIWindow* window, const UIRect& r, int32_t regionID) {
  if (!window) return kQVErrParam;
  UIRemoveTrackingRegion(window, regionID);
  window->regions.push_back(UITrackingRegion{regionID, r, false});
  return kQVNoErr;
}

void UIRemoveTrackingRegion(UIWindow* window, int32_t regionID) {
  if (!window) return;
  auto& v = window->regions;
  v.erase(std::remove_if(v.begin(), v.end(), [&](const UITrackingRegion& t) { return t.id == regionID; }), v.end());
}

void UIUpdateTrackingRegions(UIWindow* w, UIPoint where) {
  if (!w) return;
  std::vector<UITrackingRegion> regions = w->regions;
  for (UITrackingRegion& r : regions) {
    bool inside = UIRectContains(r.rect, where);
    if (inside == r.inside) continue;
    for (auto& live : w->regions)
      if (live.id == r.id) live.inside = inside;
    UIEvent e;
    e.kind = inside ? kUIEventMouseEntered : kUIEventMouseExited;
    e.window = w;
    e.where = where;
    e.regionID = r.id;
    UISendEvent(e);
  }
}

QVStatus UIDefineCursor(int32_t cursorID, int32_t pictureID, UIPoint hotSpot) {
  if (cursorID < 128) return kQVErrParam;
  UIImage* picture = UIGetPicture(pictureID);
  if (!picture) return kQVErrFileNotFound;
  if (hotSpot.x < 0 || hotSpot.y < 0 || hotSpot.x >= UIImageWidth(picture) || hotSpot.y >= UIImageHeight(picture))
    return kQVErrParam;
  UIState().customCursors[cursorID] = UICursorDefinition{pictureID, hotSpot};
  return kQVNoErr;
}

bool UICursorDefined(int32_t cursorID) { return UIState().customCursors.count(cursorID) != 0; }

void UISetCursor(int32_t cursorID) {
  UIToolkitState& st = UIState();
  if (st.cursor == cursorID) return;
  st.cursor = cursorID;
  if (UIBackendPtr()) UIBackendPtr()->SetCursor(cursorID);
}
int32_t UIGetCursor() { return UIState().cursor; }
