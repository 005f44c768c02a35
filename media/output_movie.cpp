// The movie generator and the device export. A movie job encodes every
// output frame with the codec its settings name into a movie beside the
// output file, with a timecode track starting at the source's first
// timecode and the source's audio trimmed to the picture. The device job
// renders a movie first (MJPEG, at high quality, under a temporary name in
// the output folder) and then transcodes it to H.264 in an MP4 file; the
// temporary movie is removed whatever the outcome.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/task_pool.h"
#include "media/media_events.h"
#include "media/media_internal.h"
#include "media/movie_reader.h"
#include "media/movie_timing.h"
#include "media/movie_writer.h"
#include "media/output_internal.h"
#include "media/progress_protocol.h"
#include "media/timecode_text.h"
#include "platform/main_thread.h"

namespace {

// The output's frame rate as a fraction: the settings' whole rate (or the
// source's), over 1001 with the drop-rate flag.
void OutputRate(const QVOutputWriteSettings& w, QVMediaFileRef* source, int32_t* numerator, int32_t* denominator) {
  uint32_t rate = w.frameRate;
  uint8_t drop = w.dropRate;
  if (rate == 0) {
    uint8_t sourceDrop = 0;
    QVMediaGetFrameRate(source, &rate, &sourceDrop);
    drop = sourceDrop;
  }
  if (rate == 0 || rate > 1000) rate = 24;
  *numerator = drop ? int32_t(rate) * 1000 : int32_t(rate);
  *denominator = drop ? 1001 : 1;
}

// The source's first timecode as a frame counter with its rate and counting.
void SourceTimecode(QVMediaFileRef* source, QVMovieWriterSettings* s) {
  s->timecode = true;
  s->timecodeDrop = false;
  {
    media::RefLock lock(source);
    if (lock.held() && (source->flags & kQVMediaMovie) && (source->flags & kQVMediaHasTimecodeTrack)) {
      const QVMovieInfo* info = QVMovieGetInfo(source->movie);
      s->timecodeStart = info->timecodeStart;
      s->timecodeRate = int32_t(info->timecodeQuanta * 100);
      s->timecodeDrop = info->timecodeDrop;
      return;
    }
  }
  uint32_t rate = 0;
  uint8_t drop = 0;
  QVMediaGetFrameRate(source, &rate, &drop);
  if (rate == 0) rate = 24;
  int64_t saved = 0;
  QVMediaGetCurrentFrame(source, &saved);
  QVMediaSetCurrentFrame(source, 0);
  char text[64] = {};
  QVMediaGetTimecodeText(source, text, sizeof text, kTimecodeModeTimecode);
  QVMediaSetCurrentFrame(source, saved);
  long h = 0, m = 0, sec = 0, f = 0;
  if (std::sscanf(text, "%2ld:%2ld:%2ld:%2ld", &h, &m, &sec, &f) != 4) h = m = sec = f = 0;
  s->timecodeStart = ((h * 60 + m) * 60 + sec) * int64_t(rate) + f;
  s->timecodeRate = int32_t(rate * 100);
}

bool FolderExists(const char* path) {
  struct stat st;
  return path && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

struct SaveRequest {
  QVOutputJobParams* params;
  QVMediaExportState* state;
  int32_t status;
};

// The output file's path: from the save dialog on the main thread, or the record.
uint32_t MovieDestination(QVOutputJobParams* params, QVMediaExportState* state, std::string* path) {
  if (params->flags & kQVOutputAskLocation) {
    SaveRequest request{params, state, 0};
    PLCallOnMainThread(
        [](void* p) -> void* {
          auto* r = static_cast<SaveRequest*>(p);
          r->status = QVMediaRequestSaveFile(r->params, r->state);
          return nullptr;
        },
        &request);
    if (request.status != 0) return QVMediaErr_UserCanceledErr;
  }
  const QVFileRef* folder = params->outputFolder.ref;
  if (!folder) return QVMediaErr_ParameterError;
  if (!params->outputName[0] || !std::memchr(params->outputName, 0, sizeof params->outputName) ||
      std::strchr(params->outputName, '/'))
    return QVMediaErr_ParameterError;
  if (!FolderExists(folder->path)) return QVMediaErr_FileNotFound;
  *path = std::string(folder->path) + "/" + params->outputName;
  return QVMediaErr_NoErr;
}

// Encoding on its own thread. With a spare frame like the job's output, the
// job hands each rendered frame over and renders the next into the other
// one, while this thread converts the frame to the encoder's layout (on
// itself alone, as the job keeps the task pool busy) and compresses it.
// Without one (the output is the decode frame, which goes back to the
// reader) the job converts each frame over the task pool into a picture and
// hands that over. Two pictures go round between them.
class EncodeStage {
 public:
  EncodeStage(QVMovieWriter* writer, FBFrameStruct* spare)
      : writer_(writer), takesFrames_(spare != nullptr), free_(spare) {
    for (QVMovieWriterPicture*& p : pictures_)
      if (!result_) result_ = QVMovieWriterNewPicture(writer, &p);
    if (!result_) thread_ = std::thread([this] { Run(); });
  }
  ~EncodeStage() {
    Finish();
    for (QVMovieWriterPicture* p : pictures_) QVMovieWriterFreePicture(p);
    for (FBFrameStruct* f : {free_, waiting_})
      if (f) FBDisposeFrameBuffer(f);
  }
  EncodeStage(const EncodeStage&) = delete;
  EncodeStage& operator=(const EncodeStage&) = delete;

  // Whether frames are handed over (Hand) rather than pictures (Acquire, Release).
  bool TakesFrames() const { return takesFrames_; }
  // Takes the rendered frame to convert and encode; the frame to render the
  // next one into. Null once the encoder has failed (rendered stays the
  // caller's).
  FBFrameStruct* Hand(FBFrameStruct* rendered) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return free_ || result_; });
    if (result_) return nullptr;
    FBFrameStruct* next = free_;
    free_ = nullptr;
    waiting_ = rendered;
    changed_.notify_all();
    return next;
  }
  // The next free picture to fill; null once the encoder has failed.
  QVMovieWriterPicture* Acquire() {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return !full_[next_] || result_; });
    return result_ ? nullptr : pictures_[next_];
  }
  // The picture from Acquire is ready to encode.
  void Release() {
    std::lock_guard<std::mutex> hold(lock_);
    full_[next_] = true;
    next_ ^= 1;
    changed_.notify_all();
  }
  // Waits for the frames and pictures handed over; the encoder's result.
  uint32_t Finish() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      done_ = true;
      changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    return result_;
  }

 private:
  void Run() {
    int k = 0;
    for (;;) {
      FBFrameStruct* frame = nullptr;
      {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [&] { return full_[k] || waiting_ || done_; });
        if (!full_[k] && !waiting_) return;  // done, and nothing left
        frame = waiting_;
      }
      uint32_t err = 0;
      if (frame) {
        err = QVMovieWriterFillPictureFromPlanesOnCaller(writer_, pictures_[k], frame);
        std::lock_guard<std::mutex> hold(lock_);
        waiting_ = nullptr;
        free_ = frame;
        changed_.notify_all();
      }
      if (!err) err = QVMovieWriterAddPicture(writer_, pictures_[k]);
      std::lock_guard<std::mutex> hold(lock_);
      full_[k] = false;
      if (err) result_ = err;
      changed_.notify_all();
      if (err) return;
      k ^= 1;
    }
  }

  QVMovieWriter* writer_;
  const bool takesFrames_;
  QVMovieWriterPicture* pictures_[2] = {nullptr, nullptr};
  bool full_[2] = {false, false};
  int next_ = 0;
  // The frame the job may render into next, and the one handed over to
  // convert; the spare frame is always one of them.
  FBFrameStruct* free_ = nullptr;
  FBFrameStruct* waiting_ = nullptr;
  bool done_ = false;
  uint32_t result_ = 0;
  std::mutex lock_;
  std::condition_variable changed_;
  std::thread thread_;
};

