#include "platform/prefs_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/alert_script.h"
#include "platform/log.h"
#include "platform/prefs_plist.h"
#include "tests/scratch_folder.h"

namespace {

const char kDomain[] = "Test Domain";

class PrefsStore : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder("prefs");
    setenv("VELMORA_PREFERENCES", folder_.c_str(), 1);
    PLPrefsDiscard(kDomain);
  }
  void TearDown() override {
    PLPrefsDiscard(kDomain);
    unsetenv("VELMORA_PREFERENCES");
  }
  std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
  std::string folder_;
};

}  // namespace

TEST_F(PrefsStore, EveryTypeSurvivesASaveAndAFreshLoad) {
  const uint8_t bytes[] = {0, 1, 2, 0xFE, 0xFF};
  EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kDomain, "int", -123456789));
  EXPECT_EQ(kQVNoErr, PLPrefsSetFloat32(kDomain, "float", 0.34f));
  EXPECT_EQ(kQVNoErr, PLPrefsSetFloat32(kDomain, "tiny", 1e-30f));
  EXPECT_EQ(kQVNoErr, PLPrefsSetString(kDomain, "text", "caf\xC3\xA9 <&> \"q\""));
  EXPECT_EQ(kQVNoErr, PLPrefsSetData(kDomain, "data", bytes, sizeof bytes));
  EXPECT_EQ(kQVNoErr, PLPrefsSetData(kDomain, "empty", nullptr, 0));
  EXPECT_EQ(kQVNoErr, PLPrefsSetBool(kDomain, "yes", true));
  EXPECT_EQ(kQVNoErr, PLPrefsSetBool(kDomain, "no", false));
  ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
  EXPECT_EQ(PLPrefsDomainPath(kDomain), folder_ + "/Test Domain.plist");
  PLPrefsDiscard(kDomain);  // as a new process would see it

  int32_t i = 0;
  float f = 0;
  std::string s;
  std::vector<uint8_t> d;
  bool b = false;
  ASSERT_TRUE(PLPrefsGetInt32(kDomain, "int", &i));
  EXPECT_EQ(i, -123456789);
  ASSERT_TRUE(PLPrefsGetFloat32(kDomain, "float", &f));
  EXPECT_EQ(f, 0.34f);
  ASSERT_TRUE(PLPrefsGetFloat32(kDomain, "tiny", &f));
  EXPECT_EQ(f, 1e-30f);
  ASSERT_TRUE(PLPrefsGetString(kDomain, "text", &s));
  EXPECT_EQ(s, "caf\xC3\xA9 <&> \"q\"");
  ASSERT_TRUE(PLPrefsGetData(kDomain, "data", &d));
  EXPECT_EQ(d, std::vector<uint8_t>(bytes, bytes + sizeof bytes));
  ASSERT_TRUE(PLPrefsGetData(kDomain, "empty", &d));
  EXPECT_TRUE(d.empty());
  ASSERT_TRUE(PLPrefsGetBool(kDomain, "yes", &b));
  EXPECT_TRUE(b);
  ASSERT_TRUE(PLPrefsGetBool(kDomain, "no", &b));
  EXPECT_FALSE(b);
  EXPECT_FALSE(PLPrefsGetInt32(kDomain, "missing", &i));
  EXPECT_FALSE(PLPrefsGetString(kDomain, "int", &s));  // wrong type

  // Numbers convert; removal reaches the file.
  ASSERT_TRUE(PLPrefsGetInt32(kDomain, "float", &i));
  EXPECT_EQ(i, 0);
  ASSERT_TRUE(PLPrefsGetFloat32(kDomain, "int", &f));
  EXPECT_EQ(f, -123456789.0f);
  PLPrefsRemove(kDomain, "int");
  EXPECT_FALSE(PLPrefsGetInt32(kDomain, "int", &i));
  ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
  PLPrefsDiscard(kDomain);
  EXPECT_FALSE(PLPrefsGetInt32(kDomain, "int", &i));
  EXPECT_TRUE(PLPrefsGetBool(kDomain, "yes", &b));
}

