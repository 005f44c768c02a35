// The Secondary tab: six keyed corrections "A" to "F", each with four colour
// samples, key tolerances, a preview, a correction of its own and a Reset
// button. BuildSecondaryTab, gSecondaryTabIndex and SecondaryTabSwitchProc
// are declared with the other tab builders in correction_tabs.h.
#pragma once

#include <cstdint>

struct TKControl;
struct TKMenu;

// The "Preview Style" menu; its item number is the secondary's preview mode
// (1 grey surround, 2 red surround, 3 the key as a matte).
constexpr int32_t kVFPreviewStyleMenuID = 153;
// The menu, made the first time it is asked for.
TKMenu* VFPreviewStyleMenu();

// The six-item group of the tab (also gVFTabGroups.secondaries).
extern TKControl* gSecondaryTabs;
