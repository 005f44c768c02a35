// Frame delivery: loading a reference's current frame by kind, converting it
// into a caller's frame buffer and drawing it into a caller's picture.
// Conversion at the buffer's own size goes straight from the decoded pixels;
// at another size the pixels go once through a planar float buffer at the
// decoded size, which is scaled plane by plane. The float buffers are kept
// per thread, so references fetched at once on different threads never share
// one.
#include <cstring>
#include <memory>
#include <new>

#include "core/frame_scale.h"
#include "core/pixel_transfer.h"
#include "core/task_pool.h"
#include "media/frame_cache.h"
#include "media/media_internal.h"
#include "media/movie_reader.h"
#include "media/movie_timing.h"
#include "platform/file_ref.h"
#include "platform/ui/ui_draw.h"

using namespace media;

namespace {

struct FrameDisposer {
  void operator()(FBFrameStruct* f) const { FBDisposeFrameBuffer(f); }
};
using FramePtr = std::unique_ptr<FBFrameStruct, FrameDisposer>;

// The float buffers of one thread: by source kind (movie, DPX and Cineon,
// still), and the scaled buffer used on the way to a non-float buffer.
struct FetchBuffers {
  FramePtr bySource[3];
  FramePtr scaled;
  FBScaleBuffer scale;
};
thread_local FetchBuffers tBuffers;

// A planar float buffer of the size, re-made when the size changed.
FBFrameStruct* FloatBuffer(FramePtr& slot, uint32_t width, uint32_t height) {
  if (slot && slot->width == width && slot->height == height) return slot.get();
  slot.reset();
  FBFrameStruct* f = nullptr;
  if (FBCreateRGBFrameBuffer(width, height, &f, kFBPixFormatPlanarFloat) != kQVNoErr) return nullptr;
  slot.reset(f);
  return f;
}

// The decoded pixels of the current frame.
struct Source {
  const uint8_t* pixels;
  uint32_t rowBytes, width, height, format;
  int kind;  // index into FetchBuffers::bySource
};

Source SourceOf(const QVMediaFileRef* ref) {
  if (ref->flags & kQVMediaMovie)
    return {ref->moviePixels, ref->movieRowBytes, ref->decodeWidth, ref->decodeHeight, kFBPixFormatBGRA, 0};
  if (ref->flags & (kQVMediaDPX | kQVMediaCineon))
    return {ref->pixels, ref->rowBytes, ref->nativeWidth, ref->nativeHeight, kFBPixFormat16ARGB, 1};
  return {ref->stillPixels, ref->rowBytes, ref->nativeWidth, ref->nativeHeight, kFBPixFormatBGRA, 2};
}

FBFrameStruct Band(const FBFrameStruct& frame, uint32_t first, uint32_t rows) {
  FBFrameStruct band = frame;
  band.baseAddr = frame.baseAddr + size_t(first) * frame.rowBytes;
  band.height = rows;
  return band;
}

// Pixels into a frame of the same size, in row bands over the task pool.
struct ToFrameWork {
  const Source* source;
  FBFrameStruct* frame;
};

void ToFramePart(void* context, uint32_t part, uint32_t parts) {
  const ToFrameWork& w = *static_cast<ToFrameWork*>(context);
  const VLMPPartItems rows = VLMPPartOf(int32_t(w.frame->height), part, parts);
  if (rows.end <= rows.first) return;
  FBFrameStruct band = Band(*w.frame, uint32_t(rows.first), uint32_t(rows.end - rows.first));
  FBTransferPixToFBFrameSSE(w.source->pixels + size_t(rows.first) * w.source->rowBytes, w.source->rowBytes, 0,
                            w.source->format, &band);
}

// A float frame into a non-float frame of the same size.
struct FromFloatWork {
  const FBFrameStruct* source;
  FBFrameStruct* frame;
};

void FromFloatPart(void* context, uint32_t part, uint32_t parts) {
  const FromFloatWork& w = *static_cast<FromFloatWork*>(context);
  const VLMPPartItems rows = VLMPPartOf(int32_t(w.frame->height), part, parts);
  if (rows.end <= rows.first) return;
  const QVRect rect{int16_t(rows.first), 0, int16_t(rows.end), int16_t(w.frame->width)};
  FBTransferFBFrameToPixSSE(w.source, &rect, w.frame->baseAddr + size_t(rows.first) * w.frame->rowBytes,
                            w.frame->rowBytes, w.frame->pixelFormat);
}

void PixelsToFrame(const Source& source, FBFrameStruct* frame) {
  ToFrameWork work{&source, frame};
  VLMPRunParts(ToFramePart, &work, gNumProcessors, &gVLMPMaster);
}

bool ScalePlanes(const FBFrameStruct* from, FBFrameStruct* to, FBScaleBuffer& temp) {
  for (uint32_t p = 0; p < 4; ++p)
    if (!FBScalePicture(kFBScalePlanarF, from->baseAddr + size_t(p) * from->planeBytes, from->height, from->width,
                        from->rowBytes, to->baseAddr + size_t(p) * to->planeBytes, to->height, to->width,
                        to->rowBytes, temp))
      return false;
  return true;
}

// Planar float at any size; 8-bit layouts within the 16-bit rectangles the
// transfers take.
bool SupportedTarget(const FBFrameStruct* frame) {
  if (frame->pixelFormat == kFBPixFormatPlanarFloat) return frame->planeCount == 4;
  return (frame->pixelFormat == kFBPixFormatBGRA || frame->pixelFormat == kFBPixFormat32ARGB) &&
         frame->width <= 0x7FFF && frame->height <= 0x7FFF && frame->rowBytes >= frame->width * 4;
}

// The decoded pixels into the caller's buffer at its size and format.
QVMediaErr Convert(const Source& source, FBFrameStruct* frame) {
  const bool sameSize = source.width == frame->width && source.height == frame->height;
  const bool planar = frame->pixelFormat == kFBPixFormatPlanarFloat;
  if (sameSize && planar) {
    PixelsToFrame(source, frame);
    return QVMediaErr_NoErr;
  }
  FetchBuffers& b = tBuffers;
  FBFrameStruct* full = FloatBuffer(b.bySource[source.kind], source.width, source.height);
  if (!full) return QVMediaErr_InsufficientMemory;
  PixelsToFrame(source, full);
  FBFrameStruct* scaled = frame;
  if (sameSize) {
    scaled = full;
  } else {
    if (!planar) {
      scaled = FloatBuffer(b.scaled, frame->width, frame->height);
      if (!scaled) return QVMediaErr_InsufficientMemory;
    }
    if (!ScalePlanes(full, scaled, b.scale)) return QVMediaErr_InsufficientMemory;
  }
  if (scaled != frame) {
    FromFloatWork work{scaled, frame};
    VLMPRunParts(FromFloatPart, &work, gNumProcessors, &gVLMPMaster);
  }
  return QVMediaErr_NoErr;
}

QVMediaErr LoadMovieFrame(QVMediaFileRef* ref, int64_t frame) {
  if (!ref->movie || !ref->moviePixels) return QVMediaErr_InvalidMediaFileRef;
  if (!QVMovieDecodeFrame(ref->movie, frame, ref->moviePixels, ref->movieRowBytes, ref->decodeWidth,
                          ref->decodeHeight))
    return QVMediaErr_MediaTooShort;
  if (ref->flags & kQVMediaHasTimecodeTrack) {
    QVMovieTimecodeState& state = ref->perFrame.movie;
    if (state.track < 0) state.track = QVMediaFindTimecodeHandler(ref->movie);
    if (state.track >= 0) {
      const QVMovieInfo* info = QVMovieGetInfo(ref->movie);
      state.flags = info->timecodeDrop ? 1 : 0;
      state.quanta = info->timecodeQuanta;
      state.counter = info->timecodeStart + frame;
    }
  }
  return QVMediaErr_NoErr;
}

QVMediaErr LoadSequenceFrame(QVMediaFileRef* ref, int64_t frame) {
  char path[1024];
  SequenceFramePath(ref->path, ref->digitPosition, ref->digitCount, ref->firstSequenceNumber + frame, path,
                    sizeof path);
  const uint32_t w = ref->nativeWidth, h = ref->nativeHeight;
  if (ref->flags & (kQVMediaDPX | kQVMediaCineon)) {
    // Every frame of a sequence must have the first frame's size: the
    // buffer was made for it.
    return ReadFilmFrameFile(path, (ref->flags & kQVMediaCineon) != 0, w, h, ref->pixels, ref->rowBytes,
                             &ref->perFrame.dpx);
  }
  if (!PLPathExists(path) || PLPathIsFolder(path)) return QVMediaErr_MediaTooShort;
  uint8_t* pixels = nullptr;
  uint32_t width = 0, height = 0, rowBytes = 0;
  if (QVMediaErr err = QVStillImport(path, &pixels, &width, &height, &rowBytes)) return err;
  if (width != w || height != h || rowBytes != ref->rowBytes) {
    delete[] pixels;
    return QVMediaErr_FileNotFound;
  }
  delete[] ref->stillPixels;
  ref->stillPixels = ref->pixels = pixels;
  return QVMediaErr_NoErr;
}

}  // namespace

