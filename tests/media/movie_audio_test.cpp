// Adding a reference's audio to a movie made by ffmpeg, checked with
// ffprobe. Skipped without ffmpeg and ffprobe.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "media/media_file.h"
#include "platform/file_contents.h"
#include "media/movie_timing.h"
#include "peer_tools.h"
#include "tests/scratch_folder.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// One ffprobe field of the movie's first stream of a kind ("v" or "a").
std::string Probe(const std::string& path, const char* stream, const char* entries, const char* extra = "") {
  std::string out = RunCapture(std::string("ffprobe -v error ") + extra + " -select_streams " + stream +
                               ":0 -show_entries stream=" + entries + " -of csv=p=0 '" + path + "'");
  while (!out.empty() && (out.back() == '\n' || out.back() == ',')) out.pop_back();
  return out;
}

class MovieAudio : public testing::Test {
 protected:
  void SetUp() override {
    if (!HaveTool("ffmpeg") || !HaveTool("ffprobe")) GTEST_SKIP() << "ffmpeg or ffprobe is not installed";
    QVMediaInitialize();
    folder_ = MakeScratchFolder("files");
    // 25 frames at 25 a second (one second), silent; a broadcast WAVE of two
    // seconds of stereo sound at 48 kHz; a movie of five frames, no sound.
    ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i testsrc2=size=64x36:rate=25 -frames:v 25 -c:v mpeg4 '" +
                      Movie() + "'"),
              0);
    ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i sine=frequency=440:sample_rate=48000 -t 2 -ac 2 "
                      "-c:a pcm_s16le -write_bext 1 '" + folder_ + "/sound.wav'"),
              0);
    ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i testsrc2=size=64x36:rate=25 -frames:v 5 -c:v mpeg4 '" +
                      folder_ + "/silent.mov'"),
              0);
  }
  void TearDown() override {
    if (ref_) {
      EXPECT_EQ(QVMediaCloseFile(&ref_), QVMediaErr_NoErr);
    }
  }
  std::string Movie() const { return folder_ + "/movie.mov"; }

  std::string folder_;
  QVMediaFileRef* ref_ = nullptr;
};

// The temporary files a write left beside `path`.
int Leftovers(const std::string& path) {
  const std::filesystem::path p(path);
  const std::string prefix = p.filename().string() + kPLTempFileMark;
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(p.parent_path()))
    count += entry.path().filename().string().rfind(prefix, 0) == 0;
  return count;
}

TEST_F(MovieAudio, AddsTrimmedAudioAndKeepsTheVideo) {
  const std::string videoBefore = Probe(Movie(), "v", "codec_name,nb_read_packets", "-count_packets");
  ASSERT_EQ(QVMediaOpenPath((folder_ + "/sound.wav").c_str(), &ref_, 0), QVMediaErr_NoErr);
  // From frame 5 (0.2 s) the sound has 1.8 s left: one second of it, the
  // video's length, goes in; from frame 40 (1.6 s) only 0.4 s is left.
  struct Case {
    int64_t startFrame;
    const char* samples;
    size_t firstSample, sampleCount;
  } cases[] = {{5, "48000", 9600, 48000}, {40, "19200", 76800, 19200}};
  ASSERT_EQ(RunTool("ffmpeg -v error -y -i '" + folder_ + "/sound.wav' -f s16le '" + folder_ + "/sound.raw'"), 0);
  const std::string sound = ReadAll(folder_ + "/sound.raw");
  for (const Case& c : cases) {
    const std::string copy = folder_ + "/copy.mov";
    ASSERT_EQ(RunTool("cp '" + Movie() + "' '" + copy + "'"), 0);
    ASSERT_EQ(QVMediaAddAudioToMovie(ref_, copy.c_str(), c.startFrame), QVMediaErr_NoErr) << c.startFrame;
    EXPECT_EQ(Probe(copy, "v", "codec_name,nb_read_packets", "-count_packets"), videoBefore) << c.startFrame;
    EXPECT_EQ(Probe(copy, "a", "codec_name,sample_rate,channels"), "pcm_s16le,48000,2") << c.startFrame;
    EXPECT_EQ(Probe(copy, "a", "duration_ts"), c.samples) << c.startFrame;
    EXPECT_EQ(Leftovers(copy), 0);
    // The very samples of the sound from the start frame on.
    ASSERT_EQ(RunTool("ffmpeg -v error -y -i '" + copy + "' -map 0:a -f s16le '" + folder_ + "/copy.raw'"), 0);
    EXPECT_EQ(ReadAll(folder_ + "/copy.raw"), sound.substr(c.firstSample * 4, c.sampleCount * 4)) << c.startFrame;
  }
}

