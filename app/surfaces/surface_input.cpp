#include "app/surfaces/surface_input.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "app/controls/bound_controls.h"
#include "app/controls/hue_wheel.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/surfaces/surface_jog.h"
#include "app/surfaces/surface_lights.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/views/transport_bar.h"
#include "app/window/main_window.h"
#include "app/window/pane_selectors.h"
#include "core/settings_record.h"
#include "platform/ui/toolkit.h"

SurfaceInputState gSurfaceInput;

const int32_t kSurfaceShuttleSpeeds[25] = {-500, -400, -300, -200, -100, -50, -40, -30, -20, -10, -5, -1, 0,
                                           1,    5,    10,   20,   30,   40,   50,  100, 200, 300, 400, 500};

namespace {

constexpr int32_t kBurstLimit = 11;
constexpr int32_t kLimiterTabItem = 8;
constexpr double kWipeStep = 0.005;
constexpr int32_t kLimiterEnableOffset = int32_t(offsetof(VL_SettingsStruct, limiter_enable));

SurfaceInputState& S() { return gSurfaceInput; }

uint32_t* WordAt(int32_t offset) {
  if (offset < 0 || offset + 4 > kVLSettingsByteCount || offset % 4 != 0) return nullptr;
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(&gUISettings) + offset);
}

TKControl* ControlAt(int32_t offset) {
  if (offset < 0 || offset >= kVLSettingsByteCount) return nullptr;
  TKControl* c = gSettingsControls[offset / 4];
  return c && TKIsControlAlive(c) ? c : nullptr;
}

// The word a check box or popup writes; null for any other control.
uint32_t* BoundWord(TKControl* control) {
  const uint32_t kind = TKGetControlID(control).signature;
  if (kind != kVFSigCheckBox && kind != kVFSigPopup) return nullptr;
  return static_cast<uint32_t*>(VFGetPointerProperty(control, kVFPropOffset));
}

// An edit through a control: one undo step per control touched in a row,
// as the mouse makes them.
void BeforeEdit(TKControl* control) { VFTakeUndoSnapshot(control); }
void AfterEdit() {
  UndoBufferStore(gUndoBuffer, &gUISettings);
  S().reprocessWanted = 1;
}

// The three main-window image panes, right first; the last visible one.
TKControl* VisiblePane() {
  TKControl* chosen = nullptr;
  for (TKControl* pane : {GetViewPane(kPaneReferenceAnalysis), gCurrentImagePane, GetLayoutImagePane(1)})
    if (pane && TKIsControlAlive(pane) && TKIsControlVisible(pane)) chosen = pane;
  return chosen;
}

TKControl* SurfaceBar() {
  TKControl* pane = S().surfacePane;
  return pane ? ImagePaneGetLinkedControl(pane) : nullptr;
}

TKControl* PaneGroup(int32_t which) {
  TKControl* const groups[3] = {gImagePaneTabs, gAnalysisPaneTabs, gCorrectionTabs};
  return groups[which];
}

void StepTab(int32_t which, int32_t steps) {
  TKControl* group = PaneGroup(which);
  if (!group) return;
  const int64_t index = std::max<int64_t>(std::min<int64_t>(int64_t(TabGroupGetCurrent(group)) + steps,
                                                            TabGroupGetCount(group) - 1), 0);
  TabGroupSelect(group, int32_t(index));
}

void ToggleTab(int32_t which) {
  TKControl* group = PaneGroup(which);
  if (!group) return;
  const int32_t current = TabGroupGetCurrent(group);
  if (current != 0) {
    S().lastTab[which] = current;
    TabGroupSelect(group, 0);
  } else {
    TabGroupSelect(group, std::max(std::min(S().lastTab[which], TabGroupGetCount(group) - 1), 0));
  }
}

void AdjustSlider(TKControl* target, int32_t delta, float scale) {
  VFValueSlider* record = VFGetValueSlider(target);
  if (!record || !record->slider) return;
  VFCommitPendingEdit(true);
  TKControl* slider = record->slider;
  const int32_t value = TKGetControlValue(slider);
  const double range = double(TKGetControlMaximum(slider)) - double(TKGetControlMinimum(slider));
  const double step = double(delta) * double(scale) * 54.61333333333334 * range / 65536.0 + 0.5;
  if (!std::isfinite(step)) return;
  const double next = double(value) + std::trunc(std::clamp(step, -4294967296.0, 4294967296.0));
  BeforeEdit(slider);
  // The slider holds the value to its range; the field takes what it shows.
  TKSetControlValue(slider, int32_t(std::clamp(next, -2147483648.0, 2147483647.0)));
  const int32_t held = TKGetControlValue(slider);
  VFUpdateValueText(slider, held);
  VFWriteControlValue(slider, held, false);
  AfterEdit();
}

