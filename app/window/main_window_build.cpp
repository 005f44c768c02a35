// Building the main window: the window over the main display below the menu
// bar, the bottom buttons, the pane selectors, the correction tabs in their
// order, the colour-match frame with the picture pane, the hidden large
// image view, and the first selections.
#include <cstddef>
#include <cstring>

#include "app/controls/bound_controls.h"
#include "app/controls/composite_controls.h"
#include "app/controls/control_pictures.h"
#include "app/controls/curve_editor.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/command_ids.h"
#include "app/state/view_state.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/views/transport_bar.h"
#include "app/window/correction_tabs.h"
#include "app/window/main_window.h"
#include "app/window/main_window_geometry.h"
#include "app/window/main_window_tabs.h"
#include "app/window/pane_selectors.h"
#include "app/window/secondary_tab.h"
#include "app/window/shell_window.h"
#include "platform/fourcc.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"

TKControl* gCorrectionTabs = nullptr;
TKControl* gLargeImagePane = nullptr;
TKControl* gLargeImageFrame = nullptr;
TKControl* gPicturePane = nullptr;
int32_t gImagePaneCursor = 0;

namespace {

// The match colours live in the record's untouched words.
constexpr uint32_t kSamplerOffset = offsetof(VL_SettingsStruct, sampler);
constexpr uint32_t kMatchSourceOffset = offsetof(VL_SettingsStruct, untouched);
constexpr uint32_t kMatchTargetOffset = offsetof(VL_SettingsStruct, untouched[3]);
static_assert(kSamplerOffset == 33424 && kMatchSourceOffset == 33452 && kMatchTargetOffset == 33464);

TKWindow* gWindow = nullptr;

}  // namespace

const VFTabEntry kCorrectionTabEntries[9] = {
    {"HSL", 1, 1},    {"RGB", 1, 0},        {"CMY", 1, 0},       {"YCbCr", 1, 0},   {"Curves", 1, 0},
    {"Levels", 1, 0}, {"Luma Range", 1, 0}, {"Secondary", 1, 0}, {"Limiting", 1, 0},
};

