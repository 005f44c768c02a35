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
  UIWindow* window = UICreateWindow(kUIWindowModal, UIMakeRect(0, 0, kWidth, kHeight), "");
  if (!window) return;
  UISetWindowContentColor(window, UIColorFrom16(65535, 52428, 0));
  UICenterWindow(window, nullptr);
  UIInstallWindowHandler(window, [window](UIEvent& e) -> QVStatus {
    if (e.kind == kUIEventWindowDraw && e.ctx) {
      const int32_t background = (UIGetModifiers() & kUIModCommand) ? kBackgroundCommandPicture : kBackgroundPicture;
      UIDrawPicture(e.ctx, background, UIMakeRect(0, 0, kWidth, kHeight));
      if (UIImage* product = UIGetPicture(kProductPicture))
        UIDrawPicture(e.ctx, kProductPicture, UIMakeRect(2, 236, UIImageWidth(product), UIImageHeight(product)));
      const UIFont font{"Geneva", 9, false, false};
      const UITextMetrics m = UIMeasureText(font, kUIVersion);
      UISetFillColor(e.ctx, UIColor{0, 0, 0, 1});
      UIDrawText(e.ctx, font, kUIVersion, 346, 287 + m.ascent, kUIAlignRight);
      return kQVErrNotHandled;
    }
    if (e.kind == kUIEventMouseDown) {
      UIEndModal(window, 0);
      return kQVNoErr;
    }
    return kQVErrNotHandled;
  });
  UIRunModal(window);
  UIDisposeWindow(window);
}
