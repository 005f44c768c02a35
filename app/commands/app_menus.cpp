// The menu bar as data, the enabling of its items by the session's state,
// and the application's event handler that feeds commands to
// HandleAppCommand.
#include <vector>

#include "app/commands/app_commands.h"
#include "app/commands/preview_gamma_menus.h"
#include "app/commands/shell_commands.h"
#include "app/controls/bound_controls.h"
#include "app/controls/context_menus.h"
#include "app/controls/value_slider.h"
#include "app/state/service_hooks.h"
#include "app/state/shell_links.h"
#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "app/window/shell_window.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"

namespace {

constexpr uint32_t kCmd = kTKModCommand;
constexpr uint32_t kCmdShift = kTKModCommand | kTKModShift;
constexpr uint32_t kCmdOption = kTKModCommand | kTKModOption;
constexpr uint32_t kCmdShiftOption = kTKModCommand | kTKModShift | kTKModOption;

struct MenuItemLayout {
  const char* text;
  uint32_t command;
  char key;
  uint32_t modifiers;
  int32_t submenu;  // id of the hierarchical menu the item opens, 0 none
};

struct MenuLayout {
  int32_t id;
  const char* title;
  bool inBar;
  std::vector<MenuItemLayout> items;
};

// Menus in the order they are made; submenus before the menus that hold them.
const std::vector<MenuLayout>& MenuLayouts() {
  static const std::vector<MenuLayout> layouts = {
      {kAppMenuImport, "Import", false,
       {{"Import XML...", QVFourCC("FIxm"), 0, 0, 0}, {"Import Project...", QVFourCC("FIpp"), 0, 0, 0}}},
      {kAppMenuImportMedia, "Import Media", false,
       {{"Image...", QVFourCC("FIim"), 0, 0, 0},
        {"Image Sequence...", QVFourCC("FIsq"), 0, 0, 0},
        {"Movie...", QVFourCC("FImv"), 0, 0, 0}}},
      {kAppMenu3dlFlavours, ".3dl", false,
       {{"Lustre...", kAppCmdExportLustre, 0, 0, 0},
        {"Flame...", kAppCmdExportFlame, 0, 0, 0},
        {"Smoke...", kAppCmdExportSmoke, 0, 0, 0},
        {"Autodesk...", kAppCmdExportAutodesk, 0, 0, 0}}},
      {kAppMenuExport, "Export", false,
       {{"Movie...", kAppCmdRenderMovie, 0, 0, 0},
        {"Image Sequence...", kAppCmdRenderSequence, 0, 0, 0},
        {"-", 0, 0, 0, 0},
        {"Academy/ASC 3D LUT...", kAppCmdExportAcademy, 0, 0, 0},
        {".3dl 3D LUT", 0, 0, 0, kAppMenu3dlFlavours},
        {"Cinetal 3D LUT...", kAppCmdExportCinetal, 0, 0, 0},
        {"Preview LUT...", kAppCmdExportPreviewLUT, 0, 0, 0},
        {"HDLink Pro 3D LUT...", kAppCmdExportHDLink, 0, 0, 0},
        {"LUTher 3D LUT...", kAppCmdExportLUTher, 0, 0, 0},
        {"Panavision GDP 3D LUT...", kAppCmdExportPanavision, 0, 0, 0},
        {"Pogle 3D LUT...", kAppCmdExportPogle, 0, 0, 0},
        {"Scratch 3D LUT...", kAppCmdExportScratch, 0, 0, 0},
        {"Truelight Cube...", kAppCmdExportTruelight, 0, 0, 0}}},
      {kPrimaryLUTMenuID, "Primary Preview LUT", false, {}},
      {kSecondaryLUTMenuID, "Secondary Preview LUT", false, {}},
      {kExternalLUTMenuID, "External Preview LUT", false, {}},
      {kAppMenuApplication, "Velmora", true,
       {{"About Velmora 3 UI", kAppCmdAbout, 0, 0, 0},
        {"-", 0, 0, 0, 0},
        {"Preferences...", kAppCmdPreferences, ',', kCmd, 0},
        {"-", 0, 0, 0, 0},
        {"Quit Velmora 3 UI", kAppCmdQuit, 'Q', kCmd, 0}}},
      {kAppMenuFile, "File", true,
       {{"Export", 0, 0, 0, kAppMenuExport},
        {"-", 0, 0, 0, 0},
        {"Save Knobwell Settings...", kAppCmdSaveSurfaceDefinitions, 0, 0, 0},
        {"Load Knobwell Settings...", kAppCmdLoadSurfaceDefinitions, 0, 0, 0},
        {"-", 0, 0, 0, 0},
        {"Load Chart Reference...", kAppCmdLoadChartReference, 0, 0, 0},
        {"Match Image to Chart...", kAppCmdMatchChartImage, 0, 0, 0},
        {"Match Images Folder to Chart...", kAppCmdMatchChartFolder, 0, 0, 0},
        {"-", 0, 0, 0, 0},
        {"Save 3D LUT Test Image...", kAppCmdLUTTestImage, 0, 0, 0},
        {"Timing Test", kAppCmdTimingTest, 0, 0, 0}}},
      {kAppMenuEdit, "Edit", true,
       {{"Undo", kAppCmdUndo, 'Z', kCmd, 0},
        {"Redo", kAppCmdRedo, 'Z', kCmdShift, 0},
        {"-", 0, 0, 0, 0},
        {"Cut", kAppCmdCut, 'X', kCmd, 0},
        {"Copy", kAppCmdCopy, 'C', kCmd, 0},
        {"Paste", kAppCmdPaste, 'V', kCmd, 0},
        {"Clear", kAppCmdClear, 0, 0, 0}}},
      {kAppMenuView, "View", true,
       {{"Large Image", kAppCmdLayout1, 0, 0, 0},
        {"Image and Analysis", kAppCmdLayout2, 0, 0, 0},
        {"-", 0, 0, 0, 0},
        {"Primary Preview LUT", kAppCmdPrimaryLUTItem, 0, 0, kPrimaryLUTMenuID},
        {"Secondary Preview LUT", kAppCmdSecondaryLUTItem, 0, 0, kSecondaryLUTMenuID},
        {"External Preview LUT", kAppCmdExternalLUTItem, 0, 0, kExternalLUTMenuID}}},
      {kAppMenuSettings, "Settings", true,
       {{"Reset All", kAppCmdResetAll, 'R', kCmdShiftOption, 0},
        {"-", 0, 0, 0, 0},
        {"Load Settings...", kAppCmdLoadSettings, 'O', kCmdShiftOption, 0},
        {"Save Settings...", kAppCmdSaveSettings, 'S', kCmdShiftOption, 0},
        {"-", 0, 0, 0, 0},
        {"Save as User Preset...", kAppCmdSaveUserPreset, 'P', kCmdShiftOption, 0},
        {"-", 0, 0, 0, 0},
        {"Load ASC CDL...", kAppCmdLoadCDL, 0, 0, 0},
        {"Save ASC CDL...", kAppCmdSaveCDL, 0, 0, 0},
        {"-", 0, 0, 0, 0},
        {"Input Settings...", kAppCmdInputSettings, 0, 0, 0}}},
      {kAppMenuReference, "Reference", true,
       {{"Save Result as Reference Image...", kAppCmdSaveReferenceImage, 'R', kCmdOption, 0}}},
      {kAppMenuHelp, "Help", true, {{"Velmora 3 UI Help", kAppCmdHelp, '?', kCmd, 0}}},
  };
  return layouts;
}

// The menus switched as a whole with the session, and the submenus that go
// with each.
struct SessionMenu {
  int32_t id;
  std::vector<int32_t> submenus;
  bool enabled;
};
std::vector<SessionMenu> gSessionMenus = {
    {kAppMenuFile, {kAppMenuExport, kAppMenu3dlFlavours}, false},
    {kAppMenuEdit, {}, false},
    {kAppMenuView, {kPrimaryLUTMenuID, kSecondaryLUTMenuID, kExternalLUTMenuID}, false},
    {kAppMenuSettings, {}, false},
    {kAppMenuReference, {}, false},
    {kAppMenuHelp, {}, false},
};

TKHandlerRef gAppHandler = 0;

// The strip along the top of the main display that shows the menu bar,
// above the main window (which leaves that strip free), as a screen's menu
// bar does. It never keeps the keyboard: the main window gets it back.
constexpr intptr_t kMenuBarWindowMark = 0x4D424152;  // 'MBAR'
TKWindow* gMenuBarWindow = nullptr;

TKWindow* MenuBarWindow() {
  if (gMenuBarWindow && TKWindowExists(gMenuBarWindow) && TKGetWindowRefCon(gMenuBarWindow) == kMenuBarWindowMark)
    return gMenuBarWindow;
  const TKRect display = TKGetDisplayBounds(TKGetMainDisplay());
  gMenuBarWindow = TKCreateWindow(kTKWindowBorderless,
                                  TKRect{display.top, display.left, display.top + TKMenuBarHeight(), display.right},
                                  "Velmora Menu Bar");
  if (!gMenuBarWindow) return nullptr;
  TKSetWindowRefCon(gMenuBarWindow, kMenuBarWindowMark);
  TKSetWindowShowsMenuBar(gMenuBarWindow, true);
  TKInstallWindowHandler(gMenuBarWindow, [](TKEvent& e) -> QVStatus {
    if (e.kind == kTKEventWindowActivated && UIMainWindow() && TKIsWindowVisible(UIMainWindow()))
      TKPostCall([] {
        if (UIMainWindow() && TKIsWindowVisible(UIMainWindow())) TKSelectWindow(UIMainWindow());
      });
    return kQVErrNotHandled;
  });
  return gMenuBarWindow;
}

// The strip shows while a session is open, without taking the keyboard.
void ShowMenuBarWindow(bool shown) {
  TKWindow* bar = MenuBarWindow();
  if (!bar || TKIsWindowVisible(bar) == shown) return;
  if (!shown) {
    TKHideWindow(bar);
    return;
  }
  TKWindow* key = TKFrontWindow();
  TKShowWindow(bar);
  if (key && key != bar) TKSelectWindow(key);
}

// The session menu a menu belongs to (itself or as a submenu), or null.
SessionMenu* SessionMenuOf(TKMenu* menu) {
  const int32_t id = TKGetMenuID(menu);
  for (SessionMenu& s : gSessionMenus) {
    if (TKGetMenu(s.id) != nullptr && s.id == id && TKGetMenu(id) == menu) return &s;
    for (int32_t sub : s.submenus)
      if (sub == id && TKGetMenu(id) == menu) return &s;
  }
  return nullptr;
}

bool OurMenu(TKMenu* menu) {
  if (!menu) return false;
  const int32_t id = TKGetMenuID(menu);
  for (const MenuLayout& layout : MenuLayouts())
    if (layout.id == id) return TKGetMenu(id) == menu;
  return false;
}

// Whether the item should be enabled now.
bool ItemEnabled(TKMenu* menu, int32_t item) {
  if (TKGetMenuItemText(menu, item) == "-") return false;
  if (const SessionMenu* s = SessionMenuOf(menu); s && !s->enabled) return false;
  const uint32_t command = TKGetMenuItemCommand(menu, item);
  switch (command) {
    case kAppCmdCut:
    case kAppCmdCopy:
    case kAppCmdClear: return gImageLoaded;
    case kAppCmdPaste: return gImageLoaded && AppScrapGet(nullptr);
    case kAppCmdUndo: return UndoBufferCanUndo(gUndoBuffer);
    case kAppCmdRedo: return UndoBufferCanRedo(gUndoBuffer);
    case kAppCmdInputSettings: return UIShell().canRelinearizeSourceFrame();
    case kAppCmdSecondaryLUTItem: return gPrefsSettings.secondaryPreviewMonitor != 0 && gSecondaryGWorld != nullptr;
    case kAppCmdExternalLUTItem: {
      const uint32_t device = gPrefsSettings.externalPreviewDevice;
      return device != QVFourCC("NoNE") && device != QVFourCC("GlOW") && AppServices().videoOutputOpen();
    }
    case 0:
      // The File menu's exports work on the picture.
      if (TKGetMenuID(menu) == kAppMenuFile && TKGetMenuItemSubmenu(menu, item)) return gImageLoaded;
      return true;
    default: return true;
  }
}

void UpdateMenu(TKMenu* menu) {
  for (int32_t i = 1; i <= TKCountMenuItems(menu); ++i) TKEnableMenuItem(menu, i, ItemEnabled(menu, i));
}

// One item of the toolkit's enable pass; the items without a command of
// the same menu (submenu titles) follow at once.
QVStatus UpdateCommandItem(TKEvent& e) {
  if (!OurMenu(e.menu) || e.menuItem < 1) return kQVErrNotHandled;
  TKEnableMenuItem(e.menu, e.menuItem, ItemEnabled(e.menu, e.menuItem));
  for (int32_t i = 1; i <= TKCountMenuItems(e.menu); ++i)
    if (TKGetMenuItemCommand(e.menu, i) == 0) TKEnableMenuItem(e.menu, i, ItemEnabled(e.menu, i));
  return kQVNoErr;
}

// The program gained the focus: the menu bar strip is drawn again and,
// while an exchange is attached, the secondary preview shows again and the
// video output gets going with the current frame.
void AppActivated() {
  if (gMenuBarWindow && TKWindowExists(gMenuBarWindow) && TKIsWindowVisible(gMenuBarWindow))
    TKInvalidateWindow(gMenuBarWindow);
  if (!gUIComm.block) return;
  UIServiceHooks& hooks = UIHooks();
  const uint32_t device = gPrefsSettings.externalPreviewDevice;
  hooks.showSecondaryPreview(true);
  if (!AppServices().videoOutputOpen()) hooks.startVideoOutput(device);
  hooks.updateVideoOutputFrame(device);
}

// The program lost the focus to another: nothing plays or feeds the video
// output behind the user's back, and the secondary preview steps aside.
void AppDeactivated() {
  UIServiceHooks& hooks = UIHooks();
  hooks.stopPreviewPlayback();
  hooks.pauseTransports();
  hooks.stopVideoOutput(gPrefsSettings.externalPreviewDevice);
  hooks.showSecondaryPreview(false);
}

void BuildMenuBarAndTakeCommands() {
  InstallAppCommands();
  BuildMenuBar();
}

}  // namespace

