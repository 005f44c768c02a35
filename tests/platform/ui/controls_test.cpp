#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fourcc.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_services.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

class TKControlTest : public TKHeadlessTest {
 protected:
  void SetUp() override {
    TKHeadlessTest::SetUp();
    window = TKCreateWindow(kTKWindowPlain, TKMakeRect(100, 100, 400, 300), "Test");
    TKShowWindow(window);
  }
  static TKPoint Centre(TKControl* c) {
    TKRect r = TKGetControlBounds(c);
    return TKPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  TKWindow* window = nullptr;
};

TEST_F(TKControlTest, ClickingCheckBoxTogglesItAndRunsItsHandler) {
  TKControl* box = TKNewCheckBox(window, TKMakeRect(10, 10, 120, 20), "Limiter", 0);
  int hits = 0;
  int16_t part = 0;
  TKInstallControlHandler(box, [&](TKEvent& e) {
    if (e.kind != kTKEventControlHit) return kQVErrNotHandled;
    ++hits;
    part = e.part;
    return kQVNoErr;
  });
  TKInjectClick(window, Centre(box));
  TKRunPending();
  EXPECT_EQ(TKGetControlValue(box), 1);
  EXPECT_EQ(hits, 1);
  EXPECT_EQ(part, kTKPartCheckBox);
  TKInjectClick(window, Centre(box));
  TKRunPending();
  EXPECT_EQ(TKGetControlValue(box), 0);
  // Released outside: no toggle, no hit.
  TKInjectMouseDown(window, Centre(box));
  TKInjectMouseUp(window, TKPoint{300, 250});
  TKRunPending();
  EXPECT_EQ(TKGetControlValue(box), 0);
  EXPECT_EQ(hits, 2);
  // Disabled (through its container): nothing happens.
  TKControl* pane = TKNewUserPane(window, TKMakeRect(0, 0, 400, 300), {});
  ASSERT_EQ(TKEmbedControl(box, pane), kQVNoErr);
  TKSetControlEnabled(pane, false);
  EXPECT_FALSE(TKIsControlEnabled(box));
  TKInjectClick(window, Centre(box));
  TKRunPending();
  EXPECT_EQ(TKGetControlValue(box), 0);
}

TEST_F(TKControlTest, DraggingSliderTracksLiveWithPartCodes) {
  TKControl* slider = TKNewSlider(window, TKMakeRect(20, 50, 216, 20), 0, 0, 200);
  std::vector<int32_t> live;
  std::vector<int16_t> hitParts, liveParts;
  TKInstallControlHandler(slider, [&](TKEvent& e) {
    if (e.kind == kTKEventValueChanged) {
      liveParts.push_back(e.part);
      live.push_back(TKGetControlValue(slider));
      return kQVNoErr;
    }
    if (e.kind == kTKEventControlHit) {
      hitParts.push_back(e.part);
      return kQVNoErr;
    }
    return kQVErrNotHandled;
  });
  // The thumb (16 wide) sits at the left end for value 0.
  TKPoint thumb{28, 60};
  EXPECT_EQ(TKSliderPartAt(slider, thumb), kTKPartThumb);
  // Moves a moment apart each count (moves queued together count as the last).
  TKInjectMouseDown(window, thumb);
  TKInjectMouseDrag(window, TKPoint{78, 60}, 0, 0.1);
  TKInjectMouseDrag(window, TKPoint{128, 60}, 0, 0.2);
  TKInjectMouseDrag(window, TKPoint{500, 60}, 0, 0.3);  // past the end clamps
  TKInjectMouseUp(window, TKPoint{500, 60}, 0, 0.4);
  TKRunFor(0.5);
  EXPECT_EQ(live, (std::vector<int32_t>{50, 100, 200}));
  EXPECT_EQ(liveParts, std::vector<int16_t>(3, kTKPartThumb));
  EXPECT_EQ(hitParts, std::vector<int16_t>{kTKPartThumb});
  EXPECT_EQ(TKGetControlValue(slider), 200);

  // A click on the track left of the thumb pages down by the page size.
  TKSetSliderPageSize(slider, 30);
  live.clear();
  TKInjectClick(window, TKPoint{40, 60});
  TKRunPending();
  EXPECT_EQ(TKGetControlValue(slider), 170);
  EXPECT_EQ(liveParts.back(), kTKPartPageUp);
  EXPECT_EQ(hitParts.back(), kTKPartPageUp);
}

TEST_F(TKControlTest, TypingEditsTheFieldAndTabMovesAlongTheChain) {
  TKControl* a = TKNewEditText(window, TKMakeRect(10, 10, 100, 22), "");
  TKNewStaticText(window, TKMakeRect(10, 40, 100, 20), "Label");
  TKControl* b = TKNewEditText(window, TKMakeRect(10, 70, 100, 22), "1.5");
  TKControl* hidden = TKNewEditText(window, TKMakeRect(10, 100, 100, 22), "");
  TKSetControlVisible(hidden, false);
  int changes = 0;
  TKInstallControlHandler(a, [&](TKEvent& e) {
    if (e.kind == kTKEventValueChanged) ++changes;
    return kQVErrNotHandled;
  });
  TKInjectClick(window, Centre(a));
  TKInjectText("0.25x");
  TKInjectKey(kTKKeyBackspace);
  TKInjectKey(kTKKeyTab);
  TKRunPending();
  EXPECT_EQ(TKGetEditText(a), "0.25");
  EXPECT_EQ(changes, 6);
  EXPECT_EQ(TKGetKeyboardFocus(window), b);
  int32_t s, e;
  TKGetEditSelection(b, &s, &e);
  EXPECT_EQ(s, 0);  // tabbing in selects everything
  EXPECT_EQ(e, 3);
  TKInjectText("2");
  TKInjectKey(kTKKeyTab);  // skips the hidden field, wraps to a
  TKRunPending();
  EXPECT_EQ(TKGetEditText(b), "2");
  EXPECT_EQ(TKGetKeyboardFocus(window), a);
  TKInjectKey(kTKKeyTab, kTKModShift);
  TKRunPending();
  EXPECT_EQ(TKGetKeyboardFocus(window), b);
  // Arrows and Delete work on UTF-8 characters.
  TKSetEditText(b, "a\xC3\xA9z");
  TKSetEditSelection(b, 1, 1);
  TKInjectKey(kTKKeyDelete);
  TKRunPending();
  EXPECT_EQ(TKGetEditText(b), "az");
}

TEST_F(TKControlTest, ReturnPressesDefaultAndEscapeCancelButton) {
  std::vector<uint32_t> commands;
  TKControl* ok = TKNewPushButton(window, TKMakeRect(300, 260, 80, 24), "OK", QVFourCC("VLok"));
  TKControl* cancel = TKNewPushButton(window, TKMakeRect(210, 260, 80, 24), "Cancel", QVFourCC("VLn!"));
  TKNewEditText(window, TKMakeRect(10, 10, 100, 22), "x");
  TKSetDefaultButton(window, ok);
  TKSetCancelButton(window, cancel);
  TKAdvanceKeyboardFocus(window, false);
  TKInstallWindowHandler(window, [&](TKEvent& e) {
    if (e.kind != kTKEventCommand) return kQVErrNotHandled;
    commands.push_back(e.command);
    return kQVNoErr;
  });
  TKInjectKey(kTKKeyReturn);
  TKInjectKey(kTKKeyEscape);
  TKInjectKey(kTKKeyEnter);
  TKRunPending();
  EXPECT_EQ(commands, (std::vector<uint32_t>{QVFourCC("VLok"), QVFourCC("VLn!"), QVFourCC("VLok")}));
  TKSetControlEnabled(ok, false);
  TKInjectKey(kTKKeyReturn);
  TKRunPending();
  EXPECT_EQ(commands.size(), 3u);
}

TEST_F(TKControlTest, HandlerThatPassesLetsTheNextOneRun) {
  TKControl* button = TKNewPushButton(window, TKMakeRect(10, 10, 80, 24), "Go", QVFourCC("go  "));
  std::vector<std::string> order;
  TKInstallAppHandler([&](TKEvent& e) {
    if (e.kind != kTKEventCommand) return kQVErrNotHandled;
    order.push_back("app");
    return kQVNoErr;
  });
  TKInstallWindowHandler(window, [&](TKEvent& e) {
    if (e.kind != kTKEventCommand) return kQVErrNotHandled;
    order.push_back("window");
    return kQVErrNotHandled;  // passes on
  });
  TKInstallControlHandler(button, [&](TKEvent& e) {
    if (e.kind != kTKEventControlHit) return kQVErrNotHandled;
    order.push_back("older control");
    return kQVErrNotHandled;
  });
  TKHandlerRef newest = TKInstallControlHandler(button, [&](TKEvent& e) {
    if (e.kind != kTKEventControlHit) return kQVErrNotHandled;
    order.push_back("newer control");
    return kQVErrNotHandled;
  });
  TKInjectClick(window, Centre(button));
  TKRunPending();
  EXPECT_EQ(order, (std::vector<std::string>{"newer control", "older control", "window", "app"}));
  // A handler that takes the hit stops the command.
  TKRemoveHandler(newest);
  TKInstallControlHandler(button, [&](TKEvent& e) { return e.kind == kTKEventControlHit ? kQVNoErr : kQVErrNotHandled; });
  order.clear();
  TKInjectClick(window, Centre(button));
  TKRunPending();
  EXPECT_TRUE(order.empty());
}

TEST_F(TKControlTest, IdsPropertiesValuesAndInheritedStates) {
  TKControl* group = TKNewUserPane(window, TKMakeRect(0, 0, 200, 200), {});
  TKControl* slider = TKNewSlider(window, TKMakeRect(10, 10, 100, 20), 5, 0, 10);
  TKControl* label = TKNewStaticText(window, TKMakeRect(10, 40, 100, 20), "Gain");
  ASSERT_EQ(TKEmbedControl(slider, group), kQVNoErr);
  ASSERT_EQ(TKEmbedControl(label, group), kQVNoErr);
  EXPECT_EQ(TKEmbedControl(group, slider), kQVErrParam);  // no cycles
  TKSetControlID(slider, TKControlID{QVFourCC("VFsl"), 7});
  TKSetControlID(label, TKControlID{QVFourCC("VFlb"), 7});
  EXPECT_EQ(TKFindControlByID(window, TKControlID{QVFourCC("VFlb"), 7}), label);
  EXPECT_EQ(TKFindControlByID(window, TKControlID{QVFourCC("VFlb"), 8}), nullptr);

  // Values clamp to the range, also when the range moves.
  TKSetControlValue(slider, 50);
  EXPECT_EQ(TKGetControlValue(slider), 10);
  TKSetControlMaximum(slider, 4);
  EXPECT_EQ(TKGetControlValue(slider), 4);
  TKSetControlMinimum(slider, 6);
  EXPECT_EQ(TKGetControlMaximum(slider), 6);
  EXPECT_EQ(TKGetControlValue(slider), 6);

  float field = 0;
  uint32_t offset = 52980;
  ASSERT_EQ(TKSetControlProperty(slider, QVFourCC("QVc3"), QVFourCC("ofst"), &offset, 4), kQVNoErr);
  uint32_t back = 0, size = 0;
  ASSERT_EQ(TKGetControlProperty(slider, QVFourCC("QVc3"), QVFourCC("ofst"), &back, 4, &size), kQVNoErr);
  EXPECT_EQ(back, offset);
  EXPECT_EQ(size, 4u);
  uint8_t tiny[2];
  EXPECT_EQ(TKGetControlProperty(slider, QVFourCC("QVc3"), QVFourCC("ofst"), tiny, 2, &size), kQVErrParam);
  EXPECT_EQ(TKGetControlProperty(slider, QVFourCC("QVc3"), QVFourCC("base"), &field, 4, nullptr), kQVErrParam);
  EXPECT_EQ(TKGetControlProperty(slider, QVFourCC("XXXX"), QVFourCC("ofst"), &back, 4, nullptr), kQVErrParam);
  EXPECT_EQ(TKRemoveControlProperty(slider, QVFourCC("QVc3"), QVFourCC("ofst")), kQVNoErr);
  EXPECT_FALSE(TKHasControlProperty(slider, QVFourCC("QVc3"), QVFourCC("ofst")));

  TKSetControlVisible(group, false);
  EXPECT_FALSE(TKIsControlVisible(label));
  TKSetControlVisible(group, true);
  EXPECT_TRUE(TKIsControlVisible(label));
  TKSetControlActive(group, false);
  EXPECT_FALSE(TKIsControlActive(slider));
  EXPECT_TRUE(TKIsControlEnabled(slider));

  // Disposing a container disposes what it holds; lookups no longer find them.
  EXPECT_EQ(kQVNoErr, TKSetKeyboardFocus(window, nullptr));
  TKDisposeControl(group);
  EXPECT_EQ(TKFindControlByID(window, TKControlID{QVFourCC("VFsl"), 7}), nullptr);
  EXPECT_EQ(TKCountChildren(TKGetRootControl(window)), 0);
}

TEST_F(TKControlTest, UserPaneProceduresDrawHitTrackAndTakeKeys) {
  int tracked = 0, keys = 0, drawn = 0;
  TKUserPaneProcs procs;
  procs.draw = [&](TKControl*, TKContext*) { ++drawn; };
  procs.hitTest = [](TKControl* c, TKPoint p) -> int16_t {
    return p.x < (TKGetControlBounds(c).left + TKGetControlBounds(c).right) / 2 ? 1 : 2;
  };
  procs.track = [&](TKControl* c, TKPoint, uint32_t) -> int16_t {
    TKPoint p;
    uint32_t mods;
    while (TKTrackMouse(TKGetControlWindow(c), 0.05, &p, &mods) != kTKTrackMouseUp) {
    }
    ++tracked;
    return 2;
  };
  procs.key = [&](TKControl*, const TKEvent& e) {
    if (e.charCode != 'k') return kQVErrNotHandled;
    ++keys;
    return kQVNoErr;
  };
  procs.focus = [](TKControl*, int16_t part) -> int16_t { return part ? 1 : 0; };
  TKControl* pane = TKNewUserPane(window, TKMakeRect(50, 50, 100, 100), procs);
  int16_t hitPart = 0;
  TKInstallControlHandler(pane, [&](TKEvent& e) {
    if (e.kind == kTKEventControlHit) hitPart = e.part;
    return kQVErrNotHandled;
  });
  TKInjectClick(window, TKPoint{120, 60});
  TKInjectKey('k');
  TKRunPending();
  EXPECT_EQ(tracked, 1);
  EXPECT_EQ(hitPart, 2);
  EXPECT_EQ(TKGetKeyboardFocus(window), pane);
  EXPECT_EQ(keys, 1);
  TKRenderWindow(window);
  EXPECT_EQ(drawn, 1);
}

TEST_F(TKControlTest, ContextClickGoesToTheChainBeforeTracking) {
  TKControl* box = TKNewCheckBox(window, TKMakeRect(10, 10, 120, 20), "Enable", 0);
  int context = 0;
  TKInstallControlHandler(box, [&](TKEvent& e) {
    if (e.kind != kTKEventContextClick) return kQVErrNotHandled;
    ++context;
    return kQVNoErr;
  });
  TKInjectRightClick(window, Centre(box));
  TKInjectClick(window, Centre(box), kTKModControl);
  TKRunPending();
  EXPECT_EQ(context, 2);
  EXPECT_EQ(TKGetControlValue(box), 0);
}

TEST_F(TKControlTest, ClipboardKeepsNamedFlavours) {
  const char secret[] = "correction";
  ASSERT_EQ(TKClipboardPut("com.quorvane.scrap.secret", secret, sizeof secret), kQVNoErr);
  ASSERT_EQ(TKClipboardPut(kTKFlavourText, "hello", 5), kQVNoErr);
  std::vector<uint8_t> data;
  ASSERT_EQ(TKClipboardGet("com.quorvane.scrap.secret", &data), kQVNoErr);
  EXPECT_EQ(data.size(), sizeof secret);
  ASSERT_EQ(TKClipboardGet(kTKFlavourText, &data), kQVNoErr);
  EXPECT_EQ(std::string(data.begin(), data.end()), "hello");
  TKClipboardClear();
  EXPECT_FALSE(TKClipboardHas("com.quorvane.scrap.secret"));
  EXPECT_EQ(TKClipboardGet("nothing", &data), kQVErrFileNotFound);
}

TEST_F(TKControlTest, ModalWindowsCentreOnTheirDisplay) {
  TKSetHeadlessDisplays({TKMakeRect(0, 0, 1000, 900), TKMakeRect(1000, 0, 800, 600)});
  TKWindow* dialog = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, 400, 300), "Dialog");
  EXPECT_EQ(TKGetWindowBounds(dialog).left, 300);
  EXPECT_EQ(TKGetWindowBounds(dialog).top, 200);  // a third of the free height above
  TKWindow* other = TKCreateWindow(kTKWindowPlain, TKMakeRect(1100, 50, 300, 200), "Other");
  TKCenterWindow(dialog, other);
  EXPECT_EQ(TKGetWindowBounds(dialog).left, 1200);
  TKWindow* full = TKCreateFullScreenWindow(1);
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(TKGetWindowBounds(full).left, 1000);
  EXPECT_EQ(TKRectWidth(TKGetWindowBounds(full)), 800);
  EXPECT_EQ(TKCreateFullScreenWindow(5), nullptr);
}

