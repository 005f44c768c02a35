// The preference files' property-list text read and written without an XML
// library. The writer gives the same bytes as the libxml2 writer:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <plist version="1.0">
//     <dict>
//       <key>UI Brightness</key>
//       <integer>22282</integer>
//       <key>Tool Tips Enable</key>
//       <true/>
//     </dict>
//   </plist>
//
// The reader takes any well-formed text of that shape: an XML declaration,
// comments and processing instructions, white space between elements,
// attributes, empty elements, the five named entities, character references
// and CDATA sections. A document type declaration is refused before anything
// inside it is read, as the other reader does.
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include "platform/prefs_plist.h"

namespace {

struct Element {
  std::string name;
  std::string text;  // the element's character data, entities resolved
  std::vector<Element> children;
};

// Nesting in a preference file is three deep; anything far deeper is no such file.
constexpr int kMaxDepth = 16;

class Reader {
 public:
  explicit Reader(std::string_view text) : s_(text) {}

  // The root element, or false with the reason.
  bool document(Element* root, const char** why) {
    if (s_.substr(0, 3) == "\xEF\xBB\xBF") p_ = 3;
    if (!misc(why)) return false;
    if (!at('<')) return fail(why, "not well-formed XML");
    if (!element(root, 0, why)) return false;
    if (!misc(why)) return false;
    if (p_ != s_.size()) return fail(why, "not well-formed XML");
    return true;
  }

 private:
  std::string_view s_;
  size_t p_ = 0;

  static bool fail(const char** why, const char* reason) {
    if (*why == nullptr) *why = reason;
    return false;
  }
  bool at(char c) const { return p_ < s_.size() && s_[p_] == c; }
  bool starts(std::string_view what) const { return s_.substr(p_, what.size()) == what; }
  static bool space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  void skipSpace() {
    while (p_ < s_.size() && space(s_[p_])) ++p_;
  }
  static bool nameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':' ||
           c == '-' || c == '.' || (unsigned char)c >= 0x80;
  }
  bool name(std::string* out) {
    size_t b = p_;
    while (p_ < s_.size() && nameChar(s_[p_])) ++p_;
    *out = std::string(s_.substr(b, p_ - b));
    return p_ > b;
  }
  // Skips past `end`; false when it never comes.
  bool skipPast(std::string_view end) {
    size_t e = s_.find(end, p_);
    if (e == std::string_view::npos) return false;
    p_ = e + end.size();
    return true;
  }

  // White space, comments and processing instructions outside the root.
  bool misc(const char** why) {
    for (;;) {
      skipSpace();
      if (starts("<!DOCTYPE")) return fail(why, "a document type declaration");
      if (starts("<!--")) {
        if (!skipPast("-->")) return fail(why, "not well-formed XML");
      } else if (starts("<?")) {
        if (!skipPast("?>")) return fail(why, "not well-formed XML");
      } else {
        return true;
      }
    }
  }

  // One entity or character reference after '&', appended as UTF-8.
  bool reference(std::string* out) {
    size_t semi = s_.find(';', p_);
    if (semi == std::string_view::npos || semi - p_ > 12) return false;
    std::string_view ref = s_.substr(p_ + 1, semi - p_ - 1);
    p_ = semi + 1;
    static const struct {
      const char* name;
      char c;
    } kNamed[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& n : kNamed)
      if (ref == n.name) {
        *out += n.c;
        return true;
      }
    if (ref.size() < 2 || ref[0] != '#') return false;
    uint32_t cp = 0;
    bool hex = ref[1] == 'x';
    std::string_view digits = ref.substr(hex ? 2 : 1);
    if (digits.empty()) return false;
    for (char c : digits) {
      uint32_t d = (c >= '0' && c <= '9')             ? uint32_t(c - '0')
                   : hex && (c >= 'a' && c <= 'f')   ? uint32_t(c - 'a' + 10)
                   : hex && (c >= 'A' && c <= 'F')   ? uint32_t(c - 'A' + 10)
                                                     : 99;
      if (d >= (hex ? 16u : 10u)) return false;
      cp = cp * (hex ? 16 : 10) + d;
      if (cp > 0x10FFFF) return false;
    }
    bool allowed = cp >= 0x20 ? !(cp >= 0xD800 && cp <= 0xDFFF) && cp != 0xFFFE && cp != 0xFFFF
                              : (cp == '\t' || cp == '\n' || cp == '\r');
    if (!allowed) return false;
    if (cp < 0x80) {
      *out += char(cp);
    } else if (cp < 0x800) {
      *out += char(0xC0 | (cp >> 6));
      *out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      *out += char(0xE0 | (cp >> 12));
      *out += char(0x80 | ((cp >> 6) & 0x3F));
      *out += char(0x80 | (cp & 0x3F));
    } else {
      *out += char(0xF0 | (cp >> 18));
      *out += char(0x80 | ((cp >> 12) & 0x3F));
      *out += char(0x80 | ((cp >> 6) & 0x3F));
      *out += char(0x80 | (cp & 0x3F));
    }
    return true;
  }

