// The .3dl 3D LUT in its seven flavours: input range R = 2^I (I = 10),
// output codes 0..2^O - 1 (O = 12).
//
// Header by flavour:
//   1 Lustre:                 #LUT created by Quorvane Velmora 3 3.0.14(309)
//                             # 3 columns rgb
//                             # 4913 rows                (N^3)
//                             # input [0..1023]
//                             # output [0..4095]
//                             (empty line)
//   2 Flame, 3 Smoke,
//   6 HDLinkPro, 7 Autodesk:  none
//   4 Autodesk:               #Do not edit
//                             # LUT created by Quorvane Velmora 3 3.0.14(309)
//                             (empty line)
//                             3DMESH
//                             Mesh 4 12
//   5 Autodesk Pre-3.0:       3DMESH
//                             Mesh 4 12
// Breakpoint line (all but flavours 5 and 7), then an empty line:
//   0 64 128 192 256 320 384 448 512 576 640 704 768 832 896 960 1023
// Then N^3 rows, red slowest, blue fastest: round(v x 4095) held to 0..4095,
//      0    0    0            "%4ld %4ld %4ld"
//      0    0  256
#include "app/library/lut3d_internal.h"

namespace {

constexpr const char* kFlavourNames[8] = {"Autodesk", "Lustre", "Flame", "Smoke", "Autodesk",
                                          "Autodesk Pre-3.0", "HDLinkPro", "Autodesk"};

int32_t Flavour(int32_t flavour) { return flavour >= 1 && flavour <= 7 ? flavour : 4; }

QVStatus ThreeDLText(FILE* stream, const LUT3DContext& c) {
  const long range = 1L << c.inputBits;
  const long outMax = (1L << c.outputBits) - 1;
  const int32_t flavour = Flavour(c.flavour);
  bool ok = true;
  if (flavour == 1)
    ok = LUT3DPrint(stream, "#LUT created by Quorvane Velmora 3 %s\n# 3 columns rgb\n# %ld rows\n", kLUT3DVersionText,
                    long(c.samples.r.size())) &&
         LUT3DPrint(stream, "# input [0..%ld]\n# output [0..%ld]\n\n", range - 1, outMax);
  if (flavour == 4)
    ok = LUT3DPrint(stream, "#Do not edit\n# LUT created by Quorvane Velmora 3 %s\n\n", kLUT3DVersionText);
  if (flavour == 4 || flavour == 5) ok = ok && LUT3DPrint(stream, "3DMESH\nMesh %d %ld\n", 4, long(c.outputBits));
  if (flavour != 5 && flavour != 7) ok = ok && LUT3DWriteBreakpoints(stream, int32_t(range), c.divisions, "\n\n");
  if (ok) LUT3DWriteCodeRows(stream, c.samples, double(outMax), "%4ld %4ld %4ld\n");
  return LUT3DStreamStatus(stream);
}

}  // namespace

const char* LUT3DFlavourName(int32_t flavour) { return kFlavourNames[Flavour(flavour)]; }

QVStatus Write3dlLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                     int32_t divisions, int32_t inputBits, int32_t outputBits, int32_t flavour, QVFileRef* result) {
  if (inputBits < 1 || inputBits > 16 || outputBits < 1 || outputBits > 16) return kQVErrParam;
  LUT3DContext c{divisions, inputBits, outputBits, flavour, {}, {}, {}, {}};
  return LUT3DWriteFile(settings, folder, name, c, {ThreeDLText, false, false}, result);
}
