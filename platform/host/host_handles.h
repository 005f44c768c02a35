// The platform's own memory handles, used by the plug-in when a host offers
// no handle callbacks and by the stand-in host to back its callbacks. A
// handle is a resizable block whose data start 16-byte aligned and new bytes
// read zero.
#pragma once

#include <cstdint>

#include "platform/host/host_interface.h"

// Null when the memory cannot be had.
HIHandle HINewHandle(uint64_t size);
// Null is ignored.
void HIDisposeHandle(HIHandle handle);
// The block's address (null for a null handle or an empty block).
void* HILockHandle(HIHandle handle);
void HIUnlockHandle(HIHandle handle);
uint64_t HIGetHandleSize(HIHandle handle);
// Keeps the first min(old, new) bytes; grown bytes read zero. Fails on a
// locked handle, as a locked block cannot move.
HIError HISetHandleSize(HIHandle handle, uint64_t size);
// Handles alive in this process: lets tests catch leaks.
int64_t HILiveHandleCount();
