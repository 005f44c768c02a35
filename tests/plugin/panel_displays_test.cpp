// The curve and hue-wheel areas driven through the stand-in host's panel:
// clicks and drags edit the correction inside undo groups, the context
// menus act on the display clicked, and the drawings hold their colours.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "plugin/panel_displays.h"
#include "platform/alert_script.h"
#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_menu.h"
#include "settings/prefs.h"
#include "tests/plugin/panel_fixture.h"

namespace {

constexpr int32_t kWheels = kVLParamIdHueOffset;
constexpr int32_t kCurves = kVLParamIdCurves;
constexpr int32_t kCentre = 90;  // a wheel's centre in its cell

TEST(PanelWheels, ClicksSetTheHueAngleAndAmountOfTheWheelClicked) {
  struct Case {
    int32_t wheel, x, y;  // x and y within the wheel's cell
    float angle, amount;
  };
  const Case cases[] = {
      {0, kCentre, kCentre - 50, 13.0f, 0.625f},    // straight above: -90 + 103
      {0, kCentre + 50, kCentre, 103.0f, 0.625f},   // to the right
      {1, kCentre, kCentre + 40, 193.0f, 0.5f},     // below
      {2, kCentre - 80, kCentre, 283.0f, 1.0f},     // on the rim to the left
      {3, kCentre + 75, kCentre - 75, 58.0f, 1.0f}, // beyond the rim: held to it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wheel);
    PanelFixture f;
    const int32_t left = (c.wheel & 1) * kPanelCellSize, top = (c.wheel >> 1) * kPanelCellSize;
    f.press(kWheels, left + c.x, top + c.y);
    VL_SettingsStruct s = f.host.settings();
    EXPECT_NEAR(s.hueOffsets.wheel[c.wheel].tintangle, c.angle, 1e-3);
    EXPECT_FLOAT_EQ(s.hueOffsets.wheel[c.wheel].strength, c.amount);
    EXPECT_EQ(s.hueOffsetEnable, 1u);
    EXPECT_EQ(s.hueOffsets.word0, 1u);
    EXPECT_EQ(s.hslEnable, 1u);
    for (int w = 0; w < 4; ++w) {
      if (w != c.wheel) {
        EXPECT_EQ(s.hueOffsets.wheel[w].strength, 0.0f);
      }
    }
    EXPECT_EQ(f.panel.undo_log, (std::vector<std::string>{"begin Hue Wheel Adjustment", "end"}));
    EXPECT_GT(f.panel.invalidations, 0);
  }
}

TEST(PanelWheels, ModifiedDragsMoveTheMarkerByAFractionOrAMultipleOfTheMouse) {
  struct Case {
    uint32_t modifiers;
    int32_t move;       // pixels to the right, twice
    double markerMove;  // where the marker ends, from the centre
  };
  const Case cases[] = {
      {kHIModifierCommand, 50, 10.0},                     // a tenth
      {kHIModifierShift, 2, 40.0},                        // ten times
      {kHIModifierCommand | kHIModifierShift, 50, 1.0},   // a hundredth
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.modifiers);
    PanelFixture f;
    // The click with the modifier leaves the wheel alone and takes the marker where it is.
    EXPECT_EQ(SHPanelClick(&f.panel, kWheels, kCentre + 30, kCentre + 30, c.modifiers), kHINoErr);
    EXPECT_EQ(f.host.settings().hueOffsets.wheel[0].strength, 0.0f);
    EXPECT_EQ(SHPanelDrag(&f.panel, kCentre + 30 + c.move, kCentre + 30, c.modifiers), kHINoErr);
    EXPECT_EQ(SHPanelRelease(&f.panel, kCentre + 30 + 2 * c.move, kCentre + 30, c.modifiers), kHINoErr);
    VL_SettingsStruct s = f.host.settings();
    EXPECT_NEAR(s.hueOffsets.wheel[0].strength, c.markerMove / kWheelRadius, 1e-5);
    EXPECT_NEAR(s.hueOffsets.wheel[0].tintangle, 103.0f, 1e-3);
  }
}

