// The accent colours the scopes draw their frames, grids and traces in. The
// application hands over its accent table (13 entries of 16-bit RGB, rebuilt
// in place when the interface saturation changes); until it does, the scopes
// use the table's undimmed values.
#pragma once

#include <cstdint>

#include "platform/ui/ui_types.h"
#include "support/support_types.h"

enum : int32_t {
  kScopeAccentFrame = 0,
  kScopeAccentGrid = 1,
  kScopeAccentRed = 2,
  kScopeAccentGreen = 3,
  kScopeAccentBlue = 4,
  kScopeAccentLuma = 5,       // grey: master curve and luma
  kScopeAccentLumaRange = 6,  // luma-range marker lines
  kScopeAccentCount = 13,
};

// Remembers the table (kScopeAccentCount entries, kept alive by the caller);
// null returns to the built-in values.
void ScopeSetAccentColors(const QVRGBColor* table);
QVRGBColor ScopeAccentRGB(int32_t index);
TKColor ScopeAccentColor(int32_t index);
// The colour as an opaque pixel word A<<24 | R<<16 | G<<8 | B.
uint32_t ScopeAccentPixel(int32_t index);
