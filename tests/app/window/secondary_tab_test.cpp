// The Secondary tab in a window wide enough for its three columns: every
// group's controls edit their own block and the picture follows the engine;
// leaving a group turns its preview off; the style popup ticks the tabs
// around it; each Reset button carries its own group's section.
#include "app/window/correction_tabs.h"
#include "app/window/secondary_tab.h"
#include "tests/app/controls/correction_window.h"

namespace {

constexpr uint32_t kSecondary = VF_OFFSET(secondary);
constexpr uint32_t kBlockBytes = sizeof(VL_SecondaryControls);

uint32_t Block(int n) { return kSecondary + kBlockBytes * uint32_t(n); }

class SecondaryTabTest : public CorrectionWindowTest {
 protected:
  TKControl* tabs = nullptr;  // the wide window's nine correction tabs
  TKControl* groups = nullptr;

  void BuildWindow() override {
    gNextValueControlID = 100;
    window = TKCreateWindow(kTKWindowPlain, TKMakeRect(20, 20, 1320, 640), "Secondary");
    TKSetWindowContentColor(window, VFColor(kUIColorControlBackground));
    static const VFTabEntry kMain[] = {{"HSL", 1, 0},        {"RGB", 1, 0},        {"CMY", 1, 0},
                                       {"YCbCr", 1, 0},      {"Curves", 1, 0},     {"Levels", 1, 0},
                                       {"Luma Range", 1, 0}, {"Secondary", 1, 1}, {"Limiting", 1, 0}};
    ASSERT_EQ(CreateTabGroup(window, TKMakeRect(10, 10, 1300, 620), 9, kMain, true, &tabs), kQVNoErr);
    gVFTabGroups.correction = tabs;
    const TKRect content = TKGetControlBounds(TabGroupGetPane(tabs, 7));
    BuildSecondaryTab(window, tabs, content, TKRectInset(content, 4, 4));
    groups = gVFTabGroups.secondaries;
    ASSERT_NE(groups, nullptr);
    ASSERT_EQ(groups, gSecondaryTabs);
    TKShowWindow(window);
    TKSelectWindow(window);
  }

  // Keys every secondary to one colour of the ramp, as a loaded correction
  // would, so that the corrections show in the picture.
  void KeyEverySecondary() {
    float colour[4];
    FBGetRGBPixel(gSourceFrame, 5, 1, colour);
    for (VL_SecondaryControls& s : gUISettings.secondary) s.sample[0] = {1, colour[0], colour[1], colour[2]};
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
  }

  void Show(int n) {
    TabGroupSelect(groups, n);
    TKRunPending();
  }

  void TypeInto(TKControl* slider, const char* text) {
    VFValueSlider* parts = VFGetValueSlider(slider);
    ASSERT_NE(parts, nullptr);
    Click(parts->readout);
    ASSERT_TRUE(gEditFieldOpen);
    TKSetEditText(parts->editField, "");
    Type(text);
    Key(kTKKeyReturn);
  }

  void ChooseStyle(TKControl* popup, std::initializer_list<uint32_t> keys) {
    TKInjectClick(window, Centre(popup));
    for (uint32_t k : keys) TKInjectKey(k);
    TKRunPending();
  }

