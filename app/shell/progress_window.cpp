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
const UIColor kContent = UIColorFrom16(65535, 52428, 0);
const UIFont kStepFont{"Lucida Grande", 10, false, false};

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

UIWindow* OpenProgressWindow() {
  UIWindow* window = UICreateWindow(kUIWindowModal, UIMakeRect(0, 0, kWidth, kHeight), "");
  if (!window) return nullptr;
  auto* progress = new Progress;
  UISetWindowRefCon(window, reinterpret_cast<intptr_t>(progress));
  UISetWindowContentColor(window, kContent);
  UICenterWindow(window, nullptr);
  UIInstallWindowHandler(window, [window](UIEvent& e) -> QVStatus {
    if (e.kind != kUIEventWindowDraw || !e.ctx) return kQVErrNotHandled;
    auto* p = reinterpret_cast<Progress*>(UIGetWindowRefCon(window));
    UIDrawPicture(e.ctx, kBackgroundPicture, UIMakeRect(0, 0, kWidth, kHeight));
    if (p && !p->text.empty()) {
      const UITextMetrics m = UIMeasureText(kStepFont, p->text.c_str());
      const int32_t top = kHeight - 6 - int32_t(m.ascent + m.descent);
      UISetFillColor(e.ctx, kContent);
      UIFillRect(e.ctx, UIRect{top, 208, kHeight - 6, kWidth - 8});
      UISetFillColor(e.ctx, UIColor{0, 0, 0, 1});
      UIDrawText(e.ctx, kStepFont, p->text.c_str(), kWidth - 8, kHeight - 6 - m.descent, kUIAlignRight);
    }
    return kQVErrNotHandled;
  });
  UIShowWindow(window);
  UIRunOnce(0);
  return window;
}

QVStatus SetProgressStep(UIWindow* window, int32_t step) {
  if (!window || step < 0 || step > 8) return kQVNoErr;
  auto* p = reinterpret_cast<Progress*>(UIGetWindowRefCon(window));
  char text[64];
  if (step == 3) {
    std::snprintf(text, sizeof text, kStepTexts[3], int(VLMPGetProcCount()));
  } else {
    std::snprintf(text, sizeof text, "%s", kStepTexts[step]);
  }
  p->text = text;
  if (step != 0) logprintf("Velmora 3 UI", "progress: %s", text);
  UIInvalidateWindow(window);
  UIRunOnce(0);
  return kQVNoErr;
}

void CloseProgressWindow(UIWindow* window) {
  if (!window) return;
  delete reinterpret_cast<Progress*>(UIGetWindowRefCon(window));
  UIDisposeWindow(window);
}
