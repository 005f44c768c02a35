// The Panavision GDP 3D LUT (.txt): the LUTher layout (see
// lut3d_luther.cpp) with its own target line:
//
//   # Target:   Panavision GDP
#include "app/library/lut3d_internal.h"

namespace {

QVStatus PanavisionText(FILE* stream, const LUT3DContext& c) {
  return LUT3DVideoCodeText(stream, c, "Panavision GDP");
}

}  // namespace

QVStatus WritePanavisionGDPLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                               int32_t divisions, QVFileRef* result) {
  LUT3DContext c{divisions, 0, 0, 0, {}, {}, {}, {}};
  return LUT3DWriteFile(settings, folder, name, c, {PanavisionText, false, true}, result);
}
