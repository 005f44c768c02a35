// Host pixels to planar float and back, and a plain copy of the same frames
// as the memory-bandwidth yardstick.
#include "bench/bench_pool.h"
#include "core/frame_buffer.h"
#include "core/pixel_transfer.h"
#include "bench/bench_status.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

struct Size {
  uint32_t w, h;
};
const Size kSizes[] = {{1920, 1080}, {3840, 2160}};

struct Layout {
  FBPixFormat format;
  uint32_t bytes;
};
const Layout kLayouts[] = {{kFBPixFormat32ARGB, 4}, {kFBPixFormat16ARGB, 8}, {kFBPixFormatFloatARGB, 16}};

void setRate(benchmark::State& state, uint32_t threads, const Size& s) {
  state.counters["threads"] = threads;
  state.counters["MP/s"] = benchmark::Counter(double(s.w) * s.h * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

// Arguments: size index, layout index, thread count (0 = all).
void BM_TransferIn(benchmark::State& state) {
  const Size& s = kSizes[state.range(0)];
  const Layout& L = kLayouts[state.range(1)];
  uint32_t threads = BenchUsePool(state.range(2));
  FBFrameStruct* frame = nullptr;
  BenchRequire(FBCreateRGBFrameBuffer(s.w, s.h, &frame, kFBPixFormatPlanarFloat), "FBCreateRGBFrameBuffer");
  std::memset(frame->baseAddr, 0, size_t(frame->planeBytes) * 4);
  std::vector<uint8_t> host(size_t(s.w) * s.h * L.bytes, 0x3E);
  for (auto _ : state) {
    FBTransferPixToFBFrame(host.data(), s.w * L.bytes, 0, L.format, frame, gNumProcessors, &gVLMPMaster);
    benchmark::ClobberMemory();
  }
  setRate(state, threads, s);
  FBDisposeFrameBuffer(frame);
}

void BM_TransferOut(benchmark::State& state) {
  const Size& s = kSizes[state.range(0)];
  const Layout& L = kLayouts[state.range(1)];
  uint32_t threads = BenchUsePool(state.range(2));
  FBFrameStruct* frame = nullptr;
  BenchRequire(FBCreateRGBFrameBuffer(s.w, s.h, &frame, kFBPixFormatPlanarFloat), "FBCreateRGBFrameBuffer");
  std::memset(frame->baseAddr, 0x3E, size_t(frame->planeBytes) * 4);  // about 0.19 in every plane
  std::vector<uint8_t> host(size_t(s.w) * s.h * L.bytes);
  for (auto _ : state) {
    FBTransferFBFrameToPix(frame, host.data(), s.w * L.bytes, L.format, gNumProcessors, &gVLMPMaster);
    benchmark::ClobberMemory();
  }
  setRate(state, threads, s);
  FBDisposeFrameBuffer(frame);
}

// memcpy of the R, G, B and fourth planes of a planar frame into another: the
// bandwidth floor a pass with every section off is measured against.
void BM_PlanarFrameCopy(benchmark::State& state) {
  const Size& s = kSizes[state.range(0)];
  FBFrameStruct *a = nullptr, *b = nullptr;
  BenchRequire(FBCreateRGBFrameBuffer(s.w, s.h, &a, kFBPixFormatPlanarFloat), "FBCreateRGBFrameBuffer");
  BenchRequire(FBCreateRGBFrameBuffer(s.w, s.h, &b, kFBPixFormatPlanarFloat), "FBCreateRGBFrameBuffer");
  std::memset(a->baseAddr, 1, size_t(a->planeBytes) * 4);
  std::memset(b->baseAddr, 1, size_t(b->planeBytes) * 4);
  for (auto _ : state) {
    std::memcpy(b->baseAddr, a->baseAddr, size_t(a->planeBytes) * 4);
    benchmark::ClobberMemory();
  }
  setRate(state, 1, s);
  FBDisposeFrameBuffer(a);
  FBDisposeFrameBuffer(b);
}

void transferArgs(benchmark::internal::Benchmark* b) {
  for (int64_t size = 0; size < 2; ++size)
    for (int64_t layout = 0; layout < 3; ++layout)
      for (int64_t threads : {int64_t(1), int64_t(2), int64_t(0)}) b->Args({size, layout, threads});
  b->ArgNames({"size", "layout", "threads"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_TransferIn)->Apply(transferArgs);
BENCHMARK(BM_TransferOut)->Apply(transferArgs);
BENCHMARK(BM_PlanarFrameCopy)->Arg(0)->Arg(1)->ArgName("size")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
