// The definition dialogs and the editor driven headless: OK writes the
// fields into the definitions, Cancel leaves every byte, the editor's
// clicks open the dialog of the part under them, and OK writes the file,
// which reads back as edited. Each window is also saved as a PNG.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/state/interface_colors.h"
#include "app/surfaces/surface_definitions.h"
#include "app/surfaces/surface_dialog_forms.h"
#include "app/surfaces/surface_dialogs.h"
#include "app/surfaces/surface_editor.h"
#include "app/surfaces/surface_file.h"
#include "app/surfaces/surface_pictures.h"
#include "core/settings_record.h"
#include "platform/alert_script.h"
#include "platform/folders.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_headless.h"
#include "settings/prefs.h"
#include "tests/scratch_folder.h"

namespace {

std::string Shot(const char* name) { return ScratchDir("screenshots/surfaces") + "/" + name + ".png"; }

TKPoint Centre(TKControl* c) {
  const TKRect r = TKGetControlBounds(c);
  return TKPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

int32_t ItemOfRow(const std::vector<int32_t>& rows, int32_t row) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i] == row) return int32_t(i + 1);
  return 0;
}

int32_t RowNamed(const char* name) {
  for (int32_t row = 1; row <= SurfaceTargetRowCount(); ++row)
    if (std::strcmp(SurfaceTargetRowAt(row)->name, name) == 0) return row;
  return 0;
}

int32_t Field(const char* name) { return int32_t(VL_FindSettingsField(name)->offset); }

class SurfaceDialogsTest : public ::testing::Test {
 protected:
  std::string prefs;

  void SetUp() override {
    TKUseFakeClock(true);
    ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
    TKSetHeadlessDisplays({TKMakeRect(0, 0, 1600, 1000)});
    InitInterfaceColors();
    PFLoadDefaultPreferences(&gPrefsSettings);
    prefs = MakeScratchFolder("prefs");
    setenv(PLFolderVariable(kPLFolderPreferences), prefs.c_str(), 1);
    SurfaceClearDefinitions();
  }
  void TearDown() override {
    SetSurfaceDialogOpenedHook(nullptr);
    SetSurfaceEditorOpenedHook(nullptr);
    unsetenv(PLFolderVariable(kPLFolderPreferences));
    TKShutdownToolkit();
    TKUseFakeClock(false);
  }
};

SurfaceControlDefinition* Page1() { return SurfacePageControls(1); }

void PutEntries(std::initializer_list<int32_t> ids) {
  int32_t i = 0;
  for (int32_t id : ids) {
    SurfaceControlDefinition& e = Page1()[i++];
    e.controlID = id;
    e.action = kSurfaceActionNone;
    e.targetControl = e.target1 = e.target2 = kSurfaceNoTarget;
  }
}

TEST_F(SurfaceDialogsTest, KnobDialogStoresTheChosenTargetOnOK) {
  PutEntries({88});
  SetSurfaceDialogOpenedHook([](SurfaceDialog* d) {
    ASSERT_EQ(d->rotationCount, 1);
    EXPECT_EQ(TKGetWindowTitle(d->window), "Control Knob Definition");
    TKSetControlValue(d->rotation[0].action, kSurfaceRotationAdjust);
    TKSetControlValue(d->rotation[0].target, ItemOfRow(d->rotation[0].rows, RowNamed("HSL Master Gamma")));
    TKSetEditText(d->rotation[0].scale, "0.75");
    SurfaceDialogEnableRotationFields(d->rotation[0]);
    EXPECT_EQ(TKWriteWindowPNG(d->window, Shot("knob").c_str()), kQVNoErr);
    TKInjectClick(d->window, Centre(d->ok));
  });
  int32_t changed = 0;
  EXPECT_TRUE(SurfaceKnobDefinitionDialog(Page1(), 88, &changed));
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(Page1()[0].action, kSurfaceActionAdjustSlider);
  EXPECT_EQ(Page1()[0].target1, Field("hsl_master_gamma"));
  EXPECT_FLOAT_EQ(Page1()[0].scaleX, 0.75f);
}

