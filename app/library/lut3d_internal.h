// What the 3D LUT format files share: the sampled lattice, the texts of
// their headers and the one road from a record to a whole file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/library/lut3d_export.h"

constexpr const char* kLUT3DVersionText = "3.0.14(309)";
// The extended lattice's top: 1024 / 876 (video code 1023 over white 940 less 64).
constexpr double kLUT3DExtendedTop = 1.1689497716894977;

struct LUT3DSamples {
  int32_t points = 0;  // N per axis
  std::vector<float> r, g, b;  // results in the format's entry order
};

// Everything a format's text is made from.
struct LUT3DContext {
  int32_t divisions;
  int32_t inputBits, outputBits, flavour;
  std::string fileName;
  std::string dateText;      // the current local date and time
  std::string platformText;  // the operating system's name and release
  LUT3DSamples samples;
};

// Writes the format's whole text to the stream; 0 or a write status.
using LUT3DTextProc = QVStatus (*)(FILE* stream, const LUT3DContext& context);

struct LUT3DLayout {
  LUT3DTextProc text;
  bool redFastest;     // Truelight order
  bool extendedRange;  // the lattice reaches kLUT3DExtendedTop
};

// Samples the record's correction on the lattice: the engine processes the
// N^3 points as one row.
QVStatus LUT3DSample(const VL_SettingsStruct* settings, int32_t divisions, bool redFastest, bool extendedRange,
                     LUT3DSamples* samples);
// Samples, writes the text and puts the file in place.
QVStatus LUT3DWriteFile(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                        const LUT3DContext& parameters, const LUT3DLayout& layout, QVFileRef* result);

// round(v x top) with halves away from zero, held to 0..top (NaN gives 0).
long LUT3DCode(double v, double top);
// Prints like fprintf; false when the stream failed.
bool LUT3DPrint(FILE* stream, const char* format, ...) __attribute__((format(printf, 2, 3)));
// 0, or the status of the stream's failed write.
QVStatus LUT3DStreamStatus(FILE* stream);
// The breakpoint line of .3dl and Scratch files: i x R / D for i = 0..D
// (integer division), each held to R - 1, separated by one blank, then
// the ending.
bool LUT3DWriteBreakpoints(FILE* stream, int32_t range, int32_t divisions, const char* ending);
// N^3 rows of three codes, round(v x top) held to 0..top, in the format.
bool LUT3DWriteCodeRows(FILE* stream, const LUT3DSamples& samples, double top, const char* rowFormat);
// The "MegaGamma" text of the Cinetal and Pogle files with its type line.
QVStatus LUT3DMegaGammaText(FILE* stream, const LUT3DContext& context, const char* typeText);
// The LUTher text with its target line ("Thomson LUTher", "Panavision GDP").
QVStatus LUT3DVideoCodeText(FILE* stream, const LUT3DContext& context, const char* target);
