// Scopes drawn into a tall narrow picture that sits inside a larger block
// of memory: every byte around the picture keeps its guard pattern, at the
// strongest zoom and with rectangles reaching past the picture.
#include <gtest/gtest.h>

#include <vector>

#include "app/views/vectorscope.h"
#include "app/views/waveform.h"
#include "scope_test_frames.h"
#include "settings/prefs.h"

namespace {

constexpr uint8_t kGuard = 0xA5;

struct GuardedPicture {
  static constexpr int32_t kWidth = 40, kHeight = 700, kBorder = 128;  // border in pixels on every side
  static constexpr int32_t rowBytes = (kWidth + 2 * kBorder) * 4;
  std::vector<uint8_t> block;
  TKImage* picture;

  GuardedPicture() : block(size_t(rowBytes) * (kHeight + 2 * kBorder), kGuard) {
    uint8_t* origin = block.data() + size_t(kBorder) * rowBytes + kBorder * 4;
    for (int32_t y = 0; y < kHeight; ++y) std::fill_n(origin + size_t(y) * rowBytes, kWidth * 4, 0);
    picture = TKImageWrap(origin, kWidth, kHeight, rowBytes);
  }
  ~GuardedPicture() { TKImageDispose(picture); }
  // Bytes outside the picture that lost the guard pattern.
  int64_t Damaged() const {
    int64_t damaged = 0;
    for (int32_t y = 0; y < kHeight + 2 * kBorder; ++y)
      for (int32_t x = 0; x < rowBytes; ++x) {
        bool inside = y >= kBorder && y < kBorder + kHeight && x >= kBorder * 4 && x < (kBorder + kWidth) * 4;
        if (!inside && block[size_t(y) * rowBytes + x] != kGuard) ++damaged;
      }
    return damaged;
  }
};

}  // namespace

TEST(ScopeGuardBand, TallNarrowPicturesKeepTheMemoryAroundThemUntouched) {
  PFLoadDefaultPreferences(&gPrefsSettings);
  TKImage* bars = MakeColourBars(640, 360);
  TKImage* ramps = MakeRamps(640, 360);
  // Rectangles: the whole picture, and one hanging past every edge, placed
  // so that white (100 IRE) falls a few rows above the picture and the
  // trace area reaches past its right edge, inside the guard band.
  const TKRect rects[] = {TKMakeRect(0, 0, GuardedPicture::kWidth, GuardedPicture::kHeight),
                          TKMakeRect(-30, -96, 100, 742)};
  for (TKImage* source : {bars, ramps}) {
    for (const TKRect& rect : rects) {
      for (int32_t zoom : {1, 10}) {
        GuardedPicture g;
        DrawVectorscopePane(g.picture, &rect, source, zoom);
        EXPECT_EQ(g.Damaged(), 0) << "vectorscope zoom " << zoom << " rect left " << rect.left;
        // The parameter block straight, with the graticule rectangle past the picture.
        VectorscopeParams p{g.picture, &rect, TKImagePixels(source), TKImageWidth(source), TKImageHeight(source),
                            TKImageRowBytes(source), kVSFlagTrace, 0, zoom, 0, 0, 255, 0, 1, 0x10000};
        DrawVectorscope(&p);
        EXPECT_EQ(g.Damaged(), 0) << "vectorscope block zoom " << zoom << " rect left " << rect.left;
      }
      for (int32_t mode = 1; mode <= 6; ++mode)
        for (bool chroma : {false, true}) {
          GuardedPicture g;
          DrawWaveformPane(g.picture, &rect, source, chroma, mode == 2, mode == 3, mode == 4, mode == 5, mode == 6);
          WaveformParams p{g.picture, &rect, TKImagePixels(source), TKImageWidth(source), TKImageHeight(source),
                           TKImageRowBytes(source), kWFMFlagTrace | kWFMFlagLittleEndian | kWFMFlagIRE | (chroma ? 2u : 0u),
                           mode, kWFMSystemNTSC, 0, 1, 0, 0, 255, 0, 0, 0x10000, 0x10000};
          DrawWaveformMonitor(&p);
          EXPECT_EQ(g.Damaged(), 0) << "waveform mode " << mode << " chroma " << chroma << " rect left " << rect.left;
        }
    }
  }
  TKImageDispose(ramps);
  TKImageDispose(bars);
}
