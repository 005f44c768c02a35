// A headless toolkit on the fake clock for each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/ui/ui_headless.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_window.h"
#include "tests/scratch_folder.h"

class UIHeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UIUseFakeClock(true);
    ASSERT_EQ(UIInitToolkit(kUIBackendHeadless), kQVNoErr);
  }
  void TearDown() override {
    UIShutdownToolkit();
    UIUseFakeClock(false);
  }
  static std::string TempPath(const char* name) { return ScratchDir("") + "/" + name; }
};
