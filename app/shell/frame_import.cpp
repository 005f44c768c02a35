// Bringing the exchange's frame in: the source frame from the block's
// pixels (whole, or chunk by chunk as the plug-in sends them), the
// input linearization, the display image and the first result.
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "app/shell/host_link.h"
#include "app/state/service_hooks.h"
#include "app/state/ui_state.h"
#include "app/views/central_update.h"
#include "core/pixel_transfer.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "core/task_pool.h"
#include "platform/byte_order.h"
#include "platform/ui/toolkit.h"

namespace {

constexpr double kWaitLimit = 10.0;  // seconds the plug-in may take for one chunk

double clockNow() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void freeFrame(FBFrameStruct** frame) {
  if (*frame) FBDisposeFrameBuffer(*frame);
  *frame = nullptr;
}

bool sameSize(const FBFrameStruct* f, int32_t width, int32_t height) {
  return f && int32_t(f->width) == width && int32_t(f->height) == height;
}

// The pixels of `bytes` (whole rows) into rows [firstRow, ...) of the source frame.
void convertRows(const uint8_t* pixels, size_t bytes, const CCGeometry& g, int32_t firstRow) {
  FBFrameStruct band = *gSourceFrame;
  band.height = uint32_t(bytes / size_t(g.rowBytes));
  band.baseAddr = gSourceFrame->baseAddr + size_t(firstRow) * gSourceFrame->rowBytes;
  FBTransferPixToFBFramePremultiplied(pixels, uint32_t(g.rowBytes), g.pixelFormat, &band, gNumProcessors,
                                      &gVLMPMaster);
}

// A copy of the block's frame bytes, turned to native order when the writer's
// order is the other one.
const uint8_t* frameBytes(size_t bytes, std::vector<uint8_t>* turned) {
  const uint8_t* data = gUIComm.block->frameData;
  if (!gUIComm.swapped) return data;
  turned->assign(data, data + bytes);
  CCTurnWords(turned->data(), bytes);
  return turned->data();
}

void (*gArrivalObserver)() = nullptr;

}  // namespace

void UISetFrameArrivalObserver(void (*observer)()) { gArrivalObserver = observer; }
// A copy of the source frame as it arrived; the copy is dropped when it
// cannot be made, so that a stale one is never taken for the new frame.
void UINoteFrameArrival() {
  if (gSourceFrame && !sameSize(gUIArrivedFrame, int32_t(gSourceFrame->width), int32_t(gSourceFrame->height)))
    freeFrame(&gUIArrivedFrame);
  if (gSourceFrame && !gUIArrivedFrame &&
      FBCreateRGBFrameBuffer(gSourceFrame->width, gSourceFrame->height, &gUIArrivedFrame, gSourceFrame->pixelFormat))
    gUIArrivedFrame = nullptr;
  if (gUIArrivedFrame) FBCopyFrameBuffer(gSourceFrame, gUIArrivedFrame);
  if (gArrivalObserver) gArrivalObserver();
}

bool UICanRelinearizeSourceFrame() {
  return gUIComm.block && gImageLoaded && gSourceFrame && gUIArrivedFrame &&
         sameSize(gUIArrivedFrame, int32_t(gSourceFrame->width), int32_t(gSourceFrame->height)) &&
         gUIArrivedFrame->pixelFormat == gSourceFrame->pixelFormat;
}

QVStatus UIRelinearizeSourceFrame() {
  if (!UICanRelinearizeSourceFrame()) return kQVErrParam;
  FBCopyFrameBuffer(gUIArrivedFrame, gSourceFrame);
  UIHooks().applyInputLinearization(gSourceFrame, gUILinearization);
  UIRefreshDisplayImage();
  UIHooks().setPaneImages();
  UIReprocess(true);
  return kQVNoErr;
}

