// Hue-offset wheels in the correction window: clicks, drags and Shift-drags
// set angle and strength, the readouts drive the wheel, turning, nudging and
// the menu, and every edit writes exactly its fields and reprocesses the
// picture to what the engine gives.
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/controls/composite_controls.h"
#include "app/controls/context_menus.h"
#include "app/controls/hue_wheel.h"
#include "app/controls/hue_wheel_math.h"
#include "app/controls/special_setters.h"
#include "settings/prefs.h"
#include "tests/app/controls/correction_window.h"

namespace {

constexpr int32_t kWheelSide = 77;  // wheel rectangle 73 px, radius 31
constexpr int32_t kFirstWheelID = 100;

class HueWheelTest : public CorrectionWindowTest {
 protected:
  TKControl* subTabs = nullptr;
  TKControl* wheels[4] = {};

  void SetUp() override {
    CorrectionWindowTest::SetUp();
    if (HasFatalFailure()) return;
    // The HSL tab's "Controls" / "Hue Offsets" pair, showing the wheels.
    TKSetControlVisible(hslRanges, false);
    TKControl* hslPane = TabGroupGetPane(mainTabs, 0);
    static const VFTabEntry kSub[] = {{"Controls", 1, 0}, {"Hue Offsets", 1, 1}};
    ASSERT_EQ(CreateTabGroup(window, TKGetControlBounds(hslPane), 2, kSub, true, &subTabs), kQVNoErr);
    EXPECT_EQ(kQVNoErr, TKEmbedControl(subTabs, hslPane));
    TabGroupBindItemCheck(subTabs, 0, &gUISettings.hslControlsEnable);
    TabGroupBindItemCheck(subTabs, 1, &gUISettings.hueOffsetEnable);
    gVFTabGroups.hslSubTabs = subTabs;
    TKControl* offsets = TabGroupGetPane(subTabs, 1);
    const TKRect b = TKGetControlBounds(offsets);
    static const char* const kNames[] = {"Master", "Shadows", "Midtones", "Highlights"};
    VFBeginTabChain();
    for (int i = 0; i < 4; ++i) {
      const uint32_t slot = VF_OFFSET(hueOffsets.wheel[0]) + 12 * uint32_t(i);
      const int32_t left = b.left + 6 + i * (kWheelSide + 4);
      wheels[i] = CreateHueWheel(window, TKMakeRect(left, b.top + 20, kWheelSide, kWheelSide), kNames[i], offsets,
                                 &gUISettings, slot, slot + 4, slot + 8, kFirstWheelID + 3 * i, gSettingsControls);
      ASSERT_NE(wheels[i], nullptr);
    }
    VFCloseTabChain();
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    TKRunPending();
    reprocessCount = 0;
  }