void ToggleControl(const SurfaceControlDefinition& d, TKControl* target) {
  if (d.targetControl == kLimiterEnableOffset) {
    BeforeEdit(target);
    gUISettings.limiter_enable = gUISettings.limiter_enable ? 0 : 1;
    TabGroupSetItemCheck(gCorrectionTabs, kLimiterTabItem, int32_t(gUISettings.limiter_enable));
    AfterEdit();
    return;
  }
  if (!target) return;
  BeforeEdit(target);
  int32_t value = TKGetControlValue(target);
  if (value == 0 || value == 1) value = 1 - value;
  TKSetControlValue(target, value);
  if (uint32_t* word = BoundWord(target)) *word = value != 0 ? 1 : 0;
  EnableEnclosingTabs(target, 1, true);
  AfterEdit();
}

void SetControlValue(const SurfaceControlDefinition& d, TKControl* target) {
  if (!target) return;
  BeforeEdit(target);
  VFSetControlValue16(target, int16_t(SurfaceRound(d.scaleX)));
  if (uint32_t* word = BoundWord(target)) *word = TKGetControlValue(target) != 0 ? 1 : 0;
  EnableEnclosingTabs(target, 1, true);
  AfterEdit();
}

void WipeRightPane(int32_t delta) {
  TKControl* pane = GetViewPane(kPaneReferenceAnalysis);
  if (!pane || !ImagePaneGetSplitLineShown(pane)) return;
  float x1, y1, x2, y2;
  ImagePaneGetSplitLine(pane, &x1, &y1, &x2, &y2);
  const float move = float(double(delta) * kWipeStep);
  ImagePaneSetSplitLine(pane, std::clamp(x1 + move, 0.0f, 1.0f), y1, std::clamp(x2 + move, 0.0f, 1.0f), y2);
  GetVisibleSplitLine(pane, &x1, &y1, &x2, &y2);
  BuildSplitViewMask(gSplitMaskGWorld, x1, y1, x2, y2);
  S().reprocessWanted = 1;
}

void UseSlot(int32_t slot, bool store) {
  if (SavedSettingsSlot(slot, store)) gLastSavedSettingsSlot = slot;
  else TKBeep();
}

// The reset path of a definition: its target fields go back to their defaults.
void ResetTargets(const SurfaceControlDefinition& d) {
  uint32_t* word1 = WordAt(d.target1);
  uint32_t* word2 = WordAt(d.target2);
  if (!word1 && !word2) return;
  auto defaults = std::make_unique<VL_SettingsStruct>();
  std::memset(defaults.get(), 0, sizeof *defaults);
  VL_SetDefaultControlValues(defaults.get(), kVLMaskAll);
  const uint8_t* base = reinterpret_cast<const uint8_t*>(defaults.get());
  if (word1) std::memcpy(word1, base + d.target1, 4);
  if (word2) std::memcpy(word2, base + d.target2, 4);
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, kVFSyncApply);
  S().reprocessWanted = 1;
}

// The whole correction back to its defaults, undoably.
void ResetCorrection() {
  VFCommitPendingEdit(true);
  UndoBufferPush(gUndoBuffer, &gUISettings);
  auto previous = std::make_unique<VL_SettingsStruct>(gUISettings);
  VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
  VFForgetUndoControl();
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, previous.get(), kVFSyncApply);
  VFUpdatePreview();
  UndoBufferStore(gUndoBuffer, &gUISettings);
}

void CloseResetWindow() {
  if (S().resetWindowTimer) TKRemoveTimer(S().resetWindowTimer);
  S().resetWindowTimer = nullptr;
  S().resetWindowOpen = 0;
}

void ResetButton(int32_t value) {
  SurfaceSetLight(7, value == 0);
  S().resetHeld = value == 0;
  if (S().resetHeld && S().resetWindowOpen) {
    ResetCorrection();
    CloseResetWindow();
    return;
  }
  // The window runs from the first press: later events while it is open
  // keep its one timer.
  if (S().resetWindowOpen) return;
  S().resetWindowOpen = 1;
  S().resetWindowTimer = TKInstallTimer(kSurfaceResetWindowSeconds, 0, [](TKTimer*) { SurfaceResetWindowTimer(); });
}

