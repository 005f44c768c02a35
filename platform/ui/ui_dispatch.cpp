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

uint32_t ButtonBit(uint32_t button) { return button == kUIButtonRight ? 2u : button == kUIButtonLeft ? 1u : 4u; }

void MouseDown(UIEvent& e) {
  UIToolkitState& st = UIState();
  UIWindow* w = e.window;
  st.buttons |= ButtonBit(e.button);
  st.modifiers = e.modifiers;
  st.lastMouse = e.where;
  st.lastMouseWindow = w;
  if (!UIWindowAlive(w)) return;
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
  if (w != st.helpTagWindow) UIHideHelpTag();
  if (!st.modalStack.empty() && w != st.modalStack.back() && w->kind != kUIWindowPopup) {
    UIBeep();
    return;
  }
  if (w != st.keyWindow && w->kind != kUIWindowFloating && w->kind != kUIWindowPopup) UISelectWindow(w);
  if (w->showsMenuBar && e.where.y < UIMenuBarHeight() && e.button == kUIButtonLeft) {
    UIMenuBarClick(w, e.where);
    return;
  }
  UIControl* c = UIFindControlAt(w, e.where);
  e.control = (c && c->kind != kUIControlRoot) ? c : nullptr;
  if (e.button == kUIButtonRight || (e.modifiers & kUIModControl)) {
    e.kind = kUIEventContextClick;
    UISendEvent(e);
    return;
  }
  if (UISendEvent(e) != kQVErrNotHandled) return;
  if (e.control && UIControlAlive(e.control) && UIIsControlEnabled(e.control) && UIIsControlActive(e.control))
    UITrackControlDefault(e.control, e);
}

void MouseMoved(UIEvent& e) {
  UIToolkitState& st = UIState();
  st.modifiers = e.modifiers ? e.modifiers : st.modifiers;
  st.lastMouse = e.where;
  st.lastMouseWindow = e.window;
  if (!UIWindowAlive(e.window)) return;
  UIUpdateTrackingRegions(e.window, e.where);
  UIControl* c = UIFindControlAt(e.window, e.where);
  if (c && c->kind == kUIControlRoot) c = nullptr;
  if (c != st.hoverControl) {
    st.hoverControl = c;
    st.hoverSince = UINow();
    UIHideHelpTag();
  }
  e.control = c;
  UISendEvent(e);
}

void Wheel(UIEvent& e) {
  if (!UIWindowAlive(e.window)) return;
  UIControl* c = UIFindControlAt(e.window, e.where);
  e.control = (c && c->kind != kUIControlRoot) ? c : nullptr;
  if (UISendEvent(e) != kQVErrNotHandled) return;
  for (UIControl* p = e.control; p; p = p->parent) {
    if (p->kind == kUIControlList) {
      UIListData& L = *p->list;
      int32_t visible = std::max(1, (UIRectHeight(p->bounds) - kUIListHeaderHeight) / kUIListRowHeight);
      int32_t maxScroll = std::max(0, int32_t(L.rows.size()) - visible);
      L.scroll = std::clamp(L.scroll - int32_t(std::lround(e.wheelY * 3)), 0, maxScroll);
      UIInvalidateWindow(p->window);
      return;
    }
  }
}

