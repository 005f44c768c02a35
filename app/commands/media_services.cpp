// The media library answers the shell, the panes and the commands.
#include "app/commands/media_services.h"

#include "app/commands/app_commands.h"
#include "app/library/reference_images.h"
#include "app/state/service_hooks.h"
#include "app/state/views_hooks.h"
#include "media/media_file.h"

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

QVStatus SaveReference(TKImage* image, const char* suggestedName) {
  return SaveReferenceImage(image, nullptr, suggestedName);
}

}  // namespace

void MediaInstallServices() {
  UIHooks().mediaInitialize = StartMedia;
  ViewsHooks& views = ViewsHooksInForce();
  views.clipPosition = ClipPosition;
  views.clipSetPosition = ClipSetPosition;
  views.clipReloadFrame = ClipReloadFrame;
  AppServices().saveReferenceImage = SaveReference;
}
