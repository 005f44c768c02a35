// The movie writer: each codec read back by ffprobe (codec, frames, rate,
// timecode, audio) and decoded by our reader against the frames written;
// failures leave nothing under the movie's name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/frame_buffer.h"
#include "core/task_pool.h"
#include "media/movie_reader.h"
#include "media/movie_writer.h"
#include "media/output_job.h"
#include "media_test_files.h"
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
  QVMovieWriterSettings s = MovieSettings(codec, kW, kH);
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

// Decodes frames 0 to frames - 1 of two movies of kW x kH and hands each
// pair (A, R, G, B bytes in memory) to check.
template <class Check>
void DecodePairs(const std::string& a, const std::string& b, int frames, Check check) {
  QVMovie* ma = nullptr;
  QVMovie* mb = nullptr;
  ASSERT_EQ(QVMovieOpen(a.c_str(), &ma), kQVMovieOpened);
  ASSERT_EQ(QVMovieOpen(b.c_str(), &mb), kQVMovieOpened);
  std::vector<uint8_t> pa(size_t(kW) * kH * 4), pb(pa.size());
  for (int f = 0; f < frames; ++f) {
    ASSERT_TRUE(QVMovieDecodeFrame(ma, f, pa.data(), kW * 4, kW, kH));
    ASSERT_TRUE(QVMovieDecodeFrame(mb, f, pb.data(), kW * 4, kW, kH));
    check(f, pa, pb);
  }
  QVMovieClose(ma);
  QVMovieClose(mb);
}

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

TEST(MovieWriter, ADropFrameTimecodeIsKeptAndReadsBackAsDropFrame) {
  // At 29.97 and 59.94 the counting flag is the last separator; the track
  // must be written and read back with its start and its counting.
  const std::string folder = MakeScratchFolder("movie-drop");
  struct Case {
    int32_t rate100, numerator, denominator;
    int64_t start;
    const char* probed;
  };
  for (const Case& c : {Case{2997, 30000, 1001, 1800, "00:01:00;02"}, Case{5994, 60000, 1001, 7, "00:00:00;07"}}) {
    const std::string path = folder + "/drop" + std::to_string(c.rate100) + ".mov";
    QVMovieWriterSettings s = MovieSettings(kQVCodecJPEG, kW, kH);
    s.rateNumerator = c.numerator;
    s.rateDenominator = c.denominator;
    s.timecode = true;
    s.timecodeStart = c.start;
    s.timecodeRate = c.rate100;
    s.timecodeDrop = true;
    QVMovieWriter* w = nullptr;
    ASSERT_EQ(QVMovieWriterOpen(path.c_str(), &s, &w), QVMediaErr_NoErr);
    for (int f = 0; f < 2; ++f) {
      const std::vector<uint8_t> p = Picture(f);
      ASSERT_EQ(QVMovieWriterAddFrame(w, p.data(), kW * 4, kQVMovieWriterBGRA8), QVMediaErr_NoErr);
    }
    ASSERT_EQ(QVMovieWriterFinish(w), QVMediaErr_NoErr);
    QVMovie* movie = nullptr;
    ASSERT_EQ(QVMovieOpen(path.c_str(), &movie), kQVMovieOpened);
    const QVMovieInfo* info = QVMovieGetInfo(movie);
    EXPECT_TRUE(info->hasTimecodeTrack) << c.rate100;
    EXPECT_TRUE(info->timecodeDrop) << c.rate100;
    EXPECT_EQ(info->timecodeStart, c.start) << c.rate100;
    QVMovieClose(movie);
    if (HaveTool("ffprobe")) {
      EXPECT_NE(RunCapture("ffprobe -v error -show_entries stream_tags=timecode -of default=nw=1:nk=1 '" + path + "'")
                    .find(c.probed),
                std::string::npos)
          << c.rate100;
    }
  }
}

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
    DecodePairs(whole, banded, 3, [&](int f, const std::vector<uint8_t>& pa, const std::vector<uint8_t>& pb) {
      if (codec != kQVCodecH264) {
        EXPECT_EQ(pa, pb) << QVMovieWriterEncoderName(codec) << " frame " << f;
        return;
      }
      double difference = 0;
      for (size_t i = 0; i < pa.size(); ++i) difference += std::abs(int(pa[i]) - int(pb[i]));
      std::printf("[ figure ] 4:2:0 in bands, frame %d: mean difference %.4f codes\n", f, difference / double(pa.size()));
      EXPECT_LT(difference / double(pa.size()), 0.5) << "frame " << f;
    });
  }
  VLMPStopProcessPool();
  VLMPSetProcessorCountOverride(0);
}

