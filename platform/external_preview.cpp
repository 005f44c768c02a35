#include "platform/external_preview.h"

#include <cstdlib>
#include <mutex>

#include <dlfcn.h>

#include "platform/folders.h"

namespace {

constexpr const char* kLibraryFolder = "Quorvane";
constexpr const char* kLibraryName = "Glowcast\u2122 X Library";

struct Library {
  std::mutex lock;
  void* handle = nullptr;
};

Library& library() {
  static Library l;
  return l;
}

// The library, loaded on the first call that finds it (a library
// installed while the program runs is found by a later call).
void* loaded() {
  Library& l = library();
  if (!l.handle) {
    const std::string path = VUZerELibraryPath();
    if (!path.empty()) l.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  return l.handle;
}

// One entry point: its address is looked up on the first call and kept;
// a failed lookup is tried again on the next call.
struct Entry {
  const char* name;
  void* address = nullptr;
};

template <typename F>
F find(Entry& e) {
  Library& l = library();
  std::lock_guard<std::mutex> hold(l.lock);
  if (!e.address) {
    if (void* h = loaded()) e.address = dlsym(h, e.name);
  }
  return reinterpret_cast<F>(e.address);
}

Entry gAvailable{"VUZerE_IsGlowcastAvailable"};
Entry gOpen{"VUZerE_OpenGlowcastConnection"};
Entry gClose{"VUZerE_CloseGlowcastConnection"};
Entry gAccessCount{"VUZerE_GetAccessCount"};
Entry gOutputOn{"VUZerE_OutputOn"};
Entry gOutputOff{"VUZerE_OutputOff"};
Entry gBounds{"VUZerE_GetPreviewBounds"};
Entry gScaling{"VUZerE_DoImageScaling"};
Entry gInstruments{"VUZerE_DisplayTestInstruments"};
Entry gOverlays{"VUZerE_DisplayOverlays"};
Entry gOutput{"VUZerE_OutputGWorld"};
Entry gLastOutput{"VUZerE_SetLastOutput"};
Entry* const kEntries[] = {&gAvailable, &gOpen,    &gClose,       &gAccessCount, &gOutputOn, &gOutputOff,
                           &gBounds,    &gScaling, &gInstruments, &gOverlays,    &gOutput,   &gLastOutput};

// "Velmora" as a length-prefixed string.
const uint8_t kClientName[] = {7, 'V', 'e', 'l', 'm', 'o', 'r', 'a'};

using ConnectionCall = int16_t (*)(const VUZerEConnection*, VUZerEPicture*);

}  // namespace

std::string VUZerELibraryPath() {
  if (const char* named = std::getenv(kVUZerELibraryVariable); named && *named) return named;
  QVFileRef folder;
  if (PLFolderPath(kPLFolderSystemSupport, &folder) != kQVNoErr) return {};
  return std::string(folder.path) + "/" + kLibraryFolder + "/" + kLibraryName;
}

void VUZerEUnload() {
  Library& l = library();
  std::lock_guard<std::mutex> hold(l.lock);
  for (Entry* e : kEntries) e->address = nullptr;
  if (l.handle) dlclose(l.handle);
  l.handle = nullptr;
}

bool VUZerE_IsGlowcastAvailable() {
  auto f = find<uint8_t (*)()>(gAvailable);
  return f ? f() != 0 : false;
}

int16_t VUZerE_OpenGlowcastConnection(VUZerEConnection* connection) {
  auto f = find<int16_t (*)(int32_t, const uint8_t*, const char*, int32_t, VUZerEConnection*)>(gOpen);
  return f ? f(kVUZerEVersion, kClientName, kVUZerEClientID, 0, connection) : -1;
}

int16_t VUZerE_CloseGlowcastConnection(const VUZerEConnection* connection) {
  auto f = find<int16_t (*)(const VUZerEConnection*, int32_t, const char*)>(gClose);
  return f ? f(connection, kVUZerEVersion, kVUZerEClientID) : -1;
}

int32_t VUZerE_GetAccessCount() {
  auto f = find<int32_t (*)()>(gAccessCount);
  return f ? f() : 0;
}

int16_t VUZerE_OutputOn() {
  auto f = find<int16_t (*)()>(gOutputOn);
  return f ? f() : -1;
}

int16_t VUZerE_OutputOff() {
  auto f = find<int16_t (*)()>(gOutputOff);
  return f ? f() : -1;
}

void VUZerE_GetPreviewBounds(const VUZerEConnection* connection, VUZerERect* bounds) {
  if (auto f = find<void (*)(const VUZerEConnection*, VUZerERect*)>(gBounds)) f(connection, bounds);
}

int16_t VUZerE_DoImageScaling(const VUZerEConnection* connection, const VUZerEPicture* source,
                              VUZerEPicture* destination) {
  auto f = find<int16_t (*)(const VUZerEConnection*, const VUZerEPicture*, VUZerEPicture*, int32_t, int32_t)>(gScaling);
  return f ? f(connection, source, destination, 1, 0) : -1;
}

int16_t VUZerE_DisplayTestInstruments(const uint8_t* sourcePixels, int32_t height, int32_t width, int32_t rowBytes,
                                      const VUZerEConnection* connection, VUZerEPicture* destination) {
  auto f = find<int16_t (*)(const uint8_t*, int32_t, int32_t, int32_t, const VUZerEConnection*, VUZerEPicture*)>(
      gInstruments);
  return f ? f(sourcePixels, height, width, rowBytes, connection, destination) : -1;
}

int16_t VUZerE_DisplayOverlays(const VUZerEConnection* connection, VUZerEPicture* destination) {
  auto f = find<ConnectionCall>(gOverlays);
  return f ? f(connection, destination) : -1;
}

int16_t VUZerE_OutputGWorld(const VUZerEConnection* connection, VUZerEPicture* destination) {
  auto f = find<ConnectionCall>(gOutput);
  return f ? f(connection, destination) : -1;
}

int16_t VUZerE_SetLastOutput(const VUZerEConnection* connection, int32_t value) {
  auto f = find<int16_t (*)(const VUZerEConnection*, int32_t)>(gLastOutput);
  return f ? f(connection, value) : -1;
}
