// The infill job's movies: a held pattern picture, and the playback movie
// of leader segments and clips with linear timecode as its sound; playing
// out answers that no device is supported.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "media/infill_job.h"
#include "media/ltc_audio.h"
#include "media_test_files.h"
#include "peer_tools.h"
#include "tests/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

std::string Probe(const std::string& file, const std::string& stream, const std::string& entries) {
  return RunCapture("ffprobe -v error -select_streams " + stream + " -count_frames -show_entries " + entries +
                    " -of default=nw=1 '" + file + "'");
}

TEST(Infill, HeldPatternMovie) {
  if (!HaveTool("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
  const std::string folder = MakeScratchFolder("held");
  std::vector<uint8_t> pixels(160 * 90 * 4);
  TestPatternImage image{pixels.data(), 160, 90, 160 * 4};
  TestPatternDraw(&image, kPatternColorBars, 1, 0, 1.0);
  char path[1024];
  ASSERT_EQ(QVMediaBuildInfillMovie(folder.c_str(), &image, 25, 1, 50, path, sizeof path), QVMediaErr_NoErr);
  EXPECT_EQ(fs::path(path).parent_path(), fs::path(folder));
  EXPECT_EQ(fs::path(path).filename().string().rfind("ZrnInfillTemp", 0), 0u);
  const std::string info = Probe(path, "v:0", "stream=codec_name,nb_read_frames,duration");
  EXPECT_NE(info.find("codec_name=png"), std::string::npos) << info;
  EXPECT_NE(info.find("nb_read_frames=1"), std::string::npos) << info;
  EXPECT_NE(info.find("duration=2.000000"), std::string::npos) << "50 frames at 25: " << info;
  char second[1024];
  ASSERT_EQ(QVMediaBuildInfillMovie(folder.c_str(), &image, 25, 1, 50, second, sizeof second), QVMediaErr_NoErr);
  EXPECT_STRNE(path, second) << "each movie has its own number";
  EXPECT_EQ(QVMediaBuildInfillMovie(folder.c_str(), &image, 25, 1, 0, path, sizeof path), QVMediaErr_ParameterError);
}

TEST(Infill, PlaybackMovieWithLeaderAndTimecodeSound) {
  if (!HaveTool("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
  QVMediaInitialize();
  const std::string folder = MakeScratchFolder("assemble");
  for (int n = 0; n < 12; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "c_%04d.dpx", n);
    WriteTestDPX(folder, name, 64, 36, 24, 0x01000000u + uint32_t((n / 10) << 4 | (n % 10)));
  }
  QVMediaFileRef* clip = nullptr;
  ASSERT_EQ(QVMediaOpenPath((folder + "/c_0000.dpx").c_str(), &clip, 0), QVMediaErr_NoErr);
  QVInfillDevice device{1, 0, 128, 72, {10, 5, 0}};
  const std::string movie = folder + "/playout.mov";
  ASSERT_EQ(QVMediaAssembleInfill(&clip, 1, &device, movie.c_str()), QVMediaErr_NoErr);
  const std::string video = Probe(movie, "v:0", "stream=codec_name,width,nb_read_frames:stream_tags=timecode");
  EXPECT_NE(video.find("nb_read_frames=27"), std::string::npos) << video;
  EXPECT_NE(video.find("width=128"), std::string::npos) << video;
  EXPECT_NE(video.find("timecode=00:59:59:09"), std::string::npos) << "the leader counts up to the clip: " << video;
  const std::string sound = Probe(movie, "a:0", "stream=sample_rate,channels,duration");
  EXPECT_NE(sound.find("sample_rate=48000"), std::string::npos) << sound;
  EXPECT_NE(sound.find("channels=1"), std::string::npos) << sound;
  EXPECT_NE(sound.find("duration=1.125000"), std::string::npos) << "27 frames at 24: " << sound;
  EXPECT_FALSE(fs::exists(movie + ".ltc.wav"));

  DeckConnection deck{0, -1};
  EXPECT_EQ(QVMediaRunInfill(&clip, 1, &device, &deck, 0), QVMediaErr_PlaybackDeviceNotSupported);
  device.enabled = 0;
  EXPECT_EQ(QVMediaRunInfill(&clip, 1, &device, &deck, 0), QVMediaErr_PlaybackDeviceNotSupported);
  EXPECT_EQ(QVMediaAssembleInfill(&clip, 0, &device, movie.c_str()), QVMediaErr_ParameterError);
  QVMediaCloseFile(&clip);
}

}  // namespace
