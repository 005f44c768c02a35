#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/media_file.h"
#include "media/media_internal.h"
#include "media/movie_timing.h"
#include "media_test_files.h"
#include "tests/scratch_folder.h"

namespace {

constexpr uint64_t kOneHourAt48k = 3600ull * 48000;

std::vector<uint8_t> GoodWave(uint64_t timeReference = kOneHourAt48k, uint32_t samples = 480) {
  return WaveBuilder()
      .Chunk("fmt ", WaveBuilder::Format(1, 2, 48000, 16, 4))
      .Chunk("bext", WaveBuilder::Extension(timeReference))
      .Chunk("data", std::vector<uint8_t>(samples * 4, 0))
      .Bytes();
}

class WaveFiles : public testing::Test {
 protected:
  void SetUp() override {
    QVMediaInitialize();
    folder_ = MakeScratchFolder("wave");
  }
  void TearDown() override {
    for (QVMediaFileRef** r : {&audio_, &video_})
      if (*r) {
        EXPECT_EQ(QVMediaCloseFile(r), QVMediaErr_NoErr);
      }
  }
  QVMediaErr OpenWave(const std::vector<uint8_t>& bytes, const char* name = "take.wav") {
    WriteBytes(folder_ + "/" + name, bytes);
    if (audio_) QVMediaCloseFile(&audio_);
    return QVMediaOpenPath((folder_ + "/" + name).c_str(), &audio_, 0);
  }
  std::string folder_;
  QVMediaFileRef* audio_ = nullptr;
  QVMediaFileRef* video_ = nullptr;
};

TEST_F(WaveFiles, OpensBroadcastWaveAsAudio) {
  ASSERT_EQ(OpenWave(GoodWave()), QVMediaErr_NoErr);
  EXPECT_EQ(audio_->flags, kQVMediaOpened | kQVMediaAudio);
  EXPECT_EQ(audio_->lastFrame, 479);
  EXPECT_EQ(audio_->audioDataStart, 12u + 8 + 16 + 8 + 602 + 8);
  EXPECT_EQ(audio_->audioDataLength, 1920u);
  EXPECT_TRUE(QVMediaIsTimeBased(audio_));
  EXPECT_FALSE(QVMediaHasVideo(audio_));
  EXPECT_TRUE(QVMediaHasAudio(audio_));
  QVMediaAudioInfo sound;
  ASSERT_EQ(QVMediaGetAudioInfo(audio_, &sound), QVMediaErr_NoErr);
  EXPECT_EQ(sound.sampleSize, 16u);
  EXPECT_EQ(sound.sampleRate, 48000.0);
  EXPECT_EQ(sound.channelCount, 2u);
  EXPECT_EQ(sound.pcm, 1u);
  QVMediaFormatInfo info;
  ASSERT_EQ(QVMediaGetFormatInfo(audio_, &info), QVMediaErr_NoErr);
  EXPECT_STREQ(info.kindText, "Broadcast Wave Format Audio File");
  EXPECT_TRUE(info.hasAudio);
  EXPECT_FALSE(info.hasVideo);
  EXPECT_EQ(info.frameCount, 480);
  EXPECT_EQ(QVMediaWaveTimeReference(audio_), kOneHourAt48k);
  // The sample position as timecode.
  QVMediaSetCurrentFrame(audio_, 24000);
  char text[32];
  ASSERT_EQ(QVMediaSetCurrentFrame(audio_, 240), QVMediaErr_NoErr);
  ASSERT_EQ(QVMediaGetTimecodeText(audio_, text, sizeof text, 0), QVMediaErr_NoErr);
  EXPECT_STREQ(text, "01:00:00:00");
  ASSERT_EQ(QVMediaGetTimecodeText(audio_, text, sizeof text, kQVTimecodeTextFrameCounter), QVMediaErr_NoErr);
  EXPECT_STREQ(text, "00240/00479");
}

TEST_F(WaveFiles, ReadsChunksAsWrittenAndRefusesWhatCannotBePlayed) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool audio;
  } cases[] = {
      {"no broadcast extension",
       WaveBuilder().Chunk("fmt ", WaveBuilder::Format(1, 2, 48000, 16, 4)).Chunk("data", {0, 0, 0, 0}).Bytes(), false},
      {"block alignment 0",
       WaveBuilder()
           .Chunk("fmt ", WaveBuilder::Format(1, 2, 48000, 16, 0))
           .Chunk("bext", WaveBuilder::Extension(0))
           .Chunk("data", {0, 0, 0, 0})
           .Bytes(),
       false},
      {"odd chunk with its pad byte first",
       WaveBuilder()
           .Chunk("junk", {1, 2, 3})
           .Chunk("fmt ", WaveBuilder::Format(1, 2, 48000, 16, 4))
           .Chunk("bext", WaveBuilder::Extension(0))
           .Chunk("data", {0, 0, 0, 0})
           .Bytes(),
       true},
      {"data claiming more than the file",
       [] {
         auto b = GoodWave();
         b[b.size() - 1920 - 4] = 0xFF;
         b[b.size() - 1920 - 3] = 0xFF;
         return b;
       }(),
       false},
      {"RIFF of no chunks", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, false},
      {"not RIFF", {'R', 'I', 'F', 'X', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, false},
      {"cut in the middle of a chunk header", [] {
         auto b = GoodWave();
         b.resize(12 + 8 + 16 + 3);
         return b;
       }(), false},
  };
  for (const Case& c : cases) {
    QVMediaFileRef probe{};
    EXPECT_EQ(media::ParseWaveChunks(c.bytes.data(), c.bytes.size(), &probe), c.audio) << c.what;
    const QVMediaErr err = OpenWave(c.bytes);
    EXPECT_EQ(err == QVMediaErr_NoErr, c.audio) << c.what;
    if (!c.audio) {
      EXPECT_EQ(audio_, nullptr) << c.what;
    }
  }
  // Short 'fmt ' and 'bext' chunks read zeros past their ends.
  std::vector<uint8_t> fmt = WaveBuilder::Format(1, 2, 48000, 16, 4);
  fmt.resize(14);  // no bits per sample
  const std::vector<uint8_t> shortChunks = WaveBuilder()
                                               .Chunk("fmt ", fmt)
                                               .Chunk("bext", WaveBuilder::Extension(kOneHourAt48k, 340))
                                               .Chunk("data", {0, 0, 0, 0})
                                               .Bytes();
  QVMediaFileRef probe{};
  ASSERT_TRUE(media::ParseWaveChunks(shortChunks.data(), shortChunks.size(), &probe));
  EXPECT_EQ(probe.waveFormat.bitsPerSample, 0);
  EXPECT_EQ(probe.waveFormat.blockAlign, 4);
  EXPECT_EQ(QVMediaWaveTimeReference(&probe), kOneHourAt48k & 0xFFFF);
}

