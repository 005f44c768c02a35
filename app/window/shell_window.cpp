#include "app/window/shell_window.h"

#include <algorithm>

#include "app/state/command_ids.h"
#include "app/state/shell_links.h"
#include "app/state/ui_state.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "platform/ui/toolkit.h"

namespace {

UIWindow* gWindow = nullptr;
void (*gForget)() = nullptr;

constexpr int32_t kWidth = 1000;
constexpr int32_t kHeight = 680;
constexpr int32_t kButtonBar = 48;

// One image pane per view mode, all over the same place; the mode's pane
// is the one shown.
const ImagePaneMask kViewPanes[] = {kPaneResult,      kPaneSource,   kPaneReference,
                                    kPaneSplitSource, kPaneSplitRef, kPaneLumaRanges};

// Letting go of Caps Lock brings the suspended panes up to date.
QVStatus modifiersChanged(UIEvent& e) {
  if (e.kind == kUIEventModifiersChanged && gUpdatesSuspended && !(e.modifiers & kUIModCapsLock))
    UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  return kQVErrNotHandled;
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
  const UIRect paneBounds = UIMakeRect(8, 8, width - 16, height - kButtonBar - 8);
  for (ImagePaneMask bit : kViewPanes) {
    UIControl* pane = nullptr;
    if (QVStatus status = CreateImagePane(gWindow, paneBounds, &pane)) return status;
    SetViewPane(bit, pane);
  }
  ImagePaneSetRole(GetViewPane(kPaneResult), 1);
  UIShell().installPaneHooks();
  UIInstallWindowHandler(gWindow, modifiersChanged);
  SetViewPanePictures();
  SetImageViewMode(gImageViewMode);
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

UIWindow* UIMainWindow() { return gWindow; }

void UIDisposeMainWindow() {
  if (void (*forget)() = gForget) {
    gForget = nullptr;
    forget();
  }
  if (gWindow) UIDisposeWindow(gWindow);
  gWindow = nullptr;
  ClearViewPanes();
}

void UIAdoptMainWindow(UIWindow* window, void (*forget)()) {
  if (gWindow) return;
  gWindow = window;
  gForget = forget;
}
