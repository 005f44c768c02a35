// The processing pass on HD and UHD frames with three workloads: every
// section off, a typical grade (primaries, curves and one secondary) and a
// full correction with every section on at non-default values.
#include "bench/bench_corrections.h"
#include "bench/bench_pool.h"
#include "core/engine_lock.h"
#include "core/frame_buffer.h"
#include "core/process_image.h"
#include "core/process_pass_internal.h"
#include "core/processing_tables.h"
#include "core/settings_record.h"
#include "bench/bench_status.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>

namespace {

using namespace bench;

struct Size {
  uint32_t w, h;
};
const Size kSizes[] = {{1920, 1080}, {3840, 2160}};

// Runs the pass with settings s over a picture-like frame of the size.
void runPass(benchmark::State& state, const Size& size, const VL_SettingsStruct& s) {
  PassFrames frames(size.w, size.h);
  VL_EngineLockGuard hold;
  BenchRequire(VL_UpdateProcessingTables(&s), "VL_UpdateProcessingTables");
  for (auto _ : state) {
    BenchRequire(ProcessImage(frames.in, frames.out, 0, 0), "ProcessImage");
    benchmark::ClobberMemory();
  }
  state.counters["MP/s"] =
      benchmark::Counter(double(size.w) * size.h * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

// Arguments: size index, workload, thread count (0 = all), kernel lanes (0 =
// the widest the processor runs, else 4, 8 or 16 where the processor has it).
void BM_ProcessImage(benchmark::State& state) {
  if (state.range(3) != 0 && !VL_PassLanesAvailable(uint32_t(state.range(3)))) {
    state.SkipWithError("this processor has no kernel of that width");
    return;
  }
  uint32_t threads = BenchUsePool(state.range(2));
  VL_SetPassLanes(uint32_t(state.range(3)));
  runPass(state, kSizes[state.range(0)], workload(state.range(1)));
  VL_SetPassLanes(0);
  state.counters["threads"] = threads;
}

void processArgs(benchmark::internal::Benchmark* b) {
  for (int64_t size = 0; size < 2; ++size)
    for (int64_t work : {kEverySectionOff, kTypicalGrade, kFullCorrection})
      for (int64_t threads : {1, 2, 4, 8}) b->Args({size, work, threads, 0});
  // Each kernel width on its own, on the full correction.
  for (int64_t lanes : {4, 8, 16})
    for (int64_t threads : {1, 8}) b->Args({0, kFullCorrection, threads, lanes});
  b->ArgNames({"size", "work", "threads", "lanes"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_ProcessImage)->Apply(processArgs);

// The stage profile: the full correction with one family of stages left on,
// on one thread at 1920x1080; the family's cost is its time less that of
// every section off.
struct StageFamily {
  const char* name;
  void (*keep)(VL_SettingsStruct& s);
};
const StageFamily kStageFamilies[] = {
    {"levels", [](VL_SettingsStruct& s) { s.levelsEnable = 1; }},
    {"hsl-ranges",
     [](VL_SettingsStruct& s) {
       s.hslEnable = s.hslControlsEnable = 1;
       s.hsl[kVLRangeMaster].enable = 0;
     }},
    {"hsl-master",
     [](VL_SettingsStruct& s) {
       s.hslEnable = s.hslControlsEnable = 1;
       s.hsl[kVLRangeShadows].enable = s.hsl[kVLRangeMidtones].enable = s.hsl[kVLRangeHighlights].enable = 0;
     }},
    {"hue-offsets", [](VL_SettingsStruct& s) { s.hslEnable = s.hueOffsetEnable = 1; }},
    {"rgb-cmy", [](VL_SettingsStruct& s) { s.rgbEnable = s.cmyEnable = 1; }},
    {"ycbcr", [](VL_SettingsStruct& s) { s.ycbcrEnable = 1; }},
    {"rgb-curves", [](VL_SettingsStruct& s) { s.curvesEnable = s.rgbCurvesEnable = 1; }},
    {"hsl-curves", [](VL_SettingsStruct& s) { s.curvesEnable = s.hslCurvesEnable = 1; }},
    {"secondaries", [](VL_SettingsStruct& s) { s.secondaryEnable = s.secondaryKeyerEnable = 1; }},
    {"limiter", [](VL_SettingsStruct& s) { s.limiter_enable = 1; }},
};

void BM_PassStage(benchmark::State& state) {
  const StageFamily& family = kStageFamilies[state.range(0)];
  state.SetLabel(family.name);
  BenchUsePool(1);
  VL_SettingsStruct s = fullCorrection();
  s.hslEnable = s.hslControlsEnable = s.rgbEnable = s.cmyEnable = s.ycbcrEnable = s.hueOffsetEnable = 0;
  s.levelsEnable = s.curvesEnable = s.rgbCurvesEnable = s.hslCurvesEnable = 0;
  s.secondaryEnable = s.secondaryKeyerEnable = s.limiter_enable = 0;
  family.keep(s);
  runPass(state, kSizes[0], s);
}

BENCHMARK(BM_PassStage)
    ->DenseRange(0, int(sizeof kStageFamilies / sizeof kStageFamilies[0]) - 1)
    ->ArgName("stage")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Runs the pass with settings s at 1920 x 1080 on one thread, frames with a
// switch of the kernel off and on alternating so that both see the same
// machine, and reports the processor time per frame of each (as offName and
// onName) and their ratio. The switch is left on.
void alternate(benchmark::State& state, const VL_SettingsStruct& s, void (*turn)(bool), const char* offName,
               const char* onName) {
  BenchUsePool(1);
  PassFrames frames(kSizes[0].w, kSizes[0].h);
  VL_EngineLockGuard hold;
  BenchRequire(VL_UpdateProcessingTables(&s), "VL_UpdateProcessingTables");
  double cpu[2] = {0, 0};
  for (auto _ : state) {
    for (int on = 0; on < 2; ++on) {
      turn(on != 0);
      timespec a{}, b{};
      clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
      BenchRequire(ProcessImage(frames.in, frames.out, 0, 0), "ProcessImage");
      clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
      cpu[on] += double(b.tv_sec - a.tv_sec) + double(b.tv_nsec - a.tv_nsec) * 1e-9;
    }
    benchmark::ClobberMemory();
  }
  turn(true);
  const double n = double(state.iterations());
  state.counters[offName] = cpu[0] / n * 1e3;
  state.counters[onName] = cpu[1] / n * 1e3;
  state.counters["ratio"] = cpu[1] / cpu[0];
}

// The per-tile rejection of secondary keys that select no pixel of the
// tile, on the secondaries alone and on the full correction.
void BM_SecondaryKeyRejection(benchmark::State& state) {
  VL_SettingsStruct s = fullCorrection();
  if (state.range(0) == 0) {
    s.hslEnable = s.hslControlsEnable = s.rgbEnable = s.cmyEnable = s.ycbcrEnable = s.hueOffsetEnable = 0;
    s.levelsEnable = s.curvesEnable = s.rgbCurvesEnable = s.hslCurvesEnable = s.limiter_enable = 0;
  }
  state.SetLabel(state.range(0) == 0 ? "secondaries" : "full correction");
  alternate(state, s, VL_SetPassTileRejection, "all_keys_ms", "rejecting_ms");
}

BENCHMARK(BM_SecondaryKeyRejection)->DenseRange(0, 1)->ArgName("work")->Unit(benchmark::kMillisecond)->UseRealTime();

// The single lookup of the composed master-through-curve tables against the
// RGB master stage and the RGB curves run apart, on the two alone and on the
// typical grade.
void BM_ComposedMasterCurves(benchmark::State& state) {
  VL_SettingsStruct s = typicalGrade();
  if (state.range(0) == 0) {
    for (int r = 0; r < 4; ++r) s.rgb[r].enable = r == kVLRangeMaster;
    s.secondaryEnable = s.secondaryKeyerEnable = 0;
  }
  state.SetLabel(state.range(0) == 0 ? "master and curves" : "typical grade");
  alternate(state, s, VL_SetPassComposedTables, "apart_ms", "composed_ms");
}

BENCHMARK(BM_ComposedMasterCurves)->DenseRange(0, 1)->ArgName("work")->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick for the pass with every section off: a plain copy of a
// whole planar frame (every plane) on one thread.
void BM_FrameCopy(benchmark::State& state) {
  const Size& size = kSizes[state.range(0)];
  FBFrameStruct *in = nullptr, *out = nullptr;
  BenchRequire(FBCreateRGBFrameBuffer(size.w, size.h, &in, kFBPixFormatPlanarFloat), "FBCreateRGBFrameBuffer");
  BenchRequire(FBCreateRGBFrameBuffer(size.w, size.h, &out, kFBPixFormatPlanarFloat), "FBCreateRGBFrameBuffer");
  size_t bytes = size_t(in->planeBytes) * 4;
  std::memset(in->baseAddr, 1, bytes);
  std::memset(out->baseAddr, 0, bytes);
  for (auto _ : state) {
    std::memcpy(out->baseAddr, in->baseAddr, bytes);
    benchmark::ClobberMemory();
  }
  state.counters["MP/s"] =
      benchmark::Counter(double(size.w) * size.h * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
  FBDisposeFrameBuffer(in);
  FBDisposeFrameBuffer(out);
}

BENCHMARK(BM_FrameCopy)->ArgName("size")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
