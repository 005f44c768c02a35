#include "tools/fake_surface/fake_surface.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <sstream>
#include <thread>

#include "app/surfaces/surface_definitions.h"
#include "app/surfaces/surface_driver_route.h"
#include "platform/message_route.h"
#include "platform/processes.h"

struct FakeSurface {
  std::string application = "velmora-ui";
  int listener = -1;
  int peer = -1;
  uint16_t port = 0;
  std::thread reader;
  std::atomic<bool> closed{false};
  std::mutex lock;
  std::vector<std::string> log;
};

namespace {

constexpr int16_t kL1[14] = {74, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 85, 86, 87};
constexpr int16_t kL2[14] = {115, 116, 117, 118, 119, 120, 121, 122, 109, 110, 111, 112, 113, 114};
constexpr int16_t kT[9] = {94, 96, 95, 97, 99, 98, 100, 102, 101};
constexpr int16_t kN[9] = {103, 104, 105, 106, 107, 108, 123, 124, 125};

int IndexOf(const int16_t* list, int count, int32_t code) {
  for (int i = 0; i < count; ++i)
    if (list[i] == code) return i;
  return -1;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  char b[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(b, sizeof b, i ? " %02X" : "%02X", bytes[i]);
    out += b;
  }
  return out;
}

// A System Exclusive message in words.
std::string Describe(const std::vector<uint8_t>& m) {
  static const uint8_t kGreeting[9] = {0xF0, 0x15, 0x25, 0x02, 0x01, 0x01, 0x00, 0x00, 0xF7};
  static const uint8_t kStatus[5] = {0xF0, 0x15, 0x25, 0x03, 0xF7};
  if (m.size() == 9 && std::memcmp(m.data(), kGreeting, 9) == 0) return "greeting";
  if (m.size() == 5 && std::memcmp(m.data(), kStatus, 5) == 0) return "status request";
  // Kind 3 and kind 4 forms: the same tail after a prefix of 3 or 4 bytes.
  for (size_t head : {size_t(3), size_t(4)}) {
    const bool kind3 = head == 3 && m.size() >= 4 && m[2] == 0x28;
    const bool kind4 = head == 4 && m.size() >= 5 && m[2] == 0x25 && (m[3] == 0x55 || m[3] == 0x56);
    if (!kind3 && !kind4) continue;
    const uint8_t unit = kind3 ? m[3] : uint8_t(m[3] == 0x55 ? 0x03 : 0x06);
    const size_t at = kind3 ? 4 : 5;
    if (kind4 && m[4] == 0x03 && m.size() == 8) return std::string("light ") + (m[3] == 0x55 ? "A " : "B ") + std::to_string(m[5]) + (m[6] == 0 ? " lit" : " dark");
    if (kind3 && (unit == 0x03 || unit == 0x06) && m.size() == 7)
      return std::string("light ") + (unit == 0x03 ? "A " : "B ") + std::to_string(m[at]) + (m[at + 1] == 0 ? " lit" : " dark");
    const size_t line = kind3 ? 3 : 4;
    if (m[line] == 0x01 && m.size() >= line + 4 && m[line + 2] == 0x18) {
      static const char* const kPlaces[4] = {"left 1", "left 2", "right 1", "right 2"};
      const uint8_t p = m[line + 1];
      const std::string text(m.begin() + long(line + 3), m.end() - 1);
      return std::string("display ") + (p % 0x20 == 0 && p <= 0x60 ? kPlaces[p / 0x20] : "?") + " |" + text + "|";
    }
  }
  return "sysex " + Hex(m);
}

void Append(FakeSurface* s, const std::string& line) {
  std::lock_guard<std::mutex> guard(s->lock);
  s->log.push_back(line);
}

void ReadPeer(FakeSurface* s) {
  std::vector<uint8_t> message;
  uint8_t buffer[512];
  for (;;) {
    const ssize_t n = recv(s->peer, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      const uint8_t b = buffer[i];
      if (message.empty() && b != 0xF0 && b < 0x80) continue;  // stray data byte
      message.push_back(b);
      if (message[0] == 0xF0) {
        if (b == 0xF7) {
          Append(s, Describe(message));
          message.clear();
        }
      } else if (message.size() == 3) {
        Append(s, "raw " + Hex(message));
        message.clear();
      }
    }
  }
  s->closed = true;
}

void Close(FakeSurface* s) {
  if (!s) return;
  FakeSurfaceHangUp(s);
  if (s->listener >= 0) close(s->listener);
  delete s;
}

}  // namespace

