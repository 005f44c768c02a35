#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <string>
#include <thread>

#include "platform/alerts.h"
#include "platform/main_thread.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_window.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

class TKDialogTest : public TKHeadlessTest {
 protected:
  void TearDown() override {
    TKClearDialogScript();
    TKHeadlessTest::TearDown();
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

TEST_F(TKDialogTest, ScriptedAnswersTakeThePlaceOfTheWindows) {
  TKQueueDialogAnswer({kTKAlertOther, kQVNoErr, "", {}});
  TKQueueDialogAnswer({0, kQVNoErr, "/tmp/out.cdl", {}});
  TKQueueDialogAnswer({0, kQVErrCancelled, "", {}});
  TKQueueDialogAnswer({0, kQVNoErr, "", TKColor{0.5, 0.25, 1, 1}});
  TKAlertRequest desc;
  desc.message = "Save changes?";
  desc.cancelButton = "Cancel";
  desc.otherButton = "Don't Save";
  EXPECT_EQ(TKRunAlert(desc), kTKAlertOther);
  TKPanelRequest save;
  save.kind = kTKPanelSave;
  save.types = {{"ASC CDL", "cdl"}};
  std::string path;
  EXPECT_EQ(TKRunFilePanel(save, &path), kQVNoErr);
  EXPECT_EQ(path, "/tmp/out.cdl");
  path.clear();
  EXPECT_EQ(TKRunFilePanel(TKPanelRequest{}, &path), kQVErrCancelled);
  EXPECT_TRUE(path.empty());
  TKColor c;
  EXPECT_EQ(TKRunColorPicker("Background", TKColor{}, &c), kQVNoErr);
  EXPECT_DOUBLE_EQ(c.green, 0.25);
  auto requests = TKScriptedDialogRequests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].alert.message, "Save changes?");
  EXPECT_EQ(requests[1].panel.types[0].extension, "cdl");
  EXPECT_EQ(requests[3].prompt, "Background");
}

TEST_F(TKDialogTest, DrawnAlertAnswersReturnAndEscape) {
  TKAlertRequest desc;
  desc.kind = kTKAlertCaution;
  desc.message = "Replace the preset?";
  desc.cancelButton = "Cancel";
  TKInjectKey(kTKKeyReturn);
  EXPECT_EQ(TKRunAlert(desc), kTKAlertDefault);
  TKInjectKey(kTKKeyEscape);
  EXPECT_EQ(TKRunAlert(desc), kTKAlertCancel);
  // Nothing scripted and no input to come: the default, without hanging.
  EXPECT_EQ(TKRunAlert(desc), kTKAlertDefault);
}

TEST_F(TKDialogTest, PlatformAlertsShowAsToolkitWindowsFromAnyThread) {
  PLAlertRequest confirm{kPLAlertConfirm, 1, "Title", "Overwrite?", nullptr, "Overwrite", nullptr};
  TKInjectKey(kTKKeyEscape);
  EXPECT_EQ(PLShowAlert(confirm), kPLAnswerOther);

  // From a worker thread: the alert waits for the main thread's loop, on
  // the real clock; Return arrives once its window is up.
  TKUseFakeClock(false);
  std::atomic<int> answer{0};
  std::string shownTitle;
  TKInstallAppHandler([&](TKEvent& e) {
    if (e.kind == kTKEventWindowActivated) {
      shownTitle = TKGetWindowTitle(e.window);
      TKInjectKey(kTKKeyReturn);
    }
    return kQVErrNotHandled;
  });
  // Something still to come keeps the headless backend from answering at once.
  TKInjectMouseMove(nullptr, TKPoint{}, TKNow() + 60);
  std::thread worker([&] {
    PLAlertRequest error{kPLAlertError, 1, "", "Insufficient memory for the frame", nullptr, nullptr, nullptr};
    answer = PLShowAlert(error);
  });
  EXPECT_TRUE(TKRunUntil([&] { return answer.load() != 0; }, 5.0));
  worker.join();
  EXPECT_EQ(answer.load(), kPLAnswerDefault);
  EXPECT_EQ(shownTitle, "Alert");
}

TEST_F(TKDialogTest, CallOnMainThreadRunsOnTheLoop) {
  TKUseFakeClock(false);
  std::atomic<bool> done{false};
  void* result = nullptr;
  std::thread worker([&] {
    static int value = 42;
    result = PLCallOnMainThread([](void* p) -> void* { return PLIsMainThread() ? p : nullptr; }, &value);
    done = true;
  });
  EXPECT_TRUE(TKRunUntil([&] { return done.load(); }, 5.0));
  worker.join();
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(*static_cast<int*>(result), 42);
}

