// The luma-range graph's record and drawing, shared by its file and tests.
#pragma once

#include <cstdint>

#include "platform/ui/ui_draw.h"
#include "platform/ui/ui_event.h"

struct TKControl;
struct TKWindow;

constexpr double kLumaRangePickRadius = 0.02;  // unit coordinates
constexpr double kLumaRangeTrackSeconds = 0.005;
constexpr int32_t kLumaRangePointCursor = 504;

struct LumaRangeControl {
  TKControl* pane = nullptr;
  TKWindow* window = nullptr;
  TKRect bounds;
  TKRect graph;  // bounds inset by 2
  float* shadow = nullptr;     // x, y in the working record; null until bound
  float* highlight = nullptr;
  int32_t picked = -1;   // 0 shadow, 1 highlight, -1 none
  int32_t dragged = -1;
  int32_t regionID = 0;
  TKImage* image = nullptr;  // the graph's off-screen picture
  uint8_t tracking = 0;
  uint8_t active = 1;

  LumaRangeControl() = default;
  LumaRangeControl(const LumaRangeControl&) = delete;
  LumaRangeControl& operator=(const LumaRangeControl&) = delete;
  ~LumaRangeControl() { TKImageDispose(image); }
};

LumaRangeControl* LumaRangeRecordOf(TKControl* control);

// Draws the graph into image: grey, the luma histogram of source, and with
// both points given the shadow, highlight and midtone weights, one value
// per column, and the two points.
void LumaRangeDrawGraph(TKImage* image, const float* shadow, const float* highlight, TKImage* source);
// Renders the control's picture from the result picture and returns it.
TKImage* LumaRangeRender(LumaRangeControl* r);
// The point within the pick radius of where (window coordinates): 0 the
// shadow point, 1 the highlight point, -1 none.
int32_t LumaRangePickAt(const LumaRangeControl* r, TKPoint where);
