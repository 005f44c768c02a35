// Starting output jobs: the record's checks, background tasks with their
// job-list entries and the gate on how many run at once, sequence naming,
// and the DPX, JPEG and TIFF sequence generators.

#include "media/output_job.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "media/dpx_frame_writer.h"
#include "media/job_list.h"
#include "media/media_errors.h"
#include "media/media_events.h"
#include "media/output_internal.h"
#include "platform/main_thread.h"
#include "platform/mp_task.h"
#include "platform/sync.h"
#include "settings/file_panels.h"
#include "support/alerts.h"

namespace media {
// Tests make the next task creation fail.
std::atomic<bool> gFailNextJobTask{false};
}  // namespace media

namespace {

// Codec libraries need more than the 64 KB a task could otherwise have.
constexpr size_t kJobTaskStack = 4u << 20;

struct Counters {
  std::mutex lock;
  uint32_t outstanding = 0;
  uint32_t running = 0;
  uint32_t maximum = 1;
  struct Finished {
    MPQueue* queue;
    MPTask* task;
  };
  std::vector<Finished> tasks;  // started tasks, joined once they have ended
};

Counters& Jobs() {
  static Counters* counters = new Counters;
  return *counters;
}

// Joins the tasks that have ended and frees their queues.
void ReapEndedTasks() {
  Counters& c = Jobs();
  std::vector<Counters::Finished> ended;
  {
    std::lock_guard<std::mutex> hold(c.lock);
    for (size_t i = 0; i < c.tasks.size();) {
      intptr_t word = 0;
      if (MPWaitOnQueue(c.tasks[i].queue, &word, nullptr, nullptr, 0) == kQVNoErr) {
        ended.push_back(c.tasks[i]);
        c.tasks.erase(c.tasks.begin() + std::ptrdiff_t(i));
      } else {
        ++i;
      }
    }
  }
  for (const Counters::Finished& f : ended) {
    MPTerminateTask(f.task);
    MPDeleteQueue(f.queue);
  }
}

using Generator = uint32_t (*)(QVOutputJobParams*);

uint32_t GenerateJPEG(QVOutputJobParams* p) { return QVMediaGenerateImageSequence(p, QVFourCC("JPEG")); }
uint32_t GenerateTIFF(QVOutputJobParams* p) { return QVMediaGenerateImageSequence(p, QVFourCC("TIFF")); }

// The generators and task entries by output format.
struct FormatRow {
  uint32_t format;
  Generator generator;
  MPTaskProc task;
};
const FormatRow kFormats[] = {
    {kQVOutputMovie, QVMediaGenerateQuickTime, QVMediaQuickTimeTask},
    {kQVOutputDevice, QVMediaGenerateQuickTime, QVMediaQuickTimeTask},
    {kQVOutputDPXSequence, QVMediaGenerateDPXSequence, QVMediaDPXSequenceTask},
    {kQVOutputJPEGSequence, GenerateJPEG, QVMediaJPEGSequenceTask},
    {kQVOutputTIFFSequence, GenerateTIFF, QVMediaTIFFSequenceTask},
};

const FormatRow* FindFormat(uint32_t format) {
  for (const FormatRow& row : kFormats)
    if (row.format == format) return &row;
  return nullptr;
}

void Complete(QVOutputJobParams* params, uint32_t result) {
  if (params && params->completion) params->completion(params, result);
}

// The body of every task: list entry, the running gate, the generator, the
// completion posted to the main thread.
int32_t RunJobTask(QVOutputJobParams* params, Generator generator) {
  QVOutputJob job{};
  job.kind = kQVJobKindGenerateOutput;
  job.outputFormat = params->outputFormat;
  job.status = kQVJobPending;
  std::snprintf(job.name, sizeof job.name, "%.*s", int(sizeof params->outputName), params->outputName);
  job.params = *params;
  uint32_t id = 0;
  // A job the list cannot hold (no memory for its row) still runs; it is only not shown.
  QVIgnoreStatus(QVJobListAdd(&job, &id));
  // The record's fields are packed: a plain store, then a fence for readers.
  params->job = &job;
  std::atomic_thread_fence(std::memory_order_release);

  Counters& c = Jobs();
  bool slot = false;
  while (!slot) {
    if (__atomic_load_n(&job.cancel, __ATOMIC_ACQUIRE)) break;
    {
      std::lock_guard<std::mutex> hold(c.lock);
      // A maximum of 0 counts as 1, so background jobs run at all.
      if (c.running < std::max<uint32_t>(c.maximum, 1)) {
        ++c.running;
        slot = true;
      }
    }
    if (!slot) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  uint32_t result = QVMediaErr_UserCanceledErr;
  if (slot && !__atomic_load_n(&job.cancel, __ATOMIC_ACQUIRE)) {
    __atomic_store_n(&job.status, kQVJobRunning, __ATOMIC_RELEASE);
    QVJobListMarkDirty();
    result = generator(params);
  }
  QVIgnoreStatus(QVJobListRemove(id));  // a job that was never listed has no row to take away
  params->job = nullptr;
  std::atomic_thread_fence(std::memory_order_release);
  QVMediaPostJobCompletion(params, result);
  std::lock_guard<std::mutex> hold(c.lock);
  if (slot) --c.running;
  --c.outstanding;
  return int32_t(result);
}

bool ValidRecord(const QVOutputJobParams* params) { return params && params->size == kQVOutputJobParamsSize; }

// Shown on the main thread.
struct ErrorText {
  std::string title, message;
};

void* ShowErrorOnMain(void* parameter) {
  const ErrorText* t = static_cast<const ErrorText*>(parameter);
  QVErrorAlert(t->title.c_str(), t->message.c_str(), 1);
  return nullptr;
}

}  // namespace

uint32_t QVMediaStartOutputJob(QVOutputJobParams* params) {
  if (!ValidRecord(params)) {
    if (params) Complete(params, QVMediaErr_ParameterError);
    return QVMediaErr_ParameterError;
  }
  const FormatRow* row = FindFormat(params->outputFormat);
  if (!row) {
    Complete(params, QVMediaErr_ParameterError);
    return QVMediaErr_ParameterError;
  }
  params->lastReportedError = 0;
  params->job = nullptr;
  const bool movie = row->format == kQVOutputMovie || row->format == kQVOutputDevice;
  const bool background = (params->flags & kQVOutputBackground) && !(movie && params->writeSettings.synchronous);
  if (!background) {
    const uint32_t result = row->generator(params);
    Complete(params, result);
    return result;
  }
  ReapEndedTasks();
  MPQueue* queue = nullptr;
  MPTask* task = nullptr;
  Counters& c = Jobs();
  {
    std::lock_guard<std::mutex> hold(c.lock);
    ++c.outstanding;
  }
  bool made = !media::gFailNextJobTask.exchange(false) && MPCreateQueue(&queue) == kQVNoErr;
  if (made) {
    // Held before the task starts, so the task's end is never missed.
    std::lock_guard<std::mutex> hold(c.lock);
    made = MPCreateTask(row->task, params, kJobTaskStack, queue, 1, &task) == kQVNoErr;
    if (made) c.tasks.push_back({queue, task});
  }
  if (!made) {
    MPDeleteQueue(queue);
    {
      std::lock_guard<std::mutex> hold(c.lock);
      --c.outstanding;
    }
    Complete(params, QVMediaErr_InsufficientMemory);
    return QVMediaErr_InsufficientMemory;
  }
  return QVMediaErr_NoErr;
}

int32_t QVMediaQuickTimeTask(void* p) { return RunJobTask(static_cast<QVOutputJobParams*>(p), QVMediaGenerateQuickTime); }
int32_t QVMediaDPXSequenceTask(void* p) {
  return RunJobTask(static_cast<QVOutputJobParams*>(p), QVMediaGenerateDPXSequence);
}
int32_t QVMediaJPEGSequenceTask(void* p) { return RunJobTask(static_cast<QVOutputJobParams*>(p), GenerateJPEG); }
int32_t QVMediaTIFFSequenceTask(void* p) { return RunJobTask(static_cast<QVOutputJobParams*>(p), GenerateTIFF); }

uint32_t QVMediaOutstandingJobs() {
  ReapEndedTasks();
  Counters& c = Jobs();
  std::lock_guard<std::mutex> hold(c.lock);
  return c.outstanding;
}

uint32_t QVMediaRunningJobs() {
  Counters& c = Jobs();
  std::lock_guard<std::mutex> hold(c.lock);
  return c.running;
}

void QVMediaSetMaximumRunningJobs(uint32_t maximum) {
  Counters& c = Jobs();
  std::lock_guard<std::mutex> hold(c.lock);
  c.maximum = maximum;
}

void QVMediaCancelOutputJob(QVOutputJob* job) {
  if (!job) return;
  __atomic_store_n(&job->cancel, uint8_t(1), __ATOMIC_RELEASE);
  __atomic_store_n(&job->status, kQVJobCanceling, __ATOMIC_RELEASE);
  QVJobListMarkDirty();
}

uint32_t QVOutputSequenceDigits(int64_t frameCount) {
  if (frameCount < 801) return 3;
  if (frameCount < 9001) return 4;
  if (frameCount < 99001) return 5;
  if (frameCount < 999001) return 6;
  if (frameCount <= 9999000) return 7;
  return 8;
}

bool QVOutputSequenceFileName(const char* outputName, int64_t frame, uint32_t digits, char* out, size_t size) {
  if (!outputName || !out || size == 0 || frame < 0) return false;
  const char* dot = std::strrchr(outputName, '.');
  const int baseLength = dot && dot != outputName ? int(dot - outputName) : int(std::strlen(outputName));
  const char* extension = dot && dot != outputName ? dot : "";
  const int n = std::snprintf(out, size, "%.*s_%0*lld%s", baseLength, outputName, int(digits),
                              static_cast<long long>(frame), extension);
  return n > 0 && size_t(n) < size && !std::strchr(out, '/');
}

QVStatus QVOutputMakeSequenceFolder(const char* parent, const char* name, char* out, size_t size) {
  if (!parent || !name || !*name || std::strchr(name, '/') || !out) return kQVErrParam;
  for (long suffix = 0; suffix < 100000; ++suffix) {
    int n = suffix == 0 ? std::snprintf(out, size, "%s/%s", parent, name)
                        : std::snprintf(out, size, "%s/%s %ld", parent, name, suffix);
    if (n <= 0 || size_t(n) >= size) return kQVErrParam;
    if (mkdir(out, 0755) == 0) return kQVNoErr;
    if (errno != EEXIST) return PLStatusFromErrno(errno);
  }
  return kQVErrDuplicate;
}

void QVMediaShowRenderError(QVOutputJobParams* params, const char* context, uint32_t code) {
  if (!params || code == 0 || params->lastReportedError == code) return;
  params->lastReportedError = code;
  char message[256] = {};
  QVMediaGetErrorText(code, nullptr, message, sizeof message);
  const QVFileRef* source = params->source.ref;
  const char* slash = source ? std::strrchr(source->path, '/') : nullptr;
  ErrorText text;
  char buffer[1400];
  std::snprintf(buffer, sizeof buffer, "Zrn Render of \"%s\"", slash ? slash + 1 : (source ? source->path : ""));
  text.title = buffer;
  std::snprintf(buffer, sizeof buffer, "%s - %s", context ? context : "", message);
  text.message = buffer;
  PLCallOnMainThread(ShowErrorOnMain, &text);
}

namespace {

// The folder the sequence goes into: chosen by the user or the record's.
uint32_t SequenceParent(QVOutputJobParams* params, QVFileRef* chosen, const char** parent) {
  if (params->flags & kQVOutputAskLocation) {
    struct Ask {
      QVFileRef* folder;
      QVStatus status;
    } ask{chosen, kQVNoErr};
    PLCallOnMainThread(
        [](void* a) -> void* {
          Ask* q = static_cast<Ask*>(a);
          q->status = QVGetFolderSelection(q->folder, "Choose Output Folder", "Choose", "", int32_t(QVFourCC("QVof")));
          return nullptr;
        },
        &ask);
    if (ask.status != kQVNoErr) return QVMediaErr_UserCanceledErr;
    *parent = chosen->path;
    return QVMediaErr_NoErr;
  }
  const QVFileRef* folder = params->outputFolder.ref;
  if (!folder) return QVMediaErr_ParameterError;
  struct stat st;
  if (stat(folder->path, &st) != 0 || !S_ISDIR(st.st_mode)) return QVMediaErr_FileNotFound;
  *parent = folder->path;
  return QVMediaErr_NoErr;
}

// The DPX name pattern of the frames: the name's '%' doubled, then the number.
std::string DPXNameFormat(const char* outputName, uint32_t digits) {
  const char* dot = std::strrchr(outputName, '.');
  const std::string name = outputName;
  const size_t baseLength = dot && dot != outputName ? size_t(dot - outputName) : name.size();
  std::string format;
  auto escaped = [&](const std::string& s) {
    for (char ch : s) {
      format += ch;
      if (ch == '%') format += '%';
    }
  };
  escaped(name.substr(0, baseLength));
  format += "_%0" + std::to_string(digits) + "lld";
  escaped(name.substr(baseLength));
  return format;
}

uint32_t GenerateSequence(QVOutputJobParams* params, uint32_t kind) {
  if (!ValidRecord(params)) return QVMediaErr_ParameterError;
  if (!params->outputName[0] || std::memchr(params->outputName, 0, sizeof params->outputName) == nullptr ||
      std::strchr(params->outputName, '/'))
    return QVMediaErr_ParameterError;
  QVFileRef chosen{};
  const char* parent = nullptr;
  if (uint32_t err = SequenceParent(params, &chosen, &parent)) return err;
  const std::string parentPath = parent;

  media::OutputRender r;
  const bool dpx = kind == QVFourCC("dpx ");
  if (uint32_t err = media::OutputBegin(&r, params, dpx ? "Generating DPX Sequence" : "Generating Image Sequence",
                                        "Exporting %s..."))
    return err;
  // The sequence's own folder, named for the output name without its extension.
  std::string folderName = params->outputName;
  if (const size_t dot = folderName.find_last_of('.'); dot != std::string::npos && dot > 0) folderName.resize(dot);
  char folder[1024];
  if (QVOutputMakeSequenceFolder(parentPath.c_str(), folderName.c_str(), folder, sizeof folder) != kQVNoErr) {
    media::OutputEnd(&r);
    return QVMediaErr_ExportFailed;
  }
  const uint32_t digits = QVOutputSequenceDigits(r.frameCount);
  QVDPXWriteSettings dpxSettings{};
  const QVOutputWriteSettings& w = params->writeSettings;
  dpxSettings.pixels = DPXWriteParams{10, 50, 0.0f, w.dpxGamma > 0 ? w.dpxGamma : 1.0f, w.dpxLogarithmic != 0,
                                      w.dpxWhiteCode ? w.dpxWhiteCode : 1023, w.dpxBlackCode};
  const std::string nameFormat = DPXNameFormat(params->outputName, digits);
  const int quality = w.spatialQuality ? int(std::min<uint32_t>(w.spatialQuality, 1023) * 100 / 1023) : 90;

  uint32_t result = QVMediaErr_NoErr;
  for (int64_t index = 0;; ++index) {
    bool more = false;
    result = media::OutputNextFrame(&r, index, &more);
    if (result || !more) break;
    if (dpx) {
      if (QVMediaWriteDPXFrame(index, r.source, r.output, folder, nameFormat.c_str(), &dpxSettings) != kQVNoErr)
        result = QVMediaErr_ExportFailed;
    } else {
      char name[512], path[1600];
      if (!QVOutputSequenceFileName(params->outputName, index, digits, name, sizeof name) ||
          std::snprintf(path, sizeof path, "%s/%s", folder, name) >= int(sizeof path))
        result = QVMediaErr_ParameterError;
      else
        result = media::WriteStillImage(r.output, path, kind, quality);
    }
    if (result) break;
    media::OutputFrameDone(&r, index);
  }
  if (!result && media::OutputCancelled(&r)) result = QVMediaErr_UserCanceledErr;
  media::OutputEnd(&r);
  return result;
}

}  // namespace

uint32_t QVMediaGenerateDPXSequence(QVOutputJobParams* params) { return GenerateSequence(params, QVFourCC("dpx ")); }

uint32_t QVMediaGenerateImageSequence(QVOutputJobParams* params, uint32_t kind) {
  if (kind != QVFourCC("JPEG") && kind != QVFourCC("TIFF")) return QVMediaErr_ParameterError;
  return GenerateSequence(params, kind);
}
