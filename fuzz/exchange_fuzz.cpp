// The exchange block as the grading application reads it. The input is laid
// over the parts of a block the plug-in fills: its first 48 bytes over the
// block's first 48 (version, flags, state, time display ...), the next 132
// over the geometry words (offsets 52848 to 52980: footage count, frame
// size, row bytes, times, pixel format, chunk words, aspect, host, request
// words, linearization), the rest as frame data from offset 86560; the
// segment ends there. The correction between is a record of defaults in the
// writer's order. The block then goes through the application's attach
// check, its pane images, its correction and its frame import.
#include <cstring>
#include <vector>

#include "app/shell/host_link.h"
#include "app/shell/ui_state.h"
#include "app/views/view_state.h"
#include "core/task_pool.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr size_t kHeadBytes = 48;
constexpr size_t kGeometryAt = CC_OFFSET(footageCount);
constexpr size_t kGeometryBytes = CC_OFFSET(settings) - kGeometryAt;
static_assert(kGeometryBytes == 132);
// Frames past this many pixels are a question of memory, not of reading.
constexpr int64_t kMaxPixels = int64_t(1) << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t head = size < kHeadBytes ? size : kHeadBytes;
  const size_t geometry = size - head < kGeometryBytes ? size - head : kGeometryBytes;
  const size_t frame = size - head - geometry;
  const size_t segmentBytes = kCCFrameDataOffset + frame < kCCAttachBytes ? kCCAttachBytes : kCCFrameDataOffset + frame;
  // Whole words, as a mapping is.
  std::vector<uint32_t> segment((segmentBytes + 3) / 4, 0);
  auto* bytes = reinterpret_cast<uint8_t*>(segment.data());
  std::memcpy(bytes, data, head);
  std::memcpy(bytes + kGeometryAt, data + head, geometry);
  std::memcpy(bytes + kCCFrameDataOffset, data + head + geometry, frame);

  // The attach check: the byte order from word 0, then the version.
  CCView v{reinterpret_cast<CCUIComm*>(bytes), segmentBytes, false};
  const uint32_t version = CCGet32(v, CC_OFFSET(version));
  if (version == kCCVersionSwapped)
    v.swapped = true;
  else if (version != kCCVersion)
    return 0;
  VL_SettingsStruct defaults = FZDefaultSettings();
  CCWriteSettings(v, &defaults);
  // The host is gone by the time a chunk is waited for, so no wait lasts.
  CCSet32(v, CC_OFFSET(hostSerial), 0x7FFFFFF0u);
  CCSet32(v, CC_OFFSET(hostSerial) + 4, 1);
  CCGeometry g;
  if (CCReadGeometry(v, &g) == kQVNoErr && int64_t(g.width) * g.height > kMaxPixels) return 0;

  gNumProcessors = 1;
  gUIComm = v;
  if (SetupImageGWorlds() == kQVNoErr) {
    VL_SettingsStruct incoming;
    CCReadSettings(gUIComm, &incoming);
    if (incoming.byteOrderFlag != kVLSettingsByteOrderFlag) __builtin_trap();
    std::memcpy(&gUISettings, &incoming, sizeof gUISettings);
    (void)UICommImportFrame();
  }
  gUIComm = CCView{};
  return 0;
}
