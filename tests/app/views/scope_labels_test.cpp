// The scopes' label font and the pane labels: corner placement, the
// shadowed labels' grey ring, right alignment and the cut of long texts.
#include "app/views/scope_labels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>

namespace {

using Picture = std::unique_ptr<TKImage, TKImageDisposer>;

// The box of pixels whose red is at least `red`: left, top, right, bottom
// (inclusive); left > right when none.
struct Box {
  int32_t left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
};
Box PixelsAbove(TKImage* image, uint32_t red) {
  Box b;
  for (int32_t y = 0; y < TKImageHeight(image); ++y)
    for (int32_t x = 0; x < TKImageWidth(image); ++x)
      if ((TKImageGetPixel(image, x, y) >> 16 & 0xFF) >= red) {
        b.left = std::min(b.left, x);
        b.right = std::max(b.right, x);
        b.top = std::min(b.top, y);
        b.bottom = std::max(b.bottom, y);
      }
  return b;
}

Picture Filled(int32_t w, int32_t h, double grey) {
  Picture p(TKImageCreate(w, h));
  TKContext* ctx = TKBeginDrawing(p.get());
  TKClear(ctx, TKColor{grey, grey, grey, 1});
  TKEndDrawing(ctx);
  return p;
}

TEST(ScopeLabels, ScopeFontIsTheInterfaceSizeAtMostAnEighteenthOfTheHeight) {
  struct Case {
    int32_t height, size;
  } cases[] = {{10, 0}, {18, 1}, {100, 5}, {198, 11}, {216, 11}, {1080, 11}};
  for (const Case& c : cases) {
    TKFont font;
    EXPECT_EQ(SetScopeFont(TKMakeRect(0, 0, 300, c.height), &font), c.size) << c.height;
    EXPECT_EQ(font.size, c.size);
    EXPECT_FALSE(font.bold);
    EXPECT_FALSE(font.italic);
  }
}

TEST(ScopeLabels, CornerLabelsSitInTheirCornersSixPixelsFromTheSide) {
  const TKRect rect = TKMakeRect(20, 10, 300, 240);  // size 10: 240 / 24
  for (int32_t corner = 0; corner < 4; ++corner) {
    Picture p = Filled(340, 260, 0);
    TKContext* ctx = TKBeginDrawing(p.get());
    DrawPaneCornerLabels(ctx, &rect, "Mg", corner);
    TKEndDrawing(ctx);
    const Box b = PixelsAbove(p.get(), 200);
    ASSERT_LE(b.left, b.right) << "label drawn in corner " << corner;
    EXPECT_LE(b.bottom - b.top, 12) << corner;
    const bool right = corner == 1 || corner == 3, top = corner >= 2;
    if (right) {
      EXPECT_LE(b.right, rect.right - 6) << corner;
      EXPECT_GE(b.right, rect.right - 9) << corner;
    } else {
      EXPECT_GE(b.left, rect.left + 6) << corner;
      EXPECT_LE(b.left, rect.left + 9) << corner;
    }
    if (top) {
      EXPECT_GE(b.top, rect.top + 2) << corner;
      EXPECT_LE(b.bottom, rect.top + 20) << corner;
    } else {
      EXPECT_LE(b.bottom, rect.bottom) << corner;
      EXPECT_GE(b.top, rect.bottom - 20) << corner;
    }
  }
  // Nothing for an empty text, an unknown corner or a rect too low for a 1-point size.
  Picture p = Filled(340, 260, 0);
  TKContext* ctx = TKBeginDrawing(p.get());
  DrawPaneCornerLabels(ctx, &rect, "", 0);
  DrawPaneCornerLabels(ctx, &rect, "Mg", 4);
  const TKRect low = TKMakeRect(0, 0, 300, 23);
  DrawPaneCornerLabels(ctx, &low, "Mg", 0);
  TKEndDrawing(ctx);
  const Box none = PixelsAbove(p.get(), 1);
  EXPECT_GT(none.left, none.right);
}

TEST(ScopeLabels, ShadowedLabelsAreWhiteOverADarkRing) {
  const TKFont font{"Helvetica", 14, false, false};
  Picture p = Filled(200, 60, 0.5);  // mid grey, so the dark ring shows
  TKContext* ctx = TKBeginDrawing(p.get());
  DrawPaneLabelShadowed(ctx, font, "Hi", 20, 30);
  TKEndDrawing(ctx);
  const Box white = PixelsAbove(p.get(), 250);
  ASSERT_LE(white.left, white.right);
  EXPECT_GE(white.left, 20);
  EXPECT_LE(white.bottom, 31);
  // The ring: dark pixels just outside the white ones on each side.
  int32_t dark = 0;
  for (int32_t y = white.top - 1; y <= white.bottom + 1; ++y)
    for (int32_t x : {white.left - 1, white.right + 1}) dark += (TKImageGetPixel(p.get(), x, y) >> 16 & 0xFF) < 0x40;
  EXPECT_GT(dark, 2);

  // The right-aligned twin ends where the left one would, given its width.
  const double width = TKMeasureText(font, "Hi").width;
  Picture q = Filled(200, 60, 0.5);
  ctx = TKBeginDrawing(q.get());
  DrawPaneLabelShadowedRight(ctx, font, "Hi", 20 + width, 30);
  TKEndDrawing(ctx);
  const Box twin = PixelsAbove(q.get(), 250);
  EXPECT_EQ(twin.left, white.left);
  EXPECT_EQ(twin.right, white.right);

  // A long text is cut at 200 bytes: its right-aligned end lands at the
  // right edge only when the measured text is the cut one.
  const std::string longText(400, 'M');
  Picture r = Filled(200, 60, 0.5);
  ctx = TKBeginDrawing(r.get());
  DrawPaneLabelShadowedRight(ctx, font, longText.c_str(), 190, 30);
  TKEndDrawing(ctx);
  const Box cut = PixelsAbove(r.get(), 250);
  ASSERT_LE(cut.left, cut.right);
  EXPECT_LE(cut.right, 190);
  EXPECT_GE(cut.right, 180);
}

}  // namespace
