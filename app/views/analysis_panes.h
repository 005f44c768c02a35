// The analysis displays of pane layout 2: one scope drawn by kind, the
// four-quadrant combo display and the zoom and kind choices of the combo and
// vectorscope panes.
#pragma once

#include <cstdint>

#include "app/views/scope_kinds.h"
#include "platform/status.h"
#include "platform/ui/ui_types.h"

struct TKImage;

// One scope drawing, as shown in a combo quadrant: the display numbers of the
// scope kinds' rows.
enum ScopeDisplayKind : int32_t {
  kScopeLumaWFM = 1,
  kScopeYCWFM = 2,
  kScopeRGBWFM = 3,
  kScopeGBRWFM = 4,
  kScopeYRGBWFM = 5,
  kScopeYCbCrWFM = 6,
  kScopeOverlayWFM = 7,
  kScopeVectorscope = 8,
  kScopeHistograms = 9,
  kScopeToneCurve = 10,
};

// The vectorscope pane's zoom and the zoom of a vectorscope in a combo quadrant.
extern int32_t gVectorscopeZoom;
extern int32_t gComboVectorscopeZoom;

// Draws one scope of `picture` (none: graticule only) into rect of target
// (null: all of it) as a combo quadrant does; display numbers without a row
// draw nothing. A vectorscope uses the combo zoom and leaves
// gVectorscopeZoom as it was.
void DrawScopeByKind(int32_t kind, TKImage* target, const TKRect* rect, TKImage* picture);

// How the combo display splits a rect: the column widths, the row split and
// the four quadrant rects (upper left, upper right, lower left, lower right)
// inset by 1.2% of half the height.
struct ComboLayout {
  int32_t leftWidth;
  int32_t rightWidth;
  int32_t rowSplit;
  TKRect quadrant[4];
};
ComboLayout ComboLayoutForRect(const TKRect& rect);

// The quadrant (0..3) under a point of the combo pane's bounds, found with
// the same split that is drawn.
int32_t ComboQuadrantAt(const TKRect& bounds, int32_t x, int32_t y);

// Erases rect of target (null: all of it) black, draws the dividers and the
// scopes of the four quadrants' preference words.
void DrawComboPane(TKImage* target, const TKRect* rect, TKImage* picture);

// The scroll wheel on a zoom: below 1 steps down to at least 1, otherwise up
// to at most 10.
int32_t WheelZoomStep(int32_t zoom, int32_t delta);

// Menu items. Quadrant menus list the display kinds by their numbers; a
// zooming (vectorscope) quadrant's menu adds a separator and the zooms 1, 2,
// 5, 10 as the items from kComboFirstZoomItem (12 to 15). The vectorscope
// menu lists the zooms as items 1 to 4.
constexpr int32_t kComboFirstZoomItem = kScopeDisplayCount + 2;
// The item marked for a quadrant's kind and, for a vectorscope quadrant, its
// zoom item (0 when none).
void ComboQuadrantMarkedItems(int32_t quadrant, int32_t* kindItem, int32_t* zoomItem);
// Applies a chosen item to a quadrant; true when something changed.
bool ComboQuadrantChoose(int32_t quadrant, int32_t item);
// The item whose zoom equals gVectorscopeZoom (0 when none), and choosing one.
int32_t VectorscopeZoomMarkedItem();
bool VectorscopeZoomChoose(int32_t item);

struct TKControl;
struct TKMenu;

// The one picture every analysis pane shows, and the pane of each
// AnalysisPaneKind (none for Reference and Gallery, or before the main
// window is built).
extern TKImage* gScopePicture;
extern TKControl* gAnalysisPanes[kScopeKindCount];

// Erases gScopePicture black and draws the scope of gAnalysisPaneKind from
// the picture of the current view into it, then draws (drawNow) or
// invalidates that kind's pane.
void DrawAnalysisPanes(bool drawNow);

// The wheel on the vectorscope pane and on the combo pane (only over a
// vectorscope quadrant): axis 1 only, else kQVErrNotHandled.
QVStatus VectorscopeWheelZoom(TKControl* pane, int32_t x, int32_t y, int32_t axis, int32_t delta, uint32_t modifiers);
QVStatus ComboWheelZoom(TKControl* pane, int32_t x, int32_t y, int32_t axis, int32_t delta, uint32_t modifiers);

// Contextual menus (kind 2; other kinds answer kQVErrNotHandled). On the
// combo pane, the quadrant under the point (picture pixels, reported
// kImagePaneContextClickRise rows above the mouse) gets menu 202, or 203 for
// a vectorscope quadrant; on the vectorscope pane, menu 204. They open just
// below the mouse with the current choice under it.
QVStatus ShowComboQuadrantMenu(TKControl* pane, int32_t x, int32_t y, uint32_t modifiers, int32_t kind);
QVStatus ShowVectorscopeZoomMenu(TKControl* pane, int32_t x, int32_t y, uint32_t modifiers, int32_t kind);
// The menus' commands: kind 1 marks the current items before the menu opens;
// kind 2 applies a chosen item (0: none), then redraws the analysis panes and
// saves the preferences.
void ComboQuadrantMenuCommand(int32_t kind, int32_t item, TKMenu* menu, int32_t quadrant);
void VectorscopeZoomMenuCommand(int32_t kind, int32_t item, TKMenu* menu, int32_t unused);

// Installs the central update's analysis hook and the wheel and contextual
// menu procedures of the combo and vectorscope panes.
void InstallAnalysisPanes();
