// The plug-in's side of the exchange on its own: the segment's sizes and
// ownership, the shared back-off and the timecode fields.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <sys/ipc.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/alert_script.h"
#include "platform/shared_memory.h"
#include "plugin/ui_exchange.h"

namespace {

struct SegmentTest : testing::Test {
  int32_t key = int32_t(0x57000000u | (uint32_t(getpid()) & 0xFFFFFu) << 4);
  void SetUp() override {
    setenv(kCCKeyVariable, std::to_string(key).c_str(), 1);
    // Clears a segment an earlier run left; usually there is none.
    QVIgnoreStatus(PLShmRemoveKey(key));
    PLAlertScriptBegin();
  }
  void TearDown() override {
    // The test may have removed the segment itself.
    QVIgnoreStatus(PLShmRemoveKey(key));
    PLAlertScriptEnd();
  }
};

TEST_F(SegmentTest, FramesThatFitTravelInOnePieceOthersInWholeRows) {
  struct Case {
    size_t frameBytes;
    int32_t rowBytes;
    size_t segment;
    uint32_t flags, chunk;
  };
  const Case cases[] = {
      {1000000, 4000, 1000000 + kCCHeaderBytes, kCCFlagInline, 1000000},
      {2000000, 7680, 1500000, kCCFlagInline | kCCFlagMoreChunks, 184 * 7680},
      {1413432, 1, 1500000, kCCFlagInline, 1413432},  // exactly fills the largest segment
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frameBytes);
    UIHExchange x;
    ASSERT_TRUE(AllocateCommBlock(c.frameBytes, c.rowBytes, &x));
    EXPECT_EQ(x.view.segmentBytes, c.segment);
    EXPECT_EQ(x.view.block->flags, c.flags);
    EXPECT_EQ(x.view.block->chunkSize, c.chunk);
    EXPECT_EQ(x.view.block->bytesNow, c.chunk);
    EXPECT_EQ(x.view.block->bytesToSend, c.frameBytes);
    EXPECT_EQ(x.view.block->state, uint32_t(kCCStateCreated));
    PLShmInfo info;
    ASSERT_EQ(PLShmStat(x.segmentID, &info), kQVNoErr);
    EXPECT_EQ(info.mode, 0600u);
    EXPECT_EQ(info.size, c.segment);
    UIH_ReleaseCommBlock(&x);
    int32_t id;
    EXPECT_EQ(PLShmOpen(key, &id), kQVErrFileNotFound);
  }
  EXPECT_TRUE(PLAlertScriptRecorded().empty());
}

TEST_F(SegmentTest, ARowLargerThanTheSegmentIsAMemoryFailure) {
  UIHExchange x;
  EXPECT_FALSE(AllocateCommBlock(4000000, 2000000, &x));
  ASSERT_EQ(PLAlertScriptRecorded().size(), 1u);
  EXPECT_EQ(PLAlertScriptRecorded()[0].message, "Unable to acquire sufficient shared memory");
  int32_t id;
  EXPECT_EQ(PLShmOpen(key, &id), kQVErrFileNotFound) << "nothing is left behind";
}

