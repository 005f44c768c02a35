// Integer colour tables the scopes read: the colour-difference tables and the
// luma tables of the three video matrices.
#pragma once

#include <cstdint>

enum : int32_t { kScopeMatrix601 = 0, kScopeMatrix709 = 1, kScopeMatrix240M = 2 };

// Six tables of 256 signed entries in one block: T0, T1, T2 (the red, green
// and blue terms of B-Y) and T3, T4, T5 (those of R-Y), entry Tk[v] =
// round(ck * v), so that for 8-bit code values
//   B-Y = T2[B] - T0[R] - T1[G]   and   R-Y = T3[R] - T4[G] - T5[B]
// in 16.16 fixed point, scaled by 0.872 and 1.23 from Cb and Cr.
// The block holds one matrix at a time and is rebuilt only when another is
// asked for; a matrix outside 0..2 is taken as Rec. 601. Returns T0; T1 to
// T5 follow at 256-entry steps. Main thread only.
const int32_t* BuildRGBtoYCbCrTables(int32_t matrix);

// Three 256-byte tables (red, green, blue) whose entries for a pixel's
// bytes add up to its 8-bit luma: entry i = round(i * coefficient). One
// block per matrix, built once; a matrix outside 0..2 is taken as Rec. 601.
const uint8_t* ScopeLumaTables(int32_t matrix);
