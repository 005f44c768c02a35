#include "app/controls/value_slider.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>

#include "app/controls/bound_controls.h"
#include "app/controls/context_menus.h"
#include "app/controls/labels.h"
#include "app/state/command_ids.h"
#include "app/state/focus_text.h"
#include "app/state/interface_colors.h"
#include "app/state/service_hooks.h"
#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "core/processing_tables.h"
#include "platform/ui/toolkit.h"

namespace vf_internal {
void AttachRecord(TKControl* part, VFValueSlider* record);
}

namespace {

constexpr int32_t kRowHeight = 35;
constexpr int32_t kThumbSide = 16;  // the toolkit's slider thumb
constexpr int32_t kTrackInset = 6;
constexpr int16_t kPartReadout = 3;
constexpr uint32_t kPropWindowHandler = QVFourCC("ekhd");
// One wheel notch moves one 1,200th of a scaled slider's range.
constexpr double kWheelStep = 54.61333333333334;

std::deque<std::unique_ptr<VFValueSlider>> gSliders;
TKControl* gChainFirst = nullptr;
TKControl* gChainLast = nullptr;
TKControl* gSavedDefaultButton = nullptr;
TKControl* gSavedCancelButton = nullptr;
// Where the mouse went down on a slider's track.
TKPoint gTrackPoint;

bool OptionDown() { return (TKGetModifiers() & kTKModOption) != 0; }

double ScaleOf(const VFValueSlider* record) { return (record->flags & kVFScaled) ? 65536.0 : 1.0; }

// The Option-click value: the field's default as a control value.
int32_t DefaultValue(const VFValueSlider* record) {
  uint32_t bits = 0;
  // A slider without a stored default reads it as 0.
  QVIgnoreStatus(TKGetControlProperty(record->slider, kVFCreator, kVFPropDefault, &bits, sizeof bits, nullptr));
  return VFControlValueForField(record, bits);
}

// Whether the slider edits the working correction: only then does an edit
// open undo steps and reprocess the picture (a dialog's slider bound to a
// record of its own, such as the preferences, does neither).
bool EditsWorkingRecord(TKControl* slider) { return VFGetPointerProperty(slider, kVFPropBase) == &gUISettings; }

// Undo steps around an edit of the working correction.
void PushUndo(TKControl* slider) {
  if (EditsWorkingRecord(slider)) UndoBufferPush(gUndoBuffer, &gUISettings);
}
void StoreUndo(TKControl* slider) {
  if (EditsWorkingRecord(slider)) UndoBufferStore(gUndoBuffer, &gUISettings);
}

// The write of a slider move: while clips play only the tables follow, so
// that the next frame shows the change.
void WriteMove(TKControl* slider, int32_t value) {
  if (!EditsWorkingRecord(slider)) {
    VFWriteControlValue(slider, value, false);
  } else if (UIHooks().playingTransports() > 0) {
    VFWriteControlValue(slider, value, false);
    // Tables that cannot be built keep the last ones; the next change tries again.
    QVIgnoreStatus(VL_UpdateProcessingTables(&gUISettings));
  } else {
    VFWriteControlValue(slider, value, true);
  }
}

TKRect ThumbRect(TKControl* slider) {
  const TKRect b = TKGetControlBounds(slider);
  const int32_t span = std::max(1, TKRectWidth(b) - kThumbSide);
  const double range = double(TKGetControlMaximum(slider)) - TKGetControlMinimum(slider);
  const double t = range > 0 ? (double(TKGetControlValue(slider)) - TKGetControlMinimum(slider)) / range : 0.0;
  const int32_t left = b.left + int32_t(std::lround(t * span));
  return TKRect{b.top, left, b.bottom, left + kThumbSide};
}

void ApplyWheel(VFValueSlider* record, double wheel) {
  TKControl* slider = record->slider;
  const int32_t lo = TKGetControlMinimum(slider), hi = TKGetControlMaximum(slider);
  double delta;
  if (record->flags & kVFScaled) {
    delta = std::trunc(wheel * kWheelStep * (double(hi) - lo) / 65536.0 + 0.5);
  } else {
    delta = double(int32_t(wheel) / 3);
  }
  const int32_t value = int32_t(std::clamp(double(TKGetControlValue(slider)) + delta, double(lo), double(hi)));
  TKSetControlValue(slider, value);
  VFUpdateValueText(slider, value);
  VFWriteControlValue(slider, value, EditsWorkingRecord(slider));
}

QVStatus SliderHandler(TKEvent& e) {
  TKControl* slider = e.control;
  VFValueSlider* record = VFGetValueSlider(slider);
  if (!record || record->slider != slider) return kQVErrNotHandled;
  switch (e.kind) {
    case kTKEventMouseDown: {
      if (!TKIsControlEnabled(slider) || e.button != kTKButtonLeft) return kQVErrNotHandled;
      const TKRect thumb = ThumbRect(slider);
      if (e.where.x >= thumb.left && e.where.x < thumb.right) {
        if (!(e.modifiers & kTKModOption)) return kQVErrNotHandled;  // the toolkit tracks the thumb
        VFSliderActionProc(slider, kTKPartThumb);
        return kQVNoErr;
      }
      gTrackPoint = e.where;
      VFSliderActionProc(slider, e.where.x < thumb.left ? kTKPartPageUp : kTKPartPageDown);
      return kQVNoErr;
    }
    case kTKEventValueChanged:
      if (e.part == kTKPartThumb && !(record->flags & kVFNoLiveTracking)) VFSliderActionProc(slider, kTKPartThumb);
      return kQVNoErr;
    case kTKEventControlHit:
      if (e.part == kTKPartThumb && (record->flags & kVFNoLiveTracking)) VFSliderActionProc(slider, kTKPartThumb);
      return kQVNoErr;
    default: return kQVErrNotHandled;
  }
}

void DrawReadout(TKControl* readout, TKContext* ctx) {
  const TKRect r = TKGetControlBounds(readout);
  TKSetFillColor(ctx, VFColor(kUIColorControlBackground));
  TKFillRect(ctx, r);
  VFValueSlider* record = VFGetValueSlider(readout);
  if (!record || !TKIsControlEnabled(readout)) return;
  const int32_t offset = VFGetInt32Property(record->slider, kVFPropOffset, -1);
  auto* base = static_cast<const uint8_t*>(VFGetPointerProperty(record->slider, kVFPropBase));
  if (!base || offset < 0) return;
  uint32_t bits;
  std::memcpy(&bits, base + offset, 4);
  char text[201];
  if (record->flags & kVFFloatField) {
    float value;
    std::memcpy(&value, &bits, 4);
    std::snprintf(text, sizeof text, "%1.2f", double(value));
  } else if (record->flags & kVFScaled) {
    std::snprintf(text, sizeof text, "%1.2f", int32_t(bits) / 65536.0);
  } else {
    std::snprintf(text, sizeof text, "%ld", long(int32_t(bits)));
  }
  const bool active = TKIsControlActive(readout);
  const TKColor color = VFColor(active ? kUIColorReadoutTextActive : kUIColorReadoutTextInactive);
  const TKFont font = VFControlFont();
  const TKTextMetrics m = TKMeasureText(font, text);
  const double baseline = r.top + (TKRectHeight(r) + m.ascent - m.descent) / 2.0;
  TKSetFillColor(ctx, color);
  TKDrawText(ctx, font, text, r.left + 1, baseline, kTKAlignLeft);
  TKSetStrokeColor(ctx, color);
  TKSetLineWidth(ctx, 1);
  TKDrawLine(ctx, r.left + 1, baseline + 1.5, r.left + 1 + m.width, baseline + 1.5);
}

QVStatus ReadoutHandler(TKEvent& e) {
  TKControl* readout = e.control;
  VFValueSlider* record = VFGetValueSlider(readout);
  if (!record || record->readout != readout) return kQVErrNotHandled;
  if (e.kind == kTKEventControlHit) {
    VFCommitPendingEdit(true);
    if (!(e.modifiers & kTKModOption)) {
      VFBeginEditing(readout);
      return kQVNoErr;
    }
    const int32_t value = DefaultValue(record);
    TKSetControlValue(record->slider, value);
    if (EditsWorkingRecord(record->slider)) VFTakeUndoSnapshot(record->slider);
    VFUpdateValueText(record->slider, value);
    VFWriteControlValue(record->slider, value, EditsWorkingRecord(record->slider));
    StoreUndo(record->slider);
    return kQVNoErr;
  }
  if (e.kind == kTKEventMouseWheel && e.wheelY != 0) {
    VFCommitPendingEdit(true);
    ApplyWheel(record, e.wheelY);
    return kQVNoErr;
  }
  return kQVErrNotHandled;
}

bool Walkable(TKControl* readout) { return TKIsControlVisible(readout) && TKIsControlEnabled(readout); }

// Tab and Shift-Tab: the next or previous visible, enabled readout of the chain.
void TabToNext(bool backwards) {
  TKControl* from = gActiveEditSlider;
  VFEndEditing(from, true);
  const uint32_t tag = backwards ? kVFPropPrev : kVFPropNext;
  TKControl* at = from;
  for (int steps = 0; steps <= kVLSettingsWordCount; ++steps) {
    at = static_cast<TKControl*>(VFGetPointerProperty(at, tag));
    if (!at) return;
    if (Walkable(at)) {
      VFBeginEditing(at);
      return;
    }
  }
}

QVStatus EditKeyHandler(TKEvent& e) {
  switch (e.kind) {
    case kTKEventKeyDown:
      if (!gEditFieldOpen) return kQVErrNotHandled;
      switch (e.charCode) {
        case kTKKeyTab: TabToNext((e.modifiers & kTKModShift) != 0); return kQVNoErr;
        case kTKKeyReturn:
        case kTKKeyEnter: VFEndEditing(gActiveEditSlider, true); return kQVNoErr;
        case kTKKeyEscape: VFEndEditing(gActiveEditSlider, false); return kQVNoErr;
        default: return kQVErrNotHandled;
      }
    case kTKEventMouseWheel: {
      if (!gEditFieldOpen || e.wheelY == 0) return kQVErrNotHandled;
      VFValueSlider* record = VFGetValueSlider(gActiveEditSlider);
      if (!record) return kQVErrNotHandled;
      VFCommitPendingEdit(true);
      ApplyWheel(record, e.wheelY);
      return kQVNoErr;
    }
    case kTKEventContextClick: return HandleControlContextClick(e.control, e.where);
    case kTKEventCommand:
      // Every command applies the value being typed first; Undo and Redo
      // drop it, as they replace the whole record.
      if (gEditFieldOpen) VFCommitPendingEdit(e.command != kUICommandUndo && e.command != kUICommandRedo);
      return kQVErrNotHandled;
    case kTKEventMouseDown:
      if (gEditFieldOpen && (!e.control || TKGetControlID(e.control).signature == kVFSigLabel))
        VFCommitPendingEdit(true);
      return kQVErrNotHandled;
    default: return kQVErrNotHandled;
  }
}

void Embed(TKControl* control, TKControl* parent) {
  // Embedding a control made in the parent's window cannot fail.
  if (control && parent) QVIgnoreStatus(TKEmbedControl(control, parent));
}

}  // namespace

