// Stands in for an installed external-preview library: every entry point
// answers success and writes its name (with the values that matter) to a
// log, in call order, which the tests read through GlowcastRecorderLog.
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/external_preview_abi.h"

namespace {

std::string gLog;
int16_t gBoundsWidth = 32, gBoundsHeight = 24;
bool gGivesBounds = true;
int32_t gWord1 = 0;
int32_t gAccessCount = 0;

void note(const std::string& line) { gLog += line + "\n"; }

}  // namespace

extern "C" {

__attribute__((visibility("default"))) const char* GlowcastRecorderLog() { return gLog.c_str(); }

// width x height of the preview bounds (none given when givesBounds is 0),
// the word 1 the open call writes, the access count.
__attribute__((visibility("default"))) void GlowcastRecorderSetUp(int16_t width, int16_t height, int32_t givesBounds,
                                                                  int32_t word1, int32_t accessCount) {
  gLog.clear();
  gBoundsWidth = width;
  gBoundsHeight = height;
  gGivesBounds = givesBounds != 0;
  gWord1 = word1;
  gAccessCount = accessCount;
}

__attribute__((visibility("default"))) uint8_t VUZerE_IsGlowcastAvailable() {
  note("IsGlowcastAvailable");
  return 1;
}

__attribute__((visibility("default"))) int16_t VUZerE_OpenGlowcastConnection(int32_t version, const uint8_t* name,
                                                                             const char* client, int32_t flags,
                                                                             VUZerEConnection* connection) {
  note("OpenGlowcastConnection " + std::to_string(version) + " " +
       std::string(reinterpret_cast<const char*>(name + 1), name[0]) + " " + client + " " + std::to_string(flags));
  connection->connection = 77;
  connection->word1 = gWord1;
  return 0;
}

__attribute__((visibility("default"))) int16_t VUZerE_CloseGlowcastConnection(const VUZerEConnection* c,
                                                                              int32_t version, const char* client) {
  note("CloseGlowcastConnection " + std::to_string(c->connection) + " " + std::to_string(version) + " " + client);
  return 0;
}

__attribute__((visibility("default"))) int32_t VUZerE_GetAccessCount() {
  note("GetAccessCount");
  return gAccessCount;
}

__attribute__((visibility("default"))) int16_t VUZerE_OutputOn() {
  note("OutputOn");
  return 0;
}

__attribute__((visibility("default"))) int16_t VUZerE_OutputOff() {
  note("OutputOff");
  return 0;
}

__attribute__((visibility("default"))) void VUZerE_GetPreviewBounds(const VUZerEConnection*, VUZerERect* r) {
  note("GetPreviewBounds");
  if (gGivesBounds) *r = VUZerERect{0, 0, gBoundsHeight, gBoundsWidth};
}

__attribute__((visibility("default"))) int16_t VUZerE_DoImageScaling(const VUZerEConnection*,
                                                                     const VUZerEPicture* source,
                                                                     VUZerEPicture* destination, int32_t one,
                                                                     int32_t zero) {
  note("DoImageScaling " + std::to_string(source->width) + "x" + std::to_string(source->height) + " to " +
       std::to_string(destination->width) + "x" + std::to_string(destination->height) + " " + std::to_string(one) +
       " " + std::to_string(zero));
  return 0;
}

__attribute__((visibility("default"))) int16_t VUZerE_DisplayTestInstruments(const uint8_t*, int32_t height,
                                                                             int32_t width, int32_t,
                                                                             const VUZerEConnection*,
                                                                             VUZerEPicture*) {
  note("DisplayTestInstruments " + std::to_string(width) + "x" + std::to_string(height));
  return 0;
}

__attribute__((visibility("default"))) int16_t VUZerE_DisplayOverlays(const VUZerEConnection*, VUZerEPicture*) {
  note("DisplayOverlays");
  return 0;
}

__attribute__((visibility("default"))) int16_t VUZerE_OutputGWorld(const VUZerEConnection*, VUZerEPicture*) {
  note("OutputGWorld");
  return 0;
}

__attribute__((visibility("default"))) int16_t VUZerE_SetLastOutput(const VUZerEConnection*, int32_t value) {
  note("SetLastOutput " + std::to_string(value));
  return 0;
}
}
