// Context menus (control-click or right-click) described by a plain array of
// item records. One call builds the menu, lets the caller's callback enable or
// disable items, pops the menu up at the mouse and reports the chosen item's
// tag to the same callback.
#pragma once

#include <cstdint>

#include "platform/status.h"

struct TKMenu;

// One entry of an item array. The title "-" (any case) makes a separator; a
// null title ends the array.
struct CTMMenuItem {
  const char* title;
  int32_t tag;      // reported when the item is chosen
  uint8_t enabled;  // non-zero for an enabled item
  int32_t state;    // check mark: 0 off, 1 on, -1 mixed (shown as on)
};

enum : int32_t {
  kCTMMessageBeforeShow = 1,  // tag 0; the callback may adjust the items
  kCTMMessageChosen = 2,      // the chosen item's tag, 0 when nothing was chosen
};

// unused is always 0.
using CTMMenuCallback = void (*)(int32_t unused, int32_t message, int32_t tag, TKMenu* menu, void* userData);

// Shows the menu and returns kQVNoErr; kQVErrNotHandled when items is null.
// The callback may be null. The last two arguments are not used.
QVStatus CTMDoContextualMenu(const CTMMenuItem* items, CTMMenuCallback callback, void* userData,
                             int32_t unused1 = 0, int32_t unused2 = 0);

// Enables or disables the 1-based item (separators count); a null menu or an
// item outside the menu does nothing. Returns kQVNoErr.
QVStatus CTMSetMenuItemEnable(TKMenu* menu, int16_t item, bool enabled);
