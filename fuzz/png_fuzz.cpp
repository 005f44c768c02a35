// The stand-in host's PNG frames: the bytes as a frame file, its header
// checked and the whole image read; the two must agree on the size.
#include <string>

#include "fuzz/fuzz_support.h"
#include "tools/standin_host/sh_png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FZWriteScratchFile("frame.png", data, size);
  int32_t width = 0, height = 0;
  std::string error;
  if (!SHCheckPNG(path, &width, &height, &error)) return 0;
  SHImage image;
  if (SHReadPNG(path, &image, &error)) {
    if (image.width != width || image.height != height ||
        image.samples.size() != size_t(image.width) * size_t(image.height) * 4)
      __builtin_trap();
  }
  return 0;
}
