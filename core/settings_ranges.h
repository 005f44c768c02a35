// Valid ranges, slider spans and steps of the record's fields that effect
// parameters mirror (the one table the engine, the effect's parameters and
// the application's sliders are made from), and the
// holding of a record to them before tables are built from it, so that no
// record (from a project, arbitrary data or an older layout) can drive the
// engine into infinities.
#pragma once

#include <cstdint>

#include "core/settings_record.h"

// One field's range and step. The engine holds the field to min..max, the
// effect's parameter and the application's typed value stop there, and a
// slider covers sliderMin..sliderMax; values show `precision` decimals, a
// step of one in the last of them.
struct VLSettingsFieldRange {
  uint32_t offset;  // byte offset of a float field
  float min, max;
  float sliderMin, sliderMax;
  int16_t precision;
};

constexpr int kVLSettingsFieldRangeCount = 4 * 9 + 4 * 12 + 6;
extern const VLSettingsFieldRange kVLSettingsFieldRanges[kVLSettingsFieldRangeCount];

// The range of the float field at that offset, or null when it has none.
const VLSettingsFieldRange* VL_FindSettingsFieldRange(uint32_t offset);

// Float fields beyond any range are held within this magnitude: far past any
// value a control gives, small enough that no product the engine forms
// with it overflows.
constexpr float kVLSettingsFieldMagnitude = 1e6f;

// Every named float field of the record made finite and held: a NaN or
// infinity becomes the field's default, a field with a range is held to
// it (but a gamma at or below zero, which means none, is left), any other to
// +-kVLSettingsFieldMagnitude. A record inside the ranges is left exactly as
// it is.
void VL_HoldSettingsToRanges(VL_SettingsStruct* settings);
