// The dialog's window and controls, built and read apart from its modal loop
// so that tests can look at them.
#pragma once

#include <cstdint>

#include "app/controls/input_linearization.h"
#include "platform/fourcc.h"
#include "platform/ui/ui_types.h"

struct TKControl;
struct TKWindow;
struct TKMenu;

constexpr uint32_t kInputSettingsCreator = QVFourCC("QVc3");
constexpr uint32_t kInputSettingsBlackTag = QVFourCC("ctbp");
constexpr uint32_t kInputSettingsWhiteTag = QVFourCC("ctwp");
constexpr uint32_t kInputSettingsGammaTag = QVFourCC("ctgm");
constexpr uint32_t kInputSettingsSoftClipTag = QVFourCC("ctsc");
constexpr int32_t kInputSettingsTypeMenuID = 210;

// A labelled slider with an editable readout at its right; the slider's
// value is the field's value times scale.
struct InputSettingsSlider {
  TKControl* label = nullptr;
  TKControl* slider = nullptr;
  TKControl* readout = nullptr;
  double scale = 1;  // 65536 for gamma (16.16 fixed point)
};

struct InputSettingsDialog {
  TKWindow* window = nullptr;
  TKMenu* typeMenu = nullptr;
  TKControl* typePopup = nullptr;
  InputSettingsSlider black, white, gamma;
  TKControl* softClip = nullptr;
  TKControl* ok = nullptr;
  TKControl* cancel = nullptr;
};

// Where the controls lie in the 390 x 250 window.
constexpr TKRect kInputSettingsTypePopupRect{18, 160, 40, 370};
constexpr int32_t kInputSettingsFirstSliderTop = 60;   // rows 35 apart: black, white, gamma
constexpr TKRect kInputSettingsReadoutColumn{0, 300, 0, 370};
constexpr TKRect kInputSettingsSoftClipRect{165, 20, 185, 200};
constexpr TKRect kInputSettingsOKRect{208, 300, 230, 370};
constexpr TKRect kInputSettingsCancelRect{208, 217, 230, 287};

// Builds the (hidden) window with its controls set from the record.
void InputSettingsDialogBuild(InputSettingsDialog* dialog, const InputLinearization& record);
// The record OK would write, from the controls; false when the white point
// is at or below the black point (the record is then untouched).
bool InputSettingsDialogRead(const InputSettingsDialog& dialog, InputLinearization* record);
void InputSettingsDialogDispose(InputSettingsDialog* dialog);
// The slider's value as the field value (value / scale).
double InputSettingsSliderValue(const InputSettingsSlider& s);
// Called with the built dialog just before its modal loop starts (tests
// queue their input there); null removes it.
void SetInputSettingsDialogOpenedHook(void (*hook)(InputSettingsDialog* dialog));
