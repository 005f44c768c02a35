#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "media/media_file.h"
#include "media/media_internal.h"
#include "media/movie_timing.h"
#include "media_test_files.h"
#include "platform/alert_script.h"
#include "tests/scratch_folder.h"

namespace {

class MediaFile : public testing::Test {
 protected:
  void SetUp() override {
    QVMediaInitialize();
    folder_ = MakeScratchFolder("media");
  }
  void TearDown() override {
    if (ref_) {
      EXPECT_EQ(QVMediaCloseFile(&ref_), QVMediaErr_NoErr);
    }
  }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  QVMediaErr Open(const std::string& name, uint8_t flags = 0) {
    if (ref_) QVMediaCloseFile(&ref_);
    return QVMediaOpenPath(Path(name).c_str(), &ref_, flags);
  }
  std::string folder_;
  QVMediaFileRef* ref_ = nullptr;
};

TEST(MediaLibrary, RefusesEveryCallBeforeItIsStarted) {
  // Each test runs in a process of its own under CTest; run together with
  // the others the library may already be started.
  if (media::Started()) GTEST_SKIP() << "library already started in this process";
  QVMediaFileRef* ref = nullptr;
  EXPECT_EQ(QVMediaOpenPath("/etc/hostname", &ref, 0), QVMediaErr_InvalidMediaFileRef);
  EXPECT_EQ(ref, nullptr);
  int64_t frame;
  EXPECT_EQ(QVMediaGetCurrentFrame(ref, &frame), QVMediaErr_InvalidMediaFileRef);
  EXPECT_FALSE(QVMediaIsValidRef(ref));
  EXPECT_FALSE(QVMediaIsTimeBased(ref));
  EXPECT_FALSE(QVMediaHasVideo(ref));
}

TEST(MediaLibrary, NamesEveryCodeAndReadsOthersAsUnknown) {
  struct Case {
    QVMediaErr code;
    const char* name;
    const char* message;
  } cases[] = {
      {0, "QVMediaErr_NoErr", "No error"},
      {1001, "QVMediaErr_FileNotFound", "File not found"},
      {1004, "QVMediaErr_UnsupportedMediaType", "Unsupported media type"},
      {1006, "QVMediaErr_ParameterError", "Parameter error"},
      {1007, "QVMediaErrUnknown", "Undefined error code"},
      {1016, "QVMediaErr_UndefinedMetadataValue", "Invalid metadata value"},
      {1021, "QVMediaErr_MediaHasNoAudio", "Media has no audio"},
      {1037, "QVMediaErr_DeviceEndOfTape", "Device at end of media"},
      {1038, "QVMediaErrUnknown", "Undefined error code"},
      {999, "QVMediaErrUnknown", "Undefined error code"},
  };
  for (const Case& c : cases) {
    char name[64], message[64];
    QVMediaGetErrorText(c.code, name, message, sizeof name);
    EXPECT_STREQ(name, c.name) << c.code;
    EXPECT_STREQ(message, c.message) << c.code;
  }
  // Short buffers get what fits, terminated; either buffer may be missing.
  char small[8];
  QVMediaGetErrorText(1007, nullptr, small, sizeof small);
  EXPECT_STREQ(small, "Undefin");
  QVMediaGetErrorText(1001, small, nullptr, sizeof small);
  EXPECT_STREQ(small, "QVMedia");
}

TEST(MediaErrorStatus, CodesBecomeTheStatusesCallersReport) {
  struct Case {
    QVMediaErr code;
    QVStatus status;
  };
  for (const Case& c : {Case{QVMediaErr_NoErr, kQVNoErr}, Case{QVMediaErr_FileNotFound, kQVErrFileNotFound},
                        Case{QVMediaErr_UnsupportedMediaType, kQVErrFileNotFound},
                        Case{QVMediaErr_InsufficientMemory, kQVErrMemory},
                        Case{QVMediaErr_TimedOutWaitingForMedia, kQVErrTimeout},
                        Case{QVMediaErr_UserCanceledErr, kQVErrCancelled}, Case{QVMediaErr_ParameterError, kQVErrParam},
                        Case{QVMediaErr_ExportFailed, kQVErrParam}, Case{999, kQVErrParam}}) {
    EXPECT_EQ(QVMediaStatusOf(c.code), c.status) << c.code;
  }
}

TEST_F(MediaFile, OpensADPXFrameAndDescribesIt) {
  WriteTestDPX(folder_, "still.dpx", 6, 3, 25.0f);
  ASSERT_EQ(Open("still.dpx"), QVMediaErr_NoErr);
  EXPECT_TRUE(QVMediaIsValidRef(ref_));
  EXPECT_EQ(ref_->flags, kQVMediaOpened | kQVMediaDPX);
  EXPECT_FALSE(QVMediaIsTimeBased(ref_));
  EXPECT_TRUE(QVMediaHasVideo(ref_));
  EXPECT_EQ(ref_->pixelFormat, kFBPixFormat16ARGB);
  EXPECT_EQ(ref_->rowBytes, 48u);
  int64_t frame = 0;
  EXPECT_EQ(QVMediaGetCurrentFrame(ref_, &frame), QVMediaErr_NoErr);
  EXPECT_EQ(frame, -1);
  QVMediaFormatInfo info;
  ASSERT_EQ(QVMediaGetFormatInfo(ref_, &info), QVMediaErr_NoErr);
  EXPECT_EQ(info.width, 6u);
  EXPECT_EQ(info.height, 3u);
  EXPECT_EQ(info.frameCount, 1);
  EXPECT_FLOAT_EQ(info.rate, 25.0f);
  EXPECT_STREQ(info.kindText, "DPX Still Image");
  EXPECT_STREQ(info.rateText, "25.0");
  EXPECT_FALSE(info.isTimeBased);
  EXPECT_TRUE(info.hasVideo);
  EXPECT_FALSE(info.hasAudio);
  EXPECT_EQ(ref_->metadata[0].type, kQVMetadataInteger);
  EXPECT_EQ(ref_->metadata[0].value.integer, 6);
  EXPECT_EQ(ref_->metadata[3].type, kQVMetadataFloat);
  EXPECT_FLOAT_EQ(ref_->metadata[3].value.real, 25.0f);
  EXPECT_EQ(ref_->metadata[5].value.integer, 1000);
  char name[1024];
  EXPECT_EQ(QVMediaGetFileName(ref_, name, sizeof name), QVMediaErr_NoErr);
  EXPECT_EQ(std::string(name), Path("still.dpx"));
  EXPECT_EQ(QVMediaGetFileName(ref_, name, 5), QVMediaErr_BufferTooSmall);
  double created = 0;
  EXPECT_EQ(QVMediaGetFileDates(ref_, &created), QVMediaErr_NoErr);
  EXPECT_GT(created, 8e8);  // after 2026 in seconds since 2001
}

TEST_F(MediaFile, ClassesDPXRatesIntoWholeAndDropRates) {
  struct Case {
    float rate;
    uint32_t whole;
    uint8_t drop;
  } cases[] = {{24, 24, 0}, {23.976f, 24, 1}, {29.97f, 30, 1}, {59.94f, 60, 1}, {47.952f, 48, 1},
               {25, 25, 0}, {12.5f, 13, 0},   {0, 0, 0}};
  for (const Case& c : cases) {
    WriteTestDPX(folder_, "rate.dpx", 2, 2, c.rate);
    ASSERT_EQ(Open("rate.dpx"), QVMediaErr_NoErr);
    uint32_t rate = 99;
    uint8_t drop = 9;
    EXPECT_EQ(QVMediaGetFrameRate(ref_, &rate, &drop), QVMediaErr_NoErr);
    EXPECT_EQ(rate, c.whole) << c.rate;
    EXPECT_EQ(drop, c.drop) << c.rate;
  }
  QVMediaFormatInfo info;
  WriteTestDPX(folder_, "rate.dpx", 2, 2, 23.976f);
  ASSERT_EQ(Open("rate.dpx"), QVMediaErr_NoErr);
  ASSERT_EQ(QVMediaGetFormatInfo(ref_, &info), QVMediaErr_NoErr);
  EXPECT_STREQ(info.rateText, "23.976");
  WriteTestDPX(folder_, "rate.dpx", 2, 2, 29.97f);
  ASSERT_EQ(Open("rate.dpx"), QVMediaErr_NoErr);
  ASSERT_EQ(QVMediaGetFormatInfo(ref_, &info), QVMediaErr_NoErr);
  EXPECT_STREQ(info.rateText, "29.97");
}

TEST_F(MediaFile, FindsTheWholeSequenceFromAnyOfItsFrames) {
  for (int n = 98; n <= 101; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "clip_%04d.dpx", n);
    WriteTestDPX(folder_, name);
  }
  WriteTestDPX(folder_, "clip_0103.dpx");  // beyond a gap: not part of it
  for (const char* chosen : {"clip_0098.dpx", "clip_0099.dpx", "clip_0101.dpx"}) {
    ASSERT_EQ(Open(chosen), QVMediaErr_NoErr) << chosen;
    EXPECT_TRUE(ref_->flags & kQVMediaSequence);
    EXPECT_TRUE(QVMediaIsTimeBased(ref_));
    EXPECT_EQ(std::string(ref_->path), Path("clip_0098.dpx"));
    EXPECT_EQ(ref_->lastFrame, 3);
    EXPECT_EQ(ref_->firstSequenceNumber, 98);
    EXPECT_EQ(ref_->rate, 24u);
  }
  QVMediaFormatInfo info;
  ASSERT_EQ(QVMediaGetFormatInfo(ref_, &info), QVMediaErr_NoErr);
  EXPECT_STREQ(info.kindText, "DPX Image Sequence");
  EXPECT_EQ(info.frameCount, 4);

