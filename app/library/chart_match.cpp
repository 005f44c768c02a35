// Grey-step chart matching.
//
// Patch k (1 to 24, brightest first) is the box 40 wide and 140 high whose
// top-left pixel is (626 + 109 (k - 1), 1810). A patch's level in a channel
// is the sum of its 5,600 bytes divided by 5,600 (integer division); the
// levels are then stretched with a float scale 255 / (high - low), where low
// is the smallest channel of patch 24 and high the largest of patch 1, each
// (level - low) x scale truncated and held to 0..255. The curves use the
// patches 23, 19, 17, 14, 11, 9, 7, 4, 2, 0 (counted from 0, darkest first):
// input reference / 255, output measured / 255.
#include "app/library/chart_match.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "app/controls/bound_controls.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/library/reference_images.h"
#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "app/views/central_update.h"
#include "platform/fourcc.h"
#include "platform/ui/toolkit.h"
#include "settings/file_panels.h"
#include "settings/preset_file.h"
#include "support/alerts.h"
#include "support/folder_walk.h"

namespace {

constexpr const char* kAlertTitle = "Velmora 3 UI";
constexpr int32_t kCurvePatches[10] = {23, 19, 17, 14, 11, 9, 7, 4, 2, 0};
constexpr float kByteToUnit = 0.003921569f;
constexpr uint32_t kMaxDepth = 64;

ChartLevels gReference{};

QVStatus ImportChartImage(TKImage** out) {
  *out = nullptr;
  return ImportImageFile(out, nullptr, nullptr, false);
}

// A chart image of a batch, read with the current input linearization.
QVStatus LoadChartImage(const QVFileRef* file, TKImage** out) {
  *out = nullptr;
  return LoadImageFileFromFSRef(file, out, nullptr, false, gUILinearization);
}

ChartImageHooks gImages{ImportChartImage, LoadChartImage};

size_t CurveOffset(int curve) {
  return offsetof(VL_SettingsStruct, rgbCurves) + size_t(curve) * sizeof(VL_CurveControls);
}

void WriteCurve(VL_CurveControls* curve, const int32_t* reference, const int32_t* measured) {
  curve->spline.pointCount = 10;
  for (int i = 0; i < 10; ++i) {
    int p = kCurvePatches[i];
    curve->spline.x[i] = float(reference[p]) * kByteToUnit;
    curve->spline.y[i] = float(measured[p]) * kByteToUnit;
  }
}

bool ImageExtension(const char* name) {
  const char* dot = std::strrchr(name, '.');
  if (!dot) return false;
  std::string ext = dot + 1;
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  for (const char* e : {"jpg", "png", "tif", "tiff", "pct", "pict"})
    if (ext == e) return true;
  return false;
}

struct Batch {
  ChartBatchResult result;
  std::string firstPassedOver;
};

bool BatchEntry(bool, uint32_t depth, const QVCatalogInfo* info, const QVFileRef* ref, const void*, const char* name,
                void* data) {
  Batch& batch = *static_cast<Batch*>(data);
  if (depth > kMaxDepth || !info || !ref || !name) return false;
  if ((info->nodeFlags & (kQVNodeIsFolder | kQVNodeInvisible)) || name[0] == '.') return false;
  if (!ImageExtension(name)) return false;
  // The preset is the image's name with the extension "vlpreset", beside it.
  std::string preset = name;
  preset = preset.substr(0, preset.find_last_of('.')) + "." + kCCPresetExtension;
  std::string folderPath = ref->path;
  folderPath = folderPath.substr(0, folderPath.find_last_of('/'));
  if (folderPath.empty()) folderPath = "/";
  auto passOver = [&] {
    if (batch.result.passedOver++ == 0) batch.firstPassedOver = name;
    return false;
  };
  TKImage* picture = nullptr;
  if (!gImages.loadImage || gImages.loadImage(ref, &picture) != kQVNoErr || !picture) return passOver();
  QVStatus status = BuildChartMatchCurves(picture);
  TKImageDispose(picture);
  if (status != kQVNoErr) return passOver();
  QVFileRef folder;
  if (PLFileRefFromPath(folderPath.c_str(), &folder) != kQVNoErr ||
      CCSaveSettingsToRefAndString(&folder, preset, &gUISettings) != kQVNoErr)
    return passOver();
  ++batch.result.written;
  return false;
}

// Asks for an image through the hook; null when none came.
TKImage* ImportChart() {
  if (!gImages.importImage) {
    QVErrorAlert(kAlertTitle, "Images cannot be read in this version of Velmora.", 1);
    return nullptr;
  }
  TKImage* picture = nullptr;
  if (gImages.importImage(&picture) != kQVNoErr) return nullptr;
  return picture;
}

}  // namespace

ChartLevels& ChartReferenceLevels() { return gReference; }
ChartImageHooks& ChartImages() { return gImages; }

