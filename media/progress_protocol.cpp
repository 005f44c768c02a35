// Progress events: a locked queue of posted events, drained on the main
// thread, and the table of 50 window slots. A slot is 0 when free, all ones
// while reserved for a window being made, else the view's window handle.

#include "media/progress_protocol.h"

#include <cstring>
#include <deque>
#include <mutex>
#include <new>

namespace {

void* const kReserved = reinterpret_cast<void*>(~uintptr_t(0));

struct Slot {
  void* window = nullptr;
  int32_t* cancelWord = nullptr;
  int16_t value = 0;
};

struct ProgressState {
  std::mutex slotLock;  // the slot table
  Slot slots[kQVProgressSlotCount];
  std::mutex queueLock;  // the posted events
  std::deque<QVProgressEvent> queue;
  std::mutex hookLock;
  QVProgressWakeHook wake = nullptr;
  void* wakeContext = nullptr;
  QVProgressView view{};
  bool hasView = false;
};

ProgressState& State() {
  static ProgressState* state = new ProgressState;  // lives to the end; tasks may post late
  return *state;
}

// Copies at most 200 bytes of UTF-8, never cutting a character in two.
void CopyText(char* to, const char* from) {
  size_t n = from ? std::strlen(from) : 0;
  if (n > kQVProgressTextBytes) {
    n = kQVProgressTextBytes;
    while (n > 0 && (static_cast<unsigned char>(from[n]) & 0xC0) == 0x80) --n;
  }
  if (n) std::memcpy(to, from, n);
  to[n] = 0;
}

QVStatus Post(const QVProgressEvent& event) {
  ProgressState& s = State();
  try {
    std::lock_guard<std::mutex> hold(s.queueLock);
    s.queue.push_back(event);
  } catch (const std::bad_alloc&) {
    return kQVErrMemory;
  }
  QVProgressWakeHook wake;
  void* context;
  {
    std::lock_guard<std::mutex> hold(s.hookLock);
    wake = s.wake;
    context = s.wakeContext;
  }
  if (wake) wake(context);
  return kQVNoErr;
}

QVProgressEvent NewEvent(uint32_t kind, uint32_t id) {
  QVProgressEvent e{};
  e.eventClass = kQVProgressEventClass;
  e.kind = kind;
  e.id = id;
  return e;
}

bool ValidId(uint32_t id) { return id >= 1 && id < kQVProgressSlotCount; }

const QVProgressView* View() {
  ProgressState& s = State();
  return s.hasView ? &s.view : nullptr;
}

void DispatchPending() {
  if (const QVProgressView* v = View(); v && v->dispatchPending) v->dispatchPending(v->context);
}

void HandleCreate(const QVProgressEvent& e) {
  ProgressState& s = State();
  QVProgressWindowSetup setup{};
  setup.id = e.id;
  setup.title = e.title;
  setup.message = e.message;
  setup.layout = QVProgressComputeLayout(e.width, e.showCancel);
  setup.indeterminate = e.maximum == kQVProgressIndeterminate;
  setup.maximum = setup.indeterminate ? 0 : int32_t(e.maximum > 0x7FFFFFFFu ? 0x7FFFFFFF : e.maximum);
  setup.showCancel = e.showCancel;
  setup.showDelay = e.delayMs > 0 ? e.delayMs * 0.001 : 0.0;
  setup.movableModal = (e.styleFlags & kQVProgressMovableModal) != 0;
  void* window = nullptr;
  if (const QVProgressView* v = View(); v && v->create) window = v->create(v->context, &setup);
  std::lock_guard<std::mutex> hold(s.slotLock);
  Slot& slot = s.slots[e.id];
  // Without a view (or when the window cannot be made) the slot still holds
  // the id until its close, so ids are not handed out twice meanwhile.
  slot.window = window ? window : kReserved;
  slot.cancelWord = e.cancelWord;
  slot.value = 0;
}

void* LiveWindow(uint32_t id) {
  ProgressState& s = State();
  std::lock_guard<std::mutex> hold(s.slotLock);
  void* w = s.slots[id].window;
  return w == kReserved ? nullptr : w;
}

}  // namespace

QVProgressLayout QVProgressComputeLayout(int32_t width, bool showCancel) {
  QVProgressLayout l{};
  int32_t w = width == 0 ? 254 : width - 96;
  if (w < 60) w = 60;  // room for the margins and a bar
  if (showCancel) w += 96;
  l.contentWidth = w;
  l.contentHeight = 69;
  l.text = {13, 13, 29, w - 13};
  l.bar = {36, 13, 56, w - 13};
  if (showCancel) {
    l.bar.right -= 92;
    l.cancel = {31, w - 83, 51, w - 13};
  }
  return l;
}

void QVProgressSetView(const QVProgressView* view) {
  ProgressState& s = State();
  s.hasView = view != nullptr;
  s.view = view ? *view : QVProgressView{};
}

