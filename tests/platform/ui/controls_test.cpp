#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fourcc.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_services.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

class UIControlTest : public UIHeadlessTest {
 protected:
  void SetUp() override {
    UIHeadlessTest::SetUp();
    window = UICreateWindow(kUIWindowPlain, UIMakeRect(100, 100, 400, 300), "Test");
    UIShowWindow(window);
  }
  static UIPoint Centre(UIControl* c) {
    UIRect r = UIGetControlBounds(c);
    return UIPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  UIWindow* window = nullptr;
};

TEST_F(UIControlTest, ClickingCheckBoxTogglesItAndRunsItsHandler) {
  UIControl* box = UINewCheckBox(window, UIMakeRect(10, 10, 120, 20), "Limiter", 0);
  int hits = 0;
  int16_t part = 0;
  UIInstallControlHandler(box, [&](UIEvent& e) {
    if (e.kind != kUIEventControlHit) return kQVErrNotHandled;
    ++hits;
    part = e.part;
    return kQVNoErr;
  });
  UIInjectClick(window, Centre(box));
  UIRunPending();
  EXPECT_EQ(UIGetControlValue(box), 1);
  EXPECT_EQ(hits, 1);
  EXPECT_EQ(part, kUIPartCheckBox);
  UIInjectClick(window, Centre(box));
  UIRunPending();
  EXPECT_EQ(UIGetControlValue(box), 0);
  // Released outside: no toggle, no hit.
  UIInjectMouseDown(window, Centre(box));
  UIInjectMouseUp(window, UIPoint{300, 250});
  UIRunPending();
  EXPECT_EQ(UIGetControlValue(box), 0);
  EXPECT_EQ(hits, 2);
  // Disabled (through its container): nothing happens.
  UIControl* pane = UINewUserPane(window, UIMakeRect(0, 0, 400, 300), {});
  ASSERT_EQ(UIEmbedControl(box, pane), kQVNoErr);
  UISetControlEnabled(pane, false);
  EXPECT_FALSE(UIIsControlEnabled(box));
  UIInjectClick(window, Centre(box));
  UIRunPending();
  EXPECT_EQ(UIGetControlValue(box), 0);
}

TEST_F(UIControlTest, DraggingSliderTracksLiveWithPartCodes) {
  UIControl* slider = UINewSlider(window, UIMakeRect(20, 50, 216, 20), 0, 0, 200);
  std::vector<int32_t> live;
  std::vector<int16_t> hitParts, liveParts;
  UIInstallControlHandler(slider, [&](UIEvent& e) {
    if (e.kind == kUIEventValueChanged) {
      liveParts.push_back(e.part);
      live.push_back(UIGetControlValue(slider));
      return kQVNoErr;
    }
    if (e.kind == kUIEventControlHit) {
      hitParts.push_back(e.part);
      return kQVNoErr;
    }
    return kQVErrNotHandled;
  });
  // The thumb (16 wide) sits at the left end for value 0.
  UIPoint thumb{28, 60};
  EXPECT_EQ(UISliderPartAt(slider, thumb), kUIPartThumb);
  // Moves a moment apart each count (moves queued together count as the last).
  UIInjectMouseDown(window, thumb);
  UIInjectMouseDrag(window, UIPoint{78, 60}, 0, 0.1);
  UIInjectMouseDrag(window, UIPoint{128, 60}, 0, 0.2);
  UIInjectMouseDrag(window, UIPoint{500, 60}, 0, 0.3);  // past the end clamps
  UIInjectMouseUp(window, UIPoint{500, 60}, 0, 0.4);
  UIRunFor(0.5);
  EXPECT_EQ(live, (std::vector<int32_t>{50, 100, 200}));
  EXPECT_EQ(liveParts, std::vector<int16_t>(3, kUIPartThumb));
  EXPECT_EQ(hitParts, std::vector<int16_t>{kUIPartThumb});
  EXPECT_EQ(UIGetControlValue(slider), 200);

  // A click on the track left of the thumb pages down by the page size.
  UISetSliderPageSize(slider, 30);
  live.clear();
  UIInjectClick(window, UIPoint{40, 60});
  UIRunPending();
  EXPECT_EQ(UIGetControlValue(slider), 170);
  EXPECT_EQ(liveParts.back(), kUIPartPageUp);
  EXPECT_EQ(hitParts.back(), kUIPartPageUp);
}

TEST_F(UIControlTest, TypingEditsTheFieldAndTabMovesAlongTheChain) {
  UIControl* a = UINewEditText(window, UIMakeRect(10, 10, 100, 22), "");
  UINewStaticText(window, UIMakeRect(10, 40, 100, 20), "Label");
  UIControl* b = UINewEditText(window, UIMakeRect(10, 70, 100, 22), "1.5");
  UIControl* hidden = UINewEditText(window, UIMakeRect(10, 100, 100, 22), "");
  UISetControlVisible(hidden, false);
  int changes = 0;
  UIInstallControlHandler(a, [&](UIEvent& e) {
    if (e.kind == kUIEventValueChanged) ++changes;
    return kQVErrNotHandled;
  });
  UIInjectClick(window, Centre(a));
  UIInjectText("0.25x");
  UIInjectKey(kUIKeyBackspace);
  UIInjectKey(kUIKeyTab);
  UIRunPending();
  EXPECT_EQ(UIGetEditText(a), "0.25");
  EXPECT_EQ(changes, 6);
  EXPECT_EQ(UIGetKeyboardFocus(window), b);
  int32_t s, e;
  UIGetEditSelection(b, &s, &e);
  EXPECT_EQ(s, 0);  // tabbing in selects everything
  EXPECT_EQ(e, 3);
  UIInjectText("2");
  UIInjectKey(kUIKeyTab);  // skips the hidden field, wraps to a
  UIRunPending();
  EXPECT_EQ(UIGetEditText(b), "2");
  EXPECT_EQ(UIGetKeyboardFocus(window), a);
  UIInjectKey(kUIKeyTab, kUIModShift);
  UIRunPending();
  EXPECT_EQ(UIGetKeyboardFocus(window), b);
  // Arrows and Delete work on UTF-8 characters.
  UISetEditText(b, "a\xC3\xA9z");
  UISetEditSelection(b, 1, 1);
  UIInjectKey(kUIKeyDelete);
  UIRunPending();
  EXPECT_EQ(UIGetEditText(b), "az");
}

TEST_F(UIControlTest, ReturnPressesDefaultAndEscapeCancelButton) {
  std::vector<uint32_t> commands;
  UIControl* ok = UINewPushButton(window, UIMakeRect(300, 260, 80, 24), "OK", QVFourCC("VLok"));
  UIControl* cancel = UINewPushButton(window, UIMakeRect(210, 260, 80, 24), "Cancel", QVFourCC("VLn!"));
  UINewEditText(window, UIMakeRect(10, 10, 100, 22), "x");
  UISetDefaultButton(window, ok);
  UISetCancelButton(window, cancel);
  UIAdvanceKeyboardFocus(window, false);
  UIInstallWindowHandler(window, [&](UIEvent& e) {
    if (e.kind != kUIEventCommand) return kQVErrNotHandled;
    commands.push_back(e.command);
    return kQVNoErr;
  });
  UIInjectKey(kUIKeyReturn);
  UIInjectKey(kUIKeyEscape);
  UIInjectKey(kUIKeyEnter);
  UIRunPending();
  EXPECT_EQ(commands, (std::vector<uint32_t>{QVFourCC("VLok"), QVFourCC("VLn!"), QVFourCC("VLok")}));
  UISetControlEnabled(ok, false);
  UIInjectKey(kUIKeyReturn);
  UIRunPending();
  EXPECT_EQ(commands.size(), 3u);
}

TEST_F(UIControlTest, HandlerThatPassesLetsTheNextOneRun) {
  UIControl* button = UINewPushButton(window, UIMakeRect(10, 10, 80, 24), "Go", QVFourCC("go  "));
  std::vector<std::string> order;
  UIInstallAppHandler([&](UIEvent& e) {
    if (e.kind != kUIEventCommand) return kQVErrNotHandled;
    order.push_back("app");
    return kQVNoErr;
  });
  UIInstallWindowHandler(window, [&](UIEvent& e) {
    if (e.kind != kUIEventCommand) return kQVErrNotHandled;
    order.push_back("window");
    return kQVErrNotHandled;  // passes on
  });
  UIInstallControlHandler(button, [&](UIEvent& e) {
    if (e.kind != kUIEventControlHit) return kQVErrNotHandled;
    order.push_back("older control");
    return kQVErrNotHandled;
  });
  UIHandlerRef newest = UIInstallControlHandler(button, [&](UIEvent& e) {
    if (e.kind != kUIEventControlHit) return kQVErrNotHandled;
    order.push_back("newer control");
    return kQVErrNotHandled;
  });
  UIInjectClick(window, Centre(button));
  UIRunPending();
  EXPECT_EQ(order, (std::vector<std::string>{"newer control", "older control", "window", "app"}));
  // A handler that takes the hit stops the command.
  UIRemoveHandler(newest);
  UIInstallControlHandler(button, [&](UIEvent& e) { return e.kind == kUIEventControlHit ? kQVNoErr : kQVErrNotHandled; });
  order.clear();
  UIInjectClick(window, Centre(button));
  UIRunPending();
  EXPECT_TRUE(order.empty());
}

TEST_F(UIControlTest, IdsPropertiesValuesAndInheritedStates) {
  UIControl* group = UINewUserPane(window, UIMakeRect(0, 0, 200, 200), {});
  UIControl* slider = UINewSlider(window, UIMakeRect(10, 10, 100, 20), 5, 0, 10);
  UIControl* label = UINewStaticText(window, UIMakeRect(10, 40, 100, 20), "Gain");
  ASSERT_EQ(UIEmbedControl(slider, group), kQVNoErr);
  ASSERT_EQ(UIEmbedControl(label, group), kQVNoErr);
  EXPECT_EQ(UIEmbedControl(group, slider), kQVErrParam);  // no cycles
  UISetControlID(slider, UIControlID{QVFourCC("VFsl"), 7});
  UISetControlID(label, UIControlID{QVFourCC("VFlb"), 7});
  EXPECT_EQ(UIFindControlByID(window, UIControlID{QVFourCC("VFlb"), 7}), label);
  EXPECT_EQ(UIFindControlByID(window, UIControlID{QVFourCC("VFlb"), 8}), nullptr);

  // Values clamp to the range, also when the range moves.
  UISetControlValue(slider, 50);
  EXPECT_EQ(UIGetControlValue(slider), 10);
  UISetControlMaximum(slider, 4);
  EXPECT_EQ(UIGetControlValue(slider), 4);
  UISetControlMinimum(slider, 6);
  EXPECT_EQ(UIGetControlMaximum(slider), 6);
  EXPECT_EQ(UIGetControlValue(slider), 6);

  float field = 0;
  uint32_t offset = 52980;
  ASSERT_EQ(UISetControlProperty(slider, QVFourCC("QVc3"), QVFourCC("ofst"), &offset, 4), kQVNoErr);
  uint32_t back = 0, size = 0;
  ASSERT_EQ(UIGetControlProperty(slider, QVFourCC("QVc3"), QVFourCC("ofst"), &back, 4, &size), kQVNoErr);
  EXPECT_EQ(back, offset);
  EXPECT_EQ(size, 4u);
  uint8_t tiny[2];
  EXPECT_EQ(UIGetControlProperty(slider, QVFourCC("QVc3"), QVFourCC("ofst"), tiny, 2, &size), kQVErrParam);
  EXPECT_EQ(UIGetControlProperty(slider, QVFourCC("QVc3"), QVFourCC("base"), &field, 4, nullptr), kQVErrParam);
  EXPECT_EQ(UIGetControlProperty(slider, QVFourCC("XXXX"), QVFourCC("ofst"), &back, 4, nullptr), kQVErrParam);
  EXPECT_EQ(UIRemoveControlProperty(slider, QVFourCC("QVc3"), QVFourCC("ofst")), kQVNoErr);
  EXPECT_FALSE(UIHasControlProperty(slider, QVFourCC("QVc3"), QVFourCC("ofst")));

  UISetControlVisible(group, false);
  EXPECT_FALSE(UIIsControlVisible(label));
  UISetControlVisible(group, true);
  EXPECT_TRUE(UIIsControlVisible(label));
  UISetControlActive(group, false);
  EXPECT_FALSE(UIIsControlActive(slider));
  EXPECT_TRUE(UIIsControlEnabled(slider));

  // Disposing a container disposes what it holds; lookups no longer find them.
  UISetKeyboardFocus(window, nullptr);
  UIDisposeControl(group);
  EXPECT_EQ(UIFindControlByID(window, UIControlID{QVFourCC("VFsl"), 7}), nullptr);
  EXPECT_EQ(UICountChildren(UIGetRootControl(window)), 0);
}

TEST_F(UIControlTest, UserPaneProceduresDrawHitTrackAndTakeKeys) {
  int tracked = 0, keys = 0, drawn = 0;
  UIUserPaneProcs procs;
  procs.draw = [&](UIControl*, UIContext*) { ++drawn; };
  procs.hitTest = [](UIControl* c, UIPoint p) -> int16_t {
    return p.x < (UIGetControlBounds(c).left + UIGetControlBounds(c).right) / 2 ? 1 : 2;
  };
  procs.track = [&](UIControl* c, UIPoint, uint32_t) -> int16_t {
    UIPoint p;
    uint32_t mods;
    while (UITrackMouse(UIGetControlWindow(c), 0.05, &p, &mods) != kUITrackMouseUp) {
    }
    ++tracked;
    return 2;
  };
  procs.key = [&](UIControl*, const UIEvent& e) {
    if (e.charCode != 'k') return kQVErrNotHandled;
    ++keys;
    return kQVNoErr;
  };
  procs.focus = [](UIControl*, int16_t part) -> int16_t { return part ? 1 : 0; };
  UIControl* pane = UINewUserPane(window, UIMakeRect(50, 50, 100, 100), procs);
  int16_t hitPart = 0;
  UIInstallControlHandler(pane, [&](UIEvent& e) {
    if (e.kind == kUIEventControlHit) hitPart = e.part;
    return kQVErrNotHandled;
  });
  UIInjectClick(window, UIPoint{120, 60});
  UIInjectKey('k');
  UIRunPending();
  EXPECT_EQ(tracked, 1);
  EXPECT_EQ(hitPart, 2);
  EXPECT_EQ(UIGetKeyboardFocus(window), pane);
  EXPECT_EQ(keys, 1);
  UIRenderWindow(window);
  EXPECT_EQ(drawn, 1);
}

TEST_F(UIControlTest, ContextClickGoesToTheChainBeforeTracking) {
  UIControl* box = UINewCheckBox(window, UIMakeRect(10, 10, 120, 20), "Enable", 0);
  int context = 0;
  UIInstallControlHandler(box, [&](UIEvent& e) {
    if (e.kind != kUIEventContextClick) return kQVErrNotHandled;
    ++context;
    return kQVNoErr;
  });
  UIInjectRightClick(window, Centre(box));
  UIInjectClick(window, Centre(box), kUIModControl);
  UIRunPending();
  EXPECT_EQ(context, 2);
  EXPECT_EQ(UIGetControlValue(box), 0);
}

TEST_F(UIControlTest, ClipboardKeepsNamedFlavours) {
  const char secret[] = "correction";
  ASSERT_EQ(UIClipboardPut("com.quorvane.scrap.secret", secret, sizeof secret), kQVNoErr);
  ASSERT_EQ(UIClipboardPut(kUIFlavourText, "hello", 5), kQVNoErr);
  std::vector<uint8_t> data;
  ASSERT_EQ(UIClipboardGet("com.quorvane.scrap.secret", &data), kQVNoErr);
  EXPECT_EQ(data.size(), sizeof secret);
  ASSERT_EQ(UIClipboardGet(kUIFlavourText, &data), kQVNoErr);
  EXPECT_EQ(std::string(data.begin(), data.end()), "hello");
  UIClipboardClear();
  EXPECT_FALSE(UIClipboardHas("com.quorvane.scrap.secret"));
  EXPECT_EQ(UIClipboardGet("nothing", &data), kQVErrFileNotFound);
}

TEST_F(UIControlTest, ModalWindowsCentreOnTheirDisplay) {
  UISetHeadlessDisplays({UIMakeRect(0, 0, 1000, 900), UIMakeRect(1000, 0, 800, 600)});
  UIWindow* dialog = UICreateWindow(kUIWindowModal, UIMakeRect(0, 0, 400, 300), "Dialog");
  EXPECT_EQ(UIGetWindowBounds(dialog).left, 300);
  EXPECT_EQ(UIGetWindowBounds(dialog).top, 200);  // a third of the free height above
  UIWindow* other = UICreateWindow(kUIWindowPlain, UIMakeRect(1100, 50, 300, 200), "Other");
  UICenterWindow(dialog, other);
  EXPECT_EQ(UIGetWindowBounds(dialog).left, 1200);
  UIWindow* full = UICreateFullScreenWindow(1);
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(UIGetWindowBounds(full).left, 1000);
  EXPECT_EQ(UIRectWidth(UIGetWindowBounds(full)), 800);
  EXPECT_EQ(UICreateFullScreenWindow(5), nullptr);
}

TEST_F(UIControlTest, ModalLoopEndsFromAButton) {
  UIWindow* dialog = UICreateWindow(kUIWindowModal, UIMakeRect(0, 0, 300, 120), "Confirm");
  UIControl* ok = UINewPushButton(dialog, UIMakeRect(200, 80, 80, 24), "OK", QVFourCC("VLok"));
  UIInstallWindowHandler(dialog, [&](UIEvent& e) {
    if (e.kind != kUIEventCommand || e.command != QVFourCC("VLok")) return kQVErrNotHandled;
    UIEndModal(dialog, 7);
    return kQVNoErr;
  });
  int clicksElsewhere = UIHeadlessBeepCount();
  UIInjectClick(window, UIPoint{5, 5});  // another window: refused with a beep
  UIInjectClick(dialog, UIPoint{240, 92});
  EXPECT_EQ(UIRunModal(dialog), 7);
  (void)ok;
  EXPECT_EQ(UIHeadlessBeepCount(), clicksElsewhere + 1);
  EXPECT_FALSE(UIIsWindowVisible(dialog));
  EXPECT_EQ(UIFrontWindow(), window);
}

}  // namespace

