#include "core/task_pool.h"

#include "platform/mp_task.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

struct PoolFixture : ::testing::Test {
  VLMPMaster master{};
  void TearDown() override {
    VLMPStopAllTasks(master.taskCount, &master);
    VLMPSetProcessorCountOverride(0);
  }
};

TEST_F(PoolFixture, OneProcessorStartsNothing) {
  VLMPSetProcessorCountOverride(1);
  EXPECT_EQ(1u, VLMPInitialize(&master, 1));
  EXPECT_EQ(nullptr, master.tasks);
}

TEST_F(PoolFixture, DisabledPoolReportsOne) {
  VLMPSetProcessorCountOverride(4);
  EXPECT_EQ(1u, VLMPInitialize(&master, 0x100));  // only the low byte counts
  EXPECT_EQ(nullptr, master.tasks);
}

TEST_F(PoolFixture, StartsOneTaskPerProcessorAndStopsTwice) {
  VLMPSetProcessorCountOverride(4);
  ASSERT_EQ(4u, VLMPInitialize(&master, 1));
  ASSERT_NE(nullptr, master.tasks);
  for (uint32_t i = 0; i < 4; ++i) EXPECT_NE(nullptr, master.tasks[i].taskID);
  VLMPTest(4, &master);
  VLMPStopAllTasks(4, &master);
  EXPECT_EQ(nullptr, master.tasks);
  VLMPStopAllTasks(4, &master);  // harmless: no task array any more
  // A smaller count still stops every task: the array goes away with them.
  ASSERT_EQ(4u, VLMPInitialize(&master, 1));
  VLMPStopAllTasks(1, &master);
  EXPECT_EQ(nullptr, master.tasks);
}

TEST(TaskPool, RealCountComesFromAffinity) {
  VLMPSetProcessorCountOverride(0);
  EXPECT_EQ(MPProcessorsScheduled(), VLMPGetProcCount());
  EXPECT_GE(VLMPGetProcCount(), 1u);
}

// Band geometry is read back from the task records, which keep the last job's
// arguments.
TEST_F(PoolFixture, BandsSplitRowsWithTheRemainderLast) {
  VLMPSetProcessorCountOverride(8);
  ASSERT_EQ(8u, VLMPInitialize(&master, 1));
  const uint32_t width = 3, rowBytes = 16;
  std::vector<uint8_t> pixels(100 * rowBytes);
  uint8_t table[768];
  for (int i = 0; i < 768; ++i) table[i] = uint8_t(255 - (i & 255));
  VLMPFBTransformWithLUTPix(pixels.data(), width, 100, rowBytes, table, kFBPixFormat32ARGB, 8, &master);
  for (uint32_t i = 0; i < 8; ++i) {
    EXPECT_EQ(i < 7 ? 12u : 16u, master.tasks[i].lutRows) << i;
    EXPECT_EQ(pixels.data() + size_t(i) * 12 * rowBytes, master.tasks[i].lutPixels) << i;
    EXPECT_EQ(i, master.tasks[i].taskIndex);
  }
  // Every pixel was transformed exactly once (alpha kept at 0); padding untouched.
  for (uint32_t y = 0; y < 100; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t v;
      memcpy(&v, &pixels[y * rowBytes + x * 4], 4);
      EXPECT_EQ(0x00FFFFFFu, v);
    }
    for (uint32_t b = width * 4; b < rowBytes; ++b) EXPECT_EQ(0, pixels[y * rowBytes + b]);
  }
}

TEST_F(PoolFixture, SmallFramesRunInline) {
  VLMPSetProcessorCountOverride(8);
  ASSERT_EQ(8u, VLMPInitialize(&master, 1));
  std::vector<uint8_t> pixels(7 * 4);
  uint8_t table[768] = {};
  VLMPFBTransformWithLUTPix(pixels.data(), 1, 7, 4, table, kFBPixFormat32ARGB, 8, &master);
  for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(nullptr, master.tasks[i].lutPixels);
  // More rows than tasks but fewer than 8 on two tasks: still inline.
  VLMPFBTransformWithLUTPix(pixels.data(), 1, 7, 4, table, kFBPixFormat32ARGB, 2, &master);
  EXPECT_EQ(nullptr, master.tasks[0].lutPixels);
}