QVMediaErr media::ReadFilmFrameFile(const char* path, bool cineon, uint32_t width, uint32_t height, uint8_t* pixels,
                                    uint32_t rowBytes, DPXHeaderInfo* info) {
  if (!PLPathExists(path) || PLPathIsFolder(path)) return QVMediaErr_MediaTooShort;
  if (cineon) {
    CineonHeaderInfo header;
    if (CineonReadHeaderInfo(path, &header) != kQVNoErr || header.width != width || header.height != height)
      return QVMediaErr_FileNotFound;
    if (CineonReadImage(path, pixels, rowBytes, width, height, 16, false) != kQVNoErr) return QVMediaErr_FileNotFound;
    return QVMediaErr_NoErr;
  }
  DPXHeaderInfo header;
  if (DPXReadHeaderInfo(path, &header) != kQVNoErr || header.width != width || header.height != height)
    return QVMediaErr_FileNotFound;
  if (DPXReadImage(path, pixels, rowBytes, width, height, 16, false) != kQVNoErr) return QVMediaErr_FileNotFound;
  if (info) *info = header;
  return QVMediaErr_NoErr;
}

namespace {

// The load itself, with the reference's lock held.
QVMediaErr LoadLocked(QVMediaFileRef* ref) {
  const int64_t frame = ref->currentFrame < 0 ? 0 : ref->currentFrame;
  if (ref->flags & kQVMediaMovie) return LoadMovieFrame(ref, frame);
  if (ref->flags & kQVMediaSequence) return LoadSequenceFrame(ref, frame);
  return QVMediaErr_NoErr;
}

QVMediaErr CheckVideoRef(const QVMediaFileRef* ref) {
  if (QVMediaErr err = CheckRef(ref)) return err;
  if (ref->flags & kQVMediaAudio) return QVMediaErr_InvalidMediaFileRef;
  return QVMediaErr_NoErr;
}

}  // namespace

