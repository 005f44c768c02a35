// The video output device: started for the device the preferences name,
// given the picture of the current view after every redraw, stopped when
// the device changes, the program steps back or the session ends.
#include <chrono>
#include <thread>

#include "app/state/interface_colors.h"
#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/views/pictures.h"
#include "app/views/preview_outputs.h"
#include "app/views/preview_outputs_internal.h"
#include "platform/video_output.h"
#include "settings/prefs.h"

namespace {

struct VideoOutput {
  const PLVideoDeviceKind* kind = nullptr;
  PLVideoDevice* device = nullptr;
  uint32_t code = 0;
  TKImage* staging = nullptr;  // a 32-bit picture of the output's size
  int32_t width = 0, height = 0;
  size_t frameBytes = 0;       // staging row bytes x height
  bool hostPreviewToggled = false;
};
VideoOutput gVideo;

constexpr double kRetryTicks = 25;

void waitTicks(double ticks) { std::this_thread::sleep_for(std::chrono::duration<double>(ticks / 60.0)); }

bool isDevice(uint32_t code) { return code != kPreviewDeviceNone && code != kPreviewDeviceExternal; }

void closeDevice() {
  if (gVideo.kind && gVideo.device) gVideo.kind->close(gVideo.device);
  gVideo.kind = nullptr;
  gVideo.device = nullptr;
}

}  // namespace

TKImage* PreviewViewPicture() {
  switch (gImageViewMode) {
    case kImageViewResult: return gResultGWorld;
    case kImageViewSource: return gSourceGWorld;
    case kImageViewReference: return gReferenceGWorld;
    default: return gSplitGWorld;
  }
}

TKColor PreviewPaneBackground() {
  const QVRGBColor& c = gInterfaceColors[kUIColorPaneBackground];
  return TKColor{c.red / 65535.0, c.green / 65535.0, c.blue / 65535.0, 1};
}

void StartVideoOutput(uint32_t device) {
  if (!isDevice(device)) return;
  if (gVideo.device) StopVideoOutput(gVideo.code);
  const PLVideoDeviceKind* kind = PLVideoFindDevice(device);
  PLVideoDevice* instance = nullptr;
  if (!kind || kind->open(&instance) != kQVNoErr || !instance) return;
  gVideo.kind = kind;
  gVideo.device = instance;
  gVideo.code = device;
  if (kind->setDisplayMode(instance, gPrefsSettings.externalPreviewMode) != kQVNoErr) {
    closeDevice();
    return;
  }
  if (kind->begin(instance) != kQVNoErr) {
    waitTicks(kRetryTicks);
    if (kind->begin(instance) != kQVNoErr) {
      closeDevice();
      return;
    }
  }
  kind->size(instance, &gVideo.width, &gVideo.height);
  gVideo.staging = gVideo.width > 0 && gVideo.height > 0 ? TKImageCreate(gVideo.width, gVideo.height) : nullptr;
  if (!gVideo.staging) {
    kind->end(instance);
    closeDevice();
    gVideo.width = gVideo.height = 0;
    return;
  }
  gVideo.frameBytes = size_t(TKImageRowBytes(gVideo.staging)) * size_t(gVideo.height);
}

void StopVideoOutput(uint32_t device) {
  if (!isDevice(device) || !gVideo.device) return;
  gVideo.kind->end(gVideo.device);
  closeDevice();
  TKImageDispose(gVideo.staging);
  gVideo.staging = nullptr;
  gVideo.width = gVideo.height = 0;
  gVideo.frameBytes = 0;
  if (gVideo.hostPreviewToggled) {
    gVideo.hostPreviewToggled = false;
    ViewsHooksInForce().toggleHostVideoPreview();
  }
  waitTicks(kRetryTicks);
}

void UpdateVideoOutputFrame(uint32_t device) {
  if (!isDevice(device) || !gVideo.device || gVideo.width <= 0 || gVideo.height <= 0 || !gVideo.staging) return;
  TKImage* picture = PreviewViewPicture();
  TKImage* temporary = nullptr;
  if (!picture) {
    temporary = TKImageCreate(gVideo.width, gVideo.height);
    if (!temporary) return;  // that frame is skipped
    const TKColor background = PreviewPaneBackground();
    EraseGWorldRect(temporary, nullptr, &background);
    picture = temporary;
  }
  if (TKImageWidth(picture) == gVideo.width && TKImageHeight(picture) == gVideo.height &&
      gPrefsSettings.previewImageScaling == 1 && gPrefsSettings.previewAspectConversion == 1 &&
      TKImageRowBytes(picture) == TKImageRowBytes(gVideo.staging)) {
    // Same size, nothing to convert: straight to the output, without the LUT.
    QVIgnoreStatus(gVideo.kind->showFrame(gVideo.device, TKImagePixels(picture), TKImageRowBytes(picture)));
  } else {
    ConvertGWorldForVideoOutput(picture, gVideo.staging, true, false, gPrefsSettings.lut[kPFLUTExternal]);
    VideoOutputShowPicture();
  }
  TKImageDispose(temporary);
}

void VideoOutputShowPicture() {
  if (!gVideo.device || !gVideo.staging) return;
  // A device that drops a frame shows the next one; nothing more follows.
  QVIgnoreStatus(gVideo.kind->showFrame(gVideo.device, TKImagePixels(gVideo.staging), TKImageRowBytes(gVideo.staging)));
}

bool VideoOutputIsOpen() { return gVideo.device != nullptr; }

void VideoOutputSize(int32_t* width, int32_t* height) {
  *width = gVideo.device ? gVideo.width : 0;
  *height = gVideo.device ? gVideo.height : 0;
}

TKImage* VideoOutputPicture() { return gVideo.staging; }

void VideoOutputNoteHostPreviewToggled() { gVideo.hostPreviewToggled = true; }
