// The interchange files answer the commands that asked for them.
#include "app/commands/library_services.h"

#include <algorithm>

#include "app/commands/app_commands.h"
#include "app/library/asc_cdl.h"
#include "app/library/chart_match.h"
#include "app/library/gallery_pane.h"
#include "app/library/lut3d_export.h"
#include "app/state/service_hooks.h"
#include "app/window/main_window.h"
#include "app/window/pane_selectors.h"
#include "app/window/user_preset_dialog.h"
#include "settings/prefs.h"

namespace {

QVStatus LoadCDL(VL_SettingsStruct* settings) { return LoadASCCDL(settings, nullptr); }
// The exchange brings frames, not clip files, so no MediaRef is written.
QVStatus SaveCDL(const VL_SettingsStruct* settings) { return SaveASCCDL(settings, nullptr); }

void SaveColumns() { SaveGalleryColumnPrefs(GalleryPane(), &gPrefsSettings); }
void AddFootage(uint32_t count, const CCFootageRecord* records) {
  AddProjectFootageToGallery(int32_t(std::min<uint32_t>(count, kCCFootageMax)), records, GalleryPane());
}
void LoadGallery() { PFLoadGallery(GalleryPane()); }
void SaveGallery() { PFSaveGallery(GalleryPane()); }
void ShowGallery(bool shown) {
  if (shown) ShowGalleryWindow(gGalleryControl);
  else HideGalleryWindow(gGalleryControl);
}
// The service reports its own failures to the user.
void SavePresetFromGallery(const VL_SettingsStruct* settings) { QVIgnoreStatus(SaveUserPreset(settings)); }

}  // namespace

void LibraryInstallServices() {
  UIServiceHooks& hooks = UIHooks();
  hooks.addProjectFootage = AddFootage;
  hooks.loadGallery = LoadGallery;
  hooks.saveGallery = SaveGallery;
  AppCommandServices& services = AppServices();
  services.rebuildPresetGallery = RebuildPresetGalleryFolders;
  services.saveUserPreset = SaveUserPreset;
  services.chartCommand = ChartCommand;
  SetGallerySavePresetProc(SavePresetFromGallery);
  MainWindowGallery().show = ShowGallery;
  MainWindowGallery().editingText = GalleryEditingText;
  services.saveGalleryColumns = SaveColumns;
  services.loadCDL = LoadCDL;
  services.saveCDL = SaveCDL;
  services.export3DLUT = LUT3DExportCommand;
}
