// Curve files: the four RGB curves of a correction (master, red, green, blue;
// four consecutive VL_CurveControls) saved as a curves file (.acv) and
// loaded from a curves file, an arbitrary map (.amp) or a 1D LUT text file
// of the grid kind (.txt) or the "LUT:" kind (.lut). A loaded map or LUT
// turns the four curves into 1024-entry maps, the master the identity.
//
// Every reader checks the whole file before it touches a curve: a file that
// is short, malformed or out of range changes nothing. The text kinds then
// show their alert (title "Velmora 3 PI"); the binary kinds show none.
#pragma once

#include <cstdint>
#include <string>

#include "core/settings_record.h"
#include "platform/status.h"

constexpr const char* kCurveAlertTitle = "Velmora 3 PI";

// The .acv bytes of the four curves.
std::string CurveACVBytes(const VL_CurveControls* curves);

// Each takes the first of the four curves. Writers replace the file only
// once the new one is whole. Readers: kQVNoErr, kQVErrFileNotFound when the
// file cannot be opened, kQVErrEndOfFile or kQVErrIO for a bad file, or the
// text kinds' statuses (see lut_text.h).
QVStatus CurveWriteACV(const char* path, const VL_CurveControls* curves);
QVStatus CurveReadACV(const char* path, VL_CurveControls* curves);
QVStatus CurveReadArbitraryMap(const char* path, VL_CurveControls* curves);
QVStatus CurveReadGridLUT(const char* path, VL_CurveControls* curves);
QVStatus CurveReadChannelLUT(const char* path, VL_CurveControls* curves);

// The same on bytes in memory, without alerts.
QVStatus CurveParseACV(const std::string& bytes, VL_CurveControls* curves);
QVStatus CurveParseArbitraryMap(const std::string& bytes, VL_CurveControls* curves);

// One curve file kind of the load panel, in popup order; a null reader is
// the separator or "All Documents", which load nothing.
struct CurveFileKind {
  uint32_t type;
  const char* extension;
  const char* name;
  QVStatus (*reader)(const char* path, VL_CurveControls* curves);
};
extern const CurveFileKind kCurveFileKinds[];
extern const int kCurveFileKindCount;

// The save panel ('SvCv'), then the .acv file. kQVErrCancelled when cancelled.
// The chosen file's path goes to *chosen when asked, also when the write fails.
QVStatus SaveCurrentCurves(const VL_CurveControls* curves, std::string* chosen = nullptr);
// The open panel ('LdCv'); the kind chosen in its popup, not the file's name,
// picks the reader. kQVNoErr only when curves were loaded; the caller then
// switches the curves and the RGB curves on.
QVStatus LoadCurrentCurves(VL_CurveControls* curves);

// ---------------------------------------------------------------------------
// Point editing of one curve in point form (2 to 16 points, x strictly
// increasing, x and y in 0..1).

// Inserts (x, y), clamped to 0..1, before the first later point with a
// greater x (after points of the same x); its x is then kept 0.004 clear of
// both neighbours. Nothing when the curve is full, a map, or there is no room
// between the neighbours; *index is the new point's place or -1.
void AddCurvePoint(VL_CurveControls* curve, int32_t* index, double x, double y);
// Removes an inner or end point of a curve of 3 or more points.
void RemoveCurvePoint(VL_CurveControls* curve, int32_t index);
// The x range the point at index may be moved in: 0.004 clear of its
// neighbours (0 for the first point, 1 for the last). False for a map, a bad
// index, or neighbours that leave no room (points out of order in a file).
bool CurvePointXLimits(const VL_CurveControls* curve, int32_t index, double* lower, double* upper);

struct CurvePointer {
  int16_t h, v;  // in the display's window
};
// Mouse-down in a curve display of the given size: selects the first point
// within 0.06 of the pointer, or adds one there. Nothing for a map curve or a
// click with exactly the control key (the context menu's). Returns 0.
int32_t CurveClick(int32_t height, int32_t width, VL_CurveControls* curve, int32_t* selected, int32_t curveNumber,
                   CurvePointer where, uint32_t modifiers);
// Moves the selected point with the pointer (command: a tenth of the motion,
// shift: ten times, both: a hundredth). With removeOutside an inner point
// dragged more than height / 16 pixels outside the display is removed and
// *selected becomes -1. Returns 0.
int32_t CurveDrag(int32_t height, int32_t width, VL_CurveControls* curve, int32_t* selected, int32_t curveNumber,
                  CurvePointer where, bool removeOutside, uint32_t modifiers);

// Drawing table of a cubic: row s (t = s / 1000) column r is
// t^3 m[r][0] + t^2 m[r][1] + t m[r][2] + m[r][3].
void SplineCurveGen(const float matrix[4][4], float table[1000][4]);
