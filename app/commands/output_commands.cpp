// Output jobs started from the application. The job runs on its own task;
// its frames go through the correction on the main thread, which owns the
// processing tables (the window builds them from the working correction
// without a lock), and the working correction's tables are put back after
// each frame. The job's record and the copy of the correction live until the
// completion, which runs on the main thread.
#include "app/commands/output_commands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <iterator>

#include "app/commands/app_commands.h"
#include "app/library/reference_images.h"
#include "app/state/ui_state.h"
#include "app/views/central_update.h"
#include "app/window/job_list_window.h"
#include "app/window/output_dialog.h"
#include "core/processing_tables.h"
#include "media/media_errors.h"
#include "media/media_events.h"
#include "media/job_list.h"
#include "media/media_file.h"
#include "media/output_job.h"
#include "media/progress_window.h"
#include "platform/log.h"
#include "platform/main_thread.h"
#include "platform/ui/toolkit.h"
#include "support/alerts.h"

namespace {

constexpr const char* kTitle = "Velmora 3 UI";

struct AppOutputJob {
  QVOutputJobParams params;
  QVFileRef source;
  QVFileRef folder;
  VL_SettingsStruct settings;
  int64_t failedFrame;  // the frame the correction could not be applied to, -1 none
  QVStatus failure;
};

OutputDialogChoice gLastMovie{kQVOutputMovie, kQVCodecJPEG};
OutputDialogChoice gLastSequence{kQVOutputDPXSequence, kQVCodecJPEG};

struct Extension {
  uint32_t format;
  const char* extension;
};
const Extension kExtensions[] = {{kQVOutputMovie, ".mov"},        {kQVOutputDevice, ".mp4"},
                                 {kQVOutputDPXSequence, ".dpx"},  {kQVOutputJPEGSequence, ".jpg"},
                                 {kQVOutputTIFFSequence, ".tif"}};

const char* ExtensionOf(uint32_t format) {
  for (const Extension& e : kExtensions)
    if (e.format == format) return e.extension;
  return "";
}

struct ProcessCall {
  FBFrameStruct* frame;
  const VL_SettingsStruct* settings;
  QVStatus status;
};

void* ProcessOnMain(void* parameter) {
  auto* call = static_cast<ProcessCall*>(parameter);
  call->status = ProcessFrameWithSettings(call->frame, call->frame, call->settings);
  // Tables that cannot be built for the working correction now are not
  // marked as built from it, so the window's next update builds them again.
  if (!VL_ProcessingTablesBuiltFrom(&gUISettings)) QVIgnoreStatus(VL_UpdateProcessingTables(&gUISettings));
  return nullptr;
}

// The job's frame processor: the copy of the correction applied in place.
// A frame it cannot correct ends the frames; the completion says so.
bool ApplyCorrection(FBFrameStruct* frame, int64_t frameNumber, QVMediaFileRef*, void* refcon) {
  auto* job = static_cast<AppOutputJob*>(refcon);
  ProcessCall call{frame, &job->settings, kQVNoErr};
  PLCallOnMainThread(ProcessOnMain, &call);
  if (call.status == kQVNoErr) return true;
  job->failedFrame = frameNumber;
  job->failure = call.status;
  return false;
}

void JobEnded(QVOutputJobParams* params, uint32_t result) {
  std::unique_ptr<AppOutputJob> job(static_cast<AppOutputJob*>(params->completionRefcon));
  char line[512];
  std::snprintf(line, sizeof line, "output job %s ended %u", params->outputName, result);
  PLLogWrite(kTitle, line);
  char message[768];
  if (result == QVMediaErr_NoErr && job->failedFrame >= 0) {
    std::snprintf(message, sizeof message,
                  "The correction could not be applied to frame %lld of \"%s\" (error %d); the output ends before it.",
                  static_cast<long long>(job->failedFrame), params->outputName, int(job->failure));
    QVErrorAlert(kTitle, message, 1);
  } else if (result != QVMediaErr_NoErr && result != QVMediaErr_UserCanceledErr) {
    char text[256] = {};
    QVMediaGetErrorText(QVMediaErr(result), nullptr, text, sizeof text);
    std::snprintf(message, sizeof message, "Rendering \"%s\" failed: %s", params->outputName, text);
    QVErrorAlert(kTitle, message, 1);
  }
}

}  // namespace

