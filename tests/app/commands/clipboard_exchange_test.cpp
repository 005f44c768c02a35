// A correction copied in one running grading application is pasted in
// another: two velmora-ui programs, each started by the effect for an
// exchange of its own, meet through the clipboard record.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/shared_memory.h"
#include "platform/standin_host/sh_host.h"
#include "platform/standin_host/sh_layouts.h"
#include "tests/app/shell/exchange_fixture.h"
#include "tests/plugin/plugin_test_host.h"

namespace {

TEST(ClipboardBetweenApplications, CopyInOneApplicationPasteInAnother) {
  ExchangeEnvironment env;
  const std::string runtime = env.folder + "/runtime";
  std::filesystem::create_directories(runtime);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  PluginTestHost host;
  SHFrame frame;
  SHMakeFrame(kSHLayoutARGB8, 32, 24, 0, &frame);
  host.host.clip_frame = [&frame](int32_t) -> const SHFrame* { return &frame; };

  // The first application copies its edited correction and is cancelled.
  env.script(
      "wait-exchange\nset hsl_master_hue 33\nset hsl_master_saturation 140\nmenu copy\ncancel\nquit\n");
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  EXPECT_NE(env.logText().find("menu copy chosen"), std::string::npos) << env.logText();
  EXPECT_FLOAT_EQ(host.settings().hsl[0].hue, DefaultSettings().hsl[0].hue) << "Cancel hands nothing back";
  EXPECT_TRUE(std::filesystem::exists(runtime + "/com.quorvane.scrap.secret"));

  // The second pastes it and hands it back with OK.
  std::remove(env.log.c_str());
  env.script("wait-exchange\nprint hsl_master_hue\nmenu past\nprint hsl_master_saturation\nok\nquit\n");
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  EXPECT_NE(env.logText().find("menu past chosen"), std::string::npos) << env.logText();
  EXPECT_EQ(env.logValue("hsl_master_saturation="), "140");
  const VL_SettingsStruct back = host.settings();
  EXPECT_FLOAT_EQ(back.hsl[0].hue, 33.0f);
  EXPECT_FLOAT_EQ(back.hsl[0].saturation, 140.0f);

  // With the record gone Paste cannot be chosen.
  std::filesystem::remove(runtime + "/com.quorvane.scrap.secret");
  std::remove(env.log.c_str());
  env.script("wait-exchange\nmenu past\nmenu cut\nmenu zz\ncancel\nquit\n");
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  EXPECT_NE(env.logText().find("menu past disabled"), std::string::npos) << env.logText();
  EXPECT_NE(env.logText().find("menu cut chosen"), std::string::npos);
  EXPECT_NE(env.logText().find("menu zz missing"), std::string::npos);
  QVIgnoreStatus(PLShmRemoveKey(env.key));  // the host may have removed the block already
  unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
