#include "core/process_image.h"

#include "core/engine_lock.h"
#include "core/pixel_transfer.h"
#include "core/process_pass_internal.h"
#include "core/processing_tables.h"
#include "core/processing_tables_internal.h"
#include "core/settings_record.h"
#include "core/task_pool.h"
#include "tests/core/frame_test_util.h"
#include "tests/core/host_pixels.h"
#include "tests/core/process_reference.h"
#include "tests/core/test_corrections.h"
#include "tests/failing_nothrow_new.h"
#include "platform/alert_script.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Pool {
  explicit Pool(uint32_t n) {
    VLMPSetProcessorCountOverride(n);
    VLMPStartProcessPool();
  }
  ~Pool() {
    VLMPStopProcessPool();
    VLMPSetProcessorCountOverride(0);
  }
};

FramePtr randomFrame(uint32_t w, uint32_t h, uint32_t seed, float lo = -0.1f, float hi = 1.3f) {
  FramePtr f = makeFrame(w, h, kFBPixFormatPlanarFloat);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> any(lo, hi), unit(0.0f, 1.0f);
  for (int p = 0; p < 3; ++p)
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < f->rowBytes / 4; ++x) planeRow(f.get(), p, y)[x] = x % 3 ? unit(rng) : any(rng);
  return f;
}

// Compares the pass over `in` with the model, pixel by pixel inside the width.
void expectMatchesReference(const FBFrameStruct* in, const FBFrameStruct* out, const char* what) {
  size_t values = 0, close = 0;
  double worst = 0;
  for (uint32_t y = 0; y < in->height; ++y)
    for (uint32_t x = 0; x < in->width; ++x) {
      float px[3], want[4];
      for (int p = 0; p < 3; ++p) px[p] = planeRow(const_cast<FBFrameStruct*>(in), p, y)[x];
      ReferencePixel(gFrameSettings, px, want);
      for (int p = 0; p < 4; ++p) {
        float got = planeRow(const_cast<FBFrameStruct*>(out), p, y)[x];
        ASSERT_TRUE(std::isfinite(got)) << what << " at " << x << "," << y << " plane " << p;
        double diff = std::fabs(double(got) - want[p]);
        worst = std::max(worst, diff);
        ++values;
        close += diff <= 1e-5;
        ASSERT_LE(diff, 1e-3) << what << " at " << x << "," << y << " plane " << p << " got " << got << " want "
                              << want[p] << " from " << px[0] << "," << px[1] << "," << px[2];
      }
    }
  EXPECT_GE(double(close), 0.99 * double(values)) << what << ": worst difference " << worst;
}

struct SettingsCase {
  const char* name;
  VL_SettingsStruct settings;
};

// Settings that between them run every stage and every limiter method.
std::vector<SettingsCase> passCases() {
  std::vector<SettingsCase> cases = {
      {"every section, clip method 3", fullCorrection(3)},
      {"clip method 1, secondary previews", fullCorrection(1, true)},
      {"clip method 2", fullCorrection(2)},
      {"limiter preview", fullCorrection(3)},
      {"defaults", defaults()},
  };
  cases[3].settings.limiter_preview = 1;
  return cases;
}

TEST(ProcessImage, MatchesTheReferenceInlineAndInBands) {
  FramePtr in = randomFrame(61, 37, 5);  // width not a multiple of 4, odd height
  for (const SettingsCase& c : passCases()) {
    VL_EngineLockGuard hold;
    EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&c.settings));
    std::vector<FramePtr> outs;
    for (uint32_t n : {1u, 2u, 8u}) {
      Pool pool(n);
      FramePtr out = makeFrame(in->width, in->height, kFBPixFormatPlanarFloat);
      ASSERT_EQ(kQVNoErr, ProcessImage(in.get(), out.get(), 0, 0));
      expectMatchesReference(in.get(), out.get(), c.name);
      outs.push_back(std::move(out));
    }
    for (size_t i = 1; i < outs.size(); ++i)
      EXPECT_EQ(0, memcmp(outs[0]->baseAddr, outs[i]->baseAddr, size_t(outs[0]->planeBytes) * 4))
          << c.name << ": banded result differs from inline";
  }
}

TEST(ProcessImage, EverySectionOffPassesColourAndWritesLuma) {
  VL_SettingsStruct s = defaults();
  s.limiter_enable = 0;
  VL_EngineLockGuard hold;
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
  FramePtr in = randomFrame(9, 8, 2, -1.0f, 4.0f);
  FramePtr out = makeFrame(9, 8, kFBPixFormatPlanarFloat);
  ASSERT_EQ(kQVNoErr, ProcessImage(in.get(), out.get(), 0, 0));
  EXPECT_EQ(0, memcmp(in->baseAddr, out->baseAddr, size_t(in->planeBytes) * 3));
  for (uint32_t y = 0; y < 8; ++y)
    for (uint32_t x = 0; x < 9; ++x) {
      float r = planeRow(in.get(), 0, y)[x], g = planeRow(in.get(), 1, y)[x], b = planeRow(in.get(), 2, y)[x];
      EXPECT_EQ(0.299f * r + 0.587f * g + 0.114f * b, planeRow(out.get(), 3, y)[x]);
    }
}

