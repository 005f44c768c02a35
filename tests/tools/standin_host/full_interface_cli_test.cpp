// velmora-host --full-interface with the real grading application, driven
// by a script of input instead of a person.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
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
#include "tests/media/peer_tools.h"
#include "tests/scratch_folder.h"
#include "tools/standin_host/sh_png.h"

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

// What the application's script wrote after "Velmora 3 UI script: " and
// `prefix`, one entry a line.
std::vector<std::string> scriptLines(const std::string& log, const std::string& prefix) {
  std::vector<std::string> found;
  std::istringstream lines(log);
  const std::string lead = "Velmora 3 UI script: " + prefix;
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(lead, 0) == 0) found.push_back(line.substr(lead.size()));
  return found;
}

// The mean difference of the red, green and blue samples (0 to 255) between
// a movie frame (RGB, 8 bits) and a PNG frame, over the middle of the
// picture, away from its soft edges.
double meanDifference(const uint8_t* movie, const SHImage& png) {
  const double scale = 255.0 / (png.bits == 16 ? 65535.0 : 255.0);
  double sum = 0;
  int64_t count = 0;
  for (int32_t y = png.height / 8; y < png.height * 7 / 8; ++y)
    for (int32_t x = png.width / 8; x < png.width * 7 / 8; ++x)
      for (int c = 0; c < 3; ++c, ++count)
        sum += std::abs(movie[(size_t(y) * size_t(png.width) + size_t(x)) * 3 + size_t(c)] -
                        png.samples[(size_t(y) * size_t(png.width) + size_t(x)) * 4 + size_t(c)] * scale);
  return count ? sum / double(count) : 0;
}

