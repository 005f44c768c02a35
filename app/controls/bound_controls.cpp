#include "app/controls/bound_controls.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/controls/tab_group.h"
#include "app/state/interface_colors.h"
#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "app/views/central_update.h"
#include "platform/ui/toolkit.h"
#include "support/strings.h"

TKControl* gSettingsControls[kVLSettingsWordCount];
TKControl* gActiveEditSlider = nullptr;
bool gEditFieldOpen = false;
TKControl* gLastUndoControl = nullptr;

namespace {

constexpr uint32_t kPropRecord = QVFourCC("vsrc");

void CentralUpdate() { UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true); }

VFServices gServices = {CentralUpdate, nullptr, nullptr, nullptr, nullptr};

// The field a value control writes, or null when it has no binding.
uint8_t* FieldOf(TKControl* control) {
  auto* base = static_cast<uint8_t*>(VFGetPointerProperty(control, kVFPropBase));
  if (!base) return nullptr;
  const int32_t offset = VFGetInt32Property(control, kVFPropOffset, -1);
  if (offset < 0 || offset > kVLSettingsByteCount - 4) return nullptr;
  return base + offset;
}

uint32_t LoadWord(const uint8_t* field) {
  uint32_t bits;
  std::memcpy(&bits, field, 4);
  return bits;
}

void StoreWord(uint8_t* field, uint32_t bits) { std::memcpy(field, &bits, 4); }

uint32_t FloatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

float BitsFloat(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, 4);
  return value;
}

// trunc(value) as a 32-bit integer, clamped in double first so that no value
// (NaN reads as 0) can overflow the conversion.
int32_t Truncated(double value) {
  if (std::isnan(value)) return 0;
  return int32_t(std::trunc(std::clamp(value, -2147483648.0, 2147483647.0)));
}

void RedrawReadout(TKControl* control) {
  VFValueSlider* record = VFGetValueSlider(control);
  if (record && record->readout) TKDrawControl(record->readout);
}

// After a change of the field: change procedure, readout, enclosing tabs,
// and the picture when asked.
void AfterChange(TKControl* control, uint32_t newBits, bool reprocess) {
  if (auto proc = reinterpret_cast<VFChangeProc>(VFGetPointerProperty(control, kVFPropChange)))
    proc(control, newBits, reprocess);
  RedrawReadout(control);
  EnableEnclosingTabs(control, 1, true);
}

}  // namespace

VFServices& VFGetServices() { return gServices; }

void VFUpdatePreview() {
  if (gServices.updatePreview) gServices.updatePreview();
}

VFValueSlider* VFGetValueSlider(TKControl* control) {
  return control ? static_cast<VFValueSlider*>(VFGetPointerProperty(control, kPropRecord)) : nullptr;
}

void VFRegisterControl(TKControl** table, uint32_t offset, TKControl* control) {
  if (table && offset / 4 < uint32_t(kVLSettingsWordCount)) table[offset / 4] = control;
}

TKControl* VFControlAtOffset(uint32_t offset) {
  return offset / 4 < uint32_t(kVLSettingsWordCount) ? gSettingsControls[offset / 4] : nullptr;
}

bool VFFloatsDiffer(float a, float b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) != std::isnan(b) || FloatBits(a) != FloatBits(b);
  return a != b;
}

int32_t VFControlValueForField(const VFValueSlider* record, uint32_t fieldBits) {
  const uint32_t flags = record ? record->flags : kVFCorrectionSlider;
  if (!(flags & kVFFloatField)) return int32_t(fieldBits);
  const double value = BitsFloat(fieldBits);
  return Truncated((flags & kVFScaled) ? value * 65536.0 : value);
}

float VFFieldValueAsFloat(const VFValueSlider* record, uint32_t fieldBits) {
  const uint32_t flags = record ? record->flags : kVFCorrectionSlider;
  if (flags & kVFFloatField) return BitsFloat(fieldBits);
  if (flags & kVFScaled) return float(double(int32_t(fieldBits)) / 65536.0);
  return float(int32_t(fieldBits));
}

namespace {

// Stores the new field bits; true when the field changed (for a float
// field by value, a change to or from NaN included; else by word).
bool Store(const VFValueSlider* record, uint8_t* field, uint32_t newBits) {
  const uint32_t oldBits = LoadWord(field);
  StoreWord(field, newBits);
  if (record->flags & kVFFloatField) return VFFloatsDiffer(BitsFloat(oldBits), BitsFloat(newBits));
  return oldBits != newBits;
}

}  // namespace

