// Input dispatch: mouse and keys to the handler chains, then the standard
// behaviour (control tracking, focus, default and cancel buttons, menu keys).
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_services.h"

namespace {

constexpr double kDoubleClickTime = 0.4;

uint32_t ButtonBit(uint32_t button) { return button == kTKButtonRight ? 2u : button == kTKButtonLeft ? 1u : 4u; }

void MouseDown(TKEvent& e) {
  TKToolkitState& st = TKState();
  TKWindow* w = e.window;
  st.buttons |= ButtonBit(e.button);
  st.modifiers = e.modifiers;
  st.lastMouse = e.where;
  st.lastMouseWindow = w;
  if (!TKWindowAlive(w)) return;
  if (e.clickCount <= 1) {
    bool near = std::abs(e.where.x - st.lastClickWhere.x) < 4 && std::abs(e.where.y - st.lastClickWhere.y) < 4;
    st.clickCount = (e.time - st.lastClickTime < kDoubleClickTime && near && st.mouseWindow == w) ? st.clickCount + 1 : 1;
    e.clickCount = st.clickCount;
  } else {
    st.clickCount = e.clickCount;
  }
  st.lastClickTime = e.time;
  st.lastClickWhere = e.where;
  st.mouseWindow = w;
  if (w != st.helpTagWindow) TKHideHelpTag();
  if (!st.modalStack.empty() && w != st.modalStack.back() && w->kind != kTKWindowPopup) {
    TKBeep();
    return;
  }
  if (w != st.keyWindow && w->kind != kTKWindowFloating && w->kind != kTKWindowPopup) TKSelectWindow(w);
  if (w->showsMenuBar && e.where.y < TKMenuBarHeight() && e.button == kTKButtonLeft) {
    TKMenuBarClick(w, e.where);
    return;
  }
  TKControl* c = TKFindControlAt(w, e.where);
  e.control = (c && c->kind != kTKControlRoot) ? c : nullptr;
  if (e.button == kTKButtonRight || (e.modifiers & kTKModControl)) {
    e.kind = kTKEventContextClick;
    // A context click nobody handles does nothing.
    QVIgnoreStatus(TKSendEvent(e));
    return;
  }
  if (TKSendEvent(e) != kQVErrNotHandled) return;
  if (e.control && TKControlAlive(e.control) && TKIsControlEnabled(e.control) && TKIsControlActive(e.control))
    TKTrackControlDefault(e.control, e);
}

void MouseMoved(TKEvent& e) {
  TKToolkitState& st = TKState();
  st.modifiers = e.modifiers ? e.modifiers : st.modifiers;
  st.lastMouse = e.where;
  st.lastMouseWindow = e.window;
  if (!TKWindowAlive(e.window)) return;
  TKUpdateTrackingRegions(e.window, e.where);
  TKControl* c = TKFindControlAt(e.window, e.where);
  if (c && c->kind == kTKControlRoot) c = nullptr;
  if (c != st.hoverControl) {
    st.hoverControl = c;
    st.hoverSince = TKNow();
    TKHideHelpTag();
  }
  e.control = c;
  // Nothing further to pass a move on to.
  QVIgnoreStatus(TKSendEvent(e));
}

void Wheel(TKEvent& e) {
  if (!TKWindowAlive(e.window)) return;
  TKControl* c = TKFindControlAt(e.window, e.where);
  e.control = (c && c->kind != kTKControlRoot) ? c : nullptr;
  if (TKSendEvent(e) != kQVErrNotHandled) return;
  for (TKControl* p = e.control; p; p = p->parent) {
    if (p->kind == kTKControlList) {
      TKListData& L = *p->list;
      int32_t visible = std::max(1, (TKRectHeight(p->bounds) - kTKListHeaderHeight) / kTKListRowHeight);
      int32_t maxScroll = std::max(0, int32_t(L.rows.size()) - visible);
      L.scroll = std::clamp(L.scroll - int32_t(std::lround(e.wheelY * 3)), 0, maxScroll);
      TKInvalidateWindow(p->window);
      return;
    }
  }
}

void KeyDown(TKEvent& e) {
  TKToolkitState& st = TKState();
  st.modifiers = e.modifiers;
  TKWindow* w = TKTargetWindow();
  e.window = w;
  // Menu keys work while no modal dialog is up.
  if ((e.modifiers & kTKModCommand) && st.modalStack.empty()) {
    TKMenuChoice choice = TKMatchMenuKey(e.charCode, e.modifiers);
    if (choice.item) {
      // A menu choice nobody answers does nothing.
      QVIgnoreStatus(TKSendMenuChoice(choice, e.modifiers));
      return;
    }
  }
  e.control = w ? w->focus : nullptr;
  if (TKSendEvent(e) != kQVErrNotHandled) return;
  if (!w || !TKWindowAlive(w)) return;
  if (w->focus && TKControlKeyDefault(w->focus, e) != kQVErrNotHandled) return;
  switch (e.charCode) {
    case kTKKeyTab: TKAdvanceKeyboardFocus(w, (e.modifiers & kTKModShift) != 0); return;
    case kTKKeyReturn:
    case kTKKeyEnter:
      if (w->defaultButton && TKIsControlVisible(w->defaultButton) && TKIsControlEnabled(w->defaultButton))
        TKPressButton(w->defaultButton);
      return;
    case kTKKeyEscape:
      if (w->cancelButton && TKIsControlVisible(w->cancelButton) && TKIsControlEnabled(w->cancelButton))
        TKPressButton(w->cancelButton);
      return;
    case '.':
      if ((e.modifiers & kTKModCommand) && w->cancelButton) TKPressButton(w->cancelButton);
      return;
    default: return;
  }
}

}  // namespace

