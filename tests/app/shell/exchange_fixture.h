// What the exchange tests share: a private segment key, private folders and
// log per test, the real velmora-ui program, and helpers to read its log.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <unistd.h>

#include "settings/comm_block.h"
#include "tests/scratch_folder.h"

struct ExchangeEnvironment {
  std::string folder;
  std::string log;
  int32_t key = 0;

  ExchangeEnvironment() {
    folder = MakeScratchFolder("exchange");
    log = folder + "/log.txt";
    // One key per test and process: tests run side by side.
    static uint32_t serial = 0;
    key = int32_t(0x56000000u | (uint32_t(getpid()) & 0xFFFFFu) << 4 | (serial++ & 0xFu));
    setenv(kCCKeyVariable, std::to_string(key).c_str(), 1);
    setenv("VELMORA_UI_PROGRAM", VELMORA_UI_PATH, 1);
    setenv("VELMORA_LOG", log.c_str(), 1);
    setenv("VELMORA_DEBUG_LOG", "1", 1);
    setenv("VELMORA_UI_HEADLESS", "1", 1);
    for (const char* v : {"VELMORA_PREFERENCES", "VELMORA_USER_SUPPORT", "VELMORA_SYSTEM_SUPPORT", "VELMORA_TEMP",
                          "VELMORA_DOCUMENTS"})
      setenv(v, (folder + "/" + v).c_str(), 1);
    unsetenv("VELMORA_UI_DISPLAY");
    unsetenv("VELMORA_UI_SCRIPT");
  }

  // Writes the script the application will carry out.
  void script(const std::string& text) const {
    std::ofstream(folder + "/script.txt") << text;
    setenv("VELMORA_UI_SCRIPT", (folder + "/script.txt").c_str(), 1);
  }

  std::string logText() const {
    std::ifstream in(log);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Waits until the log holds the text; false after `seconds`.
  bool waitForLog(const std::string& text, double seconds) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
      if (logText().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // The value after "prefix" on the first log line that has it.
  std::string logValue(const std::string& prefix) const {
    std::istringstream lines(logText());
    for (std::string line; std::getline(lines, line);) {
      size_t at = line.find(prefix);
      if (at != std::string::npos) return line.substr(at + prefix.size());
    }
    return {};
  }
};

inline uint64_t Fingerprint(const uint8_t* bytes, size_t count) {
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < count; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
  return h;
}
