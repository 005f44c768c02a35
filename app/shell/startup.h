// The grading application's program: start-up in order with its progress
// window and checks, the event loop with the exchange timer, the orderly
// shutdown and the quit and open-documents requests.
#pragma once

#include <cstdint>
#include <string>

#include "platform/status.h"

struct TKWindow;

// Runs the whole program; the exit status.
int UIMain(int argc, char** argv);

// Options of the program.
struct UIOptions {
  bool headless = false;
  std::string script;       // script of input (implies headless)
  int32_t displayWidth = 0;  // headless display size; 0 the toolkit's default
  int32_t displayHeight = 0;
  int32_t secondWidth = 0;   // a second headless display to the right of the first; 0 none
  int32_t secondHeight = 0;
};
// Parses the command line and the environment (VELMORA_UI_SCRIPT,
// VELMORA_UI_HEADLESS, VELMORA_UI_DISPLAY). Returns -1 to go on, or the exit
// status after --help, --version or a bad option.
int UIParseOptions(int argc, char** argv, UIOptions* options);

// The start-up progress window: 351 x 303, steps 0 to 8. A null window
// makes every step do nothing.
TKWindow* OpenProgressWindow();
void SetProgressStep(TKWindow* window, int32_t step);
void CloseProgressWindow(TKWindow* window);

// The quit request (SIGTERM and SIGINT stand for it): stops the output,
// lets go of the block without writing a state, stops playback and ends the
// event loop. Preferences and saved slots are saved as the Quit command does.
QVStatus AEHandlerQuitApplication();
// Documents are not opened: every request is declined.
QVStatus AEHandlerOpenDocuments();
