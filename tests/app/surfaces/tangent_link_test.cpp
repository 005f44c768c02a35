// The panel's device link over a fake device: opening and the glyph set-up,
// start-up screens, the click window, reports read on the reader thread, a
// device that fails to open or vanishes, and restarts.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <string>
#include <utility>
#include <vector>

#include "app/surfaces/tangent_link.h"
#include "app/surfaces/tangent_mapping.h"
#include "app/surfaces/tangent_start.h"
#include "app/state/service_hooks.h"
#include "app/state/view_state.h"
#include "platform/hid_fake.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"

namespace {

std::vector<std::pair<uint32_t, int32_t>> gCodes;

void RecordCode(TangentPanel*, uint32_t code, int32_t value) { gCodes.emplace_back(code, value); }

class TangentLinkTest : public ::testing::Test {
 protected:
  std::shared_ptr<PLFakeHidState> device = std::make_shared<PLFakeHidState>();

  void SetUp() override {
    TKUseFakeClock(true);
    ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
    PLInstallFakeHidDevice(device);
    TangentResetMappingState();
    std::memset(&gUISettings, 0, sizeof gUISettings);
    gCodes.clear();
  }
  void TearDown() override {
    TangentQuitLivePanel();
    TangentSetDispatchProc(nullptr);
    PLSetHidOpener(nullptr);
    TKShutdownToolkit();
    TKUseFakeClock(false);
  }

  // Text reports as "display line column: text" with custom characters shown
  // as their ASCII again.
  static std::vector<std::string> Texts(const std::vector<std::vector<uint8_t>>& reports) {
    std::vector<std::string> out;
    for (const auto& r : reports) {
      if (r.empty() || r[0] != 0x00 || r.size() < 5) continue;
      std::string text;
      for (size_t i = 5; i < r.size(); ++i) text += r[i] == 1 ? '_' : r[i] == 2 ? '|' : r[i] == 3 ? '+' : char(r[i]);
      out.push_back(std::to_string(r[1]) + " " + std::to_string(r[2]) + " " + std::to_string(r[3]) + ": " + text);
    }
    return out;
  }

  static std::vector<uint8_t> Buttons(std::initializer_list<int32_t> pressed) {
    std::vector<uint8_t> r(kTangentInputReportSize, 0);
    for (int32_t b : pressed) r[size_t(b / 8)] |= uint8_t(1u << (b % 8));
    return r;
  }

  // Runs the loop until the reader has delivered what was fed (real time:
  // the reader is another thread).
  static bool RunUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < end) {
      TKRunPending();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
  }
};

TEST_F(TangentLinkTest, OpeningSendsTheTwelveGlyphsAndStartUpWritesSplashAndFirstPage) {
  ASSERT_TRUE(TangentStartLivePanel(true));
  ASSERT_NE(gTangentPanel, nullptr);
  EXPECT_TRUE(gTangentPanel->open);
  EXPECT_TRUE(gTangentPanel->displaysActive);
  const auto reports = device->TakeOutput();
  ASSERT_GE(reports.size(), 12u + 15 + 3 + 15);
  for (int32_t i = 0; i < 12; ++i) {
    ASSERT_EQ(reports[size_t(i)].size(), 15u);
    EXPECT_EQ(reports[size_t(i)][0], 0x01);
    EXPECT_EQ(reports[size_t(i)][1], i + 1);
  }
  const std::vector<std::string> texts = Texts(reports);
  const std::string blank(32, ' ');
  for (int32_t i = 0; i < 15; ++i) EXPECT_EQ(texts[size_t(i)], std::to_string(i / 5) + " " + std::to_string(i % 5) + " 0: " + blank);
  EXPECT_EQ(texts[15], "0 0 0:             Quorvane            ");
  EXPECT_EQ(texts[16], "0 2 0:       Velmora 3.0.14(309)       ");
  EXPECT_EQ(texts[17], "2 0 0:      Tangent CP-300 - Wave      ");
  // The HSL master layout, then its values.
  EXPECT_EQ(texts[18], "0 0 0:   Mst Hue |  Mst Sat | Mst Ctrst");
  EXPECT_EQ(texts[19], "0 1 0:           |          |          ");
  EXPECT_EQ(texts[20], "0 2 0: __________+__________+__________");
  EXPECT_EQ(texts[21], "0 3 0:   Select  |  Select  |  Select  ");
  EXPECT_EQ(texts[22], "0 4 0:    HSL    |   RGB    |   CMY    ");
  EXPECT_EQ(texts[30], "2 2 0: __________+__________+__________");
  EXPECT_EQ(texts[31], "2 3 0:   Select  |   Undo   |  Toggle  ");
  EXPECT_EQ(texts[32], "2 4 0:  Limiting |   Redo   |  Preview ");
  // Knob values end just before each column separator.
  EXPECT_EQ(texts[33], "0 1 1:    0.0000");
  EXPECT_EQ(texts[34], "0 1 12:    0.0000");
  EXPECT_EQ(texts[35], "0 1 23:    0.0000");
  EXPECT_EQ(TangentCurrentMode(), 1);
  EXPECT_EQ(TangentCurrentPage(), 1);
}

