// The message route's reading and serving of one connection, open to tests
// and the fuzz target.
#pragma once

#include <cstdint>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>

#include "platform/message_route.h"

struct PLRouteHeader {
  uint32_t kind = 0;
  uint32_t eventClass = 0;
  uint32_t eventID = 0;
  int32_t status = 0;
  uint32_t type = kPLTypeNull;
  uint32_t length = 0;
};

// Decodes and checks a header: the magic, a known kind, a length within
// kPLRouteMaxData. kPLErrConnection when any is wrong.
QVStatus PLRouteDecodeHeader(const uint8_t bytes[kPLRouteHeaderBytes], PLRouteHeader* header);
void PLRouteEncodeHeader(const PLRouteHeader& header, uint8_t bytes[kPLRouteHeaderBytes]);

// Reads one message from the socket before `deadline` (seconds of the
// steady clock): the header, checked, then its data, the buffer growing
// only as bytes arrive.
QVStatus PLRouteReadMessage(int fd, double deadline, PLRouteHeader* header, std::vector<uint8_t>* data);

// Serves one accepted connection: the peer's user checked, the event read,
// handed to its handler and answered. True when a handler ran. The socket is
// left open (the caller closes it).
bool PLRouteServeConnection(int fd);

// The address of a process's route: a name in the abstract namespace made of
// the user and the process id.
socklen_t PLRouteAddress(int32_t pid, sockaddr_un* address);

// Seconds of the steady clock.
double PLRouteNow();
// Seconds a receiver waits for an event's bytes once a sender has connected.
constexpr double kPLRouteReadSeconds = 2.0;
