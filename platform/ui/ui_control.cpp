// The control tree: creation, embedding, IDs, values, properties and states.
#include <algorithm>
#include <cstring>

#include "platform/ui/ui_internal.h"

namespace {

void Invalidate(TKControl* c) {
  if (c && c->window) TKInvalidateWindow(c->window);
}

// Takes the control from its parent, which owned it; null for a control
// without one (a root, or one already taken).
std::unique_ptr<TKControl> Detach(TKControl* c) {
  if (!c->parent) return nullptr;
  auto& siblings = c->parent->children;
  auto it = std::find_if(siblings.begin(), siblings.end(), [c](auto& s) { return s.get() == c; });
  std::unique_ptr<TKControl> owned = std::move(*it);
  siblings.erase(it);
  c->parent = nullptr;
  return owned;
}

TKControl* FindByID(TKControl* c, TKControlID id) {
  if (!c) return nullptr;
  if (c->kind != kTKControlRoot && c->id.signature == id.signature && c->id.id == id.id) return c;
  for (auto& child : c->children)
    if (TKControl* found = FindByID(child.get(), id)) return found;
  return nullptr;
}

TKControl* FindAt(TKControl* c, TKPoint p) {
  if (!c->visible) return nullptr;
  if (c->kind != kTKControlRoot && !TKRectContains(c->bounds, p)) return nullptr;
  // Later children draw on top, so they are hit first.
  for (auto it = c->children.rbegin(); it != c->children.rend(); ++it)
    if (TKControl* hit = FindAt(it->get(), p)) return hit;
  return c;
}

bool IsAncestor(TKControl* a, TKControl* c) {
  for (; c; c = c->parent)
    if (c == a) return true;
  return false;
}

// A state a control has only when it and every control around it have it.
bool HeldUpTheTree(const TKControl* control, bool TKControl::*state) {
  for (const TKControl* c = control; c; c = c->parent)
    if (!(c->*state)) return false;
  return control != nullptr;
}

void ClampValue(TKControl* c) {
  if (c->maximum < c->minimum) c->maximum = c->minimum;
  c->value = std::clamp(c->value, c->minimum, c->maximum);
}

}  // namespace

TKControl* TKNewControl(TKWindow* window, TKControl* parent, TKControlKind kind, const TKRect& bounds,
                        const char* title) {
  if (!window || kind == kTKControlRoot) return nullptr;
  if (parent && parent->window != window) return nullptr;
  TKControl* p = parent ? parent : window->root.get();
  p->children.push_back(std::make_unique<TKControl>());
  TKControl* c = p->children.back().get();
  c->parent = p;
  TKState().liveControls.insert(c);
  c->window = window;
  c->kind = kind;
  c->bounds = bounds;
  c->title = title ? title : "";
  c->font = TKSystemFont();
  switch (kind) {
    case kTKControlCheckBox: c->maximum = 2; break;  // 2: mixed
    case kTKControlSlider: c->maximum = 100; break;
    case kTKControlBevelButton: c->maximum = 1; break;
    case kTKControlList: c->list = std::make_unique<TKListData>(); break;
    default: break;
  }
  Invalidate(c);
  return c;
}

TKControl* TKNewPushButton(TKWindow* w, const TKRect& r, const char* title, uint32_t command) {
  TKControl* c = TKNewControl(w, nullptr, kTKControlPushButton, r, title);
  if (c) c->command = command;
  return c;
}

TKControl* TKNewBevelButton(TKWindow* w, const TKRect& r, const char* title, int32_t pictureID, bool sticky) {
  TKControl* c = TKNewControl(w, nullptr, kTKControlBevelButton, r, title);
  if (c) {
    c->pictureID = pictureID;
    c->sticky = sticky;
  }
  return c;
}

TKControl* TKNewCheckBox(TKWindow* w, const TKRect& r, const char* title, int32_t value) {
  TKControl* c = TKNewControl(w, nullptr, kTKControlCheckBox, r, title);
  if (c) TKSetControlValue(c, value);
  return c;
}

TKControl* TKNewPopupButton(TKWindow* w, const TKRect& r, const char* title, TKMenu* menu, int32_t value) {
  TKControl* c = TKNewControl(w, nullptr, kTKControlPopupButton, r, title);
  if (c) {
    TKSetControlMenu(c, menu);
    TKSetControlValue(c, value);
  }
  return c;
}

TKControl* TKNewSlider(TKWindow* w, const TKRect& r, int32_t value, int32_t minimum, int32_t maximum) {
  TKControl* c = TKNewControl(w, nullptr, kTKControlSlider, r, "");
  if (c) {
    c->minimum = minimum;
    c->maximum = maximum;
    c->value = value;
    ClampValue(c);
  }
  return c;
}

TKControl* TKNewEditText(TKWindow* w, const TKRect& r, const char* text) {
  return TKNewControl(w, nullptr, kTKControlEditText, r, text);
}

TKControl* TKNewStaticText(TKWindow* w, const TKRect& r, const char* text) {
  return TKNewControl(w, nullptr, kTKControlStaticText, r, text);
}

