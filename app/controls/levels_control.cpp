// The levels control: building it (labels, the input and output histogram
// panes, the marker strip), rendering the strip, and the setters and
// getters of its six points.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "app/controls/bound_controls.h"
#include "app/controls/composite_controls.h"
#include "app/controls/labels.h"
#include "app/controls/levels_control.h"
#include "app/controls/levels_control_internal.h"
#include "app/controls/special_setters.h"
#include "app/state/interface_colors.h"
#include "app/views/image_pane.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"
#include "support/colors.h"

namespace {

constexpr uint32_t kPropRecord = QVFourCC("LVrc");
constexpr uint32_t kPropTags[7] = {QVFourCC("lvco"), QVFourCC("lvib"), QVFourCC("lvig"), QVFourCC("lviw"),
                                   QVFourCC("lvob"), QVFourCC("lvog"), QVFourCC("lvow")};
constexpr uint32_t kSigStrip = QVFourCC("VFlv");
constexpr uint32_t kSigInputLabel = QVFourCC("lvti");
constexpr uint32_t kSigOutputLabel = QVFourCC("lvto");

// Bounds narrower than this get 256-bin histograms 200 px high.
constexpr int32_t kWideBounds = 1052;
constexpr int32_t kLabelHeight = 14;

// Ramp colours of the master, red, green and blue channels.
constexpr QVRGBColor kRampColors[4] = {{65535, 65535, 65535}, {65535, 0, 0}, {0, 65535, 0}, {0, 0, 65535}};

// The histogram pictures are shared by every levels control of one size;
// the first control of a size makes them, and they last as long as the
// program.
struct HistogramPair {
  int32_t width, height;
  TKImagePtr input, output;
};
std::vector<HistogramPair> gHistogramPictures;

const HistogramPair* SharedHistograms(int32_t width, int32_t height) {
  for (const HistogramPair& p : gHistogramPictures)
    if (p.width == width && p.height == height) return &p;
  HistogramPair p{width, height, TKImagePtr(TKImageCreate(width, height)), TKImagePtr(TKImageCreate(width, height))};
  if (!p.input || !p.output) return nullptr;
  gHistogramPictures.push_back(std::move(p));
  return &gHistogramPictures.back();
}

void FillRows(TKImage* image, int32_t x, int32_t top, int32_t bottom, uint32_t pixel) {
  const int32_t w = TKImageWidth(image), h = TKImageHeight(image);
  if (x < 0 || x >= w) return;
  uint8_t* base = TKImagePixels(image);
  const int32_t rowBytes = TKImageRowBytes(image);
  for (int32_t y = std::max(top, 0); y < std::min(bottom, h); ++y)
    std::memcpy(base + size_t(y) * size_t(rowBytes) + size_t(x) * 4, &pixel, 4);
}

TKRect Outset(const TKRect& r, int32_t d) { return TKRect{r.top - d, r.left - d, r.bottom + d, r.right + d}; }

// A marker hanging from the bar's lower edge at x (image coordinates).
void DrawMarker(TKContext* ctx, double x, int32_t barBottom, TKColor fill, bool framed) {
  const double apex = barBottom + 2;
  // Filling uses the path up, so a framed marker traces it again.
  auto trace = [&] {
    TKBeginPath(ctx);
    TKMoveTo(ctx, x, apex);
    TKLineTo(ctx, x + kLevelsMarkerHalfWidth, apex + kLevelsMarkerHeight);
    TKLineTo(ctx, x - kLevelsMarkerHalfWidth, apex + kLevelsMarkerHeight);
    TKClosePath(ctx);
  };
  trace();
  TKSetFillColor(ctx, fill);
  TKFillPath(ctx);
  if (!framed) return;
  trace();
  TKSetStrokeColor(ctx, TKColor{0, 0, 0, 1});
  TKStrokePath(ctx);
}

void SetPoint(TKControl* control, int32_t which, float value, bool redraw) {
  LevelsControl* r = LevelsRecordOf(control);
  if (!r) return;
  r->value[which] = value;
  LevelsRenderControl(r);
  if (redraw) TKDrawControl(r->markerPane);
}

void GetPoint(TKControl* control, int32_t which, float* out) {
  const LevelsControl* r = LevelsRecordOf(control);
  if (r && out) *out = r->value[which];
}

void DrawStrip(TKControl* pane, TKContext* ctx) {
  LevelsControl* r = LevelsRecordOf(pane);
  if (!r || !r->image) return;
  TKDrawImage(ctx, r->image, nullptr, r->bounds, false);
}

}  // namespace

LevelsControl* LevelsRecordOf(TKControl* control) {
  if (!control || !TKIsControlAlive(control)) return nullptr;
  return static_cast<LevelsControl*>(VFGetPointerProperty(control, kPropRecord));
}