TEST_F(TangentLinkTest, ClicksActAfterTheWindowAndDoubleClicksAreBanked) {
  ASSERT_TRUE(TangentStartLivePanel(false));
  TangentSetDispatchProc(RecordCode);
  TangentPanel* panel = gTangentPanel;
  auto releases = [&](int32_t button, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      TangentButtonCallback(panel, button, 1);
      TangentButtonCallback(panel, button, 0);
    }
  };
  auto ticks = [&](int32_t n) {
    for (int32_t i = 0; i < n; ++i) TangentClickWindowTick(panel);
  };
  struct Case {
    int32_t button;
    int32_t releases;
    uint32_t code;
  };
  const Case cases[] = {{3, 1, 0x03}, {3, 2, 0x203}, {3, 3, 0x203}, {36, 1, 0x4003}, {29, 2, 0x21D}};
  for (const Case& c : cases) {
    gCodes.clear();
    releases(c.button, c.releases);
    ticks(14);
    EXPECT_TRUE(gCodes.empty()) << "button " << c.button << ": nothing before the 15th tick";
    ticks(1);
    EXPECT_EQ(gCodes, (std::vector<std::pair<uint32_t, int32_t>>{{c.code, 0}})) << "button " << c.button;
    ticks(20);
    EXPECT_EQ(gCodes.size(), 1u);
  }
  // Another button released while one is pending: the pending click acts at
  // once and the new one starts its own window.
  gCodes.clear();
  releases(4, 1);
  ticks(5);
  releases(5, 2);
  EXPECT_EQ(gCodes, (std::vector<std::pair<uint32_t, int32_t>>{{0x04, 0}}));
  ticks(15);
  EXPECT_EQ(gCodes, (std::vector<std::pair<uint32_t, int32_t>>{{0x04, 0}, {0x205, 0}}));
  // Presses alone do nothing; encoders act at once with their signed count.
  gCodes.clear();
  TangentButtonCallback(panel, 7, 1);
  ticks(30);
  EXPECT_TRUE(gCodes.empty());
  TangentEncoderCallback(panel, 12, -3);
  TangentEncoderCallback(panel, 19, 1);  // no such encoder
  EXPECT_EQ(gCodes, (std::vector<std::pair<uint32_t, int32_t>>{{0x400B, -3}}));
}

