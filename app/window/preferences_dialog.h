// The least Preferences dialog: the preferences the commands act on (help
// tags, undo depth, the keep-alive time, the preview gamma choices) with OK
// and Cancel, until the full dialog with every tab is built.
#pragma once

#include <cstdint>

struct UIControl;
struct UIMenu;
struct UIWindow;

constexpr int32_t kPreferencesUndoMenuID = 220;

struct PreferencesDialog {
  UIWindow* window = nullptr;
  UIMenu* undoMenu = nullptr;
  UIControl* toolTips = nullptr;       // "Tool Tips Enable"
  UIControl* undoDepth = nullptr;      // "Undo Depth": items 1-7
  UIControl* timeout = nullptr;        // "UI Timeout Duration", minutes
  UIControl* oldStyleGamma = nullptr;  // "Use Old Style Gamma"
  UIControl* gammaAdjust = nullptr;    // "External Preview Gamma Adjust"
  UIControl* ok = nullptr;
  UIControl* cancel = nullptr;
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
