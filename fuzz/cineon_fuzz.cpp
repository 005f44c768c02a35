// Cineon files: the header, then the image read from memory and from the
// file; the two reads must agree.
#include <vector>

#include "fuzz/fuzz_support.h"
#include "media/dpx_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CineonHeaderInfo info;
  if (CineonParseHeaderInfo(data, size, &info) != kQVNoErr) return 0;
  std::vector<uint16_t> fromBytes(size_t(info.width) * info.height * 4, 0), fromFile(fromBytes.size(), 0);
  const QVStatus a = CineonDecodeImage(data, size, fromBytes.data(), info.width * 8, info.width, info.height);
  const std::string path = FZWriteScratchFile("frame.cin", data, size);
  const QVStatus b =
      CineonReadImage(path.c_str(), fromFile.data(), info.width * 8, info.width, info.height, 16, false);
  if (a != b || fromBytes != fromFile) __builtin_trap();
  return 0;
}
