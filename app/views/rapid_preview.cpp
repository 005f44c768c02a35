// The rapid preview's render pass: the host clip from the current frame to
// its last, each frame loaded, processed and then appended to the cache
// movie, one per timer tick; then the movie plays where the preferences
// and the button say (the pane, full screen, the secondary monitor or the
// video output) until it is stopped.
#include "app/views/rapid_preview.h"

#include <cstring>

#include "app/state/service_hooks.h"
#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/views/image_pane_internal.h"
#include "app/views/pictures.h"
#include "app/views/preview_outputs.h"
#include "app/views/transport_bar.h"
#include "core/frame_buffer.h"
#include "core/task_pool.h"
#include "media/timecode_text.h"
#include "platform/folders.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"

namespace {

constexpr int32_t kLabelCorner = 3;  // top right, where the transport bar labels its pane

// The render pass and the movie's place.
struct RenderPass {
  TKControl* bar = nullptr;
  TKControl* pane = nullptr;     // the bar's pane, which renders
  bool fullScreen = false;
  bool savedHostTime = false;
  int32_t startTime = 0;
  // Where the movie plays: a pane whose picture is swapped for the play
  // picture (given back afterwards), or the video output.
  TKControl* playPane = nullptr;
  TKImage* playPicture = nullptr;
  TKImage* savedPicture = nullptr;
  float savedAspect = 1;
  TKWindow* fullScreenWindow = nullptr;
  TKHandlerRef keyHandler = 0;
  int32_t tick = 0;
};
RenderPass gPass;
void (*gOtherPlaybackWork)() = nullptr;

bool isDevice(uint32_t code) { return code != kPreviewDeviceNone && code != kPreviewDeviceExternal; }

std::string cacheFolder() {
  const PFHandle& alias = gPrefsSettings.rapidPreviewCacheAlias;
  if (!alias.empty()) {
    std::string path(alias.begin(), alias.end());
    if (PLPathIsFolder(path.c_str())) return path;
  }
  QVFileRef folder;
  if (PLFindFolder(kPLFolderTemporary, true, &folder) != kQVNoErr) return {};
  std::string path = folder.path;
  return path.size() <= 511 ? path : std::string();
}

void label(TKControl* pane, const char* text) {
  ImagePaneSetCornerLabel(pane, text, kLabelCorner);
  DrawOrInvalidateImagePane(pane, true);
}

void redrawLinkedControls() {
  for (ImagePaneMask bit : {kPaneResult, kPaneSource, kPaneReference, kPaneSplitSource, kPaneSplitRef})
    if (TKControl* pane = GetViewPane(bit)) DrawImagePaneLinkedControl(pane);
}

// Loads the host clip's frame at `time` into the source frame, processes it
// and draws the panes, as the transport bar does for a frame step.
bool loadFrame(int32_t time) {
  ViewsHooks& hooks = ViewsHooksInForce();
  if (hooks.hostLoadFrameAt(time) != kQVNoErr) return false;
  // The frame just loaded and its result are made together: the pass cannot refuse them.
  if (gImageViewMode != kImageViewSource)
    QVIgnoreStatus(ProcessFrameWithSettings(gSourceFrame, gResultFrame, &gUISettings));
  RedrawImagePanes(true);
  return true;
}

bool hostClip(int32_t* current, int32_t* step, int32_t* last) {
  ImagePaneRecord* r = ImagePaneRecordOf(gPass.pane);
  return r && !r->clip && ViewsHooksInForce().hostFrameTimes(current, step, last);
}

// The pane shows the play picture, of its own view size, with square pixels.
bool playInPane(TKControl* pane) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  if (!r) return false;
  const int32_t w = TKRectWidth(r->viewRect), h = TKRectHeight(r->viewRect);
  TKImage* picture = w > 0 && h > 0 ? TKImageCreate(w, h) : nullptr;
  if (!picture) return false;
  gPass.playPane = pane;
  gPass.playPicture = picture;
  gPass.savedPicture = ImagePaneGetImage(pane);
  gPass.savedAspect = ImagePaneGetPixelAspect(pane);
  QVIgnoreStatus(SetImagePaneImage(pane, picture));  // the pane keeps drawing into its window either way
  ImagePaneSetPixelAspect(pane, 1.0f);
  ImagePaneResetView(pane);
  return RPFitMovieBox(picture, TKMakeRect(0, 0, w, h), pane, nullptr) == kQVNoErr;
}

void givePaneBack() {
  if (gPass.playPane && TKIsControlAlive(gPass.playPane)) {
    // A pane whose floating window will not open keeps drawing in its own.
    QVIgnoreStatus(SetImagePaneImage(gPass.playPane, gPass.savedPicture));
    ImagePaneSetPixelAspect(gPass.playPane, gPass.savedAspect);
  }
  TKImageDispose(gPass.playPicture);
  gPass.playPane = nullptr;
  gPass.playPicture = nullptr;
  gPass.savedPicture = nullptr;
}

