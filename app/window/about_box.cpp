// The about box: the background picture, the product picture and the
// version; a click anywhere closes it.
#include "app/window/about_box.h"
#include "platform/ui/toolkit.h"

namespace {

constexpr int32_t kWidth = 351;
constexpr int32_t kHeight = 303;
constexpr int32_t kBackgroundPicture = 280;
constexpr int32_t kBackgroundCommandPicture = 283;
constexpr int32_t kProductPicture = 258;

}  // namespace

void ShowAboutBox() {
  TKWindow* window = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, kWidth, kHeight), "");
  if (!window) return;
  TKSetWindowContentColor(window, TKColorFrom16(65535, 52428, 0));
  TKCenterWindow(window, nullptr);
  TKInstallWindowHandler(window, [window](TKEvent& e) -> QVStatus {
    if (e.kind == kTKEventWindowDraw && e.ctx) {
      const int32_t background = (TKGetModifiers() & kTKModCommand) ? kBackgroundCommandPicture : kBackgroundPicture;
      // A picture missing from the resources leaves the background plain.
      QVIgnoreStatus(TKDrawPicture(e.ctx, background, TKMakeRect(0, 0, kWidth, kHeight)));
      if (TKImage* product = TKGetPicture(kProductPicture))
        QVIgnoreStatus(
            TKDrawPicture(e.ctx, kProductPicture, TKMakeRect(2, 236, TKImageWidth(product), TKImageHeight(product))));
      const TKFont font{"Geneva", 9, false, false};
      const TKTextMetrics m = TKMeasureText(font, kUIVersion);
      TKSetFillColor(e.ctx, TKColor{0, 0, 0, 1});
      TKDrawText(e.ctx, font, kUIVersion, 346, 287 + m.ascent, kTKAlignRight);
      return kQVErrNotHandled;
    }
    if (e.kind == kTKEventMouseDown) {
      TKEndModal(window, 0);
      return kQVNoErr;
    }
    return kQVErrNotHandled;
  });
  TKRunModal(window);
  TKDisposeWindow(window);
}
