#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/ui/ui_loop.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

using UILoopTest = UIHeadlessTest;

TEST_F(UILoopTest, RepeatingAndOneShotTimersFireOnTheFakeClock) {
  std::vector<double> repeats, once;
  UITimer* rep = UIInstallTimer(0.1, 0.015, [&](UITimer*) { repeats.push_back(UINow()); });
  UIInstallTimer(0.05, 0, [&](UITimer*) { once.push_back(UINow()); });
  UIRunFor(0.2);
  ASSERT_EQ(once.size(), 1u);
  EXPECT_DOUBLE_EQ(once[0], 0.05);
  // 0.1, 0.115, ..., up to 0.2: 7 firings, each at its own time.
  ASSERT_EQ(repeats.size(), 7u);
  EXPECT_NEAR(repeats[1] - repeats[0], 0.015, 1e-9);
  UIRemoveTimer(rep);
  UIRunFor(1.0);
  EXPECT_EQ(repeats.size(), 7u);
  EXPECT_DOUBLE_EQ(UINow(), 1.2);
}

TEST_F(UILoopTest, TimerMayRemoveItselfAndOthersWhileFiring) {
  int a = 0, b = 0;
  UITimer* tb = nullptr;
  UIInstallTimer(0.1, 0.1, [&](UITimer* self) {
    ++a;
    UIRemoveTimer(self);
    UIRemoveTimer(tb);
  });
  tb = UIInstallTimer(0.1, 0.1, [&](UITimer*) { ++b; });
  UIAdvanceClock(1.0);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 0);
}

TEST_F(UILoopTest, QuitEndsRunLoop) {
  UIInstallTimer(0.5, 0, [](UITimer*) { UIQuitLoop(); });
  UIRunLoop();
  EXPECT_DOUBLE_EQ(UINow(), 0.5);
}

TEST(UILoopRealClock, CallPostedFromAnotherThreadRunsOnTheLoop) {
  ASSERT_EQ(UIInitToolkit(kUIBackendHeadless), kQVNoErr);
  std::atomic<bool> ran{false};
  std::thread::id ranOn;
  std::thread poster([&] {
    UIPostCall([&] {
      ranOn = std::this_thread::get_id();
      ran = true;
    });
  });
  EXPECT_TRUE(UIRunUntil([&] { return ran.load(); }, 5.0));
  poster.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  UIShutdownToolkit();
}

TEST(UILoopRealClock, WatchReportsReadableDescriptor) {
  ASSERT_EQ(UIInitToolkit(kUIBackendHeadless), kQVNoErr);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string got;
  UIWatch* watch = UIWatchFD(fds[0], kUIWatchRead, [&](int fd, uint32_t ready) {
    char buf[16];
    if (ready & kUIWatchRead) {
      ssize_t n = read(fd, buf, sizeof buf);
      if (n > 0) got.append(buf, size_t(n));
    }
  });
  std::thread writer([&] { ASSERT_EQ(write(fds[1], "ping", 4), 4); });
  EXPECT_TRUE(UIRunUntil([&] { return got == "ping"; }, 5.0));
  writer.join();
  UIRemoveWatch(watch);
  close(fds[0]);
  close(fds[1]);
  UIShutdownToolkit();
}

TEST(UILoopRealClock, RequestQuitFromAnotherThreadStopsTheLoop) {
  ASSERT_EQ(UIInitToolkit(kUIBackendHeadless), kQVNoErr);
  std::thread t([] { UIRequestQuit(); });
  UIRunLoop();  // returns once the request lands
  t.join();
  UIShutdownToolkit();
}

}  // namespace