void VFInstallWindowHandler(TKWindow* window) {
  TKControl* root = window ? TKGetRootControl(window) : nullptr;
  if (!root || TKHasControlProperty(root, kVFCreator, kPropWindowHandler)) return;
  const uint8_t one = 1;
  // A made control takes a property; only a missing one refuses.
  QVIgnoreStatus(TKSetControlProperty(root, kVFCreator, kPropWindowHandler, &one, 1));
  TKInstallWindowHandler(window, EditKeyHandler);
}

TKControl* VFCreateValueSlider(TKWindow* window, TKRect* frame, const char* label, double min, double max,
                               double typedMin, double typedMax, uint32_t flags, TKControl* parent, void* base,
                               uint32_t offset, const void* defaults, int32_t idNumber, TKControl** table) {
  if (!window || !frame || !base || offset > uint32_t(kVLSettingsByteCount - 4)) return nullptr;
  gSliders.push_back(std::make_unique<VFValueSlider>());
  VFValueSlider* record = gSliders.back().get();
  record->window = window;
  record->flags = flags;
  VFInstallWindowHandler(window);
  const TKRect f = *frame;
  const double s = ScaleOf(record);

  record->label = VFCreateLabel(window, TKRect{f.top, f.left, f.top + 14, f.right}, parent, label, nullptr);
  TKSetControlID(record->label, TKControlID{kVFSigLabel, idNumber});
  vf_internal::AttachRecord(record->label, record);

  const int32_t sliderRight = (flags & kVFNoEditField) ? f.right - 17 : f.right - 83;
  TKControl* slider = TKNewSlider(window, TKRect{f.top + 14, f.left + 8, f.top + 34, sliderRight}, 0, 0, 1);
  record->slider = slider;
  Embed(slider, parent);
  TKSetControlMaximum(slider, int32_t(std::clamp(std::trunc(max * s), -2147483648.0, 2147483647.0)));
  TKSetControlMinimum(slider, int32_t(std::clamp(std::trunc(min * s), -2147483648.0, 2147483647.0)));
  TKSetControlID(slider, TKControlID{kVFSigSlider, idNumber});
  const int32_t ofst = int32_t(offset);
  // A made control takes a property; only a missing one refuses.
  QVIgnoreStatus(TKSetControlProperty(slider, kVFCreator, kVFPropOffset, &ofst, sizeof ofst));
  VFSetPointerProperty(slider, kVFPropBase, base);
  uint32_t defaultBits = 0;
  if (defaults) std::memcpy(&defaultBits, static_cast<const uint8_t*>(defaults) + offset, 4);
  VFSetDefaultValue(slider, defaultBits);
  vf_internal::AttachRecord(slider, record);
  TKSetControlColorProc(slider, VFControlColorProc);
  TKInstallControlHandler(slider, SliderHandler);
  VFRegisterControl(table, offset, slider);

  if (!(flags & kVFNoEditField)) {
    const TKRect r{f.top + 16 - 1, f.right - 75 - 1, f.top + 27 + 1, f.right - 17 + 1};
    record->editField = TKNewEditText(window, r, "");
    Embed(record->editField, parent);
    TKSetControlFont(record->editField, VFControlFont());
    TKSetControlID(record->editField, TKControlID{kVFSigEditField, idNumber});
    vf_internal::AttachRecord(record->editField, record);
    const int32_t lo = int32_t(std::clamp(std::trunc(typedMin * s), -2147483648.0, 2147483647.0));
    const int32_t hi = int32_t(std::clamp(std::trunc(typedMax * s), -2147483648.0, 2147483647.0));
    // A made control takes a property; only a missing one refuses.
    QVIgnoreStatus(TKSetControlProperty(record->editField, kVFCreator, kVFPropTypedMin, &lo, sizeof lo));
    QVIgnoreStatus(TKSetControlProperty(record->editField, kVFCreator, kVFPropTypedMax, &hi, sizeof hi));
    TKSetControlVisible(record->editField, false);

    TKUserPaneProcs procs;
    procs.draw = DrawReadout;
    procs.hitTest = [](TKControl*, TKPoint) -> int16_t { return kPartReadout; };
    procs.activate = [](TKControl*, bool) {};
    record->readout = TKNewUserPane(window, r, procs);
    Embed(record->readout, parent);
    TKSetControlID(record->readout, TKControlID{kVFSigReadout, idNumber});
    vf_internal::AttachRecord(record->readout, record);
    TKInstallControlHandler(record->readout, ReadoutHandler);

    if (gChainLast) {
      VFSetPointerProperty(record->readout, kVFPropPrev, gChainLast);
      VFSetPointerProperty(gChainLast, kVFPropNext, record->readout);
    } else {
      gChainFirst = record->readout;
    }
    gChainLast = record->readout;
  }
  VFRefreshFromSettings(slider);
  *frame = TKRectOffset(f, 0, kRowHeight);
  return slider;
}

