#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ui/ui_draw.h"
#include "tests/scratch_folder.h"

namespace {

struct Fixture {
  UIImage* image = UIImageCreate(64, 48);
  UIContext* ctx = UIBeginDrawing(image);
  ~Fixture() {
    if (ctx) UIEndDrawing(ctx);
    UIImageDispose(image);
  }
  uint32_t Pixel(int x, int y) {
    if (ctx) {
      UIEndDrawing(ctx);
      ctx = nullptr;
    }
    return UIImageGetPixel(image, x, y);
  }
};

TEST(UIDraw, FillsFramesAndClipsRectangles) {
  Fixture f;
  UIClear(f.ctx, UIColor{1, 1, 1, 1});
  UISetFillColor(f.ctx, UIColor{1, 0, 0, 1});
  UIFillRect(f.ctx, UIMakeRect(10, 10, 20, 10));
  UISetStrokeColor(f.ctx, UIColor{0, 0, 1, 1});
  UIFrameRect(f.ctx, UIMakeRect(40, 5, 10, 10));
  UISave(f.ctx);
  UIClipRect(f.ctx, UIMakeRect(0, 30, 5, 5));
  UISetFillColor(f.ctx, UIColor{0, 1, 0, 1});
  UIFillRect(f.ctx, UIMakeRect(0, 30, 40, 10));
  UIRestore(f.ctx);
  EXPECT_EQ(f.Pixel(10, 10), 0xFFFF0000u);
  EXPECT_EQ(f.Pixel(29, 19), 0xFFFF0000u);
  EXPECT_EQ(f.Pixel(30, 19), 0xFFFFFFFFu);
  EXPECT_EQ(f.Pixel(40, 5), 0xFF0000FFu);   // frame corner
  EXPECT_EQ(f.Pixel(49, 14), 0xFF0000FFu);  // opposite corner, inside the rectangle
  EXPECT_EQ(f.Pixel(45, 10), 0xFFFFFFFFu);  // frame only
  EXPECT_EQ(f.Pixel(2, 32), 0xFF00FF00u);
  EXPECT_EQ(f.Pixel(6, 32), 0xFFFFFFFFu);   // clipped away
}

TEST(UIDraw, BlendModesCombineWithWhatIsThere) {
  Fixture f;
  UIClear(f.ctx, UIColor{0.5, 0.5, 0.5, 1});
  UISetBlendMode(f.ctx, kUIBlendMultiply);
  UISetFillColor(f.ctx, UIColor{1, 0, 0, 1});
  UIFillRect(f.ctx, UIMakeRect(0, 0, 10, 10));
  UISetBlendMode(f.ctx, kUIBlendClear);
  UIFillRect(f.ctx, UIMakeRect(20, 0, 10, 10));
  UISetBlendMode(f.ctx, kUIBlendCopy);
  UISetFillColor(f.ctx, UIColor{0, 0, 0, 0});
  UIFillRect(f.ctx, UIMakeRect(40, 0, 10, 10));
  uint32_t multiplied = f.Pixel(5, 5);
  EXPECT_NEAR(double((multiplied >> 16) & 0xFF), 128, 1);  // red kept at grey's level
  EXPECT_EQ(multiplied & 0xFFFF, 0u);                      // green and blue multiplied by 0
  EXPECT_EQ(f.Pixel(25, 5), 0u);
  EXPECT_EQ(f.Pixel(45, 5), 0u);
  EXPECT_NE(f.Pixel(60, 5), 0u);
}

TEST(UIDraw, FlippedCoordinatesPutTheOriginAtTheBottom) {
  Fixture f;
  UIFlipVertical(f.ctx, 48);
  UISetFillColor(f.ctx, UIColor{0, 0, 0, 1});
  UIFillRect(f.ctx, UIMakeRect(0, 0, 4, 4));  // y-up: the bottom-left corner
  EXPECT_EQ(f.Pixel(1, 46), 0xFF000000u);
  EXPECT_EQ(f.Pixel(1, 1), 0u);
}

TEST(UIDraw, OvalsAndPathsCoverTheirInsides) {
  Fixture f;
  UISetFillColor(f.ctx, UIColor{0, 0, 0, 1});
  UIFillOval(f.ctx, UIMakeRect(0, 0, 20, 20));
  UIBeginPath(f.ctx);
  UIMoveTo(f.ctx, 30, 0);
  UILineTo(f.ctx, 60, 0);
  UILineTo(f.ctx, 30, 30);
  UIClosePath(f.ctx);
  UIFillPath(f.ctx);
  EXPECT_EQ(f.Pixel(10, 10), 0xFF000000u);
  EXPECT_EQ(f.Pixel(1, 1), 0u);  // outside the circle
  EXPECT_EQ(f.Pixel(33, 3), 0xFF000000u);
  EXPECT_EQ(f.Pixel(58, 28), 0u);
}

TEST(UIDraw, ImportsAndExportsBothPixelFormats) {
  UIImage* image = UIImageCreate(2, 1);
  const uint8_t argb[8] = {0xFF, 0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60};  // A R G B
  ASSERT_EQ(UIImageImport(image, argb, 8, kUIPixelFormatARGB), kQVNoErr);
  EXPECT_EQ(UIImageGetPixel(image, 0, 0), 0xFF102030u);
  uint8_t bgra[8];
  ASSERT_EQ(UIImageExport(image, bgra, 8, kUIPixelFormatBGRA), kQVNoErr);
  EXPECT_EQ(bgra[4], 0x60);  // B first
  EXPECT_EQ(bgra[7], 0xFF);  // A last
  uint8_t back[8];
  ASSERT_EQ(UIImageExport(image, back, 8, kUIPixelFormatARGB), kQVNoErr);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 8), std::vector<uint8_t>(argb, argb + 8));
  EXPECT_EQ(UIImageImport(image, argb, 4, kUIPixelFormatARGB), kQVErrParam);  // rows too short
  EXPECT_EQ(UIImageImport(image, argb, 8, 99), kQVErrParam);
  UIImageDispose(image);
  EXPECT_EQ(UIImageCreate(0, 10), nullptr);
  EXPECT_EQ(UIImageCreate(100000, 10), nullptr);
}

