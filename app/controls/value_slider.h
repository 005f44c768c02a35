// The value slider: a label, a slider and at its right a readout that turns
// into an edit field when clicked, bound to one field of a settings record.
// Readouts of one pane form a tab chain that Tab walks as a ring.
#pragma once

#include <cstdint>

#include "platform/ui/ui_types.h"

struct TKControl;
struct TKWindow;
struct VL_SettingsStruct;

// Builds the composite in frame (moved 35 px down for the next control),
// enters the slider at table[offset / 4] when a table is given, and returns
// the slider.
TKControl* VFCreateValueSlider(TKWindow* window, TKRect* frame, const char* label, double min, double max,
                               double typedMin, double typedMax, uint32_t flags, TKControl* parent, void* base,
                               uint32_t offset, const void* defaults, int32_t idNumber, TKControl** table);

// What the slider does for a part of its track (22, 23) or its thumb (129).
void VFSliderActionProc(TKControl* slider, int16_t part);

void VFBeginEditing(TKControl* control);
void VFEndEditing(TKControl* control, bool commit);
// Ends the open edit field, if any (applying the typed value with commit).
void VFCommitPendingEdit(bool commit);

// Installs, once per window, the handler for keys, wheel, clicks and
// commands while a value is typed, and for contextual clicks on controls
// with a menu.
void VFInstallWindowHandler(TKWindow* window);

void VFBeginTabChain();
void VFCloseTabChain();

// Reads typed text as a number the way the edit field does: leading
// spaces skipped, the longest number at the start taken, 0 for no number.
double VFParseTypedNumber(const char* text);
// The control value for typed text: value x scale, rounded, clamped in
// double to [low, high] before conversion.
int32_t VFTypedControlValue(const char* text, double scale, int32_t low, int32_t high);
