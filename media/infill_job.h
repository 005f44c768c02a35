// The infill job: lays clips off to tape. It assembles one playback movie
// from leader segments of test patterns and the clips, with linear
// timecode as its sound, plays it out through a video output device and
// has the tape deck record it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/deck_control.h"
#include "media/media_file.h"
#include "media/test_pattern.h"

// The output device record.
struct QVInfillDevice {
  uint8_t enabled;
  uint32_t kind;                 // the video output's subtype; 0 none
  uint32_t width, height;        // the device's picture
  int64_t leaderFrames[3];       // studio bars, multiburst and sweep segments (0: left out)
};

// A movie of one held picture in the folder (the render folder, else the
// documents folder when folder is null), named "ZrnInfillTemp<n>.mov" with a
// unique number: one PNG frame lasting count frames at the rate given. Its
// path goes into outPath. 0, 1006, 1005 or 1029.
QVMediaErr QVMediaBuildInfillMovie(const char* folder, const TestPatternImage* pattern, int32_t rateNumerator,
                                   int32_t rateDenominator, int64_t count, char* outPath, size_t outSize);

// Assembles the playback movie at path: the device's leader segments, then
// every clip, as MJPEG at the device's size and the first clip's rate, with
// linear timecode as its sound running from the first clip's start
// timecode (the leader counts up to it). 0, 1006 for bad arguments, 1001
// when a clip cannot be read, 1029 when the movie cannot be written.
QVMediaErr QVMediaAssembleInfill(QVMediaFileRef** clips, uint32_t clipCount, const QVInfillDevice* device,
                                 const char* path);

// The whole job. No video output device exists on this system: a device
// record that is not enabled or names no output gives 1023 and nothing
// happens; the deck is never told to record.
QVMediaErr QVMediaRunInfill(QVMediaFileRef** clips, uint32_t clipCount, const QVInfillDevice* device,
                            const DeckConnection* deck, uint32_t flags);