// The readout shows the host's frame in the host's format as soon as the
// exchange is attached: the bundled clip's 24 frames a second count
// non-drop, and the frame the host is on is the one shown.
TEST(VelmoraHostFullInterface, TheReadoutShowsTheHostsFrameAsSoonAsTheExchangeIsAttached) {
  const std::string dir = MakeScratchFolder("readout");
  HostRun run = runHost(dir, "wait-exchange\ntimecode\ncancel\nquit\n", {"--full-interface", "--frame", "3", "--out", "out"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(slurp(dir + "/stderr.txt").find("timecode 00:00:00:02\n"), std::string::npos) << slurp(dir + "/stderr.txt");
}

// A rapid preview of the bundled clip in the application velmora-host
// opened: every clip frame goes into the cache movie once, in order, at the
// clip's rate and with its timecode, and the movie then shows each frame
// once a loop at that rate against the clock.
TEST(VelmoraHostFullInterface, ARapidPreviewOfTheClipHoldsEveryFrameOnceAndPlaysAtItsRate) {
  constexpr int kFrames = 6;
  constexpr double kRate = 24.0;  // the stand-in host's 2400 units, 100 a frame
  const std::string dir = MakeScratchFolder("rapid");
  setenv("VELMORA_TEMP", (dir + "/temp").c_str(), 1);
  setenv("VELMORA_UI_DISPLAY", "1600x1000", 1);
  // Cancel: the frames velmora-host then renders have the correction the
  // preview rendered with. The click is on the Result pane's 'Rpvw' button,
  // which ends the preview.
  HostRun r = runHost(dir,
                      "wait-exchange\nrapid-preview pane\nwait-preview\nwait 1\npreview-frames\n"
                      "click 692 530\nwait 0.2\npreview-frames\ncancel\nquit\n",
                      {"--full-interface", "--out", "out"});
  unsetenv("VELMORA_UI_DISPLAY");
  unsetenv("VELMORA_TEMP");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> movieLine = scriptLines(r.err, "preview movie ");
  ASSERT_EQ(movieLine.size(), 2u) << r.err;
  const std::string movie = dir + "/temp/Velmora Cache.mov";
  EXPECT_EQ(movieLine[0], std::to_string(kFrames) + " " + movie);
  EXPECT_EQ(movieLine[1], "0 ") << "the bar's button ends the preview it started";
  ASSERT_TRUE(fs::exists(movie));

  // Every frame shown, in the order of the clip, at its time on the clock:
  // never before it, and within a tolerant bound after it. A frame may be
  // passed over when the machine is too busy to show it in time, but never
  // repeated or shown out of order, and a whole loop is seen.
  int64_t previous = -1, loops = 0, run = 0, longestRun = 0;
  const std::vector<std::string> shown = scriptLines(r.err, "preview shown ");
  ASSERT_GE(shown.size(), size_t(kFrames)) << r.err;
  for (const std::string& line : shown) {
    int64_t frame = -1, ms = -1;
    std::istringstream(line) >> frame >> ms;
    ASSERT_GE(frame, 0) << line;
    ASSERT_LT(frame, kFrames) << line;
    if (frame <= previous) ++loops, run = 0;
    EXPECT_TRUE(previous < 0 ? frame == 0 : frame != previous) << line;
    run = frame == (previous + 1) % kFrames ? run + 1 : 1;
    longestRun = std::max(longestRun, run);
    previous = frame;
    const double due = double(loops * kFrames + frame) / kRate * 1000.0;
    EXPECT_GE(double(ms), due - 20.0) << "frame " << frame << " of loop " << loops << " shown early";
    EXPECT_LE(double(ms), due + 250.0) << "frame " << frame << " of loop " << loops << " shown late";
  }
  EXPECT_GE(longestRun, kFrames) << "one whole loop, every frame once";

  // The movie holds the clip's frames in order: each is nearest to the
  // frame velmora-host rendered at its time.
  SHImage first;
  std::string error;
  ASSERT_TRUE(SHReadPNG(dir + "/out/frame_0001.png", &first, &error)) << error;
  const size_t frameBytes = size_t(first.width) * size_t(first.height) * 3;
  if (!HaveTool("ffprobe") || !HaveTool("ffmpeg")) GTEST_SKIP() << "ffprobe and ffmpeg are not installed";
  int status = 0;
  const std::string probe =
      RunCapture("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                 "stream=nb_read_frames,r_frame_rate,width,height -of default=nw=1 '" + movie + "' 2>&1", &status);
  EXPECT_EQ(status, 0) << probe;
  EXPECT_NE(probe.find("nb_read_frames=" + std::to_string(kFrames) + "\n"), std::string::npos) << probe;
  EXPECT_NE(probe.find("r_frame_rate=24/1\n"), std::string::npos) << probe;
  EXPECT_NE(probe.find("width=" + std::to_string(first.width) + "\n"), std::string::npos) << probe;
  const std::string timecode =
      RunCapture("ffprobe -v error -show_entries stream_tags=timecode -of csv=p=0 '" + movie + "' 2>&1");
  EXPECT_NE(timecode.find("00:00:00:00"), std::string::npos) << timecode;
  const std::string raw = dir + "/movie.rgb";
  ASSERT_EQ(RunTool("ffmpeg -v error -i '" + movie + "' -map 0:v:0 -f rawvideo -pix_fmt rgb24 '" + raw + "'"), 0);
  const std::string pixels = slurp(raw);
  ASSERT_EQ(pixels.size(), frameBytes * kFrames);
  std::vector<SHImage> rendered(kFrames);
  for (int k = 0; k < kFrames; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "/out/frame_%04d.png", k + 1);
    ASSERT_TRUE(SHReadPNG(dir + name, &rendered[size_t(k)], &error)) << error;
  }
  for (int n = 0; n < kFrames; ++n) {
    const auto* frame = reinterpret_cast<const uint8_t*>(pixels.data()) + frameBytes * size_t(n);
    int nearest = -1;
    double best = 1e9;
    for (int k = 0; k < kFrames; ++k) {
      const double d = meanDifference(frame, rendered[size_t(k)]);
      if (d < best) best = d, nearest = k;
    }
    EXPECT_EQ(nearest, n) << "movie frame " << n;
    EXPECT_LT(best, 4.0) << "movie frame " << n << " differs from the rendered frame";
  }
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

// While the application asks for clip frames one after another (each an
// event to the host and its reply), one program is stopped, so that the
// other is left waiting on it, and then killed: the other's wait ends at
// once, well within the time-out of an event's reply (10 seconds).
TEST(VelmoraHostFullInterface, KillingEitherProgramDuringAnEventEndsTheOthersWait) {
  setenv(kCCKeyVariable, testKey().c_str(), 1);
  std::string script = "wait-exchange\nprint hsl_master_hue\n";
  for (int i = 0; i < 3000; ++i) script += "request-frame 100\nwait 0.005\n";
  script += "cancel\nquit\n";
  for (const char* killed : {"velmora-host", "velmora-ui"}) {
    SCOPED_TRACE(killed);
    const std::string dir = MakeScratchFolder("killed");
    HostRun run;
    std::thread host([&] { run = runHost(dir, script, {"--full-interface", "--out", "out"}); });
    const std::string log = dir + "/stderr.txt";
    EXPECT_TRUE(waitForText(log, "request 100 320x180", 30)) << slurp(log);
    const PLProcessSerial victim = PLFindProcess(killed, kCCKeyVariable);
    const PLProcessSerial other =
        PLFindProcess(std::string(killed) == "velmora-host" ? "velmora-ui" : "velmora-host", kCCKeyVariable);
    ASSERT_NE(victim, 0u);
    ASSERT_NE(other, 0u);
    kill(PLProcessIDOf(victim), SIGSTOP);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const size_t answered = slurp(log).size();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    if (std::string(killed) == "velmora-host") {
      EXPECT_EQ(slurp(log).size(), answered) << "the application waits for the stopped host's reply";
    }
    const auto start = std::chrono::steady_clock::now();
    kill(PLProcessIDOf(victim), SIGKILL);
    EXPECT_TRUE(waitUntilGone(other, 30)) << slurp(log);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << slurp(log);
    if (PLProcessIsAlive(other)) kill(PLProcessIDOf(other), SIGKILL);
    host.join();
    if (std::string(killed) == "velmora-ui") {
      EXPECT_EQ(run.status, 1);
      EXPECT_NE(run.err.find("ended before the exchange was finished"), std::string::npos) << run.err;
      EXPECT_FALSE(fs::exists(dir + "/out"));
    } else {
      EXPECT_NE(slurp(log).find("the host process ended during the exchange"), std::string::npos) << slurp(log);
    }
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
