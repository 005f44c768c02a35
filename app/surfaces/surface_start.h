// Bringing the MIDI control surface (surface kinds 3 and 4) up and down:
// connecting the link with the preference values, greeting the surface with
// its start-up sequence and loading the definitions file, and blanking it
// when the application quits or the surface preferences change.
//
// Disconnected -> SurfaceConnect -> connected (network: at once; driver
// application: when its status reply arrives) -> SurfaceStart -> running
// (input taken once the surface announces itself) -> SurfaceResetDisplays
// -> SurfaceDisconnect.
#pragma once

#include <cstdint>

#include "platform/status.h"

// Start-up light chase, in order (256 and up: unit B).
extern const int32_t kSurfaceStartLights[22];

// False with surface kind 1 (none); else whether the link is connected.
bool SurfaceIsConnected();
// Unless the kind is 1: forgets pending input state and connects the link
// with the preferences' interface, address and port.
void SurfaceConnect();
// Unless the kind is 1: the start-up sequence, the timers (installed once
// however often the surface starts), the definitions file, page 1.
void SurfaceStart();
// Blanks the surface and stops its input.
void SurfaceResetDisplays();
// Closes the link and removes the surface's timers.
void SurfaceDisconnect();

// The start-up sequence's waits, in ticks of 1/60 second; they block by
// default. Tests put a procedure of their own in place (null: back to the
// default).
using SurfaceTickWait = void (*)(int32_t ticks);
void SurfaceSetTickWait(SurfaceTickWait wait);
// Whether the poll and shuttle timers are installed (for tests).
int32_t SurfaceTimerCount();

// The definitions commands: save to the file chosen (a failure is reported
// naming the file and the reason) and load from it (a running surface then
// shows its page again).
QVStatus SurfaceSaveDefinitionsCommand(const char* path, const char* name);
QVStatus SurfaceLoadDefinitionsCommand(const char* path);

// Puts the surface on the application's hooks: the shell's start and stop
// for surface kinds 3 and 4, the definitions commands, the controls' page
// refresh, the main window's slot keys and the playback step's jog.
void SurfaceInstall();
