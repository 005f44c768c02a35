// HandleAppCommand: one table row per command ID with what runs before it
// (stopping playback, taking or dropping the value being typed), what it
// does and what it answers. Whole-record changes share one road: an undo
// step, the controls brought up to the record (only those that changed),
// the picture reprocessed, the new state stored for Redo.
#include "app/commands/app_commands.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "app/commands/lut_test_image.h"
#include "app/commands/output_commands.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/views/transport_bar.h"
#include "media/media_file.h"
#include "app/commands/preview_gamma_menus.h"
#include "app/controls/bound_controls.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/save_failure.h"
#include "app/state/service_hooks.h"
#include "app/state/shell_links.h"
#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "app/views/analysis_panes.h"
#include "app/window/about_box.h"
#include "app/window/correction_tabs.h"
#include "app/window/input_settings_dialog.h"
#include "app/window/main_window.h"
#include "core/settings_ranges.h"
#include "core/auto_levels.h"
#include "core/processing_tables.h"
#include "platform/folders.h"
#include "platform/processes.h"
#include "platform/ui/toolkit.h"
#include "settings/curve_files.h"
#include "settings/file_panels.h"
#include "settings/prefs.h"
#include "settings/preset_file.h"
#include "settings/preview_lut_file.h"
#include "settings/psd_writer.h"
#include "support/alerts.h"
#include "support/preview_lut.h"

namespace {

constexpr const char* kTitle = "Velmora 3 UI";

enum EditAction : uint8_t { kEditKeep, kEditApply, kEditDrop };

using CommandProc = QVStatus (*)(uint32_t id, TKControl* control);

struct CommandRow {
  uint32_t id;
  bool stop;        // stop preview playback first
  EditAction edit;  // the value being typed: taken, dropped or left
  CommandProc proc; // null: nothing
  QVStatus result;
  const char* name;
};

constexpr QVStatus kDone = kQVNoErr;
constexpr QVStatus kPass = kQVErrNotHandled;

// --- the record-change road ---------------------------------------------

// An undo step around the action, the controls that differ from the record
// before it brought up, the picture reprocessed. Without memory for the
// copy every control is refreshed.
template <class Action>
void RecordChange(Action action) {
  UndoBufferPush(gUndoBuffer, &gUISettings);
  std::unique_ptr<VL_SettingsStruct> before(new (std::nothrow) VL_SettingsStruct);
  if (before) std::memcpy(before.get(), &gUISettings, sizeof gUISettings);
  action();
  VFForgetUndoControl();
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, before.get(), kVFSyncApply);
  before.reset();
  VFUpdatePreview();
  UndoBufferStore(gUndoBuffer, &gUISettings);
}

// Replaces the record by one the caller filled (a loaded file).
void ReplaceRecord(const VL_SettingsStruct& incoming) {
  RecordChange([&incoming] {
    std::memcpy(&gUISettings, &incoming, sizeof gUISettings);
    VL_HoldIncomingSettings(&gUISettings);
  });
}

void ResetRecord() {
  RecordChange([] { VL_SetDefaultControlValues(&gUISettings, kVLMaskAll); });
}

// Switches a correction's enable box on, through the tabs around its
// control when there is one (the boxes follow the words otherwise).
void EnableAround(uint32_t* sectionEnable, uint32_t* rangeEnable, size_t fieldOffset) {
  *sectionEnable = 1;
  *rangeEnable = 1;
  if (TKControl* control = VFControlAtOffset(uint32_t(fieldOffset))) EnableEnclosingTabs(control, 1, true);
}

// --- session --------------------------------------------------------------

bool KeepingAlive() { return gPrefsSettings.keepUIRunning && gUIComm.block && gUIHostProcess != 0; }

// Hands the block back (state 4) and lets go of it.
void ReleaseBlock() {
  if (!gUIComm.block) return;
  UIShell().setExchangeState(kCCStateDone);
  UIShell().detachExchange(false);
}

// The session ends but the application stays, hidden, for the next one
// until the "UI Timeout Duration" runs out or the host ends.
void EndSessionKeepingAlive() {
  UIHooks().closeExternalPreview();
  UIHooks().stopVideoOutput(gPrefsSettings.externalPreviewDevice);
  UIHooks().surfaceStop();
  UIHooks().enableExchangeMenus(false);
  UIHooks().showMainWindow(false);
  UIHooks().openSecondaryPreview(0);
  gKeepAliveDeadline = TKNow() + 60.0 * double(gPrefsSettings.uiTimeoutMinutes > 0 ? gPrefsSettings.uiTimeoutMinutes : 0);
  if (gUICommTimer) TKSetTimerNextFire(gUICommTimer, 2.5);
  ReleaseBlock();
}

