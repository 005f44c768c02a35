// A private scratch folder per test under VELMORA_TEST_TMP, with the special
// folders pointed into it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

inline std::string MakeScratchFolder(const std::string& name) {
  const char* root = std::getenv("VELMORA_TEST_TMP");
  std::filesystem::path base = root ? root : std::filesystem::temp_directory_path() / "velmora-test";
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path dir = base / (std::string(info ? info->test_suite_name() : "x") + "." +
                                      (info ? info->name() : "y") + "." + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}
