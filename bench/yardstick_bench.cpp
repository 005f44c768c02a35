// The pass beside FFmpeg's lut3d filter (a 33 x 33 x 33 cube, tetrahedral,
// on 32-bit float planar frames of the same size, on the same number of
// threads), both timed in one run so that their ratio does not depend on how
// loaded the machine is between two runs. FFmpeg runs as a subprocess; its
// per-frame time is the difference between a long and a short run of one
// frame looped through the filter, which cancels its start-up and the
// drawing of the frame. Skipped when ffmpeg is not on the PATH.
#include "bench/bench_corrections.h"
#include "bench/bench_pool.h"
#include "bench/ffmpeg_yardstick.h"
#include "core/engine_lock.h"
#include "core/frame_buffer.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "bench/bench_status.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace bench;

struct Size {
  uint32_t w, h;
};
const Size kSizes[] = {{1920, 1080}, {3840, 2160}};

// One ffmpeg run putting `frames` copies of a test frame through lut3d on
// `threads` threads.
bench::Timing ffmpegRun(const Size& size, uint32_t threads, int frames) {
  char command[1024];
  std::snprintf(command, sizeof command,
                "ffmpeg -hide_banner -loglevel error -nostdin -filter_complex_threads %u -filter_complex "
                "\"testsrc2=s=%ux%u:r=25:d=0.04,format=gbrpf32le,loop=loop=%d:size=1,"
                "lut3d=file=%s:interp=tetrahedral\" -f null - > /dev/null 2>&1",
                threads, size.w, size.h, frames - 1, CubeFile().c_str());
  return bench::TimeCommand(command);
}

// Arguments: size index, workload, thread count.
void BM_BesideLut3d(benchmark::State& state) {
  if (!FfmpegPresent() || CubeFile().empty()) {
    state.SkipWithError("ffmpeg is not installed");
    return;
  }
  const Size& size = kSizes[state.range(0)];
  const uint32_t threads = BenchUsePool(state.range(2));
  const VL_SettingsStruct s = workload(state.range(1));
  // Frames per measurement: the short and the long ffmpeg run differ by this many.
  const int frames = state.range(0) == 0 ? 40 : 12;
  PassFrames pass(size.w, size.h);
  {
    VL_EngineLockGuard hold;
    BenchRequire(VL_UpdateProcessingTables(&s), "VL_UpdateProcessingTables");
  }
  Timing ours, theirs;
  int64_t rounds = 0;
  for (auto _ : state) {
    const Timing shortRun = ffmpegRun(size, threads, 2), longRun = ffmpegRun(size, threads, frames + 2);
    if (shortRun.wall < 0 || longRun.wall < 0) {
      state.SkipWithError("ffmpeg failed");
      break;
    }
    const Timing here = TimeHere([&] {
      for (int i = 0; i < frames; ++i) BenchRequire(ProcessImage(pass.in, pass.out, 0, 0), "ProcessImage");
      benchmark::ClobberMemory();
    });
    state.SetIterationTime(here.wall / frames);
    ours.wall += here.wall / frames;
    ours.cpu += here.cpu / frames;
    theirs.wall += (longRun.wall - shortRun.wall) / frames;
    theirs.cpu += (longRun.cpu - shortRun.cpu) / frames;
    ++rounds;
  }
  if (rounds) {
    state.counters["ours_ms"] = ours.wall / double(rounds) * 1e3;
    state.counters["lut3d_ms"] = theirs.wall / double(rounds) * 1e3;
    state.counters["ratio"] = ours.wall / theirs.wall;
    // Processor time per frame, summed over the threads.
    state.counters["ours_cpu_ms"] = ours.cpu / double(rounds) * 1e3;
    state.counters["lut3d_cpu_ms"] = theirs.cpu / double(rounds) * 1e3;
    state.counters["cpu_ratio"] = ours.cpu / theirs.cpu;
  }
  state.counters["threads"] = threads;
}

BENCHMARK(BM_BesideLut3d)
    ->Args({0, kFullCorrection, 1})
    ->Args({0, kFullCorrection, 8})
    ->Args({0, kTypicalGrade, 1})
    ->Args({0, kTypicalGrade, 8})
    ->Args({1, kTypicalGrade, 8})
    ->Args({1, kFullCorrection, 8})
    ->ArgNames({"size", "work", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

}  // namespace
