// The table that combines two trace intensities so repeated hits brighten a
// trace pixel without wrapping: entry [r][c] is sqrt(r*r + c*c) rounded.
#pragma once

#include <cstdint>

constexpr int kScopePhosphorSize = 160;

// The 160 x 160 table, row-major, 160 bytes a row. Read-only data.
const uint8_t* GetScopePhosphorTable();