void KeyDown(UIEvent& e) {
  UIToolkitState& st = UIState();
  st.modifiers = e.modifiers;
  UIWindow* w = UITargetWindow();
  e.window = w;
  // Menu keys work while no modal dialog is up.
  if ((e.modifiers & kUIModCommand) && st.modalStack.empty()) {
    UIMenuChoice choice = UIMatchMenuKey(e.charCode, e.modifiers);
    if (choice.item) {
      UISendMenuChoice(choice, e.modifiers);
      return;
    }
  }
  e.control = w ? w->focus : nullptr;
  if (UISendEvent(e) != kQVErrNotHandled) return;
  if (!w || !UIWindowAlive(w)) return;
  if (w->focus && UIControlKeyDefault(w->focus, e) != kQVErrNotHandled) return;
  switch (e.charCode) {
    case kUIKeyTab: UIAdvanceKeyboardFocus(w, (e.modifiers & kUIModShift) != 0); return;
    case kUIKeyReturn:
    case kUIKeyEnter:
      if (w->defaultButton && UIIsControlVisible(w->defaultButton) && UIIsControlEnabled(w->defaultButton))
        UIPressButton(w->defaultButton);
      return;
    case kUIKeyEscape:
      if (w->cancelButton && UIIsControlVisible(w->cancelButton) && UIIsControlEnabled(w->cancelButton))
        UIPressButton(w->cancelButton);
      return;
    case '.':
      if ((e.modifiers & kUIModCommand) && w->cancelButton) UIPressButton(w->cancelButton);
      return;
    default: return;
  }
}

}  // namespace

UIEvent UIControlEvent(UIEventKind kind, UIControl* c, int16_t part) {
  UIEvent e;
  e.kind = kind;
  e.control = c;
  e.window = c ? c->window : nullptr;
  e.part = part;
  return e;
}

UIWindow* UITargetWindow() {
  UIToolkitState& st = UIState();
  return st.modalStack.empty() ? st.keyWindow : st.modalStack.back();
}

