// The sortable list: rows of text cells under column headers; a header
// click sorts, a double click on an editable column opens the cell editor.
#include <algorithm>
#include <charconv>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"

namespace {

UIListData* Data(UIControl* c) { return c && c->list ? c->list.get() : nullptr; }

double NumberOf(const std::string& s) {
  double v = 0;
  const char* b = s.data();
  while (b < s.data() + s.size() && *b == ' ') ++b;
  std::from_chars(b, s.data() + s.size(), v);
  return v;
}

int32_t ColumnAt(UIListData& L, UIControl* c, int32_t x) {
  int32_t left = c->bounds.left;
  for (size_t i = 0; i < L.columns.size(); ++i) {
    if (x >= left && x < left + L.columns[i].width) return int32_t(i);
    left += L.columns[i].width;
  }
  return -1;
}

}  // namespace

void UIListSetColumns(UIControl* list, const std::vector<UIListColumn>& columns) {
  UIListData* L = Data(list);
  if (!L) return;
  L->columns = columns;
  L->sortColumn = -1;
  UIInvalidateWindow(list->window);
}

int32_t UIListAddRow(UIControl* list, int32_t rowID, const std::vector<std::string>& cells) {
  UIListData* L = Data(list);
  if (!L) return -1;
  L->rows.push_back(UIListData::Row{rowID, cells});
  UIInvalidateWindow(list->window);
  return int32_t(L->rows.size()) - 1;
}

void UIListRemoveAll(UIControl* list) {
  UIListData* L = Data(list);
  if (!L) return;
  L->rows.clear();
  L->selected = L->editRow = L->editColumn = -1;
  L->scroll = 0;
  UIInvalidateWindow(list->window);
}

int32_t UIListRowID(UIControl* list, int32_t row) {
  UIListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size())) return 0;
  return L->rows[size_t(row)].id;
}

std::string UIListGetCell(UIControl* list, int32_t row, int32_t column) {
  UIListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size()) || column < 0) return std::string();
  const auto& cells = L->rows[size_t(row)].cells;
  return size_t(column) < cells.size() ? cells[size_t(column)] : std::string();
}

void UIListSetCell(UIControl* list, int32_t row, int32_t column, const char* text) {
  UIListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size()) || column < 0 || column >= 64) return;
  auto& cells = L->rows[size_t(row)].cells;
  if (cells.size() <= size_t(column)) cells.resize(size_t(column) + 1);
  cells[size_t(column)] = text ? text : "";
  UIInvalidateWindow(list->window);
}

void UIListSelectRow(UIControl* list, int32_t row) {
  UIListData* L = Data(list);
  if (!L) return;
  for (auto& r : L->rows) r.selected = false;
  L->selected = (row >= 0 && row < int32_t(L->rows.size())) ? row : -1;
  if (L->selected >= 0) L->rows[size_t(L->selected)].selected = true;
  // Keep the selection in view.
  int32_t visible = std::max(1, (UIRectHeight(list->bounds) - kUIListHeaderHeight) / kUIListRowHeight);
  if (L->selected >= 0 && L->selected < L->scroll) L->scroll = L->selected;
  if (L->selected >= L->scroll + visible) L->scroll = L->selected - visible + 1;
  UIInvalidateWindow(list->window);
}

int32_t UIListSelectedRow(UIControl* list) {
  UIListData* L = Data(list);
  return L ? L->selected : -1;
}

void UIListAllowMultipleSelection(UIControl* list, bool allow) {
  if (UIListData* L = Data(list)) L->multiple = allow;
}

void UIListSetRowSelected(UIControl* list, int32_t row, bool selected) {
  UIListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size())) return;
  if (!L->multiple && selected) {
    UIListSelectRow(list, row);
    return;
  }
  L->rows[size_t(row)].selected = selected;
  if (selected) L->selected = row;
  else if (L->selected == row) {
    L->selected = -1;
    for (size_t i = 0; i < L->rows.size(); ++i)
      if (L->rows[i].selected) L->selected = int32_t(i);
  }
  UIInvalidateWindow(list->window);
}

