#include "app/surfaces/surface_file.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/surfaces/surface_defaults.h"
#include "app/surfaces/surface_start.h"
#include "app/surfaces/surface_text.h"
#include "platform/alert_script.h"
#include "platform/file_contents.h"
#include "tests/scratch_folder.h"

namespace {

std::string WriteToText() {
  char* bytes = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&bytes, &size);
  EXPECT_EQ(kQVNoErr, SurfaceWriteDefinitionsTo(stream, "Fri, Dec 11, 2026"));
  std::fclose(stream);
  std::string text(bytes, size);
  std::free(bytes);
  return text;
}

bool Read(const std::string& text) { return SurfaceReadDefinitionsFromBytes(text.data(), text.size()); }

SurfaceControlDefinition Control(int32_t id, int32_t action, int32_t target, float sx, float sy, bool leds) {
  SurfaceControlDefinition d{};
  d.controlID = id;
  d.action = action;
  d.targetControl = d.target1 = target;
  d.target2 = kSurfaceNoTarget;
  d.scaleX = sx;
  d.scaleY = sy;
  d.updateLEDs = leds;
  return d;
}

// Two pages of mappings, an inactive one among them, with accented text.
void FillSample() {
  SurfaceClearDefinitions();
  SurfacePageDefinition& p = gSurfacePages[0];
  p.active = 1;
  std::strcpy(p.leftLine1, "Primaire \xE9t\xE9");  // "Primaire été" in Windows Latin-1
  std::strcpy(p.rightLine2, "A&B <x> \"q\" \x80");
  p.trackballColor[0] = kSurfaceRed;
  p.trackballColor[1] = kSurfaceCyan;
  gSurfaceControls[0][0] = Control(88, kSurfaceActionAdjustSlider, 180, 1.0f, 0.0f, false);
  gSurfaceControls[0][1] = Control(513, kSurfaceActionToggleControl, 33376, 0.0f, 2.5f, true);
  gSurfaceControls[0][3] = Control(541, kSurfaceActionRestoreSettings, kSurfaceNoTarget, 2.6f, 0.0f, false);
  gSurfacePages[1].active = 0;
  std::strcpy(gSurfacePages[1].leftLine1, "Off");
  gSurfaceControls[1][0] = Control(94, kSurfaceActionAdjustHueAngle, 816, -0.25f, 0.125f, false);
}

}  // namespace

TEST(SurfaceFile, WrittenReadAndWrittenAgainIsTheSame) {
  FillSample();
  const std::string first = WriteToText();
  SurfaceClearDefinitions();
  ASSERT_TRUE(Read(first));
  EXPECT_EQ(first, WriteToText());
  EXPECT_EQ(0, gSurfacePages[1].active);
  EXPECT_EQ(1, gSurfacePages[0].active);
  EXPECT_STREQ("Primaire \xE9t\xE9", gSurfacePages[0].leftLine1);
  EXPECT_EQ(kSurfaceCyan, gSurfacePages[0].trackballColor[1]);
}

TEST(SurfaceFile, TheTextIsTheFormat) {
  FillSample();
  const std::string text = WriteToText();
  EXPECT_EQ(0u, text.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<!-- File Type: Knobwell KB-1 Control Surface Definitions   -->\n"
                          "<!-- Creator:   Quorvane Velmora   -->\n"
                          "<!-- Date:      Fri, Dec 11, 2026     -->\n"
                          "<knobwellsettings>\n\t<page>\n\t\t<pageindex>1</pageindex>\n"
                          "\t\t<pageactive>TRUE</pageactive>\n\t\t<display>\n"
                          "\t\t\t<leftline1>Primaire \xC3\xA9t\xC3\xA9</leftline1>\n"));
  EXPECT_NE(std::string::npos, text.find("<rightline2>A&amp;B &lt;x&gt; &quot;q&quot; \xE2\x82\xAC</rightline2>"));
  EXPECT_NE(std::string::npos, text.find("\t\t\t\t<controlid>navbutton1_sglclk</controlid>\n"
                                         "\t\t\t\t<action>toggle_control</action>\n"
                                         "\t\t\t\t<targetcontrol>limiter_enable</targetcontrol>\n"
                                         "\t\t\t\t<target1>limiter_enable</target1>\n"
                                         "\t\t\t\t<scaley>2.500000</scaley>\n"
                                         "\t\t\t\t<updateleds>TRUE</updateleds>\n"));
  // An id without a name, and no targets.
  gSurfaceControls[0][3].controlID = 300;
  EXPECT_NE(std::string::npos, WriteToText().find("<controlid>UNKNOWN!!!!!!</controlid>\n"
                                         "\t\t\t\t<action>restore_settings</action>\n"
                                         "\t\t\t\t<scalex>2.600000</scalex>\n"));
  // Pages whose entries are all placeholders have an empty control list.
  EXPECT_NE(std::string::npos, text.find("<pageindex>7</pageindex>"));
  EXPECT_NE(std::string::npos, text.find("\t\t<pagecontrols>\n\t\t</pagecontrols>\n"));
  EXPECT_EQ(std::string::npos, text.find("placeholder"));
}

