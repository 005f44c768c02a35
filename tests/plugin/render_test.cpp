// Render and smart render through the stand-in host, against the engine's
// own processing of the same frame.
#include <cstring>
#include <set>
#include <vector>
#include <thread>

#include "core/engine_lock.h"
#include "core/frame_buffer.h"
#include "core/pixel_transfer.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "plugin/plugin_data.h"
#include "plugin/render.h"
#include "settings/prefs.h"
#include "tests/failing_nothrow_new.h"
#include "tests/plugin/plugin_test_host.h"
#include "platform/standin_host/sh_layouts.h"

namespace {

constexpr int32_t kWidth = 45;  // not a multiple of four: the vector code's remainder runs too
constexpr int32_t kHeight = 23;

struct Case {
  const char* host;
  SHLayout layout;
  FBPixFormat format;
  bool smart;
};

const Case kCases[] = {
    {"FXTC", kSHLayoutARGB8, kFBPixFormatBGRA, false},   {"FXTC", kSHLayoutARGB8, kFBPixFormatBGRA, true},
    {"FXTC", kSHLayoutARGB16, kFBPixFormat16ARGB, false}, {"FXTC", kSHLayoutARGB16, kFBPixFormat16ARGB, true},
    {"FXTC", kSHLayoutARGBFloat, kFBPixFormatFloatARGB, true},
    {"PPro", kSHLayoutBGRA8, kFBPixFormat32ARGB, false},  {"PPro", kSHLayoutBGRA8, kFBPixFormat32ARGB, true},
    {"PPro", kSHLayoutBGRAFloat, kFBPixFormatFloatBGRA, true},
    {"PPro", kSHLayoutVUYA8, kFBPixFormatYCbCr8, true},   {"PPro", kSHLayoutVUYAFloat, kFBPixFormatYCbCrFloat, true},
    {"PPro", kSHLayoutPProARGBFloat, kFBPixFormatFloatARGB, true}, {"PPro", kSHLayoutARGB8, kFBPixFormatBGRA, true},
    {"FXTC", kSHLayoutARGBFloat, kFBPixFormatFloatARGB, false},
    {"ame ", kSHLayoutARGB16, kFBPixFormat16ARGB, false},
};

uint32_t code(const char* s) { return QVFourCC({s[0], s[1], s[2], s[3], 0}); }

SHFrame inputFrame(SHLayout layout, int32_t index = 0, int32_t width = kWidth, int32_t height = kHeight) {
  SHImage image;
  SHMakeTestImage(width, height, 16, index, &image);
  SHFrame f;
  SHMakeFrame(layout, width, height, 24, &f);
  SHImageToFrame(image, &f);
  return f;
}

SHFrame outputFrame(SHLayout layout, int32_t width = kWidth, int32_t height = kHeight) {
  SHFrame f;
  SHMakeFrame(layout, width, height, 8, &f);
  std::memset(f.world.data, 0x5A, size_t(f.world.row_bytes) * size_t(height));
  return f;
}

// The pixels of two frames, row by row, without their padding.
bool samePixels(const SHFrame& a, const SHFrame& b) {
  size_t bytes = size_t(a.world.width) * size_t(SHGetLayoutInfo(a.layout).bytes_per_pixel);
  for (int32_t y = 0; y < a.world.height; ++y) {
    const uint8_t* ra = static_cast<const uint8_t*>(a.world.data) + size_t(y) * size_t(a.world.row_bytes);
    const uint8_t* rb = static_cast<const uint8_t*>(b.world.data) + size_t(y) * size_t(b.world.row_bytes);
    if (std::memcmp(ra, rb, bytes) != 0) return false;
  }
  return true;
}

// True when every pixel of out carries the alpha of the same pixel of in, bit
// for bit; varied is set when the input's alpha takes more than two values.
bool alphaKept(const SHFrame& in, const SHFrame& out, bool* varied) {
  struct Alpha {
    SHLayout layout;
    size_t offset, size;  // where alpha sits in a pixel
  };
  const Alpha where[] = {{kSHLayoutARGB8, 0, 1},     {kSHLayoutARGB16, 0, 2},    {kSHLayoutARGBFloat, 0, 4},
                         {kSHLayoutBGRA8, 3, 1},     {kSHLayoutBGRAFloat, 12, 4}, {kSHLayoutVUYA8, 3, 1},
                         {kSHLayoutVUYAFloat, 12, 4}, {kSHLayoutPProARGBFloat, 0, 4}};
  const Alpha* a = nullptr;
  for (const Alpha& w : where) {
    if (w.layout == in.layout) a = &w;
  }
  if (!a) return false;
  const size_t bpp = size_t(SHGetLayoutInfo(in.layout).bytes_per_pixel);
  std::set<std::vector<uint8_t>> seen;
  for (int32_t y = 0; y < in.world.height; ++y) {
    const uint8_t* ri = static_cast<const uint8_t*>(in.world.data) + size_t(y) * size_t(in.world.row_bytes);
    const uint8_t* ro = static_cast<const uint8_t*>(out.world.data) + size_t(y) * size_t(out.world.row_bytes);
    for (int32_t x = 0; x < in.world.width; ++x) {
      const uint8_t* pi = ri + size_t(x) * bpp + a->offset;
      if (std::memcmp(pi, ro + size_t(x) * bpp + a->offset, a->size) != 0) return false;
      seen.insert(std::vector<uint8_t>(pi, pi + a->size));
    }
  }
  *varied = seen.size() > 2;
  return true;
}

// A correction in sections that no slider mirrors, so the host's slider
// values (all at their defaults) leave it as it is.
VL_SettingsStruct strongCorrection() {
  VL_SettingsStruct s = DefaultSettings();
  s.levelsEnable = 1;
  s.levels[0].enable = 1;
  s.levels[0].inblackpt = 0.06f;
  s.levels[0].ingraypt = 0.42f;
  s.levels[0].outwhitept = 0.93f;
  s.cmyEnable = 1;
  s.cmy[0].enable = 1;
  s.cmy[0].channel[0].gain = 1.3f;
  s.ycbcrEnable = 1;
  s.ycbcr[0].enable = 1;
  s.ycbcr[0].gamma = 0.85f;
  return s;
}

// What the engine makes of the frame, processed directly.
SHFrame engineRender(const SHFrame& input, FBPixFormat format, VL_SettingsStruct settings, bool hostListed) {
  if (hostListed) {
    settings.linearizationOn = 1;
    settings.linearizeVideoGamma = settings.linearizeLog = 0;
    settings.linearizeSelector3 = settings.linearizeSelector4 = 0;
    uint32_t gammaBits = 0x3F51745C;
    std::memcpy(&settings.linearizationGamma, &gammaBits, 4);
    settings.logBlackPoint = 0;
    settings.logWhitePoint = 255;
  }
  SHFrame out = outputFrame(input.layout, input.world.width, input.world.height);
  VL_EngineLockGuard engine;
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&settings));
  FBFrameStruct* frame = nullptr;
  EXPECT_EQ(FBCreateRGBFrameBuffer(uint32_t(input.world.width), uint32_t(input.world.height), &frame,
                                   kFBPixFormatPlanarFloat),
            kQVNoErr);
  FBTransferPixToFBFrame(input.world.data, uint32_t(input.world.row_bytes), 0, format, frame, 1, nullptr);
  EXPECT_EQ(kQVNoErr, ProcessImage(frame, frame, 0, 0));
  FBTransferFBFrameToPix(frame, out.world.data, uint32_t(out.world.row_bytes), format, 1, nullptr);
  FBTransferPixAlphaToPixAlpha(input.world.data, uint32_t(input.world.row_bytes), out.world.data,
                               uint32_t(out.world.row_bytes), uint32_t(input.world.width),
                               uint32_t(input.world.height), format, 1, nullptr);
  FBDisposeFrameBuffer(frame);
  return out;
}

