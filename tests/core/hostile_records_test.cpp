// Finite in, finite out: records full of values no control would give (huge,
// tiny, negative, NaN, infinite) and pixels of any finite size go through the
// table builder, the pass and every host layout; every table entry, and every
// output value whose pixel was finite, must be finite.
#include "core/engine_lock.h"
#include "core/pixel_transfer.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "core/processing_tables_internal.h"
#include "core/settings_ranges.h"
#include "platform/alert_script.h"
#include "tests/core/frame_test_util.h"
#include "tests/core/test_corrections.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr float kHostile[] = {3.4e38f,  -3.4e38f, 1e30f,    -1e30f, 1e10f,  -1e10f, 1e-30f, -1e-30f,
                              1e-40f,   0.0f,     -0.0f,    0.5f,   1.0f,   -1.0f,  255.0f, 1e5f,
                              std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity()};

float hostile(std::mt19937& rng) {
  std::uniform_int_distribution<size_t> pick(0, std::size(kHostile) - 1);
  return kHostile[pick(rng)];
}

// Every word of the record hostile: a float from the list above, or a small
// number that switches sections on, picks methods and modes, or counts points.
VL_SettingsStruct hostileRecord(uint32_t seed) {
  std::mt19937 rng(seed);
  VL_SettingsStruct s = fullCorrection(3, seed % 2 == 0);
  std::vector<uint32_t> words(sizeof s / 4);
  std::memcpy(words.data(), &s, sizeof s);
  std::uniform_int_distribution<int> kind(0, 9), small(0, 5);
  for (uint32_t& w : words) {
    int k = kind(rng);
    if (k < 4) continue;  // keep some of the full correction
    if (k < 6) {
      w = uint32_t(small(rng));
    } else {
      float f = hostile(rng);
      std::memcpy(&w, &f, 4);
    }
  }
  std::memcpy(&s, words.data(), sizeof s);
  return s;
}

// The full correction with every float field named in the field table set to
// the same hostile value at once.
VL_SettingsStruct everyFieldAt(float value) {
  VL_SettingsStruct s = fullCorrection(3);
  for (const VLSettingsFieldName& f : kSettingsFieldNames)
    if (f.type == kVLFieldFloat) std::memcpy(reinterpret_cast<uint8_t*>(&s) + f.offset, &value, 4);
  return s;
}

// Finite pixels of every size, from the largest float to denormals.
float hostilePixel(std::mt19937& rng) {
  std::uniform_int_distribution<int> kind(0, 3);
  std::uniform_real_distribution<float> unit(-0.5f, 1.5f);
  float f = kind(rng) == 0 ? unit(rng) : hostile(rng);
  return std::isfinite(f) ? f : 2.0f;
}

void expectFiniteTables(const char* what) {
  const float* t = reinterpret_cast<const float*>(&gVLTableStorage);
  const size_t n = sizeof gVLTableStorage / sizeof(float);
  for (size_t i = 0; i < n; ++i)
    if (!std::isfinite(t[i])) {
      ADD_FAILURE() << what << ": table value " << i << " is " << t[i];
      return;
    }
}

// Host layouts that carry floats, where a non-finite result would show.
struct FloatLayout {
  const char* name;
  FBPixFormat format;
};
constexpr FloatLayout kFloatLayouts[] = {{"fargb", kFBPixFormatFloatARGB},
                                         {"frgba", kFBPixFormatFloatRGBA},
                                         {"fbgra", kFBPixFormatFloatBGRA},
                                         {"yccf", kFBPixFormatYCbCrFloat}};
// Integer layouts run too: their conversions must not misbehave on any value.
constexpr FBPixFormat kIntegerLayouts[] = {kFBPixFormat32ARGB, kFBPixFormatBGRA, kFBPixFormat16ARGB,
                                           kFBPixFormatYCbCr8, kFBPixFormatYCbCr422_601, kFBPixFormatYCbCr422_709};

constexpr uint32_t kW = 19, kH = 5;

