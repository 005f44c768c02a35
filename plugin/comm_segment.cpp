// The communication block's segment: made, sized and removed by the plug-in.
#include <cstdio>
#include <cstring>

#include "platform/shared_memory.h"
#include "plugin/ui_exchange.h"
#include "support/alerts.h"

namespace {

void noMemoryAlert() { QVErrorAlert("Velmora 3 PI", "Unable to acquire sufficient shared memory", 1); }

void busyAlert(PLProcessSerial host) {
  char message[200];
  std::snprintf(message, sizeof message,
                "The grading application is open for another effect (host process %d); finish that exchange first.",
                int(PLProcessIDOf(host)));
  QVErrorAlert("Velmora 3 PI", message, 1);
}

// The host recorded in the segment (0 when none is yet), read in the
// order it was written; a segment too small for the header has none.
PLProcessSerial recordedHost(int32_t id, const PLShmInfo& info) {
  if (info.size < kCCAttachBytes) return 0;
  void* address = PLShmAttach(id);
  if (!address) return 0;
  const CCView v{static_cast<CCUIComm*>(address), info.size, false};
  const PLProcessSerial host =
      uint64_t(CCGet32(v, CC_OFFSET(hostSerial))) | uint64_t(CCGet32(v, CC_OFFSET(hostSerial) + 4)) << 32;
  PLShmDetach(address);
  return host;
}

// Whether the segment under the key is left from an exchange that is over.
// The host recorded in it names its process by id and start time; before a
// host is recorded, its creator must still run and have started before the
// segment was made, or the id now names another process.
bool stale(int32_t id, const PLShmInfo& info, PLProcessSerial* host) {
  *host = recordedHost(id, info);
  if (*host) return !PLProcessIsAlive(*host);
  *host = PLProcessSerialOf(info.creatorPID);
  return *host == 0 || PLProcessStartedAfter(info.creatorPID, info.createdTime);
}

// Creates the segment; a segment left under the key by an exchange that is
// over is removed and the creation tried once more. *busy names the host of
// a live one.
QVStatus create(int32_t key, size_t size, int32_t* id, PLProcessSerial* busy) {
  QVStatus status = PLShmCreate(key, size, id);
  if (status != kQVErrDuplicate) return status;
  int32_t old = -1;
  PLShmInfo info;
  if (PLShmOpen(key, &old) || PLShmStat(old, &info)) return status;
  if (!stale(old, info, busy)) return kQVErrDuplicate;
  // A stale segment that will not go makes the second creation fail, which is answered.
  QVIgnoreStatus(PLShmRemove(old));
  *busy = 0;
  return PLShmCreate(key, size, id);
}

}  // namespace

bool AllocateCommBlock(size_t frameBytes, int32_t rowBytes, UIHExchange* x) {
  const int32_t key = CCExchangeKey();
  size_t size = std::min(frameBytes + kCCHeaderBytes, kCCMaxSegmentBytes);
  int32_t id = -1;
  PLProcessSerial busy = 0;
  QVStatus status = create(key, size, &id, &busy);
  if (status == kQVErrDuplicate) {
    // Another live exchange holds the key: its segment is not ours to take.
    busyAlert(busy);
    return false;
  }
  if (status != kQVNoErr) {
    if (size <= kCCFallbackBytes[0]) {
      noMemoryAlert();
      return false;
    }
    for (size_t fallback : kCCFallbackBytes) {
      size = fallback;
      status = create(key, size, &id, &busy);
      if (status == kQVNoErr || status == kQVErrDuplicate) break;
    }
    if (status == kQVErrDuplicate) {
      busyAlert(busy);
      return false;
    }
    if (status != kQVNoErr) {
      noMemoryAlert();
      return false;
    }
  }
  void* address = PLShmAttach(id);
  // Not one row fits behind the header: the chunks would never move.
  const bool chunked = frameBytes + kCCHeaderBytes > size;
  const size_t rows = chunked && rowBytes > 0 ? (size - kCCHeaderBytes) / size_t(rowBytes) : 0;
  if (!address || (chunked && rows == 0)) {
    PLShmDetach(address);
    QVIgnoreStatus(PLShmRemove(id));  // clearing up after the failure that is reported
    noMemoryAlert();
    return false;
  }
  auto* block = static_cast<CCUIComm*>(address);
  std::memset(block, 0, kCCHeaderBytes);
  x->view = CCView{block, size, false};
  x->segmentID = id;
  x->chunkSize = chunked ? uint32_t(rows * size_t(rowBytes)) : uint32_t(frameBytes);
  block->state = kCCStateCreated;
  block->flags = chunked ? kCCFlagInline | kCCFlagMoreChunks : kCCFlagInline;
  block->chunkSize = x->chunkSize;
  block->bytesNow = x->chunkSize;
  block->bytesToSend = uint32_t(frameBytes);
  block->segmentID = uint32_t(id);
  // The host is recorded at once, so that a segment left by this process is
  // known as stale by its process id and start time.
  const PLProcessSerial self = PLCurrentProcessSerial();
  CCSet32(x->view, CC_OFFSET(hostSerial), uint32_t(self));
  CCSet32(x->view, CC_OFFSET(hostSerial) + 4, uint32_t(self >> 32));
  return true;
}

void UIH_ReleaseCommBlock(UIHExchange* x) {
  if (x->view.block) PLShmDetach(x->view.block);
  // A segment that will not go is found stale and removed by the next exchange.
  if (x->segmentID >= 0) QVIgnoreStatus(PLShmRemove(x->segmentID));
  x->view = CCView{};
  x->segmentID = -1;
}
