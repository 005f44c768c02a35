#include "platform/folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/file_ref.h"
#include "tests/scratch_folder.h"

TEST(Folders, EachKindFollowsItsVariableAndIsCreatedOnRequest) {
  std::string root = MakeScratchFolder("folders");
  const PLFolderKind kinds[] = {kPLFolderSystemSupport, kPLFolderUserSupport, kPLFolderPreferences,
                                kPLFolderTemporary, kPLFolderDocuments};
  for (PLFolderKind k : kinds) {
    std::string dir = root + "/" + PLFolderVariable(k);
    setenv(PLFolderVariable(k), dir.c_str(), 1);
    QVFileRef ref;
    EXPECT_EQ(PLFindFolder(k, false, &ref), kQVErrFileNotFound) << dir;
    ASSERT_EQ(PLFindFolder(k, true, &ref), kQVNoErr) << dir;
    EXPECT_STREQ(ref.path, dir.c_str());
    EXPECT_TRUE(PLPathIsFolder(ref.path));
    unsetenv(PLFolderVariable(k));
  }
}

TEST(Folders, ARelativePathInAVariableIsAnErrorAndNamingAFolderMakesNothing) {
  std::string root = MakeScratchFolder("relative");
  setenv("VELMORA_DOCUMENTS", "docs", 1);
  QVFileRef ref;
  EXPECT_EQ(PLFolderPath(kPLFolderDocuments, &ref), kQVErrParam);
  EXPECT_EQ(PLFindFolder(kPLFolderDocuments, true, &ref), kQVErrParam);
  EXPECT_FALSE(PLPathExists("docs"));
  const std::string dir = root + "/docs";
  setenv("VELMORA_DOCUMENTS", dir.c_str(), 1);
  ASSERT_EQ(PLFolderPath(kPLFolderDocuments, &ref), kQVNoErr);
  EXPECT_EQ(std::string(ref.path), dir);
  EXPECT_FALSE(PLPathExists(dir.c_str()));
  unsetenv("VELMORA_DOCUMENTS");
}

TEST(Folders, FallsBackToXdgAndHome) {
  std::string root = MakeScratchFolder("xdg");
  unsetenv("VELMORA_PREFERENCES");
  std::string saved = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("XDG_CONFIG_HOME", (root + "/cfg").c_str(), 1);
  QVFileRef ref;
  ASSERT_EQ(PLFindFolder(kPLFolderPreferences, true, &ref), kQVNoErr);
  EXPECT_EQ(std::string(ref.path), root + "/cfg");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", root.c_str(), 1);
  ASSERT_EQ(PLFindFolder(kPLFolderPreferences, true, &ref), kQVNoErr);
  EXPECT_EQ(std::string(ref.path), root + "/.config");
  setenv("HOME", saved.c_str(), 1);
}

TEST(FileRef, PathsAreNormalisedAndMustExist) {
  std::string root = MakeScratchFolder("ref");
  QVFileRef ref;
  ASSERT_EQ(PLFileRefFromPath((root + "//a/../.").c_str(), &ref), kQVNoErr);
  EXPECT_EQ(std::string(ref.path), root);
  EXPECT_EQ(PLFileRefFromPath((root + "/missing").c_str(), &ref), kQVErrFileNotFound);
  EXPECT_EQ(PLFileRefFromPath("", &ref), kQVErrParam);
  std::string longPath(2000, 'a');
  EXPECT_EQ(PLFileRefFromPath(("/" + longPath).c_str(), &ref), kQVErrParam);
}

TEST(FileRef, JoinRejectsNamesThatLeaveTheFolder) {
  char out[32];
  EXPECT_TRUE(PLJoinPath("/a", "b", out, sizeof out));
  EXPECT_STREQ(out, "/a/b");
  EXPECT_TRUE(PLJoinPath("/", "b", out, sizeof out));
  EXPECT_STREQ(out, "/b");
  for (const char* bad : {"", ".", "..", "x/y"}) EXPECT_FALSE(PLJoinPath("/a", bad, out, sizeof out)) << bad;
  EXPECT_FALSE(PLJoinPath("/a", "a-name-much-longer-than-the-buffer", out, sizeof out));
}
