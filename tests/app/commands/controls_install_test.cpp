// What VFInstallControls connects: arriving frames go through the input
// linearization record, per channel, with the input held to 0..5.
#include <gtest/gtest.h>

#include <cmath>

#include "app/commands/controls_install.h"
#include "app/controls/input_linearization.h"
#include "app/shell/least_hooks.h"
#include "app/state/service_hooks.h"
#include "core/frame_buffer.h"

namespace {

TEST(ControlsInstall, ArrivingFramesAreLinearizedPerChannelWithTheInputHeldToFive) {
  UIResetHooks();
  VFInstallControls();
  FBFrameStruct* frame = nullptr;
  ASSERT_EQ(FBCreateRGBFrameBuffer(4, 1, &frame, kFBPixFormatPlanarFloat), kQVNoErr);
  const float in[4][3] = {{0.25f, 0.5f, 1.0f}, {-1.0f, 2.0f, 7.0f}, {0.0f, 0.75f, NAN}, {5.0f, 0.1f, 0.9f}};
  for (int x = 0; x < 4; ++x) FBSetRGBPixel(frame, x, 0, in[x][0], in[x][1], in[x][2], 1.0f);
  // Levels and power: black 16, white 235, gamma 2.
  InputLinearization record{int32_t(kInputLinearizationActive | 2u), 16, 235, 2.0f, 0, {}};
  uint32_t words[8];
  InputLinearizationToWords(record, words);
  UIHooks().applyInputLinearization(frame, words);
  for (int x = 0; x < 4; ++x) {
    float p[4];
    FBGetRGBPixel(frame, x, 0, p);
    for (int c = 0; c < 3; ++c) {
      const float held = std::isnan(in[x][c]) ? 0.0f : std::fmin(std::fmax(in[x][c], 0.0f), 5.0f);
      EXPECT_FLOAT_EQ(p[c], InputLinearizationLookup(held)) << x << " " << c;
      EXPECT_TRUE(std::isfinite(p[c]));
    }
  }
  // A record that changes nothing leaves the frame alone.
  FBSetRGBPixel(frame, 0, 0, 0.3f, 0.4f, 0.5f, 1.0f);
  const uint32_t inactive[8] = {};
  UIHooks().applyInputLinearization(frame, inactive);
  float p[4];
  FBGetRGBPixel(frame, 0, 0, p);
  EXPECT_FLOAT_EQ(p[0], 0.3f);
  EXPECT_FLOAT_EQ(p[2], 0.5f);
  FBDisposeFrameBuffer(frame);
  UIResetHooks();
}

}  // namespace
