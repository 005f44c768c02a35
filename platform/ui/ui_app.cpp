// Toolkit set-up and the handler chains.
#include <algorithm>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"

namespace {

// The toolkit's one context. Never freed at exit: a program may end with the
// toolkit running, and the backend must not close windows after the display
// libraries have gone.
UIToolkitState* gState = nullptr;

// Every chain that holds handlers, for removal by reference.
bool RemoveFrom(UIHandlerChain& chain, UIHandlerRef ref) {
  auto it = std::find_if(chain.begin(), chain.end(), [&](const UIHandlerEntry& e) { return e.ref == ref; });
  if (it == chain.end()) return false;
  chain.erase(it);
  return true;
}

bool RemoveFromTree(UIControl* c, UIHandlerRef ref) {
  if (!c) return false;
  if (RemoveFrom(c->handlers, ref)) return true;
  for (auto& child : c->children)
    if (RemoveFromTree(child.get(), ref)) return true;
  return false;
}

UIHandlerRef Install(UIHandlerChain& chain, UIHandler handler) {
  UIHandlerRef ref = ++UIState().lastHandlerRef;
  chain.insert(chain.begin(), UIHandlerEntry{ref, std::move(handler)});
  return ref;
}

// Runs one chain; a copy, since a handler may install or remove handlers.
QVStatus RunChain(const UIHandlerChain& chain, UIEvent& e) {
  UIHandlerChain copy = chain;
  for (auto& entry : copy) {
    QVStatus s = entry.fn(e);
    if (s != kQVErrNotHandled) return s;
  }
  return kQVErrNotHandled;
}

}  // namespace

UIToolkitState& UIState() {
  if (!gState) gState = new UIToolkitState;
  return *gState;
}

UIBackend* UIBackendPtr() { return gState ? gState->backend.get() : nullptr; }

std::vector<UIWindow*> UIWindowList() {
  std::vector<UIWindow*> list;
  for (auto& w : UIState().windows) list.push_back(w.get());
  return list;
}

std::vector<UIControl*> UIChildList(UIControl* c) {
  std::vector<UIControl*> list;
  if (c)
    for (auto& child : c->children) list.push_back(child.get());
  return list;
}

QVStatus UIInitToolkit(UIBackendKind kind) {
  if (UIToolkitRunning()) UIShutdownToolkit();
  UIToolkitState& st = UIState();
  std::unique_ptr<UIBackend> backend;
  if (kind == kUIBackendSDL || kind == kUIBackendAuto) backend = UIMakeSDLBackend();
  if (!backend) {
    if (kind == kUIBackendSDL) return kQVErrUnimplemented;
    backend = UIMakeHeadlessBackend();
  }
  st.backend = std::move(backend);
  st.running = true;
  UIConnectPlatform();
  UIStartIdle();
  return kQVNoErr;
}

void UIShutdownToolkit() {
  UIResetLoopDoor();
  if (!gState) return;
  UIDisconnectPlatform();
  // Windows close through the backend while it is still there; the rest of
  // the context goes as a whole.
  while (!gState->windows.empty()) UIDisposeWindow(gState->windows.front().get());
  delete gState;
  gState = nullptr;
}

bool UIToolkitRunning() { return gState && gState->running; }
UIBackendKind UIGetBackendKind() { return UIBackendPtr() ? UIBackendPtr()->Kind() : kUIBackendHeadless; }

UIHandlerRef UIInstallControlHandler(UIControl* control, UIHandler handler) {
  if (!control || !handler) return 0;
  return Install(control->handlers, std::move(handler));
}

UIHandlerRef UIInstallWindowHandler(UIWindow* window, UIHandler handler) {
  if (!window || !handler) return 0;
  return Install(window->handlers, std::move(handler));
}

UIHandlerRef UIInstallAppHandler(UIHandler handler) {
  if (!handler) return 0;
  return Install(UIState().appHandlers, std::move(handler));
}

void UIRemoveHandler(UIHandlerRef ref) {
  if (!ref) return;
  UIToolkitState& st = UIState();
  if (RemoveFrom(st.appHandlers, ref)) return;
  for (auto& w : st.windows) {
    if (RemoveFrom(w->handlers, ref)) return;
    if (RemoveFromTree(w->root.get(), ref)) return;
  }
}

QVStatus UISendThroughChains(UIEvent& e, bool includeApp) {
  // The path is taken first: a handler may dispose controls or the window.
  std::vector<UIControl*> path;
  for (UIControl* c = e.control; c && c->kind != kUIControlRoot; c = c->parent) {
    path.push_back(c);
    // A control's drawing is its own business, never its container's.
    if (e.kind == kUIEventDraw) break;
  }
  UIWindow* window = e.window;
  for (UIControl* c : path) {
    if (!UIControlAlive(c)) continue;
    QVStatus s = RunChain(c->handlers, e);
    if (s != kQVErrNotHandled) return s;
  }
  if (window && UIWindowAlive(window)) {
    QVStatus s = RunChain(window->handlers, e);
    if (s != kQVErrNotHandled) return s;
  }
  if (includeApp) return RunChain(UIState().appHandlers, e);
  return kQVErrNotHandled;
}

QVStatus UISendEvent(UIEvent& e) {
  if (e.control && !e.window) e.window = e.control->window;
  if (e.time == 0) e.time = UINow();
  QVStatus s = UISendThroughChains(e, true);
  if (s == kQVErrNotHandled && e.kind == kUIEventCommand && e.command == kUICommandQuit) {
    UIRequestQuit();
    return kQVNoErr;
  }
  return s;
}

QVStatus UISendMenuChoice(const UIMenuChoice& choice, uint32_t modifiers) {
  UIEvent e;
  e.kind = kUIEventCommand;
  e.command = choice.command;
  e.menu = choice.menu;
  e.menuItem = choice.item;
  e.modifiers = modifiers;
  e.window = UITargetWindow();
  e.control = e.window ? e.window->focus : nullptr;
  return UISendEvent(e);
}

QVStatus UISendCommand(uint32_t command, uint32_t modifiers) {
  return UISendMenuChoice(UIMenuChoice{nullptr, 0, command}, modifiers);
}

uint32_t UIGetModifiers() { return UIState().modifiers; }
uint32_t UIGetMouseButtons() { return UIState().buttons; }

UIPoint UIGetMouseLocation() {
  const UIToolkitState& st = UIState();
  UIPoint p = st.lastMouse;
  if (st.lastMouseWindow && UIWindowAlive(st.lastMouseWindow)) {
    p.x += st.lastMouseWindow->bounds.left;
    p.y += st.lastMouseWindow->bounds.top;
  }
  return p;
}

UIPoint UIGetMouseLocationInWindow(UIWindow* window) {
  const UIRect frame = UIGetWindowBounds(window);
  UIPoint p = UIGetMouseLocation();
  p.x -= frame.left;
  p.y -= frame.top;
  return p;
}
