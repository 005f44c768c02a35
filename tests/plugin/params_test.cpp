// The 124 parameters, the slider mapping and the user-changed-parameter command.
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
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

// The whole parameter list in index order, written out from the effect's
// published parameter sheet: identifier, kind, name and flags of every entry,
// and range, default and precision of every slider.
TEST(PluginParams, EveryParameterInIndexOrderMatchesTheSheet) {
  PluginTestHost t;
  ASSERT_EQ(t.host.params.size(), 124u);
  constexpr uint32_t S = 0x40, C = 0x20, F = 0x2;
  struct Row {
    int32_t id;
    HIParamType kind;
    const char* name;
    uint32_t flags;
  };
  std::vector<Row> rows = {
      {0, kHIParamLayer, "", 0},
      {1, kHIParamArbitraryData, "Parameters", S},
      {2, kHIParamGroupStart, "Simplified Interface", C},
      {118, kHIParamNoData, "Levels - Auto Correct", S | F},
      {45, kHIParamArbitraryData, "Hue Offset", 0},
      {104, kHIParamArbitraryData, "Curves", 0},
      {3, kHIParamGroupStart, "HSL", S},
  };
  const char* ranges[4] = {"Master", "Highlights", "Midtones", "Shadows"};
  const char* hslNames[9] = {"Hue",      "Saturation",      "Vibrance", "Brightness", "Contrast",
                             "Contrast Center", "RGB Gain", "Gamma",      "Pedestal"};
  for (int32_t r = 0; r < 4; ++r) {
    rows.push_back({4 + 10 * r, kHIParamGroupStart, ranges[r], S | C});
    const int32_t ids[9] = {5 + 10 * r, 6 + 10 * r, 119 + r, 7 + 10 * r, 8 + 10 * r,
                            9 + 10 * r, 10 + 10 * r, 11 + 10 * r, 12 + 10 * r};
    for (int k = 0; k < 9; ++k) rows.push_back({ids[k], kHIParamFloatSlider, hslNames[k], S | C});
    rows.push_back({13 + 10 * r, kHIParamGroupEnd, "", 0});
  }
  rows.push_back({44, kHIParamGroupEnd, "", 0});
  rows.push_back({46, kHIParamGroupStart, "RGB", 0});
  const char* rgbNames[12] = {"Master Gamma", "Master Pedestal", "Master Gain", "Red Gamma",
                              "Red Pedestal", "Red Gain",        "Green Gamma", "Green Pedestal",
                              "Green Gain",   "Blue Gamma",      "Blue Pedestal", "Blue Gain"};
  for (int32_t r = 0; r < 4; ++r) {
    rows.push_back({47 + 14 * r, kHIParamGroupStart, ranges[r], r == 0 ? C : S | C});
    for (int k = 0; k < 12; ++k) rows.push_back({48 + 14 * r + k, kHIParamFloatSlider, rgbNames[k], S | C});
    rows.push_back({60 + 14 * r, kHIParamGroupEnd, "", 0});
  }
  rows.push_back({103, kHIParamGroupEnd, "", 0});
  std::vector<Row> limiter = {
      {105, kHIParamGroupStart, "Limiter", 0},
      {106, kHIParamCheckbox, "Enable Limiter", S | F},
      {107, kHIParamFloatSlider, "Chroma Max Limit", S},
      {108, kHIParamFloatSlider, "Chroma Min Limit", S},
      {109, kHIParamFloatSlider, "Luma Hard Clip Level", S},
      {110, kHIParamCheckbox, "Enable Soft Clip", S | F},
      {111, kHIParamFloatSlider, "Soft Clip Knee Level", S | F},
      {112, kHIParamFloatSlider, "Soft Clip White Level", S | F},
      {113, kHIParamFloatSlider, "Soft Clip Max Level", S | F},
      {114, kHIParamPopup, "Limit Method", S | F},
      {115, kHIParamPopup, "Video System", S | F},
      {116, kHIParamCheckbox, "Show Limiter Preview", S | F},
      {117, kHIParamGroupEnd, "", 0},
      {123, kHIParamGroupEnd, "", 0},
  };
  rows.insert(rows.end(), limiter.begin(), limiter.end());
  ASSERT_EQ(rows.size(), 124u);

  // Slider shapes by name: valid range, slider range, default, precision.
  struct Shape {
    const char* suffix;
    float validMin, validMax, sliderMin, sliderMax;
    double dephault;
    int16_t precision;
  };
  const Shape hslShapes[9] = {
      {"Hue", -3600, 3600, -360, 360, 0, 2},         {"Saturation", 0, 300, 0, 300, 100, 2},
      {"Vibrance", -100, 100, -100, 100, 0, 2},      {"Brightness", -100, 100, -100, 100, 0, 2},
      {"Contrast", -100, 100, -100, 100, 0, 2},      {"Contrast Center", 0, 1, 0, 1, 0.5, 3},
      {"RGB Gain", 0, 20, 0, 3, 1, 3},               {"Gamma", 0.1f, 10, 0.1f, 5, 1, 3},
      {"Pedestal", -1, 1, -1, 1, 0, 3},
  };
  const Shape rgbShapes[3] = {
      {"Gamma", 0.1f, 10, 0.1f, 5, 1, 2}, {"Pedestal", -1, 1, -1, 1, 0, 2}, {"Gain", 0, 20, 0, 3, 1, 2}};
  const Shape limiterShapes[] = {
      {"Chroma Max Limit", 70, 130, 70, 130, 110, 2},      {"Chroma Min Limit", -40, 0, -40, 0, -30, 2},
      {"Luma Hard Clip Level", 70, 130, 70, 130, 120, 2},  {"Soft Clip Knee Level", 60, 100, 60, 100, 90, 2},
      {"Soft Clip White Level", 80, 120, 80, 120, 100, 2}, {"Soft Clip Max Level", 110, 160, 110, 160, 130, 2},
  };
  auto shapeOf = [&](int32_t id, const char* name) -> const Shape* {
    if (id >= 107 && id <= 113) {
      for (const Shape& s : limiterShapes) {
        if (std::strcmp(s.suffix, name) == 0) return &s;
      }
      return nullptr;
    }
    if (id >= 48 && id <= 101) {
      for (const Shape& s : rgbShapes) {
        const std::string n = name;
        if (n.size() > std::strlen(s.suffix) && n.compare(n.size() - std::strlen(s.suffix), std::string::npos,
                                                          s.suffix) == 0)
          return &s;
      }
      return nullptr;
    }
    for (const Shape& s : hslShapes) {
      if (std::strcmp(s.suffix, name) == 0) return &s;
    }
    return nullptr;
  };

  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    const HIParamDef& d = t.host.params[i].def;
    SCOPED_TRACE(testing::Message() << "index " << i << " id " << row.id);
    EXPECT_EQ(d.uu_id, row.id);
    EXPECT_EQ(d.param_type, row.kind);
    EXPECT_STREQ(d.name, row.name);
    EXPECT_EQ(d.flags, row.flags);
    if (row.kind == kHIParamFloatSlider) {
      const Shape* s = shapeOf(row.id, row.name);
      ASSERT_NE(s, nullptr);
      EXPECT_EQ(d.u.fs.valid_min, s->validMin);
      EXPECT_EQ(d.u.fs.valid_max, s->validMax);
      EXPECT_EQ(d.u.fs.slider_min, s->sliderMin);
      EXPECT_EQ(d.u.fs.slider_max, s->sliderMax);
      EXPECT_EQ(d.u.fs.dephault, s->dephault);
      EXPECT_EQ(d.u.fs.value, s->dephault);
      EXPECT_EQ(d.u.fs.precision, s->precision);
      EXPECT_FLOAT_EQ(d.u.fs.curve_tolerance, 0.05f);
    }
    if (row.kind == kHIParamCheckbox) {
      EXPECT_EQ(t.host.params[i].checkbox_label, "");
      EXPECT_EQ(d.u.cb.value, d.u.cb.dephault);
    }
    if (row.kind == kHIParamPopup) {
      EXPECT_EQ(d.u.pd.num_choices, 3);
      EXPECT_EQ(d.u.pd.value, d.u.pd.dephault);
    }
  }
  EXPECT_EQ(t.param(106).u.cb.dephault, int32_t(DefaultSettings().limiter_enable));
  EXPECT_EQ(t.param(110).u.cb.dephault, 0);
  EXPECT_EQ(t.param(116).u.cb.dephault, 0);
  EXPECT_EQ(t.param(114).u.pd.dephault, 3);

  // The custom areas.
  struct Area {
    int32_t id;
    int16_t width, height;
    uint32_t uiFlags;
  } areas[] = {{1, 279, 51, 0x82}, {118, 362, 24, 0x2}, {45, 362, 362, 0x2}, {104, 362, 374, 0x2}};
  for (const Area& a : areas) {
    EXPECT_EQ(t.param(a.id).ui_width, a.width) << a.id;
    EXPECT_EQ(t.param(a.id).ui_height, a.height) << a.id;
    EXPECT_EQ(t.param(a.id).ui_flags, a.uiFlags) << a.id;
  }
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
  std::vector<HIParamDef> defs;
  for (const SHParam& p : t.host.params) defs.push_back(p.def);
  std::vector<HIParamDef*> params;
  for (HIParamDef& d : defs) params.push_back(&d);
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
    std::vector<HIParamDef> defs;
    for (const SHParam& p : t.host.params) defs.push_back(p.def);
    std::vector<HIParamDef*> params;
    for (HIParamDef& d : defs) params.push_back(&d);
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

