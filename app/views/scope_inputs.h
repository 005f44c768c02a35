// What the scopes take from the rest of the application: whether live
// updates are suspended (asked through a query the application installs),
// the matrix and video system chosen by the "Video System" preference, and
// where the colour bytes of a source pixel lie.
#pragma once

#include <cstdint>

// Installs the query the scope panes ask whether updates are suspended
// (the trace is then left out). Until one is installed they never are.
void ScopeSetUpdatesSuspendedQuery(bool (*query)());
bool ScopeUpdatesSuspended();

// "Video System" (1 NTSC, 2 PAL, 3 ATSC or 709, 4 240M) to the matrix
// 0 Rec. 601, 1 Rec. 709, 2 SMPTE 240M; unknown values give Rec. 601.
int32_t ScopeMatrixForVideoSystem(int32_t videoSystem);
// "Video System" to the waveform's video system 1 NTSC, 2 PAL, 3 HD;
// unknown values give NTSC.
int32_t ScopeWaveformSystemForVideoSystem(int32_t videoSystem);

// Byte offsets of red, green and blue within a 4-byte source pixel.
struct ScopePixelLayout {
  int32_t red, green, blue;
};
// Pixels stored A, R, G, B in memory order.
constexpr ScopePixelLayout kScopeLayoutARGBMemory{1, 2, 3};
// Pixels as little-endian words A<<24 | R<<16 | G<<8 | B: bytes B, G, R, A,
// the layout of our own pictures.
constexpr ScopePixelLayout kScopeLayoutLittleEndianWords{2, 1, 0};
