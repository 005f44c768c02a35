// Movies and stills made by ffmpeg, opened and decoded through our reader
// and compared with ffmpeg's own decode. Skipped without ffmpeg.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "media/frame_cache.h"
#include "media/media_file.h"
#include "media/media_internal.h"
#include "media/movie_reader.h"
#include "media/movie_timing.h"
#include "media_test_files.h"
#include "peer_tools.h"
#include "tests/scratch_folder.h"

namespace {

constexpr uint32_t kW = 160, kH = 90;

class Movies : public testing::Test {
 protected:
  static void TearDownTestSuite() { RemoveSuiteFolder(folder_); }
  static void SetUpTestSuite() {
    if (!HaveTool("ffmpeg")) return;
    // One folder per process: test processes may run side by side.
    folder_ = new std::string(ScratchDir("movies-" + std::to_string(getpid())));
    // 30 frames at 29.97 with a drop-frame timecode track from 01:00:00;00
    // and stereo sound; the pictures kept lossless so values compare exactly.
    made_ = RunTool("ffmpeg -v error -y -f lavfi -i testsrc2=size=160x90:rate=30000/1001 -f lavfi -i "
                    "sine=frequency=440:sample_rate=48000 -frames:v 30 -c:v png -pix_fmt rgb24 -c:a pcm_s16le "
                    "-ac 2 -timecode '01:00:00;00' '" +
                    *folder_ + "/clip.mov'") == 0;
  }
  void SetUp() override {
    if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    ASSERT_TRUE(made_);
    QVMediaInitialize();
  }
  void TearDown() override {
    if (ref_) {
      EXPECT_EQ(QVMediaCloseFile(&ref_), QVMediaErr_NoErr);
    }
  }
  static std::string Clip() { return *folder_ + "/clip.mov"; }

  // ffmpeg's decode of one frame as 'BGRA' memory (A, R, G, B bytes here).
  static std::vector<uint8_t> FFmpegFrame(int frame, uint32_t width, uint32_t height) {
    const std::string raw = *folder_ + "/frame.raw";
    const std::string filter = "select=eq(n\\," + std::to_string(frame) + "),scale=" + std::to_string(width) + ":" +
                               std::to_string(height) + ":flags=bicubic";
    EXPECT_EQ(RunTool("ffmpeg -v error -y -i '" + Clip() + "' -vf '" + filter +
                      "' -frames:v 1 -f rawvideo -pix_fmt argb '" + raw + "'"),
              0);
    return ReadBytes(raw);
  }

