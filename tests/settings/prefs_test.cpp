#include "settings/prefs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/alert_script.h"
#include "platform/fourcc.h"
#include "platform/input_state.h"
#include "platform/prefs_store.h"
#include "support/aliases.h"
#include "settings/prefs_internal.h"
#include "tests/scratch_folder.h"

namespace {

class Prefs : public testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeScratchFolder("prefs");
    for (const char* v : {"VELMORA_PREFERENCES", "VELMORA_TEMP", "VELMORA_DOCUMENTS"})
      setenv(v, (root_ + "/" + v).c_str(), 1);
    PLPrefsDiscard(kPFDomain);
    PFSetProgram(kPFProgramPlugin);
    std::memset(&gSavedSettings, 0, sizeof gSavedSettings);
  }
  void TearDown() override {
    PLPrefsDiscard(kPFDomain);
    PFSetProgram(kPFProgramPlugin);
    PLSetInputHooks(nullptr);
    for (const char* v : {"VELMORA_PREFERENCES", "VELMORA_TEMP", "VELMORA_DOCUMENTS"}) unsetenv(v);
  }
  std::string root_;
};

std::string Path(const PFHandle& alias) { return std::string(alias.begin(), alias.end()); }

// The default table, field by field, for both builds.
void ExpectDefaults(const PrefsSettings& p, bool application, const std::string& root) {
  EXPECT_EQ(p.toolTips, 1);
  EXPECT_EQ(p.undoDepthMenuItem, 5);
  EXPECT_EQ(p.undoDepth, 20);
  EXPECT_EQ(p.useMultipleProcessors, 1);
  EXPECT_EQ(p.keepUIRunning, 1);
  EXPECT_EQ(p.uiTimeoutMinutes, 10);
  EXPECT_EQ(p.limiterDefault, 0);
  EXPECT_EQ(p.leftPaneDefault, 1);
  EXPECT_EQ(p.rightPaneDefault, 1);
  EXPECT_EQ(p.settingsPaneDefault, 1);
  EXPECT_EQ(p.secondaryPreviewMonitor, 0);  // one main display only
  EXPECT_EQ(p.externalPreviewDevice, QVFourCC("NoNE"));
  EXPECT_EQ(p.externalPreviewMode, QVFourCC("NoNE"));
  EXPECT_EQ(p.externalPreviewCodec, 0);
  EXPECT_EQ(p.externalPreviewWidth, 0);
  EXPECT_EQ(p.externalPreviewHeight, 0);
  EXPECT_EQ(p.externalPreviewFrameRate, 0);
  EXPECT_EQ(p.externalPreviewPixelFormat, 0);
  EXPECT_EQ(p.externalPreviewGammaAdjust, 0);
  EXPECT_EQ(p.previewImageScaling, 3);
  EXPECT_EQ(p.previewAspectConversion, 1);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(p.runTimePreviewState[i], QVFourCC("NoNE"));
    EXPECT_EQ(p.runTimePairs[i].first, 0);
    EXPECT_EQ(p.runTimePairs[i].second, -2);
  }
  EXPECT_EQ(p.wfmColor, 0);
  EXPECT_EQ(p.wfmUnitsMV, 0);
  EXPECT_EQ(p.vsCalibration100, 0);
  EXPECT_EQ(p.videoSystem, 1);
  EXPECT_EQ(p.videoLevelCoding, 1);
  EXPECT_EQ(p.videoBlackLevel, 0);
  EXPECT_EQ(p.videoWhiteLevel, 255);
  EXPECT_EQ(p.videoMinLevel, 0);
  EXPECT_EQ(p.videoMaxLevel, 255);
  EXPECT_EQ(p.videoBlackSetup, 0);
  EXPECT_EQ(std::vector<int32_t>(p.runTimeWordsA, p.runTimeWordsA + 3), (std::vector<int32_t>{685, 95, 1}));
  const int32_t widths[6] = {120, 85, 140, 160, 170, 0};
  const uint32_t ids[6] = {QVFourCC("name"), QVFourCC("type"), QVFourCC("cmnt"), QVFourCC("date"),
                           QVFourCC("path"), 0};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(p.galleryColWidth[i], application ? widths[i] : 0) << i;
    EXPECT_EQ(uint32_t(p.galleryColID[i]), application ? ids[i] : 0) << i;
    EXPECT_EQ(p.galleryColPosition[i], application && i < 5 ? i : 0) << i;
  }
  EXPECT_EQ(p.gallerySortCol, 0);
  EXPECT_EQ(p.gallerySortOrder, application ? 1 : 0);
  for (int l = 0; l < 3; ++l) {
    EXPECT_EQ(p.lutIndex[l], 50);
    for (int i = 0; i < 768; ++i) ASSERT_EQ(p.lut[l][i], application ? i % 256 : 0) << l << " " << i;
  }
  EXPECT_EQ(p.useOldStyleGamma, 1);
  EXPECT_EQ(p.autoLumaTrim, 0.001f);
  EXPECT_EQ(std::vector<int32_t>(p.comboQuadrant, p.comboQuadrant + 4), (std::vector<int32_t>{1, 8, 10, 9}));
  EXPECT_EQ(p.uiBrightness, 22282);
  EXPECT_EQ(p.uiSaturation, 26214);
  EXPECT_EQ(Path(p.rapidPreviewCacheAlias), root + "/VELMORA_TEMP");
  for (const PrefsRecentFileList& list : p.recent) {
    EXPECT_EQ(list.loaded, 1);
    for (int i = 0; i < kPFRecentSlots; ++i) {
      EXPECT_TRUE(list.aliases[i].empty());
      EXPECT_EQ(list.kinds[i], 0);
    }
  }
  for (const PFHandle& h : p.exportSettings) EXPECT_TRUE(h.empty());
  EXPECT_EQ(p.cdlID, 100);
  for (int32_t w : {p.clipInfoWindowV, p.clipInfoWindowH, p.markerEditWindowV, p.markerEditWindowH,
                    p.presetNameWindowV, p.presetNameWindowH, p.prefsWindowTab, p.prefsWindowH, p.prefsWindowV,
                    p.surfaceDefWindowH, p.surfaceDefWindowV})
    EXPECT_EQ(w, -1);
  EXPECT_EQ(p.controlSurfaceMode, 1);
  EXPECT_EQ(p.controlSurfaceInterface, 2);
  EXPECT_STREQ(p.controlSurfaceIP, "192.168.1.100");
  EXPECT_EQ(p.controlSurfacePort, 23);
  EXPECT_EQ(std::vector<int32_t>(p.runTimeWordsB, p.runTimeWordsB + 5), (std::vector<int32_t>{1, -2, 0, 1, 0}));
  EXPECT_EQ(Path(p.runTimeFolders[0]), root + "/VELMORA_TEMP");
  EXPECT_EQ(Path(p.runTimeFolders[1]), root + "/VELMORA_DOCUMENTS");
  EXPECT_EQ(std::vector<int32_t>(p.runTimeWordsC, p.runTimeWordsC + 5), (std::vector<int32_t>{1, 1, 0, 0, 4}));
  EXPECT_STREQ(p.adjustHostPixels, "FXTC");
}