TEST(PluginRender, DefaultCorrectionReturnsTheInputAtEveryDepth) {
  for (const Case& c : kCases) {
    if (c.layout == kSHLayoutVUYA8) continue;  // 8-bit Y'CbCr cannot carry every colour back unchanged
    PluginTestHost t(code(c.host));
    SHFrame in = inputFrame(c.layout), out = outputFrame(c.layout);
    ASSERT_EQ(SHRender(&t.host, in, &out, 0, c.smart), kHINoErr) << c.host << SHGetLayoutInfo(c.layout).name;
    if (c.layout == kSHLayoutVUYAFloat) {
      SHImage a, b;
      SHFrameToImage(in, 16, &a);
      SHFrameToImage(out, 16, &b);
      for (size_t i = 0; i < a.samples.size(); ++i) ASSERT_NEAR(a.samples[i], b.samples[i], 2) << i;
    } else {
      EXPECT_TRUE(samePixels(in, out)) << c.host << " " << SHGetLayoutInfo(c.layout).name << " smart " << c.smart;
    }
  }
}

// Every layout and depth: the engine's own pixels, and the input's alpha kept bit for bit.
TEST(PluginRender, PixelsMatchTheEnginesOwnProcessing) {
  for (const Case& c : kCases) {
    PluginTestHost t(code(c.host));
    VL_SettingsStruct s = strongCorrection();
    t.setSettings(s);
    SHFrame in = inputFrame(c.layout, 2), out = outputFrame(c.layout);
    ASSERT_EQ(SHRender(&t.host, in, &out, 0, c.smart), kHINoErr);
    SHFrame expected = engineRender(in, c.format, s, std::strcmp(c.host, "FXTC") == 0);
    EXPECT_TRUE(samePixels(expected, out)) << c.host << " " << SHGetLayoutInfo(c.layout).name << " smart " << c.smart;
    EXPECT_FALSE(samePixels(in, out)) << "the correction shows";
    bool varied = false;
    EXPECT_TRUE(alphaKept(in, out, &varied)) << c.host << " " << SHGetLayoutInfo(c.layout).name;
    EXPECT_TRUE(varied) << "the test picture carries varied alpha";
  }
}

