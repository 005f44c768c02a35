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

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

// The loop's doorway for other threads and signal handlers: calls posted for
// the main thread, the self-pipe that wakes a waiting loop and the quit
// request. It outlives every toolkit start, since those callers never wait
// for start or shutdown; the pipe is made once and never closed, so a
// signal handler always writes to a valid descriptor.
struct LoopDoor {
  std::mutex lock;
  std::vector<std::function<void()>> posted;
  std::atomic<bool> quitRequested{false};
  std::once_flag pipeOnce;
  int wakePipe[2] = {-1, -1};
};
constinit LoopDoor gDoor;

void EnsureWakePipe() {
  std::call_once(gDoor.pipeOnce, [] {
    if (pipe(gDoor.wakePipe) == 0) {
      for (int fd : gDoor.wakePipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
      }
    }
  });
}

void DrainWakePipe() {
  char buf[64];
  while (gDoor.wakePipe[0] >= 0 && read(gDoor.wakePipe[0], buf, sizeof buf) > 0) {
  }
}

double RealNow() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void RunPosted() {
  std::vector<std::function<void()>> calls;
  {
    std::lock_guard<std::mutex> guard(gDoor.lock);
    calls.swap(gDoor.posted);
  }
  if (!calls.empty()) UIState().didWork = true;
  for (auto& fn : calls) fn();
}

bool HasPosted() {
  std::lock_guard<std::mutex> guard(gDoor.lock);
  return !gDoor.posted.empty();
}

template <typename T>
void EraseRemoved(std::vector<std::unique_ptr<T>>& v) {
  std::erase_if(v, [](const std::unique_ptr<T>& p) { return p->removed; });
}

void PurgeRemoved() {
  UIToolkitState& st = UIState();
  if (st.firingDepth > 0) return;
  EraseRemoved(st.timers);
  EraseRemoved(st.watches);
}

// Marks a timer or watch removed; it is freed once no proc is running.
template <typename T>
void Retire(T* item) {
  if (!item) return;
  item->removed = true;
  item->proc = nullptr;
  PurgeRemoved();
}

double NextTimerTime() {
  double next = kNever;
  for (auto& t : UIState().timers)
    if (!t->removed) next = std::min(next, t->next);
  return next;
}

// Fires every timer due by now, earliest first; a repeating timer that fell
// behind fires once and is rescheduled from now.
void FireTimers() {
  UIToolkitState& st = UIState();
  ++st.firingDepth;
  for (;;) {
    double now = UINow();
    UITimer* due = nullptr;
    for (auto& t : st.timers) {
      if (t->removed || t->next > now) continue;
      if (!due || t->next < due->next || (t->next == due->next && t->order < due->order)) due = t.get();
    }
    if (!due) break;
    if (due->interval > 0) {
      due->next += due->interval;
      if (due->next <= now) due->next = now + due->interval;
    } else {
      due->removed = true;
    }
    st.didWork = true;
    UITimerProc proc = due->proc;  // the proc may remove its own timer
    if (proc) proc(due);
  }
  --st.firingDepth;
  PurgeRemoved();
}

// Polls the wake pipe and the watches for up to waitSeconds; runs ready watches.
void PollFDs(double waitSeconds) {
  EnsureWakePipe();
  UIToolkitState& st = UIState();
  std::vector<pollfd> fds;
  std::vector<UIWatch*> owners;
  if (gDoor.wakePipe[0] >= 0) {
    fds.push_back(pollfd{gDoor.wakePipe[0], POLLIN, 0});
    owners.push_back(nullptr);
  }
  for (auto& owned : st.watches) {
    UIWatch* w = owned.get();
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
  ++st.firingDepth;
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
    st.didWork = true;
    if (proc) proc(w->fd, ready);
  }
  --st.firingDepth;
  PurgeRemoved();
}

}  // namespace

double UINow() {
  const UIToolkitState& st = UIState();
  return st.fakeClock ? st.fakeNow : RealNow();
}

void UIUseFakeClock(bool fake) {
  UIToolkitState& st = UIState();
  st.fakeClock = fake;
  st.fakeNow = 0;
}
bool UIClockIsFake() { return UIState().fakeClock; }

void UIAdvanceClock(double seconds) {
  UIToolkitState& st = UIState();
  if (!st.fakeClock || seconds < 0) return;
  double end = st.fakeNow + seconds;
  // Fire in order so each timer sees the clock at its own due time.
  for (;;) {
    double next = NextTimerTime();
    if (next > end) break;
    st.fakeNow = std::max(st.fakeNow, next);
    FireTimers();
  }
  st.fakeNow = end;
  FireTimers();
}

