// Scripted answers for the toolkit's dialogs, and what the dialogs share.
#include <cmath>

#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_headless.h"
#include "platform/ui/ui_internal.h"

void TKQueueDialogAnswer(const TKDialogAnswer& answer) { TKState().dialogAnswers.push_back(answer); }

void TKClearDialogScript() {
  TKToolkitState& st = TKState();
  st.dialogAnswers.clear();
  st.dialogRequests.clear();
}

std::vector<TKDialogRequest> TKScriptedDialogRequests() { return TKState().dialogRequests; }

bool TKTakeScriptedAnswer(const TKDialogRequest& request, TKDialogAnswer* answer) {
  TKToolkitState& st = TKState();
  if (st.dialogAnswers.empty()) return false;
  *answer = st.dialogAnswers.front();
  st.dialogAnswers.pop_front();
  st.dialogRequests.push_back(request);
  return true;
}

namespace {
bool (*gScriptedInputPending)() = nullptr;
}  // namespace

void TKSetScriptedInputPending(bool (*pending)()) { gScriptedInputPending = pending; }

bool TKNoInputCanArrive() {
  TKBackend* backend = TKBackendPtr();
  return !backend || (backend->Kind() == kTKBackendHeadless && std::isinf(backend->NextInputTime()) &&
                      TKState().input.empty() && !(gScriptedInputPending && gScriptedInputPending()));
}

std::vector<TKControl*> TKAddDialogButtons(TKWindow* w, const std::vector<std::pair<std::string, uint32_t>>& buttons) {
  std::vector<TKControl*> made;
  TKRect content = TKGetWindowContentRect(w);
  int32_t right = content.right - 16;
  int32_t top = content.bottom - 16 - 26;
  for (const auto& [title, command] : buttons) {
    int32_t width = std::max(84, int32_t(TKMeasureText(TKSystemFont(), title.c_str()).width) + 28);
    made.push_back(TKNewPushButton(w, TKMakeRect(right - width, top, width, 26), title.c_str(), command));
    right -= width + 10;
  }
  return made;
}
