// Image panes: a user-pane control that shows one off-screen picture fitted
// to its frame, with its own zoom and pan, a pixel aspect ratio, a display
// LUT applied as it draws, corner labels, a draggable split line, colour
// sampling under the mouse on its own timer, tool cursors and clip
// scrubbing. Every pane lives on the main thread.
#pragma once

#include <cstdint>

#include "core/frame_buffer.h"
#include "platform/status.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_window.h"

struct TKImage;
struct TKControl;
struct TKWindow;
struct TKContext;

// Called with the picture point under the mouse: kind 1 after a click in
// the pane, 2 on a contextual click (whose point is reported
// kImagePaneContextClickRise picture rows above the mouse).
constexpr int32_t kImagePaneContextClickRise = 20;
using ImagePaneClickProc = void (*)(TKControl* pane, int32_t x, int32_t y, uint32_t modifiers, int32_t kind);
// Called after the picture is drawn, with the part of the picture drawn and
// where it went.
using ImagePaneOverlayProc = void (*)(TKContext* ctx, int32_t argument, const TKRect& source,
                                      const TKRect& destination, int32_t refCon);
// Called on a scroll-wheel event (point local to the view); kQVNoErr when it
// dealt with the event.
using ImagePaneWheelProc = QVStatus (*)(TKControl* pane, int32_t x, int32_t y, int32_t axis, int32_t delta,
                                        uint32_t modifiers);

constexpr int32_t kImagePaneMaxRegistered = 300;
constexpr int16_t kImagePanePart = 128;

// Creates a pane in window over bounds and registers it (when fewer than
// 300 are). kQVNoErr with the pane in *outPane, or kQVErrParam / kQVErrMemory
// with *outPane null.
QVStatus CreateImagePane(TKWindow* window, const TKRect& bounds, TKControl** outPane);
// The panes registered, in creation order.
int32_t ImagePaneRegisteredCount();
TKControl* ImagePaneRegistered(int32_t index);

// Sets the picture shown (none: an empty pane) and forgets where the last
// one was drawn. With floating allowed, opens the pane's own floating window
// over its place the first time; its status is returned, and on failure the
// pane keeps drawing into its window.
QVStatus SetImagePaneImage(TKControl* pane, TKImage* picture);
TKImage* ImagePaneGetImage(TKControl* pane);

// Setters and getters; each does nothing for a control that is not a pane.
void ImagePaneSetFloatingAllowed(TKControl* pane, bool allowed);
void ImagePaneSetLUTIndexRef(TKControl* pane, const int32_t* lutIndex);
void ImagePaneSetLUT(TKControl* pane, const uint8_t* lut);  // 256 red, 256 green, 256 blue
// The LUT the pane draws through now; null when it draws without one.
const uint8_t* ImagePaneGetActiveLUT(TKControl* pane);
void ImagePaneSetWheelProc(TKControl* pane, ImagePaneWheelProc proc);
void ImagePaneSetClickProc(TKControl* pane, ImagePaneClickProc proc);
void ImagePaneResetView(TKControl* pane);
TKControl* ImagePaneGetLinkedControl(TKControl* pane);
void ImagePaneSetLinkedControl(TKControl* pane, TKControl* linked);
void ImagePaneSetSecondLinkedControl(TKControl* pane, TKControl* linked);
void ImagePaneSetClipRef(TKControl* pane, void* clip);
void ImagePaneSetRole(TKControl* pane, int32_t role);  // 1 main image, 2 and 3 reference slots, else a clip pane
bool ImagePaneIsMainImage(TKControl* pane);
void ImagePaneSetTrackingEnabled(TKControl* pane, bool enabled);
float ImagePaneGetPixelAspect(TKControl* pane);  // 1.0 for a control that is not a pane
void ImagePaneSetPixelAspect(TKControl* pane, float aspect);
void ImagePaneSetCustomCursors(TKControl* pane, bool on, int32_t plain, int32_t shift, int32_t option);
void ImagePaneGetSplitLine(TKControl* pane, float* x1, float* y1, float* x2, float* y2);
void ImagePaneSetSplitLine(TKControl* pane, float x1, float y1, float x2, float y2);
bool ImagePaneGetSplitLineShown(TKControl* pane);
void ImagePaneSetSplitLineShown(TKControl* pane, bool shown);
// Where sampled colours (R, G, B, 0..1) go, and the byte set to 1 after each sample.
void ImagePaneSetColorSampleTarget(TKControl* pane, float* rgb, uint8_t* done);
int32_t ImagePaneGetCursor(TKControl* pane);
void ImagePaneSetCursor(TKControl* pane, int32_t cursorID);
// The frame whose float pixels sampling reads (none: the picture's pixels).
void ImagePaneSetFrameBuffer(TKControl* pane, const FBFrameStruct* frame);
// Corners 0 bottom left, 1 bottom right, 2 top left, 3 top right; at most 127 bytes.
void ImagePaneSetCornerLabel(TKControl* pane, const char* text, int32_t corner);
void ImagePaneResetViewRect(TKControl* pane, bool inset);
// The pane's tool: the arrow (sampling and split drags), zoom or pan.
enum ImagePaneTool : int32_t { kImagePaneToolArrow = 0, kImagePaneToolZoom = 1, kImagePaneToolPan = 2 };
void ImagePaneSetTool(TKControl* pane, ImagePaneTool tool);

// Drawing.
void DrawImagePane(TKControl* pane);
void DrawImagePaneLinkedControl(TKControl* pane);
// Invalidates the floating window's pane, else draws the pane.
void InvalidateImagePane(TKControl* pane);
// Draws the pane, then the main views' panes that are not this one.
void RedrawAllImagePanes(TKControl* pane);
// Draws the pane at once (drawNow) or invalidates its bounds; nothing for none.
void DrawOrInvalidateImagePane(TKControl* pane, bool drawNow);

// Fits the picture to the pane's view now, as drawing does, so that the
// split line reads in picture fractions before the pane was ever drawn.
void ImagePaneFitPicture(TKControl* pane);

// Split line as fractions of the whole picture, through the pane's zoom and
// pan; a picture wholly on one side of the line gives its edge on that side.
void GetVisibleSplitLine(TKControl* pane, float* x1, float* y1, float* x2, float* y2);
// Mask white, then black on the left-edge side of the line from (x1, y1) on
// the top or left edge to (x2, y2) on the bottom or right edge.
void BuildSplitViewMask(TKImage* mask, float x1, float y1, float x2, float y2);

// The pane's click action after a scrub.
void ImagePaneClickAction(TKControl* pane);

// The cursor the panes ask for (0 the arrow); the application's timer
// installs it.
extern int32_t gRequestedCursor;
void InstallRequestedCursor();
