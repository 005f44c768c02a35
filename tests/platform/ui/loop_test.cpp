#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/ui/ui_loop.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

using TKLoopTest = TKHeadlessTest;

TEST_F(TKLoopTest, RepeatingAndOneShotTimersFireOnTheFakeClock) {
  std::vector<double> repeats, once;
  TKTimer* rep = TKInstallTimer(0.1, 0.015, [&](TKTimer*) { repeats.push_back(TKNow()); });
  TKInstallTimer(0.05, 0, [&](TKTimer*) { once.push_back(TKNow()); });
  TKRunFor(0.2);
  ASSERT_EQ(once.size(), 1u);
  EXPECT_DOUBLE_EQ(once[0], 0.05);
  // 0.1, 0.115, ..., up to 0.2: 7 firings, each at its own time.
  ASSERT_EQ(repeats.size(), 7u);
  EXPECT_NEAR(repeats[1] - repeats[0], 0.015, 1e-9);
  TKRemoveTimer(rep);
  TKRunFor(1.0);
  EXPECT_EQ(repeats.size(), 7u);
  EXPECT_DOUBLE_EQ(TKNow(), 1.2);
}

TEST_F(TKLoopTest, TimerMayRemoveItselfAndOthersWhileFiring) {
  int a = 0, b = 0;
  TKTimer* tb = nullptr;
  TKInstallTimer(0.1, 0.1, [&](TKTimer* self) {
    ++a;
    TKRemoveTimer(self);
    TKRemoveTimer(tb);
  });
  tb = TKInstallTimer(0.1, 0.1, [&](TKTimer*) { ++b; });
  TKAdvanceClock(1.0);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 0);
}

TEST_F(TKLoopTest, QuitEndsRunLoop) {
  TKInstallTimer(0.5, 0, [](TKTimer*) { TKQuitLoop(); });
  TKRunLoop();
  EXPECT_DOUBLE_EQ(TKNow(), 0.5);
}

TEST(TKLoopRealClock, CallPostedFromAnotherThreadRunsOnTheLoop) {
  ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
  std::atomic<bool> ran{false};
  std::thread::id ranOn;
  std::thread poster([&] {
    TKPostCall([&] {
      ranOn = std::this_thread::get_id();
      ran = true;
    });
  });
  EXPECT_TRUE(TKRunUntil([&] { return ran.load(); }, 5.0));
  poster.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  TKShutdownToolkit();
}

TEST(TKLoopRealClock, WatchReportsReadableDescriptor) {
  ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string got;
  TKWatch* watch = TKWatchFD(fds[0], kTKWatchRead, [&](int fd, uint32_t ready) {
    char buf[16];
    if (ready & kTKWatchRead) {
      ssize_t n = read(fd, buf, sizeof buf);
      if (n > 0) got.append(buf, size_t(n));
    }
  });
  std::thread writer([&] { ASSERT_EQ(write(fds[1], "ping", 4), 4); });
  EXPECT_TRUE(TKRunUntil([&] { return got == "ping"; }, 5.0));
  writer.join();
  TKRemoveWatch(watch);
  close(fds[0]);
  close(fds[1]);
  TKShutdownToolkit();
}

TEST(TKLoopRealClock, RequestQuitFromAnotherThreadStopsTheLoop) {
  ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
  std::thread t([] { TKRequestQuit(); });
  TKRunLoop();  // returns once the request lands
  t.join();
  TKShutdownToolkit();
}

// A timer whose work takes longer than its interval is due again as soon as
// it returns; the loop must still get its turn to see a quit, instead of
// firing that timer until its work runs out.
TEST(TKLoopRealClock, ATimerSlowerThanItsIntervalLetsTheLoopQuit) {
  ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
  int slowFirings = 0;
  TKInstallTimer(0, 0.005, [&](TKTimer*) {
    if (++slowFirings < 300) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  });
  TKInstallTimer(0.1, 0, [](TKTimer*) { TKQuitLoop(); });
  TKRunLoop();
  // About ten firings fit before the quit; the loop used to go on for all 300.
  EXPECT_LT(slowFirings, 100);
  TKShutdownToolkit();
}

}  // namespace
