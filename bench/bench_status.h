// Setup steps of the benchmarks that return a status: a benchmark whose
// frames or tables could not be made would time nothing, so the run stops.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "platform/status.h"

inline void BenchRequire(QVStatus status, const char* what) {
  if (status == kQVNoErr) return;
  std::fprintf(stderr, "benchmark setup: %s failed (status %d)\n", what, int(status));
  std::exit(1);
}
