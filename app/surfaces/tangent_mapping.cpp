// Dispatch of the panel's control codes through the mapping tables, the
// value fields on the displays, and the 0.02 s tick that batches
// reprocessing and undo steps.
#include "app/surfaces/tangent_mapping.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/controls/bound_controls.h"
#include "app/controls/hue_wheel.h"
#include "app/controls/levels_control.h"
#include "app/controls/settings_sync.h"
#include "app/controls/special_setters.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "app/surfaces/tangent_link.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/views/transport_bar.h"
#include "app/window/main_window.h"
#include "app/window/pane_selectors.h"
#include "core/settings_record.h"
#include "platform/ui/toolkit.h"
#include "support/threads.h"

namespace {

constexpr uint32_t kShiftKey = 0x200;
constexpr double kStepUnit = 54.61333333333334;
constexpr int32_t kUpdateBatchTicks = 11;  // during continuous motion, reprocess every 11th tick
constexpr int32_t kUndoIdleTicks = 33;     // a gesture's undo step closes after this many idle ticks
constexpr uint32_t kNoMatch = 0xFFFFFFFF;

// Settings tab of each mode (modes 8 and 9 have none of their own).
constexpr int32_t kModeSettingsTab[kTangentModeCount] = {0, 1, 2, 3, 5, 7, 8, 0, 0};

struct MappingState {
  int32_t mode = 1;
  int32_t page = 1;
  TKControl* lastLevels = nullptr;
  int32_t lastLevelsPage = 1;
  bool changed = false;
  bool levelsChanged = false;
  bool updatePending = false;
  bool levelsPending = false;
  int32_t idleTicks = 0;
  int32_t changeCount = 0;
  bool dragOpen = false;
  int32_t undoIdle = 0;
  int32_t rememberedTab[3] = {0, 0, 0};
};
MappingState gState;

bool gDefaultsBuilt = false;
VL_SettingsStruct gDefaults;

uint8_t* WorkingBytes() { return reinterpret_cast<uint8_t*>(&gUISettings); }

bool ValidField(uint32_t offset) { return offset != kTangentNoField && offset + 4 <= sizeof(VL_SettingsStruct); }

float LoadFloat(uint32_t offset) {
  float v = 0;
  std::memcpy(&v, WorkingBytes() + offset, 4);
  return v;
}
void StoreFloat(uint32_t offset, float v) { std::memcpy(WorkingBytes() + offset, &v, 4); }
uint32_t LoadWord(uint32_t offset) {
  uint32_t v = 0;
  std::memcpy(&v, WorkingBytes() + offset, 4);
  return v;
}
void StoreWord(uint32_t offset, uint32_t v) { std::memcpy(WorkingBytes() + offset, &v, 4); }

TKControl* ControlAt(uint32_t offset) { return ValidField(offset) ? gSettingsControls[offset / 4] : nullptr; }

int32_t RoundHalfAway(double v) {
  if (!std::isfinite(v)) return 0;
  if (v > 2e9) return 2000000000;
  if (v < -2e9) return -2000000000;
  return int32_t(std::lround(v));
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }
float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

void BuildDefaults() {
  if (gDefaultsBuilt) return;
  std::memset(&gDefaults, 0, sizeof gDefaults);
  VL_SetDefaultControlValues(&gDefaults, kVLMaskAll);
  gDefaultsBuilt = true;
}

void BeginUndo() {
  if (!gState.dragOpen) {
    UndoBufferPush(gUndoBuffer, &gUISettings);
    gState.dragOpen = true;
  }
  gState.undoIdle = 0;
}

void CloseUndo() {
  if (!gState.dragOpen) return;
  UndoBufferStore(gUndoBuffer, &gUISettings);
  gState.dragOpen = false;
}

void SyncAll() { SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, kVFSyncApply); }

void Reprocess() { UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true); }

// Sets the entry's fields to their defaults; whether any was written.
bool ResetFields(const TangentMapEntry& e) {
  bool wrote = false;
  const auto* defaults = reinterpret_cast<const uint8_t*>(&gDefaults);
  for (const uint32_t f : {e.value, e.value2}) {
    if (!ValidField(f)) continue;
    std::memcpy(WorkingBytes() + f, defaults + f, 4);
    wrote = true;
  }
  if (wrote) {
    SyncAll();
    gState.changed = true;
  }
  return wrote;
}

