// The Pogle 3D LUT (.m3d): the Cinetal "MegaGamma" layout (see
// lut3d_cinetal.cpp) with its own type line:
//
//   #type:		Pogle MegaGamma file
#include "app/library/lut3d_internal.h"

namespace {

QVStatus PogleText(FILE* stream, const LUT3DContext& c) {
  return LUT3DMegaGammaText(stream, c, "Pogle MegaGamma file");
}

}  // namespace

QVStatus WritePogleLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                       int32_t divisions, QVFileRef* result) {
  LUT3DContext c{divisions, 0, 0, 0, {}, {}, {}, {}};
  return LUT3DWriteFile(settings, folder, name, c, {PogleText, false, false}, result);
}