std::string OutputBaseName(const char* path, bool sequence) {
  const char* slash = std::strrchr(path, '/');
  std::string name = slash ? slash + 1 : path;
  if (const size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.resize(dot);
  if (sequence) {
    size_t end = name.size();
    while (end > 0 && name[end - 1] >= '0' && name[end - 1] <= '9') --end;
    while (end > 0 && (name[end - 1] == '_' || name[end - 1] == '.' || name[end - 1] == '-' || name[end - 1] == ' '))
      --end;
    if (end > 0) name.resize(end);
  }
  return name.empty() ? std::string("Output") : name;
}

QVStatus StartOutputJobCommand(uint32_t commandID, const VL_SettingsStruct* settings) {
  QVMediaFileRef* clip = SourceMedia();
  if (!settings || !QVMediaIsValidRef(clip) || !QVMediaHasVideo(clip)) {
    QVErrorAlert(kTitle,
                 "Rendering output needs a clip as the source: load a movie, an image sequence or a still from the "
                 "gallery first.",
                 1);
    return kQVErrParam;
  }
  const bool movie = commandID == kAppCmdRenderMovie;
  OutputDialogChoice& last = movie ? gLastMovie : gLastSequence;
  OutputDialogChoice choice = last;
  if (!RunOutputDialog(movie, &choice)) return kQVErrCancelled;
  last = choice;

  std::unique_ptr<AppOutputJob> job(new (std::nothrow) AppOutputJob{});
  if (!job) {
    QVErrorAlert(kTitle, "There is not enough memory to start the output.", 1);
    return kQVErrMemory;
  }
  job->settings = *settings;
  job->failedFrame = -1;
  std::string folder = clip->path;
  folder.resize(folder.find_last_of('/') == std::string::npos ? 0 : folder.find_last_of('/'));
  if (PLFileRefFromPath(clip->path, &job->source) != kQVNoErr ||
      PLFileRefFromPath(folder.empty() ? "/" : folder.c_str(), &job->folder) != kQVNoErr) {
    QVErrorAlert(kTitle, "The source clip's file cannot be found.", 1);
    return kQVErrFileNotFound;
  }
  QVOutputJobParams& p = job->params;
  p.size = kQVOutputJobParamsSize;
  p.flags = kQVOutputShowProgress | kQVOutputBackground | kQVOutputAskLocation;
  p.source.ref = &job->source;
  p.outputFolder.ref = &job->folder;
  p.outputFormat = choice.format;
  const std::string base = OutputBaseName(clip->path, (clip->flags & kQVMediaSequence) != 0);
  std::snprintf(p.outputName, sizeof p.outputName, "%s%s", base.c_str(), ExtensionOf(choice.format));
  p.writeSettings.codec = choice.codec;
  p.writeSettings.spatialQuality = p.writeSettings.temporalQuality = 0x398;
  p.frameProcessor = ApplyCorrection;
  p.refcon = job.get();
  p.completion = JobEnded;
  p.completionRefcon = job.get();

  // Completions and progress reach this thread through the toolkit's loop.
  QVMediaInstallEventHandler();
  QVProgressInstallToolkitView();
  ShowJobListWindow();
  // From here the completion owns the job, whatever the start says.
  AppOutputJob* started = job.release();
  return QVMediaStatusOf(QVMediaStartOutputJob(&started->params));
}

void StopOutputJobs() {
  uint32_t ids[256];
  const size_t count = std::min(QVJobListIds(ids, std::size(ids)), std::size(ids));
  for (size_t i = 0; i < count; ++i) QVJobListCancel(ids[i]);
  // The jobs need this thread for their frames and their ends; each stops
  // after the frame it is on.
  const double end = TKNow() + 30.0;
  while (QVMediaOutstandingJobs() > 0 && TKNow() < end) TKRunOnce(0.01);
}
