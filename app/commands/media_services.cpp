// The media library answers the shell, the panes and the commands.
#include "app/commands/media_services.h"

#include "app/commands/app_commands.h"
#include "app/library/reference_images.h"
#include "app/state/service_hooks.h"
#include "app/state/ui_state.h"
#include "app/state/views_hooks.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/views/transport_bar.h"
#include "media/media_file.h"
#include "media/media_worker.h"

namespace {

QVStatus StartMedia() { return QVMediaInitialize() == QVMediaErr_NoErr ? kQVNoErr : kQVErrMemory; }

bool ClipPosition(void* clip, int64_t* frame, int64_t* count) {
  auto* ref = static_cast<QVMediaFileRef*>(clip);
  if (!QVMediaIsValidRef(ref) || QVMediaGetCurrentFrame(ref, frame) || QVMediaGetFrameCount(ref, count)) return false;
  if (*frame < 0) *frame = 0;
  return true;
}

void ClipSetPosition(void* clip, int64_t frame) {
  auto* ref = static_cast<QVMediaFileRef*>(clip);
  if (QVMediaIsValidRef(ref)) QVMediaSetCurrentFrame(ref, frame);
}

// The clip's current frame into the picture it feeds.
bool ClipReloadFrame(void* clip) {
  if (!clip) return false;
  if (clip == SourceMedia()) return ReloadCurrentSourceFrame() == kQVNoErr;
  if (clip == ReferenceMedia()) return ReloadReferenceFrame() == kQVNoErr;
  return false;
}

// While a clip plays the worker prefetches the frames after its current one
// into the cache, at the size the source frame reads them.
void ClipPlayback(void* clip, bool playing) {
  auto* ref = static_cast<QVMediaFileRef*>(clip);
  if (!QVMediaIsValidRef(ref)) return;
  if (!playing) {
    QVMediaWorkerRequest(kQVMediaWorkerStopPlayback, ref);
    return;
  }
  QVMediaWorkerRequest(kQVMediaWorkerStartPlayback, ref);
  QVMediaWorkerRequest(kQVMediaWorkerMakePrefetchBuffer, ref);
  QVMediaWorkerRequest(kQVMediaWorkerBeginPrefetch, ref);
}

void (*gOtherPlaybackWork)() = nullptr;

void PlaybackWork() {
  TransportMediaPlaybackTick();
  if (gOtherPlaybackWork) gOtherPlaybackWork();
}

QVStatus SaveReference(TKImage* image, const char* suggestedName) {
  return SaveReferenceImage(image, nullptr, suggestedName);
}


// Gives every pane of the given role the clip (role 1 the main image panes,
// 0 the two reference panes).
void SetPanesClip(bool mainPanes, QVMediaFileRef* ref) {
  if (mainPanes) {
    for (int32_t i = 0; i < ImagePaneRegisteredCount(); ++i)
      if (ImagePaneIsMainImage(ImagePaneRegistered(i))) ImagePaneSetClipRef(ImagePaneRegistered(i), ref);
  } else {
    ImagePaneSetClipRef(GetViewPane(kPaneReference), ref);
    ImagePaneSetClipRef(GetViewPane(kPaneReferenceAnalysis), ref);
  }
}

}  // namespace

QVStatus MediaLoadSourceFile(const char* path) {
  QVMediaFileRef* slot = nullptr;  // the one held now is closed when the new one is taken
  StopAllPreviewPlayback();
  const QVStatus status = LoadImageFileFromPath(path, nullptr, &slot, true, nullptr);
  if (status != kQVNoErr) return status;
  SetSourceMedia(slot);
  SetPanesClip(true, slot);
  for (int32_t i = 0; i < ImagePaneRegisteredCount(); ++i) TransportSyncPosition(ImagePaneRegistered(i));
  RedrawImagePanes(true);
  return kQVNoErr;
}

QVStatus MediaLoadReferenceFile(const char* path) {
  QVMediaFileRef* slot = nullptr;
  StopAllPreviewPlayback();
  const QVStatus status = LoadImageFileFromPath(path, &gReferenceGWorld, &slot, false, nullptr);
  if (status != kQVNoErr) return status;
  SetReferenceMedia(slot);
  SetPanesClip(false, slot);
  TransportSyncPosition(GetViewPane(kPaneReference));
  TransportSyncPosition(GetViewPane(kPaneReferenceAnalysis));
  return kQVNoErr;
}

void MediaInstallServices() {
  UIServiceHooks& hooks = UIHooks();
  hooks.mediaInitialize = StartMedia;
  if (hooks.deferredPlaybackWork != PlaybackWork) gOtherPlaybackWork = hooks.deferredPlaybackWork;
  hooks.deferredPlaybackWork = PlaybackWork;
  ViewsHooks& views = ViewsHooksInForce();
  views.clipPosition = ClipPosition;
  views.clipSetPosition = ClipSetPosition;
  views.clipReloadFrame = ClipReloadFrame;
  views.clipPlayback = ClipPlayback;
  AppServices().saveReferenceImage = SaveReference;
}
