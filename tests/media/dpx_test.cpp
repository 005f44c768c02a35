#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "media/dpx_frame_writer.h"
#include "media/dpx_header.h"
#include "media/dpx_internal.h"
#include "media_test_files.h"
#include "platform/alert_script.h"
#include "platform/byte_order.h"
#include "tests/scratch_folder.h"

namespace {

// The 10-bit code our writer gives channel c of pixel (x, y) in these tests.
uint32_t TestCode(uint32_t x, uint32_t y, int c) { return (x * 97 + y * 31 + uint32_t(c) * 301) % 1024; }

// A big-endian 10-bit file of TestCode, written by our writer.
std::vector<uint8_t> OurFile(const std::string& folder, uint32_t width, uint32_t height, float rate = 0,
                             uint32_t timecode = 0) {
  FBFrameStruct* frame = MakeFloatFrame(width, height, [](uint32_t x, uint32_t y, int c) {
    return float(TestCode(x, y, c)) / 1023.0f;
  });
  DPXHeaderInfo info = MakeDPXInfo(width, height, rate, timecode);
  DPXWriteParams params = LinearParams();
  EXPECT_EQ(DPXCreateFile(folder.c_str(), "our.dpx", &info, frame, &params), kQVNoErr);
  FBDisposeFrameBuffer(frame);
  return ReadBytes(folder + "/our.dpx");
}

std::vector<uint16_t> Decode(const std::vector<uint8_t>& bytes, uint32_t width, uint32_t height,
                             QVStatus expected = kQVNoErr) {
  std::vector<uint16_t> pixels(size_t(width) * height * 4, 0xABCD);
  EXPECT_EQ(DPXDecodeImage(bytes.data(), bytes.size(), pixels.data(), width * 8, width, height), expected);
  return pixels;
}

uint16_t Scaled(uint32_t code, uint32_t full) { return uint16_t(uint64_t(32768) * code / full); }

// The same file with every field the reader uses, and every pixel word, in
// little-endian order.
std::vector<uint8_t> Swapped(std::vector<uint8_t> b) {
  auto swap32 = [&](size_t at) { std::reverse(b.begin() + long(at), b.begin() + long(at) + 4); };
  auto swap16 = [&](size_t at) { std::swap(b[at], b[at + 1]); };
  for (size_t at : {0, 4, 16, 28, 772, 776, 784, 792, 808, 812, 1724, 1920, 1940}) swap32(at);
  swap16(770);
  swap16(804);
  for (size_t at = 2048; at + 4 <= b.size(); at += 4) swap32(at);
  return b;
}

TEST(DPXFiles, OurFilesReadBackToTheirCodesInEitherByteOrder) {
  const std::string folder = MakeScratchFolder("dpx");
  const uint32_t w = 37, h = 5;
  const std::vector<uint8_t> big = OurFile(folder, w, h, 25.0f, 0x01020304);
  ASSERT_EQ(big.size(), size_t(w) * h * 4 + 2048);
  EXPECT_EQ(std::memcmp(big.data(), "SDPX", 4), 0);
  const std::vector<uint8_t> little = Swapped(big);
  EXPECT_EQ(std::memcmp(little.data(), "XPDS", 4), 0);
  const std::vector<uint16_t> a = Decode(big, w, h), b = Decode(little, w, h);
  EXPECT_EQ(a, b);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      const uint16_t* p = &a[(size_t(y) * w + x) * 4];
      ASSERT_EQ(p[0], 32768);
      for (int c = 0; c < 3; ++c) ASSERT_EQ(p[1 + c], Scaled(TestCode(x, y, c), 1023)) << x << "," << y;
    }
  for (const auto* bytes : {&big, &little}) {
    DPXHeaderInfo info;
    ASSERT_EQ(DPXParseHeaderInfo(bytes->data(), bytes->size(), &info), kQVNoErr);
    EXPECT_EQ(info.width, w);
    EXPECT_EQ(info.height, h);
    EXPECT_EQ(info.elementCount, 1u);
    EXPECT_EQ(info.timecode, 0x01020304u);
    EXPECT_FLOAT_EQ(info.frameRate, 25.0f);  // the film rate, the television rate being 0
  }
  // The file-based reader gives the same as the one over bytes.
  std::vector<uint16_t> fromFile(size_t(w) * h * 4);
  ASSERT_EQ(DPXReadImage((folder + "/our.dpx").c_str(), fromFile.data(), w * 8, w, h, 16, false), kQVNoErr);
  EXPECT_EQ(fromFile, a);
  EXPECT_EQ(DPXReadImage((folder + "/our.dpx").c_str(), fromFile.data(), w * 8, w + 1, h, 16, false), kQVErrParam);
}

