// The image pane's record and the arithmetic of fitting, zooming, sampling
// and the split line, open to the pane's own files and its tests.
#pragma once

#include <cstdint>
#include <memory>

#include "app/views/image_pane.h"
#include "platform/ui/ui_event.h"
#include "platform/ui/ui_loop.h"

struct ImagePaneRecord : std::enable_shared_from_this<ImagePaneRecord> {
  TKControl* control = nullptr;
  TKWindow* floatingWindow = nullptr;
  TKWindow* window = nullptr;
  TKImage* picture = nullptr;
  TKRect bounds;
  TKRect viewRect;  // bounds inset by 2, or bounds
  TKTimer* timer = nullptr;
  int32_t imageOffsetH = 0, imageOffsetV = 0;  // drawn image's top-left inside viewRect
  float scaleX = 1.0f, scaleY = 1.0f;          // picture pixels per view pixel at zoom 1
  float originX = 0, originY = 0;              // pan: picture pixel at the view's left and top
  int32_t maxOriginX = 0, maxOriginY = 0;
  float zoom = 1.0f;  // fraction of the fitted picture shown: 1.0 down to 0.0625
  float pixelAspect = 1.0f;
  TKRect drawnRect;
  const FBFrameStruct* readoutFrame = nullptr;
  int32_t defaultCursor = 0;
  float* sampleTarget = nullptr;
  float splitX1 = 0.5f, splitY1 = 0.0f, splitX2 = 0.5f, splitY2 = 1.0f;  // fractions of the view
  bool splitShown = false, splitEnd1Hot = false, splitEnd2Hot = false, splitDragging = false;
  uint8_t* sampleDone = nullptr;
  ImagePaneTool tool = kImagePaneToolArrow;
  bool panning = false, customCursors = false, pressed = false, customOptionCursor = false;
  int32_t customCursorPlain = 0, customCursorShift = 0, customCursorOption = 0;
  TKControl* secondLinkedControl = nullptr;
  bool clipTracking = false, clipTrackingActive = false;
  void* clip = nullptr;
  int32_t overlayArgument = 0;
  int32_t role = 0;
  TKControl* linkedControl = nullptr;
  const uint8_t* lut = nullptr;
  const int32_t* lutIndex = nullptr;
  char labels[4][128] = {};
  ImagePaneClickProc clickProc = nullptr;
  ImagePaneOverlayProc overlayProc = nullptr;
  ImagePaneWheelProc wheelProc = nullptr;
  int32_t overlayRefCon = 0;
  bool floatingAllowed = false;
  int32_t cursors[8] = {};  // by modifiers: none, Shift, Option, Control, Shift-Option, Shift-Control, Option-Control, all
  int32_t currentCursor = 0;
  bool cursorRequested = false;  // the requested cursor is this pane's
  bool inBackground = false;
  TKHandlerRef handler = 0;
};

// The record of a pane, or null for any other control.
ImagePaneRecord* ImagePaneRecordOf(TKControl* pane);
// The window the pane draws in and takes the mouse from: its floating
// window when it has one.
inline TKWindow* drawWindow(const ImagePaneRecord* r) { return r->floatingWindow ? r->floatingWindow : r->window; }

// Where a picture goes in the view: the fitted scale, the zoomed source
// rectangle in picture pixels, the destination inside the view, the pan
// limits and the origin clamped to them.
struct ImagePaneFit {
  float scale = 1.0f;
  TKRect source;
  TKRect destination;
  int32_t maxOriginX = 0, maxOriginY = 0;
  float originX = 0, originY = 0;
};
ImagePaneFit ImagePaneComputeFit(int32_t pictureWidth, int32_t pictureHeight, const TKRect& viewRect, float zoom,
                                  float pixelAspect, float originX, float originY);
// Applies a fit to the record: scale, pan limits, clamped origin, image offsets.
void ImagePaneApplyFit(ImagePaneRecord* r, const ImagePaneFit& fit);
// Fits the record's picture into its view as drawing would.
void ImagePaneRefit(ImagePaneRecord* r);

// The next zoom step: in towards 0.0625, or out towards 1.0. A zoom not on
// the steps is kept.
float ImagePaneNextZoom(float zoom, bool out);
// Steps the zoom keeping the picture point under (h, v) where it is; true
// when the zoom changed.
bool ImagePaneZoomAt(ImagePaneRecord* r, TKPoint where, bool out);

// The picture point under a window point.
void ImagePaneViewToPicture(const ImagePaneRecord* r, TKPoint where, float* x, float* y);
// Averages the square 2k+1 on a side around the picture point (k by the
// modifiers: 0, Shift 1, Option 2, both 4) from the readout frame or the
// picture; pixels outside are skipped. False when no pixel counted (rgb 0).
bool ImagePaneSampleAt(const ImagePaneRecord* r, float x, float y, uint32_t modifiers, float rgb[3]);

// The mouse as fractions of the view, clamped to 0..1.
void ImagePaneViewFractions(const ImagePaneRecord* r, TKPoint where, float* fx, float* fy);
// Moves the hot split end along its edge to the fractions.
void ImagePaneDragSplitEnd(ImagePaneRecord* r, float fx, float fy);
// Marks the split end near the fractions hot (or none); returns the cursor
// the handle asks for, 0 when none is near.
int32_t ImagePaneUpdateSplitHandles(ImagePaneRecord* r, float fx, float fy);

// The cursor set by modifiers, and the index of a modifier combination.
void UpdateImagePaneCursors(ImagePaneRecord* r);
int32_t ImagePaneModifierIndex(uint32_t modifiers);

// Draws the pane into the window's drawing context.
void ImagePaneDrawInto(ImagePaneRecord* r, TKContext* ctx);
// The split line's handles (and the line itself while dragging).
void DrawImagePaneOverlay(ImagePaneRecord* r, TKContext* ctx, bool dragging);

// Opens the pane's floating window over its place in its window; the
// window's status (the pane keeps its window when it fails).
QVStatus OpenImagePaneFloatingWindow(ImagePaneRecord* r);

// One run of the sampling timer.
void ImagePaneTimerFire(TKControl* pane);
// The control's event handler and tracking procedure.
QVStatus ImagePaneControlEventHandler(TKControl* pane, TKEvent& e);
int16_t ImagePaneTrackProc(TKControl* pane, TKPoint where, uint32_t modifiers);

// Cursor ids the panes use.
enum : int32_t {
  kCursorSample = 500,
  kCursorSplitCorner = 506,
  kCursorSplitHorizontalEdge = 507,
  kCursorSplitVerticalEdge = 508,
  kCursorZoomIn = 509,
  kCursorZoomOut = 510,
  kCursorZoomLimit = 511,
  kCursorPan = 512,
  kCursorSampleShift = 513,
  kCursorSampleOption = 514,
  kCursorSampleBoth = 515,
};
