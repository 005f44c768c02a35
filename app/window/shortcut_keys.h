// Keyboard shortcuts as data: tables of records that select a correction tab
// (with its sub-tabs), an image-pane mode or an analysis display, walked by
// one lookup routine.
#pragma once

#include <cstdint>

struct TKControl;

// Six words: the key character, the exact modifiers (0 none, 0x200 shift),
// the selection the record needs (-1 any), the tab to select and the sub-tab
// and sub-sub-tab to select (-1 none). A key of 0 ends a table.
struct ShortcutRecord {
  int32_t key;
  int32_t modifiers;
  int32_t requiredSelection;
  int32_t tab;
  int32_t subTab;
  int32_t subSubTab;
};
static_assert(sizeof(ShortcutRecord) == 24);

extern const ShortcutRecord kCorrectionTabShortcuts[];
extern const ShortcutRecord kImagePaneShortcuts[];
extern const ShortcutRecord kAnalysisShortcuts[];

// What the lookup needs of the tab groups and of the application's state;
// the correction controls fill the tab operations at start-up. An operation
// left null makes its level do nothing.
struct UIShortcutServices {
  TKControl* (*tabPane)(TKControl* group, int32_t item);  // the item's content pane
  TKControl* (*nestedGroup)(TKControl* pane);             // the tab group inside a pane
  void (*selectTab)(TKControl* group, int32_t item);
  bool (*textBeingEdited)();
  bool (*fullScreenPreview)();
  bool (*galleryCommentBeingEdited)();
};
UIShortcutServices& UIShortcuts();

// Applies the first record of the table that matches; 1 when one did, else
// 0 (also while text is typed, full-screen preview is on, or a gallery
// comment is being edited).
int32_t HandleShortcutKey(uint32_t key, uint32_t modifiers, int32_t currentSelection, TKControl* tabControl,
                          const ShortcutRecord* table);
