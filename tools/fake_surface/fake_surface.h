// A stand-in for the network control surface: it listens on a loopback TCP
// port, takes one connection from the application, sends it surface events
// as the surface's MIDI messages and keeps a log of everything the
// application sends back (lights, display lines, raw messages), one line
// each:
//
//   greeting                          F0 15 25 02 01 01 00 00 F7
//   status request                    F0 15 25 03 F7
//   light A 7 lit | light B 3 dark    a light of unit A or B
//   display left 1 |Quorvane        | a display line, its 24 characters between bars
//   sysex F0 ...                      any other System Exclusive message
//   raw BF 67 00                      a 3-byte message
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct FakeSurface;

// Listens on 127.0.0.1 at port (0: any free port); null with the reason.
std::unique_ptr<FakeSurface, void (*)(FakeSurface*)> FakeSurfaceOpen(uint16_t port, std::string* error);
uint16_t FakeSurfacePort(const FakeSurface* surface);
// Waits up to the time-out for the application to connect; from then on a
// thread of its own reads and logs what arrives.
bool FakeSurfaceAccept(FakeSurface* surface, double timeoutSeconds);
bool FakeSurfaceConnected(const FakeSurface* surface);
// Whether the application closed its end.
bool FakeSurfaceClosedByPeer(const FakeSurface* surface);

// The MIDI message of a surface event; false when the surface cannot send
// that control or value.
bool FakeSurfaceEncode(int32_t code, int32_t value, uint8_t message[3]);
// Sends an event by control name ("encoder_s1", "page_s2", "id"); false for
// a name or value the surface cannot send, or a failed write.
bool FakeSurfaceSend(FakeSurface* surface, const std::string& control, int32_t value);
// Sends bytes as they are (garbage, half messages).
bool FakeSurfaceSendBytes(FakeSurface* surface, const std::vector<uint8_t>& bytes);
// The announcement the surface makes once it is ready.
bool FakeSurfaceAnnounce(FakeSurface* surface);
// Closes the connection (the listening socket stays).
void FakeSurfaceHangUp(FakeSurface* surface);

// The log so far, and emptying it.
std::vector<std::string> FakeSurfaceLog(FakeSurface* surface);
void FakeSurfaceClearLog(FakeSurface* surface);
// Waits up to the time-out until the log holds a line equal to `line`.
bool FakeSurfaceWaitFor(FakeSurface* surface, const std::string& line, double timeoutSeconds);

// The driver application's side: opens this program's message route and
// answers the application's driver events, logging them as
//   driver status request | driver light 30 on | driver raw <line as above>
//   driver timecode 01020304 | driver lcd 0 |Quorvane| 1
// False when the route cannot be opened.
bool FakeSurfaceOpenDriver(FakeSurface* surface);
// Serves the route for up to the time given (the driver's events arrive here).
void FakeSurfaceServeDriver(double seconds);
// Sends the application (the running program of that name) a driver event:
// kind "button" (control name and value), "wheel" or "ring" (value).
bool FakeSurfaceDriverSend(const std::string& application, const std::string& kind, const std::string& control,
                           int32_t value);

// One line of a script: "announce", "send NAME VALUE", "bytes HEX...",
// "wait SECONDS", "hangup", "driver button NAME VALUE", "driver wheel VALUE",
// "driver ring VALUE", "#..." and empty lines. False with the reason
// for a line that is not one of these or a send that failed.
bool FakeSurfaceRunLine(FakeSurface* surface, const std::string& line, std::string* error);
