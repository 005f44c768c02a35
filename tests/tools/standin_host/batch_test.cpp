// The frame pipeline: frames in flight bounded by threads, frames and the
// memory budget; progress for every frame; bad inputs skipped and reported.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "tests/scratch_folder.h"
#include "tools/standin_host/sh_batch.h"
#include "tools/standin_host/sh_png.h"

#ifdef VELMORA_PLUGIN_PATH

namespace {

TEST(StandinBatch, FramesInFlightStayWithinTheMemoryBudget) {
  std::vector<SHBatchFrame> frames(100);
  for (SHBatchFrame& f : frames) f.width = 3840, f.height = 2160;
  SHBatchSettings s;
  s.layout = kSHLayoutARGBFloat;
  const uint64_t frame = SHBatchFrameBytes(s.layout, 3840, 2160);
  const struct {
    int32_t threads;
    uint64_t budget;
    size_t frames;
    int32_t workers;
  } cases[] = {
      {64, 3 * frame, 100, 3},          // memory bounds 64 threads
      {64, frame / 2, 100, 1},          // one frame at least, however small the budget
      {4, 100 * frame, 100, 4},         // threads bound a large budget
      {64, 100 * frame, 2, 2},          // never more workers than frames
  };
  for (const auto& c : cases) {
    s.threads = c.threads;
    s.memory_budget = c.budget;
    std::vector<SHBatchFrame> some(frames.begin(), frames.begin() + long(c.frames));
    EXPECT_EQ(SHBatchWorkers(some, s), c.workers) << c.threads << " threads";
  }
}

struct Seen {
  std::vector<size_t> done;
  size_t total = 0;
};

void record(size_t done, size_t total, void* context) {
  auto* seen = static_cast<Seen*>(context);
  seen->done.push_back(done);
  seen->total = total;
}

TEST(StandinBatch, EveryFrameReportsProgressAndABadOneIsSkipped) {
  std::string dir = MakeScratchFolder("batch");
  setenv("VELMORA_PREFERENCES", dir.c_str(), 1);
  std::vector<SHBatchFrame> frames;
  for (int i = 0; i < 6; ++i) {
    SHBatchFrame f;
    f.input = dir + "/in" + std::to_string(i) + ".png";
    f.output = dir + "/out" + std::to_string(i) + ".png";
    f.width = 64, f.height = 36;
    if (i != 3) {  // the fourth input is missing
      SHImage image;
      SHMakeTestImage(64, 36, 8, i, &image);
      std::string error;
      ASSERT_TRUE(SHWritePNG(f.input, image, &error)) << error;
    }
    frames.push_back(f);
  }
  SHHost host;
  host.config = SHConfigForSignature(kHIHostAfterEffects);
  std::string error;
  ASSERT_TRUE(SHLoadPlugin(&host, VELMORA_PLUGIN_PATH, &error)) << error;
  ASSERT_EQ(SHStartEffect(&host), kHINoErr);
  SHBatchSettings settings;
  settings.threads = 3;
  Seen seen;
  std::atomic<bool> quit{false};
  SHBatchResult result = SHRenderBatch(&host, frames, settings, &quit, record, &seen);
  SHStopEffect(&host);
  SHUnloadPlugin(&host);
  EXPECT_EQ(result.written, 5u);
  ASSERT_EQ(result.frame_errors.size(), 1u);
  EXPECT_NE(result.frame_errors[0].find("in3.png"), std::string::npos);
  EXPECT_TRUE(result.fatal.empty()) << result.fatal;
  EXPECT_EQ(seen.done, (std::vector<size_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(seen.total, 6u);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(std::filesystem::exists(dir + "/out" + std::to_string(i) + ".png"), i != 3) << i;
}

}  // namespace

#endif
