#include "app/surfaces/surface_midi.h"

namespace {

constexpr int16_t kL1[14] = {74, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 85, 86, 87};
constexpr int16_t kL2[14] = {115, 116, 117, 118, 119, 120, 121, 122, 109, 110, 111, 112, 113, 114};
constexpr int16_t kT[9] = {94, 96, 95, 97, 99, 98, 100, 102, 101};
constexpr int16_t kN[9] = {103, 104, 105, 106, 107, 108, 123, 124, 125};
constexpr int16_t kAnnounce = 512;

int32_t Signed7(uint8_t b) { return int32_t(int8_t(uint8_t((b & 0x7F) | ((b & 0x40) << 1)))); }

bool Put(int16_t c, int32_t v, int16_t* code, int32_t* value) {
  *code = c;
  *value = v;
  return true;
}

bool DecodeB6(uint8_t second, uint8_t third, int16_t* code, int32_t* value) {
  if (second <= 2) {
    if (third <= 13) return Put(kL1[third], second, code, value);
    if (third == 23) return Put(kAnnounce, second, code, value);
    return false;
  }
  if (second <= 8) return Put(int16_t(88 + second - 3), Signed7(third), code, value);
  if (second <= 15) return Put(0, Signed7(third), code, value);
  if (second <= 24) return Put(kT[second - 16], Signed7(third), code, value);
  return false;
}

bool DecodeB5(uint8_t second, uint8_t third, int16_t* code, int32_t* value) {
  if (second <= 7) return third <= 13 && Put(kL2[third], second & 1, code, value);
  if (second <= 16) return Put(kN[second - 8], Signed7(third), code, value);
  return false;
}

bool Decode80(uint8_t second, uint8_t third, int16_t* code, int32_t* value) {
  if (second <= 2) {
    if (third <= 13) return Put(kL1[third], second, code, value);
    if (third <= 15) return Put(0, second, code, value);
    if (third <= 29) return Put(kL2[third - 16], second, code, value);
    if (third == 127) return Put(kAnnounce, second, code, value);
    return false;
  }
  if (second <= 8) return Put(int16_t(88 + second - 3), Signed7(third), code, value);
  if (second <= 15) return Put(0, Signed7(third), code, value);
  if (second <= 24) return Put(kT[second - 16], Signed7(third), code, value);
  if (second <= 31) return Put(0, Signed7(third), code, value);
  if (second <= 40) return Put(kN[second - 32], Signed7(third), code, value);
  return false;
}

}  // namespace

bool SurfaceMIDIIsStatusByte(uint8_t byte) { return byte == 0x80 || byte == 0xB5 || byte == 0xB6; }

bool SurfaceMIDIFramer::Push(uint8_t byte) {
  if (have == 0 && !SurfaceMIDIIsStatusByte(byte)) return false;
  message[have++] = byte;
  if (have < 3) return false;
  have = 0;
  return true;
}

bool SurfaceDecodeMIDI(const uint8_t* bytes, size_t count, int16_t* code, int32_t* value) {
  if (!bytes || count != 3 || !code || !value) return false;
  switch (bytes[0]) {
    case 0xB6: return DecodeB6(bytes[1], bytes[2], code, value);
    case 0xB5: return DecodeB5(bytes[1], bytes[2], code, value);
    case 0x80: return Decode80(bytes[1], bytes[2], code, value);
    default: return false;
  }
}
