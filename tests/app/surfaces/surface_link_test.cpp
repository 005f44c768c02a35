#include "app/surfaces/surface_link.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/surfaces/surface_midi.h"
#include "app/surfaces/surface_start.h"
#include "settings/prefs.h"
#include "platform/alert_script.h"
#include "tests/app/surfaces/surface_fake_driver.h"

namespace {

std::vector<std::pair<int16_t, int32_t>> gEvents;
void Record(int16_t code, int32_t value, int32_t) { gEvents.emplace_back(code, value); }

}  // namespace

TEST(SurfaceMIDI, DecodeTable) {
  struct Case {
    uint8_t b[3];
    bool taken;
    int16_t code;
    int32_t value;
  } cases[] = {
      {{0xB6, 0x05, 0x7F}, true, 90, -1},   {{0xB6, 0x05, 0x40}, true, 90, -64},
      {{0xB6, 0x05, 0x3F}, true, 90, 63},   {{0xB6, 0x00, 0x00}, true, 74, 0},
      {{0xB6, 0x01, 0x0D}, true, 87, 1},    {{0xB6, 0x02, 0x17}, true, 512, 2},
      {{0xB6, 0x02, 0x0E}, false, 0, 0},    {{0xB6, 0x0C, 0x01}, true, 0, 1},
      {{0xB6, 0x10, 0x02}, true, 94, 2},    {{0xB6, 0x11, 0x02}, true, 96, 2},
      {{0xB6, 0x18, 0x7E}, true, 101, -2},  {{0xB6, 0x19, 0x00}, false, 0, 0},
      {{0xB5, 0x03, 0x00}, true, 115, 1},   {{0xB5, 0x02, 0x0D}, true, 114, 0},
      {{0xB5, 0x02, 0x0E}, false, 0, 0},    {{0xB5, 0x08, 0x01}, true, 103, 1},
      {{0xB5, 0x10, 0x41}, true, 125, -63}, {{0xB5, 0x11, 0x00}, false, 0, 0},
      {{0x80, 0x01, 0x7F}, true, 512, 1},   {{0x80, 0x02, 0x10}, true, 115, 2},
      {{0x80, 0x00, 0x0F}, true, 0, 0},     {{0x80, 0x01, 0x1D}, true, 114, 1},
      {{0x80, 0x01, 0x1E}, false, 0, 0},    {{0x80, 0x03, 0x01}, true, 88, 1},
      {{0x80, 0x1F, 0x01}, true, 0, 1},     {{0x80, 0x20, 0x7F}, true, 103, -1},
      {{0x80, 0x28, 0x01}, true, 125, 1},   {{0x80, 0x29, 0x01}, false, 0, 0},
      {{0x90, 0x01, 0x01}, false, 0, 0},    {{0xB6, 0xFF, 0xFF}, false, 0, 0},
  };
  for (const Case& c : cases) {
    int16_t code = -7;
    int32_t value = -7;
    EXPECT_EQ(c.taken, SurfaceDecodeMIDI(c.b, 3, &code, &value)) << int(c.b[0]) << " " << int(c.b[1]) << " " << int(c.b[2]);
    if (c.taken) {
      EXPECT_EQ(c.code, code) << int(c.b[1]) << " " << int(c.b[2]);
      EXPECT_EQ(c.value, value) << int(c.b[1]) << " " << int(c.b[2]);
    }
  }
  const uint8_t two[3] = {0xB6, 0x05, 0x7F};
  int16_t code;
  int32_t value;
  EXPECT_FALSE(SurfaceDecodeMIDI(two, 2, &code, &value));
}

