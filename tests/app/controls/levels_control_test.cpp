// The levels control through the window: every marker dragged on every
// channel writes its point (and the gray point it carries), ticks the
// Levels tabs and leaves the picture the engine gives; the gray marker
// stays between black and white; a resting mouse refreshes the preview;
// the setters and the synchroniser move the markers; the ramp bars and the
// histograms draw what they should.
#include <algorithm>
#include <cmath>
#include <limits>

#include "tests/app/controls/levels_window.h"

namespace {

struct MarkerCase {
  const char* name;
  int32_t point;     // the dragged point
  int32_t dx;        // pixels (256 a unit)
  float value;       // the point afterwards
  int32_t grayPoint; // the gray point it carries, or -1
  float gray;        // that gray afterwards
};
// From the defaults: black 0, gray 0.5, white 1 in both rows.
const MarkerCase kMarkerCases[] = {
    {"input black", kLevelsInBlack, 64, 0.25f, kLevelsInGray, 0.625f},
    {"input gray", kLevelsInGray, 32, 0.625f, -1, 0.0f},
    {"input white", kLevelsInWhite, -64, 0.75f, kLevelsInGray, 0.375f},
    {"output black", kLevelsOutBlack, 32, 0.125f, kLevelsOutGray, 0.5625f},
    {"output white", kLevelsOutWhite, -64, 0.75f, kLevelsOutGray, 0.375f},
};

float Field(uint32_t offset) {
  float f;
  std::memcpy(&f, reinterpret_cast<const uint8_t*>(&gUISettings) + offset, sizeof f);
  return f;
}

}  // namespace

TEST_F(LevelsWindowTest, DraggingEveryMarkerOfEveryChannelWritesItsPointAndReprocesses) {
  const VL_SettingsStruct start = gUISettings;
  for (int32_t channel = 0; channel < 4; ++channel) {
    TabGroupSelect(gVFTabGroups.levelsChannels, channel);
    TKControl* strip = Strip(channel);
    ASSERT_NE(strip, nullptr);
    const uint32_t block = kOff(offsetof(VL_SettingsStruct, levels)) + 32 * uint32_t(channel);
    for (const MarkerCase& c : kMarkerCases) {
      SCOPED_TRACE(std::string(c.name) + " of channel " + std::to_string(channel));
      ResetRecord(start);
      ASSERT_EQ(LevelsRecordOf(strip)->scale, 256.0f) << "the tab's controls are the 256-bin kind";
      Drag(MarkerPoint(strip, c.point), c.dx);

      EXPECT_FLOAT_EQ(Field(block + 8 + 4 * uint32_t(c.point)), c.value);
      EXPECT_FLOAT_EQ(LevelsRecordOf(strip)->value[c.point], c.value) << "the marker follows";
      std::vector<uint32_t> expected = {kOff(offsetof(VL_SettingsStruct, levelsEnable)), block + 4,
                                        block + 8 + 4 * uint32_t(c.point)};
      if (c.grayPoint >= 0) {
        EXPECT_FLOAT_EQ(Field(block + 8 + 4 * uint32_t(c.grayPoint)), c.gray);
        expected.push_back(block + 8 + 4 * uint32_t(c.grayPoint));
      }
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(ChangedWords(start, gUISettings), expected) << "the points and the two enable words";
      EXPECT_EQ(TabGroupGetItemCheck(tabs, kCorrectionTabLevels), 1);
      EXPECT_EQ(TabGroupGetItemCheck(gVFTabGroups.levelsChannels, channel), 1);
      EXPECT_EQ(reprocessCount, 1) << "released right after moving: one refresh";
      EXPECT_EQ(Pixels(gResultFrame), Expected());
      EXPECT_NE(Pixels(gResultFrame), Pixels(gSourceFrame));
    }
  }
  // Each drag is one undo step.
  EXPECT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_TRUE(ChangedWords(start, gUISettings).empty());
}

