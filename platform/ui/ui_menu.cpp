// Menus, the menu bar in the main window, popups and key equivalents.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"

namespace {

constexpr int32_t kItemHeight = 20;
constexpr int32_t kSeparatorHeight = 9;
constexpr int32_t kBarTitleGap = 18;

UIMenuItem* Item(UIMenu* menu, int32_t item) {
  if (!menu || item < 1 || item > int32_t(menu->items.size())) return nullptr;
  return &menu->items[size_t(item - 1)];
}

bool IsSeparator(const UIMenuItem& it) { return it.text == "-"; }

std::string KeyText(const UIMenuItem& it) {
  if (!it.keyChar) return std::string();
  std::string s;
  // The command modifier is the Ctrl key here, control the Super key.
  if (it.keyModifiers & kUIModControl) s += "Super+";
  if (it.keyModifiers & kUIModCommand) s += "Ctrl+";
  if (it.keyModifiers & kUIModOption) s += "Alt+";
  if (it.keyModifiers & kUIModShift) s += "Shift+";
  s += char(std::toupper(int(it.keyChar & 0x7F)));
  return s;
}

int32_t ItemTop(UIMenu* menu, int32_t item) {
  int32_t y = 4;
  for (int32_t i = 1; i < item; ++i) y += IsSeparator(menu->items[size_t(i - 1)]) ? kSeparatorHeight : kItemHeight;
  return y;
}

int32_t ItemAt(UIMenu* menu, UIPoint p) {
  int32_t y = 4;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    int32_t h = IsSeparator(menu->items[i]) ? kSeparatorHeight : kItemHeight;
    if (p.y >= y && p.y < y + h) return IsSeparator(menu->items[i]) ? 0 : int32_t(i + 1);
    y += h;
  }
  return 0;
}

UIRect MenuSize(UIMenu* menu) {
  int32_t width = 120, keyWidth = 0;
  for (const UIMenuItem& it : menu->items) {
    width = std::max(width, int32_t(UIMeasureText(UISystemFont(), it.text.c_str()).width) + 48);
    keyWidth = std::max(keyWidth, int32_t(UIMeasureText(UISmallFont(), KeyText(it).c_str()).width) + 16);
  }
  return UIMakeRect(0, 0, width + keyWidth, ItemTop(menu, int32_t(menu->items.size()) + 1) + 4);
}

void DrawMenu(UIMenu* menu, int32_t hot, UIContext* ctx, const UIRect& r) {
  UISetStrokeColor(ctx, UIColor{0.65, 0.65, 0.67, 1});
  UIFrameRect(ctx, r);
  for (size_t i = 0; i < menu->items.size(); ++i) {
    const UIMenuItem& it = menu->items[i];
    int32_t top = ItemTop(menu, int32_t(i + 1));
    if (IsSeparator(it)) {
      UISetStrokeColor(ctx, UIColor{0.82, 0.82, 0.84, 1});
      UIDrawLine(ctx, r.left + 8, top + 4.5, r.right - 8, top + 4.5);
      continue;
    }
    UIRect row{top, r.left + 4, top + kItemHeight, r.right - 4};
    bool isHot = int32_t(i + 1) == hot && it.enabled;
    if (isHot) {
      UISetFillColor(ctx, UIColor{0.20, 0.46, 0.85, 1});
      UIFillRoundRect(ctx, row, 4);
    }
    UIColor text = !it.enabled ? UIColor{0.6, 0.6, 0.62, 1} : isHot ? UIColor{1, 1, 1, 1} : UIColor{0.1, 0.1, 0.1, 1};
    UISetFillColor(ctx, text);
    if (it.checked) UIDrawTextInRect(ctx, UISystemFont(), "\u2713", UIRect{row.top, row.left + 6, row.bottom, row.left + 22}, kUIAlignLeft);
    UIDrawTextInRect(ctx, UISystemFont(), it.text.c_str(), UIRect{row.top, row.left + 22, row.bottom, row.right - 8}, kUIAlignLeft);
    std::string key = KeyText(it);
    if (it.submenu) key = "\u25B8";
    if (!key.empty()) UIDrawTextInRect(ctx, UISmallFont(), key.c_str(), UIRect{row.top, row.left, row.bottom, row.right - 8}, kUIAlignRight);
  }
}

UIPoint ToWindow(UIWindow* from, UIPoint p, UIWindow* to) {
  if (!from || !to || from == to) return p;
  return UIPoint{p.x + from->bounds.left - to->bounds.left, p.y + from->bounds.top - to->bounds.top};
}

