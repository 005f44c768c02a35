// Brings the controls up to a whole settings record (undo and redo, saved
// slots, presets, a new exchange, surface resets) for any selection of
// sections, optionally touching only what differs from a previous record,
// and rebuilds the processing tables from it. It neither reprocesses nor
// redraws the picture; its callers do.
#pragma once

#include <cstdint>

struct TKControl;
struct VL_SettingsStruct;

// The tab groups of the correction window whose enable boxes follow the
// record; the window builders fill them, a missing group is skipped.
struct VFMainTabGroups {
  TKControl* correction = nullptr;     // 0 HSL, 1 RGB, 2 CMY, 3 YCbCr, 4 Curves, 5 Levels, 6 Luma Range, 7 Secondary, 8 Limiting
  TKControl* hslSubTabs = nullptr;     // 0 the HSL controls, 1 hue offsets
  TKControl* ranges[4] = {};           // HSL, RGB, YCbCr, CMY: 0 master, 1 highlights, 2 midtones, 3 shadows
  TKControl* curvesSubTabs = nullptr;  // 0 RGB curves, 1 HSL curves
  TKControl* levelsChannels = nullptr; // 0 master, 1 red, 2 green, 3 blue
  TKControl* secondaries = nullptr;    // A to F
  TKControl* keyer = nullptr;          // item 0
  TKControl* geometry = nullptr;       // A to F
  TKControl* pixelAdjust = nullptr;    // four items
};
extern VFMainTabGroups gVFTabGroups;

// Group mask bits: 0x1-0x8000 the sixteen primary ranges (HSL, RGB, YCbCr,
// CMY; master, highlights, midtones, shadows), 0x10000 hue offsets, 0x20000
// to 0x100000 levels master, red, green, blue, 0x400000 << n secondary n,
// 0x10000000 limiter, 0x40000000 luma ranges. Item mask bits: 0x2-0x10 RGB
// curves, 0x20-0x80 HSL curves, 0x100-0x800 pixel adjustment, 0x1000 << n
// geometry of secondary n. Both -1: everything, main enable boxes first.
constexpr uint32_t kVFSyncAll = 0xFFFFFFFFu;
// flags bit 0: sliders take the record's values (written into their own
// fields without reprocessing); clear: each slider re-reads its own field.
constexpr uint8_t kVFSyncApply = 1;

void SyncControlsWithSettings(const VL_SettingsStruct* settings, uint32_t groupMask, uint32_t itemMask,
                              const VL_SettingsStruct* previous, uint8_t flags);
