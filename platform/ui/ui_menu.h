// Menus by id with items (text, command, enabled, checked, key equivalent
// with modifiers, submenu), the menu bar drawn in the main window, popups.
// Before a menu shows or a key equivalent runs, every item with a command
// gets a kUIEventUpdateCommand through the key window's and the
// application's chains so their handlers can set its state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/ui_types.h"

struct UIMenu;
struct UIWindow;

UIMenu* UICreateMenu(int32_t menuID, const char* title);
void UIDisposeMenu(UIMenu* menu);
UIMenu* UIGetMenu(int32_t menuID);  // null when no menu has that id
int32_t UIGetMenuID(UIMenu* menu);
std::string UIGetMenuTitle(UIMenu* menu);

// Items are numbered from 1. A title of "-" is a separator.
int32_t UIAppendMenuItem(UIMenu* menu, const char* text, uint32_t command, uint32_t keyChar = 0,
                         uint32_t keyModifiers = 0x100);
int32_t UICountMenuItems(UIMenu* menu);
std::string UIGetMenuItemText(UIMenu* menu, int32_t item);
uint32_t UIGetMenuItemCommand(UIMenu* menu, int32_t item);
void UIEnableMenuItem(UIMenu* menu, int32_t item, bool enabled);
bool UIIsMenuItemEnabled(UIMenu* menu, int32_t item);
void UICheckMenuItem(UIMenu* menu, int32_t item, bool checked);
bool UIIsMenuItemChecked(UIMenu* menu, int32_t item);
void UISetMenuItemSubmenu(UIMenu* menu, int32_t item, UIMenu* submenu);
UIMenu* UIGetMenuItemSubmenu(UIMenu* menu, int32_t item);
void UISetMenuItemRefCon(UIMenu* menu, int32_t item, intptr_t refCon);
intptr_t UIGetMenuItemRefCon(UIMenu* menu, int32_t item);
// Finds the first item with the command in the menu bar's menus and their
// submenus; false when none.
bool UIFindMenuCommand(uint32_t command, UIMenu** menu, int32_t* item);

// The menu bar: menus in order.
void UIInsertMenuInBar(UIMenu* menu);
void UIClearMenuBar();
std::vector<UIMenu*> UIGetMenuBarMenus();

// Runs the enable pass over a menu (and its submenus).
void UIUpdateMenuItems(UIMenu* menu);

struct UIMenuChoice {
  UIMenu* menu = nullptr;
  int32_t item = 0;  // 0 when nothing was chosen
  uint32_t command = 0;
};
// Shows the menu at a point of the window (its top-left corner there, or
// `item` under the point when item > 0) and tracks the mouse until a choice.
UIMenuChoice UIPopupMenu(UIMenu* menu, UIWindow* window, UIPoint where, int32_t item);
// Finds an enabled item whose key equivalent matches (case-insensitive).
UIMenuChoice UIMatchMenuKey(uint32_t charCode, uint32_t modifiers);
