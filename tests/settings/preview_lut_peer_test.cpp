// A written preview LUT read by a real peer: OpenColorIO's ociochecklut
// gives the engine's own values for the same correction within 1e-3.
// Skipped where ociochecklut is not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/frame_buffer.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "settings/preview_lut_file.h"
#include "tests/scratch_folder.h"

namespace {

// The engine's result for one pixel.
void Engine(const float in[3], float out[3]) {
  FBFrameStruct *source = nullptr, *destination = nullptr;
  ASSERT_EQ(kQVNoErr, FBCreateRGBFrameBuffer(1, 1, &source, kFBPixFormatPlanarFloat));
  ASSERT_EQ(kQVNoErr, FBCreateRGBFrameBuffer(1, 1, &destination, kFBPixFormatPlanarFloat));
  for (int c = 0; c < 4; ++c)
    reinterpret_cast<float*>(source->baseAddr + size_t(c) * source->planeBytes)[0] = c < 3 ? in[c] : in[0];
  ASSERT_EQ(kQVNoErr, ProcessImage(source, destination, 0, 0));
  for (int c = 0; c < 3; ++c) out[c] = reinterpret_cast<float*>(destination->baseAddr + size_t(c) * destination->planeBytes)[0];
  FBDisposeFrameBuffer(source);
  FBDisposeFrameBuffer(destination);
}

TEST(PreviewLUTPeer, OCIOReadsTheEngineValues) {
  if (std::system("command -v ociochecklut > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ociochecklut";
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  s.levelsEnable = 1;
  s.levels[kVLLevelsMaster].enable = 1;
  s.levels[kVLLevelsRed].enable = 1;
  s.levels[kVLLevelsMaster].inblackpt = 0.1f;
  s.levels[kVLLevelsMaster].inwhitept = 0.9f;
  s.levels[kVLLevelsRed].ingraypt = 0.4f;
  ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
  std::string dir = MakeScratchFolder("ocio");
  QVFileRef folder;
  ASSERT_EQ(kQVNoErr, PLFileRefFromPath(dir.c_str(), &folder));
  ASSERT_EQ(kQVNoErr, WritePreviewLUT(&s, &folder, "look.lut", 4096));

  // Inputs whose outputs stay within 0..1, which is all a 1D LUT file holds.
  const float inputs[][3] = {{0.5f, 0.25f, 0.75f}, {0.2f, 0.6f, 0.85f}, {0.15f, 0.5f, 0.33f}};
  for (const auto& in : inputs) {
    float ours[3];
    Engine(in, ours);
    char command[1200];
    std::snprintf(command, sizeof command, "ociochecklut '%s/look.lut' %.6f %.6f %.6f", dir.c_str(), in[0], in[1], in[2]);
    FILE* pipe = popen(command, "r");
    ASSERT_NE(nullptr, pipe);
    float theirs[3] = {-1, -1, -1};
    int read = std::fscanf(pipe, "%f %f %f", &theirs[0], &theirs[1], &theirs[2]);
    pclose(pipe);
    ASSERT_EQ(3, read) << command;
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(ours[c], theirs[c], 1e-3) << "input " << in[0] << " channel " << c;
    EXPECT_GT(std::abs(ours[0] - in[0]), 0.01f) << "the correction changes the picture";
  }
}

}  // namespace
