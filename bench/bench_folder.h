// A scratch folder for a benchmark's files: memory-backed where the machine
// has one, so that the disk does not decide the figures. Named by the
// benchmark and the process, made on first use and removed, with everything
// in it, when the program ends (a folder of frames left in memory-backed
// storage would hold that memory until the machine restarts).
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace bench_folder_detail {

struct Made {
  std::mutex lock;
  std::vector<std::filesystem::path> folders;
};

// Never destroyed: the handler that removes the folders runs after the
// statics have gone.
inline Made& MadeFolders() {
  static Made* made = new Made;
  return *made;
}

inline void RemoveMadeFolders() {
  Made& m = MadeFolders();
  std::lock_guard<std::mutex> hold(m.lock);
  for (const std::filesystem::path& dir : m.folders) {
    std::error_code ignored;  // a folder already gone is no failure at exit
    std::filesystem::remove_all(dir, ignored);
  }
  m.folders.clear();
}

}  // namespace bench_folder_detail

inline std::string BenchScratchFolder(const char* name) {
  const std::filesystem::path base =
      std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
  const std::filesystem::path dir = base / (std::string("velmora-") + name + "-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  static const bool removedAtExit = std::atexit(bench_folder_detail::RemoveMadeFolders) == 0;
  (void)removedAtExit;
  bench_folder_detail::Made& m = bench_folder_detail::MadeFolders();
  std::lock_guard<std::mutex> hold(m.lock);
  m.folders.push_back(dir);
  return dir.string();
}
