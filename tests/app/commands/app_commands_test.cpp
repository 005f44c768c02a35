// The command handler, the menu bar and its enabling, and the clipboard
// record, on the headless correction window.
#include "app/commands/app_commands.h"

#include "media/output_job.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <fstream>
#include <set>
#include <string>

#include "app/commands/lut_test_image.h"
#include "app/window/correction_tabs.h"
#include "app/window/preferences_dialog.h"
#include "core/auto_levels.h"
#include "platform/alert_script.h"
#include "platform/prefs_store.h"
#include "platform/ui/ui_dialogs.h"
#include "settings/comm_block.h"
#include "settings/curve_files.h"
#include "settings/file_panels.h"
#include "settings/prefs.h"
#include "settings/preset_file.h"
#include "settings/psd_writer.h"
#include "support/preview_lut.h"
#include "tests/app/controls/correction_window.h"
#include "tests/scratch_folder.h"

namespace {

TKDialogAnswer Cancelled() {
  TKDialogAnswer a;
  a.status = kQVErrCancelled;
  return a;
}
TKDialogAnswer Choose(const std::string& path) {
  TKDialogAnswer a;
  a.path = path;
  return a;
}

constexpr uint32_t C(const char (&code)[5]) { return QVFourCC(code); }

class AppCommands : public CorrectionWindowTest {
 protected:
  std::string folder;

  void SetUp() override {
    folder = MakeScratchFolder("commands");
    for (const char* v : {"VELMORA_PREFERENCES", "VELMORA_USER_SUPPORT", "VELMORA_SYSTEM_SUPPORT", "VELMORA_TEMP",
                          "VELMORA_DOCUMENTS"})
      setenv(v, (folder + "/" + v).c_str(), 1);
    std::filesystem::create_directories(folder + "/runtime");
    setenv("XDG_RUNTIME_DIR", (folder + "/runtime").c_str(), 1);
    PLPrefsDiscard(kPFDomain);
    PLPrefsDiscard(kQVPanelsDomain);
    PFSetProgram(kPFProgramApplication);
    PFLoadDefaultPreferences(&gPrefsSettings);
    CorrectionWindowTest::SetUp();
    PLAlertScriptBegin();
    AppResetServices();
    InstallAppCommands();
    BuildMenuBar();
    EnableSessionMenus(true);
    gImageLoaded = true;
  }

  void TearDown() override {
    EnableSessionMenus(false);
    gImageLoaded = false;
    SetPreferencesDialogOpenedHook(nullptr);
    TKClearQuitRequest();
    CorrectionWindowTest::TearDown();
    PLAlertScriptEnd();
    AppResetServices();
    PFSetProgram(kPFProgramPlugin);
    unsetenv("XDG_RUNTIME_DIR");
  }

  // The messages of the alerts shown so far.
  static std::vector<std::string> Alerts() {
    std::vector<std::string> messages;
    for (const PLRecordedAlert& a : PLAlertScriptRecorded()) messages.push_back(a.message);
    return messages;
  }

  static void WriteScrap(const void* bytes, size_t length) {
    std::filesystem::remove_all(AppScrapPath());
    std::ofstream(AppScrapPath(), std::ios::binary).write(static_cast<const char*>(bytes), std::streamsize(length));
  }
};

// Every ID of the table, the preview LUT families and IDs nobody knows: only
// the commands that consume themselves answer noErr; the rest pass on, so the
// standard handler still sees them.
TEST_F(AppCommands, EveryCommandAnswersItsResultCode) {
  const std::set<uint32_t> consumed = {C("ok  "), C("not!"), C("quit"), C("abou"), C("DB3d"),
                                       C("TMp1"), C("TMpc"), C("TMnc"), C("TMn1")};
  std::vector<uint32_t> ids;
  size_t count = 0;
  const AppCommandEntry* table = AppCommandTable(&count);
  for (size_t i = 0; i < count; ++i) ids.push_back(table[i].id);
  EXPECT_GE(count, size_t(80));
  for (uint32_t base : {C("VCp0"), C("VCs0"), C("VCe0")})
    for (uint32_t n : {0u, 49u, 50u, 51u, 54u, 55u, 56u}) ids.push_back(base + n);
  // Unknown: the least shell's old IDs, a neighbour of each family, nonsense.
  const uint32_t unknown[] = {C("VLok"), C("VLcn"), C("zzzz"), C("clea"), C("VCp0") - 1, C("VCp0") + 57,
                              C("VCe0") + 57, C("SCrt"), 0xFFFFFFFFu};
  ids.insert(ids.end(), std::begin(unknown), std::end(unknown));

  for (uint32_t id : ids) {
    SCOPED_TRACE(std::string(reinterpret_cast<const char*>(&id), 4));
    const QVStatus expected = consumed.count(id) ? kQVNoErr : kQVErrNotHandled;
    EXPECT_EQ(AppCommandResult(id), expected);
    EXPECT_EQ(HandleAppCommand(id, nullptr), expected);
    TKClearQuitRequest();
    TKRunPending();
  }
  // Through the application's event handler as well.
  TKEvent e;
  e.kind = kTKEventCommand;
  e.command = C("abou");
  EXPECT_EQ(HandleApplicationEvents(e), kQVNoErr);
  e.command = C("SCrs");
  EXPECT_EQ(HandleApplicationEvents(e), kQVErrNotHandled);
  e.command = C("wxyz");
  EXPECT_EQ(HandleApplicationEvents(e), kQVErrNotHandled);
}

// The commands of subsystems that are not there yet say so.
TEST_F(AppCommands, CommandsOfAbsentSubsystemsSayTheyAreNotAvailable) {
  const struct {
    uint32_t code;
    const char* feature;
  } cases[] = {{C("SCsp"), "Saving a user preset into the gallery"},
               {C("SCla"), "Loading ASC CDL files"},
               {C("SCsa"), "Saving ASC CDL files"},
               {C("FElA"), "3D LUT export"},
               {C("FEaL"), "3D LUT export"},
               {C("FElT"), "3D LUT export"},
               {C("CCri"), "Saving reference images"},
               {C("DBlr"), "Grey-step chart matching"},
               {C("DBab"), "Grey-step chart matching"},
               {C("DBsc"), "Control surface definitions"},
               {C("DBlc"), "Control surface definitions"}};
  gResultGWorld = TKImageCreate(16, 4);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.feature);
    PLAlertScriptBegin();
    const VL_SettingsStruct before = gUISettings;
    EXPECT_EQ(HandleAppCommand(c.code, nullptr), kQVErrNotHandled);
    ASSERT_EQ(Alerts().size(), 1u);
    EXPECT_EQ(Alerts()[0], std::string(c.feature) + " is not available in this version of Velmora.");
    EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  }
  EXPECT_TRUE(TKScriptedDialogRequests().empty()) << "nobody is asked for a file that cannot be used";
  TKImageDispose(gResultGWorld);
  gResultGWorld = nullptr;
}

