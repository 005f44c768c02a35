// SysV segments and process serial numbers.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <ctime>

#include "platform/processes.h"
#include "platform/shared_memory.h"

namespace {

TEST(SharedMemory, CreatedExclusivelyPrivateAndRemovedByKey) {
  const int32_t key = int32_t(0x58000000u | (uint32_t(getpid()) & 0xFFFFFu) << 4);
  QVIgnoreStatus(PLShmRemoveKey(key));  // a segment an earlier run left, if any
  int32_t id = -1, again = -1, opened = -1;
  ASSERT_EQ(PLShmCreate(key, 10000, &id), kQVNoErr);
  EXPECT_EQ(PLShmCreate(key, 10000, &again), kQVErrDuplicate);
  ASSERT_EQ(PLShmOpen(key, &opened), kQVNoErr);
  EXPECT_EQ(opened, id);
  PLShmInfo info;
  ASSERT_EQ(PLShmStat(id, &info), kQVNoErr);
  EXPECT_EQ(info.size, 10000u);
  EXPECT_EQ(info.mode, 0600u);
  EXPECT_EQ(info.ownerUID, getuid());
  EXPECT_EQ(info.creatorPID, getpid());
  void* a = PLShmAttach(id);
  ASSERT_NE(a, nullptr);
  static_cast<char*>(a)[9999] = 7;
  PLShmDetach(a);
  // Removed while attached, it is marked so until the last one lets go.
  void* held = PLShmAttach(id);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(PLShmRemoveKey(key), kQVNoErr);
  ASSERT_EQ(PLShmStat(id, &info), kQVNoErr);
  EXPECT_TRUE(info.removed);
  EXPECT_LE(info.createdTime, int64_t(time(nullptr)));
  EXPECT_FALSE(PLProcessStartedAfter(getpid(), info.createdTime)) << "this process made it";
  EXPECT_TRUE(PLProcessStartedAfter(getpid(), 1000)) << "a process cannot have done anything before it started";
  PLShmDetach(held);
  EXPECT_EQ(PLShmOpen(key, &opened), kQVErrFileNotFound);
  EXPECT_EQ(PLShmRemoveKey(key), kQVErrFileNotFound);
}

TEST(Processes, SerialNumbersNameOneRunOfAProcess) {
  const PLProcessSerial self = PLCurrentProcessSerial();
  EXPECT_EQ(PLProcessIDOf(self), getpid());
  EXPECT_TRUE(PLProcessIsAlive(self));
  EXPECT_FALSE(PLProcessIsAlive(self + (uint64_t(1) << 32))) << "another start time is another process";
  EXPECT_FALSE(PLProcessIsAlive(0));
  // Linked into this program, the code's file is the program itself.
  EXPECT_EQ(PLModulePathOf(reinterpret_cast<const void*>(&PLProcessIsAlive)), PLExecutablePath());

  PLProcessSerial child = 0;
  ASSERT_EQ(PLLaunchProgram("/bin/sleep", {"/bin/sleep", "30"}, &child), kQVNoErr);
  EXPECT_TRUE(PLProcessIsAlive(child));
  kill(PLProcessIDOf(child), SIGKILL);
  for (int i = 0; i < 200 && PLProcessIsAlive(child); ++i) usleep(10000);
  EXPECT_FALSE(PLProcessIsAlive(child)) << "an ended child is reaped, not left as a zombie";
  EXPECT_EQ(PLLaunchProgram("/no/such/program", {}, &child), kQVErrFileNotFound);
}

TEST(Processes, FoundByProgramNameAndAnEnvironmentValue) {
  setenv("VELMORA_FIND_TEST", std::to_string(getpid()).c_str(), 1);
  PLProcessSerial child = 0;
  ASSERT_EQ(PLLaunchProgram("/bin/sleep", {"/bin/sleep", "30"}, &child), kQVNoErr);
  const char* name = "sleep";
  PLProcessSerial found = 0;
  for (int i = 0; i < 100 && !found; ++i, usleep(10000)) found = PLFindProcess(name, "VELMORA_FIND_TEST");
  EXPECT_EQ(PLProcessIDOf(found), PLProcessIDOf(child));
  setenv("VELMORA_FIND_TEST", "other", 1);
  EXPECT_EQ(PLFindProcess(name, "VELMORA_FIND_TEST"), 0u);
  kill(PLProcessIDOf(child), SIGKILL);
  while (PLProcessIsAlive(child)) usleep(1000);
}

}  // namespace
