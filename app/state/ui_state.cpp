#include "app/state/ui_state.h"

#include "app/state/app_state.h"

CCView gUIComm;
int32_t gUICommSegment = -1;
bool gUICommAttached = false;
bool& gImageLoaded = gUIState.imageLoaded;
uint32_t (&gUILinearization)[8] = gUIState.linearization;
FBFrameStruct*& gUIArrivedFrame = gUIState.arrivedFrame;
double gKeepAliveDeadline = 0;
PLProcessSerial gUIHostProcess = 0;
bool gUIExchangeUnfinished = false;
TKTimer* gUICommTimer = nullptr;
bool& gDragInProgress = gUIState.dragInProgress;
bool& gReprocessDeferred = gUIState.reprocessDeferred;
bool& gRedrawRequested = gUIState.redrawRequested;