// Runs a menu in a popup window at a global point until a choice.
UIMenuChoice RunMenu(UIMenu* menu, UIPoint global, int32_t initialItem) {
  UIMenuChoice choice;
  if (!menu || menu->items.empty()) return choice;
  UIUpdateMenuItems(menu);
  UIRect size = MenuSize(menu);
  int32_t top = global.y - (initialItem > 0 ? ItemTop(menu, initialItem) : 0);
  UIWindow* popup = UINewPopupWindow(UIMakeRect(global.x, std::max(0, top), UIRectWidth(size), UIRectHeight(size)));
  if (!popup) return choice;
  int32_t hot = initialItem;
  popup->drawOverlay = [&](UIWindow*, UIContext* ctx) { DrawMenu(menu, hot, ctx, size); };
  UIShowWindow(popup);
  UISelectWindow(popup);
  UIToolkitState& st = UIState();
  double opened = UINow();
  bool moved = false;
  bool done = false;
  while (!done) {
    UIRedrawInvalidWindows();
    if (st.input.empty()) {
      UIBackend* backend = UIBackendPtr();
      // A script that has run out leaves the menu without a choice.
      if (UIQuitRequested() || (backend && backend->Kind() == kUIBackendHeadless && std::isinf(backend->NextInputTime())))
        break;
      UIWaitAndService(UINow() + 0.25);
      continue;
    }
    UIEvent e = st.input.front();
    st.input.pop_front();
    UIPoint p = ToWindow(e.window, e.where, popup);
    bool inside = UIRectContains(size, p);
    switch (e.kind) {
      case kUIEventMouseMoved:
      case kUIEventMouseDragged:
        moved = true;
        hot = inside ? ItemAt(menu, p) : 0;
        UIInvalidateWindow(popup);
        break;
      case kUIEventMouseDown:
        moved = true;  // a second click chooses on its release
        if (!inside) done = true;
        else hot = ItemAt(menu, p);
        break;
      case kUIEventMouseUp: {
        st.buttons = 0;
        int32_t item = inside ? ItemAt(menu, p) : 0;
        bool quickRelease = !moved && UINow() - opened < 0.4;
        if (quickRelease) break;  // a click that opened the menu leaves it open
        if (item && Item(menu, item)->enabled) {
          hot = item;
          done = true;
          choice.menu = menu;
          choice.item = item;
        } else if (!inside) {
          done = true;
        }
        break;
      }
      case kUIEventKeyDown:
        if (e.charCode == kUIKeyEscape) {
          done = true;
        } else if (e.charCode == kUIKeyUp || e.charCode == kUIKeyDown) {
          int32_t n = int32_t(menu->items.size());
          int32_t step = e.charCode == kUIKeyUp ? -1 : 1;
          int32_t i = hot;
          for (int32_t k = 0; k < n; ++k) {
            i = i + step;
            if (i < 1) i = n;
            if (i > n) i = 1;
            if (!IsSeparator(*Item(menu, i)) && Item(menu, i)->enabled) break;
          }
          hot = i;
          UIInvalidateWindow(popup);
        } else if ((e.charCode == kUIKeyReturn || e.charCode == kUIKeyEnter) && Item(menu, hot) &&
                   Item(menu, hot)->enabled) {
          done = true;
          choice.menu = menu;
          choice.item = hot;
        }
        break;
      default: break;
    }
  }
  UIRect where = popup->bounds;
  UIDisposeWindow(popup);
  if (choice.item) {
    UIMenuItem* it = Item(choice.menu, choice.item);
    if (it->submenu) {
      return RunMenu(it->submenu, UIPoint{where.right - 4, where.top + ItemTop(menu, choice.item) - 4}, 0);
    }
    choice.command = it->command;
  }
  return choice;
}

bool MatchIn(UIMenu* menu, uint32_t ch, uint32_t mods, UIMenuChoice* out) {
  const uint32_t kMask = kUIModCommand | kUIModShift | kUIModOption | kUIModControl;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    UIMenuItem& it = menu->items[i];
    if (it.submenu && MatchIn(it.submenu, ch, mods, out)) return true;
    if (!it.keyChar || std::tolower(int(it.keyChar)) != std::tolower(int(ch))) continue;
    if ((it.keyModifiers & kMask) != (mods & kMask)) continue;
    if (!it.enabled) return false;
    out->menu = menu;
    out->item = int32_t(i + 1);
    out->command = it.command;
    return true;
  }
  return false;
}

