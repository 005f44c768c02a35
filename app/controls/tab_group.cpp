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

VFTabGroupItem* ItemOf(UIControl* control) {
  return static_cast<VFTabGroupItem*>(VFGetPointerProperty(control, kPropItem));
}

VFTabGroupItem* ItemAt(UIControl* group, int32_t index) {
  VFTabGroup* g = TabGroupRecord(group);
  if (!g || index < 0 || index >= g->count) return nullptr;
  return g->items[index];
}

UIColor Shaded(int entry, bool shade) {
  UIColor c = VFColor(entry);
  if (shade) {
    // 16-bit components scaled and truncated, as the rows were always drawn.
    auto s = [](double v) { return double(uint16_t(uint16_t(v * 65535.0 + 0.5) * kUnselectedShade)) / 65535.0; };
    c = UIColor{s(c.red), s(c.green), s(c.blue), 1.0};
  }
  return c;
}

bool GroupActive(const VFTabGroup* g) { return g->active && UIIsControlActive(g->pane); }

void DrawGroup(UIControl* pane, UIContext* ctx) {
  VFTabGroup* g = TabGroupRecord(pane);
  if (!g) return;
  const UIRect b = UIGetControlBounds(pane);
  const bool active = GroupActive(g);
  if (g->count > 0) {
    UISetFillColor(ctx, VFColor(kUIColorPaneBackground));
    UIFillRect(ctx, UIRect{b.top, b.left, g->tabListBottom, b.left + kVFTabColumnWidth});
  }
  UIRect content = b;
  if (g->count > 0) content.left += kVFTabColumnWidth;
  UISetFillColor(ctx, VFColor(kUIColorControlBackground));
  UIFillRect(ctx, content);
  // Three-line bevel: the frame, then a highlight and a shadow line inside it twice.
  UISetStrokeColor(ctx, VFColor(active ? 1 : 2));
  UIFrameRect(ctx, content);
  for (int i = 1; i <= 2; ++i) {
    const UIRect r = UIRectInset(content, i, i);
    UISetStrokeColor(ctx, VFColor(active ? 26 : 24));
    UIDrawLine(ctx, r.left + 0.5, r.top + 0.5, r.right - 0.5, r.top + 0.5);
    UIDrawLine(ctx, r.left + 0.5, r.top + 0.5, r.left + 0.5, r.bottom - 0.5);
    UISetStrokeColor(ctx, VFColor(active ? 22 : 23));
    UIDrawLine(ctx, r.left + 0.5, r.bottom - 0.5, r.right - 0.5, r.bottom - 0.5);
    UIDrawLine(ctx, r.right - 0.5, r.top + 0.5, r.right - 0.5, r.bottom - 0.5);
  }
}

void DrawRow(UIControl* row, UIContext* ctx) {
  VFTabGroupItem* item = ItemOf(row);
  if (!item) return;
  const UIRect r = UIGetControlBounds(row);
  const bool active = GroupActive(item->group) && UIIsControlActive(row);
  const bool shade = !item->selected;
  UISetFillColor(ctx, Shaded(item->selected ? kUIColorSelectedTabFill : kUIColorPaneBackground, shade));
  UIFillRect(ctx, r);
  UISetStrokeColor(ctx, Shaded(active ? 5 : 26, shade));
  UIDrawLine(ctx, r.left + 0.5, r.top + 0.5, r.right - 0.5, r.top + 0.5);
  UISetStrokeColor(ctx, Shaded(active ? 13 : 7, shade));
  UIDrawLine(ctx, r.left + 0.5, r.bottom - 0.5, r.right - 0.5, r.bottom - 0.5);
  UISetFillColor(ctx, VFColor(active ? kUIColorLabelTextActive : kUIColorLabelTextInactive));
  const double baseline = r.top + (UIRectHeight(r) + 8) / 2.0;
  UIDrawText(ctx, VFControlFont(), item->name, r.right - 4, baseline, kUIAlignRight);
}

void DrawContent(UIControl* pane, UIContext* ctx) {
  UISetFillColor(ctx, VFColor(kUIColorControlBackground));
  UIFillRect(ctx, UIGetControlBounds(pane));
}

QVStatus RowHandler(UIEvent& e) {
  if (e.kind != kUIEventControlHit) return kQVErrNotHandled;
  VFTabGroupItem* item = ItemOf(e.control);
  if (!item) return kQVErrNotHandled;
  TabGroupSelect(item->group->pane, item->index);
  return kQVNoErr;
}