TEST_F(PrefsStore, SixtyFourBitIntegersSurviveAFreshLoadAndReadClampedAs32Bit) {
  const int64_t values[] = {INT64_MIN, -5000000000LL, -1, 0, 2147483647LL, 2147483648LL, INT64_MAX};
  for (size_t i = 0; i < std::size(values); ++i)
    ASSERT_EQ(PLPrefsSetInt64(kDomain, ("n" + std::to_string(i)).c_str(), values[i]), kQVNoErr);
  ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
  PLPrefsDiscard(kDomain);
  for (size_t i = 0; i < std::size(values); ++i) {
    std::string key = "n" + std::to_string(i);
    int64_t v = 0;
    ASSERT_TRUE(PLPrefsGetInt64(kDomain, key.c_str(), &v));
    EXPECT_EQ(v, values[i]);
    int32_t narrow = 0;
    ASSERT_TRUE(PLPrefsGetInt32(kDomain, key.c_str(), &narrow));
    EXPECT_EQ(narrow, int32_t(std::clamp<int64_t>(values[i], INT32_MIN, INT32_MAX)));
  }
  EXPECT_EQ(kQVNoErr, PLPrefsSetString(kDomain, "s", "12"));
  EXPECT_FALSE(PLPrefsGetInt64(kDomain, "s", nullptr));
}

TEST_F(PrefsStore, TextIsKeptValidForTheFile) {
  // A Latin-1 byte and a control character.
  EXPECT_EQ(kQVNoErr, PLPrefsSetString(kDomain, "latin", std::string("caf\xE9\x01x")));
  ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
  PLPrefsDiscard(kDomain);
  std::string s;
  ASSERT_TRUE(PLPrefsGetString(kDomain, "latin", &s));
  EXPECT_EQ(s, "caf\xC3\xA9x");

  // Byte runs that look like UTF-8 but are not (or are characters XML
  // cannot hold) must not make the file unreadable for every other key.
  struct Case {
    const char* stored;
    const char* read;
  };
  const Case cases[] = {
      {"a\xED\xA0\x80", "a\xC3\xAD\xC2\xA0\xC2\x80"},  // a surrogate: three Latin-1 bytes
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},  // past U+10FFFF
      {"\xE0\x80\x80", "\xC3\xA0\xC2\x80\xC2\x80"},  // overlong
      {"x\xEF\xBF\xBEy", "xy"},                           // U+FFFE is dropped
      {"\xF0\x9F\x8E\xAC \xE2\x82\xAC", "\xF0\x9F\x8E\xAC \xE2\x82\xAC"},  // kept as is
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kQVNoErr, PLPrefsSetString(kDomain, "text", c.stored));
    EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kDomain, "other", 7));
    ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
    PLPrefsDiscard(kDomain);
    int32_t other = 0;
    EXPECT_TRUE(PLPrefsGetInt32(kDomain, "other", &other)) << c.read;
    ASSERT_TRUE(PLPrefsGetString(kDomain, "text", &s)) << c.read;
    EXPECT_EQ(s, c.read);
  }
}

TEST_F(PrefsStore, ReadsHandWrittenListsAndBoundsNumbers) {
  WriteFile(folder_ + "/Test Domain.plist",
            "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict>\n"
            "<key>big</key><integer>99999999999</integer>\n"
            "<key>neg</key><integer> -5 </integer>\n"
            "<key>r</key><real>2.5</real>\n"
            "<key>d</key><data>\n  AAEC\n  Aw==\n</data>\n"
            "</dict></plist>\n");
  int32_t i = 0;
  ASSERT_TRUE(PLPrefsGetInt32(kDomain, "big", &i));
  EXPECT_EQ(i, 2147483647);
  ASSERT_TRUE(PLPrefsGetInt32(kDomain, "neg", &i));
  EXPECT_EQ(i, -5);
  ASSERT_TRUE(PLPrefsGetInt32(kDomain, "r", &i));
  EXPECT_EQ(i, 2);
  std::vector<uint8_t> d;
  ASSERT_TRUE(PLPrefsGetData(kDomain, "d", &d));
  EXPECT_EQ(d, (std::vector<uint8_t>{0, 1, 2, 3}));
}

