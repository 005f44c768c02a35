// How a value control maps between its 32-bit control value and its field
// for each kind of field, and when a write counts as a change.
#include <cmath>
#include <limits>

#include "tests/app/controls/correction_window.h"

namespace {

int gChanges = 0;
void CountChange(TKControl*, uint32_t, bool) { ++gChanges; }

class ValueKindsTest : public CorrectionWindowTest {
 protected:
  // A dialog's own record, so the working record stays out of it.
  VL_SettingsStruct record{};
  TKControl* Make(uint32_t flags, uint32_t offset) {
    TKRect frame = TKMakeRect(300, 300, 240, 40);
    TKControl* s = VFCreateValueSlider(window, &frame, "Kind", -1000, 1000, -1000, 1000, flags, nullptr, &record,
                                       offset, nullptr, 50, nullptr);
    VFSetChangeProc(s, CountChange);
    return s;
  }
  uint32_t Word(uint32_t offset) const {
    uint32_t w;
    std::memcpy(&w, reinterpret_cast<const uint8_t*>(&record) + offset, 4);
    return w;
  }
  float Float(uint32_t offset) const {
    float f;
    std::memcpy(&f, reinterpret_cast<const uint8_t*>(&record) + offset, 4);
    return f;
  }
};

constexpr uint32_t kField = 100;

}  // namespace

TEST_F(ValueKindsTest, FloatsAreWrittenInTheFieldsOwnUnit) {
  struct Case {
    uint32_t flags;
    float value;
    uint32_t word;       // expected field word (for integer fields)
    int32_t control;     // expected control value after VFSetFloatValue
  } cases[] = {
      {kVFScaled | kVFFloatField, 1.5f, 0, 98304},
      {kVFFloatField, 1.5f, 0, 1},
      {kVFScaled, 1.5f, 98304, 98304},   // 16.16
      {kVFScaled, -2.25f, uint32_t(-147456), -147456},
      {0, 7.9f, 7, 7},                   // plain integer: truncated
      {0, -7.9f, uint32_t(-7), -7},
  };
  for (const Case& c : cases) {
    std::memset(&record, 0, sizeof record);
    TKControl* s = Make(c.flags, kField);
    VFSetFloatValue(s, c.value, false);
    if (c.flags & kVFFloatField) {
      EXPECT_FLOAT_EQ(Float(kField), c.value) << c.flags;
    } else {
      EXPECT_EQ(Word(kField), c.word) << c.flags << " " << c.value;
    }
    EXPECT_EQ(TKGetControlValue(s), c.control) << c.flags << " " << c.value;
  }
}

TEST_F(ValueKindsTest, ChangesAreSeenInTheFieldsOwnUnitAndToOrFromNaN) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    uint32_t flags;
    uint32_t oldBits;
    float value;
    bool changed;
  } cases[] = {
      {0, 1, 1.2f, false},                                    // plain integer 1 stays 1
      {0, 1, 2.0f, true},
      {kVFScaled, 65536, 1.0f, false},                         // 16.16 one
      {kVFScaled, 65536, 1.00001f, false},                     // below one unit of 1/65,536
      {kVFScaled, 65536, 1.0001f, true},
      {kVFCorrectionSlider, 0x7FC00000u, 0.0f, true},          // from NaN
      {kVFCorrectionSlider, 0, nan, true},                     // to NaN
      {kVFCorrectionSlider, 0x3F800000u, 1.0f, false},
      {0, 0, 1e30f, true},                                     // clamped, not overflowed
  };
  for (const Case& c : cases) {
    std::memset(&record, 0, sizeof record);
    std::memcpy(reinterpret_cast<uint8_t*>(&record) + kField, &c.oldBits, 4);
    TKControl* s = Make(c.flags, kField);
    gChanges = 0;
    VFWriteFloatToSettings(s, c.value, false);
    EXPECT_EQ(gChanges, c.changed ? 1 : 0) << c.flags << " " << c.value;
  }
  EXPECT_EQ(Word(kField), uint32_t(INT32_MAX));
}

TEST_F(ValueKindsTest, ControlValuesWriteBackAndRefreshShowsTheField) {
  std::memset(&record, 0, sizeof record);
  TKControl* s = Make(kVFCorrectionSlider, kField);
  gChanges = 0;
  VFWriteControlValue(s, 98304, false);
  EXPECT_FLOAT_EQ(Float(kField), 1.5f);
  VFUpdateValueText(s, 98304);
  EXPECT_EQ(TKGetEditText(VFGetValueSlider(s)->editField), "1.5");
  EXPECT_EQ(gChanges, 1);
  VFWriteControlValue(s, 98304, false);
  EXPECT_EQ(gChanges, 1) << "the same value again is no change";

  TKControl* fixed = Make(kVFScaled, kField + 4);
  const uint32_t word = uint32_t(-163840);  // -2.5 in 16.16
  std::memcpy(reinterpret_cast<uint8_t*>(&record) + kField + 4, &word, 4);
  VFRefreshFromSettings(fixed);
  EXPECT_EQ(TKGetControlValue(fixed), -163840);
  EXPECT_EQ(TKGetEditText(VFGetValueSlider(fixed)->editField), "-2.5");
}
