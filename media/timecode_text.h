// Timecode text: a 64-bit frame count to and from the text a user reads.
// Rates are frames per second times 100 (2997, 3000, 2398, 2500, ...).
#pragma once

#include <cstddef>
#include <cstdint>

enum : int32_t {
  kTimecodeModeTimecode = 0,  // 1 means the same
  kTimecodeModeTimecode1 = 1,
  kTimecodeModeFrameNumber = 2,
  kTimecodeModeFeetAndFrames = 3,
};

enum : int32_t {
  kTimecodeDropFrame = 0,
  kTimecodeNonDrop = 1,
};

// Writes the text for frame into buffer (length bytes, terminator included);
// the buffer is emptied first. Timecode needs at least 12 bytes and a rate of
// 100 or more; otherwise, and for unknown modes, for feet and frames without
// a positive frames per foot and for counts past the 64-bit range, the text
// stays empty.
void FormatTimecodeText(int64_t frame, int32_t rate, int32_t mode, int32_t counting, int64_t offset,
                        int32_t framesPerFoot, char* buffer, size_t length);

// base plus the frame count read from text. A timecode with a rate of 99 or
// less gives 0 (not base); an unreadable or unknown-mode text, and a count
// past the 64-bit range, gives base.
int64_t ParseTimecodeText(const char* text, int32_t rate, int32_t mode, int32_t counting, int32_t framesPerFoot,
                          int64_t base);
