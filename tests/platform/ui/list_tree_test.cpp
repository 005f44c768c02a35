// The list as a tree: disclosure, sorting among siblings, editing with a
// commit procedure, drags between containers and files dropped from outside.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/fourcc.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_internal.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

// A small model behind the list: rows by ID with their children.
struct Node {
  std::string name;
  bool container = false;
  int64_t date = 0;
  std::vector<int32_t> children;
};

class TKListTreeTest : public TKHeadlessTest {
 protected:
  void SetUp() override {
    TKHeadlessTest::SetUp();
    window = TKCreateWindow(kTKWindowPlain, TKMakeRect(100, 100, 500, 400), "Tree");
    TKShowWindow(window);
    list = TKNewList(window, TKMakeRect(10, 10, 400, 300));
    TKListSetColumns(list, {{"Name", 200, false, false, QVFourCC("name")},
                            {"Date", 150, false, false, QVFourCC("date"), kTKListColumnDate}});
    TKListAllowMultipleSelection(list, true);
    nodes = {{0, {"", true, 0, {1, 2, 3}}},
             {1, {"Looks", true, 300, {10, 11}}},
             {2, {"b shot", false, 100, {}}},
             {3, {"A shot", false, 200, {}}},
             {10, {"shot 10", false, 50, {}}},
             {11, {"shot 9", true, 60, {20}}},
             {20, {"deep", false, 70, {}}}};
    TKListProcs procs;
    procs.notify = [this](TKControl* c, TKListNotification note, int32_t id) {
      notes.push_back({note, id});
      if (note == kTKListContainerOpened) AddChildren(c, id);
    };
    procs.compare = [this](TKControl*, int32_t a, int32_t b, uint32_t property) {
      if (property == QVFourCC("date")) return nodes[a].date < nodes[b].date ? -1 : nodes[a].date > nodes[b].date;
      return nodes[a].name.compare(nodes[b].name);
    };
    TKListSetProcs(list, procs);
    AddChildren(list, 0);
  }
  void AddChildren(TKControl* c, int32_t parent) {
    for (int32_t id : nodes[parent].children) {
      int32_t row = TKListAddChildRow(c, parent, id, {nodes[id].name}, nodes[id].container);
      TKListSetCellDate(c, row, 1, nodes[id].date);
    }
  }
  std::vector<std::string> Shown() {
    std::vector<std::string> out;
    for (int32_t r = 0; r < TKListRowCount(list); ++r)
      out.push_back(std::string(size_t(TKListRowDepth(list, r)), '-') + TKListGetCell(list, r, 0));
    return out;
  }
  static TKPoint RowPoint(int32_t row, int32_t x = 120) { return TKPoint{x, 10 + kTKListHeaderHeight + row * kTKListRowHeight + 5}; }
  TKPoint Triangle(int32_t row) {
    return TKPoint{10 + 2 + TKListRowDepth(list, row) * kTKListIndent + kTKListIndent / 2, RowPoint(row).y};
  }

  TKWindow* window = nullptr;
  TKControl* list = nullptr;
  std::map<int32_t, Node> nodes;
  std::vector<std::pair<TKListNotification, int32_t>> notes;
};

