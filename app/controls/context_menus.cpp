#include "app/controls/context_menus.h"

#include <map>
#include <string>
#include <vector>

#include "app/controls/bound_controls.h"
#include "platform/ui/toolkit.h"

namespace {

constexpr uint32_t kPropMenu = QVFourCC("CTxt");
constexpr uint32_t kPropProc = QVFourCC("CTxp");
constexpr uint32_t kPropRef = QVFourCC("CTrc");
constexpr uint32_t kPropLongHelp = QVFourCC("hlpx");

std::map<int32_t, std::vector<std::string>>& StringLists() {
  static std::map<int32_t, std::vector<std::string>> lists;
  return lists;
}

const std::string* ListString(int32_t listID, int32_t index) {
  auto it = StringLists().find(listID);
  if (it == StringLists().end() || index < 1 || index > int32_t(it->second.size())) return nullptr;
  return &it->second[size_t(index - 1)];
}

}  // namespace

QVStatus SetControlContextMenu(TKControl* control, TKMenu* menu, VFContextMenuProc proc, int32_t refValue) {
  if (!control) return kQVErrParam;
  VFSetPointerProperty(control, kPropMenu, menu);
  if (proc) VFSetPointerProperty(control, kPropProc, reinterpret_cast<const void*>(proc));
  // A made control takes a property; only a missing one refuses.
  QVIgnoreStatus(TKSetControlProperty(control, kVFCreator, kPropRef, &refValue, sizeof refValue));
  return kQVNoErr;
}

int32_t PopUpContextMenu(TKWindow* window, TKMenu* menu, TKPoint where, int32_t preselected) {
  if (!menu) return 0;
  const TKMenuChoice choice = TKPopupMenu(menu, window, where, preselected);
  if (!choice.item || !choice.menu) return 0;
  return (TKGetMenuID(choice.menu) << 16) | (choice.item & 0xFFFF);
}

QVStatus RunContextMenu(TKWindow* window, TKPoint where, TKMenu* menu, VFContextMenuProc proc, int32_t preselected,
                        int32_t refValue) {
  if (!menu) return kQVErrNotHandled;
  if (proc) proc(nullptr, kVFMenuBeforeOpen, 0, menu, refValue);
  const int32_t chosen = PopUpContextMenu(window, menu, where, preselected);
  if (proc) proc(nullptr, kVFMenuAfterChoice, chosen & 0xFFFF, menu, refValue);
  return kQVNoErr;
}

QVStatus HandleControlContextClick(TKControl* control, TKPoint where) {
  if (!control) return kQVErrNotHandled;
  auto proc = reinterpret_cast<VFContextMenuProc>(VFGetPointerProperty(control, kPropProc));
  auto* menu = static_cast<TKMenu*>(VFGetPointerProperty(control, kPropMenu));
  if (!proc || !menu) return kQVErrNotHandled;
  const int32_t ref = VFGetInt32Property(control, kPropRef, 0);
  proc(control, kVFMenuBeforeOpen, 0, menu, ref);
  const int32_t chosen = PopUpContextMenu(TKGetControlWindow(control), menu, where, 0);
  proc(control, kVFMenuAfterChoice, chosen & 0xFFFF, menu, ref);
  return kQVNoErr;
}

void VFRegisterStringList(int32_t listID, const char* const* strings, int32_t count) {
  std::vector<std::string>& list = StringLists()[listID];
  list.clear();
  for (int32_t i = 0; i < count; ++i) list.emplace_back(strings[i] ? strings[i] : "");
}

void VFFillListStrings(int32_t listID, int32_t firstIndex, const char* const* strings, int32_t count) {
  if (firstIndex < 1 || count <= 0 || !strings) return;
  std::vector<std::string>& list = StringLists()[listID];
  if (list.size() < size_t(firstIndex - 1 + count)) list.resize(size_t(firstIndex - 1 + count));
  for (int32_t i = 0; i < count; ++i) {
    std::string& entry = list[size_t(firstIndex - 1 + i)];
    if (entry.empty() && strings[i]) entry = strings[i];
  }
}

QVStatus SetControlHelpTag(TKControl* control, int32_t listID, int32_t minIndex, int32_t maxIndex) {
  const std::string* text = ListString(listID, minIndex);
  if (!control || !text) return kQVErrParam;
  TKSetHelpTag(control, text->c_str());
  if (const std::string* longer = ListString(listID, maxIndex))
    // A made control takes a property; only a missing one refuses.
    QVIgnoreStatus(TKSetControlProperty(control, kVFCreator, kPropLongHelp, longer->c_str(), uint32_t(longer->size())));
  return kQVNoErr;
}

void SetHelpTagsDisplayed(bool shown) { TKSetHelpTagsEnabled(shown); }
