// Progress events and the job list: posted from other threads, handled on
// the main thread by a recording view and by the toolkit's windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "media/job_list.h"
#include "media/output_job.h"
#include "media/progress_protocol.h"
#include "media/progress_window.h"
#include "platform/ui/toolkit.h"

namespace {

// Records what the main thread asks of the windows.
struct Recorder {
  struct Window {
    QVProgressWindowSetup setup;
    std::string title, text;
    int16_t value = 0;
    int redraws = 0;
    bool closed = false;
  };
  std::vector<Window> windows;

  static void* Create(void* c, const QVProgressWindowSetup* setup) {
    auto* r = static_cast<Recorder*>(c);
    r->windows.push_back(Window{*setup, setup->title, setup->message});
    return reinterpret_cast<void*>(r->windows.size());  // 1-based index as the handle
  }
  static Window& At(void* c, void* w) { return static_cast<Recorder*>(c)->windows[reinterpret_cast<size_t>(w) - 1]; }
  static void SetText(void* c, void* w, const char* text) { At(c, w).text = text; }
  static void SetValue(void* c, void* w, int16_t v, bool changed) {
    At(c, w).value = v;
    At(c, w).redraws += changed;
  }
  static void Close(void* c, void* w) { At(c, w).closed = true; }
};

class Progress : public testing::Test {
 protected:
  void SetUp() override {
    const QVProgressView view{Recorder::Create, Recorder::SetText, Recorder::SetValue, Recorder::Close, nullptr,
                              &recorder_};
    QVProgressSetView(&view);
    QVProgressSetWakeHook(nullptr, nullptr);
  }
  void TearDown() override {
    for (uint32_t id = 1; id < kQVProgressSlotCount; ++id) EXPECT_EQ(kQVNoErr, QVProgressClose(id));
    QVProgressDrainEvents();
    QVProgressSetView(nullptr);
    EXPECT_EQ(QVProgressOpenCount(), 0u);
  }
  Recorder recorder_;
};

TEST_F(Progress, WindowsMadeOnTheMainThreadFromAnotherThreadsEvents) {
  int32_t cancelWord = 99;
  int32_t id = 0;
  std::thread job([&] {
    id = QVProgressCreate("Generating DPX Sequence", "Exporting clip.mov...", 0, 48, true, 100, 1, &cancelWord,
                          nullptr);
    EXPECT_EQ(kQVNoErr, QVProgressSetValue(uint32_t(id), 5));
    EXPECT_EQ(kQVNoErr, QVProgressSetValue(uint32_t(id), 5));
    EXPECT_EQ(kQVNoErr, QVProgressSetValue(uint32_t(id), 70000));  // taken as a 16-bit control value
    EXPECT_EQ(kQVNoErr, QVProgressSetText(uint32_t(id), "second"));
  });
  job.join();
  ASSERT_EQ(id, 1);
  EXPECT_TRUE(recorder_.windows.empty()) << "nothing is touched off the main thread";
  EXPECT_EQ(QVProgressDrainEvents(), 5);
  ASSERT_EQ(recorder_.windows.size(), 1u);
  const Recorder::Window& w = recorder_.windows[0];
  EXPECT_EQ(w.title, "Generating DPX Sequence");
  EXPECT_EQ(w.text, "second");
  EXPECT_EQ(w.setup.maximum, 48);
  EXPECT_FALSE(w.setup.indeterminate);
  EXPECT_TRUE(w.setup.movableModal);
  EXPECT_DOUBLE_EQ(w.setup.showDelay, 0.1);
  EXPECT_EQ(w.value, int16_t(70000 - 65536));
  EXPECT_EQ(w.redraws, 2) << "an unchanged value is not redrawn";
  EXPECT_EQ(cancelWord, 0) << "the cancel word starts at 0";
  QVProgressCancelHit(1);
  EXPECT_EQ(cancelWord, -128);
  EXPECT_EQ(kQVNoErr, QVProgressClose(1));
  QVProgressDrainEvents();
  EXPECT_TRUE(recorder_.windows[0].closed);
  EXPECT_EQ(QVProgressOpenCount(), 0u);
}

TEST_F(Progress, ACancelWrittenBeforeTheWindowIsMadeIsKept) {
  // The job asks to stop (its job-list Cancel) after the create is posted but
  // before the main thread has made the window.
  int32_t cancelWord = 99;
  const int32_t id = QVProgressCreate("Generating DPX Sequence", "m", 0, 48, true, 0, 0, &cancelWord, nullptr);
  ASSERT_GT(id, 0);
  EXPECT_EQ(cancelWord, 0) << "the word starts at 0 when the window is asked for";
  cancelWord = kQVProgressUserCancelled;
  QVProgressDrainEvents();
  EXPECT_EQ(cancelWord, kQVProgressUserCancelled);
}

TEST_F(Progress, LayoutByWidthAndCancelButton) {
  struct Case {
    int32_t width;
    bool cancel;
    int32_t content, barRight;
  } cases[] = {{0, false, 254, 241}, {0, true, 350, 245}, {400, false, 304, 291}, {400, true, 400, 295}};
  for (const Case& c : cases) {
    const QVProgressLayout l = QVProgressComputeLayout(c.width, c.cancel);
    EXPECT_EQ(l.contentWidth, c.content) << c.width << " " << c.cancel;
    EXPECT_EQ(l.contentHeight, 69);
    EXPECT_EQ(l.bar.right, c.barRight);
    EXPECT_EQ(l.text.right, c.content - 13);
    if (c.cancel) {
      EXPECT_EQ(l.cancel.left, c.content - 83);
    }
  }
}

TEST_F(Progress, IdsAreTheLowestFreeAndRunOutAt49) {
  for (int32_t i = 1; i <= 49; ++i) ASSERT_EQ(QVProgressCreate("t", "m", 0, 0xFFFFFFFFu, false, 0, 0, nullptr, nullptr), i);
  EXPECT_EQ(QVProgressCreate("t", "m", 0, 10, false, 0, 0, nullptr, nullptr), kQVErrBusy);
  QVProgressDrainEvents();
  EXPECT_TRUE(recorder_.windows[0].setup.indeterminate);
  EXPECT_EQ(kQVNoErr, QVProgressClose(7));
  QVProgressDrainEvents();
  EXPECT_EQ(QVProgressCreate("t", "m", 0, 10, false, 0, 0, nullptr, nullptr), 7);
  // Other classes are passed on; bad ids are refused.
  QVProgressEvent other{};
  other.eventClass = QVFourCC("QVMe");
  EXPECT_EQ(QVProgressEventHandler(&other), kQVErrNotHandled);
  EXPECT_EQ(QVProgressSetValue(0, 1), kQVErrParam);
  EXPECT_EQ(QVProgressClose(50), kQVErrParam);
}

TEST_F(Progress, LongTextsAreCutAtACharacterBoundary) {
  std::string title(199, 'a');
  title += "\xC3\xA9\xC3\xA9";  // 'é' twice, the first straddling byte 200
  QVProgressCreate(title.c_str(), "", 0, 1, false, 0, 0, nullptr, nullptr);
  QVProgressDrainEvents();
  EXPECT_EQ(recorder_.windows[0].title, std::string(199, 'a'));
}

// The toolkit's windows, headless, on the fake clock.
TEST(ProgressWindows, DelayKeepsAShortJobsWindowHiddenAndCancelWritesTheWord) {
  ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
  TKUseFakeClock(true);
  QVProgressInstallToolkitView();

  int32_t cancelWord = 5;
  const int32_t quick = QVProgressCreate("Quick", "m", 0, 10, false, 500, 0, nullptr, nullptr);
  const int32_t slow = QVProgressCreate("Slow", "m", 0, 10, true, 500, 1, &cancelWord, nullptr);
  TKRunPending();
  TKRunFor(0.01);
  auto* quickWindow = static_cast<TKWindow**>(QVProgressWindowOf(uint32_t(quick)));
  auto* slowWindow = static_cast<TKWindow**>(QVProgressWindowOf(uint32_t(slow)));
  ASSERT_NE(quickWindow, nullptr);
  ASSERT_NE(slowWindow, nullptr);
  TKWindow* shown = *slowWindow;
  EXPECT_FALSE(TKIsWindowVisible(*quickWindow));
  EXPECT_EQ(TKGetWindowBounds(shown).right - TKGetWindowBounds(shown).left, 350);
  EXPECT_EQ(kQVNoErr, QVProgressClose(uint32_t(quick)));
  TKRunFor(0.01);
  EXPECT_FALSE(TKIsWindowVisible(shown));
  TKAdvanceClock(0.6);
  EXPECT_TRUE(TKIsWindowVisible(shown)) << "closing another window leaves this one's delay running";
  EXPECT_EQ(cancelWord, 0);
  TKControl* cancel = TKGetCancelButton(shown);
  ASSERT_NE(cancel, nullptr);
  TKPressButton(cancel);
  TKRunFor(0.01);
  EXPECT_EQ(cancelWord, -128);
  EXPECT_EQ(kQVNoErr, QVProgressClose(uint32_t(slow)));
  TKRunFor(0.01);
  EXPECT_FALSE(TKWindowExists(shown));
  QVProgressSetView(nullptr);
  QVProgressSetWakeHook(nullptr, nullptr);
  TKShutdownToolkit();
}

// The job list.
struct Rows {
  std::vector<uint32_t> ids;
  static void Add(void* c, uint32_t id) { static_cast<Rows*>(c)->ids.push_back(id); }
  static void Remove(void* c, uint32_t id) {
    auto& v = static_cast<Rows*>(c)->ids;
    std::erase(v, id);
  }
};

std::string Text(uint32_t id, uint32_t property) {
  QVJobItemData d;
  EXPECT_EQ(QVJobListItemData(id, property, &d, false), kQVNoErr);
  return d.hasData ? d.text : "<none>";
}

TEST(JobList, RowsIdsAndCells) {
  Rows rows;
  const QVJobListBrowser browser{Rows::Add, Rows::Remove, &rows};
  QVJobListSetBrowser(&browser);
  QVJobListFreeAll();
  QVJobListTakeDirty();

  static QVOutputJob jobs[3];
  const uint32_t formats[] = {kQVOutputMovie, kQVOutputDPXSequence, 7};
  QVFileRef folder{};
  std::strcpy(folder.path, "/renders/shot");
  uint32_t ids[3] = {};
  for (int i = 0; i < 3; ++i) {
    jobs[i] = QVOutputJob{};
    jobs[i].kind = kQVJobKindGenerateOutput;
    jobs[i].outputFormat = formats[i];
    jobs[i].status = uint32_t(i + 1);
    jobs[i].progress = 0.4567f;
    jobs[i].params.outputFolder.ref = &folder;
    std::thread([&, i] { EXPECT_EQ(kQVNoErr, QVJobListAdd(&jobs[i], &ids[i])); }).join();
  }
  EXPECT_TRUE(QVJobListTakeDirty());
  EXPECT_FALSE(QVJobListTakeDirty());
  const uint32_t first = ids[0];
  EXPECT_EQ(ids[1], first + 1);
  EXPECT_EQ(rows.ids, (std::vector<uint32_t>{first, first + 1, first + 2}));

  EXPECT_EQ(Text(first, kQVJobPropertyType), "QuickTime");
  EXPECT_EQ(Text(first + 1, kQVJobPropertyType), "DPX Sequence");
  EXPECT_EQ(Text(first + 2, kQVJobPropertyType), "Generate Output");
  EXPECT_EQ(Text(first, kQVJobPropertyStatus), "Pending");
  EXPECT_EQ(Text(first + 1, kQVJobPropertyStatus), "Running");
  EXPECT_EQ(Text(first + 2, kQVJobPropertyStatus), "Finalizing");
  EXPECT_EQ(Text(first, kQVJobPropertyTask), "shot");
  EXPECT_EQ(Text(9999, kQVJobPropertyTask), "<none>");
  QVJobItemData d;
  ASSERT_EQ(QVJobListItemData(first, kQVJobPropertyProgress, &d, false), kQVNoErr);
  EXPECT_EQ(d.value, 457);
  EXPECT_EQ(d.maximum, 1000);
  EXPECT_EQ(QVJobListItemData(first, kQVJobPropertyProgress, &d, true), kQVErrPropertyNotSupported);
  EXPECT_EQ(QVJobListItemData(first, QVFourCC("what"), &d, false), kQVErrPropertyNotSupported);
  ASSERT_EQ(QVJobListItemData(first, kQVJobPropertyIsEditable, &d, false), kQVNoErr);
  EXPECT_FALSE(d.flag);
  ASSERT_EQ(QVJobListItemData(first, kQVJobPropertyIsContainer, &d, false), kQVNoErr);
  EXPECT_FALSE(d.hasData);

  // Cancel by id reaches that job only; an id not listed cancels nothing.
  EXPECT_TRUE(QVJobListCancel(first + 1));
  EXPECT_EQ(jobs[1].cancel, 1);
  EXPECT_EQ(jobs[1].status, kQVJobCanceling);
  EXPECT_EQ(jobs[0].cancel, 0);
  EXPECT_FALSE(QVJobListCancel(9999));
  QVJobListTakeDirty();

  // An unknown id changes nothing; removing the head makes the second the head.
  EXPECT_EQ(QVJobListRemove(9999), kQVNoErr);
  EXPECT_FALSE(QVJobListTakeDirty());
  EXPECT_EQ(QVJobListIds(nullptr, 0), 3u);
  EXPECT_EQ(kQVNoErr, QVJobListRemove(first));
  uint32_t left[3] = {};
  ASSERT_EQ(QVJobListIds(left, 3), 2u);
  EXPECT_EQ(left[0], first + 1);
  EXPECT_EQ(rows.ids, (std::vector<uint32_t>{first + 1, first + 2}));
  QVJobListFreeAll();
  QVJobListSetBrowser(nullptr);
}

TEST(JobList, KindAndStatusTexts) {
  EXPECT_STREQ(QVJobKindText(1, 0), "Primary Backup");
  EXPECT_STREQ(QVJobKindText(8, 0), "Project Verify");
  EXPECT_STREQ(QVJobKindText(9, 1), "");
  EXPECT_STREQ(QVJobKindText(9, 3), "Apple Device");
  EXPECT_STREQ(QVJobKindText(9, 6), "TIFF Sequence");
  EXPECT_STREQ(QVJobKindText(10, 2), "");
  EXPECT_STREQ(QVJobStatusText(4), "Canceling");
  EXPECT_STREQ(QVJobStatusText(5), "Paused");
  EXPECT_STREQ(QVJobStatusText(0), "Pending");
}

}  // namespace
