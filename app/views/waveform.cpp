// The waveform's renderer: the graticule picture is copied into the
// rectangle, then every sampled pixel of each panel's channels brightens the
// two trace pixels that straddle its height, the lower by (1 - f) and the
// upper by f of one hit, f being the fraction of the height (16.16).
//
// A hit is the channel's trace colour times the brightness; each component
// is limited to the trace colour, so dense areas glow up to the full colour.
// Colour traces add; the luma trace climbs the phosphor table, so it glows
// more gently. With kWFMFlagColor the picture's own colour is the trace
// colour.
#include "app/views/waveform.h"

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/views/scope_backdrop.h"
#include "app/views/scope_inputs.h"
#include "app/views/scope_phosphor.h"
#include "app/views/scope_tables.h"
#include "app/views/waveform_internal.h"
#include "core/task_pool.h"

namespace {

enum Channel { kLuma, kRed, kGreen, kBlue, kCb, kCr };

struct PanelChannels {
  int32_t count;
  Channel channels[3];
};

// Panels of each trace mode, left to right; mode 4 overlays three channels in one panel.
PanelChannels PanelOf(int32_t traceMode, int32_t panel) {
  switch (traceMode) {
    case kWFMTraceYCbCrParade: return {1, {panel == 0 ? kLuma : panel == 1 ? kCb : kCr}};
    case kWFMTraceRGBParade: return {1, {panel == 0 ? kRed : panel == 1 ? kGreen : kBlue}};
    case kWFMTraceRGBOverlay: return {3, {kRed, kGreen, kBlue}};
    case kWFMTraceYRGBParade: return {1, {panel == 0 ? kLuma : panel == 1 ? kRed : panel == 2 ? kGreen : kBlue}};
    case kWFMTraceGBRParade: return {1, {panel == 0 ? kGreen : panel == 1 ? kBlue : kRed}};
    default: return {1, {kLuma}};
  }
}

constexpr int32_t kTraceColours[6][3] = {
    {255, 255, 255},  // luma
    {255, 0, 0},      // red
    {0, 255, 0},      // green
    {0, 0, 255},      // blue
    {0, 0, 255},      // Cb
    {255, 0, 0},      // Cr
};

// The phosphor table stretched to bytes: entry [c][a] is what a component c
// becomes when a hit of a lands on it, sqrt(c*c + a*a) on the table's scale.
struct ClimbTable {
  uint8_t entry[256][256];
  ClimbTable() {
    const uint8_t* phosphor = GetScopePhosphorTable();
    for (int c = 0; c < 256; ++c)
      for (int a = 0; a < 256; ++a) {
        int pc = (c * 159 + 127) / 255, pa = (a * 159 + 127) / 255;
        int v = (phosphor[pc * kScopePhosphorSize + pa] * 255 + 79) / 159;
        entry[c][a] = uint8_t(std::clamp(v, c, 255));
      }
  }
};

// One hit's colour and the colour it may glow up to.
struct Ink {
  int32_t hit[3];
  int32_t limit[3];
  bool grey;  // the same in every component
};

Ink MakeInk(const int32_t colour[3], int32_t scale, int32_t brightness) {
  Ink ink;
  for (int i = 0; i < 3; ++i) {
    ink.limit[i] = std::clamp(int32_t((int64_t(colour[i]) * scale) >> 16), 0, 255);
    ink.hit[i] = int32_t((int64_t(ink.limit[i]) * brightness) >> 16);
  }
  ink.grey = ink.limit[0] == ink.limit[1] && ink.limit[1] == ink.limit[2];
  return ink;
}

// The code value range the height table covers (chroma reaches past 0..255).
constexpr int32_t kLowestCode = -256, kHighestCode = 511;
constexpr int32_t kCodeCount = kHighestCode - kLowestCode + 1;

struct Tracer {
  uint8_t* base;
  ptrdiff_t rowBytes;
  int32_t bottomRow;    // the trace area's lowest pixel row
  int32_t top, bottom;  // rows written: top <= y < bottom
  const ClimbTable* climb;
  int32_t height16[kCodeCount];  // 16.16 height of each code value above the bottom row

