// Text 1D LUT with a "LUT:" line (the preview LUT files this system writes
// are of this kind).
//
// Lines are compared lower-cased. A line whose first word begins with "#" is
// a comment, blank lines are ignored, and lines before the "LUT:" line are
// free text. The "LUT:" line gives the channel count C (at least 3) and the
// entry count N; then come C x N lines of one integer each, channel after
// channel (red, green, blue, further channels ignored):
//
//   # Preview LUT
//   LUT: 3 4096
//         0
//         1
//   ...         4096 red values, then 4096 green, then 4096 blue
//
// Refused: N outside 1..65536, values outside 0..65535, a data line that is
// not exactly one integer, and a file too short to hold 3 x N lines (checked
// before anything is allocated).
#include <string>

#include "settings/lut_text.h"

namespace {

bool IsComment(const std::vector<std::string>& words) { return words.empty() || words[0][0] == '#'; }

}  // namespace

bool LUTParseChannelText(const std::string& text, LUTChannelText* out, LUTReadError* error) {
  size_t at = 0;
  int32_t lineNumber = 0;
  std::string line;
  std::vector<std::string> words;
  for (;;) {
    if (!LUTNextLine(text, &at, &line))
      return LUTFail(error, kQVErrEndOfFile, lineNumber, kLUTErrorShort, "no \"LUT:\" line");
    ++lineNumber;
    words = LUTWords(line);
    if (!IsComment(words) && words[0] == "lut:") break;
  }
  int64_t channels = 0, entries = 0;
  if (words.size() < 3 || !LUTParseInteger(words[1], &channels) || !LUTParseInteger(words[2], &entries))
    return LUTFail(error, kQVErrIO, lineNumber, kLUTErrorReading, "the \"LUT:\" line needs a channel and an entry count");
  if (channels < 3)
    return LUTFail(error, kQVErrParam, lineNumber, kLUTErrorTooFewChannels, std::to_string(channels) + " channels");
  if (channels > 64 || entries < 1 || entries > kLUTMaxEntries)
    return LUTFail(error, kQVErrIO, lineNumber, kLUTErrorReading,
                "counts out of range: " + std::to_string(channels) + " channels of " + std::to_string(entries));
  const size_t wanted = size_t(3 * entries);
  // Every value takes at least one digit and a line end.
  if (text.size() - at + 1 < wanted * 2)
    return LUTFail(error, kQVErrEndOfFile, lineNumber, kLUTErrorShort,
                std::to_string(wanted) + " values cannot fit in the " + std::to_string(text.size() - at) +
                    " bytes that follow");
  LUTChannelText result;
  result.channels = int32_t(channels);
  result.entries = int32_t(entries);
  result.values.reserve(wanted);
  while (result.values.size() < wanted) {
    if (!LUTNextLine(text, &at, &line))
      return LUTFail(error, kQVErrEndOfFile, lineNumber, kLUTErrorShort,
                  "the file ends after " + std::to_string(result.values.size()) + " of " + std::to_string(wanted) +
                      " values");
    ++lineNumber;
    words = LUTWords(line);
    if (IsComment(words)) continue;
    int64_t value = 0;
    if (words.size() != 1 || !LUTParseInteger(words[0], &value))
      return LUTFail(error, kQVErrIO, lineNumber, kLUTErrorReading, "expected one integer, found \"" + line + "\"");
    if (value < 0 || value > kLUTMaxValue)
      return LUTFail(error, kQVErrIO, lineNumber, kLUTErrorReading, "value " + words[0] + " outside 0..65535");
    result.largest = std::max(result.largest, int32_t(value));
    result.values.push_back(int32_t(value));
  }
  *out = std::move(result);
  return true;
}
