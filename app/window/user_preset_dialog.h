// Saving the current correction as a named preset in the user's preset
// folder, where the gallery's "Settings Presets (User)" folder shows it.
#pragma once

#include "core/settings_record.h"
#include "platform/status.h"

struct TKWindow;
struct TKControl;

// Asks for a name (window "PresetNameWin", field 'Pnam', "Saved Settings" to
// start), asks before replacing a preset of that name, writes the preset
// with every section and shows the gallery's preset folders afresh. The
// window's place is kept in the preferences whether or not a name was given.
// kQVErrCancelled when nothing was written on the user's word.
QVStatus SaveUserPreset(const VL_SettingsStruct* settings);

// Called once the dialog shows, before it waits (tests drive it from here).
void SetUserPresetDialogOpenedHook(void (*hook)(TKWindow* window, TKControl* nameField));
