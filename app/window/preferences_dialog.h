// The least Preferences dialog: the preferences the commands act on (help
// tags, undo depth, the keep-alive time, the preview gamma choices) with OK
// and Cancel, until the full dialog with every tab is built.
#pragma once

#include <cstdint>

struct TKControl;
struct TKMenu;
struct TKWindow;

constexpr int32_t kPreferencesUndoMenuID = 220;

struct PreferencesDialog {
  TKWindow* window = nullptr;
  TKMenu* undoMenu = nullptr;
  TKControl* toolTips = nullptr;       // "Tool Tips Enable"
  TKControl* undoDepth = nullptr;      // "Undo Depth": items 1-7
  TKControl* timeout = nullptr;        // "UI Timeout Duration", minutes
  TKControl* oldStyleGamma = nullptr;  // "Use Old Style Gamma"
  TKControl* gammaAdjust = nullptr;    // "External Preview Gamma Adjust"
  TKControl* ok = nullptr;
  TKControl* cancel = nullptr;
};

// Runs the modal dialog over gPrefsSettings. OK takes the controls' values
// into the record, Cancel leaves it as it was; either way the window's
// position is stored, the preferences are saved and the (single) tab's
// index 0 is written to *lastTab. True when the record's edited values
// differ from their state before the dialog.
bool RunLeastPreferencesDialog(int32_t* lastTab);

// Called with the dialog just before its modal loop starts (tests queue
// their input there); null removes it.
void SetPreferencesDialogOpenedHook(void (*hook)(PreferencesDialog* dialog));
