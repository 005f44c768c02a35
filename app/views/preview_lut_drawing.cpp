// The display-LUT drawing routines of the image panes and preview outputs:
// a part of a picture drawn through a 768-byte LUT, onto a window's context
// or scaled into another picture.
#include "app/views/preview_outputs.h"

#include "app/views/pictures.h"
#include "core/frame_buffer.h"
#include "core/task_pool.h"

namespace {

void applyLUT(TKImage* picture, const uint8_t* lut) {
  FBTransformWithLUTPix(TKImagePixels(picture), uint32_t(TKImageWidth(picture)), uint32_t(TKImageHeight(picture)),
                        uint32_t(TKImageRowBytes(picture)), lut, kFBPixFormat32ARGB, gNumProcessors, &gVLMPMaster);
  TKImageMarkDirty(picture);
}

}  // namespace

QVStatus DrawGWorldThroughLUT(TKImage* source, TKContext* target, const TKRect& sourceRect, const TKRect& targetRect,
                              const uint8_t* lut, bool smooth) {
  if (!source || !target || TKRectEmpty(sourceRect) || TKRectEmpty(targetRect)) return kQVNoErr;
  if (!lut) {
    TKDrawImage(target, source, &sourceRect, targetRect, smooth);
    return kQVNoErr;
  }
  TKImage* part = TKImageCreate(TKRectWidth(sourceRect), TKRectHeight(sourceRect));
  if (!part) return kQVErrMemory;
  QVIgnoreStatus(CopyGWorldRect(source, part, sourceRect,
                                TKMakeRect(0, 0, TKRectWidth(sourceRect), TKRectHeight(sourceRect)),
                                kCopyModeSource));  // a copy between pictures always succeeds
  applyLUT(part, lut);
  TKDrawImage(target, part, nullptr, targetRect, smooth);
  TKImageDispose(part);
  return kQVNoErr;
}

QVStatus DrawGWorldScaled(TKImage* source, TKImage* target, const TKRect& sourceRect, const TKRect& targetRect,
                          const uint8_t* lut) {
  if (!source || !target || TKRectEmpty(sourceRect) || TKRectEmpty(targetRect)) return kQVNoErr;
  if (lut) {
    if (TKImage* scaled = TKImageCreate(TKRectWidth(targetRect), TKRectHeight(targetRect))) {
      QVIgnoreStatus(CopyGWorldRect(source, scaled, sourceRect,
                                    TKMakeRect(0, 0, TKRectWidth(targetRect), TKRectHeight(targetRect)),
                                    kCopyModeDither));  // a copy between pictures always succeeds
      applyLUT(scaled, lut);
      QVIgnoreStatus(CopyGWorldRect(scaled, target, TKMakeRect(0, 0, TKRectWidth(targetRect), TKRectHeight(targetRect)),
                                    targetRect, kCopyModeSource));
      TKImageDispose(scaled);
      return kQVNoErr;
    }
  }
  QVIgnoreStatus(CopyGWorldRect(source, target, sourceRect, targetRect, kCopyModeDither));
  return lut ? kQVErrMemory : kQVNoErr;
}
