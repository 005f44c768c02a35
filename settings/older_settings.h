// Settings records of the three older whole-record layouts and their
// conversion into the current VL_SettingsStruct.
//
// Older layouts keep every adjustable value as a signed 16.16 fixed-point
// word (value x 65,536); enables, choices and wheel words are plain integers.
// All words are 32 bits in native order; a record whose first word reads
// 0x10323412 arrived byte-reversed and is turned round word by word first.
//
//   version 1: 2,420 bytes   version 2: 2,532 bytes   version 3: 18,404 bytes
//
// Byte offsets (V1 | V2 | V3):
//   0 | 0 | 0                 byte-order flag
//   4, 8                      HSL enable, HSL-controls enable
//   12 + 36 r                 four HSL ranges of 9 words (no vibrance)
//   156; 160 + 52 r           RGB enable; four ranges of 13 words
//   368; 372 + 52 r           YCbCr enable; four ranges
//   580; 584 + 52 r           CMY enable; four ranges
//   792; 796                  hue-offset enable; 13 words of wheels
//   848; 852 + 32 c           levels enable; five channels of 8 words
//   1012, 1016                secondary enable, curves enable
//   1020 + 140 k | same | 1020 + 4,108 k   curves master, red, green, blue
//   1580 | 1580 | 17452       curve points, 3 x 12 bytes
//   1616; 1620 | same | 17488; 17492        luma-ranges enable; luma ranges
//   1644 + 108 n | 1644 + 120 n | 17516 + 120 n   secondaries A to F
//   2292 | 2364 | 18236       two words not carried into the current layout
//   2300 | 2372 | 18244       limiter enable
//   -    | 2376 | 18248       one word not carried over
//   2304 | 2380 | 18252       limiter (9 words)
//   2340 | 2416 | 18288       sampler (7 words)
//   2368 | 2444 | 18316       seven words
//   2396 | 2472 | 18344       six video words
//   -    | 2496 | 18368       nine words not carried over
#pragma once

#include <cstdint>

#include "core/settings_record.h"

constexpr uint32_t kVLSettingsV1Size = 2420;
constexpr uint32_t kVLSettingsV2Size = 2532;
constexpr uint32_t kVLSettingsV3Size = 18404;

// The older layout a flattened value of that size holds (1, 2 or 3), or 0.
int32_t VLOlderSettingsVersionForSize(uint32_t size);

// Converts a record of version 1, 2 or 3 (in either byte order) into
// current. False (current untouched) for another version or when scratch
// memory cannot be had. The result never depends on current's old contents.
bool ConvertSettingsToCurrent(int32_t version, const void* source, VL_SettingsStruct* current);

// The steps of the chain, on native-order records of the sizes above. Each
// destination is fully written: it is zeroed first.
void ConvertSettingsV1toV2(const uint32_t* v1, uint32_t* v2);
void ConvertSettingsV2toV3(const uint32_t* v2, uint32_t* v3);
void ConvertSettingsV3toV5(const uint32_t* v3, VL_SettingsStruct* current);

// Resets a version-3 record: the byte-order flag and zero everywhere else.
void SetDefaultControlValues(uint32_t* v3, VLSettingsSectionMask mask);

// Section transfers from the older section records (shared with the preset
// reader). Each returns the section's enable word.
uint32_t TransferHSLSettingsV1toV5(const uint32_t* source, VL_HSLControls* destination);
uint32_t TransferRGBSettingsV1toV5(const uint32_t* source, VL_RGBControls* destination);
uint32_t TransferYCbCrSettingsV1toV5(const uint32_t* source, VL_YCbCrControls* destination);
uint32_t TransferCMYSettingsV1toV5(const uint32_t* source, VL_CMYControls* destination);
uint32_t TransferHSLOffsetSettingsV1toV5(const uint32_t* source, VL_HSLOffsetControls* destination);
uint32_t TransferLevelsSettingsV1toV5(const uint32_t* source, VL_LevelControls* destination);
uint32_t TransferLimiterSettingsV1toV5(const uint32_t* source, VL_LimiterControls* destination);
// These two return whether the secondary is enabled.
uint32_t TransferSecondaryKeyerSettingsV1toV5(const uint32_t* source, VL_SecondaryControls* destination);
uint32_t TransferSecondaryKeyerSettingsV2toV5(const uint32_t* source, VL_SecondaryControls* destination);
void TransferSecondaryGeomSettings(const uint32_t* source, VL_SecondaryGeometryControls* destination);
