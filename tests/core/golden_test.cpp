// Pins the engine's output bit for bit: a small seeded frame in 8-bit, 16-bit
// and float host pixels goes in, through one family of stages, and back out;
// the checksums of the host pixels are checked against tests/core/golden_stages.txt.
#include "core/engine_lock.h"
#include "core/pixel_transfer.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "tests/core/frame_test_util.h"
#include "tests/core/host_pixels.h"
#include "tests/core/test_corrections.h"
#include "tests/golden_checksums.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

// Every section off but those the edit switches on again, over the values of
// the full correction.
VL_SettingsStruct only(void (*enable)(VL_SettingsStruct&), int clipMethod = 3, bool previews = false) {
  VL_SettingsStruct s = fullCorrection(clipMethod, previews);
  s.hslEnable = s.rgbEnable = s.cmyEnable = s.ycbcrEnable = s.hueOffsetEnable = s.levelsEnable = 0;
  s.curvesEnable = s.rgbCurvesEnable = s.hslCurvesEnable = s.secondaryEnable = s.limiter_enable = 0;
  enable(s);
  return s;
}

struct StageCase {
  const char* name;
  VL_SettingsStruct settings;
};

std::vector<StageCase> stageCases() {
  std::vector<StageCase> cases = {
      {"defaults", defaults()},
      {"levels", only([](VL_SettingsStruct& s) { s.levelsEnable = 1; })},
      {"hsl", only([](VL_SettingsStruct& s) { s.hslEnable = 1; })},
      {"rgb", only([](VL_SettingsStruct& s) { s.rgbEnable = 1; })},
      {"cmy", only([](VL_SettingsStruct& s) { s.cmyEnable = 1; })},
      {"ycbcr", only([](VL_SettingsStruct& s) { s.ycbcrEnable = 1; })},
      {"ycbcr-master", only([](VL_SettingsStruct& s) {
         s.ycbcrEnable = 1;
         s.ycbcr[kVLRangeMaster].gain = 1.1f;
         s.ycbcr[kVLRangeMaster].pedestal = 0.05f;
       })},
      {"hue-offsets", only([](VL_SettingsStruct& s) { s.hslEnable = s.hueOffsetEnable = 1, s.hslControlsEnable = 0; })},
      {"rgb-curves", only([](VL_SettingsStruct& s) { s.curvesEnable = s.rgbCurvesEnable = 1; })},
      {"hsl-curves", only([](VL_SettingsStruct& s) { s.curvesEnable = s.hslCurvesEnable = 1; })},
      {"secondary", only([](VL_SettingsStruct& s) { s.secondaryEnable = 1; })},
      {"secondary-previews", only([](VL_SettingsStruct& s) { s.secondaryEnable = 1; }, 3, true)},
      {"limiter-1", only([](VL_SettingsStruct& s) { s.limiter_enable = 1; }, 1)},
      {"limiter-2", only([](VL_SettingsStruct& s) { s.limiter_enable = 1; }, 2)},
      {"limiter-3", only([](VL_SettingsStruct& s) { s.limiter_enable = 1; }, 3)},
      {"limiter-preview", only([](VL_SettingsStruct& s) { s.limiter_enable = s.limiter_preview = 1; })},
      {"everything", fullCorrection(3)},
  };
  return cases;
}

constexpr uint32_t kWidth = 23, kHeight = 9;  // odd sizes: partial vectors and uneven bands

// Seeded host pixels of the format: full-range integers, and floats that
// reach a little below black and above white.
std::vector<uint8_t> seededPixels(const HostFormat& f) { return SeededHostPixels(f, kWidth, kHeight, 20251, -0.2f, 1.4f); }

TEST(Golden, StageFamiliesInEveryBitDepth) {
  GoldenEntries entries;
  for (const StageCase& c : stageCases()) {
    VL_EngineLockGuard hold;
    EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&c.settings));
    for (const HostFormat& f : kHostFormats) {
      std::vector<uint8_t> pixels = seededPixels(f);
      const uint32_t rowBytes = kWidth * f.bytesPerPixel;
      FramePtr frame = makeFrame(kWidth, kHeight, kFBPixFormatPlanarFloat);
      FBTransferPixToFBFrameSSE(pixels.data(), rowBytes, 0, f.format, frame.get());
      ASSERT_EQ(kQVNoErr, ProcessImage(frame.get(), frame.get(), 0, 0));
      if (f.format == kFBPixFormatFloatARGB)  // the pass's own output, luma plane included
        entries.emplace_back(std::string(c.name) + "/planes",
                             GoldenChecksumRows(frame->baseAddr, kWidth * 4, frame->rowBytes, size_t(kHeight) * 4));
      FBTransferFBFrameToPixSSE(frame.get(), nullptr, pixels.data(), rowBytes, f.format);
      entries.emplace_back(std::string(c.name) + "/" + f.name, GoldenChecksum(pixels.data(), pixels.size()));
    }
  }
  ExpectGoldenChecksums("tests/core/golden_stages.txt",
                        "Engine stages on a seeded 23 x 9 frame, host pixels in and out (tests/core/golden_test.cpp).",
                        entries);
}

