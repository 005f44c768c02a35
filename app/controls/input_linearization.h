// Input linearization: how a frame's values are turned into linear ones
// when they arrive in a non-linear encoding. A 32-byte record (as it lies in
// the communication block) names a black and a white point and one of six
// curve types; a float lookup table of 81,925 entries (input 0 to 5 in steps
// of 1/16384) stands for it and is rebuilt only when the record changes.
#pragma once

#include <cstddef>
#include <cstdint>

struct FBFrameStruct;

struct InputLinearization {
  int32_t flags;        // bit 31 active; curve type k (1..6) is bit k - 1
  uint32_t black;       // code value
  uint32_t white;       // code value
  float gamma;
  uint32_t softClip;    // 0 or 1; type 5 only, no effect on the table
  uint32_t reserved[3]; // compared and kept with the rest
};
static_assert(sizeof(InputLinearization) == 32);
static_assert(offsetof(InputLinearization, black) == 4);
static_assert(offsetof(InputLinearization, white) == 8);
static_assert(offsetof(InputLinearization, gamma) == 12);
static_assert(offsetof(InputLinearization, softClip) == 16);
static_assert(offsetof(InputLinearization, reserved) == 20);

constexpr uint32_t kInputLinearizationActive = 0x80000000u;

enum : int32_t {
  kInputLinLevels = 1,         // L(x) = (x - b / 255) x 255 / (w - b)
  kInputLinLevelsPower = 2,    // L(x) to the gamma
  kInputLinRec709 = 3,         // inverse of the Rec. 709 transfer curve on L(x)
  kInputLinRec709Alt = 4,      // the same
  kInputLinLogToLinear = 5,    // Cineon-style log code values to linear
  kInputLinLog12Bit = 6,       // logarithmic 12-bit code
};

constexpr int32_t kInputLinTableEntries = 81925;  // x = i / 16384, 0 to 5
constexpr float kInputLinTableMaxInput = 5.0f;

// The record as the communication block's eight words, and back.
InputLinearization InputLinearizationFromWords(const uint32_t words[8]);
void InputLinearizationToWords(const InputLinearization& record, uint32_t words[8]);

// The record's curve type: the highest of flag bits 0..5 that is set, 0 when none.
int32_t InputLinearizationType(const InputLinearization& record);

// Whether the record changes anything: active, a type set, white above black,
// and not type 1 with black 0 and white 255.
bool InputLinearizationTakesEffect(const InputLinearization& record);

// Fills kInputLinTableEntries entries for the record's type. Every entry is
// finite: a power's base is clamped at 0, a gamma outside 0.1..5 (or not a
// number) is held to that range (1 for not a number), and entries are held
// within +-1e6. False, and the table untouched, when the record takes no
// effect.
bool InputLinearizationFillTable(const InputLinearization& record, float* table);

// Brings the process-wide table up to the record (built again only when the
// record differs byte for byte from the one it was last built from), then
// maps the frame's red, green and blue values through it, each clamped to
// 0..5 first (not a number as 0). Nothing happens for a record that takes no
// effect or when the table cannot be allocated. Float frames (formats 201,
// 202, 203 and 215) are mapped; other formats keep their values.
void ApplyInputLinearization(FBFrameStruct* frame, const InputLinearization* record);
// The same taking the communication block's eight words.
void ApplyInputLinearizationWords(FBFrameStruct* frame, const uint32_t record[8]);

// The value of input x through the current table (x as the frame mapping
// clamps it); x itself when no table has been built.
float InputLinearizationLookup(float x);
// How many times the table has been built, for tests.
uint32_t InputLinearizationBuildCount();
