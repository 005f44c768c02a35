// Linear timecode frames and their biphase-mark waveform.

#include "media/ltc_audio.h"

#include <cctype>
#include <cstring>

namespace {

void PutBCD(uint8_t bits[80], int first, int count, int value) {
  for (int i = 0; i < count; ++i) bits[first + i] = uint8_t((value >> i) & 1);
}

// Two decimal digits of the text at position p.
bool Digits(const char* text, size_t p, int* value) {
  if (!std::isdigit(static_cast<unsigned char>(text[p])) || !std::isdigit(static_cast<unsigned char>(text[p + 1])))
    return false;
  *value = (text[p] - '0') * 10 + (text[p + 1] - '0');
  return true;
}

}  // namespace

uint32_t LTCTimecodeRate(double movieRate) {
  if (movieRate <= 24.0) return 24;
  if (movieRate <= 25.0) return 25;
  if (movieRate <= 30.0) return 30;
  return 24;
}

bool LTCEncodeBits(const char* text, uint32_t timecodeRate, bool dropFrame, uint8_t bits[80]) {
  if (!text || std::strlen(text) < 11) return false;
  int h, m, s, f;
  if (!Digits(text, 0, &h) || !Digits(text, 3, &m) || !Digits(text, 6, &s) || !Digits(text, 9, &f)) return false;
  if (h > 39 || m > 59 || s > 59 || f > 39) return false;
  const bool drop = dropFrame || text[8] == ';' || text[2] == ';';
  std::memset(bits, 0, 80);
  PutBCD(bits, 0, 4, f % 10);
  PutBCD(bits, 8, 2, f / 10);
  bits[10] = drop && timecodeRate == 30;
  PutBCD(bits, 16, 4, s % 10);
  PutBCD(bits, 24, 3, s / 10);
  PutBCD(bits, 32, 4, m % 10);
  PutBCD(bits, 40, 3, m / 10);
  PutBCD(bits, 48, 4, h % 10);
  PutBCD(bits, 56, 2, h / 10);
  static const uint8_t kSync[16] = {0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1};
  std::memcpy(bits + 64, kSync, 16);
  int zeros = 0;
  for (int i = 0; i < 80; ++i) zeros += bits[i] == 0;
  const int polarity = timecodeRate == 25 ? 59 : 27;
  // The polarity bit is 0 so far: setting it removes one zero.
  if (zeros % 2) bits[polarity] = 1;
  return true;
}

int64_t LTCSamplesForFrame(const QVInfillAudio* a) {
  const int64_t num = a->rateNumerator > 0 ? a->rateNumerator : 30;
  const int64_t den = a->rateDenominator > 0 ? a->rateDenominator : 1;
  // Total samples after this frame, exactly as far as integers go.
  const int64_t total = (a->framesWritten + 1) * int64_t(kLTCSampleRate) * den / num;
  return total - a->samplesWritten;
}

bool QVMediaGenerateInfillAudio(QVInfillAudio* a, const char* timecodeText, bool dropFrame) {
  if (!a) return false;
  const double rate = a->rateDenominator > 0 ? double(a->rateNumerator) / double(a->rateDenominator) : 30.0;
  uint8_t bits[80];
  if (!LTCEncodeBits(timecodeText, LTCTimecodeRate(rate), dropFrame, bits)) return false;
  const int64_t n = LTCSamplesForFrame(a);
  if (n <= 0) return false;
  a->samples.reserve(a->samples.size() + size_t(n) * 2);
  // Sample i lies in half-cell (2 x 80 x i) / n: every cell flips the level
  // at its start, a one flips it again at its middle.
  int64_t lastHalf = -1;
  for (int64_t i = 0; i < n; ++i) {
    const int64_t half = (i * 160) / n;
    if (half != lastHalf) {
      const int cell = int(half / 2);
      if (half % 2 == 0 || bits[cell]) a->high = !a->high;
      lastHalf = half;
    }
    const int16_t v = a->high ? kLTCLevel : int16_t(-kLTCLevel);
    a->samples.push_back(uint8_t(uint16_t(v) >> 8));
    a->samples.push_back(uint8_t(uint16_t(v) & 0xFF));
  }
  ++a->framesWritten;
  a->samplesWritten += n;
  return true;
}
