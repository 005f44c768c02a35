// Picture-file stills: where the picture lies, from memory and from the
// file; the two must agree and lie within the file.
#include <fcntl.h>
#include <unistd.h>

#include "fuzz/fuzz_support.h"
#include "media/media_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint64_t start = 0, length = 0, fileStart = 0, fileLength = 0;
  const bool inMemory = media::PictureFileLocateBytes(data, size, &start, &length);
  if (inMemory && (start > size || length > size - start)) __builtin_trap();
  const std::string path = FZWriteScratchFile("still.zrx", data, size);
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return 0;
  const bool inFile = media::PictureFileLocate(fd, size, &fileStart, &fileLength);
  ::close(fd);
  if (inFile != inMemory || (inFile && (fileStart != start || fileLength != length))) __builtin_trap();
  return 0;
}