void QuitApplication() {
  StopOutputJobs();
  AppServices().saveGalleryColumns();
  UISavePreferences();
  UIHooks().saveGallery();
  UIHooks().stopVideoOutput(gPrefsSettings.externalPreviewDevice);
  UIHooks().surfaceStop();
  ReleaseBlock();
  if (gUICommTimer) TKSetTimerNextFire(gUICommTimer, 2.5);
  TKQuitLoop();
}

// OK and Cancel: the application stays for the next session when asked to,
// and quits otherwise.
void EndSession() {
  if (KeepingAlive()) {
    EndSessionKeepingAlive();
  } else {
    QuitApplication();
  }
}

QVStatus CmdOK(uint32_t, TKControl*) {
  if (gUIComm.block) CCWriteSettings(gUIComm, &gUISettings);
  EndSession();
  return kDone;
}

QVStatus CmdCancel(uint32_t, TKControl*) {
  EndSession();
  return kDone;
}

QVStatus CmdQuit(uint32_t, TKControl*) {
  QuitApplication();
  return kDone;
}

QVStatus CmdAbout(uint32_t, TKControl*) {
  ShowAboutBox();
  return kDone;
}

// --- edit -----------------------------------------------------------------

QVStatus CmdUndo(uint32_t, TKControl*) {
  UndoBufferUndo(gUndoBuffer, &gUISettings);
  VFForgetUndoControl();
  return kPass;
}

QVStatus CmdRedo(uint32_t, TKControl*) {
  UndoBufferRedo(gUndoBuffer, &gUISettings);
  VFForgetUndoControl();
  return kPass;
}

QVStatus CmdCopy(uint32_t, TKControl*) {
  AppScrapPut(&gUISettings);
  return kPass;
}

// Only a whole record with the byte-order flag is taken; it replaces the
// working record entirely, sections it had switched off included.
QVStatus CmdPaste(uint32_t, TKControl*) {
  VL_SettingsStruct pasted;
  if (!AppScrapGet(&pasted)) return kPass;
  VL_HoldIncomingSettings(&pasted);
  UndoBufferPush(gUndoBuffer, &gUISettings);
  std::memcpy(&gUISettings, &pasted, sizeof gUISettings);
  VFForgetUndoControl();
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, kVFSyncApply);
  VFUpdatePreview();
  UndoBufferStore(gUndoBuffer, &gUISettings);
  return kPass;
}

// --- whole correction -----------------------------------------------------

QVStatus CmdResetAll(uint32_t, TKControl*) {
  ResetRecord();
  return kPass;
}

// The sections in the sending button's mask, and only their controls. A
// sender without a mask resets nothing.
QVStatus CmdResetSections(uint32_t, TKControl* control) {
  VLSettingsSectionMask mask = 0;
  if (!VFGetButtonSectionMask(control, &mask)) return kPass;
  UndoBufferPush(gUndoBuffer, &gUISettings);
  VL_SetDefaultControlValues(&gUISettings, mask);
  VFForgetUndoControl();
  SyncControlsWithSettings(&gUISettings, uint32_t(mask), uint32_t(mask >> 32), nullptr, kVFSyncApply);
  VFUpdatePreview();
  UndoBufferStore(gUndoBuffer, &gUISettings);
  return kPass;
}

QVStatus CmdLoadSettings(uint32_t, TKControl*) {
  auto loaded = std::make_unique<VL_SettingsStruct>();
  std::memcpy(loaded.get(), &gUISettings, sizeof gUISettings);
  if (CCLoadCurrentSettings(loaded.get()) == kQVNoErr) ReplaceRecord(*loaded);
  return kPass;
}

// The user presets folder, where the gallery looks for user presets.
std::string UserPresetsFolder() {
  QVFileRef support;
  if (PLFolderPath(kPLFolderUserSupport, &support) != kQVNoErr) return {};
  return std::string(support.path) + "/Quorvane/Velmora Presets";
}

// Whether the last save panel of the settings went into that folder.
bool SavedIntoUserPresets() {
  std::string folder;
  if (!GetOpenPanelFolder(kQVPanelKindPut, int32_t(QVFourCC("SvSt")), &folder)) return false;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return !folder.empty() && folder == UserPresetsFolder();
}

QVStatus CmdSaveSettings(uint32_t, TKControl*) {
  if (CCSaveCurrentSettings(&gUISettings) == kQVNoErr && SavedIntoUserPresets())
    AppServices().rebuildPresetGallery();
  return kPass;
}

