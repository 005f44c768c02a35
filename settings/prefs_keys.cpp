// Loading and saving the preferences record, key by key, and the recent lists.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/prefs_store.h"
#include "support/paths.h"
#include "settings/prefs.h"

namespace {

using IntField = int32_t* (*)(PrefsSettings*);

struct IntKey {
  const char* key;
  IntField field;
};

// Reads a four-character code field as the 32-bit integer the domain stores.
int32_t* AsInt(uint32_t* v) { return reinterpret_cast<int32_t*>(v); }

// Every 32-bit integer key with a field of its own.
const IntKey kIntKeys[] = {
    {"Tool Tips Enable", [](PrefsSettings* p) { return &p->toolTips; }},
    {"Undo Depth", [](PrefsSettings* p) { return &p->undoDepth; }},
    {"UI Timeout Duration", [](PrefsSettings* p) { return &p->uiTimeoutMinutes; }},
    {"Limiter Default", [](PrefsSettings* p) { return &p->limiterDefault; }},
    {"Left Pane Default", [](PrefsSettings* p) { return &p->leftPaneDefault; }},
    {"Right Pane Default", [](PrefsSettings* p) { return &p->rightPaneDefault; }},
    {"Settings Pane Default", [](PrefsSettings* p) { return &p->settingsPaneDefault; }},
    {"Secondary Preview Monitor", [](PrefsSettings* p) { return &p->secondaryPreviewMonitor; }},
    {"External Preview Device", [](PrefsSettings* p) { return AsInt(&p->externalPreviewDevice); }},
    {"External Preview Mode", [](PrefsSettings* p) { return AsInt(&p->externalPreviewMode); }},
    {"External Preview Codec", [](PrefsSettings* p) { return &p->externalPreviewCodec; }},
    {"External Preview Width", [](PrefsSettings* p) { return &p->externalPreviewWidth; }},
    {"External Preview Height", [](PrefsSettings* p) { return &p->externalPreviewHeight; }},
    {"External Preview Frame Rate", [](PrefsSettings* p) { return &p->externalPreviewFrameRate; }},
    {"External Preview Pixel Format", [](PrefsSettings* p) { return &p->externalPreviewPixelFormat; }},
    {"External Preview Gamma Adjust", [](PrefsSettings* p) { return &p->externalPreviewGammaAdjust; }},
    {"Preview Image Scaling", [](PrefsSettings* p) { return &p->previewImageScaling; }},
    {"Preview Aspect Ratio Conversion", [](PrefsSettings* p) { return &p->previewAspectConversion; }},
    {"WFM Color", [](PrefsSettings* p) { return &p->wfmColor; }},
    {"WFM Units mV", [](PrefsSettings* p) { return &p->wfmUnitsMV; }},
    {"VS Calibration 100 Percent", [](PrefsSettings* p) { return &p->vsCalibration100; }},
    {"Video Black Level", [](PrefsSettings* p) { return &p->videoBlackLevel; }},
    {"Video White Level", [](PrefsSettings* p) { return &p->videoWhiteLevel; }},
    {"Video Min Level", [](PrefsSettings* p) { return &p->videoMinLevel; }},
    {"Video Max Level", [](PrefsSettings* p) { return &p->videoMaxLevel; }},
    {"Video Black Setup Present", [](PrefsSettings* p) { return &p->videoBlackSetup; }},
    {"Gallery Sort Col", [](PrefsSettings* p) { return &p->gallerySortCol; }},
    {"Gallery Sort Order", [](PrefsSettings* p) { return &p->gallerySortOrder; }},
    {"Primary LUT Index", [](PrefsSettings* p) { return &p->lutIndex[kPFLUTPrimary]; }},
    {"Secondary LUT Index", [](PrefsSettings* p) { return &p->lutIndex[kPFLUTSecondary]; }},
    {"External LUT Index", [](PrefsSettings* p) { return &p->lutIndex[kPFLUTExternal]; }},
    {"Use Old Style Gamma", [](PrefsSettings* p) { return &p->useOldStyleGamma; }},
    {"Combo Upper Left", [](PrefsSettings* p) { return &p->comboQuadrant[0]; }},
    {"Combo Upper Right", [](PrefsSettings* p) { return &p->comboQuadrant[1]; }},
    {"Combo Lower Left", [](PrefsSettings* p) { return &p->comboQuadrant[2]; }},
    {"Combo Lower Right", [](PrefsSettings* p) { return &p->comboQuadrant[3]; }},
    {"CDL ID", [](PrefsSettings* p) { return &p->cdlID; }},
    {"Clip Info Window V Pos", [](PrefsSettings* p) { return &p->clipInfoWindowV; }},
    {"Clip Info Window H Pos", [](PrefsSettings* p) { return &p->clipInfoWindowH; }},
    {"Marker Edit Window V Pos", [](PrefsSettings* p) { return &p->markerEditWindowV; }},
    {"Marker Edit Window H Pos", [](PrefsSettings* p) { return &p->markerEditWindowH; }},
    {"User Preset Name Window V Pos", [](PrefsSettings* p) { return &p->presetNameWindowV; }},
    {"User Preset Name Window H Pos", [](PrefsSettings* p) { return &p->presetNameWindowH; }},
    {"Control Surface Mode", [](PrefsSettings* p) { return &p->controlSurfaceMode; }},
    {"Control Surface Interface", [](PrefsSettings* p) { return &p->controlSurfaceInterface; }},
    {"Control Surface Port", [](PrefsSettings* p) { return &p->controlSurfacePort; }},
    {"Preferences Window Selected Tab", [](PrefsSettings* p) { return &p->prefsWindowTab; }},
    {"Preferences Window H Pos", [](PrefsSettings* p) { return &p->prefsWindowH; }},
    {"Preferences Window V Pos", [](PrefsSettings* p) { return &p->prefsWindowV; }},
    {"Control Surface Definition Window H Pos", [](PrefsSettings* p) { return &p->surfaceDefWindowH; }},
    {"Control Surface Definition Window V Pos", [](PrefsSettings* p) { return &p->surfaceDefWindowV; }},
};

// The gallery column keys "Gallery Col <what> <n>", n = 0..5.
struct ColumnKey {
  const char* what;
  int32_t* (*column)(PrefsSettings*, int);
};
const ColumnKey kColumnKeys[] = {
    {"Width", [](PrefsSettings* p, int i) { return &p->galleryColWidth[i]; }},
    {"ID", [](PrefsSettings* p, int i) { return &p->galleryColID[i]; }},
    {"Position", [](PrefsSettings* p, int i) { return &p->galleryColPosition[i]; }},
};

const char* const kLUTKeys[3] = {"Primary LUT", "Secondary LUT", "External LUT"};
const char* const kExportKeys[3] = {"Export Settings QuickTime Movie", "Export Settings MPEG4",
                                    "Export Settings Image Sequence"};
const char kCacheAliasKey[] = "Vurev Aviredu Cache Alias";

struct StringKey {
  const char* key;
  char* (*field)(PrefsSettings*);
};
const StringKey kStringKeys[] = {
    {"Control Surface IP", [](PrefsSettings* p) { return p->controlSurfaceIP; }},
    {"Adjust Host Pixels", [](PrefsSettings* p) { return p->adjustHostPixels; }},
};
constexpr size_t kStringField = 128;

struct VideoSystemName {
  const char* name;
  int32_t value;
  bool written;  // the name saving uses for the value
};
const VideoSystemName kVideoSystems[] = {
    {"NTSC", 1, true}, {"PAL", 2, true}, {"ATSC", 3, false}, {"709", 3, true}, {"240M", 4, true},
};

std::string ColumnKeyName(const ColumnKey& c, int i) {
  return std::string("Gallery Col ") + c.what + " " + std::to_string(i);
}

std::string NumberedKey(const char* format, const char* base, long n) {
  char key[300];
  std::snprintf(key, sizeof key, format, base, n);
  return key;
}

void ReadInt(const char* key, int32_t* field) {
  int32_t v;
  if (PLPrefsGetInt32(kPFDomain, key, &v)) *field = v;
}

// A Float32 fraction into a 16.16 fixed-point field, rounded to nearest.
void ReadFixed(const char* key, int32_t* field) {
  float v;
  if (!PLPrefsGetFloat32(kPFDomain, key, &v) || std::isnan(v)) return;
  double scaled = std::round(double(v) * 65536.0);
  if (scaled > 2147483647.0) scaled = 2147483647.0;
  if (scaled < -2147483648.0) scaled = -2147483648.0;
  *field = int32_t(scaled);
}

// Handle data: replaced only by a present, non-empty value.
void ReadHandle(const char* key, PFHandle* handle) {
  std::vector<uint8_t> data;
  if (PLPrefsGetData(kPFDomain, key, &data) && !data.empty()) *handle = std::move(data);
}

void DeriveUndoMenuItem(PrefsSettings* p) {
  for (int i = 0; i < 7; ++i) {
    if (p->undoDepth == kPFUndoDepths[i]) {
      p->undoDepthMenuItem = i + 1;
      return;
    }
  }
  p->undoDepthMenuItem = 5;
  p->undoDepth = 20;
}

void DeriveLevelCoding(PrefsSettings* p) {
  if (p->videoMinLevel == 0 && p->videoMaxLevel == 255)
    p->videoLevelCoding = (p->videoBlackLevel == 16 && p->videoWhiteLevel == 235) ? 2 : 1;
  else if (p->videoMinLevel == 0 && p->videoMaxLevel == 1023)
    p->videoLevelCoding = (p->videoBlackLevel == 64 && p->videoWhiteLevel == 940) ? 4 : 3;
}

std::string SavedSlotKey(int n) { return "Saved Settings " + std::to_string(n); }

void LoadSavedSlots() {
  for (int n = 1; n <= 8; ++n) {
    std::vector<uint8_t> data;
    bool fits = PLPrefsGetData(kPFDomain, SavedSlotKey(n).c_str(), &data) &&
                data.size() == sizeof(VL_SettingsStruct);
    if (fits) std::memcpy(&gSavedSettings.slot[n - 1], data.data(), data.size());
    gSavedSettings.stored[n - 1] = fits ? 1 : 0;
  }
}

QVStatus SaveSavedSlots() {
  QVFirstFailure failed;
  for (int n = 1; n <= 8; ++n)
    if (gSavedSettings.stored[n - 1])
      failed.Note(
          PLPrefsSetData(kPFDomain, SavedSlotKey(n).c_str(), &gSavedSettings.slot[n - 1], sizeof(VL_SettingsStruct)));
  return failed.status;
}

}  // namespace

