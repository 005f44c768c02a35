// Scripted answers for the toolkit's dialogs, and what the dialogs share.
#include <cmath>

#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_headless.h"
#include "platform/ui/ui_internal.h"

void UIQueueDialogAnswer(const UIDialogAnswer& answer) { UIState().dialogAnswers.push_back(answer); }

void UIClearDialogScript() {
  UIToolkitState& st = UIState();
  st.dialogAnswers.clear();
  st.dialogRequests.clear();
}

std::vector<UIDialogRequest> UIScriptedDialogRequests() { return UIState().dialogRequests; }

bool UITakeScriptedAnswer(const UIDialogRequest& request, UIDialogAnswer* answer) {
  UIToolkitState& st = UIState();
  if (st.dialogAnswers.empty()) return false;
  *answer = st.dialogAnswers.front();
  st.dialogAnswers.pop_front();
  st.dialogRequests.push_back(request);
  return true;
}

namespace {
bool (*gScriptedInputPending)() = nullptr;
}  // namespace

void UISetScriptedInputPending(bool (*pending)()) { gScriptedInputPending = pending; }

bool UINoInputCanArrive() {
  UIBackend* backend = UIBackendPtr();
  return !backend || (backend->Kind() == kUIBackendHeadless && std::isinf(backend->NextInputTime()) &&
                      UIState().input.empty() && !(gScriptedInputPending && gScriptedInputPending()));
}

std::vector<UIControl*> UIAddDialogButtons(UIWindow* w, const std::vector<std::pair<std::string, uint32_t>>& buttons) {
  std::vector<UIControl*> made;
  UIRect content = UIGetWindowContentRect(w);
  int32_t right = content.right - 16;
  int32_t top = content.bottom - 16 - 26;
  for (const auto& [title, command] : buttons) {
    int32_t width = std::max(84, int32_t(UIMeasureText(UISystemFont(), title.c_str()).width) + 28);
    made.push_back(UINewPushButton(w, UIMakeRect(right - width, top, width, 26), title.c_str(), command));
    right -= width + 10;
  }
  return made;
}
