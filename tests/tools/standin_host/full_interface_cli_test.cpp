// velmora-host --full-interface with the real grading application, driven
// by a script of input instead of a person.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/processes.h"
#include "settings/comm_block.h"
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
std::string testKey() { return std::to_string(0x59000000u | (uint32_t(getpid()) & 0xFFFFFu) << 4); }

HostRun runHost(const std::string& dir, const std::string& script, const std::vector<std::string>& args) {
  std::ofstream(dir + "/script.txt") << script;
  const std::string key = testKey();
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

// Waits until the file holds the text; false after `seconds`.
bool waitForText(const std::string& path, const std::string& text, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (slurp(path).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

bool waitUntilGone(PLProcessSerial process, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (PLProcessIsAlive(process) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return !PLProcessIsAlive(process);
}

TEST(VelmoraHostFullInterface, ASecondExchangeOrASignalEndsItWithoutWritingAnything) {
  // The processes of this test are found by the exchange key they share.
  setenv(kCCKeyVariable, testKey().c_str(), 1);
  for (int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    const std::string first = MakeScratchFolder("first");
    HostRun open;
    std::thread opener([&] { open = runHost(first, "wait-exchange\nprint hsl_master_hue\nwait 60\nok\nquit\n", {"--full-interface", "--out", "out"}); });
    ASSERT_TRUE(waitForText(first + "/stderr.txt", "hsl_master_hue=", 30)) << slurp(first + "/stderr.txt");
    const PLProcessSerial host = PLFindProcess("velmora-host", kCCKeyVariable);
    const PLProcessSerial app = PLFindProcess("velmora-ui", kCCKeyVariable);

    // A second host finds the exchange open: it says so, and writes nothing.
    const std::string second = MakeScratchFolder("second");
    HostRun refused = runHost(second, "ok\nquit\n", {"--full-interface", "--out", "out"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("is open for another effect"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.err.find("Unable to acquire sufficient shared memory"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(second + "/out"));

    // A signal to the first host ends its exchange at once.
    kill(PLProcessIDOf(host), signal);
    opener.join();
    EXPECT_EQ(open.status, 130) << open.err;
    EXPECT_NE(open.out.find("Interrupted: nothing was saved or rendered"), std::string::npos) << open.out;
    EXPECT_FALSE(fs::exists(first + "/out"));
    EXPECT_TRUE(waitUntilGone(app, 10)) << "the application ends with its host";
    if (PLProcessIsAlive(app)) kill(PLProcessIDOf(app), SIGKILL);
  }
  unsetenv(kCCKeyVariable);
}

TEST(VelmoraHostFullInterface, AnExchangeThatDoesNotFinishWritesNothing) {
  // The application cannot start on a screen below 1024 x 768, and one whose
  // script ends before OK or Cancel ends with the exchange unfinished.
  struct Case {
    const char* name;
    const char* display;
    const char* script;
    const char* said;
  };
  for (const Case& c : {Case{"small screen", "800x600", "ok\nquit\n", "could not start work on the frame"},
                        Case{"script ends", "1600x1000", "wait-exchange\nprint hsl_master_hue\n",
                             "ended before the exchange was finished"}}) {
    SCOPED_TRACE(c.name);
    const std::string dir = MakeScratchFolder("unfinished");
    setenv("VELMORA_UI_DISPLAY", c.display, 1);
    HostRun r = runHost(dir, c.script, {"--full-interface", "--out", "out"});
    unsetenv("VELMORA_UI_DISPLAY");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was saved or rendered"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir + "/out"));
  }
}

}  // namespace