void PFLoadPreferences(PrefsSettings* p) {
  if (p == nullptr) return;
  PFLoadDefaultPreferences(p);
  int32_t version;
  PLPrefsGetInt32(kPFDomain, "Preferences Version", &version);  // not acted on
  for (const IntKey& k : kIntKeys) ReadInt(k.key, k.field(p));
  for (const ColumnKey& c : kColumnKeys)
    for (int i = 0; i < 6; ++i) ReadInt(ColumnKeyName(c, i).c_str(), c.column(p, i));
  ReadFixed("UI Brightness", &p->uiBrightness);
  ReadFixed("UI Saturation", &p->uiSaturation);
  float trim;
  if (PLPrefsGetFloat32(kPFDomain, "Auto Luma Trim", &trim)) p->autoLumaTrim = trim;
  DeriveUndoMenuItem(p);

  std::string system;
  if (PLPrefsGetString(kPFDomain, "Video System", &system)) {
    for (const VideoSystemName& v : kVideoSystems)
      if (system == v.name) p->videoSystem = v.value;
  }
  DeriveLevelCoding(p);

  for (int i = 0; i < 3; ++i) {
    std::vector<uint8_t> data;
    if (PLPrefsGetData(kPFDomain, kLUTKeys[i], &data) && data.size() <= kPreviewLUTBytes)
      std::memcpy(p->lut[i], data.data(), data.size());
  }
  ReadHandle(kCacheAliasKey, &p->rapidPreviewCacheAlias);
  for (int i = 0; i < 3; ++i) ReadHandle(kExportKeys[i], &p->exportSettings[i]);
  for (PrefsRecentFileList& list : p->recent) list.loaded = 1;

  for (const StringKey& k : kStringKeys) {
    std::string text;
    // At most 127 bytes and a NUL, never ending inside a character.
    if (PLPrefsGetString(kPFDomain, k.key, &text)) QVCopyCString(text, k.field(p), kStringField);
  }
  if (PFGetProgram() == kPFProgramApplication) LoadSavedSlots();
}

