// Pins the main job's output bit for bit: the bundled clip through the loaded
// effect with the bundled correction, as velmora-host renders it by default,
// and its first frame in every host layout. Checksums of the output pixels
// are checked against tests/tools/standin_host/golden_main_job.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/fourcc.h"
#include "tests/golden_checksums.h"
#include "tests/scratch_folder.h"
#include "platform/standin_host/sh_host.h"
#include "tools/standin_host/sh_png.h"
#include "tools/standin_host/sh_project.h"

#ifdef VELMORA_PLUGIN_PATH

namespace {

const std::string kClip = std::string(VELMORA_SOURCE_DIR) + "/tools/standin_host/clip";

std::vector<std::string> clipFrames() {
  std::vector<std::string> frames;
  for (const auto& entry : std::filesystem::directory_iterator(kClip))
    if (entry.path().extension() == ".png") frames.push_back(entry.path().string());
  std::sort(frames.begin(), frames.end());
  return frames;
}

// The effect started on a host with that signature, with the bundled correction.
struct BundledEffect {
  SHHost host;
  explicit BundledEffect(uint32_t signature) {
    setenv("VELMORA_PREFERENCES", ScratchDir("golden_main_job").c_str(), 1);
    host.config = SHConfigForSignature(signature);
    std::string error;
    EXPECT_TRUE(SHLoadPlugin(&host, VELMORA_PLUGIN_PATH, &error)) << error;
    EXPECT_EQ(SHStartEffect(&host), kHINoErr);
    EXPECT_TRUE(SHLoadProject(&host, kClip + "/correction.vlhp", &error)) << error;
  }
  ~BundledEffect() {
    SHStopEffect(&host);
    SHUnloadPlugin(&host);
  }
  // The checksum of the frame rendered in the layout: its pixels, row padding left out.
  uint64_t render(const SHImage& image, SHLayout layout) {
    SHFrame in, out;
    SHMakeFrame(layout, image.width, image.height, 0, &in);
    SHMakeFrame(layout, image.width, image.height, 0, &out);
    SHImageToFrame(image, &in);
    EXPECT_EQ(SHRender(&host, in, &out, 0, true), kHINoErr);
    return GoldenChecksumRows(out.world.data, size_t(image.width) * size_t(SHGetLayoutInfo(layout).bytes_per_pixel),
                              size_t(out.world.row_bytes), size_t(image.height));
  }
};

SHImage readFrame(const std::string& path) {
  SHImage image;
  std::string error;
  EXPECT_TRUE(SHReadPNG(path, &image, &error)) << error;
  return image;
}

TEST(Golden, BundledClipWithTheBundledCorrection) {
  std::vector<std::string> frames = clipFrames();
  ASSERT_FALSE(frames.empty()) << "no frames in " << kClip;
  GoldenEntries entries;
  {
    // The default job: a host with the world suite, 16-bit pixels.
    BundledEffect effect(QVFourCC("FXTC"));
    for (const std::string& path : frames)
      entries.emplace_back("main-job/" + std::filesystem::path(path).stem().string(),
                           effect.render(readFrame(path), kSHLayoutARGB16));
  }
  SHImage first = readFrame(frames[0]);
  for (bool premiere : {false, true}) {
    BundledEffect effect(QVFourCC(premiere ? "PPro" : "FXTC"));
    for (int32_t l = 0; l < kSHLayoutCount; ++l) {
      const SHLayoutInfo& info = SHGetLayoutInfo(SHLayout(l));
      if (premiere ? !info.premiere : !info.world) continue;
      entries.emplace_back(std::string(premiere ? "premiere/" : "world/") + info.name,
                           effect.render(first, SHLayout(l)));
    }
  }
  ExpectGoldenChecksums("tests/tools/standin_host/golden_main_job.txt",
                        "The bundled clip through the effect with the bundled correction "
                        "(tests/tools/standin_host/golden_test.cpp).",
                        entries);
}

}  // namespace

#endif
