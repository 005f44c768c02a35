// A 48-frame 1080p DPX clip rendered through the correction engine into
// every output kind, read back by other programs: oiiotool and iinfo for
// the sequences, ffprobe for the movies, and the movies' frames decoded and
// measured against the corrected frames. Skipped without those programs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
#include <tiffio.h>
}

#include "core/engine_lock.h"
#include "core/frame_buffer.h"
#include "core/pixel_transfer.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "core/settings_record.h"
#include "media/dpx_header.h"
#include "media/movie_reader.h"
#include "media/output_job.h"
#include "media_test_files.h"
#include "peer_tools.h"
#include "tests/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

// 48 frames; 8 under the sanitizers, whose slower code would take minutes.
#if defined(__SANITIZE_ADDRESS__)
constexpr uint32_t kFrames = 8;
#else
constexpr uint32_t kFrames = 48;
#endif
constexpr uint32_t kW = 1920, kH = 1080;
constexpr uint32_t kLast = kFrames - 1;

float SourceValue(uint32_t x, uint32_t y, int c, uint32_t n) {
  const float fx = float(x) / kW, fy = float(y) / kH;
  switch (c) {
    case 0: return 0.1f + 0.8f * fx;
    case 1: return 0.15f + 0.7f * fy;
    default: return 0.2f + 0.6f * float((x / 8 + y / 8 + n * 4) % 64) / 63.0f;
  }
}

// A grade: primaries and curves.
VL_SettingsStruct Grade() {
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  s.limiter_enable = 0;
  s.rgbEnable = 1;
  for (int r = 0; r < 4; ++r)
    s.rgb[r] = {1, 1.02f, 1.08f, 0.01f, {{1.05f, 0.95f, 0.0f}, {0.98f, 1.03f, 0.01f}, {1.0f, 1.1f, -0.01f}}};
  return s;
}

bool Correct(FBFrameStruct* frame, int64_t, QVMediaFileRef*, void*) {
  return ProcessImage(frame, frame, 0, 0) == kQVNoErr;
}

// The corrected frame n, made here from the clip's own file.
FBFrameStruct* Expected(const std::string& clipFolder, uint32_t n) {
  char path[1200];
  std::snprintf(path, sizeof path, "%s/src_%04u.dpx", clipFolder.c_str(), n);
  std::vector<uint16_t> px(size_t(kW) * kH * 4);
  EXPECT_EQ(DPXReadImage(path, px.data(), kW * 8, kW, kH, 16, false), kQVNoErr);
  FBFrameStruct* f = nullptr;
  EXPECT_EQ(FBCreateRGBFrameBuffer(kW, kH, &f, kFBPixFormatPlanarFloat), kQVNoErr);
  FBTransferPixToFBFrameSSE(px.data(), kW * 8, 0, kFBPixFormat16ARGB, f);
  EXPECT_EQ(kQVNoErr, ProcessImage(f, f, 0, 0));
  return f;
}

float Plane(const FBFrameStruct* f, int c, uint32_t x, uint32_t y) {
  return reinterpret_cast<const float*>(f->baseAddr + size_t(c) * f->planeBytes + size_t(y) * f->rowBytes)[x];
}

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

// The file as oiiotool reads it, handed over as a 16-bit RGB TIFF.
std::vector<float> ReadThroughOiio(const std::string& file, const std::string& scratch) {
  const std::string peer = scratch + "/peer.tif";
  EXPECT_EQ(RunTool("oiiotool '" + file + "' --ch R,G,B -d uint16 --compression none -o '" + peer + "'"), 0) << file;
  std::vector<float> v;
  TIFF* tiff = TIFFOpen(peer.c_str(), "r");
  if (!tiff) return v;
  uint32_t w = 0, h = 0;
  uint16_t bits = 0, samples = 0;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
  if (bits == 16 && samples == 3) {
    std::vector<uint16_t> row(size_t(w) * 3);
    for (uint32_t y = 0; y < h; ++y) {
      if (TIFFReadScanline(tiff, row.data(), y, 0) != 1) break;
      for (uint16_t s16 : row) v.push_back(float(s16) / 65535.0f);
    }
  }
  TIFFClose(tiff);
  return v;
}

struct Error {
  double mean = 0, worst = 0;
};

Error Compare(const std::vector<float>& rgb, const FBFrameStruct* expected) {
  Error e;
  if (rgb.size() != size_t(kW) * kH * 3) {
    e.mean = e.worst = 1e9;
    return e;
  }
  double total = 0;
  for (uint32_t y = 0; y < kH; ++y)
    for (uint32_t x = 0; x < kW; ++x)
      for (int c = 0; c < 3; ++c) {
        const double d = std::abs(double(rgb[(size_t(y) * kW + x) * 3 + size_t(c)]) - Clamp01(Plane(expected, c, x, y)));
        total += d;
        e.worst = std::max(e.worst, d);
      }
  e.mean = total / (double(kW) * kH * 3);
  return e;
}

