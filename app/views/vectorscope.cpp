// The vectorscope's renderer: the graticule picture is copied into the
// rectangle with the trace laid in. The trace runs on integers (table
// lookups and 16.16 products in 64 bits), its dots counted on the task pool.
#include "app/views/vectorscope.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <vector>

#include "app/views/scope_backdrop.h"
#include "app/views/scope_inputs.h"
#include "app/views/scope_tables.h"
#include "app/views/vectorscope_internal.h"
#include "core/task_pool.h"
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

// Where the trace goes and how the source is sampled.
struct TracePlan {
  const VectorscopeParams* p;
  const int32_t* t;  // the six colour-difference tables
  ScopePixelLayout layout;
  int64_t xs, ys;    // trace scales with the zoom
  int32_t cx, cy;
  int32_t xMin, yMin, xEnd, yEnd;  // dots inside these, relative to the rectangle
  int32_t colStep, rowStep, firstRow, endRow;
  int32_t sampledRows, samplesPerRow;
};

bool MakePlan(const VectorscopeParams& p, const TKRect& rect, const VectorscopeScales& scales, TracePlan* plan) {
  const int32_t w = TKRectWidth(rect), h = TKRectHeight(rect);
  TracePlan& t = *plan;
  t.p = &p;
  // Dots land inside the rectangle and inside the target.
  t.xMin = std::max(0, -rect.left);
  t.yMin = std::max(0, -rect.top);
  t.xEnd = std::min(w, TKImageWidth(p.target) - rect.left);
  t.yEnd = std::min(h, TKImageHeight(p.target) - rect.top);
  if (t.xMin >= t.xEnd || t.yMin >= t.yEnd) return false;
  t.t = BuildRGBtoYCbCrTables(p.matrix);
  t.layout = (p.flags & kVSFlagARGBMemory) ? kScopeLayoutARGBMemory : kScopeLayoutLittleEndianWords;
  const int64_t zoom = std::clamp(p.zoom, 1, 10);
  t.xs = scales.xs * zoom;
  t.ys = scales.ys * zoom;
  t.cx = w / 2;
  t.cy = h / 2;
  t.colStep = std::max((p.width + w / 2) / w, 1);
  t.rowStep = RowStep(p);
  t.firstRow = 0;
  t.endRow = p.height;
  if (p.rowCount == -1) {
    if (p.row < 0 || p.row >= p.height) return false;
    t.firstRow = p.row;
    t.endRow = p.row + 1;
  }
  t.sampledRows = (t.endRow - t.firstRow + t.rowStep - 1) / t.rowStep;
  t.samplesPerRow = (p.width + t.colStep - 1) / t.colStep;
  return true;
}

// Calls dot(x, y) for every sampled pixel of sampled rows [firstIndex,
// endIndex) whose dot lands inside the plan's limits; the sub-pixel offsets
// run on from the first sampled pixel of the draw.
template <class Dot>
void ForEachDot(const TracePlan& t, int32_t firstIndex, int32_t endIndex, Dot dot) {
  // Everything the loop reads is held in locals: the dots' byte stores
  // could otherwise alias the plan and force it to be read again each time.
  const int32_t *t0 = t.t, *t1 = t.t + 256, *t2 = t.t + 512, *t3 = t.t + 768, *t4 = t.t + 1024, *t5 = t.t + 1280;
  const uint8_t* const pixels = t.p->pixels;
  const size_t rowBytes = size_t(t.p->rowBytes);
  const int32_t width = t.p->width, colStep = t.colStep, rowStep = t.rowStep, firstRow = t.firstRow;
  const int red = t.layout.red, green = t.layout.green, blue = t.layout.blue;
  const int64_t xs = t.xs, ys = t.ys, cx = t.cx, cy = t.cy;
  const int64_t xMin = t.xMin, xEnd = t.xEnd, yMin = t.yMin, yEnd = t.yEnd;
  int k = int((int64_t(firstIndex) * t.samplesPerRow % 7) * 2);
  for (int32_t i = firstIndex; i < endIndex; ++i) {
    const uint8_t* row = pixels + size_t(firstRow + i * rowStep) * rowBytes;
    for (int32_t x = 0; x < width; x += colStep) {
      const uint8_t* src = row + size_t(x) * 4;
      uint8_t r = src[red], g = src[green], b = src[blue];
      int64_t bv = int64_t(t2[b] - t0[r] - t1[g]);
      int64_t rv = int64_t(t3[r] - t4[g] - t5[b]);
      int64_t dy = cy + VectorscopeRound16(((-rv * ys) >> 16) + kJitter[k]);
      int64_t dx = cx + VectorscopeRound16(((bv * xs) >> 16) + kJitter[k + 1]);
      k = k == 12 ? 0 : k + 2;
      if (dx < xMin || dx >= xEnd || dy < yMin || dy >= yEnd) continue;
      dot(int32_t(dx), int32_t(dy));
    }
  }
}

