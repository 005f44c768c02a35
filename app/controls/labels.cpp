#include "app/controls/labels.h"

#include "app/controls/bound_controls.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/ui_state.h"
#include "platform/ui/toolkit.h"

namespace {

uint32_t* WordOf(UIControl* control) { return static_cast<uint32_t*>(VFGetPointerProperty(control, kVFPropOffset)); }

bool Reprocesses(UIControl* control, bool* present) {
  uint8_t flag = 0;
  *present = UIGetControlProperty(control, kVFCreator, kVFPropReprocess, &flag, 1, nullptr) == kQVNoErr;
  return flag != 0;
}

void RefreshSurfacePage() {
  const VFServices& s = VFGetServices();
  if (s.surfaceIsConnected && s.surfaceIsConnected() && s.surfaceRefreshPage) s.surfaceRefreshPage();
}

void RefreshTangentPage() {
  if (VFGetServices().tangentRefreshPage) VFGetServices().tangentRefreshPage();
}

QVStatus CheckBoxHandler(UIEvent& e) {
  if (e.kind != kUIEventControlHit) return kQVErrNotHandled;
  UIControl* box = e.control;
  uint32_t* word = WordOf(box);
  bool present = false;
  const bool reprocess = Reprocesses(box, &present);
  if (!word || !present) return kQVErrNotHandled;
  *word = UIGetControlValue(box) != 0 ? 1 : 0;
  EnableEnclosingTabs(box, 1, true);
  if (reprocess) VFUpdatePreview();
  RefreshSurfacePage();
  RefreshTangentPage();
  return kQVErrNotHandled;
}

QVStatus PopupHandler(UIEvent& e) {
  if (e.kind != kUIEventControlHit || e.part != kUIPartMenu) return kQVErrNotHandled;
  UIControl* popup = e.control;
  uint32_t* word = WordOf(popup);
  bool present = false;
  const bool reprocess = Reprocesses(popup, &present);
  if (!word) return kQVErrNotHandled;
  int32_t chosen = UIGetControlValue(popup);
  if (auto proc = reinterpret_cast<VFPopupChangeProc>(VFGetPointerProperty(popup, kVFPropChange)))
    chosen = proc(popup, int32_t(*word), chosen, reprocess);
  if (int32_t(*word) == chosen) {
    UISetControlValue(popup, chosen);  // a refused change shows the stored choice again
  } else {
    *word = uint32_t(chosen);
  }
  RefreshTangentPage();
  if (reprocess) VFUpdatePreview();
  return kQVErrNotHandled;
}

// Binds a check box or popup; words of records other than the working one
// are never held, so no control can write into a record that goes away.
void Bind(UIControl* control, void* base, uint32_t offset, UIControl** table, bool reprocess) {
  const uint8_t flag = reprocess ? 1 : 0;
  UISetControlProperty(control, kVFCreator, kVFPropReprocess, &flag, 1);
  if (!table || base != &gUISettings || offset > uint32_t(kVLSettingsByteCount - 4)) return;
  VFSetPointerProperty(control, kVFPropOffset, static_cast<uint8_t*>(base) + offset);
  VFRegisterControl(table, offset, control);
}

void Embed(UIControl* control, UIControl* parent) {
  if (control && parent) UIEmbedControl(control, parent);
}

}  // namespace

UIControl* VFCreateCheckBox(UIWindow* window, UIRect* frame, const char* title, UIControl* parent, void* base,
                            uint32_t offset, int32_t idNumber, UIControl** table, bool reprocess) {
  if (!window || !frame) return nullptr;
  UIControl* box = UINewCheckBox(window, *frame, title ? title : "", 0);
  if (!box) return nullptr;
  VFInstallWindowHandler(window);
  Embed(box, parent);
  UISetControlID(box, UIControlID{kVFSigCheckBox, idNumber});
  UISetControlFont(box, VFControlFont());
  Bind(box, base, offset, table, reprocess);
  if (uint32_t* word = WordOf(box)) UISetControlValue(box, *word != 0 ? 1 : 0);
  UIInstallControlHandler(box, CheckBoxHandler);
  UISetControlColorProc(box, VFControlColorProc);
  *frame = UIRectOffset(*frame, 0, 20);
  return box;
}

UIControl* VFCreatePopup(UIWindow* window, UIRect* frame, const char* label, int32_t menuID, UIControl* parent,
                         void* base, uint32_t offset, int32_t idNumber, UIControl** table, bool reprocess) {
  if (!window || !frame) return nullptr;
  const UIRect f = *frame;
  UIControl* caption = VFCreateLabel(window, UIRect{f.top, f.left, f.top + 15, f.right}, parent, label, nullptr);
  UISetControlID(caption, UIControlID{kVFSigLabel, idNumber});
  UIControl* popup =
      UINewPopupButton(window, UIRect{f.top + 14, f.left + 8, f.top + 34, f.right - 58}, "", UIGetMenu(menuID), 1);
  if (!popup) return nullptr;
  VFInstallWindowHandler(window);
  Embed(popup, parent);
  UISetControlID(popup, UIControlID{kVFSigPopup, idNumber});
  UISetControlFont(popup, VFControlFont());
  Bind(popup, base, offset, table, reprocess);
  if (uint32_t* word = WordOf(popup)) UISetControlValue(popup, int32_t(*word));
  UIInstallControlHandler(popup, PopupHandler);
  UISetControlColorProc(popup, VFControlColorProc);
  *frame = UIRectOffset(f, 0, 40);
  return popup;
}

UIControl* VFCreateLabel(UIWindow* window, const UIRect& frame, UIControl* parent, const char* text, UIControl** out) {
  UIControl* label = UINewStaticText(window, frame, text ? text : "");
  if (label) {
    Embed(label, parent);
    UISetControlFont(label, VFControlFont());
    UISetControlColorProc(label, VFControlColorProc);
  }
  if (out) *out = label;
  return label;
}
