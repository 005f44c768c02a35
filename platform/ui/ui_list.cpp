// The sortable list: rows of text cells under column headers; a header
// click sorts, a double click on an editable column opens the cell editor.
#include <algorithm>
#include <charconv>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"

namespace {

TKListData* Data(TKControl* c) { return c && c->list ? c->list.get() : nullptr; }

double NumberOf(const std::string& s) {
  double v = 0;
  const char* b = s.data();
  while (b < s.data() + s.size() && *b == ' ') ++b;
  std::from_chars(b, s.data() + s.size(), v);
  return v;
}

int32_t ColumnAt(TKListData& L, TKControl* c, int32_t x) {
  int32_t left = c->bounds.left;
  for (size_t i = 0; i < L.columns.size(); ++i) {
    if (x >= left && x < left + L.columns[i].width) return int32_t(i);
    left += L.columns[i].width;
  }
  return -1;
}

}  // namespace

void TKListSetColumns(TKControl* list, const std::vector<TKListColumn>& columns) {
  TKListData* L = Data(list);
  if (!L) return;
  L->columns = columns;
  L->sortColumn = -1;
  TKInvalidateWindow(list->window);
}

int32_t TKListAddRow(TKControl* list, int32_t rowID, const std::vector<std::string>& cells) {
  TKListData* L = Data(list);
  if (!L) return -1;
  L->rows.push_back(TKListData::Row{rowID, cells});
  TKInvalidateWindow(list->window);
  return int32_t(L->rows.size()) - 1;
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

void TKListSort(TKControl* list, int32_t column, bool ascending) {
  TKListData* L = Data(list);
  if (!L || column < 0 || column >= int32_t(L->columns.size())) return;
  int32_t selectedID = L->selected >= 0 ? L->rows[size_t(L->selected)].id : 0;
  bool hadSelection = L->selected >= 0;
  bool numeric = L->columns[size_t(column)].numeric;
  size_t col = size_t(column);
  std::stable_sort(L->rows.begin(), L->rows.end(), [&](const TKListData::Row& a, const TKListData::Row& b) {
    const std::string empty;
    const std::string& x = col < a.cells.size() ? a.cells[col] : empty;
    const std::string& y = col < b.cells.size() ? b.cells[col] : empty;
    if (numeric) return ascending ? NumberOf(x) < NumberOf(y) : NumberOf(y) < NumberOf(x);
    return ascending ? x < y : y < x;
  });
  L->sortColumn = column;
  L->ascending = ascending;
  L->editRow = L->editColumn = -1;
  if (hadSelection) {
    for (size_t i = 0; i < L->rows.size(); ++i)
      if (L->rows[i].id == selectedID && L->rows[i].selected) L->selected = int32_t(i);
  }
  TKInvalidateWindow(list->window);
}

bool TKListSortAscending(TKControl* list) {
  TKListData* L = Data(list);
  return L ? L->ascending : true;
}

QVStatus TKListEditCell(TKControl* list, int32_t row, int32_t column) {
  TKListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size()) || column < 0 || column >= int32_t(L->columns.size()))
    return kQVErrParam;
  if (!L->columns[size_t(column)].editable) return kQVErrParam;
  if (list->window->focus != list) TKSetKeyboardFocus(list->window, list);
  L->editRow = row;
  L->editColumn = column;
  L->editText = TKListGetCell(list, row, column);
  TKInvalidateWindow(list->window);
  return kQVNoErr;
}

int32_t TKListEditingRow(TKControl* list) {
  TKListData* L = Data(list);
  return L ? L->editRow : -1;
}

void TKListClick(TKControl* c, const TKEvent& down) {
  TKListData& L = *c->list;
  if (c->window->focus != c) TKSetKeyboardFocus(c->window, c);
  TKPoint p = down.where;
  int32_t column = ColumnAt(L, c, p.x);
  // Wait for the release so a click does not leak its mouse-up.
  TKPoint up = p;
  uint32_t mods = 0;
  while (TKTrackMouse(c->window, 0.05, &up, &mods) != kTKTrackMouseUp) {
  }
  if (p.y < c->bounds.top + kTKListHeaderHeight) {
    if (column < 0) return;
    bool ascending = L.sortColumn == column ? !L.ascending : true;
    TKListSort(c, column, ascending);
    return;
  }
  int32_t row = L.scroll + (p.y - c->bounds.top - kTKListHeaderHeight) / kTKListRowHeight;
  if (row >= int32_t(L.rows.size())) row = -1;
  if (L.editRow >= 0 && (row != L.editRow || column != L.editColumn)) L.editRow = L.editColumn = -1;
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
  if (row >= 0 && down.clickCount >= 2 && column >= 0 && L.columns[size_t(column)].editable) {
    TKListEditCell(c, row, column);
    return;
  }
  TKEvent hit = TKControlEvent(kTKEventControlHit, c, kTKPartList);
  hit.row = row;
  hit.column = column;
  hit.clickCount = down.clickCount;
  hit.modifiers = down.modifiers;
  TKSendEvent(hit);
}
