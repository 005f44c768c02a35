// The panel family: remembered folders and hide-extension state per dialog
// id, type lists, outputs on confirm and cancel. Panels answer from the
// toolkit's script.
#include "settings/file_panels.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/fourcc.h"
#include "platform/prefs_store.h"
#include "platform/ui/ui_dialogs.h"
#include "tests/scratch_folder.h"

namespace {

constexpr int32_t kSaveCurve = int32_t(QVFourCC("SvCv"));
constexpr int32_t kLoadCurve = int32_t(QVFourCC("LdCv"));

const QVFileTypeListEntry kCurveTypes[] = {
    {QVFourCC("8BSC"), ".acv", "Curve Files", nullptr},
    {QVFourCC("8BLT"), ".amp", "Arbitrary Map Files", nullptr},
    {QVFourCC("TEXT"), ".lut", "Autodesk 1D LUT Files", nullptr},
    {QVFourCC("????"), "-", "-", nullptr},
    {QVFourCC("????"), ".*", "All Documents", nullptr},
    {0, nullptr, nullptr, nullptr},
};

class FilePanels : public testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeScratchFolder("panels");
    home_ = root_ + "/home";
    std::filesystem::create_directories(home_ + "/grades");
    std::ofstream(home_ + "/grades/look.acv") << "x";
    std::ofstream(home_ + "/grades/other.acv") << "x";
    const char* home = std::getenv("HOME");
    savedHome_ = home ? home : "";
    setenv("HOME", home_.c_str(), 1);
    setenv("VELMORA_PREFERENCES", (root_ + "/prefs").c_str(), 1);
    PLPrefsDiscard(kQVPanelsDomain);
    TKClearDialogScript();
  }
  void TearDown() override {
    TKClearDialogScript();
    PLPrefsDiscard(kQVPanelsDomain);
    unsetenv("VELMORA_PREFERENCES");
    setenv("HOME", savedHome_.c_str(), 1);
  }
  static void Answer(const std::string& path, int32_t typeIndex = 0, bool hide = false) {
    TKDialogAnswer a;
    a.path = path;
    a.typeIndex = typeIndex;
    a.hideExtension = hide;
    TKQueueDialogAnswer(a);
  }
  static void Cancel() {
    TKDialogAnswer a;
    a.status = kQVErrCancelled;
    TKQueueDialogAnswer(a);
  }
  static TKPanelRequest LastPanel() { return TKScriptedDialogRequests().back().panel; }
  std::string root_, home_, savedHome_;
};

TEST_F(FilePanels, FolderIsRememberedPerDialogIdAndKind) {
  QVFileRef file;
  Answer(home_ + "/grades/look.acv", 2);
  int32_t typeIndex = -1;
  ASSERT_EQ(kQVNoErr, QVGetFileSelectionSingleWithTypeList(&file, &typeIndex, "Load Curve", "Load", nullptr,
                                                           kLoadCurve, kCurveTypes));
  EXPECT_EQ(home_, LastPanel().folder) << "first use opens in the home folder";
  EXPECT_EQ("Load Curve", LastPanel().title);
  EXPECT_EQ("Load", LastPanel().prompt);
  EXPECT_EQ(home_ + "/grades/look.acv", std::string(file.path));
  EXPECT_EQ(2, typeIndex);
  std::string stored;
  ASSERT_TRUE(GetOpenPanelPathPref(kQVPanelKindGet, kLoadCurve, &stored));
  EXPECT_EQ("~/grades", stored);

  // The same id opens there again, also from a fresh read of the domain.
  PLPrefsDiscard(kQVPanelsDomain);
  Answer(home_ + "/grades/other.acv");
  ASSERT_EQ(kQVNoErr, QVGetFileSelectionSingle(&file, nullptr, nullptr, nullptr, kLoadCurve, kCurveTypes));
  EXPECT_EQ(home_ + "/grades", LastPanel().folder);
  // Another id, and the save kind of the same id, start at home.
  Answer(home_ + "/grades/other.acv");
  ASSERT_EQ(kQVNoErr, QVGetFileSelectionSingle(&file, nullptr, nullptr, nullptr, kSaveCurve, kCurveTypes));
  EXPECT_EQ(home_, LastPanel().folder);
  QVPutFileReply reply;
  std::string name;
  Answer(home_ + "/new.acv");
  ASSERT_EQ(kQVNoErr, QVPutFileSelection(&file, &name, &reply, nullptr, nullptr, nullptr, kLoadCurve, "acv",
                                         "Untitled Curve"));
  EXPECT_EQ(home_, LastPanel().folder);
  EXPECT_EQ(home_, std::string(file.path));
  EXPECT_EQ("new.acv", name);
  EXPECT_TRUE(reply.hasSelection);
  EXPECT_EQ("new.acv", reply.selection);
  EXPECT_EQ(kQVNoErr, QVPutFileComplete(&reply));
  EXPECT_FALSE(reply.hasSelection);
}