void closeFullScreen() {
  if (gPass.keyHandler) TKRemoveHandler(gPass.keyHandler);
  gPass.keyHandler = 0;
  if (!gPass.fullScreenWindow) return;
  TKDisposeWindow(gPass.fullScreenWindow);
  gPass.fullScreenWindow = nullptr;
  ViewsHooksInForce().showPaneLayoutControls(true);
}

// Keys in the full-screen window, without modifiers: Escape stops the
// preview, the transport keys move and play the movie.
QVStatus FullScreenPreviewEventHandler(TKEvent& e) {
  constexpr uint32_t kModifierKeys = kTKModCommand | kTKModShift | kTKModOption | kTKModControl;
  if (e.kind != kTKEventKeyDown || (e.modifiers & kModifierKeys)) return kQVErrNotHandled;
  if (e.charCode == kTKKeyEscape) {
    RapidPreviewStop(gPass.bar);
    return kQVNoErr;
  }
  if (TransportAction action = TransportKeyAction(e.charCode, e.keyCode)) {
    action(gPass.bar);
    return kQVNoErr;
  }
  return kQVErrNotHandled;
}

// The full-screen window on the main display with a pane over all of it.
TKControl* openFullScreen() {
  TKWindow* window = TKCreateFullScreenWindow(TKGetMainDisplay());
  if (!window) return nullptr;
  const TKRect bounds = TKGetWindowBounds(window);
  TKControl* pane = nullptr;
  if (CreateImagePane(window, TKMakeRect(0, 0, TKRectWidth(bounds), TKRectHeight(bounds)), &pane) != kQVNoErr) {
    TKDisposeWindow(window);
    return nullptr;
  }
  ImagePaneResetViewRect(pane, false);
  // A pane just made for the picture takes it: only a missing pane refuses.
  QVIgnoreStatus(SetImagePaneImage(pane, gResultGWorld));
  gPass.fullScreenWindow = window;
  gPass.keyHandler = TKInstallWindowHandler(window, FullScreenPreviewEventHandler);
  ViewsHooksInForce().showPaneLayoutControls(false);
  TKShowWindow(window);
  TKSelectWindow(window);
  DrawImagePane(pane);
  return pane;
}

void playbackWork() {
  RapidPreviewTick();
  if (gOtherPlaybackWork) gOtherPlaybackWork();
}

}  // namespace

QVStatus StartRapidPreview(TKControl* bar, bool fullScreen) {
  TKControl* pane = TransportGetPane(bar);
  if (!pane) return kQVNoErr;
  if (gRapidPreviewRendering || RPMovieExists()) RapidPreviewStop(gPass.bar);
  ViewsHooks& hooks = ViewsHooksInForce();
  int32_t current = 0, step = 0, last = 0;
  int32_t rate100 = 0, mode = 0, drop = 0, field = 0, perFoot = 0;
  const bool hostFrames = hooks.hostFrameTimes(&current, &step, &last);
  hooks.hostTimecodeFormat(&rate100, &mode, &drop, &field, &perFoot);
  TKImage* picture = ImagePaneGetImage(pane);
  // The host's drop word is 1 for drop-frame counting, 0 for non-drop; a
  // movie's timecode counts drop-frame only at the 1000/1001 rates.
  const bool dropFrame = drop != 0 && (rate100 == 2997 || rate100 == 5994);
  const QVStatus status = CreateRapidPreviewMovie(picture, cacheFolder(), rate100, (rate100 + 50) / 100, dropFrame,
                                                  step != 0 ? current / step : 0);
  if (status != kQVNoErr) return status;
  gPass = RenderPass{};
  gPass.bar = bar;
  gPass.pane = pane;
  gPass.fullScreen = fullScreen;
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  if (r && !r->clip && hostFrames) {
    gPass.savedHostTime = true;
    gPass.startTime = current;
  }
  label(pane, fullScreen ? "Preparing Full Screen Preview" : "Preparing Preview");
  hooks.setPaneTabGroupsActive(false);
  RenderRapidPreviewFrame(pane);
  gRapidPreviewRendering = true;
  redrawLinkedControls();
  return kQVNoErr;
}

void RenderRapidPreviewFrame(TKControl* pane) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  TKImage* picture = ImagePaneGetImage(pane);
  if (!r || !picture) return;
  // A frame the movie refuses is missing from it; the pass goes on.
  if (isDevice(gPrefsSettings.externalPreviewDevice) || !r->lut || !r->lutIndex || *r->lutIndex == 0) {
    QVIgnoreStatus(RPAddFrame(picture));
    return;
  }
  TKImage* copy = TKImageCreate(TKImageWidth(picture), TKImageHeight(picture));
  if (!copy) return;
  std::memcpy(TKImagePixels(copy), TKImagePixels(picture), size_t(TKImageRowBytes(picture)) * size_t(TKImageHeight(picture)));
  FBTransformWithLUTPix(TKImagePixels(copy), uint32_t(TKImageWidth(copy)), uint32_t(TKImageHeight(copy)),
                        uint32_t(TKImageRowBytes(copy)), r->lut, kFBPixFormat32ARGB, gNumProcessors, &gVLMPMaster);
  TKImageMarkDirty(copy);
  QVIgnoreStatus(RPAddFrame(copy));
  TKImageDispose(copy);
}

