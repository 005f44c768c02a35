// The Curves tab in a headless correction window: points added, dragged,
// moved by keys and deleted with the mouse, the keys and the context menu,
// the eyedropper procedures, map curves refusing edits. Each edit changes
// the record as the editor says, makes one undo step and leaves the picture
// the engine gives for the record.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <set>

#include "app/controls/composite_controls.h"
#include "app/controls/curve_editor.h"
#include "app/controls/curve_editor_internal.h"
#include "app/controls/special_setters.h"
#include "app/views/image_pane.h"
#include "app/window/correction_tabs.h"
#include "platform/prefs_store.h"
#include "platform/ui/ui_dialogs.h"
#include "settings/curve_files.h"
#include "settings/file_panels.h"
#include "tests/app/controls/correction_window.h"
#include "tests/scratch_folder.h"

namespace {

constexpr uint32_t kSectionBytes = sizeof(VL_CurveControls);

uint32_t SectionOffset(int curve) {
  return curve < 4 ? VF_OFFSET(rgbCurves) + kSectionBytes * uint32_t(curve)
                   : VF_OFFSET(hslCurves) + kSectionBytes * uint32_t(curve - 4);
}

VL_CurveControls& CurveAt(int curve) {
  return curve < 4 ? gUISettings.rgbCurves[curve] : gUISettings.hslCurves[curve - 4];
}

struct Pt {
  float x, y;
};

void SetPoints(int curve, std::initializer_list<Pt> points) {
  VL_CurveControls& c = CurveAt(curve);
  c.spline.pointCount = uint32_t(points.size());
  int i = 0;
  for (const Pt& p : points) {
    c.spline.x[i] = p.x;
    c.spline.y[i] = p.y;
    ++i;
  }
}

class CurvesTabTest : public CorrectionWindowTest {
 protected:
  TKControl* editors[7] = {};
  TKRect tabBounds;
  std::string dir;

  void SetUp() override {
    CorrectionWindowTest::SetUp();
    if (HasFatalFailure()) return;
    dir = MakeScratchFolder("curves");
    setenv("VELMORA_PREFERENCES", (dir + "/prefs").c_str(), 1);
    PLPrefsDiscard(kQVPanelsDomain);
    tabBounds = TKRectInset(TKGetControlBounds(TabGroupGetPane(mainTabs, 4)), 4, 4);
    BuildCurvesTab(window, mainTabs, tabBounds);
    for (int i = 0; i < 7; ++i) editors[i] = CurveEditorForCurve(i);
    TabGroupSelect(mainTabs, 4);
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    TKRunPending();
    reprocessCount = 0;
  }

  void TearDown() override {
    TKClearDialogScript();
    PLPrefsDiscard(kQVPanelsDomain);
    unsetenv("VELMORA_PREFERENCES");
    CorrectionWindowTest::TearDown();
  }

  // After setting points by hand: the editors follow.
  void Resync() {
    SyncControlsWithSettings(&gUISettings, 0, 0xFE, nullptr, 0);
    TKRunPending();
  }

  CurveEditor* Record(int curve) { return CurveEditorOf(editors[curve]); }

  // The window point of unit coordinates (x, y) in an editor's graph.
  TKPoint At(int curve, double x, double y) {
    const TKRect g = Record(curve)->graph;
    return TKPoint{g.left + int32_t(std::lround(x * (TKRectWidth(g) - 1))),
                   g.top + int32_t(std::lround((1.0 - y) * (TKRectHeight(g) - 1)))};
  }
  // One pixel in unit coordinates.
  double Pixel(int curve) { return 1.0 / (TKRectWidth(Record(curve)->graph) - 1); }

  void ClickAt(int curve, double x, double y) {
    TKInjectClick(window, At(curve, x, y));
    TKRunPending();
  }
  void Drag(int curve, Pt from, Pt to) {
    TKInjectMouseDown(window, At(curve, from.x, from.y));
    for (int k = 1; k <= 4; ++k)
      TKInjectMouseDrag(window, At(curve, from.x + (to.x - from.x) * k / 4, from.y + (to.y - from.y) * k / 4));
    TKInjectMouseUp(window, At(curve, to.x, to.y));
    TKRunPending();
  }
  // Chooses the menu row reached by `downs` Down keys (disabled rows are
  // skipped), or dismisses the menu with downs 0.
  void ContextChoose(int curve, int downs) {
    TKInjectRightClick(window, At(curve, 0.5, 0.5));
    for (int i = 0; i < downs; ++i) TKInjectKey(kTKKeyDown);
    TKInjectKey(downs ? kTKKeyReturn : kTKKeyEscape);
    TKRunPending();
  }

  int UndoSteps() {
    int steps = 0;
    while (UndoBufferUndo(gUndoBuffer, &gUISettings)) ++steps;
    return steps;
  }

