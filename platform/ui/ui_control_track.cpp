// Standard behaviour of the controls: mouse tracking and keys.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_services.h"

namespace {

constexpr int32_t kThumbSide = 16;
constexpr double kTrackPoll = 0.05;
constexpr double kPageRepeat = 0.1;

void SendValueChanged(TKControl* c, int16_t part) {
  TKEvent e = TKControlEvent(kTKEventValueChanged, c, part);
  // A notice: nothing follows from whether anyone handled it.
  QVIgnoreStatus(TKSendEvent(e));
}

// Buttons and check boxes: pressed while the mouse is inside, act on release inside.
void TrackButton(TKControl* c, const TKEvent& down, int16_t part) {
  TKWindow* w = c->window;
  TKPoint p = down.where;
  uint32_t mods = down.modifiers;
  TKHiliteControl(c, part);
  for (;;) {
    TKTrackResult r = TKTrackMouse(w, kTrackPoll, &p, &mods);
    if (r == kTKTrackTimedOut) continue;
    bool inside = TKRectContains(c->bounds, p);
    if (!TKControlAlive(c)) return;  // a timer may rebuild the window meanwhile
    TKHiliteControl(c, inside ? part : int16_t(kTKPartNone));
    if (r == kTKTrackMouseUp) break;
  }
  if (!TKRectContains(c->bounds, p)) return;
  TKHiliteControl(c, kTKPartNone);
  if (c->kind == kTKControlCheckBox) TKSetControlValue(c, c->value == 1 ? 0 : 1);
  if (c->kind == kTKControlBevelButton && c->sticky) TKSetControlValue(c, c->value ? 0 : 1);
  TKControlHit(c, part, mods);
}

void TrackSlider(TKControl* c, const TKEvent& down) {
  TKWindow* w = c->window;
  int16_t part = TKSliderPartAt(c, down.where);
  if (part == kTKPartNone) return;
  TKPoint p = down.where;
  uint32_t mods = down.modifiers;
  if (part == kTKPartThumb) {
    TKRect thumb = TKSliderThumbRect(c);
    int32_t grab = p.x - (thumb.left + thumb.right) / 2;
    TKHiliteControl(c, kTKPartThumb);
    for (;;) {
      TKTrackResult r = TKTrackMouse(w, kTrackPoll, &p, &mods);
      if (!TKControlAlive(c)) return;
      if (r == kTKTrackTimedOut) continue;
      int32_t v = TKSliderValueAt(c, p.x - grab);
      if (v != c->value) {
        TKSetControlValue(c, v);
        SendValueChanged(c, kTKPartThumb);
      }
      if (r == kTKTrackMouseUp) break;
    }
    TKHiliteControl(c, kTKPartNone);
    TKControlHit(c, kTKPartThumb, mods);
    return;
  }
  // Paging: one step now, then repeats while the button stays down over the track.
  int32_t page = c->pageSize > 0 ? c->pageSize : std::max(1, (c->maximum - c->minimum) / 10);
  TKHiliteControl(c, part);
  double nextStep = TKNow();
  for (;;) {
    if (TKNow() >= nextStep && TKSliderPartAt(c, p) == part) {
      int32_t v = c->value + (part == kTKPartPageUp ? -page : page);
      TKSetControlValue(c, v);
      SendValueChanged(c, part);
      nextStep = TKNow() + kPageRepeat;
    }
    TKTrackResult r = TKTrackMouse(w, std::max(0.0, nextStep - TKNow()), &p, &mods);
    if (!TKControlAlive(c)) return;
    if (r == kTKTrackMouseUp) break;
  }
  TKHiliteControl(c, kTKPartNone);
  TKControlHit(c, part, mods);
}

void TrackPopup(TKControl* c, const TKEvent& down) {
  if (!c->menu) return;
  TKHiliteControl(c, kTKPartMenu);
  TKMenuChoice choice = TKPopupMenu(c->menu, c->window, TKPoint{c->bounds.left, c->bounds.top}, c->value);
  TKHiliteControl(c, kTKPartNone);
  if (!choice.item || choice.menu != c->menu) {
    // A menu command nobody answers does nothing.
    if (choice.item && choice.command) QVIgnoreStatus(TKSendCommand(choice.command, down.modifiers));
    return;
  }
  TKSetControlValue(c, choice.item);
  TKControlHit(c, kTKPartMenu, down.modifiers);
}

int32_t EditOffsetAt(TKControl* c, TKPoint p) {
  return TKTextOffsetAtX(c->font, c->title.c_str(), p.x - (c->bounds.left + 4));
}

void TrackEditText(TKControl* c, const TKEvent& down) {
  TKWindow* w = c->window;
  // A control that refuses the focus keeps tracking the click.
  if (w->focus != c) QVIgnoreStatus(TKSetKeyboardFocus(w, c));
  int32_t anchor = EditOffsetAt(c, down.where);
  if (down.clickCount >= 2) {
    TKSetEditSelection(c, 0, int32_t(c->title.size()));
    return;
  }
  TKSetEditSelection(c, anchor, anchor);
  TKPoint p = down.where;
  uint32_t mods = 0;
  for (;;) {
    TKTrackResult r = TKTrackMouse(w, kTrackPoll, &p, &mods);
    if (r == kTKTrackTimedOut) continue;
    int32_t at = EditOffsetAt(c, p);
    TKSetEditSelection(c, std::min(anchor, at), std::max(anchor, at));
    if (r == kTKTrackMouseUp) break;
  }
}

void TrackUserPane(TKControl* c, const TKEvent& down) {
  int16_t part = c->pane.hitTest ? c->pane.hitTest(c, down.where) : int16_t(kTKPartButton);
  if (part == kTKPartNone) return;
  // A control that refuses the focus keeps tracking the click.
  if (c->pane.focus && c->window->focus != c) QVIgnoreStatus(TKSetKeyboardFocus(c->window, c));
  if (c->pane.track) {
    part = c->pane.track(c, down.where, down.modifiers);
  } else {
    TKPoint p = down.where;
    uint32_t mods = 0;
    while (TKTrackMouse(c->window, kTrackPoll, &p, &mods) != kTKTrackMouseUp) {
    }
    if (!TKRectContains(c->bounds, p)) part = kTKPartNone;
  }
  if (part != kTKPartNone) TKControlHit(c, part, down.modifiers);
}

// UTF-8 neighbours of a byte offset.
int32_t PrevChar(const std::string& s, int32_t i) {
  if (i <= 0) return 0;
  --i;
  while (i > 0 && (static_cast<unsigned char>(s[size_t(i)]) & 0xC0) == 0x80) --i;
  return i;
}
int32_t NextChar(const std::string& s, int32_t i) {
  int32_t n = int32_t(s.size());
  if (i >= n) return n;
  ++i;
  while (i < n && (static_cast<unsigned char>(s[size_t(i)]) & 0xC0) == 0x80) ++i;
  return i;
}

void ReplaceSelection(TKControl* c, const std::string& with) {
  c->title.replace(size_t(c->selStart), size_t(c->selEnd - c->selStart), with);
  c->selStart = c->selEnd = c->selStart + int32_t(with.size());
}

QVStatus EditTextKey(TKControl* c, const TKEvent& e) {
  std::string& s = c->title;
  bool changed = false;
  switch (e.charCode) {
    case kTKKeyTab:
    case kTKKeyReturn:
    case kTKKeyEnter:
    case kTKKeyEscape: return kQVErrNotHandled;
    case kTKKeyBackspace:
      if (c->selStart == c->selEnd) c->selStart = PrevChar(s, c->selStart);
      changed = c->selEnd > c->selStart;
      ReplaceSelection(c, "");
      break;
    case kTKKeyDelete:
      if (c->selStart == c->selEnd) c->selEnd = NextChar(s, c->selEnd);
      changed = c->selEnd > c->selStart;
      ReplaceSelection(c, "");
      break;
    case kTKKeyLeft: {
      int32_t to = c->selStart == c->selEnd ? PrevChar(s, c->selStart) : c->selStart;
      if (e.modifiers & kTKModCommand) to = 0;
      c->selStart = c->selEnd = to;
      break;
    }
    case kTKKeyRight: {
      int32_t to = c->selStart == c->selEnd ? NextChar(s, c->selEnd) : c->selEnd;
      if (e.modifiers & kTKModCommand) to = int32_t(s.size());
      c->selStart = c->selEnd = to;
      break;
    }
    case kTKKeyUp:
    case kTKKeyDown: return kQVErrNotHandled;
    default: {
      if (e.modifiers & kTKModCommand) {
        uint32_t ch = e.charCode | 0x20;
        if (ch == 'a') {
          c->selStart = 0;
          c->selEnd = int32_t(s.size());
          break;
        }
        if (ch == 'c' || ch == 'x') {
          std::string sel = s.substr(size_t(c->selStart), size_t(c->selEnd - c->selStart));
          // A clipboard that refuses the copy keeps what it had; the field is unchanged either way.
          if (!sel.empty()) QVIgnoreStatus(TKClipboardPut(kTKFlavourText, sel.data(), sel.size()));
          if (ch == 'x' && !sel.empty()) {
            ReplaceSelection(c, "");
            changed = true;
          }
          break;
        }
        if (ch == 'v') {
          std::vector<uint8_t> bytes;
          if (TKClipboardGet(kTKFlavourText, &bytes) != kQVNoErr) break;
          std::string text(bytes.begin(), bytes.end());
          // One line only: stop at the first line break.
          text = text.substr(0, text.find_first_of("\r\n"));
          ReplaceSelection(c, text);
          changed = true;
          break;
        }
        return kQVErrNotHandled;
      }
      if (!e.text[0] || static_cast<unsigned char>(e.text[0]) < 32) return kQVErrNotHandled;
      ReplaceSelection(c, e.text);
      changed = true;
      break;
    }
  }
  TKInvalidateWindow(c->window);
  if (changed) SendValueChanged(c, kTKPartEditText);
  return kQVNoErr;
}

}  // namespace

