// Video levels of the movies we write and read. Flat black, white and mid
// grey frames go into the writer each way it takes pixels (8-bit, 16-bit,
// 16-bit in bands, float planes) with each codec. The coded samples, taken
// straight from libavcodec's decoder, must sit at the levels the codec's
// range sets: ProRes 64 to 940 (chroma 512), H.264 16 to 235 (chroma 128),
// MJPEG full range 0 to 255 (it is coded as JPEG's full-range Y'CbCr,
// chroma 128), PNG 0 to 255 in R, G and B. Our reader must give the levels
// back as they went in.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/frame_buffer.h"
#include "core/task_pool.h"
#include "media/movie_reader.h"
#include "media/movie_writer.h"
#include "media/output_job.h"
#include "media_test_files.h"
#include "tests/scratch_folder.h"

namespace {

constexpr uint32_t kW = 64, kH = 32;
// The frames, in 8-bit codes of full-range R, G, B: black, white, mid grey.
constexpr int kLevels[] = {0, 255, 128};

// The smallest and largest coded sample of one frame: luma (or R, G, B for
// an RGB codec) and chroma.
struct Coded {
  int lumaLow = 1 << 30, lumaHigh = -1, chromaLow = 1 << 30, chromaHigh = -1;
  AVPixelFormat format = AV_PIX_FMT_NONE;
  AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
};

void Widen(int v, int* low, int* high) {
  *low = std::min(*low, v);
  *high = std::max(*high, v);
}

int SampleAt(const AVFrame* f, int plane, int x, int y, bool wide) {
  const uint8_t* row = f->data[plane] + ptrdiff_t(y) * f->linesize[plane];
  return wide ? reinterpret_cast<const uint16_t*>(row)[x] : row[x];
}

// Every frame of the movie's video as libavcodec decodes it.
std::vector<Coded> DecodeCoded(const std::string& path) {
  std::vector<Coded> frames;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return frames;
  const int stream = avformat_find_stream_info(format, nullptr) >= 0
                         ? av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0)
                         : -1;
  const AVCodec* codec = stream >= 0 ? avcodec_find_decoder(format->streams[stream]->codecpar->codec_id) : nullptr;
  AVCodecContext* decoder = codec ? avcodec_alloc_context3(codec) : nullptr;
  AVPacket* packet = av_packet_alloc();
  AVFrame* f = av_frame_alloc();
  if (decoder && packet && f && avcodec_parameters_to_context(decoder, format->streams[stream]->codecpar) >= 0 &&
      avcodec_open2(decoder, codec, nullptr) >= 0) {
    bool flushed = false;
    for (;;) {
      const int got = avcodec_receive_frame(decoder, f);
      if (got == AVERROR(EAGAIN) && !flushed) {
        if (av_read_frame(format, packet) < 0) {
          avcodec_send_packet(decoder, nullptr);
          flushed = true;
        } else {
          if (packet->stream_index == stream) avcodec_send_packet(decoder, packet);
          av_packet_unref(packet);
        }
        continue;
      }
      if (got < 0) break;
      Coded c;
      c.format = AVPixelFormat(f->format);
      c.range = f->color_range;
      const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(c.format);
      const bool wide = d->comp[0].depth > 8;
      if (d->flags & AV_PIX_FMT_FLAG_RGB) {
        // Packed 8-bit R, G, B: every channel counts as luma.
        for (int y = 0; y < f->height; ++y)
          for (int x = 0; x < f->width * d->nb_components; ++x)
            Widen(SampleAt(f, 0, x, y, false), &c.lumaLow, &c.lumaHigh);
      } else {
        for (int y = 0; y < f->height; ++y)
          for (int x = 0; x < f->width; ++x) Widen(SampleAt(f, 0, x, y, wide), &c.lumaLow, &c.lumaHigh);
        for (int plane = 1; plane <= 2; ++plane)
          for (int y = 0; y < AV_CEIL_RSHIFT(f->height, d->log2_chroma_h); ++y)
            for (int x = 0; x < AV_CEIL_RSHIFT(f->width, d->log2_chroma_w); ++x)
              Widen(SampleAt(f, plane, x, y, wide), &c.chromaLow, &c.chromaHigh);
      }
      frames.push_back(c);
      av_frame_unref(f);
    }
  }
  av_frame_free(&f);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  avformat_close_input(&format);
  return frames;
}

// The ways pixels go into the writer.
enum Way { kBytes, kWide, kWideInBands, kFloatPlanes };
const char* const kWayNames[] = {"8-bit pixels", "16-bit pixels", "16-bit pixels in bands", "float planes"};

