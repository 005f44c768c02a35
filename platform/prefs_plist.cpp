#include "platform/prefs_plist.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The reader refuses a text node of XML_MAX_TEXT_LENGTH bytes or more (a
// little less for plain text, which it takes in chunks); the longest value
// the store takes, base64-encoded, stays well clear of it.
static_assert((kPLPrefMaxValueBytes + 2) / 3 * 4 < XML_MAX_TEXT_LENGTH * 9 / 10);

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

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

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n"), e = s.find_last_not_of(" \t\r\n");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

bool ParseValue(const xmlNode* n, PLPrefValue* v) {
  std::string name = Name(n);
  if (name == "integer") {
    std::string t = Trim(Content(n));
    long long x = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), x);
    if (r.ec == std::errc::result_out_of_range) {
      x = (!t.empty() && t[0] == '-') ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
    } else if (r.ec != std::errc() || r.ptr != t.data() + t.size()) {
      return false;
    }
    if (x > std::numeric_limits<int32_t>::max() || x < std::numeric_limits<int32_t>::min()) {
      v->type = kPLPrefInt64;
      v->i64 = x;
      v->i32 = x < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
      return true;
    }
    if (x > std::numeric_limits<int32_t>::max()) x = std::numeric_limits<int32_t>::max();
    if (x < std::numeric_limits<int32_t>::min()) x = std::numeric_limits<int32_t>::min();
    v->type = kPLPrefInt32;
    v->i32 = int32_t(x);
    return true;
  }
  if (name == "real") {
    std::string t = Trim(Content(n));
    float x = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), x);
    if (r.ec == std::errc::result_out_of_range) x = (!t.empty() && t[0] == '-') ? -HUGE_VALF : HUGE_VALF;
    else if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return false;
    v->type = kPLPrefFloat32;
    v->f32 = x;
    return true;
  }
  if (name == "string") {
    v->type = kPLPrefString;
    v->text = Content(n);
    return true;
  }
  if (name == "data") {
    v->type = kPLPrefData;
    return PLBase64Decode(Content(n), &v->data);
  }
  if (name == "true" || name == "false") {
    v->type = kPLPrefBool;
    v->boolean = name == "true";
    return true;
  }
  return false;
}

std::string ValueText(const PLPrefValue& v) {
  switch (v.type) {
    case kPLPrefInt32:
      return std::to_string(v.i32);
    case kPLPrefInt64:
      return std::to_string(v.i64);
    case kPLPrefFloat32: {
      char buf[32];
      auto r = std::to_chars(buf, buf + sizeof buf, v.f32);
      return std::string(buf, r.ptr);
    }
    case kPLPrefString:
      return PLPlistCleanText(v.text);
    case kPLPrefData:
      return PLBase64Encode(v.data);
    case kPLPrefBool:
      return "";
  }
  return "";
}

const char* ValueElement(const PLPrefValue& v) {
  switch (v.type) {
    case kPLPrefInt32:
    case kPLPrefInt64: return "integer";
    case kPLPrefFloat32: return "real";
    case kPLPrefString: return "string";
    case kPLPrefData: return "data";
    case kPLPrefBool: return v.boolean ? "true" : "false";
  }
  return "string";
}

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

std::string PLPlistCleanText(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = (unsigned char)text[i];
    size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    bool valid = len > 0 && i + len <= text.size();
    uint32_t cp = len == 1 ? c : len == 2 ? (c & 0x1Fu) : len == 3 ? (c & 0x0Fu) : (c & 0x07u);
    for (size_t k = 1; valid && k < len; ++k) {
      unsigned char t = (unsigned char)text[i + k];
      valid = (t & 0xC0) == 0x80;
      cp = (cp << 6) | (t & 0x3Fu);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 and
    // would make the whole file unreadable.
    const uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && (cp < least[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)) valid = false;
    if (!valid) {  // a stray byte: read it as Latin-1
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
      ++i;
      continue;
    }
    // Characters XML cannot hold: control characters other than tab and
    // line ends, and U+FFFE and U+FFFF.
    bool allowed = cp >= 0x20 ? (cp != 0xFFFE && cp != 0xFFFF) : (cp == '\t' || cp == '\n' || cp == '\r');
    if (allowed) out.append(text, i, len);
    i += len;
  }
  return out;
}

std::string PLBase64Encode(const std::vector<uint8_t>& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t v = uint32_t(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= uint32_t(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) v |= bytes[i + 2];
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kAlphabet[v & 63] : '=';
  }
  return out;
}

bool PLBase64Decode(const std::string& text, std::vector<uint8_t>* out) {
  out->clear();
  uint32_t acc = 0;
  int bits = 0;
  bool padding = false;
  for (char ch : text) {
    if (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n') continue;
    if (ch == '=') {
      padding = true;
      continue;
    }
    const char* p = ch ? std::strchr(kAlphabet, ch) : nullptr;
    if (p == nullptr || padding) return false;
    acc = (acc << 6) | uint32_t(p - kAlphabet);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out->push_back(uint8_t(acc >> bits));
      acc &= (1u << bits) - 1;
    }
  }
  return true;
}

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
    std::string text = ValueText(value);
    xmlNewTextChild(dict, nullptr, X(ValueElement(value)), value.type == kPLPrefBool ? nullptr : X(text.c_str()));
  }
  xmlChar* mem = nullptr;
  int size = 0;
  xmlDocDumpFormatMemoryEnc(doc, &mem, &size, "UTF-8", 1);
  std::string out = mem ? std::string(reinterpret_cast<const char*>(mem), size_t(size)) : "";
  xmlFree(mem);
  xmlFreeDoc(doc);
  return out;
}
