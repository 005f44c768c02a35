// The definition dialogs' rules apart from their windows: the action menus,
// numbers, and what each dialog's form fills and OK stores.
#include <gtest/gtest.h>

#include <cstring>

#include "app/surfaces/surface_dialog_forms.h"
#include "core/settings_record.h"

namespace {

int32_t Field(const char* name) { return int32_t(VL_FindSettingsField(name)->offset); }

int32_t RowNamed(const char* name) {
  for (int32_t row = 1; row <= SurfaceTargetRowCount(); ++row)
    if (std::strcmp(SurfaceTargetRowAt(row)->name, name) == 0) return row;
  ADD_FAILURE() << "no row " << name;
  return 0;
}

SurfaceControlDefinition Entry(int32_t id, int32_t action) {
  SurfaceControlDefinition e{};
  e.controlID = id;
  e.action = action;
  e.targetControl = e.target1 = e.target2 = kSurfaceNoTarget;
  e.scaleX = 1;
  return e;
}

TEST(SurfaceDialogForms, ActionMenusShowAndStoreTheSameAction) {
  struct Case {
    int32_t action, rotationItem, clickItem;
  };
  const Case cases[] = {
      {kSurfaceActionPlaceholder, 1, 1},         {kSurfaceActionNone, 1, 1},
      {kSurfaceActionAdjustSlider, 3, 1},        {kSurfaceActionAdjustHueOffset, 3, 1},
      {kSurfaceActionAdjustHueAngle, 3, 1},      {kSurfaceActionSetControlValue, 1, 4},
      {kSurfaceActionToggleControl, 1, 3},       {kSurfaceActionSelectLeftPane, 5, 1},
      {kSurfaceActionSelectRightPane, 6, 1},     {kSurfaceActionSelectSettingsPane, 7, 1},
      {kSurfaceActionToggleLeftPane, 1, 6},      {kSurfaceActionToggleRightPane, 1, 7},
      {kSurfaceActionToggleSettingsPane, 1, 8},  {kSurfaceActionWipeLeftPane, 9, 1},
      {kSurfaceActionWipeRightPane, 10, 1},      {kSurfaceActionSaveSettings, 1, 10},
      {kSurfaceActionRestoreSettings, 1, 11},    {kSurfaceActionCompareEqs, 1, 1},
      {kSurfaceActionCompareMaskm, 1, 1},        {999, 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SurfaceRotationItemForAction(c.action), c.rotationItem) << c.action;
    EXPECT_EQ(SurfaceClickItemForAction(c.action), c.clickItem) << c.action;
    if (c.rotationItem > 3) {
      EXPECT_EQ(SurfaceRotationActionForItem(c.rotationItem), c.action);
    }
    if (c.clickItem > 1) {
      EXPECT_EQ(SurfaceClickActionForItem(c.clickItem), c.action);
    }
  }
  for (const int32_t separator : {2, 4, 8}) EXPECT_EQ(SurfaceRotationActionForItem(separator), kSurfaceActionNone);
  for (const int32_t separator : {2, 5, 9, 0, 12}) EXPECT_EQ(SurfaceClickActionForItem(separator), kSurfaceActionNone);
}

TEST(SurfaceDialogForms, NumbersAreShownShortAndReadWhole) {
  EXPECT_EQ(SurfaceFormatFloat(1.0f), "1.0");
  EXPECT_EQ(SurfaceFormatFloat(0.25f), "0.25");
  EXPECT_EQ(SurfaceFormatFloat(0.0f), "0.0");
  EXPECT_EQ(SurfaceFormatFloat(-0.5f), "-0.5");
  EXPECT_EQ(SurfaceFormatFloat(100.0f), "100.0");
  EXPECT_EQ(SurfaceFormatFloat(0.04f), "0.04");
  EXPECT_FLOAT_EQ(SurfaceParseNumber("0.5"), 0.5f);
  EXPECT_FLOAT_EQ(SurfaceParseNumber(" -2 "), -2.0f);
  for (const char* junk : {"", "abc", "1.5x", "1e99", "nan", "inf"}) EXPECT_EQ(SurfaceParseNumber(junk), 0.0f) << junk;
}

TEST(SurfaceDialogForms, TargetTableRunsInTabOrderAndEndsWithMinusOne) {
  const SurfaceTargetRow* t = SurfaceTargetTable();
  EXPECT_STREQ(t[0].name, "Input Highlight Recovery");
  EXPECT_STREQ(t[1].name, "-");
  EXPECT_STREQ(t[2].name, "HSL Master Hue");
  EXPECT_STREQ(t[10].name, "HSL Master Pedestal");
  EXPECT_EQ(t[SurfaceTargetRowCount()].field, -1);
  const int32_t wheel = RowNamed("Hue Offset Shadows Hue Wheel");
  EXPECT_EQ(SurfaceTargetRowAt(wheel)->kind, kSurfaceTargetHueWheel);
  EXPECT_EQ(SurfaceTargetRowAt(wheel + 1)->field, SurfaceTargetRowAt(wheel)->field + 4) << "the angle follows its wheel";
  EXPECT_EQ(SurfaceTargetRowAt(RowNamed("Limiter Soft Clip Enable"))->kind, kSurfaceTargetCheckBox);
  // Which rows each popup lists.
  const SurfaceTargetRow& angle = *SurfaceTargetRowAt(wheel + 1);
  EXPECT_TRUE(SurfaceTargetMenuLists(SurfaceTargetMenu::kRotation, angle));
  EXPECT_FALSE(SurfaceTargetMenuLists(SurfaceTargetMenu::kRotation, *SurfaceTargetRowAt(wheel)));
  EXPECT_TRUE(SurfaceTargetMenuLists(SurfaceTargetMenu::kTrackball, *SurfaceTargetRowAt(wheel)));
  EXPECT_FALSE(SurfaceTargetMenuLists(SurfaceTargetMenu::kClick, t[1]));
  EXPECT_TRUE(SurfaceTargetMenuLists(SurfaceTargetMenu::kClick, *SurfaceTargetRowAt(RowNamed("Limiter Enable"))));
}

TEST(SurfaceDialogForms, KnobKeepsItsPaneActionAndTakesTintAnglesThroughTheirWheel) {
  // An encoder_s knob on the left pane: item 5, target and scale inactive;
  // OK without changes keeps the action with the scale 0.25.
  SurfaceControlDefinition e = Entry(kSurfaceEncoderS1 + 2, kSurfaceActionSelectLeftPane);
  e.scaleX = 3;
  SurfaceRotationForm form;
  SurfaceFillKnobForm(e, &form);
  EXPECT_EQ(form.actionItem, 5);
  EXPECT_FALSE(form.targetActive);
  SurfaceApplyKnobForm(form, &e);
  EXPECT_EQ(e.action, kSurfaceActionSelectLeftPane);
  EXPECT_FLOAT_EQ(e.scaleX, 0.25f);
  EXPECT_EQ(e.target1, kSurfaceNoTarget);
  SurfaceControlDefinition other = Entry(kSurfaceEncoderN1, kSurfaceActionSelectSettingsPane);
  SurfaceFillKnobForm(other, &form);
  EXPECT_EQ(form.actionItem, 7);
  SurfaceApplyKnobForm(form, &other);
  EXPECT_EQ(other.action, kSurfaceActionSelectSettingsPane) << "item 7 reads back as what it shows";
  EXPECT_FLOAT_EQ(other.scaleX, 1.0f);

  // A tint angle target: adjust_hue_angle through the wheel's control.
  for (const char* name : {"Hue Offset Midtones Tint Angle", "Secondary C Hue Offset Tint Angle"}) {
    form.actionItem = kSurfaceRotationAdjust;
    form.targetRow = RowNamed(name);
    form.scaleText = "2.5";
    SurfaceApplyKnobForm(form, &e);
    const int32_t angle = SurfaceTargetRowAt(form.targetRow)->field;
    EXPECT_EQ(e.action, kSurfaceActionAdjustHueAngle) << name;
    EXPECT_EQ(e.target1, angle);
    EXPECT_EQ(e.targetControl, angle - 4);
    EXPECT_EQ(e.target2, kSurfaceNoTarget);
    EXPECT_FLOAT_EQ(e.scaleX, 2.5f);
    EXPECT_EQ(e.scaleY, 0.0f);
    SurfaceRotationForm back;
    SurfaceFillKnobForm(e, &back);
    EXPECT_EQ(back.targetRow, form.targetRow);
    EXPECT_EQ(back.scaleText, "2.5");
  }
  // A slider target.
  form.targetRow = RowNamed("RGB Master Red Gain");
  SurfaceApplyKnobForm(form, &e);
  EXPECT_EQ(e.action, kSurfaceActionAdjustSlider);
  EXPECT_EQ(e.target1, Field("rgb_master_r_gain"));
  EXPECT_EQ(e.targetControl, Field("rgb_master_r_gain"));
}

TEST(SurfaceDialogForms, TrackballAxisOnAHueWheelStoresAngleAndStrength) {
  SurfaceControlDefinition x = Entry(95, kSurfaceActionNone), y = Entry(96, kSurfaceActionNone);
  SurfaceRotationForm form;
  form.actionItem = kSurfaceRotationAdjust;
  form.targetRow = RowNamed("Hue Offset Highlights Hue Wheel");
  form.scaleText = "0.5";
  SurfaceApplyTrackballForm(form, 0, &x);
  SurfaceApplyTrackballForm(form, 1, &y);
  const int32_t wheel = Field("hueoffset_highlight_huewheel");
  for (const SurfaceControlDefinition* e : {&x, &y}) {
    EXPECT_EQ(e->action, kSurfaceActionAdjustHueOffset);
    EXPECT_EQ(e->target1, Field("hueoffset_highlight_tintangle"));
    EXPECT_EQ(e->target2, Field("hueoffset_highlight_strength"));
    EXPECT_EQ(e->targetControl, wheel);
  }
  EXPECT_FLOAT_EQ(x.scaleX, 0.5f);
  EXPECT_EQ(x.scaleY, 0.0f);
  EXPECT_EQ(y.scaleX, 0.0f);
  EXPECT_FLOAT_EQ(y.scaleY, 0.5f);
  // Opened again, both axes show the wheel's own row.
  SurfaceRotationForm back;
  SurfaceFillTrackballForm(y, &back);
  EXPECT_EQ(back.targetRow, form.targetRow);
  EXPECT_EQ(back.scaleText, "0.5");
  // A slider on the y axis keeps the scale in both; other actions get 0.04.
  form.targetRow = RowNamed("HSL Master Gain");
  SurfaceApplyTrackballForm(form, 1, &y);
  EXPECT_FLOAT_EQ(y.scaleX, 0.5f);
  EXPECT_FLOAT_EQ(y.scaleY, 0.5f);
  form.actionItem = 9;
  SurfaceApplyTrackballForm(form, 0, &x);
  EXPECT_EQ(x.action, kSurfaceActionWipeLeftPane);
  EXPECT_EQ(x.target1, kSurfaceNoTarget);
  EXPECT_FLOAT_EQ(x.scaleX, 0.04f);
  EXPECT_FLOAT_EQ(x.scaleY, 0.04f);
}

TEST(SurfaceDialogForms, ClickPartsFollowTheirAction) {
  struct States {
    int32_t item;
    bool target, value, leds;
  };
  const States states[] = {{1, false, false, false}, {3, true, false, true},  {4, true, true, true},
                           {10, false, true, true},  {11, false, true, true}, {6, false, false, true}};
  for (const States& s : states) {
    const SurfaceClickFieldStates got = SurfaceClickStates(s.item);
    EXPECT_EQ(got.target, s.target) << s.item;
    EXPECT_EQ(got.value, s.value) << s.item;
    EXPECT_EQ(got.leds, s.leds) << s.item;
  }
  SurfaceControlDefinition e = Entry(513, kSurfaceActionNone);
  SurfaceClickForm form;
  form.actionItem = kSurfaceClickSetValue;
  form.targetRow = RowNamed("Secondary B Invert");
  form.valueText = "0.5";
  form.updateLEDs = true;
  SurfaceApplyClickForm(form, &e);
  EXPECT_EQ(e.action, kSurfaceActionSetControlValue);
  EXPECT_EQ(e.target1, Field("secondary_b_invert"));
  EXPECT_EQ(e.targetControl, Field("secondary_b_invert"));
  EXPECT_FLOAT_EQ(e.scaleX, 0.5f);
  EXPECT_EQ(e.updateLEDs, 1);
  SurfaceClickForm back;
  SurfaceFillClickForm(e, &back);
  EXPECT_EQ(back.actionItem, kSurfaceClickSetValue);
  EXPECT_EQ(back.targetRow, form.targetRow);
  EXPECT_EQ(back.valueText, "0.5");
  form.actionItem = kSurfaceClickToggle;
  SurfaceApplyClickForm(form, &e);
  EXPECT_EQ(e.action, kSurfaceActionToggleControl);
  EXPECT_EQ(e.scaleX, 0.0f);
  form.actionItem = 10;  // save settings, slot 3
  form.valueText = "3";
  form.updateLEDs = false;
  SurfaceApplyClickForm(form, &e);
  EXPECT_EQ(e.action, kSurfaceActionSaveSettings);
  EXPECT_EQ(e.target1, kSurfaceNoTarget);
  EXPECT_EQ(e.targetControl, kSurfaceNoTarget);
  EXPECT_FLOAT_EQ(e.scaleX, 3.0f);
  EXPECT_EQ(e.updateLEDs, 0);
}

TEST(SurfaceDialogForms, PageFormKeepsColoursAndCutsLines) {
  SurfacePageDefinition page{};
  page.active = 1;
  std::strcpy(page.leftLine1, "Primary");
  page.trackballColor[0] = kSurfaceRed;
  page.trackballColor[1] = kSurfaceBlue;
  page.trackballColor[2] = kSurfaceCyan;  // not offered: the popup's default
  page.trackballColor[3] = kSurfaceGreen;
  SurfacePageForm form;
  SurfaceFillPageForm(page, &form);
  EXPECT_TRUE(form.active);
  EXPECT_EQ(form.colorItem[0], 2);
  EXPECT_EQ(form.colorItem[1], 4);
  EXPECT_EQ(form.colorItem[2], 1);
  EXPECT_EQ(form.colorItem[3], 3);
  EXPECT_EQ(form.lines[0], "Primary");
  form.lines[3] = "abcdefghijklmnopqrstuvwxyz0123";
  form.active = false;
  SurfaceApplyPageForm(form, &page);
  EXPECT_EQ(page.active, 0);
  EXPECT_STREQ(page.rightLine2, "abcdefghijklmnopqrstuvwxy");
  EXPECT_STREQ(page.leftLine1, "Primary");
  EXPECT_EQ(page.trackballColor[1], kSurfaceBlue);
  EXPECT_EQ(page.trackballColor[2], kSurfaceBlack);
}

TEST(SurfaceDialogForms, EntriesAreFoundUpToTheFirstEmptyOne) {
  SurfaceControlDefinition table[kSurfaceControlsPerPage]{};
  table[0].controlID = 88;
  table[1].controlID = 95;
  table[3].controlID = 513;  // after the end at entry 2
  EXPECT_EQ(SurfaceFindControlEntry(table, 95), 1);
  EXPECT_EQ(SurfaceFindControlEntry(table, 513), -1);
  EXPECT_EQ(SurfaceFindControlEntry(nullptr, 88), -1);
  for (int32_t i = 0; i < kSurfaceControlsPerPage; ++i) table[i].controlID = 1000 + i;
  EXPECT_EQ(SurfaceFindControlEntry(table, 1069), 69);
  EXPECT_EQ(SurfaceFindControlEntry(table, 2000), -1);
}

}  // namespace
