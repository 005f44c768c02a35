// The sortable list: rows of text cells under column headers; a header
// click sorts, a double click on an editable column opens the cell editor,
// a click on a container's triangle discloses its children, and dragging
// selected rows drops them onto a container.
#include <algorithm>
#include <cstdlib>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"

namespace {

TKListData* Data(TKControl* c) { return c && c->list ? c->list.get() : nullptr; }

void Notify(TKControl* c, TKListNotification note, int32_t rowID) {
  TKListData* L = Data(c);
  if (L && L->procs.notify) L->procs.notify(c, note, rowID);
}

std::vector<bool> SelectionOf(const TKListData& L) {
  std::vector<bool> s;
  for (const auto& r : L.rows) s.push_back(r.selected);
  return s;
}

int32_t RowAt(const TKListData& L, TKControl* c, TKPoint p) {
  if (p.y < c->bounds.top + kTKListHeaderHeight) return -1;
  int32_t row = L.scroll + (p.y - c->bounds.top - kTKListHeaderHeight) / kTKListRowHeight;
  return row < int32_t(L.rows.size()) ? row : -1;
}

// The container a drop at p lands in: a container row under the pointer,
// else the top level; -1 outside the list.
int32_t DropTargetAt(const TKListData& L, TKControl* c, TKPoint p, int32_t* shownRow) {
  *shownRow = -1;
  if (!TKRectContains(c->bounds, p)) return -1;
  int32_t row = RowAt(L, c, p);
  if (row >= 0 && L.rows[size_t(row)].container) {
    *shownRow = row;
    return L.rows[size_t(row)].id;
  }
  return 0;
}

// Whether target is one of the rows or lies under one of them.
bool TargetInsideDragged(const TKListData& L, const std::vector<int32_t>& dragged, int32_t target) {
  for (int guard = 0; target != 0 && guard <= int32_t(L.rows.size()); ++guard) {
    if (std::find(dragged.begin(), dragged.end(), target) != dragged.end()) return true;
    auto it = std::find_if(L.rows.begin(), L.rows.end(), [&](const TKListData::Row& r) { return r.id == target; });
    if (it == L.rows.end()) return false;
    target = it->parent;
  }
  return false;
}

bool OnDisclosure(const TKListData& L, TKControl* c, int32_t row, TKPoint p) {
  if (row < 0 || !L.rows[size_t(row)].container) return false;
  int32_t left = TKListColumnLeft(c, 0) + L.rows[size_t(row)].depth * kTKListIndent;
  return p.x >= left && p.x < left + kTKListIndent;
}

void Drop(TKControl* c, const std::vector<int32_t>& ids, TKPoint at, uint32_t mods) {
  TKListData& L = *c->list;
  int32_t shown = -1;
  int32_t target = DropTargetAt(L, c, at, &shown);
  if (target < 0 || ids.empty() || TargetInsideDragged(L, ids, target)) return;
  if (L.procs.acceptDrag && !L.procs.acceptDrag(c, ids, target, mods)) return;
  if (L.procs.receiveDrag) L.procs.receiveDrag(c, ids, target, mods);
}

}  // namespace

int32_t TKListColumnLeft(TKControl* c, int32_t column) {
  TKListData& L = *c->list;
  int32_t left = c->bounds.left;
  for (int32_t index : L.order) {
    if (index == column) return left;
    left += L.columns[size_t(index)].width;
  }
  return left;
}

int32_t TKListColumnAtX(TKControl* c, int32_t x) {
  TKListData& L = *c->list;
  int32_t left = c->bounds.left;
  for (int32_t index : L.order) {
    if (x >= left && x < left + L.columns[size_t(index)].width) return index;
    left += L.columns[size_t(index)].width;
  }
  return -1;
}

void TKListSetColumns(TKControl* list, const std::vector<TKListColumn>& columns) {
  TKListData* L = Data(list);
  if (!L) return;
  L->columns = columns;
  L->order.clear();
  for (size_t i = 0; i < columns.size(); ++i) L->order.push_back(int32_t(i));
  L->sortColumn = -1;
  TKInvalidateWindow(list->window);
}

int32_t TKListAddRow(TKControl* list, int32_t rowID, const std::vector<std::string>& cells) {
  return TKListAddChildRow(list, 0, rowID, cells, false);
}

