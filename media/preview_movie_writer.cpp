#include "media/preview_movie_writer.h"

#include <new>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/timecode.h>
#include <libswscale/swscale.h>
}

#include "platform/file_contents.h"

struct QVPreviewMovieWriter {
  PLReplacement file;
  AVFormatContext* format = nullptr;
  AVCodecContext* encoder = nullptr;
  AVStream* stream = nullptr;
  SwsContext* scaler = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  int32_t width = 0, height = 0;
  int64_t frames = 0;
  bool headerWritten = false;
};

namespace {

// Motion JPEG at a fine quantiser: a preview that looks like the render.
constexpr int kQuantiser = 2;

void freeWriter(QVPreviewMovieWriter* m) {
  if (!m) return;
  sws_freeContext(m->scaler);
  av_frame_free(&m->frame);
  av_packet_free(&m->packet);
  avcodec_free_context(&m->encoder);
  if (m->format) {
    if (m->format->pb) avio_closep(&m->format->pb);
    avformat_free_context(m->format);
  }
  delete m;
}

// Sends one frame (or, with null, the end) to the encoder and writes every
// packet it gives back.
bool encode(QVPreviewMovieWriter* m, AVFrame* frame) {
  if (avcodec_send_frame(m->encoder, frame) < 0) return false;
  for (;;) {
    const int got = avcodec_receive_packet(m->encoder, m->packet);
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
    if (got < 0) return false;
    av_packet_rescale_ts(m->packet, m->encoder->time_base, m->stream->time_base);
    m->packet->stream_index = m->stream->index;
    const bool ok = av_interleaved_write_frame(m->format, m->packet) >= 0;
    av_packet_unref(m->packet);
    if (!ok) return false;
  }
}

}  // namespace

QVStatus QVPreviewMovieCreate(const std::string& path, const QVPreviewMovieSpec& spec, QVPreviewMovieWriter** out) {
  *out = nullptr;
  if (spec.width <= 0 || spec.height <= 0 || spec.width > 16384 || spec.height > 16384 || spec.timeScale <= 0 ||
      spec.frameDuration <= 0 || spec.framesPerSecond <= 0)
    return kQVErrParam;
  auto* m = new (std::nothrow) QVPreviewMovieWriter;
  if (!m) return kQVErrMemory;
  m->width = spec.width;
  m->height = spec.height;
  if (PLBeginReplacement(path.c_str(), 0644, &m->file) != kQVNoErr) {
    delete m;
    return kQVErrIO;
  }
  QVStatus status = kQVErrMemory;
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
  if (avformat_alloc_output_context2(&m->format, nullptr, "mov", m->file.temp.c_str()) >= 0 && m->format && codec &&
      (m->stream = avformat_new_stream(m->format, nullptr)) && (m->encoder = avcodec_alloc_context3(codec)) &&
      (m->frame = av_frame_alloc()) && (m->packet = av_packet_alloc())) {
    const AVRational unit{spec.frameDuration, spec.timeScale};
    m->encoder->width = spec.width;
    m->encoder->height = spec.height;
    m->encoder->pix_fmt = AV_PIX_FMT_YUVJ420P;
    m->encoder->time_base = unit;
    m->encoder->framerate = AVRational{spec.timeScale, spec.frameDuration};
    m->encoder->flags |= AV_CODEC_FLAG_QSCALE;
    m->encoder->global_quality = FF_QP2LAMBDA * kQuantiser;
    if (m->format->oformat->flags & AVFMT_GLOBALHEADER) m->encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    m->stream->time_base = unit;
    m->stream->avg_frame_rate = m->encoder->framerate;
    // The timecode track: the start frame as the clip's timecode.
    AVTimecode tc;
    char text[AV_TIMECODE_STR_SIZE];
    const int flags = spec.dropFrame ? AV_TIMECODE_FLAG_DROPFRAME : 0;
    const bool timecodeOK =
        av_timecode_init(&tc, AVRational{spec.framesPerSecond, 1}, flags, int(spec.startFrame), nullptr) == 0;
    status = kQVErrParam;
    if (timecodeOK && av_dict_set(&m->stream->metadata, "timecode", av_timecode_make_string(&tc, text, 0), 0) >= 0 &&
        avcodec_open2(m->encoder, codec, nullptr) >= 0 &&
        avcodec_parameters_from_context(m->stream->codecpar, m->encoder) >= 0) {
      m->frame->format = m->encoder->pix_fmt;
      m->frame->width = spec.width;
      m->frame->height = spec.height;
      m->scaler = sws_getContext(spec.width, spec.height, AV_PIX_FMT_BGRA, spec.width, spec.height,
                                 AV_PIX_FMT_YUVJ420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
      status = kQVErrMemory;
      if (m->scaler && av_frame_get_buffer(m->frame, 0) >= 0) {
        status = kQVErrIO;
        // The track counts in the clip's own time scale (2400 units, 100 a
        // frame), not in the reduced fraction of it.
        AVDictionary* options = nullptr;
        av_dict_set(&options, "video_track_timescale", std::to_string(spec.timeScale).c_str(), 0);
        const bool opened = avio_open(&m->format->pb, m->file.temp.c_str(), AVIO_FLAG_WRITE) >= 0 &&
                            avformat_write_header(m->format, &options) >= 0;
        av_dict_free(&options);
        if (opened) {
          m->headerWritten = true;
          *out = m;
          return kQVNoErr;
        }
      }
    }
  }
  QVPreviewMovieAbandon(m);
  return status;
}

QVStatus QVPreviewMovieAddFrame(QVPreviewMovieWriter* m, const uint8_t* pixels, int32_t rowBytes) {
  if (!m || !pixels || rowBytes < m->width * 4) return kQVErrParam;
  if (av_frame_make_writable(m->frame) < 0) return kQVErrMemory;
  const uint8_t* planes[1] = {pixels};
  const int strides[1] = {rowBytes};
  sws_scale(m->scaler, planes, strides, 0, m->height, m->frame->data, m->frame->linesize);
  m->frame->pts = m->frames;
  if (!encode(m, m->frame)) return kQVErrIO;
  ++m->frames;
  return kQVNoErr;
}

int64_t QVPreviewMovieFrameCount(const QVPreviewMovieWriter* m) { return m ? m->frames : 0; }

QVStatus QVPreviewMovieFinish(QVPreviewMovieWriter* m) {
  if (!m) return kQVErrParam;
  bool ok = encode(m, nullptr) && av_write_trailer(m->format) >= 0;
  if (m->format->pb && avio_closep(&m->format->pb) < 0) ok = false;
  if (!ok) {
    QVPreviewMovieAbandon(m);
    return kQVErrIO;
  }
  const QVStatus status = PLCommitReplacement(&m->file);
  freeWriter(m);
  return status;
}

void QVPreviewMovieAbandon(QVPreviewMovieWriter* m) {
  if (!m) return;
  PLAbandonReplacement(&m->file);
  freeWriter(m);
}
