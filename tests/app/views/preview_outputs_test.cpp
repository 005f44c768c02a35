// The preview outputs: the picture fitted to the video output by every
// scaling and aspect word, the in-memory device receiving each redraw, the
// secondary monitor on a second display through its LUT, and the calls the
// external-preview library receives, in order.
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include "app/views/preview_outputs.h"
#include "platform/external_preview.h"
#include "platform/video_output.h"
#include "settings/prefs.h"
#include "tests/app/views/pane_fixture.h"

namespace {

constexpr uint32_t kMemory = kPLVideoMemoryDevice;

// Rectangles compared and printed as (top, left, bottom, right).
std::string text(const TKRect& r) {
  return "(" + std::to_string(r.top) + ", " + std::to_string(r.left) + ", " + std::to_string(r.bottom) + ", " +
         std::to_string(r.right) + ")";
}

// Where non-black pixels lie in a packed 32-bit frame; empty when none do.
TKRect litArea(const std::vector<uint8_t>& frame, int32_t width, int32_t height) {
  int32_t left = width, top = height, right = 0, bottom = 0;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = frame.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
      if (p[0] | p[1] | p[2]) {
        left = std::min(left, x), right = std::max(right, x + 1);
        top = std::min(top, y), bottom = std::max(bottom, y + 1);
      }
    }
  return left < right ? TKRect{top, left, bottom, right} : TKRect{};
}

// A picture of one bright colour (every pixel lit, so the lit area is
// where the picture landed).
TKImage* solidPicture(int32_t width, int32_t height) {
  TKImage* p = TKImageCreate(width, height);
  const TKColor colour{0.8, 0.6, 0.4, 1};
  EraseGWorldRect(p, nullptr, &colour);
  return p;
}

void identityLUT(uint8_t* lut) {
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i) lut[c * 256 + i] = uint8_t(i);
}

// Halves every value (black stays black).
void halvingLUT(uint8_t* lut) {
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i) lut[c * 256 + i] = uint8_t(i / 2);
}

class PreviewOutputTest : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    saved = gPrefsSettings;
    PLMemoryVideoReset();
    gPrefsSettings.externalPreviewDevice = kMemory;
    gPrefsSettings.externalPreviewMode = 0;
    gPrefsSettings.previewImageScaling = 1;
    gPrefsSettings.previewAspectConversion = 1;
    identityLUT(gPrefsSettings.lut[kPFLUTExternal]);
  }
  void TearDown() override {
    StopVideoOutput(kMemory);
    CloseSecondaryPreviewWindow();
    PLMemoryVideoReset();
    gPrefsSettings = saved;
    PaneTest::TearDown();
  }
  // The result picture replaced by one of this size and colour.
  void useResult(TKImage* picture) {
    TKImageDispose(gResultGWorld);
    gResultGWorld = picture;
  }
  PrefsSettings saved;
};

