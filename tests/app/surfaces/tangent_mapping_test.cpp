// The panel's mapping driven through a fake device over the real main
// window: every kind of entry moves its field by its arithmetic, Shift
// resets, a run of turns is one undo step, reprocessing waits for the tick,
// and the displays receive the value fields.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/controls/levels_control.h"
#include "app/controls/value_slider.h"
#include "app/surfaces/tangent_link.h"
#include "app/surfaces/tangent_mapping.h"
#include "app/views/transport_bar.h"
#include "app/window/correction_tabs.h"
#include "platform/hid_fake.h"
#include "support/threads.h"
#include "tests/app/window/main_window_fixture.h"

namespace {

class TangentMappingTest : public MainWindowTest {
 protected:
  std::shared_ptr<PLFakeHidState> device = std::make_shared<PLFakeHidState>();

  void SetUp() override {
    MainWindowTest::SetUp();
    PLInstallFakeHidDevice(device);
    TangentResetMappingState();
    Build();
    TangentInstallRefreshHooks();
    ASSERT_TRUE(TangentStartLivePanel(false));
    device->TakeOutput();
  }
  void TearDown() override {
    TangentQuitLivePanel();
    PLSetHidOpener(nullptr);
    MainWindowTest::TearDown();
  }

  static uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(&gUISettings); }
  static uint32_t Offset(const char* name) {
    const VLSettingsFieldName* f = VL_FindSettingsField(name);
    EXPECT_NE(f, nullptr) << name;
    return f ? f->offset : 0;
  }
  static float Float(const char* name) {
    float v;
    std::memcpy(&v, Bytes() + Offset(name), 4);
    return v;
  }
  static void SetFloat(const char* name, float v) { std::memcpy(Bytes() + Offset(name), &v, 4); }
  static uint32_t Word(uint32_t offset) {
    uint32_t v;
    std::memcpy(&v, Bytes() + offset, 4);
    return v;
  }

  void Code(uint32_t code, int32_t value = 0) { TangentDispatchControl(gTangentPanel, code, value); }
  void Ticks(int32_t n) {
    for (int32_t i = 0; i < n; ++i) TangentRepeatTimer(gTangentPanel);
  }
  void Mode(uint32_t selectCode) {
    Code(selectCode);
    device->TakeOutput();
  }

  // The fields written to display line 1, as "display column: text".
  std::vector<std::string> Fields() {
    std::vector<std::string> out;
    for (const auto& r : device->TakeOutput()) {
      if (r.size() < 5 || r[0] != 0 || r[2] != 1 || r[4] == 32) continue;
      out.push_back(std::to_string(r[1]) + " " + std::to_string(r[3]) + ": " +
                    std::string(reinterpret_cast<const char*>(r.data()) + 5, r.size() - 5));
    }
    return out;
  }

  // The slider step for scale and count by the slider's range.
  static float ExpectedAfterTurn(const char* field, float scale, int32_t count) {
    TKControl* slider = gSettingsControls[Offset(field) / 4];
    EXPECT_NE(slider, nullptr) << field;
    const int32_t value = TKGetControlValue(slider), min = TKGetControlMinimum(slider),
                  max = TKGetControlMaximum(slider);
    double next = value + std::trunc(double(scale) * count * 54.61333333333334 *
                                     (max * (1.0 / 65536) - min * (1.0 / 65536)) + 0.5);
    next = std::fmin(std::fmax(next, min), max);
    return float(int32_t(next)) * (1.0f / 65536.0f);
  }

  float ResultPixel() {
    float rgba[4];
    FBGetRGBPixel(gResultFrame, 20, 10, rgba);
    return rgba[0] + rgba[1] + rgba[2];
  }
};