TEST(DPXFiles, ScalesByTheElementsReferenceCodes) {
  const std::string folder = MakeScratchFolder("refs");
  std::vector<uint8_t> file = OurFile(folder, 1, 1);
  struct Case {
    uint32_t low, high, code, expected;
  } cases[] = {
      {64, 940, 940, 32768},  {64, 940, 64, 0},        {64, 940, 502, 16384}, {64, 940, 1000, 32768},
      {64, 940, 10, 0},       {0xFFFFFFFF, 0xFFFFFFFF, 1023, 32768},          {0xFFFFFFFF, 0xFFFFFFFF, 0, 0},
      {0, 0, 1023, 32768},    {0, 0, 511, Scaled(511, 1023)},                 {500, 400, 1023, 32768},
      {500, 500, 0, 0},
  };
  for (const Case& c : cases) {
    QVWriteBE32(&file[784], c.low);
    QVWriteBE32(&file[792], c.high);
    QVWriteBE32(&file[2048], c.code << 22 | c.code << 12 | c.code << 2);
    const std::vector<uint16_t> p = Decode(file, 1, 1);
    EXPECT_EQ(p[1], c.expected) << c.low << ".." << c.high << " code " << c.code;
    EXPECT_EQ(p[3], c.expected);
  }
}

TEST(DPXFiles, TakesTheRateAndTimecodeFromTheHeaderTheIndustrySizeNames) {
  const std::string folder = MakeScratchFolder("rates");
  std::vector<uint8_t> file = OurFile(folder, 2, 2, 24.0f, 0x10203040);
  QVWriteBEFloat(&file[1940], 30.0f);
  struct Case {
    uint32_t industry;
    float rate;
    uint32_t timecode;
  } cases[] = {{256, 24.0f, 0}, {128, 30.0f, 0x10203040}, {384, 30.0f, 0x10203040}, {100, 0, 0}, {0, 0, 0}};
  for (const Case& c : cases) {
    QVWriteBE32(&file[28], c.industry);
    DPXHeaderInfo info;
    ASSERT_EQ(DPXParseHeaderInfo(file.data(), file.size(), &info), kQVNoErr);
    EXPECT_FLOAT_EQ(info.frameRate, c.rate) << c.industry;
    EXPECT_EQ(info.timecode, c.timecode) << c.industry;
  }
  // A chosen rate that is undefined falls back to the other header's.
  QVWriteBE32(&file[28], 384);
  QVWriteBE32(&file[1940], 0xFFFFFFFF);
  DPXHeaderInfo info;
  ASSERT_EQ(DPXParseHeaderInfo(file.data(), file.size(), &info), kQVNoErr);
  EXPECT_FLOAT_EQ(info.frameRate, 24.0f);
}