TKControl* TKNewUserPane(TKWindow* w, const TKRect& r, const TKUserPaneProcs& procs) {
  TKControl* c = TKNewControl(w, nullptr, kTKControlUserPane, r, "");
  if (c) c->pane = procs;
  return c;
}

TKControl* TKNewList(TKWindow* w, const TKRect& r) { return TKNewControl(w, nullptr, kTKControlList, r, ""); }

void TKControlDisposing(TKControl* c) {
  TKWindow* w = c->window;
  TKToolkitState& st = TKState();
  if (st.hoverControl == c) st.hoverControl = nullptr;
  for (auto& e : st.input)
    if (e.control == c) e.control = nullptr;
  if (!w) return;
  if (w->focus == c) w->focus = nullptr;
  if (w->defaultButton == c) w->defaultButton = nullptr;
  if (w->cancelButton == c) w->cancelButton = nullptr;
}

void TKDisposeControl(TKControl* control) {
  if (!control) return;
  while (!control->children.empty()) TKDisposeControl(control->children.back().get());
  TKControlDisposing(control);
  Invalidate(control);
  TKState().liveControls.erase(control);
  Detach(control);  // frees it, unless a window still holds its root
}

bool TKControlAlive(TKControl* c) { return c && TKState().liveControls.count(c) != 0; }
bool TKIsControlAlive(TKControl* c) { return TKControlAlive(c); }

TKControl* TKGetRootControl(TKWindow* window) { return window ? window->root.get() : nullptr; }

QVStatus TKEmbedControl(TKControl* control, TKControl* parent) {
  if (!control || !parent || control->kind == kTKControlRoot) return kQVErrParam;
  if (control->window != parent->window || IsAncestor(control, parent)) return kQVErrParam;
  std::unique_ptr<TKControl> owned = Detach(control);
  control->parent = parent;
  parent->children.push_back(std::move(owned));
  Invalidate(control);
  return kQVNoErr;
}

TKControl* TKGetParentControl(TKControl* control) { return control ? control->parent : nullptr; }
int32_t TKCountChildren(TKControl* control) { return control ? int32_t(control->children.size()) : 0; }
TKControl* TKGetChild(TKControl* control, int32_t index) {
  if (!control || index < 0 || index >= int32_t(control->children.size())) return nullptr;
  return control->children[size_t(index)].get();
}
TKWindow* TKGetControlWindow(TKControl* control) { return control ? control->window : nullptr; }
TKControlKind TKGetControlKind(TKControl* control) { return control ? control->kind : kTKControlRoot; }

TKControl* TKFindControlAt(TKWindow* window, TKPoint where) {
  if (!window || !window->root) return nullptr;
  return FindAt(window->root.get(), where);
}

void TKSetControlID(TKControl* control, TKControlID id) {
  if (control) control->id = id;
}
TKControlID TKGetControlID(TKControl* control) { return control ? control->id : TKControlID{}; }
TKControl* TKFindControlByID(TKWindow* window, TKControlID id) {
  return window ? FindByID(window->root.get(), id) : nullptr;
}

void TKSetControlValue(TKControl* control, int32_t value) {
  if (!control) return;
  int32_t old = control->value;
  control->value = value;
  ClampValue(control);
  if (control->value != old) Invalidate(control);
}
int32_t TKGetControlValue(TKControl* control) { return control ? control->value : 0; }

void TKSetControlMinimum(TKControl* control, int32_t minimum) {
  if (!control) return;
  control->minimum = minimum;
  if (control->maximum < minimum) control->maximum = minimum;
  ClampValue(control);
  Invalidate(control);
}
int32_t TKGetControlMinimum(TKControl* control) { return control ? control->minimum : 0; }

void TKSetControlMaximum(TKControl* control, int32_t maximum) {
  if (!control) return;
  control->maximum = maximum;
  if (control->minimum > maximum) control->minimum = maximum;
  ClampValue(control);
  Invalidate(control);
}
int32_t TKGetControlMaximum(TKControl* control) { return control ? control->maximum : 0; }

void TKSetControlRefCon(TKControl* control, intptr_t refCon) {
  if (control) control->refCon = refCon;
}
intptr_t TKGetControlRefCon(TKControl* control) { return control ? control->refCon : 0; }
void TKSetControlCommand(TKControl* control, uint32_t command) {
  if (control) control->command = command;
}
uint32_t TKGetControlCommand(TKControl* control) { return control ? control->command : 0; }

void TKSetControlTitle(TKControl* control, const char* title) {
  if (!control) return;
  control->title = title ? title : "";
  if (control->kind == kTKControlEditText) {
    int32_t n = int32_t(control->title.size());
    control->selStart = std::min(control->selStart, n);
    control->selEnd = std::min(control->selEnd, n);
  }
  Invalidate(control);
}
std::string TKGetControlTitle(TKControl* control) { return control ? control->title : std::string(); }

TKRect TKGetControlBounds(TKControl* control) { return control ? control->bounds : TKRect{}; }

void TKSetControlFont(TKControl* control, const TKFont& font) {
  if (!control) return;
  control->font = font;
  Invalidate(control);
}

