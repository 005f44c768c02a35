// A reference's frame rate, the timecode text of its current frame, and its
// audio: description, and where a broadcast WAVE file's samples line up with
// a clip's timecode.
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/media_file.h"

enum : uint32_t {
  kQVTimecodeTextFrameCounter = 8,  // "current/last" frame numbers
};

QVMediaErr QVMediaGetFrameRate(QVMediaFileRef* ref, uint32_t* rate, uint8_t* dropRate);
// The timecode track whose span holds the movie's start, -1 when there is none.
int32_t QVMediaFindTimecodeHandler(const QVMovie* movie);
// The timecode text of the current frame (mode 8: the frame counter); empty
// for references that are not time-based.
QVMediaErr QVMediaGetTimecodeText(QVMediaFileRef* ref, char* buffer, size_t length, uint32_t mode);
bool QVMediaHasAudio(QVMediaFileRef* ref);
QVMediaErr QVMediaGetAudioInfo(QVMediaFileRef* ref, QVMediaAudioInfo* info);
// start sample = R x 0.25 x offset - time reference + F0 / V x R x f, R the
// audio's sample rate, F0 the video's first frame by its timecode, V its
// whole rate, f 1.001 for drop-rate video.
QVMediaErr QVMediaAlignAudioByTimecode(QVMediaFileRef* video, QVMediaFileRef* audio, int64_t offset,
                                       int64_t* startSample);
// The broadcast WAVE time reference: samples since midnight.
uint64_t QVMediaWaveTimeReference(const QVMediaFileRef* ref);
