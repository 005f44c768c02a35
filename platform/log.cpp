#include "platform/log.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

struct LogState {
  std::mutex lock;
  PLLogSink sink = nullptr;
  void* context = nullptr;
};

LogState& State() {
  static LogState state;
  return state;
}

void DefaultSink(const char* tag, const char* text) {
  const char* file = std::getenv("VELMORA_LOG");
  FILE* out = stderr;
  if (file != nullptr && file[0] != '\0') {
    FILE* f = std::fopen(file, "a");
    if (f != nullptr) out = f;
  }
  std::fprintf(out, "%s: %s\n", tag ? tag : "log", text ? text : "");
  if (out != stderr) std::fclose(out);
}

}  // namespace

void PLLogWrite(const char* tag, const char* text) {
  LogState& s = State();
  std::lock_guard<std::mutex> g(s.lock);
  if (s.sink != nullptr)
    s.sink(tag ? tag : "log", text ? text : "", s.context);
  else
    DefaultSink(tag, text);
}

void PLSetLogSink(PLLogSink sink, void* context) {
  LogState& s = State();
  std::lock_guard<std::mutex> g(s.lock);
  s.sink = sink;
  s.context = context;
}
