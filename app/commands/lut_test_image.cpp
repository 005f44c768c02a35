#include "app/commands/lut_test_image.h"

#include <cstddef>
#include <new>

bool LUTTestImagePixels(std::vector<uint8_t>* argb) {
  try {
    argb->assign(size_t(kLUTTestImageWidth) * size_t(kLUTTestImageHeight) * 4, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int32_t r = 0; r < kLUTTestImageLevels; ++r)
    for (int32_t g = 0; g < kLUTTestImageLevels; ++g) {
      uint8_t* row = argb->data() + size_t(kLUTTestImageLevels * r + g) * size_t(kLUTTestImageWidth) * 4;
      for (int32_t b = 0; b < kLUTTestImageLevels; ++b)
        for (int32_t x = kLUTTestImageRun * b; x < kLUTTestImageRun * (b + 1); ++x) {
          uint8_t* p = row + size_t(x) * 4;
          p[0] = 0;
          p[1] = LUTTestImageLevel(r);
          p[2] = LUTTestImageLevel(g);
          p[3] = LUTTestImageLevel(b);
        }
    }
  return true;
}
