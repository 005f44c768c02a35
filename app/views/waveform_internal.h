// Scale and layout of the waveform monitor, shared by its files and tests.
#pragma once

#include <cstdint>

#include "app/views/waveform.h"

struct WaveformScale {
  double blackIRE = 0;    // 7.5 with setup, else 0
  double spanIRE = 100;   // black to white: 92.5 with setup, else 100
  double bottomIRE = 0;   // the scale's ends, the same in both units
  double topIRE = 0;
  bool millivolts = false;
  double unitsPerIRE = 1; // 7 in millivolts
  int32_t firstLine = 0;  // graticule lines in the display unit: first, last and step
  int32_t lastLine = 0;
  int32_t lineStep = 10;
};
WaveformScale WaveformComputeScale(const WaveformParams& params);

// The IRE value of a code value (equal white and black: black's IRE).
double WaveformIREOfCode(const WaveformScale& scale, const WaveformParams& params, double code);

struct WaveformLayout {
  TKRect trace{};           // the trace area
  int32_t labelRight = 0;   // right edge of the label column
  int32_t shortLeft = 0;    // left end of the unlabelled lines
  int32_t panelCount = 1;
  int32_t panelWidth = 0;   // 0 when a panel would be narrower than a pixel
  int32_t gap = 0;
  double fontSize = 16;
};
WaveformLayout WaveformComputeLayout(const TKRect& rect, int32_t traceMode);

inline int32_t WaveformPanelLeft(const WaveformLayout& layout, int32_t panel) {
  return layout.trace.left + panel * (layout.panelWidth + layout.gap);
}

// The height of an IRE value above the bottom row of the trace area, in
// pixels: the bottom end on the bottom row, the top end on the top row.
inline double WaveformHeightOfIRE(const WaveformScale& scale, const WaveformLayout& layout, double ire) {
  return (ire - scale.bottomIRE) / (scale.topIRE - scale.bottomIRE) * (TKRectHeight(layout.trace) - 1);
}

void WaveformDrawGraticule(TKImage* picture, const TKRect& rect, const WaveformParams& params,
                           const WaveformScale& scale, const WaveformLayout& layout);
