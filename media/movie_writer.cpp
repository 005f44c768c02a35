// The movie writer: one encoder, the mov (or mp4) muxer writing into a
// replacement file, the timecode track as the video stream's "timecode"
// entry (the muxer makes a timecode track referenced by the video track),
// and the audio decoded from its file, trimmed to the video, as PCM in a
// QuickTime movie or AAC in an MP4 file.

#include "media/movie_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "media/ffmpeg_frames.h"
#include "core/engine_lock.h"
#include "core/task_pool.h"
#include "media/output_job.h"
#include "media/timecode_text.h"
#include "platform/file_contents.h"

namespace {

// A converter to the encoder's layout and the scaled copy of the rows it
// last read (16-bit and float pixels only; see ScaleForConverter).
struct RowConverter {
  SwsContext* context = nullptr;
  // What the context was made for; a context made anew needs its matrix.
  int rows = -1;
  AVPixelFormat format = AV_PIX_FMT_NONE;
  std::vector<uint8_t> scaled;
};

}  // namespace

struct QVMovieWriter {
  QVMovieWriterSettings settings{};
  std::string audioPath;
  PLReplacement file;
  AVFormatContext* out = nullptr;
  AVCodecContext* encoder = nullptr;
  AVStream* video = nullptr;
  AVStream* audio = nullptr;
  RowConverter scale;
  RowConverter scale16;
  // One converter a band of rows for pictures filled over the task pool.
  std::vector<RowConverter> bandScale;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  int64_t frames = 0;
  // The audio's stream layout, learnt at open.
  int sampleRate = 0;
  int channels = 0;
};

struct QVMovieWriterPicture {
  AVFrame* frame;
};

