// Movies through libavformat and libavcodec. The first video stream is the
// video track; a data stream tagged 'tmcd' (or a "timecode" entry of the
// file or a stream) gives the timecode track's start; audio streams are the
// sound tracks. Frames are decoded in order and seeked to only when a
// caller jumps.
#include "media/movie_reader.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "media/ffmpeg_frames.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/timecode.h>
#include <libswscale/swscale.h>
}

struct QVMovie {
  AVFormatContext* format = nullptr;
  AVCodecContext* decoder = nullptr;
  SwsContext* scaler = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int videoStream = -1;
  double ticksPerFrame = 0;  // of the video stream's time base
  int64_t startTicks = 0;
  int64_t nextFrame = -1;    // the frame the decoder gives next; -1 unknown
  bool draining = false;
  QVMovieInfo info{};
};

namespace {

const AVDictionaryEntry* FindTimecodeEntry(const AVFormatContext* format, int* stream) {
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream* st = format->streams[i];
    if (st->codecpar->codec_type == AVMEDIA_TYPE_DATA && st->codecpar->codec_tag == MKTAG('t', 'm', 'c', 'd')) {
      if (const AVDictionaryEntry* e = av_dict_get(st->metadata, "timecode", nullptr, 0)) {
        *stream = int(i);
        return e;
      }
    }
  }
  for (unsigned i = 0; i < format->nb_streams; ++i)
    if (const AVDictionaryEntry* e = av_dict_get(format->streams[i]->metadata, "timecode", nullptr, 0)) {
      *stream = int(i);
      return e;
    }
  *stream = -1;
  return av_dict_get(format->metadata, "timecode", nullptr, 0);
}

void ReadTimecode(QVMovie* movie, AVRational rate) {
  int stream = -1;
  const AVDictionaryEntry* entry = FindTimecodeEntry(movie->format, &stream);
  if (!entry || rate.num <= 0 || rate.den <= 0) return;
  AVTimecode tc;
  if (av_timecode_init_from_string(&tc, rate, entry->value, nullptr) < 0) return;
  movie->info.hasTimecodeTrack = true;
  movie->info.timecodeStart = tc.start;
  movie->info.timecodeQuanta = tc.fps;
  movie->info.timecodeDrop = (tc.flags & AV_TIMECODE_FLAG_DROPFRAME) != 0;
}

void ReadSoundTracks(QVMovie* movie) {
  for (unsigned i = 0; i < movie->format->nb_streams; ++i) {
    const AVCodecParameters* par = movie->format->streams[i]->codecpar;
    if (par->codec_type != AVMEDIA_TYPE_AUDIO || movie->info.soundTrackCount >= kQVMovieMaxSoundTracks) continue;
    QVMovieSoundTrack& track = movie->info.soundTracks[movie->info.soundTrackCount++];
    track.channelCount = uint32_t(par->ch_layout.nb_channels);
    track.sampleRate = uint32_t(par->sample_rate);
    int bits = av_get_bits_per_sample(par->codec_id);
    if (bits <= 0) bits = par->bits_per_raw_sample;
    if (bits <= 0) bits = par->bits_per_coded_sample;
    track.sampleSize = bits > 0 ? uint32_t(bits) : 16;
  }
}

bool OpenDecoder(QVMovie* movie) {
  movie->decoder = media::OpenStreamDecoder(movie->format, movie->videoStream, 0);
  movie->packet = av_packet_alloc();
  movie->frame = av_frame_alloc();
  return movie->decoder && movie->packet && movie->frame;
}

int64_t FrameIndexOf(const QVMovie* movie, const AVFrame* frame) {
  const int64_t pts = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
  if (pts == AV_NOPTS_VALUE || movie->ticksPerFrame <= 0) return -1;
  return std::llround(double(pts - movie->startTicks) / movie->ticksPerFrame);
}

bool SeekTo(QVMovie* movie, int64_t frame) {
  const int64_t target = movie->startTicks + int64_t(std::floor(double(frame) * movie->ticksPerFrame));
  if (av_seek_frame(movie->format, movie->videoStream, target, AVSEEK_FLAG_BACKWARD) < 0 &&
      av_seek_frame(movie->format, movie->videoStream, movie->startTicks, AVSEEK_FLAG_BACKWARD) < 0)
    return false;
  avcodec_flush_buffers(movie->decoder);
  movie->draining = false;
  movie->nextFrame = -1;
  return true;
}

}  // namespace

