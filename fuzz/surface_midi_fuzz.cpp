// The network surface's byte stream: cut into messages and decoded, every
// event names a surface control (or 0) with a value a message can carry.
#include <cstdint>
#include <cstdlib>

#include "app/surfaces/surface_definitions.h"
#include "app/surfaces/surface_midi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SurfaceMIDIFramer framer;
  for (size_t i = 0; i < size; ++i) {
    int16_t code = 0;
    int32_t value = 0;
    // Every 3-byte window decodes safely, message or not.
    if (i + 3 <= size) SurfaceDecodeMIDI(data + i, 3, &code, &value);
    if (!framer.Push(data[i])) continue;
    if (!SurfaceMIDIIsStatusByte(framer.message[0])) __builtin_trap();
    if (!SurfaceDecodeMIDI(framer.message, 3, &code, &value)) continue;
    const bool named = (code >= 0 && code <= kSurfaceLastPhysicalID) || code == kSurfaceAnnounceID;
    if (!named || value < -64 || value > 63) __builtin_trap();
  }
  return 0;
}