  // Lands hits of weight/65536 of the ink on the pixel. Colour hits add;
  // luma hits climb the phosphor table, n of them as one hit sqrt(n) times
  // as strong, which is where n single climbs end. Either way a component
  // stops at its limit.
  template <bool kPhosphor>
  void Brighten(uint8_t* pixel, const Ink& ink, int32_t weight, int32_t hits, float rootHits) const {
    uint32_t word;
    std::memcpy(&word, pixel, 4);
    int32_t c[3] = {int32_t(word >> 16 & 0xFF), int32_t(word >> 8 & 0xFF), int32_t(word & 0xFF)};
    if (kPhosphor && ink.grey && c[0] == c[1] && c[1] == c[2]) {
      // A grey trace on a grey pixel: one component says it all.
      if (c[0] >= ink.limit[0]) return;
      int32_t a = (ink.hit[0] * weight) >> 16;
      int32_t climbed = climb->entry[c[0]][std::min(int32_t(float(a) * rootHits), 255)];
      uint32_t v = uint32_t(std::min(climbed, ink.limit[0]));
      word = 0xFF000000u | v * 0x010101u;
      std::memcpy(pixel, &word, 4);
      return;
    }
    for (int i = 0; i < 3; ++i) {
      if (c[i] >= ink.limit[i]) continue;
      int32_t a = (ink.hit[i] * weight) >> 16;
      int32_t v = kPhosphor ? climb->entry[c[i]][std::min(int32_t(float(a) * rootHits), 255)]
                            : int32_t(std::min<int64_t>(c[i] + int64_t(a) * hits, 255));
      c[i] = std::min(v, ink.limit[i]);
    }
    word = 0xFF000000u | uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | uint32_t(c[2]);
    std::memcpy(pixel, &word, 4);
  }

