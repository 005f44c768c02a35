#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/library/asc_cdl.h"
#include "platform/alert_script.h"
#include "platform/file_contents.h"
#include "settings/prefs.h"
#include "support/folder_walk.h"
#include "tests/app/library/peer_corrections.h"
#include "tests/scratch_folder.h"

namespace {

struct ASCCDL : testing::Test {
  QVFileRef folder;
  int32_t savedID = 0;
  void SetUp() override {
    ASSERT_EQ(PLFileRefFromPath(MakeScratchFolder("cdl").c_str(), &folder), kQVNoErr);
    savedID = gPrefsSettings.cdlID;
    gPrefsSettings.cdlID = 100;
    PLAlertScriptBegin();
  }
  void TearDown() override {
    PLAlertScriptEnd();
    gPrefsSettings.cdlID = savedID;
  }
  std::string Path(const std::string& name) const { return std::string(folder.path) + "/" + name; }
  std::string Text(const std::string& name) const {
    std::string text;
    EXPECT_EQ(PLReadFileContents(Path(name).c_str(), 1 << 20, &text), kQVNoErr);
    return text;
  }
  QVFileRef Put(const std::string& name, const std::string& text) const {
    EXPECT_EQ(PLReplaceFileContents(Path(name).c_str(), text.data(), text.size()), kQVNoErr);
    QVFileRef ref;
    EXPECT_EQ(PLFileRefFromPath(Path(name).c_str(), &ref), kQVNoErr);
    return ref;
  }
};

// The written text without its date line.
std::string WithoutDate(const std::string& text) {
  std::istringstream in(text);
  std::string out;
  for (std::string line; std::getline(in, line);)
    if (line.find("<!-- Date:") != 0) out += line + "\n";
  return out;
}

std::string SOPFile(const std::string& sop, const std::string& sat = "") {
  return "<ColorDecisionList xmlns=\"urn:ASC:CDL:v1.01\"><ColorDecision><ColorCorrection id=\"a\"><SOPNode>" + sop +
         "</SOPNode>" + sat + "</ColorCorrection></ColorDecision></ColorDecisionList>\n";
}

}  // namespace

TEST_F(ASCCDL, ANeutralCorrectionAndTheCounter) {
  VL_SettingsStruct s = PeerNeutralCorrection();
  ASSERT_EQ(WriteASCCDL(&s, &folder, "grade~1.cdl"), kQVNoErr);
  ASSERT_EQ(WriteASCCDL(&s, &folder, "next.cdl", "/clips/A&B.mov"), kQVNoErr);
  EXPECT_EQ(gPrefsSettings.cdlID, 102);
  EXPECT_EQ(WithoutDate(Text("grade~1.cdl")),
            "<!-- Creator: Quorvane Velmora v3.0.14(309)   -->\n"
            "<ColorDecisionList xmlns=\"urn:ASC:CDL:v1.01\">\n"
            "\t<ColorDecision>\n"
            "\t\t<ColorCorrection ref=\"urn:QuorvaneVL:cdl:cc00000100\">\n"
            "\t\t\t<SOPNode>\n"
            "\t\t\t\t<Description>grade~1.cdl</Description>\n"
            "\t\t\t\t<Slope>1.0000 1.0000 1.0000</Slope>\n"
            "\t\t\t\t<Offset>0.0000 0.0000 0.0000</Offset>\n"
            "\t\t\t\t<Power>1.0000 1.0000 1.0000</Power>\n"
            "\t\t\t</SOPNode>\n"
            "\t\t\t<SatNode>\n"
            "\t\t\t\t<Saturation>1.000000</Saturation>\n"
            "\t\t\t</SatNode>\n"
            "\t\t</ColorCorrection>\n"
            "\t</ColorDecision>\n"
            "</ColorDecisionList>\n");
  std::string next = Text("next.cdl");
  EXPECT_NE(next.find("\t\t<MediaRef ref=\"/clips/A&amp;B.mov\"/>\n"), std::string::npos) << next;
  EXPECT_NE(next.find("cc00000101"), std::string::npos);
  QVFileRef written;
  ASSERT_EQ(PLFileRefFromPath(Path("next.cdl").c_str(), &written), kQVNoErr);
  uint32_t type = 0, creator = 0;
  ASSERT_EQ(GetFSRefTypeAndCreator(&written, &type, &creator), kQVNoErr);
  EXPECT_EQ(type, kASCCDLFileType);
  EXPECT_EQ(creator, kASCCDLCreator);
  // A failed write keeps the counter and reports the failure.
  QVFileRef missing = folder;
  std::strcat(missing.path, "/missing");
  EXPECT_EQ(WriteASCCDL(&s, &missing, "x.cdl"), -43);
  EXPECT_EQ(gPrefsSettings.cdlID, 102);
}

