// Colour swatches and the record shared by the parts of one colour sample
// row, colour-match group or match-colour panel: which controls belong
// together, how a swatch finds its colour, and how values read out.
#pragma once

#include <cstdint>

#include "platform/fourcc.h"
#include "platform/ui/ui_types.h"

struct TKContext;
struct TKControl;
struct TKWindow;

// Control ID signatures of the parts (the ID number is shared).
constexpr uint32_t kVFSigEyedropper = QVFourCC("VFey");
constexpr uint32_t kVFSigSampleSwatch = QVFourCC("VFsw");
constexpr uint32_t kVFSigResultSwatch = QVFourCC("VFsr");
constexpr uint32_t kVFSigTargetSwatch = QVFourCC("VFst");
constexpr uint32_t kVFSigReadoutPopup = QVFourCC("VFtd");

// Eyedropper properties (creator 'QVc3').
constexpr uint32_t kVFPropCursor = QVFourCC("curs");        // 4: cursor in the panes while picking
constexpr uint32_t kVFPropUndo = QVFourCC("undo");          // 1: an undo step around the pick
constexpr uint32_t kVFPropPicker = QVFourCC("cpik");        // 1: Option-click opens the colour picker
constexpr uint32_t kVFPropPickProc = QVFourCC("eypr");      // pointer: VFEyedropperProc
constexpr uint32_t kVFPropSecondTarget = QVFourCC("VFs2");  // 4: ID number of a second sample swatch
// Swatch flags (1 byte each).
constexpr uint32_t kVFPropShowValues = QVFourCC("dspv");
constexpr uint32_t kVFPropResult = QVFourCC("rslt");
constexpr uint32_t kVFPropTarget = QVFourCC("targ");
constexpr uint32_t kVFPropJoined = QVFourCC("join");
constexpr uint32_t kVFPropLeftHalf = QVFourCC("left");
// The 4-byte 'ofst' of eyedroppers and swatches is the byte offset of the
// colour triple in the working record (kVFPropOffset's tag, another size).

struct VFSampleRow {
  TKControl* checkBox = nullptr;
  TKControl* eyedropper = nullptr;
  TKControl* sampleSwatch = nullptr;
  TKControl* resultSwatch = nullptr;  // colour-match group
  TKControl* targetSwatch = nullptr;
  TKControl* modePopup = nullptr;     // colour-match group
  TKWindow* window = nullptr;
};

// A new record, kept for the life of the program like the other composite
// records; null when none can be had.
VFSampleRow* VFNewSampleRow(TKWindow* window);
// The record a part was entered in, or null.
VFSampleRow* VFSampleRowOf(TKControl* control);
void VFAttachSampleRow(TKControl* control, VFSampleRow* record);

// A swatch pane in frame: ID 'VFst' when target, else 'VFsr' when result,
// else 'VFsw', entered in the record's slot of that kind; the five flags,
// and 'ofst' when offset is not 0. Null when it cannot be made.
TKControl* VFCreateSwatchPane(TKWindow* window, const TKRect& frame, TKControl* parent, bool showValues, bool result,
                              bool target, bool joined, bool leftHalf, uint32_t offset, int32_t idNumber,
                              VFSampleRow* record);
// Draws a swatch into ctx (its draw procedure).
void VFDrawSwatch(TKControl* swatch, TKContext* ctx);
// The 4-byte 'ofst' of a control; false when it has none.
bool VFGetTripleOffset(TKControl* control, uint32_t* offset);
// The triple a swatch shows: its own 'ofst', else its record's eyedropper's.
bool VFSwatchOffset(TKControl* swatch, uint32_t* offset);
// The readout mode of the control's record (its popup's value); 1 without one.
int32_t VFGetReadoutMode(TKControl* control);
// The mode values near the control read out in: its record's popup, else
// the popup of its window's colour-match group, else 1.
int32_t VFReadoutModeNear(TKControl* control);
// Draws one value in a mode's format with its right edge at (h, v).
void VFDrawValueLabel(TKContext* ctx, float value, int32_t mode, int32_t h, int32_t v, int32_t component);
// The control of a kind with an ID number in a window, or null.
TKControl* VFFindPart(TKWindow* window, uint32_t signature, int32_t idNumber);
// Redraws whichever of the controls are given.
void VFRedrawParts(TKControl* a, TKControl* b, TKControl* c, TKControl* d);
