// The undo ring and the saved settings slots.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "platform/prefs_store.h"
#include "settings/prefs.h"
#include "tests/scratch_folder.h"

namespace {

VL_SettingsStruct Record(float hue) {
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  s.hsl[0].hue = hue;
  return s;
}

// One edit by the protocol every control follows.
void Edit(UndoBuffer* ring, VL_SettingsStruct* working, float hue) {
  UndoBufferPush(ring, working);
  working->hsl[0].hue = hue;
  UndoBufferStore(ring, working);
}

struct UndoRingTest : testing::Test {
  VL_SettingsStruct working = Record(0);
  UndoBuffer* ring = nullptr;
  void TearDown() override { DisposeUndoBuffer(ring); }
};

TEST_F(UndoRingTest, DepthTenOffersTenStepsAfterElevenEdits) {
  ring = CreateUndoBuffer(10);
  ASSERT_NE(ring, nullptr);
  EXPECT_EQ(ring->count, 11u);
  for (int i = 1; i <= 11; ++i) Edit(ring, &working, float(i));
  int steps = 0;
  while (UndoBufferUndo(ring, &working)) ++steps;
  EXPECT_EQ(steps, 10);
  EXPECT_FLOAT_EQ(working.hsl[0].hue, 1.0f) << "the oldest state kept is the one after the first edit";
}

TEST_F(UndoRingTest, UndoAndRedoWalkTheHistory) {
  ring = CreateUndoBuffer(5);
  Edit(ring, &working, 10);
  Edit(ring, &working, 20);
  EXPECT_FALSE(UndoBufferCanRedo(ring));
  EXPECT_TRUE(UndoBufferUndo(ring, &working));
  EXPECT_FLOAT_EQ(working.hsl[0].hue, 10);
  EXPECT_TRUE(UndoBufferUndo(ring, &working));
  EXPECT_FLOAT_EQ(working.hsl[0].hue, 0);
  EXPECT_FALSE(UndoBufferUndo(ring, &working)) << "nothing older";
  EXPECT_TRUE(UndoBufferRedo(ring, &working));
  EXPECT_TRUE(UndoBufferRedo(ring, &working));
  EXPECT_FLOAT_EQ(working.hsl[0].hue, 20);
  EXPECT_FALSE(UndoBufferCanRedo(ring));
  EXPECT_FALSE(UndoBufferRedo(ring, &working));
}

TEST_F(UndoRingTest, ANewEditAfterUndoDropsTheRedoHistory) {
  ring = CreateUndoBuffer(5);
  Edit(ring, &working, 10);
  Edit(ring, &working, 20);
  UndoBufferUndo(ring, &working);
  Edit(ring, &working, 30);
  EXPECT_FALSE(UndoBufferCanRedo(ring));
  EXPECT_FALSE(UndoBufferRedo(ring, &working));
  UndoBufferUndo(ring, &working);
  EXPECT_FLOAT_EQ(working.hsl[0].hue, 10) << "20 is gone";
}

TEST_F(UndoRingTest, RingsWithoutStorageDoNothing) {
  // Depth 0 makes no ring; a ring whose storage could not be had has count 0.
  UndoBuffer empty;
  for (UndoBuffer* r : {CreateUndoBuffer(0), &empty}) {
    Edit(r, &working, 10);
    EXPECT_FALSE(UndoBufferUndo(r, &working));
    EXPECT_FALSE(UndoBufferRedo(r, &working));
    EXPECT_FALSE(UndoBufferCanUndo(r));
    EXPECT_FLOAT_EQ(working.hsl[0].hue, 10);
  }
}

struct SavedSlotTest : testing::Test {
  void SetUp() override {
    setenv("VELMORA_PREFERENCES", MakeScratchFolder("prefs").c_str(), 1);
    std::memset(&gSavedSettings, 0, sizeof gSavedSettings);
    PFSetProgram(kPFProgramApplication);
    PFLoadDefaultPreferences(&gPrefsSettings);
    gUISettings = Record(0);
    gUndoBuffer = CreateUndoBuffer(5);
  }
  void TearDown() override {
    DisposeUndoBuffer(gUndoBuffer);
    gUndoBuffer = nullptr;
  }
};

TEST_F(SavedSlotTest, SlotsStoreAndRecallUndoably) {
  EXPECT_FALSE(SavedSettingsSlot(0, true));
  EXPECT_FALSE(SavedSettingsSlot(9, false));
  EXPECT_FALSE(SavedSettingsSlot(3, false)) << "an empty slot is not recalled";
  gUISettings.hsl[0].hue = 45;
  EXPECT_TRUE(SavedSettingsSlot(3, true));
  EXPECT_EQ(gLastSavedSettingsSlot, 3);
  gUISettings.hsl[0].hue = 90;
  UndoBufferStore(gUndoBuffer, &gUISettings);
  EXPECT_TRUE(SavedSettingsSlot(3, false));
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].hue, 45);
  EXPECT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].hue, 90);
}

TEST_F(SavedSlotTest, StoredSlotsSurviveARestartAndOddSizesAreNotLoaded) {
  gUISettings.hsl[0].hue = 12;
  SavedSettingsSlot(2, true);
  gUISettings.hsl[0].hue = 34;
  SavedSettingsSlot(7, true);
  ASSERT_EQ(PFSavePreferences(&gPrefsSettings), kQVNoErr);
  const uint8_t odd[100] = {};
  EXPECT_EQ(kQVNoErr, PLPrefsSetData(kPFDomain, "Saved Settings 7", odd, sizeof odd));
  EXPECT_EQ(kQVNoErr, PLPrefsSynchronize(kPFDomain));

  std::memset(&gSavedSettings, 0, sizeof gSavedSettings);
  PFLoadPreferences(&gPrefsSettings);
  EXPECT_TRUE(gSavedSettings.stored[1]);
  EXPECT_FLOAT_EQ(gSavedSettings.slot[1].hsl[0].hue, 12);
  EXPECT_FALSE(gSavedSettings.stored[6]) << "a value of another size leaves the slot empty";
  for (int i : {0, 2, 3, 4, 5, 7}) EXPECT_FALSE(gSavedSettings.stored[i]);
}

}  // namespace
