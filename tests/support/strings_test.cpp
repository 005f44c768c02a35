#include "support/strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Strings, FileNameParts) {
  struct Case {
    const char* name;
    const char* extension;  // null: none
  };
  const Case cases[] = {{".profile", nullptr}, {"a.b.c", ".c"}, {"clip.dpx", ".dpx"}, {"noext", nullptr},
                        {"trailing.", "."}};
  for (const Case& c : cases) {
    const char* got = GetFileExtensionCStr(c.name);
    if (c.extension == nullptr) {
      EXPECT_EQ(got, nullptr) << c.name;
    } else {
      ASSERT_NE(got, nullptr) << c.name;
      EXPECT_STREQ(got, c.extension);
      EXPECT_EQ(got, std::strrchr(c.name, '.'));  // points into the name
    }
    char copy[32];
    std::strcpy(copy, c.name);
    EXPECT_EQ(RemoveFileExtensionCStr(copy), c.extension ? 1 : 0) << c.name;
    if (c.extension) {
      EXPECT_EQ(std::string(copy) + c.extension, c.name);
    }
  }

  const char* paths[][2] = {{"/a/b/c.txt", "c.txt"}, {"rel/x", "x"}, {"/top", "/top"}, {"plain", "plain"},
                            {"/a/b/", ""}};
  for (auto& p : paths) EXPECT_STREQ(GetFilenameFromPathCStr(p[0]), p[1]) << p[0];
}

TEST(Strings, StripTrailing) {
  const char* zeros[][2] = {{"000", "000"},  {"0.500", "0.5"}, {"7.000", "7.0"}, {"1.2500", "1.25"},
                            {"100", "100"},  {"2.0", "2.0"},   {"7.", "7."},     {"", ""},
                            {"-3.10", "-3.1"}, {"0.0", "0.0"},  {"1.2.00", "1.2.0"}};
  for (auto& z : zeros) {
    char t[16];
    std::strcpy(t, z[0]);
    QVStripTrailingZeros(t);
    EXPECT_STREQ(t, z[1]) << z[0];
  }
  const char* spaces[][2] = {{"abc  ", "abc"}, {"   ", ""}, {"a b", "a b"}, {"", ""}};
  for (auto& s : spaces) {
    char t[16];
    std::strcpy(t, s[0]);
    QVStripTrailingSpaces(t);
    EXPECT_STREQ(t, s[1]) << s[0];
  }
}

TEST(Strings, Truncate) {
  struct Case {
    const char* text;
    int maximum;
    const char* ellipsis;
    int mode;
    int result;
    const char* expect;
  };
  const Case cases[] = {
      {"abcdefghij", 6, "...", 0, 1, "abc..."},
      {"abcdefghij", 6, "...", 1, 1, "...hij"},
      {"abcdefghij", 6, "...", 2, 1, "ab...j"},
      {"abcdefghij", 10, "...", 0, 0, "abcdefghij"},  // fits
      {"abcdefghij", 7, "...", 2, 1, "ab...ij"},
      {"abcdefghij", 6, "...", 3, 1, "abcdefghij"},   // unknown mode
      {"abcdefghij", 2, "...", 0, 1, "abcdefghij"},   // shorter than the ellipsis
      {"abcdefghij", 2, "...", 1, 1, "abcdefghij"},
      {"abcdefghij", 2, "...", 2, 1, "abcdefghij"},
      {"abcdefghij", 3, "...", 1, 1, "..."},
      {"abcdefghij", -1, "", 0, 1, "abcdefghij"},
  };
  for (const Case& c : cases) {
    char t[64];
    std::strcpy(t, c.text);
    EXPECT_EQ(TruncateStringCStr(t, c.maximum, c.ellipsis, c.mode), c.result) << c.maximum << " " << c.mode;
    EXPECT_STREQ(t, c.expect) << c.maximum << " " << c.mode;
  }
  // Modes that assemble in the work buffer leave over-long targets alone.
  std::string longText(400, 'x');
  for (int mode : {1, 2}) {
    std::string t = longText;
    EXPECT_EQ(TruncateStringCStr(t.data(), 300, "...", mode), 1);
    EXPECT_EQ(std::strlen(t.c_str()), 400u);
  }
  std::string t = longText;
  EXPECT_EQ(TruncateStringCStr(t.data(), 300, "...", 0), 1);
  EXPECT_EQ(std::strlen(t.c_str()), 300u);
  EXPECT_EQ(std::string(t.c_str()).substr(297), "...");
}

