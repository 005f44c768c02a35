#include "app/controls/tab_group.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>

#include "app/controls/bound_controls.h"
#include "app/controls/value_slider.h"
#include "app/state/focus_text.h"
#include "app/state/interface_colors.h"
#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "platform/ui/toolkit.h"

namespace {

constexpr uint32_t kPropGroup = QVFourCC("VFtg");
constexpr uint32_t kPropItem = QVFourCC("VFti");
constexpr int32_t kRowHeight = 22;
constexpr int32_t kRowStep = 21;
constexpr int32_t kBoxSide = 16;
constexpr double kUnselectedShade = 0.85;

// Groups and items live as long as the program, like their windows' controls.
std::deque<std::unique_ptr<VFTabGroup>> gGroups;
std::deque<std::unique_ptr<VFTabGroupItem>> gItems;

VFTabGroupItem* ItemOf(TKControl* control) {
  return static_cast<VFTabGroupItem*>(VFGetPointerProperty(control, kPropItem));
}

VFTabGroupItem* ItemAt(TKControl* group, int32_t index) {
  VFTabGroup* g = TabGroupRecord(group);
  if (!g || index < 0 || index >= g->count) return nullptr;
  return g->items[index];
}

TKColor Shaded(int entry, bool shade) {
  TKColor c = VFColor(entry);
  if (shade) {
    // 16-bit components scaled and truncated, as the rows were always drawn.
    auto s = [](double v) { return double(uint16_t(uint16_t(v * 65535.0 + 0.5) * kUnselectedShade)) / 65535.0; };
    c = TKColor{s(c.red), s(c.green), s(c.blue), 1.0};
  }
  return c;
}

bool GroupActive(const VFTabGroup* g) { return g->active && TKIsControlActive(g->pane); }

void DrawGroup(TKControl* pane, TKContext* ctx) {
  VFTabGroup* g = TabGroupRecord(pane);
  if (!g) return;
  const TKRect b = TKGetControlBounds(pane);
  const bool active = GroupActive(g);
  if (g->count > 0) {
    TKSetFillColor(ctx, VFColor(kUIColorPaneBackground));
    TKFillRect(ctx, TKRect{b.top, b.left, g->tabListBottom, b.left + kVFTabColumnWidth});
  }
  TKRect content = b;
  if (g->count > 0) content.left += kVFTabColumnWidth;
  TKSetFillColor(ctx, VFColor(kUIColorControlBackground));
  TKFillRect(ctx, content);
  // Three-line bevel: the frame, then a highlight and a shadow line inside it twice.
  TKSetStrokeColor(ctx, VFColor(active ? 1 : 2));
  TKFrameRect(ctx, content);
  for (int i = 1; i <= 2; ++i) {
    const TKRect r = TKRectInset(content, i, i);
    TKSetStrokeColor(ctx, VFColor(active ? 26 : 24));
    TKDrawLine(ctx, r.left + 0.5, r.top + 0.5, r.right - 0.5, r.top + 0.5);
    TKDrawLine(ctx, r.left + 0.5, r.top + 0.5, r.left + 0.5, r.bottom - 0.5);
    TKSetStrokeColor(ctx, VFColor(active ? 22 : 23));
    TKDrawLine(ctx, r.left + 0.5, r.bottom - 0.5, r.right - 0.5, r.bottom - 0.5);
    TKDrawLine(ctx, r.right - 0.5, r.top + 0.5, r.right - 0.5, r.bottom - 0.5);
  }
}

void DrawRow(TKControl* row, TKContext* ctx) {
  VFTabGroupItem* item = ItemOf(row);
  if (!item) return;
  const TKRect r = TKGetControlBounds(row);
  const bool active = GroupActive(item->group) && TKIsControlActive(row);
  const bool shade = !item->selected;
  TKSetFillColor(ctx, Shaded(item->selected ? kUIColorSelectedTabFill : kUIColorPaneBackground, shade));
  TKFillRect(ctx, r);
  TKSetStrokeColor(ctx, Shaded(active ? 5 : 26, shade));
  TKDrawLine(ctx, r.left + 0.5, r.top + 0.5, r.right - 0.5, r.top + 0.5);
  TKSetStrokeColor(ctx, Shaded(active ? 13 : 7, shade));
  TKDrawLine(ctx, r.left + 0.5, r.bottom - 0.5, r.right - 0.5, r.bottom - 0.5);
  TKSetFillColor(ctx, VFColor(active ? kUIColorLabelTextActive : kUIColorLabelTextInactive));
  const double baseline = r.top + (TKRectHeight(r) + 8) / 2.0;
  TKDrawText(ctx, VFControlFont(), item->name, r.right - 4, baseline, kTKAlignRight);
}

void DrawContent(TKControl* pane, TKContext* ctx) {
  TKSetFillColor(ctx, VFColor(kUIColorControlBackground));
  TKFillRect(ctx, TKGetControlBounds(pane));
}

QVStatus RowHandler(TKEvent& e) {
  if (e.kind != kTKEventControlHit) return kQVErrNotHandled;
  VFTabGroupItem* item = ItemOf(e.control);
  if (!item) return kQVErrNotHandled;
  TabGroupSelect(item->group->pane, item->index);
  return kQVNoErr;
}

QVStatus EnableBoxHandler(TKEvent& e) {
  if (e.kind != kTKEventControlHit) return kQVErrNotHandled;
  VFTabGroupItem* item = ItemOf(e.control);
  if (!item) return kQVErrNotHandled;
  const int32_t value = TKGetControlValue(e.control) ? 1 : 0;
  UndoBufferPush(gUndoBuffer, &gUISettings);
  if (item->boundWord) *item->boundWord = uint32_t(value);
  if (item->group->enableProc) item->group->enableProc(item->index, value);
  UndoBufferStore(gUndoBuffer, &gUISettings);
  VFForgetUndoControl();
  const VFServices& s = VFGetServices();
  if (s.surfaceIsConnected && s.surfaceIsConnected() && s.surfaceRefreshPage) s.surfaceRefreshPage();
  return kQVNoErr;
}

QVStatus BoxColor(TKControl* box, int32_t message, TKColor* color) {
  if (message != kTKColorBackground || !color) return kQVErrNotHandled;
  VFTabGroupItem* item = ItemOf(box);
  *color = Shaded(kUIColorSelectedTabFill, item && !item->selected);
  return kQVNoErr;
}

void SetBox(VFTabGroupItem* item, int32_t value, bool writeWord) {
  if (!item || !item->enableBox) return;
  TKSetControlValue(item->enableBox, value);
  if (writeWord && item->boundWord) *item->boundWord = uint32_t(value);
}

}  // namespace