void TransportRenderStep(TKControl* bar) {
  if (!gRapidPreviewRendering || bar != gPass.bar) return;
  int32_t current = 0, step = 0, last = 0;
  if (!hostClip(&current, &step, &last)) return;  // a media clip waits for Play
  const int64_t next = int64_t(current) + step;
  if (step > 0 && next <= last) {
    // The frame is loaded first and appended after, so every frame from the
    // start to the last goes into the movie once.
    if (loadFrame(int32_t(next))) {
      RenderRapidPreviewFrame(gPass.pane);
      TransportSyncPosition(gPass.pane);
    }
    return;
  }
  gRapidPreviewRendering = false;
  gPreviewPlaying = true;
  FinishRapidPreview(bar);
}

void FinishRapidPreview(TKControl* bar) {
  if (bar != gPass.bar || !RPMovieExists()) return;
  gRapidPreviewRendering = false;
  gPreviewPlaying = true;
  ViewsHooks& hooks = ViewsHooksInForce();
  TKControl* fullScreenPane = gPass.fullScreen ? openFullScreen() : nullptr;
  hooks.setCorrectionTabsEnabled(false);
  if (RPFinishMovie() != kQVNoErr) {
    RapidPreviewStop(bar);
    return;
  }
  const uint32_t device = gPrefsSettings.externalPreviewDevice;
  if (!isDevice(device) || fullScreenPane) {
    if (fullScreenPane) {
      label(gPass.pane, "Preview");
      playInPane(fullScreenPane);
    } else if (SecondaryPreviewPane()) {
      label(gPass.pane, "Preview on Secondary Monitor");
      playInPane(SecondaryPreviewPane());
    } else {
      label(gPass.pane, "Preview");
      playInPane(gPass.pane);
    }
  } else {
    label(gPass.pane, "Preview on External Monitor");
    EraseGWorld(gResultGWorld, nullptr);
    DrawImagePane(gPass.pane);
    int32_t w = 0, h = 0;
    VideoOutputSize(&w, &h);
    // The movie was finished just above; only a missing movie is refused.
    if (TKImage* output = VideoOutputPicture())
      QVIgnoreStatus(RPFitMovieBox(output, TKMakeRect(0, 0, w, h), nullptr, VideoOutputShowPicture));
  }
  TransportSyncPosition(gPass.pane);
  redrawLinkedControls();
}

void RapidPreviewStop(TKControl* bar) {
  if (!gRapidPreviewRendering && !RPMovieExists() && !gPreviewPlaying) return;
  (void)bar;
  RPStop();
  gRapidPreviewRendering = false;
  gPreviewPlaying = false;
  givePaneBack();
  closeFullScreen();
  RPDisposeMovie();
  ViewsHooks& hooks = ViewsHooksInForce();
  TKControl* pane = gPass.pane;
  if (pane && TKIsControlAlive(pane)) ImagePaneSetCornerLabel(pane, "", kLabelCorner);
  if (gPass.savedHostTime) QVIgnoreStatus(hooks.hostLoadFrameAt(gPass.startTime));  // the frame stays as it is without a host
  hooks.setCorrectionTabsEnabled(true);
  hooks.setPaneTabGroupsActive(true);
  // The frame just loaded and its result are made together: the pass cannot refuse them.
  if (gImageViewMode != kImageViewSource)
    QVIgnoreStatus(ProcessFrameWithSettings(gSourceFrame, gResultFrame, &gUISettings));
  RedrawImagePanes(true);
  redrawLinkedControls();
  gPass = RenderPass{};
  if (pane && TKIsControlAlive(pane)) TransportSyncPosition(pane);  // the clip's position again
}

void RapidPreviewButton(TKControl* bar, bool on, bool optionKey) {
  if (on) {
    QVIgnoreStatus(StartRapidPreview(bar, optionKey));  // a movie that cannot be made has said so
  } else {
    RapidPreviewStop(bar);
  }
}

TKControl* RapidPreviewBar() { return gRapidPreviewRendering || RPMovieExists() ? gPass.bar : nullptr; }
TKWindow* RapidPreviewFullScreenWindow() { return gPass.fullScreenWindow; }

void RapidPreviewTick() {
  if (gRapidPreviewRendering) {
    TransportRenderStep(gPass.bar);
    return;
  }
  if (!gPreviewPlaying || (++gPass.tick % 2) != 0) return;
  const int64_t shown = RPGetMovieTime();
  RPMoviesTask();
  // The pane's readouts follow the movie's timecode.
  if (RPGetMovieTime() != shown) TransportSyncPosition(gPass.pane);
}

void InstallRapidPreviewHooks() {
  UIServiceHooks& hooks = UIHooks();
  if (hooks.deferredPlaybackWork != playbackWork) {
    gOtherPlaybackWork = hooks.deferredPlaybackWork;
    hooks.deferredPlaybackWork = playbackWork;
  }
}
