// The jog state the control surfaces leave for the application's playback
// step: while no transport plays, a surface's jog wheel adds the frames it
// turned to gJogFrames and sets gJogStepPending; every second playback tick
// the transport bar of gJogPane's image pane steps by that many frames and
// the state is cleared.
#pragma once

#include <cstdint>

struct TKControl;

extern uint8_t gJogStepPending;
extern int32_t gJogFrames;
// The image pane whose transport bar a jog moves (null: none).
extern TKControl* gJogPane;

// Adds turned frames and marks a step pending (the pane is kept when given).
void SurfaceJogAdd(TKControl* pane, int32_t frames);
// Clears the flag and the count (start-up, a new exchange).
void SurfaceJogClear();
// The playback step's share: every second call while a step is pending,
// steps the pane's transport bar and clears the state.
void SurfaceJogPlaybackTick();