namespace {

TEST_F(UIControlTest, HelpTagShowsAfterTheMouseRestsAndIdleProcsRun) {
  UIControl* button = UINewPushButton(window, UIMakeRect(10, 10, 80, 24), "Reset", 0);
  UISetHelpTag(button, "Resets the HSL corrections to their defaults");
  int idles = 0;
  UIUserPaneProcs procs;
  procs.idle = [&](UIControl*) { ++idles; };
  UINewUserPane(window, UIMakeRect(200, 200, 50, 50), procs);
  UIInjectMouseMove(window, UIPoint{20, 20});
  UIRunFor(0.5);
  EXPECT_EQ(UIGetShownHelpTag(), nullptr);
  UIRunFor(0.7);
  ASSERT_NE(UIGetShownHelpTag(), nullptr);
  EXPECT_EQ(UIFrontWindow(), window);  // the tag never takes the key window
  UIInjectMouseMove(window, UIPoint{300, 20});
  UIRunFor(0.2);
  EXPECT_EQ(UIGetShownHelpTag(), nullptr);
  UISetHelpTagsEnabled(false);
  UIInjectMouseMove(window, UIPoint{20, 20});
  UIRunFor(2.0);
  EXPECT_EQ(UIGetShownHelpTag(), nullptr);
  UISetHelpTagsEnabled(true);
  EXPECT_GE(idles, 30);  // every 0.1 s over 3.4 s
}

}  // namespace

