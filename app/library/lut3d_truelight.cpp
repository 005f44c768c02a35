// The Truelight cube (.cube): the processed values as they are, neither
// scaled nor held, red fastest, blue slowest.
//
//   # Truelight Cube v2.0
//   # iDims          3
//   # oDims          3
//   # width          16 16 16
//   (empty line)
//   # Cube
//   0.000000   0.000000   0.000000      N^3 rows, "%f   %f   %f"
//   0.066667   0.000000   0.000000
//   ...
//   (empty line)
//   # end
#include "app/library/lut3d_internal.h"

namespace {

QVStatus TruelightText(FILE* stream, const LUT3DContext& c) {
  long n = c.samples.points;
  bool ok = LUT3DPrint(stream, "# Truelight Cube v2.0\n# iDims          3\n# oDims          3\n") &&
            LUT3DPrint(stream, "# width          %ld %ld %ld\n\n# Cube\n", n, n, n);
  for (size_t i = 0; ok && i < c.samples.r.size(); ++i)
    ok = LUT3DPrint(stream, "%f   %f   %f\n", double(c.samples.r[i]), double(c.samples.g[i]), double(c.samples.b[i]));
  if (ok) LUT3DPrint(stream, "\n# end\n");
  return LUT3DStreamStatus(stream);
}

}  // namespace

QVStatus WriteTruelightCube(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                            int32_t divisions, QVFileRef* result) {
  LUT3DContext c{divisions, 0, 0, 0, {}, {}, {}, {}};
  return LUT3DWriteFile(settings, folder, name, c, {TruelightText, true, false}, result);
}
