#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ui/ui_draw.h"
#include "tests/scratch_folder.h"

namespace {

struct Fixture {
  TKImage* image = TKImageCreate(64, 48);
  TKContext* ctx = TKBeginDrawing(image);
  ~Fixture() {
    if (ctx) TKEndDrawing(ctx);
    TKImageDispose(image);
  }
  uint32_t Pixel(int x, int y) {
    if (ctx) {
      TKEndDrawing(ctx);
      ctx = nullptr;
    }
    return TKImageGetPixel(image, x, y);
  }
};

TEST(TKDraw, FillsFramesAndClipsRectangles) {
  Fixture f;
  TKClear(f.ctx, TKColor{1, 1, 1, 1});
  TKSetFillColor(f.ctx, TKColor{1, 0, 0, 1});
  TKFillRect(f.ctx, TKMakeRect(10, 10, 20, 10));
  TKSetStrokeColor(f.ctx, TKColor{0, 0, 1, 1});
  TKFrameRect(f.ctx, TKMakeRect(40, 5, 10, 10));
  TKSave(f.ctx);
  TKClipRect(f.ctx, TKMakeRect(0, 30, 5, 5));
  TKSetFillColor(f.ctx, TKColor{0, 1, 0, 1});
  TKFillRect(f.ctx, TKMakeRect(0, 30, 40, 10));
  TKRestore(f.ctx);
  EXPECT_EQ(f.Pixel(10, 10), 0xFFFF0000u);
  EXPECT_EQ(f.Pixel(29, 19), 0xFFFF0000u);
  EXPECT_EQ(f.Pixel(30, 19), 0xFFFFFFFFu);
  EXPECT_EQ(f.Pixel(40, 5), 0xFF0000FFu);   // frame corner
  EXPECT_EQ(f.Pixel(49, 14), 0xFF0000FFu);  // opposite corner, inside the rectangle
  EXPECT_EQ(f.Pixel(45, 10), 0xFFFFFFFFu);  // frame only
  EXPECT_EQ(f.Pixel(2, 32), 0xFF00FF00u);
  EXPECT_EQ(f.Pixel(6, 32), 0xFFFFFFFFu);   // clipped away
}

TEST(TKDraw, BlendModesCombineWithWhatIsThere) {
  Fixture f;
  TKClear(f.ctx, TKColor{0.5, 0.5, 0.5, 1});
  TKSetBlendMode(f.ctx, kTKBlendMultiply);
  TKSetFillColor(f.ctx, TKColor{1, 0, 0, 1});
  TKFillRect(f.ctx, TKMakeRect(0, 0, 10, 10));
  TKSetBlendMode(f.ctx, kTKBlendClear);
  TKFillRect(f.ctx, TKMakeRect(20, 0, 10, 10));
  TKSetBlendMode(f.ctx, kTKBlendCopy);
  TKSetFillColor(f.ctx, TKColor{0, 0, 0, 0});
  TKFillRect(f.ctx, TKMakeRect(40, 0, 10, 10));
  uint32_t multiplied = f.Pixel(5, 5);
  EXPECT_NEAR(double((multiplied >> 16) & 0xFF), 128, 1);  // red kept at grey's level
  EXPECT_EQ(multiplied & 0xFFFF, 0u);                      // green and blue multiplied by 0
  EXPECT_EQ(f.Pixel(25, 5), 0u);
  EXPECT_EQ(f.Pixel(45, 5), 0u);
  EXPECT_NE(f.Pixel(60, 5), 0u);
}

TEST(TKDraw, FlippedCoordinatesPutTheOriginAtTheBottom) {
  Fixture f;
  TKFlipVertical(f.ctx, 48);
  TKSetFillColor(f.ctx, TKColor{0, 0, 0, 1});
  TKFillRect(f.ctx, TKMakeRect(0, 0, 4, 4));  // y-up: the bottom-left corner
  EXPECT_EQ(f.Pixel(1, 46), 0xFF000000u);
  EXPECT_EQ(f.Pixel(1, 1), 0u);
}

TEST(TKDraw, OvalsAndPathsCoverTheirInsides) {
  Fixture f;
  TKSetFillColor(f.ctx, TKColor{0, 0, 0, 1});
  TKFillOval(f.ctx, TKMakeRect(0, 0, 20, 20));
  TKBeginPath(f.ctx);
  TKMoveTo(f.ctx, 30, 0);
  TKLineTo(f.ctx, 60, 0);
  TKLineTo(f.ctx, 30, 30);
  TKClosePath(f.ctx);
  TKFillPath(f.ctx);
  EXPECT_EQ(f.Pixel(10, 10), 0xFF000000u);
  EXPECT_EQ(f.Pixel(1, 1), 0u);  // outside the circle
  EXPECT_EQ(f.Pixel(33, 3), 0xFF000000u);
  EXPECT_EQ(f.Pixel(58, 28), 0u);
}

TEST(TKDraw, ImportsAndExportsBothPixelFormats) {
  TKImage* image = TKImageCreate(2, 1);
  const uint8_t argb[8] = {0xFF, 0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60};  // A R G B
  ASSERT_EQ(TKImageImport(image, argb, 8, kTKPixelFormatARGB), kQVNoErr);
  EXPECT_EQ(TKImageGetPixel(image, 0, 0), 0xFF102030u);
  uint8_t bgra[8];
  ASSERT_EQ(TKImageExport(image, bgra, 8, kTKPixelFormatBGRA), kQVNoErr);
  EXPECT_EQ(bgra[4], 0x60);  // B first
  EXPECT_EQ(bgra[7], 0xFF);  // A last
  uint8_t back[8];
  ASSERT_EQ(TKImageExport(image, back, 8, kTKPixelFormatARGB), kQVNoErr);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 8), std::vector<uint8_t>(argb, argb + 8));
  EXPECT_EQ(TKImageImport(image, argb, 4, kTKPixelFormatARGB), kQVErrParam);  // rows too short
  EXPECT_EQ(TKImageImport(image, argb, 8, 99), kQVErrParam);
  TKImageDispose(image);
  EXPECT_EQ(TKImageCreate(0, 10), nullptr);
  EXPECT_EQ(TKImageCreate(100000, 10), nullptr);
}

