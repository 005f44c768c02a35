#include "platform/standin_host/sh_layouts.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const SHLayoutInfo kLayouts[kSHLayoutCount] = {
    {"argb8", kHIPixelFormatARGB8, 4, 0, 8, true, true},
    {"argb16", kHIPixelFormatARGB16, 8, kHIWorldFlagDeep, 16, false, true},
    {"argbf", kHIPixelFormatARGBFloat, 16, kHIWorldFlagFloat, 32, false, true},
    {"bgra8", kHIPixelFormatBGRA8, 4, 0, 8, true, false},
    {"bgraf", kHIPixelFormatBGRAFloat, 16, kHIWorldFlagFloat, 32, true, false},
    {"vuya8", kHIPixelFormatVUYA8, 4, 0, 8, true, false},
    {"vuyaf", kHIPixelFormatVUYAFloat, 16, kHIWorldFlagFloat, 32, true, false},
    {"pargbf", kHIPixelFormatPProARGBFloat, 16, kHIWorldFlagFloat, 32, true, false},
};

// Component order in memory for the RGB layouts: indices into R, G, B, A.
struct Order {
  int r, g, b, a;
};
constexpr Order kARGB{1, 2, 3, 0};
constexpr Order kBGRA{2, 1, 0, 3};

uint8_t to8(float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

// Rec. 601 video range, as the plug-in's transfers write and read it.
void rgbToYCbCr(float r, float g, float b, float* y, float* cb, float* cr) {
  *y = 0.25678906f * r + 0.50412893f * g + 0.09790625f * b;
  *cb = -0.14822266f * r - 0.2909922f * g + 0.43921483f * b;
  *cr = 0.43921483f * r - 0.36778906f * g - 0.07142578f * b;
}

void yCbCrToRgb(float y, float cb, float cr, float* r, float* g, float* b) {
  float yy = y * 1.1643828f;
  *r = yy + 1.5960274f * cr;
  *g = yy - 0.39176172f * cb - 0.81296875f * cr;
  *b = yy + 2.0172305f * cb;
}

uint8_t* rowOf(const SHFrame& f, int32_t y) {
  return reinterpret_cast<uint8_t*>(f.world.data) + size_t(y) * size_t(f.world.row_bytes);
}

}  // namespace

const SHLayoutInfo& SHGetLayoutInfo(SHLayout layout) {
  return kLayouts[layout >= 0 && layout < kSHLayoutCount ? layout : 0];
}

bool SHFindLayout(const char* name, SHLayout* layout) {
  for (int32_t i = 0; i < kSHLayoutCount; ++i) {
    if (std::strcmp(kLayouts[i].name, name) == 0) {
      *layout = SHLayout(i);
      return true;
    }
  }
  return false;
}

void SHMakeFrame(SHLayout layout, int32_t width, int32_t height, int32_t extra_row_bytes, SHFrame* frame) {
  const SHLayoutInfo& info = SHGetLayoutInfo(layout);
  int32_t rowBytes = width * info.bytes_per_pixel + std::max(extra_row_bytes, 0);
  rowBytes = (rowBytes + 7) & ~7;
  frame->layout = layout;
  frame->storage.assign((size_t(rowBytes) * size_t(height) + 7) / 8 + 1, 0);
  HIWorld& w = frame->world;
  w = HIWorld{};
  w.flags = info.world_flags;
  w.width = width;
  w.height = height;
  w.row_bytes = rowBytes;
  w.data = frame->storage.data();
  w.extent_hint = HIRect{0, 0, width, height};
  w.pix_aspect_num = 1;
  w.pix_aspect_den = 1;
  w.pixel_format = info.format;
}

void SHImageToFrame(const SHImage& image, SHFrame* frame) {
  const float scale = image.bits == 16 ? 1.0f / 65535.0f : 1.0f / 255.0f;
  const int32_t w = std::min(image.width, frame->world.width);
  const int32_t h = std::min(image.height, frame->world.height);
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = rowOf(*frame, y);
    for (int32_t x = 0; x < w; ++x) {
      const uint16_t* s = image.samples.data() + (size_t(y) * size_t(image.width) + size_t(x)) * 4;
      float rgba[4] = {s[0] * scale, s[1] * scale, s[2] * scale, s[3] * scale};
      switch (frame->layout) {
        case kSHLayoutARGB8:
        case kSHLayoutBGRA8: {
          Order o = frame->layout == kSHLayoutARGB8 ? kARGB : kBGRA;
          uint8_t* p = row + size_t(x) * 4;
          uint8_t v[4];
          for (int c = 0; c < 4; ++c)
            v[c] = image.bits == 8 ? uint8_t(s[c]) : uint8_t((uint32_t(s[c]) * 255 + 32767) / 65535);
          p[o.r] = v[0], p[o.g] = v[1], p[o.b] = v[2], p[o.a] = v[3];
          break;
        }
        case kSHLayoutARGB16: {
          uint16_t* p = reinterpret_cast<uint16_t*>(row) + size_t(x) * 4;
          uint16_t v[4];
          for (int c = 0; c < 4; ++c) {
            uint32_t full = image.bits == 8 ? uint32_t(s[c]) * 257 : s[c];
            v[c] = uint16_t((full * 32768 + 32767) / 65535);
          }
          p[0] = v[3], p[1] = v[0], p[2] = v[1], p[3] = v[2];
          break;
        }
        case kSHLayoutARGBFloat:
        case kSHLayoutPProARGBFloat:
        case kSHLayoutBGRAFloat: {
          Order o = frame->layout == kSHLayoutBGRAFloat ? kBGRA : kARGB;
          float* p = reinterpret_cast<float*>(row) + size_t(x) * 4;
          p[o.r] = rgba[0], p[o.g] = rgba[1], p[o.b] = rgba[2], p[o.a] = rgba[3];
          break;
        }
        case kSHLayoutVUYA8: {
          float yy, cb, cr;
          rgbToYCbCr(rgba[0], rgba[1], rgba[2], &yy, &cb, &cr);
          uint8_t* p = row + size_t(x) * 4;
          p[0] = uint8_t(std::clamp(std::lround(cr * 255.0f + 128.0f), 0L, 255L));
          p[1] = uint8_t(std::clamp(std::lround(cb * 255.0f + 128.0f), 0L, 255L));
          p[2] = uint8_t(std::clamp(std::lround(yy * 255.0f + 16.0f), 0L, 255L));
          p[3] = to8(rgba[3]);
          break;
        }
        case kSHLayoutVUYAFloat: {
          float* p = reinterpret_cast<float*>(row) + size_t(x) * 4;
          rgbToYCbCr(rgba[0], rgba[1], rgba[2], &p[2], &p[1], &p[0]);
          p[3] = rgba[3];
          break;
        }
        default:
          break;
      }
    }
  }
}

