#include "platform/message_route.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/byte_order.h"
#include "platform/message_route_internal.h"

namespace {

// Data is read in chunks of at most this much, so a claimed length costs
// memory only as its bytes really arrive.
constexpr size_t kReadChunk = size_t(1) << 20;
constexpr int kBacklog = 16;

struct HandlerEntry {
  uint32_t eventClass;
  uint32_t eventID;
  PLMessageHandler handler;
  void* refcon;
};

struct Route {
  std::mutex lock;
  int listener = -1;
  pid_t owner = 0;  // the process that opened the listener (a forked child reopens)
  std::vector<HandlerEntry> handlers;
};

Route& route() {
  static Route r;
  return r;
}

bool peerCredentials(int fd, ucred* cred) {
  socklen_t size = sizeof *cred;
  return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, cred, &size) == 0 && size == sizeof *cred;
}

int millisecondsUntil(double deadline, int cap) {
  const double left = (deadline - PLRouteNow()) * 1000.0;
  if (left <= 0) return 0;
  return int(std::min<double>(left + 1, cap));
}

// Waits until the socket can be read (or written); false at the deadline.
// The idle procedure, when given, runs between looks and may end the wait.
QVStatus waitFor(int fd, short events, double deadline, PLRouteIdleProc idle, void* idleRef) {
  int32_t sleepTicks = 1;
  for (;;) {
    const int cap = idle ? std::max(1, int(sleepTicks * 1000 / 60)) : 250;
    const int ms = millisecondsUntil(deadline, cap);
    if (ms == 0) return kQVErrTimeout;
    pollfd p{fd, events, 0};
    const int n = poll(&p, 1, ms);
    if (n > 0) return kQVNoErr;  // readiness, a hang-up or an error: the next call tells which
    if (n < 0 && errno != EINTR) return kPLErrConnection;
    if (idle && idle(&sleepTicks, idleRef)) return kQVErrCancelled;
  }
}

QVStatus writeAll(int fd, const uint8_t* bytes, size_t size, double deadline, PLRouteIdleProc idle, void* idleRef) {
  while (size > 0) {
    const ssize_t n = send(fd, bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      bytes += n;
      size -= size_t(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (QVStatus s = waitFor(fd, POLLOUT, deadline, idle, idleRef)) return s;
      continue;
    }
    return kPLErrConnection;
  }
  return kQVNoErr;
}

QVStatus readExactly(int fd, uint8_t* bytes, size_t size, double deadline, PLRouteIdleProc idle, void* idleRef) {
  while (size > 0) {
    const ssize_t n = recv(fd, bytes, size, MSG_DONTWAIT);
    if (n > 0) {
      bytes += n;
      size -= size_t(n);
      continue;
    }
    if (n == 0) return kPLErrConnection;  // the peer closed or ended
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (QVStatus s = waitFor(fd, POLLIN, deadline, idle, idleRef)) return s;
      continue;
    }
    return kPLErrConnection;
  }
  return kQVNoErr;
}

QVStatus readMessage(int fd, double deadline, PLRouteHeader* header, std::vector<uint8_t>* data,
                     PLRouteIdleProc idle, void* idleRef) {
  uint8_t head[kPLRouteHeaderBytes];
  if (QVStatus s = readExactly(fd, head, sizeof head, deadline, idle, idleRef)) return s;
  if (QVStatus s = PLRouteDecodeHeader(head, header)) return s;
  data->clear();
  try {
    while (data->size() < header->length) {
      const size_t done = data->size();
      const size_t chunk = std::min(kReadChunk, size_t(header->length) - done);
      data->resize(done + chunk);
      if (QVStatus s = readExactly(fd, data->data() + done, chunk, deadline, idle, idleRef)) return s;
    }
  } catch (const std::bad_alloc&) {
    data->clear();
    data->shrink_to_fit();
    return kQVErrMemory;
  }
  return kQVNoErr;
}

QVStatus writeMessage(int fd, const PLRouteHeader& header, const uint8_t* data, double deadline,
                      PLRouteIdleProc idle, void* idleRef) {
  uint8_t head[kPLRouteHeaderBytes];
  PLRouteEncodeHeader(header, head);
  if (QVStatus s = writeAll(fd, head, sizeof head, deadline, idle, idleRef)) return s;
  return header.length ? writeAll(fd, data, header.length, deadline, idle, idleRef) : kQVNoErr;
}

void release(const PLDescriptor& d) {
  if (d.release) d.release(d.data, d.releaseRef);
}

bool findHandler(uint32_t eventClass, uint32_t eventID, HandlerEntry* found) {
  Route& r = route();
  std::lock_guard<std::mutex> hold(r.lock);
  for (const HandlerEntry& e : r.handlers) {
    if (e.eventClass == eventClass && e.eventID == eventID) {
      *found = e;
      return true;
    }
  }
  return false;
}

