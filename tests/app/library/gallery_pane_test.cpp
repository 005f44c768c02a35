// The gallery pane on a headless window: rows for the tree, buttons that
// follow the selection, deleting with its question, new folders, drags,
// dropped files, and the list's layout kept in the preferences.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/library/gallery_pane.h"
#include "app/library/gallery_presets.h"
#include "platform/alert_script.h"
#include "platform/fourcc.h"
#include "platform/prefs_store.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"
#include "platform/ui/ui_internal.h"
#include "settings/preset_file.h"
#include "tests/scratch_folder.h"

namespace {

class GalleryPaneTest : public testing::Test {
 protected:
  void SetUp() override {
    root = MakeScratchFolder("pane");
    for (const char* sub : {"prefs", "system", "user", "files"}) std::filesystem::create_directories(root + "/" + sub);
    setenv("VELMORA_PREFERENCES", (root + "/prefs").c_str(), 1);
    setenv("VELMORA_SYSTEM_SUPPORT", (root + "/system").c_str(), 1);
    setenv("VELMORA_USER_SUPPORT", (root + "/user").c_str(), 1);
    PLPrefsDiscard(kPFDomain);
    PFLoadDefaultPreferences(&gPrefsSettings);
    GalleryResetModel();
    TKUseFakeClock(true);
    ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
    PLAlertScriptBegin();
    window = TKCreateWindow(kTKWindowPlain, TKMakeRect(50, 50, 800, 500), "Gallery");
    TKShowWindow(window);
    MakePane();
  }
  void TearDown() override {
    ForgetGalleryPane();
    GalleryResetModel();
    PLAlertScriptEnd();
    TKShutdownToolkit();
    TKUseFakeClock(false);
    PLPrefsDiscard(kPFDomain);
    for (const char* v : {"VELMORA_PREFERENCES", "VELMORA_SYSTEM_SUPPORT", "VELMORA_USER_SUPPORT"}) unsetenv(v);
  }
  void MakePane() {
    ASSERT_EQ(CreateGalleryControl(window, TKMakeRect(0, 0, 780, 400), nullptr, 7, &pane), kQVNoErr);
    list = GalleryListControl(pane);
  }
  QVFileRef File(const std::string& name) {
    std::string path = root + "/files/" + name;
    std::ofstream(path) << "x";
    QVFileRef ref{};
    EXPECT_EQ(PLFileRefFromPath(path.c_str(), &ref), kQVNoErr);
    return ref;
  }
  std::vector<std::string> Rows() {
    std::vector<std::string> out;
    for (int32_t r = 0; r < TKListRowCount(list); ++r)
      out.push_back(std::string(size_t(TKListRowDepth(list, r)), '-') + TKListGetCell(list, r, 0));
    return out;
  }
  TKPoint RowPoint(int32_t row) {
    TKRect b = TKGetControlBounds(list);
    return TKPoint{b.left + 60, b.top + kTKListHeaderHeight + row * kTKListRowHeight + 5};
  }
  bool Enabled(GalleryButton b) { return TKIsControlEnabled(GalleryButtonControl(pane, b)); }