int gDisplayCount = 0;
PLDisplayInfo gDisplays[8];
int FakeDisplays(PLDisplayInfo* out, int max) {
  for (int i = 0; i < gDisplayCount && i < max; ++i) out[i] = gDisplays[i];
  return gDisplayCount;
}

}  // namespace

TEST_F(Prefs, AnEmptyFolderLoadsTheDefaultsOfEitherBuild) {
  PrefsSettings p;
  PFLoadPreferences(&p);
  ExpectDefaults(p, false, root_);
  PFSetProgram(kPFProgramApplication);
  PrefsSettings app;
  PFLoadPreferences(&app);
  ExpectDefaults(app, true, root_);
  for (int n = 0; n < 8; ++n) EXPECT_EQ(gSavedSettings.stored[n], 0);
}

TEST_F(Prefs, TheApplicationChoosesASmallSecondDisplayAndAskedSurfaces) {
  PFSetProgram(kPFProgramApplication);
  PLInputHooks hooks{nullptr, nullptr, nullptr, FakeDisplays};
  PLSetInputHooks(&hooks);
  struct Case {
    std::vector<PLDisplayInfo> displays;
    int32_t expect;
  };
  const Case cases[] = {
      {{{0, 0, 1920, 1080, true}}, 0},
      {{{0, 0, 1920, 1080, true}, {0, 0, 1280, 1024, false}, {0, 0, 1024, 768, false}}, 2},
      {{{0, 0, 1920, 1080, true}, {0, 0, 1280, 1024, false}, {0, 0, 720, 576, false}, {0, 0, 640, 480, false}}, 4},
      {{{0, 0, 720, 486, false}, {0, 0, 1920, 1080, true}, {0, 0, 1280, 720, false}}, 1},
  };
  for (const Case& c : cases) {
    gDisplayCount = int(c.displays.size());
    for (size_t i = 0; i < c.displays.size(); ++i) gDisplays[i] = c.displays[i];
    PrefsSettings p;
    PFLoadDefaultPreferences(&p);
    EXPECT_EQ(p.secondaryPreviewMonitor, c.expect);
  }
  PFSetSurfaceConnectedQuery([] { return true; });
  PrefsSettings p;
  PFLoadDefaultPreferences(&p);
  EXPECT_EQ(p.controlSurfaceMode, 3);
  PFSetSurfaceConnectedQuery(nullptr);
  PFLoadDefaultPreferences(&p);
  EXPECT_EQ(p.controlSurfaceMode, 1);
}

