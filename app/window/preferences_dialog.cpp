#include "app/window/preferences_dialog.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "app/state/save_failure.h"
#include "platform/fourcc.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"

namespace {

constexpr uint32_t kCommandOK = QVFourCC("ok  ");
constexpr uint32_t kCommandCancel = QVFourCC("not!");
// The undo depths of the popup's items 1 to 7.
constexpr int32_t kUndoDepths[7] = {0, 1, 5, 10, 20, 50, 99};
// The longest keep-alive the field takes: one day.
constexpr int32_t kMaxTimeoutMinutes = 24 * 60;

void (*gOpenedHook)(PreferencesDialog*) = nullptr;

struct Edited {
  int32_t toolTips, undoDepthMenuItem, undoDepth, uiTimeoutMinutes, useOldStyleGamma, gammaAdjust;
  bool operator==(const Edited&) const = default;
};

Edited editedOf(const PrefsSettings& p) {
  return Edited{p.toolTips, p.undoDepthMenuItem, p.undoDepth, p.uiTimeoutMinutes, p.useOldStyleGamma,
                p.externalPreviewGammaAdjust};
}

void build(PreferencesDialog* d) {
  const PrefsSettings& p = gPrefsSettings;
  d->window = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, 420, 230), "Preferences");
  TKWindow* w = d->window;
  d->toolTips = TKNewCheckBox(w, TKRect{16, 20, 36, 400}, "Show tool tips", p.toolTips ? 1 : 0);
  TKNewStaticText(w, TKRect{48, 20, 66, 170}, "Undo depth:");
  d->undoMenu = TKCreateMenu(kPreferencesUndoMenuID, "");
  for (int32_t depth : kUndoDepths) TKAppendMenuItem(d->undoMenu, std::to_string(depth).c_str(), 0);
  d->undoDepth = TKNewPopupButton(w, TKRect{44, 180, 68, 300}, "", d->undoMenu, std::clamp(p.undoDepthMenuItem, 1, 7));
  TKNewStaticText(w, TKRect{82, 20, 100, 170}, "UI timeout (minutes):");
  d->timeout = TKNewEditText(w, TKRect{80, 180, 102, 240}, std::to_string(p.uiTimeoutMinutes).c_str());
  d->oldStyleGamma = TKNewCheckBox(w, TKRect{114, 20, 134, 400}, "Use old style gamma", p.useOldStyleGamma ? 1 : 0);
  d->gammaAdjust = TKNewCheckBox(w, TKRect{140, 20, 160, 400}, "External preview gamma adjust",
                                 p.externalPreviewGammaAdjust ? 1 : 0);
  d->cancel = TKNewPushButton(w, TKRect{190, 236, 212, 316}, "Cancel", kCommandCancel);
  d->ok = TKNewPushButton(w, TKRect{190, 324, 212, 404}, "OK", kCommandOK);
  TKSetDefaultButton(w, d->ok);
  TKSetCancelButton(w, d->cancel);
  TKCenterWindow(w, nullptr);
  if (p.prefsWindowH >= 0 && p.prefsWindowV >= 0) {
    const TKRect b = TKGetWindowBounds(w);
    TKSetWindowBounds(w, TKMakeRect(p.prefsWindowH, p.prefsWindowV, TKRectWidth(b), TKRectHeight(b)));
  }
}

// The controls into the record; a timeout that is not a whole number of
// minutes from 0 to a day keeps the old value.
void take(const PreferencesDialog& d, PrefsSettings* p) {
  p->toolTips = TKGetControlValue(d.toolTips) ? 1 : 0;
  const int32_t item = std::clamp(TKGetControlValue(d.undoDepth), 1, 7);
  p->undoDepthMenuItem = item;
  p->undoDepth = kUndoDepths[item - 1];
  const std::string text = TKGetEditText(d.timeout);
  int32_t minutes = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), minutes);
  if (r.ec == std::errc() && r.ptr == text.data() + text.size() && minutes >= 0 && minutes <= kMaxTimeoutMinutes)
    p->uiTimeoutMinutes = minutes;
  p->useOldStyleGamma = TKGetControlValue(d.oldStyleGamma) ? 1 : 0;
  p->externalPreviewGammaAdjust = TKGetControlValue(d.gammaAdjust) ? 1 : 0;
}

}  // namespace

void SetPreferencesDialogOpenedHook(void (*hook)(PreferencesDialog*)) { gOpenedHook = hook; }

bool RunLeastPreferencesDialog(int32_t* lastTab) {
  const Edited before = editedOf(gPrefsSettings);
  PreferencesDialog d;
  build(&d);
  TKInstallWindowHandler(d.window, [&d](TKEvent& e) -> QVStatus {
    if (e.kind != kTKEventCommand || (e.command != kCommandOK && e.command != kCommandCancel)) return kQVErrNotHandled;
    if (e.command == kCommandOK) take(d, &gPrefsSettings);
    TKEndModal(d.window, e.command == kCommandOK ? 1 : 0);
    return kQVNoErr;
  });
  TKShowWindow(d.window);
  if (gOpenedHook) gOpenedHook(&d);
  TKRunModal(d.window);
  const TKRect b = TKGetWindowBounds(d.window);
  gPrefsSettings.prefsWindowTab = 0;
  gPrefsSettings.prefsWindowH = b.left;
  gPrefsSettings.prefsWindowV = b.top;
  TKDisposeWindow(d.window);
  TKDisposeMenu(d.undoMenu);
  UISavePreferences();
  if (lastTab) *lastTab = 0;
  return !(editedOf(gPrefsSettings) == before);
}
