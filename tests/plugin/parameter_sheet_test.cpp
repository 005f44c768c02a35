// The running plug-in against tests/plugin/parameter_sheet.tsv, the effect's
// parameters written out as data: every definition in index order, and the
// record field each mirrored parameter is bound to, in both directions.
#include <array>
#include <charconv>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "plugin/params.h"
#include "plugin/plugin_data.h"
#include "tests/plugin/plugin_test_host.h"

namespace {

struct SheetLine {
  int32_t index, id;
  std::string kind, name, flags, valid, slider, dephault, precision, field, area, choices;
};

std::vector<std::string> SplitOn(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  size_t begin = 0;
  for (size_t end; (end = text.find(separator, begin)) != std::string::npos; begin = end + separator.size())
    parts.push_back(text.substr(begin, end - begin));
  parts.push_back(text.substr(begin));
  return parts;
}

template <typename T>
T Number(const std::string& text) {
  T value{};
  auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(r.ec == std::errc() && r.ptr == text.data() + text.size()) << "not a number: \"" << text << "\"";
  return value;
}

std::vector<SheetLine> ReadSheet() {
  std::ifstream in(VELMORA_SOURCE_DIR "/tests/plugin/parameter_sheet.tsv");
  EXPECT_TRUE(in.good()) << "parameter_sheet.tsv not found";
  std::vector<SheetLine> lines;
  std::string text;
  bool header = true;
  while (std::getline(in, text)) {
    if (text.empty() || text[0] == '#') continue;
    if (header) {  // the column names
      header = false;
      continue;
    }
    std::vector<std::string> c = SplitOn(text, "\t");
    EXPECT_EQ(c.size(), 12u) << text;
    if (c.size() != 12) continue;
    lines.push_back({Number<int32_t>(c[0]), Number<int32_t>(c[1]), c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9],
                     c[10], c[11]});
  }
  return lines;
}

uint32_t FlagBits(const std::string& words, const std::map<std::string, uint32_t>& names) {
  if (words == "-") return 0;
  uint32_t bits = 0;
  for (const std::string& w : SplitOn(words, ",")) {
    auto it = names.find(w);
    EXPECT_NE(it, names.end()) << "unknown flag " << w;
    if (it != names.end()) bits |= it->second;
  }
  return bits;
}

const std::map<std::string, HIParamType> kKinds = {
    {"layer", kHIParamLayer},     {"arbitrary", kHIParamArbitraryData}, {"group-start", kHIParamGroupStart},
    {"group-end", kHIParamGroupEnd}, {"no-data", kHIParamNoData},      {"slider", kHIParamFloatSlider},
    {"checkbox", kHIParamCheckbox}, {"popup", kHIParamPopup},
};
const std::map<std::string, uint32_t> kParamFlags = {{"supervised", 0x40}, {"collapsed", 0x20}, {"fixed", 0x2}};
const std::map<std::string, uint32_t> kAreaFlags = {{"control", 0x2}, {"no-erase", 0x80}};

// The four bytes a field holds for a value: a float for a slider, an
// integer for a checkbox or pop-up.
std::array<uint8_t, 4> FieldBytes(const std::string& kind, int32_t value) {
  std::array<uint8_t, 4> bytes;
  const float f = float(value);
  if (kind == "slider")
    std::memcpy(bytes.data(), &f, 4);
  else
    std::memcpy(bytes.data(), &value, 4);
  return bytes;
}

double ParamValue(const HIParamDef& d) {
  if (d.param_type == kHIParamFloatSlider) return d.u.fs.value;
  if (d.param_type == kHIParamCheckbox) return d.u.cb.value;
  if (d.param_type == kHIParamPopup) return d.u.pd.value;
  return -1;
}

void SetParamValue(HIParamDef* d, int32_t value) {
  if (d->param_type == kHIParamFloatSlider) d->u.fs.value = value;
  if (d->param_type == kHIParamCheckbox) d->u.cb.value = value;
  if (d->param_type == kHIParamPopup) d->u.pd.value = value;
}

}  // namespace

