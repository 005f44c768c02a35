#include "app/views/scope_inputs.h"

#include "app/views/scope_tables.h"

namespace {

bool (*gUpdatesSuspendedQuery)() = nullptr;

}  // namespace

void ScopeSetUpdatesSuspendedQuery(bool (*query)()) { gUpdatesSuspendedQuery = query; }

bool ScopeUpdatesSuspended() { return gUpdatesSuspendedQuery && gUpdatesSuspendedQuery(); }

int32_t ScopeMatrixForVideoSystem(int32_t videoSystem) {
  switch (videoSystem) {
    case 3: return kScopeMatrix709;
    case 4: return kScopeMatrix240M;
    default: return kScopeMatrix601;
  }
}

int32_t ScopeWaveformSystemForVideoSystem(int32_t videoSystem) {
  if (videoSystem == 2) return 2;
  if (videoSystem == 3 || videoSystem == 4) return 3;
  return 1;
}
