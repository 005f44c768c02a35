// The rapid preview over a small host clip whose frames differ by colour:
// every frame from the start to the last goes into the cache movie once and
// in order, the movie carries the clip's timecode, and it plays each frame
// at the clip's rate against the clock, looping; full screen ends on Escape.
#include <cmath>

#include "app/views/preview_outputs.h"
#include "app/views/rapid_preview.h"
#include "app/views/transport_bar.h"
#include "media/movie_reader.h"
#include "platform/alert_script.h"
#include "settings/prefs.h"
#include "tests/app/views/pane_fixture.h"
#include "tests/media/peer_tools.h"
#include "tests/scratch_folder.h"

namespace {

constexpr int32_t kStep = 100, kFrames = 6;  // 24 frames a second at 2400 units

// The host clip: frame n is a flat grey of 40 + 30 n.
struct HostClip {
  int32_t current = 0;
};
HostClip gClip;

int32_t greyOf(int64_t frame) { return 40 + 30 * int32_t(frame); }

class RapidPreviewTest : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    saved = gPrefsSettings;
    folder = MakeScratchFolder("rapid_preview");
    gPrefsSettings.rapidPreviewCacheAlias.assign(folder.begin(), folder.end());
    gPrefsSettings.externalPreviewDevice = kPreviewDeviceNone;
    ViewsHooks& h = ViewsHooksInForce();
    h.hostFrameTimes = [](int32_t* current, int32_t* step, int32_t* last) {
      *current = gClip.current, *step = kStep, *last = (kFrames - 1) * kStep;
      return true;
    };
    h.hostLoadFrameAt = [](int32_t time) -> QVStatus {
      gClip.current = time;
      const float v = float(greyOf(time / kStep)) / 255.0f;
      for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) SetPlanes(gSourceFrame, x, y, v, v, v, v);
      return kQVNoErr;
    };
    h.hostTimecodeFormat = [](int32_t* rate100, int32_t* mode, int32_t* drop, int32_t* field, int32_t* perFoot) {
      *rate100 = 2400, *mode = 1, *drop = 0, *field = 0, *perFoot = 16;
    };
    ASSERT_EQ(CreateTransportBar(window, TKMakeRect(0, 280, 400, 20), 1, kTransportAllParts, &bar), kQVNoErr);
    TransportSetPane(bar, GetViewPane(kPaneResult));
  }
  void TearDown() override {
    RapidPreviewStop(bar);
    gPrefsSettings = saved;
    PaneTest::TearDown();
  }

  // Starts at the frame `first` and renders to the end; the ticks it took.
  int renderFrom(int32_t first, bool fullScreen) {
    EXPECT_EQ(ViewsHooksInForce().hostLoadFrameAt(first * kStep), kQVNoErr);
    UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
    EXPECT_EQ(StartRapidPreview(bar, fullScreen), kQVNoErr);
    int ticks = 0;
    while (gRapidPreviewRendering && ticks < 100) {
      RapidPreviewTick();
      ++ticks;
    }
    return ticks;
  }

  PrefsSettings saved;
  std::string folder;
  TKControl* bar = nullptr;
};

TEST(RapidPreviewTiming, TheUsualRatesFromTheTableOthersInHundredths) {
  struct Case {
    int32_t rate100, scale, duration;
  };
  for (const Case& c : {Case{2500, 25, 1}, Case{3000, 600, 20}, Case{2997, 2997, 100}, Case{2400, 2400, 100},
                        Case{2397, 23976, 1000}, Case{2398, 23976, 1000}, Case{6000, 600, 10},
                        Case{5994, 5994, 100}, Case{1500, 1500, 100}}) {
    int32_t scale = 0, duration = 0;
    ASSERT_TRUE(RPTimingForRate(c.rate100, &scale, &duration)) << c.rate100;
    EXPECT_EQ(scale, c.scale) << c.rate100;
    EXPECT_EQ(duration, c.duration) << c.rate100;
  }
  int32_t scale = 0, duration = 0;
  EXPECT_FALSE(RPTimingForRate(0, &scale, &duration));
}