TEST_F(PrefsStore, CorruptFilesAreKeptAsideReportedOnceAndReadAsEmpty) {
  // One line of a good file spoiled at a time.
  const char* bad[] = {
      "<plist version=\"1.0\"><dict><key>a</key><integer>1</integer>",   // cut short
      "<plist version=\"1.0\"><dict><key>a</key><integer>x1</integer></dict></plist>",
      "<plist version=\"1.0\"><dict><key>a</key></dict></plist>",        // key without value
      "<plist version=\"1.0\"><dict><key>a</key><data>@@</data></dict></plist>",
      "<other/>",
      "",
  };
  std::string path = folder_ + "/Test Domain.plist";
  for (const char* text : bad) {
    PLPrefsDiscard(kDomain);
    std::remove((path + ".corrupt").c_str());
    WriteFile(path, text);
    PLAlertScriptBegin();
    int32_t i = 0;
    EXPECT_FALSE(PLPrefsGetInt32(kDomain, "a", &i)) << text;
    EXPECT_FALSE(PLPrefsGetInt32(kDomain, "a", &i)) << text;
    EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kDomain, "b", 2));
    ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
    std::vector<PLRecordedAlert> shown = PLAlertScriptRecorded();
    PLAlertScriptEnd();
    EXPECT_EQ(shown.size(), 1u) << text;
    EXPECT_EQ(ReadFile(path + ".corrupt"), text);  // the damaged file is kept as it was
    PLPrefsDiscard(kDomain);
    ASSERT_TRUE(PLPrefsGetInt32(kDomain, "b", &i)) << text;
    EXPECT_EQ(i, 2);
  }
  // A second damaged file does not replace the first one kept.
  PLPrefsDiscard(kDomain);
  WriteFile(path, "garbage");
  PLAlertScriptBegin();
  int32_t i;
  PLPrefsGetInt32(kDomain, "b", &i);
  PLAlertScriptEnd();
  EXPECT_EQ(ReadFile(path + ".corrupt-2"), "garbage");
}

TEST_F(PrefsStore, TheReportMayReadPreferencesAgain) {
  // A windowed alert runs an event loop that may read preferences: the
  // report must come after the store's lock is released.
  WriteFile(folder_ + "/Test Domain.plist", "not a list");
  static int reports;
  reports = 0;
  PLAlertSink sink{[](const PLAlertRequest&, void*) {
                     ++reports;
                     int32_t v;
                     PLPrefsGetInt32(kDomain, "x", &v);
                     return kPLAnswerDefault;
                   },
                   nullptr};
  PLSetAlertSink(&sink);
  int32_t v;
  EXPECT_FALSE(PLPrefsGetInt32(kDomain, "x", &v));
  PLSetAlertSink(nullptr);
  EXPECT_EQ(reports, 1);
}

TEST_F(PrefsStore, SynchroniseBringsInOtherWritersAndKeepsOwnChanges) {
  EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kDomain, "mine", 1));
  ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
  // Another writer adds a key to the file behind this process's back.
  PLPrefDictionary other;
  std::string why;
  ASSERT_TRUE(PLPlistParse(ReadFile(PLPrefsDomainPath(kDomain)), &other, &why));
  other["theirs"].i32 = 7;
  WriteFile(PLPrefsDomainPath(kDomain), PLPlistWrite(other));
  int32_t v = 0;
  EXPECT_FALSE(PLPrefsGetInt32(kDomain, "theirs", &v));  // not seen before synchronising
  EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kDomain, "mine", 2));
  ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
  ASSERT_TRUE(PLPrefsGetInt32(kDomain, "theirs", &v));
  EXPECT_EQ(v, 7);
  ASSERT_TRUE(PLPrefsGetInt32(kDomain, "mine", &v));
  EXPECT_EQ(v, 2);
}

TEST_F(PrefsStore, AFailedWriteKeepsTheOldFileAndTheChanges) {
  EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kDomain, "a", 1));
  ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
  std::string before = ReadFile(PLPrefsDomainPath(kDomain));
  // In a child whose files may not grow past a few bytes, every write fails.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small{16, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    // A child's own expectations never reach the test: what it found goes
    // out in its exit status.
    const bool set = PLPrefsSetInt32(kDomain, "a", 2) == kQVNoErr &&
                     PLPrefsSetString(kDomain, "b", std::string(100, 'x')) == kQVNoErr;
    bool failed = PLPrefsSynchronize(kDomain) != kQVNoErr;
    int32_t v = 0;
    bool stillSeen = PLPrefsGetInt32(kDomain, "a", &v) && v == 2;
    bool oldKept = ReadFile(PLPrefsDomainPath(kDomain)) == before;
    small.rlim_cur = saved.rlim_cur;
    setrlimit(RLIMIT_FSIZE, &small);
    bool retried = PLPrefsSynchronize(kDomain) == kQVNoErr;
    _exit((failed ? 0 : 1) | (stillSeen ? 0 : 2) | (oldKept ? 0 : 4) | (retried ? 0 : 8) | (set ? 0 : 16));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
  int32_t v = 0;
  ASSERT_TRUE(PLPrefsGetInt32(kDomain, "a", &v));
  EXPECT_EQ(v, 2);
}

