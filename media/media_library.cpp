// The media library's start, the open dispatcher and the disposal of
// references. Open tries, in order: movie (the movie kinds of the kind
// table, through FFmpeg's libraries), R3D (unsupported), the picture-file
// still (unsupported: no library here draws its pictures), DPX and Cineon
// (our own readers), broadcast WAVE, and any other still through the
// libraries' image decoders; then the sequence search, the metadata and
// the cache flag.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include "core/task_pool.h"
#include "media/frame_cache.h"
#include "media/media_internal.h"
#include "media/media_worker.h"
#include "media/movie_reader.h"

extern "C" {
#include <libavutil/log.h>
}

namespace media {

namespace {

struct Library {
  std::mutex listLock;
  QVMediaFileRef* head = nullptr;
  uint64_t serial = 0;
  bool started = false;
  // Decoders of other libraries for DPX and Cineon: never used, our own
  // readers read those files.
  bool dpxDecoder = false;
  bool cineonDecoder = false;
  bool cineThroughMovies = false;
  bool ariThroughMovies = false;
};

Library& Lib() {
  static Library library;
  return library;
}

}  // namespace

bool Started() { return Lib().started; }

QVMediaErr CheckRef(const QVMediaFileRef* ref) {
  if (!Started() || !ref || ref->magic != kQVMediaMagic) return QVMediaErr_InvalidMediaFileRef;
  return QVMediaErr_NoErr;
}

RefLock::RefLock(QVMediaFileRef* ref, int32_t timeoutMs) : ref_(ref) {
  held_ = QVSempahoreWait(&ref_->lock, timeoutMs) == kQVNoErr;
}

RefLock::~RefLock() {
  // Signalling a semaphore this lock holds cannot fail.
  if (held_) QVIgnoreStatus(QVSemaphoreSignal(&ref_->lock));
}

}  // namespace media

using namespace media;

const char* const kQVMediaMetadataKeys[kQVMediaMetadataCount] = {
    "image_width",       "image_height",      "pixel_aspect_ratio", "framerate",      "framerate_numerator",
    "framerate_denominator", "whitebalance_kelvin", "whitebalance_tint", "colorspace", "output_lut",
    "chroma_denoise",    "debayer_detail",    "olpf_compensation",
};

QVMediaErr QVMediaInitialize() {
  Library& lib = Lib();
  if (lib.started) return QVMediaErr_NoErr;
  {
    std::lock_guard<std::mutex> guard(lib.listLock);
    lib.head = nullptr;
    lib.serial = 0;
  }
  // The libraries' own messages about damaged files stay quiet; failures
  // reach callers as media codes.
  av_log_set_level(AV_LOG_QUIET);
  QVFrameCacheInitialize();
  if (QVMediaErr err = QVMediaStartWorker()) return err;
  VLMPSetMediaWork(VLMPDoMediaRequest);
  lib.started = true;
  return QVMediaErr_NoErr;
}

bool QVMediaIsValidRef(const QVMediaFileRef* ref) { return CheckRef(ref) == QVMediaErr_NoErr; }

bool QVMediaIsTimeBased(const QVMediaFileRef* ref) {
  return QVMediaIsValidRef(ref) && (ref->flags & kQVMediaTimeBasedMask) != 0;
}

bool QVMediaHasVideo(const QVMediaFileRef* ref) {
  return QVMediaIsValidRef(ref) && (ref->flags & kQVMediaAudio) == 0;
}

