// The engine holds a record to the ranges the effect's sliders allow before it
// builds tables from it: its table of ranges and the parameter table must
// name the same fields with the same limits.
#include <gtest/gtest.h>

#include "core/settings_ranges.h"
#include "plugin/param_table.h"

namespace {

TEST(SettingsRanges, EverySliderRangeIsTheEnginesRange) {
  const VLParamInfo* table = VLParamTable();
  int sliders = 0;
  for (int i = 0; i < kVLParamCount; ++i) {
    const VLParamInfo& p = table[i];
    if (p.kind != kHIParamFloatSlider || p.settingsOffset < 0) continue;
    ++sliders;
    const VLSettingsFieldRange* r = VL_FindSettingsFieldRange(uint32_t(p.settingsOffset));
    ASSERT_NE(r, nullptr) << p.name << " (id " << p.id << ")";
    EXPECT_EQ(p.validMin, r->min) << p.name << " (id " << p.id << ")";
    EXPECT_EQ(p.validMax, r->max) << p.name << " (id " << p.id << ")";
  }
  EXPECT_EQ(kVLSettingsFieldRangeCount, sliders);  // and no range without its slider
}

}  // namespace