// Each dot brightens its pixel in place, one after another.
void PlotTraceDirect(const TracePlan& t, const TKRect& rect, const uint32_t next[256]) {
  uint8_t* dstBase = TKImagePixels(t.p->target);
  const ptrdiff_t dstRowBytes = TKImageRowBytes(t.p->target);
  ForEachDot(t, 0, t.sampledRows, [&](int32_t dx, int32_t dy) {
    uint8_t* pixel = dstBase + (rect.top + dy) * dstRowBytes + ptrdiff_t(rect.left + dx) * 4;
    uint32_t word;
    std::memcpy(&word, pixel, 4);
    word = next[word & 0xFF];
    std::memcpy(pixel, &word, 4);
  });
}

// A pixel's colour depends only on how often it was hit: the first hit
// picks a level by the backdrop's blue byte, each further one moves on by
// the level's own blue byte. When every level settles within six moves, a
// count held at seven says it all, so the dots are counted first (each task
// in a grid of bytes of its own, no task touching another's) and the grids
// are then summed, row by row on all tasks, to turn the backdrop into the
// trace. A count held at seven in each grid sums to the count held at seven
// of all the hits together.
constexpr uint8_t kHitCap = 7;

struct HitTables {
  uint32_t after[kHitCap + 1][256];  // pixel after n hits on a backdrop pixel of this blue byte
};

// False when the levels do not settle (some saturation makes two of them
// step into each other); counts cannot stand in for the hits then.
bool BuildHitTables(const uint32_t next[256], HitTables* tables) {
  for (int blue = 0; blue < 256; ++blue) {
    uint32_t pixel = next[blue];
    for (int n = 1; n <= kHitCap; ++n) {
      tables->after[n][blue] = pixel;
      pixel = next[pixel & 0xFF];
    }
    if (pixel != tables->after[kHitCap][blue]) return false;
  }
  return true;
}

// The pixels one grid counted: columns [left, right) of rows [top, bottom),
// empty when left >= right. Rows and columns outside every grid's bounds
// are left out of the sums.
struct GridBounds {
  int32_t left, top, right, bottom;
};

// Rows are taken in runs from a counter by the caller and the tasks alike
// (shared work), both for counting and for laying the trace in: a task held
// up leaves its rows to the others. Which part counts a row does not matter,
// as the capped counts sum to the same.
constexpr int32_t kCountRun = 8;   // sampled rows
constexpr int32_t kApplyRun = 16;  // rows of the rectangle

struct CountJob {
  const TracePlan* plan;
  const TKRect* rect;
  const HitTables* tables;
  const ScopeBackdrop* backdrop;
  uint8_t* counts;  // one W x H grid per counting part, back to back, zero between draws
  size_t gridBytes;
  uint32_t grids;   // counting parts
  int32_t countsWidth;
  GridBounds* bounds;  // one per grid
  std::atomic<int32_t> nextCount{0};  // first sampled row not yet counted
  std::atomic<int32_t> nextApply{0};  // first rectangle row (from yMin) not yet laid in
};