TEST_F(Prefs, EveryPersistedFieldSurvivesASaveAndLoad) {
  PFSetProgram(kPFProgramApplication);
  PrefsSettings p;
  PFLoadDefaultPreferences(&p);
  // A distinct value in every field that has a key.
  int32_t next = 1000;
  int32_t* ints[] = {&p.toolTips, &p.uiTimeoutMinutes, &p.limiterDefault, &p.leftPaneDefault,
                     &p.rightPaneDefault, &p.settingsPaneDefault, &p.secondaryPreviewMonitor,
                     &p.externalPreviewCodec, &p.externalPreviewWidth, &p.externalPreviewHeight,
                     &p.externalPreviewFrameRate, &p.externalPreviewPixelFormat, &p.externalPreviewGammaAdjust,
                     &p.previewImageScaling, &p.previewAspectConversion, &p.wfmColor, &p.wfmUnitsMV,
                     &p.vsCalibration100, &p.videoBlackLevel, &p.videoWhiteLevel, &p.videoMinLevel,
                     &p.videoMaxLevel, &p.videoBlackSetup, &p.gallerySortCol, &p.gallerySortOrder,
                     &p.lutIndex[0], &p.lutIndex[1], &p.lutIndex[2], &p.useOldStyleGamma, &p.comboQuadrant[0],
                     &p.comboQuadrant[1], &p.comboQuadrant[2], &p.comboQuadrant[3], &p.cdlID,
                     &p.clipInfoWindowV, &p.clipInfoWindowH, &p.markerEditWindowV, &p.markerEditWindowH,
                     &p.presetNameWindowV, &p.presetNameWindowH, &p.controlSurfaceMode,
                     &p.controlSurfaceInterface, &p.controlSurfacePort, &p.prefsWindowTab, &p.prefsWindowH,
                     &p.prefsWindowV, &p.surfaceDefWindowH, &p.surfaceDefWindowV};
  for (int32_t* f : ints) *f = next++;
  for (int i = 0; i < 6; ++i) {
    p.galleryColWidth[i] = next++;
    p.galleryColID[i] = next++;
    p.galleryColPosition[i] = -next++;
  }
  p.undoDepth = 50;
  p.externalPreviewDevice = QVFourCC("AJAk");
  p.externalPreviewMode = QVFourCC("1080");
  p.videoSystem = 4;
  p.autoLumaTrim = 0.0125f;
  p.uiBrightness = 32768;
  p.uiSaturation = 13107;
  for (int l = 0; l < 3; ++l)
    for (int i = 0; i < 768; ++i) p.lut[l][i] = uint8_t(i * 7 + l);
  p.rapidPreviewCacheAlias = {'/', 'c', 'a', 'c', 'h', 'e'};
  p.exportSettings[0] = {1, 2, 3};
  p.exportSettings[2] = {9};
  std::snprintf(p.controlSurfaceIP, sizeof p.controlSurfaceIP, "10.0.0.7");
  std::snprintf(p.adjustHostPixels, sizeof p.adjustHostPixels, "FXTCPProame ");
  gSavedSettings.slot[2].videoSystem = 3;
  gSavedSettings.slot[2].byteOrderFlag = kVLSettingsByteOrderFlag;
  gSavedSettings.stored[2] = 1;
  PFSavedSettings savedBefore = gSavedSettings;
  // Fields without keys come back at their defaults.
  p.useMultipleProcessors = 0;
  p.runTimeWordsC[4] = 77;
  p.recent[0].loaded = 0;

  ASSERT_EQ(PFSavePreferences(&p), kQVNoErr);
  std::memset(&gSavedSettings, 0, sizeof gSavedSettings);
  PLPrefsDiscard(kPFDomain);
  PrefsSettings back;
  PFLoadPreferences(&back);
  for (size_t i = 0; i < std::size(ints); ++i) {
    ptrdiff_t offset = reinterpret_cast<char*>(ints[i]) - reinterpret_cast<char*>(&p);
    EXPECT_EQ(*reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&back) + offset), *ints[i]) << "field " << i;
  }
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(back.galleryColWidth[i], p.galleryColWidth[i]);
    EXPECT_EQ(back.galleryColID[i], p.galleryColID[i]);
    EXPECT_EQ(back.galleryColPosition[i], p.galleryColPosition[i]);
  }
  EXPECT_EQ(back.undoDepth, 50);
  EXPECT_EQ(back.undoDepthMenuItem, 6);
  EXPECT_EQ(back.externalPreviewDevice, QVFourCC("AJAk"));
  EXPECT_EQ(back.externalPreviewMode, QVFourCC("1080"));
  EXPECT_EQ(back.videoSystem, 4);
  EXPECT_EQ(back.autoLumaTrim, 0.0125f);
  EXPECT_EQ(back.uiBrightness, 32768);
  EXPECT_EQ(back.uiSaturation, 13107);
  EXPECT_EQ(std::memcmp(back.lut, p.lut, sizeof p.lut), 0);
  EXPECT_EQ(back.rapidPreviewCacheAlias, p.rapidPreviewCacheAlias);
  EXPECT_EQ(back.exportSettings[0], p.exportSettings[0]);
  EXPECT_TRUE(back.exportSettings[1].empty());
  EXPECT_EQ(back.exportSettings[2], p.exportSettings[2]);
  EXPECT_STREQ(back.controlSurfaceIP, "10.0.0.7");
  EXPECT_STREQ(back.adjustHostPixels, "FXTCPProame ");
  EXPECT_EQ(back.useMultipleProcessors, 1);
  EXPECT_EQ(back.runTimeWordsC[4], 4);
  EXPECT_EQ(back.recent[0].loaded, 1);
  EXPECT_EQ(std::memcmp(&gSavedSettings, &savedBefore, sizeof gSavedSettings), 0);
  EXPECT_EQ(gSavedSettings.stored[2], 1);
  EXPECT_EQ(gSavedSettings.stored[3], 0);
}

