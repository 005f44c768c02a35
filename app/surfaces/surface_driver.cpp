#include "app/surfaces/surface_driver.h"

#include <cstring>

#include "app/surfaces/surface_driver_route.h"

namespace {
SurfaceDriverSender gSender = SurfaceRouteSend;
}  // namespace

const SurfaceDriverParam* SurfaceDriverEvent::Find(uint32_t keyword) const {
  for (const SurfaceDriverParam& p : params)
    if (p.keyword == keyword) return &p;
  return nullptr;
}

bool SurfaceDriverEvent::GetLong(uint32_t keyword, int32_t* value) const {
  const SurfaceDriverParam* p = Find(keyword);
  if (!p || p->bytes.size() != 4) return false;
  std::memcpy(value, p->bytes.data(), 4);
  return true;
}

void SurfaceDriverEvent::AddLong(uint32_t keyword, uint32_t type, int32_t value) {
  AddBytes(keyword, type, &value, 4);
}

void SurfaceDriverEvent::AddBytes(uint32_t keyword, uint32_t type, const void* bytes, size_t count) {
  params.push_back({keyword, type, std::string(static_cast<const char*>(bytes), count)});
}

void SurfaceDriverSetSender(SurfaceDriverSender sender) { gSender = sender; }

QVStatus SurfaceDriverSend(const SurfaceDriverEvent& event, SurfaceDriverEvent* reply) {
  return gSender ? gSender(event, reply) : QVStatus(-1);
}
