// The interface's own colours: 41 greys for controls, panes and text, and
// 13 accent colours for scopes, curves and markers, rebuilt from fixed values
// and adjusted by the "UI Brightness" and "UI Saturation" preferences.
#pragma once

#include <cstdint>

#include "support/support_types.h"

constexpr int kUIInterfaceColorCount = 41;
constexpr int kUIAccentColorCount = 13;

// Entries the controls name.
enum : int {
  kUIColorControlBackground = 0,
  kUIColorTextFlipReference = 18,
  kUIColorReadoutTextActive = 19,
  kUIColorReadoutTextInactive = 20,
  kUIColorSelectedTabFill = 27,
  kUIColorLabelTextActive = 28,
  kUIColorLabelTextInactive = 29,
  kUIColorPaneBackground = 39,
};

extern QVRGBColor gInterfaceColors[kUIInterfaceColorCount];
extern QVRGBColor gInterfaceAccentColors[kUIAccentColorCount];

// Fills gInterfaceColors with its greys at full brightness.
void InitInterfaceColors();
// Rebuilds gInterfaceColors scaled by brightness (16.16 fixed point); text
// colours are inverted when the text background ends up dark.
void ApplyInterfaceBrightness(int32_t brightness);
// Rebuilds gInterfaceAccentColors desaturated by saturation (16.16 fixed point).
void ApplyInterfaceSaturation(int32_t saturation);
