#include "app/state/view_state.h"

#include "app/state/app_state.h"

// The names of the state the panes and controls use, in the state object.
VL_SettingsStruct& gUISettings = gUIState.settings;
VL_SettingsStruct& gUIDefaultSettings = gUIState.defaultSettings;

FBFrameStruct*& gSourceFrame = gUIState.sourceFrame;
FBFrameStruct*& gResultFrame = gUIState.resultFrame;
FBFrameStruct*& gReferenceFrame = gUIState.referenceFrame;

TKImage*& gResultGWorld = gUIState.resultPicture;
TKImage*& gSourceGWorld = gUIState.sourcePicture;
TKImage*& gReferenceGWorld = gUIState.referencePicture;
TKImage*& gSplitGWorld = gUIState.splitPicture;
TKImage*& gSplitMaskGWorld = gUIState.splitMaskPicture;
TKImage*& gSecondaryGWorld = gUIState.secondaryPicture;

ImageViewMode& gImageViewMode = gUIState.imageViewMode;
AnalysisPaneKind& gAnalysisPaneKind = gUIState.analysisPaneKind;
int32_t& gCorrectionTab = gUIState.correctionTab;
int32_t& gLevelsChannel = gUIState.levelsChannel;
int32_t& gPaneLayout = gUIState.paneLayout;
TKControl*& gCurrentImagePane = gUIState.currentImagePane;
bool& gUpdatesSuspended = gUIState.updatesSuspended;
