// The plug-in's side of the host's callbacks: memory handles through the
// host when it offers them and through the platform's handles otherwise, and
// suites acquired for a scope.
#pragma once

#include <cstdint>

#include "platform/host/host_interface.h"

HIHandle VLNewHandle(const HIInData* in, uint64_t size);
void VLDisposeHandle(const HIInData* in, HIHandle handle);
void* VLLockHandle(const HIInData* in, HIHandle handle);
void VLUnlockHandle(const HIInData* in, HIHandle handle);
uint64_t VLGetHandleSize(const HIInData* in, HIHandle handle);
// A new zero-filled handle of the size, or null.
HIHandle VLNewClearedHandle(const HIInData* in, uint64_t size);

// Holds a handle locked for a scope.
class VLLockedHandle {
 public:
  VLLockedHandle(const HIInData* in, HIHandle handle)
      : in_(in), handle_(handle), data_(handle ? VLLockHandle(in, handle) : nullptr) {}
  ~VLLockedHandle() {
    if (handle_) VLUnlockHandle(in_, handle_);
  }
  VLLockedHandle(const VLLockedHandle&) = delete;
  VLLockedHandle& operator=(const VLLockedHandle&) = delete;
  void* data() const { return data_; }
  uint64_t size() const { return handle_ ? VLGetHandleSize(in_, handle_) : 0; }

 private:
  const HIInData* in_;
  HIHandle handle_;
  void* data_;
};

// Acquires a suite by name and version for a scope; get() is null when the
// host does not give it.
class VLSuite {
 public:
  VLSuite(const HIBasicSuite* basic, const char* name, int32_t version);
  ~VLSuite();
  VLSuite(const VLSuite&) = delete;
  VLSuite& operator=(const VLSuite&) = delete;
  template <typename T>
  const T* get() const {
    return static_cast<const T*>(suite_);
  }

 private:
  const HIBasicSuite* basic_;
  const char* name_;
  int32_t version_;
  const void* suite_ = nullptr;
};
