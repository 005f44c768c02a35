#include "app/window/shell_window.h"

#include <algorithm>

#include "app/state/command_ids.h"
#include "app/state/shell_links.h"
#include "app/state/ui_state.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "platform/ui/toolkit.h"

namespace {

TKWindow* gWindow = nullptr;
void (*gForget)() = nullptr;

constexpr int32_t kWidth = 1000;
constexpr int32_t kHeight = 680;
constexpr int32_t kButtonBar = 48;

// One image pane per view mode, all over the same place; the mode's pane
// is the one shown.
const ImagePaneMask kViewPanes[] = {kPaneResult,      kPaneSource,   kPaneReference,
                                    kPaneSplitSource, kPaneSplitRef, kPaneLumaRanges};

// Letting go of Caps Lock brings the suspended panes up to date.
QVStatus modifiersChanged(TKEvent& e) {
  if (e.kind == kTKEventModifiersChanged && gUpdatesSuspended && !(e.modifiers & kTKModCapsLock))
    UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  return kQVErrNotHandled;
}

}  // namespace

QVStatus UIBuildMainWindow() {
  if (gWindow) return kQVNoErr;
  const TKRect display = TKGetDisplayBounds(TKGetMainDisplay());
  const int32_t width = std::min(kWidth, TKRectWidth(display) - 40);
  const int32_t height = std::min(kHeight, TKRectHeight(display) - 80);
  gWindow = TKCreateWindow(kTKWindowPlain, TKMakeRect(display.left + 20, display.top + 40, width, height), "Velmora 3");
  if (!gWindow) return kQVErrMemory;
  TKSetWindowContentColor(gWindow, TKColor{0.2, 0.2, 0.21, 1});
  const TKRect paneBounds = TKMakeRect(8, 8, width - 16, height - kButtonBar - 8);
  for (ImagePaneMask bit : kViewPanes) {
    TKControl* pane = nullptr;
    if (QVStatus status = CreateImagePane(gWindow, paneBounds, &pane)) return status;
    SetViewPane(bit, pane);
  }
  ImagePaneSetRole(GetViewPane(kPaneResult), 1);
  UIShell().installPaneHooks();
  TKInstallWindowHandler(gWindow, modifiersChanged);
  SetViewPanePictures();
  SetImageViewMode(gImageViewMode);
  TKControl* cancel = TKNewPushButton(gWindow, TKMakeRect(width - 196, height - 38, 88, 24), "Cancel", kUICommandCancel);
  TKControl* ok = TKNewPushButton(gWindow, TKMakeRect(width - 100, height - 38, 88, 24), "OK", kUICommandOK);
  TKSetDefaultButton(gWindow, ok);
  TKSetCancelButton(gWindow, cancel);
  // Closing the window leaves the exchange as Cancel does.
  TKInstallWindowHandler(gWindow, [](TKEvent& e) -> QVStatus {
    if (e.kind != kTKEventWindowClose) return kQVErrNotHandled;
    // The window's Cancel command is always answered.
    QVIgnoreStatus(TKSendCommand(kUICommandCancel));
    return kQVNoErr;
  });
  return kQVNoErr;
}

void UIShowMainWindow(bool shown) {
  if (!gWindow) return;
  if (shown) {
    TKShowWindow(gWindow);
    TKSelectWindow(gWindow);
  } else {
    TKHideWindow(gWindow);
  }
}

TKWindow* UIMainWindow() { return gWindow; }

void UIDisposeMainWindow() {
  if (void (*forget)() = gForget) {
    gForget = nullptr;
    forget();
  }
  if (gWindow) TKDisposeWindow(gWindow);
  gWindow = nullptr;
  ClearViewPanes();
}

void UIAdoptMainWindow(TKWindow* window, void (*forget)()) {
  if (gWindow) return;
  gWindow = window;
  gForget = forget;
}