void VFSliderActionProc(TKControl* slider, int16_t part) {
  VFValueSlider* record = VFGetValueSlider(slider);
  if (!record) return;
  if (part == kTKPartPageUp || part == kTKPartPageDown) {
    VFCommitPendingEdit(true);
    int32_t value;
    const int32_t lo = TKGetControlMinimum(slider), hi = TKGetControlMaximum(slider);
    if (OptionDown()) {
      value = DefaultValue(record);
    } else {
      const TKRect inset = TKRectInset(TKGetControlBounds(slider), kTrackInset, 0);
      const double fraction = double(gTrackPoint.x - inset.left) / std::max(1, TKRectWidth(inset));
      value = int32_t(std::clamp(std::trunc(lo + (double(hi) - lo) * fraction), double(lo), double(hi)));
    }
    TKSetControlValue(slider, value);
    VFUpdateValueText(slider, value);
    WriteMove(slider, value);
    return;
  }
  if (part != kTKPartThumb) return;
  int32_t value;
  if (OptionDown()) {
    value = DefaultValue(record);
    TKSetControlValue(slider, value);
  } else {
    value = TKGetControlValue(slider);
  }
  VFCommitPendingEdit(true);
  if (EditsWorkingRecord(slider)) VFTakeUndoSnapshot(slider);
  VFUpdateValueText(slider, value);
  WriteMove(slider, value);
  // The open step holds the latest value, so Redo returns to it.
  StoreUndo(slider);
}

