// Basic value types of the window toolkit: rectangles, points, colours,
// modifier bits and the character codes of special keys.
#pragma once

#include <cstdint>

#include "platform/input_state.h"
#include "platform/status.h"

// Rectangles are top, left, bottom, right in pixels, y growing downwards.
struct UIRect {
  int32_t top = 0;
  int32_t left = 0;
  int32_t bottom = 0;
  int32_t right = 0;
};

struct UIPoint {
  int32_t x = 0;
  int32_t y = 0;
};

// Colour components 0.0 to 1.0.
struct UIColor {
  double red = 0.0;
  double green = 0.0;
  double blue = 0.0;
  double alpha = 1.0;
};

inline UIRect UIMakeRect(int32_t left, int32_t top, int32_t width, int32_t height) {
  return UIRect{top, left, top + height, left + width};
}
inline int32_t UIRectWidth(const UIRect& r) { return r.right - r.left; }
inline int32_t UIRectHeight(const UIRect& r) { return r.bottom - r.top; }
inline bool UIRectContains(const UIRect& r, UIPoint p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
inline bool UIRectEmpty(const UIRect& r) { return r.right <= r.left || r.bottom <= r.top; }
inline UIRect UIRectInset(const UIRect& r, int32_t dx, int32_t dy) {
  return UIRect{r.top + dy, r.left + dx, r.bottom - dy, r.right - dx};
}
inline UIRect UIRectOffset(const UIRect& r, int32_t dx, int32_t dy) {
  return UIRect{r.top + dy, r.left + dx, r.bottom + dy, r.right + dx};
}
UIRect UIRectIntersect(const UIRect& a, const UIRect& b);

// A colour from 16-bit components (0-65535).
inline UIColor UIColorFrom16(uint16_t r, uint16_t g, uint16_t b) {
  return UIColor{r / 65535.0, g / 65535.0, b / 65535.0, 1.0};
}
inline UIColor UIColorRGB(double r, double g, double b, double a = 1.0) { return UIColor{r, g, b, a}; }

// Modifier bits of input events and of UIGetModifiers: the platform's own
// bits, so the input hook hands them on unchanged.
enum : uint32_t {
  kUIModCommand = kPLModifierCommand,
  kUIModShift = kPLModifierShift,
  kUIModCapsLock = kPLModifierCapsLock,
  kUIModOption = kPLModifierOption,
  kUIModControl = kPLModifierControl,
};

// Character codes of special keys.
enum : uint32_t {
  kUIKeyEnter = 3,
  kUIKeyBackspace = 8,
  kUIKeyTab = 9,
  kUIKeyReturn = 13,
  kUIKeyEscape = 27,
  kUIKeyLeft = 28,
  kUIKeyRight = 29,
  kUIKeyUp = 30,
  kUIKeyDown = 31,
  kUIKeyDelete = 127,
  kUIKeyFunction = 16,  // character code of every function key; keyCode tells which
};

// Virtual key codes of the function keys F1 to F12.
enum : uint32_t {
  kUIKeyCodeF1 = 122,
  kUIKeyCodeF2 = 120,
  kUIKeyCodeF3 = 99,
  kUIKeyCodeF4 = 118,
  kUIKeyCodeF5 = 96,
  kUIKeyCodeF6 = 97,
  kUIKeyCodeF7 = 98,
  kUIKeyCodeF8 = 100,
  kUIKeyCodeF9 = 101,
  kUIKeyCodeF10 = 109,
  kUIKeyCodeF11 = 103,
  kUIKeyCodeF12 = 111,
};
