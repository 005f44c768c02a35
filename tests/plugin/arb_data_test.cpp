// The arbitrary-data callbacks: flatten, unflatten, copy, compare, print,
// scan and keyframe interpolation of the settings value.
#include <cstring>
#include <string>

#include "platform/byte_order.h"
#include "tests/plugin/plugin_test_host.h"

namespace {

VL_SettingsStruct swapped(const VL_SettingsStruct& s) {
  VL_SettingsStruct r = s;
  VL_ByteSwapSettings(&r);
  return r;
}

struct Arb {
  PluginTestHost& t;
  int32_t id;

  std::vector<uint8_t> flatten(HIHandle value, uint32_t bufferSize) {
    std::vector<uint8_t> buffer(bufferSize, 0xCC);
    HIArbitraryExtra e{};
    e.which = kHIArbFlatten;
    e.u.flatten = {value, bufferSize, buffer.data()};
    EXPECT_EQ(t.arb(id, &e), kHINoErr);
    return buffer;
  }
  HIHandle unflatten(const void* data, uint32_t size, HIError expected = kHINoErr) {
    HIHandle result = nullptr;
    HIArbitraryExtra e{};
    e.which = kHIArbUnflatten;
    e.u.unflatten = {size, data, &result};
    EXPECT_EQ(t.arb(id, &e), expected);
    return result;
  }
  int32_t compare(HIHandle a, HIHandle b) {
    int32_t result = -1;
    HIArbitraryExtra e{};
    e.which = kHIArbCompare;
    e.u.compare = {a, b, &result};
    EXPECT_EQ(t.arb(id, &e), kHINoErr);
    return result;
  }
  HIError print(HIHandle value, uint32_t flags, std::string* text, uint32_t size = 75565) {
    std::vector<char> buffer(size + 1, 'x');
    HIArbitraryExtra e{};
    e.which = kHIArbPrint;
    e.u.print = {flags, value, size, size ? buffer.data() : nullptr};
    HIError err = t.arb(id, &e);
    *text = size ? std::string(buffer.data()) : std::string();
    return err;
  }
  HIError scan(const std::string& text, HIHandle* result) {
    HIArbitraryExtra e{};
    e.which = kHIArbScan;
    e.u.scan = {text.data(), uint32_t(text.size()), result};
    return t.arb(id, &e);
  }
  HIHandle interpolate(HIHandle left, HIHandle right, double fraction) {
    HIHandle result = nullptr;
    HIArbitraryExtra e{};
    e.which = kHIArbInterpolate;
    e.u.interpolate = {left, right, fraction, &result};
    EXPECT_EQ(t.arb(id, &e), kHINoErr);
    return result;
  }
};

VL_SettingsStruct recordOf(HIHandle h) {
  VL_SettingsStruct s;
  EXPECT_EQ(HIGetHandleSize(h), sizeof s);
  std::memcpy(&s, HILockHandle(h), sizeof s);
  HIUnlockHandle(h);
  return s;
}

TEST(PluginArbData, NewCopyAndFlatSize) {
  PluginTestHost t;
  for (auto [id, size] : {std::pair{1, 33556u}, std::pair{45, 52u}, std::pair{104, 16432u}}) {
    HIHandle h = nullptr;
    HIArbitraryExtra e{};
    e.which = kHIArbNew;
    e.u.new_value.result = &h;
    ASSERT_EQ(t.arb(id, &e), kHINoErr);
    EXPECT_EQ(HIGetHandleSize(h), size);
    uint32_t flat = 0;
    e = HIArbitraryExtra{};
    e.which = kHIArbFlatSize;
    e.u.flat_size = {h, &flat};
    t.arb(id, &e);
    EXPECT_EQ(flat, size);
    HIHandle copy = nullptr;
    e = HIArbitraryExtra{};
    e.which = kHIArbCopy;
    e.u.copy = {h, &copy};
    ASSERT_EQ(t.arb(id, &e), kHINoErr);
    EXPECT_EQ(SHHandleBytes(copy), SHHandleBytes(h));
    HIDisposeHandle(copy);
    e.u.copy = {nullptr, &copy};
    EXPECT_EQ(t.arb(id, &e), kHIErrInternalStructDamaged);
    EXPECT_EQ(copy, nullptr);
    HIDisposeHandle(h);
  }
  HIHandle h = t.settingsHandle();
  VL_SettingsStruct expected = DefaultSettings();
  VL_SettingsStruct actual = recordOf(h);
  EXPECT_EQ(std::memcmp(&expected, &actual, sizeof expected), 0);
}

TEST(PluginArbData, FlattenAndUnflattenRoundTripInNativeOrder) {
  PluginTestHost t;
  Arb arb{t, 1};
  VL_SettingsStruct s = DefaultSettings();
  s.hsl[2].hue = 33.5f;
  s.limiter.limiter_clip_method = 2;
  // A value held byte-reversed is flattened native and left native.
  VL_SettingsStruct reversedRecord = swapped(s);
  HIHandle reversed = SHHandleFromBytes(&reversedRecord, sizeof s);
  std::vector<uint8_t> flat = arb.flatten(reversed, 33556);
  EXPECT_EQ(std::memcmp(flat.data(), &s, sizeof s), 0);
  VL_SettingsStruct after = recordOf(reversed);
  EXPECT_EQ(std::memcmp(&after, &s, sizeof s), 0);
  // A byte-reversed buffer unflattens into a native record.
  VL_SettingsStruct other = swapped(s);
  HIHandle back = arb.unflatten(&other, sizeof other);
  after = recordOf(back);
  EXPECT_EQ(std::memcmp(&after, &s, sizeof s), 0);
  HIDisposeHandle(reversed);
  HIDisposeHandle(back);
}

TEST(PluginArbData, ShortValuesAreCopiedOnlyAsFarAsBothSidesHold) {
  PluginTestHost t;
  Arb arb{t, 1};
  std::vector<uint8_t> bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7);
  HIHandle odd = arb.unflatten(bytes.data(), 1000);
  EXPECT_EQ(SHHandleBytes(odd), bytes);  // kept as it came
  std::vector<uint8_t> flat = arb.flatten(odd, 33556);
  EXPECT_EQ(std::memcmp(flat.data(), bytes.data(), 1000), 0);
  EXPECT_EQ(flat[1000], 0);  // nothing read past the value
  EXPECT_EQ(flat[33555], 0);
  HIDisposeHandle(odd);
  // The display values have fixed sizes whatever the buffer holds.
  Arb curves{t, 104};
  HIHandle c = curves.unflatten(bytes.data(), 10);
  EXPECT_EQ(HIGetHandleSize(c), 4108u);
  EXPECT_EQ(SHHandleBytes(c)[9], bytes[9]);
  EXPECT_EQ(SHHandleBytes(c)[10], 0);
  HIDisposeHandle(c);
  Arb wheels{t, 45};
  HIHandle w = wheels.unflatten(bytes.data(), 1000);
  EXPECT_EQ(HIGetHandleSize(w), 52u);
  HIDisposeHandle(w);
}

