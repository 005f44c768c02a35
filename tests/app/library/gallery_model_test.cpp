// The gallery's item tree without windows: kinds, moves, footage, the preset
// folders, and the tree kept in the preferences across a restart.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/library/gallery_model.h"
#include "app/library/gallery_presets.h"
#include "media/media_file.h"
#include "platform/alert_script.h"
#include "platform/fourcc.h"
#include "platform/prefs_store.h"
#include "platform/ui/ui_draw.h"
#include "settings/preset_file.h"
#include "settings/prefs.h"
#include "support/folder_walk.h"
#include "tests/scratch_folder.h"

namespace {

class GalleryModelTest : public testing::Test {
 protected:
  void SetUp() override {
    root = MakeScratchFolder("gallery");
    for (const char* sub : {"prefs", "system", "user", "files"})
      std::filesystem::create_directories(root + "/" + sub);
    setenv("VELMORA_PREFERENCES", (root + "/prefs").c_str(), 1);
    setenv("VELMORA_SYSTEM_SUPPORT", (root + "/system").c_str(), 1);
    setenv("VELMORA_USER_SUPPORT", (root + "/user").c_str(), 1);
    PLPrefsDiscard(kPFDomain);
    GalleryResetModel();
    PLAlertScriptBegin();
  }
  void TearDown() override {
    PLAlertScriptEnd();
    GalleryResetModel();
    PLPrefsDiscard(kPFDomain);
    for (const char* v : {"VELMORA_PREFERENCES", "VELMORA_SYSTEM_SUPPORT", "VELMORA_USER_SUPPORT"}) unsetenv(v);
  }
  QVFileRef File(const std::string& name, uint32_t type = 0) {
    std::string path = root + "/files/" + name;
    std::ofstream(path) << "x";
    QVFileRef ref{};
    EXPECT_EQ(PLFileRefFromPath(path.c_str(), &ref), kQVNoErr);
    if (type) {
      EXPECT_EQ(kQVNoErr, SetFSRefTypeAndCreator(&ref, 0, type));
    }
    return ref;
  }
  void Preset(const std::string& folder, const std::string& name) {
    std::filesystem::create_directories(folder);
    QVFileRef ref{};
    ASSERT_EQ(PLFileRefFromPath(folder.c_str(), &ref), kQVNoErr);
    VL_SettingsStruct s;
    std::memset(&s, 0, sizeof s);
    VL_SetDefaultControlValues(&s, kVLMaskAll);
    ASSERT_EQ(CCSaveSettingsToRefAndString(&ref, name, &s), kQVNoErr);
  }
  // The tree as lines: depth marks, name, comment.
  static std::vector<std::string> Tree() {
    std::vector<std::string> lines;
    std::vector<std::pair<GalleryItem*, int>> stack;
    std::vector<GalleryItem*> roots;
    for (GalleryItem* i = Gallery().root; i; i = i->next) roots.push_back(i);
    for (auto it = roots.rbegin(); it != roots.rend(); ++it) stack.push_back({*it, 0});
    while (!stack.empty()) {
      auto [item, depth] = stack.back();
      stack.pop_back();
      lines.push_back(std::string(size_t(depth), '-') + GalleryShownName(item) + "|" + item->comment);
      std::vector<GalleryItem*> kids;
      for (GalleryItem* c = item->firstChild; c; c = c->next) kids.push_back(c);
      for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.push_back({*it, depth + 1});
    }
    return lines;
  }
  std::string root;
};

TEST_F(GalleryModelTest, FilesTakeTheirKindFromTypeOrExtensionAndUnknownOnesAreRefused) {
  struct Case {
    const char* name;
    uint32_t type;
    const char* kind;  // null: refused
    bool movie;
  } cases[] = {
      {"clip.JPG", QVFourCC("JPEG"), "JPEG", false},
      {"x.tiff", 0, "TIFF", false},
      {"noext", QVFourCC("MooV"), "QuickTime Movie", true},
      {"still.png", QVFourCC("JPEG"), "PNG", false},  // the first row matching either way
      {"x.exr", 0, nullptr, false},
  };
  for (const Case& c : cases) {
    QVFileRef ref = File(c.name, c.type);
    GalleryItem* item = NewGalleryFileItem(&ref, false, 0);
    if (!c.kind) {
      EXPECT_EQ(item, nullptr) << c.name;
      continue;
    }
    ASSERT_NE(item, nullptr) << c.name;
    EXPECT_STREQ(item->kind, c.kind) << c.name;
    EXPECT_EQ(item->movie != 0, c.movie) << c.name;
    EXPECT_GT(item->date, 2082844800LL) << c.name;  // after 1970, in 1904 seconds
  }
  auto alerts = PLAlertScriptRecorded();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].message, "Sorry, Velmora doesn't recognize that image format.");
  // While adding in bulk the refusal is silent; an unknown parent adds nothing.
  Gallery().adding = true;
  QVFileRef exr = File("y.exr");
  EXPECT_EQ(NewGalleryFileItem(&exr, false, 0), nullptr);
  Gallery().adding = false;
  QVFileRef png = File("z.png");
  EXPECT_EQ(NewGalleryFileItem(&png, false, 12345), nullptr);
  EXPECT_EQ(PLAlertScriptRecorded().size(), 1u);
}

