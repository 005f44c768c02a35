#include "app/window/input_settings_dialog.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/controls/bound_controls.h"
#include "app/state/interface_colors.h"
#include "app/window/input_settings_dialog_internal.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_event.h"
#include "platform/ui/ui_menu.h"
#include "platform/ui/ui_services.h"
#include "platform/ui/ui_window.h"

namespace {

constexpr uint32_t kCommandOK = QVFourCC("VLok");
constexpr uint32_t kCommandCancel = QVFourCC("VLn!");
constexpr int32_t kWindowWidth = 390, kWindowHeight = 250;

const char* const kTypeNames[6] = {
    "Levels", "Levels and Gamma", "Inverse Rec. 709", "Inverse Rec. 709 (Alternate)", "Log to Linear (Cineon)",
    "Logarithmic 12-bit Code",
};

// Each type's preset. A gamma of 0 keeps the slider's value.
struct Preset {
  int32_t blackMin, blackMax, black;
  int32_t whiteMin, whiteMax, white;
  bool gammaShown;
  double gamma;
  bool softClipShown;
};
const Preset kPresets[7] = {
    {0, 127, 0, 128, 255, 255, false, 0, false},       // 1, and any other type
    {0, 127, 0, 128, 255, 255, false, 0, false},       // 1 levels
    {0, 127, 0, 128, 255, 255, true, 1.0, false},      // 2 levels and power
    {0, 127, 0, 128, 255, 255, false, 2.2, false},     // 3 inverse Rec. 709
    {0, 127, 0, 128, 255, 255, false, 2.2, false},     // 4 the same
    {0, 1023, 95, 0, 1023, 685, true, 1.7, true},      // 5 log to linear
    {0, 4095, 64, 0, 4095, 4040, false, 0, false},     // 6 logarithmic 12-bit code
};

void (*gOpenedHook)(InputSettingsDialog*) = nullptr;

const Preset& PresetFor(int32_t type) { return kPresets[type >= 1 && type <= 6 ? type : 0]; }

void ShowReadout(const InputSettingsSlider& s) {
  char text[32];
  if (s.scale == 1) std::snprintf(text, sizeof text, "%d", TKGetControlValue(s.slider));
  else std::snprintf(text, sizeof text, "%.2f", TKGetControlValue(s.slider) / s.scale);
  TKSetEditText(s.readout, text);
}

void SetSliderValue(const InputSettingsSlider& s, double value) {
  double scaled = std::round(value * s.scale);
  scaled = std::clamp(scaled, double(TKGetControlMinimum(s.slider)), double(TKGetControlMaximum(s.slider)));
  TKSetControlValue(s.slider, int32_t(scaled));
  ShowReadout(s);
}

// Typed text into the slider: the number at its start (after spaces),
// clamped to the slider's range; text without a number leaves it alone.
void TakeTypedValue(const InputSettingsSlider& s) {
  std::string text = TKGetEditText(s.readout);
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return;
  double value = 0;
  auto [end, ec] = std::from_chars(text.data() + start, text.data() + text.size(), value);
  (void)end;
  if (ec != std::errc() || !std::isfinite(value)) return;
  double scaled = std::clamp(std::round(value * s.scale), double(TKGetControlMinimum(s.slider)),
                             double(TKGetControlMaximum(s.slider)));
  TKSetControlValue(s.slider, int32_t(scaled));
}

void CommitReadouts(const InputSettingsDialog& d) {
  for (const InputSettingsSlider* s : {&d.black, &d.white, &d.gamma}) {
    TakeTypedValue(*s);
    ShowReadout(*s);
  }
}

void SetSliderVisible(const InputSettingsSlider& s, bool visible) {
  TKSetControlVisible(s.label, visible);
  TKSetControlVisible(s.slider, visible);
  TKSetControlVisible(s.readout, visible);
}

void SetRange(const InputSettingsSlider& s, int32_t minimum, int32_t maximum) {
  TKSetControlMinimum(s.slider, minimum);
  TKSetControlMaximum(s.slider, maximum);
}

InputSettingsSlider MakeSlider(TKWindow* w, int32_t row, const char* label, int32_t minimum, int32_t maximum,
                               double scale) {
  InputSettingsSlider s;
  const int32_t top = kInputSettingsFirstSliderTop + 35 * row;
  s.label = TKNewStaticText(w, TKRect{top, 20, top + 20, 120}, label);
  s.slider = TKNewSlider(w, TKRect{top, 125, top + 20, 290}, minimum, minimum, maximum);
  s.readout = TKNewEditText(w, TKRect{top, kInputSettingsReadoutColumn.left, top + 22, kInputSettingsReadoutColumn.right}, "");
  s.scale = scale;
  ShowReadout(s);
  return s;
}

// The dialog a popup belongs to: the popup's reference value.
InputSettingsDialog* DialogOf(TKControl* popup) {
  return popup ? reinterpret_cast<InputSettingsDialog*>(TKGetControlRefCon(popup)) : nullptr;
}

void ApplyPreset(InputSettingsDialog& d, int32_t type) {
  const Preset& p = PresetFor(type);
  SetRange(d.black, p.blackMin, p.blackMax);
  SetRange(d.white, p.whiteMin, p.whiteMax);
  SetSliderValue(d.black, p.black);
  SetSliderValue(d.white, p.white);
  if (p.gamma > 0) SetSliderValue(d.gamma, p.gamma);
  SetSliderVisible(d.gamma, p.gammaShown);
  TKSetControlVisible(d.softClip, p.softClipShown);
}

void InstallReadoutHandlers(const InputSettingsSlider& s) {
  TKInstallControlHandler(s.slider, [s](TKEvent& e) -> QVStatus {
    if (e.kind == kTKEventValueChanged || e.kind == kTKEventControlHit) ShowReadout(s);
    return kQVErrNotHandled;
  });
  TKInstallControlHandler(s.readout, [s](TKEvent& e) -> QVStatus {
    if (e.kind == kTKEventValueChanged) TakeTypedValue(s);
    return kQVErrNotHandled;
  });
}

}  // namespace

