// The split line: its ends dragged along the view's edges, the line as
// fractions of the picture, and the mask that divides the split views.
//
// End 1 lies on the top or left edge and end 2 on the bottom or right edge.
// The mask is black on the side of the line that holds the picture's left
// edge (the source or reference side) and white on the other.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/views/image_pane_internal.h"

namespace {

constexpr float kHandleReach = 0.02f;

// Which side of the line a point lies on (positive: the left-edge side).
double side(double x1, double y1, double x2, double y2, double px, double py) {
  return (x2 - x1) * (py - y1) - (y2 - y1) * (px - x1);
}

// The sign that marks the left-edge side: taken at the bottom-left corner,
// or left of the picture when the line runs through that corner.
double leftSideSign(double x1, double y1, double x2, double y2) {
  double s = side(x1, y1, x2, y2, 0.0, 1.0);
  if (std::fabs(s) < 1e-9) s = side(x1, y1, x2, y2, -1.0, 1.0);
  return s;
}

}  // namespace

void ImagePaneViewFractions(const ImagePaneRecord* r, TKPoint where, float* fx, float* fy) {
  const float w = float(std::max(1, TKRectWidth(r->viewRect) - 1));
  const float h = float(std::max(1, TKRectHeight(r->viewRect) - 1));
  *fx = std::clamp(float(where.x - r->viewRect.left) / w, 0.0f, 1.0f);
  *fy = std::clamp(float(where.y - r->viewRect.top) / h, 0.0f, 1.0f);
}

void ImagePaneDragSplitEnd(ImagePaneRecord* r, float fx, float fy) {
  // An end slides only along the edge it sits on exactly.
  if (r->splitEnd2Hot && !r->splitEnd1Hot) {
    if (r->splitY2 == 1.0f)
      r->splitX2 = fx;
    else if (r->splitX2 == 1.0f)
      r->splitY2 = fy;
  } else if (r->splitEnd1Hot) {
    if (r->splitY1 == 0.0f)
      r->splitX1 = fx;
    else if (r->splitX1 == 0.0f)
      r->splitY1 = fy;
  }
}

int32_t ImagePaneUpdateSplitHandles(ImagePaneRecord* r, float fx, float fy) {
  const float d1 = std::hypot(fx - r->splitX1, fy - r->splitY1);
  const float d2 = std::hypot(fx - r->splitX2, fy - r->splitY2);
  if (d1 >= kHandleReach && d2 >= kHandleReach) {
    if (!r->splitDragging) r->splitEnd1Hot = r->splitEnd2Hot = false;
    return 0;
  }
  r->splitEnd1Hot = d1 <= d2;
  r->splitEnd2Hot = !r->splitEnd1Hot;
  const bool nearLeftOrRight = fx < kHandleReach || fx > 1.0f - kHandleReach;
  const bool nearTopOrBottom = fy < kHandleReach || fy > 1.0f - kHandleReach;
  if (nearLeftOrRight && nearTopOrBottom) return kCursorSplitCorner;
  if (nearTopOrBottom) return kCursorSplitHorizontalEdge;
  if (nearLeftOrRight) return kCursorSplitVerticalEdge;
  return 0;
}

void GetVisibleSplitLine(TKControl* pane, float* x1, float* y1, float* x2, float* y2) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  if (!r || !x1 || !y1 || !x2 || !y2) return;
  *x1 = r->splitX1, *y1 = r->splitY1, *x2 = r->splitX2, *y2 = r->splitY2;
  if (!r->picture) return;
  const float pw = float(TKImageWidth(r->picture)), ph = float(TKImageHeight(r->picture));
  const float vw = float(TKRectWidth(r->viewRect)), vh = float(TKRectHeight(r->viewRect));
  // View fractions to picture fractions through the offsets, scale and zoom.
  auto toPicture = [&](float fx, float fy, float* px, float* py) {
    *px = (r->zoom * r->scaleX * (fx * vw - float(r->imageOffsetH)) + r->originX) / r->pixelAspect / pw;
    *py = (r->zoom * r->scaleY * (fy * vh - float(r->imageOffsetV)) + r->originY) / ph;
  };
  toPicture(r->splitX1, r->splitY1, x1, y1);
  toPicture(r->splitX2, r->splitY2, x2, y2);
  // The part of the picture that is drawn, in picture fractions.
  const float left = r->originX / r->pixelAspect / pw, top = r->originY / ph;
  const float right = std::min(1.0f, left + r->zoom), bottom = std::min(1.0f, top + r->zoom);
  const double ref = leftSideSign(*x1, *y1, *x2, *y2);
  int32_t onLeftSide = 0, onOtherSide = 0;
  for (float cx : {left, right})
    for (float cy : {top, bottom}) {
      const double s = side(*x1, *y1, *x2, *y2, cx, cy) * ref;
      onLeftSide += s > 0;
      onOtherSide += s < 0;
    }
  // Corners on the line itself count for either side.
  if (onLeftSide == 0)
    *x1 = 0, *y1 = 0, *x2 = 0, *y2 = 1;  // none of it on the source side: the left edge
  else if (onOtherSide == 0)
    *x1 = 1, *y1 = 0, *x2 = 1, *y2 = 1;  // all of it: the right edge
}

void BuildSplitViewMask(TKImage* mask, float x1, float y1, float x2, float y2) {
  if (!mask) return;
  const int32_t width = TKImageWidth(mask), height = TKImageHeight(mask);
  if (width <= 0 || height <= 0) return;
  const double ref = leftSideSign(x1, y1, x2, y2);
  uint8_t* pixels = TKImagePixels(mask);
  const size_t rowBytes = size_t(TKImageRowBytes(mask));
  constexpr uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;
  for (int32_t y = 0; y < height; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(pixels + size_t(y) * rowBytes);
    const double py = (y + 0.5) / height;
    for (int32_t x = 0; x < width; ++x) {
      const double px = (x + 0.5) / width;
      row[x] = side(x1, y1, x2, y2, px, py) * ref > 0 ? kBlack : kWhite;
    }
  }
  TKImageMarkDirty(mask);
}