  ASSERT_EQ(Open("clip_0103.dpx"), QVMediaErr_NoErr);
  EXPECT_FALSE(ref_->flags & kQVMediaSequence);
  EXPECT_EQ(ref_->lastFrame, 0);
  ASSERT_EQ(Open("clip_0099.dpx", kQVMediaOpenSingleImage), QVMediaErr_NoErr);
  EXPECT_FALSE(ref_->flags & kQVMediaSequence);
}

TEST_F(MediaFile, FindsSequencesWithoutExtensionAndKeepsADPXRate) {
  for (int n = 7; n <= 9; ++n) WriteTestDPX(folder_, "take" + std::to_string(n), 2, 2, 25.0f);
  // Read as DPX by its bytes; digits ending the path are its frame number.
  ASSERT_EQ(Open("take8"), QVMediaErr_NoErr);
  EXPECT_TRUE(ref_->flags & kQVMediaDPX);
  EXPECT_TRUE(ref_->flags & kQVMediaSequence);
  EXPECT_EQ(std::string(ref_->path), Path("take7"));
  EXPECT_EQ(ref_->lastFrame, 2);
  EXPECT_EQ(ref_->rate, 25u);

  char path[1024];
  uint32_t position, count;
  int64_t value;
  ASSERT_TRUE(media::FindDigitRun("/a/b.c/take0042", &position, &count, &value));
  EXPECT_EQ(position, 11u);
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(value, 42);
  media::SequenceFramePath("/a/b.c/take0042", position, count, 12345, path, sizeof path);
  EXPECT_STREQ(path, "/a/b.c/take2345");
  EXPECT_FALSE(media::FindDigitRun("/a/b9/take.dpx", &position, &count, &value));
  EXPECT_FALSE(media::FindDigitRun("/a/b/x12345678901234567.dpx", &position, &count, &value));
  ASSERT_TRUE(media::FindDigitRun("/a/b/1.2.dpx", &position, &count, &value));
  EXPECT_EQ(value, 2);
}

