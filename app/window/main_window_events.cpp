// The main window's event handler: transport keys for the pane on show, the
// shortcut tables, the saved-slot function keys, the image-pane cursor and
// Caps Lock, clicks that leave typing, and the window's background.
#include "app/controls/bound_controls.h"
#include "app/controls/value_slider.h"
#include "app/state/focus_text.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/views/transport_bar.h"
#include "app/window/main_window.h"
#include "app/window/pane_selectors.h"
#include "app/window/shortcut_keys.h"
#include "platform/ui/toolkit.h"

namespace {

constexpr uint32_t kModifierKeys = kTKModCommand | kTKModShift | kTKModOption | kTKModControl;

// Saved slots 1 to 8 on F1 to F8.
constexpr uint32_t kSlotKeys[8] = {kTKKeyCodeF1, kTKKeyCodeF2, kTKKeyCodeF3, kTKKeyCodeF4,
                                   kTKKeyCodeF5, kTKKeyCodeF6, kTKKeyCodeF7, kTKKeyCodeF8};

MainWindowSurfaceHook gSurfaceSelectPage = nullptr;
MainWindowCommandHandler gCommandHandler = nullptr;

// The transport bar of the pane the keys drive: the large view's when it
// shows, else the current image view's; null when neither shows.
TKControl* TransportTarget() {
  TKControl* pane = nullptr;
  if (gLargeImagePane && TKIsControlVisible(gLargeImagePane))
    pane = gLargeImagePane;
  else if (gCurrentImagePane && TKIsControlVisible(gCurrentImagePane))
    pane = gCurrentImagePane;
  return pane ? ImagePaneGetLinkedControl(pane) : nullptr;
}

QVStatus SlotKey(uint32_t keyCode, uint32_t modifiers) {
  for (int32_t i = 0; i < 8; ++i) {
    if (kSlotKeys[i] != keyCode) continue;
    const bool store = (modifiers & kTKModShift) != 0;
    if (SavedSettingsSlot(i + 1, store)) {
      if (gSurfaceSelectPage) gSurfaceSelectPage(i + 1, store);
    } else {
      TKBeep();
    }
  }
  return kQVErrNotHandled;
}

QVStatus KeyDown(const TKEvent& e) {
  const MainWindowGalleryHooks& gallery = MainWindowGallery();
  if (gAnalysisPaneKind == kAnalysisGallery && gallery.editingText && gallery.editingText()) return kQVErrNotHandled;
  TKControl* bar = TransportTarget();
  if (!bar) return kQVErrNotHandled;
  const uint32_t modifiers = e.modifiers & kModifierKeys;
  if (TransportAction action = TransportKeyAction(e.charCode, e.keyCode)) {
    if (modifiers) return kQVErrNotHandled;
    action(bar);
    return kQVNoErr;
  }
  if (e.charCode == kTKKeyEscape) {
    if (!modifiers && (gPreviewPlaying || gRapidPreviewRendering)) return kQVNoErr;
    return kQVErrNotHandled;
  }
  if (e.charCode == kTKKeyFunction || e.keyCode != 0) return SlotKey(e.keyCode, modifiers);
  if (HandleShortcutKey(e.charCode, modifiers, gCorrectionTab, gCorrectionTabs, kCorrectionTabShortcuts) ||
      HandleShortcutKey(e.charCode, modifiers, gImageViewMode, gImagePaneTabs, kImagePaneShortcuts) ||
      HandleShortcutKey(e.charCode, modifiers, gAnalysisPaneKind, gAnalysisPaneTabs, kAnalysisShortcuts))
    return kQVNoErr;
  return kQVErrNotHandled;
}

QVStatus ModifiersChanged(const TKEvent& e) {
  gImagePaneCursor = ((e.modifiers & kTKModShift) ? 1 : 0) | ((e.modifiers & kTKModOption) ? 2 : 0) |
                     ((e.modifiers & kTKModControl) ? 4 : 0);
  if (gUpdatesSuspended && !(e.modifiers & kTKModCapsLock))
    UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  return kQVErrNotHandled;
}

// A click on the background or on a tab group ends typing and the focus.
QVStatus MouseDown(const TKEvent& e) {
  TKControl* hit = TKFindControlAt(e.window, e.where);
  if (!hit || hit == TKGetRootControl(e.window) || TKGetControlID(hit).signature == kVFSigTabGroup) {
    VFCommitPendingEdit(true);
    QVClearKeyboardFocus(e.window);
  }
  return kQVErrNotHandled;
}

QVStatus ControlHit(const TKEvent& e) {
  const uint32_t command = e.control ? TKGetControlCommand(e.control) : 0;
  if (!gCommandHandler || !command) return kQVErrNotHandled;
  return gCommandHandler(command, e.control);
}

}  // namespace

void SetMainWindowCommandHandler(MainWindowCommandHandler handler) { gCommandHandler = handler; }

void SetMainWindowSurfaceHook(MainWindowSurfaceHook hook) { gSurfaceSelectPage = hook; }

QVStatus HandleMainWindowEvents(TKEvent& e) {
  switch (e.kind) {
    case kTKEventWindowDraw:
      if (e.ctx) {
        TKSetFillColor(e.ctx, VFColor(kMainWindowBackgroundColor));
        TKFillRect(e.ctx, TKGetWindowContentRect(e.window));
      }
      return kQVErrNotHandled;
    case kTKEventKeyDown:
      return KeyDown(e);
    case kTKEventModifiersChanged:
      return ModifiersChanged(e);
    case kTKEventMouseDown:
      return MouseDown(e);
    case kTKEventControlHit:
      return ControlHit(e);
    default:
      return kQVErrNotHandled;
  }
}
