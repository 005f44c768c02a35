// The panel's report bytes: input decoding (button edges, signed encoder
// counts, short reports), text lines and fields, glyph set-up.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/surfaces/tangent_reports.h"

namespace {

struct Events {
  std::vector<std::pair<int32_t, int32_t>> buttons;
  std::vector<std::pair<int32_t, int32_t>> encoders;
};

void OnButton(void* refcon, int32_t index, int32_t state) {
  static_cast<Events*>(refcon)->buttons.emplace_back(index, state);
}
void OnEncoder(void* refcon, int32_t index, int32_t count) {
  static_cast<Events*>(refcon)->encoders.emplace_back(index, count);
}

Events Decode(const std::vector<uint8_t>& report, uint8_t previous[6]) {
  Events e;
  TangentDecodeInputReport(report.data(), report.size(), previous, OnButton, OnEncoder, &e);
  return e;
}

std::string Body(const uint8_t* report, size_t length) {
  return std::string(reinterpret_cast<const char*>(report) + 5, length - 5);
}

TEST(TangentReports, ButtonEdgesAreReportedOnceAndBitsPastButton40Ignored) {
  uint8_t previous[6] = {};
  std::vector<uint8_t> report(kTangentInputReportSize, 0);
  report[0] = 0x05;        // buttons 0 and 2
  report[5] = 0xFF;        // button 40 and seven bits that are no buttons
  Events e = Decode(report, previous);
  EXPECT_EQ(e.buttons, (std::vector<std::pair<int32_t, int32_t>>{{0, 1}, {2, 1}, {40, 1}}));
  EXPECT_EQ(previous[5], 0xFF);
  // Unchanged bits say nothing; a cleared bit is a release.
  report[0] = 0x04;
  e = Decode(report, previous);
  EXPECT_EQ(e.buttons, (std::vector<std::pair<int32_t, int32_t>>{{0, 0}}));
  EXPECT_TRUE(e.encoders.empty());
}

TEST(TangentReports, EncoderCountsAreSigned) {
  uint8_t previous[6] = {};
  std::vector<uint8_t> report(kTangentInputReportSize, 0);
  report[6] = 0xFF;       // encoder 0: -1
  report[6 + 12] = 0x7F;  // jog: +127
  report[6 + 18] = 0x80;  // last encoder: -128
  const Events e = Decode(report, previous);
  EXPECT_EQ(e.encoders, (std::vector<std::pair<int32_t, int32_t>>{{0, -1}, {12, 127}, {18, -128}}));
}

TEST(TangentReports, ShortReportsDecodeOnlyTheBytesReceived) {
  uint8_t previous[6] = {0, 0, 0, 0, 0, 0x01};  // button 40 held
  // Three bytes: buttons of bytes 0-2 only; button 40 stays held, no encoder moves.
  Events e = Decode({0x01, 0x00, 0x00}, previous);
  EXPECT_EQ(e.buttons, (std::vector<std::pair<int32_t, int32_t>>{{0, 1}}));
  EXPECT_TRUE(e.encoders.empty());
  EXPECT_EQ(previous[5], 0x01);
  // Eight bytes: the encoders 0 and 1 that arrived.
  e = Decode({0x01, 0, 0, 0, 0, 0x01, 0x02, 0xFE}, previous);
  EXPECT_TRUE(e.buttons.empty());
  EXPECT_EQ(e.encoders, (std::vector<std::pair<int32_t, int32_t>>{{0, 2}, {1, -2}}));
  // Nothing at all, and a null report.
  e = Decode({}, previous);
  EXPECT_TRUE(e.buttons.empty() && e.encoders.empty());
  TangentDecodeInputReport(nullptr, 10, previous, OnButton, OnEncoder, &e);
  EXPECT_TRUE(e.buttons.empty() && e.encoders.empty());
}

TEST(TangentReports, DisplayLinesAreThirtyTwoTranslatedCharacters) {
  struct Case {
    const char* text;
    int32_t justification;
    std::string body;
  };
  const Case cases[] = {
      {"", kTangentJustifyCentre, std::string(32, ' ')},
      {"Quorvane", kTangentJustifyCentre, std::string(12, ' ') + "Quorvane" + std::string(12, ' ')},
      {"abc", kTangentJustifyCentre, std::string(14, ' ') + "abc" + std::string(15, ' ')},
      {"abc", kTangentJustifyLeft, "abc" + std::string(29, ' ')},
      {"abc", kTangentJustifyRight, std::string(29, ' ') + "abc"},
      {"a_b|c+d", kTangentJustifyLeft, std::string("a\x01" "b\x02" "c\x03" "d") + std::string(25, ' ')},
      {"0123456789012345678901234567890123456789", kTangentJustifyCentre, "01234567890123456789012345678901"},
  };
  for (const Case& c : cases) {
    uint8_t out[kTangentMaxTextReport];
    const size_t n = TangentEncodeDisplayLine(2, 4, c.text, c.justification, out);
    ASSERT_EQ(n, 37u) << c.text;
    EXPECT_EQ(out[0], 0x00);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(out[2], 4);
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(out[4], 32);
    EXPECT_EQ(Body(out, n), c.body) << c.text;
  }
}

TEST(TangentReports, FieldsArePlacedByAlignmentAndKeptOnTheLine) {
  struct Case {
    int32_t column;
    const char* text;
    int32_t alignment;
    int32_t start;  // -1: nothing sent
    std::string body;
  };
  const Case cases[] = {
      {10, "   0.5000", kTangentAlignEnd, 1, "   0.5000"},
      {32, "   0.5000", kTangentAlignEnd, 23, "   0.5000"},
      {10, "abcd", kTangentAlignCentre, 8, "abcd"},
      {3, "a|b", kTangentAlignStart, 3, "a\x02" "b"},
      // Held on the line: the start at 0, the count to the end of the line.
      {2, "abcdef", kTangentAlignEnd, 0, "abcdef"},
      {30, "abcdef", kTangentAlignStart, 30, "ab"},
      {32, "x", kTangentAlignStart, -1, ""},
      {-5, "", kTangentAlignStart, -1, ""},
  };
  for (const Case& c : cases) {
    uint8_t out[kTangentMaxTextReport];
    const size_t n = TangentEncodeField(1, 1, c.column, c.text, c.alignment, out);
    if (c.start < 0) {
      EXPECT_EQ(n, 0u) << c.column << " " << c.text;
      continue;
    }
    ASSERT_EQ(n, 5 + c.body.size()) << c.column << " " << c.text;
    EXPECT_EQ(out[3], c.start) << c.text;
    EXPECT_EQ(out[4], c.body.size());
    EXPECT_EQ(Body(out, n), c.body);
  }
}

TEST(TangentReports, GlyphReportsCarryTheTable) {
  uint8_t out[kTangentGlyphReportSize];
  ASSERT_EQ(TangentEncodeGlyphReport(0, out), 15u);
  const uint8_t first[15] = {0x01, 1, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(out, out + 15), std::vector<uint8_t>(first, first + 15));
  ASSERT_EQ(TangentEncodeGlyphReport(11, out), 15u);
  const uint8_t last[15] = {0x01, 12, 0, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(out, out + 15), std::vector<uint8_t>(last, last + 15));
  EXPECT_EQ(TangentEncodeGlyphReport(12, out), 0u);
  EXPECT_EQ(TangentEncodeGlyphReport(-1, out), 0u);
}

}  // namespace
