// velmora-host's frame pipeline on a clip of HD PNG frames at 1 to 64
// threads: clip time, frames per second and the process's peak resident
// memory during the run (reset before each run), which stays within the
// pipeline's memory budget however many threads there are. And loading a
// project of 200,000 keyframes.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench/ffmpeg_yardstick.h"
#include "platform/standin_host/sh_host.h"
#include "plugin/entry_point.h"
#include "tools/standin_host/sh_batch.h"
#include "tools/standin_host/sh_png.h"
#include "tools/standin_host/sh_project.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 24;
constexpr int kWidth = 1920, kHeight = 1080;

// A private folder for the clip and the preferences, removed at exit.
struct BenchFolder {
  std::string path;
  BenchFolder() {
    fs::path p = fs::temp_directory_path() / ("velmora-bench-" + std::to_string(getpid()));
    fs::create_directories(p / "prefs");
    setenv("VELMORA_PREFERENCES", (p / "prefs").c_str(), 1);
    path = p.string();
  }
  ~BenchFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

std::string benchFolder() {
  static const BenchFolder folder;
  return folder.path;
}

// `count` 16-bit frames of the test picture written into dir/in, each named
// by name(i) there and under dir/out as its output.
template <class Name>
std::vector<SHBatchFrame> writeClip(const std::string& dir, int count, Name name) {
  std::vector<SHBatchFrame> list;
  fs::create_directories(dir + "/in");
  fs::create_directories(dir + "/out");
  for (int i = 0; i < count; ++i) {
    SHBatchFrame f;
    f.input = dir + "/in/" + name(i);
    f.output = dir + "/out/" + name(i);
    f.width = kWidth;
    f.height = kHeight;
    SHImage image;
    SHMakeTestImage(kWidth, kHeight, 16, i, &image);
    std::string error;
    if (!SHWritePNG(f.input, image, &error)) std::fprintf(stderr, "%s\n", error.c_str());
    list.push_back(f);
  }
  return list;
}

// The clip, written once.
const std::vector<SHBatchFrame>& clip() {
  static const std::vector<SHBatchFrame> frames =
      writeClip(benchFolder(), kFrames, [](int i) { return "f" + std::to_string(i) + ".png"; });
  return frames;
}

// The process's peak resident memory since the last reset, in bytes.
void resetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }
double peakMemory() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) * 1024.0;
  }
  return 0;
}

struct Effect {
  SHHost host;
  Effect() {
    benchFolder();
    host.config = SHConfigForSignature(kHIHostAfterEffects);
    SHAttachEntryPoint(&host, EntryPointFunc);
    SHStartEffect(&host);
  }
  ~Effect() {
    SHStopEffect(&host);
    SHUnloadPlugin(&host);
  }
};

void BM_RenderClip(benchmark::State& state) {
  const std::vector<SHBatchFrame>& frames = clip();
  Effect effect;
  SHBatchSettings settings;
  settings.layout = kSHLayoutARGB16;
  settings.threads = int32_t(state.range(0));
  std::atomic<bool> quit{false};
  double peak = 0;
  int32_t workers = 0;
  for (auto _ : state) {
    resetPeakMemory();
    SHBatchResult r = SHRenderBatch(&effect.host, frames, settings, &quit, nullptr, nullptr);
    peak = std::max(peak, peakMemory());
    workers = r.workers;
    if (r.written != frames.size()) state.SkipWithError("a frame failed");
  }
  state.counters["fps"] = benchmark::Counter(double(frames.size()), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_MB"] = peak / 1e6;
  state.counters["in_flight"] = workers;
  state.counters["budget_MB"] = double(settings.memory_budget) / 1e6;
}
BENCHMARK(BM_RenderClip)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(1);

// velmora-host's pipeline on 48 16-bit HD frames beside FFmpeg reading the
// same frames, putting them through its lut3d filter (33-point cube) and
// writing 16-bit PNG, both on eight threads and timed in one run.
std::vector<SHBatchFrame> numberedClip(int count) {
  fs::create_directories(benchFolder() + "/numbered/ffmpeg");
  return writeClip(benchFolder() + "/numbered", count, [](int i) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d.png", i + 1);
    return std::string(name);
  });
}

