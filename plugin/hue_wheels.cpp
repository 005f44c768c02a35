// The four hue-offset wheels: a marker per wheel at (hue angle - 103
// degrees) on the screen and the amount times the radius from the centre.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "core/engine_lock.h"
#include "platform/host/host_signatures.h"
#include "plugin/panel_displays.h"
#include "plugin/port_displays.h"
#include "plugin/plugin_preferences.h"
#include "settings/prefs.h"
#include "support/colors.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Shared by click and drag: the marker (from the centre, unrounded) and the
// last mouse point (from the centre).
struct WheelDragState {
  double markerX = 0, markerY = 0;
  int16_t mouseX = 0, mouseY = 0;
};
WheelDragState gWheelDrag;

// Made at the first drawing and kept for the life of the process.
FBFrameStruct* gHueWheelImage = nullptr;

// Sets the wheel from a marker position relative to the centre, held to the rim.
void SetFromMarker(VL_HueWheelControls* w, double dx, double dy, double radius) {
  double a = std::atan2(dy, dx);
  double d = std::hypot(dx, dy);
  if (d > radius) {
    dx = radius * std::cos(a);
    dy = radius * std::sin(a);
    w->strength = 1.0f;
  } else {
    w->strength = float(d / radius);
  }
  double hue = a + kWheelAngleOffset;
  const double twoPi = 2.0 * double(float(kPi));
  if (hue < 0) hue += twoPi;
  if (hue > twoPi) hue -= twoPi;
  w->tintangle = float(hue * 180.0 / kPi);
  gWheelDrag.markerX = dx;
  gWheelDrag.markerY = dy;
}

void MarkerOf(const VL_HueWheelControls& w, double radius, double* dx, double* dy) {
  double a = double(w.tintangle) * kPi / 180.0 - kWheelAngleOffset;
  *dx = radius * double(w.strength) * std::cos(a);
  *dy = radius * double(w.strength) * std::sin(a);
}

bool FineOrCoarse(uint32_t modifiers) { return (modifiers & (kHIModifierCommand | kHIModifierShift)) != 0; }

double MoveFactor(uint32_t modifiers) {
  const bool command = modifiers & kHIModifierCommand, shift = modifiers & kHIModifierShift;
  if (command && shift) return 0.01;
  return command ? 0.1 : 10.0;
}

// A click puts the marker under the mouse; with command or shift it leaves
// the wheel alone and takes the marker where it is, and drags then move it
// by a fraction or a multiple of the mouse's movement.
void MoveWheel(int32_t width, VL_HSLOffsetControls* offsets, int32_t wheel, int32_t x, int32_t y,
               uint32_t modifiers, bool drag) {
  if (wheel < 0 || wheel > 3) return;
  const double radius = width / 2;
  const double centre = radius + kPanelDisplayInset;
  const double dx = x - centre, dy = y - centre;
  VL_HueWheelControls* w = &offsets->wheel[wheel];
  if (!FineOrCoarse(modifiers)) {
    SetFromMarker(w, dx, dy, radius);
  } else if (drag) {
    const double f = MoveFactor(modifiers);
    SetFromMarker(w, gWheelDrag.markerX + (dx - gWheelDrag.mouseX) * f,
                  gWheelDrag.markerY + (dy - gWheelDrag.mouseY) * f, radius);
  } else {
    MarkerOf(*w, radius, &gWheelDrag.markerX, &gWheelDrag.markerY);
  }
  gWheelDrag.mouseX = int16_t(dx);
  gWheelDrag.mouseY = int16_t(dy);
}

const char* WheelName(int32_t wheel) {
  static const char* const kNames[4] = {"Master", "Shadows", "Midtones", "Highlights"};
  return wheel >= 0 && wheel < 4 ? kNames[wheel] : "Index out of Range";
}

// ---------------------------------------------------------------------------
// The area's events

bool InWheel(int32_t x, int32_t y) {
  return x >= kPanelDisplayInset && x <= kPanelDisplayInset + kPanelDisplaySize - 1 && y >= kPanelDisplayInset &&
         y <= kPanelDisplayInset + kPanelDisplaySize - 1;
}

void WheelClick(VL_SettingsStruct* s, VLSeqData*, int32_t wheel, HIPoint origin, int32_t x, int32_t y,
                uint32_t modifiers) {
  MacHueOffsetClick(origin, kPanelDisplaySize, kPanelDisplaySize, &s->hueOffsets, wheel, x, y, modifiers);
  s->hueOffsets.word0 = 1;
  s->hueOffsetEnable = 1;
  s->hslEnable = 1;
}

