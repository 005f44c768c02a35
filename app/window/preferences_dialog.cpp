// The preferences dialog's window: built in code, one tab at a time, each
// control set from the record; run application-modal with the handler of
// its buttons.
#include "app/window/preferences_dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/controls/bound_controls.h"
#include "app/controls/labels.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/interface_colors.h"
#include "app/state/save_failure.h"
#include "app/state/service_hooks.h"
#include "app/views/preview_outputs.h"
#include "app/views/scope_colors.h"
#include "app/window/preferences_dialog_internal.h"
#include "app/window/shell_window.h"
#include "app/window/video_output_modes.h"
#include "platform/prefs_store.h"
#include "platform/ui/toolkit.h"
#include "settings/file_panels.h"
#include "settings/prefs.h"
#include "support/aliases.h"
#include "support/alerts.h"
#include "support/paths.h"

namespace {

const VFTabEntry kTabs[kPrefsTabCount] = {
    {"General", 1, 1},         {"Video System", 1, 0},  {"WFM / VS", 1, 0}, {"Previews", 1, 0},
    {"Control Surface", 1, 0}, {"Combo Display", 1, 0}, {"Caches", 1, 0},
};

// The tab group fills the window but for the buttons' strip; its content
// panes start 100 px in (the tab column) and 9 px down.
constexpr TKRect kTabBounds{6, 3, kPrefsWindowHeight - 52, kPrefsWindowWidth - 3};
constexpr int32_t kLeft = 108;
constexpr int32_t kTop = 14;
constexpr TKRect kOKRect{kPrefsWindowHeight - 33, kPrefsWindowWidth - 83, kPrefsWindowHeight - 13,
                         kPrefsWindowWidth - 13};
constexpr TKRect kCancelRect{kOKRect.top, kOKRect.left - 80, kOKRect.bottom, kOKRect.left - 10};

// Each popup and check box has an ID number of its own in the window, which
// also finds its label.
int32_t gNextID = 0;

PreferencesDialog* gOpen = nullptr;
PrefsSettings* gEdited = nullptr;
void (*gOpenedHook)(PreferencesDialog*) = nullptr;

int32_t clampItem(TKControl* popup, int32_t value) {
  const int32_t count = TKCountMenuItems(TKGetControlMenu(popup));
  return std::clamp(value, 1, std::max(1, count));
}

TKControl* popup(TKWindow* w, TKControl* pane, int32_t left, int32_t right, int32_t* top, const char* label,
                 int32_t menuID, int32_t value) {
  TKRect frame{*top, left, *top + 34, right};
  TKControl* p = VFCreatePopup(w, &frame, label, menuID, pane, nullptr, 0, ++gNextID, nullptr, false);
  TKSetControlMaximum(p, std::max(1, TKCountMenuItems(TKGetMenu(menuID))));
  TKSetControlValue(p, clampItem(p, value));
  *top = frame.top;
  return p;
}

TKControl* checkBox(TKWindow* w, TKControl* pane, int32_t left, int32_t right, int32_t* top, const char* title,
                    int32_t value) {
  TKRect frame{*top, left, *top + 18, right};
  TKControl* box = VFCreateCheckBox(w, &frame, title, pane, nullptr, 0, ++gNextID, nullptr, false);
  TKSetControlValue(box, value != 0 ? 1 : 0);
  *top = frame.top;
  return box;
}

TKControl* button(TKWindow* w, TKControl* pane, const TKRect& r, const char* title, int32_t ref) {
  TKControl* b = TKNewPushButton(w, r, title, 0);
  // Embedding a control made in the pane's window cannot fail.
  QVIgnoreStatus(TKEmbedControl(b, pane));
  TKSetControlFont(b, VFControlFont());
  TKSetControlRefCon(b, ref);
  return b;
}

// The interface colours from the record's brightness and saturation, on
// every window that shows them.
void applyLook(PreferencesDialog* d, const PrefsSettings& p) {
  UIHooks().applyInterfaceLook(p.uiBrightness, p.uiSaturation);
  if (!d) return;
  TKSetWindowContentColor(d->window, VFColor(kUIColorControlBackground));
  TKInvalidateWindow(d->window);
  if (TKWindow* main = UIMainWindow()) TKInvalidateWindow(main);
}

void lookSliderMoved(TKControl*, uint32_t, bool) {
  if (gOpen && gEdited) applyLook(gOpen, *gEdited);
}

TKControl* lookSlider(TKWindow* w, TKControl* pane, int32_t* top, const char* label, double min, double max,
                      int32_t* field, int32_t id, const PrefsSettings& defaults, PrefsSettings* prefs) {
  TKRect frame{*top, kLeft, *top + 34, 440};
  const uint32_t offset = uint32_t(reinterpret_cast<uint8_t*>(field) - reinterpret_cast<uint8_t*>(prefs));
  TKControl* s = VFCreateValueSlider(w, &frame, label, min, max, min, max, kVFScaled, pane, prefs, offset, &defaults,
                                     id, nullptr);
  VFSetChangeProc(s, lookSliderMoved);
  *top = frame.top;
  return s;
}

void buildGeneral(PreferencesDialog* d, TKControl* pane, PrefsSettings* p) {
  TKWindow* w = d->window;
  int32_t top = kTop;
  d->undo = popup(w, pane, kLeft, 318, &top, "Levels of Undo:", kPrefsUndoMenuID, p->undoDepthMenuItem);
  d->leftPane = popup(w, pane, kLeft, 318, &top, "Default Left Pane Display:", kPrefsLeftPaneMenuID, p->leftPaneDefault);
  d->rightPane =
      popup(w, pane, kLeft, 318, &top, "Default Right Pane Display:", kPrefsRightPaneMenuID, p->rightPaneDefault);
  d->settingsPane = popup(w, pane, kLeft, 318, &top, "Default Settings Pane Display:", kPrefsSettingsPaneMenuID,
                          p->settingsPaneDefault);
  int32_t right = kTop + 14;
  d->toolTips = checkBox(w, pane, 326, 510, &right, "Display Help Tags", p->toolTips);
  d->limiter = checkBox(w, pane, 326, 510, &right, "Set Limiting On by Default", p->limiterDefault);
  d->oldStyleGamma = checkBox(w, pane, 326, 510, &right, "Use Traditional Gamma", p->useOldStyleGamma);

  // The sliders' Option-click and "Default" values.
  static PrefsSettings defaults;
  defaults.uiBrightness = kPrefsDefaultBrightness;
  defaults.uiSaturation = kPrefsDefaultSaturation;
  top += 14;
  VFBeginTabChain();
  const int32_t brightnessTop = top;
  d->brightness = lookSlider(w, pane, &top, "UI Brightness", 0.25, 1.3, &p->uiBrightness, kPrefsBrightnessRef,
                             defaults, p);
  const int32_t saturationTop = top;
  d->saturation = lookSlider(w, pane, &top, "UI Saturation", 0.05, 1.0, &p->uiSaturation, kPrefsSaturationRef,
                             defaults, p);
  VFCloseTabChain();
  d->brightnessDefault =
      button(w, pane, TKRect{brightnessTop + 13, 446, brightnessTop + 35, 508}, "Default", kPrefsBrightnessDefaultRef);
  d->saturationDefault =
      button(w, pane, TKRect{saturationTop + 13, 446, saturationTop + 35, 508}, "Default", kPrefsSaturationDefaultRef);
}

void buildVideoSystem(PreferencesDialog* d, TKControl* pane, const PrefsSettings& p) {
  int32_t top = kTop;
  d->videoSystem = popup(d->window, pane, kLeft, 420, &top, "Video Color System", kPrefsVideoSystemMenuID, p.videoSystem);
  d->levelCoding =
      popup(d->window, pane, kLeft, 420, &top, "Video Level Coding", kPrefsLevelCodingMenuID, p.videoLevelCoding);
  top += 6;
  d->blackSetup = checkBox(d->window, pane, kLeft, 420, &top, "Black has 7.5% Setup", p.videoBlackSetup);
}

void buildWaveform(PreferencesDialog* d, TKControl* pane, const PrefsSettings& p) {
  int32_t top = kTop + 4;
  d->wfmColor = checkBox(d->window, pane, kLeft, 510, &top, "Display Wavefom Monitor with Picture Color", p.wfmColor);
  top += 6;
  d->wfmUnits = checkBox(d->window, pane, kLeft, 510, &top, "Label Waveform Monitor in mV", p.wfmUnitsMV);
  top += 6;
  d->vsCalibration =
      checkBox(d->window, pane, kLeft, 510, &top, "Calibrate Vectorscope for 100% Bars", p.vsCalibration100);
}

// The item of the menu whose command is `command`, else 1.
int32_t itemWithCommand(TKMenu* menu, uint32_t command) {
  for (int32_t i = 1; i <= TKCountMenuItems(menu); ++i)
    if (TKGetMenuItemCommand(menu, i) == command) return i;
  return 1;
}

void buildPreviews(PreferencesDialog* d, TKControl* pane, const PrefsSettings& p) {
  TKWindow* w = d->window;
  int32_t top = kTop;
  d->device = popup(w, pane, kLeft, 470, &top, "External Preview Device:", kPrefsDeviceMenuID,
                    itemWithCommand(TKGetMenu(kPrefsDeviceMenuID), p.externalPreviewDevice));
  d->mode = popup(w, pane, kLeft, 470, &top, "External Preview Mode:", kPrefsModeMenuID, 1);
  d->scaling = popup(w, pane, kLeft, 470, &top, "External Preview Scaling:", kPrefsScalingMenuID, p.previewImageScaling);
  d->aspect = popup(w, pane, kLeft, 470, &top, "External Preview Aspect Ratio Conversion:", kPrefsAspectMenuID,
                    p.previewAspectConversion);
  top += 4;
  d->gammaAdjust = checkBox(w, pane, kLeft, 470, &top, "External Preview Gamma Adjustment", p.externalPreviewGammaAdjust);
  top += 6;
  d->monitor = popup(w, pane, kLeft, 470, &top, "Secondary Computer Monitor Preview:", kPrefsMonitorMenuID,
                     p.secondaryPreviewMonitor + 1);
  if (TKDisplayCount() < 2) VFEnableWithLabel(d->monitor, false);
  // The stored device's modes, the stored mode chosen.
  PreferencesDeviceChanged(d);
  TKSetControlValue(d->mode, itemWithCommand(TKGetMenu(kPrefsModeMenuID), p.externalPreviewMode));
}

void buildSurface(PreferencesDialog* d, TKControl* pane, const PrefsSettings& p) {
  TKWindow* w = d->window;
  int32_t top = kTop;
  d->surfaceType = popup(w, pane, kLeft, 400, &top, "Control Surface Type:", kPrefsSurfaceTypeMenuID,
                         p.controlSurfaceMode);
  d->surfaceReset = button(w, pane, TKRect{kTop + 14, 350, kTop + 36, 508}, "Reset Control Surface", kPrefsSurfaceResetRef);
  d->surfaceInterface = popup(w, pane, kLeft, 400, &top, "Control Surface Interface Type:",
                              kPrefsSurfaceInterfaceMenuID, p.controlSurfaceInterface);
  top += 6;
  VFCreateLabel(w, TKRect{top, kLeft, top + 15, 400}, pane, "Control Surface IP Address:", &d->addressLabel);
  d->address = TKNewEditText(w, TKRect{top + 17, kLeft + 8, top + 39, 342}, "");
  // Embedding a control made in the pane's window cannot fail.
  QVIgnoreStatus(TKEmbedControl(d->address, pane));
  TKSetEditText(d->address, std::string(p.controlSurfaceIP, strnlen(p.controlSurfaceIP, 127)).c_str());
  top += 52;
  VFCreateLabel(w, TKRect{top, kLeft, top + 15, 400}, pane, "Control Surface Actions:", &d->actionsLabel);
  d->defineActions = button(w, pane, TKRect{top + 17, kLeft + 8, top + 39, kLeft + 128}, "Define Actions",
                            kPrefsDefineActionsRef);
  PreferencesSurfaceTypeChanged(d, TKGetControlValue(d->surfaceType));
  // The stored interface stays as it was until the type is changed.
  TKSetControlValue(d->surfaceInterface, clampItem(d->surfaceInterface, p.controlSurfaceInterface));
  PreferencesSurfaceInterfaceChanged(d);
}

void buildCombo(PreferencesDialog* d, TKControl* pane, const PrefsSettings& p) {
  const char* const labels[4] = {"Upper Left:", "Upper Right:", "Lower Left:", "Lower Right:"};
  for (int i = 0; i < 4; ++i) {
    const int32_t left = i % 2 == 0 ? kLeft : 312;
    int32_t top = kTop + 40 * (i / 2);
    d->combo[i] = popup(d->window, pane, left, left + 200, &top, labels[i], kPrefsComboMenuID, p.comboQuadrant[i]);
  }
}

void buildCaches(PreferencesDialog* d, TKControl* pane, const PrefsSettings& p) {
  TKWindow* w = d->window;
  VFCreateLabel(w, TKRect{kTop + 2, kLeft, kTop + 17, 508}, pane, "Vurev Aviredu Cache Location", nullptr);
  VFCreateLabel(w, TKRect{kTop + 24, kLeft + 8, kTop + 40, 508}, pane, PreferencesCacheFolderText(p).c_str(),
                &d->cachePath);
  d->cacheSelect = button(w, pane, TKRect{kTop + 48, kLeft + 8, kTop + 70, kLeft + 88}, "Select", kPrefsCacheSelectRef);
}

// Where the window opens: the stored place when there is one, else centred
// across the main display a third of the way down; kept on the main display
// while a secondary monitor shows the preview, else on whichever display
// holds most of it.
TKRect placement(const PrefsSettings& p) {
  const TKRect main = TKGetDisplayBounds(TKGetMainDisplay());
  TKRect r = TKMakeRect(main.left + (TKRectWidth(main) - kPrefsWindowWidth) / 2,
                        main.top + std::max(0, (TKRectHeight(main) - kPrefsWindowHeight) / 3), kPrefsWindowWidth,
                        kPrefsWindowHeight);
  if (p.prefsWindowH >= 0 && p.prefsWindowV >= 0)
    r = TKMakeRect(p.prefsWindowH, p.prefsWindowV, kPrefsWindowWidth, kPrefsWindowHeight);
  const TKRect screen = p.secondaryPreviewMonitor != 0 ? main : TKGetDisplayBounds(TKDisplayForRect(r));
  if (TKRectEmpty(screen)) return r;
  const int32_t left = std::clamp(r.left, screen.left, std::max(screen.left, screen.right - kPrefsWindowWidth));
  const int32_t top = std::clamp(r.top, screen.top, std::max(screen.top, screen.bottom - kPrefsWindowHeight));
  return TKMakeRect(left, top, kPrefsWindowWidth, kPrefsWindowHeight);
}

void chooseCacheFolder(PreferencesDialog* d, PrefsSettings* p) {
  QVFileRef folder;
  if (QVGetFolderSelection(&folder, "Cache File Location", nullptr,
                           "Choose destination folder for rendered footage files", QVFourCC("VLcl")) != kQVNoErr)
    return;
  p->rapidPreviewCacheAlias = QVNewAlias(&folder);
  TKSetEditText(d->cachePath, PreferencesCacheFolderText(*p).c_str());
  TKDrawControl(d->cachePath);
}

// Restarts the control surface with the values being edited; the record
// keeps its own values (OK takes the edited ones).
void resetSurface(PreferencesDialog* d, PrefsSettings* p) {
  const int32_t mode = p->controlSurfaceMode, link = p->controlSurfaceInterface;
  char address[sizeof p->controlSurfaceIP];
  std::memcpy(address, p->controlSurfaceIP, sizeof address);
  const int32_t type = TKGetControlValue(d->surfaceType);
  p->controlSurfaceMode = type;
  p->controlSurfaceInterface = TKGetControlValue(d->surfaceInterface);
  QVCopyCString(TKGetEditText(d->address), p->controlSurfaceIP, sizeof p->controlSurfaceIP);
  UIHooks().surfaceStop();
  if (type >= 2 && type <= 4) UIHooks().surfaceStart(type);
  d->surfaceRestarted = true;
  p->controlSurfaceMode = mode;
  p->controlSurfaceInterface = link;
  std::memcpy(p->controlSurfaceIP, address, sizeof address);
}

void setLook(PreferencesDialog* d, TKControl* slider, int32_t value) {
  TKSetControlValue(slider, value);
  VFUpdateValueText(slider, value);
  VFWriteControlValue(slider, value, false);
  TKDrawControl(slider);
  (void)d;
}

QVStatus handle(PreferencesDialog* d, PrefsSettings* p, TKEvent& e) {
  if (e.kind == kTKEventCommand && (e.command == kPrefsCommandOK || e.command == kPrefsCommandCancel)) {
    VFCommitPendingEdit(e.command == kPrefsCommandOK);
    TKEndModal(d->window, e.command == kPrefsCommandOK ? 1 : 0);
    return kQVNoErr;
  }
  if (e.kind != kTKEventControlHit || !e.control) return kQVErrNotHandled;
  if (e.control == d->device && e.part == kTKPartMenu) {
    PreferencesDeviceChanged(d);
  } else if (e.control == d->surfaceType && e.part == kTKPartMenu) {
    PreferencesSurfaceTypeChanged(d, TKGetControlValue(d->surfaceType));
  } else if (e.control == d->surfaceInterface && e.part == kTKPartMenu) {
    PreferencesSurfaceInterfaceChanged(d);
  } else {
    switch (TKGetControlRefCon(e.control)) {
      case kPrefsBrightnessDefaultRef: setLook(d, d->brightness, kPrefsDefaultBrightness); break;
      case kPrefsSaturationDefaultRef: setLook(d, d->saturation, kPrefsDefaultSaturation); break;
      case kPrefsCacheSelectRef: chooseCacheFolder(d, p); break;
      case kPrefsSurfaceResetRef: resetSurface(d, p); break;
      // The editor tells the user of a definitions file it could not save.
      case kPrefsDefineActionsRef: QVIgnoreStatus(UIHooks().openSurfaceEditor()); break;
      default: return kQVErrNotHandled;
    }
  }
  return kQVErrNotHandled;
}

bool showsAddress(const PreferencesDialog* d) {
  const int32_t type = TKGetControlValue(d->surfaceType);
  return (type == 3 || type == 4) && TKGetControlValue(d->surfaceInterface) == 2;
}

}  // namespace