int listenerNow() {
  Route& r = route();
  std::lock_guard<std::mutex> hold(r.lock);
  return r.owner == getpid() ? r.listener : -1;
}

}  // namespace

// The user and the process id, so a name never reaches another user's
// program by accident.
socklen_t PLRouteAddress(int32_t pid, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  const std::string name = "velmora-route." + std::to_string(geteuid()) + "." + std::to_string(pid);
  std::memcpy(address->sun_path + 1, name.data(), name.size());
  return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

double PLRouteNow() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

QVStatus PLRouteDecodeHeader(const uint8_t bytes[kPLRouteHeaderBytes], PLRouteHeader* header) {
  if (QVReadBE32(bytes) != kPLRouteMagic) return kPLErrConnection;
  header->kind = QVReadBE32(bytes + 4);
  header->eventClass = QVReadBE32(bytes + 8);
  header->eventID = QVReadBE32(bytes + 12);
  header->status = int32_t(QVReadBE32(bytes + 16));
  header->type = QVReadBE32(bytes + 20);
  header->length = QVReadBE32(bytes + 24);
  if (header->kind < kPLRouteEventWithReply || header->kind > kPLRouteReply) return kPLErrConnection;
  if (header->length > kPLRouteMaxData) return kPLErrConnection;
  return kQVNoErr;
}

void PLRouteEncodeHeader(const PLRouteHeader& header, uint8_t bytes[kPLRouteHeaderBytes]) {
  QVWriteBE32(bytes, kPLRouteMagic);
  QVWriteBE32(bytes + 4, header.kind);
  QVWriteBE32(bytes + 8, header.eventClass);
  QVWriteBE32(bytes + 12, header.eventID);
  QVWriteBE32(bytes + 16, uint32_t(header.status));
  QVWriteBE32(bytes + 20, header.type);
  QVWriteBE32(bytes + 24, header.length);
}

QVStatus PLRouteReadMessage(int fd, double deadline, PLRouteHeader* header, std::vector<uint8_t>* data) {
  return readMessage(fd, deadline, header, data, nullptr, nullptr);
}

bool PLRouteServeConnection(int fd) {
  ucred cred{};
  if (!peerCredentials(fd, &cred) || cred.uid != geteuid()) return false;
  PLRouteHeader header;
  PLMessage message;
  if (readMessage(fd, PLRouteNow() + kPLRouteReadSeconds, &header, &message.data, nullptr, nullptr) != kQVNoErr)
    return false;
  if (header.kind == kPLRouteReply) return false;  // only events arrive here
  message.eventClass = header.eventClass;
  message.eventID = header.eventID;
  message.wantsReply = header.kind == kPLRouteEventWithReply;
  message.type = header.type;
  message.senderPID = int32_t(cred.pid);

  PLDescriptor answer;
  QVStatus status = kQVErrEventNotHandled;
  HandlerEntry entry{};
  const bool handled = findHandler(header.eventClass, header.eventID, &entry);
  if (handled) status = entry.handler(message, &answer, entry.refcon);
  if (message.wantsReply) {
    PLRouteHeader out;
    out.kind = kPLRouteReply;
    out.eventClass = header.eventClass;
    out.eventID = header.eventID;
    out.status = status;
    const bool fits = answer.size <= kPLRouteMaxData && (answer.data || answer.size == 0);
    out.type = fits ? answer.type : kPLTypeNull;
    out.length = fits ? uint32_t(answer.size) : 0;
    if (!fits) out.status = kQVErrMemory;
    // A sender that has gone makes the write fail; nothing more follows.
    QVIgnoreStatus(writeMessage(fd, out, answer.data, PLRouteNow() + kPLRouteDefaultTimeout, nullptr, nullptr));
  }
  release(answer);
  return handled;
}

QVStatus PLRouteOpen() {
  Route& r = route();
  std::lock_guard<std::mutex> hold(r.lock);
  const pid_t self = getpid();
  if (r.listener >= 0 && r.owner == self) return kQVNoErr;
  if (r.listener >= 0) close(r.listener);  // inherited from the parent of a fork
  r.listener = -1;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return kQVErrIO;
  sockaddr_un address;
  const socklen_t size = PLRouteAddress(int32_t(self), &address);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(fd, kBacklog) != 0) {
    close(fd);
    return kQVErrIO;
  }
  r.listener = fd;
  r.owner = self;
  return kQVNoErr;
}

void PLRouteClose() {
  Route& r = route();
  std::lock_guard<std::mutex> hold(r.lock);
  if (r.listener >= 0) close(r.listener);
  r.listener = -1;
  r.owner = 0;
}

