#include "support/strings.h"

#include <algorithm>
#include <cctype>
#include <cstring>

void Append(unsigned char* destination, const unsigned char* source) {
  if (destination == nullptr || source == nullptr || source[0] == 0) return;
  size_t room = 255 - destination[0];
  size_t n = std::min<size_t>(source[0], room);
  std::memcpy(destination + 1 + destination[0], source + 1, n);
  destination[0] = (unsigned char)(destination[0] + n);
}

unsigned char* StrCopy(const unsigned char* source, unsigned char* destination) {
  if (source == nullptr || destination == nullptr) return destination;
  std::memmove(destination, source, size_t(source[0]) + 1);
  return destination;
}

const char* GetFileExtensionCStr(const char* name) {
  if (name == nullptr) return nullptr;
  const char* dot = std::strrchr(name, '.');
  return (dot != nullptr && dot != name) ? dot : nullptr;
}

char* GetFileExtensionCStr(char* name) {
  return const_cast<char*>(GetFileExtensionCStr(static_cast<const char*>(name)));
}

int RemoveFileExtensionCStr(char* name) {
  char* dot = GetFileExtensionCStr(name);
  if (dot == nullptr) return 0;
  *dot = '\0';
  return 1;
}

const char* GetFilenameFromPathCStr(const char* path) {
  if (path == nullptr) return nullptr;
  const char* slash = std::strrchr(path, '/');
  return (slash != nullptr && slash != path) ? slash + 1 : path;
}

char* GetFilenameFromPathCStr(char* path) {
  return const_cast<char*>(GetFilenameFromPathCStr(static_cast<const char*>(path)));
}

void QVStripTrailingSpaces(char* text) {
  if (text == nullptr) return;
  size_t n = std::strlen(text);
  while (n > 0 && text[n - 1] == ' ') --n;
  text[n] = '\0';
}

void QVStripTrailingZeros(char* text) {
  if (text == nullptr) return;
  if (std::strchr(text, '.') == nullptr) return;
  size_t n = std::strlen(text);
  size_t i = n;
  while (i > 0 && text[i - 1] == '0') --i;
  if (i == 0) return;  // zeros only
  size_t cut = (text[i - 1] == '.') ? i + 1 : i;  // keep one zero after the point
  if (cut < n) text[cut] = '\0';
}

int TruncateStringCStr(char* text, int maximum, const char* ellipsis, int mode) {
  if (text == nullptr) return 1;
  if (ellipsis == nullptr) ellipsis = "";
  int len = int(std::strlen(text));
  if (len <= maximum) return 0;
  int e = int(std::strlen(ellipsis));
  if (maximum < e) return 1;
  char work[256];
  switch (mode) {
    case kQVTruncateEnd:
      std::memcpy(text + (maximum - e), ellipsis, size_t(e));
      text[maximum] = '\0';
      return 1;
    case kQVTruncateStart:
      if (maximum >= int(sizeof work)) return 1;
      std::memcpy(work, ellipsis, size_t(e));
      std::memcpy(work + e, text + len - (maximum - e), size_t(maximum - e));
      break;
    case kQVTruncateMiddle: {
      if (maximum >= int(sizeof work)) return 1;
      int head = std::max(0, maximum / 2 - e / 2);
      int tail = maximum - head - e;
      std::memcpy(work, text, size_t(head));
      std::memcpy(work + head, ellipsis, size_t(e));
      std::memcpy(work + head + e, text + len - tail, size_t(tail));
      break;
    }
    default:
      return 1;
  }
  std::memcpy(text, work, size_t(maximum));
  text[maximum] = '\0';
  return 1;
}

char* QVCStringToUpper(char* text) {
  if (text == nullptr) return nullptr;
  for (; *text; ++text) *text = char(std::toupper((unsigned char)*text));
  return text;
}

char* QVCStringToLower(char* text) {
  if (text == nullptr) return nullptr;
  for (; *text; ++text) *text = char(std::tolower((unsigned char)*text));
  return text;
}

char* ToUpperCStr(char* text) {
  QVCStringToUpper(text);
  return text;
}

char* ToLowerCStr(char* text) {
  QVCStringToLower(text);
  return text;
}

char* ToLowerCStr(const char* source, char* destination, size_t capacity) {
  if (source == nullptr || destination == nullptr || capacity == 0) return destination;
  size_t n = std::min(std::strlen(source), capacity - 1);
  std::memmove(destination, source, n);
  destination[n] = '\0';
  return ToLowerCStr(destination);
}

std::string QVCleanStringForFilename(const std::string& name) {
  std::string out = name.substr(0, 512);
  std::replace(out.begin(), out.end(), '/', ':');
  return out;
}

std::string ReplaceCharInCFString(const std::string& text, const std::string& find,
                                  const std::string& replacement) {
  std::string out = text;
  if (find.empty()) return out;
  if (replacement.find(find) != std::string::npos) {
    for (size_t at = out.find(find); at != std::string::npos; at = out.find(find, at + replacement.size()))
      out.replace(at, find.size(), replacement);
    return out;
  }
  for (size_t at = out.find(find); at != std::string::npos; at = out.find(find))
    out.replace(at, find.size(), replacement);
  return out;
}

int QVGetUnicodeFilenameFromCFString(const std::string& text, QVUniStr255* out) {
  if (out == nullptr) return 0;
  out->length = 0;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = (unsigned char)text[i];
    uint32_t cp;
    size_t extra;
    if (c < 0x80) { cp = c; extra = 0; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
    else { cp = 0xFFFD; extra = 0; }
    if (i + extra >= text.size()) {  // a sequence cut short by the end
      cp = 0xFFFD;
      extra = text.size() - i - 1;
    } else {
      for (size_t k = 1; k <= extra; ++k) {
        unsigned char t = (unsigned char)text[i + k];
        if ((t & 0xC0) != 0x80) {  // broken sequence: the next character starts here
          cp = 0xFFFD;
          extra = k - 1;
          break;
        }
        cp = (cp << 6) | (t & 0x3F);
      }
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    i += extra + 1;
    if (cp >= 0x10000) {
      if (out->length + 2 > 255) break;
      cp -= 0x10000;
      out->unicode[out->length++] = uint16_t(0xD800 + (cp >> 10));
      out->unicode[out->length++] = uint16_t(0xDC00 + (cp & 0x3FF));
    } else {
      if (out->length + 1 > 255) break;
      out->unicode[out->length++] = uint16_t(cp);
    }
  }
  return 0;
}

void QVSwapBytes(void* buffer, size_t length) {
  if (buffer == nullptr) return;
  unsigned char* p = static_cast<unsigned char*>(buffer);
  std::reverse(p, p + length);
}
