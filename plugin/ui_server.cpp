// Launching the grading application and serving it while it works on the
// exchange: frame chunks, further clip frames, and the end of the exchange.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/shared_memory.h"
#include "plugin/ui_exchange.h"
#include "support/alerts.h"

namespace {

constexpr const char* kAlertTitle = "Velmora 3 PI";
constexpr double kTick = 1.0 / 60.0;
// The application must take a posted block, and each chunk, within these;
// past them the exchange ends as if it had gone.
constexpr double kTakeBlockSeconds = 60.0;
constexpr double kTakeChunkSeconds = 30.0;

// One process-wide back-off shared by every wait.
struct BackOff {
  double milliseconds = 8;
  int steps = 0;
};
BackOff gBackOff;

double now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string programBesidePlugin() {
  std::string module = PLModulePathOf(reinterpret_cast<const void*>(&UIH_LaunchServerIfNeeded));
  size_t slash = module.rfind('/');
  if (slash == std::string::npos) return {};
  return module.substr(0, slash + 1) + kUIHProgramName;
}

std::string programPath() {
  const char* named = std::getenv(kUIHProgramVariable);
  return named && *named ? std::string(named) : programBesidePlugin();
}

std::string programName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

uint32_t state(const UIHExchange* x) { return CCGet32(x->view, CC_OFFSET(state)); }
uint32_t request(const UIHExchange* x) { return CCGet32(x->view, CC_OFFSET(frameRequest)); }

bool hostAsksToStop(const UIHExchange* x) {
  return x->in && x->in->utils && x->in->utils->abort && x->in->utils->abort(x->in->effect_ref) != kHINoErr;
}

// Waits up to `ticks`, ending early when the application changes the state
// (to anything but 1, 3 or 6, which wait on it), asks for a frame, or the
// host asks the effect to stop.
void waitTicks(const UIHExchange* x, int ticks) {
  const double end = now() + ticks * kTick;
  while (now() < end) {
    const uint32_t s = state(x);
    if ((s != kCCStatePosted && s != kCCStateWorking && s != kCCStateChunkReady) || request(x) >= kCCRequestFrame) {
      UIH_BackOffReset();
      return;
    }
    if (hostAsksToStop(x)) return;
    UIH_BackOffStep();
  }
}

// Copies the next chunk of the frame copy behind the header.
void sendChunk(UIHExchange* x) {
  const size_t bytes = std::min<size_t>({x->chunkSize, x->toSend, x->frame.size() - x->readPosition,
                                         x->view.segmentBytes - kCCFrameDataOffset});
  std::memcpy(x->view.block->frameData, x->frame.data() + x->readPosition, bytes);
  x->readPosition += bytes;
  x->toSend -= bytes;
  CCSet32(x->view, CC_OFFSET(bytesNow), uint32_t(bytes));
  CCSet32(x->view, CC_OFFSET(bytesToSend), uint32_t(x->toSend));
}

void serveFrameRequest(UIHExchange* x) {
  const uint32_t asked = request(x);
  uint32_t answer = kCCAnswerNone;
  if (asked == kCCRequestFrame) {
    x->frame.clear();
    x->frame.shrink_to_fit();
    bool made = false;
    const int32_t time = int32_t(CCGet32(x->view, CC_OFFSET(currentTime)));
    std::vector<uint8_t> frame = AEGetClipFrame(time, x->timeStep, x->timeScale, x->height, x->width,
                                                x->rowBytes, x->in, x->globals, &made);
    if (made) {
      x->frame = std::move(frame);
      x->readPosition = 0;
      x->toSend = x->frame.size();
      sendChunk(x);
      if (x->toSend > 0) CCSet32(x->view, CC_OFFSET(flags), CCGet32(x->view, CC_OFFSET(flags)) | kCCFlagMoreChunks);
      answer = kCCAnswerFrame;
    }
  }
  CCSet32(x->view, CC_OFFSET(frameAnswer), answer);
  CCSet32(x->view, CC_OFFSET(frameRequest), kCCRequestAnswered);
}

}  // namespace

void UIH_BackOffStep() {
  if (++gBackOff.steps >= 5) {
    gBackOff.steps = 0;
    if (gBackOff.milliseconds < 64) gBackOff.milliseconds *= 2;
  }
  // The wait serves the application's events (only sleeping while no route
  // is open) and runs a pending bring-to-front.
  PLRouteServe(gBackOff.milliseconds / 1000.0);
  TimerDoSetFrontTask();
}

