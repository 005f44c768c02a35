// Transport bars over the exchange's clip (hooks standing in for the block)
// and over a media clip (a DPX sequence): stepping held to the clip, the
// timecode readout, the playing list and the surface's transport state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/views/transport_bar.h"
#include "media/media_file.h"
#include "pane_fixture.h"
#include "tests/media/media_test_files.h"
#include "tests/scratch_folder.h"

namespace {

// The exchange's clip: times in units of `step`.
int32_t gHostTime = 0, gHostStep = 10, gHostLast = 90;
std::vector<int16_t> gSurfaceStates;

class Transport : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    gHostTime = 0;
    gHostStep = 10;
    gHostLast = 90;
    gSurfaceStates.clear();
    ViewsHooks& h = ViewsHooksInForce();
    h.hostFrameTimes = [](int32_t* c, int32_t* s, int32_t* l) {
      *c = gHostTime, *s = gHostStep, *l = gHostLast;
      return true;
    };
    h.hostLoadFrameAt = [](int32_t t) {
      gHostTime = t;
      return QVStatus(kQVNoErr);
    };
    h.hostTimecodeFormat = [](int32_t* rate, int32_t* mode, int32_t* drop, int32_t* field, int32_t* foot) {
      *rate = 2500, *mode = 1, *drop = 0, *field = 0, *foot = 0;
    };
    h.surfaceTransportState = [](int16_t s) { gSurfaceStates.push_back(s); };
    pane = GetViewPane(kPaneResult);
    ImagePaneSetRole(pane, 1);
    ASSERT_EQ(CreateTransportBar(window, TKMakeRect(0, 280, 400, 20), 1, kTransportAllParts, &bar), kQVNoErr);
    TransportSetPane(bar, pane);
    ImagePaneSetLinkedControl(pane, bar);
  }
  void TearDown() override {
    TransportPauseAll();
    if (ref) QVMediaCloseFile(&ref);
    PaneTest::TearDown();
  }
  TKControl* pane = nullptr;
  TKControl* bar = nullptr;
  QVMediaFileRef* ref = nullptr;
};

TEST_F(Transport, StepsTheExchangesClipHeldToItsEnds) {
  struct Case {
    int32_t frames;
    int32_t time;
    QVStatus result;
  } cases[] = {{0, 0, kQVNoErr},   {-1, 0, kTransportStepClamped}, {3, 30, kQVNoErr},
               {100, 90, kTransportStepClamped}, {1, 90, kTransportStepClamped}, {-4, 50, kQVNoErr}};
  for (const Case& c : cases) {
    EXPECT_EQ(TransportStep(bar, c.frames), c.result) << c.frames;
    EXPECT_EQ(gHostTime, c.time) << c.frames;
  }
  EXPECT_STREQ(TransportGetTimecodeText(bar), "00:00:00:05");
  char text[64];
  GetPaneTimecodeText(pane, text, sizeof text);
  EXPECT_STREQ(text, "00:00:00:05");
}

TEST_F(Transport, TheReadoutFollowsTheExchangesClipAsItPlays) {
  TransportPlay(bar);
  ASSERT_TRUE(TransportIsPlaying(bar));
  for (int32_t frame = 1; frame <= 3; ++frame) {
    gHostTime = frame * gHostStep;  // the exchange timer steps the clip
    TransportMediaPlaybackTick();
    EXPECT_EQ(std::string(TransportGetTimecodeText(bar)), "00:00:00:0" + std::to_string(frame));
  }
}

TEST_F(Transport, AClipWhoseFramesHaveNoDurationNeverDivides) {
  gHostStep = 0;
  gHostTime = 40;
  TransportSyncPosition(pane);
  EXPECT_STREQ(TransportGetTimecodeText(bar), "00:00:00:00");
  EXPECT_EQ(TransportStep(bar, 5), kQVNoErr);
}

TEST_F(Transport, AReadoutWithoutASourceKeepsItsText) {
  ImagePaneSetRole(pane, 0);
  TransportSyncPosition(pane);
  EXPECT_STREQ(TransportGetTimecodeText(bar), "00:00:00;00");
  char text[16] = "x";
  GetPaneTimecodeText(pane, text, sizeof text);
  EXPECT_STREQ(text, "");
}

