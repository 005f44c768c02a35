// What the commands call in subsystems that are not part of this program
// yet (gallery, interchange exports, chart matching, control surfaces,
// image files). Each starts as an answer "not available": an alert naming
// the feature, and kQVErrUnimplemented. The subsystems install the real
// ones as they are built; the library below the commands reaches them here.
#pragma once

#include <cstdint>

#include "core/settings_record.h"
#include "platform/status.h"

struct UIImage;

struct AppCommandServices {
  // Gallery and presets.
  QVStatus (*saveUserPreset)(const VL_SettingsStruct* settings);
  void (*rebuildPresetGallery)();
  void (*saveGalleryColumns)();
  // ASC CDL.
  QVStatus (*loadCDL)(VL_SettingsStruct* settings);
  QVStatus (*saveCDL)(const VL_SettingsStruct* settings);
  // 3D LUT exports: the export command ID names the format (and flavour).
  QVStatus (*export3DLUT)(uint32_t commandID, const VL_SettingsStruct* settings);
  // Reference images: the result picture saved as a reference image (the
  // suggested name may be null) and added to the gallery.
  QVStatus (*saveReferenceImage)(UIImage* image, const char* suggestedName);
  // Chart matching ('DBlr', 'DBai', 'DBab').
  QVStatus (*chartCommand)(uint32_t commandID);
  // Control-surface definitions written to or read from the file the
  // command's panel chose; null while the surfaces are not built (the
  // commands then say so without asking for a file).
  QVStatus (*surfaceWriteDefinitions)(const char* path, const char* name);
  QVStatus (*surfaceReadDefinitions)(const char* path);
  // The preferences dialog over gPrefsSettings: true when the record changed
  // (null: the least preferences dialog of the main window).
  bool (*runPreferencesDialog)(int32_t* lastTab);
  // Whether a video output device is open.
  bool (*videoOutputOpen)();
};
AppCommandServices& AppServices();
// Puts every service back to its "not available" answer (the least
// preferences dialog, no video output).
void AppResetServices();

// The alert of a service that is not available: "<feature> is not
// available in this version of Velmora." Returns kQVErrUnimplemented.
QVStatus AppServiceNotAvailable(const char* feature);
