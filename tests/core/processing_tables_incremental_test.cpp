// A build rewrites only the tables whose inputs changed since they were last
// written. After every edit, in every section, alone and in random sequences,
// the tables, their packed copies and the frame-settings block must be byte
// for byte those of a build that writes every table again.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/processing_tables.h"
#include "core/processing_tables_internal.h"
#include "tests/core/test_corrections.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Edit {
  const char* name;
  std::function<void(VL_SettingsStruct&, float)> apply;
};

uint32_t Flag(float v) { return v > 0.9f ? 1u : 0u; }

// Each edit sets one control (or switch) from a value; values near 1 suit
// gammas and gains, the switches read values above 0.9 as on.
const std::vector<Edit>& Edits() {
  static const std::vector<Edit> edits = {
      {"HSL master contrast", [](VL_SettingsStruct& s, float v) { s.hsl[kVLRangeMaster].contrast = (v - 1) * 50; }},
      {"HSL master gamma", [](VL_SettingsStruct& s, float v) { s.hsl[kVLRangeMaster].gamma = v; }},
      {"HSL shadows contrast centre", [](VL_SettingsStruct& s, float v) { s.hsl[kVLRangeShadows].contrastCenter = v / 2; }},
      {"HSL midtones brightness", [](VL_SettingsStruct& s, float v) { s.hsl[kVLRangeMidtones].brightness = (v - 1) * 40; }},
      {"HSL highlights gamma", [](VL_SettingsStruct& s, float v) { s.hsl[kVLRangeHighlights].gamma = v; }},
      {"HSL highlights saturation", [](VL_SettingsStruct& s, float v) { s.hsl[kVLRangeHighlights].saturation = v * 100; }},
      {"HSL shadows switch", [](VL_SettingsStruct& s, float v) { s.hsl[kVLRangeShadows].enable = Flag(v); }},
      {"HSL switch", [](VL_SettingsStruct& s, float v) { s.hslEnable = Flag(v); }},
      {"hue offsets", [](VL_SettingsStruct& s, float v) { s.hueOffsets.wheel[1].tintangle = v * 90; }},
      {"hue offsets switch", [](VL_SettingsStruct& s, float v) { s.hueOffsetEnable = Flag(v); }},
      {"RGB master gain", [](VL_SettingsStruct& s, float v) { s.rgb[kVLRangeMaster].gain = v; }},
      {"RGB master gamma", [](VL_SettingsStruct& s, float v) { s.rgb[kVLRangeMaster].gamma = v; }},
      {"RGB master green gamma", [](VL_SettingsStruct& s, float v) { s.rgb[kVLRangeMaster].channel[1].gamma = v; }},
      {"RGB shadows red gamma", [](VL_SettingsStruct& s, float v) { s.rgb[kVLRangeShadows].channel[0].gamma = v; }},
      {"RGB highlights gamma", [](VL_SettingsStruct& s, float v) { s.rgb[kVLRangeHighlights].gamma = v; }},
      {"RGB midtones switch", [](VL_SettingsStruct& s, float v) { s.rgb[kVLRangeMidtones].enable = Flag(v); }},
      {"RGB switch", [](VL_SettingsStruct& s, float v) { s.rgbEnable = Flag(v); }},
      {"CMY master gamma", [](VL_SettingsStruct& s, float v) { s.cmy[kVLRangeMaster].gamma = v; }},
      {"CMY midtones magenta gamma", [](VL_SettingsStruct& s, float v) { s.cmy[kVLRangeMidtones].channel[1].gamma = v; }},
      {"CMY shadows pedestal", [](VL_SettingsStruct& s, float v) { s.cmy[kVLRangeShadows].pedestal = (v - 1) / 10; }},
      {"CMY switch", [](VL_SettingsStruct& s, float v) { s.cmyEnable = Flag(v); }},
      {"Y'CbCr master gamma", [](VL_SettingsStruct& s, float v) { s.ycbcr[kVLRangeMaster].gamma = v; }},
      {"Y'CbCr master Y gamma", [](VL_SettingsStruct& s, float v) { s.ycbcr[kVLRangeMaster].channel[0].gamma = v; }},
      {"Y'CbCr highlights Cr gamma", [](VL_SettingsStruct& s, float v) { s.ycbcr[kVLRangeHighlights].channel[2].gamma = v; }},
      {"Y'CbCr shadows gamma", [](VL_SettingsStruct& s, float v) { s.ycbcr[kVLRangeShadows].gamma = v; }},
      {"Y'CbCr shadows switch", [](VL_SettingsStruct& s, float v) { s.ycbcr[kVLRangeShadows].enable = Flag(v); }},
      {"Y'CbCr switch", [](VL_SettingsStruct& s, float v) { s.ycbcrEnable = Flag(v); }},
      {"levels master grey", [](VL_SettingsStruct& s, float v) { s.levels[kVLLevelsMaster].ingraypt = v / 2; }},
      {"levels red grey", [](VL_SettingsStruct& s, float v) { s.levels[kVLLevelsRed].ingraypt = v / 2; }},
      {"levels blue white", [](VL_SettingsStruct& s, float v) { s.levels[kVLLevelsBlue].inwhitept = v; }},
      {"levels green switch", [](VL_SettingsStruct& s, float v) { s.levels[kVLLevelsGreen].enable = Flag(v); }},
      {"levels switch", [](VL_SettingsStruct& s, float v) { s.levelsEnable = Flag(v); }},
      {"highlight recovery", [](VL_SettingsStruct& s, float v) { s.input.outputControls_highlight_recovery = v - 1; }},
      {"RGB master curve", [](VL_SettingsStruct& s, float v) { s.rgbCurves[kVLCurveMaster].spline.y[1] = v / 2; }},
      {"RGB blue curve", [](VL_SettingsStruct& s, float v) { s.rgbCurves[kVLCurveBlue].spline.x[1] = v / 2; }},
      {"RGB curves switch", [](VL_SettingsStruct& s, float v) { s.rgbCurvesEnable = Flag(v); }},
      {"HSL saturation curve", [](VL_SettingsStruct& s, float v) { s.hslCurves[kVLCurveSaturation].spline.y[1] = v / 2; }},
      {"HSL curves switch", [](VL_SettingsStruct& s, float v) { s.hslCurvesEnable = Flag(v); }},
      {"curves switch", [](VL_SettingsStruct& s, float v) { s.curvesEnable = Flag(v); }},
      {"luma ranges", [](VL_SettingsStruct& s, float v) { s.lumaRanges.lumarange_shadowx = v / 4; }},
      {"luma ranges switch", [](VL_SettingsStruct& s, float v) { s.lumaRangesEnable = Flag(v); }},
      {"secondary B gamma", [](VL_SettingsStruct& s, float v) { s.secondary[1].gamma = v; }},
      {"secondary F gain", [](VL_SettingsStruct& s, float v) { s.secondary[5].gain = v; }},
      {"secondary E switch", [](VL_SettingsStruct& s, float v) { s.secondary[4].enable = Flag(v); }},
      {"secondaries switch", [](VL_SettingsStruct& s, float v) { s.secondaryKeyerEnable = Flag(v); }},
      {"limiter knee", [](VL_SettingsStruct& s, float v) { s.limiter.limiter_softclip_knee = v * 80; }},
      {"limiter switch", [](VL_SettingsStruct& s, float v) { s.limiter_enable = Flag(v); }},
      {"linearization switch", [](VL_SettingsStruct& s, float v) { s.linearizationOn = Flag(v); }},
      {"linearization gamma", [](VL_SettingsStruct& s, float v) { s.linearizationGamma = v * 2; }},
      {"linearization video", [](VL_SettingsStruct& s, float v) { s.linearizeVideoGamma = Flag(v); }},
      {"linearization log", [](VL_SettingsStruct& s, float v) { s.linearizeLog = Flag(v); }},
      {"linearization kind 3", [](VL_SettingsStruct& s, float v) { s.linearizeSelector3 = Flag(v); }},
      {"linearization kind 4", [](VL_SettingsStruct& s, float v) { s.linearizeSelector4 = Flag(v); }},
      {"log black point", [](VL_SettingsStruct& s, float v) { s.logBlackPoint = uint32_t(std::fabs(v) * 90); }},
      {"log white point", [](VL_SettingsStruct& s, float v) { s.logWhitePoint = uint32_t(std::fabs(v) * 600); }},
  };
  return edits;
}