TEST_F(LevelsWindowTest, TheGrayMarkerStaysBetweenBlackAndWhite) {
  TKControl* strip = Strip(0);
  Drag(MarkerPoint(strip, kLevelsInBlack), 64);   // black 0.25, gray 0.625
  Drag(MarkerPoint(strip, kLevelsInWhite), -64);  // white 0.75, gray 0.5
  EXPECT_FLOAT_EQ(gUISettings.levels[0].ingraypt, 0.5f);

  // Far to the right it stops at white (0.75, 192 px in), and coming back
  // it leaves white as soon as the mouse passes the marker: the mouse's
  // place follows the stopped marker.
  const TKPoint from = MarkerPoint(strip, kLevelsInGray);
  TKInjectMouseDown(big, from);
  TKInjectMouseDrag(big, TKPoint{from.x + 120, from.y});
  TKInjectMouseDrag(big, TKPoint{from.x + 56, from.y});
  TKInjectMouseUp(big, TKPoint{from.x + 56, from.y});
  TKRunPending();
  EXPECT_FLOAT_EQ(gUISettings.levels[0].ingraypt, 0.75f - 8.0f / 256.0f);

  // And to the left it stops at black.
  Drag(MarkerPoint(strip, kLevelsInGray), -200);
  EXPECT_FLOAT_EQ(gUISettings.levels[0].ingraypt, 0.25f);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
}

TEST_F(LevelsWindowTest, BlackAndWhiteTogetherLeaveGrayWhereItIs) {
  // Black and white at one place give gray no place to keep: it stays put
  // (and finite) when black is dragged off white.
  gUISettings.levels[0].inblackpt = gUISettings.levels[0].inwhitept = 0.6f;
  gUISettings.levels[0].ingraypt = 0.3f;
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
  TKControl* strip = Strip(0);
  Drag(MarkerPoint(strip, kLevelsInBlack), 32);
  EXPECT_FLOAT_EQ(gUISettings.levels[0].inblackpt, 0.6f + 32.0f / 256.0f);
  EXPECT_FLOAT_EQ(gUISettings.levels[0].inwhitept, 0.6f);
  EXPECT_FLOAT_EQ(gUISettings.levels[0].ingraypt, 0.3f);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
}

