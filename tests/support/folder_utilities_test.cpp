#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/byte_order.h"
#include "platform/file_contents.h"
#include "platform/fourcc.h"
#include "support/files.h"
#include "support/folder_copy.h"
#include "support/folder_walk.h"
#include "tests/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

void Write(const std::string& path, const std::string& text) {
  ASSERT_EQ(PLReplaceFileContents(path.c_str(), text.data(), text.size()), kQVNoErr) << path;
}

std::string Read(const std::string& path) {
  std::string text;
  // A missing file reads as empty, which the callers compare.
  QVIgnoreStatus(PLReadFileContents(path.c_str(), 1 << 20, &text));
  return text;
}

QVFileRef Ref(const std::string& path) {
  QVFileRef ref;
  EXPECT_EQ(PLFileRefFromPath(path.c_str(), &ref), kQVNoErr) << path;
  return ref;
}

// root/a.txt, root/.hidden, root/sub/b.txt, root/sub/deeper/c.txt
std::string MakeTree(const std::string& name) {
  std::string root = MakeScratchFolder(name) + "/tree";
  fs::create_directories(root + "/sub/deeper");
  Write(root + "/a.txt", "a");
  Write(root + "/.hidden", "h");
  Write(root + "/sub/b.txt", "bb");
  Write(root + "/sub/deeper/c.txt", "ccc");
  return root;
}

struct Seen {
  std::vector<std::string> entries;
  std::string stopAt;
};

bool Record(bool, uint32_t depth, const QVCatalogInfo* info, const QVFileRef* ref, const void*, const char* name,
            void* data) {
  auto* seen = static_cast<Seen*>(data);
  std::string entry = std::to_string(depth) + ":" + (name ? name : "?");
  if (info->nodeFlags & kQVNodeIsFolder) entry += "/";
  if (info->nodeFlags & kQVNodeInvisible) entry += " hidden";
  if (info->dataLogicalSize) entry += " " + std::to_string(info->dataLogicalSize);
  seen->entries.push_back(entry);
  (void)ref;
  return !seen->stopAt.empty() && name && seen->stopAt == name;
}

}  // namespace

TEST(FolderWalk, DepthFirstInNameOrderWithDepthLimitAndStop) {
  std::string root = MakeTree("walk");
  QVFileRef ref = Ref(root);
  struct Case {
    uint32_t maxDepth;
    std::string stopAt;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {0, "", {"1:.hidden hidden 1", "1:a.txt 1", "1:sub/", "2:b.txt 2", "2:deeper/", "3:c.txt 3"}},
      {1, "", {"1:.hidden hidden 1", "1:a.txt 1", "1:sub/"}},
      {2, "", {"1:.hidden hidden 1", "1:a.txt 1", "1:sub/", "2:b.txt 2", "2:deeper/"}},
      {0, "b.txt", {"1:.hidden hidden 1", "1:a.txt 1", "1:sub/", "2:b.txt 2"}},
  };
  for (const Case& k : cases) {
    Seen seen{{}, k.stopAt};
    EXPECT_EQ(IterateFolderContents(&ref, k.maxDepth, kQVCatInfoDataSizes, false, true, Record, &seen), kQVNoErr);
    EXPECT_EQ(seen.entries, k.expected) << "depth " << k.maxDepth << " stop " << k.stopAt;
  }
  EXPECT_EQ(IterateFolderContents(&ref, 0, 0, false, true, nullptr, nullptr), kQVErrParam);
  QVFileRef file = Ref(root + "/a.txt");
  Seen seen;
  EXPECT_NE(IterateFolderContents(&file, 0, 0, false, true, Record, &seen), kQVNoErr);
}

TEST(FileInfo, TypeAndCreatorAreKeptAndFoldersRefused) {
  std::string root = MakeTree("types");
  QVFileRef file = Ref(root + "/a.txt");
  uint32_t type = 1, creator = 1;
  ASSERT_EQ(GetFSRefTypeAndCreator(&file, &type, &creator), kQVNoErr);
  EXPECT_EQ(type, 0u);  // nothing kept yet reads as zeros
  EXPECT_EQ(creator, 0u);
  ASSERT_EQ(SetFSRefTypeAndCreator(&file, QVFourCC("QVc3"), QVFourCC("VLas")), kQVNoErr);
  ASSERT_EQ(SetFSRefTypeAndCreator(&file, 0, QVFourCC("TEXT")), kQVNoErr);  // 0 keeps the creator
  ASSERT_EQ(GetFSRefTypeAndCreator(&file, &type, &creator), kQVNoErr);
  EXPECT_EQ(type, QVFourCC("TEXT"));
  EXPECT_EQ(creator, QVFourCC("QVc3"));
  uint8_t finder[16];
  bool isFolder = true;
  ASSERT_EQ(GetFSRefNodeInfo(&file, finder, nullptr, &isFolder), kQVNoErr);
  EXPECT_FALSE(isFolder);
  EXPECT_EQ(QVReadBE32(finder), QVFourCC("TEXT"));

  QVFileRef folder = Ref(root + "/sub");
  EXPECT_EQ(SetFSRefTypeAndCreator(&folder, QVFourCC("QVc3"), QVFourCC("TEXT")), -1302);
  ASSERT_EQ(GetFSRefTypeAndCreator(&folder, &type, &creator), kQVNoErr);
  EXPECT_EQ(type, 0u);
  EXPECT_EQ(QVChangeTypeAndCreatorFromPath((root + "/sub").c_str(), 0, QVFourCC("TEXT")), -1302);
  EXPECT_EQ(QVChangeTypeAndCreatorFromPath((root + "/absent").c_str(), 0, QVFourCC("TEXT")), kQVErrFileNotFound);
}