void TKListRemoveAll(TKControl* list) {
  TKListData* L = Data(list);
  if (!L) return;
  L->rows.clear();
  L->selected = L->editRow = L->editColumn = -1;
  L->scroll = 0;
  TKInvalidateWindow(list->window);
}

int32_t TKListRowID(TKControl* list, int32_t row) {
  TKListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size())) return 0;
  return L->rows[size_t(row)].id;
}

std::string TKListGetCell(TKControl* list, int32_t row, int32_t column) {
  TKListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size()) || column < 0) return std::string();
  const auto& cells = L->rows[size_t(row)].cells;
  return size_t(column) < cells.size() ? cells[size_t(column)] : std::string();
}

void TKListSetCell(TKControl* list, int32_t row, int32_t column, const char* text) {
  TKListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size()) || column < 0 || column >= 64) return;
  auto& cells = L->rows[size_t(row)].cells;
  if (cells.size() <= size_t(column)) cells.resize(size_t(column) + 1);
  cells[size_t(column)] = text ? text : "";
  TKInvalidateWindow(list->window);
}

void TKListSelectRow(TKControl* list, int32_t row) {
  TKListData* L = Data(list);
  if (!L) return;
  for (auto& r : L->rows) r.selected = false;
  L->selected = (row >= 0 && row < int32_t(L->rows.size())) ? row : -1;
  if (L->selected >= 0) L->rows[size_t(L->selected)].selected = true;
  // Keep the selection in view.
  int32_t visible = std::max(1, (TKRectHeight(list->bounds) - kTKListHeaderHeight) / kTKListRowHeight);
  if (L->selected >= 0 && L->selected < L->scroll) L->scroll = L->selected;
  if (L->selected >= L->scroll + visible) L->scroll = L->selected - visible + 1;
  TKInvalidateWindow(list->window);
}

int32_t TKListSelectedRow(TKControl* list) {
  TKListData* L = Data(list);
  return L ? L->selected : -1;
}

void TKListAllowMultipleSelection(TKControl* list, bool allow) {
  if (TKListData* L = Data(list)) L->multiple = allow;
}

void TKListSetRowSelected(TKControl* list, int32_t row, bool selected) {
  TKListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size())) return;
  if (!L->multiple && selected) {
    TKListSelectRow(list, row);
    return;
  }
  L->rows[size_t(row)].selected = selected;
  if (selected) L->selected = row;
  else if (L->selected == row) {
    L->selected = -1;
    for (size_t i = 0; i < L->rows.size(); ++i)
      if (L->rows[i].selected) L->selected = int32_t(i);
  }
  TKInvalidateWindow(list->window);
}

std::vector<int32_t> TKListSelectedRows(TKControl* list) {
  std::vector<int32_t> rows;
  if (TKListData* L = Data(list))
    for (size_t i = 0; i < L->rows.size(); ++i)
      if (L->rows[i].selected) rows.push_back(int32_t(i));
  return rows;
}

void TKListSetColumnWidth(TKControl* list, int32_t column, int32_t width) {
  TKListData* L = Data(list);
  if (!L || column < 0 || column >= int32_t(L->columns.size())) return;
  L->columns[size_t(column)].width = std::clamp(width, 8, 4000);
  TKInvalidateWindow(list->window);
}

int32_t TKListGetColumnWidth(TKControl* list, int32_t column) {
  TKListData* L = Data(list);
  if (!L || column < 0 || column >= int32_t(L->columns.size())) return 0;
  return L->columns[size_t(column)].width;
}

void TKListSetColumnEditable(TKControl* list, int32_t column, bool editable) {
  TKListData* L = Data(list);
  if (!L || column < 0 || column >= int32_t(L->columns.size())) return;
  L->columns[size_t(column)].editable = editable;
}

void TKListSetColumnPosition(TKControl* list, int32_t column, int32_t position) {
  TKListData* L = Data(list);
  if (!L || column < 0 || column >= int32_t(L->columns.size())) return;
  auto it = std::find(L->order.begin(), L->order.end(), column);
  if (it == L->order.end()) return;
  L->order.erase(it);
  position = std::clamp(position, 0, int32_t(L->order.size()));
  L->order.insert(L->order.begin() + position, column);
  TKInvalidateWindow(list->window);
}

int32_t TKListGetColumnPosition(TKControl* list, int32_t column) {
  TKListData* L = Data(list);
  if (!L) return -1;
  auto it = std::find(L->order.begin(), L->order.end(), column);
  return it == L->order.end() ? -1 : int32_t(it - L->order.begin());
}

