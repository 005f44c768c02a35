#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>

#include "platform/alerts.h"
#include "platform/main_thread.h"
#include "platform/ui/ui_dialogs.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

class UIDialogTest : public UIHeadlessTest {
 protected:
  void TearDown() override {
    UIClearDialogScript();
    UIHeadlessTest::TearDown();
  }
  // One folder per test: ctest runs the tests in parallel processes.
  std::string MakeFolder() {
    std::string dir = TempPath(::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "/Sub'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    for (const char* name : {"b.cube", "a.CUBE", "notes.txt", ".hidden.cube"}) std::ofstream(dir + "/" + name) << "x";
    return dir;
  }
};

TEST_F(UIDialogTest, ScriptedAnswersTakeThePlaceOfTheWindows) {
  UIQueueDialogAnswer({kUIAlertOther, kQVNoErr, "", {}});
  UIQueueDialogAnswer({0, kQVNoErr, "/tmp/out.cdl", {}});
  UIQueueDialogAnswer({0, kQVErrCancelled, "", {}});
  UIQueueDialogAnswer({0, kQVNoErr, "", UIColor{0.5, 0.25, 1, 1}});
  UIAlertRequest desc;
  desc.message = "Save changes?";
  desc.cancelButton = "Cancel";
  desc.otherButton = "Don't Save";
  EXPECT_EQ(UIRunAlert(desc), kUIAlertOther);
  UIPanelRequest save;
  save.kind = kUIPanelSave;
  save.types = {{"ASC CDL", "cdl"}};
  std::string path;
  EXPECT_EQ(UIRunFilePanel(save, &path), kQVNoErr);
  EXPECT_EQ(path, "/tmp/out.cdl");
  path.clear();
  EXPECT_EQ(UIRunFilePanel(UIPanelRequest{}, &path), kQVErrCancelled);
  EXPECT_TRUE(path.empty());
  UIColor c;
  EXPECT_EQ(UIRunColorPicker("Background", UIColor{}, &c), kQVNoErr);
  EXPECT_DOUBLE_EQ(c.green, 0.25);
  auto requests = UIScriptedDialogRequests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].alert.message, "Save changes?");
  EXPECT_EQ(requests[1].panel.types[0].extension, "cdl");
  EXPECT_EQ(requests[3].prompt, "Background");
}

TEST_F(UIDialogTest, DrawnAlertAnswersReturnAndEscape) {
  UIAlertRequest desc;
  desc.kind = kUIAlertCaution;
  desc.message = "Replace the preset?";
  desc.cancelButton = "Cancel";
  UIInjectKey(kUIKeyReturn);
  EXPECT_EQ(UIRunAlert(desc), kUIAlertDefault);
  UIInjectKey(kUIKeyEscape);
  EXPECT_EQ(UIRunAlert(desc), kUIAlertCancel);
  // Nothing scripted and no input to come: the default, without hanging.
  EXPECT_EQ(UIRunAlert(desc), kUIAlertDefault);
}

TEST_F(UIDialogTest, PlatformAlertsShowAsToolkitWindowsFromAnyThread) {
  PLAlertRequest confirm{kPLAlertConfirm, 1, "Title", "Overwrite?", nullptr, "Overwrite", nullptr};
  UIInjectKey(kUIKeyEscape);
  EXPECT_EQ(PLShowAlert(confirm), kPLAnswerOther);

  // From a worker thread: the alert waits for the main thread's loop, on
  // the real clock; Return arrives once its window is up.
  UIUseFakeClock(false);
  std::atomic<int> answer{0};
  std::string shownTitle;
  UIInstallAppHandler([&](UIEvent& e) {
    if (e.kind == kUIEventWindowActivated) {
      shownTitle = UIGetWindowTitle(e.window);
      UIInjectKey(kUIKeyReturn);
    }
    return kQVErrNotHandled;
  });
  // Something still to come keeps the headless backend from answering at once.
  UIInjectMouseMove(nullptr, UIPoint{}, UINow() + 60);
  std::thread worker([&] {
    PLAlertRequest error{kPLAlertError, 1, "", "Insufficient memory for the frame", nullptr, nullptr, nullptr};
    answer = PLShowAlert(error);
  });
  EXPECT_TRUE(UIRunUntil([&] { return answer.load() != 0; }, 5.0));
  worker.join();
  EXPECT_EQ(answer.load(), kPLAnswerDefault);
  EXPECT_EQ(shownTitle, "Alert");
}