// Values an edit takes: gammas either side of 1, 1 itself, and the hostile
// ones (0, negative, NaN) that the builder replaces by its fallbacks.
const float kValues[] = {0.8f, 0.97f, 1.0f, 1.25f, 1.9f, 0.0f, -0.5f, kNaN};

struct Published {
  std::vector<unsigned char> bytes;
};

Published Snapshot() {
  Published p;
  p.bytes.resize(sizeof gVLTableStorage + sizeof gFrameSettings);
  std::memcpy(p.bytes.data(), &gVLTableStorage, sizeof gVLTableStorage);
  std::memcpy(p.bytes.data() + sizeof gVLTableStorage, &gFrameSettings, sizeof gFrameSettings);
  return p;
}

// Where the first difference lies, for the failure message.
std::string FirstDifference(const Published& a, const Published& b) {
  for (size_t i = 0; i < a.bytes.size(); ++i)
    if (a.bytes[i] != b.bytes[i]) {
      if (i >= sizeof gVLTableStorage) return "frame settings byte " + std::to_string(i - sizeof gVLTableStorage);
      return "table float " + std::to_string(i / sizeof(float)) + " (table " +
             std::to_string(i / sizeof(float) / kVLTableSize) + " counting 16,385 floats)";
    }
  return "none";
}

