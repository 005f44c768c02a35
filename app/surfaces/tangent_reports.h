// The USB panel's report bytes: the input report's button bits and encoder
// counts, the text reports that write display lines and fields, and the
// glyph set-up reports of the panel's twelve custom characters.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint16_t kTangentVendorID = 0x04D8;
constexpr uint16_t kTangentProductID = 0xFDCF;

constexpr int32_t kTangentButtonCount = 41;
constexpr int32_t kTangentEncoderCount = 19;
constexpr int32_t kTangentButtonBytes = 6;
constexpr int32_t kTangentEncoderByte = 6;          // encoder i's count is at 6 + i
constexpr size_t kTangentInputReportSize = 256;

constexpr int32_t kTangentDisplayCount = 3;
constexpr int32_t kTangentLinesPerDisplay = 5;
constexpr int32_t kTangentLineLength = 32;

// Output report commands (the report's first byte).
constexpr uint8_t kTangentReportText = 0x00;
constexpr uint8_t kTangentReportGlyph = 0x01;
constexpr size_t kTangentTextHeader = 5;            // command, display, line, column, count
constexpr size_t kTangentMaxTextReport = kTangentTextHeader + kTangentLineLength;
constexpr size_t kTangentGlyphReportSize = 15;

// Justification of a whole line and alignment of a field.
enum : int32_t {
  kTangentJustifyLeft = -2,
  kTangentJustifyRight = -1,
  kTangentJustifyCentre = 1,
  kTangentAlignEnd = -1,     // the field ends just before the column
  kTangentAlignCentre = 1,   // the field is centred on the column
  kTangentAlignStart = 0,    // the field starts at the column
};

// The custom characters: code 1-12, then 13 rows of 8 dots.
constexpr int32_t kTangentGlyphCount = 12;
extern const uint8_t kTangentGlyphReports[kTangentGlyphCount][14];

// "_", "|" and "+" go to the panel as its custom characters 1, 2 and 3.
uint8_t TangentTranslateTextByte(uint8_t c);

// The glyph set-up report of glyph index (0-11) into out; its length.
size_t TangentEncodeGlyphReport(int32_t index, uint8_t out[kTangentGlyphReportSize]);

// A whole 32-character line, text justified in spaces (only its first 32
// characters are sent). Returns the report's length (always 37).
size_t TangentEncodeDisplayLine(int32_t display, int32_t line, const char* text, int32_t justification,
                                uint8_t out[kTangentMaxTextReport]);

// A field of text placed by alignment at column. The start column is held
// at 0 and the characters to the end of the line; returns 0 (nothing to
// send) when none of the field falls on the line.
size_t TangentEncodeField(int32_t display, int32_t line, int32_t column, const char* text, int32_t alignment,
                          uint8_t out[kTangentMaxTextReport]);

// Decodes one input report of length bytes. Button bits are compared with
// previous (six bytes, updated): every changed bit of buttons 0-40 goes to
// button (refcon, index, 1 pressed / 0 released); then every non-zero
// signed encoder count goes to encoder (refcon, index, count). Only the
// bytes received are read: a short report changes no button whose byte is
// missing and moves no encoder whose count is missing. Either callback may
// be null, which skips its part.
using TangentButtonProc = void (*)(void* refcon, int32_t index, int32_t state);
using TangentEncoderProc = void (*)(void* refcon, int32_t index, int32_t count);
void TangentDecodeInputReport(const uint8_t* report, size_t length, uint8_t previous[kTangentButtonBytes],
                              TangentButtonProc button, TangentEncoderProc encoder, void* refcon);