TEST(DPXFiles, ReadsEveryDescriptor) {
  const std::string folder = MakeScratchFolder("descriptors");
  std::vector<uint8_t> file = OurFile(folder, 2, 1);
  auto word = [](uint32_t a, uint32_t b, uint32_t c) { return a << 22 | b << 12 | c << 2; };
  struct Case {
    uint8_t descriptor;
    uint32_t words[3];
    uint16_t pixels[8];  // A, R, G, B of two pixels
  } cases[] = {
      // RGBA: R, G, B, A; 4 samples a pixel, three a word.
      {51, {word(1023, 0, 1023), word(0, 0, 1023), word(0, 0, 0)}, {0, 32768, 0, 32768, 0, 0, 32768, 0}},
      // ABGR: A, B, G, R.
      {52, {word(1023, 0, 1023), word(0, 0, 1023), word(0, 0, 0)}, {32768, 0, 32768, 0, 0, 0, 0, 32768}},
      // CbYCrY: white and black luma at neutral chroma.
      {100, {word(512, 940, 512), word(64, 0, 0), 0}, {32768, 32768, 32768, 32768, 32768, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    file.resize(2048 + 12);
    file[800] = c.descriptor;
    for (int i = 0; i < 3; ++i) QVWriteBE32(&file[2048 + 4 * i], c.words[i]);
    QVWriteBE32(&file[784], 0xFFFFFFFF);
    QVWriteBE32(&file[792], 0xFFFFFFFF);
    const std::vector<uint16_t> p = Decode(file, 2, 1);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p[i], c.pixels[i]) << int(c.descriptor) << " value " << i;
  }
  // An element of another descriptor is left unread.
  file[800] = 6;
  const std::vector<uint16_t> p = Decode(file, 2, 1);
  EXPECT_EQ(p[0], 0xABCD);
}

// Samples written into 32-bit words: filled from the top of each word;
// packed from the top across words (10-bit) or from the bottom up (others).
std::vector<uint8_t> PackSamples(const std::vector<uint32_t>& samples, uint32_t bits, bool filled) {
  std::vector<uint8_t> out;
  std::vector<bool> stream;  // bit by bit, in the order they fill the words
  const bool fromTop = filled || bits == 10;
  for (uint32_t s : samples) {
    if (filled && (stream.size() % 32) + bits > 32) stream.resize((stream.size() + 31) / 32 * 32, false);
    for (uint32_t k = 0; k < bits; ++k) stream.push_back((s >> (fromTop ? bits - 1 - k : k)) & 1);
  }
  stream.resize((stream.size() + 31) / 32 * 32, false);
  for (size_t w = 0; w < stream.size(); w += 32) {
    uint32_t word = 0;
    for (uint32_t k = 0; k < 32; ++k)
      if (stream[w + k]) word |= fromTop ? 1u << (31 - k) : 1u << k;
    for (int i = 3; i >= 0; --i) out.push_back(uint8_t(word >> (8 * i)));
  }
  return out;
}

TEST(DPXSamples, UnpacksEverySizeAndPacking) {
  for (uint32_t bits : {1u, 2u, 5u, 10u, 12u, 13u, 20u, 31u, 32u}) {
    for (bool filled : {false, true}) {
      if (bits == 12 && filled) continue;  // 12-bit filled data is one sample per 16-bit half
      std::vector<uint32_t> samples;
      const uint64_t full = (uint64_t(1) << bits) - 1;
      for (uint32_t i = 0; i < 29; ++i) samples.push_back(uint32_t((i * 2654435761u) & full));
      std::vector<uint8_t> bytes = PackSamples(samples, bits, filled);
      ASSERT_EQ(bytes.size(), dpxio::RowBytes(bits, filled ? 1 : 0, samples.size())) << bits;
      std::vector<uint32_t> got(samples.size());
      dpxio::UnpackRow(bytes.data(), true, bits, filled ? 1 : 0, uint32_t(got.size()), got.data());
      EXPECT_EQ(got, samples) << bits << (filled ? " filled" : " packed");
      // Words of a little-endian file hold the same samples.
      for (size_t at = 0; at < bytes.size(); at += 4) std::reverse(bytes.begin() + long(at), bytes.begin() + long(at) + 4);
      dpxio::UnpackRow(bytes.data(), false, bits, filled ? 1 : 0, uint32_t(got.size()), got.data());
      EXPECT_EQ(got, samples) << bits << (filled ? " filled, little-endian" : " packed, little-endian");
    }
  }
  // 8- and 16-bit samples, and 12-bit filled ones, follow each other in file order.
  const uint8_t bytes[8] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
  uint32_t s[8];
  dpxio::UnpackRow(bytes, false, 8, 1, 4, s);
  EXPECT_EQ(std::vector<uint32_t>(s, s + 4), (std::vector<uint32_t>{0x12, 0x34, 0x56, 0x78}));
  dpxio::UnpackRow(bytes, false, 16, 0, 4, s);
  EXPECT_EQ(std::vector<uint32_t>(s, s + 4), (std::vector<uint32_t>{0x3412, 0x7856, 0xBC9A, 0xF0DE}));
  dpxio::UnpackRow(bytes, true, 16, 0, 4, s);
  EXPECT_EQ(std::vector<uint32_t>(s, s + 4), (std::vector<uint32_t>{0x1234, 0x5678, 0x9ABC, 0xDEF0}));
  dpxio::UnpackRow(bytes, true, 12, 1, 4, s);
  EXPECT_EQ(std::vector<uint32_t>(s, s + 4), (std::vector<uint32_t>{0x123, 0x567, 0x9AB, 0xDEF}));
  dpxio::UnpackRow(bytes, false, 12, 1, 4, s);
  EXPECT_EQ(std::vector<uint32_t>(s, s + 4), (std::vector<uint32_t>{0x341, 0x785, 0xBC9, 0xF0D}));
}

TEST(DPXFiles, RefusesHostileHeadersWithoutReadingPastTheFile) {
  const std::string folder = MakeScratchFolder("hostile");
  const std::vector<uint8_t> good = OurFile(folder, 8, 4);
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    int width;  // 4 for a 32-bit field, 2, 1
  } cases[] = {
      {"no elements", 770, 0, 2},          {"nine elements", 770, 9, 2},
      {"no width", 772, 0, 4},             {"width past the limit", 772, 70000, 4},
      {"height beyond the data", 776, 5, 4}, {"huge height", 776, 0x7FFFFFFF, 4},
      {"data offset past the end", 808, 0x7FFFFFF0, 4}, {"data offset near the end", 808, 2100, 4},
      {"end-of-line padding", 812, 0x40000000, 4},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good;
    if (c.width == 4) QVWriteBE32(&bad[c.at], c.value);
    else if (c.width == 2) QVWriteBE16(&bad[c.at], uint16_t(c.value));
    else bad[c.at] = uint8_t(c.value);
    DPXHeaderInfo info;
    EXPECT_EQ(DPXParseHeaderInfo(bad.data(), bad.size(), &info), kDPXErrBadFile) << c.what;
    std::vector<uint16_t> pixels(8 * 4 * 4);
    EXPECT_NE(DPXDecodeImage(bad.data(), bad.size(), pixels.data(), 64, 8, 4), kQVNoErr) << c.what;
  }
  // Sizes the reader does not unpack leave the element unread, never out of bounds.
  for (uint8_t bits : {0, 33, 255}) {
    std::vector<uint8_t> bad = good;
    bad[803] = bits;
    std::vector<uint16_t> pixels(8 * 4 * 4, 7);
    EXPECT_EQ(DPXDecodeImage(bad.data(), bad.size(), pixels.data(), 64, 8, 4), kQVNoErr);
    EXPECT_EQ(pixels[0], 7);
  }
  // A file cut short of its header, or with another magic.
  DPXHeaderInfo info;
  EXPECT_EQ(DPXParseHeaderInfo(good.data(), 2047, &info), kDPXErrBadFile);
  std::vector<uint8_t> wrong = good;
  std::memcpy(wrong.data(), "SDPY", 4);
  PLAlertScriptBegin();
  EXPECT_EQ(DPXParseHeaderInfo(wrong.data(), wrong.size(), &info), kDPXErrBadFile);
  WriteBytes(folder + "/wrong.dpx", wrong);
  EXPECT_EQ(DPXReadHeaderInfo((folder + "/wrong.dpx").c_str(), &info), kDPXErrBadFile);
  const auto alerts = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  ASSERT_EQ(alerts.size(), 2u);
  EXPECT_EQ(alerts[0].title, "Velmora 3 UI");
  EXPECT_EQ(alerts[0].message, "Could not read file -- magic numbers do not match.");
  EXPECT_EQ(DPXReadHeaderInfo((folder + "/none.dpx").c_str(), &info), kQVErrFileNotFound);
}

