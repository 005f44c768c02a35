// The composite correction controls the tabs are built from: hue-offset
// wheels, the luma-range graph, levels controls, curve editors, eyedroppers
// and sample rows, the colour-match group and the match-colour panel. Each
// binds to fields of a settings record by byte offset and, given a table,
// enters itself there (gSettingsControls) at the offsets it edits.
#pragma once

#include <cstdint>

#include "platform/status.h"
#include "platform/ui/ui_types.h"

struct TKControl;
struct TKWindow;

// A hue-offset wheel with "Hue" and "Strength" readouts below it; takes
// control numbers idNumber to idNumber + 2.
TKControl* CreateHueWheel(TKWindow* window, const TKRect& bounds, const char* label, TKControl* parent, void* base,
                          uint32_t wheelOffset, uint32_t angleOffset, uint32_t strengthOffset, int32_t idNumber,
                          TKControl** table);

// The luma-range graph over the luma histogram, bound to the section at
// slotOffset (shadow x, y, highlight x, y follow the section's first word).
TKControl* CreateLumaRangeControl(TKWindow* window, const TKRect& bounds, const char* label, TKControl* parent,
                                  void* base, uint32_t kind, uint32_t slotOffset, int32_t idNumber, TKControl** table);

// The levels control of one channel (1 master, 2 red, 3 green, 4 blue) with
// its marker strip and input and output histograms; takes seven numbers.
// offsets: slot, input black, grey, white, output black, grey, white.
TKControl* CreateLevelsControl(TKWindow* window, const TKRect& bounds, const char* channelName, TKControl* parent,
                               int32_t channel, void* base, const uint32_t offsets[7], int32_t idNumber,
                               TKControl** table);

// A curve editor over one curve section (set index 0-6: master, red, green,
// blue, hue, saturation, lightness).
TKControl* CreateCurveEditor(TKWindow* window, const TKRect& bounds, const char* label, TKControl* parent, void* base,
                             int32_t curveIndex, uint32_t sectionOffset, int32_t idNumber, TKControl** table);

// What an eyedropper does with a picked colour (red, green, blue, 0..1)
// just before the colour is stored: the eyedropper, the colour, and whether
// to redraw and reprocess (always true from a pick).
using VFEyedropperProc = void (*)(TKControl* eyedropper, const float* rgb, bool redraw);

// A sticky 22 x 22 eyedropper button at frame's top-left (frame moves down
// 24 px): a click in an image pane stores the colour at base + offset and
// runs proc.
TKControl* VFCreateEyedropperButton(TKWindow* window, TKRect* frame, TKControl* parent, void* base, uint32_t offset,
                                    int32_t idNumber, TKControl** table, int32_t pictureID, int32_t cursorID,
                                    bool undo, bool picker, VFEyedropperProc proc, TKControl** out);
// Makes the eyedropper with the control's ID number write each picked
// colour also into the triple of the sample swatch numbered idNumber (the
// colour-match group feeding the match-colour panel's source).
void VFSetEyedropperSecondTarget(TKControl* control, int32_t idNumber);
// A colour sample row: check box on the enable word, eyedropper and swatch
// on the colour triple (frame moves down 30 px). Returns the check box.
TKControl* VFCreateSampleRow(TKWindow* window, TKRect* frame, const char* label, TKControl* parent, void* base,
                             uint32_t rgbOffset, uint32_t enableOffset, int32_t idNumber, TKControl** table);
// The colour-match eyedropper, sample and result swatches and channel
// readout popup (menu 150) on the sampler section (frame moves down 113 px).
QVStatus VFCreateColorMatchGroup(TKWindow* window, TKRect* frame, TKControl* parent, void* base, uint32_t rgbOffset,
                                 int32_t idNumber, TKControl** out);
// The match-colour panel: "Match Color" button, eyedropper, source and
// target swatches and the mode popup (frame moves down 113 px).
QVStatus CreateMatchColorPanel(TKWindow* window, TKRect* frame, TKControl* parent, void* base, uint32_t sourceOffset,
                               uint32_t targetOffset, int32_t idNumber, TKControl** out);
// Puts the match-colour source popup on menuID and activates the panel, or
// deactivates it.
void RebuildMatchColorPopup(TKControl* anyPanelControl, bool active, int32_t menuID);
// The match-colour controls for a correction tab (0-8).
void SetMatchColorMode(int32_t correctionTab);
