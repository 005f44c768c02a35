// Binary arbitrary maps: one to four tables of 256 bytes back to back, no
// header. Table 0 applies to all channels; tables 1, 2 and 3, when present,
// apply to red, green and blue after table 0. Entry i of a table is the
// output for input i. Bytes after the fourth table, and a last table that is
// not whole, are not read.
#include <cstring>

#include "settings/lut_text.h"

void LUTParseArbitraryMaps(const std::string& bytes, LUTArbitraryMaps* out) {
  out->count = int32_t(std::min<size_t>(bytes.size() / 256, 4));
  for (int32_t m = 0; m < out->count; ++m) std::memcpy(out->map[m], bytes.data() + 256 * m, 256);
}
