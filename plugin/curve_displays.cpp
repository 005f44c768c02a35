// The four curve displays: master, red, green and blue curves of the
// correction, each drawn over its gradient with a grid, edited by clicking
// and dragging points.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/host/host_signatures.h"
#include "plugin/panel_displays.h"
#include "plugin/panel_events.h"
#include "plugin/plugin_preferences.h"
#include "plugin/port_displays.h"
#include "settings/curve_backgrounds.h"
#include "settings/curve_files.h"
#include "settings/prefs.h"
#include "support/alerts.h"
#include "support/output_file.h"

namespace {

// Catmull-Rom basis: the weights of points i - 1, i, i + 1, i + 2 for t^3, t^2, t, 1.
const float kCatmullRom[4][4] = {{-0.5f, 1.0f, -0.5f, 0.0f},
                                 {1.5f, -2.5f, 0.0f, 1.0f},
                                 {-1.5f, 2.0f, 0.5f, 0.0f},
                                 {0.5f, -0.5f, 0.0f, 0.0f}};
constexpr int kSplineSteps = 1000;

struct SplineSteps {
  float rows[kSplineSteps][4];
};
// The basis evaluated once at every step.
const decltype(SplineSteps::rows)& SplineTable() {
  static const SplineSteps steps = [] {
    SplineSteps s;
    SplineCurveGen(kCatmullRom, s.rows);
    return s;
  }();
  return steps.rows;
}

struct CurveColours {
  double curve[3];
  double points[3];
};
const CurveColours kCurveColours[4] = {{{0.717, 0.717, 0.917}, {1, 1, 1}},
                                       {{1, 0, 0}, {1, 0.51, 0.51}},
                                       {{0, 0.847, 0}, {0.51, 1, 0.51}},
                                       {{0, 0.458, 1}, {0.663, 0.663, 1}}};

// ---------------------------------------------------------------------------
// The area's events

bool InPlot(int32_t x, int32_t y) {
  return x >= kPanelDisplayInset && x <= kPanelDisplayInset + kPanelDisplaySize - 1 && y >= kCurvePlotTop &&
         y <= kCurvePlotTop + kPanelDisplaySize - 1;
}

int32_t* Selection(VLSeqData* sequence, int32_t display, const VL_CurveControls& curve) {
  int32_t* selected = &sequence->selectedPoint[display];
  *selected = PanelValidSelection(*selected, curve);
  return selected;
}

void CurveClickAt(VL_SettingsStruct* s, VLSeqData* sequence, int32_t display, HIPoint, int32_t x, int32_t y,
                  uint32_t modifiers) {
  VL_CurveControls* curve = &s->rgbCurves[display];
  if (!(curve->modeFlags & kVLCurveModeMap)) curve->spline.pointCount = PanelPointCount(*curve);
  CurveClick(kPanelDisplaySize, kPanelDisplaySize, curve, Selection(sequence, display, *curve), display,
             CurvePointer{int16_t(x), int16_t(y)}, modifiers);
  s->curvesEnable = 1;
  s->rgbCurvesEnable = 1;
}

void CurveDragTo(VL_SettingsStruct* s, VLSeqData* sequence, int32_t display, HIPoint, int32_t x, int32_t y,
                 bool last, uint32_t modifiers) {
  VL_CurveControls* curve = &s->rgbCurves[display];
  if (!(curve->modeFlags & kVLCurveModeMap)) curve->spline.pointCount = PanelPointCount(*curve);
  CurveDrag(kPanelDisplaySize, kPanelDisplaySize, curve, Selection(sequence, display, *curve), display,
            CurvePointer{int16_t(x), int16_t(y)}, last, modifiers);
}

void CurveMenu(VL_SettingsStruct* s, VLSeqData* sequence, int32_t display) {
  static const CTMMenuItem kItems[] = {{"Delete Point", 1, 1, 0}, {"Reset Curve", 2, 1, 0},
                                       {"Reset All Curves", 3, 1, 0}, {"-", 0, 0, 0},
                                       {"Load Curves", 5, 1, 0}, {"Save Curves", 6, 1, 0},
                                       {nullptr, 0, 0, 0}};
  CurveMenuContext context{display, Selection(sequence, display, s->rgbCurves[display]), s->rgbCurves, s};
  // The menu's choices act through the handler; the menu itself reports nothing.
  QVIgnoreStatus(CTMDoContextualMenu(kItems, HandleCurveContextMenu, &context));
}

void CurveDraw(const VL_SettingsStruct* s, const VLSeqData* sequence, int32_t display, int32_t left, int32_t top,
               DrawbotContext* draw) {
  DrawbotCurveDisplay(left, top, kPanelDisplaySize, kPanelDisplaySize, &s->rgbCurves[display],
                      sequence->selectedPoint[display], display, draw);
}

void CurvePortDraw(const VL_SettingsStruct* s, const VLSeqData* sequence, int32_t display, int32_t left, int32_t top,
                   PPPort* port) {
  MacDrawCurveDisplay(port, int16_t(left), int16_t(top), kPanelDisplaySize, kPanelDisplaySize, &s->rgbCurves[display],
                      &sequence->selectedPoint[display], display);
}

int32_t CurveCursor(int32_t x, int32_t y, bool menuModifier) {
  const bool inX = x >= 11 && x <= 351 && !(x >= 171 && x <= 191);
  const bool inY = y >= 17 && y <= 363 && !(y >= 177 && y <= 203);
  if (!inX || !inY) return kHICursorNone;
  return menuModifier ? kHICursorContextMenu : kHICursorCrosshair;
}

const PanelDisplayKind kCurveKind = {"Curve Adjustment", kCurveAreaHeight, kCurveRowTop, true, InPlot,
                                     CurveClickAt, CurveDragTo, CurveMenu, CurveDraw, CurveCursor,
                                     CurvePortDraw};

}  // namespace

