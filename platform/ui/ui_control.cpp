// The control tree: creation, embedding, IDs, values, properties and states.
#include <algorithm>
#include <cstring>

#include "platform/ui/ui_internal.h"

namespace {

void Invalidate(UIControl* c) {
  if (c && c->window) UIInvalidateWindow(c->window);
}

// Takes the control from its parent, which owned it; null for a control
// without one (a root, or one already taken).
std::unique_ptr<UIControl> Detach(UIControl* c) {
  if (!c->parent) return nullptr;
  auto& siblings = c->parent->children;
  auto it = std::find_if(siblings.begin(), siblings.end(), [c](auto& s) { return s.get() == c; });
  std::unique_ptr<UIControl> owned = std::move(*it);
  siblings.erase(it);
  c->parent = nullptr;
  return owned;
}

UIControl* FindByID(UIControl* c, UIControlID id) {
  if (!c) return nullptr;
  if (c->kind != kUIControlRoot && c->id.signature == id.signature && c->id.id == id.id) return c;
  for (auto& child : c->children)
    if (UIControl* found = FindByID(child.get(), id)) return found;
  return nullptr;
}

UIControl* FindAt(UIControl* c, UIPoint p) {
  if (!c->visible) return nullptr;
  if (c->kind != kUIControlRoot && !UIRectContains(c->bounds, p)) return nullptr;
  // Later children draw on top, so they are hit first.
  for (auto it = c->children.rbegin(); it != c->children.rend(); ++it)
    if (UIControl* hit = FindAt(it->get(), p)) return hit;
  return c;
}

bool IsAncestor(UIControl* a, UIControl* c) {
  for (; c; c = c->parent)
    if (c == a) return true;
  return false;
}

// A state a control has only when it and every control around it have it.
bool HeldUpTheTree(const UIControl* control, bool UIControl::*state) {
  for (const UIControl* c = control; c; c = c->parent)
    if (!(c->*state)) return false;
  return control != nullptr;
}

void ClampValue(UIControl* c) {
  if (c->maximum < c->minimum) c->maximum = c->minimum;
  c->value = std::clamp(c->value, c->minimum, c->maximum);
}

}  // namespace

UIControl* UINewControl(UIWindow* window, UIControl* parent, UIControlKind kind, const UIRect& bounds,
                        const char* title) {
  if (!window || kind == kUIControlRoot) return nullptr;
  if (parent && parent->window != window) return nullptr;
  UIControl* p = parent ? parent : window->root.get();
  p->children.push_back(std::make_unique<UIControl>());
  UIControl* c = p->children.back().get();
  c->parent = p;
  UIState().liveControls.insert(c);
  c->window = window;
  c->kind = kind;
  c->bounds = bounds;
  c->title = title ? title : "";
  c->font = UISystemFont();
  switch (kind) {
    case kUIControlCheckBox: c->maximum = 2; break;  // 2: mixed
    case kUIControlSlider: c->maximum = 100; break;
    case kUIControlBevelButton: c->maximum = 1; break;
    case kUIControlList: c->list = std::make_unique<UIListData>(); break;
    default: break;
  }
  Invalidate(c);
  return c;
}

UIControl* UINewPushButton(UIWindow* w, const UIRect& r, const char* title, uint32_t command) {
  UIControl* c = UINewControl(w, nullptr, kUIControlPushButton, r, title);
  if (c) c->command = command;
  return c;
}

UIControl* UINewBevelButton(UIWindow* w, const UIRect& r, const char* title, int32_t pictureID, bool sticky) {
  UIControl* c = UINewControl(w, nullptr, kUIControlBevelButton, r, title);
  if (c) {
    c->pictureID = pictureID;
    c->sticky = sticky;
  }
  return c;
}

UIControl* UINewCheckBox(UIWindow* w, const UIRect& r, const char* title, int32_t value) {
  UIControl* c = UINewControl(w, nullptr, kUIControlCheckBox, r, title);
  if (c) UISetControlValue(c, value);
  return c;
}

UIControl* UINewPopupButton(UIWindow* w, const UIRect& r, const char* title, UIMenu* menu, int32_t value) {
  UIControl* c = UINewControl(w, nullptr, kUIControlPopupButton, r, title);
  if (c) {
    UISetControlMenu(c, menu);
    UISetControlValue(c, value);
  }
  return c;
}

UIControl* UINewSlider(UIWindow* w, const UIRect& r, int32_t value, int32_t minimum, int32_t maximum) {
  UIControl* c = UINewControl(w, nullptr, kUIControlSlider, r, "");
  if (c) {
    c->minimum = minimum;
    c->maximum = maximum;
    c->value = value;
    ClampValue(c);
  }
  return c;
}

UIControl* UINewEditText(UIWindow* w, const UIRect& r, const char* text) {
  return UINewControl(w, nullptr, kUIControlEditText, r, text);
}

