// Grey-step chart matching on synthetic chart pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "app/library/chart_match.h"
#include "app/state/view_state.h"
#include "platform/alert_script.h"
#include "platform/ui/ui_draw.h"
#include "settings/preset_file.h"
#include "tests/scratch_folder.h"

namespace {

struct RGB {
  int r, g, b;
};

// A chart picture: every patch filled with its level, the rest mid grey.
TKImage* Chart(const RGB (&patches)[kChartPatches], int32_t width = kChartMinWidth, int32_t height = kChartMinHeight) {
  TKImage* image = TKImageCreate(width, height);
  uint8_t* pixels = TKImagePixels(image);
  const int32_t rowBytes = TKImageRowBytes(image);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = pixels + y * rowBytes + x * 4;
      p[0] = p[1] = p[2] = 128;
      p[3] = 255;
    }
  for (int k = 0; k < kChartPatches; ++k) {
    int32_t left = kChartLeft + kChartStep * k;
    for (int32_t y = kChartTop; y < kChartTop + kChartPatchHeight && y < height; ++y)
      for (int32_t x = left; x < left + kChartPatchWidth && x < width; ++x) {
        uint8_t* p = pixels + y * rowBytes + x * 4;
        p[0] = uint8_t(patches[k].b);
        p[1] = uint8_t(patches[k].g);
        p[2] = uint8_t(patches[k].r);
      }
  }
  TKImageMarkDirty(image);
  return image;
}

// Patches from (250, 248, 252) down to (12, 10, 11) in even steps.
void Steps(RGB (&patches)[kChartPatches], int shift = 0) {
  for (int k = 0; k < kChartPatches; ++k) {
    patches[k] = RGB{250 - k * 238 / 23, 248 - k * 238 / 23, 252 - k * 241 / 23};
    patches[k].r = std::clamp(patches[k].r + shift, 0, 255);
  }
  patches[0] = RGB{250, 248, 252};
  patches[kChartPatches - 1] = RGB{12, 10, 11};
}

class ChartMatchTest : public testing::Test {
 protected:
  void SetUp() override {
    ChartReferenceLevels() = ChartLevels{};
    std::memset(&gUISettings, 0, sizeof gUISettings);
    VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
    PLAlertScriptBegin();
  }
  void TearDown() override {
    PLAlertScriptEnd();
    ChartImages() = ChartImageHooks{};
  }
};

TEST_F(ChartMatchTest, LevelsStretchBetweenTheDarkestAndBrightestChannels) {
  RGB patches[kChartPatches];
  Steps(patches);
  TKImage* chart = Chart(patches);
  ChartLevels m;
  ASSERT_EQ(MeasureChartPatches(chart, m.red, m.green, m.blue), kQVNoErr);
  TKImageDispose(chart);
  // low = 10 (green of patch 24), high = 252 (blue of patch 1), scale 255 / 242.
  EXPECT_EQ(m.green[23], 0);
  EXPECT_EQ(m.blue[0], 255);
  EXPECT_EQ(m.red[0], 252);    // 240 x 1.053719 = 252.89
  EXPECT_EQ(m.green[0], 250);  // 238 x 1.053719 = 250.79
  EXPECT_EQ(m.red[23], 2);     // 2 x 1.053719
  EXPECT_EQ(m.blue[23], 1);
  for (int k = 0; k < kChartPatches; ++k) {
    int expected = int(float(patches[k].g - 10) * (255.0f / 242.0f));
    EXPECT_EQ(m.green[k], expected) << k;
  }
}

TEST_F(ChartMatchTest, CurvesTakeTheReferenceLevelsToTheMeasuredOnes) {
  RGB patches[kChartPatches];
  Steps(patches);
  TKImage* chart = Chart(patches);
  // Without a reference every input is 0.
  gUISettings.hsl[0].saturation = 170.0f;
  ASSERT_EQ(BuildChartMatchCurves(chart), kQVNoErr);
  for (int c = kVLCurveRed; c <= kVLCurveBlue; ++c) {
    ASSERT_EQ(gUISettings.rgbCurves[c].spline.pointCount, 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(gUISettings.rgbCurves[c].spline.x[i], 0.0f);
  }
  EXPECT_NE(gUISettings.hsl[0].saturation, 170.0f);  // the rest back to its defaults
  EXPECT_EQ(gUISettings.rgbCurvesEnable, 1u);
  // A reference from this chart; a chart whose red runs 20 levels high.
  ASSERT_EQ(MeasureChartReference(chart), kQVNoErr);
  EXPECT_EQ(ChartReferenceLevels().red[0], 255);
  EXPECT_EQ(ChartReferenceLevels().green[23], 0);
  RGB warm[kChartPatches];
  Steps(warm, 20);
  TKImage* other = Chart(warm);
  ASSERT_EQ(BuildChartMatchCurves(other), kQVNoErr);
  ChartLevels m;
  ASSERT_EQ(MeasureChartPatches(other, m.red, m.green, m.blue), kQVNoErr);
  const int points[10] = {23, 19, 17, 14, 11, 9, 7, 4, 2, 0};
  const VL_CurveSpline& red = gUISettings.rgbCurves[kVLCurveRed].spline;
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(red.x[i], float(ChartReferenceLevels().red[points[i]]) * 0.003921569f) << i;
    EXPECT_EQ(red.y[i], float(m.red[points[i]]) * 0.003921569f) << i;
  }
  EXPECT_EQ(red.x[9], 255 * 0.003921569f);
  EXPECT_EQ(red.x[0], 0.0f);
  TKImageDispose(chart);
  TKImageDispose(other);
}

