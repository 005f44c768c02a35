#include "plugin/arb_data.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/settings_record.h"
#include "plugin/host_calls.h"
#include "plugin/interpolate.h"
#include "plugin/plugin_data.h"
#include "plugin/settings_value.h"
#include "settings/older_settings.h"

namespace {

constexpr uint32_t kHueOffsetSize = 52;
constexpr uint32_t kCurveRecordSize = 4108;
constexpr uint32_t kCurvesDefaultSize = 16432;
constexpr size_t kMaxToken = 63;

bool isSettingsId(int32_t id) { return id == 0 || id == kVLParamIdSettings; }

// A new handle of `size` bytes holding the first min(size, count) bytes of
// data; the rest reads zero.
HIHandle handleWith(const HIInData* in, uint64_t size, const void* data, uint64_t count) {
  HIHandle h = VLNewClearedHandle(in, size);
  if (!h) return nullptr;
  if (data && size && count) {
    VLLockedHandle locked(in, h);
    std::memcpy(locked.data(), data, size_t(count < size ? count : size));
  }
  return h;
}

HIError newValue(const HIInData* in, int32_t id, HIHandle* result) {
  if (!result) return kHIErrBadCallbackParam;
  if (id == kVLParamIdHueOffset) {
    *result = VLNewClearedHandle(in, kHueOffsetSize);
  } else if (id == kVLParamIdCurves) {
    *result = VLNewClearedHandle(in, kCurvesDefaultSize);
  } else {
    *result = VLNewDefaultSettingsHandle(in);
  }
  return *result ? kHINoErr : kHIErrOutOfMemory;
}

HIError copyValue(const HIInData* in, HIHandle source, HIHandle* result) {
  if (!result) return kHIErrBadCallbackParam;
  *result = nullptr;
  if (!source) return kHIErrInternalStructDamaged;
  uint64_t size = VLGetHandleSize(in, source);
  VLLockedHandle from(in, source);
  *result = handleWith(in, size, from.data(), size);
  return *result ? kHINoErr : kHIErrOutOfMemory;
}

HIError flatten(const HIInData* in, int32_t id, HIHandle value, uint32_t bufferSize, void* buffer) {
  if (!value || !buffer) return kHIErrBadCallbackParam;
  VLLockedHandle locked(in, value);
  if (!locked.data()) return kHIErrOutOfMemory;
  uint64_t size = locked.size();
  if (isSettingsId(id) && bufferSize == uint32_t(kVLSettingsByteCount) && size >= uint64_t(kVLSettingsByteCount))
    VLSettingsToNativeOrder(static_cast<VL_SettingsStruct*>(locked.data()));
  // Copy at most what both sides hold; a larger buffer is zero past the value.
  size_t count = size_t(size < bufferSize ? size : bufferSize);
  std::memcpy(buffer, locked.data(), count);
  if (count < bufferSize) std::memset(static_cast<uint8_t*>(buffer) + count, 0, bufferSize - count);
  return kHINoErr;
}

HIError unflatten(const HIInData* in, int32_t id, uint32_t size, const void* buffer, HIHandle* result) {
  if (!result || (!buffer && size)) return kHIErrBadCallbackParam;
  *result = nullptr;
  if (id == kVLParamIdHueOffset) {
    *result = handleWith(in, kHueOffsetSize, buffer, size);
  } else if (id == kVLParamIdCurves) {
    *result = handleWith(in, kCurveRecordSize, buffer, size);
  } else if (isSettingsId(id) && size == uint32_t(kVLSettingsByteCount)) {
    *result = handleWith(in, size, buffer, size);
    if (*result) {
      VLLockedHandle locked(in, *result);
      VLSettingsToNativeOrder(static_cast<VL_SettingsStruct*>(locked.data()));
    }
  } else if (isSettingsId(id) && VLOlderSettingsVersionForSize(size) != 0) {
    *result = VLNewClearedHandle(in, kVLSettingsByteCount);
    if (*result) {
      VLLockedHandle locked(in, *result);
      auto* record = static_cast<VL_SettingsStruct*>(locked.data());
      if (!ConvertSettingsToCurrent(VLOlderSettingsVersionForSize(size), buffer, record)) {
        VLDefaultSettings(record);
      }
      VLSettingsToNativeOrder(record);
    }
  } else {
    *result = handleWith(in, size, buffer, size);
  }
  return *result || size == 0 ? kHINoErr : kHIErrOutOfMemory;
}

HIError interpolate(const HIInData* in, int32_t id, HIHandle left, HIHandle right, double t, HIHandle* result) {
  if (!result) return kHIErrBadCallbackParam;
  *result = nullptr;
  // The display values carry nothing to interpolate, and a settings value
  // shorter than a record cannot be read as one: both give the left value.
  if (!isSettingsId(id) || !VLIsWholeSettingsValue(in, left) || !VLIsWholeSettingsValue(in, right)) {
    if (left) return copyValue(in, left, result);
    return newValue(in, id, result);
  }
  HIHandle h = VLNewHandle(in, kVLSettingsByteCount);
  if (!h) return kHIErrOutOfMemory;
  VLLockedHandle l(in, left), r(in, right), out(in, h);
  VLInterpolateSettings(static_cast<const VL_SettingsStruct*>(l.data()),
                        static_cast<const VL_SettingsStruct*>(r.data()), t,
                        static_cast<VL_SettingsStruct*>(out.data()));
  *result = h;
  return kHINoErr;
}

HIError compare(const HIInData* in, HIHandle a, HIHandle b, int32_t* result) {
  if (!result) return kHIErrBadCallbackParam;
  if (!a || !b) {
    *result = a == b ? kHIArbCompareEqual : kHIArbCompareNotEqual;
    return kHINoErr;
  }
  VLLockedHandle la(in, a), lb(in, b);
  uint64_t n = la.size() < lb.size() ? la.size() : lb.size();
  bool same = n == 0 || std::memcmp(la.data(), lb.data(), size_t(n)) == 0;
  *result = same ? kHIArbCompareEqual : kHIArbCompareNotEqual;
  return kHINoErr;
}

HIError print(const HIInData* in, int32_t id, uint32_t flags, HIHandle value, uint32_t bufferSize, char* buffer) {
  if (!value) return kHINoErr;
  VLLockedHandle locked(in, value);
  if (!locked.data()) return kHIErrUnrecognizedParamType;
  bool printable = isSettingsId(id) && locked.size() >= uint64_t(kVLSettingsByteCount);
  if (printable && flags == 0 && buffer && bufferSize >= kVLSettingsPrintSize) {
    const auto* words = static_cast<const uint32_t*>(locked.data());
    size_t at = size_t(std::snprintf(buffer, bufferSize, "%s\t%ld\t", "Velmora", long(kVLSettingsWordCount)));
    for (int i = 0; i < kVLSettingsWordCount; ++i) {
      at += size_t(std::snprintf(buffer + at, bufferSize - at, "%lx\t", static_cast<unsigned long>(words[i])));
    }
    return kHINoErr;
  }
  if (bufferSize == 0 || !buffer) return kHINoErr;
  buffer[0] = '\0';
  return printable ? kHIErrOutOfMemory : kHIErrUnrecognizedParamType;
}

// Tab-separated tokens of at most 63 characters, never past the byte count
// or a terminating NUL.
struct Tokens {
  const char* text;
  uint32_t count;
  uint32_t at = 0;

