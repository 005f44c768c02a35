// The waveform pane: preferences and picture into a parameter block.
#include "app/views/scope_inputs.h"
#include "app/views/waveform.h"
#include "settings/prefs.h"

void DrawWaveformPane(UIImage* target, const UIRect* rect, UIImage* picture, bool chroma, bool mode2, bool mode3,
                      bool mode4, bool mode5, bool mode6) {
  if (!target) return;
  UIRect bounds = rect ? *rect : UIMakeRect(0, 0, UIImageWidth(target), UIImageHeight(target));
  int32_t inset = int32_t(UIRectWidth(bounds) * 0.016);
  UIRect inner = UIRectInset(bounds, inset, inset);

  WaveformParams p{};
  p.target = target;
  p.rect = &inner;
  if (picture) {
    p.pixels = UIImagePixels(picture);
    p.width = UIImageWidth(picture);
    p.height = UIImageHeight(picture);
    p.rowBytes = UIImageRowBytes(picture);
    if (!ScopeUpdatesSuspended()) p.flags |= kWFMFlagTrace;
  } else {
    p.width = 720;
    p.height = 486;
  }
  const PrefsSettings& prefs = gPrefsSettings;
  if (chroma) p.flags |= kWFMFlagChroma;
  if (prefs.wfmColor) p.flags |= kWFMFlagColor;
  p.flags |= kWFMFlagLittleEndian;
  if (!prefs.wfmUnitsMV) p.flags |= kWFMFlagIRE;
  p.traceMode = mode2 ? kWFMTraceYCbCrParade
              : mode3 ? kWFMTraceRGBParade
              : mode4 ? kWFMTraceRGBOverlay
              : mode5 ? kWFMTraceYRGBParade
              : mode6 ? kWFMTraceGBRParade
                      : kWFMTraceLuma;
  p.videoSystem = ScopeWaveformSystemForVideoSystem(prefs.videoSystem);
  p.matrix = ScopeMatrixForVideoSystem(prefs.videoSystem);
  p.lineStep = 1;
  p.fieldSkip = p.height > 576 ? p.height / 2 : 0;
  p.lineSelect = 0;
  p.whiteLevel = prefs.videoWhiteLevel;
  p.blackLevel = prefs.videoBlackLevel;
  p.setupOffset = prefs.videoBlackSetup ? 200 : 0;
  p.scale = 0x10000;
  p.brightness = prefs.uiSaturation;
  DrawWaveformMonitor(&p);
}
