// Our DPX files read by ffmpeg and oiiotool, and theirs read by us, to the
// same values. Skipped where the tools are not installed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "media/dpx_header.h"
#include "media_test_files.h"
#include "peer_tools.h"
#include "platform/byte_order.h"
#include "tests/scratch_folder.h"

namespace {

constexpr uint32_t kW = 64, kH = 32;

std::vector<uint16_t> OurRead(const std::string& path, uint32_t width = kW, uint32_t height = kH) {
  std::vector<uint16_t> pixels(size_t(width) * height * 4);
  EXPECT_EQ(DPXReadImage(path.c_str(), pixels.data(), width * 8, width, height, 16, false), kQVNoErr) << path;
  return pixels;
}

uint16_t Scaled(uint32_t code, uint32_t full) { return uint16_t(uint64_t(32768) * code / full); }

// ffmpeg's decode of a DPX file as codes R, G, B per pixel, in the file's own bit depth.
std::vector<uint32_t> FFmpegCodes(const std::string& path, uint32_t bits, bool alpha) {
  const std::string raw = path + ".raw";
  const char* format = bits == 8 ? (alpha ? "rgba" : "rgb24") : bits == 16 ? (alpha ? "rgba64le" : "rgb48le")
                       : bits == 10                           ? "gbrp10le"
                                                              : "gbrp12le";
  EXPECT_EQ(RunTool("ffmpeg -v error -y -i '" + path + "' -f rawvideo -pix_fmt " + format + " '" + raw + "'"), 0);
  const std::vector<uint8_t> b = ReadBytes(raw);
  std::vector<uint32_t> codes(size_t(kW) * kH * 3);
  const size_t n = size_t(kW) * kH;
  if (bits == 8 || bits == 16) {
    const size_t channels = alpha ? 4 : 3, bytes = bits / 8;
    if (b.size() < n * channels * bytes) return {};
    for (size_t i = 0; i < n; ++i)
      for (size_t c = 0; c < 3; ++c) {
        const size_t at = (i * channels + c) * bytes;
        codes[i * 3 + c] = bytes == 1 ? b[at] : uint32_t(b[at] | b[at + 1] << 8);
      }
  } else {
    if (b.size() < n * 6) return {};
    const size_t plane[3] = {2, 0, 1};  // G, B, R planes: R is the third
    for (size_t i = 0; i < n; ++i)
      for (size_t c = 0; c < 3; ++c) {
        const size_t at = (plane[c] * n + i) * 2;
        codes[i * 3 + c] = uint32_t(b[at] | b[at + 1] << 8);
      }
  }
  return codes;
}

// oiiotool's decode as codes of the given depth: its dump of every pixel
// gives each value as a fraction of full scale, in parentheses.
std::vector<uint32_t> OiioCodes(const std::string& path, uint32_t bits) {
  const std::string dump = RunCapture("oiiotool --dumpdata '" + path + "'");
  const double full = double((1u << bits) - 1);
  std::vector<uint32_t> codes;
  for (size_t at = dump.find("Pixel ("); at != std::string::npos; at = dump.find("Pixel (", at + 1)) {
    const size_t open = dump.find('(', dump.find(':', at));
    double v[3];
    if (open == std::string::npos || std::sscanf(dump.c_str() + open, "(%lf %lf %lf)", &v[0], &v[1], &v[2]) != 3)
      return {};
    for (double f : v) codes.push_back(uint32_t(std::lround(f * full)));
  }
  return codes;
}

void ExpectOursMatch(const std::vector<uint16_t>& ours, const std::vector<uint32_t>& codes, uint32_t bits,
                     const std::string& what) {
  ASSERT_EQ(codes.size(), size_t(kW) * kH * 3) << what;
  const uint32_t full = (1u << bits) - 1;
  size_t mismatches = 0;
  for (size_t i = 0; i < size_t(kW) * kH; ++i)
    for (size_t c = 0; c < 3; ++c)
      if (ours[i * 4 + 1 + c] != Scaled(codes[i * 3 + c], full) && mismatches++ < 3)
        ADD_FAILURE() << what << ": pixel " << i << " channel " << c << " ours " << ours[i * 4 + 1 + c]
                      << " peer code " << codes[i * 3 + c];
  EXPECT_EQ(mismatches, 0u) << what;
}

TEST(DPXPeers, FilesWrittenByFFmpegReadToTheValuesItDecodes) {
  if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string folder = MakeScratchFolder("ffmpeg");
  struct Case {
    const char* format;
    uint32_t bits;
    bool alpha;
  } cases[] = {{"rgb24", 8, false},   {"rgba", 8, true},        {"rgb48be", 16, false}, {"rgb48le", 16, false},
               {"rgba64le", 16, true}, {"gbrp10be", 10, false}, {"gbrp10le", 10, false}, {"gbrp12be", 12, false},
               {"gbrp12le", 12, false}};
  for (const Case& c : cases) {
    const std::string path = folder + "/ff_" + c.format + ".dpx";
    ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i testsrc2=size=64x32:rate=1 -frames:v 1 -pix_fmt " +
                  std::string(c.format) + " '" + path + "'"),
              0);
    ExpectOursMatch(OurRead(path), FFmpegCodes(path, c.bits, c.alpha), c.bits, c.format);
  }
}

