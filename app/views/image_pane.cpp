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
std::vector<UIControl*> gRegistry;

// The record lives as long as the control's handler (and the floating
// window's, when there is one) holds it; going, it leaves the registry.
void freeRecord(ImagePaneRecord* r) {
  gRegistry.erase(std::remove(gRegistry.begin(), gRegistry.end(), r->control), gRegistry.end());
  delete r;
}

// The timer ends when its pane has gone, taking the floating window with it.
void timerFired(UIControl* pane, const std::weak_ptr<ImagePaneRecord>& weak, UITimer* timer) {
  std::shared_ptr<ImagePaneRecord> r = weak.lock();
  if (!r || !UIIsControlAlive(pane) || ImagePaneRecordOf(pane) != r.get()) {
    UIRemoveTimer(timer);
    if (r && r->floatingWindow) {
      UIWindow* floating = r->floatingWindow;
      r->floatingWindow = nullptr;
      r.reset();
      UIDisposeWindow(floating);
    }
    return;
  }
  ImagePaneTimerFire(pane);
}

}  // namespace

int32_t gRequestedCursor = 0;

ImagePaneRecord* ImagePaneRecordOf(UIControl* pane) {
  if (!pane || !UIIsControlAlive(pane)) return nullptr;
  ImagePaneRecord* r = nullptr;
  if (UIGetControlProperty(pane, kPaneCreator, kPaneRecordTag, &r, sizeof r, nullptr) != kQVNoErr) return nullptr;
  return r;
}

QVStatus CreateImagePane(UIWindow* window, const UIRect& bounds, UIControl** outPane) {
  if (outPane) *outPane = nullptr;
  if (!window || !outPane) return kQVErrParam;
  auto* r = new (std::nothrow) ImagePaneRecord;
  if (!r) return kQVErrMemory;
  std::shared_ptr<ImagePaneRecord> owner(r, freeRecord);
  UIUserPaneProcs procs;
  procs.draw = [](UIControl* c, UIContext* ctx) {
    // A pane with a floating window draws there instead.
    ImagePaneRecord* rec = ImagePaneRecordOf(c);
    if (rec && !rec->floatingWindow) ImagePaneDrawInto(rec, ctx);
  };
  procs.hitTest = [](UIControl* c, UIPoint p) -> int16_t {
    ImagePaneRecord* rec = ImagePaneRecordOf(c);
    return rec && UIRectContains(rec->viewRect, p) ? kImagePanePart : int16_t(kUIPartNone);
  };
  procs.track = [](UIControl* c, UIPoint p, uint32_t mods) { return ImagePaneTrackProc(c, p, mods); };
  UIControl* pane = UINewUserPane(window, bounds, procs);
  if (!pane) return kQVErrMemory;
  r->control = pane;
  r->window = window;
  r->bounds = bounds;
  r->viewRect = UIRectInset(bounds, 2, 2);
  UISetControlProperty(pane, kPaneCreator, kPaneRecordTag, &r, sizeof r);
  if (int32_t(gRegistry.size()) < kImagePaneMaxRegistered) gRegistry.push_back(pane);
  std::weak_ptr<ImagePaneRecord> weak = owner;
  r->handler = UIInstallControlHandler(
      pane, [pane, owner](UIEvent& e) { return ImagePaneControlEventHandler(pane, e); });
  r->timer = UIInstallTimer(0.2, 0.1, [pane, weak](UITimer* t) { timerFired(pane, weak, t); });
  *outPane = pane;
  return kQVNoErr;
}

int32_t ImagePaneRegisteredCount() { return int32_t(gRegistry.size()); }

UIControl* ImagePaneRegistered(int32_t index) {
  return index >= 0 && index < int32_t(gRegistry.size()) ? gRegistry[size_t(index)] : nullptr;
}

QVStatus SetImagePaneImage(UIControl* pane, UIImage* picture) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  if (!r) return kQVErrParam;
  r->picture = picture;
  r->drawnRect = UIRect{};
  if (r->floatingAllowed && !r->floatingWindow) return OpenImagePaneFloatingWindow(r);
  return kQVNoErr;
}