std::vector<int32_t> UIListSelectedRows(UIControl* list) {
  std::vector<int32_t> rows;
  if (UIListData* L = Data(list))
    for (size_t i = 0; i < L->rows.size(); ++i)
      if (L->rows[i].selected) rows.push_back(int32_t(i));
  return rows;
}

void UIListSetColumnWidth(UIControl* list, int32_t column, int32_t width) {
  UIListData* L = Data(list);
  if (!L || column < 0 || column >= int32_t(L->columns.size())) return;
  L->columns[size_t(column)].width = std::clamp(width, 8, 4000);
  UIInvalidateWindow(list->window);
}

int32_t UIListGetColumnWidth(UIControl* list, int32_t column) {
  UIListData* L = Data(list);
  if (!L || column < 0 || column >= int32_t(L->columns.size())) return 0;
  return L->columns[size_t(column)].width;
}

void UIListSort(UIControl* list, int32_t column, bool ascending) {
  UIListData* L = Data(list);
  if (!L || column < 0 || column >= int32_t(L->columns.size())) return;
  int32_t selectedID = L->selected >= 0 ? L->rows[size_t(L->selected)].id : 0;
  bool hadSelection = L->selected >= 0;
  bool numeric = L->columns[size_t(column)].numeric;
  size_t col = size_t(column);
  std::stable_sort(L->rows.begin(), L->rows.end(), [&](const UIListData::Row& a, const UIListData::Row& b) {
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
  UIInvalidateWindow(list->window);
}

bool UIListSortAscending(UIControl* list) {
  UIListData* L = Data(list);
  return L ? L->ascending : true;
}

QVStatus UIListEditCell(UIControl* list, int32_t row, int32_t column) {
  UIListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size()) || column < 0 || column >= int32_t(L->columns.size()))
    return kQVErrParam;
  if (!L->columns[size_t(column)].editable) return kQVErrParam;
  if (list->window->focus != list) UISetKeyboardFocus(list->window, list);
  L->editRow = row;
  L->editColumn = column;
  L->editText = UIListGetCell(list, row, column);
  UIInvalidateWindow(list->window);
  return kQVNoErr;
}

int32_t UIListEditingRow(UIControl* list) {
  UIListData* L = Data(list);
  return L ? L->editRow : -1;
}

void UIListClick(UIControl* c, const UIEvent& down) {
  UIListData& L = *c->list;
  if (c->window->focus != c) UISetKeyboardFocus(c->window, c);
  UIPoint p = down.where;
  int32_t column = ColumnAt(L, c, p.x);
  // Wait for the release so a click does not leak its mouse-up.
  UIPoint up = p;
  uint32_t mods = 0;
  while (UITrackMouse(c->window, 0.05, &up, &mods) != kUITrackMouseUp) {
  }
  if (p.y < c->bounds.top + kUIListHeaderHeight) {
    if (column < 0) return;
    bool ascending = L.sortColumn == column ? !L.ascending : true;
    UIListSort(c, column, ascending);
    return;
  }
  int32_t row = L.scroll + (p.y - c->bounds.top - kUIListHeaderHeight) / kUIListRowHeight;
  if (row >= int32_t(L.rows.size())) row = -1;
  if (L.editRow >= 0 && (row != L.editRow || column != L.editColumn)) L.editRow = L.editColumn = -1;
  if (L.multiple && row >= 0 && (down.modifiers & kUIModCommand)) {
    UIListSetRowSelected(c, row, !L.rows[size_t(row)].selected);
  } else if (L.multiple && row >= 0 && (down.modifiers & kUIModShift) && L.selected >= 0) {
    int32_t from = std::min(L.selected, row), to = std::max(L.selected, row);
    for (int32_t i = from; i <= to; ++i) L.rows[size_t(i)].selected = true;
    L.selected = row;
    UIInvalidateWindow(c->window);
  } else {
    UIListSelectRow(c, row);
  }
  if (row >= 0 && down.clickCount >= 2 && column >= 0 && L.columns[size_t(column)].editable) {
    UIListEditCell(c, row, column);
    return;
  }
  UIEvent hit = UIControlEvent(kUIEventControlHit, c, kUIPartList);
  hit.row = row;
  hit.column = column;
  hit.clickCount = down.clickCount;
  hit.modifiers = down.modifiers;
  UISendEvent(hit);
}
