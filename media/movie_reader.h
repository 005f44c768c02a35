// Movies through FFmpeg's libraries: open, the movie box, time scales, the
// first video track and its codec, the timecode track's start, the sound
// tracks, and frames decoded to 'BGRA' pixels at a chosen size.
#pragma once

#include <cstdint>

struct QVMovie;

enum QVMovieOpenResult {
  kQVMovieOpened = 0,
  kQVMovieNotAMovie = 1,   // the file holds no movie the libraries know: try the next kinds
  kQVMovieOpenFailed = 2,  // a movie that cannot be read, or no file
};

constexpr uint32_t kQVMovieMaxSoundTracks = 16;

struct QVMovieSoundTrack {
  uint32_t channelCount;
  uint32_t sampleRate;
  uint32_t sampleSize;  // bits per sample, 16 when the codec does not say
};

struct QVMovieInfo {
  uint32_t boxWidth, boxHeight;  // the picture's size, square pixels
  bool hasVideo;
  // The video track's frame rate as units per second over units per sample
  // (30000 / 1001 for 29.97); 0 / 0 when the file does not say.
  int64_t mediaTimeScale;
  int64_t firstSampleDuration;
  double durationSeconds;       // of the video track
  int64_t sampleCount;          // video samples, 0 when the file does not say
  char codecName[64];
  bool hasTimecodeTrack;
  int64_t timecodeStart;   // frame counter of the first frame
  uint32_t timecodeQuanta; // whole frames per second the timecode counts
  bool timecodeDrop;
  uint32_t soundTrackCount;
  QVMovieSoundTrack soundTracks[kQVMovieMaxSoundTracks];
};

QVMovieOpenResult QVMovieOpen(const char* path, QVMovie** out);
void QVMovieClose(QVMovie* movie);
const QVMovieInfo* QVMovieGetInfo(const QVMovie* movie);
// Decodes video frame `frame` (0 the first) and scales it into pixels
// ('BGRA', width x height, rows rowBytes apart). Seeks only when the frame
// is not the one after the last decoded. False when the frame cannot be had.
bool QVMovieDecodeFrame(QVMovie* movie, int64_t frame, uint8_t* pixels, uint32_t rowBytes, uint32_t width,
                        uint32_t height);

// Still images (PNG, JPEG, TIFF, BMP, Targa, OpenEXR, SGI, ... as the
// libraries offer): 0 with a new 'BGRA' buffer (free with delete[]),
// 1001 when the file cannot be read, 1004 when no library knows its format.
uint32_t QVStillImport(const char* path, uint8_t** pixels, uint32_t* width, uint32_t* height, uint32_t* rowBytes);
