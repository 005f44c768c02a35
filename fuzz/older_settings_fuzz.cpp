// Records of the three older layouts: the first byte picks the version, the
// rest fills a record of that version's size (cut or padded with zeros); the
// converted record is put to use.
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "settings/older_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const uint32_t kSizes[3] = {kVLSettingsV1Size, kVLSettingsV2Size, kVLSettingsV3Size};
  const int32_t version = 1 + data[0] % 3;
  const uint32_t recordSize = kSizes[version - 1];
  if (VLOlderSettingsVersionForSize(recordSize) != version) __builtin_trap();
  std::vector<uint32_t> record(recordSize / 4, 0);
  std::memcpy(record.data(), data + 1, size - 1 < recordSize ? size - 1 : recordSize);
  VL_SettingsStruct current = FZDefaultSettings();
  if (ConvertSettingsToCurrent(version, record.data(), &current)) FZUseSettings(&current);
  return 0;
}
