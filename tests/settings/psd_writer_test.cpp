// Photoshop files: the exact bytes of a small picture, refused arguments and
// failed writes that leave nothing behind, and pictures read back by a real
// peer (OpenImageIO's oiiotool, skipped where it is not installed) with every
// pixel's values compared.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "settings/psd_writer.h"
#include "tests/scratch_folder.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> FolderNames(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  return names;
}

TEST(PSDWriter, TwoPixelPictureIsTheDocumentedBytes) {
  const uint8_t rgb[] = {255, 0, 0, 0, 0, 255};
  const uint8_t expected[] = {0x38, 0x42, 0x50, 0x53, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                              0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x08,
                              0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                              0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF};
  std::string out;
  ASSERT_EQ(kQVNoErr, PSDEncodeRGB8(2, 1, rgb, &out));
  ASSERT_EQ(sizeof expected, out.size());
  EXPECT_EQ(0, std::memcmp(expected, out.data(), sizeof expected));
}

TEST(PSDWriter, SixteenBitSamplesAreBigEndianPlanes) {
  const uint16_t rgb[] = {0x1234, 0xABCD, 0x0001};
  std::string out;
  ASSERT_EQ(kQVNoErr, PSDEncodeRGB16(1, 1, rgb, &out));
  ASSERT_EQ(46u, out.size());
  const uint8_t depth[] = {0x00, 0x10};
  EXPECT_EQ(0, std::memcmp(depth, out.data() + 22, 2));
  const uint8_t samples[] = {0x12, 0x34, 0xAB, 0xCD, 0x00, 0x01};
  EXPECT_EQ(0, std::memcmp(samples, out.data() + 40, 6));
}

TEST(PSDWriter, RefusedPicturesWriteNothingAndSayWhy) {
  std::string dir = MakeScratchFolder("psd");
  std::string path = dir + "/refused.psd";
  const uint8_t pixels[16] = {};
  struct Case {
    const char* story;
    const char* path;
    int32_t width, height;
    const uint8_t* pixels;
    size_t rowBytes;  // 0: packed RGB
  } cases[] = {
      {"no path", nullptr, 1, 1, pixels, 0},
      {"empty path", "", 1, 1, pixels, 0},
      {"no pixels", path.c_str(), 1, 1, nullptr, 0},
      {"zero width", path.c_str(), 0, 1, pixels, 0},
      {"negative height", path.c_str(), 1, -5, pixels, 0},
      {"too wide", path.c_str(), kPSDMaxSide + 1, 1, pixels, 0},
      {"too tall", path.c_str(), 1, kPSDMaxSide + 1, pixels, 0},
      {"off-screen rows shorter than the width", path.c_str(), 2, 1, pixels, 7},
  };
  for (const Case& k : cases) {
    std::string why;
    QVStatus st = k.rowBytes ? PSDWriteXRGB8(k.path, k.width, k.height, k.pixels, k.rowBytes, &why)
                             : PSDWriteRGB8(k.path, k.width, k.height, k.pixels, &why);
    EXPECT_EQ(kQVErrParam, st) << k.story;
    EXPECT_NE(std::string::npos, why.find("Cannot save")) << k.story << ": " << why;
    if (k.path && *k.path) {
      EXPECT_NE(std::string::npos, why.find(k.path)) << k.story << ": " << why;
    }
    EXPECT_TRUE(FolderNames(dir).empty()) << k.story;
  }
}

TEST(PSDWriter, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
  std::string dir = MakeScratchFolder("psd");
  const uint8_t rgb[] = {1, 2, 3};
  std::string why;

  std::string missing = dir + "/no-such-folder/cube.psd";
  EXPECT_EQ(kQVErrFileNotFound, PSDWriteRGB8(missing.c_str(), 1, 1, rgb, &why));
  EXPECT_NE(std::string::npos, why.find(missing)) << why;
  EXPECT_NE(std::string::npos, why.find("folder does not exist")) << why;

  // A folder where the file should go: the rename fails after the whole
  // picture was written, and the temporary file goes again.
  std::string inTheWay = dir + "/cube.psd";
  std::filesystem::create_directory(inTheWay);
  why.clear();
  EXPECT_NE(kQVNoErr, PSDWriteRGB8(inTheWay.c_str(), 1, 1, rgb, &why));
  EXPECT_NE(std::string::npos, why.find(inTheWay)) << why;
  EXPECT_TRUE(std::filesystem::is_directory(inTheWay));
  EXPECT_EQ(std::vector<std::string>{"cube.psd"}, FolderNames(dir));

  // Replacing a file: the new picture takes its place whole.
  std::string file = dir + "/old.psd";
  std::ofstream(file) << "old";
  ASSERT_EQ(kQVNoErr, PSDWriteRGB8(file.c_str(), 1, 1, rgb, &why));
  std::string expected;
  ASSERT_EQ(kQVNoErr, PSDEncodeRGB8(1, 1, rgb, &expected));
  EXPECT_EQ(expected, ReadAll(file));
  EXPECT_TRUE(why.empty()) << why;
}