  // Every changed word lies in one of the allowed curve sections or is one
  // of the allowed words.
  static ::testing::AssertionResult ChangedOnly(const VL_SettingsStruct& before, std::set<int> curves,
                                                std::set<uint32_t> words) {
    for (uint32_t off : ChangedWords(before, gUISettings)) {
      bool allowed = words.count(off) > 0;
      for (int c : curves)
        if (off >= SectionOffset(c) && off < SectionOffset(c) + kSectionBytes) allowed = true;
      if (!allowed) return ::testing::AssertionFailure() << "word at " << off << " changed";
    }
    return ::testing::AssertionSuccess();
  }
};

const std::set<uint32_t> kRGBEnables = {VF_OFFSET(curvesEnable), VF_OFFSET(rgbCurvesEnable)};

TEST_F(CurvesTabTest, SevenEditorsInTwoSubTabsWithTheirButtons) {
  ASSERT_NE(gCurveSetTabs, nullptr);
  EXPECT_EQ(gVFTabGroups.curvesSubTabs, gCurveSetTabs);
  EXPECT_EQ(TabGroupGetCount(gCurveSetTabs), 2);
  for (int i = 0; i < 7; ++i) {
    ASSERT_NE(editors[i], nullptr) << i;
    EXPECT_EQ(VFControlAtOffset(SectionOffset(i)), editors[i]);
    EXPECT_EQ(TKGetParentControl(editors[i]), TabGroupGetPane(gCurveSetTabs, i < 4 ? 0 : 1)) << i;
    EXPECT_EQ(TKGetControlID(editors[i]).signature, kVFSigCurveEditor);
    const TKRect b = TKGetControlBounds(editors[i]);
    EXPECT_EQ(TKRectWidth(b), TKRectHeight(b)) << "square editors";
    if (i != 0 && i != 4) {
      const TKRect prev = TKGetControlBounds(editors[i - 1]);
      EXPECT_EQ(b.left, prev.right + 10);
      EXPECT_EQ(b.top, prev.top);
    }
  }
  // Side from the usable area: the bounds less the tab column and 10 px.
  const int32_t usableWidth = TKRectWidth(tabBounds) - kVFTabColumnWidth - 10;
  EXPECT_EQ(TKRectWidth(TKGetControlBounds(editors[0])), (usableWidth - 50) / 4);
  // Enable boxes follow their words.
  gUISettings.hslCurvesEnable = 1;
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
  EXPECT_EQ(TabGroupGetItemCheck(gCurveSetTabs, 1), 1);
  EXPECT_EQ(TabGroupGetItemCheck(gCurveSetTabs, 0), 0);

  const VFCurvesTabControls& t = gCurvesTabControls;
  ASSERT_NE(t.saveButton, nullptr);
  ASSERT_NE(t.loadButton, nullptr);
  EXPECT_EQ(TKGetControlCommand(t.saveButton), kVFCommandSaveCurves);
  EXPECT_EQ(TKGetControlCommand(t.loadButton), kVFCommandLoadCurves);
  EXPECT_EQ(TKFindControlByID(window, TKControlID{kVFCreatorControls, int32_t(kVFCommandSaveCurves)}), t.saveButton);
  VLSettingsSectionMask mask = 0;
  ASSERT_TRUE(VFGetButtonSectionMask(t.loadButton, &mask));
  EXPECT_EQ(mask, kVLMaskAllRGBCurves);
  // The two Reset buttons carry the masks of their sub-tab's curves.
  std::vector<VLSettingsSectionMask> resets;
  for (int item = 0; item < 2; ++item) {
    TKControl* pane = TabGroupGetPane(gCurveSetTabs, item);
    for (int i = 0; i < TKCountChildren(pane); ++i) {
      TKControl* c = TKGetChild(pane, i);
      if (TKGetControlCommand(c) == kVFCommandReset && VFGetButtonSectionMask(c, &mask)) resets.push_back(mask);
    }
  }
  EXPECT_EQ(resets, (std::vector<VLSettingsSectionMask>{kVLMaskAllRGBCurves, kVLMaskAllHSLCurves}));
}

TEST_F(CurvesTabTest, AClickAddsAPointInOrderAsOneUndoStep) {
  const VL_SettingsStruct before = gUISettings;
  ClickAt(kVLCurveRed, 0.5, 0.75);
  const VL_CurveControls& red = gUISettings.rgbCurves[kVLCurveRed];
  ASSERT_EQ(red.spline.pointCount, 3u);
  EXPECT_NEAR(red.spline.x[1], 0.5, Pixel(kVLCurveRed));
  EXPECT_NEAR(red.spline.y[1], 0.75, Pixel(kVLCurveRed));
  EXPECT_FLOAT_EQ(red.spline.x[2], 1.0f);
  EXPECT_EQ(Record(kVLCurveRed)->selected, 1);
  EXPECT_EQ(TKGetKeyboardFocus(window), editors[kVLCurveRed]);
  EXPECT_TRUE(ChangedOnly(before, {kVLCurveRed}, kRGBEnables));
  EXPECT_EQ(gUISettings.curvesEnable, 1u);
  EXPECT_EQ(gUISettings.rgbCurvesEnable, 1u);
  EXPECT_EQ(TabGroupGetItemCheck(mainTabs, 4), 1);
  EXPECT_EQ(TabGroupGetItemCheck(gCurveSetTabs, 0), 1);
  EXPECT_EQ(reprocessCount, 1);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
  EXPECT_NE(Pixels(gResultFrame), Pixels(gSourceFrame)) << "the red curve changes the picture";

  EXPECT_EQ(UndoSteps(), 1);
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  EXPECT_EQ(Record(kVLCurveRed)->selected, -1) << "undo rebinds the editors";
}

TEST_F(CurvesTabTest, AClickOnAPointOfASwitchedOffTabShowsTheCurve) {
  // The curve was there with its tabs off: a click that moves nothing but
  // switches the tabs on must still bring the picture up to the record.
  SetPoints(kVLCurveRed, {{0, 0}, {0.5f, 0.9f}, {1, 1}});
  Resync();
  UIReprocess(true);
  const std::vector<float> off = Pixels(gResultFrame);
  ClickAt(kVLCurveRed, 0.5, 0.9);
  EXPECT_EQ(Record(kVLCurveRed)->selected, 1);
  EXPECT_EQ(gUISettings.rgbCurves[kVLCurveRed].spline.pointCount, 3u);
  EXPECT_EQ(gUISettings.curvesEnable, 1u);
  EXPECT_EQ(reprocessCount, 1);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
  EXPECT_NE(Pixels(gResultFrame), off);
}

TEST_F(CurvesTabTest, DragsStopShortOfTheNeighboursAndAtTheEdges) {
  struct Case {
    const char* story;
    int index;
    Pt to;
    Pt expected;
  } cases[] = {
      {"past the right neighbour", 1, {0.9f, 0.5f}, {0.596f, 0.5f}},
      {"past the left neighbour", 2, {0.1f, 0.5f}, {0.304f, 0.5f}},
      {"above the top", 1, {0.35f, 1.4f}, {0.35f, 1.0f}},
      {"the first point to x 0", 0, {-0.3f, -0.2f}, {0.0f, 0.0f}},
      {"the last point to x 1", 3, {1.3f, 0.8f}, {1.0f, 0.8f}},
  };
  for (const Case& k : cases) {
    SetPoints(kVLCurveMaster, {{0, 0}, {0.3f, 0.3f}, {0.6f, 0.6f}, {1, 1}});
    Resync();
    const VL_CurveControls& m = gUISettings.rgbCurves[kVLCurveMaster];
    const Pt from{m.spline.x[k.index], m.spline.y[k.index]};
    Drag(kVLCurveMaster, from, k.to);
    ASSERT_EQ(m.spline.pointCount, 4u) << k.story;
    EXPECT_NEAR(m.spline.x[k.index], k.expected.x, Pixel(0) + 1e-6) << k.story;
    EXPECT_NEAR(m.spline.y[k.index], k.expected.y, Pixel(0) + 1e-6) << k.story;
    for (int i = 1; i < 4; ++i) EXPECT_GT(m.spline.x[i], m.spline.x[i - 1]) << k.story;
    EXPECT_EQ(Pixels(gResultFrame), Expected()) << k.story;
  }
}

TEST_F(CurvesTabTest, ADragReprocessesOnPausesNotOnEveryMove) {
  SetPoints(kVLCurveGreen, {{0, 0}, {0.5f, 0.5f}, {1, 1}});
  gUISettings.curvesEnable = gUISettings.rgbCurvesEnable = 1;  // the press switches nothing on
  Resync();
  const double t = TKNow();
  TKInjectMouseDown(window, At(kVLCurveGreen, 0.5, 0.5), 0, t);
  TKInjectMouseDrag(window, At(kVLCurveGreen, 0.5, 0.6), 0, t + 0.05);
  TKInjectMouseDrag(window, At(kVLCurveGreen, 0.5, 0.7), 0, t + 0.051);
  TKInjectMouseDrag(window, At(kVLCurveGreen, 0.5, 0.8), 0, t + 0.1);
  TKInjectMouseUp(window, At(kVLCurveGreen, 0.5, 0.8), 0, t + 0.2);
  TKRunFor(0.3);
  EXPECT_EQ(reprocessCount, 2) << "one after each pause that followed a change, none on a release without one";
  EXPECT_NEAR(gUISettings.rgbCurves[kVLCurveGreen].spline.y[1], 0.8, Pixel(kVLCurveGreen));
  EXPECT_EQ(Pixels(gResultFrame), Expected());
  EXPECT_EQ(UndoSteps(), 1);
}

TEST_F(CurvesTabTest, KeysNudgeWithinTheDragLimitsWalkAndDelete) {
  SetPoints(kVLCurveMaster, {{0, 0}, {0.3f, 0.4f}, {0.6f, 0.6f}, {1, 1}});
  Resync();
  const VL_CurveControls& m = gUISettings.rgbCurves[kVLCurveMaster];
  ClickAt(kVLCurveMaster, 0.3, 0.4);  // selects point 1 without moving it
  ASSERT_EQ(Record(0)->selected, 1);
  ASSERT_FLOAT_EQ(m.spline.x[1], 0.3f);
  UndoSteps();
  SetPoints(kVLCurveMaster, {{0, 0}, {0.3f, 0.4f}, {0.6f, 0.6f}, {1, 1}});
  Record(0)->selected = 1;
  reprocessCount = 0;

  struct Step {
    uint32_t key, modifiers;
    int selected;
    Pt point;  // of the selected point after the key
  } steps[] = {
      {kTKKeyRight, 0, 1, {0.301f, 0.4f}},
      {kTKKeyRight, kTKModShift, 1, {0.311f, 0.4f}},
      {kTKKeyUp, 0, 1, {0.311f, 0.401f}},
      {kTKKeyDown, kTKModShift, 1, {0.311f, 0.391f}},
      {kTKKeyLeft, 0, 1, {0.310f, 0.391f}},
      {kTKKeyTab, 0, 2, {0.6f, 0.6f}},
      {kTKKeyTab, kTKModShift, 1, {0.310f, 0.391f}},
  };
  for (const Step& s : steps) {
    Key(s.key, s.modifiers);
    ASSERT_EQ(Record(0)->selected, s.selected);
    EXPECT_NEAR(m.spline.x[s.selected], s.point.x, 1e-5);
    EXPECT_NEAR(m.spline.y[s.selected], s.point.y, 1e-5);
  }
  EXPECT_EQ(reprocessCount, 5) << "every key but tab reprocesses";
  EXPECT_EQ(Pixels(gResultFrame), Expected());
  EXPECT_EQ(gUISettings.curvesEnable, 1u);

  // Arrows held down never carry a point past its neighbour or out of 0..1.
  for (int i = 0; i < 40; ++i) Key(kTKKeyRight, kTKModShift);
  EXPECT_NEAR(m.spline.x[1], 0.596f, 1e-6);
  for (int i = 0; i < 80; ++i) Key(kTKKeyLeft, kTKModShift);
  EXPECT_NEAR(m.spline.x[1], 0.004f, 1e-6);
  Key(kTKKeyTab, kTKModShift);
  Key(kTKKeyTab, kTKModShift);
  ASSERT_EQ(Record(0)->selected, 3);
  for (int i = 0; i < 5; ++i) Key(kTKKeyRight, kTKModShift);
  for (int i = 0; i < 5; ++i) Key(kTKKeyUp, kTKModShift);
  EXPECT_FLOAT_EQ(m.spline.x[3], 1.0f);
  EXPECT_FLOAT_EQ(m.spline.y[3], 1.0f);
  Key(kTKKeyTab);
  ASSERT_EQ(Record(0)->selected, 0);
  for (int i = 0; i < 5; ++i) Key(kTKKeyLeft, kTKModShift);
  EXPECT_FLOAT_EQ(m.spline.x[0], 0.0f);

  // Delete removes the selected point and lets go of the focus.
  Key(kTKKeyTab);
  const float third = m.spline.x[2];
  Key(kTKKeyDelete);
  ASSERT_EQ(m.spline.pointCount, 3u);
  EXPECT_FLOAT_EQ(m.spline.x[1], third);
  EXPECT_EQ(Record(0)->selected, -1);
  EXPECT_EQ(TKGetKeyboardFocus(window), nullptr);
  const VL_SettingsStruct afterDelete = gUISettings;
  Key(kTKKeyRight);
  EXPECT_TRUE(ChangedWords(afterDelete, gUISettings).empty()) << "no selection: keys pass on";
  EXPECT_EQ(Pixels(gResultFrame), Expected());
  // The delete is one step of its own.
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_EQ(m.spline.pointCount, 4u);
  EXPECT_FLOAT_EQ(m.spline.x[1], 0.004f);
}

TEST_F(CurvesTabTest, BackspaceIsRefusedAtTwoPoints) {
  ClickAt(kVLCurveBlue, 0.0, 0.0);
  ASSERT_EQ(Record(kVLCurveBlue)->selected, 0);
  const VL_SettingsStruct before = gUISettings;
  Key(kTKKeyBackspace);
  EXPECT_EQ(gUISettings.rgbCurves[kVLCurveBlue].spline.pointCount, 2u);
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
}

TEST_F(CurvesTabTest, AFullCurveTakesNoSeventeenthPoint) {
  for (int n : {15, 16}) {
    VL_CurveControls& c = gUISettings.hslCurves[kVLCurveSaturation];
    c.spline.pointCount = uint32_t(n);
    for (int i = 0; i < n; ++i) {
      c.spline.x[i] = float(i) / float(n - 1);
      c.spline.y[i] = 0.2f;
    }
    Resync();
    TabGroupSelect(gCurveSetTabs, 1);
    // Between the points, far from any (they lie on y 0.2).
    const double x = (3.5) / double(n - 1);
    const VL_SettingsStruct before = gUISettings;
    ClickAt(5, x, 0.8);
    if (n == 15) {
      ASSERT_EQ(c.spline.pointCount, 16u);
      EXPECT_EQ(Record(5)->selected, 4);
      EXPECT_EQ(Pixels(gResultFrame), Expected());
      EXPECT_NEAR(c.spline.x[4], x, Pixel(5));
      for (int i = 1; i < 16; ++i) EXPECT_GT(c.spline.x[i], c.spline.x[i - 1]);
    } else {
      EXPECT_EQ(c.spline.pointCount, 16u);
      EXPECT_EQ(Record(5)->selected, -1);
      EXPECT_TRUE(ChangedWords(before, gUISettings).empty()) << "the tabs were on already";
    }
  }
}

TEST_F(CurvesTabTest, EyedropperProceduresSetTheChannelCurves) {
  struct Case {
    const char* story;
    void (*proc)(TKControl*, const float*, bool);
    float rgb[3];
    // Per channel (red, green, blue): the points after.
    std::vector<Pt> after[3];
  } cases[] = {
      {"black point", CurvesSetBlackPoint, {0.1f, 0.2f, 0.3f},
       {{{0.1f, 0}, {1, 1}}, {{0.2f, 0}, {1, 1}}, {{0.3f, 0}, {1, 1}}}},
      {"white point", CurvesSetWhitePoint, {0.7f, 0.8f, 0.9f},
       {{{0, 0}, {0.7f, 1}}, {{0, 0}, {0.8f, 1}}, {{0, 0}, {0.9f, 1}}}},
      {"grey balance", CurvesSetGrayPoint, {0.2f, 0.5f, 0.8f},
       {{{0, 0}, {0.2f, 0.5f}, {1, 1}}, {{0, 0}, {1, 1}}, {{0, 0}, {0.8f, 0.5f}, {1, 1}}}},
      {"grey on a grey sample adds nothing", CurvesSetGrayPoint, {0.4f, 0.4f, 0.4f},
       {{{0, 0}, {1, 1}}, {{0, 0}, {1, 1}}, {{0, 0}, {1, 1}}}},
  };
  for (const Case& k : cases) {
    VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
    Resync();
    // A focused editor with a selected point, which the eyedropper drops.
    EXPECT_EQ(kQVNoErr, TKSetKeyboardFocus(window, editors[kVLCurveRed]));
    Record(kVLCurveRed)->selected = 0;
    const VL_SettingsStruct before = gUISettings;
    reprocessCount = 0;
    k.proc(nullptr, k.rgb, true);
    for (int c = 0; c < 3; ++c) {
      const VL_CurveControls& curve = gUISettings.rgbCurves[c + 1];
      ASSERT_EQ(curve.spline.pointCount, k.after[c].size()) << k.story << " channel " << c;
      for (size_t i = 0; i < k.after[c].size(); ++i) {
        EXPECT_FLOAT_EQ(curve.spline.x[i], k.after[c][i].x) << k.story << " channel " << c << " point " << i;
        EXPECT_FLOAT_EQ(curve.spline.y[i], k.after[c][i].y) << k.story << " channel " << c << " point " << i;
      }
    }
    EXPECT_TRUE(ChangedOnly(before, {1, 2, 3}, kRGBEnables)) << k.story;
    EXPECT_EQ(gUISettings.curvesEnable, 1u) << k.story;
    EXPECT_EQ(gUISettings.rgbCurvesEnable, 1u) << k.story;
    EXPECT_EQ(Record(kVLCurveRed)->selected, -1) << k.story;
    EXPECT_EQ(TKGetKeyboardFocus(window), nullptr) << k.story;
    EXPECT_EQ(reprocessCount, 1) << k.story;
    EXPECT_EQ(Pixels(gResultFrame), Expected()) << k.story;
    EXPECT_EQ(UndoSteps(), 1) << k.story;
    EXPECT_TRUE(ChangedWords(before, gUISettings).empty()) << k.story;
  }
}

TEST_F(CurvesTabTest, EyedroppersKeepThePointsAscending) {
  // The white point below earlier points steps them down one gap each; the
  // black point beyond the next point stops short of it.
  for (int c = 1; c <= 3; ++c) SetPoints(c, {{0, 0}, {0.4f, 0.3f}, {0.6f, 0.7f}, {1, 1}});
  Resync();
  const float white[3] = {0.3f, 0.5f, 0.05f};
  CurvesSetWhitePoint(nullptr, white, true);
  const float black[3] = {0.9f, 0.45f, 0.5f};
  CurvesSetBlackPoint(nullptr, black, true);
  for (int c = 1; c <= 3; ++c) {
    const VL_CurveControls& curve = gUISettings.rgbCurves[c];
    ASSERT_EQ(curve.spline.pointCount, 4u);
    for (int i = 0; i < 4; ++i) {
      EXPECT_GE(curve.spline.x[i], 0.0f) << c;
      EXPECT_LE(curve.spline.x[i], 1.0f) << c;
      if (i) {
        EXPECT_GT(curve.spline.x[i], curve.spline.x[i - 1]) << "channel " << c << " point " << i;
      }
    }
  }
  EXPECT_NEAR(gUISettings.rgbCurves[1].spline.x[2], 0.296f, 1e-6);
  EXPECT_NEAR(gUISettings.rgbCurves[1].spline.x[0], 0.288f, 1e-6) << "black held short of the second point";
  EXPECT_NEAR(gUISettings.rgbCurves[3].spline.x[3], 0.05f, 1e-6);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
}

TEST_F(CurvesTabTest, ContextMenuResetsDeletesAndRefusesOnMaps) {
  TKMenu* rgbMenu = TKGetMenu(kCurveMenuRGB);
  TKMenu* hslMenu = TKGetMenu(kCurveMenuHSL);
  ASSERT_NE(rgbMenu, nullptr);
  ASSERT_NE(hslMenu, nullptr);
  EXPECT_EQ(TKCountMenuItems(rgbMenu), 6);
  EXPECT_EQ(TKCountMenuItems(hslMenu), 3);

  // Without a selection "Delete Point" is off: one Down reaches "Reset Curve".
  SetPoints(kVLCurveRed, {{0, 0}, {0.5f, 0.8f}, {1, 1}});
  SetPoints(kVLCurveGreen, {{0, 0}, {0.5f, 0.2f}, {1, 1}});
  gUISettings.curvesEnable = gUISettings.rgbCurvesEnable = 1;
  Resync();
  VL_SettingsStruct before = gUISettings;
  ContextChoose(kVLCurveRed, 1);
  EXPECT_FALSE(TKIsMenuItemEnabled(rgbMenu, 1));
  EXPECT_EQ(gUISettings.rgbCurves[kVLCurveRed].spline.pointCount, 2u) << "reset this curve";
  EXPECT_EQ(gUISettings.rgbCurves[kVLCurveGreen].spline.pointCount, 3u) << "the others stay";
  EXPECT_TRUE(ChangedOnly(before, {kVLCurveRed}, {}));
  EXPECT_EQ(Pixels(gResultFrame), Expected());
  EXPECT_EQ(UndoSteps(), 1);

  // Delete through the menu: select, then the first row.
  ClickAt(kVLCurveRed, 0.5, 0.8);
  ASSERT_EQ(Record(kVLCurveRed)->selected, 1);
  ContextChoose(kVLCurveRed, 1);
  EXPECT_EQ(gUISettings.rgbCurves[kVLCurveRed].spline.pointCount, 2u);
  EXPECT_EQ(Record(kVLCurveRed)->selected, -1);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
  // ... refused at two points.
  ClickAt(kVLCurveRed, 1.0, 1.0);
  ASSERT_EQ(Record(kVLCurveRed)->selected, 1);
  before = gUISettings;
  ContextChoose(kVLCurveRed, 1);
  EXPECT_EQ(gUISettings.rgbCurves[kVLCurveRed].spline.pointCount, 2u);
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());

