// The scopes share their work out over the task pool: drawn on four tasks
// they must give the very pixels they give on the caller alone, for the
// vectorscope (its dots counted by each task in a grid of its own, their sub-pixel
// offsets carried across the parts' rows), every waveform kind and the
// histograms.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/views/analysis_panes.h"
#include "core/task_pool.h"
#include "scope_test_frames.h"
#include "settings/prefs.h"

namespace {

using Picture = std::unique_ptr<TKImage, TKImageDisposer>;

// Gradients under noise, so dots and traces spread and pile up.
Picture NoisyGradient(int32_t width, int32_t height) {
  Picture picture(TKImageCreate(width, height));
  uint32_t seed = 777;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int32_t noise = int32_t(seed >> 27) - 16;
      auto clamp = [](int32_t v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
      SetPixel(picture.get(), x, y, clamp(x * 255 / width + noise), clamp(y * 255 / height - noise),
               clamp(128 + noise));
    }
  return picture;
}

std::vector<uint8_t> Pixels(TKImage* image) {
  std::vector<uint8_t> bytes(size_t(TKImageWidth(image)) * TKImageHeight(image) * 4);
  EXPECT_EQ(kQVNoErr, TKImageExport(image, bytes.data(), TKImageWidth(image) * 4, kTKPixelFormatBGRA));
  return bytes;
}

// Every scope kind at two zooms and in the combo display, drawn into a
// fresh picture each time.
std::vector<std::vector<uint8_t>> DrawAll(TKImage* source) {
  std::vector<std::vector<uint8_t>> drawn;
  for (int32_t kind = kScopeLumaWFM; kind <= kScopeToneCurve; ++kind)
    for (int32_t zoom : {1, 10}) {
      if (kind != kScopeVectorscope && zoom != 1) continue;
      gComboVectorscopeZoom = zoom;
      Picture target(TKImageCreate(640, 400));
      DrawScopeByKind(kind, target.get(), nullptr, source);
      drawn.push_back(Pixels(target.get()));
    }
  Picture combo(TKImageCreate(700, 500));
  DrawComboPane(combo.get(), nullptr, source);
  drawn.push_back(Pixels(combo.get()));
  gComboVectorscopeZoom = 1;
  return drawn;
}

TEST(ScopeParts, FourTasksDrawTheSamePixelsAsOne) {
  PFLoadDefaultPreferences(&gPrefsSettings);
  Picture tall = NoisyGradient(900, 700), small = NoisyGradient(300, 200);
  for (int32_t colour = 0; colour < 2; ++colour) {
    gPrefsSettings.wfmColor = colour;
    VLMPStopProcessPool();
    ASSERT_EQ(gNumProcessors, 1u);
    const auto alone = DrawAll(tall.get()), aloneSmall = DrawAll(small.get());
    VLMPSetProcessorCountOverride(4);
    VLMPStartProcessPool();
    ASSERT_EQ(gNumProcessors, 4u);
    const auto shared = DrawAll(tall.get()), sharedSmall = DrawAll(small.get());
    VLMPStopProcessPool();
    VLMPSetProcessorCountOverride(0);
    ASSERT_EQ(alone.size(), shared.size());
    for (size_t i = 0; i < alone.size(); ++i) {
      EXPECT_TRUE(alone[i] == shared[i]) << "drawing " << i << " colour " << colour;
      EXPECT_TRUE(aloneSmall[i] == sharedSmall[i]) << "small drawing " << i << " colour " << colour;
    }
  }
}

}  // namespace