TEST_F(TKDialogTest, OpenPanelListsMatchingFilesAndChoosesOne) {
  std::string dir = MakeFolder();
  TKPanelRequest open;
  open.kind = kTKPanelOpen;
  open.folder = dir;
  open.types = {{"Cube LUTs", "cube"}};
  // Rows: Sub, a.CUBE, b.cube (folders first, names without case).
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyReturn);
  std::string path;
  ASSERT_EQ(TKRunFilePanel(open, &path), kQVNoErr);
  EXPECT_EQ(path, dir + "/b.cube");
  // Return on a folder enters it; Escape cancels.
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyReturn);
  TKInjectKey(kTKKeyEscape);
  EXPECT_EQ(TKRunFilePanel(open, &path), kQVErrCancelled);
}

TEST_F(TKDialogTest, SavePanelAddsTheExtensionAndAsksBeforeReplacing) {
  std::string dir = MakeFolder();
  TKPanelRequest save;
  save.kind = kTKPanelSave;
  save.folder = dir;
  save.fileName = "";
  save.types = {{"Cube LUTs", "cube"}};
  TKInjectText("graded");
  TKInjectKey(kTKKeyReturn);
  std::string path;
  ASSERT_EQ(TKRunFilePanel(save, &path), kQVNoErr);
  EXPECT_EQ(path, dir + "/graded.cube");

  // "b" becomes b.cube, which exists: the replace question comes first.
  TKInjectText("b");
  TKInjectKey(kTKKeyReturn);
  TKInjectKey(kTKKeyEscape);  // do not replace
  TKInjectKey(kTKKeyEscape);  // cancel the panel
  EXPECT_EQ(TKRunFilePanel(save, &path), kQVErrCancelled);
  TKInjectText("b");
  TKInjectKey(kTKKeyReturn);
  TKInjectKey(kTKKeyReturn);  // replace
  ASSERT_EQ(TKRunFilePanel(save, &path), kQVNoErr);
  EXPECT_EQ(path, dir + "/b.cube");
}