TEST_F(Prefs, EveryKeyIsWrittenUnderItsNameWithItsType) {
  // The names and types the other programs sharing the domain read.
  const char* integers[] = {
      "Preferences Version", "Tool Tips Enable", "Undo Depth", "UI Timeout Duration", "Limiter Default",
      "Left Pane Default", "Right Pane Default", "Settings Pane Default", "Secondary Preview Monitor",
      "External Preview Device", "External Preview Mode", "External Preview Codec", "External Preview Width",
      "External Preview Height", "External Preview Frame Rate", "External Preview Pixel Format",
      "External Preview Gamma Adjust", "Preview Image Scaling", "Preview Aspect Ratio Conversion", "WFM Color",
      "WFM Units mV", "VS Calibration 100 Percent", "Video Black Level", "Video White Level", "Video Min Level",
      "Video Max Level", "Video Black Setup Present", "Gallery Col Width 0", "Gallery Col Width 5",
      "Gallery Col ID 0", "Gallery Col ID 5", "Gallery Col Position 0", "Gallery Col Position 5",
      "Gallery Sort Col", "Gallery Sort Order", "Primary LUT Index", "Secondary LUT Index", "External LUT Index",
      "Use Old Style Gamma", "Combo Upper Left", "Combo Upper Right", "Combo Lower Left", "Combo Lower Right",
      "CDL ID", "Clip Info Window V Pos", "Clip Info Window H Pos", "Marker Edit Window V Pos",
      "Marker Edit Window H Pos", "User Preset Name Window V Pos", "User Preset Name Window H Pos",
      "Control Surface Mode", "Control Surface Interface", "Control Surface Port",
      "Preferences Window Selected Tab", "Preferences Window H Pos", "Preferences Window V Pos",
      "Control Surface Definition Window H Pos", "Control Surface Definition Window V Pos"};
  const char* reals[] = {"Auto Luma Trim", "UI Brightness", "UI Saturation"};
  const char* texts[] = {"Video System", "Control Surface IP", "Adjust Host Pixels"};
  const char* data[] = {"Primary LUT", "Secondary LUT", "External LUT", "Vurev Aviredu Cache Alias",
                        "Export Settings QuickTime Movie", "Export Settings MPEG4",
                        "Export Settings Image Sequence", "Saved Settings 1", "Saved Settings 8"};
  PFSetProgram(kPFProgramApplication);
  PrefsSettings p;
  PFLoadDefaultPreferences(&p);
  for (PFHandle& h : p.exportSettings) h = {1};
  gSavedSettings.stored[0] = gSavedSettings.stored[7] = 1;
  ASSERT_EQ(PFSavePreferences(&p), kQVNoErr);
  PLPrefsDiscard(kPFDomain);
  struct Group {
    const char* const* keys;
    size_t count;
    PLPrefType type;
  };
  const Group groups[] = {{integers, std::size(integers), kPLPrefInt32},
                          {reals, std::size(reals), kPLPrefFloat32},
                          {texts, std::size(texts), kPLPrefString},
                          {data, std::size(data), kPLPrefData}};
  for (const Group& g : groups) {
    for (size_t i = 0; i < g.count; ++i) {
      PLPrefValue v;
      ASSERT_TRUE(PLPrefsGetValue(kPFDomain, g.keys[i], &v)) << g.keys[i];
      EXPECT_EQ(v.type, g.type) << g.keys[i];
    }
  }
  PLPrefValue v;
  ASSERT_TRUE(PLPrefsGetValue(kPFDomain, "Primary LUT", &v));
  EXPECT_EQ(v.data.size(), 768u);
  ASSERT_TRUE(PLPrefsGetValue(kPFDomain, "Saved Settings 1", &v));
  EXPECT_EQ(v.data.size(), 33556u);
  EXPECT_FALSE(PLPrefsGetValue(kPFDomain, "Saved Settings 2", &v));  // empty slots are not written
}