void UIH_BackOffReset() {
  gBackOff.milliseconds = 8;
  gBackOff.steps = 0;
}

double UIH_BackOffMilliseconds() { return gBackOff.milliseconds; }

int32_t UIH_LaunchServerIfNeeded(PLProcessSerial* application, bool* alreadyRunning) {
  *application = 0;
  *alreadyRunning = false;
  const std::string path = programPath();
  if (PLProcessSerial running = PLFindProcess(programName(path).c_str(), kCCKeyVariable)) {
    *application = running;
    *alreadyRunning = true;
    return 0;
  }
  PLProcessSerial launched = 0;
  QVStatus status = path.empty() ? kQVErrFileNotFound : PLLaunchProgram(path, {path}, &launched);
  if (status == kQVNoErr) {
    const double end = now() + 6 * kTick;
    while (now() < end) UIH_BackOffStep();
    *application = launched;
    return 0;
  }
  std::string detail = status == kQVErrFileNotFound ? "Could not find \"" + path + "\""
                                                    : std::string("The program could not be started; path was \"") +
                                                          path + "\"";
  QVAlternativesAlert(kAlertTitle, "Unable to Start the Velmora UI Task", detail.c_str(), 1, "OK", nullptr);
  return status;
}

int32_t UIH_InvokeUIServer(UIHExchange* x) {
  const PLProcessSerial host = PLCurrentProcessSerial();
  CCSet32(x->view, CC_OFFSET(hostSerial), uint32_t(host));
  CCSet32(x->view, CC_OFFSET(hostSerial) + 4, uint32_t(host >> 32));
  // Further clip frames travel as events while the route is open, else
  // through the block's request and answer words (served below either way).
  const bool byMessage = UIH_InstallMessageHandlers(x);
  CCSet32(x->view, CC_OFFSET(requestsByMessage), byMessage ? 0xFFFFFFFFu : 0);
  x->outcome = kUIHOutcomeNotStarted;
  bool alreadyRunning = false;
  const int32_t launch = UIH_LaunchServerIfNeeded(&x->application, &alreadyRunning);
  CCSet32(x->view, CC_OFFSET(requestTimestamp), 0);
  CCSet32(x->view, CC_OFFSET(requestTimestamp) + 4, 0);
  if (launch != 0) {
    UIH_RemoveMessageHandlers();
    return launch;
  }

  UIH_BackOffReset();
  const double postedDeadline = now() + kTakeBlockSeconds;
  double chunkDeadline = 0;
  for (;;) {
    const uint32_t s = state(x);
    if (s == kCCStateDone || s == kCCStateFailed) {
      x->outcome = s == kCCStateDone ? kUIHOutcomeDone : kUIHOutcomeFailed;
      break;
    }
    if (hostAsksToStop(x)) {
      x->outcome = kUIHOutcomeInterrupted;
      break;
    }
    waitTicks(x, x->toSend > 0 ? 4 : 44);
    if (!PLProcessIsAlive(x->application)) {
      // It may have said it was done just before it ended.
      const uint32_t last = state(x);
      if (last == kCCStateDone || last == kCCStateFailed) continue;
      // An application found running but ending before it took the block
      // (it was quitting) is replaced once by a new one.
      if (!alreadyRunning || last != kCCStatePosted) {
        // An interrupt reaches the application too (one terminal, one group).
        x->outcome = hostAsksToStop(x) ? kUIHOutcomeInterrupted : kUIHOutcomeGone;
        break;
      }
      alreadyRunning = false;
      const std::string path = programPath();
      if (PLLaunchProgram(path, {path}, &x->application) != kQVNoErr) {
        x->outcome = kUIHOutcomeGone;
        break;
      }
      continue;
    }
    const uint32_t seen = state(x);
    if ((seen == kCCStatePosted && now() > postedDeadline) || (seen == kCCStateChunkReady && now() > chunkDeadline)) {
      x->outcome = kUIHOutcomeNoAnswer;
      break;
    }
    if (seen == kCCStateWantChunk) {
      if (x->toSend == 0) {
        CCSet32(x->view, CC_OFFSET(state), kCCStateWorking);
      } else {
        sendChunk(x);
        CCSet32(x->view, CC_OFFSET(state), kCCStateChunkReady);
        chunkDeadline = now() + kTakeChunkSeconds;
      }
    }
    if (request(x) >= kCCRequestFrame) serveFrameRequest(x);
  }
  UIH_RemoveMessageHandlers();
  x->frame.clear();
  x->frame.shrink_to_fit();
  return 0;
}
