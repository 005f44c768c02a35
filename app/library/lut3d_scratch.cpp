// The Scratch 3D LUT (.lut): a breakpoint line over the 10-bit input range,
// then N^3 rows of 10-bit codes, red slowest, blue fastest.
//
//   0 64 128 192 256 320 384 448 512 576 640 704 768 832 896 960 1023
//      0      0      0         round(v x 1023) held to 0..1023,
//      0      0     64         "%4ld   %4ld   %4ld" (three blanks between)
#include "app/library/lut3d_internal.h"

namespace {

QVStatus ScratchText(FILE* stream, const LUT3DContext& c) {
  if (LUT3DWriteBreakpoints(stream, 1024, c.divisions, "\n"))
    LUT3DWriteCodeRows(stream, c.samples, 1023.0, "%4ld   %4ld   %4ld\n");
  return LUT3DStreamStatus(stream);
}

}  // namespace

QVStatus WriteScratchLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                         int32_t divisions, QVFileRef* result) {
  LUT3DContext c{divisions, 0, 0, 0, {}, {}, {}, {}};
  return LUT3DWriteFile(settings, folder, name, c, {ScratchText, false, false}, result);
}
