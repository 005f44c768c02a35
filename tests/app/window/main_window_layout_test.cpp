// The main window holds together on every screen size the application is
// meant for: with each tab of each tab group on show in turn, no two
// controls on show overlap, each lies inside the control that holds it (so
// no tab cuts one off), and everything lies inside the window.
#include <string>
#include <vector>

#include <cmath>

#include "app/controls/tab_group.h"
#include "app/views/histogram.h"
#include "app/views/scope_labels.h"
#include "main_window_fixture.h"

namespace {

struct ScreenSize {
  int32_t width, height;
};
constexpr ScreenSize kScreens[] = {{1024, 768}, {1280, 800}, {1920, 1080}, {1920, 1200}};

std::string Describe(TKControl* control) {
  std::string path;
  for (TKControl* c = control; c && TKGetControlKind(c) != kTKControlRoot; c = TKGetParentControl(c)) {
    const TKRect r = TKGetControlBounds(c);
    std::string title = TKGetControlTitle(c);
    if (VFTabGroupItem* item = TabGroupItemOfPane(c)) title = std::string("tab ") + item->name;
    path = "/" + title + "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom) + "]" + path;
    if (!title.empty()) break;
  }
  return path;
}

void Collect(TKControl* control, std::vector<TKControl*>* all) {
  for (int32_t i = 0, n = TKCountChildren(control); i < n; ++i) {
    TKControl* child = TKGetChild(control, i);
    all->push_back(child);
    Collect(child, all);
  }
}

// Neighbours may share a one-pixel border (the rows of a tab column do).
bool Overlap(const TKRect& a, const TKRect& b) {
  const TKRect both = TKRectIntersect(a, b);
  return TKRectWidth(both) > 1 && TKRectHeight(both) > 1;
}

bool Inside(const TKRect& inner, const TKRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// Every control on show now: inside its holder and the window, and clear of
// every other control on show (a holder and what it holds excepted).
void CheckShown(TKWindow* window, const std::string& state) {
  std::vector<TKControl*> all;
  Collect(TKGetRootControl(window), &all);
  const TKRect windowBounds = TKGetWindowBounds(window);
  const TKRect content = TKMakeRect(0, 0, TKRectWidth(windowBounds), TKRectHeight(windowBounds));
  std::vector<TKControl*> leaves;
  for (TKControl* c : all) {
    if (TKCountChildren(c) != 0 || !TKIsControlVisible(c)) continue;
    const TKRect r = TKGetControlBounds(c);
    if (TKRectEmpty(r)) continue;
    leaves.push_back(c);
    EXPECT_TRUE(Inside(r, content)) << state << ": " << Describe(c) << " leaves the window";
    for (TKControl* holder = TKGetParentControl(c); holder && TKGetControlKind(holder) != kTKControlRoot;
         holder = TKGetParentControl(holder)) {
      if (Inside(r, TKGetControlBounds(holder))) continue;
      ADD_FAILURE() << state << ": " << Describe(c) << " is cut by " << Describe(holder);
      break;
    }
  }
  for (size_t i = 0; i < leaves.size(); ++i)
    for (size_t j = i + 1; j < leaves.size(); ++j) {
      EXPECT_FALSE(Overlap(TKGetControlBounds(leaves[i]), TKGetControlBounds(leaves[j])))
          << state << ": " << Describe(leaves[i]) << " overlaps " << Describe(leaves[j]);
    }
}

// Shows each tab of each tab group under control in turn, and within it
// each tab of the groups it holds, checking the window each time.
void ShowEachTab(TKControl* control, TKWindow* window, const std::string& state) {
  for (int32_t i = 0, n = TKCountChildren(control); i < n; ++i) {
    TKControl* child = TKGetChild(control, i);
    VFTabGroup* group = TabGroupRecord(child);
    if (!group || group->count == 0) {
      ShowEachTab(child, window, state);
      continue;
    }
    const int32_t was = TabGroupGetCurrent(child);
    for (int32_t item = 0; item < group->count; ++item) {
      TabGroupSelect(child, item);
      const std::string shown = state + " " + group->items[item]->name;
      CheckShown(window, shown);
      ShowEachTab(TabGroupGetPane(child, item), window, shown);
    }
    TabGroupSelect(child, was);
  }
}

class MainWindowLayoutTest : public MainWindowTest {};

TEST_F(MainWindowLayoutTest, EveryControlShowsWholeOnEveryScreen) {
  for (const ScreenSize& s : kScreens) {
    const std::string size = std::to_string(s.width) + "x" + std::to_string(s.height);
    SCOPED_TRACE(size);
    TKSetHeadlessDisplays({TKMakeRect(0, 0, s.width, s.height)});
    Build();
    TKWindow* window = UIMainWindow();
    ASSERT_NE(window, nullptr);
    CheckShown(window, size);
    ShowEachTab(TKGetRootControl(window), window, size);
    DisposeMainWindow();
  }
}

// The combo display's quadrants are small on the smallest screens; a
// histogram there still shows its readouts.
TEST_F(MainWindowLayoutTest, ComboHistogramKeepsItsReadoutsOnEveryScreen) {
  for (const ScreenSize& s : kScreens) {
    SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
    TKSetHeadlessDisplays({TKMakeRect(0, 0, s.width, s.height)});
    Build();
    ASSERT_NE(gScopePicture, nullptr);
    const TKRect pane = TKMakeRect(0, 0, TKImageWidth(gScopePicture), TKImageHeight(gScopePicture));
    const ComboLayout combo = ComboLayoutForRect(pane);
    for (const TKRect& quadrant : combo.quadrant) {
      TKFont font;
      SetScopeFont(quadrant, &font);
      const int32_t readoutWidth = int32_t(std::ceil(TKMeasureText(font, "Mean: 255").width));
      EXPECT_TRUE(HistogramLayoutFor(quadrant, true, font.size, readoutWidth).statistics) << TKRectHeight(quadrant);
    }
    DisposeMainWindow();
  }
}

}  // namespace
