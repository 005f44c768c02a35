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

void UIInjectEvent(const UIEvent& e, double at = -1);
void UIInjectMouseDown(UIWindow* w, UIPoint where, uint32_t modifiers = 0, double at = -1);
void UIInjectMouseUp(UIWindow* w, UIPoint where, uint32_t modifiers = 0, double at = -1);
void UIInjectMouseDrag(UIWindow* w, UIPoint where, uint32_t modifiers = 0, double at = -1);
void UIInjectMouseMove(UIWindow* w, UIPoint where, double at = -1);
void UIInjectClick(UIWindow* w, UIPoint where, uint32_t modifiers = 0, int32_t clickCount = 1);
void UIInjectRightClick(UIWindow* w, UIPoint where);
void UIInjectWheel(UIWindow* w, UIPoint where, double dy);
// A key to the key window; charCode as in ui_types.h or a printable character.
void UIInjectKey(uint32_t charCode, uint32_t modifiers = 0, double at = -1);
// A function key by virtual key code (kUIKeyCodeF1...).
void UIInjectFunctionKey(uint32_t keyCode, uint32_t modifiers = 0);
// The modifier keys change to `modifiers`.
void UIInjectModifiers(uint32_t modifiers, double at = -1);
// The program as a whole gains (true) or loses (false) the focus, as when
// the user switches to or from another program.
void UIInjectAppActivation(bool active, double at = -1);
// Each character of the text as a key.
void UIInjectText(const char* utf8);
size_t UIPendingInputCount();
// Replaces the displays (default: one of 1600 x 1000).
void UISetHeadlessDisplays(const std::vector<UIRect>& displays);
int32_t UIHeadlessBeepCount();

// A source of scripted input that runs on the loop (a script of steps):
// while `pending` says more may come, a modal window or alert of a headless
// run waits for it; once it says no more, the window takes its default at
// once. Null: no such source.
void UISetScriptedInputPending(bool (*pending)());
