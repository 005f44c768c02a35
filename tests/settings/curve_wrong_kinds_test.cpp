// Every curve file kind read as every other kind, as the load panel allows
// (its popup, not the file's name, picks the reader): each is refused, the
// curves stay as they were, the text kinds alert once and the binary kind
// says nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "platform/alert_script.h"
#include "settings/curve_files.h"
#include "settings/lut_text.h"
#include "tests/scratch_folder.h"

namespace {

struct Curves {
  VL_CurveControls c[4];
};

Curves Defaults() {
  static VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  Curves out;
  std::memcpy(out.c, s.rgbCurves, sizeof out.c);
  // A bent red curve, so that a reader that wrongly takes the file shows.
  out.c[kVLCurveRed].spline = {3, {0.0f, 0.4f, 1.0f}, {0.0f, 0.6f, 1.0f}};
  return out;
}

std::string AmpBytes() {
  std::string ramp(256, '\0');
  for (int i = 0; i < 256; ++i) ramp[size_t(i)] = char(i);
  return ramp;
}

std::string GridText() {
  std::string s = "Quantel iQ LUT\nTable LUT 2\nGMax 255\nGSize 4\n\nR G B\n";
  for (int i = 0; i < 4; ++i) s += std::to_string(i * 80) + " " + std::to_string(i * 80) + " " + std::to_string(i * 80) + "\n";
  return s;
}

std::string ChannelText() {
  std::string s = "# comment\nLUT: 3 4\n";
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 4; ++i) s += std::to_string(i * 80) + "\n";
  return s;
}

enum Reader { kACV, kGrid, kChannel, kNoReader };

TEST(CurveFileKinds, AFileReadAsAnotherKindChangesNothing) {
  PLAlertScriptBegin();
  const std::string dir = MakeScratchFolder("kinds");
  std::string acv;
  {
    Curves c = Defaults();
    acv = CurveACVBytes(c.c);
  }
  struct File {
    const char* name;
    std::string bytes;
    Reader own;  // the reader that takes it
  } files[] = {
      {"curves.acv", acv, kACV},
      {"map.amp", AmpBytes(), kNoReader},
      {"grid.txt", GridText(), kGrid},
      {"channel.lut", ChannelText(), kChannel},
      {"junk.bin", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 18), kNoReader},
      {"empty", "", kNoReader},
  };
  struct ReaderEntry {
    Reader kind;
    const char* name;
    QVStatus (*read)(const char*, VL_CurveControls*);
    bool alerts;
  } readers[] = {
      {kACV, "curves", CurveReadACV, false},
      {kGrid, "grid LUT", CurveReadGridLUT, true},
      {kChannel, "channel LUT", CurveReadChannelLUT, true},
  };
  for (const File& f : files) {
    const std::string path = dir + "/" + f.name;
    std::ofstream(path, std::ios::binary) << f.bytes;
    for (const ReaderEntry& r : readers) {
      if (r.kind == f.own) continue;
      PLAlertScriptBegin();
      Curves before = Defaults(), after = before;
      EXPECT_NE(kQVNoErr, r.read(path.c_str(), after.c)) << f.name << " as " << r.name;
      EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before)) << f.name << " as " << r.name;
      EXPECT_EQ(r.alerts ? 1u : 0u, PLAlertScriptRecorded().size()) << f.name << " as " << r.name;
    }
  }
  // Each file is taken by its own reader, so the refusals above are the kinds'.
  for (const File& f : files) {
    if (f.own == kNoReader) continue;
    PLAlertScriptBegin();
    Curves c = Defaults();
    EXPECT_EQ(kQVNoErr, readers[f.own].read((dir + "/" + f.name).c_str(), c.c)) << f.name;
    EXPECT_TRUE(PLAlertScriptRecorded().empty()) << f.name;
  }
  PLAlertScriptEnd();
}

}  // namespace
