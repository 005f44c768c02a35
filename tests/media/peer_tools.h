// Running the peer programs (ffmpeg, ffprobe, oiiotool) from tests, and
// reading what they write.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

inline bool HaveTool(const char* name) {
  return std::system(("command -v " + std::string(name) + " > /dev/null 2>&1").c_str()) == 0;
}

// The command's standard output; the exit status in *status.
inline std::string RunCapture(const std::string& command, int* status = nullptr) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char block[4096];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, p)) > 0) out.append(block, n);
    const int s = pclose(p);
    if (status) *status = s;
  } else if (status) {
    *status = -1;
  }
  return out;
}

inline int RunTool(const std::string& command) { return std::system((command + " > /dev/null 2>&1").c_str()); }