// The image panes that carry a transport bar, in the order they are tried;
// the last visible one is the transport target.
TKControl* TransportPane() {
  TKControl* const candidates[3] = {gReferenceTransportBar ? TransportGetPane(gReferenceTransportBar) : nullptr,
                                    gCurrentImagePane, gLargeImagePane};
  TKControl* found = nullptr;
  for (TKControl* pane : candidates)
    if (pane && TKIsControlVisible(pane) && ImagePaneGetLinkedControl(pane)) found = pane;
  return found;
}

void TransportPlayState(TKControl* bar, bool play) {
  if (bar && TransportIsPlaying(bar) != play) TransportTogglePlay(bar);
}

void TransportSteps(TKControl* bar, int32_t count) {
  if (!bar) return;
  for (int32_t i = 0; i < count; ++i) TransportStepForward(bar);
  for (int32_t i = 0; i > count; --i) TransportStepBackward(bar);
}

// Handles the transport codes; false for every other code.
bool DispatchTransport(uint32_t code, int32_t value) {
  if (code < 0x4000 || code > 0x400B || (code >= 0x4005 && code <= 0x400A)) return false;
  TKControl* pane = TransportPane();
  TKControl* bar = pane ? ImagePaneGetLinkedControl(pane) : nullptr;
  if (!bar) return true;
  if (code == 0x400B) {
    TransportSteps(bar, value);
    return true;
  }
  if (value != 0) return true;
  switch (code) {
    case 0x4000: TransportPlayState(bar, false); break;
    case 0x4001: TransportPlayState(bar, true); break;
    case 0x4003: TransportPlayState(bar, false); TransportGoToBeginning(bar); break;
    case 0x4004: TransportPlayState(bar, false); TransportGoToEnd(bar); break;
    default: break;
  }
  return true;
}

void SelectClamped(TKControl* group, int32_t item) {
  if (!group) return;
  const int32_t count = TabGroupGetCount(group);
  if (count <= 0) return;
  TabGroupSelect(group, Clamp(item, 0, count - 1));
}

TKControl* TabGroupOfKind(uint32_t which) {
  switch (which) {
    case 0: return gAnalysisPaneTabs;
    case 1: return gImagePaneTabs;
    default: return gCorrectionTabs;
  }
}

TKControl* NestedTabGroup() {
  if (!gCorrectionTabs) return nullptr;
  TKControl* pane = TabGroupGetPane(gCorrectionTabs, TabGroupGetCurrent(gCorrectionTabs));
  return pane ? FindTabGroupControl(pane) : nullptr;
}

void WriteLayout(int32_t mode, int32_t page) {
  const TangentLayoutPage* layout = TangentLayoutTable(mode, page);
  if (!layout) return;
  for (uint32_t i = 0; i < layout->lineCount && i < uint32_t(kTangentMaxLayoutLines); ++i) {
    const TangentLayoutLine& line = layout->lines[i];
    if (line.skip == 0)
      TangentWriteDisplayLine(int32_t(line.display), int32_t(line.line), line.text, kTangentJustifyCentre);
  }
}

void ShowAll(TangentPanel* panel) {
  const TangentMapPage* map = TangentMapTable(gState.mode, gState.page);
  if (map) TangentShowPageValues(panel, map->entries, kTangentAllCodes);
}

// Switches to (mode, page) when usable: its layout, then its values.
bool SwitchTo(TangentPanel* panel, int32_t mode, int32_t page) {
  if (!TangentPageUsable(mode, page)) return false;
  WriteLayout(mode, page);
  gState.mode = mode;
  gState.page = page;
  ShowAll(panel);
  return true;
}

void StepMode(TangentPanel* panel, int32_t step) {
  int32_t next = gState.mode + step;
  if (next <= 0) {
    next = 1;
    for (int32_t m = kTangentModeCount; m >= 1; --m)
      if (TangentPageUsable(m, 1)) {
        next = m;
        break;
      }
  } else if (next > kTangentModeCount) {
    next = 1;
  }
  if (next == gState.mode) return;
  gState.page = 1;
  SwitchTo(panel, next, 1);
}