void WheelDrag(VL_SettingsStruct* s, VLSeqData*, int32_t wheel, HIPoint origin, int32_t x, int32_t y, bool,
               uint32_t modifiers) {
  MacHueOffsetDrag(origin, kPanelDisplaySize, kPanelDisplaySize, &s->hueOffsets, wheel, x, y, modifiers);
}

void WheelMenu(VL_SettingsStruct* s, VLSeqData*, int32_t wheel) {
  static const CTMMenuItem kItems[] = {
      {"Reset Hue Wheel", 1, 1, 0}, {"Reset All Hue Wheels", 2, 1, 0}, {nullptr, 0, 0, 0}};
  WheelMenuContext context{wheel, &s->hueOffsets, s};
  // The menu is the plug-in's own and opens in the host's process, which is
  // the one in front while the user works in its panel.
  // The menu's choices act through the handler; the menu itself reports nothing.
  QVIgnoreStatus(CTMDoContextualMenu(kItems, HandleHueWheelsContextMenu, &context));
}

void WheelDraw(const VL_SettingsStruct* s, const VLSeqData*, int32_t wheel, int32_t left, int32_t top,
               DrawbotContext* draw) {
  DrawbotHueOffsetDisplay(left, top, kPanelDisplaySize, kPanelDisplaySize, &s->hueOffsets, wheel, draw);
}

void WheelPortDraw(const VL_SettingsStruct* s, const VLSeqData*, int32_t wheel, int32_t left, int32_t top,
                   PPPort* port) {
  MacDrawHueOffsetDisplay(port, int16_t(left), int16_t(top), kPanelDisplaySize, kPanelDisplaySize, &s->hueOffsets,
                          wheel);
}

int32_t WheelCursor(int32_t x, int32_t y, bool menuModifier) {
  auto inside = [](int32_t v) { return v >= 11 && v <= 351 && !(v >= 171 && v <= 191); };
  if (!inside(x) || !inside(y)) return kHICursorNone;
  return menuModifier ? kHICursorContextMenu : -1;
}

const PanelDisplayKind kWheelKind = {"Hue Wheel Adjustment", kWheelAreaSize, kPanelCellSize, false, InWheel,
                                     WheelClick, WheelDrag, WheelMenu, WheelDraw, WheelCursor,
                                     WheelPortDraw};

}  // namespace

HIError HandleHueOffsetWheelEvents(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld*,
                                   HIEventExtra* event, const VLGlobalData* globals) {
  return HandlePanelDisplayEvents(in, out, params, event, globals, kWheelKind);
}

void MacHueOffsetClick(HIPoint, int32_t width, int32_t, VL_HSLOffsetControls* offsets, int32_t wheel, int32_t x,
                       int32_t y, uint32_t modifiers) {
  MoveWheel(width, offsets, wheel, x, y, modifiers, false);
}

void MacHueOffsetDrag(HIPoint, int32_t width, int32_t, VL_HSLOffsetControls* offsets, int32_t wheel, int32_t x,
                      int32_t y, uint32_t modifiers) {
  MoveWheel(width, offsets, wheel, x, y, modifiers, true);
}

void HandleHueWheelsContextMenu(int32_t, int32_t message, int32_t tag, TKMenu*, void* userData) {
  auto* context = static_cast<WheelMenuContext*>(userData);
  if (message != kCTMMessageChosen || !context || context->wheel < 0 || context->wheel > 3) return;
  if (tag == 1) {
    auto defaults = std::make_unique<VL_SettingsStruct>();
    std::memset(defaults.get(), 0, sizeof *defaults);
    CheckPreferencesValidity();
    VL_SetDefaultControlValues(defaults.get(), kVLMaskAll);
    const VL_HueWheelControls& d = defaults->hueOffsets.wheel[context->wheel];
    context->offsets->wheel[context->wheel].tintangle = d.tintangle;
    context->offsets->wheel[context->wheel].strength = d.strength;
  } else if (tag == 2) {
    CheckPreferencesValidity();
    VL_SetDefaultControlValues(context->settings, VLMaskBit(kVLMaskBitHueOffsets));
  }
}