TEST(Strings, CaseMapping) {
  char t[] = "Mixed Case 1";
  char* end = QVCStringToUpper(t);
  EXPECT_STREQ(t, "MIXED CASE 1");
  EXPECT_EQ(*end, '\0');
  EXPECT_EQ(end, t + std::strlen(t));
  EXPECT_EQ(ToLowerCStr(t), t);
  EXPECT_STREQ(t, "mixed case 1");
  char dst[6];
  ToLowerCStr("ABCDEFGH", dst, sizeof dst);
  EXPECT_STREQ(dst, "abcde");
}

TEST(Strings, LengthPrefixed) {
  unsigned char a[256] = {3, 'a', 'b', 'c'};
  unsigned char b[256] = {2, 'd', 'e'};
  Append(a, b);
  EXPECT_EQ(a[0], 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(a + 1), a[0]), "abcde");
  unsigned char empty[256] = {0};
  Append(a, empty);
  Append(a, nullptr);
  EXPECT_EQ(a[0], 5);
  // Appending past 255 characters keeps what fits instead of overrunning.
  unsigned char big[256];
  big[0] = 200;
  std::memset(big + 1, 'x', 255);
  Append(big, big);
  EXPECT_EQ(big[0], 255);
  unsigned char c[256];
  EXPECT_EQ(StrCopy(b, c), c);
  EXPECT_EQ(std::memcmp(b, c, 3), 0);
}

TEST(Strings, Replacements) {
  EXPECT_EQ(QVCleanStringForFilename("a/b/c"), "a:b:c");
  EXPECT_EQ(QVCleanStringForFilename(std::string(600, 'a')).size(), 512u);
  struct Case {
    const char *text, *find, *replacement, *expect;
  };
  const Case cases[] = {
      {"a-b-c", "-", "+", "a+b+c"},
      {"aabb", "ab", "", ""},        // searches again from the start
      {"a.b", ".", "..", "a..b"},    // replacement holding the text: one pass
      {"abc", "", "x", "abc"},
      {"none", "z", "y", "none"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReplaceCharInCFString(c.text, c.find, c.replacement), c.expect) << c.text;
}

TEST(Strings, UnicodeNameAndSwap) {
  QVUniStr255 u;
  EXPECT_EQ(QVGetUnicodeFilenameFromCFString("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", &u), 0);
  ASSERT_EQ(u.length, 5);
  const uint16_t expect[] = {0x41, 0xE9, 0x20AC, 0xD83D, 0xDE00};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(u.unicode[i], expect[i]);
  QVGetUnicodeFilenameFromCFString(std::string(300, 'x'), &u);
  EXPECT_EQ(u.length, 255);
  QVGetUnicodeFilenameFromCFString("\xE2\x82", &u);  // cut short
  EXPECT_EQ(u.length, 1);
  EXPECT_EQ(u.unicode[0], 0xFFFD);
  QVGetUnicodeFilenameFromCFString("\xC3" "Ab\xF4\x90\x80\x80", &u);  // broken, past U+10FFFF
  ASSERT_EQ(u.length, 4);
  const uint16_t broken[] = {0xFFFD, 'A', 'b', 0xFFFD};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(u.unicode[i], broken[i]) << i;

  uint8_t four[] = {1, 2, 3, 4};
  QVSwapBytes(four, 4);
  EXPECT_EQ(four[0], 4);
  EXPECT_EQ(four[3], 1);
  uint8_t three[] = {1, 2, 3};
  QVSwapBytes(three, 3);
  EXPECT_EQ(three[1], 2);
  EXPECT_EQ(three[0], 3);
}