void StepPage(TangentPanel* panel, int32_t step) {
  int32_t next = gState.page + step;
  if (next <= 0) {
    next = 1;
    for (int32_t p = kTangentPageCount; p >= 1; --p)
      if (TangentPageUsable(gState.mode, p)) {
        next = p;
        break;
      }
  } else if (next > kTangentPageCount) {
    next = 1;
  }
  // The first usable page from next upward, wrapping; six tries at most.
  for (int32_t tries = 0; tries < kTangentPageCount; ++tries) {
    if (TangentPageUsable(gState.mode, next)) {
      if (next != gState.page) SwitchTo(panel, gState.mode, next);
      return;
    }
    next = next >= kTangentPageCount ? 1 : next + 1;
  }
}

void ApplySlider(const TangentMapEntry& e, TKControl* control, int32_t count) {
  if (control) {
    VFCommitPendingEdit(true);
    BeginUndo();
    VFValueSlider* record = VFGetValueSlider(control);
    TKControl* slider = record && record->slider ? record->slider : control;
    const int32_t value = TKGetControlValue(slider);
    const int32_t min = TKGetControlMinimum(slider);
    const int32_t max = TKGetControlMaximum(slider);
    const double step =
        std::trunc(double(e.scale) * count * kStepUnit * (max * (1.0 / 65536) - min * (1.0 / 65536)) + 0.5);
    double next = double(value) + (std::isfinite(step) ? step : 0.0);
    if (next < min) next = min;
    if (next > max) next = max;
    const int32_t raw = int32_t(next);
    TKSetControlValue(slider, raw);
    VFUpdateValueText(slider, raw);
    VFWriteControlValue(slider, raw, false);
  }
  gState.changed = true;
}

// Check boxes and popups keep the address of their word in 'ofst'.
uint32_t* BoundWord(TKControl* control) {
  return static_cast<uint32_t*>(VFGetPointerProperty(control, kVFPropOffset));
}

void SetCheck(TKControl* control, float scale) {
  if (!control) return;
  CloseUndo();
  UndoBufferPush(gUndoBuffer, &gUISettings);
  const int32_t v = RoundHalfAway(scale);
  VFSetControlValue16(control, int16_t(v));
  if (uint32_t* word = BoundWord(control)) *word = v != 0 ? 1 : 0;
  EnableEnclosingTabs(control, 1, true);
  UndoBufferStore(gUndoBuffer, &gUISettings);
}

void ToggleCheck(TKControl* control) {
  const VLSettingsFieldName* limiter = VL_FindSettingsField("limiter_enable");
  if (control && limiter && control == ControlAt(limiter->offset)) {
    const uint32_t flipped = LoadWord(limiter->offset) ? 0 : 1;
    StoreWord(limiter->offset, flipped);
    TabGroupSetItemCheck(gCorrectionTabs, 8, int32_t(flipped));
  } else if (control) {
    CloseUndo();
    UndoBufferPush(gUndoBuffer, &gUISettings);
    int16_t v = 0;
    VFGetControlValue16(control, &v);
    v = v ? 0 : 1;
    VFSetControlValue16(control, v);
    if (uint32_t* word = BoundWord(control)) *word = uint32_t(v);
    EnableEnclosingTabs(control, 1, true);
    UndoBufferStore(gUndoBuffer, &gUISettings);
  } else {
    return;
  }
  gState.changed = true;
}

void CycleChoice(TKControl* control) {
  if (control) {
    CloseUndo();
    UndoBufferPush(gUndoBuffer, &gUISettings);
    int32_t v = 0;
    VFGetControlValue32(control, &v);
    v = v + 1;
    if (v > 3) v = 1;
    if (v < 1) v = 3;
    VFSetControlValue32(control, v);
    if (uint32_t* word = BoundWord(control)) *word = uint32_t(v);
    EnableEnclosingTabs(control, 1, true);
    UndoBufferStore(gUndoBuffer, &gUISettings);
  }
  gState.changed = true;
}

void StepTabs(uint32_t which, float scale, int32_t count) {
  TKControl* group = TabGroupOfKind(which);
  if (!group) return;
  SelectClamped(group, TabGroupGetCurrent(group) + RoundHalfAway(double(scale) * count));
}

