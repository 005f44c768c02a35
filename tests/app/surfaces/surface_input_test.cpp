// The surface's input on the built main window: events go straight into
// SurfaceHandleInput, lights go to a driver that lives in the test.
#include "app/surfaces/surface_input.h"

#include <cmath>

#include "app/controls/value_slider.h"
#include "app/surfaces/surface_lights.h"
#include "app/surfaces/surface_start.h"
#include "app/views/transport_bar.h"
#include "platform/ui/ui_services.h"
#include "tests/app/surfaces/surface_fake_driver.h"
#include "tests/app/window/main_window_fixture.h"

namespace {

int gReprocessed = 0;

int32_t Offset(const char* name) { return int32_t(VL_FindSettingsField(name)->offset); }
float FieldFloat(const char* name) {
  float f;
  std::memcpy(&f, reinterpret_cast<const uint8_t*>(&gUISettings) + Offset(name), 4);
  return f;
}

class SurfaceInput : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    std::memset(&gUISettings, 0, sizeof gUISettings);
    VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
    Build();
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    gReprocessed = 0;
    VFGetServices().updatePreview = [] { ++gReprocessed; };
    gPrefsSettings.controlSurfaceMode = 3;
    FakeDriver::Connect();
    SurfaceInputReset();
    SurfaceClearDefinitions();
    gLastSavedSettingsSlot = 0;
    gSurfacePages[0].active = 1;
    gSurfaceCurrentPage = 1;
    SurfaceHandleInput(kSurfaceAnnounceID, 1);
  }
  void TearDown() override {
    SurfaceInputReset();
    SurfaceClearDefinitions();
    SurfaceDriverSetSender(nullptr);
    MainWindowTest::TearDown();
  }
  static void Define(int32_t i, const char* control, int32_t action, const char* field, float sx, float sy = 0) {
    const int32_t target = field ? Offset(field) : kSurfaceNoTarget;
    gSurfaceControls[0][i] = {SurfaceControlIDFromName(control), action, target, sx, sy, target, kSurfaceNoTarget, 0, {}};
  }
  static void Ticks(int n) {
    for (int i = 0; i < n; ++i) SurfacePollTimer();
  }
  static TKControl* Slider(const char* field) { return VFGetValueSlider(gSettingsControls[Offset(field) / 4])->slider; }
};

}  // namespace

TEST_F(SurfaceInput, NothingCountsBeforeTheAnnouncement) {
  SurfaceInputReset();
  Define(0, "encoder_s1", kSurfaceActionAdjustSlider, "hsl_master_saturation", 1);
  const float before = FieldFloat("hsl_master_saturation");
  SurfaceHandleInput(88, 5);
  EXPECT_EQ(before, FieldFloat("hsl_master_saturation"));
  SurfaceHandleInput(kSurfaceAnnounceID, 0);
  SurfaceHandleInput(88, 5);
  EXPECT_EQ(before, FieldFloat("hsl_master_saturation"));
  SurfaceHandleInput(kSurfaceAnnounceID, 1);
  SurfaceHandleInput(88, 5);
  EXPECT_NE(before, FieldFloat("hsl_master_saturation"));
}

TEST_F(SurfaceInput, SliderStepsFollowTheRangeAndRoundTowardZero) {
  TKControl* slider = Slider("hsl_master_saturation");
  const double range = double(TKGetControlMaximum(slider)) - TKGetControlMinimum(slider);
  // delta -1 with a scale that makes the step -0.546: -0.546 + 0.5 truncates to 0.
  Define(0, "encoder_s1", kSurfaceActionAdjustSlider, "hsl_master_saturation", float(0.01 * 65536.0 / range));
  const int32_t raw = TKGetControlValue(slider);
  SurfaceHandleInput(88, -1);
  EXPECT_EQ(raw, TKGetControlValue(slider));
  Define(0, "encoder_s1", kSurfaceActionAdjustSlider, "hsl_master_saturation", 1);
  SurfaceHandleInput(88, 3);
  EXPECT_EQ(raw + int32_t(std::trunc(3 * 54.61333333333334 * range / 65536.0 + 0.5)), TKGetControlValue(slider));
  // A huge turn is held to the slider's range, and the field takes what it shows.
  SurfaceHandleInput(88, 63);
  Define(0, "encoder_s1", kSurfaceActionAdjustSlider, "hsl_master_saturation", 1e30f);
  SurfaceHandleInput(88, 63);
  EXPECT_EQ(TKGetControlMaximum(slider), TKGetControlValue(slider));
  EXPECT_FLOAT_EQ(float(TKGetControlMaximum(slider)) / 65536.0f, FieldFloat("hsl_master_saturation"));
  // Undo takes the turns back.
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
}

