// Linear timecode audio read back by a decoder written here from the
// standard's description: level changes mark bit-cell edges, a change in
// mid-cell makes a one, the sync word 0011 1111 1111 1101 ends each frame,
// and the BCD digits sit at their standard bit places.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "media/ltc_audio.h"
#include "media/timecode_text.h"

namespace {

// The bit stream of a biphase-mark signal, from the lengths between level changes.
std::vector<int> DecodeBits(const std::vector<uint8_t>& bigEndian, double samplesPerCell) {
  std::vector<int> bits;
  int previous = 0;
  int64_t lastEdge = -1;
  bool halfSeen = false;
  for (size_t i = 0; i + 1 < bigEndian.size(); i += 2) {
    const int16_t v = int16_t(uint16_t(bigEndian[i]) << 8 | bigEndian[i + 1]);
    const int sign = v > 0 ? 1 : -1;
    if (previous != 0 && sign != previous) {
      const int64_t at = int64_t(i / 2);
      if (lastEdge >= 0) {
        const double length = double(at - lastEdge) / samplesPerCell;
        if (length > 0.75) {  // a whole cell: a zero
          bits.push_back(0);
          halfSeen = false;
        } else if (halfSeen) {  // the second half of a one
          bits.push_back(1);
          halfSeen = false;
        } else {
          halfSeen = true;
        }
      }
      lastEdge = at;
    }
    previous = sign;
  }
  return bits;
}

int Field(const std::vector<int>& b, size_t at, int count) {
  int v = 0;
  for (int i = 0; i < count; ++i) v |= b[at + size_t(i)] << i;
  return v;
}

// Timecode texts of every frame whose 80 bits end in a sync word.
std::vector<std::string> DecodeFrames(const std::vector<int>& bits, bool* dropFlags) {
  static const int kSync[16] = {0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1};
  std::vector<std::string> frames;
  *dropFlags = true;
  for (size_t end = 80; end <= bits.size(); ++end) {
    bool sync = true;
    for (int i = 0; i < 16 && sync; ++i) sync = bits[end - 16 + size_t(i)] == kSync[i];
    if (!sync) continue;
    const size_t s = end - 80;
    char text[16];
    std::snprintf(text, sizeof text, "%d%d:%d%d:%d%d:%d%d", Field(bits, s + 56, 2), Field(bits, s + 48, 4),
                  Field(bits, s + 40, 3), Field(bits, s + 32, 4), Field(bits, s + 24, 3), Field(bits, s + 16, 4),
                  Field(bits, s + 8, 2), Field(bits, s + 0, 4));
    frames.push_back(text);
    *dropFlags = *dropFlags && bits[s + 10] == 1;
  }
  return frames;
}

struct RateCase {
  int64_t num, den;
  int32_t tcRate;   // rate x 100 for the texts
  bool drop;
  int64_t start;    // the first frame's count
};

class LinearTimecode : public testing::TestWithParam<RateCase> {};

TEST_P(LinearTimecode, DecodesToTheTimecodesWritten) {
  const RateCase c = GetParam();
  QVInfillAudio audio;
  audio.rateNumerator = c.num;
  audio.rateDenominator = c.den;
  std::vector<std::string> written;
  constexpr int kFrames = 75;
  for (int i = 0; i < kFrames; ++i) {
    char text[16];
    FormatTimecodeText(c.start + i, c.tcRate, kTimecodeModeTimecode, c.drop ? kTimecodeDropFrame : kTimecodeNonDrop,
                       0, 0, text, sizeof text);
    ASSERT_TRUE(QVMediaGenerateInfillAudio(&audio, text, c.drop)) << text;
    std::string plain = text;
    for (char& ch : plain)
      if (ch == ';') ch = ':';
    written.push_back(plain);
  }
  const double samplesPerCell = double(kLTCSampleRate) * double(c.den) / double(c.num) / 80.0;
  bool drop = false;
  // A cell is known by the edge that ends it: the first frame's first cell
  // has no edge before it and the last frame's last cell none after it, so
  // those two frames are not read; every frame between must be.
  const std::vector<std::string> decoded = DecodeFrames(DecodeBits(audio.samples, samplesPerCell), &drop);
  ASSERT_EQ(decoded.size(), size_t(kFrames - 2));
  for (int i = 1; i < kFrames - 1; ++i) EXPECT_EQ(decoded[size_t(i - 1)], written[size_t(i)]) << i;
  EXPECT_EQ(drop, c.drop);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, LinearTimecode,
    testing::Values(RateCase{24, 1, 2400, false, 86400 * 10 + 23 * 24},  // 10:00:23:00
                    RateCase{25, 1, 2500, false, 90000 + 59 * 25 + 20},  // across a minute
                    RateCase{30000, 1001, 2997, true, 1798 - 10},        // across the dropped 00;01;00;00
                    RateCase{30, 1, 3000, false, 108000 * 23 + 107990}),  // 23:59:59:20
    [](const testing::TestParamInfo<RateCase>& i) {
      return std::to_string(i.param.num / i.param.den) + (i.param.drop ? "drop" : "");
    });

TEST(LinearTimecodeSamples, StayExactAt2997) {
  QVInfillAudio audio;
  audio.rateNumerator = 30000;
  audio.rateDenominator = 1001;
  int64_t total = 0, smallest = 1 << 30, largest = 0;
  for (int i = 0; i < 30000; ++i) {
    const int64_t n = LTCSamplesForFrame(&audio);
    smallest = std::min(smallest, n);
    largest = std::max(largest, n);
    total += n;
    audio.samplesWritten += n;
    ++audio.framesWritten;
  }
  EXPECT_EQ(total, 48048000);
  EXPECT_EQ(smallest, 1601);
  EXPECT_EQ(largest, 1602);
}

TEST(LinearTimecodeSamples, RateAndRefusals) {
  EXPECT_EQ(LTCTimecodeRate(23.976), 24u);
  EXPECT_EQ(LTCTimecodeRate(25), 25u);
  EXPECT_EQ(LTCTimecodeRate(29.97), 30u);
  EXPECT_EQ(LTCTimecodeRate(59.94), 24u);
  uint8_t bits[80];
  EXPECT_FALSE(LTCEncodeBits("1:00:00:00", 24, false, bits));
  EXPECT_FALSE(LTCEncodeBits("aa:00:00:00", 24, false, bits));
  ASSERT_TRUE(LTCEncodeBits("01:02:03:04", 25, false, bits));
  int zeros = 0;
  for (uint8_t b : bits) zeros += b == 0;
  EXPECT_EQ(zeros % 2, 0) << "the polarity bit evens the zeros";
}

}  // namespace