void CountPart(void* context, uint32_t part, uint32_t) {
  CountJob& job = *static_cast<CountJob*>(context);
  const TracePlan& t = *job.plan;
  uint8_t* counts = job.counts + size_t(part) * job.gridBytes;
  const int32_t width = job.countsWidth;
  int32_t left = t.xEnd, top = t.yEnd, right = t.xMin, bottom = t.yMin;
  for (int32_t first = job.nextCount.fetch_add(kCountRun); first < t.sampledRows;
       first = job.nextCount.fetch_add(kCountRun))
    ForEachDot(t, first, std::min(first + kCountRun, t.sampledRows), [&](int32_t dx, int32_t dy) {
      uint8_t& c = counts[size_t(dy) * size_t(width) + size_t(dx)];
      c = uint8_t(c + (c < kHitCap));
      left = std::min(left, dx);
      right = std::max(right, dx + 1);
      top = std::min(top, dy);
      bottom = std::max(bottom, dy + 1);
    });
  job.bounds[part] = GridBounds{left, top, right, bottom};
}

// Rows [first, end) of the rectangle: backdrop copied in, counted pixels
// replaced by their trace colour, every grid's counts cleared for the next
// draw. summed: a row of sums, when there are several grids.
void ApplyRows(const CountJob& job, int32_t first, int32_t end, std::vector<uint8_t>& summed) {
  const TracePlan& t = *job.plan;
  TKImage* target = t.p->target;
  uint8_t* dstBase = TKImagePixels(target);
  const size_t dstRowBytes = size_t(TKImageRowBytes(target));
  const uint8_t* srcBase = TKImagePixels(job.backdrop->image);
  const size_t srcRowBytes = size_t(TKImageRowBytes(job.backdrop->image));
  const size_t span = size_t(t.xEnd - t.xMin);
  for (int32_t y = first; y < end; ++y) {
    const uint32_t* src = reinterpret_cast<const uint32_t*>(srcBase + size_t(y) * srcRowBytes) + t.xMin;
    uint32_t* dst = reinterpret_cast<uint32_t*>(dstBase + size_t(job.rect->top + y) * dstRowBytes) +
                    (job.rect->left + t.xMin);
    std::memcpy(dst, src, span * 4);
    // The columns of the row that any grid counted in, relative to xMin.
    size_t lo = span, hi = 0;
    for (uint32_t g = 0; g < job.grids; ++g) {
      const GridBounds& b = job.bounds[g];
      if (y < b.top || y >= b.bottom || b.left >= b.right) continue;
      lo = std::min(lo, size_t(b.left - t.xMin));
      hi = std::max(hi, size_t(b.right - t.xMin));
    }
    if (lo >= hi) continue;
    uint8_t* count = job.counts + size_t(y) * size_t(job.countsWidth) + t.xMin;
    if (job.grids > 1) {
      // Each grid's count is at most seven, so the sum of up to 36 fits a byte.
      std::memset(summed.data() + lo, 0, hi - lo);
      for (uint32_t g = 0; g < job.grids; ++g) {
        const GridBounds& b = job.bounds[g];
        if (y < b.top || y >= b.bottom || b.left >= b.right) continue;
        uint8_t* other = count + size_t(g) * job.gridBytes;
        const size_t from = size_t(b.left - t.xMin), to = size_t(b.right - t.xMin);
        for (size_t i = from; i < to; ++i) summed[i] = uint8_t(summed[i] + other[i]);
        std::memset(other + from, 0, to - from);
      }
      for (size_t i = lo; i < hi; ++i) summed[i] = std::min(summed[i], kHitCap);
      count = summed.data();
    }
    for (size_t x = lo; x < hi; x += 8) {
      uint64_t eight = 0;
      const size_t n = std::min<size_t>(8, hi - x);
      std::memcpy(&eight, count + x, n);
      if (!eight) continue;
      for (size_t i = x; i < x + n; ++i)
        if (count[i]) {
          dst[i] = job.tables->after[count[i]][src[i] & 0xFF];
          count[i] = 0;
        }
    }
  }
}

// The rows of the rectangle, in runs.
void ApplyPart(void* context, uint32_t, uint32_t) {
  CountJob& job = *static_cast<CountJob*>(context);
  const TracePlan& t = *job.plan;
  const int32_t rows = t.yEnd - t.yMin;
  std::vector<uint8_t> summed(job.grids > 1 ? size_t(t.xEnd - t.xMin) : 0);
  for (int32_t first = job.nextApply.fetch_add(kApplyRun); first < rows; first = job.nextApply.fetch_add(kApplyRun))
    ApplyRows(job, t.yMin + first, t.yMin + std::min(first + kApplyRun, rows), summed);
}

