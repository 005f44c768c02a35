// A DPX clip to a movie, side by side in one run: our output job (read,
// correct, scale, encode) against the ffmpeg program doing the same decode,
// scale and encode with the same codec, both on 8 threads. items_per_second
// is frames a second; the ffmpeg run is skipped where it is not installed.
// "load" is the machine's one-minute load average at the end of each run:
// other work on the machine takes processors from both sides.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/bench_corrections.h"
#include "bench/bench_pool.h"
#include "bench/ffmpeg_yardstick.h"
#include "bench/bench_folder.h"
#include "core/engine_lock.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "media/dpx_header.h"
#include "media/media_file.h"
#include "media/output_job.h"
#include "bench/bench_status.h"

namespace {

constexpr uint32_t kW = 2048, kH = 1080, kOutW = 1920, kOutH = 1080;
constexpr int kFrames = 24;
constexpr int kThreads = 8;

const std::string& Folder() {
  static const std::string folder = [] {
    const std::filesystem::path dir = BenchScratchFolder("output-bench");
    std::filesystem::create_directories(dir / "clip");
    std::filesystem::create_directories(dir / "out");
    FBFrameStruct* f = nullptr;
    BenchRequire(FBCreateRGBFrameBuffer(kW, kH, &f, kFBPixFormatFloatRGBA), "FBCreateRGBFrameBuffer");
    for (int n = 0; n < kFrames; ++n) {
      for (uint32_t y = 0; y < kH; ++y)
        for (uint32_t x = 0; x < kW; ++x) {
          float v[4] = {float(x) / kW, float(y) / kH, float((x + y + uint32_t(n) * 8) % 256) / 255.0f, 1.0f};
          std::memcpy(f->baseAddr + size_t(y) * f->rowBytes + size_t(x) * 16, v, 16);
        }
      DPXHeaderInfo info{};
      info.width = kW;
      info.height = kH;
      info.elementCount = 1;
      info.frameRate = 24;
      info.timecode = 0x01000000u;
      DPXWriteParams params{10, 50, 0, 1.0f, false, 1023, 0};
      char name[32];
      std::snprintf(name, sizeof name, "f_%04d.dpx", n);
      BenchRequire(DPXCreateFile((dir / "clip").c_str(), name, &info, f, &params), "DPXCreateFile");
    }
    FBDisposeFrameBuffer(f);
    return dir.string();
  }();
  return folder;
}

void ReportLoad(benchmark::State& state) {
  double load = 0;
  if (getloadavg(&load, 1) == 1) state.counters["load"] = load;
}

bool Correct(FBFrameStruct* frame, int64_t, QVMediaFileRef*, void*) { return ProcessImage(frame, frame, 0, 0) == kQVNoErr; }

struct CodecRow {
  uint32_t codec;
  const char* ffmpegArgs;
};
const CodecRow kCodecs[] = {
    {kQVCodecProRes422, "-c:v prores_ks -profile:v standard -pix_fmt yuv422p10le"},
    {kQVCodecH264, "-c:v libx264 -preset veryfast -crf 10 -pix_fmt yuv420p"},
    {kQVCodecJPEG, "-c:v mjpeg -q:v 2 -pix_fmt yuvj422p"},
};

// Our job's frames and processing tables, made once.
struct OurJob {
  QVFileRef source{}, out{};
};

const OurJob& PrepareOurJob() {
  static const OurJob* job = [] {
    BenchUsePool(kThreads);
    QVMediaInitialize();
    const VL_SettingsStruct s = bench::fullCorrection();
    {
      VL_EngineLockGuard hold;
      BenchRequire(VL_UpdateProcessingTables(&s), "VL_UpdateProcessingTables");
    }
    auto* j = new OurJob;
    BenchRequire(PLFileRefFromPath((Folder() + "/clip/f_0000.dpx").c_str(), &j->source), "PLFileRefFromPath");
    BenchRequire(PLFileRefFromPath((Folder() + "/out").c_str(), &j->out), "PLFileRefFromPath");
    return j;
  }();
  return *job;
}

// Our job over the clip with the correction applied; false when it failed.
bool RunOurJob(const CodecRow& c) {
  const OurJob& job = PrepareOurJob();
  QVFileRef source = job.source, out = job.out;
  QVOutputJobParams p{};
  p.size = kQVOutputJobParamsSize;
  p.source.ref = &source;
  p.outputFolder.ref = &out;
  p.outputFormat = kQVOutputMovie;
  std::snprintf(p.outputName, sizeof p.outputName, "ours.mov");
  p.outputWidth = kOutW;
  p.outputHeight = kOutH;
  p.writeSettings.codec = c.codec;
  p.writeSettings.spatialQuality = 1000;
  p.frameProcessor = Correct;
  return QVMediaStartOutputJob(&p) == 0;
}

// The same picture: 2048 x 1080 fitted into 1920 x 1080 (1920 x 1013) with black above and below.
std::string FfmpegCommand(const CodecRow& c) {
  return "ffmpeg -v error -y -threads " + std::to_string(kThreads) + " -framerate 24 -i '" + Folder() +
         "/clip/f_%04d.dpx' -vf 'scale=1920:1013:flags=lanczos,pad=1920:1080:0:33' " + c.ffmpegArgs + " -threads " +
         std::to_string(kThreads) + " '" + Folder() + "/out/theirs.mov'";
}

void BM_OutputJobDPXToMovie(benchmark::State& state) {
  const CodecRow& c = kCodecs[state.range(0)];
  PrepareOurJob();
  for (auto _ : state) {
    if (!RunOurJob(c)) state.SkipWithError("the job failed");
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
  ReportLoad(state);
}

void BM_FfmpegDPXToMovie(benchmark::State& state) {
  if (!bench::FfmpegPresent()) {
    state.SkipWithError("ffmpeg is not installed");
    return;
  }
  const std::string command = FfmpegCommand(kCodecs[state.range(0)]);
  for (auto _ : state) {
    if (bench::TimeCommand(command.c_str()).wall < 0) state.SkipWithError("ffmpeg failed");
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
  ReportLoad(state);
}

// Ours and ffmpeg's in turn, run after run, so that both meet the same load
// on a shared machine: frames a second of each, and ours as a share of
// ffmpeg's ("share", 1 = as fast).
void BM_OutputJobAgainstFfmpeg(benchmark::State& state) {
  if (!bench::FfmpegPresent()) {
    state.SkipWithError("ffmpeg is not installed");
    return;
  }
  const CodecRow& c = kCodecs[state.range(0)];
  const std::string command = FfmpegCommand(c);
  PrepareOurJob();
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    bool ok = false;
    ours += bench::TimeHere([&] { ok = RunOurJob(c); }).wall;
    const double wall = bench::TimeCommand(command.c_str()).wall;
    if (!ok || wall < 0) {
      state.SkipWithError(ok ? "ffmpeg failed" : "the job failed");
      break;
    }
    theirs += wall;
  }
  const double frames = double(state.iterations()) * kFrames;
  if (ours > 0 && theirs > 0) {
    state.counters["ours_fps"] = frames / ours;
    state.counters["ffmpeg_fps"] = frames / theirs;
    state.counters["share"] = theirs / ours;
  }
  ReportLoad(state);
}

// Argument: 0 ProRes 422, 1 H.264, 2 MJPEG.
BENCHMARK(BM_OutputJobDPXToMovie)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FfmpegDPXToMovie)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_OutputJobAgainstFfmpeg)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

}  // namespace
