// The headless correction window with the application's commands and the
// library's services installed, every support folder inside a scratch
// folder and alerts recorded by the alert script.
#pragma once

#include <cstdlib>
#include <string>

#include "app/commands/app_commands.h"
#include "app/commands/library_services.h"
#include "platform/alert_script.h"
#include "platform/prefs_store.h"
#include "settings/file_panels.h"
#include "settings/prefs.h"
#include "tests/app/controls/correction_window.h"
#include "tests/scratch_folder.h"

class CommandWindowTest : public CorrectionWindowTest {
 protected:
  std::string folder;

  void SetUp() override {
    folder = MakeScratchFolder("commands");
    for (const char* v : {"VELMORA_PREFERENCES", "VELMORA_USER_SUPPORT", "VELMORA_SYSTEM_SUPPORT", "VELMORA_TEMP",
                          "VELMORA_DOCUMENTS"})
      setenv(v, (folder + "/" + v).c_str(), 1);
    PLPrefsDiscard(kQVPanelsDomain);
    PFLoadDefaultPreferences(&gPrefsSettings);
    CorrectionWindowTest::SetUp();
    PLAlertScriptBegin();
    AppResetServices();
    LibraryInstallServices();
    InstallAppCommands();
  }
  void TearDown() override {
    CorrectionWindowTest::TearDown();
    PLAlertScriptEnd();
    AppResetServices();
  }
};
