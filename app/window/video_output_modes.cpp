#include "app/window/video_output_modes.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/views/preview_outputs.h"
#include "platform/ui/toolkit.h"
#include "platform/video_output.h"

namespace {

constexpr int32_t kRate2997 = 1964113;   // 29.97 in 16.16
constexpr int32_t kRate2997b = 1964115;  // what 29.0 and 0x1D0061 stand for
constexpr int32_t kRate25 = 25 << 16;
constexpr int32_t kRate30 = 30 << 16;
constexpr int32_t kRate50 = 50 << 16;
constexpr int32_t kMaxModes = 64;
constexpr uint32_t kRawType = QVFourCC("raw ");

std::vector<VideoOutputModeRecord> gModes;

void record(const VideoOutputModeRecord& mode) {
  for (VideoOutputModeRecord& m : gModes) {
    if (m.id == mode.id) {
      m = mode;
      return;
    }
  }
  gModes.push_back(mode);
}

}  // namespace

int32_t VideoOutputFrameRate(int32_t rate, int32_t height) {
  if (rate == 0) return kRate2997;
  if (rate == (29 << 16) || rate == 0x1D0061) return kRate2997b;
  if (rate > kRate30) return (height > 486 && rate <= kRate50) ? kRate25 : kRate2997;
  return rate;
}

int32_t FillVideoOutputModeMenu(TKMenu* menu, uint32_t device) {
  if (!menu) return 0;
  TKDeleteAllMenuItems(menu);
  if (device == kPreviewDeviceNone || device == kPreviewDeviceExternal) {
    TKAppendMenuItem(menu, " ", device);
    return TKCountMenuItems(menu);
  }
  const PLVideoDeviceKind* kind = PLVideoFindDevice(device);
  PLVideoDevice* instance = nullptr;
  if (!kind || !kind->displayModes || kind->open(&instance) != kQVNoErr || !instance) return 0;
  PLVideoDisplayMode modes[kMaxModes];
  int32_t count = kind->displayModes(instance, modes, kMaxModes);
  kind->close(instance);
  if (count > kMaxModes) count = kMaxModes;
  for (int32_t i = 0; i < count; ++i) {
    const PLVideoDisplayMode& m = modes[i];
    VideoOutputModeRecord r;
    r.id = m.id;
    r.decompressorType =
        (m.decompressorType == QVFourCC("DVOR") || m.decompressorType == 32) ? kRawType : m.decompressorType;
    r.width = m.width;
    r.height = m.height;
    r.rate = float(VideoOutputFrameRate(m.rate, m.height)) / 65536.0f;
    r.pixelType = m.pixelType;
    record(r);
    std::string name(m.name, strnlen(m.name, sizeof m.name));
    for (char& c : name)
      if (c == '/') c = '-';
    TKAppendMenuItem(menu, name.c_str(), m.id);
  }
  return TKCountMenuItems(menu);
}

const VideoOutputModeRecord* FindVideoOutputMode(uint32_t id) {
  for (const VideoOutputModeRecord& m : gModes)
    if (m.id == id) return &m;
  return nullptr;
}
