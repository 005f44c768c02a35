// The exact Y'CbCr converter. Its vector rows must give the plain loop's
// bytes over every layout, range and matrix it takes, at odd sizes, with
// samples at the ends of their range and beyond it (a damaged 10-bit frame
// may hold any 16-bit value): a lane that takes another pixel's luma or
// chroma, clamps differently or writes past the row shows as a byte that
// differs. Both must give the nearest code to the conversion worked out
// here in double precision.
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "core/pixel_vector.h"
#include "media/ffmpeg_frames.h"
#include "media/yuv_frames_internal.h"

namespace {

struct FrameDeleter {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

const AVPixelFormat kFormats[] = {AV_PIX_FMT_YUV420P,   AV_PIX_FMT_YUV422P,   AV_PIX_FMT_YUV444P,
                                  AV_PIX_FMT_YUVJ420P,  AV_PIX_FMT_YUVJ422P,  AV_PIX_FMT_YUVJ444P,
                                  AV_PIX_FMT_YUV420P10, AV_PIX_FMT_YUV422P10, AV_PIX_FMT_YUV444P10};
const AVColorRange kRanges[] = {AVCOL_RANGE_MPEG, AVCOL_RANGE_JPEG, AVCOL_RANGE_UNSPECIFIED};
const AVColorSpace kMatrices[] = {AVCOL_SPC_BT709, AVCOL_SPC_SMPTE170M, AVCOL_SPC_UNSPECIFIED};
// Widths around the vector loop's four pixels and odd heights, so that the
// last chroma sample covers one pixel or one row only.
const int kSizes[][2] = {{1, 1}, {2, 1}, {3, 3}, {4, 2}, {5, 7}, {7, 2}, {8, 5}, {17, 9}, {66, 3}, {131, 4}};

bool Wide(const AVFrame* f) { return av_pix_fmt_desc_get(AVPixelFormat(f->format))->comp[0].depth > 8; }

// A frame whose every sample, row padding included, is random; one in four
// is one of the awkward values: 0, the top of the depth, and (10 bits) the
// codes just past it and the largest a 16-bit sample can hold.
FramePtr RandomFrame(AVPixelFormat format, int width, int height, AVColorRange range, AVColorSpace matrix,
                     std::mt19937& random) {
  FramePtr f(av_frame_alloc());
  f->format = format;
  f->width = width;
  f->height = height;
  f->color_range = range;
  f->colorspace = matrix;
  if (av_frame_get_buffer(f.get(), 0) < 0) return nullptr;
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
  const bool wide = Wide(f.get());
  const int top = wide ? 1023 : 255;
  const std::vector<int> awkward = wide ? std::vector<int>{0, 1023, 1024, 1025, 4095, 65535} : std::vector<int>{0, 255};
  for (int p = 0; p < 3; ++p) {
    const int rows = p ? AV_CEIL_RSHIFT(height, d->log2_chroma_h) : height;
    for (int y = 0; y < rows; ++y) {
      uint8_t* row = f->data[p] + ptrdiff_t(y) * f->linesize[p];
      for (int x = 0; x < f->linesize[p] / (wide ? 2 : 1); ++x) {
        const int v = random() % 4 == 0 ? awkward[random() % awkward.size()] : int(random() % (top + 1));
        if (wide)
          reinterpret_cast<uint16_t*>(row)[x] = uint16_t(v);
        else
          row[x] = uint8_t(v);
      }
    }
  }
  return f;
}

int Sample(const AVFrame* f, int plane, int x, int y) {
  const uint8_t* row = f->data[plane] + ptrdiff_t(y) * f->linesize[plane];
  return Wide(f) ? std::min<int>(reinterpret_cast<const uint16_t*>(row)[x], 1023) : row[x];
}

// Pixel (x, y) worked out in double precision: R, G, B codes before rounding,
// clamped to 0..255.
void ExactPixel(const AVFrame* f, int x, int y, double rgb[3]) {
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(f->format));
  const double scale = Wide(f) ? 4.0 : 1.0, top = Wide(f) ? 1023.0 : 255.0;
  const bool full = f->color_range == AVCOL_RANGE_JPEG || f->format == AV_PIX_FMT_YUVJ420P ||
                    f->format == AV_PIX_FMT_YUVJ422P || f->format == AV_PIX_FMT_YUVJ444P;
  const double kr = f->colorspace == AVCOL_SPC_BT709 ? 0.2126 : 0.299;
  const double kb = f->colorspace == AVCOL_SPC_BT709 ? 0.0722 : 0.114, kg = 1.0 - kr - kb;
  const int cx = x >> d->log2_chroma_w, cy = y >> d->log2_chroma_h;
  const double luma = full ? Sample(f, 0, x, y) / top : (Sample(f, 0, x, y) - 16.0 * scale) / (219.0 * scale);
  const double span = full ? top : 224.0 * scale;
  const double pb = (Sample(f, 1, cx, cy) - 128.0 * scale) / span, pr = (Sample(f, 2, cx, cy) - 128.0 * scale) / span;
  rgb[0] = luma + 2.0 * (1.0 - kr) * pr;
  rgb[1] = luma - 2.0 * kb * (1.0 - kb) / kg * pb - 2.0 * kr * (1.0 - kr) / kg * pr;
  rgb[2] = luma + 2.0 * (1.0 - kb) * pb;
  for (int c = 0; c < 3; ++c) rgb[c] = std::clamp(rgb[c] * 255.0, 0.0, 255.0);
}

constexpr uint8_t kUntouched = 0xA5;
constexpr uint32_t kPadBytes = 12;

// The frame converted the given way into rows padded with kUntouched.
std::vector<uint8_t> Convert(const AVFrame* f, media::YUVRows rows) {
  const uint32_t rowBytes = uint32_t(f->width) * 4 + kPadBytes;
  std::vector<uint8_t> pixels(size_t(rowBytes) * f->height, kUntouched);
  EXPECT_TRUE(media::ConvertYUVFrameRows(f, pixels.data(), rowBytes, rows));
  return pixels;
}

TEST(YUVFrames, VectorRowsGiveThePlainLoopsBytesAndTheNearestCodes) {
#if VELMORA_SSE_VECTORS
  EXPECT_TRUE(media::YUVVectorRowsBuilt());
#endif
  std::mt19937 random(20261211);
  for (AVPixelFormat format : kFormats)
    for (AVColorRange range : kRanges)
      for (AVColorSpace matrix : kMatrices)
        for (const auto& size : kSizes) {
          FramePtr f = RandomFrame(format, size[0], size[1], range, matrix, random);
          ASSERT_TRUE(f);
          SCOPED_TRACE(testing::Message() << av_get_pix_fmt_name(format) << " " << av_color_range_name(range) << " "
                                          << av_color_space_name(matrix) << " " << size[0] << "x" << size[1]);
          const std::vector<uint8_t> plain = Convert(f.get(), media::kYUVRowsPlain);
          const std::vector<uint8_t> vector = Convert(f.get(), media::kYUVRowsVector);
          const uint32_t rowBytes = uint32_t(size[0]) * 4 + kPadBytes;
          int wrong = 0;
          for (int y = 0; y < size[1]; ++y) {
            const uint8_t* row = vector.data() + size_t(y) * rowBytes;
            for (uint32_t b = uint32_t(size[0]) * 4; b < rowBytes; ++b) ASSERT_EQ(row[b], kUntouched) << "row " << y;
            for (int x = 0; x < size[0]; ++x) {
              const uint8_t* p = row + 4 * x;
              double rgb[3];
              ExactPixel(f.get(), x, y, rgb);
              // Alpha, then R, G, B as the 'BGRA' value lies in memory.
              bool near = p[0] == 255;
              for (int c = 0; c < 3; ++c) near = near && std::abs(p[1 + c] - rgb[c]) < 0.5 + 1e-3;
              if (!near && wrong++ < 3)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << int(p[0]) << " " << int(p[1]) << " "
                              << int(p[2]) << " " << int(p[3]) << " for " << rgb[0] << " " << rgb[1] << " " << rgb[2];
            }
          }
          ASSERT_EQ(0, std::memcmp(plain.data(), vector.data(), plain.size()));
        }
}

// The usual levels land on their codes exactly: video black and white, mid
// grey and the primaries' extremes, and luma past 10 bits read as the top.
TEST(YUVFrames, LevelsLandOnTheirCodes) {
  struct Case {
    AVPixelFormat format;
    AVColorRange range;
    int y, cb, cr;
    uint8_t r, g, b;
  };
  const Case cases[] = {
      {AV_PIX_FMT_YUV420P, AVCOL_RANGE_MPEG, 16, 128, 128, 0, 0, 0},
      {AV_PIX_FMT_YUV420P, AVCOL_RANGE_MPEG, 235, 128, 128, 255, 255, 255},
      {AV_PIX_FMT_YUV420P, AVCOL_RANGE_MPEG, 0, 128, 128, 0, 0, 0},
      {AV_PIX_FMT_YUV422P10, AVCOL_RANGE_MPEG, 64, 512, 512, 0, 0, 0},
      {AV_PIX_FMT_YUV422P10, AVCOL_RANGE_MPEG, 940, 512, 512, 255, 255, 255},
      {AV_PIX_FMT_YUV422P10, AVCOL_RANGE_MPEG, 502, 512, 512, 128, 128, 128},
      {AV_PIX_FMT_YUV444P10, AVCOL_RANGE_MPEG, 65535, 512, 512, 255, 255, 255},
      {AV_PIX_FMT_YUV444P10, AVCOL_RANGE_MPEG, 64, 1023, 65535, 229, 0, 255},
      {AV_PIX_FMT_YUVJ444P, AVCOL_RANGE_UNSPECIFIED, 128, 128, 128, 128, 128, 128},
      {AV_PIX_FMT_YUV444P, AVCOL_RANGE_JPEG, 255, 128, 128, 255, 255, 255},
  };
  for (const Case& c : cases)
    for (media::YUVRows rows : {media::kYUVRowsPlain, media::kYUVRowsVector}) {
      SCOPED_TRACE(testing::Message() << av_get_pix_fmt_name(c.format) << " " << c.y << " " << c.cb << " " << c.cr
                                      << (rows == media::kYUVRowsPlain ? " plain" : " vector"));
      FramePtr f(av_frame_alloc());
      f->format = c.format;
      f->width = 6;
      f->height = 2;
      f->color_range = c.range;
      f->colorspace = AVCOL_SPC_BT709;
      ASSERT_GE(av_frame_get_buffer(f.get(), 0), 0);
      const bool wide = Wide(f.get());
      const int values[3] = {c.y, c.cb, c.cr};
      for (int p = 0; p < 3; ++p)
        for (int y = 0; y < 2; ++y)
          for (int x = 0; x < 6; ++x) {
            uint8_t* row = f->data[p] + ptrdiff_t(y) * f->linesize[p];
            if (wide)
              reinterpret_cast<uint16_t*>(row)[x] = uint16_t(values[p]);
            else
              row[x] = uint8_t(values[p]);
          }
      const std::vector<uint8_t> pixels = Convert(f.get(), rows);
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x) {
          const uint8_t* p = pixels.data() + size_t(y) * (6 * 4 + kPadBytes) + 4 * x;
          ASSERT_EQ((std::vector<int>{p[0], p[1], p[2], p[3]}), (std::vector<int>{255, c.r, c.g, c.b}));
        }
    }
}

}  // namespace
