// The HSL, RGB, CMY and YCbCr tabs built into a correction window as the
// main window builds them: every range field has its slider in its range's
// pane, typed edits write exactly their field and the enable words around
// it and reprocess to what the engine gives, each Reset button carries the
// mask of exactly its range, and the synchroniser reaches every group.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "app/commands/app_commands.h"
#include "app/controls/composite_controls.h"
#include "app/controls/hue_wheel.h"
#include "app/window/correction_tabs.h"
#include "app/window/primary_tabs.h"
#include "core/settings_ranges.h"
#include "tests/app/controls/correction_window.h"

namespace {

class PrimaryTabsTest : public CorrectionWindowTest {
 protected:
  TKRect content;

  void BuildWindow() override {
    window = TKCreateWindow(kTKWindowPlain, TKMakeRect(20, 20, 1000, 560), "Correction");
    TKSetWindowContentColor(window, VFColor(kUIColorControlBackground));
    static const VFTabEntry kMain[] = {{"HSL", 1, 1},    {"RGB", 1, 0},        {"CMY", 1, 0},
                                       {"YCbCr", 1, 0},  {"Curves", 1, 0},     {"Levels", 1, 0},
                                       {"Luma Range", 1, 0}, {"Secondary", 1, 0}, {"Limiting", 1, 0}};
    const TKRect group = TKMakeRect(10, 10, 980, 540);
    ASSERT_EQ(CreateTabGroup(window, group, 9, kMain, true, &mainTabs), kQVNoErr);
    TabGroupSetEnableProc(mainTabs, CorrectionTabEnableProc);
    gVFTabGroups.correction = mainTabs;
    content = TKRect{group.top + 4, group.left + 98, group.bottom, group.right};
    // Every primary tab and range starts switched off, so that an edit
    // shows which enable words it switches on.
    for (uint32_t* word : {&gUISettings.hslEnable, &gUISettings.hslControlsEnable, &gUISettings.hueOffsetEnable,
                           &gUISettings.rgbEnable, &gUISettings.cmyEnable, &gUISettings.ycbcrEnable})
      *word = 0;
    for (int r = 0; r < 4; ++r)
      gUISettings.hsl[r].enable = gUISettings.rgb[r].enable = gUISettings.cmy[r].enable = gUISettings.ycbcr[r].enable = 0;
    InstallAppCommands();
    gNextValueControlID = 1;
    BuildHSLTab(window, mainTabs, content);
    BuildRGBTab(window, mainTabs, content);
    BuildYCbCrTab(window, mainTabs, content);
    BuildCMYTab(window, mainTabs, content);
    TKShowWindow(window);
    TKSelectWindow(window);
  }

  // Brings a range's sliders on screen.
  void Show(int32_t tab, TKControl* group, int32_t item) {
    TabGroupSelect(mainTabs, tab);
    if (tab == kCorrectionTabHSL && group != gHSLSubTabs) TabGroupSelect(gHSLSubTabs, 0);
    TabGroupSelect(group, item);
    TKRunPending();
  }

  void TypeInto(uint32_t offset, const char* text) {
    VFValueSlider* parts = VFGetValueSlider(VFControlAtOffset(offset));
    ASSERT_NE(parts, nullptr);
    ASSERT_TRUE(TKIsControlVisible(parts->readout));
    Click(parts->readout);
    Type(text);
    Key(kTKKeyReturn);
  }

  static TKControl* ResetButton(TKControl* pane) {
    for (int32_t i = 0; i < TKCountChildren(pane); ++i) {
      TKControl* child = TKGetChild(pane, i);
      if (TKGetControlKind(child) == kTKControlPushButton && TKGetControlTitle(child) == "Reset") return child;
    }
    return nullptr;
  }

  // A click on a Reset button: its 'VLrt' goes to the application's
  // command handler with the button.
  void PressReset(TKControl* button) {
    ASSERT_EQ(TKGetControlCommand(button), kVFCommandReset);
    ASSERT_TRUE(TKIsControlVisible(button));
    Click(button);
  }