TEST_F(TangentMappingTest, KnobsStepTheirFieldsByTheSliderRange) {
  struct Case {
    uint32_t selectMode;  // 0: stay
    uint32_t code;
    int32_t count;
    const char* field;
    float scale;
  };
  const Case cases[] = {
      {0x0A, 0x100, 3, "hsl_master_hue", 0.1f},
      {0, 0x102, 2, "hsl_master_contrast", 0.25f},
      {0, 0x103, -1, "hsl_master_gain", 0.125f},
      {0, 0x101, -40, "hsl_master_saturation", 0.125f},
      {0x0B, 0x100, 5, "rgb_master_r_ped", 0.125f},
      {0, 0x4030, 2, "rgb_master_gain", 0.25f},
      {0x0C, 0x108, 1, "cmy_master_y_gain", 0.125f},
      {0x0F, 0x104, -2, "ycbcr_master_cb_gamma", 0.125f},
      {0x11, 0x100, 4, "secondary_a_chromatol", 0.5f},
      {0, 0x101, 4, "secondary_a_lumatol", 0.5f},
      {0, 0x102, 4, "secondary_a_softness", 0.5f},
      {0, 0x107, -3, "secondary_a_ped", 0.125f},
      {0x14, 0x100, 7, "limiter_softclip_knee", 0.125f},
      {0x10, 0x106, 1, "inputControls_highlight_recovery", 0.5f},
  };
  for (const Case& c : cases) {
    if (c.selectMode) Mode(c.selectMode);
    const float expected = ExpectedAfterTurn(c.field, c.scale, c.count);
    Code(c.code, c.count);
    EXPECT_FLOAT_EQ(Float(c.field), expected) << c.field;
    EXPECT_NE(Float(c.field), 0.0f) << c.field << " moved";
  }
  // Negative steps truncate toward zero: one unit less than rounding down.
  Mode(0x0A);
  SetFloat("hsl_master_gamma", 1.0f);
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, kVFSyncApply);
  TKControl* gamma = gSettingsControls[Offset("hsl_master_gamma") / 4];
  const int32_t before = TKGetControlValue(gamma);
  const double step = 0.125 * -1 * 54.61333333333334 *
                      (TKGetControlMaximum(gamma) / 65536.0 - TKGetControlMinimum(gamma) / 65536.0) + 0.5;
  Code(0x104, -1);
  EXPECT_EQ(TKGetControlValue(gamma), before + int32_t(std::trunc(step)));
  EXPECT_FLOAT_EQ(Float("hsl_master_gamma"), float(before + int32_t(std::trunc(step))) / 65536.0f);
}

TEST_F(TangentMappingTest, ReprocessingWaitsForTheTickAndATurnIsOneUndoStep) {
  gUISettings.hslEnable = 1;
  gUISettings.hslControlsEnable = 1;
  gUISettings.hsl[0].enable = 1;
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  const float original = ResultPixel();
  const float gain = gUISettings.hsl[0].gain;
  const uint32_t undoableBefore = gUndoBuffer->undoable;
  for (int32_t i = 0; i < 5; ++i) {
    Code(0x103, -3);
    EXPECT_EQ(ResultPixel(), original) << "no reprocessing during the burst";
    Ticks(1);
  }
  Ticks(1);  // the tick after the motion stops
  EXPECT_LT(ResultPixel(), original);
  EXPECT_LT(gUISettings.hsl[0].gain, gain);
  // Continuous motion reprocesses every 11th tick.
  const float afterBurst = ResultPixel();
  for (int32_t i = 0; i < 10; ++i) {
    Code(0x103, -1);
    Ticks(1);
    EXPECT_EQ(ResultPixel(), afterBurst) << "tick " << i;
  }
  Code(0x103, -1);
  Ticks(1);
  EXPECT_LT(ResultPixel(), afterBurst);
  // All the turns are one undo step; it closes 33 idle ticks after the last
  // turn, and a turn after that starts the next.
  Ticks(33);
  EXPECT_EQ(gUndoBuffer->undoable, undoableBefore + 1);
  const float afterRun = gUISettings.hsl[0].gain;
  Code(0x103, -2);
  EXPECT_EQ(gUndoBuffer->undoable, undoableBefore + 2);
  Ticks(33);
  Code(0x15);  // Undo
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, afterRun);
  Code(0x15);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, gain);
  Code(0x215);  // Redo
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, afterRun);
}

TEST_F(TangentMappingTest, ShiftResetsInsteadOfStepping) {
  gUISettings.hsl[0].saturation = 1.7f;
  gUISettings.hueOffsets.wheel[1].tintangle = 40;
  gUISettings.hueOffsets.wheel[1].strength = 0.5f;
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, kVFSyncApply);
  TKInjectModifiers(kTKModShift);
  TKRunPending();
  ASSERT_TRUE(QVGetKeyboardModifiers() & 0x200);
  Code(0x101, 5);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].saturation, gUIDefaultSettings.hsl[0].saturation);
  Code(0x4028, 10);  // trackball 1 on the shadow wheel resets its angle and strength
  EXPECT_FLOAT_EQ(gUISettings.hueOffsets.wheel[1].tintangle, gUIDefaultSettings.hueOffsets.wheel[1].tintangle);
  EXPECT_FLOAT_EQ(gUISettings.hueOffsets.wheel[1].strength, gUIDefaultSettings.hueOffsets.wheel[1].strength);
  TKInjectModifiers(0);
  TKRunPending();
  // The knob buttons reset too, without Shift.
  gUISettings.hsl[0].pedestal = 0.25f;
  Code(0x05);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].pedestal, gUIDefaultSettings.hsl[0].pedestal);
}

