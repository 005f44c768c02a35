// The exchange's events: the application asks for clip frames, for the
// host's video preview to be toggled and for a frame to be colour-managed
// by 'VLae' events carrying the whole block, and the waits that serve them.
#include <chrono>
#include <cstring>
#include <new>

#include "plugin/host_calls.h"
#include "plugin/ui_exchange.h"

namespace {



// The pending bring-to-front of UIH_InvokeUIServerNoWait.
struct FrontTimer {
  PLProcessSerial application = 0;
  double due = 0;
};
FrontTimer gFrontTimer;

double now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The carried block's fields the handlers use, read in native order.
struct CarriedBlock {
  int32_t currentTime, timeStep, height, width, rowBytes;
  uint32_t timeScale;
};

int32_t field32(const std::vector<uint8_t>& data, size_t offset) {
  int32_t v;
  std::memcpy(&v, data.data() + offset, 4);
  return v;
}

// Checks an event before its block is read: a block's size of 'magn', sent
// by the exchange's own application.
QVStatus checkEvent(const PLMessage& m, const UIHExchange* x) {
  if (!x) return kQVErrParam;
  if (x->application && m.senderPID != PLProcessIDOf(x->application)) return kPLErrPermission;
  if (m.type != kPLTypeBytes || m.data.size() < kCCAttachBytes || m.data.size() > kCCHeaderBytes) return kQVErrParam;
  return kQVNoErr;
}

CarriedBlock readCarried(const std::vector<uint8_t>& d) {
  CarriedBlock b;
  b.currentTime = field32(d, CC_OFFSET(currentTime));
  b.timeStep = field32(d, CC_OFFSET(timeStep));
  b.timeScale = uint32_t(field32(d, CC_OFFSET(timeScale)));
  b.height = field32(d, CC_OFFSET(height));
  b.width = field32(d, CC_OFFSET(width));
  b.rowBytes = field32(d, CC_OFFSET(rowBytes));
  return b;
}

uint32_t state(const UIHExchange* x) { return CCGet32(x->view, CC_OFFSET(state)); }

}  // namespace

void VLCB_DisposeFunc(const uint8_t*, void* refcon) { delete static_cast<std::vector<uint8_t>*>(refcon); }

QVStatus AEHandlerGetClipFrame(const PLMessage& message, PLDescriptor* reply, void* refcon) {
  auto* x = static_cast<UIHExchange*>(refcon);
  if (QVStatus s = checkEvent(message, x)) return s;
  const CarriedBlock b = readCarried(message.data);
  // The frame is made at the exchange's own size and timing: a block that
  // names another would have the host allocate and fetch what it says.
  if (b.height != x->height || b.width != x->width || b.rowBytes != x->rowBytes || b.timeStep != x->timeStep ||
      b.timeScale != x->timeScale)
    return kQVErrParam;
  bool made = false;
  std::vector<uint8_t> frame =
      AEGetClipFrame(b.currentTime, b.timeStep, b.timeScale, b.height, b.width, b.rowBytes, x->in, x->globals, &made);
  if (!made) return kQVErrMemory;
  auto* kept = new (std::nothrow) std::vector<uint8_t>(std::move(frame));
  if (!kept) return kQVErrMemory;
  reply->type = kPLTypeBytes;
  reply->data = kept->data();
  reply->size = kept->size();
  reply->release = VLCB_DisposeFunc;
  reply->releaseRef = kept;
  return kQVNoErr;
}

QVStatus AEHandlerToggleVideoPreview(const PLMessage& message, PLDescriptor*, void* refcon) {
  auto* x = static_cast<UIHExchange*>(refcon);
  if (QVStatus s = checkEvent(message, x)) return s;
  const HIBasicSuite* basic = x->globals ? x->globals->basicSuite : nullptr;
  VLSuite suite(basic, kHISuiteAEGPCommand, kHISuiteAEGPCommandVersion);
  if (const auto* commands = suite.get<HICommandSuite1>(); commands && commands->do_command)
    QVIgnoreStatus(commands->do_command(kUIHHostCommandTogglePreview));  // a host without it has no preview to toggle
  return kQVNoErr;
}

// Stays installed between exchanges, so it holds no exchange: it only
// checks that a block came.
QVStatus AEHandlerColorManageFrame(const PLMessage& message, PLDescriptor*, void*) {
  if (message.type != kPLTypeBytes || message.data.size() < kCCAttachBytes || message.data.size() > kCCHeaderBytes)
    return kQVErrParam;
  return kQVNoErr;
}

bool UIH_InstallMessageHandlers(UIHExchange* x) {
  // Installing opens the route; when it cannot be opened, nothing reaches
  // the handlers and the exchange goes on through the block.
  bool open = PLRouteInstallHandler(kUIHEventClass, kUIHEventGetClipFrame, AEHandlerGetClipFrame, x) == kQVNoErr;
  open &= PLRouteInstallHandler(kUIHEventClass, kUIHEventToggleVideoPreview, AEHandlerToggleVideoPreview, x) ==
          kQVNoErr;
  open &= PLRouteInstallHandler(kUIHEventClass, kUIHEventColorManageFrame, AEHandlerColorManageFrame, nullptr) ==
          kQVNoErr;
  return open && PLRouteIsOpen();
}

void UIH_RemoveMessageHandlers() {
  PLRouteRemoveHandler(kUIHEventClass, kUIHEventGetClipFrame);
  PLRouteRemoveHandler(kUIHEventClass, kUIHEventToggleVideoPreview);
}

void UIH_LetOtherAppRun(int32_t ticks, const UIHExchange* x) {
  const double end = now() + ticks / 60.0;
  while (now() < end) {
    if (x) {
      const uint32_t s = state(x);
      if ((s != kCCStatePosted && s != kCCStateWorking) ||
          CCGet32(x->view, CC_OFFSET(frameRequest)) >= kCCRequestFrame) {
        UIH_BackOffReset();
        return;
      }
    }
    UIH_BackOffStep();
  }
}

void UIH_WaitForUIServer(UIHExchange* x) {
  UIH_InstallMessageHandlers(x);  // without a route the application asks through the block, unserved here
  for (;;) {
    const uint32_t s = state(x);
    if (s == kCCStateDone || s == kCCStateFailed) {
      x->outcome = s == kCCStateDone ? kUIHOutcomeDone : kUIHOutcomeFailed;
      break;
    }
    UIH_LetOtherAppRun(44, x);
    if (!PLProcessIsAlive(x->application)) {
      const uint32_t last = state(x);
      if (last == kCCStateDone || last == kCCStateFailed) continue;
      x->outcome = kUIHOutcomeGone;
      break;
    }
  }
  UIH_RemoveMessageHandlers();
  x->application = 0;
}

int32_t UIH_InvokeUIServerNoWait(UIHExchange* x) {
  const PLProcessSerial host = PLCurrentProcessSerial();
  CCSet32(x->view, CC_OFFSET(hostSerial), uint32_t(host));
  CCSet32(x->view, CC_OFFSET(hostSerial) + 4, uint32_t(host >> 32));
  bool alreadyRunning = false;
  const int32_t launch = UIH_LaunchServerIfNeeded(&x->application, &alreadyRunning);
  if (launch == 0 && alreadyRunning) gFrontTimer = {x->application, now() + 0.1};
  return launch;
}

void TimerDoSetFrontTask() {
  if (!gFrontTimer.application || now() < gFrontTimer.due) return;
  // An application that cannot be reached has nothing to bring forward.
  QVIgnoreStatus(PLRouteActivate(gFrontTimer.application));
  gFrontTimer = {};
}