// Renders the job's frames into the movie at path.
uint32_t RenderMovie(QVOutputJobParams* params, const std::string& path, const QVOutputWriteSettings& w, bool mp4) {
  media::OutputRender r;
  char message[64];
  std::snprintf(message, sizeof message, "%s", w.multiPass ? "Compressing %s (pass 1)..." : "Compressing %s...");
  if (uint32_t err = media::OutputBegin(&r, params, "Generating QuickTime Output", message)) return err;
  QVMovieWriterSettings s{};
  s.width = r.outputWidth;
  s.height = r.outputHeight;
  OutputRate(w, r.source, &s.rateNumerator, &s.rateDenominator);
  s.codec = w.codec ? w.codec : kQVCodecJPEG;
  s.quality = w.spatialQuality;
  s.averageBitRate = int64_t(w.averageDataRate) * 8;
  s.keyFrameInterval = int32_t(std::min<uint32_t>(w.keyFrameInterval, 10000));
  s.mp4 = mp4;
  // The encoder gets as many threads as the task pool has processors.
  s.threads = int32_t(std::max<uint32_t>(gNumProcessors, 1));
  SourceTimecode(r.source, &s);
  std::string audio;
  if (QVMediaHasAudio(r.source)) {
    media::RefLock lock(r.source);
    if (lock.held()) audio = r.source->path;
  }
  s.audioPath = audio.empty() ? nullptr : audio.c_str();
  QVMovieWriter* writer = nullptr;
  uint32_t result = QVMovieWriterOpen(path.c_str(), &s, &writer);
  if (!result) {
    EncodeStage stage(writer, media::OutputNewSpareFrame(&r));
    for (int64_t index = 0;; ++index) {
      bool more = false;
      result = media::OutputNextFrame(&r, index, &more);
      if (result || !more) break;
      if (stage.TakesFrames()) {
        FBFrameStruct* next = stage.Hand(r.output);
        if (!next) break;  // the encoder failed
        r.output = next;
      } else {
        QVMovieWriterPicture* picture = stage.Acquire();
        if (!picture) break;  // the encoder failed
        result = QVMovieWriterFillPictureFromPlanes(writer, picture, r.output);
        if (result) break;
        stage.Release();
      }
      media::OutputFrameDone(&r, index);
    }
    const uint32_t encoded = stage.Finish();
    if (!result) result = encoded;
    if (!result && media::OutputCancelled(&r)) result = QVMediaErr_UserCanceledErr;
    if (!result && QVMovieWriterFrameCount(writer) == 0) result = QVMediaErr_MediaTooShort;
    if (result) {
      QVMovieWriterAbandon(writer);
    } else {
      if (QVOutputJob* job = params->job) __atomic_store_n(&job->status, kQVJobFinalizing, __ATOMIC_RELEASE);
      result = QVMovieWriterFinish(writer);
    }
  }
  media::OutputEnd(&r);
  return result;
}