TEST(DPXPeers, FilesWrittenByOiiotoolReadToTheValuesItDecodes) {
  if (!HaveTool("oiiotool")) GTEST_SKIP() << "oiiotool is not installed";
  const std::string folder = MakeScratchFolder("oiio");
  for (uint32_t bits : {8u, 10u, 12u, 16u})
    for (const char* order : {"big", "little"}) {
      const std::string path = folder + "/oi_" + std::to_string(bits) + order + ".dpx";
      ASSERT_EQ(RunTool("oiiotool --pattern fill:topleft=0,0.2,1:topright=1,0,0.5:bottomleft=0.3,1,0:bottomright=0.7,"
                    "0.5,0.1 64x32 3 -d uint" +
                    std::to_string(bits) + " --attrib oiio:Endian " + order + " -o '" + path + "'"),
                0);
      ExpectOursMatch(OurRead(path), OiioCodes(path, bits), bits, path);
    }
}

TEST(DPXPeers, OurFilesReadInThePeersToTheCodesWeWrote) {
  const bool haveFFmpeg = HaveTool("ffmpeg") && HaveTool("ffprobe"), haveOiio = HaveTool("oiiotool");
  if (!haveFFmpeg && !haveOiio) GTEST_SKIP() << "neither ffmpeg nor oiiotool is installed";
  const std::string folder = MakeScratchFolder("ours");
  FBFrameStruct* frame = MakeFloatFrame(kW, kH, [](uint32_t x, uint32_t y, int c) {
    return float(x) / (kW - 1) * (c == 1 ? 0.5f : 1.0f) + float(y) / (kH - 1) * 0.25f * float(c) - 0.1f;
  });
  struct Case {
    const char* name;
    DPXWriteParams params;
  } cases[] = {{"linear", {10, 50, 0, 1.0f, false, 940, 64}},
               {"gamma", {10, 50, 0, 0.45f, false, 1023, 0}},
               {"log", {10, 50, 0, 1.0f, true, 685, 95}}};
  for (const Case& c : cases) {
    DPXHeaderInfo info = MakeDPXInfo(kW, kH, 24.0f);
    const std::string name = std::string(c.name) + ".dpx", path = folder + "/" + name;
    ASSERT_EQ(DPXCreateFile(folder.c_str(), name.c_str(), &info, frame, &c.params), kQVNoErr);
    const std::vector<uint8_t> bytes = ReadBytes(path);
    std::vector<uint32_t> written(size_t(kW) * kH * 3);
    for (size_t i = 0; i < size_t(kW) * kH; ++i) {
      const uint32_t w = QVReadBE32(&bytes[2048 + 4 * i]);
      written[i * 3] = w >> 22;
      written[i * 3 + 1] = (w >> 12) & 0x3FF;
      written[i * 3 + 2] = (w >> 2) & 0x3FF;
    }
    if (haveFFmpeg) {
      EXPECT_EQ(RunCapture("ffprobe -v error -show_entries stream=width,height,pix_fmt -of default=nw=1 '" + path + "'"),
                "width=64\nheight=32\npix_fmt=gbrp10le\n")
          << c.name;
      EXPECT_EQ(FFmpegCodes(path, 10, false), written) << c.name;
    }
    if (haveOiio) {
      EXPECT_NE(RunCapture("oiiotool --info '" + path + "'").find("64 x   32, 3 channel, uint10 dpx"), std::string::npos)
          << c.name;
      EXPECT_EQ(OiioCodes(path, 10), written) << c.name;
    }
  }
  FBDisposeFrameBuffer(frame);
}

TEST(DPXPeers, CineonFilesReadAsOiiotoolDecodesThem) {
  if (!HaveTool("oiiotool")) GTEST_SKIP() << "oiiotool is not installed";
  const std::string folder = MakeScratchFolder("cineon");
  // Cineon from our own DPX: the same 10-bit filled words behind a Cineon header.
  FBFrameStruct* frame = MakeFloatFrame(kW, kH, [](uint32_t x, uint32_t y, int c) {
    return float((x * 5 + y * 3 + uint32_t(c) * 11) % 64) / 63.0f;
  });
  DPXHeaderInfo info = MakeDPXInfo(kW, kH);
  DPXWriteParams params = LinearParams();
  ASSERT_EQ(DPXCreateFile(folder.c_str(), "src.dpx", &info, frame, &params), kQVNoErr);
  FBDisposeFrameBuffer(frame);
  const std::vector<uint8_t> dpx = ReadBytes(folder + "/src.dpx");
  std::vector<uint8_t> cin(2048, 0);
  QVWriteBE32(&cin[0], 0x802A5FD7);
  QVWriteBE32(&cin[4], 2048);
  QVWriteBE32(&cin[8], 1024);
  QVWriteBE32(&cin[20], uint32_t(dpx.size()));
  std::memcpy(&cin[24], "V4.5", 4);
  cin[192] = 0;
  cin[193] = 3;
  for (int ch = 0; ch < 3; ++ch) {
    cin[196 + 28 * ch + 1] = uint8_t(1 + ch);
    cin[198 + 28 * ch] = 10;
    QVWriteBE32(&cin[200 + 28 * ch], kW);
    QVWriteBE32(&cin[204 + 28 * ch], kH);
    QVWriteBEFloat(&cin[208 + 28 * ch], 0.0f);
    QVWriteBEFloat(&cin[212 + 28 * ch], 0.0f);
    QVWriteBEFloat(&cin[216 + 28 * ch], 1023.0f);
    QVWriteBEFloat(&cin[220 + 28 * ch], 2.048f);
  }
  cin[680] = 0;
  cin[681] = 5;
  cin.insert(cin.end(), dpx.begin() + 2048, dpx.end());
  const std::string path = folder + "/frame.cin";
  WriteBytes(path, cin);
  std::vector<uint16_t> ours(size_t(kW) * kH * 4);
  ASSERT_EQ(CineonReadImage(path.c_str(), ours.data(), kW * 8, kW, kH, 16, false), kQVNoErr);
  ExpectOursMatch(ours, OiioCodes(path, 10), 10, "cineon");
}

}  // namespace