  // "Reset All Curves" on an HSL editor resets the three HSL curves only and
  // switches the HSL sub-tab off.
  SetPoints(4, {{0, 0.1f}, {1, 0.9f}});
  SetPoints(6, {{0, 0.3f}, {1, 0.7f}});
  gUISettings.hslCurvesEnable = 1;
  Resync();
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
  TabGroupSelect(gCurveSetTabs, 1);
  const VL_SettingsStruct beforeAll = gUISettings;
  ContextChoose(6, 2);
  EXPECT_EQ(std::memcmp(gUISettings.hslCurves, gUIDefaultSettings.hslCurves, sizeof gUISettings.hslCurves), 0);
  EXPECT_EQ(gUISettings.rgbCurves[kVLCurveGreen].spline.pointCount, 3u);
  EXPECT_EQ(gUISettings.hslCurvesEnable, 0u);
  EXPECT_EQ(TabGroupGetItemCheck(gCurveSetTabs, 1), 0);
  EXPECT_TRUE(ChangedOnly(beforeAll, {4, 5, 6}, {VF_OFFSET(hslCurvesEnable)}));
  EXPECT_EQ(Pixels(gResultFrame), Expected());
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_TRUE(ChangedWords(beforeAll, gUISettings).empty()) << "one undo step";

