// A correction window large enough for the Levels tab at its usual size,
// with the Levels tab built as the application builds it and a luma-range
// graph in the Luma Range tab. The frames, the record and the reprocess
// count are those of the correction window fixture.
#pragma once

#include "app/controls/composite_controls.h"
#include "app/controls/levels_control.h"
#include "app/controls/levels_control_internal.h"
#include "app/controls/luma_range_control_internal.h"
#include "app/controls/special_setters.h"
#include "app/state/view_state.h"
#include "app/window/correction_tabs.h"
#include "app/window/main_window.h"
#include "tests/app/controls/correction_window.h"

class LevelsWindowTest : public CorrectionWindowTest {
 protected:
  TKWindow* big = nullptr;
  TKControl* tabs = nullptr;
  TKControl* graph = nullptr;

  void SetUp() override {
    CorrectionWindowTest::SetUp();
    if (HasFatalFailure()) return;
    big = TKCreateWindow(kTKWindowPlain, TKMakeRect(0, 0, 1400, 800), "Levels");
    TKSetWindowContentColor(big, VFColor(kUIColorControlBackground));
    static const VFTabEntry kMain[] = {{"HSL", 1, 0},        {"RGB", 1, 0},       {"CMY", 1, 0},
                                       {"YCbCr", 1, 0},      {"Curves", 1, 0},    {"Levels", 1, 1},
                                       {"Luma Range", 1, 0}, {"Secondary", 1, 0}, {"Limiting", 1, 0}};
    ASSERT_EQ(CreateTabGroup(big, TKMakeRect(10, 10, 1380, 760), 9, kMain, true, &tabs), kQVNoErr);
    gVFTabGroups.correction = tabs;
    const TKRect inner = TKRectInset(TKGetControlBounds(TabGroupGetPane(tabs, kCorrectionTabLevels)), 4, 4);
    gNextValueControlID = 100;
    BuildLevelsTab(big, tabs, inner);
    ASSERT_NE(gVFTabGroups.levelsChannels, nullptr);

    TabGroupBindItemCheck(tabs, kCorrectionTabLumaRange, &gUISettings.lumaRangesEnable);
    TKControl* lumaPane = TabGroupGetPane(tabs, kCorrectionTabLumaRange);
    const TKRect b = TKGetControlBounds(lumaPane);
    graph = CreateLumaRangeControl(big, TKRect{b.top + 30, b.left + 20, b.top + 30 + 260, b.left + 20 + 404},
                                   "Luma Ranges", lumaPane, &gUISettings, 0,
                                   kOff(offsetof(VL_SettingsStruct, lumaRanges)), 200, gSettingsControls);
    ASSERT_NE(graph, nullptr);
    TKShowWindow(big);
    TKSelectWindow(big);
    gCorrectionTab = kCorrectionTabLevels;
    gLevelsChannel = kLevelsChannelMaster;
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    TKRunPending();
    reprocessCount = 0;
  }

  void TearDown() override {
    gCorrectionTab = 0;
    gLevelsChannel = kLevelsChannelMaster;
    CorrectionWindowTest::TearDown();
  }

  // The marker strip of channel 0-3 (master, red, green, blue).
  static TKControl* Strip(int32_t channel) {
    return VFControlAtOffset(kOff(offsetof(VL_SettingsStruct, levels)) + 32 * uint32_t(channel));
  }
  // Where a marker of the strip hangs (the middle of its hot area).
  static TKPoint MarkerPoint(TKControl* strip, int32_t point) {
    const LevelsControl* r = LevelsRecordOf(strip);
    const TKRect& bar = point < kLevelsOutBlack ? r->inputBar : r->outputBar;
    return TKPoint{bar.left + int32_t(std::floor(r->value[point] * r->scale)), bar.bottom + 8};
  }
  // A drag with the button let go at once, in steps of 8 px at most.
  void Drag(TKPoint from, int32_t dx, int32_t dy = 0) {
    TKInjectMouseDown(big, from);
    const int32_t steps = std::max(1, std::max(std::abs(dx), std::abs(dy)) / 8);
    for (int32_t i = 1; i <= steps; ++i)
      TKInjectMouseDrag(big, TKPoint{from.x + dx * i / steps, from.y + dy * i / steps});
    TKInjectMouseUp(big, TKPoint{from.x + dx, from.y + dy});
    TKRunPending();
  }
  // The record back to the fixture's start, the controls with it.
  void ResetRecord(const VL_SettingsStruct& start) {
    gUISettings = start;
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    reprocessCount = 0;
  }
};
