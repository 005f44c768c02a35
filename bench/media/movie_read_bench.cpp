// Reading 1080p movie frames through the media library, per codec (MJPEG,
// ProRes 422, H.264): the whole read of the next frame (decode and convert
// to 'BGRA'), and the conversion of one decoded frame alone (through the
// media library, whose exact Y'CbCr rows are vector code, and through those
// rows' plain reference loop) beside libswscale's fast path (plain bicubic, whose levels are up to 3 codes
// off) and its exact path (exact rounding, full chroma interpolation),
// side by side in one run. items_per_second is frames a second on
// one thread. "load" is the machine's one-minute load average at the end.
#include <benchmark/benchmark.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "bench/bench_status.h"
#include "media/ffmpeg_frames.h"
#include "media/yuv_frames_internal.h"
#include "media/movie_reader.h"
#include "media/movie_writer.h"
#include "media/output_job.h"

namespace {

constexpr uint32_t kW = 1920, kH = 1080;
constexpr int kFrames = 12;
const uint32_t kCodecs[] = {kQVCodecJPEG, kQVCodecProRes422, kQVCodecH264};

// A moving gradient movie in the codec, written once.
std::string Movie(int codec) {
  static std::string made[3];
  if (!made[codec].empty()) return made[codec];
  const std::string path =
      BenchScratchFolder("movie-read-bench") + "/" + QVMovieWriterEncoderName(kCodecs[codec]) + ".mov";
  QVMovieWriterSettings s{};
  s.width = kW;
  s.height = kH;
  s.rateNumerator = 24;
  s.rateDenominator = 1;
  s.codec = kCodecs[codec];
  s.quality = 900;
  QVMovieWriter* w = nullptr;
  BenchRequire(QVMovieWriterOpen(path.c_str(), &s, &w), "QVMovieWriterOpen");
  std::vector<uint8_t> bgra(size_t(kW) * kH * 4);
  for (int f = 0; f < kFrames; ++f) {
    for (uint32_t y = 0; y < kH; ++y)
      for (uint32_t x = 0; x < kW; ++x) {
        uint8_t* p = &bgra[(size_t(y) * kW + x) * 4];
        p[0] = uint8_t(x * 255 / kW);
        p[1] = uint8_t(y * 255 / kH);
        p[2] = uint8_t((x + y + uint32_t(f) * 8) & 255);
        p[3] = 255;
      }
    BenchRequire(QVMovieWriterAddFrame(w, bgra.data(), kW * 4, kQVMovieWriterBGRA8), "QVMovieWriterAddFrame");
  }
  BenchRequire(QVMovieWriterFinish(w), "QVMovieWriterFinish");
  made[codec] = path;
  return path;
}

void ReadNextFrame(benchmark::State& state) {
  QVMovie* movie = nullptr;
  if (QVMovieOpen(Movie(int(state.range(0))).c_str(), &movie) != kQVMovieOpened) return state.SkipWithError("open");
  std::vector<uint8_t> pixels(size_t(kW) * kH * 4);
  int64_t n = 0;
  for (auto _ : state) {
    if (!QVMovieDecodeFrame(movie, n, pixels.data(), kW * 4, kW, kH)) return state.SkipWithError("decode");
    n = (n + 1) % kFrames;
  }
  QVMovieClose(movie);
  state.SetItemsProcessed(state.iterations());
  if (double load = 0; getloadavg(&load, 1) == 1) state.counters["load"] = load;
}

// The movie's first frame as libavcodec decodes it; null when it cannot be had.
AVFrame* FirstDecodedFrame(const std::string& path) {
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return nullptr;
  AVFrame* frame = av_frame_alloc();
  AVPacket* packet = av_packet_alloc();
  AVCodecContext* decoder = nullptr;
  bool draining = false, got = false;
  const int stream = avformat_find_stream_info(format, nullptr) >= 0
                         ? av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0)
                         : -1;
  if (stream >= 0 && frame && packet && (decoder = media::OpenStreamDecoder(format, stream, 1)))
    got = media::DecodeNextFrame(format, decoder, stream, packet, frame, &draining);
  avcodec_free_context(&decoder);
  av_packet_free(&packet);
  avformat_close_input(&format);
  if (!got) av_frame_free(&frame);
  return frame;
}

// range(1): 0 our conversion; for comparison 1 libswscale's fast path, 2 its
// exact path, 3 our exact conversion's plain loop.
void ConvertFrame(benchmark::State& state) {
  AVFrame* frame = FirstDecodedFrame(Movie(int(state.range(0))));
  if (!frame) return state.SkipWithError("decode");
  std::vector<uint8_t> pixels(size_t(kW) * kH * 4);
  SwsContext* context = nullptr;
  const int way = int(state.range(1));
  const int flags = way == 2 ? SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT : SWS_BICUBIC;
  for (auto _ : state) {
    if (way == 3) {
      if (!media::ConvertYUVFrameRows(frame, pixels.data(), kW * 4, media::kYUVRowsPlain))
        return state.SkipWithError("convert");
    } else if (way != 0) {
      context = sws_getCachedContext(context, frame->width, frame->height, AVPixelFormat(frame->format), int(kW),
                                     int(kH), AV_PIX_FMT_NE(BGRA, ARGB), flags, nullptr, nullptr, nullptr);
      uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
      int strides[4] = {int(kW * 4), 0, 0, 0};
      if (!context || sws_scale(context, frame->data, frame->linesize, 0, frame->height, planes, strides) != int(kH))
        return state.SkipWithError("sws_scale");
    } else if (!media::ConvertFrameToBGRA(&context, frame, pixels.data(), kW * 4, kW, kH)) {
      return state.SkipWithError("convert");
    }
  }
  sws_freeContext(context);
  av_frame_free(&frame);
  state.SetItemsProcessed(state.iterations());
  if (double load = 0; getloadavg(&load, 1) == 1) state.counters["load"] = load;
}

}  // namespace

BENCHMARK(ReadNextFrame)->DenseRange(0, 2)->ArgName("codec")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ConvertFrame)->ArgsProduct({{0, 1, 2}, {0, 3, 1, 2}})->ArgNames({"codec", "way"})->Unit(benchmark::kMillisecond)->UseRealTime();
