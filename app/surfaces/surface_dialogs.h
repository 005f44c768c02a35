// The five modal dialogs that edit one page of the MIDI surface's
// definitions: the page, a knob, a knob with push button, a trackball and a
// button. They fill their fields from the definitions, and only OK writes
// them back (surface_dialog_forms.h holds the rules); Cancel changes nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "app/surfaces/surface_definitions.h"

struct TKControl;
struct TKMenu;
struct TKWindow;

// A rotation part (knob rotation, trackball axis): action, target, scale.
struct SurfaceRotationFields {
  TKControl* action = nullptr;
  TKControl* target = nullptr;
  TKControl* scale = nullptr;
  std::vector<int32_t> rows;  // target menu item (1-based) -> target table row
};

// A click part: action, target, value, LEDs box.
struct SurfaceClickFields {
  TKControl* action = nullptr;
  TKControl* target = nullptr;
  TKControl* value = nullptr;
  TKControl* leds = nullptr;
  std::vector<int32_t> rows;
};

enum class SurfaceDialogKind { kPage, kKnob, kKnobPush, kTrackball, kButton };

struct SurfaceDialog {
  SurfaceDialogKind kind = SurfaceDialogKind::kPage;
  TKWindow* window = nullptr;
  TKControl* ok = nullptr;
  TKControl* cancel = nullptr;
  // Page dialog.
  TKControl* active = nullptr;
  TKControl* colors[4] = {};
  TKControl* lines[4] = {};
  // The other dialogs.
  SurfaceRotationFields rotation[2];
  int32_t rotationCount = 0;
  SurfaceClickFields clicks[2];
  int32_t clickCount = 0;
  std::vector<TKMenu*> menus;
};

// Called with each dialog just before its modal loop (tests drive it from
// there); null removes it.
void SetSurfaceDialogOpenedHook(void (*hook)(SurfaceDialog* dialog));

// Each returns whether OK was pressed. changed, when given and 0, is set to
// whether the first 32 bytes of the table differ from their state at the
// opening.
bool SurfacePageDefinitionDialog(SurfacePageDefinition* page);
bool SurfaceKnobDefinitionDialog(SurfaceControlDefinition* table, int32_t controlID, int32_t* changed);
bool SurfaceKnobLEDDefinitionDialog(SurfaceControlDefinition* table, int32_t controlID, int32_t* changed);
bool SurfaceTrackballDefinitionDialog(SurfaceControlDefinition* table, int32_t controlID, int32_t* changed);
bool SurfaceButtonDefinitionDialog(SurfaceControlDefinition* table, int32_t controlID, int32_t* changed);

// Activate a part's fields for its action item (the action popups do so
// whenever they change).
void SurfaceDialogEnableRotationFields(const SurfaceRotationFields& fields);
void SurfaceDialogEnableClickFields(const SurfaceClickFields& fields);
