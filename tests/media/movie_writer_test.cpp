// The movie writer: each codec read back by ffprobe (codec, frames, rate,
// timecode, audio) and decoded by our reader against the frames written;
// failures leave nothing under the movie's name.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "media/movie_reader.h"
#include "media/movie_writer.h"
#include "media/output_job.h"
#include "peer_tools.h"
#include "tests/scratch_folder.h"

namespace {

constexpr uint32_t kW = 128, kH = 72;

// A smooth picture that moves with the frame number, as 'BGRA' bytes.
std::vector<uint8_t> Picture(int frame) {
  std::vector<uint8_t> p(size_t(kW) * kH * 4);
  for (uint32_t y = 0; y < kH; ++y)
    for (uint32_t x = 0; x < kW; ++x) {
      uint8_t* px = &p[(size_t(y) * kW + x) * 4];
      px[0] = uint8_t(40 + (x * 150) / kW);                 // B
      px[1] = uint8_t(30 + (y * 180) / kH);                 // G
      px[2] = uint8_t(60 + ((x + y + uint32_t(frame) * 3) % 120));  // R
      px[3] = 255;
    }
  return p;
}

std::string Probe(const std::string& path, const std::string& entries, const char* stream = "v:0") {
  return RunCapture("ffprobe -v error -select_streams " + std::string(stream) + " -count_frames -show_entries " +
                    entries + " -of default=nw=1:nk=1 '" + path + "'");
}

QVMovieWriterSettings Settings(uint32_t codec) {
  QVMovieWriterSettings s{};
  s.width = kW;
  s.height = kH;
  s.rateNumerator = 24;
  s.rateDenominator = 1;
  s.codec = codec;
  s.quality = 1000;
  s.timecode = true;
  s.timecodeStart = 86400 + 24 * 10 + 5;  // 01:00:10:05 at 24
  s.timecodeRate = 2400;
  return s;
}

struct CodecCase {
  uint32_t codec;
  const char* probeName;
  double meanLimit;  // mean absolute error in 8-bit codes
};

class MovieWriterCodecs : public testing::TestWithParam<CodecCase> {};

TEST_P(MovieWriterCodecs, WritesFramesTimecodeAndReadsBack) {
  if (!HaveTool("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
  const CodecCase c = GetParam();
  const std::string folder = MakeScratchFolder(c.probeName);
  const std::string path = folder + "/out.mov";
  QVMovieWriterSettings s = Settings(c.codec);
  QVMovieWriter* w = nullptr;
  ASSERT_EQ(QVMovieWriterOpen(path.c_str(), &s, &w), QVMediaErr_NoErr);
  EXPECT_FALSE(std::filesystem::exists(path)) << "nothing under the final name while writing";
  for (int f = 0; f < 12; ++f) {
    const std::vector<uint8_t> p = Picture(f);
    ASSERT_EQ(QVMovieWriterAddFrame(w, p.data(), kW * 4, kQVMovieWriterBGRA8), QVMediaErr_NoErr);
  }
  ASSERT_EQ(QVMovieWriterFinish(w), QVMediaErr_NoErr);
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::directory_iterator(folder)->path().filename(), "out.mov") << "no temporary left";

  EXPECT_EQ(Probe(path, "stream=codec_name"), std::string(c.probeName) + "\n");
  EXPECT_EQ(Probe(path, "stream=nb_read_frames"), "12\n");
  EXPECT_EQ(Probe(path, "stream=r_frame_rate"), "24/1\n");
  EXPECT_NE(RunCapture("ffprobe -v error -show_entries stream_tags=timecode -of default=nw=1:nk=1 '" + path + "'")
                .find("01:00:10:05"),
            std::string::npos);

  QVMovie* movie = nullptr;
  ASSERT_EQ(QVMovieOpen(path.c_str(), &movie), kQVMovieOpened);
  const QVMovieInfo* info = QVMovieGetInfo(movie);
  EXPECT_TRUE(info->hasTimecodeTrack);
  EXPECT_EQ(info->timecodeStart, s.timecodeStart);
  std::vector<uint8_t> got(size_t(kW) * kH * 4);
  double total = 0;
  size_t count = 0;
  for (int f : {0, 5, 11}) {
    ASSERT_TRUE(QVMovieDecodeFrame(movie, f, got.data(), kW * 4, kW, kH));
    const std::vector<uint8_t> want = Picture(f);
    // Our reader gives A, R, G, B in memory; the picture is B, G, R, A.
    for (size_t i = 0; i < want.size(); i += 4) {
      total += std::abs(int(got[i + 3]) - int(want[i + 0])) + std::abs(int(got[i + 2]) - int(want[i + 1])) +
               std::abs(int(got[i + 1]) - int(want[i + 2]));
      count += 3;
    }
  }
  QVMovieClose(movie);
  EXPECT_LT(total / double(count), c.meanLimit);
}

INSTANTIATE_TEST_SUITE_P(Codecs, MovieWriterCodecs,
                         testing::Values(CodecCase{kQVCodecJPEG, "mjpeg", 3.0},
                                         CodecCase{kQVCodecProRes422, "prores", 2.0},
                                         CodecCase{kQVCodecH264, "h264", 3.0}),
                         [](const testing::TestParamInfo<CodecCase>& i) { return std::string(i.param.probeName); });

TEST(MovieWriter, AudioIsCopiedAndTrimmedToTheVideo) {
  if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string folder = MakeScratchFolder("audio");
  const std::string wave = folder + "/tone.wav";
  ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i sine=frequency=440:sample_rate=48000:duration=3 -ac 2 '" + wave +
                    "'"),
            0);
  for (bool mp4 : {false, true}) {
    const std::string path = folder + (mp4 ? "/out.mp4" : "/out.mov");
    QVMovieWriterSettings s = Settings(mp4 ? kQVCodecH264 : kQVCodecJPEG);
    s.mp4 = mp4;
    s.timecode = !mp4;
    s.audioPath = wave.c_str();
    s.audioStartSeconds = 0.5;
    QVMovieWriter* w = nullptr;
    ASSERT_EQ(QVMovieWriterOpen(path.c_str(), &s, &w), QVMediaErr_NoErr);
    for (int f = 0; f < 24; ++f) {
      const std::vector<uint8_t> p = Picture(f);
      ASSERT_EQ(QVMovieWriterAddFrame(w, p.data(), kW * 4, kQVMovieWriterBGRA8), QVMediaErr_NoErr);
    }
    ASSERT_EQ(QVMovieWriterFinish(w), QVMediaErr_NoErr);
    EXPECT_EQ(Probe(path, "stream=codec_name", "a:0"), mp4 ? "aac\n" : "pcm_s16le\n");
    const double seconds = std::atof(Probe(path, "stream=duration", "a:0").c_str());
    EXPECT_NEAR(seconds, 1.0, mp4 ? 0.05 : 0.001) << path;  // one second of picture at 24
  }
}