TEST_F(MediaFile, AsksBeforeMakingASequenceWhenToldTo) {
  WriteTestDPX(folder_, "a1.dpx");
  WriteTestDPX(folder_, "a2.dpx");
  PLAlertScriptBegin();
  PLAlertScriptAnswer(kPLAnswerOther);
  ASSERT_EQ(Open("a2.dpx", kQVMediaOpenAskSequence), QVMediaErr_NoErr);
  EXPECT_FALSE(ref_->flags & kQVMediaSequence);
  PLAlertScriptAnswer(kPLAnswerDefault);
  ASSERT_EQ(Open("a2.dpx", kQVMediaOpenAskSequence), QVMediaErr_NoErr);
  EXPECT_TRUE(ref_->flags & kQVMediaSequence);
  const auto alerts = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  ASSERT_EQ(alerts.size(), 2u);
  EXPECT_EQ(alerts[0].message, "Do you wish to import this file as part of an image sequence?");
  EXPECT_EQ(alerts[0].defaultButton, "Yes");
  EXPECT_EQ(alerts[0].otherButton, "No");
}

TEST_F(MediaFile, HoldsThePositionWithinTheClip) {
  for (int n = 0; n < 5; ++n) WriteTestDPX(folder_, "p" + std::to_string(n) + ".dpx");
  ASSERT_EQ(Open("p0.dpx"), QVMediaErr_NoErr);
  int64_t frame = 0;
  EXPECT_EQ(QVMediaSetCurrentFrame(ref_, 3), QVMediaErr_NoErr);
  EXPECT_EQ(QVMediaGetCurrentFrame(ref_, &frame), QVMediaErr_NoErr);
  EXPECT_EQ(frame, 3);
  EXPECT_EQ(QVMediaSetCurrentFrame(ref_, 9), QVMediaErr_MediaTooShort);
  EXPECT_EQ(QVMediaGetCurrentFrame(ref_, &frame), QVMediaErr_NoErr);
  EXPECT_EQ(frame, 4);
  EXPECT_EQ(QVMediaSetCurrentFrame(ref_, -2), QVMediaErr_NoErr);
  EXPECT_EQ(QVMediaGetCurrentFrame(ref_, &frame), QVMediaErr_NoErr);
  EXPECT_EQ(frame, 0);
  EXPECT_EQ(QVMediaGetCurrentFrame(ref_, nullptr), QVMediaErr_ParameterError);
  int64_t count = 0;
  EXPECT_EQ(QVMediaGetFrameCount(ref_, &count), QVMediaErr_NoErr);
  EXPECT_EQ(count, 5);
}

