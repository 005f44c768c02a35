// The phosphor table, the 16-bit picture conversion, the picture walk and the
// integer colour tables, against their worked numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "app/views/picture_utils.h"
#include "app/views/scope_phosphor.h"
#include "app/views/scope_tables.h"

TEST(ScopePhosphorTable, EntriesAreRoundedDistances) {
  const uint8_t* t = GetScopePhosphorTable();
  struct Case {
    int r, c, value;
  } cases[] = {{0, 0, 0}, {3, 2, 4}, {100, 159, 188}, {159, 159, 225}, {0, 137, 137}, {91, 0, 91}, {1, 1, 1}};
  for (const Case& k : cases) EXPECT_EQ(t[k.r * kScopePhosphorSize + k.c], k.value) << k.r << "," << k.c;
  // Every entry against the formula in floating point.
  for (int r = 0; r < kScopePhosphorSize; ++r)
    for (int c = 0; c < kScopePhosphorSize; ++c)
      ASSERT_EQ(t[r * kScopePhosphorSize + c], int(std::floor(std::sqrt(double(r * r + c * c)) + 0.5))) << r << "," << c;
}

TEST(Convert16BitPixels, ChannelsScaleTruncateAndSaturate) {
  struct Case {
    uint16_t in;
    uint8_t out;
  } cases[] = {{0, 0},       {1, 0},       {128, 0},     {129, 1},   {16384, 127},
               {32767, 254}, {32768, 255}, {32900, 255}, {40000, 255}, {65535, 255}};
  // One row holding every case in each of the four channel positions, so a
  // swapped channel shows too.
  const int n = int(std::size(cases));
  std::vector<uint16_t> row(size_t(n) * 4 + 3, 0xEEEE);  // three spare channels past the end
  for (int i = 0; i < n; ++i)
    for (int ch = 0; ch < 4; ++ch) row[size_t(i) * 4 + ch] = ch == i % 4 ? cases[i].in : uint16_t(ch * 1000);
  TKImage* picture = nullptr;
  ASSERT_EQ(Convert16BitPixelsToGWorld(&picture, TKMakeRect(0, 0, n, 1), row.data(), n * 8), kQVNoErr);
  ASSERT_NE(picture, nullptr);
  ASSERT_EQ(TKImageWidth(picture), n);
  const uint8_t* out = TKImagePixels(picture);
  for (int i = 0; i < n; ++i)
    for (int ch = 0; ch < 4; ++ch) {
      uint8_t expected = ch == i % 4 ? cases[i].out : uint8_t(int(ch * 1000 * 0.007782101f));
      EXPECT_EQ(out[i * 4 + ch], expected) << "input " << cases[i].in << " channel " << ch;
    }
  TKImageDispose(picture);
}

TEST(Convert16BitPixels, BadArgumentsMakeNoPicture) {
  std::vector<uint16_t> pixels(64, 1000);
  TKImage* picture = reinterpret_cast<TKImage*>(&pixels);  // must be reset to null
  EXPECT_EQ(Convert16BitPixelsToGWorld(&picture, TKMakeRect(0, 0, 4, 2), nullptr, 32), kQVErrParam);
  EXPECT_EQ(picture, nullptr);
  // Rows shorter than the bounds' width would be read past their end.
  EXPECT_EQ(Convert16BitPixelsToGWorld(&picture, TKMakeRect(0, 0, 4, 2), pixels.data(), 31), kQVErrParam);
  EXPECT_EQ(Convert16BitPixelsToGWorld(&picture, TKMakeRect(0, 0, 0, 2), pixels.data(), 32), kQVErrParam);
  EXPECT_EQ(picture, nullptr);
  EXPECT_EQ(Convert16BitPixelsToGWorld(nullptr, TKMakeRect(0, 0, 4, 2), pixels.data(), 32), kQVErrParam);
}

TEST(IterateGWorldPixels, VisitsEveryPixelInRowOrderOnce) {
  TKImage* picture = TKImageCreate(5, 3);
  struct Visit {
    std::vector<uint8_t*> pixels;
    uint32_t format = 0;
  } visit;
  IterateGWorldPixels(
      picture,
      [](void* pixel, uint32_t format, void* refCon) {
        auto* v = static_cast<Visit*>(refCon);
        v->pixels.push_back(static_cast<uint8_t*>(pixel));
        v->format = format;
      },
      &visit);
  ASSERT_EQ(visit.pixels.size(), 15u);
  EXPECT_EQ(visit.format, kTKPixelFormatBGRA);
  uint8_t* base = TKImagePixels(picture);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(visit.pixels[size_t(y * 5 + x)], base + y * TKImageRowBytes(picture) + x * 4);
  IterateGWorldPixels(nullptr, [](void*, uint32_t, void*) { FAIL() << "called for no picture"; }, nullptr);
  TKImageDispose(picture);
}

