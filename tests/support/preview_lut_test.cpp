#include "support/preview_lut.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(PreviewLUT, ChoicesBuildTheirTables) {
  uint8_t t[kPreviewLUTBytes];
  struct Case {
    int32_t choice;
    int input, output;
  };
  const Case cases[] = {
      {50, 0, 0},   {50, 128, 128}, {51, 0, 0},   {51, 255, 255}, {52, 255, 255}, {51, 4, 18},
      {51, 128, 180}, {53, 255, 255}, {53, 0, 0},  {54, 0, 255},   {54, 255, 0},   {55, 255, 255},
      {55, 128, 110},
  };
  for (const Case& c : cases) {
    std::memset(t, 7, sizeof t);
    EXPECT_EQ(BuildLinearizationLUT(c.choice, t), kQVNoErr);
    EXPECT_EQ(t[c.input], c.output) << c.choice << " at " << c.input;
    EXPECT_EQ(t[256 + c.input], c.output);  // same for green and blue
    EXPECT_EQ(t[512 + c.input], c.output);
  }
  // The gamma curves never step back where the linear toe meets the power segment.
  for (int32_t choice : {51, 53}) {
    EXPECT_EQ(kQVNoErr, BuildLinearizationLUT(choice, t));
    for (int i = 1; i < 256; ++i) EXPECT_GE(t[i], t[i - 1]) << choice << " at " << i;
  }
}

TEST(PreviewLUT, OutOfRangeAndCancelledFileLeaveTheTable) {
  uint8_t t[kPreviewLUTBytes];
  std::memset(t, 9, sizeof t);
  EXPECT_EQ(BuildLinearizationLUT(49, t), kQVNoErr);
  EXPECT_EQ(BuildLinearizationLUT(57, t), kQVNoErr);
  EXPECT_EQ(BuildLinearizationLUT(56, t), kQVErrCancelled);  // no loader
  SetLinearizationLUTFileLoader([](uint8_t* table) {
    table[0] = 1;  // a cancelled panel must not leak a half-filled table
    return 0;
  });
  EXPECT_EQ(BuildLinearizationLUT(56, t), kQVErrCancelled);
  for (uint8_t v : t) ASSERT_EQ(v, 9);
  SetLinearizationLUTFileLoader([](uint8_t* table) {
    std::memset(table, 42, kPreviewLUTBytes);
    return 1;
  });
  EXPECT_EQ(BuildLinearizationLUT(56, t), kQVNoErr);
  EXPECT_EQ(t[100], 42);
  SetLinearizationLUTFileLoader(nullptr);
}