// A smooth, saturated float picture that moves with the frame number,
// reaching a little outside 0 to 1.
float PlaneValue(uint32_t x, uint32_t y, uint32_t k, int frame) {
  return 0.5f + 0.55f * std::sin(float(x) * (0.05f + 0.02f * float(k)) + float(y) * 0.07f + float(frame + int(k)));
}

TEST(MovieWriter, PicturesFilledFromFloatPlanesDecodeAsTheSixteenBitPath) {
  // The same float pictures through the float-plane fill and through 16-bit
  // pixels: decoded, the two movies agree to within the rounding to 16 bits
  // (a lossy codec may then choose differently here and there), and the
  // fill is as close to the pictures as the 16-bit path. A wrong plane
  // order, matrix or range would be off by many codes. The fill on the
  // calling thread alone gives the same pictures as the fill over the pool.
  VLMPSetProcessorCountOverride(4);
  VLMPStartProcessPool();
  const std::string folder = MakeScratchFolder("movie-planes");
  FBFrameStruct* frame = nullptr;
  ASSERT_EQ(FBCreateRGBFrameBuffer(kW, kH, &frame, kFBPixFormatPlanarFloat), kQVNoErr);
  struct Case {
    uint32_t codec;
    double meanLimit, worstLimit;  // between the two movies, in 8-bit codes
  } cases[] = {
      {kQVCodecJPEG, 0.8, 12},
      {kQVCodecProRes422, 0.3, 6},
      {kQVCodecH264, 1.6, 24},
      {kQVCodecPNG, 0.05, 1},
  };
  for (const Case& c : cases) {
    const char* name = QVMovieWriterEncoderName(c.codec);
    const std::string sixteen = folder + "/sixteen.mov", planes = folder + "/planes.mov", here = folder + "/here.mov";
    QVMovieWriterSettings s = Settings(c.codec);
    s.timecode = false;
    QVMovieWriter* a = nullptr;
    QVMovieWriter* b = nullptr;
    QVMovieWriter* h = nullptr;
    ASSERT_EQ(QVMovieWriterOpen(sixteen.c_str(), &s, &a), QVMediaErr_NoErr);
    ASSERT_EQ(QVMovieWriterOpen(planes.c_str(), &s, &b), QVMediaErr_NoErr);
    ASSERT_EQ(QVMovieWriterOpen(here.c_str(), &s, &h), QVMediaErr_NoErr);
    QVMovieWriterPicture* picture = nullptr;
    QVMovieWriterPicture* herePicture = nullptr;
    ASSERT_EQ(QVMovieWriterNewPicture(b, &picture), QVMediaErr_NoErr);
    ASSERT_EQ(QVMovieWriterNewPicture(h, &herePicture), QVMediaErr_NoErr);
    std::vector<uint16_t> rgba(size_t(kW) * kH * 4);
    for (int f = 0; f < 3; ++f) {
      for (uint32_t y = 0; y < kH; ++y)
        for (uint32_t x = 0; x < kW; ++x) {
          for (uint32_t k = 0; k < 3; ++k) {
            const float v = PlaneValue(x, y, k, f);
            reinterpret_cast<float*>(frame->baseAddr + size_t(k) * frame->planeBytes + y * frame->rowBytes)[x] = v;
            rgba[(size_t(y) * kW + x) * 4 + k] = uint16_t(std::clamp(v, 0.0f, 1.0f) * 65535.0f + 0.5f);
          }
          rgba[(size_t(y) * kW + x) * 4 + 3] = 65535;
        }
      ASSERT_EQ(QVMovieWriterAddFrame(a, rgba.data(), kW * 8, kQVMovieWriterRGBA16), QVMediaErr_NoErr);
      ASSERT_EQ(QVMovieWriterFillPictureFromPlanes(b, picture, frame), QVMediaErr_NoErr);
      ASSERT_EQ(QVMovieWriterAddPicture(b, picture), QVMediaErr_NoErr);
      ASSERT_EQ(QVMovieWriterFillPictureFromPlanesOnCaller(h, herePicture, frame), QVMediaErr_NoErr);
      ASSERT_EQ(QVMovieWriterAddPicture(h, herePicture), QVMediaErr_NoErr);
    }
    QVMovieWriterFreePicture(picture);
    QVMovieWriterFreePicture(herePicture);
    ASSERT_EQ(QVMovieWriterFinish(a), QVMediaErr_NoErr);
    ASSERT_EQ(QVMovieWriterFinish(b), QVMediaErr_NoErr);
    ASSERT_EQ(QVMovieWriterFinish(h), QVMediaErr_NoErr);
    // Filled on the calling thread alone, the pictures are the same bytes.
    DecodePairs(planes, here, 3, [&](int f, const std::vector<uint8_t>& pb, const std::vector<uint8_t>& ph) {
      EXPECT_TRUE(pb == ph) << name << " frame " << f << ": filled on the caller differs from filled over the pool";
    });
    DecodePairs(sixteen, planes, 3, [&](int f, const std::vector<uint8_t>& pa, const std::vector<uint8_t>& pb) {
      double between = 0, errorA = 0, errorB = 0;
      int worst = 0;
      for (size_t i = 0; i < pa.size(); ++i) {
        const int d = std::abs(int(pa[i]) - int(pb[i]));
        between += d;
        worst = std::max(worst, d);
        if (i % 4 == 0) continue;
        const size_t pixel = i / 4;
        const double want =
            std::clamp(PlaneValue(uint32_t(pixel % kW), uint32_t(pixel / kW), uint32_t(i % 4 - 1), f), 0.0f, 1.0f) * 255.0;
        errorA += std::abs(pa[i] - want);
        errorB += std::abs(pb[i] - want);
      }
      const double samples = double(pa.size());
      EXPECT_LT(between / samples, c.meanLimit) << name << " frame " << f;
      EXPECT_LE(worst, c.worstLimit) << name << " frame " << f;
      EXPECT_LT(errorB / (samples * 0.75), errorA / (samples * 0.75) + 0.1) << name << " frame " << f;
    });
  }
  // Samples out of range go in clamped, NaN as 0: columns of NaN, -1,
  // grey 128 / 255, infinity and 2 come back black, black, grey, white and
  // white. (Grey sits on a code: 0.5 would lie half way between 127 and
  // 128, where either is right.)
  const float columns[] = {std::nanf(""), -1.0f, 128.0f / 255.0f, INFINITY, 2.0f};
  for (uint32_t k = 0; k < 3; ++k)
    for (uint32_t y = 0; y < kH; ++y)
      for (uint32_t x = 0; x < kW; ++x)
        reinterpret_cast<float*>(frame->baseAddr + size_t(k) * frame->planeBytes + y * frame->rowBytes)[x] =
            columns[x * std::size(columns) / kW];
  QVMovieWriterSettings s = Settings(kQVCodecPNG);
  s.timecode = false;
  QVMovieWriter* w = nullptr;
  ASSERT_EQ(QVMovieWriterOpen((folder + "/clamped.mov").c_str(), &s, &w), QVMediaErr_NoErr);
  QVMovieWriterPicture* picture = nullptr;
  ASSERT_EQ(QVMovieWriterNewPicture(w, &picture), QVMediaErr_NoErr);
  ASSERT_EQ(QVMovieWriterFillPictureFromPlanes(w, picture, frame), QVMediaErr_NoErr);
  ASSERT_EQ(QVMovieWriterAddPicture(w, picture), QVMediaErr_NoErr);
  QVMovieWriterFreePicture(picture);
  ASSERT_EQ(QVMovieWriterFinish(w), QVMediaErr_NoErr);
  QVMovie* clamped = nullptr;
  ASSERT_EQ(QVMovieOpen((folder + "/clamped.mov").c_str(), &clamped), kQVMovieOpened);
  std::vector<uint8_t> got(size_t(kW) * kH * 4);
  ASSERT_TRUE(QVMovieDecodeFrame(clamped, 0, got.data(), kW * 4, kW, kH));
  QVMovieClose(clamped);
  const int want[] = {0, 0, 128, 255, 255};
  for (uint32_t x = 0; x < kW; ++x)
    for (uint32_t c = 1; c < 4; ++c)
      EXPECT_EQ(got[(size_t(kH / 2) * kW + x) * 4 + c], want[x * std::size(columns) / kW]) << "column " << x;

  // A frame of another size or layout is refused.
  s = Settings(kQVCodecJPEG);
  ASSERT_EQ(QVMovieWriterOpen((folder + "/refused.mov").c_str(), &s, &w), QVMediaErr_NoErr);
  ASSERT_EQ(QVMovieWriterNewPicture(w, &picture), QVMediaErr_NoErr);
  FBFrameStruct* other = nullptr;
  ASSERT_EQ(FBCreateRGBFrameBuffer(kW, kH + 2, &other, kFBPixFormatPlanarFloat), kQVNoErr);
  EXPECT_EQ(QVMovieWriterFillPictureFromPlanes(w, picture, other), QVMediaErr_ParameterError);
  FBDisposeFrameBuffer(other);
  ASSERT_EQ(FBCreateRGBFrameBuffer(kW, kH, &other, kFBPixFormatFloatRGBA), kQVNoErr);
  EXPECT_EQ(QVMovieWriterFillPictureFromPlanes(w, picture, other), QVMediaErr_ParameterError);
  FBDisposeFrameBuffer(other);
  QVMovieWriterFreePicture(picture);
  QVMovieWriterAbandon(w);
  FBDisposeFrameBuffer(frame);
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
