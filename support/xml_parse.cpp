// The one parser behind both reader families: libxml2 with no network, no
// document type declarations and our own answer for entity references.
#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>

#include <charconv>
#include <cstdio>
#include <cstring>

#include "platform/file_contents.h"
#include "platform/log.h"
#include "support/xml_read.h"

namespace {

// Entities the parser meets that XML does not predefine: the five we fold
// (in any case) and one that stands for every other name and adds nothing.
// They are given to the parser as predefined entities, whose text is put
// in place as characters; nothing in them is ever changed by the parser.
struct FoldedEntity {
  const char* name;
  const char* text;
};
constexpr FoldedEntity kFolded[] = {{"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"tilde", "~"}};

xmlEntity MakeEntity(const char* name, const char* text) {
  xmlEntity e;
  std::memset(&e, 0, sizeof e);
  e.type = XML_ENTITY_DECL;
  e.name = reinterpret_cast<const xmlChar*>(name);
  e.content = reinterpret_cast<xmlChar*>(const_cast<char*>(text));
  e.length = int(std::strlen(text));
  e.etype = XML_INTERNAL_PREDEFINED_ENTITY;
  return e;
}

xmlEntity gFolded[5] = {MakeEntity(kFolded[0].name, kFolded[0].text), MakeEntity(kFolded[1].name, kFolded[1].text),
                        MakeEntity(kFolded[2].name, kFolded[2].text), MakeEntity(kFolded[3].name, kFolded[3].text),
                        MakeEntity(kFolded[4].name, kFolded[4].text)};
xmlEntity gNothing = MakeEntity("", "");

xmlEntityPtr GetEntity(void*, const xmlChar* name) {
  for (int i = 0; i < 5; ++i)
    if (xmlStrcasecmp(name, reinterpret_cast<const xmlChar*>(kFolded[i].name)) == 0) return &gFolded[i];
  return &gNothing;
}

struct ParseState {
  bool refused = false;
};

void RefuseDocumentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
  static_cast<ParseState*>(ctxt->_private)->refused = true;
  xmlStopParser(ctxt);
}

}  // namespace

xmlDoc* XMLDocReadFromBytes(const char* bytes, size_t length) {
  if (!bytes || length == 0 || length > kXMLMaxDocumentBytes) return nullptr;
  xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
  if (!ctxt) return nullptr;
  ParseState state;
  ctxt->_private = &state;
  ctxt->sax->getEntity = GetEntity;
  ctxt->sax->internalSubset = RefuseDocumentType;
  xmlDoc* doc = xmlCtxtReadMemory(ctxt, bytes, int(length), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc && (state.refused || !ctxt->wellFormed)) {
    xmlFreeDoc(doc);
    doc = nullptr;
  }
  if (!doc) {
    xmlErrorPtr error = xmlCtxtGetLastError(ctxt);
    if (state.refused) {
      PLLogWrite("XML", "a document type declaration is refused");
    } else if (error && error->message) {
      char line[300];
      std::snprintf(line, sizeof line, "line %d: %.*s", error->line, int(std::strcspn(error->message, "\n")),
                    error->message);
      PLLogWrite("XML", line);
    }
  }
  xmlFreeParserCtxt(ctxt);
  return doc;
}

xmlDoc* XMLDocReadFromFSRef(const QVFileRef* file) {
  if (!file) return nullptr;
  std::string bytes;
  if (PLReadFileContents(file->path, kXMLMaxDocumentBytes, &bytes) != kQVNoErr) return nullptr;
  return XMLDocReadFromBytes(bytes.data(), bytes.size());
}

namespace {

// White space skipped, a plus sign allowed, then the longest number there is.
template <class T>
bool ParsePrefix(const char* text, size_t length, T* value, size_t* used) {
  size_t i = 0;
  while (i < length && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
  if (i < length && text[i] == '+' && i + 1 < length && text[i + 1] != '-') ++i;
  T v = 0;
  auto [end, ec] = std::from_chars(text + i, text + length, v);
  if (ec != std::errc()) return false;
  if (value) *value = v;
  if (used) *used = size_t(end - text);
  return true;
}

}  // namespace

bool XMLParseFloatPrefix(const char* text, size_t length, float* value, size_t* used) {
  return ParsePrefix(text, length, value, used);
}

bool XMLParseLongPrefix(const char* text, size_t length, int32_t* value) {
  return ParsePrefix(text, length, value, nullptr);
}