void runEveryLayout(const std::string& what) {
  std::mt19937 rng(3);
  // The pass on its own planes.
  FramePtr planar = makeFrame(kW, kH, kFBPixFormatPlanarFloat);
  for (int p = 0; p < 3; ++p)
    for (uint32_t y = 0; y < kH; ++y)
      for (uint32_t x = 0; x < kW; ++x) planeRow(planar.get(), p, y)[x] = hostilePixel(rng);
  ASSERT_EQ(kQVNoErr, ProcessImage(planar.get(), planar.get(), 0, 0));
  for (int p = 0; p < 4; ++p)
    for (uint32_t y = 0; y < kH; ++y)
      for (uint32_t x = 0; x < kW; ++x)
        ASSERT_TRUE(std::isfinite(planeRow(planar.get(), p, y)[x]))
            << what << ": plane " << p << " at " << x << "," << y << " is " << planeRow(planar.get(), p, y)[x];
  // Through the host layouts, there and back.
  for (const FloatLayout& l : kFloatLayouts) {
    std::vector<float> host(size_t(kW) * kH * 4);
    for (float& v : host) v = hostilePixel(rng);
    FramePtr f = makeFrame(kW, kH, kFBPixFormatPlanarFloat);
    FBTransferPixToFBFrameSSE(host.data(), kW * 16, 0, l.format, f.get());
    ASSERT_EQ(kQVNoErr, ProcessImage(f.get(), f.get(), 0, 0));
    FBTransferFBFrameToPixSSE(f.get(), nullptr, host.data(), kW * 16, l.format);
    for (size_t i = 0; i < host.size(); ++i)
      ASSERT_TRUE(std::isfinite(host[i])) << what << ": " << l.name << " value " << i << " is " << host[i];
  }
  for (FBPixFormat format : kIntegerLayouts) {
    std::vector<uint8_t> host(size_t(kW) * kH * 8);
    for (uint8_t& b : host) b = uint8_t(rng());
    const uint32_t rowBytes = kW * FBPixelBytes(format);
    FramePtr f = makeFrame(kW, kH, kFBPixFormatPlanarFloat);
    FBTransferPixToFBFrameSSE(host.data(), rowBytes, 0, format, f.get());
    ASSERT_EQ(kQVNoErr, ProcessImage(f.get(), f.get(), 0, 0));
    FBTransferFBFrameToPixSSE(f.get(), nullptr, host.data(), rowBytes, format);
  }
}

struct Alerts {
  Alerts() { PLAlertScriptBegin(); }
  ~Alerts() { PLAlertScriptEnd(); }
};

// Every float field at one extreme at once, and records hostile word by word.
TEST(HostileRecords, GiveFiniteTablesAndPixels) {
  std::vector<std::pair<std::string, VL_SettingsStruct>> records;
  for (float value : kHostile) records.emplace_back("every field " + std::to_string(value), everyFieldAt(value));
  for (uint32_t seed = 1; seed <= 40; ++seed) records.emplace_back("seed " + std::to_string(seed), hostileRecord(seed));
  Alerts alerts;
  VL_EngineLockGuard hold;
  for (const auto& [what, s] : records) {
    ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s)) << what;
    expectFiniteTables(what.c_str());
    runEveryLayout(what);
  }
}

// Holding leaves a record inside the ranges bit for bit and brings every
// other value back: to its range, to its default when not a number, to the
// general bound when it has no range. A gamma at or below zero means none
// and stays.
TEST(HostileRecords, HoldingKeepsInRangeValuesAndBringsTheRestBack) {
  for (const VLSettingsFieldRange& r : kVLSettingsFieldRanges) {
    const VLSettingsFieldName* named = nullptr;
    for (const VLSettingsFieldName& f : kSettingsFieldNames)
      if (f.offset == r.offset) named = &f;
    ASSERT_NE(named, nullptr) << "range at " << r.offset << " names no field";
    EXPECT_EQ(kVLFieldFloat, named->type) << named->name;
  }
  for (const VL_SettingsStruct& inside : {fullCorrection(1, true), defaults()}) {
    VL_SettingsStruct held = inside;
    VL_HoldSettingsToRanges(&held);
    EXPECT_EQ(0, std::memcmp(&held, &inside, sizeof held));
  }
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* field;
    float value, want;
  } cases[] = {
      {"hsl_master_saturation", 900.0f, 300.0f},  {"hsl_shadows_hue", -1e9f, -3600.0f},
      {"hsl_master_gain", nan, 1.0f},             {"hsl_master_gamma", 50.0f, 10.0f},
      {"hsl_master_gamma", 0.01f, 0.1f},          {"hsl_master_gamma", 0.0f, 0.0f},
      {"hsl_master_gamma", -2.0f, -2.0f},         {"rgb_midtones_g_ped", 3.0f, 1.0f},
      {"limiter_softclip_knee", 20.0f, 60.0f},    {"limiter_chroma_min", -std::numeric_limits<float>::infinity(), -30.0f},
      {"ycbcr_master_gain", 1e20f, kVLSettingsFieldMagnitude},
      {"secondary_a_softness", -1e30f, -kVLSettingsFieldMagnitude},
      {"levels_master_inblackpt", 0.25f, 0.25f},
  };
  for (const Case& c : cases) {
    const VLSettingsFieldName* f = VL_FindSettingsField(c.field);
    ASSERT_NE(f, nullptr) << c.field;
    VL_SettingsStruct s = defaults();
    std::memcpy(reinterpret_cast<uint8_t*>(&s) + f->offset, &c.value, 4);
    VL_HoldSettingsToRanges(&s);
    float got;
    std::memcpy(&got, reinterpret_cast<const uint8_t*>(&s) + f->offset, 4);
    EXPECT_EQ(c.want, got) << c.field << " from " << c.value;
  }
}

}  // namespace
