// The grading application's main window: the bottom buttons, the image and
// analysis pane selectors, the nine correction tabs (with the Luma Range and
// Limiting tabs built here), the colour-match frame, the picture pane and
// the hidden large image view of pane layout 1; its event handler and the
// switch procedures of its tab groups.
#pragma once

#include <cstdint>

#include "platform/status.h"
#include "platform/ui/ui_event.h"

struct TKContext;
struct VFTabEntry;
struct TKControl;
struct TKWindow;

// Commands of the bottom buttons other than OK and Cancel.
constexpr uint32_t kMainCommandResetAll = 0x53437273;  // 'SCrs'
constexpr uint32_t kMainCommandSave = 0x53437376;      // 'SCsv'
constexpr uint32_t kMainCommandLoad = 0x53436C64;      // 'SCld'

// The interface colour entry the window's background and its bottom buttons
// are filled with.
constexpr int kMainWindowBackgroundColor = 40;

// Menus of the Limiting tab's popups.
constexpr int32_t kVideoSystemMenuID = 151;
constexpr int32_t kLimitMethodMenuID = 152;

// The nine-item correction tab group (also gVFTabGroups.correction).
extern TKControl* gCorrectionTabs;
// The correction tabs, in order (the first selected).
extern const VFTabEntry kCorrectionTabEntries[9];
// The large image pane of layout 1 and its frame.
extern TKControl* gLargeImagePane;
extern TKControl* gLargeImageFrame;
// The picture pane below the colour-match controls.
extern TKControl* gPicturePane;
// The levels channel tab last selected (0 master to 3 blue).
extern int32_t gLevelsTabIndex;
// The image-pane cursor: 0 to 7, bit 0 Shift, bit 1 Option, bit 2 Control.
extern int32_t gImagePaneCursor;

// Builds the window once (a second call does nothing) and makes it the
// shell's main window.
QVStatus BuildMainWindow();
// Selects the tab of that name in the correction tabs, the pane selectors
// or any tab group inside a correction tab (the first found, in that
// order); false when none has it.
bool SelectMainWindowTab(const char* name);
// Shows or hides it.
void ShowMainWindow(bool shown);
// Disposes it and forgets every control and pane it held.
void DisposeMainWindow();

// The window's handler: draw content, control hits, modifier changes, key
// downs and mouse downs.
QVStatus HandleMainWindowEvents(TKEvent& event);

// Switch procedures of the tab groups (old index, new index).
void ImageViewModeSwitchProc(int32_t oldIndex, int32_t newIndex);
void AnalysisPaneSwitchProc(int32_t oldIndex, int32_t newIndex);
void LevelsChannelSwitchProc(int32_t oldIndex, int32_t newIndex);
void CorrectionTabSwitchProc(int32_t oldIndex, int32_t newIndex);

// Pane layout 1 (the large image view alone) or 2 (the image-pane and
// analysis-pane selectors side by side); other values change nothing.
void SetMainWindowPaneLayout(int32_t layout);
// Hides the controls of every pane layout (a full-screen preview covers
// them), or shows those of the current layout again.
void ShowPaneLayoutControls(bool shown);

// Draw procedure of the picture pane.
void DrawPicturePane(TKControl* pane, TKContext* ctx);
// Makes the correction tab groups active or inactive (preview playback).
void SetCorrectionTabsEnabled(bool enable);
// Hands the exchange's pixel aspect to every image pane of the window.
void SetPanesPixelAspect(float aspect);
// Resets the image panes' views; with redraw, redraws the transport bars of
// the visible panes.
void ShowImagePanes(bool redraw);

// The control surface's page follows a saved slot stored or recalled by a
// function key (slot 1 to 8, store); the surfaces install it.
using MainWindowSurfaceHook = void (*)(int32_t slot, bool store);
void SetMainWindowSurfaceHook(MainWindowSurfaceHook hook);

// The command handler a click on one of the window's push buttons goes to,
// with the button (a Reset button carries its sections); its answer is the
// click's. Without one the toolkit sends the button's command on.
using MainWindowCommandHandler = QVStatus (*)(uint32_t command, TKControl* control);
void SetMainWindowCommandHandler(MainWindowCommandHandler handler);

// The gallery window shown while the analysis selector is on "Gallery";
// the gallery installs these, until then nothing shows.
struct MainWindowGalleryHooks {
  void (*show)(bool shown) = nullptr;
  bool (*editingText)() = nullptr;
};
MainWindowGalleryHooks& MainWindowGallery();