namespace {

TEST_F(UIControlTest, ListSortsByHeaderClickAndEditsItsEditableColumn) {
  UIControl* list = UINewList(window, UIMakeRect(10, 10, 300, 200));
  UIListSetColumns(list, {{"Name", 150, true, false}, {"Used", 150, false, true}});
  UIListAddRow(list, 1, {"Warm", "12"});
  UIListAddRow(list, 2, {"Bleach", "4"});
  UIListAddRow(list, 3, {"Night", "100"});
  UIListSelectRow(list, 0);  // Warm
  // Header of the numeric column: ascending by number, then descending.
  UIInjectClick(window, UIPoint{200, 15});
  UIRunPending();
  EXPECT_EQ(UIListGetCell(list, 0, 0), "Bleach");
  EXPECT_EQ(UIListGetCell(list, 2, 0), "Night");  // 100 after 12: by number, not text
  EXPECT_EQ(UIListRowID(list, UIListSelectedRow(list)), 1);  // the selection follows its row
  UIInjectClick(window, UIPoint{200, 15});
  UIRunPending();
  EXPECT_FALSE(UIListSortAscending(list));
  EXPECT_EQ(UIListGetCell(list, 0, 0), "Night");

  // Double click on the editable column opens the editor; Return commits.
  int edits = 0;
  int32_t editedRow = -1, editedColumn = -1;
  UIInstallControlHandler(list, [&](UIEvent& e) {
    if (e.kind != kUIEventValueChanged) return kQVErrNotHandled;
    ++edits;
    editedRow = e.row;
    editedColumn = e.column;
    return kQVNoErr;
  });
  UIPoint firstRow{40, 10 + kUIListHeaderHeight + 5};
  UIInjectClick(window, firstRow, 0, 1);
  UIInjectClick(window, firstRow, 0, 2);
  UIRunPending();
  ASSERT_EQ(UIListEditingRow(list), 0);
  UIInjectKey(kUIKeyBackspace);
  UIInjectText("e Sky");
  UIInjectKey(kUIKeyReturn);
  UIRunPending();
  EXPECT_EQ(UIListGetCell(list, 0, 0), "Nighe Sky");
  EXPECT_EQ(edits, 1);
  EXPECT_EQ(editedRow, 0);
  EXPECT_EQ(editedColumn, 0);
  // The numeric column is not editable; Escape cancels an open editor.
  EXPECT_EQ(UIListEditCell(list, 0, 1), kQVErrParam);
  ASSERT_EQ(UIListEditCell(list, 1, 0), kQVNoErr);
  UIInjectText("zzz");
  UIInjectKey(kUIKeyEscape);
  UIRunPending();
  EXPECT_EQ(UIListEditingRow(list), -1);
  EXPECT_EQ(UIListGetCell(list, 1, 0), "Warm");
}

TEST_F(UIControlTest, StickyBevelButtonStaysDownAndTrackingRegionsReportCrossings) {
  UIControl* bevel = UINewBevelButton(window, UIMakeRect(10, 10, 60, 30), "Split", 0, true);
  UIInjectClick(window, Centre(bevel));
  UIRunPending();
  EXPECT_EQ(UIGetControlValue(bevel), 1);
  UIInjectClick(window, Centre(bevel));
  UIRunPending();
  EXPECT_EQ(UIGetControlValue(bevel), 0);

  std::vector<std::pair<UIEventKind, int32_t>> crossings;
  UIInstallWindowHandler(window, [&](UIEvent& e) {
    if (e.kind == kUIEventMouseEntered || e.kind == kUIEventMouseExited) crossings.push_back({e.kind, e.regionID});
    return kQVErrNotHandled;
  });
  UIAddTrackingRegion(window, UIMakeRect(100, 100, 50, 50), 7);
  UIInjectMouseMove(window, UIPoint{90, 90});
  UIInjectMouseMove(window, UIPoint{120, 120});
  UIInjectMouseMove(window, UIPoint{130, 130});
  UIInjectMouseMove(window, UIPoint{200, 130});
  UIRunPending();
  EXPECT_EQ(crossings, (std::vector<std::pair<UIEventKind, int32_t>>{{kUIEventMouseEntered, 7}, {kUIEventMouseExited, 7}}));
}

}  // namespace