TEST(FileInfo, TouchAlwaysMovesTheDateAndMakesReferences) {
  std::string root = MakeTree("touch");
  QVFileRef folder = Ref(root);
  struct stat before, after;
  ASSERT_EQ(stat(root.c_str(), &before), 0);
  EXPECT_EQ(kQVNoErr, TouchFSRefModificationDate(&folder));
  EXPECT_EQ(kQVNoErr, TouchFSRefModificationDate(&folder));
  ASSERT_EQ(stat(root.c_str(), &after), 0);
  EXPECT_GT(after.st_mtim.tv_sec, before.st_mtim.tv_sec);

  QVFileRef made;
  EXPECT_EQ(MakeFSRefFromDirAndName(&folder, "a.txt", &made), kQVNoErr);
  EXPECT_EQ(std::string(made.path), root + "/a.txt");
  EXPECT_EQ(MakeFSRefFromDirAndName(&folder, "absent", &made), kQVErrFileNotFound);
  EXPECT_EQ(MakeFSRefFromDirAndName(&folder, "a.txt", nullptr), kQVErrParam);
  EXPECT_EQ(MakeFSRefFromDirAndName(&folder, "../x", &made), kQVErrParam);
}

TEST(CopyList, AppendSpliceAndDispose) {
  static int disposed;
  disposed = 0;
  auto dispose = [](void* data) {
    ++disposed;
    delete static_cast<int*>(data);
  };
  CopyList a, b, other;
  CopyListInit(&a, dispose);
  CopyListInit(&b, dispose);
  CopyListInit(&other, nullptr);
  for (int i : {1, 4}) ASSERT_EQ(CopyListAppend(&a, new int(i)), kQVNoErr);
  for (int i : {2, 3}) ASSERT_EQ(CopyListAppend(&b, new int(i)), kQVNoErr);
  EXPECT_EQ(CopyListAppend(&a, nullptr), kQVErrParam);
  EXPECT_EQ(CopyListAppend(nullptr, &disposed), kQVErrParam);
  EXPECT_EQ(CopyListSplice(&a, &other, nullptr), kQVErrParam);
  ASSERT_EQ(CopyListSplice(&a, &b, CopyListFirst(&a)), kQVNoErr);
  EXPECT_EQ(b.count, 0u);
  EXPECT_EQ(CopyListFirst(&b), nullptr);
  std::vector<int> order;
  for (CopyListNode* n = CopyListFirst(&a); n; n = CopyListNext(n)) order.push_back(*static_cast<int*>(CopyListItemData(n)));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
  ASSERT_EQ(CopyListAppend(&a, new int(5)), kQVNoErr);  // the tail moved with the splice
  EXPECT_EQ(a.count, 5u);
  CopyListDispose(&a);
  EXPECT_EQ(disposed, 5);
  EXPECT_EQ(a.count, 0u);
}

