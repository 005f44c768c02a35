// What the fuzz targets share: quiet alerts, a private scratch folder for
// readers that take a path, and the use a program makes of a correction it
// has read (tables built from it, a small frame processed through them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings_record.h"
#include "platform/standin_host/sh_host.h"

// Alerts answered with their default button and shown nowhere. The shared
// LLVMFuzzerInitialize calls it and FZScratchFolder before the first input.
void FZQuietAlerts();

// A folder of this process's own under the temporary folder, made on the
// first call and the same afterwards. The first call also points the
// preferences, temporary, support, documents and runtime folders into it,
// so that nothing a reader writes reaches the user's own.
const std::string& FZScratchFolder();

// Writes the bytes to the path (its folder made first when missing); the
// program stops (a fault of the target, not of the reader) when that fails.
void FZWriteFile(const std::string& path, const uint8_t* data, size_t size);
// The same into FZScratchFolder()/name; the path.
std::string FZWriteScratchFile(const char* name, const uint8_t* data, size_t size);

// Builds the processing tables from the record and runs an 8 x 4 frame of
// varied pixels through them, as a program does with every correction it
// reads.
void FZUseSettings(const VL_SettingsStruct* settings);

// A record of defaults (zero-filled, then every section reset).
VL_SettingsStruct FZDefaultSettings();

// Renders an 8 x 4 frame of varied 8-bit pixels through the effect the host
// runs, as a host does with the values it has just set.
void FZRenderThroughHost(SHHost* host, int32_t time, bool smart);
