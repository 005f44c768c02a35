#include "app/views/scope_phosphor.h"

#include <array>

namespace {

// floor(sqrt(n) + 0.5) in integers: k is the answer exactly when
// k*k - k + 1 <= n <= k*k + k (and 0 for n = 0). The search starts from a
// known lower bound `k` so a row, whose n only grows, is walked once.
constexpr int RoundedRootFrom(int k, int n) {
  while ((k + 1) * (k + 1) - (k + 1) + 1 <= n) ++k;
  return k;
}

// Entry [r][0] is r itself; along a row the root never falls, so each entry
// starts its search at the previous one (a few thousand steps in all, well
// inside every compiler's constant-evaluation limit).
constexpr std::array<uint8_t, kScopePhosphorSize * kScopePhosphorSize> BuildTable() {
  std::array<uint8_t, kScopePhosphorSize * kScopePhosphorSize> t{};
  for (int r = 0; r < kScopePhosphorSize; ++r) {
    int k = r;
    for (int c = 0; c < kScopePhosphorSize; ++c) {
      k = RoundedRootFrom(k, r * r + c * c);
      t[r * kScopePhosphorSize + c] = uint8_t(k);
    }
  }
  return t;
}

constexpr auto kTable = BuildTable();
static_assert(kTable[159 * kScopePhosphorSize + 159] == 225);
static_assert(kTable[3 * kScopePhosphorSize + 2] == 4);

}  // namespace

const uint8_t* GetScopePhosphorTable() { return kTable.data(); }