TEST(ProcessImage, InPlaceEqualsSeparateDestination) {
  VL_SettingsStruct s = fullCorrection();
  VL_EngineLockGuard hold;
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
  Pool pool(3);
  FramePtr in = randomFrame(20, 30, 9), out = makeFrame(20, 30, kFBPixFormatPlanarFloat);
  ASSERT_EQ(kQVNoErr, ProcessImage(in.get(), out.get(), 0, 0));
  ASSERT_EQ(kQVNoErr, ProcessImage(in.get(), in.get(), 0, 0));
  EXPECT_EQ(0, memcmp(in->baseAddr, out->baseAddr, size_t(in->planeBytes) * 4));
}

TEST(ProcessImage, FramesOfDifferentGeometryAreRefused) {
  VL_EngineLockGuard hold;
  VL_SettingsStruct s = defaults();
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
  FramePtr in = randomFrame(8, 8, 1);
  struct Case {
    uint32_t w, h;
    FBPixFormat format;
  } cases[] = {{9, 8, kFBPixFormatPlanarFloat}, {8, 7, kFBPixFormatPlanarFloat}, {8, 8, kFBPixFormat32ARGB},
               {12, 8, kFBPixFormatPlanarFloat}};
  for (const Case& c : cases) {
    FramePtr out = makeFrame(c.w, c.h, c.format);
    std::vector<uint8_t> before(out->baseAddr, out->baseAddr + size_t(out->planeBytes) * out->planeCount);
    EXPECT_EQ(kQVErrParam, ProcessImage(in.get(), out.get(), 0, 0));
    EXPECT_EQ(0, memcmp(before.data(), out->baseAddr, before.size()));
  }
  EXPECT_EQ(kQVErrParam, ProcessImage(in.get(), nullptr, 0, 0));
  EXPECT_EQ(kQVErrParam, ProcessImage(nullptr, in.get(), 0, 0));
}

TEST(ProcessImage, UnalignedWrappedFramesWork) {
  VL_SettingsStruct s = fullCorrection();
  VL_EngineLockGuard hold;
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
  FramePtr in = randomFrame(13, 10, 4);
  FBFrameStruct* wrapped = nullptr;
  // The same pixels at an address that is 4 bytes off a 16-byte boundary.
  std::vector<float> block(size_t(in->planeBytes) + 8);
  float* base = block.data();
  while (reinterpret_cast<uintptr_t>(base) % 16 != 4) ++base;
  memcpy(base, in->baseAddr, size_t(in->planeBytes) * 4);
  ASSERT_EQ(kQVNoErr, FBCreateRGBFrameBufferFromPixelBuffer(base, in->width, in->height, in->rowBytes,
                                                           kFBPixFormatPlanarFloat, &wrapped));
  FramePtr expect = makeFrame(13, 10, kFBPixFormatPlanarFloat);
  ASSERT_EQ(kQVNoErr, ProcessImage(in.get(), expect.get(), 0, 0));
  ASSERT_EQ(kQVNoErr, ProcessImage(wrapped, wrapped, 0, 0));
  EXPECT_EQ(0, memcmp(expect->baseAddr, base, size_t(in->planeBytes) * 4));
  FBDisposeFrameBuffer(wrapped);
}

// NaN and infinities in a host frame must not index outside any table.
TEST(ProcessImage, NonFiniteInputsStayInsideTheTables) {
  VL_SettingsStruct s = fullCorrection();
  VL_EngineLockGuard hold;
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
  const float odd[] = {NAN, INFINITY, -INFINITY, -NAN, 3e38f, -3e38f, 1.0f, 0.0f};
  FramePtr in = makeFrame(8, 8, kFBPixFormatPlanarFloat);
  for (int p = 0; p < 3; ++p)
    for (uint32_t y = 0; y < 8; ++y)
      for (uint32_t x = 0; x < 8; ++x) planeRow(in.get(), p, y)[x] = odd[(x + y * 3 + p * 5) % 8];
  ASSERT_EQ(kQVNoErr, ProcessImage(in.get(), in.get(), 0, 0));  // ASan would catch a stray index
}