TEST_F(SurfaceDialogsTest, CancelLeavesEveryEntryByteForByte) {
  PutEntries({103, 104, 105, 95, 96, 513, 514});
  SurfaceControlDefinition before[kSurfaceControlsPerPage];
  std::memcpy(before, Page1(), sizeof before);
  SetSurfaceDialogOpenedHook([](SurfaceDialog* d) {
    for (int32_t i = 0; i < d->rotationCount; ++i) TKSetControlValue(d->rotation[i].action, 9);
    for (int32_t i = 0; i < d->clickCount; ++i) TKSetControlValue(d->clicks[i].action, 10);
    TKInjectKey(kTKKeyEscape);
  });
  int32_t changed = 0;
  EXPECT_FALSE(SurfaceKnobLEDDefinitionDialog(Page1(), 103, &changed));
  EXPECT_FALSE(SurfaceTrackballDefinitionDialog(Page1(), 95, &changed));
  EXPECT_FALSE(SurfaceButtonDefinitionDialog(Page1(), 513, &changed));
  EXPECT_FALSE(SurfaceKnobDefinitionDialog(Page1(), 88, &changed));  // no entry: opens all the same
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(std::memcmp(before, Page1(), sizeof before), 0);
}

TEST_F(SurfaceDialogsTest, EachDialogWritesItsEntriesOnOK) {
  PutEntries({103, 104, 105, 95, 96, 513, 514});
  SetSurfaceDialogOpenedHook([](SurfaceDialog* d) {
    switch (d->kind) {
      case SurfaceDialogKind::kKnobPush:
        EXPECT_EQ(d->clickCount, 2);
        TKSetControlValue(d->rotation[0].action, 5);
        TKSetControlValue(d->clicks[0].action, kSurfaceClickToggle);
        TKSetControlValue(d->clicks[0].target, ItemOfRow(d->clicks[0].rows, RowNamed("Limiter Enable")));
        TKSetControlValue(d->clicks[1].action, 11);
        TKSetEditText(d->clicks[1].value, "2");
        TKSetControlValue(d->clicks[1].leds, 1);
        SurfaceDialogEnableRotationFields(d->rotation[0]);
        for (const SurfaceClickFields& c : d->clicks) SurfaceDialogEnableClickFields(c);
        EXPECT_EQ(TKWriteWindowPNG(d->window, Shot("knob-push").c_str()), kQVNoErr);
        break;
      case SurfaceDialogKind::kTrackball:
        TKSetControlValue(d->rotation[0].action, kSurfaceRotationAdjust);
        TKSetControlValue(d->rotation[0].target,
                          ItemOfRow(d->rotation[0].rows, RowNamed("Secondary A Hue Offset Hue Wheel")));
        TKSetControlValue(d->rotation[1].action, kSurfaceRotationAdjust);
        TKSetControlValue(d->rotation[1].target, ItemOfRow(d->rotation[1].rows, RowNamed("HSL Shadows Gain")));
        TKSetEditText(d->rotation[1].scale, "0.3");
        for (const SurfaceRotationFields& r : d->rotation) SurfaceDialogEnableRotationFields(r);
        EXPECT_EQ(TKWriteWindowPNG(d->window, Shot("trackball").c_str()), kQVNoErr);
        break;
      case SurfaceDialogKind::kButton:
        TKSetControlValue(d->clicks[0].action, kSurfaceClickSetValue);
        TKSetControlValue(d->clicks[0].target, ItemOfRow(d->clicks[0].rows, RowNamed("Secondary D Invert")));
        TKSetEditText(d->clicks[0].value, "0.5");
        SurfaceDialogEnableClickFields(d->clicks[0]);
        EXPECT_EQ(TKWriteWindowPNG(d->window, Shot("button").c_str()), kQVNoErr);
        break;
      default: break;
    }
    TKInjectKey(kTKKeyReturn);
  });
  ASSERT_TRUE(SurfaceKnobLEDDefinitionDialog(Page1(), 103, nullptr));
  EXPECT_EQ(Page1()[0].action, kSurfaceActionSelectLeftPane);
  EXPECT_EQ(Page1()[1].action, kSurfaceActionToggleControl);
  EXPECT_EQ(Page1()[1].target1, Field("limiter_enable"));
  EXPECT_EQ(Page1()[2].action, kSurfaceActionRestoreSettings);
  EXPECT_FLOAT_EQ(Page1()[2].scaleX, 2.0f);
  EXPECT_EQ(Page1()[2].updateLEDs, 1);
  ASSERT_TRUE(SurfaceTrackballDefinitionDialog(Page1(), 95, nullptr));
  EXPECT_EQ(Page1()[3].action, kSurfaceActionAdjustHueOffset);
  EXPECT_EQ(Page1()[3].target1, Field("secondary_a_hueoffset_tintangle"));
  EXPECT_EQ(Page1()[3].target2, Field("secondary_a_hueoffset_strength"));
  EXPECT_EQ(Page1()[3].targetControl, Field("secondary_a_hueoffset_huewheel"));
  EXPECT_EQ(Page1()[4].action, kSurfaceActionAdjustSlider);
  EXPECT_FLOAT_EQ(Page1()[4].scaleY, 0.3f);
  ASSERT_TRUE(SurfaceButtonDefinitionDialog(Page1(), 513, nullptr));
  EXPECT_EQ(Page1()[5].action, kSurfaceActionSetControlValue);
  EXPECT_EQ(Page1()[5].target1, Field("secondary_d_invert"));
  EXPECT_FLOAT_EQ(Page1()[5].scaleX, 0.5f);
  EXPECT_EQ(Page1()[6].action, kSurfaceActionNone);
}