TKEvent TKControlEvent(TKEventKind kind, TKControl* c, int16_t part) {
  TKEvent e;
  e.kind = kind;
  e.control = c;
  e.window = c ? c->window : nullptr;
  e.part = part;
  return e;
}

TKWindow* TKTargetWindow() {
  TKToolkitState& st = TKState();
  return st.modalStack.empty() ? st.keyWindow : st.modalStack.back();
}

std::vector<TKEvent> TKKeyEventsForText(const char* utf8, const TKEvent& model) {
  std::vector<TKEvent> keys;
  for (const char* p = utf8; p && *p;) {
    TKEvent e = model;
    e.kind = kTKEventKeyDown;
    std::fill(std::begin(e.text), std::end(e.text), '\0');
    unsigned char lead = static_cast<unsigned char>(*p);
    size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    size_t i = 0;
    for (; i < len && p[i]; ++i) e.text[i] = p[i];
    e.charCode = lead < 0x80 ? lead : 0;
    p += i;
    keys.push_back(e);
  }
  return keys;
}

void TKDispatchInput(TKEvent& e) {
  if (e.time == 0) e.time = TKNow();
  switch (e.kind) {
    case kTKEventMouseDown: MouseDown(e); break;
    case kTKEventMouseUp:
      TKState().buttons &= ~ButtonBit(e.button);
      if (TKWindowAlive(e.window)) {
        TKControl* c = TKFindControlAt(e.window, e.where);
        e.control = (c && c->kind != kTKControlRoot) ? c : nullptr;
        // Input with no fallback when nobody handles it.
        QVIgnoreStatus(TKSendEvent(e));
      }
      break;
    case kTKEventMouseMoved:
    case kTKEventMouseDragged: MouseMoved(e); break;
    case kTKEventMouseWheel: Wheel(e); break;
    case kTKEventKeyDown: KeyDown(e); break;
    case kTKEventModifiersChanged: {
      TKToolkitState& st = TKState();
      st.modifiers = e.modifiers;
      e.window = TKTargetWindow();
      e.control = e.window ? e.window->focus : nullptr;
      // Input with no fallback when nobody handles it.
      QVIgnoreStatus(TKSendEvent(e));
      break;
    }
    case kTKEventWindowClose:
      if (TKWindowAlive(e.window) && TKSendEvent(e) == kQVErrNotHandled) TKHideWindow(e.window);
      break;
    case kTKEventQuit:
      if (TKSendEvent(e) == kQVErrNotHandled) TKRequestQuit();
      break;
    default:
      // Input with no fallback when nobody handles it.
      if (!e.window || TKWindowAlive(e.window)) QVIgnoreStatus(TKSendEvent(e));
      break;
  }
}

void TKControlHit(TKControl* c, int16_t part, uint32_t modifiers) {
  if (!c) return;
  TKWindow* w = c->window;
  TKEvent e = TKControlEvent(kTKEventControlHit, c, part);
  e.modifiers = modifiers;
  uint32_t command = c->command;  // a handler may dispose the control
  if (TKSendEvent(e) != kQVErrNotHandled) return;
  if (command && TKWindowAlive(w)) {
    TKEvent cmd;
    cmd.kind = kTKEventCommand;
    cmd.command = command;
    cmd.window = w;
    // The sender goes with its command when it is still there.
    cmd.control = TKControlAlive(c) ? c : nullptr;
    cmd.modifiers = modifiers;
    // A command nobody answers does nothing.
    QVIgnoreStatus(TKSendEvent(cmd));
  }
}

