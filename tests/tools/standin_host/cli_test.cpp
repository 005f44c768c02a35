// velmora-host as a user runs it: the real program on a scratch folder, its
// exit status, its messages and what it leaves on disk.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/scratch_folder.h"
#include "tools/standin_host/sh_png.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string shellWord(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// Runs velmora-host in `dir` with a private home and preferences folder;
// `env` adds variables (NAME=VALUE ...).
Outcome host(const std::string& dir, const std::vector<std::string>& args, const std::string& env = "") {
  std::string cmd = "cd " + shellWord(dir) + " && env HOME=" + shellWord(dir + "/home") +
                    " VELMORA_PREFERENCES=" + shellWord(dir + "/prefs") + " " + env + " " + shellWord(VELMORA_HOST_PATH);
  for (const std::string& a : args) cmd += " " + shellWord(a);
  cmd += " >" + shellWord(dir + "/stdout.txt") + " 2>" + shellWord(dir + "/stderr.txt") + " </dev/null";
  Outcome r;
  int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  r.out = slurp(dir + "/stdout.txt");
  r.err = slurp(dir + "/stderr.txt");
  return r;
}

std::vector<std::string> filesIn(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A scratch folder with the six-frame test clip in clip/.
std::string withClip(const char* name) {
  std::string dir = MakeScratchFolder(name);
  fs::create_directories(dir + "/home");
  Outcome r = host(dir, {"--make-clip", "clip"});
  EXPECT_EQ(r.status, 0) << r.err;
  return dir;
}

TEST(VelmoraHostCommandLine, TheBundledClipKeepsItsCorrectionAndNothingElseIsMade) {
  std::string dir = MakeScratchFolder("bundled");
  fs::create_directories(dir + "/home");
  Outcome plain = host(dir, {"--out", "plain"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_NE(plain.out.find("Rendered 6 of 6 frames"), std::string::npos) << plain.out;
  EXPECT_EQ(plain.out.find("Version"), std::string::npos) << "the effect's version line belongs in the log";
  EXPECT_EQ(filesIn(dir + "/home"), std::vector<std::string>{}) << "no folder is made where nothing is written";
  const std::vector<std::string> frames = filesIn(dir + "/plain");
  ASSERT_EQ(frames.size(), 6u);
  // Setting a value the bundled correction already holds, or rendering on
  // more threads, changes no pixel.
  const std::vector<std::vector<std::string>> same = {{"--threads", "1", "--out", "one"},
                                                      {"--threads", "8", "--set", "5=10", "--out", "edited"}};
  for (const std::vector<std::string>& args : same) {
    Outcome r = host(dir, args);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string out = dir + "/" + args.back();
    ASSERT_EQ(filesIn(out), frames);
    for (const std::string& f : frames) EXPECT_EQ(slurp(out + "/" + f), slurp(dir + "/plain/" + f)) << out << f;
  }
  // A different value does change them.
  Outcome r = host(dir, {"--set", "6=100", "--out", "less"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(slurp(dir + "/less/" + frames[2]), slurp(dir + "/plain/" + frames[2]));
}

// Progress is for people: shown on a terminal (here a pseudo-terminal made by
// script(1)), kept out of files and pipes.
TEST(VelmoraHostCommandLine, ProgressShowsOnATerminalOnly) {
  std::string dir = withClip("progress");
  Outcome piped = host(dir, {"clip/frame_0001.png", "clip/frame_0002.png", "--out", "piped"});
  ASSERT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.err, "");
  std::string inner = "cd " + shellWord(dir) + " && env VELMORA_PREFERENCES=" + shellWord(dir + "/prefs") + " " +
                      shellWord(VELMORA_HOST_PATH) + " clip/frame_0001.png clip/frame_0002.png --out shown";
  std::string cmd = "script -qec " + shellWord(inner) + " /dev/null >" + shellWord(dir + "/terminal.txt") + " 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << slurp(dir + "/terminal.txt");
  const std::string seen = slurp(dir + "/terminal.txt");
  EXPECT_NE(seen.find("\rvelmora-host: 1 of 2 frames"), std::string::npos) << seen;
  EXPECT_NE(seen.find("\rvelmora-host: 2 of 2 frames"), std::string::npos) << seen;
}

TEST(VelmoraHostCommandLine, WrongOptionsValuesAndFilesAreRefusedWithAReason) {
  std::string dir = withClip("refused");
  fs::create_directories(dir + "/folder.vlhp");
  std::ofstream(dir + "/empty.vlhp").close();
  std::ofstream(dir + "/nan.vlhp") << "velmora-host project 1\nvalue 6 nan\n";
  std::ofstream(dir + "/wide.vlhp") << "velmora-host project 1\nkey 6 0 100\nkey 6 10 301\n";
  std::ofstream(dir + "/file") << "in the way";
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
    const char* env = "";
  };
  const Case cases[] = {
      {{"--threads", "abc"}, 2, "whole number from 1 to 64"},
      {{"--threads", "0"}, 2, "whole number from 1 to 64"},
      {{"--bits", "16abc"}, 2, "8 or 16"},
      {{"--set", "5=abc"}, 2, "not a number"},
      {{"--set", "5x=1"}, 2, "whole number"},
      {{"--set", "5=nan"}, 2, "finite"},
      {{"--set", "5=-inf"}, 2, "finite"},
      {{"--set", "6=300.5"}, 1, "parameter 6 (Saturation) takes 0 to 300"},
      {{"--set", "114=4"}, 1, "takes 1 to 3"},
      {{"--set", "110=0.5"}, 1, "takes 0 or 1"},
      {{"--set", "9999=1"}, 1, "no such parameter"},
      {{"--project", "folder.vlhp"}, 1, "folder.vlhp: is a folder"},
      {{"--project", "empty.vlhp"}, 1, "empty.vlhp: empty file"},
      {{"--project", "nan.vlhp"}, 1, "nan.vlhp:2: parameter 6 (Saturation) takes 0 to 300, not nan"},
      {{"--project", "wide.vlhp"}, 1, "wide.vlhp:3: parameter 6"},
      {{"--project", "missing.vlhp"}, 1, "missing.vlhp: No such file or directory"},
      {{"--layout", "rgb"}, 2, "no such layout"},
      {{"--host", "FXT"}, 2, "four characters"},
      {{"--frobnicate"}, 2, "unknown option --frobnicate"},
      {{"--out", "file/out"}, 1, "cannot make the folder file/out: Not a directory"},
      {{}, 2, "VELMORA_DOCUMENTS=docs: a folder variable must hold an absolute path", "VELMORA_DOCUMENTS=docs"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    for (const char* frame : {"clip/frame_0001.png", "clip/frame_0002.png"}) args.push_back(frame);
    if (std::find(args.begin(), args.end(), "--out") == args.end()) {
      args.push_back("--out");
      args.push_back("out");
    }
    Outcome r = host(dir, args, c.env);
    EXPECT_EQ(r.status, c.status) << c.says << "\n" << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("terminate"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir + "/out")) << c.says << ": nothing is written after a refusal";
  }
}

TEST(VelmoraHostCommandLine, NoOutputReplacesAnInputOrAnotherOutput) {
  std::string dir = withClip("inputs");
  const std::string before = slurp(dir + "/clip/frame_0001.png");
  for (const char* out : {"clip", "clip/.", "./clip/../clip"}) {
    Outcome r = host(dir, {"clip/frame_0001.png", "clip/frame_0002.png", "--out", out});
    EXPECT_EQ(r.status, 2) << out;
    EXPECT_NE(r.err.find("would replace the input clip/frame_0001.png"), std::string::npos) << r.err;
  }
  EXPECT_EQ(slurp(dir + "/clip/frame_0001.png"), before);
  fs::create_directories(dir + "/a");
  fs::create_directories(dir + "/b");
  fs::copy_file(dir + "/clip/frame_0001.png", dir + "/a/f.png");
  fs::copy_file(dir + "/clip/frame_0002.png", dir + "/b/f.png");
  Outcome r = host(dir, {"a/f.png", "b/f.png", "--out", "out"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("a/f.png and b/f.png would both be written to out/f.png"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir + "/out"));
}

TEST(VelmoraHostCommandLine, OutputsFollowNoPlantedLinkAndKilledRunsLeaveNoTemporaries) {
  std::string dir = withClip("links");
  fs::create_directories(dir + "/out");
  std::ofstream(dir + "/victim.txt") << "keep me";
  // Links where a writer might put its temporary file, and files a killed
  // run left: the old fixed name, and the unique names of the replace routine.
  fs::create_symlink(dir + "/victim.txt", dir + "/out/frame_0001.png.tmp");
  fs::create_symlink(dir + "/victim.txt", dir + "/out/frame_0002.png.tmp-Ab12Cd");
  std::ofstream(dir + "/out/frame_0003.png.tmp-xYz987") << "half a frame";
  std::ofstream(dir + "/out/frame_0003.png.notes") << "not ours";
  Outcome r = host(dir, {"clip/frame_0001.png", "clip/frame_0002.png", "clip/frame_0003.png", "--out", "out"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(slurp(dir + "/victim.txt"), "keep me");
  for (const char* name : {"frame_0001.png", "frame_0002.png", "frame_0003.png"})
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir + "/out/" + name))) << name;
  EXPECT_EQ(filesIn(dir + "/out"), (std::vector<std::string>{"frame_0001.png", "frame_0001.png.tmp", "frame_0002.png",
                                                             "frame_0003.png", "frame_0003.png.notes"}));
}

TEST(VelmoraHostCommandLine, GoodInputsAreRenderedAndBadOnesReported) {
  std::string dir = withClip("mixed");
  std::ofstream(dir + "/text.png") << "not a picture";
  fs::create_directories(dir + "/folder.png");
  Outcome r = host(dir, {"clip/frame_0001.png", "missing.png", "text.png", "folder.png", "clip/frame_0002.png",
                     "--out", "out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(filesIn(dir + "/out"), (std::vector<std::string>{"frame_0001.png", "frame_0002.png"}));
  for (const char* said : {"missing.png: No such file or directory", "text.png: not a PNG file",
                           "folder.png: is a folder"})
    EXPECT_NE(r.err.find(said), std::string::npos) << said << "\n" << r.err;
  EXPECT_NE(r.out.find("Rendered 2 of 5 frames"), std::string::npos) << r.out;
  // With no good input at all, no output folder is made.
  r = host(dir, {"missing.png", "text.png", "--out", "none"});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(fs::exists(dir + "/none"));
}

TEST(VelmoraHostCommandLine, HelpVersionAndTheParameterList) {
  std::string dir = MakeScratchFolder("help");
  Outcome help = host(dir, {"--threads", "4", "--help"});
  ASSERT_EQ(help.status, 0) << help.err;
  for (const char* said : {"argb8", "argb16", "argbf", "bgra8", "bgraf", "vuya8", "vuyaf", "pargbf", "FXTC", "PPro",
                           "'ame '", "PPhl", "--classic", "smart render", "--version", "--list-params", "--threads"})
    EXPECT_NE(help.out.find(said), std::string::npos) << said;
  Outcome version = host(dir, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("velmora-host 3.", 0), 0u) << version.out;
  Outcome list = host(dir, {"--list-params"});
  ASSERT_EQ(list.status, 0) << list.err;
  std::istringstream lines(list.out);
  size_t rows = 0;
  bool saturation = false;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) ++rows;
    if (line.rfind("6 ", 0) == 0) {
      saturation = line.find("Saturation") != std::string::npos && line.find("0 to 300") != std::string::npos &&
                   line.find(" 100") != std::string::npos;
    }
  }
  EXPECT_TRUE(saturation) << list.out;
  EXPECT_GE(rows, 90u);
}

TEST(VelmoraHostCommandLine, AnInterruptedRenderSaysHowManyOfHowManyWereWritten) {
  std::string dir = MakeScratchFolder("interrupted");
  fs::create_directories(dir + "/in");
  std::vector<std::string> args = {VELMORA_HOST_PATH, "--threads", "1", "--out", dir + "/out"};
  for (int i = 0; i < 80; ++i) {
    SHImage image;
    SHMakeTestImage(640, 360, 16, i, &image);
    std::string path = dir + "/in/f" + std::to_string(100 + i) + ".png";
    std::string error;
    ASSERT_TRUE(SHWritePNG(path, image, &error)) << error;
    args.push_back(path);
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, (dir + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (dir + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, VELMORA_HOST_PATH, &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  // Interrupt once the first frame is out.
  for (int i = 0; i < 3000 && !fs::exists(dir + "/out/f100.png"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  kill(pid, SIGINT);
  int raw = 0;
  ASSERT_EQ(waitpid(pid, &raw, 0), pid);
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 130);
  const std::vector<std::string> written = filesIn(dir + "/out");
  const std::string said = slurp(dir + "/stdout.txt");
  EXPECT_NE(said.find("Interrupted: wrote " + std::to_string(written.size()) + " of 80 frames"), std::string::npos)
      << said;
  EXPECT_LT(written.size(), 80u);
  for (const std::string& f : written) EXPECT_EQ(fs::path(f).extension(), ".png") << "a half-written file";
}

#if !defined(__SANITIZE_ADDRESS__)
TEST(VelmoraHostCommandLine, RunningOutOfMemoryIsAMessage) {
  std::string dir = MakeScratchFolder("memory");
  SHImage image;
  image.width = image.height = 4096;
  image.samples.assign(size_t(4096) * 4096 * 4, 128);
  std::string error;
  ASSERT_TRUE(SHWritePNG(dir + "/huge.png", image, &error)) << error;
  image = SHImage{};
  Outcome r = host(dir, {"huge.png", "--threads", "1", "--out", "out"}, "");
  // The same, with the address space too small for the frame.
  std::string cmd = "ulimit -v 400000; cd " + shellWord(dir) + " && " + shellWord(VELMORA_HOST_PATH) +
                    " huge.png --threads 1 --out small >stdout.txt 2>stderr.txt";
  int raw = std::system(("sh -c " + shellWord(cmd)).c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  EXPECT_NE(slurp(dir + "/stderr.txt").find("huge.png: out of memory"), std::string::npos)
      << slurp(dir + "/stderr.txt");
  EXPECT_EQ(r.status, 0) << "with memory enough it renders: " << r.err;
}
#endif

// scripts/main-job.sh passes its arguments on from the caller's folder: a
// copy of it in a tree whose build steps are stubs shows where the program ran.
TEST(VelmoraScripts, TheMainJobKeepsRelativePaths) {
  std::string dir = MakeScratchFolder("main_job");
  for (const char* sub : {"/tree/scripts", "/tree/build/tools/standin_host", "/bin", "/work"})
    fs::create_directories(dir + sub);
  fs::copy_file(std::string(VELMORA_SOURCE_DIR) + "/scripts/main-job.sh", dir + "/tree/scripts/main-job.sh");
  auto stub = [&](const std::string& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms::owner_all);
  };
  stub(dir + "/tree/scripts/install-deps.sh", "exit 0");
  stub(dir + "/bin/cmake", "exit 0");
  stub(dir + "/tree/build/tools/standin_host/velmora-host", "echo \"$PWD $*\"");
  std::string cmd = "cd " + shellWord(dir + "/work") + " && PATH=" + shellWord(dir + "/bin") + ":$PATH ../tree/scripts/main-job.sh --out rel >" +
                    shellWord(dir + "/said.txt") + " 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << slurp(dir + "/said.txt");
  EXPECT_EQ(slurp(dir + "/said.txt"), fs::canonical(dir + "/work").string() + " --out rel\n");
}

// The test script refuses what it does not know instead of building and
// testing everything as if nothing had been asked.
TEST(VelmoraScripts, TheTestScriptRefusesAnUnknownOption) {
  std::string dir = MakeScratchFolder("test_script");
  std::string cmd = "timeout 30 " + shellWord(std::string(VELMORA_SOURCE_DIR) + "/scripts/test.sh") +
                    " --frobnicate >" + shellWord(dir + "/said.txt") + " 2>&1";
  int raw = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 2);
  EXPECT_NE(slurp(dir + "/said.txt").find("unknown option --frobnicate"), std::string::npos);
}

}  // namespace
