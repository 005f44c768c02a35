// The grading application's working state: the exchange with the plug-in
// and keeping alive between exchanges. The correction, the frames and the
// pane pictures live with the panes (app/views/view_state.h).
#pragma once

#include <cstdint>

#include "app/state/view_state.h"
#include "core/frame_buffer.h"
#include "core/settings_record.h"
#include "platform/processes.h"
#include "settings/comm_block.h"

struct TKImage;
struct TKTimer;

// The attached block (block null while no exchange is attached) and the
// segment it came from.
extern CCView gUIComm;
extern int32_t gUICommSegment;
// Set once the first block was attached; playback steps only while set.
extern bool gUICommAttached;
// Set by the first frame imported whole; until then Cut, Copy, Paste and
// the timing test are refused.
extern bool& gImageLoaded;

// The application's copy of the input linearization record.
extern uint32_t (&gUILinearization)[8];
// The source frame as it last arrived, before the input linearization
// changed it (planar float, the source frame's size), so that a new record
// is applied to the arriving values and never on top of an earlier one.
extern FBFrameStruct*& gUIArrivedFrame;

// Keep-alive: the clock time (TKNow) until which the application waits for
// the next exchange, and the host process of the last one.
extern double gKeepAliveDeadline;
extern PLProcessSerial gUIHostProcess;
// Set when an exchange ended without being finished (its host ended or
// withdrew it, or the application could not go on): the program's exit
// status is then 1.
extern bool gUIExchangeUnfinished;

// The exchange timer.
extern TKTimer* gUICommTimer;
// Whether an edit should reprocess at once or after the drag (set by controls).
extern bool& gDragInProgress;
extern bool& gReprocessDeferred;
extern bool& gRedrawRequested;
