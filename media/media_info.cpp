// Reading and setting a reference's position, sizes, format information and
// metadata.
#include <fcntl.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "media/media_internal.h"
#include "media/movie_reader.h"

using namespace media;

namespace {

// The usual start of an accessor: a valid reference, outputs given, lock held.
#define MEDIA_ACCESS(ref, outputsGiven)                                        \
  if (QVMediaErr err_ = CheckRef(ref)) return err_;                            \
  if (!(outputsGiven)) return QVMediaErr_ParameterError;                       \
  RefLock lock_(ref);                                                          \
  if (!lock_.held()) return QVMediaErr_TimedOutWaitingForMedia

char* HeapText(const char* format, double value, bool isFloat) {
  char text[64];
  if (isFloat) std::snprintf(text, sizeof text, format, value);
  else std::snprintf(text, sizeof text, format, static_cast<long>(value));
  const size_t n = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(n));
  if (copy) std::memcpy(copy, text, n);
  return copy;
}

QVMediaErr SetMetadata(QVMediaFileRef* ref, uint32_t index, double value, bool isFloat) {
  if (QVMediaErr err = CheckRef(ref)) return err;
  RefLock lock(ref);
  if (!lock.held()) return QVMediaErr_TimedOutWaitingForMedia;
  if (!ref->metadata || index >= ref->metadataCount) return QVMediaErr_InvalidMetadataIndex;
  QVMediaMetadataEntry& entry = ref->metadata[index];
  if (entry.type == kQVMetadataUndefined) entry.type = isFloat ? kQVMetadataFloat : kQVMetadataInteger;
  switch (entry.type) {
    case kQVMetadataInteger:
      entry.value.integer = isFloat ? int32_t(std::lround(value)) : int32_t(value);
      break;
    case kQVMetadataFloat:
      entry.value.real = float(value);
      break;
    case kQVMetadataText:
      std::free(entry.value.text);
      entry.value.text = HeapText(isFloat ? "%f" : "%ld", value, isFloat);
      break;
    default:
      break;
  }
  return QVMediaErr_NoErr;
}

}  // namespace

QVMediaErr QVMediaSetMetadataFloat(QVMediaFileRef* ref, uint32_t index, float value) {
  return SetMetadata(ref, index, value, true);
}

QVMediaErr QVMediaSetMetadataLong(QVMediaFileRef* ref, uint32_t index, int32_t value) {
  return SetMetadata(ref, index, value, false);
}

QVMediaErr QVMediaGetCurrentFrame(QVMediaFileRef* ref, int64_t* frame) {
  MEDIA_ACCESS(ref, frame);
  *frame = ref->currentFrame;
  return QVMediaErr_NoErr;
}

QVMediaErr QVMediaSetCurrentFrame(QVMediaFileRef* ref, int64_t frame) {
  MEDIA_ACCESS(ref, true);
  if (frame < 0 && ref->lastFrame >= 0) {
    ref->currentFrame = 0;
    return QVMediaErr_NoErr;
  }
  if (frame > ref->lastFrame) {
    ref->currentFrame = ref->lastFrame;
    return QVMediaErr_MediaTooShort;
  }
  ref->currentFrame = frame;
  return QVMediaErr_NoErr;
}

QVMediaErr QVMediaGetImageSize(QVMediaFileRef* ref, uint32_t* width, uint32_t* height) {
  MEDIA_ACCESS(ref, width && height);
  *width = ref->nativeWidth;
  *height = ref->nativeHeight;
  return QVMediaErr_NoErr;
}

QVMediaErr QVMediaGetFrameCount(QVMediaFileRef* ref, int64_t* count) {
  MEDIA_ACCESS(ref, count);
  *count = ref->lastFrame + 1;
  return QVMediaErr_NoErr;
}

QVMediaErr QVMediaGetDisplaySize(QVMediaFileRef* ref, uint32_t* width, uint32_t* height) {
  MEDIA_ACCESS(ref, width && height);
  if ((ref->flags & kQVMediaMovie) && ref->movie) {
    *width = QVMovieGetInfo(ref->movie)->boxWidth;
    *height = QVMovieGetInfo(ref->movie)->boxHeight;
  } else {
    *width = ref->decodeWidth;
    *height = ref->decodeHeight;
  }
  return QVMediaErr_NoErr;
}

QVMediaErr QVMediaGetPosterFrame(QVMediaFileRef* ref, int64_t* frame) {
  MEDIA_ACCESS(ref, frame);
  // The movies read here carry no poster time: the poster is the first frame.
  *frame = 0;
  return QVMediaErr_NoErr;
}

QVMediaErr QVMediaGetFileName(QVMediaFileRef* ref, char* buffer, size_t length) {
  MEDIA_ACCESS(ref, buffer);
  const size_t n = strnlen(ref->path, sizeof ref->path);
  if (n + 1 > length) return QVMediaErr_BufferTooSmall;
  std::memcpy(buffer, ref->path, n + 1);
  return QVMediaErr_NoErr;
}

