// The image panes of the main window as the host link sets them up.
#include "main_window_fixture.h"

namespace {

// The exchange's pixel aspect reaches the views of the frame and the large
// view; the reference panes show pictures of their own and keep theirs.
TEST_F(MainWindowTest, PixelAspectReachesThePanesOfTheFrame) {
  Build();
  UIHooks().setPanesPixelAspect(0.9f);
  struct Pane {
    const char* name;
    TKControl* pane;
    float aspect;
  } panes[] = {{"result", GetViewPane(kPaneResult), 0.9f},
               {"source", GetViewPane(kPaneSource), 0.9f},
               {"split source", GetViewPane(kPaneSplitSource), 0.9f},
               {"split reference", GetViewPane(kPaneSplitRef), 0.9f},
               {"luma ranges", GetViewPane(kPaneLumaRanges), 0.9f},
               {"large view", gLargeImagePane, 0.9f},
               {"reference view", GetViewPane(kPaneReference), 1.0f},
               {"reference display", GetViewPane(kPaneReferenceAnalysis), 1.0f}};
  for (const Pane& p : panes) {
    ASSERT_NE(p.pane, nullptr) << p.name;
    EXPECT_FLOAT_EQ(ImagePaneGetPixelAspect(p.pane), p.aspect) << p.name;
  }
}

}  // namespace
