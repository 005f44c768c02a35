// The headless backend's test hooks: scripted input and a configurable set
// of displays. Events are queued with the clock time they happen at (now
// when at < 0) and handed to the loop in order once the clock reaches it.
// They act on the running headless toolkit and do nothing without one;
// shutting the toolkit down drops whatever is still queued.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/ui_event.h"

struct TKImage;

void TKInjectEvent(const TKEvent& e, double at = -1);
void TKInjectMouseDown(TKWindow* w, TKPoint where, uint32_t modifiers = 0, double at = -1);
void TKInjectMouseUp(TKWindow* w, TKPoint where, uint32_t modifiers = 0, double at = -1);
void TKInjectMouseDrag(TKWindow* w, TKPoint where, uint32_t modifiers = 0, double at = -1);
void TKInjectMouseMove(TKWindow* w, TKPoint where, double at = -1);
void TKInjectClick(TKWindow* w, TKPoint where, uint32_t modifiers = 0, int32_t clickCount = 1);
// A click as input of whichever backend runs: injected into the headless
// one, through the platform's own queue for the SDL one.
void TKPostClick(TKWindow* w, TKPoint where);
void TKInjectRightClick(TKWindow* w, TKPoint where);
void TKInjectWheel(TKWindow* w, TKPoint where, double dy);
// A key to the key window; charCode as in ui_types.h or a printable character.
void TKInjectKey(uint32_t charCode, uint32_t modifiers = 0, double at = -1);
// A function key by virtual key code (kTKKeyCodeF1...).
void TKInjectFunctionKey(uint32_t keyCode, uint32_t modifiers = 0);
// The modifier keys change to `modifiers`.
void TKInjectModifiers(uint32_t modifiers, double at = -1);
// The program as a whole gains (true) or loses (false) the focus, as when
// the user switches to or from another program.
void TKInjectAppActivation(bool active, double at = -1);
// Each character of the text as a key.
void TKInjectText(const char* utf8);
size_t TKPendingInputCount();
// Replaces the displays (default: one of 1600 x 1000).
void TKSetHeadlessDisplays(const std::vector<TKRect>& displays);
int32_t TKHeadlessBeepCount();

// A source of scripted input that runs on the loop (a script of steps):
// while `pending` says more may come, a modal window or alert of a headless
// run waits for it; once it says no more, the window takes its default at
// once. Null: no such source.
void TKSetScriptedInputPending(bool (*pending)());
// The visible windows as the screen stacks them, front first.
std::vector<TKWindow*> TKHeadlessScreenOrder();
// The window the platform sends keys to, or null.
TKWindow* TKHeadlessKeyboardWindow();
// Windows are presented as on a screen (off by default): the picture each
// window last showed, or null, and the number of presents so far.
void TKSetHeadlessPresenting(bool presenting);
TKImage* TKHeadlessPresentedImage(TKWindow* window);
int64_t TKHeadlessPresentCount();
