// The services the commands reach in subsystems not yet part of the
// program. Each answers with an alert that names the feature, so a person
// who chooses the command learns why nothing happened.
#include <cstdio>

#include "app/commands/app_commands.h"
#include "app/window/preferences_dialog.h"
#include "settings/prefs.h"
#include "support/alerts.h"

namespace {

constexpr const char* kTitle = "Velmora 3 UI";

QVStatus saveUserPresetAbsent(const VL_SettingsStruct*) {
  return AppServiceNotAvailable("Saving a user preset into the gallery");
}
void nothing() {}
QVStatus loadCDLAbsent(VL_SettingsStruct*) { return AppServiceNotAvailable("Loading ASC CDL files"); }
QVStatus saveCDLAbsent(const VL_SettingsStruct*) { return AppServiceNotAvailable("Saving ASC CDL files"); }
QVStatus export3DLUTAbsent(uint32_t, const VL_SettingsStruct*) { return AppServiceNotAvailable("3D LUT export"); }
QVStatus referenceImageAbsent(TKImage*, const char*) { return AppServiceNotAvailable("Saving reference images"); }
QVStatus chartAbsent(uint32_t) { return AppServiceNotAvailable("Grey-step chart matching"); }
bool noVideoOutput() { return false; }
bool runPreferences(int32_t* lastTab) { return RunPreferencesDialog(&gPrefsSettings, lastTab); }

const AppCommandServices kAbsent = {
    saveUserPresetAbsent, nothing,         nothing,          loadCDLAbsent,
    saveCDLAbsent,        export3DLUTAbsent, referenceImageAbsent, chartAbsent,
    nullptr,              nullptr,         runPreferences, noVideoOutput,
};

AppCommandServices gServices = kAbsent;

}  // namespace

AppCommandServices& AppServices() { return gServices; }
void AppResetServices() { gServices = kAbsent; }

QVStatus AppServiceNotAvailable(const char* feature) {
  char message[256];
  std::snprintf(message, sizeof message, "%s is not available in this version of Velmora.", feature);
  QVErrorAlert(kTitle, message, 1);
  return kQVErrUnimplemented;
}
