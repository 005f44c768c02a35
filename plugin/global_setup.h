// Global setup and set-down: the plug-in's global data, its host checks and
// the task pool.
#pragma once

#include "platform/host/host_interface.h"

// The effect's version for the host: 3.0.14, release stage, build 309.
constexpr uint32_t kVLEffectVersion = 1603381;

HIError GlobalSetup(const HIInData* in, HIOutData* out);
HIError VLGlobalSetdown(const HIInData* in, HIOutData* out);
