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

TKMenuItem* Item(TKMenu* menu, int32_t item) {
  if (!menu || item < 1 || item > int32_t(menu->items.size())) return nullptr;
  return &menu->items[size_t(item - 1)];
}

bool IsSeparator(const TKMenuItem& it) { return it.text == "-"; }

std::string KeyText(const TKMenuItem& it) {
  if (!it.keyChar) return std::string();
  std::string s;
  // The command modifier is the Ctrl key here, control the Super key.
  if (it.keyModifiers & kTKModControl) s += "Super+";
  if (it.keyModifiers & kTKModCommand) s += "Ctrl+";
  if (it.keyModifiers & kTKModOption) s += "Alt+";
  if (it.keyModifiers & kTKModShift) s += "Shift+";
  s += char(std::toupper(int(it.keyChar & 0x7F)));
  return s;
}

int32_t ItemTop(TKMenu* menu, int32_t item) {
  int32_t y = 4;
  for (int32_t i = 1; i < item; ++i) y += IsSeparator(menu->items[size_t(i - 1)]) ? kSeparatorHeight : kItemHeight;
  return y;
}

int32_t ItemAt(TKMenu* menu, TKPoint p) {
  int32_t y = 4;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    int32_t h = IsSeparator(menu->items[i]) ? kSeparatorHeight : kItemHeight;
    if (p.y >= y && p.y < y + h) return IsSeparator(menu->items[i]) ? 0 : int32_t(i + 1);
    y += h;
  }
  return 0;
}

TKRect MenuSize(TKMenu* menu) {
  int32_t width = 120, keyWidth = 0;
  for (const TKMenuItem& it : menu->items) {
    width = std::max(width, int32_t(TKMeasureText(TKSystemFont(), it.text.c_str()).width) + 48);
    keyWidth = std::max(keyWidth, int32_t(TKMeasureText(TKSmallFont(), KeyText(it).c_str()).width) + 16);
  }
  return TKMakeRect(0, 0, width + keyWidth, ItemTop(menu, int32_t(menu->items.size()) + 1) + 4);
}

void DrawMenu(TKMenu* menu, int32_t hot, TKContext* ctx, const TKRect& r) {
  TKSetStrokeColor(ctx, TKColor{0.65, 0.65, 0.67, 1});
  TKFrameRect(ctx, r);
  for (size_t i = 0; i < menu->items.size(); ++i) {
    const TKMenuItem& it = menu->items[i];
    int32_t top = ItemTop(menu, int32_t(i + 1));
    if (IsSeparator(it)) {
      TKSetStrokeColor(ctx, TKColor{0.82, 0.82, 0.84, 1});
      TKDrawLine(ctx, r.left + 8, top + 4.5, r.right - 8, top + 4.5);
      continue;
    }
    TKRect row{top, r.left + 4, top + kItemHeight, r.right - 4};
    bool isHot = int32_t(i + 1) == hot && it.enabled;
    if (isHot) {
      TKSetFillColor(ctx, TKColor{0.20, 0.46, 0.85, 1});
      TKFillRoundRect(ctx, row, 4);
    }
    TKColor text = !it.enabled ? TKColor{0.6, 0.6, 0.62, 1} : isHot ? TKColor{1, 1, 1, 1} : TKColor{0.1, 0.1, 0.1, 1};
    TKSetFillColor(ctx, text);
    if (it.checked) TKDrawTextInRect(ctx, TKSystemFont(), "\u2713", TKRect{row.top, row.left + 6, row.bottom, row.left + 22}, kTKAlignLeft);
    TKDrawTextInRect(ctx, TKSystemFont(), it.text.c_str(), TKRect{row.top, row.left + 22, row.bottom, row.right - 8}, kTKAlignLeft);
    std::string key = KeyText(it);
    if (it.submenu) key = "\u25B8";
    if (!key.empty()) TKDrawTextInRect(ctx, TKSmallFont(), key.c_str(), TKRect{row.top, row.left, row.bottom, row.right - 8}, kTKAlignRight);
  }
}

