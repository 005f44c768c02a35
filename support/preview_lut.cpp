#include "support/preview_lut.h"

#include <cmath>

namespace {

PreviewLUTFileLoader gLoader = nullptr;

// Rounded 8-bit entry of a video gamma curve with a linear toe.
uint8_t GammaEntry(int i, float toe, float gain, float offset, float slope) {
  const float step = 1.0f / 255.0f;  // 0.003921569
  float l = float(i) * step;
  float v = l >= toe ? (gain * std::pow(l, 0.45f) - offset) * 255.0f : l * slope;
  return uint8_t(std::lround(std::fmin(std::fmax(v, 0.0f), 255.0f)));
}

uint8_t Entry(int32_t choice, int i) {
  switch (choice) {
    case kPreviewLUTRec601:
    case kPreviewLUTRec709:
      return GammaEntry(i, 0.018f, 1.099f, 0.099f, 1147.5f);
    case kPreviewLUTSMPTE240M:
      return GammaEntry(i, 0.0228f, 1.1115f, 0.1115f, 1020.0f);
    case kPreviewLUTInvert:
      return uint8_t(255 - i);
    case kPreviewLUTGamma1_22: {
      float l = float(i) * (1.0f / 255.0f);
      return uint8_t(std::lround(std::fmin(std::pow(l, 1.2222223f) * 255.0f, 255.0f)));
    }
    default:
      return uint8_t(i);
  }
}

}  // namespace

void SetLinearizationLUTFileLoader(PreviewLUTFileLoader loader) { gLoader = loader; }

QVStatus BuildLinearizationLUT(int32_t choice, uint8_t* table) {
  if (table == nullptr || choice < kPreviewLUTNone || choice > kPreviewLUTFromFile) return kQVNoErr;
  if (choice == kPreviewLUTFromFile) {
    uint8_t loaded[kPreviewLUTBytes];
    for (size_t i = 0; i < kPreviewLUTBytes; ++i) loaded[i] = table[i];
    if (gLoader == nullptr || gLoader(loaded) == 0) return kQVErrCancelled;
    for (size_t i = 0; i < kPreviewLUTBytes; ++i) table[i] = loaded[i];
    return kQVNoErr;
  }
  for (int i = 0; i < 256; ++i) {
    uint8_t v = Entry(choice, i);
    table[i] = table[256 + i] = table[512 + i] = v;
  }
  return kQVNoErr;
}
