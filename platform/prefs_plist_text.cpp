// The parts of the preference files' property-list text that do not depend on
// the XML reader: the text of each value kind, clean text and base64.
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/prefs_plist.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n"), e = s.find_last_not_of(" \t\r\n");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

}  // namespace

bool PLPlistValueFromText(const std::string& name, const std::string& content, PLPrefValue* v) {
  if (name == "integer") {
    std::string t = Trim(content);
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
    std::string t = Trim(content);
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
    v->text = content;
    return true;
  }
  if (name == "data") {
    v->type = kPLPrefData;
    return PLBase64Decode(content, &v->data);
  }
  if (name == "true" || name == "false") {
    v->type = kPLPrefBool;
    v->boolean = name == "true";
    return true;
  }
  return false;
}

std::string PLPlistValueText(const PLPrefValue& v) {
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

const char* PLPlistValueElement(const PLPrefValue& v) {
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

