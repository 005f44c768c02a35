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

constexpr uint32_t kKeyHome = 1;
constexpr uint32_t kKeyEnd = 4;
constexpr uint32_t kKeySpace = 32;
constexpr uint32_t kModifierKeys = kUIModCommand | kUIModShift | kUIModOption | kUIModControl;

// Saved slots 1 to 8 on F1 to F8.
constexpr uint32_t kSlotKeys[8] = {kUIKeyCodeF1, kUIKeyCodeF2, kUIKeyCodeF3, kUIKeyCodeF4,
                                   kUIKeyCodeF5, kUIKeyCodeF6, kUIKeyCodeF7, kUIKeyCodeF8};

struct TransportKey {
  uint32_t key;
  void (*action)(UIControl* bar);
};
const TransportKey kTransportKeys[] = {
    {kKeyHome, TransportGoToBeginning}, {kKeyEnd, TransportGoToEnd},    {kUIKeyLeft, TransportStepBackward},
    {kUIKeyRight, TransportStepForward}, {kKeySpace, TransportTogglePlay},
};

MainWindowSurfaceHook gSurfaceSelectPage = nullptr;
MainWindowCommandHandler gCommandHandler = nullptr;

// The transport bar of the pane the keys drive: the large view's when it
// shows, else the current image view's; null when neither shows.
UIControl* TransportTarget() {
  UIControl* pane = nullptr;
  if (gLargeImagePane && UIIsControlVisible(gLargeImagePane))
    pane = gLargeImagePane;
  else if (gCurrentImagePane && UIIsControlVisible(gCurrentImagePane))
    pane = gCurrentImagePane;
  return pane ? ImagePaneGetLinkedControl(pane) : nullptr;
}

QVStatus SlotKey(uint32_t keyCode, uint32_t modifiers) {
  for (int32_t i = 0; i < 8; ++i) {
    if (kSlotKeys[i] != keyCode) continue;
    const bool store = (modifiers & kUIModShift) != 0;
    if (SavedSettingsSlot(i + 1, store)) {
      if (gSurfaceSelectPage) gSurfaceSelectPage(i + 1, store);
    } else {
      UIBeep();
    }
  }
  return kQVErrNotHandled;
}

QVStatus KeyDown(const UIEvent& e) {
  const MainWindowGalleryHooks& gallery = MainWindowGallery();
  if (gAnalysisPaneKind == kAnalysisGallery && gallery.editingText && gallery.editingText()) return kQVErrNotHandled;
  UIControl* bar = TransportTarget();
  if (!bar) return kQVErrNotHandled;
  const uint32_t modifiers = e.modifiers & kModifierKeys;
  for (const TransportKey& t : kTransportKeys) {
    if (e.charCode != t.key || e.keyCode != 0) continue;
    if (modifiers) return kQVErrNotHandled;
    t.action(bar);
    return kQVNoErr;
  }
  if (e.charCode == kUIKeyEscape) {
    if (!modifiers && (gPreviewPlaying || gRapidPreviewRendering)) return kQVNoErr;
    return kQVErrNotHandled;
  }
  if (e.charCode == kUIKeyFunction || e.keyCode != 0) return SlotKey(e.keyCode, modifiers);
  if (HandleShortcutKey(e.charCode, modifiers, gCorrectionTab, gCorrectionTabs, kCorrectionTabShortcuts) ||
      HandleShortcutKey(e.charCode, modifiers, gImageViewMode, gImagePaneTabs, kImagePaneShortcuts) ||
      HandleShortcutKey(e.charCode, modifiers, gAnalysisPaneKind, gAnalysisPaneTabs, kAnalysisShortcuts))
    return kQVNoErr;
  return kQVErrNotHandled;
}

QVStatus ModifiersChanged(const UIEvent& e) {
  gImagePaneCursor = ((e.modifiers & kUIModShift) ? 1 : 0) | ((e.modifiers & kUIModOption) ? 2 : 0) |
                     ((e.modifiers & kUIModControl) ? 4 : 0);
  if (gUpdatesSuspended && !(e.modifiers & kUIModCapsLock))
    UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  return kQVErrNotHandled;
}

// A click on the background or on a tab group ends typing and the focus.
QVStatus MouseDown(const UIEvent& e) {
  UIControl* hit = UIFindControlAt(e.window, e.where);
  if (!hit || hit == UIGetRootControl(e.window) || UIGetControlID(hit).signature == kVFSigTabGroup) {
    VFCommitPendingEdit(true);
    QVClearKeyboardFocus(e.window);
  }
  return kQVErrNotHandled;
}

QVStatus ControlHit(const UIEvent& e) {
  const uint32_t command = e.control ? UIGetControlCommand(e.control) : 0;
  if (!gCommandHandler || !command) return kQVErrNotHandled;
  return gCommandHandler(command, e.control);
}

}  // namespace

void SetMainWindowCommandHandler(MainWindowCommandHandler handler) { gCommandHandler = handler; }

void SetMainWindowSurfaceHook(MainWindowSurfaceHook hook) { gSurfaceSelectPage = hook; }

QVStatus HandleMainWindowEvents(UIEvent& e) {
  switch (e.kind) {
    case kUIEventWindowDraw:
      if (e.ctx) {
        UISetFillColor(e.ctx, VFColor(kMainWindowBackgroundColor));
        UIFillRect(e.ctx, UIGetWindowContentRect(e.window));
      }
      return kQVErrNotHandled;
    case kUIEventKeyDown:
      return KeyDown(e);
    case kUIEventModifiersChanged:
      return ModifiersChanged(e);
    case kUIEventMouseDown:
      return MouseDown(e);
    case kUIEventControlHit:
      return ControlHit(e);
    default:
      return kQVErrNotHandled;
  }
}
