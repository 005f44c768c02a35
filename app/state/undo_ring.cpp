#include "app/state/undo_ring.h"

#include <cstring>
#include <new>

#include "app/state/app_state.h"
#include "app/state/service_hooks.h"
#include "app/state/shell_links.h"
#include "app/state/ui_state.h"
#include "core/settings_ranges.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"

UndoBuffer*& gUndoBuffer = gUIState.undo;
int32_t& gLastSavedSettingsSlot = gUIState.lastSavedSettingsSlot;

namespace {

constexpr uint32_t kDeepest = 999;

bool usable(const UndoBuffer* ring) { return ring && ring->count > 0 && ring->snapshots; }

VL_SettingsStruct& slot(UndoBuffer* ring, uint32_t position) { return ring->snapshots[position % ring->count]; }

// Loads the snapshot at head into the working record and brings the controls
// and the picture up to it.
void load(UndoBuffer* ring, VL_SettingsStruct* working) {
  std::unique_ptr<VL_SettingsStruct> previous(new (std::nothrow) VL_SettingsStruct);
  if (previous) std::memcpy(previous.get(), working, sizeof *working);
  std::memcpy(working, &slot(ring, ring->head), sizeof *working);
  UIHooks().syncControls(working, kVLMaskAll, previous.get());
}

}  // namespace

UndoBuffer* CreateUndoBuffer(uint32_t depth) {
  if (depth == 0) return nullptr;
  if (depth > kDeepest) depth = kDeepest;
  auto* ring = new (std::nothrow) UndoBuffer;
  if (!ring) return nullptr;
  ring->snapshots.reset(new (std::nothrow) VL_SettingsStruct[depth + 1]);
  if (ring->snapshots) {
    std::memset(static_cast<void*>(ring->snapshots.get()), 0, sizeof(VL_SettingsStruct) * (depth + 1));
    ring->count = depth + 1;
  }
  ring->head = ring->tail = 2 * depth;
  return ring;
}

void DisposeUndoBuffer(UndoBuffer* ring) { delete ring; }

void UndoBufferPush(UndoBuffer* ring, const VL_SettingsStruct* record) {
  if (!usable(ring) || !record) return;
  std::memcpy(&slot(ring, ring->head), record, sizeof *record);
  ++ring->head;
  ring->tail = ring->head;
  if (ring->undoable < ring->count - 1) ++ring->undoable;
}

void UndoBufferStore(UndoBuffer* ring, const VL_SettingsStruct* record) {
  if (!usable(ring) || !record) return;
  std::memcpy(&slot(ring, ring->head), record, sizeof *record);
}

bool UndoBufferUndo(UndoBuffer* ring, VL_SettingsStruct* working) {
  if (!usable(ring) || ring->undoable == 0 || !working) return false;
  UIHooks().endEditing();
  --ring->head;
  load(ring, working);
  --ring->undoable;
  UIShell().reprocess(true);
  return true;
}

bool UndoBufferRedo(UndoBuffer* ring, VL_SettingsStruct* working) {
  if (!usable(ring) || ring->head == ring->tail || !working) return false;
  UIHooks().endEditing();
  ++ring->head;
  load(ring, working);
  if (ring->undoable < ring->count - 1) ++ring->undoable;
  UIShell().reprocess(true);
  return true;
}

bool UndoBufferCanUndo(const UndoBuffer* ring) { return usable(ring) && ring->undoable > 0; }
bool UndoBufferCanRedo(const UndoBuffer* ring) { return usable(ring) && ring->head != ring->tail; }

void UndoBufferUpdateMenu(const UndoBuffer* ring) {
  TKMenu* edit = TKGetMenu(kUIEditMenuID);
  if (!edit) return;
  TKEnableMenuItem(edit, 1, UndoBufferCanUndo(ring));
  TKEnableMenuItem(edit, 2, UndoBufferCanRedo(ring));
}

void UIReplaceUndoBuffer(uint32_t depth) {
  DisposeUndoBuffer(gUndoBuffer);
  gUndoBuffer = CreateUndoBuffer(depth);
}

bool SavedSettingsSlot(int32_t number, bool store) {
  if (number < 1 || number > 8) return false;
  const int index = number - 1;
  if (store) {
    std::memcpy(&gSavedSettings.slot[index], &gUISettings, sizeof gUISettings);
    gSavedSettings.stored[index] = 1;
  } else {
    if (!gSavedSettings.stored[index]) return false;
    UndoBufferPush(gUndoBuffer, &gUISettings);
    std::memcpy(&gUISettings, &gSavedSettings.slot[index], sizeof gUISettings);
    VL_HoldIncomingSettings(&gUISettings);
    UIHooks().syncControls(&gUISettings, kVLMaskAll, nullptr);
    UIShell().reprocess(false);
    UndoBufferStore(gUndoBuffer, &gUISettings);
  }
  gLastSavedSettingsSlot = number;
  return true;
}
