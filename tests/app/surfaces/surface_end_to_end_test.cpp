// The application against the fake network surface over loopback: the link
// starts from the preferences, the surface's knobs and buttons edit the
// correction through the definitions file, and what the fake receives is
// the surface's own messages.
#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <thread>

#include "app/controls/bound_controls.h"
#include "app/controls/value_slider.h"
#include "app/surfaces/surface_file.h"
#include "app/surfaces/surface_input.h"
#include "app/surfaces/surface_lights.h"
#include "app/surfaces/surface_link.h"
#include "app/surfaces/surface_start.h"
#include "tests/app/window/main_window_fixture.h"
#include "tests/scratch_folder.h"
#include "tools/fake_surface/fake_surface.h"

namespace {

int gReprocessed = 0;

size_t ThreadCount() {
  size_t n = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
    closedir(d);
  }
  return n;
}

int32_t Offset(const char* name) { return int32_t(VL_FindSettingsField(name)->offset); }

float FieldFloat(const char* name) {
  float f;
  std::memcpy(&f, reinterpret_cast<const uint8_t*>(&gUISettings) + Offset(name), 4);
  return f;
}

std::string Centred(const std::string& text) {
  const size_t spaces = 24 - text.size();
  return std::string(spaces / 2, ' ') + text + std::string(spaces - spaces / 2, ' ');
}

class SurfaceEndToEnd : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    prefsFolder = MakeScratchFolder("prefs");
    setenv("VELMORA_PREFERENCES", prefsFolder.c_str(), 1);
    std::memset(&gUISettings, 0, sizeof gUISettings);
    VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
    WriteDefinitions();
    Build();
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    gReprocessed = 0;
    VFGetServices().updatePreview = [] { ++gReprocessed; };
    SurfaceSetTickWait([](int32_t) {});
    std::string error;
    fake = FakeSurfaceOpen(0, &error);
    ASSERT_TRUE(fake) << error;
    gPrefsSettings.controlSurfaceMode = 3;
    gPrefsSettings.controlSurfaceInterface = kSurfaceLinkNetwork;
    std::snprintf(gPrefsSettings.controlSurfaceIP, sizeof gPrefsSettings.controlSurfaceIP, "127.0.0.1");
    gPrefsSettings.controlSurfacePort = FakeSurfacePort(fake.get());
  }

  void TearDown() override {
    UIHooks().surfaceStop();
    fake.reset();
    SurfaceSetTickWait(nullptr);
    SurfaceClearDefinitions();
    unsetenv("VELMORA_PREFERENCES");
    MainWindowTest::TearDown();
  }

  // Two pages: knobs on the HSL saturation and the correction tabs, a
  // button that recalls slot 2 and one that flips secondary A's invert box.
  void WriteDefinitions() {
    SurfaceClearDefinitions();
    SurfacePageDefinition& one = gSurfacePages[0];
    one.active = 1;
    std::strcpy(one.leftLine1, "Primary");
    one.trackballColor[0] = kSurfaceRed;
    gSurfacePages[1].active = 1;
    std::strcpy(gSurfacePages[1].leftLine1, "Second");
    const int32_t sat = Offset("hsl_master_saturation"), invert = Offset("secondary_a_invert");
    SurfaceControlDefinition* c = gSurfaceControls[0];
    c[0] = {88, kSurfaceActionAdjustSlider, sat, 1.0f, 0, sat, kSurfaceNoTarget, 0, {}};
    c[1] = {89, kSurfaceActionSelectSettingsPane, kSurfaceNoTarget, 1.0f, 0, kSurfaceNoTarget, kSurfaceNoTarget, 0, {}};
    c[2] = {513, kSurfaceActionRestoreSettings, kSurfaceNoTarget, 2.0f, 0, kSurfaceNoTarget, kSurfaceNoTarget, 1, {}};
    c[3] = {514, kSurfaceActionToggleControl, invert, 0, 0, invert, kSurfaceNoTarget, 1, {}};
    const std::string path = prefsFolder + "/" + kSurfaceDefinitionsFileName;
    ASSERT_EQ(kQVNoErr, SurfaceWriteDefinitions(path.c_str(), nullptr));
    SurfaceClearDefinitions();  // the start-up reads them back
  }

  // Runs the loop (and the fake clock by the poll timer's tick) until pred
  // holds or a few real seconds pass.
  bool Pump(const std::function<bool()>& pred, double seconds = 5.0) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
      TKRunPending();
      if (pred()) return true;
      TKAdvanceClock(0.02);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return pred();
  }

  void Start() {
    UIHooks().surfaceStart(3);
    ASSERT_TRUE(SurfaceIsConnected());
    ASSERT_TRUE(FakeSurfaceAccept(fake.get(), 5));
  }

  std::string prefsFolder;
  std::unique_ptr<FakeSurface, void (*)(FakeSurface*)> fake{nullptr, nullptr};
};

}  // namespace