TEST_F(PoolFixture, UnknownJobEndsTheTaskButStopStillWorks) {
  VLMPSetProcessorCountOverride(2);
  ASSERT_EQ(2u, VLMPInitialize(&master, 1));
  for (intptr_t code : {intptr_t(0)}) {
    EXPECT_EQ(kQVNoErr, MPNotifyQueue(master.tasks[1].requestQueue, code, 0, 0));
    intptr_t answer = 0;
    ASSERT_EQ(kQVNoErr, MPWaitOnQueue(master.tasks[1].resultQueue, &answer, nullptr, nullptr, 5000));
    EXPECT_EQ(-1, answer);
  }
  VLMPStopAllTasks(2, &master);
  EXPECT_EQ(nullptr, master.tasks);
}

TEST_F(PoolFixture, MediaJobRunsOnlyWhenInstalled) {
  VLMPSetProcessorCountOverride(2);
  ASSERT_EQ(2u, VLMPInitialize(&master, 1));
  VLMPSetMediaWork([](VLMPTaskRecord& r) { r.mediaResult = r.mediaRequest + 1000; });
  master.tasks[0].mediaRequest = 4;
  EXPECT_EQ(kQVNoErr, MPNotifyQueue(master.tasks[0].requestQueue, kVLMPJobMedia, 0, 0));
  intptr_t answer = -5;
  ASSERT_EQ(kQVNoErr, MPWaitOnQueue(master.tasks[0].resultQueue, &answer, nullptr, nullptr, 5000));
  EXPECT_EQ(0, answer);
  EXPECT_EQ(1004, master.tasks[0].mediaResult);
  VLMPSetMediaWork(nullptr);
  EXPECT_EQ(kQVNoErr, MPNotifyQueue(master.tasks[0].requestQueue, kVLMPJobMedia, 0, 0));
  ASSERT_EQ(kQVNoErr, MPWaitOnQueue(master.tasks[0].resultQueue, &answer, nullptr, nullptr, 5000));
  EXPECT_EQ(-1, answer);
}

std::atomic<bool> sMediaMayFinish{false};

