// The 124 parameters, the slider mapping and the user-changed-parameter command.
#include <cmath>
#include <cstring>
#include <set>
#include <vector>

#include "plugin/params.h"
#include "plugin/plugin_data.h"
#include "tests/plugin/plugin_test_host.h"

namespace {

TEST(PluginParams, TableDefinesEveryParameterOnce) {
  PluginTestHost t;
  ASSERT_EQ(t.host.params.size(), 124u);
  std::set<int32_t> ids;
  for (const SHParam& p : t.host.params) EXPECT_TRUE(ids.insert(p.def.uu_id).second) << p.def.uu_id;
  for (int32_t id = 0; id <= 123; ++id) EXPECT_EQ(ids.count(id), 1u) << id;
  auto* g = static_cast<VLGlobalData*>(HILockHandle(t.host.global_data));
  for (int32_t i = 0; i < 124; ++i) {
    EXPECT_EQ(g->indexToId[i], uint32_t(t.host.params[size_t(i)].def.uu_id));
    EXPECT_EQ(g->idToIndex[g->indexToId[i]], uint32_t(i));
  }
  HIUnlockHandle(t.host.global_data);
  EXPECT_TRUE(t.host.custom_ui_registered);
  // Identifiers 119 to 122 sit right after each "Saturation".
  for (int32_t r = 0; r < 4; ++r) EXPECT_EQ(t.index(119 + r), t.index(6 + 10 * r) + 1);
}

TEST(PluginParams, KindsRangesDefaultsAndFlags) {
  PluginTestHost t;
  struct Case {
    int32_t id;
    const char* name;
    HIParamType kind;
    float validMin, validMax, sliderMin, sliderMax;
    double dephault;
    int precision;
    uint32_t flags;
  } cases[] = {
      {5, "Hue", kHIParamFloatSlider, -3600, 3600, -360, 360, 0, 2, 0x60},
      {6, "Saturation", kHIParamFloatSlider, 0, 300, 0, 300, 100, 2, 0x60},
      {119, "Vibrance", kHIParamFloatSlider, -100, 100, -100, 100, 0, 2, 0x60},
      {9, "Contrast Center", kHIParamFloatSlider, 0, 1, 0, 1, 0.5, 3, 0x60},
      {20, "RGB Gain", kHIParamFloatSlider, 0, 20, 0, 3, 1, 3, 0x60},
      {41, "Gamma", kHIParamFloatSlider, 0.1f, 10, 0.1f, 5, 1, 3, 0x60},
      {42, "Pedestal", kHIParamFloatSlider, -1, 1, -1, 1, 0, 3, 0x60},
      {48, "Master Gamma", kHIParamFloatSlider, 0.1f, 10, 0.1f, 5, 1, 2, 0x60},
      {52, "Red Pedestal", kHIParamFloatSlider, -1, 1, -1, 1, 0, 2, 0x60},
      {101, "Blue Gain", kHIParamFloatSlider, 0, 20, 0, 3, 1, 2, 0x60},
      {107, "Chroma Max Limit", kHIParamFloatSlider, 70, 130, 70, 130, 110, 2, 0x40},
      {108, "Chroma Min Limit", kHIParamFloatSlider, -40, 0, -40, 0, -30, 2, 0x40},
      {109, "Luma Hard Clip Level", kHIParamFloatSlider, 70, 130, 70, 130, 120, 2, 0x40},
      {111, "Soft Clip Knee Level", kHIParamFloatSlider, 60, 100, 60, 100, 90, 2, 0x42},
      {113, "Soft Clip Max Level", kHIParamFloatSlider, 110, 160, 110, 160, 130, 2, 0x42},
      {106, "Enable Limiter", kHIParamCheckbox, 0, 0, 0, 0, 0, 0, 0x42},
      {110, "Enable Soft Clip", kHIParamCheckbox, 0, 0, 0, 0, 0, 0, 0x42},
      {114, "Limit Method", kHIParamPopup, 0, 0, 0, 0, 3, 0, 0x42},
      {1, "Parameters", kHIParamArbitraryData, 0, 0, 0, 0, 0, 0, 0x40},
      {118, "Levels - Auto Correct", kHIParamNoData, 0, 0, 0, 0, 0, 0, 0x42},
      {2, "Simplified Interface", kHIParamGroupStart, 0, 0, 0, 0, 0, 0, 0x20},
      {3, "HSL", kHIParamGroupStart, 0, 0, 0, 0, 0, 0, 0x40},
      {47, "Master", kHIParamGroupStart, 0, 0, 0, 0, 0, 0, 0x20},
      {61, "Highlights", kHIParamGroupStart, 0, 0, 0, 0, 0, 0, 0x60},
      {123, "", kHIParamGroupEnd, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const HIParamDef& d = t.param(c.id);
    EXPECT_STREQ(d.name, c.name) << c.id;
    EXPECT_EQ(d.param_type, c.kind) << c.id;
    EXPECT_EQ(d.flags, c.flags) << c.id;
    if (c.kind == kHIParamFloatSlider) {
      EXPECT_EQ(d.u.fs.valid_min, c.validMin) << c.id;
      EXPECT_EQ(d.u.fs.valid_max, c.validMax) << c.id;
      EXPECT_EQ(d.u.fs.slider_min, c.sliderMin) << c.id;
      EXPECT_EQ(d.u.fs.slider_max, c.sliderMax) << c.id;
      EXPECT_EQ(d.u.fs.dephault, c.dephault) << c.id;
      EXPECT_EQ(d.u.fs.value, c.dephault) << c.id;
      EXPECT_EQ(d.u.fs.precision, c.precision) << c.id;
      EXPECT_FLOAT_EQ(d.u.fs.curve_tolerance, 0.05f);
    }
    if (c.kind == kHIParamCheckbox) {
      EXPECT_EQ(d.u.cb.dephault, int32_t(c.dephault)) << c.id;
    }
    if (c.kind == kHIParamPopup) {
      EXPECT_EQ(d.u.pd.dephault, int32_t(c.dephault)) << c.id;
    }
  }
  EXPECT_EQ(t.host.params[size_t(t.index(114))].popup_names, "Reduce Chroma|Reduce Luma|Smart Limit");
  EXPECT_EQ(t.host.params[size_t(t.index(115))].popup_names, "NTSC|PAL|ATSC");
  EXPECT_EQ(t.param(115).u.pd.dephault, int32_t(DefaultSettings().limiter.limiter_system));
  EXPECT_EQ(t.param(1).ui_width, 279);
  EXPECT_EQ(t.param(1).ui_height, 51);
  EXPECT_EQ(t.param(104).ui_height, 374);
  EXPECT_EQ(HIGetHandleSize(t.param(45).u.arb.value), 52u);
  EXPECT_EQ(HIGetHandleSize(t.param(104).u.arb.value), 16432u);
  VL_SettingsStruct expected = DefaultSettings();
  VL_SettingsStruct actual = t.settings();
  EXPECT_EQ(std::memcmp(&expected, &actual, sizeof expected), 0);
}

TEST(PluginParams, HostSpecificNamesAndSizes) {
  PluginTestHost premiere(QVFourCC("PPro"));
  EXPECT_EQ(premiere.param(1).ui_height, 55);
  PluginTestHost other(QVFourCC("ATve"));
  EXPECT_STREQ(other.param(2).name, "");
}

TEST(PluginParams, SlidersLandOnTheirSettingsFields) {
  PluginTestHost t;
  // Each slider set to a distinct value; the render-time overlay must put it
  // at its field. Checked through the user-changed command's overlay (this
  // host has the world suite).
  struct Case {
    int32_t id;
    size_t offset;
  } cases[] = {{53, 192}, {51, 196}, {52, 200}, {5, 16}, {120, 64}, {12, 48}, {42, 168},
               {102 - 1, 332 + 40}, {107, 33384}, {113, 33408}};
  for (const Case& c : cases) {
    SHUserSetValue(&t.host, t.index(c.id), 0.625, 0);
    VL_SettingsStruct s = t.settings();
    float f;
    std::memcpy(&f, reinterpret_cast<const uint8_t*>(&s) + c.offset, 4);
    EXPECT_EQ(f, 0.625f) << c.id;
  }
}

TEST(PluginParams, ChangingASliderSwitchesItsSectionOn) {
  PluginTestHost t;
  SHUserSetValue(&t.host, t.index(17), 12.0);  // HSL highlights brightness
  VL_SettingsStruct s = t.settings();
  EXPECT_EQ(s.hslEnable, 1u);
  EXPECT_EQ(s.hslControlsEnable, 1u);
  EXPECT_EQ(s.hsl[1].enable, 1u);
  EXPECT_EQ(s.hsl[0].enable, 0u);
  EXPECT_EQ(s.hsl[1].brightness, 12.0f);
  SHUserSetValue(&t.host, t.index(95), 0.5);  // RGB shadows: a red slider
  s = t.settings();
  EXPECT_EQ(s.rgbEnable, 1u);
  EXPECT_EQ(s.rgb[3].enable, 1u);
  EXPECT_EQ(s.rgb[2].enable, 0u);
}

TEST(PluginParams, LimiterValuesAndPreviewSwitchTheLimiterOn) {
  PluginTestHost t;
  ASSERT_EQ(t.settings().limiter_enable, 0u);
  SHUserSetValue(&t.host, t.index(107), 100.0);
  EXPECT_EQ(t.settings().limiter_enable, 1u);
  EXPECT_EQ(t.param(106).u.cb.value, 1);
  SHUserSetValue(&t.host, t.index(106), 0);
  EXPECT_EQ(t.settings().limiter_enable, 0u);
  SHUserSetValue(&t.host, t.index(116), 1);
  EXPECT_EQ(t.settings().limiter_preview, 1u);
  EXPECT_EQ(t.settings().limiter_enable, 1u);
  EXPECT_EQ(t.param(106).u.cb.value, 1);
  SHUserSetValue(&t.host, t.index(116), 0);
  EXPECT_EQ(t.settings().limiter_preview, 0u);
  EXPECT_EQ(t.settings().limiter_enable, 1u);  // switching the preview off leaves the limiter on
}

TEST(PluginParams, ControlsFollowTheRecordAndOnlyDifferingOnesAreFlagged) {
  PluginTestHost t;
  ParamCopy params(t.host);
  std::vector<HIParamDef>& defs = params.defs;
  auto* g = static_cast<VLGlobalData*>(HILockHandle(t.host.global_data));
  VL_SettingsStruct s = DefaultSettings();
  UpdateControlsFromVLSettings(&s, params.data(), g);
  for (const HIParamDef& d : defs) EXPECT_EQ(d.change_flags, 0u) << d.uu_id;

  s.hsl[3].gamma = 2.5f;                 // id 41
  s.rgb[2].channel[0].ped = -0.25f;      // midtones red pedestal, id 80
  s.limiter.limiter_clip_method = 1;     // id 114
  s.hsl[0].hue = std::nanf("");          // a NaN always counts as different
  UpdateControlsFromVLSettings(&s, params.data(), g);
  for (const HIParamDef& d : defs) {
    bool expected = d.uu_id == 41 || d.uu_id == 80 || d.uu_id == 114 || d.uu_id == 5;
    EXPECT_EQ(d.change_flags, expected ? 1u : 0u) << d.uu_id;
  }
  EXPECT_EQ(defs[size_t(t.index(41))].u.fs.value, 2.5);
  EXPECT_EQ(defs[size_t(t.index(80))].u.fs.value, -0.25);
  EXPECT_EQ(defs[size_t(t.index(114))].u.pd.value, 1);

  // And back: the sliders overlaid onto a default record give the same fields.
  VL_SettingsStruct back = DefaultSettings();
  UpdateVLSettingsFromControls(&back, params.data(), g);
  EXPECT_EQ(back.hsl[3].gamma, 2.5f);
  EXPECT_EQ(back.rgb[2].channel[0].ped, -0.25f);
  EXPECT_EQ(back.limiter.limiter_clip_method, 1u);
  HIUnlockHandle(t.host.global_data);
}

// Which parameters the user-changed command marks as changed, per changed identifier.
TEST(PluginParams, UserChangeFlagsTheSettingsAndTheParametersItTouches) {
  PluginTestHost t;
  struct Case {
    int32_t id;
    double value;
    std::set<int32_t> flagged;
  } cases[] = {
      {17, 5.0, {1, 115}},  {120, 5.0, {1, 115}}, {95, 0.5, {1, 115}}, {115, 2, {1, 115}},
      {107, 100, {1, 106}}, {110, 1, {1, 106}},   {106, 1, {1, 106}},  {116, 1, {1, 116, 106}},
      {116, 0, {1, 116}},   {114, 1, {1, 106}},
  };
  auto* g = static_cast<VLGlobalData*>(HILockHandle(t.host.global_data));
  for (const Case& c : cases) {
    ParamCopy params(t.host);
    std::vector<HIParamDef>& defs = params.defs;
    HIParamDef& changed = defs[size_t(t.index(c.id))];
    if (changed.param_type == kHIParamFloatSlider) changed.u.fs.value = c.value;
    if (changed.param_type == kHIParamCheckbox) changed.u.cb.value = int32_t(c.value);
    if (changed.param_type == kHIParamPopup) changed.u.pd.value = int32_t(c.value);
    HIInData in{};
    HIOutData out{};
    HIUserChangedParamExtra extra{t.index(c.id)};
    ASSERT_EQ(VLUserChangedParam(&in, &out, params.data(), g, &extra), kHINoErr) << c.id;
    for (const HIParamDef& d : defs) {
      EXPECT_EQ(d.change_flags, c.flagged.count(d.uu_id) ? 1u : 0u) << "changed " << c.id << ", flag of " << d.uu_id;
    }
  }
  HIUnlockHandle(t.host.global_data);
}

TEST(PluginParams, AShortSettingsValueIsReplacedBeforeAnEdit) {
  PluginTestHost t;
  uint8_t shortValue[100] = {};
  SHSetArbValue(&t.host, t.index(1), SHHandleFromBytes(shortValue, sizeof shortValue));
  SHUserSetValue(&t.host, t.index(6), 150.0);
  ASSERT_EQ(HIGetHandleSize(t.settingsHandle()), 33556u);
  VL_SettingsStruct s = t.settings();
  EXPECT_EQ(s.byteOrderFlag, kVLSettingsByteOrderFlag);
  EXPECT_EQ(s.hsl[0].enable, 1u);
  EXPECT_EQ(s.hsl[0].saturation, 150.0f);
}

}  // namespace