  // The two pixels of column x that straddle the code's height.
  template <bool kPhosphor>
  void Plot(int32_t x, int32_t code, const Ink& ink, int32_t hits) const {
    int32_t h = height16[std::clamp(code, kLowestCode, kHighestCode) - kLowestCode];
    int32_t f = h & 0xFFFF;
    int32_t y0 = bottomRow - (h >> 16);  // lower pixel; the upper one is y0 - 1
    float rootHits = kPhosphor ? std::sqrt(float(hits)) : 1.0f;
    uint8_t* column = base + ptrdiff_t(x) * 4;
    if (y0 >= top && y0 < bottom) Brighten<kPhosphor>(column + y0 * rowBytes, ink, 65536 - f, hits, rootHits);
    if (f != 0 && y0 - 1 >= top && y0 - 1 < bottom)
      Brighten<kPhosphor>(column + (y0 - 1) * rowBytes, ink, f, hits, rootHits);
  }
};

struct Sampler {
  const WaveformParams* p;
  ScopePixelLayout layout;
  const uint8_t* luma;   // three 256-entry tables
  const int32_t* diff;   // six colour-difference tables
  int64_t cbMul, crMul;  // 16.16 colour difference to code value
  int64_t mid16;         // code value of zero colour difference, 16.16
  int32_t panelWidth;    // target columns of a panel
};

int32_t RowStep(const WaveformParams& p) {
  if (p.fieldSkip <= 0) return 1;
  return std::max(int32_t(std::lround(double(p.height) / p.fieldSkip)), 1);
}

template <Channel kChannel>
inline int32_t CodeOf(const Sampler& s, const uint8_t* px) {
  const int32_t* t = s.diff;
  uint8_t r = px[s.layout.red], g = px[s.layout.green], b = px[s.layout.blue];
  if constexpr (kChannel == kRed) return r;
  if constexpr (kChannel == kGreen) return g;
  if constexpr (kChannel == kBlue) return b;
  if constexpr (kChannel == kCb) {
    int64_t bv = int64_t(t[512 + b]) - t[r] - t[256 + g];
    return int32_t((s.mid16 + ((bv * s.cbMul) >> 16) + 32768) >> 16);
  }
  if constexpr (kChannel == kCr) {
    int64_t rv = int64_t(t[768 + r]) - t[1024 + g] - t[1280 + b];
    return int32_t((s.mid16 + ((rv * s.crMul) >> 16) + 32768) >> 16);
  }
  return s.luma[r] + s.luma[256 + g] + s.luma[512 + b];
}

// The codes one pixel gives a channel: one, or for the YC waveform two:
// luma plus and minus the magnitude of the colour difference, the
// excursions of the composite signal.
template <Channel kChannel, bool kChroma>
inline int32_t Codes(const Sampler& s, const uint8_t* px, int32_t out[2]) {
  if constexpr (kChannel == kLuma && kChroma) {
    const int32_t* t = s.diff;
    uint8_t r = px[s.layout.red], g = px[s.layout.green], b = px[s.layout.blue];
    float bv = float(t[512 + b] - t[r] - t[256 + g]), rv = float(t[768 + r] - t[1024 + g] - t[1280 + b]);
    int32_t magnitude = int32_t(std::sqrt(bv * bv + rv * rv) * (1.0f / 65536.0f) + 0.5f);
    int32_t y = s.luma[r] + s.luma[256 + g] + s.luma[512 + b];
    out[0] = y + magnitude;
    out[1] = y - magnitude;
    return 2;
  } else {
    out[0] = CodeOf<kChannel>(s, px);
    return 1;
  }
}

// The trace is drawn in strips of columns: the sampled rows of a strip are
// counted per code value and column, reading the source row by row, then
// the hits land code by code, each code along the strip's columns, so the
// writes run along the target's rows. A pixel belongs to one column, so it
// still takes its codes in rising order.
constexpr int32_t kStripColumns = 32;

struct Strip {
  const uint8_t* pixels;  // source
  size_t rowBytes;
  int32_t firstRow, endRow, rowStep;
  int32_t columns;
  int32_t sourceX[kStripColumns];
  int32_t low, high;  // range of code indices the channel can give
  int32_t count[kCodeCount][kStripColumns];
  int32_t rgb[3][256][kStripColumns];  // the overlay's channels by code value
};

template <Channel kChannel, bool kChroma>
void CountStrip(const Sampler& sampler, Strip& strip) {
  // Locals, so the counts' stores cannot make the loop read them again.
  const Sampler s = sampler;
  const int32_t columns = strip.columns, endRow = strip.endRow, rowStep = strip.rowStep;
  const uint8_t* const pixels = strip.pixels;
  const size_t rowBytes = strip.rowBytes;
  int32_t offsets[kStripColumns];
  for (int32_t c = 0; c < columns; ++c) offsets[c] = strip.sourceX[c] * 4;
  int32_t (*const count)[kStripColumns] = strip.count;
  for (int32_t y = strip.firstRow; y < endRow; y += rowStep) {
    const uint8_t* row = pixels + size_t(y) * rowBytes;
    for (int32_t c = 0; c < columns; ++c) {
      int32_t codes[2];
      for (int32_t k = Codes<kChannel, kChroma>(s, row + offsets[c], codes); k-- > 0;)
        ++count[std::clamp(codes[k], kLowestCode, kHighestCode) - kLowestCode][c];
    }
  }
}

using CountProc = void (*)(const Sampler&, Strip&);
constexpr CountProc kCountProcs[6][2] = {
    {CountStrip<kLuma, false>, CountStrip<kLuma, true>}, {CountStrip<kRed, false>, CountStrip<kRed, false>},
    {CountStrip<kGreen, false>, CountStrip<kGreen, false>}, {CountStrip<kBlue, false>, CountStrip<kBlue, false>},
    {CountStrip<kCb, false>, CountStrip<kCb, false>},     {CountStrip<kCr, false>, CountStrip<kCr, false>},
};

// Lands the counts of code indices low..high (code value = index + offset)
// and clears them.
template <bool kPhosphor>
void LandCounts(const Tracer& tracer, int32_t (*counts)[kStripColumns], int32_t low, int32_t high, int32_t offset,
                int32_t columns, int32_t left, const Ink& ink) {
  for (int32_t j = low; j <= high; ++j) {
    int32_t* count = counts[j];
    // Most codes have no hits in a strip: one pass over the whole row says so.
    int32_t any = 0;
    for (int32_t c = 0; c < kStripColumns; ++c) any |= count[c];
    if (!any) continue;
    for (int32_t c = 0; c < columns; ++c) {
      if (count[c] == 0) continue;
      tracer.Plot<kPhosphor>(left + c, j + offset, ink, count[c]);
      count[c] = 0;
    }
  }
}

template <bool kPhosphor>
void LandStrip(const Tracer& tracer, Strip& strip, int32_t left, const Ink& ink) {
  LandCounts<kPhosphor>(tracer, strip.count, strip.low, strip.high, kLowestCode, strip.columns, left, ink);
}

// The overlay's red, green and blue counted in one pass over the source.
void CountStripRGB(const Sampler& sampler, Strip& strip) {
  const int32_t columns = strip.columns, endRow = strip.endRow, rowStep = strip.rowStep;
  const uint8_t* const pixels = strip.pixels;
  const size_t rowBytes = strip.rowBytes;
  const int red = sampler.layout.red, green = sampler.layout.green, blue = sampler.layout.blue;
  int32_t offsets[kStripColumns];
  for (int32_t c = 0; c < columns; ++c) offsets[c] = strip.sourceX[c] * 4;
  int32_t (*const r)[kStripColumns] = strip.rgb[0];
  int32_t (*const g)[kStripColumns] = strip.rgb[1];
  int32_t (*const b)[kStripColumns] = strip.rgb[2];
  for (int32_t y = strip.firstRow; y < endRow; y += rowStep) {
    const uint8_t* row = pixels + size_t(y) * rowBytes;
    for (int32_t c = 0; c < columns; ++c) {
      const uint8_t* px = row + offsets[c];
      ++r[px[red]][c];
      ++g[px[green]][c];
      ++b[px[blue]][c];
    }
  }
}

// Each hit in the pixel's own colour, one at a time.
template <Channel kChannel, bool kChroma>
void TraceOwnColour(const Sampler& s, const Tracer& tracer, const Strip& strip, int32_t left) {
  const WaveformParams& p = *s.p;
  for (int32_t y = strip.firstRow; y < strip.endRow; y += strip.rowStep) {
    const uint8_t* row = strip.pixels + size_t(y) * strip.rowBytes;
    for (int32_t c = 0; c < strip.columns; ++c) {
      const uint8_t* px = row + size_t(strip.sourceX[c]) * 4;
      const int32_t colour[3] = {px[s.layout.red], px[s.layout.green], px[s.layout.blue]};
      Ink ink = MakeInk(colour, p.scale, p.brightness);
      int32_t codes[2];
      for (int32_t k = Codes<kChannel, kChroma>(s, px, codes); k-- > 0;)
        tracer.Plot<kChannel == kLuma>(left + c, codes[k], ink, 1);
    }
  }
}

using OwnColourProc = void (*)(const Sampler&, const Tracer&, const Strip&, int32_t);
constexpr OwnColourProc kOwnColourProcs[6][2] = {
    {TraceOwnColour<kLuma, false>, TraceOwnColour<kLuma, true>},
    {TraceOwnColour<kRed, false>, TraceOwnColour<kRed, false>},
    {TraceOwnColour<kGreen, false>, TraceOwnColour<kGreen, false>},
    {TraceOwnColour<kBlue, false>, TraceOwnColour<kBlue, false>},
    {TraceOwnColour<kCb, false>, TraceOwnColour<kCb, false>},
    {TraceOwnColour<kCr, false>, TraceOwnColour<kCr, false>},
};

// The code values (as indices) a channel can give: bytes and luma 0..255,
// colour differences the span of the levels, luma with chroma up to about
// 200 codes either side.
void CodeRange(const WaveformParams& p, Channel channel, bool chroma, int32_t* low, int32_t* high) {
  int32_t first = 0, last = 255;
  if (chroma) {
    first = -200;
    last = 460;
  } else if (channel == kCb || channel == kCr) {
    first = std::min(p.blackLevel, p.whiteLevel) - 2;
    last = std::max(p.blackLevel, p.whiteLevel) + 2;
  }
  *low = std::clamp(first, kLowestCode, kHighestCode) - kLowestCode;
  *high = std::clamp(last, kLowestCode, kHighestCode) - kLowestCode;
}

// One strip of the trace: its panel, where the panel starts and the strip's
// first column within it.
struct StripJob {
  PanelChannels panel;
  int32_t left;
  int32_t start, columns;
};

// The whole trace, cut into strips that the caller and the pool's tasks take
// one at a time. Strips touch disjoint columns of the target, so they may
// land in any order and on any task; each part counts in a strip of its own.
struct TraceJob {
  const Sampler* s;
  const Tracer* tracer;
  const Ink* inks;
  std::vector<StripJob> strips;
};

// Counting strips, one per task, kept between draws with zero counts.
std::vector<std::unique_ptr<Strip>>& CountingStrips() {
  static std::vector<std::unique_ptr<Strip>> strips;
  return strips;
}

void TraceStrip(const Sampler& s, const Tracer& tracer, const StripJob& job, const Ink inks[6], Strip& strip) {
  const WaveformParams& p = *s.p;
  bool chroma = (p.flags & kWFMFlagChroma) != 0, ownColour = (p.flags & kWFMFlagColor) != 0;
  strip.pixels = p.pixels;
  strip.rowBytes = size_t(p.rowBytes);
  strip.rowStep = RowStep(p);
  strip.firstRow = 0;
  strip.endRow = p.height;
  if (p.fieldSkip == -1) {
    strip.firstRow = p.lineSelect;
    strip.endRow = p.lineSelect + 1;
  }
  int64_t step16 = (int64_t(p.width) << 16) / (s.panelWidth);
  strip.columns = job.columns;
  for (int32_t c = 0; c < strip.columns; ++c) strip.sourceX[c] = int32_t(((job.start + c) * step16) >> 16);
  const int32_t left = job.left + job.start;
  if (!ownColour && job.panel.count == 3) {
    // The overlay: red, then green, then blue land over one another.
    CountStripRGB(s, strip);
    for (int32_t i = 0; i < 3; ++i)
      LandCounts<false>(tracer, strip.rgb[i], 0, 255, 0, strip.columns, left, inks[job.panel.channels[i]]);
    return;
  }
  for (int32_t i = 0; i < job.panel.count; ++i) {
    Channel channel = job.panel.channels[i];
    if (ownColour) {
      kOwnColourProcs[channel][chroma](s, tracer, strip, left);
      continue;
    }
    CodeRange(p, channel, chroma && channel == kLuma, &strip.low, &strip.high);
    kCountProcs[channel][chroma](s, strip);
    if (channel == kLuma)
      LandStrip<true>(tracer, strip, left, inks[channel]);
    else
      LandStrip<false>(tracer, strip, left, inks[channel]);
  }
}

void DrawTrace(const WaveformParams& p, const WaveformScale& scale, const WaveformLayout& layout) {
  static const ClimbTable climb;
  TKImage* target = p.target;
  // Writes stay inside the trace area and the target.
  int32_t xMin = std::max(layout.trace.left, 0), xEnd = std::min(layout.trace.right, TKImageWidth(target));
  Tracer tracer;
  tracer.base = TKImagePixels(target);
  tracer.rowBytes = TKImageRowBytes(target);
  tracer.bottomRow = layout.trace.bottom - 1;
  tracer.top = std::max(layout.trace.top, 0);
  tracer.bottom = std::min(layout.trace.bottom, TKImageHeight(target));
  tracer.climb = &climb;
  if (xMin >= xEnd || tracer.top >= tracer.bottom) return;
  for (int32_t code = kLowestCode; code <= kHighestCode; ++code) {
    double height = WaveformHeightOfIRE(scale, layout, WaveformIREOfCode(scale, p, code));
    tracer.height16[code - kLowestCode] = int32_t(std::clamp(std::lround(height * 65536.0), -(1l << 30), 1l << 30));
  }

  Sampler s;
  s.p = &p;
  s.layout = (p.flags & kWFMFlagLittleEndian) ? kScopeLayoutLittleEndianWords : kScopeLayoutARGBMemory;
  s.luma = ScopeLumaTables(p.matrix);
  s.diff = BuildRGBtoYCbCrTables(p.matrix);
  // Cb and Cr span white - black code values around the middle of the range.
  double range = double(p.whiteLevel) - p.blackLevel;
  s.cbMul = std::lround(range / (255.0 * 0.872) * 65536.0);
  s.crMul = std::lround(range / (255.0 * 1.23) * 65536.0);
  s.mid16 = (int64_t(p.whiteLevel) + p.blackLevel) * 32768;

  Ink inks[6];
  for (int i = 0; i < 6; ++i) inks[i] = MakeInk(kTraceColours[i], p.scale, p.brightness);
  if (p.fieldSkip == -1 && (p.lineSelect < 0 || p.lineSelect >= p.height)) return;
  s.panelWidth = layout.panelWidth;

  TraceJob job;
  job.s = &s;
  job.tracer = &tracer;
  job.inks = inks;
  for (int32_t panel = 0; panel < layout.panelCount; ++panel) {
    const int32_t left = WaveformPanelLeft(layout, panel);
    const int32_t firstCol = std::max(xMin - left, 0), endCol = std::min(xEnd - left, layout.panelWidth);
    for (int32_t start = firstCol; start < endCol; start += kStripColumns)
      job.strips.push_back(StripJob{PanelOf(p.traceMode, panel), left, start, std::min(kStripColumns, endCol - start)});
  }
  if (job.strips.empty()) return;
  const uint32_t parts = uint32_t(std::min<size_t>(gNumProcessors, job.strips.size()));
  std::vector<std::unique_ptr<Strip>>& strips = CountingStrips();
  while (strips.size() < std::max(parts, 1u)) strips.push_back(std::make_unique<Strip>());
  VLMPShareRuns(uint32_t(job.strips.size()), 1, parts, &gVLMPMaster, [&](uint32_t part, uint32_t first, uint32_t) {
    TraceStrip(*job.s, *job.tracer, job.strips[first], job.inks, *strips[part]);
  });
}

bool SourceUsable(const WaveformParams& p) {
  return p.pixels && p.width > 0 && p.height > 0 && p.rowBytes / 4 >= p.width;
}

ScopeBackdrop gGraticule;

}  // namespace