// A Cineon file of 10-bit RGB, 3 samples a word.
std::vector<uint8_t> CineonFile(bool bigEndian, uint32_t width, uint32_t height, uint32_t bits = 10) {
  std::vector<uint8_t> b(1964 + size_t(dpxio::RowBytes(bits, 1, uint64_t(width) * 3)) * height, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    if (bigEndian) QVWriteBE32(&b[at], v);
    else for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
  };
  put32(0, 0x802A5FD7);
  put32(4, 1964);
  b[193] = 3;
  b[198] = uint8_t(bits);
  put32(200, width);
  put32(204, height);
  std::vector<uint32_t> samples;
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) samples.push_back(TestCode(x, y, c) & ((1u << bits) - 1));
  const size_t row = size_t(dpxio::RowBytes(bits, 1, uint64_t(width) * 3));
  for (uint32_t y = 0; y < height; ++y) {
    std::vector<uint32_t> rowSamples(samples.begin() + long(y) * width * 3, samples.begin() + long(y + 1) * width * 3);
    std::vector<uint8_t> bytes = PackSamples(rowSamples, bits, true);
    if (!bigEndian && bits != 8)  // bytes stay in file order
      for (size_t at = 0; at < bytes.size(); at += 4) std::reverse(bytes.begin() + long(at), bytes.begin() + long(at) + 4);
    std::memcpy(&b[1964 + y * row], bytes.data(), bytes.size());
  }
  return b;
}

