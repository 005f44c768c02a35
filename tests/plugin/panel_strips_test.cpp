// The button bar and the automatic-correction strip driven through the
// stand-in host's panel: which gestures act, what each button does, the
// pictures of each state and the panel colours of each host.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "platform/prefs_store.h"
#include "platform/ui/ui_headless.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_window.h"
#include "plugin/plugin_preferences.h"
#include "settings/comm_block.h"
#include "settings/prefs.h"
#include "tests/plugin/panel_fixture.h"

namespace {

constexpr int32_t kBar = kVLParamIdSettings;
constexpr int32_t kLevels = kVLParamIdLevelsAuto;
const HIPoint kFull{40, 36}, kLoad{130, 36}, kReset{190, 36};
const HIPoint kAutoColor{40, 8}, kAutoExposure{140, 8};

VL_SettingsStruct Edited(PanelFixture& f) {
  VL_SettingsStruct s = f.host.settings();
  s.hsl[0].hue = 12.0f;
  s.levels[kVLLevelsMaster].inblackpt = 0.3f;
  f.host.setSettings(s);
  return s;
}

TEST(PanelButtons, ResetActsOnReleaseOverItAndNotAfterADragOff) {
  PanelFixture f;
  Edited(f);
  // Down on Reset, dragged off and let go elsewhere: nothing.
  EXPECT_EQ(SHPanelClick(&f.panel, kBar, kReset.h, kReset.v), kHINoErr);
  EXPECT_EQ(VLButtonBarState().state[2], kVLButtonDown);
  EXPECT_EQ(VLButtonBarState().armed, 2);
  EXPECT_EQ(SHPanelDrag(&f.panel, kReset.h, 5), kHINoErr);
  EXPECT_EQ(VLButtonBarState().state[2], kVLButtonUp);
  EXPECT_EQ(SHPanelRelease(&f.panel, kReset.h, 5), kHINoErr);
  EXPECT_EQ(VLButtonBarState().armed, -1);
  EXPECT_EQ(f.host.settings().hsl[0].hue, 12.0f);

  // Let go over another button: nothing, and the first stays armed.
  EXPECT_EQ(SHPanelClick(&f.panel, kBar, kReset.h, kReset.v), kHINoErr);
  EXPECT_EQ(SHPanelRelease(&f.panel, kLoad.h, kLoad.v), kHINoErr);
  EXPECT_EQ(VLButtonBarState().armed, 2);
  EXPECT_EQ(f.host.settings().hsl[0].hue, 12.0f);

  // Down and up on it: the whole record goes back to its defaults.
  f.press(kBar, kReset.h, kReset.v);
  VL_SettingsStruct s = f.host.settings();
  EXPECT_EQ(s.hsl[0].hue, DefaultSettings().hsl[0].hue);
  EXPECT_EQ(s.levels[kVLLevelsMaster].inblackpt, 0.0f);
  EXPECT_EQ(VLButtonBarState().armed, -1);
  EXPECT_EQ(VLButtonBarState().state[2], kVLButtonUp);
}

TEST(PanelButtons, ImmediateHostsActOnTheClick) {
  for (uint32_t host : {kHIHostBRed, kHIHostATve, kHIHostCbst}) {
    SCOPED_TRACE(host);
    PanelFixture f(host);
    Edited(f);
    EXPECT_EQ(SHPanelClick(&f.panel, kBar, kReset.h, kReset.v), kHINoErr);
    EXPECT_EQ(f.host.settings().hsl[0].hue, DefaultSettings().hsl[0].hue);
    EXPECT_EQ(VLButtonBarState().armed, -1);
    EXPECT_EQ(VLButtonBarState().state[2], kVLButtonUp);
  }
}

TEST(PanelButtons, PointerMovementShowsAndTakesBackTheRollover) {
  PanelFixture f;
  ASSERT_EQ(SHPanelDraw(&f.panel), kHINoErr);
  const SHPanelArea* bar = SHPanelAreaOf(&f.panel, kBar);
  const uint32_t up = TKImageGetPixel(f.panel.picture.get(), bar->rect.left + 100, bar->rect.top + 37);

  const int32_t before = f.panel.invalidations;
  EXPECT_EQ(SHPanelMove(&f.panel, kBar, kLoad.h, kLoad.v), kHINoErr);
  EXPECT_EQ(VLButtonBarState().state[1], kVLButtonRollover);
  EXPECT_EQ(VLButtonBarState().state[0], kVLButtonUp);
  EXPECT_GT(f.panel.invalidations, before);
  ASSERT_EQ(SHPanelDraw(&f.panel), kHINoErr);
  EXPECT_NE(TKImageGetPixel(f.panel.picture.get(), bar->rect.left + 100, bar->rect.top + 37), up);

  EXPECT_EQ(SHPanelMove(&f.panel, kBar, 150, 10), kHINoErr);
  EXPECT_EQ(VLButtonBarState().state[1], kVLButtonUp);
  ASSERT_EQ(SHPanelDraw(&f.panel), kHINoErr);
  EXPECT_EQ(TKImageGetPixel(f.panel.picture.get(), bar->rect.left + 100, bar->rect.top + 37), up);
}

// A frame whose grey ramps run from 64 to 191 (red from 96 to 159).
void RampFrame(SHFrame* frame) {
  SHMakeFrame(kSHLayoutARGB8, 64, 32, 0, frame);
  auto* base = static_cast<uint8_t*>(frame->world.data);
  for (int32_t y = 0; y < 32; ++y) {
    for (int32_t x = 0; x < 64; ++x) {
      uint8_t* p = base + y * frame->world.row_bytes + x * 4;
      p[0] = 255;
      p[1] = uint8_t(96 + x);
      p[2] = p[3] = uint8_t(64 + 2 * x);
    }
  }
}

TEST(PanelButtons, AutomaticButtonsCorrectFromTheCurrentFrame) {
  SHFrame frame;
  RampFrame(&frame);
  {
    PanelFixture f;
    f.panel.frame = &frame;
    f.press(kLevels, kAutoExposure.h, kAutoExposure.v);
    const VL_SettingsStruct s = f.host.settings();
    const VL_LevelControls& master = s.levels[kVLLevelsMaster];
    EXPECT_GT(master.inblackpt, 0.15f);
    EXPECT_LT(master.inblackpt, 0.35f);
    EXPECT_GT(master.inwhitept, 0.6f);
    EXPECT_LT(master.inwhitept, 0.85f);
    EXPECT_EQ(s.levelsEnable, 1u);
    EXPECT_EQ(master.enable, 1u);
    EXPECT_EQ(s.levels[kVLLevelsRed].inblackpt, 0.0f);
  }
  {
    PanelFixture f;
    f.panel.frame = &frame;
    f.press(kLevels, kAutoColor.h, kAutoColor.v);
    const VL_SettingsStruct s = f.host.settings();
    EXPECT_GT(s.levels[kVLLevelsRed].inblackpt, s.levels[kVLLevelsGreen].inblackpt + 0.05f);
    EXPECT_LT(s.levels[kVLLevelsRed].inwhitept, s.levels[kVLLevelsGreen].inwhitept - 0.05f);
    for (int c : {kVLLevelsRed, kVLLevelsGreen, kVLLevelsBlue}) EXPECT_EQ(s.levels[c].enable, 1u);
    EXPECT_EQ(s.levels[kVLLevelsMaster].inblackpt, 0.0f);
  }
  {
    // The "Auto Luma Trim" preference sets how many pixels may clip: a
    // quarter of them moves both points well inside the ramp.
    ASSERT_EQ(PLPrefsSetFloat32(kPFDomain, "Auto Luma Trim", 0.25f), kQVNoErr);
    ASSERT_EQ(PLPrefsSynchronize(kPFDomain), kQVNoErr);
    VLMarkPreferencesStale();
    PanelFixture f;
    f.panel.frame = &frame;
    f.press(kLevels, kAutoExposure.h, kAutoExposure.v);
    const VL_LevelControls& master = f.host.settings().levels[kVLLevelsMaster];
    EXPECT_GT(master.inblackpt, 0.36f);  // about 0.28 with the default trim
    EXPECT_LT(master.inwhitept, 0.65f);  // about 0.72 with the default trim
    ASSERT_EQ(PLPrefsSetFloat32(kPFDomain, "Auto Luma Trim", 0.001f), kQVNoErr);
    ASSERT_EQ(PLPrefsSynchronize(kPFDomain), kQVNoErr);
    VLMarkPreferencesStale();
  }
  {
    // Without a frame the record stays as it was.
    PanelFixture f;
    f.press(kLevels, kAutoExposure.h, kAutoExposure.v);
    EXPECT_EQ(f.host.settings().levels[kVLLevelsMaster].inblackpt, 0.0f);
  }
}

TEST(PanelButtons, FullStartsTheExchangeOnlyWhenReleasedOverIt) {
  SHFrame frame;
  RampFrame(&frame);
  setenv(kCCKeyVariable, std::to_string(0x56000000 | (getpid() & 0xFFFFF) << 4).c_str(), 1);
  setenv("VELMORA_UI_PROGRAM", "/nonexistent/velmora-ui", 1);
  PanelFixture f;
  f.panel.frame = &frame;
  auto startFailures = [] {
    int n = 0;
    for (const PLRecordedAlert& a : PLAlertScriptRecorded()) n += a.message == "Unable to Start the Velmora UI Task";
    return n;
  };
  EXPECT_EQ(SHPanelClick(&f.panel, kBar, kFull.h, kFull.v), kHINoErr);
  EXPECT_EQ(SHPanelDrag(&f.panel, 300, 36), kHINoErr);
  EXPECT_EQ(SHPanelRelease(&f.panel, 300, 36), kHINoErr);
  EXPECT_EQ(startFailures(), 0);
  // Released over it, it starts the exchange; a program that cannot be
  // started is an exchange that did not happen.
  EXPECT_EQ(SHPanelClick(&f.panel, kBar, kFull.h, kFull.v), kHINoErr);
  EXPECT_EQ(SHPanelRelease(&f.panel, kFull.h, kFull.v), kHIErrUnfinished);
  EXPECT_EQ(startFailures(), 1);
  unsetenv("VELMORA_UI_PROGRAM");
}

TEST(PanelButtons, EveryPanelAreaNeedsSequenceData) {
  PanelFixture f;
  HIHandle sequence = f.host.host.sequence_data;
  f.host.host.sequence_data = nullptr;
  for (int32_t id : {kBar, kLevels, int32_t(kVLParamIdHueOffset), int32_t(kVLParamIdCurves)}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(SHPanelClick(&f.panel, id, 40, 36), kHIErrInternalStructDamaged);
  }
  f.host.host.sequence_data = sequence;
}

TEST(PanelButtons, TheStripsAreDrawnInTheHostsColoursWithTheMatchingLogo) {
  PanelFixture f;
  f.panel.background[0] = f.panel.background[1] = f.panel.background[2] = 0x3000;
  ASSERT_EQ(SHPanelDraw(&f.panel), kHINoErr);
  const SHPanelArea* bar = SHPanelAreaOf(&f.panel, kBar);
  const SHPanelArea* levels = SHPanelAreaOf(&f.panel, kLevels);
  TKImage* picture = f.panel.picture.get();
  EXPECT_EQ(TKImageGetPixel(picture, bar->rect.left + 2, bar->rect.top + 49), 0xFF303030u);
  EXPECT_EQ(TKImageGetPixel(picture, levels->rect.left + 300, levels->rect.top + 20), 0xFF303030u);
  EXPECT_NE(TKImageGetPixel(picture, levels->rect.left + 40, levels->rect.top + 8), 0xFF303030u);

  // The logo's lettering: dark on a light text colour's absence, white with one.
  auto brightestLogoPixel = [&] {
    int best = 0;
    for (int32_t y = 0; y < 26; ++y)
      for (int32_t x = 0; x < 80; ++x)
        best = std::max(best, int(TKImageGetPixel(picture, bar->rect.left + x, bar->rect.top + y) & 0xFF));
    return best;
  };
  EXPECT_LT(brightestLogoPixel(), 0x60);
  f.panel.text[0] = f.panel.text[1] = f.panel.text[2] = 0xFFFF;
  ASSERT_EQ(SHPanelDraw(&f.panel), kHINoErr);
  picture = f.panel.picture.get();
  EXPECT_GT(brightestLogoPixel(), 0xE0);
}

TEST(PanelButtons, EachHostGetsItsPanelColours) {
  struct Case {
    uint32_t host;
    int32_t major;
    uint16_t red, green, blue;
    bool light;
  };
  const Case cases[] = {
      {kHIHostAfterEffects, 13, 60948, 60948, 60948, false},  // no app suite here
      {kHIHostBRed, 13, 48059, 48059, 48059, false},
      {kHIHostCbst, 13, 18761, 18761, 18761, false},
      {kHIHostFLiP, 13, 56797, 56797, 56797, false},
      {kHIHostATve, 13, 58339, 59367, 59881, false},
      {kHIHostGSKT, 13, 58339, 59367, 59881, false},
      {kHIHostKeyGrip, 13, 53456, 53970, 55255, false},
      {kHIHostPremiere, 13, 22873, 22873, 22873, true},
      {kHIHostPremiere, 12, 59881, 59881, 60395, false},
      {QVFourCC("xyzw"), 13, 60948, 60948, 60948, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host);
    VLGlobalData globals{};
    globals.hostCreator = c.host;
    HIInData in{};
    in.version_major = c.major;
    VLUIColors colors;
    GetUIColors(&globals, &in, &colors);
    EXPECT_EQ(colors.background[0], c.red);
    EXPECT_EQ(colors.background[1], c.green);
    EXPECT_EQ(colors.background[2], c.blue);
    EXPECT_EQ(colors.lightText, c.light);
  }
}

TEST(PanelAbout, TheAboutCommandShowsTheBoxUntilItIsClicked) {
  PluginTestHost host;
  ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
  setenv(kVLResourcesVariable, VELMORA_PLUGIN_RESOURCES_DIR, 1);
  bool shown = false;
  TKPostCall([&] {
    TKWindow* box = TKFrontWindow();
    shown = box && TKRectWidth(TKGetWindowBounds(box)) == 350 && TKRectHeight(TKGetWindowBounds(box)) == 300;
    if (box) TKInjectClick(box, TKPoint{100, 100});
  });
  // Something still to come keeps the box's modal loop running until the
  // posted call has clicked it.
  TKInjectMouseMove(nullptr, TKPoint{0, 0}, TKNow() + 0.5);
  EXPECT_EQ(SHSendCommand(&host.host, kHICmdAbout), kHINoErr);
  EXPECT_TRUE(shown);
  EXPECT_EQ(host.host.return_message, "");
  TKShutdownToolkit();
}

}  // namespace
