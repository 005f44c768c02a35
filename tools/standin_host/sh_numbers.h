// Numbers in command lines and project files are read whole: a token with
// anything after the number, or no number at all, is refused.
#pragma once

#include <charconv>
#include <cstdint>
#include <string_view>

inline bool SHParseInt(std::string_view token, int32_t* value) {
  auto r = std::from_chars(token.data(), token.data() + token.size(), *value);
  return r.ec == std::errc() && r.ptr == token.data() + token.size();
}

inline bool SHParseNumber(std::string_view token, double* value) {
  auto r = std::from_chars(token.data(), token.data() + token.size(), *value);
  return r.ec == std::errc() && r.ptr == token.data() + token.size();
}
