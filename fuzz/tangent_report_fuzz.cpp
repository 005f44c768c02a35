// The USB panel's input reports: any bytes, of any length, decoded against
// a button state taken from the first bytes; every event must name a real
// button or encoder. The rest is also sent out as a display field and line.
#include <cstring>
#include <string>

#include "app/surfaces/tangent_reports.h"
#include "fuzz/fuzz_support.h"

namespace {

void OnButton(void*, int32_t index, int32_t state) {
  if (index < 0 || index >= kTangentButtonCount || (state != 0 && state != 1)) __builtin_trap();
}

void OnEncoder(void*, int32_t index, int32_t count) {
  if (index < 0 || index >= kTangentEncoderCount || count == 0 || count < -128 || count > 127) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t previous[kTangentButtonBytes] = {};
  const size_t head = size < sizeof previous ? size : sizeof previous;
  std::memcpy(previous, data, head);
  TangentDecodeInputReport(data + head, size - head, previous, OnButton, OnEncoder, nullptr);

  const std::string text(reinterpret_cast<const char*>(data), size);
  uint8_t out[kTangentMaxTextReport];
  const int32_t column = size ? int32_t(int8_t(data[0])) : 0;
  const int32_t alignment = size > 1 ? int32_t(data[1] % 3) - 1 : 0;
  const size_t n = TangentEncodeField(1, 1, column, text.c_str(), alignment, out);
  if (n > sizeof out || (n && (out[3] + out[4] > kTangentLineLength || n != size_t(5 + out[4])))) __builtin_trap();
  if (TangentEncodeDisplayLine(0, 0, text.c_str(), alignment, out) != sizeof out) __builtin_trap();
  return 0;
}
