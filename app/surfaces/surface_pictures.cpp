#include "app/surfaces/surface_pictures.h"

#include <cstring>
#include <map>
#include <string>

#include "platform/ui/ui_draw.h"

namespace {

constexpr int32_t kW = kSurfacePictureWidth;
constexpr int32_t kH = kSurfacePictureHeight;

// Picture positions in bottom-left coordinates, as the overlay places them.
constexpr TKPoint kTrackballOrigin[4] = {{84, 183}, {267, 102}, {449, 183}, {637, 102}};
constexpr int32_t kTrackballSize = 100;
constexpr TKPoint kLEDOrigin[7] = {{34, 465}, {34, 441}, {34, 417}, {34, 394}, {549, 465}, {549, 441}, {549, 417}};
constexpr int32_t kLEDSize = 10;
constexpr int32_t kLineY[4] = {460, 444, 460, 444};
constexpr int32_t kLineX[4] = {121, 121, 366, 366};
constexpr int32_t kDisplayChars = 24;

// A rectangle of bottom-left coordinates (x, y, size) in the picture's
// top-left ones.
TKRect FromBottomLeft(int32_t x, int32_t y, int32_t width, int32_t height) {
  return TKMakeRect(x, kH - y - height, width, height);
}

TKRect Square(int32_t cx, int32_t cy, int32_t radius) {
  return TKRect{cy - radius, cx - radius, cy + radius, cx + radius};
}

TKPoint TrackballCentre(int32_t i) {
  return TKPoint{kTrackballOrigin[i].x + kTrackballSize / 2, kH - kTrackballOrigin[i].y - kTrackballSize / 2};
}

enum class Shape { kRect, kCircle, kRing, kBall };

struct Part {
  Shape shape;
  TKRect bounds;  // top-left coordinates
};

constexpr int32_t kRingOuter = 62;
constexpr int32_t kRingInner = 50;

// The shape of each key table entry, in the table's order.
Part PartOf(int32_t index) {
  if (index < 8) {  // page buttons 1-8: beside the LEDs
    const int32_t row = index < 4 ? index : (index == 7 ? 3 : index - 4);
    const int32_t x = index < 4 ? 48 : 563;
    const TKPoint led = kLEDOrigin[row];
    const int32_t top = kH - led.y - kLEDSize;
    return {Shape::kRect, TKRect{top - 3, x, top + 13, x + 32}};
  }
  if (index < 14) {  // six buttons under the displays
    const int32_t i = index - 8;
    const int32_t x = (i < 3 ? 120 : 365) + 50 * (i % 3);
    return {Shape::kRect, TKRect{72, x, 88, x + 40}};
  }
  if (index < 20) {  // upper knobs
    const int32_t i = index - 14;
    return {Shape::kCircle, Square((i < 3 ? 140 : 390) + 70 * (i % 3), 128, 17)};
  }
  if (index < 24) {
    const TKPoint c = TrackballCentre(index - 20);
    return {Shape::kRing, Square(c.x, c.y, kRingOuter)};
  }
  if (index < 28) {
    const TKPoint c = TrackballCentre(index - 24);
    return {Shape::kBall, Square(c.x, c.y, kRingInner)};
  }
  if (index < 34) {  // knobs with push buttons, between trackballs 1 and 3
    const int32_t i = index - 28;
    return {Shape::kCircle, Square(217 + 40 * i, 180, 15)};
  }
  if (index < 42) {  // the row of buttons along the bottom
    const int32_t i = index - 34;
    return {Shape::kRect, TKRect{440, 40 + 95 * i, 460, 100 + 95 * i}};
  }
  // The two halves of the page display.
  const int32_t left = index == 42 ? 115 : 360;
  return {Shape::kRect, TKRect{22, left, 62, left + 156}};
}

TKColor RGB(int32_t r, int32_t g, int32_t b, double a = 1.0) { return TKColor{r / 255.0, g / 255.0, b / 255.0, a}; }

TKImage* MakeKey() {
  TKImage* image = TKImageCreate(kW, kH);
  if (!image) return nullptr;
  TKContext* ctx = TKBeginDrawing(image);
  TKSetAntialias(ctx, false);
  TKClear(ctx, RGB(255, 255, 255));
  // Rings first, so the balls inside them keep their own colour.
  for (int32_t pass = 0; pass < 2; ++pass) {
    for (int32_t i = 0; i < kSurfaceKeyCount; ++i) {
      const Part p = PartOf(i);
      const bool ring = p.shape == Shape::kRing;
      if (ring != (pass == 0)) continue;
      const SurfaceKeyEntry& e = kSurfaceEditorKeyTable[i];
      TKSetFillColor(ctx, RGB(e.red, e.green, e.blue));
      if (p.shape == Shape::kRect)
        TKFillRect(ctx, p.bounds);
      else
        TKFillOval(ctx, p.bounds);
    }
  }
  TKEndDrawing(ctx);
  return image;
}

TKImage* MakeOverhead() {
  TKImage* image = TKImageCreate(kW, kH);
  if (!image) return nullptr;
  TKContext* ctx = TKBeginDrawing(image);
  TKClear(ctx, RGB(0, 0, 0, 0));
  TKSetFillColor(ctx, RGB(46, 47, 52));
  TKFillRoundRect(ctx, TKRect{4, 4, kH - 4, kW - 4}, 18);
  TKSetStrokeColor(ctx, RGB(90, 92, 100));
  TKSetLineWidth(ctx, 2);
  TKFrameRoundRect(ctx, TKRect{4, 4, kH - 4, kW - 4}, 18);
  for (int32_t i = 0; i < kSurfaceKeyCount; ++i) {
    const Part p = PartOf(i);
    switch (p.shape) {
      case Shape::kRect:
        if (i >= 42) {
          TKSetFillColor(ctx, RGB(18, 30, 22));
          TKFillRoundRect(ctx, p.bounds, 3);
          TKSetStrokeColor(ctx, RGB(10, 10, 12));
          TKFrameRoundRect(ctx, p.bounds, 3);
        } else {
          TKSetFillColor(ctx, RGB(150, 152, 160));
          TKFillRoundRect(ctx, p.bounds, 4);
          TKSetStrokeColor(ctx, RGB(30, 30, 34));
          TKSetLineWidth(ctx, 1);
          TKFrameRoundRect(ctx, p.bounds, 4);
        }
        break;
      case Shape::kCircle: {
        TKSetFillColor(ctx, RGB(24, 24, 27));
        TKFillOval(ctx, p.bounds);
        TKRect cap = p.bounds;
        cap.top += 4, cap.left += 4, cap.bottom -= 4, cap.right -= 4;
        TKSetFillColor(ctx, RGB(88, 90, 96));
        TKFillOval(ctx, cap);
        const int32_t cx = (p.bounds.left + p.bounds.right) / 2;
        TKSetStrokeColor(ctx, RGB(220, 220, 225));
        TKSetLineWidth(ctx, 2);
        TKDrawLine(ctx, cx, cap.top + 1, cx, cap.top + 7);
        break;
      }
      case Shape::kRing:  // the ball is drawn over its middle
        TKSetFillColor(ctx, RGB(70, 72, 78));
        TKFillOval(ctx, p.bounds);
        break;
      case Shape::kBall: {
        TKSetFillColor(ctx, RGB(12, 12, 14));
        TKFillOval(ctx, p.bounds);
        TKRect shine = p.bounds;
        shine.top += 14, shine.left += 18, shine.bottom -= 56, shine.right -= 52;
        TKSetFillColor(ctx, RGB(120, 120, 130, 0.5));
        TKFillOval(ctx, shine);
        break;
      }
    }
  }
  // The LEDs unlit.
  for (const TKPoint& led : kLEDOrigin) {
    TKSetFillColor(ctx, RGB(60, 20, 20));
    TKFillOval(ctx, FromBottomLeft(led.x, led.y, kLEDSize, kLEDSize));
  }
  TKEndDrawing(ctx);
  return image;
}

TKImage* MakeTrackballGlow(TKColor colour) {
  TKImage* image = TKImageCreate(kTrackballSize, kTrackballSize);
  if (!image) return nullptr;
  TKContext* ctx = TKBeginDrawing(image);
  TKClear(ctx, RGB(0, 0, 0, 0));
  colour.alpha = 0.55;
  TKSetFillColor(ctx, colour);
  TKFillOval(ctx, TKRect{0, 0, kTrackballSize, kTrackballSize});
  colour.alpha = 0.85;
  TKSetFillColor(ctx, colour);
  TKFillOval(ctx, TKRect{14, 14, kTrackballSize - 14, kTrackballSize - 14});
  TKEndDrawing(ctx);
  return image;
}

TKImage* MakeLED(TKColor colour) {
  TKImage* image = TKImageCreate(kLEDSize, kLEDSize);
  if (!image) return nullptr;
  TKContext* ctx = TKBeginDrawing(image);
  TKClear(ctx, RGB(0, 0, 0, 0));
  TKSetFillColor(ctx, colour);
  TKFillOval(ctx, TKRect{0, 0, kLEDSize, kLEDSize});
  TKEndDrawing(ctx);
  return image;
}

TKImage* MakeFontStrip() {
  TKImage* image = TKImageCreate(95 * kDotMatrixCellWidth, kDotMatrixCellHeight);
  if (!image) return nullptr;
  TKContext* ctx = TKBeginDrawing(image);
  TKClear(ctx, RGB(0, 0, 0, 0));
  TKSetAntialias(ctx, false);
  TKSetFillColor(ctx, RGB(120, 255, 150));
  for (int32_t c = 0; c < 95; ++c)
    for (int32_t col = 0; col < 5; ++col)
      for (int32_t row = 0; row < 7; ++row)
        if (kDotMatrixFont[c][col] & (1u << row))
          TKFillRect(ctx, TKMakeRect(c * kDotMatrixCellWidth + col, 3 + row, 1, 1));
  TKEndDrawing(ctx);
  return image;
}

}  // namespace