TEST_F(FilePanels, HideExtensionIsRememberedForSavePanels) {
  QVPutFileReply reply;
  char path[kQVMaxPath];
  Answer(home_ + "/grades/a.acv", 0, true);
  ASSERT_EQ(kQVNoErr, QVPutFileSelectionAsPath(path, sizeof path, &reply, "Save Curve", "Save", nullptr, kSaveCurve,
                                               "acv", "Untitled Curve"));
  EXPECT_FALSE(LastPanel().hideExtension) << "unchecked when nothing is stored";
  EXPECT_EQ("Untitled Curve", LastPanel().fileName);
  ASSERT_EQ(1u, LastPanel().types.size());
  EXPECT_EQ("acv", LastPanel().types[0].extension);
  EXPECT_EQ(home_ + "/grades/a.acv", std::string(path));
  EXPECT_FALSE(reply.hasSelection);
  bool stored = false;
  ASSERT_TRUE(PLPrefsGetBool(kQVPanelsDomain, "NSNavLastUserSetHideExtensionButtonState:PutFile:1400259446", &stored));
  EXPECT_TRUE(stored);
  EXPECT_TRUE(GetOpenPanelHideExtensionPref(kQVPanelKindPut, kSaveCurve));
  EXPECT_FALSE(GetOpenPanelHideExtensionPref(kQVPanelKindGet, kSaveCurve));
  EXPECT_TRUE(GetOpenPanelHideExtensionPref(nullptr, kSaveCurve));
  std::string folder;
  ASSERT_TRUE(PLPrefsGetString(kQVPanelsDomain, "NSNavLastCurrentDirectory:PutFile:1400259446", &folder));
  EXPECT_EQ("~/grades", folder);

  Answer(home_ + "/grades/b.acv", 0, false);
  ASSERT_EQ(kQVNoErr, QVPutFileSelectionAsPath(path, sizeof path, &reply, nullptr, nullptr, nullptr, kSaveCurve,
                                               "acv", nullptr));
  EXPECT_TRUE(LastPanel().hideExtension);
  EXPECT_EQ(home_ + "/grades", LastPanel().folder);
  EXPECT_FALSE(GetOpenPanelHideExtensionPref(kQVPanelKindPut, kSaveCurve));
}