// Settings at their limits that would divide by zero: the results stay finite.
TEST(ProcessImage, DivisionsByZeroAreAvoided) {
  struct Case {
    const char* name;
    void (*edit)(VL_SettingsStruct&);
    float r, g, b;
  } cases[] = {
      {"secondary softness 0",
       [](VL_SettingsStruct& s) {
         s.secondaryEnable = 1;
         s.secondary[0].enable = 1;
         s.secondary[0].softness = 0.0f;
         s.secondary[0].sample[0] = {1, 0.5f, 0.5f, 0.5f};
       },
       0.5f, 0.5f, 0.5f},
      {"highlight recovery at its limit",
       [](VL_SettingsStruct& s) {
         s.levelsEnable = 1;
         s.levels[0].enable = 1;
         s.input.inputControls_highlight_recovery = 2.5f;
       },
       0.0f, 0.0f, 0.0f},
      {"composite low with zero denominator",
       [](VL_SettingsStruct& s) {
         s.limiter_enable = 1;
         s.limiter.limiter_clip_method = 2;
         s.limiter.limiter_chroma_min = 5.0f;
       },
       0.01f, 0.01f, 0.01f},
      {"vibrance of a super-white",
       [](VL_SettingsStruct& s) {
         s.hslEnable = s.hslControlsEnable = 1;
         s.hsl[kVLRangeMaster].enable = 1;
         s.hsl[kVLRangeMaster].vibrance = 50.0f;
       },
       1.5f, 0.5f, 0.5f},
      {"HSL curves on a super-white",
       [](VL_SettingsStruct& s) {
         s.curvesEnable = s.hslCurvesEnable = 1;
         setCurve(s.hslCurves[kVLCurveSaturation], {{0, 0.6f}, {1, 0.6f}});
       },
       1.5f, 0.5f, 0.5f},
  };
  for (const Case& c : cases) {
    VL_SettingsStruct s = defaults();
    s.limiter_enable = 0;
    c.edit(s);
    VL_EngineLockGuard hold;
    EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
    FramePtr f = makeFrame(4, 1, kFBPixFormatPlanarFloat);
    for (uint32_t x = 0; x < 4; ++x)
      planeRow(f.get(), 0, 0)[x] = c.r, planeRow(f.get(), 1, 0)[x] = c.g, planeRow(f.get(), 2, 0)[x] = c.b;
    ASSERT_EQ(kQVNoErr, ProcessImage(f.get(), f.get(), 0, 0));
    for (int p = 0; p < 4; ++p) EXPECT_TRUE(std::isfinite(planeRow(f.get(), p, 0)[0])) << c.name << " plane " << p;
    float in[3] = {c.r, c.g, c.b}, want[4];
    ReferencePixel(gFrameSettings, in, want);
    for (int p = 0; p < 4; ++p) EXPECT_NEAR(want[p], planeRow(f.get(), p, 0)[0], 1e-5) << c.name << " plane " << p;
  }
}

TEST(ProcessImage, KnownStageResults) {
  VL_EngineLockGuard hold;
  // Recovery 1.0: threshold 0.6, so white comes out at luma 0.8.
  VL_SettingsStruct s = defaults();
  s.limiter_enable = 0;
  s.levelsEnable = 1;
  s.levels[0].enable = 1;
  s.input.inputControls_highlight_recovery = 1.0f;
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
  FramePtr f = makeFrame(1, 1, kFBPixFormatPlanarFloat);
  for (int p = 0; p < 3; ++p) planeRow(f.get(), p, 0)[0] = 1.0f;
  EXPECT_EQ(kQVNoErr, ProcessImage(f.get(), f.get(), 0, 0));
  EXPECT_NEAR(0.8f, planeRow(f.get(), 3, 0)[0], 1e-6);

  // Secondary preview 3 with no matching sample: black; inverted: white.
  for (uint32_t invert : {0u, 1u}) {
    s = defaults();
    s.limiter_enable = 0;
    s.secondaryEnable = 1;
    s.secondary[2].enable = 1;
    s.secondary[2].preview = 1;
    s.secondary[2].previewMode = 3;
    s.secondary[2].invert = invert;
    s.secondary[2].sample[0] = {1, 1.0f, 0.0f, 0.0f};
    EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
    FramePtr g = makeFrame(4, 1, kFBPixFormatPlanarFloat);
    for (uint32_t x = 0; x < 4; ++x) planeRow(g.get(), 2, 0)[x] = 0.9f;  // blue, far from red
    EXPECT_EQ(kQVNoErr, ProcessImage(g.get(), g.get(), 0, 0));
    for (int p = 0; p < 3; ++p) EXPECT_NEAR(invert ? 1.0f : 0.0f, planeRow(g.get(), p, 0)[1], 1e-5);
  }

  // Limiter preview blackens exactly the grey that reaches the composite maximum.
  s = defaults();
  s.limiter_enable = 1;
  s.limiter_preview = 1;
  s.limiter.limiter_chroma_max = 100.0f;
  s.limiter.limiter_chroma_min = -50.0f;
  s.limiter.limiter_luma_max = 200.0f;
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
  float limit = gFrameSettings.limiter.chromaMax;
  FramePtr h = makeFrame(2, 1, kFBPixFormatPlanarFloat);
  float below = (limit - 1.0f) / 100.0f - 0.01f, at = (limit - 1.0f) / 100.0f + 0.001f;
  for (int p = 0; p < 3; ++p) planeRow(h.get(), p, 0)[0] = below, planeRow(h.get(), p, 0)[1] = at;
  EXPECT_EQ(kQVNoErr, ProcessImage(h.get(), h.get(), 0, 0));
  EXPECT_NEAR(below, planeRow(h.get(), 0, 0)[0], 1e-6);
  EXPECT_EQ(0.0f, planeRow(h.get(), 0, 0)[1]);
}