namespace {

TEST_F(UIControlTest, HandlerMayDisposeItsOwnControl) {
  UIControl* button = UINewPushButton(window, UIMakeRect(10, 10, 80, 24), "Rebuild", QVFourCC("rbld"));
  UIControl* group = UINewUserPane(window, UIMakeRect(0, 0, 200, 100), {});
  UIEmbedControl(button, group);
  int commands = 0;
  UIInstallWindowHandler(window, [&](UIEvent& e) {
    if (e.kind == kUIEventCommand) ++commands;
    return kQVErrNotHandled;
  });
  UIInstallControlHandler(button, [&](UIEvent& e) {
    if (e.kind != kUIEventControlHit) return kQVErrNotHandled;
    UIDisposeControl(group);  // takes the button with it
    return kQVErrNotHandled;
  });
  UIInjectClick(window, UIPoint{50, 20});
  UIRunPending();
  EXPECT_EQ(UICountChildren(UIGetRootControl(window)), 0);
  EXPECT_EQ(commands, 1);  // the command still goes out to the window
}

// An idle procedure may dispose panes still waiting for their turn, itself,
// or its whole window; the panes that went get no idle call.
TEST_F(UIControlTest, IdleProcedureMayDisposeWhatComesAfterIt) {
  int laterIdles = 0;
  UIUserPaneProcs counted;
  counted.idle = [&](UIControl*) { ++laterIdles; };
  UIControl* doomed = nullptr;
  UIUserPaneProcs disposer;
  disposer.idle = [&](UIControl* self) {
    UIDisposeControl(doomed);
    UIDisposeControl(self);
  };
  UIControl* group = UINewUserPane(window, UIMakeRect(0, 0, 100, 100), {});
  UIEmbedControl(UINewUserPane(window, UIMakeRect(0, 0, 10, 10), disposer), group);
  doomed = UINewUserPane(window, UIMakeRect(10, 0, 10, 10), counted);
  UIEmbedControl(UINewUserPane(window, UIMakeRect(0, 0, 5, 5), counted), doomed);
  UINewUserPane(window, UIMakeRect(20, 0, 10, 10), counted);
  UIRunFor(0.15);  // one idle turn
  EXPECT_EQ(laterIdles, 1);  // only the last pane
  EXPECT_EQ(UICountChildren(UIGetRootControl(window)), 2);
  EXPECT_EQ(UICountChildren(group), 0);

  UIUserPaneProcs closer;
  closer.idle = [&](UIControl* self) { UIDisposeWindow(UIGetControlWindow(self)); };
  UIEmbedControl(UINewUserPane(window, UIMakeRect(0, 0, 5, 5), closer), group);
  UIRunFor(0.1);
  EXPECT_EQ(UIFrontWindow(), nullptr);
  EXPECT_EQ(laterIdles, 1);  // the last pane went with the window before its turn
}

TEST_F(UIControlTest, EditFieldCutsCopiesAndPastesOneLine) {
  UIControl* field = UINewEditText(window, UIMakeRect(10, 10, 200, 22), "0.25");
  UISetKeyboardFocus(window, field);  // selects everything
  UIInjectKey('x', kUIModCommand);
  UIRunPending();
  EXPECT_EQ(UIGetEditText(field), "");
  const char twoLines[] = "1.5\nsecond line";
  UIClipboardPut(kUIFlavourText, twoLines, sizeof twoLines - 1);
  UIInjectKey('v', kUIModCommand);
  UIInjectKey('a', kUIModCommand);
  UIInjectKey('c', kUIModCommand);
  UIRunPending();
  EXPECT_EQ(UIGetEditText(field), "1.5");
  std::vector<uint8_t> copied;
  ASSERT_EQ(UIClipboardGet(kUIFlavourText, &copied), kQVNoErr);
  EXPECT_EQ(std::string(copied.begin(), copied.end()), "1.5");
}

}  // namespace

