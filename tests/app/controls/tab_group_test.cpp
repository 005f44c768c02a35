// Tab groups: selection, enable boxes and their words, the climb through
// nested tabs, and the limits of a group.
#include "tests/app/controls/correction_window.h"

namespace {

std::vector<std::pair<int32_t, int32_t>> gSwitches;
void RecordSwitch(int32_t from, int32_t to) { gSwitches.emplace_back(from, to); }
int gEnableCalls = 0;
void RecordEnable(int32_t, int32_t) { ++gEnableCalls; }

}  // namespace

TEST_F(CorrectionWindowTest, SelectingShowsOnePaneAndCallsTheSwitchProcedure) {
  gSwitches.clear();
  TabGroupSetSwitchProc(mainTabs, RecordSwitch);
  TabGroupSelect(mainTabs, 1);
  EXPECT_EQ(TabGroupGetCurrent(mainTabs), 1);
  EXPECT_TRUE(TKIsControlVisible(TabGroupGetPane(mainTabs, 1)));
  EXPECT_FALSE(TKIsControlVisible(TabGroupGetPane(mainTabs, 0)));
  EXPECT_FALSE(TKIsControlVisible(Parts(hue)->readout)) << "controls of a hidden tab are hidden";
  // Clicking the row of the selected tab again.
  const VFTabGroupItem* row = TabGroupRecord(mainTabs)->items[1];
  TKInjectClick(window, TKPoint{row->rowBounds.left + 60, (row->rowBounds.top + row->rowBounds.bottom) / 2});
  TKRunPending();
  const std::vector<std::pair<int32_t, int32_t>> expected = {{0, 1}, {1, 1}};
  EXPECT_EQ(gSwitches, expected);
  EXPECT_TRUE(TKIsControlVisible(TabGroupGetPane(mainTabs, 1)));
  // Out of range and inactive groups change nothing.
  TabGroupSelect(mainTabs, 9);
  TabGroupSelect(mainTabs, -1);
  TabGroupSetActive(mainTabs, false, false, false);
  TabGroupSelect(mainTabs, 2);
  EXPECT_EQ(TabGroupGetCurrent(mainTabs), 1);
  EXPECT_EQ(TabGroupGetPane(mainTabs, 9), nullptr);
  TabGroupSetItemCheck(mainTabs, 12, 1);
}

TEST_F(CorrectionWindowTest, AGroupRefusesMoreThanSixteenItems) {
  std::vector<VFTabEntry> entries(17, VFTabEntry{"Tab", 1, 0});
  TKControl* group = reinterpret_cast<TKControl*>(1);
  EXPECT_EQ(CreateTabGroup(window, TKMakeRect(0, 0, 300, 300), 17, entries.data(), true, &group), kQVErrParam);
  EXPECT_EQ(group, nullptr);
  ASSERT_EQ(CreateTabGroup(window, TKMakeRect(0, 0, 300, 300), 16, entries.data(), true, &group), kQVNoErr);
  EXPECT_EQ(TabGroupGetCount(group), 16);
  TKControl* frame = nullptr;
  ASSERT_EQ(CreateTabGroup(window, TKMakeRect(10, 20, 300, 300), 0, nullptr, false, &frame), kQVNoErr);
  EXPECT_EQ(TKGetControlBounds(frame).left, 10 + kVFTabColumnWidth) << "an empty frame lines up with content panes";
}

TEST_F(CorrectionWindowTest, EditingInsideNestedTabsSwitchesOnEveryEnclosingTab) {
  // Highlights gain sits in HSL > Highlights.
  ASSERT_EQ(gUISettings.hsl[1].enable, 0u);
  VFWriteControlValue(highlightGain, 2 * 65536, false);
  EXPECT_EQ(gUISettings.hsl[1].enable, 1u);
  EXPECT_EQ(gUISettings.hslEnable, 1u);
  EXPECT_EQ(gUISettings.hsl[0].enable, 0u) << "a sibling tab stays as it was";
  EXPECT_EQ(TabGroupGetItemCheck(hslRanges, 1), 1);
  // Without climbing only the inner tab; a control outside tabs switches nothing.
  gUISettings.hslEnable = 0;
  TabGroupShowItemCheck(mainTabs, 0, 0);
  EnableEnclosingTabs(hue, 1, false);
  EXPECT_EQ(gUISettings.hsl[0].enable, 1u);
  EXPECT_EQ(gUISettings.hslEnable, 0u);
  TKControl* loose = TKNewCheckBox(window, TKMakeRect(0, 0, 20, 20), "", 0);
  const VL_SettingsStruct before = gUISettings;
  EnableEnclosingTabs(loose, 1, true);
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  EXPECT_EQ(FindTabGroupControl(TabGroupGetPane(mainTabs, 0)), hslRanges);
  EXPECT_EQ(FindTabGroupControl(TabGroupGetPane(mainTabs, 1)), nullptr);
}

TEST_F(CorrectionWindowTest, TogglingAnEnableBoxIsOneUndoStepHoldingTheRecordBefore) {
  gEnableCalls = 0;
  TabGroupSetEnableProc(mainTabs, RecordEnable);
  const VL_SettingsStruct before = gUISettings;
  TKControl* box = TabGroupRecord(mainTabs)->items[1]->enableBox;
  const uint32_t was = gUISettings.rgbEnable;
  Click(box);
  EXPECT_EQ(gUISettings.rgbEnable, was ? 0u : 1u);
  EXPECT_EQ(gEnableCalls, 1);
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  EXPECT_EQ(TKGetControlValue(box), was ? 1 : 0) << "the box follows the undo";
  EXPECT_FALSE(UndoBufferCanUndo(gUndoBuffer));
}
