#include "plugin/host_calls.h"

#include <cstring>

#include "platform/host/host_handles.h"

namespace {

const HIUtilityCallbacks* handleCallbacks(const HIInData* in) {
  const HIUtilityCallbacks* u = in ? in->utils : nullptr;
  if (u && u->new_handle && u->dispose_handle && u->lock_handle && u->unlock_handle && u->get_handle_size)
    return u;
  return nullptr;
}

}  // namespace

HIHandle VLNewHandle(const HIInData* in, uint64_t size) {
  if (const HIUtilityCallbacks* u = handleCallbacks(in)) return u->new_handle(size);
  return HINewHandle(size);
}

void VLDisposeHandle(const HIInData* in, HIHandle handle) {
  if (!handle) return;
  if (const HIUtilityCallbacks* u = handleCallbacks(in)) {
    u->dispose_handle(handle);
  } else {
    HIDisposeHandle(handle);
  }
}

void* VLLockHandle(const HIInData* in, HIHandle handle) {
  if (!handle) return nullptr;
  if (const HIUtilityCallbacks* u = handleCallbacks(in)) return u->lock_handle(handle);
  return HILockHandle(handle);
}

void VLUnlockHandle(const HIInData* in, HIHandle handle) {
  if (!handle) return;
  if (const HIUtilityCallbacks* u = handleCallbacks(in)) {
    u->unlock_handle(handle);
  } else {
    HIUnlockHandle(handle);
  }
}

uint64_t VLGetHandleSize(const HIInData* in, HIHandle handle) {
  if (!handle) return 0;
  if (const HIUtilityCallbacks* u = handleCallbacks(in)) return u->get_handle_size(handle);
  return HIGetHandleSize(handle);
}

HIHandle VLNewClearedHandle(const HIInData* in, uint64_t size) {
  HIHandle h = VLNewHandle(in, size);
  if (h && size) {
    void* p = VLLockHandle(in, h);
    if (!p) {
      VLDisposeHandle(in, h);
      return nullptr;
    }
    std::memset(p, 0, size);
    VLUnlockHandle(in, h);
  }
  return h;
}

VLSuite::VLSuite(const HIBasicSuite* basic, const char* name, int32_t version)
    : basic_(basic), name_(name), version_(version) {
  if (basic_ && basic_->acquire_suite && basic_->acquire_suite(name_, version_, &suite_) != kHINoErr)
    suite_ = nullptr;
}

VLSuite::~VLSuite() {
  if (suite_ && basic_->release_suite) basic_->release_suite(name_, version_);
}
