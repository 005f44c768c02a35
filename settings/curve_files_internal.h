// What the curve file readers share.
#pragma once

#include "core/settings_record.h"
#include "settings/lut_text.h"

// The red, green and blue tables a map file gives.
struct CurveChannelMaps {
  float table[3][kVLCurveMapCount];
};

// Turns the four curves into maps: master the identity (entry j = j / 1023),
// red, green and blue the given tables.
void CurveInstallMaps(VL_CurveControls* curves, const CurveChannelMaps& maps);

// Fills one 1024-entry table from n values of a channel (every stride-th
// value from first), each scaled by scale: fewer than 1024 values are spread
// over runs of 1024 / n entries that step towards the next value; 1024 or
// more are averaged in groups of n / 1024. Entries are clamped to 0..1.
void CurveExpandChannel(const int32_t* first, size_t stride, int32_t n, double scale, float* table);

// Shows a text reader's alert and logs where the file went wrong.
void CurveReportLUTError(const char* path, const LUTReadError& error);