// The six session menus as a whole, and the items that need a picture or
// a correction on the clipboard.
TEST_F(AppCommands, MenusFollowTheSession) {
  struct State {
    const char* name;
    bool session, image, scrap;
    bool cut, paste, reset, exportItem;
  } states[] = {
      {"no session", false, false, false, false, false, false, false},
      {"session, no picture yet", true, false, true, false, false, true, false},
      {"picture, empty clipboard", true, true, false, true, false, true, true},
      {"picture, correction copied", true, true, true, true, true, true, true},
      {"session over with a picture", false, true, true, false, false, false, false},
  };
  for (const State& s : states) {
    SCOPED_TRACE(s.name);
    std::filesystem::remove(AppScrapPath());
    if (s.scrap) {
      ASSERT_TRUE(AppScrapPut(&gUISettings));
    }
    EnableSessionMenus(s.session);
    gImageLoaded = s.image;
    HandleMenuEnableItems();
    for (int32_t id : {kAppMenuFile, kAppMenuEdit, kAppMenuView, kAppMenuSettings, kAppMenuReference, kAppMenuHelp})
      EXPECT_EQ(AppMenuEnabled(id), s.session) << id;
    EXPECT_TRUE(AppMenuEnabled(kAppMenuApplication));
    EXPECT_EQ(AppMenuCommandEnabled(kAppCmdCut), s.cut);
    EXPECT_EQ(AppMenuCommandEnabled(kAppCmdCopy), s.cut);
    EXPECT_EQ(AppMenuCommandEnabled(kAppCmdClear), s.cut);
    EXPECT_EQ(AppMenuCommandEnabled(kAppCmdPaste), s.paste);
    EXPECT_EQ(AppMenuCommandEnabled(kAppCmdResetAll), s.reset);
    EXPECT_EQ(AppMenuCommandEnabled(kAppCmdHelp), s.session);
    EXPECT_TRUE(AppMenuCommandEnabled(kAppCmdQuit));
    EXPECT_TRUE(AppMenuCommandEnabled(kAppCmdAbout));
    EXPECT_EQ(TKIsMenuItemEnabled(TKGetMenu(kAppMenuFile), 1), s.exportItem) << "File's Export item";
    // The toolkit's own enable pass (before a menu shows) agrees.
    TKMenu* edit = TKGetMenu(kAppMenuEdit);
    for (int32_t i = 1; i <= TKCountMenuItems(edit); ++i) TKEnableMenuItem(edit, i, !TKIsMenuItemEnabled(edit, i));
    TKUpdateMenuItems(edit);
    EXPECT_EQ(TKIsMenuItemEnabled(edit, 6), s.paste);
    EXPECT_EQ(TKIsMenuItemEnabled(edit, 4), s.cut);
  }
  // The bar shows with the session and leaves the keyboard where it was.
  EnableSessionMenus(false);
  EXPECT_FALSE(TKIsWindowVisible(AppMenuBarWindow()));
  EnableSessionMenus(true);
  TKRunPending();
  EXPECT_TRUE(TKIsWindowVisible(AppMenuBarWindow()));
  EXPECT_EQ(TKFrontWindow(), window);
  EXPECT_EQ(TKGetWindowBounds(AppMenuBarWindow()).bottom - TKGetWindowBounds(AppMenuBarWindow()).top, TKMenuBarHeight());
  // Editing: Undo follows the ring.
  EXPECT_FALSE(AppMenuCommandEnabled(kAppCmdUndo));
  EXPECT_EQ(HandleAppCommand(kAppCmdResetAll, nullptr), kQVErrNotHandled);
  EXPECT_TRUE(AppMenuCommandEnabled(kAppCmdUndo));
  EXPECT_FALSE(AppMenuCommandEnabled(kAppCmdRedo));
  EXPECT_EQ(HandleAppCommand(kAppCmdUndo, nullptr), kQVErrNotHandled);
  EXPECT_TRUE(AppMenuCommandEnabled(kAppCmdRedo));
  // A disabled item cannot be chosen by its key.
  gImageLoaded = false;
  EXPECT_EQ(TKMatchMenuKey('c', kTKModCommand).command, 0u);
  gImageLoaded = true;
  EXPECT_EQ(TKMatchMenuKey('c', kTKModCommand).command, kAppCmdCopy);
}

// Rendering needs a clip as the source; the host's frame alone is not one.
TEST_F(AppCommands, RenderCommandsWithoutAClipSaySoAndStartNothing) {
  for (uint32_t code : {C("FEqt"), C("FEis")}) {
    PLAlertScriptBegin();
    EXPECT_EQ(HandleAppCommand(code, nullptr), kQVErrNotHandled);
    ASSERT_EQ(Alerts().size(), 1u);
    EXPECT_EQ(Alerts()[0].rfind("Rendering output needs a clip as the source", 0), 0u) << Alerts()[0];
    EXPECT_EQ(QVMediaOutstandingJobs(), 0u);
    PLAlertScriptEnd();
  }
}