TEST_F(PoolFixture, MediaJobWaitIsBoundedAndALateAnswerNeverEndsABand) {
  VLMPSetProcessorCountOverride(2);
  ASSERT_EQ(2u, VLMPInitialize(&master, 1));
  VLMPSetMediaWork([](VLMPTaskRecord& r) {
    while (r.mediaRequest == 4 && !sMediaMayFinish.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    r.mediaResult = int32_t(r.mediaArguments[0]) + r.mediaRequest;
  });
  const intptr_t args[4] = {100, 0, 0, 0};
  int32_t result = 0;
  EXPECT_EQ(kQVNoErr, VLMPRunMediaJob(&master, 1, 3, args, 500, &result));
  EXPECT_EQ(103, result);
  EXPECT_EQ(kQVErrParam, VLMPRunMediaJob(&master, 2, 3, args, 500, &result));

  sMediaMayFinish = false;
  EXPECT_EQ(kQVErrTimeout, VLMPRunMediaJob(&master, 0, 4, args, 20, &result));
  sMediaMayFinish = true;
  // The band job first collects task 0's late answer, then joins on the real one.
  std::vector<uint8_t> pixels(64 * 4);
  uint8_t table[768];
  memset(table, 9, sizeof table);
  VLMPFBTransformWithLUTPix(pixels.data(), 1, 64, 4, table, kFBPixFormat32ARGB, 2, &master);
  for (size_t i = 0; i < 64; ++i) EXPECT_EQ(9, pixels[i * 4]);
  EXPECT_EQ(0u, master.tasks[0].answersOwed);
  EXPECT_EQ(kQVErrTimeout, MPWaitOnQueue(master.tasks[0].resultQueue, nullptr, nullptr, nullptr, 50));
  VLMPSetMediaWork(nullptr);
  // Nothing installed: nothing posted, so the task lives on for later bands.
  EXPECT_EQ(kQVErrNotHandled, VLMPRunMediaJob(&master, 0, 3, args, 500, &result));
  VLMPTest(2, &master);
}

// Each part notes which part of how many it was, and on which thread.
struct PartLog {
  std::atomic<uint32_t> calls[8];
  std::atomic<uint32_t> parts{0};
  std::thread::id threads[8];
};

void LogPart(void* context, uint32_t part, uint32_t parts) {
  auto* log = static_cast<PartLog*>(context);
  log->calls[part % 8].fetch_add(1);
  log->parts.store(parts);
  log->threads[part % 8] = std::this_thread::get_id();
}

TEST_F(PoolFixture, PartsRunOnceEachOnTheTasksOrInlineWithoutAPool) {
  struct Case {
    uint32_t pool, asked, expected;
  } cases[] = {{4, 4, 4}, {4, 8, 4}, {4, 3, 3}, {4, 1, 1}, {1, 4, 1}};
  for (const Case& c : cases) {
    VLMPStopAllTasks(master.taskCount, &master);
    VLMPSetProcessorCountOverride(c.pool);
    VLMPInitialize(&master, 1);
    PartLog log{};
    EXPECT_EQ(VLMPRunParts(LogPart, &log, c.asked, &master), c.expected) << c.pool << " " << c.asked;
    EXPECT_EQ(log.parts.load(), c.expected);
    for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(log.calls[i].load(), i < c.expected ? 1u : 0u) << i;
    // Inline work runs on the caller; pooled parts on the tasks.
    EXPECT_EQ(log.threads[0] == std::this_thread::get_id(), c.expected == 1);
  }
  EXPECT_EQ(VLMPRunParts(nullptr, nullptr, 4, &master), 0u);
}

// Work split again on a task runs there whole instead of waiting for the
// busy tasks (itself among them).
struct NestedRun {
  VLMPMaster* master;
  std::atomic<uint32_t> innerParts{0};
  std::atomic<uint32_t> innerCalls{0};
};

void InnerPart(void* context, uint32_t, uint32_t parts) {
  auto* run = static_cast<NestedRun*>(context);
  run->innerParts.store(parts);
  run->innerCalls.fetch_add(1);
}

// Both ways of splitting, inside a part of either.
void OuterPart(void* context, uint32_t, uint32_t) {
  auto* run = static_cast<NestedRun*>(context);
  VLMPRunParts(InnerPart, run, 4, run->master);
  VLMPRunShared(InnerPart, run, 4, run->master);
}

// The caller's own part of shared work splits inline too: the tasks are
// busy with the other parts.
TEST_F(PoolFixture, PartsSplitOnATaskRunThereWhole) {
  VLMPSetProcessorCountOverride(4);
  ASSERT_EQ(4u, VLMPInitialize(&master, 1));
  for (auto outer : {VLMPRunParts, VLMPRunShared}) {
    NestedRun run{&master};
    EXPECT_EQ(outer(OuterPart, &run, 4, &master), 4u);
    EXPECT_EQ(run.innerParts.load(), 1u);
    // Every part ran with RunParts; shared parts may be called off, but not
    // the caller's.
    if (outer == VLMPRunParts) {
      EXPECT_EQ(run.innerCalls.load(), 8u);
    }
    EXPECT_GE(run.innerCalls.load(), 2u);
    EXPECT_EQ(run.innerCalls.load() % 2, 0u);
  }
}

// Shared work: items taken in runs from a counter; each part notes its calls,
// and every item how often it was done.
struct SharedItems {
  static constexpr uint32_t kItems = 20000;
  std::atomic<uint32_t> next{0};
  std::atomic<uint8_t> done[kItems];
  std::atomic<uint32_t> partCalls[8];
  std::atomic<uint32_t> parts{0};
  std::thread::id partZeroThread;
};

void TakeItems(void* context, uint32_t part, uint32_t parts) {
  auto* w = static_cast<SharedItems*>(context);
  w->partCalls[part % 8].fetch_add(1);
  w->parts.store(parts);
  if (part == 0) w->partZeroThread = std::this_thread::get_id();
  for (uint32_t first = w->next.fetch_add(7); first < SharedItems::kItems; first = w->next.fetch_add(7))
    for (uint32_t i = first; i < std::min(first + 7, SharedItems::kItems); ++i) w->done[i].fetch_add(1);
}

TEST_F(PoolFixture, SharedWorkIsDoneOnceWithTheCallerAsPartZero) {
  struct Case {
    uint32_t pool, asked, expected;
  } cases[] = {{4, 4, 4}, {4, 8, 5}, {4, 2, 2}, {4, 1, 1}, {1, 4, 1}};
  for (const Case& c : cases) {
    VLMPStopAllTasks(master.taskCount, &master);
    VLMPSetProcessorCountOverride(c.pool);
    VLMPInitialize(&master, 1);
    // Rounds in a row, with band jobs between them, as the scopes and the
    // pass follow one another.
    for (int round = 0; round < 50; ++round) {
      auto w = std::make_unique<SharedItems>();
      // Every task is free on a fresh pool; later, a task whose part was
      // called off and that has not answered yet is passed over.
      const uint32_t parts = VLMPRunShared(TakeItems, w.get(), c.asked, &master);
      if (round == 0)
        EXPECT_EQ(parts, c.expected) << c.pool << " " << c.asked;
      else
        EXPECT_TRUE(parts >= 1 && parts <= c.expected) << parts;
      EXPECT_EQ(w->parts.load(), parts);
      EXPECT_EQ(w->partCalls[0].load(), 1u);
      EXPECT_EQ(w->partZeroThread, std::this_thread::get_id());
      for (uint32_t p = 1; p < 8; ++p) EXPECT_LE(w->partCalls[p].load(), p < parts ? 1u : 0u) << p;
      uint32_t wrong = 0;
      for (const std::atomic<uint8_t>& d : w->done) wrong += d.load() != 1;
      ASSERT_EQ(wrong, 0u) << "items not done exactly once, pool " << c.pool << " asked " << c.asked;
      if (round % 10 == 9) VLMPTest(c.pool, &master);
    }
  }
  EXPECT_EQ(VLMPRunShared(nullptr, nullptr, 4, &master), 0u);
}

std::atomic<bool> sHeldTaskMayGo{false};
std::atomic<bool> sHeldTaskGaveUp{false};

// A task held up by other work when shared work is posted to it is called
// off: the work is done without it and without waiting for it, and its part
// never runs, even once the task is free again.
TEST_F(PoolFixture, SharedWorkCallsOffAHeldUpTask) {
  VLMPSetProcessorCountOverride(2);
  ASSERT_EQ(2u, VLMPInitialize(&master, 1));
  sHeldTaskMayGo = false;
  sHeldTaskGaveUp = false;
  VLMPSetMediaWork([](VLMPTaskRecord&) {
    for (int ms = 0; !sHeldTaskMayGo.load(); ++ms) {
      if (ms > 10000) {
        sHeldTaskGaveUp = true;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  // Posted straight to task 0's queue, so the pool does not know it is busy.
  ASSERT_EQ(kQVNoErr, MPNotifyQueue(master.tasks[0].requestQueue, kVLMPJobMedia, 0, 0));
  auto w = std::make_unique<SharedItems>();
  EXPECT_EQ(VLMPRunShared(TakeItems, w.get(), 2, &master), 2u);
  EXPECT_FALSE(sHeldTaskGaveUp.load()) << "the shared work waited for the held-up task";
  EXPECT_EQ(w->partCalls[1].load(), 0u);
  for (const std::atomic<uint8_t>& d : w->done) ASSERT_EQ(d.load(), 1);
  EXPECT_EQ(master.tasks[0].answersOwed, 1u);
  // Still held up: offered the next part too, called off again; then, owing
  // two answers, passed over for task 1.
  auto again = std::make_unique<SharedItems>();
  EXPECT_EQ(VLMPRunShared(TakeItems, again.get(), 2, &master), 2u);
  EXPECT_EQ(master.tasks[0].answersOwed, 2u);
  EXPECT_EQ(again->partCalls[1].load(), 0u);
  auto third = std::make_unique<SharedItems>();
  EXPECT_EQ(VLMPRunShared(TakeItems, third.get(), 2, &master), 2u);
  EXPECT_EQ(master.tasks[0].answersOwed, 2u);
  EXPECT_EQ(master.tasks[1].part, 1u);
  for (const std::atomic<uint8_t>& d : third->done) ASSERT_EQ(d.load(), 1);
  EXPECT_FALSE(sHeldTaskGaveUp.load());
  sHeldTaskMayGo = true;
  // The held-up job's own answer, then the pool's next job collects the ones owed.
  ASSERT_EQ(kQVNoErr, MPWaitOnQueue(master.tasks[0].resultQueue, nullptr, nullptr, nullptr, 10000));
  VLMPTest(2, &master);
  EXPECT_EQ(master.tasks[0].answersOwed, 0u);
  EXPECT_EQ(w->partCalls[1].load(), 0u) << "a called-off part ran";
  EXPECT_EQ(again->partCalls[1].load(), 0u) << "a called-off part ran";
  VLMPSetMediaWork(nullptr);
}

TEST_F(PoolFixture, MoreProcessorsThanTasksUsesTheTasksThereAre) {
  VLMPSetProcessorCountOverride(2);
  ASSERT_EQ(2u, VLMPInitialize(&master, 1));
  std::vector<uint8_t> pixels(64 * 4);
  uint8_t table[768];
  for (int i = 0; i < 768; ++i) table[i] = 7;
  VLMPFBTransformWithLUTPix(pixels.data(), 1, 64, 4, table, kFBPixFormat32ARGB, 16, &master);
  EXPECT_EQ(32u, master.tasks[1].lutRows);
  for (size_t i = 0; i < 64; ++i) EXPECT_EQ(7, pixels[i * 4]);
}

TEST(MPQueue, WaitTimesOutAndKeepsOrder) {
  MPQueue* q = nullptr;
  ASSERT_EQ(kQVNoErr, MPCreateQueue(&q));
  EXPECT_EQ(kQVErrTimeout, MPWaitOnQueue(q, nullptr, nullptr, nullptr, 10));
  EXPECT_EQ(kQVNoErr, MPNotifyQueue(q, 1, 2, 3));
  EXPECT_EQ(kQVNoErr, MPNotifyQueue(q, 4, 5, 6));
  intptr_t a, b, c;
  ASSERT_EQ(kQVNoErr, MPWaitOnQueue(q, &a, &b, &c, 0));
  EXPECT_EQ(1, a);
  EXPECT_EQ(3, c);
  ASSERT_EQ(kQVNoErr, MPWaitOnQueue(q, &a, &b, &c, 0));
  EXPECT_EQ(4, a);
  MPDeleteQueue(q);
}

// The parts' shares of a count follow one another from 0 to the count
// with no gap or overlap, none larger than another by more than one, even
// for counts whose products with a part number pass 32 bits.
TEST(PartShares, CoverEveryItemOnceInEvenRuns) {
  const int32_t counts[] = {0, 1, 5, 16384, 2147483647};
  for (int32_t count : counts) {
    for (uint32_t parts = 1; parts <= 9; ++parts) {
      int32_t at = 0, smallest = count, largest = 0;
      for (uint32_t part = 0; part < parts; ++part) {
        const VLMPPartItems share = VLMPPartOf(count, part, parts);
        EXPECT_EQ(share.first, at) << count << " in " << parts << ", part " << part;
        EXPECT_LE(share.first, share.end);
        smallest = std::min(smallest, share.end - share.first);
        largest = std::max(largest, share.end - share.first);
        at = share.end;
      }
      EXPECT_EQ(at, count) << count << " in " << parts;
      EXPECT_LE(largest - smallest, 1) << count << " in " << parts;
    }
  }
}

}  // namespace
