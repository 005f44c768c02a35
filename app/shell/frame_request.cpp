// Further clip frames from the plug-in, asked through the block: the request
// word set to 2, the answer word polled, and the frame collected chunk by
// chunk when it does not fit the segment.
#include <chrono>
#include <cstring>
#include <thread>

#include "app/shell/host_link.h"
#include "app/state/ui_state.h"
#include "platform/message_route.h"

namespace {

double clockNow() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

uint64_t microseconds() {
  using namespace std::chrono;
  return uint64_t(duration_cast<std::chrono::microseconds>(system_clock::now().time_since_epoch()).count());
}

// The answer word once it is set; 0 when the host went or the wait ran out.
uint32_t waitForAnswer(double limit) {
  const double end = clockNow() + limit;
  const uint64_t host = UICommHostSerial();
  for (;;) {
    if (uint32_t answer = CCGet32(gUIComm, CC_OFFSET(frameAnswer))) return answer;
    if (clockNow() > end || !PLProcessIsAlive(host)) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(8));
  }
}

constexpr double kAnswerLimit = 10.0;  // seconds the plug-in may take to answer

// The whole block as an event's direct descriptor, in the plug-in's byte
// order (the application never turns the block in place), without a copy.
PLDescriptor blockDescriptor() {
  PLDescriptor d;
  d.type = kPLTypeBytes;
  d.data = reinterpret_cast<const uint8_t*>(gUIComm.block);
  d.size = kCCAttachBytes;
  return d;
}

// The frame asked for by a 'VLae'/'VLgf' event; the block's request and
// answer words are left alone. A reply that is not exactly one frame of the
// block's geometry is no frame.
QVStatus requestByMessage(std::vector<uint8_t>* buffer) {
  CCGeometry g;
  if (CCReadGeometry(gUIComm, &g)) return kQVNoErr;
  PLReply reply;
  const QVStatus status = PLRouteSend(UICommHostSerial(), kUICommEventClass, kUICommEventGetClipFrame,
                                      blockDescriptor(), &reply, kAnswerLimit, UICommAEIdleProc, nullptr);
  if (status != kQVNoErr) return status;
  if (reply.type != kPLTypeBytes || reply.data.size() != g.frameBytes) return kQVNoErr;
  *buffer = std::move(reply.data);
  if (gUIComm.swapped) CCTurnWords(buffer->data(), buffer->size());
  return kQVNoErr;
}

}  // namespace

bool UICommAEIdleProc(int32_t* sleepTicks, void*) {
  *sleepTicks = 50;
  return false;
}

QVStatus UICommRequestFrame(std::vector<uint8_t>* buffer) {
  buffer->clear();
  if (!gUIComm.block || UICommHostSerial() == 0) return kQVNoErr;
  if (CCGet32(gUIComm, CC_OFFSET(requestsByMessage)) != 0) return requestByMessage(buffer);
  CCGeometry g;
  if (CCReadGeometry(gUIComm, &g)) return kQVNoErr;
  CCSet32(gUIComm, CC_OFFSET(frameAnswer), 0);
  const uint64_t stamp = microseconds();
  CCSet32(gUIComm, CC_OFFSET(requestTimestamp), uint32_t(stamp));
  CCSet32(gUIComm, CC_OFFSET(requestTimestamp) + 4, uint32_t(stamp >> 32));
  CCSet32(gUIComm, CC_OFFSET(frameRequest), kCCRequestFrame);
  const uint32_t answer = waitForAnswer(kAnswerLimit);
  CCSet32(gUIComm, CC_OFFSET(frameRequest), 0);

  uint32_t first = 0;
  std::memcpy(&first, gUIComm.block->frameData, 4);
  size_t bytes = 0;
  if (answer == kCCAnswerFrame && first != 0 && CCBytesNow(gUIComm, g, g.frameBytes, &bytes) == kQVNoErr &&
      bytes > 0) {
    try {
      buffer->assign(g.frameBytes, 0);
    } catch (const std::bad_alloc&) {
      buffer->clear();
    }
  }
  if (!buffer->empty()) {
    std::memcpy(buffer->data(), gUIComm.block->frameData, bytes);
    size_t done = bytes;
    bool failed = false;
    if (CCGet32(gUIComm, CC_OFFSET(flags)) & kCCFlagMoreChunks) {
      while (done < g.frameBytes) {
        UICommSetState(kCCStateWantChunk);
        size_t more = 0;
        if (!UICommWaitForChunk() || CCBytesNow(gUIComm, g, g.frameBytes - done, &more) || more == 0) {
          failed = true;
          break;
        }
        std::memcpy(buffer->data() + done, gUIComm.block->frameData, more);
        done += more;
      }
      UICommSetState(kCCStateWorking);
      CCSet32(gUIComm, CC_OFFSET(flags), CCGet32(gUIComm, CC_OFFSET(flags)) & ~kCCFlagMoreChunks);
    }
    if (failed) {
      buffer->clear();
    } else if (gUIComm.swapped) {
      CCTurnWords(buffer->data(), buffer->size());
    }
  }
  // A frame whose first word is zero counts as none, so the word is cleared
  // after every request, answered or not.
  std::memset(gUIComm.block->frameData, 0, 4);
  return kQVNoErr;
}

QVStatus UICommToggleVideoPreview() {
  if (!gUIComm.block || UICommHostSerial() == 0) return kQVNoErr;
  PLReply reply;
  return PLRouteSend(UICommHostSerial(), kUICommEventClass, kUICommEventToggleVideoPreview, blockDescriptor(),
                     &reply, kPLRouteDefaultTimeout, UICommAEIdleProc, nullptr);
}
