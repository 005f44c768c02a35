// The preferences record and its store: every user preference of the
// system, filled from and written back to the preferences domain
// "Velmora 3 UI Preferences" that the grading application and both builds of
// the plug-in share. Every persisted field travels as its own key (the key
// tables are in prefs_keys.cpp); the record itself is never written anywhere.
//
// Two builds of the store: the plug-in's (the default) and the grading
// application's, chosen with PFSetProgram at start-up. The application's
// defaults differ (secondary monitor, preview LUTs, gallery columns, surface
// mode) and it keeps its eight saved settings slots in the domain.
#pragma once

#include <cstdint>
#include <vector>

#include "core/settings_record.h"
#include "platform/status.h"
#include "support/preview_lut.h"

constexpr const char* kPFDomain = "Velmora 3 UI Preferences";
constexpr int kPFRecentSlots = 10;

// Platform memory handle of the record: empty means none.
using PFHandle = std::vector<uint8_t>;

// One recent-file list.
struct PrefsRecentFileList {
  PFHandle aliases[kPFRecentSlots];  // empty slots hold no alias
  int32_t kinds[kPFRecentSlots];     // file kind per slot
  uint8_t loaded;                    // 1 once defaults or a load filled the list
  bool operator==(const PrefsRecentFileList&) const = default;
};

enum : int { kPFRecentProjects = 0, kPFRecentImports = 1, kPFRecentProjectImports = 2 };
enum : int { kPFLUTPrimary = 0, kPFLUTSecondary = 1, kPFLUTExternal = 2 };
enum : int { kPFExportQuickTime = 0, kPFExportMPEG4 = 1, kPFExportImageSequence = 2 };

struct PFRunTimePair {
  int32_t first, second;
  bool operator==(const PFRunTimePair&) const = default;
};

// Fields in record order. "key" comments name the domain key of the field;
// fields without one are reset to their defaults by every load.
struct PrefsSettings {
  int32_t toolTips;                 // "Tool Tips Enable"
  int32_t undoDepthMenuItem;        // derived from "Undo Depth": popup item 1-7
  int32_t undoDepth;                // "Undo Depth": 0, 1, 5, 10, 20, 50 or 99
  int32_t useMultipleProcessors;    // no key
  int32_t keepUIRunning;            // no key
  int32_t uiTimeoutMinutes;         // "UI Timeout Duration"
  int32_t limiterDefault;           // "Limiter Default"
  int32_t leftPaneDefault;          // "Left Pane Default" (1-based analysis display)
  int32_t rightPaneDefault;         // "Right Pane Default" (1-based image-pane mode)
  int32_t settingsPaneDefault;      // "Settings Pane Default" (1-based correction tab)
  int32_t secondaryPreviewMonitor;  // "Secondary Preview Monitor" (1-based display, 0 none)
  uint32_t externalPreviewDevice;   // "External Preview Device" (four-char code, 'NoNE')
  uint32_t externalPreviewMode;     // "External Preview Mode"
  int32_t externalPreviewCodec;     // "External Preview Codec"
  int32_t externalPreviewWidth;     // "External Preview Width"
  int32_t externalPreviewHeight;    // "External Preview Height"
  int32_t externalPreviewFrameRate;    // "External Preview Frame Rate"
  int32_t externalPreviewPixelFormat;  // "External Preview Pixel Format"
  int32_t externalPreviewGammaAdjust;  // "External Preview Gamma Adjust"
  int32_t previewImageScaling;         // "Preview Image Scaling"
  int32_t previewAspectConversion;     // "Preview Aspect Ratio Conversion"
  uint32_t runTimePreviewState[2];     // no key
  PFRunTimePair runTimePairs[2];       // no key
  int32_t wfmColor;                 // "WFM Color"
  int32_t wfmUnitsMV;               // "WFM Units mV"
  int32_t vsCalibration100;         // "VS Calibration 100 Percent"
  int32_t videoSystem;              // "Video System" (string): 1 NTSC, 2 PAL, 3 ATSC/709, 4 240M
  int32_t videoLevelCoding;         // derived from the five levels
  int32_t videoBlackLevel;          // "Video Black Level"
  int32_t videoWhiteLevel;          // "Video White Level"
  int32_t videoMinLevel;            // "Video Min Level"
  int32_t videoMaxLevel;            // "Video Max Level"
  int32_t videoBlackSetup;          // "Video Black Setup Present"
  int32_t runTimeWordsA[3];         // no key
  int32_t galleryColWidth[6];       // "Gallery Col Width 0" .. 5
  int32_t galleryColID[6];          // "Gallery Col ID 0" .. 5
  int32_t galleryColPosition[6];    // "Gallery Col Position 0" .. 5
  int32_t gallerySortCol;           // "Gallery Sort Col"
  int32_t gallerySortOrder;         // "Gallery Sort Order"
  int32_t lutIndex[3];              // "Primary/Secondary/External LUT Index"
  uint8_t lut[3][kPreviewLUTBytes]; // "Primary/Secondary/External LUT" (data)
  int32_t useOldStyleGamma;         // "Use Old Style Gamma"
  float autoLumaTrim;               // "Auto Luma Trim" (Float32)
  int32_t comboQuadrant[4];         // "Combo Upper Left", "... Upper Right", "... Lower Left", "... Lower Right"
  int32_t uiBrightness;             // "UI Brightness" (Float32 in the domain), 16.16 fixed point
  int32_t uiSaturation;             // "UI Saturation" (Float32 in the domain), 16.16 fixed point
  PFHandle rapidPreviewCacheAlias;  // "Vurev Aviredu Cache Alias" (data)
  PrefsRecentFileList recent[3];    // see PFLoadRecentFiles
  PFHandle exportSettings[3];       // "Export Settings QuickTime Movie", "... MPEG4", "... Image Sequence"
  int32_t cdlID;                    // "CDL ID"
  int32_t clipInfoWindowV;          // "Clip Info Window V Pos" (-1 not yet placed)
  int32_t clipInfoWindowH;          // "Clip Info Window H Pos"
  int32_t markerEditWindowV;        // "Marker Edit Window V Pos"
  int32_t markerEditWindowH;        // "Marker Edit Window H Pos"
  int32_t presetNameWindowV;        // "User Preset Name Window V Pos"
  int32_t presetNameWindowH;        // "User Preset Name Window H Pos"
  int32_t controlSurfaceMode;       // "Control Surface Mode" (1 none)
  int32_t controlSurfaceInterface;  // "Control Surface Interface"
  char controlSurfaceIP[128];       // "Control Surface IP" (string), NUL-terminated
  int32_t controlSurfacePort;       // "Control Surface Port"
  int32_t prefsWindowTab;           // "Preferences Window Selected Tab"
  int32_t prefsWindowH;             // "Preferences Window H Pos"
  int32_t prefsWindowV;             // "Preferences Window V Pos"
  int32_t surfaceDefWindowH;        // "Control Surface Definition Window H Pos"
  int32_t surfaceDefWindowV;        // "Control Surface Definition Window V Pos"
  int32_t runTimeWordsB[5];         // no key
  PFHandle runTimeFolders[2];       // no key: aliases of the temporary and the documents folder
  int32_t runTimeWordsC[5];         // no key
  char adjustHostPixels[128];       // "Adjust Host Pixels" (string): host signatures, NUL-terminated
  bool operator==(const PrefsSettings&) const = default;
};