void ToggleTabs(uint32_t which) {
  TKControl* group = TabGroupOfKind(which);
  if (!group) return;
  const int32_t current = TabGroupGetCurrent(group);
  if (current != 0) {
    gState.rememberedTab[which] = current;
    TabGroupSelect(group, 0);
  } else {
    SelectClamped(group, gState.rememberedTab[which]);
  }
}

void MoveSplitLine(int32_t count) {
  TKControl* pane = gCurrentImagePane;
  if (!pane || !ImagePaneGetSplitLineShown(pane)) return;
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  ImagePaneGetSplitLine(pane, &x1, &y1, &x2, &y2);
  const float d = float(count) * 0.005f;
  ImagePaneSetSplitLine(pane, Clamp01(x1 + d), y1, Clamp01(x2 + d), y2);
  GetVisibleSplitLine(pane, &x1, &y1, &x2, &y2);
  if (gSplitMaskGWorld) BuildSplitViewMask(gSplitMaskGWorld, x1, y1, x2, y2);
  gState.changed = true;
}

void SavedSlot(float scale, bool store) {
  CloseUndo();
  const int32_t slot = RoundHalfAway(scale);
  if (SavedSettingsSlot(slot, store))
    gLastSavedSettingsSlot = slot;
  else
    TKBeep();
  if (!store) gState.changed = true;
}

// Off, then preview modes 1-3, then off again; a step out of 1-3 turns the
// preview off.
void CyclePreview(const TangentMapEntry& e) {
  if (!ValidField(e.value) || !ValidField(e.value + 20)) return;
  const uint32_t enableField = e.value + 16, modeField = e.value + 20;
  TKControl* box = ControlAt(enableField);
  TKControl* popup = ControlAt(modeField);
  const int32_t n = RoundHalfAway(e.scale);
  int32_t next;
  if (LoadWord(enableField) == 0) {
    StoreWord(enableField, 1);
    if (box) VFSetControlValue16(box, 1);
    next = 1;
  } else {
    next = int32_t(LoadWord(modeField)) + n;
  }
  if (next >= 1 && next <= 3) {
    StoreWord(modeField, uint32_t(next));
    if (popup) VFSetControlValue32(popup, next);
  } else {
    StoreWord(enableField, 0);
    if (box) VFSetControlValue16(box, 0);
    StoreWord(modeField, 1);
    if (popup) VFSetControlValue32(popup, 1);
  }
  if (popup) EnableEnclosingTabs(popup, 1, true);
  gState.changed = true;
}

// Grey at the same relative place between the new ends; with the old ends
// equal, the middle of the new ones. Always between the new ends.
float RegreyInput(float gray, float black, float white, float newBlack, float newWhite) {
  float g;
  if (white != black)
    g = (gray - black) / (white - black) * (newWhite - newBlack) + newBlack;
  else
    g = (newBlack + newWhite) * 0.5f;
  const float lo = newBlack < newWhite ? newBlack : newWhite;
  const float hi = newBlack < newWhite ? newWhite : newBlack;
  if (!(g >= lo)) g = lo;
  if (g > hi) g = hi;
  return g;
}

void LevelsPoint(const TangentMapEntry& e, TKControl* control, int32_t count) {
  const int32_t sub = RoundHalfAway(e.scale2);
  const float d = e.scale * float(count);
  if (control && ValidField(e.value)) {
    BeginUndo();
    float black = 0, gray = 0, white = 1;
    LevelsGetInBlack(control, &black);
    LevelsGetInGray(control, &gray);
    LevelsGetInWhite(control, &white);
    switch (sub) {
      case 0: {
        const float b = Clamp01(black + d);
        StoreFloat(e.value, b);
        LevelsSetInBlack(control, b, true);
        const float g = RegreyInput(gray, black, white, b, white);
        LevelsSetInGray(control, g, true);
        if (ValidField(e.value + 4)) StoreFloat(e.value + 4, g);
        break;
      }
      case 1: {
        const float lo = black < white ? black : white, hi = black < white ? white : black;
        float g = gray + d;
        if (!(g >= lo)) g = lo;
        if (g > hi) g = hi;
        StoreFloat(e.value, g);
        LevelsSetInGray(control, g, true);
        break;
      }
      case 2: {
        const float w = Clamp01(white + d);
        StoreFloat(e.value, w);
        LevelsSetInWhite(control, w, true);
        const float g = RegreyInput(gray, black, white, black, w);
        LevelsSetInGray(control, g, true);
        if (e.value >= 4) StoreFloat(e.value - 4, g);
        break;
      }
      case 3:
      case 4:
      case 5: {
        const float v = Clamp01(LoadFloat(e.value) + d);
        StoreFloat(e.value, v);
        if (sub == 3) LevelsSetOutBlack(control, v, true);
        if (sub == 4) LevelsSetOutGray(control, v, true);
        if (sub == 5) LevelsSetOutWhite(control, v, true);
        break;
      }
      default: break;
    }
  }
  if (control) EnableEnclosingTabs(control, 1, true);
  gState.changed = true;
  gState.levelsChanged = true;
  gState.lastLevels = control;
  gState.lastLevelsPage = gState.page;
}

