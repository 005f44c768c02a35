// The menus of the preferences dialog's popups. Each item's place is the
// value its preference stores (item 1 is value 1), except the undo menu,
// whose items stand for the undo depths, and the secondary-monitor menu,
// whose item n + 1 is display n.
#include <cstdio>
#include <iterator>
#include <string>

#include "app/controls/tab_group.h"
#include "app/views/scope_kinds.h"
#include "app/window/main_window.h"
#include "app/window/pane_selectors.h"
#include "app/window/preferences_dialog_internal.h"
#include "platform/ui/toolkit.h"
#include "platform/video_output.h"

namespace {

struct FixedMenu {
  int32_t id;
  const char* items[7];  // null ends the list
};
const FixedMenu kFixedMenus[] = {
    {kPrefsUndoMenuID, {"None", "1", "5", "10", "20", "50", "99"}},
    {kPrefsLevelCodingMenuID,
     {"8-bit Full Range (0-255)", "8-bit Video Range (16-235)", "10-bit Full Range (0-1023)",
      "10-bit Video Range (64-940)"}},
    {kPrefsVideoSystemMenuID, {"NTSC (Rec. 601)", "PAL (Rec. 601)", "ATSC (Rec. 709)", "SMPTE 240M"}},
    {kPrefsScalingMenuID,
     {"None", "Stretch to Fill", "Fit", "Fit with Pixel Aspect Correction", "Pixel Aspect Correction Only"}},
    {kPrefsAspectMenuID,
     {"None", "Widen (4:3 to 16:9)", "Letterbox (16:9 in 4:3)", "Widen 8:7, Narrow 6:7", "Pillarbox (4:3 in 16:9)"}},
    {kPrefsSurfaceTypeMenuID, {"None", "USB Control Panel", "MIDI Surface", "MIDI Surface (Second Unit Type)"}},
    {kPrefsSurfaceInterfaceMenuID, {"Driver Application", "Network (TCP/IP)"}},
};

constexpr int32_t kMenuIDs[] = {
    kPrefsUndoMenuID,    kPrefsLevelCodingMenuID, kPrefsVideoSystemMenuID, kPrefsLeftPaneMenuID,
    kPrefsRightPaneMenuID, kPrefsSettingsPaneMenuID, kPrefsMonitorMenuID,   kPrefsComboMenuID,
    kPrefsDeviceMenuID,  kPrefsModeMenuID,        kPrefsScalingMenuID,     kPrefsAspectMenuID,
    kPrefsSurfaceTypeMenuID, kPrefsSurfaceInterfaceMenuID,
};

void appendTabs(TKMenu* menu, const VFTabEntry* entries, size_t count) {
  for (size_t i = 0; i < count; ++i) TKAppendMenuItem(menu, entries[i].name, 0);
}

// "Computer Monitor Only", the external-preview library, then every video
// output device but the desktop's, named as it names itself.
void fillDevices(TKMenu* menu) {
  TKAppendMenuItem(menu, "Computer Monitor Only", QVFourCC("NoNE"));
  TKAppendMenuItem(menu, "    Glowcast", QVFourCC("GlOW"));
  for (int32_t i = 0; i < PLVideoDeviceCount(); ++i) {
    const PLVideoDeviceKind* kind = PLVideoDeviceAt(i);
    if (kind && kind->subtype != QVFourCC("Desk")) TKAppendMenuItem(menu, kind->name, kind->subtype);
  }
}

// "None", then each display as "<name> [<width> x <height>]"; the main
// display cannot be chosen.
void fillMonitors(TKMenu* menu) {
  TKAppendMenuItem(menu, "None", 0);
  for (int32_t i = 0; i < TKDisplayCount(); ++i) {
    const TKRect b = TKGetDisplayBounds(i);
    char text[200];
    std::snprintf(text, sizeof text, "%s [%ld x %ld]", TKGetDisplayName(i).c_str(), long(TKRectWidth(b)),
                  long(TKRectHeight(b)));
    const int32_t item = TKAppendMenuItem(menu, text, 0);
    if (i == TKGetMainDisplay()) TKEnableMenuItem(menu, item, false);
  }
}

}  // namespace

void PreferencesMenusCreate() {
  PreferencesMenusDispose();
  for (const FixedMenu& m : kFixedMenus) {
    TKMenu* menu = TKCreateMenu(m.id, "");
    for (const char* item : m.items)
      if (item) TKAppendMenuItem(menu, item, 0);
  }
  TKMenu* left = TKCreateMenu(kPrefsLeftPaneMenuID, "");
  for (const ScopeKind& kind : kScopeKinds) TKAppendMenuItem(left, kind.name, 0);
  appendTabs(TKCreateMenu(kPrefsRightPaneMenuID, ""), kImageViews, std::size(kImageViews));
  appendTabs(TKCreateMenu(kPrefsSettingsPaneMenuID, ""), kCorrectionTabEntries, std::size(kCorrectionTabEntries));
  // The combo quadrants' kinds, in the order of their display numbers.
  TKMenu* combo = TKCreateMenu(kPrefsComboMenuID, "");
  for (int32_t display = 1; display <= kScopeDisplayCount; ++display)
    TKAppendMenuItem(combo, ScopeKindOfDisplay(display) ? ScopeKindOfDisplay(display)->name : "", 0);
  fillMonitors(TKCreateMenu(kPrefsMonitorMenuID, ""));
  fillDevices(TKCreateMenu(kPrefsDeviceMenuID, ""));
  TKCreateMenu(kPrefsModeMenuID, "");
}

void PreferencesMenusDispose() {
  for (int32_t id : kMenuIDs)
    while (TKMenu* menu = TKGetMenu(id)) TKDisposeMenu(menu);
}
