#include "app/views/tone_curve.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/views/scope_backdrop.h"
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

void DrawScale(TKContext* ctx, const TKRect& plot) {
  const int32_t height = TKRectHeight(plot);
  TKSetStrokeColor(ctx, ScopeAccentColor(kScopeAccentFrame));
  TKFrameRect(ctx, plot);
  TKSetStrokeColor(ctx, ScopeAccentColor(kScopeAccentGrid));
  for (int k = 1; k <= 9; ++k) {
    double y = plot.top + std::floor(height * k / 10.0) + 0.5;
    TKDrawLine(ctx, plot.left + 1, y, plot.right - 2, y);
  }
  TKFont font{"Helvetica", 16, true, false};
  if (height < 321) font.size = (height - 1) / 20;
  if (font.size < 1) return;
  const double ascent = TKMeasureText(font, "0.0").ascent;
  TKSetFillColor(ctx, ScopeAccentColor(kScopeAccentFrame));
  for (int i = 0; i <= 10; i += 2) {
    char text[8];
    std::snprintf(text, sizeof text, "%1.1f", (10 - i) / 10.0);
    double y = plot.top + std::floor(height * i / 10.0);
    TKDrawText(ctx, font, text, plot.left - 2, y + ascent / 2, kTKAlignRight);
  }
}

}  // namespace

TKRect ToneCurvePlotRect(const TKRect& rect) {
  const int32_t m = int32_t(TKRectHeight(rect) * 0.03);
  TKRect plot = TKRectInset(rect, m, m);
  const int32_t side = std::max(0, TKRectHeight(plot));
  const int32_t left = rect.left + (TKRectWidth(rect) - side) / 2;
  return TKMakeRect(left, plot.top, side, side);
}

void DrawToneCurvePane(TKImage* target, const TKRect* rect, TKImage* picture, bool pictureIsResult) {
  if (!target) return;
  const TKRect area = rect ? *rect : TKMakeRect(0, 0, TKImageWidth(target), TKImageHeight(target));
  const TKRect plot = ToneCurvePlotRect(area);
  ScopeFillRect(target, area, kScopeBlackPixel);
  TKContext* ctx = TKBeginDrawing(target);
  if (!ctx) return;
  TKClipRect(ctx, area);
  DrawScale(ctx, plot);

  const int32_t width = TKRectWidth(plot), height = TKRectHeight(plot);
  FrameHolder ramp, output;
  if (picture && !ScopeUpdatesSuspended() && width >= 2 &&
      FBCreateRGBFrameBuffer(uint32_t(width), 1, &ramp.frame, kFBPixFormatPlanarFloat) == kQVNoErr &&
      FBCreateRGBFrameBuffer(uint32_t(width), 1, &output.frame, kFBPixFormatPlanarFloat) == kQVNoErr) {
    for (uint32_t plane = 0; plane < 4; ++plane)
      for (int32_t i = 0; i < width; ++i) Plane(ramp.frame, plane)[i] = float(i) / float(width - 1);
    FBFrameStruct* curves = ramp.frame;
    if (pictureIsResult && ProcessImage(ramp.frame, output.frame, 0, 0) == kQVNoErr) curves = output.frame;

    // One pixel a column; 0 on the bottom row, 1 on the top row.
    TKSetAntialias(ctx, false);
    for (uint32_t plane = 0; plane < 4; ++plane) {
      const float* v = Plane(curves, plane);
      TKSetStrokeColor(ctx, ScopeAccentColor(kPlaneAccents[plane]));
      // Through pixel centres, from the left edge of the first column to the
      // right edge of the last, so that both end pixels are covered.
      TKBeginPath(ctx);
      double y = 0;
      for (int32_t i = 0; i < width; ++i) {
        float value = std::isnan(v[i]) ? 0.0f : std::clamp(v[i], 0.0f, 1.0f);
        y = plot.bottom - 1 - std::lround(value * (height - 1)) + 0.5;
        if (i == 0) TKMoveTo(ctx, plot.left, y);
        TKLineTo(ctx, plot.left + i + 0.5, y);
      }
      TKLineTo(ctx, plot.left + width, y);
      TKStrokePath(ctx);
    }
  }
  TKEndDrawing(ctx);
}