void ResetAll() {
  VFCommitPendingEdit(true);
  UndoBufferPush(gUndoBuffer, &gUISettings);
  auto* copy = new (std::nothrow) VL_SettingsStruct;
  if (copy) std::memcpy(copy, &gUISettings, sizeof *copy);
  VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, copy, kVFSyncApply);
  delete copy;
  Reprocess();
  UndoBufferStore(gUndoBuffer, &gUISettings);
}

bool IsButtonKind(uint32_t kind) {
  switch (kind) {
    case kTangentKindSetCheck:
    case kTangentKindToggleCheck:
    case kTangentKindCycleSystem:
    case kTangentKindCycleMethod:
    case kTangentKindSettingsTab:
    case kTangentKindModeTab:
    case kTangentKindToggleAnalysis:
    case kTangentKindToggleImageMode:
    case kTangentKindToggleSettings:
    case kTangentKindStepMode:
    case kTangentKindSelectMode:
    case kTangentKindStepPage:
    case kTangentKindSelectPage:
    case kTangentKindNestedTab:
    case kTangentKindNestedTabByPage:
    case kTangentKindSecondLevelTab:
    case kTangentKindStoreSlot:
    case kTangentKindRecallSlot:
    case kTangentKindReset:
    case kTangentKindPreviewCycle:
    case kTangentKindRefresh:
    case kTangentKindResetAll:
    case kTangentKindUndo:
    case kTangentKindRedo:
      return true;
    default:
      return false;
  }
}

void Perform(TangentPanel* panel, const TangentMapEntry& e, TKControl* control, int32_t count) {
  switch (e.kind) {
    case kTangentKindSlider: ApplySlider(e, control, count); break;
    case kTangentKindTrackball:
      BeginUndo();
      HueWheelNudge(control, e.scale * float(count), e.scale2 * float(count), false);
      gState.changed = true;
      break;
    case kTangentKindRing:
      BeginUndo();
      HueWheelRotate(control, e.scale * float(count), true);
      gState.changed = true;
      break;
    case kTangentKindSetCheck: SetCheck(control, e.scale); break;
    case kTangentKindToggleCheck: ToggleCheck(control); break;
    case kTangentKindReset: ResetFields(e); break;
    case kTangentKindCycleSystem:
    case kTangentKindCycleMethod: CycleChoice(control); break;
    case kTangentKindStepAnalysis: StepTabs(0, e.scale, count); break;
    case kTangentKindStepImageMode: StepTabs(1, e.scale, count); break;
    case kTangentKindStepSettings: StepTabs(2, e.scale, count); break;
    case kTangentKindSettingsTab: SelectClamped(gCorrectionTabs, RoundHalfAway(e.scale)); break;
    case kTangentKindModeTab:
      SelectClamped(gCorrectionTabs, gState.mode >= 1 && gState.mode <= kTangentModeCount
                                         ? kModeSettingsTab[gState.mode - 1]
                                         : 0);
      break;
    case kTangentKindToggleAnalysis: ToggleTabs(0); break;
    case kTangentKindToggleImageMode: ToggleTabs(1); break;
    case kTangentKindToggleSettings: ToggleTabs(2); break;
    case kTangentKindSplitLine: MoveSplitLine(count); break;
    case kTangentKindStepMode: StepMode(panel, RoundHalfAway(e.scale)); break;
    case kTangentKindSelectMode: {
      const int32_t m = RoundHalfAway(e.scale);
      gState.page = 1;
      SwitchTo(panel, m, 1);
      break;
    }
    case kTangentKindStepPage: StepPage(panel, RoundHalfAway(e.scale)); break;
    case kTangentKindSelectPage: SwitchTo(panel, gState.mode, RoundHalfAway(e.scale)); break;
    case kTangentKindNestedTab: SelectClamped(NestedTabGroup(), RoundHalfAway(e.scale)); break;
    case kTangentKindNestedTabByPage: SelectClamped(NestedTabGroup(), gState.page - 1); break;
    case kTangentKindSecondLevelTab: {
      TKControl* nested = NestedTabGroup();
      SelectClamped(nested, RoundHalfAway(e.scale));
      TKControl* pane = nested ? TabGroupGetPane(nested, 0) : nullptr;
      SelectClamped(pane ? FindTabGroupControl(pane) : nullptr, gState.page - 1);
      break;
    }
    case kTangentKindStoreSlot: SavedSlot(e.scale, true); break;
    case kTangentKindRecallSlot: SavedSlot(e.scale, false); break;
    case kTangentKindPreviewCycle: CyclePreview(e); break;
    case kTangentKindLevelsPoint: LevelsPoint(e, control, count); break;
    case kTangentKindRefresh: break;
    case kTangentKindResetAll: ResetAll(); break;
    case kTangentKindUndo: UndoBufferUndo(gUndoBuffer, &gUISettings); break;
    case kTangentKindRedo: UndoBufferRedo(gUndoBuffer, &gUISettings); break;
    default: break;
  }
}

