// The frame loop every output generator shares, and the reading of one
// source frame into a planar float frame.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "core/engine_lock.h"
#include "core/pixel_transfer.h"
#include "core/task_pool.h"
#include "media/dpx_header.h"
#include "media/frame_cache.h"
#include "media/media_internal.h"
#include "media/movie_reader.h"
#include "media/output_internal.h"
#include "media/progress_protocol.h"
#include "media/job_list.h"

namespace media {

namespace {

constexpr uint32_t kMaxOutputSide = 16384;

const char* FileNameOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

void FillBlack(FBFrameStruct* f) {
  for (uint32_t p = 0; p < f->planeCount; ++p) {
    float* plane = reinterpret_cast<float*>(f->baseAddr + size_t(p) * f->planeBytes);
    std::fill(plane, plane + f->planeBytes / sizeof(float), 0.0f);
  }
}

// The colour planes of a planar frame scaled into planes of another size
// (the luma plane is not written out, so not scaled) over the task pool: all
// source rows across, then the output rows down. The rows go in chunks,
// each task taking the next chunk of any plane as soon as it is free, so a
// task kept waiting by other work on the machine holds up no more than one
// chunk.
constexpr uint32_t kScaleChunkRows = 16;

using ScalePass = void (*)(const FBScaleJob& job, uint32_t first, uint32_t end);

struct ScaleWork {
  FBScaleJob planes[3];
  ScalePass pass;                 // across or down
  uint32_t height;                // the rows the pass goes over, in every plane
  std::atomic<uint32_t> next{0};  // chunks handed out, plane by plane in turn
};

void ScaleChunks(void* context, uint32_t, uint32_t) {
  auto* work = static_cast<ScaleWork*>(context);
  const uint32_t chunks = (work->height + kScaleChunkRows - 1) / kScaleChunkRows * 3;
  for (uint32_t n = work->next++; n < chunks; n = work->next++) {
    const uint32_t first = n / 3 * kScaleChunkRows;
    work->pass(work->planes[n % 3], first, std::min(first + kScaleChunkRows, work->height));
  }
}

// Into width x height samples a plane from the first sample of each plane
// of `to` at `at` (plane k at at + k x planeBytes), rowBytes apart.
bool ScalePlanar(const FBFrameStruct* from, uint8_t* at, size_t planeBytes, uint32_t width, uint32_t height,
                 size_t rowBytes, FBScaleBuffer* temps) {
  std::scoped_lock holdTemps(temps[0].lock, temps[1].lock, temps[2].lock);
  ScaleWork work;
  for (uint32_t p = 0; p < 3; ++p)
    if (!FBScaleBegin(kFBScalePlanarF, from->baseAddr + size_t(p) * from->planeBytes, from->height, from->width,
                      from->rowBytes, at + size_t(p) * planeBytes, height, width, rowBytes, temps[p],
                      &work.planes[p]))
      return false;
  VL_EngineLockGuard hold;  // the pool serves one caller at a time
  work.pass = FBScaleAcross;
  work.height = from->height;
  VLMPRunParts(ScaleChunks, &work, gNumProcessors, &gVLMPMaster);
  work.pass = FBScaleDown;
  work.height = height;
  work.next = 0;
  VLMPRunParts(ScaleChunks, &work, gNumProcessors, &gVLMPMaster);
  return true;
}

bool ScaleFrame(const FBFrameStruct* from, FBFrameStruct* to, FBScaleBuffer* temps) {
  return ScalePlanar(from, to->baseAddr, to->planeBytes, to->width, to->height, to->rowBytes, temps);
}

// Copies the overlap of picture (placed at left, top, either may be
// negative) into the output frame.
void PlacePicture(const FBFrameStruct* picture, int64_t left, int64_t top, FBFrameStruct* out) {
  const int64_t x0 = std::max<int64_t>(0, left), y0 = std::max<int64_t>(0, top);
  const int64_t x1 = std::min<int64_t>(out->width, left + picture->width);
  const int64_t y1 = std::min<int64_t>(out->height, top + picture->height);
  if (x1 <= x0 || y1 <= y0) return;
  for (uint32_t p = 0; p < 4; ++p)
    for (int64_t y = y0; y < y1; ++y) {
      const float* src = reinterpret_cast<const float*>(picture->baseAddr + size_t(p) * picture->planeBytes +
                                                        size_t(y - top) * picture->rowBytes) +
                         (x0 - left);
      float* dst = reinterpret_cast<float*>(out->baseAddr + size_t(p) * out->planeBytes + size_t(y) * out->rowBytes) + x0;
      std::memcpy(dst, src, size_t(x1 - x0) * sizeof(float));
    }
}

}  // namespace

bool JobCancelRequested(const QVOutputJobParams* params, const int32_t* cancelWord) {
  if (cancelWord && __atomic_load_n(cancelWord, __ATOMIC_ACQUIRE) == kQVProgressUserCancelled) return true;
  const QVOutputJob* job = params ? params->job : nullptr;
  return job && (__atomic_load_n(&job->cancel, __ATOMIC_ACQUIRE) != 0 ||
                 __atomic_load_n(&job->cancelWord, __ATOMIC_ACQUIRE) == kQVProgressUserCancelled);
}

QVMediaErr ReadSourceFrame(QVMediaFileRef* source, int64_t frame, FBFrameStruct* out) {
  if (QVMediaErr err = QVMediaSetCurrentFrame(source, frame)) return err;
  return QVMediaFetchFrame(source, out);
}

namespace {

// Pixels into the planar frame in row bands over the task pool.
void TransferIn(const void* pixels, uint32_t rowBytes, FBPixFormat format, FBFrameStruct* out) {
  VL_EngineLockGuard hold;  // the pool serves one caller at a time
  FBTransferPixToFBFrame(pixels, rowBytes, 0, format, out, gNumProcessors, &gVLMPMaster);
}

bool ReadPixels(QVMediaFileRef* source, int64_t frame, uint32_t width, uint32_t height, SourcePixels* out) {
  char path[1024];
  bool cineon = false;
  {
    RefLock lock(source);
    if (!lock.held()) return false;
    if (source->flags & kQVMediaMovie) {
      // The movie's decoder is the reference's: it is used under its lock.
      if (width != source->decodeWidth || height != source->decodeHeight) return false;
      out->rowBytes = width * 4;
      out->format = kFBPixFormatBGRA;
      out->bytes.resize(size_t(out->rowBytes) * height);
      out->ok = QVMovieDecodeFrame(source->movie, frame, out->bytes.data(), out->rowBytes, width, height);
      return out->ok;
    }
    if ((source->flags & kQVMediaStill) && source->stillPixels) {
      if (width != source->nativeWidth || height != source->nativeHeight) return false;
      out->rowBytes = source->rowBytes;
      out->format = kFBPixFormatBGRA;
      out->bytes.assign(source->stillPixels, source->stillPixels + size_t(source->rowBytes) * height);
      out->ok = true;
      return true;
    }
    if (!(source->flags & (kQVMediaDPX | kQVMediaCineon))) return false;
    if (width != source->nativeWidth || height != source->nativeHeight) return false;
    if (source->flags & kQVMediaSequence)
      SequenceFramePath(source->path, source->digitPosition, source->digitCount, source->firstSequenceNumber + frame,
                        path, sizeof path);
    else
      std::snprintf(path, sizeof path, "%s", source->path);
    cineon = (source->flags & kQVMediaCineon) != 0;
  }
  // A file of its own: read without holding the reference, as frame
  // delivery reads it.
  out->rowBytes = width * 8;
  out->format = kFBPixFormat16ARGB;
  out->bytes.resize(size_t(out->rowBytes) * height);
  out->ok = ReadFilmFrameFile(path, cineon, width, height, out->bytes.data(), out->rowBytes, nullptr) ==
            QVMediaErr_NoErr;
  return out->ok;
}

}  // namespace

bool ReadSourcePixels(QVMediaFileRef* source, int64_t frame, uint32_t width, uint32_t height, SourcePixels* out) {
  out->ok = false;
  try {
    return ReadPixels(source, frame, width, height, out);
  } catch (const std::bad_alloc&) {
    return false;  // no memory for the pixels: the frame cannot be loaded
  }
}

void SourcePixelsToFrame(const SourcePixels& pixels, FBFrameStruct* out) {
  TransferIn(pixels.bytes.data(), pixels.rowBytes, pixels.format, out);
}

// Source frames read ahead on threads of their own, in order from frame 0,
// while the job corrects, scales and writes the frames before them. A
// reader also turns each frame's pixels into a planar float frame (on its
// own thread, so this pass over memory overlaps the job's work), which the
// job takes in exchange for the frame it is done with. A frame the reader
// could not read is fetched again through frame delivery, whose status says
// why it cannot be loaded. Frames in files of their own (DPX, Cineon) are
// read by two readers taking alternate frames, so that reading and
// unpacking one frame at a time does not hold the job up; a movie's frames
// come from its one decoder, in order, on one reader. Frame n goes into slot
// n % slots; its reader waits for the slot to be given back.
struct AheadSlot {
  SourcePixels pixels;
  FBFrameStruct* frame = nullptr;  // planar float at the decode size; null when none could be made
  bool planar = false;             // frame holds the pixels
  int64_t holds = -1;              // the frame read into the slot, under the reader's lock
};

class ReadAhead {
 public:
  ReadAhead(QVMediaFileRef* source, int64_t count, uint32_t width, uint32_t height, uint32_t readers)
      : source_(source), count_(count), width_(width), height_(height),
        readers_(std::clamp<uint32_t>(readers, 1, kMostReaders)), slotCount_(readers_ + 1) {
    // Without frames of their own the slots hand over the pixels only.
    for (uint32_t k = 0; k < slotCount_; ++k)
      if (FBCreateRGBFrameBuffer(width, height, &slots_[k].frame, kFBPixFormatPlanarFloat) != kQVNoErr)
        slots_[k].frame = nullptr;
    try {
      for (uint32_t k = 0; k < readers_; ++k) threads_[k] = std::thread([this, k] { Run(k); });
    } catch (...) {
      Stop();
      throw;
    }
  }
  ~ReadAhead() { Stop(); }
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Frame index once read (index must be the frame after the last one
  // taken); null when it is not among the frames read ahead. The slot is
  // the caller's until Give.
  AheadSlot* Take(int64_t index) {
    if (index != taken_ || index >= count_) return nullptr;
    AheadSlot& slot = slots_[index % slotCount_];
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return slot.holds == index; });
    return &slot;
  }
  // The slot from Take is no longer needed.
  void Give() {
    std::lock_guard<std::mutex> hold(lock_);
    ++taken_;
    changed_.notify_all();
  }