void TKListSort(TKControl* list, int32_t column, bool ascending) {
  TKListData* L = Data(list);
  if (!L || column < 0 || column >= int32_t(L->columns.size())) return;
  if (L->editRow >= 0) TKListEndEditing(list, true);
  L->sortColumn = column;
  L->ascending = ascending;
  TKListResort(list);
  TKInvalidateWindow(list->window);
}

bool TKListSortAscending(TKControl* list) {
  TKListData* L = Data(list);
  return L ? L->ascending : true;
}

int32_t TKListSortColumn(TKControl* list) {
  TKListData* L = Data(list);
  return L ? L->sortColumn : -1;
}

QVStatus TKListEditCell(TKControl* list, int32_t row, int32_t column) {
  TKListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size()) || column < 0 || column >= int32_t(L->columns.size()))
    return kQVErrParam;
  if (!L->columns[size_t(column)].editable) return kQVErrParam;
  if (L->editRow >= 0) TKListEndEditing(list, true);
  // A list that refuses the focus still takes the click.
  if (list->window->focus != list) QVIgnoreStatus(TKSetKeyboardFocus(list->window, list));
  L->editRow = row;
  L->editColumn = column;
  L->editText = TKListGetCell(list, row, column);
  TKInvalidateWindow(list->window);
  Notify(list, kTKListEditStarted, L->rows[size_t(row)].id);
  return kQVNoErr;
}

int32_t TKListEditingRow(TKControl* list) {
  TKListData* L = Data(list);
  return L ? L->editRow : -1;
}

void TKListEndEditing(TKControl* list, bool commit) {
  TKListData* L = Data(list);
  if (!L || L->editRow < 0) return;
  int32_t row = L->editRow, col = L->editColumn;
  L->editRow = L->editColumn = -1;
  int32_t id = row < int32_t(L->rows.size()) ? L->rows[size_t(row)].id : 0;
  if (commit && row < int32_t(L->rows.size()) && col < int32_t(L->columns.size())) {
    std::string text = L->editText;
    if (L->procs.commitEdit) L->procs.commitEdit(list, id, L->columns[size_t(col)].property, text);
    // The procedure may have changed the rows; find the edited one again.
    row = TKListFindRow(list, id);
    if (row >= 0) {
      TKListSetCell(list, row, col, text.c_str());
      TKEvent e = TKControlEvent(kTKEventValueChanged, list, kTKPartList);
      e.row = row;
      e.column = col;
      // A notice: nothing follows from whether anyone handled it.
      QVIgnoreStatus(TKSendEvent(e));
    }
  }
  TKInvalidateWindow(list->window);
  if (TKControlAlive(list)) Notify(list, kTKListEditStopped, id);
}