TEST(UIDraw, PicturesLoadByIdAndBlitScaled) {
  UIImage* src = UIImageCreate(2, 2);
  UIContext* ctx = UIBeginDrawing(src);
  UISetFillColor(ctx, UIColor{1, 0, 0, 1});
  UIFillRect(ctx, UIMakeRect(0, 0, 1, 2));
  UISetFillColor(ctx, UIColor{0, 0, 1, 1});
  UIFillRect(ctx, UIMakeRect(1, 0, 1, 2));
  UIEndDrawing(ctx);
  std::string path = ScratchDir("") + "/ui_picture.png";
  ASSERT_EQ(UIImageWritePNG(src, path.c_str()), kQVNoErr);
  UIImageDispose(src);

  ASSERT_EQ(UIRegisterPicture(128, path.c_str()), kQVNoErr);
  Fixture f;
  ASSERT_EQ(UIDrawPicture(f.ctx, 128, UIMakeRect(0, 0, 20, 20)), kQVNoErr);
  EXPECT_EQ(UIDrawPicture(f.ctx, 129, UIMakeRect(0, 0, 20, 20)), kQVErrFileNotFound);
  EXPECT_EQ(f.Pixel(2, 10), 0xFFFF0000u);
  EXPECT_EQ(f.Pixel(17, 10), 0xFF0000FFu);
  EXPECT_EQ(f.Pixel(30, 10), 0u);
  UIForgetPictures();
  EXPECT_EQ(UIImageReadPNG("/nonexistent/x.png"), nullptr);
}

TEST(UIDraw, TextMeasuresAndAligns) {
  UIFont font;
  font.size = 20;
  UITextMetrics m = UIMeasureText(font, "Hello");
  EXPECT_GT(m.width, 30);
  EXPECT_GT(m.ascent, 10);
  EXPECT_GT(m.descent, 1);
  EXPECT_DOUBLE_EQ(UIMeasureText(font, "").width, 0);
  UIFont missing = font;
  missing.family = "No Such Family Anywhere";
  EXPECT_GT(UIMeasureText(missing, "Hello").width, 30);  // falls back to a real face

  // Right alignment puts the ink left of x, centre around it.
  struct Case {
    UITextAlign align;
    int inkLeftOf;   // a column that must have ink
    int blankAt;     // a column that must not
  } cases[] = {{kUIAlignLeft, 52, 40}, {kUIAlignRight, 40, 52}, {kUIAlignCenter, 45, 20}};
  for (const Case& c : cases) {
    UIImage* image = UIImageCreate(100, 40);
    UIContext* ctx = UIBeginDrawing(image);
    UISetFillColor(ctx, UIColor{0, 0, 0, 1});
    UIDrawText(ctx, font, "MMM", 48, 30, c.align);
    UIEndDrawing(ctx);
    auto columnHasInk = [&](int x) {
      for (int y = 0; y < 40; ++y)
        if (UIImageGetPixel(image, x, y) >> 24) return true;
      return false;
    };
    EXPECT_TRUE(columnHasInk(c.inkLeftOf)) << c.align;
    EXPECT_FALSE(columnHasInk(c.blankAt)) << c.align;
    UIImageDispose(image);
  }
}

TEST(UIDraw, TextOffsetAtXFindsCharacterBoundaries) {
  UIFont font;
  double w = UIMeasureText(font, "ab").width;
  EXPECT_EQ(UITextOffsetAtX(font, "abcd", -5), 0);
  EXPECT_EQ(UITextOffsetAtX(font, "abcd", w), 2);
  EXPECT_EQ(UITextOffsetAtX(font, "abcd", 1000), 4);
}

}  // namespace