 private:
  static constexpr uint32_t kMostReaders = 2;

  // Reader k reads frames k, k + readers, k + 2 x readers and so on.
  void Run(uint32_t k) {
    for (int64_t n = k; n < count_; n += readers_) {
      {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [&] { return stop_ || n - taken_ < int64_t(slotCount_); });
        if (stop_) return;
      }
      AheadSlot& slot = slots_[n % slotCount_];
      ReadSourcePixels(source_, n, width_, height_, &slot.pixels);
      slot.planar = slot.pixels.ok && slot.frame;
      if (slot.planar)
        FBTransferPixToFBFrameSSE(slot.pixels.bytes.data(), slot.pixels.rowBytes, 0, slot.pixels.format, slot.frame);
      std::lock_guard<std::mutex> hold(lock_);
      slot.holds = n;
      changed_.notify_all();
    }
  }

  // Ends the readers and frees the slots' frames.
  void Stop() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      stop_ = true;
      changed_.notify_all();
    }
    for (std::thread& t : threads_)
      if (t.joinable()) t.join();
    for (AheadSlot& slot : slots_) {
      if (slot.frame) FBDisposeFrameBuffer(slot.frame);
      slot.frame = nullptr;
    }
  }

  QVMediaFileRef* source_;
  int64_t count_;
  uint32_t width_, height_;
  uint32_t readers_, slotCount_;
  AheadSlot slots_[kMostReaders + 1];
  std::thread threads_[kMostReaders];
  int64_t taken_ = 0;  // frames given back, under lock_ (read freely by the job's thread, its only writer)
  bool stop_ = false;
  std::mutex lock_;
  std::condition_variable changed_;
};