TKPoint ToWindow(TKWindow* from, TKPoint p, TKWindow* to) {
  if (!from || !to || from == to) return p;
  return TKPoint{p.x + from->bounds.left - to->bounds.left, p.y + from->bounds.top - to->bounds.top};
}

// Runs a menu in a popup window at a global point until a choice.
TKMenuChoice RunMenu(TKMenu* menu, TKPoint global, int32_t initialItem) {
  TKMenuChoice choice;
  if (!menu || menu->items.empty()) return choice;
  TKUpdateMenuItems(menu);
  TKRect size = MenuSize(menu);
  int32_t top = global.y - (initialItem > 0 ? ItemTop(menu, initialItem) : 0);
  TKWindow* popup = TKNewPopupWindow(TKMakeRect(global.x, std::max(0, top), TKRectWidth(size), TKRectHeight(size)));
  if (!popup) return choice;
  int32_t hot = initialItem;
  popup->drawOverlay = [&](TKWindow*, TKContext* ctx) { DrawMenu(menu, hot, ctx, size); };
  TKShowWindow(popup);
  TKSelectWindow(popup);
  TKToolkitState& st = TKState();
  double opened = TKNow();
  bool moved = false;
  bool done = false;
  while (!done) {
    TKRedrawInvalidWindows();
    if (st.input.empty()) {
      TKBackend* backend = TKBackendPtr();
      // A script that has run out leaves the menu without a choice.
      if (TKQuitRequested() || (backend && backend->Kind() == kTKBackendHeadless && std::isinf(backend->NextInputTime())))
        break;
      TKWaitAndService(TKNow() + 0.25);
      continue;
    }
    TKEvent e = st.input.front();
    st.input.pop_front();
    TKPoint p = ToWindow(e.window, e.where, popup);
    bool inside = TKRectContains(size, p);
    switch (e.kind) {
      case kTKEventMouseMoved:
      case kTKEventMouseDragged:
        moved = true;
        hot = inside ? ItemAt(menu, p) : 0;
        TKInvalidateWindow(popup);
        break;
      case kTKEventMouseDown:
        moved = true;  // a second click chooses on its release
        if (!inside) done = true;
        else hot = ItemAt(menu, p);
        break;
      case kTKEventMouseUp: {
        st.buttons = 0;
        int32_t item = inside ? ItemAt(menu, p) : 0;
        bool quickRelease = !moved && TKNow() - opened < 0.4;
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
      case kTKEventKeyDown:
        if (e.charCode == kTKKeyEscape) {
          done = true;
        } else if (e.charCode == kTKKeyUp || e.charCode == kTKKeyDown) {
          int32_t n = int32_t(menu->items.size());
          int32_t step = e.charCode == kTKKeyUp ? -1 : 1;
          int32_t i = hot;
          for (int32_t k = 0; k < n; ++k) {
            i = i + step;
            if (i < 1) i = n;
            if (i > n) i = 1;
            if (!IsSeparator(*Item(menu, i)) && Item(menu, i)->enabled) break;
          }
          hot = i;
          TKInvalidateWindow(popup);
        } else if ((e.charCode == kTKKeyReturn || e.charCode == kTKKeyEnter) && Item(menu, hot) &&
                   Item(menu, hot)->enabled) {
          done = true;
          choice.menu = menu;
          choice.item = hot;
        }
        break;
      default: break;
    }
  }
  TKRect where = popup->bounds;
  TKDisposeWindow(popup);
  if (choice.item) {
    TKMenuItem* it = Item(choice.menu, choice.item);
    if (it->submenu) {
      return RunMenu(it->submenu, TKPoint{where.right - 4, where.top + ItemTop(menu, choice.item) - 4}, 0);
    }
    choice.command = it->command;
  }
  return choice;
}

bool MatchIn(TKMenu* menu, uint32_t ch, uint32_t mods, TKMenuChoice* out) {
  const uint32_t kMask = kTKModCommand | kTKModShift | kTKModOption | kTKModControl;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    TKMenuItem& it = menu->items[i];
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
  for (TKMenu* m : TKState().menuBar) {
    int32_t w = int32_t(TKMeasureText(TKSystemFont(), m->title.c_str()).width) + kBarTitleGap;
    lefts.push_back(x);
    if (widths) widths->push_back(w);
    x += w;
  }
  return lefts;
}

}  // namespace