TEST(PanelWheels, TheMenuResetsOneWheelOrAll) {
  PanelFixture f(kHIHostAfterEffects, true);
  f.press(kWheels, kCentre + 50, kCentre);
  f.press(kWheels, kPanelCellSize + kCentre, kCentre - 50);
  f.chooseMenu(0);  // dismissed: nothing
  f.press(kWheels, kCentre, kCentre, kHIModifierControl);
  EXPECT_NEAR(f.host.settings().hueOffsets.wheel[0].tintangle, 103.0f, 1e-3);
  f.chooseMenu(1);  // "Reset Hue Wheel" on the master wheel
  f.press(kWheels, kCentre, kCentre, kHIModifierControl);
  VL_SettingsStruct s = f.host.settings();
  EXPECT_EQ(s.hueOffsets.wheel[0].strength, 0.0f);
  EXPECT_EQ(s.hueOffsets.wheel[0].tintangle, 0.0f);
  EXPECT_NEAR(s.hueOffsets.wheel[1].tintangle, 13.0f, 1e-3);

  f.chooseMenu(2);  // "Reset All Hue Wheels"
  f.press(kWheels, kCentre, kCentre, kHIModifierControl);
  EXPECT_EQ(f.host.settings().hueOffsets.wheel[1].strength, 0.0f);
}

TEST(PanelCurves, PointsAreAddedDraggedAndDraggedOff) {
  PanelFixture f;
  // The middle of the master plot: (0.5, 0.5), far from both end points.
  EXPECT_EQ(SHPanelClick(&f.panel, kCurves, 90, 96), kHINoErr);
  EXPECT_EQ(SHPanelDrag(&f.panel, 90, 76), kHINoErr);
  EXPECT_EQ(SHPanelRelease(&f.panel, 90, 56), kHINoErr);
  VL_SettingsStruct s = f.host.settings();
  ASSERT_EQ(s.rgbCurves[0].spline.pointCount, 3u);
  EXPECT_FLOAT_EQ(s.rgbCurves[0].spline.x[1], 0.5f);
  EXPECT_FLOAT_EQ(s.rgbCurves[0].spline.y[1], 0.75f);
  EXPECT_EQ(s.curvesEnable, 1u);
  EXPECT_EQ(s.rgbCurvesEnable, 1u);
  EXPECT_EQ(f.sequence().selectedPoint[0], 1);
  EXPECT_EQ(f.panel.undo_log, (std::vector<std::string>{"begin Curve Adjustment", "end"}));

  // The same point taken again and let go far above the plot is removed.
  EXPECT_EQ(SHPanelClick(&f.panel, kCurves, 90, 56), kHINoErr);
  EXPECT_EQ(SHPanelRelease(&f.panel, 90, -60), kHINoErr);
  s = f.host.settings();
  EXPECT_EQ(s.rgbCurves[0].spline.pointCount, 2u);
  EXPECT_EQ(f.sequence().selectedPoint[0], -1);

  // The blue display is the bottom right one; its rows count from the area's top.
  f.press(kCurves, kPanelCellSize + 90, kCurveRowTop + 96);
  EXPECT_EQ(f.host.settings().rgbCurves[3].spline.pointCount, 3u);
  EXPECT_EQ(f.sequence().selectedPoint[3], 1);
}

TEST(PanelCurves, ClicksBetweenThePlotsAreConsumedAndChangeNothing) {
  PanelFixture f;
  const VL_SettingsStruct before = f.host.settings();
  for (HIPoint p : {HIPoint{175, 96}, HIPoint{90, 5}, HIPoint{90, 180}, HIPoint{361, 373}}) {
    SCOPED_TRACE(p.h);
    EXPECT_EQ(SHPanelClick(&f.panel, kCurves, p.h, p.v), kHINoErr);
    EXPECT_TRUE(f.panel.last_out_flags & kHIEventOutHandled);
    EXPECT_EQ(SHPanelRelease(&f.panel, p.h, p.v), kHINoErr);
  }
  VL_SettingsStruct after = f.host.settings();
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  EXPECT_TRUE(f.panel.undo_log.empty());
}

