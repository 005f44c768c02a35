// How the button strips look: each button's picture name, label and width,
// the face, label and edge colours of its three states, and the logo's two
// lines. The 64-bit build draws the pictures from these at build time; the
// 32-bit build draws the same through its 2D port.
#pragma once

#include <cstdint>
#include <cstring>

// Colour components from 0 to 1.
struct VLStripColor {
  double red, green, blue;
};

struct VLStripButtonLook {
  const char* picture;  // "<picture> Button Up.png" and so on
  const char* label;
  int32_t width;
};

inline constexpr VLStripButtonLook kVLStripButtons[] = {
    {"Full", "Full Interface", 82}, {"Load", "Load", 75},           {"Reset", "Reset", 44},
    {"About", "About", 51},         {"Auto Color", "Auto Color", 89}, {"Auto Exposure", "Auto Exposure", 89},
};
constexpr int32_t kVLStripButtonHeight = 18;
constexpr int32_t kVLStripButtonCornerRadius = 4;

// By state: up, down, rollover.
inline constexpr VLStripColor kVLStripButtonFaces[3] = {{0.86, 0.86, 0.88}, {0.42, 0.45, 0.52}, {0.93, 0.95, 1.0}};
inline constexpr VLStripColor kVLStripButtonLabels[3] = {{0.1, 0.1, 0.12}, {1, 1, 1}, {0.05, 0.2, 0.55}};
inline constexpr VLStripColor kVLStripButtonEdge = {0.3, 0.3, 0.34};

// The logo: the name, dark or white after the panel's text, and a line
// beside it in the accent colour; both on one baseline.
constexpr int32_t kVLLogoWidth = 279, kVLLogoHeight = 26;
constexpr int32_t kVLLogoBaseline = 20;
inline constexpr const char* kVLLogoName = "Velmora";
constexpr int32_t kVLLogoNameLeft = 6;
inline constexpr VLStripColor kVLLogoNameDark = {0.12, 0.12, 0.16};
inline constexpr VLStripColor kVLLogoNameWhite = {1, 1, 1};
inline constexpr const char* kVLLogoLine = "colour correction 3";
constexpr int32_t kVLLogoLineLeft = 92;
inline constexpr VLStripColor kVLLogoLineColor = {0.85, 0.35, 0.1};

// The look of the button with that picture name; null for none.
inline const VLStripButtonLook* VLStripButtonLookOf(const char* picture) {
  for (const VLStripButtonLook& b : kVLStripButtons)
    if (std::strcmp(b.picture, picture) == 0) return &b;
  return nullptr;
}
