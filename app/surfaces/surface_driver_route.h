// The driver application's events over the programs' message route. One
// route message carries one descriptor, so an event's parameters travel
// packed into a descriptor of type 'JLpr', every field big-endian:
//
//   repeated:  u32 keyword   u32 type   u32 length N   N bytes
//
// A status request's return id travels as the parameter 'rtid' ('shor', 2
// bytes). 32-bit values ('long', 'magn') are sent big-endian and read back
// into native order. The driver is the running program named by the
// environment variable VELMORA_SURFACE_DRIVER (default
// "velmora-surface-driver").
#pragma once

#include <cstdint>
#include <vector>

#include "app/surfaces/surface_driver.h"
#include "platform/status.h"

constexpr uint32_t kSurfaceRouteDescriptorType = QVFourCC("JLpr");
constexpr uint32_t kSurfaceRouteReturnID = QVFourCC("rtid");
// The most parameters and bytes a packed descriptor may hold.
constexpr size_t kSurfaceRouteMaxParams = 16;
constexpr size_t kSurfaceRouteMaxBytes = 4096;

// The packed parameters of an event, and back; false for bytes that are not
// a packed parameter list (the event is then left empty).
std::vector<uint8_t> SurfaceRoutePack(const SurfaceDriverEvent& event);
bool SurfaceRouteUnpack(const uint8_t* bytes, size_t size, SurfaceDriverEvent* event);

// The sender that carries events to the driver over the route.
QVStatus SurfaceRouteSend(const SurfaceDriverEvent& event, SurfaceDriverEvent* reply);
// Installs the link's nine event handlers on this program's route.
void SurfaceRouteInstallHandlers();
// The driver program's name.
const char* SurfaceDriverProgramName();