TEST(PanelCurves, TheMenuActsOnTheDisplayClicked) {
  PanelFixture f(kHIHostAfterEffects, true);
  f.press(kCurves, 90, 96);                      // master gets a third point
  f.press(kCurves, kPanelCellSize + 90, 96);     // so does red
  // "Delete Point" needs a selection: the red display's is its new point.
  f.chooseMenu(1);
  f.press(kCurves, kPanelCellSize + 40, 40, kHIModifierControl);
  EXPECT_EQ(f.host.settings().rgbCurves[1].spline.pointCount, 2u);
  EXPECT_EQ(f.sequence().selectedPoint[1], -1);
  // With two points left it does nothing.
  VLSeqData seq = f.sequence();
  seq.selectedPoint[1] = 0;
  f.setSequence(seq);
  f.chooseMenu(1);
  f.press(kCurves, kPanelCellSize + 40, 40, kHIModifierControl);
  EXPECT_EQ(f.host.settings().rgbCurves[1].spline.pointCount, 2u);

  // "Reset Curve" on red leaves the master alone; "Reset All Curves" does not.
  f.press(kCurves, kPanelCellSize + 90, 96);
  f.chooseMenu(2);
  f.press(kCurves, kPanelCellSize + 40, 40, kHIModifierControl);
  EXPECT_EQ(f.host.settings().rgbCurves[1].spline.pointCount, 2u);
  EXPECT_EQ(f.host.settings().rgbCurves[0].spline.pointCount, 3u);
  f.chooseMenu(3);
  f.press(kCurves, 40, 40, kHIModifierControl);
  EXPECT_EQ(f.host.settings().rgbCurves[0].spline.pointCount, 2u);
}

TEST(PanelCurves, SelectionsAndCountsOutsideTheCurveAreNotTrusted) {
  PanelFixture f(kHIHostAfterEffects, true);
  VL_SettingsStruct s = f.host.settings();
  s.rgbCurves[0].spline.pointCount = 3;
  s.rgbCurves[0].spline.x[1] = 0.5f;
  s.rgbCurves[0].spline.y[1] = 0.5f;
  s.rgbCurves[2].spline.pointCount = 100000;
  f.host.setSettings(s);
  VLSeqData seq = f.sequence();
  seq.selectedPoint[0] = 40;
  seq.selectedPoint[2] = 1000000;
  f.setSequence(seq);

  // Opening the menu takes the stored index for no selection.
  f.chooseMenu(0);
  f.press(kCurves, 40, 40, kHIModifierControl);
  EXPECT_EQ(f.host.settings().rgbCurves[0].spline.pointCount, 3u);
  EXPECT_EQ(f.sequence().selectedPoint[0], -1);

  // A count far beyond 16 is held to 16 before any point is read or written.
  EXPECT_EQ(SHPanelClick(&f.panel, kCurves, 20, kCurveRowTop + 26), kHINoErr);
  EXPECT_EQ(SHPanelRelease(&f.panel, 25, kCurveRowTop + 30), kHINoErr);
  EXPECT_LE(f.host.settings().rgbCurves[2].spline.pointCount, 16u);
  EXPECT_LT(f.sequence().selectedPoint[2], 16);
}