void SetInputSettingsDialogOpenedHook(void (*hook)(InputSettingsDialog*)) { gOpenedHook = hook; }

double InputSettingsSliderValue(const InputSettingsSlider& s) { return TKGetControlValue(s.slider) / s.scale; }

void InputSettingsDialogBuild(InputSettingsDialog* d, const InputLinearization& record) {
  // Centred across the main display, a third of the free height down.
  TKRect screen = TKGetDisplayBounds(TKGetMainDisplay());
  int32_t left = screen.left + (TKRectWidth(screen) - kWindowWidth) / 2;
  int32_t top = screen.top + std::max(0, (TKRectHeight(screen) - kWindowHeight) / 3);
  TKWindow* w = TKCreateWindow(kTKWindowModal, TKMakeRect(left, top, kWindowWidth, kWindowHeight), "Input Settings");
  d->window = w;

  d->typeMenu = TKCreateMenu(kInputSettingsTypeMenuID, "");
  for (const char* name : kTypeNames) TKAppendMenuItem(d->typeMenu, name, 0);
  TKNewStaticText(w, TKRect{20, 20, 40, 155}, "Linearization Type:");
  d->typePopup = TKNewPopupButton(w, kInputSettingsTypePopupRect, "", d->typeMenu, 1);
  d->black = MakeSlider(w, 0, "Black Point", 0, 511, 1);
  d->white = MakeSlider(w, 1, "White Point", 512, 1023, 1);
  d->gamma = MakeSlider(w, 2, "Gamma", int32_t(std::lround(0.1 * 65536)), 5 * 65536, 65536);
  d->softClip = TKNewCheckBox(w, kInputSettingsSoftClipRect, "Soft Clip", 0);
  d->cancel = TKNewPushButton(w, kInputSettingsCancelRect, "Cancel", kCommandCancel);
  d->ok = TKNewPushButton(w, kInputSettingsOKRect, "OK", kCommandOK);
  TKSetDefaultButton(w, d->ok);
  TKSetCancelButton(w, d->cancel);
  // On the interface background, in the controls' colours; the buttons
  // take the control background.
  TKSetWindowContentColor(w, VFColor(kUIColorControlBackground));
  // Readouts keep the toolkit's text field colours.
  TKControl* root = TKGetRootControl(w);
  for (int32_t i = 0; i < TKCountChildren(root); ++i)
    if (TKGetControlKind(TKGetChild(root, i)) != kTKControlEditText)
      TKSetControlColorProc(TKGetChild(root, i), VFControlColorProc);

  TKControl* others[4] = {d->black.slider, d->white.slider, d->gamma.slider, d->softClip};
  const uint32_t tags[4] = {kInputSettingsBlackTag, kInputSettingsWhiteTag, kInputSettingsGammaTag,
                            kInputSettingsSoftClipTag};
  // A made control takes a property; only a missing one refuses.
  for (int i = 0; i < 4; ++i)
    QVIgnoreStatus(TKSetControlProperty(d->typePopup, kInputSettingsCreator, tags[i], &others[i], sizeof others[i]));
  TKSetControlRefCon(d->typePopup, reinterpret_cast<intptr_t>(d));
  for (const InputSettingsSlider* s : {&d->black, &d->white, &d->gamma}) InstallReadoutHandlers(*s);
  TKInstallControlHandler(d->typePopup, [popup = d->typePopup](TKEvent& e) -> QVStatus {
    if (e.kind == kTKEventControlHit && e.part == kTKPartMenu)
      SetInputSettingsPreset(popup, TKGetControlValue(popup), TKGetControlValue(popup));
    return kQVErrNotHandled;
  });

  // The record's type (inactive: levels) with its preset first, then the record's values.
  const bool active = uint32_t(record.flags) & kInputLinearizationActive;
  const int32_t type = active ? std::max(1, InputLinearizationType(record)) : 1;
  TKSetControlValue(d->typePopup, type);
  ApplyPreset(*d, type);
  if (active) {
    SetSliderValue(d->black, record.black);
    SetSliderValue(d->white, record.white);
    if (std::isfinite(record.gamma)) SetSliderValue(d->gamma, record.gamma);
    TKSetControlValue(d->softClip, record.softClip ? 1 : 0);
  }
}

