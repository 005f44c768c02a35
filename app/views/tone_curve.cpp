#include "app/views/tone_curve.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/views/scope_colors.h"
#include "app/views/scope_inputs.h"
#include "core/frame_buffer.h"
#include "core/process_image.h"

namespace {

const int32_t kPlaneAccents[4] = {kScopeAccentRed, kScopeAccentGreen, kScopeAccentBlue, kScopeAccentLuma};

// Owns a frame for the length of a draw.
struct FrameHolder {
  FBFrameStruct* frame = nullptr;
  ~FrameHolder() { FBDisposeFrameBuffer(frame); }
};

float* Plane(FBFrameStruct* frame, uint32_t plane) {
  return reinterpret_cast<float*>(frame->baseAddr + size_t(plane) * frame->planeBytes);
}

void DrawScale(UIContext* ctx, const UIRect& plot) {
  const int32_t height = UIRectHeight(plot);
  UISetStrokeColor(ctx, ScopeAccentColor(kScopeAccentFrame));
  UIFrameRect(ctx, plot);
  UISetStrokeColor(ctx, ScopeAccentColor(kScopeAccentGrid));
  for (int k = 1; k <= 9; ++k) {
    double y = plot.top + std::floor(height * k / 10.0) + 0.5;
    UIDrawLine(ctx, plot.left + 1, y, plot.right - 2, y);
  }
  UIFont font{"Helvetica", 16, true, false};
  if (height < 321) font.size = (height - 1) / 20;
  if (font.size < 1) return;
  const double ascent = UIMeasureText(font, "0.0").ascent;
  UISetFillColor(ctx, ScopeAccentColor(kScopeAccentFrame));
  for (int i = 0; i <= 10; i += 2) {
    char text[8];
    std::snprintf(text, sizeof text, "%1.1f", (10 - i) / 10.0);
    double y = plot.top + std::floor(height * i / 10.0);
    UIDrawText(ctx, font, text, plot.left - 2, y + ascent / 2, kUIAlignRight);
  }
}

}  // namespace

UIRect ToneCurvePlotRect(const UIRect& rect) {
  const int32_t m = int32_t(UIRectHeight(rect) * 0.03);
  UIRect plot = UIRectInset(rect, m, m);
  const int32_t side = std::max(0, UIRectHeight(plot));
  const int32_t left = rect.left + (UIRectWidth(rect) - side) / 2;
  return UIMakeRect(left, plot.top, side, side);
}

void DrawToneCurvePane(UIImage* target, const UIRect* rect, UIImage* picture, bool pictureIsResult) {
  if (!target) return;
  const UIRect area = rect ? *rect : UIMakeRect(0, 0, UIImageWidth(target), UIImageHeight(target));
  const UIRect plot = ToneCurvePlotRect(area);
  UIContext* ctx = UIBeginDrawing(target);
  if (!ctx) return;
  UIClipRect(ctx, area);
  UISetFillColor(ctx, UIColor{0, 0, 0, 1});
  UIFillRect(ctx, area);
  DrawScale(ctx, plot);

  const int32_t width = UIRectWidth(plot), height = UIRectHeight(plot);
  FrameHolder ramp, output;
  if (picture && !ScopeUpdatesSuspended() && width >= 2 &&
      FBCreateRGBFrameBuffer(uint32_t(width), 1, &ramp.frame, kFBPixFormatPlanarFloat) == kQVNoErr &&
      FBCreateRGBFrameBuffer(uint32_t(width), 1, &output.frame, kFBPixFormatPlanarFloat) == kQVNoErr) {
    for (uint32_t plane = 0; plane < 4; ++plane)
      for (int32_t i = 0; i < width; ++i) Plane(ramp.frame, plane)[i] = float(i) / float(width - 1);
    FBFrameStruct* curves = ramp.frame;
    if (pictureIsResult && ProcessImage(ramp.frame, output.frame, 0, 0) == kQVNoErr) curves = output.frame;

    // One pixel a column; 0 on the bottom row, 1 on the top row.
    UISetAntialias(ctx, false);
    for (uint32_t plane = 0; plane < 4; ++plane) {
      const float* v = Plane(curves, plane);
      UISetStrokeColor(ctx, ScopeAccentColor(kPlaneAccents[plane]));
      // Through pixel centres, from the left edge of the first column to the
      // right edge of the last, so that both end pixels are covered.
      UIBeginPath(ctx);
      double y = 0;
      for (int32_t i = 0; i < width; ++i) {
        float value = std::isnan(v[i]) ? 0.0f : std::clamp(v[i], 0.0f, 1.0f);
        y = plot.bottom - 1 - std::lround(value * (height - 1)) + 0.5;
        if (i == 0) UIMoveTo(ctx, plot.left, y);
        UILineTo(ctx, plot.left + i + 0.5, y);
      }
      UILineTo(ctx, plot.left + width, y);
      UIStrokePath(ctx);
    }
  }
  UIEndDrawing(ctx);
}