void SHFrameToImage(const SHFrame& frame, int32_t bits, SHImage* image) {
  image->width = frame.world.width;
  image->height = frame.world.height;
  image->bits = bits == 16 ? 16 : 8;
  const float full = image->bits == 16 ? 65535.0f : 255.0f;
  image->samples.assign(size_t(image->width) * size_t(image->height) * 4, 0);
  auto store = [&](uint16_t* d, float r, float g, float b, float a) {
    float v[4] = {r, g, b, a};
    for (int c = 0; c < 4; ++c) d[c] = uint16_t(std::lround(std::clamp(v[c], 0.0f, 1.0f) * full));
  };
  for (int32_t y = 0; y < frame.world.height; ++y) {
    const uint8_t* row = rowOf(frame, y);
    for (int32_t x = 0; x < frame.world.width; ++x) {
      uint16_t* d = image->samples.data() + (size_t(y) * size_t(image->width) + size_t(x)) * 4;
      switch (frame.layout) {
        case kSHLayoutARGB8:
        case kSHLayoutBGRA8: {
          Order o = frame.layout == kSHLayoutARGB8 ? kARGB : kBGRA;
          const uint8_t* p = row + size_t(x) * 4;
          int c[4] = {o.r, o.g, o.b, o.a};
          for (int k = 0; k < 4; ++k) d[k] = image->bits == 8 ? p[c[k]] : uint16_t(p[c[k]] * 257);
          break;
        }
        case kSHLayoutARGB16: {
          const uint16_t* p = reinterpret_cast<const uint16_t*>(row) + size_t(x) * 4;
          store(d, p[1] / 32768.0f, p[2] / 32768.0f, p[3] / 32768.0f, p[0] / 32768.0f);
          break;
        }
        case kSHLayoutARGBFloat:
        case kSHLayoutPProARGBFloat:
        case kSHLayoutBGRAFloat: {
          Order o = frame.layout == kSHLayoutBGRAFloat ? kBGRA : kARGB;
          const float* p = reinterpret_cast<const float*>(row) + size_t(x) * 4;
          store(d, p[o.r], p[o.g], p[o.b], p[o.a]);
          break;
        }
        case kSHLayoutVUYA8: {
          const uint8_t* p = row + size_t(x) * 4;
          float r, g, b;
          yCbCrToRgb((p[2] - 16) / 255.0f, (p[1] - 128) / 255.0f, (p[0] - 128) / 255.0f, &r, &g, &b);
          store(d, r, g, b, p[3] / 255.0f);
          break;
        }
        case kSHLayoutVUYAFloat: {
          const float* p = reinterpret_cast<const float*>(row) + size_t(x) * 4;
          float r, g, b;
          yCbCrToRgb(p[2], p[1], p[0], &r, &g, &b);
          store(d, r, g, b, p[3]);
          break;
        }
        default:
          break;
      }
    }
  }
}

void SHMakeTestImage(int32_t width, int32_t height, int32_t bits, int32_t frame_index, SHImage* image) {
  image->width = width;
  image->height = height;
  image->bits = bits == 16 ? 16 : 8;
  const float full = image->bits == 16 ? 65535.0f : 255.0f;
  image->samples.assign(size_t(width) * size_t(height) * 4, 0);
  const float cx = width * (0.25f + 0.05f * float(frame_index % 10));
  const float cy = height * 0.5f;
  const float radius = height * 0.22f;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      float u = width > 1 ? float(x) / float(width - 1) : 0.0f;
      float v = height > 1 ? float(y) / float(height - 1) : 0.0f;
      float r = u, g = 0.5f * (1.0f - v) + 0.25f * u, b = v;
      if (v > 0.8f) r = g = b = std::min(std::floor(u * 8.0f), 7.0f) / 7.0f;  // grey wedge
      float dx = float(x) - cx, dy = float(y) - cy;
      if (dx * dx + dy * dy < radius * radius) r = 0.9f, g = 0.55f, b = 0.35f;  // skin-like disc
      float edge = std::min({u, 1.0f - u, v, 1.0f - v});
      float a = std::clamp(edge * 20.0f, 0.0f, 1.0f);
      uint16_t* d = image->samples.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
      d[0] = uint16_t(std::lround(r * full));
      d[1] = uint16_t(std::lround(g * full));
      d[2] = uint16_t(std::lround(b * full));
      d[3] = uint16_t(std::lround(a * full));
    }
  }
}
