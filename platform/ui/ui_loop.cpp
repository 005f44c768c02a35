// The event loop: clock, timers, watches, posted calls and the waits between.
#include "platform/ui/ui_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>
#include <vector>

#include "platform/main_thread.h"
#include "platform/ui/ui_internal.h"

struct UITimer {
  double next = 0;
  double interval = 0;
  UITimerProc proc;
  bool removed = false;
  uint64_t order = 0;
};

struct UIWatch {
  int fd = -1;
  uint32_t events = 0;
  UIWatchProc proc;
  bool removed = false;
};

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

bool gFakeClock = false;
double gFakeNow = 0;
std::vector<UITimer*> gTimers;
std::vector<UIWatch*> gWatches;
uint64_t gTimerOrder = 0;
int gFiringDepth = 0;
std::atomic<bool> gQuitLoop{false};
std::atomic<bool> gQuitRequested{false};

std::mutex gPostLock;
std::vector<std::function<void()>> gPosted;

// The self-pipe that wakes a waiting loop from other threads and signal handlers.
int gWakePipe[2] = {-1, -1};
void EnsureWakePipe() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (pipe(gWakePipe) == 0) {
      for (int fd : gWakePipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
      }
    }
  });
}

void DrainWakePipe() {
  char buf[64];
  while (gWakePipe[0] >= 0 && read(gWakePipe[0], buf, sizeof buf) > 0) {
  }
}

double RealNow() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool gDidWork = false;

void RunPosted() {
  std::vector<std::function<void()>> calls;
  {
    std::lock_guard<std::mutex> guard(gPostLock);
    calls.swap(gPosted);
  }
  if (!calls.empty()) gDidWork = true;
  for (auto& fn : calls) fn();
}

bool HasPosted() {
  std::lock_guard<std::mutex> guard(gPostLock);
  return !gPosted.empty();
}

void PurgeRemoved() {
  if (gFiringDepth > 0) return;
  for (auto it = gTimers.begin(); it != gTimers.end();) {
    if ((*it)->removed) {
      delete *it;
      it = gTimers.erase(it);
    } else {
      ++it;
    }
  }
  for (auto it = gWatches.begin(); it != gWatches.end();) {
    if ((*it)->removed) {
      delete *it;
      it = gWatches.erase(it);
    } else {
      ++it;
    }
  }
}

double NextTimerTime() {
  double next = kNever;
  for (UITimer* t : gTimers)
    if (!t->removed) next = std::min(next, t->next);
  return next;
}

// Fires every timer due by now, earliest first; a repeating timer that fell
// behind fires once and is rescheduled from now.
void FireTimers() {
  ++gFiringDepth;
  for (;;) {
    double now = UINow();
    UITimer* due = nullptr;
    for (UITimer* t : gTimers) {
      if (t->removed || t->next > now) continue;
      if (!due || t->next < due->next || (t->next == due->next && t->order < due->order)) due = t;
    }
    if (!due) break;
    if (due->interval > 0) {
      due->next += due->interval;
      if (due->next <= now) due->next = now + due->interval;
    } else {
      due->removed = true;
    }
    gDidWork = true;
    UITimerProc proc = due->proc;  // the proc may remove its own timer
    if (proc) proc(due);
  }
  --gFiringDepth;
  PurgeRemoved();
}

// Polls the wake pipe and the watches for up to waitSeconds; runs ready watches.
void PollFDs(double waitSeconds) {
  EnsureWakePipe();
  std::vector<pollfd> fds;
  std::vector<UIWatch*> owners;
  if (gWakePipe[0] >= 0) {
    fds.push_back(pollfd{gWakePipe[0], POLLIN, 0});
    owners.push_back(nullptr);
  }
  for (UIWatch* w : gWatches) {
    if (w->removed) continue;
    short ev = 0;
    if (w->events & kUIWatchRead) ev |= POLLIN;
    if (w->events & kUIWatchWrite) ev |= POLLOUT;
    fds.push_back(pollfd{w->fd, ev, 0});
    owners.push_back(w);
  }
  int timeoutMs = waitSeconds <= 0 ? 0 : int(std::min(waitSeconds * 1000.0 + 0.999, 60000.0));
  int n = poll(fds.data(), fds.size(), timeoutMs);
  if (n <= 0) return;
  ++gFiringDepth;
  for (size_t i = 0; i < fds.size(); ++i) {
    if (!fds[i].revents) continue;
    if (!owners[i]) {
      DrainWakePipe();
      continue;
    }
    UIWatch* w = owners[i];
    if (w->removed) continue;
    uint32_t ready = 0;
    if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) ready |= kUIWatchRead;
    if (fds[i].revents & POLLOUT) ready |= kUIWatchWrite;
    UIWatchProc proc = w->proc;
    gDidWork = true;
    if (proc) proc(w->fd, ready);
  }
  --gFiringDepth;
  PurgeRemoved();
}

}  // namespace

double UINow() { return gFakeClock ? gFakeNow : RealNow(); }
void UIUseFakeClock(bool fake) {
  gFakeClock = fake;
  gFakeNow = 0;
}
bool UIClockIsFake() { return gFakeClock; }

void UIAdvanceClock(double seconds) {
  if (!gFakeClock || seconds < 0) return;
  double end = gFakeNow + seconds;
  // Fire in order so each timer sees the clock at its own due time.
  for (;;) {
    double next = NextTimerTime();
    if (next > end) break;
    gFakeNow = std::max(gFakeNow, next);
    FireTimers();
  }
  gFakeNow = end;
  FireTimers();
}

