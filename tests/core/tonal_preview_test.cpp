#include "core/tonal_preview.h"

#include "core/processing_tables.h"
#include "core/settings_record.h"
#include "core/task_pool.h"
#include "tests/core/frame_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

VL_SettingsStruct previewSettings(bool linearize) {
  VL_SettingsStruct s;
  memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  if (linearize) {
    s.linearizationOn = 1;
    s.linearizationGamma = 3.0f;
  }
  return s;
}

FramePtr lumaFrame(std::initializer_list<float> lumas, uint32_t rows = 1) {
  FramePtr f = makeFrame(uint32_t(lumas.size()), rows, kFBPixFormatPlanarFloat);
  for (uint32_t y = 0; y < rows; ++y) {
    uint32_t x = 0;
    for (float v : lumas) planeRow(f.get(), 3, y)[x++] = v;
  }
  return f;
}

TEST(TonalPreview, ColoursByDominantRange) {
  VL_SettingsStruct s = previewSettings(false);
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
  FramePtr f = lumaFrame({0.0f, -1.0f, 0.5f, 1.0f, 3.0f, NAN});
  std::vector<uint32_t> out(6, 1), bgra(6, 1);
  ProcessHMSPreviewWork(f.get(), out.data(), 24, kFBPixFormat32ARGB);
  ProcessHMSPreviewWork(f.get(), bgra.data(), 24, kFBPixFormatBGRA);
  const uint32_t expect[6] = {0xFF000000u, 0xFF000000u, 0xFF7D7D7Du, 0xFFEBEBEBu, 0xFFEBEBEBu, 0xFF000000u};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(expect[i], out[i]) << i;
    EXPECT_EQ(__builtin_bswap32(expect[i]), bgra[i]) << i;
  }
  std::vector<uint32_t> untouched(6, 1);
  ProcessHMSPreviewWork(f.get(), untouched.data(), 24, kFBPixFormatFloatARGB);
  EXPECT_EQ(1u, untouched[0]);
}

TEST(TonalPreview, LinearizationAppliesOnlyToThe32Layout) {
  VL_SettingsStruct s = previewSettings(true);
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
  ASSERT_TRUE(gFrameSettings.gates.inputLinearization);
  FramePtr f = lumaFrame({0.8f});  // 0.8 cubed is about 0.51: a midtone instead of a highlight
  uint32_t argb = 0, bgra = 0;
  ProcessHMSPreviewWork(f.get(), &argb, 4, kFBPixFormat32ARGB);
  ProcessHMSPreviewWork(f.get(), &bgra, 4, kFBPixFormatBGRA);
  EXPECT_EQ(0xFF7D7D7Du, argb);
  EXPECT_EQ(0xEBEBEBFFu, bgra);
}

TEST(TonalPreview, BandsMatchInline) {
  VL_SettingsStruct s = previewSettings(false);
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
  VLMPMaster master{};
  VLMPSetProcessorCountOverride(4);
  ASSERT_EQ(4u, VLMPInitialize(&master, 1));
  const uint32_t w = 7, h = 33;
  FramePtr f = makeFrame(w, h, kFBPixFormatPlanarFloat);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) planeRow(f.get(), 3, y)[x] = float(y * w + x) / float(w * h);
  std::vector<uint32_t> a(w * h), b(w * h);
  ProcessHMSPreview(f.get(), a.data(), w * 4, kFBPixFormat32ARGB, 1, &master);
  ProcessHMSPreview(f.get(), b.data(), w * 4, kFBPixFormat32ARGB, 4, &master);
  EXPECT_EQ(a, b);
  EXPECT_EQ(0xFF000000u, a.front());
  EXPECT_EQ(0xFFEBEBEBu, a.back());
  VLMPStopAllTasks(master.taskCount, &master);
  VLMPSetProcessorCountOverride(0);
}

}  // namespace
