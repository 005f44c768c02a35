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

void EraseGWorldRect(UIImage* target, const UIRect* rect, const UIColor* colour) {
  if (!target) return;
  UIContext* ctx = UIBeginDrawing(target);
  UISetBlendMode(ctx, kUIBlendCopy);
  UISetFillColor(ctx, colour ? *colour : UIColor{0, 0, 0, 1});
  UIFillRect(ctx, rect ? *rect : UIMakeRect(0, 0, UIImageWidth(target), UIImageHeight(target)));
  UIEndDrawing(ctx);
}

void EraseGWorld(UIImage* target, const UIRect* rect) { EraseGWorldRect(target, rect, nullptr); }

QVStatus CopyGWorldRect(UIImage* source, UIImage* target, const UIRect& sourceRect, const UIRect& targetRect,
                        int16_t mode) {
  if (!source || !target || UIRectEmpty(sourceRect) || UIRectEmpty(targetRect)) return kQVNoErr;
  UIContext* ctx = UIBeginDrawing(target);
  UISetBlendMode(ctx, kUIBlendCopy);
  UIDrawImage(ctx, source, &sourceRect, targetRect, mode == kCopyModeDither);
  UIEndDrawing(ctx);
  return kQVNoErr;
}

void CopyWithSplitMask(UIImage* source, UIImage* target, UIImage* mask) {
  if (!target || !mask) return;
  if (!source) source = mask;
  const int32_t width = std::min({UIImageWidth(source), UIImageWidth(target), UIImageWidth(mask)});
  const int32_t height = std::min({UIImageHeight(source), UIImageHeight(target), UIImageHeight(mask)});
  const uint8_t* from = UIImagePixels(source);
  const uint8_t* through = UIImagePixels(mask);
  uint8_t* to = UIImagePixels(target);
  const size_t fromRow = size_t(UIImageRowBytes(source)), maskRow = size_t(UIImageRowBytes(mask));
  const size_t toRow = size_t(UIImageRowBytes(target));
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
  UIImageMarkDirty(target);
}

QVStatus ConvertFrameToPicture(const FBFrameStruct* frame, UIImage* picture) {
  if (!frame || !picture || int32_t(frame->width) != UIImageWidth(picture) ||
      int32_t(frame->height) != UIImageHeight(picture))
    return kQVErrParam;
  // Frame format 32 is the word A<<24 | R<<16 | G<<8 | B, which in memory is
  // the picture's 'BGRA' bytes, alpha full.
  FBTransferFBFrameToPix(frame, UIImagePixels(picture), uint32_t(UIImageRowBytes(picture)), kFBPixFormat32ARGB,
                         gNumProcessors, &gVLMPMaster);
  UIImageMarkDirty(picture);
  return kQVNoErr;
}

void DrawUpdatesSuspended(UIImage* target) {
  if (!target) return;
  const int32_t width = UIImageWidth(target), height = UIImageHeight(target);
  EraseGWorld(target, nullptr);
  UIContext* ctx = UIBeginDrawing(target);
  // A 4-pixel pen inside the rectangle a tenth of the size in from each edge.
  const UIRect box{height / 10, width / 10, height - height / 10, width - width / 10};
  UISetFillColor(ctx, UIColorFrom16(48000, 0, 0));
  UIFillRect(ctx, UIRect{box.top, box.left, box.top + 4, box.right});
  UIFillRect(ctx, UIRect{box.bottom - 4, box.left, box.bottom, box.right});
  UIFillRect(ctx, UIRect{box.top, box.left, box.bottom, box.left + 4});
  UIFillRect(ctx, UIRect{box.top, box.right - 4, box.bottom, box.right});
  if (UIImage* art = UIGetPicture(kUpdatesSuspendedPictureID)) {
    // Left edge at a tenth of the width, bottom a tenth of the height up,
    // then nudged right by a fiftieth and up by a fortieth.
    const int32_t w = UIImageWidth(art), h = UIImageHeight(art);
    const int32_t left = width / 10 + width / 50, bottom = height - height / 10 - height / 40;
    UIDrawPicture(ctx, kUpdatesSuspendedPictureID, UIMakeRect(left, bottom - h, w, h));
  }
  UIEndDrawing(ctx);
}
