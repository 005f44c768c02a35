// The application's events from other programs of ours: they arrive on its
// message route, which the exchange timer serves on every tick.
#include "app/shell/host_link.h"
#include "app/state/service_hooks.h"
#include "app/state/ui_state.h"
#include "platform/message_route.h"

namespace {

// Another program brings the application forward: the main window shows
// while an exchange is attached (between exchanges it stays hidden).
QVStatus activate(const PLMessage&, PLDescriptor*, void*) {
  if (gUIComm.block) UIHooks().showMainWindow(true);
  return kQVNoErr;
}

}  // namespace

void UIInstallEventHandlers() {
  // Without a route the application still works; only other programs'
  // events do not reach it.
  QVIgnoreStatus(PLRouteInstallHandler(kPLEventClassProcess, kPLEventActivate, activate, nullptr));
}

void UIServeEvents() { PLRouteServe(0); }
