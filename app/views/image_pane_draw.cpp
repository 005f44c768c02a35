// Drawing an image pane: the picture fitted, zoomed and panned into the
// view, through the display LUT when one is chosen, the background strips,
// the corner labels, the overlay and the split line's handles.
#include <algorithm>
#include <cmath>

#include "app/views/image_pane_internal.h"
#include "app/views/pictures.h"
#include "app/views/scope_labels.h"
#include "core/frame_buffer.h"
#include "core/task_pool.h"

namespace {

const UIColor kPaneBackground{0.16, 0.16, 0.17, 1};

// The corner labels (0 bottom left, 1 bottom right, 2 top left, 3 top right)
// in the corners of the view.
void drawCornerLabels(const ImagePaneRecord* r, UIContext* ctx) {
  for (int32_t corner = 0; corner < 4; ++corner) DrawPaneCornerLabels(ctx, &r->viewRect, r->labels[corner], corner);
}

// The zoomed part of the picture through the 768-byte LUT into destination.
// Nothing is drawn when the temporary picture cannot be made.
void drawThroughLUT(UIContext* ctx, UIImage* picture, const UIRect& source, const UIRect& destination,
                    const uint8_t* lut, bool smooth) {
  UIImage* part = UIImageCreate(UIRectWidth(source), UIRectHeight(source));
  if (!part) return;
  CopyGWorldRect(picture, part, source, UIMakeRect(0, 0, UIRectWidth(source), UIRectHeight(source)), kCopyModeSource);
  FBTransformWithLUTPix(UIImagePixels(part), uint32_t(UIImageWidth(part)), uint32_t(UIImageHeight(part)),
                        uint32_t(UIImageRowBytes(part)), lut, kFBPixFormat32ARGB, gNumProcessors, &gVLMPMaster);
  UIImageMarkDirty(part);
  UIDrawImage(ctx, part, nullptr, destination, smooth);
  UIImageDispose(part);
}

}  // namespace

ImagePaneFit ImagePaneComputeFit(int32_t pictureWidth, int32_t pictureHeight, const UIRect& viewRect, float zoom,
                                  float pixelAspect, float originX, float originY) {
  ImagePaneFit fit;
  const float viewW = float(std::max(1, UIRectWidth(viewRect))), viewH = float(std::max(1, UIRectHeight(viewRect)));
  const float wide = float(pictureWidth) * pixelAspect, high = float(pictureHeight);
  if (pictureWidth <= 0 || pictureHeight <= 0) return fit;
  // Fit on the width, or on the height when the picture is relatively taller.
  fit.scale = wide / viewW;
  if (wide / high < viewW / viewH) fit.scale = high / viewH;
  const int32_t dstW = int32_t(std::lround(wide / fit.scale)), dstH = int32_t(std::lround(high / fit.scale));
  fit.destination = UIMakeRect(viewRect.left + (UIRectWidth(viewRect) - dstW) / 2,
                               viewRect.top + (UIRectHeight(viewRect) - dstH) / 2, dstW, dstH);
  // Pan limits in widened picture pixels; the origin is held inside them.
  const float spanX = wide - zoom * fit.scale * viewW, spanY = high - zoom * fit.scale * viewH;
  fit.maxOriginX = spanX > 0 ? int32_t(spanX) : 0;
  fit.maxOriginY = spanY > 0 ? int32_t(spanY) : 0;
  fit.originX = std::clamp(originX, 0.0f, float(fit.maxOriginX));
  fit.originY = std::clamp(originY, 0.0f, float(fit.maxOriginY));
  const int32_t srcW = std::max(1, int32_t(std::lround(float(pictureWidth) * zoom)));
  const int32_t srcH = std::max(1, int32_t(std::lround(float(pictureHeight) * zoom)));
  const int32_t left = std::clamp(int32_t(std::lround(fit.originX / pixelAspect)), 0, pictureWidth - srcW);
  const int32_t top = std::clamp(int32_t(std::lround(fit.originY)), 0, pictureHeight - srcH);
  fit.source = UIMakeRect(left, top, srcW, srcH);
  return fit;
}

void ImagePaneApplyFit(ImagePaneRecord* r, const ImagePaneFit& fit) {
  r->scaleX = r->scaleY = fit.scale;
  r->maxOriginX = fit.maxOriginX;
  r->maxOriginY = fit.maxOriginY;
  r->originX = fit.originX;
  r->originY = fit.originY;
  r->imageOffsetH = fit.destination.left - r->viewRect.left;
  r->imageOffsetV = fit.destination.top - r->viewRect.top;
}

