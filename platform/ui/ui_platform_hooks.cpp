// Connects the toolkit to the platform base: main-thread calls drain on the
// event loop, input state and displays come from the toolkit, and alerts
// show as toolkit windows.
#include <string>

#include "platform/alerts.h"
#include "platform/input_state.h"
#include "platform/main_thread.h"
#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_services.h"

namespace {

void WakeHook(void*) { TKWakeLoop(); }

uint32_t MouseButtons() { return TKGetMouseButtons(); }
uint32_t Modifiers() { return TKGetModifiers(); }
bool IsFront() { return TKState().keyWindow != nullptr || TKGetBackendKind() == kTKBackendHeadless; }
int Displays(PLDisplayInfo* out, int max) {
  int n = TKDisplayCount();
  for (int i = 0; i < n && i < max; ++i) {
    TKRect r = TKGetDisplayBounds(i);
    out[i] = PLDisplayInfo{r.left, r.top, TKRectWidth(r), TKRectHeight(r), i == TKGetMainDisplay()};
  }
  return n;
}

const PLInputHooks kInputHooks{MouseButtons, Modifiers, IsFront, Displays};

struct AlertCall {
  const PLAlertRequest* request;
  PLAlertAnswer answer;
};

void* ShowOnMain(void* parameter) {
  AlertCall* call = static_cast<AlertCall*>(parameter);
  const PLAlertRequest& r = *call->request;
  bool fatal = r.level == kPLAlertLevelFatal;
  TKAlertRequest desc;
  desc.kind = fatal ? kTKAlertStop : r.kind == kPLAlertError ? kTKAlertNote : kTKAlertCaution;
  desc.title = r.title ? r.title : "";
  desc.message = r.message ? r.message : "";
  desc.detail = r.detail ? r.detail : "";
  desc.defaultButton = r.defaultButton ? r.defaultButton : (fatal ? "Quit" : "OK");
  if (r.kind == kPLAlertConfirm) desc.cancelButton = r.otherButton ? r.otherButton : (fatal ? "Quit" : "Cancel");
  if (r.kind == kPLAlertAlternatives && r.otherButton) desc.cancelButton = r.otherButton;
  call->answer = TKRunAlert(desc) == kTKAlertDefault ? kPLAnswerDefault : kPLAnswerOther;
  return nullptr;
}

// Alerts may be raised on any thread; the windows live on the main thread.
PLAlertAnswer ShowAlert(const PLAlertRequest& request, void*) {
  AlertCall call{&request, kPLAnswerDefault};
  if (PLIsMainThread())
    ShowOnMain(&call);
  else
    PLCallOnMainThread(ShowOnMain, &call);
  return call.answer;
}

const PLAlertSink kAlertSink{ShowAlert, nullptr};

}  // namespace

void TKConnectPlatform() {
  PLSetMainThread();
  PLSetMainThreadWakeHook(WakeHook, nullptr);
  PLSetInputHooks(&kInputHooks);
  PLSetAlertSink(&kAlertSink);
}

void TKDisconnectPlatform() {
  PLSetAlertSink(nullptr);
  PLSetInputHooks(nullptr);
  PLSetMainThreadWakeHook(nullptr, nullptr);
}