TEST_F(Prefs, DerivedAndConvertedValues) {
  struct UndoCase {
    int32_t stored, depth, item;
  };
  for (UndoCase c : {UndoCase{0, 0, 1}, {1, 1, 2}, {5, 5, 3}, {10, 10, 4}, {20, 20, 5}, {50, 50, 6}, {99, 99, 7},
                     {7, 20, 5}, {-1, 20, 5}}) {
    EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, "Undo Depth", c.stored));
    PrefsSettings p;
    PFLoadPreferences(&p);
    EXPECT_EQ(p.undoDepth, c.depth) << c.stored;
    EXPECT_EQ(p.undoDepthMenuItem, c.item) << c.stored;
  }
  struct SystemCase {
    const char* stored;
    int32_t value;
  };
  for (SystemCase c : {SystemCase{"NTSC", 1}, {"PAL", 2}, {"ATSC", 3}, {"709", 3}, {"240M", 4}, {"pal", 1},
                       {"", 1}}) {
    EXPECT_EQ(kQVNoErr, PLPrefsSetString(kPFDomain, "Video System", c.stored));
    PrefsSettings p;
    PFLoadPreferences(&p);
    EXPECT_EQ(p.videoSystem, c.value) << c.stored;
  }
  struct LevelCase {
    int32_t black, white, min, max, coding;
  };
  for (LevelCase c : {LevelCase{16, 235, 0, 255, 2}, {0, 255, 0, 255, 1}, {64, 940, 0, 1023, 4},
                      {16, 235, 0, 1023, 3}, {16, 235, 1, 254, 1}}) {
    EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, "Video Black Level", c.black));
    EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, "Video White Level", c.white));
    EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, "Video Min Level", c.min));
    EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, "Video Max Level", c.max));
    PrefsSettings p;
    PFLoadPreferences(&p);
    EXPECT_EQ(p.videoLevelCoding, c.coding) << c.black << "/" << c.white << " " << c.min << "/" << c.max;
  }
  // "ATSC" is written back as "709"; an unnamed system writes no key.
  EXPECT_EQ(kQVNoErr, PLPrefsSetString(kPFDomain, "Video System", "ATSC"));
  PrefsSettings p;
  PFLoadPreferences(&p);
  ASSERT_EQ(PFSavePreferences(&p), kQVNoErr);
  std::string written;
  ASSERT_TRUE(PLPrefsGetString(kPFDomain, "Video System", &written));
  EXPECT_EQ(written, "709");
  PLPrefsRemove(kPFDomain, "Video System");
  p.videoSystem = 9;
  EXPECT_EQ(kQVNoErr, PFSavePreferences(&p));
  EXPECT_FALSE(PLPrefsGetString(kPFDomain, "Video System", &written));

  // Fractions and fixed point.
  EXPECT_EQ(kQVNoErr, PLPrefsSetFloat32(kPFDomain, "UI Brightness", 0.5f));
  EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, "UI Saturation", 1));  // another numeric type converts
  PFLoadPreferences(&p);
  EXPECT_EQ(p.uiBrightness, 32768);
  EXPECT_EQ(p.uiSaturation, 65536);
  EXPECT_EQ(kQVNoErr, PFSavePreferences(&p));
  float f = 0;
  ASSERT_TRUE(PLPrefsGetFloat32(kPFDomain, "UI Brightness", &f));
  EXPECT_EQ(f, 0.5f);
  EXPECT_EQ(kQVNoErr, PLPrefsSetFloat32(kPFDomain, "UI Brightness", 1e30f));  // bounded, not overflowing
  PFLoadPreferences(&p);
  EXPECT_EQ(p.uiBrightness, 2147483647);
}

