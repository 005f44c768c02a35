// Fitting a picture to the video output's size: heights a few lines apart
// are trimmed to meet, the aspect word widens, letterboxes or pillarboxes,
// the scaling word stretches or fits (with the output's pixel aspect when
// asked), and the result is centred, black around it, through the LUT.
#include <algorithm>
#include <cmath>

#include "app/views/preview_outputs.h"
#include "app/views/pictures.h"
#include "core/frame_buffer.h"
#include "core/task_pool.h"
#include "settings/prefs.h"

namespace {

// The pixel aspect of a 720-pixel-wide output: 1.125 for 480 to 486 lines,
// 0.9375 for 576, unless the source already has the output's size; else 1.
double pixelAspectFor(int32_t sw, int32_t sh, int32_t tw, int32_t th) {
  if (tw != 720 || (sw == tw && sh == th)) return 1.0;
  if (th >= 480 && th <= 486) return 1.125;
  if (th == 576) return 0.9375;
  return 1.0;
}

// Trims `rect` (of the taller picture) by `lines`: 2 off the top when it
// can, the rest off the bottom; the rectangle never leaves the picture.
void trim(TKRect* rect, int32_t lines) {
  const int32_t top = std::min(2, lines);
  rect->top += top;
  rect->bottom -= lines - top;
}

}  // namespace

VideoOutputPlacement ComputeVideoOutputPlacement(int32_t sw, int32_t sh, int32_t tw, int32_t th, bool convertAspect,
                                                 bool noScaling, int32_t scalingWord, int32_t aspectWord) {
  VideoOutputPlacement p;
  p.source = TKMakeRect(0, 0, sw, sh);
  p.targetArea = TKMakeRect(0, 0, tw, th);
  if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0) return p;
  const int32_t difference = sh - th;
  if (difference >= 1 && difference <= 6) trim(&p.source, difference);
  if (difference <= -1 && difference >= -6) trim(&p.targetArea, -difference);

  const double srcW = TKRectWidth(p.source), srcH = TKRectHeight(p.source);
  const double tgtW = TKRectWidth(p.targetArea), tgtH = TKRectHeight(p.targetArea);
  double sx = 1, sy = 1;
  if (convertAspect) {
    switch (aspectWord) {
      case 2: sx = 4.0 / 3.0; break;
      case 3: sy = 0.75; break;
      case 4: sx = 8.0 / 7.0; sy = 6.0 / 7.0; break;
      case 5: sx = 0.75; break;  // the whole picture in the centre three quarters of the width
      default: break;
    }
  }
  if (!noScaling) {
    const double wr = tgtW / srcW, hr = tgtH / srcH;
    const double pa = pixelAspectFor(sw, sh, tw, th);
    switch (scalingWord) {
      case 2: sx *= wr; sy *= hr; break;
      case 3: {
        const double s = std::min(wr, hr);
        sx *= s;
        sy *= s;
        break;
      }
      case 4: {
        // Fit the picture as the output's pixels will widen it.
        const double s = std::min(wr / pa, hr);
        sx *= s * pa;
        sy *= s;
        break;
      }
      case 5: sx *= pa; break;
      default: break;
    }
  }
  p.translateOnly = sx == 1 && sy == 1;
  const int32_t w = std::max(1, int32_t(std::lround(srcW * sx)));
  const int32_t h = std::max(1, int32_t(std::lround(srcH * sy)));
  p.destination = TKMakeRect(p.targetArea.left + (int32_t(tgtW) - w) / 2, p.targetArea.top + (int32_t(tgtH) - h) / 2,
                             w, h);
  return p;
}

void ConvertGWorldForVideoOutput(TKImage* source, TKImage* target, bool convertAspect, bool noScaling,
                                 const uint8_t* lut) {
  if (!source || !target) return;
  const VideoOutputPlacement p =
      ComputeVideoOutputPlacement(TKImageWidth(source), TKImageHeight(source), TKImageWidth(target),
                                  TKImageHeight(target), convertAspect, noScaling, gPrefsSettings.previewImageScaling,
                                  gPrefsSettings.previewAspectConversion);
  TKContext* ctx = TKBeginDrawing(target);
  TKSetBlendMode(ctx, kTKBlendCopy);
  TKSetFillColor(ctx, TKColor{0, 0, 0, 1});
  TKFillRect(ctx, TKMakeRect(0, 0, TKImageWidth(target), TKImageHeight(target)));
  TKClipRect(ctx, p.targetArea);
  // Moved only: pixel for pixel; scaled: smoothed.
  TKDrawImage(ctx, source, &p.source, p.destination, !p.translateOnly);
  TKEndDrawing(ctx);
  if (lut) {
    FBTransformWithLUTPix(TKImagePixels(target), uint32_t(TKImageWidth(target)), uint32_t(TKImageHeight(target)),
                          uint32_t(TKImageRowBytes(target)), lut, kFBPixFormat32ARGB, gNumProcessors, &gVLMPMaster);
    TKImageMarkDirty(target);
  }
}