void TKListClick(TKControl* c, const TKEvent& down) {
  TKListData& L = *c->list;
  // A list that refuses the focus still takes the click.
  if (c->window->focus != c) QVIgnoreStatus(TKSetKeyboardFocus(c->window, c));
  TKPoint p = down.where;
  int32_t column = TKListColumnAtX(c, p.x);
  int32_t row = RowAt(L, c, p);
  bool header = p.y < c->bounds.top + kTKListHeaderHeight;
  bool disclosure = !header && OnDisclosure(L, c, row, p);
  bool canDrag = !header && !disclosure && row >= 0 && bool(L.procs.receiveDrag);
  // Follow the mouse to its release; a move of a few pixels from a row
  // starts dragging the selected rows.
  TKPoint up = p;
  uint32_t mods = 0;
  bool dragging = false;
  std::vector<int32_t> dragged;
  for (;;) {
    TKTrackResult r = TKTrackMouse(c->window, 0.05, &up, &mods);
    if (r == kTKTrackMouseUp) break;
    if (r != kTKTrackMouseDragged) continue;
    if (!dragging && canDrag && std::abs(up.x - p.x) + std::abs(up.y - p.y) >= 4) {
      dragging = true;
      if (L.editRow >= 0) TKListEndEditing(c, true);
      if (!L.rows[size_t(row)].selected) {
        TKListSelectRow(c, row);
        Notify(c, kTKListSelectionChanged, L.rows[size_t(row)].id);
      }
      for (const auto& r2 : L.rows)
        if (r2.selected) dragged.push_back(r2.id);
    }
    if (dragging) {
      int32_t shown = -1;
      DropTargetAt(L, c, up, &shown);
      L.dropTarget = shown;
      TKInvalidateWindow(c->window);
    }
  }
  if (dragging) {
    L.dropTarget = -1;
    TKInvalidateWindow(c->window);
    Drop(c, dragged, up, mods | down.modifiers);
    return;
  }
  if (header) {
    if (column < 0) return;
    bool ascending = L.sortColumn == column ? !L.ascending : true;
    TKListSort(c, column, ascending);
    return;
  }
  if (disclosure) {
    int32_t id = L.rows[size_t(row)].id;
    if (L.rows[size_t(row)].open) TKListCloseContainer(c, id);
    else TKListOpenContainer(c, id);
    return;
  }
  if (L.editRow >= 0 && (row != L.editRow || column != L.editColumn)) TKListEndEditing(c, true);
  std::vector<bool> before = SelectionOf(L);
  if (L.multiple && row >= 0 && (down.modifiers & kTKModCommand)) {
    TKListSetRowSelected(c, row, !L.rows[size_t(row)].selected);
  } else if (L.multiple && row >= 0 && (down.modifiers & kTKModShift) && L.selected >= 0) {
    int32_t from = std::min(L.selected, row), to = std::max(L.selected, row);
    for (int32_t i = from; i <= to; ++i) L.rows[size_t(i)].selected = true;
    L.selected = row;
    TKInvalidateWindow(c->window);
  } else {
    TKListSelectRow(c, row);
  }
  int32_t rowID = row >= 0 ? L.rows[size_t(row)].id : 0;
  if (SelectionOf(L) != before) Notify(c, kTKListSelectionChanged, rowID);
  if (!TKControlAlive(c)) return;
  if (row >= 0 && down.clickCount >= 2 && column >= 0 && L.columns[size_t(column)].editable) {
    // A cell that cannot be edited stays as it is.
    QVIgnoreStatus(TKListEditCell(c, row, column));
    return;
  }
  if (row >= 0 && down.clickCount >= 2) {
    Notify(c, kTKListDoubleClick, rowID);
    if (!TKControlAlive(c)) return;
  }
  TKEvent hit = TKControlEvent(kTKEventControlHit, c, kTKPartList);
  hit.row = TKListFindRow(c, rowID) >= 0 ? TKListFindRow(c, rowID) : row;
  hit.column = column;
  hit.clickCount = down.clickCount;
  hit.modifiers = down.modifiers;
  // A notice: nothing follows from whether anyone handled it.
  QVIgnoreStatus(TKSendEvent(hit));
}

QVStatus TKListKey(TKControl* c, const TKEvent& key) {
  TKListData& L = *c->list;
  if (L.editRow >= 0) {
    if (key.charCode == kTKKeyReturn || key.charCode == kTKKeyEnter || key.charCode == kTKKeyTab) {
      TKListEndEditing(c, true);
      return kQVNoErr;
    }
    if (key.charCode == kTKKeyEscape) {
      TKListEndEditing(c, false);
    } else if (key.charCode == kTKKeyBackspace) {
      if (!L.editText.empty()) L.editText.resize(size_t(TKPrevCharOffset(L.editText, int32_t(L.editText.size()))));
    } else if (key.text[0] && static_cast<unsigned char>(key.text[0]) >= 32) {
      L.editText += key.text;
    }
    TKInvalidateWindow(c->window);
    return kQVNoErr;
  }
  if (key.charCode == kTKKeyUp || key.charCode == kTKKeyDown) {
    int32_t n = int32_t(L.rows.size());
    if (n == 0) return kQVNoErr;
    int32_t row = L.selected < 0 ? 0 : L.selected + (key.charCode == kTKKeyUp ? -1 : 1);
    row = std::clamp(row, 0, n - 1);
    TKListSelectRow(c, row);
    Notify(c, kTKListSelectionChanged, L.rows[size_t(row)].id);
    if (!TKControlAlive(c)) return kQVNoErr;
    TKControlHit(c, kTKPartList, key.modifiers);
    return kQVNoErr;
  }
  // Right opens the selected container, left closes it.
  if ((key.charCode == kTKKeyRight || key.charCode == kTKKeyLeft) && L.selected >= 0) {
    int32_t id = L.rows[size_t(L.selected)].id;
    if (key.charCode == kTKKeyRight) TKListOpenContainer(c, id);
    else TKListCloseContainer(c, id);
    return kQVNoErr;
  }
  return kQVErrNotHandled;
}
