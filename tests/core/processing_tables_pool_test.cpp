// Tables built with their entries shared out over the task pool are the very
// tables built on the caller alone, for corrections that build every kind of
// table (every linearization included) and for gammas above and below 1.
#include "core/processing_tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/task_pool.h"
#include "tests/core/test_corrections.h"

namespace {

std::vector<const float*> AllTables() {
  std::vector<const float*> tables = {
      gHSL_CBG_Lookup,          gHSL_CBG_S_Lookup,        gHSL_CBG_M_Lookup,        gHSL_CBG_H_Lookup,
      gRGBGammaLookup,          gRGBGammaRLookup,         gRGBGammaGLookup,         gRGBGammaBLookup,
      gRGB_Gamma_R_S_Lookup,    gRGB_Gamma_R_M_Lookup,    gRGB_Gamma_R_H_Lookup,    gRGB_Gamma_G_S_Lookup,
      gRGB_Gamma_G_M_Lookup,    gRGB_Gamma_G_H_Lookup,    gRGB_Gamma_B_S_Lookup,    gRGB_Gamma_B_M_Lookup,
      gRGB_Gamma_B_H_Lookup,    gYCbCrGammaLookup,        gYCbCrGammaYLookup,       gYCbCrGammaCbLookup,
      gYCbCrGammaCrLookup,      gYCbCr_Gamma_Y_S_Lookup,  gYCbCr_Gamma_Y_M_Lookup,  gYCbCr_Gamma_Y_H_Lookup,
      gYCbCr_Gamma_Cb_S_Lookup, gYCbCr_Gamma_Cb_M_Lookup, gYCbCr_Gamma_Cb_H_Lookup, gYCbCr_Gamma_Cr_S_Lookup,
      gYCbCr_Gamma_Cr_M_Lookup, gYCbCr_Gamma_Cr_H_Lookup, gLevelsInGammaRLookup,    gLevelsInGammaGLookup,
      gLevelsInGammaBLookup,    gLinGammaLookup,          gLinGammaInverseLookup};
  for (int n = 0; n < 6; ++n) tables.push_back(gSecondaryKeyer_GammaLookup[n]);
  return tables;
}

std::vector<float> Snapshot() {
  std::vector<float> all;
  for (const float* t : AllTables()) all.insert(all.end(), t, t + kVLTableSize);
  return all;
}

// Every entry written over with a pattern no build gives, before each build,
// so an entry the pooled build missed shows (tables a build leaves alone stay
// poisoned in both).
void Poison() {
  for (const float* t : AllTables()) std::memset(const_cast<float*>(t), 0xFF, kVLTableSize * sizeof(float));
  VL_ForgetProcessingTableInputs();
}

// Puts a snapshot back, so later tests find the tables a build leaves alone
// as they were.
void Restore(const std::vector<float>& snapshot) {
  size_t at = 0;
  for (const float* t : AllTables()) {
    std::memcpy(const_cast<float*>(t), snapshot.data() + at, kVLTableSize * sizeof(float));
    at += kVLTableSize;
  }
  VL_ForgetProcessingTableInputs();
}

struct Linearization {
  uint32_t video, log;
  float gamma;
};

TEST(ProcessingTablesOnPool, FourTasksBuildTheSameTablesAsOne) {
  const Linearization kinds[] = {{1, 0, 2.2f}, {1, 0, 0.45f}, {0, 1, 1.0f}, {0, 0, 1.8f}};
  const std::vector<float> before = Snapshot();
  for (const Linearization& lin : kinds) {
    VL_SettingsStruct s = fullCorrection();
    s.linearizationOn = 1;
    s.linearizeVideoGamma = lin.video;
    s.linearizeLog = lin.log;
    s.linearizationGamma = lin.gamma;
    s.logBlackPoint = 95;
    s.logWhitePoint = 685;
    VLMPStopProcessPool();
    Poison();
    ASSERT_EQ(VL_UpdateProcessingTables(&s), kQVNoErr);
    const std::vector<float> alone = Snapshot();
    const VLFrameSettings aloneBlock = gFrameSettings;
    Poison();
    VLMPSetProcessorCountOverride(4);
    VLMPStartProcessPool();
    ASSERT_EQ(gNumProcessors, 4u);
    ASSERT_EQ(VL_UpdateProcessingTables(&s), kQVNoErr);
    const std::vector<float> shared = Snapshot();
    VLMPStopProcessPool();
    VLMPSetProcessorCountOverride(0);
    ASSERT_EQ(alone.size(), shared.size());
    EXPECT_EQ(std::memcmp(alone.data(), shared.data(), alone.size() * sizeof(float)), 0)
        << "video " << lin.video << " log " << lin.log << " gamma " << lin.gamma;
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(aloneBlock.rgb[0].top[c].value, gFrameSettings.rgb[0].top[c].value);
      EXPECT_EQ(aloneBlock.levels.inTop[c].slope, gFrameSettings.levels.inTop[c].slope);
    }
  }
  Restore(before);
}

}  // namespace
