// A headless toolkit on the fake clock for each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/ui/ui_headless.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_window.h"
#include "tests/scratch_folder.h"

class TKHeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TKUseFakeClock(true);
    ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
  }
  void TearDown() override {
    TKShutdownToolkit();
    TKUseFakeClock(false);
  }
  static std::string TempPath(const char* name) { return ScratchDir("") + "/" + name; }
};
