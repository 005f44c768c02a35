// Reference images: thumbnails, loading a file into a picture, and JPEG files
// written through a display LUT as a peer reads them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/library/reference_images.h"
#include "platform/alert_script.h"
#include "platform/file_contents.h"
#include "platform/ui/ui_draw.h"
#include "tests/media/media_test_files.h"
#include "tests/scratch_folder.h"

namespace {

struct ReferenceImages : testing::Test {
  std::string folder;
  void SetUp() override {
    QVMediaInitialize();
    folder = MakeScratchFolder("reference");
  }
};

TEST(ThumbnailSizes, KeepTheMediasProportionsInsideTheBox) {
  struct Case {
    uint32_t w, h;
    int32_t boxH, boxW, height, width;
  } cases[] = {
      {1920, 1080, 128, 128, 72, 128}, {1080, 1920, 128, 128, 128, 72}, {500, 500, 128, 128, 128, 128},
      {500, 500, 90, 120, 90, 90},     {4000, 1, 64, 64, 1, 64},        {1, 4000, 64, 64, 64, 1},
  };
  for (const Case& c : cases) {
    int32_t height = 0, width = 0;
    ThumbnailSize(c.w, c.h, c.boxH, c.boxW, &height, &width);
    EXPECT_EQ(height, c.height) << c.w << "x" << c.h;
    EXPECT_EQ(width, c.width) << c.w << "x" << c.h;
  }
}

TEST_F(ReferenceImages, ThumbnailsAFileAndStandsInForOneItCannotRead) {
  WriteTestDPX(folder, "wide.dpx", 64, 36);
  QVFileRef file;
  ASSERT_EQ(PLFileRefFromPath((folder + "/wide.dpx").c_str(), &file), kQVNoErr);
  int32_t h = 0, w = 0;
  TKImage* picture = nullptr;
  TKImage* framed = nullptr;
  MediaThumbnailInfo info;
  ASSERT_EQ(CreateMediaThumbnail(&file, nullptr, 32, 32, false, &h, &w, &picture, &framed, &info), kQVNoErr);
  EXPECT_EQ(w, 32);
  EXPECT_EQ(h, 18);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(TKImageWidth(picture), 32);
  EXPECT_FALSE(info.unsupported);
  EXPECT_EQ(info.width, 64u);
  ASSERT_NE(framed, nullptr);
  EXPECT_EQ(TKImageGetPixel(framed, 0, 0) & 0xFFFFFF, 0u) << "a one-pixel black frame";
  TKImageDispose(picture);
  TKImageDispose(framed);

  WriteBytes(folder + "/junk.png", {1, 2, 3, 4});
  ASSERT_EQ(PLFileRefFromPath((folder + "/junk.png").c_str(), &file), kQVNoErr);
  ASSERT_EQ(CreateMediaThumbnail(&file, nullptr, 20, 30, false, &h, &w, &picture, nullptr, &info), kQVNoErr);
  EXPECT_TRUE(info.unsupported);
  EXPECT_STREQ(info.name, "Unsupported Media Format");
  EXPECT_EQ(TKImageWidth(picture), 30);
  EXPECT_EQ(TKImageHeight(picture), 20);
  TKImageDispose(picture);
}

TEST_F(ReferenceImages, LoadsAFileAsTheReferencePicture) {
  WriteTestDPX(folder, "ref.dpx", 16, 8);
  TKImage* picture = nullptr;
  ASSERT_EQ(LoadImageFileFromPath((folder + "/ref.dpx").c_str(), &picture, nullptr, false, nullptr), kQVNoErr);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(TKImageWidth(picture), 16);
  EXPECT_EQ(TKImageHeight(picture), 8);
  EXPECT_NE(TKImageGetPixel(picture, 5, 3) & 0xFFFFFF, 0u);
  TKImageDispose(picture);
  picture = nullptr;
  EXPECT_EQ(LoadImageFileFromPath((folder + "/none.dpx").c_str(), &picture, nullptr, false, nullptr),
            kQVErrFileNotFound);
  EXPECT_EQ(picture, nullptr);
}

// A picture of known colours, written through a LUT that inverts red and
// halves blue, read back by oiiotool.
TEST_F(ReferenceImages, WritesAJPEGThroughTheDisplayLUTThatAPeerReads) {
  if (std::system("command -v oiiotool > /dev/null 2>&1") != 0) GTEST_SKIP() << "oiiotool is not installed";
  constexpr int32_t kW = 40, kH = 24;
  TKImagePtr picture(TKImageCreate(kW, kH));
  std::vector<uint8_t> pixels(size_t(kW) * 4 * kH);
  auto colour = [](int32_t x, int32_t y, int c) { return uint8_t(c == 0 ? x * 6 : c == 1 ? y * 10 : 200); };
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) {
      uint8_t* p = &pixels[(size_t(y) * kW + x) * 4];  // B, G, R, A in memory
      p[0] = colour(x, y, 2);
      p[1] = colour(x, y, 1);
      p[2] = colour(x, y, 0);
      p[3] = 255;
    }
  ASSERT_EQ(TKImageImport(picture.get(), pixels.data(), kW * 4, kTKPixelFormatBGRA), kQVNoErr);
  uint8_t lut[768];
  for (int i = 0; i < 256; ++i) {
    lut[i] = uint8_t(255 - i);
    lut[256 + i] = uint8_t(i);
    lut[512 + i] = uint8_t(i / 2);
  }
  const std::string path = folder + "/ref.jpg";
  WriteBytes(path, {'o', 'l', 'd'});  // replaced whole
  ASSERT_EQ(WriteJPEGImageFile(picture.get(), path.c_str(), lut, 1023), kQVNoErr);
  const std::string ppm = folder + "/ref.ppm";
  ASSERT_EQ(std::system(("oiiotool '" + path + "' -d uint8 -o '" + ppm + "' > /dev/null 2>&1").c_str()), 0);
  const std::vector<uint8_t> bytes = ReadBytes(ppm);
  const std::string header = "P6\n" + std::to_string(kW) + " " + std::to_string(kH) + "\n255\n";
  ASSERT_GE(bytes.size(), header.size() + size_t(kW) * kH * 3);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + long(header.size())), header);
  int worst = 0;
  const uint8_t* rgb = bytes.data() + header.size();
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x)
      for (int c = 0; c < 3; ++c) {
        const int expected = lut[256 * c + colour(x, y, c)];
        worst = std::max(worst, std::abs(int(rgb[(size_t(y) * kW + x) * 3 + c]) - expected));
      }
  EXPECT_LE(worst, 6) << "within the error of a best-quality JPEG";
}