namespace {

struct CodecRow {
  uint32_t codec;
  const char* encoder;
  AVPixelFormat pixels;
};

// MJPEG stands for 'jpeg', ProRes 422 (prores_ks) for 'apcn', x264 for 'avc1'.
const CodecRow kCodecs[] = {
    {kQVCodecJPEG, "mjpeg", AV_PIX_FMT_YUVJ422P},
    {kQVCodecProRes422, "prores_ks", AV_PIX_FMT_YUV422P10LE},
    {kQVCodecH264, "libx264", AV_PIX_FMT_YUV420P},
    {kQVCodecPNG, "png", AV_PIX_FMT_RGB24},
};

const CodecRow* FindCodec(uint32_t codec) {
  for (const CodecRow& row : kCodecs)
    if (row.codec == codec) return &row;
  return nullptr;
}

void FreeWriter(QVMovieWriter* w) {
  if (w->out) {
    if (w->out->pb) avio_closep(&w->out->pb);
    avformat_free_context(w->out);
  }
  avcodec_free_context(&w->encoder);
  sws_freeContext(w->scale.context);
  sws_freeContext(w->scale16.context);
  for (RowConverter& c : w->bandScale) sws_freeContext(c.context);
  av_frame_free(&w->frame);
  av_packet_free(&w->packet);
  delete w;
}

// Takes every packet the encoder has ready into the file.
bool DrainEncoder(QVMovieWriter* w, AVCodecContext* encoder, AVStream* stream) {
  for (;;) {
    const int got = avcodec_receive_packet(encoder, w->packet);
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
    if (got < 0) return false;
    av_packet_rescale_ts(w->packet, encoder->time_base, stream->time_base);
    w->packet->stream_index = stream->index;
    const int put = av_interleaved_write_frame(w->out, w->packet);
    av_packet_unref(w->packet);
    if (put < 0) return false;
  }
}

// The audio file's first audio stream: its rate and channel count.
bool ProbeAudio(const char* path, int* rate, int* channels) {
  AVFormatContext* in = nullptr;
  if (avformat_open_input(&in, path, nullptr, nullptr) < 0) return false;
  bool ok = false;
  if (avformat_find_stream_info(in, nullptr) >= 0) {
    const int s = av_find_best_stream(in, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (s >= 0) {
      const AVCodecParameters* p = in->streams[s]->codecpar;
      *rate = p->sample_rate;
      *channels = p->ch_layout.nb_channels;
      ok = *rate > 0 && *channels > 0 && *channels <= 64;
    }
  }
  avformat_close_input(&in);
  return ok;
}

// Audio samples (16-bit interleaved) going out as packets: PCM as they
// come, AAC in frames of the encoder's size.
struct AudioSink {
  explicit AudioSink(QVMovieWriter* writer) : w(writer) {}
  QVMovieWriter* w;
  AVCodecContext* aac = nullptr;
  std::vector<int16_t> pending;  // AAC: samples waiting for a whole frame
  int64_t written = 0;           // samples sent so far

  bool WritePCM(const int16_t* samples, int count) {
    if (av_new_packet(w->packet, count * w->channels * 2) < 0) return false;
    uint8_t* d = w->packet->data;
    for (int i = 0; i < count * w->channels; ++i) {
      *d++ = uint8_t(samples[i] & 0xFF);
      *d++ = uint8_t(uint16_t(samples[i]) >> 8);
    }
    w->packet->stream_index = w->audio->index;
    w->packet->pts = w->packet->dts = written;
    w->packet->duration = count;
    av_packet_rescale_ts(w->packet, AVRational{1, w->sampleRate}, w->audio->time_base);
    written += count;
    const int put = av_interleaved_write_frame(w->out, w->packet);
    av_packet_unref(w->packet);
    return put >= 0;
  }

  bool EncodeAAC(const int16_t* samples, int count) {
    AVFrame* f = av_frame_alloc();
    if (!f) return false;
    f->nb_samples = count;
    f->format = aac->sample_fmt;
    av_channel_layout_copy(&f->ch_layout, &aac->ch_layout);
    f->sample_rate = w->sampleRate;
    bool ok = av_frame_get_buffer(f, 0) >= 0;
    for (int c = 0; ok && c < w->channels; ++c) {
      float* plane = reinterpret_cast<float*>(f->extended_data[c]);
      for (int i = 0; i < count; ++i) plane[i] = samples[i * w->channels + c] / 32768.0f;
    }
    if (ok) {
      f->pts = written;
      written += count;
      ok = avcodec_send_frame(aac, f) >= 0 && DrainEncoder(w, aac, w->audio);
    }
    av_frame_free(&f);
    return ok;
  }

  bool Put(const int16_t* samples, int count) {
    if (!aac) return WritePCM(samples, count);
    pending.insert(pending.end(), samples, samples + size_t(count) * w->channels);
    const size_t frame = size_t(aac->frame_size > 0 ? aac->frame_size : 1024);
    size_t used = 0;
    while (pending.size() - used >= frame * w->channels) {
      if (!EncodeAAC(pending.data() + used, int(frame))) return false;
      used += frame * w->channels;
    }
    pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(used));
    return true;
  }

  bool Finish() {
    if (!aac) return true;
    if (!pending.empty() && !EncodeAAC(pending.data(), int(pending.size() / size_t(w->channels)))) return false;
    return avcodec_send_frame(aac, nullptr) >= 0 && DrainEncoder(w, aac, w->audio);
  }
};

// Decodes the audio file from the start second for the video's length.
QVMediaErr WriteAudioTrack(QVMovieWriter* w) {
  AVFormatContext* in = nullptr;
  if (avformat_open_input(&in, w->audioPath.c_str(), nullptr, nullptr) < 0) return QVMediaErr_FileNotFound;
  QVMediaErr result = QVMediaErr_NoErr;
  AVCodecContext* decoder = nullptr;
  AVFrame* f = av_frame_alloc();
  AudioSink sink(w);
  const int s = avformat_find_stream_info(in, nullptr) >= 0 ? av_find_best_stream(in, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) : -1;
  if (s < 0 || !f || !(decoder = media::OpenStreamDecoder(in, s, 1))) result = QVMediaErr_MediaHasNoAudio;
  if (!result && w->settings.mp4) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    sink.aac = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!sink.aac) {
      result = QVMediaErr_CodecNotFound;
    } else {
      sink.aac->sample_rate = w->sampleRate;
      sink.aac->sample_fmt = AV_SAMPLE_FMT_FLTP;
      av_channel_layout_default(&sink.aac->ch_layout, w->channels);
      sink.aac->time_base = AVRational{1, w->sampleRate};
      sink.aac->bit_rate = 128000LL * std::min(w->channels, 2);
      if (w->out->oformat->flags & AVFMT_GLOBALHEADER) sink.aac->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
      if (avcodec_open2(sink.aac, codec, nullptr) < 0) result = QVMediaErr_CodecNotFound;
    }
  }
  const double seconds = double(w->frames) * w->settings.rateDenominator / w->settings.rateNumerator;
  const int64_t from = std::max<int64_t>(0, std::llround(w->settings.audioStartSeconds * w->sampleRate));
  const int64_t to = from + std::llround(seconds * w->sampleRate);
  int64_t first = 0;
  bool draining = false;
  std::vector<int16_t> block;
  while (!result && first < to && media::DecodeNextFrame(in, decoder, s, w->packet, f, &draining)) {
    if (f->ch_layout.nb_channels != w->channels) {
      result = QVMediaErr_UnsupportedMediaType;
      break;
    }
    const int64_t begin = std::max(first, from), end = std::min<int64_t>(first + f->nb_samples, to);
    if (end > begin) {
      block.resize(size_t(end - begin) * size_t(w->channels));
      size_t k = 0;
      for (int64_t i = begin; i < end; ++i)
        for (int c = 0; c < w->channels; ++c) block[k++] = media::AudioSampleAt16(f, c, int(i - first), w->channels);
      if (!sink.Put(block.data(), int(end - begin))) result = QVMediaErr_ExportFailed;
    }
    first += f->nb_samples;
    av_frame_unref(f);
  }
  // Audio shorter than the picture is padded with silence.
  std::vector<int16_t> silence(size_t(4800) * size_t(std::max(w->channels, 1)), 0);
  while (!result && std::max(first, from) < to) {
    const int64_t n = std::min<int64_t>(4800, to - std::max(first, from));
    if (!sink.Put(silence.data(), int(n))) result = QVMediaErr_ExportFailed;
    first = std::max(first, from) + n;
  }
  if (!result && !sink.Finish()) result = QVMediaErr_ExportFailed;
  avcodec_free_context(&sink.aac);
  avcodec_free_context(&decoder);
  av_frame_free(&f);
  avformat_close_input(&in);
  return result;
}

