// The message route's receiving side: the bytes arrive on a connection as a
// sender would write them, are read, checked, handed to a handler and
// answered, as the route serves every connection.
#include <cstring>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

#include "fuzz/fuzz_support.h"
#include "platform/message_route.h"
#include "platform/message_route_internal.h"

namespace {

// Answers with the carried bytes, as the frame handlers answer with a frame.
QVStatus echo(const PLMessage& m, PLDescriptor* reply, void* refcon) {
  auto* kept = static_cast<std::vector<uint8_t>*>(refcon);
  *kept = m.data;
  reply->type = m.type;
  reply->data = kept->data();
  reply->size = kept->size();
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<uint8_t> kept;
  static bool installed = false;
  if (!installed) {
    installed = true;
    // Without the handler every message is still read and checked; only the
    // answering path would go untried.
    QVIgnoreStatus(PLRouteInstallHandler(QVFourCC("VLae"), QVFourCC("VLgf"), echo, &kept));
  }
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return 0;
  // What fits the socket's buffer at once; the rest of a long input is cut.
  size_t done = 0;
  while (done < size) {
    const ssize_t n = send(fds[1], data + done, size - done, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n <= 0) break;
    done += size_t(n);
  }
  shutdown(fds[1], SHUT_WR);
  PLRouteServeConnection(fds[0]);
  close(fds[0]);
  close(fds[1]);
  return 0;
}
