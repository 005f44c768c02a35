// The contextual menus of the combo and vectorscope panes: the quadrant
// menus (202 for a quadrant of any kind but the vectorscope, 203 for a
// vectorscope quadrant, which adds its zooms) and the vectorscope pane's
// zoom menu (204). Each menu is built the first time it is wanted and kept.
// A choice redraws the analysis panes and saves the preferences.
#include <cstdint>

#include "app/views/analysis_panes.h"
#include "app/views/image_pane.h"
#include "app/views/scope_kinds.h"
#include "app/state/save_failure.h"
#include "platform/ui/ui_event.h"
#include "platform/ui/ui_menu.h"
#include "settings/prefs.h"

namespace {

constexpr int32_t kComboQuadrantMenuID = 202;
constexpr int32_t kComboVectorscopeMenuID = 203;
constexpr int32_t kVectorscopeZoomMenuID = 204;
// The menus open this far below the mouse when no item is put under it.
constexpr int32_t kMenuDrop = 14;

const char* const kZoomItems[4] = {"Zoom 1x", "Zoom 2x", "Zoom 5x", "Zoom 10x"};

TKMenu* KeptMenu(int32_t menuID) {
  if (TKMenu* menu = TKGetMenu(menuID)) return menu;
  TKMenu* menu = TKCreateMenu(menuID, "");
  if (!menu) return nullptr;
  // The display kinds by their numbers (the rows list them in that order).
  if (menuID != kVectorscopeZoomMenuID)
    for (const ScopeKind& kind : kScopeKinds)
      if (kind.display != 0) TKAppendMenuItem(menu, kind.name, 0);
  if (menuID == kComboVectorscopeMenuID) TKAppendMenuItem(menu, "-", 0);  // the zooms follow it
  if (menuID != kComboQuadrantMenuID)
    for (const char* text : kZoomItems) TKAppendMenuItem(menu, text, 0);
  return menu;
}

// Checks exactly the items listed (0s are skipped).
void MarkItems(TKMenu* menu, int32_t first, int32_t second) {
  const int32_t count = TKCountMenuItems(menu);
  for (int32_t item = 1; item <= count; ++item) TKCheckMenuItem(menu, item, item == first || item == second);
}

using MenuCommand = void (*)(int32_t kind, int32_t item, TKMenu* menu, int32_t refValue);

// The menu's command is asked to mark the items, the menu pops up with
// `current` under `where` (or its top at `where` when 0), and the command
// gets the chosen item (0 when none).
void RunMenu(TKMenu* menu, TKPoint where, int32_t current, MenuCommand command, int32_t refValue) {
  command(1, 0, menu, refValue);
  const TKMenuChoice choice = TKPopupMenu(menu, nullptr, where, current);
  command(2, choice.menu == menu ? choice.item : 0, menu, refValue);
}

void AfterChoice() {
  DrawAnalysisPanes(true);
  UISavePreferences();
}

}  // namespace

void ComboQuadrantMenuCommand(int32_t kind, int32_t item, TKMenu* menu, int32_t quadrant) {
  if (quadrant < 0 || quadrant > 3) return;
  if (kind == 1) {
    int32_t kindItem = 0, zoomItem = 0;
    ComboQuadrantMarkedItems(quadrant, &kindItem, &zoomItem);
    if (menu) MarkItems(menu, kindItem, zoomItem);
  } else if (kind == 2 && item != 0 && ComboQuadrantChoose(quadrant, item)) {
    AfterChoice();
  }
}

QVStatus ShowComboQuadrantMenu(TKControl* pane, int32_t x, int32_t y, uint32_t, int32_t kind) {
  if (kind != 2) return kQVErrNotHandled;
  // The point is in the shown picture's pixels, where the split is drawn.
  TKImage* picture = ImagePaneGetImage(pane);
  const TKRect b = TKGetControlBounds(pane);
  const TKRect bounds = picture ? TKMakeRect(0, 0, TKImageWidth(picture), TKImageHeight(picture))
                                : TKMakeRect(0, 0, TKRectWidth(b), TKRectHeight(b));
  const int32_t quadrant = ComboQuadrantAt(bounds, x, y + kImagePaneContextClickRise);
  const ScopeKind* shown = ScopeKindOfDisplay(gPrefsSettings.comboQuadrant[quadrant]);
  TKMenu* menu = KeptMenu(shown && shown->zooms ? kComboVectorscopeMenuID : kComboQuadrantMenuID);
  if (!menu) return kQVErrMemory;
  const TKPoint mouse = TKGetMouseLocation();
  const int32_t current = shown ? shown->display : 0;
  RunMenu(menu, TKPoint{mouse.x, mouse.y + kMenuDrop}, current, ComboQuadrantMenuCommand, quadrant);
  return kQVNoErr;
}

void VectorscopeZoomMenuCommand(int32_t kind, int32_t item, TKMenu* menu, int32_t) {
  if (kind == 1) {
    if (menu) MarkItems(menu, VectorscopeZoomMarkedItem(), 0);
  } else if (kind == 2 && item != 0 && VectorscopeZoomChoose(item)) {
    AfterChoice();
  }
}

QVStatus ShowVectorscopeZoomMenu(TKControl*, int32_t, int32_t, uint32_t, int32_t kind) {
  if (kind != 2) return kQVErrNotHandled;
  TKMenu* menu = KeptMenu(kVectorscopeZoomMenuID);
  if (!menu) return kQVErrMemory;
  const TKPoint mouse = TKGetMouseLocation();
  const int32_t current = VectorscopeZoomMarkedItem();
  RunMenu(menu, TKPoint{mouse.x, mouse.y + (current ? 0 : kMenuDrop)}, current, VectorscopeZoomMenuCommand, 0);
  return kQVNoErr;
}