// A picture's pixels as the converter reads them: packed in one plane
// (16-bit R, G, B, A or 'BGRA' bytes) or float G, B, R planes.
struct SourceRows {
  AVPixelFormat format;
  const uint8_t* planes[3];
  int strides[3];
};

SourceRows PackedRows(bool wide, const void* pixels, uint32_t rowBytes) {
  return SourceRows{wide ? AV_PIX_FMT_NE(RGBA64BE, RGBA64LE) : AV_PIX_FMT_BGRA,
                    {static_cast<const uint8_t*>(pixels), nullptr, nullptr},
                    {int(rowBytes), 0, 0}};
}

// The converter takes 16-bit and float R, G, B as 8-bit values shifted up
// by 8 bits, so full scale 65535 (or 1.0) would code as 255 + 255 / 256:
// video white as 943 of 10 bits or 236 of 8, full-range white clipped and
// mid grey a code high. Rows [first, first + rows) of such pixels are copied
// scaled by 65280 / 65535 into the converter's own buffer (16-bit: v -
// round(v / 257), which takes 257 x n to 256 x n exactly), so every 8-bit
// level n codes as n would from 8-bit pixels. 8-bit pixels go straight in.
// The rows handed on count from 0; false when there is no memory.
bool ScaleForConverter(const SourceRows& from, int width, int first, int rows, std::vector<uint8_t>* scaled,
                       SourceRows* out) {
  *out = from;
  if (from.format == AV_PIX_FMT_BGRA) {
    out->planes[0] += ptrdiff_t(first) * from.strides[0];
    return true;
  }
  const bool planar = from.planes[1] != nullptr;
  const size_t rowBytes = size_t(width) * (planar ? sizeof(float) : 4 * sizeof(uint16_t));
  const int planes = planar ? 3 : 1;
  try {
    scaled->resize(rowBytes * size_t(rows) * size_t(planes));
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int k = 0; k < planes; ++k) {
    uint8_t* base = scaled->data() + size_t(k) * rowBytes * size_t(rows);
    out->planes[k] = base;
    out->strides[k] = int(rowBytes);
    for (int y = 0; y < rows; ++y) {
      const uint8_t* in = from.planes[k] + ptrdiff_t(first + y) * from.strides[k];
      uint8_t* row = base + size_t(y) * rowBytes;
      if (planar) {
        const auto* src = reinterpret_cast<const float*>(in);
        auto* dst = reinterpret_cast<float*>(row);
        for (int x = 0; x < width; ++x) dst[x] = src[x] * (65280.0f / 65535.0f);
      } else {
        const auto* src = reinterpret_cast<const uint16_t*>(in);
        auto* dst = reinterpret_cast<uint16_t*>(row);
        for (int x = 0; x < 4 * width; ++x) dst[x] = uint16_t(src[x] - (src[x] + 128u) / 257u);
      }
    }
  }
  return true;
}