TEST_F(Transport, StepsAMediaClipAndReadsItsTimecode) {
  QVMediaInitialize();
  const std::string folder = MakeScratchFolder("transport");
  // Frames 1 to 3 of a 24 fps sequence whose first frame is 10:00:00:00.
  for (int i = 1; i <= 3; ++i)
    WriteTestDPX(folder, "clip." + std::to_string(i) + ".dpx", 8, 4, 24, 0x10000000u + uint32_t(i - 1));
  ASSERT_EQ(QVMediaOpenPath((folder + "/clip.1.dpx").c_str(), &ref, 0), QVMediaErr_NoErr);
  ImagePaneSetClipRef(pane, ref);
  EXPECT_EQ(TransportStep(bar, 1), kQVNoErr);
  EXPECT_STREQ(TransportGetTimecodeText(bar), "10:00:00:01");
  EXPECT_EQ(TransportStep(bar, 5), kTransportStepClamped);
  int64_t frame = -1;
  QVMediaGetCurrentFrame(ref, &frame);
  EXPECT_EQ(frame, 2);
  EXPECT_STREQ(TransportGetTimecodeText(bar), "10:00:00:02");
  TransportGoToBeginning(bar);
  EXPECT_STREQ(TransportGetTimecodeText(bar), "10:00:00:00");
  EXPECT_EQ(gHostTime, 0) << "the exchange's clip did not move";

  // Playing a media clip steps it at its rate until its end, then pauses.
  TransportPlay(bar);
  EXPECT_EQ(TransportHostPlayingCount(), 0);
  for (int i = 0; i < 10; ++i) {
    TKAdvanceClock(1.0 / 24 + 0.001);
    TransportMediaPlaybackTick();
  }
  QVMediaGetCurrentFrame(ref, &frame);
  EXPECT_EQ(frame, 2);
  EXPECT_FALSE(TransportIsPlaying(bar));
}

TEST_F(Transport, PlaysAtMostTenBarsAndStopAllStopsEveryOne) {
  std::vector<TKControl*> bars;
  for (int i = 0; i < 11; ++i) {
    TKControl* b = nullptr;
    ASSERT_EQ(CreateTransportBar(window, TKMakeRect(0, 0, 400, 20), 10 + i, kTransportAllParts, &b), kQVNoErr);
    TKControl* p = nullptr;
    ASSERT_EQ(CreateImagePane(window, TKMakeRect(0, 0, 40, 30), &p), kQVNoErr);
    TransportSetPane(b, p);
    bars.push_back(b);
  }
  for (TKControl* b : bars) TransportPlay(b);
  EXPECT_EQ(TransportPlayingCount(), 10);
  EXPECT_FALSE(TransportIsPlaying(bars[10])) << "the eleventh is not marked playing";
  EXPECT_EQ(gSurfaceStates.back(), 3);
  TransportPause(bars[4]);
  EXPECT_EQ(gSurfaceStates.back(), 2);
  TransportPlay(bars[10]);
  EXPECT_TRUE(TransportIsPlaying(bars[10])) << "a freed slot takes the next bar";
  StopAllPreviewPlayback();
  EXPECT_EQ(TransportPlayingCount(), 0);
  for (TKControl* b : bars) EXPECT_FALSE(TransportIsPlaying(b));
  EXPECT_EQ(gSurfaceStates.back(), 2);
}

TEST_F(Transport, TheExchangesClipPlaysInOneBarAtATime) {
  TKControl* other = nullptr;
  ASSERT_EQ(CreateTransportBar(window, TKMakeRect(0, 0, 400, 20), 2, kTransportAllParts, &other), kQVNoErr);
  TransportSetPane(other, GetViewPane(kPaneSource));
  TransportTogglePlay(bar);
  EXPECT_TRUE(TransportIsPlaying(bar));
  EXPECT_EQ(TransportHostPlayingCount(), 1);
  TransportTogglePlay(other);
  EXPECT_FALSE(TransportIsPlaying(other));
  EXPECT_EQ(gSurfaceStates.back(), 2);
  TransportTogglePlay(bar);
  EXPECT_FALSE(TransportIsPlaying(bar));
}

}  // namespace