TEST_F(SurfaceInput, EditsAreDrawnAtTheFirstQuietTickOrAfterElevenBusyOnes) {
  Define(0, "encoder_s1", kSurfaceActionAdjustSlider, "hsl_master_saturation", 1);
  SurfaceHandleInput(88, 1);
  Ticks(1);
  EXPECT_EQ(0, gReprocessed);
  Ticks(1);
  EXPECT_EQ(1, gReprocessed);
  Ticks(5);
  EXPECT_EQ(1, gReprocessed);
  for (int i = 0; i < 10; ++i) {
    SurfaceHandleInput(88, 1);
    Ticks(1);
  }
  EXPECT_EQ(1, gReprocessed);
  SurfaceHandleInput(88, 1);
  Ticks(1);
  EXPECT_EQ(2, gReprocessed);
}

TEST_F(SurfaceInput, SingleAndDoubleClicks) {
  // Clicks arrive with value 0: each stores the correction into its slot.
  Define(0, "navbutton3_sglclk", kSurfaceActionSaveSettings, nullptr, 1);
  Define(1, "navbutton3_dblclk", kSurfaceActionSaveSettings, nullptr, 2);
  Define(2, "navbutton4_sglclk", kSurfaceActionSaveSettings, nullptr, 4);
  // One press: the single click after fifteen ticks.
  SurfaceHandleInput(117, 0);
  Ticks(14);
  EXPECT_EQ(0, gLastSavedSettingsSlot);
  Ticks(1);
  EXPECT_EQ(1, gLastSavedSettingsSlot);
  // Two presses within the window: the double click.
  SurfaceHandleInput(117, 0);
  SurfaceHandleInput(117, 1);  // releases are not counted
  Ticks(3);
  SurfaceHandleInput(117, 0);
  Ticks(15);
  EXPECT_EQ(2, gLastSavedSettingsSlot);
  // Another button resolves the pending one at once, then counts itself.
  SurfaceHandleInput(117, 0);
  SurfaceHandleInput(118, 0);
  EXPECT_EQ(1, gLastSavedSettingsSlot);
  Ticks(15);
  EXPECT_EQ(4, gLastSavedSettingsSlot);
  EXPECT_EQ(-1, gSurfaceInput.pendingCode);
  gLastSavedSettingsSlot = 0;
}

TEST_F(SurfaceInput, KnobsStepTheTabGroups) {
  Define(0, "encoder_s2", kSurfaceActionSelectSettingsPane, nullptr, 1);
  Define(1, "navbutton1_sglclk", kSurfaceActionToggleSettingsPane, nullptr, 0);
  TabGroupSelect(gCorrectionTabs, 0);
  SurfaceHandleInput(89, 3);
  EXPECT_EQ(3, TabGroupGetCurrent(gCorrectionTabs));
  SurfaceHandleInput(89, 40);
  EXPECT_EQ(8, TabGroupGetCurrent(gCorrectionTabs));
  SurfaceHandleInput(89, -60);
  EXPECT_EQ(0, TabGroupGetCurrent(gCorrectionTabs));
  SurfaceHandleInput(89, 2);
  // The toggle goes to the first tab and back to the one it left.
  SurfaceHandleInput(115, 0);
  Ticks(15);
  EXPECT_EQ(0, TabGroupGetCurrent(gCorrectionTabs));
  SurfaceHandleInput(115, 0);
  Ticks(15);
  EXPECT_EQ(2, TabGroupGetCurrent(gCorrectionTabs));
}

TEST_F(SurfaceInput, SlotsPagesShuttleAndBank) {
  Define(0, "navbutton1_sglclk", kSurfaceActionRestoreSettings, nullptr, 2.6f);
  Define(1, "navbutton2_sglclk", kSurfaceActionSaveSettings, nullptr, 3.0f);
  gSurfaceControls[0][0].updateLEDs = 1;
  const float original = FieldFloat("hsl_master_gain");
  SurfaceHandleInput(116, 0);
  Ticks(15);
  EXPECT_EQ(3, gLastSavedSettingsSlot);
  gUISettings.hsl[0].gain = 0.25f;
  FakeDriver::Clear();
  SurfaceHandleInput(115, 0);  // recall slot round(2.6) = 3
  Ticks(15);
  EXPECT_EQ(original, FieldFloat("hsl_master_gain"));
  ASSERT_FALSE(FakeDriver::RawWrites().empty());
  EXPECT_EQ(SurfaceLightMessage(256, true), FakeDriver::RawWrites().back());

  // An empty slot beeps and changes nothing.
  Define(2, "navbutton5_sglclk", kSurfaceActionRestoreSettings, nullptr, 7);
  SurfaceHandleInput(119, 0);
  Ticks(15);
  EXPECT_EQ(3, gLastSavedSettingsSlot);

  // Pages: value 1 does nothing; an inactive page beeps and keeps the current one.
  gSurfacePages[1].active = 1;
  SurfaceHandleInput(75, 1);
  EXPECT_EQ(1, gSurfaceCurrentPage);
  SurfaceHandleInput(75, 0);
  EXPECT_EQ(2, gSurfaceCurrentPage);
  SurfaceHandleInput(76, 0);
  EXPECT_EQ(2, gSurfaceCurrentPage);

  for (auto [ring, speed] : {std::pair{20, 500}, {-20, -500}, {0, 0}, {1, 1}, {-12, -500}, {5, 30}}) {
    SurfaceHandleInput(26, ring);
    EXPECT_EQ(speed, gSurfaceInput.shuttleSpeed) << ring;
  }
  FakeDriver::Clear();
  SurfaceHandleInput(42, 1);  // button_mp3
  const std::vector<std::pair<int32_t, int32_t>> bank = {{40, 0}, {41, 0}, {42, 1}, {43, 0},
                                                         {44, 0}, {45, 0}, {46, 0}, {47, 0}};
  EXPECT_EQ(bank, FakeDriver::Lights());
}

