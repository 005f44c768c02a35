// The events between the application and the surface's driver application
// (signature 'Zu3z', class 'JLCn'): each carries an event class and id and a
// few parameters, each a keyword, a type and its bytes.
//
// How an event travels between the programs is the business of one sender
// function: the message route (surface_driver_route.h) unless another is
// set (SurfaceDriverSetSender; null: events to the driver go nowhere).
// Events from the driver reach SurfaceLinkHandleEvent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fourcc.h"
#include "platform/status.h"

constexpr uint32_t kSurfaceDriverSignature = QVFourCC("Zu3z");
constexpr uint32_t kSurfaceDriverClass = QVFourCC("JLCn");
constexpr int16_t kSurfaceStatusReturnID = 0x1234;

struct SurfaceDriverParam {
  uint32_t keyword = 0;
  uint32_t type = 0;
  std::string bytes;
};

struct SurfaceDriverEvent {
  uint32_t eventClass = 0;
  uint32_t eventID = 0;
  int16_t returnID = 0;
  std::vector<SurfaceDriverParam> params;

  // The parameter of a keyword, or null.
  const SurfaceDriverParam* Find(uint32_t keyword) const;
  // A 32-bit value parameter (native order); false when it is missing or
  // not exactly 4 bytes.
  bool GetLong(uint32_t keyword, int32_t* value) const;
  void AddLong(uint32_t keyword, uint32_t type, int32_t value);
  void AddBytes(uint32_t keyword, uint32_t type, const void* bytes, size_t count);
};

// Sends an event to the driver application. With reply null nothing is
// waited for; otherwise the driver's answer is put there. A status.
using SurfaceDriverSender = QVStatus (*)(const SurfaceDriverEvent& event, SurfaceDriverEvent* reply);
void SurfaceDriverSetSender(SurfaceDriverSender sender);
// The event to the driver through the sender in force; -1 without one.
QVStatus SurfaceDriverSend(const SurfaceDriverEvent& event, SurfaceDriverEvent* reply);