extern PrefsSettings gPrefsSettings;

// The undo depths of the undo popup's items 1 to 7.
inline constexpr int32_t kPFUndoDepths[7] = {0, 1, 5, 10, 20, 50, 99};

// The four video level codings (items 1 to 4 of the coding popup): the
// black and white levels and the limits each one stands for.
struct PFVideoLevels {
  int32_t black, white, min, max;
};
inline constexpr PFVideoLevels kPFVideoLevelCodings[4] = {
    {0, 255, 0, 255}, {16, 235, 0, 255}, {0, 1023, 0, 1023}, {64, 940, 0, 1023}};
// Sets the coding and its four levels; a coding outside 1 to 4 changes nothing.
void PFSetVideoLevelCoding(PrefsSettings* prefs, int32_t coding);

// The grading application's eight saved settings slots (numbered 1 to 8,
// index 0 to 7), kept in the domain under "Saved Settings %ld".
struct PFSavedSettings {
  VL_SettingsStruct slot[8];
  uint8_t stored[8];
};
extern PFSavedSettings gSavedSettings;

enum PFProgram { kPFProgramPlugin, kPFProgramApplication };
void PFSetProgram(PFProgram program);
PFProgram PFGetProgram();

// The application's defaults ask whether a control surface is connected;
// until the surfaces install this query none is.
void PFSetSurfaceConnectedQuery(bool (*query)());

void PFLoadDefaultPreferences(PrefsSettings* prefs);
// Defaults, then every key present in the domain over them.
void PFLoadPreferences(PrefsSettings* prefs);
// Writes every persisted key and synchronises the domain.
QVStatus PFSavePreferences(const PrefsSettings* prefs);
QVStatus PFOpenPreferences();

// One recent list, keys "<base> Count", "<base> Alias <n>", "<base> Type <n>"
// numbered from 1; the save synchronises the domain.
void PFLoadRecentFiles(PrefsRecentFileList* list, const char* baseName);
QVStatus PFSaveRecentFiles(const PrefsRecentFileList* list, const char* baseName);

// The plug-in's gallery functions do nothing (the application has its own).
void PFLoadGallery();
void PFSaveGallery();

// The gallery list's default columns: 'name', 'type', 'cmnt', 'date',
// 'path' at widths 120, 85, 140, 160, 170, positions 0-4, sort column 0,
// sort order 1; column 5 keeps its values.
void SetDefaultGalleryColumns(PrefsSettings* prefs);

// Copies the video black, white, min and max levels, black setup and video
// system into the settings record's video words; true when any changed.
bool PFSetVideoEncoding(const PrefsSettings* prefs, VL_SettingsStruct* settings);

// The preference values the engine's settings defaults read; each program
// hands them to VL_SetSettingsPreferenceWords after loading the preferences.
VLSettingsPreferenceWords PFGetSettingsPreferenceWords(const PrefsSettings* prefs);

// The host application's signature ('FXTc', 'FXsl', 'aplt' read as 'FXTC',
// 'PPhl' as 'PPro'); '????' while the process is not known as an application.
uint32_t GetCurrentApplication();
// A host names its application when it starts the effect: the process is
// known from then on as that application, and the next GetCurrentApplication
// reads and normalises the new signature.
void PFSetHostApplication(uint32_t signature);

// True when the signature occurs anywhere in the "Adjust Host Pixels" text.
bool PFHostIsListed(const PrefsSettings* prefs, uint32_t signature);

// The plug-in's reload gate: after an exchange with the grading application
// the preferences are marked stale; the next check synchronises the domain
// and reloads them into prefs. Returns true when it reloaded.
void PFMarkPreferencesStale();
bool PFPreferencesAreValid();
bool PFReloadPreferencesIfStale(PrefsSettings* prefs);
