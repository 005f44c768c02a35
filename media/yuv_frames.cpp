// Planar Y'CbCr frames (8 or 10 bits; 4:2:0, 4:2:2 or 4:4:4; video or
// full range) into 'BGRA' pixels of the same size, exactly: every output
// code is the nearest to the standard conversion.
//
// Rounding: the table for each sample value holds its share of the output
// code in 16.16 fixed point, each entry rounded once from the exact value:
//   Y' = (Y - black) / (white - black)    Pb, Pr = (C - centre) / span
//   R = Y' + 2(1 - Kr) Pr
//   G = Y' - 2 Kb (1 - Kb) / Kg Pb - 2 Kr (1 - Kr) / Kg Pr
//   B = Y' + 2(1 - Kb) Pb
// times 255. A pixel's code is the sum of its entries plus one half,
// shifted down 16 bits and clamped to 0..255, so video black and white
// (16 and 235 of 8 bits, 64 and 940 of 10) give 0 and 255 exactly and
// every level between is within half a code plus the tables' rounding
// (under 1 / 10,000 of a code). Chroma samples are repeated over the
// pixels they cover, as they were taken as the mean of those pixels.
//
// Two row loops give the same bytes: the plain loop, one pixel at a time,
// and the vector loop (SSE2), one pixel per register. The vector loop
// widens the tables into rows of four lanes, one per byte of the pixel as
// it lies in memory (A, R, G, B):
//   luma code Y  {2^30, Y share + 1/2, Y share + 1/2, Y share + 1/2}
//   Cb code      {0,    0,             green share,   blue share}
//   Cr code      {0,    red share,     green share,   0}
// A pixel is the sum of its three rows, shifted down 16 bits
// (arithmetically, as the plain loop's >>) and narrowed with signed
// saturation to 16 bits, then with unsigned saturation to 8: the two
// narrowings clamp to 0..255 exactly as the plain loop's clamp does. The
// lanes hold the plain loop's sums with its half already added, the same
// integers (none comes near 2^31), so every code is the same. The alpha
// lane, 2^30 (16,384 codes) plus luma's few hundred codes either way,
// saturates to 255.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/pixel_vector.h"
#include "media/ffmpeg_frames.h"
#include "media/yuv_frames_internal.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace media {