TEST(CineonFiles, ReadInEitherByteOrder) {
  for (uint32_t bits : {8u, 10u}) {
    const uint32_t w = 9, h = 3, full = (1u << bits) - 1;
    const std::vector<uint8_t> big = CineonFile(true, w, h, bits), little = CineonFile(false, w, h, bits);
    CineonHeaderInfo info;
    ASSERT_EQ(CineonParseHeaderInfo(big.data(), big.size(), &info), kQVNoErr);
    EXPECT_EQ(info.width, w);
    EXPECT_EQ(info.height, h);
    EXPECT_EQ(info.channelCount, 3u);
    std::vector<uint16_t> a(size_t(w) * h * 4), b(a.size());
    ASSERT_EQ(CineonDecodeImage(big.data(), big.size(), a.data(), w * 8, w, h), kQVNoErr);
    ASSERT_EQ(CineonDecodeImage(little.data(), little.size(), b.data(), w * 8, w, h), kQVNoErr);
    EXPECT_EQ(a, b);
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x)
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(a[(size_t(y) * w + x) * 4 + 1 + c], Scaled(TestCode(x, y, c) & full, full)) << bits;
  }
  std::vector<uint8_t> bad = CineonFile(true, 4, 4);
  CineonHeaderInfo info;
  EXPECT_EQ(CineonParseHeaderInfo(bad.data(), 1963, &info), kQVErrEndOfFile);
  QVWriteBE32(&bad[204], 5);  // one row more than the file holds
  EXPECT_EQ(CineonParseHeaderInfo(bad.data(), bad.size(), &info), kDPXErrBadFile);
  bad[193] = 0;
  EXPECT_EQ(CineonParseHeaderInfo(bad.data(), bad.size(), &info), kDPXErrBadFile);
}