// The single and double click codes of a button; false for other codes.
bool ClickCodes(int32_t code, int32_t* single, int32_t* dbl) {
  if (code >= kSurfaceButtonN1 && code <= kSurfaceButtonN8) {
    *single = 513 + code - kSurfaceButtonN1, *dbl = 521 + code - kSurfaceButtonN1;
  } else if (code >= kSurfaceEncoderButtonN1 && code < kSurfaceButtonN1) {
    *single = 529 + code - kSurfaceEncoderButtonN1, *dbl = 535 + code - kSurfaceEncoderButtonN1;
  } else if (code >= kSurfaceButtonSB1 && code <= kSurfaceButtonSR3) {
    *single = 541 + code - kSurfaceButtonSB1, *dbl = 547 + code - kSurfaceButtonSB1;
  } else {
    return false;
  }
  return true;
}

// Delivers the pending click as a single or double click and forgets it.
void ResolveClick() {
  const int32_t code = S().clickCount < 2 ? S().singleCode : S().doubleCode;
  S().pendingCode = -1;
  S().clickCount = S().clickTicks = S().singleCode = S().doubleCode = 0;
  SurfaceHandleInput(int16_t(code), 0);
}

void CountClick(int32_t code) {
  int32_t single = 0, dbl = 0;
  if (!ClickCodes(code, &single, &dbl)) return;
  if (S().pendingCode != code) {
    if (S().pendingCode >= 0) ResolveClick();
    S().pendingCode = code;
    S().clickCount = S().clickTicks = 0;
    S().singleCode = single;
    S().doubleCode = dbl;
  }
  ++S().clickCount;
}

void Reprocess() {
  VFUpdatePreview();
  S().updatePending = 0;
  S().burstCount = S().quietTicks = 0;
}

void BuiltIn(int32_t code, int32_t value) {
  if (code == kSurfaceButtonMStop || code == kSurfaceButtonMPlay) {
    TKControl* bar = SurfaceBar();
    // With no visible pane there is no transport to act on.
    if (value == 1 && bar && TransportIsPlaying(bar) == (code == kSurfaceButtonMStop)) TransportTogglePlay(bar);
  } else if ((code >= kSurfaceButtonMF1 && code < kSurfaceButtonMF1 + 6) || code == kSurfaceButtonMF7 ||
             code == kSurfaceButtonMF8) {
    if (value != 1) return;
    const int32_t slot = code >= kSurfaceButtonMF7 ? 7 + code - kSurfaceButtonMF7 : 1 + code - kSurfaceButtonMF1;
    if (SavedSettingsSlot(slot, S().shift != 0)) {
      S().currentSlot = slot;
      S().shift = 0;
      gLastSavedSettingsSlot = slot;
      SurfaceSetSlotLEDs(int16_t(slot), 0);
    } else {
      TKBeep();
    }
  } else if (code == kSurfaceWheel) {
    if (TransportPlayingCount() == 0) SurfaceJogAdd(S().surfacePane, value);
  } else if (code == kSurfaceRing) {
    S().shuttleSpeed = kSurfaceShuttleSpeeds[std::clamp(value, -12, 12) + 12];
  } else if (code == kSurfaceShift) {
    if (value != 1) return;
    S().shift = !S().shift;
    SurfaceSetSlotLEDs(int16_t(S().currentSlot), S().shift);
  } else if (code >= kSurfaceButtonMP1 && code <= kSurfaceButtonMP8) {
    if (value == 1) SurfaceSetBankLEDs(int16_t(code - kSurfaceButtonMP1 + 1));
  } else if (code >= kSurfacePageS1 && code <= kSurfacePageS7) {
    if (value == 0) SurfaceShowPageHeader(code - kSurfacePageS1 + 1);
  } else if (code == kSurfacePageS8) {
    ResetButton(value);
  } else if ((code >= kSurfaceButtonSB1 && code <= kSurfaceButtonSR3) ||
             (code >= kSurfaceEncoderButtonN1 && code <= kSurfaceButtonN8)) {
    if (value == 0) CountClick(code);
  }
}

}  // namespace

