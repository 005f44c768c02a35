// Colour sample rows (check box, eyedropper, swatch) and the colour-match
// group (eyedropper, the picked colour beside the same colour after the
// correction, and the popup that chooses how values read out).
#include <cstring>

#include "app/controls/bound_controls.h"
#include "app/controls/color_match_texts.h"
#include "app/controls/color_readout.h"
#include "app/controls/color_swatch.h"
#include "app/controls/composite_controls.h"
#include "app/controls/context_menus.h"
#include "app/controls/labels.h"
#include "app/controls/special_setters.h"
#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "platform/ui/toolkit.h"

namespace {

constexpr int32_t kEyedropperPicture = 128;
constexpr int32_t kSampleCursor = 500;

// The group the central update redraws after every reprocess.
VFSampleRow* gColorMatchGroup = nullptr;

void DrawColorMatchGroup(bool) {
  VFSampleRow* g = gColorMatchGroup;
  if (g) VFRedrawParts(g->sampleSwatch, g->resultSwatch, nullptr, nullptr);
}

void MarkTabsEnabled(TKControl* eyedropper, const float*, bool) { VFMarkTabsEnabled(eyedropper); }

// A new readout mode: the group's swatches, and those of the row that
// receives the same colour, show their values again.
QVStatus ColorMatchModeHandler(TKEvent& e) {
  if (e.kind != kTKEventControlHit) return kQVErrNotHandled;
  VFSampleRow* row = VFSampleRowOf(e.control);
  if (!row) return kQVErrNotHandled;
  VFRedrawParts(row->sampleSwatch, row->resultSwatch, nullptr, nullptr);
  int32_t second = 0;
  if (row->eyedropper &&
      TKGetControlProperty(row->eyedropper, kVFCreator, kVFPropSecondTarget, &second, sizeof second, nullptr) ==
          kQVNoErr)
    VFRedrawParts(VFFindPart(row->window, kVFSigSampleSwatch, second),
                  VFFindPart(row->window, kVFSigTargetSwatch, second), nullptr, nullptr);
  return kQVNoErr;
}

}  // namespace

TKControl* VFCreateSampleRow(TKWindow* window, TKRect* frame, const char* label, TKControl* parent, void* base,
                             uint32_t rgbOffset, uint32_t enableOffset, int32_t idNumber, TKControl** table) {
  if (!window || !frame) return nullptr;
  const TKRect f = *frame;
  *frame = TKRectOffset(f, 0, 30);
  VFSampleRow* row = VFNewSampleRow(window);
  if (!row) return nullptr;
  TKRect boxFrame{f.top, f.left, f.bottom, f.left + 72};
  row->checkBox = VFCreateCheckBox(window, &boxFrame, label, parent, base, enableOffset, idNumber, table, true);
  VFAttachSampleRow(row->checkBox, row);
  TKRect eyeFrame = TKMakeRect(f.left + 75, f.top, 22, 22);
  VFCreateEyedropperButton(window, &eyeFrame, parent, base, rgbOffset, idNumber, table, kEyedropperPicture,
                           kSampleCursor, true, false, MarkTabsEnabled, &row->eyedropper);
  VFAttachSampleRow(row->eyedropper, row);
  VFCreateSwatchPane(window, TKMakeRect(f.left + 104, f.top, 44, 22), parent, false, false, false, false, false,
                     rgbOffset, idNumber, row);
  return row->checkBox;
}

QVStatus VFCreateColorMatchGroup(TKWindow* window, TKRect* frame, TKControl* parent, void* base, uint32_t rgbOffset,
                                 int32_t idNumber, TKControl** out) {
  if (out) *out = nullptr;
  if (!window || !frame) return kQVErrParam;
  const TKRect f = *frame;
  VFSampleRow* row = VFNewSampleRow(window);
  if (!row) return kQVErrMemory;
  TKRect eyeFrame = f;
  VFCreateEyedropperButton(window, &eyeFrame, parent, base, rgbOffset, idNumber, nullptr, kEyedropperPicture,
                           kSampleCursor, false, true, nullptr, &row->eyedropper);
  VFAttachSampleRow(row->eyedropper, row);
  TKControl* sample = VFCreateSwatchPane(window, TKMakeRect(f.left, f.top + 24, 65, 65), parent, true, false, false,
                                         true, true, 0, idNumber, row);
  TKControl* result = VFCreateSwatchPane(window, TKMakeRect(f.left + 65, f.top + 24, 65, 65), parent, true, true,
                                         false, true, false, 0, idNumber, row);
  TKControl* popup = TKNewPopupButton(window, TKMakeRect(f.left + 2, f.top + 93, 128, 20), "",
                                      VFColorMenu(kVFReadoutMenuID), 1);
  if (!row->eyedropper || !sample || !result || !popup) return kQVErrMemory;
  row->modePopup = popup;
  // Embedding a control made in the parent's window cannot fail.
  if (parent) QVIgnoreStatus(TKEmbedControl(popup, parent));
  TKSetControlID(popup, TKControlID{kVFSigReadoutPopup, idNumber});
  TKSetControlFont(popup, VFControlFont());
  TKSetControlColorProc(popup, VFControlColorProc);
  VFAttachSampleRow(popup, row);
  TKInstallControlHandler(popup, ColorMatchModeHandler);
  VFFillColorHelpStrings();
  // A help text missing from the list leaves the control without a tag.
  QVIgnoreStatus(SetControlHelpTag(row->eyedropper, kVFHelpStringList, 11, 11));
  QVIgnoreStatus(SetControlHelpTag(sample, kVFHelpStringList, 12, 12));
  QVIgnoreStatus(SetControlHelpTag(result, kVFHelpStringList, 13, 13));
  QVIgnoreStatus(SetControlHelpTag(popup, kVFHelpStringList, 14, 14));
  gColorMatchGroup = row;
  ViewsHooksInForce().drawColorMatchGroup = DrawColorMatchGroup;
  if (out) *out = result;
  *frame = TKRectOffset(f, 0, 113);
  return kQVNoErr;
}

void VFWriteRGBToSettings(TKControl* control, const float* rgb, bool redraw) {
  VFSampleRow* row = VFSampleRowOf(control);
  uint32_t offset = 0;
  if (!row || !rgb || !VFGetTripleOffset(row->eyedropper, &offset)) return;
  std::memcpy(reinterpret_cast<uint8_t*>(&gUISettings) + offset, rgb, 3 * sizeof(float));
  if (redraw) VFRedrawParts(row->sampleSwatch, row->resultSwatch, row->targetSwatch, nullptr);
}