namespace {

void Dispose(QVMediaFileRef* ref) {
  if (ref->movie) QVMovieClose(ref->movie);
  delete[] ref->moviePixels;
  delete[] ref->stillPixels;
  if (ref->flags & (kQVMediaDPX | kQVMediaCineon)) delete[] ref->pixels;
  if (ref->audioFile >= 0) ::close(ref->audioFile);
  delete[] ref->audioBuffer;
  if (ref->metadata) {
    for (uint32_t i = 0; i < ref->metadataCount; ++i)
      if (ref->metadata[i].type == kQVMetadataText) std::free(ref->metadata[i].value.text);
    delete[] ref->metadata;
  }
  // The reference is going; a semaphore that will not go has nothing to report to.
  QVIgnoreStatus(QVSemaphoreDeinitialize(&ref->lock));
  ref->magic = 0;
  ref->flags = 0;
  ref->serial = ~uint64_t(0);
  {
    Library& lib = Lib();
    std::lock_guard<std::mutex> guard(lib.listLock);
    if (ref->previous) ref->previous->next = ref->next;
    else if (lib.head == ref) lib.head = ref->next;
    if (ref->next) ref->next->previous = ref->previous;
  }
  delete ref;
}

QVMediaFileRef* NewRef() {
  QVMediaFileRef* ref = new (std::nothrow) QVMediaFileRef();
  if (!ref) return nullptr;
  if (QVSemaphoreInitialize(&ref->lock, 1, 1) != kQVNoErr) {
    delete ref;
    return nullptr;
  }
  ref->magic = kQVMediaMagic;
  ref->currentFrame = -1;
  ref->audioFile = -1;
  Library& lib = Lib();
  std::lock_guard<std::mutex> guard(lib.listLock);
  ref->serial = ++lib.serial;
  ref->next = lib.head;
  if (lib.head) lib.head->previous = ref;
  lib.head = ref;
  return ref;
}

uint32_t SixteenBitRowBytes(uint32_t width) { return (width * 8 + 15) & ~15u; }

// Opens the movie kinds. 0 opened; 1001 a movie that cannot be read;
// kQVMovieNotAMovie leaves the reference for the next kinds.
QVMediaErr OpenMovie(QVMediaFileRef* ref, bool* notAMovie) {
  QVMovie* movie = nullptr;
  const QVMovieOpenResult result = QVMovieOpen(ref->path, &movie);
  if (result == kQVMovieNotAMovie) {
    *notAMovie = true;
    return QVMediaErr_NoErr;
  }
  if (result != kQVMovieOpened) return QVMediaErr_FileNotFound;
  const QVMovieInfo* info = QVMovieGetInfo(movie);
  if (!info->hasVideo) {
    QVMovieClose(movie);
    return QVMediaErr_UnsupportedMediaType;
  }
  ref->movie = movie;
  ref->flags = kQVMediaOpened | kQVMediaMovie;
  ref->nativeWidth = ref->decodeWidth = info->boxWidth;
  ref->nativeHeight = ref->decodeHeight = info->boxHeight;
  ref->movieRowBytes = info->boxWidth * 4;
  ref->movieDepth = 32;
  ref->moviePixelFormat = kFBPixFormatBGRA;
  ref->moviePixels = new (std::nothrow) uint8_t[size_t(ref->movieRowBytes) * info->boxHeight]();
  if (!ref->moviePixels) return QVMediaErr_InsufficientMemory;
  QVMovieDecodeFrame(movie, 0, ref->moviePixels, ref->movieRowBytes, ref->decodeWidth, ref->decodeHeight);
  ref->pixels = ref->moviePixels;
  ref->rowBytes = ref->movieRowBytes;
  ref->pixelFormat = kFBPixFormatBGRA;
  MovieRate(movie, &ref->rate, &ref->dropRate);
  ref->lastFrame = MovieFrameCount(movie, ref->rate, ref->dropRate) - 1;
  if (info->hasTimecodeTrack) ref->flags |= kQVMediaHasTimecodeTrack;
  ref->perFrame.movie.track = -1;
  return QVMediaErr_NoErr;
}

// DPX and Cineon into the 16-bit buffer.
QVMediaErr OpenDPXOrCineon(QVMediaFileRef* ref, bool cineon) {
  uint32_t width, height;
  if (cineon) {
    CineonHeaderInfo info;
    if (CineonReadHeaderInfo(ref->path, &info) != kQVNoErr) return QVMediaErr_FileNotFound;
    width = info.width;
    height = info.height;
  } else {
    if (DPXReadHeaderInfo(ref->path, &ref->perFrame.dpx) != kQVNoErr) return QVMediaErr_FileNotFound;
    width = ref->perFrame.dpx.width;
    height = ref->perFrame.dpx.height;
  }
  ref->flags = kQVMediaOpened | (cineon ? kQVMediaCineon : kQVMediaDPX);
  ref->nativeWidth = ref->decodeWidth = width;
  ref->nativeHeight = ref->decodeHeight = height;
  ref->pixelFormat = kFBPixFormat16ARGB;
  ref->rowBytes = SixteenBitRowBytes(width);
  ref->pixels = new (std::nothrow) uint8_t[size_t(ref->rowBytes) * height]();
  if (!ref->pixels) return QVMediaErr_InsufficientMemory;
  const QVStatus err = cineon ? CineonReadImage(ref->path, ref->pixels, ref->rowBytes, width, height, 16, false)
                              : DPXReadImage(ref->path, ref->pixels, ref->rowBytes, width, height, 16, false);
  if (err != kQVNoErr) return QVMediaErr_FileNotFound;
  ref->lastFrame = 0;
  if (!cineon) ClassifyRate(ref->perFrame.dpx.frameRate, &ref->rate, &ref->dropRate);
  return QVMediaErr_NoErr;
}

// True when the file was taken as broadcast WAVE.
bool OpenWave(QVMediaFileRef* ref) {
  const int fd = ::open(ref->path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  if (!ReadWaveChunks(fd, ref)) {
    ::close(fd);
    return false;
  }
  ref->audioFile = fd;
  ref->lastFrame = int64_t(ref->audioDataLength / ref->waveFormat.blockAlign) - 1;
  ref->flags = kQVMediaOpened | kQVMediaAudio;
  return true;
}

QVMediaErr OpenStill(QVMediaFileRef* ref) {
  uint32_t width = 0, height = 0, rowBytes = 0;
  uint8_t* pixels = nullptr;
  const QVMediaErr err = QVStillImport(ref->path, &pixels, &width, &height, &rowBytes);
  if (err != QVMediaErr_NoErr) return err;
  ref->stillPixels = pixels;
  ref->pixels = pixels;
  ref->rowBytes = rowBytes;
  ref->pixelFormat = kFBPixFormatBGRA;
  ref->nativeWidth = ref->decodeWidth = width;
  ref->nativeHeight = ref->decodeHeight = height;
  ref->flags = kQVMediaOpened | kQVMediaStill;
  ref->lastFrame = 0;
  return QVMediaErr_NoErr;
}

void SetOpeningMetadata(QVMediaFileRef* ref) {
  QVMediaSetMetadataLong(ref, 0, int32_t(ref->nativeWidth));
  QVMediaSetMetadataLong(ref, 1, int32_t(ref->nativeHeight));
  QVMediaSetMetadataFloat(ref, 3, ref->dropRate ? float(ref->rate) * 0.99900097f : float(ref->rate));
  QVMediaSetMetadataLong(ref, 4, int32_t(ref->rate * 1000));
  QVMediaSetMetadataLong(ref, 5, ref->dropRate ? 1001 : 1000);
  QVMediaSetMetadataFloat(ref, 2, 1.0f);
}

QVMediaErr OpenByKind(QVMediaFileRef* ref, uint8_t openFlags) {
  const Library& lib = Lib();
  const char* path = ref->path;
  const KindRow* kind = FindKind(PathExtension(path));
  // DPX and Cineon are known by their magic as well, so that numbered
  // frames without an extension are read by our own readers.
  uint8_t magic[4] = {};
  if (const int fd = ::open(path, O_RDONLY | O_CLOEXEC); fd >= 0) {
    if (::pread(fd, magic, 4, 0) != 4) std::memset(magic, 0, 4);
    ::close(fd);
  }
  const bool dpxMagic = std::memcmp(magic, "SDPX", 4) == 0 || std::memcmp(magic, "XPDS", 4) == 0;
  const bool cineonMagic = std::memcmp(magic, "\x80\x2A\x5F\xD7", 4) == 0 || std::memcmp(magic, "\xD7\x5F\x2A\x80", 4) == 0;
  const bool isDPX = ExtensionIs(path, "dpx") || (dpxMagic && !ExtensionIs(path, "cin"));
  const bool isCineon = ExtensionIs(path, "cin") || (cineonMagic && !ExtensionIs(path, "dpx"));
  const bool movieKind = (kind && kind->movie && !ExtensionIs(path, "cine") && !ExtensionIs(path, "ari")) ||
                         (isDPX && lib.dpxDecoder) || (isCineon && lib.cineonDecoder) ||
                         (ExtensionIs(path, "cine") && lib.cineThroughMovies) ||
                         (ExtensionIs(path, "ari") && lib.ariThroughMovies);
  if (movieKind) {
    bool notAMovie = false;
    const QVMediaErr err = OpenMovie(ref, &notAMovie);
    if (!notAMovie) return err;
  }
  if (ExtensionIs(path, "r3d")) return QVMediaErr_UnsupportedMediaType;
  if ((ExtensionIs(path, "zrx")) && !(openFlags & kQVMediaOpenNoPictureFile)) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return QVMediaErr_FileNotFound;
    struct stat st;
    uint64_t start = 0, length = 0;
    const bool found = ::fstat(fd, &st) == 0 && PictureFileLocate(fd, uint64_t(st.st_size), &start, &length);
    ::close(fd);
    // The picture is drawing commands of another system; nothing here draws them.
    return found ? QVMediaErr_UnsupportedMediaType : QVMediaErr_FileNotFound;
  }
  if (isDPX && !lib.dpxDecoder) return OpenDPXOrCineon(ref, false);
  if (isCineon && !lib.cineonDecoder) return OpenDPXOrCineon(ref, true);
  if ((ExtensionIs(path, "wav") || ExtensionIs(path, "bwf")) && OpenWave(ref)) return QVMediaErr_NoErr;
  return OpenStill(ref);
}

}  // namespace