int32_t DrawWaveformMonitor(const WaveformParams* params) {
  if (!params || !params->target) return 0;
  const WaveformParams& p = *params;
  TKRect rect = p.rect ? *p.rect : TKMakeRect(0, 0, TKImageWidth(p.target), TKImageHeight(p.target));
  int32_t w = TKRectWidth(rect), h = TKRectHeight(rect);
  if (w <= 0 || h <= 0) return 0;
  WaveformScale scale = WaveformComputeScale(p);

  uint32_t graticuleFlags = p.flags & (kWFMFlagChroma | kWFMFlagIRE);
  if (ScopeBackdropPrepare(&gGraticule, w, h,
                           {graticuleFlags, p.traceMode, p.videoSystem, p.lineStep, p.whiteLevel, p.blackLevel,
                            p.setupOffset, p.brightness}) &&
      gGraticule.image) {
    TKRect local = TKMakeRect(0, 0, w, h);
    WaveformDrawGraticule(gGraticule.image, local, p, scale, WaveformComputeLayout(local, p.traceMode));
  }
  ScopeBackdropCopy(&gGraticule, p.target, rect.left, rect.top);

  WaveformLayout layout = WaveformComputeLayout(rect, p.traceMode);
  if ((p.flags & kWFMFlagTrace) && SourceUsable(p) && layout.panelWidth >= 1 && p.whiteLevel != p.blackLevel)
    DrawTrace(p, scale, layout);
  return 0;
}
