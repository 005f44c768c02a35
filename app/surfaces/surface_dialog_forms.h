// What the surface definition dialogs show and store, apart from their
// windows: the target table the target popups list, the action menus'
// items, and for each dialog a form filled from the definitions and an OK
// rule that writes the form back. The windows (surface_dialogs.cpp) only
// move values between their fields and these forms.
#pragma once

#include <cstdint>
#include <string>

#include "app/surfaces/surface_definitions.h"

// --- target table -------------------------------------------------------------
enum : int32_t {
  kSurfaceTargetSeparator = 0,
  kSurfaceTargetSlider = 2,
  kSurfaceTargetHueWheel = 3,
  kSurfaceTargetTintAngle = 4,
  kSurfaceTargetCheckBox = 6,
};

struct SurfaceTargetRow {
  int32_t field;     // byte offset in the settings record; -1 ends the table
  const char* name;  // "-" for a separator
  int32_t kind;
};

// The rows in the order of the correction tabs, ended by a row whose field
// is -1; a popup item's command is its row's 1-based number.
const SurfaceTargetRow* SurfaceTargetTable();
int32_t SurfaceTargetRowCount();
// The 1-based row of a field (the first row with it), 0 for none.
int32_t SurfaceTargetRowOfField(int32_t field);
// Row n (1-based), null outside the table.
const SurfaceTargetRow* SurfaceTargetRowAt(int32_t row);

// Which rows a popup lists.
enum class SurfaceTargetMenu { kRotation, kTrackball, kClick };
bool SurfaceTargetMenuLists(SurfaceTargetMenu menu, const SurfaceTargetRow& row);

// --- action menus ---------------------------------------------------------------
// Rotation menu (knob rotation, trackball axes): 1 none, 3 adjust, 5 left
// pane, 6 right pane, 7 settings pane, 9 wipe left, 10 wipe right; 2, 4 and
// 8 are separators.
constexpr int32_t kSurfaceRotationItems = 10;
constexpr int32_t kSurfaceRotationAdjust = 3;
// Click menu (buttons, knob push): 1 none, 3 toggle, 4 set value, 6-8 the
// pane toggles, 10 save, 11 restore; 2, 5 and 9 are separators.
constexpr int32_t kSurfaceClickItems = 11;
constexpr int32_t kSurfaceClickToggle = 3;
constexpr int32_t kSurfaceClickSetValue = 4;

int32_t SurfaceRotationItemForAction(int32_t action);
// The stored action of a rotation item; adjust (3) answers the slider
// action, the caller replaces it by the target's kind.
int32_t SurfaceRotationActionForItem(int32_t item);
bool SurfaceRotationItemIsSeparator(int32_t item);
int32_t SurfaceClickItemForAction(int32_t action);
int32_t SurfaceClickActionForItem(int32_t item);
bool SurfaceClickItemIsSeparator(int32_t item);

// --- numbers ----------------------------------------------------------------------
// "%1.8f" with trailing zeros removed, one digit kept after the point.
std::string SurfaceFormatFloat(float value);
// The text as a number; text that is not one (or not whole) reads as 0.
float SurfaceParseNumber(const std::string& text);

// --- forms ------------------------------------------------------------------------
// The entry of a control id in a page's table of 70, searched up to the
// first entry with id 0; -1 when there is none.
int32_t SurfaceFindControlEntry(const SurfaceControlDefinition* table, int32_t controlID);

struct SurfacePageForm {
  bool active = false;
  int32_t colorItem[4] = {1, 1, 1, 1};  // 1 black, 2 red, 3 green, 4 blue
  std::string lines[4];                 // left 1, left 2, right 1, right 2 (UTF-8)
};
void SurfaceFillPageForm(const SurfacePageDefinition& page, SurfacePageForm* form);
void SurfaceApplyPageForm(const SurfacePageForm& form, SurfacePageDefinition* page);
uint32_t SurfaceColorOfItem(int32_t item);

// A knob's rotation or a trackball axis.
struct SurfaceRotationForm {
  int32_t actionItem = 1;
  int32_t targetRow = 1;
  std::string scaleText = "1.0";
  bool targetActive = false;  // the target popup and the scale field
};
void SurfaceFillKnobForm(const SurfaceControlDefinition& entry, SurfaceRotationForm* form);
void SurfaceApplyKnobForm(const SurfaceRotationForm& form, SurfaceControlDefinition* entry);
// Axis 0 is x (the trackball's entry), 1 is y (the next entry).
void SurfaceFillTrackballForm(const SurfaceControlDefinition& entry, SurfaceRotationForm* form);
void SurfaceApplyTrackballForm(const SurfaceRotationForm& form, int32_t axis, SurfaceControlDefinition* entry);

// A single or double click.
struct SurfaceClickForm {
  int32_t actionItem = 1;
  int32_t targetRow = 1;
  std::string valueText = "0.0";
  bool updateLEDs = false;
};
struct SurfaceClickFieldStates {
  bool target, value, leds;
};
SurfaceClickFieldStates SurfaceClickStates(int32_t actionItem);
void SurfaceFillClickForm(const SurfaceControlDefinition& entry, SurfaceClickForm* form);
void SurfaceApplyClickForm(const SurfaceClickForm& form, SurfaceControlDefinition* entry);