TEST_F(MovieAudio, KeepsTheMoviesTracksAndTheSoundsSampleSize) {
  // A movie with a timecode track and a sound track of its own, and 24-bit
  // sound to add: the timecode and the first sound stay, the new track is
  // 24-bit with the sound's very samples.
  const std::string movie = folder_ + "/timed.mov";
  ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i testsrc2=size=64x36:rate=25 -f lavfi -i "
                    "sine=frequency=220:sample_rate=48000 -frames:v 25 -c:v mpeg4 -c:a pcm_s16le -ac 1 "
                    "-timecode 01:00:00:00 '" + movie + "'"),
            0);
  ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i sine=frequency=440:sample_rate=48000 -t 2 -ac 2 "
                    "-c:a pcm_s24le -write_bext 1 '" + folder_ + "/deep.wav'"),
            0);
  ASSERT_EQ(QVMediaOpenPath((folder_ + "/deep.wav").c_str(), &ref_, 0), QVMediaErr_NoErr);
  ASSERT_EQ(QVMediaAddAudioToMovie(ref_, movie.c_str(), 0), QVMediaErr_NoErr);
  const std::string types = RunCapture("ffprobe -v error -show_entries stream=codec_type,codec_name -of csv=p=0 '" +
                                       movie + "'");
  EXPECT_NE(types.find("pcm_s16le,audio"), std::string::npos) << types;
  EXPECT_NE(types.find("pcm_s24le,audio"), std::string::npos) << types;
  EXPECT_NE(types.find("data"), std::string::npos) << "the timecode track: " << types;
  EXPECT_NE(RunCapture("ffprobe -v error -show_entries format_tags=timecode:stream_tags=timecode -of csv=p=0 '" +
                       movie + "'")
                .find("01:00:00:00"),
            std::string::npos);
  ASSERT_EQ(RunTool("ffmpeg -v error -y -i '" + folder_ + "/deep.wav' -t 1 -f s24le '" + folder_ + "/deep.raw'"), 0);
  ASSERT_EQ(RunTool("ffmpeg -v error -y -i '" + movie + "' -map 0:a:1 -f s24le '" + folder_ + "/added.raw'"), 0);
  EXPECT_EQ(ReadAll(folder_ + "/added.raw"), ReadAll(folder_ + "/deep.raw"));
}

TEST_F(MovieAudio, RefusesReferencesWithoutAudio) {
  const std::string before = ReadAll(Movie());
  ASSERT_EQ(QVMediaOpenPath((folder_ + "/silent.mov").c_str(), &ref_, 0), QVMediaErr_NoErr);
  EXPECT_EQ(QVMediaAddAudioToMovie(ref_, Movie().c_str(), 0), QVMediaErr_MediaHasNoAudio);
  EXPECT_EQ(ReadAll(Movie()), before);
}

TEST_F(MovieAudio, FailuresLeaveTheMovieWhole) {
  const std::string before = ReadAll(Movie());
  ASSERT_EQ(QVMediaOpenPath((folder_ + "/sound.wav").c_str(), &ref_, 0), QVMediaErr_NoErr);
  // A movie that cannot be read, and a movie whose new file cannot be
  // written whole (the file-size limit stops it part-way).
  EXPECT_EQ(QVMediaAddAudioToMovie(ref_, (folder_ + "/none.mov").c_str(), 0), QVMediaErr_FileNotFound);
  {
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small{4096, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QVMediaErr err = QVMediaAddAudioToMovie(ref_, Movie().c_str(), 0);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(err, QVMediaErr_ExportFailed);
  }
  EXPECT_EQ(ReadAll(Movie()), before);
  EXPECT_EQ(Leftovers(Movie()), 0);
  EXPECT_EQ(QVMediaAddAudioToMovie(nullptr, Movie().c_str(), 0), QVMediaErr_InvalidMediaFileRef);
}

}  // namespace