QVStatus PFSavePreferences(const PrefsSettings* prefs) {
  if (prefs == nullptr) return kQVErrParam;
  PrefsSettings* p = const_cast<PrefsSettings*>(prefs);  // the field accessors are shared with loading
  // Every key is written even after one is refused; the first refusal, or
  // else the file's write, is the answer.
  QVFirstFailure failed;
  failed.Note(PLPrefsSetInt32(kPFDomain, "Preferences Version", 1));
  for (const IntKey& k : kIntKeys) failed.Note(PLPrefsSetInt32(kPFDomain, k.key, *k.field(p)));
  for (const ColumnKey& c : kColumnKeys)
    for (int i = 0; i < 6; ++i) failed.Note(PLPrefsSetInt32(kPFDomain, ColumnKeyName(c, i).c_str(), *c.column(p, i)));
  failed.Note(PLPrefsSetFloat32(kPFDomain, "UI Brightness", float(prefs->uiBrightness) / 65536.0f));
  failed.Note(PLPrefsSetFloat32(kPFDomain, "UI Saturation", float(prefs->uiSaturation) / 65536.0f));
  failed.Note(PLPrefsSetFloat32(kPFDomain, "Auto Luma Trim", prefs->autoLumaTrim));
  for (const VideoSystemName& v : kVideoSystems)
    if (v.written && v.value == prefs->videoSystem) failed.Note(PLPrefsSetString(kPFDomain, "Video System", v.name));
  for (int i = 0; i < 3; ++i) failed.Note(PLPrefsSetData(kPFDomain, kLUTKeys[i], prefs->lut[i], kPreviewLUTBytes));
  if (!prefs->rapidPreviewCacheAlias.empty())
    failed.Note(PLPrefsSetData(kPFDomain, kCacheAliasKey, prefs->rapidPreviewCacheAlias.data(),
                               prefs->rapidPreviewCacheAlias.size()));
  for (int i = 0; i < 3; ++i)
    if (!prefs->exportSettings[i].empty())
      failed.Note(
          PLPrefsSetData(kPFDomain, kExportKeys[i], prefs->exportSettings[i].data(), prefs->exportSettings[i].size()));
  for (const StringKey& k : kStringKeys) {
    const char* text = k.field(p);
    failed.Note(PLPrefsSetString(kPFDomain, k.key, std::string(text, strnlen(text, kStringField - 1))));
  }
  if (PFGetProgram() == kPFProgramApplication) failed.Note(SaveSavedSlots());
  failed.Note(PLPrefsSynchronize(kPFDomain));
  return failed.status;
}