// Two host threads each build their own correction and process with it; the
// engine lock keeps one thread's tables from changing under the other's pass.
TEST(ProcessImage, EngineLockKeepsCallersApart) {
  Pool pool(4);
  VL_SettingsStruct a = fullCorrection(3), b = defaults();
  b.limiter_enable = 0;
  FramePtr in = randomFrame(64, 48, 3);
  FramePtr wantA = makeFrame(64, 48, kFBPixFormatPlanarFloat), wantB = makeFrame(64, 48, kFBPixFormatPlanarFloat);
  {
    VL_EngineLockGuard hold;
    EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&a));
    EXPECT_EQ(kQVNoErr, ProcessImage(in.get(), wantA.get(), 0, 0));
    EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&b));
    EXPECT_EQ(kQVNoErr, ProcessImage(in.get(), wantB.get(), 0, 0));
  }
  auto run = [&](const VL_SettingsStruct* s, const FBFrameStruct* want, bool* ok) {
    FramePtr out = makeFrame(64, 48, kFBPixFormatPlanarFloat);
    *ok = true;
    for (int i = 0; i < 20; ++i) {
      VL_EngineLockGuard hold;
      EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(s));
      EXPECT_EQ(kQVNoErr, ProcessImage(in.get(), out.get(), 0, 0));
      *ok &= memcmp(out->baseAddr, want->baseAddr, size_t(want->planeBytes) * 4) == 0;
    }
  };
  bool okA = false, okB = false;
  std::thread ta(run, &a, wantA.get(), &okA), tb(run, &b, wantB.get(), &okB);
  ta.join();
  tb.join();
  EXPECT_TRUE(okA);
  EXPECT_TRUE(okB);
}

// Host pixels of one depth, seeded; the float ones also carry values no
// table covers (NaN, infinities, signed zeros, denormals, huge values).
std::vector<uint8_t> hostPixels(const HostFormat& f, uint32_t w, uint32_t h) {
  std::vector<uint8_t> bytes = SeededHostPixels(f, w, h, 77, -0.5f, 2.5f);
  if (f.format != kFBPixFormatFloatARGB) return bytes;
  const float odd[] = {NAN, INFINITY, -INFINITY, -0.0f, 3e38f, -3e38f, 1.0f, 1e-40f, 0.0f};
  for (size_t i = 0; i < bytes.size(); i += 4 * 97) std::memcpy(&bytes[i], &odd[i / 97 % 9], 4);
  return bytes;
}

// Every kernel the processor offers must give the four-lane kernel's results
// bit for bit, inline and with the rows handed out over 2 and 8 tasks, from
// 8-bit, 16-bit and float host pixels. Rows of 44 floats and chunks of odd
// row counts put a pixel at every position within a wide vector.
TEST(ProcessImage, EveryKernelEqualsTheFourLaneKernel) {
  std::vector<uint32_t> wide;
  for (uint32_t lanes : {8u, 16u})
    if (VL_PassLanesAvailable(lanes)) wide.push_back(lanes);
  if (wide.empty()) GTEST_SKIP() << "only the four-lane kernel on this processor";
  struct Lanes {
    ~Lanes() { VL_SetPassLanes(0); }
  } restore;
  const uint32_t w = 41, h = 37;
  for (const HostFormat& f : kHostFormats) {
    const std::vector<uint8_t> pixels = hostPixels(f, w, h);
    FramePtr in = makeFrame(w, h, kFBPixFormatPlanarFloat);
    FBTransferPixToFBFrameSSE(pixels.data(), w * f.bytesPerPixel, 0, f.format, in.get());
    // The pass's planes and the host pixels they give back.
    auto run = [&](uint32_t lanes, uint32_t processors, std::vector<uint8_t>* host) {
      VL_SetPassLanes(lanes);
      Pool pool(processors);
      FramePtr out = makeFrame(w, h, kFBPixFormatPlanarFloat);
      EXPECT_EQ(kQVNoErr, ProcessImage(in.get(), out.get(), 0, 0));
      host->assign(pixels.size(), 0);
      FBTransferFBFrameToPixSSE(out.get(), nullptr, host->data(), w * f.bytesPerPixel, f.format);
      return out;
    };
    for (const SettingsCase& c : passCases()) {
      VL_EngineLockGuard hold;
      EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&c.settings));
      std::vector<uint8_t> wantHost, gotHost;
      FramePtr want = run(4, 1, &wantHost);
      for (uint32_t lanes : wide)
        for (uint32_t processors : {1u, 2u, 8u}) {
          FramePtr got = run(lanes, processors, &gotHost);
          EXPECT_EQ(0, memcmp(want->baseAddr, got->baseAddr, size_t(want->planeBytes) * 4))
              << c.name << ", " << f.name << ": " << lanes << " lanes on " << processors << " processors";
          EXPECT_EQ(wantHost, gotHost) << c.name << ", " << f.name << ": host pixels, " << lanes << " lanes on "
                                       << processors << " processors";
        }
    }
  }
}

