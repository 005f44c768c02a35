#include "platform/main_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

std::atomic<int> gWakes{0};
void CountWake(void*) { ++gWakes; }

void* RecordThread(void* p) {
  *static_cast<bool*>(p) = PLIsMainThread();
  return p;
}

}  // namespace

TEST(MainThread, RunsInlineOnTheMainThread) {
  ASSERT_TRUE(PLIsMainThread());
  bool onMain = false;
  EXPECT_EQ(PLCallOnMainThread(RecordThread, &onMain), &onMain);
  EXPECT_TRUE(onMain);
  EXPECT_EQ(PLDrainMainThreadCalls(), 0);
}

TEST(MainThread, OtherThreadsPostWakeTheLoopAndWaitForTheResult) {
  PLSetMainThreadWakeHook(CountWake, nullptr);
  gWakes = 0;
  bool onMain = false;
  std::atomic<bool> returned{false};
  void* result = nullptr;
  std::thread worker([&] {
    EXPECT_FALSE(PLIsMainThread());
    result = PLCallOnMainThread(RecordThread, &onMain);
    returned = true;
  });
  // The "event loop": wait to be woken, then drain.
  while (gWakes.load() == 0) std::this_thread::yield();
  EXPECT_FALSE(returned.load());
  int ran = 0;
  while (ran == 0) ran = PLDrainMainThreadCalls();
  worker.join();
  EXPECT_EQ(ran, 1);
  EXPECT_TRUE(returned.load());
  EXPECT_EQ(result, &onMain);
  EXPECT_TRUE(onMain);
  PLSetMainThreadWakeHook(nullptr, nullptr);
}

TEST(MainThread, WithoutAnEventLoopCallsRunOnTheCaller) {
  PLSetMainThreadWakeHook(nullptr, nullptr);
  bool onMain = true;
  std::thread worker([&] { PLCallOnMainThread(RecordThread, &onMain); });
  worker.join();
  EXPECT_FALSE(onMain);
}