TEST_F(GalleryModelTest, IconsAreThumbnailsOfTheFilesAndLandscapeOnesAreShorter) {
  QVMediaInitialize();
  struct Case {
    const char* name;
    int32_t width, height, iconWidth, iconHeight;
  } cases[] = {{"wide.png", 192, 108, 128, 72}, {"tall.png", 54, 96, 128, 128}, {"square.png", 64, 64, 128, 128}};
  for (const Case& c : cases) {
    TKImage* image = TKImageCreate(c.width, c.height);
    std::string path = root + "/files/" + c.name;
    ASSERT_EQ(TKImageWritePNG(image, path.c_str()), kQVNoErr);
    TKImageDispose(image);
    QVFileRef ref{};
    ASSERT_EQ(PLFileRefFromPath(path.c_str(), &ref), kQVNoErr);
    GalleryItem* item = NewGalleryFileItem(&ref, false, 0);
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->icon, nullptr);
    EXPECT_EQ(TKImageWidth(item->icon.get()), c.iconWidth) << c.name;
    EXPECT_EQ(TKImageHeight(item->icon.get()), c.iconHeight) << c.name;
    EXPECT_EQ(item->sourceWidth, c.width) << c.name;
    EXPECT_EQ(item->sourceHeight, c.height) << c.name;
  }
  // A file the media library cannot read gets the placeholder and no size.
  QVFileRef junk = File("junk.png");
  GalleryItem* item = NewGalleryFileItem(&junk, false, 0);
  ASSERT_NE(item, nullptr);
  ASSERT_NE(item->icon, nullptr);
  EXPECT_EQ(TKImageWidth(item->icon.get()), 128);
  EXPECT_EQ(item->sourceWidth, 0);
}

TEST_F(GalleryModelTest, FootageIsBoundedToTwoHundredRecordsAndToItsPathField) {
  std::vector<CCFootageRecord> records(250);
  for (size_t i = 0; i < records.size(); ++i)
    std::snprintf(records[i].path, sizeof records[i].path, "/media/clip%zu.mov", i);
  std::memset(records[3].path, 0, sizeof records[3].path);  // empty: skipped
  // A path filling its whole field with no terminator stays inside the field.
  std::memset(records[5].path, 'a', sizeof records[5].path);
  std::memcpy(records[5].path + sizeof records[5].path - 4, ".mov", 4);
  records[5].word = 0x41414141;
  auto added = GalleryAddFootage(int32_t(records.size()), records.data());
  EXPECT_EQ(added.size(), 199u);
  GalleryItem* longOne = added[4];
  EXPECT_EQ(std::strlen(longOne->file.path), size_t(kCCFootagePathBytes));
  EXPECT_STREQ(longOne->comment, "Project footage");
  EXPECT_TRUE(longOne->transient);
  EXPECT_TRUE(GalleryAddFootage(0, records.data()).empty());
  EXPECT_TRUE(GalleryAddFootage(-4, records.data()).empty());
}