std::unique_ptr<FakeSurface, void (*)(FakeSurface*)> FakeSurfaceOpen(uint16_t port, std::string* error) {
  std::unique_ptr<FakeSurface, void (*)(FakeSurface*)> s(new FakeSurface, Close);
  s->listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  at.sin_port = htons(port);
  socklen_t length = sizeof at;
  if (s->listener < 0 || setsockopt(s->listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      bind(s->listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || listen(s->listener, 4) != 0 ||
      getsockname(s->listener, reinterpret_cast<sockaddr*>(&at), &length) != 0) {
    if (error) *error = std::strerror(errno);
    return {nullptr, Close};
  }
  s->port = ntohs(at.sin_port);
  return s;
}

uint16_t FakeSurfacePort(const FakeSurface* s) { return s->port; }

bool FakeSurfaceAccept(FakeSurface* s, double timeoutSeconds) {
  FakeSurfaceHangUp(s);
  pollfd p{s->listener, POLLIN, 0};
  if (poll(&p, 1, int(timeoutSeconds * 1000)) != 1) return false;
  s->peer = accept4(s->listener, nullptr, nullptr, SOCK_CLOEXEC);
  if (s->peer < 0) return false;
  s->closed = false;
  s->reader = std::thread(ReadPeer, s);
  return true;
}

bool FakeSurfaceConnected(const FakeSurface* s) { return s->peer >= 0; }
bool FakeSurfaceClosedByPeer(const FakeSurface* s) { return s->closed; }

bool FakeSurfaceEncode(int32_t code, int32_t value, uint8_t m[3]) {
  const uint8_t data = uint8_t(value & 0x7F);
  const bool signed7 = value >= -64 && value <= 63;
  int i;
  if (code == kSurfaceAnnounceID && value >= 0 && value <= 2) {
    m[0] = 0xB6, m[1] = uint8_t(value), m[2] = 23;
  } else if ((i = IndexOf(kL1, 14, code)) >= 0 && value >= 0 && value <= 2) {
    m[0] = 0xB6, m[1] = uint8_t(value), m[2] = uint8_t(i);
  } else if ((i = IndexOf(kL2, 14, code)) >= 0 && (value == 0 || value == 1)) {
    m[0] = 0xB5, m[1] = uint8_t(value), m[2] = uint8_t(i);
  } else if (code >= 88 && code <= 93 && signed7) {
    m[0] = 0xB6, m[1] = uint8_t(3 + code - 88), m[2] = data;
  } else if ((i = IndexOf(kT, 9, code)) >= 0 && signed7) {
    m[0] = 0xB6, m[1] = uint8_t(16 + i), m[2] = data;
  } else if ((i = IndexOf(kN, 9, code)) >= 0 && signed7) {
    m[0] = 0xB5, m[1] = uint8_t(8 + i), m[2] = data;
  } else {
    return false;
  }
  return true;
}

bool FakeSurfaceSendBytes(FakeSurface* s, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (s->peer >= 0 && done < bytes.size()) {
    const ssize_t n = send(s->peer, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return done == bytes.size();
}

bool FakeSurfaceSend(FakeSurface* s, const std::string& control, int32_t value) {
  const int32_t code = control == "id" ? kSurfaceAnnounceID : SurfaceControlIDFromName(control.c_str());
  if (code == 0 && control != "button_mrewind") return false;
  uint8_t m[3];
  return FakeSurfaceEncode(code, value, m) && FakeSurfaceSendBytes(s, {m[0], m[1], m[2]});
}

bool FakeSurfaceAnnounce(FakeSurface* s) { return FakeSurfaceSend(s, "id", 1); }

void FakeSurfaceHangUp(FakeSurface* s) {
  if (s->peer >= 0) shutdown(s->peer, SHUT_RDWR);
  if (s->reader.joinable()) s->reader.join();
  if (s->peer >= 0) close(s->peer);
  s->peer = -1;
}

std::vector<std::string> FakeSurfaceLog(FakeSurface* s) {
  std::lock_guard<std::mutex> guard(s->lock);
  return s->log;
}

void FakeSurfaceClearLog(FakeSurface* s) {
  std::lock_guard<std::mutex> guard(s->lock);
  s->log.clear();
}

bool FakeSurfaceWaitFor(FakeSurface* s, const std::string& line, double timeoutSeconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  do {
    for (const std::string& l : FakeSurfaceLog(s))
      if (l == line) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

namespace {

FakeSurface* gDriverSurface = nullptr;

std::string Text(const SurfaceDriverParam* p) { return p ? p->bytes : std::string(); }

QVStatus DriverEvent(const PLMessage& m, PLDescriptor* reply, void*) {
  SurfaceDriverEvent e;
  if (!gDriverSurface || m.type != kSurfaceRouteDescriptorType || !SurfaceRouteUnpack(m.data.data(), m.data.size(), &e))
    return -1701;
  int32_t a = 0, b = 0;
  std::string line;
  switch (m.eventID) {
    case QVFourCC("Stus"): {
      line = "driver status request";
      SurfaceDriverEvent answer;
      answer.returnID = e.returnID;
      const uint32_t record[7] = {1, 8, 0, 0, 0, 0, 0};
      answer.AddBytes(QVFourCC("StDt"), QVFourCC("TEXT"), record, sizeof record);
      static std::vector<uint8_t> packed;
      packed = SurfaceRoutePack(answer);
      reply->type = kSurfaceRouteDescriptorType;
      reply->data = packed.data();
      reply->size = packed.size();
      break;
    }
    case QVFourCC("JStL"):
      e.GetLong(QVFourCC("CtlN"), &a);
      e.GetLong(QVFourCC("CVal"), &b);
      line = "driver light " + std::to_string(a) + (b ? " on" : " off");
      break;
    case QVFourCC("JWrH"): {
      const std::string raw = Text(e.Find(QVFourCC("JRaw")));
      const std::vector<uint8_t> bytes(raw.begin(), raw.end());
      line = "driver raw " + (bytes.size() > 3 ? Describe(bytes) : Hex(bytes));
      break;
    }
    case QVFourCC("JWBC"): {
      e.GetLong(QVFourCC("JTCd"), &a);
      char hex[16];
      std::snprintf(hex, sizeof hex, "%08X", uint32_t(a));
      line = std::string("driver timecode ") + hex;
      break;
    }
    case QVFourCC("WLLC"): {
      e.GetLong(QVFourCC("JLnN"), &a);
      e.GetLong(QVFourCC("JTxJ"), &b);
      const std::string p = Text(e.Find(QVFourCC("JPSt")));
      const std::string text = p.empty() ? "" : p.substr(1, std::min<size_t>(uint8_t(p[0]), p.size() - 1));
      line = "driver lcd " + std::to_string(a) + " |" + text + "| " + std::to_string(b);
      break;
    }
    default: return kQVErrEventNotHandled;
  }
  Append(gDriverSurface, line);
  return kQVNoErr;
}

}  // namespace

bool FakeSurfaceOpenDriver(FakeSurface* s) {
  gDriverSurface = s;
  for (uint32_t id : {QVFourCC("Stus"), QVFourCC("JStL"), QVFourCC("JWrH"), QVFourCC("JWBC"), QVFourCC("WLLC")})
    if (PLRouteInstallHandler(kSurfaceDriverClass, id, DriverEvent, nullptr) != kQVNoErr) return false;
  return PLRouteIsOpen();
}

void FakeSurfaceServeDriver(double seconds) { PLRouteServe(seconds); }

bool FakeSurfaceDriverSend(const std::string& application, const std::string& kind, const std::string& control,
                           int32_t value) {
  const PLProcessSerial app = PLFindProcess(application.c_str(), nullptr);
  if (app == 0) return false;
  SurfaceDriverEvent e;
  uint32_t id = 0;
  if (kind == "button") {
    const int32_t code = SurfaceControlIDFromName(control.c_str());
    if (code == 0 && control != "button_mrewind") return false;
    id = QVFourCC("JBtn");
    e.AddLong(QVFourCC("CtlN"), QVFourCC("long"), code);
  } else if (kind == "wheel" || kind == "ring") {
    id = QVFourCC(kind == "wheel" ? "JWhl" : "JRng");
  } else {
    return false;
  }
  e.AddLong(QVFourCC("CVal"), QVFourCC("long"), value);
  const std::vector<uint8_t> packed = SurfaceRoutePack(e);
  PLDescriptor d;
  d.type = kSurfaceRouteDescriptorType;
  d.data = packed.data();
  d.size = packed.size();
  return PLRouteSend(app, kSurfaceDriverClass, id, d, nullptr) == kQVNoErr;
}

bool FakeSurfaceRunLine(FakeSurface* s, const std::string& text, std::string* error) {
  std::istringstream in(text);
  std::string verb;
  if (!(in >> verb) || verb[0] == '#') return true;
  std::string rest;
  if (verb == "announce") return FakeSurfaceAnnounce(s) || (*error = "the announcement could not be sent", false);
  if (verb == "hangup") {
    FakeSurfaceHangUp(s);
    return true;
  }
  if (verb == "send") {
    std::string name, number;
    int32_t value = 0;
    if (!(in >> name >> number) || (in >> rest)) return *error = "send wants a control name and a value", false;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), value);
    if (r.ec != std::errc() || r.ptr != number.data() + number.size()) return *error = "not a whole number: " + number, false;
    if (!FakeSurfaceSend(s, name, value)) return *error = "cannot send " + name + " " + number, false;
    return true;
  }
  if (verb == "bytes") {
    std::vector<uint8_t> bytes;
    std::string h;
    while (in >> h) {
      unsigned v = 0;
      const auto r = std::from_chars(h.data(), h.data() + h.size(), v, 16);
      if (r.ec != std::errc() || r.ptr != h.data() + h.size() || v > 255) return *error = "not a byte: " + h, false;
      bytes.push_back(uint8_t(v));
    }
    return FakeSurfaceSendBytes(s, bytes) || (*error = "the bytes could not be sent", false);
  }
  if (verb == "driver") {
    std::string kind, name, number;
    if (!(in >> kind)) return *error = "driver wants button, wheel or ring", false;
    if (kind == "button" && !(in >> name)) return *error = "driver button wants a control name", false;
    int32_t value = 0;
    if (!(in >> number) || (in >> rest)) return *error = "driver " + kind + " wants a value", false;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), value);
    if (r.ec != std::errc() || r.ptr != number.data() + number.size()) return *error = "not a whole number: " + number, false;
    if (!FakeSurfaceDriverSend(s->application, kind, name, value))
      return *error = "cannot send the driver event to " + s->application, false;
    return true;
  }
  if (verb == "wait") {
    std::string number;
    double seconds = 0;
    if (!(in >> number) || (in >> rest)) return *error = "wait wants seconds", false;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), seconds);
    if (r.ec != std::errc() || r.ptr != number.data() + number.size() || !(seconds >= 0) || seconds > 3600)
      return *error = "not a number of seconds: " + number, false;
    // The driver's events are answered while the script waits.
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) PLRouteServe(std::min(0.02, seconds));
    return true;
  }
  return *error = "unknown line: " + text, false;
}