TEST_F(SegmentTest, AStaleSegmentIsReplacedALiveOneIsLeftAlone) {
  // Made by a process that has ended.
  pid_t child = fork();
  if (child == 0) {
    // Only a raw system call between fork and _exit.
    _exit(syscall(SYS_shmget, key, 4096, IPC_CREAT | IPC_EXCL | 0600) >= 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  UIHExchange x;
  EXPECT_TRUE(AllocateCommBlock(1000, 40, &x));
  UIH_ReleaseCommBlock(&x);

  // Made by a process that runs (this one): not taken over.
  int32_t live = -1;
  ASSERT_EQ(PLShmCreate(key, 4096, &live), kQVNoErr);
  UIHExchange y;
  EXPECT_FALSE(AllocateCommBlock(1000, 40, &y));
  PLShmInfo info;
  EXPECT_EQ(PLShmStat(live, &info), kQVNoErr);
  EXPECT_EQ(info.size, 4096u);
}

TEST_F(SegmentTest, TheHostRecordedInASegmentIsJudgedByItsProcessIdAndStartTime) {
  // This process's id with another start time is a later process reusing
  // the id of a host that has ended: its segment is stale.
  const PLProcessSerial self = PLCurrentProcessSerial();
  struct Case {
    const char* name;
    PLProcessSerial recorded;
    bool taken;
  };
  for (const Case& c : {Case{"reused id", self + (uint64_t(7) << 32), true}, Case{"live host", self, false}}) {
    SCOPED_TRACE(c.name);
    PLAlertScriptBegin();
    int32_t old = -1;
    ASSERT_EQ(PLShmCreate(key, kCCHeaderBytes, &old), kQVNoErr);
    auto* block = static_cast<CCUIComm*>(PLShmAttach(old));
    ASSERT_NE(block, nullptr);
    block->hostSerial[0] = uint32_t(c.recorded);
    block->hostSerial[1] = uint32_t(c.recorded >> 32);
    PLShmDetach(block);
    UIHExchange x;
    EXPECT_EQ(AllocateCommBlock(1000, 40, &x), c.taken);
    if (c.taken) {
      EXPECT_NE(x.segmentID, old);
      UIH_ReleaseCommBlock(&x);
    } else {
      ASSERT_EQ(PLAlertScriptRecorded().size(), 1u);
      EXPECT_NE(PLAlertScriptRecorded()[0].message.find("is open for another effect"), std::string::npos);
      EXPECT_EQ(kQVNoErr, PLShmRemove(old));
    }
    PLAlertScriptEnd();
  }
}

TEST(BackOff, DoublesAfterEveryFifthStepUpTo64Milliseconds) {
  UIH_BackOffReset();
  const double expected[] = {16, 32, 64, 64};
  for (double ms : expected) {
    for (int i = 0; i < 5; ++i) UIH_BackOffStep();
    EXPECT_EQ(UIH_BackOffMilliseconds(), ms);
  }
  UIH_BackOffReset();
  EXPECT_EQ(UIH_BackOffMilliseconds(), 8);
}

TEST(Timecode, DefaultsFollowTheFrameRate) {
  struct Case {
    int32_t scale, step;
    uint16_t rate;
    uint8_t drop;
  };
  for (const Case& c : {Case{2400, 100, 2400, 1}, Case{3000, 100, 3000, 0}, Case{30000, 1001, 2997, 0},
                        Case{2400, 0, 0, 1}}) {
    CCUIComm* block = static_cast<CCUIComm*>(std::calloc(1, sizeof(CCUIComm)));
    AEGetTimecodeFormatting(nullptr, c.scale, c.step, block);
    EXPECT_EQ(block->frameRate100, c.rate) << c.scale << "/" << c.step;
    EXPECT_EQ(block->dropFrame, c.drop);
    EXPECT_EQ(block->framesPerFoot, 16);
    EXPECT_EQ(block->timeDisplay, 0);
    std::free(block);
  }
}

// A project for the footage list: items by index, each a type, flags and a path.
struct FakeItem {
  int32_t type;
  uint32_t flags;
  std::string path;
};
std::vector<FakeItem> gItems;

HIItemRef itemRef(size_t i) { return reinterpret_cast<HIItemRef>(i + 1); }
size_t itemIndex(HIItemRef r) { return reinterpret_cast<size_t>(r) - 1; }

const HIProjectSuite8 kProject = {[](int32_t, HIProjectRef* p) -> HIError {
  *p = reinterpret_cast<HIProjectRef>(1);
  return kHINoErr;
}};
const HIItemSuite3 kItems = {
    [](HIProjectRef, HIItemRef* first) -> HIError {
      *first = gItems.empty() ? nullptr : itemRef(0);
      return kHINoErr;
    },
    [](HIProjectRef, HIItemRef item, HIItemRef* next) -> HIError {
      *next = itemIndex(item) + 1 < gItems.size() ? itemRef(itemIndex(item) + 1) : nullptr;
      return kHINoErr;
    },
    [](HIItemRef item, int32_t* type) -> HIError {
      *type = gItems[itemIndex(item)].type;
      return kHINoErr;
    },
    [](HIItemRef item, uint32_t* flags) -> HIError {
      *flags = gItems[itemIndex(item)].flags;
      return kHINoErr;
    },
};
const HIFootageSuite11 kFootage = {
    [](HIItemRef item, HIFootageRef* f) -> HIError {
      *f = reinterpret_cast<HIFootageRef>(item);
      return kHINoErr;
    },
    [](HIFootageRef f, int32_t, int32_t, HIMemHandle* path) -> HIError {
      *path = reinterpret_cast<HIMemHandle>(new std::string(gItems[itemIndex(reinterpret_cast<HIItemRef>(f))].path));
      return kHINoErr;
    },
};
int gOpenPaths = 0;
const HIMemorySuite1 kMemory = {
    nullptr,
    [](HIMemHandle h) -> HIError {
      delete reinterpret_cast<std::string*>(h);
      --gOpenPaths;
      return kHINoErr;
    },
    [](HIMemHandle h, void** address) -> HIError {
      ++gOpenPaths;
      *address = reinterpret_cast<std::string*>(h)->data();
      return kHINoErr;
    },
    [](HIMemHandle) -> HIError { return kHINoErr; },
    [](HIMemHandle h, uint64_t* size) -> HIError {
      *size = reinterpret_cast<std::string*>(h)->size() + 1;
      return kHINoErr;
    },
};
const HIBasicSuite kBroker = {
    [](const char* name, int32_t, const void** suite) -> HIError {
      const std::string n = name;
      *suite = n == kHISuiteAEGPProject ? static_cast<const void*>(&kProject)
               : n == kHISuiteAEGPItem  ? static_cast<const void*>(&kItems)
               : n == kHISuiteAEGPFootage ? static_cast<const void*>(&kFootage)
               : n == kHISuiteAEGPMemory  ? static_cast<const void*>(&kMemory)
                                          : nullptr;
      return *suite ? kHINoErr : kHIErrInvalidCallback;
    },
    [](const char*, int32_t) -> HIError { return kHINoErr; },
};

TEST(FootageList, TheFirst200VideoAndStillItemsGoInCutToTheRecord) {
  gItems.clear();
  gItems.push_back({kHIItemTypeFolder, 0, "/folder"});
  gItems.push_back({kHIItemTypeFootage, 0, "/audio-only.wav"});
  gItems.push_back({kHIItemTypeFootage, kHIItemFlagStill, "/still.png"});
  gItems.push_back({kHIItemTypeFootage, kHIItemFlagHasVideo, std::string(400, 'x')});
  for (int i = 0; i < 250; ++i) gItems.push_back({kHIItemTypeFootage, kHIItemFlagHasVideo, "/clip" + std::to_string(i)});
  CCUIComm* block = static_cast<CCUIComm*>(std::calloc(1, sizeof(CCUIComm)));
  UIH_FillFootageList(&kBroker, block);
  EXPECT_EQ(block->footageCount, 200u);
  EXPECT_STREQ(block->footage[0].path, "/still.png");
  EXPECT_EQ(std::string(block->footage[1].path), std::string(259, 'x')) << "a long path is cut to 259 bytes";
  EXPECT_STREQ(block->footage[2].path, "/clip0");
  EXPECT_STREQ(block->footage[199].path, "/clip197");
  EXPECT_EQ(gOpenPaths, 0) << "every path handle the host gave is freed";
  // Without the host's suites the list stays empty.
  UIH_FillFootageList(nullptr, block);
  EXPECT_EQ(block->footageCount, 0u);
  std::free(block);
}

}  // namespace