uint16_t LevelsRampComponent(uint16_t component, int32_t columnFromRight, int32_t step) {
  if (component == 0) return 0;
  const int64_t value = int64_t(component) - int64_t(step) * columnFromRight;
  return uint16_t(std::clamp<int64_t>(value, 0, 65535));
}

void LevelsRenderControl(LevelsControl* r) {
  if (!r || !r->image) return;
  TKImage* image = r->image;
  const int32_t w = TKImageWidth(image), h = TKImageHeight(image);
  const uint32_t background = QVPackPixelARGB(gInterfaceColors[0]);
  for (int32_t x = 0; x < w; ++x) FillRows(image, x, 0, h, background);

  // Bars in image coordinates; each fills from its right end leftwards.
  const TKRect bars[2] = {TKRectOffset(r->inputBar, -r->bounds.left, -r->bounds.top),
                          TKRectOffset(r->outputBar, -r->bounds.left, -r->bounds.top)};
  const int32_t step = r->scale >= 512.0f ? 128 : 256;
  const float saturation = float(gPrefsSettings.uiSaturation) / 65536.0f;
  for (const TKRect& bar : bars) {
    const int32_t width = TKRectWidth(bar);
    for (int32_t i = 0; i < width; ++i) {
      QVRGBColor c{LevelsRampComponent(r->ramp.red, i, step), LevelsRampComponent(r->ramp.green, i, step),
                   LevelsRampComponent(r->ramp.blue, i, step)};
      AdjustColorSaturation(&c, saturation);
      FillRows(image, bar.right - 1 - i, bar.top, bar.bottom, QVPackPixelARGB(c));
    }
  }
  TKImageMarkDirty(image);

  TKContext* ctx = TKBeginDrawing(image);
  if (!ctx) return;
  TKSetAntialias(ctx, false);
  TKSetLineWidth(ctx, 1.0);
  for (const TKRect& bar : bars) {
    TKSetStrokeColor(ctx, VFColor(1));
    TKFrameRect(ctx, Outset(bar, 2));
    TKSetStrokeColor(ctx, VFColor(5));
    TKFrameRect(ctx, Outset(bar, 1));
  }
  const TKColor black{0, 0, 0, 1}, white{1, 1, 1, 1}, grey = TKColorFrom16(33000, 33000, 33000);
  auto at = [&](const TKRect& bar, float v) { return bar.left + LevelsMarkerOffset(r, v); };
  DrawMarker(ctx, at(bars[0], r->value[kLevelsInBlack]), bars[0].bottom, black, false);
  DrawMarker(ctx, at(bars[0], r->value[kLevelsInWhite]), bars[0].bottom, white, true);
  DrawMarker(ctx, at(bars[0], r->value[kLevelsInGray]), bars[0].bottom, grey, true);
  DrawMarker(ctx, at(bars[1], r->value[kLevelsOutBlack]), bars[1].bottom, black, false);
  DrawMarker(ctx, at(bars[1], r->value[kLevelsOutWhite]), bars[1].bottom, white, true);
  TKEndDrawing(ctx);
}

