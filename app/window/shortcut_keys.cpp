#include "app/window/shortcut_keys.h"

namespace {

constexpr int32_t kShift = 0x200;

UIShortcutServices gServices = {};

bool Call(bool (*test)()) { return test && test(); }

// The tab group nested in item `item` of `group`, or null.
TKControl* Nested(TKControl* group, int32_t item) {
  if (!group || !gServices.tabPane || !gServices.nestedGroup) return nullptr;
  TKControl* pane = gServices.tabPane(group, item);
  return pane ? gServices.nestedGroup(pane) : nullptr;
}

void Select(TKControl* group, int32_t item) {
  if (group && gServices.selectTab) gServices.selectTab(group, item);
}

}  // namespace

// Correction tabs: 0 HSL, 1 RGB, 2 CMY, 3 YCbCr, 4 Curves, 5 Levels, 6 Luma
// Range, 7 Secondary, 8 Limiting. Range sub-tabs: 0 Master, 1 Highlights,
// 2 Midtones, 3 Shadows.
const ShortcutRecord kCorrectionTabShortcuts[] = {
    {'a', 0, 0, 0, 0, 0},   {'a', 0, 1, 1, 0, -1},  {'a', 0, 3, 3, 0, -1},  {'a', 0, 2, 2, 0, -1},
    {'a', 0, 5, 5, 0, -1},  {'b', 0, 5, 5, 3, -1},  {'c', 0, -1, 4, -1, -1}, {'d', 0, -1, 7, -1, -1},
    {'l', 0, -1, 8, -1, -1}, {'g', 0, 5, 5, 2, -1}, {'h', 0, 0, 0, 0, 1},   {'h', 0, 1, 1, 1, -1},
    {'h', 0, 3, 3, 1, -1},  {'h', 0, 2, 2, 1, -1},  {'m', 0, 0, 0, 0, 2},   {'m', 0, 1, 1, 2, -1},
    {'m', 0, 3, 3, 2, -1},  {'m', 0, 2, 2, 2, -1},  {'n', 0, -1, 6, -1, -1}, {'p', 0, -1, 1, -1, -1},
    {'r', 0, 5, 5, 1, -1},  {'s', 0, 0, 0, 0, 3},   {'s', 0, 1, 1, 3, -1},  {'s', 0, 3, 3, 3, -1},
    {'s', 0, 2, 2, 3, -1},  {'t', 0, -1, 2, -1, -1}, {'u', 0, -1, 0, -1, -1}, {'v', 0, -1, 5, -1, -1},
    {'w', 0, -1, 0, 1, -1}, {'y', 0, -1, 3, -1, -1}, {0, 0, 0, 0, 0, 0},
};

// Image-pane modes: 0 Result, 1 Source, 2 Reference, 3 Split Source,
// 4 Split Ref, 5 Luma Ranges.
const ShortcutRecord kImagePaneShortcuts[] = {
    {'F', kShift, -1, 2, -1, -1}, {'L', kShift, -1, 5, -1, -1}, {'I', kShift, -1, 3, -1, -1},
    {'R', kShift, -1, 0, -1, -1}, {'S', kShift, -1, 1, -1, -1}, {'T', kShift, -1, 4, -1, -1},
    {0, 0, 0, 0, 0, 0},
};

// Analysis displays: 0 Combo, 1 Reference, 2 Luma WFM, 3 YC WFM, 4 RGB WFM,
// 5 GBR WFM, 6 YRGB WFM, 7 YCbCr WFM, 8 Overlay WFM, 9 Vectorscope,
// 10 Histograms, 11 Tone Curve, 12 Gallery.
const ShortcutRecord kAnalysisShortcuts[] = {
    {'A', kShift, -1, 6, -1, -1},  {'B', kShift, -1, 5, -1, -1}, {'C', kShift, -1, 0, -1, -1},
    {'E', kShift, -1, 1, -1, -1},  {'G', kShift, -1, 12, -1, -1}, {'H', kShift, -1, 10, -1, -1},
    {'M', kShift, -1, 7, -1, -1},  {'N', kShift, -1, 11, -1, -1}, {'O', kShift, -1, 8, -1, -1},
    {'P', kShift, -1, 4, -1, -1},  {'Q', kShift, -1, 3, -1, -1}, {'V', kShift, -1, 9, -1, -1},
    {'W', kShift, -1, 2, -1, -1},  {0, 0, 0, 0, 0, 0},
};

UIShortcutServices& UIShortcuts() { return gServices; }

int32_t HandleShortcutKey(uint32_t key, uint32_t modifiers, int32_t currentSelection, TKControl* tabControl,
                          const ShortcutRecord* table) {
  if (!table || Call(gServices.textBeingEdited) || Call(gServices.fullScreenPreview) ||
      Call(gServices.galleryCommentBeingEdited))
    return 0;
  const ShortcutRecord* match = nullptr;
  for (const ShortcutRecord* r = table; r->key != 0; ++r) {
    if (uint32_t(r->key) == key && uint32_t(r->modifiers) == modifiers &&
        (r->requiredSelection == -1 || r->requiredSelection == currentSelection)) {
      match = r;
      break;
    }
  }
  if (!match) return 0;
  if (match->subTab != -1) {
    TKControl* sub = Nested(tabControl, match->tab);
    if (match->subSubTab != -1) Select(Nested(sub, match->subTab), match->subSubTab);
    Select(sub, match->subTab);
  }
  Select(tabControl, match->tab);
  return 1;
}