uint32_t OutputBegin(OutputRender* r, QVOutputJobParams* params, const char* title, const char* message) {
  r->params = params;
  if (params->job) r->cancelWord = &params->job->cancelWord;
  const QVFileRef* file = params->source.ref;
  if (!file) return QVMediaErr_ParameterError;
  if (QVMediaOpenFile(file, &r->source, kQVMediaOpenNotCacheable) != QVMediaErr_NoErr) {
    r->source = nullptr;
    return QVMediaErr_FileNotFound;
  }
  r->sourceName = FileNameOf(file->path);
  QVMediaGetFrameCount(r->source, &r->frameCount);
  QVMediaGetCurrentFrame(r->source, &r->savedFrame);
  uint32_t nativeWidth = 0, nativeHeight = 0;
  QVMediaGetImageSize(r->source, &nativeWidth, &nativeHeight);
  r->outputWidth = params->outputWidth && params->outputHeight ? params->outputWidth : nativeWidth;
  r->outputHeight = params->outputWidth && params->outputHeight ? params->outputHeight : nativeHeight;
  if (r->outputWidth == 0 || r->outputHeight == 0 || r->outputWidth > kMaxOutputSide ||
      r->outputHeight > kMaxOutputSide || nativeWidth == 0 || nativeHeight == 0) {
    OutputEnd(r);
    return QVMediaErr_ParameterError;
  }
  uint32_t dw = nativeWidth, dh = nativeHeight;
  QVMediaChooseDecodeSize(r->source, r->outputWidth, &dw, &dh, 1);
  QVMediaSetDecodeSize(r->source, dw, dh);
  {
    RefLock lock(r->source);
    r->decodeWidth = r->source->decodeWidth;
    r->decodeHeight = r->source->decodeHeight;
  }
  // Frames this wide would crowd the cache out; what it holds is let go.
  if (r->decodeWidth > 2048) QVFrameCacheFlush();
  // Fill or fit, proportions kept.
  const double sx = double(r->outputWidth) / r->decodeWidth, sy = double(r->outputHeight) / r->decodeHeight;
  const double s = (params->flags & kQVOutputFillFrame) ? std::max(sx, sy) : std::min(sx, sy);
  r->pictureWidth = std::clamp<uint32_t>(uint32_t(std::lround(r->decodeWidth * s)), 1, kMaxOutputSide * 2);
  r->pictureHeight = std::clamp<uint32_t>(uint32_t(std::lround(r->decodeHeight * s)), 1, kMaxOutputSide * 2);
  if (std::abs(int64_t(r->pictureWidth) - int64_t(r->outputWidth)) <= 1 &&
      std::abs(int64_t(r->pictureHeight) - int64_t(r->outputHeight)) <= 1) {
    r->pictureWidth = r->outputWidth;
    r->pictureHeight = r->outputHeight;
  }
  r->pictureLeft = uint32_t((int64_t(r->outputWidth) - r->pictureWidth) / 2);
  r->pictureTop = uint32_t((int64_t(r->outputHeight) - r->pictureHeight) / 2);

  bool made = FBCreateRGBFrameBuffer(r->decodeWidth, r->decodeHeight, &r->decode, kFBPixFormatPlanarFloat) == kQVNoErr;
  // A decoded frame already of the output's size is the output itself: it
  // is corrected in place and goes out with no copy.
  const bool same = r->decodeWidth == r->outputWidth && r->decodeHeight == r->outputHeight &&
                    r->pictureWidth == r->outputWidth && r->pictureHeight == r->outputHeight;
  if (made && same) r->output = r->decode;
  if (made && !same)
    made = FBCreateRGBFrameBuffer(r->outputWidth, r->outputHeight, &r->output, kFBPixFormatPlanarFloat) == kQVNoErr;
  // Only a picture wider or taller than the output (filling it) needs a
  // frame of its own, to be cut to the output.
  const bool cropped = r->pictureWidth > r->outputWidth || r->pictureHeight > r->outputHeight;
  if (made && cropped)
    made = FBCreateRGBFrameBuffer(r->pictureWidth, r->pictureHeight, &r->picture, kFBPixFormatPlanarFloat) == kQVNoErr;
  if (!made) {
    OutputEnd(r);
    return QVMediaErr_InsufficientMemory;
  }
  // A picture inside the output is scaled straight into its place every
  // frame; the border around it, black from here on, is never written.
  if (!r->picture && !same) FillBlack(r->output);
  if (!params->frameProvider && r->frameCount > 0) {
    try {
      bool film = false;
      {
        RefLock lock(r->source);
        film = lock.held() && (r->source->flags & (kQVMediaDPX | kQVMediaCineon)) != 0;
      }
      r->readAhead = new ReadAhead(r->source, r->frameCount, r->decodeWidth, r->decodeHeight, film ? 2 : 1);
    } catch (const std::system_error&) {
      r->readAhead = nullptr;  // no thread to be had: each frame is read when it is needed
    } catch (const std::bad_alloc&) {
      r->readAhead = nullptr;
    }
  }
  if (params->flags & kQVOutputShowProgress) {
    char text[kQVProgressTextBytes + 1];
    std::snprintf(text, sizeof text, message, r->sourceName.c_str());
    const uint32_t style = (params->flags & kQVOutputBackground) ? kQVProgressMovableModal : 0;
    const int32_t id = QVProgressCreate(title, text, 0, uint32_t(std::max<int64_t>(r->frameCount, 0)), true, 100,
                                        style, r->cancelWord, nullptr);
    r->progressId = id > 0 ? id : 0;
  }
  return QVMediaErr_NoErr;
}