// The field text of an entry (empty: none).
void FieldText(const TangentMapEntry& e, char* out, size_t size) {
  out[0] = 0;
  const uint32_t field = ValidField(e.value) ? e.value : e.value2;
  if (!ValidField(field)) return;
  switch (e.kind) {
    case kTangentKindSlider:
    case kTangentKindReset:
    case kTangentKindLevelsPoint: {
      const double f = LoadFloat(field);
      // Nine characters: fewer decimals for large values, hashes when even
      // the whole number does not fit.
      for (int32_t decimals = 4; decimals >= 0; --decimals) {
        const int n = std::snprintf(out, size, "%9.*f", decimals, f);
        if (n > 0 && n <= 9) return;
      }
      std::snprintf(out, size, "#########");
      return;
    }
    case kTangentKindCycleSystem: {
      static const char* const kNames[4] = {"          ", "   NTSC   ", "   PAL    ", "   ATSC   "};
      const uint32_t v = LoadWord(field);
      std::snprintf(out, size, "%s", kNames[v <= 3 ? v : 0]);
      return;
    }
    case kTangentKindCycleMethod: {
      static const char* const kNames[4] = {"          ", "Desaturate", "Lower Luma", "Smrt Limit"};
      const uint32_t v = LoadWord(field);
      std::snprintf(out, size, "%s", kNames[v <= 3 ? v : 0]);
      return;
    }
    case kTangentKindPreviewCycle: {
      static const char* const kNames[4] = {"          ", "Desaturate", "   Mask   ", "  Alpha   "};
      if (!ValidField(field + 20)) return;
      if (LoadWord(field + 16) == 0) {
        std::snprintf(out, size, "    Off   ");
        return;
      }
      const uint32_t v = LoadWord(field + 20);
      std::snprintf(out, size, "%s", kNames[v <= 3 ? v : 0]);
      return;
    }
    default: return;
  }
}

}  // namespace

int32_t TangentCurrentMode() { return gState.mode; }
int32_t TangentCurrentPage() { return gState.page; }

void TangentResetMappingState() { gState = MappingState{}; }

void TangentDispatchControl(TangentPanel* panel, uint32_t code, int32_t value) {
  if (DispatchTransport(code, value)) return;
  const TangentMapPage* map = TangentMapTable(gState.mode, gState.page);
  if (map && (map->enabled & 0xFF) != 0) TangentApplyControl(panel, map->entries, kTangentEntriesPerPage, code, value);
}

