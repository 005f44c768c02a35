// Conversion of decoded frames to 'BGRA' through libswscale.
#include "media/ffmpeg_frames.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

namespace media {

bool ConvertFrameToBGRA(SwsContext** context, const AVFrame* frame, uint8_t* pixels, uint32_t rowBytes,
                        uint32_t width, uint32_t height) {
  if (!frame || frame->width <= 0 || frame->height <= 0 || width == 0 || height == 0) return false;
  // The value B << 24 | G << 16 | R << 8 | A lies in memory as A, R, G, B on
  // a little-endian machine and B, G, R, A on a big-endian one.
  const AVPixelFormat target = AV_PIX_FMT_NE(BGRA, ARGB);
  *context = sws_getCachedContext(*context, frame->width, frame->height, AVPixelFormat(frame->format), int(width),
                                  int(height), target, SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (!*context) return false;
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

}  // namespace media