QVMediaErr QVMediaOpenFile(const QVFileRef* file, QVMediaFileRef** out, uint8_t openFlags) {
  if (!Started()) return QVMediaErr_InvalidMediaFileRef;
  if (!file || !out) return QVMediaErr_ParameterError;
  *out = nullptr;
  if (strnlen(file->path, sizeof file->path) >= sizeof file->path) return QVMediaErr_ParameterError;
  QVMediaFileRef* ref = NewRef();
  if (!ref) return QVMediaErr_InsufficientMemory;
  std::memcpy(ref->path, file->path, sizeof ref->path);
  const KindRow* kind = FindKind(PathExtension(ref->path));
  if (kind) std::snprintf(ref->kindText, sizeof ref->kindText, "%s", kind->kindText);
  ref->metadata = new (std::nothrow) QVMediaMetadataEntry[kQVMediaMetadataCount]();
  if (!ref->metadata) {
    Dispose(ref);
    return QVMediaErr_InsufficientMemory;
  }
  ref->metadataCount = kQVMediaMetadataCount;
  for (uint32_t i = 0; i < kQVMediaMetadataCount; ++i) ref->metadata[i].key = kQVMediaMetadataKeys[i];

  QVMediaErr err = OpenByKind(ref, openFlags);
  if (err == QVMediaErr_NoErr && !(ref->flags & kQVMediaOpened)) err = QVMediaErr_UnsupportedMediaType;
  if (err != QVMediaErr_NoErr) {
    Dispose(ref);
    return err;
  }
  const uint32_t stillKinds = kQVMediaStill | kQVMediaPictureFile | kQVMediaDPX | kQVMediaCineon;
  if ((ref->flags & stillKinds) && !(openFlags & kQVMediaOpenSingleImage)) SearchSequence(ref, openFlags);
  SetOpeningMetadata(ref);
  if (openFlags & kQVMediaOpenNotCacheable) {
    ref->flags |= kQVMediaNotCacheable;
  } else {
    ref->flags &= ~uint32_t(kQVMediaNotCacheable);
    QVFrameCacheFlush();
  }
  *out = ref;
  return QVMediaErr_NoErr;
}

QVMediaErr QVMediaOpenPath(const char* path, QVMediaFileRef** out, uint8_t openFlags) {
  if (!Started()) return QVMediaErr_InvalidMediaFileRef;
  if (!path || !out) return QVMediaErr_ParameterError;
  *out = nullptr;
  QVFileRef file;
  if (PLFileRefFromPath(path, &file) != kQVNoErr || PLPathIsFolder(file.path)) return QVMediaErr_FileNotFound;
  return QVMediaOpenFile(&file, out, openFlags);
}

QVMediaErr QVMediaCloseFile(QVMediaFileRef** ref) {
  if (!ref) return QVMediaErr_ParameterError;
  if (QVMediaErr err = CheckRef(*ref)) return err;
  // Waits without limit on the reference's own semaphore, which cannot fail.
  QVIgnoreStatus(QVSempahoreWait(&(*ref)->lock, kQVWaitForever));
  Dispose(*ref);
  *ref = nullptr;
  // Entries name references by address only; a new reference could reuse it.
  QVFrameCacheFlush();
  return QVMediaErr_NoErr;
}