void VFWriteControlValue(TKControl* control, int32_t raw, bool reprocess) {
  VFValueSlider* record = VFGetValueSlider(control);
  uint8_t* field = FieldOf(control);
  if (!record || !field) return;
  uint32_t newBits = uint32_t(raw);
  if (record->flags & kVFFloatField)
    newBits = FloatBits((record->flags & kVFScaled) ? float(raw) * (1.0f / 65536.0f) : float(raw));
  const bool changed = Store(record, field, newBits);
  if (changed) AfterChange(control, newBits, reprocess);
  if (gServices.tangentRefreshValue) gServices.tangentRefreshValue(control);
  if (reprocess && changed) VFUpdatePreview();
}

void VFWriteFloatToSettings(TKControl* control, float value, bool reprocess) {
  VFValueSlider* record = VFGetValueSlider(control);
  uint8_t* field = FieldOf(control);
  if (!record || !field) return;
  uint32_t newBits = FloatBits(value);
  if (!(record->flags & kVFFloatField)) {
    // 16.16 or plain integer: stored and compared in the field's own unit.
    const double unit = (record->flags & kVFScaled) ? 65536.0 : 1.0;
    newBits = uint32_t(Truncated(double(value) * unit));
  }
  if (!Store(record, field, newBits)) return;
  AfterChange(control, newBits, reprocess);
  if (reprocess) VFUpdatePreview();
}

void VFSetFloatValue(TKControl* control, float value, bool reprocess) {
  VFValueSlider* record = VFGetValueSlider(control);
  if (!control || !record) return;
  const int32_t raw = Truncated((record->flags & kVFScaled) ? double(value) * 65536.0 : double(value));
  TKSetControlValue(record->slider, raw);
  VFUpdateValueText(control, raw);
  VFWriteFloatToSettings(control, value, reprocess);
}

void VFRefreshFromSettings(TKControl* control) {
  VFValueSlider* record = VFGetValueSlider(control);
  uint8_t* field = FieldOf(control);
  if (!record || !field) return;
  const int32_t raw = VFControlValueForField(record, LoadWord(field));
  TKSetControlValue(record->slider, raw);
  VFUpdateValueText(control, raw);
}

void VFUpdateValueText(TKControl* control, int32_t raw) {
  VFValueSlider* record = VFGetValueSlider(control);
  if (!record) return;
  if (record->editField) {
    char text[64];
    const double value = (record->flags & kVFScaled) ? raw / 65536.0 : double(raw);
    std::snprintf(text, sizeof text, "%1.4f", value);
    QVStripTrailingZeros(text);
    TKSetEditText(record->editField, text);
  }
  if (record->readout) TKDrawControl(record->readout);
  if (record->editField) TKDrawControl(record->editField);
}

void VFTakeUndoSnapshot(TKControl* control) {
  if (control != gLastUndoControl) {
    UndoBufferPush(gUndoBuffer, &gUISettings);
    gLastUndoControl = control;
  } else {
    UndoBufferStore(gUndoBuffer, &gUISettings);
  }
}

void VFForgetUndoControl() { gLastUndoControl = nullptr; }

void VFSetPointerProperty(TKControl* control, uint32_t tag, const void* pointer) {
  if (!control) return;
  const uintptr_t value = reinterpret_cast<uintptr_t>(pointer);
  // A made control takes a property; only a missing one refuses.
  QVIgnoreStatus(TKSetControlProperty(control, kVFCreator, tag, &value, sizeof value));
}

void* VFGetPointerProperty(TKControl* control, uint32_t tag) {
  uintptr_t value = 0;
  if (!control || TKGetControlProperty(control, kVFCreator, tag, &value, sizeof value, nullptr) != kQVNoErr) return nullptr;
  return reinterpret_cast<void*>(value);
}

int32_t VFGetInt32Property(TKControl* control, uint32_t tag, int32_t missing) {
  int32_t value = missing;
  if (!control || TKGetControlProperty(control, kVFCreator, tag, &value, sizeof value, nullptr) != kQVNoErr) return missing;
  return value;
}

void VFSetChangeProc(TKControl* control, VFChangeProc proc) {
  VFSetPointerProperty(control, kVFPropChange, reinterpret_cast<const void*>(proc));
}

