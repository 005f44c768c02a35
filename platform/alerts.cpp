#include "platform/alerts.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/log.h"

namespace {

PLAlertAnswer LogAlert(const PLAlertRequest& r, void*) {
  char line[1024];
  std::snprintf(line, sizeof line, "[level %d] %s%s%s%s%s", int(r.level), r.title ? r.title : "",
                (r.title && r.title[0]) ? ": " : "", r.message ? r.message : "",
                r.detail ? " - " : "", r.detail ? r.detail : "");
  PLLogWrite("alert", line);
  return kPLAnswerDefault;
}

struct AlertState {
  std::mutex lock;
  PLAlertSink sink{LogAlert, nullptr};
  PLFatalExitHook exitHook = nullptr;
};

AlertState& State() {
  static AlertState state;
  return state;
}

}  // namespace

PLAlertAnswer PLShowAlert(const PLAlertRequest& request) {
  PLAlertSink sink;
  {
    std::lock_guard<std::mutex> g(State().lock);
    sink = State().sink;
  }
  return sink.show(request, sink.context);
}

void PLSetAlertSink(const PLAlertSink* sink) {
  std::lock_guard<std::mutex> g(State().lock);
  State().sink = (sink != nullptr && sink->show != nullptr) ? *sink : PLAlertSink{LogAlert, nullptr};
}

PLAlertSink PLGetAlertSink() {
  std::lock_guard<std::mutex> g(State().lock);
  return State().sink;
}

void PLFatalExit(int status) {
  PLFatalExitHook hook;
  {
    std::lock_guard<std::mutex> g(State().lock);
    hook = State().exitHook;
  }
  if (hook == nullptr) std::exit(status);
  hook(status);
  std::abort();
}

void PLSetFatalExitHook(PLFatalExitHook hook) {
  std::lock_guard<std::mutex> g(State().lock);
  State().exitHook = hook;
}
