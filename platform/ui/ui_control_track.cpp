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

void SendValueChanged(UIControl* c, int16_t part) {
  UIEvent e = UIControlEvent(kUIEventValueChanged, c, part);
  UISendEvent(e);
}

// Buttons and check boxes: pressed while the mouse is inside, act on release inside.
void TrackButton(UIControl* c, const UIEvent& down, int16_t part) {
  UIWindow* w = c->window;
  UIPoint p = down.where;
  uint32_t mods = down.modifiers;
  UIHiliteControl(c, part);
  for (;;) {
    UITrackResult r = UITrackMouse(w, kTrackPoll, &p, &mods);
    if (r == kUITrackTimedOut) continue;
    bool inside = UIRectContains(c->bounds, p);
    if (!UIControlAlive(c)) return;  // a timer may rebuild the window meanwhile
    UIHiliteControl(c, inside ? part : int16_t(kUIPartNone));
    if (r == kUITrackMouseUp) break;
  }
  if (!UIRectContains(c->bounds, p)) return;
  UIHiliteControl(c, kUIPartNone);
  if (c->kind == kUIControlCheckBox) UISetControlValue(c, c->value == 1 ? 0 : 1);
  if (c->kind == kUIControlBevelButton && c->sticky) UISetControlValue(c, c->value ? 0 : 1);
  UIControlHit(c, part, mods);
}

void TrackSlider(UIControl* c, const UIEvent& down) {
  UIWindow* w = c->window;
  int16_t part = UISliderPartAt(c, down.where);
  if (part == kUIPartNone) return;
  UIPoint p = down.where;
  uint32_t mods = down.modifiers;
  if (part == kUIPartThumb) {
    UIRect thumb = UISliderThumbRect(c);
    int32_t grab = p.x - (thumb.left + thumb.right) / 2;
    UIHiliteControl(c, kUIPartThumb);
    for (;;) {
      UITrackResult r = UITrackMouse(w, kTrackPoll, &p, &mods);
      if (!UIControlAlive(c)) return;
      if (r == kUITrackTimedOut) continue;
      int32_t v = UISliderValueAt(c, p.x - grab);
      if (v != c->value) {
        UISetControlValue(c, v);
        SendValueChanged(c, kUIPartThumb);
      }
      if (r == kUITrackMouseUp) break;
    }
    UIHiliteControl(c, kUIPartNone);
    UIControlHit(c, kUIPartThumb, mods);
    return;
  }
  // Paging: one step now, then repeats while the button stays down over the track.
  int32_t page = c->pageSize > 0 ? c->pageSize : std::max(1, (c->maximum - c->minimum) / 10);
  UIHiliteControl(c, part);
  double nextStep = UINow();
  for (;;) {
    if (UINow() >= nextStep && UISliderPartAt(c, p) == part) {
      int32_t v = c->value + (part == kUIPartPageUp ? -page : page);
      UISetControlValue(c, v);
      SendValueChanged(c, part);
      nextStep = UINow() + kPageRepeat;
    }
    UITrackResult r = UITrackMouse(w, std::max(0.0, nextStep - UINow()), &p, &mods);
    if (!UIControlAlive(c)) return;
    if (r == kUITrackMouseUp) break;
  }
  UIHiliteControl(c, kUIPartNone);
  UIControlHit(c, part, mods);
}

void TrackPopup(UIControl* c, const UIEvent& down) {
  if (!c->menu) return;
  UIHiliteControl(c, kUIPartMenu);
  UIMenuChoice choice = UIPopupMenu(c->menu, c->window, UIPoint{c->bounds.left, c->bounds.top}, c->value);
  UIHiliteControl(c, kUIPartNone);
  if (!choice.item || choice.menu != c->menu) {
    if (choice.item && choice.command) UISendCommand(choice.command, down.modifiers);
    return;
  }
  UISetControlValue(c, choice.item);
  UIControlHit(c, kUIPartMenu, down.modifiers);
}

int32_t EditOffsetAt(UIControl* c, UIPoint p) {
  return UITextOffsetAtX(c->font, c->title.c_str(), p.x - (c->bounds.left + 4));
}

