// The hue-offset wheel: a point on a colour wheel whose direction is a tint
// angle (degrees) and whose distance from the centre, relative to the
// wheel's radius, is a strength 0..1, bound to two float fields of the
// working record. "Hue" and "Strength" value sliders below it read and edit
// the same fields; wheel and sliders keep each other up to date. Control
// surfaces turn and nudge the wheel; the synchroniser sets it
// (HueWheelSetAngle and HueWheelSetStrength in special_setters.h).
//
// CreateHueWheel (composite_controls.h) makes the wheel with control number
// N ('VFho' N, label 'VFlb' N) and its readouts 'VFsl' N + 1 (angle) and
// N + 2 (strength).
#pragma once

#include <cstdint>

#include "platform/fourcc.h"
#include "platform/ui/ui_types.h"

struct TKControl;
struct TKImage;
struct TKMenu;

constexpr uint32_t kHueWheelSignature = QVFourCC("VFho");
constexpr uint32_t kHueWheelPropAngleOffset = QVFourCC("hoco");     // int32: byte offset of the angle
constexpr uint32_t kHueWheelPropStrengthOffset = QVFourCC("hoso");  // int32: byte offset of the strength
constexpr int16_t kHueWheelPart = 128;
constexpr int32_t kHueWheelMenuID = 201;
constexpr int32_t kHueWheelPictureID = 200;  // the ready-drawn 151-px wheel, when registered
// Menu items.
enum : int32_t { kHueWheelMenuCentre = 1, kHueWheelMenuReset = 2 };
// Shift-drags move the point at this fraction of the mouse's movement.
constexpr double kHueWheelFineFactor = 0.1;

// What a wheel shows; false for a control that is not a wheel.
struct HueWheelState {
  float angle;
  float strength;
  int32_t pointX, pointY;  // from the wheel's centre, y downwards
  int32_t radius;
  TKRect wheelRect;        // the bounds inset by 2 px
};
bool HueWheelGetState(TKControl* wheel, HueWheelState* out);

// Turns the angle by delta degrees, wrapped into [0, 360); a delta that is
// not finite changes nothing.
void HueWheelRotate(TKControl* wheel, float deltaDegrees, bool redraw);
// Moves the point by (dx, dy) pixels, fractions included; with reprocess
// the picture follows.
void HueWheelNudge(TKControl* wheel, float dx, float dy, bool reprocess);
// Writes both values into the working record; with reprocess, when either
// differs from what the record held, the enclosing tabs are switched on and
// the picture is reprocessed.
void HueWheelWriteSettings(TKControl* wheel, bool reprocess, float angle, float strength);

// Change procedures of the readouts (the field's new float bits).
void HueWheelApplyAngle(TKControl* readout, uint32_t newFieldBits, bool redraw);
void HueWheelApplyStrength(TKControl* readout, uint32_t newFieldBits, bool redraw);

// The wheel's context menu (menu 201: "Center", "Reset"); acts in phase 2.
void HueWheelContextMenuProc(TKControl* wheel, int32_t phase, int32_t chosen, TKMenu* menu, int32_t refValue);
TKMenu* HueWheelMenu();

// The generated wheel picture for a wheel rectangle and radius: twice the
// rectangle's size, desaturated by saturationFactor (1 keeps the colours),
// with the centre square and six tick marks. The caller disposes it.
TKImage* BuildHueWheelImage(const TKRect& wheelRect, int32_t radius, float saturationFactor);
