// The commands that load and save ASC CDL files and export 3D LUTs, on the
// headless correction window: each asks for its file and does its work.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/commands/app_commands.h"
#include "app/commands/library_services.h"
#include "app/library/lut3d_export.h"
#include "platform/alert_script.h"
#include "platform/file_contents.h"
#include "platform/prefs_store.h"
#include "platform/ui/ui_dialogs.h"
#include "settings/file_panels.h"
#include "settings/prefs.h"
#include "tests/app/commands/command_window.h"
#include "tests/scratch_folder.h"

namespace {

TKDialogAnswer Choose(const std::string& path) {
  TKDialogAnswer a;
  a.path = path;
  return a;
}

class LibraryCommands : public CommandWindowTest {
 protected:
  static std::string Read(const std::string& path) {
    std::string text;
    EXPECT_EQ(PLReadFileContents(path.c_str(), 1 << 24, &text), kQVNoErr) << path;
    return text;
  }
};

}  // namespace

TEST_F(LibraryCommands, SaveAndLoadCDLGoThroughTheUndoRing) {
  gUISettings.rgb[kVLRangeMaster].channel[1].gain = 1.5f;
  TKQueueDialogAnswer(Choose(folder + "/grade.cdl"));
  EXPECT_EQ(HandleAppCommand(kAppCmdSaveCDL, nullptr), kQVErrNotHandled);
  EXPECT_NE(Read(folder + "/grade.cdl").find("<Slope>1.0000 1.5000 1.0000</Slope>"), std::string::npos);

  gUISettings.rgb[kVLRangeMaster].channel[1].gain = 0.5f;
  const VL_SettingsStruct edited = gUISettings;
  TKQueueDialogAnswer(Choose(folder + "/grade.cdl"));
  EXPECT_EQ(HandleAppCommand(kAppCmdLoadCDL, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gUISettings.rgb[kVLRangeMaster].channel[1].gain, 1.5f);
  EXPECT_EQ(gUISettings.hsl[kVLRangeMaster].enable, 1u);
  EXPECT_EQ(HandleAppCommand(kAppCmdUndo, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gUISettings.rgb[kVLRangeMaster].channel[1].gain, edited.rgb[kVLRangeMaster].channel[1].gain);

  // A list that cannot be used says why and changes nothing.
  const std::string bad = "<ColorDecisionList/>";
  ASSERT_EQ(PLReplaceFileContents((folder + "/bad.cdl").c_str(), bad.data(), bad.size()), kQVNoErr);
  const VL_SettingsStruct before = gUISettings;
  TKQueueDialogAnswer(Choose(folder + "/bad.cdl"));
  EXPECT_EQ(HandleAppCommand(kAppCmdLoadCDL, nullptr), kQVErrNotHandled);
  EXPECT_EQ(std::memcmp(&before, &gUISettings, sizeof before), 0);
  ASSERT_EQ(PLAlertScriptRecorded().size(), 1u);
  EXPECT_EQ(PLAlertScriptRecorded()[0].message, "Invalid CDL - Missing ColorCorrection element");
}

TEST_F(LibraryCommands, EveryExportCommandWritesItsFormat) {
  size_t count = 0;
  const LUT3DFormat* formats = LUT3DFormats(&count);
  for (size_t i = 0; i < count; ++i) {
    const std::string path = folder + "/export" + std::to_string(i) + "." + formats[i].extension;
    TKQueueDialogAnswer(Choose(path));
    EXPECT_EQ(HandleAppCommand(formats[i].command, nullptr), kQVErrNotHandled) << formats[i].name;
    EXPECT_GT(Read(path).size(), size_t(4096 * 10)) << formats[i].name;
  }
  EXPECT_TRUE(PLAlertScriptRecorded().empty());
  // A failed export names the file and the reason.
  std::filesystem::create_directory(folder + "/lut.3dl");
  TKQueueDialogAnswer(Choose(folder + "/lut.3dl"));
  EXPECT_EQ(HandleAppCommand(kAppCmdExportLustre, nullptr), kQVErrNotHandled);
  ASSERT_EQ(PLAlertScriptRecorded().size(), 1u);
  EXPECT_EQ(PLAlertScriptRecorded()[0].message,
            "Cannot save \"" + folder + "/lut.3dl\": a folder of that name is in the way (error -1302)");
}