TEST_F(GalleryModelTest, MovesNeverPutAFolderInsideItselfAndButtonsFollowTheSelection) {
  GalleryItem* a = NewGalleryFolderItem(nullptr, "A", "");
  GalleryItem* b = NewGalleryFolderItem(a, "B", "");
  GalleryItem* c = NewGalleryFolderItem(b, "C", "");
  a->id = 1, b->id = 2, c->id = 3;
  EXPECT_FALSE(MoveGalleryItem(a, a));
  EXPECT_FALSE(MoveGalleryItem(a, c));
  EXPECT_TRUE(MoveGalleryItem(c, nullptr));
  EXPECT_EQ(Gallery().root, c);
  EXPECT_EQ(FindGalleryItemByID(Gallery().root, 2), b);
  EXPECT_EQ(FindGalleryItemByName(Gallery().root, "B"), b);
  QVFileRef ref = File("f.png");
  GalleryItem* file = NewGalleryFileItem(&ref, false, 2);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->parent, b);
  // Not under its own file; dropping onto a file elsewhere puts it at the root.
  EXPECT_FALSE(MoveGalleryItem(b, file));
  QVFileRef other = File("g.png");
  EXPECT_TRUE(MoveGalleryItem(b, NewGalleryFileItem(&other, false, 0)));
  EXPECT_EQ(Gallery().root, b);
  EXPECT_EQ(b->parent, nullptr);
  EXPECT_EQ(a->firstChild, nullptr);

  GalleryItem sys, userFolder, userPreset, sysPreset;
  sys.folder = sys.systemPresets = 1;
  userFolder.folder = userFolder.userPresets = 1;
  userPreset.settingsPreset = userPreset.userPresets = 1;
  sysPreset.settingsPreset = sysPreset.systemPresets = 1;
  struct Case {
    std::vector<GalleryItem*> selected;
    bool apply, remove;
  } cases[] = {{{}, false, false},
               {{&sys}, true, false},
               {{&sysPreset}, true, false},
               {{&userFolder}, true, false},
               {{&userPreset}, true, true},
               {{file}, true, true},
               {{c}, true, true},
               {{&sys, file}, true, true}};
  for (const Case& k : cases) {
    GalleryButtonState s = GalleryButtonStates(k.selected);
    EXPECT_EQ(s.apply, k.apply);
    EXPECT_EQ(s.remove, k.remove);
  }
}

TEST_F(GalleryModelTest, PresetFoldersHoldExactlyThePresetFilesOnDisk) {
  std::string system = root + "/system/Quorvane/Velmora Presets";
  std::string user = root + "/user/Quorvane/Velmora Presets";
  Preset(system, "Warm.vlpreset");
  Preset(system + "/Looks", "Night.VLPRESET");
  Preset(system + "/.hidden", "Secret.vlpreset");
  Preset(user, "Mine.vlpreset");
  Preset(user, ".vlpreset");
  std::ofstream(user + "/notes.txt") << "x";
  GalleryRebuildPresetFolders();
  // A user folder put inside a preset folder goes with it at the next rebuild.
  GalleryItem* sysFolder = FindGalleryItemByName(Gallery().root, kGallerySystemPresetsName);
  ASSERT_NE(sysFolder, nullptr);
  NewGalleryFolderItem(sysFolder, "Mine too", "");
  GalleryRebuildPresetFolders();
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Settings Presets (System)|          ",
                                              "-Warm|          ",
                                              "-Looks|          ",
                                              "--Night|          ",
                                              "Settings Presets (User)|          ",
                                              "-Mine|          "}));
  GalleryItem* night = FindGalleryItemByName(Gallery().root, "Night");
  ASSERT_NE(night, nullptr);
  EXPECT_TRUE(night->settingsPreset && night->systemPresets && !night->userPresets);
  EXPECT_STREQ(night->kind, "Settings Preset");
  EXPECT_TRUE(night->parent->settingsPreset);
  EXPECT_FALSE(night->parent->parent->settingsPreset);  // the preset folder itself is stored
  GalleryLoadPreset(night);
  EXPECT_TRUE(night->presetLoaded);
  ASSERT_NE(night->settings, nullptr);
}

