// The Cinetal 3D LUT (.a3d), a "MegaGamma" text; the Pogle file shares its
// layout with its own type line.
//
//   #HEADER
//   #filename:	LUT_Untitled_Cinetal.a3d
//   #type:		MegaGamma file
//   #format:	1.00
//   #created:	10 Dec 2026 14:05
//   #owner:		Quorvane Velmora 3 v3.0.14(309)
//   #title:		LUT_Untitled_Cinetal.a3d
//   #END
//   (empty line)
//   channel 3d
//   in 4913                   N^3
//   out 65536
//   (empty line)
//   format lut
//   (empty line)
//   values  red  green  blue
//      0     0     0     0    N^3 rows: the entry index, then red, green, blue
//      1     0     0  4096    as round(v x 65535) held to 0..65535,
//   ...                       "%4ld %5ld %5ld %5ld"; red slowest, blue fastest
#include "app/library/lut3d_internal.h"

QVStatus LUT3DMegaGammaText(FILE* stream, const LUT3DContext& c, const char* typeText) {
  bool ok = LUT3DPrint(stream, "#HEADER\n#filename:\t%s\n#type:\t\t%s\n#format:\t1.00\n#created:\t%s\n",
                       c.fileName.c_str(), typeText, c.dateText.c_str()) &&
            LUT3DPrint(stream, "#owner:\t\tQuorvane Velmora 3 v%s\n#title:\t\t%s\n#END\n\n", kLUT3DVersionText,
                       c.fileName.c_str()) &&
            LUT3DPrint(stream, "channel 3d\nin %ld\nout %ld\n\nformat lut\n\nvalues  red  green  blue\n",
                       long(c.samples.r.size()), 65536L);
  for (size_t i = 0; ok && i < c.samples.r.size(); ++i)
    ok = LUT3DPrint(stream, "%4ld %5ld %5ld %5ld\n", long(i), LUT3DCode(c.samples.r[i], 65535.0),
                    LUT3DCode(c.samples.g[i], 65535.0), LUT3DCode(c.samples.b[i], 65535.0));
  return LUT3DStreamStatus(stream);
}

namespace {

QVStatus CinetalText(FILE* stream, const LUT3DContext& c) { return LUT3DMegaGammaText(stream, c, "MegaGamma file"); }

}  // namespace

QVStatus WriteCinetalLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                         int32_t divisions, QVFileRef* result) {
  LUT3DContext c{divisions, 0, 0, 0, {}, {}, {}, {}};
  return LUT3DWriteFile(settings, folder, name, c, {CinetalText, false, false}, result);
}