UIControl* UINewStaticText(UIWindow* w, const UIRect& r, const char* text) {
  return UINewControl(w, nullptr, kUIControlStaticText, r, text);
}

UIControl* UINewUserPane(UIWindow* w, const UIRect& r, const UIUserPaneProcs& procs) {
  UIControl* c = UINewControl(w, nullptr, kUIControlUserPane, r, "");
  if (c) c->pane = procs;
  return c;
}

UIControl* UINewList(UIWindow* w, const UIRect& r) { return UINewControl(w, nullptr, kUIControlList, r, ""); }

void UIControlDisposing(UIControl* c) {
  UIWindow* w = c->window;
  UIToolkitState& st = UIState();
  if (st.hoverControl == c) st.hoverControl = nullptr;
  for (auto& e : st.input)
    if (e.control == c) e.control = nullptr;
  if (!w) return;
  if (w->focus == c) w->focus = nullptr;
  if (w->defaultButton == c) w->defaultButton = nullptr;
  if (w->cancelButton == c) w->cancelButton = nullptr;
}

void UIDisposeControl(UIControl* control) {
  if (!control) return;
  while (!control->children.empty()) UIDisposeControl(control->children.back().get());
  UIControlDisposing(control);
  Invalidate(control);
  UIState().liveControls.erase(control);
  Detach(control);  // frees it, unless a window still holds its root
}

bool UIControlAlive(UIControl* c) { return c && UIState().liveControls.count(c) != 0; }
bool UIIsControlAlive(UIControl* c) { return UIControlAlive(c); }

UIControl* UIGetRootControl(UIWindow* window) { return window ? window->root.get() : nullptr; }

QVStatus UIEmbedControl(UIControl* control, UIControl* parent) {
  if (!control || !parent || control->kind == kUIControlRoot) return kQVErrParam;
  if (control->window != parent->window || IsAncestor(control, parent)) return kQVErrParam;
  std::unique_ptr<UIControl> owned = Detach(control);
  control->parent = parent;
  parent->children.push_back(std::move(owned));
  Invalidate(control);
  return kQVNoErr;
}

UIControl* UIGetParentControl(UIControl* control) { return control ? control->parent : nullptr; }
int32_t UICountChildren(UIControl* control) { return control ? int32_t(control->children.size()) : 0; }
UIControl* UIGetChild(UIControl* control, int32_t index) {
  if (!control || index < 0 || index >= int32_t(control->children.size())) return nullptr;
  return control->children[size_t(index)].get();
}
UIWindow* UIGetControlWindow(UIControl* control) { return control ? control->window : nullptr; }
UIControlKind UIGetControlKind(UIControl* control) { return control ? control->kind : kUIControlRoot; }

UIControl* UIFindControlAt(UIWindow* window, UIPoint where) {
  if (!window || !window->root) return nullptr;
  return FindAt(window->root.get(), where);
}

void UISetControlID(UIControl* control, UIControlID id) {
  if (control) control->id = id;
}
UIControlID UIGetControlID(UIControl* control) { return control ? control->id : UIControlID{}; }
UIControl* UIFindControlByID(UIWindow* window, UIControlID id) {
  return window ? FindByID(window->root.get(), id) : nullptr;
}

void UISetControlValue(UIControl* control, int32_t value) {
  if (!control) return;
  int32_t old = control->value;
  control->value = value;
  ClampValue(control);
  if (control->value != old) Invalidate(control);
}
int32_t UIGetControlValue(UIControl* control) { return control ? control->value : 0; }

void UISetControlMinimum(UIControl* control, int32_t minimum) {
  if (!control) return;
  control->minimum = minimum;
  if (control->maximum < minimum) control->maximum = minimum;
  ClampValue(control);
  Invalidate(control);
}
int32_t UIGetControlMinimum(UIControl* control) { return control ? control->minimum : 0; }

void UISetControlMaximum(UIControl* control, int32_t maximum) {
  if (!control) return;
  control->maximum = maximum;
  if (control->minimum > maximum) control->minimum = maximum;
  ClampValue(control);
  Invalidate(control);
}
int32_t UIGetControlMaximum(UIControl* control) { return control ? control->maximum : 0; }

void UISetControlRefCon(UIControl* control, intptr_t refCon) {
  if (control) control->refCon = refCon;
}
intptr_t UIGetControlRefCon(UIControl* control) { return control ? control->refCon : 0; }
void UISetControlCommand(UIControl* control, uint32_t command) {
  if (control) control->command = command;
}
uint32_t UIGetControlCommand(UIControl* control) { return control ? control->command : 0; }

void UISetControlTitle(UIControl* control, const char* title) {
  if (!control) return;
  control->title = title ? title : "";
  if (control->kind == kUIControlEditText) {
    int32_t n = int32_t(control->title.size());
    control->selStart = std::min(control->selStart, n);
    control->selEnd = std::min(control->selEnd, n);
  }
  Invalidate(control);
}
std::string UIGetControlTitle(UIControl* control) { return control ? control->title : std::string(); }

