#include "support/context_menu.h"

#include <strings.h>

#include "platform/ui/ui_event.h"
#include "platform/ui/ui_menu.h"
#include "platform/ui/ui_window.h"

namespace {

constexpr int32_t kContextMenuID = 0x43544D30;  // 'CTM0', made and disposed per call

bool IsSeparatorTitle(const char* title) { return strcasecmp(title, "-") == 0; }

}  // namespace

QVStatus CTMDoContextualMenu(const CTMMenuItem* items, CTMMenuCallback callback, void* userData, int32_t, int32_t) {
  if (!items) return kQVErrNotHandled;
  TKMenu* menu = TKCreateMenu(kContextMenuID, "Contextual Menu");
  for (const CTMMenuItem* it = items; it->title; ++it) {
    if (IsSeparatorTitle(it->title)) {
      TKAppendMenuItem(menu, "-", 0);
      continue;
    }
    // The tag rides in the item's reference value; the item has no command,
    // so choosing it sends nothing through the handler chains.
    int32_t n = TKAppendMenuItem(menu, it->title, 0);
    TKSetMenuItemRefCon(menu, n, it->tag);
    TKEnableMenuItem(menu, n, it->enabled != 0);
    TKCheckMenuItem(menu, n, it->state != 0);
  }
  if (callback) callback(0, kCTMMessageBeforeShow, 0, menu, userData);

  // At the mouse, placed in global coordinates so that it shows also when no
  // window of ours is on screen.
  TKMenuChoice choice = TKPopupMenu(menu, nullptr, TKGetMouseLocation(), 0);
  int32_t tag = choice.item ? int32_t(TKGetMenuItemRefCon(menu, choice.item)) : 0;
  if (callback) callback(0, kCTMMessageChosen, tag, menu, userData);
  TKDisposeMenu(menu);
  return kQVNoErr;
}

QVStatus CTMSetMenuItemEnable(TKMenu* menu, int16_t item, bool enabled) {
  if (menu && item >= 1 && item <= TKCountMenuItems(menu)) TKEnableMenuItem(menu, item, enabled);
  return kQVNoErr;
}