TEST(PluginArbData, OlderLayoutsAreConvertedOnUnflatten) {
  PluginTestHost t;
  Arb arb{t, 1};
  for (uint32_t size : {2420u, 2532u, 18404u}) {
    std::vector<uint32_t> old(size / 4, 0);
    old[0] = kVLSettingsByteOrderFlag;
    old[1] = 1;                 // HSL enable
    old[3 + 2] = 6553600;       // master saturation 100 in 16.16
    old[3 + 1] = 0xFFF60000;    // master hue -10
    for (bool reversed : {false, true}) {
      std::vector<uint32_t> buffer = old;
      if (reversed) {
        for (uint32_t& w : buffer) w = QVByteSwap32(w);
      }
      HIHandle h = arb.unflatten(buffer.data(), size);
      VL_SettingsStruct s = recordOf(h);
      EXPECT_EQ(s.byteOrderFlag, kVLSettingsByteOrderFlag) << size;
      EXPECT_EQ(s.hslEnable, 1u) << size;
      EXPECT_EQ(s.hsl[0].saturation, 100.0f) << size << reversed;
      EXPECT_EQ(s.hsl[0].hue, -10.0f) << size << reversed;
      HIDisposeHandle(h);
    }
  }
}

TEST(PluginArbData, CompareLooksAtTheBytesBothHold) {
  PluginTestHost t;
  Arb arb{t, 1};
  VL_SettingsStruct s = DefaultSettings();
  HIHandle a = SHHandleFromBytes(&s, sizeof s);
  VL_SettingsStruct changed = s;
  changed.input.word3 = 5;  // the last word
  HIHandle b = SHHandleFromBytes(&changed, sizeof changed);
  HIHandle prefix = SHHandleFromBytes(&s, 2000);
  EXPECT_EQ(arb.compare(a, b), kHIArbCompareNotEqual);
  EXPECT_EQ(arb.compare(a, prefix), kHIArbCompareEqual);
  EXPECT_EQ(arb.compare(a, a), kHIArbCompareEqual);
  for (HIHandle h : {a, b, prefix}) HIDisposeHandle(h);
}