TEST_F(SurfaceEndToEnd, KnobsAndButtonsEditTheCorrectionAndTheSurfaceShowsIt) {
  Start();
  FakeSurface* f = fake.get();
  EXPECT_TRUE(FakeSurfaceWaitFor(f, "display left 1 |" + Centred("Primary") + "|", 5));
  const std::vector<std::string> greeting = FakeSurfaceLog(f);
  ASSERT_FALSE(greeting.empty());
  EXPECT_EQ("greeting", greeting[0]);
  EXPECT_EQ("display left 1 |" + Centred("Quorvane") + "|", greeting[1]);
  EXPECT_EQ("display right 1 |" + Centred("Velmora 3.0.14(309)") + "|", greeting[3]);
  EXPECT_EQ("light A 0 lit", greeting[5]);
  EXPECT_EQ(1, gSurfaceCurrentPage);

  // Nothing counts before the surface announces itself.
  const float before = FieldFloat("hsl_master_saturation");
  ASSERT_TRUE(FakeSurfaceSend(f, "encoder_s1", 5));
  Pump([] { return false; }, 0.2);
  EXPECT_EQ(before, FieldFloat("hsl_master_saturation"));

  ASSERT_TRUE(FakeSurfaceAnnounce(f));
  TKControl* slider = VFGetValueSlider(gSettingsControls[Offset("hsl_master_saturation") / 4])->slider;
  const int32_t raw = TKGetControlValue(slider);
  const double range = double(TKGetControlMaximum(slider)) - TKGetControlMinimum(slider);
  const int32_t expected = raw + int32_t(std::trunc(5 * 54.61333333333334 * range / 65536.0 + 0.5));
  ASSERT_TRUE(FakeSurfaceSend(f, "encoder_s1", 5));
  ASSERT_TRUE(Pump([&] { return TKGetControlValue(slider) != raw; }));
  EXPECT_EQ(expected, TKGetControlValue(slider));
  EXPECT_FLOAT_EQ(float(expected) / 65536.0f, FieldFloat("hsl_master_saturation"));
  EXPECT_TRUE(Pump([] { return gReprocessed > 0; }));

  // A knob steps the correction tabs.
  const int32_t tab = TabGroupGetCurrent(gCorrectionTabs);
  ASSERT_TRUE(FakeSurfaceSend(f, "encoder_s2", 1));
  EXPECT_TRUE(Pump([&] { return TabGroupGetCurrent(gCorrectionTabs) == tab + 1; }));

  // Page buttons show another page's header.
  FakeSurfaceClearLog(f);
  ASSERT_TRUE(FakeSurfaceSend(f, "page_s2", 0));
  EXPECT_TRUE(Pump([] { return gSurfaceCurrentPage == 2; }));
  EXPECT_TRUE(FakeSurfaceWaitFor(f, "display left 1 |" + Centred("Second") + "|", 5));
  EXPECT_TRUE(FakeSurfaceWaitFor(f, "light A 1 lit", 1));
  ASSERT_TRUE(FakeSurfaceSend(f, "page_s1", 0));
  EXPECT_TRUE(Pump([] { return gSurfaceCurrentPage == 1; }));

  // A single click of button_n1 recalls slot 2 and lights its button.
  const float stored = FieldFloat("hsl_master_saturation");
  ASSERT_TRUE(SavedSettingsSlot(2, true));
  ASSERT_TRUE(FakeSurfaceSend(f, "encoder_s1", -20));
  ASSERT_TRUE(Pump([&] { return FieldFloat("hsl_master_saturation") != stored; }));
  FakeSurfaceClearLog(f);
  ASSERT_TRUE(FakeSurfaceSend(f, "button_n1", 0));
  EXPECT_TRUE(Pump([&] { return FieldFloat("hsl_master_saturation") == stored; }));
  EXPECT_EQ(2, gLastSavedSettingsSlot);
  EXPECT_TRUE(FakeSurfaceWaitFor(f, "light B 0 lit", 2));

  // Button n2 flips the invert box of secondary A; its light follows.
  const uint32_t invert = gUISettings.secondary[0].invert;
  FakeSurfaceClearLog(f);
  ASSERT_TRUE(FakeSurfaceSend(f, "button_n2", 0));
  EXPECT_TRUE(Pump([&] { return gUISettings.secondary[0].invert != invert; }));
  EXPECT_TRUE(FakeSurfaceWaitFor(f, invert ? "light B 1 dark" : "light B 1 lit", 2));

  // Garbage, a half message and a hang-up mid-message change nothing.
  const VL_SettingsStruct settled = gUISettings;
  ASSERT_TRUE(FakeSurfaceSendBytes(f, {0x00, 0x7F, 0x90, 0x10, 0x20, 0xF0, 0xF7, 0xB6, 0x7F, 0x7F, 0x80, 0x41, 0x41, 0xB6, 0x05}));
  FakeSurfaceHangUp(f);
  Pump([] { return false; }, 0.3);
  EXPECT_EQ(0, std::memcmp(&settled, &gUISettings, sizeof settled));
  // Writing to a surface that has gone raises no signal and changes nothing.
  for (int i = 0; i < 50; ++i) SurfaceShowPageHeader(1);
  EXPECT_EQ(0, std::memcmp(&settled, &gUISettings, sizeof settled));
}

