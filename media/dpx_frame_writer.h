// One DPX file per output frame: the header information made from the
// frame, its source reference and the job's settings, then the file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/frame_buffer.h"
#include "media/dpx_header.h"
#include "media/media_file.h"

struct QVDPXWriteSettings {
  DPXWriteParams pixels;
  char projectName[200];
  char rights[200];
};

// nameFormat holds one integer conversion (such as "shot_%07lld.dpx") that
// receives the frame number. The source may be null (no timecode, no rate,
// no source date). The result of DPXCreateFile; kQVErrParam for a name
// format with other than one integer conversion.
QVStatus QVMediaWriteDPXFrame(int64_t frameNumber, QVMediaFileRef* source, const FBFrameStruct* frame,
                              const char* folder, const char* nameFormat, const QVDPXWriteSettings* settings);

// The local time as "2026-12-11T14:05:09+01", the zone "+hh" when whole
// hours from UTC, else "+hhmm" ("-0330").
void DPXFormatDateTime(int64_t unixSeconds, char* out, size_t size);
void DPXTimeZoneDesignator(long offsetSeconds, char* out, size_t size);
// "hh:mm:ss:ff" (any separators) to BCD, hour tens in bits 28-31; 0 when
// the text is not a timecode.
uint32_t DPXTimecodeToBCD(const char* text);
