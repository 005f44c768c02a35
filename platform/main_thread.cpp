#include "platform/main_thread.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

struct PostedCall {
  PLMainThreadFunction function;
  void* parameter;
  void* result = nullptr;
  bool done = false;
};

struct CallQueue {
  std::mutex lock;
  std::condition_variable finished;
  std::deque<PostedCall*> posted;
  PLMainThreadWakeHook wake = nullptr;
  void* wakeContext = nullptr;
  std::mutex inlineCalls;  // keeps calls run off the main thread one at a time
  std::thread::id mainThread = std::this_thread::get_id();
};

CallQueue& Queue() {
  static CallQueue queue;
  return queue;
}

// Names the static-initialisation thread the main thread.
const bool kMainThreadRecorded = (Queue(), true);

}  // namespace

void PLSetMainThread() {
  std::lock_guard<std::mutex> g(Queue().lock);
  Queue().mainThread = std::this_thread::get_id();
}

bool PLIsMainThread() {
  (void)kMainThreadRecorded;
  std::lock_guard<std::mutex> g(Queue().lock);
  return Queue().mainThread == std::this_thread::get_id();
}

void* PLCallOnMainThread(PLMainThreadFunction function, void* parameter) {
  if (function == nullptr) return nullptr;
  if (PLIsMainThread()) return function(parameter);
  CallQueue& q = Queue();
  PostedCall call{function, parameter};
  PLMainThreadWakeHook wake;
  void* context;
  {
    std::lock_guard<std::mutex> g(q.lock);
    wake = q.wake;
    context = q.wakeContext;
    if (wake != nullptr) q.posted.push_back(&call);
  }
  if (wake == nullptr) {
    std::lock_guard<std::mutex> g(q.inlineCalls);
    return function(parameter);
  }
  wake(context);
  std::unique_lock<std::mutex> held(q.lock);
  q.finished.wait(held, [&call] { return call.done; });
  return call.result;
}

int PLDrainMainThreadCalls() {
  CallQueue& q = Queue();
  int ran = 0;
  for (;;) {
    PostedCall* call;
    {
      std::lock_guard<std::mutex> g(q.lock);
      if (q.posted.empty()) break;
      call = q.posted.front();
      q.posted.pop_front();
    }
    void* result = call->function(call->parameter);
    {
      std::lock_guard<std::mutex> g(q.lock);
      call->result = result;
      call->done = true;
    }
    q.finished.notify_all();
    ++ran;
  }
  return ran;
}

void PLSetMainThreadWakeHook(PLMainThreadWakeHook hook, void* context) {
  {
    std::lock_guard<std::mutex> g(Queue().lock);
    Queue().wake = hook;
    Queue().wakeContext = context;
  }
  // Calls already posted would otherwise wait for a loop that is gone.
  if (hook == nullptr && PLIsMainThread()) PLDrainMainThreadCalls();
}
