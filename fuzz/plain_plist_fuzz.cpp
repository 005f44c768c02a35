// The preference text read without an XML library (the 32-bit build's): a
// dictionary read is written and read again to the same keys and values.
#include <cstring>
#include <string>

#include "platform/prefs_plist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  PLPrefDictionary values;
  std::string why;
  if (!PLPlainPlistParse(text, &values, &why)) {
    if (!values.empty()) __builtin_trap();
    return 0;
  }
  PLPrefDictionary again;
  if (!PLPlainPlistParse(PLPlainPlistWrite(values), &again, &why) || again.size() != values.size())
    __builtin_trap();
  for (const auto& [key, value] : values) {
    // Keys and text are written clean (valid UTF-8, no control characters).
    auto it = again.find(PLPlistCleanText(key));
    if (it == again.end() || it->second.type != value.type) __builtin_trap();
    const PLPrefValue& v = it->second;
    bool same = true;
    switch (value.type) {
      case kPLPrefInt32: same = v.i32 == value.i32; break;
      case kPLPrefInt64: same = v.i64 == value.i64; break;
      case kPLPrefFloat32: same = std::memcmp(&v.f32, &value.f32, 4) == 0 || (v.f32 != v.f32 && value.f32 != value.f32); break;
      case kPLPrefString: same = v.text == PLPlistCleanText(value.text); break;
      case kPLPrefData: same = v.data == value.data; break;
      case kPLPrefBool: same = v.boolean == value.boolean; break;
    }
    if (!same) __builtin_trap();
  }
  return 0;
}