TEST(VideoOutputPlacement, HeightsAFewLinesApartAreTrimmedNeverPastThePicture) {
  struct Case {
    const char* what;
    int32_t sw, sh, tw, th;
    TKRect source, area, destination;
  };
  const Case cases[] = {
      // 486 lines to 480: 2 off the top, 4 off the bottom, no scaling.
      {"486 into 480", 720, 486, 720, 480, {2, 0, 482, 720}, {0, 0, 480, 720}, {0, 0, 480, 720}},
      {"480 into 486", 720, 480, 720, 486, {0, 0, 480, 720}, {2, 0, 482, 720}, {2, 0, 482, 720}},
      // One line apart: the line comes off the top; the bottom stays inside.
      {"one line", 720, 481, 720, 480, {1, 0, 481, 720}, {0, 0, 480, 720}, {0, 0, 480, 720}},
      {"two lines", 720, 482, 720, 480, {2, 0, 482, 720}, {0, 0, 480, 720}, {0, 0, 480, 720}},
      {"seven lines: no trim", 720, 487, 720, 480, {0, 0, 487, 720}, {0, 0, 480, 720}, {-3, 0, 484, 720}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const VideoOutputPlacement p = ComputeVideoOutputPlacement(c.sw, c.sh, c.tw, c.th, true, false, 1, 1);
    EXPECT_EQ(text(p.source), text(c.source));
    EXPECT_EQ(text(p.targetArea), text(c.area));
    EXPECT_EQ(text(p.destination), text(c.destination));
    EXPECT_TRUE(p.translateOnly);
    EXPECT_LE(p.source.bottom, c.sh);
    EXPECT_GE(p.source.top, 0);
  }
}

TEST_F(PreviewOutputTest, EveryScalingAndAspectWordPlacesTheTestPatternOnTheDevice) {
  struct Case {
    int32_t scaling, aspect;
    int32_t sw, sh;
    TKRect lit;
  };
  // Into 720 x 486.
  const Case cases[] = {
      {1, 1, 320, 240, {123, 200, 363, 520}},  // none: centred at its own size
      {2, 1, 320, 240, {0, 0, 486, 720}},      // stretch
      {3, 1, 320, 240, {0, 36, 486, 684}},     // fit: 2.025 both ways
      {4, 1, 320, 240, {3, 0, 483, 720}},      // fit with the output's 1.125 pixel aspect
      {5, 1, 320, 240, {123, 180, 363, 540}},  // pixel aspect only
      {1, 2, 320, 240, {123, 146, 363, 573}},  // widened by 4/3
      {1, 3, 320, 240, {153, 200, 333, 520}},  // letterbox: 3/4 of the height
      {1, 4, 320, 240, {140, 177, 346, 543}},  // 8/7 across, 6/7 down
      {1, 5, 320, 240, {123, 240, 363, 480}},  // pillarbox at its own size
      {2, 5, 320, 240, {0, 90, 486, 630}},     // pillarbox: the whole picture in the centre three quarters
      {4, 1, 640, 480, {2, 0, 482, 720}},      // 480 lines trimmed to meet 486, widened by 1.125
  };
  StartVideoOutput(kMemory);
  ASSERT_TRUE(VideoOutputIsOpen());
  for (const Case& c : cases) {
    SCOPED_TRACE("scaling " + std::to_string(c.scaling) + " aspect " + std::to_string(c.aspect) + " from " +
                 std::to_string(c.sw) + "x" + std::to_string(c.sh));
    gPrefsSettings.previewImageScaling = c.scaling;
    gPrefsSettings.previewAspectConversion = c.aspect;
    useResult(solidPicture(c.sw, c.sh));
    const size_t before = PLMemoryVideoRecorded().frames.size();
    UpdateVideoOutputFrame(kMemory);
    const PLMemoryVideoRecord& r = PLMemoryVideoRecorded();
    ASSERT_EQ(r.frames.size(), before + 1);
    EXPECT_EQ(text(litArea(r.frames.back(), 720, 486)), text(c.lit));
  }
}

TEST_F(PreviewOutputTest, AFrameOfTheOutputsSizeGoesStraightOutOthersThroughTheExternalLUT) {
  halvingLUT(gPrefsSettings.lut[kPFLUTExternal]);
  StartVideoOutput(kMemory);
  // The output's own size, no conversion: byte for byte, no LUT.
  TKImage* pattern = TKImageCreate(720, 486);
  uint8_t* px = TKImagePixels(pattern);
  for (int32_t y = 0; y < 486; ++y)
    for (int32_t x = 0; x < 720; ++x) {
      uint8_t* p = px + size_t(y) * size_t(TKImageRowBytes(pattern)) + size_t(x) * 4;
      p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x ^ y), p[3] = 255;
    }
  TKImageMarkDirty(pattern);
  useResult(pattern);
  UpdateVideoOutputFrame(kMemory);
  ASSERT_EQ(PLMemoryVideoRecorded().frames.size(), 1u);
  const std::vector<uint8_t>& straight = PLMemoryVideoRecorded().frames[0];
  for (int32_t y : {0, 100, 485})
    EXPECT_EQ(std::memcmp(straight.data() + size_t(y) * 720 * 4,
                          TKImagePixels(pattern) + size_t(y) * size_t(TKImageRowBytes(pattern)), 720 * 4),
              0);
  // Any conversion applies the LUT.
  gPrefsSettings.previewImageScaling = 2;
  UpdateVideoOutputFrame(kMemory);
  ASSERT_EQ(PLMemoryVideoRecorded().frames.size(), 2u);
  const uint8_t* p = PLMemoryVideoRecorded().frames[1].data() + (size_t(100) * 720 + 200) * 4;
  EXPECT_EQ(p[0], uint8_t(200) / 2);
  EXPECT_EQ(p[1], uint8_t(100) / 2);
  EXPECT_EQ(p[2], uint8_t(200 ^ 100) / 2);
}

TEST_F(PreviewOutputTest, TheDeviceReceivesEveryRedrawAndTheReferenceViewShowsTheReference) {
  ViewsHooksInForce().updateVideoOutputFrame = UpdateVideoOutputFrame;
  PLMemoryVideoConfigure(kW, kH, 0);
  StartVideoOutput(kMemory);
  for (int i = 0; i < 3; ++i) RedrawImagePanes(true);
  EXPECT_EQ(PLMemoryVideoRecorded().frames.size(), 3u);
  SetImageViewMode(kImageViewReference);
  const std::vector<uint8_t>& shown = PLMemoryVideoRecorded().frames.back();
  EXPECT_EQ(shown[1], 255) << "green: the reference picture";
  EXPECT_EQ(shown[2], 0);
}