namespace {

struct BottomButton {
  int32_t slot;
  const char* title;
  uint32_t command;
};
// OK and Cancel carry the shell's commands, so that they end the exchange.
const BottomButton kBottomButtons[kMainButtonCount] = {
    {kMainButtonOK, "OK", kUICommandOK},
    {kMainButtonCancel, "Cancel", kUICommandCancel},
    {kMainButtonResetAll, "Reset All", kMainCommandResetAll},
    {kMainButtonSave, "Save...", kMainCommandSave},
    {kMainButtonLoad, "Load...", kMainCommandLoad},
};

QVStatus WindowBackgroundColor(TKControl*, int32_t message, TKColor* color) {
  if (message != kTKColorBackground) return kQVErrNotHandled;
  *color = VFColor(kMainWindowBackgroundColor);
  return kQVNoErr;
}

void BuildBottomButtons(const MainWindowGeometry& g) {
  for (const BottomButton& b : kBottomButtons) {
    TKControl* button = TKNewPushButton(gWindow, g.buttons[b.slot], b.title, b.command);
    if (!button) continue;
    TKSetControlColorProc(button, WindowBackgroundColor);
    if (b.slot == kMainButtonOK) TKSetDefaultButton(gWindow, button);
    if (b.slot == kMainButtonCancel) TKSetCancelButton(gWindow, button);
  }
}

QVStatus BuildCorrectionTabs(const MainWindowGeometry& g) {
  TKControl* tabs = nullptr;
  if (QVStatus status = CreateTabGroup(gWindow, g.correctionTabs, 9, kCorrectionTabEntries, true, &tabs))
    return status;
  TabGroupSetSwitchProc(tabs, CorrectionTabSwitchProc);
  TabGroupSetEnableProc(tabs, CorrectionTabEnableProc);
  gCorrectionTabs = tabs;
  gVFTabGroups.correction = tabs;
  gCorrectionTab = kCorrectionTabHSL;

  BuildHSLTab(gWindow, tabs, g.content);
  BuildRGBTab(gWindow, tabs, g.content);
  BuildYCbCrTab(gWindow, tabs, g.content);
  BuildCMYTab(gWindow, tabs, g.content);
  BuildLevelsTab(gWindow, tabs, g.content);
  BuildCurvesTab(gWindow, tabs, g.content);
  BuildLumaRangeTab(gWindow, tabs, g);
  BuildSecondaryTab(gWindow, tabs, g.content, g.inner);
  BuildLimitingTab(gWindow, tabs, g);
  return kQVNoErr;
}

// The colour-match frame: the sampler's group, the match-colour panel and
// the picture pane below them.
QVStatus BuildColorMatch(const MainWindowGeometry& g) {
  TKControl* frame = nullptr;
  if (QVStatus status = CreateTabGroup(gWindow, g.colorMatchFrame, 0, nullptr, false, &frame)) return status;
  TKRect place = g.colorMatchInner;
  TKControl* group = nullptr;
  TKControl* ignored = nullptr;
  if (QVStatus status =
          VFCreateColorMatchGroup(gWindow, &place, frame, &gUISettings, kSamplerOffset, gNextValueControlID++, &group))
    return status;
  const int32_t panelID = gNextValueControlID++;
  if (QVStatus status = CreateMatchColorPanel(gWindow, &place, frame, &gUISettings, kMatchSourceOffset,
                                              kMatchTargetOffset, panelID, &ignored))
    return status;
  // What the group's eyedropper picks is also the match-colour source.
  VFSetEyedropperSecondTarget(group, panelID);
  TKUserPaneProcs procs;
  procs.draw = DrawPicturePane;
  const TKRect pictureRect{place.top, g.colorMatchInner.left, g.colorMatchInner.bottom, g.colorMatchInner.right};
  gPicturePane = TKNewUserPane(gWindow, pictureRect, procs);
  // Embedding a control made in the parent's window cannot fail.
  if (gPicturePane) QVIgnoreStatus(TKEmbedControl(gPicturePane, frame));
  return kQVNoErr;
}

// The large image view of pane layout 1, hidden until that layout is chosen.
QVStatus BuildLargeView(const MainWindowGeometry& g) {
  TKControl* frame = nullptr;
  if (QVStatus status = CreateTabGroup(gWindow, g.largeFrame, 0, nullptr, false, &frame)) return status;
  gLargeImageFrame = frame;
  TKControl* pane = nullptr;
  if (QVStatus status =
          CreateImagePaneWithBar(gWindow, frame, g.largePane, g.largeTransport, kTransportAllParts, &pane, nullptr))
    return status;
  ImagePaneSetFrameBuffer(pane, gResultFrame);
  ImagePaneSetRole(pane, 1);
  UsePrimaryPreviewLUT(pane);
  gLargeImagePane = pane;
  SetLayoutImagePane(1, pane);
  // On failure the pane keeps drawing into its window.
  QVIgnoreStatus(SetImagePaneImage(pane, gResultGWorld));
  TKSetControlVisible(frame, false);
  return kQVNoErr;
}

void ForgetMainWindow() {
  gWindow = nullptr;
  gCorrectionTabs = gLargeImagePane = gLargeImageFrame = gPicturePane = nullptr;
  ForgetPaneSelectors();
  gVFTabGroups = VFMainTabGroups{};
  gLevelsChannelTabs = gSecondaryTabs = gCurveSetTabs = nullptr;
  std::memset(gSettingsControls, 0, sizeof gSettingsControls);
}

}  // namespace