TEST_F(TKControlTest, ModalLoopEndsFromAButton) {
  TKWindow* dialog = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, 300, 120), "Confirm");
  TKControl* ok = TKNewPushButton(dialog, TKMakeRect(200, 80, 80, 24), "OK", QVFourCC("VLok"));
  TKInstallWindowHandler(dialog, [&](TKEvent& e) {
    if (e.kind != kTKEventCommand || e.command != QVFourCC("VLok")) return kQVErrNotHandled;
    TKEndModal(dialog, 7);
    return kQVNoErr;
  });
  int clicksElsewhere = TKHeadlessBeepCount();
  TKInjectClick(window, TKPoint{5, 5});  // another window: refused with a beep
  TKInjectClick(dialog, TKPoint{240, 92});
  EXPECT_EQ(TKRunModal(dialog), 7);
  (void)ok;
  EXPECT_EQ(TKHeadlessBeepCount(), clicksElsewhere + 1);
  EXPECT_FALSE(TKIsWindowVisible(dialog));
  EXPECT_EQ(TKFrontWindow(), window);
}

}  // namespace

namespace {

TEST_F(TKControlTest, HelpTagShowsAfterTheMouseRestsAndIdleProcsRun) {
  TKControl* button = TKNewPushButton(window, TKMakeRect(10, 10, 80, 24), "Reset", 0);
  TKSetHelpTag(button, "Resets the HSL corrections to their defaults");
  int idles = 0;
  TKUserPaneProcs procs;
  procs.idle = [&](TKControl*) { ++idles; };
  TKNewUserPane(window, TKMakeRect(200, 200, 50, 50), procs);
  TKInjectMouseMove(window, TKPoint{20, 20});
  TKRunFor(0.5);
  EXPECT_EQ(TKGetShownHelpTag(), nullptr);
  TKRunFor(0.7);
  ASSERT_NE(TKGetShownHelpTag(), nullptr);
  EXPECT_EQ(TKFrontWindow(), window);  // the tag never takes the key window
  TKInjectMouseMove(window, TKPoint{300, 20});
  TKRunFor(0.2);
  EXPECT_EQ(TKGetShownHelpTag(), nullptr);
  TKSetHelpTagsEnabled(false);
  TKInjectMouseMove(window, TKPoint{20, 20});
  TKRunFor(2.0);
  EXPECT_EQ(TKGetShownHelpTag(), nullptr);
  TKSetHelpTagsEnabled(true);
  EXPECT_GE(idles, 30);  // every 0.1 s over 3.4 s
}

}  // namespace