TEST_F(GalleryModelTest, TheTreeSurvivesARestartThroughThePreferencesExactly) {
  std::string user = root + "/user/Quorvane/Velmora Presets";
  Preset(user, "Mine.vlpreset");
  // Footage at the head of the root list, before everything worth storing.
  QVFileRef a = File("a.png"), b = File("b.JPG", QVFourCC("JPEG")), gone = File("gone.png");
  GalleryItem* shots = NewGalleryFolderItem(nullptr, "Shots", "day one");
  shots->id = 0x7FFF0000AAAA0001ULL;
  GalleryItem* inner = NewGalleryFolderItem(shots, "Inner", kGalleryBlankComment);
  inner->id = 0xFFFF0000AAAA0002ULL;  // above the signed range
  inner->date = 123456789;
  GalleryItem* ai = NewGalleryFileItem(&a, false, inner->id);
  ASSERT_NE(ai, nullptr);
  GalleryCopyText(ai->comment, kGalleryBlankComment);
  GalleryItem* bi = NewGalleryFileItem(&b, false, shots->id);
  ASSERT_NE(bi, nullptr);
  GalleryCopyText(bi->comment, "graded");
  ASSERT_NE(NewGalleryFileItem(&gone, false, 0), nullptr);
  GalleryRebuildPresetFolders();
  CCFootageRecord footage{};
  ASSERT_LT(std::strlen(a.path), sizeof footage.path);
  std::memcpy(footage.path, a.path, std::strlen(a.path) + 1);
  GalleryAddFootage(1, &footage);
  const std::vector<std::string> before = Tree();
  EXPECT_EQ(kQVNoErr, GalleryStoreTree());
  std::filesystem::remove(gone.path);

  // A fresh process: nothing in memory, the domain read from its file.
  GalleryResetModel();
  PLPrefsDiscard(kPFDomain);
  GalleryLoadTree();
  GalleryRebuildPresetFolders();
  std::vector<std::string> expected;
  for (const std::string& line : before)
    if (line.find("gone.png") == std::string::npos && line.find("Project footage") == std::string::npos)
      expected.push_back(line);
  EXPECT_EQ(Tree(), expected);
  GalleryItem* loaded = FindGalleryItemByID(Gallery().root, 0xFFFF0000AAAA0002ULL);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->date, 123456789);
  EXPECT_STREQ(loaded->parent->name, "Shots");
  // Preset files never take a number.
  int32_t count = 0;
  ASSERT_TRUE(PLPrefsGetInt32(kPFDomain, "Gallery File Count", &count));
  EXPECT_EQ(count, 7);  // two preset folders, two folders, three files
  std::string name;
  for (int n = 1; n <= count; ++n)
    if (PLPrefsGetString(kPFDomain, ("Gallery File Name " + std::to_string(n)).c_str(), &name)) {
      EXPECT_NE(name, "Mine");
    }
}