namespace {

TEST_F(UIControlTest, ModifierChangesFunctionKeysWindowDrawAndVisibilityReachTheHandlers) {
  std::vector<uint32_t> modifierStates;
  uint32_t functionKey = 0, functionMods = 0;
  int windowDraws = 0;
  UIInstallWindowHandler(window, [&](UIEvent& e) {
    switch (e.kind) {
      case kUIEventModifiersChanged: modifierStates.push_back(e.modifiers); return kQVNoErr;
      case kUIEventKeyDown:
        if (e.charCode != kUIKeyFunction) return kQVErrNotHandled;
        functionKey = e.keyCode;
        functionMods = e.modifiers;
        return kQVNoErr;
      case kUIEventWindowDraw:
        ++windowDraws;
        UISetFillColor(e.ctx, UIColor{1, 0, 0, 1});
        UIFillRect(e.ctx, UIMakeRect(0, 0, 10, 10));
        return kQVErrNotHandled;
      default: return kQVErrNotHandled;
    }
  });
  UIInjectModifiers(kUIModShift);
  UIInjectModifiers(kUIModShift | kUIModCapsLock);
  UIInjectFunctionKey(kUIKeyCodeF3, kUIModShift);
  UIRunPending();
  EXPECT_EQ(modifierStates, (std::vector<uint32_t>{kUIModShift, kUIModShift | kUIModCapsLock}));
  EXPECT_EQ(UIGetModifiers(), kUIModShift);  // the function key's own state came last
  EXPECT_EQ(functionKey, kUIKeyCodeF3);
  EXPECT_EQ(functionMods, kUIModShift);
  UIImage* image = UIRenderWindow(window);
  EXPECT_EQ(windowDraws, 1);
  EXPECT_EQ(UIImageGetPixel(image, 5, 5), 0xFFFF0000u);

  UIControl* group = UINewUserPane(window, UIMakeRect(0, 0, 100, 100), {});
  UIControl* inner = UINewUserPane(window, UIMakeRect(10, 10, 50, 50), {});
  UIControl* hiddenInner = UINewUserPane(window, UIMakeRect(10, 10, 50, 50), {});
  UIEmbedControl(inner, group);
  UIEmbedControl(hiddenInner, group);
  UISetControlVisible(hiddenInner, false);
  std::vector<std::pair<UIControl*, int16_t>> changes;
  for (UIControl* c : {group, inner, hiddenInner})
    UIInstallControlHandler(c, [&changes, c](UIEvent& e) {
      if (e.kind == kUIEventVisibilityChanged && e.control == c) changes.push_back({c, e.part});
      return kQVErrNotHandled;
    });
  UISetControlVisible(group, false);
  UISetControlVisible(group, true);
  // The already hidden control is not told: its visibility did not change.
  EXPECT_EQ(changes, (std::vector<std::pair<UIControl*, int16_t>>{{group, 0}, {inner, 0}, {group, 1}, {inner, 1}}));
}

}  // namespace

