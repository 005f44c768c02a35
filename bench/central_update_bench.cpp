// The grading application's central update on an HD frame: a slider edit of
// the full correction goes through UpdatePreview (tables, processing, the
// result picture) as the controls send it, on 1 and 8 threads; the same with
// the four-quadrant combo display drawn from the result in pane layout 2
// (a 960 x 540 display, as the window gives it beside the image, and one of
// 1920 x 1080); and, to see where the time goes, the table rebuild of the
// edit (and of a gamma edit, in the full correction and in a typical grade)
// alone, every table built from nothing, and the combo display alone.
#include <benchmark/benchmark.h>

#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/views/analysis_panes.h"
#include "app/views/central_update.h"
#include "app/views/pictures.h"
#include "bench/bench_corrections.h"
#include "bench/bench_pool.h"
#include "core/processing_tables.h"
#include "platform/ui/ui_draw.h"
#include "settings/prefs.h"
#include "bench/bench_status.h"

namespace {

void RunSliderEdit(benchmark::State& state, bool combo, int32_t comboWidth = 960, int32_t comboHeight = 540) {
  const uint32_t threads = BenchUsePool(state.range(0));
  const uint32_t width = 1920, height = 1080;
  gSourceFrame = bench::pictureFrame(width, height);
  BenchRequire(FBCreateRGBFrameBuffer(width, height, &gResultFrame, kFBPixFormatPlanarFloat), "FBCreateRGBFrameBuffer");
  gResultGWorld = TKImageCreate(int32_t(width), int32_t(height));
  gImageViewMode = kImageViewResult;
  gUISettings = bench::fullCorrection();
  if (combo) {
    // A combo pane of the size layout 2 gives it beside the image.
    PFLoadDefaultPreferences(&gPrefsSettings);
    gScopePicture = TKImageCreate(comboWidth, comboHeight);
    gPaneLayout = 2;
    gAnalysisPaneKind = kAnalysisCombo;
    InstallAnalysisPanes();
  }
  float gain = 1.0f;
  for (auto _ : state) {
    // The master RGB gain slider moves a step, as a drag sends it.
    gain = gain > 1.5f ? 1.0f : gain + 0.01f;
    gUISettings.rgb[0].gain = gain;
    UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
    benchmark::DoNotOptimize(TKImagePixels(gResultGWorld));
  }
  state.counters["threads"] = threads;
  TKImageDispose(gResultGWorld);
  FBDisposeFrameBuffer(gSourceFrame);
  FBDisposeFrameBuffer(gResultFrame);
  gResultGWorld = nullptr;
  gSourceFrame = gResultFrame = nullptr;
  if (combo) {
    TKImageDispose(gScopePicture);
    gScopePicture = nullptr;
    ViewsResetHooks();
  }
}

void BM_UpdatePreviewSliderEdit(benchmark::State& state) { RunSliderEdit(state, false); }
void BM_UpdatePreviewSliderEditCombo(benchmark::State& state) { RunSliderEdit(state, true); }
void BM_UpdatePreviewSliderEditComboHD(benchmark::State& state) { RunSliderEdit(state, true, 1920, 1080); }

// The processing tables of each step of one slider, nothing else.
void RunTableEdit(benchmark::State& state, float& (*slider)(VL_SettingsStruct&),
                  VL_SettingsStruct settings = bench::fullCorrection()) {
  BenchUsePool(state.range(0));
  float value = 1.0f;
  for (auto _ : state) {
    value = value > 1.5f ? 1.0f : value + 0.01f;
    slider(settings) = value;
    benchmark::DoNotOptimize(VL_UpdateProcessingTables(&settings));
  }
}

// The master RGB gain, whose edits change no table.
void BM_SliderEditTables(benchmark::State& state) {
  RunTableEdit(state, [](VL_SettingsStruct& s) -> float& { return s.rgb[0].gain; });
}

// The master RGB gamma, whose edits rebuild the three master RGB tables.
void BM_SliderEditTablesGamma(benchmark::State& state) {
  RunTableEdit(state, [](VL_SettingsStruct& s) -> float& { return s.rgb[0].gamma; });
}

// The same gamma in a typical grade, where the CMY gammas the RGB tables
// also take stay at 1.
void BM_SliderEditTablesGammaTypical(benchmark::State& state) {
  RunTableEdit(state, [](VL_SettingsStruct& s) -> float& { return s.rgb[0].gamma; }, bench::typicalGrade());
}

// Every table of the full correction built from nothing, as the first
// update after a correction is loaded builds them.
void BM_TableBuildFromNothing(benchmark::State& state) {
  BenchUsePool(state.range(0));
  const VL_SettingsStruct settings = bench::fullCorrection();
  for (auto _ : state) {
    VL_ForgetProcessingTableInputs();
    benchmark::DoNotOptimize(VL_UpdateProcessingTables(&settings));
  }
}

// The combo display of the result picture, nothing else.
void BM_ComboDisplay(benchmark::State& state) {
  const uint32_t threads = BenchUsePool(state.range(0));
  FBFrameStruct* frame = bench::pictureFrame(1920, 1080);
  gResultFrame = frame;
  gResultGWorld = TKImageCreate(1920, 1080);
  BenchRequire(ConvertFrameToPicture(frame, gResultGWorld), "ConvertFrameToPicture");
  gImageViewMode = kImageViewResult;
  PFLoadDefaultPreferences(&gPrefsSettings);
  gScopePicture = TKImageCreate(int32_t(state.range(1)), int32_t(state.range(1)) * 9 / 16);
  gAnalysisPaneKind = kAnalysisCombo;
  DrawAnalysisPanes(true);
  for (auto _ : state) {
    DrawAnalysisPanes(true);
    benchmark::DoNotOptimize(TKImagePixels(gScopePicture));
  }
  state.counters["threads"] = threads;
  TKImageDispose(gScopePicture);
  TKImageDispose(gResultGWorld);
  FBDisposeFrameBuffer(frame);
  gScopePicture = gResultGWorld = nullptr;
  gResultFrame = nullptr;
}

BENCHMARK(BM_UpdatePreviewSliderEdit)->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UpdatePreviewSliderEditCombo)
    ->Arg(1)
    ->Arg(8)
    ->ArgName("threads")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_UpdatePreviewSliderEditComboHD)
    ->Arg(1)
    ->Arg(8)
    ->ArgName("threads")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SliderEditTables)->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SliderEditTablesGamma)->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SliderEditTablesGammaTypical)
    ->Arg(1)
    ->Arg(8)
    ->ArgName("threads")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_TableBuildFromNothing)->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ComboDisplay)
    ->ArgsProduct({{1, 8}, {960, 1920}})
    ->ArgNames({"threads", "width"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
