// Toolkit set-up and the handler chains.
#include <algorithm>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"

namespace {

// The toolkit's one context. Never freed at exit: a program may end with the
// toolkit running, and the backend must not close windows after the display
// libraries have gone.
TKToolkitState* gState = nullptr;

// Every chain that holds handlers, for removal by reference.
bool RemoveFrom(TKHandlerChain& chain, TKHandlerRef ref) {
  auto it = std::find_if(chain.begin(), chain.end(), [&](const TKHandlerEntry& e) { return e.ref == ref; });
  if (it == chain.end()) return false;
  chain.erase(it);
  return true;
}

bool RemoveFromTree(TKControl* c, TKHandlerRef ref) {
  if (!c) return false;
  if (RemoveFrom(c->handlers, ref)) return true;
  for (auto& child : c->children)
    if (RemoveFromTree(child.get(), ref)) return true;
  return false;
}

TKHandlerRef Install(TKHandlerChain& chain, TKHandler handler) {
  TKHandlerRef ref = ++TKState().lastHandlerRef;
  chain.insert(chain.begin(), TKHandlerEntry{ref, std::move(handler)});
  return ref;
}

// Runs one chain; a copy, since a handler may install or remove handlers.
QVStatus RunChain(const TKHandlerChain& chain, TKEvent& e) {
  TKHandlerChain copy = chain;
  for (auto& entry : copy) {
    QVStatus s = entry.fn(e);
    if (s != kQVErrNotHandled) return s;
  }
  return kQVErrNotHandled;
}

}  // namespace

TKToolkitState& TKState() {
  if (!gState) gState = new TKToolkitState;
  return *gState;
}

TKBackend* TKBackendPtr() { return gState ? gState->backend.get() : nullptr; }

std::vector<TKWindow*> TKWindowList() {
  std::vector<TKWindow*> list;
  for (auto& w : TKState().windows) list.push_back(w.get());
  return list;
}

std::vector<TKControl*> TKChildList(TKControl* c) {
  std::vector<TKControl*> list;
  if (c)
    for (auto& child : c->children) list.push_back(child.get());
  return list;
}

QVStatus TKInitToolkit(TKBackendKind kind) {
  if (TKToolkitRunning()) TKShutdownToolkit();
  TKToolkitState& st = TKState();
  std::unique_ptr<TKBackend> backend;
  if (kind == kTKBackendSDL || kind == kTKBackendAuto) backend = TKMakeSDLBackend();
  if (!backend) {
    if (kind == kTKBackendSDL) return kQVErrUnimplemented;
    backend = TKMakeHeadlessBackend();
  }
  st.backend = std::move(backend);
  st.running = true;
  TKConnectPlatform();
  TKStartIdle();
  return kQVNoErr;
}

void TKShutdownToolkit() {
  TKResetLoopDoor();
  if (!gState) return;
  TKDisconnectPlatform();
  // Windows close through the backend while it is still there; the rest of
  // the context goes as a whole.
  while (!gState->windows.empty()) TKDisposeWindow(gState->windows.front().get());
  delete gState;
  gState = nullptr;
}

bool TKToolkitRunning() { return gState && gState->running; }
TKBackendKind TKGetBackendKind() { return TKBackendPtr() ? TKBackendPtr()->Kind() : kTKBackendHeadless; }

TKHandlerRef TKInstallControlHandler(TKControl* control, TKHandler handler) {
  if (!control || !handler) return 0;
  return Install(control->handlers, std::move(handler));
}

TKHandlerRef TKInstallWindowHandler(TKWindow* window, TKHandler handler) {
  if (!window || !handler) return 0;
  return Install(window->handlers, std::move(handler));
}

TKHandlerRef TKInstallAppHandler(TKHandler handler) {
  if (!handler) return 0;
  return Install(TKState().appHandlers, std::move(handler));
}

void TKRemoveHandler(TKHandlerRef ref) {
  if (!ref) return;
  TKToolkitState& st = TKState();
  if (RemoveFrom(st.appHandlers, ref)) return;
  for (auto& w : st.windows) {
    if (RemoveFrom(w->handlers, ref)) return;
    if (RemoveFromTree(w->root.get(), ref)) return;
  }
}

QVStatus TKSendThroughChains(TKEvent& e, bool includeApp) {
  // The path is taken first: a handler may dispose controls or the window.
  std::vector<TKControl*> path;
  for (TKControl* c = e.control; c && c->kind != kTKControlRoot; c = c->parent) {
    path.push_back(c);
    // A control's drawing is its own business, never its container's.
    if (e.kind == kTKEventDraw) break;
  }
  TKWindow* window = e.window;
  for (TKControl* c : path) {
    if (!TKControlAlive(c)) continue;
    QVStatus s = RunChain(c->handlers, e);
    if (s != kQVErrNotHandled) return s;
  }
  if (window && TKWindowAlive(window)) {
    QVStatus s = RunChain(window->handlers, e);
    if (s != kQVErrNotHandled) return s;
  }
  if (includeApp) return RunChain(TKState().appHandlers, e);
  return kQVErrNotHandled;
}

QVStatus TKSendEvent(TKEvent& e) {
  if (e.control && !e.window) e.window = e.control->window;
  if (e.time == 0) e.time = TKNow();
  QVStatus s = TKSendThroughChains(e, true);
  if (s == kQVErrNotHandled && e.kind == kTKEventCommand && e.command == kTKCommandQuit) {
    TKRequestQuit();
    return kQVNoErr;
  }
  return s;
}

QVStatus TKSendMenuChoice(const TKMenuChoice& choice, uint32_t modifiers) {
  TKEvent e;
  e.kind = kTKEventCommand;
  e.command = choice.command;
  e.menu = choice.menu;
  e.menuItem = choice.item;
  e.modifiers = modifiers;
  e.window = TKTargetWindow();
  e.control = e.window ? e.window->focus : nullptr;
  return TKSendEvent(e);
}

QVStatus TKSendCommand(uint32_t command, uint32_t modifiers) {
  return TKSendMenuChoice(TKMenuChoice{nullptr, 0, command}, modifiers);
}

uint32_t TKGetModifiers() { return TKState().modifiers; }
uint32_t TKGetMouseButtons() { return TKState().buttons; }

TKPoint TKGetMouseLocation() {
  const TKToolkitState& st = TKState();
  TKPoint p = st.lastMouse;
  if (st.lastMouseWindow && TKWindowAlive(st.lastMouseWindow)) {
    p.x += st.lastMouseWindow->bounds.left;
    p.y += st.lastMouseWindow->bounds.top;
  }
  return p;
}

TKPoint TKGetMouseLocationInWindow(TKWindow* window) {
  const TKRect frame = TKGetWindowBounds(window);
  TKPoint p = TKGetMouseLocation();
  p.x -= frame.left;
  p.y -= frame.top;
  return p;
}