TEST_F(PreviewOutputTest, AFailingBeginIsTriedOnceMoreAndABadModeLeavesNoOutput) {
  PLMemoryVideoConfigure(0, 0, 1);
  StartVideoOutput(kMemory);
  EXPECT_TRUE(VideoOutputIsOpen());
  EXPECT_EQ(PLMemoryVideoRecorded().begins, 2);
  StopVideoOutput(kMemory);
  EXPECT_EQ(PLMemoryVideoRecorded().closes, 1);

  PLMemoryVideoReset();
  PLMemoryVideoConfigure(0, 0, 2);
  StartVideoOutput(kMemory);
  EXPECT_FALSE(VideoOutputIsOpen());
  EXPECT_EQ(PLMemoryVideoRecorded().closes, 1) << "closed after the second failure";

  PLMemoryVideoReset();
  gPrefsSettings.externalPreviewMode = QVFourCC("what");
  StartVideoOutput(kMemory);
  EXPECT_FALSE(VideoOutputIsOpen());
  EXPECT_EQ(PLMemoryVideoRecorded().begins, 0);
  EXPECT_EQ(PLMemoryVideoRecorded().closes, 1);

  // Display modes choose the size; 'NoNE', 'GlOW' and unknown devices open nothing.
  gPrefsSettings.externalPreviewMode = QVFourCC("pal ");
  StartVideoOutput(kMemory);
  int32_t w = 0, h = 0;
  VideoOutputSize(&w, &h);
  EXPECT_EQ(w, 720);
  EXPECT_EQ(h, 576);
  StopVideoOutput(kMemory);
  for (uint32_t device : {kPreviewDeviceNone, kPreviewDeviceExternal, QVFourCC("gone")}) {
    StartVideoOutput(device);
    EXPECT_FALSE(VideoOutputIsOpen());
  }
}

TEST_F(PreviewOutputTest, StoppingGivesTheHostItsPreviewBackWhenItWasTaken) {
  static int toggles = 0;
  toggles = 0;
  ViewsHooksInForce().toggleHostVideoPreview = [] { ++toggles; };
  StartVideoOutput(kMemory);
  StopVideoOutput(kMemory);
  EXPECT_EQ(toggles, 0);
  StartVideoOutput(kMemory);
  VideoOutputNoteHostPreviewToggled();
  StopVideoOutput(kMemory);
  EXPECT_EQ(toggles, 1);
}

TEST_F(PreviewOutputTest, TheSecondaryMonitorShowsTheResultThroughTheSecondaryLUTOnTheSecondDisplay) {
  const TKRect second = TKMakeRect(1600, 0, 1280, 800);
  TKSetHeadlessDisplays({TKMakeRect(0, 0, 1600, 1000), second});
  // The main display and a display that is not there open nothing.
  for (int32_t display : {1, 3, 0}) {
    OpenSecondaryPreviewWindow(display);
    EXPECT_EQ(SecondaryPreviewWindow(), nullptr) << display;
    EXPECT_EQ(gSecondaryGWorld, nullptr);
  }
  // A result of one colour, and a secondary LUT that halves it.
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) SetPlanes(gResultFrame, x, y, 0.8f, 0.4f, 0.2f, 0.5f);
  halvingLUT(gPrefsSettings.lut[kPFLUTSecondary]);
  gPrefsSettings.lutIndex[kPFLUTSecondary] = 1;
  OpenSecondaryPreviewWindow(2);
  ASSERT_NE(SecondaryPreviewWindow(), nullptr);
  EXPECT_EQ(text(TKGetWindowBounds(SecondaryPreviewWindow())), text(second));
  EXPECT_EQ(TKGetWindowKind(SecondaryPreviewWindow()), kTKWindowBorderless);
  ASSERT_NE(gSecondaryGWorld, nullptr);
  UpdateSecondaryPreview(true);
  int r, g, b;
  RGB8(gSecondaryGWorld, kW / 2, kH / 2, &r, &g, &b);
  EXPECT_EQ(r, 204);
  EXPECT_EQ(g, 102);
  EXPECT_EQ(b, 51);
  TKImage* shown = TKRenderWindow(SecondaryPreviewWindow());
  RGB8(shown, 640, 400, &r, &g, &b);
  EXPECT_EQ(r, 102);
  EXPECT_EQ(g, 51);
  EXPECT_EQ(b, 25);

  // In the Reference view it shows the reference picture.
  gImageViewMode = kImageViewReference;
  UpdateSecondaryPreview(true);
  RGB8(gSecondaryGWorld, 3, 3, &r, &g, &b);
  EXPECT_EQ(g, 255);
  EXPECT_EQ(r, 0);
  CloseSecondaryPreviewWindow();
  EXPECT_EQ(SecondaryPreviewWindow(), nullptr);
  EXPECT_EQ(gSecondaryGWorld, nullptr);
}