// Runs the pass with and without the per-tile rejections, with each kernel
// width the processor has; every pair must match bit for bit. Returns the
// result without them.
FramePtr expectRejectionKeepsEveryBit(const FBFrameStruct* in, const std::string& what) {
  struct Restore {
    ~Restore() {
      VL_SetPassTileRejection(true);
      VL_SetPassLanes(0);
    }
  } restore;
  FramePtr all;
  for (uint32_t lanes : {4u, 8u, 16u}) {
    if (!VL_PassLanesAvailable(lanes)) continue;
    VL_SetPassLanes(lanes);
    all = makeFrame(in->width, in->height, kFBPixFormatPlanarFloat);
    FramePtr skipping = makeFrame(in->width, in->height, kFBPixFormatPlanarFloat);
    VL_SetPassTileRejection(false);
    EXPECT_EQ(kQVNoErr, ProcessImage(in, all.get(), 0, 0));
    VL_SetPassTileRejection(true);
    EXPECT_EQ(kQVNoErr, ProcessImage(in, skipping.get(), 0, 0));
    EXPECT_EQ(0, memcmp(all->baseAddr, skipping->baseAddr, size_t(all->planeBytes) * 4)) << what << ", " << lanes
                                                                                         << " lanes";
  }
  return all;
}

// A tile leaves out the secondary keys that cannot select any of its pixels.
// On fine colour gradients, where the keys' edges (soft and hard) cross
// tiles and many pixels lie just inside or outside them, every kernel gives
// the same bits with the rejection as without it, in every preview mode.
TEST(ProcessImage, SkippingKeysNoPixelOfATileMeetsKeepsEveryBit) {
  const uint32_t w = 515, h = 41;
  FramePtr in = makeFrame(w, h, kFBPixFormatPlanarFloat);
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> grain(-0.002f, 0.002f);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < in->rowBytes / 4; ++x) {
      const float fx = float(x) / w, fy = float(y) / h;
      planeRow(in.get(), 0, y)[x] = fx + grain(rng);
      planeRow(in.get(), 1, y)[x] = fy + grain(rng);
      planeRow(in.get(), 2, y)[x] = 0.5f * (1.0f - fx) + 0.3f * fy;
    }
  planeRow(in.get(), 0, 3)[100] = NAN;
  planeRow(in.get(), 1, 7)[200] = 5.0f;
  struct Case {
    const char* name;
    float softness, chromatol, lumatol;
    uint32_t preview, previewMode, invert;
  };
  const Case cases[] = {
      {"soft edge", 0.05f, 0.05f, 0.1f, 0, 0, 0},
      {"hard edge", 0.0f, 0.03f, 0.05f, 0, 0, 0},
      {"wide soft edge", 0.3f, 0.0f, 0.0f, 0, 0, 0},
      {"inverted", 0.05f, 0.05f, 0.1f, 0, 0, 1},
      {"grey rest", 0.05f, 0.05f, 0.1f, 1, kVLPreviewGreyRest, 0},
      {"red rest, inverted", 0.02f, 0.04f, 0.1f, 1, kVLPreviewRedRest, 1},
      {"matte", 0.0f, 0.05f, 0.2f, 1, kVLPreviewMatte, 0},
  };
  for (const Case& c : cases) {
    VL_SettingsStruct s = defaults();
    s.secondaryEnable = s.secondaryKeyerEnable = 1;
    for (int n = 0; n < 2; ++n) {
      VL_SecondaryControls& k = s.secondary[n];
      k.enable = 1;
      k.softness = c.softness;
      k.chromatol = c.chromatol;
      k.lumatol = c.lumatol;
      k.preview = c.preview;
      k.previewMode = c.previewMode;
      k.invert = c.invert;
      k.hue = 30.0f;
      k.saturation = 140.0f;
      k.gain = 1.1f;
      k.gamma = 0.8f;
      k.sample[0] = {1, 0.3f + 0.3f * n, 0.2f, 0.4f};
      k.sample[2] = {1, 0.8f, 0.7f - 0.4f * n, 0.2f};
    }
    VL_EngineLockGuard hold;
    EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
    FramePtr all = expectRejectionKeepsEveryBit(in.get(), c.name);
    if (c.preview || c.invert) continue;
    // The keys select part of the picture and leave the rest as it was
    // (within the rounding of a Y'UV round trip).
    size_t changed = 0;
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x)
        changed += std::fabs(planeRow(all.get(), 0, y)[x] - planeRow(in.get(), 0, y)[x]) > 1e-3f;
    EXPECT_GT(changed, 0u) << c.name;
    EXPECT_LT(changed, size_t(w) * h / 2) << c.name;
  }
}

