// Attaching the plug-in's block: only a segment of this user, large enough
// for the header, in one of the two byte orders, of version 7, posted by a
// host process that still runs.
#include <cstdio>

#include <unistd.h>

#include "app/shell/host_link.h"
#include "app/state/ui_state.h"
#include "app/views/image_pane.h"
#include "app/views/transport_bar.h"
#include "platform/log.h"
#include "platform/shared_memory.h"
#include "platform/ui/toolkit.h"

namespace {

void wrongVersion(const CCView& v, uint32_t version) {
  char line[160];
  std::snprintf(line, sizeof line,
                "Wrong CCUIComm structure version; received 0x%lx, expected 0x%lx; Mis-matched plug-in and UI versions?\n",
                static_cast<unsigned long>(version), static_cast<unsigned long>(kCCVersion));
  PLLogWrite("Velmora", line);
  // The plug-in reads the state in its own order, which is unknown here.
  CCSet32(v, CC_OFFSET(state), kCCStateFailed);
}

}  // namespace

uint64_t UICommHostSerial() {
  if (!gUIComm.block) return 0;
  return uint64_t(CCGet32(gUIComm, CC_OFFSET(hostSerial))) |
         (uint64_t(CCGet32(gUIComm, CC_OFFSET(hostSerial) + 4)) << 32);
}

void UICommSyncReadouts() {
  for (int32_t i = 0; i < ImagePaneRegisteredCount(); ++i) TransportSyncPosition(ImagePaneRegistered(i));
}

uint32_t UICommState() { return gUIComm.block ? CCGet32(gUIComm, CC_OFFSET(state)) : 0; }

void UICommSetState(uint32_t state) {
  if (gUIComm.block) CCSet32(gUIComm, CC_OFFSET(state), state);
}

void UICommDetach(bool remove) {
  if (gUIComm.block) PLShmDetach(gUIComm.block);
  // A segment that will not go is found stale and removed by the next exchange.
  if (remove && gUICommSegment >= 0) QVIgnoreStatus(PLShmRemove(gUICommSegment));
  gUIComm = CCView{};
  gUICommSegment = -1;
}

UIAttachResult UICommAttach() {
  int32_t id = -1;
  PLShmInfo info;
  if (PLShmOpen(CCExchangeKey(), &id) || PLShmStat(id, &info) || info.ownerUID != getuid() ||
      info.size < kCCAttachBytes) {
    if (gUICommTimer) TKSetTimerNextFire(gUICommTimer, 0.1);
    return kUINoBlock;
  }
  void* address = PLShmAttach(id);
  if (!address) {
    if (gUICommTimer) TKSetTimerNextFire(gUICommTimer, 0.1);
    return kUINoBlock;
  }
  CCView v{static_cast<CCUIComm*>(address), info.size, false};
  const uint32_t version = CCGet32(v, CC_OFFSET(version));
  if (version == kCCVersionSwapped) {
    v.swapped = true;
  } else if (version != kCCVersion) {
    wrongVersion(v, version);
    PLShmDetach(address);
    return kUIWrongVersion;
  }
  gUIComm = v;
  gUICommSegment = id;
  const uint64_t host = UICommHostSerial();
  if (host == 0 || UICommState() == kCCStateCreated) {
    UICommDetach(false);
    return kUINoBlock;
  }
  if (!PLProcessIsAlive(host)) {
    // Left by a host that ended: removed so that the next host can make its own.
    UICommDetach(true);
    return kUINoBlock;
  }
  return kUIAttached;
}
