#include "app/surfaces/surface_driver_route.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/surfaces/surface_link.h"
#include "platform/message_route.h"
#include "platform/processes.h"
#include "tests/app/surfaces/surface_fake_driver.h"

namespace {

std::vector<std::pair<int16_t, int32_t>> gEvents;
void Record(int16_t code, int32_t value, int32_t) { gEvents.emplace_back(code, value); }

}  // namespace

TEST(SurfaceRoute, ParametersPackBigEndianAndUnpackToTheSame) {
  SurfaceDriverEvent e;
  e.returnID = 0x1234;
  e.AddLong(QVFourCC("CtlN"), QVFourCC("magn"), 0x01020304);
  e.AddBytes(QVFourCC("JPSt"), QVFourCC("TEXT"), "\x03" "abc", 4);
  const std::vector<uint8_t> packed = SurfaceRoutePack(e);
  const std::vector<uint8_t> head = {'r', 't', 'i', 'd', 's', 'h', 'o', 'r', 0, 0, 0, 2, 0x12, 0x34,
                                     'C', 't', 'l', 'N', 'm', 'a', 'g', 'n', 0, 0, 0, 4, 1, 2, 3, 4};
  ASSERT_GE(packed.size(), head.size());
  EXPECT_EQ(head, std::vector<uint8_t>(packed.begin(), packed.begin() + long(head.size())));
  SurfaceDriverEvent back;
  ASSERT_TRUE(SurfaceRouteUnpack(packed.data(), packed.size(), &back));
  EXPECT_EQ(0x1234, back.returnID);
  int32_t v = 0;
  EXPECT_TRUE(back.GetLong(QVFourCC("CtlN"), &v));
  EXPECT_EQ(0x01020304, v);
  EXPECT_EQ(std::string("\x03" "abc", 4), back.Find(QVFourCC("JPSt"))->bytes);

  // Lengths that run past the end, short headers and too many parameters are refused.
  std::vector<uint8_t> bad = packed;
  bad[11] = 0xFF;
  EXPECT_FALSE(SurfaceRouteUnpack(bad.data(), bad.size(), &back));
  EXPECT_FALSE(SurfaceRouteUnpack(packed.data(), 5, &back));
  std::vector<uint8_t> many;
  for (int i = 0; i < 17; ++i) many.insert(many.end(), {'a', 'b', 'c', 'd', 'T', 'E', 'X', 'T', 0, 0, 0, 0});
  EXPECT_FALSE(SurfaceRouteUnpack(many.data(), many.size(), &back));
  EXPECT_TRUE(SurfaceRouteUnpack(nullptr, 0, &back));
}

TEST(SurfaceRoute, TheDriversEventsArriveOverTheRoute) {
  // The test plays the driver: its answer connects the link, then its
  // button event travels over this program's own route.
  FakeDriver::Connect();
  ASSERT_TRUE(SurfaceLinkIsConnected());
  ASSERT_TRUE(PLRouteIsOpen());
  gEvents.clear();
  SurfaceLinkSetCallback(Record);
  SurfaceDriverEvent button;
  button.AddLong(QVFourCC("CtlN"), QVFourCC("long"), 12);
  button.AddLong(QVFourCC("CVal"), QVFourCC("long"), 1);
  const std::vector<uint8_t> packed = SurfaceRoutePack(button);
  PLDescriptor d;
  d.type = kSurfaceRouteDescriptorType;
  d.data = packed.data();
  d.size = packed.size();
  ASSERT_EQ(kQVNoErr, PLRouteSend(PLCurrentProcessSerial(), kSurfaceDriverClass, QVFourCC("JBtn"), d, nullptr));
  PLRouteServe(0.5);
  const std::vector<std::pair<int16_t, int32_t>> expected = {{12, 1}};
  EXPECT_EQ(expected, gEvents);
  SurfaceLinkSetCallback(nullptr);
  SurfaceDriverSetSender(nullptr);
}

TEST(SurfaceRoute, WithoutADriverNothingIsSentAndTheLinkStaysDown) {
  setenv("VELMORA_SURFACE_DRIVER", "no-such-surface-driver", 1);
  SurfaceDriverSetSender(SurfaceRouteSend);
  SurfaceLinkConnect(1, "", 0);
  EXPECT_FALSE(SurfaceLinkIsConnected());
  SurfaceDriverEvent e;
  EXPECT_EQ(kPLErrNoProcess, SurfaceRouteSend(e, nullptr));
  unsetenv("VELMORA_SURFACE_DRIVER");
  SurfaceDriverSetSender(nullptr);
}

// The fake surface plays the driver program in a process of its own: the
// link connects through its status answer and its lights reach it.
TEST(SurfaceRoute, TheDriverProgramAnswersAndTakesTheLights) {
  int out[2];
  ASSERT_EQ(0, pipe(out));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(out[1], 1);
    close(out[0]);
    execl(FAKE_SURFACE_PROGRAM, FAKE_SURFACE_PROGRAM, "--driver", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  FILE* lines = fdopen(out[0], "r");
  char line[256] = {};
  ASSERT_TRUE(std::fgets(line, sizeof line, lines));
  EXPECT_STREQ("driver ready\n", line);
  setenv("VELMORA_SURFACE_DRIVER", "velmora-fake-surface", 1);
  SurfaceDriverSetSender(SurfaceRouteSend);
  SurfaceLinkConnect(1, "", 0);
  const bool connected = SurfaceLinkIsConnected();
  EXPECT_TRUE(connected);
  SurfaceLinkSetLight(30, 1);
  std::vector<std::string> seen;
  while (connected && std::fgets(line, sizeof line, lines)) {
    seen.emplace_back(line);
    if (seen.back() == "driver light 30 on\n") break;
  }
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  std::fclose(lines);
  unsetenv("VELMORA_SURFACE_DRIVER");
  SurfaceDriverSetSender(nullptr);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ("driver status request\n", seen.front());
  EXPECT_EQ("driver light 30 on\n", seen.back());
}