// Writes the three flat frames into path.
void WriteLevels(const std::string& path, uint32_t codec, Way way) {
  const QVMovieWriterSettings s = MovieSettings(codec, kW, kH);
  QVMovieWriter* w = nullptr;
  ASSERT_EQ(QVMovieWriterOpen(path.c_str(), &s, &w), QVMediaErr_NoErr);
  QVMovieWriterPicture* picture = nullptr;
  ASSERT_EQ(QVMovieWriterNewPicture(w, &picture), QVMediaErr_NoErr);
  FBFrameStruct* planes = nullptr;
  ASSERT_EQ(FBCreateRGBFrameBuffer(kW, kH, &planes, kFBPixFormatPlanarFloat), kQVNoErr);
  for (int level : kLevels) {
    const std::vector<uint8_t> bytes(size_t(kW) * kH * 4, uint8_t(level));
    std::vector<uint16_t> wide(size_t(kW) * kH * 4, uint16_t(level * 257));
    for (uint32_t k = 0; k < 3; ++k)
      for (uint32_t y = 0; y < kH; ++y)
        std::fill_n(reinterpret_cast<float*>(planes->baseAddr + size_t(k) * planes->planeBytes + y * planes->rowBytes),
                    kW, float(level) / 255.0f);
    switch (way) {
      case kBytes:
        ASSERT_EQ(QVMovieWriterAddFrame(w, bytes.data(), kW * 4, kQVMovieWriterBGRA8), QVMediaErr_NoErr);
        break;
      case kWide:
        ASSERT_EQ(QVMovieWriterAddFrame(w, wide.data(), kW * 8, kQVMovieWriterRGBA16), QVMediaErr_NoErr);
        break;
      case kWideInBands:
        ASSERT_EQ(QVMovieWriterFillPicture(w, picture, wide.data(), kW * 8), QVMediaErr_NoErr);
        ASSERT_EQ(QVMovieWriterAddPicture(w, picture), QVMediaErr_NoErr);
        break;
      case kFloatPlanes:
        ASSERT_EQ(QVMovieWriterFillPictureFromPlanes(w, picture, planes), QVMediaErr_NoErr);
        ASSERT_EQ(QVMovieWriterAddPicture(w, picture), QVMediaErr_NoErr);
        break;
    }
  }
  FBDisposeFrameBuffer(planes);
  QVMovieWriterFreePicture(picture);
  ASSERT_EQ(QVMovieWriterFinish(w), QVMediaErr_NoErr);
}

TEST(MovieLevels, BlackWhiteAndGreyAreCodedAtVideoLevelsAndReadBackWhole) {
  struct Case {
    uint32_t codec;
    AVPixelFormat coded;  // as the decoder gives it
    bool fullRange;
    int black, white, chroma;  // coded samples; chroma -1 for R, G, B
  } cases[] = {
      {kQVCodecJPEG, AV_PIX_FMT_YUVJ422P, true, 0, 255, 128},
      {kQVCodecProRes422, AV_PIX_FMT_YUV422P10LE, false, 64, 940, 512},
      {kQVCodecH264, AV_PIX_FMT_YUV420P, false, 16, 235, 128},
      {kQVCodecPNG, AV_PIX_FMT_RGB24, true, 0, 255, -1},
  };
  VLMPSetProcessorCountOverride(4);
  VLMPStartProcessPool();
  const std::string folder = MakeScratchFolder("levels");
  for (const Case& c : cases) {
    for (Way way : {kBytes, kWide, kWideInBands, kFloatPlanes}) {
      const std::string what = std::string(QVMovieWriterEncoderName(c.codec)) + " from " + kWayNames[way];
      const std::string path = folder + "/" + QVMovieWriterEncoderName(c.codec) + "-" + std::to_string(int(way)) + ".mov";
      WriteLevels(path, c.codec, way);
      if (testing::Test::HasFatalFailure()) break;

      const std::vector<Coded> coded = DecodeCoded(path);
      ASSERT_EQ(coded.size(), std::size(kLevels)) << what;
      for (size_t n = 0; n < coded.size(); ++n) {
        const Coded& got = coded[n];
        // Flat frames survive every codec here exactly: grey 128 codes as
        // the nearest level (126 of 8 bits, 504 of 10), as 8-bit pixels do.
        const int want = int(std::lround(c.black + (c.white - c.black) * kLevels[n] / 255.0));
        SCOPED_TRACE(what + ", level " + std::to_string(kLevels[n]));
        EXPECT_EQ(got.format, c.coded) << av_get_pix_fmt_name(got.format);
        EXPECT_EQ(got.lumaLow, want);
        EXPECT_EQ(got.lumaHigh, want);
        if (c.chroma >= 0) {
          EXPECT_EQ(got.range, c.fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG);
          EXPECT_EQ(got.chromaLow, c.chroma);
          EXPECT_EQ(got.chromaHigh, c.chroma);
        }
      }

      QVMovie* movie = nullptr;
      ASSERT_EQ(QVMovieOpen(path.c_str(), &movie), kQVMovieOpened) << what;
      // At the movie's size and at half size (a scaled read takes another
      // way through the converter).
      for (uint32_t shrink : {1u, 2u}) {
        const uint32_t w = kW / shrink, h = kH / shrink;
        std::vector<uint8_t> pixels(size_t(w) * h * 4);
        for (size_t n = 0; n < std::size(kLevels); ++n) {
          ASSERT_TRUE(QVMovieDecodeFrame(movie, int64_t(n), pixels.data(), w * 4, w, h)) << what;
          int low = 255, high = 0;
          // A, R, G, B in memory: R, G and B are checked.
          for (size_t i = 0; i < pixels.size(); ++i)
            if (i % 4 != 0) Widen(pixels[i], &low, &high);
          EXPECT_EQ(low, kLevels[n]) << what << ", level " << kLevels[n] << " read back at 1/" << shrink;
          EXPECT_EQ(high, kLevels[n]) << what << ", level " << kLevels[n] << " read back at 1/" << shrink;
        }
      }
      QVMovieClose(movie);
    }
  }
  VLMPStopProcessPool();
  VLMPSetProcessorCountOverride(0);
}

}  // namespace