HIError HandleCurveEvents(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld*, HIEventExtra* event,
                          const VLGlobalData* globals) {
  return HandlePanelDisplayEvents(in, out, params, event, globals, kCurveKind);
}

void HandleCurveContextMenu(int32_t, int32_t message, int32_t tag, TKMenu* menu, void* userData) {
  auto* c = static_cast<CurveMenuContext*>(userData);
  if (!c || c->display < 0 || c->display > 3) return;
  VL_CurveControls* curve = &c->curves[c->display];
  const bool isMap = (curve->modeFlags & kVLCurveModeMap) != 0;
  if (message == kCTMMessageBeforeShow) {
    // Enabling an item of the menu just made cannot fail.
    QVIgnoreStatus(CTMSetMenuItemEnable(menu, 1, !isMap && PanelValidSelection(*c->selected, *curve) >= 0));
    QVIgnoreStatus(CTMSetMenuItemEnable(menu, 2, !isMap));
    QVIgnoreStatus(CTMSetMenuItemEnable(menu, 6, !isMap));
    return;
  }
  if (message != kCTMMessageChosen) return;
  switch (tag) {
    case 1:
      if (isMap) break;
      *c->selected = PanelValidSelection(*c->selected, *curve);
      if (*c->selected >= 0 && PanelPointCount(*curve) > 2) {
        curve->spline.pointCount = PanelPointCount(*curve);
        RemoveCurvePoint(curve, *c->selected);
        *c->selected = -1;
      }
      break;
    case 2:
      CheckPreferencesValidity();
      VL_SetDefaultControlValues(c->settings, VLMaskBit(kVLMaskBitRGBCurves + c->display));
      break;
    case 3:
      CheckPreferencesValidity();
      VL_SetDefaultControlValues(c->settings, kVLMaskAllRGBCurves);
      break;
    case 5:
      if (LoadCurrentCurves(c->curves) == kQVNoErr) {
        c->settings->curvesEnable = 1;
        c->settings->rgbCurvesEnable = 1;
      }
      break;
    case 6: {
      // A file that could not be written is named in an alert, as the
      // grading application does; a cancelled panel says nothing.
      std::string path;
      const QVStatus status = SaveCurrentCurves(c->curves, &path);
      if (status != kQVNoErr && status != kQVErrCancelled) QVWriteFailureAlert("Velmora 3 PI", path.c_str(), status);
      break;
    }
    default:
      break;
  }
}

HIDrawColor PanelDisplayColor(double red, double green, double blue) {
  const double s = double(gPrefsSettings.uiSaturation) / 65536.0;
  const double y = 0.299 * red + 0.587 * green + 0.114 * blue;
  auto mix = [&](double c) { return float(std::clamp(s * c + (1.0 - s) * y, 0.0, 1.0)); };
  return HIDrawColor{mix(red), mix(green), mix(blue), 1.0f};
}