UIImage* ImagePaneGetImage(UIControl* pane) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  return r ? r->picture : nullptr;
}

#define PANE_OR_RETURN(...)                    \
  ImagePaneRecord* r = ImagePaneRecordOf(pane); \
  if (!r) return __VA_ARGS__

void ImagePaneSetFloatingAllowed(UIControl* pane, bool allowed) {
  PANE_OR_RETURN();
  r->floatingAllowed = allowed;
}
void ImagePaneSetLUTIndexRef(UIControl* pane, const int32_t* lutIndex) {
  PANE_OR_RETURN();
  r->lutIndex = lutIndex;
}
void ImagePaneSetLUT(UIControl* pane, const uint8_t* lut) {
  PANE_OR_RETURN();
  r->lut = lut;
}
void ImagePaneSetWheelProc(UIControl* pane, ImagePaneWheelProc proc) {
  PANE_OR_RETURN();
  r->wheelProc = proc;
}
void ImagePaneSetClickProc(UIControl* pane, ImagePaneClickProc proc) {
  PANE_OR_RETURN();
  r->clickProc = proc;
}
void ImagePaneResetView(UIControl* pane) {
  PANE_OR_RETURN();
  r->zoom = 1.0f;
  r->scaleX = r->scaleY = 1.0f;
  r->imageOffsetH = r->imageOffsetV = 0;
  r->originX = r->originY = 0;
  r->maxOriginX = r->maxOriginY = 0;
}
UIControl* ImagePaneGetLinkedControl(UIControl* pane) {
  PANE_OR_RETURN(nullptr);
  return r->linkedControl;
}
void ImagePaneSetLinkedControl(UIControl* pane, UIControl* linked) {
  PANE_OR_RETURN();
  r->linkedControl = linked;
}
void ImagePaneSetSecondLinkedControl(UIControl* pane, UIControl* linked) {
  PANE_OR_RETURN();
  r->secondLinkedControl = linked;
}
void ImagePaneSetClipRef(UIControl* pane, void* clip) {
  PANE_OR_RETURN();
  r->clip = clip;
}
void ImagePaneSetRole(UIControl* pane, int32_t role) {
  PANE_OR_RETURN();
  r->role = role;
}
void ImagePaneSetTrackingEnabled(UIControl* pane, bool enabled) {
  PANE_OR_RETURN();
  r->clipTracking = enabled;
  r->clipTrackingActive = false;
}
float ImagePaneGetPixelAspect(UIControl* pane) {
  PANE_OR_RETURN(1.0f);
  return r->pixelAspect;
}
void ImagePaneSetPixelAspect(UIControl* pane, float aspect) {
  PANE_OR_RETURN();
  // A width factor must be a positive number for the fit to mean anything.
  r->pixelAspect = aspect > 0.01f && aspect < 100.0f ? aspect : 1.0f;
}
void ImagePaneSetCustomCursors(UIControl* pane, bool on, int32_t plain, int32_t shift, int32_t option) {
  PANE_OR_RETURN();
  r->customCursors = on;
  r->customCursorPlain = plain;
  r->customCursorShift = shift;
  r->customCursorOption = option;
  r->customOptionCursor = option != 0;
}
void ImagePaneGetSplitLine(UIControl* pane, float* x1, float* y1, float* x2, float* y2) {
  PANE_OR_RETURN();
  if (x1) *x1 = r->splitX1;
  if (y1) *y1 = r->splitY1;
  if (x2) *x2 = r->splitX2;
  if (y2) *y2 = r->splitY2;
}
void ImagePaneSetSplitLine(UIControl* pane, float x1, float y1, float x2, float y2) {
  PANE_OR_RETURN();
  r->splitX1 = x1;
  r->splitY1 = y1;
  r->splitX2 = x2;
  r->splitY2 = y2;
}
bool ImagePaneGetSplitLineShown(UIControl* pane) {
  PANE_OR_RETURN(false);
  return r->splitShown;
}
void ImagePaneSetSplitLineShown(UIControl* pane, bool shown) {
  PANE_OR_RETURN();
  r->splitShown = shown;
  if (shown) r->splitEnd1Hot = r->splitEnd2Hot = false;
}
void ImagePaneSetColorSampleTarget(UIControl* pane, float* rgb, uint8_t* done) {
  PANE_OR_RETURN();
  r->sampleTarget = rgb;
  r->sampleDone = done;
}
int32_t ImagePaneGetCursor(UIControl* pane) {
  PANE_OR_RETURN(0);
  return r->defaultCursor;
}
void ImagePaneSetCursor(UIControl* pane, int32_t cursorID) {
  PANE_OR_RETURN();
  r->defaultCursor = cursorID;
}
void ImagePaneSetFrameBuffer(UIControl* pane, const FBFrameStruct* frame) {
  PANE_OR_RETURN();
  r->readoutFrame = frame;
}
void ImagePaneSetCornerLabel(UIControl* pane, const char* text, int32_t corner) {
  PANE_OR_RETURN();
  if (corner < 0 || corner > 3) return;
  std::memset(r->labels[corner], 0, sizeof r->labels[corner]);
  if (text) std::strncpy(r->labels[corner], text, sizeof r->labels[corner] - 1);
}
void ImagePaneResetViewRect(UIControl* pane, bool inset) {
  PANE_OR_RETURN();
  r->viewRect = inset ? UIRectInset(r->bounds, 2, 2) : r->bounds;
}
void ImagePaneSetTool(UIControl* pane, ImagePaneTool tool) {
  PANE_OR_RETURN();
  r->tool = tool;
}

