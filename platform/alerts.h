// The alert sink: every alert of the system goes through one small table of
// functions. A program without a window uses the default sink, which writes
// the alert to the diagnostic log and answers with the default button; the
// toolkit replaces it with one that shows real windows; tests install the
// scripted sink of alert_script.h.
#pragma once

#include <cstdint>

enum PLAlertKind {
  kPLAlertError,         // one button
  kPLAlertConfirm,       // default button and "Cancel"
  kPLAlertAlternatives,  // default button and an optional alternate button
};

enum PLAlertAnswer {
  kPLAnswerDefault = 1,
  kPLAnswerOther = 2,  // "Cancel" or the alternate button
};

constexpr int32_t kPLAlertLevelFatal = 2;

struct PLAlertRequest {
  PLAlertKind kind;
  int32_t level;               // 2 fatal; 1 and 3 report
  const char* title;           // may be empty
  const char* message;
  const char* detail;          // alternatives alert only, else null
  const char* defaultButton;   // null: the sink's own ("OK", or "Quit" when fatal)
  const char* otherButton;     // null: none (alternatives) or "Cancel"
};

struct PLAlertSink {
  // Shows the alert and returns the button chosen.
  PLAlertAnswer (*show)(const PLAlertRequest& request, void* context);
  void* context;
};

// Shows the alert through the current sink. It does not end the program:
// the callers decide that from the level (see PLFatalExit).
PLAlertAnswer PLShowAlert(const PLAlertRequest& request);

// Replaces the sink; null restores the default (log) sink.
void PLSetAlertSink(const PLAlertSink* sink);
// The sink now in use (to be wrapped by another).
PLAlertSink PLGetAlertSink();

// Ends the program after a fatal alert through the exit hook (by default
// std::exit with status 1). A test hook may throw to observe the exit; a hook
// that returns is followed by std::abort.
[[noreturn]] void PLFatalExit(int status);
using PLFatalExitHook = void (*)(int status);
// Replaces the hook; null restores the default.
void PLSetFatalExitHook(PLFatalExitHook hook);
