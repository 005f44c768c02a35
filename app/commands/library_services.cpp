// The interchange files answer the commands that asked for them.
#include "app/commands/library_services.h"

#include "app/commands/app_commands.h"
#include "app/library/asc_cdl.h"
#include "app/library/lut3d_export.h"

namespace {

QVStatus LoadCDL(VL_SettingsStruct* settings) { return LoadASCCDL(settings, nullptr); }
// The exchange brings frames, not clip files, so no MediaRef is written.
QVStatus SaveCDL(const VL_SettingsStruct* settings) { return SaveASCCDL(settings, nullptr); }

}  // namespace

void LibraryInstallServices() {
  AppCommandServices& services = AppServices();
  services.loadCDL = LoadCDL;
  services.saveCDL = SaveCDL;
  services.export3DLUT = LUT3DExportCommand;
}
