#include "app/surfaces/surface_driver_route.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/surfaces/surface_link.h"
#include "platform/message_route.h"
#include "platform/processes.h"

namespace {

constexpr double kReplySeconds = 2.0;

bool IsLong(uint32_t type) { return type == QVFourCC("long") || type == QVFourCC("magn"); }
bool IsShort(uint32_t type) { return type == QVFourCC("shor"); }

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}
uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// A parameter's bytes as they travel: numbers big-endian.
std::string ToWire(const SurfaceDriverParam& p) {
  const std::string& b = p.bytes;
  if (IsLong(p.type) && b.size() == 4) {
    uint32_t n;
    std::memcpy(&n, b.data(), 4);
    return {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
  }
  if (IsShort(p.type) && b.size() == 2) {
    uint16_t n;
    std::memcpy(&n, b.data(), 2);
    return {char(n >> 8), char(n)};
  }
  return b;
}

std::string FromWire(uint32_t type, const uint8_t* b, size_t size) {
  if (IsLong(type) && size == 4) {
    const uint32_t n = Get32(b);
    return std::string(reinterpret_cast<const char*>(&n), 4);
  }
  if (IsShort(type) && size == 2) {
    const uint16_t n = uint16_t(b[0] << 8 | b[1]);
    return std::string(reinterpret_cast<const char*>(&n), 2);
  }
  return std::string(reinterpret_cast<const char*>(b), size);
}

const char* ProgramName() {
  const char* named = std::getenv("VELMORA_SURFACE_DRIVER");
  return named && *named ? named : "velmora-surface-driver";
}

// The driver's process, looked for at most once a second while it is not
// running (the lights of a start-up would otherwise search the process
// table dozens of times).
PLProcessSerial gDriver = 0;
std::string gDriverName;
std::chrono::steady_clock::time_point gLastSearch{};

PLProcessSerial Driver() {
  const std::string name = ProgramName();
  if (name == gDriverName && gDriver != 0 && PLProcessIsAlive(gDriver)) return gDriver;
  const auto now = std::chrono::steady_clock::now();
  if (name == gDriverName && gDriver == 0 && now - gLastSearch < std::chrono::seconds(1)) return 0;
  gLastSearch = now;
  gDriverName = name;
  gDriver = PLFindProcess(name.c_str(), nullptr);
  return gDriver;
}

QVStatus Handle(const PLMessage& message, PLDescriptor*, void* refcon) {
  SurfaceDriverEvent event;
  if (message.type != kSurfaceRouteDescriptorType ||
      !SurfaceRouteUnpack(message.data.data(), message.data.size(), &event))
    return -1701;
  event.eventClass = message.eventClass;
  event.eventID = message.eventID;
  return SurfaceLinkHandleEvent(event, int32_t(reinterpret_cast<intptr_t>(refcon)));
}

}  // namespace

std::vector<uint8_t> SurfaceRoutePack(const SurfaceDriverEvent& event) {
  std::vector<uint8_t> out;
  auto add = [&](uint32_t keyword, uint32_t type, const std::string& bytes) {
    Put32(out, keyword);
    Put32(out, type);
    Put32(out, uint32_t(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
  };
  if (event.returnID != 0) {
    const uint16_t id = uint16_t(event.returnID);
    add(kSurfaceRouteReturnID, QVFourCC("shor"), std::string{char(id >> 8), char(id & 0xFF)});
  }
  for (const SurfaceDriverParam& p : event.params) add(p.keyword, p.type, ToWire(p));
  return out;
}

bool SurfaceRouteUnpack(const uint8_t* bytes, size_t size, SurfaceDriverEvent* event) {
  SurfaceDriverEvent e;
  if (size > kSurfaceRouteMaxBytes) return false;
  for (size_t at = 0; at < size;) {
    if (size - at < 12 || e.params.size() >= kSurfaceRouteMaxParams) return false;
    const uint32_t keyword = Get32(bytes + at), type = Get32(bytes + at + 4), length = Get32(bytes + at + 8);
    at += 12;
    if (length > size - at) return false;
    const uint8_t* data = bytes + at;
    at += length;
    if (keyword == kSurfaceRouteReturnID) {
      if (length != 2) return false;
      e.returnID = int16_t(uint16_t(data[0] << 8 | data[1]));
      continue;
    }
    e.params.push_back({keyword, type, FromWire(type, data, length)});
  }
  event->returnID = e.returnID;
  event->params = std::move(e.params);
  return true;
}

const char* SurfaceDriverProgramName() { return ProgramName(); }

QVStatus SurfaceRouteSend(const SurfaceDriverEvent& event, SurfaceDriverEvent* reply) {
  const PLProcessSerial driver = Driver();
  if (driver == 0) return kPLErrNoProcess;
  const std::vector<uint8_t> packed = SurfaceRoutePack(event);
  PLDescriptor direct;
  direct.type = kSurfaceRouteDescriptorType;
  direct.data = packed.data();
  direct.size = packed.size();
  PLReply answer;
  const QVStatus status =
      PLRouteSend(driver, event.eventClass, event.eventID, direct, reply ? &answer : nullptr, kReplySeconds);
  if (status == kPLErrNoProcess) gDriver = 0;
  if (status != kQVNoErr || !reply) return status;
  if (answer.type != kSurfaceRouteDescriptorType || !SurfaceRouteUnpack(answer.data.data(), answer.data.size(), reply))
    return kPLErrConnection;
  return kQVNoErr;
}

void SurfaceRouteInstallHandlers() {
  static const struct {
    uint32_t eventClass, eventID;
  } kEvents[] = {{kSurfaceDriverClass, QVFourCC("JBtn")}, {kSurfaceDriverClass, QVFourCC("JWhl")},
                 {kSurfaceDriverClass, QVFourCC("JRng")}, {kSurfaceDriverClass, QVFourCC("JEnc")},
                 {kSurfaceDriverClass, QVFourCC("JFad")}, {kSurfaceDriverClass, QVFourCC("JCBt")},
                 {kSurfaceDriverClass, QVFourCC("JCen")}, {QVFourCC("aevt"), QVFourCC("ansr")},
                 {kSurfaceDriverClass, QVFourCC("JRMd")}};
  for (const auto& e : kEvents) {
    const intptr_t constant = SurfaceLinkHandlerConstant(e.eventClass, e.eventID);
    // Without a route the link still works over the network; only the
    // driver's events do not arrive.
    QVIgnoreStatus(PLRouteInstallHandler(e.eventClass, e.eventID, Handle, reinterpret_cast<void*>(constant)));
  }
}
