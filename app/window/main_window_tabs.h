// The two correction tabs the main window builds itself: "Luma Range" (the
// luma-range graph and its Reset button) and "Limiting" (soft clip, hard
// clip, chroma limits, the limit method and video system, the out-of-limit
// preview).
#pragma once

#include <cstdint>

struct MainWindowGeometry;
struct TKControl;
struct TKWindow;

void BuildLumaRangeTab(TKWindow* window, TKControl* correctionTabs, const MainWindowGeometry& geometry);
void BuildLimitingTab(TKWindow* window, TKControl* correctionTabs, const MainWindowGeometry& geometry);
// Makes the Limiting tab's menus (151 "Video System", 152 "Limit Method")
// unless they exist.
void EnsureMainWindowMenus();

// Change procedure of the Limiting tab's soft-clip sliders: switches soft
// clipping on and ticks its box.
void SoftClipSliderChangeProc(TKControl* control, uint32_t newFieldBits, bool reprocess);