QVStatus CmdSaveUserPreset(uint32_t, TKControl*) {
  // The service reports its own failures to the user.
  QVIgnoreStatus(AppServices().saveUserPreset(&gUISettings));
  return kPass;
}

QVStatus CmdLoadCDL(uint32_t, TKControl*) {
  auto loaded = std::make_unique<VL_SettingsStruct>();
  std::memcpy(loaded.get(), &gUISettings, sizeof gUISettings);
  if (AppServices().loadCDL(loaded.get()) == kQVNoErr) ReplaceRecord(*loaded);
  return kPass;
}

QVStatus CmdSaveCDL(uint32_t, TKControl*) {
  // The service reports its own failures to the user.
  QVIgnoreStatus(AppServices().saveCDL(&gUISettings));
  return kPass;
}

// The automatic levels: nothing without a picture; otherwise one undo step
// around the action, every control brought up, the picture reprocessed.
template <class Action>
void AutoLevelsChange(Action action) {
  if (!gSourceFrame) return;
  UndoBufferPush(gUndoBuffer, &gUISettings);
  action();
  UndoBufferStore(gUndoBuffer, &gUISettings);
  VFForgetUndoControl();
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
  VFUpdatePreview();
}

// Automatic colour: each channel's black and white points from its own
// histogram, then the grey points matched to the brightest channel mean.
QVStatus CmdAutoColor(uint32_t, TKControl*) {
  AutoLevelsChange([] {
    HistogramEqualizationRGB(gSourceFrame, &gUISettings);
    HistogramMeanMatchRGB(gSourceFrame, &gUISettings);
    for (int channel = 1; channel <= 3; ++channel)
      EnableAround(&gUISettings.levelsEnable, &gUISettings.levels[channel].enable,
                   offsetof(VL_SettingsStruct, levels) + sizeof(VL_LevelControls) * size_t(channel) +
                       offsetof(VL_LevelControls, inblackpt));
  });
  return kPass;
}

// Automatic exposure: the master black and white points from the luma
// histogram.
QVStatus CmdAutoExposure(uint32_t, TKControl*) {
  AutoLevelsChange([] {
    HistogramEqualizationLuma(gSourceFrame, &gUISettings, gPrefsSettings.autoLumaTrim);
    EnableAround(&gUISettings.levelsEnable, &gUISettings.levels[0].enable,
                 offsetof(VL_SettingsStruct, levels) + offsetof(VL_LevelControls, inblackpt));
  });
  return kPass;
}

// The four RGB curves from a curves, map or LUT file; the curves switch on.
QVStatus CmdLoadCurves(uint32_t, TKControl*) {
  VL_CurveControls loaded[4];
  std::memcpy(loaded, gUISettings.rgbCurves, sizeof loaded);
  if (LoadCurrentCurves(loaded) != kQVNoErr) return kPass;
  RecordChange([&loaded] {
    std::memcpy(gUISettings.rgbCurves, loaded, sizeof loaded);
    gUISettings.curvesEnable = 1;
    gUISettings.rgbCurvesEnable = 1;
  });
  return kPass;
}

QVStatus CmdSaveCurves(uint32_t, TKControl*) {
  std::string path;
  const QVStatus status = SaveCurrentCurves(gUISettings.rgbCurves, &path);
  UIReportSaveFailure(path, status);
  return kPass;
}

// The input linearization the current frame arrived with, edited in the
// "Input Settings" dialog. OK stores the record (the application's copy and
// the block's words, so that later frames of the exchange get it too) and
// makes the source frame again from its arriving values; Cancel changes
// nothing.
QVStatus CmdInputSettings(uint32_t, TKControl*) {
  if (!UIShell().canRelinearizeSourceFrame()) return kPass;
  InputLinearization record = InputLinearizationFromWords(gUILinearization);
  if (RunInputSettingsDialog(&record) != kQVNoErr) return kPass;
  InputLinearizationToWords(record, gUILinearization);
  for (size_t i = 0; i < 8; ++i) CCSet32(gUIComm, CC_OFFSET(linearization) + 4 * i, gUILinearization[i]);
  // Without memory for the new source frame the old one stays on show.
  QVIgnoreStatus(UIShell().relinearizeSourceFrame());
  return kPass;
}

// --- view -----------------------------------------------------------------

QVStatus CmdLayout(uint32_t id, TKControl*) {
  SetMainWindowPaneLayout(id == kAppCmdLayout1 ? 1 : 2);
  return kPass;
}

