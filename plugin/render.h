// Render and smart render: one host frame through the correction engine.
// Host pixels are converted into a planar float frame, corrected by the
// processing tables built from the record in parameter 1 (with the sliders
// overlaid), written back in the host's layout, and the input's alpha
// restored. The engine (tables and task pool) is shared by the whole
// process: its lock is held from the table check to the last band.
#pragma once

#include <cstdint>

#include "core/frame_buffer.h"
#include "core/settings_record.h"
#include "platform/host/host_interface.h"
#include "plugin/plugin_data.h"

HIError Render(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output);
HIError SmartRender(const HIInData* in, HIOutData* out, HISmartRenderExtra* extra);

// One rectangle of host pixels through the engine. Fails with the memory
// error when the working frame cannot be made.
HIError ProcessPixelBuffer(const uint8_t* source, int32_t sourceRowBytes, uint8_t* destination,
                           int32_t destinationRowBytes, int32_t width, int32_t height, int32_t sourceLeft,
                           int32_t sourceTop, int32_t destinationLeft, int32_t destinationTop, FBPixFormat format,
                           int32_t bytesPerPixel, const VL_SettingsStruct* settings, VLGlobalData* globals,
                           const HIInData* in);

// Reloads stale preferences, applies the host-pixel words and rebuilds the
// processing tables unless they were built from this very record, by this
// sequence, in this load of the plug-in. Takes the engine lock. A build that
// fails returns the host's memory error (or 512) and marks nothing as built.
HIError CheckProcessingTableValidity(const HIInData* in, HIHandle sequenceData, VL_SettingsStruct* settings,
                                  VLGlobalData* globals);

// The plug-in's pixel format and bytes per pixel for a world; 514 for a
// format outside the known ones.
HIError GetPixelFormatAndSize(const HIWorld* world, const VLGlobalData* globals, const HIBasicSuite* basic,
                              FBPixFormat* format, int32_t* bytesPerPixel);

// Host memory for frame buffers: 16 bytes of header before the address returned.
void* AllocateMemoryPointer(size_t size, const char* name, const VLGlobalData* globals, const HIInData* in);
void DeallocateMemoryPointer(void* address, const VLGlobalData* globals, const HIInData* in);

// The input layer at the current time as a new format-203 frame, or null.
FBFrameStruct* GetCurrentTimeFrameBuffer(const HIInData* in, const VLGlobalData* globals);

// Does nothing; kept for the callers that open the plug-in's support file.
int32_t OpenSupportFile();