// Rows [first, first + rows) of the pixels into the same rows of the
// picture, through the codec's matrix: full-range RGB in, the codec's range
// out. A converter works on rows counted from its own first, so bands that
// start on a multiple of 16 rows give the whole picture's bytes (the same
// dither rows, whole chroma rows), but for 4:2:0 chroma beside a band's
// edge, whose vertical filter stops there.
bool ConvertRows(const QVMovieWriter* w, RowConverter* converter, const SourceRows& from, int first, int rows,
                 AVFrame* to) {
  const int width = w->encoder->width;
  SwsContext** context = &converter->context;
  // Packed pixels come in with chroma already the mean of each pair; planes
  // come in at full width, and the area filter takes the same mean (a
  // sharper filter rings at hard edges).
  const int filter = from.planes[1] ? SWS_AREA : SWS_BICUBIC;
  const bool kept = *context && converter->rows == rows && converter->format == from.format;
  *context = sws_getCachedContext(*context, width, rows, from.format, width, rows, w->encoder->pix_fmt,
                                  filter | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
  converter->rows = *context ? rows : -1;
  converter->format = from.format;
  if (!*context) return false;
  // A converter kept from the last band or frame of its size has its matrix already.
  if (!kept) {
    const int* coefficients =
        sws_getCoefficients(w->encoder->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_ITU601);
    sws_setColorspaceDetails(*context, coefficients, 1, coefficients,
                             w->encoder->color_range == AVCOL_RANGE_JPEG || w->encoder->pix_fmt == AV_PIX_FMT_RGB24,
                             0, 1 << 16, 1 << 16);
  }
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(w->encoder->pix_fmt);
  uint8_t* planes[4] = {};
  for (int k = 0; k < 4 && to->data[k]; ++k)
    planes[k] = to->data[k] + ptrdiff_t((k == 1 || k == 2) ? first >> d->log2_chroma_h : first) * to->linesize[k];
  SourceRows in;
  if (!ScaleForConverter(from, width, first, rows, &converter->scaled, &in)) return false;
  const uint8_t* source[4] = {};
  int strides[4] = {};
  for (int k = 0; k < 3 && in.planes[k]; ++k) {
    source[k] = in.planes[k];
    strides[k] = in.strides[k];
  }
  return sws_scale(*context, source, strides, 0, rows, planes, to->linesize) == rows;
}

struct BandWork {
  QVMovieWriter* writer;
  SourceRows from;
  AVFrame* to;
  std::atomic<bool> failed{false};
};

void ConvertBand(void* context, uint32_t part, uint32_t parts) {
  auto* b = static_cast<BandWork*>(context);
  const int height = b->writer->encoder->height;
  const VLMPPartItems units = VLMPPartOf((height + 15) / 16, part, parts);
  const int first = units.first * 16, end = std::min(units.end * 16, height);
  if (end > first &&
      !ConvertRows(b->writer, &b->writer->bandScale[part], b->from, first, end - first, b->to))
    b->failed = true;
}

// "hh:mm:ss:ff" of the first frame, "hh:mm:ss;ff" when counting drop-frame:
// the muxer takes only the last separator as the counting flag and refuses
// the all-';' form the readout shows, which would lose the timecode track.
void TimecodeEntry(const QVMovieWriterSettings& s, char* text, size_t size) {
  FormatTimecodeText(s.timecodeStart, s.timecodeRate, kTimecodeModeTimecode,
                     s.timecodeDrop ? kTimecodeDropFrame : kTimecodeNonDrop, 0, 0, text, size);
  if (std::strlen(text) == 11) text[2] = text[5] = ':';
}

}  // namespace