  // An element starting at '<', its contents and its end tag.
  bool element(Element* e, int depth, const char** why) {
    if (depth > kMaxDepth) return fail(why, "not well-formed XML");
    ++p_;
    if (!name(&e->name)) return fail(why, "not well-formed XML");
    // Attributes: name = "value" or 'value'; their values are not kept.
    for (;;) {
      skipSpace();
      if (starts("/>")) {
        p_ += 2;
        return true;
      }
      if (at('>')) {
        ++p_;
        break;
      }
      std::string attribute;
      if (!name(&attribute)) return fail(why, "not well-formed XML");
      skipSpace();
      if (!at('=')) return fail(why, "not well-formed XML");
      ++p_;
      skipSpace();
      if (!at('"') && !at('\'')) return fail(why, "not well-formed XML");
      char quote = s_[p_++];
      size_t end = s_.find(quote, p_);
      if (end == std::string_view::npos || s_.substr(p_, end - p_).find('<') != std::string_view::npos)
        return fail(why, "not well-formed XML");
      p_ = end + 1;
    }
    // Contents up to the matching end tag.
    for (;;) {
      if (p_ >= s_.size()) return fail(why, "not well-formed XML");
      char c = s_[p_];
      if (c == '&') {
        if (!reference(&e->text)) return fail(why, "not well-formed XML");
      } else if (c != '<') {
        e->text += c;
        ++p_;
      } else if (starts("</")) {
        p_ += 2;
        std::string closing;
        if (!name(&closing) || closing != e->name) return fail(why, "not well-formed XML");
        skipSpace();
        if (!at('>')) return fail(why, "not well-formed XML");
        ++p_;
        return true;
      } else if (starts("<!--")) {
        if (!skipPast("-->")) return fail(why, "not well-formed XML");
      } else if (starts("<![CDATA[")) {
        size_t b = p_ + 9, end = s_.find("]]>", b);
        if (end == std::string_view::npos) return fail(why, "not well-formed XML");
        e->text.append(s_.substr(b, end - b));
        p_ = end + 3;
      } else if (starts("<?")) {
        if (!skipPast("?>")) return fail(why, "not well-formed XML");
      } else if (starts("<!")) {
        return fail(why, starts("<!DOCTYPE") ? "a document type declaration" : "not well-formed XML");
      } else {
        e->children.emplace_back();
        if (!element(&e->children.back(), depth + 1, why)) return false;
      }
    }
  }
};

// Text escaped as the libxml2 writer escapes character data.
void AppendEscaped(std::string* out, const std::string& text) {
  for (char c : text) {
    switch (c) {
      case '&': *out += "&amp;"; break;
      case '<': *out += "&lt;"; break;
      case '>': *out += "&gt;"; break;
      case '\r': *out += "&#13;"; break;
      default: *out += c;
    }
  }
}

}  // namespace

bool PLPlainPlistParse(const std::string& text, PLPrefDictionary* out, std::string* reason) {
  out->clear();
  auto fail = [reason](const char* why) {
    if (reason) *reason = why;
    return false;
  };
  if (text.size() > size_t(std::numeric_limits<int>::max())) return fail("too large");
  Element root;
  const char* why = nullptr;
  if (!Reader(text).document(&root, &why)) return fail(why);
  if (root.name != "plist") return fail("no plist");
  if (root.children.size() != 1 || root.children[0].name != "dict") return fail("no dictionary");
  const std::vector<Element>& items = root.children[0].children;
  for (size_t i = 0; i < items.size(); i += 2) {
    if (items[i].name != "key" || i + 1 >= items.size()) {
      out->clear();
      return fail("a key without a value");
    }
    PLPrefValue value;
    if (!PLPlistValueFromText(items[i + 1].name, items[i + 1].text, &value)) {
      out->clear();
      return fail("a value that cannot be read");
    }
    (*out)[items[i].text] = value;
  }
  return true;
}

std::string PLPlainPlistWrite(const PLPrefDictionary& values) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
  if (values.empty()) return out + "  <dict/>\n</plist>\n";
  out += "  <dict>\n";
  for (const auto& [key, value] : values) {
    out += "    <key>";
    AppendEscaped(&out, PLPlistCleanText(key));
    out += "</key>\n    <";
    const char* element = PLPlistValueElement(value);
    out += element;
    if (value.type == kPLPrefBool) {
      out += "/>\n";
      continue;
    }
    out += '>';
    AppendEscaped(&out, PLPlistValueText(value));
    out += "</";
    out += element;
    out += ">\n";
  }
  return out + "  </dict>\n</plist>\n";
}
