// Shared memory between our programs: SysV segments found by a 32-bit key.
// A segment is created private to its user (mode 0600) and exclusively, so a
// program never takes over a segment another made; the other programs open
// it by key and check who owns it before trusting it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/status.h"

// What the system records about a segment.
struct PLShmInfo {
  size_t size = 0;           // bytes, as created
  uint32_t ownerUID = 0;     // user owning the segment
  int32_t creatorPID = 0;    // process that created it
  uint32_t attachCount = 0;  // processes attached now
  uint32_t mode = 0;         // permission bits
  int64_t createdTime = 0;   // when it was made (seconds since 1970)
  bool removed = false;      // marked for removal, still attached somewhere
};

// Creates a new segment of `size` bytes under `key`, mode 0600. kQVErrDuplicate
// when a segment with the key exists, kQVErrMemory when the system refuses
// the size, kQVErrIO otherwise.
QVStatus PLShmCreate(int32_t key, size_t size, int32_t* id);
// Opens the existing segment under `key`; kQVErrFileNotFound when none.
QVStatus PLShmOpen(int32_t key, int32_t* id);
// Reads the segment's size, owner and creator.
QVStatus PLShmStat(int32_t id, PLShmInfo* info);
// Maps the segment; null when it cannot be attached.
void* PLShmAttach(int32_t id);
void PLShmDetach(void* address);
// Marks the segment for removal: it goes once the last process detaches.
QVStatus PLShmRemove(int32_t id);
// Removes the segment under `key`, if any.
QVStatus PLShmRemoveKey(int32_t key);