void BM_RenderClipBesideFfmpeg(benchmark::State& state) {
  if (!bench::FfmpegPresent() || bench::CubeFile().empty()) {
    state.SkipWithError("ffmpeg is not installed");
    return;
  }
  const std::vector<SHBatchFrame> frames = numberedClip(48);
  const std::string dir = benchFolder() + "/numbered";
  char command[1024];
  std::snprintf(command, sizeof command,
                "ffmpeg -hide_banner -loglevel error -nostdin -y -threads 8 -filter_threads 8 -i %s/in/%%04d.png "
                "-vf lut3d=file=%s:interp=tetrahedral -pix_fmt rgba64be %s/ffmpeg/%%04d.png > /dev/null 2>&1",
                dir.c_str(), bench::CubeFile().c_str(), dir.c_str());
  Effect effect;
  SHBatchSettings settings;
  settings.layout = kSHLayoutARGB16;
  settings.threads = 8;
  std::atomic<bool> quit{false};
  bench::Timing ours, theirs;
  int64_t rounds = 0;
  for (auto _ : state) {
    const bench::Timing ffmpeg = bench::TimeCommand(command);
    if (ffmpeg.wall < 0) {
      state.SkipWithError("ffmpeg failed");
      break;
    }
    SHBatchResult r;
    const bench::Timing clip =
        bench::TimeHere([&] { r = SHRenderBatch(&effect.host, frames, settings, &quit, nullptr, nullptr); });
    if (r.written != frames.size()) state.SkipWithError("a frame failed");
    state.SetIterationTime(clip.wall);
    ours.wall += clip.wall, ours.cpu += clip.cpu;
    theirs.wall += ffmpeg.wall, theirs.cpu += ffmpeg.cpu;
    ++rounds;
  }
  if (rounds) {
    state.counters["ours_s"] = ours.wall / double(rounds);
    state.counters["ffmpeg_s"] = theirs.wall / double(rounds);
    state.counters["ratio"] = ours.wall / theirs.wall;
    state.counters["ours_cpu_s"] = ours.cpu / double(rounds);
    state.counters["ffmpeg_cpu_s"] = theirs.cpu / double(rounds);
  }
}
BENCHMARK(BM_RenderClipBesideFfmpeg)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

// The effect's render alone, for one of the clip's frames: the part of a
// frame's time that the effect's render region keeps to one frame at a time.
void BM_RenderOneFrame(benchmark::State& state) {
  Effect effect;
  SHImage image;
  SHMakeTestImage(kWidth, kHeight, 16, 0, &image);
  SHFrame in, out;
  SHMakeFrame(kSHLayoutARGB16, kWidth, kHeight, 0, &in);
  SHMakeFrame(kSHLayoutARGB16, kWidth, kHeight, 0, &out);
  SHImageToFrame(image, &in);
  for (auto _ : state) {
    if (SHRender(&effect.host, in, &out, 0, true)) state.SkipWithError("the render failed");
  }
}
BENCHMARK(BM_RenderOneFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadProjectWithManyKeyframes(benchmark::State& state) {
  const std::string path = benchFolder() + "/keys.vlhp";
  const int keys = int(state.range(0));
  {
    std::ofstream f(path);
    f << "velmora-host project 1\n";
    for (int i = 0; i < keys; ++i) f << "key 6 " << i << ' ' << (i % 300) << '\n';
  }
  std::optional<Effect> effect;
  for (auto _ : state) {
    state.PauseTiming();
    effect.reset();
    effect.emplace();
    state.ResumeTiming();
    std::string error;
    if (!SHLoadProject(&effect->host, path, &error)) state.SkipWithError(error.c_str());
  }
  state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(BM_LoadProjectWithManyKeyframes)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
