// The Preferences dialog: the rules its popups stand for, every preference
// kept across OK and a reload of the preferences file, Cancel changing
// nothing, and a scripted run through its tabs as a person would click them.
#include "app/window/preferences_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/controls/tab_group.h"
#include "app/state/interface_colors.h"
#include "app/state/service_hooks.h"
#include "app/state/undo_ring.h"
#include "app/window/preferences_dialog_internal.h"
#include "app/window/video_output_modes.h"
#include "platform/prefs_store.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"
#include "platform/video_output.h"
#include "settings/file_panels.h"
#include "settings/prefs.h"
#include "support/preview_lut.h"
#include "tests/platform/ui/ui_test_fixture.h"
#include "tests/scratch_folder.h"

namespace {

constexpr uint32_t C(const char (&code)[5]) { return QVFourCC(code); }

// A video output device with awkward modes: rates missing, odd and in
// fields, a name with slashes and decompressor types to be renamed. It
// cannot be opened while `gRefuseOpen` is set.
bool gRefuseOpen = false;
const PLVideoDisplayMode kTestModes[] = {
    {C("m108"), "HD 1080i/59.94", 1920, 1080, 3928227, C("v210"), C("DVOR")},
    {C("m150"), "HD 1080i/50", 1920, 1080, 50 << 16, C("v210"), 32},
    {C("m486"), "SD 486/59.94", 720, 486, 3928227, C("2vuy"), C("avc1")},
    {C("m576"), "SD 576i/50", 720, 576, 50 << 16, C("2vuy"), C("DVOR")},
    {C("mnon"), "No rate", 720, 486, 0, C("2vuy"), C("DVOR")},
    {C("m290"), "Exactly 29", 720, 486, 29 << 16, C("2vuy"), C("DVOR")},
    {C("m297"), "Odd 29.97", 720, 486, 0x1D0061, C("2vuy"), C("DVOR")},
    {C("m239"), "Film 23.976", 1920, 1080, 1571291, C("v210"), C("DVOR")},
};
QVStatus testOpen(PLVideoDevice** d) {
  static int instance;
  if (gRefuseOpen) return kQVErrIO;
  *d = reinterpret_cast<PLVideoDevice*>(&instance);
  return kQVNoErr;
}
int32_t testModes(PLVideoDevice*, PLVideoDisplayMode* out, int32_t max) {
  const int32_t count = int32_t(std::size(kTestModes));
  for (int32_t i = 0; i < count && i < max; ++i) out[i] = kTestModes[i];
  return count;
}
const PLVideoDeviceKind kTestDevice = {
    C("TsT1"), "Test Output/Box", testOpen, [](PLVideoDevice*, uint32_t) -> QVStatus { return kQVNoErr; },
    [](PLVideoDevice*) -> QVStatus { return kQVNoErr; }, [](PLVideoDevice*) {}, [](PLVideoDevice*) {},
    [](PLVideoDevice*, int32_t* w, int32_t* h) { *w = *h = 0; },
    [](PLVideoDevice*, const uint8_t*, int32_t) -> QVStatus { return kQVNoErr; }, testModes};
const PLVideoDeviceKind kDesktopDevice = {
    C("Desk"), "Desktop", testOpen, nullptr, nullptr, nullptr, [](PLVideoDevice*) {}, nullptr, nullptr, testModes};

std::vector<std::string> gCalls;

TKPoint Centre(const TKRect& r) { return TKPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
void Click(PreferencesDialog* d, TKControl* c) { TKInjectClick(d->window, Centre(TKGetControlBounds(c))); }
// A click on the tab's row in the tab column.
void ClickTab(PreferencesDialog* d, int32_t tab) { TKInjectClick(d->window, TKPoint{50, 17 + 21 * tab}); }
// Opens the popup and moves from its item to another with the arrow keys.
void Choose(PreferencesDialog* d, TKControl* popup, int32_t from, int32_t to) {
  Click(d, popup);
  for (int32_t i = from; i < to; ++i) TKInjectKey(kTKKeyDown);
  for (int32_t i = to; i < from; ++i) TKInjectKey(kTKKeyUp);
  TKInjectKey(kTKKeyReturn);
}

class PreferencesDialogTest : public TKHeadlessTest {
 protected:
  std::string folder;

  void SetUp() override {
    TKHeadlessTest::SetUp();
    folder = MakeScratchFolder("prefs");
    for (const char* v : {"VELMORA_PREFERENCES", "VELMORA_USER_SUPPORT", "VELMORA_SYSTEM_SUPPORT", "VELMORA_TEMP",
                          "VELMORA_DOCUMENTS"})
      setenv(v, (folder + "/" + v).c_str(), 1);
    std::filesystem::create_directories(folder + "/VELMORA_TEMP");
    PLPrefsDiscard(kPFDomain);
    PLPrefsDiscard(kQVPanelsDomain);
    PFSetProgram(kPFProgramApplication);
    TKSetHeadlessDisplays({TKMakeRect(0, 0, 1600, 1000), TKMakeRect(1600, 0, 720, 576)});
    PFLoadDefaultPreferences(&gPrefsSettings);
    static bool registered = false;
    if (!registered) {
      PLVideoRegisterDevice(&kDesktopDevice);
      PLVideoRegisterDevice(&kTestDevice);
      registered = true;
    }
    gRefuseOpen = false;
    gCalls.clear();
    UIServiceHooks& hooks = UIHooks();
    hooks = UIQuietHooks();
    hooks.applyInterfaceLook = [](int32_t brightness, int32_t saturation) {
      ApplyInterfaceBrightness(brightness);
      ApplyInterfaceSaturation(saturation);
      gCalls.push_back("look " + std::to_string(brightness));
    };
    hooks.surfaceStop = [] { gCalls.push_back("surface stop"); };
    hooks.surfaceStart = [](int32_t mode) {
      gCalls.push_back("surface " + std::to_string(mode) + " " + gPrefsSettings.controlSurfaceIP);
    };
    hooks.openSurfaceEditor = []() -> QVStatus {
      gCalls.push_back("editor");
      return kQVNoErr;
    };
    InitInterfaceColors();
    ApplyInterfaceBrightness(gPrefsSettings.uiBrightness);
    ApplyInterfaceSaturation(gPrefsSettings.uiSaturation);
  }

  void TearDown() override {
    SetPreferencesDialogOpenedHook(nullptr);
    TKClearDialogScript();
    UIHooks() = UIQuietHooks();
    PFSetProgram(kPFProgramPlugin);
    TKHeadlessTest::TearDown();
  }

  // The dialog run over gPrefsSettings with the script given.
  static bool Run(void (*script)(PreferencesDialog*), int32_t* tab = nullptr) {
    static void (*current)(PreferencesDialog*);
    current = script;
    SetPreferencesDialogOpenedHook([](PreferencesDialog* d) { current(d); });
    int32_t lastTab = -5;
    const bool changed = RunPreferencesDialog(&gPrefsSettings, &lastTab);
    if (tab) *tab = lastTab;
    return changed;
  }
};

// The undo levels, the video level codings and the recorded rates of a
// device's modes, as the dialog's popups stand for them.
TEST_F(PreferencesDialogTest, PopupsStandForTheirValues) {
  PreferencesDialog d;
  PrefsSettings p = gPrefsSettings;
  ASSERT_EQ(PreferencesDialogBuild(&d, &p), kQVNoErr);
  const int32_t depths[7] = {0, 1, 5, 10, 20, 50, 99};
  for (int32_t item = 1; item <= 7; ++item) {
    TKSetControlValue(d.undo, item);
    PreferencesDialogTake(d, &p);
    EXPECT_EQ(p.undoDepth, depths[item - 1]) << item;
    EXPECT_EQ(p.undoDepthMenuItem, item);
  }
  struct Levels {
    int32_t coding, black, white, min, max;
  } levels[] = {{1, 0, 255, 0, 255}, {2, 16, 235, 0, 255}, {3, 0, 1023, 0, 1023}, {4, 64, 940, 0, 1023}};
  for (const Levels& l : levels) {
    TKSetControlValue(d.levelCoding, l.coding);
    PreferencesDialogTake(d, &p);
    EXPECT_EQ(p.videoLevelCoding, l.coding);
    EXPECT_EQ((std::vector<int32_t>{p.videoBlackLevel, p.videoWhiteLevel, p.videoMinLevel, p.videoMaxLevel}),
              (std::vector<int32_t>{l.black, l.white, l.min, l.max}))
        << l.coding;
  }
  PreferencesDialogDispose(&d);

  // The test device's modes, in the mode menu and in the table.
  struct Mode {
    uint32_t id;
    const char* item;
    int32_t rate;  // 16.16
    uint32_t decompressor;
  } modes[] = {
      {C("m108"), "HD 1080i-59.94", 1964113, C("raw ")},  // a field rate of NTSC's family
      {C("m150"), "HD 1080i-50", 25 << 16, C("raw ")},     // 32 is the raw type too
      {C("m486"), "SD 486-59.94", 1964113, C("avc1")},
      {C("m576"), "SD 576i-50", 25 << 16, C("raw ")},
      {C("mnon"), "No rate", 1964113, C("raw ")},
      {C("m290"), "Exactly 29", 1964115, C("raw ")},
      {C("m297"), "Odd 29.97", 1964115, C("raw ")},
      {C("m239"), "Film 23.976", 1571291, C("raw ")},
  };
  TKMenu* menu = TKCreateMenu(900, "");
  ASSERT_EQ(FillVideoOutputModeMenu(menu, C("TsT1")), int32_t(std::size(modes)));
  for (size_t i = 0; i < std::size(modes); ++i) {
    const Mode& m = modes[i];
    SCOPED_TRACE(m.item);
    EXPECT_EQ(TKGetMenuItemText(menu, int32_t(i) + 1), m.item);
    EXPECT_EQ(TKGetMenuItemCommand(menu, int32_t(i) + 1), m.id);
    const VideoOutputModeRecord* r = FindVideoOutputMode(m.id);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->rate, float(m.rate) / 65536.0f);
    EXPECT_EQ(r->decompressorType, m.decompressor);
    EXPECT_EQ(r->width, kTestModes[i].width);
    EXPECT_EQ(r->height, kTestModes[i].height);
    EXPECT_EQ(r->pixelType, kTestModes[i].pixelType);
  }
  // The computer monitor and the external library have one blank item with
  // their code; a device that cannot be opened has none.
  for (uint32_t code : {C("NoNE"), C("GlOW")}) {
    EXPECT_EQ(FillVideoOutputModeMenu(menu, code), 1);
    EXPECT_EQ(TKGetMenuItemCommand(menu, 1), code);
  }
  gRefuseOpen = true;
  EXPECT_EQ(FillVideoOutputModeMenu(menu, C("TsT1")), 0);
  EXPECT_EQ(FillVideoOutputModeMenu(menu, C("nOne")), 0);
  TKDisposeMenu(menu);
}

// Every preference the dialog shows, changed and taken with OK, is in the
// preferences file: a fresh load reads it back.
TEST_F(PreferencesDialogTest, OKKeepsEveryPreferenceAcrossAReload) {
  const std::string cache = folder + "/cache";
  std::filesystem::create_directories(cache);
  TKDialogAnswer folderAnswer;
  folderAnswer.path = cache;
  TKQueueDialogAnswer(folderAnswer);
  int32_t tab = 0;
  const bool changed = Run(
      [](PreferencesDialog* d) {
        TKSetControlValue(d->undo, 7);
        TKSetControlValue(d->toolTips, 0);
        TKSetControlValue(d->limiter, 1);
        TKSetControlValue(d->oldStyleGamma, 0);
        TKSetControlValue(d->leftPane, 9);
        TKSetControlValue(d->rightPane, 4);
        TKSetControlValue(d->settingsPane, 8);
        TKSetControlValue(d->brightness, 45000);
        TKSetControlValue(d->saturation, 50000);
        TKSetControlValue(d->videoSystem, 3);
        TKSetControlValue(d->levelCoding, 4);
        TKSetControlValue(d->blackSetup, 1);
        TKSetControlValue(d->wfmColor, 1);
        TKSetControlValue(d->wfmUnits, 1);
        TKSetControlValue(d->vsCalibration, 1);
        // The in-memory device (after the computer monitor, the library and the null device), PAL.
        TKSetControlValue(d->device, 4);
        PreferencesDeviceChanged(d);
        TKSetControlValue(d->mode, 2);
        TKSetControlValue(d->scaling, 5);
        TKSetControlValue(d->aspect, 2);
        TKSetControlValue(d->gammaAdjust, 1);
        TKSetControlValue(d->monitor, 3);  // the second display
        TKSetControlValue(d->surfaceType, 4);
        PreferencesSurfaceTypeChanged(d, 4);
        TKSetEditText(d->address, "10.1.2.3");
        for (int i = 0; i < 4; ++i) TKSetControlValue(d->combo[i], 7 - i);
        ClickTab(d, kPrefsTabCaches);
        Click(d, d->cacheSelect);
        Click(d, d->ok);
      },
      &tab);
  EXPECT_TRUE(changed);
  EXPECT_EQ(tab, kPrefsTabCaches);

  PrefsSettings loaded;
  PFLoadPreferences(&loaded);
  struct Field {
    const char* key;
    int64_t value, expected;
  } fields[] = {
      {"Undo Depth", loaded.undoDepth, 99},
      {"Tool Tips Enable", loaded.toolTips, 0},
      {"Limiter Default", loaded.limiterDefault, 1},
      {"Use Old Style Gamma", loaded.useOldStyleGamma, 0},
      {"Left Pane Default", loaded.leftPaneDefault, 9},
      {"Right Pane Default", loaded.rightPaneDefault, 4},
      {"Settings Pane Default", loaded.settingsPaneDefault, 8},
      {"UI Brightness", loaded.uiBrightness, 45000},
      {"UI Saturation", loaded.uiSaturation, 50000},
      {"Video System", loaded.videoSystem, 3},
      {"Video Black Level", loaded.videoBlackLevel, 64},
      {"Video White Level", loaded.videoWhiteLevel, 940},
      {"Video Min Level", loaded.videoMinLevel, 0},
      {"Video Max Level", loaded.videoMaxLevel, 1023},
      {"Video Black Setup Present", loaded.videoBlackSetup, 1},
      {"WFM Color", loaded.wfmColor, 1},
      {"WFM Units mV", loaded.wfmUnitsMV, 1},
      {"VS Calibration 100 Percent", loaded.vsCalibration100, 1},
      {"External Preview Device", loaded.externalPreviewDevice, C("MeMo")},
      {"External Preview Mode", loaded.externalPreviewMode, C("pal ")},
      {"External Preview Codec", loaded.externalPreviewCodec, C("raw ")},
      {"External Preview Width", loaded.externalPreviewWidth, 720},
      {"External Preview Height", loaded.externalPreviewHeight, 576},
      {"External Preview Frame Rate", loaded.externalPreviewFrameRate, 25 << 16},
      {"External Preview Pixel Format", loaded.externalPreviewPixelFormat, C("2vuy")},
      {"Preview Image Scaling", loaded.previewImageScaling, 5},
      {"Preview Aspect Ratio Conversion", loaded.previewAspectConversion, 2},
      {"External Preview Gamma Adjust", loaded.externalPreviewGammaAdjust, 1},
      {"Secondary Preview Monitor", loaded.secondaryPreviewMonitor, 2},
      {"Control Surface Mode", loaded.controlSurfaceMode, 4},
      {"Control Surface Interface", loaded.controlSurfaceInterface, 2},
      {"Combo Upper Left", loaded.comboQuadrant[0], 7},
      {"Combo Upper Right", loaded.comboQuadrant[1], 6},
      {"Combo Lower Left", loaded.comboQuadrant[2], 5},
      {"Combo Lower Right", loaded.comboQuadrant[3], 4},
      {"Preferences Window Selected Tab", loaded.prefsWindowTab, kPrefsTabCaches},
  };
  for (const Field& f : fields) EXPECT_EQ(f.value, f.expected) << f.key;
  EXPECT_STREQ(loaded.controlSurfaceIP, "10.1.2.3");
  EXPECT_EQ(std::string(loaded.rapidPreviewCacheAlias.begin(), loaded.rapidPreviewCacheAlias.end()), cache);
  EXPECT_GE(loaded.prefsWindowH, 0);
  EXPECT_GE(loaded.prefsWindowV, 0);
  // Without traditional gamma the identity display LUTs take the gamma curve
  // (the external one too, with its adjustment on); their choices stay.
  uint8_t gamma[kPreviewLUTBytes];
  ASSERT_EQ(BuildLinearizationLUT(kPreviewLUTGamma1_22, gamma), kQVNoErr);
  for (int which = 0; which < 3; ++which) {
    EXPECT_EQ(std::memcmp(loaded.lut[which], gamma, kPreviewLUTBytes), 0) << which;
    EXPECT_EQ(loaded.lutIndex[which], kPreviewLUTNone);
  }

  // Opened again: every control shows what was kept, on the last tab.
  EXPECT_FALSE(Run([](PreferencesDialog* d) {
    EXPECT_EQ(TabGroupGetCurrent(d->tabs), kPrefsTabCaches);
    EXPECT_EQ(TKGetControlValue(d->undo), 7);
    EXPECT_EQ(TKGetControlValue(d->levelCoding), 4);
    EXPECT_EQ(TKGetControlValue(d->device), 4);
    EXPECT_EQ(TKGetControlValue(d->mode), 2);
    EXPECT_EQ(TKGetControlValue(d->monitor), 3);
    EXPECT_EQ(TKGetEditText(d->address), "10.1.2.3");
    EXPECT_TRUE(TKIsControlVisible(d->cachePath));
    TKInjectKey(kTKKeyReturn);  // OK without a change
  })) << "nothing changed";
}

// Cancel puts back the record and the interface colours, whatever was
// edited meanwhile; the preferences file then holds the old values.
TEST_F(PreferencesDialogTest, CancelChangesNothing) {
  gUndoBuffer = CreateUndoBuffer(5);
  const PrefsSettings before = gPrefsSettings;
  QVRGBColor colors[kUIInterfaceColorCount];
  std::memcpy(colors, gInterfaceColors, sizeof colors);
  TKDialogAnswer folderAnswer;
  folderAnswer.path = folder;
  TKQueueDialogAnswer(folderAnswer);
  EXPECT_FALSE(Run([](PreferencesDialog* d) {
    // Dragging the brightness slider's thumb applies each new brightness at once.
    const TKRect track = TKGetControlBounds(d->brightness);
    const double t = double(TKGetControlValue(d->brightness) - TKGetControlMinimum(d->brightness)) /
                     (TKGetControlMaximum(d->brightness) - TKGetControlMinimum(d->brightness));
    const TKPoint thumb{track.left + 8 + int32_t(t * (TKRectWidth(track) - 16)), (track.top + track.bottom) / 2};
    TKInjectMouseDown(d->window, thumb);
    TKInjectMouseDrag(d->window, TKPoint{thumb.x + 60, thumb.y});
    TKInjectMouseDrag(d->window, TKPoint{track.right, thumb.y});
    TKInjectMouseUp(d->window, TKPoint{track.right, thumb.y});
    TKRunPending();
    EXPECT_GT(gPrefsSettings.uiBrightness, 60000);
    EXPECT_EQ(gCalls.back(), "look " + std::to_string(gPrefsSettings.uiBrightness));
    Click(d, d->saturationDefault);
    Click(d, d->toolTips);
    ClickTab(d, kPrefsTabCaches);
    Click(d, d->cacheSelect);
    TKInjectKey(kTKKeyEscape);
  }));
  PrefsSettings expected = before;
  expected.prefsWindowTab = kPrefsTabCaches;
  expected.prefsWindowH = gPrefsSettings.prefsWindowH;
  expected.prefsWindowV = gPrefsSettings.prefsWindowV;
  EXPECT_TRUE(gPrefsSettings == expected);
  EXPECT_EQ(std::memcmp(gInterfaceColors, colors, sizeof colors), 0) << "the old colours are back";
  EXPECT_EQ(gUndoBuffer->undoable, 0u) << "a preference is no step of the correction's undo";
  PrefsSettings loaded;
  PFLoadPreferences(&loaded);
  EXPECT_EQ(loaded.uiBrightness, before.uiBrightness);
  EXPECT_EQ(loaded.toolTips, before.toolTips);
  EXPECT_EQ(loaded.rapidPreviewCacheAlias, before.rapidPreviewCacheAlias);
  DisposeUndoBuffer(gUndoBuffer);
  gUndoBuffer = nullptr;
}

// "Reset Control Surface" restarts the surface with the dialog's values for
// the moment; Cancel puts it back on the record's.
TEST_F(PreferencesDialogTest, CancelAfterASurfaceResetRestartsTheSurfaceAsItWas) {
  gPrefsSettings.controlSurfaceMode = 3;
  gPrefsSettings.controlSurfaceInterface = 2;
  std::snprintf(gPrefsSettings.controlSurfaceIP, sizeof gPrefsSettings.controlSurfaceIP, "127.0.0.1");
  EXPECT_FALSE(Run([](PreferencesDialog* d) {
    ClickTab(d, kPrefsTabControlSurface);
    TKRunPending();
    Click(d, d->address);
    TKInjectKey('a', kTKModCommand);
    TKInjectText("127.0.0.9");
    Click(d, d->surfaceReset);
    TKRunPending();
    TKInjectKey(kTKKeyEscape);
  }));
  EXPECT_EQ(gCalls, (std::vector<std::string>{"surface stop", "surface 3 127.0.0.9", "surface stop",
                                              "surface 3 127.0.0.1"}));
  EXPECT_STREQ(gPrefsSettings.controlSurfaceIP, "127.0.0.1");
}

// A person's run through the tabs: the popups' companions follow them, the
// surface buttons act, and each tab is drawn whole (PNGs in the scratch
// folder's dialogs/preferences).
TEST_F(PreferencesDialogTest, ScriptedRunThroughTheTabs) {
  gPrefsSettings.externalPreviewDevice = C("NuLL");
  gPrefsSettings.externalPreviewMode = C("hd10");
  gPrefsSettings.controlSurfaceMode = 1;
  gPrefsSettings.rapidPreviewCacheAlias = {'/', 'n', 'o', 'n', 'e'};
  const PrefsSettings before = gPrefsSettings;
  EXPECT_TRUE(Run([](PreferencesDialog* d) {
    const std::string shots = ScratchDir("dialogs/preferences");
    for (int32_t tab = 0; tab < kPrefsTabCount; ++tab) {
      ClickTab(d, tab);
      TKRunPending();
      EXPECT_EQ(TabGroupGetCurrent(d->tabs), tab);
      EXPECT_EQ(TKWriteWindowPNG(d->window, (shots + "/tab-" + std::to_string(tab) + ".png").c_str()), kQVNoErr);
    }
    // Previews: the stored device's modes, the stored one chosen; then the
    // computer monitor alone, which has no modes to choose.
    ClickTab(d, kPrefsTabPreviews);
    TKRunPending();
    EXPECT_EQ(TKCountMenuItems(TKGetControlMenu(d->mode)), 3);
    EXPECT_EQ(TKGetControlValue(d->mode), 3);
    EXPECT_TRUE(TKIsControlEnabled(d->scaling));
    EXPECT_FALSE(TKIsMenuItemEnabled(TKGetControlMenu(d->monitor), 2)) << "the main display";
    Choose(d, d->device, 3, 1);
    TKRunPending();
    EXPECT_EQ(TKCountMenuItems(TKGetControlMenu(d->mode)), 1);
    for (TKControl* c : {d->mode, d->scaling, d->aspect}) EXPECT_FALSE(TKIsControlEnabled(c));
    // Control Surface: none hides its companions; the USB panel shows the
    // reset; the MIDI surface the address and the actions too.
    ClickTab(d, kPrefsTabControlSurface);
    TKRunPending();
    EXPECT_FALSE(TKIsControlEnabled(d->surfaceInterface));
    for (TKControl* c : {d->surfaceReset, d->address, d->defineActions}) EXPECT_FALSE(TKIsControlVisible(c));
    Choose(d, d->surfaceType, 1, 2);
    TKRunPending();
    EXPECT_EQ(TKGetControlValue(d->surfaceInterface), 1);
    EXPECT_FALSE(TKIsControlEnabled(d->surfaceInterface));
    EXPECT_TRUE(TKIsControlVisible(d->surfaceReset));
    EXPECT_FALSE(TKIsControlVisible(d->address));
    Choose(d, d->surfaceType, 2, 3);
    TKRunPending();
    EXPECT_EQ(TKGetControlValue(d->surfaceInterface), 2);
    EXPECT_TRUE(TKIsControlEnabled(d->surfaceInterface));
    for (TKControl* c : {d->surfaceReset, d->address, d->defineActions}) EXPECT_TRUE(TKIsControlVisible(c));
    Click(d, d->address);
    TKInjectKey('a', kTKModCommand);
    TKInjectText("127.0.0.9");
    Click(d, d->surfaceReset);
    Click(d, d->defineActions);
    TKRunPending();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"surface stop", "surface 3 127.0.0.9", "editor"}));
    EXPECT_EQ(gPrefsSettings.controlSurfaceMode, 1) << "the reset used the edited values only for the moment";
    // The driver application hides the address again.
    Choose(d, d->surfaceInterface, 2, 1);
    TKRunPending();
    EXPECT_FALSE(TKIsControlVisible(d->address));
    ClickTab(d, kPrefsTabCaches);
    TKRunPending();
    EXPECT_EQ(TKGetEditText(d->cachePath), kPrefsNoCacheFolder);
    Click(d, d->ok);
  }));
  EXPECT_EQ(gPrefsSettings.externalPreviewDevice, C("NoNE"));
  EXPECT_EQ(gPrefsSettings.externalPreviewMode, C("NoNE"));
  EXPECT_EQ(gPrefsSettings.externalPreviewWidth, before.externalPreviewWidth) << "no mode of a device to copy";
  EXPECT_EQ(gPrefsSettings.controlSurfaceMode, 3);
  EXPECT_EQ(gPrefsSettings.controlSurfaceInterface, 1);
  EXPECT_STREQ(gPrefsSettings.controlSurfaceIP, "127.0.0.9");
}

TEST(PreferencesCacheText, ShortensLongPathsInTheMiddle) {
  EXPECT_EQ(ShortenInMiddle("/tmp/cache", 50), "/tmp/cache");
  const std::string longPath = "/home/someone/a/very/long/folder/name/for/the/rendered/cache/files";
  const std::string shown = ShortenInMiddle(longPath, 50);
  EXPECT_EQ(shown.size(), 50u);
  EXPECT_EQ(shown.substr(0, 23), longPath.substr(0, 23));
  EXPECT_EQ(shown.substr(23, 3), "...");
  EXPECT_EQ(shown.substr(26), longPath.substr(longPath.size() - 24));
  // A character of two bytes is never cut.
  const std::string accented = std::string(13, 'a') + "\xC3\xA9" + std::string(40, 'b');
  const std::string cut = ShortenInMiddle(accented, 31);
  EXPECT_LE(cut.size(), 31u);
  EXPECT_EQ(cut.find("\xC3\xA9"), std::string::npos);
  EXPECT_EQ(cut.find('\xC3'), std::string::npos);
}

}  // namespace
