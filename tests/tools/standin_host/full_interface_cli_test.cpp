// velmora-host --full-interface with the real grading application, driven
// by a script of input instead of a person.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

struct HostRun {
  int status = -1;
  std::string out, err;
};

std::string slurp(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// velmora-host in `dir` with private folders, a private segment key and the
// application running headless on `script`.
HostRun runHost(const std::string& dir, const std::string& script, const std::vector<std::string>& args) {
  std::ofstream(dir + "/script.txt") << script;
  const std::string key = std::to_string(0x59000000u | (uint32_t(getpid()) & 0xFFFFFu) << 4);
  std::string cmd = "cd '" + dir + "' && env VELMORA_PREFERENCES='" + dir + "/prefs' VELMORA_USER_SUPPORT='" + dir +
                    "/support' VELMORA_SHM_KEY=" + key + " VELMORA_UI_HEADLESS=1 VELMORA_UI_SCRIPT='" + dir +
                    "/script.txt' '" VELMORA_HOST_PATH "'";
  for (const std::string& a : args) cmd += " '" + a + "'";
  cmd += " >'" + dir + "/stdout.txt' 2>'" + dir + "/stderr.txt' </dev/null";
  const int raw = std::system(cmd.c_str());
  HostRun r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = slurp(dir + "/stdout.txt");
  r.err = slurp(dir + "/stderr.txt");
  return r;
}

TEST(VelmoraHostFullInterface, TheReturnedCorrectionIsSavedAndRendered) {
  const std::string dir = MakeScratchFolder("grade");
  HostRun plain = runHost(dir, "", {"--out", "plain"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  HostRun graded = runHost(dir, "wait-exchange\nset hsl_master_saturation 250\nok\nquit\n",
                       {"--full-interface", "--frame", "2", "--out", "graded"});
  ASSERT_EQ(graded.status, 0) << graded.err;
  EXPECT_NE(graded.out.find("frame_0002.png"), std::string::npos) << graded.out;
  const std::string project = slurp(dir + "/graded/correction.vlhp");
  EXPECT_NE(project.find("\nvalue 6 250\n"), std::string::npos) << project;
  EXPECT_NE(slurp(dir + "/graded/frame_0001.png"), slurp(dir + "/plain/frame_0001.png"))
      << "the frames are rendered with the returned correction";

  // Cancel returns nothing: the render is the bundled correction's.
  HostRun cancelled = runHost(dir, "wait-exchange\nset hsl_master_saturation 250\ncancel\nquit\n",
                          {"--full-interface", "--out", "cancelled"});
  ASSERT_EQ(cancelled.status, 0) << cancelled.err;
  EXPECT_EQ(slurp(dir + "/cancelled/frame_0001.png"), slurp(dir + "/plain/frame_0001.png"));
}

TEST(VelmoraHostFullInterface, ProjectsAreNotReplacedAndFramesMustExist) {
  const std::string dir = MakeScratchFolder("refuse");
  std::ofstream(dir + "/mine.vlhp") << "velmora-host project 1\n";
  HostRun same = runHost(dir, "", {"--full-interface", "--project", "mine.vlhp", "--save-project", "mine.vlhp"});
  EXPECT_EQ(same.status, 2);
  EXPECT_NE(same.err.find("would replace the project"), std::string::npos) << same.err;
  HostRun beyond = runHost(dir, "", {"--full-interface", "--frame", "7"});
  EXPECT_EQ(beyond.status, 2);
  EXPECT_NE(beyond.err.find("--frame 7: the clip has 6 frames"), std::string::npos) << beyond.err;
  HostRun zero = runHost(dir, "", {"--full-interface", "--frame", "0"});
  EXPECT_EQ(zero.status, 2);
  EXPECT_EQ(slurp(dir + "/mine.vlhp"), "velmora-host project 1\n");
}

}  // namespace
