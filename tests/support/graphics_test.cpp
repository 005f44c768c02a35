// The drawing wrapper: top-left, y-down coordinates on pixel centres, text
// alignment, and a wrapper without a context that draws nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/graphics.h"

namespace {

struct Pixels {
  int32_t width = 120, height = 80;
  std::vector<uint8_t> bytes = std::vector<uint8_t>(size_t(120 * 80 * 4), 0);
  uint8_t alpha(int32_t x, int32_t y) const { return bytes[size_t((y * width + x) * 4 + 3)]; }
};

TEST(Graphics, AQuickDrawRectangleIsStrokedOnItsEdgePixels) {
  Pixels p;
  {
    QVGraphics g(p.bytes.data(), p.width, p.height, p.width * 4);
    g.setRGBStrokeColor(0, 0, 0, 1);
    g.setLineWidth(1);
    g.strokeRect(QVRect{10, 20, 30, 60});  // top, left, bottom, right
  }
  for (auto [x, y] : {std::pair{20, 10}, {60, 10}, {20, 30}, {60, 30}, {40, 10}, {20, 20}, {60, 20}, {40, 30}})
    EXPECT_EQ(p.alpha(x, y), 255) << x << "," << y;
  for (auto [x, y] : {std::pair{19, 10}, {61, 20}, {40, 9}, {40, 31}, {40, 20}, {21, 11}})
    EXPECT_EQ(p.alpha(x, y), 0) << x << "," << y;
}

TEST(Graphics, CentredTextStartsHalfItsWidthLeftOfThePosition) {
  Pixels centred, left;
  double width = 0;
  {
    QVGraphics g(centred.bytes.data(), centred.width, centred.height, centred.width * 4);
    QVGFont* font = g.createFontRef("DejaVu Sans", 14);
    ASSERT_NE(font, nullptr);
    width = g.getTextLineTypographicBounds("Midtones", font, nullptr, nullptr, nullptr);
    EXPECT_GT(width, 20.0);
    g.setTextPosition(60, 40);
    g.drawTextLine("Midtones", font, kQVGAlignCenter);
    g.releaseFontRef(font);
  }
  {
    QVGraphics g(left.bytes.data(), left.width, left.height, left.width * 4);
    QVGFont* font = g.createFontRef("DejaVu Sans", 14);
    g.setTextPosition(60 - 0.5 * width, 40);
    g.drawTextLine("Midtones", font);
    g.releaseFontRef(font);
  }
  EXPECT_EQ(centred.bytes, left.bytes);
  EXPECT_NE(std::count(centred.bytes.begin(), centred.bytes.end(), 0), ptrdiff_t(centred.bytes.size()));
}

TEST(Graphics, WithoutAContextNothingIsDrawnOrMade) {
  QVGraphics none(nullptr, 100);
  EXPECT_EQ(none.context(), nullptr);
  EXPECT_EQ(none.createFontRef("DejaVu Sans", 12), nullptr);
  QVGFont font;
  EXPECT_EQ(none.createCTLineFromCString("text", &font), nullptr);
  EXPECT_EQ(none.getTextLineTypographicBounds("text", &font, nullptr, nullptr, nullptr), 0.0);
  none.setRGBFillColor(1, 0, 0, 1);
  none.fillRect(QVRect{0, 0, 10, 10});
  none.drawTextLine("text", &font, kQVGAlignRight);
  none.setShadowWithBlack(1, 1, 2);
  QVGraphics unwrapped(static_cast<uint8_t*>(nullptr), 10, 10, 40);
  EXPECT_EQ(unwrapped.context(), nullptr);
}

}  // namespace