// Every host layout the transfers read, with its bytes per pixel (per plane
// for the three-plane layout).
struct Layout {
  const char* name;
  FBPixFormat format;
  uint32_t bytes;
  bool floats;
};
constexpr Layout kLayouts[] = {
    {"32argb", kFBPixFormat32ARGB, 4, false},    {"bgra", kFBPixFormatBGRA, 4, false},
    {"16argb", kFBPixFormat16ARGB, 8, false},    {"fargb", kFBPixFormatFloatARGB, 16, true},
    {"frgba", kFBPixFormatFloatRGBA, 16, true},  {"fbgra", kFBPixFormatFloatBGRA, 16, true},
    {"ycc8", kFBPixFormatYCbCr8, 4, false},      {"yccf", kFBPixFormatYCbCrFloat, 16, true},
    {"422-601", kFBPixFormatYCbCr422_601, 4, false}, {"422-709", kFBPixFormatYCbCr422_709, 4, false},
    {"planar16", kFBPixFormatPlanar16RGB, 2, false}, {"r4fl", kFBPixFormatR4FL, 16, true},
    {"v408", kFBPixFormatV408, 4, false},        {"r408", kFBPixFormatR408, 4, false},
};

std::vector<uint8_t> seededLayout(const Layout& l) {
  std::mt19937 rng(7 + l.format);
  const size_t planes = l.format == kFBPixFormatPlanar16RGB ? 3 : 1;
  std::vector<uint8_t> bytes(size_t(kWidth) * kHeight * l.bytes * planes);
  if (l.floats) {
    std::uniform_real_distribution<float> any(-0.2f, 1.4f);
    for (size_t i = 0; i < bytes.size(); i += 4) {
      float v = any(rng);
      std::memcpy(&bytes[i], &v, 4);
    }
  } else {
    std::uniform_int_distribution<int> any(0, 255);
    for (uint8_t& b : bytes) b = uint8_t(any(rng));
  }
  return bytes;
}

uint64_t frameChecksum(const FBFrameStruct* f) {
  return GoldenChecksumRows(f->baseAddr, size_t(f->width) * 4, f->rowBytes, size_t(f->height) * f->planeCount);
}

// The transfers alone, every layout in and out: into the planar frame (plain
// and premultiplied) and into the two 8-bit frames; out of a seeded planar
// frame and out of an 8-bit frame.
TEST(Golden, TransfersOfEveryLayout) {
  GoldenEntries entries;
  FramePtr planar = makeFrame(kWidth, kHeight, kFBPixFormatPlanarFloat);
  {
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> any(-0.2f, 1.4f);
    for (int p = 0; p < 4; ++p)
      for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x) planeRow(planar.get(), p, y)[x] = any(rng);
  }
  FramePtr bytes32 = makeFrame(kWidth, kHeight, kFBPixFormat32ARGB);
  FBTransferPixToFBFrameSSE(planar->baseAddr, planar->rowBytes, 0, kFBPixFormat32ARGB, bytes32.get());
  for (const Layout& l : kLayouts) {
    std::vector<uint8_t> host = seededLayout(l);
    const uint32_t rowBytes = kWidth * l.bytes, stride = rowBytes * kHeight;
    for (bool premultiplied : {false, true}) {
      FramePtr f = makeFrame(kWidth, kHeight, kFBPixFormatPlanarFloat);
      if (premultiplied)
        FBTransferPixToFBFramePremultipliedSSE(host.data(), rowBytes, l.format, f.get());
      else
        FBTransferPixToFBFrameSSE(host.data(), rowBytes, stride, l.format, f.get());
      entries.emplace_back(std::string("in/") + l.name + (premultiplied ? "/premultiplied" : ""), frameChecksum(f.get()));
    }
    for (FBPixFormat to : {kFBPixFormat32ARGB, kFBPixFormatBGRA}) {
      FramePtr f = makeFrame(kWidth, kHeight, to);
      FBTransferPixToFBFrameSSE(host.data(), rowBytes, stride, l.format, f.get());
      entries.emplace_back(std::string("in8/") + l.name + (to == kFBPixFormatBGRA ? "/bgra" : ""), frameChecksum(f.get()));
    }
    if (l.format == kFBPixFormatPlanar16RGB) continue;  // read only
    FBTransferFBFrameToPixSSE(planar.get(), nullptr, host.data(), rowBytes, l.format);
    entries.emplace_back(std::string("out/") + l.name, GoldenChecksum(host.data(), host.size()));
    host = seededLayout(l);
    FBTransferFBFrameToPixSSE(bytes32.get(), nullptr, host.data(), rowBytes, l.format);
    entries.emplace_back(std::string("out8/") + l.name, GoldenChecksum(host.data(), host.size()));
  }
  ExpectGoldenChecksums("tests/core/golden_transfers.txt",
                        "Pixel transfers of a seeded 23 x 9 frame, every layout (tests/core/golden_test.cpp).", entries);
}

}  // namespace
