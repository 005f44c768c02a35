#include "core/settings_record.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Span {
  uint32_t at;
  uint32_t size;
};

// Preference words that differ from every default, so that a test sees where they go.
VLSettingsPreferenceWords TestPreferenceWords() {
  VLSettingsPreferenceWords p;
  p.limiterDefault = 1;
  p.videoSystem = 3;
  p.videoBlackLevel = 16;
  p.videoWhiteLevel = 235;
  p.videoMinLevel = 4;
  p.videoMaxLevel = 1019;
  p.videoBlackSetup = 1;
  return p;
}

class SettingsRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = VL_GetSettingsPreferenceWords();
    VL_SetSettingsPreferenceWords(TestPreferenceWords());
  }
  void TearDown() override { VL_SetSettingsPreferenceWords(saved_); }
  VLSettingsPreferenceWords saved_;
};

std::unique_ptr<VL_SettingsStruct> ZeroRecord() {
  auto s = std::make_unique<VL_SettingsStruct>();
  std::memset(s.get(), 0, sizeof *s);
  return s;
}

std::unique_ptr<VL_SettingsStruct> RandomRecord(uint32_t seed) {
  auto s = ZeroRecord();
  std::mt19937 rng(seed);
  auto* bytes = reinterpret_cast<uint8_t*>(s.get());
  for (size_t i = 0; i < sizeof *s; ++i) bytes[i] = uint8_t(rng());
  return s;
}

template <typename T>
T At(const VL_SettingsStruct& s, uint32_t offset) {
  T v;
  std::memcpy(&v, reinterpret_cast<const uint8_t*>(&s) + offset, sizeof v);
  return v;
}

// The byte spans each mask bit rewrites, worked out from the record layout
// (kept words inside a section are left out of its spans).
std::vector<Span> SpansOfBit(int bit) {
  std::vector<Span> spans;
  if (bit >= 0 && bit <= 3) spans.push_back({12u + 40u * bit, 40});
  if (bit >= 4 && bit <= 7) spans.push_back({176u + 52u * (bit - 4), 52});
  if (bit >= 8 && bit <= 11) spans.push_back({388u + 52u * (bit - 8), 52});
  if (bit >= 12 && bit <= 15) spans.push_back({600u + 52u * (bit - 12), 52});
  if (bit == 16) {
    spans.push_back({808, 8});  // enable and the unnamed first word
    for (uint32_t w = 0; w < 4; ++w) spans.push_back({812 + 4 + 12 * w + 4, 8});
  }
  if (bit >= 17 && bit <= 21) spans.push_back({868u + 32u * (bit - 17) + 4, 28});
  if (bit == 17) spans.push_back({33540, 8});
  if (bit >= 22 && bit <= 27) spans.push_back({29868u + 124u * (bit - 22), 124});
  if (bit == 28) spans.push_back({33376, 48});
  if (bit == 30) {
    spans.push_back({29832, 4});
    spans.push_back({29844, 16});
  }
  if (bit >= 33 && bit <= 36) spans.push_back({1036u + 4108u * (bit - 33) + 8, 4100});
  if (bit >= 37 && bit <= 39) spans.push_back({17508u + 4108u * (bit - 37) + 8, 4100});
  if (bit == 40) {
    spans.push_back({33508, 4});
    spans.push_back({33524, 4});
  }
  if (bit == 41) {
    spans.push_back({33512, 4});
    spans.push_back({33528, 12});
  }
  if (bit >= 44 && bit <= 49) spans.push_back({30616u + 460u * (bit - 44), 460});
  return spans;
}

