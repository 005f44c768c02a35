// Times, date strings and temporary names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Seconds since 1 January 1904 (the absolute time plus 3,061,094,400),
// stored in *out when out is not null and returned.
uint32_t QVGetDateTime(uint32_t* out);
// The absolute time: seconds since 1 January 2001.
uint64_t QVGetCurrentTime();
// The current local date (medium style, e.g. "10 Dec 2026") and/or time
// (short style, "14:05"), UTF-8, as much as the buffer allows.
void QVGetCurrentDateTimeAsCString(char* buffer, size_t size, bool withTime, bool withDate);

// A name made from the format with one random unsigned 32-bit number as its
// one argument (e.g. "ZrnGenerateTemp%lu.mov"). A number whose name is
// already taken is drawn again: a relative name is checked in the temporary
// folder, an absolute one where it points.
std::string QVGetTempFilenameWithTemplate(const char* format);
