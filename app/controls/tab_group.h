// Tab groups: a column of tab rows on the left, one content pane per tab on
// the right, and on each row an optional enable box bound to a section's
// enable word. Editing any control inside a tab switches its enable box on,
// and the boxes of every tab around it (EnableEnclosingTabs).
#pragma once

#include <cstdint>

#include "platform/status.h"
#include "platform/ui/ui_types.h"

struct TKControl;
struct TKWindow;

constexpr int32_t kVFTabMaxItems = 16;
constexpr int32_t kVFTabColumnWidth = 94;

using VFTabSwitchProc = void (*)(int32_t oldIndex, int32_t newIndex);
using VFTabEnableProc = void (*)(int32_t item, int32_t value);

struct VFTabGroupItem;

struct VFTabGroup {
  TKControl* pane = nullptr;
  TKWindow* window = nullptr;
  TKRect bounds;
  int32_t tabListBottom = 0;
  int32_t count = 0;
  int32_t current = 0;
  VFTabSwitchProc switchProc = nullptr;
  VFTabEnableProc enableProc = nullptr;
  VFTabGroupItem* items[kVFTabMaxItems] = {};
  uint8_t active = 1;
};

struct VFTabGroupItem {
  TKControl* row = nullptr;
  TKRect rowBounds;
  char name[64] = {};
  int32_t index = 0;
  VFTabGroup* group = nullptr;
  TKControl* content = nullptr;
  TKControl* enableBox = nullptr;
  uint32_t* boundWord = nullptr;
  uint8_t selected = 0;
  uint8_t enabled = 0;
};

struct VFTabEntry {
  const char* name;
  uint8_t enabled;
  uint8_t selected;
};

// Builds the group; kQVErrParam for more than 16 items (nothing is built).
// A count of 0 makes an empty frame 94 px right of the bounds.
QVStatus CreateTabGroup(TKWindow* window, const TKRect& bounds, int32_t count, const VFTabEntry* entries,
                        bool withEnableBoxes, TKControl** outPane);
// Operations on a group's pane; a null pane or an index out of range does nothing.
void TabGroupSelect(TKControl* group, int32_t item);
TKControl* TabGroupGetPane(TKControl* group, int32_t item);
int32_t TabGroupGetCount(TKControl* group);
int32_t TabGroupGetCurrent(TKControl* group);
void TabGroupSetSwitchProc(TKControl* group, VFTabSwitchProc proc);
void TabGroupSetEnableProc(TKControl* group, VFTabEnableProc proc);
// Binds the item's enable box to a word (null unbinds); the box shows the word.
void TabGroupBindItemCheck(TKControl* group, int32_t item, uint32_t* word);
// Box := value and, when bound, word := value.
void TabGroupSetItemCheck(TKControl* group, int32_t item, int32_t value);
// The box shows a word's value (on when non-zero); the word is not written.
void TabGroupShowItemCheck(TKControl* group, int32_t item, uint32_t word);
int32_t TabGroupGetItemCheck(TKControl* group, int32_t item);
void TabGroupSetActive(TKControl* group, bool active, bool alsoBoxes, bool redraw);
// Sets the enable box (and its word) of the tab whose content pane holds the
// control, and with climb those of every tab further out.
void EnableEnclosingTabs(TKControl* control, int16_t value, bool climb);
// The first direct sub-control that is a tab group ('VFht' 1), or null.
TKControl* FindTabGroupControl(TKControl* parent);

VFTabGroup* TabGroupRecord(TKControl* group);
// The tab item whose content pane this is, or null.
VFTabGroupItem* TabGroupItemOfPane(TKControl* pane);