TEST(RapidPreviewTiming, TheMovieBoxIsCentredAndNeverEnlarged) {
  EXPECT_EQ(RPFitBox(100, 50, TKMakeRect(0, 0, 400, 300)).left, 150);
  EXPECT_EQ(TKRectWidth(RPFitBox(100, 50, TKMakeRect(0, 0, 400, 300))), 100);
  const TKRect shrunk = RPFitBox(800, 400, TKMakeRect(10, 10, 400, 300));
  EXPECT_EQ(TKRectWidth(shrunk), 400);
  EXPECT_EQ(TKRectHeight(shrunk), 200);
  EXPECT_EQ(shrunk.top, 60);
}

TEST_F(RapidPreviewTest, EveryFrameFromTheStartGoesIntoTheMovieOnceInOrderWithTheClipsTimecode) {
  const int ticks = renderFrom(2, false);
  EXPECT_EQ(ticks, kFrames - 2) << "one frame a tick, and one tick to finish";
  EXPECT_TRUE(gPreviewPlaying);
  ASSERT_EQ(RPFrameCount(), kFrames - 2);

  QVMovie* movie = nullptr;
  ASSERT_EQ(QVMovieOpen(RPMoviePath().c_str(), &movie), kQVMovieOpened);
  const QVMovieInfo* info = QVMovieGetInfo(movie);
  EXPECT_EQ(info->sampleCount, kFrames - 2);
  ASSERT_GT(info->firstSampleDuration, 0);
  EXPECT_EQ(double(info->mediaTimeScale) / double(info->firstSampleDuration), 24.0);
  EXPECT_TRUE(info->hasTimecodeTrack);
  EXPECT_EQ(info->timecodeStart, 2);
  std::vector<uint8_t> pixels(size_t(kW) * kH * 4);
  for (int64_t n = 0; n < kFrames - 2; ++n) {
    ASSERT_TRUE(QVMovieDecodeFrame(movie, n, pixels.data(), kW * 4, kW, kH));
    const uint8_t* centre = pixels.data() + (size_t(kH / 2) * kW + kW / 2) * 4;
    EXPECT_NEAR(centre[1], greyOf(n + 2), 6) << "frame " << n;
  }
  QVMovieClose(movie);

  if (HaveTool("ffprobe")) {
    const std::string timecode = RunCapture("ffprobe -v error -show_entries stream_tags=timecode -of csv=p=0 '" +
                                            RPMoviePath() + "' 2>&1");
    EXPECT_NE(timecode.find("00:00:00:02"), std::string::npos) << timecode;
  }
}

// The host's drop word is 1 for drop-frame counting; the movie's timecode
// counts drop-frame only at the 1000/1001 rates, never at whole rates.
TEST_F(RapidPreviewTest, TheMoviesTimecodeCountsDropFrameOnlyWhenTheHostDoesAtA1001Rate) {
  struct Case {
    int32_t rate100, drop;
    bool movieDrop;
  };
  static Case current;
  ViewsHooksInForce().hostTimecodeFormat = [](int32_t* rate100, int32_t* mode, int32_t* drop, int32_t* field,
                                              int32_t* perFoot) {
    *rate100 = current.rate100, *mode = 1, *drop = current.drop, *field = 0, *perFoot = 16;
  };
  for (const Case& c : {Case{2997, 1, true}, Case{2997, 0, false}, Case{3000, 1, false}, Case{5994, 1, true}}) {
    current = c;
    renderFrom(2, false);
    QVMovie* movie = nullptr;
    ASSERT_EQ(QVMovieOpen(RPMoviePath().c_str(), &movie), kQVMovieOpened) << c.rate100;
    const QVMovieInfo* info = QVMovieGetInfo(movie);
    EXPECT_TRUE(info->hasTimecodeTrack) << c.rate100;
    EXPECT_EQ(info->timecodeDrop, c.movieDrop) << c.rate100 << " drop " << c.drop;
    EXPECT_EQ(info->timecodeStart, 2) << c.rate100;
    QVMovieClose(movie);
    if (HaveTool("ffprobe")) {
      const std::string timecode = RunCapture("ffprobe -v error -show_entries stream_tags=timecode -of csv=p=0 '" +
                                              RPMoviePath() + "' 2>&1");
      EXPECT_NE(timecode.find(c.movieDrop ? "00:00:00;02" : "00:00:00:02"), std::string::npos)
          << c.rate100 << " drop " << c.drop << ": " << timecode;
    }
    RapidPreviewStop(bar);
  }
}