const char* QVMovieWriterEncoderName(uint32_t codec) {
  const CodecRow* row = FindCodec(codec);
  return row ? row->encoder : "";
}

QVMediaErr QVMovieWriterOpen(const char* path, const QVMovieWriterSettings* settings, QVMovieWriter** out) {
  if (!out) return QVMediaErr_ParameterError;
  *out = nullptr;
  if (!path || !*path || !settings || settings->width == 0 || settings->height == 0 || settings->width > 16384 ||
      settings->height > 16384 || settings->rateNumerator <= 0 || settings->rateDenominator <= 0)
    return QVMediaErr_ParameterError;
  const CodecRow* row = FindCodec(settings->codec);
  const AVCodec* codec = row ? avcodec_find_encoder_by_name(row->encoder) : nullptr;
  if (!codec) return QVMediaErr_CodecNotFound;
  // 4:2:0 needs even sizes, 4:2:2 an even width.
  const bool subsampled = row->pixels != AV_PIX_FMT_RGB24;
  if (subsampled && (settings->width % 2 || (row->pixels == AV_PIX_FMT_YUV420P && settings->height % 2)))
    return QVMediaErr_ParameterError;

  auto* w = new (std::nothrow) QVMovieWriter;
  if (!w) return QVMediaErr_InsufficientMemory;
  w->settings = *settings;
  if (settings->audioPath && *settings->audioPath) {
    w->audioPath = settings->audioPath;
    if (!ProbeAudio(settings->audioPath, &w->sampleRate, &w->channels)) w->audioPath.clear();
  }
  w->settings.audioPath = nullptr;
  w->frame = av_frame_alloc();
  w->packet = av_packet_alloc();
  if (!w->frame || !w->packet) {
    FreeWriter(w);
    return QVMediaErr_InsufficientMemory;
  }
  if (PLBeginReplacement(path, 0644, &w->file) != kQVNoErr) {
    FreeWriter(w);
    return QVMediaErr_ExportFailed;
  }
  QVMediaErr err = QVMediaErr_NoErr;
  if (avformat_alloc_output_context2(&w->out, nullptr, settings->mp4 ? "mp4" : "mov", w->file.temp.c_str()) < 0)
    err = QVMediaErr_InsufficientMemory;
  if (!err) {
    w->encoder = avcodec_alloc_context3(codec);
    w->video = avformat_new_stream(w->out, nullptr);
    if (!w->encoder || !w->video) err = QVMediaErr_InsufficientMemory;
  }
  if (!err) {
    AVCodecContext* e = w->encoder;
    e->width = int(settings->width);
    e->height = int(settings->height);
    e->pix_fmt = row->pixels;
    e->time_base = AVRational{settings->rateDenominator, settings->rateNumerator};
    e->framerate = AVRational{settings->rateNumerator, settings->rateDenominator};
    e->thread_count = settings->threads;
    e->color_range = row->pixels == AV_PIX_FMT_YUVJ422P ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    // JPEG pictures carry the Rec. 601 matrix by convention; the others Rec. 709.
    e->colorspace = row->pixels == AV_PIX_FMT_YUVJ422P ? AVCOL_SPC_BT470BG
                    : row->pixels == AV_PIX_FMT_RGB24  ? AVCOL_SPC_RGB
                                                       : AVCOL_SPC_BT709;
    e->color_primaries = AVCOL_PRI_BT709;
    e->color_trc = AVCOL_TRC_BT709;
    if (settings->averageBitRate > 0) e->bit_rate = settings->averageBitRate;
    if (settings->keyFrameInterval > 0) e->gop_size = settings->keyFrameInterval;
    if (w->out->oformat->flags & AVFMT_GLOBALHEADER) e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    if (settings->codec == kQVCodecJPEG) {
      // Quality 1,023 is the finest quantiser, 0 the coarsest.
      const uint32_t q = settings->quality ? std::min<uint32_t>(settings->quality, 1023) : 768;
      const int qscale = std::clamp(31 - int(q * 30 / 1023), 1, 31);
      e->flags |= AV_CODEC_FLAG_QSCALE;
      e->global_quality = FF_QP2LAMBDA * qscale;
      e->qmin = e->qmax = qscale;
    } else if (settings->codec == kQVCodecProRes422) {
      av_dict_set(&options, "profile", "standard", 0);
      av_dict_set(&options, "vendor", "apl0", 0);
    } else if (settings->codec == kQVCodecH264) {
      av_dict_set(&options, "preset", "veryfast", 0);
      if (settings->averageBitRate <= 0) {
        const uint32_t q = settings->quality ? std::min<uint32_t>(settings->quality, 1023) : 768;
        char crf[8];
        std::snprintf(crf, sizeof crf, "%d", std::clamp(40 - int(q * 30 / 1023), 0, 51));
        av_dict_set(&options, "crf", crf, 0);
      }
    }
    const int opened = avcodec_open2(e, codec, &options);
    av_dict_free(&options);
    if (opened < 0) err = QVMediaErr_CodecNotFound;
  }
  if (!err) {
    if (avcodec_parameters_from_context(w->video->codecpar, w->encoder) < 0) err = QVMediaErr_InsufficientMemory;
    w->video->time_base = w->encoder->time_base;
    w->video->avg_frame_rate = w->encoder->framerate;
    if (settings->timecode && !settings->mp4) {
      char text[16];
      TimecodeEntry(*settings, text, sizeof text);
      if (text[0]) av_dict_set(&w->video->metadata, "timecode", text, 0);
    }
  }
  if (!err && !w->audioPath.empty()) {
    w->audio = avformat_new_stream(w->out, nullptr);
    if (!w->audio) {
      err = QVMediaErr_InsufficientMemory;
    } else {
      AVCodecParameters* p = w->audio->codecpar;
      p->codec_type = AVMEDIA_TYPE_AUDIO;
      av_channel_layout_default(&p->ch_layout, w->channels);
      p->sample_rate = w->sampleRate;
      w->audio->time_base = AVRational{1, w->sampleRate};
      if (settings->mp4) {
        // The AAC encoder's parameters are set when the audio is written;
        // the stream needs them now, so open a probe encoder for them.
        const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
        AVCodecContext* probe = aac ? avcodec_alloc_context3(aac) : nullptr;
        bool ok = probe != nullptr;
        if (ok) {
          probe->sample_rate = w->sampleRate;
          probe->sample_fmt = AV_SAMPLE_FMT_FLTP;
          av_channel_layout_default(&probe->ch_layout, w->channels);
          probe->time_base = AVRational{1, w->sampleRate};
          probe->bit_rate = 128000LL * std::min(w->channels, 2);
          probe->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
          ok = avcodec_open2(probe, aac, nullptr) >= 0 && avcodec_parameters_from_context(p, probe) >= 0;
        }
        avcodec_free_context(&probe);
        if (!ok) err = QVMediaErr_CodecNotFound;
      } else {
        p->codec_id = AV_CODEC_ID_PCM_S16LE;
        p->bits_per_coded_sample = 16;
        p->block_align = 2 * w->channels;
        p->bit_rate = int64_t(w->sampleRate) * w->channels * 16;
      }
    }
  }
  if (!err && avio_open(&w->out->pb, w->file.temp.c_str(), AVIO_FLAG_WRITE) < 0) err = QVMediaErr_ExportFailed;
  if (!err) {
    AVDictionary* options = nullptr;
    // The index goes first so a reader needs no seek to the end.
    // The colour tags go into the file so readers pick the right matrix.
    av_dict_set(&options, "movflags", settings->mp4 ? "+faststart+write_colr" : "+write_colr", 0);
    if (avformat_write_header(w->out, &options) < 0) err = QVMediaErr_ExportFailed;
    av_dict_free(&options);
  }
  if (!err) {
    w->frame->format = w->encoder->pix_fmt;
    w->frame->width = w->encoder->width;
    w->frame->height = w->encoder->height;
    // Some encoders take the colour tags from each picture.
    w->frame->colorspace = w->encoder->colorspace;
    w->frame->color_primaries = w->encoder->color_primaries;
    w->frame->color_trc = w->encoder->color_trc;
    w->frame->color_range = w->encoder->color_range;
    if (av_frame_get_buffer(w->frame, 0) < 0) err = QVMediaErr_InsufficientMemory;
  }
  if (err) {
    QVMovieWriterAbandon(w);
    return err;
  }
  *out = w;
  return QVMediaErr_NoErr;
}

