// The fake panel's script: one command a line, '#' starts a comment.
//
//   press B | release B     button B (0-40) goes down or up
//   click B | double B      one or two releases of button B
//   turn E N                encoder E (0-18, or knob0-knob8, ring1-ring3,
//                           ball1x ... ball3y, jog) turns by N (-128 to 127)
//   report HH HH ...        a raw input report of hex bytes
//   wait S                  S seconds pass (timers fire: clicks act after 0.3 s)
//   shift on | shift off    the Shift key
//   vanish                  the device disappears
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class FakePanelStep { kReport, kWait, kShift, kVanish };

struct FakePanelCommand {
  FakePanelStep step = FakePanelStep::kReport;
  std::vector<uint8_t> report;  // kReport
  double seconds = 0;           // kWait
  bool on = false;              // kShift
  int32_t line = 0;
};

// Turns the script's text into commands; false with a message naming the
// line and the reason for the first line that is not a command.
bool FakePanelParse(const std::string& text, std::vector<FakePanelCommand>* out, std::string* error);
