// The exchange's clip as the image panes see it, from a block laid out as
// the plug-in writes it: the readout of a main image pane's transport bar
// counts in the host's timecode format. The block's drop flag is the host's
// non-drop word, so 0 (what the plug-in writes at 29.97 and 30 frames a
// second) counts drop-frame and 1 does not.
#include <gtest/gtest.h>

#include <memory>

#include "app/shell/host_link.h"
#include "app/state/ui_state.h"
#include "app/state/views_hooks.h"
#include "app/views/image_pane.h"
#include "app/views/transport_bar.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"

namespace {

TEST(PaneHooks, TheReadoutCountsInTheBlocksTimecodeFormat) {
  TKUseFakeClock(true);
  ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
  ViewsResetHooks();
  auto block = std::make_unique<CCUIComm>();
  gUIComm = CCView{block.get(), sizeof(CCUIComm), false};
  gUICommAttached = true;
  UIInstallPaneHooks();

  TKWindow* window = TKCreateWindow(kTKWindowPlain, TKMakeRect(40, 40, 400, 300), "readout");
  TKControl* pane = nullptr;
  TKControl* bar = nullptr;
  ASSERT_EQ(CreateImagePane(window, TKMakeRect(0, 0, 400, 260), &pane), kQVNoErr);
  ASSERT_EQ(CreateTransportBar(window, TKMakeRect(0, 260, 400, 20), 1, kTransportAllParts, &bar), kQVNoErr);
  ImagePaneSetRole(pane, 1);
  TransportSetPane(bar, pane);
  ImagePaneSetLinkedControl(pane, bar);

  struct Case {
    uint16_t rate100;
    uint8_t display, dropByte;
    int32_t frame;
    const char* readout;
  } cases[] = {
      {2997, 1, 0, 1800, "00;01;00;02"},  // drop-frame at 29.97
      {2997, 1, 1, 1800, "00:01:00:00"},  // the host asks for non-drop
      {2400, 1, 1, 1440, "00:01:00:00"},  // what the plug-in writes at 24
      {2400, 0, 1, 24, "00:00:01:00"},    // a host that does not say: timecode
      {2500, 2, 1, 42, "00042"},          // frame numbers
  };
  for (const Case& c : cases) {
    block->frameRate100 = c.rate100;
    block->timeDisplay = c.display;
    block->dropFrame = c.dropByte;
    block->timeStep = 100;
    block->lastFrameTime = 100000000;
    block->currentTime = c.frame * 100;
    TransportSyncPosition(pane);
    EXPECT_STREQ(TransportGetTimecodeText(bar), c.readout) << c.rate100 << " " << int(c.dropByte);
  }

  TKDisposeWindow(window);
  gUIComm = CCView{};
  gUICommAttached = false;
  ViewsResetHooks();
}

}  // namespace
