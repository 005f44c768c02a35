// Drawing an image pane: the picture fitted, zoomed and panned into the
// view, through the display LUT when one is chosen, the background strips,
// the corner labels, the overlay and the split line's handles.
#include <algorithm>
#include <cmath>

#include "app/views/image_pane_internal.h"
#include "app/views/pictures.h"
#include "app/views/preview_outputs.h"
#include "app/views/scope_labels.h"

namespace {

const TKColor kPaneBackground{0.16, 0.16, 0.17, 1};

// The corner labels (0 bottom left, 1 bottom right, 2 top left, 3 top right)
// in the corners of the view.
void drawCornerLabels(const ImagePaneRecord* r, TKContext* ctx) {
  for (int32_t corner = 0; corner < 4; ++corner) DrawPaneCornerLabels(ctx, &r->viewRect, r->labels[corner], corner);
}

}  // namespace

ImagePaneFit ImagePaneComputeFit(int32_t pictureWidth, int32_t pictureHeight, const TKRect& viewRect, float zoom,
                                  float pixelAspect, float originX, float originY) {
  ImagePaneFit fit;
  const float viewW = float(std::max(1, TKRectWidth(viewRect))), viewH = float(std::max(1, TKRectHeight(viewRect)));
  const float wide = float(pictureWidth) * pixelAspect, high = float(pictureHeight);
  if (pictureWidth <= 0 || pictureHeight <= 0) return fit;
  // Fit on the width, or on the height when the picture is relatively taller.
  fit.scale = wide / viewW;
  if (wide / high < viewW / viewH) fit.scale = high / viewH;
  const int32_t dstW = int32_t(std::lround(wide / fit.scale)), dstH = int32_t(std::lround(high / fit.scale));
  fit.destination = TKMakeRect(viewRect.left + (TKRectWidth(viewRect) - dstW) / 2,
                               viewRect.top + (TKRectHeight(viewRect) - dstH) / 2, dstW, dstH);
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
  fit.source = TKMakeRect(left, top, srcW, srcH);
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
  ImagePaneApplyFit(r, ImagePaneComputeFit(TKImageWidth(r->picture), TKImageHeight(r->picture), r->viewRect,
                                           r->zoom, r->pixelAspect, r->originX, r->originY));
}

void ImagePaneFitPicture(TKControl* pane) {
  if (ImagePaneRecord* r = ImagePaneRecordOf(pane)) ImagePaneRefit(r);
}

void ImagePaneDrawInto(ImagePaneRecord* r, TKContext* ctx) {
  TKSave(ctx);
  if (r->viewRect.left != r->bounds.left || r->viewRect.top != r->bounds.top) {
    TKSetStrokeColor(ctx, TKColor{0.08, 0.08, 0.09, 1});
    TKSetLineWidth(ctx, 1);
    TKFrameRect(ctx, r->bounds);
  }
  if (!r->picture || TKImageWidth(r->picture) <= 0 || TKImageHeight(r->picture) <= 0) {
    TKSetFillColor(ctx, kPaneBackground);
    TKFillRect(ctx, r->viewRect);
  } else {
    const ImagePaneFit fit = ImagePaneComputeFit(TKImageWidth(r->picture), TKImageHeight(r->picture), r->viewRect,
                                                 r->zoom, r->pixelAspect, r->originX, r->originY);
    ImagePaneApplyFit(r, fit);
    // A picture drawn smaller than its part is shown smoothed; a magnified
    // one keeps its pixels square.
    const bool magnified = TKRectHeight(fit.destination) > TKRectHeight(fit.source);
    TKSave(ctx);
    TKClipRect(ctx, r->viewRect);
    if (r->lut && r->lutIndex && *r->lutIndex != 0)
      // Without memory for the LUT's picture that draw shows nothing.
      QVIgnoreStatus(DrawGWorldThroughLUT(r->picture, ctx, fit.source, fit.destination, r->lut, !magnified));
    else
      TKDrawImage(ctx, r->picture, &fit.source, fit.destination, !magnified);
    TKRestore(ctx);
    // The strips of the view the picture leaves uncovered.
    TKSetFillColor(ctx, kPaneBackground);
    const TKRect& v = r->viewRect;
    const TKRect& d = fit.destination;
    TKFillRect(ctx, TKRect{v.top, v.left, d.top, v.right});
    TKFillRect(ctx, TKRect{d.bottom, v.left, v.bottom, v.right});
    TKFillRect(ctx, TKRect{d.top, v.left, d.bottom, d.left});
    TKFillRect(ctx, TKRect{d.top, d.right, d.bottom, v.right});
    r->drawnRect = d;
    drawCornerLabels(r, ctx);
    if (r->overlayProc) r->overlayProc(ctx, r->overlayArgument, fit.source, fit.destination, r->overlayRefCon);
  }
  if (r->splitShown) DrawImagePaneOverlay(r, ctx, r->splitDragging);
  TKRestore(ctx);
}

void DrawImagePaneOverlay(ImagePaneRecord* r, TKContext* ctx, bool dragging) {
  const TKRect& v = r->viewRect;
  const double w = TKRectWidth(v), h = TKRectHeight(v);
  const double x1 = v.left + w * r->splitX1, y1 = v.top + h * r->splitY1;
  const double x2 = v.left + w * r->splitX2, y2 = v.top + h * r->splitY2;
  TKSave(ctx);
  TKClipRect(ctx, v);
  TKSetStrokeColor(ctx, TKColor{1, 1, 1, 1});
  TKSetFillColor(ctx, TKColor{1, 1, 1, 1});
  TKSetLineWidth(ctx, 1);
  if (dragging) TKDrawLine(ctx, x1, y1, x2, y2);
  for (const double* end : {&x1, &x2}) {
    const double cx = *end, cy = end == &x1 ? y1 : y2;
    TKBeginPath(ctx);
    TKMoveTo(ctx, cx, cy - 4);
    TKLineTo(ctx, cx + 4, cy);
    TKLineTo(ctx, cx, cy + 4);
    TKLineTo(ctx, cx - 4, cy);
    TKClosePath(ctx);
    TKFillPath(ctx);
  }
  TKRestore(ctx);
}

void DrawImagePane(TKControl* pane) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  if (!r) return;
  if (r->floatingWindow)
    TKInvalidateRect(r->floatingWindow, r->bounds);
  else
    TKDrawControl(pane);
}