TEST_F(SurfaceDialogsTest, PageDialogWritesTheHeader) {
  SurfacePageDefinition* header = SurfacePageHeader(2);
  SetSurfaceDialogOpenedHook([](SurfaceDialog* d) {
    EXPECT_EQ(TKGetWindowTitle(d->window), "Control Page Definition");
    TKSetControlValue(d->active, 1);
    TKSetControlValue(d->colors[1], 2);
    TKSetEditText(d->lines[0], "Grade");
    TKSetEditText(d->lines[3], "a line far longer than twenty-five");
    EXPECT_EQ(TKWriteWindowPNG(d->window, Shot("page").c_str()), kQVNoErr);
    TKInjectKey(kTKKeyReturn);
  });
  ASSERT_TRUE(SurfacePageDefinitionDialog(header));
  EXPECT_EQ(header->active, 1);
  EXPECT_EQ(header->trackballColor[1], kSurfaceRed);
  EXPECT_STREQ(header->leftLine1, "Grade");
  EXPECT_EQ(std::strlen(header->rightLine2), 25u);
}

// The editor: a click on page button 3 opens its page dialog, which edits
// the page; the editor's OK writes the file, which reads back as edited.
SurfaceEditor* gEditor = nullptr;
int32_t gBeeps = 0;

TEST_F(SurfaceDialogsTest, EditorEditsAPageAndSavesTheFile) {
  gSurfaceCurrentPage = 1;
  SurfacePageDefinition* first = SurfacePageHeader(1);
  std::strcpy(first->leftLine1, "HSL MASTER");
  std::strcpy(first->leftLine2, "Hue  Sat  Gain");
  std::strcpy(first->rightLine1, "PAGE 1");
  first->trackballColor[0] = kSurfaceRed;
  first->trackballColor[1] = kSurfaceGreen;
  first->trackballColor[2] = kSurfaceBlue;
  SetSurfaceEditorOpenedHook([](SurfaceEditor* e) {
    gEditor = e;
    EXPECT_EQ(SurfaceEditorPage(), 1);
    EXPECT_EQ(TKWriteWindowPNG(e->window, Shot("editor").c_str()), kQVNoErr);
    SurfaceEditorClick(SurfaceEditorPartCentre(2));  // page 3's button
    TKInjectClick(e->window, Centre(e->ok));
  });
  SetSurfaceDialogOpenedHook([](SurfaceDialog* d) {
    EXPECT_EQ(d->kind, SurfaceDialogKind::kPage);
    EXPECT_FALSE(gEditor->overlayActive) << "the overlay is cleared while a dialog is open";
    TKSetControlValue(d->active, 1);
    TKSetControlValue(d->colors[0], 3);
    TKSetEditText(d->lines[2], "Page three");
    TKInjectKey(kTKKeyReturn);
  });
  EXPECT_EQ(SurfaceEditorOpen(), kQVNoErr);
  EXPECT_EQ(SurfaceEditorPage(), 3);
  EXPECT_STREQ(SurfacePageHeader(3)->rightLine1, "Page three");
  const std::string file = prefs + "/" + kSurfaceDefinitionsFileName;
  ASSERT_TRUE(std::filesystem::exists(file));
  SurfaceClearDefinitions();
  ASSERT_EQ(SurfaceReadDefinitions(file.c_str()), kQVNoErr);
  EXPECT_STREQ(SurfacePageHeader(3)->rightLine1, "Page three");
  EXPECT_EQ(SurfacePageHeader(3)->trackballColor[0], kSurfaceGreen);
  EXPECT_EQ(SurfacePageHeader(3)->active, 1);
  EXPECT_NE(gPrefsSettings.surfaceDefWindowH, -1) << "the position is kept";
}

