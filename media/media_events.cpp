// The media event queue: posts from job tasks, drained on the main thread.

#include "media/media_events.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <string>

#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_window.h"
#include "settings/file_panels.h"

namespace {

struct EventQueue {
  std::mutex lock;
  std::deque<QVMediaEvent> events;
  bool toolkitWake = false;
};

EventQueue& Queue() {
  static EventQueue* queue = new EventQueue;  // tasks may post after static destruction begins
  return *queue;
}

uint32_t Post(const QVMediaEvent& e) {
  EventQueue& q = Queue();
  bool wake;
  try {
    std::lock_guard<std::mutex> hold(q.lock);
    q.events.push_back(e);
    wake = q.toolkitWake;
  } catch (const std::bad_alloc&) {
    return QVMediaErr_InsufficientMemory;
  }
  if (wake) TKPostCall([] { QVMediaDrainEvents(); });
  return QVMediaErr_NoErr;
}

}  // namespace

void QVMediaInstallEventHandler() {
  EventQueue& q = Queue();
  std::lock_guard<std::mutex> hold(q.lock);
  q.toolkitWake = TKToolkitRunning();
}

uint32_t QVMediaPostJobCompletion(QVOutputJobParams* params, uint32_t result) {
  return Post(QVMediaEvent{kQVMediaEventClass, kQVMediaEventCompletion, params, result, nullptr, nullptr});
}

uint32_t QVMediaPostPlaceFile(QVOutputJobParams* params, QVMediaExportState* state, int32_t* statusWord) {
  return Post(QVMediaEvent{kQVMediaEventClass, kQVMediaEventPlaceFile, params, 0, state, statusWord});
}

int QVMediaDrainEvents() {
  EventQueue& q = Queue();
  int count = 0;
  for (;;) {
    QVMediaEvent e;
    {
      std::lock_guard<std::mutex> hold(q.lock);
      if (q.events.empty()) break;
      e = q.events.front();
      q.events.pop_front();
    }
    // Every queued event is of this class; its handler answers nothing the queue needs.
    QVIgnoreStatus(QVMediaEventHandler(&e));
    ++count;
  }
  return count;
}

QVStatus QVMediaEventHandler(const QVMediaEvent* e) {
  if (!e || e->eventClass != kQVMediaEventClass) return kQVErrNotHandled;
  if (e->kind == kQVMediaEventCompletion) {
    if (e->params && e->params->completion) e->params->completion(e->params, e->result);
    return kQVNoErr;
  }
  if (e->kind == kQVMediaEventPlaceFile) {
    const int32_t status = e->params && e->state ? QVMediaRequestSaveFile(e->params, e->state) : kQVErrParam;
    if (e->statusWord) *e->statusWord = status;
    return kQVNoErr;
  }
  return kQVErrNotHandled;
}

int32_t QVMediaRequestSaveFile(QVOutputJobParams* params, QVMediaExportState* state) {
  std::string suggested = params->outputName;
  const size_t dot = suggested.find_last_of('.');
  std::string extension;
  if (dot != std::string::npos && dot > 0) {
    extension = suggested.substr(dot + 1);
    suggested.resize(dot);
  }
  QVFileRef folder{};
  std::string name;
  QVPutFileReply reply;
  const QVStatus status = QVPutFileSelection(&folder, &name, &reply, "Save Output As", "Save", "",
                                             int32_t(QVFourCC("QVso")), extension.empty() ? nullptr : extension.c_str(),
                                             suggested.c_str());
  // Releasing a reply cannot fail.
  QVIgnoreStatus(QVPutFileComplete(&reply));
  if (status != kQVNoErr) return status;
  if (name.size() >= sizeof params->outputName) return kQVErrParam;
  state->folder = folder;
  std::snprintf(state->name, sizeof state->name, "%s", name.c_str());
  std::snprintf(params->outputName, sizeof params->outputName, "%s", name.c_str());
  params->outputFolder.ref = &state->folder;
  return kQVNoErr;
}