TEST(DPXWriter, WritesTheHeaderAndSizeOfAFullFrame) {
  const std::string folder = MakeScratchFolder("hd");
  FBFrameStruct* frame = MakeFloatFrame(1920, 1080, [](uint32_t, uint32_t, int) { return 0.5f; });
  DPXHeaderInfo info = MakeDPXInfo(1920, 1080, 23.976f, 0x01000000);
  std::snprintf(info.projectName, sizeof info.projectName, "Grade");
  DPXWriteParams params = LinearParams();
  ASSERT_EQ(DPXCreateFile(folder.c_str(), "hd.dpx", &info, frame, &params), kQVNoErr);
  FBDisposeFrameBuffer(frame);
  const std::vector<uint8_t> b = ReadBytes(folder + "/hd.dpx");
  ASSERT_EQ(b.size(), 8296448u);
  EXPECT_EQ(QVReadBE32(&b[16]), 8296448u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[8])), "V2.0");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[36])), "hd.dpx");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[160])), "Quorvane Velmora");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[260])), "Grade");
  EXPECT_EQ(QVReadBE32(&b[792]), 1023u);
  EXPECT_EQ(QVReadBE32(&b[796]), 0x4Cu);
  EXPECT_EQ(b[800], 50);
  EXPECT_EQ(b[801], 6);
  EXPECT_EQ(b[803], 10);
  EXPECT_EQ(QVReadBE16(&b[804]), 1);
  EXPECT_FLOAT_EQ(QVReadBEFloat(&b[1724]), 23.976f);
  EXPECT_EQ(QVReadBE32(&b[1920]), 0x01000000u);
  EXPECT_EQ(QVReadBE32(&b[1416]), 0xFFFFFFFFu);
  EXPECT_EQ(b[1931], 255);
  EXPECT_EQ(QVReadBE32(&b[1932]), 0u);
  EXPECT_EQ(QVReadBE32(&b[2048]), 512u << 22 | 512u << 12 | 512u << 2);
  // Nothing but the file itself is left in the folder.
  size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder)) entries += e.is_regular_file();
  EXPECT_EQ(entries, 1u);
}

TEST(DPXWriter, EncodesLinearGammaAndLog) {
  struct Case {
    DPXWriteParams params;
    float value;
    uint32_t code;
  } cases[] = {
      {{10, 50, 0, 1.0f, false, 940, 64}, 1.0f, 940},   {{10, 50, 0, 1.0f, false, 940, 64}, 0.0f, 64},
      {{10, 50, 0, 1.0f, false, 940, 64}, -1.0f, 0},    {{10, 50, 0, 2.2f, false, 940, 64}, -1.0f, 64},
      {{10, 50, 0, 2.2f, false, 940, 64}, 0.5f, 64 + uint32_t(876 * 0.21764 + 0.5)},
      {{10, 50, 0, 1.0f, false, 1023, 0}, 2.0f, 1023}, {{10, 50, 0, 1.0f, false, 1023, 0}, NAN, 0},
      {{10, 50, 0, 1.0f, true, 685, 95}, 1.0f, 685},    {{10, 50, 0, 1.0f, true, 685, 95}, 0.0f, 95},
      {{10, 50, 0, 1.0f, true, 685, 95}, 0.18f, 468},   {{10, 50, 0, 1.0f, true, 685, 95}, 4.0f, 865},
  };
  for (const Case& c : cases) {
    FBFrameStruct* frame = MakeFloatFrame(1, 1, [&](uint32_t, uint32_t, int) { return c.value; });
    uint8_t word[4];
    ASSERT_TRUE(DPXWritePixels(frame, word, &c.params));
    FBDisposeFrameBuffer(frame);
    EXPECT_EQ(QVReadBE32(word) >> 22, c.code) << c.value << (c.params.logarithmic ? " log" : " linear");
  }
}

TEST(DPXWriter, WritesPlanarAndInterleavedFramesAlike) {
  const uint32_t w = 9, h = 3;
  auto value = [](uint32_t x, uint32_t y, int c) { return float(x * 3 + y * 7 + uint32_t(c) * 11) / 40.0f - 0.1f; };
  FBFrameStruct* interleaved = MakeFloatFrame(w, h, value);
  FBFrameStruct* planar = nullptr;
  ASSERT_EQ(FBCreateRGBFrameBuffer(w, h, &planar, kFBPixFormatPlanarFloat), kQVNoErr);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        const float v = value(x, y, c);
        std::memcpy(planar->baseAddr + size_t(c) * planar->planeBytes + size_t(y) * planar->rowBytes + x * 4, &v, 4);
      }
  for (const DPXWriteParams& params : {DPXWriteParams{10, 50, 0, 1.0f, false, 940, 64},
                                       DPXWriteParams{10, 50, 0.01f, 0.6f, true, 685, 95}}) {
    std::vector<uint8_t> a(size_t(w) * h * 4), b(a.size());
    ASSERT_TRUE(DPXWritePixels(interleaved, a.data(), &params));
    ASSERT_TRUE(DPXWritePixels(planar, b.data(), &params));
    EXPECT_EQ(a, b);
  }
  FBFrameStruct* other = nullptr;
  ASSERT_EQ(FBCreateRGBFrameBuffer(w, h, &other, kFBPixFormatBGRA), kQVNoErr);
  std::vector<uint8_t> out(size_t(w) * h * 4);
  DPXWriteParams params = LinearParams();
  EXPECT_FALSE(DPXWritePixels(other, out.data(), &params));
  params.descriptor = 51;
  EXPECT_FALSE(DPXWritePixels(interleaved, out.data(), &params));
  FBDisposeFrameBuffer(other);
  FBDisposeFrameBuffer(planar);
  FBDisposeFrameBuffer(interleaved);
}