bool OutputCancelled(const OutputRender* r) { return JobCancelRequested(r->params, r->cancelWord); }

uint32_t OutputNextFrame(OutputRender* r, int64_t index, bool* more) {
  *more = false;
  if (OutputCancelled(r)) return QVMediaErr_UserCanceledErr;
  QVOutputJobParams* p = r->params;
  if (p->frameProvider) {
    *more = p->frameProvider(r->output, index, r->source, p->refcon);
    return QVMediaErr_NoErr;
  }
  if (index >= r->frameCount) return QVMediaErr_NoErr;
  QVMediaErr err = QVMediaErr_NoErr;
  AheadSlot* ahead = r->readAhead ? r->readAhead->Take(index) : nullptr;
  if (ahead && ahead->pixels.ok) {
    QVMediaSetCurrentFrame(r->source, index);
    if (ahead->planar) {
      // The reader's frame becomes the decode frame; the one done with goes
      // back to be read into.
      const bool outputIsDecode = r->output == r->decode;
      std::swap(ahead->frame, r->decode);
      if (outputIsDecode) r->output = r->decode;
    } else {
      SourcePixelsToFrame(ahead->pixels, r->decode);
    }
  } else {
    err = ReadSourceFrame(r->source, index, r->decode);
  }
  if (ahead) r->readAhead->Give();
  if (err) {
    QVMediaShowRenderError(p, "Error during render: Unable to load media frame", err);
    FillBlack(r->decode);
  }
  if (p->frameFilter && !p->frameFilter(r->decode, index, r->source, p->refcon)) return QVMediaErr_NoErr;
  if (p->frameProcessor && !p->frameProcessor(r->decode, index, r->source, p->refcon)) return QVMediaErr_NoErr;
  FBFrameStruct* out = r->output;
  if (r->picture) {
    if (!ScaleFrame(r->decode, r->picture, r->scaleBuffers)) return QVMediaErr_InsufficientMemory;
    FillBlack(out);
    PlacePicture(r->picture, (int64_t(r->outputWidth) - r->pictureWidth) / 2,
                 (int64_t(r->outputHeight) - r->pictureHeight) / 2, out);
  } else if (out == r->decode) {
    // Corrected in place: nothing to move.
  } else if (r->decode->width == r->pictureWidth && r->decode->height == r->pictureHeight) {
    // Unscaled, inside a black border.
    PlacePicture(r->decode, r->pictureLeft, r->pictureTop, out);
  } else {
    uint8_t* at = out->baseAddr + size_t(r->pictureTop) * out->rowBytes + size_t(r->pictureLeft) * sizeof(float);
    if (!ScalePlanar(r->decode, at, out->planeBytes, r->pictureWidth, r->pictureHeight, out->rowBytes,
                     r->scaleBuffers))
      return QVMediaErr_InsufficientMemory;
  }
  *more = true;
  return QVMediaErr_NoErr;
}

