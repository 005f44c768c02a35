// Curve files: the .acv writer's bytes, every reader against the formulas
// on small files, hostile files changing nothing, the load panel's kinds.
#include "settings/curve_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/alert_script.h"
#include "platform/prefs_store.h"
#include "platform/ui/ui_dialogs.h"
#include "settings/file_panels.h"
#include "settings/lut_text.h"
#include "tests/scratch_folder.h"

namespace {

struct Curves {
  VL_CurveControls c[4];
};

Curves DefaultCurves() {
  static VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  Curves out;
  std::memcpy(out.c, s.rgbCurves, sizeof out.c);
  return out;
}

bool Same(const Curves& a, const Curves& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string Be16(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) {
    s.push_back(char((v >> 8) & 255));
    s.push_back(char(v & 255));
  }
  return s;
}

class CurveFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchFolder("curves");
    PLAlertScriptBegin();
  }
  void TearDown() override { PLAlertScriptEnd(); }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::vector<std::string> AlertMessages() {
    std::vector<std::string> out;
    for (const PLRecordedAlert& a : PLAlertScriptRecorded()) out.push_back(a.message);
    return out;
  }
  std::string dir_;
};

TEST_F(CurveFiles, ACVOfTheDefaultCurvesIsExact) {
  Curves c = DefaultCurves();
  const std::string identity = Be16({2, 0, 0, 255, 255});
  EXPECT_EQ(Be16({1, 5}) + identity + identity + identity + identity + identity, CurveACVBytes(c.c));
  // Points go out as (trunc(255 y), trunc(255 x)); a map as 16 sampled points.
  c.c[kVLCurveRed].spline = {3, {0.0f, 0.5f, 1.0f}, {0.1f, 0.7f, 1.0f}};
  for (int j = 0; j < kVLCurveMapCount; ++j) c.c[kVLCurveBlue].map[j] = 1.0f - float(j) / 1023.0f;
  c.c[kVLCurveBlue].modeFlags = kVLCurveModeMap;
  std::string bytes = CurveACVBytes(c.c);
  EXPECT_EQ(Be16({3, 25, 0, 178, 127, 255, 255}), bytes.substr(4 + 10 * 1, 14));
  const size_t blue = 4 + 10 + 14 + 10;
  EXPECT_EQ(Be16({16, 255, 0}), bytes.substr(blue, 6));
  EXPECT_EQ(Be16({0, 255}), bytes.substr(blue + 2 + 15 * 4, 4));
}

TEST_F(CurveFiles, ACVReadsBackAndVersionFourTakesFourCurves) {
  Curves c = DefaultCurves();
  c.c[kVLCurveMaster].spline = {3, {0.0f, 100 / 255.0f, 1.0f}, {0.0f, 150 / 255.0f, 1.0f}};
  c.c[kVLCurveGreen].modeFlags = kVLCurveModeMap;
  std::string path = dir_ + "/look.acv";
  ASSERT_EQ(kQVNoErr, CurveWriteACV(path.c_str(), c.c));
  Curves back = DefaultCurves();
  back.c[kVLCurveGreen].modeFlags = kVLCurveModeMap;
  ASSERT_EQ(kQVNoErr, CurveReadACV(path.c_str(), back.c));
  EXPECT_EQ(3u, back.c[kVLCurveMaster].spline.pointCount);
  EXPECT_FLOAT_EQ(150 / 255.0f, back.c[kVLCurveMaster].spline.y[1]);
  EXPECT_EQ(0u, back.c[kVLCurveGreen].modeFlags) << "a loaded curve is a point curve";
  EXPECT_EQ(16u, back.c[kVLCurveGreen].spline.pointCount);

  // Version 4 with six curves: the first four are read, the rest not even looked at.
  std::string six = Be16({4, 6});
  for (int k = 0; k < 4; ++k) six += Be16({2, 0, k * 10, 255, 255});
  six += Be16({40, 1});  // a fifth curve that would be refused
  Curves v4 = DefaultCurves();
  ASSERT_EQ(kQVNoErr, CurveParseACV(six, v4.c));
  EXPECT_FLOAT_EQ(30 / 255.0f, v4.c[kVLCurveBlue].spline.x[0]);
}

