// The start-up progress window: a background picture and one line of text
// naming the step start-up is at.
#include <cstdio>
#include <string>

#include "app/shell/startup.h"
#include "core/task_pool.h"
#include "platform/ui/toolkit.h"
#include "support/alerts.h"

namespace {

constexpr int32_t kWidth = 351;
constexpr int32_t kHeight = 303;
constexpr int32_t kBackgroundPicture = 280;
const TKColor kContent = TKColorFrom16(65535, 52428, 0);
const TKFont kStepFont{"Lucida Grande", 10, false, false};

const char* const kStepTexts[] = {
    "",
    "Initializing interface",
    "Loading Gallery",
    "%d processors found",
    "Starting Glowcast",
    "Loading image",
    "Initializing control surface",
    "Verifying configuration",
    "Resetting preferences to defaults",
};

struct Progress {
  std::string text;
};

}  // namespace

TKWindow* OpenProgressWindow() {
  TKWindow* window = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, kWidth, kHeight), "");
  if (!window) return nullptr;
  auto* progress = new Progress;
  TKSetWindowRefCon(window, reinterpret_cast<intptr_t>(progress));
  TKSetWindowContentColor(window, kContent);
  TKCenterWindow(window, nullptr);
  TKInstallWindowHandler(window, [window](TKEvent& e) -> QVStatus {
    if (e.kind != kTKEventWindowDraw || !e.ctx) return kQVErrNotHandled;
    auto* p = reinterpret_cast<Progress*>(TKGetWindowRefCon(window));
    // A picture missing from the resources leaves the background plain.
    QVIgnoreStatus(TKDrawPicture(e.ctx, kBackgroundPicture, TKMakeRect(0, 0, kWidth, kHeight)));
    if (p && !p->text.empty()) {
      const TKTextMetrics m = TKMeasureText(kStepFont, p->text.c_str());
      const int32_t top = kHeight - 6 - int32_t(m.ascent + m.descent);
      TKSetFillColor(e.ctx, kContent);
      TKFillRect(e.ctx, TKRect{top, 208, kHeight - 6, kWidth - 8});
      TKSetFillColor(e.ctx, TKColor{0, 0, 0, 1});
      TKDrawText(e.ctx, kStepFont, p->text.c_str(), kWidth - 8, kHeight - 6 - m.descent, kTKAlignRight);
    }
    return kQVErrNotHandled;
  });
  TKShowWindow(window);
  TKRunOnce(0);
  return window;
}

void SetProgressStep(TKWindow* window, int32_t step) {
  if (!window || step < 0 || step > 8) return;
  auto* p = reinterpret_cast<Progress*>(TKGetWindowRefCon(window));
  char text[64];
  if (step == 3) {
    std::snprintf(text, sizeof text, kStepTexts[3], int(VLMPGetProcCount()));
  } else {
    std::snprintf(text, sizeof text, "%s", kStepTexts[step]);
  }
  p->text = text;
  if (step != 0) logprintf("Velmora 3 UI", "progress: %s", text);
  TKInvalidateWindow(window);
  TKRunOnce(0);
}

void CloseProgressWindow(TKWindow* window) {
  if (!window) return;
  delete reinterpret_cast<Progress*>(TKGetWindowRefCon(window));
  TKDisposeWindow(window);
}