namespace {

TEST_F(TKControlTest, ListSortsByHeaderClickAndEditsItsEditableColumn) {
  TKControl* list = TKNewList(window, TKMakeRect(10, 10, 300, 200));
  TKListSetColumns(list, {{"Name", 150, true, false}, {"Used", 150, false, true}});
  TKListAddRow(list, 1, {"Warm", "12"});
  TKListAddRow(list, 2, {"Bleach", "4"});
  TKListAddRow(list, 3, {"Night", "100"});
  TKListSelectRow(list, 0);  // Warm
  // Header of the numeric column: ascending by number, then descending.
  TKInjectClick(window, TKPoint{200, 15});
  TKRunPending();
  EXPECT_EQ(TKListGetCell(list, 0, 0), "Bleach");
  EXPECT_EQ(TKListGetCell(list, 2, 0), "Night");  // 100 after 12: by number, not text
  EXPECT_EQ(TKListRowID(list, TKListSelectedRow(list)), 1);  // the selection follows its row
  TKInjectClick(window, TKPoint{200, 15});
  TKRunPending();
  EXPECT_FALSE(TKListSortAscending(list));
  EXPECT_EQ(TKListGetCell(list, 0, 0), "Night");

  // Double click on the editable column opens the editor; Return commits.
  int edits = 0;
  int32_t editedRow = -1, editedColumn = -1;
  TKInstallControlHandler(list, [&](TKEvent& e) {
    if (e.kind != kTKEventValueChanged) return kQVErrNotHandled;
    ++edits;
    editedRow = e.row;
    editedColumn = e.column;
    return kQVNoErr;
  });
  TKPoint firstRow{40, 10 + kTKListHeaderHeight + 5};
  TKInjectClick(window, firstRow, 0, 1);
  TKInjectClick(window, firstRow, 0, 2);
  TKRunPending();
  ASSERT_EQ(TKListEditingRow(list), 0);
  TKInjectKey(kTKKeyBackspace);
  TKInjectText("e Sky");
  TKInjectKey(kTKKeyReturn);
  TKRunPending();
  EXPECT_EQ(TKListGetCell(list, 0, 0), "Nighe Sky");
  EXPECT_EQ(edits, 1);
  EXPECT_EQ(editedRow, 0);
  EXPECT_EQ(editedColumn, 0);
  // The numeric column is not editable; Escape cancels an open editor.
  EXPECT_EQ(TKListEditCell(list, 0, 1), kQVErrParam);
  ASSERT_EQ(TKListEditCell(list, 1, 0), kQVNoErr);
  TKInjectText("zzz");
  TKInjectKey(kTKKeyEscape);
  TKRunPending();
  EXPECT_EQ(TKListEditingRow(list), -1);
  EXPECT_EQ(TKListGetCell(list, 1, 0), "Warm");
}

TEST_F(TKControlTest, StickyBevelButtonStaysDownAndTrackingRegionsReportCrossings) {
  TKControl* bevel = TKNewBevelButton(window, TKMakeRect(10, 10, 60, 30), "Split", 0, true);
  TKInjectClick(window, Centre(bevel));
  TKRunPending();
  EXPECT_EQ(TKGetControlValue(bevel), 1);
  TKInjectClick(window, Centre(bevel));
  TKRunPending();
  EXPECT_EQ(TKGetControlValue(bevel), 0);

  std::vector<std::pair<TKEventKind, int32_t>> crossings;
  TKInstallWindowHandler(window, [&](TKEvent& e) {
    if (e.kind == kTKEventMouseEntered || e.kind == kTKEventMouseExited) crossings.push_back({e.kind, e.regionID});
    return kQVErrNotHandled;
  });
  TKAddTrackingRegion(window, TKMakeRect(100, 100, 50, 50), 7);
  TKInjectMouseMove(window, TKPoint{90, 90});
  TKInjectMouseMove(window, TKPoint{120, 120});
  TKInjectMouseMove(window, TKPoint{130, 130});
  TKInjectMouseMove(window, TKPoint{200, 130});
  TKRunPending();
  EXPECT_EQ(crossings, (std::vector<std::pair<TKEventKind, int32_t>>{{kTKEventMouseEntered, 7}, {kTKEventMouseExited, 7}}));
}

}  // namespace