std::atomic<uint32_t> gTemporaryCounter{0};

}  // namespace

uint32_t QVMediaExportMovieFile(QVOutputJobParams* params, const char* temporary, const char* destination);

uint32_t QVMediaGenerateQuickTime(QVOutputJobParams* params) {
  if (!params || params->size != kQVOutputJobParamsSize) return QVMediaErr_ParameterError;
  QVMediaExportState state{};
  std::string path;
  if (uint32_t err = MovieDestination(params, &state, &path)) return err;
  if (params->outputFormat != kQVOutputDevice) return RenderMovie(params, path, params->writeSettings, false);

  // The device: a high-quality movie under a temporary name, then the export.
  QVOutputWriteSettings w = params->writeSettings;
  w.codec = kQVCodecJPEG;
  w.spatialQuality = w.temporalQuality = 0x398;
  w.depth = 24;
  w.scale = 1.0f;
  char temporary[1400];
  std::snprintf(temporary, sizeof temporary, "%s/ZrnGenerateTemp%lu.mov", params->outputFolder.ref->path,
                static_cast<unsigned long>(getpid()) * 1000 + gTemporaryCounter.fetch_add(1));
  uint32_t result = RenderMovie(params, temporary, w, false);
  if (result == QVMediaErr_NoErr) result = QVMediaExportMovieFile(params, temporary, path.c_str());
  std::remove(temporary);
  return result;
}

