// The "Preferences" window: seven tabs of controls over the preferences
// record (General, Video System, WFM / VS, Previews, Control Surface, Combo
// Display, Caches) with OK and Cancel. The interface brightness and
// saturation apply live while their sliders move; the control surface can
// be restarted with the values being edited and its definitions edited.
// OK takes every control's value into the record, Cancel puts the record
// and the interface colours back as they were.
#pragma once

#include <cstdint>

struct PrefsSettings;
struct TKControl;
struct TKWindow;

// The window's tabs, in order.
enum : int32_t {
  kPrefsTabGeneral = 0,
  kPrefsTabVideoSystem,
  kPrefsTabWaveform,
  kPrefsTabPreviews,
  kPrefsTabControlSurface,
  kPrefsTabCombo,
  kPrefsTabCaches,
  kPrefsTabCount,
};

struct PreferencesDialog {
  TKWindow* window = nullptr;
  // "Reset Control Surface" restarted the surface with the dialog's values.
  bool surfaceRestarted = false;
  TKControl* tabs = nullptr;
  // General.
  TKControl *undo = nullptr, *toolTips = nullptr, *limiter = nullptr, *oldStyleGamma = nullptr;
  TKControl *leftPane = nullptr, *rightPane = nullptr, *settingsPane = nullptr;
  TKControl *brightness = nullptr, *brightnessDefault = nullptr, *saturation = nullptr, *saturationDefault = nullptr;
  // Video System.
  TKControl *videoSystem = nullptr, *levelCoding = nullptr, *blackSetup = nullptr;
  // WFM / VS.
  TKControl *wfmColor = nullptr, *wfmUnits = nullptr, *vsCalibration = nullptr;
  // Previews.
  TKControl *device = nullptr, *mode = nullptr, *scaling = nullptr, *aspect = nullptr, *gammaAdjust = nullptr;
  TKControl* monitor = nullptr;
  // Control Surface.
  TKControl *surfaceType = nullptr, *surfaceReset = nullptr, *surfaceInterface = nullptr;
  TKControl *addressLabel = nullptr, *address = nullptr, *actionsLabel = nullptr, *defineActions = nullptr;
  // Combo Display: upper left, upper right, lower left, lower right.
  TKControl* combo[4] = {};
  // Caches.
  TKControl *cachePath = nullptr, *cacheSelect = nullptr;
  TKControl *ok = nullptr, *cancel = nullptr;
};

// Runs the modal dialog over the record. Either way the current tab and the
// window's position are stored in the record, the preferences are saved
// and the tab's index (0-based) is written to *lastTab. True when the
// record's preferences (the window's tab and position aside) differ from
// their state before the dialog.
bool RunPreferencesDialog(PrefsSettings* prefs, int32_t* lastTab);

// Called with the dialog just before its modal loop starts (tests queue
// their input there); null removes it.
void SetPreferencesDialogOpenedHook(void (*hook)(PreferencesDialog* dialog));

// Selects the open dialog's tab of that name as a click on it would; false
// without an open dialog or such a tab.
bool PreferencesDialogSelectTab(const char* name);
// The open dialog's window, or null.
TKWindow* PreferencesDialogWindow();
