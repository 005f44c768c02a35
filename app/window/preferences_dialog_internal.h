// The preferences dialog's parts, built and read apart from its modal loop
// so that tests can look at them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/fourcc.h"
#include "platform/status.h"

struct PreferencesDialog;
struct PrefsSettings;
struct TKControl;
struct TKMenu;

// The popups' menus.
enum : int32_t {
  kPrefsUndoMenuID = 180,
  kPrefsLevelCodingMenuID = 181,
  kPrefsVideoSystemMenuID = 182,
  kPrefsLeftPaneMenuID = 183,
  kPrefsRightPaneMenuID = 184,
  kPrefsSettingsPaneMenuID = 185,
  kPrefsMonitorMenuID = 186,
  kPrefsComboMenuID = 188,
  kPrefsDeviceMenuID = 189,
  kPrefsModeMenuID = 190,
  kPrefsScalingMenuID = 191,
  kPrefsAspectMenuID = 192,
  kPrefsSurfaceTypeMenuID = 193,
  kPrefsSurfaceInterfaceMenuID = 194,
};

// The controls the handler acts on, by reference value.
enum : int32_t {
  kPrefsBrightnessRef = 1001,
  kPrefsBrightnessDefaultRef = 1002,
  kPrefsCacheSelectRef = 1003,
  kPrefsSurfaceResetRef = 1004,
  kPrefsSaturationRef = 1005,
  kPrefsSaturationDefaultRef = 1006,
  kPrefsDefineActionsRef = 1007,
};

constexpr uint32_t kPrefsCommandOK = QVFourCC("VLok");
constexpr uint32_t kPrefsCommandCancel = QVFourCC("VLn!");
constexpr int32_t kPrefsWindowWidth = 520, kPrefsWindowHeight = 414;
constexpr int32_t kPrefsDefaultBrightness = 22282, kPrefsDefaultSaturation = 26214;
constexpr const char* kPrefsNoCacheFolder = "No Valid Cache Folder Defined";

// Makes menus 180 to 194 with their items (the secondary-monitor menu with
// the displays of now, the mode menu empty) and disposes them.
void PreferencesMenusCreate();
void PreferencesMenusDispose();

// Builds the hidden window with every control set from the record; the
// dialog's sliders write the record while they move. kQVErrMemory when the
// window or its tabs cannot be made (then only dispose it).
QVStatus PreferencesDialogBuild(PreferencesDialog* dialog, PrefsSettings* prefs);
// Takes the controls' values into the record, as OK does.
void PreferencesDialogTake(const PreferencesDialog& dialog, PrefsSettings* prefs);
void PreferencesDialogDispose(PreferencesDialog* dialog);

// The change procedures: the device popup refills the mode popup; the
// surface type shows and hides its companions; the interface shows the
// address only for the network.
void PreferencesDeviceChanged(PreferencesDialog* dialog);
void PreferencesSurfaceTypeChanged(PreferencesDialog* dialog, int32_t type);
void PreferencesSurfaceInterfaceChanged(PreferencesDialog* dialog);

// The cache folder's path as the Caches tab shows it: the folder the alias
// names, shortened in the middle with "..." to at most 50 bytes, or
// "No Valid Cache Folder Defined" when it names no folder.
std::string PreferencesCacheFolderText(const PrefsSettings& prefs);
// Text shortened in the middle with "..." to at most `limit` bytes (UTF-8
// characters are kept whole).
std::string ShortenInMiddle(const std::string& text, size_t limit);