TEST_F(CurveFiles, HostileACVFilesChangeNothing) {
  const std::string good = Be16({1, 2}) + Be16({2, 0, 0, 255, 255}) + Be16({3, 0, 0, 128, 100, 255, 255});
  struct Case {
    const char* story;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"half a header", good.substr(0, 3)},
      {"version 2", Be16({2}) + good.substr(2)},
      {"no curves", Be16({1, 0})},
      {"negative count", Be16({1, 0xFFFF}) + good.substr(4)},
      {"17 points", Be16({1, 1, 17}) + std::string(68, '\0')},
      {"huge point count", Be16({1, 1, 0x7FFF})},
      {"one point", Be16({1, 1, 1, 0, 0})},
      {"points cut short", good.substr(0, good.size() - 1)},
      {"second curve missing", good.substr(0, 14)},
      {"value above 255", Be16({1, 1, 2, 0, 0, 256, 255})},
      {"inputs not increasing", Be16({1, 1, 3, 0, 0, 10, 100, 20, 100})},
      {"junk", std::string(40, '\xFF')},
  };
  Curves c = DefaultCurves();
  ASSERT_EQ(kQVNoErr, CurveParseACV(good, c.c));
  for (const Case& k : cases) {
    Curves before = DefaultCurves(), after = before;
    EXPECT_NE(kQVNoErr, CurveParseACV(k.bytes, after.c)) << k.story;
    EXPECT_TRUE(Same(before, after)) << k.story;
  }
  EXPECT_TRUE(AlertMessages().empty()) << "binary kinds report nothing";
}

TEST_F(CurveFiles, ArbitraryMapsExpandAndCompose) {
  std::string ramp(256, '\0'), invert(256, '\0');
  for (int i = 0; i < 256; ++i) {
    ramp[size_t(i)] = char(i);
    invert[size_t(i)] = char(255 - i);
  }
  Curves c = DefaultCurves();
  ASSERT_EQ(kQVNoErr, CurveParseArbitraryMap(ramp, c.c));
  for (int k = 0; k < 4; ++k) EXPECT_EQ(kVLCurveModeMap, c.c[k].modeFlags & kVLCurveModeMap);
  for (int ch = kVLCurveRed; ch <= kVLCurveBlue; ++ch) {
    EXPECT_FLOAT_EQ(1.25f / 255.0f, c.c[ch].map[5]);
    // The last four entries descend from 255/255 by quarters of the step to 254.
    EXPECT_FLOAT_EQ(1.0f, c.c[ch].map[1020]);
    EXPECT_FLOAT_EQ(254.25f / 255.0f, c.c[ch].map[1023]);
  }
  EXPECT_FLOAT_EQ(512 / 1023.0f, c.c[kVLCurveMaster].map[512]);
  // Two maps: red is the second after the first; green and blue the first.
  Curves two = DefaultCurves();
  ASSERT_EQ(kQVNoErr, CurveParseArbitraryMap(ramp + invert + "partial", two.c));
  EXPECT_FLOAT_EQ(1.0f, two.c[kVLCurveRed].map[0]);
  EXPECT_FLOAT_EQ(254.75f / 255.0f, two.c[kVLCurveRed].map[1]);
  EXPECT_FLOAT_EQ(0.0f, two.c[kVLCurveGreen].map[0]);
  // Composed at A[i] = 255: the step runs to B[254].
  EXPECT_FLOAT_EQ(0.25f / 255.0f, two.c[kVLCurveRed].map[1021]);
  // Not one whole map: nothing changes.
  Curves before = DefaultCurves(), after = before;
  EXPECT_NE(kQVNoErr, CurveParseArbitraryMap(ramp.substr(0, 255), after.c));
  EXPECT_TRUE(Same(before, after));
  EXPECT_EQ(kQVErrFileNotFound, CurveReadArbitraryMap((dir_ + "/none.amp").c_str(), after.c));
}

std::string GridLUT(int gmax, int gsize, int (*value)(int)) {
  std::ostringstream s;
  s << "Quantel iQ LUT\r\nTable LUT 2\r\nGMax " << gmax << "\r\nGSize " << gsize << "\r\n\r\nR G B\r\n";
  for (int i = 0; i < gsize; ++i) s << value(i) << " " << value(i) << " " << value(i) << "\r\n";
  return s.str();
}

std::string ChannelLUT(int entries, int (*value)(int), int channels = 3) {
  std::ostringstream s;
  s << "# a comment\n#\nLUT: " << channels << " " << entries << "\n";
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < entries; ++i) s << "      " << value(i) << "\n";
  return s.str();
}