TEST_F(AppCommands, TheMenuBarAssignsEveryMenuCommandOnce) {
  const std::vector<TKMenu*> bar = TKGetMenuBarMenus();
  ASSERT_EQ(bar.size(), 7u);
  const int32_t order[] = {kAppMenuApplication, kAppMenuFile, kAppMenuEdit, kAppMenuView,
                           kAppMenuSettings, kAppMenuReference, kAppMenuHelp};
  for (size_t i = 0; i < bar.size(); ++i) EXPECT_EQ(TKGetMenuID(bar[i]), order[i]);
  const uint32_t menuCommands[] = {C("abou"), C("pref"), C("quit"), C("undo"), C("redo"), C("cut "), C("copy"),
                                   C("past"), C("clea"), C("VC1w"), C("VC2w"), C("VCpl"), C("VCsl"), C("VCel"),
                                   C("SCrs"), C("SCld"), C("SCsv"), C("SCsp"), C("SCla"), C("SCsa"), C("CCri"),
                                   C("HLPm"), C("FElA"), C("FEaL"), C("FEaF"), C("FEaS"), C("FEaG"), C("FElH"),
                                   C("FElc"), C("FElL"), C("FElG"), C("FElP"), C("FElS"), C("FElT"), C("FElC"),
                                   C("VCpb"), C("VCsh"), C("VCeb"), C("DB3d"), C("DBtt"), C("VLis"),
                                   C("FEqt"), C("FEis")};
  for (uint32_t id : menuCommands) {
    TKMenu* menu = nullptr;
    int32_t item = 0;
    EXPECT_TRUE(TKFindMenuCommand(id, &menu, &item)) << std::string(reinterpret_cast<const char*>(&id), 4);
  }
  // Only the saved preview LUT index is checked.
  TKMenu* primary = TKGetMenu(145);
  for (int32_t i = 1; i <= TKCountMenuItems(primary); ++i)
    EXPECT_EQ(TKIsMenuItemChecked(primary, i),
              TKGetMenuItemCommand(primary, i) == C("VCp0") + uint32_t(gPrefsSettings.lutIndex[kPFLUTPrimary]));
  // Building again replaces the menus instead of doubling them.
  BuildMenuBar();
  EXPECT_EQ(TKGetMenuBarMenus().size(), 7u);
  EXPECT_EQ(TKCountMenuItems(TKGetMenu(145)), 6);
}

TEST_F(AppCommands, ViewCommandsSwitchThePaneLayout) {
  EXPECT_EQ(HandleAppCommand(kAppCmdLayout1, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gPaneLayout, 1);
  EXPECT_EQ(HandleAppCommand(kAppCmdLayout2, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gPaneLayout, 2);
  EXPECT_EQ(HandleAppCommand(kAppCmdLayout3, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gPaneLayout, 2) << "layout 3 is not offered";
}

TEST_F(AppCommands, CheckMenuItemByCommandChecksExactlyTheMatchingItems) {
  TKMenu* menu = TKGetMenu(146);
  EXPECT_EQ(CheckMenuItemByCommand(menu, C("VCs0") + 53), kQVNoErr);
  for (int32_t i = 1; i <= TKCountMenuItems(menu); ++i)
    EXPECT_EQ(TKIsMenuItemChecked(menu, i), i == 4);
  EXPECT_EQ(CheckMenuItemByCommand(menu, C("zzzz")), kQVNoErr);
  for (int32_t i = 1; i <= TKCountMenuItems(menu); ++i) EXPECT_FALSE(TKIsMenuItemChecked(menu, i));
  EXPECT_EQ(CheckMenuItemByCommand(nullptr, 0), kQVNoErr);
}

// Reset All is one undo step; the controls and the picture follow.
TEST_F(AppCommands, ResetAllIsOneUndoStepWithControlsAndPictureFollowing) {
  gUISettings.hsl[0].hue = 40.0f;
  gUISettings.rgb[0].gain = 2.0f;
  VFRefreshFromSettings(hue);
  const VL_SettingsStruct edited = gUISettings;
  const uint32_t undoable = gUndoBuffer->undoable;
  for (uint32_t id : {kAppCmdResetAll, kAppCmdResetAllButton}) {
    gUISettings = edited;
    VFRefreshFromSettings(hue);
    EXPECT_EQ(HandleAppCommand(id, nullptr), kQVErrNotHandled);
    VL_SettingsStruct defaults;
    std::memset(&defaults, 0, sizeof defaults);
    VL_SetDefaultControlValues(&defaults, kVLMaskAll);
    EXPECT_TRUE(ChangedWords(defaults, gUISettings).empty());
    EXPECT_EQ(TKGetControlValue(hue), int32_t(defaults.hsl[0].hue * 65536.0f));
    EXPECT_EQ(Pixels(gResultFrame), Expected());
  }
  EXPECT_EQ(gUndoBuffer->undoable, undoable + 2);
  EXPECT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_TRUE(ChangedWords(edited, gUISettings).empty());
}

// A Reset button resets the sections of its mask; a sender without a mask
// (or none) resets nothing and leaves the undo ring alone.
TEST_F(AppCommands, ResetButtonsResetOnlyTheirSections) {
  TKControl* master = TabGroupGetPane(hslRanges, 0);
  TKControl* reset = VFCreateResetButton(window, master, TKGetControlBounds(master), VLSettingsSectionMask(1));
  ASSERT_NE(reset, nullptr);
  TKRunPending();
  gUISettings.hsl[0].hue = 30.0f;
  gUISettings.hsl[1].gain = 2.0f;
  gUISettings.rgb[0].gain = 3.0f;
  VFRefreshFromSettings(hue);
  const uint32_t undoable = gUndoBuffer->undoable;

  const VL_SettingsStruct before = gUISettings;
  for (TKControl* sender : {static_cast<TKControl*>(nullptr), gain}) {
    EXPECT_EQ(HandleAppCommand(kVFCommandReset, sender), kQVErrNotHandled);
    EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
    EXPECT_EQ(gUndoBuffer->undoable, undoable);
  }

  // A click on the button sends 'VLrt' with the button.
  Click(reset);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].hue, gUIDefaultSettings.hsl[0].hue);
  EXPECT_EQ(TKGetControlValue(hue), int32_t(gUIDefaultSettings.hsl[0].hue * 65536.0f));
  EXPECT_FLOAT_EQ(gUISettings.hsl[1].gain, 2.0f) << "another range keeps its value";
  EXPECT_FLOAT_EQ(gUISettings.rgb[0].gain, 3.0f) << "another section keeps its value";
  EXPECT_EQ(gUndoBuffer->undoable, undoable + 1);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
}

// The clipboard record is written whole, privately, with nothing left beside it.
TEST_F(AppCommands, CopyWritesTheWholeRecordAtomically) {
  gUISettings.hsl[0].saturation = 150.0f;
  for (uint32_t id : {kAppCmdCopy, kAppCmdCut}) {
    std::filesystem::remove(AppScrapPath());
    EXPECT_EQ(HandleAppCommand(id, nullptr), kQVErrNotHandled);
    struct stat st;
    ASSERT_EQ(::stat(AppScrapPath().c_str(), &st), 0);
    EXPECT_EQ(size_t(st.st_size), sizeof(VL_SettingsStruct));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    VL_SettingsStruct back;
    ASSERT_TRUE(AppScrapGet(&back));
    EXPECT_TRUE(ChangedWords(back, gUISettings).empty());
    EXPECT_FLOAT_EQ(gUISettings.hsl[0].saturation, 150.0f) << "Cut leaves the correction";
  }
  size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder + "/runtime")) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1u) << "no temporary file stays behind";
  EXPECT_EQ(AppScrapPath(), folder + "/runtime/com.quorvane.scrap.secret");
  // Without a runtime folder the temporary folder holds it, under the user's number.
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(AppScrapPath(), folder + "/VELMORA_TEMP/com.quorvane.scrap.secret-" + std::to_string(::geteuid()));
  EXPECT_TRUE(AppScrapPut(&gUISettings)) << "the temporary folder is made when missing";
  EXPECT_TRUE(AppScrapGet(nullptr));
}