// A path typed or pasted into a panel: "/" or "~" in the list starts it in
// the folder field, a folder is entered, a file is chosen, and the save
// panel's name field takes a path too.
TEST_F(TKDialogTest, PanelsTakeATypedPath) {
  const std::string dir = MakeFolder();
  std::ofstream(dir + "/Sub/inner.cube") << "x";
  TKPanelRequest open;
  open.kind = kTKPanelOpen;
  open.folder = dir + "/Sub";
  open.types = {{"Cube LUTs", "cube"}};
  TKPanelRequest save = open;
  save.kind = kTKPanelSave;
  struct Case {
    const char* name;
    const TKPanelRequest* panel;
    std::function<void()> type;
    QVStatus status;
    std::string path;
  } cases[] = {
      {"a file's whole path", &open, [&] { TKInjectText((dir + "/b.cube").c_str()); }, kQVNoErr, dir + "/b.cube"},
      {"a folder, then a row of it", &open,
       [&] {
         TKInjectText((dir + "/").c_str());
         TKInjectKey(kTKKeyReturn);
         TKInjectKey(kTKKeyTab);  // back to the list: Sub, a.CUBE, b.cube
         TKInjectKey(kTKKeyDown);
         TKInjectKey(kTKKeyDown);
       },
       kQVNoErr, dir + "/a.CUBE"},
      {"a missing file", &open, [&] { TKInjectText((dir + "/none.cube").c_str()); TKInjectKey(kTKKeyReturn); TKInjectKey(kTKKeyEscape); },
       kQVErrCancelled, ""},
      {"a path as the name", &save, [&] { TKInjectText((dir + "/graded").c_str()); }, kQVNoErr, dir + "/graded.cube"},
      {"a name in a missing folder", &save,
       [&] { TKInjectText((dir + "/none/graded").c_str()); TKInjectKey(kTKKeyReturn); TKInjectKey(kTKKeyEscape); },
       kQVErrCancelled, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.type();
    TKInjectKey(kTKKeyReturn);
    std::string path;
    EXPECT_EQ(TKRunFilePanel(*c.panel, &path), c.status);
    if (c.status == kQVNoErr) {
      EXPECT_EQ(path, c.path);
    }
    while (TKPendingInputCount()) TKRunPending();
  }
}

// The texts of a window's static text controls, in tree order.
std::vector<std::string> StaticTexts(TKWindow* w) {
  std::vector<std::string> texts;
  std::function<void(TKControl*)> walk = [&](TKControl* c) {
    for (int32_t i = 0, n = TKCountChildren(c); i < n; ++i) {
      TKControl* child = TKGetChild(c, i);
      if (TKGetControlKind(child) == kTKControlStaticText) texts.push_back(TKGetControlTitle(child));
      walk(child);
    }
  };
  if (w) walk(TKGetRootControl(w));
  return texts;
}

bool Shows(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Without a window manager there is no title bar: the panel shows its title
// and the folder it is in among its own controls, and the folder follows.
TEST_F(TKDialogTest, PanelsShowTheirTitleAndFolderInside) {
  const std::string dir = MakeFolder();
  TKPanelRequest open;
  open.kind = kTKPanelOpen;
  open.title = "Load Preview LUT";
  open.folder = dir;
  // Down to the first row (the folder Sub) and Return, then Escape; the
  // texts are read before and between them.
  std::vector<std::string> first, inside;
  const double t0 = TKNow();
  TKInjectKey(kTKKeyDown, 0, t0 + 0.15);
  TKInjectKey(kTKKeyReturn, 0, t0 + 0.2);
  TKInjectKey(kTKKeyEscape, 0, t0 + 0.4);
  TKInstallTimer(0.1, 0, [&](TKTimer*) { first = StaticTexts(TKFrontWindow()); });
  TKInstallTimer(0.3, 0, [&](TKTimer*) { inside = StaticTexts(TKFrontWindow()); });
  std::string path;
  EXPECT_EQ(TKRunFilePanel(open, &path), kQVErrCancelled);
  const std::string name = dir.substr(dir.find_last_of('/') + 1);
  EXPECT_TRUE(Shows(first, "Load Preview LUT"));
  EXPECT_TRUE(Shows(first, "In folder: " + name));
  EXPECT_TRUE(Shows(inside, "In folder: Sub"));
  // A panel without a title of its own shows its kind's.
  TKPanelRequest save;
  save.kind = kTKPanelSave;
  save.folder = dir;
  TKInjectKey(kTKKeyEscape, 0, TKNow() + 0.2);
  TKInstallTimer(0.1, 0, [&](TKTimer*) { first = StaticTexts(TKFrontWindow()); });
  EXPECT_EQ(TKRunFilePanel(save, &path), kQVErrCancelled);
  EXPECT_TRUE(Shows(first, "Save"));
}

TEST_F(TKDialogTest, PanelsReportTheirTypeChoiceAndHideExtensionBox) {
  std::string dir = MakeFolder();
  TKPanelRequest open;
  open.kind = kTKPanelOpen;
  open.folder = dir;
  open.types = {{"Cube LUTs", "cube"}, {"-", ""}, {"Notes", "txt"}};
  open.typeIndex = 2;  // only notes.txt is listed after Sub
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyReturn);
  TKPanelResult result;
  ASSERT_EQ(TKRunFilePanelWithResult(open, &result), kQVNoErr);
  ASSERT_EQ(result.paths.size(), 1u);
  EXPECT_EQ(result.paths[0], dir + "/notes.txt");
  EXPECT_EQ(result.typeIndex, 2);
  // A first choice on a separator falls back to the first type.
  open.typeIndex = 1;
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyReturn);
  ASSERT_EQ(TKRunFilePanelWithResult(open, &result), kQVNoErr);
  EXPECT_EQ(result.typeIndex, 0);
  EXPECT_EQ(result.paths[0], dir + "/a.CUBE");

  TKPanelRequest save;
  save.kind = kTKPanelSave;
  save.folder = dir;
  save.hideExtension = true;
  TKInjectText("kept");
  TKInjectKey(kTKKeyReturn);
  ASSERT_EQ(TKRunFilePanelWithResult(save, &result), kQVNoErr);
  EXPECT_TRUE(result.hideExtension);
  save.hideExtension = false;
  TKInjectText("kept2");
  TKInjectKey(kTKKeyReturn);
  ASSERT_EQ(TKRunFilePanelWithResult(save, &result), kQVNoErr);
  EXPECT_FALSE(result.hideExtension);
}

TEST_F(TKDialogTest, FolderPanelChoosesTheCurrentFolder) {
  std::string dir = MakeFolder();
  TKPanelRequest folder;
  folder.kind = kTKPanelFolder;
  folder.folder = dir;
  TKInjectKey(kTKKeyReturn);
  std::string path;
  ASSERT_EQ(TKRunFilePanel(folder, &path), kQVNoErr);
  EXPECT_EQ(path, dir);
}

TEST_F(TKDialogTest, ColorPickerKeepsTheColourOnOKAndNothingOnCancel) {
  TKColor initial{0.2, 0.4, 0.6, 1};
  TKColor out{};
  TKInjectKey(kTKKeyEscape);
  EXPECT_EQ(TKRunColorPicker("Swatch", initial, &out), kQVErrCancelled);
  EXPECT_DOUBLE_EQ(out.red, 0);
  TKInjectKey(kTKKeyReturn);
  ASSERT_EQ(TKRunColorPicker("Swatch", initial, &out), kQVNoErr);
  EXPECT_NEAR(out.red, 0.2, 1.0 / 255);
  EXPECT_NEAR(out.blue, 0.6, 1.0 / 255);
}

}  // namespace
