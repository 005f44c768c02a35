// A written .acv read by a real peer: FFmpeg's curves filter maps a ramp
// through it as our engine maps it through the same curves, within one code.
// Skipped where no ffmpeg is installed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/curves.h"
#include "settings/curve_files.h"
#include "tests/scratch_folder.h"

namespace {

TEST(CurveACVPeer, FFmpegCurvesMapsTheRampAsTheEngine) {
  if (std::system("ffmpeg -hide_banner -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
  std::string dir = MakeScratchFolder("peer");
  std::string ramp;
  for (int i = 0; i < 256; ++i) ramp += {char(i), char(i), char(i)};
  std::ofstream(dir + "/ramp.rgb", std::ios::binary) << ramp;

  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  struct Case {
    const char* story;
    int curve;
  } cases[] = {{"master only", kVLCurveMaster}, {"red only", kVLCurveRed}};
  for (const Case& k : cases) {
    VL_CurveControls curves[4];
    std::memcpy(curves, s.rgbCurves, sizeof curves);
    // Two points: both interpolations draw the same line between them (the
    // engine's Catmull-Rom and the peer's natural spline part ways on bends),
    // and the ends off 0 and 255 show that output and input are not swapped.
    curves[k.curve].spline = {2, {0.0f, 1.0f}, {40 / 255.0f, 200 / 255.0f}};
    std::string acv = dir + "/curve.acv";
    ASSERT_EQ(kQVNoErr, CurveWriteACV(acv.c_str(), curves));
    std::string out = dir + "/out.rgb";
    std::string command = "ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -s 256x1 -i '" + dir +
                          "/ramp.rgb' -vf curves=psfile='" + acv + "' -f rawvideo -pix_fmt rgb24 '" + out + "'";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    std::ifstream in(out, std::ios::binary);
    std::vector<unsigned char> got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(768u, got.size());
    static float table[16385];
    ASSERT_EQ(kQVNoErr, VL_CalculateCurve(&curves[k.curve], table));
    int worst = 0;
    for (int i = 0; i < 256; ++i) {
      int ours = int(std::lround(table[(i * 16384) / 255] * 255.0f));
      for (int c = 0; c < 3; ++c) {
        int expected = (k.curve == kVLCurveMaster || c == k.curve - 1) ? ours : i;
        worst = std::max(worst, std::abs(expected - int(got[size_t(i) * 3 + size_t(c)])));
      }
    }
    EXPECT_LE(worst, 1) << k.story;
  }
}

}  // namespace
