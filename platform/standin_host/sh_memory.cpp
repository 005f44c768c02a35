// Host memory: the handle callbacks, under the configured allocation cap, and
// the handle helpers the rest of the host uses.
#include <cstring>

#include "platform/standin_host/sh_call.h"

namespace {

HIHandle newHandle(uint64_t size) { return SHAllocationAllowed(size) ? HINewHandle(size) : nullptr; }
void disposeHandle(HIHandle h) { HIDisposeHandle(h); }
void* lockHandle(HIHandle h) { return HILockHandle(h); }
void unlockHandle(HIHandle h) { HIUnlockHandle(h); }
uint64_t handleSize(HIHandle h) { return HIGetHandleSize(h); }
HIError setHandleSize(HIHandle h, uint64_t size) { return HISetHandleSize(h, size); }

}  // namespace

bool SHAllocationAllowed(uint64_t size) {
  SHHost* host = gSHActiveHost.load();
  return !host || size <= host->config.max_allocation;
}

void SHSetHandleCallbacks(HIUtilityCallbacks* utils, bool offered) {
  utils->new_handle = offered ? newHandle : nullptr;
  utils->dispose_handle = offered ? disposeHandle : nullptr;
  utils->lock_handle = offered ? lockHandle : nullptr;
  utils->unlock_handle = offered ? unlockHandle : nullptr;
  utils->get_handle_size = offered ? handleSize : nullptr;
  utils->set_handle_size = offered ? setHandleSize : nullptr;
}

HIHandle SHCopyHandle(HIHandle source) {
  if (!source) return nullptr;
  uint64_t size = HIGetHandleSize(source);
  HIHandle copy = HINewHandle(size);
  if (!copy) return nullptr;
  if (size) std::memcpy(HILockHandle(copy), HILockHandle(source), size);
  HIUnlockHandle(source);
  HIUnlockHandle(copy);
  return copy;
}

std::vector<uint8_t> SHHandleBytes(HIHandle handle) {
  std::vector<uint8_t> bytes(HIGetHandleSize(handle));
  if (!bytes.empty()) {
    std::memcpy(bytes.data(), HILockHandle(handle), bytes.size());
    HIUnlockHandle(handle);
  }
  return bytes;
}

HIHandle SHHandleFromBytes(const void* data, size_t size) {
  HIHandle h = HINewHandle(size);
  if (h && size) {
    std::memcpy(HILockHandle(h), data, size);
    HIUnlockHandle(h);
  }
  return h;
}
