// The Thomson LUTher 3D LUT (.txt) in 10-bit video codes over the extended
// lattice 0 .. 1024/876; the Panavision GDP file shares it with its own
// target line.
//
//   # channels: c3
//   # entries = 4913
//   # 
//   # Creator:  Quorvane Velmora 3
//   # Version:  3.0.14(309)
//   # Platform: Linux 6.1.0
//   # Target:   Thomson LUTher
//   # Date:     10 Dec 2026 14:05
//   # 
//     64   64   64            N^3 rows, red slowest, blue fastest:
//     64   64  128            round(v x 876 + 64) held to 0..1019, "%4ld %4ld %4ld"
#include <cmath>

#include "app/library/lut3d_internal.h"

namespace {

long VideoCode(float v) {
  double code = std::round(double(v) * 876.0 + 64.0);
  if (!(code > 0.0)) return 0;
  return long(code < 1019.0 ? code : 1019.0);
}

QVStatus LUTherText(FILE* stream, const LUT3DContext& c) { return LUT3DVideoCodeText(stream, c, "Thomson LUTher"); }

}  // namespace

QVStatus LUT3DVideoCodeText(FILE* stream, const LUT3DContext& c, const char* target) {
  bool ok = LUT3DPrint(stream, "# channels: c3\n# entries = %ld\n# \n# Creator:  Quorvane Velmora 3\n",
                       long(c.samples.r.size())) &&
            LUT3DPrint(stream, "# Version:  %s\n# Platform: %s\n# Target:   %s\n# Date:     %s\n# \n",
                       kLUT3DVersionText, c.platformText.c_str(), target, c.dateText.c_str());
  for (size_t i = 0; ok && i < c.samples.r.size(); ++i)
    ok = LUT3DPrint(stream, "%4ld %4ld %4ld\n", VideoCode(c.samples.r[i]), VideoCode(c.samples.g[i]),
                    VideoCode(c.samples.b[i]));
  return LUT3DStreamStatus(stream);
}

QVStatus WriteLUTherLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                        int32_t divisions, QVFileRef* result) {
  LUT3DContext c{divisions, 0, 0, 0, {}, {}, {}, {}};
  return LUT3DWriteFile(settings, folder, name, c, {LUTherText, false, true}, result);
}
