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

// The rate is a 16-bit field: read whole and turned when the block came in
// the other byte order.
bool hostClipTiming(int32_t* rate100, bool* dropFrame) {
  if (!gUIComm.block || !gUICommAttached) return false;
  uint16_t rate = gUIComm.block->frameRate100;
  if (gUIComm.swapped) rate = uint16_t((rate >> 8) | (rate << 8));
  *rate100 = rate;
  *dropFrame = gUIComm.block->dropFrame != 0;
  return true;
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
  hooks.hostClipTiming = hostClipTiming;
  hooks.toggleHostVideoPreview = [] { QVIgnoreStatus(UICommToggleVideoPreview()); };  // a host without the event keeps its preview
}