class FullRender : public testing::Test {
 protected:
  static void TearDownTestSuite() { RemoveSuiteFolder(folder_); }
  static void SetUpTestSuite() {
    folder_ = new std::string(ScratchDir("full-render-" + std::to_string(getpid())));
    const std::string clip = *folder_ + "/clip";
    fs::create_directories(clip);
    FBFrameStruct* frame = nullptr;
    EXPECT_EQ(kQVNoErr, FBCreateRGBFrameBuffer(kW, kH, &frame, kFBPixFormatFloatRGBA));
    for (uint32_t n = 0; n < kFrames; ++n) {
      for (uint32_t y = 0; y < kH; ++y) {
        float* row = reinterpret_cast<float*>(frame->baseAddr + size_t(y) * frame->rowBytes);
        for (uint32_t x = 0; x < kW; ++x)
          for (int c = 0; c < 3; ++c) row[x * 4 + size_t(c)] = SourceValue(x, y, c, n);
      }
      // 24 frames a second from 10:00:00:00.
      DPXHeaderInfo info = MakeDPXInfo(kW, kH, 24, 0x10000000u + ((n / 24) << 8) + (((n % 24) / 10) << 4) + n % 10);
      DPXWriteParams params = LinearParams();
      char name[64];
      std::snprintf(name, sizeof name, "src_%04u.dpx", n);
      EXPECT_EQ(kQVNoErr, DPXCreateFile(clip.c_str(), name, &info, frame, &params));
    }
    FBDisposeFrameBuffer(frame);
  }
  void SetUp() override {
    if (!HaveTool("oiiotool") || !HaveTool("ffprobe") || !HaveTool("iinfo")) GTEST_SKIP() << "peer tools missing";
    QVMediaInitialize();
    const VL_SettingsStruct s = Grade();
    VL_EngineLockGuard hold;
    EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
    ASSERT_EQ(PLFileRefFromPath((*folder_ + "/clip/src_0000.dpx").c_str(), &source_), kQVNoErr);
    out_ = MakeScratchFolder("out");
    ASSERT_EQ(PLFileRefFromPath(out_.c_str(), &outRef_), kQVNoErr);
  }
  QVOutputJobParams Params(uint32_t format, const char* name) {
    QVOutputJobParams p{};
    p.size = kQVOutputJobParamsSize;
    p.source.ref = &source_;
    p.outputFolder.ref = &outRef_;
    p.outputFormat = format;
    std::snprintf(p.outputName, sizeof p.outputName, "%s", name);
    p.frameProcessor = Correct;
    return p;
  }
  static inline std::string* folder_ = nullptr;
  QVFileRef source_{}, outRef_{};
  std::string out_;
};

TEST_F(FullRender, SequencesReadByOiiotool) {
  struct Kind {
    uint32_t format;
    const char* name;
    const char* extension;
    double meanLimit, worstLimit;
  } kinds[] = {
      {kQVOutputDPXSequence, "graded.dpx", "dpx", 0.6 / 1023, 1.01 / 1023},
      {kQVOutputTIFFSequence, "graded.tif", "tif", 1.0 / 65535, 1.01 / 65535},
      {kQVOutputJPEGSequence, "graded.jpg", "jpg", 2.0 / 255, 16.0 / 255},
  };
  std::vector<FBFrameStruct*> expected;
  for (uint32_t n : {0u, kFrames / 2, kLast}) expected.push_back(Expected(*folder_ + "/clip", n));
  for (const Kind& k : kinds) {
    QVOutputJobParams p = Params(k.format, k.name);
    p.writeSettings.spatialQuality = 1023;
    ASSERT_EQ(QVMediaStartOutputJob(&p), QVMediaErr_NoErr) << k.name;
    const std::string dir = out_ + "/graded";
    // Every frame: its size.
    std::string files;
    for (uint32_t n = 0; n < kFrames; ++n) {
      char name[64];
      std::snprintf(name, sizeof name, "/graded_%03u.%s", n, k.extension);
      files += " '" + dir + name + "'";
    }
    const std::string info = RunCapture("iinfo" + files);
    size_t sized = 0;
    for (size_t at = 0; (at = info.find("1920 x 1080", at)) != std::string::npos; ++at) ++sized;
    EXPECT_EQ(sized, kFrames) << k.name << "\n" << info.substr(0, 400);
    // Values of three frames.
    int i = 0;
    for (uint32_t n : {0u, kFrames / 2, kLast}) {
      char name[64];
      std::snprintf(name, sizeof name, "/graded_%03u.%s", n, k.extension);
      const Error e = Compare(ReadThroughOiio(dir + name, out_), expected[size_t(i++)]);
      std::printf("[ figure ] %s frame %u: mean error %.6f, largest %.6f\n", k.extension, n, e.mean, e.worst);
      EXPECT_LT(e.mean, k.meanLimit) << k.name << " " << n;
      EXPECT_LE(e.worst, k.worstLimit) << k.name << " " << n;
    }
    fs::remove_all(dir);
  }
  for (FBFrameStruct* f : expected) FBDisposeFrameBuffer(f);
}