TKMenu* TKCreateMenu(int32_t menuID, const char* title) {
  auto& menus = TKState().menus;
  menus.push_back(std::make_unique<TKMenu>());
  TKMenu* m = menus.back().get();
  m->id = menuID;
  m->title = title ? title : "";
  return m;
}

void TKDisposeMenu(TKMenu* menu) {
  if (!menu) return;
  TKToolkitState& st = TKState();
  auto it = std::find_if(st.menus.begin(), st.menus.end(), [menu](auto& m) { return m.get() == menu; });
  if (it == st.menus.end()) return;
  std::unique_ptr<TKMenu> owned = std::move(*it);
  st.menus.erase(it);
  std::erase(st.menuBar, menu);
  for (auto& m : st.menus)
    for (TKMenuItem& item : m->items)
      if (item.submenu == menu) item.submenu = nullptr;
  for (auto& w : st.windows) {
    std::vector<TKControl*> stack{w->root.get()};
    while (!stack.empty()) {
      TKControl* c = stack.back();
      stack.pop_back();
      if (!c) continue;
      if (c->menu == menu) c->menu = nullptr;
      for (auto& child : c->children) stack.push_back(child.get());
    }
  }
}

TKMenu* TKGetMenu(int32_t menuID) {
  for (auto& m : TKState().menus)
    if (m->id == menuID) return m.get();
  return nullptr;
}

int32_t TKGetMenuID(TKMenu* menu) { return menu ? menu->id : 0; }
std::string TKGetMenuTitle(TKMenu* menu) { return menu ? menu->title : std::string(); }

int32_t TKAppendMenuItem(TKMenu* menu, const char* text, uint32_t command, uint32_t keyChar, uint32_t keyModifiers) {
  if (!menu) return 0;
  TKMenuItem it;
  it.text = text ? text : "";
  it.command = command;
  it.keyChar = keyChar;
  it.keyModifiers = keyChar ? keyModifiers : 0;
  if (it.text == "-") it.enabled = false;
  menu->items.push_back(it);
  return int32_t(menu->items.size());
}

int32_t TKCountMenuItems(TKMenu* menu) { return menu ? int32_t(menu->items.size()) : 0; }

void TKDeleteAllMenuItems(TKMenu* menu) {
  if (menu) menu->items.clear();
}

std::string TKGetMenuItemText(TKMenu* menu, int32_t item) {
  TKMenuItem* it = Item(menu, item);
  return it ? it->text : std::string();
}
uint32_t TKGetMenuItemCommand(TKMenu* menu, int32_t item) {
  TKMenuItem* it = Item(menu, item);
  return it ? it->command : 0;
}
void TKEnableMenuItem(TKMenu* menu, int32_t item, bool enabled) {
  if (TKMenuItem* it = Item(menu, item)) it->enabled = enabled && !IsSeparator(*it);
}
bool TKIsMenuItemEnabled(TKMenu* menu, int32_t item) {
  TKMenuItem* it = Item(menu, item);
  return it && it->enabled;
}
void TKCheckMenuItem(TKMenu* menu, int32_t item, bool checked) {
  if (TKMenuItem* it = Item(menu, item)) it->checked = checked;
}
bool TKIsMenuItemChecked(TKMenu* menu, int32_t item) {
  TKMenuItem* it = Item(menu, item);
  return it && it->checked;
}
void TKSetMenuItemSubmenu(TKMenu* menu, int32_t item, TKMenu* submenu) {
  if (TKMenuItem* it = Item(menu, item)) it->submenu = submenu != menu ? submenu : nullptr;
}
TKMenu* TKGetMenuItemSubmenu(TKMenu* menu, int32_t item) {
  TKMenuItem* it = Item(menu, item);
  return it ? it->submenu : nullptr;
}
void TKSetMenuItemRefCon(TKMenu* menu, int32_t item, intptr_t refCon) {
  if (TKMenuItem* it = Item(menu, item)) it->refCon = refCon;
}
intptr_t TKGetMenuItemRefCon(TKMenu* menu, int32_t item) {
  TKMenuItem* it = Item(menu, item);
  return it ? it->refCon : 0;
}

