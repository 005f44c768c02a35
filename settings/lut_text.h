// The 1D LUT file kinds shared by the curve loader and the preview LUT
// reader, parsed strictly into plain values; each consumer then turns them
// into its own tables. Formats are written down in their files:
//   lut_channel_text.cpp    text LUT with a "LUT:" line
//   lut_grid_text.cpp       grid text LUT with "table", "gmax" and "gsize"
//   lut_arbitrary_map.cpp   binary arbitrary maps of 256 bytes
//   read_line.cpp           the line reader all text kinds use
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/status.h"

// Alert texts of the text readers.
constexpr const char* kLUTErrorReading = "Error encountered while reading LUT file.";
constexpr const char* kLUTErrorShort =
    "LUT file is too short. End of file encountered before all required data was found.";
constexpr const char* kLUTErrorUnsupported = "LUT file is of unsupported type.";
constexpr const char* kLUTErrorTooFewChannels =
    "LUT file contains too few channels. At least three color channels must be defined.";

// Largest entry count and value a LUT file may hold; larger files are refused.
constexpr int32_t kLUTMaxEntries = 65536;
constexpr int32_t kLUTMaxValue = 65535;
constexpr size_t kLUTMaxFileBytes = 32u << 20;

// Why a read failed: the status (kQVErrEndOfFile, kQVErrParam for an
// unsupported kind or too few channels, kQVErrIO for anything else,
// kQVErrFileNotFound, kQVErrMemory), the alert text, and where (line 0: the
// file as a whole).
struct LUTReadError {
  QVStatus code = kQVNoErr;
  int32_t line = 0;
  const char* message = "";
  std::string detail;
};

// Reads one line into buffer (size bytes, always terminated when size >= 1).
// A line ends at LF, CR, CR LF or LF CR (a pair is one end). A line longer
// than size - 1 characters is cut there; the rest is read by the next call.
// 0, or kQVErrEndOfFile (-39) when the input ended before a line end, with
// what was read terminated. A size below 2 yields an empty string and 0.
int32_t ReadLineFromFILE(FILE* file, char* buffer, size_t size);

// The same line ends over text in memory, from *at (lines are not cut);
// false at the end of the text.
bool LUTNextLine(const std::string& text, size_t* at, std::string* line);

// Text LUT with a "LUT:" line: the first three channels, channel after
// channel (3 x entries values), and the largest of them.
struct LUTChannelText {
  int32_t channels = 0;
  int32_t entries = 0;
  int32_t largest = 0;
  std::vector<int32_t> values;
};
bool LUTParseChannelText(const std::string& text, LUTChannelText* out, LUTReadError* error);

// Grid text LUT: gsize rows of red, green and blue (3 x gsize values).
struct LUTGridText {
  int32_t gmax = 0;
  int32_t gsize = 0;
  std::vector<uint16_t> rgb;
};
bool LUTParseGridText(const std::string& text, LUTGridText* out, LUTReadError* error);

// Binary arbitrary maps: the number of whole 256-byte maps (at most four)
// and their bytes.
struct LUTArbitraryMaps {
  int32_t count = 0;
  uint8_t map[4][256] = {};
};
void LUTParseArbitraryMaps(const std::string& bytes, LUTArbitraryMaps* out);

// Fills the error and returns false.
bool LUTFail(LUTReadError* error, QVStatus code, int32_t line, const char* message, const std::string& detail);

// The file's bytes (at most kLUTMaxFileBytes); on failure the error says why.
bool LUTReadFile(const char* path, std::string* bytes, LUTReadError* error);

// A line lower-cased and split at blanks and tabs.
std::vector<std::string> LUTWords(const std::string& line);
// A whole word as a decimal integer (an optional sign, digits, nothing else).
bool LUTParseInteger(const std::string& word, int64_t* value);
