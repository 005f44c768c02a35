// The infill job's movies: held pattern pictures and the assembled playback
// movie with its linear-timecode sound.

#include "media/infill_job.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/frame_buffer.h"
#include "media/ltc_audio.h"
#include "media/media_internal.h"
#include "media/movie_timing.h"
#include "media/movie_writer.h"
#include "media/output_internal.h"
#include "media/output_job.h"
#include "media/timecode_text.h"
#include "platform/file_contents.h"
#include "platform/folders.h"

namespace {

std::atomic<uint32_t> gInfillCounter{0};

// The pattern's bytes 0xFF, R, G, B as the writer's B, G, R, A.
std::vector<uint8_t> PatternBGRA(const TestPatternImage* p) {
  std::vector<uint8_t> bgra(size_t(p->width) * p->height * 4);
  for (uint32_t y = 0; y < p->height; ++y)
    for (uint32_t x = 0; x < p->width; ++x) {
      const uint8_t* in = p->pixels + size_t(y) * p->rowBytes + size_t(x) * 4;
      uint8_t* out = &bgra[(size_t(y) * p->width + x) * 4];
      out[0] = in[3], out[1] = in[2], out[2] = in[1], out[3] = 0xFF;
    }
  return bgra;
}

// A 16-bit mono WAVE file of the big-endian linear timecode samples.
bool WriteWave(const std::string& path, const std::vector<uint8_t>& bigEndian) {
  std::vector<uint8_t> file;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) file.push_back(uint8_t(v >> (8 * i)));
  };
  auto put16 = [&](uint16_t v) {
    file.push_back(uint8_t(v));
    file.push_back(uint8_t(v >> 8));
  };
  const uint32_t data = uint32_t(bigEndian.size());
  file.insert(file.end(), {'R', 'I', 'F', 'F'});
  put32(36 + data);
  file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put32(16);
  put16(1);
  put16(1);
  put32(kLTCSampleRate);
  put32(kLTCSampleRate * 2);
  put16(2);
  put16(16);
  file.insert(file.end(), {'d', 'a', 't', 'a'});
  put32(data);
  for (size_t i = 0; i + 1 < bigEndian.size(); i += 2) {
    file.push_back(bigEndian[i + 1]);
    file.push_back(bigEndian[i]);
  }
  return PLReplaceFileContents(path.c_str(), file.data(), file.size()) == kQVNoErr;
}

}  // namespace

QVMediaErr QVMediaBuildInfillMovie(const char* folder, const TestPatternImage* pattern, int32_t rateNumerator,
                                   int32_t rateDenominator, int64_t count, char* outPath, size_t outSize) {
  if (!pattern || !pattern->pixels || !outPath || outSize == 0 || count <= 0 || count > INT32_MAX ||
      rateNumerator <= 0 || rateDenominator <= 0)
    return QVMediaErr_ParameterError;
  QVFileRef fallback{};
  if (!folder) {
    if (PLFindFolder(kPLFolderDocuments, true, &fallback) != kQVNoErr) return QVMediaErr_FileNotFound;
    folder = fallback.path;
  }
  const int n = std::snprintf(outPath, outSize, "%s/ZrnInfillTemp%lu.mov", folder,
                              static_cast<unsigned long>(getpid()) * 1000 + gInfillCounter.fetch_add(1));
  if (n <= 0 || size_t(n) >= outSize) return QVMediaErr_ParameterError;
  QVMovieWriterSettings s{};
  s.width = pattern->width;
  s.height = pattern->height;
  // One sample lasting count frames: the rate divided by the count.
  s.rateNumerator = rateNumerator;
  s.rateDenominator = int32_t(int64_t(rateDenominator) * count);
  s.codec = kQVCodecPNG;
  QVMovieWriter* w = nullptr;
  QVMediaErr err = QVMovieWriterOpen(outPath, &s, &w);
  if (err) return err;
  const std::vector<uint8_t> bgra = PatternBGRA(pattern);
  err = QVMovieWriterAddFrame(w, bgra.data(), pattern->width * 4, kQVMovieWriterBGRA8);
  if (err) {
    QVMovieWriterAbandon(w);
    return err;
  }
  return QVMovieWriterFinish(w);
}