void PFSetVideoLevelCoding(PrefsSettings* p, int32_t coding) {
  if (p == nullptr || coding < 1 || coding > 4) return;
  const PFVideoLevels& levels = kPFVideoLevelCodings[coding - 1];
  p->videoLevelCoding = coding;
  p->videoBlackLevel = levels.black;
  p->videoWhiteLevel = levels.white;
  p->videoMinLevel = levels.min;
  p->videoMaxLevel = levels.max;
}

QVStatus PFOpenPreferences() { return kQVNoErr; }
void PFLoadGallery() {}
void PFSaveGallery() {}

void PFLoadRecentFiles(PrefsRecentFileList* list, const char* baseName) {
  if (list == nullptr || baseName == nullptr) return;
  int32_t count = 0;
  PLPrefsGetInt32(kPFDomain, NumberedKey("%s Count", baseName, 0).c_str(), &count);
  // The list has ten slots: a larger stored count reads only the first ten.
  if (count > kPFRecentSlots) count = kPFRecentSlots;
  for (int slot = 0; slot < kPFRecentSlots; ++slot) {
    list->aliases[slot].clear();
    list->kinds[slot] = 0;
  }
  for (long n = 1; n <= count; ++n) {
    PLPrefsGetData(kPFDomain, NumberedKey("%s Alias %ld", baseName, n).c_str(), &list->aliases[n - 1]);
    PLPrefsGetInt32(kPFDomain, NumberedKey("%s Type %ld", baseName, n).c_str(), &list->kinds[n - 1]);
  }
  list->loaded = 1;
}

QVStatus PFSaveRecentFiles(const PrefsRecentFileList* list, const char* baseName) {
  if (list == nullptr || baseName == nullptr) return kQVErrParam;
  std::string countKey = NumberedKey("%s Count", baseName, 0);
  int32_t old = 0;
  PLPrefsGetInt32(kPFDomain, countKey.c_str(), &old);
  if (old >= 1 && old <= 63) {
    for (long n = 1; n <= old; ++n) {
      PLPrefsRemove(kPFDomain, NumberedKey("%s Alias %ld", baseName, n).c_str());
      PLPrefsRemove(kPFDomain, NumberedKey("%s Type %ld", baseName, n).c_str());
    }
  }
  QVFirstFailure failed;
  long written = 0;
  for (int slot = 0; slot < kPFRecentSlots; ++slot) {
    const PFHandle& alias = list->aliases[slot];
    if (alias.empty()) continue;
    ++written;
    failed.Note(PLPrefsSetData(kPFDomain, NumberedKey("%s Alias %ld", baseName, written).c_str(), alias.data(),
                               alias.size()));
    failed.Note(PLPrefsSetInt32(kPFDomain, NumberedKey("%s Type %ld", baseName, written).c_str(), list->kinds[slot]));
  }
  failed.Note(PLPrefsSetInt32(kPFDomain, countKey.c_str(), int32_t(written)));
  failed.Note(PLPrefsSynchronize(kPFDomain));
  return failed.status;
}