// The tables stand for the last record built; an unchanged record in the
// same sequence and load uses them as they are.
TEST(PluginRender, TablesAreRebuiltOnlyWhenTheRecordChanges) {
  PluginTestHost t;
  VL_SettingsStruct s = strongCorrection();
  t.setSettings(s);
  SHFrame in = inputFrame(kSHLayoutARGB8), first = outputFrame(kSHLayoutARGB8);
  ASSERT_EQ(SHRender(&t.host, in, &first, 0, false), kHINoErr);
  {
    // Someone else's tables, behind the plug-in's back.
    VL_EngineLockGuard engine;
    VL_SettingsStruct other = DefaultSettings();
    EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&other));
  }
  SHFrame second = outputFrame(kSHLayoutARGB8);
  ASSERT_EQ(SHRender(&t.host, in, &second, 0, false), kHINoErr);
  EXPECT_TRUE(samePixels(second, in)) << "the unchanged record did not rebuild the tables";
  s.levels[0].outwhitept = 0.8f;
  t.setSettings(s);
  SHFrame third = outputFrame(kSHLayoutARGB8);
  ASSERT_EQ(SHRender(&t.host, in, &third, 0, false), kHINoErr);
  EXPECT_TRUE(samePixels(third, engineRender(in, kFBPixFormatBGRA, s, true)));
}