VFTabGroup* TabGroupRecord(TKControl* group) {
  return static_cast<VFTabGroup*>(VFGetPointerProperty(group, kPropGroup));
}

VFTabGroupItem* TabGroupItemOfPane(TKControl* pane) {
  VFTabGroupItem* item = ItemOf(pane);
  return item && item->content == pane ? item : nullptr;
}

QVStatus CreateTabGroup(TKWindow* window, const TKRect& bounds, int32_t count, const VFTabEntry* entries,
                        bool withEnableBoxes, TKControl** outPane) {
  if (outPane) *outPane = nullptr;
  if (!window || count < 0 || count > kVFTabMaxItems || (count > 0 && !entries)) return kQVErrParam;
  TKRect b = bounds;
  if (count == 0) b.left += kVFTabColumnWidth;
  TKUserPaneProcs procs;
  procs.draw = DrawGroup;
  procs.activate = [](TKControl* pane, bool active) { TabGroupSetActive(pane, active, false, false); };
  TKControl* pane = TKNewUserPane(window, b, procs);
  if (!pane) return kQVErrMemory;
  VFInstallWindowHandler(window);
  gGroups.push_back(std::make_unique<VFTabGroup>());
  VFTabGroup* g = gGroups.back().get();
  g->pane = pane;
  g->window = window;
  g->bounds = b;
  TKSetControlID(pane, TKControlID{kVFSigTabGroup, 1});
  VFSetPointerProperty(pane, kPropGroup, g);

  TKRect row = TKMakeRect(b.left, b.top, kVFTabColumnWidth, kRowHeight);
  for (int32_t i = 0; i < count; ++i) {
    const VFTabEntry& entry = entries[i];
    gItems.push_back(std::make_unique<VFTabGroupItem>());
    VFTabGroupItem* item = gItems.back().get();
    TKUserPaneProcs rowProcs;
    rowProcs.draw = DrawRow;
    rowProcs.hitTest = [](TKControl*, TKPoint) -> int16_t { return kTKPartButton; };
    item->row = TKNewUserPane(window, row, rowProcs);
    // Embedding a control made in the parent's window cannot fail.
    QVIgnoreStatus(TKEmbedControl(item->row, pane));
    item->rowBounds = row;
    item->index = g->count;
    item->group = g;
    item->enabled = entry.enabled;
    std::strncpy(item->name, entry.name ? entry.name : "", sizeof item->name - 1);
    VFSetPointerProperty(item->row, kPropItem, item);
    TKInstallControlHandler(item->row, RowHandler);
    g->items[g->count++] = item;
    if (entry.selected) {
      item->selected = 1;
      g->current = item->index;
    }
    TKRect content = TKRectInset(b, 3, 3);
    content.left += kVFTabColumnWidth;
    TKUserPaneProcs contentProcs;
    contentProcs.draw = DrawContent;
    item->content = TKNewUserPane(window, content, contentProcs);
    // Embedding a control made in the parent's window cannot fail.
    QVIgnoreStatus(TKEmbedControl(item->content, pane));
    TKSetControlID(item->content, TKControlID{kVFSigTabGroup, 1});
    VFSetPointerProperty(item->content, kPropItem, item);
    TKSetControlVisible(item->content, entry.selected != 0);
    if (withEnableBoxes) {
      const int32_t top = row.top + (kRowHeight - kBoxSide) / 2;
      item->enableBox = TKNewCheckBox(window, TKMakeRect(row.left + 2, top, kBoxSide, kBoxSide), "", 0);
      // Embedding a control made in the parent's window cannot fail.
      QVIgnoreStatus(TKEmbedControl(item->enableBox, item->row));
      VFSetPointerProperty(item->enableBox, kPropItem, item);
      TKInstallControlHandler(item->enableBox, EnableBoxHandler);
      TKSetControlColorProc(item->enableBox, BoxColor);
    }
    row = TKRectOffset(row, 0, kRowStep);
  }
  g->tabListBottom = count > 0 ? row.top - kRowStep + kRowHeight : b.top;
  TKDrawControl(pane);
  if (outPane) *outPane = pane;
  return kQVNoErr;
}

