// A slider drag in the grading application's main window as a colourist
// makes it: an HD frame with the full correction, the combo display beside
// the picture, every step of the drag through the window toolkit (the
// edit, the central update, the scopes and the window put on the screen).
// The rate of picture updates during the drag is the figure to watch.
#include <benchmark/benchmark.h>

#include <cstddef>

#include "app/controls/bound_controls.h"
#include "app/commands/controls_install.h"
#include "app/window/main_window.h"
#include "app/shell/least_hooks.h"
#include "app/state/interface_colors.h"
#include "app/window/shell_window.h"
#include "app/state/service_hooks.h"
#include "app/state/undo_ring.h"
#include "app/views/analysis_panes.h"
#include "app/views/central_update.h"
#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "bench/bench_corrections.h"
#include "bench/bench_pool.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"
#include "platform/ui/ui_internal.h"
#include "settings/prefs.h"
#include "bench/bench_status.h"

namespace {

void BM_SliderDragPictureUpdates(benchmark::State& state) {
  const uint32_t threads = BenchUsePool(state.range(0));
  TKUseFakeClock(true);
  if (TKInitToolkit(kTKBackendHeadless) != kQVNoErr) {
    state.SkipWithError("no toolkit");
    return;
  }
  TKSetHeadlessDisplays({TKMakeRect(0, 0, 1920, 1080)});
  UIResetHooks();
  ViewsResetHooks();
  VFInstallControls();
  InitInterfaceColors();
  PFLoadDefaultPreferences(&gPrefsSettings);
  gUndoBuffer = CreateUndoBuffer(20);
  VL_SetDefaultControlValues(&gUIDefaultSettings, kVLMaskAll);
  const uint32_t width = 1920, height = 1080;
  gSourceFrame = bench::pictureFrame(width, height);
  BenchRequire(FBCreateRGBFrameBuffer(width, height, &gResultFrame, kFBPixFormatPlanarFloat), "FBCreateRGBFrameBuffer");
  for (TKImage** p : {&gResultGWorld, &gSourceGWorld, &gSplitGWorld, &gSplitMaskGWorld, &gReferenceGWorld})
    *p = TKImageCreate(int32_t(width), int32_t(height));
  gUISettings = bench::fullCorrection();
  gAnalysisPaneKind = kAnalysisCombo;
  if (UIHooks().buildMainWindow() != kQVNoErr) {
    state.SkipWithError("no main window");
    return;
  }
  UIHooks().showMainWindow(true);
  UIHooks().syncControls(&gUISettings, kVLMaskAll, nullptr);
  TKSetHeadlessPresenting(true);
  TKRunPending();

  TKWindow* window = UIMainWindow();
  TKControl* gain = VFControlAtOffset(uint32_t(offsetof(VL_SettingsStruct, hsl[0].gain)));
  if (!window || !gain) {
    state.SkipWithError("no gain slider");
    return;
  }
  constexpr int kSteps = 10;
  const int64_t presentsBefore = TKHeadlessPresentCount();
  for (auto _ : state) {
    // A drag of ten steps a moment apart, out and back.
    const TKRect thumb = TKSliderThumbRect(gain);
    const TKPoint down{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    const double t0 = TKNow();
    TKInjectMouseDown(window, down, 0, t0);
    for (int step = 1; step <= kSteps; ++step)
      TKInjectMouseDrag(window, TKPoint{down.x + 4 * (step <= kSteps / 2 ? step : kSteps - step), down.y}, 0,
                        t0 + 0.001 * step);
    TKInjectMouseUp(window, down, 0, t0 + 0.001 * (kSteps + 1));
    TKRunFor(0.001 * (kSteps + 2));
  }
  state.counters["picture_updates_per_second"] =
      benchmark::Counter(double(TKHeadlessPresentCount() - presentsBefore), benchmark::Counter::kIsRate);
  state.counters["threads"] = threads;
  DisposeMainWindow();
  TKShutdownToolkit();
  UIResetHooks();
  ViewsResetHooks();
  TKUseFakeClock(false);
  for (TKImage** p : {&gResultGWorld, &gSourceGWorld, &gSplitGWorld, &gSplitMaskGWorld, &gReferenceGWorld}) {
    TKImageDispose(*p);
    *p = nullptr;
  }
  FBDisposeFrameBuffer(gSourceFrame);
  FBDisposeFrameBuffer(gResultFrame);
  gSourceFrame = gResultFrame = nullptr;
  DisposeUndoBuffer(gUndoBuffer);
  gUndoBuffer = nullptr;
}

BENCHMARK(BM_SliderDragPictureUpdates)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
