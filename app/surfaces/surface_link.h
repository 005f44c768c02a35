// The link between the application and the MIDI control surface. Two modes
// (the preference word that follows the surface kind): 2 = raw MIDI bytes
// over a TCP connection to a network surface, read by a thread of its own;
// any other value = through the surface's driver application and its
// events (surface_driver.h). Incoming surface events end in one input
// callback as {control code, value}; outgoing messages are raw System
// Exclusive bytes and a few driver events (lights, timecode, LCD lines).
//
// Everything here runs on the main thread except the socket reader, which
// only reads and posts what it read to the main thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/surfaces/surface_driver.h"
#include "platform/status.h"

constexpr int32_t kSurfaceLinkNetwork = 2;
constexpr size_t kSurfaceDriverMaxRaw = 1024;
// Seconds a connection may take before it is given up.
constexpr double kSurfaceConnectTimeout = 10.0;

using SurfaceInputCallback = void (*)(int16_t code, int32_t value, int32_t flags);

struct SurfaceLinkStatus {
  uint16_t words[3];
  uint8_t bytes[4];
};

// Connects in the mode to the address text and port (network mode), or
// asks the driver application for its status. Failures show an alert and
// leave the link not connected.
void SurfaceLinkConnect(int32_t mode, const char* address, uint16_t port);
// Network mode: lets the last messages go out, stops the reader, closes the
// socket; the link is then not connected. Driver mode: nothing.
void SurfaceLinkDisconnect();
bool SurfaceLinkIsConnected();
void SurfaceLinkSetCallback(SurfaceInputCallback callback);
SurfaceInputCallback SurfaceLinkGetCallback();
const SurfaceLinkStatus& SurfaceLinkGetStatus();
// Whether a reader thread or socket is still open (for tests).
bool SurfaceLinkHasSocket();

// Raw bytes to the surface; nothing when not connected; in driver mode
// nothing above 1,024 bytes. Failures are silent.
void SurfaceLinkWriteRaw(const void* bytes, size_t count);
void SurfaceLinkSetLight(uint8_t light, uint8_t on);
void SurfaceLinkRequestStatus();
void SurfaceLinkWriteTimecode(uint32_t packed);
// text: a length-prefixed string (length byte and characters).
void SurfaceLinkWriteLCDLine(int16_t line, const uint8_t* text, int16_t justification);
void SurfaceLinkWriteLCD(const uint8_t* text1, int16_t justification1, const uint8_t* text2, int16_t justification2);

// One MIDI message from the surface: its event to the callback while
// connected with a callback set.
void SurfaceLinkHandleMIDI(const uint8_t* bytes, size_t count);

// An event from the driver application (or, for 'JRMd', from the socket
// reader). constant is the handler constant 1000 to 1008 the event was
// installed with. 0, -1708 for a constant outside them, or the error of a
// parameter that cannot be read.
QVStatus SurfaceLinkHandleEvent(const SurfaceDriverEvent& event, int32_t constant);
// The handler constant of an event class and id, or 0 when none is installed.
int32_t SurfaceLinkHandlerConstant(uint32_t eventClass, uint32_t eventID);
