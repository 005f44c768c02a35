#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/frame_buffer.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "core/task_pool.h"
#include "platform/alerts.h"
#include "platform/file_contents.h"
#include "platform/file_ref.h"

namespace {

PLAlertAnswer answerDefault(const PLAlertRequest&, void*) { return kPLAnswerDefault; }

void fail(const std::string& what) {
  std::fprintf(stderr, "fuzz target set-up: %s\n", what.c_str());
  std::abort();
}

}  // namespace

void FZQuietAlerts() {
  static const PLAlertSink sink{answerDefault, nullptr};
  PLSetAlertSink(&sink);
}

const std::string& FZScratchFolder() {
  static const std::string folder = [] {
    const char* temp = std::getenv("TMPDIR");
    std::string pattern = std::string(temp && temp[0] ? temp : "/tmp") + "/velmora-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) fail("cannot make a scratch folder from " + pattern);
    const char* const variables[][2] = {{"VELMORA_PREFERENCES", "/prefs"}, {"VELMORA_TEMP", "/temp"},
                                        {"VELMORA_USER_SUPPORT", "/support"}, {"VELMORA_SYSTEM_SUPPORT", "/system"},
                                        {"VELMORA_DOCUMENTS", "/documents"}, {"XDG_RUNTIME_DIR", ""}};
    for (const auto& v : variables) {
      const std::string folder = pattern + v[1];
      if (PLCreateFolders(folder.c_str()) != kQVNoErr) fail("cannot make " + folder);
      setenv(v[0], folder.c_str(), 1);
    }
    // Alerts and reports of damaged files are expected here by the thousand.
    setenv("VELMORA_LOG", "/dev/null", 1);
    unsetenv("VELMORA_DEBUG_LOG");
    return pattern;
  }();
  return folder;
}

void FZWriteFile(const std::string& path, const uint8_t* data, size_t size) {
  QVStatus status = PLReplaceFileContents(path.c_str(), data, size, 0600);
  if (status != kQVNoErr && PLCreateFolders(path.substr(0, path.rfind('/')).c_str()) == kQVNoErr)
    status = PLReplaceFileContents(path.c_str(), data, size, 0600);
  if (status != kQVNoErr) fail("cannot write " + path + " (status " + std::to_string(status) + ")");
}

std::string FZWriteScratchFile(const char* name, const uint8_t* data, size_t size) {
  const std::string path = FZScratchFolder() + "/" + name;
  FZWriteFile(path, data, size);
  return path;
}

void FZUseSettings(const VL_SettingsStruct* settings) {
  gNumProcessors = 1;
  if (VL_UpdateProcessingTables(settings) != kQVNoErr) return;
  FBFrameStruct* source = nullptr;
  FBFrameStruct* result = nullptr;
  if (FBCreateRGBFrameBuffer(8, 4, &source, kFBPixFormatPlanarFloat) == kQVNoErr &&
      FBCreateRGBFrameBuffer(8, 4, &result, kFBPixFormatPlanarFloat) == kQVNoErr) {
    // Blacks, whites, greys and saturated colours, with values a little
    // outside 0..1 as frames from hosts carry.
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 8; ++x)
        FBSetRGBPixel(source, x, y, float(x) / 6.0f - 0.1f, float((x + y) % 8) / 7.0f, float(y) / 3.0f, 1.0f);
    (void)ProcessImage(source, result, 0, 0);
  }
  if (source) FBDisposeFrameBuffer(source);
  if (result) FBDisposeFrameBuffer(result);
}

// Every target starts with quiet alerts and its private folders in place.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FZScratchFolder();
  FZQuietAlerts();
  return 0;
}

VL_SettingsStruct FZDefaultSettings() {
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  return s;
}

void FZRenderThroughHost(SHHost* host, int32_t time, bool smart) {
  SHFrame in, out;
  SHMakeFrame(kSHLayoutARGB8, 8, 4, 0, &in);
  SHMakeFrame(kSHLayoutARGB8, 8, 4, 0, &out);
  auto* pixels = reinterpret_cast<uint8_t*>(in.storage.data());
  for (size_t i = 0; i < 8 * 4 * 4; ++i) pixels[i] = uint8_t(i * 37);
  (void)SHRender(host, in, &out, time, smart);
}
