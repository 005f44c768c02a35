// The gallery and the user presets on the headless correction window:
// applying a preset from the gallery against loading its file, and the
// "Save User Preset" command with its name dialog and replace question.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/library/gallery_pane.h"
#include "app/library/gallery_presets.h"
#include "app/window/user_preset_dialog.h"
#include "platform/file_contents.h"
#include "platform/ui/ui_dialogs.h"
#include "settings/preset_file.h"
#include "tests/app/commands/command_window.h"

namespace {

class GalleryCommands : public CommandWindowTest {
 protected:
  TKControl* pane = nullptr;
  std::string presets;

  void SetUp() override {
    CommandWindowTest::SetUp();
    GalleryResetModel();
    presets = GalleryUserPresetsPath();
    ASSERT_EQ(CreateGalleryControl(window, TKMakeRect(400, 10, 500, 300), nullptr, 1, &pane), kQVNoErr);
  }
  void TearDown() override {
    SetUserPresetDialogOpenedHook(nullptr);
    ForgetGalleryPane();
    GalleryResetModel();
    CommandWindowTest::TearDown();
  }
  std::vector<float> Picture() {
    std::vector<float> out;
    for (int32_t y = 0; y < int32_t(gResultFrame->height); ++y)
      for (int32_t x = 0; x < int32_t(gResultFrame->width); ++x) {
        float p[4];
        FBGetRGBPixel(gResultFrame, x, y, p);
        out.insert(out.end(), p, p + 3);
      }
    return out;
  }
  static std::string Read(const std::string& path) {
    std::string text;
    EXPECT_EQ(PLReadFileContents(path.c_str(), 1 << 24, &text), kQVNoErr) << path;
    return text;
  }
  // The dialog's answer for the next run: a name typed over the field and
  // OK, or Cancel.
  static inline std::string typed;
  static inline bool cancel = false;
  static void Answer(TKWindow*, TKControl* field) {
    TKSetEditText(field, typed.c_str());
    TKInjectKey(cancel ? kTKKeyEscape : kTKKeyReturn);
  }
};

TEST_F(GalleryCommands, ApplyingAGalleryPresetGivesTheRecordAndPictureOfLoadingItsFile) {
  VL_SettingsStruct warm = gUISettings;
  warm.rgb[kVLRangeMaster].channel[0].gain = 1.4f;
  warm.rgbEnable = 1;
  warm.rgb[kVLRangeMaster].enable = 1;
  warm.hsl[kVLRangeMaster].saturation = 150.0f;
  ASSERT_EQ(PLCreateFolders(presets.c_str()), kQVNoErr);
  QVFileRef presetFolder;
  ASSERT_EQ(PLFileRefFromPath(presets.c_str(), &presetFolder), kQVNoErr);
  ASSERT_EQ(CCSaveSettingsToRefAndString(&presetFolder, "Warm.vlpreset", &warm), kQVNoErr);
  const VL_SettingsStruct start = gUISettings;

  TKDialogAnswer a;
  a.path = presets + "/Warm.vlpreset";
  TKQueueDialogAnswer(a);
  EXPECT_EQ(HandleAppCommand(kAppCmdLoadSettings, nullptr), kQVErrNotHandled);
  const VL_SettingsStruct loaded = gUISettings;
  const std::vector<float> loadedPicture = Picture();
  ASSERT_EQ(loaded.rgb[kVLRangeMaster].channel[0].gain, 1.4f);
  EXPECT_EQ(HandleAppCommand(kAppCmdUndo, nullptr), kQVErrNotHandled);
  ASSERT_EQ(std::memcmp(&gUISettings, &start, sizeof start), 0);
  ASSERT_NE(Picture(), loadedPicture);

  RebuildPresetGalleryFolders();
  GalleryItem* item = FindGalleryItemByName(Gallery().root, "Warm");
  ASSERT_NE(item, nullptr);
  // Shown once its folder is open in the list.
  ASSERT_TRUE(TKListOpenContainer(GalleryListControl(pane), item->parent->refNum));
  GallerySelectItems(pane, {item});
  ASSERT_EQ(GallerySelectedItems(pane), std::vector<GalleryItem*>{item});
  GalleryButtonHandler(pane, kGalleryButtonApply);
  EXPECT_EQ(std::memcmp(&gUISettings, &loaded, sizeof loaded), 0);
  EXPECT_EQ(Picture(), loadedPicture);
  // One undo step, as with the file.
  EXPECT_EQ(HandleAppCommand(kAppCmdUndo, nullptr), kQVErrNotHandled);
  EXPECT_EQ(std::memcmp(&gUISettings, &start, sizeof start), 0);
}

TEST_F(GalleryCommands, SaveUserPresetNamesTheFileAsksBeforeReplacingAndShowsItInTheGallery) {
  SetUserPresetDialogOpenedHook(Answer);
  gUISettings.rgb[kVLRangeMaster].channel[2].gain = 1.25f;
  typed = "Saved Settings";
  cancel = false;
  EXPECT_EQ(HandleAppCommand(kAppCmdSaveUserPreset, nullptr), kQVErrNotHandled);
  const std::string file = presets + "/Saved Settings.vlpreset";
  const std::string first = Read(file);
  ASSERT_FALSE(first.empty());
  GalleryItem* shown = FindGalleryItemByName(Gallery().root, "Saved Settings");
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(shown->userPresets && shown->settingsPreset);
  EXPECT_GE(gPrefsSettings.presetNameWindowH, 0);  // the window's place is kept

  // The same name again: Cancel keeps the first file, OK replaces it.
  gUISettings.rgb[kVLRangeMaster].channel[2].gain = 0.75f;
  PLAlertScriptAnswer(kPLAnswerOther);
  EXPECT_EQ(HandleAppCommand(kAppCmdSaveUserPreset, nullptr), kQVErrNotHandled);
  EXPECT_EQ(Read(file), first);
  PLAlertScriptAnswer(kPLAnswerDefault);
  EXPECT_EQ(HandleAppCommand(kAppCmdSaveUserPreset, nullptr), kQVErrNotHandled);
  EXPECT_NE(Read(file), first);
  auto alerts = PLAlertScriptRecorded();
  ASSERT_EQ(alerts.size(), 2u);
  EXPECT_EQ(alerts[0].message,
            "A settings file named \"Saved Settings\" already exists. Do you want to replace it with the one you are "
            "saving?");
  VL_SettingsStruct back;
  std::memset(&back, 0, sizeof back);
  VL_SetDefaultControlValues(&back, kVLMaskAll);
  QVFileRef ref;
  ASSERT_EQ(PLFileRefFromPath(file.c_str(), &ref), kQVNoErr);
  ASSERT_EQ(CCLoadSettingsFromRef(&ref, &back), kQVNoErr);
  EXPECT_EQ(back.rgb[kVLRangeMaster].channel[2].gain, 0.75f);

  // Cancel in the dialog writes nothing but still keeps the window's place.
  gPrefsSettings.presetNameWindowH = gPrefsSettings.presetNameWindowV = -1;
  typed = "Other";
  cancel = true;
  EXPECT_EQ(HandleAppCommand(kAppCmdSaveUserPreset, nullptr), kQVErrNotHandled);
  EXPECT_FALSE(std::filesystem::exists(presets + "/Other.vlpreset"));
  EXPECT_GE(gPrefsSettings.presetNameWindowH, 0);
  // A name that cannot be a file name is reported, not passed over in silence.
  typed = "a/b";
  cancel = false;
  EXPECT_EQ(HandleAppCommand(kAppCmdSaveUserPreset, nullptr), kQVErrNotHandled);
  alerts = PLAlertScriptRecorded();
  ASSERT_EQ(alerts.size(), 3u);
  EXPECT_NE(alerts[2].message.find("a/b.vlpreset"), std::string::npos);
}

// A user presets folder that cannot be made (a file has its name) is
// reported; the dialog is not even asked for.
TEST_F(GalleryCommands, SaveUserPresetReportsAPresetsFolderThatCannotBeMade) {
  SetUserPresetDialogOpenedHook(Answer);
  typed = "Lost";
  cancel = false;
  std::filesystem::create_directories(std::filesystem::path(presets).parent_path());
  std::ofstream(presets) << "x";
  EXPECT_EQ(HandleAppCommand(kAppCmdSaveUserPreset, nullptr), kQVErrNotHandled);
  const auto alerts = PLAlertScriptRecorded();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_NE(alerts[0].message.find("Cannot save \"" + presets + "\""), std::string::npos) << alerts[0].message;
  EXPECT_NE(alerts[0].message.find("(error " + std::to_string(kQVErrDuplicate) + ")"), std::string::npos)
      << "the reason the folder could not be made: " << alerts[0].message;
  std::filesystem::remove(presets);
}

}  // namespace