void VFSetPopupChangeProc(TKControl* popup, VFPopupChangeProc proc) {
  VFSetPointerProperty(popup, kVFPropChange, reinterpret_cast<const void*>(proc));
}

void VFSetDefaultValue(TKControl* control, uint32_t fieldBits) {
  // A made control takes a property; only a missing one refuses.
  if (control) QVIgnoreStatus(TKSetControlProperty(control, kVFCreator, kVFPropDefault, &fieldBits, sizeof fieldBits));
}

void VFSetLinkedControl(TKControl* control, TKControl* other) { VFSetPointerProperty(control, kVFPropLinked, other); }

TKControl* VFGetLinkedControl(TKControl* control) {
  return static_cast<TKControl*>(VFGetPointerProperty(control, kVFPropLinked));
}

void VFGetControlValue32(TKControl* control, int32_t* out) {
  if (control && out) *out = TKGetControlValue(control);
}

void VFGetControlValue16(TKControl* control, int16_t* out) {
  if (control && out) *out = int16_t(TKGetControlValue(control));
}

void VFSetControlValue32(TKControl* control, int32_t value) {
  if (control) TKSetControlValue(control, value);
}

void VFSetControlValue16(TKControl* control, int16_t value) {
  if (control) TKSetControlValue(control, value);
}

void VFEnableWithLabel(TKControl* control, bool enable) {
  if (!control) return;
  TKSetControlEnabled(control, enable);
  TKWindow* window = TKGetControlWindow(control);
  if (TKControl* label = TKFindControlByID(window, TKControlID{kVFSigLabel, TKGetControlID(control).id}))
    TKSetControlEnabled(label, enable);
}

void VFShowControlGroup(TKControl* control, bool show) {
  VFValueSlider* record = VFGetValueSlider(control);
  if (!record) return;
  for (TKControl* part : {record->slider, record->readout, record->label})
    if (part) TKSetControlVisible(part, show);
}

void VFSetValueRange(TKControl* control, double min, double max, double typedMin, double typedMax) {
  VFValueSlider* record = VFGetValueSlider(control);
  if (!record) return;
  const double s = (record->flags & kVFScaled) ? 65536.0 : 1.0;
  TKSetControlMinimum(record->slider, Truncated(min * s));
  TKSetControlMaximum(record->slider, Truncated(max * s));
  if (record->editField) {
    const int32_t lo = Truncated(typedMin * s), hi = Truncated(typedMax * s);
    // A made control takes a property; only a missing one refuses.
    QVIgnoreStatus(TKSetControlProperty(record->editField, kVFCreator, kVFPropTypedMin, &lo, sizeof lo));
    QVIgnoreStatus(TKSetControlProperty(record->editField, kVFCreator, kVFPropTypedMax, &hi, sizeof hi));
  }
}

void VFMarkTabsEnabled(TKControl* control) {
  if (control) EnableEnclosingTabs(control, 1, true);
}

void VFSetControlText(TKControl* control, const char* text) {
  if (control) TKSetEditText(control, text ? text : "");
}

TKFont VFControlFont() {
  TKFont font;
  font.family = "Lucida Grande";
  font.size = 11;
  return font;
}

TKColor VFColor(int entry) {
  const QVRGBColor& c = gInterfaceColors[std::clamp(entry, 0, kUIInterfaceColorCount - 1)];
  return TKColorFrom16(c.red, c.green, c.blue);
}

QVStatus VFControlColorProc(TKControl* control, int32_t message, TKColor* color) {
  if (!control || !color) return kQVErrNotHandled;
  if (message == kTKColorBackground) {
    *color = VFColor(kUIColorControlBackground);
    return kQVNoErr;
  }
  if (message != kTKColorText) return kQVErrNotHandled;
  switch (TKGetControlKind(control)) {
    case kTKControlPushButton:
    case kTKControlPopupButton:
    case kTKControlBevelButton: return kQVErrNotHandled;  // the toolkit's own button text colours
    default: break;
  }
  const bool active = TKIsControlActive(control) && TKIsControlEnabled(control);
  *color = VFColor(active ? kUIColorLabelTextActive : kUIColorLabelTextInactive);
  return kQVNoErr;
}

namespace vf_internal {
// Stores the composite on each of its parts.
void AttachRecord(TKControl* part, VFValueSlider* record) { VFSetPointerProperty(part, kPropRecord, record); }
}  // namespace vf_internal
