// The toolkit's event loop: timers, file-descriptor watches, calls posted
// from other threads, running for a while, quitting, and a clock that tests
// replace with a fake one. Everything here except UIPostCall and UIWakeLoop
// runs on the main thread.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/status.h"

// Seconds on the loop's clock (monotonic; the fake clock starts at 0).
double UINow();
// The fake clock: time moves only by UIAdvanceClock or when the loop has
// nothing to do until the next timer, so waits take no real time.
void UIUseFakeClock(bool fake);
bool UIClockIsFake();
// Moves the fake clock forward and fires the timers that fall due.
void UIAdvanceClock(double seconds);

struct UITimer;
using UITimerProc = std::function<void(UITimer*)>;
// First after firstDelay seconds, then every interval seconds (0: once).
UITimer* UIInstallTimer(double firstDelay, double interval, UITimerProc proc);
void UIRemoveTimer(UITimer* timer);
// Moves the timer's next firing to now + delay.
void UISetTimerNextFire(UITimer* timer, double delay);

enum : uint32_t { kUIWatchRead = 1, kUIWatchWrite = 2 };
struct UIWatch;
using UIWatchProc = std::function<void(int fd, uint32_t ready)>;
UIWatch* UIWatchFD(int fd, uint32_t events, UIWatchProc proc);
void UIRemoveWatch(UIWatch* watch);

// Queues fn to run on the main thread in the loop and wakes the loop. Safe
// from any thread.
void UIPostCall(std::function<void()> fn);
// Wakes a waiting loop. Safe from any thread and from signal handlers.
void UIWakeLoop();
// Set by any thread or signal handler: the loop quits at its next turn.
void UIRequestQuit();
// Whether a quit was asked for; a program that decides not to quit (the
// user cancelled) clears it.
bool UIQuitRequested();
void UIClearQuitRequest();

// Runs the loop once: waits up to maxWait seconds for something to do, then
// does it (posted calls, due timers, watches, input events, redraws).
void UIRunOnce(double maxWait);
// Runs for the given number of seconds or until UIQuitLoop.
void UIRunFor(double seconds);
// Runs until pred is true, UIQuitLoop or the time-out; returns pred().
bool UIRunUntil(const std::function<bool()>& pred, double timeoutSeconds);
// Runs until UIQuitLoop.
void UIRunLoop();
void UIQuitLoop();
// Handles every input event already queued, with the timers due meanwhile.
void UIRunPending();
