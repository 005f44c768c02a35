// Renders every scope of a colour-bar and a ramp frame to PNG files in the
// scratch folder "scope-pictures", for a look, and checks that each drew a
// trace over its graticule.
#include <gtest/gtest.h>

#include <string>

#include "app/views/vectorscope.h"
#include "app/views/waveform.h"
#include "scope_test_frames.h"
#include "settings/prefs.h"
#include "tests/scratch_folder.h"

namespace {

// Pixels that differ between two pictures of the same size.
int64_t DifferingPixels(TKImage* a, TKImage* b) {
  int64_t count = 0;
  for (int32_t y = 0; y < TKImageHeight(a); ++y)
    for (int32_t x = 0; x < TKImageWidth(a); ++x) count += TKImageGetPixel(a, x, y) != TKImageGetPixel(b, x, y);
  return count;
}

struct Scope {
  const char* name;
  void (*draw)(TKImage* target, TKImage* source);
  void (*prefs)(PrefsSettings* prefs) = nullptr;  // changes from the defaults
};

const Scope kScopes[] = {
    {"vectorscope", [](TKImage* t, TKImage* s) { DrawVectorscopePane(t, nullptr, s, 1); }},
    {"vectorscope-zoom2", [](TKImage* t, TKImage* s) { DrawVectorscopePane(t, nullptr, s, 2); }},
    {"luma", [](TKImage* t, TKImage* s) { DrawWaveformPane(t, nullptr, s, false, false, false, false, false, false); }},
    {"yc", [](TKImage* t, TKImage* s) { DrawWaveformPane(t, nullptr, s, true, false, false, false, false, false); }},
    {"ycbcr", [](TKImage* t, TKImage* s) { DrawWaveformPane(t, nullptr, s, false, true, false, false, false, false); }},
    {"rgb", [](TKImage* t, TKImage* s) { DrawWaveformPane(t, nullptr, s, false, false, true, false, false, false); }},
    {"overlay", [](TKImage* t, TKImage* s) { DrawWaveformPane(t, nullptr, s, false, false, false, true, false, false); }},
    {"yrgb", [](TKImage* t, TKImage* s) { DrawWaveformPane(t, nullptr, s, false, false, false, false, true, false); }},
    {"gbr", [](TKImage* t, TKImage* s) { DrawWaveformPane(t, nullptr, s, false, false, false, false, false, true); }},
    {"vectorscope-709-100", [](TKImage* t, TKImage* s) { DrawVectorscopePane(t, nullptr, s, 1); },
     [](PrefsSettings* p) {
       p->videoSystem = 3;
       p->vsCalibration100 = 1;
     }},
    {"ycbcr-mv-colour", [](TKImage* t, TKImage* s) { DrawWaveformPane(t, nullptr, s, false, true, false, false, false, false); },
     [](PrefsSettings* p) {
       p->wfmUnitsMV = 1;
       p->wfmColor = 1;
       p->videoSystem = 2;
     }},
    {"luma-video-levels-setup", [](TKImage* t, TKImage* s) { DrawWaveformPane(t, nullptr, s, false, false, false, false, false, false); },
     [](PrefsSettings* p) {
       p->videoBlackLevel = 16;
       p->videoWhiteLevel = 235;
       p->videoBlackSetup = 1;
     }},
};

}  // namespace

TEST(ScopePictures, EveryScopeOfBarsAndRampsDrawsATraceOverItsGraticule) {
  PFLoadDefaultPreferences(&gPrefsSettings);
  std::string dir = ScratchDir("scope-pictures");
  struct Frame {
    const char* name;
    TKImage* picture;
  } frames[] = {{"bars", MakeColourBars(1280, 720)}, {"ramps", MakeRamps(1280, 720)}};
  for (const Frame& frame : frames) {
    for (const Scope& scope : kScopes) {
      SCOPED_TRACE(std::string(frame.name) + " " + scope.name);
      PFLoadDefaultPreferences(&gPrefsSettings);
      if (scope.prefs) scope.prefs(&gPrefsSettings);
      TKImage* empty = TKImageCreate(800, 600);
      TKImage* traced = TKImageCreate(800, 600);
      scope.draw(empty, nullptr);
      scope.draw(traced, frame.picture);
      EXPECT_GT(DifferingPixels(empty, traced), 0);
      std::string path = dir + "/" + frame.name + "-" + scope.name + ".png";
      EXPECT_EQ(TKImageWritePNG(traced, path.c_str()), kQVNoErr) << path;
      TKImageDispose(empty);
      TKImageDispose(traced);
    }
    TKImageDispose(frame.picture);
  }
  PFLoadDefaultPreferences(&gPrefsSettings);
}
