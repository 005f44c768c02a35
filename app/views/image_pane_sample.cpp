// The image pane's timer: colour sampling under the mouse, the split line's
// handles and the cursor the pane asks for.
#include <algorithm>
#include <cmath>

#include "app/views/image_pane_internal.h"
#include "platform/input_state.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_window.h"

namespace {

constexpr double kBackgroundInterval = 0.333;

}  // namespace

int32_t ImagePaneModifierIndex(uint32_t modifiers) {
  const bool shift = modifiers & kPLModifierShift, option = modifiers & kPLModifierOption;
  const bool control = modifiers & kPLModifierControl;
  static const int32_t kIndex[8] = {
      // index = shift | option << 1 | control << 2
      0, 1, 2, 4, 3, 5, 6, 7,
  };
  return kIndex[int(shift) | int(option) << 1 | int(control) << 2];
}

void UpdateImagePaneCursors(ImagePaneRecord* r) {
  if (r->panning || r->pressed) return;
  int32_t* c = r->cursors;
  std::fill(c, c + 8, r->defaultCursor);
  if (r->tool == kImagePaneToolZoom) {
    const int32_t in = r->zoom > 0.0625f ? kCursorZoomIn : kCursorZoomLimit;
    const int32_t out = r->zoom < 1.0f ? kCursorZoomOut : kCursorZoomLimit;
    // Indexes holding Option: Option, Shift-Option, Option-Control, all three.
    static const bool kOption[8] = {false, false, true, false, true, false, true, true};
    for (int i = 0; i < 8; ++i) c[i] = kOption[i] ? out : in;
  } else if (r->tool == kImagePaneToolPan) {
    std::fill(c, c + 8, int32_t(kCursorPan));
  } else if (r->customCursors) {
    c[0] = r->customCursorPlain;
    c[1] = r->customCursorShift;
    c[2] = r->customOptionCursor ? r->customCursorOption : r->customCursorPlain;
  } else if (r->sampleTarget) {
    static const int32_t kSample[8] = {kCursorSample,     kCursorSampleShift,  kCursorSampleOption, kCursorSample,
                                       kCursorSampleBoth, kCursorSampleShift,  kCursorSampleOption, kCursorSampleBoth};
    std::copy(kSample, kSample + 8, c);
  }
  r->currentCursor = c[ImagePaneModifierIndex(PLGetKeyboardModifiers())];
}

void ImagePaneViewToPicture(const ImagePaneRecord* r, TKPoint where, float* x, float* y) {
  *x = (r->zoom * r->scaleX * float(where.x - r->viewRect.left - r->imageOffsetH) + r->originX) / r->pixelAspect;
  *y = r->zoom * r->scaleY * float(where.y - r->viewRect.top - r->imageOffsetV) + r->originY;
}

bool ImagePaneSampleAt(const ImagePaneRecord* r, float x, float y, uint32_t modifiers, float rgb[3]) {
  rgb[0] = rgb[1] = rgb[2] = 0;
  const bool shift = modifiers & kPLModifierShift, option = modifiers & kPLModifierOption;
  const int32_t k = shift && option ? 4 : option ? 2 : shift ? 1 : 0;
  if (!std::isfinite(x) || !std::isfinite(y)) return false;
  const int32_t cx = int32_t(std::floor(x)), cy = int32_t(std::floor(y));
  // The frame read from is the one whose bounds count: the readout frame's
  // own, else the picture's.
  const FBFrameStruct* frame = r->readoutFrame;
  const int32_t width = frame ? int32_t(frame->width) : r->picture ? TKImageWidth(r->picture) : 0;
  const int32_t height = frame ? int32_t(frame->height) : r->picture ? TKImageHeight(r->picture) : 0;
  double sum[3] = {0, 0, 0};
  int32_t count = 0;
  for (int32_t py = cy - k; py <= cy + k; ++py) {
    if (py < 0 || py >= height) continue;
    for (int32_t px = cx - k; px <= cx + k; ++px) {
      if (px < 0 || px >= width) continue;
      if (frame) {
        float v[4];
        FBGetRGBPixel(frame, px, py, v);
        for (int i = 0; i < 3; ++i) sum[i] += v[i];
      } else {
        const uint32_t v = TKImageGetPixel(r->picture, px, py);
        sum[0] += ((v >> 16) & 0xFF) / 255.0;
        sum[1] += ((v >> 8) & 0xFF) / 255.0;
        sum[2] += (v & 0xFF) / 255.0;
      }
      ++count;
    }
  }
  if (count == 0) return false;
  for (int i = 0; i < 3; ++i) rgb[i] = float(sum[i] / count);
  return true;
}

void ImagePaneTimerFire(TKControl* pane) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  if (!r || !TKIsControlVisible(pane)) return;
  if (!PLIsFrontProcess()) {
    r->inBackground = true;
    if (r->timer) TKSetTimerNextFire(r->timer, kBackgroundInterval);
    return;
  }
  r->inBackground = false;
  // The mouse in the content coordinates of the window the pane draws in.
  const TKRect window = TKGetWindowBounds(drawWindow(r));
  TKPoint mouse = TKGetMouseLocation();
  mouse.x -= window.left;
  mouse.y -= window.top;
  if (!TKRectContains(r->viewRect, mouse)) {
    if (r->sampleDone && !r->splitDragging) *r->sampleDone = 0;
    // The cursor this pane asked for goes with the mouse.
    if (r->cursorRequested && !r->splitDragging) gRequestedCursor = 0;
    r->cursorRequested = false;
    return;
  }
  if (!r->picture) return;
  UpdateImagePaneCursors(r);
  int32_t cursor = r->currentCursor;
  if (r->sampleTarget) {
    float x, y;
    ImagePaneViewToPicture(r, mouse, &x, &y);
    ImagePaneSampleAt(r, x, y, PLGetKeyboardModifiers(), r->sampleTarget);
    if (r->sampleDone) *r->sampleDone = 1;
  }
  if (r->splitShown) {
    float fx, fy;
    ImagePaneViewFractions(r, mouse, &fx, &fy);
    if (int32_t handle = ImagePaneUpdateSplitHandles(r, fx, fy)) cursor = handle;
  }
  gRequestedCursor = cursor;
  r->cursorRequested = true;
}