TEST_F(WaveFiles, LinesUpWithAClipByItsTimecode) {
  // A DPX sequence at 25 frames a second starting at 01:00:00:00.
  for (int n = 1; n <= 3; ++n) WriteTestDPX(folder_, "shot" + std::to_string(n) + ".dpx", 2, 2, 25.0f, 0x01000000 + uint32_t(n - 1));
  ASSERT_EQ(QVMediaOpenPath((folder_ + "/shot2.dpx").c_str(), &video_, 0), QVMediaErr_NoErr);
  ASSERT_EQ(QVMediaSetCurrentFrame(video_, 2), QVMediaErr_NoErr);
  char text[32];
  ASSERT_EQ(QVMediaGetTimecodeText(video_, text, sizeof text, 0), QVMediaErr_NoErr);
  EXPECT_STREQ(text, "01:00:00:02");
  struct Case {
    uint64_t reference;
    int64_t offset;
    int64_t start;
  } cases[] = {{kOneHourAt48k, 0, 0}, {kOneHourAt48k - 48000, 0, 48000}, {kOneHourAt48k, 4, 48000},
               {kOneHourAt48k + 1920, 0, -1920}};
  for (const Case& c : cases) {
    ASSERT_EQ(OpenWave(GoodWave(c.reference)), QVMediaErr_NoErr);
    int64_t start = -99;
    ASSERT_EQ(QVMediaAlignAudioByTimecode(video_, audio_, c.offset, &start), QVMediaErr_NoErr);
    EXPECT_EQ(start, c.start) << c.reference << " offset " << c.offset;
  }
  int64_t frame = 0;
  EXPECT_EQ(QVMediaGetCurrentFrame(video_, &frame), QVMediaErr_NoErr);
  EXPECT_EQ(frame, 2);  // the clip's position is given back
  int64_t start = 0;
  EXPECT_EQ(QVMediaAlignAudioByTimecode(video_, video_, 0, &start), QVMediaErr_MediaHasNoAudio);
  EXPECT_EQ(QVMediaAlignAudioByTimecode(video_, audio_, 0, nullptr), QVMediaErr_ParameterError);
  EXPECT_EQ(QVMediaAlignAudioByTimecode(nullptr, audio_, 0, &start), QVMediaErr_InvalidMediaFileRef);
  QVMediaAudioInfo sound;
  EXPECT_EQ(QVMediaGetAudioInfo(video_, &sound), QVMediaErr_MediaHasNoAudio);
}

}  // namespace
