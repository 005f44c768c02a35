#include "platform/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(Semaphore, CountsUpToItsMaximumAndTimesOut) {
  PLSemaphore* sem = nullptr;
  EXPECT_EQ(PLSemaphoreCreate(0, 0, &sem), kQVErrParam);
  EXPECT_EQ(PLSemaphoreCreate(1, 2, &sem), kQVErrParam);
  ASSERT_EQ(PLSemaphoreCreate(2, 1, &sem), kQVNoErr);
  EXPECT_EQ(PLSemaphoreWait(sem, 0), kQVNoErr);
  EXPECT_EQ(PLSemaphoreWait(sem, 0), kQVErrTimeout);
  EXPECT_EQ(PLSemaphoreWait(sem, 5), kQVErrTimeout);
  EXPECT_EQ(PLSemaphoreSignal(sem), kQVNoErr);
  EXPECT_EQ(PLSemaphoreSignal(sem), kQVNoErr);
  EXPECT_EQ(PLSemaphoreSignal(sem), kQVErrParam);  // already at its maximum
  EXPECT_EQ(PLSemaphoreWait(sem, kPLWaitForever), kQVNoErr);
  EXPECT_EQ(PLSemaphoreWait(sem, kPLWaitForever), kQVNoErr);
  EXPECT_EQ(PLSemaphoreDelete(sem), kQVNoErr);
}

TEST(Semaphore, WakesAWaiterOnAnotherThread) {
  PLSemaphore* sem = nullptr;
  ASSERT_EQ(PLSemaphoreCreate(1, 0, &sem), kQVNoErr);
  std::thread t([sem] { EXPECT_EQ(PLSemaphoreSignal(sem), kQVNoErr); });
  EXPECT_EQ(PLSemaphoreWait(sem, kPLWaitForever), kQVNoErr);
  t.join();
  EXPECT_EQ(kQVNoErr, PLSemaphoreDelete(sem));
}

TEST(CriticalRegion, IsRecursiveAndExcludesOtherThreads) {
  PLCriticalRegion* region = nullptr;
  ASSERT_EQ(PLCriticalRegionCreate(&region), kQVNoErr);
  ASSERT_EQ(PLCriticalRegionEnter(region, kPLWaitForever), kQVNoErr);
  ASSERT_EQ(PLCriticalRegionEnter(region, kPLWaitForever), kQVNoErr);
  std::thread other([region] {
    EXPECT_EQ(PLCriticalRegionEnter(region, 5), kQVErrTimeout);
    EXPECT_EQ(PLCriticalRegionExit(region), kQVErrParam);  // not the holder
  });
  other.join();
  EXPECT_EQ(PLCriticalRegionExit(region), kQVNoErr);
  std::thread still([region] { EXPECT_EQ(PLCriticalRegionEnter(region, 0), kQVErrTimeout); });
  still.join();
  EXPECT_EQ(PLCriticalRegionExit(region), kQVNoErr);
  EXPECT_EQ(PLCriticalRegionExit(region), kQVErrParam);

  // Many threads incrementing under the region lose no update.
  int counter = 0;
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([region, &counter] {
      for (int n = 0; n < 1000; ++n) {
        EXPECT_EQ(kQVNoErr, PLCriticalRegionEnter(region, kPLWaitForever));
        ++counter;
        EXPECT_EQ(kQVNoErr, PLCriticalRegionExit(region));
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(counter, 4000);
  EXPECT_EQ(kQVNoErr, PLCriticalRegionDelete(region));
}