void DrawbotCurveDisplay(int32_t left, int32_t top, int32_t width, int32_t height, const VL_CurveControls* curve,
                         int32_t selected, int32_t display, DrawbotContext* draw) {
  if (!draw || !draw->ok() || display < 0 || display > 3) return;
  const HIDrawColor curveColour = PanelDisplayColor(kCurveColours[display].curve[0], kCurveColours[display].curve[1],
                                                    kCurveColours[display].curve[2]);
  const HIDrawColor pointColour = PanelDisplayColor(
      kCurveColours[display].points[0], kCurveColours[display].points[1], kCurveColours[display].points[2]);
  const HIDrawColor frameColour = PanelDisplayColor(0.83, 0.83, 0.83);
  const HIDrawColor gridColour = PanelDisplayColor(0.594, 0.285, 0);
  const HIDrawColor shadowColour = PanelDisplayColor(0.157, 0.157, 0.157);

  const double plotLeft = left + kPanelDisplayInset, plotTop = top + kCurvePlotTop;
  std::unique_ptr<FBFrameStruct, void (*)(FBFrameStruct*)> background(
      CVCreateBackgroundFrameBuffer(uint32_t(width), uint32_t(height), display), FBDisposeFrameBuffer);
  if (background)
    DrawPixelBuffer(background->baseAddr, int32_t(background->width), int32_t(background->height),
                    int32_t(background->rowBytes), kHIDrawPixelLayoutBGRA, draw, float(plotLeft), float(plotTop),
                    HIDrawPointF{0, 0});
  {
    DrawbotPath grid(draw);
    for (int i = 1; i < 8; ++i) {
      const double gx = plotLeft + std::floor(i * (width - 1) / 8.0) + 0.5;
      const double gy = plotTop + std::floor(i * (height - 1) / 8.0) + 0.5;
      grid.moveTo(gx, plotTop);
      grid.lineTo(gx, plotTop + height);
      grid.moveTo(plotLeft, gy);
      grid.lineTo(plotLeft + width, gy);
    }
    grid.stroke(gridColour, 1.0);
  }
  {
    DrawbotPath frame(draw);
    frame.moveTo(plotLeft, plotTop);
    frame.lineTo(plotLeft + width, plotTop);
    frame.lineTo(plotLeft + width, plotTop + height);
    frame.lineTo(plotLeft, plotTop + height);
    frame.lineTo(plotLeft, plotTop);
    frame.stroke(frameColour, 1.5);
  }
  auto px = [&](double x) { return plotLeft + 0.5 + x * (width - 1); };
  auto py = [&](double y) { return plotTop + 0.5 + (height - 1) - y * (height - 1); };

  if (curve->modeFlags & kVLCurveModeMap) {
    DrawbotPath path(draw);
    for (int32_t i = 0; i < width; ++i) {
      int32_t entry = std::min(int32_t(std::floor(i * 1023.0 / width + 0.99)), kVLCurveMapCount - 1);
      double y = std::clamp(double(curve->map[entry]), 0.0, 1.0);
      if (i == 0) path.moveTo(plotLeft + 0.5 + i, py(y));
      else path.lineTo(plotLeft + 0.5 + i, py(y));
    }
    path.stroke(curveColour, 1.0);
    return;
  }
  const uint32_t stored = curve->spline.pointCount;
  if (stored > uint32_t(kVLCurveMaxPoints)) {
    char detail[160];
    std::snprintf(detail, sizeof detail, "Point count is %d; maximum allowed is %d. Skipping curve drawing.\n",
                  int(stored), kVLCurveMaxPoints);
    QVAlternativesAlert("Velmora 3 PI", "Specified curve point count exceeds maximum in DrawbotCurveDisplay", detail,
                        1, "OK", nullptr);
    return;
  }
  const int n = int(PanelPointCount(*curve));
  const float* xs = curve->spline.x;
  const float* ys = curve->spline.y;
  auto cx = [&](int i) { return double(std::clamp(xs[std::clamp(i, 0, n - 1)], 0.0f, 1.0f)); };
  auto cy = [&](int i) { return double(std::clamp(ys[std::clamp(i, 0, n - 1)], 0.0f, 1.0f)); };

  {
    DrawbotPath path(draw);
    path.moveTo(px(0), py(cy(0)));
    if (cx(0) != 0.0) path.lineTo(px(cx(0)), py(cy(0)));
    if (n > 2) {
      const auto& table = SplineTable();
      double lastColumn = std::floor(cx(0) * (width - 1));
      for (int i = 0; i + 1 < n; ++i) {
        for (int step = 0; step < kSplineSteps; ++step) {
          const float* w = table[step];
          double x = w[0] * cx(i - 1) + w[1] * cx(i) + w[2] * cx(i + 1) + w[3] * cx(i + 2);
          double y = w[0] * cy(i - 1) + w[1] * cy(i) + w[2] * cy(i + 1) + w[3] * cy(i + 2);
          x = std::clamp(x, 0.0, 1.0);
          y = std::clamp(y, 0.0, 1.0);
          if (std::floor(x * (width - 1)) > lastColumn) {
            lastColumn = std::floor(x * (width - 1));
            path.lineTo(px(x), py(y));
          }
        }
      }
    } else {
      path.lineTo(px(cx(1)), py(cy(1)));
    }
    if (cx(n - 1) != 1.0) {
      path.lineTo(px(cx(n - 1)), py(cy(n - 1)));
      path.lineTo(px(1), py(cy(n - 1)));
    }
    path.stroke(shadowColour, 3.0);
    path.stroke(curveColour, 1.5);
  }
  const int32_t chosen = selected >= 0 && selected < n ? selected : -1;
  for (int i = 0; i < n; ++i) {
    DrawbotPath point(draw);
    point.circle(px(cx(i)), py(cy(i)), 2.5);
    if (i == chosen) point.fill(pointColour);
    else point.stroke(pointColour, 1.0);
  }
}