// Checks that applying mask to a random record rewrites exactly the given spans
// with the bytes of a complete default record, and nothing else.
void ExpectResetsExactly(VLSettingsSectionMask mask, const std::vector<Span>& spans, uint32_t seed) {
  auto defaults = ZeroRecord();
  VL_SetDefaultControlValues(defaults.get(), kVLMaskAll);
  auto before = RandomRecord(seed);
  auto after = std::make_unique<VL_SettingsStruct>(*before);
  VL_SetDefaultControlValues(after.get(), mask);

  std::vector<bool> covered(sizeof(VL_SettingsStruct), false);
  for (const Span& span : spans) {
    for (uint32_t i = span.at; i < span.at + span.size; ++i) covered[i] = true;
  }
  const auto* d = reinterpret_cast<const uint8_t*>(defaults.get());
  const auto* b = reinterpret_cast<const uint8_t*>(before.get());
  const auto* a = reinterpret_cast<const uint8_t*>(after.get());
  int wrong = 0;
  for (size_t i = 0; i < sizeof(VL_SettingsStruct) && wrong < 4; ++i) {
    uint8_t expect = covered[i] ? d[i] : b[i];
    if (a[i] != expect) {
      ADD_FAILURE() << "mask 0x" << std::hex << mask << std::dec << ": byte " << i << " is "
                    << int(a[i]) << ", expected " << int(expect)
                    << (covered[i] ? " (default)" : " (unchanged)");
      ++wrong;
    }
  }
}

// A complete default record written out field by field from the defaults
// tables, for the given preference words.
std::vector<uint8_t> ExpectedDefaultRecord(const VLSettingsPreferenceWords& p) {
  std::vector<uint8_t> r(kVLSettingsByteCount, 0);
  auto u = [&](uint32_t at, uint32_t v) { std::memcpy(&r[at], &v, 4); };
  auto f = [&](uint32_t at, float v) { std::memcpy(&r[at], &v, 4); };
  u(0, 0x12343210u);
  for (uint32_t range = 0; range < 4; ++range) {
    const uint32_t h = 12 + 40 * range;
    f(h + 8, 100.0f);
    f(h + 24, 0.5f);
    f(h + 28, 1.0f);
    f(h + 32, 1.0f);
    for (uint32_t base : {176u, 388u, 600u}) {
      const uint32_t at = base + 52 * range;
      for (uint32_t k = 0; k < 4; ++k) {
        f(at + 4 + 12 * k, 1.0f);
        f(at + 8 + 12 * k, 1.0f);
      }
    }
  }
  for (uint32_t c = 0; c < 5; ++c) {
    f(868 + 32 * c + 12, 0.5f);
    f(868 + 32 * c + 16, 1.0f);
    f(868 + 32 * c + 24, 0.5f);
    f(868 + 32 * c + 28, 1.0f);
  }
  for (uint32_t c = 0; c < 7; ++c) {
    const uint32_t at = c < 4 ? 1036 + 4108 * c : 17508 + 4108 * (c - 4);
    u(at + 12, 2);
    f(at + 20, 1.0f);
    f(at + 80, c < 4 ? 0.0f : 0.5f);
    f(at + 84, c < 4 ? 1.0f : 0.5f);
  }
  f(29844, 0.3f);
  f(29848, 0.3831f);
  f(29852, 0.7f);
  f(29856, 0.3831f);
  u(29864, 1);
  for (uint32_t n = 0; n < 6; ++n) {
    const uint32_t at = 29868 + 124 * n;
    f(at + 4, 0.05f);
    f(at + 8, 0.1f);
    f(at + 12, 0.05f);
    u(at + 20, 1);
    f(at + 32, 100.0f);
    f(at + 112, 1.0f);
    f(at + 116, 1.0f);
    const uint32_t g = 30616 + 460 * n;
    f(g + 4, 0.05f);
    u(g + 12, 1);
    f(g + 24, 100.0f);
    f(g + 40, 1.0f);
    f(g + 44, 1.0f);
  }
  u(33376, uint32_t(p.limiterDefault));
  f(33384, 110.0f);
  f(33388, -30.0f);
  f(33392, 120.0f);
  f(33400, 90.0f);
  f(33404, 100.0f);
  f(33408, 130.0f);
  u(33412, 3);
  u(33416, uint32_t(p.videoSystem));
  const int32_t video[6] = {p.videoBlackLevel, p.videoWhiteLevel, p.videoMinLevel,
                            p.videoMaxLevel,   p.videoBlackSetup, p.videoSystem};
  for (uint32_t k = 0; k < 6; ++k) u(33480 + 4 * k, uint32_t(video[k]));
  f(33524, 2.2f);
  u(33528, 95);
  u(33532, 685);
  u(33536, 1);
  return r;
}

}  // namespace

