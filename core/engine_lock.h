// The engine lock. The processing tables, the frame-settings block and the
// task pool are shared by the whole process; a caller holds this lock from
// building the tables through the last band of the frames it processes with
// them, so two host threads never interleave. The lock is recursive: the
// pool's job functions take it too, which is harmless inside a caller's hold.
#pragma once

void VL_EngineLock();
void VL_EngineUnlock();

class VL_EngineLockGuard {
 public:
  VL_EngineLockGuard() { VL_EngineLock(); }
  ~VL_EngineLockGuard() { VL_EngineUnlock(); }
  VL_EngineLockGuard(const VL_EngineLockGuard&) = delete;
  VL_EngineLockGuard& operator=(const VL_EngineLockGuard&) = delete;
};
