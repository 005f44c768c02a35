// The waveform's graticule: a line every 10 IRE (labelled every 20) or every
// 100 mV (each labelled), the NTSC setup line at 7.5 IRE and the 350 mV
// line of the YCbCr parade, all in orange scaled by the brightness.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/views/waveform_internal.h"

namespace {

struct Colour16 {
  double red, green, blue;
};
constexpr Colour16 kLineColour{52736, 25344, 0};
constexpr Colour16 kExtraLineColour{38912, 18688, 0};

TKColor Scaled(Colour16 c, int32_t brightness) {
  double f = std::clamp(brightness / 65536.0, 0.0, 1.0) / 65535.0;
  return TKColorRGB(c.red * f, c.green * f, c.blue * f);
}

struct Painter {
  TKContext* ctx;
  const WaveformScale& scale;
  const WaveformLayout& layout;
  TKFont font;
  double penOffset;

  double Row(double ire) const {
    return layout.trace.bottom - 1 - std::round(WaveformHeightOfIRE(scale, layout, ire)) + penOffset;
  }
  void Line(double ire, double left) const {
    double y = Row(ire);
    TKBeginPath(ctx);
    TKMoveTo(ctx, left, y);
    TKLineTo(ctx, layout.trace.right, y);
    TKStrokePath(ctx);
  }
  void Label(double ire, long value) const {
    if (font.size < 1) return;
    char text[24];
    std::snprintf(text, sizeof text, "%ld", value);
    TKTextMetrics m = TKMeasureText(font, text);
    double y = Row(ire) - penOffset + (m.ascent - m.descent) / 2;
    TKDrawText(ctx, font, text, layout.labelRight - 2, std::round(y), kTKAlignRight);
  }
};

}  // namespace

void WaveformDrawGraticule(TKImage* picture, const TKRect& rect, const WaveformParams& p, const WaveformScale& scale,
                           const WaveformLayout& layout) {
  TKContext* ctx = TKBeginDrawing(picture);
  TKClear(ctx, TKColorRGB(0, 0, 0));
  TKClipRect(ctx, rect);
  int32_t pen = std::max(p.lineStep, 1);
  TKSetLineWidth(ctx, pen);
  TKSetAntialias(ctx, false);
  Painter paint{ctx, scale, layout, TKFont{"Helvetica", layout.fontSize, false, false}, (pen % 2) ? 0.5 : 0.0};
  TKColor line = Scaled(kLineColour, p.brightness), extra = Scaled(kExtraLineColour, p.brightness);
  TKSetStrokeColor(ctx, line);
  TKSetFillColor(ctx, line);

  for (int32_t value = scale.firstLine; value <= scale.lastLine; value += scale.lineStep) {
    // Every millivolt line is labelled; IRE lines every 20.
    bool labelled = scale.millivolts || value % 20 == 0;
    double ire = value / scale.unitsPerIRE;
    paint.Line(ire, labelled ? layout.labelRight : layout.shortLeft);
    if (labelled) paint.Label(ire, value);
  }
  if (scale.millivolts) {
    if (p.traceMode == kWFMTraceYCbCrParade) {
      TKSetStrokeColor(ctx, extra);
      paint.Line(350 / 7.0, layout.trace.left);
    }
  } else {
    if (p.videoSystem == kWFMSystemNTSC) {
      TKSetStrokeColor(ctx, extra);
      paint.Line(7.5, layout.trace.left);
    }
  }
  TKEndDrawing(ctx);
}
