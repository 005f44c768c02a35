// A script of input for running the application without a person: one
// instruction a line, carried out in order on the event loop. Blank lines
// and lines starting with '#' are skipped.
//
//   wait SECONDS          let the application run that long
//   wait-exchange         until an exchange is attached and its frame shown
//   wait-idle             until no exchange is attached
//   key CHARACTER         a key to the key window ("return", "escape", or one character)
//   click X Y             a click in the main window at (X, Y)
//   command CODE          a command by its four characters, e.g. SCrs
//   menu CODE             the menu item carrying the command (1 to 4 characters,
//                         blanks added: "cut" is 'cut '), chosen as a person would:
//                         only when it is in the menu bar and enabled; writes
//                         "menu CODE chosen", "menu CODE disabled" or "menu CODE missing"
//   ok | cancel | undo | redo | quit     the commands of those names
//   set FIELD VALUE       edits a correction field by name, as a control does
//   print FIELD           writes "FIELD=VALUE" of the working correction to the log
//   slot store|recall N   stores the correction into, or recalls it from, slot N
//   screenshot PATH       writes the main window as a PNG
//   secondary-monitor N   opens the secondary monitor on display N (0 closes it)
//   rapid-preview pane|full|off
//                         starts a rapid preview of the current pane's clip
//                         (full screen with "full") or ends it
//   wait-preview          until the rapid preview's render has ended (its
//                         movie plays, or the preview was stopped)
//   preview-frames        writes "preview movie N PATH" (the cache movie's
//                         frames and file) and "preview shown FRAME MS" for
//                         each frame shown since the movie began to play, MS
//                         milliseconds after the first went up
//   screenshot-window secondary|full-screen|front PATH
//                         writes the secondary monitor's, the full-screen
//                         preview's or the front window (an open dialog) as a PNG
//   tab NAME              selects the tab of that name of the open Preferences
//                         window, else of the main window (the rest of the
//                         line, spaces included: "tab Luma Range")
//   frame-sum             writes "frame WIDTHxHEIGHT FINGERPRINT" of the frame
//                         received, in the host's pixel layout, to the log
//   result-pixel X Y      writes "result X Y AARRGGBB" of the corrected picture
//   memory                writes "memory peak BYTES", the application's peak
//                         resident memory so far, to the log
//   request-frame TIME    asks the plug-in for the frame at TIME and writes
//                         "request TIME WIDTHxHEIGHT FINGERPRINT", or "none"
//   load-source PATH      opens a still, movie or image sequence as the frame
//   load-reference PATH   to correct, or as the reference image; writes
//                         "load-source PATH done" or "... failed STATUS"
//   step N                steps the current image pane's clip by N frames and
//                         writes "step N STATUS" and "timecode TEXT"
//   play                  starts or stops the current pane's playback
//   timecode              writes "timecode TEXT", the current pane's readout
//   toggle-preview        asks the host to toggle its video preview and
//                         writes "toggle-preview STATUS"
//   answer-panel PATH     the next open, save or folder panel chooses PATH
//   wait-jobs             until no output job is running or waiting; writes
//                         "jobs done"
//   cancel-job            once the "Output Jobs" window lists a job, selects
//                         its last row and presses Cancel Job; writes
//                         "cancel-job CELLS cancelled" (or "not cancelled")
//
// Example:
//   wait-exchange
//   set hsl_master_saturation 1.5
//   ok
#pragma once

#include <string>

#include "platform/status.h"

// Reads the script; kQVErrFileNotFound or kQVErrParam (with the line in
// *error) when it cannot be used.
QVStatus UILoadInputScript(const std::string& path, std::string* error);
// Starts carrying it out on the event loop. In a run without a display the
// application ends once the script has run out (an exchange still open is
// left unfinished).
void UIStartInputScript();
// True while a started script has steps left to carry out.
bool UIInputScriptPending();