  // A map curve: delete, reset and save are off; a click edits nothing.
  TabGroupSelect(gCurveSetTabs, 0);
  VL_CurveControls& red = gUISettings.rgbCurves[kVLCurveRed];
  red.modeFlags = kVLCurveModeMap;
  for (int j = 0; j < kVLCurveMapCount; ++j) red.map[j] = 1.0f - float(j) / 1023.0f;
  Resync();
  Record(kVLCurveRed)->selected = 0;
  ContextChoose(kVLCurveRed, 0);
  EXPECT_FALSE(TKIsMenuItemEnabled(rgbMenu, 1));
  EXPECT_FALSE(TKIsMenuItemEnabled(rgbMenu, 2));
  EXPECT_TRUE(TKIsMenuItemEnabled(rgbMenu, 3));
  EXPECT_TRUE(TKIsMenuItemEnabled(rgbMenu, 5));
  EXPECT_FALSE(TKIsMenuItemEnabled(rgbMenu, 6));
  before = gUISettings;
  ClickAt(kVLCurveRed, 0.5, 0.2);
  Key(kTKKeyRight);
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty()) << "a map takes no point edits";
}

TEST_F(CurvesTabTest, ContextMenuLoadsAndSavesTheRGBCurves) {
  VL_SettingsStruct file = gUISettings;
  file.rgbCurves[kVLCurveBlue].spline = {3, {0.0f, 0.4f, 1.0f}, {0.0f, 0.6f, 1.0f}};
  const std::string acv = dir + "/in.acv";
  ASSERT_EQ(CurveWriteACV(acv.c_str(), file.rgbCurves), kQVNoErr);
  const VL_SettingsStruct before = gUISettings;
  TKDialogAnswer answer;
  answer.path = acv;
  answer.typeIndex = 0;
  TKQueueDialogAnswer(answer);
  ContextChoose(kVLCurveMaster, 3);  // reset curve, reset all, load (delete is off)
  const VL_CurveControls& blue = gUISettings.rgbCurves[kVLCurveBlue];
  ASSERT_EQ(blue.spline.pointCount, 3u);
  EXPECT_NEAR(blue.spline.x[1], 102 / 255.0, 1e-6);  // trunc(255 x 0.4) / 255
  EXPECT_NEAR(blue.spline.y[1], 153 / 255.0, 1e-6);
  EXPECT_EQ(gUISettings.curvesEnable, 1u);
  EXPECT_EQ(gUISettings.rgbCurvesEnable, 1u);
  EXPECT_EQ(TabGroupGetItemCheck(gCurveSetTabs, 0), 1);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
  EXPECT_EQ(Record(kVLCurveBlue)->selected, -1);

  // Saving writes the curves as they are now.
  answer.path = dir + "/out.acv";
  TKQueueDialogAnswer(answer);
  ContextChoose(kVLCurveMaster, 4);
  VL_CurveControls reread[4];
  std::memcpy(reread, before.rgbCurves, sizeof reread);
  ASSERT_EQ(CurveReadACV(answer.path.c_str(), reread), kQVNoErr);
  EXPECT_EQ(reread[kVLCurveBlue].spline.pointCount, 3u);

  EXPECT_EQ(UndoSteps(), 1) << "the load is one step; saving changes nothing";
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());

  // A cancelled panel loads nothing and reprocesses nothing.
  answer.status = kQVErrCancelled;
  TKQueueDialogAnswer(answer);
  reprocessCount = 0;
  ContextChoose(kVLCurveMaster, 3);
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  EXPECT_EQ(reprocessCount, 0);
}

