// Rendering from the application, scripted as a person would use it in the
// real velmora-ui program: a clip loaded as the source, the correction
// changed, Export > Image Sequence..., the format dialog, the folder panel;
// the job is listed, runs in the background and writes the corrected clip.
// Cancel in the "Output Jobs" window stops a job.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "media/dpx_header.h"
#include "platform/shared_memory.h"
#include "platform/standin_host/sh_host.h"
#include "tests/app/shell/exchange_fixture.h"
#include "tests/media/media_test_files.h"
#include "tests/plugin/plugin_test_host.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kW = 48, kH = 27;

float ClipValue(uint32_t x, uint32_t y, int c, uint32_t n) {
  return float((x * 13 + y * 5 + uint32_t(c) * 300 + n * 60) % 1024) / 1023.0f;
}

std::string MakeClip(const std::string& folder, uint32_t frames) {
  fs::create_directories(folder);
  return WriteTestClip(folder, kW, kH, frames, ClipValue);
}

// 16-bit A, R, G, B of a DPX frame, full scale 32768.
std::vector<uint16_t> ReadFrame(const std::string& path) {
  std::vector<uint16_t> px(size_t(kW) * kH * 4);
  EXPECT_EQ(DPXReadImage(path.c_str(), px.data(), kW * 8, kW, kH, 16, false), kQVNoErr) << path;
  return px;
}

struct OutputCommandTest : testing::Test {
  ExchangeEnvironment env;
  PluginTestHost host;
  SHFrame frame;
  std::string renders;

  void SetUp() override {
    SHMakeFrame(kSHLayoutARGB8, 64, 48, 0, &frame);
    host.host.clip_frame = [this](int32_t) -> const SHFrame* { return &frame; };
    renders = env.folder + "/renders";
    fs::create_directories(renders);
  }
  void TearDown() override {
    // The host may have removed the block already.
    QVIgnoreStatus(PLShmRemoveKey(env.key));
  }

  size_t Outputs(const std::string& folder) {
    if (!fs::exists(folder)) return 0;
    return size_t(std::count_if(fs::directory_iterator(folder), fs::directory_iterator(), [](const auto& e) {
      return e.path().extension() == ".dpx";
    }));
  }
};

TEST_F(OutputCommandTest, AnImageSequenceOfTheClipIsWrittenWithTheCorrectionTheWindowShows) {
  const std::string clip = MakeClip(env.folder + "/clip", 6);
  // The host hands over a correction with its RGB section on; the script
  // halves the gain there.
  VL_SettingsStruct correction = DefaultSettings();
  correction.rgbEnable = correction.rgb[0].enable = 1;
  host.setSettings(correction);
  env.script("wait-exchange\nload-source " + clip + "\nset rgb_master_gain 0.5\n" +
             "result-pixel 5 5\nresult-pixel 30 20\nanswer-panel " + renders +
             "\nmenu FEis\nkey return\nwait-jobs\ncancel\nquit\n");
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  const std::string log = env.logText();
  ASSERT_NE(log.find("load-source " + clip + " done"), std::string::npos) << log;
  EXPECT_NE(log.find("menu FEis chosen"), std::string::npos) << log;
  EXPECT_NE(log.find("output job shot.dpx ended 0"), std::string::npos) << log;
  EXPECT_NE(log.find("jobs done"), std::string::npos) << log;
  ASSERT_EQ(Outputs(renders + "/shot"), 6u) << log;

  // Frame 0 of the output is the picture the window showed, to within the
  // window's 8 bits, and every frame is its source frame at half the gain.
  const std::vector<uint16_t> first = ReadFrame(renders + "/shot/shot_000.dpx");
  for (const auto& [x, y] : {std::pair<uint32_t, uint32_t>{5, 5}, {30, 20}}) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "result %u %u ", x, y);
    const uint32_t shown = uint32_t(std::stoul(env.logValue(prefix), nullptr, 16));
    for (int c = 0; c < 3; ++c) {
      const double written = first[(size_t(y) * kW + x) * 4 + 1 + size_t(c)] / 32768.0 * 255.0;
      const double seen = double((shown >> (16 - 8 * c)) & 0xFF);
      EXPECT_NEAR(written, seen, 1.5) << prefix << "channel " << c;
    }
  }
  for (uint32_t n = 0; n < 6; ++n) {
    const std::vector<uint16_t> px = ReadFrame(renders + "/shot/shot_00" + std::to_string(n) + ".dpx");
    double worst = 0;
    for (uint32_t y = 0; y < kH; ++y)
      for (uint32_t x = 0; x < kW; ++x)
        for (int c = 0; c < 3; ++c)
          worst = std::max(worst, std::abs(px[(size_t(y) * kW + x) * 4 + 1 + size_t(c)] / 32768.0 -
                                           0.5 * ClipValue(x, y, c, n)));
    EXPECT_LT(worst, 2.0 / 1023) << "frame " << n;
  }
}

TEST_F(OutputCommandTest, CancelJobInTheJobListStopsTheJobAfterItsCurrentFrame) {
  const std::string clip = MakeClip(env.folder + "/clip", 120);
  env.script("wait-exchange\nload-source " + clip + "\nanswer-panel " + renders +
             "\nmenu FEis\nkey return\ncancel-job\nwait-jobs\ncancel\nquit\n");
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  const std::string log = env.logText();
  EXPECT_NE(log.find("cancel-job "), std::string::npos) << log;
  EXPECT_NE(env.logValue("cancel-job ").find("shot.dpx | DPX Sequence"), std::string::npos) << log;
  EXPECT_NE(log.find("output job shot.dpx ended 1027"), std::string::npos) << log;
  EXPECT_LT(Outputs(renders + "/shot"), 120u) << "the job stopped early";
}

}  // namespace
