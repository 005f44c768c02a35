// The waveform's vertical scale and horizontal layout.
//
// Heights: a code value v sits at IRE(v) = black IRE + (v - black level) /
// (white level - black level) x span, and the trace area runs from the
// bottom end of the scale to the top end, so black and white stay where they
// are whatever the units. The ends lie 10 IRE below the lower of black and
// code 0 and 10 IRE above the higher of white and code 255 (the bottom at
// -30 IRE at most for the YC waveform), rounded outward to 10 IRE and, at
// 7 mV per IRE, to 100 mV. The scale spans both roundings in either unit,
// so black and white stay where they are when the units change; the lines
// fall every 10 IRE or every 100 mV inside it.
//
// Across: the rectangle is cut into elevenths; the first is the label
// column, a third of one is kept free at the right, the rest is the trace
// area, split into equal panels with gaps of a fifth (three panels) or a
// sixth (four panels) of an eleventh.
#include <algorithm>
#include <cmath>

#include "app/views/waveform_internal.h"

namespace {

double RoundDown(double v, double step) { return std::floor(v / step + 1e-9) * step; }
double RoundUp(double v, double step) { return std::ceil(v / step - 1e-9) * step; }

int32_t PanelCount(int32_t traceMode) {
  switch (traceMode) {
    case kWFMTraceYCbCrParade:
    case kWFMTraceRGBParade:
    case kWFMTraceGBRParade: return 3;
    case kWFMTraceYRGBParade: return 4;
    default: return 1;
  }
}

}  // namespace

double WaveformIREOfCode(const WaveformScale& scale, const WaveformParams& params, double code) {
  double range = double(params.whiteLevel) - params.blackLevel;
  if (range == 0) return scale.blackIRE;
  return scale.blackIRE + (code - params.blackLevel) / range * scale.spanIRE;
}

WaveformScale WaveformComputeScale(const WaveformParams& params) {
  WaveformScale s;
  if (params.setupOffset != 0) {
    s.blackIRE = 7.5;
    s.spanIRE = 92.5;
  }
  double low = std::min({s.blackIRE, WaveformIREOfCode(s, params, 0), WaveformIREOfCode(s, params, 255)});
  double high = std::max({s.blackIRE + s.spanIRE, WaveformIREOfCode(s, params, 0), WaveformIREOfCode(s, params, 255)});
  s.bottomIRE = low - 10;
  if (params.flags & kWFMFlagChroma) s.bottomIRE = std::min(s.bottomIRE, -30.0);
  s.topIRE = high + 10;
  double bottom = std::min(RoundDown(s.bottomIRE, 10), RoundDown(s.bottomIRE * 7, 100) / 7);
  double top = std::max(RoundUp(s.topIRE, 10), RoundUp(s.topIRE * 7, 100) / 7);
  s.bottomIRE = bottom;
  s.topIRE = top;
  s.millivolts = (params.flags & kWFMFlagIRE) == 0;
  s.unitsPerIRE = s.millivolts ? 7 : 1;
  s.lineStep = s.millivolts ? 100 : 10;
  s.firstLine = int32_t(std::lround(RoundUp(bottom * s.unitsPerIRE, s.lineStep)));
  s.lastLine = int32_t(std::lround(RoundDown(top * s.unitsPerIRE, s.lineStep)));
  return s;
}

WaveformLayout WaveformComputeLayout(const TKRect& rect, int32_t traceMode) {
  WaveformLayout l;
  int32_t w = TKRectWidth(rect), h = TKRectHeight(rect);
  l.fontSize = h < 340 ? h / 20 : 16;
  // Room above the top line and below the bottom one for half a label.
  int32_t pad = int32_t(l.fontSize * 0.6) + 1;
  l.labelRight = rect.left + w / 11;
  l.shortLeft = rect.left + w / 33;
  l.trace = TKRect{rect.top + pad, l.labelRight, rect.bottom - pad, rect.right - w / 33};
  l.panelCount = PanelCount(traceMode);
  l.gap = l.panelCount == 3 ? w / 55 : l.panelCount == 4 ? w / 66 : 0;
  int32_t traceWidth = TKRectWidth(l.trace);
  l.panelWidth = std::max((traceWidth - (l.panelCount - 1) * l.gap) / l.panelCount, 0);
  if (TKRectHeight(l.trace) < 2) l.panelWidth = 0;
  return l;
}