TEST(SettingsFieldNames, AreUniqueInRecordOrderAndInsideTheRecord) {
  ASSERT_EQ(318, kSettingsFieldNameCount);
  std::set<std::string> seen;
  uint32_t last = 0;
  for (int i = 0; i < kSettingsFieldNameCount; ++i) {
    const VLSettingsFieldName& f = kSettingsFieldNames[i];
    EXPECT_TRUE(seen.insert(f.name).second) << f.name;
    EXPECT_EQ(&f, VL_FindSettingsField(f.name)) << f.name;
    if (i > 0) {
      EXPECT_GT(f.offset, last) << f.name;
    }
    EXPECT_EQ(0u, f.offset % 4) << f.name;
    EXPECT_LT(f.offset, uint32_t(kVLSettingsByteCount)) << f.name;
    last = f.offset;
  }
  EXPECT_STREQ("hsl_master_hue", kSettingsFieldNames[0].name);
  EXPECT_EQ(16u, kSettingsFieldNames[0].offset);
  EXPECT_STREQ("outputControls_highlight_recovery", kSettingsFieldNames[317].name);
  EXPECT_EQ(33544u, kSettingsFieldNames[317].offset);
}

TEST(SettingsFieldNames, NameTheFieldsAtTheirOffsets) {
  struct Case {
    const char* name;
    uint32_t offset;
    VLSettingsFieldType type;
  };
  const Case cases[] = {
      {"hsl_shadows_pedestal", 132 + 36, kVLFieldFloat},
      {"rgb_master_gain", 180, kVLFieldFloat},
      {"rgb_master_ped", 188, kVLFieldFloat},
      {"rgb_highlights_r_gain", 228 + 16, kVLFieldFloat},
      {"ycbcr_shadows_cr_ped", 544 + 48, kVLFieldFloat},
      {"cmy_midtones_m_gamma", 704 + 32, kVLFieldFloat},
      {"cmy_master_y_ped", 600 + 48, kVLFieldFloat},
      {"hueoffset_master_huewheel", 816, kVLFieldU32},
      {"hueoffset_shadow_tintangle", 832, kVLFieldFloat},
      {"hueoffset_highlight_strength", 860, kVLFieldFloat},
      {"levels_master_inblackpt", 876, kVLFieldFloat},
      {"levels_luma_outwhitept", 996 + 28, kVLFieldFloat},
      {"lumarange_shadowx", 29844, kVLFieldFloat},
      {"lumarange_highlighty", 29856, kVLFieldFloat},
      {"secondary_a_lumatol", 29872, kVLFieldFloat},
      {"secondary_a_preview", 29884, kVLFieldU32},
      {"secondary_a_invert", 29892, kVLFieldU32},
      {"secondary_c_hueoffset_huewheel", 29868 + 248 + 36, kVLFieldU32},
      {"secondary_f_ped", 29868 + 620 + 120, kVLFieldFloat},
      {"limiter_enable", 33376, kVLFieldU32},
      {"limiter_preview", 33380, kVLFieldU32},
      {"limiter_chroma_max", 33384, kVLFieldFloat},
      {"limiter_softclip_enable", 33396, kVLFieldU32},
      {"limiter_clip_method", 33412, kVLFieldU32},
      {"limiter_system", 33416, kVLFieldU32},
      {"limiter_highlight_recovery", 33420, kVLFieldFloat},
      {"inputControls_highlight_recovery", 33540, kVLFieldFloat},
  };
  for (const Case& c : cases) {
    const VLSettingsFieldName* f = VL_FindSettingsField(c.name);
    ASSERT_NE(nullptr, f) << c.name;
    EXPECT_EQ(c.offset, f->offset) << c.name;
    EXPECT_EQ(c.type, f->type) << c.name;
  }
  EXPECT_EQ(nullptr, VL_FindSettingsField("hsl_master_HUE"));
  EXPECT_EQ(nullptr, VL_FindSettingsField(nullptr));
}

