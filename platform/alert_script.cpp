#include "platform/alert_script.h"

#include <deque>
#include <mutex>

namespace {

struct Script {
  std::mutex lock;
  std::deque<PLAlertAnswer> answers;
  std::vector<PLRecordedAlert> shown;
};

Script& TheScript() {
  static Script script;
  return script;
}

std::string Text(const char* s) { return s ? s : ""; }

PLAlertAnswer ScriptedShow(const PLAlertRequest& r, void*) {
  Script& s = TheScript();
  std::lock_guard<std::mutex> g(s.lock);
  PLAlertAnswer answer = kPLAnswerDefault;
  if (!s.answers.empty()) {
    answer = s.answers.front();
    s.answers.pop_front();
  }
  s.shown.push_back({r.kind, int(r.level), Text(r.title), Text(r.message), Text(r.detail),
                     Text(r.defaultButton), Text(r.otherButton), answer});
  return answer;
}

}  // namespace

void PLAlertScriptBegin() {
  {
    std::lock_guard<std::mutex> g(TheScript().lock);
    TheScript().answers.clear();
    TheScript().shown.clear();
  }
  PLAlertSink sink{ScriptedShow, nullptr};
  PLSetAlertSink(&sink);
}

void PLAlertScriptEnd() { PLSetAlertSink(nullptr); }

void PLAlertScriptAnswer(PLAlertAnswer answer) {
  std::lock_guard<std::mutex> g(TheScript().lock);
  TheScript().answers.push_back(answer);
}

std::vector<PLRecordedAlert> PLAlertScriptRecorded() {
  std::lock_guard<std::mutex> g(TheScript().lock);
  return TheScript().shown;
}