TEST_F(MediaFile, TimesOutWhenTheLockIsHeld) {
  WriteTestDPX(folder_, "locked.dpx");
  ASSERT_EQ(Open("locked.dpx"), QVMediaErr_NoErr);
  ASSERT_EQ(QVSempahoreWait(&ref_->lock, 0), kQVNoErr);
  int64_t frame = 0;
  EXPECT_EQ(QVMediaGetCurrentFrame(ref_, &frame), QVMediaErr_TimedOutWaitingForMedia);
  EXPECT_EQ(kQVNoErr, QVSemaphoreSignal(&ref_->lock));
  EXPECT_EQ(QVMediaGetCurrentFrame(ref_, &frame), QVMediaErr_NoErr);
}

TEST_F(MediaFile, ChoosesTheDecodeSize) {
  WriteTestDPX(folder_, "size.dpx");
  ASSERT_EQ(Open("size.dpx"), QVMediaErr_NoErr);
  struct Case {
    uint32_t width, height, maximum, flags, outWidth, outHeight;
  } cases[] = {
      {1920, 1080, 500, 1, 480, 270},   {1920, 1080, 200, 1, 240, 135}, {1920, 1080, 1000, 1, 960, 540},
      {1920, 1080, 1900, 1, 1920, 1080}, {2048, 1080, 500, 1, 500, 263}, {1280, 720, 300, 1, 320, 180},
      {640, 480, 800, 1, 640, 480},     {720, 1280, 640, 1, 640, 1137}, {480, 1280, 640, 1, 240, 640},  {2048, 1080, 500, 0, 2048, 1080},
  };
  for (const Case& c : cases) {
    uint32_t w = c.width, h = c.height;
    EXPECT_EQ(QVMediaChooseDecodeSize(ref_, c.maximum, &w, &h, c.flags), QVMediaErr_NoErr);
    EXPECT_EQ(w, c.outWidth) << c.width << "x" << c.height << " max " << c.maximum;
    EXPECT_EQ(h, c.outHeight) << c.width << "x" << c.height << " max " << c.maximum;
  }
  // DPX frames are delivered at their own size whatever is asked.
  EXPECT_EQ(QVMediaSetDecodeSize(ref_, 2, 1), QVMediaErr_NoErr);
  EXPECT_EQ(ref_->decodeWidth, 4u);
  uint32_t w = 0, h = 0;
  EXPECT_EQ(QVMediaGetDisplaySize(ref_, &w, &h), QVMediaErr_NoErr);
  EXPECT_EQ(w, 4u);
  EXPECT_EQ(h, 2u);
}

