#include "app/views/pictures.h"

#include <algorithm>
#include <cstring>

#include "core/pixel_transfer.h"
#include "core/task_pool.h"

namespace {

// Pixels are premultiplied words A<<24 | R<<16 | G<<8 | B; a mask pixel
// counts as black when its green is under half.
bool maskIsBlack(uint32_t pixel) { return ((pixel >> 8) & 0xFF) < 128; }

}  // namespace

void EraseGWorldRect(TKImage* target, const TKRect* rect, const TKColor* colour) {
  if (!target) return;
  TKContext* ctx = TKBeginDrawing(target);
  TKSetBlendMode(ctx, kTKBlendCopy);
  TKSetFillColor(ctx, colour ? *colour : TKColor{0, 0, 0, 1});
  TKFillRect(ctx, rect ? *rect : TKMakeRect(0, 0, TKImageWidth(target), TKImageHeight(target)));
  TKEndDrawing(ctx);
}

void EraseGWorld(TKImage* target, const TKRect* rect) { EraseGWorldRect(target, rect, nullptr); }

QVStatus CopyGWorldRect(TKImage* source, TKImage* target, const TKRect& sourceRect, const TKRect& targetRect,
                        int16_t mode) {
  if (!source || !target || TKRectEmpty(sourceRect) || TKRectEmpty(targetRect)) return kQVNoErr;
  TKContext* ctx = TKBeginDrawing(target);
  TKSetBlendMode(ctx, kTKBlendCopy);
  TKDrawImage(ctx, source, &sourceRect, targetRect, mode == kCopyModeDither);
  TKEndDrawing(ctx);
  return kQVNoErr;
}

void CopyWithSplitMask(TKImage* source, TKImage* target, TKImage* mask) {
  if (!target || !mask) return;
  if (!source) source = mask;
  const int32_t width = std::min({TKImageWidth(source), TKImageWidth(target), TKImageWidth(mask)});
  const int32_t height = std::min({TKImageHeight(source), TKImageHeight(target), TKImageHeight(mask)});
  const uint8_t* from = TKImagePixels(source);
  const uint8_t* through = TKImagePixels(mask);
  uint8_t* to = TKImagePixels(target);
  const size_t fromRow = size_t(TKImageRowBytes(source)), maskRow = size_t(TKImageRowBytes(mask));
  const size_t toRow = size_t(TKImageRowBytes(target));
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* s = from + size_t(y) * fromRow;
    const uint8_t* m = through + size_t(y) * maskRow;
    uint8_t* t = to + size_t(y) * toRow;
    for (int32_t x = 0; x < width; ++x) {
      uint32_t mp;
      std::memcpy(&mp, m + size_t(x) * 4, 4);
      if (maskIsBlack(mp)) std::memcpy(t + size_t(x) * 4, s + size_t(x) * 4, 4);
    }
  }
  TKImageMarkDirty(target);
}

QVStatus ConvertFrameToPicture(const FBFrameStruct* frame, TKImage* picture) {
  if (!frame || !picture || int32_t(frame->width) != TKImageWidth(picture) ||
      int32_t(frame->height) != TKImageHeight(picture))
    return kQVErrParam;
  // Frame format 32 is the word A<<24 | R<<16 | G<<8 | B, which in memory is
  // the picture's 'BGRA' bytes, alpha full.
  FBTransferFBFrameToPix(frame, TKImagePixels(picture), uint32_t(TKImageRowBytes(picture)), kFBPixFormat32ARGB,
                         gNumProcessors, &gVLMPMaster);
  TKImageMarkDirty(picture);
  return kQVNoErr;
}

void DrawUpdatesSuspended(TKImage* target) {
  if (!target) return;
  const int32_t width = TKImageWidth(target), height = TKImageHeight(target);
  EraseGWorld(target, nullptr);
  TKContext* ctx = TKBeginDrawing(target);
  // A 4-pixel pen inside the rectangle a tenth of the size in from each edge.
  const TKRect box{height / 10, width / 10, height - height / 10, width - width / 10};
  TKSetFillColor(ctx, TKColorFrom16(48000, 0, 0));
  TKFillRect(ctx, TKRect{box.top, box.left, box.top + 4, box.right});
  TKFillRect(ctx, TKRect{box.bottom - 4, box.left, box.bottom, box.right});
  TKFillRect(ctx, TKRect{box.top, box.left, box.bottom, box.left + 4});
  TKFillRect(ctx, TKRect{box.top, box.right - 4, box.bottom, box.right});
  if (TKImage* art = TKGetPicture(kUpdatesSuspendedPictureID)) {
    // Left edge at a tenth of the width, bottom a tenth of the height up,
    // then nudged right by a fiftieth and up by a fortieth.
    const int32_t w = TKImageWidth(art), h = TKImageHeight(art);
    const int32_t left = width / 10 + width / 50, bottom = height - height / 10 - height / 40;
    // The picture was found just above; drawing it cannot fail.
    QVIgnoreStatus(TKDrawPicture(ctx, kUpdatesSuspendedPictureID, TKMakeRect(left, bottom - h, w, h)));
  }
  TKEndDrawing(ctx);
}