// The recording library's log and set-up, reached through its own handle.
struct Recorder {
  void* handle = dlopen(VELMORA_GLOWCAST_RECORDER, RTLD_NOW | RTLD_LOCAL);
  std::string log() const {
    auto f = reinterpret_cast<const char* (*)()>(dlsym(handle, "GlowcastRecorderLog"));
    return f ? f() : "";
  }
  void setUp(int16_t w, int16_t h, bool givesBounds, int32_t word1) const {
    auto f = reinterpret_cast<void (*)(int16_t, int16_t, int32_t, int32_t, int32_t)>(
        dlsym(handle, "GlowcastRecorderSetUp"));
    if (f) f(w, h, givesBounds ? 1 : 0, word1, 0);
  }
  ~Recorder() {
    if (handle) dlclose(handle);
  }
};

class ExternalPreviewTest : public PreviewOutputTest {
 protected:
  void SetUp() override {
    PreviewOutputTest::SetUp();
    setenv(kVUZerELibraryVariable, VELMORA_GLOWCAST_RECORDER, 1);
    VUZerEUnload();
  }
  void TearDown() override {
    ExternalPreviewQuit();
    VUZerEUnload();
    unsetenv(kVUZerELibraryVariable);
    PreviewOutputTest::TearDown();
  }
};

TEST_F(ExternalPreviewTest, TheLibraryReceivesTheCallsInOrderOverTwoSessions) {
  Recorder recorder;
  ASSERT_NE(recorder.handle, nullptr) << dlerror();
  recorder.setUp(32, 24, true, 0);
  ASSERT_TRUE(ExternalPreviewAvailable());
  OpenExternalPreview();   // start of a session: a new connection and the frame
  OutputExternalPreviewFrame();  // a redraw
  CloseExternalPreview();  // end of the session: word 1 is 0, so the output goes off
  OpenExternalPreview();   // the next session: the output back on over the kept connection
  ExternalPreviewQuit();
  const std::string frame =
      "GetPreviewBounds\nDoImageScaling 64x48 to 32x24 1 0\nDisplayTestInstruments 64x48\nDisplayOverlays\n"
      "OutputGWorld\nSetLastOutput 10\n";
  EXPECT_EQ(recorder.log(), "IsGlowcastAvailable\nGetAccessCount\nOpenGlowcastConnection 10 Velmora velmorap 0\n" +
                                frame + frame + "OutputOff\nOutputOn\n" + frame +
                                "CloseGlowcastConnection 77 10 velmorap\n");
  EXPECT_FALSE(ExternalPreviewConnected());
}

TEST_F(ExternalPreviewTest, AConnectionWithWordOneSetIsClosedAtTheEndAndOpenedAnew) {
  Recorder recorder;
  recorder.setUp(32, 24, true, 1);
  OpenExternalPreview();
  CloseExternalPreview();
  EXPECT_FALSE(ExternalPreviewConnected());
  OpenExternalPreview();
  EXPECT_TRUE(ExternalPreviewConnected());
  const std::string log = recorder.log();
  EXPECT_NE(log.find("CloseGlowcastConnection 77 10 velmorap\nOpenGlowcastConnection"), std::string::npos) << log;
  EXPECT_EQ(log.find("OutputOn"), std::string::npos);
}

TEST_F(ExternalPreviewTest, NoBoundsOrEmptyBoundsSendNoFrame) {
  Recorder recorder;
  for (bool gives : {false, true}) {
    recorder.setUp(0, 24, gives, 0);
    OpenExternalPreview();
    EXPECT_EQ(recorder.log(), "OpenGlowcastConnection 10 Velmora velmorap 0\nGetPreviewBounds\n") << gives;
    ExternalPreviewQuit();
  }
}

TEST_F(ExternalPreviewTest, WithoutTheLibraryNothingFails) {
  setenv(kVUZerELibraryVariable, "/nonexistent/Glowcast X Library", 1);
  VUZerEUnload();
  EXPECT_FALSE(ExternalPreviewAvailable());
  OpenExternalPreview();
  EXPECT_FALSE(ExternalPreviewConnected());
  OutputExternalPreviewFrame();
  CloseExternalPreview();
  ExternalPreviewQuit();
  EXPECT_EQ(VUZerE_GetAccessCount(), 0);
  EXPECT_EQ(VUZerE_OutputOn(), -1);
  VUZerERect r{1, 2, 3, 4};
  VUZerE_GetPreviewBounds(nullptr, &r);
  EXPECT_EQ(r.right, 4) << "nothing written";
}

}  // namespace
