#include "app/shell/main_window.h"

#include <algorithm>

#include "app/shell/shell_commands.h"
#include "app/shell/ui_state.h"
#include "platform/ui/toolkit.h"

namespace {

UIWindow* gWindow = nullptr;
UIControl* gPane = nullptr;

constexpr int32_t kWidth = 1000;
constexpr int32_t kHeight = 680;
constexpr int32_t kButtonBar = 48;

// The result fitted into the pane, centred, on the pane background.
void drawPane(UIControl* pane, UIContext* ctx) {
  const UIRect r = UIGetControlBounds(pane);
  UISetFillColor(ctx, UIColor{0.13, 0.13, 0.14, 1});
  UIFillRect(ctx, r);
  UIImage* image = gResultImage ? gResultImage : gDisplayImage;
  if (!image) return;
  const double w = UIImageWidth(image), h = UIImageHeight(image);
  if (w <= 0 || h <= 0) return;
  const double scale = std::min(UIRectWidth(r) / w, UIRectHeight(r) / h);
  const int32_t dw = int32_t(w * scale), dh = int32_t(h * scale);
  const UIRect dst = UIMakeRect(r.left + (UIRectWidth(r) - dw) / 2, r.top + (UIRectHeight(r) - dh) / 2, dw, dh);
  UIDrawImage(ctx, image, nullptr, dst, true);
}

}  // namespace

QVStatus UIBuildMainWindow() {
  if (gWindow) return kQVNoErr;
  const UIRect display = UIGetDisplayBounds(UIGetMainDisplay());
  const int32_t width = std::min(kWidth, UIRectWidth(display) - 40);
  const int32_t height = std::min(kHeight, UIRectHeight(display) - 80);
  gWindow = UICreateWindow(kUIWindowPlain, UIMakeRect(display.left + 20, display.top + 40, width, height), "Velmora 3");
  if (!gWindow) return kQVErrMemory;
  UISetWindowContentColor(gWindow, UIColor{0.2, 0.2, 0.21, 1});
  UIUserPaneProcs procs;
  procs.draw = drawPane;
  gPane = UINewUserPane(gWindow, UIMakeRect(8, 8, width - 16, height - kButtonBar - 8), procs);
  UIControl* cancel = UINewPushButton(gWindow, UIMakeRect(width - 196, height - 38, 88, 24), "Cancel", kUICommandCancel);
  UIControl* ok = UINewPushButton(gWindow, UIMakeRect(width - 100, height - 38, 88, 24), "OK", kUICommandOK);
  UISetDefaultButton(gWindow, ok);
  UISetCancelButton(gWindow, cancel);
  // Closing the window leaves the exchange as Cancel does.
  UIInstallWindowHandler(gWindow, [](UIEvent& e) -> QVStatus {
    if (e.kind != kUIEventWindowClose) return kQVErrNotHandled;
    UISendCommand(kUICommandCancel);
    return kQVNoErr;
  });
  return kQVNoErr;
}

void UIShowMainWindow(bool shown) {
  if (!gWindow) return;
  if (shown) {
    UIShowWindow(gWindow);
    UISelectWindow(gWindow);
  } else {
    UIHideWindow(gWindow);
  }
}

void UIMainWindowRedraw(bool) {
  if (gPane) UIDrawControl(gPane);
}

UIWindow* UIMainWindow() { return gWindow; }

void UIDisposeMainWindow() {
  if (gWindow) UIDisposeWindow(gWindow);
  gWindow = nullptr;
  gPane = nullptr;
}