void BuildMenuBar() {
  TKClearMenuBar();
  for (const MenuLayout& layout : MenuLayouts()) {
    if (TKMenu* old = TKGetMenu(layout.id)) TKDisposeMenu(old);
    TKMenu* menu = TKCreateMenu(layout.id, layout.title);
    for (const MenuItemLayout& it : layout.items) {
      const int32_t item = TKAppendMenuItem(menu, it.text, it.command, uint32_t(it.key), it.key ? it.modifiers : 0x100);
      if (it.submenu) TKSetMenuItemSubmenu(menu, item, TKGetMenu(it.submenu));
    }
  }
  const struct {
    int32_t id;
    uint32_t base;
    int which;
  } kLUTMenus[] = {{kPrimaryLUTMenuID, kPrimaryLUTCommandBase, kPFLUTPrimary},
                   {kSecondaryLUTMenuID, kSecondaryLUTCommandBase, kPFLUTSecondary},
                   {kExternalLUTMenuID, kExternalLUTCommandBase, kPFLUTExternal}};
  for (const auto& m : kLUTMenus) {
    TKMenu* menu = TKGetMenu(m.id);
    FillLinearizationMenu(menu, m.base);
    // Checking an item always answers 0.
    QVIgnoreStatus(CheckMenuItemByCommand(menu, m.base + uint32_t(gPrefsSettings.lutIndex[m.which])));
  }
  // The LUT menus were made before the View menu; hang them on it again.
  for (const MenuLayout& layout : MenuLayouts()) {
    if (!layout.inBar) continue;
    TKMenu* menu = TKGetMenu(layout.id);
    for (size_t i = 0; i < layout.items.size(); ++i)
      if (layout.items[i].submenu) TKSetMenuItemSubmenu(menu, int32_t(i + 1), TKGetMenu(layout.items[i].submenu));
    TKInsertMenuInBar(menu);
  }
  HandleMenuEnableItems();
  ShowMenuBarWindow(AppMenuEnabled(kAppMenuFile));
}