// --- reference image, exports ---------------------------------------------

}  // namespace

// The clip's name (its file's name without the extension, or "Project" for
// frames of the host project) and the pane's timecode: "<name> <timecode>
// Ref", or "<name> Ref" without a timecode; empty when there is no clip.
void ReferenceImageName(TKControl* pane, std::string* name) {
  name->clear();
  auto* media = static_cast<QVMediaFileRef*>(ImagePaneGetClipRef(pane));
  std::string base;
  char path[1024];
  if (QVMediaIsValidRef(media) && QVMediaGetFileName(media, path, sizeof path) == QVMediaErr_NoErr) {
    base = std::filesystem::path(path).stem().string();
  } else if (gUIComm.block) {
    base = "Project";
  }
  if (base.empty()) return;
  char timecode[128];
  GetPaneTimecodeText(pane, timecode, sizeof timecode);
  *name = base + (timecode[0] ? std::string(" ") + timecode : std::string()) + " Ref";
}

namespace {

QVStatus CmdSaveReferenceImage(uint32_t, TKControl*) {
  if (gResultGWorld) {
    std::string name;
    ReferenceImageName(GetViewPane(kPaneResult), &name);
    // The service reports its own failures to the user.
    QVIgnoreStatus(AppServices().saveReferenceImage(gResultGWorld, name.empty() ? nullptr : name.c_str()));
  }
  return kPass;
}

QVStatus CmdRenderOutput(uint32_t id, TKControl*) {
  // Every failure has been shown to the user by then: an alert before the
  // job starts, the job's own end after.
  QVIgnoreStatus(StartOutputJobCommand(id, &gUISettings));
  return kPass;
}

QVStatus CmdExport3DLUT(uint32_t id, TKControl*) {
  // The service reports its own failures to the user.
  QVIgnoreStatus(AppServices().export3DLUT(id, &gUISettings));
  return kPass;
}

QVStatus CmdExportPreviewLUT(uint32_t, TKControl*) {
  // The LUT is read from the processing tables. Tables that cannot be built
  // for the working correction would give the LUT of another one, so nothing
  // is asked for or written; the engine has told the user why.
  if (VL_UpdateProcessingTables(&gUISettings) != kQVNoErr) return kPass;
  std::string path;
  const QVStatus status = SavePreviewLUT(&gUISettings, nullptr, "LUT_Untitled_VL_Preview", 4096, &path);
  UIReportSaveFailure(path, status);
  return kPass;
}

// --- help -----------------------------------------------------------------

QVStatus CmdHelp(uint32_t, TKControl*) {
  QVFileRef support;
  if (PLFindFolder(kPLFolderSystemSupport, false, &support) != kQVNoErr) {
    std::printf("Velmora: Unable to locate kApplicationSupportFolderType\n");
    std::fflush(stdout);
    return kPass;
  }
  for (const char* name : {"Velmora 3 User Guide.pdf", "Velmora3UserGuide.pdf"}) {
    const std::string path = std::string(support.path) + "/Quorvane/" + name;
    if (!PLPathExists(path.c_str())) continue;
    PLProcessSerial opener = 0;
    // A guide that will not open leaves the application as it was; there is nothing more to offer.
    QVIgnoreStatus(PLLaunchProgram("/usr/bin/xdg-open", {"/usr/bin/xdg-open", path}, &opener));
    break;
  }
  return kPass;
}

// --- surfaces, charts, tests ----------------------------------------------

// The control-surface definitions file (".vlws") saved or loaded through
// its own panels.
const QVFileTypeListEntry kSurfaceFileTypes[] = {{QVFourCC("TEXT"), ".vlws", "Knobwell Settings", nullptr},
                                                 {0, nullptr, nullptr, nullptr}};
constexpr const char* kSurfaceFeature = "Control surface definitions";

QVStatus CmdSaveSurfaceDefinitions(uint32_t, TKControl*) {
  if (!AppServices().surfaceWriteDefinitions) {
    // It shows the alert; its status only repeats it.
    QVIgnoreStatus(AppServiceNotAvailable(kSurfaceFeature));
    return kPass;
  }
  char path[kQVMaxPath];
  QVPutFileReply reply;
  if (QVPutFileSelectionAsPath(path, sizeof path, &reply, "Save Knobwell Settings", "Save", nullptr,
                               int32_t(QVFourCC("SvCs")), "vlws", "Knobwell Settings", QVFourCC("    "),
                               kSurfaceFileTypes, "Knobwell Settings (*.vlws)") != kQVNoErr)
    return kPass;
  const std::string name = std::filesystem::path(path).filename().string();
  // The service reports its own failures to the user.
  QVIgnoreStatus(AppServices().surfaceWriteDefinitions(path, name.c_str()));
  // Releasing a reply cannot fail.
  QVIgnoreStatus(QVPutFileComplete(&reply));
  return kPass;
}

QVStatus CmdLoadSurfaceDefinitions(uint32_t, TKControl*) {
  if (!AppServices().surfaceReadDefinitions) {
    // It shows the alert; its status only repeats it.
    QVIgnoreStatus(AppServiceNotAvailable(kSurfaceFeature));
    return kPass;
  }
  char path[kQVMaxPath];
  if (QVGetFileSelectionSingleAsPath(path, sizeof path, "Load Knobwell Settings", "Load", nullptr,
                                     int32_t(QVFourCC("LdCs")), kSurfaceFileTypes) == kQVNoErr)
    // A file it cannot use leaves the definitions as they were.
    QVIgnoreStatus(AppServices().surfaceReadDefinitions(path));
  return kPass;
}

QVStatus CmdChart(uint32_t id, TKControl*) {
  // The service reports its own failures to the user.
  QVIgnoreStatus(AppServices().chartCommand(id));
  return kPass;
}

// The 3D LUT test picture, saved where the user says as a Photoshop file.
QVStatus CmdLUTTestImage(uint32_t, TKControl*) {
  std::vector<uint8_t> pixels;
  if (!LUTTestImagePixels(&pixels)) return kDone;
  static const QVFileTypeListEntry kTypes[] = {{QVFourCC("8BIM"), ".psd", "Photoshop", nullptr}, {0, nullptr, nullptr, nullptr}};
  char path[kQVMaxPath];
  QVPutFileReply reply;
  if (QVPutFileSelectionAsPath(path, sizeof path, &reply, "Save 3D LUT Image", "Save", nullptr,
                               int32_t(QVFourCC("SVDb")), "psd", "3D LUT Cube", QVFourCC("????"), kTypes,
                               "Photoshop Images (*.psd)") != kQVNoErr)
    return kDone;
  std::string why;
  if (PSDWriteXRGB8(path, kLUTTestImageWidth, kLUTTestImageHeight, pixels.data(), size_t(kLUTTestImageWidth) * 4,
                    &why) != kQVNoErr)
    QVErrorAlert(kTitle, why.c_str(), 1);
  // Releasing a reply cannot fail.
  QVIgnoreStatus(QVPutFileComplete(&reply));
  return kDone;
}

// Reprocesses 300 times with the master hue turning, and reports the time.
QVStatus CmdTimingTest(uint32_t, TKControl*) {
  if (!gImageLoaded) {
    QVErrorAlert(kTitle, "Test requires that image be loaded.", 1);
    return kPass;
  }
  VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
  VFForgetUndoControl();
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, kVFSyncApply);
  VFUpdatePreview();
  const size_t hueOffset = offsetof(VL_SettingsStruct, hsl) + offsetof(VL_HSLControls, hue);
  EnableAround(&gUISettings.hslEnable, &gUISettings.hsl[0].enable, hueOffset);
  TKControl* hue = VFControlAtOffset(uint32_t(hueOffset));
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 300; ++i) {
    gUISettings.hsl[0].hue += 13.0f;
    if (hue) VFRefreshFromSettings(hue);
    VFUpdatePreview();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  char message[64];
  std::snprintf(message, sizeof message, "Elapsed time %1.4lf seconds", seconds);
  QVErrorAlert(kTitle, message, 3);
  return kPass;
}