TEST_F(RapidPreviewTest, TheMoviePlaysEachFrameOnceAtTheClipsRateAndLoops) {
  renderFrom(0, false);
  ASSERT_TRUE(RPMoviePlaying());
  const double start = RPShownFrames().empty() ? 0 : RPShownFrames()[0].time;
  // The application's timer: 15 ms a tick, the movie every second one.
  for (int i = 0; i < 40; ++i) {
    TKAdvanceClock(0.015);
    RapidPreviewTick();
  }
  const std::vector<RPShownFrame>& shown = RPShownFrames();
  ASSERT_GE(shown.size(), size_t(kFrames + 1));
  for (size_t i = 0; i < size_t(kFrames + 1); ++i) {
    EXPECT_EQ(shown[i].frame, int64_t(i % kFrames)) << i;
    const double due = double(i) / 24.0;
    EXPECT_GE(shown[i].time - start, due - 1e-9) << i;
    EXPECT_LT(shown[i].time - start, due + 0.031) << "shown within one movie slice of its time";
  }
  // The pane shows the movie's frame, labelled.
  EXPECT_STREQ(ImagePaneRecordOf(GetViewPane(kPaneResult))->labels[3], "Preview");
}

TEST_F(RapidPreviewTest, PlayDuringTheRenderPlaysWhatIsRenderedAndStopGivesThePaneBack) {
  EXPECT_EQ(kQVNoErr, ViewsHooksInForce().hostLoadFrameAt(0));
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  TKImage* before = ImagePaneGetImage(GetViewPane(kPaneResult));
  ASSERT_EQ(StartRapidPreview(bar, false), kQVNoErr);
  RapidPreviewTick();
  RapidPreviewTick();
  FinishRapidPreview(bar);
  EXPECT_FALSE(gRapidPreviewRendering);
  EXPECT_EQ(RPFrameCount(), 3);
  EXPECT_TRUE(RPMoviePlaying());
  RapidPreviewStop(bar);
  EXPECT_FALSE(RPMovieExists());
  EXPECT_FALSE(gPreviewPlaying);
  EXPECT_EQ(ImagePaneGetImage(GetViewPane(kPaneResult)), before);
  EXPECT_EQ(gClip.current, 0) << "the clip is back where the preview began";
}

TEST_F(RapidPreviewTest, FullScreenCoversTheMainDisplayAndEscapeEndsIt) {
  renderFrom(3, true);
  TKWindow* full = RapidPreviewFullScreenWindow();
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(TKGetWindowKind(full), kTKWindowFullScreen);
  TKInjectKey(kTKKeyEscape);
  TKRunPending();
  EXPECT_EQ(RapidPreviewFullScreenWindow(), nullptr);
  EXPECT_FALSE(RPMovieExists());
}

