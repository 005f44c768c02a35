// Side by side with FFmpeg's vectorscope and waveform filters on the same
// colours and ramps. Skipped when the ffmpeg program is not installed.
//
// FFmpeg converts the RGB frames to full-range Rec. 601 Y'CbCr and plots
// Cb across and Cr up (256 x 256), or each column's Y' up (256 high). Our
// vectorscope plots B-Y and R-Y, which are Cb x 0.872 and Cr x 1.23, so
// FFmpeg's points are scaled by those factors before angles and radii are
// compared.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/views/vectorscope.h"
#include "app/views/waveform.h"
#include "app/views/waveform_internal.h"
#include "scope_test_frames.h"
#include "tests/scratch_folder.h"

namespace {

bool HaveFFmpeg() { return std::system("ffmpeg -hide_banner -version >/dev/null 2>&1") == 0; }

// Runs ffmpeg on raw RGB frames and returns its raw grey output.
std::vector<uint8_t> RunFFmpeg(const std::string& dir, const std::vector<uint8_t>& rgb, int width, int height,
                               const std::string& filter) {
  std::string in = dir + "/in.rgb", out = dir + "/out.gray";
  std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(rgb.data()), std::streamsize(rgb.size()));
  std::string command = "ffmpeg -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " + std::to_string(width) + "x" +
                        std::to_string(height) + " -i '" + in +
                        "' -vf 'scale=out_color_matrix=bt601:out_range=full,format=yuv444p," + filter +
                        ",format=gray' -f rawvideo '" + out + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream file(out, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

struct Polar {
  double angle, radius;  // degrees counter-clockwise from B-Y; code values
};

Polar ToPolar(double u, double v) {
  double angle = std::atan2(v, u) * 180 / M_PI;
  return {angle < 0 ? angle + 360 : angle, std::hypot(u, v)};
}

}  // namespace

// Each of the twelve bar colours and three greys: the dot's angle within 2
// degrees and its radius within 2.5 code values of FFmpeg's. Allowances:
// FFmpeg rounds Cb and Cr to whole codes (0.6 code values once scaled);
// our dot lies on whole pixels and moves by up to one pixel with its
// sub-pixel offset (1.3 code values on this graticule).
TEST(FFmpegComparison, VectorscopeColoursLandAtTheSameAnglesAndRadii) {
  if (!HaveFFmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  std::string dir = MakeScratchFolder("vectorscope");
  struct Colour {
    uint8_t r, g, b;
  };
  std::vector<Colour> colours;
  for (uint8_t level : {191, 255})
    for (Colour c : {Colour{1, 1, 0}, {0, 1, 1}, {0, 1, 0}, {1, 0, 1}, {1, 0, 0}, {0, 0, 1}})
      colours.push_back({uint8_t(c.r * level), uint8_t(c.g * level), uint8_t(c.b * level)});
  for (uint8_t grey : {0, 128, 255}) colours.push_back({grey, grey, grey});

  // One 8 x 8 frame a colour.
  std::vector<uint8_t> rgb;
  for (const Colour& c : colours)
    for (int i = 0; i < 64; ++i) rgb.insert(rgb.end(), {c.r, c.g, c.b});
  std::vector<uint8_t> scopes = RunFFmpeg(dir, rgb, 8, 8, "vectorscope=mode=gray:intensity=1:bgopacity=0");
  ASSERT_EQ(scopes.size(), colours.size() * 256 * 256);

  TKImage* target = TKImageCreate(640, 480);
  TKImage* bare = TKImageCreate(640, 480);
  TKImage* source = TKImageCreate(1, 1);
  VectorscopeParams p{bare, nullptr, nullptr, 720, 486, 0, 0, 0, 1, 0, 0, 255, 0, 0, 0x10000};
  DrawVectorscope(&p);
  const double unitX = 19325.0 * 640 / (160 * 65536.0), unitY = 19325.0 * 480 / (120 * 65536.0);
  for (size_t i = 0; i < colours.size(); ++i) {
    const Colour& c = colours[i];
    SCOPED_TRACE(testing::Message() << int(c.r) << "," << int(c.g) << "," << int(c.b));
    // FFmpeg: the centre of the lit points of this frame.
    double sx = 0, sy = 0, n = 0;
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x)
        if (scopes[i * 65536 + size_t(y) * 256 + size_t(x)]) sx += x, sy += y, n += 1;
    ASSERT_GT(n, 0);
    Polar theirs = ToPolar((sx / n - 128) * 0.872, (255 - sy / n - 128) * 1.23);

    FillPicture(source, c.r, c.g, c.b);
    p = VectorscopeParams{target, nullptr, TKImagePixels(source), 1, 1, TKImageRowBytes(source), kVSFlagTrace, 0,
                          1, 0, 0, 255, 0, 0, 0x10000};
    DrawVectorscope(&p);
    double dx = NAN, dy = NAN;
    for (int32_t y = 0; y < 480; ++y)
      for (int32_t x = 0; x < 640; ++x)
        if (TKImageGetPixel(target, x, y) != TKImageGetPixel(bare, x, y)) dx = x - 320, dy = 240 - y;
    ASSERT_FALSE(std::isnan(dx));
    Polar ours = ToPolar(dx / unitX, dy / unitY);

    EXPECT_NEAR(ours.radius, theirs.radius, 2.5);
    if (theirs.radius > 10) {
      EXPECT_NEAR(ours.angle, theirs.angle, 2.0);
    }
  }
  TKImageDispose(source);
  TKImageDispose(bare);
  TKImageDispose(target);
}

// The ramp frame (grey, red, green and blue ramps) on the luma waveform:
// in every tenth trace column, each level we light lies within 2 code
// values of one FFmpeg lights in the same source column, and the other way
// round. Allowances: the two programs round the luma weights differently
// (up to 1.5 code values), and our trace lights the two rows around a level
// (0.6 code values a row here).
TEST(FFmpegComparison, WaveformLevelsLandAtTheSameHeights) {
  if (!HaveFFmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  std::string dir = MakeScratchFolder("waveform");
  const int width = 512, height = 64;
  TKImage* ramps = MakeRamps(width, height);
  std::vector<uint8_t> rgb;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint32_t v = TKImageGetPixel(ramps, x, y);
      rgb.insert(rgb.end(), {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    }
  std::vector<uint8_t> scope =
      RunFFmpeg(dir, rgb, width, height,
                "waveform=mode=column:components=1:intensity=1:display=overlay:graticule=none:bgopacity=0");
  ASSERT_EQ(scope.size(), size_t(width) * 256);

  TKImage* target = TKImageCreate(1100, 600);
  TKImage* bare = TKImageCreate(1100, 600);
  WaveformParams p{bare, nullptr, nullptr, 720, 486, 0, kWFMFlagIRE | kWFMFlagLittleEndian, kWFMTraceLuma,
                   kWFMSystemHD, 0, 1, 0, 0, 255, 0, 0, 0x10000, 0x10000};
  DrawWaveformMonitor(&p);
  p.target = target;
  p.pixels = TKImagePixels(ramps);
  p.width = width;
  p.height = height;
  p.rowBytes = TKImageRowBytes(ramps);
  p.flags |= kWFMFlagTrace;
  DrawWaveformMonitor(&p);
  WaveformScale scale = WaveformComputeScale(p);
  WaveformLayout layout = WaveformComputeLayout(TKMakeRect(0, 0, 1100, 600), kWFMTraceLuma);
  int64_t step16 = (int64_t(width) << 16) / layout.panelWidth;

  for (int32_t col = 0; col < layout.panelWidth; col += 10) {
    int32_t sourceX = int32_t((col * step16) >> 16), x = layout.trace.left + col;
    SCOPED_TRACE(testing::Message() << "source column " << sourceX);
    std::vector<double> theirs, ours;
    for (int row = 0; row < 256; ++row)
      if (scope[size_t(row) * width + size_t(sourceX)]) theirs.push_back(255 - row);
    for (int32_t y = layout.trace.top; y < layout.trace.bottom; ++y) {
      if (TKImageGetPixel(target, x, y) == TKImageGetPixel(bare, x, y)) continue;
      double ire = scale.bottomIRE + double(layout.trace.bottom - 1 - y) / (TKRectHeight(layout.trace) - 1) *
                                         (scale.topIRE - scale.bottomIRE);
      ours.push_back(ire / 100 * 255);
    }
    ASSERT_FALSE(theirs.empty());
    ASSERT_FALSE(ours.empty());
    auto nearest = [](double v, const std::vector<double>& set) {
      double best = 1e9;
      for (double s : set) best = std::min(best, std::fabs(s - v));
      return best;
    };
    for (double v : ours) EXPECT_LE(nearest(v, theirs), 2.0) << "ours " << v;
    for (double v : theirs) EXPECT_LE(nearest(v, ours), 2.0) << "theirs " << v;
  }
  TKImageDispose(bare);
  TKImageDispose(target);
  TKImageDispose(ramps);
}