TEST_F(CurvesTabTest, AMapCurveDisablesTheEyedroppersAndSave) {
  TKRenderWindow(window);
  EXPECT_TRUE(TKIsControlEnabled(gCurvesTabControls.saveButton));
  VL_CurveControls& green = gUISettings.rgbCurves[kVLCurveGreen];
  green.modeFlags = kVLCurveModeMap;
  for (int j = 0; j < kVLCurveMapCount; ++j) green.map[j] = std::sqrt(float(j) / 1023.0f);
  Resync();
  TKRenderWindow(window);
  EXPECT_FALSE(TKIsControlEnabled(gCurvesTabControls.saveButton));
  EXPECT_TRUE(TKIsControlEnabled(gCurvesTabControls.loadButton));
  const VL_SettingsStruct before = gUISettings;
  ClickAt(kVLCurveGreen, 0.5, 0.5);
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  green.modeFlags = 0;
  green.spline = {2, {0, 1}, {0, 1}};
  Resync();
  TKRenderWindow(window);
  EXPECT_TRUE(TKIsControlEnabled(gCurvesTabControls.saveButton));
}

TEST_F(CurvesTabTest, EditsOfOtherControlsStayTheirOwnUndoSteps) {
  // Slider, curve, the same slider again: three steps, not two.
  auto dragGain = [&] {
    TabGroupSelect(mainTabs, 0);
    const TKRect b = TKGetControlBounds(gain);
    const double t = double(TKGetControlValue(gain) - TKGetControlMinimum(gain)) /
                     (double(TKGetControlMaximum(gain)) - TKGetControlMinimum(gain));
    const TKPoint thumb{b.left + int32_t(std::lround(t * (TKRectWidth(b) - 16))) + 8, (b.top + b.bottom) / 2};
    TKInjectMouseDown(window, thumb);
    TKInjectMouseDrag(window, TKPoint{thumb.x + 20, thumb.y});
    TKInjectMouseUp(window, TKPoint{thumb.x + 20, thumb.y});
    TKRunPending();
    TabGroupSelect(mainTabs, 4);
  };
  dragGain();
  const float firstGain = gUISettings.hsl[0].gain;
  ClickAt(kVLCurveMaster, 0.5, 0.8);
  dragGain();
  ASSERT_EQ(gUISettings.rgbCurves[0].spline.pointCount, 3u);
  ASSERT_NE(gUISettings.hsl[0].gain, firstGain);
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_EQ(gUISettings.rgbCurves[0].spline.pointCount, 3u) << "the first undo takes back the second drag only";
  EXPECT_EQ(gUISettings.hsl[0].gain, firstGain);
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_EQ(gUISettings.rgbCurves[0].spline.pointCount, 2u);
  EXPECT_EQ(gUISettings.hsl[0].gain, firstGain);
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_FALSE(UndoBufferCanUndo(gUndoBuffer));
}