// The tables are kept only for the same sequence, the same load of the code
// and the same record: another sequence with an equal record, or tables
// built by another load, rebuild them.
TEST(PluginRender, AnotherSequenceOrAnotherLoadRebuildsTheTables) {
  for (int which = 0; which < 2; ++which) {
    PluginTestHost t;
    VL_SettingsStruct s = strongCorrection();
    t.setSettings(s);
    SHFrame in = inputFrame(kSHLayoutARGB8), first = outputFrame(kSHLayoutARGB8);
    ASSERT_EQ(SHRender(&t.host, in, &first, 0, false), kHINoErr);
    HIHandle sequenceA = t.host.sequence_data;
    if (which == 0) {
      // A second instance whose last-build copy equals the record.
      ASSERT_EQ(SHSendCommand(&t.host, kHICmdSequenceSetup), kHINoErr);
      auto* seqA = static_cast<VLSeqData*>(HILockHandle(sequenceA));
      auto* seqB = static_cast<VLSeqData*>(HILockHandle(t.host.sequence_data));
      auto copyA = reinterpret_cast<HIHandle>(uintptr_t(seqA->settingsCopy));
      auto copyB = reinterpret_cast<HIHandle>(uintptr_t(seqB->settingsCopy));
      std::memcpy(HILockHandle(copyB), HILockHandle(copyA), sizeof(VL_SettingsStruct));
      HIUnlockHandle(copyA);
      HIUnlockHandle(copyB);
      HIUnlockHandle(sequenceA);
      HIUnlockHandle(t.host.sequence_data);
    } else {
      auto* g = static_cast<VLGlobalData*>(HILockHandle(t.host.global_data));
      g->lastBuildCode ^= 0x10;  // as if another load of the plug-in had built them
      HIUnlockHandle(t.host.global_data);
    }
    {
      VL_EngineLockGuard engine;
      VL_SettingsStruct other = DefaultSettings();
      EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&other));
    }
    SHFrame second = outputFrame(kSHLayoutARGB8);
    ASSERT_EQ(SHRender(&t.host, in, &second, 0, false), kHINoErr);
    EXPECT_TRUE(samePixels(second, first)) << (which == 0 ? "another sequence" : "another load");
    if (which == 0) {
      SHSendCommand(&t.host, kHICmdSequenceSetdown);
      t.host.sequence_data = sequenceA;
    }
  }
}

TEST(PluginRender, ByteReversedRecordRendersLikeItsNativeTwin) {
  PluginTestHost t;
  VL_SettingsStruct s = strongCorrection();
  SHFrame in = inputFrame(kSHLayoutARGB8), native = outputFrame(kSHLayoutARGB8), reversed = outputFrame(kSHLayoutARGB8);
  for (bool smart : {false, true}) {
    t.setSettings(s);
    ASSERT_EQ(SHRender(&t.host, in, &native, 0, smart), kHINoErr);
    VL_SettingsStruct r = s;
    VL_ByteSwapSettings(&r);
    t.setSettings(r);
    ASSERT_EQ(SHRender(&t.host, in, &reversed, 0, smart), kHINoErr);
    EXPECT_TRUE(samePixels(native, reversed)) << smart;
  }
}

TEST(PluginRender, AShortSettingsValueRendersTheDefaultsAndIsLeftAlone) {
  PluginTestHost t;
  std::vector<uint8_t> bytes(1000, 0x11);
  SHSetArbValue(&t.host, t.index(1), SHHandleFromBytes(bytes.data(), bytes.size()));
  SHFrame in = inputFrame(kSHLayoutARGB16), out = outputFrame(kSHLayoutARGB16);
  for (bool smart : {false, true}) {
    ASSERT_EQ(SHRender(&t.host, in, &out, 0, smart), kHINoErr);
    EXPECT_TRUE(samePixels(in, out));
    EXPECT_EQ(SHHandleBytes(t.settingsHandle()), bytes);
  }
}