void VFBeginEditing(TKControl* control) {
  VFValueSlider* record = VFGetValueSlider(control);
  if (!record || !record->editField || !record->readout) return;
  TKWindow* window = record->window;
  gSavedDefaultButton = TKGetDefaultButton(window);
  gSavedCancelButton = TKGetCancelButton(window);
  if (gSavedDefaultButton) TKSetDefaultButton(window, nullptr);
  if (gSavedCancelButton) TKSetCancelButton(window, nullptr);
  TKSetControlVisible(record->readout, false);
  VFUpdateValueText(control, TKGetControlValue(record->slider));
  TKSetControlVisible(record->editField, true);
  // A field that refuses the focus still shows the value.
  QVIgnoreStatus(QVSetKeyboardFocusToControl(record->editField));
  TKSetEditSelection(record->editField, 0, int32_t(TKGetEditText(record->editField).size()));
  gActiveEditSlider = control;
  gEditFieldOpen = true;
}

void VFEndEditing(TKControl* control, bool commit) {
  VFValueSlider* record = VFGetValueSlider(control);
  if (!record || !record->editField || !record->readout) {
    gEditFieldOpen = false;
    gActiveEditSlider = nullptr;
    return;
  }
  TKWindow* window = record->window;
  if (gSavedDefaultButton) TKSetDefaultButton(window, gSavedDefaultButton);
  if (gSavedCancelButton) TKSetCancelButton(window, gSavedCancelButton);
  gSavedDefaultButton = gSavedCancelButton = nullptr;
  QVClearKeyboardFocus(window);
  TKSetControlVisible(record->editField, false);
  TKSetControlVisible(record->readout, true);
  // Closed before the value is applied, so nothing it calls finds it open.
  gEditFieldOpen = false;
  gActiveEditSlider = nullptr;
  if (commit) {
    PushUndo(record->slider);
    const int32_t lo = VFGetInt32Property(record->editField, kVFPropTypedMin, INT32_MIN);
    const int32_t hi = VFGetInt32Property(record->editField, kVFPropTypedMax, INT32_MAX);
    const std::string text = TKGetEditText(record->editField);
    const int32_t value = VFTypedControlValue(text.c_str(), ScaleOf(record), lo, hi);
    TKSetControlValue(record->slider, value);
    VFWriteControlValue(record->slider, value, EditsWorkingRecord(record->slider));
    VFUpdateValueText(record->slider, value);
    StoreUndo(record->slider);
    VFForgetUndoControl();
  }
}

