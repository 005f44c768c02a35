// Drawing the leader test patterns.

#include "media/test_pattern.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const TestPatternLevels kLevels[5] = {
    {0, 0, 49151, 65535},
    {0, 4883, 49151, 65535},
    {4096, 4112, 46324, 60395},
    {0, 4112, 46324, 60395},
    {4112, 4112, 46324, 60395},
};

// 75% bars in Y'CbCr, left to right: white, yellow, cyan, green, magenta, red, blue, black.
const uint8_t kBarsYCbCr[8][3] = {{180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
                                  {84, 184, 198},  {65, 100, 212}, {35, 212, 114}, {16, 128, 128}};
// Which of red, green, blue are lit in each bar.
const uint8_t kBarsRGB[8][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0}, {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
// The reverse-bar strip: blue, black, magenta, black, cyan, black, white.
const int kReverse[7] = {6, 7, 4, 7, 2, 7, 0};

struct Painter {
  TestPatternImage* image;
  uint32_t variant;
  TestPatternLevels levels;
  double gamma;

  uint16_t Bend(uint16_t v) const {
    if (variant == 5 || !(gamma > 0) || gamma == 1.0) return v;
    return uint16_t(std::lround(65535.0 * std::pow(v / 65535.0, 1.0 / gamma)));
  }
  TestPatternColor Grey(uint16_t level) const {
    if (variant == 5) {
      // Y' from the 16-bit level; no colour.
      return TestPatternColor{level, 128 << 8, 128 << 8};
    }
    const uint16_t v = Bend(level);
    return TestPatternColor{v, v, v};
  }
  TestPatternColor Bar(int bar, bool full) const {
    if (variant == 5) {
      if (full && bar == 0) return TestPatternColor{235 << 8, 128 << 8, 128 << 8};
      return TestPatternColor{uint16_t(kBarsYCbCr[bar][0] << 8), uint16_t(kBarsYCbCr[bar][1] << 8),
                              uint16_t(kBarsYCbCr[bar][2] << 8)};
    }
    if (full && bar == 0) return Grey(levels.p100);
    const uint16_t on = Bend(levels.p75), off = Bend(levels.black);
    return TestPatternColor{kBarsRGB[bar][0] ? on : off, kBarsRGB[bar][1] ? on : off, kBarsRGB[bar][2] ? on : off};
  }
  void Fill(int32_t top, int32_t left, int32_t bottom, int32_t right, TestPatternColor c) const {
    TestPatternFillRect(image, TestPatternRect{top, left, bottom, right}, c, variant);
  }
};

// Column i of n across [left, left + width).
int32_t Edge(int32_t left, int32_t width, int32_t i, int32_t n) { return left + int32_t(int64_t(width) * i / n); }

void DrawBars(const Painter& p, int32_t left, int32_t width, int32_t top, int32_t bottom, bool full, int count) {
  for (int i = 0; i < count; ++i)
    p.Fill(top, Edge(left, width, i, count), bottom, Edge(left, width, i + 1, count), p.Bar(i, full));
}

void DrawStudioBars(const Painter& p, int32_t left, int32_t width, int32_t height) {
  const int32_t top = height * 2 / 3, strip = top + height / 12;
  for (int i = 0; i < 7; ++i)
    p.Fill(0, Edge(left, width, i, 7), top, Edge(left, width, i + 1, 7), p.Bar(i, false));
  for (int i = 0; i < 7; ++i)
    p.Fill(top, Edge(left, width, i, 7), strip, Edge(left, width, i + 1, 7), p.Bar(kReverse[i], false));
  // The bottom: -I, 100% white and +Q patches over five quarters of a column
  // each, black, and the three black-level steps under the fifth column.
  TestPatternColor minusI, plusQ;
  if (p.variant == 5) {
    minusI = {16 << 8, 158 << 8, 95 << 8};
    plusQ = {16 << 8, 174 << 8, 149 << 8};
  } else {
    const uint16_t b = p.Bend(p.levels.black), range = uint16_t(p.levels.p100 - p.levels.black);
    minusI = {b, uint16_t(b + range * 0.245), uint16_t(b + range * 0.415)};
    plusQ = {uint16_t(b + range * 0.255), b, uint16_t(b + range * 0.41)};
  }
  const int32_t q = width / 7;
  const int32_t x1 = left + q * 5 / 4, x2 = left + q * 10 / 4, x3 = left + q * 15 / 4;
  p.Fill(strip, left, height, x1, minusI);
  p.Fill(strip, x1, height, x2, p.Grey(p.levels.p100));
  p.Fill(strip, x2, height, x3, plusQ);
  p.Fill(strip, x3, height, left + width, p.Grey(p.levels.black));
  uint16_t steps[3];
  switch (p.variant) {
    case 3: steps[0] = 1792, steps[1] = 4096, steps[2] = 6400; break;
    case 4: steps[0] = 2048, steps[1] = 4096, steps[2] = 6144; break;
    case 5: steps[0] = 7 << 8, steps[1] = 16 << 8, steps[2] = 25 << 8; break;
    default: steps[0] = 2304, steps[1] = 4864, steps[2] = 7424; break;
  }
  const int32_t plugeLeft = Edge(left, width, 4, 7), plugeWidth = Edge(left, width, 5, 7) - plugeLeft;
  for (int i = 0; i < 3; ++i)
    p.Fill(strip, plugeLeft + plugeWidth * i / 3, height, plugeLeft + plugeWidth * (i + 1) / 3, p.Grey(steps[i]));
}

void DrawSteps(const Painter& p, int32_t left, int32_t width, int32_t height, int steps) {
  const uint16_t low = p.levels.low, high = p.levels.p100;
  if (steps == 6) {
    for (int i = 0; i < 6; ++i)
      p.Fill(0, Edge(left, width, i, 6), height, Edge(left, width, i + 1, 6),
             p.Grey(uint16_t(low + (high - low) * i / 5)));
    return;
  }
  // Eleven steps: one and a half twelfths, nine twelfths, one and a half twelfths.
  for (int i = 0; i < 11; ++i) {
    const int32_t from = i == 0 ? left : Edge(left, width, 2 * i + 1, 24);
    const int32_t to = i == 10 ? left + width : Edge(left, width, 2 * i + 3, 24);
    p.Fill(0, from, height, to, p.Grey(uint16_t(low + (high - low) * i / 10)));
  }
}

void DrawRamp(const Painter& p, int32_t left, int32_t width, int32_t height) {
  const int32_t a = left + width / 10, b = left + width * 9 / 10;
  const uint16_t low = p.levels.low, high = p.levels.p100;
  p.Fill(0, left, height, a, p.Grey(low));
  const double step = (double(high) + 128.0 - double(low)) / double(std::max(b - a, 1));
  for (int32_t x = a; x < b; ++x)
    p.Fill(0, x, height, x + 1, p.Grey(uint16_t(std::min(65535.0, low + step * (x - a)))));
  p.Fill(0, b, height, left + width, p.Grey(high));
}

}  // namespace

bool TestPatternGetLevels(uint32_t variant, TestPatternLevels* levels) {
  if (variant < 1 || variant > 5 || !levels) return false;
  *levels = kLevels[variant - 1];
  return true;
}

double TestPatternHeightConstant(uint32_t height) { return height < 487 ? 125.0 : 100.0; }

double TestPatternWidthConstant(uint32_t width) {
  if (width <= 719) {
    double d;
    const uint64_t bits = 0x40288B9F559B3D08ull;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  return width == 720 ? 13.5 : 14.75;
}

void TestPatternFillRect(TestPatternImage* image, const TestPatternRect& r, TestPatternColor c, uint32_t variant) {
  if (!image || !image->pixels) return;
  const int32_t top = std::max(r.top, 0), left = std::max(r.left, 0);
  const int32_t bottom = std::min<int32_t>(r.bottom, int32_t(image->height));
  const int32_t right = std::min<int32_t>(r.right, int32_t(image->width));
  if (bottom <= top || right <= left) return;
  (void)variant;  // both forms keep their three components' high bytes after the alpha byte
  const uint8_t px[4] = {0xFF, uint8_t(c.c0 >> 8), uint8_t(c.c1 >> 8), uint8_t(c.c2 >> 8)};
  for (int32_t y = top; y < bottom; ++y) {
    uint8_t* row = image->pixels + size_t(y) * image->rowBytes;
    for (int32_t x = left; x < right; ++x) std::memcpy(row + size_t(x) * 4, px, 4);
  }
}

int32_t TestPatternSweepColumns(TestPatternImage* image, int32_t left, int32_t top, int32_t bottom, int32_t columns,
                                uint16_t low, uint16_t high, double a, double b, double c, uint32_t variant) {
  const double step = M_PI / (a * 0.002 * b * c);
  double phase = 0;
  for (int32_t i = 0; i < columns; ++i) {
    const double s = std::sin(phase);
    const uint16_t v = uint16_t(low + std::lround(s * s * (high - low)));
    const TestPatternColor color = variant == 5 ? TestPatternColor{v, 128 << 8, 128 << 8} : TestPatternColor{v, v, v};
    TestPatternFillRect(image, TestPatternRect{top, left + i, bottom, left + i + 1}, color, variant);
    phase += step;
    if (phase > M_PI) phase = 0;
  }
  return left + columns;
}

int32_t TestPatternSweepCycles(TestPatternImage* image, int32_t left, int32_t top, int32_t bottom, int32_t cycles,
                               uint16_t low, uint16_t high, double a, double b, double c, bool falling,
                               uint32_t variant) {
  const double step = M_PI / (a * 0.002 * b * c);
  if (!(step > 0) || cycles <= 0) return left;
  double phase = 0;
  int32_t x = left;
  for (int32_t done = 0; done < cycles && x < int32_t(image->width); ++x) {
    const double s = std::sin(phase);
    const int32_t amount = int32_t(std::lround(s * s * (high - low)));
    const uint16_t v = uint16_t(falling ? high - amount : low + amount);
    const TestPatternColor color = variant == 5 ? TestPatternColor{v, 128 << 8, 128 << 8} : TestPatternColor{v, v, v};
    TestPatternFillRect(image, TestPatternRect{top, x, bottom, x + 1}, color, variant);
    phase += step;
    if (phase > M_PI) {
      phase = 0;
      ++done;
    }
  }
  return x;
}

void TestPatternDraw(TestPatternImage* image, uint32_t kind, uint32_t variant, uint32_t margin, double gamma) {
  if (!image || !image->pixels) return;
  Painter p{image, variant, {}, gamma};
  if (!TestPatternGetLevels(variant, &p.levels)) return;
  const int32_t w = int32_t(image->width), h = int32_t(image->height);
  p.Fill(0, 0, h, w, p.Grey(p.levels.black));
  const int32_t left = std::min<int32_t>(int32_t(margin), w / 2);
  const int32_t width = w - 2 * left;
  if (width <= 0) return;
  const double heightConstant = TestPatternHeightConstant(image->height);
  const double widthConstant = TestPatternWidthConstant(image->width);
  switch (kind) {
    case kPatternColorBars: DrawBars(p, left, width, 0, h, false, 8); break;
    case kPatternColorBarsFullWhite: DrawBars(p, left, width, 0, h, true, 8); break;
    case kPatternStudioBars: DrawStudioBars(p, left, width, h); break;
    case kPatternSixStepGrey: DrawSteps(p, left, width, h, 6); break;
    case kPatternElevenStepGrey: DrawSteps(p, left, width, h, 11); break;
    case kPatternGreyRamp: DrawRamp(p, left, width, h); break;
    case kPatternMultiburst: {
      // Bars over the top third; below, bursts of 0.5, 1, 2, 3, 4 and 4.8 MHz
      // at the picture's sample clock (the width constant, samples per
      // microsecond), each packet a sixth of the width.
      DrawBars(p, left, width, 0, h / 3, false, 8);
      const double megahertz[6] = {0.5, 1.0, 2.0, 3.0, 4.0, 4.8};
      for (int i = 0; i < 6; ++i) {
        const int32_t from = Edge(left, width, i, 6), to = Edge(left, width, i + 1, 6);
        TestPatternSweepColumns(image, from, h / 3, h, to - from, p.levels.black, p.levels.p100, 1000.0,
                                widthConstant, 1.0 / (2.0 * megahertz[i]), variant);
      }
      break;
    }
    case kPatternSweep: {
      // Bars over the top half; below, cycles rising from black whose length
      // follows the line constant, then cycles falling from white.
      DrawBars(p, left, width, 0, h / 2, false, 8);
      int32_t x = TestPatternSweepCycles(image, left, h / 2, h, 4, p.levels.black, p.levels.p100, heightConstant,
                                         widthConstant, 2.0, false, variant);
      TestPatternSweepCycles(image, x, h / 2, h, 8, p.levels.black, p.levels.p100, heightConstant, widthConstant, 1.0,
                             true, variant);
      break;
    }
    default: break;
  }
}