void PreferencesDeviceChanged(PreferencesDialog* d) {
  TKMenu* devices = TKGetControlMenu(d->device);
  const uint32_t device = TKGetMenuItemCommand(devices, TKGetControlValue(d->device));
  TKMenu* modes = TKGetControlMenu(d->mode);
  const int32_t count = FillVideoOutputModeMenu(modes, device);
  TKSetControlMaximum(d->mode, std::max(1, count));
  TKSetControlValue(d->mode, 1);
  const bool output = device != kPreviewDeviceNone && device != kPreviewDeviceExternal;
  for (TKControl* c : {d->mode, d->scaling, d->aspect}) VFEnableWithLabel(c, output);
  TKDrawControl(d->mode);
}

void PreferencesSurfaceTypeChanged(PreferencesDialog* d, int32_t type) {
  const bool link = type == 3 || type == 4;
  if (type == 2) TKSetControlValue(d->surfaceInterface, 1);
  if (link) TKSetControlValue(d->surfaceInterface, 2);
  VFEnableWithLabel(d->surfaceInterface, link);
  TKSetControlVisible(d->surfaceReset, type >= 2 && type <= 4);
  for (TKControl* c : {d->actionsLabel, d->defineActions}) TKSetControlVisible(c, link);
  PreferencesSurfaceInterfaceChanged(d);
}