  static HueWheelState State(TKControl* wheel) {
    HueWheelState s{};
    EXPECT_TRUE(HueWheelGetState(wheel, &s));
    return s;
  }
  static TKPoint WheelCentre(TKControl* wheel) {
    const TKRect r = State(wheel).wheelRect;
    return TKPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  TKControl* HueReadout(int wheel) {
    return TKFindControlByID(window, TKControlID{kVFSigSlider, kFirstWheelID + 3 * wheel + 1});
  }
  TKControl* StrengthReadout(int wheel) {
    return TKFindControlByID(window, TKControlID{kVFSigSlider, kFirstWheelID + 3 * wheel + 2});
  }
  // A contextual click on the wheel and the item chosen by keys (0: none).
  void ChooseFromMenu(TKControl* wheel, int32_t item) {
    TKInjectRightClick(window, WheelCentre(wheel));
    for (int32_t i = 0; i < item; ++i) TKInjectKey(kTKKeyDown);
    TKInjectKey(item ? kTKKeyReturn : kTKKeyEscape);
    TKRunPending();
  }
  static float Angle(int wheel) { return gUISettings.hueOffsets.wheel[wheel].tintangle; }
  static float Strength(int wheel) { return gUISettings.hueOffsets.wheel[wheel].strength; }

  // The record, the wheel and both readouts agree on the values.
  void ExpectShown(int wheel, float angle, float strength) {
    const HueWheelState s = State(wheels[wheel]);
    EXPECT_NEAR(s.angle, angle, 1e-3);
    EXPECT_NEAR(s.strength, strength, 1e-4);
    EXPECT_EQ(Angle(wheel), s.angle);
    EXPECT_EQ(Strength(wheel), s.strength);
    EXPECT_EQ(TKGetControlValue(HueReadout(wheel)), int32_t(std::min(s.angle, 360.0f) * 65536.0f));
    EXPECT_EQ(TKGetControlValue(StrengthReadout(wheel)), int32_t(s.strength * 65536.0f));
    const HueWheelPoint p = HueWheelPointFor(s.angle, s.strength, s.radius);
    EXPECT_EQ(s.pointX, p.x);
    EXPECT_EQ(s.pointY, p.y);
  }

  // What a wheel edit may change: its two fields and the enable words of
  // the hue offsets and the HSL tab.
  static std::vector<uint32_t> WheelWords(int wheel) {
    const uint32_t slot = VF_OFFSET(hueOffsets.wheel[0]) + 12 * uint32_t(wheel);
    return {VF_OFFSET(hslEnable), VF_OFFSET(hueOffsetEnable), slot + 4, slot + 8};
  }
};

TEST_F(HueWheelTest, ClicksSetAngleAndStrengthByDirectionAndDistance) {
  const TKPoint c = WheelCentre(wheels[0]);
  const int32_t radius = State(wheels[0]).radius;
  ASSERT_EQ(radius, 31);
  const TKRect r = State(wheels[0]).wheelRect;
  struct Case {
    int32_t dx, dy;
    float angle, strength;
  } cases[] = {
      {15, 0, 103, 15.0f / 31},     // right
      {0, 31, 193, 1},              // down, on the rim
      {-25, 0, 283, 25.0f / 31},    // left
      {0, -10, 13, 10.0f / 31},     // up
      {r.left - c.x, r.top - c.y, 328, 1},  // the rectangle's corner, beyond the rim: strength 1
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "click at " << k.dx << ", " << k.dy);
    const VL_SettingsStruct before = gUISettings;
    TKInjectClick(window, TKPoint{c.x + k.dx, c.y + k.dy});
    TKRunPending();
    ExpectShown(0, k.angle, k.strength);
    for (uint32_t word : ChangedWords(before, gUISettings))
      EXPECT_NE(std::find(WheelWords(0).begin(), WheelWords(0).end(), word), WheelWords(0).end()) << word;
    EXPECT_EQ(gUISettings.hueOffsetEnable, 1u);
    EXPECT_EQ(gUISettings.hslEnable, 1u);
    EXPECT_EQ(TabGroupGetItemCheck(subTabs, 1), 1);
    EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
  }
  EXPECT_EQ(reprocessCount, 5) << "one reprocess per click";
}

TEST_F(HueWheelTest, DraggingMovesThePointAndMakesOneUndoStep) {
  const VL_SettingsStruct before = gUISettings;
  const std::vector<float> untouched = CorrectionWindowTest::Pixels(gResultFrame);
  const TKPoint c = WheelCentre(wheels[1]);
  TKInjectMouseDown(window, TKPoint{c.x + 5, c.y});
  for (int step = 1; step <= 4; ++step) TKInjectMouseDrag(window, TKPoint{c.x + 5 + 4 * step, c.y + 4 * step});
  TKInjectMouseUp(window, TKPoint{c.x + 21, c.y + 16});
  TKRunPending();

  const HueWheelPolar expected = HueWheelPolarAt(21, 16, 31);
  ExpectShown(1, expected.angle, expected.strength);
  EXPECT_EQ(ChangedWords(before, gUISettings), WheelWords(1));
  EXPECT_GE(reprocessCount, 1);
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
  EXPECT_NE(CorrectionWindowTest::Pixels(gResultFrame), untouched) << "a shadow offset tints the ramp";

  // Undo restores the record exactly, enable words included, and the wheel with it.
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  ExpectShown(1, before.hueOffsets.wheel[1].tintangle, before.hueOffsets.wheel[1].strength);
  EXPECT_EQ(TabGroupGetItemCheck(subTabs, 1), 0);
  EXPECT_FALSE(UndoBufferCanUndo(gUndoBuffer));
}

TEST_F(HueWheelTest, ShiftDragMovesAtOneTenthFromWherePointWas) {
  const TKPoint c = WheelCentre(wheels[0]);
  TKInjectClick(window, TKPoint{c.x + 20, c.y});
  TKRunPending();
  ExpectShown(0, 103, 20.0f / 31);
  const HueWheelState start = State(wheels[0]);  // the point, truncated to whole pixels
  // Pressed far from the point: the point stays where it was and moves a
  // tenth of the way the mouse goes.
  const TKPoint press{c.x - 20, c.y + 15};
  TKInjectMouseDown(window, press, kTKModShift);
  TKInjectMouseDrag(window, TKPoint{press.x + 30, press.y}, kTKModShift);
  TKInjectMouseDrag(window, TKPoint{press.x + 30, press.y - 50}, kTKModShift);
  TKInjectMouseUp(window, TKPoint{press.x + 30, press.y - 50}, kTKModShift);
  TKRunPending();
  const HueWheelPolar expected = HueWheelPolarAt(start.pointX + 3, start.pointY - 5, 31);
  ExpectShown(0, expected.angle, expected.strength);
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
}

TEST_F(HueWheelTest, ReadoutsDriveTheWheel) {
  const VL_SettingsStruct before = gUISettings;
  Click(VFGetValueSlider(StrengthReadout(2))->readout);
  Type("0.5");
  Key(kTKKeyReturn);
  Click(VFGetValueSlider(HueReadout(2))->readout);
  Type("193");
  Key(kTKKeyReturn);
  ExpectShown(2, 193, 0.5f);
  const HueWheelState s = State(wheels[2]);
  EXPECT_EQ(s.pointX, 0);
  EXPECT_EQ(s.pointY, 15) << "193 degrees points down";
  EXPECT_EQ(ChangedWords(before, gUISettings), WheelWords(2));
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
  EXPECT_EQ(reprocessCount, 2);

  // Typed values outside the readout's range are clamped to it.
  Click(VFGetValueSlider(StrengthReadout(2))->readout);
  Type("7");
  Key(kTKKeyReturn);
  ExpectShown(2, 193, 1.0f);
}

TEST_F(HueWheelTest, RotateWrapsIntoOneTurnAndNudgeMovesThePoint) {
  struct Case {
    float from, delta, to;
  } cases[] = {
      {10, -30, 340},
      {10, 720, 10},
      {350, 20, 10},
      {42, std::numeric_limits<float>::quiet_NaN(), 42},
      {42, std::numeric_limits<float>::infinity(), 42},
  };
  for (const Case& k : cases) {
    HueWheelSetAngle(wheels[3], k.from, false);
    HueWheelSetStrength(wheels[3], 0.5f, false);
    HueWheelRotate(wheels[3], k.delta, true);
    ExpectShown(3, k.to, 0.5f);
  }

  HueWheelSetAngle(wheels[3], 103, false);
  HueWheelSetStrength(wheels[3], 0.0f, false);
  reprocessCount = 0;
  HueWheelNudge(wheels[3], 0, 0, true);
  EXPECT_EQ(reprocessCount, 0) << "no movement, no change";
  HueWheelNudge(wheels[3], 0, 31, true);
  ExpectShown(3, 193, 1.0f);
  EXPECT_EQ(reprocessCount, 1);
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
}

TEST_F(HueWheelTest, MenuCentresOneWheelOrResetsTheHueOffsets) {
  for (int i = 0; i < 4; ++i) {
    HueWheelSetAngle(wheels[i], 40.0f + i, false);
    HueWheelSetStrength(wheels[i], 0.25f, true);
  }
  ASSERT_EQ(gUISettings.hueOffsetEnable, 1u);
  ChooseFromMenu(wheels[1], 0);
  ExpectShown(1, 41, 0.25f);  // closing the menu without a choice changes nothing
  ChooseFromMenu(wheels[1], kHueWheelMenuCentre);
  ExpectShown(1, 0, 0);
  ExpectShown(2, 42, 0.25f);
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());

