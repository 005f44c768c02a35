#include "app/surfaces/tangent_reports.h"

#include <cstring>

const uint8_t kTangentGlyphReports[kTangentGlyphCount][14] = {
    {1, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {2, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},
    {3, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},
    {4, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0xF8, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {5, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},
    {6, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {7, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0F, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},
    {8, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {9, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},
    {10, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0xF8, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},
    {11, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x0F, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},
    {12, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00},
};

uint8_t TangentTranslateTextByte(uint8_t c) {
  switch (c) {
    case '_': return 1;
    case '|': return 2;
    case '+': return 3;
    default: return c;
  }
}

size_t TangentEncodeGlyphReport(int32_t index, uint8_t out[kTangentGlyphReportSize]) {
  if (index < 0 || index >= kTangentGlyphCount) return 0;
  out[0] = kTangentReportGlyph;
  std::memcpy(out + 1, kTangentGlyphReports[index], 14);
  return kTangentGlyphReportSize;
}

namespace {

void PutHeader(uint8_t* out, int32_t display, int32_t line, int32_t column, int32_t count) {
  out[0] = kTangentReportText;
  out[1] = uint8_t(display);
  out[2] = uint8_t(line);
  out[3] = uint8_t(column);
  out[4] = uint8_t(count);
}

}  // namespace

size_t TangentEncodeDisplayLine(int32_t display, int32_t line, const char* text, int32_t justification,
                                uint8_t out[kTangentMaxTextReport]) {
  const char* t = text ? text : "";
  const size_t n = strnlen(t, kTangentLineLength);
  size_t lead = 0;
  if (justification == kTangentJustifyCentre)
    lead = (kTangentLineLength - n) / 2;
  else if (justification == kTangentJustifyRight)
    lead = kTangentLineLength - n;
  PutHeader(out, display, line, 0, kTangentLineLength);
  uint8_t* body = out + kTangentTextHeader;
  std::memset(body, ' ', kTangentLineLength);
  for (size_t i = 0; i < n; ++i) body[lead + i] = TangentTranslateTextByte(uint8_t(t[i]));
  return kTangentMaxTextReport;
}

size_t TangentEncodeField(int32_t display, int32_t line, int32_t column, const char* text, int32_t alignment,
                          uint8_t out[kTangentMaxTextReport]) {
  const char* t = text ? text : "";
  const int64_t n = int64_t(strnlen(t, 4096));
  int64_t start = column;
  if (alignment == kTangentAlignEnd)
    start = int64_t(column) - n;
  else if (alignment == kTangentAlignCentre)
    start = int64_t(column) - n / 2;
  if (start < 0) start = 0;
  if (start >= kTangentLineLength) return 0;
  int64_t count = n;
  if (count > kTangentLineLength - start) count = kTangentLineLength - start;
  if (count <= 0) return 0;
  PutHeader(out, display, line, int32_t(start), int32_t(count));
  for (int64_t i = 0; i < count; ++i) out[kTangentTextHeader + i] = TangentTranslateTextByte(uint8_t(t[i]));
  return kTangentTextHeader + size_t(count);
}

void TangentDecodeInputReport(const uint8_t* report, size_t length, uint8_t previous[kTangentButtonBytes],
                              TangentButtonProc button, TangentEncoderProc encoder, void* refcon) {
  if (!report) return;
  if (button) {
    int32_t index = 0;
    for (int32_t b = 0; b < kTangentButtonBytes && size_t(b) < length; ++b) {
      const uint8_t now = report[b];
      const uint8_t changed = uint8_t(now ^ previous[b]);
      previous[b] = now;
      for (int32_t bit = 0; bit < 8; ++bit, ++index) {
        if (index >= kTangentButtonCount) break;
        if (changed & (1u << bit)) button(refcon, index, (now >> bit) & 1);
      }
    }
  }
  if (encoder) {
    for (int32_t i = 0; i < kTangentEncoderCount; ++i) {
      const size_t at = size_t(kTangentEncoderByte + i);
      if (at >= length) break;
      const int32_t count = int8_t(report[at]);
      if (count != 0) encoder(refcon, i, count);
    }
  }
}
