// The shortcut tables drive the tab groups; context menus run their
// procedure around the user's choice.
#include "app/controls/context_menus.h"
#include "app/window/shortcut_keys.h"
#include "tests/app/controls/correction_window.h"

TEST_F(CorrectionWindowTest, ShortcutsSelectTheTabsTheyName) {
  // The HSL tab holds a sub-tab group (Controls, Hue Offsets) whose
  // Controls pane holds the range tabs, as in the application.
  static const VFTabEntry kSub[] = {{"Controls", 1, 1}, {"Hue Offsets", 1, 0}};
  TKControl* hslPane = TabGroupGetPane(mainTabs, 0);
  TKControl* sub = nullptr;
  ASSERT_EQ(CreateTabGroup(window, TKGetControlBounds(hslPane), 2, kSub, true, &sub), kQVNoErr);
  ASSERT_EQ(TKEmbedControl(sub, hslPane), kQVNoErr);
  ASSERT_EQ(TKEmbedControl(hslRanges, TabGroupGetPane(sub, 0)), kQVNoErr);
  static const VFTabEntry kChannels[] = {{"Master", 1, 1}, {"Red", 1, 0}, {"Green", 1, 0}, {"Blue", 1, 0}};
  TKControl* levels = nullptr;
  ASSERT_EQ(CreateTabGroup(window, TKGetControlBounds(TabGroupGetPane(mainTabs, 5)), 4, kChannels, true, &levels),
            kQVNoErr);
  ASSERT_EQ(TKEmbedControl(levels, TabGroupGetPane(mainTabs, 5)), kQVNoErr);

  struct Case {
    uint32_t key, modifiers;
    int32_t current;
    int32_t handled, tab;
    TKControl* subGroup;
    int32_t subTab;
  } cases[] = {
      {'s', 0, 0, 1, 0, hslRanges, 3},  // HSL: Controls, Shadows
      {'a', 0, 0, 1, 0, hslRanges, 0},
      {'w', 0, 0, 1, 0, sub, 1},        // Hue Offsets
      {'g', 0, 5, 1, 5, levels, 2},     // Levels: green
      {'a', 0, 5, 1, 5, levels, 0},
      {'a', 0, 4, 0, 5, nullptr, 0},    // with Curves current nothing happens
      {'v', 0, 0, 1, 5, nullptr, 0},    // plain v: Levels
      {'V', 0, 0, 0, 5, nullptr, 0},    // capital without shift: no record
      {'l', 0x200, 0, 0, 5, nullptr, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HandleShortcutKey(c.key, c.modifiers, c.current, mainTabs, kCorrectionTabShortcuts), c.handled)
        << char(c.key);
    EXPECT_EQ(TabGroupGetCurrent(mainTabs), c.tab) << char(c.key);
    if (c.subGroup) {
      EXPECT_EQ(TabGroupGetCurrent(c.subGroup), c.subTab) << char(c.key);
    }
  }
  EXPECT_EQ(TabGroupGetCurrent(sub), 1) << "'w' left Hue Offsets selected";
  HandleShortcutKey('s', 0, 0, mainTabs, kCorrectionTabShortcuts);
  EXPECT_EQ(TabGroupGetCurrent(sub), 0) << "the sub-sub-tab's group is selected too";

  // Shift-V is the vectorscope among the analysis displays.
  std::vector<VFTabEntry> analysisEntries(13, VFTabEntry{"View", 1, 0});
  analysisEntries[0].selected = 1;
  TKControl* analysis = nullptr;
  ASSERT_EQ(CreateTabGroup(window, TKMakeRect(0, 0, 200, 400), 13, analysisEntries.data(), false, &analysis), kQVNoErr);
  EXPECT_EQ(HandleShortcutKey('V', 0x200, -1, analysis, kAnalysisShortcuts), 1);
  EXPECT_EQ(TabGroupGetCurrent(analysis), 9);
  // Shift-F shows the reference in the image pane; plain F is nothing there.
  TKControl* modes = nullptr;
  ASSERT_EQ(CreateTabGroup(window, TKMakeRect(0, 0, 200, 400), 6, analysisEntries.data(), false, &modes), kQVNoErr);
  EXPECT_EQ(HandleShortcutKey('F', 0, -1, modes, kImagePaneShortcuts), 0);
  EXPECT_EQ(HandleShortcutKey('F', 0x200, -1, modes, kImagePaneShortcuts), 1);
  EXPECT_EQ(TabGroupGetCurrent(modes), 2);

  // Nothing while a value is typed.
  HandleShortcutKey('a', 0, 0, mainTabs, kCorrectionTabShortcuts);
  Click(Parts(gain)->readout);
  ASSERT_TRUE(gEditFieldOpen);
  EXPECT_EQ(HandleShortcutKey('c', 0, 0, mainTabs, kCorrectionTabShortcuts), 0);
}

namespace {
std::vector<std::pair<int32_t, int32_t>> gMenuCalls;  // (phase, chosen)
void RecordMenu(TKControl*, int32_t phase, int32_t chosen, TKMenu*, int32_t ref) {
  EXPECT_EQ(ref, 42);
  gMenuCalls.emplace_back(phase, chosen);
}
}  // namespace

TEST_F(CorrectionWindowTest, ContextMenusRunTheirProcedureAroundTheChoice) {
  TKMenu* menu = TKCreateMenu(420, "");
  TKAppendMenuItem(menu, "Reset", 0);
  TKAppendMenuItem(menu, "Copy", 0);
  // A menu without a procedure is not shown: the click passes on.
  ASSERT_EQ(SetControlContextMenu(gain, menu, nullptr, 42), kQVNoErr);
  EXPECT_EQ(HandleControlContextClick(gain, Centre(gain)), kQVErrNotHandled);
  EXPECT_EQ(HandleControlContextClick(nullptr, TKPoint{}), kQVErrNotHandled);

  gMenuCalls.clear();
  ASSERT_EQ(SetControlContextMenu(gain, menu, RecordMenu, 42), kQVNoErr);
  TKInjectRightClick(window, Centre(gain));
  TKInjectKey(kTKKeyEscape);
  TKRunPending();
  std::vector<std::pair<int32_t, int32_t>> expected = {{kVFMenuBeforeOpen, 0}, {kVFMenuAfterChoice, 0}};
  EXPECT_EQ(gMenuCalls, expected) << "choosing nothing still ends with phase 2 and item 0";

  gMenuCalls.clear();
  TKInjectRightClick(window, Centre(gain));
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyReturn);
  TKRunPending();
  ASSERT_EQ(gMenuCalls.size(), 2u);
  EXPECT_EQ(gMenuCalls[1].first, kVFMenuAfterChoice);
  EXPECT_GE(gMenuCalls[1].second, 1);

  static const char* const kHelp[] = {"Gain of the range", "Multiplies the range's values; Option-click resets."};
  VFRegisterStringList(900, kHelp, 2);
  EXPECT_EQ(SetControlHelpTag(gain, 900, 1, 2), kQVNoErr);
  EXPECT_EQ(TKGetHelpTag(gain), "Gain of the range");
  EXPECT_EQ(SetControlHelpTag(gain, 900, 3, 4), kQVErrParam);
}