void TabGroupSelect(TKControl* group, int32_t index) {
  VFTabGroup* g = TabGroupRecord(group);
  VFTabGroupItem* next = ItemAt(group, index);
  if (!g || !next || !g->active) return;
  VFTabGroupItem* old = ItemAt(group, g->current);
  if (old) {
    old->selected = 0;
    TKDrawControl(old->row);
  }
  QVClearKeyboardFocus(g->window);
  VFCommitPendingEdit(true);
  next->selected = 1;
  TKDrawControl(next->row);
  const int32_t oldIndex = g->current;
  if (g->switchProc) g->switchProc(oldIndex, index);
  if (old && old != next) TKSetControlVisible(old->content, false);
  TKSetControlVisible(next->content, true);
  g->current = index;
}

TKControl* TabGroupGetPane(TKControl* group, int32_t index) {
  VFTabGroupItem* item = ItemAt(group, index);
  return item ? item->content : nullptr;
}

int32_t TabGroupGetCount(TKControl* group) {
  VFTabGroup* g = TabGroupRecord(group);
  return g ? g->count : 0;
}

int32_t TabGroupGetCurrent(TKControl* group) {
  VFTabGroup* g = TabGroupRecord(group);
  return g ? g->current : 0;
}

void TabGroupSetSwitchProc(TKControl* group, VFTabSwitchProc proc) {
  if (VFTabGroup* g = TabGroupRecord(group)) g->switchProc = proc;
}

void TabGroupSetEnableProc(TKControl* group, VFTabEnableProc proc) {
  if (VFTabGroup* g = TabGroupRecord(group)) g->enableProc = proc;
}

void TabGroupBindItemCheck(TKControl* group, int32_t index, uint32_t* word) {
  VFTabGroupItem* item = ItemAt(group, index);
  if (!item) return;
  item->boundWord = word;
  if (word) SetBox(item, *word != 0 ? 1 : 0, false);
}

void TabGroupSetItemCheck(TKControl* group, int32_t index, int32_t value) { SetBox(ItemAt(group, index), value, true); }

void TabGroupShowItemCheck(TKControl* group, int32_t index, uint32_t word) {
  SetBox(ItemAt(group, index), word != 0 ? 1 : 0, false);
}

int32_t TabGroupGetItemCheck(TKControl* group, int32_t index) {
  VFTabGroupItem* item = ItemAt(group, index);
  return item && item->enableBox ? TKGetControlValue(item->enableBox) : 0;
}

void TabGroupSetActive(TKControl* group, bool active, bool alsoBoxes, bool redraw) {
  VFTabGroup* g = TabGroupRecord(group);
  if (!g) return;
  g->active = active ? 1 : 0;
  for (int32_t i = 0; i < g->count; ++i) {
    VFTabGroupItem* item = g->items[i];
    TKDrawControl(item->row);
    if (alsoBoxes) {
      if (item->enableBox) TKSetControlEnabled(item->enableBox, active);
      TKSetControlEnabled(item->content, active);
    }
  }
  if (redraw) TKDrawControl(group);
}

void EnableEnclosingTabs(TKControl* control, int16_t value, bool climb) {
  if (!control) return;
  TKControl* pane = TKGetParentControl(control);
  VFTabGroupItem* item = TabGroupItemOfPane(pane);
  if (!item) return;
  SetBox(item, value, true);
  if (!climb) return;
  for (;;) {
    TKControl* groupPane = TKGetParentControl(pane);
    pane = groupPane ? TKGetParentControl(groupPane) : nullptr;
    item = TabGroupItemOfPane(pane);
    if (!item) return;
    SetBox(item, value, true);
  }
}

TKControl* FindTabGroupControl(TKControl* parent) {
  if (!parent) return nullptr;
  const int32_t n = TKCountChildren(parent);
  for (int32_t i = 0; i < n; ++i) {
    TKControl* child = TKGetChild(parent, i);
    const TKControlID id = TKGetControlID(child);
    if (id.signature == kVFSigTabGroup && id.id == 1 && TabGroupRecord(child)) return child;
  }
  return nullptr;
}
