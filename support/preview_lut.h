// Preview LUTs: three 256-entry 8-bit tables (red, green, blue; 768 bytes)
// through which a preview output shows its picture, chosen per output from a
// fixed list. The preferences keep the choice and the table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/status.h"

constexpr size_t kPreviewLUTBytes = 768;

enum : int32_t {
  kPreviewLUTNone = 50,        // identity
  kPreviewLUTRec601 = 51,      // Rec. 601 gamma
  kPreviewLUTRec709 = 52,      // same curve as 601
  kPreviewLUTSMPTE240M = 53,
  kPreviewLUTInvert = 54,
  kPreviewLUTGamma1_22 = 55,   // L^1.2222223 (no menu item)
  kPreviewLUTFromFile = 56,    // "Other...": read from a file the user picks
};

// Fills the table for the choice and returns 0; a choice outside 50..56
// leaves it alone. Choice 56 runs the file loader (see below): -128 and the
// table unchanged when the user cancelled or no loader is installed.
QVStatus BuildLinearizationLUT(int32_t choice, uint8_t* table);

// The loader behind choice 56 (the open panel and the LUT file readers of
// the grading application): fills the table and returns 1, or 0 when
// cancelled. Null removes it.
using PreviewLUTFileLoader = int (*)(uint8_t* table);
void SetLinearizationLUTFileLoader(PreviewLUTFileLoader loader);
