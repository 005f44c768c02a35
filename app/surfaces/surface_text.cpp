#include "app/surfaces/surface_text.h"

#include <cstdint>

#include "app/state/focus_text.h"

namespace {

// Code points of bytes 0x80 to 0x9F; the undefined ones keep their own.
constexpr uint16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint32_t CodePointOf(uint8_t byte) { return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte; }

char ByteOf(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return char(cp);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == cp) return char(0x80 + i);
  return '?';
}

// The next code point of s from i (advanced past it); false for a broken
// or overlong sequence, i then advanced by one byte.
bool NextCodePoint(const std::string& s, size_t& i, uint32_t* cp) {
  const uint8_t b = uint8_t(s[i]);
  if (b < 0x80) {
    *cp = b;
    ++i;
    return true;
  }
  const int more = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
  if (more < 0 || i + size_t(more) >= s.size()) {
    ++i;
    return false;
  }
  uint32_t v = more == 1 ? (b & 0x1F) : more == 2 ? (b & 0x0F) : (b & 0x07);
  for (int k = 1; k <= more; ++k) {
    const uint8_t c = uint8_t(s[i + size_t(k)]);
    if ((c & 0xC0) != 0x80) {
      ++i;
      return false;
    }
    v = (v << 6) | (c & 0x3F);
  }
  constexpr uint32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
  if (v < kLeast[more] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) {
    ++i;
    return false;
  }
  i += size_t(more) + 1;
  *cp = v;
  return true;
}

}  // namespace

std::string SurfaceLatin1ToUTF8(const char* text, size_t length) {
  std::string out;
  for (size_t i = 0; text && i < length && text[i] != '\0'; ++i) {
    const uint8_t b = uint8_t(text[i]);
    const bool xmlControl = b < 0x20 && b != '\t' && b != '\n' && b != '\r';
    QVAppendUTF8(out, xmlControl ? uint32_t('?') : CodePointOf(b));
  }
  return out;
}

void SurfaceUTF8ToLatin1(const std::string& text, char* out, size_t size) {
  if (size == 0) return;
  size_t n = 0;
  for (size_t i = 0; i < text.size() && n + 1 < size;) {
    uint32_t cp = 0;
    out[n++] = NextCodePoint(text, i, &cp) ? ByteOf(cp) : '?';
  }
  out[n] = '\0';
}
