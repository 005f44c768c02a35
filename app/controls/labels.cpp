#include "app/controls/labels.h"

#include "app/controls/bound_controls.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/ui_state.h"
#include "platform/ui/toolkit.h"

namespace {

uint32_t* WordOf(TKControl* control) { return static_cast<uint32_t*>(VFGetPointerProperty(control, kVFPropOffset)); }

bool Reprocesses(TKControl* control, bool* present) {
  uint8_t flag = 0;
  *present = TKGetControlProperty(control, kVFCreator, kVFPropReprocess, &flag, 1, nullptr) == kQVNoErr;
  return flag != 0;
}

void RefreshSurfacePage() {
  const VFServices& s = VFGetServices();
  if (s.surfaceIsConnected && s.surfaceIsConnected() && s.surfaceRefreshPage) s.surfaceRefreshPage();
}

void RefreshTangentPage() {
  if (VFGetServices().tangentRefreshPage) VFGetServices().tangentRefreshPage();
}

QVStatus CheckBoxHandler(TKEvent& e) {
  if (e.kind != kTKEventControlHit) return kQVErrNotHandled;
  TKControl* box = e.control;
  uint32_t* word = WordOf(box);
  bool present = false;
  const bool reprocess = Reprocesses(box, &present);
  if (!word || !present) return kQVErrNotHandled;
  *word = TKGetControlValue(box) != 0 ? 1 : 0;
  EnableEnclosingTabs(box, 1, true);
  if (reprocess) VFUpdatePreview();
  RefreshSurfacePage();
  RefreshTangentPage();
  return kQVErrNotHandled;
}

QVStatus PopupHandler(TKEvent& e) {
  if (e.kind != kTKEventControlHit || e.part != kTKPartMenu) return kQVErrNotHandled;
  TKControl* popup = e.control;
  uint32_t* word = WordOf(popup);
  bool present = false;
  const bool reprocess = Reprocesses(popup, &present);
  if (!word) return kQVErrNotHandled;
  int32_t chosen = TKGetControlValue(popup);
  if (auto proc = reinterpret_cast<VFPopupChangeProc>(VFGetPointerProperty(popup, kVFPropChange)))
    chosen = proc(popup, int32_t(*word), chosen, reprocess);
  if (int32_t(*word) == chosen) {
    TKSetControlValue(popup, chosen);  // a refused change shows the stored choice again
  } else {
    *word = uint32_t(chosen);
  }
  RefreshTangentPage();
  if (reprocess) VFUpdatePreview();
  return kQVErrNotHandled;
}

// Binds a check box or popup; words of records other than the working one
// are never held, so no control can write into a record that goes away.
void Bind(TKControl* control, void* base, uint32_t offset, TKControl** table, bool reprocess) {
  const uint8_t flag = reprocess ? 1 : 0;
  // A made control takes a property; only a missing one refuses.
  QVIgnoreStatus(TKSetControlProperty(control, kVFCreator, kVFPropReprocess, &flag, 1));
  if (!table || base != &gUISettings || offset > uint32_t(kVLSettingsByteCount - 4)) return;
  VFSetPointerProperty(control, kVFPropOffset, static_cast<uint8_t*>(base) + offset);
  VFRegisterControl(table, offset, control);
}

void Embed(TKControl* control, TKControl* parent) {
  // Embedding a control made in the parent's window cannot fail.
  if (control && parent) QVIgnoreStatus(TKEmbedControl(control, parent));
}

}  // namespace

TKControl* VFCreateCheckBox(TKWindow* window, TKRect* frame, const char* title, TKControl* parent, void* base,
                            uint32_t offset, int32_t idNumber, TKControl** table, bool reprocess) {
  if (!window || !frame) return nullptr;
  TKControl* box = TKNewCheckBox(window, *frame, title ? title : "", 0);
  if (!box) return nullptr;
  VFInstallWindowHandler(window);
  Embed(box, parent);
  TKSetControlID(box, TKControlID{kVFSigCheckBox, idNumber});
  TKSetControlFont(box, VFControlFont());
  Bind(box, base, offset, table, reprocess);
  if (uint32_t* word = WordOf(box)) TKSetControlValue(box, *word != 0 ? 1 : 0);
  TKInstallControlHandler(box, CheckBoxHandler);
  TKSetControlColorProc(box, VFControlColorProc);
  *frame = TKRectOffset(*frame, 0, 20);
  return box;
}

TKControl* VFCreatePopup(TKWindow* window, TKRect* frame, const char* label, int32_t menuID, TKControl* parent,
                         void* base, uint32_t offset, int32_t idNumber, TKControl** table, bool reprocess) {
  if (!window || !frame) return nullptr;
  const TKRect f = *frame;
  TKControl* caption = VFCreateLabel(window, TKRect{f.top, f.left, f.top + 15, f.right}, parent, label, nullptr);
  TKSetControlID(caption, TKControlID{kVFSigLabel, idNumber});
  TKControl* popup =
      TKNewPopupButton(window, TKRect{f.top + 14, f.left + 8, f.top + 34, f.right - 58}, "", TKGetMenu(menuID), 1);
  if (!popup) return nullptr;
  VFInstallWindowHandler(window);
  Embed(popup, parent);
  TKSetControlID(popup, TKControlID{kVFSigPopup, idNumber});
  TKSetControlFont(popup, VFControlFont());
  Bind(popup, base, offset, table, reprocess);
  if (uint32_t* word = WordOf(popup)) TKSetControlValue(popup, int32_t(*word));
  TKInstallControlHandler(popup, PopupHandler);
  TKSetControlColorProc(popup, VFControlColorProc);
  *frame = TKRectOffset(f, 0, 40);
  return popup;
}

TKControl* VFCreateLabel(TKWindow* window, const TKRect& frame, TKControl* parent, const char* text, TKControl** out) {
  TKControl* label = TKNewStaticText(window, frame, text ? text : "");
  if (label) {
    Embed(label, parent);
    TKSetControlFont(label, VFControlFont());
    TKSetControlColorProc(label, VFControlColorProc);
  }
  if (out) *out = label;
  return label;
}
