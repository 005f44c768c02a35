#include "app/surfaces/surface_lights.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "settings/prefs.h"
#include "tests/app/surfaces/surface_fake_driver.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
void SetWord(int32_t offset, uint32_t value) {
  std::memcpy(reinterpret_cast<uint8_t*>(&gUISettings) + offset, &value, 4);
}

class SurfaceLights : public testing::Test {
 protected:
  void SetUp() override {
    gPrefsSettings.controlSurfaceMode = 3;
    SurfaceClearDefinitions();
    FakeDriver::Connect();
  }
};

}  // namespace

TEST_F(SurfaceLights, DisplayLines) {
  EXPECT_EQ(Cat({{0xF0, 0x15, 0x28, 0x01, 0x00, 0x18}, Text(std::string(9, ' ') + "Grade" + std::string(10, ' ')), {0xF7}}),
            SurfaceDisplayLineMessage(1, 1, "Grade", 1));
  EXPECT_EQ(Cat({{0xF0, 0x15, 0x28, 0x01, 0x60, 0x18}, Text("Grade" + std::string(19, ' ')), {0xF7}}),
            SurfaceDisplayLineMessage(2, 2, "Grade", -2));
  EXPECT_EQ(Cat({{0xF0, 0x15, 0x28, 0x01, 0x20, 0x18}, Text(std::string(19, ' ') + "Grade"), {0xF7}}),
            SurfaceDisplayLineMessage(1, 2, "Grade", -1));
  EXPECT_EQ(Bytes({0xF0, 0x15, 0x28, 0x01, 0x40, 0x18, 0xF7}), SurfaceDisplayLineMessage(2, 1, "Grade", 0));
  EXPECT_EQ(Cat({{0xF0, 0x15, 0x28, 0x01, 0x00, 0x18}, Text("abcdefghijklmnopqrstuvwx"), {0xF7}}),
            SurfaceDisplayLineMessage(1, 1, "abcdefghijklmnopqrstuvwxyz0123", 1));
  // Characters at or above 0x80 cannot travel in a System Exclusive message.
  EXPECT_EQ(Cat({{0xF0, 0x15, 0x28, 0x01, 0x00, 0x18}, Text("caf?" + std::string(20, ' ')), {0xF7}}),
            SurfaceDisplayLineMessage(1, 1, "caf\xE9", -2));
  EXPECT_TRUE(SurfaceDisplayLineMessage(1, 1, nullptr, 1).empty());
  gPrefsSettings.controlSurfaceMode = 4;
  EXPECT_EQ(Cat({{0xF0, 0x15, 0x25, 0x55, 0x01, 0x60, 0x18}, Text(std::string(24, ' ')), {0xF7}}),
            SurfaceDisplayLineMessage(2, 2, "", 1));
}

TEST_F(SurfaceLights, LightsAndTrackballs) {
  EXPECT_EQ(Bytes({0xF0, 0x15, 0x28, 0x03, 7, 0, 0xF7}), SurfaceLightMessage(7, true));
  EXPECT_EQ(Bytes({0xF0, 0x15, 0x28, 0x06, 3, 1, 0xF7}), SurfaceLightMessage(259, false));
  gPrefsSettings.controlSurfaceMode = 4;
  EXPECT_EQ(Bytes({0xF0, 0x15, 0x25, 0x56, 0x03, 3, 0, 0xF7}), SurfaceLightMessage(259, true));
  SurfaceSetTrackballColor(1, 1, 0);
  ASSERT_EQ(1u, FakeDriver::RawWrites().size());
  EXPECT_EQ(Bytes({0xF0, 0x15, 0x25, 0x55, 0x03, 0x0E, 0x00, 0xF7, 0xF0, 0x15, 0x25, 0x55, 0x03, 0x0F, 0x01, 0xF7}),
            FakeDriver::RawWrites()[0]);
  FakeDriver::Clear();
  struct Case {
    int32_t a, b, light;
    uint8_t s;
  } fourth[] = {{1, 1, 10, 0}, {1, 0, 11, 0}, {0, 1, 12, 0}, {0, 0, 10, 1}};
  for (const Case& c : fourth) SurfaceSetTrackballColor(3, c.a, c.b);
  ASSERT_EQ(4u, FakeDriver::RawWrites().size());
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(Bytes({0xF0, 0x15, 0x25, 0x56, 0x03, uint8_t(fourth[i].light), fourth[i].s, 0xF7}), FakeDriver::RawWrites()[i]);
}

