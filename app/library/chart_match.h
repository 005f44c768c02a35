// Grey-step chart matching: a photograph of a 24-step grey chart, framed as
// the chart layout expects, is measured patch by patch; measuring a
// reference chart and then another chart gives red, green and blue curves
// that take the other chart's levels to the reference's. A batch does this
// for every image of a folder and writes one preset beside each.
#pragma once

#include <cstdint>

#include "platform/file_ref.h"
#include "platform/status.h"

struct TKImage;

constexpr int32_t kChartPatches = 24;
constexpr int32_t kChartPatchWidth = 40, kChartPatchHeight = 140;
constexpr int32_t kChartLeft = 626, kChartStep = 109, kChartTop = 1810;
// The smallest picture that holds every patch.
constexpr int32_t kChartMinWidth = kChartLeft + kChartStep * (kChartPatches - 1) + kChartPatchWidth;  // 3173
constexpr int32_t kChartMinHeight = kChartTop + kChartPatchHeight;                                   // 1950
// Statuses of a picture that cannot be measured.
constexpr QVStatus kChartErrTooSmall = -2101;
constexpr QVStatus kChartErrFlat = -2102;  // brightest and darkest patches read alike

struct ChartLevels {
  int32_t red[kChartPatches];
  int32_t green[kChartPatches];
  int32_t blue[kChartPatches];
};

// The reference chart's levels, zero until one is measured.
ChartLevels& ChartReferenceLevels();

// Measures the picture ('BGRA' pixels): the mean of each patch box, then the
// levels stretched so that the darkest channel of patch 24 reads 0 and the
// brightest of patch 1 reads 255. kChartErrTooSmall or kChartErrFlat (the
// levels untouched) when the picture cannot be measured.
QVStatus MeasureChartPatches(TKImage* picture, int32_t red[kChartPatches], int32_t green[kChartPatches],
                             int32_t blue[kChartPatches]);
// Measures a reference chart into the reference levels (patch 1 forced to
// 255 and patch 24 to 0 in each channel).
QVStatus MeasureChartReference(TKImage* picture);
// Measures the picture, resets the working correction to its defaults and
// writes ten-point red, green and blue curves from the reference levels to
// the measured ones; the controls and picture follow. The working
// correction is untouched when the picture cannot be measured.
QVStatus BuildChartMatchCurves(TKImage* picture);
// The alert that names why a picture could not be measured.
void ChartReportFailure(const char* name, QVStatus status);

// How the chart commands get pictures: an image chosen by the user, and an
// image file loaded as a reference picture. The caller disposes the image.
struct ChartImageHooks {
  QVStatus (*importImage)(TKImage** out) = nullptr;
  QVStatus (*loadImage)(const QVFileRef* file, TKImage** out) = nullptr;
};
ChartImageHooks& ChartImages();

// The batch over a folder's images ('DBab' after its folder panel): one
// preset per image, written beside it; files that are no image, cannot be
// loaded or cannot be measured are passed over. Counts of presets written
// and images passed over.
struct ChartBatchResult {
  int32_t written = 0;
  int32_t passedOver = 0;
};
ChartBatchResult ChartMatchFolder(const QVFileRef* folder);
// The commands 'DBlr' (measure the reference chart), 'DBai' (match one
// chart image) and 'DBab' (match a folder of them).
QVStatus ChartCommand(uint32_t commandID);