TEST(PluginArbData, PrintThenScanGivesTheSameRecord) {
  PluginTestHost t;
  Arb arb{t, 1};
  VL_SettingsStruct s = DefaultSettings();
  s.hsl[1].gamma = 1.37f;
  s.secondary[4].sample[2].blue = -0.5f;
  s.limiter_enable = 0xFFFFFFFF;
  HIHandle h = SHHandleFromBytes(&s, sizeof s);
  std::string text;
  ASSERT_EQ(arb.print(h, 0, &text), kHINoErr);
  EXPECT_EQ(text.rfind("Velmora\t8389\t12343210\t0\t", 0), 0u);
  EXPECT_LT(text.size() + 1, 75565u);
  HIHandle back = nullptr;
  ASSERT_EQ(arb.scan(text, &back), kHINoErr);
  VL_SettingsStruct r = recordOf(back);
  EXPECT_EQ(std::memcmp(&r, &s, sizeof s), 0);
  HIDisposeHandle(back);

  // Refusals: print flags, a small buffer, no buffer.
  EXPECT_EQ(arb.print(h, 1, &text), kHIErrOutOfMemory);
  EXPECT_EQ(text, "");
  EXPECT_EQ(arb.print(h, 0, &text, 100), kHIErrOutOfMemory);
  EXPECT_EQ(text, "");
  EXPECT_EQ(arb.print(h, 0, &text, 0), kHINoErr);
  HIDisposeHandle(h);
}

// The text with its token n (0 "Velmora", 1 the count, 2 + k word k) replaced.
std::string withToken(const std::string& text, size_t n, const std::string& token) {
  size_t begin = 0;
  for (size_t i = 0; i < n; ++i) begin = text.find('\t', begin) + 1;
  return text.substr(0, begin) + token + text.substr(text.find('\t', begin));
}

TEST(PluginArbData, MalformedTextScansToAWholeDefaultRecordAndAnError) {
  PluginTestHost t;
  Arb arb{t, 1};
  VL_SettingsStruct s = DefaultSettings();
  s.hsl[0].hue = 5.0f;  // word 4, 40a00000
  HIHandle h = SHHandleFromBytes(&s, sizeof s);
  std::string good;
  arb.print(h, 0, &good);
  HIDisposeHandle(h);
  ASSERT_EQ(withToken(good, 6, "40a00000"), good);
  const std::string longToken = std::string(60, '0') + "40a00000";
  std::string cases[] = {
      "",
      std::string(200, 'A'),
      withToken(good, 0, "Velmorb"),
      withToken(good, 0, "Velmora2"),
      withToken(good, 1, "8388"),
      withToken(good, 1, "8389x"),
      withToken(good, 1, "+8389"),
      good.substr(0, good.size() / 2),  // fails half-way, after word 4
      good.substr(0, good.size() - 1),  // the last word is not followed by its tab
      withToken(good, 6, "0x40a00000"),
      withToken(good, 6, "+40a00000"),
      withToken(good, 6, " 40a00000"),
      withToken(good, 6, "40a00000 "),
      withToken(good, 6, "40a00000g"),
      withToken(good, 6, "-1"),
      withToken(good, 6, "140a00000"),  // more than 32 bits
      withToken(good, 6, ""),
      withToken(good, 6, longToken),     // more than 63 characters
      withToken(good, 8000, "zz"),
  };
  const VL_SettingsStruct defaults = DefaultSettings();
  for (const std::string& text : cases) {
    HIHandle back = nullptr;
    EXPECT_EQ(arb.scan(text, &back), kHIErrUnrecognizedParamType) << text.substr(0, 40);
    ASSERT_NE(back, nullptr);
    VL_SettingsStruct r = recordOf(back);
    EXPECT_EQ(std::memcmp(&r, &defaults, sizeof r), 0) << text.substr(0, 40);
    HIDisposeHandle(back);
  }

  // Whole tokens in capitals or with leading zeros are still the same words.
  for (const std::string& text : {withToken(good, 6, "40A00000"), withToken(good, 6, "0040a00000"),
                                  withToken(good, 1, "08389")}) {
    HIHandle back = nullptr;
    EXPECT_EQ(arb.scan(text, &back), kHINoErr) << text.substr(0, 40);
    VL_SettingsStruct r = recordOf(back);
    EXPECT_EQ(std::memcmp(&r, &s, sizeof r), 0) << text.substr(0, 40);
    HIDisposeHandle(back);
  }
}