bool PLRouteIsOpen() { return listenerNow() >= 0; }

QVStatus PLRouteInstallHandler(uint32_t eventClass, uint32_t eventID, PLMessageHandler handler, void* refcon) {
  if (!handler) return kQVErrParam;
  {
    Route& r = route();
    std::lock_guard<std::mutex> hold(r.lock);
    auto same = [&](const HandlerEntry& e) { return e.eventClass == eventClass && e.eventID == eventID; };
    auto it = std::find_if(r.handlers.begin(), r.handlers.end(), same);
    if (it != r.handlers.end())
      *it = {eventClass, eventID, handler, refcon};
    else
      r.handlers.push_back({eventClass, eventID, handler, refcon});
  }
  return PLRouteOpen();
}

void PLRouteRemoveHandler(uint32_t eventClass, uint32_t eventID) {
  Route& r = route();
  std::lock_guard<std::mutex> hold(r.lock);
  std::erase_if(r.handlers, [&](const HandlerEntry& e) { return e.eventClass == eventClass && e.eventID == eventID; });
}

int PLRouteServe(double seconds) {
  const double deadline = PLRouteNow() + std::max(0.0, seconds);
  int served = 0;
  for (;;) {
    const int listener = listenerNow();
    if (listener < 0) {
      const double left = deadline - PLRouteNow();
      if (left > 0) std::this_thread::sleep_for(std::chrono::duration<double>(left));
      return served;
    }
    const int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
      if (PLRouteServeConnection(fd)) ++served;
      close(fd);
      continue;
    }
    if (errno == EINTR || errno == ECONNABORTED) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return served;
    const int ms = millisecondsUntil(deadline, 1000);
    if (ms == 0) return served;
    pollfd p{listener, POLLIN, 0};
    if (poll(&p, 1, ms) < 0 && errno != EINTR) return served;
  }
}

QVStatus PLRouteSend(PLProcessSerial target, uint32_t eventClass, uint32_t eventID, const PLDescriptor& direct,
                     PLReply* reply, double timeoutSeconds, PLRouteIdleProc idle, void* idleRef) {
  struct ReleaseOnReturn {
    const PLDescriptor& d;
    ~ReleaseOnReturn() { release(d); }
  } releaseOnReturn{direct};
  if (reply) *reply = PLReply{};
  if (direct.size > kPLRouteMaxData || (direct.size && !direct.data)) return kQVErrParam;
  const int32_t pid = PLProcessIDOf(target);
  if (pid <= 0 || !PLProcessIsAlive(target)) return kPLErrNoProcess;
  const double deadline = PLRouteNow() + std::max(0.0, timeoutSeconds);

  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return kQVErrIO;
  struct CloseOnReturn {
    int fd;
    ~CloseOnReturn() { close(fd); }
  } closeOnReturn{fd};
  sockaddr_un address;
  const socklen_t size = PLRouteAddress(pid, &address);
  for (;;) {
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), size) == 0) break;
    if (errno == EINTR) continue;
    // A full backlog: the receiver is busy; try again until the deadline.
    if (errno == EAGAIN) {
      if (PLRouteNow() >= deadline) return kQVErrTimeout;
      if (idle) {
        int32_t ticks = 1;
        if (idle(&ticks, idleRef)) return kQVErrCancelled;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      continue;
    }
    return kPLErrNoProcess;
  }
  ucred cred{};
  if (!peerCredentials(fd, &cred) || cred.uid != geteuid() || int32_t(cred.pid) != pid) return kPLErrPermission;

  PLRouteHeader out;
  out.kind = reply ? kPLRouteEventWithReply : kPLRouteEventNoReply;
  out.eventClass = eventClass;
  out.eventID = eventID;
  out.type = direct.size ? direct.type : (direct.type ? direct.type : kPLTypeNull);
  out.length = uint32_t(direct.size);
  if (QVStatus s = writeMessage(fd, out, direct.data, deadline, idle, idleRef)) return s;
  if (!reply) return kQVNoErr;

  PLRouteHeader in;
  std::vector<uint8_t> data;
  if (QVStatus s = readMessage(fd, deadline, &in, &data, idle, idleRef)) return s;
  if (in.kind != kPLRouteReply || in.eventClass != eventClass || in.eventID != eventID) return kPLErrConnection;
  reply->status = in.status;
  reply->type = in.type;
  reply->data = std::move(data);
  return in.status;
}

QVStatus PLRouteActivate(PLProcessSerial target) {
  return PLRouteSend(target, kPLEventClassProcess, kPLEventActivate, PLDescriptor{}, nullptr, 1.0);
}
