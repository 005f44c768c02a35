// The application's one report of a failed save.
#include "app/state/save_failure.h"

#include "platform/prefs_store.h"
#include "settings/prefs.h"
#include "support/output_file.h"

void UIReportSaveFailure(const std::string& path, QVStatus status) {
  if (status == kQVNoErr || status == kQVErrCancelled) return;
  QVWriteFailureAlert("Velmora 3 UI", path.c_str(), status);
}

void UISavePreferences() { UIReportSaveFailure(PLPrefsDomainPath(kPFDomain), PFSavePreferences(&gPrefsSettings)); }