std::vector<UIEvent> UIKeyEventsForText(const char* utf8, const UIEvent& model) {
  std::vector<UIEvent> keys;
  for (const char* p = utf8; p && *p;) {
    UIEvent e = model;
    e.kind = kUIEventKeyDown;
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

void UIDispatchInput(UIEvent& e) {
  if (e.time == 0) e.time = UINow();
  switch (e.kind) {
    case kUIEventMouseDown: MouseDown(e); break;
    case kUIEventMouseUp:
      UIState().buttons &= ~ButtonBit(e.button);
      if (UIWindowAlive(e.window)) {
        UIControl* c = UIFindControlAt(e.window, e.where);
        e.control = (c && c->kind != kUIControlRoot) ? c : nullptr;
        UISendEvent(e);
      }
      break;
    case kUIEventMouseMoved:
    case kUIEventMouseDragged: MouseMoved(e); break;
    case kUIEventMouseWheel: Wheel(e); break;
    case kUIEventKeyDown: KeyDown(e); break;
    case kUIEventModifiersChanged: {
      UIToolkitState& st = UIState();
      st.modifiers = e.modifiers;
      e.window = UITargetWindow();
      e.control = e.window ? e.window->focus : nullptr;
      UISendEvent(e);
      break;
    }
    case kUIEventWindowClose:
      if (UIWindowAlive(e.window) && UISendEvent(e) == kQVErrNotHandled) UIHideWindow(e.window);
      break;
    case kUIEventQuit:
      if (UISendEvent(e) == kQVErrNotHandled) UIRequestQuit();
      break;
    default:
      if (!e.window || UIWindowAlive(e.window)) UISendEvent(e);
      break;
  }
}

void UIControlHit(UIControl* c, int16_t part, uint32_t modifiers) {
  if (!c) return;
  UIWindow* w = c->window;
  UIEvent e = UIControlEvent(kUIEventControlHit, c, part);
  e.modifiers = modifiers;
  uint32_t command = c->command;  // a handler may dispose the control
  if (UISendEvent(e) != kQVErrNotHandled) return;
  if (command && UIWindowAlive(w)) {
    UIEvent cmd;
    cmd.kind = kUIEventCommand;
    cmd.command = command;
    cmd.window = w;
    // The sender goes with its command when it is still there.
    cmd.control = UIControlAlive(c) ? c : nullptr;
    cmd.modifiers = modifiers;
    UISendEvent(cmd);
  }
}

void UIPressButton(UIControl* control) {
  if (!control) return;
  UIHiliteControl(control, kUIPartButton);
  UIHiliteControl(control, kUIPartNone);
  if (control->kind == kUIControlBevelButton && control->sticky) UISetControlValue(control, control->value ? 0 : 1);
  if (control->kind == kUIControlCheckBox) UISetControlValue(control, control->value == 1 ? 0 : 1);
  UIControlHit(control, control->kind == kUIControlCheckBox ? kUIPartCheckBox : kUIPartButton, 0);
}

namespace {

// One step of a modal mouse loop: the next mouse event for `window` (a press
// only when presses are asked for; other input waits for after the loop),
// a time-out, or the end of input.
UIMouseTrackEvent TrackMouseStep(UIWindow* window, double timeout, bool withPresses, UIPoint* where,
                                 uint32_t* modifiers) {
  UIToolkitState& st = UIState();
  double deadline = UINow() + std::max(0.0, timeout);
  std::deque<UIEvent> deferred;
  UIMouseTrackEvent result = kUIMouseTrackTimedOut;
  // What the caller drew for the last step reaches the screen before the
  // next one: a drag shows its control, picture and scopes as it goes.
  UIRedrawInvalidWindows();
  // Whatever input is ready is taken in now, so that a run of moves made
  // while the last step was drawn counts as its last one alone.
  if (UIBackend* backend = UIBackendPtr()) backend->Pump(st.input);
  for (;;) {
    bool found = false;
    while (!st.input.empty()) {
      UIEvent e = st.input.front();
      st.input.pop_front();
      const bool press = withPresses && e.kind == kUIEventMouseDown;
      if (e.kind != kUIEventMouseDragged && e.kind != kUIEventMouseMoved && e.kind != kUIEventMouseUp && !press) {
        deferred.push_back(e);
        continue;
      }
      // Moves coalesce: of moves queued one after another, the latest stands for all.
      while ((e.kind == kUIEventMouseDragged || e.kind == kUIEventMouseMoved) && !st.input.empty() &&
             st.input.front().kind == e.kind && st.input.front().window == e.window) {
        e = st.input.front();
        st.input.pop_front();
      }
      UIPoint p = e.where;
      if (e.window && window && e.window != window) {
        p.x += e.window->bounds.left - window->bounds.left;
        p.y += e.window->bounds.top - window->bounds.top;
      }
      st.lastMouse = p;
      st.lastMouseWindow = window ? window : e.window;
      if (e.modifiers) st.modifiers = e.modifiers;
      if (e.kind == kUIEventMouseUp) {
        st.buttons &= ~ButtonBit(e.button);
        result = kUIMouseTrackUp;
      } else if (press) {
        st.buttons |= ButtonBit(e.button);
        result = kUIMouseTrackDown;
      } else {
        result = e.kind == kUIEventMouseMoved ? kUIMouseTrackMoved : kUIMouseTrackDragged;
      }
      found = true;
      break;
    }
    if (found) break;
    // With scripted input, a script that has run out has let go of the button.
    UIBackend* backend = UIBackendPtr();
    if (backend && backend->Kind() == kUIBackendHeadless && std::isinf(backend->NextInputTime())) {
      st.buttons = 0;
      result = kUIMouseTrackEnded;
      break;
    }
    if (UIQuitRequested()) {
      result = kUIMouseTrackEnded;
      break;
    }
    if (UINow() >= deadline) {
      result = kUIMouseTrackTimedOut;
      break;
    }
    UIWaitAndService(deadline);
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

UITrackResult UITrackMouse(UIWindow* window, double timeout, UIPoint* where, uint32_t* modifiers) {
  switch (TrackMouseStep(window, timeout, false, where, modifiers)) {
    case kUIMouseTrackUp:
    case kUIMouseTrackEnded: return kUITrackMouseUp;
    case kUIMouseTrackTimedOut: return kUITrackTimedOut;
    default: return kUITrackMouseDragged;
  }
}

UIMouseTrackEvent UITrackMouseEvents(UIWindow* window, double timeout, UIPoint* where, uint32_t* modifiers) {
  return TrackMouseStep(window, timeout, true, where, modifiers);
}