TEST(ParameterSheet, EveryParameterMatchesItsLineInIndexOrder) {
  const std::vector<SheetLine> sheet = ReadSheet();
  ASSERT_EQ(sheet.size(), 124u);
  PluginTestHost t;
  ASSERT_EQ(t.host.params.size(), sheet.size());
  const VL_SettingsStruct defaults = DefaultSettings();
  for (const SheetLine& line : sheet) {
    SCOPED_TRACE(testing::Message() << "index " << line.index << " id " << line.id << " \"" << line.name << "\"");
    ASSERT_LT(size_t(line.index), t.host.params.size());
    const SHParam& p = t.host.params[size_t(line.index)];
    const HIParamDef& d = p.def;
    EXPECT_EQ(d.uu_id, line.id);
    ASSERT_EQ(kKinds.count(line.kind), 1u) << line.kind;
    EXPECT_EQ(d.param_type, kKinds.at(line.kind));
    EXPECT_STREQ(d.name, line.name.c_str());
    EXPECT_EQ(d.flags, FlagBits(line.flags, kParamFlags));
    if (line.area == "-") {
      EXPECT_EQ(d.ui_flags, 0u);
    } else {
      const std::vector<std::string> area = SplitOn(line.area, " ");
      const std::vector<std::string> size = SplitOn(area.at(0), "x");
      EXPECT_EQ(d.ui_width, Number<int16_t>(size.at(0)));
      EXPECT_EQ(d.ui_height, Number<int16_t>(size.at(1)));
      EXPECT_EQ(d.ui_flags, FlagBits(area.at(1), kAreaFlags));
    }
    switch (d.param_type) {
      case kHIParamFloatSlider: {
        const std::vector<std::string> valid = SplitOn(line.valid, ".."), slider = SplitOn(line.slider, "..");
        EXPECT_EQ(d.u.fs.valid_min, Number<float>(valid.at(0)));
        EXPECT_EQ(d.u.fs.valid_max, Number<float>(valid.at(1)));
        EXPECT_EQ(d.u.fs.slider_min, Number<float>(slider.at(0)));
        EXPECT_EQ(d.u.fs.slider_max, Number<float>(slider.at(1)));
        EXPECT_EQ(d.u.fs.dephault, Number<double>(line.dephault));
        EXPECT_EQ(d.u.fs.value, d.u.fs.dephault);
        EXPECT_EQ(d.u.fs.precision, Number<int16_t>(line.precision));
        EXPECT_FLOAT_EQ(d.u.fs.curve_tolerance, 0.05f);
        EXPECT_EQ(d.u.fs.display_flags, 0);
        break;
      }
      case kHIParamCheckbox:
        EXPECT_EQ(d.u.cb.dephault, line.dephault == "preference" ? int32_t(defaults.limiter_enable)
                                                                 : Number<int32_t>(line.dephault));
        EXPECT_EQ(d.u.cb.value, d.u.cb.dephault);
        EXPECT_EQ(p.checkbox_label, "");
        break;
      case kHIParamPopup:
        EXPECT_EQ(d.u.pd.dephault, line.dephault == "record" ? int32_t(defaults.limiter.limiter_system)
                                                             : Number<int32_t>(line.dephault));
        EXPECT_EQ(d.u.pd.value, d.u.pd.dephault);
        EXPECT_EQ(p.popup_names, line.choices);
        EXPECT_EQ(size_t(d.u.pd.num_choices), SplitOn(line.choices, "|").size());
        break;
      case kHIParamArbitraryData: {
        EXPECT_EQ(d.u.arb.id, line.id);
        std::vector<uint8_t> expected;
        if (line.dephault == "record") {
          const auto* bytes = reinterpret_cast<const uint8_t*>(&defaults);
          expected.assign(bytes, bytes + sizeof defaults);
        } else {
          ASSERT_EQ(line.dephault.rfind("zeros:", 0), 0u) << line.dephault;
          expected.assign(Number<size_t>(line.dephault.substr(6)), 0);
        }
        EXPECT_TRUE(SHHandleBytes(d.u.arb.dephault) == expected);
        EXPECT_TRUE(SHHandleBytes(d.u.arb.value) == expected);
        break;
      }
      default:
        EXPECT_EQ(line.dephault, "-");
        break;
    }
  }
}

// Every parameter with a field on the sheet lands on exactly that field, and
// only those parameters write to the record; the fields come back to the
// same parameters and flag them changed.
TEST(ParameterSheet, MirroredParametersAndTheirFieldsAgreeBothWays) {
  const std::vector<SheetLine> sheet = ReadSheet();
  ASSERT_EQ(sheet.size(), 124u);
  PluginTestHost t;
  ParamCopy params(t.host);
  auto* g = static_cast<VLGlobalData*>(HILockHandle(t.host.global_data));

  // Every parameter that holds a value gets one of its own, 1000 + id.
  for (HIParamDef& d : params.defs) SetParamValue(&d, 1000 + d.uu_id);
  const VL_SettingsStruct before = DefaultSettings();
  VL_SettingsStruct s = before;
  UpdateVLSettingsFromControls(&s, params.data(), g);
  std::set<size_t> written;
  int mirrored = 0;
  for (const SheetLine& line : sheet) {
    if (line.field == "-") continue;
    ++mirrored;
    const size_t at = Number<size_t>(line.field);
    ASSERT_LE(at + 4, sizeof s) << line.id;
    EXPECT_EQ(std::memcmp(reinterpret_cast<const uint8_t*>(&s) + at, FieldBytes(line.kind, 1000 + line.id).data(), 4), 0)
        << "id " << line.id << " at " << at;
    for (size_t k = 0; k < 4; ++k) written.insert(at + k);
  }
  EXPECT_EQ(mirrored, 95);  // 36 HSL, 48 RGB and 11 limiter parameters
  const auto* a = reinterpret_cast<const uint8_t*>(&before);
  const auto* b = reinterpret_cast<const uint8_t*>(&s);
  for (size_t k = 0; k < sizeof s; ++k) {
    if (!written.count(k)) {
      ASSERT_EQ(a[k], b[k]) << "byte " << k << " written by no parameter on the sheet";
    }
  }

  // And back: a record with a value of its own in every sheet field.
  params = ParamCopy(t.host);
  VL_SettingsStruct r = DefaultSettings();
  auto* bytes = reinterpret_cast<uint8_t*>(&r);
  for (const SheetLine& line : sheet) {
    if (line.field == "-") continue;
    std::memcpy(bytes + Number<size_t>(line.field), FieldBytes(line.kind, 2000 + line.id).data(), 4);
  }
  UpdateControlsFromVLSettings(&r, params.data(), g);
  HIUnlockHandle(t.host.global_data);
  for (const SheetLine& line : sheet) {
    const HIParamDef& d = params.defs[size_t(line.index)];
    SCOPED_TRACE(testing::Message() << "id " << line.id);
    EXPECT_EQ(d.change_flags, line.field == "-" ? 0u : 1u);
    if (line.field != "-") {
      EXPECT_EQ(ParamValue(d), 2000.0 + line.id);
    }
  }
}