// The curve menu's rows as the callback leaves them before the menu shows.
std::vector<bool> EnabledRows(const VL_CurveControls& curve, int32_t selected) {
  TKMenu* menu = TKCreateMenu(0x54535430, "Test");
  for (const char* title : {"Delete Point", "Reset Curve", "Reset All Curves", "-", "Load Curves", "Save Curves"})
    TKAppendMenuItem(menu, title, 0);
  VL_SettingsStruct s = DefaultSettings();
  s.rgbCurves[0] = curve;
  CurveMenuContext context{0, &selected, s.rgbCurves, &s};
  HandleCurveContextMenu(0, kCTMMessageBeforeShow, 0, menu, &context);
  std::vector<bool> rows;
  for (int32_t i = 1; i <= 6; ++i) rows.push_back(TKIsMenuItemEnabled(menu, i));
  TKDisposeMenu(menu);
  return rows;
}

TEST(PanelCurves, TheMenuOffersWhatTheCurveAllows) {
  PanelFixture f(kHIHostAfterEffects, true);
  VL_CurveControls curve = DefaultSettings().rgbCurves[0];
  curve.spline.pointCount = 3;
  curve.spline.x[2] = curve.spline.x[1];
  curve.spline.y[2] = curve.spline.y[1];
  curve.spline.x[1] = curve.spline.y[1] = 0.5f;
  EXPECT_EQ(EnabledRows(curve, 1), (std::vector<bool>{true, true, true, false, true, true}));
  EXPECT_EQ(EnabledRows(curve, -1), (std::vector<bool>{false, true, true, false, true, true}));
  EXPECT_EQ(EnabledRows(curve, 3), (std::vector<bool>{false, true, true, false, true, true}));  // not a point
  VL_CurveControls map = curve;
  map.modeFlags |= kVLCurveModeMap;
  EXPECT_EQ(EnabledRows(map, 1), (std::vector<bool>{false, false, true, false, true, false}));

  // Deleting with a selection beyond the points does nothing.
  VL_SettingsStruct s = DefaultSettings();
  s.rgbCurves[0] = curve;
  int32_t selected = 7;
  CurveMenuContext context{0, &selected, s.rgbCurves, &s};
  HandleCurveContextMenu(0, kCTMMessageChosen, 1, nullptr, &context);
  EXPECT_EQ(s.rgbCurves[0].spline.pointCount, 3u);
}

TEST(PanelDisplays, CursorsFollowThePlotsAndTheMenuModifier) {
  PanelFixture f;
  struct Case {
    int32_t id, x, y;
    uint32_t modifiers;
    int32_t cursor;
  };
  const Case cases[] = {
      {kCurves, 90, 96, 0, kHICursorCrosshair},
      {kCurves, 90, 96, kHIModifierControl, kHICursorContextMenu},
      {kCurves, 180, 96, 0, kHICursorNone},  // between the columns
      {kCurves, 90, 190, 0, kHICursorNone},  // between the rows
      {kWheels, 90, 90, 0, -1},              // the host's own
      {kWheels, 90, 90, kHIModifierControl, kHICursorContextMenu},
      {kWheels, 5, 90, 0, kHICursorNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x * 1000 + c.y);
    EXPECT_EQ(SHPanelMove(&f.panel, c.id, c.x, c.y, c.modifiers), kHINoErr);
    EXPECT_EQ(f.panel.cursor, c.cursor);
  }
}

uint32_t PixelAt(SHPanel& panel, int32_t id, int32_t x, int32_t y) {
  const SHPanelArea* a = SHPanelAreaOf(&panel, id);
  return TKImageGetPixel(panel.picture.get(), a->rect.left + x, a->rect.top + y);
}
int Channel(uint32_t p, int shift) { return int((p >> shift) & 0xFF); }