namespace {

TEST_F(TKControlTest, HandlerMayDisposeItsOwnControl) {
  TKControl* button = TKNewPushButton(window, TKMakeRect(10, 10, 80, 24), "Rebuild", QVFourCC("rbld"));
  TKControl* group = TKNewUserPane(window, TKMakeRect(0, 0, 200, 100), {});
  EXPECT_EQ(kQVNoErr, TKEmbedControl(button, group));
  int commands = 0;
  TKInstallWindowHandler(window, [&](TKEvent& e) {
    if (e.kind == kTKEventCommand) ++commands;
    return kQVErrNotHandled;
  });
  TKInstallControlHandler(button, [&](TKEvent& e) {
    if (e.kind != kTKEventControlHit) return kQVErrNotHandled;
    TKDisposeControl(group);  // takes the button with it
    return kQVErrNotHandled;
  });
  TKInjectClick(window, TKPoint{50, 20});
  TKRunPending();
  EXPECT_EQ(TKCountChildren(TKGetRootControl(window)), 0);
  EXPECT_EQ(commands, 1);  // the command still goes out to the window
}

// An idle procedure may dispose panes still waiting for their turn, itself,
// or its whole window; the panes that went get no idle call.
TEST_F(TKControlTest, IdleProcedureMayDisposeWhatComesAfterIt) {
  int laterIdles = 0;
  TKUserPaneProcs counted;
  counted.idle = [&](TKControl*) { ++laterIdles; };
  TKControl* doomed = nullptr;
  TKUserPaneProcs disposer;
  disposer.idle = [&](TKControl* self) {
    TKDisposeControl(doomed);
    TKDisposeControl(self);
  };
  TKControl* group = TKNewUserPane(window, TKMakeRect(0, 0, 100, 100), {});
  EXPECT_EQ(kQVNoErr, TKEmbedControl(TKNewUserPane(window, TKMakeRect(0, 0, 10, 10), disposer), group));
  doomed = TKNewUserPane(window, TKMakeRect(10, 0, 10, 10), counted);
  EXPECT_EQ(kQVNoErr, TKEmbedControl(TKNewUserPane(window, TKMakeRect(0, 0, 5, 5), counted), doomed));
  TKNewUserPane(window, TKMakeRect(20, 0, 10, 10), counted);
  TKRunFor(0.15);  // one idle turn
  EXPECT_EQ(laterIdles, 1);  // only the last pane
  EXPECT_EQ(TKCountChildren(TKGetRootControl(window)), 2);
  EXPECT_EQ(TKCountChildren(group), 0);

  TKUserPaneProcs closer;
  closer.idle = [&](TKControl* self) { TKDisposeWindow(TKGetControlWindow(self)); };
  EXPECT_EQ(kQVNoErr, TKEmbedControl(TKNewUserPane(window, TKMakeRect(0, 0, 5, 5), closer), group));
  TKRunFor(0.1);
  EXPECT_EQ(TKFrontWindow(), nullptr);
  EXPECT_EQ(laterIdles, 1);  // the last pane went with the window before its turn
}

TEST_F(TKControlTest, EditFieldCutsCopiesAndPastesOneLine) {
  TKControl* field = TKNewEditText(window, TKMakeRect(10, 10, 200, 22), "0.25");
  EXPECT_EQ(kQVNoErr, TKSetKeyboardFocus(window, field));  // selects everything
  TKInjectKey('x', kTKModCommand);
  TKRunPending();
  EXPECT_EQ(TKGetEditText(field), "");
  const char twoLines[] = "1.5\nsecond line";
  EXPECT_EQ(kQVNoErr, TKClipboardPut(kTKFlavourText, twoLines, sizeof twoLines - 1));
  TKInjectKey('v', kTKModCommand);
  TKInjectKey('a', kTKModCommand);
  TKInjectKey('c', kTKModCommand);
  TKRunPending();
  EXPECT_EQ(TKGetEditText(field), "1.5");
  std::vector<uint8_t> copied;
  ASSERT_EQ(TKClipboardGet(kTKFlavourText, &copied), kQVNoErr);
  EXPECT_EQ(std::string(copied.begin(), copied.end()), "1.5");
}

}  // namespace

