// Allocations that fail on purpose: the non-throwing forms of operator new
// return null for a size inside the range set, so a test can reach the
// out-of-memory path of code that allocates with std::nothrow. Include this
// in exactly one file of a test program: it replaces those operators for the
// whole program.
#pragma once

#include <atomic>
#include <cstddef>
#include <new>

inline std::atomic<size_t> gFailNothrowFrom{0}, gFailNothrowTo{0};

// While alive, nothrow allocations of from..to bytes fail.
struct FailNothrowAllocations {
  FailNothrowAllocations(size_t from, size_t to) {
    gFailNothrowFrom = from;
    gFailNothrowTo = to;
  }
  ~FailNothrowAllocations() { gFailNothrowFrom = gFailNothrowTo = 0; }
};

inline bool FailsOnPurpose(size_t size) {
  return gFailNothrowTo != 0 && size >= gFailNothrowFrom && size <= gFailNothrowTo;
}

// Otherwise the throwing forms allocate, so the usual delete releases the block.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  if (FailsOnPurpose(size)) return nullptr;
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  if (FailsOnPurpose(size)) return nullptr;
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}
