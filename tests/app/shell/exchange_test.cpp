// The whole exchange between the effect (driven in this process by the
// stand-in host) and the real velmora-ui program over real shared memory.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <limits>
#include <map>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/alert_script.h"
#include "platform/message_route_internal.h"
#include "platform/prefs_store.h"
#include "platform/processes.h"
#include "platform/shared_memory.h"
#include "settings/prefs.h"
#include "platform/standin_host/sh_host.h"
#include "tests/app/shell/exchange_fixture.h"
#include "tests/failing_nothrow_new.h"
#include "tests/plugin/plugin_test_host.h"

namespace {

// A clip whose frames differ by time; alpha is opaque so the frames come
// back from the application byte for byte.
struct Clip {
  std::map<int32_t, SHFrame> frames;

  SHFrame& add(int32_t time, int32_t width, int32_t height, int32_t extraRowBytes) {
    SHFrame& f = frames[time];
    SHMakeFrame(kSHLayoutARGB8, width, height, extraRowBytes, &f);
    for (int32_t y = 0; y < height; ++y) {
      uint8_t* row = static_cast<uint8_t*>(f.world.data) + size_t(y) * size_t(f.world.row_bytes);
      for (int32_t x = 0; x < width; ++x) {
        uint8_t* p = row + size_t(x) * 4;
        p[0] = 255;
        p[1] = uint8_t(x * 3 + time);
        p[2] = uint8_t(y * 5 + time / 7);
        p[3] = uint8_t((x ^ y) + time / 3);
      }
    }
    return f;
  }
  static std::string summary(const SHFrame& f) {
    char text[64];
    std::snprintf(text, sizeof text, "%dx%d %016llx", f.world.width, f.world.height,
                  static_cast<unsigned long long>(Fingerprint(static_cast<const uint8_t*>(f.world.data),
                                                              size_t(f.world.row_bytes) * size_t(f.world.height))));
    return text;
  }
};

struct ExchangeTest : testing::Test {
  ExchangeEnvironment env;
  PluginTestHost host;
  Clip clip;

  void SetUp() override {
    host.host.clip_frame = [this](int32_t time) -> const SHFrame* {
      auto it = clip.frames.find(time);
      return it == clip.frames.end() ? nullptr : &it->second;
    };
  }
  void TearDown() override {
    // The host may have removed the block already.
    QVIgnoreStatus(PLShmRemoveKey(env.key));
  }

