// Output jobs: the record's checks, sequence naming, every output kind from
// a small DPX clip, background jobs with the job list and the running gate,
// cancel, and failures that leave nothing half written.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "media/dpx_header.h"
#include "media/job_list.h"
#include "media/media_events.h"
#include "media/media_file.h"
#include "media/movie_reader.h"
#include "media/output_job.h"
#include "media/progress_protocol.h"
#include "media_test_files.h"
#include "peer_tools.h"
#include "platform/alert_script.h"
#include "tests/scratch_folder.h"

namespace media {
extern std::atomic<bool> gFailNextJobTask;
}

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kW = 64, kH = 36, kFrames = 12;

// Channel c of pixel (x, y) of frame n of the test clip, 0 to 1.
float ClipValue(uint32_t x, uint32_t y, int c, uint32_t n) {
  return float((x * 11 + y * 7 + uint32_t(c) * 200 + n * 40) % 1024) / 1023.0f;
}

// A 12-frame DPX clip at 24 frames a second from 01:00:00:00.
std::string MakeClip(const std::string& folder, uint32_t width = kW, uint32_t height = kH, uint32_t frames = kFrames) {
  const std::string clip = folder + "/clip";
  fs::create_directories(clip);
  return WriteTestClip(clip, width, height, frames, ClipValue);
}

struct Outcome {
  std::atomic<int> calls{0};
  std::atomic<uint32_t> result{0xFFFFFFFFu};
};

void Completed(QVOutputJobParams* params, uint32_t result) {
  auto* o = static_cast<Outcome*>(params->completionRefcon);
  o->result = result;
  ++o->calls;
}

class OutputJobs : public testing::Test {
 protected:
  void SetUp() override {
    QVMediaInitialize();
    folder_ = MakeScratchFolder("out");
    source_ = MakeClip(folder_);
    ASSERT_EQ(PLFileRefFromPath(source_.c_str(), &sourceRef_), kQVNoErr);
    renders_ = folder_ + "/renders";
    fs::create_directories(renders_);
    ASSERT_EQ(PLFileRefFromPath(renders_.c_str(), &rendersRef_), kQVNoErr);
    PLAlertScriptBegin();
  }
  void TearDown() override {
    PLAlertScriptEnd();
    QVMediaSetMaximumRunningJobs(1);
  }

  QVOutputJobParams Params(uint32_t format, const char* name) {
    QVOutputJobParams p{};
    p.size = kQVOutputJobParamsSize;
    p.source.ref = &sourceRef_;
    p.outputFolder.ref = &rendersRef_;
    p.outputFormat = format;
    std::snprintf(p.outputName, sizeof p.outputName, "%s", name);
    p.writeSettings.codec = kQVCodecJPEG;
    p.writeSettings.spatialQuality = 1023;
    p.completion = Completed;
    p.completionRefcon = &outcome_;
    return p;
  }

