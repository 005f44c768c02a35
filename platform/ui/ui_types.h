// Basic value types of the window toolkit: rectangles, points, colours,
// modifier bits and the character codes of special keys.
#pragma once

#include <cstdint>

#include "platform/input_state.h"
#include "platform/status.h"

// Rectangles are top, left, bottom, right in pixels, y growing downwards.
struct TKRect {
  int32_t top = 0;
  int32_t left = 0;
  int32_t bottom = 0;
  int32_t right = 0;
};

struct TKPoint {
  int32_t x = 0;
  int32_t y = 0;
};

// Colour components 0.0 to 1.0.
struct TKColor {
  double red = 0.0;
  double green = 0.0;
  double blue = 0.0;
  double alpha = 1.0;
};

inline TKRect TKMakeRect(int32_t left, int32_t top, int32_t width, int32_t height) {
  return TKRect{top, left, top + height, left + width};
}
inline int32_t TKRectWidth(const TKRect& r) { return r.right - r.left; }
inline int32_t TKRectHeight(const TKRect& r) { return r.bottom - r.top; }
inline bool TKRectContains(const TKRect& r, TKPoint p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
inline bool TKRectEmpty(const TKRect& r) { return r.right <= r.left || r.bottom <= r.top; }
inline TKRect TKRectInset(const TKRect& r, int32_t dx, int32_t dy) {
  return TKRect{r.top + dy, r.left + dx, r.bottom - dy, r.right - dx};
}
inline TKRect TKRectOffset(const TKRect& r, int32_t dx, int32_t dy) {
  return TKRect{r.top + dy, r.left + dx, r.bottom + dy, r.right + dx};
}
TKRect TKRectIntersect(const TKRect& a, const TKRect& b);

// A colour from 16-bit components (0-65535).
inline TKColor TKColorFrom16(uint16_t r, uint16_t g, uint16_t b) {
  return TKColor{r / 65535.0, g / 65535.0, b / 65535.0, 1.0};
}
inline TKColor TKColorRGB(double r, double g, double b, double a = 1.0) { return TKColor{r, g, b, a}; }

// Modifier bits of input events and of TKGetModifiers: the platform's own
// bits, so the input hook hands them on unchanged.
enum : uint32_t {
  kTKModCommand = kPLModifierCommand,
  kTKModShift = kPLModifierShift,
  kTKModCapsLock = kPLModifierCapsLock,
  kTKModOption = kPLModifierOption,
  kTKModControl = kPLModifierControl,
};

// Character codes of special keys.
enum : uint32_t {
  kTKKeyEnter = 3,
  kTKKeyBackspace = 8,
  kTKKeyTab = 9,
  kTKKeyReturn = 13,
  kTKKeyEscape = 27,
  kTKKeyLeft = 28,
  kTKKeyRight = 29,
  kTKKeyUp = 30,
  kTKKeyDown = 31,
  kTKKeyDelete = 127,
  kTKKeyFunction = 16,  // character code of every function key; keyCode tells which
};

// Virtual key codes of the function keys F1 to F12.
enum : uint32_t {
  kTKKeyCodeF1 = 122,
  kTKKeyCodeF2 = 120,
  kTKKeyCodeF3 = 99,
  kTKKeyCodeF4 = 118,
  kTKKeyCodeF5 = 96,
  kTKKeyCodeF6 = 97,
  kTKKeyCodeF7 = 98,
  kTKKeyCodeF8 = 100,
  kTKKeyCodeF9 = 101,
  kTKKeyCodeF10 = 109,
  kTKKeyCodeF11 = 103,
  kTKKeyCodeF12 = 111,
};