TEST(DPXWriter, RefusesWhatItCannotWriteAndLeavesNoPartialFile) {
  const std::string folder = MakeScratchFolder("refuse");
  FBFrameStruct* frame = MakeFloatFrame(4, 2, [](uint32_t, uint32_t, int) { return 0.5f; });
  DPXHeaderInfo info = MakeDPXInfo(4, 2);
  DPXWriteParams params = LinearParams();
  EXPECT_EQ(DPXCreateFile(folder.c_str(), "a/b.dpx", &info, frame, &params), -37);
  EXPECT_EQ(DPXCreateFile((folder + "/missing").c_str(), "x.dpx", &info, frame, &params), -37);
  DPXWriteParams twelve = params;
  twelve.bits = 12;
  EXPECT_EQ(DPXCreateFile(folder.c_str(), "x.dpx", &info, frame, &twelve), kQVErrParam);
  DPXHeaderInfo wrongSize = MakeDPXInfo(5, 2);
  EXPECT_EQ(DPXCreateFile(folder.c_str(), "x.dpx", &wrongSize, frame, &params), kQVErrParam);
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  FBDisposeFrameBuffer(frame);
}

TEST(DPXWriter, MakesTimecodeDatesAndNames) {
  struct Zone {
    long offset;
    const char* text;
  } zones[] = {{0, "+00"}, {19800, "+0530"}, {-28800, "-08"}, {-12600, "-0330"}, {3600, "+01"}, {-1800, "-0030"}};
  for (const Zone& z : zones) {
    char text[16];
    DPXTimeZoneDesignator(z.offset, text, sizeof text);
    EXPECT_STREQ(text, z.text) << z.offset;
  }
  EXPECT_EQ(DPXTimecodeToBCD("01:23:45:12"), 0x01234512u);
  EXPECT_EQ(DPXTimecodeToBCD("00;01;00;02"), 0x00010002u);
  EXPECT_EQ(DPXTimecodeToBCD("01:23"), 0u);
  char date[32];
  DPXFormatDateTime(0, date, sizeof date);
  EXPECT_EQ(std::strlen(date) >= 22, true) << date;
  EXPECT_EQ(date[10], 'T');

  const std::string folder = MakeScratchFolder("frames");
  FBFrameStruct* frame = MakeFloatFrame(4, 2, [](uint32_t, uint32_t, int) { return 0.25f; });
  QVDPXWriteSettings settings{LinearParams(), "Project", "Rights"};
  ASSERT_EQ(QVMediaWriteDPXFrame(42, nullptr, frame, folder.c_str(), "shot_%07ld.dpx", &settings), kQVNoErr);
  EXPECT_TRUE(std::filesystem::exists(folder + "/shot_0000042.dpx"));
  for (const char* bad : {"shot_%s.dpx", "shot.dpx", "%d_%d.dpx", "%n.dpx", "%5.2f"})
    EXPECT_EQ(QVMediaWriteDPXFrame(1, nullptr, frame, folder.c_str(), bad, &settings), kQVErrParam) << bad;
  FBDisposeFrameBuffer(frame);
  DPXHeaderInfo info;
  ASSERT_EQ(DPXReadHeaderInfo((folder + "/shot_0000042.dpx").c_str(), &info), kQVNoErr);
  EXPECT_STREQ(info.projectName, "Project");
  EXPECT_EQ(info.creationTime[10], 'T');
}

}  // namespace
