#include <gtest/gtest.h>

#include <thread>

#include "platform/alert_script.h"
#include "platform/main_thread.h"
#include "support/alerts.h"
#include "support/threads.h"

namespace {

struct Quit {};
void ThrowQuit(int) { throw Quit{}; }

}  // namespace

TEST(SupportAlerts, ButtonsLevelsAndFatalExit) {
  PLAlertScriptBegin();
  PLSetFatalExitHook(ThrowQuit);
  QVErrorAlert("Title", "Message", 1);
  PLAlertScriptAnswer(kPLAnswerOther);
  EXPECT_EQ(QVConfirmAlert("T", "Replace it?", 1, "Replace"), 0);
  EXPECT_EQ(QVConfirmAlert("T", "Replace it?", 1, "Replace"), 1);
  EXPECT_THROW(QVErrorAlert("T", "Broken", 2), Quit);
  PLAlertScriptAnswer(kPLAnswerOther);
  EXPECT_THROW(QVConfirmAlert("T", "Broken", 2, "Go on"), Quit);  // either button ends
  dbAssertPrintOutput("x > 0", "file.cpp", 12);
  std::vector<PLRecordedAlert> shown = PLAlertScriptRecorded();
  PLSetFatalExitHook(nullptr);
  PLAlertScriptEnd();
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_EQ(shown[0].defaultButton, "OK");
  EXPECT_EQ(shown[1].defaultButton, "Replace");
  EXPECT_EQ(shown[1].otherButton, "Cancel");
  EXPECT_EQ(shown[3].defaultButton, "Quit");
  EXPECT_EQ(shown[4].otherButton, "Quit");
  EXPECT_EQ(shown[5].title, "Assert Failed");
  EXPECT_EQ(shown[5].message, "Assert (x > 0) failed. [file.cpp: 12]");
  EXPECT_EQ(shown[5].level, 1);
}

TEST(SupportAlerts, FatalErrorAlertEndsTheProgram) {
  EXPECT_EXIT(QVErrorAlert("Fatal", "Cannot go on", 2), testing::ExitedWithCode(1), "");
}

TEST(SupportAlerts, AlternativesRunOnTheMainThread) {
  PLAlertScriptBegin();
  PLSetMainThreadWakeHook([](void*) {}, nullptr);
  PLAlertScriptAnswer(kPLAnswerOther);
  bool answer = true;
  std::thread worker([&] { answer = QVAlternativesAlert("unused", "Heading", "Detail", 1, "Keep", "Discard"); });
  while (PLDrainMainThreadCalls() == 0) std::this_thread::yield();
  worker.join();
  PLSetMainThreadWakeHook(nullptr, nullptr);
  std::vector<PLRecordedAlert> shown = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  EXPECT_FALSE(answer);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, kPLAlertAlternatives);
  EXPECT_EQ(shown[0].message, "Heading");
  EXPECT_EQ(shown[0].detail, "Detail");
  EXPECT_EQ(shown[0].otherButton, "Discard");
}

TEST(SupportThreads, SemaphoreAndRegionWrappers) {
  QVSemaphoreID sem = nullptr;
  ASSERT_EQ(QVSemaphoreInitialize(&sem, 1, 1), kQVNoErr);
  EXPECT_EQ(QVSempahoreWait(&sem, kQVWaitForever), kQVNoErr);
  EXPECT_EQ(QVSempahoreWait(&sem, 1), -29296);
  EXPECT_EQ(QVSemaphoreSignal(&sem), kQVNoErr);
  EXPECT_EQ(QVSemaphoreDeinitialize(&sem), kQVNoErr);
  EXPECT_EQ(sem, nullptr);
  QVCriticalRegionID region = nullptr;
  ASSERT_EQ(QVInitializeCriticalSection(&region), kQVNoErr);
  EXPECT_EQ(QVEnterCriticalSection(&region), kQVNoErr);
  EXPECT_EQ(QVEnterCriticalSection(&region), kQVNoErr);
  EXPECT_EQ(QVLeaveCriticalSection(&region), kQVNoErr);
  EXPECT_EQ(QVLeaveCriticalSection(&region), kQVNoErr);
  EXPECT_EQ(QVDeinitializeCriticalSection(&region), kQVNoErr);
  int value = 41;
  auto inc = [](void* p) -> void* {
    ++*static_cast<int*>(p);
    return p;
  };
  EXPECT_EQ(QVCallOnMainThread(inc, &value, 0), &value);
  EXPECT_EQ(value, 42);
}