TEST(SurfaceFile, NumbersAreWrittenTheSameInEveryLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
    GTEST_SKIP() << "no locale with a decimal comma here";
  FillSample();
  const std::string text = WriteToText();
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_NE(std::string::npos, text.find("<scaley>2.500000</scaley>"));
}

TEST(SurfaceFile, ReadingFollowsTheFileAndKeepsWhatItDoesNotMention) {
  FillSample();
  for (int i = 0; i < 10; ++i) gSurfaceControls[2][i] = Control(100 + i, kSurfaceActionNone, 16, 1, 1, false);
  const std::string file =
      "<knobwellsettings><page><pageindex>3</pageindex><pagecontrols>"
      "<control><controlid>wheel</controlid><action>adjust_slider</action><target1>rgb_master_gain</target1>"
      "<updateleds>true</updateleds></control>"
      "<control><controlid>nonsense</controlid><action>nonsense</action><targetcontrol>nonsense</targetcontrol>"
      "<scalex>0.5</scalex><updateleds>yes</updateleds></control>"
      "<control><controlid>ring</controlid></control>"
      "</pagecontrols></page></knobwellsettings>";
  ASSERT_TRUE(Read(file));
  const SurfaceControlDefinition* c = gSurfaceControls[2];
  EXPECT_EQ(24, c[0].controlID);
  EXPECT_EQ(kSurfaceActionAdjustSlider, c[0].action);
  EXPECT_EQ(180, c[0].target1);
  EXPECT_EQ(16, c[0].targetControl);  // absent: kept
  EXPECT_EQ(1, c[0].updateLEDs);
  EXPECT_EQ(0.0f, c[0].scaleX);       // absent: 0
  EXPECT_EQ(0, c[1].controlID);
  EXPECT_EQ(0, c[1].action);
  EXPECT_EQ(kSurfaceNoTarget, c[1].targetControl);  // unknown: no target at all
  EXPECT_EQ(0.5f, c[1].scaleX);
  EXPECT_EQ(0, c[1].updateLEDs);
  EXPECT_EQ(26, c[2].controlID);
  EXPECT_EQ(kSurfaceActionNone, c[2].action);
  EXPECT_EQ(103, c[3].controlID);  // entries 4 to 10 as they were
  EXPECT_EQ(109, c[9].controlID);
  // No display: the page is read but does not become active.
  EXPECT_EQ(0, gSurfacePages[2].active);
}

TEST(SurfaceFile, HostileFilesChangeNothingOrOnlyWhatFits) {
  FillSample();
  const std::string before = WriteToText();
  const char* const refused[] = {
      "",
      "not xml at all",
      "<other><page><pageindex>1</pageindex><display><leftline1>x</leftline1></display></page></other>",
      "<knobwellsettings></knobwellsettings>",
      "<knobwellsettings><page><pageindex>1</pageindex>",
      "<!DOCTYPE k [<!ENTITY a \"aaaa\">]><knobwellsettings><page><pageindex>1</pageindex></page></knobwellsettings>",
  };
  for (const char* text : refused) {
    Read(text);
    EXPECT_EQ(before, WriteToText()) << text;
  }
  // Pages outside 1 to 7 and a page without an index are skipped.
  const std::string outside =
      "<knobwellsettings><page><pageindex>0</pageindex><display><leftline1>zero</leftline1></display></page>"
      "<page><pageindex>8</pageindex><display><leftline1>eight</leftline1></display></page>"
      "<page><pageindex>-2147483648</pageindex><display><leftline1>min</leftline1></display></page>"
      "<page><display><leftline1>none</leftline1></display></page></knobwellsettings>";
  ASSERT_TRUE(Read(outside));
  EXPECT_EQ(before, WriteToText());

  // More than 70 controls: the first 70 are taken. A long line is cut to 25.
  std::string many = "<knobwellsettings><page><pageindex>7</pageindex><display><leftline1>";
  many += std::string(40, 'x') + "</leftline1><rightline1>";
  for (int i = 0; i < 30; ++i) many += "\xC3\xA9";
  many += "</rightline1>";
  many += "</display><pagecontrols>";
  for (int i = 0; i < 200; ++i) many += "<control><controlid>wheel</controlid><action>none</action></control>";
  many += "</pagecontrols></page></knobwellsettings>";
  ASSERT_TRUE(Read(many));
  EXPECT_EQ(std::string(25, 'x'), gSurfacePages[6].leftLine1);
  EXPECT_EQ(std::string(25, '\xE9'), gSurfacePages[6].rightLine1);
  EXPECT_EQ(24, gSurfaceControls[6][69].controlID);
  EXPECT_EQ(0, gSurfaceControls[0][4].controlID);  // the next page's table is untouched
}

