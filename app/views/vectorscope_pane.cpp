// The vectorscope pane: preferences and source picture into a parameter block.
#include "app/views/scope_inputs.h"
#include "app/views/vectorscope.h"
#include "settings/prefs.h"

void DrawVectorscopePane(TKImage* target, const TKRect* rect, TKImage* source, int32_t zoom) {
  if (!target) return;
  TKRect bounds = rect ? *rect : TKMakeRect(0, 0, TKImageWidth(target), TKImageHeight(target));
  TKRect graticule = VectorscopeGraticuleRect(bounds);

  VectorscopeParams p{};
  p.target = target;
  p.rect = &graticule;
  if (source) {
    p.pixels = TKImagePixels(source);
    p.width = TKImageWidth(source);
    p.height = TKImageHeight(source);
    p.rowBytes = TKImageRowBytes(source);
    if (!ScopeUpdatesSuspended()) p.flags |= kVSFlagTrace;
  } else {
    p.width = 720;
    p.height = 486;
  }
  // Our pictures hold little-endian A, R, G, B words, so kVSFlagARGBMemory stays off.
  const PrefsSettings& prefs = gPrefsSettings;
  p.matrix = ScopeMatrixForVideoSystem(prefs.videoSystem);
  p.rowCount = p.height > 576 ? p.height / 2 : 0;
  p.row = 0;
  p.zoom = zoom;
  p.whiteLevel = prefs.videoWhiteLevel;
  p.blackLevel = prefs.videoBlackLevel;
  p.targets75 = prefs.vsCalibration100 ? 0 : 1;
  p.saturation = prefs.uiSaturation;
  DrawVectorscope(&p);
}
