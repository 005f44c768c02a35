#include "app/views/scope_phosphor.h"

#include <array>

namespace {

// floor(sqrt(n) + 0.5) in integers: k is the answer exactly when
// k*k - k + 1 <= n <= k*k + k (and 0 for n = 0).
constexpr uint8_t RoundedRoot(int n) {
  int k = 0;
  while ((k + 1) * (k + 1) - (k + 1) + 1 <= n) ++k;
  return uint8_t(k);
}

constexpr std::array<uint8_t, kScopePhosphorSize * kScopePhosphorSize> BuildTable() {
  std::array<uint8_t, kScopePhosphorSize * kScopePhosphorSize> t{};
  for (int r = 0; r < kScopePhosphorSize; ++r)
    for (int c = 0; c < kScopePhosphorSize; ++c) t[r * kScopePhosphorSize + c] = RoundedRoot(r * r + c * c);
  return t;
}

constexpr auto kTable = BuildTable();
static_assert(kTable[159 * kScopePhosphorSize + 159] == 225);
static_assert(kTable[3 * kScopePhosphorSize + 2] == 4);

}  // namespace

const uint8_t* GetScopePhosphorTable() { return kTable.data(); }