TEST_F(SettingsRecord, WholeRecordDefaults) {
  auto s = ZeroRecord();
  VL_SetDefaultControlValues(s.get(), kVLMaskAll);
  const VL_SettingsStruct& r = *s;
  EXPECT_EQ(0x12343210u, At<uint32_t>(r, 0));
  EXPECT_EQ(1u, At<uint32_t>(r, 29864));   // keyer enable
  EXPECT_EQ(1u, At<uint32_t>(r, 33376));   // limiter enable from "Limiter Default"
  const uint32_t zeroEnables[] = {4, 8, 172, 384, 596, 808, 864, 1028, 1032, 17504, 29832, 29860, 30612, 33380, 33504};
  for (uint32_t at : zeroEnables) EXPECT_EQ(0u, At<uint32_t>(r, at)) << at;
  for (uint32_t range = 0; range < 4; ++range) {
    const uint32_t h = 12 + 40 * range;
    EXPECT_EQ(100.0f, At<float>(r, h + 8));
    EXPECT_EQ(0.5f, At<float>(r, h + 24));
    EXPECT_EQ(1.0f, At<float>(r, h + 28));
    EXPECT_EQ(1.0f, At<float>(r, h + 32));
    for (uint32_t base : {176u, 388u, 600u}) {
      const uint32_t p = base + 52 * range;
      for (uint32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(1.0f, At<float>(r, p + 4 + 12 * k)) << p;      // gains
        EXPECT_EQ(1.0f, At<float>(r, p + 8 + 12 * k)) << p;      // gammas
        EXPECT_EQ(0.0f, At<float>(r, p + 12 + 12 * k)) << p;     // pedestals
      }
    }
  }
  for (uint32_t c = 0; c < 5; ++c) {
    EXPECT_EQ(0.5f, At<float>(r, 868 + 32 * c + 12));
    EXPECT_EQ(1.0f, At<float>(r, 868 + 32 * c + 16));
    EXPECT_EQ(0.5f, At<float>(r, 868 + 32 * c + 24));
    EXPECT_EQ(1.0f, At<float>(r, 868 + 32 * c + 28));
  }
  for (uint32_t c = 0; c < 7; ++c) {
    const uint32_t at = c < 4 ? 1036 + 4108 * c : 17508 + 4108 * (c - 4);
    const float y0 = c < 4 ? 0.0f : 0.5f, y1 = c < 4 ? 1.0f : 0.5f;
    EXPECT_EQ(0u, At<uint32_t>(r, at + 8));
    EXPECT_EQ(2u, At<uint32_t>(r, at + 12));
    EXPECT_EQ(0.0f, At<float>(r, at + 16));
    EXPECT_EQ(1.0f, At<float>(r, at + 20));
    EXPECT_EQ(y0, At<float>(r, at + 80));
    EXPECT_EQ(y1, At<float>(r, at + 84));
  }
  EXPECT_EQ(0.3f, At<float>(r, 29844));
  EXPECT_EQ(0.3831f, At<float>(r, 29848));
  EXPECT_EQ(0.7f, At<float>(r, 29852));
  EXPECT_EQ(0.3831f, At<float>(r, 29856));
  for (uint32_t n = 0; n < 6; ++n) {
    const uint32_t at = 29868 + 124 * n;
    EXPECT_EQ(0.05f, At<float>(r, at + 4));
    EXPECT_EQ(0.1f, At<float>(r, at + 8));
    EXPECT_EQ(0.05f, At<float>(r, at + 12));
    EXPECT_EQ(1u, At<uint32_t>(r, at + 20));
    EXPECT_EQ(100.0f, At<float>(r, at + 32));
    EXPECT_EQ(1.0f, At<float>(r, at + 112));
    EXPECT_EQ(1.0f, At<float>(r, at + 116));
    const uint32_t g = 30616 + 460 * n;
    EXPECT_EQ(0.05f, At<float>(r, g + 4));
    EXPECT_EQ(1u, At<uint32_t>(r, g + 12));
    EXPECT_EQ(100.0f, At<float>(r, g + 24));
    EXPECT_EQ(1.0f, At<float>(r, g + 40));
    EXPECT_EQ(1.0f, At<float>(r, g + 44));
  }
  const float limiterFloats[] = {110.0f, -30.0f, 120.0f};
  for (uint32_t k = 0; k < 3; ++k) EXPECT_EQ(limiterFloats[k], At<float>(r, 33384 + 4 * k));
  EXPECT_EQ(0u, At<uint32_t>(r, 33396));
  EXPECT_EQ(90.0f, At<float>(r, 33400));
  EXPECT_EQ(100.0f, At<float>(r, 33404));
  EXPECT_EQ(130.0f, At<float>(r, 33408));
  EXPECT_EQ(3u, At<uint32_t>(r, 33412));
  EXPECT_EQ(3u, At<uint32_t>(r, 33416));  // "Video System"
  const uint32_t videoWords[] = {16, 235, 4, 1019, 1, 3};
  for (uint32_t k = 0; k < 6; ++k) EXPECT_EQ(videoWords[k], At<uint32_t>(r, 33480 + 4 * k));
  EXPECT_EQ(2.2f, At<float>(r, 33524));
  EXPECT_EQ(95u, At<uint32_t>(r, 33528));
  EXPECT_EQ(685u, At<uint32_t>(r, 33532));
  EXPECT_EQ(1u, At<uint32_t>(r, 33536));
}

