// Line reading for the text LUT kinds, and the words and numbers of a line.
//
// A line ends at LF, CR, CR LF or LF CR; a pair is one line end, so text
// written on any system reads the same. Words are separated by blanks and
// tabs; numbers are whole words of decimal digits with an optional sign.
#include <cctype>
#include <charconv>
#include <string>

#include "platform/file_contents.h"
#include "settings/lut_text.h"

namespace {

// Reads one line from a source with get() (-1 at the end) and unget(c),
// handing each character to put(c), which answers false once it has no room.
template <class Get, class Unget, class Put>
bool ReadOneLine(Get get, Unget unget, Put put) {
  for (;;) {
    int c = get();
    if (c < 0) return false;
    if (c == '\n' || c == '\r') {
      int next = get();
      if (next >= 0 && (next == '\n' || next == '\r') && next != c) return true;
      if (next >= 0) unget(next);
      return true;
    }
    if (!put(char(c))) {
      unget(c);
      return true;
    }
  }
}

}  // namespace

int32_t ReadLineFromFILE(FILE* file, char* buffer, size_t size) {
  if (!buffer || size == 0) return 0;
  buffer[0] = 0;
  if (size < 2 || !file) return 0;
  size_t stored = 0;
  bool ended = ReadOneLine([&] { return std::fgetc(file); }, [&](int c) { std::ungetc(c, file); },
                           [&](char c) {
                             if (stored + 1 >= size) return false;
                             buffer[stored++] = c;
                             return true;
                           });
  buffer[stored] = 0;
  return ended ? 0 : kQVErrEndOfFile;
}

bool LUTNextLine(const std::string& text, size_t* at, std::string* line) {
  line->clear();
  if (*at >= text.size()) return false;
  ReadOneLine([&] { return *at < text.size() ? int(static_cast<unsigned char>(text[(*at)++])) : -1; },
              [&](int) { --*at; },
              [&](char c) {
                line->push_back(c);
                return true;
              });
  return true;
}

std::vector<std::string> LUTWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  for (char c : line) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word.push_back(char(std::tolower(static_cast<unsigned char>(c))));
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

bool LUTParseInteger(const std::string& word, int64_t* value) {
  const char* first = word.data();
  const char* last = word.data() + word.size();
  if (first != last && *first == '+') ++first;
  auto [end, ec] = std::from_chars(first, last, *value);
  return ec == std::errc() && end == last && first != last;
}

bool LUTReadFile(const char* path, std::string* bytes, LUTReadError* error) {
  QVStatus status = PLReadFileContents(path, kLUTMaxFileBytes, bytes);
  if (status == kQVNoErr) return true;
  return LUTFail(error, status == kQVErrFileNotFound ? kQVErrFileNotFound : kQVErrIO, 0, kLUTErrorReading,
                 status == kQVErrParam ? "the file is too large" : "the file cannot be read");
}

bool LUTFail(LUTReadError* error, QVStatus code, int32_t line, const char* message, const std::string& detail) {
  error->code = code;
  error->line = line;
  error->message = message;
  error->detail = detail;
  return false;
}
