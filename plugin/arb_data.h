// The arbitrary-data callbacks of the effect's three arbitrary-data
// parameters. The settings value ("Parameters", id 1; id 0 is treated the
// same) is a whole VL_SettingsStruct; "Hue Offset" (45) and "Curves" (104)
// only give the displays their areas and are kept as plain bytes.
//
// Text form of a settings value (print and scan):
//   "Velmora" TAB "8389" TAB, then each of the 8,389 words as lower-case
//   hexadecimal without leading zeros, each followed by a TAB; at most
//   75,565 bytes with the terminating NUL. Example start:
//   Velmora\t8389\t12343210\t0\t0\t...
#pragma once

#include <cstdint>

#include "platform/host/host_interface.h"

constexpr uint32_t kVLSettingsPrintSize = 75565;

HIError HandleArbEvent(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output,
                       HIArbitraryExtra* extra);

// Reads the text form into a new settings handle handed back through result.
// Every token must be whole: "Velmora", the count in decimal, each word in
// hexadecimal of at most 32 bits, nothing before or after a number. A text
// that fails anywhere hands back a whole default record and
// kHIErrUnrecognizedParamType.
HIError ArbScan(const HIInData* in, const char* text, uint32_t byteCount, HIHandle* result);