TEST_F(ASCCDL, ExportMultipliesAndImportSetsTheRGBChannelsOnly) {
  VL_SettingsStruct s = PeerNeutralCorrection();
  s.hsl[kVLRangeMaster].gain = 2.0f;
  s.rgb[kVLRangeMaster].channel[0].gain = 0.5f;
  ASSERT_EQ(WriteASCCDL(&s, &folder, "a.cdl"), kQVNoErr);
  EXPECT_NE(Text("a.cdl").find("<Slope>1.0000 2.0000 2.0000</Slope>"), std::string::npos);
  QVFileRef file;
  ASSERT_EQ(PLFileRefFromPath(Path("a.cdl").c_str(), &file), kQVNoErr);
  ASSERT_EQ(ReadASCCDL(&s, &file), kQVNoErr);
  EXPECT_EQ(s.rgb[kVLRangeMaster].channel[0].gain, 1.0f);
  EXPECT_EQ(s.rgb[kVLRangeMaster].channel[1].gain, 2.0f);
  EXPECT_EQ(s.hsl[kVLRangeMaster].gain, 2.0f);
  EXPECT_TRUE(PLAlertScriptRecorded().empty());
}

TEST_F(ASCCDL, RoundTripRestoresGainsPedestalsGammasAndSaturation) {
  const VL_SettingsStruct strong = PeerStrongCorrection();
  ASSERT_EQ(WriteASCCDL(&strong, &folder, "round.cdl"), kQVNoErr);
  VL_SettingsStruct back = PeerNeutralCorrection();
  QVFileRef file;
  ASSERT_EQ(PLFileRefFromPath(Path("round.cdl").c_str(), &file), kQVNoErr);
  ASSERT_EQ(ReadASCCDL(&back, &file), kQVNoErr);
  for (int c = 0; c < 3; ++c) {
    const VL_ChannelControls& want = strong.rgb[kVLRangeMaster].channel[c];
    const VL_ChannelControls& got = back.rgb[kVLRangeMaster].channel[c];
    EXPECT_NEAR(got.gain, want.gain, 1e-4f) << c;
    EXPECT_NEAR(got.ped, want.ped, 1e-4f) << c;
    EXPECT_NEAR(got.gamma, want.gamma, 1e-3f) << c;
  }
  EXPECT_NEAR(back.hsl[kVLRangeMaster].saturation, 140.0f, 1e-3f);
  EXPECT_EQ(back.rgbEnable, 1u);
  EXPECT_EQ(back.rgb[kVLRangeMaster].enable, 1u);
  EXPECT_EQ(back.hslEnable, 1u);
  EXPECT_EQ(back.hslControlsEnable, 1u);
  EXPECT_EQ(back.hsl[kVLRangeMaster].enable, 1u);
}

TEST_F(ASCCDL, AHandWrittenListInTheCommonFormIsRead) {
  QVFileRef file = Put("shot.cdl",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<ColorDecisionList xmlns=\"urn:ASC:CDL:v1.2\">\n"
                       "  <ColorDecision>\n"
                       "    <ColorCorrection id=\"shot_010\">\n"
                       "      <SOPNode>\n"
                       "        <Description>warm &amp; bright</Description>\n"
                       "        <Slope>1.1 1.0 0.9</Slope>\n"
                       "        <Offset>0.01 0 -0.02</Offset>\n"
                       "        <Power>1 1.25 0.8</Power>\n"
                       "      </SOPNode>\n"
                       "      <SATNode>\n"
                       "        <Saturation>0.85</Saturation>\n"
                       "      </SATNode>\n"
                       "    </ColorCorrection>\n"
                       "  </ColorDecision>\n"
                       "</ColorDecisionList>\n");
  VL_SettingsStruct s = PeerNeutralCorrection();
  ASSERT_EQ(ReadASCCDL(&s, &file), kQVNoErr);
  const VL_RGBControls& rgb = s.rgb[kVLRangeMaster];
  EXPECT_FLOAT_EQ(rgb.channel[0].gain, 1.1f);
  EXPECT_FLOAT_EQ(rgb.channel[2].ped, -0.02f);
  EXPECT_FLOAT_EQ(rgb.channel[1].gamma, 0.8f);
  EXPECT_FLOAT_EQ(rgb.channel[2].gamma, 1.25f);
  EXPECT_FLOAT_EQ(s.hsl[kVLRangeMaster].saturation, 85.0f);
}