QVStatus EnableBoxHandler(UIEvent& e) {
  if (e.kind != kUIEventControlHit) return kQVErrNotHandled;
  VFTabGroupItem* item = ItemOf(e.control);
  if (!item) return kQVErrNotHandled;
  const int32_t value = UIGetControlValue(e.control) ? 1 : 0;
  UndoBufferPush(gUndoBuffer, &gUISettings);
  if (item->boundWord) *item->boundWord = uint32_t(value);
  if (item->group->enableProc) item->group->enableProc(item->index, value);
  UndoBufferStore(gUndoBuffer, &gUISettings);
  VFForgetUndoControl();
  const VFServices& s = VFGetServices();
  if (s.surfaceIsConnected && s.surfaceIsConnected() && s.surfaceRefreshPage) s.surfaceRefreshPage();
  return kQVNoErr;
}

QVStatus BoxColor(UIControl* box, int32_t message, UIColor* color) {
  if (message != kUIColorBackground || !color) return kQVErrNotHandled;
  VFTabGroupItem* item = ItemOf(box);
  *color = Shaded(kUIColorSelectedTabFill, item && !item->selected);
  return kQVNoErr;
}

void SetBox(VFTabGroupItem* item, int32_t value, bool writeWord) {
  if (!item || !item->enableBox) return;
  UISetControlValue(item->enableBox, value);
  if (writeWord && item->boundWord) *item->boundWord = uint32_t(value);
}

}  // namespace

VFTabGroup* TabGroupRecord(UIControl* group) {
  return static_cast<VFTabGroup*>(VFGetPointerProperty(group, kPropGroup));
}

VFTabGroupItem* TabGroupItemOfPane(UIControl* pane) {
  VFTabGroupItem* item = ItemOf(pane);
  return item && item->content == pane ? item : nullptr;
}

QVStatus CreateTabGroup(UIWindow* window, const UIRect& bounds, int32_t count, const VFTabEntry* entries,
                        bool withEnableBoxes, UIControl** outPane) {
  if (outPane) *outPane = nullptr;
  if (!window || count < 0 || count > kVFTabMaxItems || (count > 0 && !entries)) return kQVErrParam;
  UIRect b = bounds;
  if (count == 0) b.left += kVFTabColumnWidth;
  UIUserPaneProcs procs;
  procs.draw = DrawGroup;
  procs.activate = [](UIControl* pane, bool active) { TabGroupSetActive(pane, active, false, false); };
  UIControl* pane = UINewUserPane(window, b, procs);
  if (!pane) return kQVErrMemory;
  VFInstallWindowHandler(window);
  gGroups.push_back(std::make_unique<VFTabGroup>());
  VFTabGroup* g = gGroups.back().get();
  g->pane = pane;
  g->window = window;
  g->bounds = b;
  UISetControlID(pane, UIControlID{kVFSigTabGroup, 1});
  VFSetPointerProperty(pane, kPropGroup, g);

  UIRect row = UIMakeRect(b.left, b.top, kVFTabColumnWidth, kRowHeight);
  for (int32_t i = 0; i < count; ++i) {
    const VFTabEntry& entry = entries[i];
    gItems.push_back(std::make_unique<VFTabGroupItem>());
    VFTabGroupItem* item = gItems.back().get();
    UIUserPaneProcs rowProcs;
    rowProcs.draw = DrawRow;
    rowProcs.hitTest = [](UIControl*, UIPoint) -> int16_t { return kUIPartButton; };
    item->row = UINewUserPane(window, row, rowProcs);
    UIEmbedControl(item->row, pane);
    item->rowBounds = row;
    item->index = g->count;
    item->group = g;
    item->enabled = entry.enabled;
    std::strncpy(item->name, entry.name ? entry.name : "", sizeof item->name - 1);
    VFSetPointerProperty(item->row, kPropItem, item);
    UIInstallControlHandler(item->row, RowHandler);
    g->items[g->count++] = item;
    if (entry.selected) {
      item->selected = 1;
      g->current = item->index;
    }
    UIRect content = UIRectInset(b, 3, 3);
    content.left += kVFTabColumnWidth;
    UIUserPaneProcs contentProcs;
    contentProcs.draw = DrawContent;
    item->content = UINewUserPane(window, content, contentProcs);
    UIEmbedControl(item->content, pane);
    UISetControlID(item->content, UIControlID{kVFSigTabGroup, 1});
    VFSetPointerProperty(item->content, kPropItem, item);
    UISetControlVisible(item->content, entry.selected != 0);
    if (withEnableBoxes) {
      const int32_t top = row.top + (kRowHeight - kBoxSide) / 2;
      item->enableBox = UINewCheckBox(window, UIMakeRect(row.left + 2, top, kBoxSide, kBoxSide), "", 0);
      UIEmbedControl(item->enableBox, item->row);
      VFSetPointerProperty(item->enableBox, kPropItem, item);
      UIInstallControlHandler(item->enableBox, EnableBoxHandler);
      UISetControlColorProc(item->enableBox, BoxColor);
    }
    row = UIRectOffset(row, 0, kRowStep);
  }
  g->tabListBottom = count > 0 ? row.top - kRowStep + kRowHeight : b.top;
  UIDrawControl(pane);
  if (outPane) *outPane = pane;
  return kQVNoErr;
}