// 517 x 23 pixels of luma ramps along the rows from `from` over `span`, the
// planes a little apart row by row, with grain, and NaN, infinities, the
// largest float, -0 and a value far past 1.0 scattered over them.
FramePtr lumaRampFrame(float from, float span) {
  const uint32_t w = 517, h = 23;
  FramePtr in = makeFrame(w, h, kFBPixFormatPlanarFloat);
  std::mt19937 rng(9);
  std::uniform_real_distribution<float> grain(-0.003f, 0.003f);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < in->rowBytes / 4; ++x) {
      const float luma = float(x) / w * span + from;
      for (int p = 0; p < 3; ++p) planeRow(in.get(), p, y)[x] = luma + float(p) * 0.02f * float(y % 5) + grain(rng);
    }
  const float odd[] = {NAN, INFINITY, -INFINITY, 3e38f, -0.0f, 7.0f};
  for (size_t i = 0; i < sizeof odd / sizeof odd[0]; ++i) planeRow(in.get(), int(i % 3), 2 + uint32_t(i) * 3)[40 + i * 80] = odd[i];
  return in;
}

// A tile looks up only the tonal ranges that weigh some pixel of it. On luma
// gradients that cross the ranges' edges tile by tile, with values past 1.0,
// NaN and infinities among them (the extension above 1.0 still applies to
// the ranges left out), the results keep every bit, with every tonal stage
// on and with each alone.
TEST(ProcessImage, SkippingTonalRangesNoPixelOfATileWeighsKeepsEveryBit) {
  FramePtr in = lumaRampFrame(-0.05f, 1.2f);
  struct Case {
    const char* name;
    void (*only)(VL_SettingsStruct& s);
  };
  const Case cases[] = {
      {"every section", nullptr},
      {"HSL ranges", [](VL_SettingsStruct& s) { s.hslEnable = s.hslControlsEnable = 1; }},
      {"RGB and CMY ranges", [](VL_SettingsStruct& s) { s.rgbEnable = s.cmyEnable = 1; }},
      {"Y'CbCr ranges", [](VL_SettingsStruct& s) { s.ycbcrEnable = 1; }},
  };
  for (const Case& c : cases) {
    VL_SettingsStruct s = fullCorrection();
    if (c.only) {
      VL_SettingsStruct off = defaults();
      off.limiter_enable = 0;
      off.lumaRangesEnable = 1;
      off.lumaRanges = s.lumaRanges;
      std::memcpy(off.hsl, s.hsl, sizeof s.hsl);
      std::memcpy(off.rgb, s.rgb, sizeof s.rgb);
      std::memcpy(off.cmy, s.cmy, sizeof s.cmy);
      std::memcpy(off.ycbcr, s.ycbcr, sizeof s.ycbcr);
      c.only(off);
      s = off;
    }
    VL_EngineLockGuard hold;
    EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
    expectRejectionKeepsEveryBit(in.get(), c.name);
  }
}

// A range left out of a tile stands at +0, which is its term's exact value
// only when its table has no negative entry, -0 among them. Tables that do
// are looked up all the same: with -0 at the foot of every red range table, a
// cyan pixel (red 0, luma past 1.0: highlight weight alone) keeps the -0 its
// blend gives.
TEST(ProcessImage, RangesWithNegativeEntriesAreLookedUpEvenWithoutWeight) {
  VL_SettingsStruct s = defaults();
  s.limiter_enable = 0;
  s.rgbEnable = 1;
  for (int r = 0; r < 4; ++r) s.rgb[r].enable = r != kVLRangeMaster, s.rgb[r].gamma = 0.9f;
  FramePtr in = makeFrame(64, 2, kFBPixFormatPlanarFloat);
  for (uint32_t y = 0; y < 2; ++y)
    for (uint32_t x = 0; x < in->rowBytes / 4; ++x)
      for (int p = 0; p < 3; ++p) planeRow(in.get(), p, y)[x] = p == 0 ? 0.0f : 2.0f;
  VL_EngineLockGuard hold;
  ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
  for (int k = 0; k < 3; ++k) gVLTableStorage.rgbRange[0][k][0] = -0.0f;
  gVLTableInputs.packedRGBRange[0] = false;
  VLPackTables(&gVLFrameSettingsStorage.tables);
  expectRejectionKeepsEveryBit(in.get(), "-0 entries");
  FramePtr out = makeFrame(64, 2, kFBPixFormatPlanarFloat);
  ASSERT_EQ(kQVNoErr, ProcessImage(in.get(), out.get(), 0, 0));
  EXPECT_TRUE(std::signbit(planeRow(out.get(), 0, 0)[0]));
  VL_ForgetProcessingTableInputs();
}