  ChooseFromMenu(wheels[1], kHueWheelMenuReset);
  for (int i = 0; i < 4; ++i)
    ExpectShown(i, gUIDefaultSettings.hueOffsets.wheel[i].tintangle, gUIDefaultSettings.hueOffsets.wheel[i].strength);
  EXPECT_EQ(gUISettings.hueOffsetEnable, 0u) << "resetting switches the hue offsets off";
  EXPECT_EQ(TabGroupGetItemCheck(subTabs, 1), 0);
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());

  // The reset is one undo step back to the four wheels as they were.
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  ExpectShown(3, 43, 0.25f);
  EXPECT_EQ(gUISettings.hueOffsetEnable, 1u);
}

TEST_F(HueWheelTest, SyncShowsAnotherRecordExactlyWithoutTickingTheTab) {
  VL_SettingsStruct other = gUISettings;
  other.hueOffsets.wheel[0].tintangle = 123.456789f;
  other.hueOffsets.wheel[0].strength = 0.333333f;
  SyncControlsWithSettings(&other, 0x10000, 0, nullptr, kVFSyncApply);
  ExpectShown(0, 123.456789f, 0.333333f);
  EXPECT_EQ(Angle(0), 123.456789f) << "the record keeps the value to the bit, not the readout's 1/65536 steps";
  EXPECT_EQ(Strength(0), 0.333333f);
  EXPECT_EQ(gUISettings.hueOffsetEnable, 0u);
  EXPECT_EQ(gUISettings.hslEnable, 0u);
}

