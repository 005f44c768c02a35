// The Input Settings dialog: its state from a record, each type's preset,
// and scripted runs that write the record on OK only.
#include "app/window/input_settings_dialog.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/window/input_settings_dialog_internal.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_headless.h"
#include "platform/ui/ui_menu.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

InputLinearization Record(int32_t type, uint32_t black, uint32_t white, float gamma, uint32_t softClip = 0) {
  InputLinearization r{};
  r.flags = int32_t(kInputLinearizationActive | (1u << (type - 1)));
  r.black = black;
  r.white = white;
  r.gamma = gamma;
  r.softClip = softClip;
  r.reserved[0] = 0x12345678;
  return r;
}

TKControl* Property(TKControl* popup, uint32_t tag) {
  TKControl* c = nullptr;
  EXPECT_EQ(TKGetControlProperty(popup, kInputSettingsCreator, tag, &c, sizeof c, nullptr), kQVNoErr);
  return c;
}

class InputSettingsDialogTest : public TKHeadlessTest {
 protected:
  void TearDown() override {
    SetInputSettingsDialogOpenedHook(nullptr);
    TKHeadlessTest::TearDown();
  }
};

TEST_F(InputSettingsDialogTest, OpensOnTheRecordsTypeAndValues) {
  InputSettingsDialog d;
  InputLinearization r = Record(5, 100, 700, 2.0f, 1);
  r.flags |= 1;  // a lower type bit as well: the highest wins
  InputSettingsDialogBuild(&d, r);
  EXPECT_EQ(TKGetControlValue(d.typePopup), 5);
  EXPECT_EQ(TKGetControlMaximum(d.black.slider), 1023);
  EXPECT_EQ(TKGetControlValue(d.black.slider), 100);
  EXPECT_EQ(TKGetControlValue(d.white.slider), 700);
  EXPECT_EQ(TKGetControlValue(d.gamma.slider), 2 * 65536);
  EXPECT_EQ(TKGetEditText(d.gamma.readout), "2.00");
  EXPECT_EQ(TKGetControlValue(d.softClip), 1);
  TKShowWindow(d.window);
  EXPECT_TRUE(TKIsControlVisible(d.softClip));
  EXPECT_TRUE(TKIsControlVisible(d.gamma.readout));
  EXPECT_EQ(Property(d.typePopup, kInputSettingsBlackTag), d.black.slider);
  EXPECT_EQ(Property(d.typePopup, kInputSettingsWhiteTag), d.white.slider);
  EXPECT_EQ(Property(d.typePopup, kInputSettingsGammaTag), d.gamma.slider);
  EXPECT_EQ(Property(d.typePopup, kInputSettingsSoftClipTag), d.softClip);
  EXPECT_EQ(TKWriteWindowPNG(d.window, (ScratchDir("dialogs") + "/input-settings.png").c_str()), kQVNoErr);
  InputSettingsDialogDispose(&d);

  // An inactive record starts at levels with its preset.
  InputLinearization inactive = Record(5, 100, 700, 2.0f);
  inactive.flags &= ~int32_t(kInputLinearizationActive);
  InputSettingsDialogBuild(&d, inactive);
  EXPECT_EQ(TKGetControlValue(d.typePopup), 1);
  EXPECT_EQ(TKGetControlValue(d.black.slider), 0);
  EXPECT_EQ(TKGetControlValue(d.white.slider), 255);
  InputSettingsDialogDispose(&d);
}