TEST_F(FullRender, MoviesReadByFfprobeAndMeasured) {
  struct Codec {
    uint32_t codec;
    const char* probeName;
    double meanLimit;  // 0..1
  } codecs[] = {{kQVCodecJPEG, "mjpeg", 1.5 / 255}, {kQVCodecProRes422, "prores", 1.5 / 255}, {kQVCodecH264, "h264", 2.0 / 255}};
  std::vector<FBFrameStruct*> expected;
  for (uint32_t n : {0u, kFrames / 2, kLast}) expected.push_back(Expected(*folder_ + "/clip", n));
  for (const Codec& c : codecs) {
    QVOutputJobParams p = Params(kQVOutputMovie, "graded.mov");
    p.writeSettings.codec = c.codec;
    p.writeSettings.spatialQuality = 1023;
    ASSERT_EQ(QVMediaStartOutputJob(&p), QVMediaErr_NoErr) << c.probeName;
    const std::string movie = out_ + "/graded.mov";
    auto probe = [&](const std::string& what) {
      return RunCapture("ffprobe -v error -select_streams v:0 -count_frames -show_entries " + what +
                        " -of default=nw=1:nk=1 '" + movie + "'");
    };
    EXPECT_EQ(probe("stream=codec_name"), std::string(c.probeName) + "\n");
    EXPECT_EQ(probe("stream=nb_read_frames"), std::to_string(kFrames) + "\n");
    EXPECT_EQ(probe("stream=r_frame_rate"), "24/1\n");
    EXPECT_NE(RunCapture("ffprobe -v error -show_entries stream_tags=timecode -of default=nw=1:nk=1 '" + movie + "'")
                  .find("10:00:00:00"),
              std::string::npos);
    QVMovie* m = nullptr;
    ASSERT_EQ(QVMovieOpen(movie.c_str(), &m), kQVMovieOpened);
    std::vector<uint8_t> bgra(size_t(kW) * kH * 4);
    int i = 0;
    for (uint32_t n : {0u, kFrames / 2, kLast}) {
      ASSERT_TRUE(QVMovieDecodeFrame(m, n, bgra.data(), kW * 4, kW, kH));
      std::vector<float> rgb(size_t(kW) * kH * 3);
      // Decoded 'BGRA' values lie in memory as A, R, G, B here.
      for (size_t k = 0; k < size_t(kW) * kH; ++k)
        for (int ch = 0; ch < 3; ++ch) rgb[k * 3 + size_t(ch)] = bgra[k * 4 + 1 + size_t(ch)] / 255.0f;
      const Error e = Compare(rgb, expected[size_t(i++)]);
      std::printf("[ figure ] %s frame %u: mean error %.5f (%.2f of 255), largest %.5f\n", c.probeName, n, e.mean,
                  e.mean * 255, e.worst);
      EXPECT_LT(e.mean, c.meanLimit) << c.probeName << " " << n;
    }
    QVMovieClose(m);
    fs::remove(movie);
  }
  for (FBFrameStruct* f : expected) FBDisposeFrameBuffer(f);
}

TEST_F(FullRender, MovieSourceAudioIsCopiedAndTrimmed) {
  const std::string source = out_ + "/with-sound.mov";
  ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i testsrc2=size=320x180:rate=25 -f lavfi -i "
                    "sine=frequency=440:sample_rate=48000 -t 3 -frames:v 50 -c:v mjpeg -c:a pcm_s16le -ac 2 "
                    "-timecode 01:00:00:00 '" + source + "'"),
            0);
  QVFileRef ref{};
  ASSERT_EQ(PLFileRefFromPath(source.c_str(), &ref), kQVNoErr);
  QVOutputJobParams p = Params(kQVOutputMovie, "sound.mov");
  p.source.ref = &ref;
  p.writeSettings.codec = kQVCodecH264;
  ASSERT_EQ(QVMediaStartOutputJob(&p), QVMediaErr_NoErr);
  const std::string movie = out_ + "/sound.mov";
  const std::string audio = RunCapture("ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels,duration "
                                       "-of default=nw=1 '" + movie + "'");
  EXPECT_NE(audio.find("codec_name=pcm_s16le"), std::string::npos) << audio;
  EXPECT_NE(audio.find("sample_rate=48000"), std::string::npos) << audio;
  EXPECT_NE(audio.find("channels=2"), std::string::npos) << audio;
  EXPECT_NE(audio.find("duration=2.000000"), std::string::npos) << "trimmed to 50 frames at 25: " << audio;
  EXPECT_NE(RunCapture("ffprobe -v error -show_entries stream_tags=timecode -of default=nw=1:nk=1 '" + movie + "'")
                .find("01:00:00:00"),
            std::string::npos);
}

}  // namespace