  // Waits for the background jobs, handling the main thread's events.
  void WaitForJobs() {
    for (int i = 0; i < 3000 && QVMediaOutstandingJobs() > 0; ++i) {
      QVMediaDrainEvents();
      QVProgressDrainEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(QVMediaOutstandingJobs(), 0u);
    QVMediaDrainEvents();
    QVProgressDrainEvents();
  }

  std::vector<std::string> Files(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir)) names.push_back(fs::relative(e.path(), dir).string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string folder_, source_, renders_;
  QVFileRef sourceRef_{}, rendersRef_{};
  Outcome outcome_;
};

TEST(OutputNaming, DigitsFileNamesAndFolderSuffixes) {
  const struct {
    int64_t frames;
    uint32_t digits;
  } digits[] = {{1, 3}, {800, 3}, {801, 4}, {9000, 4}, {9001, 5}, {99001, 6}, {999001, 7}, {9999000, 7}, {9999001, 8}};
  for (const auto& d : digits) EXPECT_EQ(QVOutputSequenceDigits(d.frames), d.digits) << d.frames;
  char name[64];
  ASSERT_TRUE(QVOutputSequenceFileName("clip.dpx", 0, QVOutputSequenceDigits(100), name, sizeof name));
  EXPECT_STREQ(name, "clip_000.dpx");
  ASSERT_TRUE(QVOutputSequenceFileName("clip.dpx", 99, 3, name, sizeof name));
  EXPECT_STREQ(name, "clip_099.dpx");
  ASSERT_TRUE(QVOutputSequenceFileName("noext", 7, 4, name, sizeof name));
  EXPECT_STREQ(name, "noext_0007");
  EXPECT_FALSE(QVOutputSequenceFileName("clip.dpx", 1, 3, name, 8)) << "a name that does not fit";

  const std::string parent = MakeScratchFolder("naming");
  char made[1024];
  for (const char* want : {"/shot", "/shot 1", "/shot 2"}) {
    ASSERT_EQ(QVOutputMakeSequenceFolder(parent.c_str(), "shot", made, sizeof made), kQVNoErr);
    EXPECT_EQ(std::string(made), parent + want);
  }
  EXPECT_EQ(QVOutputMakeSequenceFolder(parent.c_str(), "a/b", made, sizeof made), kQVErrParam);
}

TEST_F(OutputJobs, HostileRecordsGiveTheirStatusAndWriteNothing) {
  EXPECT_EQ(QVMediaStartOutputJob(nullptr), QVMediaErr_ParameterError);
  QVFileRef missingFolder{};
  std::snprintf(missingFolder.path, sizeof missingFolder.path, "%s/none", folder_.c_str());
  QVFileRef missingSource{};
  std::snprintf(missingSource.path, sizeof missingSource.path, "%s/none.dpx", folder_.c_str());
  struct Case {
    const char* what;
    void (*change)(QVOutputJobParams&, const QVFileRef*, const QVFileRef*);
    uint32_t result;
  } cases[] = {
      {"size 0", [](QVOutputJobParams& p, const QVFileRef*, const QVFileRef*) { p.size = 0; }, 1006},
      {"size 907", [](QVOutputJobParams& p, const QVFileRef*, const QVFileRef*) { p.size = 907; }, 1006},
      {"size huge", [](QVOutputJobParams& p, const QVFileRef*, const QVFileRef*) { p.size = 0xFFFFFFFFu; }, 1006},
      {"format 7", [](QVOutputJobParams& p, const QVFileRef*, const QVFileRef*) { p.outputFormat = 7; }, 1006},
      {"format 1", [](QVOutputJobParams& p, const QVFileRef*, const QVFileRef*) { p.outputFormat = 1; }, 1006},
      {"no folder", [](QVOutputJobParams& p, const QVFileRef*, const QVFileRef*) { p.outputFolder.ref = nullptr; }, 1006},
      {"missing folder", [](QVOutputJobParams& p, const QVFileRef* f, const QVFileRef*) { p.outputFolder.ref = f; }, 1001},
      {"missing source", [](QVOutputJobParams& p, const QVFileRef*, const QVFileRef* s) { p.source.ref = s; }, 1001},
      {"no source", [](QVOutputJobParams& p, const QVFileRef*, const QVFileRef*) { p.source.ref = nullptr; }, 1006},
      {"name with a slash", [](QVOutputJobParams& p, const QVFileRef*, const QVFileRef*) { std::strcpy(p.outputName, "../x.dpx"); }, 1006},
      {"empty name", [](QVOutputJobParams& p, const QVFileRef*, const QVFileRef*) { p.outputName[0] = 0; }, 1006},
      {"unterminated name", [](QVOutputJobParams& p, const QVFileRef*, const QVFileRef*) { std::memset(p.outputName, 'a', sizeof p.outputName); }, 1006},
      {"huge size", [](QVOutputJobParams& p, const QVFileRef*, const QVFileRef*) { p.outputWidth = p.outputHeight = 100000; }, 1006},
  };
  for (uint32_t format : {kQVOutputDPXSequence, kQVOutputTIFFSequence, kQVOutputMovie, kQVOutputDevice}) {
    for (const Case& c : cases) {
      QVOutputJobParams p = Params(format, "x.dpx");
      c.change(p, &missingFolder, &missingSource);
      outcome_.calls = 0;
      EXPECT_EQ(QVMediaStartOutputJob(&p), c.result) << c.what << " format " << format;
      EXPECT_EQ(outcome_.calls.load(), 1) << c.what;
      EXPECT_EQ(outcome_.result.load(), c.result) << c.what;
    }
  }
  EXPECT_TRUE(Files(renders_).empty());
}

// Reads a 10-bit DPX back through our reader as 0..1 values.
std::vector<float> ReadDPX(const std::string& path, uint32_t w, uint32_t h) {
  std::vector<uint16_t> px(size_t(w) * h * 4);
  EXPECT_EQ(DPXReadImage(path.c_str(), px.data(), w * 8, w, h, 16, false), kQVNoErr) << path;
  std::vector<float> v(px.size());
  for (size_t i = 0; i < px.size(); ++i) v[i] = px[i] / 32768.0f;
  return v;
}

// An inverting frame processor: the correction stand-in of these tests.
bool Invert(FBFrameStruct* frame, int64_t, QVMediaFileRef*, void* refcon) {
  for (uint32_t p = 0; p < 3; ++p) {
    float* plane = reinterpret_cast<float*>(frame->baseAddr + size_t(p) * frame->planeBytes);
    for (size_t i = 0; i < frame->planeBytes / 4; ++i) plane[i] = 1.0f - plane[i];
  }
  if (refcon) ++*static_cast<std::atomic<int>*>(refcon);
  return true;
}

TEST_F(OutputJobs, DPXSequenceThroughTheProcessor) {
  QVOutputJobParams p = Params(kQVOutputDPXSequence, "graded.dpx");
  p.frameProcessor = Invert;
  ASSERT_EQ(QVMediaStartOutputJob(&p), QVMediaErr_NoErr);
  EXPECT_EQ(outcome_.result.load(), 0u);
  std::vector<std::string> want = {"graded"};
  for (int n = 0; n < int(kFrames); ++n) want.push_back("graded/graded_" + std::string(n < 10 ? "00" : "0") + std::to_string(n) + ".dpx");
  EXPECT_EQ(Files(renders_), want);
  // Every frame, each in its own place: the source's frames are read ahead
  // by more than one reader.
  for (uint32_t n = 0; n < kFrames; ++n) {
    char name[64];
    std::snprintf(name, sizeof name, "/graded/graded_%03u.dpx", n);
    const std::vector<float> v = ReadDPX(renders_ + name, kW, kH);
    double worst = 0;
    for (uint32_t y = 0; y < kH; ++y)
      for (uint32_t x = 0; x < kW; ++x)
        for (int c = 0; c < 3; ++c)
          worst = std::max(worst, std::abs(double(v[(size_t(y) * kW + x) * 4 + 1 + c]) - (1.0 - ClipValue(x, y, c, n))));
    EXPECT_LT(worst, 1.0 / 1023) << name;
    DPXHeaderInfo info;
    ASSERT_EQ(DPXReadHeaderInfo((renders_ + name).c_str(), &info), kQVNoErr);
    EXPECT_EQ(info.timecode, 0x01000000u + ((n / 10) << 4 | (n % 10))) << "the source's timecode travels";
  }
  // A second job into the same folder gets "graded 1".
  ASSERT_EQ(QVMediaStartOutputJob(&p), QVMediaErr_NoErr);
  EXPECT_TRUE(fs::exists(renders_ + "/graded 1/graded_011.dpx"));
}

TEST_F(OutputJobs, FramesThatCannotBeLoadedAreShownOncePerCodeWithTheirStatusAndGoOutBlack) {
  for (const char* broken : {"/clip/shot_0103.dpx", "/clip/shot_0105.dpx"}) {
    std::vector<uint8_t> bytes = ReadBytes(folder_ + broken);
    bytes.resize(3000);  // the header whole, the pixels cut off
    WriteBytes(folder_ + broken, bytes);
  }
  // A frame file that goes away while the job runs.
  const std::string vanishing = folder_ + "/clip/shot_0107.dpx";
  QVOutputJobParams p = Params(kQVOutputDPXSequence, "holes.dpx");
  p.refcon = const_cast<std::string*>(&vanishing);
  p.frameFilter = [](FBFrameStruct*, int64_t frame, QVMediaFileRef*, void* refcon) {
    if (frame == 0) fs::remove(*static_cast<std::string*>(refcon));
    return true;
  };
  ASSERT_EQ(QVMediaStartOutputJob(&p), QVMediaErr_NoErr);
  const std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
  ASSERT_EQ(alerts.size(), 2u) << "each code is shown once per job";
  char unreadable[256] = {}, missing[256] = {};
  QVMediaGetErrorText(QVMediaErr_FileNotFound, nullptr, unreadable, sizeof unreadable);
  QVMediaGetErrorText(QVMediaErr_MediaTooShort, nullptr, missing, sizeof missing);
  EXPECT_EQ(alerts[0].title, "Zrn Render of \"shot_0100.dpx\"");
  EXPECT_EQ(alerts[0].message, std::string("Error during render: Unable to load media frame - ") + unreadable);
  EXPECT_EQ(alerts[1].message, std::string("Error during render: Unable to load media frame - ") + missing);
  EXPECT_EQ(p.lastReportedError, uint32_t(QVMediaErr_MediaTooShort));
  EXPECT_TRUE(fs::exists(renders_ + "/holes/holes_011.dpx")) << "the job goes on";
  for (const char* hole : {"/holes/holes_003.dpx", "/holes/holes_007.dpx"}) {
    const std::vector<float> v = ReadDPX(renders_ + hole, kW, kH);
    EXPECT_EQ(*std::max_element(v.begin() + 1, v.begin() + 4), 0.0f) << hole << ": a frame that cannot be had is black";
  }
}

TEST_F(OutputJobs, OutputSizeFitsOrFillsThePicture) {
  // 64 x 36 into 32 x 32: fitted 32 x 18 with black bars; filled 57 x 32 cropped.
  for (bool fill : {false, true}) {
    QVOutputJobParams p = Params(kQVOutputTIFFSequence, fill ? "fill.tif" : "fit.tif");
    p.outputWidth = p.outputHeight = 32;
    if (fill) p.flags |= kQVOutputFillFrame;
    ASSERT_EQ(QVMediaStartOutputJob(&p), QVMediaErr_NoErr);
    if (!HaveTool("oiiotool")) continue;
    const std::string file = renders_ + (fill ? "/fill/fill_000.tif" : "/fit/fit_000.tif");
    EXPECT_NE(RunCapture("oiiotool --info '" + file + "'").find("32 x   32"), std::string::npos);
    // The top row: black for the fitted picture, picture for the filled one.
    const std::string top = RunCapture("oiiotool '" + file + "' --cut 32x1+0+0 --printstats 2>&1");
    const bool black = top.find("Max: 0.000000 0.000000 0.000000") != std::string::npos;
    EXPECT_EQ(black, !fill) << top;
  }
}

TEST_F(OutputJobs, FittedPicturesKeepTheirBlackBarsInEveryFrame) {
  // The inverted 64 x 36 picture into taller outputs: unscaled into 64 x 64
  // (bars of 14 rows), and scaled to 48 x 27 into 48 x 48 (bars of 10 and 11
  // rows). Every frame keeps black bars; the unscaled picture is the
  // inverted source.
  struct Case {
    uint32_t side, top, rows;
  } cases[] = {{64, 14, 36}, {48, 10, 27}};
  for (const Case& c : cases) {
    const std::string name = "fit" + std::to_string(c.side) + ".dpx";
    QVOutputJobParams p = Params(kQVOutputDPXSequence, name.c_str());
    p.outputWidth = p.outputHeight = c.side;
    p.frameProcessor = Invert;
    ASSERT_EQ(QVMediaStartOutputJob(&p), QVMediaErr_NoErr);
    for (uint32_t n = 0; n < kFrames; ++n) {
      char file[96];
      std::snprintf(file, sizeof file, "/fit%u/fit%u_%03u.dpx", c.side, c.side, n);
      const std::vector<float> v = ReadDPX(renders_ + file, c.side, c.side);
      ASSERT_EQ(v.size(), size_t(c.side) * c.side * 4) << file;
      double barWorst = 0, pictureWorst = 0, pictureLeast = 1;
      for (uint32_t y = 0; y < c.side; ++y)
        for (uint32_t x = 0; x < c.side; ++x)
          for (int k = 0; k < 3; ++k) {
            const double got = v[(size_t(y) * c.side + x) * 4 + 1 + size_t(k)];
            if (y < c.top || y >= c.top + c.rows) {
              barWorst = std::max(barWorst, got);
            } else {
              pictureLeast = std::min(pictureLeast, got);
              if (c.side == kW)
                pictureWorst = std::max(pictureWorst, std::abs(got - (1.0 - ClipValue(x, y - c.top, k, n))));
            }
          }
      EXPECT_EQ(barWorst, 0.0) << file;
      EXPECT_LT(pictureWorst, 1.0 / 1023) << file;
      EXPECT_LT(pictureLeast, 0.5) << file << ": the picture is there";
    }
  }
  // A movie hands each frame to its encoder and renders the next into
  // another frame: every frame of it, in its order, keeps black bars around
  // its own inverted picture (lossless, to within two 8-bit codes of
  // rounding and the converter's dither; the next frame is ten codes off).
  QVOutputJobParams p = Params(kQVOutputMovie, "fit.mov");
  p.writeSettings.codec = kQVCodecPNG;
  p.outputWidth = p.outputHeight = 64;
  p.frameProcessor = Invert;
  ASSERT_EQ(QVMediaStartOutputJob(&p), QVMediaErr_NoErr);
  QVMovie* movie = nullptr;
  ASSERT_EQ(QVMovieOpen((renders_ + "/fit.mov").c_str(), &movie), kQVMovieOpened);
  std::vector<uint8_t> got(64 * 64 * 4);
  for (uint32_t n = 0; n < kFrames; ++n) {
    ASSERT_TRUE(QVMovieDecodeFrame(movie, n, got.data(), 64 * 4, 64, 64)) << "frame " << n;
    int barWorst = 0;
    double pictureWorst = 0;
    for (uint32_t y = 0; y < 64; ++y)
      for (uint32_t x = 0; x < 64; ++x)
        for (int k = 0; k < 3; ++k) {
          const int code = got[(size_t(y) * 64 + x) * 4 + 1 + size_t(k)];  // A, R, G, B in memory
          if (y < 14 || y >= 14 + kH)
            barWorst = std::max(barWorst, code);
          else
            pictureWorst = std::max(pictureWorst, std::abs(code / 255.0 - (1.0 - ClipValue(x, y - 14, k, n))));
        }
    EXPECT_EQ(barWorst, 0) << "frame " << n;
    EXPECT_LT(pictureWorst, 2.0 / 255) << "frame " << n;
  }
  QVMovieClose(movie);
}

TEST_F(OutputJobs, BackgroundJobsListedGatedAndCompletedOnTheMainThread) {
  QVMediaSetMaximumRunningJobs(0);  // counts as 1: the jobs still run
  std::atomic<int> frames{0};
  QVOutputJobParams a = Params(kQVOutputJPEGSequence, "a.jpg"), b = Params(kQVOutputJPEGSequence, "b.jpg");
  Outcome second;
  b.completionRefcon = &second;
  for (QVOutputJobParams* p : {&a, &b}) {
    p->flags = kQVOutputBackground | kQVOutputShowProgress;
    p->frameProcessor = Invert;
    p->refcon = &frames;
  }
  ASSERT_EQ(QVMediaStartOutputJob(&a), QVMediaErr_NoErr);
  ASSERT_EQ(QVMediaStartOutputJob(&b), QVMediaErr_NoErr);
  EXPECT_LE(QVMediaRunningJobs(), 1u);
  WaitForJobs();
  EXPECT_EQ(outcome_.result.load(), 0u);
  EXPECT_EQ(second.result.load(), 0u);
  EXPECT_EQ(frames.load(), int(2 * kFrames));
  EXPECT_EQ(QVJobListIds(nullptr, 0), 0u) << "finished jobs leave the list";
  const QVOutputJob* left = a.job;  // copied: the record is packed
  EXPECT_EQ(left, nullptr);
  EXPECT_TRUE(fs::exists(renders_ + "/a/a_011.jpg"));
  EXPECT_TRUE(fs::exists(renders_ + "/b/b_011.jpg"));
  EXPECT_EQ(QVProgressOpenCount(), 0u);
}

TEST_F(OutputJobs, AJobTaskThatCannotBeMadeCompletesWith1005) {
  QVOutputJobParams p = Params(kQVOutputDPXSequence, "x.dpx");
  p.flags = kQVOutputBackground;
  media::gFailNextJobTask = true;
  EXPECT_EQ(QVMediaStartOutputJob(&p), QVMediaErr_InsufficientMemory);
  EXPECT_EQ(outcome_.calls.load(), 1);
  EXPECT_EQ(outcome_.result.load(), QVMediaErr_InsufficientMemory);
  EXPECT_EQ(QVMediaOutstandingJobs(), 0u);
}

// Hits Cancel in the job's progress window after `stopAfter` frames.
struct CancelAt {
  QVOutputJobParams* params;
  int stopAfter;
  std::atomic<int> seen{0};
};

bool CancelAfter(FBFrameStruct*, int64_t, QVMediaFileRef*, void* refcon) {
  auto* c = static_cast<CancelAt*>(refcon);
  if (++c->seen == c->stopAfter) {
    QVOutputJob* job = c->params->job;  // the filter runs on the job's own task
    if (job) __atomic_store_n(&job->cancelWord, kQVProgressUserCancelled, __ATOMIC_RELEASE);
  }
  return true;
}

TEST_F(OutputJobs, CancelStopsWithinOneFrameAndLeavesNoPartialFile) {
  for (uint32_t format : {kQVOutputMovie, kQVOutputDevice, kQVOutputDPXSequence}) {
    QVOutputJobParams p = Params(format, format == kQVOutputDPXSequence ? "c.dpx" : "c.mov");
    CancelAt cancel{&p, 4};
    p.flags = kQVOutputBackground | kQVOutputShowProgress;
    p.frameFilter = CancelAfter;
    p.refcon = &cancel;
    outcome_.calls = 0;
    ASSERT_EQ(QVMediaStartOutputJob(&p), QVMediaErr_NoErr);
    WaitForJobs();
    EXPECT_EQ(outcome_.result.load(), QVMediaErr_UserCanceledErr) << format;
    EXPECT_EQ(cancel.seen.load(), 4) << "the frame after the Cancel is not started";
    for (const std::string& f : Files(renders_)) {
      EXPECT_EQ(f.find(".tmp-"), std::string::npos) << f;
      EXPECT_EQ(f.find("ZrnGenerateTemp"), std::string::npos) << f;
      EXPECT_NE(f, "c.mov");
    }
  }
  // The sequence keeps its whole frames only.
  EXPECT_EQ(Files(renders_), (std::vector<std::string>{"c", "c/c_000.dpx", "c/c_001.dpx", "c/c_002.dpx", "c/c_003.dpx"}));
}

TEST_F(OutputJobs, AFullDiskFailsTheJobWithNothingHalfWritten) {
  const std::string small = folder_ + "/small";
  fs::create_directories(small);
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "cannot mount a small tmpfs here";
  QVFileRef smallRef{};
  ASSERT_EQ(PLFileRefFromPath(small.c_str(), &smallRef), kQVNoErr);
  for (uint32_t format : {kQVOutputDPXSequence, kQVOutputTIFFSequence, kQVOutputMovie}) {
    QVOutputJobParams p = Params(format, format == kQVOutputMovie ? "full.mov" : "full.x");
    p.outputFolder.ref = &smallRef;
    p.outputWidth = 320;
    p.outputHeight = 180;
    p.writeSettings.codec = kQVCodecProRes422;
    EXPECT_EQ(QVMediaStartOutputJob(&p), QVMediaErr_ExportFailed) << format;
    for (const auto& e : fs::recursive_directory_iterator(small)) {
      EXPECT_EQ(e.path().string().find(".tmp-"), std::string::npos) << e.path();
      EXPECT_NE(e.path().filename(), "full.mov");
    }
  }
  umount(small.c_str());
}

TEST_F(OutputJobs, MovieAndDeviceFromTheClip) {
  if (!HaveTool("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
  QVOutputJobParams movie = Params(kQVOutputMovie, "graded.mov");
  movie.writeSettings.codec = kQVCodecProRes422;
  movie.frameProcessor = Invert;
  ASSERT_EQ(QVMediaStartOutputJob(&movie), QVMediaErr_NoErr);
  const std::string path = renders_ + "/graded.mov";
  auto probe = [](const std::string& file, const std::string& what) {
    return RunCapture("ffprobe -v error -select_streams v:0 -count_frames -show_entries " + what +
                      " -of default=nw=1:nk=1 '" + file + "'");
  };
  EXPECT_EQ(probe(path, "stream=codec_name"), "prores\n");
  EXPECT_EQ(probe(path, "stream=nb_read_frames"), "12\n");
  EXPECT_EQ(probe(path, "stream=r_frame_rate"), "24/1\n");
  EXPECT_NE(RunCapture("ffprobe -v error -show_entries stream_tags=timecode -of default=nw=1:nk=1 '" + path + "'")
                .find("01:00:00:00"),
            std::string::npos);

  QVOutputJobParams device = Params(kQVOutputDevice, "phone.mp4");
  ASSERT_EQ(QVMediaStartOutputJob(&device), QVMediaErr_NoErr);
  EXPECT_EQ(probe(renders_ + "/phone.mp4", "stream=codec_name"), "h264\n");
  EXPECT_EQ(probe(renders_ + "/phone.mp4", "stream=nb_read_frames"), "12\n");
  EXPECT_EQ(Files(renders_), (std::vector<std::string>{"graded.mov", "phone.mp4"})) << "no temporary movie left";
}

}  // namespace
