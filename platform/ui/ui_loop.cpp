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
  if (!calls.empty()) TKState().didWork = true;
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
  TKToolkitState& st = TKState();
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
  for (auto& t : TKState().timers)
    if (!t->removed) next = std::min(next, t->next);
  return next;
}

// Fires every timer due by the time the pass starts, earliest first; a
// repeating timer that fell behind fires once and is rescheduled from then.
// The time is read once: a timer whose procs take longer than its interval
// would otherwise be due again at once, forever, and the loop around would
// never see a quit. A fired timer is next due after the pass's start, and a
// pass nested in a proc (a modal loop) starts later still, so what either
// fired is not fired again by this one.
void FireTimers() {
  TKToolkitState& st = TKState();
  ++st.firingDepth;
  const double now = TKNow();
  for (;;) {
    TKTimer* due = nullptr;
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
    TKTimerProc proc = due->proc;  // the proc may remove its own timer
    if (proc) proc(due);
  }
  --st.firingDepth;
  PurgeRemoved();
}

// Polls the wake pipe and the watches for up to waitSeconds; runs ready watches.
void PollFDs(double waitSeconds) {
  EnsureWakePipe();
  TKToolkitState& st = TKState();
  std::vector<pollfd> fds;
  std::vector<TKWatch*> owners;
  if (gDoor.wakePipe[0] >= 0) {
    fds.push_back(pollfd{gDoor.wakePipe[0], POLLIN, 0});
    owners.push_back(nullptr);
  }
  for (auto& owned : st.watches) {
    TKWatch* w = owned.get();
    if (w->removed) continue;
    short ev = 0;
    if (w->events & kTKWatchRead) ev |= POLLIN;
    if (w->events & kTKWatchWrite) ev |= POLLOUT;
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
    TKWatch* w = owners[i];
    if (w->removed) continue;
    uint32_t ready = 0;
    if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) ready |= kTKWatchRead;
    if (fds[i].revents & POLLOUT) ready |= kTKWatchWrite;
    TKWatchProc proc = w->proc;
    st.didWork = true;
    if (proc) proc(w->fd, ready);
  }
  --st.firingDepth;
  PurgeRemoved();
}

}  // namespace

double TKNow() {
  const TKToolkitState& st = TKState();
  return st.fakeClock ? st.fakeNow : RealNow();
}

void TKUseFakeClock(bool fake) {
  TKToolkitState& st = TKState();
  st.fakeClock = fake;
  st.fakeNow = 0;
}
bool TKClockIsFake() { return TKState().fakeClock; }

void TKAdvanceClock(double seconds) {
  TKToolkitState& st = TKState();
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

TKTimer* TKInstallTimer(double firstDelay, double interval, TKTimerProc proc) {
  TKToolkitState& st = TKState();
  auto t = std::make_unique<TKTimer>();
  t->next = TKNow() + std::max(0.0, firstDelay);
  t->interval = std::max(0.0, interval);
  t->proc = std::move(proc);
  t->order = ++st.lastTimerOrder;
  st.timers.push_back(std::move(t));
  return st.timers.back().get();
}

void TKRemoveTimer(TKTimer* timer) { Retire(timer); }

void TKSetTimerNextFire(TKTimer* timer, double delay) {
  if (timer && !timer->removed) timer->next = TKNow() + std::max(0.0, delay);
}

TKWatch* TKWatchFD(int fd, uint32_t events, TKWatchProc proc) {
  if (fd < 0 || !proc) return nullptr;
  TKToolkitState& st = TKState();
  auto w = std::make_unique<TKWatch>();
  w->fd = fd;
  w->events = events;
  w->proc = std::move(proc);
  st.watches.push_back(std::move(w));
  return st.watches.back().get();
}

void TKRemoveWatch(TKWatch* watch) { Retire(watch); }

void TKWakeLoop() {
  EnsureWakePipe();
  if (gDoor.wakePipe[1] >= 0) {
    char c = 1;
    ssize_t r = write(gDoor.wakePipe[1], &c, 1);
    (void)r;  // a full pipe already wakes the loop
  }
}

void TKPostCall(std::function<void()> fn) {
  if (!fn) return;
  {
    std::lock_guard<std::mutex> guard(gDoor.lock);
    gDoor.posted.push_back(std::move(fn));
  }
  TKWakeLoop();
}

void TKRequestQuit() {
  gDoor.quitRequested = true;
  TKWakeLoop();
}
bool TKQuitRequested() { return gDoor.quitRequested; }
void TKClearQuitRequest() { gDoor.quitRequested = false; }

void TKServiceOnce() {
  if (PLDrainMainThreadCalls() > 0) TKState().didWork = true;
  RunPosted();
  FireTimers();
  PollFDs(0);
  RunPosted();
}

bool TKWaitAndService(double deadline) {
  TKToolkitState& st = TKState();
  TKBackend* backend = TKBackendPtr();
  for (;;) {
    st.didWork = false;
    TKServiceOnce();
    if (backend) backend->Pump(st.input);
    // Return after any work so callers can look at what it changed.
    if (!st.input.empty() || st.quitLoop || TKQuitRequested() || st.didWork) return !st.input.empty();
    double now = TKNow();
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

void TKRunOnce(double maxWait) {
  TKToolkitState& st = TKState();
  TKWaitAndService(TKNow() + std::max(0.0, maxWait));
  while (!st.input.empty()) {
    TKEvent e = st.input.front();
    st.input.pop_front();
    TKDispatchInput(e);
  }
  TKRedrawInvalidWindows();
}

namespace {

// Runs turns of the loop until `more` says no, TKQuitLoop or a quit request.
void RunWhile(const std::function<bool()>& more, const std::function<double()>& maxWait) {
  TKState().quitLoop = false;
  while (!TKState().quitLoop && !TKQuitRequested() && more()) TKRunOnce(maxWait());
  TKState().quitLoop = false;
}

}  // namespace

void TKRunFor(double seconds) {
  double end = TKNow() + std::max(0.0, seconds);
  RunWhile([&] { return TKNow() < end; }, [&] { return end - TKNow(); });
}

bool TKRunUntil(const std::function<bool()>& pred, double timeoutSeconds) {
  double end = TKNow() + std::max(0.0, timeoutSeconds);
  RunWhile([&] { return !pred() && TKNow() < end; }, [&] { return std::min(end - TKNow(), 0.05); });
  return pred();
}

void TKRunLoop() {
  RunWhile([] { return true; }, [] { return 1.0; });
}

void TKQuitLoop() {
  TKState().quitLoop = true;
  TKWakeLoop();
}

void TKRunPending() {
  TKToolkitState& st = TKState();
  TKServiceOnce();
  if (TKBackendPtr()) TKBackendPtr()->Pump(st.input);
  while (!st.input.empty()) {
    TKEvent e = st.input.front();
    st.input.pop_front();
    TKDispatchInput(e);
    TKServiceOnce();
    if (TKBackendPtr()) TKBackendPtr()->Pump(st.input);
  }
}

void TKResetLoopDoor() {
  {
    std::lock_guard<std::mutex> guard(gDoor.lock);
    gDoor.posted.clear();
  }
  gDoor.quitRequested = false;
  DrainWakePipe();
}