TEST_F(Prefs, LUTsHandlesAndStringsAreBounded) {
  std::vector<uint8_t> red(256, 200);
  EXPECT_EQ(kQVNoErr, PLPrefsSetData(kPFDomain, "Primary LUT", red.data(), red.size()));
  std::vector<uint8_t> tooLong(769, 1);
  EXPECT_EQ(kQVNoErr, PLPrefsSetData(kPFDomain, "Secondary LUT", tooLong.data(), tooLong.size()));
  EXPECT_EQ(kQVNoErr, PLPrefsSetData(kPFDomain, "Vurev Aviredu Cache Alias", nullptr, 0));  // empty: keeps the default
  EXPECT_EQ(kQVNoErr, PLPrefsSetString(kPFDomain, "Adjust Host Pixels", std::string(300, 'A')));
  PFSetProgram(kPFProgramApplication);
  PrefsSettings p;
  PFLoadPreferences(&p);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(p.lut[0][i], 200);
  for (int i = 256; i < 768; ++i) ASSERT_EQ(p.lut[0][i], i % 256);  // green and blue untouched
  for (int i = 0; i < 768; ++i) ASSERT_EQ(p.lut[1][i], i % 256);
  EXPECT_EQ(Path(p.rapidPreviewCacheAlias), root_ + "/VELMORA_TEMP");
  EXPECT_EQ(std::strlen(p.adjustHostPixels), 127u);
  // A text cut to fit ends before a character, not inside it.
  EXPECT_EQ(kQVNoErr, PLPrefsSetString(kPFDomain, "Control Surface IP", std::string(126, 'h') + "\xC3\xA9"));
  PFLoadPreferences(&p);
  EXPECT_EQ(std::string(p.controlSurfaceIP), std::string(126, 'h'));
  // Saved slots: only a value of exactly the record's size fills a slot.
  std::vector<uint8_t> record(sizeof(VL_SettingsStruct), 0x11), shorter(100, 0x22);
  EXPECT_EQ(kQVNoErr, PLPrefsSetData(kPFDomain, "Saved Settings 1", record.data(), record.size()));
  EXPECT_EQ(kQVNoErr, PLPrefsSetData(kPFDomain, "Saved Settings 2", shorter.data(), shorter.size()));
  gSavedSettings.stored[1] = 1;
  PFLoadPreferences(&p);
  EXPECT_EQ(gSavedSettings.stored[0], 1);
  EXPECT_EQ(gSavedSettings.slot[0].videoSystem, 0x11111111u);
  EXPECT_EQ(gSavedSettings.stored[1], 0);
  // The plug-in's build neither reads nor writes the slots.
  PFSetProgram(kPFProgramPlugin);
  gSavedSettings.stored[0] = 0;
  PFLoadPreferences(&p);
  EXPECT_EQ(gSavedSettings.stored[0], 0);
}