TEST_F(SurfaceLights, PageHeader) {
  SurfacePageDefinition& p = gSurfacePages[1];
  p.active = 1;
  std::strcpy(p.leftLine1, "Two");
  p.trackballColor[0] = kSurfaceGreen;
  p.trackballColor[1] = kSurfaceCyan;  // no lights for cyan: trackball 2 stays as it was
  p.trackballColor[2] = kSurfaceBlue;
  p.trackballColor[3] = kSurfaceRed;
  SurfaceShowPageHeader(2);
  EXPECT_EQ(2, gSurfaceCurrentPage);
  const auto w = FakeDriver::RawWrites();
  ASSERT_EQ(7u + 4u + 3u, w.size());
  for (int k = 0; k < 7; ++k) EXPECT_EQ(SurfaceLightMessage(k, k == 1), w[size_t(k)]);
  EXPECT_EQ(SurfaceDisplayLineMessage(1, 1, "Two", 1), w[7]);
  EXPECT_EQ(Cat({SurfaceLightMessage(10, true), SurfaceLightMessage(11, false)}), w[11]);
  EXPECT_EQ(Cat({SurfaceLightMessage(18, false), SurfaceLightMessage(19, true)}), w[12]);
  EXPECT_EQ(SurfaceLightMessage(266, true), w[13]);

  // An inactive page changes nothing.
  FakeDriver::Clear();
  SurfaceShowPageHeader(3);
  SurfaceShowPageHeader(0);
  SurfaceShowPageHeader(8);
  EXPECT_TRUE(FakeDriver::RawWrites().empty());
  EXPECT_EQ(2, gSurfaceCurrentPage);
}

TEST_F(SurfaceLights, ButtonLightsFollowTheirTargets) {
  gSurfaceCurrentPage = 0;
  SurfaceRefreshPage();
  EXPECT_TRUE(FakeDriver::RawWrites().empty());

  SurfaceControlDefinition* d = gSurfaceControls[0];
  const int32_t limiterEnable = int32_t(VL_FindSettingsField("limiter_enable")->offset);
  const int32_t clipMethod = int32_t(VL_FindSettingsField("limiter_clip_method")->offset);
  d[0] = {513, kSurfaceActionToggleControl, limiterEnable, 0, 0, limiterEnable, kSurfaceNoTarget, 0, {}};
  d[1] = {541, kSurfaceActionSetControlValue, clipMethod, 2.4f, 0, clipMethod, kSurfaceNoTarget, 0, {}};
  d[2] = {548, kSurfaceActionRestoreSettings, kSurfaceNoTarget, 3.0f, 0, kSurfaceNoTarget, kSurfaceNoTarget, 0, {}};
  d[3] = {88, kSurfaceActionToggleControl, limiterEnable, 0, 0, limiterEnable, kSurfaceNoTarget, 0, {}};  // no light
  d[4] = {514, kSurfaceActionAdjustSlider, limiterEnable, 0, 0, limiterEnable, kSurfaceNoTarget, 0, {}};  // no state
  d[6] = {515, kSurfaceActionToggleControl, limiterEnable, 0, 0, limiterEnable, kSurfaceNoTarget, 0, {}};  // after the end
  SetWord(limiterEnable, 1);
  SetWord(clipMethod, 2);
  gLastSavedSettingsSlot = 3;
  gSurfaceCurrentPage = 1;
  SurfaceRefreshPage();
  const auto w = FakeDriver::RawWrites();
  ASSERT_EQ(3u, w.size());
  EXPECT_EQ(SurfaceLightMessage(256, true), w[0]);
  EXPECT_EQ(SurfaceLightMessage(9, true), w[1]);
  EXPECT_EQ(SurfaceLightMessage(8, true), w[2]);
  FakeDriver::Clear();
  SetWord(limiterEnable, 0);
  SetWord(clipMethod, 3);
  gLastSavedSettingsSlot = 1;
  SurfaceRefreshPage();
  const auto dark = FakeDriver::RawWrites();
  ASSERT_EQ(3u, dark.size());
  EXPECT_EQ(SurfaceLightMessage(256, false), dark[0]);
  EXPECT_EQ(SurfaceLightMessage(9, false), dark[1]);
  EXPECT_EQ(SurfaceLightMessage(8, false), dark[2]);
  gLastSavedSettingsSlot = 0;
  gSurfaceCurrentPage = 0;
}

TEST_F(SurfaceLights, DriverLightsAndTimecode) {
  SurfaceSetSlotLEDs(7, 1);
  const std::vector<std::pair<int32_t, int32_t>> slots = {{12, 0}, {13, 0}, {14, 0}, {15, 0}, {16, 0},
                                                          {17, 0}, {28, 1}, {29, 0}, {30, 1}};
  EXPECT_EQ(slots, FakeDriver::Lights());
  FakeDriver::Clear();
  SurfaceSetTransportLEDs(0xFFFF);
  for (const auto& l : FakeDriver::Lights()) EXPECT_EQ(0, l.second);
  EXPECT_EQ(5u, FakeDriver::Lights().size());

  uint32_t packed = 0;
  EXPECT_TRUE(SurfacePackTimecode("01:02:03:04", &packed));
  EXPECT_EQ(0x01020304u, packed);
  EXPECT_TRUE(SurfacePackTimecode("23:59:59;29", &packed));
  EXPECT_EQ(0x23595929u, packed);
  for (const char* bad : {"", "01:02:03:0", "01:02:0x:04", "ab:cd:ef:gh", "1:2:3:4"})
    EXPECT_FALSE(SurfacePackTimecode(bad, &packed)) << bad;
  EXPECT_FALSE(SurfacePackTimecode(nullptr, &packed));
  FakeDriver::Clear();
  SurfaceShowTimecode("01:0");
  EXPECT_TRUE(FakeDriver::Events().empty());
  SurfaceShowTimecode("10:00:00:00");
  ASSERT_EQ(1u, FakeDriver::Events().size());
}