void DrawImagePaneLinkedControl(UIControl* pane) {
  PANE_OR_RETURN();
  if (r->linkedControl) UIDrawControl(r->linkedControl);
}

void InvalidateImagePane(UIControl* pane) {
  PANE_OR_RETURN();
  if (r->floatingWindow)
    UIInvalidateRect(r->floatingWindow, r->bounds);
  else
    DrawImagePane(pane);
}

void DrawOrInvalidateImagePane(UIControl* pane, bool drawNow) {
  PANE_OR_RETURN();
  if (drawNow)
    DrawImagePane(pane);
  else
    UIInvalidateRect(drawWindow(r), r->bounds);
}

void RedrawAllImagePanes(UIControl* pane) {
  PANE_OR_RETURN();
  DrawImagePane(pane);
  UIControl* others[] = {GetViewPane(kPaneSource),     GetViewPane(kPaneResult),   GetReferenceImagePane(1),
                         GetViewPane(kPaneSplitSource), GetViewPane(kPaneSplitRef), GetViewPane(kPaneReference),
                         GetViewPane(kPaneReferenceAnalysis)};
  for (UIControl* other : others)
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
      {kCursorSample, kUICursorCrosshair},         {kCursorSampleShift, kUICursorCrosshair},
      {kCursorSampleOption, kUICursorCrosshair},   {kCursorSampleBoth, kUICursorCrosshair},
      {kCursorSplitCorner, kUICursorHand},         {kCursorSplitHorizontalEdge, kUICursorResizeLeftRight},
      {kCursorSplitVerticalEdge, kUICursorResizeUpDown}, {kCursorZoomIn, kUICursorCrosshair},
      {kCursorZoomOut, kUICursorCrosshair},        {kCursorZoomLimit, kUICursorArrow},
      {kCursorPan, kUICursorHand},
      {504, kUICursorHand},  // over a point of the luma-range graph
  };
  int32_t shown = gRequestedCursor < 128 ? gRequestedCursor : kUICursorArrow;
  if (UICursorDefined(gRequestedCursor)) {
    shown = gRequestedCursor;
  } else {
    for (const CursorMap& m : kMap)
      if (m.id == gRequestedCursor) shown = m.shown;
  }
  if (UIGetCursor() != shown) UISetCursor(shown);
}