TEST(FolderCopy, CopiesATreeWithItsAttributesAndModes) {
  std::string root = MakeTree("copy");
  std::string into = MakeScratchFolder("copy-into");
  QVFileRef file = Ref(root + "/sub/b.txt");
  ASSERT_EQ(SetFSRefTypeAndCreator(&file, QVFourCC("QVc3"), QVFourCC("TEXT")), kQVNoErr);
  chmod((root + "/sub/b.txt").c_str(), 0444);  // locked
  symlink("a.txt", (root + "/link").c_str());
  QVFileRef source = Ref(root), destination = Ref(into), out;
  ASSERT_EQ(CopyFileSystemObject(&source, &destination, 0, kQVDuplicateFail, nullptr, &out), kQVNoErr);
  EXPECT_EQ(std::string(out.path), into + "/tree");
  EXPECT_EQ(Read(into + "/tree/a.txt"), "a");
  EXPECT_EQ(Read(into + "/tree/.hidden"), "h");
  EXPECT_EQ(Read(into + "/tree/sub/deeper/c.txt"), "ccc");
  EXPECT_EQ(fs::read_symlink(into + "/tree/link"), "a.txt");
  QVFileRef copied = Ref(into + "/tree/sub/b.txt");
  uint32_t type = 0, creator = 0;
  ASSERT_EQ(GetFSRefTypeAndCreator(&copied, &type, &creator), kQVNoErr);
  EXPECT_EQ(type, QVFourCC("TEXT"));
  EXPECT_EQ(creator, QVFourCC("QVc3"));
  struct stat st;
  ASSERT_EQ(stat(copied.path, &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);

  // A second copy: refused, skipped, or put in place of the first.
  Write(root + "/a.txt", "changed");
  EXPECT_EQ(CopyFileSystemObject(&source, &destination, 0, kQVDuplicateFail, nullptr, nullptr), kQVErrDuplicate);
  EXPECT_EQ(CopyFileSystemObject(&source, &destination, 0, kQVDuplicateSkip, nullptr, nullptr), kQVNoErr);
  EXPECT_EQ(Read(into + "/tree/a.txt"), "a");
  EXPECT_EQ(CopyFileSystemObject(&source, &destination, 1, kQVDuplicateReplace, nullptr, nullptr), kQVNoErr);
  EXPECT_EQ(Read(into + "/tree/a.txt"), "changed");
  EXPECT_TRUE(fs::is_directory(into + "/tree/sub"));  // made, not filled, at depth 1
  EXPECT_FALSE(fs::exists(into + "/tree/sub/b.txt"));
  size_t entries = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(into)) ++entries;
  EXPECT_EQ(entries, 1u) << "the replaced copy was left aside";

  // A single file under a new name.
  QVFileRef single = Ref(root + "/a.txt");
  ASSERT_EQ(CopyFileSystemObject(&single, &destination, 0, kQVDuplicateFail, "renamed.txt", nullptr), kQVNoErr);
  EXPECT_EQ(Read(into + "/renamed.txt"), "changed");
}

TEST(FolderCopy, IntoItselfOrItsOwnSubFolderIsRefused) {
  std::string root = MakeTree("self");
  QVFileRef source = Ref(root);
  for (const std::string& target : {root, root + "/sub", root + "/sub/deeper"}) {
    QVFileRef destination = Ref(target);
    EXPECT_EQ(CopyFileSystemObject(&source, &destination, 0, kQVDuplicateReplace, "copy", nullptr),
              kQVErrIntoOwnFolder)
        << target;
  }
  EXPECT_FALSE(fs::exists(root + "/copy"));
  EXPECT_FALSE(fs::exists(root + "/sub/copy"));
  // Beside itself is fine.
  QVFileRef parent = Ref(fs::path(root).parent_path().string());
  EXPECT_EQ(CopyFileSystemObject(&source, &parent, 0, kQVDuplicateFail, "tree copy", nullptr), kQVNoErr);
}

TEST(FolderCopy, AFailedReplaceRestoresTheOldItem) {
  std::string root = MakeTree("fail");
  std::string into = MakeScratchFolder("fail-into");
  fs::create_directories(into + "/tree");
  Write(into + "/tree/old.txt", "old");
  Write(root + "/big.bin", std::string(64 * 1024, 'x'));
  // Files may not grow past 8 KB: the big file's copy fails part-way.
  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 8 * 1024;
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  QVFileRef source = Ref(root), destination = Ref(into);
  QVStatus status = CopyFileSystemObject(&source, &destination, 0, kQVDuplicateReplace, nullptr, nullptr);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_NE(status, kQVNoErr);
  EXPECT_EQ(Read(into + "/tree/old.txt"), "old");
  EXPECT_FALSE(fs::exists(into + "/tree/a.txt"));
  size_t entries = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(into)) ++entries;
  EXPECT_EQ(entries, 1u);
}

TEST(FolderCopy, DeleteFolderContentsUnlocksFirst) {
  std::string root = MakeTree("delete");
  chmod((root + "/sub/b.txt").c_str(), 0444);
  chmod((root + "/sub/deeper").c_str(), 0555);
  QVFileRef folder = Ref(root);
  EXPECT_EQ(DeleteFolderContents(&folder), kQVNoErr);
  EXPECT_TRUE(fs::is_directory(root));
  EXPECT_TRUE(fs::is_empty(root));
  QVFileRef file = Ref(MakeTree("delete-file") + "/a.txt");
  EXPECT_EQ(DeleteFolderContents(&file), -1302);
}
