// A driver application that lives in the test: it answers the status
// request, records every event sent to it and gathers the raw bytes the
// surface would receive.
#pragma once

#include <cstring>
#include <vector>

#include "app/surfaces/surface_driver.h"
#include "app/surfaces/surface_link.h"
#include "platform/fourcc.h"

struct FakeDriver {
  static std::vector<SurfaceDriverEvent>& Events() {
    static std::vector<SurfaceDriverEvent> events;
    return events;
  }
  static QVStatus Send(const SurfaceDriverEvent& e, SurfaceDriverEvent* reply) {
    Events().push_back(e);
    if (e.eventID == QVFourCC("Stus") && reply) {
      reply->returnID = e.returnID;
      const uint32_t record[7] = {0x10001, 8, 3, 0x104, 5, 6, 7};
      reply->AddBytes(QVFourCC("StDt"), QVFourCC("TEXT"), record, sizeof record);
    }
    return kQVNoErr;
  }
  // Connects the link in driver mode through this driver.
  static void Connect() {
    SurfaceDriverSetSender(Send);
    SurfaceLinkConnect(1, "", 0);
    Events().clear();
  }
  // The bytes of every raw write since the last Clear, one vector each.
  static std::vector<std::vector<uint8_t>> RawWrites() {
    std::vector<std::vector<uint8_t>> out;
    for (const SurfaceDriverEvent& e : Events())
      if (e.eventID == QVFourCC("JWrH")) {
        const std::string& b = e.Find(QVFourCC("JRaw"))->bytes;
        out.emplace_back(b.begin(), b.end());
      }
    return out;
  }
  // Every driver light event as {light, on}.
  static std::vector<std::pair<int32_t, int32_t>> Lights() {
    std::vector<std::pair<int32_t, int32_t>> out;
    for (const SurfaceDriverEvent& e : Events())
      if (e.eventID == QVFourCC("JStL")) {
        int32_t light = 0, on = 0;
        e.GetLong(QVFourCC("CtlN"), &light);
        e.GetLong(QVFourCC("CVal"), &on);
        out.emplace_back(light, on);
      }
    return out;
  }
  static void Clear() { Events().clear(); }
};
