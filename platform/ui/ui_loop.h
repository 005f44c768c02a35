// The toolkit's event loop: timers, file-descriptor watches, calls posted
// from other threads, running for a while, quitting, and a clock that tests
// replace with a fake one. Everything here except TKPostCall and TKWakeLoop
// runs on the main thread.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/status.h"

// Seconds on the loop's clock (monotonic; the fake clock starts at 0).
double TKNow();
// The fake clock: time moves only by TKAdvanceClock or when the loop has
// nothing to do until the next timer, so waits take no real time.
void TKUseFakeClock(bool fake);
bool TKClockIsFake();
// Moves the fake clock forward and fires the timers that fall due.
void TKAdvanceClock(double seconds);

struct TKTimer;
using TKTimerProc = std::function<void(TKTimer*)>;
// First after firstDelay seconds, then every interval seconds (0: once).
TKTimer* TKInstallTimer(double firstDelay, double interval, TKTimerProc proc);
void TKRemoveTimer(TKTimer* timer);
// Moves the timer's next firing to now + delay.
void TKSetTimerNextFire(TKTimer* timer, double delay);

enum : uint32_t { kTKWatchRead = 1, kTKWatchWrite = 2 };
struct TKWatch;
using TKWatchProc = std::function<void(int fd, uint32_t ready)>;
TKWatch* TKWatchFD(int fd, uint32_t events, TKWatchProc proc);
void TKRemoveWatch(TKWatch* watch);

// Queues fn to run on the main thread in the loop and wakes the loop. Safe
// from any thread.
void TKPostCall(std::function<void()> fn);
// Wakes a waiting loop. Safe from any thread and from signal handlers.
void TKWakeLoop();
// Set by any thread or signal handler: the loop quits at its next turn.
void TKRequestQuit();
// Whether a quit was asked for; a program that decides not to quit (the
// user cancelled) clears it.
bool TKQuitRequested();
void TKClearQuitRequest();

// Runs the loop once: waits up to maxWait seconds for something to do, then
// does it (posted calls, due timers, watches, input events, redraws).
void TKRunOnce(double maxWait);
// Runs for the given number of seconds or until TKQuitLoop.
void TKRunFor(double seconds);
// Runs until pred is true, TKQuitLoop or the time-out; returns pred().
bool TKRunUntil(const std::function<bool()>& pred, double timeoutSeconds);
// Runs until TKQuitLoop.
void TKRunLoop();
void TKQuitLoop();
// Handles every input event already queued, with the timers due meanwhile.
void TKRunPending();