QVStatus MeasureChartPatches(TKImage* picture, int32_t red[kChartPatches], int32_t green[kChartPatches],
                             int32_t blue[kChartPatches]) {
  if (!picture || TKImageWidth(picture) < kChartMinWidth || TKImageHeight(picture) < kChartMinHeight)
    return kChartErrTooSmall;
  const uint8_t* pixels = TKImagePixels(picture);
  const int32_t rowBytes = TKImageRowBytes(picture);
  int32_t levels[3][kChartPatches];
  for (int32_t k = 0; k < kChartPatches; ++k) {
    int64_t sum[3] = {0, 0, 0};
    const int32_t left = kChartLeft + kChartStep * k;
    for (int32_t y = kChartTop; y < kChartTop + kChartPatchHeight; ++y) {
      const uint8_t* p = pixels + ptrdiff_t(y) * rowBytes + ptrdiff_t(left) * 4;
      for (int32_t x = 0; x < kChartPatchWidth; ++x, p += 4) {
        sum[0] += p[2];  // bytes B, G, R, A
        sum[1] += p[1];
        sum[2] += p[0];
      }
    }
    for (int c = 0; c < 3; ++c) levels[c][k] = int32_t(sum[c] / (kChartPatchWidth * kChartPatchHeight));
  }
  const int32_t last = kChartPatches - 1;
  const int32_t low = std::min({levels[0][last], levels[1][last], levels[2][last]});
  const int32_t high = std::max({levels[0][0], levels[1][0], levels[2][0]});
  if (high <= low) return kChartErrFlat;
  const float scale = 255.0f / float(high - low);
  int32_t* out[3] = {red, green, blue};
  for (int c = 0; c < 3; ++c)
    for (int32_t k = 0; k < kChartPatches; ++k)
      out[c][k] = std::clamp(int32_t(float(levels[c][k] - low) * scale), 0, 255);
  return kQVNoErr;
}

QVStatus MeasureChartReference(TKImage* picture) {
  ChartLevels measured;
  QVStatus status = MeasureChartPatches(picture, measured.red, measured.green, measured.blue);
  if (status != kQVNoErr) return status;
  for (int32_t* channel : {measured.red, measured.green, measured.blue}) {
    channel[0] = 255;
    channel[kChartPatches - 1] = 0;
  }
  gReference = measured;
  return kQVNoErr;
}

QVStatus BuildChartMatchCurves(TKImage* picture) {
  ChartLevels measured;
  QVStatus status = MeasureChartPatches(picture, measured.red, measured.green, measured.blue);
  if (status != kQVNoErr) return status;
  // The reset is one undo step, so the correction it replaces can come back.
  UndoBufferPush(gUndoBuffer, &gUISettings);
  std::unique_ptr<VL_SettingsStruct> before(new (std::nothrow) VL_SettingsStruct);
  if (before) std::memcpy(before.get(), &gUISettings, sizeof gUISettings);
  VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
  WriteCurve(&gUISettings.rgbCurves[kVLCurveRed], gReference.red, measured.red);
  WriteCurve(&gUISettings.rgbCurves[kVLCurveGreen], gReference.green, measured.green);
  WriteCurve(&gUISettings.rgbCurves[kVLCurveBlue], gReference.blue, measured.blue);
  VFForgetUndoControl();
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, before.get(), kVFSyncApply);
  if (TKControl* redCurve = VFControlAtOffset(uint32_t(CurveOffset(kVLCurveRed)))) {
    EnableEnclosingTabs(redCurve, 1, true);
  } else {
    gUISettings.curvesEnable = 1;
    gUISettings.rgbCurvesEnable = 1;
  }
  for (int curve = kVLCurveMaster; curve <= kVLCurveBlue; ++curve)
    if (TKControl* control = VFControlAtOffset(uint32_t(CurveOffset(curve)))) TKDrawControl(control);
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  UndoBufferStore(gUndoBuffer, &gUISettings);
  return kQVNoErr;
}

void ChartReportFailure(const char* name, QVStatus status) {
  std::string message;
  if (status == kChartErrTooSmall)
    message = "The picture is smaller than the chart layout, whose patches need at least 3173 x 1950 pixels.";
  else if (status == kChartErrFlat)
    message = "The chart's brightest and darkest patches read the same level, so it cannot be measured.";
  else
    return;
  if (name && *name) message = std::string("\"") + name + "\": " + message;
  QVErrorAlert(kAlertTitle, message.c_str(), 1);
}

ChartBatchResult ChartMatchFolder(const QVFileRef* folder) {
  Batch batch;
  if (!folder) return batch.result;
  // A folder inside that cannot be read is told like a picture passed over,
  // so the user knows the batch is short.
  const QVStatus walked = IterateFolderContents(folder, kMaxDepth, kQVCatInfoNodeFlags | kQVCatInfoFinderInfo, false,
                                                true, BatchEntry, &batch);
  if (walked != kQVNoErr) {
    const std::string message = std::string("\"") + folder->path + "\" could not be read to the end (error " +
                                std::to_string(int32_t(walked)) + ").";
    QVErrorAlert(kAlertTitle, message.c_str(), 1);
  }
  if (batch.result.passedOver > 0) {
    std::string message = "\"" + batch.firstPassedOver + "\"";
    if (batch.result.passedOver > 1) message += " and " + std::to_string(batch.result.passedOver - 1) + " more";
    message += batch.result.passedOver > 1 ? " were" : " was";
    message += " passed over: not readable as a chart picture.";
    QVErrorAlert(kAlertTitle, message.c_str(), 1);
  }
  return batch.result;
}

QVStatus ChartCommand(uint32_t commandID) {
  if (commandID == QVFourCC("DBab")) {
    QVFileRef folder;
    QVStatus status = QVGetFolderSelection(&folder, "Choose Images Folder", nullptr, nullptr, int32_t(QVFourCC("DBab")));
    if (status != kQVNoErr) return status;
    if (!gImages.loadImage) {
      QVErrorAlert(kAlertTitle, "Images cannot be read in this version of Velmora.", 1);
      return kQVErrUnimplemented;
    }
    ChartMatchFolder(&folder);
    return kQVNoErr;
  }
  if (commandID != QVFourCC("DBlr") && commandID != QVFourCC("DBai")) return kQVErrParam;
  TKImage* picture = ImportChart();
  if (!picture) return kQVErrCancelled;
  QVStatus status = commandID == QVFourCC("DBlr") ? MeasureChartReference(picture) : BuildChartMatchCurves(picture);
  TKImageDispose(picture);
  ChartReportFailure(nullptr, status);
  return status;
}
