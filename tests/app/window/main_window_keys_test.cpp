// Keys of the main window beyond the transport: Escape is taken only while
// the preview movie plays or a rapid preview renders, and releasing Caps
// Lock brings the picture up to the edits made while it was down.
#include "app/views/transport_bar.h"
#include "main_window_fixture.h"

namespace {

QVStatus SendKey(uint32_t charCode, uint32_t modifiers) {
  TKEvent e;
  e.kind = kTKEventKeyDown;
  e.window = UIMainWindow();
  e.charCode = charCode;
  e.modifiers = modifiers;
  return HandleMainWindowEvents(e);
}

TEST_F(MainWindowTest, EscapeIsTakenOnlyWhileAPreviewMovieRuns) {
  Build();
  struct Case {
    const char* name;
    bool playing, rendering;
    uint32_t modifiers;
    QVStatus answer;
  } cases[] = {
      {"nothing running", false, false, 0, kQVErrNotHandled},
      {"movie playing", true, false, 0, kQVNoErr},
      {"rapid preview rendering", false, true, 0, kQVNoErr},
      {"movie playing, Shift held", true, false, kTKModShift, kQVErrNotHandled},
      {"movie playing, Command held", true, false, kTKModCommand, kQVErrNotHandled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gPreviewPlaying = c.playing;
    gRapidPreviewRendering = c.rendering;
    EXPECT_EQ(SendKey(kTKKeyEscape, c.modifiers), c.answer);
  }
  gPreviewPlaying = gRapidPreviewRendering = false;
}

TEST_F(MainWindowTest, ReleasingCapsLockShowsTheEditsMadeWhileItWasDown) {
  Build();
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  float before[4], source[4], after[4];
  FBGetRGBPixel(gResultFrame, 31, 0, before);
  FBGetRGBPixel(gSourceFrame, 31, 0, source);

  TKInjectModifiers(kTKModCapsLock);
  TKRunPending();
  HalveMasterGain();
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  ASSERT_TRUE(gUpdatesSuspended);
  FBGetRGBPixel(gResultFrame, 31, 0, after);
  EXPECT_FLOAT_EQ(after[0], before[0]) << "nothing is processed while Caps Lock is down";

  // Other modifiers changing while it stays down change nothing.
  TKInjectModifiers(kTKModCapsLock | kTKModShift);
  TKRunPending();
  EXPECT_TRUE(gUpdatesSuspended);
  FBGetRGBPixel(gResultFrame, 31, 0, after);
  EXPECT_FLOAT_EQ(after[0], before[0]);

  TKInjectModifiers(0);
  TKRunPending();
  EXPECT_FALSE(gUpdatesSuspended);
  FBGetRGBPixel(gResultFrame, 31, 0, after);
  EXPECT_LT(after[0], before[0]) << "the halved gain shows at once";
  EXPECT_GT(after[0], 0.05f * source[0]);
}

}  // namespace
