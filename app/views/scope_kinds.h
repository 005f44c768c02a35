// The scope kinds: one row for each display of the analysis pane selector,
// in selector order. The selector's tabs, the combo quadrants' kind menu,
// the panes drawn on the shared scope picture and every count of kinds are
// made from these rows; a new scope is a new row and its draw procedure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "app/state/view_state.h"
#include "platform/ui/ui_types.h"

struct TKImage;

struct ScopeKind;
// Draws the kind's scope of `picture` (none: graticule only) into rect of
// target (null: all of it); inCombo when it fills a combo quadrant.
using ScopeDrawProc = void (*)(const ScopeKind& kind, TKImage* target, const TKRect* rect, TKImage* picture,
                               bool inCombo);

struct ScopeKind {
  AnalysisPaneKind pane;  // its item in the analysis selector
  int32_t display;        // ScopeDisplayKind, also its item in the quadrant menu; 0 when no quadrant shows it
  const char* name;       // tab and menu item text
  ImagePaneMask viewPane; // the pane's redraw bit; 0 when it has no pane on the scope picture
  bool zooms;             // the mouse wheel and the menus zoom it
  ScopeDrawProc draw;     // null when drawn elsewhere (the reference pane, the gallery)
  bool clearsRect;        // the draw first fills its whole rect black, so nothing need clear it before
};

// The rows' draw procedures.
void DrawComboKind(const ScopeKind& kind, TKImage* target, const TKRect* rect, TKImage* picture, bool inCombo);
void DrawWaveformKind(const ScopeKind& kind, TKImage* target, const TKRect* rect, TKImage* picture, bool inCombo);
void DrawVectorscopeKind(const ScopeKind& kind, TKImage* target, const TKRect* rect, TKImage* picture, bool inCombo);
void DrawHistogramsKind(const ScopeKind& kind, TKImage* target, const TKRect* rect, TKImage* picture, bool inCombo);
void DrawToneCurveKind(const ScopeKind& kind, TKImage* target, const TKRect* rect, TKImage* picture, bool inCombo);

inline constexpr ScopeKind kScopeKinds[] = {
    {kAnalysisCombo, 0, "Combo", kPaneComboAnalysis, false, DrawComboKind, true},
    {kAnalysisReference, 0, "Reference", 0, false, nullptr, false},
    {kAnalysisLumaWFM, 1, "Luma WFM", kPaneLumaWFM, false, DrawWaveformKind, false},
    {kAnalysisYCWFM, 2, "YC WFM", kPaneYCWFM, false, DrawWaveformKind, false},
    {kAnalysisRGBWFM, 3, "RGB WFM", kPaneRGBWFM, false, DrawWaveformKind, false},
    {kAnalysisGBRWFM, 4, "GBR WFM", kPaneGBRWFM, false, DrawWaveformKind, false},
    {kAnalysisYRGBWFM, 5, "YRGB WFM", kPaneYRGBWFM, false, DrawWaveformKind, false},
    {kAnalysisYCbCrWFM, 6, "YCbCr WFM", kPaneYCbCrWFM, false, DrawWaveformKind, false},
    {kAnalysisOverlayWFM, 7, "Overlay WFM", kPaneOverlayWFM, false, DrawWaveformKind, false},
    {kAnalysisVectorscope, 8, "Vectorscope", kPaneVectorscope, true, DrawVectorscopeKind, false},
    {kAnalysisHistograms, 9, "Histograms", kPaneHistograms, false, DrawHistogramsKind, true},
    {kAnalysisToneCurve, 10, "Tone Curve", kPaneToneCurve, false, DrawToneCurveKind, true},
    {kAnalysisGallery, 0, "Gallery", 0, false, nullptr, false},
};
inline constexpr int32_t kScopeKindCount = int32_t(std::size(kScopeKinds));

// The number of kinds a combo quadrant can show (their display numbers run
// 1 to this).
constexpr int32_t ScopeDisplayCount() {
  int32_t n = 0;
  for (const ScopeKind& k : kScopeKinds) n += k.display != 0;
  return n;
}
inline constexpr int32_t kScopeDisplayCount = ScopeDisplayCount();

// The row of a selector item, or of a quadrant's display number; null when
// there is none.
const ScopeKind* ScopeKindOfPane(int32_t pane);
const ScopeKind* ScopeKindOfDisplay(int32_t display);