// Every mirrored parameter lands on its field by the mapping rules, and no
// other byte of the record changes.
TEST(PluginParams, EveryMirroredParameterLandsOnItsFieldAndNothingElseMoves) {
  PluginTestHost t;
  std::map<int32_t, size_t> offsetOfId;
  const size_t hslField[9] = {4, 8, 12, 16, 20, 24, 28, 32, 36};
  for (int32_t r = 0; r < 4; ++r) {
    const int32_t ids[9] = {5 + 10 * r, 6 + 10 * r, 119 + r, 7 + 10 * r, 8 + 10 * r,
                            9 + 10 * r, 10 + 10 * r, 11 + 10 * r, 12 + 10 * r};
    for (int k = 0; k < 9; ++k) offsetOfId[ids[k]] = 12 + 40 * size_t(r) + hslField[k];
    for (int32_t c = 0; c < 4; ++c) {
      const size_t base = 176 + 52 * size_t(r) + 4 + 12 * size_t(c);
      offsetOfId[50 + 14 * r + 3 * c] = base;      // gain
      offsetOfId[48 + 14 * r + 3 * c] = base + 4;  // gamma
      offsetOfId[49 + 14 * r + 3 * c] = base + 8;  // pedestal
    }
  }
  const std::pair<int32_t, size_t> limiter[] = {{106, 33376}, {116, 33380}, {107, 33384}, {108, 33388},
                                                {109, 33392}, {110, 33396}, {111, 33400}, {112, 33404},
                                                {113, 33408}, {114, 33412}, {115, 33416}};
  for (auto [id, offset] : limiter) offsetOfId[id] = offset;
  ASSERT_EQ(offsetOfId.size(), 95u);  // 36 HSL, 48 RGB and 11 limiter parameters

  std::vector<HIParamDef> defs;
  for (const SHParam& p : t.host.params) defs.push_back(p.def);
  std::vector<HIParamDef*> params;
  for (HIParamDef& d : defs) params.push_back(&d);
  for (HIParamDef& d : defs) {
    if (d.param_type == kHIParamFloatSlider) d.u.fs.value = 1000.0 + d.uu_id;
    if (d.param_type == kHIParamCheckbox) d.u.cb.value = 1000 + d.uu_id;
    if (d.param_type == kHIParamPopup) d.u.pd.value = 1000 + d.uu_id;
  }
  auto* g = static_cast<VLGlobalData*>(HILockHandle(t.host.global_data));
  const VL_SettingsStruct before = DefaultSettings();
  VL_SettingsStruct s = before;
  UpdateVLSettingsFromControls(&s, params.data(), g);
  HIUnlockHandle(t.host.global_data);
  const auto* a = reinterpret_cast<const uint8_t*>(&before);
  const auto* b = reinterpret_cast<const uint8_t*>(&s);
  std::set<size_t> written;
  for (auto [id, offset] : offsetOfId) {
    const HIParamDef& d = defs[size_t(t.index(id))];
    if (d.param_type == kHIParamFloatSlider) {
      float f;
      std::memcpy(&f, b + offset, 4);
      EXPECT_EQ(f, float(1000 + id)) << id;
    } else {
      int32_t i;
      std::memcpy(&i, b + offset, 4);
      EXPECT_EQ(i, 1000 + id) << id;
    }
    for (size_t k = 0; k < 4; ++k) written.insert(offset + k);
  }
  for (size_t k = 0; k < sizeof s; ++k) {
    if (!written.count(k)) {
      ASSERT_EQ(a[k], b[k]) << "byte " << k;
    }
  }
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