TEST_F(PrefsStore, TwoProcessesSavingAtOnceLoseNothing) {
  constexpr int kRounds = 40;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      PLPrefsDiscard(kDomain);
      bool ok = true;
      for (int n = 0; n < kRounds; ++n) {
        std::string key = "p" + std::to_string(c) + "." + std::to_string(n);
        ok = ok && PLPrefsSetInt32(kDomain, key.c_str(), n) == kQVNoErr &&
             PLPrefsSetInt32(kDomain, ("shared" + std::to_string(c)).c_str(), n) == kQVNoErr &&
             PLPrefsSynchronize(kDomain) == kQVNoErr;
      }
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
  for (int c = 0; c < 2; ++c) {
    for (int n = 0; n < kRounds; ++n) {
      int32_t v = -1;
      std::string key = "p" + std::to_string(c) + "." + std::to_string(n);
      ASSERT_TRUE(PLPrefsGetInt32(kDomain, key.c_str(), &v)) << key;
      EXPECT_EQ(v, n);
    }
    int32_t last = -1;
    ASSERT_TRUE(PLPrefsGetInt32(kDomain, ("shared" + std::to_string(c)).c_str(), &last));
    EXPECT_EQ(last, kRounds - 1);
  }
}

TEST_F(PrefsStore, LongestValuesReadBackAndLongerOnesAreRefusedWhenSet) {
  // At the limit: data (a third longer once encoded) and text (escaped in
  // the file) still read back with every key.
  std::vector<uint8_t> data(kPLPrefMaxValueBytes);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 131 + 7);
  std::string text(kPLPrefMaxValueBytes, 'a');
  text.replace(0, 4, "<&>\"");
  ASSERT_EQ(PLPrefsSetData(kDomain, "data", data.data(), data.size()), kQVNoErr);
  ASSERT_EQ(PLPrefsSetString(kDomain, "text", text), kQVNoErr);
  ASSERT_EQ(PLPrefsSetInt32(kDomain, "keep", 5), kQVNoErr);
  ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
  PLPrefsDiscard(kDomain);
  std::vector<uint8_t> d;
  std::string t;
  int32_t keep = 0;
  ASSERT_TRUE(PLPrefsGetData(kDomain, "data", &d));
  EXPECT_TRUE(d == data);
  ASSERT_TRUE(PLPrefsGetString(kDomain, "text", &t));
  EXPECT_TRUE(t == text);
  ASSERT_TRUE(PLPrefsGetInt32(kDomain, "keep", &keep));

  // A few megabytes more are refused at once; what is stored stays.
  std::vector<uint8_t> big(3 * kPLPrefMaxValueBytes / 2, 1);
  EXPECT_EQ(PLPrefsSetData(kDomain, "data", big.data(), big.size()), kQVErrParam);
  EXPECT_EQ(PLPrefsSetData(kDomain, "new", big.data(), kPLPrefMaxValueBytes + 1), kQVErrParam);
  EXPECT_EQ(PLPrefsSetString(kDomain, "text", std::string(kPLPrefMaxValueBytes + 1, 'a')), kQVErrParam);
  // Latin-1 bytes double in length when stored as UTF-8.
  EXPECT_EQ(PLPrefsSetString(kDomain, "text", std::string(kPLPrefMaxValueBytes / 2 + 1, '\xE9')), kQVErrParam);
  EXPECT_EQ(PLPrefsSetInt32(kDomain, std::string(kPLPrefMaxValueBytes + 1, 'k').c_str(), 1), kQVErrParam);
  ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
  PLPrefsDiscard(kDomain);
  ASSERT_TRUE(PLPrefsGetData(kDomain, "data", &d));
  EXPECT_TRUE(d == data);
  EXPECT_FALSE(PLPrefsGetData(kDomain, "new", &d));
  ASSERT_TRUE(PLPrefsGetInt32(kDomain, "keep", &keep));
  EXPECT_EQ(keep, 5);
}

