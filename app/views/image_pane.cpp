// Image panes: creation, the registry, and the pane's settings.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "app/views/central_update.h"
#include "app/views/image_pane_internal.h"
#include "platform/fourcc.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_window.h"

namespace {

constexpr uint32_t kPaneCreator = QVFourCC("QVc3");
constexpr uint32_t kPaneRecordTag = QVFourCC("IPrc");

// The first 300 panes in creation order.
std::vector<TKControl*> gRegistry;

// The record lives as long as the control's handler (and the floating
// window's, when there is one) holds it; going, it leaves the registry.
void freeRecord(ImagePaneRecord* r) {
  gRegistry.erase(std::remove(gRegistry.begin(), gRegistry.end(), r->control), gRegistry.end());
  delete r;
}

// The timer ends when its pane has gone, taking the floating window with it.
void timerFired(TKControl* pane, const std::weak_ptr<ImagePaneRecord>& weak, TKTimer* timer) {
  std::shared_ptr<ImagePaneRecord> r = weak.lock();
  if (!r || !TKIsControlAlive(pane) || ImagePaneRecordOf(pane) != r.get()) {
    TKRemoveTimer(timer);
    if (r && r->floatingWindow) {
      TKWindow* floating = r->floatingWindow;
      r->floatingWindow = nullptr;
      r.reset();
      TKDisposeWindow(floating);
    }
    return;
  }
  ImagePaneTimerFire(pane);
}

}  // namespace

int32_t gRequestedCursor = 0;

ImagePaneRecord* ImagePaneRecordOf(TKControl* pane) {
  if (!pane || !TKIsControlAlive(pane)) return nullptr;
  ImagePaneRecord* r = nullptr;
  if (TKGetControlProperty(pane, kPaneCreator, kPaneRecordTag, &r, sizeof r, nullptr) != kQVNoErr) return nullptr;
  return r;
}

QVStatus CreateImagePane(TKWindow* window, const TKRect& bounds, TKControl** outPane) {
  if (outPane) *outPane = nullptr;
  if (!window || !outPane) return kQVErrParam;
  auto* r = new (std::nothrow) ImagePaneRecord;
  if (!r) return kQVErrMemory;
  std::shared_ptr<ImagePaneRecord> owner(r, freeRecord);
  TKUserPaneProcs procs;
  procs.draw = [](TKControl* c, TKContext* ctx) {
    // A pane with a floating window draws there instead.
    ImagePaneRecord* rec = ImagePaneRecordOf(c);
    if (rec && !rec->floatingWindow) ImagePaneDrawInto(rec, ctx);
  };
  procs.hitTest = [](TKControl* c, TKPoint p) -> int16_t {
    ImagePaneRecord* rec = ImagePaneRecordOf(c);
    return rec && TKRectContains(rec->viewRect, p) ? kImagePanePart : int16_t(kTKPartNone);
  };
  procs.track = [](TKControl* c, TKPoint p, uint32_t mods) { return ImagePaneTrackProc(c, p, mods); };
  TKControl* pane = TKNewUserPane(window, bounds, procs);
  if (!pane) return kQVErrMemory;
  r->control = pane;
  r->window = window;
  r->bounds = bounds;
  r->viewRect = TKRectInset(bounds, 2, 2);
  // A pane that cannot hold its record would be inert: it goes, and the
  // caller hears why.
  if (QVStatus status = TKSetControlProperty(pane, kPaneCreator, kPaneRecordTag, &r, sizeof r)) {
    TKDisposeControl(pane);
    return status;
  }
  if (int32_t(gRegistry.size()) < kImagePaneMaxRegistered) gRegistry.push_back(pane);
  std::weak_ptr<ImagePaneRecord> weak = owner;
  r->handler = TKInstallControlHandler(
      pane, [pane, owner](TKEvent& e) { return ImagePaneControlEventHandler(pane, e); });
  r->timer = TKInstallTimer(0.2, 0.1, [pane, weak](TKTimer* t) { timerFired(pane, weak, t); });
  *outPane = pane;
  return kQVNoErr;
}

int32_t ImagePaneRegisteredCount() { return int32_t(gRegistry.size()); }

TKControl* ImagePaneRegistered(int32_t index) {
  return index >= 0 && index < int32_t(gRegistry.size()) ? gRegistry[size_t(index)] : nullptr;
}