TEST_F(SurfaceEndToEnd, AFloodOfMessagesIsHandledInOrder) {
  Start();
  FakeSurface* f = fake.get();
  ASSERT_TRUE(FakeSurfaceAnnounce(f));
  TKControl* slider = VFGetValueSlider(gSettingsControls[Offset("hsl_master_saturation") / 4])->slider;
  ASSERT_TRUE(Pump([] { return gSurfaceInput.ready != 0; }));
  // Turns one way and the other, in pairs: each pair nets one step of the
  // slider (the step adds one half before it is cut toward zero), so the
  // knob shows that every message arrived.
  const int32_t raw = TKGetControlValue(slider);
  std::vector<uint8_t> turns;
  for (int i = 0; i < 1500; ++i) turns.insert(turns.end(), {0xB6, 0x03, 0x01, 0xB6, 0x03, 0x7F});
  ASSERT_TRUE(FakeSurfaceSendBytes(f, turns));
  ASSERT_TRUE(FakeSurfaceSend(f, "page_s2", 0));
  ASSERT_TRUE(Pump([] { return gSurfaceCurrentPage == 2; }, 10));
  EXPECT_EQ(raw + 1500, TKGetControlValue(slider));
}

// The thread count once threads the libraries start on their own (font
// set-up, for one) have ended: the least count seen over a short while.
size_t SettledThreadCount() {
  size_t least = ThreadCount();
  for (int i = 0; i < 50; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    least = std::min(least, ThreadCount());
  }
  return least;
}

TEST_F(SurfaceEndToEnd, StoppingBlanksTheSurfaceAndLeavesNothingBehind) {
  size_t threads = 0;
  for (int round = 0; round < 10; ++round) {
    // Counted after a first start and stop, so that whatever a first start
    // sets up for good is in the count and a leak of each round shows.
    if (round == 1) threads = SettledThreadCount();
    SCOPED_TRACE(round);
    Start();
    EXPECT_EQ(2, SurfaceTimerCount());
    EXPECT_TRUE(SurfaceLinkHasSocket());
    FakeSurfaceClearLog(fake.get());
    UIHooks().surfaceStop();
    EXPECT_EQ(0, SurfaceTimerCount());
    EXPECT_FALSE(SurfaceLinkHasSocket());
    EXPECT_FALSE(SurfaceIsConnected());
    EXPECT_TRUE(FakeSurfaceWaitFor(fake.get(), "raw BF 69 00", 5));
    const std::vector<std::string> log = FakeSurfaceLog(fake.get());
    ASSERT_GE(log.size(), 10u);
    EXPECT_EQ("raw BF 67 00", log[log.size() - 10]);
    EXPECT_EQ("raw BF 68 00", log[log.size() - 2]);
    EXPECT_TRUE(FakeSurfaceWaitFor(fake.get(), "display left 1 |" + std::string(24, ' ') + "|", 0));
    EXPECT_TRUE(FakeSurfaceWaitFor(fake.get(), "light B 4 dark", 0));
    FakeSurfaceHangUp(fake.get());
  }
  EXPECT_EQ(threads, SettledThreadCount());
}