// --- preferences ------------------------------------------------------------

struct PrefsBefore {
  int32_t undoDepth, keepUIRunning, secondaryMonitor;
  uint32_t device, mode;
  int32_t gammaAdjust, scaling, aspect, primaryLUT, secondaryLUT, oldStyleGamma;
  int32_t surfaceMode, surfaceInterface, surfacePort;
  char surfaceIP[128];
};

PrefsBefore RememberPrefs() {
  const PrefsSettings& p = gPrefsSettings;
  PrefsBefore b{p.undoDepth, p.keepUIRunning, p.secondaryPreviewMonitor, p.externalPreviewDevice,
                p.externalPreviewMode, p.externalPreviewGammaAdjust, p.previewImageScaling, p.previewAspectConversion,
                p.lutIndex[kPFLUTPrimary], p.lutIndex[kPFLUTSecondary], p.useOldStyleGamma, p.controlSurfaceMode,
                p.controlSurfaceInterface, p.controlSurfacePort, {}};
  std::memcpy(b.surfaceIP, p.controlSurfaceIP, sizeof b.surfaceIP);
  return b;
}

QVStatus CmdPreferences(uint32_t, TKControl*) {
  const PrefsBefore b = RememberPrefs();
  AppServices().saveGalleryColumns();
  int32_t lastTab = 0;
  if (!AppServices().runPreferencesDialog(&lastTab)) return kPass;
  const PrefsSettings& p = gPrefsSettings;
  UIServiceHooks& hooks = UIHooks();

  if (PFSetVideoEncoding(&gPrefsSettings, &gUISettings)) {
    VFUpdatePreview();
  } else if (b.primaryLUT != p.lutIndex[kPFLUTPrimary] || b.oldStyleGamma != p.useOldStyleGamma ||
             b.gammaAdjust != p.externalPreviewGammaAdjust) {
    hooks.redrawImagePanes(true);
  }
  DrawAnalysisPanes(true);

  if (b.undoDepth != p.undoDepth) UIReplaceUndoBuffer(uint32_t(p.undoDepth > 0 ? p.undoDepth : 0));

  if (p.externalPreviewDevice == QVFourCC("GlOW")) {
    if (hooks.externalPreviewAvailable()) hooks.openExternalPreview();
  } else {
    hooks.closeExternalPreview();
  }

  const bool deviceChanged = b.device != p.externalPreviewDevice || b.mode != p.externalPreviewMode;
  if (deviceChanged) {
    hooks.stopVideoOutput(b.device);
    hooks.startVideoOutput(p.externalPreviewDevice);
  }
  if (deviceChanged || b.scaling != p.previewImageScaling || b.aspect != p.previewAspectConversion)
    hooks.updateVideoOutputFrame(p.externalPreviewDevice);

  if (b.secondaryMonitor == p.secondaryPreviewMonitor) {
    if (b.secondaryLUT != p.lutIndex[kPFLUTSecondary]) hooks.updateSecondaryPreview(true);
  } else {
    hooks.openSecondaryPreview(p.secondaryPreviewMonitor);
    if (p.secondaryPreviewMonitor != 0) hooks.updateSecondaryPreview(true);
    hooks.updateVideoOutputFrame(p.externalPreviewDevice);
  }

  if (b.surfaceMode != p.controlSurfaceMode || b.surfaceInterface != p.controlSurfaceInterface ||
      b.surfacePort != p.controlSurfacePort || std::strncmp(b.surfaceIP, p.controlSurfaceIP, sizeof b.surfaceIP) != 0) {
    hooks.surfaceStop();
    if (p.controlSurfaceMode >= 2 && p.controlSurfaceMode <= 4) hooks.surfaceStart(p.controlSurfaceMode);
  }
  hooks.setHelpTagsShown(p.toolTips != 0);
  return kPass;
}

