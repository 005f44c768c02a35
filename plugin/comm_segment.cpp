// The communication block's segment: made, sized and removed by the plug-in.
#include <cstring>

#include "platform/shared_memory.h"
#include "plugin/ui_exchange.h"
#include "support/alerts.h"

namespace {

void noMemoryAlert() { QVErrorAlert("Velmora 3 PI", "Unable to acquire sufficient shared memory", 1); }

// Creates the segment; a segment left under the key by a process that has
// ended is removed and the creation tried once more.
QVStatus create(int32_t key, size_t size, int32_t* id) {
  QVStatus status = PLShmCreate(key, size, id);
  if (status != kQVErrDuplicate) return status;
  int32_t old = -1;
  PLShmInfo info;
  if (PLShmOpen(key, &old) || PLShmStat(old, &info)) return status;
  if (PLProcessIsAlive(PLProcessSerial(uint32_t(info.creatorPID)))) return kQVErrDuplicate;
  PLShmRemove(old);
  return PLShmCreate(key, size, id);
}

}  // namespace

bool AllocateCommBlock(size_t frameBytes, int32_t rowBytes, UIHExchange* x) {
  const int32_t key = CCExchangeKey();
  size_t size = std::min(frameBytes + kCCHeaderBytes, kCCMaxSegmentBytes);
  int32_t id = -1;
  QVStatus status = create(key, size, &id);
  if (status == kQVErrDuplicate) {
    // Another live exchange holds the key: its segment is not ours to take.
    noMemoryAlert();
    return false;
  }
  if (status != kQVNoErr) {
    if (size <= kCCFallbackBytes[0]) {
      noMemoryAlert();
      return false;
    }
    for (size_t fallback : kCCFallbackBytes) {
      size = fallback;
      status = create(key, size, &id);
      if (status == kQVNoErr || status == kQVErrDuplicate) break;
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
    PLShmRemove(id);
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
  return true;
}

void UIH_ReleaseCommBlock(UIHExchange* x) {
  if (x->view.block) PLShmDetach(x->view.block);
  if (x->segmentID >= 0) PLShmRemove(x->segmentID);
  x->view = CCView{};
  x->segmentID = -1;
}
