// A scratch folder for a benchmark's files: memory-backed where the machine
// has one, so that the disk does not decide the figures. Named by the
// benchmark and the process, made on first use.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

inline std::string BenchScratchFolder(const char* name) {
  const std::filesystem::path base =
      std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
  const std::filesystem::path dir = base / (std::string("velmora-") + name + "-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  return dir.string();
}