TEST_F(SurfaceDialogsTest, EditorCancelKeepsEditsWithoutAFileAndTheEighthPageBeeps) {
  SetSurfaceEditorOpenedHook([](SurfaceEditor* e) {
    SurfaceEditorClick(TKPoint{2, 2});        // white: nothing
    SurfaceEditorClick(TKPoint{-50, 9000});   // outside the picture: nothing
    SurfaceEditorClick(SurfaceEditorPartCentre(42));  // the page display: page 1's dialog
    gBeeps = TKHeadlessBeepCount();
    SurfaceEditorClick(SurfaceEditorPartCentre(7));  // page 8: the alert, nothing else
    EXPECT_EQ(TKHeadlessBeepCount(), gBeeps + 1);
    TKInjectClick(e->window, SurfaceEditorPartCentre(4));  // page 5, through the picture's click
    TKInjectClick(e->window, Centre(e->cancel));
  });
  SetSurfaceDialogOpenedHook([](SurfaceDialog* d) {
    TKSetEditText(d->lines[0], "Kept");
    TKInjectKey(kTKKeyReturn);
  });
  EXPECT_EQ(SurfaceEditorOpen(), kQVNoErr);
  EXPECT_EQ(SurfaceEditorPage(), 5);
  EXPECT_STREQ(SurfacePageHeader(1)->leftLine1, "Kept");
  EXPECT_STREQ(SurfacePageHeader(5)->leftLine1, "Kept");
  EXPECT_FALSE(std::filesystem::exists(prefs + "/" + kSurfaceDefinitionsFileName));
}

TEST_F(SurfaceDialogsTest, KeyPictureScreenshot) {
  TKImage* key = SurfaceEditorLoadImage("KnobwellKey.png");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(TKImageWritePNG(key, Shot("editor-key").c_str()), kQVNoErr);
  TKImageDispose(key);
}

// OK in the editor with a preferences folder that cannot be made (a file
// has its name): the edits are kept, the failure is answered and told.
TEST_F(SurfaceDialogsTest, EditorOKReportsADefinitionsFileThatCannotBeWritten) {
  std::ofstream(prefs + "/blocked") << "x";
  setenv(PLFolderVariable(kPLFolderPreferences), (prefs + "/blocked/prefs").c_str(), 1);
  SetSurfaceEditorOpenedHook([](SurfaceEditor* e) { TKInjectClick(e->window, Centre(e->ok)); });
  PLAlertScriptBegin();
  EXPECT_NE(SurfaceEditorOpen(), kQVNoErr);
  const std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_NE((alerts[0].message + alerts[0].detail).find("Cannot save \""), std::string::npos) << alerts[0].message;
}

}  // namespace