namespace {

struct YUVLayout {
  AVPixelFormat format;
  int bits;
  int chromaShiftX, chromaShiftY;
  bool fullRange;  // the JPEG formats: full range whatever the frame says
};

const YUVLayout kLayouts[] = {
    {AV_PIX_FMT_YUV420P, 8, 1, 1, false},     {AV_PIX_FMT_YUV422P, 8, 1, 0, false},
    {AV_PIX_FMT_YUV444P, 8, 0, 0, false},     {AV_PIX_FMT_YUVJ420P, 8, 1, 1, true},
    {AV_PIX_FMT_YUVJ422P, 8, 1, 0, true},     {AV_PIX_FMT_YUVJ444P, 8, 0, 0, true},
    {AV_PIX_FMT_YUV420P10, 10, 1, 1, false},  {AV_PIX_FMT_YUV422P10, 10, 1, 0, false},
    {AV_PIX_FMT_YUV444P10, 10, 0, 0, false},
};

// The five tables of one frame's depth, range and matrix.
struct Tables {
  int size;
  int32_t y[1024], rv[1024], gu[1024], gv[1024], bu[1024];
};

void BuildTables(const YUVLayout& layout, bool fullRange, bool rec709, Tables* t) {
  t->size = 1 << layout.bits;
  const double scale = double(1 << (layout.bits - 8));
  const double black = fullRange ? 0.0 : 16.0 * scale;
  const double white = fullRange ? double(t->size - 1) : 235.0 * scale;
  const double centre = 128.0 * scale;
  const double span = fullRange ? double(t->size - 1) : 224.0 * scale;
  const double kr = rec709 ? 0.2126 : 0.299, kb = rec709 ? 0.0722 : 0.114, kg = 1.0 - kr - kb;
  const double one = 255.0 * 65536.0;
  for (int v = 0; v < t->size; ++v) {
    const double luma = (v - black) / (white - black), chroma = (v - centre) / span;
    t->y[v] = int32_t(std::lround(one * luma));
    t->rv[v] = int32_t(std::lround(one * 2.0 * (1.0 - kr) * chroma));
    t->gu[v] = int32_t(std::lround(-one * 2.0 * kb * (1.0 - kb) / kg * chroma));
    t->gv[v] = int32_t(std::lround(-one * 2.0 * kr * (1.0 - kr) / kg * chroma));
    t->bu[v] = int32_t(std::lround(one * 2.0 * (1.0 - kb) * chroma));
  }
}

uint32_t Code(int32_t sum) { return uint32_t(std::clamp((sum + 32768) >> 16, 0, 255)); }

// Samples beyond the depth (only in a damaged frame) are taken as the top;
// 8-bit samples cannot be.
template <class Sample>
int Index(Sample v, int top) {
  if constexpr (sizeof(Sample) == 1) return v;
  return std::min<int>(v, top);
}

template <class Sample>
void ConvertRows(const AVFrame* f, const YUVLayout& layout, const Tables& t, uint8_t* pixels, uint32_t rowBytes) {
  const int top = t.size - 1;
  const int shiftX = layout.chromaShiftX;
  for (int y = 0; y < f->height; ++y) {
    const auto* luma = reinterpret_cast<const Sample*>(f->data[0] + ptrdiff_t(y) * f->linesize[0]);
    const int cy = y >> layout.chromaShiftY;
    const auto* cb = reinterpret_cast<const Sample*>(f->data[1] + ptrdiff_t(cy) * f->linesize[1]);
    const auto* cr = reinterpret_cast<const Sample*>(f->data[2] + ptrdiff_t(cy) * f->linesize[2]);
    uint8_t* out = pixels + size_t(y) * rowBytes;
    // One chroma sample's shares, then each pixel it covers.
    for (int cx = 0; (cx << shiftX) < f->width; ++cx) {
      const int u = Index(cb[cx], top), v = Index(cr[cx], top);
      const int32_t red = t.rv[v], green = t.gu[u] + t.gv[v], blue = t.bu[u];
      const int end = std::min((cx + 1) << shiftX, f->width);
      for (int x = cx << shiftX; x < end; ++x) {
        const int32_t base = t.y[Index(luma[x], top)];
        const uint32_t value = Code(base + blue) << 24 | Code(base + green) << 16 | Code(base + red) << 8 | 255u;
        std::memcpy(out + 4 * size_t(x), &value, 4);
      }
    }
  }
}

#if VELMORA_SSE_VECTORS

// One row of four lanes (see the note at the top).
struct alignas(16) Lanes {
  int32_t lane[4];
};

// The five tables widened into lanes: a pixel is luma[Y] + cb[Cb] + cr[Cr].
struct LaneTables {
  Lanes luma[1024], cb[1024], cr[1024];
};

void BuildLaneTables(const Tables& t, LaneTables* lanes) {
  for (int v = 0; v < t.size; ++v) {
    const int32_t share = t.y[v] + 32768;
    lanes->luma[v] = {{1 << 30, share, share, share}};
    lanes->cb[v] = {{0, 0, t.gu[v], t.bu[v]}};
    lanes->cr[v] = {{0, t.rv[v], t.gv[v], 0}};
  }
}

__m128i Load(const Lanes& l) { return _mm_load_si128(reinterpret_cast<const __m128i*>(l.lane)); }

// Four pixels' sums as 16 bytes.
__m128i PackPixels(__m128i p0, __m128i p1, __m128i p2, __m128i p3) {
  const __m128i low = _mm_packs_epi32(_mm_srai_epi32(p0, 16), _mm_srai_epi32(p1, 16));
  const __m128i high = _mm_packs_epi32(_mm_srai_epi32(p2, 16), _mm_srai_epi32(p3, 16));
  return _mm_packus_epi16(low, high);
}

// The frame's rows, for its chroma shift across (0 or 1).
template <class Sample, int shiftX>
void VectorRows(const AVFrame* f, int chromaShiftY, int top, const LaneTables& t, uint8_t* pixels,
                uint32_t rowBytes) {
  const int width = f->width;
  for (int y = 0; y < f->height; ++y) {
    const auto* luma = reinterpret_cast<const Sample*>(f->data[0] + ptrdiff_t(y) * f->linesize[0]);
    const int cy = y >> chromaShiftY;
    const auto* cb = reinterpret_cast<const Sample*>(f->data[1] + ptrdiff_t(cy) * f->linesize[1]);
    const auto* cr = reinterpret_cast<const Sample*>(f->data[2] + ptrdiff_t(cy) * f->linesize[2]);
    uint8_t* out = pixels + size_t(y) * rowBytes;
    auto chroma = [&](int cx) { return _mm_add_epi32(Load(t.cb[Index(cb[cx], top)]), Load(t.cr[Index(cr[cx], top)])); };
    auto pixel = [&](int x, __m128i c) { return _mm_add_epi32(Load(t.luma[Index(luma[x], top)]), c); };
    int x = 0;
    for (; x + 4 <= width; x += 4) {
      __m128i c[4];
      if constexpr (shiftX == 1) {
        c[0] = c[1] = chroma(x >> 1);
        c[2] = c[3] = chroma((x >> 1) + 1);
      } else {
        for (int k = 0; k < 4; ++k) c[k] = chroma(x + k);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * size_t(x)),
                       PackPixels(pixel(x, c[0]), pixel(x + 1, c[1]), pixel(x + 2, c[2]), pixel(x + 3, c[3])));
    }
    for (; x < width; ++x) {
      const __m128i p = pixel(x, chroma(x >> shiftX));
      const int32_t value = _mm_cvtsi128_si32(PackPixels(p, p, p, p));
      std::memcpy(out + 4 * size_t(x), &value, 4);
    }
  }
}

