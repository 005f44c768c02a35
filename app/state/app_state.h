// The grading application's state in one object: the working record and its
// defaults, the frames and pictures, the view selections, the undo ring and
// the saved-slot number, and the edit flags. The names the rest of the
// application uses (gUISettings, gSourceFrame, gUndoBuffer ...) are
// references into it, so a reset reaches every one of them at once.
#pragma once

#include <cstdint>

#include "app/state/view_state.h"
#include "core/frame_buffer.h"
#include "core/settings_record.h"

struct TKImage;
struct TKControl;
struct UndoBuffer;

struct UIAppState {
  VL_SettingsStruct settings{};         // gUISettings
  VL_SettingsStruct defaultSettings{};  // gUIDefaultSettings
  // Frames (gSourceFrame, gResultFrame, gReferenceFrame) and the frame as it
  // arrived (gUIArrivedFrame).
  FBFrameStruct* sourceFrame = nullptr;
  FBFrameStruct* resultFrame = nullptr;
  FBFrameStruct* referenceFrame = nullptr;
  FBFrameStruct* arrivedFrame = nullptr;
  // Pictures (gResultGWorld ... gSecondaryGWorld).
  TKImage* resultPicture = nullptr;
  TKImage* sourcePicture = nullptr;
  TKImage* referencePicture = nullptr;
  TKImage* splitPicture = nullptr;
  TKImage* splitMaskPicture = nullptr;
  TKImage* secondaryPicture = nullptr;
  // View selections.
  ImageViewMode imageViewMode = kImageViewResult;
  AnalysisPaneKind analysisPaneKind = kAnalysisCombo;
  int32_t correctionTab = kCorrectionTabHSL;
  int32_t levelsChannel = kLevelsChannelMaster;
  int32_t paneLayout = 1;
  TKControl* currentImagePane = nullptr;
  bool updatesSuspended = false;
  // Undo ring and the last saved slot.
  UndoBuffer* undo = nullptr;
  int32_t lastSavedSettingsSlot = 0;
  // The exchange's picture state and the edit flags.
  bool imageLoaded = false;
  uint32_t linearization[8] = {};
  bool dragInProgress = false;
  bool reprocessDeferred = false;
  bool redrawRequested = false;
};

extern UIAppState gUIState;

// Puts the state back as the application starts: frames, pictures and the
// undo ring disposed, the working record and its defaults at the defaults,
// every selection and flag at its first value, the preferences copy at the
// defaults and the saved slots empty; then an undo ring of undoDepth
// snapshots (none for 0). Start-up and the tests' fixtures start from it.
void UIResetState(uint32_t undoDepth);
