#include "app/state/view_state.h"

VL_SettingsStruct gUISettings;
VL_SettingsStruct gUIDefaultSettings;

FBFrameStruct* gSourceFrame = nullptr;
FBFrameStruct* gResultFrame = nullptr;
FBFrameStruct* gReferenceFrame = nullptr;

TKImage* gResultGWorld = nullptr;
TKImage* gSourceGWorld = nullptr;
TKImage* gReferenceGWorld = nullptr;
TKImage* gSplitGWorld = nullptr;
TKImage* gSplitMaskGWorld = nullptr;
TKImage* gSecondaryGWorld = nullptr;

ImageViewMode gImageViewMode = kImageViewResult;
AnalysisPaneKind gAnalysisPaneKind = kAnalysisCombo;
int32_t gCorrectionTab = kCorrectionTabHSL;
int32_t gLevelsChannel = kLevelsChannelMaster;
int32_t gPaneLayout = 1;
TKControl* gCurrentImagePane = nullptr;
bool gUpdatesSuspended = false;