TKControl* CreateLevelsControl(TKWindow* window, const TKRect& bounds, const char*, TKControl* parent,
                               int32_t channel, void* base, const uint32_t offsets[7], int32_t idNumber,
                               TKControl** table) {
  if (!window || !offsets || channel < 1 || channel > 4) return nullptr;
  auto record = std::shared_ptr<LevelsControl>(new (std::nothrow) LevelsControl);
  if (!record) return nullptr;
  LevelsControl* r = record.get();

  const bool wide = TKRectWidth(bounds) >= kWideBounds;
  const int32_t histWidth = wide ? 512 : 256;
  const int32_t histHeight = wide ? std::max(1, TKRectHeight(bounds) - 60) : 200;
  const int32_t columnStep = wide ? 536 : 280;
  r->scale = wide ? 512.0f : 256.0f;
  r->channel = channel;
  r->window = window;
  r->ramp = kRampColors[channel - 1];
  r->base = static_cast<uint8_t*>(base);
  r->sectionOffset = offsets[0];
  for (int32_t i = 0; i < 6; ++i) {
    r->offsets[i] = offsets[i + 1];
    if (r->base) std::memcpy(&r->value[i], r->base + offsets[i + 1], sizeof(float));
  }

  // The strip's picture is as wide as the strip, so the markers at 0 and 1
  // show whole: the bars start 8 px in, under the histograms' pictures.
  const int32_t left = bounds.left + kLevelsBarInset - 2;
  TKControl* label = nullptr;
  for (int32_t column = 0; column < 2; ++column) {
    const int32_t x = left + column * columnStep;
    VFCreateLabel(window, TKRect{bounds.top, x, bounds.top + kLabelHeight, x + histWidth + 4}, parent,
                  column == 0 ? "Input" : "Output", &label);
    if (label) TKSetControlID(label, TKControlID{column == 0 ? kSigInputLabel : kSigOutputLabel, idNumber});
  }
  const HistogramPair* pictures = SharedHistograms(histWidth, histHeight);
  r->inputHistogram = pictures ? pictures->input.get() : nullptr;
  r->outputHistogram = pictures ? pictures->output.get() : nullptr;
  const int32_t histTop = bounds.top + kLabelHeight;
  for (int32_t column = 0; column < 2; ++column) {
    const int32_t x = left + column * columnStep;
    TKControl* pane = nullptr;
    if (CreateImagePane(window, TKRect{histTop, x, histTop + histHeight + 4, x + histWidth + 4}, &pane) != kQVNoErr)
      continue;
    // Embedding a control made in the parent's window cannot fail.
    if (parent) QVIgnoreStatus(TKEmbedControl(pane, parent));
    // On failure the pane keeps drawing into its window.
    QVIgnoreStatus(SetImagePaneImage(pane, column == 0 ? r->inputHistogram : r->outputHistogram));
    (column == 0 ? r->inputPane : r->outputPane) = pane;
  }

  const int32_t stripTop = histTop + histHeight + 4;
  r->bounds = TKRect{stripTop, bounds.left, stripTop + kLevelsStripHeight,
                     bounds.left + columnStep + histWidth + 2 * kLevelsBarInset};
  const int32_t barTop = stripTop + kLevelsBarTop;
  r->inputBar = TKRect{barTop, bounds.left + kLevelsBarInset, barTop + kLevelsBarHeight,
                       bounds.left + kLevelsBarInset + histWidth};
  r->outputBar = TKRectOffset(r->inputBar, columnStep, 0);
  r->image = TKImageCreate(TKRectWidth(r->bounds), TKRectHeight(r->bounds));

  TKUserPaneProcs procs;
  procs.draw = [record](TKControl* pane, TKContext* ctx) { DrawStrip(pane, ctx); };
  procs.hitTest = [record](TKControl*, TKPoint where) { return LevelsHitTest(record.get(), where); };
  procs.track = [record](TKControl* pane, TKPoint where, uint32_t) { return LevelsTrack(pane, where); };
  procs.activate = [record](TKControl* pane, bool active) {
    record->active = active ? 1 : 0;
    TKDrawControl(pane);
  };
  TKControl* strip = TKNewUserPane(window, r->bounds, procs);
  if (!strip) return nullptr;
  // Embedding a control made in the parent's window cannot fail.
  if (parent) QVIgnoreStatus(TKEmbedControl(strip, parent));
  r->markerPane = strip;
  TKSetControlID(strip, TKControlID{kSigStrip, idNumber});
  VFSetPointerProperty(strip, kPropRecord, r);
  for (int32_t i = 0; i < 7; ++i) {
    // A made control takes a property; only a missing one refuses.
    QVIgnoreStatus(TKSetControlProperty(strip, kVFCreator, kPropTags[i], &offsets[i], sizeof(uint32_t)));
    VFRegisterControl(table, offsets[i], strip);
  }
  LevelsRenderControl(r);
  TKDrawControl(strip);
  return strip;
}

void LevelsSetInBlack(TKControl* levels, float value, bool redraw) { SetPoint(levels, kLevelsInBlack, value, redraw); }
void LevelsSetInGray(TKControl* levels, float value, bool redraw) { SetPoint(levels, kLevelsInGray, value, redraw); }
void LevelsSetInWhite(TKControl* levels, float value, bool redraw) { SetPoint(levels, kLevelsInWhite, value, redraw); }
void LevelsSetOutBlack(TKControl* levels, float value, bool redraw) {
  SetPoint(levels, kLevelsOutBlack, value, redraw);
}
void LevelsSetOutGray(TKControl* levels, float value, bool redraw) { SetPoint(levels, kLevelsOutGray, value, redraw); }
void LevelsSetOutWhite(TKControl* levels, float value, bool redraw) {
  SetPoint(levels, kLevelsOutWhite, value, redraw);
}

void LevelsGetInBlack(TKControl* levels, float* out) { GetPoint(levels, kLevelsInBlack, out); }
void LevelsGetInGray(TKControl* levels, float* out) { GetPoint(levels, kLevelsInGray, out); }
void LevelsGetInWhite(TKControl* levels, float* out) { GetPoint(levels, kLevelsInWhite, out); }
