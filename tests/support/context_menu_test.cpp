#include "support/context_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/ui_event.h"
#include "platform/ui/ui_menu.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

struct Call {
  int32_t message;
  int32_t tag;
  bool operator==(const Call&) const = default;
};

// Records every callback; before the menu shows it notes the rows and runs
// the caller's adjustment.
struct Recorder {
  std::vector<Call> calls;
  std::vector<std::string> rows;
  std::vector<bool> enabled, checked;
  void (*adjust)(TKMenu*) = nullptr;
};

void Record(int32_t unused, int32_t message, int32_t tag, TKMenu* menu, void* userData) {
  auto* r = static_cast<Recorder*>(userData);
  EXPECT_EQ(unused, 0);
  r->calls.push_back({message, tag});
  if (message != kCTMMessageBeforeShow) return;
  if (r->adjust) r->adjust(menu);
  for (int32_t i = 1; i <= TKCountMenuItems(menu); ++i) {
    r->rows.push_back(TKGetMenuItemText(menu, i));
    r->enabled.push_back(TKIsMenuItemEnabled(menu, i));
    r->checked.push_back(TKIsMenuItemChecked(menu, i));
  }
}

const CTMMenuItem kItems[] = {
    {"Reset", 10, 1, 0}, {"-", 0, 1, 0},      {"Smooth", 20, 1, 1}, {"Linear", 30, 1, -1},
    {"Delete", 40, 0, 0}, {nullptr, 99, 1, 0},
};

class ContextMenuTest : public TKHeadlessTest {};

TEST_F(ContextMenuTest, CallbackAdjustsItemsByRowAndHearsTheChosenTag) {
  Recorder r;
  // Row 3 is "Smooth": the separator takes row 2. Row 9 lies outside the menu.
  r.adjust = [](TKMenu* menu) {
    EXPECT_EQ(CTMSetMenuItemEnable(menu, 3, false), kQVNoErr);
    EXPECT_EQ(CTMSetMenuItemEnable(menu, 5, true), kQVNoErr);
    EXPECT_EQ(CTMSetMenuItemEnable(menu, 9, false), kQVNoErr);
    EXPECT_EQ(CTMSetMenuItemEnable(nullptr, 1, false), kQVNoErr);
  };
  // Down lands on Reset, then skips the separator and the disabled Smooth.
  for (int i = 0; i < 3; ++i) TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyReturn);
  EXPECT_EQ(CTMDoContextualMenu(kItems, Record, &r), kQVNoErr);
  EXPECT_EQ(r.calls, (std::vector<Call>{{kCTMMessageBeforeShow, 0}, {kCTMMessageChosen, 40}}));
  EXPECT_EQ(r.rows, (std::vector<std::string>{"Reset", "-", "Smooth", "Linear", "Delete"}));
  EXPECT_EQ(r.enabled, (std::vector<bool>{true, false, false, true, true}));
  EXPECT_EQ(r.checked, (std::vector<bool>{false, false, true, true, false}));
}

TEST_F(ContextMenuTest, NothingChosenReportsTagZero) {
  const CTMMenuItem endOnly[] = {{nullptr, 0, 0, 0}};
  struct Case {
    const char* name;
    const CTMMenuItem* items;
    bool escape;
  } cases[] = {{"only the end record", endOnly, false}, {"dismissed with Escape", kItems, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Recorder r;
    if (c.escape) {
      TKInjectKey(kTKKeyDown);
      TKInjectKey(kTKKeyEscape);
    }
    EXPECT_EQ(CTMDoContextualMenu(c.items, Record, &r), kQVNoErr);
    EXPECT_EQ(r.calls, (std::vector<Call>{{kCTMMessageBeforeShow, 0}, {kCTMMessageChosen, 0}}));
  }
  EXPECT_EQ(CTMDoContextualMenu(kItems, nullptr, nullptr), kQVNoErr);  // no callback is fine
  Recorder r;
  EXPECT_EQ(CTMDoContextualMenu(nullptr, Record, &r), kQVErrNotHandled);
  EXPECT_TRUE(r.calls.empty());
}

TEST_F(ContextMenuTest, PopsUpAtTheContextClickInTheWindow) {
  TKWindow* window = TKCreateWindow(kTKWindowPlain, TKMakeRect(120, 80, 400, 300), "Curves");
  TKShowWindow(window);
  Recorder r;
  TKInstallWindowHandler(window, [&](TKEvent& e) -> QVStatus {
    if (e.kind != kTKEventContextClick) return kQVErrNotHandled;
    return CTMDoContextualMenu(kItems, Record, &r);
  });
  // The menu's top-left corner is at the click; rows are 20 high from 4
  // inside it and the separator is 9 high, so 4 + 20 + 9 + 10 is in "Smooth".
  const TKPoint click{50, 60};
  const TKPoint smooth{click.x + 30, click.y + 4 + 20 + 9 + 10};
  TKInjectRightClick(window, click);
  TKInjectMouseDown(window, smooth);
  TKInjectMouseUp(window, smooth);
  TKRunPending();
  EXPECT_EQ(r.calls, (std::vector<Call>{{kCTMMessageBeforeShow, 0}, {kCTMMessageChosen, 20}}));
}

}  // namespace
