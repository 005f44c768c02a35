#include "app/controls/input_linearization.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "core/frame_buffer.h"

namespace {

constexpr double kEntryLimit = 1e6;
constexpr float kStepsPerUnit = 16384.0f;

struct TableState {
  std::unique_ptr<float[]> table;
  InputLinearization built{};
  bool valid = false;
  uint32_t builds = 0;
};

TableState& State() {
  static TableState state;
  return state;
}

float Finite(double v) {
  if (std::isnan(v)) return 0.0f;
  return float(std::clamp(v, -kEntryLimit, kEntryLimit));
}

double HeldGamma(float gamma) {
  if (std::isnan(gamma)) return 1.0;
  return std::clamp(double(gamma), 0.1, 5.0);
}

// Levels on the normalised input: black to 0, white to 1.
float Levels(float x, const InputLinearization& r) {
  return (x - float(r.black) / 255.0f) * 255.0f / float(double(r.white) - double(r.black));
}

void FillLevels(const InputLinearization& r, float* t) {
  for (int32_t i = 0; i < kInputLinTableEntries; ++i) t[i] = Finite(Levels(float(i) / kStepsPerUnit, r));
}

void FillLevelsPower(const InputLinearization& r, float* t) {
  const double g = HeldGamma(r.gamma);
  for (int32_t i = 0; i < kInputLinTableEntries; ++i)
    t[i] = Finite(std::pow(std::max(0.0, double(Levels(float(i) / kStepsPerUnit, r))), g));
}

void FillRec709(const InputLinearization& r, float* t) {
  for (int32_t i = 0; i < kInputLinTableEntries; ++i) {
    float v = Levels(float(i) / kStepsPerUnit, r);
    t[i] = v >= 0.081f ? Finite(std::pow((v + 0.099f) * 0.9099181f, 2.2222223f)) : Finite(v * 0.22222222f);
  }
}

// 10 to the ((c - w) x 0.002 / 0.6 / g), scaled so that the black point
// lands on 0 and the white point on 1.
void FillLogToLinear(const InputLinearization& r, float* t) {
  const double g = HeldGamma(r.gamma);
  auto e = [&](double c) { return (c - double(r.white)) * 0.002 / 0.6 / g; };
  const double p = 1.0 / (1.0 - std::pow(10.0, e(double(r.black))));
  for (int32_t i = 0; i < kInputLinTableEntries; ++i) {
    double c = double(float(i) * 0.062438965f);
    t[i] = Finite(p * std::pow(10.0, e(c)) - (p - 1.0));
  }
}

void FillLog12Bit(const InputLinearization& r, float* t) {
  const double b = double(r.black), range = double(r.white) - b;
  t[0] = Finite((37.0 - b) / range);
  for (int32_t i = 1; i < kInputLinTableEntries; ++i) {
    double c = std::floor(36.84342 * std::pow(10.0, double(float(i) * 0.00012487793f)) + 0.5);
    c = std::clamp(c, 0.0, 4095.0);
    t[i] = Finite((c - b) / range);
  }
}

using Filler = void (*)(const InputLinearization&, float*);
const Filler kFillers[7] = {nullptr, FillLevels, FillLevelsPower, FillRec709, FillRec709, FillLogToLinear, FillLog12Bit};

inline float MapValue(const float* table, float v) {
  if (!(v > 0.0f)) v = 0.0f;  // negatives and not a number
  if (v > kInputLinTableMaxInput) v = kInputLinTableMaxInput;
  return table[int32_t(v * kStepsPerUnit + 0.5f)];
}

// Byte offsets of red, green and blue floats within a pixel of the
// interleaved float formats, and the pixel size.
struct FloatLayout {
  uint32_t format;
  int32_t red, green, blue;
};
constexpr FloatLayout kFloatLayouts[] = {
    {kFBPixFormatFloatARGB, 1, 2, 3},
    {kFBPixFormatFloatRGBA, 0, 1, 2},
    {kFBPixFormatFloatBGRA, 2, 1, 0},
};

void MapFrame(FBFrameStruct* frame, const float* table) {
  if (!frame || !frame->baseAddr) return;
  if (frame->pixelFormat == kFBPixFormatPlanarFloat) {
    for (uint32_t plane = 0; plane < 3 && plane < frame->planeCount; ++plane)
      for (uint32_t y = 0; y < frame->height; ++y) {
        float* row = reinterpret_cast<float*>(frame->baseAddr + size_t(plane) * frame->planeBytes + size_t(y) * frame->rowBytes);
        for (uint32_t x = 0; x < frame->width; ++x) row[x] = MapValue(table, row[x]);
      }
    return;
  }
  for (const FloatLayout& l : kFloatLayouts) {
    if (l.format != frame->pixelFormat) continue;
    for (uint32_t y = 0; y < frame->height; ++y) {
      float* px = reinterpret_cast<float*>(frame->baseAddr + size_t(y) * frame->rowBytes);
      for (uint32_t x = 0; x < frame->width; ++x, px += 4) {
        px[l.red] = MapValue(table, px[l.red]);
        px[l.green] = MapValue(table, px[l.green]);
        px[l.blue] = MapValue(table, px[l.blue]);
      }
    }
    return;
  }
}

}  // namespace