class IncrementalTables : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = VL_GetSettingsPreferenceWords();
    VL_SetSettingsPreferenceWords(VLSettingsPreferenceWords{});
    s_ = std::make_unique<VL_SettingsStruct>(fullCorrection());
    s_->linearizationOn = 1;
    s_->linearizationGamma = 2.2f;
    s_->logBlackPoint = 95;
    s_->logWhitePoint = 685;
    VL_ForgetProcessingTableInputs();
    ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(s_.get()));
  }
  void TearDown() override { VL_SetSettingsPreferenceWords(saved_); }

  // Builds the edited record as an edit does, then again writing every table,
  // and compares the two.
  void ExpectSameAsFullBuild(const std::string& what) {
    ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(s_.get())) << what;
    const Published incremental = Snapshot();
    VL_ForgetProcessingTableInputs();
    ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(s_.get())) << what;
    const Published full = Snapshot();
    ASSERT_EQ(incremental.bytes.size(), full.bytes.size());
    EXPECT_TRUE(std::memcmp(incremental.bytes.data(), full.bytes.data(), full.bytes.size()) == 0)
        << what << ": first difference at " << FirstDifference(incremental, full);
  }

  VLSettingsPreferenceWords saved_;
  std::unique_ptr<VL_SettingsStruct> s_;
};

TEST_F(IncrementalTables, EveryEditAloneBuildsWhatAFullBuildBuilds) {
  const VL_SettingsStruct start = *s_;
  for (const Edit& edit : Edits()) {
    for (float v : {0.8f, 1.0f, 1.25f, 0.0f, kNaN}) {
      edit.apply(*s_, v);
      ExpectSameAsFullBuild(std::string(edit.name) + " = " + std::to_string(v));
      if (HasFailure()) return;
    }
    // And back, as an undo does.
    *s_ = start;
    ExpectSameAsFullBuild(std::string(edit.name) + " undone");
  }
}