  static std::string LabelOf(uint32_t offset) {
    VFValueSlider* parts = VFGetValueSlider(VFControlAtOffset(offset));
    return parts && parts->label ? TKGetEditText(parts->label) : std::string("(none)");
  }
};

// The four range groups with their record layout.
struct RangeModel {
  const char* name;
  int32_t tab;
  TKControl** group;
  uint32_t tabEnable;
  uint32_t firstRange;
  uint32_t stride;
  int maskBit;
  int syncIndex;
};
const RangeModel kModels[] = {
    {"HSL", kCorrectionTabHSL, &gHSLRangeTabs, VF_OFFSET(hslEnable), VF_OFFSET(hsl), 40, 0, 0},
    {"RGB", kCorrectionTabRGB, &gRGBRangeTabs, VF_OFFSET(rgbEnable), VF_OFFSET(rgb), 52, 4, 1},
    {"CMY", kCorrectionTabCMY, &gCMYRangeTabs, VF_OFFSET(cmyEnable), VF_OFFSET(cmy), 52, 12, 3},
    {"YCbCr", kCorrectionTabYCbCr, &gYCbCrRangeTabs, VF_OFFSET(ycbcrEnable), VF_OFFSET(ycbcr), 52, 8, 2},
};

TEST(PrimaryTabLayout, ColumnWidthsAndWheelSides) {
  struct Case {
    int32_t width, primary, hsl;
  } cases[] = {
      // Wide groups: half the width less 60 (RGB) or the width less 40 (HSL), at most 330.
      {1000, 330, 330}, {1665, 330, 330},
      // The content of the 1024 x 768 window: two 330 px columns would run
      // past the right edge, so the columns take what is left right of the
      // first slider (104 px in, HSL's another 98) less the gap and 12 px.
      {769, 316, 267}, {560, 212, 163}, {400, 132, 83}, {300, 82, 33}, {200, 32, 0}, {-50, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrimaryColumnWidth(c.width), c.primary) << c.width;
    EXPECT_EQ(HSLColumnWidth(c.width), c.hsl) << c.width;
  }
  EXPECT_EQ(HueOffsetWheelSide(882, 536), 184);   // (882 - 144) / 4
  EXPECT_EQ(HueOffsetWheelSide(1600, 900), 300);  // at most 300
  EXPECT_EQ(HueOffsetWheelSide(882, 250), 127);   // the height less 123
  EXPECT_EQ(HueOffsetWheelSide(100, 100), 0);     // too small for a wheel
}

TEST_F(PrimaryTabsTest, EveryRangeFieldHasItsSliderInItsRangePane) {
  for (const RangeModel& m : kModels) {
    SCOPED_TRACE(m.name);
    TKControl* group = *m.group;
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(gVFTabGroups.ranges[m.syncIndex], group);
    const uint32_t fields = m.stride / 4 - 1;
    for (int32_t r = 0; r < 4; ++r) {
      TKControl* pane = TabGroupGetPane(group, r);
      const uint32_t range = m.firstRange + uint32_t(r) * m.stride;
      for (uint32_t f = 1; f <= fields; ++f) {
        TKControl* slider = VFControlAtOffset(range + 4 * f);
        ASSERT_NE(VFGetValueSlider(slider), nullptr) << "offset " << range + 4 * f;
        EXPECT_EQ(TKGetParentControl(slider), pane);
      }
      TKControl* reset = ResetButton(pane);
      ASSERT_NE(reset, nullptr);
      VLSettingsSectionMask mask = 0;
      EXPECT_TRUE(VFGetButtonSectionMask(reset, &mask));
      EXPECT_EQ(mask, VLSettingsSectionMask(1) << (m.maskBit + r));
      EXPECT_TRUE(TKRectContains(TKGetControlBounds(pane), TKPoint{TKGetControlBounds(reset).right - 1,
                                                                    TKGetControlBounds(reset).bottom - 1}));
    }
  }
  // The RGB, CMY and YCbCr groups sit straight in their tab's pane, where
  // the range shortcuts look; HSL's under "Controls".
  EXPECT_EQ(FindTabGroupControl(TabGroupGetPane(mainTabs, kCorrectionTabRGB)), gRGBRangeTabs);
  EXPECT_EQ(FindTabGroupControl(TabGroupGetPane(mainTabs, kCorrectionTabCMY)), gCMYRangeTabs);
  EXPECT_EQ(FindTabGroupControl(TabGroupGetPane(mainTabs, kCorrectionTabYCbCr)), gYCbCrRangeTabs);
  EXPECT_EQ(FindTabGroupControl(TabGroupGetPane(mainTabs, kCorrectionTabHSL)), gHSLSubTabs);
  EXPECT_EQ(FindTabGroupControl(TabGroupGetPane(gHSLSubTabs, 0)), gHSLRangeTabs);
  EXPECT_EQ(gVFTabGroups.hslSubTabs, gHSLSubTabs);
}

TEST_F(PrimaryTabsTest, SlidersSpanTheirFieldsInTheRangeTable) {
  // HSL fields have their own rows; the RGB, CMY and YCbCr triples span the
  // RGB rows of the same place. Saturation alone is typed wider.
  const uint32_t hslSaturation = uint32_t(offsetof(VL_HSLControls, saturation));
  auto units = [](double v) { return int32_t(std::trunc(v * 65536.0)); };
  int checked = 0;
  for (const RangeModel& m : kModels) {
    SCOPED_TRACE(m.name);
    const uint32_t tableStart = m.tab == kCorrectionTabHSL ? VF_OFFSET(hsl) : VF_OFFSET(rgb);
    for (uint32_t at = 0; at < 4 * m.stride; at += 4) {
      const VLSettingsFieldRange* row = VL_FindSettingsFieldRange(tableStart + at);
      if (row == nullptr) continue;
      VFValueSlider* parts = VFGetValueSlider(VFControlAtOffset(m.firstRange + at));
      ASSERT_NE(parts, nullptr) << "offset " << m.firstRange + at;
      EXPECT_EQ(TKGetControlMinimum(parts->slider), units(row->sliderMin)) << at;
      EXPECT_EQ(TKGetControlMaximum(parts->slider), units(row->sliderMax)) << at;
      const bool typedWider = m.tab == kCorrectionTabHSL && at % m.stride == hslSaturation;
      int32_t lo = 0, hi = 0;
      ASSERT_EQ(TKGetControlProperty(parts->editField, kVFCreator, kVFPropTypedMin, &lo, 4, nullptr), kQVNoErr);
      ASSERT_EQ(TKGetControlProperty(parts->editField, kVFCreator, kVFPropTypedMax, &hi, 4, nullptr), kQVNoErr);
      EXPECT_EQ(lo, units(typedWider ? -1000.0 : row->min)) << at;
      EXPECT_EQ(hi, units(typedWider ? 1000.0 : row->max)) << at;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 4 * 9 + 3 * 4 * 12);
}

TEST_F(PrimaryTabsTest, LabelsColumnsAndControlNumbersFollowTheTables) {
  struct Case {
    uint32_t offset;
    const char* label;
  } cases[] = {
      {VF_OFFSET(hsl[0].hue), "Hue"},
      {VF_OFFSET(hsl[2].contrastCenter), "Contrast Center"},
      {VF_OFFSET(hsl[3].gain), "RGB Gain"},
      {VF_OFFSET(hsl[1].pedestal), "Pedestal"},
      {VF_OFFSET(rgb[0].gamma), "Master Gamma"},
      {VF_OFFSET(rgb[0].gain), "Master Gain"},
      {VF_OFFSET(rgb[1].channel[1].gain), "Green Gain"},
      {VF_OFFSET(cmy[3].channel[2].ped), "Yellow Pedestal"},
      {VF_OFFSET(cmy[0].channel[0].gamma), "Cyan Gamma"},
      {VF_OFFSET(ycbcr[2].channel[0].gamma), "Y Gamma"},
      {VF_OFFSET(ycbcr[1].channel[2].gain), "Cr Gain"},
  };
  for (const Case& c : cases) EXPECT_EQ(LabelOf(c.offset), c.label) << c.offset;

  // Master gamma, pedestal, gain down the first column; the channels'
  // triples down the second, one column width plus 20 px to the right.
  const int32_t column = PrimaryColumnWidth(TKRectWidth(content));
  auto left = [](uint32_t offset) { return TKGetControlBounds(VFGetValueSlider(VFControlAtOffset(offset))->label).left; };
  auto top = [](uint32_t offset) { return TKGetControlBounds(VFGetValueSlider(VFControlAtOffset(offset))->label).top; };
  EXPECT_EQ(left(VF_OFFSET(rgb[0].gamma)), content.left + 104);
  EXPECT_EQ(top(VF_OFFSET(rgb[0].gamma)), content.top + 10);
  EXPECT_EQ(top(VF_OFFSET(rgb[0].pedestal)) - top(VF_OFFSET(rgb[0].gamma)), 35);
  EXPECT_EQ(top(VF_OFFSET(rgb[0].gain)) - top(VF_OFFSET(rgb[0].gamma)), 70);
  EXPECT_EQ(left(VF_OFFSET(rgb[0].channel[0].gamma)) - left(VF_OFFSET(rgb[0].gamma)), column + 20);
  EXPECT_EQ(top(VF_OFFSET(rgb[0].channel[0].gamma)), content.top + 10);
  EXPECT_EQ(top(VF_OFFSET(rgb[0].channel[2].gain)) - top(VF_OFFSET(rgb[0].channel[0].gamma)), 8 * 35);
  const int32_t hslColumn = HSLColumnWidth(TKRectWidth(content));
  EXPECT_EQ(left(VF_OFFSET(hsl[0].gain)) - left(VF_OFFSET(hsl[0].hue)), hslColumn + 20);

  // Control numbers run in creation order: 36 HSL sliders, four wheels of
  // three, then 48 sliders for each of RGB, YCbCr and CMY.
  auto id = [](uint32_t offset) { return TKGetControlID(VFControlAtOffset(offset)).id; };
  EXPECT_EQ(id(VF_OFFSET(hsl[0].hue)), 1);
  EXPECT_EQ(id(VF_OFFSET(hsl[3].pedestal)), 36);
  EXPECT_EQ(id(VF_OFFSET(hueOffsets.wheel[0].huewheel)), 37);
  EXPECT_EQ(id(VF_OFFSET(hueOffsets.wheel[3].huewheel)), 46);
  EXPECT_EQ(TKGetControlID(VFControlAtOffset(VF_OFFSET(hueOffsets.wheel[3].strength))).signature, kHueWheelSignature);
  EXPECT_EQ(id(VF_OFFSET(rgb[0].gamma)), 49);
  EXPECT_EQ(id(VF_OFFSET(ycbcr[0].gamma)), 49 + 48);
  EXPECT_EQ(id(VF_OFFSET(cmy[0].gamma)), 49 + 96);
  EXPECT_EQ(gNextValueControlID, 49 + 144);
}

TEST_F(PrimaryTabsTest, TypingIntoOneRangeOfEachModelWritesItsFieldAndTheEnableWords) {
  struct Case {
    const char* name;
    int32_t tab;
    TKControl** group;
    int32_t range;
    uint32_t field;
    const char* typed;
    float stored;
    std::vector<uint32_t> words;
  } cases[] = {
      {"HSL master saturation below its slider", kCorrectionTabHSL, &gHSLRangeTabs, 0, VF_OFFSET(hsl[0].saturation),
       "-500", -500.0f, {4, 8, 12, 20}},
      {"RGB highlights green gain beyond its typed range", kCorrectionTabRGB, &gRGBRangeTabs, 1,
       VF_OFFSET(rgb[1].channel[1].gain), "30", 20.0f, {172, 228, 256}},
      {"CMY shadows magenta pedestal", kCorrectionTabCMY, &gCMYRangeTabs, 3, VF_OFFSET(cmy[3].channel[1].ped), "0.25",
       0.25f, {596, 756, 792}},
      {"YCbCr midtones master gamma beyond its slider", kCorrectionTabYCbCr, &gYCbCrRangeTabs, 2,
       VF_OFFSET(ycbcr[2].gamma), "8", 8.0f, {384, 492, 500}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Show(c.tab, *c.group, c.range);
    const VL_SettingsStruct before = gUISettings;
    const std::vector<float> picture = CorrectionWindowTest::Pixels(gResultFrame);
    reprocessCount = 0;
    TypeInto(c.field, c.typed);
    float value;
    std::memcpy(&value, reinterpret_cast<const uint8_t*>(&gUISettings) + c.field, 4);
    EXPECT_EQ(value, c.stored);
    EXPECT_EQ(ChangedWords(before, gUISettings), c.words);
    for (uint32_t w : c.words) {
      if (w == c.field) continue;
      EXPECT_EQ(reinterpret_cast<const uint32_t*>(&gUISettings)[w / 4], 1u) << w;
    }
    EXPECT_EQ(TabGroupGetItemCheck(mainTabs, c.tab), 1);
    EXPECT_EQ(TabGroupGetItemCheck(*c.group, c.range), 1);
    EXPECT_EQ(reprocessCount, 1);
    EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
    EXPECT_NE(CorrectionWindowTest::Pixels(gResultFrame), picture) << "the engine changes the picture";
  }
}

TEST_F(PrimaryTabsTest, TickingARangeBoxReprocessesAtOnce) {
  Show(kCorrectionTabRGB, gRGBRangeTabs, 0);
  reprocessCount = 0;
  Click(TabGroupRecord(gRGBRangeTabs)->items[1]->enableBox);
  EXPECT_EQ(gUISettings.rgb[1].enable, 1u);
  EXPECT_EQ(reprocessCount, 1);
  Click(TabGroupRecord(mainTabs)->items[kCorrectionTabCMY]->enableBox);
  EXPECT_EQ(gUISettings.cmyEnable, 1u);
  EXPECT_EQ(reprocessCount, 2);
}

TEST_F(PrimaryTabsTest, ResetRestoresExactlyItsRange) {
  // Every range and the hue offsets away from their defaults.
  VL_SettingsStruct dirty = gUISettings;
  for (const RangeModel& m : kModels)
    for (uint32_t off = m.firstRange; off < m.firstRange + 4 * m.stride; off += 4) {
      float f;
      std::memcpy(&f, reinterpret_cast<uint8_t*>(&dirty) + off, 4);
      if ((off - m.firstRange) % m.stride == 0) {
        reinterpret_cast<uint32_t*>(&dirty)[off / 4] = 1;
      } else {
        f = f * 0.5f + 0.125f;
        std::memcpy(reinterpret_cast<uint8_t*>(&dirty) + off, &f, 4);
      }
    }
  for (auto& w : dirty.hueOffsets.wheel) {
    w.tintangle = 77;
    w.strength = 0.5f;
  }
  dirty.hueOffsetEnable = 1;

  struct Section {
    int32_t tab;
    TKControl* group;
    int32_t item;
    uint32_t first, end;
  };
  std::vector<Section> sections;
  for (const RangeModel& m : kModels)
    for (int32_t r = 0; r < 4; ++r) {
      const uint32_t first = m.firstRange + uint32_t(r) * m.stride;
      sections.push_back({m.tab, *m.group, r, first, first + m.stride});
    }
  sections.push_back({kCorrectionTabHSL, gHSLSubTabs, 1, VF_OFFSET(hueOffsetEnable), VF_OFFSET(hueOffsets) + 52});

  for (const Section& s : sections) {
    SCOPED_TRACE(testing::Message() << "section at " << s.first);
    std::memcpy(&gUISettings, &dirty, sizeof dirty);
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    Show(s.tab, s.group, s.item);
    TKControl* reset = ResetButton(TabGroupGetPane(s.group, s.item));
    ASSERT_NE(reset, nullptr);
    reprocessCount = 0;
    PressReset(reset);
    EXPECT_EQ(reprocessCount, 1);
    const auto* now = reinterpret_cast<const uint8_t*>(&gUISettings);
    const auto* was = reinterpret_cast<const uint8_t*>(&dirty);
    const auto* def = reinterpret_cast<const uint8_t*>(&gUIDefaultSettings);
    for (uint32_t off = 0; off < sizeof dirty; off += 4) {
      const bool inside = off >= s.first && off < s.end;
      EXPECT_EQ(std::memcmp(now + off, inside ? def + off : was + off, 4), 0) << "word at " << off;
    }
    // The section's sliders and wheels show the defaults again.
    for (uint32_t off = s.first + 4; off < s.end; off += 4) {
      TKControl* control = VFControlAtOffset(off);
      if (VFValueSlider* parts = VFGetValueSlider(control)) {
        float d;
        std::memcpy(&d, def + off, 4);
        EXPECT_EQ(TKGetControlValue(parts->slider), std::clamp(int32_t(d * 65536.0f), TKGetControlMinimum(parts->slider),
                                                               TKGetControlMaximum(parts->slider)))
            << off;
      }
    }
    EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
    // One Undo brings the range back.
    ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
    EXPECT_TRUE(ChangedWords(dirty, gUISettings).empty());
  }
}

TEST_F(PrimaryTabsTest, SyncReachesEveryGroupAndItsSliders) {
  VL_SettingsStruct other = gUISettings;
  other.hsl[1].enable = 1;
  other.hsl[1].vibrance = 12.5f;
  other.rgb[2].enable = 1;
  other.rgb[2].channel[2].gamma = 1.75f;
  other.ycbcr[3].enable = 1;
  other.ycbcr[3].pedestal = -0.25f;
  other.cmy[0].enable = 1;
  other.cmy[0].channel[0].gain = 2.5f;
  other.hueOffsetEnable = 1;
  other.hueOffsets.wheel[kVLWheelMidtone].tintangle = 200;
  other.hueOffsets.wheel[kVLWheelMidtone].strength = 0.75f;
  SyncControlsWithSettings(&other, kVFSyncAll, kVFSyncAll, nullptr, kVFSyncApply);
  EXPECT_EQ(ChangedWords(other, gUISettings), std::vector<uint32_t>{}) << "the working record takes the values";
  struct Box {
    TKControl* group;
    int32_t item;
  } boxes[] = {{gHSLRangeTabs, 1}, {gRGBRangeTabs, 2}, {gYCbCrRangeTabs, 3}, {gCMYRangeTabs, 0}, {gHSLSubTabs, 1}};
  for (const Box& b : boxes) EXPECT_EQ(TabGroupGetItemCheck(b.group, b.item), 1);
  EXPECT_EQ(TabGroupGetItemCheck(gCMYRangeTabs, 3), 0);
  EXPECT_EQ(TabGroupGetItemCheck(gYCbCrRangeTabs, 0), 0);
  for (uint32_t off : {VF_OFFSET(hsl[1].vibrance), VF_OFFSET(rgb[2].channel[2].gamma), VF_OFFSET(ycbcr[3].pedestal),
                       VF_OFFSET(cmy[0].channel[0].gain)}) {
    float f;
    std::memcpy(&f, reinterpret_cast<const uint8_t*>(&other) + off, 4);
    EXPECT_EQ(TKGetControlValue(VFControlAtOffset(off)), int32_t(f * 65536.0f)) << off;
  }
  HueWheelState s{};
  ASSERT_TRUE(HueWheelGetState(VFControlAtOffset(VF_OFFSET(hueOffsets.wheel[kVLWheelMidtone].huewheel)), &s));
  EXPECT_EQ(s.angle, 200.0f);
  EXPECT_EQ(s.strength, 0.75f);
}

TEST_F(PrimaryTabsTest, HueOffsetsSubTabHoldsFourWheelsThatTickOnlyTheirTabs) {
  TabGroupSelect(gHSLSubTabs, 1);
  TKRunPending();
  EXPECT_EQ(gHSLSubTabIndex, 1);
  const int32_t side = HueOffsetWheelSide(TKRectWidth(content), TKRectHeight(content));
  static const char* const kLabels[] = {"Master", "Shadows", "Midtones", "Highlights"};
  for (int k = 0; k < 4; ++k) {
    const uint32_t slot = VF_OFFSET(hueOffsets.wheel[0]) + 12 * uint32_t(k);
    TKControl* wheel = VFControlAtOffset(slot);
    ASSERT_NE(wheel, nullptr);
    EXPECT_EQ(VFControlAtOffset(slot + 4), wheel);
    EXPECT_EQ(VFControlAtOffset(slot + 8), wheel);
    const TKRect b = TKGetControlBounds(wheel);
    EXPECT_EQ(b.left, content.left + 104 + k * (side + 10));
    EXPECT_EQ(b.top, content.top + 20);
    EXPECT_EQ(TKRectWidth(b), side);
    EXPECT_EQ(TKRectHeight(b), side);
    EXPECT_TRUE(TKIsControlVisible(wheel));
    TKControl* label = TKFindControlByID(window, TKControlID{kVFSigLabel, TKGetControlID(wheel).id});
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(TKGetEditText(label), kLabels[k]);
  }
  // A click on the highlights wheel ticks the hue offsets and the HSL tab,
  // not the "Controls" sub-tab.
  const VL_SettingsStruct before = gUISettings;
  TKControl* highlights = VFControlAtOffset(VF_OFFSET(hueOffsets.wheel[kVLWheelHighlight].huewheel));
  const TKRect b = TKGetControlBounds(highlights);
  TKInjectClick(window, TKPoint{(b.left + b.right) / 2 + 20, (b.top + b.bottom) / 2});
  TKRunPending();
  const std::vector<uint32_t> expected = {VF_OFFSET(hslEnable), VF_OFFSET(hueOffsetEnable),
                                          VF_OFFSET(hueOffsets.wheel[kVLWheelHighlight].tintangle),
                                          VF_OFFSET(hueOffsets.wheel[kVLWheelHighlight].strength)};
  EXPECT_EQ(ChangedWords(before, gUISettings), expected);
  EXPECT_FLOAT_EQ(gUISettings.hueOffsets.wheel[kVLWheelHighlight].tintangle, 103.0f);
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());

  TabGroupSelect(gHSLSubTabs, 0);
  EXPECT_EQ(gHSLSubTabIndex, 0);
  EXPECT_FALSE(TKIsControlVisible(highlights));
}

TEST_F(PrimaryTabsTest, HueOffsetsSubTabDeactivatesMatchColourAndControlsBringsItBackOnTheHSLMenu) {
  // A match-colour panel below the tabs, as the main window has one.
  constexpr int32_t kPanelID = 900;
  TKRect frame = TKMakeRect(10, 10, 300, 100);
  TKControl* target = nullptr;
  ASSERT_EQ(CreateMatchColorPanel(window, &frame, nullptr, &gUISettings, 33452, 33464, kPanelID, &target), kQVNoErr);
  TKControl* button = TKFindControlByID(window, TKControlID{QVFourCC("VFmc"), kPanelID});
  TKControl* popup = TKFindControlByID(window, TKControlID{QVFourCC("VFmf"), kPanelID});
  ASSERT_NE(button, nullptr);
  ASSERT_NE(popup, nullptr);
  TabGroupSelect(mainTabs, kCorrectionTabRGB);
  SetMatchColorMode(kCorrectionTabRGB);
  ASSERT_EQ(TKGetMenuID(TKGetControlMenu(popup)), 162);
  TabGroupSelect(mainTabs, kCorrectionTabHSL);

  TabGroupSelect(gHSLSubTabs, 1);
  EXPECT_EQ(gHSLSubTabIndex, 1);
  EXPECT_FALSE(TKIsControlActive(button));
  EXPECT_FALSE(TKIsControlActive(popup));

  TabGroupSelect(gHSLSubTabs, 0);
  EXPECT_EQ(gHSLSubTabIndex, 0);
  EXPECT_TRUE(TKIsControlActive(button));
  ASSERT_NE(TKGetControlMenu(popup), nullptr);
  EXPECT_EQ(TKGetMenuID(TKGetControlMenu(popup)), 160);
}

}  // namespace
