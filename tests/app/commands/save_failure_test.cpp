// A save that fails tells the user which file and why, in one alert, and
// changes nothing else: the curves, the preview LUT export and the
// preferences, on the headless correction window. A preview LUT that would
// follow tables of another correction is not written at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/commands/app_commands.h"
#include "app/commands/library_services.h"
#include "app/state/save_failure.h"
#include "platform/alert_script.h"
#include "platform/file_contents.h"
#include "platform/prefs_store.h"
#include "platform/ui/ui_dialogs.h"
#include "settings/file_panels.h"
#include "settings/prefs.h"
#include "core/processing_tables.h"
#include "tests/app/commands/command_window.h"
#include "tests/failing_nothrow_new.h"
#include "tests/scratch_folder.h"

namespace {

class SaveFailure : public CommandWindowTest {
 protected:
  std::string blocker;

  void SetUp() override {
    PLPrefsDiscard(kPFDomain);
    CommandWindowTest::SetUp();
    // A regular file where a folder is needed stops even root from writing.
    blocker = folder + "/blocker";
    ASSERT_EQ(PLReplaceFileContents(blocker.c_str(), "x", 1), kQVNoErr);
  }
  void TearDown() override {
    CommandWindowTest::TearDown();
    PLPrefsDiscard(kPFDomain);
  }
  void ExpectOneAlert(const std::string& path) {
    ASSERT_EQ(PLAlertScriptRecorded().size(), 1u);
    EXPECT_EQ(PLAlertScriptRecorded()[0].message,
              "Cannot save \"" + path + "\": the folder does not exist (error -43)");
  }
};

}  // namespace

TEST_F(SaveFailure, CommandsNameTheFileAndTheReason) {
  struct Case {
    const char* what;
    uint32_t command;
    const char* file;
  };
  const Case cases[] = {
      {"curves", kAppCmdSaveCurves, "grade.acv"},
      {"preview LUT", kAppCmdExportPreviewLUT, "preview.lut"},
  };
  for (const Case& c : cases) {
    PLAlertScriptBegin();
    const VL_SettingsStruct before = gUISettings;
    const std::string path = blocker + "/" + c.file;
    TKDialogAnswer answer;
    answer.path = path;
    TKQueueDialogAnswer(answer);
    EXPECT_EQ(HandleAppCommand(c.command, nullptr), kQVErrNotHandled);
    ExpectOneAlert(path);
    EXPECT_EQ(std::memcmp(&before, &gUISettings, sizeof before), 0) << c.what;
    EXPECT_TRUE(std::filesystem::is_regular_file(blocker)) << c.what;
    EXPECT_EQ(std::filesystem::file_size(blocker), 1u) << c.what;

    // Where the folder exists the same command saves without a word.
    PLAlertScriptBegin();
    answer.path = folder + "/" + c.file;
    TKQueueDialogAnswer(answer);
    EXPECT_EQ(HandleAppCommand(c.command, nullptr), kQVErrNotHandled);
    EXPECT_TRUE(PLAlertScriptRecorded().empty()) << c.what;
    EXPECT_TRUE(std::filesystem::is_regular_file(answer.path)) << c.what;
  }

  // A cancelled panel is no failure.
  PLAlertScriptBegin();
  TKDialogAnswer cancel;
  cancel.status = kQVErrCancelled;
  TKQueueDialogAnswer(cancel);
  EXPECT_EQ(HandleAppCommand(kAppCmdSaveCurves, nullptr), kQVErrNotHandled);
  EXPECT_TRUE(PLAlertScriptRecorded().empty());
}

// The preview LUT is read from the processing tables: when they cannot be
// built for the working correction no LUT of other tables is written, and
// the engine's alert is the one word; the next export writes it.
TEST_F(SaveFailure, APreviewLUTWithoutItsTablesIsNotWritten) {
  const std::string path = folder + "/preview.lut";
  TKDialogAnswer answer;
  answer.path = path;
  TKQueueDialogAnswer(answer);
  gUISettings.levelsEnable = 1;
  gUISettings.levels[0].enable = 1;
  gUISettings.levels[0].inblackpt = 0.2f;
  {
    // The table build's working copy of the frame block is the one allocation of its size.
    FailNothrowAllocations fail(sizeof(VLFrameSettings), sizeof(VLFrameSettings));
    EXPECT_EQ(HandleAppCommand(kAppCmdExportPreviewLUT, nullptr), kQVErrNotHandled);
  }
  ASSERT_EQ(PLAlertScriptRecorded().size(), 1u);
  EXPECT_NE(PLAlertScriptRecorded()[0].message.find("Insufficient memory"), std::string::npos)
      << PLAlertScriptRecorded()[0].message;
  EXPECT_FALSE(std::filesystem::exists(path));

  PLAlertScriptBegin();
  EXPECT_EQ(HandleAppCommand(kAppCmdExportPreviewLUT, nullptr), kQVErrNotHandled);
  EXPECT_TRUE(PLAlertScriptRecorded().empty());
  EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

TEST_F(SaveFailure, PreferencesNameTheirFile) {
  UISavePreferences();
  EXPECT_TRUE(PLAlertScriptRecorded().empty());

  setenv("VELMORA_PREFERENCES", (blocker + "/prefs").c_str(), 1);
  PLPrefsDiscard(kPFDomain);
  gPrefsSettings.uiTimeoutMinutes = 7;
  const PrefsSettings before = gPrefsSettings;
  const std::string path = PLPrefsDomainPath(kPFDomain);
  ASSERT_EQ(path.rfind(blocker + "/", 0), 0u) << path;
  UISavePreferences();
  ExpectOneAlert(path);
  EXPECT_EQ(gPrefsSettings.uiTimeoutMinutes, before.uiTimeoutMinutes);
  EXPECT_EQ(std::filesystem::file_size(blocker), 1u);
}