TEST(PluginRender, AnUnknownPixelFormatIsAnErrorAndTheOutputStaysAsItWas) {
  for (const char* host : {"FXTC", "PPro"}) {
    PluginTestHost t(code(host));
    SHFrame in = inputFrame(kSHLayoutARGB8), out = outputFrame(kSHLayoutARGB8);
    in.world.pixel_format = out.world.pixel_format = 0x12345678;
    SHFrame untouched = outputFrame(kSHLayoutARGB8);
    for (bool smart : {false, true}) {
      EXPECT_EQ(SHRender(&t.host, in, &out, 0, smart), kHIErrUnrecognizedParamType) << host << smart;
      EXPECT_TRUE(samePixels(out, untouched));
    }
  }
}

// Without the world suite the area is the input's extent hint with its left
// edge rounded down to 16 pixels; a different output hint is cleared first.
TEST(PluginRender, ClassicRenderUsesTheExtentHintWithinBothWorlds) {
  PluginTestHost t(QVFourCC("PPro"));
  t.setSettings(strongCorrection());
  const int32_t w = 80, h = 12;
  SHFrame in = inputFrame(kSHLayoutBGRA8, 1, w, h);
  SHFrame full = outputFrame(kSHLayoutBGRA8, w, h);
  ASSERT_EQ(SHRender(&t.host, in, &full, 0, false), kHINoErr);
  in.world.extent_hint = HIRect{37, 2, w + 50, h + 9};  // reaches past both worlds
  SHFrame part = outputFrame(kSHLayoutBGRA8, w, h);
  ASSERT_EQ(SHRender(&t.host, in, &part, 0, false), kHINoErr);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* a = static_cast<const uint8_t*>(full.world.data) + size_t(y) * size_t(full.world.row_bytes);
    const uint8_t* b = static_cast<const uint8_t*>(part.world.data) + size_t(y) * size_t(part.world.row_bytes);
    for (int32_t x = 0; x < w; ++x) {
      bool inside = y >= 2 && x >= 32;
      if (inside) {
        ASSERT_EQ(std::memcmp(a + 4 * x, b + 4 * x, 4), 0) << x << "," << y;
      } else {
        ASSERT_EQ(b[4 * x] | b[4 * x + 1] | b[4 * x + 2] | b[4 * x + 3], 0) << x << "," << y;
      }
    }
  }
  // An output hint equal to the input's: nothing outside the area is touched.
  SHFrame same = outputFrame(kSHLayoutBGRA8, w, h);
  same.world.extent_hint = in.world.extent_hint;
  ASSERT_EQ(SHRender(&t.host, in, &same, 0, false), kHINoErr);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* b = static_cast<const uint8_t*>(same.world.data) + size_t(y) * size_t(same.world.row_bytes);
    for (int32_t x = 0; x < (y < 2 ? w : 32); ++x) ASSERT_EQ(b[4 * x], 0x5A) << x << "," << y;
  }
}

TEST(PluginRender, ConcurrentRendersGiveTheSerialPixels) {
  PluginTestHost t;
  t.setSettings(strongCorrection());
  const int32_t frames = 8;
  std::vector<SHFrame> inputs, serial, classic, smart;
  for (int32_t i = 0; i < frames; ++i) {
    inputs.push_back(inputFrame(kSHLayoutARGB16, i, 64, 33));
    serial.push_back(outputFrame(kSHLayoutARGB16, 64, 33));
    classic.push_back(outputFrame(kSHLayoutARGB16, 64, 33));
    smart.push_back(outputFrame(kSHLayoutARGB16, 64, 33));
  }
  for (int32_t i = 0; i < frames; ++i) ASSERT_EQ(SHRender(&t.host, inputs[size_t(i)], &serial[size_t(i)], 0, true), kHINoErr);
  // Renders and smart renders from several host threads at once.
  HIError a = kHINoErr, b = kHINoErr;
  std::thread one([&] { a = SHRenderConcurrently(&t.host, inputs, &classic, 0, false, 3); });
  std::thread two([&] { b = SHRenderConcurrently(&t.host, inputs, &smart, 0, true, 3); });
  one.join();
  two.join();
  EXPECT_EQ(a, kHINoErr);
  EXPECT_EQ(b, kHINoErr);
  for (int32_t i = 0; i < frames; ++i) {
    EXPECT_TRUE(samePixels(serial[size_t(i)], classic[size_t(i)])) << i;
    EXPECT_TRUE(samePixels(serial[size_t(i)], smart[size_t(i)])) << i;
  }
}

