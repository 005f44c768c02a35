// Linear timecode as audio: each video frame's timecode becomes the 80-bit
// linear timecode frame (BCD digits at their standard places, the drop-frame
// flag, the polarity bit and the sync word) written as a biphase-mark
// square wave of 16-bit big-endian samples at 48,000 Hz.
//
// Bit layout, first bit sent first: 0-3 frame units, 8-9 frame tens, 10 drop
// frame, 16-19 second units, 24-26 second tens, 32-35 minute units, 40-42
// minute tens, 48-51 hour units, 56-57 hour tens, user bits zero, 64-79 the
// sync word 0011 1111 1111 1101. The polarity bit (27, or 59 at 25 frames)
// makes the count of zeros even, so every frame starts at the same level.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t kLTCSampleRate = 48000;
constexpr int16_t kLTCLevel = 0x3000;

struct QVInfillAudio {
  // The video rate as a fraction (30000 / 1001 for 29.97).
  int64_t rateNumerator = 30, rateDenominator = 1;
  // Carried from frame to frame so the sample count stays exact.
  int64_t framesWritten = 0;
  int64_t samplesWritten = 0;
  bool high = false;               // the level the wave is at
  std::vector<uint8_t> samples;    // 16-bit big-endian, mono
};

// The timecode rate for a movie rate: 24 up to 24, 25 up to 25, 30 up to 30, else 24.
uint32_t LTCTimecodeRate(double movieRate);
// The 80 bits of the frame for "hh:mm:ss:ff" (any separators; ';' or a drop
// flag marks drop-frame counting) at the timecode rate. False for a text
// that is not a timecode.
bool LTCEncodeBits(const char* timecodeText, uint32_t timecodeRate, bool dropFrame, uint8_t bits[80]);
// Appends one video frame of linear timecode for the text to the audio.
bool QVMediaGenerateInfillAudio(QVInfillAudio* audio, const char* timecodeText, bool dropFrame);
// Samples the next frame takes: 48,000 x den / num with the remainder carried.
int64_t LTCSamplesForFrame(const QVInfillAudio* audio);