  TKControl* PopupOf(int n) { return VFControlAtOffset(Block(n) + offsetof(VL_SecondaryControls, previewMode)); }
};

TEST_F(SecondaryTabTest, TheGroupsBindTheirBlocksAndEnableWords) {
  EXPECT_EQ(TabGroupGetCount(groups), 6);
  EXPECT_EQ(TabGroupGetCurrent(groups), 0);
  EXPECT_EQ(gSecondaryTabIndex, 0);
  // Every slider, check box and popup of every group sits at its field.
  const uint32_t fields[] = {4, 8, 12, 16, 20, 24, 28, 32, 112, 116, 120};
  for (int n = 0; n < 6; ++n) {
    TKControl* pane = TabGroupGetPane(groups, n);
    for (uint32_t at : fields) {
      TKControl* c = VFControlAtOffset(Block(n) + at);
      ASSERT_NE(c, nullptr) << "group " << n << " field " << at;
      TKControl* up = c;
      while (up && up != pane) up = TKGetParentControl(up);
      EXPECT_EQ(up, pane) << "group " << n << " field " << at << " lies in its own pane";
    }
  }
  // The boxes show the enable words.
  gUISettings.secondaryEnable = 1;
  gUISettings.secondary[4].enable = 1;
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
  EXPECT_EQ(TabGroupGetItemCheck(tabs, 7), 1);
  EXPECT_EQ(TabGroupGetItemCheck(groups, 4), 1);
  EXPECT_EQ(TabGroupGetItemCheck(groups, 3), 0);
}

TEST_F(SecondaryTabTest, EachGroupsControlEditsItsOwnBlockAndThePictureFollows) {
  // Group F starts with a gain, so that inverting its key shows.
  gUISettings.secondary[5].gain = 2.0f;
  KeyEverySecondary();
  struct Case {
    const char* story;
    uint32_t at;       // the field within the block
    const char* text;  // typed into a slider; null: click the check box
    float value;       // the field afterwards (a word's value for a check box)
  } cases[] = {
      {"A gain", offsetof(VL_SecondaryControls, gain), "2", 2.0f},
      {"B hue", offsetof(VL_SecondaryControls, hue), "90", 90.0f},
      {"C saturation", offsetof(VL_SecondaryControls, saturation), "0", 0.0f},
      {"D pedestal", offsetof(VL_SecondaryControls, ped), "0.25", 0.25f},
      {"E show preview", offsetof(VL_SecondaryControls, preview), nullptr, 1.0f},
      {"F invert selection", offsetof(VL_SecondaryControls, invert), nullptr, 1.0f},
  };
  for (int n = 0; n < 6; ++n) {
    const Case& k = cases[n];
    // One group at a time: the last one is switched off again.
    gUISettings.secondaryEnable = 0;
    for (VL_SecondaryControls& s : gUISettings.secondary) s.enable = 0;
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    UIReprocess(true);
    Show(n);
    const VL_SettingsStruct before = gUISettings;
    const std::vector<float> picture = Pixels(gResultFrame);
    TKControl* control = VFControlAtOffset(Block(n) + k.at);
    ASSERT_NE(control, nullptr) << k.story;
    if (k.text) {
      TypeInto(control, k.text);
      float got;
      std::memcpy(&got, reinterpret_cast<const uint8_t*>(&gUISettings) + Block(n) + k.at, 4);
      EXPECT_FLOAT_EQ(got, k.value) << k.story;
    } else {
      Click(control);
      uint32_t got;
      std::memcpy(&got, reinterpret_cast<const uint8_t*>(&gUISettings) + Block(n) + k.at, 4);
      EXPECT_EQ(got, uint32_t(k.value)) << k.story;
    }
    const std::vector<uint32_t> expected = {VF_OFFSET(secondaryEnable), Block(n), Block(n) + k.at};
    EXPECT_EQ(ChangedWords(before, gUISettings), expected) << k.story << ": the field and the two enable words";
    EXPECT_EQ(TabGroupGetItemCheck(tabs, 7), 1) << k.story;
    EXPECT_EQ(TabGroupGetItemCheck(groups, n), 1) << k.story;
    EXPECT_EQ(Pixels(gResultFrame), Expected()) << k.story;
    EXPECT_NE(Pixels(gResultFrame), picture) << k.story << ": the picture changed";
  }
}

TEST_F(SecondaryTabTest, LeavingAGroupWithItsPreviewOnTurnsThePreviewOff) {
  KeyEverySecondary();
  Show(1);
  TKControl* preview = VFControlAtOffset(Block(1) + offsetof(VL_SecondaryControls, preview));
  Click(preview);
  ASSERT_EQ(gUISettings.secondary[1].preview, 1u);
  ASSERT_EQ(TKGetControlValue(preview), 1);
  const std::vector<float> previewed = Pixels(gResultFrame);
  int reprocessed = reprocessCount;

  Show(2);
  EXPECT_EQ(gSecondaryTabIndex, 2);
  EXPECT_EQ(gUISettings.secondary[1].preview, 0u) << "word 29884 + 124";
  EXPECT_EQ(TKGetControlValue(preview), 0);
  EXPECT_EQ(reprocessCount, reprocessed + 1) << "reprocessed at once";
  EXPECT_EQ(Pixels(gResultFrame), Expected());
  EXPECT_NE(Pixels(gResultFrame), previewed);

  // A group without preview: only the index moves.
  const VL_SettingsStruct before = gUISettings;
  reprocessed = reprocessCount;
  Show(5);
  EXPECT_EQ(gSecondaryTabIndex, 5);
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  EXPECT_EQ(reprocessCount, reprocessed);

  // Selecting the group on show again is not leaving it.
  gUISettings.secondary[5].preview = 1;
  Show(5);
  EXPECT_EQ(gUISettings.secondary[5].preview, 1u);
}

TEST_F(SecondaryTabTest, ChoosingAPreviewStyleTicksTheTabsAroundThePopup) {
  Show(3);
  TKControl* popup = PopupOf(3);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(TKGetControlValue(popup), 1) << "the default style";
  const VL_SettingsStruct before = gUISettings;
  ChooseStyle(popup, {kTKKeyDown, kTKKeyDown, kTKKeyReturn});
  EXPECT_EQ(gUISettings.secondary[3].previewMode, 3u);
  const std::vector<uint32_t> expected = {VF_OFFSET(secondaryEnable), Block(3), Block(3) + 20};
  EXPECT_EQ(ChangedWords(before, gUISettings), expected) << "words 29860, 30240 and the style";
  EXPECT_EQ(TabGroupGetItemCheck(tabs, 7), 1);
  EXPECT_EQ(TabGroupGetItemCheck(groups, 3), 1);
  EXPECT_EQ(Pixels(gResultFrame), Expected());

  // A whole-record change (undo, a preset, a slot) brings the popup along.
  const VL_SettingsStruct chosen = gUISettings;
  gUISettings.secondary[3].previewMode = 2;
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, &chosen, 0);
  EXPECT_EQ(TKGetControlValue(popup), 2);