TEST(SurfaceLink, DriverEventsReachTheCallbackOnlyWhileConnected) {
  gEvents.clear();
  SurfaceDriverSetSender(nullptr);
  SurfaceLinkConnect(1, "", 0);  // no driver answers: not connected
  EXPECT_FALSE(SurfaceLinkIsConnected());
  SurfaceLinkSetCallback(Record);
  SurfaceDriverEvent button;
  button.eventClass = kSurfaceDriverClass;
  button.eventID = QVFourCC("JBtn");
  button.AddLong(QVFourCC("CtlN"), QVFourCC("long"), 0x10053);
  button.AddLong(QVFourCC("CVal"), QVFourCC("long"), 1);
  EXPECT_EQ(kQVNoErr, SurfaceLinkHandleEvent(button, 1000));
  EXPECT_TRUE(gEvents.empty());

  // A status reply with the wrong return id or length changes nothing.
  SurfaceDriverEvent answer;
  answer.eventClass = QVFourCC("aevt");
  answer.eventID = QVFourCC("ansr");
  answer.returnID = 0x1234;
  const uint32_t shortRecord[6] = {};
  answer.AddBytes(QVFourCC("StDt"), QVFourCC("TEXT"), shortRecord, sizeof shortRecord);
  EXPECT_EQ(kQVNoErr, SurfaceLinkHandleEvent(answer, 1007));
  EXPECT_FALSE(SurfaceLinkIsConnected());
  answer.params.clear();
  const uint32_t record[7] = {0x70001, 0x20008, 3, 0x1FF, 0x102, 3, 4};
  answer.AddBytes(QVFourCC("StDt"), QVFourCC("TEXT"), record, sizeof record);
  answer.returnID = 1;
  EXPECT_EQ(-1701, SurfaceLinkHandleEvent(answer, 1007));
  EXPECT_FALSE(SurfaceLinkIsConnected());
  answer.returnID = 0x1234;
  EXPECT_EQ(kQVNoErr, SurfaceLinkHandleEvent(answer, 1007));
  ASSERT_TRUE(SurfaceLinkIsConnected());
  EXPECT_EQ(1, SurfaceLinkGetStatus().words[0]);
  EXPECT_EQ(8, SurfaceLinkGetStatus().words[1]);
  EXPECT_EQ(0xFF, SurfaceLinkGetStatus().bytes[0]);
  EXPECT_EQ(2, SurfaceLinkGetStatus().bytes[1]);

  EXPECT_EQ(kQVNoErr, SurfaceLinkHandleEvent(button, 1000));
  SurfaceDriverEvent wheel;
  wheel.AddLong(QVFourCC("CVal"), QVFourCC("long"), -3);
  EXPECT_EQ(kQVNoErr, SurfaceLinkHandleEvent(wheel, 1001));
  EXPECT_EQ(kQVNoErr, SurfaceLinkHandleEvent(wheel, 1002));
  EXPECT_EQ(kQVNoErr, SurfaceLinkHandleEvent(button, 1005));  // read and ignored
  SurfaceDriverEvent raw;
  raw.AddBytes(QVFourCC("JRaw"), QVFourCC("TEXT"), "\xB6\x05", 2);  // two bytes: ignored
  EXPECT_EQ(kQVNoErr, SurfaceLinkHandleEvent(raw, 1008));
  raw.params.clear();
  raw.AddBytes(QVFourCC("JRaw"), QVFourCC("TEXT"), "\xB6\x05\x7F", 3);
  EXPECT_EQ(kQVNoErr, SurfaceLinkHandleEvent(raw, 1008));
  const std::vector<std::pair<int16_t, int32_t>> expected = {{0x53, 1}, {24, -3}, {26, -3}, {90, -1}};
  EXPECT_EQ(expected, gEvents);

  EXPECT_EQ(kQVErrEventNotHandled, SurfaceLinkHandleEvent(button, 999));
  EXPECT_EQ(kQVErrEventNotHandled, SurfaceLinkHandleEvent(button, 1009));
  EXPECT_EQ(-1701, SurfaceLinkHandleEvent(wheel, 1000));  // no CtlN
  SurfaceLinkSetCallback(nullptr);
}

TEST(SurfaceLink, OutgoingDriverEvents) {
  FakeDriver::Connect();
  ASSERT_TRUE(SurfaceLinkIsConnected());
  SurfaceLinkSetLight(30, 5);
  ASSERT_EQ(1u, FakeDriver::Lights().size());
  EXPECT_EQ(std::make_pair(30, 1), FakeDriver::Lights()[0]);

  std::vector<uint8_t> big(1025, 0x41);
  FakeDriver::Clear();
  SurfaceLinkWriteRaw(big.data(), big.size());
  EXPECT_TRUE(FakeDriver::RawWrites().empty());
  SurfaceLinkWriteRaw(big.data(), 1024);
  ASSERT_EQ(1u, FakeDriver::RawWrites().size());

  FakeDriver::Clear();
  const uint8_t line0[] = {8, 'Q', 'u', 'o', 'r', 'v', 'a', 'n', 'e'}, line1[] = {0};
  SurfaceLinkWriteLCD(line0, 1, line1, 1);
  SurfaceLinkWriteTimecode(0x01020304);
  ASSERT_EQ(3u, FakeDriver::Events().size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(line0), 9), FakeDriver::Events()[0].Find(QVFourCC("JPSt"))->bytes);
  EXPECT_EQ(1u, FakeDriver::Events()[1].Find(QVFourCC("JPSt"))->bytes.size());
  int32_t tc = 0;
  EXPECT_TRUE(FakeDriver::Events()[2].GetLong(QVFourCC("JTCd"), &tc));
  EXPECT_EQ(0x01020304, tc);
}

TEST(SurfaceLink, AddressesThatDoNotLeadAnywhereSayWhy) {
  PLAlertScriptBegin();
  SurfaceLinkConnect(kSurfaceLinkNetwork, "no.such.host.invalid", 23);
  EXPECT_FALSE(SurfaceLinkIsConnected());
  EXPECT_FALSE(SurfaceLinkHasSocket());
  // Nothing listens on this port of the loopback address.
  SurfaceLinkConnect(kSurfaceLinkNetwork, "127.0.0.1", 1);
  EXPECT_FALSE(SurfaceLinkIsConnected());
  EXPECT_FALSE(SurfaceLinkHasSocket());
  const std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  ASSERT_EQ(2u, alerts.size());
  EXPECT_EQ("Invalid control surface IP address \"no.such.host.invalid\"\n", alerts[0].message);
  EXPECT_EQ("Unable to connect to control surface IP address \"127.0.0.1\"\n", alerts[1].message);
  SurfaceLinkDisconnect();
}

TEST(SurfaceStartStop, SurfaceKindOneMeansNoSurface) {
  FakeDriver::Connect();
  ASSERT_TRUE(SurfaceLinkIsConnected());
  const int32_t kind = gPrefsSettings.controlSurfaceMode;
  gPrefsSettings.controlSurfaceMode = 1;
  EXPECT_FALSE(SurfaceIsConnected());
  SurfaceConnect();
  SurfaceStart();
  EXPECT_TRUE(FakeDriver::Events().empty());
  EXPECT_EQ(0, SurfaceTimerCount());
  gPrefsSettings.controlSurfaceMode = kind;
  SurfaceDriverSetSender(nullptr);
}
