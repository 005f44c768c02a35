#include "app/state/ui_state.h"

CCView gUIComm;
int32_t gUICommSegment = -1;
bool gUICommAttached = false;
bool gImageLoaded = false;
uint32_t gUILinearization[8];
FBFrameStruct* gUIArrivedFrame = nullptr;
double gKeepAliveDeadline = 0;
PLProcessSerial gUIHostProcess = 0;
bool gUIExchangeUnfinished = false;
TKTimer* gUICommTimer = nullptr;
bool gDragInProgress = false;
bool gReprocessDeferred = false;
bool gRedrawRequested = false;