bool HaveOIIOTool() { return std::system("oiiotool --help > /dev/null 2>&1") == 0; }

// oiiotool's listing of every pixel's integer samples, "Pixel (x, y): r g b"
// a line, as one vector in row order; the header line is checked for the size.
std::vector<long> PeerSamples(const std::string& path, int width, int height, std::string* header) {
  std::string command = "oiiotool --dumpdata '" + path + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::vector<long> samples;
  if (!pipe) return samples;
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) text.append(buffer, n);
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, *header);
  int expectX = 0, expectY = 0;
  while (std::getline(lines, line)) {
    int x, y, used = 0;
    if (std::sscanf(line.c_str(), " Pixel (%d, %d): %n", &x, &y, &used) < 2 || used == 0) continue;
    EXPECT_EQ(expectX, x);
    EXPECT_EQ(expectY, y);
    if (++expectX == width) expectX = 0, ++expectY;
    std::istringstream values(line.substr(size_t(used)));
    for (int c = 0; c < 3; ++c) {
      long v = -1;
      values >> v;
      samples.push_back(v);
    }
  }
  EXPECT_EQ(height, expectY);
  return samples;
}

TEST(PSDWriterPeer, OIIOToolReadsTheLUTCubeImagePixelForPixel) {
  if (!HaveOIIOTool()) GTEST_SKIP() << "no oiiotool";
  // The 3D LUT test image: 170 x 289, row 17 r + g, columns 10 b .. 10 b + 9
  // hold level min(16 x index, 255) of each channel; alpha first in memory.
  const int width = 170, height = 289;
  const size_t rowBytes = size_t(width) * 4 + 16;  // padded rows, as an off-screen may have
  std::vector<uint8_t> offscreen(rowBytes * height, 0x5A);
  std::vector<long> expected;
  auto level = [](int index) { return std::min(16 * index, 255); };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* px = &offscreen[size_t(y) * rowBytes + size_t(x) * 4];
      int rgb[3] = {level(y / 17), level(y % 17), level(x / 10)};
      px[0] = 0;
      for (int c = 0; c < 3; ++c) {
        px[1 + c] = uint8_t(rgb[c]);
        expected.push_back(rgb[c]);
      }
    }
  std::string path = MakeScratchFolder("psd") + "/3D LUT Cube.psd";
  std::string why;
  ASSERT_EQ(kQVNoErr, PSDWriteXRGB8(path.c_str(), width, height, offscreen.data(), rowBytes, &why)) << why;
  std::string header;
  std::vector<long> got = PeerSamples(path, width, height, &header);
  EXPECT_NE(std::string::npos, header.find("170 x  289, 3 channel, uint8 psd")) << header;
  ASSERT_EQ(expected.size(), got.size());
  int wrong = 0;
  for (size_t i = 0; i < got.size(); ++i) wrong += got[i] != expected[i];
  EXPECT_EQ(0, wrong);
}

TEST(PSDWriterPeer, OIIOToolReadsSixteenBitSamplesExactly) {
  if (!HaveOIIOTool()) GTEST_SKIP() << "no oiiotool";
  // Not square, so swapped width and height show; values whose two bytes
  // differ, so swapped bytes show.
  const int width = 5, height = 3;
  std::vector<uint16_t> rgb;
  for (int i = 0; i < width * height; ++i) {
    rgb.push_back(uint16_t(i * 4369 + 1));
    rgb.push_back(uint16_t(0xFFFF - i * 257));
    rgb.push_back(uint16_t(0x0100 + i));
  }
  std::string path = MakeScratchFolder("psd") + "/deep.psd";
  std::string why;
  ASSERT_EQ(kQVNoErr, PSDWriteRGB16(path.c_str(), width, height, rgb.data(), &why)) << why;
  std::string header;
  std::vector<long> got = PeerSamples(path, width, height, &header);
  EXPECT_NE(std::string::npos, header.find("5 x    3, 3 channel, uint16 psd")) << header;
  ASSERT_EQ(rgb.size(), got.size());
  for (size_t i = 0; i < rgb.size(); ++i) EXPECT_EQ(long(rgb[i]), got[i]) << "sample " << i;
}

}  // namespace