TEST_F(Prefs, RecentListsRenumberAndReadAtMostTenSlots) {
  const char* base = "Recent Projects";
  // Five old entries to be replaced.
  EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, "Recent Projects Count", 5));
  for (int n = 1; n <= 5; ++n) {
    uint8_t b = uint8_t(n);
    EXPECT_EQ(kQVNoErr, PLPrefsSetData(kPFDomain, ("Recent Projects Alias " + std::to_string(n)).c_str(), &b, 1));
    EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, ("Recent Projects Type " + std::to_string(n)).c_str(), n));
  }
  PrefsRecentFileList list{};
  const int filled[] = {0, 3, 7};
  for (int slot : filled) {
    list.aliases[slot] = {uint8_t('a' + slot)};
    list.kinds[slot] = 100 + slot;
  }
  ASSERT_EQ(PFSaveRecentFiles(&list, base), kQVNoErr);
  PLPrefsDiscard(kPFDomain);
  int32_t count = 0;
  ASSERT_TRUE(PLPrefsGetInt32(kPFDomain, "Recent Projects Count", &count));
  EXPECT_EQ(count, 3);
  std::vector<uint8_t> data;
  EXPECT_FALSE(PLPrefsGetData(kPFDomain, "Recent Projects Alias 4", &data));
  EXPECT_FALSE(PLPrefsGetData(kPFDomain, "Recent Projects Type 5", &data));
  PrefsRecentFileList back{};
  PFLoadRecentFiles(&back, base);
  EXPECT_EQ(back.loaded, 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(back.aliases[i], std::vector<uint8_t>{uint8_t('a' + filled[i])});
    EXPECT_EQ(back.kinds[i], 100 + filled[i]);
  }
  for (int i = 3; i < kPFRecentSlots; ++i) EXPECT_TRUE(back.aliases[i].empty());

  // A stored count above ten reads the first ten and nothing beyond.
  EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, "Recent Imports Count", 1000));
  for (int n = 1; n <= 12; ++n) {
    uint8_t b = uint8_t(n);
    EXPECT_EQ(kQVNoErr, PLPrefsSetData(kPFDomain, ("Recent Imports Alias " + std::to_string(n)).c_str(), &b, 1));
  }
  PrefsRecentFileList many{};
  PFLoadRecentFiles(&many, "Recent Imports");
  for (int i = 0; i < kPFRecentSlots; ++i) EXPECT_EQ(many.aliases[i], std::vector<uint8_t>{uint8_t(i + 1)});
  EXPECT_EQ(kQVNoErr, PLPrefsSetInt32(kPFDomain, "Recent Imports Count", -3));
  PFLoadRecentFiles(&many, "Recent Imports");
  EXPECT_TRUE(many.aliases[0].empty());
}