namespace {

TEST_F(TKControlTest, ModifierChangesFunctionKeysWindowDrawAndVisibilityReachTheHandlers) {
  std::vector<uint32_t> modifierStates;
  uint32_t functionKey = 0, functionMods = 0;
  int windowDraws = 0;
  TKInstallWindowHandler(window, [&](TKEvent& e) {
    switch (e.kind) {
      case kTKEventModifiersChanged: modifierStates.push_back(e.modifiers); return kQVNoErr;
      case kTKEventKeyDown:
        if (e.charCode != kTKKeyFunction) return kQVErrNotHandled;
        functionKey = e.keyCode;
        functionMods = e.modifiers;
        return kQVNoErr;
      case kTKEventWindowDraw:
        ++windowDraws;
        TKSetFillColor(e.ctx, TKColor{1, 0, 0, 1});
        TKFillRect(e.ctx, TKMakeRect(0, 0, 10, 10));
        return kQVErrNotHandled;
      default: return kQVErrNotHandled;
    }
  });
  TKInjectModifiers(kTKModShift);
  TKInjectModifiers(kTKModShift | kTKModCapsLock);
  TKInjectFunctionKey(kTKKeyCodeF3, kTKModShift);
  TKRunPending();
  EXPECT_EQ(modifierStates, (std::vector<uint32_t>{kTKModShift, kTKModShift | kTKModCapsLock}));
  EXPECT_EQ(TKGetModifiers(), kTKModShift);  // the function key's own state came last
  EXPECT_EQ(functionKey, kTKKeyCodeF3);
  EXPECT_EQ(functionMods, kTKModShift);
  TKImage* image = TKRenderWindow(window);
  EXPECT_EQ(windowDraws, 1);
  EXPECT_EQ(TKImageGetPixel(image, 5, 5), 0xFFFF0000u);

  TKControl* group = TKNewUserPane(window, TKMakeRect(0, 0, 100, 100), {});
  TKControl* inner = TKNewUserPane(window, TKMakeRect(10, 10, 50, 50), {});
  TKControl* hiddenInner = TKNewUserPane(window, TKMakeRect(10, 10, 50, 50), {});
  EXPECT_EQ(kQVNoErr, TKEmbedControl(inner, group));
  EXPECT_EQ(kQVNoErr, TKEmbedControl(hiddenInner, group));
  TKSetControlVisible(hiddenInner, false);
  std::vector<std::pair<TKControl*, int16_t>> changes;
  for (TKControl* c : {group, inner, hiddenInner})
    TKInstallControlHandler(c, [&changes, c](TKEvent& e) {
      if (e.kind == kTKEventVisibilityChanged && e.control == c) changes.push_back({c, e.part});
      return kQVErrNotHandled;
    });
  TKSetControlVisible(group, false);
  TKSetControlVisible(group, true);
  // The already hidden control is not told: its visibility did not change.
  EXPECT_EQ(changes, (std::vector<std::pair<TKControl*, int16_t>>{{group, 0}, {inner, 0}, {group, 1}, {inner, 1}}));
}

}  // namespace