void TrackEditText(UIControl* c, const UIEvent& down) {
  UIWindow* w = c->window;
  if (w->focus != c) UISetKeyboardFocus(w, c);
  int32_t anchor = EditOffsetAt(c, down.where);
  if (down.clickCount >= 2) {
    UISetEditSelection(c, 0, int32_t(c->title.size()));
    return;
  }
  UISetEditSelection(c, anchor, anchor);
  UIPoint p = down.where;
  uint32_t mods = 0;
  for (;;) {
    UITrackResult r = UITrackMouse(w, kTrackPoll, &p, &mods);
    if (r == kUITrackTimedOut) continue;
    int32_t at = EditOffsetAt(c, p);
    UISetEditSelection(c, std::min(anchor, at), std::max(anchor, at));
    if (r == kUITrackMouseUp) break;
  }
}

void TrackUserPane(UIControl* c, const UIEvent& down) {
  int16_t part = c->pane.hitTest ? c->pane.hitTest(c, down.where) : int16_t(kUIPartButton);
  if (part == kUIPartNone) return;
  if (c->pane.focus && c->window->focus != c) UISetKeyboardFocus(c->window, c);
  if (c->pane.track) {
    part = c->pane.track(c, down.where, down.modifiers);
  } else {
    UIPoint p = down.where;
    uint32_t mods = 0;
    while (UITrackMouse(c->window, kTrackPoll, &p, &mods) != kUITrackMouseUp) {
    }
    if (!UIRectContains(c->bounds, p)) part = kUIPartNone;
  }
  if (part != kUIPartNone) UIControlHit(c, part, down.modifiers);
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

void ReplaceSelection(UIControl* c, const std::string& with) {
  c->title.replace(size_t(c->selStart), size_t(c->selEnd - c->selStart), with);
  c->selStart = c->selEnd = c->selStart + int32_t(with.size());
}

QVStatus EditTextKey(UIControl* c, const UIEvent& e) {
  std::string& s = c->title;
  bool changed = false;
  switch (e.charCode) {
    case kUIKeyTab:
    case kUIKeyReturn:
    case kUIKeyEnter:
    case kUIKeyEscape: return kQVErrNotHandled;
    case kUIKeyBackspace:
      if (c->selStart == c->selEnd) c->selStart = PrevChar(s, c->selStart);
      changed = c->selEnd > c->selStart;
      ReplaceSelection(c, "");
      break;
    case kUIKeyDelete:
      if (c->selStart == c->selEnd) c->selEnd = NextChar(s, c->selEnd);
      changed = c->selEnd > c->selStart;
      ReplaceSelection(c, "");
      break;
    case kUIKeyLeft: {
      int32_t to = c->selStart == c->selEnd ? PrevChar(s, c->selStart) : c->selStart;
      if (e.modifiers & kUIModCommand) to = 0;
      c->selStart = c->selEnd = to;
      break;
    }
    case kUIKeyRight: {
      int32_t to = c->selStart == c->selEnd ? NextChar(s, c->selEnd) : c->selEnd;
      if (e.modifiers & kUIModCommand) to = int32_t(s.size());
      c->selStart = c->selEnd = to;
      break;
    }
    case kUIKeyUp:
    case kUIKeyDown: return kQVErrNotHandled;
    default: {
      if (e.modifiers & kUIModCommand) {
        uint32_t ch = e.charCode | 0x20;
        if (ch == 'a') {
          c->selStart = 0;
          c->selEnd = int32_t(s.size());
          break;
        }
        if (ch == 'c' || ch == 'x') {
          std::string sel = s.substr(size_t(c->selStart), size_t(c->selEnd - c->selStart));
          if (!sel.empty()) UIClipboardPut(kUIFlavourText, sel.data(), sel.size());
          if (ch == 'x' && !sel.empty()) {
            ReplaceSelection(c, "");
            changed = true;
          }
          break;
        }
        if (ch == 'v') {
          std::vector<uint8_t> bytes;
          if (UIClipboardGet(kUIFlavourText, &bytes) != kQVNoErr) break;
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
  UIInvalidateWindow(c->window);
  if (changed) SendValueChanged(c, kUIPartEditText);
  return kQVNoErr;
}

}  // namespace

UIRect UISliderThumbRect(UIControl* c) {
  int32_t span = std::max(1, UIRectWidth(c->bounds) - kThumbSide);
  double range = double(c->maximum) - double(c->minimum);
  double t = range > 0 ? (double(c->value) - c->minimum) / range : 0.0;
  int32_t left = c->bounds.left + int32_t(std::lround(t * span));
  int32_t top = (c->bounds.top + c->bounds.bottom) / 2 - kThumbSide / 2;
  return UIMakeRect(left, top, kThumbSide, kThumbSide);
}

int32_t UISliderValueAt(UIControl* c, int32_t x) {
  int32_t span = std::max(1, UIRectWidth(c->bounds) - kThumbSide);
  double t = std::clamp(double(x - c->bounds.left - kThumbSide / 2) / span, 0.0, 1.0);
  double v = c->minimum + t * (double(c->maximum) - double(c->minimum));
  return int32_t(std::lround(v));
}

int16_t UISliderPartAt(UIControl* c, UIPoint p) {
  if (!UIRectContains(c->bounds, p)) return kUIPartNone;
  UIRect thumb = UISliderThumbRect(c);
  if (p.x >= thumb.left && p.x < thumb.right) return kUIPartThumb;
  return p.x < thumb.left ? kUIPartPageUp : kUIPartPageDown;
}

void UITrackControlDefault(UIControl* c, const UIEvent& down) {
  switch (c->kind) {
    case kUIControlPushButton:
    case kUIControlBevelButton: TrackButton(c, down, kUIPartButton); break;
    case kUIControlCheckBox: TrackButton(c, down, kUIPartCheckBox); break;
    case kUIControlSlider: TrackSlider(c, down); break;
    case kUIControlPopupButton: TrackPopup(c, down); break;
    case kUIControlEditText: TrackEditText(c, down); break;
    case kUIControlList: UIListClick(c, down); break;
    case kUIControlUserPane: TrackUserPane(c, down); break;
    default: break;
  }
}

QVStatus UIControlKeyDefault(UIControl* c, const UIEvent& key) {
  if (!UIIsControlEnabled(c)) return kQVErrNotHandled;
  switch (c->kind) {
    case kUIControlEditText: return EditTextKey(c, key);
    case kUIControlUserPane: return c->pane.key ? c->pane.key(c, key) : kQVErrNotHandled;
    case kUIControlList: {
      UIListData& L = *c->list;
      if (L.editRow >= 0) {
        if (key.charCode == kUIKeyReturn || key.charCode == kUIKeyEnter || key.charCode == kUIKeyTab) {
          int32_t row = L.editRow, col = L.editColumn;
          L.editRow = L.editColumn = -1;
          UIListSetCell(c, row, col, L.editText.c_str());
          UIEvent e = UIControlEvent(kUIEventValueChanged, c, kUIPartList);
          e.row = row;
          e.column = col;
          UISendEvent(e);
          return kQVNoErr;
        }
        if (key.charCode == kUIKeyEscape) {
          L.editRow = L.editColumn = -1;
        } else if (key.charCode == kUIKeyBackspace) {
          if (!L.editText.empty()) L.editText.resize(size_t(PrevChar(L.editText, int32_t(L.editText.size()))));
        } else if (key.text[0] && static_cast<unsigned char>(key.text[0]) >= 32) {
          L.editText += key.text;
        }
        UIInvalidateWindow(c->window);
        return kQVNoErr;
      }
      if (key.charCode == kUIKeyUp || key.charCode == kUIKeyDown) {
        int32_t n = int32_t(L.rows.size());
        if (n == 0) return kQVNoErr;
        int32_t row = L.selected < 0 ? 0 : L.selected + (key.charCode == kUIKeyUp ? -1 : 1);
        UIListSelectRow(c, std::clamp(row, 0, n - 1));
        UIControlHit(c, kUIPartList, key.modifiers);
        return kQVNoErr;
      }
      return kQVErrNotHandled;
    }
    default: return kQVErrNotHandled;
  }
}