TEST_F(UIDialogTest, CallOnMainThreadRunsOnTheLoop) {
  UIUseFakeClock(false);
  std::atomic<bool> done{false};
  void* result = nullptr;
  std::thread worker([&] {
    static int value = 42;
    result = PLCallOnMainThread([](void* p) -> void* { return PLIsMainThread() ? p : nullptr; }, &value);
    done = true;
  });
  EXPECT_TRUE(UIRunUntil([&] { return done.load(); }, 5.0));
  worker.join();
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(*static_cast<int*>(result), 42);
}

TEST_F(UIDialogTest, OpenPanelListsMatchingFilesAndChoosesOne) {
  std::string dir = MakeFolder();
  UIPanelRequest open;
  open.kind = kUIPanelOpen;
  open.folder = dir;
  open.types = {{"Cube LUTs", "cube"}};
  // Rows: Sub, a.CUBE, b.cube (folders first, names without case).
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyReturn);
  std::string path;
  ASSERT_EQ(UIRunFilePanel(open, &path), kQVNoErr);
  EXPECT_EQ(path, dir + "/b.cube");
  // Return on a folder enters it; Escape cancels.
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyReturn);
  UIInjectKey(kUIKeyEscape);
  EXPECT_EQ(UIRunFilePanel(open, &path), kQVErrCancelled);
}

TEST_F(UIDialogTest, SavePanelAddsTheExtensionAndAsksBeforeReplacing) {
  std::string dir = MakeFolder();
  UIPanelRequest save;
  save.kind = kUIPanelSave;
  save.folder = dir;
  save.fileName = "";
  save.types = {{"Cube LUTs", "cube"}};
  UIInjectText("graded");
  UIInjectKey(kUIKeyReturn);
  std::string path;
  ASSERT_EQ(UIRunFilePanel(save, &path), kQVNoErr);
  EXPECT_EQ(path, dir + "/graded.cube");

  // "b" becomes b.cube, which exists: the replace question comes first.
  UIInjectText("b");
  UIInjectKey(kUIKeyReturn);
  UIInjectKey(kUIKeyEscape);  // do not replace
  UIInjectKey(kUIKeyEscape);  // cancel the panel
  EXPECT_EQ(UIRunFilePanel(save, &path), kQVErrCancelled);
  UIInjectText("b");
  UIInjectKey(kUIKeyReturn);
  UIInjectKey(kUIKeyReturn);  // replace
  ASSERT_EQ(UIRunFilePanel(save, &path), kQVNoErr);
  EXPECT_EQ(path, dir + "/b.cube");
}

