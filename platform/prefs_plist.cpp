#include "platform/prefs_plist.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <cstring>
#include <limits>

namespace {

// The reader refuses a text node of XML_MAX_TEXT_LENGTH bytes or more (a
// little less for plain text, which it takes in chunks); the longest value
// the store takes, base64-encoded, stays well clear of it.
static_assert((kPLPrefMaxValueBytes + 2) / 3 * 4 < XML_MAX_TEXT_LENGTH * 9 / 10);

const char* Name(const xmlNode* n) { return reinterpret_cast<const char*>(n->name); }

std::string Content(const xmlNode* n) {
  xmlChar* c = xmlNodeGetContent(n);
  std::string s = c ? reinterpret_cast<const char*>(c) : "";
  xmlFree(c);
  return s;
}

const xmlNode* NextElement(const xmlNode* n) {
  while (n != nullptr && n->type != XML_ELEMENT_NODE) n = n->next;
  return n;
}

bool ParseValue(const xmlNode* n, PLPrefValue* v) { return PLPlistValueFromText(Name(n), Content(n), v); }

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

// A document type declaration can declare entities that expand a few hundred
// bytes into gigabytes; a preferences file never carries one. The parser is
// stopped at the declaration, before anything inside it is read.
void RefuseDocumentType(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* parser = static_cast<xmlParserCtxtPtr>(ctx);
  *static_cast<bool*>(parser->_private) = true;
  xmlStopParser(parser);
}

// The document, or null (with the reason) when it is not well-formed or
// declares a document type.
xmlDoc* ReadDocument(const std::string& text, const char** why) {
  xmlParserCtxtPtr parser = xmlNewParserCtxt();
  if (parser == nullptr) {
    *why = "out of memory";
    return nullptr;
  }
  bool declared = false;
  parser->_private = &declared;
  parser->sax->internalSubset = RefuseDocumentType;
  xmlDoc* doc = xmlCtxtReadMemory(parser, text.data(), int(text.size()), nullptr, "UTF-8",
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  xmlFreeParserCtxt(parser);
  if (declared && doc != nullptr) {
    xmlFreeDoc(doc);
    doc = nullptr;
  }
  if (doc == nullptr) *why = declared ? "a document type declaration" : "not well-formed XML";
  return doc;
}

}  // namespace

bool PLPlistParse(const std::string& text, PLPrefDictionary* out, std::string* reason) {
  out->clear();
  auto fail = [reason](const char* why) {
    if (reason) *reason = why;
    return false;
  };
  if (text.size() > size_t(std::numeric_limits<int>::max())) return fail("too large");
  const char* why = nullptr;
  xmlDoc* doc = ReadDocument(text, &why);
  if (doc == nullptr) return fail(why);
  bool ok = false;
  why = "no plist";
  const xmlNode* root = xmlDocGetRootElement(doc);
  if (root != nullptr && std::strcmp(Name(root), "plist") == 0) {
    const xmlNode* dict = NextElement(root->children);
    why = "no dictionary";
    if (dict != nullptr && std::strcmp(Name(dict), "dict") == 0 && NextElement(dict->next) == nullptr) {
      ok = true;
      for (const xmlNode* k = NextElement(dict->children); k != nullptr;) {
        const xmlNode* v = NextElement(k->next);
        if (std::strcmp(Name(k), "key") != 0 || v == nullptr) {
          why = "a key without a value";
          ok = false;
          break;
        }
        PLPrefValue value;
        if (!ParseValue(v, &value)) {
          why = "a value that cannot be read";
          ok = false;
          break;
        }
        (*out)[Content(k)] = value;
        k = NextElement(v->next);
      }
    }
  }
  xmlFreeDoc(doc);
  if (!ok) {
    out->clear();
    return fail(why);
  }
  return true;
}

std::string PLPlistWrite(const PLPrefDictionary& values) {
  xmlDoc* doc = xmlNewDoc(X("1.0"));
  xmlNode* root = xmlNewNode(nullptr, X("plist"));
  xmlNewProp(root, X("version"), X("1.0"));
  xmlDocSetRootElement(doc, root);
  xmlNode* dict = xmlNewChild(root, nullptr, X("dict"), nullptr);
  for (const auto& [key, value] : values) {
    xmlNewTextChild(dict, nullptr, X("key"), X(PLPlistCleanText(key).c_str()));
    std::string text = PLPlistValueText(value);
    xmlNewTextChild(dict, nullptr, X(PLPlistValueElement(value)), value.type == kPLPrefBool ? nullptr : X(text.c_str()));
  }
  xmlChar* mem = nullptr;
  int size = 0;
  xmlDocDumpFormatMemoryEnc(doc, &mem, &size, "UTF-8", 1);
  std::string out = mem ? std::string(reinterpret_cast<const char*>(mem), size_t(size)) : "";
  xmlFree(mem);
  xmlFreeDoc(doc);
  return out;
}
