// The match-colour panel: "Match Color" changes the primary correction of
// the selected correction tab so that the source colour becomes the target
// colour, with the components its popup names; the popup's menu follows
// the tab.
#include <cstring>
#include <new>

#include "app/controls/bound_controls.h"
#include "app/controls/color_match_texts.h"
#include "app/controls/color_swatch.h"
#include "app/controls/composite_controls.h"
#include "app/controls/context_menus.h"
#include "app/controls/curve_editor.h"
#include "app/controls/match_color_math.h"
#include "app/controls/tab_group.h"
#include "app/state/focus_text.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "app/window/correction_tabs.h"
#include "platform/ui/toolkit.h"

namespace {

constexpr uint32_t kSigMatchButton = QVFourCC("VFmc");
constexpr uint32_t kSigModePopup = QVFourCC("VFmf");
constexpr int32_t kEyedropperPicture = 128;
constexpr int32_t kSampleCursor = 500;
constexpr int32_t kHSLModesMenu = 160;

// The popup's menu on each correction tab (0 when the panel is inactive
// there); the HSL tab's depends on its sub-tab.
constexpr int32_t kTabMenus[] = {kHSLModesMenu, 162, 163, 164, 165, 0, 0, 167, 0};

// The panel's button, for the tab switches.
TKControl* gMatchButton = nullptr;

const float* TripleAt(uint32_t offset) {
  return reinterpret_cast<const float*>(reinterpret_cast<const uint8_t*>(&gUISettings) + offset);
}

struct PanelParts {
  TKControl* button = nullptr;
  TKControl* eyedropper = nullptr;
  TKControl* source = nullptr;
  TKControl* target = nullptr;
  TKControl* popup = nullptr;
};

PanelParts FindParts(TKControl* any) {
  PanelParts p;
  if (!any || !TKIsControlAlive(any)) return p;
  TKWindow* window = TKGetControlWindow(any);
  const int32_t id = TKGetControlID(any).id;
  p.button = VFFindPart(window, kSigMatchButton, id);
  p.eyedropper = VFFindPart(window, kVFSigEyedropper, id);
  p.source = VFFindPart(window, kVFSigSampleSwatch, id);
  p.target = VFFindPart(window, kVFSigTargetSwatch, id);
  p.popup = VFFindPart(window, kSigModePopup, id);
  return p;
}

void Apply(const VFColorMatch& match) {
  for (int32_t i = 0; i < match.fieldCount; ++i) {
    const VFMatchField& f = match.fields[i];
    std::memcpy(reinterpret_cast<uint8_t*>(&gUISettings) + f.offset, &f.value, sizeof f.value);
    VFRefreshFromSettings(VFControlAtOffset(f.offset));
  }
  for (int32_t i = 0; i < match.pointCount; ++i) {
    const VFMatchCurvePoint& p = match.points[i];
    TKControl* editor = VFControlAtOffset(p.curveOffset);
    CurveSetPoint(editor, p.x, p.y);
    if (editor) TKDrawControl(editor);
  }
  for (int32_t i = 0; i < match.enableCount; ++i) EnableEnclosingTabs(VFControlAtOffset(match.enableFrom[i]), 1, true);
}

void MatchPressed(TKControl* button) {
  const PanelParts p = FindParts(button);
  uint32_t sourceOffset = 0, targetOffset = 0;
  if (!VFSwatchOffset(p.source, &sourceOffset) || !VFSwatchOffset(p.target, &targetOffset)) return;
  float source[3], target[3];
  std::memcpy(source, TripleAt(sourceOffset), sizeof source);
  std::memcpy(target, TripleAt(targetOffset), sizeof target);
  const int32_t mode = p.popup ? TKGetControlValue(p.popup) : 1;
  const VFColorMatch match = VFComputeColorMatch(gCorrectionTab, gHSLSubTabIndex, mode, source, target);
  // Equal colours, or a tab that matches nothing: no undo step.
  if (std::memcmp(source, target, sizeof source) != 0 && !match.Empty()) {
    UndoBufferPush(gUndoBuffer, &gUISettings);
    Apply(match);
    UndoBufferStore(gUndoBuffer, &gUISettings);
    VFForgetUndoControl();
  }
  VFUpdatePreview();
}

QVStatus MatchButtonHandler(TKEvent& e) {
  if (e.kind != kTKEventControlHit) return kQVErrNotHandled;
  MatchPressed(e.control);
  return kQVNoErr;
}

}  // namespace

