// The "save user preset" dialog: a name, the overwrite question, the write
// and the gallery's preset folders shown afresh.
#include "app/window/user_preset_dialog.h"

#include <algorithm>
#include <string>

#include "app/controls/bound_controls.h"
#include "app/library/gallery_pane.h"
#include "app/library/gallery_presets.h"
#include "app/state/interface_colors.h"
#include "app/state/save_failure.h"
#include "platform/fourcc.h"
#include "platform/ui/toolkit.h"
#include "settings/preset_file.h"
#include "settings/prefs.h"
#include "support/alerts.h"
#include "support/folder_walk.h"

namespace {

constexpr uint32_t kCommandOK = QVFourCC("ok  ");
constexpr uint32_t kCommandCancel = QVFourCC("not!");
constexpr TKControlID kNameFieldID{QVFourCC("Pnam"), 1};
constexpr const char* kAlertTitle = "Velmora 3 UI";
constexpr int32_t kWidth = 360, kHeight = 120;

void (*gOpenedHook)(TKWindow*, TKControl*) = nullptr;

// The window moved to its stored place, kept on the display that holds most of it.
void Place(TKWindow* w) {
  TKCenterWindow(w, nullptr);
  const PrefsSettings& p = gPrefsSettings;
  if (p.presetNameWindowH < 0 || p.presetNameWindowV < 0) return;
  TKRect r = TKMakeRect(p.presetNameWindowH, p.presetNameWindowV, kWidth, kHeight);
  TKRect screen = TKGetDisplayBounds(TKDisplayForRect(r));
  if (TKRectWidth(screen) > 0 && TKRectHeight(screen) > 0) {
    int32_t left = std::clamp(r.left, screen.left, std::max(screen.left, screen.right - kWidth));
    int32_t top = std::clamp(r.top, screen.top, std::max(screen.top, screen.bottom - kHeight));
    r = TKMakeRect(left, top, kWidth, kHeight);
  }
  TKSetWindowBounds(w, r);
}

// Runs the dialog; true with the typed name, false on Cancel.
bool AskName(std::string* name) {
  TKWindow* w = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, kWidth, kHeight), "PresetNameWin");
  if (!w) return false;
  TKSetWindowContentColor(w, VFColor(kUIColorPaneBackground));
  TKControl* label = TKNewStaticText(w, TKRect{16, 16, 34, 340}, "Save the current settings as:");
  TKSetControlColorProc(label, VFControlColorProc);
  TKControl* field = TKNewEditText(w, TKRect{40, 16, 62, 344}, "Saved Settings");
  TKSetControlID(field, kNameFieldID);
  TKControl* cancel = TKNewPushButton(w, TKRect{80, 176, 102, 256}, "Cancel", kCommandCancel);
  TKControl* ok = TKNewPushButton(w, TKRect{80, 264, 102, 344}, "OK", kCommandOK);
  TKSetDefaultButton(w, ok);
  TKSetCancelButton(w, cancel);
  Place(w);
  bool given = false;
  TKInstallWindowHandler(w, [&](TKEvent& e) -> QVStatus {
    if (e.kind != kTKEventCommand || (e.command != kCommandOK && e.command != kCommandCancel)) return kQVErrNotHandled;
    given = e.command == kCommandOK;
    if (given) *name = TKGetEditText(TKFindControlByID(w, kNameFieldID));
    TKEndModal(w, given ? 1 : 0);
    return kQVNoErr;
  });
  TKShowWindow(w);
  TKSelectWindow(w);
  // The field is there and focusable; a refusal leaves the focus where it was.
  QVIgnoreStatus(TKSetKeyboardFocus(w, field));
  TKSetEditSelection(field, 0, 1 << 20);
  if (gOpenedHook) gOpenedHook(w, field);
  TKRunModal(w);
  const TKRect b = TKGetWindowBounds(w);
  gPrefsSettings.presetNameWindowH = b.left;
  gPrefsSettings.presetNameWindowV = b.top;
  TKDisposeWindow(w);
  return given;
}

}  // namespace

void SetUserPresetDialogOpenedHook(void (*hook)(TKWindow*, TKControl*)) { gOpenedHook = hook; }

QVStatus SaveUserPreset(const VL_SettingsStruct* settings) {
  if (!settings) return kQVErrParam;
  std::string folderPath = GalleryUserPresetsPath();
  // A folder that cannot be made is told like a failed write: the preset
  // would otherwise be lost without a word.
  QVFileRef folder;
  QVStatus made = folderPath.empty() ? kQVErrFileNotFound : PLCreateFolders(folderPath.c_str());
  if (made == kQVNoErr) made = PLFileRefFromPath(folderPath.c_str(), &folder);
  if (made != kQVNoErr) {
    UIReportSaveFailure(folderPath, made);
    return made;
  }
  std::string name;
  if (!AskName(&name)) return kQVErrCancelled;
  std::string fileName = name + "." + kCCPresetExtension;
  QVFileRef existing;
  if (MakeFSRefFromDirAndName(&folder, fileName.c_str(), &existing) == kQVNoErr) {
    std::string question = "A settings file named \"" + name +
                           "\" already exists. Do you want to replace it with the one you are saving?";
    if (!QVAlternativesAlert(kAlertTitle, question.c_str(), nullptr, 1, "OK", "Cancel")) return kQVErrCancelled;
  }
  // The new file replaces the old one only once it is complete.
  QVStatus status = CCSaveSettingsToRefAndString(&folder, fileName, settings);
  if (status != kQVNoErr) {
    UIReportSaveFailure(folderPath + "/" + fileName, status);
    return status;
  }
  RebuildPresetGalleryFolders();
  SortAndRedrawGallery(GalleryPane());
  return kQVNoErr;
}