// Copies the backdrop into the rectangle with the trace laid in.
void PlotTrace(const VectorscopeParams& p, const TKRect& rect, const VectorscopeScales& scales,
               const ScopeBackdrop& backdrop) {
  TracePlan plan;
  if (!MakePlan(p, rect, scales, &plan)) {
    ScopeBackdropCopy(&backdrop, p.target, rect.left, rect.top);
    return;
  }
  uint32_t next[256];
  BuildBrightenTable(float(p.saturation) / 65536.0f, next);
  static HitTables tables;
  const int32_t w = TKRectWidth(rect), h = TKRectHeight(rect);
  if (!backdrop.image || TKImageWidth(backdrop.image) != w || TKImageHeight(backdrop.image) != h ||
      !BuildHitTables(next, &tables)) {
    ScopeBackdropCopy(&backdrop, p.target, rect.left, rect.top);
    PlotTraceDirect(plan, rect, next);
    return;
  }
  // Main thread only; zero between draws. At most kMaxCountGrids grids: the
  // sum of their capped counts must fit a byte.
  constexpr int32_t kMaxCountGrids = 36;
  static std::vector<uint8_t> counts;
  const uint32_t grids =
      uint32_t(std::clamp(plan.sampledRows / 16, 1, std::min(int32_t(gNumProcessors), kMaxCountGrids)));
  const size_t gridBytes = size_t(w) * size_t(h);
  if (counts.size() < gridBytes * grids) counts.assign(gridBytes * grids, 0);
  // A grid whose part does not run keeps empty bounds.
  std::vector<GridBounds> bounds(grids, GridBounds{0, 0, 0, 0});
  CountJob job{&plan, &rect, &tables, &backdrop, counts.data(), gridBytes, grids, w, bounds.data()};
  // Part i counts into grid i; a part that does not run leaves its grid at
  // zero.
  VLMPRunShared(CountPart, &job, grids, &gVLMPMaster);
  // The dots' limits are the part of the rectangle inside the target, which
  // is all the backdrop copy would cover.
  VLMPRunShared(ApplyPart, &job, uint32_t(std::clamp((plan.yEnd - plan.yMin) / 16, 1, int32_t(gNumProcessors))),
                &gVLMPMaster);
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

TKRect VectorscopeGraticuleRect(const TKRect& bounds) {
  int32_t inset = int32_t(TKRectWidth(bounds) * 0.016);
  TKRect r = TKRectInset(bounds, inset, inset);
  int32_t w = TKRectWidth(r), h = TKRectHeight(r);
  if (w <= 0 || h <= 0) return TKRect{r.top, r.left, r.top, r.left};
  int32_t fitW = 4 * (h / 3), fitH = h;
  if (fitW > w) {
    fitW = 4 * (w / 4);
    fitH = 3 * (w / 4);
  }
  int32_t left = r.left + (w - fitW) / 2, top = r.top + (h - fitH) / 2;
  return TKRect{top, left, top + fitH, left + fitW};
}

int32_t DrawVectorscope(const VectorscopeParams* params) {
  if (!params || !params->target) return 0;
  const VectorscopeParams& p = *params;
  TKRect rect = p.rect ? *p.rect : TKMakeRect(0, 0, TKImageWidth(p.target), TKImageHeight(p.target));
  int32_t w = TKRectWidth(rect), h = TKRectHeight(rect);
  if (w <= 0 || h <= 0) return 0;
  VectorscopeScales scales = VectorscopeComputeScales(w, h, p.whiteLevel, p.blackLevel, p.targets75 != 0);

  if (ScopeBackdropPrepare(&gGraticule, w, h,
                           {p.matrix, p.zoom, p.targets75, p.whiteLevel, p.blackLevel, p.saturation}) &&
      gGraticule.image)
    VectorscopeDrawGraticule(gGraticule.image, p, scales);
  if ((p.flags & kVSFlagTrace) && SourceUsable(p) && scales.xs != 0)
    PlotTrace(p, rect, scales, gGraticule);
  else
    ScopeBackdropCopy(&gGraticule, p.target, rect.left, rect.top);
  return 0;
}
