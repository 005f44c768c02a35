// Host pixel formats and host memory for the render path.
#include <cstring>

#include "core/frame_buffer.h"
#include "platform/host/host_signatures.h"
#include "plugin/host_calls.h"
#include "plugin/render.h"

namespace {

struct FormatRow {
  uint32_t hostFormat;
  FBPixFormat format;
};

// Premiere-style hosts, asked through the pixel-format suite.
const FormatRow kPremiereFormats[] = {
    {kHIPixelFormatVUYAFloat, kFBPixFormatYCbCrFloat},
    {kHIPixelFormatBGRAFloat, kFBPixFormatFloatBGRA},
    {kHIPixelFormatBGRA8, kFBPixFormat32ARGB},
    {kHIPixelFormatPProARGBFloat, kFBPixFormatFloatARGB},
    {kHIPixelFormatPProARGB8, kFBPixFormatBGRA},
    {kHIPixelFormatVUYA8, kFBPixFormatYCbCr8},
};

// Any host with the world suite.
const FormatRow kWorldFormats[] = {
    {kHIPixelFormatARGB8, kFBPixFormatBGRA},
    {kHIPixelFormatARGB16, kFBPixFormat16ARGB},
    {kHIPixelFormatARGBFloat, kFBPixFormatFloatARGB},
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
  auto answer = [&](FBPixFormat f) -> HIError {
    *format = f;
    *bytesPerPixel = int32_t(FBPixelBytes(f));
    return kHINoErr;
  };
  // The host's answer is used only when it gives one; a host that fails the
  // question fails the render with its error.
  auto lookUp = [&](auto getPixelFormat, const auto& rows, uint32_t unanswered) -> HIError {
    uint32_t hostFormat = unanswered;
    if (HIError err = getPixelFormat(world, &hostFormat)) return err;
    const FormatRow* row = find(rows, hostFormat);
    return row ? answer(row->format) : kHIErrUnrecognizedParamType;
  };
  if (!basic) return answer(world->flags & kHIWorldFlagDeep ? kFBPixFormat16ARGB : kFBPixFormatBGRA);
  if (globals && globals->hostCreator == kHIHostPremiere) {
    VLSuite suite(basic, kHISuitePixelFormat, kHISuitePixelFormatVersion);
    // A host that says nothing renders in 8-bit BGRA.
    if (auto* s = suite.get<HIPixelFormatSuite1>()) return lookUp(s->get_pixel_format, kPremiereFormats, kHIPixelFormatBGRA8);
  }
  VLSuite suite(basic, kHISuiteWorld, kHISuiteWorldVersion);
  auto* s = suite.get<HIWorldSuite2>();
  if (!s) return answer(world->flags & kHIWorldFlagDeep ? kFBPixFormat16ARGB : kFBPixFormatBGRA);
  return lookUp(s->get_pixel_format, kWorldFormats, kHIPixelFormatBad);
}

void* AllocateMemoryPointer(size_t size, const char* name, const VLGlobalData* globals, const HIInData* in) {
  if (!globals || size >= size_t(0xFFFFFFF0) || size > SIZE_MAX - kHeaderBytes) return nullptr;
  const uint64_t total = uint64_t(size) + kHeaderBytes;
  uint8_t* block = nullptr;
  uint64_t handle = 0, kind = 0;
  if (globals->hostCreator == kHIHostAfterEffects) {
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