UITimer* UIInstallTimer(double firstDelay, double interval, UITimerProc proc) {
  UITimer* t = new UITimer;
  t->next = UINow() + std::max(0.0, firstDelay);
  t->interval = std::max(0.0, interval);
  t->proc = std::move(proc);
  t->order = ++gTimerOrder;
  gTimers.push_back(t);
  return t;
}

void UIRemoveTimer(UITimer* timer) {
  if (!timer) return;
  timer->removed = true;
  timer->proc = nullptr;
  PurgeRemoved();
}

void UISetTimerNextFire(UITimer* timer, double delay) {
  if (timer && !timer->removed) timer->next = UINow() + std::max(0.0, delay);
}

UIWatch* UIWatchFD(int fd, uint32_t events, UIWatchProc proc) {
  if (fd < 0 || !proc) return nullptr;
  UIWatch* w = new UIWatch;
  w->fd = fd;
  w->events = events;
  w->proc = std::move(proc);
  gWatches.push_back(w);
  return w;
}

void UIRemoveWatch(UIWatch* watch) {
  if (!watch) return;
  watch->removed = true;
  watch->proc = nullptr;
  PurgeRemoved();
}

void UIWakeLoop() {
  EnsureWakePipe();
  if (gWakePipe[1] >= 0) {
    char c = 1;
    ssize_t r = write(gWakePipe[1], &c, 1);
    (void)r;  // a full pipe already wakes the loop
  }
}

void UIPostCall(std::function<void()> fn) {
  if (!fn) return;
  {
    std::lock_guard<std::mutex> guard(gPostLock);
    gPosted.push_back(std::move(fn));
  }
  UIWakeLoop();
}

void UIRequestQuit() {
  gQuitRequested = true;
  UIWakeLoop();
}
bool UIQuitRequested() { return gQuitRequested; }
void UIClearQuitRequest() { gQuitRequested = false; }

void UIServiceOnce() {
  if (PLDrainMainThreadCalls() > 0) gDidWork = true;
  RunPosted();
  FireTimers();
  PollFDs(0);
  RunPosted();
}

bool UIWaitAndService(double deadline) {
  UIToolkitState& st = UIState();
  UIBackend* backend = UIBackendPtr();
  for (;;) {
    gDidWork = false;
    UIServiceOnce();
    if (backend) backend->Pump(st.input);
    // Return after any work so callers can look at what it changed.
    if (!st.input.empty() || gQuitLoop || gQuitRequested || gDidWork) return !st.input.empty();
    double now = UINow();
    if (now >= deadline) return false;
    double until = std::min(deadline, NextTimerTime());
    if (backend) until = std::min(until, backend->NextInputTime());
    if (gFakeClock) {
      // Nothing real to wait for: let a moment pass for other threads, then
      // jump the clock to the next thing that happens.
      if (HasPosted()) continue;
      PollFDs(0);
      if (until > now && until != kNever) gFakeNow = until;
      else if (until == kNever) gFakeNow = deadline;
      continue;
    }
    double wait = until - now;
    if (backend) wait = std::min(wait, backend->MaxBlock());
    PollFDs(std::max(0.0, wait));
  }
}

void UIRunOnce(double maxWait) {
  UIToolkitState& st = UIState();
  UIWaitAndService(UINow() + std::max(0.0, maxWait));
  while (!st.input.empty()) {
    UIEvent e = st.input.front();
    st.input.pop_front();
    UIDispatchInput(e);
  }
  UIRedrawInvalidWindows();
}

void UIRunFor(double seconds) {
  double end = UINow() + std::max(0.0, seconds);
  gQuitLoop = false;
  while (!gQuitLoop && !gQuitRequested && UINow() < end) UIRunOnce(end - UINow());
  gQuitLoop = false;
}

bool UIRunUntil(const std::function<bool()>& pred, double timeoutSeconds) {
  double end = UINow() + std::max(0.0, timeoutSeconds);
  gQuitLoop = false;
  while (!pred() && !gQuitLoop && !gQuitRequested && UINow() < end) UIRunOnce(std::min(end - UINow(), 0.05));
  gQuitLoop = false;
  return pred();
}

void UIRunLoop() {
  gQuitLoop = false;
  while (!gQuitLoop && !gQuitRequested) UIRunOnce(1.0);
  gQuitLoop = false;
}

void UIQuitLoop() {
  gQuitLoop = true;
  UIWakeLoop();
}

void UIRunPending() {
  UIToolkitState& st = UIState();
  UIServiceOnce();
  if (UIBackendPtr()) UIBackendPtr()->Pump(st.input);
  while (!st.input.empty()) {
    UIEvent e = st.input.front();
    st.input.pop_front();
    UIDispatchInput(e);
    UIServiceOnce();
    if (UIBackendPtr()) UIBackendPtr()->Pump(st.input);
  }
}

void UIResetLoop() {
  for (UITimer* t : gTimers) t->removed = true;
  for (UIWatch* w : gWatches) w->removed = true;
  PurgeRemoved();
  {
    std::lock_guard<std::mutex> guard(gPostLock);
    gPosted.clear();
  }
  gQuitLoop = false;
  gQuitRequested = false;
}