TEST_F(TKListTreeTest, DisclosureAddsChildrenUnderTheirContainerAndSortingKeepsThemThere) {
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Looks", "b shot", "A shot"}));
  // A click beside the triangle selects; on it, opens.
  TKInjectClick(window, Triangle(0));
  TKRunPending();
  EXPECT_TRUE(TKListIsContainerOpen(list, 1));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Looks", "-shot 10", "-shot 9", "b shot", "A shot"}));
  EXPECT_TRUE(TKListOpenContainer(list, 11));
  EXPECT_FALSE(TKListOpenContainer(list, 11));  // already open
  EXPECT_FALSE(TKListOpenContainer(list, 2));   // no container
  EXPECT_EQ(TKListAddChildRow(list, 2, 99, {"x"}, false), -1);  // under no container
  EXPECT_EQ(TKListRowParent(list, 3), 11);

  // Sorting by name goes through the compare procedure among siblings only.
  TKListSort(list, 0, true);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"A shot", "Looks", "-shot 10", "-shot 9", "--deep", "b shot"}));
  // By date, descending: 300 Looks (its 60 and 50 children), 200, 100.
  TKInjectClick(window, TKPoint{10 + 200 + 20, 15});
  TKInjectClick(window, TKPoint{10 + 200 + 20, 15});
  TKRunPending();
  EXPECT_EQ(TKListSortColumn(list), 1);
  EXPECT_FALSE(TKListSortAscending(list));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Looks", "-shot 9", "--deep", "-shot 10", "A shot", "b shot"}));
  EXPECT_EQ(TKListCellText(*list->list, 4, 1), "01 Jan 1904 00:03");  // 200 seconds after the epoch
  // A row added to a sorted list takes its place.
  nodes[30] = {"aa", false, 250, {}};
  int32_t row = TKListAddChildRow(list, 0, 30, {"aa"}, false);
  TKListSetCellDate(list, row, 1, 250);
  TKListSort(list, 1, false);
  EXPECT_EQ(TKListFindRow(list, 30), 4);

  // Closing removes the whole subtree; the selection on a removed row goes.
  TKListSelectRow(list, TKListFindRow(list, 20));
  TKInjectKey(kTKKeyUp);  // to "shot 9", whose container is then closed by the key
  TKRunPending();
  EXPECT_EQ(TKListRowID(list, TKListSelectedRow(list)), 11);
  TKInjectKey(kTKKeyLeft);
  TKRunPending();
  EXPECT_EQ(TKListFindRow(list, 20), -1);
  ASSERT_TRUE(TKListCloseContainer(list, 1));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Looks", "aa", "A shot", "b shot"}));
  EXPECT_EQ(TKListSelectedRow(list), -1);
  EXPECT_EQ(notes.back(), (std::pair<TKListNotification, int32_t>{kTKListContainerClosed, 1}));
}

TEST_F(TKListTreeTest, EditsPassThroughTheCommitProcedureAndClickingAwayKeepsThem) {
  TKListSetColumnEditable(list, 0, true);
  std::vector<std::string> committed;
  TKListProcs procs = list->list->procs;
  procs.commitEdit = [&](TKControl*, int32_t id, uint32_t property, std::string& text) {
    EXPECT_EQ(property, QVFourCC("name"));
    if (text.empty()) text = "          ";
    nodes[id].name = text;
    committed.push_back(text);
  };
  TKListSetProcs(list, procs);
  ASSERT_EQ(TKListEditCell(list, 1, 0), kQVNoErr);
  for (int i = 0; i < 6; ++i) TKInjectKey(kTKKeyBackspace);
  TKInjectKey(kTKKeyReturn);
  TKRunPending();
  EXPECT_EQ(committed, (std::vector<std::string>{"          "}));
  EXPECT_EQ(TKListGetCell(list, 1, 0), "          ");
  // Typing, then a click on another row: the text is kept, not lost.
  ASSERT_EQ(TKListEditCell(list, 2, 0), kQVNoErr);
  TKInjectText("!");
  TKInjectClick(window, RowPoint(0));
  TKRunPending();
  EXPECT_EQ(TKListEditingRow(list), -1);
  EXPECT_EQ(nodes[3].name, "A shot!");
  // Escape drops the typing; each edit reports its start and its stop.
  ASSERT_EQ(TKListEditCell(list, 2, 0), kQVNoErr);
  TKInjectText("zz");
  TKInjectKey(kTKKeyEscape);
  TKRunPending();
  EXPECT_EQ(committed.size(), 2u);
  int started = 0, stopped = 0;
  for (auto& n : notes) {
    started += n.first == kTKListEditStarted;
    stopped += n.first == kTKListEditStopped;
  }
  EXPECT_EQ(started, 3);
  EXPECT_EQ(stopped, 3);
}