void TKPressButton(TKControl* control) {
  if (!control) return;
  TKHiliteControl(control, kTKPartButton);
  TKHiliteControl(control, kTKPartNone);
  if (control->kind == kTKControlBevelButton && control->sticky) TKSetControlValue(control, control->value ? 0 : 1);
  if (control->kind == kTKControlCheckBox) TKSetControlValue(control, control->value == 1 ? 0 : 1);
  TKControlHit(control, control->kind == kTKControlCheckBox ? kTKPartCheckBox : kTKPartButton, 0);
}

namespace {

// One step of a modal mouse loop: the next mouse event for `window` (a press
// only when presses are asked for; other input waits for after the loop),
// a time-out, or the end of input.
TKMouseTrackEvent TrackMouseStep(TKWindow* window, double timeout, bool withPresses, TKPoint* where,
                                 uint32_t* modifiers) {
  TKToolkitState& st = TKState();
  double deadline = TKNow() + std::max(0.0, timeout);
  std::deque<TKEvent> deferred;
  TKMouseTrackEvent result = kTKMouseTrackTimedOut;
  // What the caller drew for the last step reaches the screen before the
  // next one: a drag shows its control, picture and scopes as it goes.
  TKRedrawInvalidWindows();
  // Whatever input is ready is taken in now, so that a run of moves made
  // while the last step was drawn counts as its last one alone.
  if (TKBackend* backend = TKBackendPtr()) backend->Pump(st.input);
  for (;;) {
    bool found = false;
    while (!st.input.empty()) {
      TKEvent e = st.input.front();
      st.input.pop_front();
      const bool press = withPresses && e.kind == kTKEventMouseDown;
      if (e.kind != kTKEventMouseDragged && e.kind != kTKEventMouseMoved && e.kind != kTKEventMouseUp && !press) {
        deferred.push_back(e);
        continue;
      }
      // Moves coalesce: of moves queued one after another, the latest stands for all.
      while ((e.kind == kTKEventMouseDragged || e.kind == kTKEventMouseMoved) && !st.input.empty() &&
             st.input.front().kind == e.kind && st.input.front().window == e.window) {
        e = st.input.front();
        st.input.pop_front();
      }
      TKPoint p = e.where;
      if (e.window && window && e.window != window) {
        p.x += e.window->bounds.left - window->bounds.left;
        p.y += e.window->bounds.top - window->bounds.top;
      }
      st.lastMouse = p;
      st.lastMouseWindow = window ? window : e.window;
      if (e.modifiers) st.modifiers = e.modifiers;
      if (e.kind == kTKEventMouseUp) {
        st.buttons &= ~ButtonBit(e.button);
        result = kTKMouseTrackUp;
      } else if (press) {
        st.buttons |= ButtonBit(e.button);
        result = kTKMouseTrackDown;
      } else {
        result = e.kind == kTKEventMouseMoved ? kTKMouseTrackMoved : kTKMouseTrackDragged;
      }
      found = true;
      break;
    }
    if (found) break;
    // With scripted input, a script that has run out has let go of the button.
    TKBackend* backend = TKBackendPtr();
    if (backend && backend->Kind() == kTKBackendHeadless && std::isinf(backend->NextInputTime())) {
      st.buttons = 0;
      result = kTKMouseTrackEnded;
      break;
    }
    if (TKQuitRequested()) {
      result = kTKMouseTrackEnded;
      break;
    }
    if (TKNow() >= deadline) {
      result = kTKMouseTrackTimedOut;
      break;
    }
    TKWaitAndService(deadline);
  }
  while (!deferred.empty()) {
    st.input.push_front(deferred.back());
    deferred.pop_back();
  }
  if (where) *where = st.lastMouse;
  if (modifiers) *modifiers = st.modifiers;
  return result;
}

}  // namespace

TKTrackResult TKTrackMouse(TKWindow* window, double timeout, TKPoint* where, uint32_t* modifiers) {
  switch (TrackMouseStep(window, timeout, false, where, modifiers)) {
    case kTKMouseTrackUp:
    case kTKMouseTrackEnded: return kTKTrackMouseUp;
    case kTKMouseTrackTimedOut: return kTKTrackTimedOut;
    default: return kTKTrackMouseDragged;
  }
}

TKMouseTrackEvent TKTrackMouseEvents(TKWindow* window, double timeout, TKPoint* where, uint32_t* modifiers) {
  return TrackMouseStep(window, timeout, true, where, modifiers);
}
