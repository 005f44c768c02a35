// What the exchange asks of the host besides the current frame: further clip
// frames, the host's way of showing time, and the project's footage.
#include <algorithm>
#include <cstring>

#include "platform/fourcc.h"
#include "plugin/host_calls.h"
#include "plugin/render.h"
#include "plugin/ui_exchange.h"

namespace {

// Checks the input layer out at a time; the caller checks it in.
bool checkoutLayer(const HIInData* in, int32_t time, int32_t step, uint32_t scale, HIParamDef* layer) {
  return in && in->utils && in->utils->checkout_param && in->utils->checkin_param &&
         in->utils->checkout_param(in->effect_ref, 0, time, step, scale, layer) == kHINoErr;
}

void checkinLayer(const HIInData* in, HIParamDef* layer) { in->utils->checkin_param(in->effect_ref, layer); }

// Copies the world's rows into every `stride`-th row of the buffer from
// row `first`, each row at most `rowCopy` bytes.
void copyRows(const HIWorld& w, int32_t rows, size_t rowCopy, uint8_t* buffer, int32_t bufferRowBytes,
              int32_t first, int32_t stride) {
  const auto* base = static_cast<const uint8_t*>(w.data);
  for (int32_t y = 0; y < rows; ++y) {
    const uint8_t* from = base + int64_t(y) * w.row_bytes;
    std::memcpy(buffer + size_t(first + y * stride) * size_t(bufferRowBytes), from, rowCopy);
  }
}

// Bytes of one row both sides can hold.
size_t rowCopyBytes(const HIWorld& w, const VLGlobalData* g, int32_t bufferRowBytes, bool whole) {
  const size_t layerRow = size_t(std::abs(w.row_bytes));
  if (whole) return std::min(layerRow, size_t(bufferRowBytes));
  FBPixFormat format = 0;
  int32_t bytesPerPixel = 0;
  if (GetPixelFormatAndSize(&w, g, g ? g->basicSuite : nullptr, &format, &bytesPerPixel)) return 0;
  return std::min({size_t(w.width) * size_t(bytesPerPixel), layerRow, size_t(bufferRowBytes)});
}

}  // namespace

std::vector<uint8_t> AEGetClipFrame(int32_t time, int32_t timeStep, uint32_t timeScale, int32_t height,
                                    int32_t width, int32_t rowBytes, const HIInData* in,
                                    const VLGlobalData* globals, bool* made) {
  *made = false;
  std::vector<uint8_t> buffer;
  if (height <= 0 || rowBytes <= 0) return buffer;
  try {
    buffer.assign(size_t(height) * size_t(rowBytes), 0);
  } catch (const std::bad_alloc&) {
    return {};
  }
  *made = true;
  if (globals && globals->hostCreator == QVFourCC("ATve")) return buffer;
  HIParamDef layer{};
  if (!checkoutLayer(in, time, timeStep, timeScale, &layer)) return buffer;
  const HIWorld& w = layer.u.layer;
  if (w.data && w.width == width && w.height == height) {
    const size_t row = rowCopyBytes(w, globals, rowBytes, w.row_bytes == rowBytes);
    copyRows(w, height, row, buffer.data(), rowBytes, 0, 1);
  } else if (w.data && w.width == width && int64_t(w.height) * 2 == height) {
    // Fields: this frame on the even rows, its neighbour on the odd ones.
    copyRows(w, w.height, rowCopyBytes(w, globals, rowBytes, false), buffer.data(), rowBytes, 0, 2);
    const int32_t other = in->field == 1 ? time + timeStep : std::max(0, time - timeStep);
    HIParamDef second{};
    if (checkoutLayer(in, other, timeStep, timeScale, &second)) {
      const HIWorld& w2 = second.u.layer;
      if (w2.data && w2.width == width && w2.height == w.height)
        copyRows(w2, w2.height, rowCopyBytes(w2, globals, rowBytes, false), buffer.data(), rowBytes, 1, 2);
      checkinLayer(in, &second);
    }
  }
  checkinLayer(in, &layer);
  return buffer;
}

