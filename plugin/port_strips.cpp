// The button strips through the 2D port. A button's corners are cut as a
// radius-4 curve falls on whole pixels: the top and bottom rows start two
// pixels in, the rows next to them one pixel in.
#include "plugin/port_strips.h"

#include <algorithm>
#include <cmath>

#include "plugin/panel_strip_looks.h"

namespace {

// How far in a button's row starts, for the rows from its top or bottom.
constexpr int32_t kCornerInset[3] = {2, 1, 0};
constexpr int32_t kLogoNameScale = 2;

int32_t InsetOfRow(int32_t row, int32_t height) {
  const int32_t fromEdge = std::min(row, height - 1 - row);
  return fromEdge < 3 ? kCornerInset[fromEdge] : 0;
}

void PaintRow(PPPort* port, int32_t left, int32_t right, int32_t y) { PPPaintRect(port, PPRect{left, y, right, y + 1}); }

}  // namespace

uint32_t PortStripPixel(const VLStripColor& c) {
  auto component = [](double v) { return uint16_t(std::lround(std::clamp(v, 0.0, 1.0) * 65535.0)); };
  return PPPixelOf(PPColor{component(c.red), component(c.green), component(c.blue)});
}

void PortDrawStripButton(PPPort* port, const char* picture, int32_t state, int32_t left, int32_t top) {
  const VLStripButtonLook* look = picture ? VLStripButtonLookOf(picture) : nullptr;
  if (!port || !look) return;
  state = std::clamp(state, 0, 2);
  const int32_t width = look->width, height = kVLStripButtonHeight;
  const uint32_t savedFore = port->fore;
  // The face inside the edge, then the edge round it.
  port->fore = PortStripPixel(kVLStripButtonFaces[state]);
  for (int32_t row = 1; row < height - 1; ++row) {
    const int32_t inset = std::max(InsetOfRow(row, height), 1);
    PaintRow(port, left + inset, left + width - inset, top + row);
  }
  port->fore = PortStripPixel(kVLStripButtonEdge);
  for (int32_t row = 0; row < height; ++row) {
    const int32_t inset = InsetOfRow(row, height);
    if (row == 0 || row == height - 1) {
      PaintRow(port, left + inset, left + width - inset, top + row);
      continue;
    }
    PPSetPixel(port, left + inset, top + row, port->fore);
    PPSetPixel(port, left + width - 1 - inset, top + row, port->fore);
  }
  // The label centred across the face, its capitals centred down it.
  port->fore = PortStripPixel(kVLStripButtonLabels[state]);
  const int32_t textLeft = left + (width - PPTextWidthCondensed(look->label, 1) + 1) / 2;
  const int32_t baseline = top + (height - kPPFontAscent) / 2 + kPPFontAscent;
  PPDrawTextCondensed(port, look->label, textLeft, baseline, 1);
  port->fore = savedFore;
}

void PortDrawLogo(PPPort* port, int32_t left, int32_t top, bool lightText) {
  if (!port) return;
  const uint32_t savedFore = port->fore;
  port->fore = PortStripPixel(lightText ? kVLLogoNameWhite : kVLLogoNameDark);
  PPDrawTextCondensed(port, kVLLogoName, left + kVLLogoNameLeft, top + kVLLogoBaseline, kLogoNameScale);
  port->fore = PortStripPixel(kVLLogoLineColor);
  PPDrawTextCondensed(port, kVLLogoLine, left + kVLLogoLineLeft, top + kVLLogoBaseline, 1);
  port->fore = savedFore;
}
