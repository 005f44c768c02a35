// Timecode text: the first bytes choose the rate, mode, counting and frames
// per foot, the rest is the text; whatever it reads is written again.
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "media/timecode_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  static const int32_t kRates[] = {0, 99, 100, 2397, 2398, 2400, 2500, 2997, 3000, 5994, 6000, 12000, 100000};
  const int32_t rate = kRates[data[0] % (sizeof kRates / sizeof kRates[0])];
  const int32_t mode = data[1] % 5;
  const int32_t counting = data[2] % 2;
  const int32_t perFoot = data[3] % 20;
  const std::string text(reinterpret_cast<const char*>(data + 4), size - 4);
  const int64_t frames = ParseTimecodeText(text.c_str(), rate, mode, counting, perFoot, 0);
  char out[40];
  const size_t length = 1 + data[3] % sizeof out;
  FormatTimecodeText(frames, rate, mode, counting, 0, perFoot, out, length);
  if (std::memchr(out, 0, length) == nullptr) __builtin_trap();
  return 0;
}