QVMediaErr QVMediaLoadFrame(QVMediaFileRef* ref) {
  if (QVMediaErr err = CheckVideoRef(ref)) return err;
  RefLock lock(ref);
  if (!lock.held()) return QVMediaErr_TimedOutWaitingForMedia;
  return LoadLocked(ref);
}

QVMediaErr QVMediaFetchFrame(QVMediaFileRef* ref, FBFrameStruct* frame) {
  if (QVMediaErr err = CheckVideoRef(ref)) return err;
  if (!frame || !frame->baseAddr || frame->width == 0 || frame->height == 0) return QVMediaErr_ParameterError;
  if (!SupportedTarget(frame)) return QVMediaErr_ParameterError;
  if (QVFrameCacheFetch(ref, frame)) return QVMediaErr_NoErr;
  RefLock lock(ref);
  if (!lock.held()) return QVMediaErr_TimedOutWaitingForMedia;
  if (QVMediaErr err = LoadLocked(ref)) return err;
  const Source source = SourceOf(ref);
  if (!source.pixels) return QVMediaErr_InvalidMediaFileRef;
  if (QVMediaErr err = Convert(source, frame)) return err;
  return QVFrameCacheAddFrame(ref, frame);
}

QVMediaErr QVMediaDrawFrameToGWorld(QVMediaFileRef* ref, TKImage* picture) {
  if (QVMediaErr err = CheckVideoRef(ref)) return err;
  if (!picture) return QVMediaErr_ParameterError;
  RefLock lock(ref);
  if (!lock.held()) return QVMediaErr_TimedOutWaitingForMedia;
  if (QVMediaErr err = LoadLocked(ref)) return err;
  const Source source = SourceOf(ref);
  if (!source.pixels) return QVMediaErr_InvalidMediaFileRef;
  const int32_t w = TKImageWidth(picture), h = TKImageHeight(picture);
  if (w <= 0 || h <= 0) return QVMediaErr_ParameterError;
  // The frame goes through an 8-bit frame of the picture's size (format 32,
  // the picture's own byte order), which is then copied into the picture.
  std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[size_t(w) * 4 * h]);
  if (!pixels) return QVMediaErr_InsufficientMemory;
  FBFrameStruct target{};
  target.width = uint32_t(w);
  target.height = uint32_t(h);
  target.rowBytes = uint32_t(w) * 4;
  target.pixelFormat = kFBPixFormat32ARGB;
  target.baseAddr = pixels.get();
  target.planeCount = 1;
  target.planeBytes = target.rowBytes * target.height;
  target.flags = kFBFlagNotOwned;
  if (QVMediaErr err = Convert(source, &target)) return err;
  if (TKImageImport(picture, pixels.get(), int32_t(target.rowBytes), kTKPixelFormatBGRA) != kQVNoErr)
    return QVMediaErr_InvalidGWorld;
  return QVMediaErr_NoErr;
}