TKRect TKSliderThumbRect(TKControl* c) {
  int32_t span = std::max(1, TKRectWidth(c->bounds) - kThumbSide);
  double range = double(c->maximum) - double(c->minimum);
  double t = range > 0 ? (double(c->value) - c->minimum) / range : 0.0;
  int32_t left = c->bounds.left + int32_t(std::lround(t * span));
  int32_t top = (c->bounds.top + c->bounds.bottom) / 2 - kThumbSide / 2;
  return TKMakeRect(left, top, kThumbSide, kThumbSide);
}

int32_t TKSliderValueAt(TKControl* c, int32_t x) {
  int32_t span = std::max(1, TKRectWidth(c->bounds) - kThumbSide);
  double t = std::clamp(double(x - c->bounds.left - kThumbSide / 2) / span, 0.0, 1.0);
  double v = c->minimum + t * (double(c->maximum) - double(c->minimum));
  return int32_t(std::lround(v));
}

int16_t TKSliderPartAt(TKControl* c, TKPoint p) {
  if (!TKRectContains(c->bounds, p)) return kTKPartNone;
  TKRect thumb = TKSliderThumbRect(c);
  if (p.x >= thumb.left && p.x < thumb.right) return kTKPartThumb;
  return p.x < thumb.left ? kTKPartPageUp : kTKPartPageDown;
}

int32_t TKPrevCharOffset(const std::string& s, int32_t i) { return PrevChar(s, i); }

void TKTrackControlDefault(TKControl* c, const TKEvent& down) {
  switch (c->kind) {
    case kTKControlPushButton:
    case kTKControlBevelButton: TrackButton(c, down, kTKPartButton); break;
    case kTKControlCheckBox: TrackButton(c, down, kTKPartCheckBox); break;
    case kTKControlSlider: TrackSlider(c, down); break;
    case kTKControlPopupButton: TrackPopup(c, down); break;
    case kTKControlEditText: TrackEditText(c, down); break;
    case kTKControlList: TKListClick(c, down); break;
    case kTKControlUserPane: TrackUserPane(c, down); break;
    default: break;
  }
}

QVStatus TKControlKeyDefault(TKControl* c, const TKEvent& key) {
  if (!TKIsControlEnabled(c)) return kQVErrNotHandled;
  switch (c->kind) {
    case kTKControlEditText: return EditTextKey(c, key);
    case kTKControlUserPane: return c->pane.key ? c->pane.key(c, key) : kQVErrNotHandled;
    case kTKControlList: return TKListKey(c, key);
    default: return kQVErrNotHandled;
  }
}