// Each refusal of the exporter is one alert naming the file it did not
// write; the writer beneath it says nothing.
TEST_F(ReferenceImages, RefusesWhatItCannotWrite) {
  PLAlertScriptBegin();
  TKImagePtr picture(TKImageCreate(4, 4));
  QVFileRef folderRef, goneRef;
  ASSERT_EQ(PLFileRefFromPath(folder.c_str(), &folderRef), kQVNoErr);
  goneRef = folderRef;
  std::snprintf(goneRef.path, sizeof goneRef.path, "%s/no/such/folder", folder.c_str());
  struct Case {
    const QVFileRef* folder;
    const char* name;
    uint32_t subtype, codec;
    QVStatus status;
    const char* reason;
  } cases[] = {
      {&folderRef, "x.tif", QVFourCC("TIFF"), QVFourCC("tiff"), kQVErrUnimplemented, "(error -4)"},
      {&goneRef, "x.jpg", kImageExporterJPEG, kImageCodecJPEG, kQVErrFileNotFound, "the folder does not exist"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PLAlertScriptBegin();
    EXPECT_EQ(ExportGWorldToImageFile(picture.get(), c.folder, c.name, c.subtype, c.codec, 24, 1023, nullptr), c.status);
    const std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
    ASSERT_EQ(alerts.size(), 1u);
    const std::string text = alerts[0].message + alerts[0].detail;
    EXPECT_NE(text.find("Cannot save \"" + std::string(c.folder->path) + "/" + c.name + "\""), std::string::npos) << text;
    EXPECT_NE(text.find(c.reason), std::string::npos) << text;
  }
  PLAlertScriptBegin();
  EXPECT_EQ(WriteJPEGImageFile(picture.get(), (folder + "/no/such/folder/x.jpg").c_str(), nullptr, 1023) == kQVNoErr,
            false);
  EXPECT_TRUE(PLAlertScriptRecorded().empty());
  PLAlertScriptEnd();
}

}  // namespace
