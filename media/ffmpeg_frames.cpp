// Conversion of decoded frames to 'BGRA' through libswscale.
#include "media/ffmpeg_frames.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libavutil/samplefmt.h>
#include <libswscale/swscale.h>
}

namespace media {

bool ConvertFrameToBGRA(SwsContext** context, const AVFrame* frame, uint8_t* pixels, uint32_t rowBytes,
                        uint32_t width, uint32_t height) {
  if (!frame || frame->width <= 0 || frame->height <= 0 || width == 0 || height == 0) return false;
  // The usual Y'CbCr frames at their own size are converted by our own
  // tables, exactly and in about half the time libswscale takes for the
  // same exactness; others, and frames to be scaled, through libswscale.
  if (width == uint32_t(frame->width) && height == uint32_t(frame->height) &&
      ConvertYUVFrameExactly(frame, pixels, rowBytes))
    return true;
  // The value B << 24 | G << 16 | R << 8 | A lies in memory as A, R, G, B on
  // a little-endian machine and B, G, R, A on a big-endian one.
  const AVPixelFormat target = AV_PIX_FMT_NE(BGRA, ARGB);
  // The converter's fast path decodes video white (Y' 940 of 10 bits, 235
  // of 8) as 253 and most levels between up to 3 codes low. Exact rounding
  // with full chroma interpolation gives video black and white as 0 and 255
  // and the levels between within a code, at several times the cost; chroma
  // is then interpolated between samples instead of repeated over each pair.
  *context = sws_getCachedContext(*context, frame->width, frame->height, AVPixelFormat(frame->format), int(width),
                                  int(height), target, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                  nullptr, nullptr);
  if (!*context) return false;
  // Y'CbCr pictures are read with the matrix and range they are tagged with
  // (Rec. 601 and video range when untagged).
  const AVPixelFormat source = AVPixelFormat(frame->format);
  const bool jpegFormat = source == AV_PIX_FMT_YUVJ420P || source == AV_PIX_FMT_YUVJ422P ||
                          source == AV_PIX_FMT_YUVJ444P || source == AV_PIX_FMT_YUVJ440P;
  const int matrix = frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
  const int fullRange = (jpegFormat || frame->color_range == AVCOL_RANGE_JPEG) ? 1 : 0;
  sws_setColorspaceDetails(*context, sws_getCoefficients(matrix), fullRange, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                           1 << 16, 1 << 16);
  uint8_t* planes[4] = {pixels, nullptr, nullptr, nullptr};
  int strides[4] = {int(rowBytes), 0, 0, 0};
  return sws_scale(*context, frame->data, frame->linesize, 0, frame->height, planes, strides) == int(height);
}

AVCodecContext* OpenStreamDecoder(AVFormatContext* format, int stream, int threadCount) {
  const AVCodecParameters* par = format->streams[stream]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  if (!codec) return nullptr;
  AVCodecContext* decoder = avcodec_alloc_context3(codec);
  if (!decoder) return nullptr;
  decoder->thread_count = threadCount;
  if (avcodec_parameters_to_context(decoder, par) < 0 || avcodec_open2(decoder, codec, nullptr) < 0)
    avcodec_free_context(&decoder);
  return decoder;
}

bool DecodeNextFrame(AVFormatContext* format, AVCodecContext* decoder, int stream, AVPacket* packet, AVFrame* frame,
                     bool* draining) {
  for (;;) {
    const int got = avcodec_receive_frame(decoder, frame);
    if (got == 0) return true;
    if (got != AVERROR(EAGAIN) || *draining) return false;
    if (av_read_frame(format, packet) < 0) {
      *draining = true;
      avcodec_send_packet(decoder, nullptr);
      continue;
    }
    if (packet->stream_index == stream) avcodec_send_packet(decoder, packet);
    av_packet_unref(packet);
  }
}

namespace {

int16_t Clip16(double v) { return int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0)); }
int32_t Clip32(double v) { return int32_t(std::lround(std::clamp(v, -1.0, 1.0) * 2147483647.0)); }

}  // namespace

void AudioSampleAt(const AVFrame* f, int c, int i, int channels, int32_t* whole, float* real) {
  const auto format = AVSampleFormat(f->format);
  const bool planar = av_sample_fmt_is_planar(format);
  const uint8_t* base = planar ? f->extended_data[c] : f->extended_data[0];
  const int index = planar ? i : i * channels + c;
  *whole = 0;
  *real = 0;
  switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8: *whole = int32_t(uint32_t(int(base[index]) - 128) << 24); break;
    case AV_SAMPLE_FMT_S16: { int16_t v; std::memcpy(&v, base + 2 * index, 2); *whole = int32_t(uint32_t(v) << 16); break; }
    case AV_SAMPLE_FMT_S32: std::memcpy(whole, base + 4 * index, 4); break;
    case AV_SAMPLE_FMT_S64: { int64_t v; std::memcpy(&v, base + 8 * index, 8); *whole = int32_t(v >> 32); break; }
    case AV_SAMPLE_FMT_FLT: std::memcpy(real, base + 4 * index, 4); *whole = Clip32(*real); return;
    case AV_SAMPLE_FMT_DBL: { double v; std::memcpy(&v, base + 8 * index, 8); *real = float(v); *whole = Clip32(v); return; }
    default: return;
  }
  *real = float(double(*whole) / 2147483648.0);
}

int16_t AudioSampleAt16(const AVFrame* f, int c, int i, int channels) {
  int32_t whole;
  float real;
  AudioSampleAt(f, c, i, channels, &whole, &real);
  const auto format = av_get_packed_sample_fmt(AVSampleFormat(f->format));
  if (format == AV_SAMPLE_FMT_FLT || format == AV_SAMPLE_FMT_DBL) return Clip16(real);
  return int16_t(whole >> 16);
}

}  // namespace media