void VFCommitPendingEdit(bool commit) {
  if (gEditFieldOpen) VFEndEditing(gActiveEditSlider, commit);
}

void VFBeginTabChain() {
  gChainFirst = nullptr;
  gChainLast = nullptr;
}

void VFCloseTabChain() {
  if (gChainFirst && gChainLast) {
    VFSetPointerProperty(gChainLast, kVFPropNext, gChainFirst);
    VFSetPointerProperty(gChainFirst, kVFPropPrev, gChainLast);
  }
  gChainFirst = nullptr;
  gChainLast = nullptr;
}

double VFParseTypedNumber(const char* text) {
  if (!text) return 0;
  while (*text == ' ' || *text == '\t') ++text;
  if (*text == '+') ++text;
  double value = 0;
  const char* end = text + std::strlen(text);
  const auto result = std::from_chars(text, end, value, std::chars_format::general);
  if (result.ec == std::errc()) return value;
  if (result.ec != std::errc::result_out_of_range) return 0.0;
  // Too large or too small for a double: an infinity (clamped by the
  // caller) or 0, by the sign of the exponent.
  const char* e = std::find_if(text, result.ptr, [](char c) { return c == 'e' || c == 'E'; });
  if (e != result.ptr && e + 1 < result.ptr && e[1] == '-') return 0.0;
  return *text == '-' ? -HUGE_VAL : HUGE_VAL;
}

int32_t VFTypedControlValue(const char* text, double scale, int32_t low, int32_t high) {
  double value = VFParseTypedNumber(text);
  if (std::isnan(value)) value = 0;
  value = std::round(value * scale);  // may be infinite: the clamp below bounds it
  return int32_t(std::clamp(value, double(low), double(high)));
}