std::vector<int32_t> BarTitleLefts(std::vector<int32_t>* widths) {
  std::vector<int32_t> lefts;
  int32_t x = 10;
  for (UIMenu* m : UIState().menuBar) {
    int32_t w = int32_t(UIMeasureText(UISystemFont(), m->title.c_str()).width) + kBarTitleGap;
    lefts.push_back(x);
    if (widths) widths->push_back(w);
    x += w;
  }
  return lefts;
}

}  // namespace

UIMenu* UICreateMenu(int32_t menuID, const char* title) {
  auto& menus = UIState().menus;
  menus.push_back(std::make_unique<UIMenu>());
  UIMenu* m = menus.back().get();
  m->id = menuID;
  m->title = title ? title : "";
  return m;
}

void UIDisposeMenu(UIMenu* menu) {
  if (!menu) return;
  UIToolkitState& st = UIState();
  auto it = std::find_if(st.menus.begin(), st.menus.end(), [menu](auto& m) { return m.get() == menu; });
  if (it == st.menus.end()) return;
  std::unique_ptr<UIMenu> owned = std::move(*it);
  st.menus.erase(it);
  std::erase(st.menuBar, menu);
  for (auto& m : st.menus)
    for (UIMenuItem& item : m->items)
      if (item.submenu == menu) item.submenu = nullptr;
  for (auto& w : st.windows) {
    std::vector<UIControl*> stack{w->root.get()};
    while (!stack.empty()) {
      UIControl* c = stack.back();
      stack.pop_back();
      if (!c) continue;
      if (c->menu == menu) c->menu = nullptr;
      for (auto& child : c->children) stack.push_back(child.get());
    }
  }
}

UIMenu* UIGetMenu(int32_t menuID) {
  for (auto& m : UIState().menus)
    if (m->id == menuID) return m.get();
  return nullptr;
}

int32_t UIGetMenuID(UIMenu* menu) { return menu ? menu->id : 0; }
std::string UIGetMenuTitle(UIMenu* menu) { return menu ? menu->title : std::string(); }

int32_t UIAppendMenuItem(UIMenu* menu, const char* text, uint32_t command, uint32_t keyChar, uint32_t keyModifiers) {
  if (!menu) return 0;
  UIMenuItem it;
  it.text = text ? text : "";
  it.command = command;
  it.keyChar = keyChar;
  it.keyModifiers = keyChar ? keyModifiers : 0;
  if (it.text == "-") it.enabled = false;
  menu->items.push_back(it);
  return int32_t(menu->items.size());
}

int32_t UICountMenuItems(UIMenu* menu) { return menu ? int32_t(menu->items.size()) : 0; }

std::string UIGetMenuItemText(UIMenu* menu, int32_t item) {
  UIMenuItem* it = Item(menu, item);
  return it ? it->text : std::string();
}
uint32_t UIGetMenuItemCommand(UIMenu* menu, int32_t item) {
  UIMenuItem* it = Item(menu, item);
  return it ? it->command : 0;
}
void UIEnableMenuItem(UIMenu* menu, int32_t item, bool enabled) {
  if (UIMenuItem* it = Item(menu, item)) it->enabled = enabled && !IsSeparator(*it);
}
bool UIIsMenuItemEnabled(UIMenu* menu, int32_t item) {
  UIMenuItem* it = Item(menu, item);
  return it && it->enabled;
}
void UICheckMenuItem(UIMenu* menu, int32_t item, bool checked) {
  if (UIMenuItem* it = Item(menu, item)) it->checked = checked;
}
bool UIIsMenuItemChecked(UIMenu* menu, int32_t item) {
  UIMenuItem* it = Item(menu, item);
  return it && it->checked;
}
void UISetMenuItemSubmenu(UIMenu* menu, int32_t item, UIMenu* submenu) {
  if (UIMenuItem* it = Item(menu, item)) it->submenu = submenu != menu ? submenu : nullptr;
}
UIMenu* UIGetMenuItemSubmenu(UIMenu* menu, int32_t item) {
  UIMenuItem* it = Item(menu, item);
  return it ? it->submenu : nullptr;
}
void UISetMenuItemRefCon(UIMenu* menu, int32_t item, intptr_t refCon) {
  if (UIMenuItem* it = Item(menu, item)) it->refCon = refCon;
}
intptr_t UIGetMenuItemRefCon(UIMenu* menu, int32_t item) {
  UIMenuItem* it = Item(menu, item);
  return it ? it->refCon : 0;
}