FBFrameStruct* OutputNewSpareFrame(const OutputRender* r) {
  if (!r->output || r->output == r->decode) return nullptr;
  FBFrameStruct* f = nullptr;
  if (FBCreateRGBFrameBuffer(r->outputWidth, r->outputHeight, &f, kFBPixFormatPlanarFloat) != kQVNoErr) return nullptr;
  if (!r->picture) FillBlack(f);  // a picture wider or taller than the output is placed on black every frame
  return f;
}

void OutputFrameDone(OutputRender* r, int64_t index) {
  // Progress is shown as far as memory allows; the render goes on either way.
  if (r->progressId)
    QVIgnoreStatus(QVProgressSetValue(uint32_t(r->progressId), int32_t(std::min<int64_t>(index + 1, INT32_MAX))));
  if (QVOutputJob* job = r->params->job) {
    job->progress = r->frameCount > 0 ? float(double(index + 1) / double(r->frameCount)) : 0.0f;
    QVJobListMarkDirty();
  }
}

void OutputEnd(OutputRender* r) {
  delete r->readAhead;  // stops the reader before the source goes
  r->readAhead = nullptr;
  // Only memory could refuse the close; the render is over either way.
  if (r->progressId) QVIgnoreStatus(QVProgressClose(uint32_t(r->progressId)));
  r->progressId = 0;
  if (r->source) {
    QVMediaSetCurrentFrame(r->source, r->savedFrame);
    QVMediaCloseFile(&r->source);
  }
  if (r->output == r->decode) r->output = nullptr;  // one frame under two names
  for (FBFrameStruct** f : {&r->output, &r->decode, &r->picture}) {
    if (*f) FBDisposeFrameBuffer(*f);
    *f = nullptr;
  }
  for (FBScaleBuffer& b : r->scaleBuffers) {
    std::free(b.data);
    b.data = nullptr;
    b.size = 0;
  }
}