TEST(MovieWriter, FailuresLeaveNoFile) {
  const std::string folder = MakeScratchFolder("fail");
  QVMovieWriterSettings s = Settings(kQVCodecJPEG);
  QVMovieWriter* w = nullptr;
  EXPECT_EQ(QVMovieWriterOpen((folder + "/missing/out.mov").c_str(), &s, &w), QVMediaErr_ExportFailed);
  EXPECT_EQ(w, nullptr);
  s.codec = QVFourCC("none");
  EXPECT_EQ(QVMovieWriterOpen((folder + "/out.mov").c_str(), &s, &w), QVMediaErr_CodecNotFound);
  s = Settings(kQVCodecJPEG);
  s.width = 0;
  EXPECT_EQ(QVMovieWriterOpen((folder + "/out.mov").c_str(), &s, &w), QVMediaErr_ParameterError);
  // An abandoned movie leaves nothing.
  s = Settings(kQVCodecJPEG);
  ASSERT_EQ(QVMovieWriterOpen((folder + "/out.mov").c_str(), &s, &w), QVMediaErr_NoErr);
  const std::vector<uint8_t> p = Picture(0);
  ASSERT_EQ(QVMovieWriterAddFrame(w, p.data(), kW * 4, kQVMovieWriterBGRA8), QVMediaErr_NoErr);
  QVMovieWriterAbandon(w);
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