TEST(PluginArbData, InterpolationMovesTheSlidersOnlyAndSwitchesTheirSectionsOn) {
  PluginTestHost t;
  Arb arb{t, 1};
  VL_SettingsStruct left = DefaultSettings(), right = DefaultSettings();
  right.hsl[2].contrast = 40.0f;
  right.rgb[1].channel[2].gain = 2.0f;
  right.cmy[3].gamma = 3.0f;
  right.ycbcr[0].pedestal = -0.5f;
  right.levels[4].outwhitept = 0.5f;
  right.rgbCurves[1].spline.y[1] = 0.25f;  // curves are never interpolated
  right.limiter.limiter_chroma_max = 90.0f;
  HIHandle l = SHHandleFromBytes(&left, sizeof left), r = SHHandleFromBytes(&right, sizeof right);
  for (double t0 : {0.0, 0.25, 1.0}) {
    HIHandle h = arb.interpolate(l, r, t0);
    VL_SettingsStruct s = recordOf(h);
    EXPECT_FLOAT_EQ(s.hsl[2].contrast, float(40.0 * t0));
    EXPECT_FLOAT_EQ(s.rgb[1].channel[2].gain, float(1.0 + t0));
    EXPECT_FLOAT_EQ(s.cmy[3].gamma, float(1.0 + 2.0 * t0));
    EXPECT_FLOAT_EQ(s.ycbcr[0].pedestal, float(-0.5 * t0));
    EXPECT_FLOAT_EQ(s.levels[4].outwhitept, float(1.0 - 0.5 * t0));
    EXPECT_EQ(s.rgbCurves[1].spline.y[1], left.rgbCurves[1].spline.y[1]);
    EXPECT_EQ(s.limiter.limiter_chroma_max, 110.0f);
    EXPECT_EQ(s.hslEnable + s.hslControlsEnable + s.hsl[2].enable, 3u);
    EXPECT_EQ(s.hsl[1].enable, 0u);
    EXPECT_EQ(s.rgbEnable + s.rgb[1].enable + s.cmyEnable + s.cmy[3].enable, 4u);
    EXPECT_EQ(s.ycbcrEnable + s.ycbcr[0].enable + s.levelsEnable + s.levels[4].enable, 4u);
    HIDisposeHandle(h);
  }
  // Records that differ only in a curve interpolate to the left record.
  VL_SettingsStruct curveOnly = DefaultSettings();
  curveOnly.rgbCurves[0].spline.x[1] = 0.75f;
  HIHandle c = SHHandleFromBytes(&curveOnly, sizeof curveOnly);
  HIHandle h = arb.interpolate(l, c, 0.5);
  EXPECT_EQ(arb.compare(h, l), kHIArbCompareEqual);
  for (HIHandle x : {l, r, c, h}) HIDisposeHandle(x);
}

TEST(PluginArbData, InterpolationBetweenHugeValuesStaysFinite) {
  PluginTestHost t;
  Arb arb{t, 1};
  VL_SettingsStruct left = DefaultSettings(), right = DefaultSettings();
  left.hsl[2].contrast = -3.0e38f;
  right.hsl[2].contrast = 3.0e38f;
  HIHandle l = SHHandleFromBytes(&left, sizeof left), r = SHHandleFromBytes(&right, sizeof right);
  const struct {
    double t;
    float expected;
  } cases[] = {{0.0, -3.0e38f}, {0.5, 0.0f}, {1.0, 3.0e38f}};
  for (const auto& c : cases) {
    HIHandle h = arb.interpolate(l, r, c.t);
    EXPECT_EQ(recordOf(h).hsl[2].contrast, c.expected) << c.t;
    HIDisposeHandle(h);
  }
  for (HIHandle x : {l, r}) HIDisposeHandle(x);
}

TEST(PluginArbData, KeyframesInterpolateThroughTheEffect) {
  PluginTestHost t;
  VL_SettingsStruct a = DefaultSettings(), b = DefaultSettings();
  b.hsl[0].saturation = 200.0f;
  HIHandle ha = SHHandleFromBytes(&a, sizeof a), hb = SHHandleFromBytes(&b, sizeof b);
  SHSetArbKeyframe(&t.host, t.index(1), 0, ha);
  SHSetArbKeyframe(&t.host, t.index(1), 1000, hb);
  HIHandle mid = nullptr;
  ASSERT_EQ(SHArbValueAt(&t.host, t.index(1), 250, &mid), kHINoErr);
  EXPECT_FLOAT_EQ(recordOf(mid).hsl[0].saturation, 125.0f);
  EXPECT_EQ(recordOf(mid).hsl[0].enable, 1u);
  for (HIHandle x : {ha, hb, mid}) HIDisposeHandle(x);
  // Slider keyframes are the host's own linear interpolation.
  SHSetKeyframe(&t.host, t.index(107), 0, 80.0);
  SHSetKeyframe(&t.host, t.index(107), 100, 120.0);
  EXPECT_DOUBLE_EQ(SHValueAt(&t.host, t.index(107), 25), 90.0);
}

}  // namespace
