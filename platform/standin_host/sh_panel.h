// The stand-in host's effect panel: the areas of the parameters that draw
// themselves (stacked top to bottom in parameter order), drawn through the
// host's drawing suites onto one picture, and the user's clicks, drags,
// releases, keys, pointer movement and context-menu choices sent into them
// as a host sends them. A panel script drives it line by line; the picture
// can be written to a PNG at any point.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/standin_host/sh_host.h"
#include "platform/ui/ui_draw.h"

struct SHPanelArea {
  int32_t index = 0;  // the parameter's index
  int32_t id = 0;     // its identifier
  HIRect rect{};      // in panel pixels
};

struct SHPanel {
  SHHost* host = nullptr;
  std::vector<SHPanelArea> areas;
  int32_t width = 0, height = 0;
  // The frame layer checkouts see outside a render (the current frame); null: none.
  const SHFrame* frame = nullptr;
  int32_t time = 0;
  // What "PF AE App Suite" answers.
  bool offer_app_suite = true;
  uint16_t background[3] = {60948, 60948, 60948};
  uint16_t text[3] = {0, 0, 0};
  // The gesture in progress: the area clicked, the values the effect keeps
  // between click and drags, whether it asked for drags.
  int32_t gesture_area = -1;
  int32_t refcon[4] = {0, 0, 0, 0};
  bool gesture_wants_drags = false;
  bool wants_next_drag = false;
  // What the effect asked for.
  int32_t cursor = 0;
  int32_t invalidations = 0;   // whole-interface redraw requests through the app suite
  int32_t redraws_now = 0;     // events answered with update-now
  uint32_t last_out_flags = 0; // the last event's answer
  uint32_t effect_out_flags = 0;  // the output flags of the last event command
  std::vector<std::string> undo_log;  // "begin <name>" and "end" in order
  TKImagePtr picture;          // the last drawing of the whole panel
  // Queues the next context menu's choice where the effect's menus take it
  // (the effect shows its own menus); empty: the script's menu lines fail.
  std::function<void(int32_t row)> choose_menu;
};

// Lays the panel out from the effect's parameters (after SHStartEffect) and
// makes it the panel the host's suites draw into and report to.
void SHPanelOpen(SHPanel* panel, SHHost* host);
void SHPanelClose(SHPanel* panel);
// The area of the parameter with the identifier, or null.
const SHPanelArea* SHPanelAreaOf(const SHPanel* panel, int32_t id);

// Events; x and y are relative to the parameter's area, modifiers the
// host's word (command 0x100, shift 0x200, control 0x1000).
HIError SHPanelClick(SHPanel* panel, int32_t id, int32_t x, int32_t y, uint32_t modifiers = 0);
// A drag of the gesture in progress (sent only while the effect asks for
// drags), and the release that ends it (sent when the click asked for drags).
HIError SHPanelDrag(SHPanel* panel, int32_t x, int32_t y, uint32_t modifiers = 0);
HIError SHPanelRelease(SHPanel* panel, int32_t x, int32_t y, uint32_t modifiers = 0);
// Pointer movement over an area; the cursor the effect asked for in panel->cursor.
HIError SHPanelMove(SHPanel* panel, int32_t id, int32_t x, int32_t y, uint32_t modifiers = 0);
HIError SHPanelKey(SHPanel* panel, int32_t id, uint32_t charCode, uint32_t modifiers = 0);
// Draws every area onto a fresh picture of the panel.
HIError SHPanelDraw(SHPanel* panel);
// Draws and writes the panel to a PNG.
QVStatus SHPanelWritePNG(SHPanel* panel, const char* path);

// Runs a panel script, one command a line ("#" starts a comment):
//   click <id> <x> <y> [modifiers]     drag <x> <y> [modifiers]
//   release <x> <y> [modifiers]        move <id> <x> <y> [modifiers]
//   key <id> <character> [modifiers]   menu <row>  (the next context menu's choice; 0 dismisses)
//   png <path>
// Modifiers are a number or names joined by '+': command, shift, option, control.
// False with the line and the reason at the first bad line or failing event.
bool SHRunPanelScript(SHPanel* panel, const std::string& script, std::string* error);