void ImagePaneRefit(ImagePaneRecord* r) {
  if (!r->picture) return;
  ImagePaneApplyFit(r, ImagePaneComputeFit(UIImageWidth(r->picture), UIImageHeight(r->picture), r->viewRect,
                                           r->zoom, r->pixelAspect, r->originX, r->originY));
}

void ImagePaneFitPicture(UIControl* pane) {
  if (ImagePaneRecord* r = ImagePaneRecordOf(pane)) ImagePaneRefit(r);
}

void ImagePaneDrawInto(ImagePaneRecord* r, UIContext* ctx) {
  UISave(ctx);
  if (r->viewRect.left != r->bounds.left || r->viewRect.top != r->bounds.top) {
    UISetStrokeColor(ctx, UIColor{0.08, 0.08, 0.09, 1});
    UISetLineWidth(ctx, 1);
    UIFrameRect(ctx, r->bounds);
  }
  if (!r->picture || UIImageWidth(r->picture) <= 0 || UIImageHeight(r->picture) <= 0) {
    UISetFillColor(ctx, kPaneBackground);
    UIFillRect(ctx, r->viewRect);
  } else {
    const ImagePaneFit fit = ImagePaneComputeFit(UIImageWidth(r->picture), UIImageHeight(r->picture), r->viewRect,
                                                 r->zoom, r->pixelAspect, r->originX, r->originY);
    ImagePaneApplyFit(r, fit);
    // A picture drawn smaller than its part is shown smoothed; a magnified
    // one keeps its pixels square.
    const bool magnified = UIRectHeight(fit.destination) > UIRectHeight(fit.source);
    UISave(ctx);
    UIClipRect(ctx, r->viewRect);
    if (r->lut && r->lutIndex && *r->lutIndex != 0)
      drawThroughLUT(ctx, r->picture, fit.source, fit.destination, r->lut, !magnified);
    else
      UIDrawImage(ctx, r->picture, &fit.source, fit.destination, !magnified);
    UIRestore(ctx);
    // The strips of the view the picture leaves uncovered.
    UISetFillColor(ctx, kPaneBackground);
    const UIRect& v = r->viewRect;
    const UIRect& d = fit.destination;
    UIFillRect(ctx, UIRect{v.top, v.left, d.top, v.right});
    UIFillRect(ctx, UIRect{d.bottom, v.left, v.bottom, v.right});
    UIFillRect(ctx, UIRect{d.top, v.left, d.bottom, d.left});
    UIFillRect(ctx, UIRect{d.top, d.right, d.bottom, v.right});
    r->drawnRect = d;
    drawCornerLabels(r, ctx);
    if (r->overlayProc) r->overlayProc(ctx, r->overlayArgument, fit.source, fit.destination, r->overlayRefCon);
  }
  if (r->splitShown) DrawImagePaneOverlay(r, ctx, r->splitDragging);
  UIRestore(ctx);
}

void DrawImagePaneOverlay(ImagePaneRecord* r, UIContext* ctx, bool dragging) {
  const UIRect& v = r->viewRect;
  const double w = UIRectWidth(v), h = UIRectHeight(v);
  const double x1 = v.left + w * r->splitX1, y1 = v.top + h * r->splitY1;
  const double x2 = v.left + w * r->splitX2, y2 = v.top + h * r->splitY2;
  UISave(ctx);
  UIClipRect(ctx, v);
  UISetStrokeColor(ctx, UIColor{1, 1, 1, 1});
  UISetFillColor(ctx, UIColor{1, 1, 1, 1});
  UISetLineWidth(ctx, 1);
  if (dragging) UIDrawLine(ctx, x1, y1, x2, y2);
  for (const double* end : {&x1, &x2}) {
    const double cx = *end, cy = end == &x1 ? y1 : y2;
    UIBeginPath(ctx);
    UIMoveTo(ctx, cx, cy - 4);
    UILineTo(ctx, cx + 4, cy);
    UILineTo(ctx, cx, cy + 4);
    UILineTo(ctx, cx - 4, cy);
    UIClosePath(ctx);
    UIFillPath(ctx);
  }
  UIRestore(ctx);
}

void DrawImagePane(UIControl* pane) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  if (!r) return;
  if (r->floatingWindow)
    UIInvalidateRect(r->floatingWindow, r->bounds);
  else
    UIDrawControl(pane);
}