TEST(TKDraw, PicturesLoadByIdAndBlitScaled) {
  TKImage* src = TKImageCreate(2, 2);
  TKContext* ctx = TKBeginDrawing(src);
  TKSetFillColor(ctx, TKColor{1, 0, 0, 1});
  TKFillRect(ctx, TKMakeRect(0, 0, 1, 2));
  TKSetFillColor(ctx, TKColor{0, 0, 1, 1});
  TKFillRect(ctx, TKMakeRect(1, 0, 1, 2));
  TKEndDrawing(ctx);
  std::string path = ScratchDir("") + "/ui_picture.png";
  ASSERT_EQ(TKImageWritePNG(src, path.c_str()), kQVNoErr);
  TKImageDispose(src);

  ASSERT_EQ(TKRegisterPicture(128, path.c_str()), kQVNoErr);
  Fixture f;
  ASSERT_EQ(TKDrawPicture(f.ctx, 128, TKMakeRect(0, 0, 20, 20)), kQVNoErr);
  EXPECT_EQ(TKDrawPicture(f.ctx, 129, TKMakeRect(0, 0, 20, 20)), kQVErrFileNotFound);
  EXPECT_EQ(f.Pixel(2, 10), 0xFFFF0000u);
  EXPECT_EQ(f.Pixel(17, 10), 0xFF0000FFu);
  EXPECT_EQ(f.Pixel(30, 10), 0u);
  TKForgetPictures();
  EXPECT_EQ(TKImageReadPNG("/nonexistent/x.png"), nullptr);
}

TEST(TKDraw, TextMeasuresAndAligns) {
  TKFont font;
  font.size = 20;
  TKTextMetrics m = TKMeasureText(font, "Hello");
  EXPECT_GT(m.width, 30);
  EXPECT_GT(m.ascent, 10);
  EXPECT_GT(m.descent, 1);
  EXPECT_DOUBLE_EQ(TKMeasureText(font, "").width, 0);
  TKFont missing = font;
  missing.family = "No Such Family Anywhere";
  EXPECT_GT(TKMeasureText(missing, "Hello").width, 30);  // falls back to a real face

  // Right alignment puts the ink left of x, centre around it.
  struct Case {
    TKTextAlign align;
    int inkLeftOf;   // a column that must have ink
    int blankAt;     // a column that must not
  } cases[] = {{kTKAlignLeft, 52, 40}, {kTKAlignRight, 40, 52}, {kTKAlignCenter, 45, 20}};
  for (const Case& c : cases) {
    TKImage* image = TKImageCreate(100, 40);
    TKContext* ctx = TKBeginDrawing(image);
    TKSetFillColor(ctx, TKColor{0, 0, 0, 1});
    TKDrawText(ctx, font, "MMM", 48, 30, c.align);
    TKEndDrawing(ctx);
    auto columnHasInk = [&](int x) {
      for (int y = 0; y < 40; ++y)
        if (TKImageGetPixel(image, x, y) >> 24) return true;
      return false;
    };
    EXPECT_TRUE(columnHasInk(c.inkLeftOf)) << c.align;
    EXPECT_FALSE(columnHasInk(c.blankAt)) << c.align;
    TKImageDispose(image);
  }
}

TEST(TKDraw, TextOffsetAtXFindsCharacterBoundaries) {
  TKFont font;
  double w = TKMeasureText(font, "ab").width;
  EXPECT_EQ(TKTextOffsetAtX(font, "abcd", -5), 0);
  EXPECT_EQ(TKTextOffsetAtX(font, "abcd", w), 2);
  EXPECT_EQ(TKTextOffsetAtX(font, "abcd", 1000), 4);
}

}  // namespace
