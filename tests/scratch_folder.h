// Scratch folders for tests, under VELMORA_TEST_TMP (set by CTest to a folder
// inside the build) or, run by hand, under the system's temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// The folder sub below the scratch root, created if need be, kept as it is.
inline std::string ScratchDir(const std::string& sub) {
  const char* root = std::getenv("VELMORA_TEST_TMP");
  std::filesystem::path dir = root ? std::filesystem::path(root) : std::filesystem::temp_directory_path() / "velmora-test";
  if (!sub.empty()) dir /= sub;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  EXPECT_FALSE(ec) << "cannot create " << dir << ": " << ec.message();
  return dir.string();
}

// A private empty folder for the running test, named after it.
inline std::string MakeScratchFolder(const std::string& name) {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path dir = std::filesystem::path(ScratchDir("")) /
                              (std::string(info ? info->test_suite_name() : "x") + "." +
                               (info ? info->name() : "y") + "." + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

// A suite's folder (made with ScratchDir in its set-up) removed with all it
// holds, so that runs do not pile up its files.
inline void RemoveSuiteFolder(std::string*& folder) {
  if (!folder) return;
  std::error_code ec;
  std::filesystem::remove_all(*folder, ec);
  delete folder;
  folder = nullptr;
}
