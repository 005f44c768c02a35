// Video output devices: a card or box that shows frames of one fixed size on
// an outside monitor. A device kind is found by its four-character subtype
// (the "External Preview Device" preference) and opened as an instance that
// is given a display mode, begun, handed whole frames in 32-bit 'BGRA'
// layout of its own size, ended and closed.
//
// Two kinds are always present: the null device ('NuLL', 720 x 486, every
// frame dropped) and the in-memory device ('MeMo') that keeps every frame
// it is handed, so tests can see what reached the output. Other kinds are
// registered by the code that drives real hardware.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/fourcc.h"
#include "platform/status.h"

struct PLVideoDevice;  // one open instance

// One display mode a device offers. The rate is 16.16 fixed point in frames
// or fields per second as the device counts them (0 when it gives none);
// the pixel type and the first decompressor type are four-character codes
// (a type may also be a plain bit depth such as 32).
struct PLVideoDisplayMode {
  uint32_t id;  // what setDisplayMode takes
  char name[64];
  int32_t width, height;
  int32_t rate;
  uint32_t pixelType;
  uint32_t decompressorType;
};

struct PLVideoDeviceKind {
  uint32_t subtype;
  const char* name;
  QVStatus (*open)(PLVideoDevice** device);
  // The mode chooses the output's size; an unknown mode is refused.
  QVStatus (*setDisplayMode)(PLVideoDevice* device, uint32_t mode);
  QVStatus (*begin)(PLVideoDevice* device);
  void (*end)(PLVideoDevice* device);
  void (*close)(PLVideoDevice* device);
  // The output's size once begun (0 x 0 before).
  void (*size)(PLVideoDevice* device, int32_t* width, int32_t* height);
  // Shows one frame of the output's size.
  QVStatus (*showFrame)(PLVideoDevice* device, const uint8_t* pixels, int32_t rowBytes);
  // Fills up to max of the open device's display modes; returns how many it has.
  int32_t (*displayModes)(PLVideoDevice* device, PLVideoDisplayMode* out, int32_t max);
};

constexpr uint32_t kPLVideoNullDevice = QVFourCC("NuLL");
constexpr uint32_t kPLVideoMemoryDevice = QVFourCC("MeMo");

// The first registered kind with the subtype; null when none.
const PLVideoDeviceKind* PLVideoFindDevice(uint32_t subtype);
// Adds a kind (kept by pointer, searched after the built-in ones).
void PLVideoRegisterDevice(const PLVideoDeviceKind* kind);
// The kinds in registry order (the built-in ones first); null past the end.
int32_t PLVideoDeviceCount();
const PLVideoDeviceKind* PLVideoDeviceAt(int32_t index);

// The in-memory device's set-up and record. Display modes: 0 the size set
// here (720 x 486 until set), 'ntsc' 720 x 486, 'pal ' 720 x 576, 'hd10'
// 1920 x 1080; any other mode is refused. Both built-in devices list the
// three named modes (interlaced, rates in fields per second). `beginFailures` begins fail
// before one succeeds.
struct PLMemoryVideoRecord {
  int32_t opens = 0;
  int32_t begins = 0;      // attempts, failed ones included
  int32_t closes = 0;
  bool running = false;
  uint32_t mode = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<std::vector<uint8_t>> frames;  // every frame, rows packed (width x 4 bytes)
};
void PLMemoryVideoConfigure(int32_t width, int32_t height, int32_t beginFailures);
const PLMemoryVideoRecord& PLMemoryVideoRecorded();
// Forgets the record and the set-up (back to 720 x 486, no failures).
void PLMemoryVideoReset();