UIRect UIGetControlBounds(UIControl* control) { return control ? control->bounds : UIRect{}; }

void UISetControlFont(UIControl* control, const UIFont& font) {
  if (!control) return;
  control->font = font;
  Invalidate(control);
}

QVStatus UISetControlProperty(UIControl* control, uint32_t creator, uint32_t tag, const void* data, uint32_t size) {
  if (!control || (size && !data)) return kQVErrParam;
  auto& bytes = control->properties[{creator, tag}];
  bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
  return kQVNoErr;
}

QVStatus UIGetControlProperty(UIControl* control, uint32_t creator, uint32_t tag, void* buffer,
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

bool UIHasControlProperty(UIControl* control, uint32_t creator, uint32_t tag) {
  return control && control->properties.count({creator, tag}) != 0;
}

QVStatus UIRemoveControlProperty(UIControl* control, uint32_t creator, uint32_t tag) {
  if (!control) return kQVErrParam;
  return control->properties.erase({creator, tag}) ? kQVNoErr : kQVErrParam;
}

void UISetControlVisible(UIControl* control, bool visible) {
  if (!control || control->visible == visible) return;
  // Every control whose effective visibility flips hears of it.
  std::vector<UIControl*> affected;
  if (UIIsControlVisible(control->parent) || control->parent == nullptr) {
    std::vector<UIControl*> stack{control};
    while (!stack.empty()) {
      UIControl* c = stack.back();
      stack.pop_back();
      if (c != control && !c->visible) continue;
      affected.push_back(c);
      for (auto& child : c->children) stack.push_back(child.get());
    }
  }
  control->visible = visible;
  Invalidate(control);
  for (UIControl* c : affected) {
    if (!UIControlAlive(c)) continue;
    UIEvent e = UIControlEvent(kUIEventVisibilityChanged, c, visible ? 1 : 0);
    UISendEvent(e);
  }
}

bool UIIsControlVisible(UIControl* control) { return HeldUpTheTree(control, &UIControl::visible); }

void UISetControlEnabled(UIControl* control, bool enabled) {
  if (!control || control->enabled == enabled) return;
  control->enabled = enabled;
  Invalidate(control);
}

bool UIIsControlEnabled(UIControl* control) { return HeldUpTheTree(control, &UIControl::enabled); }

void UISetControlActive(UIControl* control, bool active) {
  if (!control || control->active == active) return;
  control->active = active;
  if (control->kind == kUIControlUserPane && control->pane.activate) control->pane.activate(control, active);
  Invalidate(control);
}

bool UIIsControlActive(UIControl* control) { return HeldUpTheTree(control, &UIControl::active); }

void UIHiliteControl(UIControl* control, int16_t part) {
  if (!control || control->hilite == part) return;
  control->hilite = part;
  Invalidate(control);
}

void UISetControlColorProc(UIControl* control, UIColorProc proc) {
  if (!control) return;
  control->colorProc = std::move(proc);
  Invalidate(control);
}

void UISetHelpTag(UIControl* control, const char* text) {
  if (control) control->helpTag = text ? text : "";
}
std::string UIGetHelpTag(UIControl* control) { return control ? control->helpTag : std::string(); }
void UIDrawControl(UIControl* control) { Invalidate(control); }

void UISetControlMenu(UIControl* control, UIMenu* menu) {
  if (!control) return;
  control->menu = menu;
  if (menu) {
    control->minimum = 1;
    control->maximum = std::max<int32_t>(1, int32_t(menu->items.size()));
    ClampValue(control);
  }
  Invalidate(control);
}
UIMenu* UIGetControlMenu(UIControl* control) { return control ? control->menu : nullptr; }

void UISetSliderPageSize(UIControl* control, int32_t page) {
  if (control) control->pageSize = std::max(0, page);
}

void UISetEditText(UIControl* control, const char* utf8) {
  if (!control) return;
  UISetControlTitle(control, utf8);
  int32_t n = int32_t(control->title.size());
  control->selStart = control->selEnd = n;
}
std::string UIGetEditText(UIControl* control) { return UIGetControlTitle(control); }

void UISetEditSelection(UIControl* control, int32_t start, int32_t end) {
  if (!control) return;
  int32_t n = int32_t(control->title.size());
  start = std::clamp(start, 0, n);
  end = std::clamp(end, 0, n);
  if (end < start) std::swap(start, end);
  control->selStart = start;
  control->selEnd = end;
  Invalidate(control);
}

void UIGetEditSelection(UIControl* control, int32_t* start, int32_t* end) {
  if (start) *start = control ? control->selStart : 0;
  if (end) *end = control ? control->selEnd : 0;
}

bool UIControlTakesFocus(UIControl* c) {
  switch (c->kind) {
    case kUIControlEditText:
    case kUIControlList: return true;
    case kUIControlUserPane: return bool(c->pane.focus);
    default: return false;
  }
}