bool InputSettingsDialogRead(const InputSettingsDialog& d, InputLinearization* record) {
  CommitReadouts(d);
  const int32_t black = TKGetControlValue(d.black.slider), white = TKGetControlValue(d.white.slider);
  if (white <= black) return false;
  const int32_t type = std::clamp(TKGetControlValue(d.typePopup), 1, 6);
  record->flags = int32_t(kInputLinearizationActive | (1u << (type - 1)));
  record->black = uint32_t(black);
  record->white = uint32_t(white);
  if (type >= 2) record->gamma = float(InputSettingsSliderValue(d.gamma));
  if (type == kInputLinLogToLinear) record->softClip = TKGetControlValue(d.softClip) ? 1 : 0;
  return true;
}

void InputSettingsDialogDispose(InputSettingsDialog* d) {
  TKDisposeWindow(d->window);
  TKDisposeMenu(d->typeMenu);
  *d = InputSettingsDialog{};
}

void SetInputSettingsPreset(TKControl* popup, int32_t value, int32_t type) {
  (void)value;
  InputSettingsDialog* d = DialogOf(popup);
  if (!d) return;
  CommitReadouts(*d);
  ApplyPreset(*d, type);
}

QVStatus RunInputSettingsDialog(InputLinearization* record) {
  if (!record) return kQVErrParam;
  InputSettingsDialog d;
  InputSettingsDialogBuild(&d, *record);
  TKInstallWindowHandler(d.window, [&d, record](TKEvent& e) -> QVStatus {
    if (e.kind != kTKEventCommand) return kQVErrNotHandled;
    if (e.command == kCommandCancel) {
      TKEndModal(d.window, 0);
      return kQVNoErr;
    }
    if (e.command != kCommandOK) return kQVErrNotHandled;
    InputLinearization edited = *record;
    if (!InputSettingsDialogRead(d, &edited)) {
      TKBeep();  // the white point must lie above the black point
      return kQVNoErr;
    }
    *record = edited;
    TKEndModal(d.window, 1);
    return kQVNoErr;
  });
  if (gOpenedHook) gOpenedHook(&d);
  const int32_t result = TKRunModal(d.window);
  InputSettingsDialogDispose(&d);
  return result == 1 ? kQVNoErr : kQVErrCancelled;
}
