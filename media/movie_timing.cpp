// Movie timing, timecode text and audio of media references.
#include "media/movie_timing.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "media/media_internal.h"
#include "media/movie_reader.h"
#include "media/timecode_text.h"

namespace media {

void ClassifyRate(double f, uint32_t* rate, uint8_t* dropRate) {
  *rate = 0;
  *dropRate = 0;
  if (!std::isfinite(f) || f <= 0 || f > 1000) return;
  if (f == std::floor(f)) {
    *rate = uint32_t(f);
    return;
  }
  const double c = std::ceil(f);
  if (std::fabs(c * 0.999000999 - f) < 0.07) {
    *rate = uint32_t(c);
    *dropRate = 1;
  } else {
    *rate = uint32_t(std::lround(f));
  }
}

void MovieRate(const QVMovie* movie, uint32_t* rate, uint8_t* dropRate) {
  const QVMovieInfo* info = QVMovieGetInfo(movie);
  double r = 1.0;
  if (info->hasVideo && info->firstSampleDuration > 0 && info->mediaTimeScale > 0)
    r = double(info->mediaTimeScale) / double(info->firstSampleDuration);
  ClassifyRate(r, rate, dropRate);
}

int64_t MovieFrameCount(const QVMovie* movie, uint32_t rate, uint8_t dropRate) {
  const QVMovieInfo* info = QVMovieGetInfo(movie);
  if (info->sampleCount > 0) return info->sampleCount;
  if (!(info->durationSeconds > 0) || rate == 0) return 0;
  // Rounded, so that whole frames of a 1000/1001 rate are not lost to truncation.
  return std::llround(info->durationSeconds * rate * 1000.0 / (dropRate ? 1001.0 : 1000.0));
}

// The video's rate times 100 as timecode text counts it.
int32_t TimecodeRate(const QVMediaFileRef* ref) {
  return ref->dropRate ? int32_t(std::lround(ref->rate / 1.001 * 100)) : int32_t(ref->rate * 100);
}

bool HasAudio(const QVMediaFileRef* ref) {
  if (ref->flags & kQVMediaAudio) return true;
  return (ref->flags & kQVMediaMovie) && ref->movie && QVMovieGetInfo(ref->movie)->soundTrackCount > 0;
}

void AudioDescription(const QVMediaFileRef* ref, QVMediaAudioInfo* info) {
  *info = {};
  if (ref->flags & kQVMediaAudio) {
    info->sampleSize = ref->waveFormat.bitsPerSample;
    info->sampleRate = ref->waveFormat.sampleRate;
    info->channelCount = ref->waveFormat.channelCount;
    info->pcm = ref->waveFormat.formatTag == 1;
    return;
  }
  if (!ref->movie) return;
  const QVMovieInfo* movie = QVMovieGetInfo(ref->movie);
  for (uint32_t i = 0; i < movie->soundTrackCount; ++i) {
    info->channelCount += movie->soundTracks[i].channelCount;
    info->sampleSize = movie->soundTracks[i].sampleSize;
    info->sampleRate = movie->soundTracks[i].sampleRate;
  }
  info->pcm = 1;
}

namespace {

void MakeTimecodeText(QVMediaFileRef* ref, char* text, size_t size, uint32_t mode) {
  text[0] = 0;
  const int64_t frame = ref->currentFrame < 0 ? 0 : ref->currentFrame;
  if (mode == kQVTimecodeTextFrameCounter) {
    std::snprintf(text, size, "%05lld/%05lld", static_cast<long long>(frame), static_cast<long long>(ref->lastFrame));
    return;
  }
  if ((ref->flags & kQVMediaMovie) && (ref->flags & kQVMediaHasTimecodeTrack) && ref->movie) {
    const QVMovieInfo* info = QVMovieGetInfo(ref->movie);
    QVMovieTimecodeState& state = ref->perFrame.movie;
    if (state.track < 0) state.track = QVMediaFindTimecodeHandler(ref->movie);
    state.flags = info->timecodeDrop ? 1 : 0;
    state.quanta = info->timecodeQuanta;
    state.counter = info->timecodeStart + frame;
    // The track's own counting gives the digits; they are shown with colons
    // whatever the counting.
    FormatTimecodeText(state.counter, int32_t(state.quanta * 100), kTimecodeModeTimecode,
                       state.flags & 1 ? kTimecodeDropFrame : kTimecodeNonDrop, 0, 0, text, size);
    for (char* c = text; *c; ++c)
      if (*c == ';') *c = ':';
    return;
  }
  if ((ref->flags & kQVMediaSequence) && (ref->flags & kQVMediaDPX)) {
    char path[1024];
    SequenceFramePath(ref->path, ref->digitPosition, ref->digitCount, ref->firstSequenceNumber + frame, path,
                      sizeof path);
    DPXHeaderInfo header;
    if (DPXReadHeaderInfo(path, &header) != kQVNoErr) return;
    char digits[8];
    for (int i = 0; i < 8; ++i) digits[i] = char('0' + ((header.timecode >> (28 - 4 * i)) & 0xF));
    std::snprintf(text, size, "%c%c:%c%c:%c%c:%c%c", digits[0], digits[1], digits[2], digits[3], digits[4],
                  digits[5], digits[6], digits[7]);
    return;
  }
  if (ref->flags & (kQVMediaMovie | kQVMediaSequence)) {
    FormatTimecodeText(frame, TimecodeRate(ref), kTimecodeModeTimecode, kTimecodeNonDrop, 0, 0, text, size);
    return;
  }
  if ((ref->flags & kQVMediaAudio) && ref->waveFormat.sampleRate > 0) {
    // Samples since midnight as frames at 30 a second.
    const uint64_t sample = QVMediaWaveTimeReference(ref) + uint64_t(frame);
    const int64_t video = int64_t(sample / ref->waveFormat.sampleRate * 30 +
                                  sample % ref->waveFormat.sampleRate * 30 / ref->waveFormat.sampleRate);
    FormatTimecodeText(video, 3000, kTimecodeModeTimecode, kTimecodeNonDrop, 0, 0, text, size);
  }
}

}  // namespace

}  // namespace media

