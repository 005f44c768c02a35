// What the panes ask of the parts of the application above them (the
// controls, the analysis panes, the preview outputs, the exchange and the
// media library). Each hook does nothing, or answers "none", until the part
// that owns it installs its own.
#pragma once

#include <cstdint>

#include "platform/status.h"

struct ViewsHooks {
  // Controls that follow a redraw (the levels control's histograms are
  // refreshed through its own refresher): the luma-range control and the
  // colour-match group.
  void (*drawLumaRangeControl)();
  void (*drawColorMatchGroup)(bool drawNow);
  // The analysis panes of the current kind.
  void (*drawAnalysisPanes)(bool drawNow);
  // Preview outputs, fed in this order after every redraw.
  void (*outputExternalPreviewFrame)();
  void (*updateVideoOutputFrame)(uint32_t device);
  void (*updateSecondaryPreview)(bool drawNow);
  // Asks the host to toggle its own video preview (the video output was
  // using it and gives it back).
  void (*toggleHostVideoPreview)();

  // The exchange's clip: false when no exchange is attached; otherwise its
  // current time, the time of one frame and the last frame's time.
  bool (*hostFrameTimes)(int32_t* current, int32_t* step, int32_t* last);
  // Moves the exchange to the frame at `time` and brings that frame into the
  // source frame and source picture.
  QVStatus (*hostLoadFrameAt)(int32_t time);
  // The correction tabs enabled or not, the main window's two pane tab
  // groups active or not (a rapid preview holds both while it runs).
  void (*setCorrectionTabsEnabled)(bool enabled);
  void (*setPaneTabGroupsActive)(bool active);
  // The main window's pane-layout controls (the large view of layout 1, the
  // two pane selectors of layout 2) all hidden while a full-screen preview
  // covers the display, and those of the current layout shown again after.
  void (*showPaneLayoutControls)(bool shown);
  // Reloads the exchange's current frame (the main image pane's click action).
  void (*reloadHostFrame)();
  // Reloads reference-image slot 1 or 2.
  void (*reloadReferenceSlot)(int32_t slot);

  // A media clip shown in a pane: its frame position and frame count (false
  // when the clip cannot say), moving it, and reloading its current frame
  // into the reference picture (true when it is the current reference clip).
  bool (*clipPosition)(void* clip, int64_t* frame, int64_t* frameCount);
  void (*clipSetPosition)(void* clip, int64_t frame);
  bool (*clipReloadFrame)(void* clip);
  // A media clip starts or stops playing (its frames are prefetched while it plays).
  void (*clipPlayback)(void* clip, bool playing);

  // The exchange's timecode format: rate x 100, display mode (0 none, 1
  // timecode, 2 frames, 3 feet and frames), drop-frame flag (1: drop-frame
  // counting), field flag and frames per foot; all 0 while no exchange is
  // attached.
  void (*hostTimecodeFormat)(int32_t* rate100, int32_t* mode, int32_t* drop, int32_t* field, int32_t* perFoot);
  // The control surface's transport lights (2 stopped, 3 playing) and its
  // timecode display.
  void (*surfaceTransportState)(int16_t state);
  void (*surfaceShowTimecode)(const char* text);
};

// The hooks in force; the parts above replace entries as they start.
ViewsHooks& ViewsHooksInForce();
// Every hook back to doing nothing.
void ViewsResetHooks();
