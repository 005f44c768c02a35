// A full-screen rapid preview over the main window hides the controls of
// every pane layout, and Escape shows those of the layout in use again (and
// only those).
#include "app/views/preview_outputs.h"
#include "app/views/rapid_preview.h"
#include "app/views/transport_bar.h"
#include "main_window_fixture.h"
#include "tests/scratch_folder.h"

namespace {

class FullScreenPreview : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    saved = gPrefsSettings;
    const std::string folder = MakeScratchFolder("full_screen_preview");
    gPrefsSettings.rapidPreviewCacheAlias.assign(folder.begin(), folder.end());
    gPrefsSettings.externalPreviewDevice = kPreviewDeviceNone;
    ViewsHooksInForce().hostTimecodeFormat = [](int32_t* rate100, int32_t* mode, int32_t* drop, int32_t* field,
                                                int32_t* perFoot) {
      *rate100 = 2400, *mode = 1, *drop = 0, *field = 0, *perFoot = 16;
    };
    Build();
  }
  void TearDown() override {
    gPrefsSettings = saved;
    MainWindowTest::TearDown();
  }

  // Renders the clip from its start into the movie and shows it full screen.
  void PreviewFullScreen(TKControl* bar) {
    hostTime = 80;
    ASSERT_EQ(StartRapidPreview(bar, true), kQVNoErr);
    for (int i = 0; i < 20 && gRapidPreviewRendering; ++i) RapidPreviewTick();
    ASSERT_NE(RapidPreviewFullScreenWindow(), nullptr);
  }

  static std::vector<bool> Shown() {
    return {TKIsControlVisible(gLargeImageFrame), TKIsControlVisible(gImagePaneTabs),
            TKIsControlVisible(gAnalysisPaneTabs)};
  }

  PrefsSettings saved;
};

TEST_F(FullScreenPreview, HidesThePaneLayoutControlsAndEscapeShowsThoseOfTheLayout) {
  struct Case {
    int32_t layout;
    std::vector<bool> shown;  // large view, image selector, analysis selector
  } cases[] = {{2, {false, true, true}}, {1, {true, false, false}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    SetMainWindowPaneLayout(c.layout);
    ASSERT_EQ(Shown(), c.shown);
    TKControl* pane = c.layout == 1 ? gLargeImagePane : GetViewPane(kPaneResult);
    PreviewFullScreen(ImagePaneGetLinkedControl(pane));
    EXPECT_EQ(Shown(), std::vector<bool>({false, false, false}));
    Key(kTKKeyEscape);
    EXPECT_EQ(RapidPreviewFullScreenWindow(), nullptr);
    EXPECT_EQ(Shown(), c.shown);
  }
}

}  // namespace