bool SurfaceApplyControlDelta(const SurfaceControlDefinition* first, int32_t count, int16_t code, int32_t delta) {
  const SurfaceControlDefinition* found = nullptr;
  for (int32_t i = 0; first && i < count && !found; ++i)
    if (first[i].controlID == code) found = &first[i];
  if (!found) return false;
  const SurfaceControlDefinition& d = *found;
  TKControl* target = ControlAt(d.targetControl);
  const bool button = delta == 0;
  if (S().resetHeld || (TKGetModifiers() & kTKModShift)) {
    ResetTargets(d);
  } else {
    switch (d.action) {
      case kSurfaceActionAdjustSlider:
        if (target) AdjustSlider(target, delta, d.scaleX);
        break;
      case kSurfaceActionAdjustHueOffset:
        if (target) {
          BeforeEdit(target);
          HueWheelNudge(target, SurfaceRound(float(delta) * d.scaleX), SurfaceRound(float(delta) * d.scaleY), false);
          AfterEdit();
        }
        break;
      case kSurfaceActionAdjustHueAngle:
        if (target) {
          BeforeEdit(target);
          HueWheelRotate(target, float(delta) * d.scaleX, true);
          AfterEdit();
        }
        break;
      case kSurfaceActionSelectLeftPane:
      case kSurfaceActionSelectRightPane:
      case kSurfaceActionSelectSettingsPane:
        StepTab(d.action - kSurfaceActionSelectLeftPane, SurfaceRound(float(delta) * d.scaleX));
        break;
      case kSurfaceActionToggleLeftPane:
      case kSurfaceActionToggleRightPane:
      case kSurfaceActionToggleSettingsPane:
        if (button) ToggleTab(d.action - kSurfaceActionToggleLeftPane);
        break;
      case kSurfaceActionWipeRightPane: WipeRightPane(delta); break;
      case kSurfaceActionSaveSettings:
      case kSurfaceActionRestoreSettings:
        if (button) UseSlot(SurfaceRound(d.scaleX), d.action == kSurfaceActionSaveSettings);
        break;
      case kSurfaceActionToggleControl:
        if (button) ToggleControl(d, target);
        break;
      case kSurfaceActionSetControlValue:
        if (button) SetControlValue(d, target);
        break;
      default: break;  // none, wipe_left_pane and the compare actions do nothing
    }
  }
  if (d.updateLEDs) SurfaceSendControlValues(first, count);
  return true;
}

void SurfaceHandleInput(int16_t code, int32_t value) {
  if (code == kSurfaceAnnounceID && value == 1) S().ready = 1;
  S().surfacePane = VisiblePane();
  if (!S().ready) return;
  if (SurfaceControlDefinition* page = SurfacePageControls(gSurfaceCurrentPage))
    if (SurfaceApplyControlDelta(page, kSurfaceControlsPerPage, code, value)) return;
  if (code <= kSurfaceButtonN8) BuiltIn(code, value);
}

void SurfaceInputCallbackProc(int16_t code, int32_t value, int32_t) { SurfaceHandleInput(code, value); }

void SurfaceSelectSlot(int16_t slot, uint8_t shift) {
  S().currentSlot = slot;
  S().shift = shift;
  SurfaceSetSlotLEDs(slot, shift);
  SurfaceRefreshPage();
}

void SurfacePollTimer() {
  bool run = false;
  if (S().reprocessWanted) {
    S().updatePending = 1;
    S().quietTicks = 0;
    S().reprocessWanted = 0;
    ++S().burstCount;
    if (S().burstCount < kBurstLimit) S().quietTicks = 1;
    else run = true;
  } else if (S().updatePending) {
    run = true;
  }
  if (run) Reprocess();
  if (S().pendingCode >= 0 && ++S().clickTicks >= kSurfaceClickTicks) ResolveClick();
}

void SurfaceShuttleTimer() {
  const int32_t speed = S().shuttleSpeed;
  if (TransportPlayingCount() > 0) {
    int32_t current = 0, step = 0, last = 0;
    ViewsHooks& hooks = ViewsHooksInForce();
    if (speed == 0 || !hooks.hostFrameTimes || !hooks.hostFrameTimes(&current, &step, &last)) return;
    const int64_t next = int64_t(current) + int64_t(speed) * step;
    const int64_t held = std::clamp<int64_t>(next, 0, std::max(0, last));
    if (hooks.hostLoadFrameAt) QVIgnoreStatus(hooks.hostLoadFrameAt(int32_t(held)));  // playback shows what came
    if (held != next) SurfaceSetTransportLEDs(2);
  } else if (speed != 0) {
    SurfaceJogAdd(S().surfacePane, speed);
  } else if (gJogFrames == 0) {
    gJogStepPending = 0;
  }
}

void SurfaceResetWindowTimer() {
  // The timer is one-shot: it is gone once it has run.
  S().resetWindowTimer = nullptr;
  S().resetWindowOpen = 0;
}

void SurfaceInputReset() {
  CloseResetWindow();
  S() = SurfaceInputState{};
}
