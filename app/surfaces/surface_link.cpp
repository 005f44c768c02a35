#include "app/surfaces/surface_link.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "app/surfaces/surface_driver_route.h"
#include "app/surfaces/surface_midi.h"
#include "platform/ui/ui_loop.h"
#include "support/alerts.h"

namespace {

constexpr const char* kTitle = "Velmora 3 UI";
constexpr QVStatus kParamNotFound = -1701;
// Messages read but not yet handled on the main thread; a peer that sends
// faster than they are handled loses the excess instead of filling memory.
constexpr int32_t kMaxQueuedMessages = 4096;
// How long a closing link lets the peer finish before the reader is stopped
// (20 ticks of 1/60 second).
constexpr double kCloseGrace = 20.0 / 60.0;

struct Link {
  int32_t mode = 0;
  bool connected = false;
  SurfaceLinkStatus status{};
  int socket = -1;
  std::thread reader;
  std::atomic<bool> readerDone{true};
  SurfaceInputCallback callback = nullptr;
};
Link gLink;
// Bumped by every connect and disconnect: messages a reader posted for an
// earlier connection are dropped when they arrive.
std::atomic<uint32_t> gGeneration{0};
std::atomic<int32_t> gQueued{0};

void Alert(const char* format, const char* address) {
  char message[300];
  std::snprintf(message, sizeof message, format, address ? address : "");
  QVErrorAlert(kTitle, message, 1);
}

// One byte from the socket; false at the end, on an error or a shutdown.
bool ReadByte(int fd, uint8_t* byte) {
  for (;;) {
    const ssize_t n = recv(fd, byte, 1, 0);
    if (n == 1) return true;
    if (n < 0 && errno == EINTR) continue;
    return false;
  }
}

// The reader thread: each message that starts with one of the surface's
// status bytes crosses to the main thread as a 'JRMd' event.
void ReadSocket(int fd, uint32_t generation) {
  SurfaceMIDIFramer framer;
  uint8_t byte = 0;
  while (ReadByte(fd, &byte)) {
    if (!framer.Push(byte)) continue;
    if (gQueued.load() >= kMaxQueuedMessages) continue;
    ++gQueued;
    const uint8_t* m = framer.message;
    TKPostCall([generation, m0 = m[0], m1 = m[1], m2 = m[2]] {
      --gQueued;
      if (generation != gGeneration.load()) return;
      SurfaceDriverEvent event;
      event.eventClass = kSurfaceDriverClass;
      event.eventID = QVFourCC("JRMd");
      const uint8_t bytes[3] = {m0, m1, m2};
      event.AddBytes(QVFourCC("JRaw"), QVFourCC("TEXT"), bytes, 3);
      // A message the link does not take is dropped, as the surface expects no answer.
      QVIgnoreStatus(SurfaceLinkHandleEvent(event, 1008));
    });
  }
  gLink.readerDone = true;
}

// Opens a TCP connection without blocking longer than the time-out; the
// socket, or -1 with the reason shown.
int OpenConnection(const char* address, uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    Alert("Unable to open socket to connect to control surface\n", nullptr);
    return -1;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (!address || getaddrinfo(address, nullptr, &hints, &found) != 0 || !found) {
    close(fd);
    Alert("Invalid control surface IP address \"%s\"\n", address);
    return -1;
  }
  sockaddr_in to{};
  std::memcpy(&to, found->ai_addr, sizeof to);
  freeaddrinfo(found);
  to.sin_port = htons(port);

  const int flags = fcntl(fd, F_GETFL, 0);
  bool ok = flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
  if (ok && connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    ok = errno == EINPROGRESS;
    if (ok) {
      pollfd p{fd, POLLIN | POLLOUT, 0};
      int ready;
      do ready = poll(&p, 1, int(kSurfaceConnectTimeout * 1000));
      while (ready < 0 && errno == EINTR);
      int error = 0;
      socklen_t length = sizeof error;
      ok = ready == 1 && (p.revents & (POLLIN | POLLOUT)) &&
           getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
  }
  if (ok) ok = fcntl(fd, F_SETFL, flags) == 0;
  if (!ok) {
    close(fd);
    Alert("Unable to connect to control surface IP address \"%s\"\n", address);
    return -1;
  }
  const linger hold{1, 2};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &hold, sizeof hold);
  return fd;
}

void CloseNetwork() {
  const bool wasConnected = gLink.connected;
  gLink.connected = false;
  ++gGeneration;
  if (gLink.socket >= 0) {
    // Our side ends first so the messages sent last still arrive; a peer that
    // does not close its side in the grace time is cut off.
    shutdown(gLink.socket, SHUT_WR);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(wasConnected ? kCloseGrace : 0);
    while (!gLink.readerDone && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    shutdown(gLink.socket, SHUT_RDWR);
  }
  if (gLink.reader.joinable()) gLink.reader.join();
  if (gLink.socket >= 0) close(gLink.socket);
  gLink.socket = -1;
}

QVStatus Callback(int16_t code, int32_t value) {
  if (gLink.connected && gLink.callback) gLink.callback(code, value, 0);
  return kQVNoErr;
}

bool HasStatus() { return gLink.connected && gLink.status.words[0] == 1; }

void TakeStatus(const std::string& record) {
  uint32_t words[7];
  std::memcpy(words, record.data(), sizeof words);
  for (int i = 0; i < 3; ++i) gLink.status.words[i] = uint16_t(words[i]);
  for (int i = 0; i < 4; ++i) gLink.status.bytes[i] = uint8_t(words[3 + i]);
  gLink.connected = true;
}

struct HandlerRow {
  uint32_t eventClass, eventID;
  int32_t constant;
};
constexpr HandlerRow kHandlers[] = {
    {kSurfaceDriverClass, QVFourCC("JBtn"), 1000}, {kSurfaceDriverClass, QVFourCC("JWhl"), 1001},
    {kSurfaceDriverClass, QVFourCC("JRng"), 1002}, {kSurfaceDriverClass, QVFourCC("JEnc"), 1003},
    {kSurfaceDriverClass, QVFourCC("JFad"), 1004}, {kSurfaceDriverClass, QVFourCC("JCBt"), 1005},
    {kSurfaceDriverClass, QVFourCC("JCen"), 1006}, {QVFourCC("aevt"), QVFourCC("ansr"), 1007},
    {kSurfaceDriverClass, QVFourCC("JRMd"), 1008},
};
bool gHandlersInstalled = false;

}  // namespace

void SurfaceLinkConnect(int32_t mode, const char* address, uint16_t port) {
  if (gLink.mode == kSurfaceLinkNetwork) CloseNetwork();
  gLink.mode = mode;
  gLink.connected = false;
  gLink.status = SurfaceLinkStatus{};
  gLink.status.words[0] = 1;
  gLink.status.words[1] = 8;
  if (mode != kSurfaceLinkNetwork) {
    gHandlersInstalled = true;
    SurfaceRouteInstallHandlers();
    SurfaceLinkRequestStatus();
    return;
  }
  const int fd = OpenConnection(address, port);
  if (fd < 0) return;
  gLink.socket = fd;
  gLink.readerDone = false;
  try {
    gLink.reader = std::thread(ReadSocket, fd, gGeneration.load());
  } catch (...) {
    gLink.readerDone = true;
    CloseNetwork();
    Alert("Unable to connect to control surface IP address \"%s\"\n", address);
    return;
  }
  gHandlersInstalled = true;
  SurfaceRouteInstallHandlers();
  // Not connected yet, so this request goes nowhere, as it always has.
  SurfaceLinkRequestStatus();
  gLink.connected = true;
}

void SurfaceLinkDisconnect() {
  if (gLink.mode == kSurfaceLinkNetwork) CloseNetwork();
}

bool SurfaceLinkIsConnected() { return gLink.connected; }
void SurfaceLinkSetCallback(SurfaceInputCallback callback) { gLink.callback = callback; }
SurfaceInputCallback SurfaceLinkGetCallback() { return gLink.callback; }
const SurfaceLinkStatus& SurfaceLinkGetStatus() { return gLink.status; }
bool SurfaceLinkHasSocket() { return gLink.socket >= 0 || gLink.reader.joinable(); }

void SurfaceLinkWriteRaw(const void* bytes, size_t count) {
  if (!gLink.connected || !bytes) return;
  if (gLink.mode == kSurfaceLinkNetwork) {
    if (gLink.socket < 0) return;
    const char* p = static_cast<const char*>(bytes);
    while (count > 0) {
      const ssize_t n = send(gLink.socket, p, count, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      p += n;
      count -= size_t(n);
    }
    return;
  }
  if (count > kSurfaceDriverMaxRaw) return;
  SurfaceDriverEvent e;
  e.eventClass = kSurfaceDriverClass;
  e.eventID = QVFourCC("JWrH");
  e.AddBytes(QVFourCC("JRaw"), QVFourCC("TEXT"), bytes, count);
  QVIgnoreStatus(SurfaceDriverSend(e, nullptr));  // messages to the surface are never answered
}

void SurfaceLinkSetLight(uint8_t light, uint8_t on) {
  if (!gLink.connected) return;
  SurfaceDriverEvent e;
  e.eventClass = kSurfaceDriverClass;
  e.eventID = QVFourCC("JStL");
  e.AddLong(QVFourCC("CtlN"), QVFourCC("magn"), light);
  e.AddLong(QVFourCC("CVal"), QVFourCC("long"), on ? 1 : 0);
  QVIgnoreStatus(SurfaceDriverSend(e, nullptr));  // failures to send are silent
}

void SurfaceLinkRequestStatus() {
  if (gLink.mode == kSurfaceLinkNetwork) {
    static const uint8_t kRequest[5] = {0xF0, 0x15, 0x25, 0x03, 0xF7};
    SurfaceLinkWriteRaw(kRequest, sizeof kRequest);
    return;
  }
  SurfaceDriverEvent e, reply;
  e.eventClass = kSurfaceDriverClass;
  e.eventID = QVFourCC("Stus");
  e.returnID = kSurfaceStatusReturnID;
  if (SurfaceDriverSend(e, &reply) != kQVNoErr || reply.returnID != kSurfaceStatusReturnID) return;
  const SurfaceDriverParam* record = reply.Find(QVFourCC("StDt"));
  if (record && record->bytes.size() == 28) TakeStatus(record->bytes);
}

void SurfaceLinkWriteTimecode(uint32_t packed) {
  if (!HasStatus()) return;
  SurfaceDriverEvent e;
  e.eventClass = kSurfaceDriverClass;
  e.eventID = QVFourCC("JWBC");
  e.AddLong(QVFourCC("JTCd"), QVFourCC("magn"), int32_t(packed));
  QVIgnoreStatus(SurfaceDriverSend(e, nullptr));  // failures to send are silent
}

void SurfaceLinkWriteLCDLine(int16_t line, const uint8_t* text, int16_t justification) {
  if (!HasStatus() || !text) return;
  SurfaceDriverEvent e;
  e.eventClass = kSurfaceDriverClass;
  e.eventID = QVFourCC("WLLC");
  e.AddLong(QVFourCC("JLnN"), QVFourCC("magn"), line);
  e.AddBytes(QVFourCC("JPSt"), QVFourCC("TEXT"), text, size_t(text[0]) + 1);
  e.AddLong(QVFourCC("JTxJ"), QVFourCC("long"), justification);
  QVIgnoreStatus(SurfaceDriverSend(e, nullptr));  // failures to send are silent
}

void SurfaceLinkWriteLCD(const uint8_t* text1, int16_t justification1, const uint8_t* text2, int16_t justification2) {
  if (!HasStatus()) return;
  SurfaceLinkWriteLCDLine(0, text1, justification1);
  SurfaceLinkWriteLCDLine(1, text2, justification2);
}

void SurfaceLinkHandleMIDI(const uint8_t* bytes, size_t count) {
  if (!gLink.connected || !gLink.callback) return;
  int16_t code = 0;
  int32_t value = 0;
  if (SurfaceDecodeMIDI(bytes, count, &code, &value)) gLink.callback(code, value, 0);
}

int32_t SurfaceLinkHandlerConstant(uint32_t eventClass, uint32_t eventID) {
  if (!gHandlersInstalled) return 0;
  for (const HandlerRow& r : kHandlers)
    if (r.eventClass == eventClass && r.eventID == eventID) return r.constant;
  return 0;
}

QVStatus SurfaceLinkHandleEvent(const SurfaceDriverEvent& event, int32_t constant) {
  int32_t control = 0, value = 0;
  switch (constant) {
    case 1000:
    case 1003:
      if (!event.GetLong(QVFourCC("CtlN"), &control) || !event.GetLong(QVFourCC("CVal"), &value)) return kParamNotFound;
      return Callback(int16_t(control & 0xFFFF), value);
    case 1001:
    case 1002:
      if (!event.GetLong(QVFourCC("CVal"), &value)) return kParamNotFound;
      return Callback(constant == 1001 ? 24 : 26, value);
    case 1004:
    case 1005:
    case 1006:
      if (!event.GetLong(QVFourCC("CtlN"), &control) || !event.GetLong(QVFourCC("CVal"), &value)) return kParamNotFound;
      return kQVNoErr;
    case 1007: {
      const SurfaceDriverParam* record = event.Find(QVFourCC("StDt"));
      if (event.returnID != kSurfaceStatusReturnID || !record) return kParamNotFound;
      if (record->bytes.size() == 28) TakeStatus(record->bytes);
      return kQVNoErr;
    }
    case 1008: {
      const SurfaceDriverParam* raw = event.Find(QVFourCC("JRaw"));
      if (!raw || raw->bytes.size() > 256) return kParamNotFound;
      SurfaceLinkHandleMIDI(reinterpret_cast<const uint8_t*>(raw->bytes.data()), raw->bytes.size());
      return kQVNoErr;
    }
    default: return kQVErrEventNotHandled;
  }
}
