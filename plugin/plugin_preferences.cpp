#include "plugin/plugin_preferences.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/fourcc.h"

namespace {

std::atomic<bool> loaded{false};
std::mutex loadLock;
std::string adjustHostPixels = "FXTC";  // the preference's default

}  // namespace

void CheckPreferencesValidity() {
  if (loaded.load()) return;
  std::lock_guard<std::mutex> lock(loadLock);
  if (loaded.load()) return;
  adjustHostPixels = "FXTC";
  loaded.store(true);
}

void VLMarkPreferencesStale() { loaded.store(false); }

bool VLHostPixelsAdjusted(uint32_t hostCreator) {
  char code[5];
  QVFourCCToCString(hostCreator, code);
  std::lock_guard<std::mutex> lock(loadLock);
  return adjustHostPixels.find(code) != std::string::npos;
}
