// The list's rows as a tree: containers with their children right after
// them, sorting among siblings, date cells, row icons, and files dropped
// from other programs.
#include <algorithm>
#include <charconv>
#include <ctime>
#include <map>

#include "platform/ui/ui_internal.h"

namespace {

TKListData* Data(TKControl* c) { return c && c->list ? c->list.get() : nullptr; }

double NumberOf(const std::string& s) {
  double v = 0;
  const char* b = s.data();
  while (b < s.data() + s.size() && *b == ' ') ++b;
  std::from_chars(b, s.data() + s.size(), v);
  return v;
}

int64_t DateOf(const TKListData::Row& r, size_t column) { return column < r.dates.size() ? r.dates[column] : 0; }

const std::string& CellOf(const TKListData::Row& r, size_t column) {
  static const std::string empty;
  return column < r.cells.size() ? r.cells[column] : empty;
}

// Default order of two rows by a column: text, number or date.
int CompareCells(const TKListData& L, const TKListData::Row& a, const TKListData::Row& b, size_t column) {
  const TKListColumn& col = L.columns[column];
  if (col.kind == kTKListColumnDate) {
    int64_t x = DateOf(a, column), y = DateOf(b, column);
    return x < y ? -1 : x > y ? 1 : 0;
  }
  if (col.numeric) {
    double x = NumberOf(CellOf(a, column)), y = NumberOf(CellOf(b, column));
    return x < y ? -1 : x > y ? 1 : 0;
  }
  return CellOf(a, column).compare(CellOf(b, column));
}

// Index just past the row at `row` and everything under it.
size_t SubtreeEnd(const TKListData& L, size_t row) {
  size_t end = row + 1;
  while (end < L.rows.size() && L.rows[end].depth > L.rows[row].depth) ++end;
  return end;
}

int32_t IndexOf(const TKListData& L, int32_t id) {
  for (size_t i = 0; i < L.rows.size(); ++i)
    if (L.rows[i].id == id) return int32_t(i);
  return -1;
}

void RecountSelection(TKListData& L, int32_t selectedID, bool hadSelected, int32_t editID) {
  int32_t editColumn = L.editColumn;
  L.selected = -1;
  L.editRow = L.editColumn = -1;
  for (size_t i = 0; i < L.rows.size(); ++i) {
    if (L.rows[i].selected && (!hadSelected || L.rows[i].id == selectedID || L.selected < 0)) L.selected = int32_t(i);
    if (editID >= 0 && L.rows[i].id == editID) {
      L.editRow = int32_t(i);
      L.editColumn = editColumn;
    }
  }
  if (L.selected >= 0 && hadSelected) {
    int32_t exact = IndexOf(L, selectedID);
    if (exact >= 0 && L.rows[size_t(exact)].selected) L.selected = exact;
  }
}

}  // namespace

void TKListResort(TKControl* list) {
  TKListData& L = *list->list;
  int32_t selectedID = L.selected >= 0 && L.selected < int32_t(L.rows.size()) ? L.rows[size_t(L.selected)].id : 0;
  bool hadSelected = L.selected >= 0;
  int32_t editID = L.editRow >= 0 && L.editRow < int32_t(L.rows.size()) ? L.rows[size_t(L.editRow)].id : -1;
  // Siblings by parent, in their present order.
  std::map<int32_t, std::vector<size_t>> children;
  std::vector<size_t> top;
  for (size_t i = 0; i < L.rows.size(); ++i) {
    if (L.rows[i].depth == 0) top.push_back(i);
    else children[L.rows[i].parent].push_back(i);
  }
  bool sorted = L.sortColumn >= 0 && L.sortColumn < int32_t(L.columns.size());
  auto sortGroup = [&](std::vector<size_t>& group) {
    if (!sorted) return;
    size_t column = size_t(L.sortColumn);
    uint32_t property = L.columns[column].property;
    std::stable_sort(group.begin(), group.end(), [&](size_t x, size_t y) {
      const auto& a = L.rows[x];
      const auto& b = L.rows[y];
      int c = L.procs.compare ? L.procs.compare(list, a.id, b.id, property) : CompareCells(L, a, b, column);
      return L.ascending ? c < 0 : c > 0;
    });
  };
  std::vector<TKListData::Row> out;
  out.reserve(L.rows.size());
  std::vector<bool> placed(L.rows.size(), false);
  // Depth first; each row is placed once, so a damaged parent chain cannot loop.
  std::vector<std::pair<std::vector<size_t>, size_t>> stack;
  sortGroup(top);
  stack.push_back({top, 0});
  while (!stack.empty()) {
    auto& [group, next] = stack.back();
    if (next >= group.size()) {
      stack.pop_back();
      continue;
    }
    size_t index = group[next++];
    if (placed[index]) continue;
    placed[index] = true;
    out.push_back(std::move(L.rows[index]));
    const TKListData::Row& row = out.back();
    if (row.container && row.open && row.id != 0) {
      auto it = children.find(row.id);
      if (it != children.end()) {
        std::vector<size_t> group2 = it->second;
        sortGroup(group2);
        stack.push_back({std::move(group2), 0});
      }
    }
  }
  // Rows whose container went missing stay, at the top level.
  for (size_t i = 0; i < L.rows.size(); ++i)
    if (!placed[i]) {
      out.push_back(std::move(L.rows[i]));
      out.back().depth = 0;
      out.back().parent = 0;
    }
  L.rows = std::move(out);
  RecountSelection(L, selectedID, hadSelected, editID);
}

