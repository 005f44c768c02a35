#include "app/shell/ui_state.h"

VL_SettingsStruct gUISettings;
VL_SettingsStruct gUIDefaultSettings;
CCView gUIComm;
int32_t gUICommSegment = -1;
bool gUICommAttached = false;
uint32_t gUILinearization[8];
FBFrameStruct* gSourceFrame = nullptr;
FBFrameStruct* gResultFrame = nullptr;
FBFrameStruct* gReferenceFrame = nullptr;
UIImage* gDisplayImage = nullptr;
UIImage* gResultImage = nullptr;
UIImage* gSecondImage = nullptr;
UIImage* gSplitMask = nullptr;
UIImage* gFourthImage = nullptr;
double gKeepAliveDeadline = 0;
PLProcessSerial gUIHostProcess = 0;
UITimer* gUICommTimer = nullptr;
bool gDragInProgress = false;
bool gReprocessDeferred = false;
bool gRedrawRequested = false;
