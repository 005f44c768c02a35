// The history of the working correction as a ring of whole-record
// snapshots, and the eight numbered slots where the user parks corrections.
//
// Protocol of an edit: UndoBufferPush with the record before the change,
// the change, UndoBufferStore with the record after it. Undo loads the
// state before the change; Redo the state after it.
#pragma once

#include <cstdint>
#include <memory>

#include "core/settings_record.h"

struct UndoBuffer {
  uint32_t count = 0;     // snapshot slots = depth + 1; 0 when the storage could not be had
  uint32_t head = 0;      // position of the current state; slot = head mod count
  uint32_t tail = 0;      // one past the last redoable position
  uint32_t undoable = 0;  // Undo steps available, at most count - 1
  std::unique_ptr<VL_SettingsStruct[]> snapshots;
};

// A ring of `depth` Undo steps; null for depth 0. Depths above 999 are
// taken as 999.
UndoBuffer* CreateUndoBuffer(uint32_t depth);
void DisposeUndoBuffer(UndoBuffer* ring);
// A null ring, or one without storage, does nothing and answers false.
void UndoBufferPush(UndoBuffer* ring, const VL_SettingsStruct* record);
void UndoBufferStore(UndoBuffer* ring, const VL_SettingsStruct* record);
bool UndoBufferUndo(UndoBuffer* ring, VL_SettingsStruct* working);
bool UndoBufferRedo(UndoBuffer* ring, VL_SettingsStruct* working);
bool UndoBufferCanUndo(const UndoBuffer* ring);
bool UndoBufferCanRedo(const UndoBuffer* ring);
// Enables Undo (item 1) and Redo (item 2) of the Edit menu (130).
void UndoBufferUpdateMenu(const UndoBuffer* ring);
constexpr int32_t kUIEditMenuID = 130;

// The application's ring, made at start-up from the "Undo Depth" preference.
extern UndoBuffer*& gUndoBuffer;
// Replaces the ring by one of a new depth (the history is lost).
void UIReplaceUndoBuffer(uint32_t depth);

// Stores the working record into slot 1 to 8 (store) or recalls a stored
// slot into it (undoably). False for another number or an empty slot.
bool SavedSettingsSlot(int32_t slot, bool store);
// The slot stored or recalled last; 0 before any.
extern int32_t& gLastSavedSettingsSlot;