QVStatus TKSetControlProperty(TKControl* control, uint32_t creator, uint32_t tag, const void* data, uint32_t size) {
  if (!control || (size && !data)) return kQVErrParam;
  auto& bytes = control->properties[{creator, tag}];
  bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
  return kQVNoErr;
}

QVStatus TKGetControlProperty(TKControl* control, uint32_t creator, uint32_t tag, void* buffer,
                              uint32_t bufferSize, uint32_t* actualSize) {
  if (!control) return kQVErrParam;
  auto it = control->properties.find({creator, tag});
  if (it == control->properties.end()) return kQVErrParam;
  uint32_t size = uint32_t(it->second.size());
  if (actualSize) *actualSize = size;
  if (buffer) {
    if (bufferSize < size) return kQVErrParam;
    if (size) std::memcpy(buffer, it->second.data(), size);
  }
  return kQVNoErr;
}

bool TKHasControlProperty(TKControl* control, uint32_t creator, uint32_t tag) {
  return control && control->properties.count({creator, tag}) != 0;
}

QVStatus TKRemoveControlProperty(TKControl* control, uint32_t creator, uint32_t tag) {
  if (!control) return kQVErrParam;
  return control->properties.erase({creator, tag}) ? kQVNoErr : kQVErrParam;
}

void TKSetControlVisible(TKControl* control, bool visible) {
  if (!control || control->visible == visible) return;
  // Every control whose effective visibility flips hears of it.
  std::vector<TKControl*> affected;
  if (TKIsControlVisible(control->parent) || control->parent == nullptr) {
    std::vector<TKControl*> stack{control};
    while (!stack.empty()) {
      TKControl* c = stack.back();
      stack.pop_back();
      if (c != control && !c->visible) continue;
      affected.push_back(c);
      for (auto& child : c->children) stack.push_back(child.get());
    }
  }
  control->visible = visible;
  Invalidate(control);
  for (TKControl* c : affected) {
    if (!TKControlAlive(c)) continue;
    TKEvent e = TKControlEvent(kTKEventVisibilityChanged, c, visible ? 1 : 0);
    // A notice: nothing follows from whether anyone handled it.
    QVIgnoreStatus(TKSendEvent(e));
  }
}

bool TKIsControlVisible(TKControl* control) { return HeldUpTheTree(control, &TKControl::visible); }

void TKSetControlEnabled(TKControl* control, bool enabled) {
  if (!control || control->enabled == enabled) return;
  control->enabled = enabled;
  Invalidate(control);
}

bool TKIsControlEnabled(TKControl* control) { return HeldUpTheTree(control, &TKControl::enabled); }

void TKSetControlActive(TKControl* control, bool active) {
  if (!control || control->active == active) return;
  control->active = active;
  if (control->kind == kTKControlUserPane && control->pane.activate) control->pane.activate(control, active);
  Invalidate(control);
}

bool TKIsControlActive(TKControl* control) { return HeldUpTheTree(control, &TKControl::active); }

void TKHiliteControl(TKControl* control, int16_t part) {
  if (!control || control->hilite == part) return;
  control->hilite = part;
  Invalidate(control);
}

void TKSetControlColorProc(TKControl* control, TKColorProc proc) {
  if (!control) return;
  control->colorProc = std::move(proc);
  Invalidate(control);
}

void TKSetHelpTag(TKControl* control, const char* text) {
  if (control) control->helpTag = text ? text : "";
}
std::string TKGetHelpTag(TKControl* control) { return control ? control->helpTag : std::string(); }
void TKDrawControl(TKControl* control) { Invalidate(control); }

void TKSetControlMenu(TKControl* control, TKMenu* menu) {
  if (!control) return;
  control->menu = menu;
  if (menu) {
    control->minimum = 1;
    control->maximum = std::max<int32_t>(1, int32_t(menu->items.size()));
    ClampValue(control);
  }
  Invalidate(control);
}
TKMenu* TKGetControlMenu(TKControl* control) { return control ? control->menu : nullptr; }

void TKSetSliderPageSize(TKControl* control, int32_t page) {
  if (control) control->pageSize = std::max(0, page);
}

void TKSetEditText(TKControl* control, const char* utf8) {
  if (!control) return;
  TKSetControlTitle(control, utf8);
  int32_t n = int32_t(control->title.size());
  control->selStart = control->selEnd = n;
}
std::string TKGetEditText(TKControl* control) { return TKGetControlTitle(control); }

void TKSetEditSelection(TKControl* control, int32_t start, int32_t end) {
  if (!control) return;
  int32_t n = int32_t(control->title.size());
  start = std::clamp(start, 0, n);
  end = std::clamp(end, 0, n);
  if (end < start) std::swap(start, end);
  control->selStart = start;
  control->selEnd = end;
  Invalidate(control);
}

void TKGetEditSelection(TKControl* control, int32_t* start, int32_t* end) {
  if (start) *start = control ? control->selStart : 0;
  if (end) *end = control ? control->selEnd : 0;
}

bool TKControlTakesFocus(TKControl* c) {
  switch (c->kind) {
    case kTKControlEditText:
    case kTKControlList: return true;
    case kTKControlUserPane: return bool(c->pane.focus);
    default: return false;
  }
}