QVStatus SetImagePaneImage(TKControl* pane, TKImage* picture) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  if (!r) return kQVErrParam;
  r->picture = picture;
  r->drawnRect = TKRect{};
  if (r->floatingAllowed && !r->floatingWindow) return OpenImagePaneFloatingWindow(r);
  return kQVNoErr;
}

TKImage* ImagePaneGetImage(TKControl* pane) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  return r ? r->picture : nullptr;
}

#define PANE_OR_RETURN(...)                    \
  ImagePaneRecord* r = ImagePaneRecordOf(pane); \
  if (!r) return __VA_ARGS__

void ImagePaneSetFloatingAllowed(TKControl* pane, bool allowed) {
  PANE_OR_RETURN();
  r->floatingAllowed = allowed;
}
void ImagePaneSetLUTIndexRef(TKControl* pane, const int32_t* lutIndex) {
  PANE_OR_RETURN();
  r->lutIndex = lutIndex;
}
void ImagePaneSetLUT(TKControl* pane, const uint8_t* lut) {
  PANE_OR_RETURN();
  r->lut = lut;
}
void ImagePaneSetWheelProc(TKControl* pane, ImagePaneWheelProc proc) {
  PANE_OR_RETURN();
  r->wheelProc = proc;
}
void ImagePaneSetClickProc(TKControl* pane, ImagePaneClickProc proc) {
  PANE_OR_RETURN();
  r->clickProc = proc;
}
void ImagePaneResetView(TKControl* pane) {
  PANE_OR_RETURN();
  r->zoom = 1.0f;
  r->scaleX = r->scaleY = 1.0f;
  r->imageOffsetH = r->imageOffsetV = 0;
  r->originX = r->originY = 0;
  r->maxOriginX = r->maxOriginY = 0;
}
TKControl* ImagePaneGetLinkedControl(TKControl* pane) {
  PANE_OR_RETURN(nullptr);
  return r->linkedControl;
}
void ImagePaneSetLinkedControl(TKControl* pane, TKControl* linked) {
  PANE_OR_RETURN();
  r->linkedControl = linked;
}
void ImagePaneSetSecondLinkedControl(TKControl* pane, TKControl* linked) {
  PANE_OR_RETURN();
  r->secondLinkedControl = linked;
}
void ImagePaneSetClipRef(TKControl* pane, void* clip) {
  PANE_OR_RETURN();
  r->clip = clip;
}
void ImagePaneSetRole(TKControl* pane, int32_t role) {
  PANE_OR_RETURN();
  r->role = role;
}
void ImagePaneSetTrackingEnabled(TKControl* pane, bool enabled) {
  PANE_OR_RETURN();
  r->clipTracking = enabled;
  r->clipTrackingActive = false;
}
float ImagePaneGetPixelAspect(TKControl* pane) {
  PANE_OR_RETURN(1.0f);
  return r->pixelAspect;
}
void ImagePaneSetPixelAspect(TKControl* pane, float aspect) {
  PANE_OR_RETURN();
  // A width factor must be a positive number for the fit to mean anything.
  r->pixelAspect = aspect > 0.01f && aspect < 100.0f ? aspect : 1.0f;
}
void ImagePaneSetCustomCursors(TKControl* pane, bool on, int32_t plain, int32_t shift, int32_t option) {
  PANE_OR_RETURN();
  r->customCursors = on;
  r->customCursorPlain = plain;
  r->customCursorShift = shift;
  r->customCursorOption = option;
  r->customOptionCursor = option != 0;
}
void ImagePaneGetSplitLine(TKControl* pane, float* x1, float* y1, float* x2, float* y2) {
  PANE_OR_RETURN();
  if (x1) *x1 = r->splitX1;
  if (y1) *y1 = r->splitY1;
  if (x2) *x2 = r->splitX2;
  if (y2) *y2 = r->splitY2;
}
void ImagePaneSetSplitLine(TKControl* pane, float x1, float y1, float x2, float y2) {
  PANE_OR_RETURN();
  r->splitX1 = x1;
  r->splitY1 = y1;
  r->splitX2 = x2;
  r->splitY2 = y2;
}
bool ImagePaneGetSplitLineShown(TKControl* pane) {
  PANE_OR_RETURN(false);
  return r->splitShown;
}
void ImagePaneSetSplitLineShown(TKControl* pane, bool shown) {
  PANE_OR_RETURN();
  r->splitShown = shown;
  if (shown) r->splitEnd1Hot = r->splitEnd2Hot = false;
}
void ImagePaneSetColorSampleTarget(TKControl* pane, float* rgb, uint8_t* done) {
  PANE_OR_RETURN();
  r->sampleTarget = rgb;
  r->sampleDone = done;
}
int32_t ImagePaneGetCursor(TKControl* pane) {
  PANE_OR_RETURN(0);
  return r->defaultCursor;
}
void ImagePaneSetCursor(TKControl* pane, int32_t cursorID) {
  PANE_OR_RETURN();
  r->defaultCursor = cursorID;
}
void ImagePaneSetFrameBuffer(TKControl* pane, const FBFrameStruct* frame) {
  PANE_OR_RETURN();
  r->readoutFrame = frame;
}
void ImagePaneSetCornerLabel(TKControl* pane, const char* text, int32_t corner) {
  PANE_OR_RETURN();
  if (corner < 0 || corner > 3) return;
  std::memset(r->labels[corner], 0, sizeof r->labels[corner]);
  if (text) std::strncpy(r->labels[corner], text, sizeof r->labels[corner] - 1);
}
void ImagePaneResetViewRect(TKControl* pane, bool inset) {
  PANE_OR_RETURN();
  r->viewRect = inset ? TKRectInset(r->bounds, 2, 2) : r->bounds;
}
void ImagePaneSetTool(TKControl* pane, ImagePaneTool tool) {
  PANE_OR_RETURN();
  r->tool = tool;
}