TEST(ColourDifferenceTables, EntriesAreRoundedProducts) {
  struct Case {
    int32_t matrix, table, v, value;
  } cases[] = {
      {0, 0, 255, 2458920},  // round(9642.822 x 255)
      {0, 2, 1, 28574},      {0, 3, 255, 10277683}, {0, 5, 128, 838976},
      {1, 0, 255, 1669610},  {1, 4, 100, 3660895},  {1, 5, 255, 942402},
      {2, 1, 200, 4387765},  {2, 4, 255, 9142965},  {2, 2, 0, 0},
  };
  for (const Case& k : cases) {
    const int32_t* t = BuildRGBtoYCbCrTables(k.matrix);
    EXPECT_EQ(t[k.table * 256 + k.v], k.value) << "matrix " << k.matrix << " T" << k.table << "[" << k.v << "]";
  }
}

TEST(ColourDifferenceTables, GreysHaveNoColourAndPrimariesTheirStandardAngles) {
  // Angles of the 100% primaries in the B-Y, R-Y plane, from the standard
  // luma weights.
  const double weights[3][3] = {{0.299, 0.587, 0.114}, {0.2126, 0.7152, 0.0722}, {0.212, 0.701, 0.087}};
  for (int32_t matrix = 0; matrix < 3; ++matrix) {
    const int32_t* t = BuildRGBtoYCbCrTables(matrix);
    for (int v = 0; v < 256; ++v) {
      EXPECT_LE(std::abs(t[512 + v] - t[v] - t[256 + v]), 1) << matrix << " grey " << v;
      EXPECT_LE(std::abs(t[768 + v] - t[1024 + v] - t[1280 + v]), 1) << matrix << " grey " << v;
    }
    const double* w = weights[matrix];
    for (int primary = 0; primary < 3; ++primary) {
      int rgb[3] = {0, 0, 0};
      rgb[primary] = 255;
      double y = w[0] * rgb[0] + w[1] * rgb[1] + w[2] * rgb[2];
      double u = 0.872 * 0.5 * (rgb[2] - y) / (1 - w[2]), vv = 1.23 * 0.5 * (rgb[0] - y) / (1 - w[0]);
      double b = (t[512 + rgb[2]] - t[rgb[0]] - t[256 + rgb[1]]) / 65536.0;
      double r = (t[768 + rgb[0]] - t[1024 + rgb[1]] - t[1280 + rgb[2]]) / 65536.0;
      EXPECT_NEAR(b, u, 0.01) << "matrix " << matrix << " primary " << primary;
      EXPECT_NEAR(r, vv, 0.01) << "matrix " << matrix << " primary " << primary;
    }
  }
}

TEST(ColourDifferenceTables, OneBlockFollowsTheMatrixAskedFor) {
  const int32_t* first = BuildRGBtoYCbCrTables(kScopeMatrix709);
  EXPECT_EQ(first[255], 1669610);
  EXPECT_EQ(BuildRGBtoYCbCrTables(kScopeMatrix601), first);
  EXPECT_EQ(first[255], 2458920);
  EXPECT_EQ(BuildRGBtoYCbCrTables(7)[255], 2458920);  // unknown matrices read as Rec. 601
}

TEST(ScopeLumaTables, WhiteAddsUpToFullScale) {
  struct Case {
    int32_t matrix, r, g, b, luma;
  } cases[] = {{0, 255, 255, 255, 255}, {0, 255, 0, 0, 76}, {0, 0, 255, 0, 150}, {0, 0, 0, 255, 29},
               {1, 255, 255, 255, 254}, {1, 0, 255, 0, 182}, {2, 255, 0, 0, 54},  {1, 128, 128, 128, 128}};
  for (const Case& k : cases) {
    const uint8_t* t = ScopeLumaTables(k.matrix);
    EXPECT_EQ(t[k.r] + t[256 + k.g] + t[512 + k.b], k.luma) << k.matrix << " " << k.r << "," << k.g << "," << k.b;
  }
}