TEST_F(TKListTreeTest, DraggedRowsLandOnTheContainerUnderThePointerNeverInsideThemselves) {
  std::vector<std::pair<std::vector<int32_t>, int32_t>> drops;
  bool accept = true;
  TKListProcs procs = list->list->procs;
  procs.acceptDrag = [&](TKControl*, const std::vector<int32_t>&, int32_t, uint32_t) { return accept; };
  procs.receiveDrag = [&](TKControl*, const std::vector<int32_t>& ids, int32_t target, uint32_t) {
    drops.push_back({ids, target});
  };
  TKListSetProcs(list, procs);
  auto drag = [&](TKPoint from, TKPoint to, uint32_t mods = 0) {
    TKInjectMouseDown(window, from, mods);
    TKInjectMouseDrag(window, TKPoint{from.x, from.y + 3});
    TKInjectMouseDrag(window, to);
    TKInjectMouseUp(window, to);
    TKRunPending();
  };
  // Two selected files dragged onto the folder.
  TKListSetRowSelected(list, 1, true);
  TKListSetRowSelected(list, 2, true);
  drag(RowPoint(2), RowPoint(0));
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0], (std::pair<std::vector<int32_t>, int32_t>{{2, 3}, 1}));
  // An unselected row dragged alone onto a file: the top level.
  TKListOpenContainer(list, 1);
  drag(RowPoint(1), RowPoint(3));
  EXPECT_EQ(drops.back(), (std::pair<std::vector<int32_t>, int32_t>{{10}, 0}));
  // Onto empty space below the rows: the top level too.
  drag(RowPoint(2), RowPoint(12));
  EXPECT_EQ(drops.back(), (std::pair<std::vector<int32_t>, int32_t>{{11}, 0}));
  size_t before = drops.size();
  // A folder onto itself, onto its own child folder, or out of the list: refused.
  drag(RowPoint(0), RowPoint(0, 150));
  drag(RowPoint(0), RowPoint(2));
  drag(RowPoint(0), TKPoint{450, 50});
  // And whatever the accept procedure turns down.
  accept = false;
  drag(RowPoint(3), RowPoint(0));
  EXPECT_EQ(drops.size(), before);
}

TEST_F(TKListTreeTest, DroppedFilesGoToTheContainerUnderThePointer) {
  std::vector<std::string> paths;
  int32_t target = -1;
  EXPECT_FALSE(TKDropFiles(window, RowPoint(0), {"/tmp/a.png"}));  // nobody takes files yet
  TKListProcs procs = list->list->procs;
  procs.receiveFiles = [&](TKControl*, const std::vector<std::string>& p, int32_t t) {
    paths = p;
    target = t;
  };
  TKListSetProcs(list, procs);
  EXPECT_TRUE(TKDropFiles(window, RowPoint(0), {"/tmp/a.png", "/tmp/b.mov"}));
  EXPECT_EQ(paths, (std::vector<std::string>{"/tmp/a.png", "/tmp/b.mov"}));
  EXPECT_EQ(target, 1);
  EXPECT_TRUE(TKDropFiles(window, RowPoint(2), {"/tmp/c.png"}));
  EXPECT_EQ(target, 0);
  EXPECT_FALSE(TKDropFiles(window, TKPoint{450, 350}, {"/tmp/c.png"}));  // outside the list
}

TEST_F(TKListTreeTest, MovedColumnsAreHitAndDrawnWhereTheyStand) {
  TKListSetColumnPosition(list, 1, 0);  // Date first, 150 wide
  EXPECT_EQ(TKListGetColumnPosition(list, 1), 0);
  EXPECT_EQ(TKListGetColumnPosition(list, 0), 1);
  EXPECT_EQ(TKListGetColumnPosition(list, 7), -1);
  TKInjectClick(window, TKPoint{10 + 50, 15});
  TKRunPending();
  EXPECT_EQ(TKListSortColumn(list), 1);
  // The triangle follows column 0 to its new place.
  TKInjectClick(window, TKPoint{10 + 150 + 2 + kTKListIndent / 2, RowPoint(TKListFindRow(list, 1)).y});
  TKRunPending();
  EXPECT_TRUE(TKListIsContainerOpen(list, 1));
  TKImage* image = TKImageCreate(500, 400);
  TKContext* ctx = TKBeginDrawing(image);
  TKDrawControlTree(TKGetRootControl(window), ctx);  // draws without fault with icons and dates
  TKEndDrawing(ctx);
  TKImageDispose(image);
}

}  // namespace
