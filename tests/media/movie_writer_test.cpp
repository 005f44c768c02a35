// The movie writer: each codec read back by ffprobe (codec, frames, rate,
// timecode, audio) and decoded by our reader against the frames written;
// failures leave nothing under the movie's name.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/task_pool.h"
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

TEST(MovieWriter, PicturesFilledInBandsDecodeAsWholeFrames) {
  // The converter cut into row bands over a pool of four (the last band
  // short: 72 rows) against one converter for the whole frame: the same
  // pictures, but for 4:2:0 chroma beside a band's edge, filtered within the
  // band.
  VLMPSetProcessorCountOverride(4);
  VLMPStartProcessPool();
  const std::string folder = MakeScratchFolder("movie-bands");
  for (uint32_t codec : {kQVCodecJPEG, kQVCodecProRes422, kQVCodecH264, kQVCodecPNG}) {
    const std::string whole = folder + "/whole.mov", banded = folder + "/banded.mov";
    QVMovieWriterSettings s = Settings(codec);
    s.timecode = false;
    QVMovieWriter* a = nullptr;
    QVMovieWriter* b = nullptr;
    ASSERT_EQ(QVMovieWriterOpen(whole.c_str(), &s, &a), QVMediaErr_NoErr);
    ASSERT_EQ(QVMovieWriterOpen(banded.c_str(), &s, &b), QVMediaErr_NoErr);
    QVMovieWriterPicture* picture = nullptr;
    ASSERT_EQ(QVMovieWriterNewPicture(b, &picture), QVMediaErr_NoErr);
    for (int f = 0; f < 3; ++f) {
      const std::vector<uint8_t> bgra = Picture(f);
      std::vector<uint16_t> rgba(bgra.size());
      for (size_t i = 0; i < bgra.size(); i += 4)
        for (int c = 0; c < 4; ++c) rgba[i + size_t(c)] = uint16_t(bgra[i + size_t(c == 3 ? 3 : 2 - c)] * 257 + f * 13);
      ASSERT_EQ(QVMovieWriterAddFrame(a, rgba.data(), kW * 8, kQVMovieWriterRGBA16), QVMediaErr_NoErr);
      ASSERT_EQ(QVMovieWriterFillPicture(b, picture, rgba.data(), kW * 8), QVMediaErr_NoErr);
      ASSERT_EQ(QVMovieWriterAddPicture(b, picture), QVMediaErr_NoErr);
    }
    QVMovieWriterFreePicture(picture);
    ASSERT_EQ(QVMovieWriterFinish(a), QVMediaErr_NoErr);
    ASSERT_EQ(QVMovieWriterFinish(b), QVMediaErr_NoErr);
    QVMovie* ma = nullptr;
    QVMovie* mb = nullptr;
    ASSERT_EQ(QVMovieOpen(whole.c_str(), &ma), kQVMovieOpened);
    ASSERT_EQ(QVMovieOpen(banded.c_str(), &mb), kQVMovieOpened);
    std::vector<uint8_t> pa(size_t(kW) * kH * 4), pb(pa.size());
    for (int f = 0; f < 3; ++f) {
      ASSERT_TRUE(QVMovieDecodeFrame(ma, f, pa.data(), kW * 4, kW, kH));
      ASSERT_TRUE(QVMovieDecodeFrame(mb, f, pb.data(), kW * 4, kW, kH));
      if (codec != kQVCodecH264) {
        EXPECT_EQ(pa, pb) << QVMovieWriterEncoderName(codec) << " frame " << f;
        continue;
      }
      double difference = 0;
      for (size_t i = 0; i < pa.size(); ++i) difference += std::abs(int(pa[i]) - int(pb[i]));
      std::printf("[ figure ] 4:2:0 in bands, frame %d: mean difference %.4f codes\n", f, difference / double(pa.size()));
      EXPECT_LT(difference / double(pa.size()), 0.5) << "frame " << f;
    }
    QVMovieClose(ma);
    QVMovieClose(mb);
  }
  VLMPStopProcessPool();
  VLMPSetProcessorCountOverride(0);
}

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