QVMediaErr QVMovieWriterAddFrame(QVMovieWriter* w, const void* pixels, uint32_t rowBytes, QVMovieWriterPixels layout) {
  if (!w || !pixels) return QVMediaErr_ParameterError;
  const bool wide = layout == kQVMovieWriterRGBA16;
  if (av_frame_make_writable(w->frame) < 0) return QVMediaErr_InsufficientMemory;
  const int height = w->encoder->height;
  if (!ConvertRows(w, wide ? &w->scale16 : &w->scale, PackedRows(wide, pixels, rowBytes), 0, height, w->frame))
    return QVMediaErr_ExportFailed;
  w->frame->pts = w->frames;
  if (avcodec_send_frame(w->encoder, w->frame) < 0 || !DrainEncoder(w, w->encoder, w->video))
    return QVMediaErr_ExportFailed;
  ++w->frames;
  return QVMediaErr_NoErr;
}

namespace {

// A new buffer for the picture, at the writer's size, layout and colour tags.
bool NewPictureBuffer(const QVMovieWriter* w, AVFrame* f) {
  av_frame_unref(f);
  f->format = w->frame->format;
  f->width = w->frame->width;
  f->height = w->frame->height;
  f->colorspace = w->frame->colorspace;
  f->color_primaries = w->frame->color_primaries;
  f->color_trc = w->frame->color_trc;
  f->color_range = w->frame->color_range;
  return av_frame_get_buffer(f, 0) >= 0;
}

}  // namespace

