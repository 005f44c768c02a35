// Replacing a file through a temporary file beside it.
#include "platform/file_contents.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::vector<std::string> names(const std::string& dir) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(dir)) found.push_back(entry.path().filename().string());
  std::sort(found.begin(), found.end());
  return found;
}

TEST(FileReplacement, AKilledWritersTemporaryIsRemovedALiveOnesStays) {
  const std::string dir = MakeScratchFolder("replace");
  const std::string file = dir + "/frame.png";
  std::ofstream(dir + "/victim") << "keep me";
  std::ofstream(dir + "/frame.png.tmp-Dead01") << "left by a killed writer";
  fs::create_symlink(dir + "/victim", dir + "/frame.png.tmp-Link01");
  std::ofstream(dir + "/frame.png.tmp-toolong") << "not one of ours";

  PLReplacement live;
  ASSERT_EQ(PLBeginReplacement(file.c_str(), 0644, &live), kQVNoErr);
  ASSERT_EQ(write(live.fd, "new", 3), 3);
  PLRemoveLeftReplacements(file.c_str());
  EXPECT_TRUE(fs::exists(live.temp)) << "a writer still at work keeps its file";
  EXPECT_EQ(slurp(dir + "/victim"), "keep me");
  ASSERT_EQ(PLCommitReplacement(&live), kQVNoErr);
  EXPECT_EQ(slurp(file), "new");
  EXPECT_EQ(names(dir), (std::vector<std::string>{"frame.png", "frame.png.tmp-toolong", "victim"}));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

TEST(FileReplacement, AnAbandonedReplacementLeavesTheOldFile) {
  const std::string dir = MakeScratchFolder("abandon");
  const std::string file = dir + "/project.vlhp";
  ASSERT_EQ(PLReplaceFileContents(file.c_str(), "old", 3), kQVNoErr);
  PLReplacement r;
  ASSERT_EQ(PLBeginReplacement(file.c_str(), 0600, &r), kQVNoErr);
  ASSERT_EQ(write(r.fd, "half", 4), 4);
  PLAbandonReplacement(&r);
  EXPECT_EQ(slurp(file), "old");
  EXPECT_EQ(names(dir), std::vector<std::string>{"project.vlhp"});
}

}  // namespace
