// The default preferences of both builds.
#include <cstdio>
#include <cstring>

#include "platform/fourcc.h"
#include "platform/folders.h"
#include "platform/input_state.h"
#include "support/aliases.h"
#include "settings/prefs.h"

PrefsSettings gPrefsSettings;
PFSavedSettings gSavedSettings;

namespace {

PFProgram gProgram = kPFProgramPlugin;
bool (*gSurfaceConnected)() = nullptr;

constexpr uint32_t kNone = QVFourCC("NoNE");
constexpr char kDefaultSurfaceAddress[] = "192.168.1.100";

// The folder is named, not made: it is made when something is written there.
PFHandle FolderAlias(PLFolderKind kind) {
  QVFileRef ref;
  if (PLFolderPath(kind, &ref) != kQVNoErr) return {};
  return QVNewAlias(&ref);
}

// The display for preview on a second monitor: among the displays other than
// the main one (numbered from 1 in the system's order, the main one counted),
// the last one of at most 720 x 576, else the first; 0 when there is none.
int32_t ChooseSecondaryMonitor() {
  PLDisplayInfo displays[16];
  int count = PLGetDisplays(displays, 16);
  if (count > 16) count = 16;
  int32_t first = 0, small = 0;
  for (int i = 0; i < count; ++i) {
    if (displays[i].isMain) continue;
    if (first == 0) first = i + 1;
    if (displays[i].width <= 720 && displays[i].height <= 576) small = i + 1;
  }
  return small != 0 ? small : first;
}

void FillRecentList(PrefsRecentFileList* list) {
  for (int i = 0; i < kPFRecentSlots; ++i) {
    list->aliases[i].clear();
    list->kinds[i] = 0;
  }
  list->loaded = 1;
}

}  // namespace

void PFSetProgram(PFProgram program) { gProgram = program; }
PFProgram PFGetProgram() { return gProgram; }
void PFSetSurfaceConnectedQuery(bool (*query)()) { gSurfaceConnected = query; }

void SetDefaultGalleryColumns(PrefsSettings* prefs) {
  const uint32_t ids[5] = {QVFourCC("name"), QVFourCC("type"), QVFourCC("cmnt"), QVFourCC("date"),
                           QVFourCC("path")};
  const int32_t widths[5] = {120, 85, 140, 160, 170};
  for (int i = 0; i < 5; ++i) {
    prefs->galleryColID[i] = int32_t(ids[i]);
    prefs->galleryColWidth[i] = widths[i];
    prefs->galleryColPosition[i] = i;
  }
  prefs->gallerySortCol = 0;
  prefs->gallerySortOrder = 1;
}

void PFLoadDefaultPreferences(PrefsSettings* p) {
  if (p == nullptr) return;
  p->toolTips = 1;
  p->undoDepthMenuItem = 5;
  p->undoDepth = 20;
  p->useMultipleProcessors = 1;
  p->keepUIRunning = 1;
  p->uiTimeoutMinutes = 10;
  p->limiterDefault = 0;
  p->leftPaneDefault = 1;
  p->rightPaneDefault = 1;
  p->settingsPaneDefault = 1;
  p->secondaryPreviewMonitor = 0;
  p->externalPreviewDevice = kNone;
  p->externalPreviewMode = kNone;
  p->externalPreviewCodec = 0;
  p->externalPreviewWidth = 0;
  p->externalPreviewHeight = 0;
  p->externalPreviewFrameRate = 0;
  p->externalPreviewPixelFormat = 0;
  p->externalPreviewGammaAdjust = 0;
  p->previewImageScaling = 3;
  p->previewAspectConversion = 1;
  p->runTimePreviewState[0] = p->runTimePreviewState[1] = kNone;
  p->runTimePairs[0] = p->runTimePairs[1] = PFRunTimePair{0, -2};
  p->wfmColor = 0;
  p->wfmUnitsMV = 0;
  p->vsCalibration100 = 0;
  p->videoSystem = 1;
  p->videoLevelCoding = 1;
  p->videoBlackLevel = 0;
  p->videoWhiteLevel = 255;
  p->videoMinLevel = 0;
  p->videoMaxLevel = 255;
  p->videoBlackSetup = 0;
  const int32_t wordsA[3] = {685, 95, 1};
  std::memcpy(p->runTimeWordsA, wordsA, sizeof wordsA);
  for (int i = 0; i < 6; ++i) p->galleryColWidth[i] = p->galleryColID[i] = p->galleryColPosition[i] = 0;
  p->gallerySortCol = 0;
  p->gallerySortOrder = 0;
  for (int i = 0; i < 3; ++i) {
    p->lutIndex[i] = kPreviewLUTNone;
    std::memset(p->lut[i], 0, kPreviewLUTBytes);
  }
  p->useOldStyleGamma = 1;
  p->autoLumaTrim = 0.001f;
  const int32_t combo[4] = {1, 8, 10, 9};
  std::memcpy(p->comboQuadrant, combo, sizeof combo);
  p->uiBrightness = 22282;  // 0.34
  p->uiSaturation = 26214;  // 0.4
  p->rapidPreviewCacheAlias = FolderAlias(kPLFolderTemporary);
  for (PrefsRecentFileList& list : p->recent) FillRecentList(&list);
  for (PFHandle& h : p->exportSettings) h.clear();
  p->cdlID = 100;
  p->clipInfoWindowV = p->clipInfoWindowH = -1;
  p->markerEditWindowV = p->markerEditWindowH = -1;
  p->presetNameWindowV = p->presetNameWindowH = -1;
  p->controlSurfaceMode = 1;
  p->controlSurfaceInterface = 2;
  std::snprintf(p->controlSurfaceIP, sizeof p->controlSurfaceIP, "%s", kDefaultSurfaceAddress);
  p->controlSurfacePort = 23;
  p->prefsWindowTab = -1;
  p->prefsWindowH = p->prefsWindowV = -1;
  p->surfaceDefWindowH = p->surfaceDefWindowV = -1;
  const int32_t wordsB[5] = {1, -2, 0, 1, 0};
  std::memcpy(p->runTimeWordsB, wordsB, sizeof wordsB);
  p->runTimeFolders[0] = FolderAlias(kPLFolderTemporary);
  p->runTimeFolders[1] = FolderAlias(kPLFolderDocuments);
  const int32_t wordsC[5] = {1, 1, 0, 0, 4};
  std::memcpy(p->runTimeWordsC, wordsC, sizeof wordsC);
  std::snprintf(p->adjustHostPixels, sizeof p->adjustHostPixels, "%s", "FXTC");

  if (gProgram == kPFProgramApplication) {
    p->secondaryPreviewMonitor = ChooseSecondaryMonitor();
    // The default choices are built tables; none runs the file loader.
    for (int i = 0; i < 3; ++i) QVIgnoreStatus(BuildLinearizationLUT(p->lutIndex[i], p->lut[i]));
    SetDefaultGalleryColumns(p);
    p->controlSurfaceMode = (gSurfaceConnected != nullptr && gSurfaceConnected()) ? 3 : 1;
  }
}