TEST_F(FilePanels, CancelChangesNothing) {
  QVFileRef file;
  std::strcpy(file.path, "/before");
  Cancel();
  EXPECT_EQ(kQVErrCancelled, QVGetFileSelectionSingle(&file, nullptr, nullptr, nullptr, kLoadCurve, kCurveTypes));
  EXPECT_STREQ("/before", file.path);
  QVFileRef* files = reinterpret_cast<QVFileRef*>(&file);
  int32_t count = 5;
  Cancel();
  EXPECT_EQ(kQVErrCancelled, QVGetFileSelectionMultiple(&files, &count, nullptr, nullptr, nullptr, kLoadCurve, kCurveTypes));
  EXPECT_EQ(nullptr, files);
  EXPECT_EQ(0, count);
  QVPutFileReply reply;
  reply.hasSelection = true;
  reply.selection = "old";
  std::string name = "kept";
  Cancel();
  EXPECT_EQ(kQVErrCancelled, QVPutFileSelection(&file, &name, &reply, nullptr, nullptr, nullptr, kSaveCurve, "acv", nullptr));
  EXPECT_FALSE(reply.hasSelection);
  EXPECT_EQ("kept", name);
  Cancel();
  EXPECT_EQ(kQVErrCancelled, QVGetFolderSelection(&file, nullptr, nullptr, nullptr, kLoadCurve));
  EXPECT_FALSE(GetOpenPanelPathPref(kQVPanelKindGet, kLoadCurve, nullptr));
  EXPECT_FALSE(GetOpenPanelPathPref(kQVPanelKindPut, kSaveCurve, nullptr));
  EXPECT_FALSE(std::filesystem::exists(PLPrefsDomainPath(kQVPanelsDomain)));
}

TEST_F(FilePanels, TypeListsMultipleChoicesAndShortBuffers) {
  const QVFileTypeListEntry none[] = {{0, nullptr, nullptr, nullptr}};
  QVFileRef file;
  Answer(home_ + "/grades/look.acv");
  ASSERT_EQ(kQVNoErr, QVGetFileSelectionSingle(&file, nullptr, nullptr, nullptr, kLoadCurve, none));
  EXPECT_TRUE(LastPanel().types.empty());
  // With the type popup every entry is offered in order, separators included,
  // so the chosen index is the list's; without it separators are left out.
  int32_t index = 0;
  Answer(home_ + "/grades/look.acv", 4);
  ASSERT_EQ(kQVNoErr, QVGetFileSelectionSingleWithTypeList(&file, &index, nullptr, nullptr, nullptr, kLoadCurve,
                                                           kCurveTypes));
  ASSERT_EQ(5u, LastPanel().types.size());
  EXPECT_EQ("amp", LastPanel().types[1].extension);
  EXPECT_EQ("*", LastPanel().types[4].extension);
  EXPECT_EQ(4, index);
  Answer(home_ + "/grades/look.acv");
  ASSERT_EQ(kQVNoErr, QVGetFileSelectionSingle(&file, nullptr, nullptr, nullptr, kLoadCurve, kCurveTypes));
  EXPECT_EQ(4u, LastPanel().types.size());

  TKDialogAnswer several;
  several.paths = {home_ + "/grades/look.acv", home_ + "/grades/other.acv"};
  TKQueueDialogAnswer(several);
  QVFileRef* files = nullptr;
  int32_t count = 0;
  ASSERT_EQ(kQVNoErr, QVGetFileSelectionMultiple(&files, &count, nullptr, nullptr, nullptr, kLoadCurve, kCurveTypes));
  EXPECT_TRUE(LastPanel().multiple);
  EXPECT_EQ(4u, LastPanel().types.size()) << "the separator allows no type";
  ASSERT_EQ(2, count);
  ASSERT_NE(nullptr, files);
  EXPECT_EQ(home_ + "/grades/other.acv", std::string(files[1].path));
  std::free(files);

  char small[8];
  Answer(home_ + "/grades/look.acv");
  EXPECT_EQ(kQVErrParam, QVGetFileSelectionSingleAsPath(small, sizeof small, nullptr, nullptr, nullptr, kLoadCurve,
                                                        kCurveTypes));
  EXPECT_EQ(std::string(home_).substr(0, 7), std::string(small)) << "cut and terminated";
  QVPutFileReply reply;
  Answer(home_ + "/grades/new.acv");
  EXPECT_EQ(kQVErrParam, QVPutFileSelectionAsPath(small, sizeof small, &reply, nullptr, nullptr, nullptr, kSaveCurve,
                                                  "acv", nullptr));
  EXPECT_EQ(7u, std::strlen(small));
}

}  // namespace