TEST_F(ChartMatchTest, PicturesTooSmallOrFlatAreRefusedAndTheCorrectionStays) {
  RGB patches[kChartPatches];
  Steps(patches);
  RGB flat[kChartPatches];
  for (RGB& p : flat) p = RGB{90, 90, 90};
  struct Case {
    TKImage* picture;
    QVStatus status;
  } cases[] = {{Chart(patches, kChartMinWidth - 1, kChartMinHeight), kChartErrTooSmall},
               {Chart(patches, kChartMinWidth, kChartMinHeight - 1), kChartErrTooSmall},
               {Chart(flat), kChartErrFlat},
               {nullptr, kChartErrTooSmall}};
  gUISettings.hsl[0].saturation = 170.0f;
  for (const Case& c : cases) {
    EXPECT_EQ(BuildChartMatchCurves(c.picture), c.status);
    EXPECT_EQ(MeasureChartReference(c.picture), c.status);
    if (c.picture) TKImageDispose(c.picture);
  }
  EXPECT_EQ(gUISettings.hsl[0].saturation, 170.0f);
  EXPECT_EQ(ChartReferenceLevels().red[0], 0);
  ChartReportFailure("flat.png", kChartErrFlat);
  auto alerts = PLAlertScriptRecorded();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_NE(alerts[0].message.find("flat.png"), std::string::npos);
}

TEST_F(ChartMatchTest, TheBatchWritesOnePresetPerChartImageAndGoesOnPastBadOnes) {
  std::string dir = MakeScratchFolder("charts");
  for (const char* name : {"a.JPG", "b.txt", ".c.png", "small.png", "d.tiff"}) std::ofstream(dir + "/" + name) << "x";
  std::filesystem::create_directories(dir + "/sub");
  std::ofstream(dir + "/sub/e.png") << "x";
  ChartImages().loadImage = [](const QVFileRef* file, TKImage** out) -> QVStatus {
    RGB patches[kChartPatches];
    Steps(patches);
    bool small = std::strstr(file->path, "small") != nullptr;
    *out = Chart(patches, small ? 100 : kChartMinWidth, small ? 100 : kChartMinHeight);
    return kQVNoErr;
  };
  QVFileRef folder;
  ASSERT_EQ(PLFileRefFromPath(dir.c_str(), &folder), kQVNoErr);
  ChartBatchResult r = ChartMatchFolder(&folder);
  EXPECT_EQ(r.written, 3);
  EXPECT_EQ(r.passedOver, 1);
  std::set<std::string> presets;
  for (auto& e : std::filesystem::recursive_directory_iterator(dir))
    if (e.path().extension() == ".vlpreset") presets.insert(std::filesystem::relative(e.path(), dir).string());
  EXPECT_EQ(presets, (std::set<std::string>{"a.vlpreset", "d.vlpreset", "sub/e.vlpreset"}));
  // Each preset holds the correction the chart gave.
  QVFileRef written;
  ASSERT_EQ(PLFileRefFromPath((dir + "/a.vlpreset").c_str(), &written), kQVNoErr);
  VL_SettingsStruct loaded;
  std::memset(&loaded, 0, sizeof loaded);
  VL_SetDefaultControlValues(&loaded, kVLMaskAll);
  ASSERT_EQ(CCLoadSettingsFromRef(&written, &loaded), kQVNoErr);
  EXPECT_EQ(loaded.rgbCurves[kVLCurveGreen].spline.pointCount, 10);
  auto alerts = PLAlertScriptRecorded();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_NE(alerts[0].message.find("small.png"), std::string::npos);
}

}  // namespace
