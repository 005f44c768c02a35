// What the MIDI surface's knobs, trackballs and buttons do. Every event of
// the link arrives in SurfaceHandleInput as {control code, value} on the
// main thread. A code is first offered to the current page's definitions;
// only when none takes it does the built-in handling of the surface's fixed
// controls run: transport, saved-settings slots, shift, bank lights, page
// selection, shuttle ring and jog wheel, a double press that resets the
// whole correction, and single/double click detection for the navigation
// and select buttons.
//
// Two repeating timers complete it: the 0.02-second poll timer coalesces
// reprocessing (the picture follows at the first tick without a new change,
// or after eleven ticks of changes in a row) and times out clicks; the
// 0.1-second shuttle timer moves the clip by the shuttle speed.
#pragma once

#include <cstdint>

#include "app/surfaces/surface_definitions.h"

struct TKControl;
struct TKTimer;

struct SurfaceInputState {
  uint8_t ready = 0;          // set by the surface's announcement (512 with value 1)
  int32_t currentSlot = 0;    // saved-settings slot 1 to 8 last selected
  uint8_t shift = 0;
  int32_t shuttleSpeed = 0;   // frames per 0.1-second tick
  int32_t pendingCode = -1;   // button whose click is being counted, -1 none
  int32_t clickCount = 0;
  int32_t clickTicks = 0;
  int32_t singleCode = 0;
  int32_t doubleCode = 0;
  uint8_t resetWindowOpen = 0;
  TKTimer* resetWindowTimer = nullptr;
  uint8_t resetHeld = 0;      // page_s8 is down
  uint8_t reprocessWanted = 0;
  uint8_t updatePending = 0;
  int32_t burstCount = 0;
  int32_t quietTicks = 0;
  int32_t lastTab[3] = {};    // left pane, right pane, settings tab group
  TKControl* surfacePane = nullptr;
};
extern SurfaceInputState gSurfaceInput;

// Shuttle speeds by ring position + 12.
extern const int32_t kSurfaceShuttleSpeeds[25];
// Ticks of the poll timer after which a pending click is resolved (0.3 s).
constexpr int32_t kSurfaceClickTicks = 15;
constexpr double kSurfaceResetWindowSeconds = 0.25;

// The input callback of the link.
void SurfaceHandleInput(int16_t code, int32_t value);
// The callback as the link calls it.
void SurfaceInputCallbackProc(int16_t code, int32_t value, int32_t flags);
// True when a definition of the page has the code (whatever its action did).
bool SurfaceApplyControlDelta(const SurfaceControlDefinition* first, int32_t count, int16_t code, int32_t delta);
// A slot stored or recalled from the keyboard: recorded, lit, and the
// page's lights sent again.
void SurfaceSelectSlot(int16_t slot, uint8_t shift);

void SurfacePollTimer();
void SurfaceShuttleTimer();
void SurfaceResetWindowTimer();

// Forgets every pending click, reset window, reprocess and shuttle state
// (the reset window's timer is removed); the ready flag is cleared.
void SurfaceInputReset();
