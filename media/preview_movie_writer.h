// The rapid preview's cache movie: frames of one size compressed as Motion
// JPEG into a QuickTime movie at a fixed frame duration, with a timecode
// track that counts from the clip's frame where the render began. The file
// is written beside its place under a temporary name and renamed over any
// old cache movie once finished, so an abandoned render leaves the old one.
#pragma once

#include <cstdint>
#include <string>

#include "platform/status.h"

struct QVPreviewMovieWriter;

struct QVPreviewMovieSpec {
  int32_t width = 0, height = 0;
  int32_t timeScale = 0;      // units per second
  int32_t frameDuration = 0;  // units per frame
  int32_t framesPerSecond = 0;  // whole frames the timecode counts per second
  bool dropFrame = false;
  int64_t startFrame = 0;     // the timecode's first value, as a frame count
};

// Opens the movie at path. kQVErrParam for a size or timing the movie
// cannot hold, kQVErrIO when the file cannot be made, kQVErrMemory.
QVStatus QVPreviewMovieCreate(const std::string& path, const QVPreviewMovieSpec& spec, QVPreviewMovieWriter** out);
// Compresses one 'BGRA' picture of the movie's size (rows rowBytes apart)
// and appends it as the next frame.
QVStatus QVPreviewMovieAddFrame(QVPreviewMovieWriter* movie, const uint8_t* pixels, int32_t rowBytes);
int64_t QVPreviewMovieFrameCount(const QVPreviewMovieWriter* movie);
// Finishes the file, puts it in place and frees the writer (also on failure).
QVStatus QVPreviewMovieFinish(QVPreviewMovieWriter* movie);
// Frees the writer and removes the unfinished file.
void QVPreviewMovieAbandon(QVPreviewMovieWriter* movie);