TEST_F(CurvesTabTest, HoverPicksThePointAndShowsTheReadout) {
  SetPoints(kVLCurveMaster, {{0, 0}, {0.5f, 0.25f}, {1, 1}});
  Resync();
  CurveEditor* e = Record(0);
  gRequestedCursor = 0;
  TKInjectMouseMove(window, At(0, 0.5, 0.25));
  TKRunFor(0.2);
  EXPECT_EQ(e->hover, 1);
  EXPECT_EQ(gRequestedCursor, kCurveCursorOverPoint);
  EXPECT_TRUE(e->readoutShown);
  EXPECT_NEAR(e->readoutX, 0.5, Pixel(0));
  TKInjectMouseMove(window, At(0, 0.2, 0.8));
  TKRunFor(0.2);
  EXPECT_EQ(e->hover, -1);
  EXPECT_EQ(gRequestedCursor, kCurveCursorOverGraph);
  EXPECT_NEAR(e->readoutY, 0.8, Pixel(0));
  // Leaving the graph: the cursor goes back, the readout clears (no selection).
  const TKRect b = TKGetControlBounds(editors[0]);
  TKInjectMouseMove(window, TKPoint{b.left + 5, b.bottom + 70});
  TKRunFor(0.2);
  EXPECT_EQ(gRequestedCursor, 0);
  EXPECT_FALSE(e->readoutShown);
  TKRenderWindow(window);  // the readout strip draws
}

