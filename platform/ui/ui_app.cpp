// Toolkit set-up and the handler chains.
#include <algorithm>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"

namespace {

UIToolkitState* gState = nullptr;
bool gRunning = false;
UIHandlerRef gNextRef = 0;

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
  for (UIControl* child : c->children)
    if (RemoveFromTree(child, ref)) return true;
  return false;
}

UIHandlerRef Install(UIHandlerChain& chain, UIHandler handler) {
  UIHandlerRef ref = ++gNextRef;
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

QVStatus UIInitToolkit(UIBackendKind kind) {
  if (gRunning) UIShutdownToolkit();
  UIToolkitState& st = UIState();
  std::unique_ptr<UIBackend> backend;
  if (kind == kUIBackendSDL || kind == kUIBackendAuto) backend = UIMakeSDLBackend();
  if (!backend) {
    if (kind == kUIBackendSDL) return kQVErrUnimplemented;
    backend = UIMakeHeadlessBackend();
  }
  st.backend = std::move(backend);
  gRunning = true;
  UIConnectPlatform();
  UIStartIdle();
  return kQVNoErr;
}

void UIShutdownToolkit() {
  if (!gState) return;
  UIDisconnectPlatform();
  UIStopIdle();
  UIToolkitState& st = UIState();
  while (!st.windows.empty()) UIDisposeWindow(st.windows.front());
  while (!st.menus.empty()) UIDisposeMenu(st.menus.front());
  st.appHandlers.clear();
  st.input.clear();
  st.modalStack.clear();
  st.menuBar.clear();
  UIResetLoop();
  st.backend.reset();
  delete gState;
  gState = nullptr;
  gRunning = false;
}

bool UIToolkitRunning() { return gRunning; }
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
  for (UIWindow* w : st.windows) {
    if (RemoveFrom(w->handlers, ref)) return;
    if (RemoveFromTree(w->root, ref)) return;
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

QVStatus UISendCommand(uint32_t command, uint32_t modifiers) {
  UIEvent e;
  e.kind = kUIEventCommand;
  e.command = command;
  e.modifiers = modifiers;
  UIToolkitState& st = UIState();
  e.window = st.modalStack.empty() ? st.keyWindow : st.modalStack.back();
  if (e.window) e.control = e.window->focus;
  return UISendEvent(e);
}

uint32_t UIGetModifiers() { return UIState().modifiers; }
uint32_t UIGetMouseButtons() { return UIState().buttons; }
