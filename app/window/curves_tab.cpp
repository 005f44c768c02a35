// The "Curves" correction tab: an "RGB" sub-tab with the master, red, green
// and blue curve editors, the black, grey and white eyedroppers and the
// Reset, "Save..." and "Load..." buttons, and an "HSL" sub-tab with the hue,
// saturation and lightness curve editors and its Reset button.
#include <cstddef>

#include "app/controls/bound_controls.h"
#include "app/controls/composite_controls.h"
#include "app/controls/context_menus.h"
#include "app/controls/curve_editor.h"
#include "app/controls/curve_editor_internal.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/view_state.h"
#include "app/window/correction_tabs.h"
#include "platform/ui/toolkit.h"

TKControl* gCurveSetTabs = nullptr;

namespace {

constexpr int32_t kCorrectionTabCurvesItem = 4;
constexpr int32_t kHelpStringList = 2000;
constexpr int32_t kEyedropperSide = 22;
constexpr int32_t kEyedropperStep = 30;
constexpr int32_t kButtonGap = 8;

constexpr VLSettingsSectionMask kRGBCurvesMask = VLSettingsSectionMask(0x1E) << 32;
constexpr VLSettingsSectionMask kHSLCurvesMask = VLSettingsSectionMask(0xE0) << 32;
static_assert(kRGBCurvesMask == kVLMaskAllRGBCurves && kHSLCurvesMask == kVLMaskAllHSLCurves);

struct EditorEntry {
  const char* label;
  int32_t curveIndex;
};
constexpr EditorEntry kRGBEditors[] = {{"Master", 0}, {"Red", 1}, {"Green", 2}, {"Blue", 3}};
constexpr EditorEntry kHSLEditors[] = {{"Hue", 4}, {"Saturation", 5}, {"Lightness", 6}};

// Help tags of the three eyedroppers, entries 15 to 17 of the help list.
const char* const kEyedropperHelp[] = {
    "Pick the black point of the red, green and blue curves from the picture",
    "Pick a color that should be neutral: the red, green and blue curves meet at its middle value",
    "Pick the white point of the red, green and blue curves from the picture",
};

struct EyedropperEntry {
  uint32_t offset;
  int32_t pictureID;
  int32_t cursorID;
  uint32_t controlID;
  int32_t helpIndex;
  VFEyedropperProc proc;
  TKControl* VFCurvesTabControls::*slot;
};
const EyedropperEntry kEyedroppers[] = {
    {offsetof(VL_SettingsStruct, curvePoints[0]), 129, 501, kVFIDBlackEyedropper, 15, CurvesSetBlackPoint,
     &VFCurvesTabControls::blackEyedropper},
    {offsetof(VL_SettingsStruct, curvePoints[1]), 130, 502, kVFIDGrayEyedropper, 16, CurvesSetGrayPoint,
     &VFCurvesTabControls::grayEyedropper},
    {offsetof(VL_SettingsStruct, curvePoints[2]), 131, 503, kVFIDWhiteEyedropper, 17, CurvesSetWhitePoint,
     &VFCurvesTabControls::whiteEyedropper},
};

// Editors side by side: the usable area is the bounds less the tab column
// on the left and 10 px on the right and bottom.
struct EditorLayout {
  int32_t side;
  int32_t left;
  int32_t top;
};
EditorLayout LayOutEditors(const TKRect& bounds) {
  const TKRect usable{bounds.top, bounds.left + kVFTabColumnWidth, bounds.bottom - 10, bounds.right - 10};
  const int32_t width = TKRectWidth(usable), height = TKRectHeight(usable);
  int32_t side = (width - 50) / 4;
  if (side + 90 > height) side = height - 110;
  if (side < 8) side = 8;
  return EditorLayout{side, usable.left + 10, usable.top + (height - side) / 6};
}

void CreateEditors(TKWindow* window, TKControl* pane, const EditorLayout& layout, const EditorEntry* entries,
                   int count) {
  for (int i = 0; i < count; ++i) {
    const TKRect r = TKMakeRect(layout.left + i * (layout.side + 10), layout.top, layout.side, layout.side);
    CreateCurveEditor(window, r, entries[i].label, pane, &gUISettings, entries[i].curveIndex,
                      CurveSectionOffset(entries[i].curveIndex), gNextValueControlID++, gSettingsControls);
  }
}

// A push button left of `right` on the Reset button's row, sending command
// with the curve sections' mask; control ID ('QVc3', command).
TKControl* CurveFileButton(TKWindow* window, TKControl* pane, const TKRect& corner, int32_t right, const char* title,
                           uint32_t command) {
  const VFResetButtonMetrics& m = gResetButtonMetrics;
  const TKRect frame{corner.bottom - m.margin - m.height, right - m.width, corner.bottom - m.margin, right};
  return VFCreateSectionButton(window, pane, frame, title, command, kRGBCurvesMask);
}

}  // namespace

