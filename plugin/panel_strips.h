// The two button strips of the effect's panel: the button bar of the
// "Parameters" parameter (logo, Full, Load, Reset, About) and the strip of
// "Levels - Auto Correct" (Auto Color, Auto Exposure). Each button shows one
// of three pictures (up, down, rollover); most hosts arm a button on the
// click and act on release over it, a few act on the click at once.
#pragma once

#include <cstdint>
#include <string>

#include "platform/host/host_interface.h"
#include "plugin/plugin_data.h"

// 0, or 512 when the instance has no sequence data.
HIError HandleButtonUIEvents(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output,
                             HIEventExtra* event, VLGlobalData* globals);
HIError HandleLevelsUIEvents(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output,
                             HIEventExtra* event, VLGlobalData* globals);

// A button's state: 0 up, 1 down, 2 rollover.
enum : int32_t { kVLButtonUp = 0, kVLButtonDown = 1, kVLButtonRollover = 2 };
// The states of a strip's buttons (button bar: Full, Load, Reset, About;
// levels strip: Auto Color, Auto Exposure) and the armed button (-1 none).
struct VLStripState {
  int32_t state[4];
  int32_t armed;
  bool downShown;
};
VLStripState VLButtonBarState();
// Back to all up, nothing armed.
void VLResetStripStates();

struct VLUIColors {
  uint16_t background[3];
  uint16_t text[3];
  bool lightText;
};
void GetUIColors(const VLGlobalData* globals, const HIInData* in, VLUIColors* colors);

// Draws a PNG of the plug-in's resources at (x, y) of the event's strip; a
// missing or undecodable file draws nothing.
void DisplayResourceImage(int32_t imageID, const char* pngName, int32_t x, int32_t y, const HIInData* in,
                          const HIEventExtra* event);

// Shows the about box and returns when it closes.
void DisplayAboutBoxCocoa();

// The full path of a resource of the plug-in: in the folder named by
// VELMORA_PLUGIN_RESOURCES, else in "Velmora3RA64 Resources" beside the
// module that holds the plug-in.
std::string VLResourcePath(const char* name);
constexpr const char* kVLResourcesVariable = "VELMORA_PLUGIN_RESOURCES";