const SurfaceKeyEntry kSurfaceEditorKeyTable[kSurfaceKeyCount] = {
    {255, 255, 0, 0, 74, 1},    {255, 255, 5, 0, 75, 1},    {255, 255, 10, 0, 76, 1},   {255, 255, 15, 0, 77, 1},
    {255, 255, 20, 0, 78, 1},   {255, 255, 25, 0, 79, 1},   {255, 255, 30, 0, 80, 1},   {255, 255, 35, 0, 81, 1},
    {255, 255, 40, 0, 542, 1},  {255, 255, 45, 0, 541, 1},  {255, 255, 50, 0, 544, 1},  {255, 255, 55, 0, 543, 1},
    {255, 255, 60, 0, 546, 1},  {255, 255, 65, 0, 545, 1},  {5, 255, 0, 0, 88, 2},      {10, 255, 0, 0, 89, 2},
    {15, 255, 0, 0, 90, 2},     {20, 255, 0, 0, 91, 2},     {25, 255, 0, 0, 92, 2},     {30, 255, 0, 0, 93, 2},
    {0, 0, 255, 0, 94, 5},      {10, 0, 255, 0, 97, 5},     {20, 0, 255, 0, 100, 5},    {30, 0, 255, 0, 123, 5},
    {0, 255, 255, 0, 95, 4},    {10, 255, 255, 0, 98, 4},   {20, 255, 255, 0, 101, 4},  {30, 255, 255, 0, 124, 4},
    {35, 255, 0, 0, 103, 3},    {40, 255, 0, 0, 104, 3},    {45, 255, 0, 0, 105, 3},    {50, 255, 0, 0, 106, 3},
    {55, 255, 0, 0, 107, 3},    {60, 255, 0, 0, 108, 3},    {255, 255, 70, 0, 513, 1},  {255, 255, 75, 0, 514, 1},
    {255, 255, 80, 0, 515, 1},  {255, 255, 85, 0, 516, 1},  {255, 255, 90, 0, 517, 1},  {255, 255, 95, 0, 518, 1},
    {255, 255, 100, 0, 519, 1}, {255, 255, 105, 0, 520, 1}, {255, 0, 255, 0, 0, 6},     {255, 0, 255, 0, 0, 6},
};