InputLinearization InputLinearizationFromWords(const uint32_t words[8]) {
  InputLinearization r{};
  r.flags = int32_t(words[0]);
  r.black = words[1];
  r.white = words[2];
  std::memcpy(&r.gamma, &words[3], 4);
  r.softClip = words[4];
  for (int i = 0; i < 3; ++i) r.reserved[i] = words[5 + i];
  return r;
}

void InputLinearizationToWords(const InputLinearization& r, uint32_t words[8]) {
  words[0] = uint32_t(r.flags);
  words[1] = r.black;
  words[2] = r.white;
  std::memcpy(&words[3], &r.gamma, 4);
  words[4] = r.softClip;
  for (int i = 0; i < 3; ++i) words[5 + i] = r.reserved[i];
}

int32_t InputLinearizationType(const InputLinearization& r) {
  for (int32_t bit = 5; bit >= 0; --bit)
    if (uint32_t(r.flags) & (1u << bit)) return bit + 1;
  return 0;
}

bool InputLinearizationTakesEffect(const InputLinearization& r) {
  if (!(uint32_t(r.flags) & kInputLinearizationActive)) return false;
  const int32_t type = InputLinearizationType(r);
  if (type == 0 || r.white <= r.black) return false;
  return !(type == kInputLinLevels && r.black == 0 && r.white == 255);
}

bool InputLinearizationFillTable(const InputLinearization& record, float* table) {
  if (!table || !InputLinearizationTakesEffect(record)) return false;
  kFillers[InputLinearizationType(record)](record, table);
  return true;
}

void ApplyInputLinearization(FBFrameStruct* frame, const InputLinearization* record) {
  if (!record || !InputLinearizationTakesEffect(*record)) return;
  TableState& s = State();
  if (!s.table) {
    s.table.reset(new (std::nothrow) float[kInputLinTableEntries]);
    if (!s.table) return;
  }
  if (!s.valid || std::memcmp(&s.built, record, sizeof *record) != 0) {
    InputLinearizationFillTable(*record, s.table.get());
    std::memcpy(&s.built, record, sizeof *record);
    s.valid = true;
    ++s.builds;
  }
  MapFrame(frame, s.table.get());
}

void ApplyInputLinearizationWords(FBFrameStruct* frame, const uint32_t record[8]) {
  if (!record) return;
  InputLinearization r = InputLinearizationFromWords(record);
  ApplyInputLinearization(frame, &r);
}

float InputLinearizationLookup(float x) {
  const TableState& s = State();
  return s.valid ? MapValue(s.table.get(), x) : x;
}

uint32_t InputLinearizationBuildCount() { return State().builds; }