  bool atEnd() const { return at >= count || text[at] == '\0'; }
  // The next token; false at the end of the text or for a token longer than
  // 63 characters. `followed` tells whether its separator came after it.
  bool next(std::string_view* token, bool* followed) {
    if (atEnd()) return false;
    const uint32_t start = at;
    while (!atEnd() && text[at] != '\t') ++at;
    if (at - start > kMaxToken) return false;
    *token = std::string_view(text + start, at - start);
    *followed = !atEnd();
    if (*followed) ++at;
    return true;
  }
};

// The whole token as a number in the given base, nothing before or after it
// (no sign, space or "0x"), and no more than 32 bits.
bool wholeNumber(std::string_view token, int base, uint32_t* value) {
  auto r = std::from_chars(token.data(), token.data() + token.size(), *value, base);
  return !token.empty() && r.ec == std::errc() && r.ptr == token.data() + token.size();
}

// Reads the text form's 8,389 words; false, with the words partly written,
// when the text is not a whole text form.
bool scanRecord(const char* text, uint32_t byteCount, uint32_t* words) {
  Tokens tokens{text, byteCount};
  std::string_view token;
  bool followed = false;
  uint32_t count = 0;
  if (!tokens.next(&token, &followed) || token != "Velmora") return false;
  if (!tokens.next(&token, &followed) || !wholeNumber(token, 10, &count) || count != uint32_t(kVLSettingsWordCount))
    return false;
  for (int i = 0; i < kVLSettingsWordCount; ++i) {
    if (!tokens.next(&token, &followed) || !followed || !wholeNumber(token, 16, &words[i])) return false;
  }
  return true;
}

}  // namespace