void AEGetTimecodeFormatting(const HIBasicSuite* basic, int32_t timeScale, int32_t timeStep, CCUIComm* block) {
  block->timeDisplay = 0;
  block->framesPerFoot = 16;
  // A time step of 0 gives no rate rather than a division by zero.
  const int64_t rate = timeStep > 0 ? int64_t(timeScale) * 100 / timeStep : 0;
  block->frameRate100 = uint16_t(std::clamp<int64_t>(rate, 0, UINT16_MAX));
  block->dropFrame = rate == 3000 || rate == 2997 ? 0 : 1;
  block->startFrame = 0;
  HITimeDisplayPref pref{};
  bool version2 = true;
  VLSuite suite2(basic, kHISuiteAdvTime, kHISuiteAdvTimeVersion);
  const HIAdvTimeSuite* time = suite2.get<HIAdvTimeSuite>();
  VLSuite suite1(basic, kHISuiteAdvTime, kHISuiteAdvTimeVersionOld);
  if (!time) {
    version2 = false;
    time = suite1.get<HIAdvTimeSuite>();
  }
  if (!time || !time->get_time_display_pref || time->get_time_display_pref(&pref) != kHINoErr) return;
  if (pref.display_mode == kHITimeDisplayFrames) {
    block->timeDisplay = version2 && pref.feet_and_frames ? 3 : 2;
  } else if (!version2 && pref.display_mode == kHITimeDisplayFeetAndFrames) {
    block->timeDisplay = 3;
  } else {
    block->timeDisplay = 1;
  }
  block->frameRate100 = uint16_t(std::clamp<int64_t>(int64_t(pref.timebase) * 100, 0, UINT16_MAX));
  block->dropFrame = pref.non_drop_30;
  block->framesPerFoot = pref.frames_per_foot;
  block->startFrame = uint16_t(pref.starting_frame);
}

void UIH_FillFootageList(const HIBasicSuite* basic, CCUIComm* block) {
  block->footageCount = 0;
  VLSuite projectSuite(basic, kHISuiteAEGPProject, kHISuiteAEGPProjectVersion);
  VLSuite footageSuite(basic, kHISuiteAEGPFootage, kHISuiteAEGPFootageVersion);
  VLSuite itemSuite(basic, kHISuiteAEGPItem, kHISuiteAEGPItemVersion);
  VLSuite memorySuite(basic, kHISuiteAEGPMemory, kHISuiteAEGPMemoryVersion);
  const auto* project = projectSuite.get<HIProjectSuite8>();
  const auto* footage = footageSuite.get<HIFootageSuite11>();
  const auto* items = itemSuite.get<HIItemSuite3>();
  const auto* memory = memorySuite.get<HIMemorySuite1>();
  if (!project || !footage || !items || !memory) return;
  HIProjectRef proj = nullptr;
  HIItemRef item = nullptr;
  if (project->get_project_by_index(0, &proj) || items->get_first_proj_item(proj, &item)) return;
  uint32_t count = 0;
  while (item && count < kCCFootageMax) {
    int32_t type = 0;
    uint32_t flags = 0;
    HIFootageRef file = nullptr;
    HIMemHandle path = nullptr;
    if (!items->get_item_type(item, &type) && type == kHIItemTypeFootage && !items->get_item_flags(item, &flags) &&
        (flags & (kHIItemFlagHasVideo | kHIItemFlagStill)) && !footage->get_main_footage_from_item(item, &file) &&
        !footage->get_footage_path(file, 0, 0, &path) && path) {
      void* text = nullptr;
      uint64_t size = 0;
      CCFootageRecord& record = block->footage[count];
      std::memset(&record, 0, sizeof record);
      if (!memory->lock_mem_handle(path, &text) && text && !memory->get_mem_handle_size(path, &size)) {
        const size_t length = strnlen(static_cast<const char*>(text), size_t(size));
        std::memcpy(record.path, text, std::min<size_t>(length, kCCFootagePathBytes - 1));
        memory->unlock_mem_handle(path);
        ++count;
      }
      memory->free_mem_handle(path);
    }
    HIItemRef next = nullptr;
    if (items->get_next_proj_item(proj, item, &next)) break;
    item = next;
  }
  block->footageCount = count;
}