UITimer* UIInstallTimer(double firstDelay, double interval, UITimerProc proc) {
  UIToolkitState& st = UIState();
  auto t = std::make_unique<UITimer>();
  t->next = UINow() + std::max(0.0, firstDelay);
  t->interval = std::max(0.0, interval);
  t->proc = std::move(proc);
  t->order = ++st.lastTimerOrder;
  st.timers.push_back(std::move(t));
  return st.timers.back().get();
}

void UIRemoveTimer(UITimer* timer) { Retire(timer); }

void UISetTimerNextFire(UITimer* timer, double delay) {
  if (timer && !timer->removed) timer->next = UINow() + std::max(0.0, delay);
}

UIWatch* UIWatchFD(int fd, uint32_t events, UIWatchProc proc) {
  if (fd < 0 || !proc) return nullptr;
  UIToolkitState& st = UIState();
  auto w = std::make_unique<UIWatch>();
  w->fd = fd;
  w->events = events;
  w->proc = std::move(proc);
  st.watches.push_back(std::move(w));
  return st.watches.back().get();
}

void UIRemoveWatch(UIWatch* watch) { Retire(watch); }

void UIWakeLoop() {
  EnsureWakePipe();
  if (gDoor.wakePipe[1] >= 0) {
    char c = 1;
    ssize_t r = write(gDoor.wakePipe[1], &c, 1);
    (void)r;  // a full pipe already wakes the loop
  }
}

void UIPostCall(std::function<void()> fn) {
  if (!fn) return;
  {
    std::lock_guard<std::mutex> guard(gDoor.lock);
    gDoor.posted.push_back(std::move(fn));
  }
  UIWakeLoop();
}

void UIRequestQuit() {
  gDoor.quitRequested = true;
  UIWakeLoop();
}
bool UIQuitRequested() { return gDoor.quitRequested; }
void UIClearQuitRequest() { gDoor.quitRequested = false; }

void UIServiceOnce() {
  if (PLDrainMainThreadCalls() > 0) UIState().didWork = true;
  RunPosted();
  FireTimers();
  PollFDs(0);
  RunPosted();
}

bool UIWaitAndService(double deadline) {
  UIToolkitState& st = UIState();
  UIBackend* backend = UIBackendPtr();
  for (;;) {
    st.didWork = false;
    UIServiceOnce();
    if (backend) backend->Pump(st.input);
    // Return after any work so callers can look at what it changed.
    if (!st.input.empty() || st.quitLoop || UIQuitRequested() || st.didWork) return !st.input.empty();
    double now = UINow();
    if (now >= deadline) return false;
    double until = std::min(deadline, NextTimerTime());
    if (backend) until = std::min(until, backend->NextInputTime());
    if (st.fakeClock) {
      // Nothing real to wait for: let a moment pass for other threads, then
      // jump the clock to the next thing that happens.
      if (HasPosted()) continue;
      PollFDs(0);
      if (until > now && until != kNever) st.fakeNow = until;
      else if (until == kNever) st.fakeNow = deadline;
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

namespace {

// Runs turns of the loop until `more` says no, UIQuitLoop or a quit request.
void RunWhile(const std::function<bool()>& more, const std::function<double()>& maxWait) {
  UIState().quitLoop = false;
  while (!UIState().quitLoop && !UIQuitRequested() && more()) UIRunOnce(maxWait());
  UIState().quitLoop = false;
}

}  // namespace

void UIRunFor(double seconds) {
  double end = UINow() + std::max(0.0, seconds);
  RunWhile([&] { return UINow() < end; }, [&] { return end - UINow(); });
}

bool UIRunUntil(const std::function<bool()>& pred, double timeoutSeconds) {
  double end = UINow() + std::max(0.0, timeoutSeconds);
  RunWhile([&] { return !pred() && UINow() < end; }, [&] { return std::min(end - UINow(), 0.05); });
  return pred();
}

void UIRunLoop() {
  RunWhile([] { return true; }, [] { return 1.0; });
}

void UIQuitLoop() {
  UIState().quitLoop = true;
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

void UIResetLoopDoor() {
  {
    std::lock_guard<std::mutex> guard(gDoor.lock);
    gDoor.posted.clear();
  }
  gDoor.quitRequested = false;
  DrainWakePipe();
}