TEST_F(Prefs, ADamagedDomainLoadsDefaultsAndIsReported) {
  std::string folder = root_ + "/VELMORA_PREFERENCES";
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/Velmora 3 UI Preferences.plist") << "<plist><dict><key>Undo Depth";
  PLAlertScriptBegin();
  PrefsSettings p;
  PFLoadPreferences(&p);
  std::vector<PLRecordedAlert> shown = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  ExpectDefaults(p, false, root_);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].message.find("Velmora 3 UI Preferences.plist"), std::string::npos);
  EXPECT_TRUE(PLPathExists((folder + "/Velmora 3 UI Preferences.plist.corrupt").c_str()));
}

TEST_F(Prefs, VideoEncodingHostSignatureAndReloadGate) {
  PrefsSettings p;
  PFLoadDefaultPreferences(&p);
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  s.videoWhiteLevel = 255;
  s.videoMaxLevel = 255;
  s.videoSystem = 1;
  EXPECT_FALSE(PFSetVideoEncoding(&p, &s));
  p.videoBlackLevel = 16;
  p.videoSystem = 2;
  EXPECT_TRUE(PFSetVideoEncoding(&p, &s));
  EXPECT_EQ(s.videoBlackLevel, 16u);
  EXPECT_EQ(s.videoSystem, 2u);
  EXPECT_FALSE(PFSetVideoEncoding(&p, &s));
  p.limiterDefault = 1;
  VLSettingsPreferenceWords words = PFGetSettingsPreferenceWords(&p);
  EXPECT_EQ(words.limiterDefault, 1);
  EXPECT_EQ(words.videoSystem, 2);
  EXPECT_EQ(words.videoBlackLevel, 16);
  EXPECT_EQ(words.videoMaxLevel, 255);

  struct Case {
    const char *seen, *meant;
  };
  for (Case c : {Case{"FXTc", "FXTC"}, {"FXsl", "FXTC"}, {"aplt", "FXTC"}, {"PPhl", "PPro"}, {"ame ", "ame "},
                 {"BRed", "BRed"}}) {
    PFForgetCurrentApplication();
    PLSetProcessSignature(QVFourCC("APPL"), QVFourCC(*reinterpret_cast<const char(*)[5]>(c.seen)));
    EXPECT_EQ(GetCurrentApplication(), QVFourCC(*reinterpret_cast<const char(*)[5]>(c.meant))) << c.seen;
  }
  PLSetProcessSignature(QVFourCC("APPL"), QVFourCC("Othr"));
  EXPECT_EQ(GetCurrentApplication(), QVFourCC("BRed"));  // cached
  PFForgetCurrentApplication();
  PLSetProcessSignature(QVFourCC("FNDR"), QVFourCC("Othr"));
  EXPECT_EQ(GetCurrentApplication(), QVFourCC("????"));  // not an application: asked again next time
  PLSetProcessSignature(QVFourCC("APPL"), QVFourCC("Othr"));
  EXPECT_EQ(GetCurrentApplication(), QVFourCC("Othr"));

  std::snprintf(p.adjustHostPixels, sizeof p.adjustHostPixels, "PProFXTC");
  EXPECT_TRUE(PFHostIsListed(&p, QVFourCC("FXTC")));
  EXPECT_TRUE(PFHostIsListed(&p, QVFourCC("oFXT")));  // anywhere in the text
  EXPECT_FALSE(PFHostIsListed(&p, QVFourCC("ame ")));

  // The gate: stale until reloaded; the reload sees what another program saved.
  PFMarkPreferencesStale();
  EXPECT_FALSE(PFPreferencesAreValid());
  PrefsSettings other;
  PFLoadDefaultPreferences(&other);
  other.cdlID = 555;
  ASSERT_EQ(PFSavePreferences(&other), kQVNoErr);
  PrefsSettings plugin;
  EXPECT_TRUE(PFReloadPreferencesIfStale(&plugin));
  EXPECT_EQ(plugin.cdlID, 555);
  EXPECT_TRUE(PFPreferencesAreValid());
  plugin.cdlID = 1;
  EXPECT_FALSE(PFReloadPreferencesIfStale(&plugin));
  EXPECT_EQ(plugin.cdlID, 1);
}