QVStatus CreateMatchColorPanel(TKWindow* window, TKRect* frame, TKControl* parent, void* base, uint32_t sourceOffset,
                               uint32_t targetOffset, int32_t idNumber, TKControl** out) {
  if (out) *out = nullptr;
  if (!window || !frame) return kQVErrParam;
  const TKRect f = *frame;
  VFSampleRow* row = VFNewSampleRow(window);
  if (!row) return kQVErrMemory;

  // The button as current systems draw it: 3 px in on each side, 2 px higher.
  TKControl* button =
      TKNewPushButton(window, TKRect{f.top + 3 - 2, f.left + 2 + 3, f.top + 3 - 2 + 16, f.left + 2 + 104 - 3},
                      "Match Color", 0);
  if (!button) return kQVErrMemory;
  // Embedding a control made in the parent's window cannot fail.
  if (parent) QVIgnoreStatus(TKEmbedControl(button, parent));
  TKSetControlID(button, TKControlID{kSigMatchButton, idNumber});
  TKSetControlFont(button, UIInterfaceFont(kUIFontControl));
  TKSetControlColorProc(button, VFControlColorProc);
  TKInstallControlHandler(button, MatchButtonHandler);

  TKRect eyeFrame = TKMakeRect(f.left + 108, f.top, 22, 22);
  VFCreateEyedropperButton(window, &eyeFrame, parent, base, targetOffset, idNumber, nullptr, kEyedropperPicture,
                           kSampleCursor, false, true, nullptr, &row->eyedropper);
  VFAttachSampleRow(row->eyedropper, row);
  TKControl* source = VFCreateSwatchPane(window, TKMakeRect(f.left, f.top + 24, 65, 65), parent, true, false, false,
                                         true, true, sourceOffset, idNumber, row);
  TKControl* target = VFCreateSwatchPane(window, TKMakeRect(f.left + 65, f.top + 24, 65, 65), parent, true, false,
                                         true, true, false, targetOffset, idNumber, row);
  TKControl* popup = TKNewPopupButton(window, TKMakeRect(f.left + 2, f.top + 93, 128, 20), "",
                                      VFColorMenu(kHSLModesMenu), 1);
  if (!row->eyedropper || !source || !target || !popup) return kQVErrMemory;
  // Embedding a control made in the parent's window cannot fail.
  if (parent) QVIgnoreStatus(TKEmbedControl(popup, parent));
  TKSetControlID(popup, TKControlID{kSigModePopup, idNumber});
  TKSetControlFont(popup, VFControlFont());
  TKSetControlColorProc(popup, VFControlColorProc);

  VFFillColorHelpStrings();
  // A help text missing from the list leaves the control without a tag.
  QVIgnoreStatus(SetControlHelpTag(button, kVFHelpStringList, 8, 8));
  QVIgnoreStatus(SetControlHelpTag(row->eyedropper, kVFHelpStringList, 5, 6));
  QVIgnoreStatus(SetControlHelpTag(source, kVFHelpStringList, 9, 9));
  QVIgnoreStatus(SetControlHelpTag(target, kVFHelpStringList, 10, 10));
  QVIgnoreStatus(SetControlHelpTag(popup, kVFHelpStringList, 7, 7));
  gMatchButton = button;
  if (out) *out = target;
  *frame = TKRectOffset(f, 0, 113);
  return kQVNoErr;
}

void RebuildMatchColorPopup(TKControl* anyPanelControl, bool active, int32_t menuID) {
  const PanelParts p = FindParts(anyPanelControl);
  if (!p.popup) return;
  if (active) {
    TKMenu* menu = VFColorMenu(menuID);
    if (menu && TKGetControlMenu(p.popup) != menu) {
      TKSetControlMenu(p.popup, menu);
      TKSetControlMaximum(p.popup, TKCountMenuItems(menu));
      TKSetControlValue(p.popup, 1);
    }
  }
  for (TKControl* c : {p.button, p.eyedropper, p.source, p.target, p.popup})
    if (c) TKSetControlActive(c, active);
  if (active) TKDrawControl(p.popup);
  // A help text missing from the list leaves the control without a tag.
  QVIgnoreStatus(SetControlHelpTag(p.popup, kVFHelpStringList, 7, 7));
}

void SetMatchColorMode(int32_t correctionTab) {
  if (!gMatchButton || !TKIsControlAlive(gMatchButton)) return;
  int32_t menuID = 0;
  if (correctionTab >= 0 && correctionTab < int32_t(sizeof kTabMenus / sizeof kTabMenus[0]))
    menuID = kTabMenus[correctionTab];
  if (correctionTab == 0 && gHSLSubTabIndex != 0) menuID = 0;
  RebuildMatchColorPopup(gMatchButton, menuID != 0, menuID);
}