void PreferencesSurfaceInterfaceChanged(PreferencesDialog* d) {
  for (TKControl* c : {d->addressLabel, d->address}) TKSetControlVisible(c, showsAddress(d));
}

QVStatus PreferencesDialogBuild(PreferencesDialog* d, PrefsSettings* p) {
  *d = PreferencesDialog{};
  gNextID = 2000;
  PreferencesMenusCreate();
  TKWindow* w = TKCreateWindow(kTKWindowModal, placement(*p), "Preferences");
  if (!w) return kQVErrMemory;
  d->window = w;
  TKSetWindowContentColor(w, VFColor(kUIColorControlBackground));
  // Every control lives in a tab's pane: without the tabs there is no dialog.
  if (QVStatus status = CreateTabGroup(w, kTabBounds, kPrefsTabCount, kTabs, false, &d->tabs)) return status;
  buildGeneral(d, TabGroupGetPane(d->tabs, kPrefsTabGeneral), p);
  buildVideoSystem(d, TabGroupGetPane(d->tabs, kPrefsTabVideoSystem), *p);
  buildWaveform(d, TabGroupGetPane(d->tabs, kPrefsTabWaveform), *p);
  buildPreviews(d, TabGroupGetPane(d->tabs, kPrefsTabPreviews), *p);
  buildSurface(d, TabGroupGetPane(d->tabs, kPrefsTabControlSurface), *p);
  buildCombo(d, TabGroupGetPane(d->tabs, kPrefsTabCombo), *p);
  buildCaches(d, TabGroupGetPane(d->tabs, kPrefsTabCaches), *p);
  d->cancel = TKNewPushButton(w, kCancelRect, "Cancel", kPrefsCommandCancel);
  d->ok = TKNewPushButton(w, kOKRect, "OK", kPrefsCommandOK);
  TKSetDefaultButton(w, d->ok);
  TKSetCancelButton(w, d->cancel);
  if (p->prefsWindowTab >= 0 && p->prefsWindowTab < kPrefsTabCount) TabGroupSelect(d->tabs, p->prefsWindowTab);
  return kQVNoErr;
}

