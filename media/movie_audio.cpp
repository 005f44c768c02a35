// Adding a reference's audio to a movie: the movie's video streams are
// copied packet for packet and the audio decoded, trimmed and written as
// interleaved 16-bit PCM into a new file, renamed over the movie once whole.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_contents.h"
#include "media/ffmpeg_frames.h"
#include "media/media_internal.h"
#include "media/movie_timing.h"

namespace {

struct InputCloser {
  AVFormatContext* context = nullptr;
  ~InputCloser() { avformat_close_input(&context); }
};

struct DecoderCloser {
  AVCodecContext* context = nullptr;
  ~DecoderCloser() { avcodec_free_context(&context); }
};

struct OutputCloser {
  AVFormatContext* context = nullptr;
  ~OutputCloser() {
    if (!context) return;
    if (context->pb) avio_closep(&context->pb);
    avformat_free_context(context);
  }
};

struct PacketHolder {
  AVPacket* packet = av_packet_alloc();
  ~PacketHolder() { av_packet_free(&packet); }
};

struct FrameHolder {
  AVFrame* frame = av_frame_alloc();
  ~FrameHolder() { av_frame_free(&frame); }
};

// Writes samples [from, to) of the whole stream's frame that begins at
// sample `first` as one packet.
bool WriteAudio(AVFormatContext* out, int stream, const AVFrame* f, int channels, int64_t first, int64_t from,
                int64_t to, int64_t startSample) {
  const int64_t begin = std::max(first, from), end = std::min(first + f->nb_samples, to);
  if (end <= begin) return true;
  PacketHolder p;
  if (!p.packet || av_new_packet(p.packet, int((end - begin) * channels * 2)) < 0) return false;
  uint8_t* d = p.packet->data;
  for (int64_t s = begin; s < end; ++s) {
    for (int c = 0; c < channels; ++c) {
      const int16_t v = media::AudioSampleAt16(f, c, int(s - first), channels);
      *d++ = uint8_t(v & 0xFF);
      *d++ = uint8_t(uint16_t(v) >> 8);
    }
  }
  p.packet->stream_index = stream;
  p.packet->pts = p.packet->dts = begin - startSample;
  p.packet->duration = end - begin;
  av_packet_rescale_ts(p.packet, AVRational{1, out->streams[stream]->codecpar->sample_rate},
                       out->streams[stream]->time_base);
  return av_write_frame(out, p.packet) >= 0;
}

// The replacement file in progress: removed again unless it was renamed over
// the movie.
struct ReplacementGuard {
  PLReplacement file;
  bool committed = false;
  ~ReplacementGuard() {
    if (!committed) PLAbandonReplacement(&file);
  }
};

}  // namespace

