// Preview LUT files: the first byte picks the reader ("LUT:" text, grid
// text, binary maps), the rest is the file. A table is changed only by a
// read that succeeds.
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "settings/preview_lut_file.h"
#include "support/preview_lut.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const char* const kNames[3] = {"preview.lut", "preview.txt", "preview.amp"};
  static QVStatus (*const kReaders[3])(const char*, uint8_t*) = {ReadChannelLUTFile, ReadGridLUTFile,
                                                                 ReadBinaryLUTFile};
  const int kind = data[0] % 3;
  const std::string path = FZWriteScratchFile(kNames[kind], data + 1, size - 1);
  uint8_t lut[kPreviewLUTBytes];
  std::memset(lut, 0x5A, sizeof lut);
  uint8_t before[kPreviewLUTBytes];
  std::memcpy(before, lut, sizeof lut);
  if (kReaders[kind](path.c_str(), lut) != kQVNoErr && std::memcmp(lut, before, sizeof lut) != 0) __builtin_trap();
  return 0;
}
