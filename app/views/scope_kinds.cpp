#include "app/views/scope_kinds.h"

#include "app/views/analysis_panes.h"

namespace {

// The rows stand in selector order, and the quadrant kinds are numbered 1 up
// without gaps in that order.
constexpr bool RowsInOrder() {
  int32_t display = 0;
  for (int32_t i = 0; i < kScopeKindCount; ++i) {
    if (kScopeKinds[i].pane != i) return false;
    if (kScopeKinds[i].display != 0 && kScopeKinds[i].display != ++display) return false;
  }
  return true;
}
static_assert(RowsInOrder());
static_assert(kScopeDisplayCount == kScopeToneCurve);

}  // namespace

const ScopeKind* ScopeKindOfPane(int32_t pane) {
  return pane >= 0 && pane < kScopeKindCount ? &kScopeKinds[pane] : nullptr;
}

const ScopeKind* ScopeKindOfDisplay(int32_t display) {
  if (display < 1) return nullptr;
  for (const ScopeKind& k : kScopeKinds)
    if (k.display == display) return &k;
  return nullptr;
}
