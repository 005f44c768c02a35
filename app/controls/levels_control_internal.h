// The levels control's record and drawing, shared by its files and tests.
#pragma once

#include <cstdint>

#include "platform/fourcc.h"
#include "platform/ui/ui_draw.h"
#include "support/support_types.h"

struct TKControl;
struct TKWindow;

// Marker parts, in the order the hit test tries them.
enum : int16_t {
  kLevelsPartInBlack = 129,
  kLevelsPartInGray = 130,
  kLevelsPartInWhite = 131,
  kLevelsPartOutBlack = 133,
  kLevelsPartOutWhite = 135,
};

// Geometry of the strip: bars 16 px high, 8 px in from the strip's left;
// the markers hang from 2 to 14 px below a bar.
constexpr int32_t kLevelsStripHeight = 40;
constexpr int32_t kLevelsBarInset = 8;
constexpr int32_t kLevelsBarTop = 4;
constexpr int32_t kLevelsBarHeight = 16;
constexpr int32_t kLevelsMarkerHalfWidth = 6;
constexpr int32_t kLevelsMarkerHeight = 6;
// Unchanged polls of a held marker after which the preview is refreshed
// (20 ms: the picture follows a hand that slows down, not only one that
// stops), and the time one poll waits for the mouse.
constexpr int32_t kLevelsIdlePolls = 4;
constexpr double kLevelsPollSeconds = 0.005;

enum : int32_t { kLevelsInBlack, kLevelsInGray, kLevelsInWhite, kLevelsOutBlack, kLevelsOutGray, kLevelsOutWhite };

struct LevelsControl {
  TKControl* markerPane = nullptr;
  TKControl* inputPane = nullptr;
  TKControl* outputPane = nullptr;
  TKWindow* window = nullptr;
  TKRect bounds;     // the marker strip, window coordinates
  TKRect inputBar;   // window coordinates
  TKRect outputBar;
  int32_t channel = 1;  // 1 luma (master), 2 red, 3 green, 4 blue
  float value[6] = {0.0f, 0.5f, 1.0f, 0.0f, 0.5f, 1.0f};  // in black, gray, white, out black, gray, white
  float scale = 256.0f;  // pixels per unit
  QVRGBColor ramp{65535, 65535, 65535};
  uint8_t* base = nullptr;  // the record the points are written into
  uint32_t sectionOffset = 0;
  uint32_t offsets[6] = {};  // of the six points, as value[]
  TKImage* image = nullptr;  // the strip's off-screen picture, as large as the strip
  TKImage* inputHistogram = nullptr;
  TKImage* outputHistogram = nullptr;
  uint8_t active = 1;

  LevelsControl() = default;
  LevelsControl(const LevelsControl&) = delete;
  LevelsControl& operator=(const LevelsControl&) = delete;
  ~LevelsControl() { TKImageDispose(image); }
};

// The record of a marker strip, or null for any other control.
LevelsControl* LevelsRecordOf(TKControl* control);

// Re-renders the strip's picture from the record: ramp bars, frames, markers.
void LevelsRenderControl(LevelsControl* r);
// One component of the ramp at a column counted from the bar's right end:
// a non-zero component drops by step a column and stops at 0.
uint16_t LevelsRampComponent(uint16_t component, int32_t columnFromRight, int32_t step);

// How far right of its bar's left end a marker's apex stands, and where
// that is in window coordinates. A value from
// a damaged record (huge, infinite, NaN) is held a few bar widths off the
// bar, so that it stays a plain number and is never hit.
double LevelsMarkerOffset(const LevelsControl* r, float value);
int32_t LevelsMarkerX(const LevelsControl* r, const TKRect& bar, float value);
// Which marker lies under a point (window coordinates); 0 for none.
int16_t LevelsHitTest(const LevelsControl* r, TKPoint where);
// The strip's track procedure: drags the marker under the click.
int16_t LevelsTrack(TKControl* pane, TKPoint where);
