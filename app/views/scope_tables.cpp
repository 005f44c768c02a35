#include "app/views/scope_tables.h"

#include <array>
#include <cmath>

namespace {

// 65536 x 0.872 x the Cb coefficients and 65536 x 1.23 x the Cr coefficients.
constexpr double kDifferenceConstants[3][6] = {
    {9642.822, 18930.873, 28573.695, 40304.64, 33750.14, 6554.502},
    {6547.4908386875, 22026.205, 28573.695, 40304.64, 36608.945, 3695.6936},
    {6634.869, 21938.826, 28573.695, 40304.64, 35854.766, 4449.874},
};

constexpr double kLumaWeights[3][3] = {
    {0.299, 0.587, 0.114},
    {0.2126, 0.7152, 0.0722},
    {0.212, 0.701, 0.087},
};

int32_t ValidMatrix(int32_t matrix) { return matrix >= 0 && matrix <= 2 ? matrix : kScopeMatrix601; }

struct DifferenceBlock {
  int32_t matrix = -1;
  int32_t tables[6 * 256];
};

DifferenceBlock gDifference;

struct LumaBlocks {
  uint8_t tables[3][3 * 256];
  LumaBlocks() {
    for (int m = 0; m < 3; ++m)
      for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) tables[m][c * 256 + v] = uint8_t(std::lround(v * kLumaWeights[m][c]));
  }
};

}  // namespace

const int32_t* BuildRGBtoYCbCrTables(int32_t matrix) {
  matrix = ValidMatrix(matrix);
  if (gDifference.matrix != matrix) {
    for (int k = 0; k < 6; ++k)
      for (int v = 0; v < 256; ++v)
        gDifference.tables[k * 256 + v] = int32_t(std::lround(kDifferenceConstants[matrix][k] * v));
    gDifference.matrix = matrix;
  }
  return gDifference.tables;
}

const uint8_t* ScopeLumaTables(int32_t matrix) {
  static const LumaBlocks blocks;
  return blocks.tables[ValidMatrix(matrix)];
}
