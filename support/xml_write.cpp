// The XML writers: tags, text elements and escaping straight to a stream.
#include "support/xml_write.h"

#include <libxml/parser.h>

#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "support/output_file.h"

namespace {

constexpr int32_t kMaxIndent = 50;
constexpr char kTabs[] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
static_assert(sizeof kTabs == kMaxIndent + 1);

int32_t gIndentLevel = 0;

// The entity of a byte that needs one, else null.
const char* EntityOf(char c) {
  switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    default: return nullptr;
  }
}

QVStatus StreamStatus(FILE* stream, bool failed) {
  if (!failed && !std::ferror(stream)) return kQVNoErr;
  return QVStatusFromWriteErrno(errno ? errno : EIO);
}

// Writes the text with its special bytes as entities.
bool PutEscaped(FILE* stream, const char* text) {
  const char* run = text;
  for (const char* p = text;; ++p) {
    const char* entity = *p ? EntityOf(*p) : nullptr;
    if (*p && !entity) continue;
    if (p > run && std::fwrite(run, 1, size_t(p - run), stream) != size_t(p - run)) return false;
    if (!*p) return true;
    if (std::fputs(entity, stream) < 0) return false;
    run = p + 1;
  }
}

bool PutIndent(FILE* stream) {
  int32_t tabs = gIndentLevel < 0 ? 0 : (gIndentLevel > kMaxIndent ? kMaxIndent : gIndentLevel);
  return tabs == 0 || std::fwrite(kTabs, 1, size_t(tabs), stream) == size_t(tabs);
}

// Indent, <name>, the text escaped, </name>, newline.
QVStatus PutTextElement(FILE* stream, const char* name, const char* text) {
  errno = 0;
  bool ok = PutIndent(stream) && std::fprintf(stream, "<%s>", name) >= 0 && PutEscaped(stream, text ? text : "") &&
            std::fprintf(stream, "</%s>\n", name) >= 0;
  return StreamStatus(stream, !ok);
}

// Indent, <name>value</name>, newline, the value printed by the format.
template <class T>
QVStatus PutValueElement(FILE* stream, const char* name, const char* format, T value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return PutTextElement(stream, name, text);
}

}  // namespace

QVStatus XMLInitializeLibrary() {
  xmlInitParser();
  return xmlParserVersion && std::atoi(xmlParserVersion) >= kXMLLeastLibraryVersion ? kQVNoErr : kQVErrUnimplemented;
}

QVStatus XMLTerminateLibrary() {
  xmlCleanupParser();
  return kQVNoErr;
}

int32_t XMLIndentLevel() { return gIndentLevel; }
void XMLSetIndentLevel(int32_t level) { gIndentLevel = level; }

int32_t XMLWriteIndent(FILE* stream, int32_t step) {
  if (step < 0) gIndentLevel += step;
  int32_t tabs = gIndentLevel < 0 ? 0 : (gIndentLevel > kMaxIndent ? kMaxIndent : gIndentLevel);
  if (!PutIndent(stream)) tabs = 0;
  if (step >= 0) gIndentLevel += step;
  return tabs;
}

QVStatus XMLWriteString(FILE* stream, const char* text) {
  errno = 0;
  return StreamStatus(stream, std::fputs(text ? text : "", stream) < 0);
}

QVStatus XMLWriteEscapedString(FILE* stream, const char* text) {
  errno = 0;
  return StreamStatus(stream, !PutEscaped(stream, text ? text : ""));
}

int32_t XMLWriteOpenTag(FILE* stream, const char* name, const char* attributes) {
  errno = 0;
  bool ok = PutIndent(stream);
  ++gIndentLevel;
  int n = attributes && *attributes ? std::fprintf(stream, "<%s %s>\n", name, attributes)
                                    : std::fprintf(stream, "<%s>\n", name);
  if (!ok || n < 0) return StreamStatus(stream, true);
  return n;
}

int32_t XMLWriteCloseTag(FILE* stream, const char* name) {
  errno = 0;
  --gIndentLevel;
  bool ok = PutIndent(stream);
  int n = std::fprintf(stream, "</%s>\n", name);
  if (!ok || n < 0) return StreamStatus(stream, true);
  return n;
}

QVStatus XMLWriteEmptyElement(FILE* stream, const char* name, const char* attributes) {
  errno = 0;
  bool ok = PutIndent(stream);
  int n = attributes && *attributes ? std::fprintf(stream, "<%s %s/>\n", name, attributes)
                                    : std::fprintf(stream, "<%s/>\n", name);
  return StreamStatus(stream, !ok || n < 0);
}

QVStatus XMLWriteTextElement(FILE* stream, const char* name, const char* text) {
  return PutTextElement(stream, name, text);
}

QVStatus XMLWriteStringElement(FILE* stream, const char* name, const std::string* text) {
  // A string with a NUL inside is written up to it, as a C string would be.
  return PutTextElement(stream, name, text ? text->c_str() : "");
}

QVStatus XMLWriteFloatElement(FILE* stream, const char* name, float value) {
  return PutValueElement(stream, name, "%f", double(value));
}

QVStatus XMLWriteLongElement(FILE* stream, const char* name, int32_t value) {
  return PutValueElement(stream, name, "%ld", long(value));
}

QVStatus XMLWriteLongLongElement(FILE* stream, const char* name, int64_t value) {
  return PutValueElement(stream, name, "%lld", static_cast<long long>(value));
}

QVStatus XMLWriteBoolElement(FILE* stream, const char* name, bool value) {
  return PutTextElement(stream, name, value ? "TRUE" : "FALSE");
}

QVStatus XMLEscapeText(const char* source, char* buffer, size_t size) {
  if (!buffer || size == 0) return kQVErrMemory;
  size_t used = 0;
  for (const char* p = source ? source : "";; ++p) {
    if (!*p) {
      buffer[used] = '\0';
      return kQVNoErr;
    }
    const char* entity = EntityOf(*p);
    size_t length = entity ? std::strlen(entity) : 1;
    if (used + length >= size) {  // the terminator must still fit
      buffer[used] = '\0';
      return kQVErrMemory;
    }
    std::memcpy(buffer + used, entity ? entity : p, length);
    used += length;
  }
}

std::string XMLEscapedText(const char* source) {
  std::string out;
  for (const char* p = source ? source : ""; *p; ++p) {
    const char* entity = EntityOf(*p);
    if (entity)
      out += entity;
    else
      out += *p;
  }
  return out;
}
