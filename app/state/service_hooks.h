// What the shell asks of the application's other subsystems (correction
// controls, image panes and preview, gallery, media library, control
// surfaces) and of its own later parts (main window, menus, interface
// colours). Each is a hook with the least behaviour the shell needs; the
// subsystems replace them as they are built.
#pragma once

#include <cstdint>

#include "core/frame_buffer.h"
#include "core/settings_record.h"
#include "platform/status.h"
#include "settings/comm_block.h"

struct UIServiceHooks {
  // Correction controls: bring the controls up to a record (previous null:
  // every control), end typing without applying it, apply the input
  // linearization record to a frame, show or hide help tags.
  void (*syncControls)(const VL_SettingsStruct* settings, VLSettingsSectionMask mask,
                       const VL_SettingsStruct* previous);
  void (*endEditing)();
  void (*applyInputLinearization)(FBFrameStruct* frame, const uint32_t record[8]);
  void (*setHelpTagsShown)(bool shown);

  // Image panes and preview: redraw the panes from the frames, hand the pane
  // images to the panes, their pixel aspect, the preview pane's frame, the
  // secondary monitor, video output and external preview, and how many
  // transports play (with a pause for all of them).
  void (*redrawImagePanes)(bool drawNow);
  void (*setPaneImages)();
  void (*setPanesPixelAspect)(float aspect);
  void (*reloadPreviewFrame)();
  void (*openSecondaryPreview)(int32_t monitor);
  void (*updateSecondaryPreview)(bool drawNow);
  void (*startVideoOutput)(uint32_t device);
  void (*stopVideoOutput)(uint32_t device);
  void (*updateVideoOutputFrame)(uint32_t device);
  bool (*externalPreviewAvailable)();
  void (*openExternalPreview)();
  void (*closeExternalPreview)();
  void (*stopPreviewPlayback)();
  int32_t (*playingTransports)();
  void (*pauseTransports)();
  void (*deferredPlaybackWork)();

  // Gallery and interchange: project footage, the stored gallery list, the
  // XML parser's start and end.
  void (*addProjectFootage)(uint32_t count, const CCFootageRecord* records);
  void (*loadGallery)();
  void (*saveGallery)();
  QVStatus (*xmlInitialize)();
  void (*xmlTerminate)();

  // Media library.
  QVStatus (*mediaInitialize)();

  // Control surfaces: started by the "Control Surface Mode" preference
  // (2 the USB panel, 3 or 4 the linked surface), blanked and closed at the end.
  void (*surfaceStart)(int32_t mode);
  void (*surfaceStop)();

  // The shell's later parts: interface colours, main window, menu bar,
  // the menus that need an exchange, idle messages to live controls.
  void (*initInterfaceColors)();
  void (*applyInterfaceLook)(int32_t brightness16_16, int32_t saturation16_16);
  QVStatus (*buildMainWindow)();
  void (*showMainWindow)(bool shown);
  void (*buildMenuBar)();
  void (*enableExchangeMenus)(bool enabled);
  void (*idleControls)();
  // Selects the main window's tab (of any tab group) whose name is given,
  // as a click on it would; false when no tab has that name.
  bool (*selectTabNamed)(const char* name);

  // Image panes and preview, continued: shows or hides the secondary
  // preview window when one is open, without closing it (the program
  // gaining or losing the focus).
  void (*showSecondaryPreview)(bool shown);

  // Control surfaces, continued: runs the editor of the surface's page and
  // control definitions (the status of writing the definitions file).
  QVStatus (*openSurfaceEditor)();
};

// The hooks in force; callers replace entries before start-up. Until the
// shell puts its least behaviour in force (UIResetHooks) each does nothing.
UIServiceHooks& UIHooks();
// Every hook doing nothing (or answering "none", "ready"): the table the
// shell's least behaviour starts from.
const UIServiceHooks& UIQuietHooks();