TEST_F(InputSettingsDialogTest, EachTypeSetsItsPreset) {
  struct Case {
    int32_t type;
    int32_t blackMax, black, whiteMin, whiteMax, white;
    bool gammaShown;
    int32_t gamma;  // 16.16; -1 keeps what was there
    bool softClipShown;
  } cases[] = {
      {1, 127, 0, 128, 255, 255, false, -1, false},       {2, 127, 0, 128, 255, 255, true, 65536, false},
      {3, 127, 0, 128, 255, 255, false, 144179, false},   {4, 127, 0, 128, 255, 255, false, 144179, false},
      {5, 1023, 95, 0, 1023, 685, true, 111411, true},    {6, 4095, 64, 0, 4095, 4040, false, -1, false},
      {9, 127, 0, 128, 255, 255, false, -1, false},
  };
  InputSettingsDialog d;
  InputSettingsDialogBuild(&d, Record(2, 0, 255, 3.0f));
  TKShowWindow(d.window);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    TKSetEditText(d.gamma.readout, "3");  // as if typed: the readout is what counts
    TKSetEditText(d.black.readout, "junk");  // typing that is not a number changes nothing
    SetInputSettingsPreset(d.typePopup, c.type, c.type);
    EXPECT_EQ(TKGetControlMinimum(d.black.slider), 0);
    EXPECT_EQ(TKGetControlMaximum(d.black.slider), c.blackMax);
    EXPECT_EQ(TKGetControlValue(d.black.slider), c.black);
    EXPECT_EQ(TKGetControlMinimum(d.white.slider), c.whiteMin);
    EXPECT_EQ(TKGetControlMaximum(d.white.slider), c.whiteMax);
    EXPECT_EQ(TKGetControlValue(d.white.slider), c.white);
    EXPECT_EQ(TKGetEditText(d.white.readout), std::to_string(c.white));
    EXPECT_EQ(TKIsControlVisible(d.gamma.slider), c.gammaShown);
    EXPECT_EQ(TKIsControlVisible(d.gamma.readout), c.gammaShown);
    EXPECT_EQ(TKGetControlValue(d.gamma.slider), c.gamma < 0 ? 3 * 65536 : c.gamma);
    EXPECT_EQ(TKIsControlVisible(d.softClip), c.softClipShown);
  }
  InputSettingsDialogDispose(&d);
}

TKPoint Centre(const TKRect& r) { return TKPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

void Type(InputSettingsDialog* d, const InputSettingsSlider& s, const char* text) {
  TKInjectClick(d->window, Centre(TKGetControlBounds(s.readout)));
  TKInjectKey('a', kTKModCommand);
  TKInjectText(text);
}

void ChooseType(InputSettingsDialog* d, int32_t from, int32_t to) {
  TKInjectClick(d->window, Centre(kInputSettingsTypePopupRect));
  for (int32_t i = from; i < to; ++i) TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyReturn);
}

TEST_F(InputSettingsDialogTest, ScriptedRunsChangeTheRecordOnlyOnOK) {
  struct Case {
    const char* name;
    InputLinearization start;
    void (*script)(InputSettingsDialog*);
    QVStatus result;
    InputLinearization expect;
    int32_t beeps;
  } cases[] = {
      {"levels and gamma typed in",
       Record(1, 0, 255, 9.0f),
       [](InputSettingsDialog* d) {
         ChooseType(d, 1, 2);
         Type(d, d->black, "16");
         Type(d, d->white, "235");
         Type(d, d->gamma, "2.5");
         TKInjectKey(kTKKeyReturn);
       },
       kQVNoErr, Record(2, 16, 235, 2.5f), 0},
      {"log with soft clip",
       Record(5, 95, 685, 1.7f),
       [](InputSettingsDialog* d) {
         TKInjectClick(d->window, Centre(kInputSettingsSoftClipRect));
         Type(d, d->white, "2000");  // held to the range
         TKInjectClick(d->window, Centre(kInputSettingsOKRect));
       },
       kQVNoErr, Record(5, 95, 1023, 111411 / 65536.0f, 1), 0},  // gamma goes through 16.16
      {"cancelled after edits",
       Record(6, 64, 4040, 1.0f),
       [](InputSettingsDialog* d) {
         ChooseType(d, 6, 2);
         Type(d, d->white, "130");
         TKInjectKey(kTKKeyEscape);
       },
       kQVErrCancelled, Record(6, 64, 4040, 1.0f), 0},
      {"white below black refused, then cancelled",
       Record(6, 64, 4040, 1.0f),
       [](InputSettingsDialog* d) {
         Type(d, d->white, "50");
         TKInjectKey(kTKKeyReturn);
         TKInjectKey(kTKKeyEscape);
       },
       kQVErrCancelled, Record(6, 64, 4040, 1.0f), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    static void (*script)(InputSettingsDialog*);
    script = c.script;
    SetInputSettingsDialogOpenedHook([](InputSettingsDialog* d) { script(d); });
    InputLinearization r = c.start;
    const int32_t beeps = TKHeadlessBeepCount();
    EXPECT_EQ(RunInputSettingsDialog(&r), c.result);
    EXPECT_EQ(std::memcmp(&r, &c.expect, sizeof r), 0)
        << std::hex << r.flags << std::dec << " " << r.black << " " << r.white << " " << r.gamma << " " << r.softClip;
    EXPECT_EQ(TKHeadlessBeepCount(), beeps + c.beeps);
    EXPECT_EQ(TKFrontWindow(), nullptr);  // the dialog is gone
  }
}

}  // namespace