TEST_F(TangentMappingTest, TrackballsNudgeAndRingsTurnTheHueWheels) {
  Code(0x402A, 8);  // ring 1: shadow wheel, 0.25 degree per count
  EXPECT_FLOAT_EQ(gUISettings.hueOffsets.wheel[1].tintangle, 2.0f);
  const float strength = gUISettings.hueOffsets.wheel[2].strength;
  Code(0x402B, 100);  // trackball 2 x: the midtone wheel's point moves right
  EXPECT_GT(gUISettings.hueOffsets.wheel[2].strength, strength);
  Code(0x17);  // ring button 3a: the highlight wheel's angle
  Code(0x13);  // ring button 2b: the midtone wheel's angle and strength
  EXPECT_FLOAT_EQ(gUISettings.hueOffsets.wheel[2].strength, gUIDefaultSettings.hueOffsets.wheel[2].strength);
}

TEST_F(TangentMappingTest, LevelsPointsKeepGreyBetweenTheEnds) {
  Mode(0x10);
  EXPECT_EQ(TangentCurrentMode(), 5);
  EXPECT_EQ(TabGroupGetCurrent(gCorrectionTabs), 5);
  TKControl* levels = gSettingsControls[offsetof(VL_SettingsStruct, levels) / 4];
  ASSERT_NE(levels, nullptr);
  // Input black up by 200 x 0.0005: grey keeps its relative place.
  Code(0x100, 200);
  float black = -1, gray = -1, white = -1;
  LevelsGetInBlack(levels, &black);
  LevelsGetInGray(levels, &gray);
  LevelsGetInWhite(levels, &white);
  EXPECT_FLOAT_EQ(black, 0.1f);
  EXPECT_FLOAT_EQ(gUISettings.levels[0].inblackpt, 0.1f);
  EXPECT_FLOAT_EQ(gray, 0.55f);
  EXPECT_FLOAT_EQ(gUISettings.levels[0].ingraypt, 0.55f);
  // White down onto black: equal ends, then a further move divides by nothing.
  Code(0x102, -1800);
  Code(0x102, -10);
  LevelsGetInGray(levels, &gray);
  LevelsGetInBlack(levels, &black);
  LevelsGetInWhite(levels, &white);
  EXPECT_TRUE(std::isfinite(gray));
  EXPECT_GE(gray, std::fmin(black, white));
  EXPECT_LE(gray, std::fmax(black, white));
  // Grey moves only between the ends; output points clamp to 0..1.
  Code(0x101, 5000);
  LevelsGetInGray(levels, &gray);
  EXPECT_LE(gray, std::fmax(black, white));
  Code(0x105, 500);
  EXPECT_FLOAT_EQ(gUISettings.levels[0].outwhitept, 1.0f);
  Code(0x103, -500);
  EXPECT_FLOAT_EQ(gUISettings.levels[0].outblackpt, 0.0f);
}

TEST_F(TangentMappingTest, PagesStepWithinTheMode) {
  struct Case {
    uint32_t selectMode;
    uint32_t code;
    int32_t page;
  };
  const Case cases[] = {
      {0x11, 0x1A, 2}, {0, 0x1A, 3}, {0, 0x19, 2}, {0, 0x19, 1}, {0, 0x19, 6}, {0, 0x1A, 1},
      {0x14, 0x1A, 1}, {0, 0x19, 1},  // Limiting has one page
      {0x0A, 0x19, 4}, {0, 0x1A, 1},
  };
  for (const Case& c : cases) {
    if (c.selectMode) Mode(c.selectMode);
    Code(c.code);
    EXPECT_EQ(TangentCurrentPage(), c.page) << std::hex << c.code;
  }
  // The new page's layout reaches the displays: HSL shadows.
  Code(0x19);
  bool labels = false;
  for (const auto& r : device->TakeOutput())
    if (r.size() == 37 && std::string(reinterpret_cast<const char*>(r.data()) + 5, 32).find("Shdw Hue") != std::string::npos)
      labels = true;
  EXPECT_TRUE(labels);
}

