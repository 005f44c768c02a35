// The vectorscope's renderer: the graticule picture is copied into the
// rectangle, then the trace is plotted straight into the target's pixels on
// integers (table lookups and 16.16 products in 64 bits).
#include "app/views/vectorscope.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "app/views/scope_backdrop.h"
#include "app/views/scope_inputs.h"
#include "app/views/scope_tables.h"
#include "app/views/vectorscope_internal.h"
#include "support/colors.h"

namespace {

// The six trace levels from brightest to dimmest.
constexpr QVRGBColor kTraceLevels[6] = {
    {0x6D6D, 0xFFFF, 0xB9B9}, {0, 0xFFFF, 0x8484}, {0, 0xCCCC, 0x6A6A},
    {0, 0x9898, 0x4E4E},      {0, 0x6666, 0x3535}, {0, 0x3232, 0x1919},
};

// Sub-pixel offsets (16.16 fractions) taken in pairs, y then x, one pair per dot.
constexpr int64_t kJitter[14] = {11635, 33804, 5586,  52630, 18607, 4922,  55453,
                                 14446, 44262, 47785, 11588, 34728, 31126, 53450};

uint32_t PackLevel(QVRGBColor c, float saturation) {
  AdjustColorSaturation(&c, saturation);
  return 0xFF000000u | uint32_t(c.red >> 8) << 16 | uint32_t(c.green >> 8) << 8 | uint32_t(c.blue >> 8);
}

// What a pixel becomes when a dot lands on it, by its blue byte: one step up
// the six levels, black becoming the dimmest.
void BuildBrightenTable(float saturation, uint32_t next[256]) {
  uint32_t level[6];
  for (int i = 0; i < 6; ++i) level[i] = PackLevel(kTraceLevels[i], saturation);
  constexpr int kThresholds[5] = {0x84, 0x6A, 0x4E, 0x35, 0x19};
  for (int blue = 0; blue < 256; ++blue) {
    int chosen = 5;
    for (int i = 0; i < 5; ++i)
      if (blue >= kThresholds[i]) {
        chosen = i;
        break;
      }
    next[blue] = level[chosen];
  }
}

int32_t RowStep(const VectorscopeParams& p) {
  if (p.rowCount <= 0) return 1;
  return std::max((p.height + p.rowCount / 2) / p.rowCount, 1);
}

void PlotTrace(const VectorscopeParams& p, const UIRect& rect, const VectorscopeScales& scales) {
  int32_t w = UIRectWidth(rect), h = UIRectHeight(rect);
  UIImage* target = p.target;
  // Dots land inside the rectangle and inside the target.
  int32_t xMin = std::max(0, -rect.left), yMin = std::max(0, -rect.top);
  int32_t xEnd = std::min(w, UIImageWidth(target) - rect.left);
  int32_t yEnd = std::min(h, UIImageHeight(target) - rect.top);
  if (xMin >= xEnd || yMin >= yEnd) return;

  const int32_t* t = BuildRGBtoYCbCrTables(p.matrix);
  const int32_t *t0 = t, *t1 = t + 256, *t2 = t + 512, *t3 = t + 768, *t4 = t + 1024, *t5 = t + 1280;
  uint32_t next[256];
  BuildBrightenTable(float(p.saturation) / 65536.0f, next);
  ScopePixelLayout layout = (p.flags & kVSFlagARGBMemory) ? kScopeLayoutARGBMemory : kScopeLayoutLittleEndianWords;

  int64_t zoom = std::clamp(p.zoom, 1, 10);
  int64_t xs = scales.xs * zoom, ys = scales.ys * zoom;
  int32_t cx = w / 2, cy = h / 2;
  int32_t colStep = std::max((p.width + w / 2) / w, 1);
  int32_t rowStep = RowStep(p);
  int32_t firstRow = 0, lastRow = p.height;
  if (p.rowCount == -1) {
    if (p.row < 0 || p.row >= p.height) return;
    firstRow = p.row;
    lastRow = p.row + 1;
  }

  uint8_t* dstBase = UIImagePixels(target);
  ptrdiff_t dstRowBytes = UIImageRowBytes(target);
  int k = 0;
  for (int32_t y = firstRow; y < lastRow; y += rowStep) {
    const uint8_t* row = p.pixels + size_t(y) * size_t(p.rowBytes);
    for (int32_t x = 0; x < p.width; x += colStep) {
      const uint8_t* src = row + size_t(x) * 4;
      uint8_t r = src[layout.red], g = src[layout.green], b = src[layout.blue];
      int64_t bv = int64_t(t2[b] - t0[r] - t1[g]);
      int64_t rv = int64_t(t3[r] - t4[g] - t5[b]);
      int64_t dy = cy + VectorscopeRound16(((-rv * ys) >> 16) + kJitter[k]);
      int64_t dx = cx + VectorscopeRound16(((bv * xs) >> 16) + kJitter[k + 1]);
      k = k == 12 ? 0 : k + 2;
      if (dx < xMin || dx >= xEnd || dy < yMin || dy >= yEnd) continue;
      uint8_t* pixel = dstBase + (rect.top + dy) * dstRowBytes + (rect.left + dx) * 4;
      uint32_t word;
      std::memcpy(&word, pixel, 4);
      word = next[word & 0xFF];
      std::memcpy(pixel, &word, 4);
    }
  }
}

bool SourceUsable(const VectorscopeParams& p) {
  return p.pixels && p.width > 0 && p.height > 0 && p.rowBytes / 4 >= p.width;
}

ScopeBackdrop gGraticule;

}  // namespace