QVMovieOpenResult QVMovieOpen(const char* path, QVMovie** out) {
  *out = nullptr;
  QVMovie* movie = new (std::nothrow) QVMovie();
  if (!movie) return kQVMovieOpenFailed;
  const int opened = avformat_open_input(&movie->format, path, nullptr, nullptr);
  if (opened < 0) {
    delete movie;
    return opened == AVERROR_INVALIDDATA ? kQVMovieNotAMovie : kQVMovieOpenFailed;
  }
  if (avformat_find_stream_info(movie->format, nullptr) < 0) {
    QVMovieClose(movie);
    return kQVMovieNotAMovie;
  }
  for (unsigned i = 0; i < movie->format->nb_streams; ++i) {
    const AVStream* st = movie->format->streams[i];
    if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(st->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
      movie->videoStream = int(i);
      break;
    }
  }
  QVMovieInfo& info = movie->info;
  AVRational rate{0, 1};
  if (movie->videoStream >= 0) {
    const AVStream* st = movie->format->streams[movie->videoStream];
    if (!OpenDecoder(movie) || st->codecpar->width <= 0 || st->codecpar->height <= 0 ||
        st->codecpar->width > 16384 || st->codecpar->height > 16384) {
      QVMovieClose(movie);
      return kQVMovieOpenFailed;
    }
    info.hasVideo = true;
    info.boxWidth = uint32_t(st->codecpar->width);
    info.boxHeight = uint32_t(st->codecpar->height);
    rate = st->avg_frame_rate.num > 0 && st->avg_frame_rate.den > 0 ? st->avg_frame_rate : st->r_frame_rate;
    if (rate.num > 0 && rate.den > 0) {
      info.mediaTimeScale = rate.num;
      info.firstSampleDuration = rate.den;
      movie->ticksPerFrame = double(st->time_base.den) * rate.den / (double(st->time_base.num) * rate.num);
    }
    movie->startTicks = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
      info.durationSeconds = double(st->duration) * st->time_base.num / st->time_base.den;
    else if (movie->format->duration > 0)
      info.durationSeconds = double(movie->format->duration) / AV_TIME_BASE;
    info.sampleCount = st->nb_frames > 0 ? st->nb_frames : 0;
    if (const AVCodecDescriptor* d = avcodec_descriptor_get(st->codecpar->codec_id)) {
      const char* name = d->long_name && std::strlen(d->long_name) < 32 ? d->long_name : d->name;
      std::snprintf(info.codecName, sizeof info.codecName, "%s", name);
    }
  }
  ReadTimecode(movie, rate);
  ReadSoundTracks(movie);
  movie->nextFrame = 0;
  *out = movie;
  return kQVMovieOpened;
}

void QVMovieClose(QVMovie* movie) {
  if (!movie) return;
  av_frame_free(&movie->frame);
  av_packet_free(&movie->packet);
  avcodec_free_context(&movie->decoder);
  sws_freeContext(movie->scaler);
  avformat_close_input(&movie->format);
  delete movie;
}

const QVMovieInfo* QVMovieGetInfo(const QVMovie* movie) { return &movie->info; }

bool QVMovieDecodeFrame(QVMovie* movie, int64_t frame, uint8_t* pixels, uint32_t rowBytes, uint32_t width,
                        uint32_t height) {
  if (!movie || !movie->decoder || frame < 0 || !pixels) return false;
  if (frame != movie->nextFrame && !SeekTo(movie, frame)) return false;
  for (;;) {
    if (!media::DecodeNextFrame(movie->format, movie->decoder, movie->videoStream, movie->packet, movie->frame,
                                &movie->draining))
      return false;
    int64_t index = FrameIndexOf(movie, movie->frame);
    if (index < 0) index = movie->nextFrame >= 0 ? movie->nextFrame : frame;
    movie->nextFrame = index + 1;
    if (index >= frame) break;
    av_frame_unref(movie->frame);
  }
  const bool ok = media::ConvertFrameToBGRA(&movie->scaler, movie->frame, pixels, rowBytes, width, height);
  av_frame_unref(movie->frame);
  return ok;
}
