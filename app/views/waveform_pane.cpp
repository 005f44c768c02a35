// The waveform pane: preferences and picture into a parameter block.
#include "app/views/scope_inputs.h"
#include "app/views/waveform.h"
#include "settings/prefs.h"

void DrawWaveformPane(TKImage* target, const TKRect* rect, TKImage* picture, bool chroma, bool mode2, bool mode3,
                      bool mode4, bool mode5, bool mode6) {
  if (!target) return;
  TKRect bounds = rect ? *rect : TKMakeRect(0, 0, TKImageWidth(target), TKImageHeight(target));
  int32_t inset = int32_t(TKRectWidth(bounds) * 0.016);
  TKRect inner = TKRectInset(bounds, inset, inset);

  WaveformParams p{};
  p.target = target;
  p.rect = &inner;
  if (picture) {
    p.pixels = TKImagePixels(picture);
    p.width = TKImageWidth(picture);
    p.height = TKImageHeight(picture);
    p.rowBytes = TKImageRowBytes(picture);
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
