// Menus by id with items (text, command, enabled, checked, key equivalent
// with modifiers, submenu), the menu bar drawn in the main window, popups.
// Before a menu shows or a key equivalent runs, every item with a command
// gets a kTKEventUpdateCommand through the key window's and the
// application's chains so their handlers can set its state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/ui_types.h"

struct TKMenu;
struct TKWindow;

TKMenu* TKCreateMenu(int32_t menuID, const char* title);
void TKDisposeMenu(TKMenu* menu);
TKMenu* TKGetMenu(int32_t menuID);  // null when no menu has that id
int32_t TKGetMenuID(TKMenu* menu);
std::string TKGetMenuTitle(TKMenu* menu);

// Items are numbered from 1. A title of "-" is a separator.
int32_t TKAppendMenuItem(TKMenu* menu, const char* text, uint32_t command, uint32_t keyChar = 0,
                         uint32_t keyModifiers = 0x100);
int32_t TKCountMenuItems(TKMenu* menu);
void TKDeleteAllMenuItems(TKMenu* menu);
std::string TKGetMenuItemText(TKMenu* menu, int32_t item);
uint32_t TKGetMenuItemCommand(TKMenu* menu, int32_t item);
void TKEnableMenuItem(TKMenu* menu, int32_t item, bool enabled);
bool TKIsMenuItemEnabled(TKMenu* menu, int32_t item);
void TKCheckMenuItem(TKMenu* menu, int32_t item, bool checked);
bool TKIsMenuItemChecked(TKMenu* menu, int32_t item);
void TKSetMenuItemSubmenu(TKMenu* menu, int32_t item, TKMenu* submenu);
TKMenu* TKGetMenuItemSubmenu(TKMenu* menu, int32_t item);
void TKSetMenuItemRefCon(TKMenu* menu, int32_t item, intptr_t refCon);
intptr_t TKGetMenuItemRefCon(TKMenu* menu, int32_t item);
// Finds the first item with the command in the menu bar's menus and their
// submenus; false when none.
bool TKFindMenuCommand(uint32_t command, TKMenu** menu, int32_t* item);

// The menu bar: menus in order.
void TKInsertMenuInBar(TKMenu* menu);
void TKClearMenuBar();
std::vector<TKMenu*> TKGetMenuBarMenus();

// Runs the enable pass over a menu (and its submenus).
void TKUpdateMenuItems(TKMenu* menu);

struct TKMenuChoice {
  TKMenu* menu = nullptr;
  int32_t item = 0;  // 0 when nothing was chosen
  uint32_t command = 0;
};
// Shows the menu at a point of the window (its top-left corner there, or
// `item` under the point when item > 0) and tracks the mouse until a choice.
TKMenuChoice TKPopupMenu(TKMenu* menu, TKWindow* window, TKPoint where, int32_t item);
// Finds an enabled item whose key equivalent matches (case-insensitive).
TKMenuChoice TKMatchMenuKey(uint32_t charCode, uint32_t modifiers);