  // The menu's three items are the engine's three preview modes.
  TKMenu* menu = VFPreviewStyleMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(TKCountMenuItems(menu), 3);
}

// Control numbers run on from the counter, group after group: a sample row,
// slider, check box or popup takes one, the hue-offset wheel three, the
// Reset button none.
TEST_F(SecondaryTabTest, ControlNumbersRunOnGroupAfterGroup) {
  constexpr int32_t kPerGroup = 18;
  struct Numbered {
    uint32_t at;     // the field within the block
    int32_t number;  // counted from the group's first
  } numbered[] = {
      {48, 0},   {64, 1},   {80, 2},   {96, 3},    // the sample rows
      {8, 4},    {4, 5},    {12, 6},               // chroma, luma tolerance, softness
      {24, 7},   {16, 8},   {20, 9},               // invert, show preview, preview style
      {28, 10},  {32, 11},  {112, 12}, {116, 13}, {120, 14},  // hue .. pedestal
      {36, 15},                                    // the hue-offset wheel
  };
  for (int n = 0; n < 6; ++n)
    for (const Numbered& k : numbered) {
      TKControl* c = VFControlAtOffset(Block(n) + k.at);
      ASSERT_NE(c, nullptr) << "group " << n << " field " << k.at;
      EXPECT_EQ(TKGetControlID(c).id, 100 + kPerGroup * n + k.number) << "group " << n << " field " << k.at;
    }
  EXPECT_EQ(gNextValueControlID, 100 + 6 * kPerGroup);
}

TEST_F(SecondaryTabTest, EachResetButtonCarriesItsGroupsSection) {
  for (int n = 0; n < 6; ++n) {
    TKControl* reset = nullptr;
    TKControl* pane = TabGroupGetPane(groups, n);
    for (int32_t i = 0; i < TKCountChildren(pane); ++i) {
      TKControl* c = TKGetChild(pane, i);
      if (TKGetControlCommand(c) == kVFCommandReset) reset = c;
    }
    ASSERT_NE(reset, nullptr) << "group " << n;
    VLSettingsSectionMask mask = 0;
    ASSERT_TRUE(VFGetButtonSectionMask(reset, &mask));
    EXPECT_EQ(mask, VLSettingsSectionMask(0x400000) << n);

    // Resetting that section gives back the group's defaults and no more.
    gUISettings.secondary[n].gain = 2.5f;
    gUISettings.secondary[(n + 1) % 6].gain = 1.5f;
    VL_SetDefaultControlValues(&gUISettings, mask);
    EXPECT_EQ(gUISettings.secondary[n].gain, gUIDefaultSettings.secondary[n].gain);
    EXPECT_EQ(gUISettings.secondary[(n + 1) % 6].gain, 1.5f);
    gUISettings.secondary[(n + 1) % 6].gain = 1.0f;
  }
}

}  // namespace