  std::string root;
  TKWindow* window = nullptr;
  TKControl* pane = nullptr;
  TKControl* list = nullptr;
};

TEST_F(GalleryPaneTest, RowsFollowTheTreeAndButtonsFollowTheSelection) {
  GalleryItem* shots = AddGalleryFolderItem(pane, "Shots", kGalleryBlankComment, 100, 11, 0);
  ASSERT_NE(shots, nullptr);
  QVFileRef a = File("a.png"), b = File("b.tif");
  AddGalleryFileItem(pane, &a, "first", 11);
  AddGalleryFileItem(pane, &b, "second", 0);
  EXPECT_EQ(AddGalleryFolderItem(pane, "Lost", "", 0, 12, 999), nullptr);  // no such parent
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Shots", "b.tif"}));
  EXPECT_FALSE(Enabled(kGalleryButtonApply));
  EXPECT_FALSE(Enabled(kGalleryButtonDelete));
  EXPECT_TRUE(Enabled(kGalleryButtonNewFolder));
  EXPECT_TRUE(Enabled(kGalleryButtonSavePreset));
  ASSERT_TRUE(TKListOpenContainer(list, shots->refNum));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Shots", "-a.png", "b.tif"}));
  EXPECT_TRUE(shots->open);
  TKInjectClick(window, RowPoint(2));
  TKRunPending();
  EXPECT_TRUE(Enabled(kGalleryButtonApply));
  EXPECT_TRUE(Enabled(kGalleryButtonDelete));
  EXPECT_EQ(TKListGetCell(list, 2, 4), std::string(root + "/files/b.tif"));
  EXPECT_EQ(TKListGetCell(list, 2, 2), "second");
  EXPECT_EQ(TKListGetCell(list, 0, 4), "");  // folders have no path

  // The system presets cannot be deleted.
  std::string system = root + "/system/Quorvane/Velmora Presets";
  std::filesystem::create_directories(system);
  RebuildPresetGalleryFolders();
  GalleryItem* sys = FindGalleryItemByName(Gallery().root, kGallerySystemPresetsName);
  GallerySelectItems(pane, {sys});
  UpdateGalleryButtons(pane);
  EXPECT_TRUE(Enabled(kGalleryButtonApply));
  EXPECT_FALSE(Enabled(kGalleryButtonDelete));
  GalleryButtonHandler(pane, kGalleryButtonDelete);
  EXPECT_NE(FindGalleryItemByName(Gallery().root, kGallerySystemPresetsName), nullptr);
  // Drawing the pane with one item selected fills in its thumbnail.
  TKImage* image = TKImageCreate(800, 500);
  TKContext* ctx = TKBeginDrawing(image);
  GallerySelectItems(pane, {Gallery().byRef[TKListRowID(list, TKListFindRow(list, shots->refNum))]});
  DrawGalleryPane(pane, ctx);
  TKEndDrawing(ctx);
  TKImageDispose(image);
}

TEST_F(GalleryPaneTest, DeletingAFolderAsksFirstAndUserPresetsLeaveTheDisk) {
  std::string user = root + "/user/Quorvane/Velmora Presets";
  std::filesystem::create_directories(user);
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  QVFileRef userRef;
  ASSERT_EQ(PLFileRefFromPath(user.c_str(), &userRef), kQVNoErr);
  ASSERT_EQ(CCSaveSettingsToRefAndString(&userRef, "Mine.vlpreset", &s), kQVNoErr);
  RebuildPresetGalleryFolders();
  GalleryItem* folder = AddGalleryFolderItem(pane, "Full", "", 0, 21, 0);
  QVFileRef a = File("a.png");
  AddGalleryFileItem(pane, &a, "", 21);

  // Cancel keeps the folder; Delete takes it with its contents.
  GallerySelectItems(pane, {folder});
  PLAlertScriptAnswer(kPLAnswerOther);
  GalleryButtonHandler(pane, kGalleryButtonDelete);
  EXPECT_NE(FindGalleryItemByID(Gallery().root, 21), nullptr);
  PLAlertScriptAnswer(kPLAnswerDefault);
  GalleryButtonHandler(pane, kGalleryButtonDelete);
  EXPECT_EQ(FindGalleryItemByID(Gallery().root, 21), nullptr);
  EXPECT_TRUE(std::filesystem::exists(a.path));  // a gallery file stays on disk
  EXPECT_EQ(PLAlertScriptRecorded().size(), 2u);

  // A user preset goes from the disk too; the user folder itself only from the gallery.
  GalleryItem* userFolder = FindGalleryItemByName(Gallery().root, kGalleryUserPresetsName);
  ASSERT_TRUE(TKListOpenContainer(list, userFolder->refNum));
  GallerySelectItems(pane, {FindGalleryItemByName(Gallery().root, "Mine")});
  UpdateGalleryButtons(pane);
  EXPECT_TRUE(Enabled(kGalleryButtonDelete));
  GalleryButtonHandler(pane, kGalleryButtonDelete);
  EXPECT_FALSE(std::filesystem::exists(user + "/Mine.vlpreset"));
  ASSERT_EQ(CCSaveSettingsToRefAndString(&userRef, "Again.vlpreset", &s), kQVNoErr);
  RebuildPresetGalleryFolders();
  GallerySelectItems(pane, {FindGalleryItemByName(Gallery().root, kGalleryUserPresetsName)});
  PLAlertScriptAnswer(kPLAnswerDefault);
  GalleryButtonHandler(pane, kGalleryButtonDelete);
  EXPECT_EQ(FindGalleryItemByName(Gallery().root, kGalleryUserPresetsName), nullptr);
  EXPECT_TRUE(std::filesystem::exists(user + "/Again.vlpreset"));
  RebuildPresetGalleryFolders();
  EXPECT_NE(FindGalleryItemByName(Gallery().root, "Again"), nullptr);
}

TEST_F(GalleryPaneTest, NewFoldersAreNamedInTheListAndDragsAndDroppedFilesMoveItems) {
  GalleryButtonHandler(pane, kGalleryButtonNewFolder);
  ASSERT_EQ(TKListEditingRow(list), TKListFindRow(list, Gallery().root->refNum));
  EXPECT_NE(Gallery().root->id, 0u);
  EXPECT_TRUE(GalleryEditingText());
  for (int i = 0; i < 10; ++i) TKInjectKey(kTKKeyBackspace);
  TKInjectText("Dailies");
  TKInjectKey(kTKKeyReturn);
  TKRunPending();
  EXPECT_FALSE(GalleryEditingText());
  GalleryItem* dailies = Gallery().root;
  EXPECT_STREQ(dailies->name, "Dailies");
  EXPECT_STREQ(dailies->kind, "Folder");

  QVFileRef a = File("a.png");
  AddGalleryFileItem(pane, &a, kGalleryBlankComment, 0);
  GalleryReloadList(pane);
  ASSERT_EQ(Rows(), (std::vector<std::string>{"a.png", "Dailies"}));
  // Drag the file onto the folder.
  TKInjectMouseDown(window, RowPoint(0));
  TKInjectMouseDrag(window, TKPoint{RowPoint(0).x, RowPoint(0).y + 6});
  TKInjectMouseDrag(window, RowPoint(1));
  TKInjectMouseUp(window, RowPoint(1));
  TKRunPending();
  EXPECT_EQ(Gallery().root, dailies);
  ASSERT_NE(dailies->firstChild, nullptr);
  EXPECT_EQ(GalleryShownName(dailies->firstChild), "a.png");
  // Files dropped from outside onto the folder join it; unknown kinds do not.
  File("b.jpg");
  File("c.exr");
  TKRect b = TKGetControlBounds(list);
  EXPECT_TRUE(TKDropFiles(window, TKPoint{b.left + 60, b.top + kTKListHeaderHeight + 5},
                          {root + "/files/b.jpg", root + "/files/c.exr"}));
  int children = 0;
  for (GalleryItem* i = dailies->firstChild; i; i = i->next) ++children;
  EXPECT_EQ(children, 2);
  EXPECT_TRUE(PLAlertScriptRecorded().empty());
}

TEST_F(GalleryPaneTest, ColumnLayoutAndSortAreKeptInThePreferences) {
  QVFileRef a = File("shot 10.png"), b = File("Shot 9.png");
  AddGalleryFileItem(pane, &a, "z", 0);
  AddGalleryFileItem(pane, &b, "y", 0);
  TKListSort(list, 0, true);
  EXPECT_EQ(TKListGetCell(list, 0, 0), "Shot 9.png");  // numbers in names by value, case ignored
  TKListSetColumnWidth(list, 2, 222);
  TKListSetColumnPosition(list, 4, 1);
  TKListSort(list, 2, false);
  SaveGalleryColumnPrefs(pane, &gPrefsSettings);
  EXPECT_EQ(gPrefsSettings.gallerySortCol, int32_t(QVFourCC("cmnt")));
  EXPECT_EQ(gPrefsSettings.gallerySortOrder, 2);
  ASSERT_EQ(PFSavePreferences(&gPrefsSettings), kQVNoErr);
  PFSaveGallery(pane);

  // A new run: defaults, then the stored values.
  ForgetGalleryPane();
  GalleryResetModel();
  PLPrefsDiscard(kPFDomain);
  PFLoadDefaultPreferences(&gPrefsSettings);
  PFLoadPreferences(&gPrefsSettings);
  MakePane();
  PFLoadGallery(pane);
  EXPECT_EQ(TKListGetColumnWidth(list, 2), 222);
  EXPECT_EQ(TKListGetColumnPosition(list, 4), 1);
  EXPECT_EQ(TKListSortColumn(list), 2);
  EXPECT_FALSE(TKListSortAscending(list));
  std::vector<std::string> names;
  for (int32_t r = 0; r < TKListRowCount(list); ++r)
    if (TKListGetCell(list, r, 1) == "PNG") names.push_back(TKListGetCell(list, r, 0));
  EXPECT_EQ(names, (std::vector<std::string>{"shot 10.png", "Shot 9.png"}));
}

// Saving the gallery into a preferences folder that cannot be made (a file
// has its name) tells the user, naming the preferences file.
TEST_F(GalleryPaneTest, AGalleryThatCannotBeSavedIsReported) {
  QVFileRef a = File("shot.png");
  AddGalleryFileItem(pane, &a, "kept", 0);
  PFSaveGallery(pane);
  EXPECT_TRUE(PLAlertScriptRecorded().empty());
  std::ofstream(root + "/blocked") << "x";
  setenv("VELMORA_PREFERENCES", (root + "/blocked/prefs").c_str(), 1);
  PLPrefsDiscard(kPFDomain);
  PFSaveGallery(pane);
  const std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_NE((alerts[0].message + alerts[0].detail).find("Cannot save \"" + PLPrefsDomainPath(kPFDomain) + "\""),
            std::string::npos);
}

// Applying a file item whose file cannot be opened as the reference image
// names the file in an alert.
TEST_F(GalleryPaneTest, AReferenceThatCannotBeOpenedIsReported) {
  QVFileRef a = File("gone.png");
  AddGalleryFileItem(pane, &a, "", 0);
  // A new item goes to the head of its list; file items go by their path.
  GalleryItem* item = Gallery().root;
  ASSERT_NE(item, nullptr);
  ASSERT_STREQ(item->file.path, a.path);
  std::filesystem::remove(a.path);
  const GalleryMediaHooks kept = GalleryMedia();
  struct Case {
    QVStatus status;
    size_t alerts;
  } cases[] = {{kQVNoErr, 0}, {kQVErrFileNotFound, 1}};
  for (const Case& c : cases) {
    static QVStatus answer;
    answer = c.status;
    GalleryMedia().applyReference = [](const QVFileRef*, int32_t, int32_t, bool) -> QVStatus { return answer; };
    PLAlertScriptEnd();
    PLAlertScriptBegin();
    ApplyGalleryItem(item, false);
    const std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
    ASSERT_EQ(alerts.size(), c.alerts) << c.status;
    if (c.alerts) {
      EXPECT_NE((alerts[0].message + alerts[0].detail).find(a.path), std::string::npos);
    }
  }
  GalleryMedia() = kept;
}

}  // namespace
