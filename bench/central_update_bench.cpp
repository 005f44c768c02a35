// The grading application's central update on an HD frame: a slider edit of
// the full correction goes through UpdatePreview (tables, processing, the
// result picture) as the controls send it, on 1 and 8 threads; and the same
// with the four-quadrant combo display drawn from the result in pane layout 2.
#include <benchmark/benchmark.h>

#include "app/views/analysis_panes.h"
#include "app/views/central_update.h"
#include "app/views/view_state.h"
#include "app/views/views_hooks.h"
#include "bench/bench_corrections.h"
#include "bench/bench_pool.h"
#include "platform/ui/ui_draw.h"
#include "settings/prefs.h"

namespace {

void RunSliderEdit(benchmark::State& state, bool combo) {
  const uint32_t threads = BenchUsePool(state.range(0));
  const uint32_t width = 1920, height = 1080;
  gSourceFrame = bench::pictureFrame(width, height);
  FBCreateRGBFrameBuffer(width, height, &gResultFrame, kFBPixFormatPlanarFloat);
  gResultGWorld = UIImageCreate(int32_t(width), int32_t(height));
  gImageViewMode = kImageViewResult;
  gUISettings = bench::fullCorrection();
  if (combo) {
    // A combo pane of the size layout 2 gives it beside the image.
    PFLoadDefaultPreferences(&gPrefsSettings);
    gScopePicture = UIImageCreate(960, 540);
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
    benchmark::DoNotOptimize(UIImagePixels(gResultGWorld));
  }
  state.counters["threads"] = threads;
  UIImageDispose(gResultGWorld);
  FBDisposeFrameBuffer(gSourceFrame);
  FBDisposeFrameBuffer(gResultFrame);
  gResultGWorld = nullptr;
  gSourceFrame = gResultFrame = nullptr;
  if (combo) {
    UIImageDispose(gScopePicture);
    gScopePicture = nullptr;
    ViewsResetHooks();
  }
}

void BM_UpdatePreviewSliderEdit(benchmark::State& state) { RunSliderEdit(state, false); }
void BM_UpdatePreviewSliderEditCombo(benchmark::State& state) { RunSliderEdit(state, true); }

BENCHMARK(BM_UpdatePreviewSliderEdit)->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UpdatePreviewSliderEditCombo)
    ->Arg(1)
    ->Arg(8)
    ->ArgName("threads")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