using namespace media;

QVMediaErr QVMediaGetFrameRate(QVMediaFileRef* ref, uint32_t* rate, uint8_t* dropRate) {
  if (QVMediaErr err = CheckRef(ref)) return err;
  if (!rate || !dropRate) return QVMediaErr_ParameterError;
  RefLock lock(ref);
  if (!lock.held()) return QVMediaErr_TimedOutWaitingForMedia;
  if (ref->flags & (kQVMediaMovie | kQVMediaSequence | kQVMediaDPX | kQVMediaCineon)) {
    *rate = ref->rate;
    *dropRate = ref->dropRate;
  } else {
    *rate = 0;
    *dropRate = 0;
  }
  return QVMediaErr_NoErr;
}

int32_t QVMediaFindTimecodeHandler(const QVMovie* movie) {
  if (!movie) return -1;
  return QVMovieGetInfo(movie)->hasTimecodeTrack ? 0 : -1;
}

QVMediaErr QVMediaGetTimecodeText(QVMediaFileRef* ref, char* buffer, size_t length, uint32_t mode) {
  if (QVMediaErr err = CheckRef(ref)) return err;
  if (!buffer || length == 0) return QVMediaErr_ParameterError;
  buffer[0] = 0;
  RefLock lock(ref);
  if (!lock.held()) return QVMediaErr_TimedOutWaitingForMedia;
  if (!(ref->flags & kQVMediaTimeBasedMask)) return QVMediaErr_NoErr;
  char text[64];
  MakeTimecodeText(ref, text, sizeof text, mode);
  const char* start = text;
  while (*start == ' ' || *start == '\t') ++start;
  std::snprintf(buffer, length, "%s", start);
  return QVMediaErr_NoErr;
}

bool QVMediaHasAudio(QVMediaFileRef* ref) {
  if (CheckRef(ref)) return false;
  RefLock lock(ref);
  return lock.held() && HasAudio(ref);
}

QVMediaErr QVMediaGetAudioInfo(QVMediaFileRef* ref, QVMediaAudioInfo* info) {
  if (QVMediaErr err = CheckRef(ref)) return err;
  if (!info) return QVMediaErr_ParameterError;
  RefLock lock(ref);
  if (!lock.held()) return QVMediaErr_TimedOutWaitingForMedia;
  if (!HasAudio(ref)) return QVMediaErr_MediaHasNoAudio;
  AudioDescription(ref, info);
  return QVMediaErr_NoErr;
}

uint64_t QVMediaWaveTimeReference(const QVMediaFileRef* ref) {
  const uint8_t* p = ref->broadcastExtension + 338;
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

QVMediaErr QVMediaAlignAudioByTimecode(QVMediaFileRef* video, QVMediaFileRef* audio, int64_t offset,
                                       int64_t* startSample) {
  if (CheckRef(video) || CheckRef(audio)) return QVMediaErr_InvalidMediaFileRef;
  if (!QVMediaHasAudio(audio)) return QVMediaErr_MediaHasNoAudio;
  if (!startSample) return QVMediaErr_ParameterError;
  QVMediaAudioInfo sound;
  if (QVMediaErr err = QVMediaGetAudioInfo(audio, &sound)) return err;
  int64_t saved = 0;
  if (QVMediaErr err = QVMediaGetCurrentFrame(video, &saved)) return err;
  QVMediaSetCurrentFrame(video, 0);
  char text[32];
  QVMediaGetTimecodeText(video, text, sizeof text, kTimecodeModeTimecode);
  {
    RefLock lock(video);
    if (!lock.held()) return QVMediaErr_TimedOutWaitingForMedia;
    video->currentFrame = saved;
  }
  const int32_t rate = TimecodeRate(video);
  const int64_t first = ParseTimecodeText(text, rate, kTimecodeModeTimecode, kTimecodeNonDrop, 0, 0);
  const double r = sound.sampleRate, v = video->rate, f = video->dropRate ? 1.001 : 1.0;
  const uint64_t reference = (audio->flags & kQVMediaAudio) ? QVMediaWaveTimeReference(audio) : 0;
  double start = r * 0.25 * double(offset) - double(reference);
  if (v > 0) start += double(first) / v * r * f;
  *startSample = int64_t(std::llround(start));
  return QVMediaErr_NoErr;
}
