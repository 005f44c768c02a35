// The off-screen pane images at the exchange's frame size.
#include <cstring>

#include "app/shell/host_link.h"
#include "app/state/service_hooks.h"
#include "app/state/ui_state.h"
#include "app/views/image_pane.h"
#include "platform/ui/toolkit.h"

namespace {

void dispose(TKImage** image) {
  if (*image) TKImageDispose(*image);
  *image = nullptr;
}

TKImage* blackImage(int32_t width, int32_t height) {
  TKImage* image = TKImageCreate(width, height);
  if (!image) return nullptr;
  TKContext* ctx = TKBeginDrawing(image);
  TKClear(ctx, TKColor{0, 0, 0, 1});
  TKEndDrawing(ctx);
  return image;
}

}  // namespace

QVStatus SetupImageGWorlds() {
  if (!gUIComm.block) return kQVErrParam;
  CCGeometry g;
  if (CCReadGeometry(gUIComm, &g)) return kQVErrParam;
  uint32_t aspectBits = CCGet32(gUIComm, CC_OFFSET(pixelAspect));
  float aspect;
  static_assert(sizeof aspect == sizeof aspectBits);
  std::memcpy(&aspect, &aspectBits, sizeof aspect);
  if (!(aspect > 0.01f && aspect < 100.0f)) aspect = 1.0f;
  return SetupImageGWorldsAt(g.width, g.height, aspect);
}

QVStatus SetupImageGWorldsAt(int32_t width, int32_t height, float aspect) {
  if (gResultGWorld && TKImageWidth(gResultGWorld) == width && TKImageHeight(gResultGWorld) == height) {
    UIHooks().setPanesPixelAspect(aspect);
    return kQVNoErr;
  }
  UIDisposeImageGWorlds();
  // The split mask keeps one bit per pixel in spirit; it is an image of its
  // own kind only to the panes that combine through it.
  TKImage** images[] = {&gResultGWorld, &gSplitGWorld, &gSplitMaskGWorld, &gReferenceGWorld};
  for (TKImage** image : images) {
    *image = image == &gSplitMaskGWorld ? TKImageCreate(width, height) : blackImage(width, height);
    if (!*image) {
      UIDisposeImageGWorlds();
      return kQVErrMemory;
    }
  }
  // The split line starts down the middle: source on the left.
  BuildSplitViewMask(gSplitMaskGWorld, 0.5f, 0.0f, 0.5f, 1.0f);
  UIHooks().setPaneImages();
  UIHooks().setPanesPixelAspect(aspect);
  return kQVNoErr;
}

void UIDisposeImageGWorlds() {
  dispose(&gResultGWorld);
  dispose(&gSplitGWorld);
  dispose(&gSplitMaskGWorld);
  dispose(&gReferenceGWorld);
}

void UIDisposeFrames() {
  dispose(&gSourceGWorld);
  UIDisposeImageGWorlds();
  for (FBFrameStruct** f : {&gSourceFrame, &gResultFrame, &gReferenceFrame, &gUIArrivedFrame}) {
    if (*f) FBDisposeFrameBuffer(*f);
    *f = nullptr;
  }
}