// The bar's readout follows the frame: the clip's frame while the render
// loads it, then the movie's timecode (counting from the clip's frame where
// the render began) as it plays and as the bar steps the movie, not the clip.
TEST_F(RapidPreviewTest, TheReadoutShowsTheMoviesTimecodeWhileItRendersPlaysAndSteps) {
  TKControl* pane = GetViewPane(kPaneResult);
  ImagePaneSetRole(pane, 1);  // a main image pane: it shows the exchange's clip
  ImagePaneSetLinkedControl(pane, bar);
  ASSERT_EQ(ViewsHooksInForce().hostLoadFrameAt(2 * kStep), kQVNoErr);
  ASSERT_EQ(StartRapidPreview(bar, false), kQVNoErr);
  RapidPreviewTick();
  EXPECT_STREQ(TransportGetTimecodeText(bar), "00:00:00:03") << "the frame the render loaded";
  while (gRapidPreviewRendering) RapidPreviewTick();
  ASSERT_TRUE(RPMoviePlaying());
  EXPECT_STREQ(TransportGetTimecodeText(bar), "00:00:00:02") << "the movie's first frame";

  // Playing: the movie reaches its third frame after two frame times.
  for (int i = 0; i < 8; ++i) {
    TKAdvanceClock(0.0105);
    RapidPreviewTick();
  }
  ASSERT_EQ(RPGetMovieTime(), 2);
  EXPECT_STREQ(TransportGetTimecodeText(bar), "00:00:00:04");

  // Stepping moves the movie, held to its ends; the clip stays where the render left it.
  const int32_t clipTime = gClip.current;
  struct Step {
    void (*action)(TKControl*);
    int32_t frames;  // with no action: TransportStep by this many
    QVStatus result;
    const char* readout;
  };
  const Step steps[] = {{TransportStepForward, 0, kQVNoErr, "00:00:00:05"},
                        {nullptr, 1, kTransportStepClamped, "00:00:00:05"},
                        {TransportGoToBeginning, 0, kQVNoErr, "00:00:00:02"},
                        {nullptr, -1, kTransportStepClamped, "00:00:00:02"},
                        {nullptr, 2, kQVNoErr, "00:00:00:04"},
                        {TransportStepBackward, 0, kQVNoErr, "00:00:00:03"},
                        {TransportGoToEnd, 0, kQVNoErr, "00:00:00:05"}};
  for (const Step& s : steps) {
    if (s.action)
      s.action(bar);
    else
      EXPECT_EQ(TransportStep(bar, s.frames), s.result) << s.readout;
    EXPECT_STREQ(TransportGetTimecodeText(bar), s.readout);
    char text[64];
    GetPaneTimecodeText(pane, text, sizeof text);
    EXPECT_STREQ(text, s.readout);
  }
  EXPECT_EQ(gClip.current, clipTime);

  // A step holds the movie; space plays and pauses it. Stopping shows the
  // clip's position again.
  EXPECT_FALSE(RPMoviePlaying());
  TransportTogglePlay(bar);
  EXPECT_TRUE(RPMoviePlaying());
  TransportTogglePlay(bar);
  EXPECT_FALSE(RPMoviePlaying());
  RapidPreviewStop(bar);
  EXPECT_STREQ(TransportGetTimecodeText(bar), "00:00:00:02");
}

TEST_F(RapidPreviewTest, TheFullScreenKeysStepAndPlayTheMovie) {
  renderFrom(3, true);
  ASSERT_NE(RapidPreviewFullScreenWindow(), nullptr);
  const int64_t start = RPCurrentTimecodeFrame();
  EXPECT_EQ(start, 3);
  struct Key {
    uint32_t charCode, modifiers;
    int64_t movieFrame;
  };
  const Key keys[] = {{kTKKeyRight, 0, 1}, {kTKKeyRight, kTKModShift, 1}, {4, 0, 2},
                      {kTKKeyLeft, 0, 1},  {1, 0, 0}};
  for (const Key& k : keys) {
    TKInjectKey(k.charCode, k.modifiers);
    TKRunPending();
    EXPECT_EQ(RPGetMovieTime(), k.movieFrame) << k.charCode << " " << k.modifiers;
    EXPECT_EQ(RPCurrentTimecodeFrame(), start + k.movieFrame);
  }
  EXPECT_FALSE(RPMoviePlaying()) << "a step holds the movie";
  TKInjectKey(' ');
  TKRunPending();
  EXPECT_TRUE(RPMoviePlaying());
}

TEST_F(RapidPreviewTest, ACacheFolderThatCannotTakeTheMovieIsSaidAndNothingStarts) {
  const std::string bad = "/nonexistent/cache";
  gPrefsSettings.rapidPreviewCacheAlias.assign(bad.begin(), bad.end());
  setenv("VELMORA_TEMP", "/proc/no-such-place", 1);
  PLAlertScriptBegin();
  EXPECT_EQ(StartRapidPreview(bar, false), kRPErrNoMovie);
  const auto alerts = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  unsetenv("VELMORA_TEMP");
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].message, "Unable to create Vurev Aviredu movie.");
  EXPECT_FALSE(gRapidPreviewRendering);
  EXPECT_FALSE(RPMovieExists());
}

}  // namespace
