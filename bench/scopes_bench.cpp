// Each scope alone: a 1920 x 1080 picture drawn into a 1920 x 1080 scope
// picture with the default preferences, on 1 and 8 threads of the task pool.
// The graticule is drawn once and copied on later draws, so these are the
// figures of a redraw.
#include "app/views/histogram.h"
#include "app/views/tone_curve.h"
#include "app/views/vectorscope.h"
#include "app/views/waveform.h"
#include "bench/bench_pool.h"
#include "settings/prefs.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <ctime>

namespace {

// A picture with smooth colour gradients under a little noise, so every
// scope spreads its trace the way a real frame does.
TKImage* MakeSource(int32_t width, int32_t height) {
  TKImage* picture = TKImageCreate(width, height);
  uint8_t* base = TKImagePixels(picture);
  uint32_t seed = 12345;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      int32_t noise = int32_t(seed >> 28) - 8;
      auto clamp = [](int32_t v) { return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v); };
      uint32_t r = clamp(x * 255 / width + noise), g = clamp(y * 255 / height + noise);
      uint32_t b = clamp((x + y) * 255 / (width + height) - noise);
      uint32_t word = 0xFF000000u | r << 16 | g << 8 | b;
      std::memcpy(base + size_t(y) * TKImageRowBytes(picture) + size_t(x) * 4, &word, 4);
    }
  return picture;
}

using ScopeDraw = void (*)(TKImage* target, TKImage* source);

void RunScope(benchmark::State& state, ScopeDraw draw) {
  const uint32_t threads = BenchUsePool(state.range(0));
  PFLoadDefaultPreferences(&gPrefsSettings);
  TKImage* source = MakeSource(1920, 1080);
  TKImage* target = TKImageCreate(1920, 1080);
  draw(target, source);
  timespec a{}, b{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &a);
  for (auto _ : state) {
    draw(target, source);
    benchmark::ClobberMemory();
  }
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &b);
  // Processor time of every thread per draw: on a loaded machine the
  // steadier figure of how much work a draw is, waiting for processors left out.
  state.counters["cpu_all_ms"] =
      (double(b.tv_sec - a.tv_sec) + double(b.tv_nsec - a.tv_nsec) * 1e-9) * 1e3 / double(state.iterations());
  state.counters["threads"] = threads;
  TKImageDispose(target);
  TKImageDispose(source);
}

void Waveform(TKImage* t, TKImage* s, bool chroma, int mode) {
  DrawWaveformPane(t, nullptr, s, chroma, mode == 2, mode == 3, mode == 4, mode == 5, mode == 6);
}

}  // namespace

BENCHMARK_CAPTURE(RunScope, Vectorscope, [](TKImage* t, TKImage* s) { DrawVectorscopePane(t, nullptr, s, 1); })
    ->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunScope, LumaWFM, [](TKImage* t, TKImage* s) { Waveform(t, s, false, 1); })
    ->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunScope, YCWFM, [](TKImage* t, TKImage* s) { Waveform(t, s, true, 1); })
    ->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunScope, YCbCrWFM, [](TKImage* t, TKImage* s) { Waveform(t, s, false, 2); })
    ->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunScope, RGBWFM, [](TKImage* t, TKImage* s) { Waveform(t, s, false, 3); })
    ->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunScope, OverlayWFM, [](TKImage* t, TKImage* s) { Waveform(t, s, false, 4); })
    ->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunScope, YRGBWFM, [](TKImage* t, TKImage* s) { Waveform(t, s, false, 5); })
    ->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunScope, GBRWFM, [](TKImage* t, TKImage* s) { Waveform(t, s, false, 6); })
    ->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunScope, Histograms, [](TKImage* t, TKImage* s) { DrawHistogramPane(t, nullptr, s, true); })
    ->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunScope, ToneCurve, [](TKImage* t, TKImage* s) { DrawToneCurvePane(t, nullptr, s, true); })
    ->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
// The luma histogram behind the luma-range graph (its picture at the size
// the Luma Range tab gives it on a 1600 x 1000 screen), counted on every
// pixel of the picture (the scopes sample pictures this large).
BENCHMARK_CAPTURE(RunScope, LumaRangeHistogram, [](TKImage* t, TKImage* s) {
  const TKRect graph = TKMakeRect(0, 0, 514, 346);
  DrawLumaHistogram(t, &graph, s);
})->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