// The RGB master stage run straight into the RGB curves looks each channel up
// once, in their composed table. Over values below 0, across 1.0 (where the
// master's extension takes over) and far past it, NaN and infinities, with
// master gains and curves that push the value between the two past 1.0 and
// below 0 (so it is held and extended as before), every kernel gives the
// bits of the two stages run one after the other.
TEST(ProcessImage, ComposedMasterAndCurveLookupKeepsEveryBit) {
  FramePtr in = lumaRampFrame(-0.3f, 2.8f);
  const uint32_t w = in->width, h = in->height;
  struct Case {
    const char* name;
    float gain, pedestal, gamma;
    std::initializer_list<std::pair<float, float>> master, red, blue;
  };
  const Case cases[] = {
      {"gentle", 1.0f, 0.0f, 0.9f, {{0, 0.02f}, {0.5f, 0.53f}, {1, 0.97f}}, {{0, 0}, {1, 1}}, {{0, 0}, {1, 1}}},
      {"hot master, curves past 0 and 1", 1.8f, -0.05f, 0.6f, {{0, 0.1f}, {0.5f, 0.9f}, {1, 1.3f}},
       {{0, -0.2f}, {0.3f, 0.1f}, {1, 1.6f}}, {{0, 0}, {1, 1}}},
      {"steep gamma, falling curve", 1.0f, 0.0f, 2.5f, {{0, 0}, {1, 1}}, {{0, 0}, {1, 1}}, {{0, 0.9f}, {1, 0.0f}}},
  };
  struct Restore {
    ~Restore() {
      VL_SetPassComposedTables(true);
      VL_SetPassLanes(0);
    }
  } restore;
  for (const Case& c : cases) {
    VL_SettingsStruct s = defaults();
    s.limiter_enable = 0;
    s.rgbEnable = 1;
    s.rgb[kVLRangeMaster].enable = 1;
    s.rgb[kVLRangeMaster].gain = c.gain;
    s.rgb[kVLRangeMaster].pedestal = c.pedestal;
    s.rgb[kVLRangeMaster].gamma = c.gamma;
    s.rgb[kVLRangeMaster].channel[2].gamma = 0.8f;
    s.curvesEnable = s.rgbCurvesEnable = 1;
    setCurve(s.rgbCurves[kVLCurveMaster], c.master);
    setCurve(s.rgbCurves[kVLCurveRed], c.red);
    setCurve(s.rgbCurves[kVLCurveBlue], c.blue);
    VL_EngineLockGuard hold;
    // Builds the tables for s and compares the pass apart and together.
    auto expectSameBits = [&](const std::string& what) {
      ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
      VLPassSetup setup;
      VL_PreparePass(gFrameSettings, &setup);
      ASSERT_TRUE(setup.rgbMasterCurves) << what << ": the two stages do not run as one";
      for (uint32_t lanes : {4u, 8u, 16u}) {
        if (!VL_PassLanesAvailable(lanes)) continue;
        VL_SetPassLanes(lanes);
        FramePtr apart = makeFrame(w, h, kFBPixFormatPlanarFloat), together = makeFrame(w, h, kFBPixFormatPlanarFloat);
        VL_SetPassComposedTables(false);
        ASSERT_EQ(kQVNoErr, ProcessImage(in.get(), apart.get(), 0, 0));
        VL_SetPassComposedTables(true);
        ASSERT_EQ(kQVNoErr, ProcessImage(in.get(), together.get(), 0, 0));
        EXPECT_EQ(0, memcmp(apart->baseAddr, together->baseAddr, size_t(apart->planeBytes) * 4))
            << what << ", " << lanes << " lanes";
      }
    };
    expectSameBits(c.name);
    // An edit of either table alone is followed by the composed one.
    setCurve(s.rgbCurves[kVLCurveGreen], {{0, 0.05f}, {0.6f, 0.7f}, {1, 1.1f}});
    expectSameBits(std::string(c.name) + ", green curve edited");
    s.rgb[kVLRangeMaster].channel[1].gamma = 1.3f;
    expectSameBits(std::string(c.name) + ", green master gamma edited");
    // With the Y'CbCr master between them the two stages stay apart.
    s.ycbcrEnable = s.ycbcr[kVLRangeMaster].enable = 1;
    s.ycbcr[kVLRangeMaster].gamma = 0.9f;
    ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
    VLPassSetup setup;
    VL_PreparePass(gFrameSettings, &setup);
    EXPECT_FALSE(setup.rgbMasterCurves) << c.name;
  }
}

