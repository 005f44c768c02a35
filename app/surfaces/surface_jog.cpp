#include "app/surfaces/surface_jog.h"

#include "app/views/image_pane.h"
#include "app/views/transport_bar.h"

uint8_t gJogStepPending = 0;
int32_t gJogFrames = 0;
TKControl* gJogPane = nullptr;

namespace {
// Counts the playback ticks so a pending step runs on every second one.
uint32_t gTicks = 0;
}  // namespace

void SurfaceJogAdd(TKControl* pane, int32_t frames) {
  if (pane) gJogPane = pane;
  // Saturating, so a surface flooding the wheel cannot wrap the count.
  const int64_t sum = int64_t(gJogFrames) + frames;
  gJogFrames = sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : int32_t(sum);
  gJogStepPending = 1;
}

void SurfaceJogClear() {
  gJogStepPending = 0;
  gJogFrames = 0;
}

void SurfaceJogPlaybackTick() {
  if (!gJogStepPending) return;
  if (++gTicks % 2 != 0) return;
  const int32_t frames = gJogFrames;
  SurfaceJogClear();
  // A step past either end of the clip stops there.
  if (frames != 0 && gJogPane) QVIgnoreStatus(TransportStep(ImagePaneGetLinkedControl(gJogPane), frames));
}