HIError ArbScan(const HIInData* in, const char* text, uint32_t byteCount, HIHandle* result) {
  if (!result) return kHIErrBadCallbackParam;
  *result = VLNewDefaultSettingsHandle(in);
  if (!*result) return kHIErrOutOfMemory;
  if (!text) return kHIErrUnrecognizedParamType;
  // Read into a record of our own: a text that fails part-way leaves the
  // handed-back value a whole default record.
  std::vector<uint32_t> words(kVLSettingsWordCount);
  if (!scanRecord(text, byteCount, words.data())) return kHIErrUnrecognizedParamType;
  VLLockedHandle locked(in, *result);
  if (!locked.data()) return kHIErrOutOfMemory;
  std::memcpy(locked.data(), words.data(), kVLSettingsByteCount);
  return kHINoErr;
}

HIError HandleArbEvent(const HIInData* in, HIOutData*, HIParamDef*[], HIWorld*, HIArbitraryExtra* extra) {
  if (!extra) return kHIErrBadCallbackParam;
  const int32_t id = extra->id;
  switch (extra->which) {
    case kHIArbNew:
      return newValue(in, id, extra->u.new_value.result);
    case kHIArbDispose:
      VLDisposeHandle(in, extra->u.dispose.value);
      return kHINoErr;
    case kHIArbCopy:
      return copyValue(in, extra->u.copy.source, extra->u.copy.result);
    case kHIArbFlatSize:
      if (!extra->u.flat_size.size) return kHIErrBadCallbackParam;
      *extra->u.flat_size.size = uint32_t(VLGetHandleSize(in, extra->u.flat_size.value));
      return kHINoErr;
    case kHIArbFlatten:
      return flatten(in, id, extra->u.flatten.value, extra->u.flatten.buffer_size, extra->u.flatten.buffer);
    case kHIArbUnflatten:
      return unflatten(in, id, extra->u.unflatten.buffer_size, extra->u.unflatten.buffer,
                       extra->u.unflatten.result);
    case kHIArbInterpolate:
      return interpolate(in, id, extra->u.interpolate.left, extra->u.interpolate.right,
                         extra->u.interpolate.fraction, extra->u.interpolate.result);
    case kHIArbCompare:
      return compare(in, extra->u.compare.a, extra->u.compare.b, extra->u.compare.result);
    case kHIArbPrintSize:
      if (!extra->u.print_size.size) return kHIErrBadCallbackParam;
      *extra->u.print_size.size = kVLSettingsPrintSize;
      return kHINoErr;
    case kHIArbPrint:
      return print(in, id, extra->u.print.print_flags, extra->u.print.value, extra->u.print.buffer_size,
                   extra->u.print.buffer);
    case kHIArbScan:
      if (!isSettingsId(id)) {
        if (extra->u.scan.result) *extra->u.scan.result = nullptr;
        return kHIErrUnrecognizedParamType;
      }
      return ArbScan(in, extra->u.scan.text, extra->u.scan.byte_count, extra->u.scan.result);
    default:
      return kHINoErr;
  }
}