bool UIFindMenuCommand(uint32_t command, UIMenu** menu, int32_t* item) {
  std::vector<UIMenu*> todo = UIState().menuBar;
  for (size_t k = 0; k < todo.size() && k < 256; ++k) {
    UIMenu* m = todo[k];
    for (size_t i = 0; i < m->items.size(); ++i) {
      if (m->items[i].command == command) {
        if (menu) *menu = m;
        if (item) *item = int32_t(i + 1);
        return true;
      }
      if (m->items[i].submenu) todo.push_back(m->items[i].submenu);
    }
  }
  return false;
}

void UIInsertMenuInBar(UIMenu* menu) {
  if (!menu) return;
  auto& bar = UIState().menuBar;
  if (std::find(bar.begin(), bar.end(), menu) == bar.end()) bar.push_back(menu);
  for (auto& w : UIState().windows)
    if (w->showsMenuBar) UIInvalidateWindow(w.get());
}

void UIClearMenuBar() { UIState().menuBar.clear(); }
std::vector<UIMenu*> UIGetMenuBarMenus() { return UIState().menuBar; }

void UIUpdateMenuItems(UIMenu* menu) {
  if (!menu) return;
  UIWindow* w = UITargetWindow();
  for (size_t i = 0; i < menu->items.size(); ++i) {
    UIMenuItem& it = menu->items[i];
    if (it.submenu && it.submenu != menu) UIUpdateMenuItems(it.submenu);
    if (!it.command) continue;
    UIEvent e;
    e.kind = kUIEventUpdateCommand;
    e.command = it.command;
    e.menu = menu;
    e.menuItem = int32_t(i + 1);
    e.window = w;
    e.control = w ? w->focus : nullptr;
    UISendEvent(e);
  }
}

UIMenuChoice UIPopupMenu(UIMenu* menu, UIWindow* window, UIPoint where, int32_t item) {
  UIPoint global = where;
  if (window) global = UIPoint{where.x + window->bounds.left, where.y + window->bounds.top};
  return RunMenu(menu, global, item);
}

UIMenuChoice UIMatchMenuKey(uint32_t charCode, uint32_t modifiers) {
  UIMenuChoice choice;
  if (!charCode) return choice;
  for (UIMenu* m : UIState().menuBar) {
    UIUpdateMenuItems(m);
    if (MatchIn(m, charCode, modifiers, &choice)) return choice;
  }
  return UIMenuChoice{};
}

void UIDrawMenuBar(UIWindow* w, UIContext* ctx) {
  UIRect bar = UIMakeRect(0, 0, UIRectWidth(w->bounds), UIMenuBarHeight());
  UISetFillColor(ctx, UIColor{0.97, 0.97, 0.98, 1});
  UIFillRect(ctx, bar);
  UISetStrokeColor(ctx, UIColor{0.78, 0.78, 0.80, 1});
  UIDrawLine(ctx, 0, bar.bottom - 0.5, bar.right, bar.bottom - 0.5);
  std::vector<int32_t> widths;
  std::vector<int32_t> lefts = BarTitleLefts(&widths);
  const auto& menus = UIState().menuBar;
  for (size_t i = 0; i < menus.size(); ++i) {
    UIFont font = UISystemFont();
    font.bold = i == 0;
    UISetFillColor(ctx, UIColor{0.1, 0.1, 0.1, 1});
    UIDrawTextInRect(ctx, font, menus[i]->title.c_str(),
                     UIRect{0, lefts[i] + kBarTitleGap / 2, bar.bottom, lefts[i] + widths[i]}, kUIAlignLeft);
  }
}

void UIMenuBarClick(UIWindow* w, UIPoint where) {
  std::vector<int32_t> widths;
  std::vector<int32_t> lefts = BarTitleLefts(&widths);
  const auto menus = UIState().menuBar;
  for (size_t i = 0; i < menus.size(); ++i) {
    if (where.x < lefts[i] || where.x >= lefts[i] + widths[i]) continue;
    UIMenuChoice choice = UIPopupMenu(menus[i], w, UIPoint{lefts[i], UIMenuBarHeight()}, 0);
    if (choice.item && choice.command) UISendMenuChoice(choice, 0);
    return;
  }
}