// Every single mask bit resets exactly its section, and the bits that name
// nothing change nothing.
TEST_F(SettingsRecord, EachMaskBitResetsExactlyItsSection) {
  for (int bit = 0; bit < 64; ++bit) {
    SCOPED_TRACE(bit);
    ExpectResetsExactly(VLMaskBit(bit), SpansOfBit(bit), 1000u + uint32_t(bit));
  }
}

// One thread loads new preferences while another makes default records (as
// the plug-in's arbitrary-data callbacks do): each record takes every
// preference word from one set, never half of each.
TEST_F(SettingsRecord, DefaultsTakeTheirPreferenceWordsFromOneSetWhileTheyChange) {
  const VLSettingsPreferenceWords sets[2] = {VLSettingsPreferenceWords{}, TestPreferenceWords()};
  std::atomic<bool> stop{false};
  std::thread loader([&] {
    for (int n = 0; !stop.load(std::memory_order_relaxed); ++n) VL_SetSettingsPreferenceWords(sets[n & 1]);
  });
  auto s = ZeroRecord();
  int mixed = 0;
  for (int n = 0; n < 100000 && mixed == 0; ++n) {
    VL_SetDefaultControlValues(s.get(), kVLMaskAll);
    const uint32_t got[7] = {s->limiter_enable,  s->videoBlackLevel, s->videoWhiteLevel, s->videoMinLevel,
                             s->videoMaxLevel,   s->videoBlackSetup, s->limiter.limiter_system};
    bool fromOne = false;
    for (const VLSettingsPreferenceWords& p : sets) {
      const uint32_t want[7] = {uint32_t(p.limiterDefault), uint32_t(p.videoBlackLevel), uint32_t(p.videoWhiteLevel),
                                uint32_t(p.videoMinLevel),  uint32_t(p.videoMaxLevel),   uint32_t(p.videoBlackSetup),
                                uint32_t(p.videoSystem)};
      fromOne = fromOne || (std::memcmp(got, want, sizeof got) == 0 && s->videoSystem == uint32_t(p.videoSystem));
    }
    if (!fromOne) ++mixed;
  }
  stop = true;
  loader.join();
  EXPECT_EQ(mixed, 0);
}