QVMediaErr QVMovieWriterNewPicture(const QVMovieWriter* w, QVMovieWriterPicture** out) {
  if (!w || !out) return QVMediaErr_ParameterError;
  *out = nullptr;
  AVFrame* f = av_frame_alloc();
  auto* picture = f ? new (std::nothrow) QVMovieWriterPicture{f} : nullptr;
  if (!picture) {
    av_frame_free(&f);
    return QVMediaErr_InsufficientMemory;
  }
  if (!NewPictureBuffer(w, f)) {
    QVMovieWriterFreePicture(picture);
    return QVMediaErr_InsufficientMemory;
  }
  *out = picture;
  return QVMediaErr_NoErr;
}

namespace {

// The rows into the picture in bands over the task pool, or one band after
// another on the calling thread (the same bands, so the same bytes).
QVMediaErr FillInBands(QVMovieWriter* w, QVMovieWriterPicture* picture, const SourceRows& from, bool overPool) {
  // The encoder may still hold the picture's last buffer: then a new one
  // (nothing of the old one is kept, as every sample is written).
  if (!av_frame_is_writable(picture->frame) && !NewPictureBuffer(w, picture->frame))
    return QVMediaErr_InsufficientMemory;
  if (w->bandScale.empty()) w->bandScale.resize(std::max<uint32_t>(gNumProcessors, 1));
  BandWork work{w, from, picture->frame};
  const uint32_t parts = uint32_t(w->bandScale.size());
  if (overPool) {
    VL_EngineLockGuard hold;  // the pool serves one caller at a time
    VLMPRunParts(ConvertBand, &work, parts, &gVLMPMaster);
  } else {
    for (uint32_t part = 0; part < parts; ++part) ConvertBand(&work, part, parts);
  }
  return work.failed ? QVMediaErr_ExportFailed : QVMediaErr_NoErr;
}

// A planar float frame as the converter reads it, or false when it is not
// one at the writer's size.
bool PlaneRows(const QVMovieWriter* w, const FBFrameStruct* frame, SourceRows* from) {
  if (frame->pixelFormat != kFBPixFormatPlanarFloat || frame->planeCount < 3 ||
      frame->width != uint32_t(w->encoder->width) || frame->height != uint32_t(w->encoder->height) ||
      frame->rowBytes > uint32_t(INT32_MAX))
    return false;
  // The converter's planes go G, B, R.
  auto plane = [&](uint32_t k) { return frame->baseAddr + size_t(k) * frame->planeBytes; };
  const int stride = int(frame->rowBytes);
  *from = SourceRows{AV_PIX_FMT_NE(GBRPF32BE, GBRPF32LE), {plane(1), plane(2), plane(0)}, {stride, stride, stride}};
  return true;
}

QVMediaErr FillFromPlanes(QVMovieWriter* w, QVMovieWriterPicture* picture, const FBFrameStruct* frame,
                          bool overPool) {
  if (!w || !picture || !frame || !frame->baseAddr) return QVMediaErr_ParameterError;
  SourceRows from{};
  if (!PlaneRows(w, frame, &from)) return QVMediaErr_ParameterError;
  return FillInBands(w, picture, from, overPool);
}

}  // namespace