const SurfaceKeyEntry* SurfaceEditorKeyLookup(uint8_t red, uint8_t green, uint8_t blue) {
  if (red == 255 && green == 255 && blue == 255) return nullptr;
  const SurfaceKeyEntry* found = nullptr;
  for (const SurfaceKeyEntry& e : kSurfaceEditorKeyTable)
    if (e.red == red && e.green == green && e.blue == blue) found = &e;
  return found;
}

const SurfaceKeyEntry* SurfaceEditorKeyAt(TKImage* key, int32_t x, int32_t y) {
  if (!key || x < 0 || y < 0 || x >= TKImageWidth(key) || y >= TKImageHeight(key)) return nullptr;
  const uint32_t pixel = TKImageGetPixel(key, x, y);
  return SurfaceEditorKeyLookup(uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel));
}

TKImage* SurfaceEditorLoadImage(const char* name) {
  if (!name) return nullptr;
  const std::string n = name;
  if (n == "KnobwellOverhead.png") return MakeOverhead();
  if (n == "KnobwellKey.png") return MakeKey();
  if (n == "LEDon.png") return MakeLED(RGB(90, 255, 90));
  if (n == "LEDon2.png") return MakeLED(RGB(255, 190, 60));
  if (n == "DotMatrixTiny.png") return MakeFontStrip();
  static const char* const kColours[3] = {"Red", "Green", "Blue"};
  for (int32_t ball = 1; ball <= 4; ++ball) {
    for (int32_t c = 0; c < 3; ++c) {
      if (n != "Trackball" + std::to_string(ball) + kColours[c] + ".png") continue;
      return MakeTrackballGlow(c == 0 ? RGB(255, 40, 40) : c == 1 ? RGB(40, 230, 60) : RGB(50, 90, 255));
    }
  }
  return nullptr;
}