// Waits until the plug-in has put the next chunk in (state 6, read in either
// byte order). False when the host has gone or the wait ran too long.
bool UICommWaitForChunk() {
  const double end = clockNow() + kWaitLimit;
  const uint64_t host = UICommHostSerial();
  for (;;) {
    const uint32_t raw = __atomic_load_n(&gUIComm.block->state, __ATOMIC_ACQUIRE);
    if (raw == kCCStateChunkReady || raw == QVByteSwap32(kCCStateChunkReady)) return true;
    if (clockNow() > end || !PLProcessIsAlive(host)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
  }
}

void UIRefreshDisplayImage() {
  if (!gSourceFrame) return;
  const int32_t w = int32_t(gSourceFrame->width), h = int32_t(gSourceFrame->height);
  if (!gSourceGWorld || TKImageWidth(gSourceGWorld) != w || TKImageHeight(gSourceGWorld) != h) {
    if (gSourceGWorld) TKImageDispose(gSourceGWorld);
    gSourceGWorld = TKImageCreate(w, h);
  }
  if (!gSourceGWorld) return;
  std::vector<uint8_t> pixels(size_t(w) * 4 * size_t(h));
  FBTransferFBFrameToPix(gSourceFrame, pixels.data(), uint32_t(w) * 4, kFBPixFormat32ARGB, gNumProcessors, &gVLMPMaster);
  // Cannot fail: the picture is made at the frame's size just above.
  QVIgnoreStatus(TKImageImport(gSourceGWorld, pixels.data(), w * 4, kTKPixelFormatBGRA));
}

void UIReprocess(bool drawNow) { UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, drawNow); }

QVStatus UICommImportFrame() {
  if (!gUIComm.block) return kQVErrParam;
  CCGeometry g;
  if (CCReadGeometry(gUIComm, &g) != kQVNoErr) return kQVErrParam;

  // The frame is linearized only as the block's record asks. The host-pixel
  // adjustment of hosts listed in "Adjust Host Pixels" is not applied here:
  // the effect's render processes those hosts' pixels as they come, and the
  // window shows what a render after OK gives.
  for (int i = 0; i < 8; ++i) gUILinearization[i] = CCGet32(gUIComm, CC_OFFSET(linearization) + 4 * size_t(i));

  if (!sameSize(gSourceFrame, g.width, g.height)) freeFrame(&gSourceFrame);
  if (!sameSize(gResultFrame, g.width, g.height)) freeFrame(&gResultFrame);
  if (!sameSize(gReferenceFrame, g.width, g.height)) freeFrame(&gReferenceFrame);
  if (gSourceGWorld) TKImageDispose(gSourceGWorld);
  gSourceGWorld = nullptr;
  QVStatus status = kQVNoErr;
  if (!gSourceFrame) status = FBCreateRGBFrameBuffer(uint32_t(g.width), uint32_t(g.height), &gSourceFrame, kFBPixFormatPlanarFloat);
  if (!status && !gResultFrame)
    status = FBCreateRGBFrameBuffer(uint32_t(g.width), uint32_t(g.height), &gResultFrame, kFBPixFormatPlanarFloat);
  if (status) return status;

  const uint32_t flags = CCGet32(gUIComm, CC_OFFSET(flags));
  std::vector<uint8_t> turned;
  if (flags & kCCFlagMoreChunks) {
    // Chunk by chunk: every chunk whole rows, never more than the rows left.
    size_t done = 0;
    for (;;) {
      size_t bytes = 0;
      if (CCBytesNow(gUIComm, g, g.frameBytes - done, &bytes) || bytes == 0 || bytes % size_t(g.rowBytes) != 0)
        return kQVErrParam;
      convertRows(frameBytes(bytes, &turned), bytes, g, int32_t(done / size_t(g.rowBytes)));
      done += bytes;
      if (done >= g.frameBytes) break;
      UICommSetState(kCCStateWantChunk);
      if (!UICommWaitForChunk()) return kQVErrTimeout;
    }
    UICommSetState(kCCStateWorking);
    CCSet32(gUIComm, CC_OFFSET(flags), flags & ~kCCFlagMoreChunks);
  } else if (flags & kCCFlagInline) {
    if (g.frameBytes > g.dataCapacity) return kQVErrParam;
    convertRows(frameBytes(g.frameBytes, &turned), g.frameBytes, g, 0);
  } else {
    // Pixels at an address in another process cannot be read from here.
    return kQVErrParam;
  }

  if (gReferenceFrame) FBCopyFrameBuffer(gSourceFrame, gReferenceFrame);
  UISourceFrameArrived();
  return kQVNoErr;
}

void UISourceFrameArrived() {
  UINoteFrameArrival();
  UIHooks().applyInputLinearization(gSourceFrame, gUILinearization);
  UIRefreshDisplayImage();
  UIHooks().setPaneImages();
  UIReprocess(false);
  gImageLoaded = true;
}