TEST_F(TangentLinkTest, ReportsReadOnTheReaderThreadReachTheMainLoop) {
  ASSERT_TRUE(TangentStartLivePanel(false));
  TangentSetDispatchProc(RecordCode);
  std::vector<uint8_t> turn(kTangentInputReportSize, 0);
  turn[6 + 1] = 0x02;   // knob 1: +2
  turn[6 + 13] = 0xFF;  // trackball 1 x: -1
  device->Feed(turn);
  ASSERT_TRUE(RunUntil([] { return gCodes.size() >= 2; }));
  device->Feed(Buttons({10}));
  device->Feed(Buttons({}));
  ASSERT_TRUE(RunUntil([this] {
    std::lock_guard<std::mutex> hold(device->lock);
    return device->input.empty();
  }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  TKRunPending();
  EXPECT_EQ(gCodes, (std::vector<std::pair<uint32_t, int32_t>>{{0x101, 2}, {0x4028, -1}}));
  // The 0.02 s timer runs the click window: button 10 acts 15 ticks later.
  TKAdvanceClock(0.5 + 0.02 * 16);
  EXPECT_EQ(gCodes.back(), (std::pair<uint32_t, int32_t>{0x0A, 0}));
}

TEST_F(TangentLinkTest, HostileReportsAndAVanishingDeviceLeaveTheApplicationRunning) {
  ASSERT_TRUE(TangentStartLivePanel(false));
  TangentSetDispatchProc(RecordCode);
  device->Feed({});
  device->Feed({0xFF});
  device->Feed(std::vector<uint8_t>(4096, 0xA5));
  // 0xFF: eight presses (no code until release); the long report: encoders
  // 0-18 each -91 (and button releases whose clicks act in turn).
  auto encoderTurns = [] {
    size_t n = 0;
    for (const auto& c : gCodes) n += c.second == -91;
    return n;
  };
  EXPECT_TRUE(RunUntil([&] { return encoderTurns() == 19; }));
  device->Vanish();
  RunUntil([&] { return device->OpenTransports() == 0; });
  EXPECT_EQ(device->OpenTransports(), 0) << "the vanished device is closed";
  // The application goes on; writes to the missing device are dropped.
  TangentWriteDisplayLine(0, 0, "still here", kTangentJustifyCentre);
  TKRunFor(0.2);
  ASSERT_NE(gTangentPanel, nullptr);
}

TEST_F(TangentLinkTest, AMissingDeviceLeavesNoPanelAndRestartsLeakNothing) {
  device->present = false;
  EXPECT_FALSE(TangentStartLivePanel(true));
  EXPECT_EQ(gTangentPanel, nullptr);
  device->present = true;
  for (int32_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(TangentStartLivePanel(i == 0));
    EXPECT_EQ(device->OpenTransports(), 1);
  }
  EXPECT_EQ(device->openCount, 3);
  device->TakeOutput();
  // Stopping blanks the 15 lines and closes the device.
  TangentStopLivePanel();
  EXPECT_EQ(gTangentPanel, nullptr);
  EXPECT_EQ(device->OpenTransports(), 0);
  const auto texts = Texts(device->TakeOutput());
  ASSERT_EQ(texts.size(), 15u);
  EXPECT_EQ(texts[14], "2 4 0: " + std::string(32, ' '));
  // Shutdown of a panel whose displays were stopped closes without writing.
  ASSERT_TRUE(TangentStartLivePanel(false));
  TangentStopDisplays(gTangentPanel);
  device->TakeOutput();
  TangentShutdownPanel(gTangentPanel);
  EXPECT_TRUE(device->TakeOutput().empty());
  EXPECT_EQ(device->OpenTransports(), 0);
  EXPECT_FALSE(gTangentPanel->open);
}

int32_t gOtherMode = 0;
int32_t gOtherStops = 0;

TEST_F(TangentLinkTest, SurfaceKindTwoStartsThePanelOnTheApplicationHooks) {
  UIServiceHooks saved = UIHooks();
  UIHooks().surfaceStart = [](int32_t mode) { gOtherMode = mode; };
  UIHooks().surfaceStop = [] { ++gOtherStops; };
  TangentInstall();
  gOtherMode = 0;
  gOtherStops = 0;
  UIHooks().surfaceStart(3);
  EXPECT_EQ(gOtherMode, 3) << "other kinds go to the hooks before";
  EXPECT_EQ(gTangentPanel, nullptr);
  UIHooks().surfaceStart(2);
  ASSERT_NE(gTangentPanel, nullptr);
  auto splash = [&] {
    for (const std::string& t : Texts(device->TakeOutput()))
      if (t.find("Quorvane") != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(splash());
  // A second start while it runs changes nothing; after a failed start the
  // next one comes without the splash.
  TangentPanel* live = gTangentPanel;
  UIHooks().surfaceStart(2);
  EXPECT_EQ(gTangentPanel, live);
  UIHooks().surfaceStop();
  EXPECT_EQ(gTangentPanel, nullptr);
  EXPECT_EQ(gOtherStops, 1);
  EXPECT_EQ(device->OpenTransports(), 0);
  device->present = false;
  UIHooks().surfaceStart(2);
  EXPECT_EQ(gTangentPanel, nullptr);
  device->present = true;
  device->TakeOutput();
  UIHooks().surfaceStart(2);
  ASSERT_NE(gTangentPanel, nullptr);
  EXPECT_FALSE(splash());
  UIHooks().surfaceStop();
  UIHooks() = saved;
}

}  // namespace