void TangentApplyControl(TangentPanel* panel, const TangentMapEntry* entries, int32_t maxEntries, uint32_t code,
                         int32_t value) {
  BuildDefaults();
  if (!entries || maxEntries < 1) return;
  uint32_t match = code;
  for (int32_t i = 0; i < maxEntries; ++i) {
    const TangentMapEntry& e = entries[i];
    if (e.code == kTangentEndCode) return;
    if (e.code != match) continue;
    TKControl* control = e.controlSlot != kTangentNoField ? ControlAt(e.controlSlot) : nullptr;
    const bool wideRefresh = e.kind >= kTangentKindLevelsPoint && e.kind <= kTangentKindRedo;
    if (QVGetKeyboardModifiers() & kShiftKey) {
      ResetFields(e);
    } else if (!(IsButtonKind(e.kind) && value != 0)) {
      Perform(panel, e, control, value);
    }
    if (e.refreshDisplay) TangentShowPageValues(panel, entries, wideRefresh ? kTangentAllCodes : e.code);
    if (e.last) return;
    match = wideRefresh ? kNoMatch : e.code;
  }
}

void TangentShowPageValues(TangentPanel*, const TangentMapEntry* entries, uint32_t code) {
  if (!entries) return;
  for (int32_t i = 0; i <= kTangentEntriesPerPage; ++i) {
    const TangentMapEntry& e = entries[i];
    if (e.code == kTangentEndCode) return;
    if (code != kTangentAllCodes && code != e.code) continue;
    if (e.kind > kTangentKindLevelsPoint) continue;
    char text[32];
    FieldText(e, text, sizeof text);
    if (!text[0]) continue;
    const uint32_t position = e.code & ~kTangentBanked;
    int32_t knob = -1;
    if (position <= 8)
      knob = int32_t(position);
    else if (position >= 0x100 && position <= 0x108)
      knob = int32_t(position - 0x100);
    if (knob < 0) continue;
    TangentWriteField(knob / 3, 1, 10 + 11 * (knob % 3), text, kTangentAlignEnd);
  }
}

void TangentRepeatTimer(TangentPanel* panel) {
  bool runUpdate = false;
  if (gState.changed) {
    gState.updatePending = true;
    gState.levelsPending = gState.levelsPending || gState.levelsChanged;
    gState.changed = false;
    gState.levelsChanged = false;
    ++gState.changeCount;
    gState.idleTicks = 0;
    if (gState.changeCount < kUpdateBatchTicks)
      gState.idleTicks = 1;
    else
      runUpdate = true;
  } else if (gState.updatePending) {
    runUpdate = true;
  }
  if (runUpdate) {
    Reprocess();
    if (gState.levelsPending && gState.lastLevels)
      UpdateLevelsHistograms(gState.lastLevels, gState.lastLevelsPage, false, true);
    gState.updatePending = false;
    gState.levelsPending = false;
    gState.changeCount = 0;
    gState.idleTicks = 0;
  }
  TangentClickWindowTick(panel);
  if (gState.dragOpen && ++gState.undoIdle >= kUndoIdleTicks) {
    UndoBufferStore(gUndoBuffer, &gUISettings);
    gState.dragOpen = false;
    gState.undoIdle = 0;
  }
}

void TangentRefreshValue(TangentPanel* panel, TKControl* control) {
  if (!control) return;
  const TangentMapPage* map = TangentMapTable(gState.mode, gState.page);
  if (!map) return;
  for (int32_t i = 0; i < kTangentEntriesPerPage; ++i) {
    const TangentMapEntry& e = map->entries[i];
    if (e.code == kTangentEndCode) return;
    if (e.controlSlot != kTangentNoField && ControlAt(e.controlSlot) == control) {
      TangentShowPageValues(panel, map->entries, e.code);
      return;
    }
  }
}

void TangentRefreshPage(TangentPanel* panel) { ShowAll(panel); }

void TangentShowFirstPage(TangentPanel* panel) {
  gState.page = 1;
  if (TangentPageUsable(1, 1)) {
    WriteLayout(1, 1);
    gState.mode = 1;
    ShowAll(panel);
  }
}

void TangentInstallRefreshHooks() {
  VFServices& services = VFGetServices();
  services.tangentRefreshValue = [](TKControl* control) {
    if (gTangentPanel) TangentRefreshValue(gTangentPanel, control);
  };
  services.tangentRefreshPage = [] {
    if (gTangentPanel) TangentRefreshPage(gTangentPanel);
  };
}