TEST_F(CurvesTabTest, CurvesFromHostileFilesDrawAndTakeNoEdits) {
  // Counts beyond the arrays, NaN and out-of-order points draw without
  // reading past the section; a count the editor cannot trust takes no edits.
  VL_CurveControls& master = gUISettings.rgbCurves[kVLCurveMaster];
  master.spline.pointCount = 4000000000u;
  VL_CurveControls& red = gUISettings.rgbCurves[kVLCurveRed];
  red.spline = {4, {0.0f, 0.7f, 0.3f, 1.0f}, {0.0f, 0.5f, std::nanf(""), -1.0f}};
  VL_CurveControls& blue = gUISettings.rgbCurves[kVLCurveBlue];
  blue.modeFlags = 3;  // map and lines: only the background
  Resync();
  TKRenderWindow(window);
  const VL_SettingsStruct before = gUISettings;
  ClickAt(kVLCurveMaster, 0.5, 0.5);
  Key(kTKKeyRight);
  ClickAt(kVLCurveBlue, 0.5, 0.5);
  EXPECT_TRUE(ChangedOnly(before, {}, {VF_OFFSET(curvesEnable), VF_OFFSET(rgbCurvesEnable)}));
  // The out-of-order red curve: dragging its stray point brings it back
  // between its neighbours.
  Drag(kVLCurveRed, {0.7f, 0.5f}, {0.75f, 0.5f});
  EXPECT_NEAR(red.spline.x[1], 0.296f, 1e-6);
  for (int i = 1; i < 4; ++i) EXPECT_GT(red.spline.x[i], red.spline.x[i - 1]);
  TKRenderWindow(window);
}

}  // namespace
