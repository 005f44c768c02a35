// velmora-fake-surface: a network control surface for trying the
// application's surface link by hand and in tests. It listens on a loopback
// port, waits for the application to connect, announces itself, plays a
// script of knob turns and presses, and prints every light, display line
// and message it receives until the application closes the link.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "tools/fake_surface/fake_surface.h"

namespace {

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

void Usage(FILE* to) {
  std::fputs(
      "usage: velmora-fake-surface [--port N] [--script FILE] [--timeout SECONDS]\n"
      "  Listens on 127.0.0.1 port N (default 23; 0 picks a free one and prints it),\n"
      "  takes one connection, announces itself and plays the script, then prints\n"
      "  what the application sends until it closes the link.\n"
      "Script lines:\n"
      "  announce               the surface's announcement\n"
      "  send NAME VALUE        a control by name: encoder_s1 3, page_s2 0, button_n1 0 ...\n"
      "  bytes HEX...           bytes as they are (garbage, half messages)\n"
      "  wait SECONDS           a pause\n"
      "  hangup                 closes the connection\n"
      "  # comment\n",
      to);
}

bool ParseNumber(const char* text, long low, long high, long* out) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (errno || !*text || *end || v < low || v > high) return false;
  *out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  long port = 23, timeout = 60;
  std::string script;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      Usage(stdout);
      return 0;
    }
    if (a == "--version") {
      std::puts("velmora-fake-surface 3.0.14(309)");
      return 0;
    }
    if ((a == "--port" || a == "--script" || a == "--timeout") && i + 1 >= argc) {
      std::fprintf(stderr, "velmora-fake-surface: %s wants a value\n", a.c_str());
      return 2;
    }
    if (a == "--port") {
      if (!ParseNumber(argv[++i], 0, 65535, &port)) {
        std::fprintf(stderr, "velmora-fake-surface: --port: not a port number: %s\n", argv[i]);
        return 2;
      }
    } else if (a == "--timeout") {
      if (!ParseNumber(argv[++i], 1, 86400, &timeout)) {
        std::fprintf(stderr, "velmora-fake-surface: --timeout: not a number of seconds: %s\n", argv[i]);
        return 2;
      }
    } else if (a == "--script") {
      script = argv[++i];
    } else {
      std::fprintf(stderr, "velmora-fake-surface: unknown option %s\n", a.c_str());
      Usage(stderr);
      return 2;
    }
  }
  std::vector<std::string> lines;
  if (!script.empty()) {
    std::ifstream in(script);
    if (!in) {
      std::fprintf(stderr, "velmora-fake-surface: %s: %s\n", script.c_str(), std::strerror(errno));
      return 1;
    }
    for (std::string line; std::getline(in, line);) lines.push_back(line);
  }
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::string error;
  auto surface = FakeSurfaceOpen(uint16_t(port), &error);
  if (!surface) {
    std::fprintf(stderr, "velmora-fake-surface: cannot listen on 127.0.0.1:%ld: %s\n", port, error.c_str());
    return 1;
  }
  std::printf("listening on 127.0.0.1:%u\n", FakeSurfacePort(surface.get()));
  std::fflush(stdout);
  if (!FakeSurfaceAccept(surface.get(), double(timeout))) {
    std::fprintf(stderr, "velmora-fake-surface: nobody connected within %ld seconds\n", timeout);
    return 1;
  }
  FakeSurfaceAnnounce(surface.get());
  for (size_t i = 0; i < lines.size() && !gStop; ++i)
    if (!FakeSurfaceRunLine(surface.get(), lines[i], &error)) {
      std::fprintf(stderr, "velmora-fake-surface: %s line %zu: %s\n", script.c_str(), i + 1, error.c_str());
      return 1;
    }
  size_t shown = 0;
  while (!gStop) {
    const std::vector<std::string> log = FakeSurfaceLog(surface.get());
    for (; shown < log.size(); ++shown) std::printf("%s\n", log[shown].c_str());
    std::fflush(stdout);
    if (FakeSurfaceClosedByPeer(surface.get()) || !FakeSurfaceConnected(surface.get())) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return gStop ? 130 : 0;
}
