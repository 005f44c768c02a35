// The stand-in host driving the plug-in module it loads with dlopen: the
// life cycle, the project file and a render.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/fourcc.h"
#include "platform/host/host_handles.h"
#include "platform/standin_host/sh_host.h"
#include "tools/standin_host/sh_project.h"
#include "tests/scratch_folder.h"

#ifdef VELMORA_PLUGIN_PATH

namespace {

std::string scratch(const char* name) {
  std::string dir = ScratchDir("standin_module");
  setenv("VELMORA_PREFERENCES", dir.c_str(), 1);
  return dir + "/" + name;
}

struct Loaded {
  SHHost host;
  explicit Loaded(uint32_t signature = QVFourCC("FXTC")) {
    scratch("");
    host.config = SHConfigForSignature(signature);
    std::string error;
    EXPECT_TRUE(SHLoadPlugin(&host, VELMORA_PLUGIN_PATH, &error)) << error;
    EXPECT_EQ(SHStartEffect(&host), kHINoErr);
  }
  ~Loaded() {
    SHStopEffect(&host);
    SHUnloadPlugin(&host);
  }
  double value(int32_t id) { return SHValueAt(&host, SHIndexOfId(&host, id), 0); }
};

TEST(StandinModule, LifeCycleLeavesNoHandleBehind) {
  int64_t before = HILiveHandleCount();
  for (const char* code : {"FXTC", "PPro", "ame ", "Othr"}) {
    Loaded t(QVFourCC({code[0], code[1], code[2], code[3], 0}));
    EXPECT_EQ(t.host.params.size(), 124u) << code;
    EXPECT_EQ(t.host.plugin_version, 1603381u);
  }
  EXPECT_EQ(HILiveHandleCount(), before);
}

TEST(StandinModule, ABadModuleIsRefusedWithAMessage) {
  SHHost host;
  std::string error;
  EXPECT_FALSE(SHLoadPlugin(&host, scratch("missing.so"), &error));
  EXPECT_FALSE(error.empty());
}

TEST(StandinModule, ProjectKeepsValuesKeyframesAndTheCorrection) {
  std::string path = scratch("round.vlhp");
  std::vector<uint8_t> settings;
  {
    Loaded t;
    ASSERT_EQ(SHUserSetValue(&t.host, SHIndexOfId(&t.host, 6), 150.0), kHINoErr);
    ASSERT_EQ(SHUserSetValue(&t.host, SHIndexOfId(&t.host, 107), 95.5), kHINoErr);
    SHSetKeyframe(&t.host, SHIndexOfId(&t.host, 53), 0, 1.0);
    SHSetKeyframe(&t.host, SHIndexOfId(&t.host, 53), 200, 2.0);
    settings = SHHandleBytes(t.host.params[size_t(SHIndexOfId(&t.host, 1))].def.u.arb.value);
    std::string error;
    ASSERT_TRUE(SHSaveProject(&t.host, path, &error)) << error;
    EXPECT_NE(t.host.sequence_data, nullptr);  // set up again after flattening
  }
  Loaded t;
  std::string error;
  ASSERT_TRUE(SHLoadProject(&t.host, path, &error)) << error;
  EXPECT_EQ(t.value(6), 150.0);
  EXPECT_EQ(t.value(107), 95.5);
  EXPECT_EQ(t.value(106), 1.0);  // moving a limiter value switched the limiter on
  EXPECT_DOUBLE_EQ(SHValueAt(&t.host, SHIndexOfId(&t.host, 53), 50), 1.25);
  EXPECT_EQ(SHHandleBytes(t.host.params[size_t(SHIndexOfId(&t.host, 1))].def.u.arb.value), settings);
}

TEST(StandinModule, ABadProjectLineSaysWhere) {
  std::string path = scratch("bad.vlhp");
  {
    std::ofstream f(path);
    f << "velmora-host project 1\nvalue 6 150\nvalue 999 1\n";
  }
  Loaded t;
  std::string error;
  EXPECT_FALSE(SHLoadProject(&t.host, path, &error));
  EXPECT_NE(error.find(":3:"), std::string::npos) << error;
  {
    std::ofstream f(path);
    f << "something else\n";
  }
  EXPECT_FALSE(SHLoadProject(&t.host, path, &error));
}

TEST(StandinModule, RendersTheDefaultCorrectionUnchanged) {
  Loaded t;
  SHImage image;
  SHMakeTestImage(40, 20, 8, 0, &image);
  for (SHLayout layout : {kSHLayoutARGB8, kSHLayoutARGB16, kSHLayoutARGBFloat}) {
    SHFrame in, out;
    SHMakeFrame(layout, 40, 20, 0, &in);
    SHMakeFrame(layout, 40, 20, 0, &out);
    SHImageToFrame(image, &in);
    ASSERT_EQ(SHRender(&t.host, in, &out, 0, true), kHINoErr);
    SHImage back;
    SHFrameToImage(out, 8, &back);
    EXPECT_EQ(back.samples, image.samples) << SHGetLayoutInfo(layout).name;
  }
}

}  // namespace

#endif