// --- preview LUTs -----------------------------------------------------------

struct LUTFamily {
  uint32_t base;
  int32_t menuID;
  int which;  // kPFLUTPrimary, kPFLUTSecondary, kPFLUTExternal
};
constexpr LUTFamily kLUTFamilies[3] = {
    {kPrimaryLUTCommandBase, kPrimaryLUTMenuID, kPFLUTPrimary},
    {kSecondaryLUTCommandBase, kSecondaryLUTMenuID, kPFLUTSecondary},
    {kExternalLUTCommandBase, kExternalLUTMenuID, kPFLUTExternal},
};
constexpr int32_t kLUTChoices = 57;  // n = 0..56

const LUTFamily* LUTFamilyOf(uint32_t id, int32_t* n) {
  for (const LUTFamily& f : kLUTFamilies) {
    if (id >= f.base && id - f.base < uint32_t(kLUTChoices)) {
      *n = int32_t(id - f.base);
      return &f;
    }
  }
  return nullptr;
}

// Builds the output's table for choice n; "None" is the gentle 1.22 gamma
// unless old-style gamma is on (for the external output only with its gamma
// adjustment on). The index stored is n itself.
void ChoosePreviewLUT(const LUTFamily& f, int32_t n) {
  PrefsSettings& p = gPrefsSettings;
  int32_t kind = n;
  if (n == kPreviewLUTNone && !p.useOldStyleGamma && (f.which != kPFLUTExternal || p.externalPreviewGammaAdjust))
    kind = kPreviewLUTGamma1_22;
  if (BuildLinearizationLUT(kind, p.lut[f.which]) != kQVNoErr) return;
  p.lutIndex[f.which] = n;
  UIHooks().redrawImagePanes(true);
  // Checking an item always answers 0.
  QVIgnoreStatus(CheckMenuItemByCommand(TKGetMenu(f.menuID), f.base + uint32_t(n)));
}

