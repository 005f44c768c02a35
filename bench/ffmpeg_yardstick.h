// FFmpeg as a yardstick for the benchmarks: a 33-point cube file of a mild
// grade for its lut3d filter, and the wall time of a command.
#pragma once

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace bench {

inline bool FfmpegPresent() {
  static const bool present = std::system("ffmpeg -hide_banner -loglevel quiet -version > /dev/null 2>&1") == 0;
  return present;
}

// A mild grade as a 33-point cube, written once into the temporary folder.
inline const std::string& CubeFile() {
  static const std::string path = [] {
    std::string p =
        (std::filesystem::temp_directory_path() / ("velmora-bench-" + std::to_string(getpid()) + ".cube")).string();
    FILE* f = std::fopen(p.c_str(), "w");
    if (!f) return std::string();
    constexpr int n = 33;
    std::fprintf(f, "LUT_3D_SIZE %d\n", n);
    for (int b = 0; b < n; ++b)
      for (int g = 0; g < n; ++g)
        for (int r = 0; r < n; ++r) {
          double R = r / double(n - 1), G = g / double(n - 1), B = b / double(n - 1);
          std::fprintf(f, "%f %f %f\n", std::pow(R, 0.9) * 1.02, std::pow(G, 1.05), B * 0.97 + 0.02);
        }
    if (std::fclose(f) != 0) return std::string();
    std::atexit([] { std::remove(CubeFile().c_str()); });
    return p;
  }();
  return path;
}

// Seconds of wall time and of processor time (user and system, every
// thread). On a loaded machine the processor time of one thread's work is the
// steadier figure: it leaves out the time spent waiting for a processor.
struct Timing {
  double wall = 0, cpu = 0;
};

inline double ChildrenCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

inline double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A shell command's timing (its processor time is that of its processes);
// a negative wall time when it failed.
inline Timing TimeCommand(const char* command) {
  const auto start = std::chrono::steady_clock::now();
  const double cpu = ChildrenCpuSeconds();
  if (std::system(command) != 0) return {-1.0, 0.0};
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), ChildrenCpuSeconds() - cpu};
}

// The timing of fn() in this process.
template <class Fn>
Timing TimeHere(Fn fn) {
  const auto start = std::chrono::steady_clock::now();
  const double cpu = ProcessCpuSeconds();
  fn();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), ProcessCpuSeconds() - cpu};
}

}  // namespace bench