TEST_F(LevelsWindowTest, ARestingMouseRefreshesThePreviewAndReleaseOnlyWhenItHadNot) {
  TKControl* strip = Strip(0);
  struct Case {
    const char* name;
    double restBeforeRelease;  // seconds the mouse rests after the last move
    int32_t reprocesses;
  } cases[] = {
      {"released at once", 0.0, 1},
      {"rested, then released", 1.0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reprocessCount = 0;
    const TKPoint from = MarkerPoint(strip, kLevelsOutBlack);
    const double t = TKNow();
    TKInjectMouseDown(big, from, 0, t);
    TKInjectMouseDrag(big, TKPoint{from.x + 8, from.y}, 0, t);
    TKInjectMouseUp(big, TKPoint{from.x + 8, from.y}, 0, t + c.restBeforeRelease);
    TKRunPending();
    TKRunFor(c.restBeforeRelease + 0.1);
    EXPECT_EQ(reprocessCount, c.reprocesses);
    EXPECT_EQ(Pixels(gResultFrame), Expected());
  }
  // Move, rest, move again, release: a refresh for the rest and one at the end.
  reprocessCount = 0;
  const TKPoint from = MarkerPoint(strip, kLevelsOutBlack);
  const double t = TKNow();
  TKInjectMouseDown(big, from, 0, t);
  TKInjectMouseDrag(big, TKPoint{from.x + 8, from.y}, 0, t);
  TKInjectMouseDrag(big, TKPoint{from.x + 16, from.y}, 0, t + 1.0);
  TKInjectMouseUp(big, TKPoint{from.x + 16, from.y}, 0, t + 1.0);
  TKRunFor(1.2);
  EXPECT_EQ(reprocessCount, 2);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
}

// A damaged record (a preset written by something else) can carry points
// that are huge, infinite or NaN: their markers stay off the bars, no click
// along the strip takes them, and the sound marker still drags.
TEST_F(LevelsWindowTest, DamagedPointsAreNeverHit) {
  const float inf = std::numeric_limits<float>::infinity();
  VL_LevelControls& master = gUISettings.levels[0];
  master.inblackpt = std::nanf("");
  master.ingraypt = 1e30f;
  master.inwhitept = inf;
  master.outblackpt = -1e30f;
  master.outwhitept = 0.5f;
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
  TKControl* strip = Strip(0);
  const LevelsControl* r = LevelsRecordOf(strip);
  ASSERT_NE(r, nullptr);
  ASSERT_TRUE(std::isnan(r->value[kLevelsInBlack]));
  const int32_t soundX = r->outputBar.left + 128;
  // The two bars share one row of markers.
  for (int32_t x = r->bounds.left; x < r->bounds.right; ++x) {
    const int16_t part = LevelsHitTest(r, TKPoint{x, r->outputBar.bottom + 8});
    const bool sound = x >= soundX - kLevelsMarkerHalfWidth && x < soundX + kLevelsMarkerHalfWidth;
    EXPECT_EQ(part, sound ? kLevelsPartOutWhite : 0) << x;
  }
  Drag(TKPoint{soundX, r->outputBar.bottom + 8}, 32);
  EXPECT_FLOAT_EQ(gUISettings.levels[0].outwhitept, 0.625f);
  EXPECT_TRUE(std::isnan(gUISettings.levels[0].inblackpt)) << "the damaged points are left as they are";
  EXPECT_EQ(gUISettings.levels[0].ingraypt, 1e30f);
}

TEST_F(LevelsWindowTest, SettersAndTheSynchroniserMoveTheMarkers) {
  using Setter = void (*)(TKControl*, float, bool);
  const Setter setters[6] = {LevelsSetInBlack, LevelsSetInGray, LevelsSetInWhite,
                             LevelsSetOutBlack, LevelsSetOutGray, LevelsSetOutWhite};
  const float values[6] = {0.1f, 0.4f, 0.9f, 0.2f, 0.6f, 0.8f};
  TKControl* strip = Strip(2);
  for (int32_t i = 0; i < 6; ++i) setters[i](strip, values[i], i == 5);
  for (int32_t i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(LevelsRecordOf(strip)->value[i], values[i]) << i;
  float black = 0, gray = 0, white = 0;
  LevelsGetInBlack(strip, &black);
  LevelsGetInGray(strip, &gray);
  LevelsGetInWhite(strip, &white);
  EXPECT_EQ((std::vector<float>{black, gray, white}), (std::vector<float>{0.1f, 0.4f, 0.9f}));
  // The strip's picture shows the black marker where it now is.
  const LevelsControl* r = LevelsRecordOf(strip);
  const int32_t x = r->inputBar.left + int32_t(0.1f * 256) - r->bounds.left;
  const int32_t y = r->inputBar.bottom + 6 - r->bounds.top;
  EXPECT_EQ(TKImageGetPixel(r->image, x, y) & 0xFFFFFF, 0u) << "black marker under the bar at 0.1";
  // The setters leave the record alone; a hit test finds the moved marker.
  EXPECT_FLOAT_EQ(gUISettings.levels[2].inblackpt, 0.0f);
  EXPECT_EQ(LevelsHitTest(r, TKPoint{r->inputBar.left + 26, r->inputBar.bottom + 8}), kLevelsPartInBlack);

  // A whole-record change moves the markers of every channel.
  VL_SettingsStruct changed = gUISettings;
  for (int32_t c = 0; c < 4; ++c) {
    changed.levels[c].inblackpt = 0.05f * float(c + 1);
    changed.levels[c].outwhitept = 1.0f - 0.05f * float(c + 1);
    changed.levels[c].outgraypt = 0.3f;
  }
  const VL_SettingsStruct previous = gUISettings;
  gUISettings = changed;
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, &previous, 0);
  for (int32_t c = 0; c < 4; ++c) {
    const LevelsControl* rc = LevelsRecordOf(Strip(c));
    EXPECT_FLOAT_EQ(rc->value[kLevelsInBlack], 0.05f * float(c + 1)) << c;
    EXPECT_FLOAT_EQ(rc->value[kLevelsOutWhite], 1.0f - 0.05f * float(c + 1)) << c;
    EXPECT_FLOAT_EQ(rc->value[kLevelsOutGray], 0.3f) << c;
  }
}

TEST(LevelsRamp, ComponentsFallToZeroAndNeverWrap) {
  struct Case {
    uint16_t component;
    int32_t column, step;
    uint16_t expected;
  } cases[] = {
      {65535, 0, 256, 65535}, {65535, 255, 256, 255}, {65535, 511, 128, 127},
      {30000, 117, 256, 48},  {30000, 118, 256, 0},   {30000, 255, 256, 0},  // would wrap to 30256 in 16 bits
      {1000, 3, 256, 232},    {0, 100, 256, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LevelsRampComponent(c.component, c.column, c.step), c.expected) << c.component << " at " << c.column;
}

TEST_F(LevelsWindowTest, ADimRampBarEndsInBlackAtItsLeft) {
  LevelsControl* r = LevelsRecordOf(Strip(0));
  r->ramp = QVRGBColor{30000, 30000, 30000};
  LevelsRenderControl(r);
  const int32_t y = r->inputBar.top + 8 - r->bounds.top;
  const int32_t left = r->inputBar.left - r->bounds.left, right = r->inputBar.right - 1 - r->bounds.left;
  EXPECT_EQ(TKImageGetPixel(r->image, left, y) & 0xFFFFFF, 0u);
  EXPECT_EQ(TKImageGetPixel(r->image, left + 100, y) & 0xFFFFFF, 0u);
  EXPECT_EQ(TKImageGetPixel(r->image, right, y) & 0xFF, 30000u >> 8);
}

namespace {

// A planar frame of width x height: every pixel black but for the runs given.
struct Run {
  int32_t count;
  float level;
};
FBFrameStruct* GreyFrame(int32_t width, int32_t height, std::initializer_list<Run> runs) {
  FBFrameStruct* frame = nullptr;
  EXPECT_EQ(FBCreateRGBFrameBuffer(uint32_t(width), uint32_t(height), &frame, kFBPixFormatPlanarFloat), kQVNoErr);
  int32_t i = 0;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) FBSetRGBPixel(frame, x, y, 0, 0, 0, 1);
  for (const Run& run : runs)
    for (int32_t k = 0; k < run.count; ++k, ++i)
      FBSetRGBPixel(frame, i % width, i / width, run.level, run.level, run.level, 1);
  return frame;
}

// Rows from the top of the first inked pixel in a column (height: none).
int32_t BarTop(TKImage* image, int32_t column) {
  const int32_t h = TKImageHeight(image);
  for (int32_t y = 0; y < h; ++y)
    if ((TKImageGetPixel(image, column, y) & 0xFFFFFF) != 0) return y;
  return h;
}

}  // namespace

TEST_F(LevelsWindowTest, HistogramBarsReachTheTopAtTwoPercent) {
  // 5,000 pixels: 100 (2 %) at 0.5, 50 at 0.25, 25 at 0.75.
  FBFrameStruct* frame = GreyFrame(100, 50, {{100, 0.5f}, {50, 0.25f}, {25, 0.75f}});
  TKImagePtr image(TKImageCreate(256, 200));
  BuildLevelsHistogram(image.get(), frame, 1, false, false);
  EXPECT_EQ(BarTop(image.get(), 127), 0) << "2 % of the pixels: full height";
  EXPECT_EQ(BarTop(image.get(), 63), 199 - 100) << "1 %: half";
  EXPECT_EQ(BarTop(image.get(), 191), 199 - 50) << "0.5 %: a quarter";
  EXPECT_EQ(BarTop(image.get(), 0), 0) << "the black pixels overflow and are clipped";
  EXPECT_EQ(BarTop(image.get(), 128), 200) << "empty bins draw nothing";
  const QVRGBColor& a = gInterfaceAccentColors[5];
  EXPECT_EQ(TKImageGetPixel(image.get(), 127, 199) & 0xFFFFFF,
            uint32_t(a.red >> 8) << 16 | uint32_t(a.green >> 8) << 8 | uint32_t(a.blue >> 8));

  // 512 bins: each level fills its two bins.
  TKImagePtr wide(TKImageCreate(512, 100));
  BuildLevelsHistogram(wide.get(), frame, 1, false, false);
  EXPECT_EQ(BarTop(wide.get(), 254), 0);
  EXPECT_EQ(BarTop(wide.get(), 255), 0);
  EXPECT_EQ(BarTop(wide.get(), 256), 100);
  FBDisposeFrameBuffer(frame);
}

TEST_F(LevelsWindowTest, HistogramsFollowTheirOwnHighlightRecovery) {
  FBFrameStruct* frame = GreyFrame(100, 50, {{200, 1.0f}});
  gUISettings.input.inputControls_highlight_recovery = 0.5f;  // knee 0.8: 1.0 lands at 0.9
  gUISettings.input.outputControls_highlight_recovery = 0.0f;
  struct Case {
    bool input, output;
    int32_t bin;
  } cases[] = {{true, false, 229}, {false, true, 255}, {false, false, 255}};
  for (const Case& c : cases) {
    TKImagePtr image(TKImageCreate(256, 50));
    BuildLevelsHistogram(image.get(), frame, 2, c.input, c.output);
    EXPECT_EQ(BarTop(image.get(), c.bin), 0) << c.input << c.output;
    EXPECT_EQ(BarTop(image.get(), c.bin == 255 ? 229 : 255), 50) << c.input << c.output;
  }
  FBDisposeFrameBuffer(frame);
}

// Float frames from a host can hold NaN and infinities: a NaN counts in no
// bin, an infinity in the end bin on its side, with or without recovery,
// at every bin count and for every channel.
TEST_F(LevelsWindowTest, HistogramsCountNonFinitePixelsSafely) {
  const float inf = std::numeric_limits<float>::infinity();
  // 5,000 pixels each: 100 NaN or 100 of each infinity, the rest 0.5.
  FBFrameStruct* withNaN = GreyFrame(100, 50, {{100, std::nanf("")}, {4900, 0.5f}});
  FBFrameStruct* withInfinities = GreyFrame(100, 50, {{100, inf}, {100, -inf}, {4800, 0.5f}});
  struct Case {
    FBFrameStruct* frame;
    int32_t width;
    std::vector<int32_t> inked;  // the only columns with bars
  } cases[] = {
      {withNaN, 128, {63}},          {withNaN, 256, {127}},
      {withNaN, 512, {254, 255}},    {withInfinities, 128, {0, 63, 127}},
      {withInfinities, 256, {0, 127, 255}}, {withInfinities, 512, {0, 1, 254, 255, 510, 511}},
  };
  for (const Case& c : cases)
    for (int32_t channel = 1; channel <= 4; ++channel)
      for (float recovery : {0.0f, 0.5f}) {
        SCOPED_TRACE(testing::Message() << (c.frame == withNaN ? "NaN, " : "infinities, ") << c.width
                                        << " bins, channel " << channel << ", recovery " << recovery);
        gUISettings.input.inputControls_highlight_recovery = recovery;
        TKImagePtr image(TKImageCreate(c.width, 40));
        BuildLevelsHistogram(image.get(), c.frame, channel, true, false);
        for (int32_t x = 0; x < c.width; ++x) {
          const bool inked = std::find(c.inked.begin(), c.inked.end(), x) != c.inked.end();
          if (inked)
            EXPECT_LT(BarTop(image.get(), x), 40) << "column " << x;
          else
            EXPECT_EQ(BarTop(image.get(), x), 40) << "column " << x;
        }
      }
  gUISettings.input.inputControls_highlight_recovery = 0.0f;
  FBDisposeFrameBuffer(withNaN);
  FBDisposeFrameBuffer(withInfinities);
}

TEST_F(LevelsWindowTest, TheChannelSwitchRefreshesThatChannelsHistograms) {
  TabGroupSelect(gVFTabGroups.levelsChannels, 2);
  LevelsChannelSwitchProc(0, 2);
  EXPECT_EQ(gLevelsChannel, kLevelsChannelGreen);
  // The source ramp has green from 0.2 to 0.65 by row: the green histogram
  // of the input has bars there and none at the top.
  const LevelsControl* r = LevelsRecordOf(Strip(2));
  EXPECT_LT(BarTop(r->inputHistogram, int32_t(0.2f * 255)), 200);
  EXPECT_EQ(BarTop(r->inputHistogram, 250), 200);
  LevelsChannelSwitchProc(2, 7);
  EXPECT_EQ(gLevelsChannel, kLevelsChannelGreen) << "an item that does not exist changes nothing";
}

TEST_F(LevelsWindowTest, TheTabNumbersItsControlsAndGivesEachChannelItsButtons) {
  // Numbers from 100: master levels (seven), its slider, red, green, blue.
  const int32_t strips[4] = {100, 108, 115, 122};
  for (int32_t c = 0; c < 4; ++c) {
    EXPECT_EQ(TKGetControlID(Strip(c)).signature, QVFourCC("VFlv"));
    EXPECT_EQ(TKGetControlID(Strip(c)).id, strips[c]);
    const uint32_t block = kOff(offsetof(VL_SettingsStruct, levels)) + 32 * uint32_t(c);
    for (uint32_t field = block + 8; field <= block + 28; field += 4) EXPECT_EQ(VFControlAtOffset(field), Strip(c));
  }
  EXPECT_EQ(gNextValueControlID, 129);
  TKControl* recovery = VFControlAtOffset(kOff(offsetof(VL_SettingsStruct, input.inputControls_highlight_recovery)));
  ASSERT_NE(VFGetValueSlider(recovery), nullptr);
  EXPECT_EQ(TKGetControlID(recovery).id, 107);
  EXPECT_EQ(TKGetParentControl(recovery), TabGroupGetPane(gVFTabGroups.levelsChannels, 0));

  // Every channel's buttons: the command, the ID and the section mask.
  struct Button {
    int32_t channel;
    const char* title;
    uint32_t command;
    VLSettingsSectionMask mask;
  } buttons[] = {
      {0, "Reset", kVFCommandReset, 0x20000},          {0, "Auto Exposure", QVFourCC("VLae"), 0x20000},
      {0, "Auto Color", QVFourCC("VLac"), 0x20000},    {1, "Reset", kVFCommandReset, 0x40000},
      {2, "Reset", kVFCommandReset, 0x80000},          {3, "Reset", kVFCommandReset, 0x100000},
  };
  for (const Button& b : buttons) {
    SCOPED_TRACE(std::string(b.title) + " of channel " + std::to_string(b.channel));
    TKControl* pane = TabGroupGetPane(gVFTabGroups.levelsChannels, b.channel);
    TKControl* found = nullptr;
    for (int32_t i = 0; i < TKCountChildren(pane); ++i) {
      TKControl* child = TKGetChild(pane, i);
      if (TKGetControlKind(child) == kTKControlPushButton && TKGetControlTitle(child) == b.title) found = child;
    }
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(TKGetControlCommand(found), b.command);
    VLSettingsSectionMask mask = 0;
    EXPECT_TRUE(VFGetButtonSectionMask(found, &mask));
    EXPECT_EQ(mask, b.mask);
    if (b.command != kVFCommandReset) {
      EXPECT_EQ(TKGetControlID(found).signature, kVFCreatorControls);
      EXPECT_EQ(TKGetControlID(found).id, int32_t(b.command));
    }
  }
}

TEST_F(LevelsWindowTest, WideBoundsGiveTheLargeHistograms) {
  TKControl* pane = TabGroupGetPane(gVFTabGroups.levelsChannels, 1);
  const uint32_t offsets[7] = {900, 908, 912, 916, 920, 924, 928};
  struct Case {
    int32_t width, height;
    float scale;
    int32_t histogramWidth, histogramHeight, columnStep;
  } cases[] = {{1051, 400, 256.0f, 256, 200, 280}, {1052, 400, 512.0f, 512, 340, 536}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    TKControl* strip = CreateLevelsControl(big, TKMakeRect(0, 0, c.width, c.height), "Red", pane, 2, &gUISettings,
                                           offsets, 300, nullptr);
    const LevelsControl* r = LevelsRecordOf(strip);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->scale, c.scale);
    EXPECT_EQ(TKImageWidth(r->inputHistogram), c.histogramWidth);
    EXPECT_EQ(TKImageHeight(r->outputHistogram), c.histogramHeight);
    EXPECT_EQ(TKRectWidth(r->inputBar), c.histogramWidth);
    EXPECT_EQ(r->outputBar.left - r->inputBar.left, c.columnStep);
    EXPECT_EQ(TKGetControlBounds(r->outputPane).left - TKGetControlBounds(r->inputPane).left, c.columnStep);
    EXPECT_EQ(TKGetControlBounds(r->inputPane).left + 2, r->inputBar.left) << "bars under the histograms";
    EXPECT_LE(r->bounds.bottom, c.height) << "all of it inside the bounds";
    EXPECT_EQ(VFControlAtOffset(900), Strip(1)) << "no table: nothing registered";
  }
}
