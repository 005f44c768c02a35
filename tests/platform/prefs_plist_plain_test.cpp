// The preference text read and written without an XML library (the 32-bit
// build's) against the libxml2 reader and writer: the same bytes written, the
// same dictionary read, the same texts refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/prefs_plist.h"

namespace {

PLPrefValue Int(int32_t v) {
  PLPrefValue x;
  x.type = kPLPrefInt32;
  x.i32 = v;
  return x;
}
PLPrefValue Real(float v) {
  PLPrefValue x;
  x.type = kPLPrefFloat32;
  x.f32 = v;
  return x;
}
PLPrefValue Text(const std::string& v) {
  PLPrefValue x;
  x.type = kPLPrefString;
  x.text = v;
  return x;
}
PLPrefValue Data(const std::vector<uint8_t>& v) {
  PLPrefValue x;
  x.type = kPLPrefData;
  x.data = v;
  return x;
}
PLPrefValue Bool(bool v) {
  PLPrefValue x;
  x.type = kPLPrefBool;
  x.boolean = v;
  return x;
}

bool Same(const PLPrefValue& a, const PLPrefValue& b) {
  if (a.type != b.type) return false;
  switch (a.type) {
    case kPLPrefInt32: return a.i32 == b.i32;
    case kPLPrefInt64: return a.i64 == b.i64;
    case kPLPrefFloat32: return a.f32 == b.f32;
    case kPLPrefString: return a.text == b.text;
    case kPLPrefData: return a.data == b.data;
    case kPLPrefBool: return a.boolean == b.boolean;
  }
  return false;
}

void ExpectSameDictionary(const PLPrefDictionary& a, const PLPrefDictionary& b, const std::string& what) {
  ASSERT_EQ(a.size(), b.size()) << what;
  for (const auto& [key, value] : a) {
    auto it = b.find(key);
    ASSERT_NE(it, b.end()) << what << ": " << key;
    EXPECT_TRUE(Same(value, it->second)) << what << ": " << key;
  }
}

}  // namespace

TEST(PlainPlist, WritesTheSameBytesAndReadsThemBack) {
  const std::vector<PLPrefDictionary> cases = {
      {},
      {{"UI Brightness", Int(22282)}, {"Tool Tips Enable", Bool(true)}, {"Limiter Default", Bool(false)}},
      {{"Gamma", Real(0.454545f)}, {"Huge", Real(3.0e38f)}, {"Tiny", Real(-1.5e-30f)}, {"Min", Int(INT32_MIN)}},
      {{"Primary LUT", Data({0, 1, 2, 254, 255})}, {"Empty data", Data({})}, {"Empty text", Text("")}},
      // Markup characters, a carriage return, a tab, non-ASCII text, a
      // control character and a stray byte, in keys and values.
      {{"a&b<c>\"d'", Text("x < y & z > \"w\" 'v'\r\nline\ttab")},
       {"Caf\xC3\xA9", Text("\xE2\x82\xAC and \x01 and \xFF")}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string theirs = PLPlistWrite(cases[i]);
    const std::string ours = PLPlainPlistWrite(cases[i]);
    EXPECT_EQ(theirs, ours) << "case " << i;
    PLPrefDictionary fromOurs, fromTheirs;
    std::string why;
    ASSERT_TRUE(PLPlainPlistParse(ours, &fromOurs, &why)) << "case " << i << ": " << why;
    ASSERT_TRUE(PLPlistParse(ours, &fromTheirs, &why)) << "case " << i << ": " << why;
    ExpectSameDictionary(fromTheirs, fromOurs, "case " + std::to_string(i));
  }
}

TEST(PlainPlist, ReadsAndRefusesWhatTheXMLReaderDoes) {
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  struct Case {
    const char* name;
    std::string text;
    bool readable;
  };
  const Case cases[] = {
      {"comments and instructions", head + "<!-- c --><?pi x?><plist version=\"1.0\"><dict><!-- k -->"
                                           "<key>a</key><integer> 7 </integer></dict></plist>\n<!-- end -->",
       true},
      {"entities and references", head + "<plist><dict><key>a&amp;b</key><string>&lt;&#65;&#x42;&quot;&apos;"
                                         "&#x20AC;</string></dict></plist>",
       true},
      {"CDATA", head + "<plist><dict><key>k</key><string><![CDATA[<raw> & text]]></string></dict></plist>", true},
      {"single-quoted attribute", "<plist version='1.0'><dict><key>k</key><true /></dict></plist>", true},
      {"byte order mark", "\xEF\xBB\xBF" + head + "<plist><dict/></plist>", true},
      {"integer past the range", "<plist><dict><key>k</key><integer>99999999999</integer></dict></plist>", true},
      {"document type", head + "<!DOCTYPE plist [<!ENTITY a \"aaaa\">]><plist><dict/></plist>", false},
      {"no plist", head + "<list><dict/></list>", false},
      {"no dictionary", head + "<plist><array/></plist>", false},
      {"two dictionaries", head + "<plist><dict/><dict/></plist>", false},
      {"key without value", head + "<plist><dict><key>k</key></dict></plist>", false},
      {"value without key", head + "<plist><dict><integer>1</integer><integer>2</integer></dict></plist>", false},
      {"unknown value", head + "<plist><dict><key>k</key><date>x</date></dict></plist>", false},
      {"integer with text", head + "<plist><dict><key>k</key><integer>12abc</integer></dict></plist>", false},
      {"bad base64", head + "<plist><dict><key>k</key><data>A*==</data></dict></plist>", false},
      {"unclosed element", head + "<plist><dict><key>k</key><integer>1</integer></dict>", false},
      {"mismatched end tag", head + "<plist><dict></plist></dict>", false},
      {"unknown entity", head + "<plist><dict><key>&nbsp;</key><true/></dict></plist>", false},
      {"bare ampersand", head + "<plist><dict><key>a & b</key><true/></dict></plist>", false},
      {"text after the root", head + "<plist><dict/></plist>junk", false},
      {"empty", "", false},
  };
  for (const Case& c : cases) {
    PLPrefDictionary ours, theirs;
    std::string whyOurs, whyTheirs;
    const bool readOurs = PLPlainPlistParse(c.text, &ours, &whyOurs);
    const bool readTheirs = PLPlistParse(c.text, &theirs, &whyTheirs);
    EXPECT_EQ(readTheirs, c.readable) << c.name << ": " << whyTheirs;
    EXPECT_EQ(readOurs, c.readable) << c.name << ": " << whyOurs;
    if (readOurs && readTheirs) {
      ExpectSameDictionary(theirs, ours, c.name);
    }
    if (!c.readable) {
      EXPECT_TRUE(ours.empty()) << c.name;
    }
  }
  PLPrefDictionary d;
  std::string why;
  EXPECT_FALSE(PLPlainPlistParse(head + "<!DOCTYPE plist><plist><dict/></plist>", &d, &why));
  EXPECT_EQ(why, "a document type declaration");
}

// Elements nested far deeper than a preference file's three levels are
// refused without using the stack for each.
TEST(PlainPlist, DeepNestingIsRefused) {
  std::string text = "<plist><dict><key>k</key>";
  for (int i = 0; i < 100000; ++i) text += "<a>";
  PLPrefDictionary d;
  std::string why;
  EXPECT_FALSE(PLPlainPlistParse(text, &d, &why));
}