QVMediaErr QVMovieWriterFillPicture(QVMovieWriter* w, QVMovieWriterPicture* picture, const uint16_t* pixels,
                                    uint32_t rowBytes) {
  if (!w || !picture || !pixels) return QVMediaErr_ParameterError;
  return FillInBands(w, picture, PackedRows(true, pixels, rowBytes), true);
}

QVMediaErr QVMovieWriterFillPictureFromPlanes(QVMovieWriter* w, QVMovieWriterPicture* picture,
                                              const FBFrameStruct* frame) {
  return FillFromPlanes(w, picture, frame, true);
}

QVMediaErr QVMovieWriterFillPictureFromPlanesOnCaller(QVMovieWriter* w, QVMovieWriterPicture* picture,
                                                      const FBFrameStruct* frame) {
  return FillFromPlanes(w, picture, frame, false);
}

QVMediaErr QVMovieWriterAddPicture(QVMovieWriter* w, QVMovieWriterPicture* picture) {
  if (!w || !picture) return QVMediaErr_ParameterError;
  picture->frame->pts = w->frames;
  if (avcodec_send_frame(w->encoder, picture->frame) < 0 || !DrainEncoder(w, w->encoder, w->video))
    return QVMediaErr_ExportFailed;
  ++w->frames;
  return QVMediaErr_NoErr;
}

void QVMovieWriterFreePicture(QVMovieWriterPicture* picture) {
  if (!picture) return;
  av_frame_free(&picture->frame);
  delete picture;
}

int64_t QVMovieWriterFrameCount(const QVMovieWriter* w) { return w ? w->frames : 0; }

QVMediaErr QVMovieWriterFinish(QVMovieWriter* w) {
  if (!w) return QVMediaErr_ParameterError;
  QVMediaErr err = QVMediaErr_NoErr;
  if (avcodec_send_frame(w->encoder, nullptr) < 0 || !DrainEncoder(w, w->encoder, w->video))
    err = QVMediaErr_ExportFailed;
  if (!err && w->audio) err = WriteAudioTrack(w);
  if (!err && av_write_trailer(w->out) < 0) err = QVMediaErr_ExportFailed;
  if (!err && avio_closep(&w->out->pb) < 0) err = QVMediaErr_ExportFailed;
  if (err) {
    QVMovieWriterAbandon(w);
    return err;
  }
  const QVStatus committed = PLCommitReplacement(&w->file);
  FreeWriter(w);
  return committed == kQVNoErr ? QVMediaErr_NoErr : QVMediaErr_ExportFailed;
}

void QVMovieWriterAbandon(QVMovieWriter* w) {
  if (!w) return;
  if (w->out && w->out->pb) avio_closep(&w->out->pb);
  if (!w->file.temp.empty()) PLAbandonReplacement(&w->file);
  FreeWriter(w);
}