void BuildCurvesTab(TKWindow* window, TKControl* correctionTabs, const TKRect& bounds) {
  gCurvesTabControls = VFCurvesTabControls{};
  gCurveSetTabs = nullptr;
  TKControl* content = TabGroupGetPane(correctionTabs, kCorrectionTabCurvesItem);
  if (!window || !content) return;
  TabGroupBindItemCheck(correctionTabs, kCorrectionTabCurvesItem, &gUISettings.curvesEnable);

  static const VFTabEntry kSets[] = {{"RGB", 1, 1}, {"HSL", 1, 0}};
  TKControl* sets = nullptr;
  if (CreateTabGroup(window, bounds, 2, kSets, true, &sets) != kQVNoErr || !sets) return;
  // Embedding a control made in the parent's window cannot fail.
  QVIgnoreStatus(TKEmbedControl(sets, content));
  gCurveSetTabs = sets;
  gVFTabGroups.curvesSubTabs = sets;
  TabGroupSetEnableProc(sets, CorrectionTabEnableProc);
  TabGroupBindItemCheck(sets, 0, &gUISettings.rgbCurvesEnable);
  TabGroupBindItemCheck(sets, 1, &gUISettings.hslCurvesEnable);
  const EditorLayout layout = LayOutEditors(bounds);

  TKControl* rgb = TabGroupGetPane(sets, 0);
  VFBeginTabChain();
  CreateEditors(window, rgb, layout, kRGBEditors, 4);
  VFFillListStrings(kHelpStringList, 15, kEyedropperHelp, 3);
  const int32_t eyedropperTop = bounds.bottom - 10 - kEyedropperSide - 2;
  for (int i = 0; i < 3; ++i) {
    const EyedropperEntry& d = kEyedroppers[i];
    TKRect frame = TKMakeRect(layout.left + i * kEyedropperStep, eyedropperTop, kEyedropperSide, kEyedropperSide);
    TKControl* eyedropper = nullptr;
    // The pick is one undo step with the point it sets and the colour it stores.
    VFCreateEyedropperButton(window, &frame, rgb, &gUISettings, d.offset, gNextValueControlID++, gSettingsControls,
                             d.pictureID, d.cursorID, true, false, d.proc, &eyedropper);
    if (!eyedropper) continue;
    TKSetControlID(eyedropper, TKControlID{kVFCreatorControls, int32_t(d.controlID)});
    // A help text missing from the list leaves the control without a tag.
    QVIgnoreStatus(SetControlHelpTag(eyedropper, kHelpStringList, d.helpIndex, d.helpIndex));
    gCurvesTabControls.*d.slot = eyedropper;
  }
  VFCloseTabChain();
  TKControl* reset = VFCreateResetButton(window, rgb, bounds, kRGBCurvesMask);
  const int32_t resetLeft = reset ? TKGetControlBounds(reset).left : bounds.right - gResetButtonMetrics.margin;
  gCurvesTabControls.loadButton =
      CurveFileButton(window, rgb, bounds, resetLeft - kButtonGap, "Load...", kVFCommandLoadCurves);
  const int32_t loadLeft = gCurvesTabControls.loadButton ? TKGetControlBounds(gCurvesTabControls.loadButton).left
                                                         : resetLeft - kButtonGap - gResetButtonMetrics.width;
  gCurvesTabControls.saveButton =
      CurveFileButton(window, rgb, bounds, loadLeft - kButtonGap, "Save...", kVFCommandSaveCurves);

  TKControl* hsl = TabGroupGetPane(sets, 1);
  VFBeginTabChain();
  CreateEditors(window, hsl, layout, kHSLEditors, 3);
  VFCloseTabChain();
  VFCreateResetButton(window, hsl, bounds, kHSLCurvesMask);
}