// --- the table ---------------------------------------------------------------

#define FOUR(c) QVFourCC(c)
const CommandRow kCommands[] = {
    {kAppCmdOK, true, kEditApply, CmdOK, kDone, "OK"},
    {kAppCmdCancel, true, kEditDrop, CmdCancel, kDone, "Cancel"},
    {kAppCmdQuit, true, kEditDrop, CmdQuit, kDone, "Quit"},
    {kAppCmdAbout, true, kEditKeep, CmdAbout, kDone, "About"},
    {kAppCmdPreferences, true, kEditApply, CmdPreferences, kPass, "Preferences"},
    {kAppCmdUndo, false, kEditKeep, CmdUndo, kPass, "Undo"},
    {kAppCmdRedo, false, kEditKeep, CmdRedo, kPass, "Redo"},
    {kAppCmdCut, false, kEditKeep, CmdCopy, kPass, "Cut"},
    {kAppCmdCopy, false, kEditKeep, CmdCopy, kPass, "Copy"},
    {kAppCmdPaste, false, kEditKeep, CmdPaste, kPass, "Paste"},
    {kAppCmdResetAll, false, kEditDrop, CmdResetAll, kPass, "Reset All"},
    {kAppCmdResetAllButton, false, kEditDrop, CmdResetAll, kPass, "Reset All (button)"},
    {kAppCmdResetSections, false, kEditDrop, CmdResetSections, kPass, "Reset sections"},
    {kAppCmdLoadSettings, true, kEditApply, CmdLoadSettings, kPass, "Load settings"},
    {kAppCmdLoadSettingsButton, true, kEditDrop, CmdLoadSettings, kPass, "Load settings (button)"},
    {kAppCmdSaveSettings, true, kEditApply, CmdSaveSettings, kPass, "Save settings"},
    {kAppCmdSaveSettingsButton, true, kEditKeep, CmdSaveSettings, kPass, "Save settings (button)"},
    {kAppCmdSaveUserPreset, true, kEditApply, CmdSaveUserPreset, kPass, "Save user preset"},
    {kAppCmdLoadCDL, true, kEditApply, CmdLoadCDL, kPass, "Load ASC CDL"},
    {kAppCmdSaveCDL, true, kEditApply, CmdSaveCDL, kPass, "Save ASC CDL"},
    {kAppCmdAutoColor, true, kEditKeep, CmdAutoColor, kPass, "Auto colour"},
    {kAppCmdAutoExposure, true, kEditKeep, CmdAutoExposure, kPass, "Auto exposure"},
    {kAppCmdLoadCurves, true, kEditKeep, CmdLoadCurves, kPass, "Load curves"},
    {kAppCmdSaveCurves, true, kEditKeep, CmdSaveCurves, kPass, "Save curves"},
    {kAppCmdInputSettings, true, kEditApply, CmdInputSettings, kPass, "Input settings"},
    {kAppCmdLayout1, true, kEditApply, CmdLayout, kPass, "Pane layout 1"},
    {kAppCmdLayout2, true, kEditApply, CmdLayout, kPass, "Pane layout 2"},
    {kAppCmdSaveReferenceImage, true, kEditApply, CmdSaveReferenceImage, kPass, "Save reference image"},
    {kAppCmdRenderMovie, true, kEditApply, CmdRenderOutput, kPass, "Render movie"},
    {kAppCmdRenderSequence, true, kEditApply, CmdRenderOutput, kPass, "Render image sequence"},
    {kAppCmdExportAcademy, true, kEditApply, CmdExport3DLUT, kPass, "Export Academy LUT"},
    {kAppCmdExportLustre, true, kEditApply, CmdExport3DLUT, kPass, "Export .3dl Lustre"},
    {kAppCmdExportFlame, true, kEditApply, CmdExport3DLUT, kPass, "Export .3dl Flame"},
    {kAppCmdExportSmoke, true, kEditApply, CmdExport3DLUT, kPass, "Export .3dl Smoke"},
    {kAppCmdExportAutodesk, true, kEditApply, CmdExport3DLUT, kPass, "Export .3dl Autodesk"},
    {kAppCmdExportHDLink, true, kEditApply, CmdExport3DLUT, kPass, "Export .3dl HDLinkPro"},
    {kAppCmdExportCinetal, true, kEditApply, CmdExport3DLUT, kPass, "Export Cinetal LUT"},
    {kAppCmdExportLUTher, true, kEditApply, CmdExport3DLUT, kPass, "Export LUTher LUT"},
    {kAppCmdExportPanavision, true, kEditApply, CmdExport3DLUT, kPass, "Export Panavision GDP LUT"},
    {kAppCmdExportPogle, true, kEditApply, CmdExport3DLUT, kPass, "Export Pogle LUT"},
    {kAppCmdExportScratch, true, kEditApply, CmdExport3DLUT, kPass, "Export Scratch LUT"},
    {kAppCmdExportTruelight, true, kEditApply, CmdExport3DLUT, kPass, "Export Truelight cube"},
    {kAppCmdExportPreviewLUT, true, kEditApply, CmdExportPreviewLUT, kPass, "Export preview LUT"},
    {kAppCmdHelp, false, kEditKeep, CmdHelp, kPass, "Help"},
    {kAppCmdSaveSurfaceDefinitions, true, kEditApply, CmdSaveSurfaceDefinitions, kPass, "Save surface definitions"},
    {kAppCmdLoadSurfaceDefinitions, true, kEditApply, CmdLoadSurfaceDefinitions, kPass, "Load surface definitions"},
    {kAppCmdLoadChartReference, false, kEditKeep, CmdChart, kPass, "Load chart reference"},
    {kAppCmdMatchChartImage, false, kEditKeep, CmdChart, kPass, "Match image to chart"},
    {kAppCmdMatchChartFolder, false, kEditKeep, CmdChart, kPass, "Match folder to chart"},
    {kAppCmdLUTTestImage, false, kEditKeep, CmdLUTTestImage, kDone, "3D LUT test image"},
    {kAppCmdTimingTest, false, kEditApply, CmdTimingTest, kPass, "Timing test"},
    // Transport commands without work here.
    {FOUR("TMp1"), false, kEditKeep, nullptr, kDone, "transport"},
    {FOUR("TMpc"), false, kEditKeep, nullptr, kDone, "transport"},
    {FOUR("TMnc"), false, kEditKeep, nullptr, kDone, "transport"},
    {FOUR("TMn1"), false, kEditKeep, nullptr, kDone, "transport"},
    // Known, and left to other handlers.
    {FOUR("FMps"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("FMcp"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("FMit"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("TMp2"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("TMrn"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("TMad"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("TMlc"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("TMdl"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("TMda"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("TMpk"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("TMpm"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("TMnk"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("TMnm"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("TMed"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("TMfc"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("TMn2"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("EDpm"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("KFbt"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("VC3w"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("CCdl"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("CCgp"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("CCpf"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("CCug"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("CCrl"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("CCrz"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("FIxm"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("FIpp"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("FIim"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("FIsq"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("FImv"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("new "), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("open"), false, kEditKeep, nullptr, kPass, "other"},
    {FOUR("save"), false, kEditKeep, nullptr, kPass, "other"},  {FOUR("svas"), false, kEditKeep, nullptr, kPass, "other"},
    {0, false, kEditKeep, nullptr, kPass, "none"},
};
#undef FOUR

const CommandRow* FindRow(uint32_t id) {
  for (const CommandRow& row : kCommands)
    if (row.id == id) return &row;
  return nullptr;
}

// Handled by an earlier handler in the table's own terms: applying or
// dropping the typed value, stopping playback.
void Prelude(const CommandRow& row) {
  if (row.stop) UIHooks().stopPreviewPlayback();
  if (row.edit != kEditKeep) VFCommitPendingEdit(row.edit == kEditApply);
}

}  // namespace

const AppCommandEntry* AppCommandTable(size_t* count) {
  static AppCommandEntry entries[std::size(kCommands)];
  static bool filled = false;
  if (!filled) {
    for (size_t i = 0; i < std::size(kCommands); ++i) entries[i] = {kCommands[i].id, kCommands[i].name};
    filled = true;
  }
  *count = std::size(kCommands);
  return entries;
}

QVStatus AppCommandResult(uint32_t commandID) {
  const CommandRow* row = FindRow(commandID);
  return row ? row->result : kQVErrNotHandled;
}

QVStatus HandleAppCommand(uint32_t commandID, TKControl* control) {
  if (const CommandRow* row = FindRow(commandID)) {
    Prelude(*row);
    // The row's result is the command's answer.
    if (row->proc) QVIgnoreStatus(row->proc(commandID, control));
    return row->result;
  }
  int32_t n = 0;
  if (const LUTFamily* family = LUTFamilyOf(commandID, &n)) ChoosePreviewLUT(*family, n);
  return kQVErrNotHandled;
}