TEST_F(IncrementalTables, RandomEditSequencesBuildWhatAFullBuildBuilds) {
  std::mt19937 random(20261211);
  const std::vector<Edit>& edits = Edits();
  for (int sequence = 0; sequence < 4; ++sequence) {
    *s_ = fullCorrection();
    std::string history;
    for (int step = 0; step < 40; ++step) {
      // Mostly one edit, sometimes several at once as a preset load or undo gives.
      const int count = random() % 5 == 0 ? 1 + int(random() % 6) : 1;
      for (int k = 0; k < count; ++k) {
        const Edit& edit = edits[random() % edits.size()];
        const float v = kValues[random() % (sizeof kValues / sizeof kValues[0])];
        edit.apply(*s_, v);
        history += std::string(edit.name) + "=" + std::to_string(v) + "; ";
      }
      ExpectSameAsFullBuild("after " + history);
      if (HasFailure()) return;
    }
  }
}

// Builds that follow one another without a full build between them, as a
// drag and its undo give: each must still build what a full build of its
// record builds. A gamma table keeps values part way along its chain of
// exponents, so an edit that returns to earlier exponents, or moves an
// earlier and then a later one, must not start from values kept for others.
TEST_F(IncrementalTables, EditsInARowBuildWhatFullBuildsBuild) {
  struct Step {
    const char* edit;
    float value;
  };
  const Step kSteps[] = {
      {"RGB master gamma", 1.25f},        {"RGB master gamma", 0.8f},         {"CMY master gamma", 1.25f},
      {"RGB master gamma", 1.0f},         {"RGB master green gamma", 0.97f},  {"RGB master gamma", 1.25f},
      {"CMY master gamma", 0.8f},         {"RGB master green gamma", 0.8f},   {"RGB master gamma", 0.8f},
      {"CMY midtones magenta gamma", 1.9f}, {"RGB shadows red gamma", 1.25f}, {"CMY midtones magenta gamma", 1.0f},
      {"RGB switch", 0.0f},               {"RGB master gamma", 1.9f},         {"RGB switch", 1.0f},
      {"Y'CbCr master gamma", 1.25f},     {"Y'CbCr master Y gamma", 0.8f},    {"Y'CbCr master gamma", 0.8f},
      {"Y'CbCr master Y gamma", 1.0f},    {"Y'CbCr master gamma", 1.25f},     {"levels master grey", 0.8f},
      {"levels red grey", 1.25f},         {"levels master grey", 1.25f},      {"levels red grey", 1.0f},
      {"levels master grey", 0.8f},       {"levels switch", 0.0f},            {"levels master grey", 1.9f},
      {"levels switch", 1.0f},
  };
  std::vector<VL_SettingsStruct> records;
  std::vector<Published> built;
  std::mt19937 random(7);
  const std::vector<Edit>& edits = Edits();
  auto step = [&](const std::string& name, float value) {
    for (const Edit& edit : edits)
      if (name == edit.name) edit.apply(*s_, value);
    ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(s_.get())) << name;
    records.push_back(*s_);
    built.push_back(Snapshot());
  };
  for (const Step& s : kSteps) step(s.edit, s.value);
  // Then random gamma edits, which often return to exponents seen before.
  std::vector<const Edit*> gammas;
  for (const Edit& edit : edits)
    if (std::string(edit.name).find("gamma") != std::string::npos ||
        std::string(edit.name).find("grey") != std::string::npos)
      gammas.push_back(&edit);
  for (int k = 0; k < 60; ++k)
    step(gammas[random() % gammas.size()]->name, kValues[random() % (sizeof kValues / sizeof kValues[0])]);

  for (size_t i = 0; i < records.size(); ++i) {
    VL_ForgetProcessingTableInputs();
    ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(&records[i]));
    const Published full = Snapshot();
    ASSERT_TRUE(std::memcmp(built[i].bytes.data(), full.bytes.data(), full.bytes.size()) == 0)
        << "build " << i << " in a row: first difference at " << FirstDifference(built[i], full);
  }
}