uint32_t QVMediaExportMovieFile(QVOutputJobParams* params, const char* temporary, const char* destination) {
  if (media::JobCancelRequested(params, nullptr)) return QVMediaErr_UserCanceledErr;
  if (QVOutputJob* job = params->job) __atomic_store_n(&job->status, kQVJobFinalizing, __ATOMIC_RELEASE);
  QVMovie* movie = nullptr;
  if (QVMovieOpen(temporary, &movie) != kQVMovieOpened) return QVMediaErr_FileNotFound;
  const QVMovieInfo* info = QVMovieGetInfo(movie);
  QVMovieWriterSettings s{};
  s.width = info->boxWidth & ~1u;
  s.height = info->boxHeight & ~1u;
  s.rateNumerator = int32_t(info->mediaTimeScale > 0 ? info->mediaTimeScale : 24);
  s.rateDenominator = int32_t(info->firstSampleDuration > 0 ? info->firstSampleDuration : 1);
  s.codec = kQVCodecH264;
  s.quality = 0x398;
  s.mp4 = true;
  s.audioPath = info->soundTrackCount > 0 ? temporary : nullptr;
  const int64_t frames = info->sampleCount;
  int32_t cancelWord = 0;
  int32_t progress = 0;
  if (params->flags & kQVOutputShowProgress) {
    const int32_t id = QVProgressCreate("Exporting Media File", "", 0, 200, false, 100, 0, &cancelWord, nullptr);
    progress = id > 0 ? id : 0;
  }
  QVMovieWriter* writer = nullptr;
  uint32_t result = QVMovieWriterOpen(destination, &s, &writer);
  if (result == QVMediaErr_CodecNotFound) result = QVMediaErr_ExporterNotFound;
  else if (result) result = QVMediaErr_ExportFailed;
  std::vector<uint8_t> pixels(size_t(s.width) * s.height * 4);
  for (int64_t f = 0; !result && f < frames; ++f) {
    if (media::JobCancelRequested(params, &cancelWord)) {
      result = QVMediaErr_UserCanceledErr;
      break;
    }
    if (!QVMovieDecodeFrame(movie, f, pixels.data(), s.width * 4, s.width, s.height)) {
      result = QVMediaErr_ExportFailed;
      break;
    }
    // Our decoded pixels are 'BGRA' values: A, R, G, B in memory here; the
    // writer takes B, G, R, A bytes.
    for (size_t i = 0; i < pixels.size(); i += 4) {
      std::swap(pixels[i], pixels[i + 3]);
      std::swap(pixels[i + 1], pixels[i + 2]);
    }
    if (QVMovieWriterAddFrame(writer, pixels.data(), s.width * 4, kQVMovieWriterBGRA8)) result = QVMediaErr_ExportFailed;
    // Progress is shown as far as memory allows; the export goes on either way.
    if (progress)
      QVIgnoreStatus(QVProgressSetValue(uint32_t(progress), int32_t((f + 1) * 200 / std::max<int64_t>(frames, 1))));
  }
  QVMovieClose(movie);
  if (writer) {
    if (result) QVMovieWriterAbandon(writer);
    else if (QVMovieWriterFinish(writer)) result = QVMediaErr_ExportFailed;
  }
  if (progress) QVIgnoreStatus(QVProgressClose(uint32_t(progress)));  // only memory could refuse the close
  if (!result && cancelWord == kQVProgressUserCancelled) result = QVMediaErr_UserCanceledErr;
  return result;
}
