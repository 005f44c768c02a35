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
//   luma code     {2^30, Y share + 1/2, Y share + 1/2, Y share + 1/2}
//   chroma sample {0,    red share,     green share,   blue share}
// A pixel is its luma row plus its chroma row, shifted down 16 bits
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
#include <new>
#include <vector>

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

__m128i Load(const Lanes& l) { return _mm_load_si128(reinterpret_cast<const __m128i*>(l.lane)); }

// Four pixels' sums (each a luma row plus a chroma row) as 16 bytes.
__m128i PackPixels(__m128i p0, __m128i p1, __m128i p2, __m128i p3) {
  const __m128i low = _mm_packs_epi32(_mm_srai_epi32(p0, 16), _mm_srai_epi32(p1, 16));
  const __m128i high = _mm_packs_epi32(_mm_srai_epi32(p2, 16), _mm_srai_epi32(p3, 16));
  return _mm_packus_epi16(low, high);
}

// Rows of the frame's chroma shift across (0 or 1); lumaLanes has an entry
// for every sample value of the depth, chromaLanes room for a chroma row.
template <class Sample, int shiftX>
void VectorRows(const AVFrame* f, int chromaShiftY, const Tables& t, const Lanes* lumaLanes, Lanes* chromaLanes,
                uint8_t* pixels, uint32_t rowBytes) {
  const int top = t.size - 1;
  const int width = f->width, chromaWidth = (width + (1 << shiftX) - 1) >> shiftX;
  int chromaRow = -1;
  for (int y = 0; y < f->height; ++y) {
    // A chroma row's lanes serve every luma row it covers.
    if (const int cy = y >> chromaShiftY; cy != chromaRow) {
      chromaRow = cy;
      const auto* cb = reinterpret_cast<const Sample*>(f->data[1] + ptrdiff_t(cy) * f->linesize[1]);
      const auto* cr = reinterpret_cast<const Sample*>(f->data[2] + ptrdiff_t(cy) * f->linesize[2]);
      for (int cx = 0; cx < chromaWidth; ++cx) {
        const int u = Index(cb[cx], top), v = Index(cr[cx], top);
        chromaLanes[cx] = {{0, t.rv[v], t.gu[u] + t.gv[v], t.bu[u]}};
      }
    }
    const auto* luma = reinterpret_cast<const Sample*>(f->data[0] + ptrdiff_t(y) * f->linesize[0]);
    uint8_t* out = pixels + size_t(y) * rowBytes;
    auto sum = [&](int x) {
      return _mm_add_epi32(Load(lumaLanes[Index(luma[x], top)]), Load(chromaLanes[x >> shiftX]));
    };
    int x = 0;
    for (; x + 4 <= width; x += 4)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * size_t(x)),
                       PackPixels(sum(x), sum(x + 1), sum(x + 2), sum(x + 3)));
    for (; x < width; ++x) {
      const __m128i p = sum(x);
      const int32_t value = _mm_cvtsi128_si32(PackPixels(p, p, p, p));
      std::memcpy(out + 4 * size_t(x), &value, 4);
    }
  }
}

// False, with nothing written, when the chroma row's lanes cannot be had.
bool ConvertVector(const AVFrame* f, const YUVLayout& layout, const Tables& t, uint8_t* pixels, uint32_t rowBytes) {
  Lanes lumaLanes[1024];
  for (int v = 0; v < t.size; ++v) {
    const int32_t share = t.y[v] + 32768;
    lumaLanes[v] = {{1 << 30, share, share, share}};
  }
  std::vector<Lanes> chromaLanes;
  try {
    chromaLanes.resize(size_t(f->width));
  } catch (const std::bad_alloc&) {
    return false;
  }
  const bool wide = layout.bits > 8, shared = layout.chromaShiftX > 0;
  const auto rows = wide ? (shared ? VectorRows<uint16_t, 1> : VectorRows<uint16_t, 0>)
                         : (shared ? VectorRows<uint8_t, 1> : VectorRows<uint8_t, 0>);
  rows(f, layout.chromaShiftY, t, lumaLanes, chromaLanes.data(), pixels, rowBytes);
  return true;
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
  if (rows == kYUVRowsVector && ConvertVector(frame, *layout, tables, pixels, rowBytes)) return true;
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