TEST(PluginRender, HostPixelWordsFollowTheAdjustHostPixelsPreference) {
  struct Listing {
    const char* host;
    const char* listed;
    uint32_t expected;
  } cases[] = {{"FXTC", "FXTC", 1}, {"PPro", "FXTC PPro", 1}, {"PPro", "", 0}, {"PPro", "FXTC", 0}};
  for (const Listing& c : cases) {
    PluginTestHost t(code(c.host));
    std::snprintf(gPrefsSettings.adjustHostPixels, sizeof gPrefsSettings.adjustHostPixels, "%s", c.listed);
    SHFrame in = inputFrame(kSHLayoutARGB8), out = outputFrame(kSHLayoutARGB8);
    ASSERT_EQ(SHRender(&t.host, in, &out, 0, true), kHINoErr);
    auto* seq = static_cast<VLSeqData*>(HILockHandle(t.host.sequence_data));
    auto* copy = static_cast<const VL_SettingsStruct*>(
        HILockHandle(reinterpret_cast<HIHandle>(uintptr_t(seq->settingsCopy))));
    EXPECT_EQ(copy->linearizationOn, c.expected) << c.host << " listed " << c.listed;
    if (c.expected) {
      EXPECT_EQ(copy->logWhitePoint, 255u);
    }
    HIUnlockHandle(reinterpret_cast<HIHandle>(uintptr_t(seq->settingsCopy)));
    HIUnlockHandle(t.host.sequence_data);
  }
  PFLoadDefaultPreferences(&gPrefsSettings);
}

TEST(PluginRender, AFrameThatCannotBeMadeIsAnErrorAndTheOutputStaysAsItWas) {
  for (const char* host : {"FXTC", "PPro"}) {
    PluginTestHost t(code(host));
    t.host.config.max_allocation = 4096;  // the settings and sequence data fit, a working frame does not
    SHLayout layout = std::strcmp(host, "FXTC") == 0 ? kSHLayoutARGB8 : kSHLayoutBGRA8;
    SHFrame in = inputFrame(layout), out = outputFrame(layout), untouched = outputFrame(layout);
    for (bool smart : {false, true}) {
      EXPECT_EQ(SHRender(&t.host, in, &out, 0, smart), kHIErrOutOfMemory) << host << smart;
      EXPECT_TRUE(samePixels(out, untouched));
    }
    t.host.config.max_allocation = UINT64_MAX;
  }
}

TEST(PluginRender, HostMemoryRefusesASizeThatWouldWrap) {
  VLGlobalData g{};
  g.hostCreator = QVFourCC("PPro");
  EXPECT_EQ(AllocateMemoryPointer(0xFFFFFFF0u, "Frame Buffer", &g, nullptr), nullptr);
  EXPECT_EQ(AllocateMemoryPointer(64, "Frame Buffer", nullptr, nullptr), nullptr);
}