TEST_F(SettingsRecord, CurveGroupsClearTheirEnableOnlyWhenComplete) {
  std::vector<Span> rgb;
  for (int bit = 33; bit <= 36; ++bit)
    for (Span s : SpansOfBit(bit)) rgb.push_back(s);
  std::vector<Span> rgbAll = rgb;
  rgbAll.push_back({1032, 4});
  ExpectResetsExactly(0x1e00000000ull, rgbAll, 7);

  std::vector<Span> hsl;
  for (int bit = 37; bit <= 39; ++bit)
    for (Span s : SpansOfBit(bit)) hsl.push_back(s);
  hsl.push_back({17504, 4});
  ExpectResetsExactly(0xe000000000ull, hsl, 8);

  // Three of the four RGB curves: the enable stays.
  std::vector<Span> three(rgb.begin(), rgb.begin() + 3);
  ExpectResetsExactly(0x0e00000000ull, three, 9);
}

TEST_F(SettingsRecord, HueOffsetResetKeepsWheelWords) {
  auto s = RandomRecord(3);
  uint32_t wheels[4];
  for (int w = 0; w < 4; ++w) wheels[w] = s->hueOffsets.wheel[w].huewheel;
  VL_SetDefaultControlValues(s.get(), 0x10000);
  for (int w = 0; w < 4; ++w) {
    EXPECT_EQ(wheels[w], s->hueOffsets.wheel[w].huewheel);
    EXPECT_EQ(0.0f, s->hueOffsets.wheel[w].tintangle);
    EXPECT_EQ(0.0f, s->hueOffsets.wheel[w].strength);
  }
}

TEST_F(SettingsRecord, WholeMaskOverRandomRecordGivesDefaultsButKeepsUnnamedWords) {
  auto defaults = ZeroRecord();
  VL_SetDefaultControlValues(defaults.get(), kVLMaskAll);
  auto s = RandomRecord(11);
  auto before = std::make_unique<VL_SettingsStruct>(*s);
  VL_SetDefaultControlValues(s.get(), kVLMaskAll);
  // Every named field takes its default.
  for (const VLSettingsFieldName& f : kSettingsFieldNames) {
    if (std::string(f.name).find("huewheel") != std::string::npos) continue;
    EXPECT_EQ(At<uint32_t>(*defaults, f.offset), At<uint32_t>(*s, f.offset)) << f.name;
  }
  // Words no bit covers keep their contents.
  const uint32_t kept[] = {868, 1036, 1040, 17468, 29836, 29840, 33424, 33452, 33516, 33520, 33548, 33552};
  for (uint32_t at : kept) EXPECT_EQ(At<uint32_t>(*before, at), At<uint32_t>(*s, at)) << at;
}

TEST(SettingsHash, IsDjb2OverUnsignedBytes) {
  auto s = ZeroRecord();
  const uint32_t zeroHash = VL_GetSettingsHash(s.get());
  uint32_t h = 5381;
  for (int i = 0; i < kVLSettingsByteCount; ++i) h *= 33u;
  EXPECT_EQ(h, zeroHash);
  // A high byte counts as 128, not -128.
  reinterpret_cast<uint8_t*>(s.get())[kVLSettingsByteCount - 1] = 0x80;
  EXPECT_EQ(zeroHash + 0x80u, VL_GetSettingsHash(s.get()));
  EXPECT_TRUE(VL_CompareSettingsWithHashForSame(s.get(), zeroHash + 0x80u));
  EXPECT_FALSE(VL_CompareSettingsWithHashForSame(s.get(), zeroHash));
}

