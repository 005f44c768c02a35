// Context menus of the 32-bit build, which has no window system to pop one
// up in: the caller still sees the menu prepared and then that nothing was
// chosen, so it changes nothing.
#include "support/context_menu.h"

QVStatus CTMDoContextualMenu(const CTMMenuItem* items, CTMMenuCallback callback, void* userData, int32_t, int32_t) {
  if (!items) return kQVErrNotHandled;
  if (callback) {
    callback(0, kCTMMessageBeforeShow, 0, nullptr, userData);
    callback(0, kCTMMessageChosen, 0, nullptr, userData);
  }
  return kQVNoErr;
}

QVStatus CTMSetMenuItemEnable(TKMenu*, int16_t, bool) { return kQVNoErr; }