void QVProgressSetWakeHook(QVProgressWakeHook hook, void* context) {
  ProgressState& s = State();
  std::lock_guard<std::mutex> hold(s.hookLock);
  s.wake = hook;
  s.wakeContext = context;
}

int32_t QVProgressCreate(const char* title, const char* message, int32_t width, uint32_t maximum, bool showCancel,
                         int32_t delayMs, uint32_t styleFlags, int32_t* cancelWord, void* callback) {
  ProgressState& s = State();
  uint32_t id = 0;
  {
    std::lock_guard<std::mutex> hold(s.slotLock);
    for (uint32_t i = 1; i < kQVProgressSlotCount && !id; ++i)
      if (!s.slots[i].window) id = i;
    if (!id) return kQVErrBusy;
    s.slots[id].window = kReserved;
  }
  QVProgressEvent e = NewEvent(kQVProgressCreateKind, id);
  CopyText(e.title, title);
  CopyText(e.message, message);
  e.width = width;
  e.maximum = maximum;
  e.showCancel = showCancel;
  e.delayMs = delayMs;
  e.styleFlags = styleFlags;
  e.cancelWord = cancelWord;
  e.callback = callback;
  // The caller's word starts at 0 here, on the caller's thread, not when the
  // main thread gets round to making the window: a Cancel written between
  // the two (the job list's, or the job's own) would otherwise be wiped out.
  if (cancelWord) __atomic_store_n(cancelWord, 0, __ATOMIC_RELEASE);
  if (QVStatus err = Post(e)) {
    std::lock_guard<std::mutex> hold(s.slotLock);
    s.slots[id].window = nullptr;
    return err;
  }
  return int32_t(id);
}

QVStatus QVProgressSetText(uint32_t id, const char* message) {
  if (!ValidId(id)) return kQVErrParam;
  QVProgressEvent e = NewEvent(kQVProgressTextKind, id);
  CopyText(e.message, message);
  return Post(e);
}

QVStatus QVProgressSetValue(uint32_t id, int32_t value) {
  if (!ValidId(id)) return kQVErrParam;
  QVProgressEvent e = NewEvent(kQVProgressValueKind, id);
  e.value = value;
  return Post(e);
}

QVStatus QVProgressClose(uint32_t id) {
  if (!ValidId(id)) return kQVErrParam;
  return Post(NewEvent(kQVProgressCloseKind, id));
}

int QVProgressDrainEvents() {
  ProgressState& s = State();
  int count = 0;
  for (;;) {
    QVProgressEvent e;
    {
      std::lock_guard<std::mutex> hold(s.queueLock);
      if (s.queue.empty()) break;
      e = s.queue.front();
      s.queue.pop_front();
    }
    // Every queued event is of this class; its handler answers nothing the queue needs.
    QVIgnoreStatus(QVProgressEventHandler(&e));
    ++count;
  }
  return count;
}

QVStatus QVProgressEventHandler(const QVProgressEvent* e) {
  if (!e || e->eventClass != kQVProgressEventClass) return kQVErrNotHandled;
  if (!ValidId(e->id)) return kQVErrParam;
  ProgressState& s = State();
  const QVProgressView* v = View();
  switch (e->kind) {
    case kQVProgressCreateKind:
      HandleCreate(*e);
      return kQVNoErr;
    case kQVProgressTextKind:
      if (void* w = LiveWindow(e->id); w && v && v->setText) v->setText(v->context, w, e->message);
      DispatchPending();
      return kQVNoErr;
    case kQVProgressValueKind: {
      // The bar holds a 16-bit control value: larger values wrap as such.
      const int16_t value = static_cast<int16_t>(static_cast<uint16_t>(e->value));
      bool changed;
      {
        std::lock_guard<std::mutex> hold(s.slotLock);
        changed = s.slots[e->id].value != value;
        s.slots[e->id].value = value;
      }
      if (void* w = LiveWindow(e->id); w && v && v->setValue) v->setValue(v->context, w, value, changed);
      DispatchPending();
      return kQVNoErr;
    }
    case kQVProgressCloseKind: {
      void* w = LiveWindow(e->id);
      if (w && v && v->close) v->close(v->context, w);
      DispatchPending();
      std::lock_guard<std::mutex> hold(s.slotLock);
      s.slots[e->id] = Slot{};
      return kQVNoErr;
    }
    default:
      return kQVErrNotHandled;
  }
}

void QVProgressCancelHit(uint32_t id) {
  if (!ValidId(id)) return;
  ProgressState& s = State();
  std::lock_guard<std::mutex> hold(s.slotLock);
  if (int32_t* word = s.slots[id].cancelWord) *word = kQVProgressUserCancelled;
}

void* QVProgressWindowOf(uint32_t id) { return ValidId(id) ? LiveWindow(id) : nullptr; }

uint32_t QVProgressOpenCount() {
  ProgressState& s = State();
  std::lock_guard<std::mutex> hold(s.slotLock);
  uint32_t n = 0;
  for (uint32_t i = 1; i < kQVProgressSlotCount; ++i) n += s.slots[i].window != nullptr;
  return n;
}
