// Still images through libavformat's image demuxers and libavcodec's image
// decoders: the first picture of the file at its own size, as 'BGRA'.
#include "media/movie_reader.h"

#include <cerrno>
#include <new>

#include "media/ffmpeg_frames.h"
#include "media/media_errors.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

struct Still {
  AVFormatContext* format = nullptr;
  AVCodecContext* decoder = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  SwsContext* scaler = nullptr;
  ~Still() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    sws_freeContext(scaler);
    avformat_close_input(&format);
  }
};

constexpr int kMaxSide = 32768;

}  // namespace

uint32_t QVStillImport(const char* path, uint8_t** pixels, uint32_t* width, uint32_t* height, uint32_t* rowBytes) {
  *pixels = nullptr;
  Still s;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "pattern_type", "none", 0);  // a '%' in the name is part of the name
  const int opened = avformat_open_input(&s.format, path, nullptr, &options);
  av_dict_free(&options);
  if (opened < 0)
    return opened == AVERROR(ENOENT) || opened == AVERROR(EACCES) ? QVMediaErr_FileNotFound
                                                                  : QVMediaErr_UnsupportedMediaType;
  if (avformat_find_stream_info(s.format, nullptr) < 0) return QVMediaErr_UnsupportedMediaType;
  int stream = -1;
  for (unsigned i = 0; i < s.format->nb_streams; ++i)
    if (s.format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
      stream = int(i);
      break;
    }
  if (stream < 0) return QVMediaErr_UnsupportedMediaType;
  if (!avcodec_find_decoder(s.format->streams[stream]->codecpar->codec_id)) return QVMediaErr_UnsupportedMediaType;
  s.decoder = media::OpenStreamDecoder(s.format, stream, 1);
  s.packet = av_packet_alloc();
  s.frame = av_frame_alloc();
  if (!s.packet || !s.frame) return QVMediaErr_InsufficientMemory;
  if (!s.decoder) return QVMediaErr_UnsupportedMediaType;
  bool draining = false;
  const bool have = media::DecodeNextFrame(s.format, s.decoder, stream, s.packet, s.frame, &draining);
  if (!have || s.frame->width <= 0 || s.frame->height <= 0 || s.frame->width > kMaxSide ||
      s.frame->height > kMaxSide)
    return QVMediaErr_FileNotFound;
  const uint32_t w = uint32_t(s.frame->width), h = uint32_t(s.frame->height);
  uint8_t* buffer = new (std::nothrow) uint8_t[size_t(w) * 4 * h];
  if (!buffer) return QVMediaErr_InsufficientMemory;
  if (!media::ConvertFrameToBGRA(&s.scaler, s.frame, buffer, w * 4, w, h)) {
    delete[] buffer;
    return QVMediaErr_UnsupportedMediaType;
  }
  *pixels = buffer;
  *width = w;
  *height = h;
  *rowBytes = w * 4;
  return QVMediaErr_NoErr;
}