namespace {

TEST_F(UIControlTest, ListMultipleSelectionAndColumnWidths) {
  UIControl* list = UINewList(window, UIMakeRect(10, 10, 300, 200));
  UIListSetColumns(list, {{"Name", 150, false, false, QVFourCC("name")}, {"Type", 150, false, false, QVFourCC("type")}});
  for (int i = 0; i < 5; ++i) UIListAddRow(list, 100 + i, {std::string(1, char('e' - i)), "Preset"});
  auto rowY = [](int row) { return 10 + kUIListHeaderHeight + row * kUIListRowHeight + 5; };
  UIInjectClick(window, UIPoint{40, rowY(1)});
  UIInjectClick(window, UIPoint{40, rowY(3)}, kUIModCommand);  // single selection: replaces
  UIRunPending();
  EXPECT_EQ(UIListSelectedRows(list), std::vector<int32_t>{3});
  UIListAllowMultipleSelection(list, true);
  UIInjectClick(window, UIPoint{40, rowY(1)}, kUIModCommand);
  UIInjectClick(window, UIPoint{40, rowY(4)}, kUIModShift);
  UIRunPending();
  EXPECT_EQ(UIListSelectedRows(list), (std::vector<int32_t>{1, 2, 3, 4}));
  UIInjectClick(window, UIPoint{40, rowY(2)}, kUIModCommand);  // toggles off
  UIRunPending();
  EXPECT_EQ(UIListSelectedRows(list), (std::vector<int32_t>{1, 3, 4}));
  // Sorting keeps the same rows selected.
  UIListSort(list, 0, true);  // names a..e: the ids reverse
  std::vector<int32_t> ids;
  for (int32_t row : UIListSelectedRows(list)) ids.push_back(UIListRowID(list, row));
  EXPECT_EQ(ids, (std::vector<int32_t>{104, 103, 101}));
  UIListSetColumnWidth(list, 1, 90);
  EXPECT_EQ(UIListGetColumnWidth(list, 1), 90);
  EXPECT_EQ(UIListGetColumnWidth(list, 5), 0);
}

}  // namespace
