#include "core/engine_lock.h"

#include <mutex>

namespace {

std::recursive_mutex& engineMutex() {
  static std::recursive_mutex m;
  return m;
}

}  // namespace

void VL_EngineLock() { engineMutex().lock(); }

void VL_EngineUnlock() { engineMutex().unlock(); }