// A build that cannot get its memory says so and publishes nothing: the pass
// goes on with the block and tables of the last record built, bit for bit.
TEST(ProcessImage, ABuildThatFailsLeavesTheLastTablesInPlace) {
  struct Case {
    const char* name;
    size_t from, to;
  } cases[] = {
      {"a working table", sizeof(float) * kVLTableSize, sizeof(float) * kVLTableSize},
      {"a curve's basis", 16 * 32768, 16 * 32768},
  };
  PLAlertScriptBegin();
  VL_SettingsStruct before = fullCorrection(1), after = fullCorrection(3);
  after.hsl[0].hue = 40.0f;
  // A curve edited too, so that the build must evaluate the curves again
  // (tables whose inputs are unchanged are not rebuilt).
  after.rgbCurves[kVLCurveRed].spline.y[1] = 0.45f;
  FramePtr in = randomFrame(21, 6, 8);
  VL_EngineLockGuard hold;
  for (const Case& c : cases) {
    ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(&before));
    FramePtr want = makeFrame(21, 6, kFBPixFormatPlanarFloat), got = makeFrame(21, 6, kFBPixFormatPlanarFloat);
    ASSERT_EQ(kQVNoErr, ProcessImage(in.get(), want.get(), 0, 0));
    std::vector<uint8_t> block(sizeof gFrameSettings);
    memcpy(block.data(), &gFrameSettings, block.size());
    {
      FailNothrowAllocations fail(c.from, c.to);
      EXPECT_EQ(kQVErrMemory, VL_UpdateProcessingTables(&after)) << c.name;
    }
    EXPECT_EQ(0, memcmp(block.data(), &gFrameSettings, block.size())) << c.name;
    ASSERT_EQ(kQVNoErr, ProcessImage(in.get(), got.get(), 0, 0));
    EXPECT_EQ(0, memcmp(want->baseAddr, got->baseAddr, size_t(want->planeBytes) * 4)) << c.name;
    EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&after)) << c.name;
  }
  EXPECT_EQ(kQVErrParam, VL_UpdateProcessingTables(nullptr));
  EXPECT_FALSE(PLAlertScriptRecorded().empty());
  PLAlertScriptEnd();
}

// Results worked out by hand on single pixels.
TEST(ProcessImage, ResultsWorkedByHand) {
  struct Case {
    const char* name;
    void (*edit)(VL_SettingsStruct&);
    float in[3], want[3];
  } cases[] = {
      // A super-white past lightness 1 has no HSL saturation to scale: it
      // comes back as its lightness, (1.47 + 0.53) / 2, in every channel.
      {"HSL curves on a super-white",
       [](VL_SettingsStruct& s) {
         s.curvesEnable = s.hslCurvesEnable = 1;
         setCurve(s.hslCurves[kVLCurveSaturation], {{0, 0.6f}, {1, 0.6f}});
       },
       {1.27f, 0.53f, 1.47f},
       {1.0f, 1.0f, 1.0f}},
      // The master's own gain and pedestal act on Y alone: a grey stays grey
      // at 1.1 x 0.502 + 0.1; the Cr gain has no chroma to act on.
      {"Y'CbCr master gain and pedestal on a grey",
       [](VL_SettingsStruct& s) {
         s.ycbcrEnable = 1;
         s.ycbcr[kVLRangeMaster].enable = 1;
         s.ycbcr[kVLRangeMaster].gain = 1.1f;
         s.ycbcr[kVLRangeMaster].pedestal = 0.1f;
         s.ycbcr[kVLRangeMaster].channel[2].gain = 0.5f;
       },
       {0.502f, 0.502f, 0.502f},
       {0.6522f, 0.6522f, 0.6522f}},
      // A Cb pedestal stays a tint: blue up by 1.772 x 0.1, green down by 0.344136 x 0.1.
      {"Y'CbCr master Cb pedestal",
       [](VL_SettingsStruct& s) {
         s.ycbcrEnable = 1;
         s.ycbcr[kVLRangeMaster].enable = 1;
         s.ycbcr[kVLRangeMaster].channel[1].ped = 0.1f;
       },
       {0.5f, 0.5f, 0.5f},
       {0.5f, 0.4655864f, 0.6772f}},
  };
  VL_EngineLockGuard hold;
  for (const Case& c : cases) {
    VL_SettingsStruct s = defaults();
    s.limiter_enable = 0;
    c.edit(s);
    ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
    FramePtr f = makeFrame(4, 1, kFBPixFormatPlanarFloat);
    for (int p = 0; p < 3; ++p)
      for (uint32_t x = 0; x < 4; ++x) planeRow(f.get(), p, 0)[x] = c.in[p];
    ASSERT_EQ(kQVNoErr, ProcessImage(f.get(), f.get(), 0, 0));
    for (int p = 0; p < 3; ++p) EXPECT_NEAR(c.want[p], planeRow(f.get(), p, 0)[0], 2e-5) << c.name << " channel " << p;
  }
}

}  // namespace
