// Events between our own programs: a message names an event by a class and
// an ID (four-character codes) and carries one descriptor (a type code and
// its bytes); the receiver answers with a status and a descriptor of its own.
//
// Each program that takes events opens its route: a Unix-domain socket in
// the abstract namespace named for its user and process id. A sender
// addresses a process by serial number; it connects, checks that the peer
// is that very process and runs under the same user, writes the message and,
// when it wants the answer, waits for the reply. The receiver serves its
// route whenever it waits (PLRouteServe), and refuses any connection from
// another user. Every wait on either side has a time-out, and a peer that
// ends during an exchange ends the other side's wait at once.
//
// Wire format, every field big-endian, one message per connection:
//
//   0   u32  magic 'VLrt'
//   4   u32  kind: 1 event wanting a reply, 2 event without reply, 3 reply
//   8   u32  event class      12 u32 event ID    (copied into the reply)
//   16  i32  status: 0 in events, the handler's result in a reply
//   20  u32  descriptor type ('null' with no data)
//   24  u32  data length N, at most kPLRouteMaxData
//   28  N bytes of data
//
// Sample: a 'VLae'/'VLtp' event wanting a reply, carrying 4 bytes of 'magn':
//   56 4C 72 74  00 00 00 01  56 4C 61 65  56 4C 74 70
//   00 00 00 00  6D 61 67 6E  00 00 00 04  01 02 03 04
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/fourcc.h"
#include "platform/processes.h"
#include "platform/status.h"

constexpr uint32_t kPLRouteMagic = QVFourCC("VLrt");
constexpr uint32_t kPLTypeNull = QVFourCC("null");
constexpr uint32_t kPLTypeBytes = QVFourCC("magn");
constexpr size_t kPLRouteHeaderBytes = 28;
// The most data one message may carry; a longer claim is refused unread.
constexpr size_t kPLRouteMaxData = size_t(256) << 20;
// Seconds a sender waits for the reply unless it says otherwise.
constexpr double kPLRouteDefaultTimeout = 10.0;

enum : uint32_t { kPLRouteEventWithReply = 1, kPLRouteEventNoReply = 2, kPLRouteReply = 3 };

enum : int32_t {
  kPLErrNoProcess = -600,    // no such process, or it has no route open
  kPLErrConnection = -609,   // the peer broke off the exchange or answered outside the format
  kPLErrPermission = -54,    // the peer is not the process addressed or runs under another user
};

// A descriptor to send: bytes the sender keeps (nothing is copied) and an
// optional release procedure called once they have been written or dropped.
struct PLDescriptor {
  uint32_t type = kPLTypeNull;
  const uint8_t* data = nullptr;
  size_t size = 0;
  void (*release)(const uint8_t* data, void* refcon) = nullptr;
  void* releaseRef = nullptr;
};

// An event as its handler receives it.
struct PLMessage {
  uint32_t eventClass = 0;
  uint32_t eventID = 0;
  bool wantsReply = false;
  uint32_t type = kPLTypeNull;
  std::vector<uint8_t> data;
  int32_t senderPID = 0;
};

// A reply as the sender receives it.
struct PLReply {
  QVStatus status = kQVNoErr;
  uint32_t type = kPLTypeNull;
  std::vector<uint8_t> data;
};

// A handler answers with a status (carried in the reply) and may fill the
// reply descriptor; its release procedure runs after the reply is written.
using PLMessageHandler = QVStatus (*)(const PLMessage& message, PLDescriptor* reply, void* refcon);

// Called between looks at the socket while a sender waits. It may set the
// ticks (1/60 s) until the next call, and returns true to give up the wait.
using PLRouteIdleProc = bool (*)(int32_t* sleepTicks, void* refcon);

// Opens this process's route (again after a fork). 0, or kQVErrIO.
QVStatus PLRouteOpen();
void PLRouteClose();
bool PLRouteIsOpen();

// Handlers by class and ID; installing one opens the route. Installing over
// an existing pair replaces it.
QVStatus PLRouteInstallHandler(uint32_t eventClass, uint32_t eventID, PLMessageHandler handler, void* refcon);
void PLRouteRemoveHandler(uint32_t eventClass, uint32_t eventID);

// Waits up to `seconds` for events and serves each that arrives (an event
// with no handler is answered kQVErrEventNotHandled); without an open route
// it only sleeps. Returns the number of events handed to handlers.
int PLRouteServe(double seconds);

// Sends an event to the process `target`. With `reply`, waits up to
// `timeoutSeconds` for the answer and returns the handler's status (the
// reply's descriptor in *reply); without, returns once the event is written.
// kPLErrNoProcess, kPLErrPermission, kPLErrConnection, kQVErrTimeout,
// kQVErrCancelled (the idle procedure gave up) or kQVErrMemory otherwise.
// The direct descriptor's release procedure runs before the return.
QVStatus PLRouteSend(PLProcessSerial target, uint32_t eventClass, uint32_t eventID, const PLDescriptor& direct,
                     PLReply* reply, double timeoutSeconds = kPLRouteDefaultTimeout,
                     PLRouteIdleProc idle = nullptr, void* idleRef = nullptr);

// Asks a process to bring its windows to the front: the event
// 'QVps'/'actv' without reply, answered by a program that installs it.
constexpr uint32_t kPLEventClassProcess = QVFourCC("QVps");
constexpr uint32_t kPLEventActivate = QVFourCC("actv");
QVStatus PLRouteActivate(PLProcessSerial target);