std::string TKListCellText(const TKListData& L, size_t row, size_t column) {
  const TKListData::Row& r = L.rows[row];
  if (column < L.columns.size() && L.columns[column].kind == kTKListColumnDate) {
    if (column >= r.dates.size()) return std::string();
    // Seconds since 1904 in local time: shown as they stand.
    time_t t = time_t(r.dates[column] - 2082844800LL);
    struct tm tmv{};
    if (!gmtime_r(&t, &tmv)) return std::string();
    char text[64];
    size_t n = strftime(text, sizeof text, "%d %b %Y %H:%M", &tmv);
    return std::string(text, n);
  }
  return CellOf(r, column);
}

int32_t TKListRowCount(TKControl* list) {
  TKListData* L = Data(list);
  return L ? int32_t(L->rows.size()) : 0;
}

int32_t TKListFindRow(TKControl* list, int32_t rowID) {
  TKListData* L = Data(list);
  return L ? IndexOf(*L, rowID) : -1;
}

int32_t TKListAddChildRow(TKControl* list, int32_t parentID, int32_t rowID, const std::vector<std::string>& cells,
                          bool container) {
  TKListData* L = Data(list);
  if (!L) return -1;
  TKListData::Row row;
  row.id = rowID;
  row.cells = cells;
  row.container = container;
  size_t at = L->rows.size();
  if (parentID != 0) {
    int32_t p = IndexOf(*L, parentID);
    if (p < 0 || !L->rows[size_t(p)].container || !L->rows[size_t(p)].open) return -1;
    row.parent = parentID;
    row.depth = L->rows[size_t(p)].depth + 1;
    at = SubtreeEnd(*L, size_t(p));
  }
  if (L->selected >= int32_t(at)) ++L->selected;
  if (L->editRow >= int32_t(at)) ++L->editRow;
  L->rows.insert(L->rows.begin() + std::ptrdiff_t(at), std::move(row));
  if (L->sortColumn >= 0) TKListResort(list);
  TKInvalidateWindow(list->window);
  return IndexOf(*L, rowID);
}

void TKListRemoveRow(TKControl* list, int32_t rowID) {
  TKListData* L = Data(list);
  if (!L) return;
  int32_t row = IndexOf(*L, rowID);
  if (row < 0) return;
  size_t end = SubtreeEnd(*L, size_t(row));
  if (L->editRow >= row && L->editRow < int32_t(end)) L->editRow = L->editColumn = -1;
  int32_t editID = L->editRow >= 0 ? L->rows[size_t(L->editRow)].id : -1;
  int32_t selectedID = L->selected >= 0 ? L->rows[size_t(L->selected)].id : 0;
  bool keep = L->selected >= 0 && (L->selected < row || L->selected >= int32_t(end));
  L->rows.erase(L->rows.begin() + row, L->rows.begin() + std::ptrdiff_t(end));
  RecountSelection(*L, selectedID, keep, editID);
  int32_t visible = std::max(1, (TKRectHeight(list->bounds) - kTKListHeaderHeight) / kTKListRowHeight);
  L->scroll = std::clamp(L->scroll, 0, std::max(0, int32_t(L->rows.size()) - visible));
  TKInvalidateWindow(list->window);
}

