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
  UIWindow* big = nullptr;
  UIControl* tabs = nullptr;
  UIControl* graph = nullptr;

  void SetUp() override {
    CorrectionWindowTest::SetUp();
    if (HasFatalFailure()) return;
    big = UICreateWindow(kUIWindowPlain, UIMakeRect(0, 0, 1400, 800), "Levels");
    UISetWindowContentColor(big, VFColor(kUIColorControlBackground));
    static const VFTabEntry kMain[] = {{"HSL", 1, 0},        {"RGB", 1, 0},       {"CMY", 1, 0},
                                       {"YCbCr", 1, 0},      {"Curves", 1, 0},    {"Levels", 1, 1},
                                       {"Luma Range", 1, 0}, {"Secondary", 1, 0}, {"Limiting", 1, 0}};
    ASSERT_EQ(CreateTabGroup(big, UIMakeRect(10, 10, 1380, 760), 9, kMain, true, &tabs), kQVNoErr);
    gVFTabGroups.correction = tabs;
    const UIRect inner = UIRectInset(UIGetControlBounds(TabGroupGetPane(tabs, kCorrectionTabLevels)), 4, 4);
    gNextValueControlID = 100;
    BuildLevelsTab(big, tabs, inner);
    ASSERT_NE(gVFTabGroups.levelsChannels, nullptr);

    TabGroupBindItemCheck(tabs, kCorrectionTabLumaRange, &gUISettings.lumaRangesEnable);
    UIControl* lumaPane = TabGroupGetPane(tabs, kCorrectionTabLumaRange);
    const UIRect b = UIGetControlBounds(lumaPane);
    graph = CreateLumaRangeControl(big, UIRect{b.top + 30, b.left + 20, b.top + 30 + 260, b.left + 20 + 404},
                                   "Luma Ranges", lumaPane, &gUISettings, 0,
                                   kOff(offsetof(VL_SettingsStruct, lumaRanges)), 200, gSettingsControls);
    ASSERT_NE(graph, nullptr);
    UIShowWindow(big);
    UISelectWindow(big);
    gCorrectionTab = kCorrectionTabLevels;
    gLevelsChannel = kLevelsChannelMaster;
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    UIRunPending();
    reprocessCount = 0;
  }

  void TearDown() override {
    gCorrectionTab = 0;
    gLevelsChannel = kLevelsChannelMaster;
    CorrectionWindowTest::TearDown();
  }

  // The marker strip of channel 0-3 (master, red, green, blue).
  static UIControl* Strip(int32_t channel) {
    return VFControlAtOffset(kOff(offsetof(VL_SettingsStruct, levels)) + 32 * uint32_t(channel));
  }
  // Where a marker of the strip hangs (the middle of its hot area).
  static UIPoint MarkerPoint(UIControl* strip, int32_t point) {
    const LevelsControl* r = LevelsRecordOf(strip);
    const UIRect& bar = point < kLevelsOutBlack ? r->inputBar : r->outputBar;
    return UIPoint{bar.left + int32_t(std::floor(r->value[point] * r->scale)), bar.bottom + 8};
  }
  // A drag with the button let go at once, in steps of 8 px at most.
  void Drag(UIPoint from, int32_t dx, int32_t dy = 0) {
    UIInjectMouseDown(big, from);
    const int32_t steps = std::max(1, std::max(std::abs(dx), std::abs(dy)) / 8);
    for (int32_t i = 1; i <= steps; ++i)
      UIInjectMouseDrag(big, UIPoint{from.x + dx * i / steps, from.y + dy * i / steps});
    UIInjectMouseUp(big, UIPoint{from.x + dx, from.y + dy});
    UIRunPending();
  }
  // The record back to the fixture's start, the controls with it.
  void ResetRecord(const VL_SettingsStruct& start) {
    gUISettings = start;
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    reprocessCount = 0;
  }
};