void DrawImagePaneLinkedControl(TKControl* pane) {
  PANE_OR_RETURN();
  if (r->linkedControl) TKDrawControl(r->linkedControl);
}

void InvalidateImagePane(TKControl* pane) {
  PANE_OR_RETURN();
  if (r->floatingWindow)
    TKInvalidateRect(r->floatingWindow, r->bounds);
  else
    DrawImagePane(pane);
}

void DrawOrInvalidateImagePane(TKControl* pane, bool drawNow) {
  PANE_OR_RETURN();
  if (drawNow)
    DrawImagePane(pane);
  else
    TKInvalidateRect(drawWindow(r), r->bounds);
}

void RedrawAllImagePanes(TKControl* pane) {
  PANE_OR_RETURN();
  DrawImagePane(pane);
  TKControl* others[] = {GetViewPane(kPaneSource),     GetViewPane(kPaneResult),   GetReferenceImagePane(1),
                         GetViewPane(kPaneSplitSource), GetViewPane(kPaneSplitRef), GetViewPane(kPaneReference),
                         GetViewPane(kPaneReferenceAnalysis)};
  for (TKControl* other : others)
    if (other && other != pane) DrawImagePane(other);
}

void InstallRequestedCursor() {
  // A cursor the program has drawn for the id is shown as it is; otherwise
  // the panes' own cursor ids stand for the nearest cursor the toolkit has.
  struct CursorMap {
    int32_t id;
    int32_t shown;
  };
  static const CursorMap kMap[] = {
      {kCursorSample, kTKCursorCrosshair},         {kCursorSampleShift, kTKCursorCrosshair},
      {kCursorSampleOption, kTKCursorCrosshair},   {kCursorSampleBoth, kTKCursorCrosshair},
      {kCursorSplitCorner, kTKCursorHand},         {kCursorSplitHorizontalEdge, kTKCursorResizeLeftRight},
      {kCursorSplitVerticalEdge, kTKCursorResizeUpDown}, {kCursorZoomIn, kTKCursorCrosshair},
      {kCursorZoomOut, kTKCursorCrosshair},        {kCursorZoomLimit, kTKCursorArrow},
      {kCursorPan, kTKCursorHand},
      {504, kTKCursorHand},  // over a point of the luma-range graph
  };
  int32_t shown = gRequestedCursor < 128 ? gRequestedCursor : kTKCursorArrow;
  if (TKCursorDefined(gRequestedCursor)) {
    shown = gRequestedCursor;
  } else {
    for (const CursorMap& m : kMap)
      if (m.id == gRequestedCursor) shown = m.shown;
  }
  if (TKGetCursor() != shown) TKSetCursor(shown);
}