QVMediaErr QVMediaGetFileDates(QVMediaFileRef* ref, double* created) {
  MEDIA_ACCESS(ref, created);
  struct statx sx;
  constexpr double kUnixTo2001 = 978307200.0;
  if (::statx(AT_FDCWD, ref->path, 0, STATX_BTIME | STATX_CTIME, &sx) != 0) return QVMediaErr_FileNotFound;
  const statx_timestamp& t = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_ctime;
  *created = double(t.tv_sec) + t.tv_nsec * 1e-9 - kUnixTo2001;
  return QVMediaErr_NoErr;
}

QVMediaErr QVMediaChooseDecodeSize(QVMediaFileRef* ref, uint32_t maximum, uint32_t* width, uint32_t* height,
                                   uint32_t flags) {
  if (QVMediaErr err = CheckRef(ref)) return err;
  if (!width || !height) return QVMediaErr_ParameterError;
  if (!(flags & 1) || maximum == 0) return QVMediaErr_NoErr;
  uint32_t w = *width, h = *height;
  uint32_t* governing;
  uint32_t* other;
  if (w > maximum) {
    governing = &w;
    other = &h;
  } else if (h >= maximum) {
    governing = &h;
    other = &w;
  } else {
    return QVMediaErr_NoErr;
  }
  if (*width != 1920 && *width != 1280) {
    *other = uint32_t(uint64_t(*other) * maximum / *governing);
    *governing = maximum;
  } else {
    int shift = 0;
    for (int s = 3; s >= 1 && shift == 0; --s)
      if (double(*governing >> s) * 1.07 >= maximum) shift = s;
    w >>= shift;
    h >>= shift;
  }
  *width = w;
  *height = h;
  return QVMediaErr_NoErr;
}

QVMediaErr QVMediaSetDecodeSize(QVMediaFileRef* ref, uint32_t width, uint32_t height) {
  MEDIA_ACCESS(ref, true);
  if (ref->flags & kQVMediaMovie) {
    if (width == 0 || height == 0 || width > 16384 || height > 16384) return QVMediaErr_ParameterError;
    if (width == ref->decodeWidth && height == ref->decodeHeight) return QVMediaErr_NoErr;
    uint8_t* pixels = new (std::nothrow) uint8_t[size_t(width) * 4 * height]();
    if (!pixels) return QVMediaErr_InsufficientMemory;
    delete[] ref->moviePixels;
    ref->moviePixels = ref->pixels = pixels;
    ref->movieRowBytes = ref->rowBytes = width * 4;
    ref->decodeWidth = width;
    ref->decodeHeight = height;
    if (ref->currentFrame >= 0)
      QVMovieDecodeFrame(ref->movie, ref->currentFrame, pixels, ref->movieRowBytes, width, height);
  } else if (ref->flags & kQVMediaStill) {
    ref->decodeWidth = width;
    ref->decodeHeight = height;
  } else {
    ref->decodeWidth = ref->nativeWidth;
    ref->decodeHeight = ref->nativeHeight;
  }
  return QVMediaErr_NoErr;
}

QVMediaErr QVMediaGetFormatInfo(QVMediaFileRef* ref, QVMediaFormatInfo* info) {
  if (info) {
    std::memset(info, 0, sizeof *info);
    info->extraFlag = 0x80;  // left set for an invalid reference
  }
  MEDIA_ACCESS(ref, info);
  const uint32_t f = ref->flags;
  info->width = ref->nativeWidth;
  info->height = ref->nativeHeight;
  info->rate = ref->dropRate ? float(ref->rate / 1.001) : float(ref->rate);
  info->frameCount = ref->lastFrame + 1;
  const bool timeBased = (f & kQVMediaTimeBasedMask) != 0;
  const char* suffix = (f & kQVMediaSequence) ? " Image Sequence"
                       : (f & kQVMediaAudio)  ? " Audio File"
                       : !timeBased           ? " Still Image"
                                              : "";
  std::snprintf(info->kindText, sizeof info->kindText, "%s%s", ref->kindText, suffix);
  if (ref->movie) {
    const char* codec = QVMovieGetInfo(ref->movie)->codecName;
    if (std::strlen(codec) < sizeof info->codecName) std::memcpy(info->codecName, codec, std::strlen(codec) + 1);
  }
  if (ref->dropRate && ref->rate == 24) std::snprintf(info->rateText, sizeof info->rateText, "23.976");
  else if (ref->dropRate) std::snprintf(info->rateText, sizeof info->rateText, "%1.2f", ref->rate / 1.001);
  else std::snprintf(info->rateText, sizeof info->rateText, "%1.1f", double(ref->rate));
  info->isMovie = (f & kQVMediaMovie) != 0;
  info->isSequence = (f & kQVMediaSequence) != 0;
  info->isTimeBased = timeBased;
  info->hasVideo = (f & kQVMediaAudio) == 0;
  info->extraFlag = (f & kQVMediaExtra) != 0;
  info->hasAudio = HasAudio(ref);
  if (info->hasAudio) AudioDescription(ref, &info->audio);
  return QVMediaErr_NoErr;
}
