// Transport bars: the strip under an image pane that moves the pane's clip
// (the exchange's clip for the main image, a media clip for a clip pane) to
// its first or last frame, a frame back or forward, and plays it. The part
// mask says which parts the bar offers.
#pragma once

#include <cstdint>

#include "platform/status.h"
#include "platform/ui/ui_types.h"

struct TKControl;
struct TKWindow;

enum : uint32_t {
  kTransportZoomPan = 1,       // zoom and pan tools
  kTransportArrow = 2,         // arrow tool
  kTransportPlayback = 4,      // to start, step back, stop, play, step forward, to end
  kTransportTimecode = 8,      // timecode readout
  kTransportRapidPreview = 16, // the rapid-preview button
  kTransportAllParts = 31,
};

// The preview movie plays, or a rapid preview renders (Escape stops them).
extern bool gPreviewPlaying;
extern bool gRapidPreviewRendering;

// Creates a bar in window over bounds with control ID ('VFtb', idNumber).
QVStatus CreateTransportBar(TKWindow* window, const TKRect& bounds, int32_t idNumber, uint32_t parts,
                            TKControl** outBar);
// The pane the bar drives (null: none).
void TransportSetPane(TKControl* bar, TKControl* pane);
TKControl* TransportGetPane(TKControl* bar);
uint32_t TransportGetParts(TKControl* bar);
bool TransportIsPlaying(TKControl* bar);
// How many bars play.
int32_t TransportPlayingCount();
void TransportPauseAll();

// The actions: the clip's first and last frame, one frame back and forward,
// playback on and off. Each does nothing for a bar without a clip.
void TransportGoToBeginning(TKControl* bar);
void TransportGoToEnd(TKControl* bar);
void TransportStepBackward(TKControl* bar);
void TransportStepForward(TKControl* bar);
// Moves the clip by a number of frames (negative: back), held to its ends.
void TransportStep(TKControl* bar, int32_t frames);
void TransportTogglePlay(TKControl* bar);