VectorscopeScales VectorscopeComputeScales(int32_t width, int32_t height, int32_t whiteLevel, int32_t blackLevel,
                                           bool targets75) {
  VectorscopeScales s;
  s.unitX = 19325.0 * width / (160.0 * 65536.0);
  s.unitY = 19325.0 * height / (120.0 * 65536.0);
  int64_t range = int64_t(whiteLevel) - blackLevel;
  if (range == 0) return s;
  int64_t gain = (targets75 ? 6570585 : 4927875) / range;
  s.xs = int64_t(width) * gain / 160;
  s.ys = int64_t(height) * gain / 120;
  return s;
}

UIRect VectorscopeGraticuleRect(const UIRect& bounds) {
  int32_t inset = int32_t(UIRectWidth(bounds) * 0.016);
  UIRect r = UIRectInset(bounds, inset, inset);
  int32_t w = UIRectWidth(r), h = UIRectHeight(r);
  if (w <= 0 || h <= 0) return UIRect{r.top, r.left, r.top, r.left};
  int32_t fitW = 4 * (h / 3), fitH = h;
  if (fitW > w) {
    fitW = 4 * (w / 4);
    fitH = 3 * (w / 4);
  }
  int32_t left = r.left + (w - fitW) / 2, top = r.top + (h - fitH) / 2;
  return UIRect{top, left, top + fitH, left + fitW};
}

int32_t DrawVectorscope(const VectorscopeParams* params) {
  if (!params || !params->target) return 0;
  const VectorscopeParams& p = *params;
  UIRect rect = p.rect ? *p.rect : UIMakeRect(0, 0, UIImageWidth(p.target), UIImageHeight(p.target));
  int32_t w = UIRectWidth(rect), h = UIRectHeight(rect);
  if (w <= 0 || h <= 0) return 0;
  VectorscopeScales scales = VectorscopeComputeScales(w, h, p.whiteLevel, p.blackLevel, p.targets75 != 0);

  if (ScopeBackdropPrepare(&gGraticule, w, h,
                           {p.matrix, p.zoom, p.targets75, p.whiteLevel, p.blackLevel, p.saturation}) &&
      gGraticule.image)
    VectorscopeDrawGraticule(gGraticule.image, p, scales);
  ScopeBackdropCopy(&gGraticule, p.target, rect.left, rect.top);

  if ((p.flags & kVSFlagTrace) && SourceUsable(p) && scales.xs != 0) PlotTrace(p, rect, scales);
  return 0;
}
