// A frame read from a file (a still or a movie frame) as the frame to
// correct: the source and result frames and the pane pictures take its size.
#include <cstring>

#include "app/shell/host_link.h"
#include "app/state/ui_state.h"

namespace {

QVStatus Resize(FBFrameStruct** frame, uint32_t width, uint32_t height) {
  if (*frame && (*frame)->width == width && (*frame)->height == height) return kQVNoErr;
  if (*frame) FBDisposeFrameBuffer(*frame);
  *frame = nullptr;
  return FBCreateRGBFrameBuffer(width, height, frame, kFBPixFormatPlanarFloat);
}

}  // namespace

QVStatus UIImportSourceFrame(const FBFrameStruct* frame, const uint32_t* linearization) {
  if (!frame || frame->pixelFormat != kFBPixFormatPlanarFloat || frame->width == 0 || frame->height == 0)
    return kQVErrParam;
  if (QVStatus status = Resize(&gSourceFrame, frame->width, frame->height)) return status;
  if (QVStatus status = Resize(&gResultFrame, frame->width, frame->height)) return status;
  if (gReferenceFrame && (gReferenceFrame->width != frame->width || gReferenceFrame->height != frame->height)) {
    FBDisposeFrameBuffer(gReferenceFrame);
    gReferenceFrame = nullptr;
  }
  if (QVStatus status = SetupImageGWorldsAt(int32_t(frame->width), int32_t(frame->height), 1.0f)) return status;
  FBCopyFrameBuffer(frame, gSourceFrame);
  if (linearization) std::memcpy(gUILinearization, linearization, sizeof gUILinearization);
  UISourceFrameArrived();
  return kQVNoErr;
}