TEST_F(ASCCDL, EachElementIsTakenOnlyWhenWhole) {
  struct Case {
    const char* what;
    std::string text;
    float gain0, ped0, gamma0, saturation;  // what the record holds afterwards
  };
  // The starting record's values: gains 1, pedestals 0, gammas 1, saturation 100.
  const Case cases[] = {
      {"lower-case names", "<colordecisionlist><colorcorrection><sopnode><slope>2 2 2</slope></sopnode>"
                           "<satnode><saturation>0.5</saturation></satnode></colorcorrection></colordecisionlist>",
       2, 0, 1, 50},
      {"no SatNode", SOPFile("<Slope>0.5 1 1</Slope><Offset>0.1 0 0</Offset><Power>2 1 1</Power>"), 0.5f, 0.1f, 0.5f, 100},
      {"two numbers", SOPFile("<Slope>2 2</Slope><Offset>0.1 0.1 0.1</Offset>"), 1, 0.1f, 1, 100},
      {"four numbers", SOPFile("<Slope>2 2 2 2</Slope><Offset>0.1 0.1 0.1</Offset>"), 1, 0.1f, 1, 100},
      {"words", SOPFile("<Slope>2 two 2</Slope><Offset>0.1 0.1 0.1</Offset>"), 1, 0.1f, 1, 100},
      {"power 0", SOPFile("<Power>0 1 1</Power><Offset>0.1 0.1 0.1</Offset>"), 1, 0.1f, 1, 100},
      {"power below 0", SOPFile("<Power>-1 1 1</Power><Offset>0.1 0.1 0.1</Offset>"), 1, 0.1f, 1, 100},
      {"huge slope", SOPFile("<Slope>1e30 1 1</Slope><Offset>0.1 0.1 0.1</Offset>"), 1, 0.1f, 1, 100},
      {"slope beyond float", SOPFile("<Slope>1e999 1 1</Slope><Offset>0.1 0.1 0.1</Offset>"), 1, 0.1f, 1, 100},
      {"not a number", SOPFile("<Slope>nan 1 1</Slope><Offset>0.1 0.1 0.1</Offset>"), 1, 0.1f, 1, 100},
      {"saturation without number", SOPFile("<Offset>0.1 0.1 0.1</Offset>", "<SatNode><Saturation/></SatNode>"),
       1, 0.1f, 1, 100},
      {"other namespace", "<x:ColorDecisionList xmlns:x=\"urn:other\"><x:ColorCorrection><x:SOPNode>"
                          "<x:Slope>3 3 3</x:Slope></x:SOPNode></x:ColorCorrection></x:ColorDecisionList>",
       3, 0, 1, 100},
  };
  for (const Case& k : cases) {
    VL_SettingsStruct s = PeerNeutralCorrection();
    QVFileRef file = Put("case.cdl", k.text);
    EXPECT_EQ(ReadASCCDL(&s, &file), kQVNoErr) << k.what;
    const VL_ChannelControls& red = s.rgb[kVLRangeMaster].channel[0];
    EXPECT_FLOAT_EQ(red.gain, k.gain0) << k.what;
    EXPECT_FLOAT_EQ(red.ped, k.ped0) << k.what;
    EXPECT_FLOAT_EQ(red.gamma, k.gamma0) << k.what;
    EXPECT_FLOAT_EQ(s.hsl[kVLRangeMaster].saturation, k.saturation) << k.what;
    EXPECT_EQ(s.hslEnable, k.saturation != 100 ? 1u : PeerNeutralCorrection().hslEnable) << k.what;
  }
  EXPECT_TRUE(PLAlertScriptRecorded().empty());
}

