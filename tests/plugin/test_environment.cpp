// Every plug-in test reads and writes preferences in a private folder.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const bool kPrivatePreferences = [] {
  const char* tmp = std::getenv("VELMORA_TEST_TMP");
  std::string dir = std::string(tmp ? tmp : "/tmp") + "/plugin-preferences";
  std::filesystem::create_directories(dir);
  setenv("VELMORA_PREFERENCES", dir.c_str(), 1);
  return true;
}();

}  // namespace
