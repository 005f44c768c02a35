#include "platform/video_output.h"

#include <cstring>
#include <mutex>
#include <new>

namespace {

struct PLVideoDeviceState {
  uint32_t mode = 0;
  int32_t width = 0, height = 0;  // chosen by the mode
  bool begun = false;
};

}  // namespace

struct PLVideoDevice : PLVideoDeviceState {};

namespace {

// 59.94 and 50 fields per second in 16.16 fixed point.
constexpr int32_t kRate5994 = 3928227;
constexpr int32_t kRate50 = 50 << 16;
const PLVideoDisplayMode kModes[] = {
    {QVFourCC("ntsc"), "NTSC 720 x 486i/59.94", 720, 486, kRate5994, QVFourCC("2vuy"), QVFourCC("DVOR")},
    {QVFourCC("pal "), "PAL 720 x 576i/50", 720, 576, kRate50, QVFourCC("2vuy"), QVFourCC("DVOR")},
    {QVFourCC("hd10"), "HD 1920 x 1080i/59.94", 1920, 1080, kRate5994, QVFourCC("v210"), QVFourCC("DVOR")},
};

struct MemorySetUp {
  int32_t width = 720, height = 486;
  int32_t beginFailures = 0;
};
MemorySetUp gMemorySetUp;
PLMemoryVideoRecord gMemoryRecord;

QVStatus sizeForMode(uint32_t mode, int32_t defaultWidth, int32_t defaultHeight, int32_t* w, int32_t* h) {
  if (mode == 0) {
    *w = defaultWidth;
    *h = defaultHeight;
    return kQVNoErr;
  }
  for (const PLVideoDisplayMode& m : kModes) {
    if (m.id == mode) {
      *w = m.width;
      *h = m.height;
      return kQVNoErr;
    }
  }
  return kQVErrParam;
}

QVStatus openDevice(PLVideoDevice** device) {
  *device = new (std::nothrow) PLVideoDevice;
  return *device ? kQVNoErr : kQVErrMemory;
}

void closeDevice(PLVideoDevice* device) { delete device; }

int32_t deviceModes(PLVideoDevice*, PLVideoDisplayMode* out, int32_t max) {
  const int32_t count = int32_t(sizeof kModes / sizeof kModes[0]);
  for (int32_t i = 0; i < count && i < max; ++i) out[i] = kModes[i];
  return count;
}

void deviceSize(PLVideoDevice* d, int32_t* w, int32_t* h) {
  *w = d->begun ? d->width : 0;
  *h = d->begun ? d->height : 0;
}

// The null device.
QVStatus nullMode(PLVideoDevice* d, uint32_t mode) {
  d->mode = mode;
  return sizeForMode(mode, 720, 486, &d->width, &d->height);
}
QVStatus nullBegin(PLVideoDevice* d) {
  d->begun = true;
  return kQVNoErr;
}
void nullEnd(PLVideoDevice* d) { d->begun = false; }
QVStatus nullShow(PLVideoDevice* d, const uint8_t* pixels, int32_t rowBytes) {
  return d->begun && pixels && rowBytes >= d->width * 4 ? kQVNoErr : kQVErrParam;
}

// The in-memory device.
QVStatus memoryOpen(PLVideoDevice** device) {
  QVStatus s = openDevice(device);
  if (s == kQVNoErr) ++gMemoryRecord.opens;
  return s;
}
QVStatus memoryMode(PLVideoDevice* d, uint32_t mode) {
  d->mode = mode;
  gMemoryRecord.mode = mode;
  return sizeForMode(mode, gMemorySetUp.width, gMemorySetUp.height, &d->width, &d->height);
}
QVStatus memoryBegin(PLVideoDevice* d) {
  ++gMemoryRecord.begins;
  if (gMemorySetUp.beginFailures > 0) {
    --gMemorySetUp.beginFailures;
    return kQVErrIO;
  }
  d->begun = true;
  gMemoryRecord.running = true;
  gMemoryRecord.width = d->width;
  gMemoryRecord.height = d->height;
  return kQVNoErr;
}
void memoryEnd(PLVideoDevice* d) {
  d->begun = false;
  gMemoryRecord.running = false;
}
void memoryClose(PLVideoDevice* d) {
  ++gMemoryRecord.closes;
  gMemoryRecord.running = false;
  closeDevice(d);
}
QVStatus memoryShow(PLVideoDevice* d, const uint8_t* pixels, int32_t rowBytes) {
  if (!d->begun || !pixels || rowBytes < d->width * 4) return kQVErrParam;
  std::vector<uint8_t> frame;
  try {
    frame.resize(size_t(d->width) * 4 * size_t(d->height));
  } catch (const std::bad_alloc&) {
    return kQVErrMemory;
  }
  for (int32_t y = 0; y < d->height; ++y)
    std::memcpy(frame.data() + size_t(y) * size_t(d->width) * 4, pixels + size_t(y) * size_t(rowBytes),
                size_t(d->width) * 4);
  gMemoryRecord.frames.push_back(std::move(frame));
  return kQVNoErr;
}

const PLVideoDeviceKind kNullKind = {kPLVideoNullDevice, "Null video output", openDevice, nullMode, nullBegin,
                                     nullEnd, closeDevice, deviceSize, nullShow, deviceModes};
const PLVideoDeviceKind kMemoryKind = {kPLVideoMemoryDevice, "In-memory video output", memoryOpen, memoryMode,
                                       memoryBegin, memoryEnd, memoryClose, deviceSize, memoryShow,
                                       deviceModes};

std::mutex gRegistryLock;
std::vector<const PLVideoDeviceKind*>& registry() {
  static std::vector<const PLVideoDeviceKind*> kinds{&kNullKind, &kMemoryKind};
  return kinds;
}

}  // namespace

const PLVideoDeviceKind* PLVideoFindDevice(uint32_t subtype) {
  std::lock_guard<std::mutex> hold(gRegistryLock);
  for (const PLVideoDeviceKind* k : registry())
    if (k->subtype == subtype) return k;
  return nullptr;
}

void PLVideoRegisterDevice(const PLVideoDeviceKind* kind) {
  if (!kind) return;
  std::lock_guard<std::mutex> hold(gRegistryLock);
  registry().push_back(kind);
}

int32_t PLVideoDeviceCount() {
  std::lock_guard<std::mutex> hold(gRegistryLock);
  return int32_t(registry().size());
}

const PLVideoDeviceKind* PLVideoDeviceAt(int32_t index) {
  std::lock_guard<std::mutex> hold(gRegistryLock);
  return index >= 0 && size_t(index) < registry().size() ? registry()[size_t(index)] : nullptr;
}

void PLMemoryVideoConfigure(int32_t width, int32_t height, int32_t beginFailures) {
  gMemorySetUp.width = width > 0 ? width : 720;
  gMemorySetUp.height = height > 0 ? height : 486;
  gMemorySetUp.beginFailures = beginFailures > 0 ? beginFailures : 0;
}

const PLMemoryVideoRecord& PLMemoryVideoRecorded() { return gMemoryRecord; }

void PLMemoryVideoReset() {
  gMemorySetUp = MemorySetUp{};
  gMemoryRecord = PLMemoryVideoRecord{};
}