TEST(SettingsHash, DiffersInTheOtherByteOrder) {
  auto s = ZeroRecord();
  VL_SetDefaultControlValues(s.get(), kVLMaskAll);
  auto swapped = std::make_unique<VL_SettingsStruct>(*s);
  VL_ByteSwapSettings(swapped.get());
  EXPECT_NE(VL_GetSettingsHash(s.get()), VL_GetSettingsHash(swapped.get()));
}

TEST(SettingsByteSwap, SwapsEveryWordAndRoundTrips) {
  auto s = ZeroRecord();
  VL_SetDefaultControlValues(s.get(), kVLMaskAll);
  s->hsl[0].hue = 12.5f;
  s->input.word3 = 0x01020304u;
  auto swapped = std::make_unique<VL_SettingsStruct>(*s);
  EXPECT_FALSE(VL_SettingsNeedByteSwap(swapped.get()));
  VL_ByteSwapSettings(swapped.get());
  EXPECT_TRUE(VL_SettingsNeedByteSwap(swapped.get()));
  EXPECT_EQ(0x10323412u, swapped->byteOrderFlag);
  EXPECT_EQ(0x04030201u, swapped->input.word3);
  EXPECT_FALSE(VL_SettingsAreSame(s.get(), swapped.get()));
  VL_ByteSwapSettings(swapped.get());
  EXPECT_TRUE(VL_SettingsAreSame(s.get(), swapped.get()));
  EXPECT_EQ(12.5f, swapped->hsl[0].hue);
}

// Against tests/core/settings_field_names.tsv, the named fields of the record
// layout written out as data: name, offset and type of each, in record order.
TEST(SettingsFieldNames, MatchTheRecordLayoutOneByOne) {
  std::ifstream in(VELMORA_SOURCE_DIR "/tests/core/settings_field_names.tsv");
  ASSERT_TRUE(in.good()) << "settings_field_names.tsv not found";
  int i = 0;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream cells(line);
    std::string name, type;
    uint32_t offset = 0;
    ASSERT_TRUE(std::getline(cells, name, '\t') && cells >> offset >> type) << line;
    ASSERT_LT(i, kSettingsFieldNameCount) << line;
    const VLSettingsFieldName& f = kSettingsFieldNames[i++];
    EXPECT_EQ(name, f.name) << "entry " << i - 1;
    EXPECT_EQ(offset, f.offset) << name;
    EXPECT_EQ(type == "u32" ? kVLFieldU32 : kVLFieldFloat, f.type) << name;
    EXPECT_TRUE(type == "u32" || type == "f32") << line;
  }
  EXPECT_EQ(i, kSettingsFieldNameCount);
}

// Mask -1 on a zero-filled record gives exactly the defaults table, byte for
// byte, for two different sets of preference words.
TEST_F(SettingsRecord, WholeRecordDefaultsMatchTheTablesByteForByte) {
  VLSettingsPreferenceWords shipped;  // the preference defaults
  for (const VLSettingsPreferenceWords& words : {TestPreferenceWords(), shipped}) {
    VL_SetSettingsPreferenceWords(words);
    auto s = ZeroRecord();
    VL_SetDefaultControlValues(s.get(), kVLMaskAll);
    const std::vector<uint8_t> expected = ExpectedDefaultRecord(words);
    const auto* actual = reinterpret_cast<const uint8_t*>(s.get());
    int wrong = 0;
    for (int at = 0; at < kVLSettingsByteCount && wrong < 8; at += 4) {
      if (std::memcmp(&expected[at], actual + at, 4) != 0) {
        ADD_FAILURE() << "word at " << at << " differs from its default";
        ++wrong;
      }
    }
  }
}
