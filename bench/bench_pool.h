// The benchmarks' task pool, restarted whenever a benchmark asks for another
// thread count (0 = every processor the process may use).
#pragma once

#include "core/task_pool.h"

inline uint32_t BenchUsePool(int64_t threads) {
  static int64_t current = -1;
  if (threads != current) {
    VLMPStopProcessPool();
    VLMPSetProcessorCountOverride(threads > 0 ? uint32_t(threads) : 0);
    VLMPStartProcessPool();
    current = threads;
  }
  return gNumProcessors;
}

inline int64_t BenchAllThreads() { return int64_t(VLMPGetProcCount()); }
