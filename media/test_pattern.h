// Leader test patterns drawn into 32-bit off-screen pictures: colour bars,
// studio bars with reverse bars and black-level steps, grey steps, a grey
// ramp and two sweep patterns, at five level variants (full-range RGB,
// video-range RGB and packed Y'CbCr).
#pragma once

#include <cstddef>
#include <cstdint>

// A 32-bit picture: four bytes per pixel, rows rowBytes apart.
struct TestPatternImage {
  uint8_t* pixels;
  uint32_t width, height, rowBytes;
};

// A colour of 16-bit components: red, green, blue, or for variant 5 Y', Cb,
// Cr (8-bit values times 256).
struct TestPatternColor {
  uint16_t c0, c1, c2;
};

struct TestPatternRect {
  int32_t top, left, bottom, right;
};

// The levels of a variant (1 to 5): low, black, 75% and 100%.
struct TestPatternLevels {
  uint16_t low, black, p75, p100;
};
bool TestPatternGetLevels(uint32_t variant, TestPatternLevels* levels);

// Pattern kinds.
enum : uint32_t {
  kPatternColorBars = 1,
  kPatternColorBarsFullWhite = 2,
  kPatternStudioBars = 3,
  kPatternSixStepGrey = 4,
  kPatternElevenStepGrey = 5,
  kPatternGreyRamp = 6,
  kPatternMultiburst = 10,
  kPatternSweep = 11,
};

// Clears the picture with the variant's black and draws the pattern; other
// kinds draw only the background. margin is kept clear at the left and
// right; gamma (1.0 none) bends the RGB levels.
void TestPatternDraw(TestPatternImage* image, uint32_t kind, uint32_t variant, uint32_t margin, double gamma);
// Sets every pixel of the rectangle (clipped to the picture): variants 1-4
// as the bytes 0xFF, red, green, blue (high bytes); variant 5 as the bytes
// 0xFF, Y', Cb, Cr.
void TestPatternFillRect(TestPatternImage* image, const TestPatternRect& r, TestPatternColor color, uint32_t variant);

// Sweep lines: one-pixel columns from top to bottom whose grey is
// low + round(sin^2(p) x (high - low)) (inverted: high - that), p rising by
// pi / (a x 0.002 x b x c) a column and starting again past pi.
// A fixed number of columns rising from low; returns the next free column.
int32_t TestPatternSweepColumns(TestPatternImage* image, int32_t left, int32_t top, int32_t bottom, int32_t columns,
                                uint16_t low, uint16_t high, double a, double b, double c, uint32_t variant);
// Whole cycles falling from high (inverted) or rising from low.
int32_t TestPatternSweepCycles(TestPatternImage* image, int32_t left, int32_t top, int32_t bottom, int32_t cycles,
                               uint16_t low, uint16_t high, double a, double b, double c, bool falling,
                               uint32_t variant);

// The size constants: 125.0 below 487 lines, else 100.0; 12.2727... up to
// 719 columns, 13.5 at 720, 14.75 above.
double TestPatternHeightConstant(uint32_t height);
double TestPatternWidthConstant(uint32_t width);