void TabGroupSelect(UIControl* group, int32_t index) {
  VFTabGroup* g = TabGroupRecord(group);
  VFTabGroupItem* next = ItemAt(group, index);
  if (!g || !next || !g->active) return;
  VFTabGroupItem* old = ItemAt(group, g->current);
  if (old) {
    old->selected = 0;
    UIDrawControl(old->row);
  }
  QVClearKeyboardFocus(g->window);
  VFCommitPendingEdit(true);
  next->selected = 1;
  UIDrawControl(next->row);
  const int32_t oldIndex = g->current;
  if (g->switchProc) g->switchProc(oldIndex, index);
  if (old && old != next) UISetControlVisible(old->content, false);
  UISetControlVisible(next->content, true);
  g->current = index;
}

UIControl* TabGroupGetPane(UIControl* group, int32_t index) {
  VFTabGroupItem* item = ItemAt(group, index);
  return item ? item->content : nullptr;
}

int32_t TabGroupGetCount(UIControl* group) {
  VFTabGroup* g = TabGroupRecord(group);
  return g ? g->count : 0;
}

int32_t TabGroupGetCurrent(UIControl* group) {
  VFTabGroup* g = TabGroupRecord(group);
  return g ? g->current : 0;
}

void TabGroupSetSwitchProc(UIControl* group, VFTabSwitchProc proc) {
  if (VFTabGroup* g = TabGroupRecord(group)) g->switchProc = proc;
}

void TabGroupSetEnableProc(UIControl* group, VFTabEnableProc proc) {
  if (VFTabGroup* g = TabGroupRecord(group)) g->enableProc = proc;
}

void TabGroupBindItemCheck(UIControl* group, int32_t index, uint32_t* word) {
  VFTabGroupItem* item = ItemAt(group, index);
  if (!item) return;
  item->boundWord = word;
  if (word) SetBox(item, *word != 0 ? 1 : 0, false);
}

void TabGroupSetItemCheck(UIControl* group, int32_t index, int32_t value) { SetBox(ItemAt(group, index), value, true); }

void TabGroupShowItemCheck(UIControl* group, int32_t index, uint32_t word) {
  SetBox(ItemAt(group, index), word != 0 ? 1 : 0, false);
}

int32_t TabGroupGetItemCheck(UIControl* group, int32_t index) {
  VFTabGroupItem* item = ItemAt(group, index);
  return item && item->enableBox ? UIGetControlValue(item->enableBox) : 0;
}

void TabGroupSetActive(UIControl* group, bool active, bool alsoBoxes, bool redraw) {
  VFTabGroup* g = TabGroupRecord(group);
  if (!g) return;
  g->active = active ? 1 : 0;
  for (int32_t i = 0; i < g->count; ++i) {
    VFTabGroupItem* item = g->items[i];
    UIDrawControl(item->row);
    if (alsoBoxes) {
      if (item->enableBox) UISetControlEnabled(item->enableBox, active);
      UISetControlEnabled(item->content, active);
    }
  }
  if (redraw) UIDrawControl(group);
}

void EnableEnclosingTabs(UIControl* control, int16_t value, bool climb) {
  if (!control) return;
  UIControl* pane = UIGetParentControl(control);
  VFTabGroupItem* item = TabGroupItemOfPane(pane);
  if (!item) return;
  SetBox(item, value, true);
  if (!climb) return;
  for (;;) {
    UIControl* groupPane = UIGetParentControl(pane);
    pane = groupPane ? UIGetParentControl(groupPane) : nullptr;
    item = TabGroupItemOfPane(pane);
    if (!item) return;
    SetBox(item, value, true);
  }
}

UIControl* FindTabGroupControl(UIControl* parent) {
  if (!parent) return nullptr;
  const int32_t n = UICountChildren(parent);
  for (int32_t i = 0; i < n; ++i) {
    UIControl* child = UIGetChild(parent, i);
    const UIControlID id = UIGetControlID(child);
    if (id.signature == kVFSigTabGroup && id.id == 1 && TabGroupRecord(child)) return child;
  }
  return nullptr;
}
