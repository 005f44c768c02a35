// The grading application's peak resident memory for one frame, as the
// stand-in host opens it: an HD and a UHD frame in float ARGB (16 bytes a
// pixel, the application's own working depth), graded once with the combo
// display showing, the split and reference views and the vectorscope shown
// once, and returned with OK. A 64 x 64 frame gives the fixed
// cost; the figure to watch is the memory beyond it in frame sizes.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/standin_host/sh_layouts.h"
#include "tools/standin_host/sh_png.h"

namespace fs = std::filesystem;

namespace {

// A private folder for the frames, preferences and logs, removed at exit.
struct BenchFolder {
  std::string path;
  BenchFolder() {
    fs::path p = fs::temp_directory_path() / ("velmora-memory-bench-" + std::to_string(getpid()));
    fs::create_directories(p);
    path = p.string();
  }
  ~BenchFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

const std::string& Folder() {
  static const BenchFolder folder;
  return folder.path;
}

// The application's peak for one frame of width x height, in bytes; 0 when
// the run failed (the reason in *error).
double ApplicationPeak(int width, int height, std::string* error) {
  const std::string dir = Folder() + "/" + std::to_string(width) + "x" + std::to_string(height);
  fs::create_directories(dir + "/in");
  SHImage image;
  SHMakeTestImage(width, height, 16, 0, &image);
  if (!SHWritePNG(dir + "/in/frame.png", image, error)) return 0;
  std::ofstream(dir + "/script.txt") << "wait-exchange\nset hsl_master_saturation 1.5\n"
                                         "tab Split Source\ntab Reference\ntab Vectorscope\ntab Combo\n"
                                         "wait 0.2\nok\nmemory\nquit\n";
  const std::string key = std::to_string(0x5A000000u | (uint32_t(getpid()) & 0xFFFFFu) << 4);
  const std::string cmd = "cd '" + dir + "' && env VELMORA_PREFERENCES='" + dir + "/prefs' VELMORA_USER_SUPPORT='" +
                          dir + "/support' VELMORA_SHM_KEY=" + key + " VELMORA_UI_HEADLESS=1 VELMORA_UI_SCRIPT='" +
                          dir + "/script.txt' VELMORA_LOG='" + dir + "/log.txt' '" VELMORA_HOST_PATH
                          "' --full-interface --layout argbf --out out in/frame.png >/dev/null 2>&1 </dev/null";
  fs::remove(dir + "/log.txt");
  const int status = std::system(cmd.c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    *error = "velmora-host failed";
    return 0;
  }
  std::ifstream log(dir + "/log.txt");
  for (std::string line; std::getline(log, line);) {
    const size_t at = line.find("memory peak ");
    if (at != std::string::npos) return std::atof(line.c_str() + at + 12);
  }
  *error = "the application wrote no memory figure";
  return 0;
}

double FixedCost() {
  static double fixed = [] {
    std::string error;
    return ApplicationPeak(64, 64, &error);
  }();
  return fixed;
}

void BM_ApplicationPeakMemory(benchmark::State& state) {
  const int width = int(state.range(0)), height = int(state.range(1));
  double peak = 0;
  std::string error;
  for (auto _ : state) peak = ApplicationPeak(width, height, &error);
  if (peak == 0 || FixedCost() == 0) {
    state.SkipWithError(error.empty() ? "no figure" : error.c_str());
    return;
  }
  const double frame = double(width) * height * 16;
  state.counters["peak_MB"] = peak / 1e6;
  state.counters["fixed_MB"] = FixedCost() / 1e6;
  state.counters["frame_MB"] = frame / 1e6;
  state.counters["frames_beyond_fixed"] = (peak - FixedCost()) / frame;
}
BENCHMARK(BM_ApplicationPeakMemory)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace
