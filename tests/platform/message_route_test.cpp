// The message route between our programs: events and replies between two
// processes, refusals of other users and of malformed messages, and waits
// that end when the peer ends or stops answering.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/byte_order.h"
#include "platform/message_route.h"
#include "platform/message_route_internal.h"

namespace {

constexpr uint32_t kClass = QVFourCC("tEst");
constexpr uint32_t kEcho = QVFourCC("echo");
constexpr uint32_t kHang = QVFourCC("hang");
constexpr uint32_t kDie = QVFourCC("die!");

// Replies with the bytes reversed and the status 7.
QVStatus echoHandler(const PLMessage& m, PLDescriptor* reply, void* refcon) {
  auto* kept = static_cast<std::vector<uint8_t>*>(refcon);
  kept->assign(m.data.rbegin(), m.data.rend());
  reply->type = QVFourCC("rvrs");
  reply->data = kept->data();
  reply->size = kept->size();
  return 7;
}

QVStatus hangHandler(const PLMessage&, PLDescriptor*, void*) {
  pause();
  return 0;
}

QVStatus dieHandler(const PLMessage&, PLDescriptor*, void*) { _exit(0); }

// A child process that opens its route with the three handlers and serves
// it for `seconds`; its exit status is the number of events handled.
struct RouteChild {
  pid_t pid = -1;
  PLProcessSerial serial = 0;

  explicit RouteChild(double seconds) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid = fork();
    if (pid == 0) {
      close(ready[0]);
      static std::vector<uint8_t> kept;
      // Without its handlers the child says nothing, and the test finds no route.
      if (PLRouteInstallHandler(kClass, kEcho, echoHandler, &kept) != kQVNoErr ||
          PLRouteInstallHandler(kClass, kHang, hangHandler, nullptr) != kQVNoErr ||
          PLRouteInstallHandler(kClass, kDie, dieHandler, nullptr) != kQVNoErr)
        _exit(101);
      const char one = 1;
      if (write(ready[1], &one, 1) != 1) _exit(100);
      int handled = 0;
      const double end = PLRouteNow() + seconds;
      while (PLRouteNow() < end) handled += PLRouteServe(end - PLRouteNow());
      _exit(handled);
    }
    close(ready[1]);
    char byte = 0;
    if (read(ready[0], &byte, 1) == 1) serial = PLProcessSerialOf(pid);
    close(ready[0]);
  }
  int handled() {
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  ~RouteChild() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
};

PLDescriptor bytes(const std::vector<uint8_t>& v) {
  PLDescriptor d;
  d.type = kPLTypeBytes;
  d.data = v.data();
  d.size = v.size();
  return d;
}

// Connects straight to a process's route, as a program outside ours might.
int rawConnect(uid_t uid, pid_t pid) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  const std::string name = "velmora-route." + std::to_string(uid) + "." + std::to_string(pid);
  std::memcpy(a.sun_path + 1, name.data(), name.size());
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size())) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

std::vector<uint8_t> header(uint32_t magic, uint32_t kind, uint32_t id, uint32_t length) {
  std::vector<uint8_t> h(kPLRouteHeaderBytes);
  PLRouteHeader r;
  r.kind = kind;
  r.eventClass = kClass;
  r.eventID = id;
  r.type = kPLTypeBytes;
  r.length = length;
  PLRouteEncodeHeader(r, h.data());
  QVWriteBE32(h.data(), magic);
  return h;
}

TEST(MessageRoute, EventsAndRepliesTravelBetweenProcesses) {
  RouteChild child(3.0);
  ASSERT_NE(child.serial, 0u);
  const std::vector<uint8_t> sent = {1, 2, 3, 4, 5};
  PLReply reply;
  EXPECT_EQ(PLRouteSend(child.serial, kClass, kEcho, bytes(sent), &reply), 7);
  EXPECT_EQ(reply.status, 7);
  EXPECT_EQ(reply.type, QVFourCC("rvrs"));
  EXPECT_EQ(reply.data, (std::vector<uint8_t>{5, 4, 3, 2, 1}));

  // A large descriptor arrives whole.
  std::vector<uint8_t> big(3 << 20);
  for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 7);
  ASSERT_EQ(PLRouteSend(child.serial, kClass, kEcho, bytes(big), &reply), 7);
  ASSERT_EQ(reply.data.size(), big.size());
  EXPECT_TRUE(std::equal(big.rbegin(), big.rend(), reply.data.begin()));

  // No handler for the pair: answered, not handled.
  EXPECT_EQ(PLRouteSend(child.serial, kClass, QVFourCC("none"), bytes(sent), &reply), kQVErrEventNotHandled);
  // Without a reply the send returns once written; the event is still handled.
  EXPECT_EQ(PLRouteSend(child.serial, kClass, kEcho, bytes(sent), nullptr), kQVNoErr);

  // The sender's release procedure runs once, after the send.
  static int released = 0;
  PLDescriptor d = bytes(sent);
  d.release = [](const uint8_t*, void*) { ++released; };
  EXPECT_EQ(PLRouteSend(child.serial, kClass, kEcho, d, &reply), 7);
  EXPECT_EQ(released, 1);
  EXPECT_EQ(child.handled(), 4);
}

TEST(MessageRoute, NoProcessOrNoRouteIsReportedAtOnce) {
  PLReply reply;
  EXPECT_EQ(PLRouteSend(0, kClass, kEcho, PLDescriptor{}, &reply), kPLErrNoProcess);
  // A live process without a route.
  const pid_t quiet = fork();
  if (quiet == 0) {
    pause();
    _exit(0);
  }
  EXPECT_EQ(PLRouteSend(PLProcessSerialOf(quiet), kClass, kEcho, PLDescriptor{}, &reply), kPLErrNoProcess);
  kill(quiet, SIGKILL);
  waitpid(quiet, nullptr, 0);
}

TEST(MessageRoute, MalformedMessagesAreRefusedAndTheRouteServesOn) {
  RouteChild child(2.0);
  ASSERT_NE(child.serial, 0u);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"wrong magic", header(QVFourCC("VLrx"), kPLRouteEventWithReply, kEcho, 0)},
      {"a reply where an event belongs", header(kPLRouteMagic, kPLRouteReply, kEcho, 0)},
      {"an unknown kind", header(kPLRouteMagic, 9, kEcho, 0)},
      {"a length past the limit", header(kPLRouteMagic, kPLRouteEventWithReply, kEcho, uint32_t(kPLRouteMaxData + 1))},
      {"the largest length, no data", header(kPLRouteMagic, kPLRouteEventWithReply, kEcho, 0xFFFFFFFFu)},
      {"a cut-off header", std::vector<uint8_t>{0x56, 0x4C, 0x72}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int fd = rawConnect(geteuid(), child.pid);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, c.bytes.data(), c.bytes.size()), ssize_t(c.bytes.size()));
    shutdown(fd, SHUT_WR);
    char answer = 0;
    EXPECT_EQ(read(fd, &answer, 1), 0) << "closed without an answer";
    close(fd);
  }
  const std::vector<uint8_t> sent = {9};
  PLReply reply;
  EXPECT_EQ(PLRouteSend(child.serial, kClass, kEcho, bytes(sent), &reply), 7);
  EXPECT_EQ(child.handled(), 1) << "no malformed message reached a handler";
}

TEST(MessageRoute, EventsFromAnotherUserAreRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "needs to switch to another user";
  std::atomic<int> handled{0};
  static std::vector<uint8_t> kept;
  ASSERT_EQ(PLRouteInstallHandler(kClass, kEcho, echoHandler, &kept), kQVNoErr);
  std::atomic<bool> stop{false};
  std::thread server([&] {
    while (!stop) handled += PLRouteServe(0.05);
  });
  const uid_t owner = geteuid();
  const pid_t self = getpid();
  const pid_t other = fork();
  if (other == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    const int fd = rawConnect(owner, self);
    if (fd < 0) _exit(3);
    // The route may close before the event is written; either way no answer comes.
    const std::vector<uint8_t> h = header(kPLRouteMagic, kPLRouteEventWithReply, kEcho, 0);
    QVIgnoreStatus(int32_t(send(fd, h.data(), h.size(), MSG_NOSIGNAL)));
    char answer = 0;
    _exit(read(fd, &answer, 1) <= 0 ? 0 : 5);
  }
  int status = 0;
  waitpid(other, &status, 0);
  stop = true;
  server.join();
  PLRouteRemoveHandler(kClass, kEcho);
  PLRouteClose();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the other user's connection was closed unanswered";
  EXPECT_EQ(handled.load(), 0);
}

TEST(MessageRoute, WaitsEndWhenThePeerEndsOrStopsAnswering) {
  RouteChild child(5.0);
  ASSERT_NE(child.serial, 0u);
  PLReply reply;
  // The receiver stops answering: the sender's time-out ends the wait.
  double start = PLRouteNow();
  EXPECT_EQ(PLRouteSend(child.serial, kClass, kHang, PLDescriptor{}, &reply, 0.3), kQVErrTimeout);
  EXPECT_LT(PLRouteNow() - start, 2.0);

  // The receiver ends during the exchange: the wait ends at once, long
  // before its time-out.
  RouteChild dying(5.0);
  ASSERT_NE(dying.serial, 0u);
  start = PLRouteNow();
  EXPECT_EQ(PLRouteSend(dying.serial, kClass, kDie, PLDescriptor{}, &reply, 30.0), kPLErrConnection);
  EXPECT_LT(PLRouteNow() - start, 5.0);

  // The idle procedure runs while waiting and may give up.
  static int idles = 0;
  auto giveUp = [](int32_t* ticks, void*) {
    *ticks = 1;
    return ++idles >= 3;
  };
  EXPECT_EQ(PLRouteSend(child.serial, kClass, kHang, PLDescriptor{}, &reply, 30.0, giveUp, nullptr),
            kQVErrCancelled);
  EXPECT_EQ(idles, 3);
}

TEST(MessageRoute, ASenderEndingMidMessageEndsTheReceiversRead) {
  int fds[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  // A header that promises 1,000 bytes, then the sender is gone.
  const std::vector<uint8_t> h = header(kPLRouteMagic, kPLRouteEventWithReply, kEcho, 1000);
  ASSERT_EQ(write(fds[1], h.data(), h.size()), ssize_t(h.size()));
  ASSERT_EQ(write(fds[1], "abc", 3), 3);
  close(fds[1]);
  PLRouteHeader got;
  std::vector<uint8_t> data;
  const double start = PLRouteNow();
  EXPECT_EQ(PLRouteReadMessage(fds[0], start + 10.0, &got, &data), kPLErrConnection);
  EXPECT_LT(PLRouteNow() - start, 1.0);
  close(fds[0]);
}

}  // namespace