TEST_F(ASCCDL, HostileFilesAlertAndChangeNothing) {
  std::string bomb = "<!DOCTYPE l [<!ENTITY a \"aaaaaaaaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
                     "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;\">]>" +
                     SOPFile("<Description>&d;</Description><Slope>2 2 2</Slope>");
  const std::string good = SOPFile("<Slope>2 2 2</Slope>");
  struct Case {
    const char* what;
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"empty", "", "Invalid CDL - Not a readable XML document"},
      {"truncated", good.substr(0, good.size() / 2), "Invalid CDL - Not a readable XML document"},
      {"entity bomb", bomb, "Invalid CDL - Not a readable XML document"},
      {"not UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + SOPFile("<Description>\xc3\x28</Description>"),
       "Invalid CDL - Not a readable XML document"},
      {"no list", "<ColorCorrection><SOPNode><Slope>2 2 2</Slope></SOPNode></ColorCorrection>",
       "Invalid CDL - Missing ColorDecisionList element"},
      {"no correction", "<ColorDecisionList><ColorDecision/></ColorDecisionList>",
       "Invalid CDL - Missing ColorCorrection element"},
      {"no SOPNode", "<ColorDecisionList><ColorCorrection><SatNode><Saturation>0.5</Saturation></SatNode>"
                     "</ColorCorrection></ColorDecisionList>",
       "Invalid CDL - Missing SOPNode element"},
      {"nothing usable", SOPFile("<Slope>1e30 1e30 1e30</Slope><Power>0 0 0</Power>"),
       "Invalid CDL - No usable Slope, Offset, Power or Saturation values"},
  };
  for (const Case& k : cases) {
    PLAlertScriptBegin();
    VL_SettingsStruct s = PeerStrongCorrection();
    const VL_SettingsStruct before = s;
    QVFileRef file = Put("hostile.cdl", k.text);
    EXPECT_NE(ReadASCCDL(&s, &file), kQVNoErr) << k.what;
    EXPECT_EQ(std::memcmp(&s, &before, sizeof s), 0) << k.what;
    std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
    ASSERT_EQ(alerts.size(), 1u) << k.what;
    EXPECT_EQ(alerts[0].message, k.message) << k.what;
    EXPECT_EQ(alerts[0].title, "Velmora 3 UI");
  }
}

TEST_F(ASCCDL, PeersReadTheWrittenList) {
  const VL_SettingsStruct strong = PeerStrongCorrection();
  ASSERT_EQ(WriteASCCDL(&strong, &folder, "peer.cdl"), kQVNoErr);
  if (std::system("command -v xmllint > /dev/null 2>&1") == 0) {
    std::string command = "xmllint --noout '" + Path("peer.cdl") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  if (std::system("command -v ociobakelut > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ociobakelut";
  // OpenColorIO bakes the list into a 17-point cube, red fastest.
  std::string command = "ociobakelut --cccid 0 --lut '" + Path("peer.cdl") +
                        "' --format iridas_cube --cubesize 17 --stdout 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<double> values;
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) {
    double v[3];
    if (std::sscanf(line, "%lf %lf %lf", &v[0], &v[1], &v[2]) == 3) values.insert(values.end(), v, v + 3);
  }
  pclose(pipe);
  ASSERT_EQ(values.size(), size_t(17 * 17 * 17 * 3)) << command;
  // The engine's slope, offset, power and saturation, applied as OpenColorIO
  // applies a list from a file: no clamping, the power on positive values only.
  ASCCDLValues cdl;
  ASCCDLFromSettings(&strong, &cdl);
  const double luma[3] = {0.2126, 0.7152, 0.0722};
  double worst = 0;
  for (int b = 0, i = 0; b < 17; ++b)
    for (int g = 0; g < 17; ++g)
      for (int r = 0; r < 17; ++r, ++i) {
        const double in[3] = {r / 16.0, g / 16.0, b / 16.0};
        double sop[3], y = 0;
        for (int c = 0; c < 3; ++c) {
          double v = in[c] * cdl.slope[c] + cdl.offset[c];
          sop[c] = v > 0 ? std::pow(v, double(cdl.power[c])) : v;
          y += luma[c] * sop[c];
        }
        for (int c = 0; c < 3; ++c) {
          double want = y + double(cdl.saturation) * (sop[c] - y);
          worst = std::max(worst, std::abs(values[size_t(i) * 3 + size_t(c)] - want));
        }
      }
  EXPECT_LT(worst, 1e-3) << "the file's four decimals allow no more";
}
