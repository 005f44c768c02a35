// Host pixel formats and host memory for the render path.
#include <cstring>

#include "core/frame_buffer.h"
#include "platform/fourcc.h"
#include "plugin/host_calls.h"
#include "plugin/render.h"

namespace {

struct FormatRow {
  uint32_t hostFormat;
  FBPixFormat format;
  int32_t bytesPerPixel;
};

// Premiere-style hosts, asked through the pixel-format suite.
const FormatRow kPremiereFormats[] = {
    {kHIPixelFormatVUYAFloat, kFBPixFormatYCbCrFloat, 16},
    {kHIPixelFormatBGRAFloat, kFBPixFormatFloatBGRA, 16},
    {kHIPixelFormatBGRA8, kFBPixFormat32ARGB, 4},
    {kHIPixelFormatPProARGBFloat, kFBPixFormatFloatARGB, 16},
    {kHIPixelFormatPProARGB8, kFBPixFormatBGRA, 4},
    {kHIPixelFormatVUYA8, kFBPixFormatYCbCr8, 4},
};

// Any host with the world suite.
const FormatRow kWorldFormats[] = {
    {kHIPixelFormatARGB8, kFBPixFormatBGRA, 4},
    {kHIPixelFormatARGB16, kFBPixFormat16ARGB, 8},
    {kHIPixelFormatARGBFloat, kFBPixFormatFloatARGB, 16},
};

template <size_t N>
const FormatRow* find(const FormatRow (&rows)[N], uint32_t hostFormat) {
  for (const FormatRow& r : rows) {
    if (r.hostFormat == hostFormat) return &r;
  }
  return nullptr;
}

// Header of a host memory block: the handle, then which allocator made it.
enum : uint64_t { kMadeByMemorySuite = 1, kMadeByHandle = 2 };
constexpr size_t kHeaderBytes = 16;

}  // namespace

HIError GetPixelFormatAndSize(const HIWorld* world, const VLGlobalData* globals, const HIBasicSuite* basic,
                              FBPixFormat* format, int32_t* bytesPerPixel) {
  if (!world) return kHIErrBadCallbackParam;
  auto fallback = [&] {
    bool deep = (world->flags & kHIWorldFlagDeep) != 0;
    *format = deep ? kFBPixFormat16ARGB : kFBPixFormatBGRA;
    *bytesPerPixel = deep ? 8 : 4;
    return kHINoErr;
  };
  if (!basic) return fallback();
  if (globals && globals->hostCreator == QVFourCC("PPro")) {
    VLSuite suite(basic, kHISuitePixelFormat, kHISuitePixelFormatVersion);
    if (auto* s = suite.get<HIPixelFormatSuite1>()) {
      uint32_t hostFormat = kHIPixelFormatBGRA8;  // what the host answers when it says nothing
      s->get_pixel_format(world, &hostFormat);
      const FormatRow* row = find(kPremiereFormats, hostFormat);
      if (!row) return kHIErrUnrecognizedParamType;
      *format = row->format;
      *bytesPerPixel = row->bytesPerPixel;
      return kHINoErr;
    }
  }
  VLSuite suite(basic, kHISuiteWorld, kHISuiteWorldVersion);
  auto* s = suite.get<HIWorldSuite2>();
  if (!s) return fallback();
  uint32_t hostFormat = kHIPixelFormatBad;
  s->get_pixel_format(world, &hostFormat);
  const FormatRow* row = find(kWorldFormats, hostFormat);
  if (!row) return kHIErrUnrecognizedParamType;
  *format = row->format;
  *bytesPerPixel = row->bytesPerPixel;
  return kHINoErr;
}

void* AllocateMemoryPointer(size_t size, const char* name, const VLGlobalData* globals, const HIInData* in) {
  if (!globals || size >= size_t(0xFFFFFFF0) || size > SIZE_MAX - kHeaderBytes) return nullptr;
  const uint64_t total = uint64_t(size) + kHeaderBytes;
  uint8_t* block = nullptr;
  uint64_t handle = 0, kind = 0;
  if (globals->hostCreator == QVFourCC("FXTC")) {
    VLSuite suite(globals->basicSuite, kHISuiteAEGPMemory, kHISuiteAEGPMemoryVersion);
    if (auto* s = suite.get<HIMemorySuite1>()) {
      HIMemHandle mh = nullptr;
      void* p = nullptr;
      if (s->new_mem_handle(globals->aegpPluginId, name, total, 0, &mh) == kHINoErr && mh) {
        if (s->lock_mem_handle(mh, &p) == kHINoErr && p) {
          block = static_cast<uint8_t*>(p);
          handle = uint64_t(reinterpret_cast<uintptr_t>(mh));
          kind = kMadeByMemorySuite;
        } else {
          s->free_mem_handle(mh);
        }
      }
    }
  }
  if (!block && in) {
    HIHandle h = VLNewHandle(in, total);
    if (h) {
      block = static_cast<uint8_t*>(VLLockHandle(in, h));
      if (!block) {
        VLDisposeHandle(in, h);
      } else {
        handle = uint64_t(reinterpret_cast<uintptr_t>(h));
        kind = kMadeByHandle;
      }
    }
  }
  if (!block) return nullptr;
  std::memcpy(block, &handle, 8);
  std::memcpy(block + 8, &kind, 8);
  return block + kHeaderBytes;
}

void DeallocateMemoryPointer(void* address, const VLGlobalData* globals, const HIInData* in) {
  if (!address || !globals) return;
  uint8_t* block = static_cast<uint8_t*>(address) - kHeaderBytes;
  uint64_t handle, kind;
  std::memcpy(&handle, block, 8);
  std::memcpy(&kind, block + 8, 8);
  if (!handle) return;
  if (kind == kMadeByMemorySuite) {
    VLSuite suite(globals->basicSuite, kHISuiteAEGPMemory, kHISuiteAEGPMemoryVersion);
    if (auto* s = suite.get<HIMemorySuite1>()) {
      auto mh = reinterpret_cast<HIMemHandle>(uintptr_t(handle));
      s->unlock_mem_handle(mh);
      s->free_mem_handle(mh);
    }
    return;
  }
  auto h = reinterpret_cast<HIHandle>(uintptr_t(handle));
  VLUnlockHandle(in, h);
  VLDisposeHandle(in, h);
}

int32_t OpenSupportFile() { return 0; }