FBFrameStruct* CreateHueWheelFrameBuffer(int32_t width, int32_t height, int32_t radius) {
  if (width <= 0 || height <= 0 || radius <= 0) return nullptr;
  FBFrameStruct* large = nullptr;
  if (FBCreateRGBFrameBuffer(uint32_t(width) * 4, uint32_t(height) * 4, &large, kFBPixFormat32ARGB) != kQVNoErr ||
      !large)
    return nullptr;
  const float saturation = float(gPrefsSettings.uiSaturation) / 65536.0f;
  const double cx = width * 2.0, cy = height * 2.0, r4 = 4.0 * radius;
  for (uint32_t row = 0; row < large->height; ++row) {
    auto* pixels = reinterpret_cast<uint32_t*>(large->baseAddr + size_t(row) * large->rowBytes);
    for (uint32_t col = 0; col < large->width; ++col) {
      const double x = col + 0.5 - cx, v = row + 0.5 - cy;
      const double d = std::hypot(x, v) / r4;
      if (d >= 1.0) {
        pixels[col] = 0xFF282828u;
        continue;
      }
      const double degrees = std::atan2(-x, v) * 180.0 / kPi;
      QVHSLColor hsl;
      hsl.hue = uint16_t(int64_t((360.0 - (degrees - 167.0)) * 182.04166666666669) & 0xFFFF);
      hsl.saturation = uint16_t((0.6 * d + 0.4) * 65535.0);
      hsl.lightness = uint16_t(((1.0 - d) * 0.45 + 0.5) * 65535.0);
      QVRGBColor rgb;
      QV_HSL2RGB(&hsl, &rgb);
      AdjustColorSaturation(&rgb, saturation);
      pixels[col] = 0xFF000000u | uint32_t(rgb.red >> 8) << 16 | uint32_t(rgb.green >> 8) << 8 | (rgb.blue >> 8);
    }
  }
  FBFrameStruct* wheel = nullptr;
  if (FBCreateRGBFrameBuffer(uint32_t(width), uint32_t(height), &wheel, kFBPixFormat32ARGB) == kQVNoErr && wheel) {
    VL_EngineLockGuard engine;  // the reduction may run on the task pool
    FBCopyFrameBuffer(large, wheel);
  }
  FBDisposeFrameBuffer(large);
  return wheel;
}

void DrawbotHueOffsetDisplay(int32_t left, int32_t top, int32_t width, int32_t height,
                             const VL_HSLOffsetControls* offsets, int32_t wheel, DrawbotContext* draw) {
  if (!draw || !draw->ok()) return;
  if (!gHueWheelImage) gHueWheelImage = CreateHueWheelFrameBuffer(width + 20, height + 20, width / 2);
  if (gHueWheelImage)
    DrawPixelBuffer(gHueWheelImage->baseAddr, int32_t(gHueWheelImage->width), int32_t(gHueWheelImage->height),
                    int32_t(gHueWheelImage->rowBytes), kHIDrawPixelLayoutBGRA, draw, float(left), float(top),
                    HIDrawPointF{0, 0});
  const HIDrawColor dark{0.157f, 0.157f, 0.157f, 1}, light{0.83f, 0.83f, 0.83f, 1}, black{0, 0, 0, 1};

  float fontSize = 12.0f;
  draw->suites.supplier->get_default_font_size(draw->supplierRef, &fontSize);
  DrawbotString(draw, WheelName(wheel), left + 10.0, top + 1.1 * fontSize, 1.1, light);

  const double radius = width / 2;
  const double cx = left + 10.0 + width / 2.0, cy = top + 10.0 + height / 2.0;
  double mx = 0, my = 0;
  if (wheel >= 0 && wheel < 4) MarkerOf(offsets->wheel[wheel], radius, &mx, &my);
  {
    DrawbotPath ticks(draw);
    for (double hue : {60.0, 0.0, 300.0, 240.0, 180.0, 120.0}) {
      const double a = (hue - 103.0) * kPi / 180.0;
      ticks.moveTo(cx + radius * std::cos(a), cy + radius * std::sin(a));
      ticks.lineTo(cx + (radius - 8) * std::cos(a), cy + (radius - 8) * std::sin(a));
    }
    ticks.stroke(dark, 1.5);
  }
  {
    DrawbotPath marker(draw);
    marker.moveTo(cx, cy);
    marker.lineTo(cx + mx, cy + my);
    marker.stroke(black, 1.0);
  }
  DrawbotPath circles(draw);
  circles.circle(cx + mx, cy + my, 2.5);
  circles.circle(cx, cy, 2.5);
  circles.fill(light);
  circles.stroke(black, 1.0);
}