TEST_F(CurveFiles, GridLUTsFollowTheirRunsAndGroups) {
  // 256 entries of a 10-bit ramp (4 i): runs of four entries stepping by 1/1023.
  Curves c = DefaultCurves();
  std::string path = Write("ramp.txt", GridLUT(1023, 256, [](int i) { return 4 * i; }));
  ASSERT_EQ(kQVNoErr, CurveReadGridLUT(path.c_str(), c.c));
  EXPECT_FLOAT_EQ(8 / 1023.0f, c.c[kVLCurveRed].map[8]);
  EXPECT_FLOAT_EQ(9 / 1023.0f, c.c[kVLCurveGreen].map[9]);
  EXPECT_FLOAT_EQ(1020 / 1023.0f, c.c[kVLCurveBlue].map[1020]);
  EXPECT_FLOAT_EQ(1023 / 1023.0f, c.c[kVLCurveBlue].map[1023]) << "last run steps by the previous difference";
  EXPECT_EQ(kVLCurveModeMap, c.c[kVLCurveMaster].modeFlags);
  // 4096 entries: groups of four averaged.
  path = Write("big.txt", GridLUT(4095, 4096, [](int i) { return i; }));
  ASSERT_EQ(kQVNoErr, CurveReadGridLUT(path.c_str(), c.c));
  EXPECT_FLOAT_EQ(1.5f / 4095.0f, c.c[kVLCurveRed].map[0]);
  EXPECT_FLOAT_EQ((4 * 100 + 1.5f) / 4095.0f, c.c[kVLCurveRed].map[100]);
  // 3 entries do not divide 1024: the last run goes on to the end, within 0..1.
  path = Write("three.txt", GridLUT(100, 3, [](int i) { return 10 * i; }));
  ASSERT_EQ(kQVNoErr, CurveReadGridLUT(path.c_str(), c.c));
  EXPECT_FLOAT_EQ(0.2f, c.c[kVLCurveRed].map[2 * 341]);
  EXPECT_NEAR(0.2f + 0.1f * 341 / 341, c.c[kVLCurveRed].map[1023], 1e-6);
}

TEST_F(CurveFiles, ChannelLUTsPickTheirRangeFromTheLargestValue) {
  struct Case {
    int largest;
    float scale;
  } cases[] = {{255, 1 / 255.0f}, {1023, 1 / 1023.0f}, {1024, 1 / 4095.0f}, {4096, 1 / 65535.0f}};
  for (const Case& k : cases) {
    static int largest;
    largest = k.largest;
    std::string path = Write("range.lut", ChannelLUT(1024, [](int i) { return i == 1023 ? largest : i / 4; }));
    Curves c = DefaultCurves();
    ASSERT_EQ(kQVNoErr, CurveReadChannelLUT(path.c_str(), c.c)) << k.largest;
    EXPECT_FLOAT_EQ(100 * k.scale, c.c[kVLCurveGreen].map[400]) << k.largest;
  }
}

TEST_F(CurveFiles, BadTextLUTsAlertAndChangeNothing) {
  const std::string grid = GridLUT(255, 4, [](int i) { return i; });
  const std::string channel = ChannelLUT(4, [](int i) { return i; });
  auto replace = [](std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    return text.replace(at, from.size(), to);
  };
  struct Case {
    const char* story;
    bool gridKind;
    std::string text;
    const char* message;
  } cases[] = {
      {"table kind 3", true, replace(grid, "LUT 2", "LUT 3"), kLUTErrorUnsupported},
      {"table without a number", true, replace(grid, "LUT 2", "LUT"), kLUTErrorReading},
      {"no gsize", true, replace(grid, "GSize", "Size"), kLUTErrorShort},
      {"gsize beyond the rows", true, replace(grid, "GSize 4", "GSize 5"), kLUTErrorShort},
      {"huge gsize", true, replace(grid, "GSize 4", "GSize 4000000000"), kLUTErrorReading},
      {"gmax 0", true, replace(grid, "GMax 255", "GMax 0"), kLUTErrorReading},
      {"no heading", true, replace(grid, "R G B", "red green blue"), kLUTErrorShort},
      {"row of two", true, replace(grid, "2 2 2", "2 2"), kLUTErrorReading},
      {"value above gmax", true, replace(grid, "3 3 3", "3 300 3"), kLUTErrorReading},
      {"word in a row", true, replace(grid, "1 1 1", "1 one 1"), kLUTErrorReading},
      {"two channels", false, replace(channel, "LUT: 3", "LUT: 2"), kLUTErrorTooFewChannels},
      {"no LUT line", false, replace(channel, "LUT:", "LUT"), kLUTErrorShort},
      {"entries beyond the file", false, replace(channel, "3 4", "3 5"), kLUTErrorShort},
      {"zero entries", false, replace(channel, "3 4", "3 0"), kLUTErrorReading},
      {"huge entries", false, replace(channel, "3 4", "3 99999999"), kLUTErrorReading},
      {"negative value", false, replace(channel, "      2\n", "      -2\n"), kLUTErrorReading},
      {"value above 65535", false, replace(channel, "      2\n", "      70000\n"), kLUTErrorReading},
      {"two numbers on a line", false, replace(channel, "      2\n", "      2 3\n"), kLUTErrorReading},
      {"binary junk", false, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), kLUTErrorShort},
  };
  for (const Case& k : cases) {
    PLAlertScriptBegin();
    std::string path = Write("bad.txt", k.text);
    Curves before = DefaultCurves(), after = before;
    QVStatus status = k.gridKind ? CurveReadGridLUT(path.c_str(), after.c) : CurveReadChannelLUT(path.c_str(), after.c);
    EXPECT_NE(kQVNoErr, status) << k.story;
    EXPECT_TRUE(Same(before, after)) << k.story;
    std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
    ASSERT_EQ(1u, alerts.size()) << k.story;
    EXPECT_EQ(k.message, alerts[0].message) << k.story;
    EXPECT_EQ("Velmora 3 PI", alerts[0].title) << k.story;
  }
  PLAlertScriptBegin();
  Curves c = DefaultCurves();
  EXPECT_EQ(kQVErrFileNotFound, CurveReadGridLUT((dir_ + "/none.txt").c_str(), c.c));
  ASSERT_EQ(1u, AlertMessages().size());
  EXPECT_EQ(kLUTErrorReading, AlertMessages()[0]);
}

