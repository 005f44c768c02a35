#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/paths.h"
#include "support/time_text.h"
#include "support/time_text_internal.h"
#include "tests/scratch_folder.h"

namespace {

void Touch(const std::string& path) { close(open(path.c_str(), O_CREAT | O_WRONLY, 0644)); }

struct Walk {
  std::vector<std::string> seen;
  std::string stopAt;
};

bool Record(const char* path, bool isFolder, bool isLink, uint32_t, uint32_t, void* arg) {
  Walk* w = static_cast<Walk*>(arg);
  std::string p = path;
  w->seen.push_back(p.substr(p.rfind('/') + 1) + (isFolder ? "/" : "") + (isLink ? "@" : ""));
  return !w->stopAt.empty() && p.size() >= w->stopAt.size() &&
         p.compare(p.size() - w->stopAt.size(), w->stopAt.size(), w->stopAt) == 0;
}

}  // namespace

TEST(Paths, ReferencesNamesAndExtensions) {
  std::string root = MakeScratchFolder("paths");
  Touch(root + "/clip.final.dpx");
  QVFileRef folder, file;
  ASSERT_EQ(QVNativePathCStringToFSRef(root.c_str(), &folder), kQVNoErr);
  EXPECT_EQ(QVGetFSRefFromFSRefCString(&folder, "missing", &file), kQVErrFileNotFound);
  ASSERT_EQ(QVGetFSRefFromFSRefCFString(&folder, "clip.final.dpx", &file), kQVNoErr);
  EXPECT_EQ(QVFSRefToNativePathCFString(&file), root + "/clip.final.dpx");
  EXPECT_EQ(QVFSRefStringToNativePathCFString(&folder, "new.txt"), root + "/new.txt");
  EXPECT_EQ(GetFilenameFromFSRefCFString(&file), "clip.final.dpx");
  EXPECT_EQ(GetExtensionFromFSRefCFString(&file), "dpx");
  char small[5];
  GetFilenameFromFSRefCStr(&file, small, sizeof small);
  EXPECT_STREQ(small, "clip");
  char buf[8];
  EXPECT_NE(QVFSRefToNativePathCString(&file, buf, sizeof buf), kQVNoErr);
  EXPECT_STREQ(buf, "");  // empty on failure
  EXPECT_EQ(QVNativePathCFStringToFSRef(root + "/nope", &file), kQVErrFileNotFound);
  QVFileRef program, dir;
  ASSERT_EQ(GetApplicationPackageFSRefFromBundle(&program), kQVNoErr);
  ASSERT_EQ(GetApplicationPackageDirFSRefFromBundle(&dir), kQVNoErr);
  EXPECT_EQ(std::string(program.path).rfind(dir.path, 0), 0u);
}

TEST(Files, CreateRenameDelete) {
  std::string root = MakeScratchFolder("files");
  QVFileRef folder, made;
  ASSERT_EQ(QVNativePathCStringToFSRef(root.c_str(), &folder), kQVNoErr);
  ASSERT_EQ(QVCreateDirFromFSRefCFString(&folder, "sub", &made), kQVNoErr);
  EXPECT_EQ(QVCreateDirFromFSRefCFString(&folder, "sub", &made), kQVErrDuplicate);
  Touch(root + "/a.txt");
  Touch(root + "/b.txt");
  EXPECT_EQ(QVRenameFileFromFSRefCFString(&folder, "missing", "x", &made), kQVErrFileNotFound);
  EXPECT_EQ(QVRenameFileFromFSRefCFString(&folder, "a.txt", "b.txt", &made), kQVErrDuplicate);
  ASSERT_EQ(QVRenameFileFromFSRefCFString(&folder, "a.txt", "c.txt", &made), kQVNoErr);
  EXPECT_EQ(std::string(made.path), root + "/c.txt");
  EXPECT_EQ(QVDeleteFileFromFSRefCFString(&folder, "c.txt"), kQVNoErr);
  EXPECT_EQ(QVDeleteFileFromFSRefCFString(&folder, "c.txt"), kQVErrFileNotFound);
  EXPECT_EQ(QVDeleteFileFromFSRefCFString(&folder, "sub"), kQVNoErr);
  EXPECT_FALSE(PLPathExists((root + "/sub").c_str()));
}

TEST(Files, WalkInNameOrderWithDepthAndStop) {
  std::string root = MakeScratchFolder("walk");
  QVFileRef folder, sub;
  EXPECT_EQ(kQVNoErr, QVNativePathCStringToFSRef(root.c_str(), &folder));
  EXPECT_EQ(kQVNoErr, QVCreateDirFromFSRefCFString(&folder, "b", &sub));
  Touch(root + "/a");
  Touch(root + "/b/inner");
  Touch(root + "/c");
  ASSERT_EQ(symlink((root + "/b").c_str(), (root + "/d").c_str()), 0);
  Walk w;
  EXPECT_EQ(QVIterateOverDirectoryPath(root, Record, 2, &w), kQVNoErr);
  EXPECT_EQ(w.seen, (std::vector<std::string>{"a", "b/", "inner", "c", "d/@"}));
  Walk shallow;
  EXPECT_EQ(kQVNoErr, QVIterateOverDirectoryPath(root, Record, 1, &shallow));
  EXPECT_EQ(shallow.seen, (std::vector<std::string>{"a", "b/", "c", "d/@"}));
  Walk stop;
  stop.stopAt = "/inner";  // ends the inner walk only
  EXPECT_EQ(kQVNoErr, QVIterateOverDirectoryPathFromCarbon(root, Record, 5, &stop));
  EXPECT_EQ(stop.seen, (std::vector<std::string>{"a", "b/", "inner", "c", "d/@"}));
  Walk none;
  EXPECT_EQ(kQVNoErr, QVIterateOverDirectoryPath(root, Record, 0, &none));
  EXPECT_TRUE(none.seen.empty());
}

TEST(Time, ClockAndTempNames) {
  uint32_t stored = 0;
  uint32_t now = QVGetDateTime(&stored);
  EXPECT_EQ(now, stored);
  EXPECT_NEAR(double(now) - 3061094400.0, double(QVGetCurrentTime()), 2.0);
  EXPECT_GT(QVGetCurrentTime(), 788918400u);  // after 2026
  char text[64];
  QVGetCurrentDateTimeAsCString(text, sizeof text, true, true);
  EXPECT_GT(std::strlen(text), 8u);
  QVGetCurrentDateTimeAsCString(text, sizeof text, false, false);
  EXPECT_STREQ(text, "");
  QVGetCurrentDateTimeAsCString(text, 4, true, true);
  EXPECT_EQ(std::strlen(text), 3u);

  std::string root = MakeScratchFolder("temp");
  setenv("VELMORA_TEMP", root.c_str(), 1);
  std::string name = QVGetTempFilenameWithTemplate("ZrnGenerateTemp%lu.mov");
  EXPECT_EQ(name.rfind("ZrnGenerateTemp", 0), 0u);
  EXPECT_EQ(name.substr(name.size() - 4), ".mov");
  // A number whose name is taken is drawn again.
  Touch(root + "/t0");
  Touch(root + "/t1");
  static uint32_t next;
  next = 0;
  QVSetTempNumberSource([] { return next++ / 2; });  // 0, 0, 1, 1, 2
  EXPECT_EQ(QVGetTempFilenameWithTemplate("t%lu"), "t2");
  next = 0;
  EXPECT_EQ(QVGetTempFilenameWithTemplate((root + "/t%lu").c_str()), root + "/t2");
  QVSetTempNumberSource(nullptr);
  unsetenv("VELMORA_TEMP");
}