namespace {

inline float Unit(float v) { return v >= 0.0f ? (v <= 1.0f ? v : 1.0f) : 0.0f; }  // NaN goes to 0

struct ConvertWork {
  const FBFrameStruct* frame;
  void* rows;
  size_t rowBytes;
  bool wide, alpha;
};

void ConvertRows(void* context, uint32_t part, uint32_t parts) {
  const auto* w = static_cast<const ConvertWork*>(context);
  const FBFrameStruct* f = w->frame;
  const uint32_t first = uint32_t(uint64_t(f->height) * part / parts), last = uint32_t(uint64_t(f->height) * (part + 1) / parts);
  const uint32_t n = w->wide ? (w->alpha ? 4 : 3) : 3;
  for (uint32_t y = first; y < last; ++y) {
    uint8_t* row = static_cast<uint8_t*>(w->rows) + y * w->rowBytes;
    for (uint32_t c = 0; c < 3; ++c) {
      const float* in = reinterpret_cast<const float*>(f->baseAddr + size_t(c) * f->planeBytes + size_t(y) * f->rowBytes);
      if (w->wide) {
        uint16_t* out = reinterpret_cast<uint16_t*>(row);
        for (uint32_t x = 0; x < f->width; ++x) out[x * n + c] = uint16_t(Unit(in[x]) * 65535.0f + 0.5f);
      } else {
        for (uint32_t x = 0; x < f->width; ++x) row[x * 3 + c] = uint8_t(Unit(in[x]) * 255.0f + 0.5f);
      }
    }
    if (w->wide && w->alpha) {
      uint16_t* out = reinterpret_cast<uint16_t*>(row);
      for (uint32_t x = 0; x < f->width; ++x) out[x * 4 + 3] = 65535;
    }
  }
}

void Convert(const ConvertWork& work) {
  VL_EngineLockGuard hold;
  VLMPRunParts(ConvertRows, const_cast<ConvertWork*>(&work), 8, &gVLMPMaster);
}

}  // namespace

void PlanarToRGB8(const FBFrameStruct* f, uint8_t* rows, size_t rowBytes) {
  Convert(ConvertWork{f, rows, rowBytes, false, false});
}

void PlanarToRGB16(const FBFrameStruct* f, uint16_t* rows, size_t rowBytes, bool alpha) {
  Convert(ConvertWork{f, rows, rowBytes, true, alpha});
}

}  // namespace media
