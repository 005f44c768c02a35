// Grid text 1D LUT.
//
// Lines are compared lower-cased. Header lines, in any order, until all three
// keywords were seen (other lines are free text):
//   table <word> 2      the kind; only 2 is read
//   gmax <G>            the largest code value, 1..65535
//   gsize <R>           the number of rows, 1..65536
// then lines are skipped up to a heading whose first two words are "r" and
// "g", then R rows of three integers 0..G (red, green, blue):
//
//   Table LUT 2
//   GMax 1023
//   GSize 1024
//   R G B
//   0 0 0
//   1 1 1
//   ...
//
// Blank lines are ignored; a row that is not exactly three integers, and a
// file too short to hold R rows (checked before allocating), are refused.
#include <string>

#include "settings/lut_text.h"

bool LUTParseGridText(const std::string& text, LUTGridText* out, LUTReadError* error) {
  size_t at = 0;
  int32_t lineNumber = 0;
  std::string line;
  int64_t gmax = -1, gsize = -1;
  bool table = false;
  while (!table || gmax < 0 || gsize < 0) {
    if (!LUTNextLine(text, &at, &line))
      return LUTFail(error, kQVErrEndOfFile, lineNumber, kLUTErrorShort, "the \"table\", \"gmax\" and \"gsize\" lines are incomplete");
    ++lineNumber;
    std::vector<std::string> words = LUTWords(line);
    if (words.empty()) continue;
    if (words[0] == "table") {
      int64_t kind = 0;
      if (words.size() < 3 || !LUTParseInteger(words[2], &kind))
        return LUTFail(error, kQVErrIO, lineNumber, kLUTErrorReading, "\"table\" needs a word and a number");
      if (kind != 2) return LUTFail(error, kQVErrParam, lineNumber, kLUTErrorUnsupported, "table kind " + words[2]);
      table = true;
    } else if (words[0] == "gmax" || words[0] == "gsize") {
      int64_t value = 0;
      if (words.size() < 2 || !LUTParseInteger(words[1], &value))
        return LUTFail(error, kQVErrIO, lineNumber, kLUTErrorReading, "\"" + words[0] + "\" needs a number");
      bool isMax = words[0] == "gmax";
      if (value < 1 || value > (isMax ? kLUTMaxValue : kLUTMaxEntries))
        return LUTFail(error, kQVErrIO, lineNumber, kLUTErrorReading, words[0] + " " + words[1] + " out of range");
      (isMax ? gmax : gsize) = value;
    }
  }
  for (;;) {
    if (!LUTNextLine(text, &at, &line))
      return LUTFail(error, kQVErrEndOfFile, lineNumber, kLUTErrorShort, "no \"r g b\" heading");
    ++lineNumber;
    std::vector<std::string> words = LUTWords(line);
    if (words.size() >= 2 && words[0] == "r" && words[1] == "g") break;
  }
  // A row takes at least "0 0 0" and a line end (the last row none).
  if (text.size() - at + 1 < size_t(gsize) * 6)
    return LUTFail(error, kQVErrEndOfFile, lineNumber, kLUTErrorShort,
                std::to_string(gsize) + " rows cannot fit in the " + std::to_string(text.size() - at) +
                    " bytes that follow");
  LUTGridText result;
  result.gmax = int32_t(gmax);
  result.gsize = int32_t(gsize);
  result.rgb.reserve(size_t(gsize) * 3);
  while (result.rgb.size() < size_t(gsize) * 3) {
    if (!LUTNextLine(text, &at, &line))
      return LUTFail(error, kQVErrEndOfFile, lineNumber, kLUTErrorShort,
                  "the file ends after " + std::to_string(result.rgb.size() / 3) + " of " + std::to_string(gsize) + " rows");
    ++lineNumber;
    std::vector<std::string> words = LUTWords(line);
    if (words.empty()) continue;
    int64_t v[3];
    if (words.size() != 3 || !LUTParseInteger(words[0], &v[0]) || !LUTParseInteger(words[1], &v[1]) ||
        !LUTParseInteger(words[2], &v[2]))
      return LUTFail(error, kQVErrIO, lineNumber, kLUTErrorReading, "expected three integers, found \"" + line + "\"");
    for (int64_t value : v) {
      if (value < 0 || value > gmax)
        return LUTFail(error, kQVErrIO, lineNumber, kLUTErrorReading,
                    "value " + std::to_string(value) + " outside 0.." + std::to_string(gmax));
      result.rgb.push_back(uint16_t(value));
    }
  }
  *out = std::move(result);
  return true;
}
