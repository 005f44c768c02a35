// The main window's correction tabs: the builders of each tab's contents and
// what they share (the running control numbers, the Reset buttons, the enable
// and switch procedures of the tab groups).
#pragma once

#include <cstdint>

#include "core/settings_record.h"
#include "platform/ui/ui_types.h"

struct TKControl;
struct TKWindow;

// Control ID numbers run in creation order over the whole window: a slider
// takes one, a hue-offset wheel three, a levels control seven. Start-up sets
// the counter to 1 before the main window is built.
extern int32_t gNextValueControlID;

// The Reset button's size and its distance from the right and bottom edges
// of the content it sits in ("Load..." wide plus 20 px, 17 px high, 12 px in).
struct VFResetButtonMetrics {
  int32_t width = 60;
  int32_t height = 17;
  int32_t margin = 12;
};
extern VFResetButtonMetrics gResetButtonMetrics;
// Measures "Load..." in the interface font; called once at start-up.
void VFSetResetButtonMetrics();

// Command and property of the Reset buttons: a click sends 'VLrt', and the
// sections to reset sit in the button's 'ctlg' property (creator 'QVc3').
constexpr uint32_t kVFCommandReset = 0x564C7274;    // 'VLrt'
constexpr uint32_t kVFCreatorControls = 0x51566333; // 'QVc3'
constexpr uint32_t kVFPropertySectionMask = 0x63746C67; // 'ctlg'

// A "Reset" push button in the bottom-right corner of corner (by the metrics),
// embedded in pane, resetting the sections of mask.
TKControl* VFCreateResetButton(TKWindow* window, TKControl* pane, const TKRect& corner, VLSettingsSectionMask mask);
// A push button in frame sending command, with control ID ('QVc3', command)
// and the sections of mask in its 'ctlg' property, as the Save/Load curves
// and Auto buttons are; embedded in pane when there is one.
TKControl* VFCreateSectionButton(TKWindow* window, TKControl* pane, const TKRect& frame, const char* title,
                                 uint32_t command, VLSettingsSectionMask mask);
// The mask a Reset (or Save/Load curves, Auto) button carries; false when none.
bool VFGetButtonSectionMask(TKControl* button, VLSettingsSectionMask* mask);

// One correction slider of a tab's table: its label, its field's offset
// within the block the builder adds, the slider's span and the typed span.
struct VFSliderRow {
  const char* label;
  uint32_t at;
  double min, max, typedMin, typedMax;
};
// A correction slider on the working record's field at offset, labelled
// label, taking the next control number.
// A row sliding and typed over the spans of the range table's field at
// tableOffset: its own field's, or the same field of another section of the
// same layout. typedMin and typedMax may be widened afterwards.
VFSliderRow VFTableSliderRow(const char* label, uint32_t at, uint32_t tableOffset);
// The same for a saturation, which is typed over a wider span (-1000 to
// 1000) than it slides or is held to.
VFSliderRow VFSaturationSliderRow(const char* label, uint32_t at, uint32_t tableOffset);
TKControl* VFCreateCorrectionSlider(TKWindow* window, TKRect* frame, const char* label, const VFSliderRow& row,
                                    TKControl* pane, uint32_t offset);

// Enable procedure of every correction tab group: ticking or clearing an
// enable box reprocesses and redraws at once.
void CorrectionTabEnableProc(int32_t item, int32_t value);
// Change procedure of the correction tabs' popups (the Limiting tab's and
// the secondaries' "Preview Style"): a choice ticks the enable boxes of
// every tab around the popup and is kept.
int32_t CorrectionPopupChangeProc(TKControl* popup, int32_t oldValue, int32_t newValue, bool reprocess);

// HSL tab: the "Controls" / "Hue Offsets" sub-tabs and the last one selected.
extern int32_t gHSLSubTabIndex;
void HSLSubTabSwitchProc(int32_t oldIndex, int32_t newIndex);

// Tab builders, run once by the main window's builder in this order: HSL,
// RGB, YCbCr, CMY, Levels, Curves, then (after the Luma Range tab) Secondary.
// correctionTabs is the nine-item group; bounds is the content rectangle R
// the range and sub-tab groups take (the group's rectangle moved 98 px right
// and 4 px down).
void BuildHSLTab(TKWindow* window, TKControl* correctionTabs, const TKRect& bounds);
void BuildRGBTab(TKWindow* window, TKControl* correctionTabs, const TKRect& bounds);
void BuildYCbCrTab(TKWindow* window, TKControl* correctionTabs, const TKRect& bounds);
void BuildCMYTab(TKWindow* window, TKControl* correctionTabs, const TKRect& bounds);
void BuildLevelsTab(TKWindow* window, TKControl* correctionTabs, const TKRect& bounds);
// The Levels tab's four channel sub-tabs (also gVFTabGroups.levelsChannels).
extern TKControl* gLevelsChannelTabs;
void BuildCurvesTab(TKWindow* window, TKControl* correctionTabs, const TKRect& bounds);
// inner is R moved another 98 px right and 4 px down; the Reset buttons of
// the six groups sit in content's bottom-right corner.
void BuildSecondaryTab(TKWindow* window, TKControl* correctionTabs, const TKRect& content, const TKRect& inner);

// Secondary tab: the group last selected, and its switch procedure (leaving
// a group with its preview on turns the preview off).
extern int32_t gSecondaryTabIndex;
void SecondaryTabSwitchProc(int32_t oldIndex, int32_t newIndex);