  std::vector<uint8_t> settingsBytes() { return SHHandleBytes(host.settingsHandle()); }
};

TEST_F(ExchangeTest, FramesArriveRowForRowInOnePieceAndInChunks) {
  struct Case {
    int32_t width, height, extraRowBytes;
  };
  // The second frame (3,212-byte rows, 1.9 MB) does not fit the segment.
  for (const Case& c : {Case{64, 48, 0}, Case{800, 600, 12}}) {
    SCOPED_TRACE(c.width);
    clip.frames.clear();
    const std::string expected = Clip::summary(clip.add(0, c.width, c.height, c.extraRowBytes));
    env.script("wait-exchange\nframe-sum\ncancel\nquit\n");
    std::remove(env.log.c_str());
    const std::vector<uint8_t> before = settingsBytes();
    EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
    EXPECT_EQ(env.logValue("frame "), expected) << env.logText();
    // Cancel hands nothing back.
    EXPECT_EQ(settingsBytes(), before);
    int32_t id;
    EXPECT_EQ(PLShmOpen(env.key, &id), kQVErrFileNotFound) << "the segment is removed after the exchange";
  }
}

TEST_F(ExchangeTest, OkReturnsTheEditedCorrectionIntoTheHostParameters) {
  clip.add(0, 64, 48, 0);
  const double sliderBefore = SHValueAt(&host.host, host.index(6), 0);
  env.script("wait-exchange\nset hsl_master_saturation 1.75\nset hsl_master_hue 12\nundo\nok\nquit\n");
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  const VL_SettingsStruct back = host.settings();
  EXPECT_FLOAT_EQ(back.hsl[0].saturation, 1.75f) << env.logText();
  EXPECT_FLOAT_EQ(back.hsl[0].hue, DefaultSettings().hsl[0].hue) << "the undone edit stays undone";
  EXPECT_NE(SHValueAt(&host.host, host.index(6), 0), sliderBefore) << "the slider follows the correction";
}

// What the window shows after OK is what the effect then renders, whichever
// host the effect runs in and whether that host is listed for the host-pixel
// adjustment, with a keyed secondary as well.
TEST_F(ExchangeTest, TheWindowsResultIsTheRenderedFrame) {
  struct Case {
    const char* host;
    const char* listed;  // "Adjust Host Pixels"; null keeps the default
    bool secondary;
  };
  const Case cases[] = {{"FXTC", nullptr, false}, {"FXTC", nullptr, true},     {"PPro", nullptr, true},
                        {"ame ", "FXTC PPro ame ", false}, {"PPro", "PPro", true}, {"FXTC", "", false}};
  const SHFrame& frame = clip.add(0, 64, 48, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.host) + (c.secondary ? " with a secondary" : "") + " listed " +
                 (c.listed ? c.listed : "by default"));
    if (c.listed) {
      ASSERT_EQ(PLPrefsSetString(kPFDomain, "Adjust Host Pixels", c.listed), kQVNoErr);
    } else {
      PLPrefsRemove(kPFDomain, "Adjust Host Pixels");
    }
    ASSERT_EQ(PLPrefsSynchronize(kPFDomain), kQVNoErr);
    PluginTestHost effect(QVFourCC({c.host[0], c.host[1], c.host[2], c.host[3], 0}));
    effect.host.clip_frame = host.host.clip_frame;
    VL_SettingsStruct s = DefaultSettings();
    s.hslEnable = s.rgbEnable = 1;
    s.hsl[0].enable = s.rgb[0].enable = 1;
    s.hsl[0].saturation = 1.4f;
    s.rgb[0].gamma = 1.2f;
    if (c.secondary) {
      // Keyed on the frame's greenish pixels, pushed towards magenta.
      s.secondaryEnable = 1;
      s.secondaryKeyerEnable = 1;
      VL_SecondaryControls& k = s.secondary[0];
      k.enable = 1;
      k.lumatol = 0.3f;
      k.chromatol = 0.3f;
      k.softness = 0.1f;
      k.sample[0] = {1, 0.3f, 0.6f, 0.3f};
      k.hue = 120;
      k.saturation = 150;
      k.gain = 1.3f;
    }
    effect.setSettings(s);
    env.script("wait-exchange\nresult-sum\nok\nquit\n");
    std::remove(env.log.c_str());
    ASSERT_EQ(SHClickFullInterface(&effect.host, 0), kHINoErr);
    SHFrame out;
    SHMakeFrame(kSHLayoutARGB8, 64, 48, 0, &out);
    ASSERT_EQ(SHRender(&effect.host, frame, &out, 0, true), kHINoErr);
    EXPECT_EQ(env.logValue("result "), Clip::summary(out)) << env.logText();
  }
  PLPrefsRemove(kPFDomain, "Adjust Host Pixels");
  EXPECT_EQ(PLPrefsSynchronize(kPFDomain), kQVNoErr);
}

// A record from the host with values no control can show is held to the
// fields' ranges before the window draws it; OK hands back the held record.
TEST_F(ExchangeTest, AHostileRecordIsHeldBeforeAnyControlReadsIt) {
  clip.add(0, 64, 48, 0);
  VL_SettingsStruct s = DefaultSettings();
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  s.lumaRangesEnable = 1;
  s.lumaRanges.lumarange_shadowx = nan;
  s.lumaRanges.lumarange_highlighty = 7.5f;
  s.hsl[0].gain = inf;
  s.curvesEnable = s.rgbCurvesEnable = 1;
  s.rgbCurves[1].spline.pointCount = 99;
  s.rgbCurves[2].spline.pointCount = 3;
  s.rgbCurves[2].spline.x[1] = nan;
  s.rgbCurves[2].spline.y[1] = -inf;
  host.setSettings(s);
  const std::string shot = env.folder + "/luma.png";
  env.script("wait-exchange\ntab Luma Range\nscreenshot " + shot + "\ntab Curves\nscreenshot " + shot +
             "\nprint lumarange_shadowx\nok\nquit\n");
  ASSERT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  EXPECT_FALSE(env.logValue("lumarange_shadowx=").empty()) << env.logText();
  EXPECT_EQ(env.logValue("lumarange_shadowx=").find("nan"), std::string::npos);
  const VL_SettingsStruct back = host.settings();
  const VL_SettingsStruct defaults = DefaultSettings();
  EXPECT_EQ(back.lumaRanges.lumarange_shadowx, defaults.lumaRanges.lumarange_shadowx) << env.logText();
  EXPECT_EQ(back.lumaRanges.lumarange_highlighty, 1.0f);
  EXPECT_EQ(back.hsl[0].gain, defaults.hsl[0].gain);
  EXPECT_EQ(back.rgbCurves[1].spline.pointCount, 2u);
  EXPECT_EQ(back.rgbCurves[2].spline.x[1], 0.0f);
  EXPECT_EQ(back.rgbCurves[2].spline.y[1], 0.0f);
}