TEST(ReadLineFromFILE, LineEnds) {
  struct Case {
    const char* story;
    std::string text;
    size_t size;
    std::vector<std::pair<int32_t, std::string>> lines;
  } cases[] = {
      {"LF, CR, CR LF and LF CR each end one line", "a\nb\rc\r\nd\n\re", 16,
       {{0, "a"}, {0, "b"}, {0, "c"}, {0, "d"}, {kQVErrEndOfFile, "e"}}},
      {"two LFs are two lines", "a\n\nb\n", 16, {{0, "a"}, {0, ""}, {0, "b"}, {kQVErrEndOfFile, ""}}},
      {"long lines are cut and continue", "abcdef\n", 4, {{0, "abc"}, {0, "def"}, {kQVErrEndOfFile, ""}}},
      {"a line that just fits", "abc", 4, {{kQVErrEndOfFile, "abc"}}},
      {"a buffer below two bytes", "abc\n", 1, {{0, ""}}},
  };
  for (const Case& k : cases) {
    std::string text = k.text;
    FILE* f = fmemopen(text.data(), text.size(), "r");
    ASSERT_NE(nullptr, f);
    for (const auto& [status, line] : k.lines) {
      char buffer[16];
      std::memset(buffer, 'x', sizeof buffer);
      EXPECT_EQ(status, ReadLineFromFILE(f, buffer, k.size)) << k.story;
      EXPECT_EQ(line, std::string(buffer)) << k.story;
    }
    std::fclose(f);
  }
}

TEST_F(CurveFiles, LoadPanelKindPicksTheReader) {
  setenv("VELMORA_PREFERENCES", (dir_ + "/prefs").c_str(), 1);
  PLPrefsDiscard(kQVPanelsDomain);
  // A "LUT:" file named .txt, loaded as the Autodesk kind (index 3).
  std::string path = Write("named.txt", ChannelLUT(256, [](int i) { return 255 - i; }));
  Curves c = DefaultCurves();
  TKDialogAnswer answer;
  answer.path = path;
  answer.typeIndex = 3;
  TKQueueDialogAnswer(answer);
  ASSERT_EQ(kQVNoErr, LoadCurrentCurves(c.c));
  TKPanelRequest panel = TKScriptedDialogRequests().back().panel;
  EXPECT_EQ("Load Curve", panel.title);
  ASSERT_EQ(6u, panel.types.size());
  EXPECT_EQ("Quantel iQ 1D LUT Files", panel.types[2].name);
  EXPECT_FLOAT_EQ(1.0f, c.c[kVLCurveRed].map[0]);
  // "All Documents" loads nothing.
  answer.typeIndex = 5;
  TKQueueDialogAnswer(answer);
  Curves before = DefaultCurves(), after = before;
  EXPECT_NE(kQVNoErr, LoadCurrentCurves(after.c));
  EXPECT_TRUE(Same(before, after));
  // Save writes the .acv to the chosen path.
  answer.path = dir_ + "/saved.acv";
  TKQueueDialogAnswer(answer);
  ASSERT_EQ(kQVNoErr, SaveCurrentCurves(before.c));
  EXPECT_EQ("Save Curve", TKScriptedDialogRequests().back().panel.title);
  EXPECT_EQ("Untitled Curve", TKScriptedDialogRequests().back().panel.fileName);
  Curves reread = DefaultCurves();
  EXPECT_EQ(kQVNoErr, CurveReadACV(answer.path.c_str(), reread.c));
  TKClearDialogScript();
  PLPrefsDiscard(kQVPanelsDomain);
  unsetenv("VELMORA_PREFERENCES");
}

}  // namespace