void PreferencesDialogDispose(PreferencesDialog* d) {
  if (gOpen == d) gOpen = nullptr;
  TKDisposeWindow(d->window);
  PreferencesMenusDispose();
  *d = PreferencesDialog{};
}

void SetPreferencesDialogOpenedHook(void (*hook)(PreferencesDialog*)) { gOpenedHook = hook; }

bool PreferencesDialogSelectTab(const char* name) {
  if (!gOpen || !name) return false;
  for (int32_t i = 0; i < kPrefsTabCount; ++i) {
    if (std::strcmp(kTabs[i].name, name) == 0) {
      TabGroupSelect(gOpen->tabs, i);
      return true;
    }
  }
  return false;
}

TKWindow* PreferencesDialogWindow() { return gOpen ? gOpen->window : nullptr; }

bool RunPreferencesDialog(PrefsSettings* prefs, int32_t* lastTab) {
  if (!prefs) return false;
  const PrefsSettings before = *prefs;
  QVRGBColor colors[kUIInterfaceColorCount], accents[kUIAccentColorCount];
  std::memcpy(colors, gInterfaceColors, sizeof colors);
  std::memcpy(accents, gInterfaceAccentColors, sizeof accents);

  PreferencesDialog d;
  if (QVStatus status = PreferencesDialogBuild(&d, prefs)) {
    PreferencesDialogDispose(&d);
    char message[160];
    std::snprintf(message, sizeof message, "The preferences cannot be shown: there is not enough memory (error %d).",
                  int(status));
    QVErrorAlert("Velmora 3 UI", message, 1);
    return false;
  }
  gOpen = &d;
  gEdited = prefs;
  TKInstallWindowHandler(d.window, [&d, prefs](TKEvent& e) { return handle(&d, prefs, e); });
  TKShowWindow(d.window);
  if (gOpenedHook) gOpenedHook(&d);
  const bool ok = TKRunModal(d.window) == 1;

  if (ok) {
    PreferencesDialogTake(d, prefs);
    applyLook(nullptr, *prefs);
  } else {
    *prefs = before;
    std::memcpy(gInterfaceColors, colors, sizeof colors);
    std::memcpy(gInterfaceAccentColors, accents, sizeof accents);
    ScopeSetAccentColors(gInterfaceAccentColors);
  }
  if (TKWindow* main = UIMainWindow()) TKInvalidateWindow(main);
  const int32_t tab = TabGroupGetCurrent(d.tabs);
  const TKRect bounds = TKGetWindowBounds(d.window);
  prefs->prefsWindowTab = tab;
  prefs->prefsWindowH = bounds.left;
  prefs->prefsWindowV = bounds.top;
  // A surface restarted by the reset runs with the dialog's values; when the
  // record's surface settings end as they began (Cancel, or OK with them
  // unchanged), nothing else restarts it, so it goes back to the record's.
  if (d.surfaceRestarted && prefs->controlSurfaceMode == before.controlSurfaceMode &&
      prefs->controlSurfaceInterface == before.controlSurfaceInterface &&
      prefs->controlSurfacePort == before.controlSurfacePort &&
      std::strncmp(prefs->controlSurfaceIP, before.controlSurfaceIP, sizeof prefs->controlSurfaceIP) == 0) {
    UIHooks().surfaceStop();
    if (prefs->controlSurfaceMode >= 2 && prefs->controlSurfaceMode <= 4)
      UIHooks().surfaceStart(prefs->controlSurfaceMode);
  }
  PreferencesDialogDispose(&d);
  gEdited = nullptr;
  UIReportSaveFailure(PLPrefsDomainPath(kPFDomain), PFSavePreferences(prefs));
  if (lastTab) *lastTab = tab;

  // The window's own state aside, has any preference changed?
  PrefsSettings after = *prefs;
  after.prefsWindowTab = before.prefsWindowTab;
  after.prefsWindowH = before.prefsWindowH;
  after.prefsWindowV = before.prefsWindowV;
  return !(after == before);
}
