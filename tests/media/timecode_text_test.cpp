#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "media/timecode_text.h"

namespace {

std::string Format(int64_t frame, int32_t rate, int32_t mode = kTimecodeModeTimecode,
                   int32_t counting = kTimecodeNonDrop, int64_t offset = 0, int32_t perFoot = 0, size_t length = 32) {
  char buffer[32];
  buffer[0] = 'x';
  FormatTimecodeText(frame, rate, mode, counting, offset, perFoot, buffer, length);
  return buffer;
}

struct FormatCase {
  int64_t frame;
  int32_t rate;
  int32_t counting;
  const char* text;
};

TEST(TimecodeText, FormatsTimecodeInEveryRateFamily) {
  const FormatCase cases[] = {
      {0, 2997, kTimecodeDropFrame, "00;00;00;00"},
      {1798, 2997, kTimecodeDropFrame, "00;00;59;28"},
      {1799, 2997, kTimecodeDropFrame, "00;00;59;29"},
      {1800, 2997, kTimecodeDropFrame, "00;01;00;02"},
      {17982, 2997, kTimecodeDropFrame, "00;10;00;00"},
      {17981, 2997, kTimecodeDropFrame, "00;09;59;29"},
      {107892, 2997, kTimecodeDropFrame, "01;00;00;00"},
      {107892, 3000, kTimecodeDropFrame, "01;00;00;00"},
      {108000, 3000, kTimecodeNonDrop, "01:00:00:00"},
      {108000, 2997, kTimecodeNonDrop, "01:00:00:00"},
      {1438, 2398, kTimecodeDropFrame, "00;00;59;22"},
      {1440, 2398, kTimecodeDropFrame, "00;01;00;02"},
      {86400, 2400, kTimecodeNonDrop, "01:00:00:00"},
      {3596, 5994, kTimecodeDropFrame, "00;00;59;56"},
      {3600, 5994, kTimecodeDropFrame, "00;01;00;04"},
      {215784, 5994, kTimecodeDropFrame, "01;00;00;00"},
      {90000, 2500, kTimecodeNonDrop, "01:00:00:00"},
      {90000, 2500, kTimecodeDropFrame, "01:00:00:00"},  // no drop-frame counting at 25
      {1249, 2500, kTimecodeNonDrop, "00:00:49:24"},
      {24 * 3600 * 25 + 1, 2500, kTimecodeNonDrop, "24:00:00:01"},
  };
  for (const FormatCase& c : cases)
    EXPECT_EQ(Format(c.frame, c.rate, kTimecodeModeTimecode, c.counting), c.text)
        << "frame " << c.frame << " rate " << c.rate << " counting " << c.counting;
  EXPECT_EQ(Format(1800, 2997, kTimecodeModeTimecode1, kTimecodeDropFrame), "00;01;00;02");
}

TEST(TimecodeText, FormatsFrameNumbersAndFeet) {
  EXPECT_EQ(Format(42, 2500, kTimecodeModeFrameNumber, kTimecodeNonDrop, 8), "00050");
  EXPECT_EQ(Format(123456, 2500, kTimecodeModeFrameNumber), "123456");
  EXPECT_EQ(Format(197, 2400, kTimecodeModeFeetAndFrames, kTimecodeNonDrop, 0, 16), "0012+05");
  EXPECT_EQ(Format(190, 2400, kTimecodeModeFeetAndFrames, kTimecodeNonDrop, 7, 16), "0012+05");
}

TEST(TimecodeText, LeavesTheTextEmptyWhenItCannotBeMade) {
  EXPECT_EQ(Format(100, 2500, kTimecodeModeTimecode, kTimecodeNonDrop, 0, 0, 11), "");  // needs 12 bytes
  EXPECT_EQ(Format(100, 0, kTimecodeModeTimecode), "");
  EXPECT_EQ(Format(100, 99, kTimecodeModeTimecode), "");
  EXPECT_EQ(Format(-5, 2500, kTimecodeModeTimecode), "");
  EXPECT_EQ(Format(100, 2500, kTimecodeModeFeetAndFrames), "");  // no frames per foot
  EXPECT_EQ(Format(100, 2500, 7), "");
  EXPECT_EQ(Format(INT64_MIN, 2400, kTimecodeModeFeetAndFrames, kTimecodeNonDrop, 0, -1), "");
  EXPECT_EQ(Format(INT64_MAX, 2400, kTimecodeModeFrameNumber, kTimecodeNonDrop, 1), "");
  EXPECT_EQ(Format(INT64_MAX, 2997, kTimecodeModeTimecode, kTimecodeDropFrame), "");
  char small[4] = "abc";
  FormatTimecodeText(123456, 2500, kTimecodeModeFrameNumber, kTimecodeNonDrop, 0, 0, small, sizeof small);
  EXPECT_STREQ(small, "123");
}

struct ParseCase {
  const char* text;
  int32_t rate;
  int32_t mode;
  int32_t counting;
  int32_t perFoot;
  int64_t base;
  int64_t frames;
};

TEST(TimecodeText, ParsesEveryMode) {
  const ParseCase cases[] = {
      {"01:00:00:00", 2500, kTimecodeModeTimecode, kTimecodeNonDrop, 0, 0, 90000},
      {"00;01;00;02", 2997, kTimecodeModeTimecode, kTimecodeDropFrame, 0, 0, 1800},
      {"00;00;59;28", 2997, kTimecodeModeTimecode, kTimecodeDropFrame, 0, 0, 1798},
      {"00;10;00;00", 2997, kTimecodeModeTimecode, kTimecodeDropFrame, 0, 5, 17987},
      {"01:00:00:00", 2997, kTimecodeModeTimecode, kTimecodeNonDrop, 0, 0, 107892},
      {"01:00:00:00", 2398, kTimecodeModeTimecode1, kTimecodeNonDrop, 0, 0, 86313},
      {"00:00:10:03", 2400, kTimecodeModeTimecode, kTimecodeNonDrop, 0, 0, 243},
      {"01:00:00:00", 99, kTimecodeModeTimecode, kTimecodeNonDrop, 0, 7, 0},
      {"01:00", 2500, kTimecodeModeTimecode, kTimecodeNonDrop, 0, 7, 7},       // too short
      {"01:0x:00:00", 2500, kTimecodeModeTimecode, kTimecodeNonDrop, 0, 7, 7}, // not a digit
      {" 1234", 2500, kTimecodeModeFrameNumber, kTimecodeNonDrop, 0, 10, 1244},
      {"abc", 2500, kTimecodeModeFrameNumber, kTimecodeNonDrop, 0, 10, 10},
      {"12+05", 2400, kTimecodeModeFeetAndFrames, kTimecodeNonDrop, 16, 0, 197},
      {"12+05", 2400, kTimecodeModeFeetAndFrames, kTimecodeNonDrop, 0, 3, 3},
      {"12-05", 2400, kTimecodeModeFeetAndFrames, kTimecodeNonDrop, 16, 3, 3},
      {"01:00:00:00", 2500, 9, kTimecodeNonDrop, 0, 3, 3},
      // Counts past the 64-bit range read as nothing.
      {"6666666666666666666+1", 2400, kTimecodeModeFeetAndFrames, kTimecodeNonDrop, 14, 3, 3},
      {"9223372036854775807", 2400, kTimecodeModeFrameNumber, kTimecodeNonDrop, 0, 3, 3},
      {"12+05", 2400, kTimecodeModeFeetAndFrames, kTimecodeNonDrop, -16, 3, 3},
  };
  for (const ParseCase& c : cases)
    EXPECT_EQ(ParseTimecodeText(c.text, c.rate, c.mode, c.counting, c.perFoot, c.base), c.frames) << c.text;
}

TEST(TimecodeText, DropFrameTextsAt2997ReadBackToTheirFrame) {
  for (int64_t frame : {0ll, 1ll, 1797ll, 1798ll, 1799ll, 1800ll, 17981ll, 17982ll, 35964ll, 107891ll, 2589407ll}) {
    char text[16];
    FormatTimecodeText(frame, 2997, kTimecodeModeTimecode, kTimecodeDropFrame, 0, 0, text, sizeof text);
    EXPECT_EQ(ParseTimecodeText(text, 2997, kTimecodeModeTimecode, kTimecodeDropFrame, 0, 0), frame) << text;
  }
}

}  // namespace
