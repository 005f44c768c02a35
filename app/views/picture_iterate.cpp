#include "app/views/picture_utils.h"

void IterateGWorldPixels(TKImage* picture, ScopePixelProc proc, void* refCon) {
  if (!picture || !proc) return;
  int32_t width = TKImageWidth(picture), height = TKImageHeight(picture);
  uint8_t* base = TKImagePixels(picture);
  size_t rowBytes = size_t(TKImageRowBytes(picture));
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = base + size_t(y) * rowBytes;
    for (int32_t x = 0; x < width; ++x) proc(row + size_t(x) * 4, kTKPixelFormatBGRA, refCon);
  }
}