void HandleMenuEnableItems() {
  for (const MenuLayout& layout : MenuLayouts())
    if (TKMenu* menu = TKGetMenu(layout.id)) UpdateMenu(menu);
}

void EnableSessionMenus(bool enable) {
  for (SessionMenu& s : gSessionMenus) s.enabled = enable;
  HandleMenuEnableItems();
  if (!TKGetMenuBarMenus().empty()) ShowMenuBarWindow(enable);
}

QVStatus CheckMenuItemByCommand(TKMenu* menu, uint32_t commandID) {
  for (int32_t i = 1; i <= TKCountMenuItems(menu); ++i)
    TKCheckMenuItem(menu, i, TKGetMenuItemCommand(menu, i) == commandID);
  return kQVNoErr;
}

TKWindow* AppMenuBarWindow() { return MenuBarWindow(); }

bool AppMenuEnabled(int32_t menuID) {
  if (!TKGetMenu(menuID)) return false;
  for (const SessionMenu& s : gSessionMenus)
    if (s.id == menuID) return s.enabled;
  return true;
}

bool AppMenuCommandEnabled(uint32_t commandID) {
  TKMenu* menu = nullptr;
  int32_t item = 0;
  if (!TKFindMenuCommand(commandID, &menu, &item)) return false;
  HandleMenuEnableItems();
  return TKIsMenuItemEnabled(menu, item);
}

QVStatus HandleApplicationEvents(TKEvent& e) {
  switch (e.kind) {
    case kTKEventUpdateCommand: return UpdateCommandItem(e);
    case kTKEventCommand: return HandleAppCommand(e.command, e.control);
    case kTKEventMouseWheel:
      if (gEditFieldOpen) VFEndEditing(gActiveEditSlider, true);
      return kQVErrNotHandled;
    case kTKEventContextClick: return e.control ? HandleControlContextClick(e.control, e.where) : kQVErrNotHandled;
    // Other handlers may want the focus changes too.
    case kTKEventAppActivated: AppActivated(); return kQVErrNotHandled;
    case kTKEventAppDeactivated: AppDeactivated(); return kQVErrNotHandled;
    default: return kQVErrNotHandled;
  }
}

void InstallAppCommands() {
  UIRemoveShellCommands();
  if (gAppHandler) TKRemoveHandler(gAppHandler);
  gAppHandler = TKInstallAppHandler(HandleApplicationEvents);
}

void InstallAppCommandHooks() {
  UIHooks().buildMenuBar = BuildMenuBarAndTakeCommands;
  UIHooks().enableExchangeMenus = EnableSessionMenus;
}