TEST_F(GalleryModelTest, OldKeysGoOnlyWhenTheOldCountIsBelowFiveThousand) {
  for (int32_t old : {10, 6000}) {
    EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, "Gallery File Count", old));
    EXPECT_EQ(kQVNoErr, PLPrefsSetString(kPFDomain, "Gallery File Comment 9", "old"));
    NewGalleryFolderItem(nullptr, "Only", "");
    EXPECT_EQ(kQVNoErr, GalleryStoreTree());
    EXPECT_EQ(PLPrefsGetString(kPFDomain, "Gallery File Comment 9", nullptr), old >= 5000) << old;
    std::string comment;
    EXPECT_TRUE(PLPrefsGetString(kPFDomain, "Gallery File Comment 1", &comment));
    EXPECT_EQ(comment, "          ");  // an empty comment is stored as ten blanks
    GalleryResetModel();
  }
}

TEST_F(GalleryModelTest, HostileStoredValuesLoadWithoutHangingAndDropOnlyTheBadItems) {
  auto set64 = [](const char* what, int n, int64_t v) {
    const std::string key = "Gallery File " + std::string(what) + " " + std::to_string(n);
    EXPECT_EQ(kQVNoErr, PLPrefsSetInt64(kPFDomain, key.c_str(), v));
  };
  auto folder = [&](int n, int64_t id, int64_t parent, const std::string& name) {
    EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, ("Gallery File Folder Flag " + std::to_string(n)).c_str(), 1));
    set64("Folder ID", n, id);
    set64("Parent ID", n, parent);
    EXPECT_EQ(kQVNoErr, PLPrefsSetString(kPFDomain, ("Gallery File Name " + std::to_string(n)).c_str(), name));
  };
  QVFileRef good = File("good.png");
  folder(1, 5, 6, "loop five");   // its parent comes later: dropped
  folder(2, 6, 5, "loop six");    // and this one's parent was dropped
  folder(3, 7, 7, "self");        // its own parent: dropped
  folder(4, 8, 99, "nowhere");    // no such parent
  folder(5, 9, 0, std::string(5000, 'n'));  // a long name is cut
  folder(6, 9, 9, "under the long one");
  EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, "Gallery File Settings Flag 7", 1));
  folder(7, 10, 0, "marked as preset");
  std::string alias = good.path;
  EXPECT_EQ(kQVNoErr, PLPrefsSetData(kPFDomain, "Gallery File Alias 8", alias.data(), alias.size()));
  EXPECT_EQ(kQVNoErr, PLPrefsSetString(kPFDomain, "Gallery File Comment 8", std::string(3000, 'c')));
  std::string bad = std::string(good.path) + std::string(1, '\0') + "x";
  EXPECT_EQ(kQVNoErr, PLPrefsSetData(kPFDomain, "Gallery File Alias 9", bad.data(), bad.size()));
  std::string huge(5000, '/');
  EXPECT_EQ(kQVNoErr, PLPrefsSetData(kPFDomain, "Gallery File Alias 10", huge.data(), huge.size()));
  // 11: nothing stored at all (a file without alias).
  // A deep chain of folders, each inside the one before.
  for (int n = 12; n < 3012; ++n) folder(n, 1000 + n, n == 12 ? 0 : 1000 + n - 1, "deep");
  EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, "Gallery File Count", 2147483647));
  GalleryLoadTree();
  std::vector<std::string> names;
  for (GalleryItem* i = Gallery().root; i; i = i->next) names.push_back(GalleryShownName(i));
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], std::string(127, 'n'));
  EXPECT_EQ(names[1], "good.png");
  EXPECT_EQ(std::strlen(Gallery().root->next->comment), 127u);
  EXPECT_EQ(names[2], "deep");
  EXPECT_STREQ(Gallery().root->firstChild->name, "under the long one");
  int depth = 0;
  for (GalleryItem* i = Gallery().root->next->next; i; i = i->firstChild) ++depth;
  EXPECT_EQ(depth, 3000);
  GalleryResetModel();  // disposing the deep chain does not recurse
  EXPECT_EQ(Gallery().root, nullptr);
}

}  // namespace