TEST(SurfaceFile, AFileWrittenToDiskReadsBackAndAFailedWriteSaysWhy) {
  const std::string folder = MakeScratchFolder("defs");
  const std::string path = folder + "/" + kSurfaceDefinitionsFileName;
  FillSample();
  ASSERT_EQ(kQVNoErr, SurfaceWriteDefinitions(path.c_str(), kSurfaceDefinitionsFileName));
  const std::string written = WriteToText();
  SurfaceClearDefinitions();
  EXPECT_EQ(kQVNoErr, SurfaceReadDefinitions(path.c_str()));
  EXPECT_EQ(written, WriteToText());

  const std::string missing = folder + "/no/such/folder/x.vlws";
  EXPECT_EQ(kQVErrFileNotFound, SurfaceWriteDefinitions(missing.c_str(), "x.vlws"));
  // A missing file leaves the tables as they were.
  EXPECT_EQ(kQVNoErr, SurfaceReadDefinitions(missing.c_str()));
  EXPECT_EQ(written, WriteToText());
}

TEST(SurfaceText, Latin1AndUTF8) {
  EXPECT_EQ("caf\xC3\xA9 \xE2\x82\xAC \xC2\x81", SurfaceLatin1ToUTF8("caf\xE9 \x80 \x81", 26));
  EXPECT_EQ("a?b", SurfaceLatin1ToUTF8("a\x01" "b", 26));
  char out[8];
  SurfaceUTF8ToLatin1("caf\xC3\xA9 \xE2\x82\xAC", out, sizeof out);
  EXPECT_STREQ("caf\xE9 \x80", out);
  SurfaceUTF8ToLatin1("\xE4\xB8\xAD\xFF\xC3", out, sizeof out);  // no byte for it, a stray byte, a cut sequence
  EXPECT_STREQ("???", out);
  SurfaceUTF8ToLatin1("0123456789", out, sizeof out);
  EXPECT_STREQ("0123456", out);
}

TEST(SurfaceFile, TheShippedDefinitionsNameOnlyKnownControlsAndFields) {
  SurfaceSetDefaultDefinitions();
  const std::string text = WriteToText();
  EXPECT_EQ(std::string::npos, text.find("UNKNOWN")) << text;
  EXPECT_EQ(1, gSurfacePages[0].active);
  EXPECT_EQ(0, gSurfacePages[2].active);
  SurfaceClearDefinitions();
  ASSERT_TRUE(Read(text));
  EXPECT_EQ(text, WriteToText());
}

TEST(SurfaceFile, TheSaveCommandSaysWhyAFileWasNotWritten) {
  PLAlertScriptBegin();
  const std::string folder = MakeScratchFolder("cmd");
  EXPECT_EQ(kQVNoErr, SurfaceSaveDefinitionsCommand((folder + "/ok.vlws").c_str(), "ok.vlws"));
  EXPECT_EQ(kQVErrFileNotFound, SurfaceSaveDefinitionsCommand((folder + "/none/x.vlws").c_str(), "x.vlws"));
  const std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  ASSERT_EQ(1u, alerts.size());
  EXPECT_NE(std::string::npos, alerts[0].message.find(folder + "/none/x.vlws")) << alerts[0].message;
}
