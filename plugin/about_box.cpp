// The plug-in's about box: a borderless window showing the about picture,
// run modally until it is clicked.
#include "platform/ui/ui_services.h"
#include "platform/ui/ui_window.h"
#include "plugin/panel_strips.h"
#include "support/alerts.h"
#include "support/small_windows.h"

namespace {

constexpr int32_t kAboutWidth = 350;
constexpr int32_t kAboutHeight = 300;

}  // namespace

void DisplayAboutBoxCocoa() {
  if (!TKToolkitRunning()) {
    logprintf("Velmora", "No window toolkit for the about box\n");
    return;
  }
  // Centred across the main display, a quarter of the window's height above
  // the middle counted from the bottom.
  const TKRect screen = TKGetDisplayBounds(TKGetMainDisplay());
  const int32_t left = screen.left + (TKRectWidth(screen) - kAboutWidth) / 2;
  const int32_t bottomUp = TKRectHeight(screen) / 2 - kAboutHeight / 4;
  const int32_t top = screen.top + TKRectHeight(screen) - bottomUp - kAboutHeight;
  TKWindow* window = QVBorderlessWindowCreate(TKMakeRect(left, top, kAboutWidth, kAboutHeight));
  if (!window) return;
  QVSplashViewCreate(window, VLResourcePath("AboutBG.png").c_str(), [window](TKControl*) {
    TKEndModal(window, 0);
    TKHideWindow(window);
  });
  TKShowWindow(window);
  TKSelectWindow(window);
  TKRunModal(window);
  TKDisposeWindow(window);
}