// Each entry of a gamma table is its x raised to the table's exponents one
// after another in single precision, bit for bit, however the build shares
// out, orders or resumes the work: checked against that plain chain after
// gamma edits in a row.
TEST_F(IncrementalTables, GammaTablesHoldThePlainChainOfPowersBitForBit) {
  auto chain = [](int i, std::initializer_list<float> exponents) {
    float v = float(i) / float(kVLTableLastIndex);
    for (float e : exponents) v = e == 1.0f ? v : std::pow(v, e);
    return v;
  };
  auto check = [&](const std::string& when) {
    const VLFrameSettings& fs = gFrameSettings;
    for (int tone = 0; tone < 4; ++tone) {
      const int r = kVLToneToRecordRange[tone];
      const VLPrimaryFrameSettings& rgb = fs.rgb[tone];
      const VLPrimaryFrameSettings& ycc = fs.ycbcr[tone];
      for (int c = 0; c < 3; ++c) {
        const float* rgbTable = tone == 0 ? gVLTableStorage.rgbMaster[c] : gVLTableStorage.rgbRange[c][tone - 1];
        const float* yccTable = tone == 0 ? gVLTableStorage.ycbcrMaster[c] : gVLTableStorage.ycbcrRange[c][tone - 1];
        const float own = VLSafeInvGamma(s_->rgb[r].channel[c].gamma);
        const float cmyA = rgb.cmyInvGamma[c == 0 ? 2 : 1], cmyB = rgb.cmyInvGamma[c == 2 ? 2 : 3];
        int wrong = 0;
        for (int i = 0; i < kVLTableSize; ++i) {
          const float expected = chain(i, {own, rgb.invGamma, rgb.cmyInvGamma[0], cmyA, cmyB});
          wrong += std::memcmp(&expected, &rgbTable[i], sizeof expected) != 0;
          const float expectedY = c == 0 ? chain(i, {ycc.channelInvGamma[0], ycc.invGamma})
                                         : chain(i, {ycc.channelInvGamma[c]});
          wrong += std::memcmp(&expectedY, &yccTable[i], sizeof expectedY) != 0;
        }
        EXPECT_EQ(wrong, 0) << when << ": tone " << tone << " channel " << c;
      }
    }
  };
  check("first build");
  struct Step {
    const char* edit;
    float value;
  };
  const Step kSteps[] = {{"RGB master gamma", 1.25f},      {"CMY master gamma", 0.8f},
                         {"RGB master green gamma", 1.9f}, {"RGB master gamma", 0.97f},
                         {"CMY midtones magenta gamma", 1.25f}, {"RGB shadows red gamma", 0.8f},
                         {"Y'CbCr master gamma", 1.25f},   {"Y'CbCr master Y gamma", 0.8f},
                         {"Y'CbCr master gamma", 1.9f},    {"Y'CbCr highlights Cr gamma", 1.25f}};
  for (const Step& step : kSteps) {
    for (const Edit& edit : Edits())
      if (std::string(edit.name) == step.edit) edit.apply(*s_, step.value);
    ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(s_.get()));
    check(std::string("after ") + step.edit);
    if (HasFailure()) return;
  }
}

// A build with nothing changed writes nothing, and a build with one gamma
// changed leaves the other tables alone: the tables a build skips are those
// it would have written with the same entries.
TEST_F(IncrementalTables, AnEditOfOneGammaRewritesOnlyItsTable) {
  const std::vector<float> poison(kVLTableSize, -7.0f);
  float* other = gVLTableStorage.secondaryGamma[2];
  float* edited = gVLTableStorage.secondaryGamma[0];
  std::memcpy(other, poison.data(), sizeof(float) * kVLTableSize);
  std::memcpy(edited, poison.data(), sizeof(float) * kVLTableSize);
  s_->secondary[0].gamma = 0.7f;
  ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(s_.get()));
  EXPECT_EQ(-7.0f, other[100]) << "an unchanged table was written";
  EXPECT_NE(-7.0f, edited[100]) << "the edited table was not written";
  VL_ForgetProcessingTableInputs();
  ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(s_.get()));
  EXPECT_NE(-7.0f, other[100]) << "a forgotten table was not written";
}

}  // namespace
