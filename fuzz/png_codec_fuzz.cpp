// Our own PNG reader (the 32-bit build's frames and pictures): the bytes as a
// file; the header's size and the picture's must agree, and a picture read
// must come back unchanged through our writer and reader.
#include "platform/png_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int32_t width = 0, height = 0;
  std::string why;
  const bool sized = PLPngReadSize(data, size, &width, &height, &why);
  PLPngImage image;
  if (!PLPngDecode(data, size, &image, &why)) return 0;
  if (!sized || image.width != width || image.height != height ||
      image.samples.size() != size_t(width) * size_t(height) * 4)
    __builtin_trap();
  const std::vector<uint8_t> bytes = PLPngEncode(image);
  PLPngImage back;
  if (!PLPngDecode(bytes.data(), bytes.size(), &back, &why) || back.samples != image.samples ||
      back.bits != image.bits)
    __builtin_trap();
  return 0;
}