QVMediaErr QVMediaAddAudioToMovie(QVMediaFileRef* audio, const char* moviePath, int64_t startFrame) {
  if (QVMediaErr err = media::CheckRef(audio)) return err;
  if (!moviePath || !*moviePath) return QVMediaErr_ParameterError;
  std::string audioPath;
  {
    media::RefLock lock(audio);
    if (!lock.held()) return QVMediaErr_TimedOutWaitingForMedia;
    if (!media::HasAudio(audio)) return QVMediaErr_MediaHasNoAudio;
    audioPath = audio->path;
  }

  InputCloser movie;
  if (avformat_open_input(&movie.context, moviePath, nullptr, nullptr) < 0 ||
      avformat_find_stream_info(movie.context, nullptr) < 0)
    return QVMediaErr_FileNotFound;
  const int video = av_find_best_stream(movie.context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (video < 0) return QVMediaErr_UnsupportedMediaType;
  AVStream* videoStream = movie.context->streams[video];
  const AVRational rate = av_guess_frame_rate(movie.context, videoStream, nullptr);
  double seconds = 0;
  if (videoStream->duration > 0 && videoStream->duration != AV_NOPTS_VALUE)
    seconds = double(videoStream->duration) * av_q2d(videoStream->time_base);
  else if (movie.context->duration > 0)
    seconds = double(movie.context->duration) / AV_TIME_BASE;
  if (rate.num <= 0 || rate.den <= 0 || !(seconds > 0)) return QVMediaErr_UnsupportedMediaType;

  InputCloser sound;
  if (avformat_open_input(&sound.context, audioPath.c_str(), nullptr, nullptr) < 0 ||
      avformat_find_stream_info(sound.context, nullptr) < 0)
    return QVMediaErr_FileNotFound;
  const AVCodec* codec = nullptr;
  const int soundIndex = av_find_best_stream(sound.context, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (soundIndex < 0) return QVMediaErr_MediaHasNoAudio;
  if (!codec) return QVMediaErr_CodecNotFound;
  DecoderCloser decoder;
  decoder.context = avcodec_alloc_context3(codec);
  if (!decoder.context) return QVMediaErr_InsufficientMemory;
  if (avcodec_parameters_to_context(decoder.context, sound.context->streams[soundIndex]->codecpar) < 0 ||
      avcodec_open2(decoder.context, codec, nullptr) < 0)
    return QVMediaErr_CodecNotFound;
  const int sampleRate = decoder.context->sample_rate;
  const int channels = decoder.context->ch_layout.nb_channels;
  if (sampleRate <= 0 || channels <= 0 || channels > 64) return QVMediaErr_UnsupportedMediaType;

  // The audio's span in its own samples: from the start frame for the video's length.
  const int64_t startSample =
      std::max<int64_t>(0, std::llround(double(startFrame) * sampleRate * rate.den / rate.num));
  const int64_t endSample = startSample + std::llround(seconds * sampleRate);

  // A unique temporary file beside the movie, made afresh (no planted link is
  // followed), synced and renamed over the movie once whole.
  ReplacementGuard replacement;
  if (PLBeginReplacement(moviePath, 0644, &replacement.file) != kQVNoErr) return QVMediaErr_ExportFailed;
  const std::string& temporary = replacement.file.temp;
  OutputCloser out;
  if (avformat_alloc_output_context2(&out.context, nullptr, "mov", temporary.c_str()) < 0 || !out.context)
    return QVMediaErr_InsufficientMemory;
  std::vector<int> streamMap(movie.context->nb_streams, -1);
  for (unsigned i = 0; i < movie.context->nb_streams; ++i) {
    const AVStream* in = movie.context->streams[i];
    if (in->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) continue;
    AVStream* copy = avformat_new_stream(out.context, nullptr);
    if (!copy || avcodec_parameters_copy(copy->codecpar, in->codecpar) < 0) return QVMediaErr_InsufficientMemory;
    copy->time_base = in->time_base;
    copy->avg_frame_rate = in->avg_frame_rate;
    streamMap[i] = copy->index;
  }
  AVStream* audioOut = avformat_new_stream(out.context, nullptr);
  if (!audioOut) return QVMediaErr_InsufficientMemory;
  audioOut->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
  audioOut->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
  audioOut->codecpar->sample_rate = sampleRate;
  av_channel_layout_default(&audioOut->codecpar->ch_layout, channels);
  audioOut->codecpar->bits_per_coded_sample = 16;
  audioOut->codecpar->block_align = 2 * channels;
  audioOut->codecpar->bit_rate = int64_t(sampleRate) * channels * 16;
  audioOut->time_base = AVRational{1, sampleRate};

  bool written = avio_open(&out.context->pb, temporary.c_str(), AVIO_FLAG_WRITE) >= 0;
  if (written) written = avformat_write_header(out.context, nullptr) >= 0;

  PacketHolder packet;
  FrameHolder frame;
  if (!packet.packet || !frame.frame) written = false;
  QVMediaErr readError = QVMediaErr_NoErr;
  // The video, packet for packet.
  while (written) {
    const int got = av_read_frame(movie.context, packet.packet);
    if (got == AVERROR_EOF) break;
    if (got < 0) { readError = QVMediaErr_FileNotFound; break; }
    const int to = streamMap[size_t(packet.packet->stream_index)];
    if (to >= 0) {
      av_packet_rescale_ts(packet.packet, movie.context->streams[packet.packet->stream_index]->time_base,
                           out.context->streams[to]->time_base);
      packet.packet->stream_index = to;
      packet.packet->pos = -1;
      written = av_write_frame(out.context, packet.packet) >= 0;
    }
    av_packet_unref(packet.packet);
  }
  // The audio, decoded and trimmed to its span.
  int64_t first = 0;
  bool draining = false;
  while (written && !readError && first < endSample) {
    int got = avcodec_receive_frame(decoder.context, frame.frame);
    if (got == 0) {
      if (frame.frame->ch_layout.nb_channels != channels) { readError = QVMediaErr_UnsupportedMediaType; break; }
      written = WriteAudio(out.context, audioOut->index, frame.frame, channels, first, startSample, endSample,
                           startSample);
      first += frame.frame->nb_samples;
      av_frame_unref(frame.frame);
      continue;
    }
    if (got == AVERROR_EOF) break;
    if (got != AVERROR(EAGAIN)) { readError = QVMediaErr_FileNotFound; break; }
    if (draining) break;
    got = av_read_frame(sound.context, packet.packet);
    if (got == AVERROR_EOF) {
      draining = true;
      avcodec_send_packet(decoder.context, nullptr);
      continue;
    }
    if (got < 0) { readError = QVMediaErr_FileNotFound; break; }
    if (packet.packet->stream_index == soundIndex && avcodec_send_packet(decoder.context, packet.packet) < 0)
      readError = QVMediaErr_FileNotFound;
    av_packet_unref(packet.packet);
  }
  if (written && !readError) written = av_write_trailer(out.context) >= 0;
  if (out.context->pb) {
    if (avio_closep(&out.context->pb) < 0) written = false;
  }
  if (readError) return readError;
  if (!written || PLCommitReplacement(&replacement.file) != kQVNoErr) return QVMediaErr_ExportFailed;
  replacement.committed = true;
  return QVMediaErr_NoErr;
}