TEST_F(ExchangeTest, FrameRequestsAndThePreviewToggleTravelAsEvents) {
  // Larger than the segment: by event the frame comes whole in one reply.
  clip.add(0, 800, 600, 0);
  const std::string later = Clip::summary(clip.add(100, 800, 600, 0));
  clip.add(200, 32, 24, 0);  // another size: the reply is an all-zero frame of the exchange's size
  env.script("wait-exchange\nrequest-frame 100\nrequest-frame 200\ntoggle-preview\ncancel\nquit\n");
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  EXPECT_EQ(env.logValue("request 100 "), later) << env.logText();
  const std::vector<uint8_t> zeroes(800 * 600 * 4, 0);
  char zero[64];
  std::snprintf(zero, sizeof zero, "800x600 %016llx",
                static_cast<unsigned long long>(Fingerprint(zeroes.data(), zeroes.size())));
  EXPECT_EQ(env.logValue("request 200 "), zero);
  EXPECT_EQ(env.logValue("toggle-preview "), "0");
  EXPECT_EQ(host.host.commands_run, std::vector<int32_t>{3089});
}

// A host process whose route cannot be opened (another socket holds its
// name) has the application ask through the block, and serves it there.
TEST_F(ExchangeTest, WithoutARouteFrameRequestsGoThroughTheBlock) {
  PLRouteClose();
  const int squatter = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address;
  const socklen_t size = PLRouteAddress(int32_t(getpid()), &address);
  ASSERT_EQ(bind(squatter, reinterpret_cast<sockaddr*>(&address), size), 0);
  clip.add(0, 64, 48, 0);
  const std::string later = Clip::summary(clip.add(100, 64, 48, 0));
  clip.add(200, 32, 24, 0);  // another size: an all-zero frame, which counts as none
  env.script("wait-exchange\nrequest-frame 100\nrequest-frame 200\nrequest-frame 300\ncancel\nquit\n");
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  close(squatter);
  EXPECT_FALSE(PLRouteIsOpen());
  EXPECT_EQ(env.logValue("request 100 "), later) << env.logText();
  EXPECT_EQ(env.logValue("request 200 "), "none");
  EXPECT_EQ(env.logValue("request 300 "), "none");
}

TEST_F(ExchangeTest, KillingTheApplicationEndsTheHostsWait) {
  clip.add(0, 64, 48, 0);
  const std::vector<uint8_t> before = settingsBytes();
  env.script("wait-exchange\nset hsl_master_hue 30\nprint hsl_master_hue\nwait 60\ncancel\nquit\n");
  std::thread killer([this] {
    ASSERT_TRUE(env.waitForLog("hsl_master_hue=", 30));
    PLProcessSerial app = PLFindProcess("velmora-ui", kCCKeyVariable);
    ASSERT_NE(app, 0u);
    kill(PLProcessIDOf(app), SIGKILL);
  });
  const auto start = std::chrono::steady_clock::now();
  PLAlertScriptBegin();
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHIErrUnfinished) << "an exchange that did not finish is a failure";
  killer.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(40));
  const std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].message, "The grading application ended before the exchange was finished; the correction is unchanged.");
  int32_t id;
  EXPECT_EQ(PLShmOpen(env.key, &id), kQVErrFileNotFound);
  // The block still held the correction as posted (the edit was never handed back).
  EXPECT_EQ(settingsBytes(), before);
}