TEST(PanelDisplays, TheDrawingsKeepTheirColours) {
  PanelFixture f;
  f.press(kWheels, kCentre + 50, kCentre);
  ASSERT_EQ(SHPanelDraw(&f.panel), kHINoErr);
  if (const char* keep = std::getenv("VELMORA_KEEP_PANEL_PNG")) {
    EXPECT_EQ(kQVNoErr, SHPanelWritePNG(&f.panel, keep));
  }
  // Outside each wheel's rim the picture is opaque dark grey; inside it is
  // opaque and coloured.
  for (int wheel = 0; wheel < 4; ++wheel) {
    SCOPED_TRACE(wheel);
    const int32_t left = (wheel & 1) * kPanelCellSize, top = (wheel >> 1) * kPanelCellSize;
    for (HIPoint p : {HIPoint{2, 40}, HIPoint{178, 178}, HIPoint{12, 170}})
      EXPECT_EQ(PixelAt(f.panel, kWheels, left + p.h, top + p.v), 0xFF282828u);
    const uint32_t inside = PixelAt(f.panel, kWheels, left + kCentre - 40, top + kCentre + 40);
    EXPECT_EQ(inside >> 24, 0xFFu);
    const int r = Channel(inside, 16), g = Channel(inside, 8), b = Channel(inside, 0);
    EXPECT_GT(std::max({r, g, b}) - std::min({r, g, b}), 8);
  }
  // The curve plots fade from their colour at the top right to black at the
  // bottom left; red's top right is red.
  const uint32_t masterTopRight = PixelAt(f.panel, kCurves, 165, 40);
  const uint32_t masterBottomLeft = PixelAt(f.panel, kCurves, 14, 170);
  EXPECT_GT(Channel(masterTopRight, 8), 180);
  EXPECT_LT(Channel(masterBottomLeft, 8), 40);
  const uint32_t redTopRight = PixelAt(f.panel, kCurves, kPanelCellSize + 160, 50);
  EXPECT_GT(Channel(redTopRight, 16), Channel(redTopRight, 8) + 40);
  EXPECT_EQ(masterTopRight >> 24, 0xFFu);
}

TEST(PanelDisplays, APointCountBeyondSixteenIsReportedAtEveryDrawing) {
  PanelFixture f;
  VL_SettingsStruct s = f.host.settings();
  s.rgbCurves[2].spline.pointCount = 17;
  f.host.setSettings(s);
  for (int i = 0; i < 2; ++i) ASSERT_EQ(SHPanelDraw(&f.panel), kHINoErr);
  int reports = 0;
  for (const PLRecordedAlert& a : PLAlertScriptRecorded())
    if (a.message == "Specified curve point count exceeds maximum in DrawbotCurveDisplay") ++reports;
  EXPECT_EQ(reports, 2);
}

// Save Curves in the curve menu names a file it could not write in an alert;
// a cancelled panel says nothing, and a saved file neither.
TEST(PanelCurves, TheMenuReportsACurveFileThatCouldNotBeSaved) {
  PanelFixture f(kHIHostAfterEffects, true);
  VL_SettingsStruct s = DefaultSettings();
  int32_t selected = -1;
  CurveMenuContext context{0, &selected, s.rgbCurves, &s};
  const std::string missing = "/nonexistent-folder-of-velmora/saved.acv";
  const std::string good = testing::TempDir() + "velmora-panel-saved.acv";
  std::remove(good.c_str());
  struct Case {
    QVStatus panel;
    std::string path;
    size_t alerts;
  } cases[] = {{kQVErrCancelled, missing, 0}, {kQVNoErr, missing, 1}, {kQVNoErr, good, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    TKClearDialogScript();
    TKDialogAnswer answer;
    answer.status = c.panel;
    answer.path = c.path;
    TKQueueDialogAnswer(answer);
    PLAlertScriptBegin();
    HandleCurveContextMenu(0, kCTMMessageChosen, 6, nullptr, &context);
    const std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
    PLAlertScriptEnd();
    ASSERT_EQ(alerts.size(), c.alerts) << c.panel;
    if (c.alerts) {
      EXPECT_NE((alerts[0].message + alerts[0].detail).find("Cannot save \"" + c.path + "\""), std::string::npos)
          << alerts[0].message;
    }
    EXPECT_EQ(std::filesystem::exists(c.path), c.path == good && c.panel == kQVNoErr);
  }
  TKClearDialogScript();
  std::remove(good.c_str());
}

}  // namespace