TKImage* SurfaceEditorCachedImage(const char* name) {
  static std::map<std::string, TKImage*> cache;
  if (!name) return nullptr;
  auto it = cache.find(name);
  if (it != cache.end()) return it->second;
  TKImage* image = SurfaceEditorLoadImage(name);
  if (image) cache.emplace(name, image);
  return image;
}

void SurfaceEditorDrawImage(const TKRect& src, const TKRect& dst, TKContext* ctx, TKImage* image) {
  if (!ctx || !image) return;
  TKSave(ctx);
  TKClipRect(ctx, dst);
  const int32_t w = TKImageWidth(image), h = TKImageHeight(image);
  if (std::memcmp(&src, &dst, sizeof src) == 0) {
    TKDrawImage(ctx, image, nullptr, TKMakeRect(0, 0, w, h), false);
  } else if (TKRectWidth(src) > 0 && TKRectHeight(src) > 0) {
    const double sx = double(TKRectWidth(dst)) / TKRectWidth(src);
    const double sy = double(TKRectHeight(dst)) / TKRectHeight(src);
    const int32_t left = int32_t(dst.left - src.left * sx);
    const int32_t top = int32_t(dst.top - src.top * sy);
    TKDrawImage(ctx, image, nullptr, TKMakeRect(left, top, int32_t(w * sx), int32_t(h * sy)), false);
  }
  TKRestore(ctx);
}

TKPoint SurfaceEditorLineOrigin(int32_t lineIndex, int32_t length) {
  const int32_t i = lineIndex < 0 ? 0 : (lineIndex > 3 ? 3 : lineIndex);
  return TKPoint{kLineX[i] + 3 * (kDisplayChars - length), kLineY[i]};
}

void SurfaceEditorDrawOverlay(TKImage* overlay, int32_t page, const uint32_t trackballColors[4],
                              const char* const lines[4], bool active) {
  if (!overlay) return;
  TKContext* ctx = TKBeginDrawing(overlay);
  TKSetBlendMode(ctx, kTKBlendCopy);
  TKClear(ctx, TKColor{0, 0, 0, 0});
  TKSetBlendMode(ctx, kTKBlendNormal);
  if (active) {
    for (int32_t i = 0; i < 4 && trackballColors; ++i) {
      const char* colour = trackballColors[i] == 205 ? "Red" : trackballColors[i] == 341 ? "Green"
                           : trackballColors[i] == 409 ? "Blue" : nullptr;
      if (!colour) continue;
      const std::string name = "Trackball" + std::to_string(i + 1) + colour + ".png";
      TKImage* glow = SurfaceEditorCachedImage(name.c_str());
      if (glow)
        TKDrawImage(ctx, glow, nullptr,
                    FromBottomLeft(kTrackballOrigin[i].x, kTrackballOrigin[i].y, TKImageWidth(glow), TKImageHeight(glow)),
                    false);
    }
    if (page >= 1 && page <= 7) {
      TKImage* led = SurfaceEditorCachedImage(page <= 4 ? "LEDon.png" : "LEDon2.png");
      const TKPoint at = kLEDOrigin[page - 1];
      if (led) TKDrawImage(ctx, led, nullptr, FromBottomLeft(at.x, at.y, TKImageWidth(led), TKImageHeight(led)), false);
    }
    TKImage* font = SurfaceEditorCachedImage("DotMatrixTiny.png");
    for (int32_t l = 0; l < 4 && lines && font; ++l) {
      const char* text = lines[l] ? lines[l] : "";
      const int32_t length = int32_t(strnlen(text, 256));
      const TKPoint origin = SurfaceEditorLineOrigin(l, length);
      for (int32_t i = 0; i < length; ++i) {
        const uint8_t c = uint8_t(text[i]);
        if (c < 32 || c > 126) continue;
        const TKRect src = TKMakeRect((c - 32) * kDotMatrixCellWidth, 0, kDotMatrixCellWidth, kDotMatrixCellHeight);
        const TKRect dst = FromBottomLeft(origin.x + i * kDotMatrixCellWidth, origin.y, kDotMatrixCellWidth,
                                          kDotMatrixCellHeight);
        SurfaceEditorDrawImage(src, dst, ctx, font);
      }
    }
  }
  TKEndDrawing(ctx);
}

TKPoint SurfaceEditorPartCentre(int32_t index) {
  if (index < 0 || index >= kSurfaceKeyCount) return TKPoint{-1, -1};
  const Part p = PartOf(index);
  if (p.shape == Shape::kRing) return TKPoint{(p.bounds.left + p.bounds.right) / 2, p.bounds.top + 6};
  return TKPoint{(p.bounds.left + p.bounds.right) / 2, (p.bounds.top + p.bounds.bottom) / 2};
}