TEST_F(MediaFile, SetsMetadataByTheEntrysType) {
  WriteTestDPX(folder_, "meta.dpx");
  ASSERT_EQ(Open("meta.dpx"), QVMediaErr_NoErr);
  EXPECT_EQ(QVMediaSetMetadataFloat(ref_, 6, 5600.4f), QVMediaErr_NoErr);  // undefined: becomes a float
  EXPECT_EQ(ref_->metadata[6].type, kQVMetadataFloat);
  EXPECT_EQ(QVMediaSetMetadataLong(ref_, 6, 3200), QVMediaErr_NoErr);
  EXPECT_FLOAT_EQ(ref_->metadata[6].value.real, 3200.0f);
  EXPECT_EQ(QVMediaSetMetadataFloat(ref_, 0, 7.6f), QVMediaErr_NoErr);  // an integer entry rounds
  EXPECT_EQ(ref_->metadata[0].value.integer, 8);
  EXPECT_EQ(QVMediaSetMetadataLong(ref_, 13, 1), QVMediaErr_InvalidMetadataIndex);
  EXPECT_STREQ(ref_->metadata[12].key, "olpf_compensation");
}

TEST_F(MediaFile, ReportsFilesItCannotOpen) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    QVMediaErr expected;
  } cases[] = {
      {"clip.R3D", {1, 2, 3, 4}, QVMediaErr_UnsupportedMediaType},
      {"picture.zrx", {4, 0, 0, 0, 1, 2, 3, 4}, QVMediaErr_UnsupportedMediaType},
      {"broken.zrx", {200, 0, 0, 0, 1, 2}, QVMediaErr_FileNotFound},
      {"paint.pnt", std::vector<uint8_t>(600, 0), QVMediaErr_UnsupportedMediaType},
      {"damaged.pict", std::vector<uint8_t>(600, 0), QVMediaErr_FileNotFound},
      {"text.pdf", {'%', 'P', 'D', 'F', '-', '1', '.', '4', '\n'}, QVMediaErr_UnsupportedMediaType},
      {"empty.dpx", {}, QVMediaErr_FileNotFound},
      {"noise.png", {1, 2, 3, 4, 5, 6, 7, 8}, QVMediaErr_FileNotFound},
      {"song.wav", WaveBuilder().Chunk("fmt ", WaveBuilder::Format(1, 2, 48000, 16, 4)).Chunk("data", {0, 0, 0, 0}).Bytes(),
       QVMediaErr_UnsupportedMediaType},
  };
  for (const Case& c : cases) {
    WriteBytes(Path(c.name), c.bytes);
    PLAlertScriptBegin();
    EXPECT_EQ(Open(c.name), c.expected) << c.name;
    PLAlertScriptEnd();
    EXPECT_EQ(ref_, nullptr);
  }
  EXPECT_EQ(Open("missing.dpx"), QVMediaErr_FileNotFound);
  EXPECT_EQ(QVMediaOpenPath(folder_.c_str(), &ref_, 0), QVMediaErr_FileNotFound);
  EXPECT_EQ(QVMediaOpenPath(nullptr, &ref_, 0), QVMediaErr_ParameterError);
  EXPECT_EQ(QVMediaCloseFile(nullptr), QVMediaErr_ParameterError);
}

}  // namespace
