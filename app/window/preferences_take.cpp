// What OK takes from the preferences dialog into the record, and the text
// of the cache folder.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/views/preview_outputs.h"
#include "app/window/preferences_dialog.h"
#include "app/window/preferences_dialog_internal.h"
#include "app/window/video_output_modes.h"
#include "platform/file_ref.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"
#include "support/paths.h"
#include "support/preview_lut.h"

namespace {

int32_t checked(TKControl* box) { return TKGetControlValue(box) != 0 ? 1 : 0; }

uint32_t chosenCommand(TKControl* popup) {
  return TKGetMenuItemCommand(TKGetControlMenu(popup), TKGetControlValue(popup));
}

// The display LUTs whose choice is the identity follow the gamma settings:
// with traditional gamma all three stay the identity; otherwise the primary
// and secondary ones take the gamma-adjusting curve, and the external one
// too when its gamma adjustment is on. The choices themselves stay.
void rebuildDisplayLUTs(PrefsSettings* p) {
  for (int which = kPFLUTPrimary; which <= kPFLUTExternal; ++which) {
    if (p->lutIndex[which] != kPreviewLUTNone) continue;
    int32_t choice = kPreviewLUTGamma1_22;
    if (p->useOldStyleGamma || (which == kPFLUTExternal && !p->externalPreviewGammaAdjust)) choice = kPreviewLUTNone;
    // Both choices are built-in tables, which are always made.
    QVIgnoreStatus(BuildLinearizationLUT(choice, p->lut[which]));
  }
}

// Whether the UTF-8 byte starts a character.
bool startsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

}  // namespace

void PreferencesDialogTake(const PreferencesDialog& d, PrefsSettings* p) {
  // General and the preview outputs.
  p->toolTips = checked(d.toolTips);
  p->limiterDefault = checked(d.limiter);
  p->useOldStyleGamma = checked(d.oldStyleGamma);
  const int32_t undoItem = std::clamp(TKGetControlValue(d.undo), 1, 7);
  p->undoDepthMenuItem = undoItem;
  p->undoDepth = kPFUndoDepths[undoItem - 1];
  p->leftPaneDefault = TKGetControlValue(d.leftPane);
  p->rightPaneDefault = TKGetControlValue(d.rightPane);
  p->settingsPaneDefault = TKGetControlValue(d.settingsPane);
  p->secondaryPreviewMonitor = TKGetControlValue(d.monitor) - 1;
  p->externalPreviewDevice = chosenCommand(d.device);
  p->externalPreviewMode = chosenCommand(d.mode);
  const bool output = p->externalPreviewDevice != kPreviewDeviceNone && p->externalPreviewDevice != kPreviewDeviceExternal;
  if (const VideoOutputModeRecord* mode = output ? FindVideoOutputMode(p->externalPreviewMode) : nullptr) {
    p->externalPreviewCodec = int32_t(mode->decompressorType);
    p->externalPreviewWidth = mode->width;
    p->externalPreviewHeight = mode->height;
    // Kept in 16.16 fixed point, so that 29.97 stays 29.97.
    p->externalPreviewFrameRate = int32_t(std::lround(double(mode->rate) * 65536.0));
    p->externalPreviewPixelFormat = int32_t(mode->pixelType);
  }
  // Video system and the scopes.
  p->externalPreviewGammaAdjust = checked(d.gammaAdjust);
  p->wfmColor = checked(d.wfmColor);
  p->wfmUnitsMV = checked(d.wfmUnits);
  p->vsCalibration100 = checked(d.vsCalibration);
  p->videoSystem = TKGetControlValue(d.videoSystem);
  PFSetVideoLevelCoding(p, TKGetControlValue(d.levelCoding));
  p->videoBlackSetup = checked(d.blackSetup);
  rebuildDisplayLUTs(p);
  // Control surface.
  p->controlSurfaceMode = TKGetControlValue(d.surfaceType);
  p->controlSurfaceInterface = TKGetControlValue(d.surfaceInterface);
  QVCopyCString(TKGetEditText(d.address), p->controlSurfaceIP, sizeof p->controlSurfaceIP);
  // Combo display, the interface's look, the external preview's picture.
  for (int i = 0; i < 4; ++i) p->comboQuadrant[i] = TKGetControlValue(d.combo[i]);
  p->uiBrightness = TKGetControlValue(d.brightness);
  p->uiSaturation = TKGetControlValue(d.saturation);
  p->previewImageScaling = TKGetControlValue(d.scaling);
  p->previewAspectConversion = TKGetControlValue(d.aspect);
}

std::string ShortenInMiddle(const std::string& text, size_t limit) {
  if (text.size() <= limit || limit < 5) return text.substr(0, std::min(text.size(), limit));
  size_t head = (limit - 3) / 2;
  size_t tail = text.size() - (limit - 3 - head);
  while (head > 0 && !startsCharacter(text[head])) --head;
  while (tail < text.size() && !startsCharacter(text[tail])) ++tail;
  return text.substr(0, head) + "..." + text.substr(tail);
}

std::string PreferencesCacheFolderText(const PrefsSettings& p) {
  const std::string path(p.rapidPreviewCacheAlias.begin(), p.rapidPreviewCacheAlias.end());
  if (path.empty() || path.find('\0') != std::string::npos || !PLPathIsFolder(path.c_str())) return kPrefsNoCacheFolder;
  return ShortenInMiddle(path, 50);
}