TEST_F(PrefsStore, DocumentTypeDeclarationsAreRefused) {
  // Entities can grow a small file a thousandfold per line; any declared
  // document type is refused before its declarations are read.
  const std::string body = "<plist version=\"1.0\"><dict><key>a</key><string>&c;</string></dict></plist>";
  const std::string extra = folder_ + "/secret.txt";
  WriteFile(extra, "secret");
  const std::string files[] = {
      "<!DOCTYPE plist [<!ENTITY a \"xxxxxxxxxx\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>" + body,
      "<!DOCTYPE plist [<!ENTITY c SYSTEM \"file://" + extra + "\">]>" + body,
      "<!DOCTYPE plist [<!ENTITY % p \"<!ENTITY c 'y'>\"> %p;]>" + body,
      "<!DOCTYPE plist SYSTEM \"plist.dtd\"><plist version=\"1.0\"><dict><key>a</key><string>x</string></dict></plist>",
  };
  const std::string path = folder_ + "/Test Domain.plist";
  for (const std::string& text : files) {
    PLPrefsDiscard(kDomain);
    std::remove((path + ".corrupt").c_str());
    WriteFile(path, text);
    PLAlertScriptBegin();
    std::string v;
    EXPECT_FALSE(PLPrefsGetString(kDomain, "a", &v)) << text;
    std::vector<PLRecordedAlert> shown = PLAlertScriptRecorded();
    PLAlertScriptEnd();
    ASSERT_EQ(shown.size(), 1u) << text;
    EXPECT_NE(shown[0].message.find("document type"), std::string::npos) << shown[0].message;
    EXPECT_EQ(ReadFile(path + ".corrupt"), text);
  }
}

TEST_F(PrefsStore, TemporariesOfKilledSavesAreRemoved) {
  EXPECT_EQ(kQVNoErr, PLPrefsSetString(kDomain, "a", "old"));
  ASSERT_EQ(PLPrefsSynchronize(kDomain), kQVNoErr);
  const std::string before = ReadFile(PLPrefsDomainPath(kDomain));
  // Standard error is a file already past the children's size limit, as it is
  // when the tests' output is collected in a file: the children's log lines
  // must not reach it, or the limit kills them before they write anything.
  const std::string errPath = folder_ + "/stderr.txt";
  WriteFile(errPath, std::string(8192, 'e'));
  fflush(stderr);
  const int savedErr = dup(STDERR_FILENO);
  ASSERT_GE(savedErr, 0);
  const int errFile = open(errPath.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(errFile, 0);
  ASSERT_EQ(dup2(errFile, STDERR_FILENO), STDERR_FILENO);
  close(errFile);
  // A child is killed by the file-size signal halfway through writing its
  // temporary file, as a save killed mid-write would be.
  std::vector<int> statuses;
  for (int n = 0; n < 2; ++n) {
    pid_t child = fork();
    if (child == 0) {
      PLSetLogSink([](const char*, const char*, void*) {}, nullptr);
      rlimit none{0, 0};
      setrlimit(RLIMIT_CORE, &none);
      rlimit small{4096, 4096};
      setrlimit(RLIMIT_FSIZE, &small);
      // The child writes past its file size limit: the failure is what the parent looks for.
      QVIgnoreStatus(PLPrefsSetString(kDomain, "a", std::string(100000, 'n')));
      QVIgnoreStatus(PLPrefsSynchronize(kDomain));
      _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) status = -1;
    statuses.push_back(status);
  }
  dup2(savedErr, STDERR_FILENO);
  close(savedErr);
  for (int status : statuses) {
    ASSERT_TRUE(status != -1 && WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
  }
  std::remove(errPath.c_str());
  auto names = [&] {
    std::set<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) found.insert(entry.path().filename());
    return found;
  };
  EXPECT_GT(names().size(), 2u);  // the killed saves left their temporaries
  // Files that are not this domain's temporaries are left alone.
  const std::set<std::string> others = {"Test Domain.plist.notes", "Test Domain.plist.tmp-", "Other.plist.tmp-a1b2c3",
                                        "Test Domain.plist.corrupt"};
  for (const std::string& name : others) WriteFile(folder_ + "/" + name, "x");

  PLPrefsDiscard(kDomain);
  std::string v;
  ASSERT_TRUE(PLPrefsGetString(kDomain, "a", &v));  // the next reader cleans up
  EXPECT_EQ(v, "old");
  std::set<std::string> expected = others;
  expected.insert({"Test Domain.plist", "Test Domain.plist.lock"});
  EXPECT_EQ(names(), expected);
  EXPECT_EQ(ReadFile(PLPrefsDomainPath(kDomain)), before);
}

TEST(Base64, RoundTripsEveryLength) {
  for (size_t n = 0; n < 10; ++n) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < n; ++i) bytes.push_back(uint8_t(i * 97 + 3));
    std::vector<uint8_t> back;
    ASSERT_TRUE(PLBase64Decode(PLBase64Encode(bytes), &back));
    EXPECT_EQ(back, bytes);
  }
  EXPECT_EQ(PLBase64Encode({'M', 'a'}), "TWE=");
  std::vector<uint8_t> out;
  EXPECT_FALSE(PLBase64Decode("TW=E", &out));
}
