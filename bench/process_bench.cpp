// The processing pass on HD and UHD frames with three workloads: every
// section off, a typical grade (primaries, curves and one secondary) and a
// full correction with every section on at non-default values.
#include "bench/bench_pool.h"
#include "core/engine_lock.h"
#include "core/frame_buffer.h"
#include "core/process_image.h"
#include "core/process_pass_internal.h"
#include "core/processing_tables.h"
#include "core/settings_record.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

namespace {

struct Size {
  uint32_t w, h;
};
const Size kSizes[] = {{1920, 1080}, {3840, 2160}};

void curve(VL_CurveControls& c, float y0, float ym, float y1) {
  c.modeFlags = 0;
  c.spline.pointCount = 3;
  c.spline.x[0] = 0, c.spline.x[1] = 0.5f, c.spline.x[2] = 1;
  c.spline.y[0] = y0, c.spline.y[1] = ym, c.spline.y[2] = y1;
}

enum Workload : int64_t { kEverySectionOff = 0, kTypicalGrade = 1, kFullCorrection = 2 };

VL_SettingsStruct everySectionOff() {
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  s.limiter_enable = 0;
  return s;
}

// A secondary keyed on four samples of one hue, as a colourist picks them.
void secondary(VL_SecondaryControls& k, int n) {
  k.enable = 1;
  k.hue = 20.0f;
  k.saturation = 110.0f;
  k.hueoffset_tintangle = 60.0f * n;
  k.hueoffset_strength = 0.3f;
  k.gain = 1.05f;
  k.gamma = 1.1f;
  k.ped = 0.01f;
  for (int i = 0; i < 4; ++i) k.sample[i] = {1, 0.2f * i, 0.5f, 0.3f + 0.1f * n};
}

// Lift, gamma and gain on the RGB primaries, the RGB curves and one secondary.
VL_SettingsStruct typicalGrade() {
  VL_SettingsStruct s = everySectionOff();
  s.rgbEnable = 1;
  for (int r = 0; r < 4; ++r)
    s.rgb[r] = {1, 1.02f, 1.05f, 0.01f, {{1.01f, 0.95f, 0.0f}, {0.99f, 1.02f, 0.01f}, {1.0f, 1.1f, -0.01f}}};
  s.curvesEnable = s.rgbCurvesEnable = 1;
  for (int c = 0; c < 4; ++c) curve(s.rgbCurves[c], 0.01f, 0.52f, 0.98f);
  s.secondaryEnable = s.secondaryKeyerEnable = 1;
  secondary(s.secondary[0], 0);
  return s;
}

VL_SettingsStruct fullCorrection() {
  VL_SettingsStruct s = everySectionOff();
  s.hslEnable = s.hslControlsEnable = s.rgbEnable = s.cmyEnable = s.ycbcrEnable = 1;
  for (int r = 0; r < 4; ++r) {
    s.hsl[r] = {1, 10.0f + r, 110.0f, 20.0f, 5.0f, 12.0f, 0.45f, 1.03f, 1.1f, 0.01f};
    for (VL_PrimaryControls* p : {&s.rgb[r], &s.cmy[r], &s.ycbcr[r]})
      *p = {1, 1.02f, 1.05f, 0.01f, {{1.01f, 0.95f, 0.0f}, {0.99f, 1.02f, 0.01f}, {1.0f, 1.1f, -0.01f}}};
  }
  s.hueOffsetEnable = 1;
  for (VL_HueWheelControls& w : s.hueOffsets.wheel) w.tintangle = 120.0f, w.strength = 0.2f;
  s.levelsEnable = 1;
  for (int c = 0; c < 4; ++c) s.levels[c] = {0, 1, 0.02f, 0.45f, 0.97f, 0.01f, 0.5f, 0.98f};
  s.input.inputControls_highlight_recovery = 0.3f;
  s.curvesEnable = s.rgbCurvesEnable = s.hslCurvesEnable = 1;
  for (int c = 0; c < 4; ++c) curve(s.rgbCurves[c], 0.01f, 0.52f, 0.98f);
  for (int c = 0; c < 3; ++c) curve(s.hslCurves[c], 0.5f, 0.55f, 0.5f);
  s.lumaRangesEnable = 1;
  s.secondaryEnable = s.secondaryKeyerEnable = 1;
  for (int n = 0; n < 6; ++n) secondary(s.secondary[n], n);
  s.limiter_enable = 1;
  s.limiter.limiter_softclip_enable = 1;
  return s;
}

VL_SettingsStruct workload(int64_t w) {
  switch (w) {
    case kTypicalGrade:
      return typicalGrade();
    case kFullCorrection:
      return fullCorrection();
    default:
      return everySectionOff();
  }
}

// A picture-like frame: smooth colour gradients with a little grain, so
// neighbouring pixels look up neighbouring table entries as in real footage.
FBFrameStruct* pictureFrame(const Size& size) {
  FBFrameStruct* in = nullptr;
  FBCreateRGBFrameBuffer(size.w, size.h, &in, kFBPixFormatPlanarFloat);
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> grain(-0.01f, 0.01f);
  for (int p = 0; p < 3; ++p)
    for (uint32_t y = 0; y < size.h; ++y) {
      float* row = reinterpret_cast<float*>(in->baseAddr + size_t(p) * in->planeBytes + size_t(y) * in->rowBytes);
      for (uint32_t x = 0; x < in->rowBytes / 4; ++x) {
        float fx = float(x) / size.w, fy = float(y) / size.h;
        float v = p == 0 ? fx : (p == 1 ? fy : 0.5f * (fx + fy));
        row[x] = v * 1.05f + grain(rng);
      }
    }
  return in;
}

// Runs the pass with settings s over a picture-like frame of the size.
void runPass(benchmark::State& state, const Size& size, const VL_SettingsStruct& s) {
  FBFrameStruct* in = pictureFrame(size);
  FBFrameStruct* out = nullptr;
  FBCreateRGBFrameBuffer(size.w, size.h, &out, kFBPixFormatPlanarFloat);
  std::memset(out->baseAddr, 0, size_t(out->planeBytes) * 4);
  VL_EngineLockGuard hold;
  VL_UpdateProcessingTables(&s);
  for (auto _ : state) {
    ProcessImage(in, out, 0, 0);
    benchmark::ClobberMemory();
  }
  state.counters["MP/s"] =
      benchmark::Counter(double(size.w) * size.h * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
  FBDisposeFrameBuffer(in);
  FBDisposeFrameBuffer(out);
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

// The yardstick for the pass with every section off: a plain copy of a
// whole planar frame (every plane) on one thread.
void BM_FrameCopy(benchmark::State& state) {
  const Size& size = kSizes[state.range(0)];
  FBFrameStruct *in = nullptr, *out = nullptr;
  FBCreateRGBFrameBuffer(size.w, size.h, &in, kFBPixFormatPlanarFloat);
  FBCreateRGBFrameBuffer(size.w, size.h, &out, kFBPixFormatPlanarFloat);
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