void ConvertVector(const AVFrame* f, const YUVLayout& layout, const Tables& t, uint8_t* pixels, uint32_t rowBytes) {
  LaneTables lanes;
  BuildLaneTables(t, &lanes);
  const bool wide = layout.bits > 8, shared = layout.chromaShiftX > 0;
  const auto rows = wide ? (shared ? VectorRows<uint16_t, 1> : VectorRows<uint16_t, 0>)
                         : (shared ? VectorRows<uint8_t, 1> : VectorRows<uint8_t, 0>);
  rows(f, layout.chromaShiftY, t.size - 1, lanes, pixels, rowBytes);
}

#endif

}  // namespace

bool YUVVectorRowsBuilt() {
#if VELMORA_SSE_VECTORS
  return true;
#else
  return false;
#endif
}

bool ConvertYUVFrameExactly(const AVFrame* frame, uint8_t* pixels, uint32_t rowBytes) {
  return ConvertYUVFrameRows(frame, pixels, rowBytes, kYUVRowsVector);
}

bool ConvertYUVFrameRows(const AVFrame* frame, uint8_t* pixels, uint32_t rowBytes, YUVRows rows) {
  const YUVLayout* layout = nullptr;
  for (const YUVLayout& row : kLayouts)
    if (row.format == frame->format) layout = &row;
  if (!layout || frame->width <= 0 || frame->height <= 0) return false;
  Tables tables;
  BuildTables(*layout, layout->fullRange || frame->color_range == AVCOL_RANGE_JPEG,
              frame->colorspace == AVCOL_SPC_BT709, &tables);
#if VELMORA_SSE_VECTORS
  if (rows == kYUVRowsVector) {
    ConvertVector(frame, *layout, tables, pixels, rowBytes);
    return true;
  }
#else
  (void)rows;
#endif
  if (layout->bits > 8)
    ConvertRows<uint16_t>(frame, *layout, tables, pixels, rowBytes);
  else
    ConvertRows<uint8_t>(frame, *layout, tables, pixels, rowBytes);
  return true;
}

}  // namespace media
