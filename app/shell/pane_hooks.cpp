// What the image panes reach of the exchange: the clip's times, a frame at
// another time (host-frame scrubbing) and the current frame again.
#include <algorithm>

#include "app/shell/host_link.h"
#include "app/state/ui_state.h"
#include "app/state/views_hooks.h"
#include "app/views/central_update.h"

namespace {

bool hostFrameTimes(int32_t* current, int32_t* step, int32_t* last) {
  if (!gUIComm.block || !gUICommAttached) return false;
  *current = int32_t(CCGet32(gUIComm, CC_OFFSET(currentTime)));
  *step = int32_t(CCGet32(gUIComm, CC_OFFSET(timeStep)));
  *last = int32_t(CCGet32(gUIComm, CC_OFFSET(lastFrameTime)));
  return true;
}

QVStatus hostLoadFrameAt(int32_t time) {
  if (!gUIComm.block) return kQVErrParam;
  CCSet32(gUIComm, CC_OFFSET(currentTime), uint32_t(std::max(0, time)));
  return UICommLoadCurrentFrame();
}

// The timecode fields of the block: bytes 28 to 31 (display mode, frames per
// foot, drop flag) and the 16-bit rate x 100 at 32, turned like the block's
// other 16-bit words. The block's drop flag is the host's "non-drop" word:
// 0 asks for drop-frame counting (the plug-in's choice at 30 and 29.97
// frames a second), 1 for non-drop.
void hostTimecodeFormat(int32_t* rate100, int32_t* mode, int32_t* drop, int32_t* field, int32_t* perFoot) {
  *rate100 = *mode = *drop = *field = *perFoot = 0;
  if (!gUIComm.block) return;
  const CCUIComm* b = gUIComm.block;
  const uint16_t rate = b->frameRate100;
  *rate100 = gUIComm.swapped ? uint16_t(rate >> 8 | rate << 8) : rate;
  *mode = b->timeDisplay;
  *perFoot = b->framesPerFoot;
  *drop = b->dropFrame == 0 ? 1 : 0;
}

void reloadHostFrame() {
  if (UICommLoadCurrentFrame() == kQVNoErr) UIReprocess(true);
}

}  // namespace

void UIInstallPaneHooks() {
  ViewsHooks& hooks = ViewsHooksInForce();
  hooks.hostFrameTimes = hostFrameTimes;
  hooks.hostLoadFrameAt = hostLoadFrameAt;
  hooks.reloadHostFrame = reloadHostFrame;
  hooks.hostTimecodeFormat = hostTimecodeFormat;
  hooks.toggleHostVideoPreview = [] { QVIgnoreStatus(UICommToggleVideoPreview()); };  // a host without the event keeps its preview
}
