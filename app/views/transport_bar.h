// Transport bars: the strip under an image pane that moves the pane's clip
// to its first or last frame, a frame back or forward, plays it, shows the
// position as timecode and offers the pane's pointer tools (arrow, zoom,
// pan). The clip is the pane's media clip when it has one, otherwise (for
// the main image panes) the exchange's clip, whose frames the plug-in
// renders on request. The part mask says which parts the bar offers.
#pragma once

#include <cstddef>
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

// The result of a step that met the start or the end of its clip.
constexpr QVStatus kTransportStepClamped = -2015;
// Bars that play at once.
constexpr int32_t kTransportMaxPlaying = 10;

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
// Whether the bar is on the playing list.
bool TransportIsPlaying(TKControl* bar);
// How many bars are on the playing list, and how many of them play the
// exchange's clip (the others play media clips).
int32_t TransportPlayingCount();
int32_t TransportHostPlayingCount();
// Takes every bar off the playing list.
void TransportPauseAll();
// Stops the first playing bar (and the others with it): the list is cleared.
void StopAllPreviewPlayback();

// The actions. Each does nothing for a bar without a pane or a clip. While
// the bar's rapid preview movie plays they move the movie instead.
void TransportGoToBeginning(TKControl* bar);
void TransportGoToEnd(TKControl* bar);
void TransportStepBackward(TKControl* bar);
void TransportStepForward(TKControl* bar);
// Moves the clip by a number of frames (negative: back) and loads that
// frame: 0, or kTransportStepClamped when the start or the end held it.
// A count of 0 does nothing and answers 0.
QVStatus TransportStep(TKControl* bar, int32_t frames);
// Puts the bar on the playing list (the eleventh is refused: not listed,
// not marked playing); pausing takes it off; toggling does one or the other.
// On the bar of a rapid preview, Play ends a render with the frames rendered
// so far, and all three play or pause the movie.
void TransportPlay(TKControl* bar);
void TransportPause(TKControl* bar);
void TransportTogglePlay(TKControl* bar);
// Stops playback of the bar and loads its current frame again.
void TransportStop(TKControl* bar);

// The transport keys (Home, End, the left and right arrows, space) and the
// action each takes on a bar; null for any other key.
using TransportAction = void (*)(TKControl* bar);
TransportAction TransportKeyAction(uint32_t charCode, uint32_t keyCode);

// Loads and shows the current frame of the pane's clip; false when the pane
// has none or it could not be loaded.
bool TransportLoadFrame(TKControl* pane);
// Brings the timecode readouts of the pane's bar up to its clip's position:
// a media clip's own timecode, the exchange's clip's frame in the
// exchange's timecode format, or, while the pane's rapid preview movie
// plays, the movie's timecode in that format.
void TransportSyncPosition(TKControl* pane);
// Writes the frame as timecode (rate x 100, display mode 0 or 1 timecode, 2
// frame numbers, 3 feet and frames; dropFrame non-zero counts drop-frame)
// into the bar's readout, and draws it when drawNow.
void TransportUpdateTimecode(TKControl* bar, int64_t frame, int32_t rate100, int32_t mode, int32_t dropFrame,
                             int32_t fieldFlag, int32_t framesPerFoot, bool drawNow);
// The bar's readout text.
const char* TransportGetTimecodeText(TKControl* bar);
// The pane's current position as timecode text; empty when it has no clip.
void GetPaneTimecodeText(TKControl* pane, char* buffer, size_t size);
// Draws the pane's bar at once, or invalidates it.
void RedrawTransportBar(TKControl* pane, bool drawNow);

// Steps the bars that play media clips, each at its clip's rate, and brings
// the readouts of the bars that play the exchange's clip (stepped by the
// exchange timer) up to its position.
void TransportMediaPlaybackTick();