// Tables that cannot be built fail the render with the memory error and leave
// the output as it was; nothing is marked as built, so the next render builds
// them and gives the correction.
TEST(PluginRender, TablesThatCannotBeBuiltFailTheRenderAndAreTriedAgain) {
  for (bool smart : {false, true}) {
    PluginTestHost t;
    VL_SettingsStruct s = strongCorrection();
    s.levels[0].inwhitept = smart ? 0.9f : 0.95f;  // a record no earlier test built
    t.setSettings(s);
    SHFrame in = inputFrame(kSHLayoutARGB8), out = outputFrame(kSHLayoutARGB8), untouched = outputFrame(kSHLayoutARGB8);
    {
      // The table build's working copy of the frame block is the one allocation of its size.
      FailNothrowAllocations fail(sizeof(VLFrameSettings), sizeof(VLFrameSettings));
      EXPECT_EQ(SHRender(&t.host, in, &out, 0, smart), kHIErrOutOfMemory) << smart;
    }
    EXPECT_TRUE(samePixels(out, untouched)) << smart;
    ASSERT_EQ(SHRender(&t.host, in, &out, 0, smart), kHINoErr);
    EXPECT_TRUE(samePixels(out, engineRender(in, kFBPixFormatBGRA, s, true))) << smart;
  }
}

// The host's own answer to the pixel-format question decides the format; a
// host that fails the question fails the render with its error.
namespace fake_host {
HIError answerError = kHINoErr;
uint32_t answerFormat = 0;
bool answers = true;  // false: the host returns without setting the format
HIError getPixelFormat(const HIWorld*, uint32_t* format) {
  if (answers) *format = answerFormat;
  return answerError;
}
HIError addFormat(HIEffectRef, uint32_t) { return kHINoErr; }
HIError clearFormats(HIEffectRef) { return kHINoErr; }
const HIWorldSuite2 kWorld = {getPixelFormat};
const HIPixelFormatSuite1 kPixelFormat = {clearFormats, addFormat, getPixelFormat};
HIError acquire(const char* name, int32_t, const void** suite) {
  *suite = std::strcmp(name, kHISuiteWorld) == 0 ? static_cast<const void*>(&kWorld) : &kPixelFormat;
  return kHINoErr;
}
HIError release(const char*, int32_t) { return kHINoErr; }
const HIBasicSuite kBasic = {acquire, release};
}  // namespace fake_host

TEST(PluginRender, TheHostsPixelFormatAnswerIsChecked) {
  struct Answer {
    const char* host;
    bool answers;
    HIError error;
    uint32_t hostFormat;
    HIError want;
    FBPixFormat format;
    int32_t bytes;
  } cases[] = {
      {"FXTC", true, kHINoErr, kHIPixelFormatARGB16, kHINoErr, kFBPixFormat16ARGB, 8},
      {"FXTC", true, kHINoErr, kHIPixelFormatARGBFloat, kHINoErr, kFBPixFormatFloatARGB, 16},
      {"FXTC", true, kHIErrBadCallbackParam, kHIPixelFormatARGB8, kHIErrBadCallbackParam, 0, 0},
      {"FXTC", false, kHINoErr, 0, kHIErrUnrecognizedParamType, 0, 0},
      {"PPro", true, kHINoErr, kHIPixelFormatVUYAFloat, kHINoErr, kFBPixFormatYCbCrFloat, 16},
      {"PPro", false, kHINoErr, 0, kHINoErr, kFBPixFormat32ARGB, 4},  // saying nothing means 8-bit BGRA
      {"PPro", true, kHIErrOutOfMemory, kHIPixelFormatBGRA8, kHIErrOutOfMemory, 0, 0},
  };
  for (const Answer& c : cases) {
    fake_host::answers = c.answers;
    fake_host::answerError = c.error;
    fake_host::answerFormat = c.hostFormat;
    VLGlobalData g{};
    g.hostCreator = code(c.host);
    HIWorld world{};
    FBPixFormat format = 0;
    int32_t bytes = 0;
    EXPECT_EQ(c.want, GetPixelFormatAndSize(&world, &g, &fake_host::kBasic, &format, &bytes)) << c.host << c.hostFormat;
    if (c.want == kHINoErr) {
      EXPECT_EQ(c.format, format) << c.host << c.hostFormat;
      EXPECT_EQ(c.bytes, bytes) << c.host << c.hostFormat;
    }
  }
}

}  // namespace