QVMediaErr QVMediaAssembleInfill(QVMediaFileRef** clips, uint32_t clipCount, const QVInfillDevice* device,
                                 const char* path) {
  if (!clips || clipCount == 0 || !device || !path || device->width == 0 || device->height == 0 ||
      device->width > 8192 || device->height > 8192)
    return QVMediaErr_ParameterError;
  for (uint32_t i = 0; i < clipCount; ++i)
    if (media::CheckRef(clips[i])) return QVMediaErr_ParameterError;
  uint32_t rate = 0;
  uint8_t drop = 0;
  QVMediaGetFrameRate(clips[0], &rate, &drop);
  if (rate == 0 || rate > 120) rate = 24;
  const int32_t num = drop ? int32_t(rate) * 1000 : int32_t(rate), den = drop ? 1001 : 1;
  const int32_t timecodeRate = drop ? int32_t(rate) * 100 - int32_t(rate) / 10 : int32_t(rate) * 100;

  // The first clip's start as a frame count.
  int64_t saved = 0;
  QVMediaGetCurrentFrame(clips[0], &saved);
  QVMediaSetCurrentFrame(clips[0], 0);
  char text[64] = {};
  QVMediaGetTimecodeText(clips[0], text, sizeof text, 0);
  QVMediaSetCurrentFrame(clips[0], saved);
  const int32_t counting = drop ? kTimecodeDropFrame : kTimecodeNonDrop;
  int64_t leaderTotal = 0;
  for (int64_t frames : device->leaderFrames) leaderTotal += frames > 0 ? frames : 0;
  const int64_t dayFrames = ParseTimecodeText("24:00:00:00", timecodeRate, 0, counting, 0, 0);
  int64_t counter = ParseTimecodeText(text, timecodeRate, 0, counting, 0, 0) - leaderTotal;
  while (counter < 0) counter += dayFrames > 0 ? dayFrames : 1;

  const uint32_t W = device->width & ~1u, H = device->height & ~1u;
  QVInfillAudio audio;
  audio.rateNumerator = num;
  audio.rateDenominator = den;
  // The pictures: leader patterns, then the clips.
  std::vector<uint8_t> patternPixels(size_t(W) * H * 4);
  TestPatternImage pattern{patternPixels.data(), W, H, W * 4};
  const uint32_t kinds[3] = {kPatternStudioBars, kPatternMultiburst, kPatternSweep};
  const std::string wave = std::string(path) + ".ltc.wav";
  QVMovieWriterSettings s{};
  s.width = W;
  s.height = H;
  s.rateNumerator = num;
  s.rateDenominator = den;
  s.codec = kQVCodecJPEG;
  s.timecode = true;
  s.timecodeStart = counter;
  s.timecodeRate = timecodeRate;
  s.timecodeDrop = drop;
  // The sound is known only once the pictures are counted: count first.
  int64_t total = leaderTotal;
  for (uint32_t i = 0; i < clipCount; ++i) {
    int64_t frames = 0;
    QVMediaGetFrameCount(clips[i], &frames);
    total += frames;
  }
  for (int64_t f = 0; f < total; ++f) {
    FormatTimecodeText((counter + f) % (dayFrames > 0 ? dayFrames : INT64_MAX), timecodeRate, 0, counting, 0, 0, text,
                       sizeof text);
    if (!QVMediaGenerateInfillAudio(&audio, text, drop)) return QVMediaErr_ParameterError;
  }
  if (!WriteWave(wave, audio.samples)) return QVMediaErr_ExportFailed;
  s.audioPath = wave.c_str();
  QVMovieWriter* w = nullptr;
  QVMediaErr err = QVMovieWriterOpen(path, &s, &w);
  std::vector<uint8_t> bgra;
  for (int segment = 0; !err && segment < 3; ++segment) {
    if (device->leaderFrames[segment] <= 0) continue;
    TestPatternDraw(&pattern, kinds[segment], 1, 0, 1.0);
    bgra = PatternBGRA(&pattern);
    for (int64_t f = 0; !err && f < device->leaderFrames[segment]; ++f)
      err = QVMovieWriterAddFrame(w, bgra.data(), W * 4, kQVMovieWriterBGRA8);
  }
  std::vector<uint16_t> wide(size_t(W) * H * 4);
  for (uint32_t i = 0; !err && i < clipCount; ++i) {
    uint32_t cw = 0, ch = 0;
    QVMediaGetImageSize(clips[i], &cw, &ch);
    FBFrameStruct* source = nullptr;
    FBFrameStruct* scaled = nullptr;
    FBScaleBuffer temp;
    if (FBCreateRGBFrameBuffer(cw, ch, &source, kFBPixFormatPlanarFloat) ||
        FBCreateRGBFrameBuffer(W, H, &scaled, kFBPixFormatPlanarFloat))
      err = QVMediaErr_InsufficientMemory;
    int64_t frames = 0;
    QVMediaGetFrameCount(clips[i], &frames);
    for (int64_t f = 0; !err && f < frames; ++f) {
      if (const QVMediaErr read = media::ReadSourceFrame(clips[i], f, source)) {
        err = read;
        break;
      }
      for (uint32_t p = 0; p < 4 && !err; ++p)
        if (!FBScalePicture(kFBScalePlanarF, source->baseAddr + size_t(p) * source->planeBytes, ch, cw,
                            source->rowBytes, scaled->baseAddr + size_t(p) * scaled->planeBytes, H, W,
                            scaled->rowBytes, temp))
          err = QVMediaErr_InsufficientMemory;
      if (err) break;
      media::PlanarToRGB16(scaled, wide.data(), size_t(W) * 8, true);
      err = QVMovieWriterAddFrame(w, wide.data(), W * 8, kQVMovieWriterRGBA16);
    }
    if (source) FBDisposeFrameBuffer(source);
    if (scaled) FBDisposeFrameBuffer(scaled);
    std::free(temp.data);
  }
  if (w) {
    if (err) QVMovieWriterAbandon(w);
    else err = QVMovieWriterFinish(w);
  }
  std::remove(wave.c_str());
  return err;
}

QVMediaErr QVMediaRunInfill(QVMediaFileRef** clips, uint32_t clipCount, const QVInfillDevice* device,
                            const DeckConnection* deck, uint32_t flags) {
  (void)clips, (void)clipCount, (void)deck, (void)flags;
  // Playing out needs a video output device; this system has none to offer.
  if (!device || !device->enabled || device->kind == 0) return QVMediaErr_PlaybackDeviceNotSupported;
  return QVMediaErr_PlaybackDeviceNotSupported;
}