TEST(ExchangeHost, KillingTheHostEndsTheApplication) {
  // The host is a process of its own (velmora-host), so that it can be killed.
  ExchangeEnvironment env;
  env.script("wait-exchange\nprint hsl_master_hue\nwait 60\ncancel\nquit\n");
  const std::string out = env.folder + "/out";
  PLProcessSerial host = 0;
  ASSERT_EQ(PLLaunchProgram(VELMORA_HOST_PATH, {VELMORA_HOST_PATH, "--full-interface", "--out", out}, &host), kQVNoErr);
  ASSERT_TRUE(env.waitForLog("hsl_master_hue=", 30)) << env.logText();
  const PLProcessSerial app = PLFindProcess("velmora-ui", kCCKeyVariable);
  ASSERT_NE(app, 0u);
  kill(PLProcessIDOf(host), SIGKILL);
  while (PLProcessIsAlive(host)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (PLProcessIsAlive(app) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(PLProcessIsAlive(app));
  if (PLProcessIsAlive(app)) kill(PLProcessIDOf(app), SIGKILL);
  int32_t id;
  EXPECT_EQ(PLShmOpen(env.key, &id), kQVErrFileNotFound) << "the application removes the dead host's segment";
  EXPECT_NE(env.logText().find("the host process ended during the exchange"), std::string::npos) << env.logText();
}

TEST_F(ExchangeTest, AHostThatIsInterruptedWithdrawsTheExchangeAndTheApplicationIsTold) {
  clip.add(0, 64, 48, 0);
  const std::vector<uint8_t> before = settingsBytes();
  std::atomic<bool> interrupt{false};
  host.host.interrupt = &interrupt;
  env.script("wait-exchange\nset hsl_master_hue 30\nprint hsl_master_hue\nwait 60\nok\nquit\n");
  std::thread user([&] {
    EXPECT_TRUE(env.waitForLog("hsl_master_hue=", 30));
    interrupt = true;
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHIErrInterrupted);
  user.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(40));
  EXPECT_EQ(settingsBytes(), before);
  int32_t id;
  EXPECT_EQ(PLShmOpen(env.key, &id), kQVErrFileNotFound);
  EXPECT_TRUE(env.waitForLog("the host withdrew the exchange", 10)) << env.logText();
  if (PLProcessSerial app = PLFindProcess("velmora-ui", kCCKeyVariable)) kill(PLProcessIDOf(app), SIGKILL);
}

TEST_F(ExchangeTest, AHeadlessApplicationEndsWhenItsScriptHasRunOut) {
  // Cancel without Quit: nothing more can happen without a display, so the
  // application does not stay behind for the next exchange, which a new one
  // takes with its own script.
  clip.add(0, 64, 48, 0);
  env.script("wait-exchange\ncancel\n");
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  PLProcessSerial app = 0;
  while ((app = PLFindProcess("velmora-ui", kCCKeyVariable)) != 0 && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(app, 0u) << env.logText();
  if (app) kill(PLProcessIDOf(app), SIGKILL);
  env.script("wait-exchange\nset hsl_master_hue 12\nok\n");
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  EXPECT_FLOAT_EQ(host.settings().hsl[0].hue, 12.0f);
}

TEST_F(ExchangeTest, AHeadlessAlertIsWrittenOutAndWaitsForTheScriptsAnswer) {
  clip.add(0, 64, 48, 0);
  struct Case {
    const char* script;
    const char* answered;  // the log line of the answer; null: the default without a window
    HIError result;
  };
  for (const Case& c : {Case{"wait-exchange\ncommand DBtt\nkey return\nok\n", "alert answered with its default button",
                             kHINoErr},
                        Case{"wait-exchange\ncommand DBtt\n", nullptr, kHIErrUnfinished}}) {
    SCOPED_TRACE(c.script);
    std::remove(env.log.c_str());
    env.script(c.script);
    EXPECT_EQ(SHClickFullInterface(&host.host, 0), c.result) << env.logText();
    const std::string log = env.logText();
    EXPECT_NE(log.find("alert: Elapsed time"), std::string::npos) << log;
    if (c.answered) {
      EXPECT_NE(log.find(c.answered), std::string::npos) << log;
    }
  }
}

TEST_F(ExchangeTest, AFullClickDuringAnExchangeDoesNothing) {
  clip.add(0, 64, 48, 0);
  int calls = 0;
  int nestedCalls = -1;
  bool inside = false;
  host.host.clip_frame = [&](int32_t time) -> const SHFrame* {
    ++calls;
    if (!inside) {
      inside = true;
      const int before = calls;
      EXPECT_EQ(SHClickFullInterface(&host.host, time), kHINoErr);
      nestedCalls = calls - before;
    }
    return &clip.frames.at(0);
  };
  env.script("wait-exchange\ncancel\nquit\n");
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  EXPECT_EQ(nestedCalls, 0) << "the nested click fetched no frame";
  // Only one exchange ran: one application start in the log.
  const std::string log = env.logText();
  EXPECT_EQ(log.find("progress: Loading image"), log.rfind("progress: Loading image")) << log;
}

// Answers the exchange in the application's place: waits for the posted
// block, lets `answer` edit it, and marks it done.
template <typename Answer>
void AnswerInPlaceOfTheApplication(const ExchangeEnvironment& env, Answer answer) {
  int32_t id = -1;
  for (int i = 0; i < 2000 && PLShmOpen(env.key, &id) != kQVNoErr; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  auto* block = static_cast<CCUIComm*>(PLShmAttach(id));
  ASSERT_NE(block, nullptr);
  while (__atomic_load_n(&block->state, __ATOMIC_ACQUIRE) != kCCStatePosted)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  answer(block);
  __atomic_store_n(&block->state, uint32_t(kCCStateDone), __ATOMIC_RELEASE);
  PLShmDetach(block);
}

// A process named like the application stands in for it while alive.
struct StandInApplication {
  PLProcessSerial process = 0;
  StandInApplication() {
    setenv("VELMORA_UI_PROGRAM", "/usr/bin/sleep", 1);
    EXPECT_EQ(PLLaunchProgram("/usr/bin/sleep", {"/usr/bin/sleep", "60"}, &process), kQVNoErr);
  }
  ~StandInApplication() {
    if (!process) return;
    kill(PLProcessIDOf(process), SIGKILL);
    while (PLProcessIsAlive(process)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
};

TEST_F(ExchangeTest, OnlyARecordComesBackIntoTheEffect) {
  // A process named like the application stands in for it, and this test
  // answers the block in its place.
  struct Case {
    const char* name;
    bool turned;   // the record comes back written in the other byte order
    bool spoiled;  // its first word is neither order's flag
    bool taken;
  };
  StandInApplication standIn;
  ASSERT_NE(standIn.process, 0u);
  clip.add(0, 16, 8, 0);
  for (const Case& c : {Case{"native", false, false, true}, Case{"turned", true, false, true},
                        Case{"no record", false, true, false}}) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> before = settingsBytes();
    std::thread application([&] {
      AnswerInPlaceOfTheApplication(env, [&](CCUIComm* block) {
        block->settings.hsl[0].hue = 77;
        if (c.turned) CCTurnWords(&block->settings, sizeof block->settings);
        if (c.spoiled) block->settings.byteOrderFlag = 0xDEADBEEF;
      });
    });
    EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
    application.join();
    if (c.taken) {
      EXPECT_FLOAT_EQ(host.settings().hsl[0].hue, 77);
      EXPECT_EQ(host.settings().byteOrderFlag, kVLSettingsByteOrderFlag);
      host.setSettings(DefaultSettings());
    } else {
      EXPECT_EQ(settingsBytes(), before) << "the old correction stays";
    }
  }
}

TEST_F(ExchangeTest, NoMemoryForTheReturnedCorrectionIsAMemoryFailure) {
  StandInApplication standIn;
  ASSERT_NE(standIn.process, 0u);
  clip.add(0, 16, 8, 0);
  const std::vector<uint8_t> before = settingsBytes();
  // Allocations of a correction's size fail from the moment the answer is
  // written until the click has returned.
  std::atomic<bool> failing{false};
  std::thread application([&] {
    AnswerInPlaceOfTheApplication(env, [&](CCUIComm* block) {
      block->settings.hsl[0].hue = 77;
      gFailNothrowFrom = sizeof(VL_SettingsStruct);
      gFailNothrowTo = sizeof(VL_SettingsStruct);
      failing = true;
    });
  });
  PLAlertScriptBegin();
  const HIError result = SHClickFullInterface(&host.host, 0);
  gFailNothrowFrom = gFailNothrowTo = 0;
  application.join();
  const std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  ASSERT_TRUE(failing);
  EXPECT_EQ(result, kHIErrOutOfMemory);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].message.rfind("Insufficient memory for", 0), 0u) << alerts[0].message;
  EXPECT_EQ(settingsBytes(), before) << "the old correction stays";
}

}  // namespace