// Paste replaces the whole record, sections the copy had switched off
// included, in one undo step.
TEST_F(AppCommands, PasteReplacesTheWholeRecordAsOneUndoStep) {
  VL_SettingsStruct copied = gUISettings;
  copied.hslEnable = 0;
  copied.hsl[0].hue = 55.0f;
  copied.rgb[0].gain = 1.5f;
  ASSERT_TRUE(AppScrapPut(&copied));
  gUISettings.hslEnable = 1;
  const VL_SettingsStruct before = gUISettings;
  const uint32_t undoable = gUndoBuffer->undoable;
  EXPECT_EQ(HandleAppCommand(kAppCmdPaste, nullptr), kQVErrNotHandled);
  EXPECT_TRUE(ChangedWords(copied, gUISettings).empty());
  EXPECT_EQ(TKGetControlValue(hue), int32_t(55.0f * 65536.0f));
  EXPECT_EQ(gUndoBuffer->undoable, undoable + 1);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
  EXPECT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
}

// A pasted record and a recalled slot with values no control can show are
// held to the fields' ranges before the controls take them.
TEST_F(AppCommands, PastedAndRecalledRecordsAreHeldToTheFieldsRanges) {
  VL_SettingsStruct hostile = gUISettings;
  hostile.lumaRanges.lumarange_highlightx = std::numeric_limits<float>::quiet_NaN();
  hostile.lumaRanges.lumarange_shadowy = -3.0f;
  hostile.hsl[0].saturation = std::numeric_limits<float>::infinity();
  hostile.rgbCurves[0].spline.pointCount = 0x7FFFFFFF;
  struct Case {
    const char* name;
    std::function<void()> bringIn;
  } cases[] = {
      {"paste", [&] {
         ASSERT_TRUE(AppScrapPut(&hostile));
         EXPECT_EQ(HandleAppCommand(kAppCmdPaste, nullptr), kQVErrNotHandled);
       }},
      {"slot", [&] {
         gSavedSettings.slot[2] = hostile;
         gSavedSettings.stored[2] = 1;
         EXPECT_TRUE(SavedSettingsSlot(3, false));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::memcpy(&gUISettings, &gUIDefaultSettings, sizeof gUISettings);
    c.bringIn();
    EXPECT_EQ(gUISettings.lumaRanges.lumarange_highlightx, gUIDefaultSettings.lumaRanges.lumarange_highlightx);
    EXPECT_EQ(gUISettings.lumaRanges.lumarange_shadowy, 0.0f);
    EXPECT_EQ(gUISettings.hsl[0].saturation, gUIDefaultSettings.hsl[0].saturation);
    EXPECT_EQ(gUISettings.rgbCurves[0].spline.pointCount, 2u);
    EXPECT_EQ(TKGetControlValue(saturation), int32_t(gUIDefaultSettings.hsl[0].saturation * 65536.0f));
  }
}

// Hostile clipboard files: only exactly one record with the byte-order flag
// is taken; anything else changes nothing and keeps Paste disabled.
TEST_F(AppCommands, PasteRefusesAnythingButOneWholeRecord) {
  VL_SettingsStruct good = gUISettings;
  good.hsl[0].hue = 77.0f;
  std::string record(reinterpret_cast<const char*>(&good), sizeof good);
  std::string wrongFlag = record;
  wrongFlag[0] ^= 0x5A;
  std::string swapped = record;
  CCTurnWords(swapped.data(), swapped.size());

  const std::string path = AppScrapPath();
  const std::string elsewhere = folder + "/elsewhere";
  std::ofstream(elsewhere, std::ios::binary) << record;
  struct Case {
    const char* name;
    std::function<void()> make;
    bool taken;
  } cases[] = {
      {"one record", [&] { WriteScrap(record.data(), record.size()); }, true},
      {"one record, other byte order", [&] { WriteScrap(swapped.data(), swapped.size()); }, true},
      {"empty", [&] { WriteScrap("", 0); }, false},
      {"one byte short", [&] { WriteScrap(record.data(), record.size() - 1); }, false},
      {"one byte long", [&] { WriteScrap((record + "x").data(), record.size() + 1); }, false},
      {"two records", [&] { WriteScrap((record + record).data(), 2 * record.size()); }, false},
      {"wrong flag", [&] { WriteScrap(wrongFlag.data(), wrongFlag.size()); }, false},
      {"a link to a good record", [&] { std::filesystem::remove_all(path); std::filesystem::create_symlink(elsewhere, path); }, false},
      {"a folder", [&] { std::filesystem::remove_all(path); std::filesystem::create_directory(path); }, false},
      {"a pipe nobody writes", [&] { std::filesystem::remove_all(path); ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, false},
      {"nothing", [&] { std::filesystem::remove_all(path); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::memset(&gUISettings, 0, sizeof gUISettings);
    VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
    const VL_SettingsStruct before = gUISettings;
    const uint32_t undoable = gUndoBuffer->undoable;
    c.make();
    EXPECT_EQ(AppMenuCommandEnabled(kAppCmdPaste), c.taken);
    EXPECT_EQ(HandleAppCommand(kAppCmdPaste, nullptr), kQVErrNotHandled);
    if (c.taken) {
      EXPECT_TRUE(ChangedWords(good, gUISettings).empty());
      EXPECT_EQ(gUndoBuffer->undoable, undoable + 1);
    } else {
      EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
      EXPECT_EQ(gUndoBuffer->undoable, undoable);
    }
  }
}

// Loading settings is one record change; a cancelled or rejected file
// changes nothing and makes no undo step.
TEST_F(AppCommands, LoadSettingsReplacesTheRecordOnlyFromAGoodFile) {
  VL_SettingsStruct saved = gUISettings;
  saved.hsl[0].hue = -25.0f;
  saved.limiter_enable = 1;
  QVFileRef dir;
  ASSERT_EQ(PLFileRefFromPath(folder.c_str(), &dir), kQVNoErr);
  ASSERT_EQ(CCSaveSettingsToRefAndString(&dir, "look.vlpreset", &saved), kQVNoErr);
  std::ofstream(folder + "/bad.vlpreset", std::ios::binary) << "not a preset at all";

  const VL_SettingsStruct before = gUISettings;
  const uint32_t undoable = gUndoBuffer->undoable;
  TKQueueDialogAnswer(Cancelled());
  EXPECT_EQ(HandleAppCommand(kAppCmdLoadSettings, nullptr), kQVErrNotHandled);
  TKQueueDialogAnswer(Choose(folder + "/bad.vlpreset"));
  EXPECT_EQ(HandleAppCommand(kAppCmdLoadSettingsButton, nullptr), kQVErrNotHandled);
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  EXPECT_EQ(gUndoBuffer->undoable, undoable);

  TKQueueDialogAnswer(Choose(folder + "/look.vlpreset"));
  EXPECT_EQ(HandleAppCommand(kAppCmdLoadSettings, nullptr), kQVErrNotHandled);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].hue, -25.0f);
  EXPECT_EQ(gUISettings.limiter_enable, 1u);
  EXPECT_EQ(TKGetControlValue(softClip), int32_t(gUISettings.limiter.limiter_softclip_enable));
  EXPECT_EQ(TKGetControlValue(hue), int32_t(-25.0f * 65536.0f));
  EXPECT_EQ(gUndoBuffer->undoable, undoable + 1);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
}

// A choice of the primary, secondary or external preview LUT: "None" is
// stored as 50 even when built as the 1.22 gamma; a cancelled "Other..."
// changes nothing.
TEST_F(AppCommands, PreviewLUTChoicesStoreTheChoiceAndMoveTheCheckMark) {
  struct Case {
    uint32_t base;
    int which;
    int32_t menu;
    int32_t n;
    bool oldStyle, gammaAdjust;
    int32_t builtAs;
  } cases[] = {
      {C("VCp0"), kPFLUTPrimary, 145, 50, false, false, 55},
      {C("VCp0"), kPFLUTPrimary, 145, 50, true, false, 50},
      {C("VCs0"), kPFLUTSecondary, 146, 54, false, false, 54},
      {C("VCe0"), kPFLUTExternal, 147, 50, false, false, 50},
      {C("VCe0"), kPFLUTExternal, 147, 50, false, true, 55},
      {C("VCe0"), kPFLUTExternal, 147, 52, false, true, 52},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    gPrefsSettings.useOldStyleGamma = c.oldStyle;
    gPrefsSettings.externalPreviewGammaAdjust = c.gammaAdjust;
    std::memset(gPrefsSettings.lut[c.which], 7, kPreviewLUTBytes);
    EXPECT_EQ(HandleAppCommand(c.base + uint32_t(c.n), nullptr), kQVErrNotHandled);
    uint8_t expected[kPreviewLUTBytes];
    ASSERT_EQ(BuildLinearizationLUT(c.builtAs, expected), kQVNoErr);
    EXPECT_EQ(std::memcmp(gPrefsSettings.lut[c.which], expected, kPreviewLUTBytes), 0);
    EXPECT_EQ(gPrefsSettings.lutIndex[c.which], c.n);
    TKMenu* menu = TKGetMenu(c.menu);
    for (int32_t i = 1; i <= TKCountMenuItems(menu); ++i)
      EXPECT_EQ(TKIsMenuItemChecked(menu, i), TKGetMenuItemCommand(menu, i) == c.base + uint32_t(c.n));
  }
  // "Other..." cancelled: index, table and check mark stay.
  const int32_t index = gPrefsSettings.lutIndex[kPFLUTPrimary];
  uint8_t table[kPreviewLUTBytes];
  std::memcpy(table, gPrefsSettings.lut[kPFLUTPrimary], sizeof table);
  TKQueueDialogAnswer(Cancelled());
  EXPECT_EQ(HandleAppCommand(C("VCp0") + 56, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gPrefsSettings.lutIndex[kPFLUTPrimary], index);
  EXPECT_EQ(std::memcmp(gPrefsSettings.lut[kPFLUTPrimary], table, sizeof table), 0);
  EXPECT_TRUE(TKIsMenuItemChecked(TKGetMenu(145), 1));
}

// Automatic colour and exposure write what the histogram functions give,
// switch the levels on and make one undo step each.
TEST_F(AppCommands, AutomaticColourAndExposureSwitchTheLevelsOn) {
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 16; ++x)
      FBSetRGBPixel(gSourceFrame, x, y, 0.1f + x / 30.0f, 0.2f + x / 40.0f, 0.05f + y / 10.0f, 1.0f);
  const uint32_t undoable = gUndoBuffer->undoable;
  VL_SettingsStruct expected = gUISettings;
  HistogramEqualizationRGB(gSourceFrame, &expected);
  HistogramMeanMatchRGB(gSourceFrame, &expected);
  EXPECT_EQ(HandleAppCommand(kAppCmdAutoColor, nullptr), kQVErrNotHandled);
  for (int ch = 1; ch <= 3; ++ch) {
    EXPECT_FLOAT_EQ(gUISettings.levels[ch].inblackpt, expected.levels[ch].inblackpt);
    EXPECT_FLOAT_EQ(gUISettings.levels[ch].ingraypt, expected.levels[ch].ingraypt);
    EXPECT_FLOAT_EQ(gUISettings.levels[ch].inwhitept, expected.levels[ch].inwhitept);
    EXPECT_EQ(gUISettings.levels[ch].enable, 1u);
  }
  EXPECT_EQ(gUISettings.levelsEnable, 1u);
  EXPECT_EQ(gUndoBuffer->undoable, undoable + 1);

  expected = gUISettings;
  HistogramEqualizationLuma(gSourceFrame, &expected, gPrefsSettings.autoLumaTrim);
  EXPECT_EQ(HandleAppCommand(kAppCmdAutoExposure, nullptr), kQVErrNotHandled);
  EXPECT_TRUE(ChangedWords(expected, gUISettings).size() <= 1) << "only the master enable beyond the luma result";
  EXPECT_EQ(gUISettings.levels[0].enable, 1u);
  EXPECT_EQ(gUndoBuffer->undoable, undoable + 2);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
}

TEST_F(AppCommands, TheTimingTestNeedsAPictureAndReportsItsTime) {
  gImageLoaded = false;
  EXPECT_EQ(HandleAppCommand(kAppCmdTimingTest, nullptr), kQVErrNotHandled);
  ASSERT_EQ(Alerts().size(), 1u);
  EXPECT_EQ(Alerts()[0], "Test requires that image be loaded.");
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].hue, 0.0f);

  gImageLoaded = true;
  gUISettings.rgb[0].gain = 2.0f;
  EXPECT_EQ(HandleAppCommand(kAppCmdTimingTest, nullptr), kQVErrNotHandled);
  ASSERT_EQ(Alerts().size(), 2u);
  EXPECT_EQ(Alerts()[1].rfind("Elapsed time ", 0), 0u) << Alerts()[1];
  EXPECT_NE(Alerts()[1].find(" seconds"), std::string::npos);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].hue, 3900.0f) << "300 steps of 13";
  EXPECT_FLOAT_EQ(gUISettings.rgb[0].gain, gUIDefaultSettings.rgb[0].gain) << "the test starts from defaults";
  EXPECT_EQ(gUISettings.hslEnable, 1u);
}

