// Our own PNG reader and writer (the 32-bit build's) against libpng: every
// colour type, depth and interlacing libpng writes reads back as libpng
// reads it, what we write libpng reads, and damaged files are refused.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/png_codec.h"
#include "tests/scratch_folder.h"
#include "tools/standin_host/sh_png.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

// A picture of the colour type and depth written by libpng, with a palette
// and transparency where the type has them; samples vary over the whole range.
std::string WriteWithLibpng(const std::string& path, int colour, int depth, bool interlaced, bool transparency,
                            int width, int height) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return "cannot open";
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return "libpng failed";
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, uint32_t(width), uint32_t(height), depth, colour,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  // Every row filter, so all five are undone.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  const int entries = colour == PNG_COLOR_TYPE_PALETTE ? 1 << depth : 0;
  std::vector<png_color> palette(static_cast<size_t>(entries));
  std::vector<png_byte> alphas(static_cast<size_t>(entries));
  for (int i = 0; i < entries; ++i) {
    palette[size_t(i)] = {png_byte(i * 37), png_byte(255 - i * 11), png_byte(i * 5)};
    alphas[size_t(i)] = png_byte(i * 29);
  }
  if (entries) png_set_PLTE(png, info, palette.data(), entries);
  png_color_16 key{};
  if (transparency) {
    if (entries) {
      png_set_tRNS(png, info, alphas.data(), entries / 2, nullptr);
    } else {
      key.gray = key.red = 1;
      key.green = 2;
      key.blue = 3;
      png_set_tRNS(png, info, nullptr, 0, &key);
    }
  }
  png_write_info(png, info);
  const int channels = png_get_channels(png, info);
  const size_t rowBytes = (size_t(width) * size_t(channels) * size_t(depth) + 7) / 8;
  std::vector<png_byte> rows(rowBytes * size_t(height));
  uint32_t seed = 12345;
  for (png_byte& b : rows) b = png_byte((seed = seed * 1103515245u + 12345u) >> 16);
  // Keep palette indexes inside the palette (8-bit palettes have 256 entries already).
  std::vector<png_bytep> pointers(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) pointers[size_t(y)] = rows.data() + rowBytes * size_t(y);
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0 ? "" : "cannot close";
}

}  // namespace

TEST(PngCodec, ReadsEveryKindLibpngWritesAsLibpngReadsIt) {
  const std::string dir = MakeScratchFolder("png_codec");
  struct Kind {
    int colour, depth;
  };
  const Kind kinds[] = {{PNG_COLOR_TYPE_GRAY, 1},      {PNG_COLOR_TYPE_GRAY, 2},       {PNG_COLOR_TYPE_GRAY, 4},
                        {PNG_COLOR_TYPE_GRAY, 8},      {PNG_COLOR_TYPE_GRAY, 16},      {PNG_COLOR_TYPE_PALETTE, 1},
                        {PNG_COLOR_TYPE_PALETTE, 2},   {PNG_COLOR_TYPE_PALETTE, 4},    {PNG_COLOR_TYPE_PALETTE, 8},
                        {PNG_COLOR_TYPE_RGB, 8},       {PNG_COLOR_TYPE_RGB, 16},       {PNG_COLOR_TYPE_GRAY_ALPHA, 8},
                        {PNG_COLOR_TYPE_GRAY_ALPHA, 16}, {PNG_COLOR_TYPE_RGB_ALPHA, 8}, {PNG_COLOR_TYPE_RGB_ALPHA, 16}};
  int checked = 0;
  for (const Kind& k : kinds)
    for (bool interlaced : {false, true})
      for (bool transparency : {false, true}) {
        if (transparency && (k.colour & PNG_COLOR_MASK_ALPHA)) continue;
        const std::string name = "type " + std::to_string(k.colour) + " depth " + std::to_string(k.depth) +
                                 (interlaced ? " interlaced" : "") + (transparency ? " tRNS" : "");
        const std::string path = dir + "/kind.png";
        // 37 x 11: odd sizes leave partial bytes and empty interlace passes.
        ASSERT_EQ(WriteWithLibpng(path, k.colour, k.depth, interlaced, transparency, 37, 11), "") << name;
        SHImage theirs;
        std::string error;
        ASSERT_TRUE(SHReadPNG(path, &theirs, &error)) << name << ": " << error;
        const std::vector<uint8_t> bytes = ReadBytes(path);
        PLPngImage ours;
        std::string why;
        ASSERT_TRUE(PLPngDecode(bytes.data(), bytes.size(), &ours, &why)) << name << ": " << why;
        EXPECT_EQ(ours.width, theirs.width) << name;
        EXPECT_EQ(ours.height, theirs.height) << name;
        EXPECT_EQ(ours.bits, theirs.bits) << name;
        EXPECT_EQ(ours.samples, theirs.samples) << name;
        ++checked;
      }
  EXPECT_GT(checked, 40);
}

TEST(PngCodec, WhatWeWriteLibpngReadsBack) {
  const std::string dir = MakeScratchFolder("png_codec_write");
  for (int bits : {8, 16}) {
    PLPngImage image;
    // Wide enough that the rows need more than one stored block.
    image.width = 9000;
    image.height = 3;
    image.bits = bits;
    image.samples.resize(size_t(image.width) * 3 * 4);
    for (size_t i = 0; i < image.samples.size(); ++i) image.samples[i] = uint16_t((i * 7919) % (bits == 8 ? 256 : 65536));
    const std::vector<uint8_t> bytes = PLPngEncode(image);
    ASSERT_FALSE(bytes.empty());
    const std::string path = dir + "/ours.png";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    SHImage back;
    std::string error;
    ASSERT_TRUE(SHReadPNG(path, &back, &error)) << error;
    EXPECT_EQ(back.bits, bits);
    EXPECT_EQ(back.samples, image.samples) << bits << "-bit";
  }
  PLPngImage bad;
  bad.width = 2;
  bad.height = 2;
  bad.samples.resize(3);  // not a whole picture
  EXPECT_TRUE(PLPngEncode(bad).empty());
}

// Damage anywhere in a good file is refused with a reason, never read past.
TEST(PngCodec, DamagedFilesAreRefused) {
  PLPngImage image;
  image.width = 5;
  image.height = 4;
  image.samples.assign(5 * 4 * 4, 200);
  const std::vector<uint8_t> good = PLPngEncode(image);
  PLPngImage out;
  std::string why;
  ASSERT_TRUE(PLPngDecode(good.data(), good.size(), &out, &why));
  for (size_t cut = 0; cut < good.size(); ++cut) {
    EXPECT_FALSE(PLPngDecode(good.data(), cut, &out, &why)) << "cut at " << cut;
    EXPECT_FALSE(why.empty());
  }
  for (size_t at = 8; at < good.size(); ++at) {
    std::vector<uint8_t> flipped = good;
    flipped[at] ^= 0x10;
    EXPECT_FALSE(PLPngDecode(flipped.data(), flipped.size(), &out, &why)) << "byte " << at;
  }
  const uint8_t notPng[] = "GIF89a, not a PNG at all";
  EXPECT_FALSE(PLPngDecode(notPng, sizeof notPng, &out, &why));
  EXPECT_EQ(why, "not a PNG file");
}
