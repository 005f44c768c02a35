// Frames of a 1080p 10-bit DPX sequence through the media library: a cache
// miss (read, convert to planar float, store in the cache) per frame, beside
// oiiotool reading the same frame; and cached playback on 8 threads, each
// frame taken from the cache and processed with the full correction.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/bench_corrections.h"
#include "bench/bench_pool.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "media/dpx_header.h"
#include "media/frame_cache.h"
#include "bench/bench_folder.h"
#include "media/media_file.h"
#include "bench/bench_status.h"

namespace {

constexpr uint32_t kW = 1920, kH = 1080;
constexpr int kFrames = 24;

const std::string& Folder() {
  static const std::string folder = BenchScratchFolder("cache-bench");
  return folder;
}

// kFrames numbered 10-bit frames, written once.
std::string FirstFrame() {
  static const std::string first = [] {
    FBFrameStruct* f = nullptr;
    BenchRequire(FBCreateRGBFrameBuffer(kW, kH, &f, kFBPixFormatFloatRGBA), "FBCreateRGBFrameBuffer");
    for (uint32_t y = 0; y < kH; ++y)
      for (uint32_t x = 0; x < kW; ++x) {
        float v[4] = {float(x) / kW, float(y) / kH, float((x + y) % 256) / 255.0f, 1.0f};
        std::memcpy(f->baseAddr + size_t(y) * f->rowBytes + size_t(x) * 16, v, 16);
      }
    DPXHeaderInfo info{};
    info.width = kW;
    info.height = kH;
    info.elementCount = 1;
    info.frameRate = 24;
    DPXWriteParams params{10, 50, 0, 1.0f, false, 1023, 0};
    for (int i = 1; i <= kFrames; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "shot.%04d.dpx", i);
      BenchRequire(DPXCreateFile(Folder().c_str(), name, &info, f, &params), "DPXCreateFile");
    }
    FBDisposeFrameBuffer(f);
    return Folder() + "/shot.0001.dpx";
  }();
  return first;
}

QVMediaFileRef* OpenClip() {
  QVMediaInitialize();
  QVMediaFileRef* ref = nullptr;
  if (QVMediaOpenPath(FirstFrame().c_str(), &ref, 0) != QVMediaErr_NoErr) return nullptr;
  return ref;
}

void CacheMiss(benchmark::State& state) {
  BenchUsePool(state.range(0));
  QVMediaFileRef* ref = OpenClip();
  FBFrameStruct* frame = nullptr;
  if (!ref || FBCreateRGBFrameBuffer(kW, kH, &frame, kFBPixFormatPlanarFloat)) return state.SkipWithError("setup");
  int64_t n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QVFrameCacheFlush();
    QVMediaSetCurrentFrame(ref, n++ % kFrames);
    state.ResumeTiming();
    if (QVMediaFetchFrame(ref, frame) != QVMediaErr_NoErr) state.SkipWithError("fetch");
  }
  state.SetItemsProcessed(state.iterations());
  FBDisposeFrameBuffer(frame);
  QVMediaCloseFile(&ref);
}

// oiiotool reading one frame of the same sequence, program start included.
void OiiotoolRead(benchmark::State& state) {
  if (std::system("command -v oiiotool > /dev/null 2>&1") != 0) return state.SkipWithError("no oiiotool");
  const std::string command = "oiiotool --threads 1 '" + FirstFrame() + "' --printstats > /dev/null 2>&1";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) state.SkipWithError("oiiotool failed");
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.SetItemsProcessed(state.iterations());
}

// One played frame: the next frame from the cache into the source frame,
// processed with the full correction into the result frame.
void CachedPlayback(benchmark::State& state) {
  BenchUsePool(state.range(0));
  QVMediaFileRef* ref = OpenClip();
  FBFrameStruct* source = nullptr;
  FBFrameStruct* result = nullptr;
  if (!ref || FBCreateRGBFrameBuffer(kW, kH, &source, kFBPixFormatPlanarFloat) ||
      FBCreateRGBFrameBuffer(kW, kH, &result, kFBPixFormatPlanarFloat))
    return state.SkipWithError("setup");
  for (int i = 0; i < kFrames; ++i) {
    QVMediaSetCurrentFrame(ref, i);
    QVMediaFetchFrame(ref, source);
  }
  VL_SettingsStruct s = bench::fullCorrection();
  BenchRequire(VL_UpdateProcessingTables(&s), "VL_UpdateProcessingTables");
  int64_t n = 0, misses = 0;
  for (auto _ : state) {
    QVMediaSetCurrentFrame(ref, n++ % kFrames);
    misses += !QVFrameCacheContains(ref, source);
    QVMediaFetchFrame(ref, source);
    BenchRequire(ProcessImage(source, result, 0, 0), "ProcessImage");
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["misses"] = double(misses);
  FBDisposeFrameBuffer(source);
  FBDisposeFrameBuffer(result);
  QVMediaCloseFile(&ref);
}

}  // namespace

BENCHMARK(CacheMiss)->Arg(1)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OiiotoolRead)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(CachedPlayback)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