TEST_F(TangentMappingTest, ChoiceButtonsCycleAndShowTheirNames) {
  Mode(0x14);
  const uint32_t system = Offset("limiter_system"), method = Offset("limiter_clip_method");
  std::vector<uint32_t> systems;
  for (int32_t i = 0; i < 4; ++i) {
    Code(0x07);
    systems.push_back(Word(system));
  }
  const uint32_t start = systems[3];
  EXPECT_EQ(systems[0] % 3 + 1, systems[1]);
  EXPECT_EQ(systems[1] % 3 + 1, systems[2]);
  EXPECT_EQ(systems[2] % 3 + 1, start);
  device->TakeOutput();
  gUISettings.limiter.limiter_system = 3;
  gUISettings.limiter.limiter_clip_method = 2;
  Code(0x1D);  // refresh
  const std::vector<std::string> fields = Fields();
  EXPECT_NE(std::find(fields.begin(), fields.end(), "2 11:    ATSC   "), fields.end());
  EXPECT_NE(std::find(fields.begin(), fields.end(), "2 0: Lower Luma"), fields.end());
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, kVFSyncApply);
  Code(0x06);
  EXPECT_EQ(Word(method), 3u);
}

TEST_F(TangentMappingTest, PreviewButtonCyclesOffAndThroughTheThreeModes) {
  Mode(0x11);
  Code(0x1A);  // secondary B
  ASSERT_EQ(TangentCurrentPage(), 2);
  VL_SecondaryControls& b = gUISettings.secondary[1];
  b.preview = 0;
  b.previewMode = 1;
  struct Step {
    uint32_t code;
    uint32_t preview, mode;
    const char* text;
  };
  const Step steps[] = {{0x08, 1, 1, "Desaturate"}, {0x08, 1, 2, "   Mask   "}, {0x08, 1, 3, "  Alpha   "},
                        {0x08, 0, 1, "    Off   "}, {0x208, 1, 1, "Desaturate"}, {0x208, 0, 1, "    Off   "}};
  for (const Step& s : steps) {
    device->TakeOutput();
    Code(s.code);
    EXPECT_EQ(b.preview, s.preview) << std::hex << s.code;
    EXPECT_EQ(b.previewMode, s.mode);
    const std::vector<std::string> fields = Fields();
    EXPECT_NE(std::find(fields.begin(), fields.end(), std::string("2 22: ") + s.text), fields.end()) << s.text;
  }
}

TEST_F(TangentMappingTest, SavedSlotsAndResetAll) {
  gUISettings.hsl[0].gain = 1.25f;
  Code(0x221);  // store slot 1 (double click of 0x21)
  gUISettings.hsl[0].gain = 0.5f;
  Code(0x21);  // recall slot 1
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, 1.25f);
  const int32_t beeps = TKHeadlessBeepCount();
  Code(0x1C);  // recall slot 8, never stored
  EXPECT_EQ(TKHeadlessBeepCount(), beeps + 1);
  Code(0x21D);  // reset all
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, gUIDefaultSettings.hsl[0].gain);
  Code(0x15);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, 1.25f);
}

TEST_F(TangentMappingTest, JogAndTransportButtonsDriveThePaneOnShow) {
  Code(0x400B, 3);
  EXPECT_EQ(hostTime, 30);
  Code(0x400B, -1);
  EXPECT_EQ(hostTime, 20);
  Code(0x4004);
  EXPECT_EQ(hostTime, 90);
  Code(0x4003);
  EXPECT_EQ(hostTime, 0);
  TKControl* bar = ImagePaneGetLinkedControl(gCurrentImagePane);
  Code(0x4001);
  EXPECT_TRUE(TransportIsPlaying(bar));
  Code(0x4001);
  EXPECT_TRUE(TransportIsPlaying(bar));
  Code(0x4000);
  EXPECT_FALSE(TransportIsPlaying(bar));
}

TEST_F(TangentMappingTest, MouseEditsRefreshTheValueOnThePanel) {
  TKControl* slider = gSettingsControls[offsetof(VL_SettingsStruct, hsl[0].gamma) / 4];
  ASSERT_NE(slider, nullptr);
  VFWriteControlValue(slider, 3 * 32768, false);  // 1.5
  EXPECT_EQ(Fields(), (std::vector<std::string>{"1 12:    1.5000"}));
  // A value of another page shows nothing.
  TKControl* other = gSettingsControls[offsetof(VL_SettingsStruct, rgb[0].gain) / 4];
  ASSERT_NE(other, nullptr);
  VFWriteControlValue(other, 65536, false);
  EXPECT_TRUE(Fields().empty());
}

}  // namespace