  static inline std::string* folder_ = nullptr;
  static inline bool made_ = false;
  QVMediaFileRef* ref_ = nullptr;
};

TEST_F(Movies, OpenWithTheirTimingTimecodeAndSound) {
  ASSERT_EQ(QVMediaOpenPath(Clip().c_str(), &ref_, 0), QVMediaErr_NoErr);
  EXPECT_EQ(ref_->flags, kQVMediaOpened | kQVMediaMovie | kQVMediaHasTimecodeTrack);
  EXPECT_EQ(ref_->nativeWidth, kW);
  EXPECT_EQ(ref_->nativeHeight, kH);
  uint32_t rate = 0;
  uint8_t drop = 0;
  ASSERT_EQ(QVMediaGetFrameRate(ref_, &rate, &drop), QVMediaErr_NoErr);
  EXPECT_EQ(rate, 30u);
  EXPECT_EQ(drop, 1);
  int64_t count = 0;
  ASSERT_EQ(QVMediaGetFrameCount(ref_, &count), QVMediaErr_NoErr);
  EXPECT_EQ(count, 30);
  QVMediaFormatInfo info;
  ASSERT_EQ(QVMediaGetFormatInfo(ref_, &info), QVMediaErr_NoErr);
  EXPECT_STREQ(info.kindText, "QuickTime Movie");
  EXPECT_STREQ(info.rateText, "29.97");
  EXPECT_NEAR(info.rate, 29.97, 0.001);
  EXPECT_STREQ(info.codecName, "png");
  EXPECT_TRUE(info.isMovie && info.isTimeBased && info.hasVideo && info.hasAudio);
  EXPECT_EQ(info.audio.channelCount, 2u);
  EXPECT_EQ(info.audio.sampleRate, 48000.0);
  EXPECT_EQ(info.audio.sampleSize, 16u);
  EXPECT_TRUE(QVMediaHasAudio(ref_));

  struct Case {
    int64_t frame;
    uint32_t mode;
    const char* text;
  } cases[] = {{0, 0, "01:00:00:00"}, {29, 0, "01:00:00:29"}, {0, 1, "01:00:00:00"}, {7, 8, "00007/00029"}};
  for (const Case& c : cases) {
    ASSERT_EQ(QVMediaSetCurrentFrame(ref_, c.frame), QVMediaErr_NoErr);
    char text[32];
    ASSERT_EQ(QVMediaGetTimecodeText(ref_, text, sizeof text, c.mode), QVMediaErr_NoErr);
    EXPECT_STREQ(text, c.text) << c.frame << " mode " << c.mode;
  }
}

TEST_F(Movies, DecodeTheFramesFFmpegDecodes) {
  QVMovie* movie = nullptr;
  ASSERT_EQ(QVMovieOpen(Clip().c_str(), &movie), kQVMovieOpened);
  // In order, then a jump back, then on from there; at full and half size.
  for (int frame : {0, 1, 2, 20, 3, 4, 29}) {
    std::vector<uint8_t> ours(size_t(kW) * kH * 4);
    ASSERT_TRUE(QVMovieDecodeFrame(movie, frame, ours.data(), kW * 4, kW, kH)) << frame;
    EXPECT_EQ(ours, FFmpegFrame(frame, kW, kH)) << "frame " << frame;
  }
  std::vector<uint8_t> half(size_t(kW / 2) * (kH / 2) * 4);
  ASSERT_TRUE(QVMovieDecodeFrame(movie, 11, half.data(), kW * 2, kW / 2, kH / 2));
  const std::vector<uint8_t> theirs = FFmpegFrame(11, kW / 2, kH / 2);
  ASSERT_EQ(theirs.size(), half.size());
  int worst = 0;
  for (size_t i = 0; i < half.size(); ++i) worst = std::max(worst, std::abs(int(half[i]) - int(theirs[i])));
  EXPECT_LE(worst, 1);
  EXPECT_FALSE(QVMovieDecodeFrame(movie, 30, half.data(), kW * 2, kW / 2, kH / 2));
  QVMovieClose(movie);
}

TEST_F(Movies, FollowTheDecodeSize) {
  ASSERT_EQ(QVMediaOpenPath(Clip().c_str(), &ref_, 0), QVMediaErr_NoErr);
  ASSERT_EQ(QVMediaSetDecodeSize(ref_, 80, 45), QVMediaErr_NoErr);
  EXPECT_EQ(ref_->decodeWidth, 80u);
  EXPECT_EQ(ref_->movieRowBytes, 320u);
  uint32_t w = 0, h = 0;
  ASSERT_EQ(QVMediaGetDisplaySize(ref_, &w, &h), QVMediaErr_NoErr);
  EXPECT_EQ(w, kW);  // the movie box
  EXPECT_EQ(h, kH);
  EXPECT_EQ(QVMediaSetDecodeSize(ref_, 0, 45), QVMediaErr_ParameterError);
}

TEST_F(Movies, DeliverTheCurrentFrameWithItsTimecode) {
  ASSERT_EQ(QVMediaOpenPath(Clip().c_str(), &ref_, 0), QVMediaErr_NoErr);
  ASSERT_EQ(QVMediaSetCurrentFrame(ref_, 20), QVMediaErr_NoErr);
  FBFrameStruct* frame = nullptr;
  ASSERT_EQ(FBCreateRGBFrameBuffer(kW, kH, &frame, kFBPixFormat32ARGB), kQVNoErr);
  ASSERT_EQ(QVMediaFetchFrame(ref_, frame), QVMediaErr_NoErr);
  // ffmpeg's A, R, G, B bytes against format 32's value A<<24 | R<<16 | G<<8 | B.
  const std::vector<uint8_t> theirs = FFmpegFrame(20, kW, kH);
  int worst = 0;
  for (uint32_t i = 0; i < kW * kH; ++i)
    for (int c = 1; c < 4; ++c)
      worst = std::max(worst, std::abs(int(frame->baseAddr[i * 4 + 3 - c]) - int(theirs[i * 4 + c])));
  EXPECT_LE(worst, 1);
  // 01:00:00;00 at 29.97 drop-frame counts 107,892 frames before the clip.
  EXPECT_EQ(ref_->perFrame.movie.counter, 107892 + 20);
  FBDisposeFrameBuffer(frame);
}

TEST(MovieRates, ClassWholeAndDropRates) {
  struct Case {
    double rate;
    uint32_t whole;
    uint8_t drop;
  } cases[] = {{30000.0 / 1001, 30, 1}, {24000.0 / 1001, 24, 1}, {60000.0 / 1001, 60, 1}, {48000.0 / 1001, 48, 1},
               {24, 24, 0},             {25, 25, 0},             {12.5, 13, 0},           {14.9, 15, 0},
               {0, 0, 0},               {-25, 0, 0},             {NAN, 0, 0},             {1e9, 0, 0}};
  for (const Case& c : cases) {
    uint32_t rate = 99;
    uint8_t drop = 9;
    media::ClassifyRate(c.rate, &rate, &drop);
    EXPECT_EQ(rate, c.whole) << c.rate;
    EXPECT_EQ(drop, c.drop) << c.rate;
  }
}

TEST(StillImages, OpenThroughTheImageDecoders) {
  if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  QVMediaInitialize();
  const std::string folder = MakeScratchFolder("stills");
  const std::string source = folder + "/source.png";
  ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i testsrc2=size=48x20 -frames:v 1 -pix_fmt rgb24 '" + source + "'"), 0);
  const std::string sourceRaw = folder + "/source.raw";
  ASSERT_EQ(RunTool("ffmpeg -v error -y -i '" + source + "' -f rawvideo -pix_fmt argb '" + sourceRaw + "'"), 0);
  const std::vector<uint8_t> expected = ReadBytes(sourceRaw);
  struct Case {
    const char* name;
    const char* kind;
    bool lossless;
  } cases[] = {{"a.png", "PNG Still Image", true},   {"a.tif", "TIFF Still Image", true},
               {"a.bmp", "BMP Still Image", true},   {"a.tga", "Targa Still Image", true},
               {"a.jpg", "JPEG Still Image", false}, {"a.exr", "OpenEXR Still Image", false},
               {"a.sgi", "SGI Still Image", true}};
  for (const Case& c : cases) {
    const std::string path = folder + "/" + c.name;
    ASSERT_EQ(RunTool("ffmpeg -v error -y -i '" + source + "' '" + path + "'"), 0) << c.name;
    QVMediaFileRef* ref = nullptr;
    ASSERT_EQ(QVMediaOpenPath(path.c_str(), &ref, 0), QVMediaErr_NoErr) << c.name;
    EXPECT_EQ(ref->flags, kQVMediaOpened | kQVMediaStill) << c.name;
    EXPECT_EQ(ref->nativeWidth, 48u);
    EXPECT_EQ(ref->nativeHeight, 20u);
    QVMediaFormatInfo info;
    ASSERT_EQ(QVMediaGetFormatInfo(ref, &info), QVMediaErr_NoErr);
    EXPECT_STREQ(info.kindText, c.kind);
    ASSERT_EQ(expected.size(), size_t(48) * 20 * 4);
    int worst = 0;
    for (size_t i = 0; i < expected.size(); ++i)
      worst = std::max(worst, std::abs(int(ref->stillPixels[i]) - int(expected[i])));
    EXPECT_LE(worst, c.lossless ? 0 : 40) << c.name;
    QVMediaCloseFile(&ref);
  }
}

}  // namespace
