#include "app/views/scope_backdrop.h"

#include <algorithm>
#include <cstring>

ScopeBackdrop::~ScopeBackdrop() { UIImageDispose(image); }

bool ScopeBackdropPrepare(ScopeBackdrop* backdrop, int32_t width, int32_t height, std::vector<int64_t> key) {
  key.push_back(width);
  key.push_back(height);
  if (backdrop->image && backdrop->key == key) return false;
  if (!backdrop->image || UIImageWidth(backdrop->image) != width || UIImageHeight(backdrop->image) != height) {
    UIImageDispose(backdrop->image);
    backdrop->image = UIImageCreate(width, height);
  }
  backdrop->key = backdrop->image ? std::move(key) : std::vector<int64_t>{};
  return true;
}

void ScopeBackdropCopy(const ScopeBackdrop* backdrop, UIImage* target, int32_t left, int32_t top) {
  UIImage* src = backdrop->image;
  if (!src || !target) return;
  int32_t width = UIImageWidth(src), height = UIImageHeight(src);
  int32_t x0 = std::max(left, 0), y0 = std::max(top, 0);
  int32_t x1 = std::min(left + width, UIImageWidth(target)), y1 = std::min(top + height, UIImageHeight(target));
  if (x0 >= x1 || y0 >= y1) return;
  const uint8_t* srcBase = UIImagePixels(src);
  uint8_t* dstBase = UIImagePixels(target);
  size_t srcRowBytes = size_t(UIImageRowBytes(src)), dstRowBytes = size_t(UIImageRowBytes(target));
  for (int32_t y = y0; y < y1; ++y)
    std::memcpy(dstBase + size_t(y) * dstRowBytes + size_t(x0) * 4,
                srcBase + size_t(y - top) * srcRowBytes + size_t(x0 - left) * 4, size_t(x1 - x0) * 4);
}