// The Preferences dialog from its command: OK takes its values, and a new
// undo depth replaces the ring; Cancel changes nothing.
TEST_F(AppCommands, PreferencesTakeTheDialogsValuesOnOK) {
  static bool pressOK;
  SetPreferencesDialogOpenedHook([](PreferencesDialog* d) {
    TKSetControlValue(d->toolTips, 0);
    TKSetControlValue(d->undo, 2);  // depth 1
    TKControl* button = pressOK ? d->ok : d->cancel;
    const TKRect b = TKGetControlBounds(button);
    TKInjectClick(d->window, TKPoint{(b.left + b.right) / 2, (b.top + b.bottom) / 2});
  });
  gPrefsSettings.toolTips = 1;
  const int32_t depth = gPrefsSettings.undoDepth;
  UndoBuffer* ring = gUndoBuffer;

  pressOK = false;
  EXPECT_EQ(HandleAppCommand(kAppCmdPreferences, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gPrefsSettings.toolTips, 1);
  EXPECT_EQ(gPrefsSettings.undoDepth, depth);
  EXPECT_EQ(gUndoBuffer, ring);

  pressOK = true;
  EXPECT_EQ(HandleAppCommand(kAppCmdPreferences, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gPrefsSettings.toolTips, 0);
  EXPECT_EQ(gPrefsSettings.undoDepth, 1);
  ASSERT_NE(gUndoBuffer, nullptr);
  EXPECT_EQ(gUndoBuffer->count, 2u) << "a ring of the new depth";
  // Saved: a fresh load sees them.
  PrefsSettings loaded;
  PFLoadPreferences(&loaded);
  EXPECT_EQ(loaded.toolTips, 0);
  EXPECT_EQ(loaded.undoDepth, 1);
}

TEST(LUTTestImage, EveryLatticePointIsARunOfTenPixels) {
  std::vector<uint8_t> argb;
  ASSERT_TRUE(LUTTestImagePixels(&argb));
  ASSERT_EQ(argb.size(), size_t(170 * 289 * 4));
  const struct {
    int r, g, b;
  } points[] = {{0, 0, 0}, {16, 16, 16}, {1, 2, 3}, {16, 0, 15}, {7, 9, 0}};
  for (const auto& p : points) {
    for (int x = 10 * p.b; x < 10 * p.b + 10; ++x) {
      const uint8_t* px = argb.data() + (size_t(17 * p.r + p.g) * 170 + size_t(x)) * 4;
      EXPECT_EQ(px[0], 0);
      EXPECT_EQ(px[1], std::min(16 * p.r, 255));
      EXPECT_EQ(px[2], std::min(16 * p.g, 255));
      EXPECT_EQ(px[3], std::min(16 * p.b, 255));
    }
  }
}

}  // namespace

namespace {

// The 3D LUT test picture goes where the save panel says, as a Photoshop
// file of the picture's red, green and blue; a cancelled panel writes
// nothing. Either way the command is consumed.
TEST_F(AppCommands, TheLUTTestPictureIsSavedAsAPhotoshopFile) {
  const std::string path = folder + "/cube.psd";
  TKQueueDialogAnswer(Cancelled());
  EXPECT_EQ(HandleAppCommand(kAppCmdLUTTestImage, nullptr), kQVNoErr);
  EXPECT_FALSE(std::filesystem::exists(path));

  TKQueueDialogAnswer(Choose(path));
  EXPECT_EQ(HandleAppCommand(kAppCmdLUTTestImage, nullptr), kQVNoErr);
  std::vector<uint8_t> argb;
  ASSERT_TRUE(LUTTestImagePixels(&argb));
  std::vector<uint8_t> rgb;
  for (size_t i = 0; i < argb.size(); i += 4) rgb.insert(rgb.end(), {argb[i + 1], argb[i + 2], argb[i + 3]});
  std::string expected;
  ASSERT_EQ(PSDEncodeRGB8(kLUTTestImageWidth, kLUTTestImageHeight, rgb.data(), &expected), kQVNoErr);
  std::ifstream in(path, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, expected);
  const TKDialogRequest request = TKScriptedDialogRequests().back();
  EXPECT_EQ(request.panel.title, "Save 3D LUT Image");
}

// Curves load as one record change that switches the curves on; saving
// writes the four RGB curves.
TEST_F(AppCommands, CurvesLoadAndSaveTheFourRGBCurves) {
  VL_SettingsStruct shaped = gUISettings;
  VL_CurveSpline& red = shaped.rgbCurves[1].spline;
  red.pointCount = 3;
  red.x[0] = 0.0f, red.y[0] = 0.0f;
  red.x[1] = 128.0f / 255.0f, red.y[1] = 160.0f / 255.0f;
  red.x[2] = 1.0f, red.y[2] = 1.0f;
  const std::string acv = folder + "/shape.acv";
  ASSERT_EQ(CurveWriteACV(acv.c_str(), shaped.rgbCurves), kQVNoErr);
  gUISettings.curvesEnable = 0;
  gUISettings.rgbCurvesEnable = 0;
  const uint32_t undoable = gUndoBuffer->undoable;

  TKQueueDialogAnswer(Cancelled());
  EXPECT_EQ(HandleAppCommand(kAppCmdLoadCurves, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gUndoBuffer->undoable, undoable);
  EXPECT_EQ(gUISettings.curvesEnable, 0u);

  TKQueueDialogAnswer(Choose(acv));
  EXPECT_EQ(HandleAppCommand(kAppCmdLoadCurves, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gUndoBuffer->undoable, undoable + 1);
  EXPECT_EQ(gUISettings.curvesEnable, 1u);
  EXPECT_EQ(gUISettings.rgbCurvesEnable, 1u);
  EXPECT_EQ(CurveACVBytes(gUISettings.rgbCurves), CurveACVBytes(shaped.rgbCurves));
  EXPECT_EQ(Pixels(gResultFrame), Expected());

  const std::string out = folder + "/again.acv";
  TKQueueDialogAnswer(Choose(out));
  EXPECT_EQ(HandleAppCommand(kAppCmdSaveCurves, nullptr), kQVErrNotHandled);
  std::ifstream in(out, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, CurveACVBytes(shaped.rgbCurves));
}

// Saving settings writes a preset; into the user presets folder it also
// has the gallery's preset folders rebuilt.
TEST_F(AppCommands, SavingIntoTheUserPresetsRebuildsTheGalleryPresets) {
  static int rebuilt;
  rebuilt = 0;
  AppServices().rebuildPresetGallery = [] { ++rebuilt; };
  const std::string presets = folder + "/VELMORA_USER_SUPPORT/Quorvane/Velmora Presets";
  std::filesystem::create_directories(presets);
  gUISettings.hsl[0].gain = 1.25f;
  for (const auto& [dir, rebuilds] : {std::pair{folder, 0}, std::pair{presets, 1}}) {
    TKQueueDialogAnswer(Choose(dir + "/mine.vlpreset"));
    EXPECT_EQ(HandleAppCommand(kAppCmdSaveSettings, nullptr), kQVErrNotHandled);
    VL_SettingsStruct back;
    std::memset(&back, 0, sizeof back);
    VL_SetDefaultControlValues(&back, kVLMaskAll);
    QVFileRef file;
    ASSERT_EQ(PLFileRefFromPath((dir + "/mine.vlpreset").c_str(), &file), kQVNoErr);
    ASSERT_EQ(CCLoadSettingsFromRef(&file, &back), kQVNoErr);
    EXPECT_TRUE(ChangedWords(back, gUISettings).empty());
    EXPECT_EQ(rebuilt, rebuilds);
  }
}

}  // namespace

namespace {

// With the surfaces there, their definitions go to and come from the files
// the panels chose; a cancelled panel calls nothing.
TEST_F(AppCommands, SurfaceDefinitionsGoThroughTheirPanels) {
  static std::vector<std::string> calls;
  calls.clear();
  AppServices().surfaceWriteDefinitions = [](const char* path, const char* name) -> QVStatus {
    calls.push_back(std::string("write ") + path + " " + name);
    return kQVNoErr;
  };
  AppServices().surfaceReadDefinitions = [](const char* path) -> QVStatus {
    calls.push_back(std::string("read ") + path);
    return kQVNoErr;
  };
  TKQueueDialogAnswer(Cancelled());
  EXPECT_EQ(HandleAppCommand(kAppCmdSaveSurfaceDefinitions, nullptr), kQVErrNotHandled);
  TKQueueDialogAnswer(Choose(folder + "/desk.vlws"));
  EXPECT_EQ(HandleAppCommand(kAppCmdSaveSurfaceDefinitions, nullptr), kQVErrNotHandled);
  std::ofstream(folder + "/desk.vlws") << "<x/>";
  TKQueueDialogAnswer(Choose(folder + "/desk.vlws"));
  EXPECT_EQ(HandleAppCommand(kAppCmdLoadSurfaceDefinitions, nullptr), kQVErrNotHandled);
  EXPECT_EQ(calls, (std::vector<std::string>{"write " + folder + "/desk.vlws desk.vlws", "read " + folder + "/desk.vlws"}));
  const std::vector<TKDialogRequest> requests = TKScriptedDialogRequests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].panel.title, "Save Knobwell Settings");
  EXPECT_EQ(requests[2].panel.title, "Load Knobwell Settings");
  EXPECT_TRUE(Alerts().empty());
}

}  // namespace

namespace {

TEST_F(AppCommands, HelpWithoutTheApplicationSupportFolderSaysSo) {
  std::filesystem::remove_all(folder + "/VELMORA_SYSTEM_SUPPORT");
  testing::internal::CaptureStdout();
  EXPECT_EQ(HandleAppCommand(kAppCmdHelp, nullptr), kQVErrNotHandled);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Velmora: Unable to locate kApplicationSupportFolderType\n");
}

}  // namespace

namespace {

// What Preferences does after the dialog, by what the dialog changed: the
// outputs, monitors and surfaces it touches, and nothing when nothing changed.
std::vector<std::string> gPrefsCalls;
void (*gPrefsChange)(PrefsSettings*) = nullptr;

TEST_F(AppCommands, PreferencesActOnlyOnWhatTheDialogChanged) {
  UIServiceHooks& h = UIHooks();
  h.startVideoOutput = [](uint32_t d) { gPrefsCalls.push_back("start " + std::to_string(d)); };
  h.stopVideoOutput = [](uint32_t d) { gPrefsCalls.push_back("stop " + std::to_string(d)); };
  h.updateVideoOutputFrame = [](uint32_t) { gPrefsCalls.push_back("frame"); };
  h.openSecondaryPreview = [](int32_t m) { gPrefsCalls.push_back("monitor " + std::to_string(m)); };
  h.updateSecondaryPreview = [](bool) { gPrefsCalls.push_back("secondary"); };
  h.surfaceStop = [] { gPrefsCalls.push_back("surface stop"); };
  h.surfaceStart = [](int32_t m) { gPrefsCalls.push_back("surface " + std::to_string(m)); };
  h.externalPreviewAvailable = [] { return true; };
  h.openExternalPreview = [] { gPrefsCalls.push_back("glow open"); };
  h.closeExternalPreview = [] { gPrefsCalls.push_back("glow close"); };
  h.setHelpTagsShown = [](bool shown) { gPrefsCalls.push_back(shown ? "tags on" : "tags off"); };
  AppServices().runPreferencesDialog = [](int32_t*) {
    const PrefsSettings before = gPrefsSettings;
    if (gPrefsChange) gPrefsChange(&gPrefsSettings);
    return before.externalPreviewDevice != gPrefsSettings.externalPreviewDevice ||
           before.previewImageScaling != gPrefsSettings.previewImageScaling ||
           before.secondaryPreviewMonitor != gPrefsSettings.secondaryPreviewMonitor ||
           before.lutIndex[1] != gPrefsSettings.lutIndex[1] ||
           before.controlSurfaceMode != gPrefsSettings.controlSurfaceMode ||
           std::strcmp(before.controlSurfaceIP, gPrefsSettings.controlSurfaceIP) != 0 ||
           before.undoDepth != gPrefsSettings.undoDepth;
  };
  const uint32_t none = QVFourCC("NoNE"), glow = QVFourCC("GlOW"), card = QVFourCC("AJAk");
  const std::string n = std::to_string(none), g = std::to_string(glow), c = std::to_string(card);
  struct Case {
    const char* name;
    void (*change)(PrefsSettings*);
    std::vector<std::string> calls;
  } cases[] = {
      {"nothing changed", [](PrefsSettings*) {}, {}},
      {"another device", [](PrefsSettings* p) { p->externalPreviewDevice = QVFourCC("AJAk"); },
       {"glow close", "stop " + n, "start " + c, "frame", "tags off"}},
      {"the external preview library", [](PrefsSettings* p) { p->externalPreviewDevice = QVFourCC("GlOW"); },
       {"glow open", "stop " + n, "start " + g, "frame", "tags off"}},
      {"scaling only", [](PrefsSettings* p) { p->previewImageScaling ^= 1; }, {"glow close", "frame", "tags off"}},
      {"a secondary monitor", [](PrefsSettings* p) { p->secondaryPreviewMonitor = 2; },
       {"glow close", "monitor 2", "secondary", "frame", "tags off"}},
      {"the secondary LUT", [](PrefsSettings* p) { p->lutIndex[1] = 52; }, {"glow close", "secondary", "tags off"}},
      {"the surface's address", [](PrefsSettings* p) { std::snprintf(p->controlSurfaceIP, 128, "10.0.0.9"); },
       {"glow close", "surface stop", "tags off"}},
      {"a linked surface", [](PrefsSettings* p) { p->controlSurfaceMode = 3; },
       {"glow close", "surface stop", "surface 3", "tags off"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    PFLoadDefaultPreferences(&gPrefsSettings);
    gPrefsSettings.externalPreviewDevice = none;
    gPrefsSettings.secondaryPreviewMonitor = 0;
    gPrefsSettings.controlSurfaceMode = 1;
    gPrefsSettings.toolTips = 0;
    gPrefsCalls.clear();
    gPrefsChange = k.change;
    EXPECT_EQ(HandleAppCommand(kAppCmdPreferences, nullptr), kQVErrNotHandled);
    EXPECT_EQ(gPrefsCalls, k.calls);
  }
  gPrefsChange = nullptr;
}

}  // namespace

namespace {

// The program gaining and losing the focus, injected as the toolkit delivers
// it: losing it stops playback and the video output and hides the secondary
// preview; gaining it redraws the menu bar and, only while an exchange is
// attached, brings the secondary preview and the video output back. Neither
// is taken: handlers after the application's still see both.
std::vector<std::string> gFocusCalls;
bool gVideoRunning = false;

TEST_F(AppCommands, TheProgramGainingOrLosingTheFocusStartsOrStopsTheOutputs) {
  UIServiceHooks& h = UIHooks();
  h.stopPreviewPlayback = [] { gFocusCalls.push_back("stop playback"); };
  h.pauseTransports = [] { gFocusCalls.push_back("pause"); };
  h.startVideoOutput = [](uint32_t d) { gFocusCalls.push_back("start " + std::to_string(d)); };
  h.stopVideoOutput = [](uint32_t d) { gFocusCalls.push_back("stop " + std::to_string(d)); };
  h.updateVideoOutputFrame = [](uint32_t d) { gFocusCalls.push_back("frame " + std::to_string(d)); };
  h.showSecondaryPreview = [](bool shown) { gFocusCalls.push_back(shown ? "secondary shown" : "secondary hidden"); };
  AppServices().videoOutputOpen = [] { return gVideoRunning; };
  int passedOn = 0;
  TKInstallAppHandler([&passedOn](TKEvent& e) {
    if (e.kind == kTKEventAppActivated || e.kind == kTKEventAppDeactivated) ++passedOn;
    return kQVErrNotHandled;
  });
  InstallAppCommands();  // ahead of the handler above again
  gPrefsSettings.externalPreviewDevice = C("AJAk");
  const std::string d = std::to_string(C("AJAk"));
  auto block = std::make_unique<CCUIComm>();
  struct Case {
    const char* name;
    bool active, attached, videoRunning;
    std::vector<std::string> calls;
  } cases[] = {
      {"lost with an exchange", false, true, true, {"stop playback", "pause", "stop " + d, "secondary hidden"}},
      {"lost without one", false, false, false, {"stop playback", "pause", "stop " + d, "secondary hidden"}},
      {"gained with an exchange", true, true, false, {"secondary shown", "start " + d, "frame " + d}},
      {"gained with the output running", true, true, true, {"secondary shown", "frame " + d}},
      {"gained without an exchange", true, false, false, {}},
  };
  TKWindow* bar = AppMenuBarWindow();
  ASSERT_TRUE(TKIsWindowVisible(bar));
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    gUIComm.block = k.attached ? block.get() : nullptr;
    gVideoRunning = k.videoRunning;
    gFocusCalls.clear();
    passedOn = 0;
    TKRenderWindow(bar);
    ASSERT_FALSE(TKWindowNeedsRedraw(bar));
    TKInjectAppActivation(k.active);
    TKRunPending();
    EXPECT_EQ(gFocusCalls, k.calls);
    EXPECT_EQ(passedOn, 1);
    EXPECT_EQ(TKWindowNeedsRedraw(bar), k.active) << "the menu bar is drawn again on gaining the focus";
    // Asked directly, the handler answers the same.
    TKEvent e;
    e.kind = k.active ? kTKEventAppActivated : kTKEventAppDeactivated;
    EXPECT_EQ(HandleApplicationEvents(e), kQVErrNotHandled);
  }
  gUIComm.block = nullptr;
  gVideoRunning = false;
}

}  // namespace