int32_t TKListRowParent(TKControl* list, int32_t row) {
  TKListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size())) return 0;
  return L->rows[size_t(row)].parent;
}

int32_t TKListRowDepth(TKControl* list, int32_t row) {
  TKListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size())) return 0;
  return L->rows[size_t(row)].depth;
}

bool TKListIsContainer(TKControl* list, int32_t row) {
  TKListData* L = Data(list);
  return L && row >= 0 && row < int32_t(L->rows.size()) && L->rows[size_t(row)].container;
}

bool TKListOpenContainer(TKControl* list, int32_t rowID) {
  TKListData* L = Data(list);
  int32_t row = L ? IndexOf(*L, rowID) : -1;
  if (row < 0 || rowID == 0 || !L->rows[size_t(row)].container || L->rows[size_t(row)].open) return false;
  L->rows[size_t(row)].open = true;
  if (L->procs.notify) L->procs.notify(list, kTKListContainerOpened, rowID);
  TKInvalidateWindow(list->window);
  return true;
}

bool TKListCloseContainer(TKControl* list, int32_t rowID) {
  TKListData* L = Data(list);
  int32_t row = L ? IndexOf(*L, rowID) : -1;
  if (row < 0 || !L->rows[size_t(row)].container || !L->rows[size_t(row)].open) return false;
  // Remove the children one subtree at a time.
  while (size_t(row) + 1 < L->rows.size() && L->rows[size_t(row) + 1].depth > L->rows[size_t(row)].depth)
    TKListRemoveRow(list, L->rows[size_t(row) + 1].id);
  L->rows[size_t(row)].open = false;
  if (L->procs.notify) L->procs.notify(list, kTKListContainerClosed, rowID);
  TKInvalidateWindow(list->window);
  return true;
}

bool TKListIsContainerOpen(TKControl* list, int32_t rowID) {
  TKListData* L = Data(list);
  int32_t row = L ? IndexOf(*L, rowID) : -1;
  return row >= 0 && L->rows[size_t(row)].open;
}

void TKListSetCellDate(TKControl* list, int32_t row, int32_t column, int64_t seconds1904) {
  TKListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size()) || column < 0 || column >= 64) return;
  auto& dates = L->rows[size_t(row)].dates;
  if (dates.size() <= size_t(column)) dates.resize(size_t(column) + 1);
  dates[size_t(column)] = seconds1904;
  TKInvalidateWindow(list->window);
}

int64_t TKListGetCellDate(TKControl* list, int32_t row, int32_t column) {
  TKListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size()) || column < 0) return 0;
  return DateOf(L->rows[size_t(row)], size_t(column));
}

void TKListSetRowIcon(TKControl* list, int32_t row, std::shared_ptr<TKImage> icon) {
  TKListData* L = Data(list);
  if (!L || row < 0 || row >= int32_t(L->rows.size())) return;
  L->rows[size_t(row)].icon = std::move(icon);
  TKInvalidateWindow(list->window);
}

void TKListSetProcs(TKControl* list, const TKListProcs& procs) {
  if (TKListData* L = Data(list)) L->procs = procs;
}

bool TKDropFiles(TKWindow* window, TKPoint where, const std::vector<std::string>& paths) {
  if (!window || !TKWindowAlive(window) || paths.empty()) return false;
  for (TKControl* c = TKFindControlAt(window, where); c; c = c->parent) {
    TKListData* L = Data(c);
    if (!L || !L->procs.receiveFiles) continue;
    int32_t target = 0;
    if (where.y >= c->bounds.top + kTKListHeaderHeight) {
      int32_t row = L->scroll + (where.y - c->bounds.top - kTKListHeaderHeight) / kTKListRowHeight;
      if (row < int32_t(L->rows.size()) && L->rows[size_t(row)].container) target = L->rows[size_t(row)].id;
    }
    L->procs.receiveFiles(c, paths, target);
    return true;
  }
  return false;
}