QVStatus BuildMainWindow() {
  if (gWindow) return kQVNoErr;
  VFRegisterControlPictures();
  TKRect bounds = TKGetDisplayBounds(TKGetMainDisplay());
  bounds.top += TKMenuBarHeight();
  const MainWindowGeometry g = MainWindowGeometryFor(TKRectWidth(bounds), TKRectHeight(bounds));
  gWindow = TKCreateWindow(kTKWindowPlain, bounds, "Velmora");
  if (!gWindow) return kQVErrMemory;
  TKInstallWindowHandler(gWindow, HandleMainWindowEvents);
  VFInstallWindowHandler(gWindow);
  TKSetWindowContentColor(gWindow, VFColor(kMainWindowBackgroundColor));
  // Closing the window leaves the exchange as Cancel does.
  TKInstallWindowHandler(gWindow, [](TKEvent& e) -> QVStatus {
    if (e.kind != kTKEventWindowClose) return kQVErrNotHandled;
    // The window's Cancel command is always answered.
    QVIgnoreStatus(TKSendCommand(kUICommandCancel));
    return kQVNoErr;
  });
  gNextValueControlID = 1;
  gPaneLayout = 2;
  VFSetResetButtonMetrics();
  EnsureMainWindowMenus();

  BuildBottomButtons(g);
  TKControl* root = TKGetRootControl(gWindow);
  QVStatus status = BuildImagePaneTabs(gWindow, root, g);
  if (status == kQVNoErr) status = BuildAnalysisPaneTabs(gWindow, root, g);
  if (status == kQVNoErr) status = BuildCorrectionTabs(g);
  if (status == kQVNoErr) status = BuildColorMatch(g);
  if (status == kQVNoErr) status = BuildLargeView(g);
  if (status != kQVNoErr) {
    TKDisposeWindow(gWindow);
    ForgetMainWindow();
    ClearViewPanes();
    return status;
  }
  UIAdoptMainWindow(gWindow, ForgetMainWindow);

  // The first correction tab from the preferences, default settings shown
  // by every control, and a first picture drawn at the next update.
  const int32_t tab = gPrefsSettings.settingsPaneDefault - 1;
  if (tab >= 0 && tab < 9) TabGroupSelect(gCorrectionTabs, tab);
  VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, false);
  return kQVNoErr;
}

void ShowMainWindow(bool shown) { UIShowMainWindow(shown); }

void DisposeMainWindow() { UIDisposeMainWindow(); }

namespace {

// The item of that name in a group, or -1.
int32_t ItemNamed(TKControl* group, const char* name) {
  VFTabGroup* g = TabGroupRecord(group);
  if (!g) return -1;
  for (int32_t i = 0; i < g->count; ++i)
    if (std::strcmp(g->items[i]->name, name) == 0) return i;
  return -1;
}

// Selects the item and every tab around its group, so that it shows.
void SelectShown(TKControl* group, int32_t item) {
  for (TKControl* c = TKGetParentControl(group); c; c = TKGetParentControl(c))
    if (VFTabGroupItem* outer = TabGroupItemOfPane(c)) TabGroupSelect(outer->group->pane, outer->index);
  TabGroupSelect(group, item);
}

// The first group below control (depth first) with an item of that name.
bool SelectNested(TKControl* control, const char* name) {
  for (int32_t i = 0, n = TKCountChildren(control); i < n; ++i) {
    TKControl* child = TKGetChild(control, i);
    VFTabGroup* g = TabGroupRecord(child);
    if (g && g->pane == child) {
      const int32_t item = ItemNamed(child, name);
      if (item >= 0) {
        SelectShown(child, item);
        return true;
      }
    }
    if (SelectNested(child, name)) return true;
  }
  return false;
}

}  // namespace

bool SelectMainWindowTab(const char* name) {
  if (!gWindow || !name) return false;
  for (TKControl* group : {gCorrectionTabs, gImagePaneTabs, gAnalysisPaneTabs}) {
    const int32_t item = ItemNamed(group, name);
    if (item >= 0) {
      TabGroupSelect(group, item);
      return true;
    }
  }
  return gCorrectionTabs && SelectNested(gCorrectionTabs, name);
}