TEST_F(SurfaceInput, ShiftOrTheHeldResetButtonPutsTargetsBackToDefaults) {
  Define(0, "encoder_s1", kSurfaceActionAdjustSlider, "hsl_master_saturation", 1);
  SurfaceHandleInput(88, 10);
  const float moved = FieldFloat("hsl_master_saturation");
  ASSERT_NE(gUIDefaultSettings.hsl[0].saturation, moved);
  TKInjectModifiers(kTKModShift);
  TKRunPending();
  SurfaceHandleInput(88, 10);
  EXPECT_EQ(gUIDefaultSettings.hsl[0].saturation, FieldFloat("hsl_master_saturation"));
  TKInjectModifiers(0);
  TKRunPending();
  SurfaceHandleInput(88, 10);
  EXPECT_NE(gUIDefaultSettings.hsl[0].saturation, FieldFloat("hsl_master_saturation"));
}

TEST_F(SurfaceInput, TwoPressesOfTheResetButtonResetTheWholeCorrection) {
  gUISettings.hsl[0].gain = 0.5f;
  SurfaceHandleInput(81, 0);
  SurfaceHandleInput(81, 1);
  TKAdvanceClock(0.2);
  SurfaceHandleInput(81, 0);
  EXPECT_EQ(gUIDefaultSettings.hsl[0].gain, gUISettings.hsl[0].gain);
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_EQ(0.5f, gUISettings.hsl[0].gain);

  // Presses further apart than the window do not.
  SurfaceHandleInput(81, 1);
  TKRunPending();
  TKAdvanceClock(0.3);
  EXPECT_EQ(0, gSurfaceInput.resetWindowOpen);
  SurfaceHandleInput(81, 0);
  SurfaceHandleInput(81, 1);
  TKAdvanceClock(0.3);
  SurfaceHandleInput(81, 0);
  EXPECT_EQ(0.5f, gUISettings.hsl[0].gain);
  SurfaceHandleInput(81, 1);
  TKAdvanceClock(0.3);
  EXPECT_EQ(nullptr, gSurfaceInput.resetWindowTimer);
}

TEST_F(SurfaceInput, TogglesAndValuesWriteTheirBoxesAndLights) {
  const int32_t limiter = Offset("limiter_enable");
  gSurfaceControls[0][0] = {541, kSurfaceActionToggleControl, limiter, 0, 0, limiter, kSurfaceNoTarget, 1, {}};
  gUISettings.limiter_enable = 0;
  FakeDriver::Clear();
  SurfaceHandleInput(82, 0);
  Ticks(15);
  EXPECT_EQ(1u, gUISettings.limiter_enable);
  EXPECT_EQ(1, TabGroupGetItemCheck(gCorrectionTabs, kCorrectionTabLimiting));
  ASSERT_FALSE(FakeDriver::RawWrites().empty());
  EXPECT_EQ(SurfaceLightMessage(9, true), FakeDriver::RawWrites().back());
  // A delta other than 0 does nothing for a button action.
  SurfaceHandleInput(541, 1);
  EXPECT_EQ(1u, gUISettings.limiter_enable);
}

TEST(SurfaceInputAlone, TransportButtonsWithoutAPaneDoNothing) {
  SurfaceInputReset();
  SurfaceClearDefinitions();
  SurfaceHandleInput(kSurfaceAnnounceID, 1);
  SurfaceHandleInput(3, 1);
  SurfaceHandleInput(2, 1);
  SurfaceHandleInput(24, 5);
  EXPECT_EQ(nullptr, gSurfaceInput.surfacePane);
  SurfaceInputReset();
}

TEST_F(SurfaceInput, PlayAndStopDriveTheVisiblePanesTransportAndItsLights) {
  FakeDriver::Clear();
  ASSERT_TRUE(SurfaceIsConnected());
  SurfaceHandleInput(3, 1);
  ASSERT_NE(nullptr, gSurfaceInput.surfacePane);
  EXPECT_EQ(1, TransportPlayingCount());
  const std::vector<std::pair<int32_t, int32_t>> playing = {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 0}};
  EXPECT_EQ(playing, FakeDriver::Lights());
  SurfaceHandleInput(3, 1);  // already playing
  EXPECT_EQ(1, TransportPlayingCount());
  FakeDriver::Clear();
  SurfaceHandleInput(2, 1);
  EXPECT_EQ(0, TransportPlayingCount());
  const std::vector<std::pair<int32_t, int32_t>> stopped = {{0, 0}, {1, 0}, {2, 1}, {3, 0}, {4, 0}};
  EXPECT_EQ(stopped, FakeDriver::Lights());
  TransportPauseAll();
}