TEST_F(HueWheelTest, AWheelTooSmallForARadiusAnswersStrengthZero) {
  TKControl* offsets = TabGroupGetPane(subTabs, 1);
  const TKRect b = TKGetControlBounds(offsets);
  TKControl* tiny = CreateHueWheel(window, TKMakeRect(b.left + 6, b.bottom - 80, 10, 10), "Tiny", offsets,
                                   &gUISettings, VF_OFFSET(hueOffsets.wheel[0]), VF_OFFSET(hueOffsets.wheel[0].tintangle),
                                   VF_OFFSET(hueOffsets.wheel[0].strength), 200, nullptr);
  ASSERT_NE(tiny, nullptr);
  ASSERT_LE(State(tiny).radius, 0);
  TKInjectClick(window, TKPoint{b.left + 6 + 8, b.bottom - 80 + 3});
  TKRunPending();
  EXPECT_EQ(State(tiny).strength, 0.0f);
  EXPECT_TRUE(std::isfinite(State(tiny).angle));
  EXPECT_TRUE(std::isfinite(Angle(0)) && Strength(0) == 0.0f);
  HueWheelNudge(tiny, 3, 4, true);
  EXPECT_EQ(State(tiny).strength, 0.0f);
  TKImage* image = BuildHueWheelImage(TKMakeRect(0, 0, 6, 6), -2, 1.0f);
  ASSERT_NE(image, nullptr);
  for (int32_t y = 0; y < TKImageHeight(image); ++y)
    for (int32_t x = 0; x < TKImageWidth(image); ++x) EXPECT_EQ(TKImageGetPixel(image, x, y) & 0xFFFFFF, 0u);
  TKImageDispose(image);
  TKRenderWindow(window);
}

TEST_F(HueWheelTest, WheelPictureFollowsTheSaturationPreference) {
  const TKPoint c = WheelCentre(wheels[0]);
  const TKPoint at{c.x + 15, c.y + 5};  // clear of the marks
  const int32_t saved = gPrefsSettings.uiSaturation;
  gPrefsSettings.uiSaturation = 65536;
  TKDrawControl(wheels[0]);
  uint32_t pixel = TKImageGetPixel(TKRenderWindow(window), at.x, at.y);
  const int red = (pixel >> 16) & 255, green = (pixel >> 8) & 255, blue = pixel & 255;
  EXPECT_FALSE(red == green && green == blue) << "coloured at full saturation";
  gPrefsSettings.uiSaturation = 0;
  TKDrawControl(wheels[0]);
  pixel = TKImageGetPixel(TKRenderWindow(window), at.x, at.y);
  EXPECT_EQ((pixel >> 16) & 255, (pixel >> 8) & 255);
  EXPECT_EQ((pixel >> 8) & 255, pixel & 255) << "grey once the saturation preference is 0";
  gPrefsSettings.uiSaturation = saved;

  // The generated picture: black beyond the rim, the wheel's colours inside.
  const int32_t radius = 53;
  const TKRect rect = TKMakeRect(0, 0, 117, 117);
  TKImage* image = BuildHueWheelImage(rect, radius, 1.0f);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(TKImageWidth(image), 234);
  EXPECT_EQ(TKImageGetPixel(image, 2, 2) & 0xFFFFFF, 0u);
  const QVRGBColor inside = HueWheelImageColor(40, 30, radius, 1.0f);
  const uint32_t p = TKImageGetPixel(image, 117 + 40, 117 + 30);
  EXPECT_EQ((p >> 16) & 255, uint32_t(inside.red >> 8));
  EXPECT_EQ((p >> 8) & 255, uint32_t(inside.green >> 8));
  EXPECT_EQ(p & 255, uint32_t(inside.blue >> 8));
  TKImageDispose(image);
}

}  // namespace

namespace {

TEST_F(HueWheelTest, WritingSettingsReprocessesOnlyWhenAValueChanges) {
  struct Case {
    float angle, strength;
    bool reprocess;
    int reprocesses;
  } cases[] = {
      {0, 0, true, 0},        // what the record holds: nothing to do
      {90, 0.5f, false, 0},   // written, not reprocessed
      {90, 0.5f, true, 0},    // already written
      {120, 0.5f, true, 1},   // a new angle
      {120, 0.75f, true, 1},  // a new strength
  };
  for (const Case& c : cases) {
    reprocessCount = 0;
    HueWheelWriteSettings(wheels[2], c.reprocess, c.angle, c.strength);
    EXPECT_EQ(Angle(2), c.angle);
    EXPECT_EQ(Strength(2), c.strength);
    EXPECT_EQ(reprocessCount, c.reprocesses) << c.angle << " " << c.strength;
  }
  EXPECT_EQ(gUISettings.hueOffsetEnable, 1u) << "a reprocessing write switches the hue offsets on";
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
}

}  // namespace