// A path typed or pasted into a panel: "/" or "~" in the list starts it in
// the folder field, a folder is entered, a file is chosen, and the save
// panel's name field takes a path too.
TEST_F(UIDialogTest, PanelsTakeATypedPath) {
  const std::string dir = MakeFolder();
  std::ofstream(dir + "/Sub/inner.cube") << "x";
  UIPanelRequest open;
  open.kind = kUIPanelOpen;
  open.folder = dir + "/Sub";
  open.types = {{"Cube LUTs", "cube"}};
  UIPanelRequest save = open;
  save.kind = kUIPanelSave;
  struct Case {
    const char* name;
    const UIPanelRequest* panel;
    std::function<void()> type;
    QVStatus status;
    std::string path;
  } cases[] = {
      {"a file's whole path", &open, [&] { UIInjectText((dir + "/b.cube").c_str()); }, kQVNoErr, dir + "/b.cube"},
      {"a folder, then a row of it", &open,
       [&] {
         UIInjectText((dir + "/").c_str());
         UIInjectKey(kUIKeyReturn);
         UIInjectKey(kUIKeyTab);  // back to the list: Sub, a.CUBE, b.cube
         UIInjectKey(kUIKeyDown);
         UIInjectKey(kUIKeyDown);
       },
       kQVNoErr, dir + "/a.CUBE"},
      {"a missing file", &open, [&] { UIInjectText((dir + "/none.cube").c_str()); UIInjectKey(kUIKeyReturn); UIInjectKey(kUIKeyEscape); },
       kQVErrCancelled, ""},
      {"a path as the name", &save, [&] { UIInjectText((dir + "/graded").c_str()); }, kQVNoErr, dir + "/graded.cube"},
      {"a name in a missing folder", &save,
       [&] { UIInjectText((dir + "/none/graded").c_str()); UIInjectKey(kUIKeyReturn); UIInjectKey(kUIKeyEscape); },
       kQVErrCancelled, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.type();
    UIInjectKey(kUIKeyReturn);
    std::string path;
    EXPECT_EQ(UIRunFilePanel(*c.panel, &path), c.status);
    if (c.status == kQVNoErr) {
      EXPECT_EQ(path, c.path);
    }
    while (UIPendingInputCount()) UIRunPending();
  }
}

TEST_F(UIDialogTest, PanelsReportTheirTypeChoiceAndHideExtensionBox) {
  std::string dir = MakeFolder();
  UIPanelRequest open;
  open.kind = kUIPanelOpen;
  open.folder = dir;
  open.types = {{"Cube LUTs", "cube"}, {"-", ""}, {"Notes", "txt"}};
  open.typeIndex = 2;  // only notes.txt is listed after Sub
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyReturn);
  UIPanelResult result;
  ASSERT_EQ(UIRunFilePanelWithResult(open, &result), kQVNoErr);
  ASSERT_EQ(result.paths.size(), 1u);
  EXPECT_EQ(result.paths[0], dir + "/notes.txt");
  EXPECT_EQ(result.typeIndex, 2);
  // A first choice on a separator falls back to the first type.
  open.typeIndex = 1;
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyReturn);
  ASSERT_EQ(UIRunFilePanelWithResult(open, &result), kQVNoErr);
  EXPECT_EQ(result.typeIndex, 0);
  EXPECT_EQ(result.paths[0], dir + "/a.CUBE");

  UIPanelRequest save;
  save.kind = kUIPanelSave;
  save.folder = dir;
  save.hideExtension = true;
  UIInjectText("kept");
  UIInjectKey(kUIKeyReturn);
  ASSERT_EQ(UIRunFilePanelWithResult(save, &result), kQVNoErr);
  EXPECT_TRUE(result.hideExtension);
  save.hideExtension = false;
  UIInjectText("kept2");
  UIInjectKey(kUIKeyReturn);
  ASSERT_EQ(UIRunFilePanelWithResult(save, &result), kQVNoErr);
  EXPECT_FALSE(result.hideExtension);
}

TEST_F(UIDialogTest, FolderPanelChoosesTheCurrentFolder) {
  std::string dir = MakeFolder();
  UIPanelRequest folder;
  folder.kind = kUIPanelFolder;
  folder.folder = dir;
  UIInjectKey(kUIKeyReturn);
  std::string path;
  ASSERT_EQ(UIRunFilePanel(folder, &path), kQVNoErr);
  EXPECT_EQ(path, dir);
}

TEST_F(UIDialogTest, ColorPickerKeepsTheColourOnOKAndNothingOnCancel) {
  UIColor initial{0.2, 0.4, 0.6, 1};
  UIColor out{};
  UIInjectKey(kUIKeyEscape);
  EXPECT_EQ(UIRunColorPicker("Swatch", initial, &out), kQVErrCancelled);
  EXPECT_DOUBLE_EQ(out.red, 0);
  UIInjectKey(kUIKeyReturn);
  ASSERT_EQ(UIRunColorPicker("Swatch", initial, &out), kQVNoErr);
  EXPECT_NEAR(out.red, 0.2, 1.0 / 255);
  EXPECT_NEAR(out.blue, 0.6, 1.0 / 255);
}

}  // namespace