bool TKFindMenuCommand(uint32_t command, TKMenu** menu, int32_t* item) {
  std::vector<TKMenu*> todo = TKState().menuBar;
  for (size_t k = 0; k < todo.size() && k < 256; ++k) {
    TKMenu* m = todo[k];
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

void TKInsertMenuInBar(TKMenu* menu) {
  if (!menu) return;
  auto& bar = TKState().menuBar;
  if (std::find(bar.begin(), bar.end(), menu) == bar.end()) bar.push_back(menu);
  for (auto& w : TKState().windows)
    if (w->showsMenuBar) TKInvalidateWindow(w.get());
}

void TKClearMenuBar() { TKState().menuBar.clear(); }
std::vector<TKMenu*> TKGetMenuBarMenus() { return TKState().menuBar; }

void TKUpdateMenuItems(TKMenu* menu) {
  if (!menu) return;
  TKWindow* w = TKTargetWindow();
  for (size_t i = 0; i < menu->items.size(); ++i) {
    TKMenuItem& it = menu->items[i];
    if (it.submenu && it.submenu != menu) TKUpdateMenuItems(it.submenu);
    if (!it.command) continue;
    TKEvent e;
    e.kind = kTKEventUpdateCommand;
    e.command = it.command;
    e.menu = menu;
    e.menuItem = int32_t(i + 1);
    e.window = w;
    e.control = w ? w->focus : nullptr;
    // A notice: nothing follows from whether anyone handled it.
    QVIgnoreStatus(TKSendEvent(e));
  }
}

TKMenuChoice TKPopupMenu(TKMenu* menu, TKWindow* window, TKPoint where, int32_t item) {
  TKPoint global = where;
  if (window) global = TKPoint{where.x + window->bounds.left, where.y + window->bounds.top};
  return RunMenu(menu, global, item);
}

TKMenuChoice TKMatchMenuKey(uint32_t charCode, uint32_t modifiers) {
  TKMenuChoice choice;
  if (!charCode) return choice;
  for (TKMenu* m : TKState().menuBar) {
    TKUpdateMenuItems(m);
    if (MatchIn(m, charCode, modifiers, &choice)) return choice;
  }
  return TKMenuChoice{};
}

void TKDrawMenuBar(TKWindow* w, TKContext* ctx) {
  TKRect bar = TKMakeRect(0, 0, TKRectWidth(w->bounds), TKMenuBarHeight());
  TKSetFillColor(ctx, TKColor{0.97, 0.97, 0.98, 1});
  TKFillRect(ctx, bar);
  TKSetStrokeColor(ctx, TKColor{0.78, 0.78, 0.80, 1});
  TKDrawLine(ctx, 0, bar.bottom - 0.5, bar.right, bar.bottom - 0.5);
  std::vector<int32_t> widths;
  std::vector<int32_t> lefts = BarTitleLefts(&widths);
  const auto& menus = TKState().menuBar;
  for (size_t i = 0; i < menus.size(); ++i) {
    TKFont font = TKSystemFont();
    font.bold = i == 0;
    TKSetFillColor(ctx, TKColor{0.1, 0.1, 0.1, 1});
    TKDrawTextInRect(ctx, font, menus[i]->title.c_str(),
                     TKRect{0, lefts[i] + kBarTitleGap / 2, bar.bottom, lefts[i] + widths[i]}, kTKAlignLeft);
  }
}

void TKMenuBarClick(TKWindow* w, TKPoint where) {
  std::vector<int32_t> widths;
  std::vector<int32_t> lefts = BarTitleLefts(&widths);
  const auto menus = TKState().menuBar;
  for (size_t i = 0; i < menus.size(); ++i) {
    if (where.x < lefts[i] || where.x >= lefts[i] + widths[i]) continue;
    TKMenuChoice choice = TKPopupMenu(menus[i], w, TKPoint{lefts[i], TKMenuBarHeight()}, 0);
    // A menu choice nobody answers does nothing.
    if (choice.item && choice.command) QVIgnoreStatus(TKSendMenuChoice(choice, 0));
    return;
  }
}
