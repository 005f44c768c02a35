#include "app/commands/controls_install.h"

#include "app/commands/app_commands.h"
#include "app/commands/preview_gamma_menus.h"
#include "app/controls/bound_controls.h"
#include "app/controls/context_menus.h"
#include "app/controls/input_linearization.h"
#include "app/controls/levels_control.h"
#include "app/controls/luma_range_control.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/service_hooks.h"
#include "app/state/views_hooks.h"
#include "app/surfaces/surface_editor.h"
#include "app/surfaces/surface_start.h"
#include "app/surfaces/tangent_start.h"
#include "app/views/histogram.h"
#include "app/views/preview_outputs.h"
#include "app/views/rapid_preview.h"
#include "app/views/transport_bar.h"
#include "app/window/main_window.h"
#include "app/window/pane_selectors.h"
#include "app/window/preferences_dialog.h"
#include "app/window/shortcut_keys.h"
#include "platform/ui/toolkit.h"
#include "support/preview_lut.h"

namespace {

// A whole-record change from the shell (undo, redo, a slot, a new
// exchange): every control follows, the next edit opens a fresh undo step.
void SyncFromShell(const VL_SettingsStruct* settings, VLSettingsSectionMask, const VL_SettingsStruct* previous) {
  VFForgetUndoControl();
  SyncControlsWithSettings(settings, kVFSyncAll, kVFSyncAll, previous, 0);
}

void EndEditingWithoutApplying() { VFCommitPendingEdit(false); }

bool TextBeingEdited() { return gEditFieldOpen; }

}  // namespace

void VFInstallControls() {
  UIServiceHooks& hooks = UIHooks();
  hooks.syncControls = SyncFromShell;
  hooks.endEditing = EndEditingWithoutApplying;
  hooks.setHelpTagsShown = SetHelpTagsDisplayed;
  hooks.buildMainWindow = BuildMainWindow;
  hooks.showMainWindow = ShowMainWindow;
  hooks.setPanesPixelAspect = SetPanesPixelAspect;
  hooks.setPaneImages = SetMainWindowPanePictures;
  hooks.playingTransports = TransportHostPlayingCount;
  hooks.pauseTransports = TransportPauseAll;
  hooks.stopPreviewPlayback = StopAllPreviewPlayback;
  // An open Preferences window's tabs come before the main window's.
  hooks.selectTabNamed = [](const char* name) { return PreferencesDialogSelectTab(name) || SelectMainWindowTab(name); };
  hooks.applyInputLinearization = ApplyInputLinearizationWords;
  InstallAppCommandHooks();
  InstallPreviewOutputHooks();
  AppServices().videoOutputOpen = VideoOutputIsOpen;
  TangentInstall();
  SurfaceInstall();
  InstallRapidPreviewHooks();
  ViewsHooksInForce().setCorrectionTabsEnabled = SetCorrectionTabsEnabled;
  // Only the tabs are held: the panes' contents stay enabled, so that the
  // transport bar that runs a rapid preview can still stop it.
  ViewsHooksInForce().setPaneTabGroupsActive = [](bool active) {
    for (TKControl* group : {gImagePaneTabs, gAnalysisPaneTabs})
      if (group) TabGroupSetActive(group, active, false, true);
  };
  hooks.openSurfaceEditor = SurfaceEditorOpen;
  ViewsHooksInForce().showPaneLayoutControls = ShowPaneLayoutControls;
  AppServices().surfaceWriteDefinitions = SurfaceSaveDefinitionsCommand;
  AppServices().surfaceReadDefinitions = SurfaceLoadDefinitionsCommand;
  SetLinearizationLUTFileLoader(LoadLinearizationLUTFile);
  SetLevelsHistogramRefresher(LevelsRefreshChannelHistograms);
  ViewsHooksInForce().drawLumaRangeControl = LumaRangeRedrawGraph;
  UIShortcutServices& shortcuts = UIShortcuts();
  shortcuts.tabPane = TabGroupGetPane;
  shortcuts.nestedGroup = FindTabGroupControl;
  shortcuts.selectTab = TabGroupSelect;
  shortcuts.textBeingEdited = TextBeingEdited;
}
