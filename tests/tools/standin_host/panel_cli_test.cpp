// velmora-host --panel: a script clicks and draws the effect's panel before
// the frames are rendered with the correction it leaves.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/scratch_folder.h"
#include "tools/standin_host/sh_png.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// velmora-host in `dir` with private folders; the exit status and standard error.
std::pair<int, std::string> RunPanel(const std::string& dir, const std::string& script,
                                     const std::vector<std::string>& args) {
  std::ofstream(dir + "/panel.txt") << script;
  std::string cmd = "cd '" + dir + "' && env HOME='" + dir + "' VELMORA_PREFERENCES='" + dir + "/prefs' '" +
                    VELMORA_HOST_PATH + "'";
  for (const std::string& a : args) cmd += " '" + a + "'";
  cmd += " >/dev/null 2>'" + dir + "/stderr.txt' </dev/null";
  const int raw = std::system(cmd.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir + "/stderr.txt")};
}

TEST(VelmoraHostPanel, AScriptEditsTheCorrectionAndDrawsThePanel) {
  const std::string dir = MakeScratchFolder("panel-script");
  auto [plainStatus, plainErr] = RunPanel(dir, "", {"--out", "plain"});
  ASSERT_EQ(plainStatus, 0) << plainErr;
  const std::string script =
      "# a new point on the master curve, raised\n"
      "click 104 90 96\ndrag 90 76\nrelease 90 56\n"
      "click 45 140 90\nrelease 140 90 command\n"
      "png pictures/panel.png\n";
  fs::create_directories(dir + "/pictures");
  auto [status, err] = RunPanel(dir, script, {"--panel", "panel.txt", "--out", "edited"});
  ASSERT_EQ(status, 0) << err;
  SHImage picture;
  std::string why;
  ASSERT_TRUE(SHReadPNG(dir + "/pictures/panel.png", &picture, &why)) << why;
  EXPECT_GE(picture.width, 362);
  EXPECT_GE(picture.height, 362 + 374);
  EXPECT_NE(Slurp(dir + "/plain/frame_0001.png"), Slurp(dir + "/edited/frame_0001.png"));
}

TEST(VelmoraHostPanel, BadScriptsStopBeforeAnythingIsRendered) {
  const std::string dir = MakeScratchFolder("panel-refusals");
  struct Case {
    const char* script;
    const char* says;
  };
  const Case cases[] = {
      {"click 104 90\n", "panel.txt: line 1: click takes an identifier"},
      {"move 7 1 1\n", "no panel area for parameter 7"},
      {"wiggle 1 2\n", "unknown command \"wiggle\""},
      {"png panel.txt\n", "panel.txt is an input"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    auto [status, err] = RunPanel(dir, c.script, {"--panel", "panel.txt", "--out", "never"});
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find(c.says), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir + "/never/frame_0001.png"));
  }
  auto [status, err] = RunPanel(dir, "", {"--panel", "missing.txt"});
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("missing.txt: No such file or directory"), std::string::npos) << err;
}

}  // namespace
