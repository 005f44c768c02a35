#include "app/state/view_state.h"

VL_SettingsStruct gUISettings;
VL_SettingsStruct gUIDefaultSettings;

FBFrameStruct* gSourceFrame = nullptr;
FBFrameStruct* gResultFrame = nullptr;
FBFrameStruct* gReferenceFrame = nullptr;

UIImage* gResultGWorld = nullptr;
UIImage* gSourceGWorld = nullptr;
UIImage* gReferenceGWorld = nullptr;
UIImage* gSplitGWorld = nullptr;
UIImage* gSplitMaskGWorld = nullptr;
UIImage* gSecondaryGWorld = nullptr;

ImageViewMode gImageViewMode = kImageViewResult;
AnalysisPaneKind gAnalysisPaneKind = kAnalysisCombo;
int32_t gCorrectionTab = kCorrectionTabHSL;
int32_t gLevelsChannel = kLevelsChannelMaster;
int32_t gPaneLayout = 1;
UIControl* gCurrentImagePane = nullptr;
bool gUpdatesSuspended = false;