namespace {

TEST_F(TKControlTest, ListMultipleSelectionAndColumnWidths) {
  TKControl* list = TKNewList(window, TKMakeRect(10, 10, 300, 200));
  TKListSetColumns(list, {{"Name", 150, false, false, QVFourCC("name")}, {"Type", 150, false, false, QVFourCC("type")}});
  for (int i = 0; i < 5; ++i) TKListAddRow(list, 100 + i, {std::string(1, char('e' - i)), "Preset"});
  auto rowY = [](int row) { return 10 + kTKListHeaderHeight + row * kTKListRowHeight + 5; };
  TKInjectClick(window, TKPoint{40, rowY(1)});
  TKInjectClick(window, TKPoint{40, rowY(3)}, kTKModCommand);  // single selection: replaces
  TKRunPending();
  EXPECT_EQ(TKListSelectedRows(list), std::vector<int32_t>{3});
  TKListAllowMultipleSelection(list, true);
  TKInjectClick(window, TKPoint{40, rowY(1)}, kTKModCommand);
  TKInjectClick(window, TKPoint{40, rowY(4)}, kTKModShift);
  TKRunPending();
  EXPECT_EQ(TKListSelectedRows(list), (std::vector<int32_t>{1, 2, 3, 4}));
  TKInjectClick(window, TKPoint{40, rowY(2)}, kTKModCommand);  // toggles off
  TKRunPending();
  EXPECT_EQ(TKListSelectedRows(list), (std::vector<int32_t>{1, 3, 4}));
  // Sorting keeps the same rows selected.
  TKListSort(list, 0, true);  // names a..e: the ids reverse
  std::vector<int32_t> ids;
  for (int32_t row : TKListSelectedRows(list)) ids.push_back(TKListRowID(list, row));
  EXPECT_EQ(ids, (std::vector<int32_t>{104, 103, 101}));
  TKListSetColumnWidth(list, 1, 90);
  EXPECT_EQ(TKListGetColumnWidth(list, 1), 90);
  EXPECT_EQ(TKListGetColumnWidth(list, 5), 0);
}

}  // namespace
